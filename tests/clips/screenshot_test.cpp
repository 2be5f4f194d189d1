// The collection as the display shows it, in Full info and in Large icons:
// under Xvfb with KOBRIX_GUI=sdl the capture is read back from the SDL
// window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "collection_fixture.h"
#include "ui/scroll_window.h"

namespace cliptest {
namespace {

class Screenshot : public CollectionTest {
 protected:
  // The collection as the clip frame's client, w x h.
  void OpenFramed(int w, int h) {
    collection_ = new ClipCollection(nullptr);
    frame_ = new TFrameWindow(nullptr, "Clip Collection", collection_->GetScrollWindow());
    frame_->Attr.X = 30;
    frame_->Attr.Y = 30;
    frame_->Attr.W = w;
    frame_->Attr.H = h;
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
  }
  void AddClips() {
    const std::string interview = Media("interview.avi");
    if (HaveTool("ffmpeg"))
      ASSERT_TRUE(
          RunCommand("ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i "
                     "sine=sample_rate=44100 -t 3 -c:v mjpeg -q:v 3 -c:a pcm_s16le -ac 2 '" +
                     interview + "'"));
    else
      WriteAvi(interview, 320, 240, 25.0, 75, true);
    const std::string foreign = Media("foreign.avi");
    WriteAvi(foreign, 160, 120, 29.97, 60, false);
    const std::string midi = Media("theme.mid");
    WriteMidi(midi);
    for (const std::string& p : {interview, Wave("ambience.take2.wav", 4000), foreign, midi,
                                 Wave("voice over, second version with a long name.wav", 2500, 22050, 1)})
      ASSERT_TRUE(collection_->AddFile(p.c_str(), -1, 0));
    collection_->SetSelection(0);
    collection_->SetFocus();
    collection_->UpdateCaret();
    GuiPumpMessages();
  }
  static std::string ShotPath(const char* name) {
    const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
           ".png";
  }
  // Pixels of the frame's capture of colour.
  int Count(COLORREF colour) {
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    EXPECT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &w, &h)) << GuiBackendName();
    const std::uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int n = 0;
    for (std::uint32_t p : pixels) n += (p & 0xFFFFFF) == want;
    return n;
  }
};

TEST_F(Screenshot, FullInfo) {
  Ini("ICON_TYPE", "1");
  OpenFramed(820, 460);
  AddClips();
  // Two columns of info tiles, the icon strips light grey, labels grey.
  EXPECT_EQ(collection_->Columns(), 2);
  EXPECT_GT(Count(RGB(192, 192, 192)), 5 * 26 * 80);
  EXPECT_GT(Count(RGB(128, 128, 128)), 500);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("clip_collection_full_info")));
}

TEST_F(Screenshot, LargeIcons) {
  Ini("ICON_TYPE", "3");
  OpenFramed(720, 360);
  AddClips();
  EXPECT_EQ(collection_->Columns(), 5);
  // The sound clips' placeholders and the names in blue below the pictures.
  EXPECT_GT(Count(RGB(0, 0, 255)), 100);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("clip_collection_large_icons")));
}

}  // namespace
}  // namespace cliptest
