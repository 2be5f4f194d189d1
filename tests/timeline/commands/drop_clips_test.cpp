// A clip carried over the lines: the feedback passes, the drop that pushes
// later clips right, its refusals, and the offer to copy what did not fit.
#include <gtest/gtest.h>

#include "commands_fixture.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"

namespace timelinetest {
namespace {

class DropClipsTest : public CommandsTest {
 protected:
  // The middle of a child window, on the screen.
  static POINT Over(TWindow* child) {
    TRect r = child->GetWindowRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static bool Cleared(const FakeDropTarget& t) { return !t.calls.empty() && !t.calls.back().withClip; }
};

struct Span {
  int32_t start, end;
  bool operator==(const Span& o) const { return start == o.start && end == o.end; }
};

TEST_F(DropClipsTest, ADropOnOccupiedLinesPushesTheirLaterClipsRight) {
  CommandTimeLine& w = OpenCommands();
  w.Engine().autoSetDeclick = true;
  filmtest::FakeAudio* a = Sound("a.wav");
  filmtest::FakeVideo* v = Video("v.avi", 500);
  Film* sound1500 = AudioFilm(a, 0, 1500, 500);
  Film* video2000 = VideoFilm(v, 0, 2000, 0, 480);
  Film* video3000 = VideoFilm(v, 0, 3000, 0, 480);
  Film* sound3000 = AudioFilm(a, 0, 3000, 500);
  Film* otherLine = AudioFilm(a, 1, 1500, 500);
  w.Engine().SetLength(3500);
  for (FakeDropTarget* t : {&w.video, &w.audio}) t->settle = 1000;

  filmtest::FakeClip clip(Video("new.avi", 100), Sound("new.wav", 1010), nullptr, 0, 1010, 1010);
  const POINT p = Over(w.AudioLines());
  EXPECT_EQ(w.DropCollectionClip(p.x, p.y, &clip), kKindVideo | kKindAudio);

  EXPECT_EQ((Span{sound1500->start, sound1500->end}), (Span{2010, 2510}));
  EXPECT_EQ((Span{video2000->start, video2000->end}), (Span{2520, 3000}));
  EXPECT_EQ((Span{video3000->start, video3000->end}), (Span{3520, 4000}));
  EXPECT_EQ((Span{sound3000->start, sound3000->end}), (Span{3510, 4010}));
  EXPECT_EQ((Span{otherLine->start, otherLine->end}), (Span{1500, 2000}));
  // Still in start order.
  for (Film* f = FilmList.First(); f && f->next; f = f->next) EXPECT_LE(f->start, f->next->start);

  Film* dropped = nullptr;
  for (Film* f : Films()) {
    if (f->video && f->audio) dropped = f;
  }
  ASSERT_NE(dropped, nullptr);
  EXPECT_EQ(dropped->start, 1000);
  EXPECT_TRUE(dropped->IsSelected());
  EXPECT_TRUE(dropped->declickIn);
  EXPECT_TRUE(dropped->declickOut);
  EXPECT_EQ(w.Engine().length, 4010 + 1000);
  EXPECT_EQ(beeping_.beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
  EXPECT_TRUE(Cleared(w.video) && Cleared(w.audio));

  Command(kCmUndo);
  EXPECT_EQ(Count(), 5);
  EXPECT_EQ(FilmList.First()->start, 1500);
}

// Each drop leaves only its own clip selected, so Delete removes that one
// and not every clip dropped before it; Undo brings the selection back.
TEST_F(DropClipsTest, OnlyTheDroppedClipIsSelected) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* before = SelectedSound(a, 0, 0, 500);
  Film* other = SelectedSound(a, 1, 0, 500);
  w.Engine().SetLength(3000);
  const POINT p = Over(w.AudioLines());
  for (int32_t at : {1000, 2000}) {
    w.audio.settle = at;
    filmtest::FakeClip clip(nullptr, Sound("new.wav", 400), nullptr, 0, 400, 400);
    ASSERT_EQ(w.DropCollectionClip(p.x, p.y, &clip), kKindAudio);
  }
  std::vector<int32_t> selected;
  for (Film* f : Films()) {
    if (f->IsSelected()) selected.push_back(f->start);
  }
  EXPECT_EQ(selected, std::vector<int32_t>{2000});
  EXPECT_FALSE(before->IsSelected() || other->IsSelected());

  Command(kCmDelete);
  std::vector<int32_t> left;
  for (Film* f : Films()) left.push_back(f->start);
  EXPECT_EQ(left, (std::vector<int32_t>{0, 0, 1000}));
  // Undo of the delete, then of the drop: the clips selected before it are again.
  Command(kCmUndo);
  Command(kCmUndo);
  selected.clear();
  for (Film* f : Films()) {
    if (f->IsSelected()) selected.push_back(f->start);
  }
  EXPECT_EQ(selected, std::vector<int32_t>{1000});
}

TEST_F(DropClipsTest, ADropThatCannotPushWholeClipsChangesNothing) {
  const struct {
    const char* what;
    int32_t blockerStart;
    bool blockerHasVideo;
  } cases[] = {
      {"a later clip also on a video row that is free", 2520, true},
      {"a clip over the drop starting before it", 500, false},
  };
  for (const auto& c : cases) {
    CommandTimeLine& w = OpenCommands();
    filmtest::FakeAudio* a = Sound("a.wav");
    AudioFilm(a, 0, 1500, 500);
    filmtest::FakeClip both(c.blockerHasVideo ? Video("b.avi", 100) : nullptr, a, nullptr, 0, 1000, 1000);
    Film* blocker = Place(new Film(both, c.blockerStart, both.GetKinds(), 0, 1));
    w.audio.settle = 1000;
    filmtest::FakeClip clip(nullptr, Sound("new.wav", 1000), nullptr, 0, 1000, 1000);
    const POINT p = Over(w.AudioLines());
    EXPECT_EQ(w.DropCollectionClip(p.x, p.y, &clip), 0) << c.what;
    ASSERT_EQ(boxes.boxes.size(), 1u) << c.what;
    EXPECT_EQ(boxes.boxes[0].caption, "Insert Clip");
    EXPECT_EQ(boxes.boxes[0].text, "Can not shift the clip(s)");
    EXPECT_EQ(boxes.boxes[0].flags & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(blocker->start, c.blockerStart);
    EXPECT_EQ(FilmList.First()->start, std::min(1500, c.blockerStart));
    EXPECT_FALSE(UndoScript::CanUndo());
    EXPECT_FALSE(w.Engine().IsModified());
    Close();
    boxes.boxes.clear();
  }
}

TEST_F(DropClipsTest, APartNotFoundUnderThePointerIsPlacedAtTheTimeTheOthersChose) {
  CommandTimeLine& w = OpenCommands();
  w.video.fitsUnderPointer = false;
  w.audio.settle = 1200;
  w.audio.line = 2;
  w.video.line = 1;
  filmtest::FakeClip clip(Video("v.avi", 100), Sound("a.wav"), nullptr, 0, 1000, 1000);
  const POINT p = Over(w.AudioLines());
  int32_t time = -5;
  EXPECT_EQ(w.HitTestLines(p.x, p.y, &clip, time), kKindVideo | kKindAudio);
  EXPECT_EQ(time, 1200);
  ASSERT_EQ(w.video.calls.size(), 2u);
  EXPECT_TRUE(w.video.calls[0].exact);
  EXPECT_FALSE(w.video.calls[1].exact);
  EXPECT_EQ(w.video.calls[1].time, 1200);
  EXPECT_EQ(GetCursor(), w.Cursor(kCursorDropFits));
  EXPECT_TRUE(w.midi.calls.empty());

  // Placed on the rows and lines the lines chose.
  EXPECT_EQ(w.DropCollectionClip(p.x, p.y, &clip), kKindVideo | kKindAudio);
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(FilmList.First()->videoRow, 1);
  EXPECT_EQ(FilmList.First()->audioLine, 2);
  EXPECT_EQ(FilmList.First()->start, 1200);

  // A part that fits nowhere takes the feedback of the others away.
  w.video.fitsElsewhere = false;
  w.audio.calls.clear();
  EXPECT_EQ(w.HitTestLines(p.x, p.y, &clip, time), 0);
  EXPECT_TRUE(Cleared(w.audio));
  EXPECT_EQ(GetCursor(), w.Cursor(kCursorNoDrop));

  // A hidden group is not asked at all.
  w.Engine().showVideo = false;
  w.video.calls.clear();
  EXPECT_EQ(w.HitTestLines(p.x, p.y, &clip, time), kKindAudio);
  EXPECT_TRUE(w.video.calls.empty());
  w.Engine().showVideo = true;
}

TEST_F(DropClipsTest, OverTheRulerOrWhilePlayingAllFeedbackGoes) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeClip clip(Video("v.avi", 100), Sound("a.wav"), nullptr, 0, 1000, 1000);
  const POINT ruler = Over(w.TimeRuler());
  int32_t time = 0;
  EXPECT_EQ(w.HitTestLines(ruler.x, ruler.y, &clip, time), 0);
  EXPECT_TRUE(Cleared(w.video) && Cleared(w.audio));
  EXPECT_TRUE(w.midi.calls.empty());
  EXPECT_EQ(GetCursor(), w.Cursor(kCursorNoDrop));

  w.video.calls.clear();
  w.audio.calls.clear();
  w.Engine().playing = true;
  const POINT lines = Over(w.AudioLines());
  EXPECT_EQ(w.HitTestLines(lines.x, lines.y, &clip, time), 0);
  EXPECT_TRUE(Cleared(w.video) && Cleared(w.audio));
  EXPECT_EQ(GetCursor(), w.Cursor(kCursorPlaying));
  EXPECT_EQ(w.DropCollectionClip(lines.x, lines.y, &clip), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Insert Clip");
  EXPECT_EQ(boxes.boxes[0].text, "The project is currently playing");
  w.Engine().playing = false;
  EXPECT_EQ(Count(), 0);
}

TEST_F(DropClipsTest, WhatDidNotFitCanGoIntoTheClipboardWhole) {
  CommandTimeLine& w = OpenCommands();
  w.Engine().autoSetDeclick = true;
  filmtest::FakeAudio* a = Sound("a.wav", 3000);
  filmtest::FakeClip clip(Video("v.avi", 100), a, nullptr, 0, 1000, 1000);
  const struct {
    int32_t placed;
    int answer;
    const char* text;
  } cases[] = {
      {0, IDNO, "Can not insert the clip.\nDo you want to copy this clip into clipboard?"},
      {kKindAudio, IDYES, "Can not insert the whole clip.\nDo you want to copy this clip into clipboard?"},
      {0, IDYES, "Can not insert the clip.\nDo you want to copy this clip into clipboard?"},
  };
  Film::Link(new Film(clip, 5000, kKindAudio, 3, 0), ClipClipboard);
  for (const auto& c : cases) {
    boxes.boxes.clear();
    boxes.answers = {c.answer};
    w.OfferClipCopy(clip, c.placed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Insert Clip");
    EXPECT_EQ(boxes.boxes[0].text, c.text);
    ASSERT_EQ(ClipClipboard.Count(), 1);
    Film* f = ClipClipboard.First();
    if (c.answer == IDNO) {
      EXPECT_EQ(f->start, 5000);
      continue;
    }
    EXPECT_EQ(f->start, 0);
    EXPECT_TRUE(f->video && f->audio);
    EXPECT_EQ(f->videoRow, 0);
    EXPECT_EQ(f->audioLine, 0);
    EXPECT_TRUE(f->declickIn && f->declickOut);
  }
  boxes.boxes.clear();
  w.OfferClipCopy(clip, kKindVideo | kKindAudio);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Count(), 0);
}

// The video line of the program answers the drop itself.
TEST_F(DropClipsTest, TheVideoLineTakesTheClipOnTheRowUnderThePointer) {
  MainTimeLineWindow& w = Open();
  TVideoLine* line = w.VideoLine();
  ASSERT_EQ(w.DropTarget(kKindVideo), static_cast<LineDropTarget*>(line));
  const TrackRecord& row1 = w.Engine().videoPanel[1];
  TPoint p(line->GetClientRect().Width() / 4, row1.top + row1.height / 2);
  line->ClientToScreen(p);
  filmtest::FakeClip clip(Video("v.avi", 100), nullptr, nullptr, 0, 1000, 1000);
  int32_t time = 0;
  ASSERT_EQ(w.HitTestLines(p.x, p.y, &clip, time), kKindVideo);
  EXPECT_TRUE(line->HasDropTarget());
  EXPECT_EQ(w.DropCollectionClip(p.x, p.y, &clip), kKindVideo);
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(FilmList.First()->videoRow, 1);
  EXPECT_EQ(FilmList.First()->start, time);
  EXPECT_FALSE(line->HasDropTarget());
}

}  // namespace
}  // namespace timelinetest
