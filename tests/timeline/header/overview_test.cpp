// The overview strip: its scale, its zones, dragging the view's frame,
// drawing a new one, centring and playing, and its picture.
#include <gtest/gtest.h>

#include "strip_fixture.h"
#include "timeline/header/full_size_line.h"
#include "timeline/window/timeline_colors.h"

namespace striptest {
namespace {

class OverviewTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    OpenStrip();
    strip_line_ = window_->Overview();
    Engine().SetLength(60000);
    Engine().alignToFrame = false;
    Resize(600);
  }
  // The strip 600 pixels wide: one pixel is 100 ms of a 60 s project.
  void Resize(int width) {
    const TRect r = strip_line_->GetClientRect();
    ::SetWindowPos(strip_line_->GetHandle(), nullptr, 0, 0, width, r.Height(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GuiPumpMessages();
    ASSERT_EQ(strip_line_->GetClientRect().Width(), width);
  }
  // The view's frame on the strip.
  int FrameLeft() { return strip_line_->XOfTime(Engine().PixelToPos(0)); }
  int FrameRight() { return strip_line_->XOfTime(Engine().PixelToPos(Engine().width)); }
  int Mid() { return strip_line_->GetClientRect().Height() / 2; }

  TFullSizeLine* strip_line_ = nullptr;
};

TEST_F(OverviewTest, StripXAndTimeScaleOverTheWholeProject) {
  struct Case {
    int32_t length;
    int x;
    int32_t time;
  };
  const Case timesOfX[] = {{60000, 0, 0},       {60000, 1, 100},     {60000, 300, 30000},
                           {60000, 599, 59900}, {60000, 600, 60000}, {60000, 700, 60000},
                           {0, 0, 0},           {0, 300, 0},         {0, 600, 0}};
  for (const Case& c : timesOfX) {
    Engine().length = c.length;
    EXPECT_EQ(strip_line_->TimeOfX(c.x), c.time) << c.length << " " << c.x;
  }
  const Case xsOfTime[] = {{60000, 0, 0},       {60000, 1, 149},     {60000, 2, 150},
                           {60000, 300, 30000}, {60000, 600, 59999}, {60000, 600, 70000}};
  for (const Case& c : xsOfTime) {
    Engine().length = c.length;
    EXPECT_EQ(strip_line_->XOfTime(c.time), c.x) << c.length << " " << c.time;
  }
  Engine().length = 60000;
}

TEST_F(OverviewTest, TheZoneComesFromWhereThePointerIsOnTheFrame) {
  Engine().ZoomToRange(10000, 30000);
  const int left = FrameLeft(), right = FrameRight();
  ASSERT_GT(right - left, 100);
  struct Case {
    int x;
    bool ctrl;
    int32_t zone;
  };
  const Case cases[] = {
      {left - 5, false, TFullSizeLine::kLeftEdge},   {left + 6, false, TFullSizeLine::kLeftEdge},
      {left + 7, false, TFullSizeLine::kInside},     {(left + right) / 2, false, TFullSizeLine::kInside},
      {right + 5, false, TFullSizeLine::kRightEdge}, {right - 6, false, TFullSizeLine::kRightEdge},
      {left - 30, false, TFullSizeLine::kNoZone},    {right + 8, false, TFullSizeLine::kNoZone},
      {left - 30, true, TFullSizeLine::kNewFrame},   {(left + right) / 2, true, TFullSizeLine::kNewFrame},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << (c.ctrl ? " ctrl" : ""));
    if (c.ctrl) GuiKey(VK_CONTROL, true);
    MoveTo(strip_line_, c.x, Mid());
    if (c.ctrl) GuiKey(VK_CONTROL, false);
    EXPECT_EQ(strip_line_->Zone(), c.zone);
  }
  // A frame of 21 pixels or less is split in two halves.
  Engine().ZoomToRange(20000, 20300);
  const int middle = (FrameLeft() + FrameRight()) / 2;
  ASSERT_LE(FrameRight() - FrameLeft() + 14, 21);
  EXPECT_EQ(strip_line_->HitTest(0, TPoint(middle + 1, Mid())), TFullSizeLine::kRightEdge);
  EXPECT_EQ(strip_line_->HitTest(0, TPoint(middle, Mid())), TFullSizeLine::kLeftEdge);
}

// An edge dragged past the other stops the minimum span short of it; the
// view takes the frame at the release.
TEST_F(OverviewTest, AnEdgeDragStopsAtTheMinimumSpan) {
  const int32_t minimum = Engine().width / window_->CellWidth();
  ASSERT_GT(minimum, 0);
  Engine().ZoomToRange(10000, 30000);
  const int32_t start = Engine().PixelToPos(0), end = Engine().PixelToPos(Engine().width);
  Press(strip_line_, FrameLeft() - 3, Mid());
  ASSERT_EQ(strip_line_->Zone(), TFullSizeLine::kLeftEdge);
  EXPECT_EQ(Status(), "Start : " + std::string(MsToShortTimeCode(start, TRUE)) +
                          ",  size : " + MsToShortTimeCode(end - start, TRUE));
  MoveTo(strip_line_, 500, Mid());
  EXPECT_EQ(strip_line_->FrameEnd(), end);
  EXPECT_EQ(strip_line_->FrameStart(), end - minimum);
  Release(strip_line_, 500, Mid());
  EXPECT_FALSE(strip_line_->IsDragging());
  EXPECT_EQ(Engine().origin, end - minimum);

  Engine().ZoomToRange(10000, 30000);
  const int32_t start2 = Engine().PixelToPos(0);
  Press(strip_line_, FrameRight() + 3, Mid());
  ASSERT_EQ(strip_line_->Zone(), TFullSizeLine::kRightEdge);
  MoveTo(strip_line_, 20, Mid());
  EXPECT_EQ(strip_line_->FrameStart(), start2);
  EXPECT_EQ(strip_line_->FrameEnd(), start2 + minimum);
  Release(strip_line_, 20, Mid());
}

// Moving the frame keeps its span; past the project's end it stops there.
TEST_F(OverviewTest, AMovePastTheEndKeepsTheSpan) {
  Engine().ZoomToRange(10000, 30000);
  const int32_t span = Engine().PixelToPos(Engine().width) - Engine().PixelToPos(0);
  const int grab = (FrameLeft() + FrameRight()) / 2;
  Press(strip_line_, grab, Mid());
  EXPECT_EQ(strip_line_->Zone(), TFullSizeLine::kMoving);
  MoveTo(strip_line_, grab + 50, Mid());
  EXPECT_EQ(strip_line_->FrameEnd() - strip_line_->FrameStart(), span);
  EXPECT_EQ(Engine().origin, strip_line_->FrameStart());
  MoveTo(strip_line_, 590, Mid());
  EXPECT_EQ(strip_line_->FrameEnd(), 60000);
  EXPECT_EQ(strip_line_->FrameStart(), 60000 - span);
  EXPECT_EQ(Engine().origin, 60000 - span);
  Release(strip_line_, 590, Mid());
  EXPECT_EQ(strip_line_->Zone(), TFullSizeLine::kInside);
}

// A view longer than the project has nowhere to move: neither its start
// nor its zoom changes.
TEST_F(OverviewTest, MovingAViewLongerThanTheProjectChangesNothing) {
  TimeLineEngine& e = Engine();
  e.SetLength(10000);
  e.scale = 1000;
  e.factor = 20;  // 50 ms a pixel: the view is far longer than 10 s
  e.UpdateScrollRange();
  ASSERT_GT(e.VisibleSpan(), 10000);
  ASSERT_EQ(e.origin, 0);
  const int32_t scale = e.scale, factor = e.factor;
  Press(strip_line_, 300, Mid());
  ASSERT_EQ(strip_line_->Zone(), TFullSizeLine::kMoving);
  MoveTo(strip_line_, 400, Mid());
  MoveTo(strip_line_, 550, Mid());
  EXPECT_EQ(strip_line_->FrameStart(), 0);
  EXPECT_EQ(e.origin, 0);
  EXPECT_EQ(e.scale, scale);
  EXPECT_EQ(e.factor, factor);
  Release(strip_line_, 550, Mid());
}

// The right button, or the left one with Ctrl, draws a new frame, either
// way round; the view shows it at the release.
TEST_F(OverviewTest, ANewFrameIsDrawnAndTheViewTakesIt) {
  Engine().ZoomToRange(0, 5000);
  for (bool right : {true, false}) {
    SCOPED_TRACE(right ? "right button" : "ctrl");
    const int button = right ? 1 : 0;
    if (!right) GuiKey(VK_CONTROL, true);
    Press(strip_line_, 300, Mid(), button);
    if (!right) GuiKey(VK_CONTROL, false);
    ASSERT_TRUE(strip_line_->IsDragging());
    MoveTo(strip_line_, 250, Mid());
    MoveTo(strip_line_, 200, Mid());
    EXPECT_EQ(strip_line_->FrameStart(), 20000);
    EXPECT_EQ(strip_line_->FrameEnd(), 30000);
    Release(strip_line_, 200, Mid(), button);
    EXPECT_FALSE(strip_line_->IsDragging());
    EXPECT_EQ(Engine().origin, 20000);
    EXPECT_NEAR(Engine().PixelToPosUnclamped(Engine().width), 30000, Engine().PixelsToTime(2));
    Engine().ZoomToRange(0, 5000);
  }
}

// A click that draws no frame centres the view on the click.
TEST_F(OverviewTest, AClickWithoutMovementCentres) {
  TimeLineEngine& e = Engine();
  e.ZoomToRange(0, 5000);
  const int32_t half = e.PixelsToTime(e.width) / 2;
  const int32_t step = e.ScrollStep();
  Press(strip_line_, 300, Mid(), 1);
  Release(strip_line_, 300, Mid(), 1);
  ASSERT_EQ(strip_->scrolls.size(), 1u);
  EXPECT_EQ(strip_->scrolls[0].first, static_cast<UINT>(SB_THUMBPOSITION));
  EXPECT_EQ(strip_->scrolls[0].second, static_cast<UINT>((30000 - half + step / 2) / step));
  EXPECT_NEAR(e.origin + half, 30000, step);

  // A left click outside the frame does nothing.
  Press(strip_line_, 500, Mid());
  Release(strip_line_, 500, Mid());
  EXPECT_EQ(strip_->scrolls.size(), 1u);
}

TEST_F(OverviewTest, DoubleClickPlaysOnceFromThePoint) {
  AudioFilm(Audio("a.wav", 60000), 0, 5000, 35000);
  Engine().ZoomToRange(0, 3000);
  DoubleClick(strip_line_, 100, Mid());
  ASSERT_EQ(strip_->plays.size(), 1u);
  EXPECT_EQ(strip_->plays[0], std::make_pair(10000, 40000));
}

TEST_F(OverviewTest, TheStripShowsTheRangeTheClipsTheViewAndTheCursor) {
  TimeLineEngine& e = Engine();
  Film* selected = VideoFilm(Video("a.avi", 1500), 0, 20000, 0, 10000);  // x 200..300
  selected->group = SelectionGroup;
  Film* other = AudioFilm(Audio("b.wav", 60000), 1, 40000, 5000);  // x 400..450
  other->group = 0;
  Film* semi = AudioFilm(Audio("c.wav", 60000), 1, 50000, 5000);  // x 500..550
  semi->group = SelectionGroup + 1;
  e.SetMarkRange(6000, 12000);  // x 60..120
  e.ZoomToRange(0, 5000);
  e.SetPlayCursor(35000, false);  // x 350
  strip_line_->Invalidate(false);
  GuiPumpMessages();

  const HWND h = strip_line_->GetHandle();
  const int rowHeight = window_->OverviewRowHeight();
  ASSERT_GT(rowHeight, 2);
  const int rowsTop = 4;  // below the range band
  auto rowY = [&](int row) { return rowsTop + row * rowHeight + rowHeight / 2; };
  EXPECT_EQ(GuiReadPixel(h, 90, 3), TimeLineColors[kColorSelection]);
  EXPECT_EQ(GuiReadPixel(h, 130, 3), TimeLineColors[kColorBackground]);
  EXPECT_EQ(GuiReadPixel(h, 250, rowY(0)), TimeLineColors[kColorSelectedClip]);
  EXPECT_EQ(GuiReadPixel(h, 200, rowY(0)), RGB(0, 0, 0));  // its first and last pixels
  EXPECT_EQ(GuiReadPixel(h, 299, rowY(0)), RGB(0, 0, 0));
  EXPECT_EQ(GuiReadPixel(h, 320, rowY(0)), TimeLineColors[kColorBackground]);
  EXPECT_EQ(GuiReadPixel(h, 250, rowY(1)), TimeLineColors[kColorBackground]);
  EXPECT_EQ(GuiReadPixel(h, 425, rowY(4)), TimeLineColors[kColorNonSelectedClip]);
  EXPECT_EQ(GuiReadPixel(h, 525, rowY(4)), TimeLineColors[kColorSemiSelectedClip]);
  EXPECT_EQ(GuiReadPixel(h, 425, rowY(3)), TimeLineColors[kColorBackground]);
  // The view's frame: black bars at its edges, black along the top.
  const int right = FrameRight();
  EXPECT_EQ(GuiReadPixel(h, 0, rowY(2)), RGB(0, 0, 0));
  EXPECT_EQ(GuiReadPixel(h, right - 1, rowY(2)), RGB(0, 0, 0));
  EXPECT_EQ(GuiReadPixel(h, right / 2, 0), RGB(0, 0, 0));
  EXPECT_EQ(GuiReadPixel(h, right + 20, 0), TimeLineColors[kColorBackground]);
  EXPECT_EQ(GuiReadPixel(h, 350, rowY(2)), TimeLineColors[kColorCurTime]);
}

// The cursor's column is redrawn where it was and where it goes.
TEST_F(OverviewTest, TheCursorMovesOnTheStrip) {
  Engine().ZoomToRange(0, 5000);
  Engine().SetPlayCursor(30000, false);
  GuiPumpMessages();
  const HWND h = strip_line_->GetHandle();
  const int y = Mid();
  EXPECT_EQ(GuiReadPixel(h, 300, y), TimeLineColors[kColorCurTime]);
  Engine().SetPlayCursor(45000, false);
  GuiPumpMessages();
  EXPECT_NE(GuiReadPixel(h, 300, y), TimeLineColors[kColorCurTime]);
  EXPECT_EQ(GuiReadPixel(h, 450, y), TimeLineColors[kColorCurTime]);
}

}  // namespace
}  // namespace striptest
