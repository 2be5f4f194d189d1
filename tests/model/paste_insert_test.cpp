#include <gtest/gtest.h>

#include <set>

#include "edit_fakes.h"
#include "model/changed_ranges.h"

namespace edittest {
namespace {

class PasteInsertTest : public EditTest {
 protected:
  // Four audio lines of 48 pixels with line 1 first in view and line 3 cut
  // off at the panel's bottom: lines 1 and 2 are wholly visible.
  void AudioGeometry(const std::set<int32_t>& folded = {}) {
    for (int32_t i = 0; i < 4; ++i) engine.audioPanel[i].SetZoom(folded.count(i) ? 3 : 1);
    engine.audioPanel.firstShown = 1;
    engine.audioPanel.clientHeight = 120;
    engine.audioPanel.Layout(engine.rowGap);
  }
  // Refused pastes show one box and leave the project as it was.
  void ExpectRefused(const char* text, const std::vector<FilmRecord>& before, int32_t length) {
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, text);
    EXPECT_EQ(boxes.boxes[0].caption, "Can not paste the clipboard contents");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(Records(FilmList), before);
    EXPECT_EQ(engine.length, length);
    EXPECT_EQ(UndoSteps(), 0);
    EXPECT_FALSE(engine.IsModified());
  }
};

// ---- Paste.

TEST_F(PasteInsertTest, AudioTakesTheFirstFreeLineOfTheFourRuns) {
  const char* const kTaken = "The target range is (partially) occupied by another audio clip(s)";
  struct Case {
    const char* what;
    int32_t wanted;
    std::set<int32_t> taken, folded;
    int32_t line;  // -1: refused
  } cases[] = {
      {"the wanted line", 2, {}, {}, 2},
      {"run 1 goes down the view", 1, {1}, {}, 2},
      {"run 2 goes up the view", 2, {2}, {}, 1},
      {"run 3 goes below the view", 1, {1, 2}, {}, 3},
      {"run 4 goes above the view", 1, {1, 2, 3}, {}, 0},
      {"no line: the first one shown", -1, {}, {}, 1},
      {"a wanted line above the view", 0, {0}, {}, 1},
      {"a folded line is passed over", 2, {}, {2}, 3},
      {"a folded first line", -1, {}, {1}, 2},
      {"folded or taken everywhere", 1, {0, 2, 3}, {1}, -1},
      {"every line taken", 1, {0, 1, 2, 3}, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    ClipClipboard.Clear();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    boxes.boxes.clear();
    engine.SetModified(false);
    AudioGeometry(c.folded);
    for (int32_t line : c.taken) OnLine("blocker", nullptr, NewAudio(), nullptr, 5500, 1000, 0, line);
    OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 1000, 0, 0));
    const auto before = Records(FilmList);
    const bool pasted = engine.PasteClips(nullptr, 5000, -1, c.wanted);
    if (c.line < 0) {
      EXPECT_FALSE(pasted);
      ExpectRefused(kTaken, before, 60000);
      continue;
    }
    ASSERT_TRUE(pasted);
    Film* clip = Named("clip");
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->audioLine, c.line);
    EXPECT_EQ(clip->start, 5000);
    EXPECT_TRUE(boxes.boxes.empty());
  }
}

