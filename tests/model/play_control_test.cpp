#include <gtest/gtest.h>

#include <algorithm>

#include "play_fakes.h"

namespace playtest {
namespace {

class PlayControlTest : public PlayTest {
 protected:
  // One clip of each kind over [0, 2000).
  void AllKinds() {
    VideoAt(0, 0, 2000);
    AudioFilm(0, 0, 2000);
    MidiFilm(0, 2000);
  }
  // The Play command over [start, end).
  void Play(int32_t start, int32_t end) {
    engine.play.loopsRemaining = engine.play.loopCount;
    engine.StartPlayRange(start, end, false, engine.play.startFromCursor);
  }
  // Every player has played to its end, and the timer saw it.
  void PlayersEnd() {
    fakes.videoPlayer.sub.state = 4;
    fakes.audioEngine.state = 1;
    fakes.midiPlayer.state = 1;
    engine.StopPlayback();
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(log().begin(), log().end(), entry));
  }
  // The position of the first entry in the log; -1 when missing.
  int At(const std::string& entry) const {
    auto it = std::find(log().begin(), log().end(), entry);
    return it == log().end() ? -1 : static_cast<int>(it - log().begin());
  }
  const Log& log() const { return fakes.log; }
};

TEST_F(PlayControlTest, PlayPreparesEveryPlayerThenTheWaitStartsThemOnce) {
  AllKinds();
  engine.play.askBeforeStart = 1;
  Play(0, 2000);
  EXPECT_EQ(log(), (Log{"video.play", "audio.prepare", "midi.prepare", "wait", "video.run", "audio.resume",
                        "midi.start"}));
  EXPECT_EQ(fakes.wait.kind, 1);
  EXPECT_TRUE(engine.playing);
  EXPECT_FALSE(engine.prepared);
  EXPECT_EQ(engine.play.parts, kKindVideo | kKindAudio | kKindMidi);
  EXPECT_TRUE(engine.play.timerOn);
  EXPECT_TRUE(playView.playCursor);
  EXPECT_EQ(players.mixer, std::vector<Notice>{});  // the test's own players stay unused
  EXPECT_EQ(fakes.mixer, (std::vector<Notice>{{9, 0}}));
  EXPECT_EQ(fakes.dialogs, (std::vector<Notice>{{9, 0}}));
  // Every player got the same range; the picture at its start was shown.
  EXPECT_EQ(fakes.videoPlayer.playStart, 0);
  EXPECT_EQ(fakes.videoPlayer.playEnd, 2000);
  ASSERT_EQ(fakes.audioEngine.prepares.size(), 1u);
  EXPECT_EQ(fakes.audioEngine.prepares[0].start, 0);
  EXPECT_EQ(fakes.audioEngine.prepares[0].end, 2000);
  EXPECT_EQ(fakes.audioEngine.prepares[0].films, FilmList.First());
  EXPECT_EQ(fakes.midiPlayer.preparedEnd, 2000);
  EXPECT_EQ(fakes.videoPlayer.shows, 1);
  EXPECT_EQ(playView.waitShown, (std::vector<bool>{true, false}));
}

TEST_F(PlayControlTest, TheWaitRunsOnlyWhenVideoTakesPartAndThePlayersStartInOrder) {
  struct Case {
    const char* name;
    bool video;
    int32_t ask;
    bool noWait;
    bool waits;
  } cases[] = {
      {"video, wait for a key", true, 1, false, true},
      {"video, GPI input 1", true, 3, false, true},
      {"no video", false, 1, false, false},
      {"start at once", true, 0, false, false},
      {"a replay never waits", true, 1, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FilmList.Clear();
    fakes.log.clear();
    if (c.video) VideoAt(0, 0, 2000);
    AudioFilm(0, 0, 2000);
    MidiFilm(0, 2000);
    engine.play.askBeforeStart = c.ask;
    engine.play.loopsRemaining = 1;
    engine.StartPlayRange(0, 2000, c.noWait, false);
    ASSERT_TRUE(engine.playing);
    EXPECT_EQ(Count("wait"), c.waits ? 1 : 0);
    EXPECT_EQ(Count("audio.resume"), 1);
    EXPECT_EQ(Count("midi.start"), 1);
    EXPECT_EQ(Count("video.run"), c.video ? 1 : 0);
    if (c.video) EXPECT_LT(At("video.run"), At("audio.resume"));
    EXPECT_LT(At("audio.resume"), At("midi.start"));
    engine.CmStop();
    Pump();
    ASSERT_FALSE(engine.playing);
  }
}

TEST_F(PlayControlTest, LoopCountThreePlaysThreeTimesAndTheFrameHearsOfEveryStop) {
  AllKinds();
  engine.play.loopCount = 3;
  engine.play.askBeforeStart = 1;
  Play(0, 2000);
  ASSERT_TRUE(engine.playing);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    fakes.log.clear();
    PlayersEnd();
    // The replay is posted before the frame's request and so handled first.
    ASSERT_EQ(playView.posted.size(), round < 3 ? 2u : 1u);
    EXPECT_EQ(playView.posted.back().request, kFrameRequestPlayEnded);
    Pump();
    if (round < 3) {
      EXPECT_EQ(log().back(), "frame.11.playing");
      EXPECT_EQ(Count("replay"), 1);
      EXPECT_LT(At("replay"), At("frame.11.playing"));
      EXPECT_EQ(Count("video.play"), 1);  // prepared again
      EXPECT_EQ(Count("wait"), 0);        // without the wait
      EXPECT_EQ(engine.play.rangeStart, 0);
      EXPECT_EQ(engine.play.rangeEnd, 2000);
    } else {
      EXPECT_EQ(log().back(), "frame.11.stopped");
      EXPECT_EQ(Count("replay"), 0);
    }
  }
  EXPECT_FALSE(engine.playing);
  EXPECT_EQ(engine.play.rangeStart, 0);
  EXPECT_EQ(engine.play.rangeEnd, 0);
  EXPECT_EQ(fakes.mixer.back(), (Notice{10, 0}));
  EXPECT_EQ(std::count(fakes.mixer.begin(), fakes.mixer.end(), Notice{9, 0}), 3);
}

TEST_F(PlayControlTest, ARefusedVideoStillPlaysTheAudioAndTheCursorFollowsIt) {
  VideoAt(0, 0, 2000);
  AudioFilm(0, 0, 2000);
  fakes.videoPlayer.accept = false;
  fakes.audioEngine.position = 1234;
  engine.play.askBeforeStart = 1;
  Play(0, 2000);
  ASSERT_TRUE(engine.playing);
  EXPECT_EQ(engine.play.parts, kKindAudio);
  EXPECT_TRUE(engine.play.segments.Empty());
  EXPECT_EQ(Count("wait"), 0);
  EXPECT_EQ(Count("video.run"), 0);
  EXPECT_EQ(Count("audio.resume"), 1);
  EXPECT_EQ(engine.play.startPosition, 1234);
}

TEST_F(PlayControlTest, TheStartPositionIsTheMasterPlayers) {
  VideoAt(0, 0, 4000);
  AudioFilm(0, 0, 4000);
  fakes.videoPlayer.sub.frame = 10;
  fakes.audioEngine.position = 999;
  Play(1000, 4000);
  ASSERT_TRUE(engine.playing);
  // Video leads: its base frame (25) plus the frames shown (10).
  EXPECT_EQ(engine.play.startPosition, 1400);
}

TEST_F(PlayControlTest, ACancelledWaitStopsWithNoReplay) {
  AllKinds();
  engine.play.loopCount = 3;
  engine.play.askBeforeStart = 2;
  fakes.wait.answer = false;
  Play(0, 2000);
  EXPECT_FALSE(engine.playing);
  EXPECT_FALSE(engine.prepared);
  EXPECT_EQ(Count("audio.resume"), 0);
  EXPECT_EQ(Count("audio.stop"), 1);
  EXPECT_EQ(Count("midi.stop"), 1);
  EXPECT_EQ(Count("video.stop"), 1);
  EXPECT_EQ(Count("vtr.stop"), 1);
  EXPECT_TRUE(engine.play.segments.Empty());
  EXPECT_EQ(engine.play.rangeEnd, 0);
  fakes.log.clear();
  Pump();
  EXPECT_EQ(log(), (Log{"frame.11.stopped"}));
  EXPECT_EQ(fakes.mixer, (std::vector<Notice>{{9, 0}, {10, 0}}));
}

TEST_F(PlayControlTest, MutedAudioAloneGivesOnlyTheFrameNotice) {
  AudioFilm(0, 0, 2000);
  engine.audioPanel[0].mute = 1;
  engine.play.loopCount = 2;
  Play(0, 2000);
  EXPECT_EQ(engine.PrepareRange(0, 2000, false), 0);
  EXPECT_FALSE(engine.playing);
  // Nothing was prepared, so nothing was stopped either.
  EXPECT_EQ(Count("audio.prepare") + Count("audio.stop") + Count("midi.stop") + Count("video.stop"), 0);
  EXPECT_TRUE(fakes.mixer.empty());
  fakes.log.clear();
  Pump();
  EXPECT_EQ(log(), (Log{"frame.11.stopped"}));
}

TEST_F(PlayControlTest, FromCursorStartsAtTheCursorUnlessItIsNearTheEnd) {
  struct Case {
    int32_t cursor, playFrom;
  } cases[] = {{1000, 1000}, {1899, 1899}, {1900, 0}, {1950, 0}, {2500, 0}};
  AudioFilm(0, 0, 2000);
  for (const Case& c : cases) {
    engine.SetPlayCursor(c.cursor, false);
    fakes.audioEngine.prepares.clear();
    engine.play.loopsRemaining = 1;
    engine.StartPlayRange(0, 2000, false, true);
    ASSERT_EQ(fakes.audioEngine.prepares.size(), 1u) << c.cursor;
    EXPECT_EQ(fakes.audioEngine.prepares[0].start, c.playFrom) << c.cursor;
    EXPECT_EQ(engine.cursor, c.playFrom) << c.cursor;
    engine.CmStop();
  }
}

TEST_F(PlayControlTest, AfterPlayTheCursorReturnsUnlessPlayStartsFromIt) {
  AudioFilm(0, 0, 4000);
  for (bool fromCursor : {false, true}) {
    engine.play.startFromCursor = fromCursor;
    engine.SetPlayCursor(500, false);
    Play(1000, 4000);
    ASSERT_TRUE(engine.playing);
    EXPECT_EQ(engine.cursor, 1000);
    engine.SetPlayCursor(1800, false);  // the timer's last tick
    PlayersEnd();
    // Players that ran out stopped at the range's end.
    EXPECT_EQ(engine.cursor, fromCursor ? 4000 : 500) << fromCursor;
    EXPECT_FALSE(playView.playCursor);
  }
}

TEST_F(PlayControlTest, TheStopCommandEndsAtOnceWhenNoPlayerRuns) {
  AllKinds();
  engine.play.loopCount = 3;
  Play(0, 2000);
  ASSERT_TRUE(engine.playing);
  engine.CmStop();
  EXPECT_FALSE(engine.playing);
  EXPECT_EQ(playView.timerKills, 1);
  Pump();
  EXPECT_EQ(Count("replay"), 0);

  // A player still running leaves the end to the timer.
  engine.play.loopCount = 3;
  Play(0, 2000);
  fakes.midiPlayer.stopsAtOnce = false;
  engine.CmStop();
  EXPECT_TRUE(engine.playing);
  EXPECT_EQ(engine.play.loopsRemaining, 0);
  PlayersEnd();
  EXPECT_FALSE(engine.playing);
  Pump();
  EXPECT_EQ(Count("replay"), 0);
}

TEST_F(PlayControlTest, TheEndReportsSkippedFramesAndRepaintsAHiddenCursor) {
  VideoAt(0, 0, 2000);
  fakes.videoPlayer.reportSkipped = true;
  engine.hidePlaybackCursor = true;
  Play(0, 2000);
  ASSERT_TRUE(engine.playing);
  const int repaints = playView.allLines;
  PlayersEnd();
  EXPECT_EQ(Count("video.report"), 1);
  EXPECT_EQ(Count("video.finish"), 1);
  EXPECT_EQ(playView.allLines, repaints + 1);
}

TEST_F(PlayControlTest, ATimerThatCannotStartIsNotKilled) {
  AudioFilm(0, 0, 2000);
  playView.timerWorks = false;
  Play(0, 2000);
  ASSERT_TRUE(engine.playing);
  EXPECT_FALSE(engine.play.timerOn);
  PlayersEnd();
  EXPECT_EQ(playView.timerKills, 0);
}

TEST_F(PlayControlTest, APreparedRangeIsStartedByThePlayMessage) {
  AllKinds();
  engine.play.loopsRemaining = 1;
  const int32_t parts = engine.PrepareRange(0, 2000, false);
  ASSERT_EQ(parts, kKindVideo | kKindAudio | kKindMidi);
  EXPECT_TRUE(engine.prepared);
  EXPECT_EQ(Count("audio.resume"), 0);
  engine.play.askBeforeStart = 1;
  ASSERT_TRUE(engine.StartPrepared(parts, true));
  engine.BeginPlayMode(engine.play.rangeStart, engine.play.rangeEnd, parts, false);
  EXPECT_EQ(Count("wait"), 1);
  EXPECT_EQ(Count("audio.resume"), 1);
  EXPECT_TRUE(engine.playing);
  EXPECT_FALSE(engine.prepared);
}

TEST_F(PlayControlTest, PreparingAgainStopsThePlayersBeforeTheirSegmentsGo) {
  VideoAt(0, 0, 2000);
  AudioFilm(0, 0, 2000);
  ASSERT_NE(engine.PrepareRange(0, 2000, false), 0);
  fakes.log.clear();
  ASSERT_NE(engine.PrepareRange(0, 2000, false), 0);
  ASSERT_GE(At("video.stop"), 0);
  ASSERT_GE(At("audio.stop"), 0);
  EXPECT_LT(At("video.stop"), At("video.play"));
  EXPECT_LT(At("audio.stop"), At("video.play"));
  EXPECT_TRUE(engine.prepared);
}

}  // namespace
}  // namespace playtest
