// Object handles, stock objects, device context state and regions.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/gui/gdi_internal.h"
#include "platform/gui/user.h"

namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<GdiObject>> objects;
  std::uintptr_t next = 0x40000;
};

Table& TheTable() {
  static Table* table = new Table();
  return *table;
}

HGDIOBJ g_stock[18] = {};
std::once_flag g_stock_once;

LOGFONT MakeLogFont(int height, int weight, const char* face, BYTE pitch) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfPitchAndFamily = pitch;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

HGDIOBJ AddStock(std::shared_ptr<GdiObject> o) {
  o->stock = true;
  return GdiAdd(std::move(o));
}

void CreateStockObjects() {
  auto brush = [](COLORREF c, UINT style) {
    auto b = std::make_shared<BrushObject>();
    b->log.lbStyle = style;
    b->log.lbColor = c;
    return AddStock(b);
  };
  auto pen = [](COLORREF c, UINT style) {
    auto p = std::make_shared<PenObject>();
    p->log.lopnStyle = style;
    p->log.lopnColor = c;
    p->log.lopnWidth.x = 1;
    return AddStock(p);
  };
  auto font = [](const LOGFONT& lf) {
    auto f = std::make_shared<FontObject>();
    f->log = lf;
    return AddStock(f);
  };
  g_stock[WHITE_BRUSH] = brush(RGB(255, 255, 255), BS_SOLID);
  g_stock[LTGRAY_BRUSH] = brush(RGB(192, 192, 192), BS_SOLID);
  g_stock[GRAY_BRUSH] = brush(RGB(128, 128, 128), BS_SOLID);
  g_stock[DKGRAY_BRUSH] = brush(RGB(64, 64, 64), BS_SOLID);
  g_stock[BLACK_BRUSH] = brush(RGB(0, 0, 0), BS_SOLID);
  g_stock[NULL_BRUSH] = brush(0, BS_NULL);
  g_stock[WHITE_PEN] = pen(RGB(255, 255, 255), PS_SOLID);
  g_stock[BLACK_PEN] = pen(RGB(0, 0, 0), PS_SOLID);
  g_stock[NULL_PEN] = pen(0, PS_NULL);
  g_stock[OEM_FIXED_FONT] = font(MakeLogFont(12, FW_NORMAL, "Terminal", FIXED_PITCH | FF_MODERN));
  g_stock[ANSI_FIXED_FONT] = font(MakeLogFont(13, FW_NORMAL, "Courier", FIXED_PITCH | FF_MODERN));
  g_stock[ANSI_VAR_FONT] = font(MakeLogFont(-11, FW_NORMAL, "MS Sans Serif", VARIABLE_PITCH | FF_SWISS));
  g_stock[SYSTEM_FONT] = font(MakeLogFont(16, FW_BOLD, "System", VARIABLE_PITCH | FF_SWISS));
  g_stock[DEVICE_DEFAULT_FONT] = font(MakeLogFont(16, FW_BOLD, "System", VARIABLE_PITCH | FF_SWISS));
  g_stock[SYSTEM_FIXED_FONT] = font(MakeLogFont(15, FW_NORMAL, "Fixedsys", FIXED_PITCH | FF_MODERN));
  g_stock[DEFAULT_GUI_FONT] = font(MakeLogFont(-11, FW_NORMAL, "MS Sans Serif", VARIABLE_PITCH | FF_SWISS));
  auto pal = std::make_shared<PaletteObject>();
  pal->entries = DefaultPaletteEntries();
  g_stock[DEFAULT_PALETTE] = AddStock(pal);
}

// The 1 x 1 monochrome bitmap every new memory DC starts with; it may be
// selected into any number of them.
std::pair<std::shared_ptr<BitmapObject>, HGDIOBJ> StockBitmap() {
  static std::pair<std::shared_ptr<BitmapObject>, HGDIOBJ> bm = [] {
    auto b = std::make_shared<BitmapObject>();
    b->surface = Surface::Create(1, 1, 1);
    b->stock = true;
    HGDIOBJ h = GdiAdd(b);
    return std::make_pair(b, h);
  }();
  return bm;
}

