#include "platform/core/message_queue.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/sync.h"
#include "platform/core/time.h"
#include "thread_helpers.h"

using test_threads::Finish;
using test_threads::SignalledWithin;
using test_threads::Start;

namespace {

const HWND kWindowA = reinterpret_cast<HWND>(0x1000);
const HWND kWindowB = reinterpret_cast<HWND>(0x2000);
const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

// The test thread's own queue is shared by the tests: each leaves it empty.
class MessageQueues : public ::testing::Test {
 protected:
  void TearDown() override {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

// Installs a source for its lifetime.
struct Installed {
  explicit Installed(MessageSource* source) { SetMessageSource(source); }
  ~Installed() { SetMessageSource(nullptr); }
};

// A generated message (a timer, say) that falls due at a time of the clock.
class TimerSource : public MessageSource {
 public:
  static constexpr UINT kMessage = 0x0113;
  // due: a time of the clock, or INFINITE for "whenever ready".
  explicit TimerSource(DWORD due, DWORD poll = INFINITE) : due_(due), poll_(poll) {}
  bool Generate(MSG* msg, HWND filter, UINT min, UINT max, bool remove) override {
    ++asked;
    if (fired_ || !ready) return false;
    if (due_ != INFINITE && static_cast<LONG>(CurrentTime() - due_) < 0) return false;
    if (!(min == 0 && max == 0) && (kMessage < min || kMessage > max)) return false;
    *msg = MSG{};
    msg->message = kMessage;
    msg->wParam = 1;
    if (remove) fired_ = true;
    return true;
  }
  DWORD PollInterval() override { return poll_; }

  std::atomic<int> asked{0};
  std::atomic<bool> ready{true};

 private:
  std::atomic<bool> fired_{false};
  DWORD due_;
  DWORD poll_;
};

// The times a thread of this process gave up its processor to wait.
long WaitsOfThread(long tid) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  }
  return -1;
}

}  // namespace

// Several threads post to one thread at once: every message arrives, and the
// messages of each poster arrive in the order it posted them.
TEST_F(MessageQueues, PostedMessagesKeepTheirOrderAcrossThreads) {
  constexpr int kPosters = 4, kEach = 3000;
  DWORD consumerId = 0;
  std::vector<std::vector<LPARAM>> received(kPosters);
  HANDLE consumer = Start(
      [&] {
        MSG msg;
        for (int n = 0; n < kPosters * kEach; ++n) {
          if (GetMessage(&msg, nullptr, 0, 0) != 1 || msg.message != WM_APP) return 1;
          received.at(msg.wParam).push_back(msg.lParam);
        }
        return PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) ? 2 : 0;  // nothing more
      },
      0, &consumerId);
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p) {
    posters.emplace_back([=] {
      for (int i = 0; i < kEach; ++i) {
        while (!PostThreadMessage(consumerId, WM_APP, p, i)) {
        }
      }
    });
  }
  for (auto& poster : posters) poster.join();
  ASSERT_EQ(Finish(consumer), 0u);
  for (int p = 0; p < kPosters; ++p) {
    ASSERT_EQ(received[p].size(), static_cast<size_t>(kEach));
    for (int i = 0; i < kEach; ++i) ASSERT_EQ(received[p][i], i) << "poster " << p;
  }
}

