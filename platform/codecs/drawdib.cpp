#include "platform/codecs/drawdib.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codecs/codec_registry.h"
#include "platform/codecs/dib_convert.h"

namespace codecs {
namespace {
std::atomic<DibPresenter> g_presenter{nullptr};
std::atomic<DibScreenTarget> g_screen{nullptr};
}  // namespace

DibPresenter CurrentPresenter() {
  return g_presenter.load();
}

}  // namespace codecs

DibPresenter DrawDibSetPresenter(DibPresenter presenter) {
  return codecs::g_presenter.exchange(presenter);
}

DibScreenTarget DrawDibSetScreenTarget(DibScreenTarget target) {
  return codecs::g_screen.exchange(target);
}

BOOL DrawDibScreen(BOOL open) {
  DibScreenTarget target = codecs::g_screen.load();
  return target != nullptr ? target(open) : FALSE;
}

namespace {

// What a stretch keeps from one picture to the next, so that drawing a
// picture allocates nothing.
struct StretchScratch {
  std::vector<int> columns;      // source column of each output column
  int columnsFor[2] = {-1, -1};  // the source and output widths they are for
  std::vector<BYTE> bgr;         // one converted source row
  std::vector<BYTE> plain;       // an RLE picture expanded
  std::vector<BYTE> plainFormat;
};

// Source row (from its first pixel taken) to 32-bit pixels, output column
// x taking source column columns[x].
void RowToBgra(int bits, const BYTE* row, int dxSrc, const RGBQUAD* colors, DWORD colorCount, BYTE* out,
               int dstWidth, const int* columns, std::vector<BYTE>& bgr) {
  auto* out32 = reinterpret_cast<std::uint32_t*>(out);
  const bool oneToOne = dstWidth == dxSrc;
  if (bits == 32) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(row);
    if (oneToOne) {
      for (int x = 0; x < dstWidth; ++x) out32[x] = in[x] & 0x00FFFFFFu;
    } else if (dstWidth == 2 * dxSrc) {
      // Twice the width: each pixel twice, as the column table says.
      int x = 0;
#if defined(__SSE2__)
      const __m128i mask = _mm_set1_epi32(0x00FFFFFF);
      for (; x + 4 <= dxSrc; x += 4) {
        const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x)), mask);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out32 + 2 * x), _mm_unpacklo_epi32(v, v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out32 + 2 * x + 4), _mm_unpackhi_epi32(v, v));
      }
#endif
      for (; x < dxSrc; ++x) out32[2 * x] = out32[2 * x + 1] = in[x] & 0x00FFFFFFu;
    } else {
      for (int x = 0; x < dstWidth; ++x) out32[x] = in[columns[x]] & 0x00FFFFFFu;
    }
    return;
  }
  const BYTE* bgrRow = row;
  if (bits != 24) {
    codecs::RowToBgr(bits, row, dxSrc, colors, colorCount, bgr.data());
    bgrRow = bgr.data();
  }
  if (oneToOne) {
    for (int x = 0; x < dstWidth; ++x) {
      const BYTE* p = bgrRow + 3 * x;
      out32[x] = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    }
  } else {
    for (int x = 0; x < dstWidth; ++x) {
      const BYTE* p = bgrRow + 3 * columns[x];
      out32[x] = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    }
  }
}

// A 32-bit source row at twice its width into two output rows at once: the
// doubled picture written in one pass, with no row read back to copy it.
void RowTwiceToTwoRows(const BYTE* row, int dxSrc, BYTE* first, BYTE* second) {
  const auto* in = reinterpret_cast<const std::uint32_t*>(row);
  auto* a = reinterpret_cast<std::uint32_t*>(first);
  auto* b = reinterpret_cast<std::uint32_t*>(second);
  int x = 0;
#if defined(__SSE2__)
  const __m128i mask = _mm_set1_epi32(0x00FFFFFF);
  for (; x + 4 <= dxSrc; x += 4) {
    const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x)), mask);
    const __m128i lo = _mm_unpacklo_epi32(v, v), hi = _mm_unpackhi_epi32(v, v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(a + 2 * x), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(a + 2 * x + 4), hi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b + 2 * x), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b + 2 * x + 4), hi);
  }
