// The simulated board as the program sees it through its library: the
// playout of announced frames on the board's clock, stills, the fields it
// shows, GPI waits, and resources shared between processes.
#include <dlfcn.h>
#include <spawn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/board/vlminter.h"
#include "support/test_env.h"

namespace {

// Each test loads the library afresh, as a program does.
void*& Library() {
  static void* handle = nullptr;
  return handle;
}

#define BOARD(name) reinterpret_cast<decltype(&name)>(dlsym(Library(), #name))

constexpr int kWidth = 64;
constexpr int kHeight = 32;
constexpr int kField = kWidth * 2 * (kHeight / 2);

class SimulatedBoard : public testing::Test {
 protected:
  void SetUp() override { Load(); }
  void TearDown() override { Unload(); }
  void Load() {
    Library() = dlopen(KOBRIX_BOARD_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(Library(), nullptr) << dlerror();
    BOARD(vlmsim_SetClockDriven)(1);
  }
  void Unload() {
    if (Library() != nullptr) dlclose(Library());
    Library() = nullptr;
  }

  // A fifo of 1 MiB for 64 x 32 frames at 25 per second, paused at 0.
  void Prepare() {
    int size = 1 << 20;
    fifo_ = static_cast<uint8_t*>(BOARD(vdc_AllocVideoFifo)(&size));
    ASSERT_NE(fifo_, nullptr);
    size_ = size;
    ASSERT_EQ(BOARD(vdc_SetFormat)(kWidth, kHeight, 25000, 1000), 1);
    BOARD(vdc_ResetCounter)(1, 0);
  }
  // Announces frame id with its two fields in one colour each.
  void Frame(int id, const uint8_t (&even)[3], const uint8_t (&odd)[3]) {
    const int at = BOARD(vdc_CheckFreeSize)(2 * kField, 0);
    ASSERT_GE(at, 0);
    ASSERT_LE(at + 2 * kField, size_);
    Fill(fifo_ + at, even);
    Fill(fifo_ + at + kField, odd);
    BOARD(vdc_AddData)(id, 0, 1, kField);
    BOARD(vdc_AddData)(id, 1, 1, kField);
    BOARD(vdc_AddData)(id, 0, 4, 0);
  }
  void Frame(int id, uint8_t y) { Frame(id, {y, 128, 128}, {y, 128, 128}); }
  static void Fill(uint8_t* p, const uint8_t (&yuv)[3]) {
    for (int i = 0; i < kField; i += 4) {
      p[i] = yuv[0];
      p[i + 1] = yuv[1];
      p[i + 2] = yuv[0];
      p[i + 3] = yuv[2];
    }
  }
  std::vector<uint32_t> Picture() {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels(kWidth * kHeight);
    const int n = BOARD(vlmsim_GetLastPicture)(pixels.data(), static_cast<int>(pixels.size()), &w, &h);
    pixels.resize(static_cast<std::size_t>(n));
    return pixels;
  }
  // The green of the picture's first pixel: the frames' Y tells them apart.
  int Green() {
    const std::vector<uint32_t> p = Picture();
    return p.empty() ? -1 : static_cast<int>((p[0] >> 8) & 0xFF);
  }
  static int GreenOf(int y) { return std::min(255, (298 * (y - 16) + 128) >> 8); }

  TestFolder runtime_{"kobrix-run"};
  ScopedEnv env_{"XDG_RUNTIME_DIR", runtime_.path()};
  uint8_t* fifo_ = nullptr;
  int size_ = 0;
};

TEST_F(SimulatedBoard, FramesAreShownInOrderOfTheirIdsOnTheBoardsClock) {
  Prepare();
  Frame(0, 40);
  Frame(1, 60);
  Frame(2, 80);
  Frame(5, 100);  // its time comes three ticks after frame 2
  BOARD(vdc_Run)();
  BOARD(vlmsim_AdvanceClock)(0);
  EXPECT_EQ(BOARD(vdc_GetLastFrameNumber)(), 0);
  EXPECT_EQ(Green(), GreenOf(40));
  struct {
    int advance, frame, last, green;
  } steps[] = {{40, 1, 1, 60}, {40, 2, 2, 80}, {40, 3, 2, 80}, {40, 4, 2, 80}, {40, 5, 5, 100}};
  for (const auto& s : steps) {
    BOARD(vlmsim_AdvanceClock)(s.advance);
    EXPECT_EQ(BOARD(vdc_GetFrameNumber)(), s.frame);
    EXPECT_EQ(BOARD(vdc_GetLastFrameNumber)(), s.last);
    EXPECT_EQ(Green(), GreenOf(s.green));
  }
  EXPECT_EQ(BOARD(vdc_get_timeouts)(0), 0);
  // Two ticks with nothing to show: the next frame is two ticks late, and
  // the counter waited for it.
  BOARD(vlmsim_AdvanceClock)(80);
  EXPECT_EQ(BOARD(vdc_GetFrameNumber)(), 5);
  Frame(6, 120);
  BOARD(vlmsim_AdvanceClock)(40);
  EXPECT_EQ(BOARD(vdc_GetLastFrameNumber)(), 6);
  EXPECT_EQ(BOARD(vdc_get_timeouts)(0), 2);
  BOARD(vdc_clear_timeouts)(0);
  EXPECT_EQ(BOARD(vdc_get_timeouts)(0), 0);
  // Shown frames free their room; the board's time is its clock's.
  EXPECT_EQ(BOARD(vdc_CheckFreeSize)(size_, 0), 5 * 2 * kField);
  const int now = BOARD(vdc_GetTime)();
  BOARD(vlmsim_AdvanceClock)(1000);
  EXPECT_EQ(BOARD(vdc_GetTime)() - now, 1000);
}

TEST_F(SimulatedBoard, APausedBoardShowsTheFrameOfItsCounterAndKeepsItAfterAFlush) {
  Prepare();
  Frame(0, 200);
  EXPECT_EQ(Green(), GreenOf(200));
  EXPECT_EQ(BOARD(vdc_GetLastFrameNumber)(), -1);  // shown as a still, not played
  BOARD(vdc_Flush)();
  EXPECT_EQ(Green(), GreenOf(200));
  EXPECT_EQ(BOARD(vdc_CheckFreeSize)(size_, 0), 2 * kField);
  // What follows the still can be dropped again.
  BOARD(vdc_ResetCounter)(1, 0);
  Frame(0, 50);
  const int at = BOARD(vdc_CheckFreeSize)(0, 0);
  BOARD(vdc_AddData)(1, 0, 5, 100);
  BOARD(vdc_AddData)(1, 0, 1, 500);
  BOARD(vdc_FlushTail)();
  EXPECT_EQ(BOARD(vdc_CheckFreeSize)(0, 0), at);
  EXPECT_EQ(Green(), GreenOf(50));
  // Stopping empties the fifo.
  BOARD(vdc_Stop)();
  EXPECT_GE(BOARD(vdc_CheckFreeSize)(size_, 0), 0);
}

TEST_F(SimulatedBoard, FieldsAreTheFramesEvenAndOddLinesKeyedByTheirAlpha) {
  Prepare();
  const uint8_t red[3] = {81, 90, 240};
  const uint8_t blue[3] = {41, 240, 110};
  Frame(0, red, blue);
  std::vector<uint32_t> p = Picture();
  ASSERT_EQ(p.size(), static_cast<std::size_t>(kWidth * kHeight));
  for (int row : {0, 1, 30, 31}) {
    const uint32_t c = p[static_cast<std::size_t>(row * kWidth + 7)];
    const int r = (c >> 16) & 0xFF, b = c & 0xFF;
    if (row % 2 == 0) {
      EXPECT_GT(r, 200) << row;
      EXPECT_LT(b, 40) << row;
    } else {
      EXPECT_GT(b, 200) << row;
      EXPECT_LT(r, 40) << row;
    }
  }
  // Mixed by the key: field 1 fully transparent.
  BOARD(vdc_mixer_blender_set)(2);
  BOARD(vdc_Flush)();
  BOARD(vdc_ResetCounter)(1, 1);
  const int at = BOARD(vdc_CheckFreeSize)(2 * kField + kWidth * kHeight, 0);
  Fill(fifo_ + at, red);
  Fill(fifo_ + at + kField, blue);
  std::memset(fifo_ + at + 2 * kField, 0xFF, kWidth * kHeight / 2);
  std::memset(fifo_ + at + 2 * kField + kWidth * kHeight / 2, 0, kWidth * kHeight / 2);
  BOARD(vdc_AddData)(1, 0, 1, kField);
  BOARD(vdc_AddData)(1, 1, 1, kField);
  BOARD(vdc_AddData)(1, 0, 2, kWidth * kHeight / 2);
  BOARD(vdc_AddData)(1, 1, 2, kWidth * kHeight / 2);
  BOARD(vdc_AddData)(1, 0, 4, 0);
  p = Picture();
  EXPECT_GT((p[0] >> 16) & 0xFF, 200u);
  EXPECT_EQ(p[kWidth], 0u);
}

TEST_F(SimulatedBoard, AGpiWaitEndsOnItsLineItsTimeOutOrACancel) {
  struct Case {
    const char* name;
    int how;  // 0 raise, 1 time-out, 2 cancel and start, 3 cancel
    int result;
  } cases[] = {{"raised", 0, 1}, {"timed out", 1, 0}, {"started", 2, 1}, {"abandoned", 3, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Unload();
    Load();
    Prepare();
    ASSERT_EQ(BOARD(vdc_SeizeGPI)(2), 1);
    EXPECT_EQ(BOARD(vdc_SeizeGPI)(2), 0);
    std::atomic<int> result{-1};
    std::atomic<int> took{0};
    std::thread waiter([&] {
      const int start = BOARD(vdc_GetTime)();
      result = BOARD(vdc_RunAfterWaitGPI)(2, 50);  // a second
      took = BOARD(vdc_GetTime)() - start;
    });
    switch (c.how) {
      case 0:
        BOARD(vlmsim_RaiseGPI)(2);
        break;
      case 1:
        while (result.load() < 0) {
          BOARD(vlmsim_AdvanceClock)(20);
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        break;
      default:
        while (BOARD(vdc_CancelWaitGPIEvent)(2, c.how == 2 ? 1 : 0) == 0)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        break;
    }
    waiter.join();
    EXPECT_EQ(result.load(), c.result);
    EXPECT_EQ(BOARD(vdc_GetState)(), c.result);
    if (c.how == 1) {
      EXPECT_GE(took.load(), 1000);
    }
    BOARD(vdc_FreeGPI)(2);
    EXPECT_EQ(BOARD(vdc_SeizeGPI)(2), 1);
  }
  char name[255] = {};
  int closed = -1, input = -1;
  ASSERT_EQ(BOARD(vdc_GetGPIInfo)(3, name, 255, &closed, &input), 1);
  EXPECT_STREQ(name, "GPI 4");
  EXPECT_EQ(BOARD(vdc_SetGPIInfo)(3, 1, 0), 1);
  BOARD(vdc_GetGPIInfo)(3, name, 255, &closed, &input);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(input, 0);
  EXPECT_EQ(BOARD(vdc_GetGPIInfo)(4, name, 255, &closed, &input), 0);
}

// The other instance is this test program started again: a child forked
// from this process would inherit the board's locks as its threads held them.
constexpr const char* kPeerVariable = "KOBRIX_BOARD_PEER";

// Takes resource 7, says whether it got it, holds it until told, and ends
// without giving it back.
TEST(SimulatedBoardPeer, TakesSevenAndEnds) {
  const char* fds = std::getenv(kPeerVariable);
  if (fds == nullptr) GTEST_SKIP() << "the other instance of the shared-resources test";
  int ready = -1, release = -1;
  ASSERT_EQ(std::sscanf(fds, "%d %d", &ready, &release), 2);
  void* library = dlopen(KOBRIX_BOARD_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  auto take = library != nullptr ? reinterpret_cast<decltype(&vdc_register)>(dlsym(library, "vdc_register")) : nullptr;
  const char taken = take != nullptr && take(7) != 0 ? 'y' : 'n';
  (void)!write(ready, &taken, 1);
  char go;
  (void)!read(release, &go, 1);
  _exit(0);
}

TEST_F(SimulatedBoard, ResourcesAreSharedWithOtherProcessesWhileTheyRun) {
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The peer keeps only its own ends: either side's end is then seen.
  posix_spawn_file_actions_addclose(&actions, ready[0]);
  posix_spawn_file_actions_addclose(&actions, release[1]);
  std::string filter = "--gtest_filter=SimulatedBoardPeer.TakesSevenAndEnds";
  char* argv[] = {self, filter.data(), nullptr};
  setenv(kPeerVariable, (std::to_string(ready[1]) + " " + std::to_string(release[0])).c_str(), 1);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, self, &actions, nullptr, argv, environ);
  unsetenv(kPeerVariable);
  posix_spawn_file_actions_destroy(&actions);
  close(ready[1]);
  close(release[0]);
  ASSERT_EQ(spawned, 0);
  char taken = 0;
  EXPECT_EQ(read(ready[0], &taken, 1), 1);
  EXPECT_EQ(taken, 'y');
  EXPECT_EQ(BOARD(vdc_register)(7), 0);
  EXPECT_EQ(BOARD(vdc_register)(9), 1);
  (void)!write(release[1], "x", 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(BOARD(vdc_register)(7), 1);
  EXPECT_EQ(BOARD(vdc_is_registered)(7), 1);
  BOARD(vdc_unregister_all)();
  EXPECT_EQ(BOARD(vdc_is_registered)(9), 0);
  close(ready[0]);
  close(release[1]);
}

}  // namespace
