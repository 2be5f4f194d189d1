#include <gtest/gtest.h>

#include "edit_fakes.h"
#include "model/changed_ranges.h"
#include "platform/gui/user.h"

namespace edittest {
namespace {

class PastePrepareTest : public EditTest {};

// ---- PreparePaste.

TEST_F(PastePrepareTest, NothingToPasteOrPlayingIsRefused) {
  int32_t time = 1000, start = -1, end = -1, kinds = kKindVideo;
  EXPECT_FALSE(engine.PreparePaste(time, start, end, kinds));
  EXPECT_EQ(kinds, 0);
  EXPECT_TRUE(boxes.boxes.empty());

  OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 1000));
  engine.playing = true;
  kinds = kKindVideo;
  EXPECT_FALSE(engine.PreparePaste(time, start, end, kinds));
  EXPECT_EQ(kinds, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Paste clips");
  EXPECT_EQ(boxes.boxes[0].text, "The project is currently playing");
}

TEST_F(PastePrepareTest, AVideoPasteAt1010LandsAt1000) {
  OnClipboard(Make("clip", NewVideo(), nullptr, nullptr, 2000, 1000, 0));
  int32_t time = 1010, start = 0, end = 0, kinds = 0;
  ASSERT_TRUE(engine.PreparePaste(time, start, end, kinds));
  EXPECT_EQ(time, 1000);
  EXPECT_EQ(kinds, kKindVideo);
  EXPECT_EQ(start, 2000);
  EXPECT_EQ(end, 3000);

  ASSERT_TRUE(engine.PasteClips(nullptr, 1010, -1, -1));
  ASSERT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(FilmList.First()->start, 1000);
  EXPECT_EQ(FilmList.First()->end, 2000);
}

TEST_F(PastePrepareTest, TheSpanTakesOnlyUsablePartsAndRoundsOutwardWithVideo) {
  struct Case {
    const char* what;
    bool withVideo;
    int32_t time, length;
    int32_t outTime, start, end, kinds, newLength;
  } cases[] = {
      // Sound at 1010..3030 and video at 1040..2040: 1000..3040 in frames.
      {"video rounds outward", true, 4010, 5000, 4000, 1000, 3040, kKindVideo | kKindAudio, 7040},
      {"sound alone keeps its milliseconds", false, 4010, 5000, 4010, 1010, 3030, kKindAudio, 7030},
      {"a block inside the project keeps its length", false, 1000, 60000, 1000, 1010, 3030, kKindAudio,
       60000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClipClipboard.Clear();
    // A clip of another rate and a MIDI clip of another file count for nothing.
    FakeVideo* otherRate = NewVideo();
    otherRate->directPlayable = false;
    OnClipboard(Make("other rate", otherRate, nullptr, nullptr, 0, 400));
    OnClipboard(Make("sound", nullptr, NewAudio(), nullptr, 1010, 2020));
    if (c.withVideo) OnClipboard(Make("picture", NewVideo(), nullptr, nullptr, 1040, 1000));
    engine.length = c.length;
    int32_t time = c.time, start = 0, end = 0, kinds = 0;
    ASSERT_TRUE(engine.PreparePaste(time, start, end, kinds));
    EXPECT_EQ(time, c.outTime);
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(end, c.end);
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(engine.length, c.newLength);
  }
}

TEST_F(PastePrepareTest, InsertAsksForVideoSoTheTimeSnapsWhenVideoLiesBeyondIt) {
  OnClipboard(Make("sound", nullptr, NewAudio(), nullptr, 0, 500));
  int32_t time = 1010, start = 0, end = 0, kinds = kKindVideo;
  ASSERT_TRUE(engine.PreparePaste(time, start, end, kinds));
  EXPECT_EQ(time, 1010);  // no video in the project

  OnLine("picture", NewVideo(), nullptr, nullptr, 0, 2000);
  time = 1010;
  kinds = kKindVideo;
  ASSERT_TRUE(engine.PreparePaste(time, start, end, kinds));
  EXPECT_EQ(time, 1000);
  EXPECT_EQ(kinds, kKindAudio);
}

TEST_F(PastePrepareTest, AMidiClipOfAnotherFileIsNotPasted) {
  OnLine("song", nullptr, nullptr, NewMidi(), 0, 5000);
  OnClipboard(Make("other song", nullptr, nullptr, NewMidi(), 0, 1000));
  const auto before = Records(FilmList);
  EXPECT_FALSE(engine.PasteClips(nullptr, 10000, -1, -1));
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(UndoSteps(), 0);
}

TEST_F(PastePrepareTest, AClipOfAnotherFrameRateShowsNothingAndPastesNothing) {
  FakeVideo* video = NewVideo();
  video->directPlayable = false;
  OnClipboard(Make("clip", video, nullptr, nullptr, 0, 1000));
  EXPECT_FALSE(engine.PasteClips(nullptr, 1000, -1, -1));
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(UndoSteps(), 0);
}

TEST_F(PastePrepareTest, ThePastedClipsBecomeTheSelectionInOneUndoStep) {
  Film* selected = OnLine("selected", nullptr, NewAudio(), nullptr, 0, 1000, 0, 0);
  selected->group = SelectionGroup;
  OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 1000, 0, 1));
  const auto before = Records(FilmList);

