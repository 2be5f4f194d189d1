// The program's bitmap resources: clip placeholders, the kind icons of the
// clip tiles and the track headers, the solo and mute buttons and the logo.
// They are drawn here from a few shapes and a small letter set, in the 16
// colours of the classic system palette.
#pragma once

#include <vector>

#include "platform/core/types.h"

struct StockBitmapArt {
  int width = 0;
  int height = 0;
  std::vector<BYTE> pixels;  // blue, green, red; top row first; width x 3 bytes a row
};

// Draws bitmap resource id; false for an id that is no bitmap resource.
bool DrawStockBitmap(int resourceId, StockBitmapArt* art);
