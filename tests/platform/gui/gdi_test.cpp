#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gui_test_util.h"
#include "platform/codecs/drawdib.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A memory DC with a 32-bit top-down DIB section, white.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, w, h};
    FillRect(dc_, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) n += At(x, y) == c;
    }
    return n;
  }
  std::vector<std::uint32_t> Snapshot() const { return std::vector<std::uint32_t>(bits_, bits_ + w_ * h_); }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  std::uint32_t* bits_ = nullptr;
};

TEST(Gdi, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  Canvas c(20, 20);
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HBRUSH brush = CreateSolidBrush(kBlue);
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), brush);
  Rectangle(c.dc(), 2, 3, 8, 9);
  EXPECT_EQ(c.At(2, 3), kRed);
  EXPECT_EQ(c.At(7, 8), kRed);  // right and bottom edges are the last pixels inside
  EXPECT_EQ(c.At(8, 8), kWhite);
  EXPECT_EQ(c.At(3, 4), kBlue);
  EXPECT_EQ(c.Count(kRed), 2 * 6 + 2 * 4);
  EXPECT_EQ(c.Count(kBlue), 4 * 4);
  // Without a pen the fill is one pixel smaller each way.
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Rectangle(c.dc(), 10, 10, 14, 14);
  EXPECT_EQ(c.At(12, 12), kBlue);
  EXPECT_EQ(c.At(13, 12), kWhite);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST(Gdi, XorDrawingTwiceRestoresThePicture) {
  Canvas c(40, 40);
  RECT r{5, 5, 30, 30};
  HBRUSH green = CreateSolidBrush(kGreen);
  FillRect(c.dc(), &r, green);
  const auto before = c.Snapshot();
  SetROP2(c.dc(), R2_XORPEN);
  HPEN pen = CreatePen(PS_SOLID, 3, kRed);
  HGDIOBJ old = SelectObject(c.dc(), pen);
  for (int pass = 0; pass < 2; ++pass) {
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 39, 25);
    POINT poly[] = {{1, 30}, {20, 2}, {38, 38}};
    Polyline(c.dc(), poly, 3);
    if (pass == 0) {
      EXPECT_NE(c.Snapshot(), before);
    }
  }
  EXPECT_EQ(c.Snapshot(), before);
  SelectObject(c.dc(), old);
  SetROP2(c.dc(), R2_COPYPEN);
  RECT f{3, 3, 33, 20};
  DrawFocusRect(c.dc(), &f);
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.At(10, 10), RGB(255, 0, 255));
  InvertRect(c.dc(), &r);
  DrawFocusRect(c.dc(), &f);
  EXPECT_EQ(c.Snapshot(), before);
  DeleteObject(pen);
  DeleteObject(green);
}

TEST(Gdi, ClippingAndSavedStates) {
  Canvas c(20, 20);
  const int saved = SaveDC(c.dc());
  IntersectClipRect(c.dc(), 5, 5, 15, 15);
  ExcludeClipRect(c.dc(), 8, 8, 10, 10);
  SetViewportOrgEx(c.dc(), 2, 0, nullptr);
  RECT all{-100, -100, 100, 100};
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(c.dc(), &all, red);
  // The clip is in device units: the viewport origin does not move it
  // (GetPixel takes logical units: device x = logical x + 2).
  EXPECT_EQ(c.At(4 - 2, 10), kWhite);
  EXPECT_EQ(c.At(5 - 2, 10), kRed);
  EXPECT_EQ(c.Count(kRed), 10 * 10 - 2 * 2);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 5 - 2);  // logical units
  RestoreDC(c.dc(), saved);
  FillRect(c.dc(), &all, red);
  EXPECT_EQ(c.Count(kRed), 400);
  POINT p{3, 4};
  LPtoDP(c.dc(), &p, 1);
  EXPECT_EQ(p.x, 3);
  DeleteObject(red);
}

