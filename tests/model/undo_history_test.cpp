#include "model/undo_history.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "engine_fakes.h"
#include "model/ini.h"
#include "support/test_env.h"

namespace enginetest {
namespace {

class UndoTest : public EngineTest {
 protected:
  // One discrete edit: the undo mark, then the change.
  void Edit(Film* f, int32_t start) {
    engine.MarkUndo(kUndoEdit);
    Film::Unlink(f, FilmList);
    f->end += start - f->start;
    f->start = start;
    Film::Link(f, FilmList);
    engine.SetModified(true);
  }
};

TEST_F(UndoTest, DragOfFiftyStepsIsOneUndoStep) {
  Film* f = AudioFilm(0, 1000, 2000);
  UndoScript::SetPending(kUndoClipGesture);  // mouse-down on the clip
  for (int step = 1; step <= 50; ++step) {
    engine.MarkUndo(kUndoClipStep);
    Film::Unlink(f, FilmList);
    f->start += 10;
    f->end += 10;
    Film::Link(f, FilmList);
  }
  UndoScript::SetPending(0);  // mouse-up
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_EQ(AutosaveEditCount, 1);

  ASSERT_TRUE(engine.CmUndo());
  ASSERT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(FilmList.First()->start, 1000);
  EXPECT_FALSE(engine.CeUndo());
  EXPECT_TRUE(engine.CeRedo());
}

TEST_F(UndoTest, UndoKeepsTheOrderOfFilmsThatStartTogether) {
  Film* a = AudioFilm(0, 1000, 2000);
  Film* b = AudioFilm(1, 1000, 2000);
  ASSERT_EQ(FilmList.First(), b);  // an equal start goes first
  ASSERT_EQ(FilmList.Last(), a);
  Edit(AudioFilm(2, 5000, 6000), 7000);
  ASSERT_TRUE(engine.CmUndo());
  ASSERT_EQ(FilmList.Count(), 3);
  EXPECT_EQ(FilmList.First()->audioLine, 1);
  EXPECT_EQ(FilmList.First()->next->audioLine, 0);
}

TEST_F(UndoTest, DeselectingThreeFilmsIsOneStep) {
  for (int32_t line = 0; line < 3; ++line) AudioFilm(line, 0, 1000)->group = SelectionGroup;
  UndoScript::SetPending(kUndoSelectGesture);
  engine.ClearSelection();
  UndoScript::SetPending(0);
  EXPECT_EQ(UndoSteps(), 1);
  for (Film* f = FilmList.First(); f; f = f->next) EXPECT_EQ(f->group, 0);

  // Undo gives the selection back, and the restored selected films report
  // their pending deselection.
  ASSERT_TRUE(engine.CmUndo());
  for (Film* f = FilmList.First(); f; f = f->next) EXPECT_EQ(f->group, SelectionGroup);
  EXPECT_EQ(UndoScript::Pending(), kUndoDeselect);
}

TEST_F(UndoTest, OnlyCompletePairsOrDiscreteEditsTakeSnapshots) {
  struct Case {
    uint32_t before, reported;
    bool snapshot;
  } cases[] = {
      {0, kUndoClipStep, false},
      {0, kUndoDeselect, false},
      {kUndoSelectGesture, kUndoClipStep, false},
      {kUndoClipGesture, kUndoDeselect, false},
      {kUndoClipGesture, kUndoClipStep, true},
      {kUndoSelectGesture, kUndoDeselect, true},
      {0, kUndoEdit, true},
  };
  for (const Case& c : cases) {
    UndoScript::ClearAll();
    UndoScript::SetPending(c.before);
    engine.MarkUndo(c.reported);
    EXPECT_EQ(UndoSteps(), c.snapshot ? 1 : 0) << c.before << "+" << c.reported;
    EXPECT_EQ(UndoScript::Pending(), c.snapshot ? 0u : (c.before | c.reported));
  }
  // After ClearAll any report takes a snapshot.
  UndoScript::ClearAll();
  engine.MarkUndo(kUndoDeselect);
  EXPECT_EQ(UndoSteps(), 1);
}

TEST_F(UndoTest, DepthThreeKeepsTheThreeMostRecentStates) {
  UndoScript::SetDepth(3);
  Film* f = AudioFilm(0, 0, 500);
  for (int32_t edit = 1; edit <= 5; ++edit) Edit(f, edit * 1000);
  int undos = 0;
  while (engine.CmUndo()) ++undos;
  EXPECT_EQ(undos, 3);
  EXPECT_EQ(FilmList.First()->start, 2000);  // the state before the third edit
}

class MaxUndoSetting : public UndoTest {
 protected:
  ScopedSettingsHome home_;
};

TEST_F(MaxUndoSetting, ReadClampedFromTheTimelineSection) {
  ASSERT_TRUE(home_.ok());
  UndoScript::ReadSettings();
  EXPECT_EQ(UndoScript::Depth(), 100);  // no key
  struct Case {
    int stored, depth;
  } cases[] = {{150, 100}, {1, 3}, {3, 3}, {50, 50}, {100, 100}, {-7, 3}};
  for (const Case& c : cases) {
    IniSetSection("TIMELINE");
    ASSERT_TRUE(IniWriteInt("MAX_UNDO", c.stored));
    UndoScript::ReadSettings();
    EXPECT_EQ(UndoScript::Depth(), c.depth) << c.stored;
  }
}

TEST_F(UndoTest, EditAfterTwoUndosDropsRedoAndReleasesItsSources) {
  Film* x = AudioFilm(0, 0, 1000);
  FakeAudio* xs = static_cast<FakeAudio*>(x->audio);
  engine.MarkUndo(kUndoEdit);
  Film* y = AudioFilm(1, 0, 1000);
  FakeAudio* ys = static_cast<FakeAudio*>(y->audio);
  engine.MarkUndo(kUndoEdit);
  Film* z = AudioFilm(2, 0, 1000);
  FakeAudio* zs = static_cast<FakeAudio*>(z->audio);

  ASSERT_TRUE(engine.CmUndo());
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_TRUE(engine.CeRedo());
  // y and z live on in the Redo states only.
  EXPECT_GE(ys->refs, 1);
  EXPECT_GE(zs->refs, 1);
  EXPECT_EQ(ys->openCount, 0);
  EXPECT_EQ(zs->openCount, 0);

  engine.MarkUndo(kUndoEdit);
  EXPECT_FALSE(engine.CeRedo());
  EXPECT_FALSE(engine.CmRedo());
  EXPECT_EQ(ys->refs, 0);
  EXPECT_EQ(zs->refs, 0);
  // x: the project's film and the snapshot just taken.
  EXPECT_EQ(xs->refs, 2);
  EXPECT_EQ(xs->openCount, 1);
}

TEST_F(UndoTest, RedoReturnsToTheUndoneStateWithItsUses) {
  Film* f = AudioFilm(0, 0, 1000);
  FakeAudio* a = static_cast<FakeAudio*>(f->audio);
  FakeEffects* fx = Effects();
  f->effects = fx;
  fx->Open(a);
  Edit(f, 4000);

  ASSERT_TRUE(engine.CmUndo());
  ASSERT_TRUE(engine.CmRedo());
  ASSERT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(FilmList.First()->start, 4000);
  // One film on the time-line, one use of its sources.
  EXPECT_EQ(a->openCount, 1);
  EXPECT_EQ(fx->openCount, 1);
  EXPECT_EQ(fx->openedFor, a);
  EXPECT_FALSE(engine.CeRedo());
  EXPECT_TRUE(engine.CeUndo());
}

TEST_F(UndoTest, SavingMarksEveryOlderStateModified) {
  Film* f = AudioFilm(0, 0, 1000);
  Edit(f, 2000);
  ASSERT_TRUE(engine.IsModified());
  // Saved.
  UndoScript::MarkAllDirty();
  engine.SetModified(false);

  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(FilmList.First()->start, 0);
  EXPECT_TRUE(engine.IsModified());
  // Back to the saved state: unmodified again, as the snapshot of the
  // present was taken after the save.
  ASSERT_TRUE(engine.CmRedo());
  EXPECT_FALSE(engine.IsModified());
}

int allocations = 0;
int failAt = 0;
void* FailingAllocator(std::size_t size) {
  if (++allocations == failAt) return nullptr;
  return ::operator new(size, std::nothrow);
}

TEST_F(UndoTest, AllocationFailureKeepsTheSlotsAndTheEditGoesOn) {
  Film* f = AudioFilm(0, 0, 1000);
  FakeAudio* a = static_cast<FakeAudio*>(f->audio);
  Edit(f, 1000);
  UndoScript* kept = UndoScript::Slot(1);
  ASSERT_NE(kept, nullptr);
  const int refsBefore = a->refs;

  struct Case {
    int failAt;
    std::size_t size;
  } cases[] = {{1, sizeof(UndoScript)}, {2, sizeof(Film)}};
  for (const Case& c : cases) {
    boxes.boxes.clear();
    allocations = 0;
    failAt = c.failAt;
    UndoAllocator before = SetUndoAllocator(FailingAllocator);
    UndoScript::SetPending(kUndoClipGesture);
    Edit(f, 3000);
    SetUndoAllocator(before);

    ASSERT_EQ(boxes.boxes.size(), 1u) << c.failAt;
    EXPECT_EQ(boxes.boxes[0].caption, "Save script for Undo");
    EXPECT_EQ(boxes.boxes[0].text, "Not enough memory (" + std::to_string(c.size) + " bytes)");
    EXPECT_EQ(UndoScript::Slot(1), kept);
    EXPECT_EQ(UndoScript::Slot(2), nullptr);
    EXPECT_EQ(UndoScript::Pending(), 0u);
    EXPECT_EQ(FilmList.First()->start, 3000);  // the edit went on
    EXPECT_EQ(a->refs, refsBefore);
  }
}

TEST_F(UndoTest, UndoAndRedoAreRefusedWhilePlaying) {
  Film* f = AudioFilm(0, 0, 1000);
  Edit(f, 1000);
  engine.playing = true;
  EXPECT_FALSE(engine.CeUndo());
  EXPECT_FALSE(engine.CmUndo());
  EXPECT_FALSE(engine.CmRedo());
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "The project is currently playing");
  EXPECT_EQ(boxes.boxes[0].caption, "Undo");
  EXPECT_EQ(boxes.boxes[1].caption, "Redo");
  EXPECT_EQ(FilmList.First()->start, 1000);
}

TEST_F(UndoTest, UndoRestoresTheLineStateMarksAndRanges) {
  FakeEffects* lineFx = Effects();
  FakeEffects* masterFx = Effects();
  TrackRecord& line1 = engine.audioPanel[1];
  line1.SetName("Voice");
  line1.gain = 300;
  line1.pan = -40;
  line1.mute = 1;
  line1.effects = lineFx;
  lineFx->AddRef();
  engine.masterEffects = masterFx;
  masterFx->AddRef();
  engine.masterGain = 700;
  engine.videoPanel[0].solo = 1;
  engine.midiPanel[0].gain = 200;
  engine.selStart = 100;
  engine.selEnd = 900;
  ProjectMarks.AddMark(500);
  LineChangedRange[1] = {10, 20};
  PlayFileRange = {0, 5000};
  engine.MarkUndo(kUndoEdit);

  // Everything changes.
  line1.SetUp("Other", 2, 0);  // releases the line's list
  engine.masterEffects->Release();
  engine.masterEffects = nullptr;
  engine.masterGain = 100;
  engine.videoPanel[0].solo = 0;
  engine.midiPanel[0].gain = 512;
  engine.selStart = engine.selEnd = 0;
  ProjectMarks.Clear();
  LineChangedRange[1] = {0, 86400000};
  PlayFileRange = {0, 0};
  engine.SetModified(true);

  ASSERT_TRUE(engine.CmUndo());
  EXPECT_STREQ(line1.name, "Voice");
  EXPECT_EQ(line1.gain, 300);
  EXPECT_EQ(line1.pan, -40);
  EXPECT_EQ(line1.mute, 1);
  EXPECT_EQ(line1.zoom, 1);
  EXPECT_EQ(line1.effects, lineFx);
  EXPECT_EQ(engine.masterEffects, masterFx);
  EXPECT_EQ(engine.masterGain, 700);
  EXPECT_EQ(engine.videoPanel[0].solo, 1);
  EXPECT_EQ(engine.midiPanel[0].gain, 200);
  EXPECT_EQ(engine.selStart, 100);
  EXPECT_EQ(engine.selEnd, 900);
  ASSERT_EQ(ProjectMarks.Count(), 1);
  EXPECT_EQ(ProjectMarks[0].time, 500);
  EXPECT_EQ(LineChangedRange[1].start, 10);
  EXPECT_EQ(LineChangedRange[1].end, 20);
  EXPECT_EQ(PlayFileRange.end, 5000);
  EXPECT_FALSE(engine.IsModified());
  EXPECT_GE(view.ruler, 1);
  EXPECT_TRUE(std::find(players.mixer.begin(), players.mixer.end(), Notice{kMixerRefresh, 0}) !=
              players.mixer.end());

  // Back and forth: the lists are held once by the records, once by each
  // snapshot naming them, and opened once by the records.
  ASSERT_TRUE(engine.CmRedo());
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_EQ(lineFx->refs, 1 + 1 + 1);  // creator, record, one snapshot
  EXPECT_EQ(lineFx->openCount, 1);
  EXPECT_EQ(masterFx->openCount, 1);

  // A remix of the play file makes every stored play-file range empty.
  UndoScript::ClearPlayFileRanges();
  ASSERT_TRUE(engine.CmRedo());
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_TRUE(PlayFileRange.Empty());
}

TEST_F(UndoTest, DroppedSourceLeavesEverySnapshot) {
  AudioSource* kept = AudioFilm(0, 0, 1000)->audio;
  Film* drop = AudioFilm(1, 0, 1000);
  FakeAudio* dropped = static_cast<FakeAudio*>(drop->audio);
  engine.MarkUndo(kUndoEdit);
  engine.MarkUndo(kUndoEdit);
  EXPECT_EQ(UndoSteps(), 2);

  // A reloaded source that still fits keeps its films.
  UndoScript::DropSource(true, nullptr, dropped, nullptr);
  EXPECT_EQ(UndoScript::Slot(1)->films.Count(), 2);
  dropped->directFormat = false;
  UndoScript::DropSource(true, nullptr, dropped, nullptr);
  EXPECT_EQ(UndoScript::Slot(1)->films.Count(), 1);
  EXPECT_EQ(UndoScript::Slot(2)->films.Count(), 1);

  Film::Unlink(drop, FilmList);
  drop->audio->EndRead();
  delete drop;
  EXPECT_EQ(dropped->refs, 0);
  ASSERT_TRUE(engine.CmUndo());
  ASSERT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(FilmList.First()->audio, kept);
}

TEST_F(UndoTest, ReleasedVideoSourceDropsTheSnapshotsPictures) {
  Film* f = VideoFilm(0, 0, 1000);
  f->UpdateInFrame(nullptr, 0);
  f->UpdateOutFrame(nullptr, 0);
  ASSERT_NE(f->inPicture, nullptr);
  auto* in = static_cast<FakeThumbnail*>(f->inPicture);
  engine.MarkUndo(kUndoEdit);
  EXPECT_EQ(in->refs, 2);
  UndoScript::ReleaseSource(f->video);
  EXPECT_EQ(in->refs, 1);
  EXPECT_EQ(UndoScript::Slot(1)->films.First()->inPicture, nullptr);
  EXPECT_EQ(UndoScript::Slot(1)->films.First()->outPicture, nullptr);
}

TEST_F(UndoTest, FilmHostClearsTheProgramWideHistory) {
  engine.MarkUndo(kUndoEdit);
  ASSERT_EQ(UndoSteps(), 1);
  static_cast<FilmHost&>(engine).ClearUndo();
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_EQ(UndoScript::Pending(), kUndoEdit);
}

}  // namespace
}  // namespace enginetest
