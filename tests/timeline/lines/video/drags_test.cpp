// Drags on the video rows: trims of a clip's start (onto key frames) and
// end, marks moved, clips moved in time and between the rows, and what a
// drag leaves for undo.
#include "video_line_fixture.h"

namespace videolinetest {
namespace {

class Drags : public VideoLineTest {
 protected:
  // Press at from, move through the points, release at the last one.
  void Drag(Point from, const std::vector<Point>& path) {
    Press(from.x, from.y);
    for (const Point& p : path) Move(p.x, p.y);
    const Point end = path.empty() ? from : path.back();
    Release(end.x, end.y);
    Later();
  }
  static int32_t Frame(int32_t ms) { return MsToFrames(ms, 25.0f); }
};

TEST_F(Drags, TheStartLandsOnTheKeyFrameNearestThePointer) {
  OpenRows(1, 1);
  VideoData* keyed = KeyedAvi(40, {0, 10, 20});
  VideoData* everyKey = KeyedAvi(40, {});
  const int y = Middle(0);
  // The clip starts at frame 112 showing source frame 12: source frame f is
  // at x 100 + f. Its start edge is taken one pixel inside.
  const struct {
    VideoSource* video;
    int32_t neighbourEnd;  // frame where a clip before it ends, 0 for none
    int to;                // source frame the pointer goes to
    int32_t in;            // the in frame after the drag
  } cases[] = {
      {keyed, 0, 11, 10},    {keyed, 0, 17, 20},      {keyed, 0, 13, 12},    {keyed, 0, -30, 0},
      {keyed, 111, -30, 12}, {everyKey, 106, -30, 6}, {everyKey, 0, 29, 29}, {everyKey, 0, 35, 29},
  };
  for (const auto& c : cases) {
    ClearProject();
    if (c.neighbourEnd > 0) Clip(c.video, 0, c.neighbourEnd - 5, 0, 5, "before");
    Film* f = Clip(c.video, 0, 112, 12, 30, "clip");
    GuiPumpMessages();
    Drag({113, y}, {{c.to + 101, y}});
    EXPECT_EQ(Frame(f->in), c.in) << "to " << c.to << " next to " << c.neighbourEnd;
    EXPECT_EQ(Frame(f->start), 100 + c.in);
    EXPECT_EQ(Frame(f->end), 130);
    // A drag that changed nothing leaves no undo step behind.
    EXPECT_EQ(UndoScript::CanUndo(), c.in != 12);
    EXPECT_EQ(Engine().IsModified(), c.in != 12);
    EXPECT_EQ(UndoScript::Pending(), 0u);
  }
}

TEST_F(Drags, TheEndStopsAtTheSourceTheNextClipAndTheProjectAndKeepsOneFrame) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {0});
  const int y = Middle(0);
  // The clip: frames 112 .. 130, source 12 .. 30 of 40; its end edge one
  // pixel inside.
  const struct {
    int32_t next;      // start of a clip after it on row 0, 0 for none
    int32_t otherRow;  // start of a clip on row 1, 0 for none
    int32_t length;    // project length in frames, 0 for the usual
    int to;
    int32_t end;
  } cases[] = {
      {0, 0, 0, 200, 140},   {135, 0, 0, 200, 135}, {0, 135, 0, 200, 140},
      {0, 0, 137, 200, 137}, {0, 0, 0, 0, 113},     {0, 0, 0, 125, 126},
  };
  for (const auto& c : cases) {
    ClearProject();
    Engine().SetLength(c.length > 0 ? FramesToMs(c.length, 25.0f) : 600000);
    Zoom(40);
    Film* f = Clip(v, 0, 112, 12, 30, "clip");
    if (c.next > 0) Clip(v, 0, c.next, 0, 5, "next");
    if (c.otherRow > 0) Clip(v, 1, c.otherRow, 0, 5, "other");
    GuiPumpMessages();
    Drag({129, y}, {{c.to, y}});
    EXPECT_EQ(Frame(f->end), c.end) << "to " << c.to;
    EXPECT_EQ(Frame(f->out), c.end - 100);
    EXPECT_EQ(Frame(f->start), 112);
  }
}

