#include "model/levels.h"

#include <gtest/gtest.h>

#include <climits>

#include "model/time_code.h"

namespace {

int g_loads = 0;
void CountLoad() {
  ++g_loads;
}

class LevelsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLevelTables(); }
};

TEST_F(LevelsTest, BuildingRunsTheInstalledFadeLoaderAfterTheTables) {
  g_loads = 0;
  SetFadeSettingsLoader(&CountLoad);
  BuildLevelTables();
  SetFadeSettingsLoader(nullptr);
  EXPECT_EQ(g_loads, 1);
  BuildLevelTables();
  EXPECT_EQ(g_loads, 1);
}

TEST_F(LevelsTest, DecibelTables) {
  const LevelTables& t = GetLevelTables();
  EXPECT_EQ(t.dbMin, -55);
  EXPECT_EQ(t.dbMax, 12);
  EXPECT_EQ(t.gainToDb[1], -54);
  struct Case {
    int gain, db;
  } const toDb[] = {{512, 0},   {256, -6},  {1024, 6}, {0, -55}, {-7, -55},
                    {5000, 12}, {2047, 12}, {1, -54},  {511, 0}};
  for (const Case& c : toDb) EXPECT_EQ(GainToDb(c.gain), c.db) << c.gain;
  struct Back {
    int db, gain;
  } const toGain[] = {{-6, 257}, {0, 512},  {12, 2047},  {11, 1817}, {-55, 0},
                      {-54, 1},  {-100, 0}, {100, 2047}, {6, 1022}};
  for (const Back& c : toGain) EXPECT_EQ(DbToGain(c.db), c.gain) << c.db;
}

TEST_F(LevelsTest, FaderTables) {
  const LevelTables& t = GetLevelTables();
  EXPECT_EQ(t.gainToFader[512], 78);
  EXPECT_EQ(t.gainToFader[1], 1);
  EXPECT_EQ(t.gainToFader[2047], 95);
  EXPECT_EQ(t.faderToGain[78], 512);
  EXPECT_EQ(t.faderToGain[1], 1);
  EXPECT_EQ(t.faderToGain[95], 2036);
  for (int i = 1; i < kGainCount; ++i) ASSERT_GE(t.gainToFader[i], t.gainToFader[i - 1]) << i;
  for (int k = 1; k < kFaderCount; ++k) ASSERT_GE(t.faderToGain[k], t.faderToGain[k - 1]) << k;

  EXPECT_EQ(GainToFader(512, 0), 78);
  EXPECT_EQ(GainToFader(512, 1), 39);
  EXPECT_EQ(GainToFader(0, 0), 0);
  EXPECT_EQ(GainToFader(3000, 0), 95);
  EXPECT_EQ(GainToFader(3000, 1), 47);
  EXPECT_EQ(FaderToGain(78, 0), 512);
  EXPECT_EQ(FaderToGain(48, 1), 2047);
  EXPECT_EQ(FaderToGain(39, 1), 512);
  EXPECT_EQ(FaderToGain(0, 0), 0);
  EXPECT_EQ(FaderToGain(96, 0), 2047);
  // Hostile shifts from a stored zoom step stay defined.
  EXPECT_EQ(GainToFader(512, 40), 0);
  EXPECT_EQ(FaderToGain(5, 40), 2047);
  EXPECT_EQ(GainToFader(512, -3), 78);
}

TEST_F(LevelsTest, BalanceSteps) {
  struct Case {
    int balance, shift, steps;
  } const toSteps[] = {{256, 0, 48}, {-256, 0, -48}, {3, 0, 1},    {2, 0, 0},      {-3, 0, -1},
                       {-2, 0, 0},   {0, 0, 0},      {256, 1, 24}, {-256, 1, -24}, {INT_MAX, 0, 402653184}};
  for (const Case& c : toSteps)
    EXPECT_EQ(BalanceToSteps(c.balance, c.shift), c.steps) << c.balance << ">>" << c.shift;
  struct Back {
    int steps, shift, balance;
  } const toBalance[] = {{24, 0, 128}, {48, 0, 256}, {-1, 0, -5},   {-48, 0, -256},    {0, 0, 0},
                         {12, 1, 128}, {24, 1, 256}, {100, 0, 256}, {INT_MIN, 0, -256}};
  for (const Back& c : toBalance)
    EXPECT_EQ(StepsToBalance(c.steps, c.shift), c.balance) << c.steps << "<<" << c.shift;
}

TEST_F(LevelsTest, Percentages) {
  EXPECT_EQ(Scale256To100(128), 50);
  EXPECT_EQ(Scale256To100(-128), -50);
  EXPECT_EQ(Scale256To100(256), 100);
  EXPECT_EQ(Scale256To100(1), 0);
  EXPECT_EQ(Scale256To100(2), 1);
  EXPECT_EQ(Scale256To100(-2), -1);
  EXPECT_EQ(PercentTo256(50), 128);
  EXPECT_EQ(PercentTo256(1), 3);
  EXPECT_EQ(PercentTo256(-1), -3);
  EXPECT_EQ(PercentTo256(100), 256);
  EXPECT_EQ(PercentTo256(INT_MAX), INT_MAX);
}

TEST_F(LevelsTest, TimeAndPixels) {
  // 10 pixels show 1000 ms.
  EXPECT_EQ(TimeToPixels(1000, 10, 1000), 10);
  EXPECT_EQ(TimeToPixels(-1000, 10, 1000), -TimeToPixels(1000, 10, 1000));
  EXPECT_EQ(TimeToPixels(150, 10, 1000), 2);    // 1.5 rounds up
  EXPECT_EQ(TimeToPixels(-150, 10, 1000), -2);  // and mirrors
  EXPECT_EQ(PixelsToTime(3, 10, 1000), 300);
  EXPECT_EQ(PixelsToTime(-3, 10, 1000), -300);
  EXPECT_EQ(TimeToPixels(86400000, 1000, 1), INT_MAX);
  EXPECT_EQ(TimeToPixels(INT_MIN, 1, 1), INT_MIN);
  EXPECT_EQ(TimeToPixels(1000, 10, 0), 0);

  EXPECT_EQ(SnapToFrame(1019, false), 1019);
  EXPECT_EQ(SnapToFrame(1019, true), 1000);
  EXPECT_EQ(SnapToFrame(1021, true), 1040);
}

}  // namespace
