#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_test_util.h"
#include "platform/gui/modal.h"

namespace {

constexpr int kName = 100;
constexpr int kRed = 101;
constexpr int kGreen = 102;
constexpr int kBlue = 103;
constexpr int kLoop = 104;
constexpr int kApply = 105;

// A dialog with a labelled edit field, a group of three radio buttons, a
// check box and three push buttons, in that tab order.
DialogTemplate TestTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.x = 10;
  t.y = 10;
  t.cx = 200;
  t.cy = 120;
  t.caption = "Colours";
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_STATIC, "&Name:", -1, v, 0, 7, 8, 40, 8},
      {WC_EDIT, "Kobrix", kName, v | WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, 0, 50, 6, 80, 12},
      {WC_BUTTON, "&Red", kRed, v | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, 7, 25, 50, 10},
      {WC_BUTTON, "&Green", kGreen, v | BS_AUTORADIOBUTTON, 0, 7, 37, 50, 10},
      {WC_BUTTON, "&Blue", kBlue, v | BS_AUTORADIOBUTTON, 0, 7, 49, 50, 10},
      {WC_BUTTON, "&Loop", kLoop, v | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, 7, 65, 50, 10},
      {WC_BUTTON, "OK", IDOK, v | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 30, 100, 40, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 80, 100, 40, 14},
      {WC_BUTTON, "&Apply", kApply, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 130, 100, 40, 14},
  };
  return t;
}

struct Log {
  std::vector<int> commands;
  LPARAM init_param = 0;
  HWND init_focus = nullptr;
  LONG_PTR end_with = -1;  // EndDialog result on OK and Cancel (-1: their ids)
};
Log g_log;

LONG_PTR TestProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_log.init_param = lParam;
      g_log.init_focus = reinterpret_cast<HWND>(wParam);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == BN_CLICKED || lParam == 0) g_log.commands.push_back(id);
      if (id == IDOK || id == IDCANCEL) EndDialog(h, g_log.end_with >= 0 ? g_log.end_with : id);
      return TRUE;
    }
  }
  return FALSE;
}

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

bool IsDefaultLook(HWND button) {
  return (GetWindowLong(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
}

void Key(HWND dialog, int vk) {
  GuiPressKey(vk);
  PumpDialog(dialog);
}

void ShiftKey(HWND dialog, int vk) {
  GuiKey(VK_SHIFT, true);
  GuiPressKey(vk);
  GuiKey(VK_SHIFT, false);
  PumpDialog(dialog);
}

void AltKey(HWND dialog, int vk) {
  GuiKey(VK_MENU, true);
  GuiPressKey(vk);
  GuiKey(VK_MENU, false);
  PumpDialog(dialog);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = Log{};
    owner_ = CreateWindowEx(0, WC_STATIC, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 600, 400,
                            nullptr, nullptr, nullptr, nullptr);
    GuiPumpMessages();
  }
  void TearDown() override {
    for (HWND h : made_) {
      if (IsWindow(h)) DestroyWindow(h);
    }
    DestroyWindow(owner_);
    GuiPumpMessages();
  }
  HWND Modeless(const DialogTemplate& t) {
    DialogTemplate shown = t;
    shown.style |= WS_VISIBLE;
    HWND d = CreateDialogIndirectParam(nullptr, &shown, owner_, TestProc, 77);
    made_.push_back(d);
    PumpDialog(d);
    return d;
  }
  HWND owner_ = nullptr;
  std::vector<HWND> made_;
};

// Dialog base units of a font, measured as the dialog manager does.
SIZE BaseUnits(int points) {
  HFONT f = CreateFont(-(points * 96 + 36) / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                       "MS Sans Serif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f);
  SIZE s{};
  GetTextExtentPoint32(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(f);
  return SIZE{(s.cx / 26 + 1) / 2, tm.tmHeight};
}

TEST_F(DialogTest, TemplateUnitsFollowTheDialogFont) {
  HWND d = Modeless(TestTemplate());
  ASSERT_NE(d, nullptr);
  const SIZE base = BaseUnits(8);
  RECT client;
  GetClientRect(d, &client);
  EXPECT_EQ(client.right, (200 * base.cx + 2) / 4);
  EXPECT_EQ(client.bottom, (120 * base.cy + 4) / 8);
  // An item sits where MapDialogRect puts its template rectangle.
  RECT want{50, 6, 130, 18};
  ASSERT_TRUE(MapDialogRect(d, &want));
  RECT got;
  GetWindowRect(GetDlgItem(d, kName), &got);
  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&got), 2);
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right, want.right);
  EXPECT_EQ(got.bottom, want.bottom);
  // The same template with a larger font makes a larger dialog.
  DialogTemplate big = TestTemplate();
  big.pointSize = 12;
  HWND d2 = Modeless(big);
  RECT client2;
  GetClientRect(d2, &client2);
  EXPECT_GT(client2.right, client.right);
  EXPECT_GT(client2.bottom, client.bottom);
  // Placed relative to the owner's client area.
  POINT org{0, 0};
  ClientToScreen(owner_, &org);
  RECT wr;
  GetWindowRect(d, &wr);
  EXPECT_EQ(wr.left, org.x + (10 * base.cx + 2) / 4);
}