TEST_F(Drags, AMarkMovesByFramesWithinItsClipButNotOntoAnother) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {0});
  Film* f = Clip(v, 0, 112, 12, 30);
  ASSERT_TRUE(f->marks.AddMark(FramesToMs(15, 25.0f)));  // x 115
  ASSERT_TRUE(f->marks.AddMark(FramesToMs(20, 25.0f)));  // x 120
  GuiPumpMessages();
  const int y = MarkY(0);
  Press(115, y);
  ASSERT_EQ(Line().hitZone, kZoneMark);
  Move(119, y);
  EXPECT_EQ(Frame(f->marks[0].time), 19);
  Move(120, y);  // onto the other mark: refused
  EXPECT_EQ(Frame(f->marks[0].time), 19);
  Move(122, y);
  EXPECT_EQ(Frame(f->marks[1].time), 22);
  EXPECT_EQ(Frame(f->marks[0].time), 20);
  Move(300, y);  // held at the last frame the clip shows
  Release(300, y);
  EXPECT_EQ(Frame(f->marks[1].time), 29);
  EXPECT_EQ(Frame(f->marks[0].time), 20);
  // One undo step for the whole drag.
  EXPECT_TRUE(Engine().CmUndo());
  Film* back = FilmList.First();
  ASSERT_EQ(back->marks.Count(), 2);
  EXPECT_EQ(Frame(back->marks[0].time), 15);
  EXPECT_EQ(Frame(back->marks[1].time), 20);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Drags, StillsShowTheMarkTheInAndTheOutFrame) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 112, 12, 30);
  ASSERT_TRUE(f->marks.AddMark(FramesToMs(15, 25.0f)));
  GuiPumpMessages();
  std::vector<Still>& stills = players.video.stills;
  Drag({115, MarkY(0)}, {{117, MarkY(0)}});
  Drag({113, Middle(0)}, {{115, Middle(0)}});
  Drag({129, Middle(0)}, {{127, Middle(0)}});
  // Presses show with an owner for the codec's complaint; drag steps quietly.
  const std::vector<Still> expected = {
      {v, FramesToMs(15, 25.0f), true},  {v, FramesToMs(17, 25.0f), false}, {v, FramesToMs(12, 25.0f), true},
      {v, FramesToMs(14, 25.0f), false}, {v, FramesToMs(29, 25.0f), true},  {v, FramesToMs(27, 25.0f), false},
  };
  EXPECT_EQ(stills, expected);
}

TEST_F(Drags, MovedClipsTakeOneUndoStepAndChangeRows) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {0});
  Film* a = Clip(v, 0, 100, 0, 30, "a");
  Clip(v, 1, 200, 0, 30, "b");
  GuiPumpMessages();
  Press(115, Middle(0));
  EXPECT_EQ(Line().hitZone, kZoneMoveClips);
  EXPECT_EQ(GetCursor(), ZoneCursor(kZoneMoveClips));
  EXPECT_TRUE(a->IsSelected());
  for (int x = 116; x <= 140; x += 4) Move(x, Middle(0));
  Move(140, Middle(1));
  Release(140, Middle(1));
  Later();
  EXPECT_EQ(Frame(a->start), 125);
  EXPECT_EQ(a->videoRow, 1);
  EXPECT_EQ(Line().hitZone, kZoneClip);
  EXPECT_TRUE(Engine().CmUndo());
  Film* back = FilmList.First();
  EXPECT_EQ(Frame(back->start), 100);
  EXPECT_EQ(back->videoRow, 0);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Drags, AReleaseOverTheCollectionAddsTilesAndUndoesThatDragOnly) {
  OpenRows(1, 1);
  FakeCollection collection;
  Engine().SetClipCollection(&collection);
  VideoData* v = KeyedAvi(40, {0});
  Clip(v, 0, 100, 0, 30, "a");
  GuiPumpMessages();
  Drag({115, Middle(0)}, {{125, Middle(0)}});  // an undo step of its own
  Press(125, Middle(0));
  RECT over;
  GetWindowRect(collection.window, &over);
  POINT at{(over.left + over.right) / 2, (over.top + over.bottom) / 2};
  ScreenToClient(Line().GetHandle(), &at);
  Move(at.x, at.y);
  EXPECT_EQ(Line().hitZone, kZoneMoveToCollection);
  EXPECT_EQ(GetCursor(), ZoneCursor(kZoneMoveToCollection));
  Release(at.x, at.y);
  Engine().SetClipCollection(nullptr);
  EXPECT_EQ(collection.pasted, std::vector<std::string>{"a"});
  ASSERT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(Frame(FilmList.First()->start), 110);
  // The first drag is still there to undo.
  EXPECT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Frame(FilmList.First()->start), 100);
}

TEST_F(Drags, APressStartsTheRubberBandOrTheRangeOrStopsPlaying) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {0});
  Film* a = Clip(v, 0, 100, 0, 30, "a");
  a->group = SelectionGroup;
  Engine().SetPlayCursor(FramesToMs(400, 25.0f), false);
  GuiPumpMessages();
  // Empty space: the selection goes, in one undo step, and the band starts.
  Click(300, Middle(0));
  Later();
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(UndoScript::CanUndo());
  // Shift: the band, keeping the selection.
  a->group = SelectionGroup;
  Key(VK_SHIFT, true);
  Click(110, Middle(0));
  Later();
  Click(402, Middle(0));
  Later();
  Key(VK_SHIFT, false);
  Click(402, Middle(0));
  Later();
  EXPECT_TRUE(a->IsSelected());
  const POINT band = Screen(300, Middle(0)), shifted = Screen(110, Middle(0)), range = Screen(402, Middle(0));
  EXPECT_EQ(tl_->calls,
            (std::vector<std::string>{"rubber band", "rubber band", "range click shift", "range click"}));
  EXPECT_EQ(
      tl_->args,
      (std::vector<Point>{{band.x, band.y}, {shifted.x, shifted.y}, {range.x, range.y}, {range.x, range.y}}));
  // While playing a press only stops.
  Engine().playing = true;
  Click(110, Middle(0));
  Later();
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(tl_->calls.size(), 4u);
}

}  // namespace
}  // namespace videolinetest
