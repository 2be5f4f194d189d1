#include "clips/summary_dialog.h"

#include <cstdio>
#include <cstdlib>

#include "platform/riff/riff.h"

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

// What the page applied is what the project's files say: another program
// reads the title from the INFO list written with the project's summary.
TEST_F(SummaryPageTest, AnAppliedTitleReachesTheInfoListOfWrittenFiles) {
  if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
  RunOnSummary([&](HWND sheet, HWND page) {
    TypeOver(page, kSummaryTitle, "Sunday walk");
    Click(sheet, IDOK);
  });
  TestFolder folder;
  const std::string path = folder.File("titled.wav");
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  ASSERT_NE(file, nullptr);
  MMCKINFO riff;
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  mmioCreateChunk(file, &riff, MMIO_CREATERIFF);
  MMCKINFO fmt;
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  mmioCreateChunk(file, &fmt, 0);
  // PCM, mono, 8000 Hz, 8 bits.
  const unsigned char format[16] = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0};
  mmioWrite(file, reinterpret_cast<const char*>(format), sizeof format);
  mmioAscend(file, &fmt, 0);
  MMCKINFO data;
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  mmioCreateChunk(file, &data, 0);
  const char samples[4] = {'\x80', '\x80', '\x80', '\x80'};
  mmioWrite(file, samples, sizeof samples);
  mmioAscend(file, &data, 0);
  ASSERT_TRUE(ProjectSummary.WriteRiffInfo(file));
  mmioAscend(file, &riff, 0);
  mmioClose(file, 0);

  const std::string command =
      "ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[256] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::string(line), "Sunday walk\n");
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
