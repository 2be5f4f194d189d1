#include "app/settings/general_page.h"

#include "app/settings/settings_sheet.h"
#include "model/timeline_engine.h"
#include "model/undo_history.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

class GeneralPageTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    host_.engine = &engine_;
    depth_ = UndoScript::Depth();
  }
  void TearDown() override {
    UndoScript::SetDepth(depth_);
    SettingsTest::TearDown();
  }
  // Runs the settings sheet on the General page.
  void RunOnGeneral(std::function<void(HWND sheet, HWND page)> step) { RunOn("General", std::move(step)); }
  static std::vector<std::string> Entries(HWND page) {
    HWND list = GetDlgItem(page, kGeneralStartPlayback);
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessage(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[128] = {};
      SendMessage(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    return entries;
  }
  static int Selected(HWND page) {
    return static_cast<int>(SendDlgItemMessage(page, kGeneralStartPlayback, CB_GETCURSEL, 0, 0));
  }
  static void Choose(HWND page, int entry) {
    SendDlgItemMessage(page, kGeneralStartPlayback, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessage(page, WM_COMMAND, MAKEWPARAM(kGeneralStartPlayback, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(page, kGeneralStartPlayback)));
    Pump(page);
  }

  TimeLineEngine engine_;
  int32_t depth_ = 100;
};

TEST_F(GeneralPageTest, TheStartListNamesTheBoardsGpiLines) {
  struct Case {
    const char* name;
    std::map<int, std::string> lines;
    int32_t condition;
    std::vector<std::string> entries;
    int selected;
  };
  const Case cases[] = {
      {"no board", {}, 1, {"immediately", "after keybaord event"}, 1},
      {"lines 0 and 2",
       {{0, "Deck"}, {2, "Fader"}},
       4,
       {"immediately", "after keybaord event", "after event on GPI0 (Deck)", "after event on GPI2 (Fader)"},
       3},
      {"a line the board no longer reports", {{0, "Deck"}}, 5, {"immediately", "after keybaord event",
                                                                 "after event on GPI0 (Deck)"}, -1},
  };
  for (const Case& c : cases) {
    host_.gpi = c.lines;
    engine_.play.askBeforeStart = c.condition;
    std::vector<std::string> entries;
    int selected = -2;
    RunOnGeneral([&](HWND sheet, HWND page) {
      entries = Entries(page);
      selected = Selected(page);
      Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(entries, c.entries) << c.name;
    EXPECT_EQ(selected, c.selected) << c.name;
  }
}

TEST_F(GeneralPageTest, OkWritesTheValuesIntoTheTimeLine) {
  host_.gpi = {{1, "Start"}};
  engine_.length = 60000;
  engine_.play.loopCount = 1;
  engine_.play.startFromCursor = false;
  engine_.play.realtimeMute = true;
  bool applyBefore = true, applyAfter = false;
  RunOnGeneral([&](HWND sheet, HWND page) {
    applyBefore = ApplyEnabled(sheet);
    TypeOver(page, kGeneralRepeat, "3");
    applyAfter = ApplyEnabled(sheet);
    TypeOver(page, kGeneralUndoDepth, "500");  // at most 100
    TypeOver(page, kGeneralAudioTracks, "2");
    Choose(page, 2);
    Click(page, kGeneralFromCursor);
    Click(page, kGeneralRealtimeMute);
    Click(page, kGeneralHideCursor);
    Click(sheet, IDOK);
  });
  EXPECT_FALSE(applyBefore);
  EXPECT_TRUE(applyAfter);
  EXPECT_EQ(engine_.play.loopCount, 3);
  EXPECT_EQ(UndoScript::Depth(), 100);
  EXPECT_EQ(engine_.audioLineCount, 2);
  EXPECT_EQ(engine_.play.askBeforeStart, 3);
  EXPECT_TRUE(engine_.play.startFromCursor);
  EXPECT_FALSE(engine_.play.realtimeMute);
  EXPECT_TRUE(engine_.hidePlaybackCursor);
  EXPECT_EQ(engine_.length, 60000);
}

// A GPI line chosen on the page that the board stops reporting before OK
// leaves the start condition as it was.
TEST_F(GeneralPageTest, ALineGoneBeforeApplyKeepsTheCondition) {
  host_.gpi = {{0, "Deck"}};
  engine_.play.askBeforeStart = 1;
  RunOnGeneral([&](HWND sheet, HWND page) {
    Choose(page, 2);
    host_.gpi.clear();
    Click(sheet, IDOK);
  });
  EXPECT_EQ(engine_.play.askBeforeStart, 1);
}

TEST_F(GeneralPageTest, WhilePlayingTheLengthStaysAndTheRestApplies) {
  engine_.playing = true;
  engine_.length = 60000;
  RunOnGeneral([&](HWND sheet, HWND page) {
    TypeOver(page, kGeneralRepeat, "7");
    Click(sheet, IDOK);
  });
  EXPECT_EQ(engine_.play.loopCount, 7);
  EXPECT_EQ(engine_.length, 60000);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Set Script Size");
  EXPECT_EQ(boxes_.shown[0].text, "The project is currently playing");
  engine_.playing = false;
}

}  // namespace
}  // namespace settingstest
