#include "media/video_bitmap.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "media/palette_dither.h"
#include "media/video_data.h"
#include "platform/core/sync.h"

namespace {

constexpr int kStockIds[kStockResourceSlots] = {
    1011, 1012, 1013, 1014, 1027, 1028, 1025, 1026, 1023, 1024, 1021, 1022, 1062, 1061, 1031, 1032,
    1029, 1030, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1033};

// The shared drawing state, alive while TEBitmapInit is.
struct SharedState {
  ThumbnailDevice* device = nullptr;
  HDC dc1 = nullptr;
  HDC dc2 = nullptr;
  bool trueColour = true;
  HPALETTE palette = nullptr;
  HPALETTE before1 = nullptr;
  HPALETTE before2 = nullptr;
  HPALETTE windowBefore = nullptr;
  ThumbnailDibHeader header;
  BYTE dither[64] = {};
  std::vector<BYTE> row;      // one output row, 3 bytes a pixel
  std::vector<BYTE> indexes;  // one dithered row
  BYTE frame[kThumbnailFrameBytes] = {};
  bool stockLoaded = false;
};

SharedState* g_state = nullptr;
int g_kind = 3, g_width = 128, g_height = 96;
TEVideoBitmap* g_head = nullptr;

VideoBitmapHooks g_defaultHooks;
std::atomic<VideoBitmapHooks*> g_hooks{nullptr};

ThumbnailDevice& DeviceNow() {
  return g_state != nullptr ? *g_state->device : CurrentThumbnailDevice();
}

}  // namespace

TEBitmap* TEBitmapInit::StockBitmaps[kStockBitmapSlots] = {};

// ---------------------------------------------------------------- TEBitmap

TEBitmap::TEBitmap(HDC dc, const BYTE* pixels, int kind_, int w, int h) : kind(kind_) {
  if (w <= 0 || h <= 0) return;
  const bool halved = kind == 4;
  Create(dc, halved ? w / 2 : w, halved ? h / 2 : h);
  Upload(pixels, w, h);
}

TEBitmap::TEBitmap(HDC dc, int scale, const BYTE* pixels, int w, int h) {
  if (scale < 0 || scale > 2 || w <= 0 || h <= 0) return;
  kind = 3 + scale;
  Create(dc, w >> scale, h >> scale);
  Upload(pixels, w, h);
}

TEBitmap::TEBitmap(HDC, int resourceId, int kind_) : kind(kind_) {
  ThumbnailDevice& device = DeviceNow();
  bitmap = device.LoadBitmap(resourceId);
  if (bitmap == nullptr) return;
  const SIZE s = device.BitmapSize(bitmap);
  width = s.cx;
  height = s.cy;
}

TEBitmap::~TEBitmap() {
  if (bitmap != nullptr) DeviceNow().DeleteBitmap(bitmap);
}

void TEBitmap::Create(HDC dc, int w, int h) {
  if (w <= 0 || h <= 0) return;
  ThumbnailDevice& device = DeviceNow();
  bitmap = device.CreateCompatibleBitmap(dc != nullptr ? dc : TEBitmapInit::MemoryDC(), w, h);
  if (bitmap == nullptr) return;
  const SIZE s = device.BitmapSize(bitmap);
  width = s.cx;
  height = s.cy;
}

