// Play, Stop, the loops, the play timer, Rewind and Play to VTR with the fake
// players: what is played, in which order the players are asked, and when
// the play ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/audio_player.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "platform/audio/midi.h"
#include "platform/audio/virtual_audio.h"
#include "transport_fixture.h"
#include "ui/dialog_script.h"

namespace transporttest {
namespace {

using ::testing::ElementsAre;

class PlayTest : public TransportTest {
 protected:
  // Ends the running play as its players would: the pictures ran out (the
  // timer sees it), the sound device has closed.
  void PlayersRunOut() {
    players_.videoPlayer.sub.state = 4;
    players_.audioEngine.state = 1;
    players_.midiPlayer.state = 1;
    Tick();
    window_->PostMessage(MM_WOM_CLOSE, 0, 0);
    Pump();
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(players_.log.begin(), players_.log.end(), entry));
  }
  // The range the sound was last prepared for.
  std::pair<int32_t, int32_t> Prepared() const {
    const auto& p = players_.audioEngine.prepares;
    return p.empty() ? std::make_pair(-1, -1) : std::make_pair(p.back().start, p.back().end);
  }
};

TEST_F(PlayTest, PlayTakesTheSelectionElseTheActiveClipsCutToTheView) {
  Ini("TIMELINE", "START_FROM_CURSOR", "0");
  OpenTransport();
  Engine().SetLength(60000);
  Engine().ZoomToRange(0, 10000);
  const int32_t viewEnd = Engine().PixelToPos(Engine().width);
  ASSERT_LT(viewEnd, 30000);

  struct Case {
    const char* what;
    int32_t selStart, selEnd;
    bool muted, realtimeMute;
    int32_t start, end;
  } cases[] = {
      {"the selection", 1500, 6000, false, true, 1500, 6000},
      {"clips beyond the view", 0, 0, false, true, 1000, viewEnd},
      {"real-time mute: the muted line counts", 0, 0, true, true, 1000, viewEnd},
      {"no real-time mute: only the audible line", 0, 0, true, false, 1000, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    SoundClip(0, 1000, 2000);
    SoundClip(1, 5000, 30000);
    Engine().audioPanel[1].mute = c.muted ? 1 : 0;
    Engine().play.realtimeMute = c.realtimeMute;
    Engine().SetMarkRange(c.selStart, c.selEnd);
    Command(kCmPlay);
    ASSERT_TRUE(Engine().playing);
    EXPECT_EQ(Engine().play.rangeStart, c.start);
    EXPECT_EQ(Engine().play.rangeEnd, c.end);
    EXPECT_EQ(Prepared(), std::make_pair(c.start, c.end));
    Command(kCmStop);
    Pump();
    ASSERT_FALSE(Engine().playing);
  }
}

// No clip on the active lines: nothing is prepared, nothing ends, the
// cursor and the loops stay.
TEST_F(PlayTest, WithoutClipsOnTheActiveLinesPlayChangesNothing) {
  Ini("TIMELINE", "REALTIME_MUTE", "0");
  OpenTransport();
  SoundClip(2, 1000, 2000);
  Engine().audioPanel[2].mute = 1;
  Engine().SetPlayCursor(500, false);
  Engine().play.loopsRemaining = 7;
  EXPECT_FALSE(Enabled(kCmPlay));
  Command(kCmPlay);
  Pump();
  EXPECT_FALSE(Engine().playing);
  EXPECT_FALSE(Engine().prepared);
  EXPECT_TRUE(players_.log.empty());
  EXPECT_TRUE(Frame().requests.empty());
  EXPECT_EQ(Engine().cursor, 500);
  EXPECT_EQ(Engine().play.loopsRemaining, 7);
}

// Play's item counts every audio line, muted or not, only while muting can
// change during the play: real-time mute on and the sound not played
// through the file.
TEST_F(PlayTest, TheMenuCountsMutedLinesOnlyWhenRealTimeMuteCanAct) {
  OpenTransport();
  SoundClip(1, 1000, 2000);
  Engine().audioPanel[1].mute = 1;
  struct Case {
    bool realtimeMute, throughFile, enabled;
  } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}, {false, true, false}};
  for (const Case& c : cases) {
    Engine().play.realtimeMute = c.realtimeMute;
    Engine().play.audioThroughFile = c.throughFile;
    EXPECT_EQ(Enabled(kCmPlay), c.enabled) << c.realtimeMute << c.throughFile;
  }
  Engine().audioPanel[1].mute = 0;
  Engine().playing = true;
  EXPECT_FALSE(Enabled(kCmPlay));
  Engine().playing = false;
  Engine().EnableCommands(false);
  EXPECT_FALSE(Enabled(kCmPlay));
}

