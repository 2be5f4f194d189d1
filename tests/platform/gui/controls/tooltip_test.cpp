#include <gtest/gtest.h>

#include "controls_test_util.h"
#include "platform/core/time.h"

namespace {

HWND g_tip = nullptr;
WNDPROC g_button_proc = nullptr;

// A button that passes its mouse messages to the tooltip, as the effect
// dialogs' bitmap buttons do.
LRESULT RelayingButton(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && g_tip != nullptr) {
    MSG m{h, msg, wParam, lParam, 0, {}};
    SendMessage(g_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
  }
  return CallWindowProc(g_button_proc, h, msg, wParam, lParam);
}

class TooltipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button = host.Add(WC_BUTTON, "Edit", BS_PUSHBUTTON, 20, 20, 80, 24, 1754);
    g_button_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RelayingButton)));
    tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, host.hwnd, nullptr, nullptr, nullptr);
    g_tip = tip;
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 500);
    TOOLINFO ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = host.hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = const_cast<LPSTR>("Change selected effect settings");
    EXPECT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
  }
  void TearDown() override {
    g_tip = nullptr;
    DestroyWindow(tip);
  }
  void Hover(HWND over, int x, int y) {
    POINT p{x, y};
    ClientToScreen(over, &p);
    GuiMouseMove(p.x, p.y);
    Pump();
  }
  TestClock clock;
  Host host;
  HWND button = nullptr;
  HWND tip = nullptr;
};

TEST_F(TooltipTest, ShowsAfterTheMouseRestsAndGoesOnAClick) {
  EXPECT_EQ(GetWindow(tip, GW_OWNER), host.hwnd);
  EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
  Hover(button, 10, 10);
  clock.Advance(400);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  clock.Advance(150);
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(GetActiveWindow(), host.hwnd);  // it takes no activation
  // Below the pointer, with the text drawn on the info colour.
  RECT tr, br;
  GetWindowRect(tip, &tr);
  GetWindowRect(button, &br);
  EXPECT_GT(tr.top, br.top + 10);
  EXPECT_GT(CountColor(tip, ClientRect(tip), GetSysColor(COLOR_INFOTEXT)), 20);
  EXPECT_GT(ClientRect(tip).right, 100);
  // A click puts it away, and it stays away while the mouse stays.
  GuiClick(button, 10, 10);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  clock.Advance(2000);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(TooltipTest, LeavingTheToolOrDeactivatingStopsIt) {
  Hover(button, 10, 10);
  Hover(host.hwnd, 300, 300);  // the host relays nothing: the tip checks the pointer itself
  clock.Advance(600);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  SendMessage(tip, TTM_ACTIVATE, FALSE, 0);
  Hover(button, 12, 12);
  clock.Advance(600);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  SendMessage(tip, TTM_ACTIVATE, TRUE, 0);
  Hover(button, 14, 12);
  clock.Advance(600);
  Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  // It goes by itself after the automatic pop-down delay.
  clock.Advance(5100);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(TooltipTest, ARectangleToolAndNewText) {
  // A tool on the host covering a part of its client area.
  TOOLINFO ti;
  ti.hwnd = host.hwnd;
  ti.uId = 7;
  ti.rect = RECT{200, 200, 260, 240};
  ti.lpszText = const_cast<LPSTR>("Bypass");
  SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti));
  ti.lpszText = const_cast<LPSTR>("Skip all");
  SendMessage(tip, TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&ti));
  char text[32] = {};
  ti.lpszText = text;
  EXPECT_EQ(SendMessage(tip, TTM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(&ti)), 8);
  EXPECT_STREQ(text, "Skip all");
  Hover(host.hwnd, 220, 220);
  MSG m{host.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(220, 220), 0, {}};
  SendMessage(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
  clock.Advance(600);
  Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  SendMessage(tip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti));
  EXPECT_FALSE(IsWindowVisible(tip));
  EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

}  // namespace
