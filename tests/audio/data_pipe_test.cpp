#include "audio/data_pipe.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "support/time_bounds.h"

namespace {

// Whether the thread sleeps in a wait (its state in /proc is S).
bool Sleeping(pid_t thread) {
  std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t name = text.rfind(')');
  return name != std::string::npos && name + 2 < text.size() && text[name + 2] == 'S';
}

class DataPipeTest : public ::testing::Test {
 protected:
  void SetUp() override { TDataPipe::abort = 0; }
  void TearDown() override { TDataPipe::abort = 0; }
};

TEST_F(DataPipeTest, ADepthBelowTwoGetsTwoElementsInARing) {
  TDataPipe pipe(16, 1);
  ASSERT_EQ(pipe.depth(), 2);
  EXPECT_EQ(TDataPipe::freeBlocks.load(), 2);
  EXPECT_EQ(TDataPipe::fullBlocks.load(), 0);
  TData* first = pipe.GetWriteBlock();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->block->capacity, 16);
  EXPECT_EQ(first->block->held, 0);
  EXPECT_EQ(first->bytes(), 16u * 8);
  pipe.PostWriteBlock();
  TData* second = pipe.GetWriteBlock();
  EXPECT_NE(second, first);
  EXPECT_EQ(second->next, first);
  EXPECT_EQ(pipe.GetReadBlock(), first);
  EXPECT_EQ(TDataPipe::freeBlocks.load(), 0);
}

// The producer stamps each block with its number; the consumer must see
// every number once, in order.
TEST_F(DataPipeTest, KeepsOrderOverManyBlocksBetweenTwoThreads) {
  constexpr LONG kBlocks = 100000;
  TDataPipe pipe(4, 3);
  ASSERT_EQ(pipe.depth(), 3);
  std::thread producer([&] {
    for (LONG n = 0; n < kBlocks; ++n) {
      TData* d = pipe.GetWriteBlock();
      ASSERT_NE(d, nullptr);
      std::memcpy(d->block->data, &n, sizeof(n));
      d->block->held = n % 4;
      pipe.PostWriteBlock();
    }
  });
  LONG expected = 0;
  for (; expected < kBlocks; ++expected) {
    TData* d = pipe.GetReadBlock();
    ASSERT_NE(d, nullptr);
    LONG n;
    std::memcpy(&n, d->block->data, sizeof(n));
    ASSERT_EQ(n, expected);
    ASSERT_EQ(d->block->held, expected % 4);
    pipe.ReleaseReadBlock();
  }
  producer.join();
  EXPECT_EQ(TDataPipe::fullBlocks.load(), 0);
  EXPECT_EQ(TDataPipe::freeBlocks.load(), 3);
}

TEST_F(DataPipeTest, AWaiterOnEitherSideWakesOnAbortAtOnce) {
  // A consumer of an empty pipe and a producer of a full one, both asleep
  // in their waits, in a few rounds.
  std::unique_ptr<TDataPipe> pipe, full;
  TData* consumed = nullptr;
  TData* produced = nullptr;
  std::atomic<pid_t> consumerId{0}, producerId{0};
  std::thread consumer, producer;
  const auto quickest = QuickestOf(
      5,
      [&] {
        TDataPipe::abort = 0;
        pipe = std::make_unique<TDataPipe>(4, 2);
        full = std::make_unique<TDataPipe>(4, 2);
        for (int i = 0; i < 2; ++i) {
          ASSERT_NE(full->GetWriteBlock(), nullptr);
          full->PostWriteBlock();
        }
        consumed = produced = reinterpret_cast<TData*>(1);
        consumerId = producerId = 0;
        consumer = std::thread([&] {
          consumerId = static_cast<pid_t>(syscall(SYS_gettid));
          consumed = pipe->GetReadBlock();
        });
        producer = std::thread([&] {
          producerId = static_cast<pid_t>(syscall(SYS_gettid));
          produced = full->GetWriteBlock();
        });
        // A guard against a hang while they come to their waits.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        auto asleep = [](const std::atomic<pid_t>& id) { return id != 0 && Sleeping(id); };
        while (!(asleep(consumerId) && asleep(producerId)) && std::chrono::steady_clock::now() < until)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(asleep(consumerId) && asleep(producerId));
      },
      [&] {
        TDataPipe::abort.exchange(1);
        pipe->ReleaseWaiters();
        full->ReleaseWaiters();
        consumer.join();
        producer.join();
      });
  // Woken, not timed out: a wait that only a time-out ends takes that long
  // in every round, where a busy machine holds back only some.
  EXPECT_LT(quickest, std::chrono::milliseconds(200));
  EXPECT_EQ(consumed, nullptr);
  EXPECT_EQ(produced, nullptr);
  // While the flag stays set no wait hands out an element.
  EXPECT_EQ(full->GetReadBlock(), nullptr);
}

// A waiting consumer is woken by a whole batch (half the ring), or by the
// producer's end with what there is; posts below that leave it asleep.
TEST_F(DataPipeTest, AWaitingConsumerWakesForHalfTheRingOrTheEnd) {
  struct Case {
    int posts;
    bool end;
  };
  for (const Case c : {Case{4, false}, Case{1, true}}) {
    TDataPipe pipe(4, 8);
    std::atomic<TData*> taken{nullptr};
    std::atomic<pid_t> id{0};
    std::thread consumer([&] {
      id = static_cast<pid_t>(syscall(SYS_gettid));
      taken = pipe.GetReadBlock();
    });
    // It finds the pipe empty and waits (a consumer that comes later takes
    // whatever it finds, batch or not).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((id == 0 || !Sleeping(id)) && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(id != 0 && Sleeping(id));
    for (int i = 0; i < c.posts; ++i) {
      if (i == c.posts - 1) {
        // Everything before the last step leaves the consumer waiting.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(taken.load(), nullptr) << c.posts;
      }
      ASSERT_NE(pipe.GetWriteBlock(), nullptr);
      if (!c.end || i < c.posts - 1) pipe.PostWriteBlock();
    }
    if (c.end) {
      pipe.PostWriteBlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      EXPECT_EQ(taken.load(), nullptr) << "one block is no batch";
      pipe.EndWrites();
    }
    consumer.join();
    EXPECT_NE(taken.load(), nullptr) << c.posts;
  }
}

}  // namespace