TEST_F(PasteInsertTest, VideoTakesTheFirstFreeRowShift) {
  const char* const kTaken = "The target range is (partially) occupied by another video clip(s)";
  struct Case {
    const char* what;
    std::vector<int32_t> rows;  // of the clipboard's clips
    int32_t wanted;
    std::set<int32_t> taken;
    int32_t lowRow;  // where the lowest clipboard row lands; -1: refused
  } cases[] = {
      {"row 1 at row 0 when row 0 is taken", {1}, -1, {0}, 1},
      {"row 1 at row 0", {1}, 0, {}, 0},
      {"row 0 at row 1", {0}, 1, {}, 1},
      {"row 0 at row 1 when row 1 is taken", {0}, 1, {1}, 0},
      {"row 0 at row 0 when row 0 is taken", {0}, 0, {0}, 1},
      {"two rows fit only unshifted", {0, 1}, 1, {}, 0},
      {"two rows with one taken", {0, 1}, 0, {1}, -1},
      {"both rows taken", {0}, 0, {0, 1}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    ClipClipboard.Clear();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    boxes.boxes.clear();
    engine.SetModified(false);
    for (int32_t row : c.taken) OnLine("blocker", NewVideo(), nullptr, nullptr, 2960, 80, row);
    for (int32_t row : c.rows) OnClipboard(Make("clip", NewVideo(), nullptr, nullptr, 1000, 1000, row));
    const auto before = Records(FilmList);
    const bool pasted = engine.PasteClips(nullptr, 2000, c.wanted, -1);
    if (c.lowRow < 0) {
      EXPECT_FALSE(pasted);
      ExpectRefused(kTaken, before, 60000);
      continue;
    }
    ASSERT_TRUE(pasted);
    const auto clips = AllNamed("clip");
    ASSERT_EQ(clips.size(), c.rows.size());
    for (std::size_t i = 0; i < clips.size(); ++i) {
      EXPECT_EQ(clips[i]->videoRow, c.rows[i] - c.rows[0] + c.lowRow);
      EXPECT_EQ(clips[i]->start, 2000);
    }
  }
}

TEST_F(PasteInsertTest, MidiAndTooManyLinesAreRefusedWithTheirMessages) {
  ShowAllLines();
  FakeMidi* song = NewMidi();
  OnLine("song", nullptr, nullptr, song, 5000, 1000);
  OnClipboard(Make("part", nullptr, nullptr, song, 0, 1000));
  auto before = Records(FilmList);
  engine.length = 6000;
  EXPECT_FALSE(engine.PasteClips(nullptr, 5500, -1, -1));
  // The preparation had made room for the block; the refusal gives it back.
  ExpectRefused("The target range is (partially) occupied by another midi clip(s)", before, 6000);

  FilmList.Clear();
  ClipClipboard.Clear();
  boxes.boxes.clear();
  OnClipboard(Make("top", nullptr, NewAudio(), nullptr, 0, 1000, 0, 0));
  OnClipboard(Make("bottom", nullptr, NewAudio(), nullptr, 0, 1000, 0, 3));
  ASSERT_TRUE(engine.SetAudioLineCount(3));
  engine.SetModified(false);
  before = Records(FilmList);
  EXPECT_FALSE(engine.PasteClips(nullptr, 0, -1, 2));
  ExpectRefused(
      "Operation failed - Too many audio tracks in the clipboard data!\nAdd audio tracks to the project and "
      "retry "
      "the operation.",
      before, 6000);

  // With four lines only the unshifted place fits, whatever line is wanted.
  ASSERT_TRUE(engine.SetAudioLineCount(4));
  boxes.boxes.clear();
  ASSERT_TRUE(engine.PasteClips(nullptr, 0, -1, 2));
  EXPECT_EQ(Named("top")->audioLine, 0);
  EXPECT_EQ(Named("bottom")->audioLine, 3);
}

TEST_F(PasteInsertTest, PasteMovesByWholeFramesEitherWay) {
  OnClipboard(Make("picture", NewVideo(), nullptr, nullptr, 4000, 1000, 0));
  OnClipboard(Make("sound", nullptr, NewAudio(), nullptr, 4000, 1000, 0, 1));
  struct Case {
    int32_t at, start;
  } cases[] = {{2010, 2000}, {6010, 6000}, {4000, 4000}};
  for (const Case& c : cases) {
    FilmList.Clear();
    ASSERT_TRUE(engine.PasteClips(nullptr, c.at, 0, 1));
    EXPECT_EQ(Named("picture")->start, c.start) << c.at;
    EXPECT_EQ(Named("sound")->start, c.start) << c.at;
    EXPECT_EQ(Named("picture")->end - Named("picture")->start, 1000);
  }
}

TEST_F(PasteInsertTest, PastedCopiesShareEffectsHoldUsesAndUndoInOneStep) {
  ShowAllLines();
  FakeVideo* video = NewVideo();
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  Film* source = OnClipboard(Make("clip", video, audio, nullptr, 1000, 2000, 1, 0, 400));
  source->effects = fx;
  source->group = 5;
  OnLine("there", nullptr, NewAudio(), nullptr, 0, 9000, 0, 0);
  const auto before = Records(FilmList);
  const auto clipboard = Records(ClipClipboard);
  const int videoRefs = video->refs, audioRefs = audio->refs, fxRefs = fx->refs;

  ASSERT_TRUE(engine.PasteClips(nullptr, 3000, -1, -1));

  Film* copy = Named("clip");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->start, 3000);
  EXPECT_EQ(copy->end, 5000);
  EXPECT_EQ(copy->in, 400);
  EXPECT_EQ(copy->videoRow, 0);   // row 1 was asked for row 0's place
  EXPECT_EQ(copy->audioLine, 1);  // line 0 is taken
  EXPECT_EQ(copy->group, SelectionGroup);
  EXPECT_EQ(copy->effects, fx);
  EXPECT_EQ(fx->refs, fxRefs + 1);
  EXPECT_EQ(fx->openCount, 1);
  EXPECT_EQ(fx->openedFor, audio);
  EXPECT_EQ(video->openCount, 1);
  EXPECT_EQ(audio->openCount, 1);
  EXPECT_EQ(video->refs, videoRefs + 1);
  EXPECT_EQ(audio->refs, audioRefs + 1);
  EXPECT_EQ(copy->stamp, LinkCounter);
  EXPECT_EQ(copy->origin, engine.PixelsToTime(engine.TimeToPixels(2600)));
  EXPECT_EQ(LineChangedRange[1].start, 3000);
  EXPECT_EQ(LineChangedRange[1].end, 5000);
  EXPECT_EQ(editView.allLines, 1);
  EXPECT_TRUE(engine.IsModified());
  EXPECT_EQ(Records(ClipClipboard), clipboard);

  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_EQ(video->openCount, 0);
  EXPECT_EQ(audio->openCount, 0);
  EXPECT_EQ(fx->openCount, 0);
  EXPECT_FALSE(engine.IsModified());
}

