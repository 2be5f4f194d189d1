#include <gtest/gtest.h>

#include "controls_test_util.h"

namespace {

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override { TakeBeeps(); }
  Host host;
};

TEST_F(ButtonTest, AClickPressesAndReleasingOutsideCancels) {
  HWND b = host.Add(WC_BUTTON, "&Go", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 80, 24, 101);
  ClickCentre(b);
  EXPECT_EQ(host.Codes(WM_COMMAND, 101), std::vector<UINT>{BN_CLICKED});
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(SendMessage(b, BM_GETSTATE, 0, 0), BST_FOCUS);

  // Pressed, dragged off and released outside: drawn pressed meanwhile, no click.
  host.Clear();
  POINT in{40, 12}, out{40, 60};
  ClientToScreen(b, &in);
  ClientToScreen(b, &out);
  GuiMouseMove(in.x, in.y);
  GuiMouseButton(0, true, in.x, in.y);
  Pump();
  EXPECT_TRUE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  GuiMouseMove(out.x, out.y);
  Pump();
  EXPECT_FALSE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  GuiMouseButton(0, false, out.x, out.y);
  Pump();
  EXPECT_TRUE(host.Codes(WM_COMMAND, 101).empty());

  // The space bar clicks on its release.
  GuiKey(VK_SPACE, true);
  Pump();
  EXPECT_TRUE(host.Codes(WM_COMMAND, 101).empty());
  GuiKey(VK_SPACE, false);
  Pump();
  EXPECT_EQ(host.Codes(WM_COMMAND, 101), std::vector<UINT>{BN_CLICKED});

  // A disabled button takes no click.
  host.Clear();
  EnableWindow(b, FALSE);
  ClickCentre(b);
  SendMessage(b, BM_CLICK, 0, 0);
  EXPECT_TRUE(host.Codes(WM_COMMAND, 101).empty());
}