void InitState(DcState& st) {
  st.pen = GdiGet<PenObject>(GetStockObject(BLACK_PEN), GdiKind::kPen);
  st.pen_handle = GetStockObject(BLACK_PEN);
  st.brush = GdiGet<BrushObject>(GetStockObject(WHITE_BRUSH), GdiKind::kBrush);
  st.brush_handle = GetStockObject(WHITE_BRUSH);
  st.font = GdiGet<FontObject>(GetStockObject(SYSTEM_FONT), GdiKind::kFont);
  st.font_handle = GetStockObject(SYSTEM_FONT);
  st.palette = GdiGet<PaletteObject>(GetStockObject(DEFAULT_PALETTE), GdiKind::kPalette);
  st.palette_handle = GetStockObject(DEFAULT_PALETTE);
}

void Dirty(DeviceContext& dc) {
  dc.effective_dirty = true;
}

POINT ToDevice(const DeviceContext& dc, int x, int y) {
  return POINT{x - dc.st.window_org.x + dc.st.viewport_org.x, y - dc.st.window_org.y + dc.st.viewport_org.y};
}
RECT ToDeviceRect(const DeviceContext& dc, int l, int t, int r, int b) {
  const POINT a = ToDevice(dc, l, t);
  const POINT c = ToDevice(dc, r, b);
  return RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}

// The region a DC may draw in, in device units (for GetClipBox and friends).
Region DeviceClip(DeviceContext& dc) {
  Region r;
  if (!PrepareDc(dc)) return r;
  r = dc.effective;
  r.Offset(-dc.origin.x, -dc.origin.y);
  return r;
}

void SelectBitmapInto(DeviceContext& dc, std::shared_ptr<BitmapObject> bm, HGDIOBJ handle) {
  if (dc.st.bitmap) dc.st.bitmap->selected.fetch_sub(1);
  dc.st.bitmap = std::move(bm);
  dc.st.bitmap_handle = handle;
  if (dc.st.bitmap) dc.st.bitmap->selected.fetch_add(1);
  Dirty(dc);
}

}  // namespace

// ---- Handles ----

HGDIOBJ GdiAdd(std::shared_ptr<GdiObject> object) {
  Table& t = TheTable();
  std::lock_guard<std::mutex> hold(t.lock);
  const std::uintptr_t h = t.next;
  t.next += 4;
  t.objects.emplace(h, std::move(object));
  return reinterpret_cast<HGDIOBJ>(h);
}