TEST(Gdi, RegionsCombine) {
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  struct Case {
    int mode;
    int complexity;
    POINT in, out;
  };
  const Case cases[] = {{RGN_AND, SIMPLEREGION, {7, 7}, {2, 2}},
                        {RGN_OR, COMPLEXREGION, {12, 12}, {12, 2}},
                        {RGN_DIFF, COMPLEXREGION, {2, 7}, {7, 7}},
                        {RGN_XOR, COMPLEXREGION, {12, 7}, {7, 7}}};
  for (const Case& k : cases) {
    EXPECT_EQ(CombineRgn(out, a, b, k.mode), k.complexity) << k.mode;
    EXPECT_TRUE(PtInRegion(out, k.in.x, k.in.y)) << k.mode;
    EXPECT_FALSE(PtInRegion(out, k.out.x, k.out.y)) << k.mode;
  }
  CombineRgn(out, a, b, RGN_OR);
  HRGN same = CreateRectRgn(5, 5, 15, 15);
  CombineRgn(same, same, a, RGN_OR);
  EXPECT_TRUE(EqualRgn(out, same));
  RECT box;
  GetRgnBox(out, &box);
  EXPECT_EQ(box.right, 15);
  for (HRGN r : {a, b, out, same}) DeleteObject(r);
}

TEST(Gdi, PolygonFillModes) {
  // A five-pointed star: the centre is outside with ALTERNATE, inside with
  // WINDING.
  const POINT star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
  for (int mode : {ALTERNATE, WINDING}) {
    Canvas c(100, 100);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    SetPolyFillMode(c.dc(), mode);
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.At(50, 50), mode == WINDING ? kBlack : kWhite);
    EXPECT_EQ(c.At(50, 10), kBlack);  // a point of the star
    EXPECT_EQ(c.At(5, 80), kWhite);
  }
}

TEST(Gdi, BlitsConvertMonochromeAndStretchAndMirror) {
  Canvas c(16, 16);
  // A 8 x 2 monochrome bitmap: the top row set, the bottom row clear.
  const BYTE rows[4] = {0xFF, 0x00, 0x00, 0x00};  // rows padded to 16 bits
  HBITMAP mono = CreateBitmap(8, 2, 1, 1, rows);
  HDC mem = CreateCompatibleDC(c.dc());
  HGDIOBJ old = SelectObject(mem, mono);
  SetTextColor(c.dc(), kRed);  // 0 bits
  SetBkColor(c.dc(), kBlue);   // 1 bits
  BitBlt(c.dc(), 0, 0, 8, 2, mem, 0, 0, SRCCOPY);
  EXPECT_EQ(c.At(3, 0), kBlue);
  EXPECT_EQ(c.At(3, 1), kRed);
  // Stretched twice and flipped upside down.
  StretchBlt(c.dc(), 0, 8, 16, 4, mem, 0, 2, 8, -2, SRCCOPY);
  EXPECT_EQ(c.At(15, 8), kRed);
  EXPECT_EQ(c.At(15, 11), kBlue);
  // A pattern-only operation needs no source.
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  PatBlt(c.dc(), 0, 4, 4, 2, PATCOPY);
  EXPECT_EQ(c.At(1, 5), kBlack);
  PatBlt(c.dc(), 0, 4, 4, 2, DSTINVERT);
  EXPECT_EQ(c.At(1, 5), kWhite);
  SelectObject(mem, old);
  DeleteObject(mono);
  DeleteDC(mem);
}

TEST(Gdi, StretchDIBitsReadsBottomUpPalettedImages) {
  Canvas c(8, 8);
  // 4 x 2, 8 bits, bottom-up: the first row in memory is the bottom row.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = 4;
  info.h.biHeight = 2;
  info.h.biPlanes = 1;
  info.h.biBitCount = 8;
  info.h.biClrUsed = 2;
  info.colors[0] = RGBQUAD{0, 0, 255, 0};  // red
  info.colors[1] = RGBQUAD{0, 255, 0, 0};  // green
  const BYTE pixels[8] = {0, 0, 0, 0, 1, 1, 1, 1};
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 2, 0, 0, 4, 2, pixels, reinterpret_cast<BITMAPINFO*>(&info),
                          DIB_RGB_COLORS, SRCCOPY),
            2);
  EXPECT_EQ(c.At(0, 0), kGreen);
  EXPECT_EQ(c.At(0, 1), kRed);
  // The source rectangle of a bottom-up image counts from the bottom row.
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 4, 4, 1, 0, 0, 4, 1, pixels, reinterpret_cast<BITMAPINFO*>(&info),
                          DIB_RGB_COLORS, SRCCOPY),
            1);
  EXPECT_EQ(c.At(2, 4), kRed);
}

