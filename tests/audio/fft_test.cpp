// The analyser's transform, windows and decibels.
#include "audio/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "audio/declick.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<std::complex<double>> NaiveDft(const std::vector<float>& data, int sign) {
  const int n = static_cast<int>(data.size() / 2);
  std::vector<std::complex<double>> out(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    std::complex<double> sum;
    for (int j = 0; j < n; ++j) {
      const double a = (sign >= 0 ? 2.0 : -2.0) * kPi * static_cast<double>(j) * k / n;
      sum += std::complex<double>(data[2 * j], data[2 * j + 1]) * std::polar(1.0, a);
    }
    out[static_cast<std::size_t>(k)] = sum;
  }
  return out;
}

struct DftCase {
  int points;
  int sign;
};

class FftAgainstDft : public ::testing::TestWithParam<DftCase> {};

TEST_P(FftAgainstDft, MatchesTheUnscaledSumsInPlace) {
  const DftCase c = GetParam();
  std::mt19937 random(static_cast<unsigned>(c.points * 3 + c.sign));
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> data(2 * static_cast<std::size_t>(c.points));
  for (float& v : data) v = value(random);
  const auto expected = NaiveDft(data, c.sign);
  TFFT fft(c.points);
  fft.Transform(c.sign, data.data());
  for (int k = 0; k < c.points; ++k) {
    EXPECT_NEAR(data[2 * k], expected[k].real(), 2e-4) << "bin " << k;
    EXPECT_NEAR(data[2 * k + 1], expected[k].imag(), 2e-4) << "bin " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FftAgainstDft,
                         ::testing::Values(DftCase{128, 1}, DftCase{128, -1}, DftCase{256, 1},
                                           DftCase{256, -1}));

TEST(Fft, UnitImpulseIsFlatForBothSigns) {
  for (int sign : {1, -1}) {
    std::vector<float> data(2 * 512, 0.0f);
    data[0] = 1.0f;
    TFFT fft(512);
    fft.Transform(sign, data.data());
    for (int k = 0; k < 512; ++k) {
      ASSERT_EQ(data[2 * k], 1.0f) << "sign " << sign << " bin " << k;
      ASSERT_EQ(data[2 * k + 1], 0.0f) << "sign " << sign << " bin " << k;
    }
  }
}

// A size change builds the new tables itself: the next call is a whole
// transform of the new size, not a table-building pass.
TEST(Fft, SizeChangeTransformsAtTheNewSize) {
  TFFT fft(128);
  fft.SetSize(1024);
  EXPECT_EQ(fft.Points(), 1024);
  std::vector<float> data(2 * 1024, 0.0f);
  const int bin = 37;
  for (int j = 0; j < 1024; ++j) data[2 * j] = static_cast<float>(2.0 / 1024 * std::cos(2 * kPi * bin * j / 1024));
  fft.Transform(1, data.data());
  EXPECT_NEAR(std::hypot(data[2 * bin], data[2 * bin + 1]), 1.0, 1e-4);
  EXPECT_NEAR(std::hypot(data[2 * (bin + 1)], data[2 * (bin + 1) + 1]), 0.0, 1e-4);
}

TEST(Fft, SineOfAmplitudeTwoOverNGivesMagnitudeOneInItsBin) {
  const int n = 4096, bin = 93;
  std::vector<float> data(2 * n, 0.0f);
  for (int j = 0; j < n; ++j) data[2 * j] = static_cast<float>(2.0 / n * std::sin(2 * kPi * bin * j / n));
  TFFT fft(n);
  fft.Transform(1, data.data());
  EXPECT_NEAR(std::hypot(data[2 * bin], data[2 * bin + 1]), 1.0, 1e-3);
}

struct WindowEnds {
  int type;
  double left, right;
};

TEST(AnalysisWindows, EndValuesAndSymmetry) {
  const int n = 1024;
  const WindowEnds cases[] = {
      {0, 0.0, 0.0},
      {1, 0.08, 0.08},
      {2, 1.0 - (n - 1.0) / (n + 1.0), 1.0 - (n - 1.0) / (n + 1.0)},
      {3, std::exp(-3.125), std::exp(-0.5 * std::pow((n / 2 - 1) * 5.0 / n, 2))},
      {4, 1.0 / BesselI0(8.96f), -1.0},
      {5, 0.0, 0.0},
      {6, 0.0, 0.0},
  };
  for (const WindowEnds& c : cases) {
    std::vector<float> w(n, -7.0f);
    BuildWindowTable(c.type, n, w.data());
    EXPECT_NEAR(w[0], c.left, 1e-5) << kWindowNames[c.type];
    if (c.right >= 0) EXPECT_NEAR(w[n - 1], c.right, 1e-5) << kWindowNames[c.type];
    // Hann, Hamming, Bartlett and the Blackmans mirror about the middle.
    if (c.type <= 2 || c.type >= 5) {
      for (int i = 0; i < n / 2; ++i) ASSERT_NEAR(w[i], w[n - 1 - i], 2e-6) << kWindowNames[c.type] << " at " << i;
    }
    for (float v : w) ASSERT_LE(v, 1.0f + 1e-6f) << kWindowNames[c.type];
  }
}

TEST(AnalysisWindows, UnknownTypeLeavesTheTable) {
  std::vector<float> w(128, 3.0f);
  BuildWindowTable(7, 128, w.data());
  BuildWindowTable(-1, 128, w.data());
  for (float v : w) EXPECT_EQ(v, 3.0f);
}

TEST(Decibels, FloorAndScale) {
  const struct {
    float value, db;
  } cases[] = {{0.0f, -999.9f}, {-1.0f, -999.9f}, {1e-50f, -999.9f}, {10.0f, 20.0f},
               {1.0f, 0.0f},    {0.5f, -6.0206f}, {NAN, -999.9f}};
  for (const auto& c : cases) EXPECT_NEAR(ToDecibel(c.value), c.db, 1e-3) << c.value;
}

}  // namespace
