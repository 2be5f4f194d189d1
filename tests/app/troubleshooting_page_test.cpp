#include "app/settings/troubleshooting_page.h"

#include "app/settings/settings_sheet.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

class TroubleshootingPageTest : public SettingsTest {
 protected:
  void RunOnPage(std::function<void(HWND sheet, HWND page)> step) { RunOn("Troubleshooting", std::move(step)); }
  static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
};

// The delay and its labels only count while the delay is used.
TEST_F(TroubleshootingPageTest, TheDelayIsEditableOnlyWhileUsed) {
  host_.delayOn = false;
  std::vector<bool> before, after;
  RunOnPage([&](HWND sheet, HWND page) {
    for (int id : {kTroubleDelay, kTroubleDelayLabel, kTroubleDelayUnit}) before.push_back(Enabled(page, id));
    Click(page, kTroubleUseDelay);
    for (int id : {kTroubleDelay, kTroubleDelayLabel, kTroubleDelayUnit}) after.push_back(Enabled(page, id));
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(before, std::vector<bool>(3, false));
  EXPECT_EQ(after, std::vector<bool>(3, true));
  EXPECT_FALSE(host_.delayOn);
}

TEST_F(TroubleshootingPageTest, ADelayTypedAboveTheLimitIsStoredAsTheLimit) {
  host_.delayOn = true;
  host_.delay = 200;
  RunOnPage([&](HWND sheet, HWND page) {
    TypeOver(page, kTroubleDelay, "5000");
    Click(sheet, IDOK);
  });
  EXPECT_TRUE(host_.delayOn);
  EXPECT_EQ(host_.delay, 1000);
}

}  // namespace
}  // namespace settingstest
