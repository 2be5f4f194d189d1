// The program's small pictures are drawn as rows of palette letters (one
// letter a pixel) with boxes and lines, then turned into bitmaps or cursors.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

namespace pixel_art {

// Every point of the straight line from (x0, y0) to (x1, y1), both ends in.
template <class Plot>
void ForEachLinePoint(int x0, int y0, int x1, int y1, Plot plot) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    plot(x0, y0);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

}  // namespace pixel_art

class GlyphGrid {
 public:
  GlyphGrid(int w, int h, char background)
      : rows_(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), background)) {}

  int Width() const { return rows_.empty() ? 0 : static_cast<int>(rows_[0].size()); }
  int Height() const { return static_cast<int>(rows_.size()); }
  // Points outside the grid are dropped.
  void Set(int x, int y, char c) {
    if (y >= 0 && y < Height() && x >= 0 && x < Width())
      rows_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
  }
  char At(int x, int y) const {
    return rows_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
  }
  void Fill(int x, int y, int w, int h, char c) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) Set(i, j, c);
  }
  void Frame(int x, int y, int w, int h, char c) {
    Fill(x, y, w, 1, c);
    Fill(x, y + h - 1, w, 1, c);
    Fill(x, y, 1, h, c);
    Fill(x + w - 1, y, 1, h, c);
  }
  void Line(int x0, int y0, int x1, int y1, char c) {
    pixel_art::ForEachLinePoint(x0, y0, x1, y1, [this, c](int x, int y) { Set(x, y, c); });
  }
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  std::vector<std::string> rows_;
};
