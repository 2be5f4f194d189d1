// The header strip as the display shows it: under Xvfb with KOBRIX_GUI=sdl
// the capture is read back from the SDL window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/effect_list.h"
#include "strip_fixture.h"
#include "timeline/window/timeline_colors.h"

namespace striptest {
namespace {

using StripScreenshot = StripTest;

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

TEST_F(StripScreenshot, TheStripWithMarksARangeAndClips) {
  MainTimeLineWindow& w = OpenStrip(nullptr, 1000, 640);
  TimeLineEngine& e = w.Engine();
  e.gravityAlign = 1;
  e.gravityGroup = 0;
  Film* interview = VideoFilm(Video("interview.avi", 1500), 0, 2000, 0, 8000);
  interview->group = SelectionGroup;
  VideoFilm(Video("titles.avi", 1500), 1, 12000, 0, 6000);
  AudioFilm(Audio("music.wav", 60000), 0, 0, 16000);
  AudioFilm(Audio("voice.wav", 60000), 1, 4000, 9000)->group = SelectionGroup + 1;
  e.SetLength(20000);
  for (int32_t t : {3000, 9500}) ASSERT_TRUE(ProjectMarks.AddMark(t));
  ProjectMarks.SetName(0, "Intro");
  ProjectMarks.SetName(1, "Chorus");
  EffectList* master = EffectList::New();
  e.masterEffects = master;
  for (int i = 0; i < 11; ++i) SizeFrame(1000, 700 + i);
  // A view a little longer than the project, which ends in grey.
  e.scale = 2000;
  e.factor = std::max(e.width * 2000 / 24000, 1);
  e.UpdateScrollRange();
  e.SetMarkRange(5000, 12000);
  e.SetPlayCursor(7000, false);
  w.Invalidate(false);
  GuiPumpMessages();

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &width, &height)) << GuiBackendName();
  // The range in the range bar and the overview, the marks on the ruler,
  // the cursor's corner colour and the clips in the overview.
  EXPECT_GT(Count(pixels, TimeLineColors[kColorSelection]), 300);
  EXPECT_GT(Count(pixels, TimeLineColors[kColorActiveTimeMark]), 20);
  EXPECT_GT(Count(pixels, TimeLineColors[kColorUsedEffects]), 20);
  EXPECT_GT(Count(pixels, TimeLineColors[kColorSelectedClip]), 20);
  EXPECT_GT(Count(pixels, RGB(128, 128, 128)), 1000);  // past the project's end
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_strip")));
  ReleaseChain(e.masterEffects);
  EffectList::FreeAll();
}

}  // namespace
}  // namespace striptest
