// Helpers for the thread, wait and queue tests.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/core/handle.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"

namespace test_threads {

// Runs body on a thread made by CreateThread.
inline HANDLE Start(std::function<DWORD()> body, DWORD flags = 0, DWORD* id = nullptr) {
  auto* job = new std::function<DWORD()>(std::move(body));
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID parameter) -> DWORD {
        std::unique_ptr<std::function<DWORD()>> body(static_cast<std::function<DWORD()>*>(parameter));
        return (*body)();
      },
      job, flags, id);
  if (thread == nullptr) delete job;
  return thread;
}

// Waits for an object by polling, bounded in real time whatever the clock
// of the waits is doing (a test that hangs is a failed test).
inline bool SignalledWithin(HANDLE object, int realMs = 10000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
  while (WaitForSingleObject(object, 0) != WAIT_OBJECT_0) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

// Joins and closes a thread; its exit code, or 0xDEAD when it did not end in time.
inline DWORD Finish(HANDLE thread) {
  DWORD code = 0xDEAD;
  if (SignalledWithin(thread)) GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return code;
}

}  // namespace test_threads
