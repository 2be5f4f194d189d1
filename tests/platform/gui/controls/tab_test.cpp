#include <gtest/gtest.h>

#include "controls_test_util.h"

namespace {

class TabTest : public ::testing::Test {
 protected:
  HWND Tabs(DWORD style, int w, std::vector<const char*> names) {
    HWND t = host.Add(WC_TABCONTROL, "", style | WS_TABSTOP, 10, 10, w, 200, 12320);
    int i = 0;
    for (const char* n : names) {
      TCITEM item;
      item.mask = TCIF_TEXT | TCIF_PARAM;
      item.pszText = const_cast<LPSTR>(n);
      item.lParam = 100 + i;
      EXPECT_EQ(SendMessage(t, TCM_INSERTITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)), i);
      ++i;
    }
    Pump();
    return t;
  }
  static void ClickTab(HWND t, int i) {
    RECT r;
    SendMessage(t, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    GuiClick(t, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
  }
  Host host;
};

TEST_F(TabTest, AClickAsksTheParentThenChanges) {
  HWND t = Tabs(0, 400, {"General", "Video", "Audio"});
  EXPECT_EQ(SendMessage(t, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 0);  // the first tab is selected
  ClickTab(t, 2);
  EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(GetFocus(), t);
  EXPECT_EQ(host.Codes(WM_NOTIFY, 12320), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  // A parent that refuses keeps the tab.
  host.Clear();
  host.handler = [](UINT msg, WPARAM, LPARAM lParam, bool* handled) -> LRESULT {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGING) {
      *handled = true;
      return TRUE;
    }
    return 0;
  };
  ClickTab(t, 0);
  EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 2);
  host.handler = nullptr;
  // The arrow keys move between tabs with the same questions.
  host.Clear();
  GuiPressKey(VK_LEFT);
  Pump();
  EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(host.Codes(WM_NOTIFY, 12320), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  // The program's choice tells nobody.
  host.Clear();
  EXPECT_EQ(SendMessage(t, TCM_SETCURSEL, 0, 0), 1);
  EXPECT_TRUE(host.notes.empty());
  EXPECT_EQ(SendMessage(t, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_EQ(SendMessage(t, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(TabTest, ItemsAndTheDisplayArea) {
  HWND t = Tabs(0, 400, {"General", "Video"});
  char text[16];
  TCITEM item;
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ASSERT_TRUE(SendMessage(t, TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&item)));
  EXPECT_STREQ(text, "Video");
  EXPECT_EQ(item.lParam, 101);
  TCHITTESTINFO hit;
  RECT r;
  SendMessage(t, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  hit.pt = POINT{r.left + 3, r.top + 3};
  EXPECT_EQ(SendMessage(t, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
  EXPECT_EQ(hit.flags, TCHT_ONITEM);
  // The display area lies below the tabs and converts back.
  RECT area = ClientRect(t);
  SendMessage(t, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  EXPECT_GE(area.top, r.bottom);
  EXPECT_LT(area.bottom, 200);
  SendMessage(t, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&area));
  EXPECT_EQ(area.top, 0);
  EXPECT_EQ(area.right, 400);
  // Deleting the selected tab leaves none; deleting all empties it.
  EXPECT_TRUE(SendMessage(t, TCM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), -1);
  EXPECT_TRUE(SendMessage(t, TCM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(SendMessage(t, TCM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(TabTest, ManyTabsWrapIntoRowsWithTheSelectedRowNextToTheDisplay) {
  HWND t = Tabs(TCS_MULTILINE, 260,
                {"General", "Video", "Audio", "Troubleshooting", "Alignment", "Selection", "Summary",
                 "Colors", "Save", "Scrubbing", "Effects", "Declick", "Audio meter", "VideoFX"});
  const LRESULT rows = SendMessage(t, TCM_GETROWCOUNT, 0, 0);
  EXPECT_GT(rows, 1);
  auto rect = [&](int i) {
    RECT r;
    SendMessage(t, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
  };
  RECT area = ClientRect(t);
  SendMessage(t, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  const int bottom_row = rect(0).bottom;
  EXPECT_LT(bottom_row, area.top);
  // Choosing a tab of another row brings that row down.
  ClickTab(t, 13);
  EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 13);
  EXPECT_EQ(rect(13).bottom, bottom_row);
  EXPECT_LT(rect(0).bottom, bottom_row);
  // Rows are stretched to the full width.
  EXPECT_GE(rect(13).right, 256);
}

}  // namespace
