// Palettes and the 256-colour display mode.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/gui/gdi_internal.h"

namespace {

const PALETTEENTRY kStatic[20] = {
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0}};

std::atomic<int> g_palette_mode{-1};

struct SystemPalette {
  std::mutex lock;
  PALETTEENTRY entries[256];
  SystemPalette() {
    for (int i = 0; i < 10; ++i) entries[i] = kStatic[i];
    for (int i = 10; i < 246; ++i) entries[i] = PALETTEENTRY{0, 0, 0, 0};
    for (int i = 0; i < 10; ++i) entries[246 + i] = kStatic[10 + i];
  }
};

SystemPalette& TheSystemPalette() {
  static SystemPalette* p = new SystemPalette();
  return *p;
}

Pixel EntryPixel(const PALETTEENTRY& e) {
  return (static_cast<Pixel>(e.peRed) << 16) | (e.peGreen << 8) | e.peBlue;
}

int Nearest(const PALETTEENTRY* entries, int count, Pixel p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  int best = 0;
  long best_d = -1;
  for (int i = 0; i < count; ++i) {
    const long dr = r - entries[i].peRed, dg = g - entries[i].peGreen, db = b - entries[i].peBlue;
    const long d = dr * dr + dg * dg + db * db;
    if (best_d < 0 || d < best_d) {
      best_d = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

std::shared_ptr<PaletteObject> GetPal(HPALETTE h) {
  return GdiGet<PaletteObject>(reinterpret_cast<HGDIOBJ>(h), GdiKind::kPalette);
}

}  // namespace

const std::vector<PALETTEENTRY>& DefaultPaletteEntries() {
  static const std::vector<PALETTEENTRY> entries(kStatic, kStatic + 20);
  return entries;
}

void SetPaletteDisplayMode(bool on) {
  // A display that changes into the palette mode starts with only the static
  // colours in its system palette, whatever an earlier session realised.
  if (g_palette_mode.exchange(on ? 1 : 0) != 1 && on) {
    SystemPalette& sp = TheSystemPalette();
    std::lock_guard<std::mutex> hold(sp.lock);
    const SystemPalette fresh;
    std::memcpy(sp.entries, fresh.entries, sizeof sp.entries);
  }
}

bool IsPaletteDisplayMode() {
  int v = g_palette_mode.load();
  if (v < 0) {
    const char* env = std::getenv("KOBRIX_PALETTE");
    v = env != nullptr && std::strcmp(env, "1") == 0 ? 1 : 0;
    g_palette_mode.store(v);
  }
  return v == 1;
}

Pixel SystemPaletteNearest(Pixel p) {
  SystemPalette& sp = TheSystemPalette();
  std::lock_guard<std::mutex> hold(sp.lock);
  return EntryPixel(sp.entries[Nearest(sp.entries, 256, p)]);
}

Pixel ResolveColor(const DeviceContext& dc, COLORREF color) {
  const bool pal_screen = dc.screen && IsPaletteDisplayMode();
  const std::uint32_t kind = color >> 24;
  Pixel p;
  if (kind == 1) {
    const auto& entries = dc.st.palette ? dc.st.palette->entries : DefaultPaletteEntries();
    const std::size_t i = color & 0xFFFF;
    p = i < entries.size() ? EntryPixel(entries[i])
                           : EntryPixel(entries.empty() ? PALETTEENTRY{} : entries[0]);
  } else {
    p = ColorToPixel(color & 0xFFFFFF);
    if (kind == 2 && pal_screen && dc.st.palette && !dc.st.palette->entries.empty()) {
      const auto& e = dc.st.palette->entries;
      p = EntryPixel(e[Nearest(e.data(), static_cast<int>(e.size()), p)]);
    } else if (kind == 0 && pal_screen) {
      // Plain colours show as the nearest static colour on a palette display.
      return EntryPixel(kStatic[Nearest(kStatic, 20, p)]);
    }
  }
  return pal_screen ? SystemPaletteNearest(p) : p;
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (palette == nullptr || palette->palNumEntries == 0 || palette->palNumEntries > 1024) return nullptr;
  auto p = std::make_shared<PaletteObject>();
  p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return reinterpret_cast<HPALETTE>(GdiAdd(p));
}

HPALETTE SelectPalette(HDC handle, HPALETTE palette, BOOL) {
  auto dc = GetDcObject(handle);
  auto p = GetPal(palette);
  if (!dc || !p) return nullptr;
  HGDIOBJ old = dc->st.palette_handle;
  dc->st.palette = p;
  dc->st.palette_handle = reinterpret_cast<HGDIOBJ>(palette);
  return reinterpret_cast<HPALETTE>(old);
}

UINT RealizePalette(HDC handle) {
  auto dc = GetDcObject(handle);
  if (!dc) return GDI_ERROR;
  if (!IsPaletteDisplayMode() || !dc->screen || !dc->st.palette) return 0;
  if (dc->st.palette_handle == GetStockObject(DEFAULT_PALETTE)) return 0;
  // The foreground palette takes the free slots 10..245; entries matching a
  // static colour use it instead.
  SystemPalette& sp = TheSystemPalette();
  bool changed = false;
  UINT placed = 0;
  {
    std::lock_guard<std::mutex> hold(sp.lock);
    int slot = 10;
    for (const PALETTEENTRY& e : dc->st.palette->entries) {
      bool is_static = false;
      for (const PALETTEENTRY& s : kStatic) {
        if (s.peRed == e.peRed && s.peGreen == e.peGreen && s.peBlue == e.peBlue) is_static = true;
      }
      if (is_static || slot >= 246) continue;
      PALETTEENTRY& dst = sp.entries[slot++];
      if (dst.peRed != e.peRed || dst.peGreen != e.peGreen || dst.peBlue != e.peBlue) {
        dst = PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, 0};
        changed = true;
      }
      ++placed;
    }
  }
  if (changed) BroadcastPaletteChanged(dc->hwnd);
  return changed ? placed : 0;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  auto p = GetPal(palette);
  if (!p) return 0;
  const UINT size = static_cast<UINT>(p->entries.size());
  if (entries == nullptr) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy(p->entries.begin() + start, p->entries.begin() + start + n, entries);
  return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries) {
  auto p = GetPal(palette);
  if (!p || entries == nullptr) return 0;
  const UINT size = static_cast<UINT>(p->entries.size());
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy(entries, entries + n, p->entries.begin() + start);
  return n;
}

UINT GetSystemPaletteEntries(HDC, UINT start, UINT count, PALETTEENTRY* entries) {
  if (!IsPaletteDisplayMode()) return 0;
  if (entries == nullptr) return 256;
  if (start >= 256) return 0;
  SystemPalette& sp = TheSystemPalette();
  std::lock_guard<std::mutex> hold(sp.lock);
  const UINT n = std::min<UINT>(count, 256 - start);
  std::copy(sp.entries + start, sp.entries + start + n, entries);
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color) {
  auto p = GetPal(palette);
  if (!p || p->entries.empty()) return CLR_INVALID;
  return static_cast<UINT>(
      Nearest(p->entries.data(), static_cast<int>(p->entries.size()), ColorToPixel(color)));
}

COLORREF GetNearestColor(HDC handle, COLORREF color) {
  auto dc = GetDcObject(handle);
  if (!dc) return CLR_INVALID;
  return PixelToColor(ResolveColor(*dc, color));
}

BOOL UpdateColors(HDC) {
  return TRUE;
}
