#include "audio/gain_profile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Point {
  int32_t time;
  int32_t value;
};

std::vector<SVolumeProfile> Stereo(const std::vector<Point>& v, const std::vector<Point>& b,
                                   bool clamp = true, int32_t clipVolume = 512, int32_t clipBalance = 0,
                                   DWORD rate = 1000) {
  std::vector<FVolumeProfile> list;
  BuildVolumeList(v.data(), int32_t(v.size()), clipVolume, list);
  std::vector<SVolumeProfile> out;
  BuildStereoGains(list, b.data(), int32_t(b.size()), clipBalance, rate, clamp, out);
  return out;
}

std::vector<SVolumeProfile> Mono(const std::vector<Point>& v, bool clamp = true, int32_t clipVolume = 512,
                                 DWORD rate = 1000) {
  std::vector<SVolumeProfile> out;
  BuildMonoGains(v.data(), int32_t(v.size()), clipVolume, rate, clamp, out);
  return out;
}

void ExpectPoint(const SVolumeProfile& p, float left, float right, LONGLONG position) {
  EXPECT_NEAR(p.left, left, 1e-5);
  EXPECT_NEAR(p.right, right, 1e-5);
  EXPECT_EQ(p.position, position);
}

TEST(GainProfile, FlatCentredClipGivesUnityAtBothEnds) {
  auto p = Stereo({{0, 512}, {1000, 512}}, {{0, 0}, {1000, 0}});
  ASSERT_EQ(p.size(), 2u);
  ExpectPoint(p[0], 1.0f, 1.0f, 0);
  ExpectPoint(p[1], 1.0f, 1.0f, 1000);
}

TEST(GainProfile, BalanceCrossingTheCentreGetsACentrePoint) {
  auto p = Stereo({{0, 512}, {1000, 512}}, {{0, -128}, {1000, 128}}, true, 512, 0, 44100);
  ASSERT_EQ(p.size(), 3u);
  ExpectPoint(p[0], 1.5f, 0.5f, 0);
  ExpectPoint(p[1], 1.0f, 1.0f, 22050);
  ExpectPoint(p[2], 0.5f, 1.5f, 44100);
}

TEST(GainProfile, GainsAreLimitedOnlyByThePlayingBuilders) {
  auto clamped = Mono({{0, 2047}, {10, 512}}, true, 2047);
  auto raw = Mono({{0, 2047}, {10, 512}}, false, 2047);
  ASSERT_EQ(clamped.size(), 2u);
  EXPECT_FLOAT_EQ(clamped[0].left, 8.0f);
  EXPECT_NEAR(raw[0].left, 2047.0 * 2047.0 / 512.0 / 512.0, 1e-4);  // 15.98...
  EXPECT_NEAR(clamped[1].left, 2047.0 / 512.0, 1e-5);
  EXPECT_EQ(clamped[0].right, 0.0f);

  auto stereoClamped = Stereo({{0, 2047}, {10, 2047}}, {{0, 0}, {10, 0}}, true, 2047);
  auto stereoRaw = Stereo({{0, 2047}, {10, 2047}}, {{0, 0}, {10, 0}}, false, 2047);
  EXPECT_FLOAT_EQ(stereoClamped[0].left, 8.0f);
  EXPECT_FLOAT_EQ(stereoClamped[1].right, 8.0f);
  EXPECT_NEAR(stereoRaw[0].left, 15.98, 0.01);
}

TEST(GainProfile, PointsOfEitherEnvelopeAreMergedWithTheOtherInterpolated) {
  // Volume falls from 1 to 0 over 1000 ms; balance goes hard left at 500 ms
  // and back to the centre at 1000 ms.
  auto p = Stereo({{0, 512}, {1000, 0}}, {{0, 0}, {500, -256}, {1000, 0}});
  ASSERT_EQ(p.size(), 3u);
  ExpectPoint(p[0], 1.0f, 1.0f, 0);
  ExpectPoint(p[1], 1.0f, 0.0f, 500);  // volume 0.5 there, all on the left
  ExpectPoint(p[2], 0.0f, 0.0f, 1000);

  // A volume point between two balance points takes the interpolated pan.
  auto q = Stereo({{0, 512}, {250, 1024}, {1000, 512}}, {{0, 0}, {1000, 256}});
  ASSERT_EQ(q.size(), 3u);
  ExpectPoint(q[1], 2.0f * 0.75f, 2.0f * 1.25f, 250);
  ExpectPoint(q[2], 0.0f, 2.0f, 1000);
}

TEST(GainProfile, ClipBalanceAddsToThePointsAndIsLimited) {
  auto p = Stereo({{0, 512}, {100, 512}}, {{0, 200}, {100, 200}}, true, 512, 200);
  ExpectPoint(p[0], 0.0f, 2.0f, 0);
}

TEST(GainProfile, MissingBalancePointsMeanTheClipBalance) {
  auto p = Stereo({{0, 512}, {100, 512}}, {}, true, 512, -128);
  ASSERT_EQ(p.size(), 1u);
  ExpectPoint(p[0], 1.5f, 0.5f, 0);
  EXPECT_TRUE(Stereo({}, {{0, 0}}).empty());
}

TEST(GainProfile, PositionsOfADayLongSourceDoNotWrap) {
  auto p = Mono({{0, 512}, {86400000, 512}}, true, 512, 48000);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[1].position, 4147200000LL);
  EXPECT_EQ(FramesAt(96000, 86400000), 8294400000LL);
  EXPECT_EQ(FramesAt(44100, 1), 44);  // 44.1 rounds down
  EXPECT_EQ(FramesAt(22050, 1), 22);  // 22.05
  EXPECT_EQ(FramesAt(1500, 1), 2);    // 1.5 rounds up
}

}  // namespace
