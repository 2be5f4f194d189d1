// Bitmaps, DIBs and blits.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/gui/gdi_internal.h"
#include "platform/gui/user.h"

namespace {

constexpr std::int64_t kMaxSide = 1 << 16;
constexpr std::int64_t kMaxDibBytes = std::int64_t{1} << 30;

bool IsPlain32(const Surface& s) {
  return s.bpp() == 32 && (s.masks()[0] == 0 || s.masks()[0] == 0xFF0000);
}

// Reads source pixels for a blit, turning monochrome sources into the
// destination's text and background colours and colour sources into
// black and white for monochrome destinations.
struct SourceReader {
  Surface* src = nullptr;
  bool mono_to_color = false;
  bool color_to_mono = false;
  Pixel zero = 0, one = 0xFFFFFF;  // mono_to_color
  Pixel src_back = 0xFFFFFF;       // color_to_mono
  Pixel Read(int x, int y) const {
    if (mono_to_color) return src->GetRaw(x, y) ? one : zero;
    const Pixel p = src->Get(x, y);
    if (color_to_mono) return p == src_back ? 0xFFFFFF : 0;
    return p;
  }
};

SourceReader MakeReader(DeviceContext& dst, Surface* src, const DeviceContext* src_dc) {
  SourceReader r;
  r.src = src;
  const bool dst_mono = dst.surface->bpp() == 1;
  const bool src_mono = src->bpp() == 1;
  if (src_mono && !dst_mono) {
    r.mono_to_color = true;
    r.zero = ResolveColor(dst, dst.st.text_color);
    r.one = ResolveColor(dst, dst.st.bk_color);
  } else if (!src_mono && dst_mono) {
    r.color_to_mono = true;
    r.src_back = src_dc != nullptr ? ColorToPixel(src_dc->st.bk_color) : 0xFFFFFF;
  }
  return r;
}

// The general blit: destination rectangle d (surface coordinates, already
// normalised), each destination pixel mapped to a source pixel by map_x and
// map_y (surface coordinates of the source; -1 when outside it).
template <class MapX, class MapY>
void Blit(DeviceContext& dst, const RECT& d, const SourceReader* reader, std::uint8_t rop, const Ink* pattern,
          MapX map_x, MapY map_y) {
  Surface& ds = *dst.surface;
  const bool need_dest = RopUsesDest(rop);
  const bool fast_copy = rop == 0xCC && reader != nullptr && !reader->mono_to_color &&
                         !reader->color_to_mono && IsPlain32(ds) && IsPlain32(*reader->src);
  // A copy maps every row's columns alike: once, and a run of columns that
  // maps one to one (a blit at the source's size) is copied straight.
  std::vector<int> columns;
  bool straight = false;
  if (fast_copy && d.right > d.left) {
    columns.resize(static_cast<std::size_t>(d.right - d.left));
    for (int x = d.left; x < d.right; ++x) columns[static_cast<std::size_t>(x - d.left)] = map_x(x);
    straight = columns.front() >= 0 && columns.back() - columns.front() == d.right - 1 - d.left;
  }
  for (const RECT& clip : dst.effective.Rects()) {
    const RECT r = RectIntersection(clip, d);
    if (RectEmpty(r)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      const int sy = reader != nullptr ? map_y(y) : 0;
      if (reader != nullptr && sy < 0) continue;
      if (fast_copy) {
        Pixel* out = ds.Row32(y);
        const Pixel* in = reader->src->Row32(sy);
        const int* map = columns.data() - d.left;
        if (straight) {
          const Pixel* from = in + map[r.left] - r.left;
          for (int x = r.left; x < r.right; ++x) out[x] = from[x] & 0xFFFFFF;
          continue;
        }
        for (int x = r.left; x < r.right; ++x) {
          const int sx = map[x];
          if (sx >= 0) out[x] = in[sx] & 0xFFFFFF;
        }
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        Pixel s = 0, p = 0;
        if (reader != nullptr) {
          const int sx = map_x(x);
          if (sx < 0) continue;
          s = reader->Read(sx, sy);
        }
        if (pattern != nullptr && !pattern->At(x, y, &p)) continue;
        const Pixel dv = need_dest ? ds.Get(x, y) : 0;
        ds.Set(x, y, ApplyRop(rop, p, s, dv));
      }
    }
  }
  NoteDrawn(dst, d);
}

// Copies the source when it is the destination surface, so overlapping
// blits read the pixels as they were.
std::shared_ptr<Surface> Snapshot(const std::shared_ptr<Surface>& src, const std::shared_ptr<Surface>& dst) {
  if (src != dst) return src;
  auto copy = Surface::CreateDib(src->width(), src->height(), src->bpp(), false, src->colors(), src->masks());
  for (int y = 0; y < src->height(); ++y) {
    std::memcpy(copy->Row(y), src->Row(y), static_cast<std::size_t>(src->row_bytes()));
  }
  return copy;
}

// Source index for destination offset i of n, over a source span of m
// (sampling at pixel centres), mirrored when asked.
int StretchIndex(int i, int n, int m, bool mirror) {
  const int k =
      static_cast<int>((static_cast<std::int64_t>(2 * i + 1) * m) / (2 * static_cast<std::int64_t>(n)));
  return mirror ? m - 1 - k : k;
}

BOOL StretchCore(DeviceContext& dst, int x, int y, int w, int h, const std::shared_ptr<Surface>& src_surface,
                 const DeviceContext* src_dc, int sx, int sy, int sw, int sh, DWORD rop_code) {
  const std::uint8_t rop = static_cast<std::uint8_t>((rop_code >> 16) & 0xFF);
  if (w == 0 || h == 0) return TRUE;
  // Sizes beyond any surface are refused before they can overflow.
  constexpr int kLimit = 1 << 24;
  if (w < -kLimit || w > kLimit || h < -kLimit || h > kLimit || sw < -kLimit || sw > kLimit || sh < -kLimit ||
      sh > kLimit) {
    return FALSE;
  }
  bool mirror_x = false, mirror_y = false;
  if (w < 0) {
    x += w;
    w = -w;
    mirror_x = !mirror_x;
  }
  if (h < 0) {
    y += h;
    h = -h;
    mirror_y = !mirror_y;
  }
  if (sw < 0) {
    sx += sw;
    sw = -sw;
    mirror_x = !mirror_x;
  }
  if (sh < 0) {
    sy += sh;
    sh = -sh;
    mirror_y = !mirror_y;
  }
  const POINT d0 = ToSurface(dst, x, y);
  const RECT d{d0.x, d0.y, d0.x + w, d0.y + h};
  Ink pattern;
  const bool use_pattern = RopUsesPattern(rop);
  if (use_pattern && !BrushInk(dst, dst.st.brush.get(), rop, &pattern)) {
    // A null brush paints as black.
    pattern.type = Ink::kSolid;
    pattern.color = 0;
  }
  pattern.rop = rop;
  if (!RopUsesSource(rop)) {
    Blit(
        dst, d, nullptr, rop, use_pattern ? &pattern : nullptr, [](int) { return 0; }, [](int) { return 0; });
    return TRUE;
  }
  if (!src_surface || sw == 0 || sh == 0) return FALSE;
  auto src = Snapshot(src_surface, dst.surface);
  const int sw_max = src->width(), sh_max = src->height();
  SourceReader reader = MakeReader(dst, src.get(), src_dc);
  auto map_x = [&](int px) {
    const int v = sx + StretchIndex(px - d.left, w, sw, mirror_x);
    return v >= 0 && v < sw_max ? v : -1;
  };
  auto map_y = [&](int py) {
    const int v = sy + StretchIndex(py - d.top, h, sh, mirror_y);
    return v >= 0 && v < sh_max ? v : -1;
  };
  Blit(dst, d, &reader, rop, use_pattern ? &pattern : nullptr, map_x, map_y);
  return TRUE;
}

struct DibFormat {
  int width = 0;
  int height = 0;
  int bpp = 0;
  bool bottom_up = true;
  std::vector<RGBQUAD> colors;
  DWORD masks[3] = {0, 0, 0};
  std::int64_t image_bytes = 0;
};

// Checks a DIB header and colour table as hostile input. height_override
// (when not 0) replaces the header's height (a band of scan lines).
bool ParseDib(const DeviceContext* dc, const BITMAPINFO* info, UINT usage, bool check_size,
              LONG height_override, DibFormat* out) {
  if (info == nullptr) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096) return false;
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
    return false;
  const LONG signed_height = height_override != 0 ? height_override : h.biHeight;
  const std::int64_t width = h.biWidth;
  const std::int64_t height = signed_height < 0 ? -static_cast<std::int64_t>(signed_height) : signed_height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  const std::int64_t need = Surface::DibRowBytes(width, bpp) * height;
  if (need > kMaxDibBytes) return false;
  if (check_size && height_override == 0 && h.biSizeImage != 0 &&
      static_cast<std::int64_t>(h.biSizeImage) < need) {
    return false;
  }
  const BYTE* table = reinterpret_cast<const BYTE*>(info) + h.biSize;
  if (h.biCompression == BI_BITFIELDS) {
    std::memcpy(out->masks, table, sizeof(out->masks));
    if (out->masks[0] == 0 || out->masks[1] == 0 || out->masks[2] == 0) return false;
  }
  if (bpp <= 8) {
    std::size_t count = std::size_t{1} << bpp;
    if (h.biClrUsed != 0 && h.biClrUsed < count) count = h.biClrUsed;
    out->colors.assign(std::size_t{1} << bpp, RGBQUAD{});
    for (std::size_t i = 0; i < count; ++i) {
      if (usage == DIB_PAL_COLORS) {
        WORD index;
        std::memcpy(&index, table + i * 2, 2);
        const auto& entries =
            dc != nullptr && dc->st.palette ? dc->st.palette->entries : DefaultPaletteEntries();
        const PALETTEENTRY e = index < entries.size() ? entries[index] : PALETTEENTRY{};
        out->colors[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
      } else {
        std::memcpy(&out->colors[i], table + i * 4, 4);
      }
    }
  }
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->bpp = bpp;
  out->bottom_up = signed_height > 0;
  out->image_bytes = need;
  return true;
}

std::shared_ptr<Surface> WrapDib(const DibFormat& f, const void* bits) {
  return Surface::Wrap(f.width, f.height, f.bpp, f.bottom_up, bits, f.colors, f.masks);
}

std::shared_ptr<BitmapObject> GetBitmap(HBITMAP h) {
  return GdiGet<BitmapObject>(reinterpret_cast<HGDIOBJ>(h), GdiKind::kBitmap);
}

HBITMAP AddBitmap(std::shared_ptr<Surface> surface, bool dib, const BITMAPINFOHEADER* header) {
  auto bm = std::make_shared<BitmapObject>();
  bm->surface = std::move(surface);
  bm->dib = dib;
  if (header != nullptr) bm->dib_header = *header;
  return reinterpret_cast<HBITMAP>(GdiAdd(bm));
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, src, srcX, srcY, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
  auto dst = GetDcObject(dest);
  if (!dst) return FALSE;
  const std::uint8_t code = static_cast<std::uint8_t>((rop >> 16) & 0xFF);
  std::shared_ptr<DeviceContext> sdc;
  std::shared_ptr<Surface> ssurf;
  POINT s0{0, 0};
  if (RopUsesSource(code)) {
    sdc = GetDcObject(src);
    if (!sdc) return FALSE;
    PrepareDc(*sdc);
    ssurf = sdc->surface;
    if (!ssurf) return dst->type == DcType::kScreen ? TRUE : FALSE;
    s0 = ToSurface(*sdc, srcX, srcY);
  }
  if (!PrepareDc(*dst)) return TRUE;
  return StretchCore(*dst, x, y, width, height, ssurf, sdc.get(), s0.x, s0.y, srcWidth, srcHeight, rop);
}

int StretchDIBits(HDC handle, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  auto dc = GetDcObject(handle);
  if (!dc) return 0;
  DibFormat dib;
  if (bits == nullptr || !ParseDib(dc.get(), info, usage, true, 0, &dib)) return 0;
  const int lines = std::abs(srcHeight);
  if (!PrepareDc(*dc)) return lines;
  // Bottom-up DIBs count the source rectangle from the bottom row.
  int sy = srcY;
  if (dib.bottom_up) sy = dib.height - srcY - srcHeight;
  StretchCore(*dc, x, y, width, height, WrapDib(dib, bits), nullptr, srcX, sy, srcWidth, srcHeight, rop);
  return lines;
}

int SetDIBitsToDevice(HDC handle, int x, int y, DWORD width, DWORD height, int srcX, int srcY, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) {
  auto dc = GetDcObject(handle);
  if (!dc || info == nullptr || bits == nullptr || width > kMaxSide || height > kMaxSide) return 0;
  const LONG full = info->bmiHeader.biHeight;
  const std::int64_t abs_full = full < 0 ? -static_cast<std::int64_t>(full) : full;
  if (scanLines == 0 || static_cast<std::int64_t>(startScan) + scanLines > abs_full) return 0;
  // The bits hold scan lines startScan .. startScan + scanLines - 1.
  DibFormat dib;
  const LONG band = full < 0 ? -static_cast<LONG>(scanLines) : static_cast<LONG>(scanLines);
  if (!ParseDib(dc.get(), info, usage, true, band, &dib)) return 0;
  if (!PrepareDc(*dc)) return static_cast<int>(scanLines);
  // Source y counts from the bottom scan line of the whole image.
  int sy;
  if (full > 0) {
    sy = static_cast<int>(abs_full) - srcY -
         static_cast<int>(height);  // top row in whole-image top-down terms
    sy -= static_cast<int>(abs_full - startScan - scanLines);
  } else {
    sy = srcY - static_cast<int>(startScan);
  }
  StretchCore(*dc, x, y, static_cast<int>(width), static_cast<int>(height), WrapDib(dib, bits), nullptr, srcX,
              sy, static_cast<int>(width), static_cast<int>(height), SRCCOPY);
  return static_cast<int>(scanLines);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide || planes != 1) return nullptr;
  if (width == 0 || height == 0) {
    width = 1;
    height = 1;
    bitsPerPixel = 1;
  }
  auto s = Surface::Create(width, height, bitsPerPixel == 1 ? 1 : 32);
  if (bits != nullptr) {
    // Device-dependent rows are padded to 16 bits.
    const int row = ((width * (bitsPerPixel == 1 ? 1 : 32) + 15) / 16) * 2;
    if (bitsPerPixel == 1 || bitsPerPixel == 32) {
      for (int y = 0; y < height; ++y) {
        std::memcpy(s->Row(y), static_cast<const BYTE*>(bits) + static_cast<std::ptrdiff_t>(y) * row,
                    static_cast<std::size_t>(std::min(row, s->row_bytes())));
      }
    }
  }
  return AddBitmap(s, false, nullptr);
}

