// New and Clear: what a fresh project holds, what a cleared one keeps, and
// that neither happens while the project plays.
#include <cstdlib>

#include "clips/summary_info.h"
#include "model/changed_ranges.h"
#include "model/project_file.h"
#include "project_fixture.h"

namespace projectcmdtest {
namespace {

// The summary's record as the program installs it: a cleared project takes
// the summary's defaults through it.
class ScopedSummaryRecord {
 public:
  ScopedSummaryRecord() {
    before_ = SetProjectSummaryRecord(nullptr);
    InstallProjectSummaryRecord();
  }
  ~ScopedSummaryRecord() { SetProjectSummaryRecord(before_); }

 private:
  ProjectSummaryRecord* before_ = nullptr;
};

class NewClearTest : public ProjectCommandsTest {
 protected:
  // A project that differs from a new one everywhere New looks.
  void MakeBusyProject() {
    TimeLineEngine& e = Engine();
    AudioFilm(Sound("a.wav"), 0, 0, 4000);
    AudioFilm(Sound("b.wav"), 2, 1000, 30000);
    for (int32_t i = 0; i < 4; ++i) {
      TrackRecord& r = e.audioPanel[i];
      r.gain = 100 + i;
      r.pan = -20;
      r.solo = 1;
      r.SetName("renamed");
      r.SetZoom(0);
    }
    e.videoPanel[1].SetName("video");
    e.videoPanel[1].SetZoom(2);
    e.masterGain = 900;
    e.masterPan = 40;
    masterList_ = Effects();
    e.masterEffects = masterList_;
    lineList_ = Effects();
    e.audioPanel[1].effects = lineList_;
    e.MarkUndo(kUndoEdit);
    ProjectMarks.AddMark(700);
    e.SetModified(true);
  }
  filmtest::FakeEffects* masterList_ = nullptr;
  filmtest::FakeEffects* lineList_ = nullptr;
  ScopedSummaryRecord summary_;
};

TEST_F(NewClearTest, NewStartsAFreshProject) {
  OpenProjectWindow();
  MakeBusyProject();
  filmtest::FakeAudio* a = media.audios.front();
  Engine().audioLineCount = 3;

  window_->NewProject();
  GuiPumpMessages();

  TimeLineEngine& e = Engine();
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(a->openCount, 0) << "the clips' sources are given back";
  EXPECT_EQ(e.length, 12500);
  EXPECT_EQ(e.origin, 0);
  EXPECT_NEAR(e.VisibleSpan(), 10000, 100);
  EXPECT_EQ(e.cursor, 0);
  EXPECT_FALSE(e.IsModified());
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(ProjectMarks.Count(), 0);
  EXPECT_EQ(e.masterGain, 512);
  EXPECT_EQ(e.masterPan, 0);
  EXPECT_EQ(e.masterEffects, nullptr);
  EXPECT_EQ(masterList_->refs, 0);
  EXPECT_EQ(lineList_->refs, 0);
  EXPECT_EQ(masterList_->openCount, 0);
  for (int32_t i = 0; i < 4; ++i) {
    const TrackRecord& r = e.audioPanel[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(r.gain, 512);
    EXPECT_EQ(r.pan, 0);
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(r.height, 48);
    EXPECT_EQ(r.top, i * (48 + e.rowGap));
    EXPECT_EQ(r.bottom, r.top + 47);
    EXPECT_EQ(std::string(r.name), "Audio track number " + std::to_string(i + 1));
    EXPECT_EQ(r.solo, 0);
    // Lines beyond those in use stay silent.
    EXPECT_EQ(r.mute, i >= 3 ? 1 : 0);
  }
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(e.videoPanel[i].height, 48);
    EXPECT_EQ(e.videoPanel[i].top, i * (48 + e.rowGap));
    EXPECT_EQ(std::string(e.videoPanel[i].name), "");
  }
  EXPECT_FALSE(e.selStart < e.selEnd);
  ASSERT_FALSE(players_.notices.empty());
  EXPECT_EQ(players_.notices.back(), (ProjectPlayers::Notice{kMixerLineCount, 3}));
}

TEST_F(NewClearTest, NewTakesTheBalanceProfileOnlyForStereo) {
  struct Case {
    uint16_t channels;
    int32_t before, after;
  } cases[] = {
      {1, kProfileVolume, kProfileVolumeOnly},
      {1, kProfileBalance, kProfileVolumeOnly},
      {2, kProfileVolumeOnly, kProfileVolume},
      {2, kProfileBalance, kProfileBalance},
      {2, kProfileVolume, kProfileVolume},
  };
  OpenProjectWindow();
  for (const Case& c : cases) {
    OutputFormat.nChannels = c.channels;
    window_->Settings().profileMode = c.before;
    window_->NewProject();
    EXPECT_EQ(window_->ProfileMode(), c.after) << c.channels << " channels, mode " << c.before;
  }
}

TEST_F(NewClearTest, NothingIsClearedWhilePlaying) {
  OpenProjectWindow();
  MakeBusyProject();
  Engine().playing = true;

  window_->NewProject();
  EXPECT_FALSE(window_->ClearProject(true));
  Engine().playing = false;

  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].caption, "New Project");
  EXPECT_EQ(boxes.boxes[0].text, "The project is currently playing");
  EXPECT_EQ(boxes.boxes[1].caption, "Clear the project");
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Engine().masterGain, 900);
  EXPECT_EQ(Engine().masterEffects, masterList_);
  EXPECT_TRUE(UndoScript::CanUndo());
  EXPECT_EQ(ProjectMarks.Count(), 1);
}

