#include <gtest/gtest.h>

#include <memory>

#include "platform/classlib/classlib.h"
#include "platform/gui/dialogs/dialog_test_util.h"

namespace {

// A 300 x 200 window whose scroller moves a 900 x 600 child in 10-pixel units.
class TScrolled : public TWindow {
 public:
  explicit TScrolled(TWindow* parent) : TWindow(parent) {
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL;
    Attr.X = 0;
    Attr.Y = 0;
    Attr.W = 300 + GetSystemMetrics(SM_CXVSCROLL);
    Attr.H = 200 + GetSystemMetrics(SM_CYHSCROLL);
    Scroller = new TScroller(this, 10, 10, 0, 0);
    Inside = new TWindow(this);
    Inside->Attr.X = 0;
    Inside->Attr.Y = 0;
    Inside->Attr.W = 900;
    Inside->Attr.H = 600;
  }
  TWindow* Inside;
};

class ScrollerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Scrolling");
    frame_->Attr.W = 500;
    frame_->Attr.H = 400;
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    window_ = new TScrolled(frame_.get());
    ASSERT_TRUE(window_->Create());
    GuiPumpMessages();
  }
  TPoint Place() const {
    TPoint p = window_->Inside->GetWindowRect().TopLeft();
    window_->ScreenToClient(p);
    return p;
  }
  bool Shows(int bar) const { return (GetWindowLong(*window_, GWL_STYLE) & bar) != 0; }
  std::unique_ptr<TFrameWindow> frame_;
  TScrolled* window_ = nullptr;
};

TEST_F(ScrollerTest, BarsShowOnlyWithARangeAndScrollingMovesTheChildren) {
  // No range yet: the set-up hid both bars.
  EXPECT_FALSE(Shows(WS_VSCROLL));
  EXPECT_FALSE(Shows(WS_HSCROLL));
  TScroller& s = *window_->Scroller;
  s.SetRange(60, 40);
  s.SetSBarRange();
  EXPECT_TRUE(Shows(WS_VSCROLL));
  EXPECT_TRUE(Shows(WS_HSCROLL));
  EXPECT_EQ(s.XPage, 30);
  EXPECT_EQ(s.YPage, 20);
  s.ScrollTo(5, 3);
  EXPECT_EQ(Place(), TPoint(-50, -30));
  s.ScrollTo(100, -4);  // kept in the range
  EXPECT_EQ(s.XPos, 60);
  EXPECT_EQ(s.YPos, 0);
  EXPECT_EQ(Place(), TPoint(-600, 0));
  EXPECT_EQ(GetScrollPos(*window_, SB_HORZ), 60);
}

TEST_F(ScrollerTest, TheWindowsOwnBarsDriveItsScroller) {
  TScroller& s = *window_->Scroller;
  s.SetRange(60, 40);
  s.SetSBarRange();
  GuiPumpMessages();
  // The lower arrow of the vertical bar, then the page below the thumb.
  TRect w = window_->GetWindowRect();
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  POINT arrow{w.right - bar / 2, w.top + 200 - 4};
  GuiMouseMove(arrow.x, arrow.y);
  GuiMouseButton(0, true, arrow.x, arrow.y);
  GuiMouseButton(0, false, arrow.x, arrow.y);
  GuiPumpMessages();
  EXPECT_EQ(s.YPos, 1);
  EXPECT_EQ(Place(), TPoint(0, -10));
  SendMessage(*window_, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
  EXPECT_EQ(s.YPos, 21);
  SendMessage(*window_, WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(s.XPos, 60);
  // A new size gives a new page.
  window_->SetWindowPos(nullptr, TRect(0, 0, 200 + bar, 150), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(s.XPage, 20);
}

TEST_F(ScrollerTest, ADraggedThumbReachesPositionsBeyondSixteenBits) {
  TScroller& s = *window_->Scroller;
  s.SetRange(0, 200000);
  s.SetSBarRange();
  GuiPumpMessages();
  const TRect w = window_->GetWindowRect();
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const POINT thumb{w.right - bar / 2, w.top + bar + 3};
  GuiMouseMove(thumb.x, thumb.y);
  GuiMouseButton(0, true, thumb.x, thumb.y);
  GuiMouseMove(thumb.x, thumb.y + 120);
  GuiPumpMessages();
  const long tracked = s.YPos;
  EXPECT_GT(tracked, 65535);
  GuiMouseButton(0, false, thumb.x, thumb.y + 120);
  GuiPumpMessages();
  EXPECT_EQ(s.YPos, tracked);
  EXPECT_EQ(Place(), TPoint(0, static_cast<int>(-tracked * 10)));
}

}  // namespace
