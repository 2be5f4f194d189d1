// Playing a time-line range through the wave-out device: preparing it
// paused with every play block primed, starting, refilling as blocks come
// back, looping, draining and stopping; the play clock; and scrubbing, short
// blocks mixed at a position that follows the mouse.
#include <algorithm>
#include <cstdlib>
#include <new>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "media/sample_routines.h"
#include "model/error_codes.h"
#include "model/ui_strings.h"
#include "platform/core/message_queue.h"
#include "platform/core/threads.h"

namespace {

VolumeServer* g_volumeServer = nullptr;

constexpr UINT kScrubNotice = WM_USER + 84;
constexpr DWORD kStopWaitMs = 2000;

// (a x b + c / 2) / c in 64 bits.
LONGLONG MulDivRound64(LONGLONG a, LONGLONG b, LONGLONG c) {
  return c != 0 ? (a * b + c / 2) / c : 0;
}

// Reverses the frames of a block in place, so that a fast drag backwards
// sounds backwards.
void ReverseFrames(BYTE* data, LONG frames, WORD align) {
  BYTE swap[64];
  if (align == 0 || align > sizeof(swap)) return;
  for (LONG a = 0, b = frames - 1; a < b; ++a, --b) {
    std::copy(data + a * align, data + (a + 1) * align, swap);
    std::copy(data + b * align, data + (b + 1) * align, data + a * align);
    std::copy(swap, swap + align, data + b * align);
  }
}

}  // namespace

VolumeServer* TheMixerServer = nullptr;

void AudioPlayer::SetVolumeServer(VolumeServer* server) {
  g_volumeServer = server;
}

VolumeServer* AudioPlayer::GetVolumeServer() {
  return g_volumeServer;
}

void AudioPlayer::NotifyVolumeServerStart() {
  if (g_volumeServer == nullptr || volumeServerTold_) return;
  volumeServerTold_ = g_volumeServer->Start(1) == 0 ? 1 : 0;
}

void AudioPlayer::NotifyVolumeServerStop() {
  if (!volumeServerTold_) return;
  if (g_volumeServer != nullptr) g_volumeServer->Stop();
  volumeServerTold_ = 0;
}

void AudioPlayer::ResetMasterEffect() {
  if (masterEffects_ == nullptr) return;
  EnterCriticalSection(&mixLock_);
  masterEffects_->SetQuality(1);
  LeaveCriticalSection(&mixLock_);
}

// ---------------------------------------------------------------- prepare and start

bool AudioPlayer::PrepareRange(Film* films, const MixSetup& setup, LONG start, LONG end, HWND window,
                               bool allLines, bool loop) {
  StopOut();
  quality_ = EffectList::settings.realTimeQuality;
  if (state_ != kIdle) return false;
  if (SetMixRange(films, setup, start, end, allLines, loop) == 0) return false;
  startTime_ = start;
  StartEffects(films, setup);
  SetOwner(window);
  if (!OpenDevice()) return false;
  if (!AllocBuffers()) {
    CloseDevice();
    return false;
  }
  if (!StartWorkers()) {
    FreeBuffers();
    CloseDevice();
    return false;
  }

  const WORD align = OutputFormat.nBlockAlign;
  LONG primed = 0;
  while (primed < MaxHdr) {
    Block& entry = blocks_[primed];
    LONG frames = MixNextBlock(entry.data.get());
    if (frames == 0) {
      if (!loop_) break;
      consumerPos_ = loopStart_;
      ResetMasterEffect();
      frames = MixNextBlock(entry.data.get());
      if (frames == 0) break;
    }
    entry.bytes = static_cast<DWORD>(frames) * align;
    bool queued = WriteBlock(entry);
    // An entry with any header queued is counted, so that it is counted off.
    if (entry.inFlight > 0) ++primed;
    if (!queued) break;
  }
  blocksInFlight_ = primed;
  if (primed == 0) {
    StopWorkers();
    CloseDevice();
    FreeBuffers();
    return false;
  }
  state_ = kPaused;
  NotifyVolumeServerStart();
  return true;
}

