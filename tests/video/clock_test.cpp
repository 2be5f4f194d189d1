// The play clock on the driven clock and a scripted audio engine: it
// follows the audio's output position, holds while the audio drains, runs
// on by itself when the audio stops or goes back, and after a stop makes
// every frame due.
#include <gtest/gtest.h>

#include "player_fixture.h"

namespace playertest {
namespace {

class ClockPlayer : public AviSubPlayer {
 public:
  void ReleaseCodec() override {}
  int32_t InitOutput(AVIVideoData*, bool) override { return 0; }
  int32_t DisplayBody() override { return 0; }
  bool Synchronised() const { return synchronised; }
};

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { hooks.audio = &audio; }
  TestClock clock;
  ScriptedAudio audio;
  RecordingPlayerHooks hooks;
  ClockPlayer player;
};

TEST_F(ClockTest, FollowsTheAudioWhilePlaying) {
  audio.position = 1000;
  audio.state = 3;
  player.StartClock();
  EXPECT_TRUE(player.Synchronised());
  EXPECT_EQ(player.Elapsed(), 0);
  // The audio is 10 ms ahead of the system clock: the video goes with it.
  clock.Advance(30);
  audio.position = 1040;
  EXPECT_EQ(player.Elapsed(), 40);
  // A position that did not move while playing holds the clock there.
  clock.Advance(20);
  EXPECT_EQ(player.Elapsed(), 40);
  audio.position = 1065;
  EXPECT_EQ(player.Elapsed(), 65);
  player.StopClock();
}

TEST_F(ClockTest, HoldsWhileTheAudioDrainsThenRunsFree) {
  audio.position = 0;
  audio.state = 3;
  player.StartClock();
  clock.Advance(100);
  audio.position = 100;
  EXPECT_EQ(player.Elapsed(), 100);
  audio.state = 7;
  clock.Advance(9999);
  EXPECT_EQ(player.Elapsed(), 100);
  EXPECT_TRUE(player.Synchronised());
  clock.Advance(1);
  // Ten seconds without a move: the video runs on by itself.
  EXPECT_EQ(player.Elapsed(), 101);
  EXPECT_FALSE(player.Synchronised());
  clock.Advance(50);
  EXPECT_EQ(player.Elapsed(), 151);
  player.StopClock();
}

TEST_F(ClockTest, ShiftsWhenTheAudioGoesBackAndGivesUpWithoutIt) {
  audio.position = 5000;
  audio.state = 3;
  player.StartClock();
  clock.Advance(200);
  audio.position = 5200;
  EXPECT_EQ(player.Elapsed(), 200);
  // A loop starts the audio again: the video runs on from where it stands.
  clock.Advance(40);
  audio.position = 1000;
  EXPECT_EQ(player.Elapsed(), 240);
  clock.Advance(40);
  audio.position = 1040;
  EXPECT_EQ(player.Elapsed(), 280);
  // The audio ends: the video goes on alone.
  audio.position = -1;
  clock.Advance(40);
  EXPECT_EQ(player.Elapsed(), 320);
  EXPECT_FALSE(player.Synchronised());
  audio.position = 9000;
  clock.Advance(40);
  EXPECT_EQ(player.Elapsed(), 360);
  player.StopClock();
}

TEST_F(ClockTest, StoppedStateOrNoAudioRunsOnTheSystemClock) {
  for (int32_t state : {1, 2, 4}) {
    SCOPED_TRACE(state);
    audio.position = 300;
    audio.state = state;
    player.StartClock();
    clock.Advance(25);
    EXPECT_EQ(player.Elapsed(), 25);
    EXPECT_FALSE(player.Synchronised());
    player.StopClock();
  }
  audio.position = -1;
  player.StartClock();
  EXPECT_FALSE(player.Synchronised());
  player.StopClock();
  VideoPlayer::synchronize = false;
  audio.position = 300;
  audio.state = 3;
  player.StartClock();
  EXPECT_FALSE(player.Synchronised());
  player.StopClock();
  VideoPlayer::synchronize = true;
}

TEST_F(ClockTest, AfterAStopEveryFrameIsDue) {
  player.StartClock();
  clock.Advance(10);
  player.StopClock();
  EXPECT_GE(player.Elapsed(), 86400000);
}

TEST_F(ClockTest, DifferencesWrapAroundTheMillisecondCounter) {
  clock.Advance(static_cast<DWORD>(0xFFFFFFFFu - clock.Now() - 9));
  audio.position = 0;
  audio.state = 3;
  player.StartClock();
  clock.Advance(30);
  EXPECT_LT(clock.Now(), 100u);
  audio.position = 30;
  EXPECT_EQ(player.Elapsed(), 30);
  audio.position = -1;
  clock.Advance(30);
  EXPECT_EQ(player.Elapsed(), 60);
  player.StopClock();
  EXPECT_GE(player.Elapsed(), 86400000);
}

}  // namespace
}  // namespace playertest
