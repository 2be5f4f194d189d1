#include <gtest/gtest.h>

#include "controls_test_util.h"
#include "platform/core/time.h"

namespace {

class ScrollBarTest : public ::testing::Test {
 protected:
  // A parent that moves the bar as an application does: line 1, page 10.
  void Follow() {
    host.handler = [this](UINT msg, WPARAM wParam, LPARAM lParam, bool*) -> LRESULT {
      if (msg != WM_VSCROLL && msg != WM_HSCROLL) return 0;
      HWND bar = reinterpret_cast<HWND>(lParam);
      const int which = bar != nullptr ? SB_CTL : (msg == WM_VSCROLL ? SB_VERT : SB_HORZ);
      HWND owner = bar != nullptr ? bar : host.hwnd;
      int pos = GetScrollPos(owner, which);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          pos -= 1;
          break;
        case SB_LINEDOWN:
          pos += 1;
          break;
        case SB_PAGEUP:
          pos -= 10;
          break;
        case SB_PAGEDOWN:
          pos += 10;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          pos = static_cast<SHORT>(HIWORD(wParam));
          break;
        case SB_TOP:
          pos = 0;
          break;
        case SB_BOTTOM:
          pos = 100;
          break;
      }
      SetScrollPos(owner, which, pos, TRUE);
      return 0;
    };
  }
  static POINT At(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
  }
  Host host;
};

TEST_F(ScrollBarTest, ArrowsAndPagesTellTheParentWhichMovesTheThumb) {
  HWND bar = host.Add(WC_SCROLLBAR, "", SBS_VERT, 10, 10, 16, 200, 1431);
  Follow();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);
  int lo = 0, hi = 0;
  GetScrollRange(bar, SB_CTL, &lo, &hi);
  EXPECT_EQ(hi, 100);
  SetScrollRange(bar, SB_CTL, 20, 400, TRUE);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 20);
  GuiClick(bar, 8, 190);  // the down arrow
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 21);
  auto notes = host.Of(WM_VSCROLL);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].code, SB_LINEDOWN);
  EXPECT_EQ(notes[0].from, bar);
  EXPECT_EQ(notes[0].id, 1431);
  EXPECT_EQ(notes[1].code, SB_ENDSCROLL);
  host.Clear();
  GuiClick(bar, 8, 150);  // the track below the thumb
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 31);
  EXPECT_EQ(host.Codes(WM_VSCROLL), (std::vector<UINT>{SB_PAGEDOWN, SB_ENDSCROLL}));
  host.Clear();
  GuiClick(bar, 8, 5);  // the up arrow
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 30);
  // Without a parent that moves it, the thumb stays.
  host.handler = nullptr;
  GuiClick(bar, 8, 190);
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 30);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndEndsWithItsPosition) {
  HWND bar = host.Add(WC_SCROLLBAR, "", SBS_HORZ, 10, 10, 216, 16, 1901);
  Follow();
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 0;
  SetScrollInfo(bar, SB_CTL, &si, TRUE);
  // The track is 216 - 2 * 16 = 184 pixels, the thumb 184 * 10 / 100 = 18;
  // its 166 pixels of room stand for the positions 0 to 90.
  const POINT grab = At(bar, 16 + 9, 8);
  const POINT mid = At(bar, 16 + 9 + 83, 8);
  const POINT end = At(bar, 16 + 9 + 400, 8);
  GuiMouseMove(grab.x, grab.y);
  GuiMouseButton(0, true, grab.x, grab.y);
  GuiMouseMove(mid.x, mid.y);
  Pump();
  si.fMask = SIF_TRACKPOS;
  GetScrollInfo(bar, SB_CTL, &si);
  EXPECT_EQ(si.nTrackPos, 45);
  GuiMouseMove(end.x, end.y);
  GuiMouseButton(0, false, end.x, end.y);
  Pump();
  const auto notes = host.Of(WM_HSCROLL);
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[0].code, SB_THUMBTRACK);
  EXPECT_EQ(notes[0].pos, 45);
  EXPECT_EQ(notes[1].code, SB_THUMBTRACK);
  EXPECT_EQ(notes[1].pos, 90);  // the last position the page leaves room for
  EXPECT_EQ(notes[2].code, SB_THUMBPOSITION);
  EXPECT_EQ(notes[2].pos, 90);
  EXPECT_EQ(notes[3].code, SB_ENDSCROLL);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 90);
  // Positions beyond the range are kept inside it.
  SetScrollPos(bar, SB_CTL, 500, FALSE);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 90);
}

