#include "model/time_code.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>

namespace {

// Each test sets the program-wide rate and format it needs and puts the
// defaults back.
class TimeCodeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetProjectFrameRate(25.0f);
    SetProjectTimeFormat(kTimeFormatMs);
  }
};

TEST_F(TimeCodeTest, DefaultsAre25FpsAndMilliseconds) {
  EXPECT_EQ(ProjectFrameRate(), 25.0f);
  EXPECT_EQ(ProjectTimeFormat(), kTimeFormatMs);
}

TEST_F(TimeCodeTest, MsAndFramesRoundAsStored) {
  struct Case {
    float rate;
    LONG ms;
    LONG frames;
  } const toFrames[] = {
      {25.0f, 40, 1},    {25.0f, 19, 0},    {25.0f, 20, 0},        {25.0f, 21, 1},
      {25.0f, -40, 0},   {25.0f, -60, -1},  {25.0f, 1000, 25},     {29.97f, 1000, 30},
      {29.97f, 983, 29}, {29.97f, 999, 30}, {29.97f, 60000, 1798}, {25.0f, 86400000, 2160000},
  };
  for (const Case& c : toFrames)
    EXPECT_EQ(MsToFrames(c.ms, c.rate), c.frames) << c.rate << " fps, " << c.ms << " ms";

  struct Back {
    float rate;
    LONG frames;
    LONG ms;
  } const toMs[] = {
      {25.0f, 1, 40},    {25.0f, 25, 1000},  {29.97f, 1, 33},
      {29.97f, 29, 968}, {29.97f, 30, 1001}, {25.0f, -1, -39},
  };
  for (const Back& c : toMs)
    EXPECT_EQ(FramesToMs(c.frames, c.rate), c.ms) << c.rate << " fps, " << c.frames << " fr";
}

TEST_F(TimeCodeTest, SnappingUsesTheProjectRate) {
  EXPECT_EQ(MsAddFrames(1000, 0), 1000);
  EXPECT_EQ(MsAddFrames(1000, 1), 1040);
  EXPECT_EQ(MsSubFrames(1000, 1), 960);
  EXPECT_EQ(MsAddFrames(1019, 0), 1000);
  ASSERT_TRUE(SetProjectFrameRate(29.97f));
  EXPECT_EQ(MsAddFrames(1000, 0), 1001);
  EXPECT_EQ(MsSubFrames(1001, 30), 0);
}

