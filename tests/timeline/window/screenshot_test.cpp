// The time-line window as the display shows it, with a small project: under
// Xvfb with KOBRIX_GUI=sdl the capture is read back from the SDL window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "timeline/window/timeline_colors.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using Screenshot = TimeLineTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

int Count(const std::vector<std::uint32_t>& pixels, COLORREF color) {
  const std::uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int n = 0;
  for (std::uint32_t p : pixels) n += p == want;
  return n;
}

TEST_F(Screenshot, TheTimeLineWithASmallProject) {
  MainTimeLineWindow& w = Open(1000, 640);
  TimeLineEngine& e = w.Engine();
  VideoFilm(Video("interview.avi", 1500), 0, 2000, 0, 8000);
  AudioFilm(Audio("music.wav", 60000), 0, 0, 20000);
  AudioFilm(Audio("voice.wav", 60000), 1, 4000, 9000);
  e.SetLength(30000);
  e.ZoomToRange(0, 30000);
  e.SetMarkRange(5000, 12000);
  e.SetPlayCursor(7000, false);
  // The user sizes the frame a few times; from the eleventh size event on
  // it holds whole audio lines.
  for (int i = 0; i < 11; ++i) SizeFrame(1000, 700 + i);
  GuiPumpMessages();

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &width, &height)) << GuiBackendName();
  EXPECT_GE(width, 900);
  // The background, and the play cursor across the lines.
  EXPECT_GT(Count(pixels, TimeLineColors[kColorBackground]), 1000);
  EXPECT_GT(Count(pixels, TimeLineColors[kColorCurTime]), 150);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_window")));
}

}  // namespace
}  // namespace timelinetest