bool AudioPlayer::WriteBlock(Block& entry) {
  LONG queued = 0;
  LONG left = static_cast<LONG>(entry.bytes);
  for (DWORD k = 0; k < unitsPerBlock_ && left > 0; ++k) {
    WAVEHDR& header = entry.headers[k];
    header.dwBufferLength = std::min<DWORD>(static_cast<DWORD>(left), unit_);
    MMRESULT result = waveOutWrite(waveOut_, &header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      entry.inFlight = queued;
      ShowWaveOutError(result, GetString(ui_string::kAddToPlayback));
      return false;
    }
    ++queued;
    left -= static_cast<LONG>(unit_);
  }
  entry.inFlight = queued;
  return queued > 0;
}

bool AudioPlayer::Resume() {
  EnterCriticalSection(&stateLock_);
  if (state_ != kPaused) {
    LeaveCriticalSection(&stateLock_);
    return false;
  }
  stopFlag_ = 0;
  if (mixer_ != nullptr && mixer_->IsWindowValid()) mixer_->ClearMeters();
  blockIndex_ = 0;
  // A range that fitted into fewer blocks is queued whole: it only drains.
  state_ = blocksInFlight_ >= MaxHdr ? kPlaying : kDraining;
  HWAVEOUT device = waveOut_;
  LeaveCriticalSection(&stateLock_);
  waveOutRestart(device);
  return true;
}

// ---------------------------------------------------------------- blocks coming back

void AudioPlayer::PlayLoop(WAVEHDR* header) {
  switch (state_.load()) {
    case kPlaying: {
      if (blocks_.empty()) return;
      if (mixer_ != nullptr && mixer_->IsWindowValid())
        mixer_->UpdatePeakMeters(header->lpData, header->dwBufferLength, SampleTypeOfFormat(OutputFormat),
                                 OutputFormat.nChannels);
      Block& entry = blocks_[blockIndex_];
      if (--entry.inFlight > 0) return;
      LONG frames = MixNextBlock(entry.data.get());
      if (frames == 0 && loop_) {
        consumerPos_ = loopStart_;
        ResetMasterEffect();
        frames = MixNextBlock(entry.data.get());
      }
      if (frames > 0) {
        entry.bytes = static_cast<DWORD>(frames) * OutputFormat.nBlockAlign;
        WriteBlock(entry);
        if (entry.inFlight > 0) {
          blockIndex_ = (blockIndex_ + 1) % MaxHdr;
          return;
        }
      }
      // The range is finished (or its block could not be queued): this
      // entry is counted off now, the others as they come back.
      state_ = kDraining;
      entry.inFlight = 1;
      CountOffDraining();
      return;
    }
    case kDraining:
      if (mixer_ != nullptr && mixer_->IsWindowValid() && stopFlag_ == 0)
        mixer_->UpdatePeakMeters(header->lpData, header->dwBufferLength, SampleTypeOfFormat(OutputFormat),
                                 OutputFormat.nChannels);
      CountOffDraining();
      return;
    case kScrubbing:
      MixScrubLoop(header);
      return;
    case kPlayingSource:
      SourceLoop();
      return;
    default:
      return;
  }
}

void AudioPlayer::CountOffDraining() {
  if (blocks_.empty()) return;
  Block& entry = blocks_[blockIndex_];
  if (--entry.inFlight >= 1) return;
  blockIndex_ = (blockIndex_ + 1) % MaxHdr;
  if (--blocksInFlight_ >= 1) return;
  if (mixer_ != nullptr && mixer_->IsWindowValid()) mixer_->ClearMeters();
  StopWorkers();
  FreeBuffers();
  CloseDevice();
}

// ---------------------------------------------------------------- stop and clock

