#include <gtest/gtest.h>

#include "edit_fakes.h"
#include "model/changed_ranges.h"

namespace edittest {
namespace {

class ClipDragTest : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    ShowAllLines();
    engine.gravityAlign = 0;
    engine.alignToFrame = false;
    engine.length = 60000;
  }
  Film* Selected(Film* f) {
    f->group = SelectionGroup;
    return f;
  }
  // A mouse step as the line windows make it: the undo report and the
  // modified flag between the check and the move.
  bool Step(int32_t time, int32_t line, int32_t kinds) {
    ClipMove move{time, line};
    if (!engine.TrackClipDrag(move, kinds)) return false;
    engine.MarkUndo(kUndoClipStep);
    engine.SetModified(true);
    engine.MoveSelectedClips(move.time, move.line, kinds);
    return true;
  }
};

TEST_F(ClipDragTest, AnAudioClipDroppedOnAnotherLandsOnTheNearerSide) {
  Film* dragged = Selected(OnLine("dragged", nullptr, NewAudio(), nullptr, 0, 1000, 0, 0));
  OnLine("other", nullptr, NewAudio(), nullptr, 5000, 2000, 0, 0);
  OnLine("beyond", nullptr, NewAudio(), nullptr, 9000, 1000, 0, 0);
  struct Case {
    int32_t asked, granted;
  } cases[] = {
      {5200, 4000},  // its middle at 5700, before the other's middle: just before it
      {5499, 4000},  // its middle at 6000 exactly: still before
      {5600, 7000},  // just after it
      {7500, 7500},  // free
      {8500, 8000},  // up to the clip beyond
      {-500, 0},     // not before the start of the time-line: no move
  };
  for (const Case& c : cases) {
    ClipMove move{c.asked, 0};
    EXPECT_EQ(engine.TrackClipDrag(move, kKindAudio), c.granted != 0) << c.asked;
    EXPECT_EQ(move.time, c.granted) << c.asked;
    EXPECT_EQ(move.line, 0);
  }
  EXPECT_EQ(dragged->start, 0);  // checks move nothing
}

