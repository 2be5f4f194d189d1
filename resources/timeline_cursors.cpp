// The cursors of the time-line's lines and header controls: 32 x 32 black
// shapes with a white rim, so that they show on light and dark clips alike.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/gui/resource.h"
#include "resources/glyph_grid.h"
#include "resources/timeline_ids.h"

namespace {

constexpr int kSize = 32;

// Black on clear (' ').
class Shape : public GlyphGrid {
 public:
  Shape() : GlyphGrid(kSize, kSize, ' ') {}

  void Dot(int x, int y) { Set(x, y, 'k'); }
  void Line(int x0, int y0, int x1, int y1) { GlyphGrid::Line(x0, y0, x1, y1, 'k'); }
  void Fill(int x, int y, int w, int h) { GlyphGrid::Fill(x, y, w, h, 'k'); }
  void Box(int x, int y, int w, int h) {
    Line(x, y, x + w - 1, y);
    Line(x, y + h - 1, x + w - 1, y + h - 1);
    Line(x, y, x, y + h - 1);
    Line(x + w - 1, y, x + w - 1, y + h - 1);
  }
  void Circle(int cx, int cy, int r) {
    for (int y = -r - 1; y <= r + 1; ++y)
      for (int x = -r - 1; x <= r + 1; ++x) {
        const int d = x * x + y * y;
        if (d <= r * r + r && d >= (r - 2) * (r - 2)) Dot(cx + x, cy + y);
      }
  }
  // A filled triangle pointing left, right, up or down with its tip at (x, y).
  void Head(int x, int y, int dx, int dy, int size) {
    for (int k = 0; k < size; ++k) {
      if (dx != 0) {
        Line(x - dx * k, y - k, x - dx * k, y + k);
      } else {
        Line(x - k, y - dy * k, x + k, y - dy * k);
      }
    }
  }
  // A double arrow between two points on one axis.
  void HArrow(int x0, int x1, int y) {
    Line(x0, y, x1, y);
    Head(x0, y, -1, 0, 4);
    Head(x1, y, 1, 0, 4);
  }
  void VArrow(int x, int y0, int y1) {
    Line(x, y0, x, y1);
    Head(x, y0, 0, -1, 4);
    Head(x, y1, 0, 1, 4);
  }
  // The usual pointer with its tip at (x, y).
  void Pointer(int x, int y) {
    for (int k = 0; k < 13; ++k) Line(x, y + k, x + k * 2 / 3, y + k);
    Fill(x + 3, y + 12, 2, 6);
  }
  // Every clear pixel beside black turns white.
  PixelArt Art() const {
    std::vector<std::string> art = Rows();
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        if (At(x, y) != ' ') continue;
        for (int j = -1; j <= 1 && art[y][x] == ' '; ++j)
          for (int i = -1; i <= 1; ++i) {
            const int u = x + i, v = y + j;
            if (u >= 0 && v >= 0 && u < kSize && v < kSize && At(u, v) == 'k') {
              art[y][x] = 'w';
              break;
            }
          }
      }
    return PixelArt{art, {{'k', RGB(0, 0, 0)}, {'w', RGB(255, 255, 255)}}};
  }
};

void Register(int id, const Shape& shape, int hotX, int hotY) {
  RegisterCursorResource(id, shape.Art(), POINT{hotX, hotY});
}

// A clip edge: the bar with its serifs on the clip's side, and the double
// arrow of a trim.
Shape Edge(bool start) {
  Shape s;
  s.Fill(15, 6, 2, 20);
  const int foot = start ? 17 : 12;
  s.Fill(foot, 6, 3, 2);
  s.Fill(foot, 24, 3, 2);
  s.HArrow(5, 26, 15);
  return s;
}

Shape FourWay() {
  Shape s;
  s.HArrow(5, 26, 15);
  s.VArrow(15, 5, 26);
  return s;
}

Shape Hand(bool pointing) {
  Shape s;
  if (pointing) {
    s.Fill(8, 2, 3, 12);
    for (int f = 0; f < 3; ++f) s.Fill(12 + 4 * f, 9, 3, 5);
    s.Fill(8, 13, 15, 9);
    s.Fill(5, 12, 3, 6);
  } else {
    for (int f = 0; f < 4; ++f) s.Fill(4 + 4 * f, 8, 3, 3);
    s.Fill(4, 10, 15, 11);
    s.Fill(1, 13, 3, 4);
  }
  return s;
}

}  // namespace

void RegisterTimeLineCursors() {
  Register(kCursorTrimStart, Edge(true), 15, 15);
  Register(kCursorTrimEnd, Edge(false), 15, 15);
  Register(kCursorClipBody, FourWay(), 15, 15);
  Register(kCursorMoveClips, Hand(false), 8, 13);

  Shape playing;
  playing.Pointer(1, 1);
  playing.Head(26, 22, 1, 0, 7);
  Register(kCursorPlaying, playing, 1, 1);

  Shape noDrop;
  noDrop.Circle(15, 15, 11);
  noDrop.Line(8, 8, 22, 22);
  noDrop.Line(9, 8, 23, 22);
  Register(kCursorNoDrop, noDrop, 15, 15);

  Shape keyPoint;
  keyPoint.Line(15, 3, 15, 27);
  keyPoint.Line(3, 15, 27, 15);
  keyPoint.Box(12, 12, 7, 7);
  Register(kCursorKeyPoint, keyPoint, 15, 15);

  Shape flat;
  flat.VArrow(15, 5, 26);
  flat.Line(7, 15, 23, 15);
  Register(kCursorFlatSegment, flat, 15, 15);

  Shape sloped;
  sloped.VArrow(15, 5, 26);
  sloped.Line(6, 22, 24, 8);
  Register(kCursorSlopedSegment, sloped, 15, 15);

  Shape band;
  band.Line(15, 5, 15, 25);
  band.Line(5, 15, 25, 15);
  for (int x = 18; x < 30; x += 2) {
    band.Dot(x, 18);
    band.Dot(x, 28);
  }
  for (int y = 18; y < 30; y += 2) {
    band.Dot(18, y);
    band.Dot(29, y);
  }
  Register(kCursorRubberBand, band, 15, 15);

  Shape shortened;
  shortened.Pointer(1, 1);
  shortened.Box(14, 18, 16, 10);
  shortened.Head(20, 22, 1, 0, 3);
  shortened.Head(24, 22, -1, 0, 3);
  Register(kCursorDropShortened, shortened, 1, 1);

  Shape fits;
  fits.Pointer(1, 1);
  fits.Box(14, 18, 16, 10);
  fits.Line(22, 20, 22, 25);
  fits.Line(19, 22, 25, 22);
  Register(kCursorDropFits, fits, 1, 1);

  // A dropped clip pushing the later ones right.
  Shape insert;
  insert.Pointer(1, 1);
  insert.Box(12, 18, 8, 10);
  insert.Line(21, 22, 29, 22);
  insert.Head(29, 22, 1, 0, 4);
  Register(kCursorInsert, insert, 1, 1);

  Shape mark;
  mark.Line(15, 15, 15, 28);
  mark.Head(15, 15, 0, 1, 6);
  Register(kCursorClipMark, mark, 15, 15);

  Shape timeLine;
  timeLine.Fill(15, 3, 2, 26);
  timeLine.HArrow(4, 27, 15);
  Register(kCursorTimeLine, timeLine, 15, 15);

  Register(kCursorEffects, Hand(true), 9, 2);
}
