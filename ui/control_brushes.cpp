#include "ui/control_brushes.h"

HBRUSH ProgressFillBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  return brush;
}

HBRUSH ProgressBackgroundBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
  return brush;
}