// LOOP_COUNT 3: three plays, the wait only before the first, the repeats
// from the range's start; the frame hears of every end. Stop in the second
// play of another series ends it.
TEST_F(PlayTest, LoopsReplayFromTheRangeStartWithoutAWaitUntilStopped) {
  Ini("TIMELINE", "LOOP_COUNT", "3");
  Ini("TIMELINE", "ASK_BEFORE_START", "1");
  OpenTransport();
  VideoClip(0, 1000, 3000);
  SoundClip(0, 1000, 3000);
  Engine().SetPlayCursor(2000, false);

  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  EXPECT_EQ(Prepared(), std::make_pair(2000, 3000));  // from the cursor
  EXPECT_EQ(players_.wait.kind, 1);
  for (int play = 2; play <= 3; ++play) {
    PlayersRunOut();
    ASSERT_TRUE(Engine().playing) << play;
    EXPECT_EQ(Prepared(), std::make_pair(1000, 3000)) << play;
  }
  PlayersRunOut();
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Count("wait"), 1);
  EXPECT_EQ(Count("video.run"), 3);
  EXPECT_EQ(Count("audio.resume"), 3);
  EXPECT_EQ(Frame().requests, (std::vector<int>{11, 11, 11}));
  EXPECT_EQ(Engine().play.rangeStart, 0);
  EXPECT_EQ(Engine().play.rangeEnd, 0);

  players_.log.clear();
  Frame().requests.clear();
  Command(kCmPlay);
  PlayersRunOut();
  ASSERT_TRUE(Engine().playing);
  Command(kCmStop);
  Pump();
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Count("video.run"), 2);
  EXPECT_EQ(Frame().requests, (std::vector<int>{11, 11}));
}