TEST_F(DialogTest, CreationSendsInitDialogAndTakesTheDefaultButtonFromTheTemplate) {
  HWND d = Modeless(TestTemplate());
  EXPECT_EQ(g_log.init_param, 77);
  EXPECT_EQ(g_log.init_focus, GetDlgItem(d, kName));
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
  DWORD start = 9, end = 9;  // the text is selected
  SendMessage(GetDlgItem(d, kName), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
              reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 6u);
  EXPECT_EQ(SendMessage(d, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  char cls[32];
  GetClassName(d, cls, sizeof cls);
  EXPECT_STREQ(cls, WC_DIALOG);
  EXPECT_EQ(SendMessage(d, WM_GETFONT, 0, 0) != 0, true);
}

TEST_F(DialogTest, TabOrderAndGroupsSkipDisabledAndHiddenItems) {
  HWND d = Modeless(TestTemplate());
  auto id = [](HWND h) { return h != nullptr ? GetDlgCtrlID(h) : 0; };
  std::vector<int> order;
  HWND h = nullptr;
  for (int i = 0; i < 7; ++i) {
    h = GetNextDlgTabItem(d, h, FALSE);
    order.push_back(id(h));
  }
  EXPECT_EQ(order, (std::vector<int>{kName, kRed, kLoop, IDOK, IDCANCEL, kApply, kName}));
  EXPECT_EQ(id(GetNextDlgTabItem(d, GetDlgItem(d, kName), TRUE)), kApply);
  EXPECT_EQ(id(GetNextDlgTabItem(d, nullptr, TRUE)), kApply);

  EnableWindow(GetDlgItem(d, kLoop), FALSE);
  ShowWindow(GetDlgItem(d, IDOK), SW_HIDE);
  EXPECT_EQ(id(GetNextDlgTabItem(d, GetDlgItem(d, kRed), FALSE)), IDCANCEL);

  // Groups wrap within themselves.
  EXPECT_EQ(id(GetNextDlgGroupItem(d, GetDlgItem(d, kRed), FALSE)), kGreen);
  EXPECT_EQ(id(GetNextDlgGroupItem(d, GetDlgItem(d, kBlue), FALSE)), kRed);
  EXPECT_EQ(id(GetNextDlgGroupItem(d, GetDlgItem(d, kRed), TRUE)), kBlue);
  EnableWindow(GetDlgItem(d, kGreen), FALSE);
  EXPECT_EQ(id(GetNextDlgGroupItem(d, GetDlgItem(d, kRed), FALSE)), kBlue);
  // A group of one gives the item itself.
  EnableWindow(GetDlgItem(d, kLoop), TRUE);
  EXPECT_EQ(id(GetNextDlgGroupItem(d, GetDlgItem(d, kLoop), FALSE)), kLoop);
  // The last group runs to the end of the dialog.
  EXPECT_EQ(id(GetNextDlgGroupItem(d, GetDlgItem(d, kApply), FALSE)), IDCANCEL);
}

TEST_F(DialogTest, TabArrowsAndShiftTabMoveTheFocus) {
  HWND d = Modeless(TestTemplate());
  ASSERT_EQ(GetFocus(), GetDlgItem(d, kName));
  Key(d, VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kRed));
  // Arrows move within the radio group and choose the automatic button.
  Key(d, VK_DOWN);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kGreen));
  EXPECT_EQ(IsDlgButtonChecked(d, kGreen), 1u);
  Key(d, VK_DOWN);
  Key(d, VK_DOWN);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kRed));
  EXPECT_EQ(IsDlgButtonChecked(d, kRed), 1u);
  EXPECT_EQ(IsDlgButtonChecked(d, kGreen), 0u);
  Key(d, VK_UP);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kBlue));
  Key(d, VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kLoop));
  // The checked radio button holds its group's tab stop.
  ShiftKey(d, VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kBlue));
  ShiftKey(d, VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
  ShiftKey(d, VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kApply));
  // The edit field takes the arrows itself.
  Key(d, VK_TAB);
  Key(d, VK_DOWN);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
}

