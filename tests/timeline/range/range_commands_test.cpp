// The Range menu sent to the time-line window as commands: copy, cut and
// clear of the range on every line and on the active ones, the splits they
// make, what they refuse, the zoom commands, Include all clips and the
// enablers of the menu's items.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film_list.h"
#include "timeline/window/timeline_fixture.h"

namespace rangetest {
namespace {

using namespace timelinetest;

// A clip as the list shows it: "V0" or "A1" (kind and line), its place and
// its source stretch.
std::string Describe(const Film& f) {
  const std::string what = f.video ? "V" + std::to_string(f.videoRow) : "A" + std::to_string(f.audioLine);
  return what + " " + std::to_string(f.start) + "-" + std::to_string(f.end) + " " + std::to_string(f.in) +
         "-" + std::to_string(f.out);
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<std::string> Clips(const FilmListHead& list) {
  std::vector<std::string> clips;
  for (const Film* f = list.First(); f; f = f->next) clips.push_back(Describe(*f));
  return Sorted(clips);
}

bool InStartOrder(const FilmListHead& list) {
  for (const Film* f = list.First(); f && f->next; f = f->next) {
    if (f->next->start < f->start) return false;
  }
  return true;
}

class RangeCommands : public TimeLineTest {
 protected:
  void SetUp() override {
    TimeLineTest::SetUp();
    Open();
    Engine().SetLength(60000);
    video_ = Video("v.avi", 1000);
    audio_ = Audio("a.wav", 10000);
  }

  TimeLineEngine& Engine() { return window_->Engine(); }
  void Command(int id) {
    window_->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    GuiPumpMessages();
  }
  bool Enabled(int id) {
    TCommandEnabler ce(static_cast<UINT>(id));
    window_->RouteCommandEnable(ce);
    return ce.IsEnabled();
  }
  Film* V(int32_t row, int32_t start, int32_t end, int32_t in = 0) {
    return VideoFilm(video_, row, start, in, in + end - start);
  }
  Film* A(int32_t line, int32_t start, int32_t end, int32_t in = 0) {
    filmtest::FakeClip clip(nullptr, audio_, nullptr, in, in + end - start, end - start);
    return Place(new Film(clip, start, kKindAudio, line, 0));
  }
  static int UndoSteps() {
    int n = 0;
    for (int32_t i = UndoScript::Current() + 1; i < kUndoSlotCount && UndoScript::Slot(i) != nullptr; ++i)
      ++n;
    return n;
  }
  static void ClearChangedRanges() {
    for (TimeRange& r : LineChangedRange) r.Clear();
  }

  filmtest::FakeVideo* video_ = nullptr;
  filmtest::FakeAudio* audio_ = nullptr;
};

// The project of the table: on video row 0 a clip crossing the range's
// start and one after it; on audio line 0 a clip inside, one crossing the
// end and one after it; on audio line 1, muted, a clip crossing both edges.
// The range is [1000, 3000).
struct TableCase {
  const char* what;
  int command;
  std::vector<std::string> left, clipboard;
  int steps;
  std::vector<std::pair<int32_t, int32_t>> changed;  // lines 0 to 3; {0, 0} none
  int32_t rangeEnd;
};

TEST_F(RangeCommands, CopyCutAndClearOnAllAndOnTheActiveLines) {
  const std::vector<std::string> project =
      Sorted({"V0 0-2000 0-2000", "V0 4000-5000 0-1000", "A0 1200-2400 0-1200", "A0 2500-3500 0-1000",
              "A0 4200-4700 0-500", "A1 500-3500 0-3000"});
  const std::vector<std::string> allInside = {"V0 1000-2000 1000-2000", "A1 1000-3000 500-2500",
                                              "A0 1200-2400 0-1200", "A0 2500-3000 0-500"};
  const std::vector<std::string> activeInside = {"V0 1000-2000 1000-2000", "A0 1200-2400 0-1200",
                                                 "A0 2500-3000 0-500"};
  const std::pair<int32_t, int32_t> none{kDayMs, 0}, inRange{1000, 3000}, toEnd{1000, 60000};
  const TableCase cases[] = {
      {"copy, all lines", kCmRangeCopyAll, project, allInside, 0, {none, none, none, none}, 3000},
      {"copy, active lines", kCmRangeCopyActive, project, activeInside, 0, {none, none, none, none}, 3000},
      {"clear, all lines",
       kCmRangeClearAll,
       {"V0 0-1000 0-1000", "A1 500-1000 0-500", "A1 3000-3500 2500-3000", "A0 3000-3500 500-1000",
        "V0 4000-5000 0-1000", "A0 4200-4700 0-500"},
       allInside,
       1,
       {inRange, inRange, inRange, inRange},
       3000},
      {"clear, active lines",
       kCmRangeClearActive,
       {"V0 0-1000 0-1000", "A1 500-3500 0-3000", "A0 3000-3500 500-1000", "V0 4000-5000 0-1000",
        "A0 4200-4700 0-500"},
       activeInside,
       1,
       {inRange, none, none, none},
       3000},
      {"cut, all lines",
       kCmRangeCutAll,
       {"V0 0-1000 0-1000", "A1 500-1000 0-500", "A1 1000-1500 2500-3000", "A0 1000-1500 500-1000",
        "V0 2000-3000 0-1000", "A0 2200-2700 0-500"},
       allInside,
       1,
       {toEnd, toEnd, toEnd, toEnd},
       1000},
      {"cut, active lines",
       kCmRangeCutActive,
       {"V0 0-1000 0-1000", "A1 500-3500 0-3000", "A0 1000-1500 500-1000", "V0 2000-3000 0-1000",
        "A0 2200-2700 0-500"},
       activeInside,
       1,
       {toEnd, none, none, none},
       1000},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(c.what);
    V(0, 0, 2000);
    V(0, 4000, 5000);
    A(0, 1200, 2400);
    A(0, 2500, 3500);
    A(0, 4200, 4700);
    A(1, 500, 3500);
    Engine().audioPanel[1].mute = 1;
    ASSERT_EQ(Clips(FilmList), project);
    Film::Link(new Film(*FilmList.First(), kKindVideo), ClipClipboard);  // replaced by every command
    const int videoOpen = video_->openCount, audioOpen = audio_->openCount;
    Engine().SetMarkRange(1000, 3000);
    Engine().SetModified(false);
    ClearChangedRanges();

    Command(c.command);
    EXPECT_EQ(Clips(FilmList), Sorted(c.left));
    EXPECT_TRUE(InStartOrder(FilmList));
    EXPECT_EQ(Clips(ClipClipboard), Sorted(c.clipboard));
    EXPECT_EQ(UndoSteps(), c.steps);
    EXPECT_EQ(Engine().IsModified(), c.steps != 0);
    for (int32_t line = 0; line < 4; ++line) {
      EXPECT_EQ(LineChangedRange[line].start, c.changed[line].first) << line;
      EXPECT_EQ(LineChangedRange[line].end, c.changed[line].second) << line;
    }
    EXPECT_EQ(Engine().selStart, 1000);
    EXPECT_EQ(Engine().selEnd, c.rangeEnd);
    // Every clip on the time-line reads its sources, none in the clipboard.
    int videos = 0, audios = 0;
    for (const Film* f = FilmList.First(); f; f = f->next) {
      videos += f->video != nullptr;
      audios += f->audio != nullptr;
    }
    EXPECT_EQ(video_->openCount, videos);
    EXPECT_EQ(audio_->openCount, audios);

    if (c.steps != 0) {
      EXPECT_TRUE(Engine().CmUndo());
      EXPECT_EQ(Clips(FilmList), project);
      EXPECT_EQ(video_->openCount, videoOpen);
      EXPECT_EQ(audio_->openCount, audioOpen);
    }
    for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
    FilmList.Clear();
    ClipClipboard.Clear();
    UndoScript::ClearAll();
  }
}

TEST_F(RangeCommands, CutOnAllLinesTakesTheCursorAlongAndTheActiveCutLeavesIt) {
  const struct {
    int command;
    int32_t cursor, after;
  } cases[] = {
      {kCmRangeCutAll, 3500, 1500}, {kCmRangeCutAll, 2500, 500},     {kCmRangeCutAll, 1200, 0},
      {kCmRangeCutAll, 800, 800},   {kCmRangeCutActive, 3500, 3500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.command) + " from " + std::to_string(c.cursor));
    A(0, 0, 5000);
    Engine().SetMarkRange(1000, 3000);
    Engine().SetPlayCursor(c.cursor, false);
    Command(c.command);
    EXPECT_EQ(Engine().cursor, c.after);
    for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
    FilmList.Clear();
  }
}

// A clip [0, 4000) from source 0, the range [1010, 2030) cleared.
TEST_F(RangeCommands, SoundSplitsInMillisecondsAndPicturesInWholeFrames) {
  const struct {
    const char* what;
    bool video;
    bool declick;
    std::vector<std::string> left, clipboard;
  } cases[] = {
      {"sound", false, true, {"A0 0-1010 0-1010", "A0 2030-4000 2030-4000"}, {"A0 1010-2030 1010-2030"}},
      {"sound without declick",
       false,
       false,
       {"A0 0-1010 0-1010", "A0 2030-4000 2030-4000"},
       {"A0 1010-2030 1010-2030"}},
      {"picture at 25 fps",
       true,
       true,
       {"V0 0-1000 0-1000", "V0 2040-4000 2040-4000"},
       {"V0 1000-2040 1000-2040"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Engine().autoSetDeclick = c.declick;
    if (c.video) {
      V(0, 0, 4000);
    } else {
      A(0, 0, 4000);
    }
    Engine().SetMarkRange(1010, 2030);
    Command(kCmRangeClearAll);
    EXPECT_EQ(Clips(FilmList), Sorted(c.left));
    EXPECT_EQ(Clips(ClipClipboard), Sorted(c.clipboard));
    if (!c.video) {
      const Film* head = FilmList.First();
      const Film* tail = head->next;
      const Film* middle = ClipClipboard.First();
      EXPECT_EQ(head->declickOut, c.declick);
      EXPECT_EQ(tail->declickIn, c.declick);
      EXPECT_EQ(middle->declickIn, c.declick);
      EXPECT_EQ(middle->declickOut, c.declick);
      EXPECT_FALSE(head->declickIn);
      EXPECT_FALSE(tail->declickOut);
    }
    EXPECT_EQ(Engine().selStart, c.video ? 1000 : 1010);
    EXPECT_EQ(Engine().selEnd, c.video ? 2040 : 2030);
    for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
    FilmList.Clear();
    ClipClipboard.Clear();
  }
}

TEST_F(RangeCommands, ARangeOfLessThanAFrameOverPicturesDoesNothing) {
  V(0, 0, 4000);
  A(0, 0, 4000);
  Film::Link(new Film(*FilmList.First(), kKindVideo), ClipClipboard);
  const std::vector<std::string> before = Clips(FilmList);
  for (int command : {kCmRangeCopyAll, kCmRangeCutAll, kCmRangeClearAll}) {
    SCOPED_TRACE(command);
    Engine().SetMarkRange(1000, 1012);  // 0.3 frame: on frames it is empty
    Command(command);
    EXPECT_EQ(Clips(FilmList), before);
    EXPECT_EQ(ClipClipboard.Count(), 1);
    EXPECT_EQ(UndoSteps(), 0);
    EXPECT_FALSE(Engine().IsModified());
    EXPECT_EQ(Engine().selEnd, 1012);
  }
}

// The refusals: nothing of the project changes, the clipboard keeps what it
// held and no undo step is left.
TEST_F(RangeCommands, ARemovalThatCannotBeDoneWholeChangesNothing) {
  struct Case {
    const char* what;
    int command;
    std::string caption, text;
  };
  const Case cases[] = {
      {"the part after the start has no key frame", kCmRangeClearAll,
       "Align start of video clip to next key frame", "Can not find next key frame"},
      {"closing the gap would put a clip onto a muted line's clip", kCmRangeCutActive, "Cut clips",
       "Can not shift the clip(s)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.command == kCmRangeClearAll) {
      filmtest::FakeVideo* keyed = Video("keyed.avi", 1000);
      keyed->keyFrames = {0};
      filmtest::FakeClip clip(keyed, nullptr, nullptr, 0, 4000, 4000, "pictures");
      Place(new Film(clip, 0, kKindVideo, 0, 0));
    } else {
      V(0, 0, 2000);
      // Pictures on row 0 and sound on line 1: it takes part and moves,
      // and its sound would land on the muted line's clip.
      filmtest::FakeClip clip(video_, audio_, nullptr, 0, 1000, 1000, "both");
      Place(new Film(clip, 4000, kKindVideo | kKindAudio, 1, 0));
      A(1, 2500, 2700);
      Engine().audioPanel[1].mute = 1;
    }
    Film::Link(new Film(*FilmList.First(), kKindVideo), ClipClipboard);
    const std::vector<std::string> before = Clips(FilmList), held = Clips(ClipClipboard);
    Engine().SetMarkRange(1000, 3000);
    Engine().SetModified(false);
    boxes.boxes.clear();
    Command(c.command);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, c.caption);
    EXPECT_NE(boxes.boxes[0].text.find(c.text), std::string::npos) << boxes.boxes[0].text;
    EXPECT_EQ(Clips(FilmList), before);
    EXPECT_EQ(Clips(ClipClipboard), held);
    EXPECT_EQ(UndoSteps(), 0);
    EXPECT_FALSE(Engine().IsModified());
    EXPECT_EQ(Engine().selEnd, 3000);
    for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
    FilmList.Clear();
    ClipClipboard.Clear();
    Engine().audioPanel[1].mute = 0;
  }
}

// A part after the start begins on the next key frame; when that lies
// past the end there is nothing left inside to split off.
TEST_F(RangeCommands, APartAfterTheStartMovesToItsNextKeyFrame) {
  const struct {
    std::set<int32_t> keys;
    std::vector<std::string> left, clipboard;
    size_t notes;
  } cases[] = {
      {{0, 30, 90}, {"V0 0-1000 0-1000", "V0 3600-4000 3600-4000"}, {"V0 1200-2000 1200-2000"}, 2},
      {{0, 60}, {"V0 0-1000 0-1000", "V0 2400-4000 2400-4000"}, {}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.left.back());
    filmtest::FakeVideo* keyed = Video("keyed.avi", 100);
    keyed->keyFrames = c.keys;
    filmtest::FakeClip clip(keyed, nullptr, nullptr, 0, 4000, 4000, "pictures");
    Place(new Film(clip, 0, kKindVideo, 0, 0));
    Engine().SetMarkRange(1000, 2000);
    boxes.boxes.clear();
    Command(kCmRangeClearAll);
    EXPECT_EQ(Clips(FilmList), Sorted(c.left));
    EXPECT_EQ(Clips(ClipClipboard), Sorted(c.clipboard));
    EXPECT_EQ(boxes.boxes.size(), c.notes);
    for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
    FilmList.Clear();
    ClipClipboard.Clear();
  }
}

TEST_F(RangeCommands, TheEnablersFollowTheRangeThePlayAndTheActiveLines) {
  A(1, 1000, 2000);
  struct State {
    const char* what;
    int32_t start, end;
    bool playing, mute;
  };
  const State states[] = {
      {"a range over the clip", 500, 1500, false, false},
      {"a range over the clip of a muted line", 500, 1500, false, true},
      {"an empty range", 1500, 1500, false, false},
      {"a range beside the clip", 2000, 3000, false, false},
      {"playing", 500, 1500, true, false},
  };
  const struct {
    int command;
    std::vector<bool> enabled;  // per state
  } table[] = {
      {kCmZoomInRange, {true, true, false, true, true}},
      {kCmIncludeAllClips, {true, true, true, true, false}},
      {kCmRangeCopyAll, {true, true, false, false, false}},
      {kCmRangeCutAll, {true, true, false, false, false}},
      {kCmRangeClearAll, {true, true, false, false, false}},
      {kCmRangeCopyActive, {true, false, false, false, false}},
      {kCmRangeCutActive, {true, false, false, false, false}},
      {kCmRangeClearActive, {true, false, false, false, false}},
      {kCmRangeUnused, {false, false, false, false, false}},
      {kCmRangeUnusedToo, {false, false, false, false, false}},
      {643, {false, false, false, false, false}},  // FadeIn: no operation
  };
  for (size_t s = 0; s < std::size(states); ++s) {
    const State& st = states[s];
    SCOPED_TRACE(st.what);
    Engine().SetMarkRange(st.start, st.end);
    Engine().audioPanel[1].mute = st.mute ? 1 : 0;
    Engine().playing = st.playing;
    for (const auto& row : table) EXPECT_EQ(Enabled(row.command), row.enabled[s]) << row.command;
    EXPECT_EQ(window_->RangeHasClips(), table[2].enabled[s]);
    EXPECT_EQ(window_->RangeHasClipsOnActiveLines(), table[5].enabled[s]);
  }
  Engine().playing = false;
}

TEST_F(RangeCommands, IncludeAllClipsTakesTheActiveLinesExtentOrNothing) {
  Engine().SetMarkRange(100, 200);
  Command(kCmIncludeAllClips);
  EXPECT_EQ(Engine().selStart, 0);
  EXPECT_EQ(Engine().selEnd, 0);
  A(0, 1500, 2500);
  A(1, 4000, 6000);
  V(1, 1000, 3000);
  Command(kCmIncludeAllClips);
  EXPECT_EQ(Engine().selStart, 1000);
  EXPECT_EQ(Engine().selEnd, 6000);
  // A muted line's clips are not part of it.
  Engine().audioPanel[1].mute = 1;
  Command(kCmIncludeAllClips);
  EXPECT_EQ(Engine().selEnd, 3000);
  EXPECT_EQ(UndoSteps(), 0);
}

TEST_F(RangeCommands, TheZoomCommandsShowTheProjectOrTheRangeInOneUndoStepEach) {
  TimeLineEngine& e = Engine();
  e.SetMarkRange(10000, 20000);
  Command(kCmZoomInRange);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_LE(e.origin, 10000);
  EXPECT_GE(e.origin + e.VisibleSpan(), 20000);
  EXPECT_LT(e.VisibleSpan(), 60000);
  Command(kCmZoomToProject);
  EXPECT_EQ(UndoSteps(), 2);
  EXPECT_EQ(e.origin, 0);
  EXPECT_GE(e.VisibleSpan(), 60000);
  // Without a range there is nothing to zoom to.
  e.SetMarkRange(0, 0);
  Command(kCmZoomInRange);
  EXPECT_EQ(UndoSteps(), 2);
}

}  // namespace
}  // namespace rangetest
