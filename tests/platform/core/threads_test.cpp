#include "platform/core/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "platform/core/sync.h"
#include "thread_helpers.h"

using test_threads::Finish;
using test_threads::SignalledWithin;
using test_threads::Start;

TEST(Threads, CreatedSuspendedRunsOnlyAfterResume) {
  std::atomic<int> stage{0};
  std::atomic<int> seen{-1};
  HANDLE thread = Start(
      [&] {
        seen = stage.load();
        return 5;
      },
      CREATE_SUSPENDED);
  ASSERT_NE(thread, nullptr);
  DWORD code = 0;
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  stage = 1;
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(Finish(thread), 5u);
  EXPECT_EQ(seen.load(), 1);  // it had not run before the resume
}

TEST(Threads, HandleIsSignalledWhenTheThreadEnds) {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = Start([&] { return WaitForSingleObject(go, INFINITE) == WAIT_OBJECT_0 ? 42u : 1u; });
  DWORD code = 0;
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(ResumeThread(thread), 0u);  // not suspended
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
  CloseHandle(thread);
  CloseHandle(go);
}

TEST(Threads, ClosingTheHandleLeavesTheThreadRunning) {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = Start([&] {
    WaitForSingleObject(go, INFINITE);
    SetEvent(done);
    return 0;
  });
  CloseHandle(thread);
  SetEvent(go);
  EXPECT_TRUE(SignalledWithin(done));
  CloseHandle(go);
  CloseHandle(done);
}

TEST(Threads, IdsAreUniqueAndKnownBeforeTheThreadRuns) {
  std::vector<HANDLE> threads;
  std::vector<DWORD> ids(8);
  std::vector<std::atomic<DWORD>> inside(8);
  for (int i = 0; i < 8; ++i) {
    threads.push_back(Start(
        [&inside, i] {
          inside[i] = GetCurrentThreadId();
          return 0;
        },
        CREATE_SUSPENDED, &ids[i]));
  }
  std::set<DWORD> unique(ids.begin(), ids.end());
  unique.insert(GetCurrentThreadId());
  EXPECT_EQ(unique.size(), 9u);
  EXPECT_EQ(unique.count(0), 0u);
  for (HANDLE thread : threads) ResumeThread(thread);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Finish(threads[i]), 0u);
    EXPECT_EQ(inside[i].load(), ids[i]);
  }
  DWORD other = 0;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(other, 0u);
  EXPECT_EQ(unique.count(other), 0u);
}

// The stage threads of a render job are joined all at once.
TEST(Threads, WaitForAllThreadsJoinsThemAll) {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> ended{0};
  HANDLE threads[7];
  for (HANDLE& thread : threads) {
    thread = Start([&] {
      WaitForSingleObject(go, INFINITE);
      ++ended;
      return 0;
    });
  }
  EXPECT_EQ(WaitForMultipleObjects(7, threads, TRUE, 0), WAIT_TIMEOUT);
  SetEvent(go);
  EXPECT_EQ(WaitForMultipleObjects(7, threads, TRUE, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ended.load(), 7);
  for (HANDLE thread : threads) CloseHandle(thread);
  CloseHandle(go);
}

TEST(Threads, SmallStackRequestsStillGetAUsableStack) {
  HANDLE thread = CreateThread(
      nullptr, 4096,
      [](LPVOID) -> DWORD {
        volatile char buffer[256 * 1024];
        std::memset(const_cast<char*>(buffer), 1, sizeof buffer);
        return buffer[sizeof buffer - 1];
      },
      nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(Finish(thread), 1u);
}

// Priorities are hints: every level is accepted and reported back, whatever
// the system grants. Changed on a thread of its own, since lowering a Linux
// thread's priority cannot be undone without privileges.
TEST(Threads, PrioritiesAreAcceptedAsHints) {
  const int levels[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                        THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                        THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                        THREAD_PRIORITY_TIME_CRITICAL};
  HANDLE suspended = Start([] { return 0; }, CREATE_SUSPENDED);
  for (int level : levels) {
    SCOPED_TRACE(level);
    EXPECT_TRUE(SetThreadPriority(suspended, level));
    EXPECT_EQ(GetThreadPriority(suspended), level);
  }
  ResumeThread(suspended);
  EXPECT_EQ(Finish(suspended), 0u);

  std::thread([&] {
    for (int level : levels) {
      SCOPED_TRACE(level);
      EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), level));
      EXPECT_EQ(GetThreadPriority(GetCurrentThread()), level);
    }
    for (int bad : {3, -3, 14, 100}) {
      SetLastError(0);
      EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), bad));
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
  }).join();

  EXPECT_FALSE(SetThreadPriority(nullptr, THREAD_PRIORITY_NORMAL));
  EXPECT_EQ(GetThreadPriority(nullptr), THREAD_PRIORITY_ERROR_RETURN);
}

TEST(Threads, RunningThreadChangesItsOwnPriority) {
  HANDLE thread = Start([] {
    bool ok = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) &&
              GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_TIME_CRITICAL &&
              SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    return ok ? 0u : 1u;
  });
  ASSERT_TRUE(SignalledWithin(thread));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_LOWEST);
  EXPECT_EQ(Finish(thread), 0u);
}

TEST(Threads, BadHandlesFail) {
  DWORD code = 0;
  EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFu);
  EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  SetLastError(0);
  EXPECT_EQ(ResumeThread(event), 0xFFFFFFFFu);  // not a thread
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(event);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  // The calling thread is running, whatever made it.
  ASSERT_TRUE(GetExitCodeThread(GetCurrentThread(), &code));
  EXPECT_EQ(code, STILL_ACTIVE);
}
