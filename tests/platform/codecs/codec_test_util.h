// Pictures and format blocks for the codec tests.
#pragma once

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/codecs/dib.h"

namespace codec_test {

// A header followed by room for 256 colours, as callers allocate them.
struct Format {
  std::vector<BYTE> block = std::vector<BYTE>(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  BITMAPINFOHEADER* bi() { return reinterpret_cast<BITMAPINFOHEADER*>(block.data()); }
  RGBQUAD* colors() { return DibColors(bi()); }
};

inline Format MakeFormat(LONG width, LONG height, WORD bits, DWORD compression = BI_RGB) {
  Format f;
  BITMAPINFOHEADER* bi = f.bi();
  bi->biSize = 40;
  bi->biWidth = width;
  bi->biHeight = height;
  bi->biPlanes = 1;
  bi->biBitCount = bits;
  bi->biCompression = compression;
  bi->biSizeImage = static_cast<DWORD>(DibImageBytes(*bi));
  if (bits == 8) bi->biClrUsed = 256;
  return f;
}

// A smooth test picture (blue, green, red per pixel) of width × height,
// top row first, no padding.
inline std::vector<BYTE> Gradient(int width, int height) {
  std::vector<BYTE> p(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      BYTE* q = &p[(static_cast<std::size_t>(y) * width + x) * 3];
      q[0] = static_cast<BYTE>(x * 255 / (width > 1 ? width - 1 : 1));
      q[1] = static_cast<BYTE>(y * 255 / (height > 1 ? height - 1 : 1));
      q[2] = static_cast<BYTE>((x + y) * 127 / (width + height));
    }
  return p;
}

// Packs top-first BGR rows into a bottom-up 24-bit DIB with padded rows.
inline std::vector<BYTE> ToDib24(const std::vector<BYTE>& bgr, int width, int height) {
  std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 24));
  std::vector<BYTE> dib(stride * height, 0);
  for (int y = 0; y < height; ++y)
    std::memcpy(&dib[(height - 1 - y) * stride], &bgr[static_cast<std::size_t>(y) * width * 3],
                static_cast<std::size_t>(width) * 3);
  return dib;
}

// Largest difference of any channel between two equally sized buffers.
inline int MaxDiff(const BYTE* a, const BYTE* b, std::size_t n) {
  int m = 0;
  for (std::size_t i = 0; i < n; ++i) m = std::max(m, std::abs(int{a[i]} - int{b[i]}));
  return m;
}

}  // namespace codec_test