TEST_F(DialogTest, TheDefaultLookFollowsAFocusedPushButton) {
  HWND d = Modeless(TestTemplate());
  HWND ok = GetDlgItem(d, IDOK), cancel = GetDlgItem(d, IDCANCEL);
  EXPECT_TRUE(IsDefaultLook(ok));
  SendMessage(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel), TRUE);
  EXPECT_TRUE(IsDefaultLook(cancel));
  EXPECT_FALSE(IsDefaultLook(ok));
  // Enter presses the focused push button.
  Key(d, VK_RETURN);
  EXPECT_EQ(g_log.commands, std::vector<int>{IDCANCEL});
  g_log.commands.clear();
  Key(d, VK_TAB);  // Apply
  EXPECT_TRUE(IsDefaultLook(GetDlgItem(d, kApply)));
  Key(d, VK_TAB);  // the edit field: the default button shows it again
  EXPECT_TRUE(IsDefaultLook(ok));
  EXPECT_FALSE(IsDefaultLook(GetDlgItem(d, kApply)));
  EXPECT_FALSE(IsDefaultLook(cancel));
  // A click on a push button moves the look too.
  GuiClick(GetDlgItem(d, kApply), 3, 3);
  PumpDialog(d);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kApply));
  EXPECT_TRUE(IsDefaultLook(GetDlgItem(d, kApply)));
  EXPECT_FALSE(IsDefaultLook(ok));
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonThatDmSetDefIdChose) {
  HWND d = Modeless(TestTemplate());
  Key(d, VK_RETURN);
  EXPECT_EQ(g_log.commands, std::vector<int>{IDOK});
  g_log.commands.clear();
  SendMessage(d, DM_SETDEFID, kApply, 0);
  EXPECT_EQ(SendMessage(d, DM_GETDEFID, 0, 0), MAKELRESULT(kApply, DC_HASDEFID));
  EXPECT_TRUE(IsDefaultLook(GetDlgItem(d, kApply)));
  EXPECT_FALSE(IsDefaultLook(GetDlgItem(d, IDOK)));
  Key(d, VK_RETURN);
  EXPECT_EQ(g_log.commands, std::vector<int>{kApply});
  g_log.commands.clear();
  // A disabled default button is not pressed.
  EnableWindow(GetDlgItem(d, kApply), FALSE);
  Key(d, VK_RETURN);
  EXPECT_TRUE(g_log.commands.empty());
}

