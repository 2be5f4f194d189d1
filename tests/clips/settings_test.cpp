// The collection's settings: read at construction and set-up, written back
// when its window goes.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "collection_fixture.h"

namespace cliptest {
namespace {

using SettingsTest = CollectionTest;

using Keys = std::map<std::string, std::string>;

TEST_F(SettingsTest, TheEightKeysComeBackAsTheyWereOrHeldToTheirRange) {
  struct Case {
    const char* what;
    Keys stored;
    Keys written;
    int viewMode;
    bool autoSort;
    int skipMode;
  };
  const Keys defaults = {{"FONT_NAME", "MS Sans Serif"},
                         {"FONT_SIZE", "-11"},
                         {"FONT_WEIGHT", "400"},
                         {"FONT_ITALIC", "0"},
                         {"COLOR", "255"},
                         {"ICON_TYPE", "2"},
                         {"AUTO_SORT", "1"},
                         {"SKIP_USED", "0"}};
  const Keys chosen = {{"FONT_NAME", "DejaVu Sans"}, {"FONT_SIZE", "-15"}, {"FONT_WEIGHT", "700"},
                       {"FONT_ITALIC", "1"},         {"COLOR", "4227327"}, {"ICON_TYPE", "3"},
                       {"AUTO_SORT", "0"},           {"SKIP_USED", "2"}};
  Keys wild = chosen;
  wild["ICON_TYPE"] = "9";
  wild["SKIP_USED"] = "5";
  wild["FONT_SIZE"] = "-4000";
  Keys held = chosen;
  held["ICON_TYPE"] = "4";
  held["SKIP_USED"] = "0";
  held["FONT_SIZE"] = "-255";
  const Case cases[] = {
      {"nothing stored", {}, defaults, kViewBasicInfo, true, kSkipNone},
      {"chosen values", chosen, chosen, kViewLargeIcons, false, kSkipAudio},
      {"values out of range", wild, held, kViewSmallIcons, false, kSkipNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [key, value] : defaults) Ini(key.c_str(), nullptr);
    for (const auto& [key, value] : c.stored) Ini(key.c_str(), value.c_str());
    ClipCollection& collection = Open();
    EXPECT_EQ(collection.GetViewMode(), c.viewMode);
    EXPECT_EQ(collection.AutoSort(), c.autoSort);
    EXPECT_EQ(collection.SkipMode(), c.skipMode);
    ASSERT_FALSE(shell_.skipModes.empty());
    EXPECT_EQ(shell_.skipModes.back(), c.skipMode);
    ASSERT_FALSE(shell_.viewModes.empty());
    EXPECT_EQ(shell_.viewModes.back(), c.viewMode);
    Close();
    for (const auto& [key, value] : c.written) EXPECT_EQ(IniValue(key.c_str()), value) << key;
  }
}

TEST_F(SettingsTest, TheOldSystemFontBecomesTheUsualOne) {
  struct Case {
    const char* name;
    const char* size;
    const char* weight;
    const char* writtenName;
    const char* writtenSize;
  };
  const Case cases[] = {
      {"System", "16", "400", "MS Sans Serif", "-11"},
      {"system", "16", "400", "system", "16"},  // the name compares exactly
      {"System", "16", "700", "System", "16"},  // a bold one was chosen
      {"System", "14", "400", "System", "14"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.size + " " + c.weight);
    Ini("FONT_NAME", c.name);
    Ini("FONT_SIZE", c.size);
    Ini("FONT_WEIGHT", c.weight);
    Ini("FONT_ITALIC", "0");
    Open();
    Close();
    EXPECT_EQ(IniValue("FONT_NAME"), c.writtenName);
    EXPECT_EQ(IniValue("FONT_SIZE"), c.writtenSize);
  }
}

TEST_F(SettingsTest, TheInfoColumnsAreMeasuredInTheTileFont) {
  Ini("FONT_SIZE", "-11");
  Open();
  const TileTextWidths small = ClipWindow::TextWidths();
  LOGFONT lf{};
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "MS Sans Serif");
  lf.lfHeight = -22;
  lf.lfWeight = FW_NORMAL;
  collection_->SetTileFont(lf);
  const TileTextWidths large = ClipWindow::TextWidths();
  EXPECT_GT(large.w1, small.w1 * 3 / 2);
  EXPECT_GT(large.w5, small.w5 * 3 / 2);
  EXPECT_LT(large.w2, large.w3);
  EXPECT_LT(large.w3, large.w4);
}

}  // namespace
}  // namespace cliptest