TEST_F(ButtonTest, TheDefaultButtonCarriesAFrameAndAnswersItsDialogCode) {
  HWND ok = host.Add(WC_BUTTON, "OK", BS_DEFPUSHBUTTON, 10, 10, 80, 24, IDOK);
  HWND cancel = host.Add(WC_BUTTON, "Cancel", BS_PUSHBUTTON, 100, 10, 80, 24, IDCANCEL);
  EXPECT_EQ(SendMessage(ok, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessage(cancel, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
  EXPECT_EQ(GuiReadPixel(ok, 0, 10), frame);
  EXPECT_NE(GuiReadPixel(cancel, 0, 10), frame);
  // The dialog moves the default with BM_SETSTYLE.
  SendMessage(ok, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  SendMessage(cancel, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  Pump();
  EXPECT_EQ(SendMessage(cancel, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLong(cancel, GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(GuiReadPixel(cancel, 0, 10), frame);
  EXPECT_NE(GuiReadPixel(ok, 0, 10), frame);
}

TEST_F(ButtonTest, CheckBoxesToggleOnlyWhenAutomatic) {
  struct Case {
    DWORD type;
    LRESULT after_click;
  };
  const Case cases[] = {{BS_AUTOCHECKBOX, BST_CHECKED}, {BS_CHECKBOX, BST_UNCHECKED}};
  int id = 200;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    host.Clear();
    HWND box = host.Add(WC_BUTTON, "Show this message next time", c.type | WS_TABSTOP, 10,
                        10 + (id - 200) * 30, 220, 20, id);
    ClickCentre(box);
    EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), c.after_click);
    EXPECT_EQ(host.Codes(WM_COMMAND, id), std::vector<UINT>{BN_CLICKED});
    EXPECT_EQ(SendMessage(box, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
    // Space clicks it again; BM_SETCHECK sets it without a notification.
    GuiPressKey(VK_SPACE);
    Pump();
    EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    host.Clear();
    SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(host.Codes(WM_COMMAND, id).empty());
    ++id;
  }
}

TEST_F(ButtonTest, ACheckedBoxShowsItsTick) {
  HWND box = host.Add(WC_BUTTON, "", BS_AUTOCHECKBOX, 10, 10, 20, 20, 1);
  const RECT square{2, 5, 11, 14};  // inside the box's sunken edges
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_EQ(CountColor(box, square, ink), 0);
  SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
  Pump();
  EXPECT_GT(CountColor(box, square, ink), 10);
}

TEST_F(ButtonTest, AutomaticRadioButtonsKeepOneCheckedPerGroup) {
  HWND a = host.Add(WC_BUTTON, "Mono", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 100, 20, 1712);
  HWND b = host.Add(WC_BUTTON, "Stereo", BS_AUTORADIOBUTTON, 10, 35, 100, 20, 1713);
  HWND c = host.Add(WC_BUTTON, "8 Bit", BS_AUTORADIOBUTTON | WS_GROUP, 150, 10, 100, 20, 1201);
  HWND d = host.Add(WC_BUTTON, "16 Bit", BS_AUTORADIOBUTTON, 150, 35, 100, 20, 1202);
  EXPECT_EQ(SendMessage(a, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
  SendMessage(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessage(c, BM_SETCHECK, BST_CHECKED, 0);
  ClickCentre(b);
  EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_CHECKED);  // the other group stays
  EXPECT_EQ(SendMessage(d, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // The checked one is the group's tab stop.
  EXPECT_TRUE(GetWindowLong(b, GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLong(a, GWL_STYLE) & WS_TABSTOP);
  // The dialog's arrow keys press the next one with BM_CLICK.
  host.Clear();
  SendMessage(d, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessage(d, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1202), std::vector<UINT>{BN_CLICKED});
  // A double click on a radio button reports itself.
  host.Clear();
  GuiClick(a, 10, 10);
  GuiClick(a, 10, 10);
  Pump();
  EXPECT_EQ(host.Codes(WM_COMMAND, 1712), (std::vector<UINT>{BN_CLICKED, BN_DOUBLECLICKED}));
}

TEST_F(ButtonTest, AGroupBoxLetsClicksThroughToTheControlsInIt) {
  // Made first, the group box lies above the radio buttons in it.
  HWND group = host.Add(WC_BUTTON, "Output &Format", BS_GROUPBOX, 10, 10, 200, 100, 1203);
  HWND radio = host.Add(WC_BUTTON, "PAL", BS_AUTORADIOBUTTON | WS_GROUP, 20, 30, 100, 20, 1204);
  EXPECT_EQ(GetWindow(group, GW_HWNDNEXT), radio);
  EXPECT_EQ(SendMessage(group, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  ClickCentre(radio);
  EXPECT_EQ(SendMessage(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(host.Codes(WM_COMMAND), std::vector<UINT>{BN_CLICKED});
  // The frame is drawn, the inside left to the controls.
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  int frame = 0;
  for (int y = 20; y < 100; ++y) frame += GuiReadPixel(group, 0, y) == shadow;
  EXPECT_GT(frame, 70);
}

TEST_F(ButtonTest, AnOwnerDrawnButtonAsksItsParentToDrawEachState) {
  std::vector<UINT> states;
  host.handler = [&](UINT msg, WPARAM, LPARAM lParam, bool* handled) -> LRESULT {
    if (msg != WM_DRAWITEM) return 0;
    const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    EXPECT_EQ(dis->CtlType, ODT_BUTTON);
    EXPECT_EQ(dis->CtlID, 1755u);
    states.push_back(dis->itemState);
    const COLORREF c = (dis->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 0, 255);
    HBRUSH brush = CreateSolidBrush(c);
    FillRect(dis->hDC, &dis->rcItem, brush);
    DeleteObject(brush);
    *handled = true;
    return TRUE;
  };
  HWND b = host.Add(WC_BUTTON, "", BS_OWNERDRAW, 10, 10, 40, 40, 1755);
  EXPECT_EQ(GuiReadPixel(b, 20, 20), RGB(0, 0, 255));
  POINT p{20, 20};
  ClientToScreen(b, &p);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(0, true, p.x, p.y);
  Pump();
  EXPECT_EQ(GuiReadPixel(b, 20, 20), RGB(255, 0, 0));
  EXPECT_TRUE(states.back() & ODS_SELECTED);
  EXPECT_TRUE(states.back() & ODS_FOCUS);
  GuiMouseButton(0, false, p.x, p.y);
  Pump();
  EXPECT_EQ(GuiReadPixel(b, 20, 20), RGB(0, 0, 255));
  EnableWindow(b, FALSE);
  Pump();
  EXPECT_TRUE(states.back() & ODS_DISABLED);
  EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
}

}  // namespace
