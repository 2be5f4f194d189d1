// The slider thumbs, drawn here as raised knobs in the button colours: a
// pointer with a grip groove for horizontal sliders, fader caps with a
// centre mark for the vertical ones.
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "resources/slider_thumb_ids.h"

namespace {

using Rows = std::vector<std::string>;

// A raised box: light top and left, dark bottom and right, a shadow inside.
Rows Knob(int w, int h) {
  Rows r(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), '.'));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      char& c = r[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      if (x == w - 1 || y == h - 1)
        c = 'k';
      else if (x == 0 || y == 0)
        c = 'w';
      else if (x == w - 2 || y == h - 2)
        c = 'g';
    }
  }
  return r;
}

void Put(Rows& r, int x, int y, char c) {
  if (y >= 0 && y < static_cast<int>(r.size()) && x >= 0 && x < static_cast<int>(r[0].size()))
    r[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
}

PixelArt Art(Rows rows) {
  return PixelArt{
      std::move(rows),
      {{'.', RGB(192, 192, 192)}, {'w', RGB(255, 255, 255)}, {'g', RGB(128, 128, 128)}, {'k', RGB(0, 0, 0)}}};
}

// 11 x 19: a box with a vertical groove, ending in a point at the bottom.
PixelArt HorizontalThumb() {
  const int w = 11, body = 14, h = 19;
  Rows r = Knob(w, body);
  r.resize(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), '.'));
  // Reopen the body's bottom edge into the point's sides.
  for (int x = 1; x < w - 1; ++x) Put(r, x, body - 1, '.');
  for (int x = 1; x < w - 2; ++x) Put(r, x, body - 2, '.');
  for (int i = 0; i < h - body + 1; ++i) {
    const int y = body - 1 + i;
    for (int x = i + 1; x < w - 1 - i; ++x) Put(r, x, y, '.');
    Put(r, i, y, 'w');
    Put(r, w - 1 - i, y, 'k');
    Put(r, w - 2 - i, y, 'g');
    for (int x = 0; x < i; ++x) {
      Put(r, x, y, ' ');
      Put(r, w - 1 - x, y, ' ');
    }
  }
  for (int y = 3; y < body - 2; ++y) {
    Put(r, w / 2, y, 'g');
    Put(r, w / 2 + 1, y, 'w');
  }
  PixelArt art = Art(r);
  // What lies outside the point shows the dialog's face.
  art.palette.push_back({' ', RGB(192, 192, 192)});
  return art;
}

// A fader cap: a raised box with a line across its middle.
PixelArt FaderCap(int w, int h) {
  Rows r = Knob(w, h);
  for (int x = 2; x < w - 3; ++x) {
    Put(r, x, h / 2 - 1, 'g');
    Put(r, x, h / 2, 'k');
    Put(r, x, h / 2 + 1, 'w');
  }
  return Art(r);
}

}  // namespace

void RegisterSliderThumbs() {
  RegisterBitmapResource(kHSliderThumb, HorizontalThumb());
  RegisterBitmapResource(kVSliderThumb, FaderCap(19, 11));
  RegisterBitmapResource(kMasterFaderThumb, FaderCap(25, 13));
}
