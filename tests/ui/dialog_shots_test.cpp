// The value, level and setup dialogs captured as the display shows them
// (under Xvfb with KOBRIX_GUI=sdl, read back from the SDL window).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "media/video_bitmap.h"
#include "model/levels.h"
#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "ui/about_dialog.h"
#include "ui/audio_format_dialogs.h"
#include "ui/level_popups.h"
#include "ui/tool_configure_dialog.h"
#include "ui/value_dialogs.h"

using namespace dialogtest;

namespace {

std::string ShotPath(const std::string& name) {
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

class DialogShots : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildLevelTables();
    SetProjectTimeFormat(kTimeFormatMs);
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
  }
  // Runs a dialog and captures it once it is up; the pixels are kept.
  void Shoot(const std::string& name, const std::function<void()>& run) {
    ModalScript script({[&](HWND d) {
      Pump(d);
      int width = 0, height = 0;
      EXPECT_TRUE(GuiCaptureWindow(d, &pixels, &width, &height)) << name;
      EXPECT_TRUE(GuiSaveScreenshot(d, ShotPath(name))) << name;
      Key(d, VK_ESCAPE);
    }});
    run();
    EXPECT_TRUE(script.done()) << name;
  }
  HWND owner() const { return frame_->GetHandle(); }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
  std::vector<std::uint32_t> pixels;
};

TEST_F(DialogShots, TheVolumeAndBalancePopup) {
  int32_t gain = 724, balance = -64;
  const RECT clip{10, 10, 200, 60};
  Shoot("ui_volume_balance",
        [&] { RunSetVolumeBalanceDialog(owner(), nullptr, clip, 40, 200, &gain, &balance); });
  EXPECT_GT(Count(pixels, RGB(0, 0, 0)), 200);  // text and the scale's ticks
}

TEST_F(DialogShots, TheAboutBox) {
  TEBitmapInit pictures;
  TEBitmapInit::LoadStockBitmaps(nullptr);
  Shoot("ui_about", [&] { RunAboutBox(owner()); });
  EXPECT_GT(Count(pixels, RGB(255, 255, 0)), 100);  // the logo's letters
  EXPECT_GT(Count(pixels, RGB(0, 255, 0)), 50);     // the animation's sound wave
}

TEST_F(DialogShots, TheOtherDialogs) {
  int32_t a = 5000, b = 65000, tracks = 4, size = 120000, c = 0, d = 60000;
  char name[128] = "Dialogue, take 3";
  bool show = true;
  uint16_t channels = 2, bits = 16;
  int type = 3;
  char base[4][MAX_PATH] = {"/usr/bin/pavucontrol", "/opt/video/cutter", "/opt/midi/sequencer",
                            "/usr/bin/audacity"};
  char paths[5][MAX_PATH] = {"/opt/tools/Editor"};
  char names[5][128] = {"Editor"};
  bool clip[5] = {true};
  const RECT line{0, 0, 100, 40};
  Shoot("ui_edit_time", [&] { RunTimeCodeDialog(owner(), nullptr, &a, 0, kDayMs); });
  Shoot("ui_time_range", [&] { RunTimeFragmentDialog(owner(), nullptr, &a, &b, 0, kDayMs); });
  Shoot("ui_set_size", [&] { RunSelViewDialog(owner(), &tracks, &size, 1000, &a, &b, &c, &d); });
  Shoot("ui_edit_name", [&] { RunNameDialog(owner(), nullptr, name, sizeof name); });
  Shoot("ui_repeat_clip", [&] { RunLoopDialog(owner(), &c, 2000, &tracks, 20000); });
  Shoot("ui_timeouts", [&] { RunTimeoutsDialog(owner(), nullptr, 25, &show); });
  Shoot("ui_tempo", [&] { RunSetTempoDialog(owner(), &tracks, 120, 20, 300); });
  Shoot("ui_volume", [&] { RunSetLevelDialog(owner(), nullptr, line, 40, 100, &c, &d); });
  Shoot("ui_balance", [&] { RunSetBalanceDialog(owner(), nullptr, line, 40, 100, &c, &d); });
  Shoot("ui_tools", [&] { RunToolConfigureDialog(owner(), base, paths, names, clip); });
  Shoot("ui_convert",
        [&] { RunAskConvertDialog(owner(), false, "/home/editor/voice.wav", 44100, &channels, &bits); });
  Shoot("ui_decompress",
        [&] { RunAskConvertDialog(owner(), true, "/home/editor/voice.wav", 44100, &channels, &bits); });
  Shoot("ui_export_type", [&] { RunSelect32AudioDialog(owner(), &type); });
  Shoot("ui_advanced_format", [&] { RunSelect24AudioDialog(owner()); });
}

}  // namespace
