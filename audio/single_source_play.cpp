// Playing one audio source alone, outside the time-line mix: in the source's
// own rate and channels at the output's sample size, through four headers of
// 8192 frames that the engine's command thread refills.
#include <algorithm>
#include <new>

#include "audio/audio_player.h"
#include "media/audio_data.h"
#include "model/error_codes.h"
#include "model/ui_strings.h"
#include "platform/core/time.h"

namespace {

constexpr LONG kSourceFrames = 8192;
constexpr int kSourceHeaders = 4;
// A device still busy with another program is asked again for this long.
constexpr DWORD kOpenRetryMs = 1000;
constexpr DWORD kOpenRetryPauseMs = 10;

}  // namespace

bool AudioPlayer::PlayOut(AudioData* source, LONG start, LONG end) {
  StopOut();
  if (state_ != kIdle || source == nullptr || source->format == nullptr) return false;
  source_ = source->AddRef();
  if (!source_->BeginRead()) {
    source_->Release();
    source_ = nullptr;
    return false;
  }
  // The source plays at its own rate, so its times are frames of that rate.
  const DWORD rate = source_->format->nSamplesPerSec;
  sourcePos_ = FramesAt(rate, start);
  sourceEnd_ = FramesAt(rate, end);
  if (OpenSourceDevice() && AllocSourceHeaders() && QueueSourceHeaders()) return true;
  if (waveOut_ != nullptr) waveOutReset(waveOut_);
  FreeSourceHeaders();
  CloseSourceDevice();
  ReleaseSource();
  return false;
}

bool AudioPlayer::OpenSourceDevice() {
  if (waveOutGetNumDevs() == 0 || waveOut_ != nullptr || source_ == nullptr) return false;
  if (StartCommandThread() != 0) {
    state_ = kDisabled;
    return false;
  }
  // The source's rate and channels in the output's sample layout: the
  // output writer makes the samples, so its container and tag describe them.
  const WAVEFORMATEX& in = *source_->format;
  const WORD container =
      static_cast<WORD>(OutputFormat.nBlockAlign / std::max<WORD>(OutputFormat.nChannels, 1));
  sourceFormat_ = WAVEFORMATEX{};
  sourceFormat_.wFormatTag = OutputFormat.wFormatTag;
  sourceFormat_.nChannels = in.nChannels;
  sourceFormat_.nSamplesPerSec = in.nSamplesPerSec;
  sourceFormat_.wBitsPerSample = OutputFormat.wBitsPerSample;
  sourceFormat_.nBlockAlign = static_cast<WORD>(in.nChannels * container);
  sourceFormat_.nAvgBytesPerSec = sourceFormat_.nBlockAlign * in.nSamplesPerSec;
  sourceFormat_.cbSize = 0;

  ResetEvent(deviceEvent_);
  const DWORD first = timeGetTime();
  MMRESULT result;
  for (;;) {
    result = waveOutOpen(&waveOut_, DeviceNumber(), &sourceFormat_, commandThreadId_, 0, CALLBACK_THREAD);
    if (result == MMSYSERR_NOERROR || timeGetTime() - first >= kOpenRetryMs) break;
    Sleep(kOpenRetryPauseMs);
  }
  if (result == MMSYSERR_NOERROR) {
    state_ = kIdle;
    return true;
  }
  waveOut_ = nullptr;
  ShowWaveOutError(result, GetString(ui_string::kOpenWavePlaybackDevice));
  FreeSourceHeaders();
  return false;
}

bool AudioPlayer::AllocSourceHeaders() {
  sourceHeaderBytes_ = static_cast<DWORD>(sourceFormat_.nBlockAlign) * kSourceFrames;
  sourceBlock_ = std::make_unique<TData>(kSourceFrames);
  if (sourceBlock_->block == nullptr) {
    FreeSourceHeaders();
    ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioPlayback));
    return false;
  }
  for (OwnHeader& own : sourceHeaders_) {
    own.header = WAVEHDR{};
    own.data.reset(new (std::nothrow) BYTE[sourceHeaderBytes_]());
    if (!own.data) {
      FreeSourceHeaders();
      ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioPlayback));
      return false;
    }
    own.header.lpData = reinterpret_cast<LPSTR>(own.data.get());
    own.header.dwBufferLength = sourceHeaderBytes_;
    const MMRESULT result = waveOutPrepareHeader(waveOut_, &own.header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      FreeSourceHeaders();
      ShowWaveOutError(result, GetString(ui_string::kPreparingAudio));
      return false;
    }
  }
  return true;
}