TEST_F(MessageQueues, FiltersTakeTheFirstMatchingMessage) {
  struct Case {
    HWND hwnd;
    UINT min, max;
    bool found;
    LPARAM tag;  // which posted message
  } cases[] = {
      {nullptr, 0, 0, true, 1},                 // anything: the oldest
      {kThreadOnly, 0, 0, true, 1},             // thread messages only
      {kWindowA, 0, 0, true, 2},                // that window's only
      {kWindowB, 0, 0, true, 4},                //
      {nullptr, WM_APP, WM_APP + 10, true, 3},  // by range
      {kThreadOnly, WM_USER + 2, WM_APP + 1, true, 3},
      {kWindowA, WM_USER + 3, WM_USER + 3, false, 0},
      {nullptr, WM_USER + 2, WM_USER + 3, true, 2},  // both ends included
      {nullptr, WM_APP + 2, WM_APP + 10, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case tag " << c.tag << " min " << c.min);
    ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_USER + 1, 0, 1));
    ASSERT_TRUE(PostQueueMessage(GetCurrentThreadId(), kWindowA, WM_USER + 2, 0, 2));
    ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_APP + 1, 0, 3));
    ASSERT_TRUE(PostQueueMessage(GetCurrentThreadId(), kWindowB, WM_USER + 3, 0, 4));
    MSG msg;
    EXPECT_EQ(HasPostedMessages(c.hwnd, c.min, c.max), c.found);
    ASSERT_EQ(PeekMessage(&msg, c.hwnd, c.min, c.max, PM_NOREMOVE) != FALSE, c.found);
    if (c.found) {
      EXPECT_EQ(msg.lParam, c.tag);
      // PM_NOREMOVE left it; PM_REMOVE takes the same one.
      ASSERT_TRUE(PeekMessage(&msg, c.hwnd, c.min, c.max, PM_REMOVE));
      EXPECT_EQ(msg.lParam, c.tag);
    }
    // The others stay, in their order.
    std::vector<LPARAM> rest;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) rest.push_back(msg.lParam);
    std::vector<LPARAM> expected;
    for (LPARAM tag : {1, 2, 3, 4}) {
      if (!c.found || tag != c.tag) expected.push_back(tag);
    }
    EXPECT_EQ(rest, expected);
  }
}

TEST_F(MessageQueues, QuitComesAfterThePostedMessagesWhateverTheFilter) {
  PostThreadMessage(GetCurrentThreadId(), WM_USER + 7, 0, 0);
  PostQuitMessage(7);
  MSG msg;
  // The quit request passes any filter but waits behind matching posted messages.
  ASSERT_TRUE(PeekMessage(&msg, kWindowA, WM_APP, WM_APP, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER + 7u);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  // WM_QUIT posted as a message ends GetMessage too.
  PostThreadMessage(GetCurrentThreadId(), WM_QUIT, 3, 0);
  EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(GetMessage(nullptr, nullptr, 0, 0), -1);
}

TEST_F(MessageQueues, PostingNeedsAQueue) {
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessage(0, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
  EXPECT_FALSE(PostSentTask(0, [] {}));

  // A thread not made by CreateThread has its queue from its first use.
  DWORD id = 0;
  HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  bool hadQueue = true;
  std::thread plain([&] {
    id = GetCurrentThreadId();
    hadQueue = HasMessageQueue(id);
    EnsureMessageQueue();
    SetEvent(ready);
    WaitForSingleObject(done, INFINITE);
  });
  ASSERT_TRUE(SignalledWithin(ready));
  EXPECT_FALSE(hadQueue);
  EXPECT_TRUE(PostThreadMessage(id, WM_USER, 0, 0));
  SetEvent(done);
  plain.join();
  // The queue ends with its thread.
  EXPECT_FALSE(HasMessageQueue(id));
  EXPECT_FALSE(PostThreadMessage(id, WM_USER, 0, 0));
  CloseHandle(ready);
  CloseHandle(done);
}

// The engine's command thread: messages may be posted to it before it runs.
TEST_F(MessageQueues, CreatedThreadHasItsQueueBeforeItRuns) {
  DWORD id = 0;
  HANDLE thread = Start(
      [] {
        MSG msg;
        DWORD sum = 0;
        while (GetMessage(&msg, nullptr, 0, 0) > 0) {
          if (msg.message == WM_USER + 300) return sum;
          sum = sum * 10 + static_cast<DWORD>(msg.wParam);
        }
        return DWORD{0};
      },
      CREATE_SUSPENDED, &id);
  EXPECT_TRUE(HasMessageQueue(id));
  for (WPARAM w : {1, 2, 3}) EXPECT_TRUE(PostThreadMessage(id, WM_USER + 1, w, 0));
  EXPECT_TRUE(PostThreadMessage(id, WM_USER + 300, 0, 0));
  ResumeThread(thread);
  EXPECT_EQ(Finish(thread), 123u);
  EXPECT_FALSE(PostThreadMessage(id, WM_USER, 0, 0));
}

TEST_F(MessageQueues, SentTasksRunOnTheTargetThreadInsideGetMessage) {
  DWORD id = 0;
  std::vector<int> order;  // touched by the target thread only
  HANDLE thread = Start(
      [&] {
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0) > 0) order.push_back(static_cast<int>(msg.wParam));
        return static_cast<DWORD>(msg.wParam);
      },
      CREATE_SUSPENDED, &id);
  std::atomic<DWORD> ranOn{0};
  PostThreadMessage(id, WM_USER, 1, 0);
  ASSERT_TRUE(PostSentTask(id, [&] {
    ranOn = GetCurrentThreadId();
    order.push_back(0);  // before the message posted earlier: sent tasks come first
    PostQuitMessage(9);
  }));
  ResumeThread(thread);
  EXPECT_EQ(Finish(thread), 9u);
  EXPECT_EQ(ranOn.load(), id);
  EXPECT_EQ(order, (std::vector<int>{0, 1}));
}

