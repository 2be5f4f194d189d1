#include "media/thumbnail_device.h"

#include <algorithm>
#include <atomic>

#include "resources/stock_bitmaps.h"

struct MemoryThumbnailDevice::Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> colours;
  std::vector<std::int16_t> indexes;

  Bitmap(int w, int h)
      : width(w),
        height(h),
        colours(static_cast<std::size_t>(w) * h, 0),
        indexes(static_cast<std::size_t>(w) * h, -1) {}
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::size_t At(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }
};

struct MemoryThumbnailDevice::Palette {
  std::vector<PaletteColour> entries;
};

struct MemoryThumbnailDevice::DC {
  Bitmap* selected = nullptr;
  Palette* palette = nullptr;
  int realizations = 0;
  HWND window = nullptr;
  Bitmap initial{1, 1};  // what a new memory DC holds
};

namespace {

MemoryThumbnailDevice& DefaultDevice() {
  static MemoryThumbnailDevice device;
  return device;
}

std::atomic<ThumbnailDevice*> g_device{nullptr};

// A window DC of the memory device draws into a surface of this size.
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

std::uint32_t Rgb(BYTE r, BYTE g, BYTE b) {
  return (static_cast<std::uint32_t>(r) << 16) | (g << 8) | b;
}

}  // namespace

ThumbnailDevice* SetThumbnailDevice(ThumbnailDevice* device) {
  return g_device.exchange(device);
}

ThumbnailDevice& CurrentThumbnailDevice() {
  ThumbnailDevice* d = g_device.load();
  return d != nullptr ? *d : DefaultDevice();
}

MemoryThumbnailDevice::~MemoryThumbnailDevice() = default;

HDC MemoryThumbnailDevice::CreateMemoryDC() {
  DC* dc = new DC;
  dc->selected = &dc->initial;
  ++liveDCs_;
  return reinterpret_cast<HDC>(dc);
}

void MemoryThumbnailDevice::DeleteDC(HDC handle) {
  DC* dc = reinterpret_cast<DC*>(handle);
  if (dc == nullptr) return;
  if (dc->window != nullptr) delete dc->selected;
  delete dc;
  --liveDCs_;
}

HDC MemoryThumbnailDevice::GetDC(HWND window) {
  if (window == nullptr) return nullptr;
  DC* dc = new DC;
  dc->window = window;
  dc->selected = new Bitmap(kWindowWidth, kWindowHeight);
  ++liveDCs_;
  return reinterpret_cast<HDC>(dc);
}

void MemoryThumbnailDevice::ReleaseDC(HWND, HDC dc) {
  DeleteDC(dc);
}

HPALETTE MemoryThumbnailDevice::CreatePalette(const PaletteColour* entries, int count) {
  if (entries == nullptr || count <= 0) return nullptr;
  Palette* p = new Palette;
  p->entries.assign(entries, entries + count);
  ++livePalettes_;
  return reinterpret_cast<HPALETTE>(p);
}

void MemoryThumbnailDevice::DeletePalette(HPALETTE palette) {
  if (palette == nullptr) return;
  delete reinterpret_cast<Palette*>(palette);
  --livePalettes_;
}

HPALETTE MemoryThumbnailDevice::SelectPalette(HDC handle, HPALETTE palette, bool) {
  DC* dc = reinterpret_cast<DC*>(handle);
  if (dc == nullptr) return nullptr;
  Palette* before = dc->palette;
  dc->palette = reinterpret_cast<Palette*>(palette);
  return reinterpret_cast<HPALETTE>(before);
}

void MemoryThumbnailDevice::RealizePalette(HDC handle) {
  if (DC* dc = reinterpret_cast<DC*>(handle)) ++dc->realizations;
}

void MemoryThumbnailDevice::UpdateColors(HDC) {}

HBITMAP MemoryThumbnailDevice::CreateCompatibleBitmap(HDC, int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  ++liveBitmaps_;
  return reinterpret_cast<HBITMAP>(new Bitmap(width, height));
}

HBITMAP MemoryThumbnailDevice::LoadBitmap(int resourceId) {
  StockBitmapArt art;
  if (!DrawStockBitmap(resourceId, &art)) return nullptr;
  Bitmap* b = new Bitmap(art.width, art.height);
  for (int y = 0; y < art.height; ++y)
    for (int x = 0; x < art.width; ++x) {
      const BYTE* p = art.pixels.data() + (static_cast<std::size_t>(y) * art.width + x) * 3;
      b->colours[b->At(x, y)] = Rgb(p[2], p[1], p[0]);
    }
  ++liveBitmaps_;
  return reinterpret_cast<HBITMAP>(b);
}

