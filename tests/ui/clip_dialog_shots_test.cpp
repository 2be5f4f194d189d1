// The clip properties dialog and the clip open dialog with its panel,
// captured as the display shows them (under Xvfb with KOBRIX_GUI=sdl).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "file_chooser_script.h"
#include "model/edit_fakes.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/common_dialogs/file_chooser_test_util.h"
#include "resources/clip_dialog_ids.h"
#include "ui/clip_open_dialog.h"
#include "ui/film_edit_dialog.h"

using namespace dialogtest;

namespace edittest {
namespace {

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

class ClipDialogShots : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
    EditTest::TearDown();
  }
  void Capture(HWND window, const std::string& name) {
    Pump(window);
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(GuiCaptureWindow(window, &pixels, &width, &height)) << name;
    EXPECT_GT(width, 0);
    EXPECT_TRUE(GuiSaveScreenshot(window, ShotPath(name))) << name;
  }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
};

TEST_F(ClipDialogShots, TheClipPropertiesDialog) {
  FakeVideo* video = Video("/media/holiday/beach at sunset with the long name.avi", 7500);
  Film* film = Make("Beach at sunset", video, NewAudio(300000), nullptr, 12000, 8000, 0, 0, 4000);
  bool showFrame = true;
  ModalScript script({[&](HWND d) {
    Capture(d, "ui_clip_properties");
    Key(d, VK_ESCAPE);
  }});
  EXPECT_FALSE(RunFilmEditDialog(frame_->GetHandle(), *film, 0, 60000, showFrame, &editPlayers));
  EXPECT_TRUE(script.done());
  delete film;
}

TEST_F(ClipDialogShots, TheClipOpenDialogWithItsPanel) {
  TestFolder folder("kobrix-shots");
  const std::string wave = folder.File("interview.wav");
  // A tone written field by field: 1 s of 16-bit mono silence at 22050 Hz.
  {
    std::ofstream out(wave, std::ios::binary);
    const uint32_t rate = 22050, bytes = rate * 2;
    auto le32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto le16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    le32(36 + bytes);
    out.write("WAVEfmt ", 8);
    le32(16);
    le16(1);
    le16(1);
    le32(rate);
    le32(rate * 2);
    le16(2);
    le16(16);
    out.write("data", 4);
    le32(bytes);
    out << std::string(bytes, '\0');
  }
  std::ofstream(folder.File("music.wav")) << "x";
  std::ofstream(folder.File("scene.avi")) << "x";
  filetest::RecordsGuard records;
  filetest::RealChooser chooser;
  SetFileDialogsDirectory(folder.File("x").c_str(), 1);
  file_chooser_test::Driver d([&](HWND dlg) {
    ASSERT_TRUE(file_chooser_test::ClickItem(dlg, "interview.wav"));
    Capture(dlg, "ui_clip_open");
    file_chooser_test::Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(frame_->GetHandle(), frame_->GetHandle()));
}

}  // namespace
}  // namespace edittest
