#include "media/palette_dither.h"

#include <cstddef>

namespace {

constexpr BYTE kBayerRowsReversed[64] = {
    63, 31, 55, 23, 61, 29, 53, 21,  //
    15, 47, 7,  39, 13, 45, 5,  37,  //
    51, 19, 59, 27, 49, 17, 57, 25,  //
    3,  35, 11, 43, 1,  33, 9,  41,  //
    60, 28, 52, 20, 62, 30, 54, 22,  //
    12, 44, 4,  36, 14, 46, 6,  38,  //
    48, 16, 56, 24, 50, 18, 58, 26,  //
    0,  32, 8,  40, 2,  34, 10, 42,
};

}  // namespace

void BuildThumbnailPalette(PaletteColour* entries) {
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) {
        PaletteColour& e = entries[r * 36 + g * 6 + b];
        e.red = static_cast<BYTE>(r * 51);
        e.green = static_cast<BYTE>(g * 51);
        e.blue = static_cast<BYTE>(b * 51);
        e.flags = 0;
      }
}

const BYTE* DitherTable() {
  static const struct Table {
    BYTE v[64];
    Table() {
      for (int i = 0; i < 64; ++i) v[i] = static_cast<BYTE>((kBayerRowsReversed[i] * 51 + 32) >> 6);
    }
  } table;
  return table.v;
}

void DitherRow(const BYTE* bgr, int width, int y, BYTE* indexes) {
  const BYTE* row = DitherTable() + 8 * (y & 7);
  for (int x = 0; x < width; ++x, bgr += 3) {
    const int t = row[x & 7];
    indexes[x] = static_cast<BYTE>((bgr[0] + t) / 51 + 6 * ((bgr[1] + t) / 51) + 36 * ((bgr[2] + t) / 51));
  }
}

void BoxRow2(const BYTE* source, int sourceWidth, int y, int outWidth, BYTE* out) {
  const std::size_t stride = static_cast<std::size_t>(sourceWidth) * 3;
  const BYTE* r0 = source + static_cast<std::size_t>(2 * y) * stride;
  const BYTE* r1 = r0 + stride;
  for (int x = 0; x < outWidth; ++x, r0 += 6, r1 += 6, out += 3) {
    out[0] = static_cast<BYTE>((r0[0] + r0[3] + r1[0] + r1[3] + 2) >> 2);
    out[1] = static_cast<BYTE>((r0[1] + r0[4] + r1[1] + r1[4] + 2) >> 2);
    out[2] = static_cast<BYTE>((r0[2] + r0[5] + r1[2] + r1[5] + 2) >> 2);
  }
}

void BoxRow4(const BYTE* source, int sourceWidth, int y, int outWidth, BYTE* out) {
  const std::size_t stride = static_cast<std::size_t>(sourceWidth) * 3;
  const BYTE* r0 = source + static_cast<std::size_t>(4 * y) * stride;
  for (int x = 0; x < outWidth; ++x, r0 += 12, out += 3) {
    const BYTE* r1 = r0 + stride;
    const BYTE* r2 = r1 + stride;
    const BYTE* r3 = r2 + stride;
    for (int c = 0; c < 3; ++c) {
      const int sum = r0[c] + r0[c + 3] + r0[c + 6] + r0[c + 9] + r1[c] + r1[c + 3] + r1[c + 6] + r1[c + 9] +
                      r2[c] + r2[c + 3] + r2[c + 6] + r2[c + 9] + r3[c] + r3[c + 3] + r3[c + 6] + r3[c + 9];
      out[c] = static_cast<BYTE>((sum + 8) >> 4);
    }
  }
}