void TEBitmap::Upload(const BYTE* pixels, int sourceWidth, int sourceHeight) {
  if (bitmap == nullptr || pixels == nullptr || g_state == nullptr) return;
  SharedState& st = *g_state;
  // Only rows and columns the source really has.
  const int factor = kind == 4 ? 2 : kind == 5 ? 4 : 1;
  const int w = std::min(width, sourceWidth / factor);
  const int h = std::min(height, sourceHeight / factor);
  if (w <= 0 || h <= 0) return;
  st.header.biWidth = width;
  st.header.biHeight = height;
  if (st.row.size() < static_cast<std::size_t>(width) * 3) st.row.resize(static_cast<std::size_t>(width) * 3);
  if (st.indexes.size() < static_cast<std::size_t>(width) + 4)
    st.indexes.resize(static_cast<std::size_t>(width) + 4);
  const std::size_t stride = static_cast<std::size_t>(sourceWidth) * 3;
  for (int r = 0; r < h; ++r) {
    const BYTE* row;
    if (factor == 1) {
      row = pixels + static_cast<std::size_t>(r) * stride;
      if (w < width) {
        std::memcpy(st.row.data(), row, static_cast<std::size_t>(w) * 3);
        row = st.row.data();
      }
    } else {
      if (factor == 2)
        BoxRow2(pixels, sourceWidth, r, w, st.row.data());
      else
        BoxRow4(pixels, sourceWidth, r, w, st.row.data());
      row = st.row.data();
    }
    const UINT scanLine = static_cast<UINT>(height - 1 - r);
    if (st.trueColour) {
      st.device->SetDIBits(st.dc1, bitmap, scanLine, 1, row, &st.header, kDibPalColors);
    } else {
      DitherRow(row, w, r, st.indexes.data(), st.dither);
      st.device->SetDIBits(st.dc1, bitmap, scanLine, 1, st.indexes.data(), &st.header, kDibPalColors);
    }
  }
}

void TEBitmap::Draw(HDC dc, int x, int y) {
  DrawPart(dc, x, y, 0, 0, width, height);
}

void TEBitmap::DrawPart(HDC dc, int x, int y, int sourceX, int sourceY, int w, int h) {
  if (bitmap == nullptr || dc == nullptr || g_state == nullptr) return;
  SharedState& st = *g_state;
  TEBitmapInit::SelectPaletteInto(dc);
  const HBITMAP before = st.device->SelectBitmap(st.dc1, bitmap);
  st.device->BitBlt(dc, x, y, w, h, st.dc1, sourceX, sourceY);
  if (before != nullptr) st.device->SelectBitmap(st.dc1, before);
}

// ----------------------------------------------------------- TEVideoBitmap

TEVideoBitmap::TEVideoBitmap(HDC dc, int scale_, const BYTE* pixels, VideoData* source_, LONG a_, LONG b_)
    : TEBitmap(dc, scale_, pixels, kThumbnailFrameWidth, kThumbnailFrameHeight),
      refCount(1),
      scale(scale_),
      source(source_),
      a(a_),
      b(b_) {}

TEVideoBitmap* TEVideoBitmap::Head() {
  return g_head;
}

TEVideoBitmap* TEVideoBitmap::Find(VideoData* s, LONG ka, LONG kb, int sc) {
  for (TEVideoBitmap* t = g_head; t != nullptr; t = t->next)
    if (t->source == s && t->a == ka && t->b == kb && t->scale == sc) {
      InterlockedIncrement(&t->refCount);
      return t;
    }
  return nullptr;
}

TEVideoBitmap* TEVideoBitmap::Get(HDC dc, int sc, VideoData* s, LONG ka, LONG kb, const BYTE* pixels) {
  if (s == nullptr || sc < 0 || sc > 2) return nullptr;
  if (TEVideoBitmap* found = Find(s, ka, kb, sc)) return found;
  TEVideoBitmap* made = new TEVideoBitmap(dc, sc, pixels, s, ka, kb);
  made->next = g_head;
  if (g_head != nullptr) g_head->prev = made;
  g_head = made;
  return made;
}

