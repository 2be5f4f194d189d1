// The board's output: the frames it shows, and under the sdl display its
// monitor window as the display has it (under Xvfb, read back from SDL and
// kept as board_monitor_sdl.png in the screenshot folder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "board_player_fixture.h"
#include "model/time_code.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/png_writer.h"

namespace boardtest {
namespace {

constexpr int kWidth = 352;
constexpr int kHeight = 288;

// Studio-level YUV of eight colour bars: white, yellow, cyan, green,
// magenta, red, blue, black.
constexpr BYTE kBars[8][3] = {{235, 128, 128}, {210, 16, 146},  {170, 166, 16},  {145, 54, 34},
                              {106, 202, 222}, {81, 90, 240},   {41, 240, 110},  {16, 128, 128}};

// A frame of the bars, shifted right by shift bars, with a white line
// across field 1's top (the frame's second line) so that fields show.
std::vector<BYTE> BarsFrame(int shift) {
  const uint32_t field = kWidth * 2 * (kHeight / 2);
  std::vector<BYTE> frame = VlmdFrame(field, field);
  for (int f = 0; f < 2; ++f) {
    BYTE* p = frame.data() + 28 + f * field;
    for (int line = 0; line < kHeight / 2; ++line) {
      for (int x = 0; x < kWidth; x += 2) {
        const BYTE* c = kBars[(x * 8 / kWidth + shift) % 8];
        const bool white = f == 1 && line < 4;
        BYTE* q = p + (line * kWidth + x) * 2;
        q[0] = q[2] = white ? 235 : c[0];
        q[1] = white ? 128 : c[1];
        q[3] = white ? 128 : c[2];
      }
    }
  }
  return frame;
}

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() + ".png";
}

class BoardScreenshot : public BoardPlayerTest {};

TEST_F(BoardScreenshot, TheMonitorShowsTheFramesTheBoardPlays) {
  BoardAvi spec;
  spec.width = kWidth;
  spec.height = kHeight;
  for (int i = 0; i < 8; ++i) spec.frames.push_back(BarsFrame(i));
  const std::string path = folder_.Path("bars.avi");
  WriteBoardAvi(path, spec);
  AVIVideoData* v = Use(path);
  ASSERT_NE(Board(), nullptr);

  // A still of frame 0, then a play on to frame 3.
  TheVideoPlayer->ShowOnBoard(v, 0, nullptr);
  int w = 0, h = 0;
  const std::vector<uint32_t> still = library_->Picture(&w, &h);
  std::vector<uint32_t> picture = still;
  ASSERT_EQ(w, kWidth);
  ASSERT_EQ(h, kHeight);
  EXPECT_EQ(picture[10], 0xFFFFFFu);                     // white bar, line 0
  EXPECT_EQ(picture[kWidth - 10], 0x000000u);            // black bar
  EXPECT_EQ(picture[kWidth + kWidth - 10], 0xFFFFFFu);   // field 1's white line
  ASSERT_TRUE(Play(v, 8));
  Sub()->Run(Notify());
  library_->Advance(3 * 40);
  EXPECT_EQ(Sub()->GetFrame(), 3);
  picture = library_->Picture(&w, &h);
  // The bars moved on by three.
  EXPECT_EQ(picture[10 * kWidth + 10], still[10 * kWidth + 3 * kWidth / 8 + 10]);
  EXPECT_EQ(picture[10 * kWidth + 5 * kWidth / 8 + 10], 0xFFFFFFu);

  std::vector<uint32_t> shown = library_->CaptureMonitor(&w, &h);
  if (std::string(GuiBackendName()) == "sdl") {
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
    EXPECT_TRUE(shown == picture);
    EXPECT_TRUE(WritePng(ShotPath("board_monitor"), shown.data(), w, h));
  } else {
    EXPECT_TRUE(shown.empty());  // no display: no monitor
  }
  Sub()->Stop();
  Sub()->Finish(true);
}

}  // namespace
}  // namespace boardtest
