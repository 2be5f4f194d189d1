#include "model/fit_path.h"

#include <cstring>

namespace {

int DeviceWidth(HDC dc, const char* text) {
  SIZE size{};
  GetTextExtentPoint(dc, text, static_cast<int>(std::strlen(text)), &size);
  POINT pts[2] = {{0, 0}, {size.cx, size.cy}};
  LPtoDP(dc, pts, 2);
  return pts[1].x - pts[0].x;
}

}  // namespace

char* FitPathToWidth(HDC dc, char* text, int width) {
  if (text == nullptr || DeviceWidth(dc, text) <= width) return text;
  const std::size_t length = std::strlen(text);
  const std::size_t keep = length >= 2 && text[1] == ':' ? 3 : 0;
  // Three characters must follow the kept prefix to become the dots.
  if (length < keep + 3) return text;
  char* dots = text + keep;
  std::memcpy(dots, "...", 3);
  char* rest = dots + 3;
  while (*rest != '\0' && DeviceWidth(dc, text) > width) {
    std::memmove(rest, rest + 1, std::strlen(rest + 1) + 1);
  }
  return text;
}
