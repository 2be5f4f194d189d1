// The about box's animation: five pictures of 100 x 128 pixels, a reel
// turning over a running film strip and a moving sound wave.
#pragma once

#include "resources/stock_bitmaps.h"

// Draws picture index (0..4); false for another index.
bool DrawAboutPicture(int index, StockBitmapArt* art);
