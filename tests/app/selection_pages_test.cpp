#include "app/settings/selection_pages.h"

#include "app/settings/settings_sheet.h"
#include "model/film_list.h"
#include "model/timeline_engine.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

class SelectionPagesTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    host_.engine = &engine_;
    host_.options = &options_;
    group_ = SelectionGroup;
  }
  void TearDown() override {
    SelectionGroup = group_;
    SettingsTest::TearDown();
  }
  static int Selected(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessage(page, id, CB_GETCURSEL, 0, 0));
  }

  TimeLineEngine engine_;
  TimeLineSettings options_;
  int32_t group_ = 1;
};

TEST_F(SelectionPagesTest, AlignmentShowsAndStoresTheSnapping) {
  struct Case {
    int32_t stored;
    int checked;  // the radio button shown
  };
  for (const Case c : {Case{3, 3}, Case{0, 0}, Case{9, 0}, Case{-2, 0}}) {
    engine_.gravityAlign = c.stored;
    engine_.gravityGroup = 4;
    int checked = -1, group = -1;
    RunOn("Alignment", [&](HWND sheet, HWND page) {
      for (int v = 0; v < 7; ++v) {
        if (Checked(page, kGravityAlignFirst + v)) checked = v;
      }
      group = Selected(page, kGravityGroup);
      Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(checked, c.checked) << c.stored;
    EXPECT_EQ(group, 4) << c.stored;
  }

  engine_.alignToFrame = false;
  options_.alignTime = true;
  const int zooms = host_.zoomChanges;
  RunOn("Alignment", [&](HWND sheet, HWND page) {
    Click(page, kGravityAlignFirst + 5);
    SendDlgItemMessage(page, kGravityGroup, CB_SETCURSEL, 0, 0);
    Click(page, kGravityToFrame);
    Click(page, kGravityAlignTime);
    TypeOver(page, kGravityDistance, "20");
    Click(sheet, IDOK);
  });
  EXPECT_EQ(engine_.gravityAlign, 5);
  EXPECT_EQ(engine_.gravityGroup, 0);  // "All"
  EXPECT_TRUE(engine_.alignToFrame);
  EXPECT_FALSE(options_.alignTime);
  EXPECT_EQ(engine_.gravityDistance, 20);
  EXPECT_EQ(engine_.gravityDistanceMs, engine_.PixelsToTime(20));
  EXPECT_EQ(host_.zoomChanges, zooms + 2);  // the page's and the sheet's
}

TEST_F(SelectionPagesTest, SelectionStoresGroupAndSolo) {
  SelectionGroup = 3;
  options_.multiSolo = false;
  options_.dontChangeCurTime = false;
  options_.selectCurTimeOverClips = true;
  int shownGroup = -1;
  bool exclusive = false;
  RunOn("Selection", [&](HWND sheet, HWND page) {
    shownGroup = Selected(page, kSelectionGroup);
    exclusive = Checked(page, kSelectionExclusiveSolo);
    SendDlgItemMessage(page, kSelectionGroup, CB_SETCURSEL, 8, 0);
    Click(page, kSelectionExclusiveSolo);
    Click(page, kSelectionKeepCurTime);
    Click(page, kSelectionCurTimeOverClips);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(shownGroup, 2);
  EXPECT_TRUE(exclusive);
  EXPECT_EQ(SelectionGroup, 9);
  EXPECT_TRUE(options_.multiSolo);
  EXPECT_TRUE(options_.dontChangeCurTime);
  EXPECT_FALSE(options_.selectCurTimeOverClips);
}

}  // namespace
}  // namespace settingstest