  ASSERT_TRUE(engine.PasteClips(nullptr, 5000, -1, 1));
  EXPECT_EQ(selected->group, 0);
  EXPECT_EQ(Named("clip")->group, SelectionGroup);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_EQ(UndoScript::Pending(), 0u);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList), before);
}

// ---- Clip properties.

TEST_F(PastePrepareTest, ClipPropertiesOkRelinksTheCopyAndExtendsTheLength) {
  engine.length = 12000;
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  OnLine("before on the line", nullptr, NewAudio(), nullptr, 1000, 2000, 0, 1);
  OnLine("before elsewhere", nullptr, NewAudio(), nullptr, 2000, 5000, 0, 2);
  Film* film = OnLine("clip", nullptr, audio, nullptr, 8000, 2000, 0, 1);
  film->effects = fx;
  fx->openCount = 1;
  OnLine("after elsewhere", nullptr, NewAudio(), nullptr, 10500, 500, 0, 3);
  const auto before = Records(FilmList);
  const int refs = audio->refs;
  editView.filmEdit = [](Film& copy, bool& showFrame) {
    std::snprintf(copy.name, sizeof copy.name, "%s", "renamed");
    copy.out += 3000;
    copy.end += 3000;
    return true;
  };

  engine.EditClipProperties(film);

  EXPECT_EQ(editView.editLo, 3000);
  EXPECT_EQ(editView.editHi, kDayMs);
  Film* edited = Named("renamed");
  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(Named("clip"), nullptr);
  EXPECT_EQ(FilmList.Count(), 4);
  EXPECT_EQ(edited->end, 13000);
  EXPECT_EQ(engine.length, 14000);
  // The copy took the film's place: the same references and uses.
  EXPECT_EQ(edited->audio, audio);
  EXPECT_EQ(edited->effects, fx);
  EXPECT_EQ(audio->refs, refs + 1);  // and one in the undo snapshot
  EXPECT_EQ(audio->openCount, 1);
  EXPECT_EQ(fx->openCount, 1);
  EXPECT_TRUE(engine.IsModified());
  EXPECT_EQ(editView.allLines, 1);

  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList), before);
}

TEST_F(PastePrepareTest, ClipPropertiesCancelLeavesEveryCountUnchanged) {
  FakeVideo* video = NewVideo();
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  Film* film = OnLine("clip", video, audio, nullptr, 2000, 2000, 1, 0);
  film->effects = fx;
  film->UpdateInFrame(nullptr, 1);
  auto* picture = static_cast<FakeThumbnail*>(film->inPicture);
  const auto before = Records(FilmList);
  const int videoRefs = video->refs, audioRefs = audio->refs, fxRefs = fx->refs, pictureRefs = picture->refs;
  editView.filmEdit = [](Film& copy, bool&) {
    copy.start += 1000;
    return false;
  };

  engine.EditClipProperties(film);

  EXPECT_EQ(editView.filmEdits, 1);
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_EQ(video->refs, videoRefs);
  EXPECT_EQ(audio->refs, audioRefs);
  EXPECT_EQ(fx->refs, fxRefs);
  EXPECT_EQ(picture->refs, pictureRefs);
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_FALSE(engine.IsModified());
}

