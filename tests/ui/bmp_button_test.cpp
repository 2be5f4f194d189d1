#include "ui/bmp_button.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/core/time.h"
#include "platform/gui/gui_driver.h"

namespace {

constexpr int kStrip = 7101;  // two 24 x 20 pictures: a red square, a green one
constexpr int kSmall = 1101, kLarge = 1751;
constexpr COLORREF kRed = RGB(200, 0, 0), kGreen = RGB(0, 160, 0);

void RegisterStrip() {
  std::vector<std::string> rows(20, std::string(48, '.'));
  for (int y = 5; y < 15; ++y)
    for (int x = 7; x < 17; ++x) {
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'r';
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x + 24)] = 'g';
    }
  RegisterBitmapResource(kStrip, PixelArt{rows, {{'.', RGB(192, 192, 192)}, {'r', kRed}, {'g', kGreen}}});
}

// The effect dialog's two kinds: a small "Preview" that must grow and a
// large button that keeps its size.
class TEffectsDialog : public TDialog {
 public:
  explicit TEffectsDialog(TWindow* parent) : TDialog(parent, Template()) {
    Preview = new TEBmpButton(this, kSmall, kStrip, 2);
    Large = new TEBmpButton(this, kLarge, kStrip, 2);
    Tip = new TTooltip(this);
  }
  static DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.cx = 200;
    t.cy = 100;
    t.caption = "Effects";
    const DWORD b = WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    t.items = {
        {WC_BUTTON, "Realtime preview", kSmall, b, 0, 10, 10, 8, 8},
        {WC_BUTTON, "Add effect above selected one", kLarge, b, 0, 60, 10, 60, 40},
        {WC_BUTTON, "OK", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 130, 70, 50, 14},
    };
    return t;
  }
  TEBmpButton* Preview;
  TEBmpButton* Large;
  TTooltip* Tip;
};

class BmpButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStrip();
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    dialog_ = std::make_unique<TEffectsDialog>(frame_.get());
    ASSERT_TRUE(dialog_->Create());
    GuiPumpMessages();
  }
  void TearDown() override {
    dialog_.reset();
    frame_.reset();
    GuiPumpMessages();
  }
  // How many pixels of the button show colour.
  static int Count(TWindow* w, COLORREF colour) {
    UpdateWindow(*w);
    const TRect r = w->GetClientRect();
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
      for (int x = 0; x < r.right; ++x) n += GuiReadPixel(*w, x, y) == colour;
    return n;
  }
  std::string TipText() const {
    char text[128] = {};
    TOOLINFO ti;
    ti.hwnd = *dialog_->Preview;
    ti.uId = kSmall;
    ti.lpszText = text;
    SendMessage(*dialog_->Tip, TTM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(&ti));
    return text;
  }

  std::unique_ptr<TFrameWindow> frame_;
  std::unique_ptr<TEffectsDialog> dialog_;
};

TEST_F(BmpButtonTest, AButtonGrowsToHoldItsPictureAndNeverShrinks) {
  const TRect small = dialog_->Preview->GetWindowRect();
  EXPECT_EQ(small.Width(), 24 + 2 * GetSystemMetrics(SM_CXBORDER) + 6);
  EXPECT_EQ(small.Height(), 20 + 2 * GetSystemMetrics(SM_CYBORDER) + 6);
  RECT large{60, 10, 120, 50};
  MapDialogRect(*dialog_, &large);
  EXPECT_EQ(dialog_->Large->GetWindowRect().Size(),
            TSize(large.right - large.left, large.bottom - large.top));
}

TEST_F(BmpButtonTest, TheStateChoosesThePictureAndADisabledButtonShowsItGrey) {
  TEBmpButton& b = *dialog_->Preview;
  EXPECT_EQ(Count(&b, kRed), 100);
  EXPECT_EQ(Count(&b, kGreen), 0);
  // Without a tooltip the text has nowhere to go; the picture changes.
  b.SetTooltipText(1, "Stop preview");
  EXPECT_EQ(b.GetState(), 1);
  EXPECT_EQ(Count(&b, kGreen), 100);
  // Where the square's corner is.
  int x0 = -1, y0 = -1;
  for (int y = 0; y < 40 && y0 < 0; ++y)
    for (int x = 0; x < 40 && y0 < 0; ++x)
      if (GuiReadPixel(b, x, y) == kGreen) x0 = x, y0 = y;
  // Disabled: the square embossed in shadow and highlight.
  b.EnableWindow(false);
  EXPECT_EQ(Count(&b, kGreen), 0);
  EXPECT_EQ(GuiReadPixel(b, x0, y0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(GuiReadPixel(b, x0 + 10, y0 + 10), GetSysColor(COLOR_BTNHIGHLIGHT));
  // Pressed, the picture moves a pixel down and right.
  b.EnableWindow(true);
  b.SendMessage(BM_SETSTATE, TRUE);
  UpdateWindow(b);
  EXPECT_NE(GuiReadPixel(b, x0, y0), kGreen);
  EXPECT_EQ(GuiReadPixel(b, x0 + 1, y0 + 1), kGreen);
}

TEST_F(BmpButtonTest, TheTooltipShowsTheButtonsTextAfterAHover) {
  TestClock clock;
  TEBmpButton& b = *dialog_->Preview;
  dialog_->Tip->Activate();
  b.AddTooltip(dialog_->Tip, *dialog_);
  EXPECT_EQ(TipText(), "Realtime preview");
  const TRect r = b.GetWindowRect();
  GuiMouseMove(r.left + 4, r.top + 4);
  GuiPumpMessages();
  EXPECT_FALSE(IsWindowVisible(*dialog_->Tip));
  clock.Advance(GetDoubleClickTime() + 10);
  GuiPumpMessages();
  EXPECT_TRUE(IsWindowVisible(*dialog_->Tip));
  // Both of its tools take a new text with the state.
  b.SetTooltipText(1, "Stop preview");
  EXPECT_EQ(TipText(), "Stop preview");
  TOOLINFO ti;
  char text[64] = {};
  ti.hwnd = *dialog_;
  ti.uId = kSmall;
  ti.lpszText = text;
  SendMessage(*dialog_->Tip, TTM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(text, "Stop preview");
}

}  // namespace
