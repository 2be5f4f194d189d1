#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/film_list.h"
#include "model/undo_history.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using SettingsTest = TimeLineTest;

LOGFONT FontOf(HFONT font) {
  LOGFONT lf;
  GetObject(font, sizeof lf, &lf);
  return lf;
}

TEST_F(SettingsTest, ValuesOutsideTheirRangeAreBroughtIntoIt) {
  using Read = std::function<int(MainTimeLineWindow&)>;
  const Read lines = [](MainTimeLineWindow& w) { return w.Engine().audioLineCount; };
  const Read undo = [](MainTimeLineWindow&) { return UndoScript::Depth(); };
  const Read gravity = [](MainTimeLineWindow& w) { return w.Engine().gravityDistance; };
  const Read align = [](MainTimeLineWindow& w) { return w.Engine().gravityAlign; };
  const Read group = [](MainTimeLineWindow&) { return SelectionGroup; };
  const Read loops = [](MainTimeLineWindow& w) { return w.Engine().play.loopCount; };
  const Read video = [](MainTimeLineWindow& w) { return w.Engine().showVideo ? 1 : 0; };
  struct Case {
    const char* key;
    const char* stored;
    Read read;
    int expected;
  };
  const Case cases[] = {
      {"MAX_AUDIO_LINE", nullptr, lines, 4},
      {"MAX_AUDIO_LINE", "6", lines, 4},
      {"MAX_AUDIO_LINE", "0", lines, 1},
      {"MAX_AUDIO_LINE", "3", lines, 3},
      {"MAX_UNDO", "1", undo, 3},
      {"MAX_UNDO", "500", undo, 100},
      {"MAX_UNDO", "40", undo, 40},
      {"GRAVITY_DISTANCE", "1", gravity, 3},
      {"GRAVITY_DISTANCE", "150", gravity, 99},
      // A screen 1920 pixels wide.
      {"GRAVITY_DISTANCE", nullptr, gravity, 30},
      {"GRAVITY_ALIGN", "9", align, 6},
      {"SELECTION_GROUP", "0", group, 1},
      {"LOOP_COUNT", "-4", loops, 1},
      {"SHOW_VIDEO", "-1", video, 0},
      {"SHOW_VIDEO", "7", video, 1},
  };
  for (const Case& c : cases) {
    Ini("TIMELINE", c.key, c.stored);
    auto w = std::make_unique<MainTimeLineWindow>(nullptr);
    EXPECT_EQ(c.read(*w), c.expected) << c.key << " = " << (c.stored ? c.stored : "(none)");
    w.reset();
    Ini("TIMELINE", c.key, nullptr);
  }
}

