#include <gtest/gtest.h>

#include "model/play_fakes.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using RequestsTest = TimeLineTest;

LRESULT Request(MainTimeLineWindow& w, int code, LPARAM arg = 0) {
  return w.SendMessage(kTimeLineRequestMessage, static_cast<WPARAM>(code), arg);
}

TEST_F(RequestsTest, UnknownRequestsAreNotHandledAndChangeNothing) {
  MainTimeLineWindow& w = Open();
  EXPECT_EQ(Request(w, kRequestNothing), TRUE);
  for (int code : {2, 3, 4, 6, 12, 99, -1}) {
    EXPECT_EQ(Request(w, code), FALSE) << code;
  }
  EXPECT_FALSE(w.Engine().IsModified());
  EXPECT_EQ(AutosaveEditCount, 0);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(RequestsTest, TheMixersUndoRequestTakesOneStepAndMarksTheProjectModified) {
  MainTimeLineWindow& w = Open();
  w.Engine().masterGain = 300;
  EXPECT_EQ(Request(w, kRequestUndoStep), TRUE);
  EXPECT_EQ(AutosaveEditCount, 1);
  EXPECT_TRUE(w.Engine().IsModified());
  // The mixer changes the master after asking; Undo returns to before.
  w.Engine().masterGain = 700;
  ASSERT_TRUE(w.Engine().CmUndo());
  EXPECT_EQ(w.Engine().masterGain, 300);
}

TEST_F(RequestsTest, TheSettingsRequestRemembersThePageAndAsksTheFrameForTheSheet) {
  MainTimeLineWindow& w = Open();
  EXPECT_EQ(Request(w, kRequestSettingsPage, 4), TRUE);
  EXPECT_EQ(IniValue("MAIN_WINDOW", "START_PAGE"), "4");
  EXPECT_EQ(frame_->settingsAsked, 1);
}

// The picture at the cursor: of the clip there, else of the clip before
// (its last frame), else of the first clip (its first frame).
TEST_F(RequestsTest, TheFrameRequestShowsTheClipAtOrBeforeTheCursor) {
  playtest::PlayPlayers players;
  MainTimeLineWindow& w = Open(1000, 700, &players);
  filmtest::FakeVideo* a = Video("a.avi", 15000);
  filmtest::FakeVideo* b = Video("b.avi", 15000);
  VideoFilm(a, 0, 1000, 0, 2000);
  VideoFilm(b, 1, 5000, 2000, 4000);
  w.Engine().SetLength(60000);
  struct Case {
    int32_t cursor;
    VideoSource* shown;
    int32_t ms;
  };
  const Case cases[] = {
      {2000, a, 1000},  // source 1020 ms: frame 25
      {6000, b, 3000},  // source 3020 ms: frame 75
      {4000, a, 1960},  // in the gap: a's last frame
      {0, a, 0},        // before every clip: a's first frame
  };
  for (const Case& c : cases) {
    w.Engine().cursor = c.cursor;
    players.videoPlayer.shows = 0;
    EXPECT_EQ(Request(w, kRequestShowFrame), TRUE);
    EXPECT_EQ(players.videoPlayer.shows, 1) << c.cursor;
    EXPECT_EQ(players.videoPlayer.shownSource, c.shown) << c.cursor;
    EXPECT_EQ(players.videoPlayer.shownMs, c.ms) << c.cursor;
  }

  players.videoPlayer.shows = 0;
  w.Engine().playing = true;
  Request(w, kRequestShowFrame);
  w.Engine().playing = false;
  EXPECT_EQ(players.videoPlayer.shows, 0);
  // The window goes before its players.
  Close();
}

TEST_F(RequestsTest, TheFrameRequestShowsNothingWithoutVideo) {
  playtest::PlayPlayers players;
  MainTimeLineWindow& w = Open(1000, 700, &players);
  AudioFilm(Audio("sound.wav", 60000), 0, 0, 3000);
  EXPECT_EQ(Request(w, kRequestShowFrame), TRUE);
  EXPECT_EQ(players.videoPlayer.shows, 0);
  Close();

  // Nor without a video player.
  MainTimeLineWindow& none = Open();
  VideoFilm(Video("v.avi", 100), 0, 0, 0, 2000);
  EXPECT_EQ(Request(none, kRequestShowFrame), TRUE);
}

}  // namespace
}  // namespace timelinetest
