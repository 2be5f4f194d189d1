// The engine's command, reader and mixer threads, and the reader's walk over
// the play segments.
#include <algorithm>

#include "audio/audio_player.h"
#include "media/audio_data.h"
#include "platform/core/message_queue.h"
#include "platform/core/threads.h"

namespace {

constexpr SIZE_T kStackSize = 4096;

void JoinThread(HANDLE& thread) {
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  thread = nullptr;
}

}  // namespace

// ---------------------------------------------------------------- command thread

DWORD AudioPlayer::CommandThreadProc(void* parameter) {
  auto* engine = static_cast<AudioPlayer*>(parameter);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  MSG message;
  while (GetMessage(&message, nullptr, 0, 0) > 0) {
    if (message.message == kEngineQuitMessage) break;
    if (!engine->OnThreadMessage(message)) break;
  }
  return 0;
}

int AudioPlayer::StartCommandThread() {
  EnterCriticalSection(&stateLock_);
  HANDLE thread = commandThread_;
  bool ended = commandEnded_;
  LeaveCriticalSection(&stateLock_);
  if (thread != nullptr) {
    if (!ended && WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return 0;  // it runs
    // A thread that saw its device close is at its end: join it first.
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  DWORD id = 0;
  thread = CreateThread(nullptr, kStackSize, &AudioPlayer::CommandThreadProc, this, 0, &id);
  EnterCriticalSection(&stateLock_);
  commandThread_ = thread;
  commandThreadId_ = thread != nullptr ? id : 0;
  commandEnded_ = false;
  LeaveCriticalSection(&stateLock_);
  return thread != nullptr ? 0 : kDisabled;
}

void AudioPlayer::StopCommandThread() {
  EnterCriticalSection(&stateLock_);
  HANDLE thread = commandThread_;
  DWORD id = commandThreadId_;
  bool ended = commandEnded_;
  commandThread_ = nullptr;
  commandThreadId_ = 0;
  LeaveCriticalSection(&stateLock_);
  if (thread == nullptr) return;
  // A thread that ends by itself is waited for too: it may still be
  // leaving the engine's lock.
  if (PostThreadMessage(id, kEngineQuitMessage, 0, 0) || ended) WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

bool AudioPlayer::HasCommandThread() {
  EnterCriticalSection(&stateLock_);
  HANDLE thread = commandThread_;
  bool ended = commandEnded_;
  LeaveCriticalSection(&stateLock_);
  return thread != nullptr && !ended && WaitForSingleObject(thread, 0) != WAIT_OBJECT_0;
}

bool AudioPlayer::OnThreadMessage(const MSG& message) {
  EnterCriticalSection(&stateLock_);
  bool goOn = true;
  switch (message.message) {
    case MM_WOM_OPEN:
      break;
    case MM_WOM_CLOSE:
      if (owner != nullptr) PostQueueMessage(ownerThread_, owner, MM_WOM_CLOSE, 0, 0);
      // The thread ends after this; the next opening of the device starts
      // another.
      commandEnded_ = true;
      goOn = false;
      break;
    case MM_WOM_DONE:
      PlayLoop(reinterpret_cast<WAVEHDR*>(message.lParam));
      break;
    default:
      break;
  }
  LeaveCriticalSection(&stateLock_);
  return goOn;
}

// ---------------------------------------------------------------- workers

DWORD AudioPlayer::ReaderThreadProc(void* parameter) {
  auto* engine = static_cast<AudioPlayer*>(parameter);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  engine->ReaderLoop();
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  return 0;
}

DWORD AudioPlayer::MixerThreadProc(void* parameter) {
  auto* engine = static_cast<AudioPlayer*>(parameter);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  engine->MixTracks();
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  engine->mixerRunning_ = false;
  return 0;
}

bool AudioPlayer::StartReader() {
  if (readerRunning_) return false;
  JoinThread(readerThread_);  // one that has finished
  readerRunning_ = true;
  TDataPipe::abort.exchange(0);
  readerThread_ = CreateThread(nullptr, kStackSize, &AudioPlayer::ReaderThreadProc, this, 0, nullptr);
  if (readerThread_ == nullptr) {
    readerRunning_ = false;
    TDataPipe::abort.exchange(1);
    return false;
  }
  return true;
}

bool AudioPlayer::StartMixer() {
  if (mixerRunning_) return false;
  JoinThread(mixerThread_);
  mixerRunning_ = true;
  TDataPipe::abort.exchange(0);
  mixerThread_ = CreateThread(nullptr, kStackSize, &AudioPlayer::MixerThreadProc, this, 0, nullptr);
  if (mixerThread_ == nullptr) {
    mixerRunning_ = false;
    TDataPipe::abort.exchange(1);
    return false;
  }
  return true;
}

// A worker blocked on a pipe wakes when both its semaphores are released
// once, and then sees the abort flag.
void AudioPlayer::StopReader() {
  readerRunning_ = false;
  if (readerThread_ == nullptr) return;
  TDataPipe::abort.exchange(1);
  if (readPipe_) readPipe_->ReleaseWaiters();
  JoinThread(readerThread_);
}

void AudioPlayer::StopMixer() {
  if (mixerThread_ == nullptr) return;
  TDataPipe::abort.exchange(1);
  if (trackPipe_) trackPipe_->ReleaseWaiters();
  JoinThread(mixerThread_);
}

bool AudioPlayer::StartWorkers() {
  if (StartReader() && StartMixer()) return true;
  StopWorkers();
  return false;
}

void AudioPlayer::StopWorkers() {
  StopReader();
  StopMixer();
}

// ---------------------------------------------------------------- the reader

void AudioPlayer::SetReadRange(AudioSegment* segments, int tracks, LONG start, LONG end, bool loop,
                               bool allTracks) {
  segments_ = segments;
  trackCount_ = std::clamp(tracks, 0, 4);
  loop_ = loop;
  allTracks_ = allTracks;
  DWORD rate = OutputFormat.nSamplesPerSec;
  startPos_ = FramesAt(rate, start);
  endPos_ = FramesAt(rate, end);
  RewindForLoop();
}

AudioSegment* AudioPlayer::FirstSegmentOfTrack(AudioSegment* list, int track) const {
  for (AudioSegment* s = list; s != nullptr; s = s->next) {
    if (s->track == track) return s;
  }
  return nullptr;
}

void AudioPlayer::RewindForLoop() {
  for (int t = 0; t < trackCount_; ++t) {
    bool silent = tracks_[t].gain.load() == 0.0f && !allTracks_;
    tracks_[t].segment = silent ? nullptr : FirstSegmentOfTrack(segments_, t);
  }
  readPos_ = startPos_;
}

void AudioPlayer::ReaderLoop() {
  for (;;) {
    while (readPos_ < endPos_) {
      for (int t = 0; t < trackCount_; ++t) {
        if (!ReadTrackBlock(t)) return;  // aborted
      }
      readPos_ += std::min<LONGLONG>(blockFrames_, endPos_ - readPos_);
    }
    // An empty range has nothing to repeat.
    if (loop_ && readerRunning_ && startPos_ < endPos_) {
      RewindForLoop();
      continue;
    }
    readerRunning_ = false;
    return;
  }
}

bool AudioPlayer::ReadTrackBlock(int track) {
  TTrack& line = tracks_[track];
  DWORD rate = OutputFormat.nSamplesPerSec;
  LONGLONG blockEnd = readPos_ + blockFrames_;
  while (line.segment != nullptr) {
    AudioSegment* s = line.segment;
    LONGLONG start = FramesAt(rate, s->start);
    LONGLONG end = FramesAt(rate, s->end);
    if (s->track != track || end <= readPos_) {
      line.segment = s->next;
      continue;
    }
    if (start > blockEnd || start > endPos_) return true;
    LONGLONG pieceStart = std::max(start, readPos_);
    LONGLONG pieceEnd = std::min({end, blockEnd, endPos_});
    LONGLONG offset = (pieceStart - start) + FramesAt(rate, s->in);
    TData* data = readPipe_->GetWriteBlock();
    if (data == nullptr) return false;
    auto frames = static_cast<LONG>(pieceEnd - pieceStart);
    // Never more frames than the block holds in the source's own layout or
    // as floats, whatever the source's frame size.
    if (const WAVEFORMATEX* f = s->source->format) {
      DWORD perFrame = std::max<DWORD>(f->nBlockAlign, f->nChannels * 4u);
      if (perFrame > 0)
        frames = static_cast<LONG>(std::min<DWORD>(static_cast<DWORD>(frames), data->bytes() / perFrame));
    }
    if (line.gain.load() == 0.0f) {
      s->source->PrepareFloatBlock(data->block, frames);
    } else {
      s->source->ReadBlock(data->block, offset, frames);
    }
    readPipe_->PostWriteBlock();
    if (pieceEnd - readPos_ == blockFrames_) return true;
    line.segment = s->next;
  }
  return true;
}