TEST_F(MessageQueues, SentTasksOfAnEndedThreadAreDroppedNotRun) {
  DWORD id = 0;
  HANDLE thread = Start([] { return 0; }, CREATE_SUSPENDED, &id);
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  bool ran = false;
  ASSERT_TRUE(PostSentTask(id, [&ran, token] { ran = true; }));
  token.reset();
  ResumeThread(thread);
  EXPECT_EQ(Finish(thread), 0u);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(watch.expired());  // the sender can notice
}

TEST_F(MessageQueues, SourceIsAskedAfterPostedMessagesAndWokenOnRequest) {
  TimerSource source(INFINITE);
  source.ready = false;
  Installed installed(&source);
  DWORD id = 0;
  std::vector<UINT> got;
  HANDLE thread = Start(
      [&] {
        MSG msg;
        for (int i = 0; i < 2; ++i) {
          if (GetMessage(&msg, nullptr, 0, 0) != 1) return 1;
          got.push_back(msg.message);
        }
        return 0;
      },
      CREATE_SUSPENDED, &id);
  PostThreadMessage(id, WM_USER, 0, 0);
  ResumeThread(thread);
  // The thread took the posted message and now waits; the source has
  // something only once it is ready, and says so by waking the queue.
  while (source.asked.load() == 0) std::this_thread::yield();
  source.ready = true;
  WakeThreadQueue(id);
  EXPECT_EQ(Finish(thread), 0u);
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER, TimerSource::kMessage}));
}

TEST_F(MessageQueues, SourceFiltersAndPeeksLikePostedMessages) {
  TimerSource source(INFINITE);
  Installed installed(&source);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_USER, WM_APP, PM_REMOVE));  // filtered out
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, TimerSource::kMessage);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

// A timer due on the driven clock: advancing the clock makes a waiting
// GetMessage ask its source again.
TEST_F(MessageQueues, AdvancingTheDrivenClockWakesWaitingQueues) {
  TestClock clock;
  TimerSource source(clock.Now() + 100);
  Installed installed(&source);
  HANDLE thread = Start([] {
    MSG msg;
    return GetMessage(&msg, nullptr, 0, 0) == 1 ? msg.message : 0u;
  });
  clock.Advance(50);
  clock.Advance(50);
  EXPECT_EQ(Finish(thread), TimerSource::kMessage);
}