TEST_F(ClipDragTest, LinesStayWithinTheirKind) {
  struct Case {
    const char* what;
    bool video, audio, midi;
    int32_t row, line, kinds, asked, granted;
  } cases[] = {
      {"video on row 1 cannot go down", true, false, false, 1, 0, kKindVideo, 1, 0},
      {"video on row 1 can go up", true, false, false, 1, 0, kKindVideo, -1, -1},
      {"video on row 0 cannot go up", true, false, false, 0, 0, kKindVideo, -3, 0},
      {"audio below the last line", false, true, false, 0, 2, kKindAudio, 5, 1},
      {"audio above the first line", false, true, false, 0, 2, kKindAudio, -5, -2},
      {"a MIDI clip stays on its line", false, false, true, 0, 0, kKindMidi, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    Selected(OnLine("clip", c.video ? NewVideo() : nullptr, c.audio ? NewAudio() : nullptr,
                    c.midi ? NewMidi() : nullptr, 4000, 1000, c.row, c.line));
    ClipMove move{0, c.asked};
    EXPECT_EQ(engine.TrackClipDrag(move, c.kinds), c.granted != 0);
    EXPECT_EQ(move.line, c.granted);
  }
}

TEST_F(ClipDragTest, ASelectionWithAMidiClipCannotChangeLine) {
  Selected(OnLine("song", nullptr, nullptr, NewMidi(), 0, 1000));
  Selected(OnLine("sound", nullptr, NewAudio(), nullptr, 2000, 1000, 0, 1));
  ClipMove move{0, 1};
  EXPECT_FALSE(engine.TrackClipDrag(move, kKindMidi));
  EXPECT_EQ(move.line, 0);
  // From the audio lines the MIDI clip does not hold the sound back.
  move = {0, 1};
  EXPECT_TRUE(engine.TrackClipDrag(move, kKindAudio));
  EXPECT_EQ(move.line, 1);
}

TEST_F(ClipDragTest, AFoldedTargetLineRefusesTheStep) {
  Selected(OnLine("sound", nullptr, NewAudio(), nullptr, 0, 1000, 0, 0));
  engine.audioPanel[1].SetZoom(3);
  ClipMove move{0, 1};
  EXPECT_FALSE(engine.TrackClipDrag(move, kKindAudio));
  move = {0, 2};
  EXPECT_TRUE(engine.TrackClipDrag(move, kKindAudio));
}

TEST_F(ClipDragTest, VideoMovesInWholeFramesAndSoundToTheMillisecond) {
  struct Case {
    const char* what;
    bool video;
    int32_t gravity;
    bool alignToFrame;
    int32_t granted;
  } cases[] = {
      {"video", true, 0, false, 40},
      {"video with gravity by the mouse", true, 6, false, 40},
      {"sound, gravity off", false, 0, false, 30},
      {"sound, gravity by the mouse", false, 6, false, 30},
      {"sound aligned to frames", false, 0, true, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    engine.gravityAlign = c.gravity;
    engine.alignToFrame = c.alignToFrame;
    Film* f = Selected(
        OnLine("clip", c.video ? NewVideo() : nullptr, c.video ? nullptr : NewAudio(), nullptr, 1000, 2000));
    ClipMove move{30, 0};
    ASSERT_TRUE(engine.TrackClipDrag(move, c.video ? kKindVideo : kKindAudio));
    EXPECT_EQ(move.time, c.granted);
    engine.MoveSelectedClips(move.time, move.line, c.video ? kKindVideo : kKindAudio);
    EXPECT_EQ(f->start, 1000 + c.granted);
    EXPECT_EQ(f->end, 3000 + c.granted);
  }
}

TEST_F(ClipDragTest, ADragWithNoLegalMoveReturnsFalseAndTakesNoUndoStep) {
  OnLine("left", nullptr, NewAudio(), nullptr, 0, 1000, 0, 0);
  Film* middle = Selected(OnLine("middle", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0));
  OnLine("right", nullptr, NewAudio(), nullptr, 2000, 1000, 0, 0);
  const auto before = Records(FilmList);
  UndoScript::SetPending(kUndoClipGesture);
  // Held between its neighbours, or put back beside one of them.
  for (int32_t asked : {100, -100, 15, 600, 1000}) EXPECT_FALSE(Step(asked, 0, kKindAudio)) << asked;
  // A video row with a neighbour on each side, a frame apart.
  Film* picture = Selected(OnLine("picture", NewVideo(), nullptr, nullptr, 10000, 1000, 0));
  OnLine("before", NewVideo(), nullptr, nullptr, 9000, 1000, 0);
  OnLine("after", NewVideo(), nullptr, nullptr, 11000, 1000, 0);
  middle->group = 0;
  EXPECT_FALSE(Step(30, 0, kKindVideo));
  EXPECT_EQ(picture->start, 10000);
  picture->group = 0;
  middle->group = SelectionGroup;
  EXPECT_EQ(Records(FilmList).size(), before.size() + 3);
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_EQ(UndoScript::Pending(), kUndoClipGesture);
  EXPECT_FALSE(engine.IsModified());
}

TEST_F(ClipDragTest, GravitySnapsTheNearestEdgeOrMark) {
  editView.snapTargets = {5000, 7980};
  editView.snapDistance = 50;
  engine.gravityDistanceMs = 50;
  struct Case {
    const char* what;
    int32_t gravity, asked, granted;
  } cases[] = {
      // a at [1000, 2000), b at [4000, 6000), both dragged by 3960.
      {"left edges: b's start at 7960 is nearer 7980 than a's 4960 is to 5000", 3, 3960, 3980},
      {"the leftmost start", 2, 3960, 4000},
      {"right edges: a's end at 5960 and b's at 9960 are out of reach", 5, 3960, 3960},
      {"the rightmost end, 50 ms from 7980", 4, 2030, 1980},
      {"a mark of a, at 1500 in time-line time", 1, 3490, 3500},
      {"off", 0, 3960, 3960},
  };
  Film* a = Selected(OnLine("a", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0));
  Film* b = Selected(OnLine("b", nullptr, NewAudio(), nullptr, 4000, 2000, 0, 1));
  a->marks.AddMark(500);
  b->marks.AddMark(5000);  // beyond its out point: never a target
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine.gravityAlign = c.gravity;
    editView.snapFilters.clear();
    ClipMove move{c.asked, 0};
    ASSERT_TRUE(engine.TrackClipDrag(move, kKindAudio));
    EXPECT_EQ(move.time, c.granted);
    for (int32_t filter : editView.snapFilters) EXPECT_EQ(filter, 1);
  }
}

TEST_F(ClipDragTest, MarksOfOtherGravityGroupsAreNoTargets) {
  editView.snapTargets = {2000};
  editView.snapDistance = 50;
  engine.gravityDistanceMs = 50;
  engine.gravityAlign = 1;
  engine.gravityGroup = 2;
  Film* a = Selected(OnLine("a", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0));
  a->marks.AddMark(500);
  a->marks.SetGroup(0, 3);
  ClipMove move{480, 0};
  ASSERT_TRUE(engine.TrackClipDrag(move, kKindAudio));
  EXPECT_EQ(move.time, 480);
  a->marks.SetGroup(0, 2);
  move = {480, 0};
  ASSERT_TRUE(engine.TrackClipDrag(move, kKindAudio));
  EXPECT_EQ(move.time, 500);
}

TEST_F(ClipDragTest, MovingChangesLinesRedrawsAndKeepsTheListSorted) {
  Film* a = Selected(OnLine("a", NewVideo(), NewAudio(), nullptr, 1000, 1000, 0, 0));
  Film* b = Selected(OnLine("b", nullptr, NewAudio(), nullptr, 1500, 1000, 0, 1));
  OnLine("c", nullptr, NewAudio(), nullptr, 3000, 1000, 0, 3);
  editView.ClearRequests();
  engine.MoveSelectedClips(2030, 1, kKindAudio);
  EXPECT_EQ(a->start, 3040);  // whole frames
  EXPECT_EQ(b->start, 3530);
  EXPECT_EQ(a->audioLine, 1);
  EXPECT_EQ(b->audioLine, 2);
  EXPECT_EQ(a->videoRow, 0);  // the audio lines drag: rows stay
  EXPECT_EQ(FilmList.First()->name, std::string("c"));
  ExpectNoOverlapAndSorted(FilmList);
  // Old and new places redrawn and marked changed.
  EXPECT_EQ(LineChangedRange[0].start, 1000);
  EXPECT_EQ(LineChangedRange[0].end, 2000);
  EXPECT_EQ(LineChangedRange[1].start, 1500);
  EXPECT_EQ(LineChangedRange[1].end, 4040);
  EXPECT_EQ(LineChangedRange[2].start, 3530);
  EXPECT_EQ(a->origin, engine.PixelsToTime(engine.TimeToPixels(3040)));
  EXPECT_GE(editView.strips.size(), 8u);
}

TEST_F(ClipDragTest, AWholeDragIsOneUndoStepThatRestoresTheListExactly) {
  Film* a = Selected(OnLine("a", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0));
  OnLine("b", nullptr, NewAudio(), nullptr, 20000, 1000, 0, 0);
  const auto before = Records(FilmList);
  UndoScript::SetPending(kUndoClipGesture);
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(Step(100, i % 2 ? -1 : 1, kKindAudio));
  UndoScript::SetPending(0);
  EXPECT_EQ(a->start, 6000);
  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList), before);
}

}  // namespace
}  // namespace edittest
