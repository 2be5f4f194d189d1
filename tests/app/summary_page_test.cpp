#include "clips/summary_dialog.h"

#include "app/settings/settings_sheet.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

constexpr int kTitle = 15;

class SummaryPageTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    saved_.Assign(ProjectSummary);
    dontSave_ = SummaryDontSave;
    ProjectSummary.Clear(true);
    ProjectSummary.SetField(kTitle, "Old title");
    ProjectSummary.SetField(kSummaryCreationDate, "2026-12-10");
  }
  void TearDown() override {
    ProjectSummary.Assign(saved_);
    SummaryDontSave = dontSave_;
    SettingsTest::TearDown();
  }
  void RunOnSummary(std::function<void(HWND sheet, HWND page)> step, std::deque<ModalScript::Step> nested = {}) {
    nested.push_front([step](HWND sheet) {
      OpenTab(sheet, "Summary");
      step(sheet, CurrentPage(sheet));
    });
    ModalScript script(std::move(nested));
    RunSettingsSheet(frame_.get());
  }
  static void SelectField(HWND dialog, int field) {
    SendDlgItemMessage(dialog, kExtSummaryFields, LB_SETCURSEL, static_cast<WPARAM>(field - 1), 0);
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(kExtSummaryFields, LBN_SELCHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, kExtSummaryFields)));
    Pump(dialog);
  }

  SummaryInfo saved_;
  bool dontSave_ = false;
};

TEST_F(SummaryPageTest, AnAppliedTitleIsTheProjectsCutTo254) {
  const std::string longTitle(300, 't');
  std::string shown;
  RunOnSummary([&](HWND sheet, HWND page) {
    shown = ItemText(page, kSummaryTitle);
    TypeOver(page, kSummaryTitle, longTitle.c_str());
    Click(page, kSummaryDontExport);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(shown, "Old title");
  EXPECT_EQ(std::string(ProjectSummary.GetField(kTitle)), std::string(254, 't'));
  EXPECT_EQ(SummaryDontSave, !dontSave_);
}

TEST_F(SummaryPageTest, CancelLeavesTheProjectsSummary) {
  RunOnSummary([&](HWND sheet, HWND page) {
    TypeOver(page, kSummaryTitle, "New");
    Click(sheet, IDCANCEL);
  });
  EXPECT_STREQ(ProjectSummary.GetField(kTitle), "Old title");
}

// The extended dialog locks the program's own fields; its OK refreshes the
// page and marks it changed, and only the sheet's OK reaches the project.
TEST_F(SummaryPageTest, TheExtendedDialogChangesThePageOnOk) {
  bool dateEnabled = true, softwareEnabled = true, titleEnabled = false, applyAfter = false;
  std::string dateShown, pageTitle;
  std::string projectTitleBeforeOk;
  RunOnSummary(
      [&](HWND sheet, HWND page) {
        Click(page, kSummaryExtended);
        pageTitle = ItemText(page, kSummaryTitle);
        applyAfter = ApplyEnabled(sheet);
        projectTitleBeforeOk = ProjectSummary.GetField(kTitle);
        Click(sheet, IDOK);
      },
      {[&](HWND ext) {
        SelectField(ext, kSummaryCreationDate);
        dateShown = ItemText(ext, kExtSummaryContent);
        dateEnabled = IsWindowEnabled(GetDlgItem(ext, kExtSummaryContent)) != FALSE;
        SelectField(ext, kSummarySoftware);
        softwareEnabled = IsWindowEnabled(GetDlgItem(ext, kExtSummaryContent)) != FALSE;
        SelectField(ext, kTitle);
        titleEnabled = IsWindowEnabled(GetDlgItem(ext, kExtSummaryContent)) != FALSE;
        TypeOver(ext, kExtSummaryContent, "From the list");
        SelectField(ext, 1);  // the text stays with the title
        Click(ext, IDOK);
      }});
  EXPECT_EQ(dateShown, "2026-12-10");
  EXPECT_FALSE(dateEnabled);
  EXPECT_FALSE(softwareEnabled);
  EXPECT_TRUE(titleEnabled);
  EXPECT_EQ(pageTitle, "From the list");
  EXPECT_TRUE(applyAfter);
  EXPECT_EQ(projectTitleBeforeOk, "Old title");
  EXPECT_STREQ(ProjectSummary.GetField(kTitle), "From the list");
}

TEST_F(SummaryPageTest, CancelInTheExtendedDialogLeavesThePage) {
  std::string pageTitle;
  bool applyAfter = true;
  RunOnSummary(
      [&](HWND sheet, HWND page) {
        Click(page, kSummaryExtended);
        pageTitle = ItemText(page, kSummaryTitle);
        applyAfter = ApplyEnabled(sheet);
        Click(sheet, IDCANCEL);
      },
      {[&](HWND ext) {
        SelectField(ext, kTitle);
        TypeOver(ext, kExtSummaryContent, "Dropped");
        Click(ext, IDCANCEL);
      }});
  EXPECT_EQ(pageTitle, "Old title");
  EXPECT_FALSE(applyAfter);
}

TEST_F(SummaryPageTest, SetAsDefaultWritesTheSettingsAtOnce) {
  std::string written;
  RunOnSummary([&](HWND sheet, HWND page) {
    TypeOver(page, kSummaryAuthor, "Ada");
    Click(page, kSummarySetDefault);
    written = IniValue("SUMMARY", "Author");
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(written, "Ada");
  EXPECT_STRNE(ProjectSummary.GetField(10), "Ada");
}

// Read-only, as a clip's file shows it: nothing typed reaches the summary.
TEST_F(SummaryPageTest, TheReadOnlyPageChangesNothing) {
  SummaryInfo file;
  file.SetField(kTitle, "Tagged");
  int index = 0;
  bool readOnly = false;
  std::string shown, extShown;
  bool extReadOnly = false;
  {
    TEPropertySheet sheet(frame_.get(), "Clip");
    new SummaryDialog(&sheet, &index, &file, false);
    ModalScript script({[&](HWND d) {
                          HWND page = CurrentPage(d);
                          shown = ItemText(page, kSummaryTitle);
                          readOnly = (GetWindowLong(GetDlgItem(page, kSummaryTitle), GWL_STYLE) & ES_READONLY) != 0;
                          TypeOver(page, kSummaryTitle, "Typed");
                          Click(page, kSummaryExtended);
                          Click(d, IDOK);
                        },
                        [&](HWND ext) {
                          SelectField(ext, kTitle);
                          extShown = ItemText(ext, kExtSummaryContent);
                          extReadOnly =
                              (GetWindowLong(GetDlgItem(ext, kExtSummaryContent), GWL_STYLE) & ES_READONLY) != 0;
                          Click(ext, IDOK);
                        }});
    sheet.Execute();
  }
  EXPECT_EQ(shown, "Tagged");
  EXPECT_TRUE(readOnly);
  EXPECT_EQ(extShown, "Tagged");
  EXPECT_TRUE(extReadOnly);
  EXPECT_STREQ(file.GetField(kTitle), "Tagged");
}

}  // namespace
}  // namespace settingstest
