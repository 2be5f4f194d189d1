// The clip frame as the display shows it: under Xvfb with KOBRIX_GUI=sdl the
// capture is read back from the SDL window.
#include <cstdlib>
#include <string>

#include "clip_frame_fixture.h"

namespace clipframetest {
namespace {

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() + ".png";
}

TEST_F(ClipFrameTest, ScreenshotOfTheFrameWithFiveClips) {
  Ini("W", "760");
  Ini("H", "420");
  Show();
  for (const char* name : {"interview.wav", "ambience.wav", "theme.wav", "voice over.wav", "door.wav"})
    Add(Wave(name, 700));
  Collection().SetSelection(1);
  Collection().SetFocus();
  Collection().UpdateCaret();
  frame_->RefreshButtons();
  GuiPumpMessages();
  // The selected clip's times show in the status fields.
  EXPECT_STRNE(static_cast<TTextGadget*>(frame_->StatusBar()->GadgetAt(2))->GetText(), "");
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("clip_frame")));
}

}  // namespace
}  // namespace clipframetest