TEST(Gdi, HostileDibHeadersAreRefused) {
  Canvas c(8, 8);
  BITMAPINFOHEADER good{};
  good.biSize = sizeof(BITMAPINFOHEADER);
  good.biWidth = 4;
  good.biHeight = 4;
  good.biPlanes = 1;
  good.biBitCount = 24;
  std::vector<BYTE> bits(64, 0);
  struct Case {
    const char* what;
    void (*spoil)(BITMAPINFOHEADER&);
  };
  const Case cases[] = {
      {"header size", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
      {"depth", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }},
      {"compression", [](BITMAPINFOHEADER& h) { h.biCompression = 99; }},
      {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
      {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -4; }},
      {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; }},
      {"huge height", [](BITMAPINFOHEADER& h) { h.biHeight = static_cast<LONG>(0x80000000); }},
      {"image size too small", [](BITMAPINFOHEADER& h) { h.biSizeImage = 10; }},
  };
  for (const Case& k : cases) {
    BITMAPINFOHEADER h = good;
    k.spoil(h);
    EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), reinterpret_cast<BITMAPINFO*>(&h),
                            DIB_RGB_COLORS, SRCCOPY),
              0)
        << k.what;
    void* out = nullptr;
    if (std::strcmp(k.what, "image size too small") != 0) {
      EXPECT_EQ(CreateDIBSection(c.dc(), reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &out, nullptr, 0),
                nullptr)
          << k.what;
    }
  }
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), reinterpret_cast<BITMAPINFO*>(&good),
                          DIB_RGB_COLORS, SRCCOPY),
            4);
  EXPECT_EQ(c.At(0, 0), kBlack);
}

TEST(Gdi, DibSectionBitsAreTheDrawingSurface) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = 2;  // bottom-up
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  BYTE* bits = nullptr;
  HBITMAP bm = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  ASSERT_NE(bm, nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  SetPixel(dc, 0, 0, kRed);  // the top row is the second row in memory
  const int row = 12;        // 3 * 3 bytes padded to 4
  EXPECT_EQ(bits[row + 2], 255);
  EXPECT_EQ(bits[row + 0], 0);
  bits[0] = 255;  // blue at the bottom left
  EXPECT_EQ(GetPixel(dc, 0, 1), kBlue);
  DIBSECTION ds{};
  EXPECT_EQ(GetObject(bm, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(2 * row));
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
}

TEST(Gdi, PaletteColoursAndThePaletteDisplayMode) {
  struct {
    LOGPALETTE lp;
    PALETTEENTRY more[2];
  } pal{};
  pal.lp.palVersion = 0x300;
  pal.lp.palNumEntries = 3;
  pal.lp.palPalEntry[0] = PALETTEENTRY{10, 20, 30, 0};
  pal.more[0] = PALETTEENTRY{200, 100, 50, 0};
  pal.more[1] = PALETTEENTRY{1, 2, 3, 0};
  HPALETTE hp = CreatePalette(&pal.lp);
  Canvas c(4, 4);
  SelectPalette(c.dc(), hp, FALSE);
  SetPixel(c.dc(), 0, 0, PALETTEINDEX(1));
  EXPECT_EQ(c.At(0, 0), RGB(200, 100, 50));
  EXPECT_EQ(GetNearestPaletteIndex(hp, RGB(2, 3, 4)), 2u);

  // On a palette display a window's palette is realised into the system
  // palette, and the top-level windows hear of the change.
  SetPaletteDisplayMode(true);
  EXPECT_EQ(GetDeviceCaps(c.dc(), RASTERCAPS) & RC_PALETTE, RC_PALETTE);
  Recorder::Get().Clear();
  HWND w = CreateWindowEx(0, Recorder::Class(), "P", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                          nullptr, nullptr, nullptr, nullptr);
  HDC wdc = GetDC(w);
  SelectPalette(wdc, hp, FALSE);
  EXPECT_EQ(RealizePalette(wdc), 3u);
  EXPECT_EQ(Recorder::Get().Of(w, {WM_PALETTECHANGED}).size(), 1u);
  EXPECT_EQ(RealizePalette(wdc), 0u);  // nothing new
  SetPixel(wdc, 1, 1, PALETTEINDEX(0));
  EXPECT_EQ(GuiReadPixel(w, 1, 1), RGB(10, 20, 30));
  SetPixel(wdc, 2, 2, RGB(250, 5, 5));  // plain colours take the nearest static one
  EXPECT_EQ(GuiReadPixel(w, 2, 2), RGB(255, 0, 0));
  ReleaseDC(w, wdc);
  SetPaletteDisplayMode(false);
  DestroyWindow(w);
  DeleteObject(hp);
}

TEST(Gdi, StaleAndWrongHandlesFailQuietly) {
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  ASSERT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  Canvas c(4, 4);
  EXPECT_EQ(SelectObject(c.dc(), pen), nullptr);
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(FillRect(nullptr, nullptr, nullptr), 0);
  EXPECT_FALSE(LineTo(reinterpret_cast<HDC>(pen), 1, 1));
  // A bitmap can be in one memory DC at a time.
  HBITMAP bm = CreateCompatibleBitmap(c.dc(), 4, 4);
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(a, bm), nullptr);
  EXPECT_EQ(SelectObject(b, bm), nullptr);
  DeleteDC(a);
  EXPECT_NE(SelectObject(b, bm), nullptr);
  DeleteDC(b);
  DeleteObject(bm);
}