#endif
  for (; x < dxSrc; ++x) a[2 * x] = a[2 * x + 1] = b[2 * x] = b[2 * x + 1] = in[x] & 0x00FFFFFFu;
}

BOOL StretchToBgra(const BITMAPINFOHEADER* lpbi, const void* bits, int xSrc, int ySrc, int dxSrc, int dySrc,
                   BYTE* dst, int dstWidth, int dstHeight, int dstStride, StretchScratch& scratch) {
  if (lpbi == nullptr || bits == nullptr || dst == nullptr || dstWidth <= 0 || dstHeight <= 0) return FALSE;
  if (!codecs::SaneFormat(lpbi)) return FALSE;
  const BITMAPINFOHEADER* src = lpbi;
  const BYTE* pixels = static_cast<const BYTE*>(bits);
  if (lpbi->biCompression == BI_RLE8 && lpbi->biBitCount == 8 && lpbi->biHeight > 0) {
    // Run-length data are expanded into a plain 8-bit picture first.
    scratch.plain.assign(static_cast<std::size_t>(DibImageBytes(*lpbi)), 0);
    codecs::ExpandRle8(pixels, lpbi->biSizeImage, scratch.plain.data(), lpbi->biWidth, lpbi->biHeight,
                       DibRowBytes(lpbi->biWidth, 8));
    const BYTE* raw = reinterpret_cast<const BYTE*>(lpbi);
    scratch.plainFormat.assign(raw, raw + codecs::FormatBytes(lpbi));
    auto* plain = reinterpret_cast<BITMAPINFOHEADER*>(scratch.plainFormat.data());
    plain->biCompression = BI_RGB;
    src = plain;
    pixels = scratch.plain.data();
  } else if (lpbi->biCompression != BI_RGB || !codecs::IsConvertibleDepth(lpbi->biBitCount)) {
    return FALSE;
  }
  const int width = src->biWidth;
  const std::int64_t height = DibHeight(*src);
  if (xSrc < 0 || ySrc < 0 || dxSrc <= 0 || dySrc <= 0 || std::int64_t{xSrc} + dxSrc > width ||
      std::int64_t{ySrc} + dySrc > height)
    return FALSE;
  const std::int64_t stride = DibRowBytes(width, src->biBitCount);
  const int bytesPerPixel = src->biBitCount / 8;
  const RGBQUAD* colors = src->biBitCount == 8 ? DibColors(src) : nullptr;
  const DWORD colorCount = src->biBitCount == 8 ? DibColorCount(*src) : 0;

  if (scratch.columnsFor[0] != dxSrc || scratch.columnsFor[1] != dstWidth) {
    scratch.columns.resize(static_cast<std::size_t>(dstWidth));
    for (int x = 0; x < dstWidth; ++x)
      scratch.columns[x] = static_cast<int>(std::int64_t{x} * dxSrc / dstWidth);
    scratch.columnsFor[0] = dxSrc;
    scratch.columnsFor[1] = dstWidth;
  }
  if (scratch.bgr.size() < static_cast<std::size_t>(dxSrc) * 3)
    scratch.bgr.resize(static_cast<std::size_t>(dxSrc) * 3);
  std::int64_t lastRow = -1;
  const BYTE* lastOut = nullptr;
  for (int y = 0; y < dstHeight; ++y) {
    const std::int64_t sy = ySrc + std::int64_t{y} * dySrc / dstHeight;
    BYTE* out = dst + std::int64_t{y} * dstStride;
    if (sy == lastRow) {
      // A row drawn again is the row above once more.
      std::memcpy(out, lastOut, static_cast<std::size_t>(dstWidth) * 4);
      continue;
    }
    const std::int64_t memoryRow = src->biHeight > 0 ? height - 1 - sy : sy;
    const BYTE* row = pixels + memoryRow * stride + std::int64_t{xSrc} * bytesPerPixel;
    if (src->biBitCount == 32 && dstWidth == 2 * dxSrc && y + 1 < dstHeight &&
        ySrc + std::int64_t{y + 1} * dySrc / dstHeight == sy) {
      RowTwiceToTwoRows(row, dxSrc, out, out + dstStride);
      lastRow = sy;
      lastOut = out + dstStride;
      ++y;
      continue;
    }
    RowToBgra(src->biBitCount, row, dxSrc, colors, colorCount, out, dstWidth, scratch.columns.data(),
              scratch.bgr);
    lastRow = sy;
    lastOut = out;
  }
  return TRUE;
}

}  // namespace

