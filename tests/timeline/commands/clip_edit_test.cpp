// The clipboard commands, Undo and Redo, as the user reaches them with keys.
#include <gtest/gtest.h>

#include "commands_fixture.h"
#include "model/changed_ranges.h"

namespace timelinetest {
namespace {

using ClipEditTest = CommandsTest;

TEST_F(ClipEditTest, DeleteOrCutOfNothingTakesNoStepAndKeepsModifiedButCutEmptiesTheClipboard) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  AudioFilm(a, 0, 0, 1000);
  Film::Link(new Film(*FilmList.First(), kKindAudio), ClipClipboard);

  Press(VK_DELETE);
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(window_->Engine().IsModified());
  EXPECT_FALSE(ClipClipboard.Empty());

  Press('X', true);
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(window_->Engine().IsModified());
  EXPECT_TRUE(ClipClipboard.Empty());
}

TEST_F(ClipEditTest, DeleteTakesTheSelectedClipsOffInOneStep) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  AudioFilm(a, 0, 0, 1000);
  SelectedSound(a, 1, 2000, 1000);
  SelectedSound(a, 2, 4000, 500);
  LineChangedRange[2].Clear();
  Press(VK_DELETE);
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(FilmList.First()->start, 0);
  EXPECT_EQ(a->openCount, 1);
  EXPECT_TRUE(window_->Engine().IsModified());
  // The mix of the emptied line is made again there.
  EXPECT_LE(LineChangedRange[2].start, 4000);
  EXPECT_GE(LineChangedRange[2].end, 4500);
  Press('Z', true);
  EXPECT_EQ(Count(), 3);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(ClipEditTest, CopyOfNothingEmptiesTheClipboardAndGreysPaste) {
  OpenCommands();
  Film* f = SelectedSound(Sound("a.wav"), 0, 0, 1000);
  Press('C', true);
  ASSERT_EQ(ClipClipboard.Count(), 1);
  EXPECT_TRUE(Enabled(kCmPaste));
  EXPECT_TRUE(Enabled(kCmInsert));
  f->group = 0;
  Press(VK_INSERT, true);
  EXPECT_TRUE(ClipClipboard.Empty());
  EXPECT_FALSE(Enabled(kCmPaste));
  EXPECT_FALSE(Enabled(kCmInsert));
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(ClipEditTest, CutThenPasteTwicePlacesTwoSetsAndKeepsTheClipboard) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  SelectedSound(a, 0, 1000, 1000);
  SelectedSound(a, 1, 1500, 1000);
  Press(VK_DELETE, false, true);
  EXPECT_EQ(Count(), 0);
  ASSERT_EQ(ClipClipboard.Count(), 2);
  EXPECT_EQ(a->openCount, 0);

  w.Engine().SetPlayCursor(5000, false);
  Press('V', true);
  w.Engine().SetPlayCursor(8000, false);
  Press(VK_INSERT, false, true);
  EXPECT_EQ(ClipClipboard.Count(), 2);
  std::vector<std::pair<int32_t, int32_t>> placed;
  for (Film* f : Films()) placed.push_back({f->start, f->audioLine});
  EXPECT_EQ(placed, (std::vector<std::pair<int32_t, int32_t>>{{5000, 0}, {5500, 1}, {8000, 0}, {8500, 1}}));
  EXPECT_EQ(a->openCount, 4);
}

TEST_F(ClipEditTest, CopyWorksWhilePlayingAndTheEditsAreRefusedWithTheirCaptions) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* f = SelectedSound(a, 0, 0, 2000);
  w.Engine().SetPlayCursor(1000, false);
  w.Engine().MarkUndo(kUndoEdit);
  w.Engine().playing = true;

  Press('C', true);
  EXPECT_EQ(ClipClipboard.Count(), 1);
  EXPECT_TRUE(boxes.boxes.empty());

  const struct {
    int command;
    const char* caption;
  } refusals[] = {
      {kCmDelete, "Delete clips"},
      {kCmCut, "Cut clips"},
      {kCmSplitClip, "Split clip"},
      {kCmSplit, "Split clip"},
      {kCmJoin, "Join clips"},
      {kCmUndo, "Undo"},
      {kCmRedo, "Redo"},
      {kCmDeleteProfile, "Delete profile"},
  };
  for (const auto& r : refusals) {
    boxes.boxes.clear();
    Command(r.command);
    ASSERT_EQ(boxes.boxes.size(), 1u) << r.caption;
    EXPECT_EQ(boxes.boxes[0].caption, r.caption);
    EXPECT_EQ(boxes.boxes[0].text, "The project is currently playing");
  }
  boxes.boxes.clear();
  w.CutClipToClipboard(f);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Cut clips");