TEST(Gdi, ExtremeCoordinatesAreCutNotWalked) {
  Canvas c(32, 32);
  SetViewportOrgEx(c.dc(), 5, 5, nullptr);
  // A diagonal through the whole coordinate space: only its visible part
  // is drawn, on the same pixels as the short line would be.
  MoveToEx(c.dc(), -1000000000, -1000000000, nullptr);
  LineTo(c.dc(), 1000000000, 1000000000);
  EXPECT_EQ(c.At(10, 10), kBlack);
  EXPECT_EQ(c.At(20, 20), kBlack);
  EXPECT_EQ(c.At(20, 21), kWhite);
  RECT huge{-2147483647, -2147483647, 2147483647, 2147483647};
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(c.dc(), &huge, red);
  SetViewportOrgEx(c.dc(), 0, 0, nullptr);
  EXPECT_EQ(c.Count(kRed), 32 * 32);
  EXPECT_FALSE(StretchBlt(c.dc(), 0, 0, 2147483647, 2147483647, c.dc(), 0, 0, 1, 1, SRCCOPY));
  const POINT far[] = {{-2000000000, 0}, {2000000000, 10}, {0, 2000000000}};
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(Polygon(c.dc(), far, 3));
  DeleteObject(red);
}

TEST(Gdi, DrawDibDrawsThroughTheWindowSystem) {
  DibPresenter before = DrawDibSetPresenter(GdiDrawPixels);
  Canvas c(8, 8);
  // A 2 x 2, 24-bit bottom-up picture: blue and red below, green and white above.
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = 2;
  bi.biHeight = 2;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const BYTE bits[16] = {255, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
  HDRAWDIB dd = DrawDibOpen();
  ASSERT_TRUE(DrawDibDraw(dd, c.dc(), 2, 2, 4, 4, &bi, const_cast<BYTE*>(bits), 0, 0, 2, 2, 0));
  EXPECT_EQ(c.At(2, 2), kGreen);
  EXPECT_EQ(c.At(5, 2), kWhite);
  EXPECT_EQ(c.At(2, 5), kBlue);
  EXPECT_EQ(c.At(5, 5), kRed);
  EXPECT_EQ(c.At(6, 6), kWhite);  // outside
  DrawDibClose(dd);
  DrawDibSetPresenter(before);
}

}  // namespace