HBITMAP CreateCompatibleBitmap(HDC handle, int width, int height) {
  auto dc = GetDcObject(handle);
  if (!dc || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return CreateBitmap(1, 1, 1, 1, nullptr);
  const bool mono = dc->type == DcType::kMemory && dc->st.bitmap && dc->st.bitmap->surface->bpp() == 1;
  return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

HBITMAP CreateDIBSection(HDC handle, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || section != nullptr) return nullptr;
  auto dc = GetDcObject(handle);
  DibFormat f;
  if (!ParseDib(dc.get(), info, usage, false, 0, &f)) return nullptr;
  auto s = Surface::CreateDib(f.width, f.height, f.bpp, f.bottom_up, f.colors, f.masks);
  BITMAPINFOHEADER header = info->bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biSizeImage = static_cast<DWORD>(s->memory_size());
  if (bits != nullptr) *bits = s->memory();
  return AddBitmap(s, true, &header);
}

int SetDIBits(HDC handle, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  auto bm = GetBitmap(bitmap);
  auto dc = GetDcObject(handle);
  if (!bm || info == nullptr || bits == nullptr) return 0;
  const LONG full = info->bmiHeader.biHeight;
  const std::int64_t abs_full = full < 0 ? -static_cast<std::int64_t>(full) : full;
  if (lines == 0 || static_cast<std::int64_t>(start) + lines > abs_full) return 0;
  DibFormat f;
  const LONG band = full < 0 ? -static_cast<LONG>(lines) : static_cast<LONG>(lines);
  if (!ParseDib(dc.get(), info, usage, false, band, &f)) return 0;
  auto dib = WrapDib(f, bits);
  Surface& out = *bm->surface;
  const int w = std::min(out.width(), f.width);
  for (int j = 0; j < f.height; ++j) {
    // Band row j (top-down) is whole-image scan line: top-down images count
    // from the top, bottom-up ones from the bottom.
    int dy;
    if (full < 0) {
      dy = static_cast<int>(start) + j;
    } else {
      const int scan_from_bottom = static_cast<int>(start + lines - 1) - j;
      dy = static_cast<int>(abs_full) - 1 - scan_from_bottom;
    }
    if (dy < 0 || dy >= out.height()) continue;
    for (int x = 0; x < w; ++x) out.Set(x, dy, dib->Get(x, j));
  }
  return f.height;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (header == nullptr) return nullptr;
  const LONG h = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  HBITMAP bm = CreateBitmap(header->biWidth, h, 1, 32, nullptr);
  if (bm != nullptr && (init & CBM_INIT) && bits != nullptr && info != nullptr) {
    SetDIBits(dc, bm, 0, static_cast<UINT>(h), bits, info, usage);
  }
  return bm;
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT) {
  auto bm = GetBitmap(bitmap);
  if (!bm || info == nullptr) return 0;
  Surface& s = *bm->surface;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (bits == nullptr || h.biBitCount == 0) {
    // Describe the bitmap.
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = s.width();
    h.biHeight = s.height();
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.bpp());
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(Surface::DibRowBytes(s.width(), s.bpp()) * s.height());
    if (s.bpp() <= 8) {
      for (std::size_t i = 0; i < s.colors().size(); ++i) info->bmiColors[i] = s.colors()[i];
    }
    return s.height();
  }
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
  if (h.biWidth != s.width()) return 0;
  const bool top_down = h.biHeight < 0;
  const std::int64_t total = top_down ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
  if (total <= 0 || total > kMaxSide || static_cast<std::int64_t>(start) + lines > total) return 0;
  std::vector<RGBQUAD> colors;
  if (bpp <= 8) {
    colors = s.bpp() <= 8 ? s.colors() : std::vector<RGBQUAD>{};
    if (colors.empty()) {
      for (const PALETTEENTRY& e : DefaultPaletteEntries())
        colors.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
    }
    colors.resize(std::size_t{1} << bpp);
    for (std::size_t i = 0; i < colors.size(); ++i) info->bmiColors[i] = colors[i];
  }
  auto out = Surface::Wrap(
      s.width(), static_cast<int>(lines), bpp, !top_down, bits, colors,
      h.biCompression == BI_BITFIELDS ? reinterpret_cast<const DWORD*>(info->bmiColors) : nullptr);
  for (UINT j = 0; j < lines; ++j) {
    // Scan line start + j (counted from the bottom for bottom-up DIBs).
    const int sy = top_down ? static_cast<int>(start + j) : static_cast<int>(total - 1 - (start + j));
    if (sy < 0 || sy >= s.height()) continue;
    const int oy = top_down ? static_cast<int>(j) : static_cast<int>(lines - 1 - j);
    for (int x = 0; x < s.width(); ++x) out->Set(x, oy, s.Get(x, sy));
  }
  return static_cast<int>(lines);
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits) {
  auto bm = GetBitmap(bitmap);
  if (!bm || bits == nullptr || size <= 0) return 0;
  Surface& s = *bm->surface;
  const int row = ((s.width() * s.bpp() + 15) / 16) * 2;
  LONG done = 0;
  for (int y = 0; y < s.height() && done + row <= size; ++y) {
    std::memcpy(static_cast<BYTE*>(bits) + done, s.Row(y),
                static_cast<std::size_t>(std::min(row, s.row_bytes())));
    done += row;
  }
  return done;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
  auto bm = GetBitmap(bitmap);
  if (!bm || bits == nullptr) return 0;
  Surface& s = *bm->surface;
  const DWORD row = static_cast<DWORD>(((s.width() * s.bpp() + 15) / 16) * 2);
  DWORD done = 0;
  for (int y = 0; y < s.height() && done + row <= size; ++y) {
    std::memcpy(s.Row(y), static_cast<const BYTE*>(bits) + done, std::min<std::size_t>(row, s.row_bytes()));
    done += row;
  }
  return static_cast<LONG>(done);
}

BOOL GdiDrawPixels(HDC dc, int x, int y, int width, int height, const BYTE* pixels, int stride) {
  if (pixels == nullptr || width <= 0 || height <= 0 || stride < width * 4 || stride % 4 != 0) return FALSE;
  if (dc == nullptr) {
    HWND screen = GdiScreenTargetWindow();
    HDC sdc = screen != nullptr ? GetDC(screen) : nullptr;
    if (sdc == nullptr) return FALSE;
    const BOOL drawn = GdiDrawPixels(sdc, x, y, width, height, pixels, stride);
    ReleaseDC(screen, sdc);
    return drawn;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = stride / 4;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return StretchDIBits(dc, x, y, width, height, 0, 0, width, height, pixels, &info, DIB_RGB_COLORS,
                       SRCCOPY) != 0
             ? TRUE
             : FALSE;
}
