// Split at the cursor and Join of pieces that continue each other.
#include <gtest/gtest.h>

#include "commands_fixture.h"

namespace timelinetest {
namespace {

using SplitJoinTest = CommandsTest;

struct Piece {
  int32_t start, end, in, out, group;
  bool operator==(const Piece& o) const {
    return start == o.start && end == o.end && in == o.in && out == o.out && group == o.group;
  }
};

std::vector<Piece> Pieces() {
  std::vector<Piece> pieces;
  for (Film* f = FilmList.First(); f; f = f->next)
    pieces.push_back({f->start, f->end, f->in, f->out, f->group});
  return pieces;
}

TEST_F(SplitJoinTest, VideoIsCutOnTheNearestFrameAndTheCursorGoesThere) {
  CommandTimeLine& w = OpenCommands();
  Film* f = VideoFilm(Video("v.avi", 200), 0, 0, 1000, 5000);
  f->group = SelectionGroup;
  ASSERT_EQ(f->end, 4000);
  w.Engine().SetPlayCursor(1010, false);
  EXPECT_TRUE(Enabled(kCmSplit));
  Command(kCmSplit);
  EXPECT_EQ(w.Engine().cursor, 1000);
  EXPECT_EQ(Pieces(), (std::vector<Piece>{{0, 1000, 1000, 2000, 0}, {1000, 4000, 2000, 5000, 0}}));
  EXPECT_TRUE(UndoScript::CanUndo());
  EXPECT_TRUE(w.Engine().IsModified());
}

TEST_F(SplitJoinTest, SoundIsCutInExactMillisecondsWithTheDeclickSettingAtTheCut) {
  const struct {
    int command;
    bool autoDeclick;
    int32_t group;
    int tempFileDrops;
  } cases[] = {
      {kCmSplitClip, true, 1, 1},
      {kCmSplit, false, 0, 0},
  };
  for (const auto& c : cases) {
    CommandTimeLine& w = OpenCommands();
    w.Engine().autoSetDeclick = c.autoDeclick;
    filmtest::FakeAudio* a = Sound("a.wav");
    filmtest::FakeEffects* fx = Effects();
    Film* first = SelectedSound(a, 2, 0, 3000);
    first->effects = fx;
    fx->AddRef();
    fx->Open(a);
    first->declickOut = !c.autoDeclick;
    w.Engine().SetPlayCursor(1010, false);
    Command(c.command);
    EXPECT_EQ(w.Engine().cursor, 1010);
    ASSERT_EQ(Pieces(), (std::vector<Piece>{{0, 1010, 0, 1010, c.group}, {1010, 3000, 1010, 3000, c.group}}))
        << c.command;
    Film* second = first->next;
    EXPECT_EQ(second->audioLine, 2);
    EXPECT_EQ(first->declickOut, c.autoDeclick);
    EXPECT_EQ(second->declickIn, c.autoDeclick);
    EXPECT_FALSE(first->declickIn);
    EXPECT_EQ(second->declickOut, !c.autoDeclick);
    // The second part owns a list of its own, opened for its sound.
    EXPECT_EQ(first->effects, fx);
    auto* own = dynamic_cast<filmtest::FakeEffects*>(second->effects);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->clonedFrom, fx);
    EXPECT_EQ(own->openCount, 1);
    EXPECT_EQ(fx->openCount, 1);
    EXPECT_EQ(fx->tempFileDrops, c.tempFileDrops);
    EXPECT_EQ(a->openCount, 2);
    Close();
    UndoScript::ClearAll();
    EXPECT_EQ(fx->refs, 1);
    EXPECT_EQ(a->refs, 1);
  }
}

TEST_F(SplitJoinTest, NothingToCutBeeps) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  SelectedSound(a, 0, 1000, 1000);
  AudioFilm(a, 1, 0, 5000);
  for (int32_t cursor : {1000, 3000}) {
    w.Engine().SetPlayCursor(cursor, false);
    beeping_.beeps.clear();
    Command(kCmSplit);
    EXPECT_EQ(beeping_.beeps, std::vector<UINT>{MB_ICONASTERISK}) << cursor;
    EXPECT_EQ(Count(), 2);
  }
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Enabled(kCmSplit));
  w.Engine().SetPlayCursor(1000, false);
  EXPECT_TRUE(Enabled(kCmSplitClip));

  // A cursor that the frames take to a video clip's end leaves nothing to
  // cut off.
  Film* picture = VideoFilm(Video("v.avi", 200), 0, 0, 0, 4000);
  picture->group = SelectionGroup;
  w.Engine().SetPlayCursor(3990, false);
  beeping_.beeps.clear();
  Command(kCmSplit);
  EXPECT_EQ(beeping_.beeps, std::vector<UINT>{MB_ICONASTERISK});
  EXPECT_EQ(picture->end, 4000);
  EXPECT_EQ(Count(), 3);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(SplitJoinTest, APartWithoutAKeyFrameIsDroppedAndTheFirstStaysCut) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeVideo* v = Video("v.avi", 200);
  v->keyFrames = {0};
  Film* f = VideoFilm(v, 1, 0, 0, 4000);
  f->group = SelectionGroup;
  w.Engine().SetPlayCursor(2000, false);
  Command(kCmSplitClip);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Align start of video clip to next key frame");
  EXPECT_NE(boxes.boxes[0].text.find("Can not find next key frame"), std::string::npos);
  EXPECT_EQ(Pieces(), (std::vector<Piece>{{0, 2000, 0, 2000, 1}}));
  EXPECT_EQ(v->openCount, 1);
  Command(kCmUndo);
  EXPECT_EQ(Pieces(), (std::vector<Piece>{{0, 4000, 0, 4000, 1}}));
}

