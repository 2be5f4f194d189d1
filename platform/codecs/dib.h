// Device-independent bitmaps: the header, the colour table and the sizes
// derived from them. Header-only, so that the drawing layer can share the
// types without linking the codecs.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/core/types.h"

struct BITMAPINFOHEADER {
  DWORD biSize = 0;
  LONG biWidth = 0;
  LONG biHeight = 0;  // positive: rows stored bottom-up; negative: top-down
  WORD biPlanes = 0;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is a 40-byte record in memory blocks");

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4);

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;
using LPBITMAPINFO = BITMAPINFO*;

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

constexpr DWORD kBitmapInfoHeaderSize = 40;

// The largest pictures handled: 16384 pixels a side and 64 M pixels, far
// beyond any video, so that a damaged header cannot ask for gigabytes.
constexpr LONG kMaxDibSide = 16384;
constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 26;

// Little-endian field access for records read from or written to files.
namespace codecs {
inline WORD GetLe16(const BYTE* p) {
  return static_cast<WORD>(p[0] | (p[1] << 8));
}
inline DWORD GetLe32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
inline void PutLe16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
inline void PutLe32(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
  p[2] = static_cast<BYTE>(v >> 16);
  p[3] = static_cast<BYTE>(v >> 24);
}
}  // namespace codecs

// The 40 bytes of a header as stored in a file.
inline void ReadBitmapInfoHeader(const BYTE* p, BITMAPINFOHEADER* bi) {
  using namespace codecs;
  bi->biSize = GetLe32(p + 0);
  bi->biWidth = static_cast<LONG>(GetLe32(p + 4));
  bi->biHeight = static_cast<LONG>(GetLe32(p + 8));
  bi->biPlanes = GetLe16(p + 12);
  bi->biBitCount = GetLe16(p + 14);
  bi->biCompression = GetLe32(p + 16);
  bi->biSizeImage = GetLe32(p + 20);
  bi->biXPelsPerMeter = static_cast<LONG>(GetLe32(p + 24));
  bi->biYPelsPerMeter = static_cast<LONG>(GetLe32(p + 28));
  bi->biClrUsed = GetLe32(p + 32);
  bi->biClrImportant = GetLe32(p + 36);
}

inline void WriteBitmapInfoHeader(const BITMAPINFOHEADER& bi, BYTE* p) {
  using namespace codecs;
  PutLe32(p + 0, bi.biSize);
  PutLe32(p + 4, static_cast<DWORD>(bi.biWidth));
  PutLe32(p + 8, static_cast<DWORD>(bi.biHeight));
  PutLe16(p + 12, bi.biPlanes);
  PutLe16(p + 14, bi.biBitCount);
  PutLe32(p + 16, bi.biCompression);
  PutLe32(p + 20, bi.biSizeImage);
  PutLe32(p + 24, static_cast<DWORD>(bi.biXPelsPerMeter));
  PutLe32(p + 28, static_cast<DWORD>(bi.biYPelsPerMeter));
  PutLe32(p + 32, bi.biClrUsed);
  PutLe32(p + 36, bi.biClrImportant);
}

// Bytes in one stored row: rows are padded to a multiple of 4 bytes.
inline std::int64_t DibRowBytes(std::int64_t width, int bitCount) {
  if (width < 0) width = -width;
  return ((width * bitCount + 31) / 32) * 4;
}

inline std::int64_t DibHeight(const BITMAPINFOHEADER& bi) {
  return bi.biHeight < 0 ? -static_cast<std::int64_t>(bi.biHeight) : bi.biHeight;
}

// Bytes of an uncompressed picture of this header's size and depth.
inline std::int64_t DibImageBytes(const BITMAPINFOHEADER& bi) {
  return DibRowBytes(bi.biWidth, bi.biBitCount) * DibHeight(bi);
}

// Planar YUV 4:2:0 as MPEG video codes it (Y 16..235, Cb and Cr 16..240):
// a Y plane of width × height bytes, then Cb and Cr planes of (width + 1) / 2
// × (height + 1) / 2 bytes each, rows unpadded, the top row first. Decoders
// give it for pictures that go to a video encoder unseen.
constexpr DWORD kFourccI420 = mmioFOURCC('I', '4', '2', '0');

inline std::int64_t I420Bytes(std::int64_t width, std::int64_t height) {
  return width * height + 2 * ((width + 1) / 2) * ((height + 1) / 2);
}

// The header of an I420 picture of width × height (a positive height).
inline BITMAPINFOHEADER I420Header(LONG width, LONG height) {
  BITMAPINFOHEADER bi{};
  bi.biSize = 40;
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = 12;
  bi.biCompression = kFourccI420;
  bi.biSizeImage = static_cast<DWORD>(I420Bytes(width, height));
  return bi;
}

inline bool IsI420(const BITMAPINFOHEADER& bi) {
  return bi.biCompression == kFourccI420 && bi.biWidth > 0 && bi.biHeight != 0;
}

// Entries of the colour table that follows the header (biSize bytes in).
inline DWORD DibColorCount(const BITMAPINFOHEADER& bi) {
  if (bi.biBitCount <= 8) {
    DWORD full = 1u << bi.biBitCount;
    if (bi.biClrUsed == 0 || bi.biClrUsed > full) return full;
    return bi.biClrUsed;
  }
  if (bi.biCompression == BI_BITFIELDS) return 3;
  return bi.biClrUsed > 256 ? 256 : bi.biClrUsed;
}

inline const RGBQUAD* DibColors(const BITMAPINFOHEADER* bi) {
  return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(bi) + bi->biSize);
}
inline RGBQUAD* DibColors(BITMAPINFOHEADER* bi) {
  return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(bi) + bi->biSize);
}