TEVideoBitmap* TEVideoBitmap::GetFromSource(HDC dc, int sc, VideoData* s, LONG ka, LONG kb) {
  if (s == nullptr || sc < 0 || sc > 2) return nullptr;
  if (TEVideoBitmap* found = Find(s, ka, kb, sc)) return found;
  BYTE* frame = TEBitmapInit::FrameBuffer();
  std::vector<BYTE> local;
  if (frame == nullptr) {
    local.assign(kThumbnailFrameBytes, 0);
    frame = local.data();
  }
  std::memset(frame, 0, kThumbnailFrameBytes);
  // A source that fails may have written part of the frame: black it is.
  if (!CurrentVideoBitmapHooks().RenderThumbnail(s, frame, ka)) std::memset(frame, 0, kThumbnailFrameBytes);
  return Get(dc, sc, s, ka, kb, frame);
}

void TEVideoBitmap::Unlink() {
  if (prev != nullptr) prev->next = next;
  if (next != nullptr) next->prev = prev;
  if (g_head == this) g_head = next;
  next = prev = nullptr;
}

void TEVideoBitmap::Release() {
  if (InterlockedDecrement(&refCount) != 0) return;
  Unlink();
  delete this;
}

void TEVideoBitmap::DropSource(VideoData* s) {
  if (s == nullptr) return;
  CurrentVideoBitmapHooks().ReleaseHoldersOf(s);
  for (TEVideoBitmap* t = g_head; t != nullptr; t = t->next)
    if (t->source == s) t->source = nullptr;
}

void TEVideoBitmap::SetThumbnailMode(int viewMode) {
  if (viewMode == 1 || viewMode == 3)
    TEBitmapInit::SetThumbnailKind(3, 128, 96);
  else
    TEBitmapInit::SetThumbnailKind(4, 64, 48);
}

static_assert(kThumbnailFrameBytes == kThumbnailBytes, "one thumbnail frame size");

bool VideoBitmapHooks::RenderThumbnail(VideoData* source, BYTE* pixels, LONG ms) {
  return source != nullptr && source->GetThumbnail(pixels, ms) == 0;
}

void VideoBitmapHooks::ReleaseHoldersOf(VideoData*) {}

VideoBitmapHooks* SetVideoBitmapHooks(VideoBitmapHooks* hooks) {
  return g_hooks.exchange(hooks);
}

VideoBitmapHooks& CurrentVideoBitmapHooks() {
  VideoBitmapHooks* h = g_hooks.load();
  return h != nullptr ? *h : g_defaultHooks;
}

// ------------------------------------------------------------ TEBitmapInit

TEBitmapInit::TEBitmapInit() {
  if (g_state != nullptr) return;  // one instance for the program
  SharedState* st = new SharedState;
  st->device = &CurrentThumbnailDevice();
  g_kind = 3;
  g_width = 128;
  g_height = 96;
  st->dc1 = st->device->CreateMemoryDC();
  st->dc2 = st->device->CreateMemoryDC();
  st->trueColour = st->device->ScreenBitsPerPixel() > 8;
  if (!st->trueColour) {
    PaletteColour entries[kPaletteColours];
    BuildThumbnailPalette(entries);
    st->palette = st->device->CreatePalette(entries, kPaletteColours);
    st->before1 = st->device->SelectPalette(st->dc1, st->palette, false);
    st->before2 = st->device->SelectPalette(st->dc2, st->palette, false);
    BuildDitherTable(st->dither);
  }
  ThumbnailDibHeader& h = st->header;
  h.biSize = 40;
  h.biWidth = g_width;
  h.biHeight = g_height;
  h.biPlanes = 1;
  h.biBitCount = st->trueColour ? 24 : 8;
  h.biCompression = 0;
  h.biSizeImage = 0;
  h.biXPelsPerMeter = 1;
  h.biYPelsPerMeter = 1;
  h.biClrUsed = h.biClrImportant = st->palette != nullptr ? kPaletteColours : 0;
  for (int i = 0; i < 256; ++i) h.colourIndexes[i] = static_cast<WORD>(i);
  st->row.resize(128 * 3);
  st->indexes.resize(128 + 4);
  g_state = st;
}

