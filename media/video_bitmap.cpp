#include "media/video_bitmap.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "media/palette_dither.h"
#include "media/video_data.h"
#include "platform/core/sync.h"
#include "platform/gui/user.h"
#include "resources/stock_bitmaps.h"

namespace {

constexpr int kStockIds[kStockResourceSlots] = {
    1011, 1012, 1013, 1014, 1027, 1028, 1025, 1026, 1023, 1024, 1021, 1022, 1062, 1061, 1031, 1032,
    1029, 1030, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1033};

// A BITMAPINFOHEADER and the 256 colour indexes behind it, as SetDIBits
// reads them with DIB_PAL_COLORS.
struct SharedDibHeader {
  BITMAPINFOHEADER header;
  WORD indexes[256];
};
static_assert(offsetof(SharedDibHeader, indexes) == sizeof(BITMAPINFOHEADER), "indexes follow the header");

// The shared drawing state, alive while TEBitmapInit is.
struct SharedState {
  HDC dc1 = nullptr;
  HDC dc2 = nullptr;
  bool trueColour = true;
  HPALETTE palette = nullptr;
  HPALETTE windowBefore = nullptr;
  SharedDibHeader dib{};
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

const BITMAPINFO* Info(const SharedDibHeader& d) {
  return reinterpret_cast<const BITMAPINFO*>(&d);
}

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP b;
  SIZE s;
  if (bitmap != nullptr && GetObject(bitmap, sizeof b, &b) != 0) {
    s.cx = b.bmWidth;
    s.cy = b.bmHeight;
  }
  return s;
}

// A bitmap resource: the program's artwork, as a bitmap compatible with dc.
HBITMAP LoadBitmapResource(HDC dc, int id) {
  StockBitmapArt art;
  if (!DrawStockBitmap(id, &art)) return nullptr;
  HDC screen = nullptr;
  if (dc == nullptr) dc = screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, art.width, art.height);
  if (bitmap != nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = art.width;
    info.bmiHeader.biHeight = art.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t stride = static_cast<std::size_t>(art.width) * 3;
    for (int r = 0; r < art.height; ++r)
      SetDIBits(dc, bitmap, static_cast<UINT>(art.height - 1 - r), 1, art.pixels.data() + r * stride, &info,
                DIB_RGB_COLORS);
  }
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return bitmap;
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

TEBitmap::TEBitmap(HDC dc, int resourceId, int kind_) : kind(kind_) {
  bitmap = LoadBitmapResource(dc, resourceId);
  const SIZE s = SizeOf(bitmap);
  width = s.cx;
  height = s.cy;
}

TEBitmap::~TEBitmap() {
  if (bitmap != nullptr) DeleteObject(bitmap);
}

void TEBitmap::Create(HDC dc, int w, int h) {
  if (w <= 0 || h <= 0) return;
  // Without a DC: compatible with the screen (a fresh memory DC would give
  // a monochrome bitmap).
  HDC screen = nullptr;
  if (dc == nullptr) dc = screen = GetDC(nullptr);
  bitmap = CreateCompatibleBitmap(dc, w, h);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  const SIZE s = SizeOf(bitmap);
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
  st.dib.header.biWidth = w;
  st.dib.header.biHeight = height;
  if (st.row.size() < static_cast<std::size_t>(w) * 3) st.row.resize(static_cast<std::size_t>(w) * 3);
  if (st.indexes.size() < static_cast<std::size_t>(w)) st.indexes.resize(static_cast<std::size_t>(w));
  const std::size_t stride = static_cast<std::size_t>(sourceWidth) * 3;
  for (int r = 0; r < h; ++r) {
    const BYTE* row;
    if (factor == 1) {
      row = pixels + static_cast<std::size_t>(r) * stride;
    } else {
      if (factor == 2)
        BoxRow2(pixels, sourceWidth, r, w, st.row.data());
      else
        BoxRow4(pixels, sourceWidth, r, w, st.row.data());
      row = st.row.data();
    }
    if (!st.trueColour) {
      DitherRow(row, w, r, st.indexes.data());
      row = st.indexes.data();
    }
    SetDIBits(st.dc1, bitmap, static_cast<UINT>(height - 1 - r), 1, row, Info(st.dib), DIB_PAL_COLORS);
  }
}

void TEBitmap::Draw(HDC dc, int x, int y) {
  DrawPart(dc, x, y, 0, 0, width, height);
}

void TEBitmap::DrawPart(HDC dc, int x, int y, int sourceX, int sourceY, int w, int h) {
  if (bitmap == nullptr || dc == nullptr || g_state == nullptr) return;
  TEBitmapInit::SelectPaletteInto(dc);
  const HGDIOBJ before = SelectObject(g_state->dc1, bitmap);
  BitBlt(dc, x, y, w, h, g_state->dc1, sourceX, sourceY, SRCCOPY);
  if (before != nullptr) SelectObject(g_state->dc1, before);
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

void TEVideoBitmap::AddRef() {
  InterlockedIncrement(&refCount);
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
  g_kind = 3;
  g_width = 128;
  g_height = 96;
  HDC screen = GetDC(nullptr);
  st->dc1 = CreateCompatibleDC(screen);
  st->dc2 = CreateCompatibleDC(screen);
  st->trueColour = GetDeviceCaps(screen, BITSPIXEL) > 8;
  ReleaseDC(nullptr, screen);
  if (!st->trueColour) {
    PaletteColour colours[kPaletteColours];
    BuildThumbnailPalette(colours);
    std::vector<BYTE> block(sizeof(LOGPALETTE) + kPaletteColours * sizeof(PALETTEENTRY));
    LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = kPaletteColours;
    for (int i = 0; i < kPaletteColours; ++i)
      logical->palPalEntry[i] = PALETTEENTRY{colours[i].red, colours[i].green, colours[i].blue, 0};
    st->palette = CreatePalette(logical);
    SelectPalette(st->dc1, st->palette, FALSE);
    SelectPalette(st->dc2, st->palette, FALSE);
  }
  BITMAPINFOHEADER& h = st->dib.header;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = g_width;
  h.biHeight = g_height;
  h.biPlanes = 1;
  h.biBitCount = st->trueColour ? 24 : 8;
  h.biCompression = BI_RGB;
  h.biSizeImage = 0;
  h.biXPelsPerMeter = 1;
  h.biYPelsPerMeter = 1;
  h.biClrUsed = h.biClrImportant = st->palette != nullptr ? kPaletteColours : 0;
  for (int i = 0; i < 256; ++i) st->dib.indexes[i] = static_cast<WORD>(i);
  st->row.resize(128 * 3);
  st->indexes.resize(128);
  g_state = st;
  owner_ = true;
}

TEBitmapInit::~TEBitmapInit() {
  SharedState* st = g_state;
  if (!owner_ || st == nullptr) return;
  for (TEBitmap*& slot : StockBitmaps) {
    delete slot;
    slot = nullptr;
  }
  DeleteDC(st->dc1);
  DeleteDC(st->dc2);
  if (st->palette != nullptr) DeleteObject(st->palette);
  g_state = nullptr;
  delete st;
}

bool TEBitmapInit::Exists() {
  return g_state != nullptr;
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

const BITMAPINFOHEADER& TEBitmapInit::DibHeader() {
  static const BITMAPINFOHEADER none{};
  return g_state != nullptr ? g_state->dib.header : none;
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
    StockBitmaps[i] = new TEBitmap(nullptr, kStockIds[i], 3);
  }
}

TEBitmap* TEBitmapInit::StockBitmap(int resourceId) {
  for (int i = 0; i < kStockResourceSlots; ++i)
    if (kStockIds[i] == resourceId) return StockBitmaps[i];
  return nullptr;
}

namespace {

// The shared palette selected into a client DC of window and realised,
// then update when asked.
void RealizeIn(HWND window, bool update) {
  if (g_state == nullptr || g_state->trueColour || window == nullptr) return;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  g_state->windowBefore = SelectPalette(dc, g_state->palette, FALSE);
  RealizePalette(dc);
  if (update) UpdateColors(dc);
  ReleaseDC(window, dc);
}

}  // namespace

void TEBitmapInit::RealizePalette(HWND window) {
  RealizeIn(window, false);
}

void TEBitmapInit::RealizePaletteAndUpdate(HWND window) {
  RealizeIn(window, true);
}

void TEBitmapInit::UnrealizePalette(HWND window) {
  if (g_state == nullptr || g_state->trueColour || window == nullptr) return;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  if (g_state->windowBefore != nullptr) SelectPalette(dc, g_state->windowBefore, FALSE);
  ReleaseDC(window, dc);
}

void TEBitmapInit::SelectPaletteInto(HDC dc) {
  if (g_state == nullptr || g_state->trueColour || dc == nullptr) return;
  SelectPalette(dc, g_state->palette, FALSE);
  ::RealizePalette(dc);
}