TEST_F(PastePrepareTest, ClipPropertiesGiveAVideoCopyThePlayersStillAndKeepThePreviewSetting) {
  FakeVideo* video = NewVideo();
  video->keyFrames = {0, 50};
  Film* film = OnLine("clip", video, nullptr, nullptr, 4000, 2000, 0, 0, 400);  // frame 10
  ASSERT_NE(film->inKeyFrame, nullptr);
  film->UpdateInFrame(nullptr, 1);
  film->UpdateOutFrame(nullptr, 1);
  OnLine("next on the row", NewVideo(), nullptr, nullptr, 9000, 1000, 0);
  engine.previewVideo = false;
  editView.filmEdit = [](Film& copy, bool& showFrame) {
    copy.in += 200;
    copy.start += 200;
    showFrame = true;
    return true;
  };

  engine.EditClipProperties(film);

  EXPECT_EQ(editView.editLo, 0);
  EXPECT_EQ(editView.editHi, 9000);
  EXPECT_FALSE(editView.editShowFrame);
  EXPECT_TRUE(engine.previewVideo);
  Film* edited = FilmList.First();
  EXPECT_EQ(edited->start, 4200);
  ASSERT_EQ(editPlayers.stills.size(), 1u);
  EXPECT_EQ(edited->inKeyFrame, editPlayers.stills[0].get());
  EXPECT_EQ(editPlayers.stills[0]->frame, 15);
  EXPECT_EQ(edited->inPicture, nullptr);
  EXPECT_EQ(edited->outPicture, nullptr);
  EXPECT_EQ(edited->origin, engine.PixelsToTime(engine.TimeToPixels(3600)));
}

// ---- Dropping clips on the collection.

LRESULT PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProc(h, m, w, l);
}

