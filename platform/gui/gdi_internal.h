// Inside the drawing layer: object records behind the handles, device
// contexts, and the painting routines that work in surface coordinates.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gui/font_engine.h"
#include "platform/gui/gdi.h"
#include "platform/gui/region.h"
#include "platform/gui/surface.h"

enum class GdiKind { kPen, kBrush, kFont, kBitmap, kPalette, kRegion, kDC };

struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiKind kind;
  bool stock = false;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(GdiKind::kPen) {}
  LOGPEN log;
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(GdiKind::kBrush) {}
  LOGBRUSH log;
  std::shared_ptr<Surface> pattern;  // BS_PATTERN: a copy of the bitmap
  int sys_color = -1;                // a system colour brush follows its colour
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(GdiKind::kFont) {}
  LOGFONT log;
  std::shared_ptr<const RealFont> Real();

 private:
  std::shared_ptr<const RealFont> real_;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(GdiKind::kBitmap) {}
  std::shared_ptr<Surface> surface;
  bool dib = false;
  BITMAPINFOHEADER dib_header;
  std::atomic<int> selected{0};  // memory DCs holding it
};

struct PaletteObject : GdiObject {
  PaletteObject() : GdiObject(GdiKind::kPalette) {}
  std::vector<PALETTEENTRY> entries;
};

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(GdiKind::kRegion) {}
  Region region;
};

// Handles: a table from handle value to object; stale handles find nothing.
HGDIOBJ GdiAdd(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> GdiFind(HGDIOBJ handle);
bool GdiRemove(HGDIOBJ handle);
template <class T>
std::shared_ptr<T> GdiGet(HGDIOBJ handle, GdiKind kind) {
  auto o = GdiFind(handle);
  if (!o || o->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(o);
}

struct DcState {
  std::shared_ptr<PenObject> pen;
  HGDIOBJ pen_handle = nullptr;
  std::shared_ptr<BrushObject> brush;
  HGDIOBJ brush_handle = nullptr;
  std::shared_ptr<FontObject> font;
  HGDIOBJ font_handle = nullptr;
  std::shared_ptr<PaletteObject> palette;
  HGDIOBJ palette_handle = nullptr;
  std::shared_ptr<BitmapObject> bitmap;  // memory DCs
  HGDIOBJ bitmap_handle = nullptr;
  COLORREF text_color = RGB(0, 0, 0);
  COLORREF bk_color = RGB(255, 255, 255);
  int bk_mode = OPAQUE;
  int rop2 = R2_COPYPEN;
  UINT text_align = TA_LEFT | TA_TOP;
  int stretch_mode = BLACKONWHITE;
  int fill_mode = ALTERNATE;
  POINT viewport_org;
  POINT window_org;
  POINT brush_org;
  POINT pos;
  bool has_clip = false;
  Region clip;  // device units
};

enum class DcType { kWindow, kMemory, kScreen };

// Where a window's device context draws; supplied by the window layer.
struct WindowTarget {
  std::shared_ptr<Surface> surface;
  POINT origin;                              // surface position of device point (0, 0)
  Region visible;                            // surface coordinates
  bool screen = false;                       // a display surface (palette mode applies)
  std::shared_ptr<std::atomic<bool>> drawn;  // set when anything is drawn
};

struct DeviceContext : GdiObject {
  DeviceContext() : GdiObject(GdiKind::kDC) {}
  DcType type = DcType::kMemory;
  HWND hwnd = nullptr;
  bool whole_window = false;  // GetWindowDC
  bool paint = false;         // from BeginPaint: clipped to the update region
  Region paint_region;        // window coordinates of the update region (client DCs: client coords)
  DcState st;
  std::vector<DcState> saved;
  // The target, re-resolved when window layout changes.
  std::shared_ptr<Surface> surface;
  POINT origin;
  Region visible;
  bool screen = false;
  std::shared_ptr<std::atomic<bool>> drawn;
  std::uint64_t generation = ~std::uint64_t{0};
  Region effective;  // surface coordinates: visible, paint region and clip
  bool effective_dirty = true;
};

std::shared_ptr<DeviceContext> GetDcObject(HDC dc);
// Brings the target and the effective clip up to date; false when nothing
// can be drawn.
bool PrepareDc(DeviceContext& dc);

// Window layer hooks (implemented with the windows).
bool ResolveWindowTarget(HWND hwnd, bool whole_window, WindowTarget* target);
std::uint64_t WindowLayoutGeneration();
HDC CreateWindowDc(HWND hwnd, bool whole_window);
void DestroyDcHandle(HDC dc);
// Tells the top-level windows that the system palette changed.
void BroadcastPaletteChanged(HWND source);

// Colours.
Pixel ResolveColor(const DeviceContext& dc, COLORREF color);
Pixel SystemPaletteNearest(Pixel p);
const std::vector<PALETTEENTRY>& DefaultPaletteEntries();

// Painting in surface coordinates, clipped to the DC's effective region.
struct Ink {
  enum Type { kSolid, kPattern, kHatch } type = kSolid;
  Pixel color = 0;
  Pixel back = 0xFFFFFF;
  bool transparent_back = false;
  int hatch = 0;
  std::shared_ptr<Surface> pattern;
  Pixel mono_zero = 0;        // mono patterns: colour of 0 bits
  Pixel mono_one = 0xFFFFFF;  // and of 1 bits
  int org_x = 0;              // pattern origin in surface coordinates
  int org_y = 0;
  std::uint8_t rop = 0xF0;  // ternary operation code (P, S, D); 0xF0 copies the ink
  // The ink at (x, y) in surface coordinates; false for a transparent pixel.
  bool At(int x, int y, Pixel* p) const;
};

std::uint8_t Rop2ToRop3(int rop2);
Pixel ApplyRop(std::uint8_t rop, Pixel p, Pixel s, Pixel d);
bool RopUsesSource(std::uint8_t rop);
bool RopUsesPattern(std::uint8_t rop);
bool RopUsesDest(std::uint8_t rop);

void PaintSpan(DeviceContext& dc, int y, int x0, int x1, const Ink& ink);
void PaintRect(DeviceContext& dc, const RECT& surfaceRect, const Ink& ink);
// Ink of a brush in this DC (false for a null brush).
bool BrushInk(const DeviceContext& dc, const BrushObject* brush, std::uint8_t rop, Ink* ink);

// The letter after the single '&' of text (upper case; "&&" is a plain '&'),
// or 0: what menus, dialogs and message boxes answer a key with.
int MnemonicOf(const char* text);

// Logical to surface coordinates, held to a range where no sum overflows.
inline LONG ClampCoord(std::int64_t v) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 28;
  return static_cast<LONG>(v < -kLimit ? -kLimit : v > kLimit ? kLimit : v);
}
inline POINT ToSurface(const DeviceContext& dc, int x, int y) {
  return POINT{ClampCoord(std::int64_t{x} - dc.st.window_org.x + dc.st.viewport_org.x + dc.origin.x),
               ClampCoord(std::int64_t{y} - dc.st.window_org.y + dc.st.viewport_org.y + dc.origin.y)};
}
RECT ToSurfaceRect(const DeviceContext& dc, const RECT& logical);
void NoteDrawn(DeviceContext& dc, const RECT& surfaceRect);
