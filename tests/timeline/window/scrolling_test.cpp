// The scroll bars, their keys, the zoom list and "Set Size".
#include "input_fixture.h"
#include "model/film.h"
#include "resources/value_dialog_ids.h"
#include "timeline/header/scale_list.h"
#include "ui/dialog_script.h"

namespace timelinetest {
namespace {

using Scrolling = WindowInputTest;

TEST_F(Scrolling, EveryCodeOfTheTimeBarMovesTheOriginWithinTheBarsRange) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(600000);
  e.ZoomToRange(100000, 110000);
  const int32_t step = e.ScrollStep();
  int lo = 0, hi = 0;
  w.HorzScrollBar()->GetRange(lo, hi);
  const int32_t page = w.HorzScrollBar()->PageMagnitude;
  ASSERT_GT(hi, 100);
  ASSERT_GT(page, 1);
  const int32_t start = 50 * step;
  struct Case {
    UINT code;
    UINT pos;
    int32_t origin;
  };
  const Case cases[] = {
      {SB_LINELEFT, 0, start - step},
      {SB_LINERIGHT, 0, start + step},
      {SB_PAGELEFT, 0, start - page * step},
      {SB_PAGERIGHT, 0, start + page * step},
      {SB_THUMBPOSITION, 7, 7 * step},
      {SB_THUMBTRACK, 9, 9 * step},
      {SB_TOP, 0, lo * step},
      {SB_BOTTOM, 0, hi * step},
      {SB_ENDSCROLL, 0, start},
      // Past the end the origin stops at the bar's last position.
      {SB_THUMBTRACK, static_cast<UINT>(hi + 500), hi * step},
  };
  HWND bar = w.HorzScrollBar()->GetHandle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    e.origin = start;
    w.HorzScrollBar()->SetPosition(3);
    w.SendMessage(WM_HSCROLL, MAKEWPARAM(c.code, c.pos), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(e.origin, c.origin);
    EXPECT_EQ(w.HorzScrollBar()->GetPosition(), c.origin / step);
  }
}

TEST_F(Scrolling, TheAudioLinesScrollByWholeLinesOfTheirOwnHeights) {
  Ini("TIMELINE", "ZOOM_AUDIO1", "0");
  Ini("TIMELINE", "ZOOM_AUDIO3", "2");
  InputTimeLine& w = OpenInput();
  // Past the first size events, so that the frame follows the layout.
  for (int i = 0; i < 10; ++i) SizeFrame(1000, 600 + i);
  SizeFrame(1000, 420);
  ASSERT_TRUE(IsWindowVisible(w.VertScrollBar()->GetHandle()));
  const TrackPanel& a = Engine().audioPanel;
  ASSERT_EQ(a.firstShown, 0);
  // Ctrl+Up at the first line does nothing.
  Press(VK_UP, true);
  EXPECT_EQ(a.firstShown, 0);
  Press(VK_DOWN, true);
  EXPECT_EQ(a.firstShown, 1);
  EXPECT_EQ(a[0].top, -49);
  EXPECT_EQ(a[1].top, 0);
  EXPECT_EQ(a[1].bottom, 95);
  EXPECT_EQ(a[2].top, 97);
  EXPECT_EQ(a[3].top, 146);
  EXPECT_EQ(a[3].middle, 146 + 12 - 1);
  EXPECT_EQ(w.VertScrollBar()->GetPosition(), 1);
  Press(VK_UP, true);
  EXPECT_EQ(a.firstShown, 0);
  w.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0),
                reinterpret_cast<LPARAM>(w.VertScrollBar()->GetHandle()));
  int lo = 0, hi = 0;
  w.VertScrollBar()->GetRange(lo, hi);
  EXPECT_EQ(a.firstShown, hi);
}