TEST_F(ScrollBarTest, AHeldArrowRepeatsOnTheClock) {
  TestClock clock;
  HWND bar = host.Add(WC_SCROLLBAR, "", SBS_VERT, 10, 10, 16, 200, 1);
  Follow();
  const POINT arrow = At(bar, 8, 192);
  GuiMouseMove(arrow.x, arrow.y);
  GuiMouseButton(0, true, arrow.x, arrow.y);
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 1);
  clock.Advance(200);
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 1);
  for (int i = 0; i < 4; ++i) {
    clock.Advance(60);
    Pump();
  }
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 5);
  GuiMouseButton(0, false, arrow.x, arrow.y);
  Pump();
  clock.Advance(500);
  Pump();
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 5);
  EXPECT_EQ(host.Codes(WM_VSCROLL).back(), SB_ENDSCROLL);
}

TEST_F(ScrollBarTest, KeysScrollAFocusedBar) {
  HWND bar = host.Add(WC_SCROLLBAR, "", SBS_VERT | WS_TABSTOP, 10, 10, 16, 200, 1);
  ClickCentre(bar);
  EXPECT_EQ(GetFocus(), bar);
  host.Clear();
  EXPECT_EQ(SendMessage(bar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  for (int vk : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_HOME, VK_END}) GuiPressKey(vk);
  Pump();
  EXPECT_EQ(host.Codes(WM_VSCROLL),
            (std::vector<UINT>{SB_LINEDOWN, SB_ENDSCROLL, SB_LINEUP, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL,
                               SB_PAGEUP, SB_ENDSCROLL, SB_TOP, SB_ENDSCROLL, SB_BOTTOM, SB_ENDSCROLL}));
}

TEST_F(ScrollBarTest, AWindowsOwnBarsShowWithTheirRangeAndAreDrawnInItsFrame) {
  HWND w = host.Add(WC_STATIC, "", SS_NOTIFY | WS_VSCROLL | WS_HSCROLL, 10, 10, 200, 150, 1);
  RECT c = ClientRect(w);
  EXPECT_EQ(c.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
  SetScrollRange(w, SB_VERT, 0, 0, TRUE);  // nothing to scroll: the bar goes
  EXPECT_FALSE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(ClientRect(w).right, 200);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
  si.nMax = 5;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  SetScrollInfo(w, SB_HORZ, &si, TRUE);
  EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_HSCROLL);  // kept, disabled
  ShowScrollBar(w, SB_HORZ, FALSE);
  EXPECT_FALSE(GetWindowLong(w, GWL_STYLE) & WS_HSCROLL);
  Pump();
  // Drawn in the frame: the arrow buttons' face next to the client area.
  RECT wr;
  GetWindowRect(w, &wr);
  HWND top = GetAncestor(w, GA_ROOT);
  std::vector<std::uint32_t> pixels;
  int pw = 0, ph = 0;
  ASSERT_TRUE(GuiCaptureWindow(top, &pixels, &pw, &ph));
  RECT tr;
  GetWindowRect(top, &tr);
  const int x = wr.right - 8 - tr.left, y = wr.top + 8 - tr.top;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const std::uint32_t want = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  EXPECT_EQ(pixels[static_cast<std::size_t>(y * pw + x + 4)], want);
}

TEST_F(ScrollBarTest, AWindowsOwnBarComesWithANewSizeAndStaysOverALargerChild) {
  HWND w = host.Add(WC_STATIC, "", SS_NOTIFY, 10, 10, 200, 150, 1);
  // The window tells its sizes and passes its scroll messages to the host.
  static std::vector<int>* widths;
  std::vector<int> seen;
  widths = &seen;
  static WNDPROC old;
  old = reinterpret_cast<WNDPROC>(GetWindowLongPtr(w, GWLP_WNDPROC));
  SetWindowLongPtr(w, GWLP_WNDPROC,
                   reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                     if (m == WM_SIZE) widths->push_back(LOWORD(lp));
                     if (m == WM_VSCROLL) return SendMessage(GetParent(h), m, wp, lp);
                     return CallWindowProc(old, h, m, wp, lp);
                   }));
  // A black child twice its size, as a scrolled picture is.
  CreateWindowEx(0, WC_STATIC, "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT | SS_NOTIFY, 0, 0, 400, 300, w,
                 nullptr, nullptr, nullptr);
  SetScrollRange(w, SB_VERT, 0, 10, TRUE);
  EXPECT_EQ(seen, std::vector<int>{200 - GetSystemMetrics(SM_CXVSCROLL)});
  Pump();
  RECT wr;
  GetWindowRect(w, &wr);
  GuiMouseMove(wr.right - 8, wr.bottom - 8);
  GuiMouseButton(0, true, wr.right - 8, wr.bottom - 8);
  GuiMouseButton(0, false, wr.right - 8, wr.bottom - 8);
  Pump();
  EXPECT_EQ(host.Codes(WM_VSCROLL), (std::vector<UINT>{SB_LINEDOWN, SB_ENDSCROLL}));
  // The bar's track, not the child, shows there.
  HWND top = GetAncestor(w, GA_ROOT);
  std::vector<std::uint32_t> pixels;
  int pw = 0, ph = 0;
  ASSERT_TRUE(GuiCaptureWindow(top, &pixels, &pw, &ph));
  RECT tr;
  GetWindowRect(top, &tr);
  EXPECT_NE(pixels[static_cast<std::size_t>((wr.top + 40 - tr.top) * pw + wr.right - 8 - tr.left)], 0u);
}