TEST_F(SettingsTest, TheOldSystemFontBecomesTheUsualOneAndLongNamesAreCut) {
  Ini("TIMELINE", "TIME_FONT_NAME", "System");
  Ini("TIMELINE", "TIME_FONT_SIZE", "16");
  Ini("TIMELINE", "TIME_FONT_WEIGHT", "400");
  Ini("TIMELINE", "TIME_FONT_ITALIC", "0");
  Ini("TIMELINE", "CLIP_FONT_NAME", "system");
  Ini("TIMELINE", "CLIP_FONT_SIZE", "16");
  {
    MainTimeLineWindow w(nullptr);
    const LOGFONT time = FontOf(w.TimeFont());
    EXPECT_STREQ(time.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(time.lfHeight, -11);
    const LOGFONT clip = FontOf(w.ClipFont());
    EXPECT_STREQ(clip.lfFaceName, "system");
    EXPECT_EQ(clip.lfHeight, 16);
  }
  const std::string longName(300, 'x');
  Ini("TIMELINE", "CLIP_FONT_NAME", longName.c_str());
  Ini("TIMELINE", "CLIP_FONT_ITALIC", "1");
  Ini("TOOLS", "TOOL2_NAME", longName.c_str());
  Ini("TOOLS", "TOOL2_PATH", longName.c_str());
  MainTimeLineWindow w(nullptr);
  const LOGFONT clip = FontOf(w.ClipFont());
  EXPECT_EQ(std::string(clip.lfFaceName), std::string(31, 'x'));
  EXPECT_EQ(clip.lfItalic, 1);
  EXPECT_EQ(std::string(w.Settings().tools[1].name), std::string(127, 'x'));
  EXPECT_EQ(std::strlen(w.Settings().tools[1].path), 255u);
}

TEST_F(SettingsTest, ANormalisePercentThatIsNoNumberReadsAsAHundred) {
  struct Case {
    const char* stored;
    float expected;
  };
  for (const Case c : {Case{"95.5", 95.5f}, Case{"nan", 100.0f}, Case{"inf", 100.0f}, Case{"-inf", 100.0f},
                       Case{"1e99", 100.0f}, Case{"loud", 100.0f}, Case{"", 100.0f}}) {
    Ini("TIMELINE", "NORMALIZE_PERCENT", c.stored);
    MainTimeLineWindow w(nullptr);
    EXPECT_EQ(w.Settings().normalizePercent, c.expected) << c.stored;
  }
}

TEST_F(SettingsTest, SavingWritesBothSectionsInTheirOrder) {
  auto w = std::make_unique<MainTimeLineWindow>(nullptr);
  w->SaveSettings();
  const std::vector<std::string> timeline = {"SHOW_VIDEO",
                                             "SHOW_AUDIO",
                                             "SHOW_MIDI",
                                             "ZOOM_VFX",
                                             "ZOOM_VIDEO0",
                                             "ZOOM_VIDEO1",
                                             "ZOOM_MIDI",
                                             "ZOOM_AUDIO0",
                                             "ZOOM_AUDIO1",
                                             "ZOOM_AUDIO2",
                                             "ZOOM_AUDIO3",
                                             "BIG_AUDIO_METER",
                                             "SHOW_AUDIO_METER",
                                             "MULTY_SOLO",
                                             "AUDIO_METER_ON_TOP",
                                             "ALIGN_TO_FRAME",
                                             "ALIGN_TIME",
                                             "ONLY_KEY_FRAMES",
                                             "FULL_SIZE",
                                             "TIME_STEP",
                                             "SHOW_VIDEO_EDGES",
                                             "ASK_BEFORE_START",
                                             "START_FROM_CURSOR",
                                             "SELECT_CURTIME_OVER_CLIPS",
                                             "HIDE_FADERS_INDICATOR",
                                             "HIDE_PLAYBACK_CURSOR",
                                             "REALTIME_MUTE",
                                             "HIGH_QUALITY_WAVEFORM",
                                             "PREVIEW_VIDEO",
                                             "DONT_CHANGE_CURTIME",
                                             "PREVIEW_AUDIO",
                                             "AUTO_SCROLL",
                                             "AUDIO_THROUGH_FILE",
                                             "MAX_AUDIO_LINE",
                                             "LOOP_COUNT",
                                             "MAX_UNDO",
                                             "SHOW_PROFILE",
                                             "AUTO_SET_DECLICK",
                                             "GRAVITY_ALIGN",
                                             "GRAVITY_GROUP",
                                             "GRAVITY_DISTANCE",
                                             "SELECTION_GROUP",
                                             "TIME_FONT_NAME",
                                             "TIME_FONT_SIZE",
                                             "TIME_FONT_WEIGHT",
                                             "TIME_FONT_ITALIC",
                                             "CLIP_FONT_NAME",
                                             "CLIP_FONT_SIZE",
                                             "CLIP_FONT_WEIGHT",
                                             "CLIP_FONT_ITALIC",
                                             "NORMALIZE_PERCENT"};
  EXPECT_EQ(IniKeys("TIMELINE"), timeline);
  const std::vector<std::string> tools = {"MIXER",         "AUDIO_EDITOR",  "VIDEO_EDITOR",  "MIDI_EDITOR",
                                          "TOOL1_NAME",    "TOOL1_PATH",    "TOOL1_ADDCLIP", "TOOL2_NAME",
                                          "TOOL2_PATH",    "TOOL2_ADDCLIP", "TOOL3_NAME",    "TOOL3_PATH",
                                          "TOOL3_ADDCLIP", "TOOL4_NAME",    "TOOL4_PATH",    "TOOL4_ADDCLIP",
                                          "TOOL5_NAME",    "TOOL5_PATH",    "TOOL5_ADDCLIP", "DIRECTORY"};
  EXPECT_EQ(IniKeys("TOOLS"), tools);
  EXPECT_EQ(IniValue("TIMELINE", "NORMALIZE_PERCENT"), "100.000");
  EXPECT_EQ(IniValue("TIMELINE", "SHOW_MIDI"), "0");
  EXPECT_EQ(IniValue("TIMELINE", "FULL_SIZE"), "10000");
  EXPECT_EQ(IniValue("TIMELINE", "TIME_STEP"), "1000");
  EXPECT_EQ(IniValue("TOOLS", "TOOL1_NAME"), "Recorder");
  // The stock calculator is whichever this machine has (tested with the tools).
  EXPECT_EQ(IniValue("TOOLS", "TOOL1_PATH"), "SndRec32.exe");
  EXPECT_EQ(IniValue("TOOLS", "MIXER"), "SndVol32.exe");
  // The fade profile and the colours go with them.
  EXPECT_EQ(IniValue("FADE", "COUNT"), "10");
  EXPECT_EQ(IniValue("COLORS", "BackgroundColor"), std::to_string(0xC0C0C0));

  // Three audio lines write three zoom keys.
  w.reset();
  Ini("TIMELINE", "MAX_AUDIO_LINE", "3");
  Ini("TIMELINE", "ZOOM_AUDIO3", nullptr);
  w = std::make_unique<MainTimeLineWindow>(nullptr);
  w->SaveSettings();
  EXPECT_EQ(IniValue("TIMELINE", "ZOOM_AUDIO3"), "<none>");
}

TEST_F(SettingsTest, SettingsReadBackAsTheyWereSaved) {
  const std::vector<std::pair<const char*, const char*>> stored = {{"SHOW_VIDEO", "0"},
                                                                   {"MULTY_SOLO", "1"},
                                                                   {"ALIGN_TO_FRAME", "1"},
                                                                   {"ASK_BEFORE_START", "3"},
                                                                   {"HIGH_QUALITY_WAVEFORM", "2"},
                                                                   {"MAX_AUDIO_LINE", "2"},
                                                                   {"LOOP_COUNT", "5"},
                                                                   {"MAX_UNDO", "50"},
                                                                   {"SHOW_PROFILE", "2"},
                                                                   {"GRAVITY_ALIGN", "2"},
                                                                   {"GRAVITY_GROUP", "4"},
                                                                   {"GRAVITY_DISTANCE", "20"},
                                                                   {"SELECTION_GROUP", "5"},
                                                                   {"TIME_FONT_NAME", "Courier New"},
                                                                   {"TIME_FONT_SIZE", "-14"},
                                                                   {"TIME_FONT_WEIGHT", "700"},
                                                                   {"ZOOM_AUDIO1", "0"},
                                                                   {"NORMALIZE_PERCENT", "95.250"},
                                                                   {"SHOW_VIDEO_EDGES", "0"}};
  for (auto [key, value] : stored) Ini("TIMELINE", key, value);
  Ini("TOOLS", "TOOL3_NAME", "Editor");
  Ini("TOOLS", "TOOL3_PATH", "/usr/bin/editor");
  Ini("TOOLS", "TOOL3_ADDCLIP", "1");
  Ini("TOOLS", "DIRECTORY", "/home/user/tools");
  Ini("FADE", "COUNT", "4");
  Ini("COLORS", "WaveformColor", "255");

  Open();
  Close();
  for (auto [key, value] : stored) EXPECT_EQ(IniValue("TIMELINE", key), value) << key;
  EXPECT_EQ(IniValue("TOOLS", "TOOL3_ADDCLIP"), "1");
  EXPECT_EQ(IniValue("TOOLS", "DIRECTORY"), "/home/user/tools");
  const std::string once = IniFileText();
  Open();
  Close();
  EXPECT_EQ(IniFileText(), once);
}

// The level meters' own section is read after their peak-hold default is
// known, and written with the time-line's settings.
TEST_F(SettingsTest, TheMetersLoadAndSaveTheirSectionWithTheTimeLine) {
  static std::vector<std::string> calls;
  calls.clear();
  SetMeterSettingsHandlers([](bool peakHold) { calls.push_back(peakHold ? "load hold" : "load"); },
                           [] { calls.push_back("save"); });
  Ini("TIMELINE", "PEAK_HOLD", "0");
  {
    MainTimeLineWindow w(nullptr);
    EXPECT_FALSE(w.Settings().peakHold);
    EXPECT_EQ(calls, (std::vector<std::string>{"load"}));
  }
  SetMeterSettingsHandlers(nullptr, nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"load", "save"}));
}

}  // namespace
}  // namespace timelinetest
