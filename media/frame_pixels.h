// Pixel routines of the frame decoder: rows of 8, 16, 24 and 32-bit bitmaps
// to 24-bit, scaling by box averaging, and RLE8 expansion.
#pragma once

#include <cstdint>

#include "platform/codecs/dib.h"

// Converts pixels of one row into blue, green, red triplets. 8 bits go
// through the colour table (indexes at or beyond colorCount give black); 16
// bits are 5-5-5.
void RowToRgb24(int bitCount, int pixels, BYTE* destination, const BYTE* source, const RGBQUAD* colors,
                DWORD colorCount = 256);

// Adds the pixels of a triplet row of width pixels to bins equal parts of
// it: bin b covers source pixels from (b * width) / bins to
// ((b + 1) * width) / bins, and at least one pixel. sums holds 3 per bin
// (blue, green, red), counts 1 per bin.
void BinRow(const BYTE* row, int width, uint32_t* sums, uint32_t* counts, int bins);

// Scales a picture (8, 16, 24 or 32 bits) to 128 × 96 triplets, top row
// first, each the average of the source pixels it covers. 0, 8 for another
// depth, 2 when memory runs out.
int32_t ScaleTo128x96(BYTE* destination, const BITMAPINFOHEADER* format, const void* bits);

// Converts a picture into a 24-bit one of the same size. 0 or 8.
int32_t DibTo24(const BITMAPINFOHEADER* source, const void* sourceBits, const BITMAPINFOHEADER* destination,
                void* destinationBits);

// Scales a picture into a 24-bit one of the destination's size by box
// averaging (equal sizes are converted only). 0, 8 or 2.
int32_t ScaleDibTo24(const BITMAPINFOHEADER* source, const void* sourceBits,
                     const BITMAPINFOHEADER* destination, void* destinationBits);

// Expands BI_RLE8 data of format->biSizeImage bytes into an 8-bit picture of
// the format's size, staying inside it whatever the data.
void DecodeRle8(const BITMAPINFOHEADER* format, const BYTE* data, BYTE* destination);