TEST_F(Scrolling, CtrlLeftAndRightStepTheTimeWithinTheBar) {
  OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(600000);
  e.ZoomToRange(0, 10000);
  Press(VK_LEFT, true);
  EXPECT_EQ(e.origin, 0);
  Press(VK_RIGHT, true);
  EXPECT_EQ(e.origin, e.ScrollStep());
  // The whole length in view: nothing scrolls.
  e.ZoomToRange(0, 600000);
  Press(VK_RIGHT, true);
  EXPECT_EQ(e.origin, 0);
}

TEST_F(Scrolling, ChoosingAnEntryOfTheZoomListZoomsToIt) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(600000);
  TEScaleList& list = *w.ScaleList();
  const int count = static_cast<int>(list.SendMessage(CB_GETCOUNT));
  ASSERT_GT(count, 3);
  const int current = static_cast<int>(list.SendMessage(CB_GETCURSEL));
  const int other = current > 0 ? current - 1 : current + 1;
  list.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(other));
  const int32_t chosen = list.GetScale();
  w.SendMessage(WM_COMMAND, MAKEWPARAM(kScaleListId, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(list.GetHandle()));
  EXPECT_EQ(e.scale, chosen);
}

TEST_F(Scrolling, SetSizeTakesAnUndoStepOnlyWhenTheLengthOrTheLinesChange) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(60000);
  AudioFilm(Audio("a.wav", 60000), 0, 1000, 9000);
  e.SetMarkRange(2000, 3000);
  e.ZoomToRange(0, 20000);
  const int32_t lines = e.audioLineCount;

  size_.answer = std::make_unique<ProjectSizeRequest>();
  *size_.answer = {60000, lines, 0, 5000, 15000, 4000, 8000};
  w.SendMessage(WM_COMMAND, MAKEWPARAM(kSetSizeButtonId, BN_CLICKED),
                reinterpret_cast<LPARAM>(w.SetSizeButton()->GetHandle()));
  ASSERT_EQ(size_.asked.size(), 1u);
  const ProjectSizeRequest& asked = size_.asked[0];
  EXPECT_EQ(asked.length, 60000);
  EXPECT_EQ(asked.audioLines, lines);
  EXPECT_EQ(asked.latestEnd, 10000);
  EXPECT_EQ(asked.viewStart, 0);
  EXPECT_NEAR(asked.viewEnd, 20000, 100);
  EXPECT_EQ(asked.rangeStart, 2000);
  EXPECT_EQ(asked.rangeEnd, 3000);
  EXPECT_EQ(Snapshots(), 0);
  int32_t start = 0, end = 0;
  ASSERT_TRUE(e.GetMarkRange(start, end));
  EXPECT_EQ(start, 4000);
  EXPECT_EQ(end, 8000);
  EXPECT_EQ(e.origin, 5000);

  *size_.answer = {90000, lines, 0, 0, 20000, 0, 0};
  w.SetSizeButton()->SendMessage(BM_CLICK);
  GuiPumpMessages();
  EXPECT_EQ(e.length, 90000);
  EXPECT_EQ(Snapshots(), 1);
  EXPECT_FALSE(e.GetMarkRange(start, end));

  // Cancelled: nothing.
  size_.answer.reset();
  w.SetSizeButton()->SendMessage(BM_CLICK);
  GuiPumpMessages();
  EXPECT_EQ(e.length, 90000);
  EXPECT_EQ(Snapshots(), 1);
}

TEST_F(Scrolling, SetSizeShowsTheProgramsDialog) {
  using namespace dialogtest;
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(60000);
  e.SetMarkRange(2000, 3000);
  size_.realDialog = true;
  std::string shownRange;
  ModalScript script({[&](HWND d) {
    shownRange = ItemText(d, kMarkSize);
    TypeTime(d, kProjectSize, "90000");
    Key(d, VK_TAB);
    Click(d, IDOK);
  }});
  w.SetSizeButton()->SendMessage(BM_CLICK);
  GuiPumpMessages();
  EXPECT_EQ(shownRange, "00:00:01:000ms");
  EXPECT_EQ(e.length, 90000);
  EXPECT_EQ(Snapshots(), 1);
}

}  // namespace
}  // namespace timelinetest
