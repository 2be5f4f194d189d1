// The video rows as the display shows them: under Xvfb with KOBRIX_GUI=sdl
// the capture is read back from the SDL window.
#include <cstdlib>
#include <string>
#include <vector>

#include "video_line_fixture.h"

namespace videolinetest {
namespace {

using Screenshot = VideoLineTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

TEST_F(Screenshot, BothVideoRowsWithPicturesNamesAndMarks) {
  OpenRows(0, 1);
  Zoom(8);  // five pixels a frame
  VideoData* v = ColourAvi();
  ASSERT_NE(v, nullptr);
  Film* interview = Clip(v, 0, 4, 2, 30, "interview");
  ASSERT_TRUE(interview->marks.AddMark(FramesToMs(20, 25.0f)));
  interview->marks.SetName(0, "cue");
  Film* cutaway = Clip(v, 1, 40, 0, 30, "cutaway");
  cutaway->group = SelectionGroup;
  Clip(v, 1, 82, 5, 31, "city");
  Clip(v, 0, 40, 20, 21, "flash");
  Engine().SetPlayCursor(FramesToMs(70, 25.0f), false);
  tl_->InvalidateAll();
  GuiPumpMessages();

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &width, &height)) << GuiBackendName();
  // The pictures of the interview's first frame and of the selected
  // cutaway's last one are on the screen.
  auto count = [&](int r, int g, int b) {
    int n = 0;
    for (std::uint32_t p : pixels) {
      n += std::abs(static_cast<int>((p >> 16) & 255) - r) <= 4 &&
           std::abs(static_cast<int>((p >> 8) & 255) - g) <= 4 &&
           std::abs(static_cast<int>(p & 255) - b) <= 4;
    }
    return n;
  };
  EXPECT_GT(count(16, 192, 40), 128 * 80);
  EXPECT_GT(count(8 * 29, 200 - 4 * 29, 40), 64 * 40);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_video_line")));
}

}  // namespace
}  // namespace videolinetest
