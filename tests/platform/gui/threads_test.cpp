#include "platform/core/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "gui_test_util.h"
#include "platform/core/sync.h"

namespace {

constexpr UINT kAsk = WM_USER + 1;
constexpr UINT kDone = WM_USER + 2;
constexpr UINT kNumber = WM_USER + 3;
constexpr UINT kAskBack = WM_USER + 4;

// A worker thread running a function.
class Worker {
 public:
  explicit Worker(std::function<void()> body) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &Worker::Run, this, 0, &id_);
  }
  ~Worker() {
    Join();
    CloseHandle(handle_);
  }
  void Join() {
    if (!joined_) WaitForSingleObject(handle_, INFINITE);
    joined_ = true;
  }
  DWORD id() const { return id_; }

 private:
  static DWORD Run(LPVOID self) {
    static_cast<Worker*>(self)->body_();
    return 0;
  }
  std::function<void()> body_;
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  bool joined_ = false;
};

// Runs the calling thread's messages until until() holds (at most 10 s).
bool PumpUntil(const std::function<bool()>& until) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  MSG msg;
  while (!until()) {
    if (std::chrono::steady_clock::now() > end) return false;
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return true;
}

class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorder::Get().Clear();
    window_ = CreateWindowEx(0, Recorder::Class(), "W", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { DestroyWindow(window_); }
  HWND window_ = nullptr;
};

TEST_F(ThreadTest, SendFromAWorkerReturnsAfterTheWindowThreadHandledIt) {
  const DWORD main_thread = GetCurrentThreadId();
  std::atomic<bool> handled{false};
  std::atomic<bool> done{false};
  DWORD handler_thread = 0;
  Recorder::Get().handlers[window_] = [&](HWND, UINT msg, WPARAM wp, LPARAM, bool* h) -> LRESULT {
    if (msg == kAsk) {
      handler_thread = GetCurrentThreadId();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the sender keeps waiting
      handled = true;
      *h = true;
      return static_cast<LRESULT>(wp * 2);
    }
    if (msg == kDone) done = true;
    return 0;
  };
  LRESULT result = 0;
  bool handled_when_returned = false;
  Worker w([&] {
    result = SendMessage(window_, kAsk, 21, 0);
    handled_when_returned = handled;
    PostMessage(window_, kDone, 0, 0);
  });
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
  w.Join();
  EXPECT_EQ(result, 42);
  EXPECT_TRUE(handled_when_returned);
  EXPECT_EQ(handler_thread, main_thread);
}

TEST_F(ThreadTest, PostedMessagesKeepTheirOrderPerSender) {
  std::vector<std::pair<LPARAM, WPARAM>> got;
  Recorder::Get().handlers[window_] = [&](HWND, UINT msg, WPARAM wp, LPARAM lp, bool* h) -> LRESULT {
    if (msg == kNumber) {
      got.emplace_back(lp, wp);
      *h = true;
    }
    return 0;
  };
  constexpr int kCount = 500;
  {
    Worker a([&] {
      for (int i = 0; i < kCount; ++i) PostMessage(window_, kNumber, static_cast<WPARAM>(i), 1);
    });
    Worker b([&] {
      for (int i = 0; i < kCount; ++i) PostMessage(window_, kNumber, static_cast<WPARAM>(i), 2);
    });
  }
  ASSERT_TRUE(PumpUntil([&] { return got.size() == 2 * kCount; }));
  WPARAM next[3] = {0, 0, 0};
  for (const auto& [sender, n] : got) {
    EXPECT_EQ(n, next[sender]);
    next[sender] = n + 1;
  }
}

TEST_F(ThreadTest, ThreadsSendingToEachOtherDoNotLockUp) {
  // The worker owns a window too and runs its own loop; its handler sends
  // back to the main window while the main thread waits in SendMessage.
  std::atomic<HWND> worker_window{nullptr};
  std::atomic<bool> stop{false};
  Recorder::Get().handlers[window_] = [&](HWND, UINT msg, WPARAM wp, LPARAM, bool* h) -> LRESULT {
    if (msg == kAskBack) {
      *h = true;
      return static_cast<LRESULT>(wp + 1);
    }
    return 0;
  };
  Worker w([&] {
    HWND mine = CreateWindowEx(0, Recorder::Class(), "Worker", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    Recorder::Get().handlers[mine] = [&](HWND, UINT msg, WPARAM wp, LPARAM, bool* h) -> LRESULT {
      if (msg != kAsk) return 0;
      *h = true;
      return SendMessage(window_, kAskBack, wp, 0) * 10;
    };
    worker_window = mine;
    MSG msg;
    while (!stop) {
      if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessage(&msg);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    DestroyWindow(mine);
  });
  ASSERT_TRUE(PumpUntil([&] { return worker_window.load() != nullptr; }));
  EXPECT_EQ(SendMessage(worker_window, kAsk, 4, 0), 50);
  stop = true;
  w.Join();
}

TEST_F(ThreadTest, SendToAWindowWhoseThreadEndedReturnsAtOnce) {
  HWND orphan = nullptr;
  {
    Worker w([&] {
      orphan = CreateWindowEx(0, Recorder::Class(), "Orphan", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
    });
  }
  ASSERT_NE(orphan, nullptr);
  EXPECT_EQ(SendMessage(orphan, kAsk, 1, 0), 0);
}

TEST_F(ThreadTest, TimersSetFromAWorkerFireOnTheWindowThreadAtTheirPeriod) {
  TestClock clock;
  int fired = 0;
  Recorder::Get().handlers[window_] = [&](HWND, UINT msg, WPARAM wp, LPARAM, bool* h) -> LRESULT {
    if (msg == WM_TIMER && wp == 3) {
      ++fired;
      *h = true;
    }
    return 0;
  };
  {
    Worker w([&] { SetTimer(window_, 3, 40, nullptr); });
  }
  GuiPumpMessages();
  EXPECT_EQ(fired, 0);
  for (int i = 1; i <= 5; ++i) {
    clock.Advance(39);
    GuiPumpMessages();
    EXPECT_EQ(fired, i - 1);
    clock.Advance(1);
    GuiPumpMessages();
    EXPECT_EQ(fired, i);
  }
  KillTimer(window_, 3);
}

TEST_F(ThreadTest, AWaitingGetMessageWakesForATimerOnTheDrivenClock) {
  TestClock clock;
  std::atomic<bool> got{false};
  std::atomic<bool> waiting{false};
  Worker w([&] {
    SetTimer(nullptr, 0, 100, nullptr);
    waiting = true;
    MSG msg;
    // Blocks until the clock passes the timer's due time.
    if (GetMessage(&msg, nullptr, 0, 0) > 0 && msg.message == WM_TIMER) got = true;
  });
  while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(got);
  clock.Advance(100);
  w.Join();
  EXPECT_TRUE(got);
}

}  // namespace
