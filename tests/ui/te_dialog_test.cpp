#include "ui/te_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_shell.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"

namespace {

constexpr int kWithHelp = 4321;
constexpr int kWithoutHelp = 4322;
constexpr int kRed = 101, kGreen = 102, kBlue = 103, kLoop = 104, kApply = 105;

void RegisterTemplates() {
  static bool done = false;
  if (done) return;
  done = true;
  DialogTemplate t;
  t.cx = 200;
  t.cy = 100;
  t.caption = "Repeat Clip";
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_BUTTON, "&Red", kRed, v | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, 7, 7, 50, 10},
      {WC_BUTTON, "&Green", kGreen, v | BS_AUTORADIOBUTTON, 0, 7, 19, 50, 10},
      {WC_BUTTON, "&Blue", kBlue, v | BS_AUTORADIOBUTTON, 0, 7, 31, 50, 10},
      {WC_BUTTON, "&Loop", kLoop, v | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, 7, 45, 50, 10},
      {WC_BUTTON, "OK", IDOK, v | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 7, 80, 40, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 52, 80, 40, 14},
      {WC_BUTTON, "&Apply", kApply, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 97, 80, 40, 14},
  };
  RegisterDialogResource(kWithoutHelp, t);
  t.items.push_back({WC_BUTTON, "&Help", IDHELP, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 142, 80, 40, 14});
  RegisterDialogResource(kWithHelp, t);
}

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

class TRepeatDialog : public TEDialog {
 public:
  TRepeatDialog(TWindow* parent, int resId) : TEDialog(parent, resId) {}
  void CeApply(TCommandEnabler& ce) {
    ++enabler_calls;
    ce.Enable(apply);
  }
  int enabler_calls = 0;
  bool apply = false;
  DECLARE_RESPONSE_TABLE(TRepeatDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TRepeatDialog, TEDialog)
  EV_COMMAND_ENABLE(kApply, CeApply),
END_RESPONSE_TABLE;
// clang-format on

class TEDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTemplates();
    frame_ = new TFrameWindow(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    delete frame_;
    GuiPumpMessages();
  }
  TFrameWindow* frame_ = nullptr;
  FakeShell shell_;
};

TEST_F(TEDialogTest, TheHelpButtonOpensTheTopicNumberedLikeTheDialog) {
  TRepeatDialog dlg(frame_, kWithHelp);
  {
    Hook hook([](HWND d) {
      GuiClick(GetDlgItem(d, IDHELP), 3, 3);
      GuiPressKey(VK_ESCAPE);
    });
    EXPECT_EQ(dlg.Execute(), IDCANCEL);
  }
  EXPECT_EQ(shell_.help, std::vector<int>{kWithHelp});
  // Without a Help button nothing asks for help.
  TRepeatDialog plain(frame_, kWithoutHelp);
  {
    Hook hook([](HWND d) {
      EXPECT_EQ(GetDlgItem(d, IDHELP), nullptr);
      GuiPressKey(VK_RETURN);
    });
    EXPECT_EQ(plain.Execute(), IDOK);
  }
  EXPECT_EQ(shell_.help, std::vector<int>{kWithHelp});
}

TEST_F(TEDialogTest, IdleTimeDrawsPendingClipsBeforeTheEnablersRun) {
  TRepeatDialog dlg(frame_, kWithoutHelp);
  Hook hook([&](HWND d) {
    shell_.pending = 2;
    const int before = dlg.enabler_calls;
    dlg.apply = true;
    EXPECT_FALSE(dlg.IdleAction(0));
    EXPECT_FALSE(dlg.IdleAction(1));
    EXPECT_EQ(shell_.drawn, 2);
    EXPECT_EQ(dlg.enabler_calls, before);  // skipped while clips were drawn
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, kApply)));
    dlg.IdleAction(2);
    EXPECT_EQ(dlg.enabler_calls, before + 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, kApply)));
    GuiPressKey(VK_ESCAPE);
  });
  dlg.Execute();
}

TEST_F(TEDialogTest, DisablingTheFocusedItemMovesTheFocusWithinItsGroupOrToOk) {
  struct Case {
    int focus;         // the item that has the focus
    int disabled_too;  // another item of its group already disabled (0: none)
    int disable;       // the item disabled now
    int want_focus;
    int want_default;
  };
  const Case cases[] = {
      {kRed, 0, kRed, kGreen, kGreen},     // the next item of the group
      {kBlue, 0, kBlue, kRed, kRed},       // the group wraps
      {kRed, kGreen, kRed, kBlue, kBlue},  // a disabled item is passed over
      {kLoop, 0, kLoop, IDOK, IDOK},       // alone in its group: OK
      {kRed, 0, kLoop, kRed, IDOK},        // not focused: nothing moves
  };
  for (const Case& c : cases) {
    TRepeatDialog dlg(frame_, kWithoutHelp);
    Hook hook([&](HWND d) {
      if (c.disabled_too != 0) EnableWindow(GetDlgItem(d, c.disabled_too), FALSE);
      SetFocus(GetDlgItem(d, c.focus));
      dlg.EnableItem(c.disable, false);
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, c.disable)));
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), c.want_focus) << "disabling " << c.disable;
      EXPECT_EQ(SendMessage(d, DM_GETDEFID, 0, 0), MAKELRESULT(c.want_default, DC_HASDEFID))
          << "disabling " << c.disable;
      dlg.EnableItem(c.disable, true);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, c.disable)));
      GuiPressKey(VK_ESCAPE);
    });
    dlg.Execute();
  }
}

}  // namespace
