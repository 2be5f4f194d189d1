#include <gtest/gtest.h>

#include <vector>

#include "media/palette_dither.h"

namespace {

using Bytes = std::vector<BYTE>;

TEST(ThumbnailPalette, EntriesAreTheSixLevelCube) {
  PaletteColour entries[kPaletteColours];
  BuildThumbnailPalette(entries);
  EXPECT_EQ(entries[0].red + entries[0].green + entries[0].blue, 0);
  const PaletteColour& e = entries[2 * 36 + 4 * 6 + 5];
  EXPECT_EQ(e.red, 102);
  EXPECT_EQ(e.green, 204);
  EXPECT_EQ(e.blue, 255);
  EXPECT_EQ(e.flags, 0);
  EXPECT_EQ(entries[215].red, 255);
}

TEST(ThumbnailPalette, DitherTableIsTheScaledBayerMatrix) {
  const BYTE* t = DitherTable();
  EXPECT_EQ(t[0], 50);         // 63
  EXPECT_EQ(t[1], 25);         // 31: (31 * 51 + 32) >> 6
  EXPECT_EQ(t[7 * 8], 0);      // 0
  EXPECT_EQ(t[3 * 8 + 4], 1);  // 1
  for (int i = 0; i < 64; ++i) EXPECT_LE(t[i], 50);
}

TEST(ThumbnailPalette, WhiteBlackAndPaletteColoursMapToThemselvesAtEveryThreshold) {
  PaletteColour entries[kPaletteColours];
  BuildThumbnailPalette(entries);
  for (int index = 0; index < kPaletteColours; ++index) {
    Bytes row;
    for (int x = 0; x < 8; ++x)
      row.insert(row.end(), {entries[index].blue, entries[index].green, entries[index].red});
    for (int y = 0; y < 8; ++y) {
      Bytes out(8);
      DitherRow(row.data(), 8, y, out.data());
      ASSERT_EQ(out, Bytes(8, static_cast<BYTE>(index))) << index << " row " << y;
    }
  }
}

TEST(ThumbnailPalette, DitherKeepsTheMeanOfAnInBetweenColour) {
  // Grey 25 lies half-way between levels 0 and 51.
  const Bytes grey(3 * 8, 25);
  int sum = 0;
  for (int y = 0; y < 8; ++y) {
    Bytes out(8);
    DitherRow(grey.data(), 8, y, out.data());
    for (BYTE v : out) {
      ASSERT_TRUE(v == 0 || v == 43) << int(v);
      sum += v == 43 ? 51 : 0;
    }
  }
  EXPECT_NEAR(sum / 64.0, 25.0, 1.0);
}

TEST(BoxFilters, MeansRoundHalfUp) {
  // A 4 x 4 picture: 2 x 2 blocks of one channel's values below.
  const int v[4][4] = {{0, 0, 0, 0}, {0, 2, 1, 1}, {8, 8, 3, 4}, {8, 7, 4, 4}};
  Bytes pic;
  for (auto& row : v)
    for (int x : row) pic.insert(pic.end(), {static_cast<BYTE>(x), static_cast<BYTE>(255 - x), 7});
  Bytes half(6);
  BoxRow2(pic.data(), 4, 0, 2, half.data());
  EXPECT_EQ(half, (Bytes{1, 255, 7, 1, 255, 7}));  // (2 + 2) >> 2; green (1018 + 2) >> 2
  BoxRow2(pic.data(), 4, 1, 2, half.data());
  EXPECT_EQ(half, (Bytes{8, 247, 7, 4, 251, 7}));  // (31 + 2) >> 2, (15 + 2) >> 2
  Bytes quarter(3);
  BoxRow4(pic.data(), 4, 0, 1, quarter.data());
  EXPECT_EQ(quarter, (Bytes{3, 252, 7}));  // (50 + 8) >> 4
}

}  // namespace