TEBitmapInit::~TEBitmapInit() {
  SharedState* st = g_state;
  if (st == nullptr) return;
  for (TEBitmap*& slot : StockBitmaps) {
    delete slot;
    slot = nullptr;
  }
  if (st->palette != nullptr) {
    st->device->SelectPalette(st->dc1, st->before1, false);
    st->device->SelectPalette(st->dc2, st->before2, false);
  }
  st->device->DeleteDC(st->dc1);
  st->device->DeleteDC(st->dc2);
  if (st->palette != nullptr) st->device->DeletePalette(st->palette);
  g_state = nullptr;
  delete st;
}

bool TEBitmapInit::Exists() {
  return g_state != nullptr;
}
ThumbnailDevice& TEBitmapInit::Device() {
  return DeviceNow();
}
HDC TEBitmapInit::MemoryDC() {
  return g_state != nullptr ? g_state->dc1 : nullptr;
}
HDC TEBitmapInit::SecondDC() {
  return g_state != nullptr ? g_state->dc2 : nullptr;
}
bool TEBitmapInit::TrueColour() {
  return g_state == nullptr || g_state->trueColour;
}
HPALETTE TEBitmapInit::Palette() {
  return g_state != nullptr ? g_state->palette : nullptr;
}

const ThumbnailDibHeader& TEBitmapInit::DibHeader() {
  static const ThumbnailDibHeader none;
  return g_state != nullptr ? g_state->header : none;
}

BYTE* TEBitmapInit::FrameBuffer() {
  return g_state != nullptr ? g_state->frame : nullptr;
}

int TEBitmapInit::ThumbnailKind() {
  return g_kind;
}
int TEBitmapInit::ThumbnailWidth() {
  return g_width;
}
int TEBitmapInit::ThumbnailHeight() {
  return g_height;
}

void TEBitmapInit::SetThumbnailKind(int kind, int width, int height) {
  g_kind = kind;
  g_width = width;
  g_height = height;
}

void TEBitmapInit::LoadStockBitmaps(HINSTANCE) {
  if (g_state == nullptr || g_state->stockLoaded) return;
  g_state->stockLoaded = true;
  for (int i = 0; i < kStockResourceSlots; ++i) {
    delete StockBitmaps[i];
    StockBitmaps[i] = new TEBitmap(g_state->dc1, kStockIds[i], 3);
  }
}

void TEBitmapInit::RealizePalette(HWND window) {
  if (g_state == nullptr || g_state->trueColour || window == nullptr) return;
  ThumbnailDevice& d = *g_state->device;
  HDC dc = d.GetDC(window);
  if (dc == nullptr) return;
  g_state->windowBefore = d.SelectPalette(dc, g_state->palette, false);
  d.RealizePalette(dc);
  d.ReleaseDC(window, dc);
}

void TEBitmapInit::RealizePaletteAndUpdate(HWND window) {
  if (g_state == nullptr || g_state->trueColour || window == nullptr) return;
  ThumbnailDevice& d = *g_state->device;
  HDC dc = d.GetDC(window);
  if (dc == nullptr) return;
  g_state->windowBefore = d.SelectPalette(dc, g_state->palette, false);
  d.RealizePalette(dc);
  d.UpdateColors(dc);
  d.ReleaseDC(window, dc);
}

void TEBitmapInit::UnrealizePalette(HWND window) {
  if (g_state == nullptr || g_state->trueColour || window == nullptr) return;
  ThumbnailDevice& d = *g_state->device;
  HDC dc = d.GetDC(window);
  if (dc == nullptr) return;
  d.SelectPalette(dc, g_state->windowBefore, false);
  d.ReleaseDC(window, dc);
}

void TEBitmapInit::SelectPaletteInto(HDC dc) {
  if (g_state == nullptr || g_state->trueColour || dc == nullptr) return;
  g_state->device->SelectPalette(dc, g_state->palette, false);
  g_state->device->RealizePalette(dc);
}
