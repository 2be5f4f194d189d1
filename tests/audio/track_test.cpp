// The gain profiles of a line's current clip.
#include <gtest/gtest.h>

#include "audio/audio_player.h"
#include "engine_fixture.h"
#include "model/film.h"

namespace {

class TrackTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(44100, 2, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    const ProfilePoint volume[] = {{0, 512}, {1000, 2047}};
    const ProfilePoint balance[] = {{0, -128}, {1000, 128}};
    ASSERT_TRUE(film_.volumePoints.Assign(volume, 2));
    ASSERT_TRUE(film_.balancePoints.Assign(balance, 2));
    film_.volume = 2047;
  }
  std::unique_ptr<AudioPlayer> engine_;
  Film film_;
};

TEST_F(TrackTest, BuildsFromTheClipAtTheOutputRateOnce) {
  TTrack& track = engine_->Track(0);
  track.film = &film_;
  track.gain = 1.0f;
  ASSERT_TRUE(track.BuildStereoProfile());
  ASSERT_EQ(track.points, 3);
  EXPECT_EQ(track.profile[1].position, 22050);  // the centre crossing
  EXPECT_FLOAT_EQ(track.profile[2].right, 8.0f);
  // Points exist: a second call changes nothing, even for another clip.
  film_.volume = 512;
  ASSERT_TRUE(track.BuildMonoProfile());
  EXPECT_EQ(track.points, 3);
  EXPECT_FLOAT_EQ(track.profile[2].right, 8.0f);

  std::vector<FVolumeProfile> list;
  track.BuildVolumePoints(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_FLOAT_EQ(list[0].gain, 1.0f);
  EXPECT_EQ(list[1].ms, 1000);
}

TEST_F(TrackTest, AMutedLineBuildsNothingForPlayingButAllForMeasuring) {
  TTrack& track = engine_->Track(1);
  track.film = &film_;
  track.gain = 0.0f;
  track.points = 2;  // even with points the muted test comes first
  EXPECT_FALSE(track.BuildMonoProfile());
  EXPECT_EQ(track.points, 0);
  EXPECT_FALSE(track.BuildStereoProfile());
  ASSERT_TRUE(track.BuildMonoProfileUnclamped());
  ASSERT_EQ(track.points, 2);
  EXPECT_NEAR(track.profile[1].left, 2047.0 * 2047.0 / 512 / 512, 1e-4);
  EXPECT_EQ(track.profile[1].position, 44100);
  track.points = 0;
  ASSERT_TRUE(track.BuildStereoProfileUnclamped());
  EXPECT_NEAR(track.profile[2].right, 1.5 * 2047.0 * 2047.0 / 512 / 512, 1e-3);
}

}  // namespace
