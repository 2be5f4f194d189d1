#include <gtest/gtest.h>

#include <thread>

#include "controls_test_util.h"

namespace {

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bmp = CreateCompatibleBitmap(screen, 40, 40);
    old = SelectObject(dc, bmp);
    ReleaseDC(nullptr, screen);
    RECT all{0, 0, 40, 40};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  void TearDown() override {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
};

TEST_F(DrawTest, EdgesUseTheSystemColoursAndAdjustTheRectangle) {
  RECT r{2, 2, 30, 30};
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r.left, 4);
  EXPECT_EQ(r.bottom, 28);
  EXPECT_EQ(GetPixel(dc, 2, 10), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(GetPixel(dc, 3, 10), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(GetPixel(dc, 29, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
  RECT raised{2, 32, 30, 38};
  DrawEdge(dc, &raised, EDGE_RAISED, BF_TOP | BF_MIDDLE);
  EXPECT_EQ(GetPixel(dc, 10, 32), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(GetPixel(dc, 10, 35), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(raised.top, 32);  // no BF_ADJUST
}

TEST_F(DrawTest, FrameControlsOfTheCheckBoxKind) {
  RECT unchecked{0, 0, 16, 16}, checked{20, 0, 36, 16};
  DrawFrameControl(dc, &unchecked, DFC_BUTTON, DFCS_BUTTONCHECK);
  DrawFrameControl(dc, &checked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  int in_unchecked = 0, in_checked = 0;
  for (int y = 3; y < 13; ++y) {
    for (int x = 3; x < 13; ++x) {
      in_unchecked += GetPixel(dc, x, y) == ink;
      in_checked += GetPixel(dc, 20 + x, y) == ink;
    }
  }
  EXPECT_EQ(in_unchecked, 0);
  EXPECT_GT(in_checked, 12);
  RECT arrow{0, 20, 16, 36};
  DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLDOWN);
  EXPECT_EQ(GetPixel(dc, 8, 28), GetSysColor(COLOR_BTNTEXT));
}

TEST(Clipboard, OneThreadAtATimeAndOnlyLiveBlocks) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  HGLOBAL mem = GlobalAlloc(GHND, 6);
  std::memcpy(GlobalLock(mem), "clips", 6);
  GlobalUnlock(mem);
  EXPECT_EQ(GlobalSize(mem), 6u);
  EXPECT_EQ(SetClipboardData(CF_TEXT, mem), mem);
  bool other = true;
  std::thread([&] { other = OpenClipboard(nullptr) != FALSE; }).join();
  EXPECT_FALSE(other);  // open here
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);  // closed
  std::thread([&] {
    other = OpenClipboard(nullptr) != FALSE;
    HANDLE h = GetClipboardData(CF_TEXT);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(h)), "clips");
    GlobalUnlock(h);
    CloseClipboard();
  }).join();
  EXPECT_TRUE(other);
  // Replacing the data frees the old block; a freed handle is refused.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  CloseClipboard();
  EXPECT_EQ(GlobalLock(mem), nullptr);
  EXPECT_EQ(GlobalFree(mem), mem);
}

}  // namespace
