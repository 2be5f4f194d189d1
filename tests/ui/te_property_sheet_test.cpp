#include "ui/te_property_sheet.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "ui/numeric_edits.h"

using namespace dialogtest;

namespace {

constexpr int kFirstTestPage = 30100;

// A page that keeps a log of what it applied.
class LoggingPage : public TEPropertyPage {
 public:
  LoggingPage(TPropertySheet* sheet, int resId, int* index, std::vector<int>& log)
      : TEPropertyPage(sheet, resId, index), log_(log) {}
  int Apply(PSHNOTIFY& notify) override {
    log_.push_back(GetHelpContext());
    return TEPropertyPage::Apply(notify);
  }

 private:
  std::vector<int>& log_;
};

class PropertySheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterProgramResources();
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    GuiPumpMessages();
    for (int i = 0; i < 3; ++i) {
      DialogTemplate t;
      t.cx = 120;
      t.cy = 60;
      t.caption = "Page " + std::to_string(i);
      t.items = {{WC_EDIT, "", 100, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 7, 7, 60, 12}};
      RegisterDialogResource(kFirstTestPage + i, t);
    }
  }
  // Three pages counted from indexVariable; runs the sheet with script.
  int Run(int& indexVariable, UINT start, std::deque<ModalScript::Step> steps) {
    TEPropertySheet sheet(frame_.get(), "Test", start);
    for (int i = 0; i < 3; ++i) new LoggingPage(&sheet, kFirstTestPage + i, &indexVariable, applied);
    ModalScript script(std::move(steps));
    return sheet.Execute();
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
  }
  static HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessage(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }
  static void SelectPage(HWND sheet, int index) {
    SendMessage(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Pump(sheet);
  }
  static bool ApplyEnabled(HWND sheet) { return IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)) != FALSE; }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
  std::vector<int> applied;
};

TEST_F(PropertySheetTest, PagesCountTheirIndexesAndRememberTheLastOneShown) {
  int index = 0;
  TEPropertySheet sheet(frame_.get(), "Test");
  auto* a = new LoggingPage(&sheet, kFirstTestPage, &index, applied);
  auto* b = new LoggingPage(&sheet, kFirstTestPage + 1, &index, applied);
  EXPECT_EQ(a->PageIndex(), 0);
  EXPECT_EQ(b->PageIndex(), 1);
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(a->GetFlags() & PSP_HASHELP);

  int last = 0;
  EXPECT_EQ(Run(last, 0, {[](HWND d) {
              SelectPage(d, 2);
              SelectPage(d, 1);
              Click(d, IDCANCEL);
            }}),
            IDCANCEL);
  EXPECT_EQ(last, 1);
  EXPECT_TRUE(applied.empty());
}

TEST_F(PropertySheetTest, HelpOpensTheTopicOfThePagesResource) {
  int index = 0;
  Run(index, 2, {[](HWND d) {
        Click(d, IDHELP);
        Click(d, IDCANCEL);
      }});
  EXPECT_EQ(shell_.help, std::vector<int>{kFirstTestPage + 2});
}

// A change only enables Apply; OK applies the pages that were opened.
TEST_F(PropertySheetTest, AChangeEnablesApplyAndOkAppliesOnlyTheOpenedPages) {
  int index = 0;
  bool before = true, after = false;
  std::vector<int> appliedBeforeOk;
  EXPECT_EQ(Run(index, 0, {[&](HWND d) {
              before = ApplyEnabled(d);
              SendMessage(CurrentPage(d), kNumberChanged, 100, 0);
              Pump(d);
              after = ApplyEnabled(d);
              appliedBeforeOk = applied;
              SelectPage(d, 2);
              Click(d, IDOK);
            }}),
            IDOK);
  EXPECT_FALSE(before);
  EXPECT_TRUE(after);
  EXPECT_TRUE(appliedBeforeOk.empty());
  EXPECT_EQ(applied, (std::vector<int>{kFirstTestPage, kFirstTestPage + 2}));
}

TEST_F(PropertySheetTest, IdleTimeFirstDrawsAPendingClip) {
  int index = 0;
  TEPropertySheet sheet(frame_.get(), "Test");
  auto* page = new LoggingPage(&sheet, kFirstTestPage, &index, applied);
  shell_.pending = 2;
  EXPECT_FALSE(sheet.IdleAction(0));
  EXPECT_FALSE(page->IdleAction(0));
  EXPECT_EQ(shell_.drawn, 2);
}

}  // namespace
