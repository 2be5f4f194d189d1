// The board device on the simulated board: fitting frame sizes to the
// output, the fifo, the version question, the format and the resources
// shared with other instances.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "board_fixture.h"
#include "model/error_codes.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"
#include "support/recording_boxes.h"

namespace boardtest {
namespace {

struct FitCase {
  const char* name;
  int width, height, bits;
  bool windowBefore;  // a 200 x 160 window at (500, 400) showed the video before
  int32_t code;
  int enabledMask;
  int x, y;  // the input window afterwards
  bool keyFilled;
  bool notified;
};

const FitCase kFitCases[] = {
    {"a full frame fills the output", 720, 576, 24, false, 0, 0, 0, 0, false, false},
    {"a smaller frame is centred", 352, 288, 24, false, 0, kBoardVideo, 184, 144, false, true},
    {"a window shown before is kept inside the output", 352, 288, 24, true, 0, kBoardVideo, 368, 288, false, true},
    {"frames with alpha start with an opaque key", 352, 288, 32, false, 0, kBoardVideo | kBoardAlpha, 184, 144,
     true, true},
    {"a full frame with alpha keeps the key", 720, 576, 32, false, 0, 0, 0, 0, false, false},
    {"a width off the 16 grid", 360, 288, 24, false, kErrVideoResolution, 0, 0, 0, false, false},
};

TEST(BoardDevice, FrameSizesAreFittedToTheOutput) {
  for (const FitCase& c : kFitCases) {
    SCOPED_TRACE(c.name);
    BoardLibrary board;
    playertest::NotifyWindow notify;
    if (c.windowBefore) {
      VelmoraApi.vdc_input_set_enabled_window(kBoardVideo, 1);
      VelmoraApi.vdc_input_set_scale(500, 400, 200, 160);
    } else {
      VelmoraApi.vdc_input_set_scale(0, 0, 640, 480);
    }
    ASSERT_EQ(TheVelmoraDevice.Open(c.width, c.height, c.bits, notify.hwnd()), c.code);
    EXPECT_TRUE(board.Registered(7));
    EXPECT_TRUE(board.Registered(9));
    EXPECT_NE(TheVelmoraDevice.fifo, nullptr);
    EXPECT_EQ(TheVelmoraDevice.fifoSize, 8388608);
    if (c.code != 0) {
      // Refused before any display resource was taken.
      EXPECT_FALSE(board.Registered(1));
      EXPECT_FALSE(board.Registered(2));
      continue;
    }
    EXPECT_EQ(VelmoraApi.vdc_input_get_enabled_window(), c.enabledMask);
    if (c.enabledMask != 0) {
      int x = -1, y = -1, w = 0, h = 0;
      VelmoraApi.vdc_input_get_scale(&x, &y, &w, &h);
      EXPECT_EQ(x, c.x);
      EXPECT_EQ(y, c.y);
      EXPECT_EQ(w, c.width);
      EXPECT_EQ(h, c.height);
    }
    EXPECT_EQ(board.Registered(2), c.bits == 32);
    std::vector<BYTE> key(262144, 0);
    VelmoraApi.vdc_get_alpha(key.data(), key.data(), static_cast<int>(key.size()));
    EXPECT_EQ(std::count(key.begin(), key.end(), BYTE{0xFF}), c.keyFilled ? 262144 : 0);
    GuiPumpMessages();
    int requests = 0;
    for (const auto& p : notify.posted()) requests += p.msg == WM_USER + 99 && p.wParam == 11;
    EXPECT_EQ(requests, c.notified ? 1 : 0);
    EXPECT_EQ(TheVelmoraDevice.fieldAlphaSize, c.width * (c.height / 2));
  }
}

// The fifo requests the device makes, with the (driven) time of each.
std::vector<DWORD>& FifoRequests() {
  static std::vector<DWORD> times;
  return times;
}
VelmoraEntry<void*(int*)>::Function g_allocate = nullptr;
void* RecordingAllocate(int* size) {
  FifoRequests().push_back(timeGetTime());
  return g_allocate(size);
}

TEST(BoardDevice, AFifoIsAskedForFrom8MiBDownTo4MiBInStepsOf100Ms) {
  struct {
    int limit;
    int32_t code;
    int32_t size;
  } cases[] = {{4194304 - 1, kErrVideoMemory, 0}, {4194304, 0, 4194304}, {6000000, 0, 5767168}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    BoardLibrary board;
    board.SetFifoLimit(c.limit);
    FifoRequests().clear();
    g_allocate = VelmoraApi.vdc_AllocVideoFifo.function;
    VelmoraApi.vdc_AllocVideoFifo.function = &RecordingAllocate;
    TestClock clock;
    const DWORD start = clock.Now();
    std::atomic<int32_t> code{-1};
    std::thread opening([&] { code = TheVelmoraDevice.Open(720, 576, 24, nullptr); });
    // Each refusal waits 100 ms on the clock.
    while (code.load() < 0) {
      if (WaitForDrivenWaiters(1, 200)) clock.Advance(100);
    }
    opening.join();
    EXPECT_EQ(code.load(), c.code);
    EXPECT_EQ(TheVelmoraDevice.fifoSize, c.size);
    const std::size_t expected = static_cast<std::size_t>((8388608 - std::max(c.size, 4194304)) / 262144 + 1);
    ASSERT_EQ(FifoRequests().size(), expected);
    for (std::size_t i = 0; i < expected; ++i) EXPECT_EQ(FifoRequests()[i] - start, 100 * i);
  }
}

TEST(BoardDevice, AnotherVersionIsAskedAboutOncePerRun) {
  BoardLibrary board;
  board.SetVersion(1072);
  {
    RecordingBoxes boxes(IDCANCEL);
    EXPECT_EQ(TheVelmoraDevice.CheckVersion(), kErrCancelled);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Load Velmora DLL");
    EXPECT_EQ(boxes.shown[0].text, "You have different version of Velmora DLL\nWork anyway?");
    EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
  }
  {
    RecordingBoxes boxes(IDOK);
    EXPECT_EQ(TheVelmoraDevice.CheckVersion(), 0);
    EXPECT_EQ(TheVelmoraDevice.CheckVersion(), 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    // The check leaves the device closed.
    EXPECT_FALSE(TheVelmoraDevice.loaded);
  }
  board.SetVersion(1073);
  VelmoraDevice::versionAccepted = false;
  RecordingBoxes boxes(IDCANCEL);
  EXPECT_EQ(TheVelmoraDevice.CheckVersion(), 0);
  EXPECT_TRUE(boxes.shown.empty());
}

struct FormatCall {
  int width, height, rate, scale;
};
std::vector<FormatCall>& FormatCalls() {
  static std::vector<FormatCall> calls;
  return calls;
}
VelmoraEntry<int(int, int, int, int)>::Function g_setFormat = nullptr;
int RecordingSetFormat(int w, int h, int rate, int scale) {
  FormatCalls().push_back({w, h, rate, scale});
  return g_setFormat(w, h, rate, scale);
}

TEST(BoardDevice, TheFormatCarriesTheRateInThousandths) {
  BoardLibrary board;
  video_test::Format format = BoardFormat(352, 288);
  EXPECT_EQ(TheVelmoraDevice.SetFormat(*format.bi(), 25.0f), kErrAttachHardware);  // not open
  ASSERT_EQ(TheVelmoraDevice.Open(720, 576, 24, nullptr), 0);
  g_setFormat = VelmoraApi.vdc_SetFormat.function;
  VelmoraApi.vdc_SetFormat.function = &RecordingSetFormat;
  FormatCalls().clear();
  TheVelmoraDevice.Run();
  EXPECT_EQ(TheVelmoraDevice.SetFormat(*format.bi(), 25.0f), 0);
  EXPECT_EQ(TheVelmoraDevice.SetFormat(*format.bi(), 29.97f), 0);
  ASSERT_EQ(FormatCalls().size(), 2u);
  EXPECT_EQ(FormatCalls()[0].width, 352);
  EXPECT_EQ(FormatCalls()[0].height, 288);
  EXPECT_EQ(FormatCalls()[0].rate, 25000);
  EXPECT_EQ(FormatCalls()[0].scale, 1000);
  EXPECT_EQ(FormatCalls()[1].rate, 29970);
  // The new size was fitted first, and the board waits paused.
  EXPECT_EQ(VelmoraApi.vdc_input_get_enabled_window(), static_cast<int>(kBoardVideo));
  EXPECT_EQ(VelmoraApi.vdc_GetState(), 0);
  EXPECT_FALSE(TheVelmoraDevice.running);
  // A frame larger than the output is refused by the board.
  video_test::Format large = BoardFormat(800, 576);
  EXPECT_EQ(TheVelmoraDevice.SetFormat(*large.bi(), 25.0f), kErrVideoResolution);
}

TEST(BoardDevice, ResourcesHeldByAnotherInstanceAreAskedForOnce) {
  for (bool idle : {true, false}) {
    SCOPED_TRACE(idle ? "the other instance gives them up" : "the other instance plays");
    BoardLibrary board;
    FakePeer peer(&board);
    peer.idle = idle;
    board.SetForeignResources((1 << 7) | (1 << 9));
    const int32_t code = TheVelmoraDevice.Open(720, 576, 24, nullptr);
    EXPECT_EQ(peer.sent, (std::vector<FakePeer::Sent>{{1, 678}}));
    if (!idle) {
      EXPECT_EQ(code, kErrAttachHardware);
      continue;
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(TheVelmoraDevice.registered, (1u << 7) | (1u << 8) | (1u << 9) | kBoardVideo);
    // Closing tells the others what was let go.
    TheVelmoraDevice.Close();
    EXPECT_EQ(peer.sent.back(), (FakePeer::Sent{2, (1 << 7) | (1 << 8) | (1 << 9) | 2}));
    EXPECT_FALSE(board.Registered(7));
  }
}

}  // namespace
}  // namespace boardtest