TEST_F(NewClearTest, ClearingAnEmptyProjectAsksNothingAndTakesNoStep) {
  OpenProjectWindow();
  const int schedules = players_.transitions.schedules;
  EXPECT_TRUE(window_->ClearProject(true));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Engine().IsModified());
  EXPECT_EQ(players_.transitions.schedules, schedules);
}

TEST_F(NewClearTest, NoKeepsEverything) {
  OpenProjectWindow();
  MakeBusyProject();
  const int depth = UndoDepth();
  boxes.answers = {IDNO};

  EXPECT_FALSE(window_->ClearProject(true));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Clear the project");
  EXPECT_EQ(boxes.boxes[0].text, "Remove all clips from the project?");
  EXPECT_EQ(boxes.boxes[0].flags & (MB_YESNO | MB_ICONQUESTION), UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(UndoDepth(), depth);
  EXPECT_EQ(Engine().masterEffects, masterList_);
}

TEST_F(NewClearTest, YesTakesTheClipsAndListsInOneUndoStep) {
  OpenProjectWindow();
  MakeBusyProject();
  filmtest::FakeAudio* a = media.audios[0];
  filmtest::FakeAudio* b = media.audios[1];
  const int depth = UndoDepth();
  const int refsA = a->refs;
  const int masterRefs = masterList_->refs;
  constexpr int kTitle = 15;
  ProjectSummary.SetField(kTitle, "a title of the old project");
  Ini("SUMMARY", "Title", "the default title");
  Engine().SetModified(false);
  const int schedules = players_.transitions.schedules;

  EXPECT_TRUE(window_->ClearProject(true));
  // The transitions of the clips that went are dropped at once.
  EXPECT_EQ(players_.transitions.schedules, schedules + 1);
  GuiPumpMessages();

  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(UndoDepth(), depth + 1);
  EXPECT_EQ(a->openCount, 0);
  EXPECT_EQ(b->openCount, 0);
  // The undo step keeps a copy of each clip.
  EXPECT_EQ(a->refs, refsA);
  EXPECT_EQ(Engine().masterEffects, nullptr);
  EXPECT_EQ(Engine().audioPanel[1].effects, nullptr);
  // The project's reference went, the new undo step holds one of its own.
  EXPECT_EQ(masterList_->refs, masterRefs);
  EXPECT_EQ(masterList_->openCount, 0);
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_EQ(players_.video.calls, (std::vector<std::string>{"acquire", "release"}));
  EXPECT_EQ(std::string(ProjectSummary.GetField(kTitle)), "the default title");
  // Names, gains and the marks stay: only the clips went.
  EXPECT_EQ(Engine().audioPanel[0].gain, 100);
  EXPECT_EQ(std::string(Engine().audioPanel[0].name), "renamed");
  EXPECT_EQ(ProjectMarks.Count(), 1);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(LineChangedRange[i].end, kDayMs);

  EXPECT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Engine().masterEffects, masterList_);
}

}  // namespace
}  // namespace projectcmdtest
