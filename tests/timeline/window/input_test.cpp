#include <gtest/gtest.h>

#include "model/film.h"
#include "timeline/header/av_buttons.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using InputTest = TimeLineTest;

TEST_F(InputTest, TheLineScrollBarMovesTheAudioLinesByOneLine) {
  MainTimeLineWindow& w = Open();
  // Past the first size events, so that the frame follows the layout.
  for (int i = 0; i < 10; ++i) SizeFrame(1000, 700 + i);
  SizeFrame(1000, 380);
  ASSERT_TRUE(IsWindowVisible(w.VertScrollBar()->GetHandle()));
  TimeLineEngine& e = w.Engine();
  HWND bar = w.VertScrollBar()->GetHandle();
  w.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(e.audioPanel.firstShown, 1);
  EXPECT_EQ(e.audioPanel[0].top, -49);
  EXPECT_EQ(e.audioPanel[1].top, 0);
  EXPECT_EQ(w.VertScrollBar()->GetPosition(), 1);
  w.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), reinterpret_cast<LPARAM>(bar));
  w.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(e.audioPanel.firstShown, 0);
  // The engine scrolls to a line through the thumb.
  w.ScrollAudioLinesTo(2);
  EXPECT_EQ(e.audioPanel.firstShown, 2);
  EXPECT_EQ(e.GetTimeLineState().firstAudioRow, 2);
}

TEST_F(InputTest, PasteWaitsForClipsInTheClipboardAndAStoppedProject) {
  MainTimeLineWindow& w = Open();
  EXPECT_FALSE(w.CanPaste());
  Film* film = AudioFilm(Audio("a.wav", 10000), 0, 0, 1000);
  Film::Link(new Film(*film, kKindAudio), ClipClipboard);
  EXPECT_TRUE(w.CanPaste());
  w.Engine().playing = true;
  EXPECT_FALSE(w.CanPaste());
  w.Engine().playing = false;
}

TEST_F(InputTest, EveryCursorOfTheLinesIsLoaded) {
  MainTimeLineWindow& w = Open();
  std::vector<HCURSOR> seen;
  for (int id :
       {kCursorTrimStart, kCursorTrimEnd, kCursorClipBody, kCursorMoveClips, kCursorPlaying, kCursorNoDrop,
        kCursorKeyPoint, kCursorFlatSegment, kCursorSlopedSegment, kCursorRubberBand, kCursorDropShortened,
        kCursorDropFits, kCursorClipMark, kCursorTimeLine, kCursorInsert, kCursorEffects}) {
    HCURSOR c = w.Cursor(id);
    EXPECT_NE(c, w.Cursor(0)) << id;
    EXPECT_EQ(std::find(seen.begin(), seen.end(), c), seen.end()) << id;
    seen.push_back(c);
  }
}

}  // namespace
}  // namespace timelinetest