void AudioPlayer::Stop() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  StopWorkers();
  EnterCriticalSection(&stateLock_);
  const int state = state_;
  if (state == kPaused || state == kPlaying) state_ = kDraining;
  if (state == kPaused || state == kPlaying || state == kDraining) {
    if (waveOut_ != nullptr) waveOutReset(waveOut_);
    stopFlag_ = 1;
  }
  const bool open = waveOut_ != nullptr;
  LeaveCriticalSection(&stateLock_);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);

  if (open && WaitForSingleObject(deviceEvent_, kStopWaitMs) != WAIT_OBJECT_0) {
    // The device kept its headers: close it here.
    EnterCriticalSection(&stateLock_);
    if (waveOut_ != nullptr) {
      if (mixer_ != nullptr && mixer_->IsWindowValid()) mixer_->ClearMeters();
      waveOutReset(waveOut_);
      FreeBuffers();
      CloseDevice();
    }
    LeaveCriticalSection(&stateLock_);
  }
  NotifyVolumeServerStop();
}

LONG AudioPlayer::GetPosition() {
  const int state = state_;
  HWAVEOUT device = waveOut_;
  if (device == nullptr) return -1;
  if (state == kPaused) return startTime_;
  if (state != kPlaying && state != kDraining) return -1;
  MMTIME time;
  time.wType = TIME_MS;
  if (waveOutGetPosition(device, &time, sizeof(time)) != MMSYSERR_NOERROR) return -1;
  switch (time.wType) {
    case TIME_MS:
      return static_cast<LONG>(startTime_ + static_cast<LONGLONG>(time.u.ms));
    case TIME_SAMPLES:
      return static_cast<LONG>(startTime_ + MulDivRound64(time.u.sample, 1000, OutputFormat.nSamplesPerSec));
    case TIME_BYTES:
      return static_cast<LONG>(startTime_ + MulDivRound64(time.u.cb, 1000, OutputFormat.nAvgBytesPerSec));
    default:
      return -1;
  }
}

// ---------------------------------------------------------------- scrubbing

bool AudioPlayer::AllocScrubBuffers() {
  for (OwnHeader& own : scrubHeaders_) {
    own.data.reset(new (std::nothrow) BYTE[blockBytes_ + 4]());
    own.header = WAVEHDR{};
    if (!own.data) {
      FreeScrubBuffers();
      ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioPlayback));
      return false;
    }
    own.header.lpData = reinterpret_cast<LPSTR>(own.data.get());
    own.header.dwBufferLength = blockBytes_;
    MMRESULT result = waveOutPrepareHeader(waveOut_, &own.header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      FreeScrubBuffers();
      ShowWaveOutError(result, GetString(ui_string::kPreparingAudio));
      return false;
    }
  }
  scrubRead_ = std::make_unique<TData>(blockFrames_);
  scrubLine_ = std::make_unique<TData>(blockFrames_);
  mixBuffer_ = std::make_unique<TData>(blockFrames_);
  if (scrubRead_->block == nullptr || scrubLine_->block == nullptr || mixBuffer_->block == nullptr) {
    FreeScrubBuffers();
    ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioPlayback));
    return false;
  }
  return true;
}

void AudioPlayer::FreeScrubBuffers() {
  for (OwnHeader& own : scrubHeaders_) {
    if (waveOut_ != nullptr && own.data) waveOutUnprepareHeader(waveOut_, &own.header, sizeof(WAVEHDR));
    own.data.reset();
    own.header = WAVEHDR{};
  }
  scrubRead_.reset();
  scrubLine_.reset();
  mixBuffer_.reset();
}

