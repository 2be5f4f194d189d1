#include "resources/about_pictures.h"

#include <cmath>

#include "resources/pixel_canvas.h"
#include "resources/setup_dialog_ids.h"

namespace {

using namespace pixel_art;

constexpr int kW = kAboutPictureWidth;
constexpr int kH = kAboutPictureHeight;

// A reel with three windows, turned by a fifth of the way between two of them.
void Reel(Canvas& c, int cx, int cy, int step) {
  c.Disc(cx, cy, 33, kGrey);
  c.Disc(cx, cy, 31, kSilver);
  const double turn = 2 * M_PI / 3 / kAboutPictureCount * step;
  for (int k = 0; k < 3; ++k) {
    const double a = turn + k * 2 * M_PI / 3;
    const int x = cx + static_cast<int>(std::lround(18 * std::cos(a)));
    const int y = cy + static_cast<int>(std::lround(18 * std::sin(a)));
    c.Disc(x, y, 9, kNavy);
    c.Disc(x, y, 7, kBlue);
  }
  c.Disc(cx, cy, 6, kGrey);
  c.Disc(cx, cy, 3, kBlack);
}

// A strip of film that runs on by a fifth of a frame a picture.
void FilmStrip(Canvas& c, int y, int step) {
  c.Fill(0, y, kW, 22, kBlack);
  for (int x = -20 + 4 * step; x < kW; x += 20) {
    c.Fill(x + 5, y + 2, 9, 3, kWhite);
    c.Fill(x + 5, y + 17, 9, 3, kWhite);
    c.Fill(x + 2, y + 7, 16, 8, kOlive);
  }
}

// A sound wave that travels to the left, round once in five pictures.
void Wave(Canvas& c, int top, int height, int step) {
  c.Fill(0, top, kW, height, kBlack);
  const int mid = top + height / 2;
  c.Line(0, mid, kW - 1, mid, kGreen);
  int lastY = mid;
  for (int x = 0; x < kW; ++x) {
    const double t = (x + 20.0 * step) / kW;
    const double level = 0.4 * height * (0.6 + 0.4 * std::sin(2 * M_PI * t));
    const int y = mid - static_cast<int>(std::lround(level * std::sin(2 * M_PI * 4 * t)));
    c.Line(x > 0 ? x - 1 : 0, lastY, x, y, kLime);
    lastY = y;
  }
}

}  // namespace

bool DrawAboutPicture(int index, StockBitmapArt* art) {
  if (art == nullptr || index < 0 || index >= kAboutPictureCount) return false;
  Canvas c(art, kW, kH, kNavy);
  for (int y = 0; y < 76; ++y) c.Fill(0, y, kW, 1, y < 38 ? kNavy : kTeal);
  Reel(c, kW / 2, 38, index);
  FilmStrip(c, 78, index);
  Wave(c, 102, 24, index);
  c.Frame(0, 0, kW, kH, kWhite);
  return true;
}