// ---- Insert.

TEST_F(PasteInsertTest, InsertCutsTheCrossingClipAndMovesTheLaterOnes) {
  ShowAllLines();
  engine.autoSetDeclick = true;
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  Film* crossing = OnLine("crossing", nullptr, audio, nullptr, 0, 10000, 0, 0);
  crossing->effects = fx;
  fx->openCount = 1;
  crossing->group = 4;
  OnLine("at the time", nullptr, NewAudio(), nullptr, 3000, 1000, 0, 2);
  OnLine("later", nullptr, NewAudio(), nullptr, 6000, 1000, 0, 1);
  OnLine("earlier", nullptr, NewAudio(), nullptr, 500, 1000, 0, 3);
  FakeEffects* clipFx = Effects();
  Film* source = OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 700, 2000, 0, 0));
  source->effects = clipFx;

  engine.InsertClips(nullptr, 3000);

  Film* right = AllNamed("crossing").back();
  ASSERT_EQ(AllNamed("crossing").size(), 2u);
  EXPECT_EQ(crossing->start, 0);
  EXPECT_EQ(crossing->end, 3000);
  EXPECT_EQ(crossing->out, 3000);
  EXPECT_TRUE(crossing->declickOut);
  EXPECT_EQ(crossing->group, 4);
  EXPECT_EQ(right->start, 5000);
  EXPECT_EQ(right->end, 12000);
  EXPECT_EQ(right->in, 3000);
  EXPECT_EQ(right->out, 10000);
  EXPECT_TRUE(right->declickIn);
  EXPECT_EQ(right->group, 0);
  ASSERT_EQ(fx->clones.size(), 1u);
  EXPECT_EQ(right->effects, fx->clones[0].get());
  EXPECT_EQ(crossing->effects, fx);
  EXPECT_EQ(audio->openCount, 2);
  EXPECT_EQ(right->origin, engine.PixelsToTime(engine.TimeToPixels(2000)));

  Film* clip = Named("clip");
  EXPECT_EQ(clip->start, 3000);
  EXPECT_EQ(clip->end, 5000);
  EXPECT_EQ(clip->group, SelectionGroup);
  EXPECT_EQ(clip->effects, clipFx);  // shared with the clipboard
  EXPECT_EQ(clipFx->openCount, 1);

  EXPECT_EQ(Named("at the time")->start, 5000);  // not cut: moved
  EXPECT_EQ(AllNamed("at the time").size(), 1u);
  EXPECT_EQ(Named("later")->start, 8000);
  EXPECT_EQ(Named("earlier")->start, 500);
  EXPECT_EQ(LineChangedRange[1].start, 6000);
  EXPECT_EQ(LineChangedRange[1].end, 9000);
  ExpectNoOverlapAndSorted(FilmList);
  EXPECT_TRUE(engine.IsModified());
}

TEST_F(PasteInsertTest, InsertCutsAClipWithVideoOnceInWholeFrames) {
  ShowAllLines();
  FakeVideo* video = NewVideo();
  Film* film = OnLine("film", video, NewAudio(), nullptr, 1000, 4000, 0, 0, 200);
  film->UpdateInFrame(nullptr, 1);
  film->UpdateOutFrame(nullptr, 1);
  OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 2000, 0, 1));

  engine.InsertClips(nullptr, 3010);  // video lies beyond: the time snaps to 3000

  const auto parts = AllNamed("film");
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(film->end, 3000);
  EXPECT_EQ(film->out, 2200);
  EXPECT_EQ(film->outPicture, nullptr);
  EXPECT_NE(film->inPicture, nullptr);
  Film* right = parts[1];
  EXPECT_EQ(right->in, 2200);
  EXPECT_EQ(right->out, 4200);
  EXPECT_EQ(right->start, 5000);
  EXPECT_EQ(right->end, 7000);
  EXPECT_EQ(right->inPicture, nullptr);
  EXPECT_EQ(right->inKeyFrame, nullptr);
  EXPECT_EQ(Named("clip")->start, 3000);
  EXPECT_EQ(video->openCount, 2);
}

