// The rubber band over the lines, its scrolling past the time area, the
// idle redraw of one clip, and whether the time-line is busy with the mouse.
#include "input_fixture.h"
#include "model/film.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"

namespace timelinetest {
namespace {

class RubberBand : public WindowInputTest {
 protected:
  // The user drags a band from a to b with Shift, which keeps the
  // selection: the line under a starts it on the press, the release ends it.
  void Drag(POINT a, POINT b) {
    GuiMouseMove(a.x, a.y);
    GuiKey(VK_SHIFT, true);
    GuiMouseButton(0, true, a.x, a.y);
    GuiKey(VK_SHIFT, false);
    GuiPumpMessages();
    ASSERT_TRUE(window_->RubberBandActive());
    GuiMouseMove((a.x + b.x) / 2, (a.y + b.y) / 2);
    GuiMouseMove(b.x, b.y);
    GuiPumpMessages();
    GuiMouseButton(0, false, b.x, b.y);
    GuiPumpMessages();
  }
  int32_t TimeAt(POINT screen) {
    ScreenToClient(window_->AudioLines()->GetHandle(), &screen);
    return Engine().PixelToPosUnclamped(screen.x);
  }
};

TEST_F(RubberBand, TheBandTogglesTheClipsItTouchesOnTheLinesItCoversInOneStep) {
  for (bool leftToRight : {true, false}) {
    SCOPED_TRACE(leftToRight);
    OpenInput();
    TimeLineEngine& e = Engine();
    e.SetLength(60000);
    e.ZoomToRange(0, 10000);
    const POINT from = OnAudioLine(2000, 1), to = OnAudioLine(6000, 2);
    const int32_t lo = TimeAt(from), hi = TimeAt(to);
    auto* sound = Audio("a.wav", 60000);
    Film* endsAtLo = AudioFilm(sound, 1, lo - 500, 500);
    Film* inside = AudioFilm(sound, 1, lo + 100, 300);
    Film* startsAtHi = AudioFilm(sound, 2, hi, 500);
    Film* selected = AudioFilm(sound, 2, hi - 1, 400);
    Film* notCovered = AudioFilm(sound, 0, lo, 1000);
    Film* alsoNot = AudioFilm(sound, 3, lo, 1000);
    selected->group = SelectionGroup;
    if (leftToRight) {
      Drag(from, to);
    } else {
      Drag(to, from);
    }
    EXPECT_FALSE(window_->RubberBandActive());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(endsAtLo->group, 0);
    EXPECT_EQ(inside->group, SelectionGroup);
    EXPECT_EQ(startsAtHi->group, 0);
    EXPECT_EQ(selected->group, 0);
    EXPECT_EQ(notCovered->group, 0);
    EXPECT_EQ(alsoNot->group, 0);
    EXPECT_EQ(Snapshots(), 1);
    Close();
    UndoScript::ClearAll();
  }
}

TEST_F(RubberBand, ABandOverNoClipChangesNothing) {
  OpenInput();
  Engine().ZoomToRange(0, 10000);
  Film* f = AudioFilm(Audio("a.wav", 60000), 1, 8000, 500);
  Drag(OnAudioLine(1000, 0), OnAudioLine(3000, 2));
  EXPECT_EQ(f->group, 0);
  EXPECT_EQ(Snapshots(), 0);
}

TEST_F(RubberBand, AFoldedLineIsNotTaken) {
  Ini("TIMELINE", "ZOOM_AUDIO1", "3");
  OpenInput();
  Engine().ZoomToRange(0, 10000);
  auto* sound = Audio("a.wav", 60000);
  Film* folded = AudioFilm(sound, 1, 2500, 500);
  Film* open = AudioFilm(sound, 2, 2500, 500);
  Drag(OnAudioLine(2000, 0), OnAudioLine(4000, 2));
  EXPECT_EQ(folded->group, 0);
  EXPECT_EQ(open->group, SelectionGroup);
}

TEST_F(RubberBand, PastTheRightEdgeItScrollsAStepEveryTickWithItsAnchorOnItsTime) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(600000);
  e.ZoomToRange(0, 10000);
  const int32_t step = e.ScrollStep();
  const POINT a = OnAudioLine(2000, 1);
  const int32_t anchorTime = TimeAt(a);
  GuiMouseMove(a.x, a.y);
  w.BeginRubberBand(a.x, a.y);
  // Beyond the time area's right edge.
  POINT beyond = OnAudioLine(0, 1);
  beyond.x += e.width + 12;
  GuiMouseMove(beyond.x, beyond.y);
  GuiPumpMessages();
  ASSERT_TRUE(e.play.timerOn);
  for (int tick = 1; tick <= 3; ++tick) {
    clock_.Advance(100);
    GuiPumpMessages();
    EXPECT_EQ(e.origin, tick * step);
    EXPECT_EQ(TimeAt(w.RubberBandAnchor()), anchorTime);
  }
  // Back inside: the next tick stops the timer.
  const POINT inside = OnAudioLine(8000, 1);
  GuiMouseMove(inside.x, inside.y);
  clock_.Advance(100);
  GuiPumpMessages();
  EXPECT_FALSE(e.play.timerOn);
  EXPECT_EQ(e.origin, 3 * step);

  Film* start = AudioFilm(Audio("a.wav", 60000), 1, anchorTime + 10, 100);
  GuiMouseButton(0, false, inside.x, inside.y);
  GuiPumpMessages();
  EXPECT_EQ(start->group, SelectionGroup);
}

TEST_F(RubberBand, OneClipIsRedrawnAtEachIdleCallAndNoneWhilePlaying) {
  InputTimeLine& w = OpenInput();
  auto* sound = Audio("a.wav", 60000);
  Film* a = VideoFilm(Video("v.avi", 5000), 0, 0, 0, 1000);
  Film* b = AudioFilm(sound, 0, 2000, 1000);
  Film* c = AudioFilm(sound, 1, 4000, 1000);
  a->videoState = 2;
  b->audioState = 2;
  b->midiState = 2;
  (void)c;
  Engine().playing = true;
  EXPECT_FALSE(w.DrawPendingClip());
  Engine().playing = false;
  EXPECT_TRUE(w.redraws.empty());
  EXPECT_TRUE(w.DrawPendingClip());
  EXPECT_TRUE(w.DrawPendingClip());
  EXPECT_TRUE(w.DrawPendingClip());
  EXPECT_FALSE(w.DrawPendingClip());
  EXPECT_EQ(w.redraws,
            (std::vector<InputTimeLine::Redraw>{{kLineVideo, a}, {kLineAudio, b}, {kLineMidi, b}}));
}

TEST_F(RubberBand, TheTimeLineIsBusyWhilePlayingOrWhileOneOfItsWindowsHoldsTheMouse) {
  InputTimeLine& w = OpenInput();
  EXPECT_FALSE(w.IsCapturing());
  for (TWindow* holder : {static_cast<TWindow*>(&w), static_cast<TWindow*>(w.TimeRuler()),
                          static_cast<TWindow*>(w.SelectionLine()), static_cast<TWindow*>(w.AudioLines())}) {
    SetCapture(holder->GetHandle());
    EXPECT_TRUE(w.IsCapturing());
    ReleaseCapture();
  }
  // A window of the time-line that never drags: its capture does not count.
  SetCapture(w.AudioHeader()->GetHandle());
  EXPECT_FALSE(w.IsCapturing());
  ReleaseCapture();
  Engine().playing = true;
  EXPECT_TRUE(w.IsCapturing());
  Engine().playing = false;
}

}  // namespace
}  // namespace timelinetest