bool AudioPlayer::StartScrub(Film* films, const MixSetup& setup, LONG time, HWND window, const BYTE* flag) {
  StopOut();
  if (state_ != kIdle) return false;
  quality_ = 0;
  scrubSetup_ = std::make_unique<MixSetup>(setup);
  SetMixRange(films, setup, time, time, false, false);
  requestedTime_ = time;
  requestPending_ = 0;
  currentFrame_ = FramesAt(OutputFormat.nSamplesPerSec, time);
  StartEffects(films, setup);
  SetOwner(window);
  callerFlag_ = flag;
  if (!OpenDevice()) {
    scrubSetup_.reset();
    return false;
  }
  if (!AllocScrubBuffers()) {
    scrubSetup_.reset();
    CloseDevice();
    return false;
  }
  EnterCriticalSection(&stateLock_);
  state_ = kScrubbing;
  for (OwnHeader& own : scrubHeaders_) {
    LONG frames = MixScrubBlock(own.data.get(), currentFrame_, previewFrames_);
    own.header.dwBufferLength = static_cast<DWORD>(frames) * OutputFormat.nBlockAlign;
    MMRESULT result = waveOutWrite(waveOut_, &own.header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      state_ = kIdle;
      scrubSetup_.reset();
      waveOutReset(waveOut_);
      FreeScrubBuffers();
      CloseDevice();
      LeaveCriticalSection(&stateLock_);
      ShowWaveOutError(result, GetString(ui_string::kAddToPlayback));
      return false;
    }
    lastFrame_ = currentFrame_;
    currentFrame_ += frames;
  }
  LeaveCriticalSection(&stateLock_);
  waveOutRestart(waveOut_);
  return true;
}

void AudioPlayer::RequestSeek(LONG time) {
  EnterCriticalSection(&stateLock_);
  requestedTime_ = time;
  requestPending_ = 1;
  LeaveCriticalSection(&stateLock_);
}

LONG AudioPlayer::MixScrubLoop(WAVEHDR* header) {
  const DWORD rate = OutputFormat.nSamplesPerSec;
  const WORD align = OutputFormat.nBlockAlign;
  const signed char flag = callerFlag_ != nullptr ? static_cast<signed char>(*callerFlag_) : 0;
  if (owner != nullptr)
    PostQueueMessage(ownerThread_, owner, kScrubNotice,
                     static_cast<WPARAM>(MulDivRound64(lastFrame_, 1000, rate)), static_cast<LPARAM>(flag));

  const LONGLONG requested = FramesAt(rate, requestedTime_);
  const auto aheadLimit = static_cast<LONGLONG>(MaxPreviewLength * 1000.0);
  LONGLONG position = currentFrame_;
  if (requestPending_) {
    position = requested;
  } else if (MulDivRound64(currentFrame_, 1000, rate) > requestedTime_ + aheadLimit) {
    position = requested;  // played on too far: back to where the mouse is
  }
  lastFrame_ = position;

  auto* data = reinterpret_cast<BYTE*>(header->lpData);
  LONG frames;
  if (std::llabs(position - currentFrame_) > previewFadeFrames_) {
    frames = MixScrubBlock(data, position, previewFrames_);
    if (requestPending_ && position < currentFrame_ - previewFrames_) ReverseFrames(data, frames, align);
    currentFrame_ = position;
  } else {
    frames = MixScrubBlock(data, currentFrame_, previewFrames_);
  }
  if (frames == 0) {
    state_ = kIdle;
    scrubSetup_.reset();
    waveOutReset(waveOut_);
    FreeScrubBuffers();
    CloseDevice();
    return 0;
  }
  header->dwBufferLength = static_cast<DWORD>(frames) * align;
  currentFrame_ += frames;
  requestPending_ = 0;
  waveOutWrite(waveOut_, header, sizeof(WAVEHDR));
  return frames;
}

void AudioPlayer::StopScrub() {
  if (state_ != kScrubbing) return;
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  EnterCriticalSection(&stateLock_);
  state_ = kIdle;
  LeaveCriticalSection(&stateLock_);
  scrubSetup_.reset();
  if (waveOut_ != nullptr) waveOutReset(waveOut_);
  FreeScrubBuffers();
  CloseDevice();
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}
