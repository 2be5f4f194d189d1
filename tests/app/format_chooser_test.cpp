// "Sound Selection": the format chooser of the sound conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/gui/gui_driver.h"
#include "resources/format_chooser_ids.h"
#include "resources/resources.h"
#include "ui/dialog_script.h"
#include "ui/format_chooser_dialog.h"

using namespace dialogtest;

namespace {

std::vector<AcmFormatChoice> Choices() {
  std::vector<AcmFormatChoice> choices(3);
  const char* descriptions[] = {"22,050 Hz, 16 Bit, Mono", "44,100 Hz, 16 Bit, Stereo", "48,000 Hz, 32 Bit, Stereo"};
  for (int i = 0; i < 3; ++i) {
    std::strcpy(choices[i].formatTag, i == 2 ? "IEEE Float" : "PCM");
    std::strcpy(choices[i].description, descriptions[i]);
  }
  return choices;
}

class FormatChooser : public ::testing::Test {
 protected:
  void SetUp() override { RegisterProgramResources(); }
  FormatChooserUi ui;
};

TEST_F(FormatChooser, TheListShowsTheFormatsAndOkTakesTheSelection) {
  std::string first, caption;
  ModalScript script({[&](HWND d) {
    char text[128] = {};
    SendMessage(GetDlgItem(d, kFormatChooserList), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    first = text;
    caption = Text(d);
    SetFocus(GetDlgItem(d, kFormatChooserList));
    Pump(d);
    Key(d, VK_DOWN);
    Key(d, VK_RETURN);
  }});
  EXPECT_EQ(ui.Choose(nullptr, "Convert To", Choices(), 0), 1);
  EXPECT_EQ(first, "PCM, 22,050 Hz, 16 Bit, Mono");
  EXPECT_EQ(caption, "Convert To");
}

TEST_F(FormatChooser, OkWithoutAChoiceStaysAndCancelAnswersNone) {
  bool stayed = false;
  ModalScript script({[&](HWND d) {
    Click(d, IDOK);
    stayed = IsWindow(d) && IsWindowVisible(d);
    Click(d, IDCANCEL);
  }});
  EXPECT_EQ(ui.Choose(nullptr, nullptr, Choices(), -1), -1);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(ui.Choose(nullptr, nullptr, {}, 0), -1);
}

TEST_F(FormatChooser, Screenshot) {
  const char* gui = std::getenv("KOBRIX_GUI");
  if (gui == nullptr || std::string(gui) != "sdl") GTEST_SKIP() << "runs on sdl under Xvfb";
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  const std::string path = std::string(dir != nullptr ? dir : ".") + "/format_chooser_sdl.png";
  bool saved = false;
  ModalScript script({[&](HWND d) {
    SendMessage(GetDlgItem(d, kFormatChooserList), LB_SETCURSEL, 1, 0);
    for (int i = 0; i < 20 && !IsWindowVisible(d); ++i) Pump(d);
    Pump(d);
    saved = GuiSaveScreenshot(d, path);
    Click(d, IDCANCEL);
  }});
  ui.Choose(nullptr, "Sound Selection", Choices(), 1);
  EXPECT_TRUE(saved);
}

}  // namespace
