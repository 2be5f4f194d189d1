#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/dialogs/dialog_test_util.h"
#include "platform/gui/modal.h"

namespace {

constexpr int kDialogId = 7800;
constexpr int kName = 100;
constexpr int kLoop = 104;
constexpr int kApply = 105;

void RegisterTemplate() {
  DialogTemplate t;
  t.cx = 180;
  t.cy = 90;
  t.caption = "Edit Name";
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_EDIT, "", kName, v | WS_TABSTOP | WS_GROUP, 0, 10, 10, 100, 12},
      {WC_BUTTON, "&Loop", kLoop, v | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, 10, 30, 60, 10},
      {WC_BUTTON, "OK", IDOK, v | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 10, 70, 40, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 60, 70, 40, 14},
      {WC_BUTTON, "&Apply", kApply, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 110, 70, 40, 14},
  };
  RegisterDialogResource(kDialogId, t);
}

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

// A name dialog in the program's manner: the caller's buffer is copied in
// on set-up and written back only on OK, when the name is not empty.
class TNameDialog : public TDialog {
 public:
  TNameDialog(TWindow* parent, std::string* name) : TDialog(parent, kDialogId), Name(name) {
    Edit = new TEdit(this, kName, 16);
    Loop = new TCheckBox(this, kLoop);
  }
  void SetupWindow() override {
    TDialog::SetupWindow();
    setup_saw_items = Edit->IsWindow() && Loop->IsWindow();
    Edit->SetText(Name->c_str());
    Loop->Check();
  }
  bool CanClose() override {
    if (Edit->GetText().empty()) {
      ::SetFocus(*Edit);
      MessageBeep(MB_ICONASTERISK);
      return false;
    }
    return TDialog::CanClose();
  }
  void TransferData(TTransferDirection direction) override {
    if (direction == tdGetData) *Name = Edit->GetText();
  }
  void CeApply(TCommandEnabler& ce) { ce.Enable(apply_enabled); }
  void CmApply() { ++applied; }

  std::string* Name;
  TEdit* Edit;
  TCheckBox* Loop;
  bool setup_saw_items = false;
  bool apply_enabled = false;
  int applied = 0;
  DECLARE_RESPONSE_TABLE(TNameDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TNameDialog, TDialog)
  EV_COMMAND_ENABLE(kApply, CeApply),
  EV_COMMAND(kApply, CmApply),
END_RESPONSE_TABLE;
// clang-format on

class ClassDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTemplate();
    TakeBeeps();
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

TEST_F(ClassDialogTest, ExecuteBindsTheItemsAndWritesBackOnlyOnOk) {
  std::string name = "clip 1";
  TNameDialog dlg(frame_, &name);
  {
    Hook hook([&](HWND d) {
      EXPECT_EQ(TWindow::GetWindowPtr(d), &dlg);
      EXPECT_TRUE(dlg.setup_saw_items);
      EXPECT_EQ(TextOf(GetDlgItem(d, kName)), "clip 1");
      EXPECT_EQ(dlg.Loop->GetCheck(), 1u);
      GuiType("x");
      GuiPressKey(VK_ESCAPE);
    });
    EXPECT_EQ(dlg.Execute(), IDCANCEL);
  }
  EXPECT_EQ(name, "clip 1");
  EXPECT_FALSE(dlg.IsWindow());
  EXPECT_FALSE(dlg.Edit->IsWindow());
  {
    Hook hook([&](HWND) {
      GuiPressKey(VK_END);
      GuiType("x");
      GuiPressKey(VK_RETURN);
    });
    EXPECT_EQ(dlg.Execute(), IDOK);
  }
  EXPECT_EQ(name, "clip 1x");
}

TEST_F(ClassDialogTest, AnInvalidEntryKeepsTheDialogOpenWithTheFocusOnIt) {
  std::string name;
  TNameDialog dlg(frame_, &name);
  int presses = 0;
  Hook hook([&](HWND d) {
    // OK with an empty name: the dialog stays, beeps, focus on the edit.
    SendMessage(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(d, kLoop)), TRUE);
    SendMessage(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    ++presses;
    EXPECT_TRUE(IsWindow(d));
    EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
    EXPECT_EQ(TakeBeeps(), std::vector<UINT>{MB_ICONASTERISK});
    GuiType("ok");
    GuiPressKey(VK_RETURN);
  });
  EXPECT_EQ(dlg.Execute(), IDOK);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(name, "ok");
}

TEST_F(ClassDialogTest, IdleTimeRunsTheDialogsEnablers) {
  std::string name = "a";
  TNameDialog dlg(frame_, &name);
  Hook hook([&](HWND d) {
    HWND apply = GetDlgItem(d, kApply);
    // The modal loop's idle time reached the enabler through the owner.
    EXPECT_FALSE(IsWindowEnabled(apply));
    dlg.apply_enabled = true;
    dlg.IdleAction(0);
    EXPECT_TRUE(IsWindowEnabled(apply));
    GuiClick(apply, 2, 2);
    GuiPressKey(VK_ESCAPE);
  });
  EXPECT_EQ(dlg.Execute(), IDCANCEL);
  EXPECT_EQ(dlg.applied, 1);
}

TEST_F(ClassDialogTest, AModelessDialogTakesItsKeysThroughTheApplication) {
  TApplication app;
  std::string name = "m";
  auto* dlg = new TNameDialog(frame_, &name);
  ASSERT_TRUE(dlg->Create());
  dlg->Show(SW_SHOW);
  app.PumpWaitingMessages();
  ASSERT_EQ(GetFocus(), dlg->GetDlgItem(kName));
  GuiPressKey(VK_TAB);
  app.PumpWaitingMessages();
  EXPECT_EQ(GetFocus(), dlg->GetDlgItem(kLoop));
  GuiPressKey(VK_RETURN);
  app.PumpWaitingMessages();
  EXPECT_FALSE(dlg->IsWindow());  // OK closed it
  EXPECT_EQ(name, "m");
  delete dlg;
}

TEST_F(ClassDialogTest, AMissingResourceGivesMinusOne) {
  TDialog dlg(frame_, 7899);
  EXPECT_EQ(dlg.Execute(), -1);
  EXPECT_FALSE(dlg.Create());
}

TEST(ClassMenu, PopupMenusAreTrackedAndDeleted) {
  TWindow w(nullptr, "menu owner");
  w.Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  ASSERT_TRUE(w.Create());
  HMENU handle;
  {
    TPopupMenu menu;
    handle = menu;
    menu.AppendMenu(MF_STRING, 101, "Clear peak");
    menu.AppendMenu(MF_STRING | MF_CHECKED, 102, "Peak hold");
    EXPECT_EQ(menu.GetMenuString(102, MF_BYCOMMAND), "Peak hold");
    Hook hook([](HWND) {
      GuiPressKey(VK_DOWN);
      GuiPressKey(VK_DOWN);
      GuiPressKey(VK_RETURN);
    });
    // Without notices: the owner's enablers would grey commands nobody handles.
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 100, 100, 0, w), 102);
  }
  EXPECT_FALSE(IsMenu(handle));
  TSystemMenu sys(w);
  EXPECT_TRUE(sys.IsOK());
  EXPECT_NE(sys.GetMenuState(SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
}

}  // namespace
