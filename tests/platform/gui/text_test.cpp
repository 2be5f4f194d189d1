#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "gui_test_util.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A white 32-bit memory canvas with black, transparent text in font.
class TextCanvas {
 public:
  TextCanvas(int w, int h, HFONT font) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateBitmap(w, h, 1, 32, nullptr);
    old_bitmap_ = SelectObject(dc_, bitmap_);
    old_font_ = SelectObject(dc_, font);
    Clear();
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
  }
  ~TextCanvas() {
    SelectObject(dc_, old_font_);
    SelectObject(dc_, old_bitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  void Clear() {
    RECT all{0, 0, w_, h_};
    FillRect(dc_, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  HDC dc() const { return dc_; }
  RECT Ink() const {
    RECT b{w_, h_, 0, 0};
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) {
        if (GetPixel(dc_, x, y) == kWhite) continue;
        b.left = std::min<LONG>(b.left, x);
        b.top = std::min<LONG>(b.top, y);
        b.right = std::max<LONG>(b.right, x + 1);
        b.bottom = std::max<LONG>(b.bottom, y + 1);
      }
    }
    return b;
  }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> out;
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) out.push_back(GetPixel(dc_, x, y));
    }
    return out;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_bitmap_, old_font_;
};

HFONT Font(int height, const char* face, int weight = FW_NORMAL) {
  return CreateFont(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_STRING_PRECIS, 0, 0, 0, face);
}

SIZE Extent(HDC dc, const char* text) {
  SIZE s{};
  GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &s);
  return s;
}

TEST(Text, TheNamedFacesMapToDejaVuAtTheirSize) {
  HFONT sans = Font(-11, "MS Sans Serif");
  TextCanvas c(200, 50, sans);
  TEXTMETRIC tm;
  ASSERT_TRUE(GetTextMetrics(c.dc(), &tm));
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);  // a negative height is the character height
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  const SIZE ms = Extent(c.dc(), "  00:00:00:000  ");
  char face[LF_FACESIZE];
  GetTextFace(c.dc(), sizeof face, face);
  EXPECT_STREQ(face, "MS Sans Serif");
  for (const char* same : {"Arial", "System", "Helv"}) {
    HFONT f = Font(-11, same);
    HGDIOBJ old = SelectObject(c.dc(), f);
    const SIZE s = Extent(c.dc(), "  00:00:00:000  ");
    EXPECT_EQ(s.cx, ms.cx) << same;
    EXPECT_EQ(s.cy, ms.cy) << same;
    SelectObject(c.dc(), old);
    DeleteObject(f);
  }
  // A positive height is the cell height.
  HFONT cell = Font(20, "Arial");
  SelectObject(c.dc(), cell);
  GetTextMetrics(c.dc(), &tm);
  EXPECT_NEAR(tm.tmHeight, 20, 1);
  // Fixed faces give every character the same width; bold is wider.
  HFONT fixed = Font(-12, "Courier New");
  SelectObject(c.dc(), fixed);
  EXPECT_EQ(Extent(c.dc(), "iiii").cx, Extent(c.dc(), "WWWW").cx);
  GetTextMetrics(c.dc(), &tm);
  EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // the bit means variable pitch
  HFONT bold = Font(-11, "MS Sans Serif", FW_BOLD);
  SelectObject(c.dc(), bold);
  const int bold_w = Extent(c.dc(), "Kobrix Pro").cx;
  SelectObject(c.dc(), sans);
  EXPECT_GT(bold_w, Extent(c.dc(), "Kobrix Pro").cx);
  for (HFONT f : {cell, fixed, bold}) DeleteObject(f);
  DeleteObject(sans);
}

TEST(Text, GlyphsDrawInsideTheExtentAndTheSameEveryTime) {
  HFONT font = Font(-13, "Arial");
  TextCanvas c(200, 40, font);
  TextOut(c.dc(), 10, 5, "Kobrix Pro 3.0", 14);
  const SIZE e = Extent(c.dc(), "Kobrix Pro 3.0");
  const RECT ink = c.Ink();
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.right, 10 + e.cx);
  EXPECT_LE(ink.bottom, 5 + e.cy);
  EXPECT_GT(ink.right - ink.left, e.cx * 9 / 10);
  const auto first = c.Pixels();
  c.Clear();
  TextOut(c.dc(), 10, 5, "Kobrix Pro 3.0", 14);
  EXPECT_EQ(c.Pixels(), first);
  // ANSI characters above 127 have glyphs.
  c.Clear();
  TextOut(c.dc(), 0, 0, "\xE9\x80", 2);
  EXPECT_LT(c.Ink().left, c.Ink().right);
  DeleteObject(font);
}

