#include "timeline/window/fade_profile.h"

#include <gtest/gtest.h>

#include <vector>

#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using FadeProfileTest = TimeLineTest;

std::vector<int32_t> Times(const FadePoint* points) {
  std::vector<int32_t> t;
  for (int32_t i = 0; i < TheFadeProfile.count; ++i) t.push_back(points[i].time);
  return t;
}
std::vector<int32_t> Volumes(const FadePoint* points) {
  std::vector<int32_t> v;
  for (int32_t i = 0; i < TheFadeProfile.count; ++i) v.push_back(points[i].volume);
  return v;
}

TEST_F(FadeProfileTest, ACountOutsideTwoToThirtyThreeIsBroughtIntoIt) {
  for (auto [stored, count] : {std::pair{"1", 2}, std::pair{"40", 33}, std::pair{"5", 5}}) {
    Ini("FADE", "COUNT", stored);
    LoadFadeSettings();
    EXPECT_EQ(TheFadeProfile.count, count) << stored;
    EXPECT_EQ(TheFadeProfile.fadeIn[0].time, 0);
    EXPECT_EQ(TheFadeProfile.fadeIn[count - 1].time, 1024);
    EXPECT_EQ(TheFadeProfile.fadeIn[count - 1].volume, 512);
  }
}

TEST_F(FadeProfileTest, WithoutASectionTenStraightPointsAreReadAndSavedBack) {
  LoadFadeSettings();
  EXPECT_EQ(Times(TheFadeProfile.fadeIn),
            (std::vector<int32_t>{0, 114, 228, 341, 455, 569, 683, 796, 910, 1024}));
  EXPECT_EQ(Volumes(TheFadeProfile.fadeIn),
            (std::vector<int32_t>{0, 57, 114, 171, 228, 284, 341, 398, 455, 512}));
  EXPECT_EQ(Times(TheFadeProfile.fadeOut),
            (std::vector<int32_t>{0, 114, 228, 341, 455, 569, 683, 796, 910, 1024}));
  EXPECT_EQ(Volumes(TheFadeProfile.fadeOut),
            (std::vector<int32_t>{512, 455, 398, 341, 284, 228, 171, 114, 57, 0}));
  SaveFadeSettings();
  EXPECT_EQ(IniKeys("FADE"),
            (std::vector<std::string>{"DIRECTORY", "COUNT", "TIME1", "VOLUME1", "TIME2", "VOLUME2", "TIME3",
                                      "VOLUME3", "TIME4", "VOLUME4", "TIME5", "VOLUME5", "TIME6", "VOLUME6",
                                      "TIME7", "VOLUME7", "TIME8", "VOLUME8"}));
  EXPECT_EQ(IniValue("FADE", "TIME4"), "455");
  EXPECT_EQ(IniValue("FADE", "COUNT"), "10");
}

// Stored points that go back are pulled into order, and the curve never
// falls whatever the file holds.
TEST_F(FadeProfileTest, StoredPointsOutOfOrderGiveARisingCurve) {
  Ini("FADE", "COUNT", "5");
  Ini("FADE", "TIME1", "500");
  Ini("FADE", "TIME2", "600");
  Ini("FADE", "TIME3", "100");
  Ini("FADE", "VOLUME1", "300");
  Ini("FADE", "VOLUME2", "9999");
  Ini("FADE", "VOLUME3", "-5");
  Ini("FADE", "DIRECTORY", "/home/user/fades");
  LoadFadeSettings();
  EXPECT_EQ(Times(TheFadeProfile.fadeIn), (std::vector<int32_t>{0, 500, 500, 500, 1024}));
  EXPECT_EQ(Volumes(TheFadeProfile.fadeIn), (std::vector<int32_t>{0, 300, 300, 300, 512}));
  // The fade-out mirrors it.
  EXPECT_EQ(Times(TheFadeProfile.fadeOut), (std::vector<int32_t>{0, 524, 524, 524, 1024}));
  EXPECT_EQ(Volumes(TheFadeProfile.fadeOut), (std::vector<int32_t>{512, 300, 300, 300, 0}));
  EXPECT_STREQ(TheFadeProfile.folder, "/home/user/fades");

  // A point above its successor comes down to it.
  Ini("FADE", "TIME1", "400");
  Ini("FADE", "TIME2", "300");
  Ini("FADE", "TIME3", "800");
  LoadFadeSettings();
  EXPECT_EQ(Times(TheFadeProfile.fadeIn), (std::vector<int32_t>{0, 300, 300, 800, 1024}));
}

// Building the level tables at start-up reads the profile.
TEST_F(FadeProfileTest, TheWindowLoadsTheProfileWithTheLevelTables) {
  Ini("FADE", "COUNT", "3");
  Ini("FADE", "TIME1", "200");
  MainTimeLineWindow w(nullptr);
  EXPECT_EQ(TheFadeProfile.count, 3);
  EXPECT_EQ(TheFadeProfile.fadeIn[1].time, 200);
}

}  // namespace
}  // namespace timelinetest
