#include <gtest/gtest.h>

#include "edit_fakes.h"
#include "model/changed_ranges.h"

namespace edittest {
namespace {

class SplitRepeatDeleteTest : public EditTest {};

// ---- Split.

TEST_F(SplitRepeatDeleteTest, SplitFollowsItsTable) {
  struct Case {
    const char* what;
    bool video;
    int32_t start, length, in, at;
    int32_t leftEnd, leftOut, rightIn, rightOut;
  } cases[] = {
      {"audio", false, 1000, 4000, 200, 3000, 3000, 2200, 2200, 4200},
      {"audio off a frame", false, 1000, 4000, 200, 3010, 3010, 2210, 2210, 4200},
      {"video snaps to the nearest frame", true, 1000, 4000, 0, 3010, 3000, 2000, 2000, 4000},
      {"video with an in point", true, 1000, 4000, 400, 2990, 3000, 2400, 2400, 4400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    Film* film = OnLine("clip", c.video ? NewVideo() : nullptr, c.video ? nullptr : NewAudio(), nullptr,
                        c.start, c.length, 0, 0, c.in);
    engine.SplitClip(nullptr, film, c.at);
    ASSERT_EQ(FilmList.Count(), 2);
    Film* left = FilmList.First();
    Film* right = left->next;
    EXPECT_EQ(left, film);
    EXPECT_EQ(left->start, c.start);
    EXPECT_EQ(left->end, c.leftEnd);
    EXPECT_EQ(left->out, c.leftOut);
    EXPECT_EQ(right->start, c.leftEnd);
    EXPECT_EQ(right->end, c.start + c.length);
    EXPECT_EQ(right->in, c.rightIn);
    EXPECT_EQ(right->out, c.rightOut);
    EXPECT_EQ(left->out - left->in, left->end - left->start);
    EXPECT_EQ(right->out - right->in, right->end - right->start);
  }
}

TEST_F(SplitRepeatDeleteTest, SplitOutsideTheClipOrOnItsEdgesDoesNothing) {
  Film* film = OnLine("clip", nullptr, NewAudio(), nullptr, 1000, 4000);
  const auto before = Records(FilmList);
  for (int32_t at : {0, 1000, 5000, 7000}) engine.SplitClip(nullptr, film, at);
  // A video clip's time snaps first: 1010 lands on its start.
  Film* video = OnLine("video", NewVideo(), nullptr, nullptr, 8000, 2000, 1);
  engine.SplitClip(nullptr, video, 8010);
  EXPECT_EQ(FilmList.Count(), 2);
  EXPECT_EQ(Records(FilmList)[0], before[0]);
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_FALSE(engine.IsModified());
  EXPECT_EQ(editView.status, "");
}

TEST_F(SplitRepeatDeleteTest, SplitPartsOwnTheirEffectsAndLeaveTheSelection) {
  engine.autoSetDeclick = true;
  FakeAudio* audio = NewAudio();
  FakeVideo* video = NewVideo();
  FakeEffects* fx = Effects();
  Film* film = OnLine("clip", video, audio, nullptr, 1000, 4000, 1, 2);
  film->effects = fx;
  fx->openCount = 1;  // the film's own open
  film->group = SelectionGroup;
  film->UpdateInFrame(nullptr, 1);
  film->UpdateOutFrame(nullptr, 1);
  Thumbnail* inPicture = film->inPicture;
  const int videoRefs = video->refs, audioRefs = audio->refs;

  engine.SplitClip(nullptr, film, 3000);

  Film* right = film->next;
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(film->group, 0);
  EXPECT_EQ(right->group, 0);
  EXPECT_TRUE(film->declickOut);
  EXPECT_FALSE(film->declickIn);
  EXPECT_TRUE(right->declickIn);
  // The left part keeps its list; the right part has a clone of it, opened
  // for its audio.
  EXPECT_EQ(film->effects, fx);
  ASSERT_EQ(fx->clones.size(), 1u);
  EXPECT_EQ(right->effects, fx->clones[0].get());
  EXPECT_EQ(fx->clones[0]->openCount, 1);
  EXPECT_EQ(fx->clones[0]->openedFor, audio);
  EXPECT_EQ(fx->refs, 2);  // the film and the undo snapshot
  EXPECT_EQ(fx->openCount, 1);
  // Each part holds a use of each source.
  EXPECT_EQ(video->openCount, 2);
  EXPECT_EQ(audio->openCount, 2);
  EXPECT_EQ(video->refs, videoRefs + 2);  // the right part and the snapshot's copy
  EXPECT_EQ(audio->refs, audioRefs + 2);
  // The pictures that no longer show the new points are gone.
  EXPECT_EQ(film->inPicture, inPicture);
  EXPECT_EQ(film->outPicture, nullptr);
  EXPECT_EQ(right->inPicture, nullptr);
  EXPECT_EQ(right->inKeyFrame, nullptr);
  EXPECT_EQ(right->origin, engine.PixelsToTime(engine.TimeToPixels(right->start - right->in)));
  EXPECT_EQ(right->stamp, LinkCounter);
  EXPECT_EQ(editView.status, "Split clip at time 3:000ms");
  EXPECT_EQ(editView.focusInvalidations, 1);
  EXPECT_EQ(LineChangedRange[2].start, 1000);
  EXPECT_EQ(LineChangedRange[2].end, 5000);
  EXPECT_TRUE(engine.IsModified());
}

TEST_F(SplitRepeatDeleteTest, SplitOfAVideoClipWithoutALaterKeyFrameDropsTheRightPart) {
  FakeVideo* video = NewVideo();
  video->keyFrames = {0};
  Film* film = OnLine("clip", video, nullptr, nullptr, 0, 4000);
  engine.SplitClip(nullptr, film, 2000);
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(film->end, 2000);
  EXPECT_EQ(video->openCount, 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Align start of video clip to next key frame");
}

// ---- Repeat.

TEST_F(SplitRepeatDeleteTest, RepeatOffersWhatFitsAndPlacesTheCopiesAfterTheGaps) {
  engine.autoSetDeclick = false;
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  Film* film = OnLine("clip", nullptr, audio, nullptr, 8000, 2000, 0, 1, 500);
  film->effects = fx;
  fx->openCount = 1;
  film->group = 3;
  film->declickIn = true;
  film->volumePoints.Insert(700, 300);
  film->marks.AddMark(900);
  OnLine("next", nullptr, NewAudio(), nullptr, 17000, 1000, 0, 1);
  OnLine("other line", nullptr, NewAudio(), nullptr, 11000, 1000, 0, 2);
  editView.answerCount = 2;
  editView.answerPause = 500;

  engine.RepeatClip(nullptr, film);

  EXPECT_EQ(editView.loops, 1);
  EXPECT_EQ(editView.loopCount, 3);
  EXPECT_EQ(editView.loopPause, 0);
  EXPECT_EQ(editView.loopLength, 2000);
  EXPECT_EQ(editView.loopTotal, 7000);
  const auto copies = AllNamed("clip");
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies[1]->start, 10500);
  EXPECT_EQ(copies[1]->end, 12500);
  EXPECT_EQ(copies[2]->start, 13000);
  EXPECT_EQ(copies[2]->end, 15000);
  for (Film* c : {copies[1], copies[2]}) {
    EXPECT_EQ(c->in, 500);
    EXPECT_EQ(c->out, 2500);
    EXPECT_EQ(c->group, 3);
    EXPECT_TRUE(c->declickIn);
    EXPECT_EQ(c->volumePoints.Count(), film->volumePoints.Count());
    EXPECT_EQ(c->marks.Count(), 1);
    EXPECT_EQ(c->audioLine, 1);
  }
  // Each copy is made from the one before, with a list of its own.
  EXPECT_EQ(static_cast<FakeEffects*>(copies[1]->effects)->clonedFrom, fx);
  EXPECT_EQ(static_cast<FakeEffects*>(copies[2]->effects)->clonedFrom, copies[1]->effects);
  EXPECT_EQ(audio->openCount, 3);
  EXPECT_EQ(engine.length, 60000);  // the new end lies inside the project
  EXPECT_EQ(LineChangedRange[1].start, 10000);
  EXPECT_EQ(LineChangedRange[1].end, 15000);
  EXPECT_EQ(editView.focusInvalidations, 1);
  ExpectNoOverlapAndSorted(FilmList);
  EXPECT_EQ(UndoSteps(), 1);
}

TEST_F(SplitRepeatDeleteTest, RepeatWithNothingAfterOffersTenAndLengthensTheProject) {
  engine.length = 20000;
  Film* film = OnLine("clip", nullptr, NewAudio(), nullptr, 8000, 2000);
  editView.answerCount = 10;
  engine.RepeatClip(nullptr, film);
  EXPECT_EQ(editView.loopCount, 10);
  EXPECT_EQ(editView.loopTotal, kDayMs - 10000);
  EXPECT_EQ(AllNamed("clip").size(), 11u);
  EXPECT_EQ(FilmList.Last()->end, 30000);
  EXPECT_EQ(engine.length, 31000);
}

TEST_F(SplitRepeatDeleteTest, RepeatWithNoRoomShowsItsMessageAndChangesNothing) {
  struct Case {
    const char* what;
    bool video;
    int32_t length, nextStart;
  } cases[] = {
      {"no room for one copy", false, 2000, 11000},
      {"the next clip touches it", false, 2000, 10000},
      {"a clip of no length", false, 0, 20000},
      {"a video clip shorter than half a frame", true, 10, 20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    boxes.boxes.clear();
    editView.loops = 0;
    Film* film =
        OnLine("clip", c.video ? NewVideo() : nullptr, NewAudio(), nullptr, 10000 - c.length, c.length);
    film->end = 10000;  // a video clip of 10 ms would be snapped to frames
    film->start = 10000 - c.length;
    film->out = film->in + c.length;
    OnLine("next", nullptr, NewAudio(), nullptr, c.nextStart, 1000);
    const auto before = Records(FilmList);
    engine.RepeatClip(nullptr, film);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Not enough free space in the track to the right from the clip");
    EXPECT_EQ(boxes.boxes[0].caption, "Repeat Clip");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(editView.loops, 0);
    EXPECT_EQ(Records(FilmList), before);
    EXPECT_EQ(UndoSteps(), 0);
  }
}

TEST_F(SplitRepeatDeleteTest, CancelledRepeatTakesNoUndoStep) {
  Film* film = OnLine("clip", nullptr, NewAudio(), nullptr, 0, 2000);
  editView.loopOk = false;
  engine.RepeatClip(nullptr, film);
  EXPECT_EQ(editView.loops, 1);
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_FALSE(engine.IsModified());
}

TEST_F(SplitRepeatDeleteTest, VideoRepeatWithAPauseOffFramesNeverOverlapsTheNextClip) {
  // A clip with video and sound; the next clip on its sound line starts
  // off a frame. The dialog's 2 x (2000 + 30) fits the 4060 ms of room in
  // milliseconds; a whole frame of pause each would not.
  Film* film = OnLine("clip", NewVideo(), NewAudio(), nullptr, 8000, 2000, 0, 0);
  OnLine("next", nullptr, NewAudio(), nullptr, 14060, 1000, 0, 0);
  editView.answerCount = 2;
  editView.answerPause = 30;
  engine.RepeatClip(nullptr, film);
  EXPECT_EQ(editView.loopCount, 2);
  const auto copies = AllNamed("clip");
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_LE(copies[2]->end, 14060);
  EXPECT_EQ(copies[1]->start % 40, 0);
  EXPECT_EQ(copies[2]->end % 40, 0);
  ExpectNoOverlapAndSorted(FilmList);
}

TEST_F(SplitRepeatDeleteTest, VideoRepeatMovesInWholeFrames) {
  Film* film = OnLine("clip", NewVideo(), nullptr, nullptr, 8000, 2000, 1);
  editView.answerCount = 2;
  editView.answerPause = 70;  // 1.75 frames: two frames
  engine.RepeatClip(nullptr, film);
  const auto copies = AllNamed("clip");
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies[1]->start, 10080);
  EXPECT_EQ(copies[1]->end, 12080);
  EXPECT_EQ(copies[2]->start, 12160);
  EXPECT_EQ(copies[2]->end, 14160);
}

TEST_F(SplitRepeatDeleteTest, ARefusedRepeatCopyGivesBackWhatItTook) {
  FakeVideo* video = NewVideo();
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  Film* film = OnLine("clip", video, audio, nullptr, 0, 1000);
  film->effects = fx;
  fx->openCount = 1;
  // No frame of the clip is a key frame: the copy cannot be linked.
  video->keyFrames = {99999};
  const int videoRefs = video->refs, audioRefs = audio->refs;
  editView.answerCount = 3;
  engine.RepeatClip(nullptr, film);

  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(video->openCount, 1);
  EXPECT_EQ(audio->openCount, 1);
  EXPECT_EQ(video->refs, videoRefs + 1);  // the undo snapshot's copy only
  EXPECT_EQ(audio->refs, audioRefs + 1);
  ASSERT_EQ(fx->clones.size(), 1u);  // one copy was tried, not three
  EXPECT_EQ(fx->clones[0]->refs, 0);
  EXPECT_EQ(fx->clones[0]->openCount, 0);
  EXPECT_EQ(fx->openCount, 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONEXCLAMATION));
}

// ---- Delete.

TEST_F(SplitRepeatDeleteTest, DeleteGivesBackUseCountsAndWidensTheChangedRange) {
  FakeAudio* audio = NewAudio();
  FakeVideo* video = NewVideo();
  FakeEffects* fx = Effects();
  Film* film = OnLine("only", video, audio, nullptr, 3000, 2000, 1, 2);
  film->effects = fx;
  fx->openCount = 1;
  OnLine("elsewhere", nullptr, NewAudio(), nullptr, 0, 9000, 0, 0);
  const auto before = Records(FilmList);
  const int videoRefs = video->refs, audioRefs = audio->refs;

  engine.DeleteClip(nullptr, film);

  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(video->openCount, 0);
  EXPECT_EQ(audio->openCount, 0);
  EXPECT_EQ(fx->openCount, 0);
  // The film's references are gone; the undo snapshot keeps its own.
  EXPECT_EQ(video->refs, videoRefs);
  EXPECT_EQ(audio->refs, audioRefs);
  EXPECT_EQ(LineChangedRange[2].start, 3000);
  EXPECT_EQ(LineChangedRange[2].end, 5000);
  EXPECT_TRUE(LineChangedRange[0].Empty());
  EXPECT_EQ(view.allLines + editView.allLines, 1);
  EXPECT_TRUE(engine.IsModified());

  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_EQ(video->openCount, 1);
  EXPECT_EQ(audio->openCount, 1);
  EXPECT_EQ(fx->openCount, 1);
  EXPECT_FALSE(engine.IsModified());
}

TEST_F(SplitRepeatDeleteTest, EachEditIsOneUndoStepThatRestoresTheListExactly) {
  FakeEffects* fx = Effects();
  Film* audio = OnLine("audio", nullptr, NewAudio(), nullptr, 1000, 4000, 0, 1, 300);
  audio->effects = fx;
  fx->openCount = 1;
  audio->group = SelectionGroup;
  audio->volumePoints.Insert(1000, 200);
  Film* video = OnLine("video", NewVideo(), NewAudio(), nullptr, 2000, 6000, 1, 0);
  editView.answerCount = 2;
  editView.answerPause = 100;

  struct Step {
    const char* what;
    std::function<void()> run;
  } steps[] = {
      {"split audio", [&] { engine.SplitClip(nullptr, audio, 2500); }},
      {"split video", [&] { engine.SplitClip(nullptr, video, 5010); }},
      {"repeat", [&] { engine.RepeatClip(nullptr, AllNamed("audio").back()); }},
      {"delete", [&] { engine.DeleteClip(nullptr, Named("video")); }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    const auto before = Records(FilmList);
    const int32_t taken = UndoSteps();
    s.run();
    EXPECT_NE(Records(FilmList), before);
    EXPECT_EQ(UndoSteps(), taken + 1);
    ASSERT_TRUE(engine.CmUndo());
    EXPECT_EQ(Records(FilmList), before);
    ASSERT_TRUE(engine.CmRedo());
    // Redo is the edit's state again; keep going from it.
    audio = Named("audio");
    video = Named("video");
  }
}

}  // namespace
}  // namespace edittest