TEST_F(MessageQueues, PollingSourceIsAskedAgainAfterItsInterval) {
  TimerSource source(INFINITE, 1);
  source.ready = false;
  Installed installed(&source);
  HANDLE thread = Start([&] {
    MSG msg;
    return GetMessage(&msg, nullptr, 0, 0) == 1 ? msg.message : 0u;
  });
  while (source.asked.load() < 3) std::this_thread::yield();  // asked without any wake-up
  source.ready = true;
  EXPECT_EQ(Finish(thread), TimerSource::kMessage);
}

TEST_F(MessageQueues, MsgWaitEndsForObjectsOrInput) {
  TestClock clock;
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE go = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  std::vector<DWORD> results;
  HANDLE thread = Start(
      [&] {
        for (DWORD mask : {QS_ALLINPUT, QS_ALLINPUT, QS_SENDMESSAGE, DWORD{0}, QS_KEY}) {
          SetEvent(go);
          results.push_back(MsgWaitForMultipleObjects(1, &event, FALSE, 1000, mask));
        }
        return 0;
      },
      0, &id);
  ASSERT_TRUE(SignalledWithin(go));
  SetEvent(event);  // 1: the object
  ASSERT_TRUE(SignalledWithin(go));
  PostThreadMessage(id, WM_USER, 0, 0);  // 2: a posted message
  ASSERT_TRUE(SignalledWithin(go));
  std::atomic<bool> ran{false};
  PostSentTask(id, [&] { ran = true; });  // 3: a sent task, run by the wait
  ASSERT_TRUE(SignalledWithin(go));
  // 4: without a wake mask the posted message does not count; time-out.
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  clock.Advance(1000);
  ASSERT_TRUE(SignalledWithin(go));
  SetEvent(event);  // 5: the posted message is no key input
  EXPECT_EQ(Finish(thread), 0u);
  EXPECT_TRUE(ran.load());
  EXPECT_EQ(results, (std::vector<DWORD>{WAIT_OBJECT_0, WAIT_OBJECT_0 + 1, WAIT_OBJECT_0 + 1, WAIT_TIMEOUT,
                                         WAIT_OBJECT_0}));
  CloseHandle(event);
  CloseHandle(go);
}

TEST_F(MessageQueues, WaitMessageReturnsForInput) {
  PostThreadMessage(GetCurrentThreadId(), WM_USER, 0, 0);
  EXPECT_TRUE(WaitMessage());  // at once: a message is there
  DWORD id = 0;
  HANDLE thread = Start(
      [] {
        WaitMessage();
        MSG msg;
        return PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) ? msg.message : 0u;
      },
      0, &id);
  PostThreadMessage(id, WM_USER + 5, 0, 0);
  EXPECT_EQ(Finish(thread), WM_USER + 5u);
}

// Only a queue's own thread waits for it, so a thread posting to or waking
// its own queue (a window invalidating itself as it paints) lets the
// threads waiting on theirs sleep on.
TEST_F(MessageQueues, ChangesToTheOwnQueueLeaveOtherWaitersAsleep) {
  std::atomic<long> tid{0};
  DWORD id = 0;
  HANDLE waiter = Start(
      [&] {
        tid = syscall(SYS_gettid);
        MSG msg;
        return GetMessage(&msg, nullptr, 0, 0) == 1 && msg.message == WM_APP ? 0u : 1u;
      },
      0, &id);
  while (tid.load() == 0) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // asleep in GetMessage
  const long before = WaitsOfThread(tid);
  ASSERT_GE(before, 0);
  constexpr int kChanges = 200;
  MSG msg;
  for (int i = 0; i < kChanges; ++i) {
    // Apart, as a painting window's changes come, so that a waiter woken by
    // one is back asleep before the next.
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    WakeThreadQueue(GetCurrentThreadId());
    ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_USER, 0, i));
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.lParam, i);
  }
  EXPECT_LT(WaitsOfThread(tid) - before, kChanges / 10);
  PostThreadMessage(id, WM_APP, 0, 0);
  EXPECT_EQ(Finish(waiter), 0u);
}
