#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/dialogs/dialog_test_util.h"
#include "platform/gui/modal.h"

namespace {

std::vector<std::string> g_log;

class TTestPage : public TPropertyPage {
 public:
  TTestPage(TPropertySheet* sheet, int resId, const char* name) : TPropertyPage(sheet, resId), Name(name) {}
  int SetActive(PSHNOTIFY& n) override {
    g_log.push_back(Name + " active");
    return TPropertyPage::SetActive(n);
  }
  bool KillActive(PSHNOTIFY&) override {
    g_log.push_back(Name + " kill");
    return keep_focus;
  }
  int Apply(PSHNOTIFY& n) override {
    g_log.push_back(Name + " apply");
    return refuse ? PSNRET_INVALID_NOCHANGEPAGE : TPropertyPage::Apply(n);
  }
  void Reset(PSHNOTIFY&) override { g_log.push_back(Name + " reset"); }
  void Help(PSHNOTIFY&) override { g_log.push_back(Name + " help"); }
  std::string Name;
  bool refuse = false;
  bool keep_focus = false;
};

DialogTemplate PageTemplate(const char* caption) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
  t.cx = 160;
  t.cy = 80;
  t.caption = caption;
  t.items = {{WC_EDIT, "", 100, WS_VISIBLE | WS_TABSTOP, 0, 10, 10, 80, 12}};
  return t;
}

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

void ClickTab(HWND sheet, int index) {
  HWND tab = GetDlgItem(sheet, kPropertySheetTabId);
  RECT r{};
  ASSERT_TRUE(SendMessage(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
  GuiClick(tab, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void Press(HWND sheet, int id) {
  SendMessage(GetDlgItem(sheet, id), BM_CLICK, 0, 0);
}

class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDialogResource(7901, PageTemplate("General"));
    RegisterDialogResource(7902, PageTemplate("Colors"));
    g_log.clear();
    frame_ = new TFrameWindow(nullptr, "Owner");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    delete frame_;
    GuiPumpMessages();
  }
  TFrameWindow* frame_ = nullptr;
};

TEST_F(SheetTest, OkAppliesOnlyThePagesThatWereOpened) {
  TPropertySheet sheet(frame_, "Settings", 1);
  auto* general = new TTestPage(&sheet, 7901, "general");
  auto* colors = new TTestPage(&sheet, 7902, "colors");
  Hook hook([&](HWND s) {
    char caption[32];
    GetWindowText(s, caption, sizeof caption);
    EXPECT_STREQ(caption, "Settings");
    EXPECT_EQ(sheet.GetCurrentPageIndex(), 1);
    EXPECT_FALSE(general->IsWindow());
    EXPECT_TRUE(IsWindowVisible(*colors));
    EXPECT_TRUE(IsChild(s, *colors));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s, ID_APPLY_NOW)));
    EXPECT_EQ(GetDlgItem(s, IDHELP), nullptr);
    Press(s, IDOK);
  });
  EXPECT_EQ(sheet.Execute(), IDOK);
  EXPECT_EQ(g_log, (std::vector<std::string>{"colors active", "colors kill", "colors apply"}));
}

TEST_F(SheetTest, TabsApplyAndCancel) {
  TPropertySheet sheet(frame_, "Settings", 0);
  auto* general = new TTestPage(&sheet, 7901, "general");
  auto* colors = new TTestPage(&sheet, 7902, "colors");
  Hook hook([&](HWND s) {
    ClickTab(s, 1);
    GuiPumpMessages();
    EXPECT_EQ(sheet.GetCurrentPageIndex(), 1);
    EXPECT_FALSE(IsWindowVisible(*general));
    EXPECT_TRUE(IsWindowVisible(*colors));
    // A change on a page enables Apply; Apply applies both pages in order.
    SendMessage(s, PSM_CHANGED, reinterpret_cast<WPARAM>(colors->GetHandle()), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(s, ID_APPLY_NOW)));
    Press(s, ID_APPLY_NOW);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s, ID_APPLY_NOW)));
    Press(s, IDCANCEL);
  });
  EXPECT_EQ(sheet.Execute(), IDCANCEL);
  EXPECT_EQ(g_log,
            (std::vector<std::string>{"general active", "general kill", "colors active", "colors kill",
                                      "general apply", "colors apply", "general reset", "colors reset"}));
}

TEST_F(SheetTest, APageThatRefusesKeepsTheSheetOpenOnIt) {
  TPropertySheet sheet(frame_, "Settings", 0);
  new TTestPage(&sheet, 7901, "general");
  auto* colors = new TTestPage(&sheet, 7902, "colors");
  colors->refuse = true;
  int oks = 0;
  Hook hook([&](HWND s) {
    ClickTab(s, 1);
    GuiPumpMessages();
    ClickTab(s, 0);
    GuiPumpMessages();
    ASSERT_EQ(sheet.GetCurrentPageIndex(), 0);
    Press(s, IDOK);
    ++oks;
    EXPECT_TRUE(IsWindow(s));
    EXPECT_EQ(sheet.GetCurrentPageIndex(), 1);  // brought to the page that refused
    // A page that keeps the focus stops a move to another tab.
    colors->keep_focus = true;
    ClickTab(s, 0);
    GuiPumpMessages();
    EXPECT_EQ(sheet.GetCurrentPageIndex(), 1);
    Press(s, IDCANCEL);
  });
  EXPECT_EQ(sheet.Execute(), IDCANCEL);
  EXPECT_EQ(oks, 1);
}

TEST_F(SheetTest, HelpCancelToCloseAndAStartPageBeyondTheLast) {
  TPropertySheet sheet(frame_, "Synchronization", 9);
  auto* gpi = new TTestPage(&sheet, 7901, "gpi");
  gpi->SetFlags(PSP_HASHELP);
  Hook hook([&](HWND s) {
    EXPECT_EQ(sheet.GetCurrentPageIndex(), 0);
    ASSERT_NE(GetDlgItem(s, IDHELP), nullptr);
    Press(s, IDHELP);
    SendMessage(s, PSM_CANCELTOCLOSE, 0, 0);
    EXPECT_EQ(TextOf(GetDlgItem(s, IDOK)), "Close");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s, IDCANCEL)));
    Press(s, IDOK);
  });
  EXPECT_EQ(sheet.Execute(), IDOK);
  EXPECT_EQ(g_log, (std::vector<std::string>{"gpi active", "gpi help", "gpi kill", "gpi apply"}));
}

}  // namespace
