#include <gtest/gtest.h>

#include <string>

#include "model/play_fakes.h"
#include "timeline/lines/audio_lines.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using StateTest = TimeLineTest;
using CloseTest = TimeLineTest;

TEST_F(StateTest, UndoRestoresFullLengthLineNamesAndAnEmptySelection) {
  MainTimeLineWindow& w = Open();
  TimeLineEngine& e = w.Engine();
  const std::string longest(127, 'n');
  e.audioPanel[2].SetName(longest.c_str());
  e.videoPanel[1].SetName(longest.c_str());
  e.midiPanel[0].SetName(longest.c_str());
  e.selStart = 5000;
  e.selEnd = 1000;
  const TimeLineState& state = e.GetTimeLineState();
  EXPECT_EQ(state.audioAreaExtent, w.AudioAreaExtent());
  EXPECT_EQ(state.firstAudioRow, e.audioPanel.firstShown);
  e.MarkUndo(kUndoEdit);

  e.audioPanel[2].SetName("short");
  e.videoPanel[1].SetName("");
  e.midiPanel[0].SetName("x");
  e.selStart = 1000;
  e.selEnd = 3000;
  ASSERT_TRUE(e.CmUndo());
  EXPECT_EQ(std::string(e.audioPanel[2].name), longest);
  EXPECT_EQ(std::string(e.videoPanel[1].name), longest);
  EXPECT_EQ(std::string(e.midiPanel[0].name), longest);
  int32_t start = 0, end = 0;
  EXPECT_FALSE(e.GetMarkRange(start, end));
  EXPECT_GE(e.selStart, e.selEnd);
}

TEST_F(CloseTest, ClosingWhilePlayingStopsSaysSoAndReleasesEverything) {
  playtest::PlayPlayers players;
  MainTimeLineWindow& w = Open(1000, 700, &players);
  filmtest::FakeAudio* sound = Audio("sound.wav", 60000);
  Film* film = AudioFilm(sound, 0, 0, 4000);
  ClipClipboard.Clear();
  Film::Link(new Film(*film, kKindAudio), ClipClipboard);
  filmtest::FakeEffects* master = Effects();
  master->Open(nullptr);
  w.Engine().masterEffects = master;
  w.Engine().MarkUndo(kUndoEdit);

  w.PlayOnce(0, 2000);
  ASSERT_TRUE(w.Engine().playing);
  Close();

  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Stop the playback before exiting!");
  EXPECT_EQ(boxes.boxes[0].caption, "Close KOBRIX");
  EXPECT_TRUE(boxes.boxes[0].flags & MB_ICONEXCLAMATION);
  EXPECT_NE(std::find(players.log.begin(), players.log.end(), "audio.stop"), players.log.end());
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_TRUE(ClipClipboard.Empty());
  EXPECT_EQ(sound->openCount, 0);
  EXPECT_EQ(sound->refs, 1);  // the test's own
  EXPECT_EQ(master->openCount, 0);
  EXPECT_EQ(master->refs, 0);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(IniValue("TIMELINE", "SHOW_VIDEO"), "1");
  EXPECT_EQ(TheTimeLine, nullptr);
}

TEST_F(CloseTest, ClosingAStoppedProjectSaysNothing) {
  Open();
  Close();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(IniValue("TOOLS", "TOOL1_NAME"), "Recorder");
}

TEST_F(StateTest, PlayingShowsThePlayCursorOnTheLines) {
  playtest::PlayPlayers players;
  MainTimeLineWindow& w = Open(1000, 700, &players);
  AudioFilm(Audio("sound.wav", 60000), 0, 0, 4000);
  const auto cursorOf = [](TWindow* line) {
    return reinterpret_cast<HCURSOR>(GetClassLongPtr(line->GetHandle(), GCLP_HCURSOR));
  };
  w.PlayOnce(0, 2000);
  EXPECT_EQ(cursorOf(w.AudioLines()), w.Cursor(kCursorPlaying));
  EXPECT_NE(w.Cursor(kCursorPlaying), w.Cursor(0));
  w.Engine().CmStop();
  EXPECT_EQ(cursorOf(w.AudioLines()), w.Cursor(0));
  EXPECT_EQ(w.AudioLines()->hitZone, kNoHitZone);
  // The window goes before its players.
  Close();
}

}  // namespace
}  // namespace timelinetest