  EXPECT_EQ(Films(), std::vector<Film*>{f});
  EXPECT_EQ(f->end, 2000);
  EXPECT_EQ(UndoScript::Current(), 0);
  EXPECT_EQ(ClipClipboard.Count(), 1);
  for (int id : {kCmDelete, kCmCut, kCmSplit, kCmSplitClip, kCmJoin, kCmUndo, kCmRedo, kCmPaste})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(kCmCopy));
  w.Engine().playing = false;
}

TEST_F(ClipEditTest, OneClipCutAndCopyTakeTheClipUnderTheMenu) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* left = AudioFilm(a, 0, 0, 1000);
  Film* right = AudioFilm(a, 0, 3000, 1000);
  w.CutClipToClipboard(nullptr);
  w.CopyClipToClipboard(nullptr);
  EXPECT_FALSE(UndoScript::CanUndo());

  w.CopyClipToClipboard(left);
  ASSERT_EQ(ClipClipboard.Count(), 1);
  EXPECT_EQ(ClipClipboard.First()->audio, a);
  EXPECT_NE(ClipClipboard.First(), left);
  // An undo step that brings back the same project.
  EXPECT_TRUE(UndoScript::CanUndo());
  EXPECT_FALSE(w.Engine().IsModified());

  w.CutClipToClipboard(right);
  EXPECT_EQ(Films(), std::vector<Film*>{left});
  EXPECT_EQ(ClipClipboard.First(), right);
  EXPECT_EQ(ClipClipboard.Count(), 1);
  EXPECT_EQ(a->openCount, 1);
  EXPECT_TRUE(w.Engine().IsModified());
}

TEST_F(ClipEditTest, PasteNeedsAClipboardClipThatSuitsTheProject) {
  OpenCommands();
  filmtest::FakeVideo* v = Video("v.avi", 100);
  filmtest::FakeAudio* a = Sound("a.wav");
  filmtest::FakeMidi* mine = Midi("mine.mid", 5000);
  filmtest::FakeMidi* other = Midi("other.mid", 5000);
  auto clipOf = [](VideoSource* video, AudioSource* audio, MidiSource* midi) {
    filmtest::FakeClip clip(video, audio, midi, 0, 1000, 1000);
    const int32_t parts = (video ? kKindVideo : 0) | (audio ? kKindAudio : 0) | (midi ? kKindMidi : 0);
    Film::Link(new Film(clip, 0, parts, 0, 0), ClipClipboard);
  };
  filmtest::FakeClip project(nullptr, nullptr, mine, 0, 1000, 1000);
  Place(new Film(project, 20000, kKindMidi, 0, 0))->midi->Open();

  const struct {
    bool videoPlays, soundPlays;
    MidiSource* midi;
    bool canPaste;
  } cases[] = {
      {false, false, nullptr, false}, {true, false, nullptr, true}, {false, true, nullptr, true},
      {false, false, other, false},   {false, false, mine, true},
  };
  for (const auto& c : cases) {
    ClipClipboard.Clear();
    v->directPlayable = c.videoPlays;
    a->directFormat = c.soundPlays;
    clipOf(v, nullptr, nullptr);
    clipOf(nullptr, a, nullptr);
    if (c.midi) clipOf(nullptr, nullptr, c.midi);
    EXPECT_EQ(window_->CanPaste(), c.canPaste) << c.videoPlays << c.soundPlays << (c.midi == mine);
    EXPECT_EQ(Enabled(kCmPaste), c.canPaste);
  }
  v->directPlayable = true;
  a->directFormat = true;
}

TEST_F(ClipEditTest, UndoAndRedoKeysWalkTheHistoryAndGiveEveryUseBack) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  filmtest::FakeEffects* fx = Effects();
  AudioFilm(a, 0, 0, 1000);
  Film* gone = SelectedSound(a, 1, 0, 1000);
  gone->effects = fx;
  fx->AddRef();
  fx->Open(a);
  auto uses = [&] { return std::make_pair(a->openCount, fx->openCount); };

  Press(VK_DELETE);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(uses(), std::make_pair(1, 0));
  Press('Z', true);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(uses(), std::make_pair(2, 1));
  EXPECT_TRUE(Enabled(kCmRedo));
  Press('Y', true);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(uses(), std::make_pair(1, 0));
  Press(VK_BACK, false, false, true);
  EXPECT_EQ(Count(), 2);
  Press(VK_BACK, false, true, true);
  EXPECT_EQ(Count(), 1);
  Press(VK_BACK, false, false, true);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(uses(), std::make_pair(2, 1));

  // A new edit drops the state Redo would return to.
  for (Film* f : Films()) f->group = f->audioLine == 0 ? SelectionGroup : 0;
  Press(VK_DELETE);
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(Enabled(kCmRedo));
  EXPECT_TRUE(Enabled(kCmUndo));

  // Closing the project gives back the uses and the references that the
  // time-line and the history held.
  Close();
  EXPECT_EQ(a->refs, 1);
  EXPECT_EQ(fx->refs, 1);
  EXPECT_EQ(uses(), std::make_pair(0, 0));
}

}  // namespace
}  // namespace timelinetest