// The play timer reads the video state: running moves the cursor; ended
// pictures wait for sound that still plays; ended, unheld or failed ones
// stop every player.
TEST_F(PlayTest, TheTimerFollowsTheVideoStateAndStopsWhenThePicturesEnd) {
  OpenTransport();
  VideoClip(0, 0, 4000);
  SoundClip(0, 0, 4000);
  struct Case {
    const char* what;
    int32_t videoState, audioState, useCount;
    bool playsOn;
  } cases[] = {
      {"pictures run", 3, 3, 1, true},
      {"pictures ended, sound plays", 4, 3, 1, true},
      {"pictures ended, sound drains", 4, 7, 1, true},
      {"pictures and sound ended", 4, 1, 1, false},
      {"no video held", 3, 3, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    players_.videoPlayer.useCount = 1;
    Engine().SetPlayCursor(0, false);
    Command(kCmPlay);
    ASSERT_TRUE(Engine().playing);
    players_.videoPlayer.sub.frame = 25;
    players_.videoPlayer.sub.state = c.videoState;
    players_.audioEngine.state = c.audioState;
    players_.videoPlayer.useCount = c.useCount;
    players_.log.clear();
    Tick();
    EXPECT_EQ(Engine().playing, c.playsOn);
    EXPECT_EQ(LogOf("audio.stop").empty(), c.playsOn);
    if (c.videoState == 3 && c.useCount > 0) {
      EXPECT_EQ(Engine().cursor, 1000);
    }
    Command(kCmStop);
    Pump();
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PlayTest, AFailedVideoReadStopsEverythingForGoodAndSaysWhen) {
  Ini("TIMELINE", "LOOP_COUNT", "3");
  OpenTransport();
  VideoClip(0, 0, 4000);
  SoundClip(0, 0, 4000);
  MidiClip(0, 4000);
  Engine().showMidi = true;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  ASSERT_EQ(Engine().play.parts, kKindVideo | kKindAudio | kKindMidi);
  players_.videoPlayer.sub.frame = 50;
  players_.videoPlayer.sub.state = 5;
  players_.log.clear();
  Tick();
  EXPECT_FALSE(Engine().playing);
  for (const char* entry : {"video.stop", "audio.stop", "midi.stop", "vtr.stop"})
    EXPECT_GE(Count(entry), 1) << entry;
  EXPECT_TRUE(LogOf("video.play").empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Video Playback");
  EXPECT_EQ(boxes.boxes[0].text, std::string("Playback fatal stop at time ") + MsToShortTimeCode(2000, TRUE) +
                                     "\nCan not read data from file");
  EXPECT_EQ(Frame().requests, std::vector<int>{11});
}

// The sound's position may start again from 0 (the engine's counter): the
// cursor keeps rising with the clock and stays in the range.
TEST_F(PlayTest, WithSoundAloneTheCursorFollowsThePositionAcrossItsRestart) {
  Ini("TIMELINE", "START_FROM_CURSOR", "0");
  OpenTransport();
  SoundClip(0, 0, 5000);
  TestClock clock;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  ASSERT_EQ(Engine().play.rangeEnd, 5000);
  std::vector<int32_t> cursors;
  for (int32_t position : {900, 1000, 0, 200}) {
    clock.Advance(100);
    players_.audioEngine.position = position;
    Tick();
    cursors.push_back(Engine().cursor);
  }
  EXPECT_THAT(cursors, ElementsAre(900, 1000, 1100, 1300));
  // Past the range's end the correction folds back by the range.
  players_.audioEngine.position = 4000;
  Tick();
  EXPECT_EQ(Engine().cursor, 100);
}

TEST_F(PlayTest, WithMidiAloneTheCursorFollowsTheMidiPosition) {
  OpenTransport();
  MidiClip(0, 5000);
  Engine().showMidi = true;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  ASSERT_EQ(Engine().play.parts, kKindMidi);
  players_.midiPlayer.position = 2345;
  Tick();
  EXPECT_EQ(Engine().cursor, 2345);
  players_.midiPlayer.position = -1;  // the stream just went
  Tick();
  EXPECT_EQ(Engine().cursor, 2345);
  window_->SendMessage(MM_MOM_DONE, 0, 0);
  EXPECT_EQ(players_.midiPlayer.buffersDone, 1);
}

// The end comes with the last player's report: the sound device's close,
// the MIDI player's message 101.
TEST_F(PlayTest, ThePlayEndsWhenTheLastPlayerReports) {
  OpenTransport();
  SoundClip(0, 0, 5000);
  MidiClip(0, 5000);
  Engine().showMidi = true;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  players_.audioEngine.state = 1;
  window_->PostMessage(MM_WOM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(Engine().playing);
  players_.midiPlayer.state = 1;
  window_->PostMessage(101, 0, 0);
  Pump();
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Frame().requests, std::vector<int>{11});
  // A late notice finds nothing to end.
  window_->PostMessage(MM_WOM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(Frame().requests, std::vector<int>{11});
}

// Playing from the cursor, the cursor stays where the play stopped: at the
// range's end when the players ran out, however late the timer's last tick
// came, so that the next play starts the range anew; where it was stopped
// otherwise, and the next play goes on from there.
TEST_F(PlayTest, APlayThatRanOutLeavesTheCursorAtTheRangeEndAStopWhereItStopped) {
  OpenTransport();
  VideoClip(0, 0, 4000);
  SoundClip(0, 0, 4000);
  ASSERT_TRUE(Engine().play.startFromCursor);
  enum End { kRanOut, kStopped, kReadFailed };
  const struct {
    const char* what;
    bool pictures;
    End end;
    int32_t cursor;     // after the play
    int32_t nextStart;  // of the next play
  } cases[] = {
      {"sound alone, ran out", false, kRanOut, 4000, 0},
      {"pictures and sound, ran out", true, kRanOut, 4000, 0},
      {"sound alone, stopped", false, kStopped, 1000, 1000},
      {"pictures and sound, stopped", true, kStopped, 1000, 1000},
      {"pictures that could not be read", true, kReadFailed, 1000, 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Engine().showVideo = c.pictures;
    Engine().SetPlayCursor(0, false);
    players_.audioEngine.position = 0;
    Command(kCmPlay);
    ASSERT_TRUE(Engine().playing);
    ASSERT_EQ(Engine().play.parts & kKindVideo, c.pictures ? kKindVideo : 0);
    // The last tick the play saw: a second in.
    players_.videoPlayer.sub.frame = 25;
    players_.audioEngine.position = 1000;
    Tick();
    ASSERT_EQ(Engine().cursor, 1000);
    if (c.end == kRanOut) {
      PlayersRunOut();
    } else if (c.end == kStopped) {
      Command(kCmStop);
      Pump();
    } else {
      players_.videoPlayer.sub.state = 5;
      Tick();
      ASSERT_EQ(boxes.boxes.size(), 1u);
      boxes.boxes.clear();
    }
    ASSERT_FALSE(Engine().playing);
    EXPECT_EQ(Engine().cursor, c.cursor);
    Command(kCmPlay);
    ASSERT_TRUE(Engine().playing);
    EXPECT_EQ(Prepared(), std::make_pair(c.nextStart, 4000));
    Command(kCmStop);
    Pump();
  }
  Engine().showVideo = true;
}

TEST_F(PlayTest, SpaceAndEnterPlayAndStopEscapeStops) {
  OpenTransport();
  SoundClip(0, 0, 5000);
  window_->SetFocus();
  Press(VK_SPACE);
  EXPECT_TRUE(Engine().playing);
  Press(VK_SPACE);
  EXPECT_FALSE(Engine().playing);
  Press(VK_RETURN);
  EXPECT_TRUE(Engine().playing);
  Press(VK_ESCAPE);
  EXPECT_FALSE(Engine().playing);
}

// PlayOnce plays one range once, from its start.
TEST_F(PlayTest, PlayOncePlaysTheRangeOnceFromItsStart) {
  Ini("TIMELINE", "LOOP_COUNT", "4");
  OpenTransport();
  SoundClip(0, 0, 5000);
  Engine().SetPlayCursor(3000, false);
  window_->PlayOnce(1000, 2000);
  ASSERT_TRUE(Engine().playing);
  EXPECT_EQ(Prepared(), std::make_pair(1000, 2000));
  EXPECT_EQ(Engine().cursor, 1000);
  PlayersRunOut();
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Count("audio.prepare"), 1);
  window_->PlayOnce(2000, 2000);
  EXPECT_FALSE(Engine().playing);
}

// Rewind goes to the range texts' start; while playing it stops there even
// when the play would leave the cursor where it stopped.
TEST_F(PlayTest, RewindWhilePlayingEndsAtTheRewindPoint) {
  OpenTransport();
  SoundClip(0, 0, 8000);
  Engine().SetMarkRange(2000, 6000);
  Engine().SetPlayCursor(4000, false);
  EXPECT_TRUE(Enabled(kCmRewind));
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  ASSERT_TRUE(Engine().play.startFromCursor);
  players_.audioEngine.position = 5000;
  Tick();
  ASSERT_EQ(Engine().cursor, 5000);
  Press(VK_HOME);
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Engine().cursor, 2000);
  EXPECT_FALSE(Enabled(kCmRewind));

  Engine().SetPlayCursor(3000, false);
  Press('W');
  EXPECT_EQ(Engine().cursor, 2000);
}

TEST_F(PlayTest, PlayToVtrCuesTheDeckAndPlaysOnceWithoutAWait) {
  Ini("TIMELINE", "LOOP_COUNT", "3");
  Ini("TIMELINE", "ASK_BEFORE_START", "1");
  OpenTransport();
  VideoClip(0, 1000, 3000);
  Engine().SetMarkRange(1010, 2990);
  EXPECT_TRUE(Enabled(kCmPlayToVtr));
  players_.vtr.connected = false;
  EXPECT_FALSE(Enabled(kCmPlayToVtr));
  players_.vtr.connected = true;

  players_.vtr.cueResult = 21;
  Command(kCmPlayToVtr);
  Pump();
  EXPECT_FALSE(Engine().playing);
  EXPECT_FALSE(Engine().prepared);
  EXPECT_TRUE(LogOf("video.run").empty());
  EXPECT_EQ(Frame().requests, std::vector<int>{11});

  players_.log.clear();
  players_.vtr.cueResult = 0;
  Command(kCmPlayToVtr);
  ASSERT_TRUE(Engine().playing);
  EXPECT_EQ(LogOf("vtr.cue"), std::vector<std::string>{"vtr.cue 1000-3000"});
  EXPECT_EQ(LogOf("wait").size(), 0u);
  EXPECT_EQ(LogOf("video.run").size(), 1u);
  EXPECT_EQ(Engine().play.loopsRemaining, 1);
  EXPECT_FALSE(Enabled(kCmPlayToVtr));

  players_.tapeThere = false;
  Command(kCmStop);
  Pump();
  Command(kCmPlayToVtr);
  EXPECT_FALSE(Engine().playing);
}

// The deck's setup dialog edits the tape's settings, only while stopped.
TEST_F(PlayTest, TheTapeSetupRunsOnlyWhileStopped) {
  OpenTransport();
  SoundClip(0, 0, 5000);
  std::string caption;
  dialogtest::ModalScript script({[&](HWND d) {
    caption = dialogtest::Text(d);
    dialogtest::Click(d, IDOK);
  }});
  Command(kCmVtrSetup);
  EXPECT_EQ(caption, "VTR Setup");
  EXPECT_EQ(Count("vtr.settings"), 1);
  Command(kCmPlay);
  Command(kCmVtrSetup);
  EXPECT_EQ(script.shown, 1);
}

// The volume-control server's mixer: its window for the engine's output
// device, then the mixer itself.
class FakeMixerServer : public VolumeServer {
 public:
  LONG Start(LONG) override { return 0; }
  void Stop() override {}
  void ShowForDevice(LONG device, LONG flag) override {
    calls.push_back("device " + std::to_string(device) + " " + std::to_string(flag));
  }
  void ShowMixer() override { calls.push_back("mixer"); }
  std::vector<std::string> calls;
};

TEST_F(PlayTest, ShowMixerAsksTheVolumeServerWhenThereIsOne) {
  OpenTransport();
  EXPECT_FALSE(Enabled(kCmShowMixer));
  FakeMixerServer server;
  TheMixerServer = &server;
  VirtualAudio::Reset();
  AudioPlayer engine;
  engine.WaveOutId = 3;
  TheAudioPlayer = &engine;
  EXPECT_TRUE(Enabled(kCmShowMixer));
  Press(VK_F8);
  TheAudioPlayer = nullptr;
  TheMixerServer = nullptr;
  EXPECT_THAT(server.calls, ElementsAre("device 3 0", "mixer"));
}

}  // namespace
}  // namespace transporttest
