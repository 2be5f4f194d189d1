// A small drawing surface over StockBitmapArt: filled and framed boxes,
// bevels, lines, discs and a few capital letters, in the colours of the
// classic 16. The program's own pictures are drawn with it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "resources/glyph_grid.h"
#include "resources/stock_bitmaps.h"

namespace pixel_art {

struct Colour {
  BYTE r, g, b;
};

// Colours of the classic 16.
inline constexpr Colour kBlack{0, 0, 0}, kWhite{255, 255, 255}, kGrey{128, 128, 128}, kSilver{192, 192, 192},
    kNavy{0, 0, 128}, kBlue{0, 0, 255}, kLime{0, 255, 0}, kGreen{0, 128, 0}, kRed{255, 0, 0},
    kMaroon{128, 0, 0}, kYellow{255, 255, 0}, kOlive{128, 128, 0}, kTeal{0, 128, 128}, kAqua{0, 255, 255},
    kPurple{128, 0, 128}, kFuchsia{255, 0, 255};

class Canvas {
 public:
  Canvas(StockBitmapArt* art, int w, int h, Colour background) : art_(art) {
    art_->width = w;
    art_->height = h;
    art_->pixels.assign(static_cast<std::size_t>(w) * h * 3, 0);
    Fill(0, 0, w, h, background);
  }

  void Set(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= art_->width || y >= art_->height) return;
    BYTE* p = art_->pixels.data() + (static_cast<std::size_t>(y) * art_->width + x) * 3;
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
  }
  void Fill(int x, int y, int w, int h, Colour c) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) Set(i, j, c);
  }
  void Frame(int x, int y, int w, int h, Colour c) {
    Fill(x, y, w, 1, c);
    Fill(x, y + h - 1, w, 1, c);
    Fill(x, y, 1, h, c);
    Fill(x + w - 1, y, 1, h, c);
  }
  // A raised or sunken edge, as on a button.
  void Bevel(int x, int y, int w, int h, bool raised) {
    const Colour light = raised ? kWhite : kGrey, dark = raised ? kGrey : kWhite;
    Fill(x, y, w, 1, light);
    Fill(x, y, 1, h, light);
    Fill(x, y + h - 1, w, 1, dark);
    Fill(x + w - 1, y, 1, h, dark);
  }
  void Line(int x0, int y0, int x1, int y1, Colour c) {
    ForEachLinePoint(x0, y0, x1, y1, [this, c](int x, int y) { Set(x, y, c); });
  }
  void Disc(int cx, int cy, int r, Colour c) {
    for (int j = -r; j <= r; ++j)
      for (int i = -r; i <= r; ++i)
        if (i * i + j * j <= r * r + r / 2) Set(cx + i, cy + j, c);
  }
  // Letters of 5 x 7 cells, each cell scale x scale pixels.
  void Text(int x, int y, const char* text, int scale, Colour c) {
    for (; *text != '\0'; ++text, x += 6 * scale) {
      const std::uint8_t* glyph = Glyph(*text);
      if (glyph == nullptr) continue;
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (glyph[row] & (0x10 >> col)) Fill(x + col * scale, y + row * scale, scale, scale, c);
    }
  }
  static int TextWidth(const char* text, int scale) {
    return static_cast<int>(std::strlen(text)) * 6 * scale - scale;
  }

 private:
  static const std::uint8_t* Glyph(char ch) {
    static const struct {
      char ch;
      std::uint8_t rows[7];
    } kGlyphs[] = {
        {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
        {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
        {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    };
    for (const auto& g : kGlyphs)
      if (g.ch == ch) return g.rows;
    return nullptr;
  }

  StockBitmapArt* art_;
};

}  // namespace pixel_art