BOOL DrawDibStretchToBgra(const BITMAPINFOHEADER* lpbi, const void* bits, int xSrc, int ySrc, int dxSrc,
                          int dySrc, BYTE* dst, int dstWidth, int dstHeight, int dstStride) {
  StretchScratch scratch;
  return StretchToBgra(lpbi, bits, xSrc, ySrc, dxSrc, dySrc, dst, dstWidth, dstHeight, dstStride, scratch);
}

struct HDRAWDIB__ {
  std::vector<BYTE> format;  // the pictures' format as given to Begin or Draw
  HIC decompressor = nullptr;
  BITMAPINFOHEADER output;  // the decompressor's output
  std::vector<BYTE> frame;  // the last decompressed picture
  bool haveFrame = false;
  std::vector<BYTE> pixels;  // the picture as drawn, when it is converted or stretched
  StretchScratch scratch;

  const BITMAPINFOHEADER* Format() const { return reinterpret_cast<const BITMAPINFOHEADER*>(format.data()); }

  void Release() {
    if (decompressor != nullptr) {
      ICSendMessage(decompressor, ICM_DECOMPRESS_END, 0, 0);
      ICClose(decompressor);
      decompressor = nullptr;
    }
    format.clear();
    frame.clear();
    haveFrame = false;
  }

  // Takes a new picture format; compressed ones get a decompressor to 32 or
  // 24 bits.
  bool Setup(const BITMAPINFOHEADER* lpbi) {
    Release();
    if (!codecs::SaneFormat(lpbi)) return false;
    const BYTE* raw = reinterpret_cast<const BYTE*>(lpbi);
    format.assign(raw, raw + codecs::FormatBytes(lpbi));
    if (lpbi->biCompression == BI_RGB) return codecs::IsConvertibleDepth(lpbi->biBitCount);
    auto* in = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
    for (WORD bits : {WORD{32}, WORD{24}}) {
      output = codecs::RgbHeader(in->biWidth, static_cast<LONG>(DibHeight(*in)), bits);
      decompressor = ICLocate(ICTYPE_VIDEO, in->biCompression, in, &output, ICMODE_DECOMPRESS);
      if (decompressor != nullptr) break;
    }
    if (decompressor == nullptr) return false;
    if (ICSendMessage(decompressor, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in),
                      reinterpret_cast<DWORD_PTR>(&output)) != ICERR_OK) {
      ICClose(decompressor);
      decompressor = nullptr;
      return false;
    }
    frame.assign(output.biSizeImage, 0);
    return true;
  }

  bool SameFormat(const BITMAPINFOHEADER* lpbi) const {
    if (format.empty() || lpbi->biSize < kBitmapInfoHeaderSize) return false;
    const BITMAPINFOHEADER* f = Format();
    return f->biCompression == lpbi->biCompression && f->biWidth == lpbi->biWidth &&
           f->biHeight == lpbi->biHeight && f->biBitCount == lpbi->biBitCount;
  }
};

HDRAWDIB DrawDibOpen() {
  return new HDRAWDIB__;
}

BOOL DrawDibClose(HDRAWDIB hdd) {
  if (hdd == nullptr) return FALSE;
  hdd->Release();
  delete hdd;
  return TRUE;
}

BOOL DrawDibBegin(HDRAWDIB hdd, HDC, int, int, LPBITMAPINFOHEADER lpbi, int, int, UINT) {
  if (hdd == nullptr || lpbi == nullptr) return FALSE;
  if (hdd->SameFormat(lpbi) && hdd->Format()->biCompression == BI_RGB) return TRUE;
  return hdd->Setup(lpbi) ? TRUE : FALSE;
}

BOOL DrawDibEnd(HDRAWDIB hdd) {
  if (hdd == nullptr) return FALSE;
  hdd->Release();
  return TRUE;
}

BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi,
                 LPVOID lpBits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT wFlags) {
  if (hdd == nullptr) return FALSE;
  if (lpbi == nullptr || (wFlags & DDF_SAME_DRAW)) {
    if (hdd->format.empty()) {
      if (lpbi == nullptr || !hdd->Setup(lpbi)) return FALSE;
    }
  } else if (!hdd->SameFormat(lpbi) && !hdd->Setup(lpbi)) {
    return FALSE;
  }
  const BITMAPINFOHEADER* format = hdd->Format();
  // An uncompressed picture is read with the caller's own header (its colours).
  const BITMAPINFOHEADER* picture = (lpbi != nullptr && hdd->decompressor == nullptr) ? lpbi : format;
  const void* bits = lpBits;
  if (hdd->decompressor != nullptr) {
    if (!(wFlags & DDF_UPDATE) && lpBits != nullptr) {
      auto* in = reinterpret_cast<BITMAPINFOHEADER*>(hdd->format.data());
      in->biSizeImage = lpbi != nullptr ? lpbi->biSizeImage : in->biSizeImage;
      DWORD flags = 0;
      if (wFlags & DDF_HURRYUP) flags |= ICDECOMPRESS_HURRYUP;
      if (wFlags & DDF_NOTKEYFRAME) flags |= ICDECOMPRESS_NOTKEYFRAME;
      if (static_cast<LONG>(
              ICDecompress(hdd->decompressor, flags, in, lpBits, &hdd->output, hdd->frame.data())) < 0)
        return FALSE;
      hdd->haveFrame = true;
    }
    if (!hdd->haveFrame) return FALSE;
    picture = &hdd->output;
    bits = hdd->frame.data();
  } else if (bits == nullptr) {
    return FALSE;
  }
  if (wFlags & (DDF_DONTDRAW | DDF_HURRYUP)) return TRUE;

  const int width = picture->biWidth;
  const int height = static_cast<int>(DibHeight(*picture));
  if (dxSrc < 0) dxSrc = width;
  if (dySrc < 0) dySrc = height;
  if (dxDst < 0) dxDst = dxSrc;
  if (dyDst < 0) dyDst = dySrc;
  if (dxDst == 0 || dyDst == 0) return TRUE;
  DibPresenter presenter = codecs::CurrentPresenter();
  if (presenter == nullptr) return FALSE;
  // A top-down 32-bit picture drawn at its own size goes as it is: whole
  // rows of it, so that the presenter's rows never reach past the picture.
  if (picture->biCompression == BI_RGB && picture->biBitCount == 32 && picture->biHeight < 0 &&
      dxDst == dxSrc && dyDst == dySrc && xSrc == 0 && dxSrc == width && ySrc >= 0 && dySrc > 0 &&
      std::int64_t{xSrc} + dxSrc <= width && std::int64_t{ySrc} + dySrc <= height) {
    const std::int64_t stride = DibRowBytes(width, 32);
    return presenter(hdc, xDst, yDst, dxDst, dyDst, static_cast<const BYTE*>(bits) + ySrc * stride + xSrc * 4,
                     static_cast<int>(stride));
  }
  const std::size_t bytes = static_cast<std::size_t>(dxDst) * static_cast<std::size_t>(dyDst) * 4;
  if (hdd->pixels.size() != bytes) hdd->pixels.assign(bytes, 0);
  if (!StretchToBgra(picture, bits, xSrc, ySrc, dxSrc, dySrc, hdd->pixels.data(), dxDst, dyDst, dxDst * 4,
                     hdd->scratch))
    return FALSE;
  return presenter(hdc, xDst, yDst, dxDst, dyDst, hdd->pixels.data(), dxDst * 4);
}

UINT DrawDibRealize(HDRAWDIB, HDC, BOOL) {
  return 0;
}
BOOL DrawDibStart(HDRAWDIB hdd, DWORD) {
  return hdd != nullptr ? TRUE : FALSE;
}
BOOL DrawDibStop(HDRAWDIB hdd) {
  return hdd != nullptr ? TRUE : FALSE;
}

DWORD DrawDibProfileDisplay(LPBITMAPINFOHEADER) {
  return PD_CAN_DRAW_DIB | PD_CAN_STRETCHDIB | PD_STRETCHDIB_1_1_OK | PD_STRETCHDIB_1_2_OK |
         PD_STRETCHDIB_1_N_OK;
}