// Under the state lock, so that no header comes back before the state is 9.
bool AudioPlayer::QueueSourceHeaders() {
  EnterCriticalSection(&stateLock_);
  LONG queued = 0;
  for (int h = 0; h < kSourceHeaders && sourcePos_ < sourceEnd_; ++h) {
    const LONG n = static_cast<LONG>(std::min<LONGLONG>(sourceEnd_ - sourcePos_, kSourceFrames));
    OwnHeader& own = sourceHeaders_[h];
    own.header.dwBufferLength = static_cast<DWORD>(ReadSourceBlock(own.data.get(), sourcePos_, n));
    const MMRESULT result = waveOutWrite(waveOut_, &own.header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      LeaveCriticalSection(&stateLock_);
      ShowWaveOutError(result, GetString(ui_string::kAddToPlayback));
      return false;
    }
    sourcePos_ += n;
    ++queued;
  }
  blocksInFlight_ = queued;
  if (queued == 0) {
    LeaveCriticalSection(&stateLock_);
    return false;
  }
  blockIndex_ = 0;
  state_ = kPlayingSource;
  LeaveCriticalSection(&stateLock_);
  return true;
}

LONG AudioPlayer::ReadSourceBlock(void* destination, LONGLONG frame, LONG frames) {
  if (source_ == nullptr || source_->format == nullptr || !sourceBlock_) return 0;
  SampleBlock* block = sourceBlock_->block;
  frames = std::clamp<LONG>(frames, 0, kSourceFrames);
  block->requested = frames;
  block->held = 0;
  block->format = BlockFormatOf(*source_->format);
  source_->ReadBlock(block, frame, frames);
  const LONG held = std::clamp<LONG>(block->held, 0, frames);
  const DWORD bytes = static_cast<DWORD>(held) * sourceFormat_.nBlockAlign;
  if (bytes == 0) return 0;
  if (source_->ToFloat != nullptr) source_->ToFloat(block);
  writer_(destination, static_cast<const float*>(block->data), bytes);
  return static_cast<LONG>(bytes);
}

void AudioPlayer::FreeSourceHeaders() {
  for (OwnHeader& own : sourceHeaders_) {
    if (waveOut_ != nullptr && own.data) waveOutUnprepareHeader(waveOut_, &own.header, sizeof(WAVEHDR));
    own.data.reset();
    own.header = WAVEHDR{};
  }
  sourceBlock_.reset();
}

void AudioPlayer::CloseSourceDevice() {
  if (waveOut_ == nullptr) return;
  // The close notice belongs to the window this device played for, even
  // when the next device is opened for another before the notice comes.
  EnterCriticalSection(&stateLock_);
  closeOwner_ = owner;
  LeaveCriticalSection(&stateLock_);
  // Headers still queued would keep the device open for good.
  if (waveOutClose(waveOut_) == WAVERR_STILLPLAYING) {
    waveOutReset(waveOut_);
    waveOutClose(waveOut_);
  }
  waveOut_ = nullptr;
  closePending_ = true;
  SetEvent(deviceEvent_);
}

void AudioPlayer::ReleaseSource() {
  if (source_ == nullptr) return;
  source_->EndRead();
  source_->Release();
  source_ = nullptr;
}

// A header came back (command thread, state lock held).
void AudioPlayer::SourceLoop() {
  if (sourcePos_ < sourceEnd_) {
    OwnHeader& own = sourceHeaders_[blockIndex_];
    const LONG n = static_cast<LONG>(std::min<LONGLONG>(sourceEnd_ - sourcePos_, kSourceFrames));
    own.header.dwBufferLength = static_cast<DWORD>(ReadSourceBlock(own.data.get(), sourcePos_, n));
    sourcePos_ += n;
    blockIndex_ = (blockIndex_ + 1) % kSourceHeaders;
    if (waveOutWrite(waveOut_, &own.header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR) return;
    // A header that cannot be queued again is counted off like a last one.
  }
  if (--blocksInFlight_ >= 1) return;
  state_ = kIdle;
  FreeSourceHeaders();
  CloseSourceDevice();
  ReleaseSource();
}

void AudioPlayer::StopOut() {
  if (state_ == kStreaming) {
    EndMixStream();
    return;
  }
  EnterCriticalSection(&stateLock_);
  if (state_ != kPlayingSource) {
    LeaveCriticalSection(&stateLock_);
    return;
  }
  state_ = kIdle;
  LeaveCriticalSection(&stateLock_);
  if (waveOut_ != nullptr) waveOutReset(waveOut_);
  FreeSourceHeaders();
  CloseSourceDevice();
  ReleaseSource();
}
