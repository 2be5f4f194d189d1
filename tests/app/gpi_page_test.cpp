#include "app/settings/gpi_page.h"

#include "app/settings/settings_sheet.h"
#include "model/time_code.h"
#include "settings_fixture.h"
#include "video/wait_dialog.h"

using namespace dialogtest;

namespace settingstest {
namespace {

class GpiPageTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    timeout_ = GpiTimeout;
    format_ = ProjectTimeFormat();
  }
  void TearDown() override {
    GpiTimeout = timeout_;
    SetProjectTimeFormat(format_);
    SettingsTest::TearDown();
  }
  int Run(std::function<void(HWND sheet, HWND page)> step) {
    ModalScript script({[step](HWND sheet) { step(sheet, CurrentPage(sheet)); }});
    return RunSynchronizationSheet(frame_.get());
  }
  int32_t timeout_ = 0;
  int format_ = 0;
};

TEST_F(GpiPageTest, TheSheetIsTitledAndRemembersItsPage) {
  std::string title;
  Run([&](HWND sheet, HWND) {
    title = Text(sheet);
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(title, "Synchronization");
  EXPECT_EQ(IniValue("MAIN_WINDOW", "START_SYNCHRO_PAGE"), "0");
  EXPECT_EQ(host_.zoomChanges, 0);
}

TEST_F(GpiPageTest, TheTimeoutUnitFollowsTheTimeFormat) {
  for (const auto& [format, unit] : {std::pair{kTimeFormatMs, "ms"}, std::pair{1, "fr"}, std::pair{2, "fr"}}) {
    SetProjectTimeFormat(format);
    std::string shown;
    Run([&](HWND sheet, HWND page) {
      shown = ItemText(page, kGpiTimeoutUnit);
      Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(shown, unit) << format;
  }
}

// Lines the board does not offer are shown disabled and never written.
TEST_F(GpiPageTest, OnlyAvailableLinesAreShownEnabledAndWritten) {
  host_.gpi = {{1, "Deck start"}, {3, "Fader"}};
  host_.gpiOpen = {3};
  std::vector<std::string> names;
  std::vector<bool> enabled, open, inputEnabled;
  Run([&](HWND sheet, HWND page) {
    for (int n = 0; n < kGpiLines; ++n) {
      names.push_back(ItemText(page, kGpiName + n));
      enabled.push_back(IsWindowEnabled(GetDlgItem(page, kGpiOpen + n)) != FALSE);
      open.push_back(Checked(page, kGpiOpen + n));
      inputEnabled.push_back(IsWindowEnabled(GetDlgItem(page, kGpiInput + n)) != FALSE);
    }
    Click(page, kGpiOpen + 1);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(names, (std::vector<std::string>{"None", "Deck start", "None", "Fader"}));
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, false, true}));
  EXPECT_EQ(open, (std::vector<bool>{true, false, true, true}));
  EXPECT_EQ(inputEnabled, std::vector<bool>(4, false));
  EXPECT_EQ(host_.gpiWrites, (std::vector<std::pair<int, bool>>{{1, true}, {3, true}}));
}

// A refused line beeps, takes the focus and keeps the sheet open; the
// time-out and the other lines are taken all the same.
TEST_F(GpiPageTest, ARefusedLineKeepsTheSheetOnItsPage) {
  host_.gpi = {{0, "A"}, {2, "C"}};
  host_.gpiRefused = {0};
  GpiTimeout = 1000;
  bool open = false;
  HWND focus = nullptr, box = nullptr;
  const int result = Run([&](HWND sheet, HWND page) {
    Click(page, kGpiOpen + 2);
    Click(sheet, IDOK);
    open = IsWindow(sheet) != FALSE;
    focus = GetFocus();
    box = GetDlgItem(page, kGpiOpen);
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(open);
  EXPECT_EQ(focus, box);
  EXPECT_EQ(boxes_.beeps, 1);
  EXPECT_EQ(host_.gpiOpen, std::set<int>{2});
  EXPECT_EQ(host_.gpiWrites, (std::vector<std::pair<int, bool>>{{0, false}, {2, true}}));
  EXPECT_EQ(GpiTimeout, 1000);
}

}  // namespace
}  // namespace settingstest