TEST_F(TimeCodeTest, UnusableRatesAreRefusedAndNeverDivide) {
  EXPECT_FALSE(SetProjectFrameRate(0.0f));
  EXPECT_FALSE(SetProjectFrameRate(-25.0f));
  EXPECT_FALSE(SetProjectFrameRate(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_FALSE(SetProjectFrameRate(std::numeric_limits<float>::infinity()));
  EXPECT_EQ(ProjectFrameRate(), 25.0f);
  EXPECT_EQ(FramesToMs(5, 0.0f), 0);
  EXPECT_EQ(MsToFrames(5000, 0.0f), 0);
  EXPECT_EQ(FramesToMs(5, std::numeric_limits<float>::quiet_NaN()), 0);
  // Results beyond 32 bits are held at the limits.
  EXPECT_EQ(FramesToMs(INT_MAX, 0.001f), INT_MAX);
  EXPECT_EQ(FramesToMs(INT_MIN, 0.001f), INT_MIN);
  EXPECT_EQ(MsToFrames(INT_MAX, 1.0e6f), INT_MAX);
  EXPECT_EQ(MsAddFrames(INT_MAX, INT_MAX), INT_MAX);
}

struct TextCase {
  float rate;
  int format;
  LONG ms;
  const char* full;       // without unit
  const char* shortUnit;  // short form with unit
};

TEST_F(TimeCodeTest, TimeCodeTextsInAllFormats) {
  const TextCase cases[] = {
      // milliseconds: the frame rate plays no part
      {25.0f, 0, 3723004, "01:02:03:004", "1:02:03:004ms"},
      {25.0f, 0, 83456, "00:01:23:456", "1:23:456ms"},
      {25.0f, 0, 0, "00:00:00:000", "0:000ms"},
      {29.97f, 0, 3723004, "01:02:03:004", "1:02:03:004ms"},
      {25.0f, 0, 360000000, "100:00:00:000", "100:00:00:000ms"},
      {25.0f, 7, 83456, "00:01:23:456", "1:23:456ms"},  // unknown formats behave as milliseconds
      // SMPTE
      {25.0f, 1, 5480, "00:00:05:12", "5:12fr"},
      {25.0f, 1, 1999, "00:00:02:00", "2:00fr"},
      {25.0f, 1, 0, "00:00:00:00", "0:00fr"},
      {25.0f, 1, 3723040, "01:02:03:01", "1:02:03:01fr"},
      {25.0f, 1, 360000000, "100:00:00:00", "100:00:00:00fr"},
      {29.97f, 1, 999, "00:00:01:00", "1:00fr"},
      {29.97f, 1, 983, "00:00:00:29", "0:29fr"},
      {29.97f, 1, 3723500, "01:02:03:15", "1:02:03:15fr"},
      {29.97f, 1, 86399999, "24:00:00:00", "24:00:00:00fr"},
      // frames
      {25.0f, 2, 1000, "0000025", "25fr"},
      {25.0f, 2, 4920, "0000123", "123fr"},
      {25.0f, 2, 0, "0000000", "0fr"},
      {25.0f, 2, 86400000, "2160000", "2160000fr"},
      {29.97f, 2, 1000, "0000030", "30fr"},
      {29.97f, 2, 60000, "0001798", "1798fr"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " fps, format " << c.format << ", " << c.ms << " ms");
    ASSERT_TRUE(SetProjectFrameRate(c.rate));
    SetProjectTimeFormat(c.format);
    char buffer[kTimeCodeSize];
    FormatTimeCode(c.ms, buffer, FALSE);
    EXPECT_STREQ(buffer, c.full);
    const std::string unit = (c.format == 1 || c.format == 2) ? "fr" : "ms";
    FormatTimeCode(c.ms, buffer, TRUE);
    EXPECT_EQ(std::string(buffer), std::string(c.full) + unit);
    EXPECT_EQ(std::string(MsToTimeCodeText(c.ms, TRUE)), std::string(c.full) + unit);
    EXPECT_STREQ(MsToShortTimeCode(c.ms, TRUE), c.shortUnit);
    const std::string shortNoUnit(c.shortUnit, std::string(c.shortUnit).size() - 2);
    EXPECT_EQ(std::string(MsToShortTimeCode(c.ms, FALSE)), shortNoUnit);
  }
}

TEST_F(TimeCodeTest, ShortFormNeverLeavesItsBuffer) {
  // Negative frame counts start with a sign: nothing is skipped, the sign stays.
  SetProjectTimeFormat(kTimeFormatFrames);
  EXPECT_STREQ(MsToShortTimeCode(-220, TRUE), "-000005fr");
  SetProjectTimeFormat(kTimeFormatMs);
  EXPECT_STREQ(MsToShortTimeCode(-1500, FALSE), ":-1:-500");
  char buffer[kTimeCodeSize];
  FormatTimeCode(INT_MIN, buffer, TRUE);
  EXPECT_STREQ(buffer, "-596:-31:-23:-648ms");
}

TEST_F(TimeCodeTest, MultiplyDivideRoundingAndRange) {
  EXPECT_EQ(MulDivRoundSigned(-3, 1, 2), -2);
  EXPECT_EQ(MulDivRound(3, 1, 2), 2u);
  EXPECT_EQ(MulDivTrunc(3, 1, 2), 1u);
  EXPECT_EQ(MulDivSignedTrunc(-3, 1, 2), -1);

  EXPECT_EQ(MulDivRoundSigned(3, -1, 2), -2);
  EXPECT_EQ(MulDivRoundSigned(-3, -1, 2), 2);
  EXPECT_EQ(MulDivRoundSigned(3, 1, -2), -2);
  EXPECT_EQ(MulDivRoundSigned(-5, 3, -2), 8);
  EXPECT_EQ(MulDivRoundSigned(5, 1, 3), 2);
  EXPECT_EQ(MulDivRound(5, 1, 3), 2u);
  EXPECT_EQ(MulDivSignedTrunc(7, -1, 2), -3);

  // The product is held in 64 bits.
  EXPECT_EQ(MulDivSignedTrunc(86400000, 1000, 1000), 86400000);
  EXPECT_EQ(MulDivRoundSigned(-86400000, 2047, 2047), -86400000);
  EXPECT_EQ(MulDivTrunc(4000000000u, 3, 4), 3000000000u);
  EXPECT_EQ(MulDivRound(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(MulDivRoundSigned(INT_MIN, 1, 1), INT_MIN);

  // Defined values outside the range: 0 for a zero divisor, the limit for an
  // oversized quotient.
  EXPECT_EQ(MulDivSignedTrunc(5, 5, 0), 0);
  EXPECT_EQ(MulDivRoundSigned(5, 5, 0), 0);
  EXPECT_EQ(MulDivTrunc(5, 5, 0), 0u);
  EXPECT_EQ(MulDivRound(5, 5, 0), 0u);
  EXPECT_EQ(MulDivSignedTrunc(INT_MIN, -1, 1), INT_MAX);
  EXPECT_EQ(MulDivRoundSigned(INT_MAX, INT_MAX, -1), INT_MIN);
  EXPECT_EQ(MulDivRound(0xFFFFFFFFu, 2, 1), 0xFFFFFFFFu);
}

}  // namespace