void MemoryThumbnailDevice::DeleteBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) return;
  delete reinterpret_cast<Bitmap*>(bitmap);
  --liveBitmaps_;
}

SIZE MemoryThumbnailDevice::BitmapSize(HBITMAP handle) {
  SIZE s;
  if (const Bitmap* b = reinterpret_cast<const Bitmap*>(handle)) {
    s.cx = b->width;
    s.cy = b->height;
  }
  return s;
}

HBITMAP MemoryThumbnailDevice::SelectBitmap(HDC handle, HBITMAP bitmap) {
  DC* dc = reinterpret_cast<DC*>(handle);
  if (dc == nullptr || bitmap == nullptr || dc->window != nullptr) return nullptr;
  Bitmap* before = dc->selected;
  dc->selected = reinterpret_cast<Bitmap*>(bitmap);
  return reinterpret_cast<HBITMAP>(before);
}

void MemoryThumbnailDevice::SetDIBits(HDC handle, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                                      const ThumbnailDibHeader* header, UINT usage) {
  DC* dc = reinterpret_cast<DC*>(handle);
  Bitmap* b = reinterpret_cast<Bitmap*>(bitmap);
  if (b == nullptr || bits == nullptr || header == nullptr) return;
  const int width = std::min<int>(header->biWidth, b->width);
  const int bytesPerPixel = header->biBitCount == 8 ? 1 : 3;
  const std::size_t stride =
      (static_cast<std::size_t>(header->biWidth) * bytesPerPixel + 3) & ~std::size_t{3};
  const BYTE* row = static_cast<const BYTE*>(bits);
  for (UINT line = 0; line < lines; ++line, row += stride) {
    const int y = b->height - 1 - static_cast<int>(start + line);
    if (y < 0 || y >= b->height) continue;
    for (int x = 0; x < width; ++x) {
      const std::size_t at = b->At(x, y);
      if (bytesPerPixel == 3) {
        const BYTE* p = row + 3 * static_cast<std::size_t>(x);
        b->colours[at] = Rgb(p[2], p[1], p[0]);
        b->indexes[at] = -1;
        continue;
      }
      int index = row[x];
      if (usage == kDibPalColors) index = header->colourIndexes[index];
      const Palette* pal = dc != nullptr ? dc->palette : nullptr;
      const PaletteColour c = pal != nullptr && index < static_cast<int>(pal->entries.size())
                                  ? pal->entries[static_cast<std::size_t>(index)]
                                  : PaletteColour{};
      b->colours[at] = Rgb(c.red, c.green, c.blue);
      b->indexes[at] = static_cast<std::int16_t>(index);
    }
  }
}

void MemoryThumbnailDevice::BitBlt(HDC destination, int x, int y, int width, int height, HDC source,
                                   int sourceX, int sourceY) {
  DC* d = reinterpret_cast<DC*>(destination);
  DC* s = reinterpret_cast<DC*>(source);
  if (d == nullptr || s == nullptr || d->selected == nullptr || s->selected == nullptr) return;
  Bitmap* to = d->selected;
  const Bitmap* from = s->selected;
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      if (!from->Inside(sourceX + i, sourceY + j) || !to->Inside(x + i, y + j)) continue;
      const std::size_t a = from->At(sourceX + i, sourceY + j), b = to->At(x + i, y + j);
      to->colours[b] = from->colours[a];
      to->indexes[b] = from->indexes[a];
    }
}

std::uint32_t MemoryThumbnailDevice::Pixel(HBITMAP bitmap, int x, int y) const {
  const Bitmap* b = reinterpret_cast<const Bitmap*>(bitmap);
  return b != nullptr && b->Inside(x, y) ? b->colours[b->At(x, y)] : 0;
}

int MemoryThumbnailDevice::PaletteIndex(HBITMAP bitmap, int x, int y) const {
  const Bitmap* b = reinterpret_cast<const Bitmap*>(bitmap);
  return b != nullptr && b->Inside(x, y) ? b->indexes[b->At(x, y)] : -1;
}

HPALETTE MemoryThumbnailDevice::SelectedPalette(HDC dc) const {
  const DC* d = reinterpret_cast<const DC*>(dc);
  return d != nullptr ? reinterpret_cast<HPALETTE>(d->palette) : nullptr;
}

int MemoryThumbnailDevice::Realizations(HDC dc) const {
  const DC* d = reinterpret_cast<const DC*>(dc);
  return d != nullptr ? d->realizations : 0;
}