TEST_F(ScrollBarTest, AWindowsOwnBarIsDraggedWithoutTheWindowSeeingTheMouse) {
  int mouse = 0;
  HWND w = host.Add(WC_STATIC, "", SS_NOTIFY | WS_VSCROLL, 10, 10, 200, 216, 1);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  // The static passes its scroll messages to the host's recorder.
  static WNDPROC old;
  old = reinterpret_cast<WNDPROC>(GetWindowLongPtr(w, GWLP_WNDPROC));
  static int* counter;
  counter = &mouse;
  SetWindowLongPtr(w, GWLP_WNDPROC,
                   reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                     if (m == WM_MOUSEMOVE || m == WM_LBUTTONUP) ++*counter;
                     if (m == WM_VSCROLL) {
                       SendMessage(GetParent(h), m, wp, lp);
                       if (LOWORD(wp) == SB_THUMBTRACK || LOWORD(wp) == SB_THUMBPOSITION)
                         SetScrollPos(h, SB_VERT, static_cast<SHORT>(HIWORD(wp)), TRUE);
                       return 0;
                     }
                     return CallWindowProc(old, h, m, wp, lp);
                   }));
  RECT wr;
  GetWindowRect(w, &wr);
  // The track is 216 - 32 = 184 pixels, the thumb 18: the first press is on it.
  const POINT grab{wr.right - 8, wr.top + 16 + 9};
  const POINT down{wr.right - 8, wr.top + 16 + 9 + 83};
  GuiMouseMove(grab.x, grab.y);
  GuiMouseButton(0, true, grab.x, grab.y);
  GuiMouseMove(down.x, down.y);
  GuiMouseButton(0, false, down.x, down.y);
  Pump();
  EXPECT_EQ(host.Codes(WM_VSCROLL), (std::vector<UINT>{SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_EQ(host.Of(WM_VSCROLL)[1].pos, 45);
  EXPECT_EQ(host.Of(WM_VSCROLL)[1].from, nullptr);  // a window's own bar
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 45);
  EXPECT_EQ(mouse, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
