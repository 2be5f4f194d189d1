#include <gtest/gtest.h>

#include <vector>

#include "controls_test_util.h"
#include "platform/core/time.h"

namespace {

// An edit that keeps the scroll news its up-down sends it.
std::vector<UINT>* g_heard = nullptr;
WNDPROC g_editProc = nullptr;

LRESULT ListeningEdit(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_VSCROLL && g_heard != nullptr) g_heard->push_back(LOWORD(wParam));
  return CallWindowProc(g_editProc, h, msg, wParam, lParam);
}

class UpDownTest : public ::testing::Test {
 protected:
  void SetUp() override { g_heard = &heard; }
  void TearDown() override { g_heard = nullptr; }
  HWND Edit() {
    HWND e = host.Add(WC_EDIT, "5", WS_BORDER, 20, 20, 80, 22, 1464);
    g_editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListeningEdit)));
    return e;
  }
  static POINT At(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
  }
  Host host;
  std::vector<UINT> heard;
};

TEST_F(UpDownTest, TheArrowsStepTheBuddyItSitsBeside) {
  HWND edit = Edit();
  HWND spin = host.Add(UPDOWN_CLASS, "", UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 14, 10, 1465);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessage(spin, UDM_GETBUDDY, 0, 0)), edit);
  // The buddy makes room at its right edge; the arrows take its height.
  RECT ew, sw;
  GetWindowRect(edit, &ew);
  GetWindowRect(spin, &sw);
  EXPECT_EQ(sw.left, ew.right);
  EXPECT_EQ(sw.right - ew.left, 80);
  EXPECT_EQ(sw.bottom - sw.top, 22);
  GuiClick(spin, 7, 3);
  GuiClick(spin, 7, 18);
  Pump();
  EXPECT_EQ(heard, (std::vector<UINT>{SB_LINEUP, SB_ENDSCROLL, SB_LINEDOWN, SB_ENDSCROLL}));
  EXPECT_TRUE(host.Of(WM_VSCROLL).empty());
}

TEST_F(UpDownTest, WithoutABuddyTheParentHearsAndAHeldArrowRepeats) {
  TestClock clock;
  HWND spin = host.Add(UPDOWN_CLASS, "", 0, 200, 20, 14, 22, 1465);
  const POINT up = At(spin, 7, 3);
  GuiMouseMove(up.x, up.y);
  GuiMouseButton(0, true, up.x, up.y);
  Pump();
  clock.Advance(200);
  Pump();
  EXPECT_EQ(host.Codes(WM_VSCROLL, 1465), std::vector<UINT>{SB_LINEUP});
  for (int i = 0; i < 3; ++i) {
    clock.Advance(60);
    Pump();
  }
  // Dragged off the arrow, the repeats pause.
  const POINT away = At(spin, 7, 40);
  GuiMouseMove(away.x, away.y);
  clock.Advance(200);
  Pump();
  GuiMouseButton(0, false, away.x, away.y);
  Pump();
  EXPECT_EQ(host.Codes(WM_VSCROLL, 1465),
            (std::vector<UINT>{SB_LINEUP, SB_LINEUP, SB_LINEUP, SB_LINEUP, SB_ENDSCROLL}));
  EXPECT_EQ(host.Of(WM_VSCROLL)[0].from, spin);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
