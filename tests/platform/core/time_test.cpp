#include "platform/core/time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>

#include "platform/core/message_queue.h"
#include "platform/core/sync.h"
#include "thread_helpers.h"

using test_threads::Finish;
using test_threads::Start;

TEST(Time, DrivenClockMovesOnlyWhenAdvanced) {
  TestClock clock;
  const DWORD start = timeGetTime();
  LARGE_INTEGER frequency, before, after;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  EXPECT_EQ(timeGetTime(), start);
  clock.Advance(250);
  EXPECT_EQ(timeGetTime(), start + 250);
  EXPECT_EQ(GetTickCount(), start + 250);
  EXPECT_EQ(CurrentTime(), start + 250);
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  EXPECT_EQ((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 250);
}

TEST(Time, RealClockRuns) {
  ASSERT_FALSE(IsClockDriven());
  const DWORD start = timeGetTime();
  const auto realStart = std::chrono::steady_clock::now();
  Sleep(15);
  const auto realMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - realStart)
          .count();
  EXPECT_GE(realMs, 15);
  EXPECT_GE(timeGetTime() - start, 14u);  // whole milliseconds on both ends
  EXPECT_EQ(timeBeginPeriod(10), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(10), TIMERR_NOERROR);
}

// Every timed wait of the layer ends exactly when the driven clock reaches
// its deadline, also across the 32-bit wrap of the millisecond clock.
struct TimedWaitCase {
  const char* name;
  std::function<DWORD(HANDLE event, DWORD timeout)> wait;
  DWORD timedOut;
};

class TimedWaits : public ::testing::TestWithParam<TimedWaitCase> {};

TEST_P(TimedWaits, EndOnTheDrivenClockDeadline) {
  for (DWORD startOffset : {0u, 50u}) {  // 50: the wait runs across the wrap
    TestClock clock;
    clock.Advance(0u - clock.Now() - startOffset);
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0xFFFF};
    HANDLE waiter = Start([&] {
      result = GetParam().wait(event, 100);
      return 0;
    });
    ASSERT_TRUE(WaitForDrivenWaiters(1));
    clock.Advance(99);
    // The waiter saw 99 ms pass and went back to waiting.
    ASSERT_TRUE(WaitForDrivenWaiters(1));
    EXPECT_EQ(result.load(), 0xFFFFu);
    clock.Advance(1);
    EXPECT_EQ(Finish(waiter), 0u);
    EXPECT_EQ(result.load(), GetParam().timedOut);
    CloseHandle(event);
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, TimedWaits,
    ::testing::Values(TimedWaitCase{"WaitForSingleObject",
                                    [](HANDLE e, DWORD t) { return WaitForSingleObject(e, t); },
                                    WAIT_TIMEOUT},
                      TimedWaitCase{"WaitForMultipleObjects",
                                    [](HANDLE e, DWORD t) {
                                      HANDLE objects[2] = {e, e};
                                      return WaitForMultipleObjects(2, objects, FALSE, t);
                                    },
                                    WAIT_TIMEOUT},
                      TimedWaitCase{"Sleep",
                                    [](HANDLE, DWORD t) {
                                      Sleep(t);
                                      return DWORD{0};
                                    },
                                    0},
                      TimedWaitCase{"MsgWaitForMultipleObjects",
                                    [](HANDLE e, DWORD t) {
                                      return MsgWaitForMultipleObjects(1, &e, FALSE, t, QS_ALLINPUT);
                                    },
                                    WAIT_TIMEOUT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Time, ZeroTimeOutNeverBlocks) {
  TestClock clock;
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  Sleep(0);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
  CloseHandle(event);
}

// A test may switch to the driven clock while a real-time wait is under way:
// the wait keeps the time it had left, now measured on the driven clock.
TEST(Time, WaitFollowsTheClockWhenItIsSwitched) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> result{0xFFFF};
  HANDLE waiter = Start([&] {
    result = WaitForSingleObject(event, 60000);
    return 0;
  });
  {
    TestClock clock;
    ASSERT_TRUE(WaitForDrivenWaiters(1));
    clock.Advance(60000);
    EXPECT_EQ(Finish(waiter), 0u);
  }
  EXPECT_EQ(result.load(), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(Time, CalendarTime) {
  SYSTEMTIME utc;
  const std::time_t before = std::time(nullptr);
  GetSystemTime(&utc);
  std::tm expected{};
  gmtime_r(&before, &expected);
  EXPECT_GE(utc.wYear, expected.tm_year + 1900);
  EXPECT_LE(utc.wYear, expected.tm_year + 1901);
  EXPECT_GE(utc.wMonth, 1);
  EXPECT_LE(utc.wMonth, 12);
  EXPECT_GE(utc.wDay, 1);
  EXPECT_LE(utc.wDay, 31);
  EXPECT_LT(utc.wDayOfWeek, 7);
  EXPECT_LT(utc.wHour, 24);
  EXPECT_LT(utc.wMilliseconds, 1000);
}
