// The thumbnails' pixel arithmetic: the fixed 216-colour palette, the 8 x 8
// ordered dither onto it, and the 2 x 2 and 4 x 4 box filters that halve and
// quarter a picture. Pixels are 3 bytes (blue, green, red), rows top-down,
// packed without padding.
#pragma once

#include "platform/core/types.h"

constexpr int kPaletteColours = 216;

// One palette colour, in the order of a logical palette's entries.
struct PaletteColour {
  BYTE red = 0;
  BYTE green = 0;
  BYTE blue = 0;
  BYTE flags = 0;
};

// Entry red x 36 + green x 6 + blue holds (red, green, blue) x 51.
void BuildThumbnailPalette(PaletteColour* entries);

// 8 rows of 8 thresholds from 0 to 50: the 8 x 8 Bayer matrix, rows in
// reverse order, scaled by 51 / 64. Built once, read by every dithering.
const BYTE* DitherTable();

// Palette indexes of one output row y (counted from the top) of width
// pixels.
void DitherRow(const BYTE* bgr, int width, int y, BYTE* indexes);

// Output row y of a picture halved (2 x 2 means) or quartered (4 x 4 means)
// from source rows of sourceWidth pixels; outWidth pixels are written, each
// reading only its own block.
void BoxRow2(const BYTE* source, int sourceWidth, int y, int outWidth, BYTE* out);
void BoxRow4(const BYTE* source, int sourceWidth, int y, int outWidth, BYTE* out);
