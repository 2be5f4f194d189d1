// The settings pages as the display shows them (under Xvfb with
// KOBRIX_GUI=sdl): each page in its sheet, captured to the build folder.
#include <cstdlib>
#include <functional>

#include "app/settings/settings_sheet.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() + ".png";
}

class SettingsShots : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  // before: what the user does on the page first.
  void Capture(const char* tab, const std::string& name, std::function<void(HWND sheet)> before = nullptr) {
    ModalScript script({[&](HWND sheet) {
      OpenTab(sheet, tab);
      if (before) before(sheet);
      Pump(sheet);
      std::vector<std::uint32_t> pixels;
      int width = 0, height = 0;
      EXPECT_TRUE(GuiCaptureWindow(sheet, &pixels, &width, &height)) << name;
      EXPECT_GT(width, 0) << name;
      EXPECT_TRUE(GuiSaveScreenshot(sheet, ShotPath(name))) << name;
      Click(sheet, IDCANCEL);
    }});
    RunSettingsSheet(frame_.get());
  }
};

TEST_F(SettingsShots, ThePages) {
  Capture("General", "settings_general");
  Capture("Video", "settings_video");
  // A codec-drawn mode shows its note.
  Capture("Video", "settings_video_codec_drawn", [this](HWND sheet) {
    HWND page = CurrentPage(sheet);
    HWND list = GetDlgItem(page, kVideoPlaybackMode);
    SendMessage(list, CB_SETCURSEL, 3, 0);
    SendMessage(page, WM_COMMAND, MAKEWPARAM(kVideoPlaybackMode, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  });
  Capture("Colors", "settings_colors");
  Capture("Audio meter", "settings_audio_meter");
  Capture("Summary", "settings_summary");
  Capture("Audio", "settings_audio");
}

}  // namespace
}  // namespace settingstest