TEST(Text, AlignmentMovesTheReferencePoint) {
  HFONT font = Font(-11, "MS Sans Serif");
  TextCanvas c(200, 60, font);
  const SIZE e = Extent(c.dc(), "Right");
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(255, 255, 0));
  SetTextAlign(c.dc(), TA_RIGHT | TA_BOTTOM);
  TextOut(c.dc(), 150, 50, "Right", 5);
  const RECT ink = c.Ink();  // the opaque cell
  EXPECT_EQ(ink.right, 150);
  EXPECT_EQ(ink.bottom, 50);
  EXPECT_EQ(ink.left, 150 - e.cx);
  EXPECT_EQ(ink.top, 50 - e.cy);
  c.Clear();
  SetTextAlign(c.dc(), TA_LEFT | TA_TOP | TA_UPDATECP);
  MoveToEx(c.dc(), 20, 10, nullptr);
  TextOut(c.dc(), 0, 0, "ab", 2);
  POINT p;
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 20 + Extent(c.dc(), "ab").cx);
  EXPECT_EQ(c.Ink().left, 20);
  DeleteObject(font);
}

TEST(Text, ExtTextOutFillsAndClipsToItsRectangle) {
  HFONT font = Font(-11, "MS Sans Serif");
  TextCanvas c(100, 30, font);
  SetBkColor(c.dc(), RGB(0, 255, 0));
  RECT r{5, 5, 30, 20};
  ExtTextOut(c.dc(), 5, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "Clipped text", 12, nullptr);
  const RECT ink = c.Ink();
  EXPECT_EQ(ink.left, 5);
  EXPECT_EQ(ink.top, 5);
  EXPECT_EQ(ink.right, 30);
  EXPECT_EQ(ink.bottom, 20);
  EXPECT_EQ(GetPixel(c.dc(), 29, 19), RGB(0, 255, 0));
  DeleteObject(font);
}

TEST(Text, DrawTextLaysOutLines) {
  HFONT font = Font(-11, "MS Sans Serif");
  TextCanvas c(300, 100, font);
  TEXTMETRIC tm;
  GetTextMetrics(c.dc(), &tm);
  const SIZE e = Extent(c.dc(), "Middle");
  struct Case {
    UINT format;
    LONG left, top;
  };
  const RECT box{10, 10, 210, 90};
  const Case cases[] = {
      {DT_LEFT | DT_TOP | DT_SINGLELINE, 10, 10},
      {DT_CENTER | DT_SINGLELINE, 10 + (200 - e.cx) / 2, 10},
      {DT_RIGHT | DT_SINGLELINE, 210 - e.cx, 10},
      {DT_CENTER | DT_VCENTER | DT_SINGLELINE, 10 + (200 - e.cx) / 2, 10 + (80 - tm.tmHeight) / 2},
      {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, 210 - e.cx, 90 - tm.tmHeight},
  };
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(255, 255, 0));
  for (const Case& k : cases) {
    c.Clear();
    RECT r = box;
    DrawText(c.dc(), "Middle", -1, &r, k.format);
    const RECT ink = c.Ink();
    EXPECT_EQ(ink.left, k.left) << k.format;
    EXPECT_EQ(ink.top, k.top) << k.format;
    EXPECT_EQ(ink.right - ink.left, e.cx) << k.format;
  }
  // Measuring: one line, then two with a break, then word wrap.
  RECT calc{0, 0, 0, 0};
  EXPECT_EQ(DrawText(c.dc(), "Middle", -1, &calc, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
  EXPECT_EQ(calc.right, e.cx);
  calc = RECT{0, 0, 0, 0};
  EXPECT_EQ(DrawText(c.dc(), "one\r\ntwo", -1, &calc, DT_CALCRECT), 2 * tm.tmHeight);
  const int word = Extent(c.dc(), "alpha").cx;
  calc = RECT{0, 0, word + 2, 0};
  EXPECT_EQ(DrawText(c.dc(), "alpha beta gamma", -1, &calc, DT_CALCRECT | DT_WORDBREAK), 3 * tm.tmHeight);
  // Prefixes: "&&" is an ampersand, "&x" underlines x and takes no room.
  calc = RECT{0, 0, 0, 0};
  DrawText(c.dc(), "&Open", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.right, Extent(c.dc(), "Open").cx);
  calc = RECT{0, 0, 0, 0};
  DrawText(c.dc(), "&Open", -1, &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(calc.right, Extent(c.dc(), "&Open").cx);
  calc = RECT{0, 0, 0, 0};
  DrawText(c.dc(), "A&&B", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.right, Extent(c.dc(), "A&B").cx);
  DeleteObject(font);
}

}  // namespace
