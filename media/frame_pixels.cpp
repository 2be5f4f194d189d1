#include "media/frame_pixels.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "model/error_codes.h"
#include "platform/codecs/dib_convert.h"

namespace {

// The stored row holding picture row y (0 = top).
const BYTE* PictureRow(const BITMAPINFOHEADER* format, const void* bits, int64_t y) {
  const int64_t height = DibHeight(*format);
  const int64_t stride = DibRowBytes(format->biWidth, format->biBitCount);
  const int64_t stored = format->biHeight > 0 ? height - 1 - y : y;
  return static_cast<const BYTE*>(bits) + stored * stride;
}

BYTE* PictureRow(const BITMAPINFOHEADER* format, void* bits, int64_t y) {
  return const_cast<BYTE*>(PictureRow(format, static_cast<const void*>(bits), y));
}

DWORD ColorsOf(const BITMAPINFOHEADER* format) {
  return format->biBitCount == 8 ? DibColorCount(*format) : 0;
}
const RGBQUAD* TableOf(const BITMAPINFOHEADER* format) {
  return format->biBitCount == 8 ? DibColors(format) : nullptr;
}

// Box-scales source rows into out rows of outWidth triplets; out(row, y)
// gives the place of output row y.
template <class OutRow>
int32_t BoxScale(const BITMAPINFOHEADER* format, const void* bits, int outWidth, int outHeight, OutRow out) {
  const int width = format->biWidth;
  const int64_t height = DibHeight(*format);
  std::vector<BYTE> row;
  std::vector<uint32_t> sums, counts;
  try {
    row.resize((static_cast<std::size_t>(width) + 4) * 3);
    sums.resize(static_cast<std::size_t>(outWidth) * 3);
    counts.resize(static_cast<std::size_t>(outWidth));
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  const RGBQUAD* colors = TableOf(format);
  const DWORD colorCount = ColorsOf(format);
  int64_t next = 0;  // first source row not yet used
  for (int r = 0; r < outHeight; ++r) {
    std::fill(sums.begin(), sums.end(), 0);
    std::fill(counts.begin(), counts.end(), 0);
    int64_t bound = std::min<int64_t>((static_cast<int64_t>(r) + 1) * height / outHeight, height);
    int64_t first = next;
    // When the bound does not move (a picture lower than the output), the
    // output row repeats the nearest source row.
    if (bound <= first) {
      first = std::min<int64_t>(static_cast<int64_t>(r) * height / outHeight, height - 1);
      bound = first + 1;
    }
    for (int64_t y = first; y < bound; ++y) {
      const BYTE* source = PictureRow(format, bits, y);
      if (format->biBitCount != 24) {
        RowToRgb24(format->biBitCount, width, row.data(), source, colors, colorCount);
        source = row.data();
      }
      BinRow(source, width, sums.data(), counts.data(), outWidth);
    }
    next = std::max(next, bound);
    BYTE* o = out(r);
    for (int b = 0; b < outWidth; ++b) {
      uint32_t n = counts[b] != 0 ? counts[b] : 1;
      o[3 * b] = static_cast<BYTE>(sums[3 * b] / n);
      o[3 * b + 1] = static_cast<BYTE>(sums[3 * b + 1] / n);
      o[3 * b + 2] = static_cast<BYTE>(sums[3 * b + 2] / n);
    }
  }
  return kErrOk;
}

}  // namespace

void RowToRgb24(int bitCount, int pixels, BYTE* destination, const BYTE* source, const RGBQUAD* colors,
                DWORD colorCount) {
  switch (bitCount) {
    case 8:
      for (int x = 0; x < pixels; ++x) {
        const BYTE i = source[x];
        if (colors != nullptr && i < colorCount) {
          destination[0] = colors[i].rgbBlue;
          destination[1] = colors[i].rgbGreen;
          destination[2] = colors[i].rgbRed;
        } else {
          destination[0] = destination[1] = destination[2] = 0;
        }
        destination += 3;
      }
      break;
    case 16:
      for (int x = 0; x < pixels; ++x) {
        const unsigned v = source[2 * x] | (source[2 * x + 1] << 8);
        destination[0] = static_cast<BYTE>((v & 31) * 8);
        destination[1] = static_cast<BYTE>((v & 0x3E0) >> 2);
        destination[2] = static_cast<BYTE>((v & 0x7C00) >> 7);
        destination += 3;
      }
      break;
    case 24:
      std::memcpy(destination, source, static_cast<std::size_t>(pixels) * 3);
      break;
    case 32:
      for (int x = 0; x < pixels; ++x) {
        destination[0] = source[4 * x];
        destination[1] = source[4 * x + 1];
        destination[2] = source[4 * x + 2];
        destination += 3;
      }
      break;
    default:
      std::memset(destination, 0, static_cast<std::size_t>(pixels) * 3);
      break;
  }
}

void BinRow(const BYTE* row, int width, uint32_t* sums, uint32_t* counts, int bins) {
  if (width <= 0 || bins <= 0) return;
  for (int b = 0; b < bins; ++b) {
    int start = static_cast<int>(static_cast<int64_t>(b) * width / bins);
    int end = std::min<int>(static_cast<int>((static_cast<int64_t>(b) + 1) * width / bins), width);
    // A picture narrower than the bins gives each bin its nearest pixel.
    if (end <= start) {
      end = std::min(start + 1, width);
      start = end - 1;
    }
    // Local sums: the compiler cannot keep them in registers through the
    // pointers, which may alias the row.
    uint32_t blue = 0, green = 0, red = 0;
    for (const BYTE* p = row + 3 * start; p < row + 3 * end; p += 3) {
      blue += p[0];
      green += p[1];
      red += p[2];
    }
    sums[3 * b] += blue;
    sums[3 * b + 1] += green;
    sums[3 * b + 2] += red;
    counts[b] += static_cast<uint32_t>(end - start);
  }
}

int32_t ScaleTo128x96(BYTE* destination, const BITMAPINFOHEADER* format, const void* bits) {
  if (!codecs::IsConvertibleDepth(format->biBitCount) || format->biWidth <= 0 || format->biHeight == 0)
    return kErrInvalidParameter;
  return BoxScale(format, bits, 128, 96,
                  [&](int r) { return destination + static_cast<std::size_t>(r) * 128 * 3; });
}

int32_t DibTo24(const BITMAPINFOHEADER* source, const void* sourceBits, const BITMAPINFOHEADER* destination,
                void* destinationBits) {
  if (destination->biBitCount != 24 || !codecs::IsConvertibleDepth(source->biBitCount))
    return kErrInvalidParameter;
  if (source->biWidth != destination->biWidth || DibHeight(*source) != DibHeight(*destination))
    return kErrInvalidParameter;
  const int64_t height = DibHeight(*source);
  for (int64_t y = 0; y < height; ++y) {
    RowToRgb24(source->biBitCount, source->biWidth, PictureRow(destination, destinationBits, y),
               PictureRow(source, sourceBits, y), TableOf(source), ColorsOf(source));
  }
  return kErrOk;
}

int32_t ScaleDibTo24(const BITMAPINFOHEADER* source, const void* sourceBits,
                     const BITMAPINFOHEADER* destination, void* destinationBits) {
  if (source->biWidth == destination->biWidth && DibHeight(*source) == DibHeight(*destination))
    return DibTo24(source, sourceBits, destination, destinationBits);
  if (destination->biBitCount != 24 || !codecs::IsConvertibleDepth(source->biBitCount))
    return kErrInvalidParameter;
  if (source->biWidth <= 0 || source->biHeight == 0 || destination->biWidth <= 0 ||
      destination->biHeight == 0)
    return kErrInvalidParameter;
  return BoxScale(source, sourceBits, destination->biWidth, static_cast<int>(DibHeight(*destination)),
                  [&](int r) { return PictureRow(destination, destinationBits, r); });
}

void DecodeRle8(const BITMAPINFOHEADER* format, const BYTE* data, BYTE* destination) {
  codecs::ExpandRle8(data, format->biSizeImage, destination, format->biWidth,
                     static_cast<int>(DibHeight(*format)), DibRowBytes(format->biWidth, 8));
}