TEST_F(DialogTest, MnemonicsPressButtonsAndLabelsLeadToTheirField) {
  HWND d = Modeless(TestTemplate());
  SendMessage(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(d, kLoop)), TRUE);
  GuiType("g");
  PumpDialog(d);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kGreen));
  EXPECT_EQ(IsDlgButtonChecked(d, kGreen), 1u);
  AltKey(d, 'A');
  EXPECT_EQ(g_log.commands.back(), kApply);
  AltKey(d, 'N');
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
  // In the edit field letters are text, not mnemonics.
  GuiType("r");
  PumpDialog(d);
  EXPECT_EQ(TextOf(GetDlgItem(d, kName)), "r");
  EXPECT_EQ(IsDlgButtonChecked(d, kRed), 0u);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
}

TEST_F(DialogTest, AModalDialogRunsWithItsOwnerDisabledAndEndsOnEnterOrEsc) {
  const DialogTemplate t = TestTemplate();
  int calls = 0;
  {
    Hook hook([&](HWND d) {
      ++calls;
      EXPECT_FALSE(IsWindowEnabled(owner_));
      EXPECT_EQ(GetWindow(d, GW_OWNER), owner_);
      EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
      GuiType("Kobrix");
      GuiPressKey(VK_RETURN);
    });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner_, TestProc, 5), IDOK);
  }
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetActiveWindow(), owner_);
  {
    Hook hook([&](HWND) { GuiPressKey(VK_ESCAPE); });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner_, TestProc, 5), IDCANCEL);
  }
  // Nobody answering: cancelled as by Esc.
  g_log.commands.clear();
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner_, TestProc, 5), IDCANCEL);
  EXPECT_EQ(g_log.commands, std::vector<int>{IDCANCEL});
  // EndDialog's own value comes back.
  g_log.end_with = 42;
  {
    Hook hook([&](HWND d) { GuiClick(GetDlgItem(d, IDOK), 2, 2); });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner_, TestProc, 5), 42);
  }
}

TEST_F(DialogTest, AltF4OnAnItemAndTheCloseBoxCancelTheDialog) {
  const DialogTemplate t = TestTemplate();
  HWND edit = nullptr;
  {
    Hook hook([&](HWND d) {
      edit = GetDlgItem(d, kName);
      GuiKey(VK_MENU, true);
      GuiPressKey(VK_F4);
      GuiKey(VK_MENU, false);
    });
    g_log.commands.clear();
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner_, TestProc, 0), IDCANCEL);
    // The command came from the close request, not from a destroyed item.
    EXPECT_EQ(g_log.commands, std::vector<int>{IDCANCEL});
  }
  {
    Hook hook([&](HWND d) {
      RECT wr;
      GetWindowRect(d, &wr);
      const int x = wr.right - 8, y = wr.top + GetSystemMetrics(SM_CYDLGFRAME) + 6;
      GuiMouseMove(x, y);
      GuiMouseButton(0, true, x, y);
      GuiMouseButton(0, false, x, y);
    });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner_, TestProc, 0), IDCANCEL);
  }
}

TEST_F(DialogTest, TheOwnerGetsIdleCallsWhileTheQueueIsEmpty) {
  std::vector<int> counts;
  HWND dialog = nullptr;
  WNDCLASS wc;
  wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_ENTERIDLE) {
      auto* c = reinterpret_cast<std::vector<int>*>(GetWindowLongPtr(h, GWLP_USERDATA));
      if (LOWORD(wParam) == MSGF_DIALOGBOX) c->push_back(HIWORD(wParam));
      return c->size() < 4 ? 1 : 0;
    }
    return DefWindowProc(h, msg, wParam, lParam);
  };
  wc.lpszClassName = "IdleOwner";
  RegisterClass(&wc);
  HWND owner = CreateWindowEx(0, "IdleOwner", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  SetWindowLongPtr(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&counts));
  const DialogTemplate t = TestTemplate();
  {
    Hook hook([&](HWND d) { dialog = d; });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &t, owner, TestProc, 0), IDCANCEL);
  }
  ASSERT_GE(counts.size(), 4u);
  EXPECT_EQ((std::vector<int>(counts.begin(), counts.begin() + 4)), (std::vector<int>{0, 1, 2, 3}));
  // DS_NOIDLEMSG: none.
  counts.clear();
  DialogTemplate quiet = t;
  quiet.style |= DS_NOIDLEMSG;
  DialogBoxIndirectParam(nullptr, &quiet, owner, TestProc, 0);
  EXPECT_TRUE(counts.empty());
  DestroyWindow(owner);
}

