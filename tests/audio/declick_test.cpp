#include "audio/declick.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

TEST(Declick, BesselI0MatchesKnownValues) {
  EXPECT_EQ(BesselI0(0.0f), 1.0f);
  EXPECT_NEAR(BesselI0(1.0f), 1.2660658777520082, 1e-6);
  EXPECT_NEAR(BesselI0(8.96f), 1053.125122491171, 1e-3);
  EXPECT_FLOAT_EQ(BesselI0(-2.0f), BesselI0(2.0f));
}

TEST(Declick, RampLengthFollowsRateAndLengthWithAFloorOfFive) {
  EXPECT_EQ(DeclickRampLength(22050, 1.0f), 22);
  EXPECT_EQ(DeclickRampLength(22050, 0.1f), 5);
  EXPECT_EQ(DeclickRampLength(48000, 2.0f), 96);
  // Settings that make no ramp or no sense still give a bounded one.
  EXPECT_EQ(DeclickRampLength(44100, -3.0f), 5);
  EXPECT_EQ(DeclickRampLength(44100, std::numeric_limits<float>::quiet_NaN()), 5);
  EXPECT_EQ(DeclickRampLength(44100, 1e30f), 44100);
}

// With beta 0 the window is flat, so the cumulative ramp is linear up to 1.
TEST(Declick, KaiserRampWithBetaZeroIsLinearEndingAtOne) {
  for (LONG n : {5, 8, 22}) {
    std::vector<float> up(n), down(n);
    KaiserCumWindowUp(n, up.data(), 0.0f);
    KaiserCumWindowDown(n, down.data(), 0.0f);
    for (LONG k = 0; k < n; ++k) {
      EXPECT_NEAR(up[k], float(k + 1) / n, 1e-6) << n << " " << k;
      EXPECT_NEAR(down[k], float(n - k) / n, 1e-6) << n << " " << k;
    }
  }
}

TEST(Declick, OddKaiserRampRunsOverTheWholeWindow) {
  std::vector<float> up(5), down(5);
  KaiserCumWindowUp(5, up.data(), 8.96f);
  KaiserCumWindowDown(5, down.data(), 8.96f);
  // i = -2..2: the ends of the window weigh 1/I0(beta), the centre 1.
  double w[5];
  double total = 0;
  for (int i = -2; i <= 2; ++i) {
    w[i + 2] = BesselI0(static_cast<float>(8.96 * std::sqrt(1.0 - 4.0 * i * i / 16.0))) / BesselI0(8.96f);
    total += w[i + 2];
  }
  double run = 0;
  for (int k = 0; k < 5; ++k) {
    run += w[k];
    EXPECT_NEAR(up[k], run / total, 1e-6) << k;
    EXPECT_EQ(down[4 - k], up[k]) << k;
  }
  EXPECT_FLOAT_EQ(up[4], 1.0f);
  EXPECT_FLOAT_EQ(down[0], 1.0f);
  for (int k = 1; k < 5; ++k) EXPECT_GT(up[k], up[k - 1]);
}

TEST(Declick, HostileBetaStillGivesAFiniteRisingRamp) {
  for (float beta :
       {-8.96f, 1e9f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    std::vector<float> up(22);
    KaiserCumWindowUp(22, up.data(), beta);
    for (float v : up) EXPECT_TRUE(std::isfinite(v)) << beta;
    EXPECT_FLOAT_EQ(up[21], 1.0f) << beta;
  }
}

int16_t Pcm16(float v) {
  BYTE out[2];
  FloatToPcm16(out, &v, 2);
  return static_cast<int16_t>(out[0] | (out[1] << 8));
}

BYTE Pcm8(float v) {
  BYTE out;
  FloatToPcm8(&out, &v, 1);
  return out;
}

TEST(Declick, FloatToPcm16RoundsToEvenAndLimits) {
  struct Case {
    float in;
    int16_t out;
  };
  for (const Case& c :
       {Case{40000.0f, 32767}, Case{-40000.0f, -32768}, Case{2.5f, 2}, Case{3.5f, 4}, Case{-2.5f, -2},
        Case{-2.6f, -3}, Case{0.49f, 0}, Case{32766.5f, 32766}, Case{32767.4f, 32767},
        Case{-32768.0f, -32768}, Case{1234.0f, 1234}, Case{std::numeric_limits<float>::quiet_NaN(), 0}}) {
    EXPECT_EQ(Pcm16(c.in), c.out) << c.in;
  }
}

// A long block takes the wide path; every sample must come out as it does alone.
TEST(Declick, FloatToPcm16GivesTheSameSamplesInLongBlocks) {
  std::vector<float> in = {40000.0f,
                           -40000.0f,
                           2.5f,
                           3.5f,
                           -2.5f,
                           -2.6f,
                           0.49f,
                           32766.5f,
                           32767.4f,
                           -32768.0f,
                           std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           1e30f,
                           -0.5f,
                           0.5f,
                           1.5f,
                           12345.678f,
                           -1.0f};
  std::vector<BYTE> out(in.size() * 2);
  FloatToPcm16(out.data(), in.data(), static_cast<DWORD>(out.size()));
  for (std::size_t i = 0; i < in.size(); ++i) {
    auto got = static_cast<int16_t>(out[2 * i] | (out[2 * i + 1] << 8));
    EXPECT_EQ(got, Pcm16(in[i])) << i << " " << in[i];
  }
  EXPECT_EQ(static_cast<int16_t>(out[22] | (out[23] << 8)), 32767);  // infinity
  EXPECT_EQ(static_cast<int16_t>(out[28] | (out[29] << 8)), 0);      // -0.5 rounds to even
}

TEST(Declick, FloatToPcm16FillsWholeSamplesOfTheDestination) {
  float in[3] = {1.0f, -1.0f, 7.0f};
  BYTE out[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  FloatToPcm16(out, in, 5);  // two samples; the odd byte is left alone
  EXPECT_EQ(out[0], 0x01);
  EXPECT_EQ(out[1], 0x00);
  EXPECT_EQ(out[2], 0xFF);
  EXPECT_EQ(out[3], 0xFF);
  EXPECT_EQ(out[4], 0xAA);
}

TEST(Declick, FloatToPcm8TruncatesThenDividesByFloor) {
  struct Case {
    float in;
    BYTE out;
  };
  for (const Case& c :
       {Case{32767.0f, 255}, Case{-32768.0f, 0}, Case{-1.0f, 127}, Case{0.0f, 128}, Case{255.9f, 128},
        Case{256.0f, 129}, Case{-256.0f, 127}, Case{-257.0f, 126}, Case{90000.0f, 255}, Case{-90000.0f, 0},
        Case{std::numeric_limits<float>::quiet_NaN(), 128}}) {
    EXPECT_EQ(Pcm8(c.in), c.out) << c.in;
  }
}

TEST(Declick, FloatToPcm8GivesTheSameSamplesInLongBlocks) {
  std::vector<float> in(300);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = (static_cast<float>(i) - 150.0f) * 300.7f;
  std::vector<BYTE> out(in.size());
  FloatToPcm8(out.data(), in.data(), static_cast<DWORD>(out.size()));
  for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(out[i], Pcm8(in[i])) << i;
}

}  // namespace
