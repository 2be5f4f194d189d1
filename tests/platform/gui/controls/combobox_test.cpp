#include <gtest/gtest.h>

#include "controls_test_util.h"

namespace {

class ComboBoxTest : public ::testing::Test {
 protected:
  HWND Combo(DWORD style, int id = 1571) {
    HWND c = host.Add(WC_COMBOBOX, "", style | WS_VSCROLL | WS_TABSTOP, 20, 20, 160, 150, id);
    for (const char* s : {"Dissolve", "Left to right", "Right to left", "Up to down", "Down to up"})
      SendMessage(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    return c;
  }
  static HWND ListOf(HWND combo) {
    COMBOBOXINFO info;
    EXPECT_TRUE(GetComboBoxInfo(combo, &info));
    return info.hwndList;
  }
  static void ClickListItem(HWND combo, int i) {
    HWND list = ListOf(combo);
    const int ih = static_cast<int>(SendMessage(combo, CB_GETITEMHEIGHT, 0, 0));
    const int top = static_cast<int>(SendMessage(combo, CB_GETTOPINDEX, 0, 0));
    GuiClick(list, 20, (i - top) * ih + ih / 2);
    Pump();
  }
  Host host;
};

TEST_F(ComboBoxTest, ADropDownListIsChosenFromWithTheMouse) {
  HWND c = Combo(CBS_DROPDOWNLIST);
  // The control is as high as its field; the height given is the dropped one.
  RECT wr, dropped;
  GetWindowRect(c, &wr);
  EXPECT_LT(wr.bottom - wr.top, 40);
  SendMessage(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 150);
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);

  ClickCentre(c);
  EXPECT_EQ(GetFocus(), c);
  EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  HWND list = ListOf(c);
  ASSERT_TRUE(IsWindowVisible(list));
  RECT lr;
  GetWindowRect(list, &lr);
  EXPECT_EQ(lr.top, wr.bottom);             // right below the field
  EXPECT_EQ(GetActiveWindow(), host.hwnd);  // the list does not take the activation
  EXPECT_EQ(host.Codes(WM_COMMAND, 1571), (std::vector<UINT>{CBN_SETFOCUS, CBN_DROPDOWN}));

  host.Clear();
  ClickListItem(c, 2);
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Text(c), "Right to left");
  EXPECT_EQ(host.Codes(WM_COMMAND, 1571), (std::vector<UINT>{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  // The focused field shows the choice highlighted.
  Pump();
  EXPECT_GT(CountColor(c, ClientRect(c), GetSysColor(COLOR_HIGHLIGHT)), 50);
}

TEST_F(ComboBoxTest, HoveringHighlightsAndEscapeOrAClickOutsideCancels) {
  HWND c = Combo(CBS_DROPDOWNLIST);
  SendMessage(c, CB_SETCURSEL, 1, 0);
  ClickCentre(c);
  HWND list = ListOf(c);
  const int ih = static_cast<int>(SendMessage(c, CB_GETITEMHEIGHT, 0, 0));
  POINT p{20, 3 * ih + ih / 2};
  ClientToScreen(list, &p);
  GuiMouseMove(p.x, p.y);
  Pump();
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 3);  // the list follows the mouse
  host.Clear();
  GuiPressKey(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1571), (std::vector<UINT>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // A click elsewhere closes it as well, and is not a click there.
  HWND button = host.Add(WC_BUTTON, "Other", BS_PUSHBUTTON, 300, 300, 80, 24, 7);
  ClickCentre(c);
  ASSERT_TRUE(IsWindowVisible(list));
  host.Clear();
  ClickCentre(button);
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(host.Codes(WM_COMMAND, 1571), (std::vector<UINT>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_TRUE(host.Codes(WM_COMMAND, 7).empty());
}

TEST_F(ComboBoxTest, KeysSelectInTheClosedBoxAndInTheOpenList) {
  HWND c = Combo(CBS_DROPDOWNLIST);
  SetFocus(c);
  host.Clear();
  GuiPressKey(VK_DOWN);
  GuiPressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1571), (std::vector<UINT>{CBN_SELCHANGE, CBN_SELCHANGE}));
  GuiType("u");
  Pump();
  EXPECT_EQ(Text(c), "Up to down");
  // F4 opens; arrows only highlight; Enter chooses.
  host.Clear();
  GuiPressKey(VK_F4);
  Pump();
  EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  MSG enter{c, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(SendMessage(c, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE);
  GuiPressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(host.Codes(WM_COMMAND, 1571), std::vector<UINT>{CBN_DROPDOWN});
  GuiPressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 4);
  EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(SendMessage(c, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE);
  // Alt+Down opens too; losing the focus closes without a choice.
  GuiKey(VK_MENU, true);
  GuiPressKey(VK_DOWN);
  GuiKey(VK_MENU, false);
  Pump();
  EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  SetFocus(host.hwnd);
  EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(ListOf(c)));
}

TEST_F(ComboBoxTest, ADropDownHasAnEditThatFollowsTheChoice) {
  HWND c = Combo(CBS_DROPDOWN | CBS_AUTOHSCROLL, 1191);
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(c, &info));
  ASSERT_NE(info.hwndItem, nullptr);
  EXPECT_EQ(GetDlgCtrlID(info.hwndItem), 1001);
  SetFocus(c);
  EXPECT_EQ(GetFocus(), info.hwndItem);
  host.Clear();
  GuiType("48000");
  Pump();
  EXPECT_EQ(Text(c), "48000");
  const auto codes = host.Codes(WM_COMMAND, 1191);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITCHANGE), 5);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), CBN_EDITUPDATE), 5);
  // Down in the edit takes the next item into it.
  SendMessage(c, CB_SETCURSEL, 0, 0);
  GuiPressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(Text(c), "Left to right");
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
  // Choosing in the dropped list does the same.
  RECT button = info.rcButton;
  GuiClick(c, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
  Pump();
  ASSERT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  ClickListItem(c, 4);
  EXPECT_EQ(Text(c), "Down to up");
  // A value of the user's own survives opening and closing the list.
  SetWindowText(c, "44100");
  EXPECT_EQ(Text(info.hwndItem), "44100");
  GuiPressKey(VK_F4);
  Pump();
  ASSERT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
  GuiPressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(Text(c), "44100");
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessage(c, CB_LIMITTEXT, 5, 0);
  EXPECT_EQ(SendMessage(info.hwndItem, EM_GETLIMITTEXT, 0, 0), 5);
}

