#include "ui/scroll_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"

namespace {

// A content window; one that sizes itself tells its parent when it does.
class TContent : public TWindow {
 public:
  TContent(int w, int h, bool ownSize) : TWindow(nullptr) {
    Attr.Style = WS_CHILD | WS_VISIBLE;
    Attr.X = 0;
    Attr.Y = 0;
    Attr.W = w;
    Attr.H = h;
    if (ownSize) SetFlag(wfShrinkToClient);
  }
  void Resize(int w, int h) {
    ::SetWindowPos(HWindow, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessage(::GetParent(HWindow), WM_PARENTNOTIFY, MAKEWPARAM(WM_SIZE, 0),
                  reinterpret_cast<LPARAM>(HWindow));
  }
  TSize Size() const { return GetWindowRect().Size(); }
};

class ScrollWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Clip Collection");
    frame_->Attr.W = 1000;
    frame_->Attr.H = 700;
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
  }
  // A scroll window whose full client area is 900 x 500.
  TEScrollWindow* Open(TContent* content) {
    auto* w = new TEScrollWindow(frame_.get(), content);
    w->Attr.X = 10;
    w->Attr.Y = 10;
    w->Attr.W = 904;
    w->Attr.H = 504;
    EXPECT_TRUE(w->Create());
    GuiPumpMessages();
    return w;
  }
  // Where the content lies in the scroll window's client area.
  static TPoint Place(TEScrollWindow* w) {
    TPoint p = w->GetContent()->GetWindowRect().TopLeft();
    w->ScreenToClient(p);
    return p;
  }
  static bool Shows(TEScrollWindow* w, DWORD bar) { return (GetWindowLong(*w, GWL_STYLE) & bar) != 0; }

  std::unique_ptr<TFrameWindow> frame_;
};

TEST_F(ScrollWindowTest, TheBarsShowWhatDoesNotFitInUnitsOfEightPixels) {
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  ASSERT_EQ(bar, GetSystemMetrics(SM_CYHSCROLL));
  struct Case {
    int w, h;
    long xRange, yRange;
  };
  const Case cases[] = {
      {800, 600, 0, 13},                                     // only a vertical bar: 800 fits beside it
      {850, 450, 0, 0},                                      // it fits
      {1000, 500 - bar, 13, 0},                              // only a horizontal bar
      {1000, 500 - bar + 1, 15, 1},                          // a horizontal bar would cover it: both
      {900 - bar + 1, 600, 1, (600 - (500 - bar) + 7) / 8},  // too wide beside a vertical bar
  };
  for (const Case& c : cases) {
    auto* content = new TContent(c.w, c.h, true);
    TEScrollWindow* w = Open(content);
    EXPECT_EQ(w->Scroller->XRange, c.xRange) << c.w << " x " << c.h;
    EXPECT_EQ(w->Scroller->YRange, c.yRange) << c.w << " x " << c.h;
    EXPECT_EQ(Shows(w, WS_HSCROLL), c.xRange != 0) << c.w << " x " << c.h;
    EXPECT_EQ(Shows(w, WS_VSCROLL), c.yRange != 0) << c.w << " x " << c.h;
    EXPECT_EQ(w->GetFullClientSize(), TSize(900, 500));
    EXPECT_EQ(content->Size(), TSize(c.w, c.h));  // it keeps its own size
    EXPECT_EQ(Place(w), TPoint(0, 0));
    delete w;
  }
}

TEST_F(ScrollWindowTest, AContentWithoutItsOwnSizeFillsTheClientArea) {
  auto* content = new TContent(50, 50, false);
  TEScrollWindow* w = Open(content);
  EXPECT_EQ(content->Size(), TSize(900, 500));
  EXPECT_FALSE(Shows(w, WS_HSCROLL));
  w->SetWindowPos(nullptr, TRect(0, 0, 604, 404), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(content->Size(), TSize(600, 400));
  EXPECT_EQ(w->Scroller->XRange, 0);
}

TEST_F(ScrollWindowTest, TheViewKeepsItsRelativePlaceWhenTheContentGrows) {
  auto* content = new TContent(2000, 400, true);
  TEScrollWindow* w = Open(content);
  SendMessage(*w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 10), 0);
  EXPECT_EQ(w->Scroller->XPos, 10);
  EXPECT_EQ(Place(w), TPoint(-80, 0));
  content->Resize(4000, 400);
  EXPECT_EQ(w->Scroller->XPos, 20);
  EXPECT_EQ(Place(w), TPoint(-160, 0));
  // A tall content far down: the products pass 2^31 and stay right.
  content->Resize(900, 2000000);
  w->Scroller->ScrollTo(0, 200000);
  content->Resize(900, 1000000);
  EXPECT_EQ(w->Scroller->YPos, 100000);
}

TEST_F(ScrollWindowTest, ScrollIntoViewLeavesAMarginOfEightPixels) {
  auto* content = new TContent(2000, 1500, true);
  TEScrollWindow* w = Open(content);
  const TRect client = w->GetClientRect();
  struct Case {
    TRect r;
    long x, y;
  };
  const Case cases[] = {
      // Right and below: 8 pixels beyond them show.
      {TRect(1500, 900, client.Width() + 792, client.Height() + 792), 100, 100},
      // Not on a unit: rounded so that still 8 or more show.
      {TRect(1500, 900, client.Width() + 795, client.Height() + 795), 101, 101},
      // Visible already: no move.
      {TRect(900, 900, 1000, 1000), 101, 101},
      // Left and above: the view starts at their unit.
      {TRect(20, 12, 40, 30), 2, 1},
  };
  for (const Case& c : cases) {
    w->ScrollIntoView(c.r.left, c.r.top, c.r.right, c.r.bottom);
    EXPECT_EQ(w->Scroller->XPos, c.x) << c.r.right;
    EXPECT_EQ(w->Scroller->YPos, c.y) << c.r.bottom;
    EXPECT_GE(client.Width() + w->Scroller->XPos * 8, c.r.right + 8);
    EXPECT_LE(w->Scroller->XPos * 8, c.r.left);
  }
}

TEST_F(ScrollWindowTest, ItsOwnBarsScrollTheContent) {
  auto* content = new TContent(2000, 1500, true);
  TEScrollWindow* w = Open(content);
  // The right arrow of the horizontal bar.
  const TRect wr = w->GetWindowRect();
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const TPoint arrow(wr.right - 2 - bar - 4, wr.bottom - 2 - bar / 2);
  GuiMouseMove(arrow.x, arrow.y);
  GuiMouseButton(0, true, arrow.x, arrow.y);
  GuiMouseButton(0, false, arrow.x, arrow.y);
  GuiPumpMessages();
  EXPECT_EQ(w->Scroller->XPos, 1);
  EXPECT_EQ(Place(w), TPoint(-8, 0));
}

}  // namespace
