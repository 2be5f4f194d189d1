// What the time-line window does for its line windows: the band a press on
// empty space starts, the keys of a clip drag, clicks on the play-cursor line.
#include "input_fixture.h"
#include "model/film.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"

namespace timelinetest {
namespace {

class LineClicks : public WindowInputTest {
 protected:
  using WindowInputTest::Press;
  POINT OnVideoRow(int32_t time, int32_t row) {
    const TrackRecord& r = Engine().videoPanel[row];
    POINT p{Engine().PosToPixelUnclamped(time), r.top + r.height / 2};
    ClientToScreen(window_->VideoLine()->GetHandle(), &p);
    return p;
  }
  void Press(POINT p, bool shift = false) {
    clock_.Advance(GetDoubleClickTime() + 1);
    if (shift) GuiKey(VK_SHIFT, true);
    GuiMouseMove(p.x, p.y);
    GuiMouseButton(0, true, p.x, p.y);
    GuiPumpMessages();
    if (shift) GuiKey(VK_SHIFT, false);
  }
  void Release(POINT p) {
    GuiMouseMove(p.x, p.y);
    GuiPumpMessages();
    GuiMouseButton(0, false, p.x, p.y);
    GuiPumpMessages();
  }
};

TEST_F(LineClicks, APressOnEmptySpaceStartsABandAcrossTheRowsAndLinesItCovers) {
  OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(60000);
  e.ZoomToRange(0, 10000);
  e.SetPlayCursor(9000, false);
  auto* picture = Video("v.avi", 60000);
  auto* sound = Audio("a.wav", 60000);
  Film* row0 = VideoFilm(picture, 0, 3000, 0, 1000);
  Film* row1 = VideoFilm(picture, 1, 3000, 0, 1000);
  Film* line0 = AudioFilm(sound, 0, 3000, 1000);
  Film* line1 = AudioFilm(sound, 1, 4000, 1000);
  Film* line2 = AudioFilm(sound, 2, 3000, 1000);
  Film* outside = AudioFilm(sound, 1, 7000, 1000);
  Press(OnVideoRow(2000, 1));
  EXPECT_TRUE(window_->RubberBandActive());
  Release(OnAudioLine(6000, 1));
  EXPECT_FALSE(window_->RubberBandActive());
  EXPECT_EQ(row0->group, 0);
  EXPECT_EQ(row1->group, SelectionGroup);
  EXPECT_EQ(line0->group, SelectionGroup);
  EXPECT_EQ(line1->group, SelectionGroup);
  EXPECT_EQ(line2->group, 0);
  EXPECT_EQ(outside->group, 0);
}

TEST_F(LineClicks, ArrowsMoveTheClipTheVideoLineDrags) {
  OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(60000);
  e.ZoomToRange(0, 10000);
  e.SetPlayCursor(9000, false);
  Film* clip = VideoFilm(Video("v.avi", 60000), 0, 2000, 0, 2000);
  const POINT on = OnVideoRow(3000, 0);
  Press(on);
  ASSERT_TRUE(window_->VideoLine()->IsDragging());
  Press(VK_RIGHT);
  EXPECT_EQ(clip->start, 2040);
  Press(VK_RIGHT, false, true);
  EXPECT_EQ(clip->start, 2440);
  // The cursor stayed: the keys did not step it.
  EXPECT_EQ(e.cursor, 9000);
  Release(on);
  EXPECT_FALSE(window_->VideoLine()->IsDragging());
  Press(VK_RIGHT);
  EXPECT_EQ(clip->start, 2440);
  EXPECT_EQ(e.cursor, 9040);
}

TEST_F(LineClicks, AClickOnThePlayCursorLineDragsTheCursorOrWithShiftTheRange) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(60000);
  e.ZoomToRange(0, 10000);
  e.SetPlayCursor(4000, false);
  Press(OnVideoRow(4000, 0));
  EXPECT_TRUE(w.TimeRuler()->IsDragging());
  Release(OnVideoRow(6000, 0));
  EXPECT_FALSE(w.TimeRuler()->IsDragging());
  EXPECT_NEAR(e.cursor, 6000, 20);

  Press(OnVideoRow(e.cursor, 1), true);
  EXPECT_EQ(w.SelectionLine()->DragState(), 1);
  Release(OnVideoRow(8000, 1));
  EXPECT_EQ(w.SelectionLine()->DragState(), 0);
  int32_t start = 0, end = 0;
  ASSERT_TRUE(e.GetMarkRange(start, end));
  EXPECT_NEAR(start, 6000, 20);
  EXPECT_NEAR(end, 8000, 20);
}

}  // namespace
}  // namespace timelinetest