TEST_F(ComboBoxTest, TheDroppedListScrollsWithItsOwnScrollBar) {
  HWND c = host.Add(WC_COMBOBOX, "", CBS_DROPDOWNLIST | WS_VSCROLL, 20, 20, 160, 100, 1192);
  for (int i = 0; i < 30; ++i)
    SendMessage(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(i).c_str()));
  ClickCentre(c);
  HWND list = ListOf(c);
  ASSERT_TRUE(IsWindowVisible(list));
  EXPECT_TRUE(GetWindowLong(list, GWL_STYLE) & WS_VSCROLL);
  RECT lr;
  GetWindowRect(list, &lr);
  // The down arrow at the bottom of the list's bar.
  GuiMouseMove(lr.right - 5, lr.bottom - 5);
  GuiMouseButton(0, true, lr.right - 5, lr.bottom - 5);
  GuiMouseButton(0, false, lr.right - 5, lr.bottom - 5);
  Pump();
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(SendMessage(c, CB_GETTOPINDEX, 0, 0), 1);
  EXPECT_EQ(GetCapture(), list);  // still choosing
  ClickListItem(c, 3);            // the fourth item, now third from the top
  EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 3);
}

TEST_F(ComboBoxTest, TheProgramsSelectionAndText) {
  HWND c = Combo(CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 3, 0), 3);
  EXPECT_EQ(Text(c), "Up to down");
  EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessage(c, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("left")), 1);
  EXPECT_EQ(SendMessage(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("dissolve")),
            0);
  char buf[64];
  EXPECT_EQ(SendMessage(c, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(buf)), 10);
  EXPECT_STREQ(buf, "Down to up");
  EXPECT_EQ(SendMessage(c, CB_GETLBTEXTLEN, 4, 0), 10);
  SendMessage(c, CB_SETITEMDATA, 2, 77);
  EXPECT_EQ(SendMessage(c, CB_GETITEMDATA, 2, 0), 77);
  EXPECT_EQ(SendMessage(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("nothing")), CB_ERR);
  EXPECT_EQ(SendMessage(c, CB_DELETESTRING, 0, 0), 4);
  SendMessage(c, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Text(c), "");
  EXPECT_TRUE(host.Codes(WM_COMMAND, 1571).empty());
  // The list goes with the combo box.
  HWND list = ListOf(c);
  DestroyWindow(c);
  EXPECT_FALSE(IsWindow(list));
}

}  // namespace