TEST_F(DialogTest, ItemHelpers) {
  HWND d = Modeless(TestTemplate());
  struct Case {
    const char* text;
    BOOL is_signed;
    UINT value;
    BOOL ok;
  };
  const Case cases[] = {
      {"42", TRUE, 42, TRUE},
      {"  -7", TRUE, static_cast<UINT>(-7), TRUE},
      {"-7", FALSE, 0, FALSE},
      {"12abc", TRUE, 12, TRUE},
      {"abc", TRUE, 0, FALSE},
      {"", TRUE, 0, FALSE},
      {"4294967295", FALSE, 4294967295u, TRUE},
      {"2147483648", TRUE, 0, FALSE},
      {"99999999999", FALSE, 0, FALSE},
  };
  for (const Case& c : cases) {
    SetDlgItemText(d, kName, c.text);
    BOOL ok = 2;
    EXPECT_EQ(GetDlgItemInt(d, kName, &ok, c.is_signed), c.value) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
  }
  SetDlgItemInt(d, kName, static_cast<UINT>(-125), TRUE);
  EXPECT_EQ(TextOf(GetDlgItem(d, kName)), "-125");
  SetDlgItemInt(d, kName, 4000000000u, FALSE);
  EXPECT_EQ(TextOf(GetDlgItem(d, kName)), "4000000000");

  EXPECT_TRUE(CheckRadioButton(d, kRed, kBlue, kGreen));
  EXPECT_EQ(IsDlgButtonChecked(d, kRed), 0u);
  EXPECT_EQ(IsDlgButtonChecked(d, kGreen), 1u);
  EXPECT_EQ(IsDlgButtonChecked(d, kBlue), 0u);
  EXPECT_TRUE(CheckDlgButton(d, kLoop, 1));
  EXPECT_EQ(IsDlgButtonChecked(d, kLoop), 1u);
  EXPECT_FALSE(CheckDlgButton(d, 999, 1));
  EXPECT_EQ(SendDlgItemMessage(d, kLoop, BM_GETCHECK, 0, 0), 1);
}

TEST_F(DialogTest, DialogResourcesAreFoundByNumber) {
  RegisterDialogResource(9001, TestTemplate());
  {
    Hook hook([&](HWND d) {
      char caption[32];
      GetWindowText(d, caption, sizeof caption);
      EXPECT_STREQ(caption, "Colours");
      GuiPressKey(VK_RETURN);
    });
    EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(9001), owner_, TestProc, 0), IDOK);
    EXPECT_EQ(DialogBoxParam(nullptr, "#9001", owner_, TestProc, 0), IDOK);
  }
  EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(9002), owner_, TestProc, 0), -1);
  EXPECT_EQ(CreateDialogParam(nullptr, "9001", owner_, TestProc, 0), nullptr);
}

TEST_F(DialogTest, AnItemThatCannotBeMadeFailsTheDialogUnlessToldOtherwise) {
  DialogTemplate t = TestTemplate();
  t.items.push_back({"NoSuchClass", "", 300, WS_VISIBLE, 0, 0, 0, 10, 10});
  EXPECT_EQ(CreateDialogIndirectParam(nullptr, &t, owner_, TestProc, 0), nullptr);
  EXPECT_EQ(FindWindow(WC_DIALOG, "Colours"), nullptr);
  t.style |= DS_NOFAILCREATE;
  HWND d = CreateDialogIndirectParam(nullptr, &t, owner_, TestProc, 0);
  made_.push_back(d);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(GetDlgItem(d, 300), nullptr);
  EXPECT_NE(GetDlgItem(d, IDOK), nullptr);
}

}  // namespace