class DropTest : public PastePrepareTest {
 protected:
  void SetUp() override {
    PastePrepareTest::SetUp();
    static const bool registered = [] {
      WNDCLASS wc;
      wc.lpfnWndProc = PlainProc;
      wc.lpszClassName = "EditDropTestWindow";
      RegisterClass(&wc);
      return true;
    }();
    (void)registered;
    project_ = CreateWindowEx(0, "EditDropTestWindow", "project", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
    clips_ = CreateWindowEx(0, "EditDropTestWindow", "clips", WS_POPUP, 500, 0, 300, 300, nullptr, nullptr,
                            nullptr, nullptr);
    editView.window = project_;
    collection.window = clips_;
  }
  void TearDown() override {
    DestroyWindow(clips_);
    DestroyWindow(project_);
    PastePrepareTest::TearDown();
  }
  // One mouse step of a clip drag, as the line windows make it.
  bool DragStep(int32_t time, int32_t line, int32_t kinds) {
    ClipMove move{time, line};
    if (!engine.TrackClipDrag(move, kinds)) return false;
    engine.MarkUndo(kUndoClipStep);
    engine.SetModified(true);
    engine.MoveSelectedClips(move.time, move.line, kinds);
    return true;
  }

  HWND project_ = nullptr;
  HWND clips_ = nullptr;
};

TEST_F(DropTest, OnlyThePointsInTheCollectionWindowCount) {
  struct Case {
    LONG x, y;
    bool over;
  } cases[] = {{100, 100, false}, {600, 100, true}, {450, 100, false}, {600, 400, false}};
  for (const Case& c : cases) EXPECT_EQ(engine.IsOverClipCollection(POINT{c.x, c.y}), c.over) << c.x;
  // A point in both: the project window wins.
  collection.window = project_;
  EXPECT_FALSE(engine.IsOverClipCollection(POINT{100, 100}));
  collection.window = nullptr;
  EXPECT_FALSE(engine.IsOverClipCollection(POINT{600, 100}));
}

TEST_F(DropTest, DroppedClipsBecomeTilesAndTheTimeLineIsAsBeforeTheDrag) {
  Film* a = OnLine("a", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0);
  OnLine("b", nullptr, NewAudio(), nullptr, 5000, 1000, 0, 1);
  a->group = SelectionGroup;
  const auto before = Records(FilmList);
  UndoScript::SetPending(kUndoClipGesture);
  ASSERT_TRUE(DragStep(300, 0, kKindAudio));
  ASSERT_TRUE(DragStep(300, 0, kKindAudio));
  EXPECT_EQ(a->start, 1600);

  EXPECT_FALSE(engine.DropClipsOnCollection(POINT{100, 100}));  // over the project: nothing
  EXPECT_EQ(a->start, 1600);
  UndoScript::SetPending(kUndoClipGesture);
  ASSERT_TRUE(DragStep(100, 0, kKindAudio));
  ASSERT_TRUE(engine.DropClipsOnCollection(POINT{600, 100}));
  EXPECT_EQ(collection.pasted, std::vector<std::string>{"a"});
  EXPECT_EQ(Records(FilmList)[0].start, 1600);  // back to before this drag only
}

TEST_F(DropTest, TheClipsOfOneDropShareOneAnswerToTheDuplicateQuestion) {
  Film* a = OnLine("a", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0);
  Film* b = OnLine("b", nullptr, NewAudio(), nullptr, 5000, 1000, 0, 1);
  a->group = b->group = SelectionGroup;
  collection.answerGiven = -1;  // "Skip all" at the first clip
  engine.DropClipsOnCollection(POINT{600, 100});
  EXPECT_EQ(collection.answersSeen, (std::vector<int>{0, -1}));
  // The next drop asks again.
  engine.DropClipsOnCollection(POINT{600, 100});
  EXPECT_EQ(collection.answersSeen, (std::vector<int>{0, -1, 0, -1}));
}

TEST_F(DropTest, ADropUndoesTheDragsOwnStepAndNoOther) {
  Film* a = OnLine("a", nullptr, NewAudio(), nullptr, 1000, 1000, 0, 0);
  Film* b = OnLine("b", nullptr, NewAudio(), nullptr, 5000, 1000, 0, 1);
  a->group = SelectionGroup;
  engine.DeleteClip(nullptr, b);  // an unrelated edit before the drag
  const auto afterDelete = Records(FilmList);

  // The drag's undo report finds no memory for its snapshot: the drag took
  // no step of its own, so the drop must not undo the delete.
  UndoScript::SetPending(kUndoClipGesture);
  ClipMove move{500, 0};
  ASSERT_TRUE(engine.TrackClipDrag(move, kKindAudio));
  SetUndoAllocator([](std::size_t) -> void* { return nullptr; });
  engine.MarkUndo(kUndoClipStep);
  SetUndoAllocator(nullptr);
  engine.MoveSelectedClips(move.time, move.line, kKindAudio);
  const auto afterDrag = Records(FilmList);
  EXPECT_TRUE(engine.DropClipsOnCollection(POINT{600, 100}));
  EXPECT_EQ(Records(FilmList), afterDrag);
  EXPECT_EQ(UndoSteps(), 1);

  // A click's deselection took the newest step, and the drag none.
  UndoScript::SetPending(kUndoClipGesture | kUndoSelectGesture);
  engine.ClearSelection();
  a->group = SelectionGroup;  // the clicked clip becomes the selection
  EXPECT_EQ(UndoSteps(), 2);
  const auto afterClick = Records(FilmList);
  EXPECT_TRUE(engine.DropClipsOnCollection(POINT{600, 100}));
  EXPECT_EQ(Records(FilmList), afterClick);
  EXPECT_EQ(UndoSteps(), 2);
  EXPECT_EQ(collection.pasted.size(), 2u);

  // Nothing of the drag was taken back; Undo still returns to the delete's state.
  ASSERT_TRUE(engine.CmUndo());
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList).size(), afterDelete.size() + 1);
}

}  // namespace
}  // namespace edittest