std::shared_ptr<GdiObject> GdiFind(HGDIOBJ handle) {
  if (handle == nullptr) return nullptr;
  Table& t = TheTable();
  std::lock_guard<std::mutex> hold(t.lock);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool GdiRemove(HGDIOBJ handle) {
  Table& t = TheTable();
  std::shared_ptr<GdiObject> doomed;
  std::lock_guard<std::mutex> hold(t.lock);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  if (it->second->stock) return true;
  doomed = std::move(it->second);
  t.objects.erase(it);
  return true;
}

std::shared_ptr<DeviceContext> GetDcObject(HDC dc) {
  return GdiGet<DeviceContext>(reinterpret_cast<HGDIOBJ>(dc), GdiKind::kDC);
}

std::shared_ptr<const RealFont> FontObject::Real() {
  if (!real_) real_ = RealizeFont(log);
  return real_;
}

HGDIOBJ GetStockObject(int index) {
  std::call_once(g_stock_once, CreateStockObjects);
  if (index < 0 || index >= 18) return nullptr;
  return g_stock[index];
}

BOOL DeleteObject(HGDIOBJ object) {
  auto o = GdiFind(object);
  if (!o || o->kind == GdiKind::kDC) return FALSE;
  return GdiRemove(object) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ object) {
  auto o = GdiFind(object);
  if (!o) return 0;
  switch (o->kind) {
    case GdiKind::kPen:
      return OBJ_PEN;
    case GdiKind::kBrush:
      return OBJ_BRUSH;
    case GdiKind::kFont:
      return OBJ_FONT;
    case GdiKind::kBitmap:
      return OBJ_BITMAP;
    case GdiKind::kPalette:
      return OBJ_PAL;
    case GdiKind::kRegion:
      return OBJ_REGION;
    case GdiKind::kDC:
      return static_cast<DeviceContext*>(o.get())->type == DcType::kMemory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

int GetObject(HGDIOBJ object, int size, LPVOID buffer) {
  auto o = GdiFind(object);
  if (!o || size < 0) return 0;
  auto copy_out = [&](const void* src, int n) {
    if (buffer == nullptr) return n;
    const int m = std::min(n, size);
    std::memcpy(buffer, src, static_cast<std::size_t>(m));
    return m;
  };
  switch (o->kind) {
    case GdiKind::kPen:
      return copy_out(&static_cast<PenObject*>(o.get())->log, sizeof(LOGPEN));
    case GdiKind::kBrush:
      return copy_out(&static_cast<BrushObject*>(o.get())->log, sizeof(LOGBRUSH));
    case GdiKind::kFont:
      return copy_out(&static_cast<FontObject*>(o.get())->log, sizeof(LOGFONT));
    case GdiKind::kPalette: {
      const WORD n = static_cast<WORD>(static_cast<PaletteObject*>(o.get())->entries.size());
      return copy_out(&n, sizeof(WORD));
    }
    case GdiKind::kBitmap: {
      auto* bm = static_cast<BitmapObject*>(o.get());
      DIBSECTION ds;
      ds.dsBm.bmWidth = bm->surface->width();
      ds.dsBm.bmHeight = bm->surface->height();
      ds.dsBm.bmWidthBytes = bm->surface->row_bytes();
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = static_cast<WORD>(bm->surface->bpp());
      ds.dsBm.bmBits = bm->dib ? bm->surface->memory() : nullptr;
      if (bm->dib && size >= static_cast<int>(sizeof(DIBSECTION))) {
        ds.dsBmih = bm->dib_header;
        for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = bm->surface->masks()[i];
        return copy_out(&ds, sizeof(DIBSECTION));
      }
      return copy_out(&ds.dsBm, sizeof(BITMAP));
    }
    default:
      return 0;
  }
}

BOOL GdiFlush() {
  return TRUE;
}

// ---- Device contexts ----

HDC CreateCompatibleDC(HDC) {
  auto dc = std::make_shared<DeviceContext>();
  dc->type = DcType::kMemory;
  InitState(dc->st);
  SelectBitmapInto(*dc, StockBitmap().first, StockBitmap().second);
  return reinterpret_cast<HDC>(GdiAdd(dc));
}

BOOL DeleteDC(HDC handle) {
  auto dc = GetDcObject(handle);
  if (!dc) return FALSE;
  if (dc->type != DcType::kMemory) return FALSE;
  SelectBitmapInto(*dc, nullptr, nullptr);
  for (DcState& s : dc->saved) {
    if (s.bitmap) s.bitmap->selected.fetch_sub(1);
  }
  dc->saved.clear();
  GdiRemove(reinterpret_cast<HGDIOBJ>(handle));
  return TRUE;
}

// Window DCs are made by the window layer through this.
HDC CreateWindowDc(HWND hwnd, bool whole_window) {
  auto dc = std::make_shared<DeviceContext>();
  dc->type = hwnd == nullptr ? DcType::kScreen : DcType::kWindow;
  dc->hwnd = hwnd;
  dc->whole_window = whole_window;
  dc->screen = true;
  InitState(dc->st);
  return reinterpret_cast<HDC>(GdiAdd(dc));
}

void DestroyDcHandle(HDC dc) {
  GdiRemove(reinterpret_cast<HGDIOBJ>(dc));
}

bool PrepareDc(DeviceContext& dc) {
  if (dc.type == DcType::kWindow) {
    const std::uint64_t gen = WindowLayoutGeneration();
    if (gen != dc.generation) {
      WindowTarget t;
      if (!ResolveWindowTarget(dc.hwnd, dc.whole_window, &t)) {
        dc.surface.reset();
        dc.visible.Clear();
      } else {
        dc.surface = t.surface;
        dc.origin = t.origin;
        dc.visible = std::move(t.visible);
        dc.screen = t.screen;
        dc.drawn = t.drawn;
      }
      dc.generation = gen;
      dc.effective_dirty = true;
    }
  } else if (dc.type == DcType::kMemory) {
    if (dc.effective_dirty) {
      dc.surface = dc.st.bitmap ? dc.st.bitmap->surface : nullptr;
      dc.origin = POINT{0, 0};
      dc.visible.Clear();
      if (dc.surface) dc.visible.Set(RECT{0, 0, dc.surface->width(), dc.surface->height()});
      dc.screen = false;
    }
  } else {
    return false;
  }
  if (dc.effective_dirty) {
    dc.effective = dc.visible;
    if (dc.paint) dc.effective.Intersect(dc.paint_region);
    if (dc.st.has_clip) {
      Region c = dc.st.clip;
      c.Offset(dc.origin.x, dc.origin.y);
      dc.effective.Intersect(c);
    }
    dc.effective_dirty = false;
  }
  return dc.surface != nullptr && !dc.effective.Empty();
}

RECT ToSurfaceRect(const DeviceContext& dc, const RECT& r) {
  const POINT a = ToSurface(dc, r.left, r.top);
  const POINT b = ToSurface(dc, r.right, r.bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void NoteDrawn(DeviceContext& dc, const RECT&) {
  if (dc.drawn) dc.drawn->store(true, std::memory_order_relaxed);
}

int SaveDC(HDC handle) {
  auto dc = GetDcObject(handle);
  if (!dc) return 0;
  dc->saved.push_back(dc->st);
  if (dc->st.bitmap) dc->st.bitmap->selected.fetch_add(1);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int saved) {
  auto dc = GetDcObject(handle);
  if (!dc) return FALSE;
  const int n = static_cast<int>(dc->saved.size());
  const int level = saved < 0 ? n + saved + 1 : saved;
  if (level < 1 || level > n) return FALSE;
  // Drop the states above the one restored.
  while (static_cast<int>(dc->saved.size()) > level) {
    if (dc->saved.back().bitmap) dc->saved.back().bitmap->selected.fetch_sub(1);
    dc->saved.pop_back();
  }
  if (dc->st.bitmap) dc->st.bitmap->selected.fetch_sub(1);
  dc->st = std::move(dc->saved.back());
  dc->saved.pop_back();
  dc->effective_dirty = true;
  return TRUE;
}

int GetDeviceCaps(HDC, int index) {
  const bool pal = IsPaletteDisplayMode();
  switch (index) {
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZRES:
      return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES:
      return GetSystemMetrics(SM_CYSCREEN);
    case HORZSIZE:
      return GetSystemMetrics(SM_CXSCREEN) * 254 / 960;
    case VERTSIZE:
      return GetSystemMetrics(SM_CYSCREEN) * 254 / 960;
    case BITSPIXEL:
      return pal ? 8 : 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return pal ? 20 : -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB | (pal ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case SIZEPALETTE:
      return pal ? 256 : 0;
    case NUMRESERVED:
      return pal ? 20 : 0;
    case COLORRES:
      return 24;
  }
  return 0;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  auto dc = GetDcObject(handle);
  auto o = GdiFind(object);
  if (!dc || !o) return nullptr;
  HGDIOBJ old = nullptr;
  switch (o->kind) {
    case GdiKind::kPen:
      old = dc->st.pen_handle;
      dc->st.pen = std::static_pointer_cast<PenObject>(o);
      dc->st.pen_handle = object;
      return old;
    case GdiKind::kBrush:
      old = dc->st.brush_handle;
      dc->st.brush = std::static_pointer_cast<BrushObject>(o);
      dc->st.brush_handle = object;
      return old;
    case GdiKind::kFont:
      old = dc->st.font_handle;
      dc->st.font = std::static_pointer_cast<FontObject>(o);
      dc->st.font_handle = object;
      return old;
    case GdiKind::kBitmap: {
      if (dc->type != DcType::kMemory) return nullptr;
      auto bm = std::static_pointer_cast<BitmapObject>(o);
      // A bitmap can be selected into one memory DC at a time.
      if (bm != dc->st.bitmap && !bm->stock && bm->selected.load() > 0) return nullptr;
      old = dc->st.bitmap_handle;
      SelectBitmapInto(*dc, bm, object);
      return old;
    }
    case GdiKind::kRegion: {
      const int r = SelectClipRgn(handle, reinterpret_cast<HRGN>(object));
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(r));
    }
    default:
      return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) {
  auto dc = GetDcObject(handle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->st.pen_handle;
    case OBJ_BRUSH:
      return dc->st.brush_handle;
    case OBJ_FONT:
      return dc->st.font_handle;
    case OBJ_PAL:
      return dc->st.palette_handle;
    case OBJ_BITMAP:
      return dc->st.bitmap_handle;
  }
  return nullptr;
}

#define DC_OR(fail)              \
  auto dc = GetDcObject(handle); \
  if (!dc) return fail

COLORREF SetTextColor(HDC handle, COLORREF c) {
  DC_OR(CLR_INVALID);
  std::swap(dc->st.text_color, c);
  return c;
}
COLORREF GetTextColor(HDC handle) {
  DC_OR(CLR_INVALID);
  return dc->st.text_color;
}
COLORREF SetBkColor(HDC handle, COLORREF c) {
  DC_OR(CLR_INVALID);
  std::swap(dc->st.bk_color, c);
  return c;
}
COLORREF GetBkColor(HDC handle) {
  DC_OR(CLR_INVALID);
  return dc->st.bk_color;
}
int SetBkMode(HDC handle, int mode) {
  DC_OR(0);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  std::swap(dc->st.bk_mode, mode);
  return mode;
}
int GetBkMode(HDC handle) {
  DC_OR(0);
  return dc->st.bk_mode;
}
int SetROP2(HDC handle, int mode) {
  DC_OR(0);
  if (mode < R2_BLACK || mode > R2_WHITE) return 0;
  std::swap(dc->st.rop2, mode);
  return mode;
}
int GetROP2(HDC handle) {
  DC_OR(0);
  return dc->st.rop2;
}
UINT SetTextAlign(HDC handle, UINT align) {
  DC_OR(GDI_ERROR);
  std::swap(dc->st.text_align, align);
  return align;
}
UINT GetTextAlign(HDC handle) {
  DC_OR(GDI_ERROR);
  return dc->st.text_align;
}
int SetStretchBltMode(HDC handle, int mode) {
  DC_OR(0);
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  std::swap(dc->st.stretch_mode, mode);
  return mode;
}
int GetStretchBltMode(HDC handle) {
  DC_OR(0);
  return dc->st.stretch_mode;
}
int SetPolyFillMode(HDC handle, int mode) {
  DC_OR(0);
  if (mode != ALTERNATE && mode != WINDING) return 0;
  std::swap(dc->st.fill_mode, mode);
  return mode;
}
int GetPolyFillMode(HDC handle) {
  DC_OR(0);
  return dc->st.fill_mode;
}
int SetMapMode(HDC handle, int mode) {
  DC_OR(0);
  // Only the pixel mapping exists here.
  return mode == MM_TEXT ? MM_TEXT : 0;
}
int GetMapMode(HDC handle) {
  DC_OR(0);
  return MM_TEXT;
}

namespace {
BOOL SetOrigin(HDC handle, POINT DcState::*field, int x, int y, bool offset, LPPOINT old) {
  auto dc = GetDcObject(handle);
  if (!dc) return FALSE;
  POINT& p = dc->st.*field;
  if (old != nullptr) *old = p;
  if (offset) {
    p.x += x;
    p.y += y;
  } else {
    p = POINT{x, y};
  }
  return TRUE;
}
}  // namespace

BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT old) {
  return SetOrigin(dc, &DcState::brush_org, x, y, false, old);
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old) {
  return SetOrigin(dc, &DcState::viewport_org, x, y, false, old);
}
BOOL OffsetViewportOrgEx(HDC dc, int x, int y, LPPOINT old) {
  return SetOrigin(dc, &DcState::viewport_org, x, y, true, old);
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old) {
  return SetOrigin(dc, &DcState::window_org, x, y, false, old);
}
BOOL OffsetWindowOrgEx(HDC dc, int x, int y, LPPOINT old) {
  return SetOrigin(dc, &DcState::window_org, x, y, true, old);
}
BOOL GetViewportOrgEx(HDC handle, LPPOINT p) {
  DC_OR(FALSE);
  if (p) *p = dc->st.viewport_org;
  return TRUE;
}
BOOL GetWindowOrgEx(HDC handle, LPPOINT p) {
  DC_OR(FALSE);
  if (p) *p = dc->st.window_org;
  return TRUE;
}
BOOL LPtoDP(HDC handle, LPPOINT points, int count) {
  DC_OR(FALSE);
  for (int i = 0; i < count; ++i) points[i] = ToDevice(*dc, points[i].x, points[i].y);
  return TRUE;
}
BOOL DPtoLP(HDC handle, LPPOINT points, int count) {
  DC_OR(FALSE);
  for (int i = 0; i < count; ++i) {
    points[i].x += dc->st.window_org.x - dc->st.viewport_org.x;
    points[i].y += dc->st.window_org.y - dc->st.viewport_org.y;
  }
  return TRUE;
}
BOOL GetCurrentPositionEx(HDC handle, LPPOINT p) {
  DC_OR(FALSE);
  if (p) *p = dc->st.pos;
  return TRUE;
}

// ---- Objects ----

HPEN CreatePen(int style, int width, COLORREF color) {
  LOGPEN lp;
  lp.lopnStyle = static_cast<UINT>(style);
  lp.lopnWidth.x = width;
  lp.lopnColor = color;
  return CreatePenIndirect(&lp);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (pen == nullptr || (pen->lopnStyle & PS_STYLE_MASK) > PS_INSIDEFRAME) return nullptr;
  auto p = std::make_shared<PenObject>();
  p->log = *pen;
  // Styled pens are one pixel wide.
  const UINT style = pen->lopnStyle & PS_STYLE_MASK;
  if (p->log.lopnWidth.x < 1 || (style >= PS_DASH && style <= PS_DASHDOTDOT)) p->log.lopnWidth.x = 1;
  return reinterpret_cast<HPEN>(GdiAdd(p));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (brush == nullptr) return nullptr;
  auto b = std::make_shared<BrushObject>();
  b->log = *brush;
  if (brush->lbStyle == BS_PATTERN) {
    auto bm = GdiGet<BitmapObject>(reinterpret_cast<HGDIOBJ>(brush->lbHatch), GdiKind::kBitmap);
    if (!bm) return nullptr;
    // The brush keeps its own copy: the bitmap may be deleted afterwards.
    b->pattern = Surface::CreateDib(bm->surface->width(), bm->surface->height(), bm->surface->bpp(), false,
                                    bm->surface->colors(), bm->surface->masks());
    for (int y = 0; y < bm->surface->height(); ++y) {
      for (int x = 0; x < bm->surface->width(); ++x) b->pattern->SetRaw(x, y, bm->surface->GetRaw(x, y));
    }
  } else if (brush->lbStyle == BS_HATCHED) {
    if (brush->lbHatch > HS_DIAGCROSS) return nullptr;
  } else if (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL) {
    return nullptr;
  }
  return reinterpret_cast<HBRUSH>(GdiAdd(b));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH lb;
  lb.lbStyle = BS_SOLID;
  lb.lbColor = color;
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  LOGBRUSH lb;
  lb.lbStyle = BS_HATCHED;
  lb.lbColor = color;
  lb.lbHatch = static_cast<ULONG_PTR>(hatch);
  return CreateBrushIndirect(&lb);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  LOGBRUSH lb;
  lb.lbStyle = BS_PATTERN;
  lb.lbHatch = reinterpret_cast<ULONG_PTR>(bitmap);
  return CreateBrushIndirect(&lb);
}

HFONT CreateFontIndirect(const LOGFONT* font) {
  if (font == nullptr) return nullptr;
  auto f = std::make_shared<FontObject>();
  f->log = *font;
  f->log.lfFaceName[LF_FACESIZE - 1] = '\0';
  return reinterpret_cast<HFONT>(GdiAdd(f));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic != 0);
  lf.lfUnderline = static_cast<BYTE>(underline != 0);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (face != nullptr) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

// ---- Regions ----

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto r = std::make_shared<RegionObject>();
  r->region.Set(
      RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)});
  return reinterpret_cast<HRGN>(GdiAdd(r));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (rect == nullptr) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

namespace {
std::shared_ptr<RegionObject> GetRgn(HRGN h) {
  return GdiGet<RegionObject>(reinterpret_cast<HGDIOBJ>(h), GdiKind::kRegion);
}
}  // namespace

BOOL SetRectRgn(HRGN h, int left, int top, int right, int bottom) {
  auto r = GetRgn(h);
  if (!r) return FALSE;
  r->region.Set(
      RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)});
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  auto d = GetRgn(dest);
  auto a = GetRgn(src1);
  if (!d || !a) return ERROR;
  Region out = a->region;
  if (mode == RGN_COPY) {
    d->region = out;
    return d->region.Complexity();
  }
  auto b = GetRgn(src2);
  if (!b) return ERROR;
  switch (mode) {
    case RGN_AND:
      out.Intersect(b->region);
      break;
    case RGN_OR:
      out.Union(b->region);
      break;
    case RGN_XOR:
      out.Xor(b->region);
      break;
    case RGN_DIFF:
      out.Subtract(b->region);
      break;
    default:
      return ERROR;
  }
  d->region = std::move(out);
  return d->region.Complexity();
}

int OffsetRgn(HRGN h, int dx, int dy) {
  auto r = GetRgn(h);
  if (!r) return ERROR;
  r->region.Offset(dx, dy);
  return r->region.Complexity();
}

int GetRgnBox(HRGN h, LPRECT rect) {
  auto r = GetRgn(h);
  if (!r || rect == nullptr) return ERROR;
  *rect = r->region.Bounds();
  return r->region.Complexity();
}

BOOL PtInRegion(HRGN h, int x, int y) {
  auto r = GetRgn(h);
  return r && r->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN h, const RECT* rect) {
  auto r = GetRgn(h);
  return r && rect != nullptr && r->region.Overlaps(*rect) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto ra = GetRgn(a);
  auto rb = GetRgn(b);
  if (!ra || !rb) return ERROR;
  return ra->region.SameAs(rb->region) ? TRUE : FALSE;
}

int ExtSelectClipRgn(HDC handle, HRGN region, int mode) {
  DC_OR(ERROR);
  auto r = GetRgn(region);
  if (!r) {
    if (mode != RGN_COPY) return ERROR;
    dc->st.has_clip = false;
    dc->st.clip.Clear();
  } else if (mode == RGN_COPY || !dc->st.has_clip) {
    Region base;
    if (mode == RGN_COPY || mode == RGN_AND) {
      base = r->region;
    } else {
      // Combining with "no clip" combines with the whole device.
      base.Set(RECT{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28});
      if (mode == RGN_OR) base.Union(r->region);
      if (mode == RGN_XOR) base.Xor(r->region);
      if (mode == RGN_DIFF) base.Subtract(r->region);
    }
    dc->st.clip = std::move(base);
    dc->st.has_clip = true;
  } else {
    switch (mode) {
      case RGN_AND:
        dc->st.clip.Intersect(r->region);
        break;
      case RGN_OR:
        dc->st.clip.Union(r->region);
        break;
      case RGN_XOR:
        dc->st.clip.Xor(r->region);
        break;
      case RGN_DIFF:
        dc->st.clip.Subtract(r->region);
        break;
      default:
        return ERROR;
    }
  }
  Dirty(*dc);
  return DeviceClip(*dc).Complexity();
}

int SelectClipRgn(HDC dc, HRGN region) {
  return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
  DC_OR(ERROR);
  const RECT r = ToDeviceRect(*dc, left, top, right, bottom);
  if (!dc->st.has_clip) {
    dc->st.clip.Set(r);
    dc->st.has_clip = true;
  } else {
    dc->st.clip.Intersect(r);
  }
  Dirty(*dc);
  return DeviceClip(*dc).Complexity();
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
  DC_OR(ERROR);
  const RECT r = ToDeviceRect(*dc, left, top, right, bottom);
  if (!dc->st.has_clip) {
    dc->st.clip.Set(RECT{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28});
    dc->st.has_clip = true;
  }
  dc->st.clip.Subtract(r);
  Dirty(*dc);
  return DeviceClip(*dc).Complexity();
}

int OffsetClipRgn(HDC handle, int dx, int dy) {
  DC_OR(ERROR);
  if (dc->st.has_clip) dc->st.clip.Offset(dx, dy);
  Dirty(*dc);
  return DeviceClip(*dc).Complexity();
}

int GetClipBox(HDC handle, LPRECT rect) {
  DC_OR(ERROR);
  if (rect == nullptr) return ERROR;
  Region r = DeviceClip(*dc);
  RECT b = r.Bounds();
  // Device to logical.
  OffsetRect(&b, dc->st.window_org.x - dc->st.viewport_org.x, dc->st.window_org.y - dc->st.viewport_org.y);
  *rect = b;
  return r.Complexity();
}

int GetClipRgn(HDC handle, HRGN region) {
  DC_OR(-1);
  auto r = GetRgn(region);
  if (!r) return -1;
  if (!dc->st.has_clip) return 0;
  r->region = dc->st.clip;
  return 1;
}

BOOL PtVisible(HDC handle, int x, int y) {
  DC_OR(FALSE);
  if (!PrepareDc(*dc)) return FALSE;
  const POINT p = ToSurface(*dc, x, y);
  return dc->effective.Contains(p.x, p.y) ? TRUE : FALSE;
}

BOOL RectVisible(HDC handle, const RECT* rect) {
  DC_OR(FALSE);
  if (rect == nullptr || !PrepareDc(*dc)) return FALSE;
  return dc->effective.Overlaps(ToSurfaceRect(*dc, *rect)) ? TRUE : FALSE;
}

// ---- Rectangles ----

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom) {
  if (r == nullptr) return FALSE;
  *r = RECT{left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(LPRECT r) {
  return SetRect(r, 0, 0, 0, 0);
}
BOOL CopyRect(LPRECT d, const RECT* s) {
  if (d == nullptr || s == nullptr) return FALSE;
  *d = *s;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* r) {
  return r == nullptr || RectEmpty(*r) ? TRUE : FALSE;
}
BOOL PtInRect(const RECT* r, POINT p) {
  return r != nullptr && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom ? TRUE : FALSE;
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
  if (r == nullptr) return FALSE;
  *r = OffsetRectBy(*r, dx, dy);
  return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
  if (r == nullptr) return FALSE;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
  return TRUE;
}
BOOL IntersectRect(LPRECT d, const RECT* a, const RECT* b) {
  if (d == nullptr || a == nullptr || b == nullptr) return FALSE;
  *d = RectIntersection(*a, *b);
  return RectEmpty(*d) ? FALSE : TRUE;
}
BOOL UnionRect(LPRECT d, const RECT* a, const RECT* b) {
  if (d == nullptr || a == nullptr || b == nullptr) return FALSE;
  if (RectEmpty(*a)) {
    *d = RectEmpty(*b) ? RECT{} : *b;
  } else if (RectEmpty(*b)) {
    *d = *a;
  } else {
    *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  }
  return RectEmpty(*d) ? FALSE : TRUE;
}
BOOL SubtractRect(LPRECT d, const RECT* a, const RECT* b) {
  if (d == nullptr || a == nullptr || b == nullptr) return FALSE;
  // Only a cut that leaves a rectangle changes a.
  Region r(*a);
  r.Subtract(*b);
  if (r.Empty()) {
    *d = RECT{};
    return FALSE;
  }
  *d = r.Rects().size() == 1 ? r.Rects()[0] : *a;
  return TRUE;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a != nullptr && b != nullptr && a->left == b->left && a->top == b->top && a->right == b->right &&
                 a->bottom == b->bottom
             ? TRUE
             : FALSE;
}
