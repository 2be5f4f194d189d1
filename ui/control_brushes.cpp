#include "ui/control_brushes.h"

#include <array>

HBRUSH ProgressFillBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  return brush;
}

HBRUSH ProgressBackgroundBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
  return brush;
}

namespace {

int Band(int band) {
  return band >= 0 && band < 5 ? band : 4;
}

}  // namespace

HBRUSH BrightBandBrush(int band) {
  static const std::array<HBRUSH, 5> brushes = {
      CreateSolidBrush(RGB(0, 0, 192)), CreateSolidBrush(RGB(0, 0, 255)), CreateSolidBrush(RGB(0, 255, 0)),
      CreateSolidBrush(RGB(255, 255, 0)), CreateSolidBrush(RGB(255, 0, 0))};
  return brushes[static_cast<std::size_t>(Band(band))];
}

HBRUSH DarkBandBrush(int band) {
  static const std::array<HBRUSH, 5> brushes = {
      CreateSolidBrush(RGB(0, 0, 64)), CreateSolidBrush(RGB(0, 0, 128)), CreateSolidBrush(RGB(0, 128, 0)),
      CreateSolidBrush(RGB(128, 128, 0)), CreateSolidBrush(RGB(128, 0, 0))};
  return brushes[static_cast<std::size_t>(Band(band))];
}

HPEN ScalePen() {
  static HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 255));
  return pen;
}
