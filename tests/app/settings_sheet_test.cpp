#include "app/settings/settings_sheet.h"

#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

using SettingsSheetTest = SettingsTest;

TEST_F(SettingsSheetTest, WhilePlayingItSaysSoAndOpensNothing) {
  host_.playing = true;
  ModalScript script({});
  EXPECT_EQ(RunSettingsSheet(frame_.get()), 0);
  EXPECT_EQ(script.shown, 0);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "The project is currently playing");
  EXPECT_EQ(boxes_.shown[0].caption, "Settings");
  EXPECT_EQ(IniValue("MAIN_WINDOW", "START_PAGE"), "<none>");
  EXPECT_EQ(host_.commands, "");
}

// The sheet is titled, switches the time-line's commands off while it is
// up, redraws the time-line and the tiles after it and remembers its page.
TEST_F(SettingsSheetTest, ItRunsWithTheTimeLineCommandsOffAndRemembersItsPage) {
  std::string title, commandsWhileUp;
  ModalScript script({[&](HWND d) {
    title = Text(d);
    commandsWhileUp = host_.commands;
    Click(d, IDCANCEL);
  }});
  EXPECT_EQ(RunSettingsSheet(frame_.get()), IDCANCEL);
  EXPECT_EQ(title, "Settings");
  EXPECT_EQ(commandsWhileUp, "-");
  EXPECT_EQ(host_.commands, "-+");
  EXPECT_EQ(host_.zoomChanges, 1);
  EXPECT_EQ(host_.tileRedraws, 1);
  EXPECT_EQ(IniValue("MAIN_WINDOW", "START_PAGE"), "0");
}

// An edited settings file may name a page past the last: the last opens.
TEST_F(SettingsSheetTest, ARememberedPagePastTheEndOpensTheLast) {
  IniSet("MAIN_WINDOW", "START_PAGE", "99");
  int shownIndex = -1, pages = 0;
  ModalScript script({[&](HWND d) {
    pages = static_cast<int>(SendMessage(GetDlgItem(d, kPropertySheetTabId), TCM_GETITEMCOUNT, 0, 0));
    shownIndex = static_cast<int>(SendMessage(GetDlgItem(d, kPropertySheetTabId), TCM_GETCURSEL, 0, 0));
    Click(d, IDCANCEL);
  }});
  RunSettingsSheet(frame_.get());
  EXPECT_EQ(shownIndex, pages - 1);
  EXPECT_EQ(IniValue("MAIN_WINDOW", "START_PAGE"), std::to_string(pages - 1));
}

TEST_F(SettingsSheetTest, ColorsThenCancelReopensOnColors) {
  int colors = -1, shownNext = -2;
  {
    ModalScript script({[&](HWND d) {
      colors = TabIndex(d, "Colors");
      ClickTab(d, colors);
      Click(d, IDCANCEL);
    }});
    RunSettingsSheet(frame_.get());
  }
  ASSERT_GT(colors, 0);
  EXPECT_EQ(IniValue("MAIN_WINDOW", "START_PAGE"), std::to_string(colors));
  ModalScript script({[&](HWND d) {
    shownNext = static_cast<int>(SendMessage(GetDlgItem(d, kPropertySheetTabId), TCM_GETCURSEL, 0, 0));
    Click(d, IDCANCEL);
  }});
  RunSettingsSheet(frame_.get());
  EXPECT_EQ(shownNext, colors);
}

// Only the pages that were opened apply: the Colors page, never shown,
// leaves the time-line's colours alone even where they differ from its copy.
TEST_F(SettingsSheetTest, OkAfterOnlyTheFirstPageAppliesOnlyThatPage) {
  int zoomsBeforeOk = -1;
  ModalScript script({[&](HWND d) {
    zoomsBeforeOk = host_.zoomChanges;
    TimeLineColors[kColorWaveform] = 0x010203;
    Click(d, IDOK);
  }});
  EXPECT_EQ(RunSettingsSheet(frame_.get()), IDOK);
  EXPECT_EQ(zoomsBeforeOk, 0);
  EXPECT_EQ(host_.zoomChanges, 1);  // the redraw after the sheet, none from Colors
  EXPECT_EQ(TimeLineColors[kColorWaveform], 0x010203u);
}

TEST_F(SettingsSheetTest, VisitingEveryPageLeavesApplyOffAndCtrlTabMovesOn) {
  std::vector<std::string> enabledBy;
  int next = -1, previous = -1;
  ModalScript script({[&](HWND d) {
    HWND tab = GetDlgItem(d, kPropertySheetTabId);
    const int pages = static_cast<int>(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < pages; ++i) {
      ClickTab(d, i);
      GuiPumpMessages();
      dialogtest::Pump(d);
      if (ApplyEnabled(d)) {
        char title[64] = {};
        TCITEM item{};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = sizeof title;
        SendMessage(tab, TCM_GETITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        enabledBy.push_back(title);
        break;
      }
    }
    ClickTab(d, 0);
    SetFocus(GetDlgItem(CurrentPage(d), 0) != nullptr ? GetDlgItem(CurrentPage(d), 0) : CurrentPage(d));
    GuiKey(VK_CONTROL, true);
    GuiPressKey(VK_TAB);
    GuiKey(VK_CONTROL, false);
    dialogtest::Pump(d);
    next = static_cast<int>(SendMessage(tab, TCM_GETCURSEL, 0, 0));
    GuiKey(VK_CONTROL, true);
    GuiKey(VK_SHIFT, true);
    GuiPressKey(VK_TAB);
    GuiKey(VK_SHIFT, false);
    GuiKey(VK_CONTROL, false);
    dialogtest::Pump(d);
    previous = static_cast<int>(SendMessage(tab, TCM_GETCURSEL, 0, 0));
    Click(d, IDCANCEL);
  }});
  RunSettingsSheet(frame_.get());
  EXPECT_TRUE(enabledBy.empty()) << enabledBy[0];
  EXPECT_EQ(next, 1);
  EXPECT_EQ(previous, 0);
}

}  // namespace
}  // namespace settingstest
