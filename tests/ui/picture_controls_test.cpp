#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "media/video_bitmap.h"
#include "model/control_font.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "ui/bitmap_control.h"
#include "ui/button_gadget.h"
#include "ui/file_name_control.h"

namespace {

constexpr int kPicture = 1102, kName = 1103;
constexpr int kLogo = 1033;  // the program's logo, 160 x 48

DialogTemplate Template(const char* pictureClass) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
  t.cx = 240;
  t.cy = 120;
  t.caption = "About";
  t.items = {
      {pictureClass, "", kPicture, WS_VISIBLE, 0, 60, 30, 80, 30},
      {WC_STATIC, "", kName, WS_VISIBLE | SS_LEFT, 0, 10, 90, 60, 10},
  };
  return t;
}

// Where the dialog puts the picture's item, in pixels.
TRect PlaceInTemplate(TWindow* parent) {
  TDialog probe(parent, Template(WC_STATIC));
  EXPECT_TRUE(probe.Create());
  HWND item = probe.GetDlgItem(kPicture);
  RECT r;
  GetWindowRect(item, &r);
  MapWindowPoints(nullptr, probe, reinterpret_cast<POINT*>(&r), 2);
  return TRect(r);
}

class TAboutDialog : public TDialog {
 public:
  TAboutDialog(TWindow* parent, TEBitmap* logo, int anchor, int w, int h, const char* file)
      : TDialog(parent, Template("TEBitmapControl")) {
    Picture = new BitmapControl(this, kPicture, logo, anchor, w, h);
    Name = new FileNameControl(this, kName, file);
  }
  void SetupWindow() override {
    TDialog::SetupWindow();
    // The dialog gives the name its final width after the set-up.
    Name->MoveWindow(TRect(10, 150, 10 + finalWidth, 170));
  }
  TRect Place() const {
    TRect r = Picture->GetWindowRect();
    TPoint p = r.TopLeft();
    ScreenToClient(p);
    return TRect(p, r.Size());
  }
  BitmapControl* Picture;
  FileNameControl* Name;
  int finalWidth = 200;
};

class PictureControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
  }
  std::unique_ptr<TFrameWindow> frame_;
  TEBitmapInit pictures_;  // the shared drawing state the program makes at start
};

TEST_F(PictureControlsTest, APictureTakesItsSizeAndKeepsItsAnchorInPlace) {
  const TRect r = PlaceInTemplate(frame_.get());
  // 20 pixels wider and 10 higher than the template's place.
  const int w = r.Width() + 20, h = r.Height() + 10;
  struct Case {
    int anchor;
    int x, y;
  };
  const Case cases[] = {
      {0, r.left - 10, r.top - 5},  {1, r.left, r.top},      {2, r.left - 20, r.top},
      {3, r.left - 20, r.top - 10}, {4, r.left, r.top - 10}, {5, r.left - 10, r.top},
      {6, r.left - 10, r.top - 10}, {7, r.left, r.top - 5},  {8, r.left - 20, r.top - 5},
  };
  TEBitmap logo(nullptr, kLogo, 3);
  for (const Case& c : cases) {
    TAboutDialog dialog(frame_.get(), &logo, c.anchor, w, h, "");
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.Place(), TRect(c.x, c.y, c.x + w, c.y + h)) << "anchor " << c.anchor;
  }
}

TEST_F(PictureControlsTest, APictureDrawsItsBitmapOrAnEmptyFrame) {
  TEBitmap logo(nullptr, kLogo, 3);
  TAboutDialog with(frame_.get(), &logo, 1, 160, 48, "");
  ASSERT_TRUE(with.Create());
  UpdateWindow(*with.Picture);
  // The logo's top rows are navy within a white frame.
  EXPECT_EQ(GuiReadPixel(*with.Picture, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GuiReadPixel(*with.Picture, 20, 5), RGB(0, 0, 128));
  TAboutDialog without(frame_.get(), nullptr, 1, 40, 20, "");
  ASSERT_TRUE(without.Create());
  UpdateWindow(*without.Picture);
  EXPECT_EQ(GuiReadPixel(*without.Picture, 0, 0), RGB(0, 0, 0));  // the frame
  EXPECT_EQ(GuiReadPixel(*without.Picture, 20, 10), RGB(255, 255, 255));
}

TEST_F(PictureControlsTest, AFileNameIsShortenedOnceToItsFinalWidth) {
  const std::string path = "/home/editor/projects/2024/documentary/interviews/rushes/take_07_close_up.avi";
  TAboutDialog dialog(frame_.get(), nullptr, 1, 10, 10, path.c_str());
  dialog.finalWidth = 260;
  ASSERT_TRUE(dialog.Create());
  char text[300] = {};
  GetWindowText(*dialog.Name, text, sizeof text);
  EXPECT_STREQ(text, "");  // not before the dialog is done
  GuiPumpMessages();
  GetWindowText(*dialog.Name, text, sizeof text);
  const std::string shown = text;
  EXPECT_EQ(shown.substr(0, 3), "...");
  EXPECT_EQ(shown.substr(shown.size() - 20), path.substr(path.size() - 20));
  TClientDC dc(*dialog.Name);
  dc.SelectObject(ControlFont());
  const int width = dc.GetTextExtent(text, static_cast<int>(shown.size())).cx;
  EXPECT_LE(width, 260);
  EXPECT_GT(width, 200);  // the final width, not the template's
  EXPECT_STREQ(dialog.Name->FileName, text);

  TAboutDialog brief(frame_.get(), nullptr, 1, 10, 10, "/tmp/a.wav");
  ASSERT_TRUE(brief.Create());
  GuiPumpMessages();
  GetWindowText(*brief.Name, text, sizeof text);
  EXPECT_STREQ(text, "/tmp/a.wav");
}

TEST_F(PictureControlsTest, AButtonGadgetShowsItsGlyphAsDrawn) {
  // A glyph in colours no system colour maps: it shows unchanged.
  const COLORREF ink = RGB(1, 130, 250);
  RegisterBitmapResource(7102, PixelArt{std::vector<std::string>(15, std::string(16, 'x')), {{'x', ink}}});
  auto* frame = new TDecoratedFrame(nullptr, "Clip Collection", new TWindow(nullptr), true);
  auto* bar = new TControlBar(frame);
  auto* button = new TEButtonGadget(7102, 7102, TButtonGadget::Command, true);
  bar->Insert(*button);
  bar->Insert(*new TEButtonGadget(7199, 7199));  // no glyph: an empty button
  frame->Insert(*bar, TDecoratedFrame::Top);
  ASSERT_TRUE(frame->Create());
  frame->Show(SW_SHOW);
  GuiPumpMessages();
  const TRect b = button->GetBounds();
  UpdateWindow(*bar);
  EXPECT_EQ(GuiReadPixel(*bar, (b.left + b.right) / 2, (b.top + b.bottom) / 2), ink);
  delete frame;
}

}  // namespace