TEST_F(PasteInsertTest, InsertOfSoundOffFramesBesideVideoLeavesNoOverlapAndTheListSorted) {
  ShowAllLines();
  OnLine("picture and sound", NewVideo(), NewAudio(), nullptr, 2000, 2000, 0, 0);
  OnLine("sound after it", nullptr, NewAudio(), nullptr, 4000, 1000, 0, 0);
  OnLine("sound just after its start", nullptr, NewAudio(), nullptr, 2005, 995, 0, 1);
  OnLine("picture", NewVideo(), nullptr, nullptr, 3000, 400, 1);
  OnLine("sound before it", nullptr, NewAudio(), nullptr, 1200, 800, 0, 0);
  OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 1030, 0, 1));  // 25.75 frames

  engine.InsertClips(nullptr, 1000);

  ExpectNoOverlapAndSorted(FilmList);
  EXPECT_EQ(Named("clip")->start, 1000);
  EXPECT_EQ(Named("clip")->end, 2030);
  // Every later clip moves by the same whole frames.
  EXPECT_EQ(Named("picture and sound")->start, 3040);
  EXPECT_EQ(Named("sound after it")->start, 5040);
  EXPECT_EQ(Named("sound just after its start")->start, 3045);
  EXPECT_EQ(Named("picture")->start, 4040);
  EXPECT_EQ(Named("sound before it")->start, 2240);
}

TEST_F(PasteInsertTest, InsertLengthensTheProjectForEveryLineThatMoves) {
  struct Case {
    const char* what;
    bool video;
    int32_t length;
  } cases[] = {{"sound at the end", false, 12500}, {"video at the end", true, 12600}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    ClipClipboard.Clear();
    engine.length = 10000;
    if (c.video) {
      OnLine("last", NewVideo(), nullptr, nullptr, 8000, 1600, 1);
    } else {
      OnLine("last", nullptr, NewAudio(), nullptr, 8000, 1500, 0, 2);
    }
    OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 2000, 0, 0));
    engine.InsertClips(nullptr, 1000);
    EXPECT_EQ(engine.length, c.length);
    EXPECT_EQ(Named("last")->end, c.length - 1000);
  }
}

TEST_F(PasteInsertTest, InsertKeepsAClipboardLineBeyondTheShownOnesAndShowsIt) {
  ASSERT_TRUE(engine.SetAudioLineCount(2));
  OnClipboard(Make("clip", nullptr, NewAudio(), nullptr, 0, 1000, 0, 3));
  engine.InsertClips(nullptr, 2000);
  ASSERT_NE(Named("clip"), nullptr);
  EXPECT_EQ(Named("clip")->audioLine, 3);
  EXPECT_EQ(engine.audioLineCount, 4);
  EXPECT_EQ(engine.audioPanel[3].mute, 0);
  // One step takes it all back, the line count with it.
  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_EQ(engine.audioLineCount, 2);
}

TEST_F(PasteInsertTest, InsertIsOneUndoStepThatRestoresListLengthAndUses) {
  ShowAllLines();
  engine.length = 9000;
  FakeVideo* video = NewVideo();
  FakeAudio* audio = NewAudio();
  FakeEffects* fx = Effects();
  Film* film = OnLine("film", video, audio, nullptr, 1000, 7000, 0, 0);
  film->effects = fx;
  fx->openCount = 1;
  Film* selected = OnLine("selected", nullptr, NewAudio(), nullptr, 500, 5000, 0, 2);
  selected->group = SelectionGroup;
  OnClipboard(Make("clip", NewVideo(), nullptr, nullptr, 0, 2000, 1));
  const auto before = Records(FilmList);
  const int videoRefs = video->refs, audioRefs = audio->refs;

  engine.InsertClips(nullptr, 4000);
  EXPECT_EQ(engine.length, 11000);  // the right part ends at 10000
  EXPECT_EQ(selected->group, 0);
  EXPECT_EQ(video->openCount, 2);
  EXPECT_EQ(UndoSteps(), 1);

  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_EQ(engine.length, 9000);
  EXPECT_EQ(video->openCount, 1);
  EXPECT_EQ(audio->openCount, 1);
  EXPECT_EQ(fx->openCount, 1);
  UndoScript::ClearAll();  // the snapshots' own references
  EXPECT_EQ(video->refs, videoRefs);
  EXPECT_EQ(audio->refs, audioRefs);
}

}  // namespace
}  // namespace edittest
