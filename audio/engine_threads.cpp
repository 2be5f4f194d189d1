// The engine's command, reader and mixer threads.
#include <algorithm>

#include "audio/audio_player.h"
#include "audio/denormals.h"
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
  // It sums the lines and runs the master effects while playing.
  FlushDenormals flush;
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
  // A thread whose device has closed ends on the close notice still in its
  // queue, after the headers that came back before it: it must not take the
  // next device's notices.
  bool ended = commandEnded_ || closePending_;
  closePending_ = false;
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

void AudioPlayer::SetOwner(HWND window) {
  // The command thread reads the owner under the same lock.
  EnterCriticalSection(&stateLock_);
  owner = window;
  LeaveCriticalSection(&stateLock_);
}

bool AudioPlayer::OnThreadMessage(const MSG& message) {
  EnterCriticalSection(&stateLock_);
  bool goOn = true;
  switch (message.message) {
    case MM_WOM_OPEN:
      break;
    case MM_WOM_CLOSE:
      if (closeOwner_ != nullptr) PostQueueMessage(ownerThread_, closeOwner_, MM_WOM_CLOSE, 0, 0);
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
  // The mixer takes the last pieces without waiting for a whole batch.
  if (engine->readPipe_) engine->readPipe_->EndWrites();
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  return 0;
}

DWORD AudioPlayer::MixerThreadProc(void* parameter) {
  auto* engine = static_cast<AudioPlayer*>(parameter);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  FlushDenormals flush;
  engine->MixerLoop();
  if (engine->trackPipe_) engine->trackPipe_->EndWrites();
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
