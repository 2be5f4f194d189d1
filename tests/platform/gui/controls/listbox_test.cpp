#include <gtest/gtest.h>

#include "controls_test_util.h"

namespace {

class ListBoxTest : public ::testing::Test {
 protected:
  HWND List(DWORD style, int h = 100) {
    return host.Add(WC_LISTBOX, "", WS_BORDER | style, 10, 10, 160, h, 1724);
  }
  static void Add(HWND l, const std::vector<const char*>& items) {
    for (const char* s : items) SendMessage(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  static std::string ItemText(HWND l, int i) {
    char buf[256];
    const LRESULT n = SendMessage(l, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    return n == LB_ERR ? std::string("<err>") : std::string(buf);
  }
  // A click in the middle of item i.
  static void ClickItem(HWND l, int i, int button = 0) {
    RECT r;
    SendMessage(l, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    GuiClick(l, 20, (r.top + r.bottom) / 2, button);
    Pump();
  }
  static void ClickItemWith(HWND l, int i, int vk) {
    GuiKey(vk, true);
    ClickItem(l, i);
    GuiKey(vk, false);
    Pump();
  }
  Host host;
};

TEST_F(ListBoxTest, StringsSortFindAndKeepTheirData) {
  HWND l = List(LBS_SORT | LBS_NOTIFY);
  Add(l, {"mpeg", "AVI", "wave", "Midi"});
  EXPECT_EQ(SendMessage(l, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(ItemText(l, 0), "AVI");
  EXPECT_EQ(ItemText(l, 1), "Midi");
  EXPECT_EQ(ItemText(l, 2), "mpeg");
  EXPECT_EQ(SendMessage(l, LB_GETTEXTLEN, 3, 0), 4);
  // Prefixes without regard to case, from after the start, wrapping.
  EXPECT_EQ(SendMessage(l, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("m")), 1);
  EXPECT_EQ(SendMessage(l, LB_FINDSTRING, 1, reinterpret_cast<LPARAM>("m")), 2);
  EXPECT_EQ(SendMessage(l, LB_FINDSTRING, 2, reinterpret_cast<LPARAM>("m")), 1);
  EXPECT_EQ(SendMessage(l, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("MPEG")), 2);
  EXPECT_EQ(SendMessage(l, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("mpe")),
            LB_ERR);
  // Inserting puts an item where it is told, even in a sorted list.
  EXPECT_EQ(SendMessage(l, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zzz")), 0);
  EXPECT_EQ(SendMessage(l, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x")), LB_ERR);
  SendMessage(l, LB_SETITEMDATA, 3, 1234);
  EXPECT_EQ(SendMessage(l, LB_GETITEMDATA, 3, 0), 1234);
  // Deleting the selected item leaves no selection; one above moves it.
  SendMessage(l, LB_SETCURSEL, 3, 0);
  SendMessage(l, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessage(l, LB_GETITEMDATA, 2, 0), 1234);
  EXPECT_EQ(SendMessage(l, LB_DELETESTRING, 2, 0), 3);
  EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessage(l, LB_GETTEXT, 7, reinterpret_cast<LPARAM>("")), LB_ERR);
  SendMessage(l, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessage(l, LB_GETCOUNT, 0, 0), 0);
  EXPECT_TRUE(host.Codes(WM_COMMAND, 1724).empty());  // the program's changes tell nobody
}

TEST_F(ListBoxTest, ClicksAndKeysSelectAndNotifyWhenAsked) {
  HWND l = List(LBS_NOTIFY);
  HWND quiet = host.Add(WC_LISTBOX, "", WS_BORDER, 200, 10, 160, 100, 1743);
  Add(l, {"one", "two", "three", "four"});
  Add(quiet, {"one", "two"});
  ClickItem(l, 1);
  EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1724), (std::vector<UINT>{LBN_SETFOCUS, LBN_SELCHANGE}));
  host.Clear();
  ClickItem(l, 1);  // the same item again: a double click
  EXPECT_EQ(host.Codes(WM_COMMAND, 1724), (std::vector<UINT>{LBN_DBLCLK, LBN_SELCHANGE}));
  host.Clear();
  GuiPressKey(VK_DOWN);
  GuiPressKey(VK_END);
  Pump();
  EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1724), (std::vector<UINT>{LBN_SELCHANGE, LBN_SELCHANGE}));
  GuiType("t");  // the next item starting with the letter
  Pump();
  EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 1);
  // The selected row shows in the highlight colour.
  RECT r;
  SendMessage(l, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(GuiReadPixel(l, 100, (r.top + r.bottom) / 2), GetSysColor(COLOR_HIGHLIGHT));
  // Without LBS_NOTIFY only the focus is told.
  host.Clear();
  ClickItem(quiet, 1);
  EXPECT_EQ(SendMessage(quiet, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1743), std::vector<UINT>{LBN_SETFOCUS});
  EXPECT_EQ(SendMessage(quiet, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(ListBoxTest, MultipleAndExtendedSelection) {
  HWND multi = List(LBS_MULTIPLESEL | LBS_NOTIFY);
  Add(multi, {"a", "b", "c", "d", "e"});
  EXPECT_EQ(SendMessage(multi, LB_SETCURSEL, 1, 0), LB_ERR);
  ClickItem(multi, 1);
  ClickItem(multi, 3);
  int sel[5] = {};
  EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessage(multi, LB_GETSELITEMS, 5, reinterpret_cast<LPARAM>(sel)), 2);
  EXPECT_EQ(sel[0], 1);
  EXPECT_EQ(sel[1], 3);
  ClickItem(multi, 1);  // toggles off (a double click toggles as well)
  EXPECT_EQ(SendMessage(multi, LB_GETSEL, 1, 0), 0);
  GuiPressKey(VK_DOWN);
  GuiPressKey(VK_SPACE);
  Pump();
  EXPECT_GT(SendMessage(multi, LB_GETSEL, 2, 0), 0);
  SendMessage(multi, LB_SETSEL, FALSE, -1);
  EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 0);

  HWND ext = host.Add(WC_LISTBOX, "", WS_BORDER | LBS_EXTENDEDSEL, 200, 10, 160, 100, 2);
  Add(ext, {"a", "b", "c", "d", "e"});
  ClickItem(ext, 1);
  ClickItemWith(ext, 3, VK_SHIFT);
  EXPECT_EQ(SendMessage(ext, LB_GETSELCOUNT, 0, 0), 3);
  ClickItemWith(ext, 2, VK_CONTROL);
  EXPECT_EQ(SendMessage(ext, LB_GETSEL, 2, 0), 0);
  EXPECT_EQ(SendMessage(ext, LB_GETSELCOUNT, 0, 0), 2);
  ClickItem(ext, 4);  // a plain click keeps only that one
  EXPECT_EQ(SendMessage(ext, LB_GETSELCOUNT, 0, 0), 1);
  GuiKey(VK_SHIFT, true);
  GuiPressKey(VK_UP);
  GuiPressKey(VK_UP);
  GuiKey(VK_SHIFT, false);
  Pump();
  EXPECT_EQ(SendMessage(ext, LB_GETSELCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessage(ext, LB_GETANCHORINDEX, 0, 0), 4);
  EXPECT_EQ(SendMessage(ext, LB_GETCARETINDEX, 0, 0), 2);
}

TEST_F(ListBoxTest, OwnerDrawnItemsAreMeasuredAndDrawnByTheParent) {
  std::vector<DRAWITEMSTRUCT> drawn;
  host.handler = [&](UINT msg, WPARAM, LPARAM lParam, bool* handled) -> LRESULT {
    if (msg == WM_MEASUREITEM) {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      EXPECT_EQ(mis->CtlType, ODT_LISTBOX);
      mis->itemHeight = 20;
      *handled = true;
      return TRUE;
    }
    if (msg == WM_DRAWITEM) {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      drawn.push_back(*dis);
      HBRUSH b = CreateSolidBrush((dis->itemState & ODS_SELECTED) ? RGB(0, 128, 0) : RGB(255, 255, 0));
      FillRect(dis->hDC, &dis->rcItem, b);
      DeleteObject(b);
      *handled = true;
      return TRUE;
    }
    return 0;
  };
  HWND l = List(LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 90);
  EXPECT_EQ(SendMessage(l, LB_GETITEMHEIGHT, 0, 0), 20);
  for (int field = 1; field <= 23; ++field) SendMessage(l, LB_ADDSTRING, 0, field);
  EXPECT_EQ(SendMessage(l, LB_GETITEMDATA, 4, 0), 5);  // no strings: the value is the data
  EXPECT_EQ(SendMessage(l, LB_FINDSTRING, static_cast<WPARAM>(-1), 7), 6);
  drawn.clear();
  SendMessage(l, LB_SETCURSEL, 1, 0);
  Pump();
  ASSERT_FALSE(drawn.empty());
  bool saw_selected = false;
  for (const DRAWITEMSTRUCT& d : drawn) {
    EXPECT_EQ(d.CtlID, 1724u);
    EXPECT_EQ(d.rcItem.bottom - d.rcItem.top, 20);
    EXPECT_EQ(d.itemData, d.itemID + 1);
    if (d.itemID == 1) saw_selected = (d.itemState & ODS_SELECTED) != 0;
  }
  EXPECT_TRUE(saw_selected);
  EXPECT_EQ(GuiReadPixel(l, 50, 30), RGB(0, 128, 0));
  EXPECT_EQ(GuiReadPixel(l, 50, 10), RGB(255, 255, 0));
}

TEST_F(ListBoxTest, ItsScrollBarShowsWhenNeededAndScrollsTheItems) {
  HWND l = List(WS_VSCROLL | LBS_NOTIFY);
  Add(l, {"only"});
  EXPECT_FALSE(GetWindowLong(l, GWL_STYLE) & WS_VSCROLL);  // nothing to scroll
  for (int i = 0; i < 29; ++i) Add(l, {"item"});
  EXPECT_TRUE(GetWindowLong(l, GWL_STYLE) & WS_VSCROLL);
  Pump();
  const int visible = ClientRect(l).bottom / static_cast<int>(SendMessage(l, LB_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(ClientRect(l).bottom % SendMessage(l, LB_GETITEMHEIGHT, 0, 0), 0);  // whole items only
  // End selects the last item and scrolls it into view.
  ClickItem(l, 0);
  GuiPressKey(VK_END);
  Pump();
  EXPECT_EQ(SendMessage(l, LB_GETTOPINDEX, 0, 0), 30 - visible);
  EXPECT_EQ(GetScrollPos(l, SB_VERT), 30 - visible);
  // The up arrow of its scroll bar.
  RECT wr;
  GetWindowRect(l, &wr);
  GuiMouseMove(wr.right - 5, wr.top + 5);
  GuiMouseButton(0, true, wr.right - 5, wr.top + 5);
  GuiMouseButton(0, false, wr.right - 5, wr.top + 5);
  Pump();
  EXPECT_EQ(SendMessage(l, LB_GETTOPINDEX, 0, 0), 30 - visible - 1);
  EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 29);  // scrolling does not select
  // The wheel scrolls too.
  GuiMouseWheel(WHEEL_DELTA, wr.left + 10, wr.top + 10);
  Pump();
  EXPECT_EQ(SendMessage(l, LB_GETTOPINDEX, 0, 0), 30 - visible - 4);
  // A disabled, always shown bar with LBS_DISABLENOSCROLL.
  HWND keep = host.Add(WC_LISTBOX, "", WS_BORDER | WS_VSCROLL | LBS_DISABLENOSCROLL, 200, 10, 100, 100, 2);
  Add(keep, {"one"});
  EXPECT_TRUE(GetWindowLong(keep, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ListBoxTest, AHorizontalExtentScrollsSideways) {
  HWND l = List(WS_HSCROLL | LBS_NOINTEGRALHEIGHT);
  Add(l, {"/a/very/long/path/to/a/candidate/file/that/does/not/fit.avi"});
  EXPECT_FALSE(GetWindowLong(l, GWL_STYLE) & WS_HSCROLL);
  SendMessage(l, LB_SETHORIZONTALEXTENT, 400, 0);
  EXPECT_EQ(SendMessage(l, LB_GETHORIZONTALEXTENT, 0, 0), 400);
  EXPECT_TRUE(GetWindowLong(l, GWL_STYLE) & WS_HSCROLL);
  SendMessage(l, WM_HSCROLL, SB_PAGERIGHT, 0);
  RECT r;
  SendMessage(l, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_LT(r.left, 0);
}

}  // namespace
