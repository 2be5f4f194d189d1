#include <gtest/gtest.h>

#include "controls_test_util.h"

namespace {

class StaticTest : public ::testing::Test {
 protected:
  Host host;
};

// Where the ink of a text lies across the control.
RECT Ink(HWND h) {
  const RECT r = ClientRect(h);
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  RECT b{r.right, r.bottom, 0, 0};
  for (int y = 0; y < r.bottom; ++y) {
    for (int x = 0; x < r.right; ++x) {
      if (GuiReadPixel(h, x, y) != ink) continue;
      b.left = std::min<LONG>(b.left, x);
      b.right = std::max<LONG>(b.right, x + 1);
      b.top = std::min<LONG>(b.top, y);
      b.bottom = std::max<LONG>(b.bottom, y + 1);
    }
  }
  return b;
}

TEST_F(StaticTest, TextsAlignAsTheirStyleSays) {
  HWND left = host.Add(WC_STATIC, "Ratio", SS_LEFT, 10, 10, 200, 20, 1);
  HWND centre = host.Add(WC_STATIC, "Ratio", SS_CENTER, 10, 40, 200, 20, 2);
  HWND right = host.Add(WC_STATIC, "Ratio", SS_RIGHT, 10, 70, 200, 20, 3);
  const RECT l = Ink(left), c = Ink(centre), r = Ink(right);
  ASSERT_LT(l.left, l.right);
  EXPECT_LE(l.left, 2);
  EXPECT_NEAR((c.left + c.right) / 2, 100, 3);
  EXPECT_GE(r.right, 197);
  EXPECT_EQ(l.right - l.left, r.right - r.left);
  // A new text repaints.
  SetWindowText(left, "");
  Pump();
  EXPECT_GT(Ink(left).left, Ink(left).right - 1);
}

TEST_F(StaticTest, ClicksPassThroughUnlessItNotifies) {
  HWND quiet = host.Add(WC_STATIC, "Hz", SS_LEFT, 10, 10, 100, 20, 1);
  HWND notify = host.Add(WC_STATIC, "Hz", SS_LEFT | SS_NOTIFY, 10, 40, 100, 20, 2);
  EXPECT_EQ(SendMessage(quiet, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  ClickCentre(quiet);
  EXPECT_TRUE(host.Codes(WM_COMMAND).empty());
  GuiClick(notify, 5, 5);
  GuiClick(notify, 5, 5);
  Pump();
  EXPECT_EQ(host.Codes(WM_COMMAND, 2), (std::vector<UINT>{STN_CLICKED, STN_DBLCLK}));
}

TEST_F(StaticTest, AnIconStaticLoadsItsIconAndTakesItsSize) {
  HWND icon = CreateWindowEx(0, WC_STATIC, MAKEINTRESOURCE(32516), WS_CHILD | WS_VISIBLE | SS_ICON, 10, 10, 5,
                             5, host.hwnd, nullptr, nullptr, nullptr);
  Pump();
  EXPECT_NE(SendMessage(icon, STM_GETICON, 0, 0), 0);
  RECT r = ClientRect(icon);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYICON));
  // Some of the icon is drawn.
  EXPECT_LT(CountColor(icon, r, GetSysColor(COLOR_BTNFACE)), r.right * r.bottom);
  HICON other = LoadIcon(nullptr, IDI_HAND);
  SendMessage(icon, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(other));
  EXPECT_EQ(SendMessage(icon, STM_GETIMAGE, IMAGE_ICON, 0), reinterpret_cast<LRESULT>(other));
}

TEST_F(StaticTest, ABitmapStaticShowsItsBitmap) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 12, 8);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 12, 8};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(mem, &all, red);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  HWND pic = host.Add(WC_STATIC, "", SS_BITMAP, 10, 10, 50, 50, 1);
  SendMessage(pic, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
  Pump();
  EXPECT_EQ(ClientRect(pic).right, 12);
  EXPECT_EQ(CountColor(pic, ClientRect(pic), RGB(255, 0, 0)), 12 * 8);
  DestroyWindow(pic);
  DeleteObject(bmp);
  DeleteObject(red);
}

TEST_F(StaticTest, RectanglesAndEtchedLines) {
  struct Case {
    DWORD style;
    int sys;
    POINT at;
  };
  const Case cases[] = {
      {SS_BLACKRECT, COLOR_WINDOWFRAME, {10, 5}},   {SS_GRAYRECT, COLOR_BTNSHADOW, {10, 5}},
      {SS_WHITERECT, COLOR_WINDOW, {10, 5}},        {SS_ETCHEDHORZ, COLOR_BTNSHADOW, {10, 0}},
      {SS_ETCHEDFRAME, COLOR_BTNHIGHLIGHT, {1, 5}},
  };
  int y = 10;
  for (const Case& c : cases) {
    HWND h = host.Add(WC_STATIC, "", c.style, 10, y, 60, 12, 0);
    EXPECT_EQ(GuiReadPixel(h, c.at.x, c.at.y), GetSysColor(c.sys)) << c.style;
    y += 20;
  }
}

}  // namespace
