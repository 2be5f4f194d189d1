#include "platform/codecs/dib_convert.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace codecs {

void ExpandRle8(const BYTE* data, std::size_t size, BYTE* dst, int width, int height, std::int64_t stride) {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::size_t i = 0;
  auto put = [&](BYTE v) {
    if (x >= 0 && x < width && y >= 0 && y < height) dst[y * stride + x] = v;
    ++x;
  };
  while (i + 1 < size && y < height) {
    BYTE count = data[i];
    BYTE value = data[i + 1];
    i += 2;
    if (count > 0) {
      // A run past the row's end is cut there; x still advances so that the
      // rest of the row stays as the data say.
      std::int64_t n = std::min<std::int64_t>(count, std::max<std::int64_t>(0, width - x));
      if (y >= 0 && x >= 0 && n > 0) std::memset(dst + y * stride + x, value, static_cast<std::size_t>(n));
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of picture
        return;
      case 2:  // delta: right, then down
        if (i + 1 >= size) return;
        x += data[i];
        y += data[i + 1];
        i += 2;
        break;
      default: {  // literal run, padded to an even length
        std::size_t n = value;
        std::size_t avail = std::min(n, size - i);
        for (std::size_t k = 0; k < avail; ++k) put(data[i + k]);
        i += n + (n & 1);
        if (avail < n) return;
        break;
      }
    }
  }
}

std::size_t Rle8Bound(int width, int height) {
  // Never more than two bytes a pixel, an end of line a row, the end mark.
  return (static_cast<std::size_t>(width) * 2 + 2) * static_cast<std::size_t>(height) + 2;
}

std::size_t PackRle8(const BYTE* src, int width, int height, std::int64_t stride, BYTE* out) {
  std::size_t n = 0;
  for (int y = 0; y < height; ++y) {
    const BYTE* row = src + y * stride;
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 2) {
        out[n++] = static_cast<BYTE>(run);
        out[n++] = row[x];
        x += run;
        continue;
      }
      // A stretch of differing bytes, up to where three equal ones begin.
      int count = 0;
      while (x + count < width && count < 255) {
        const int at = x + count;
        if (at + 2 < width && row[at] == row[at + 1] && row[at] == row[at + 2]) break;
        ++count;
      }
      if (count < 3) {
        // Absolute stretches are at least three long; shorter ones go as runs of one.
        for (int k = 0; k < count; ++k) {
          out[n++] = 1;
          out[n++] = row[x + k];
        }
      } else {
        out[n++] = 0;
        out[n++] = static_cast<BYTE>(count);
        std::memcpy(out + n, row + x, static_cast<std::size_t>(count));
        n += static_cast<std::size_t>(count);
        if (count & 1) out[n++] = 0;
      }
      x += count;
    }
    out[n++] = 0;
    out[n++] = y + 1 < height ? 0 : 1;
  }
  if (height <= 0) {
    out[n++] = 0;
    out[n++] = 1;
  }
  return n;
}

bool IsConvertibleDepth(int bitCount) {
  return bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

void RowToBgr(int srcBits, const BYTE* src, int width, const RGBQUAD* colors, DWORD colorCount, BYTE* bgr) {
  switch (srcBits) {
    case 8:
      for (int x = 0; x < width; ++x) {
        BYTE index = src[x];
        if (colors != nullptr && index < colorCount) {
          bgr[0] = colors[index].rgbBlue;
          bgr[1] = colors[index].rgbGreen;
          bgr[2] = colors[index].rgbRed;
        } else {
          bgr[0] = bgr[1] = bgr[2] = 0;
        }
        bgr += 3;
      }
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
        unsigned b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
        // Spread 5 bits over 8 so that white stays white.
        bgr[0] = static_cast<BYTE>((b << 3) | (b >> 2));
        bgr[1] = static_cast<BYTE>((g << 3) | (g >> 2));
        bgr[2] = static_cast<BYTE>((r << 3) | (r >> 2));
        bgr += 3;
      }
      break;
    case 24:
      std::memcpy(bgr, src, static_cast<std::size_t>(width) * 3);
      break;
    case 32:
      for (int x = 0; x < width; ++x) {
        bgr[0] = src[4 * x];
        bgr[1] = src[4 * x + 1];
        bgr[2] = src[4 * x + 2];
        bgr += 3;
      }
      break;
    default:
      std::memset(bgr, 0, static_cast<std::size_t>(width) * 3);
      break;
  }
}

void BgrToRow(const BYTE* bgr, int width, int dstBits, BYTE* dst) {
  switch (dstBits) {
    case 16:
      for (int x = 0; x < width; ++x) {
        unsigned v = ((bgr[2] >> 3) << 10) | ((bgr[1] >> 3) << 5) | (bgr[0] >> 3);
        dst[2 * x] = static_cast<BYTE>(v);
        dst[2 * x + 1] = static_cast<BYTE>(v >> 8);
        bgr += 3;
      }
      break;
    case 24:
      std::memcpy(dst, bgr, static_cast<std::size_t>(width) * 3);
      break;
    case 32:
      for (int x = 0; x < width; ++x) {
        dst[4 * x] = bgr[0];
        dst[4 * x + 1] = bgr[1];
        dst[4 * x + 2] = bgr[2];
        dst[4 * x + 3] = 0;
        bgr += 3;
      }
      break;
    default:
      break;
  }
}

bool ConvertDib(const BITMAPINFOHEADER* src, const void* srcBits, const BITMAPINFOHEADER* dst,
                void* dstBits) {
  if (src->biCompression != BI_RGB || dst->biCompression != BI_RGB) return false;
  if (!IsConvertibleDepth(src->biBitCount)) return false;
  int dstDepth = dst->biBitCount;
  if (dstDepth == 8 ? src->biBitCount != 8 : (dstDepth != 16 && dstDepth != 24 && dstDepth != 32))
    return false;
  if (src->biWidth != dst->biWidth || DibHeight(*src) != DibHeight(*dst) || src->biWidth <= 0) return false;
  const int width = src->biWidth;
  const std::int64_t height = DibHeight(*src);
  const std::int64_t srcStride = DibRowBytes(width, src->biBitCount);
  const std::int64_t dstStride = DibRowBytes(width, dstDepth);
  const bool flip = (src->biHeight < 0) != (dst->biHeight < 0);
  const BYTE* in = static_cast<const BYTE*>(srcBits);
  BYTE* out = static_cast<BYTE*>(dstBits);
  std::vector<BYTE> bgr(static_cast<std::size_t>(width) * 3);
  const RGBQUAD* colors = src->biBitCount == 8 ? DibColors(src) : nullptr;
  const DWORD colorCount = src->biBitCount == 8 ? DibColorCount(*src) : 0;
  for (std::int64_t r = 0; r < height; ++r) {
    const BYTE* s = in + r * srcStride;
    BYTE* d = out + (flip ? height - 1 - r : r) * dstStride;
    if (src->biBitCount == dstDepth) {
      std::memcpy(d, s, static_cast<std::size_t>(dstStride));
    } else {
      RowToBgr(src->biBitCount, s, width, colors, colorCount, bgr.data());
      BgrToRow(bgr.data(), width, dstDepth, d);
    }
  }
  return true;
}

}  // namespace codecs
