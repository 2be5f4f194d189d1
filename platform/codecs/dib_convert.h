// Pixel work shared by the built-in codecs and DrawDib: RLE8 expansion and
// conversion of uncompressed DIB rows between bit depths.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codecs/dib.h"

namespace codecs {

// Expands BI_RLE8 data into an 8-bit picture of width × height whose rows
// are stride bytes apart, the first stored row first (for a bottom-up DIB
// that is the bottom row). Runs, deltas and literals that would leave the
// row or the picture are cut at its bounds; reading stops at the end of the
// data. Pixels the data skip keep their value.
void ExpandRle8(const BYTE* data, std::size_t size, BYTE* dst, int width, int height, std::int64_t stride);

// Packs an 8-bit picture (the first stored row first, rows stride bytes
// apart; a negative stride walks back) into BI_RLE8 data: equal bytes as
// runs, the rest as absolute stretches, every row ended, then the picture.
// out holds at least Rle8Bound(width, height) bytes; returns the bytes used.
std::size_t PackRle8(const BYTE* src, int width, int height, std::int64_t stride, BYTE* out);
std::size_t Rle8Bound(int width, int height);

// True for the uncompressed depths the conversions handle: 8 (with colour
// table), 16 (5-5-5), 24 and 32.
bool IsConvertibleDepth(int bitCount);

// Converts one row of width pixels of depth srcBits into blue, green, red
// triplets. colors/colorCount: the table of an 8-bit row (indexes beyond it
// give black).
void RowToBgr(int srcBits, const BYTE* src, int width, const RGBQUAD* colors, DWORD colorCount, BYTE* bgr);

// Converts blue, green, red triplets into a row of depth dstBits (16, 24 or
// 32; the fourth byte of a 32-bit pixel is 0).
void BgrToRow(const BYTE* bgr, int width, int dstBits, BYTE* dst);

// Converts a whole uncompressed picture. Both headers must describe the same
// width and height (either may be top-down); the destination depth is 16, 24
// or 32, or 8 when the source is 8 bits too (the indexes are copied). False
// when a depth is not handled.
bool ConvertDib(const BITMAPINFOHEADER* src, const void* srcBits, const BITMAPINFOHEADER* dst, void* dstBits);

}  // namespace codecs
