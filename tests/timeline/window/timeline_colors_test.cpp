#include "timeline/window/timeline_colors.h"

#include <gtest/gtest.h>

#include <string>

#include "model/ini.h"
#include "platform/core/profile.h"
#include "support/test_env.h"

namespace {

class TimeLineColorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    for (int i = 0; i < kTimeLineColorCount; ++i) TimeLineColors[i] = DefaultTimeLineColor(i);
    SchemeDirectory[0] = '\0';
  }
  void TearDown() override { SetUp(); }
  void Ini(const char* key, const char* value) {
    WritePrivateProfileString("COLORS", key, value, kIniFileName);
  }
  std::string IniValue(const char* key) {
    char text[64];
    GetPrivateProfileString("COLORS", key, "<none>", text, sizeof text, kIniFileName);
    return text;
  }
  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
};

TEST_F(TimeLineColorsTest, EachColourHasItsKeyAndDefault) {
  struct Case {
    int index;
    const char* key;
    COLORREF value;
  };
  const Case cases[] = {
      {kColorBackground, "BackgroundColor", 0xC0C0C0},
      {kColorCurTime, "CurTimeColor", 0x0000FF},
      {kColorSelectedClip, "SelectedClipColor", 0x008000},
      {kColorNonSelectedName, "NonSelectedNameColor", 0},
      {kColorPassiveKeyPoint, "PassiveKeyPointColor", 0x008080},
      {kColorSmallHole, "SmallHoleColor", 0xFFFFFF},
      {kColorNonUsedEffects, "NonUsedEffectsColor", 0x0000FF},
      {kColorVideoFXTrack, "VideoFXTrackColor", 0xC0C0C0},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(TimeLineColorKey(c.index), c.key);
    EXPECT_EQ(DefaultTimeLineColor(c.index), c.value) << c.key;
    EXPECT_EQ(TimeLineColors[c.index], c.value) << c.key;
  }
  EXPECT_EQ(TimeLineColorKey(kTimeLineColorCount), nullptr);
  EXPECT_EQ(TimeLineColorKey(-1), nullptr);
}

TEST_F(TimeLineColorsTest, LoadingTakesWhatIsStoredAndTheDefaultForTheRest) {
  Ini("WaveformColor", "255");
  Ini("DeclickColor", "-1");  // no palette entries: red, green and blue only
  Ini("DIRECTORY", "/home/user/schemes");
  LoadColors();
  EXPECT_EQ(TimeLineColors[kColorWaveform], 255u);
  EXPECT_EQ(TimeLineColors[kColorDeclick], 0xFFFFFFu);
  EXPECT_EQ(TimeLineColors[kColorSelection], 0xFF0000u);
  EXPECT_STREQ(SchemeDirectory, "/home/user/schemes");
}

TEST_F(TimeLineColorsTest, SavedColoursLoadBack) {
  TimeLineColors[kColorMidiTrack] = 0x123456;
  std::snprintf(SchemeDirectory, sizeof SchemeDirectory, "%s", "/tmp/schemes");
  SaveColors();
  EXPECT_EQ(IniValue("MidiTrackColor"), std::to_string(0x123456));
  EXPECT_EQ(IniValue("BackgroundColor"), std::to_string(0xC0C0C0));
  TimeLineColors[kColorMidiTrack] = 0;
  SchemeDirectory[0] = '\0';
  LoadColors();
  EXPECT_EQ(TimeLineColors[kColorMidiTrack], 0x123456u);
  EXPECT_STREQ(SchemeDirectory, "/tmp/schemes");
}

}  // namespace