TEST_F(SplitJoinTest, JoinFoldsARunOfPiecesIntoTheFirst) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  for (int32_t i = 0; i < 3; ++i) {
    Film* f = SelectedSound(a, 1, 1000 * i, 1000);
    f->in = 1000 * i;
    f->out = 1000 * (i + 1);
    f->declickOut = i == 2;
  }
  AudioFilm(a, 0, 1500, 1000);
  EXPECT_TRUE(Enabled(kCmJoin));
  Command(kCmJoin);
  ASSERT_EQ(Count(), 2);
  Film* joined = FilmList.First();
  EXPECT_EQ(joined->audioLine, 1);
  EXPECT_EQ((Piece{joined->start, joined->end, joined->in, joined->out, joined->group}),
            (Piece{0, 3000, 0, 3000, 1}));
  EXPECT_TRUE(joined->declickOut);
  EXPECT_EQ(a->openCount, 2);
  EXPECT_FALSE(Enabled(kCmJoin));
}

TEST_F(SplitJoinTest, JoinNeedsPiecesThatContinueEachOther) {
  // Sound is joined in exact milliseconds, video in frames; a video clip on
  // the other row comes first among the candidates.
  const struct {
    const char* what;
    bool video;
  } cases[] = {{"a 1 ms gap", false}, {"a clip on the other row between", true}};
  for (const auto& c : cases) {
    OpenCommands();
    Film *a, *b;
    if (c.video) {
      filmtest::FakeVideo* v = Video("v.avi", 500);
      a = VideoFilm(v, 0, 0, 0, 2000);
      b = VideoFilm(v, 0, 2000, 2000, 4000);
      VideoFilm(Video("w.avi", 500), 1, 1000, 0, 2000);
    } else {
      filmtest::FakeAudio* s = Sound("a.wav");
      a = AudioFilm(s, 0, 0, 2000);
      b = AudioFilm(s, 0, 2001, 2000);
      b->in = 2000;
      b->out = 4000;
    }
    a->group = b->group = SelectionGroup;
    EXPECT_FALSE(Enabled(kCmJoin)) << c.what;
    beeping_.beeps.clear();
    Command(kCmJoin);
    EXPECT_EQ(beeping_.beeps, std::vector<UINT>{MB_ICONASTERISK}) << c.what;
    EXPECT_EQ(a->end, 2000);
    EXPECT_EQ(Count(), 3 - !c.video);
    EXPECT_FALSE(UndoScript::CanUndo());
    Close();
  }
}

}  // namespace
}  // namespace timelinetest
