// The header panels as the display shows them: stereo audio lines, one in
// solo, one muted, one with effects, one folded. Under Xvfb with
// KOBRIX_GUI=sdl the capture is read back from the SDL window.
#include <cstdlib>
#include <string>

#include "panel_fixture.h"

namespace paneltest {
namespace {

using Screenshot = PanelTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

TEST_F(Screenshot, TheTrackHeaders) {
  OpenPanels({1, 1, 0, 3});
  AudioRow(0).solo = 1;
  AudioRow(1).mute = 1;
  AudioRow(2).effects = GainList({1.0f});
  AudioRow(3).mute = 1;
  Engine().videoPanel[1].mute = 1;
  // From the eleventh size event on the frame holds the lines exactly.
  for (int i = 0; i < 11; ++i) SizeFrame(1000, 600 + i);
  window_->InvalidateAll();
  GuiPumpMessages();

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &width, &height)) << GuiBackendName();
  EXPECT_GE(width, 900);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_track_header")));
}

}  // namespace
}  // namespace paneltest
