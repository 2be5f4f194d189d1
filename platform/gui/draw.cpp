// Lines, shapes, rectangles and pixels.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gui/gdi_internal.h"
#include "platform/gui/user.h"

namespace {

bool HatchBit(int hatch, int x, int y) {
  switch (hatch) {
    case HS_HORIZONTAL:
      return y == 7;
    case HS_VERTICAL:
      return x == 7;
    case HS_FDIAGONAL:
      return x == y;
    case HS_BDIAGONAL:
      return x + y == 7;
    case HS_CROSS:
      return x == 7 || y == 7;
    case HS_DIAGCROSS:
      return x == y || x + y == 7;
  }
  return false;
}

int Mod(int a, int m) {
  const int r = a % m;
  return r < 0 ? r + m : r;
}

}  // namespace

bool Ink::At(int x, int y, Pixel* p) const {
  switch (type) {
    case kSolid:
      *p = color;
      return true;
    case kHatch:
      if (HatchBit(hatch, Mod(x - org_x, 8), Mod(y - org_y, 8))) {
        *p = color;
        return true;
      }
      if (transparent_back) return false;
      *p = back;
      return true;
    case kPattern: {
      if (!pattern || pattern->width() <= 0 || pattern->height() <= 0) {
        *p = color;
        return true;
      }
      const int px = Mod(x - org_x, pattern->width());
      const int py = Mod(y - org_y, pattern->height());
      if (pattern->bpp() == 1) {
        *p = pattern->GetRaw(px, py) ? mono_one : mono_zero;
      } else {
        *p = pattern->Get(px, py);
      }
      return true;
    }
  }
  return false;
}

std::uint8_t Rop2ToRop3(int rop2) {
  const int table = std::clamp(rop2, R2_BLACK, R2_WHITE) - 1;  // bit (P << 1 | D)
  std::uint8_t out = 0;
  for (int i = 0; i < 8; ++i) {
    const int p = (i >> 2) & 1, d = i & 1;
    if ((table >> (p * 2 + d)) & 1) out = static_cast<std::uint8_t>(out | (1 << i));
  }
  return out;
}

Pixel ApplyRop(std::uint8_t rop, Pixel p, Pixel s, Pixel d) {
  switch (rop) {
    case 0xF0:
      return p;
    case 0xCC:
      return s;
    case 0xAA:
      return d;
    case 0x00:
      return 0;
    case 0xFF:
      return 0xFFFFFF;
    case 0x55:
      return ~d & 0xFFFFFF;
    case 0x5A:
      return (p ^ d) & 0xFFFFFF;
    case 0x66:
      return (s ^ d) & 0xFFFFFF;
    case 0x88:
      return s & d;
    case 0xEE:
      return (s | d) & 0xFFFFFF;
  }
  Pixel r = 0;
  for (int i = 0; i < 8; ++i) {
    if ((rop >> i) & 1) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0xFFFFFF;
}

bool RopUsesSource(std::uint8_t rop) {
  return ((rop >> 2) & 0x33) != (rop & 0x33);
}
bool RopUsesPattern(std::uint8_t rop) {
  return ((rop >> 4) & 0x0F) != (rop & 0x0F);
}
bool RopUsesDest(std::uint8_t rop) {
  return ((rop >> 1) & 0x55) != (rop & 0x55);
}

void PaintSpan(DeviceContext& dc, int y, int x0, int x1, const Ink& ink) {
  if (x1 <= x0) return;
  Surface& s = *dc.surface;
  const bool fast = s.bpp() == 32 && ink.type == Ink::kSolid && ink.rop == 0xF0 &&
                    (s.masks()[0] == 0 || s.masks()[0] == 0xFF0000);
  const bool need_dest = RopUsesDest(ink.rop);
  for (const RECT& r : dc.effective.Rects()) {
    if (y < r.top) break;  // rectangles are sorted by top
    if (y >= r.bottom) continue;
    const int a = std::max(x0, static_cast<int>(r.left));
    const int b = std::min(x1, static_cast<int>(r.right));
    if (a >= b) continue;
    if (fast) {
      Pixel* row = s.Row32(y);
      std::fill(row + a, row + b, ink.color);
      continue;
    }
    for (int x = a; x < b; ++x) {
      Pixel p;
      if (!ink.At(x, y, &p)) continue;
      const Pixel d = need_dest ? s.Get(x, y) : 0;
      s.Set(x, y, ApplyRop(ink.rop, p, 0, d));
    }
  }
}

void PaintRect(DeviceContext& dc, const RECT& rect, const Ink& ink) {
  const RECT b = RectIntersection(rect, dc.effective.Bounds());
  if (RectEmpty(b)) return;
  for (int y = b.top; y < b.bottom; ++y) PaintSpan(dc, y, b.left, b.right, ink);
  NoteDrawn(dc, b);
}

bool BrushInk(const DeviceContext& dc, const BrushObject* brush, std::uint8_t rop, Ink* ink) {
  if (brush == nullptr || brush->log.lbStyle == BS_NULL) return false;
  ink->rop = rop;
  ink->org_x = dc.origin.x + dc.st.brush_org.x;
  ink->org_y = dc.origin.y + dc.st.brush_org.y;
  const COLORREF c = brush->sys_color >= 0 ? GetSysColor(brush->sys_color) : brush->log.lbColor;
  switch (brush->log.lbStyle) {
    case BS_SOLID:
      ink->type = Ink::kSolid;
      ink->color = ResolveColor(dc, c);
      return true;
    case BS_HATCHED:
      ink->type = Ink::kHatch;
      ink->hatch = static_cast<int>(brush->log.lbHatch);
      ink->color = ResolveColor(dc, c);
      ink->back = ResolveColor(dc, dc.st.bk_color);
      ink->transparent_back = dc.st.bk_mode == TRANSPARENT;
      return true;
    case BS_PATTERN:
      ink->type = Ink::kPattern;
      ink->pattern = brush->pattern;
      ink->mono_zero = ResolveColor(dc, dc.st.text_color);
      ink->mono_one = ResolveColor(dc, dc.st.bk_color);
      return true;
  }
  return false;
}

namespace {

// A brush given to FillRect may be a system colour index plus one.
std::shared_ptr<BrushObject> BrushFromHandle(HBRUSH brush) {
  const auto v = reinterpret_cast<std::uintptr_t>(brush);
  if (v >= 1 && v <= 31) {
    auto b = std::make_shared<BrushObject>();
    b->sys_color = static_cast<int>(v - 1);
    return b;
  }
  return GdiGet<BrushObject>(reinterpret_cast<HGDIOBJ>(brush), GdiKind::kBrush);
}

// Dash patterns of the styled pens, in pixels: on, off, on, off ...
const int kDash[] = {18, 6};
const int kDot[] = {3, 3};
const int kDashDot[] = {9, 6, 3, 6};
const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

// Liang-Barsky: cuts the segment a-b to r; false when nothing is left.
// The end point is kept (include_last) only if it was not cut away.
bool ClipSegment(const RECT& r, POINT* a, POINT* b, bool* include_last) {
  const double x0 = a->x, y0 = a->y, dx = static_cast<double>(b->x) - a->x,
               dy = static_cast<double>(b->y) - a->y;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - r.left, r.right - 1 - x0, y0 - r.top, r.bottom - 1 - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  const POINT na{static_cast<LONG>(std::lround(x0 + t0 * dx)), static_cast<LONG>(std::lround(y0 + t0 * dy))};
  const POINT nb{static_cast<LONG>(std::lround(x0 + t1 * dx)), static_cast<LONG>(std::lround(y0 + t1 * dy))};
  if (t1 < 1.0) *include_last = true;
  *a = na;
  *b = nb;
  return true;
}

struct PenDrawer {
  DeviceContext& dc;
  Ink ink;
  Ink gap;
  bool draw_gaps = false;
  int width = 1;
  const int* pattern = nullptr;
  int pattern_len = 0;
  int phase = 0;  // position within the pattern
  RECT dirty{};

  explicit PenDrawer(DeviceContext& d) : dc(d) {}

  bool Setup() {
    const PenObject* pen = dc.st.pen.get();
    if (pen == nullptr) return false;
    const UINT style = pen->log.lopnStyle & PS_STYLE_MASK;
    if (style == PS_NULL) return false;
    const std::uint8_t rop = Rop2ToRop3(dc.st.rop2);
    ink.type = Ink::kSolid;
    ink.color = ResolveColor(dc, pen->log.lopnColor);
    ink.rop = rop;
    width = std::max<int>(1, pen->log.lopnWidth.x);
    switch (style) {
      case PS_DASH:
        pattern = kDash, pattern_len = 2;
        break;
      case PS_DOT:
        pattern = kDot, pattern_len = 2;
        break;
      case PS_DASHDOT:
        pattern = kDashDot, pattern_len = 4;
        break;
      case PS_DASHDOTDOT:
        pattern = kDashDotDot, pattern_len = 6;
        break;
      default:
        break;
    }
    if (pattern != nullptr && dc.st.bk_mode == OPAQUE) {
      draw_gaps = true;
      gap = ink;
      gap.color = ResolveColor(dc, dc.st.bk_color);
    }
    const Surface& s = *dc.surface;
    fast_ = rop == 0xF0 && dc.effective.Rects().size() == 1 && s.bpp() == 32 &&
            (s.masks()[0] == 0 || s.masks()[0] == 0xFF0000);
    if (fast_) clip_ = dc.effective.Rects()[0];
    return true;
  }

  bool fast_ = false;
  RECT clip_{};

  bool InDash() {
    if (pattern == nullptr) return true;
    int total = 0;
    for (int i = 0; i < pattern_len; ++i) total += pattern[i];
    int pos = phase % total;
    ++phase;
    for (int i = 0; i < pattern_len; ++i) {
      if (pos < pattern[i]) return (i & 1) == 0;
      pos -= pattern[i];
    }
    return true;
  }

  void Plot(int x, int y) {
    const bool on = InDash();
    if (!on && !draw_gaps) return;
    const Ink& use = on ? ink : gap;
    if (width <= 1 && fast_) {
      // One clip rectangle, a plain 32-bit surface and a copying pen.
      if (x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom) {
        dc.surface->Row32(y)[x] = use.color;
        Grow(RECT{x, y, x + 1, y + 1});
      }
      return;
    }
    if (width <= 1) {
      PaintSpan(dc, y, x, x + 1, use);
      Grow(RECT{x, y, x + 1, y + 1});
    } else {
      const int h = width / 2;
      const RECT r{x - h, y - h, x - h + width, y - h + width};
      for (int yy = r.top; yy < r.bottom; ++yy) PaintSpan(dc, yy, r.left, r.right, use);
      Grow(r);
    }
  }

  void Grow(const RECT& r) {
    if (RectEmpty(dirty)) {
      dirty = r;
    } else {
      dirty.left = std::min(dirty.left, r.left);
      dirty.top = std::min(dirty.top, r.top);
      dirty.right = std::max(dirty.right, r.right);
      dirty.bottom = std::max(dirty.bottom, r.bottom);
    }
  }

  // Bresenham from a to b in surface coordinates; the end point is drawn only
  // when include_last.
  void Line(POINT a, POINT b, bool include_last) {
    // Horizontal and vertical solid thin lines go as spans.
    if (width <= 1 && pattern == nullptr) {
      if (a.y == b.y) {
        int x0 = a.x, x1 = b.x;
        if (x0 <= x1) {
          x1 += include_last ? 1 : 0;
        } else {
          std::swap(x0, x1);
          x0 += include_last ? 0 : 1;
          x1 += 1;
        }
        if (x0 < x1) {
          PaintSpan(dc, a.y, x0, x1, ink);
          Grow(RECT{x0, a.y, x1, a.y + 1});
        }
        return;
      }
    }
    // A line reaching far outside the drawable area is cut to it first, so
    // that the walk stays short.
    const RECT area = dc.effective.Bounds();
    const int margin = 64 + width;
    if (std::min(a.x, b.x) < area.left - margin || std::max(a.x, b.x) > area.right + margin ||
        std::min(a.y, b.y) < area.top - margin || std::max(a.y, b.y) > area.bottom + margin) {
      if (!ClipSegment(RECT{area.left - margin, area.top - margin, area.right + margin, area.bottom + margin},
                       &a, &b, &include_last)) {
        return;
      }
    }
    const long dx = std::labs(static_cast<long>(b.x) - a.x), dy = -std::labs(static_cast<long>(b.y) - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    long err = dx + dy;
    long x = a.x, y = a.y;
    const long steps = std::max(dx, -dy);
    // Clip the walk roughly to the drawable area so huge coordinates end fast.
    const RECT bounds = dc.effective.Bounds();
    for (long i = 0; i <= steps; ++i) {
      if (i == steps && !include_last) break;
      if (x >= bounds.left - width && x < bounds.right + width && y >= bounds.top - width &&
          y < bounds.bottom + width) {
        Plot(static_cast<int>(x), static_cast<int>(y));
      } else if (pattern != nullptr) {
        InDash();
      }
      const long e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y += sy;
      }
    }
  }

  void Finish() {
    if (!RectEmpty(dirty)) NoteDrawn(dc, dirty);
  }
};

struct Edge {
  double x0, y0, x1, y1;
  int dir;
};

// Scan-converts the polygons in surface coordinates with the fill mode;
// a pixel is inside when its centre is.
void FillPolygons(DeviceContext& dc, const std::vector<std::vector<POINT>>& polys, const Ink& ink) {
  std::vector<Edge> edges;
  double ymin = 1e18, ymax = -1e18;
  for (const auto& poly : polys) {
    const size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
      const POINT a = poly[i], b = poly[(i + 1) % n];
      if (a.y == b.y) continue;
      Edge e{static_cast<double>(a.x), static_cast<double>(a.y), static_cast<double>(b.x),
             static_cast<double>(b.y), a.y < b.y ? 1 : -1};
      if (e.y0 > e.y1) {
        std::swap(e.x0, e.x1);
        std::swap(e.y0, e.y1);
      }
      ymin = std::min(ymin, e.y0);
      ymax = std::max(ymax, e.y1);
      edges.push_back(e);
    }
  }
  if (edges.empty()) return;
  const RECT bounds = dc.effective.Bounds();
  const int y_start = std::max(static_cast<int>(std::floor(ymin)), static_cast<int>(bounds.top));
  const int y_end = std::min(static_cast<int>(std::ceil(ymax)), static_cast<int>(bounds.bottom));
  std::vector<std::pair<double, int>> xs;
  RECT dirty{};
  for (int y = y_start; y < y_end; ++y) {
    const double cy = y + 0.5;
    xs.clear();
    for (const Edge& e : edges) {
      if (cy < e.y0 || cy >= e.y1) continue;
      xs.emplace_back(e.x0 + (cy - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.dir);
    }
    std::sort(xs.begin(), xs.end());
    int winding = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].second;
      const bool inside = dc.st.fill_mode == WINDING ? winding != 0 : (i % 2) == 0;
      if (!inside) continue;
      const double lo = bounds.left - 1.0, hi = bounds.right + 1.0;
      const int a = static_cast<int>(std::ceil(std::clamp(xs[i].first, lo, hi) - 0.5));
      const int b = static_cast<int>(std::ceil(std::clamp(xs[i + 1].first, lo, hi) - 0.5));
      if (a < b) {
        PaintSpan(dc, y, a, b, ink);
        if (RectEmpty(dirty)) dirty = RECT{a, y, b, y + 1};
        dirty.left = std::min<LONG>(dirty.left, a);
        dirty.right = std::max<LONG>(dirty.right, b);
        dirty.bottom = y + 1;
      }
    }
  }
  if (!RectEmpty(dirty)) NoteDrawn(dc, dirty);
}

std::shared_ptr<DeviceContext> Ready(HDC handle) {
  auto dc = GetDcObject(handle);
  if (!dc) return nullptr;
  PrepareDc(*dc);
  return dc;
}

bool Drawable(const std::shared_ptr<DeviceContext>& dc) {
  return dc && dc->surface && !dc->effective.Empty();
}

void DrawOutline(DeviceContext& dc, const std::vector<POINT>& pts, bool closed) {
  PenDrawer pen(dc);
  if (!pen.Setup() || pts.empty()) return;
  for (size_t i = 0; i + 1 < pts.size(); ++i) pen.Line(pts[i], pts[i + 1], false);
  if (closed && pts.size() > 1) pen.Line(pts.back(), pts.front(), false);
  if (!closed && pts.size() == 1) pen.Plot(pts[0].x, pts[0].y);
  pen.Finish();
}

}  // namespace

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT old) {
  auto dc = GetDcObject(handle);
  if (!dc) return FALSE;
  if (old != nullptr) *old = dc->st.pos;
  dc->st.pos = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) {
  auto dc = Ready(handle);
  if (!dc) return FALSE;
  const POINT from = dc->st.pos;
  dc->st.pos = POINT{x, y};
  if (!Drawable(dc)) return TRUE;
  PenDrawer pen(*dc);
  if (!pen.Setup()) return TRUE;
  pen.Line(ToSurface(*dc, from.x, from.y), ToSurface(*dc, x, y), false);
  pen.Finish();
  return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  auto dc = Ready(handle);
  if (!dc || points == nullptr || count < 2) return FALSE;
  if (!Drawable(dc)) return TRUE;
  PenDrawer pen(*dc);
  if (!pen.Setup()) return TRUE;
  for (int i = 0; i + 1 < count; ++i) {
    pen.Line(ToSurface(*dc, points[i].x, points[i].y), ToSurface(*dc, points[i + 1].x, points[i + 1].y),
             false);
  }
  pen.Finish();
  return TRUE;
}

BOOL PolylineTo(HDC handle, const POINT* points, DWORD count) {
  auto dc = GetDcObject(handle);
  if (!dc || points == nullptr || count == 0) return FALSE;
  std::vector<POINT> pts;
  pts.push_back(dc->st.pos);
  pts.insert(pts.end(), points, points + count);
  dc->st.pos = points[count - 1];
  return Polyline(handle, pts.data(), static_cast<int>(pts.size()));
}

BOOL PolyPolygon(HDC handle, const POINT* points, const INT* counts, int polygons) {
  auto dc = Ready(handle);
  if (!dc || points == nullptr || counts == nullptr || polygons < 1) return FALSE;
  std::vector<std::vector<POINT>> polys;
  const POINT* p = points;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return FALSE;
    std::vector<POINT> poly;
    for (int k = 0; k < counts[i]; ++k) poly.push_back(ToSurface(*dc, p[k].x, p[k].y));
    p += counts[i];
    polys.push_back(std::move(poly));
  }
  if (!Drawable(dc)) return TRUE;
  Ink ink;
  if (BrushInk(*dc, dc->st.brush.get(), Rop2ToRop3(dc->st.rop2), &ink)) FillPolygons(*dc, polys, ink);
  for (const auto& poly : polys) DrawOutline(*dc, poly, true);
  return TRUE;
}

BOOL Polygon(HDC handle, const POINT* points, int count) {
  const INT counts[1] = {count};
  return PolyPolygon(handle, points, counts, 1);
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
  auto dc = Ready(handle);
  if (!dc) return FALSE;
  if (!Drawable(dc)) return TRUE;
  RECT r = ToSurfaceRect(*dc, RECT{left, top, right, bottom});
  const PenObject* pen = dc->st.pen.get();
  const bool null_pen = pen == nullptr || (pen->log.lopnStyle & PS_STYLE_MASK) == PS_NULL;
  Ink ink;
  const bool brush = BrushInk(*dc, dc->st.brush.get(), Rop2ToRop3(dc->st.rop2), &ink);
  if (null_pen) {
    // Without a pen the filled area is one pixel smaller each way.
    if (brush) PaintRect(*dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, ink);
    return TRUE;
  }
  const int w = std::max<int>(1, pen->log.lopnWidth.x);
  if ((pen->log.lopnStyle & PS_STYLE_MASK) == PS_INSIDEFRAME && w > 1) {
    InflateRect(&r, -(w / 2), -(w / 2));
  }
  if (brush) PaintRect(*dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, ink);
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return TRUE;
  const std::vector<POINT> pts = {POINT{r.left, r.top}, POINT{r.right - 1, r.top},
                                  POINT{r.right - 1, r.bottom - 1}, POINT{r.left, r.bottom - 1}};
  DrawOutline(*dc, pts, true);
  return TRUE;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
  auto dc = Ready(handle);
  if (!dc) return FALSE;
  if (!Drawable(dc)) return TRUE;
  const std::uint8_t code = static_cast<std::uint8_t>((rop >> 16) & 0xFF);
  if (RopUsesSource(code)) return FALSE;
  RECT r{std::min(x, x + width), std::min(y, y + height), std::max(x, x + width), std::max(y, y + height)};
  Ink ink;
  if (RopUsesPattern(code)) {
    if (!BrushInk(*dc, dc->st.brush.get(), code, &ink)) return TRUE;
  } else {
    ink.rop = code;
  }
  PaintRect(*dc, ToSurfaceRect(*dc, r), ink);
  return TRUE;
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
  auto dc = Ready(handle);
  if (!Drawable(dc)) return CLR_INVALID;
  const POINT p = ToSurface(*dc, x, y);
  if (!dc->effective.Contains(p.x, p.y)) return CLR_INVALID;
  dc->surface->Set(p.x, p.y, ResolveColor(*dc, color));
  NoteDrawn(*dc, RECT{p.x, p.y, p.x + 1, p.y + 1});
  return PixelToColor(dc->surface->Get(p.x, p.y));
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
  return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC handle, int x, int y) {
  auto dc = Ready(handle);
  if (!dc || !dc->surface) return CLR_INVALID;
  const POINT p = ToSurface(*dc, x, y);
  // Reading is limited to the visible part (not the paint clip).
  if (!dc->visible.Contains(p.x, p.y)) return CLR_INVALID;
  return PixelToColor(dc->surface->Get(p.x, p.y));
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
  auto dc = Ready(handle);
  if (!dc || rect == nullptr) return 0;
  auto b = BrushFromHandle(brush);
  if (!b) return 0;
  if (!Drawable(dc)) return 1;
  Ink ink;
  if (BrushInk(*dc, b.get(), 0xF0, &ink)) PaintRect(*dc, ToSurfaceRect(*dc, *rect), ink);
  return 1;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush) {
  auto dc = Ready(handle);
  if (!dc || rect == nullptr) return 0;
  auto b = BrushFromHandle(brush);
  if (!b) return 0;
  if (!Drawable(dc) || RectEmpty(*rect)) return 1;
  Ink ink;
  if (!BrushInk(*dc, b.get(), 0xF0, &ink)) return 1;
  const RECT r = ToSurfaceRect(*dc, *rect);
  PaintRect(*dc, RECT{r.left, r.top, r.right, r.top + 1}, ink);
  PaintRect(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, ink);
  PaintRect(*dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, ink);
  PaintRect(*dc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, ink);
  return 1;
}

BOOL InvertRect(HDC handle, const RECT* rect) {
  auto dc = Ready(handle);
  if (!dc || rect == nullptr) return FALSE;
  if (!Drawable(dc)) return TRUE;
  Ink ink;
  ink.rop = 0x55;
  PaintRect(*dc, ToSurfaceRect(*dc, *rect), ink);
  return TRUE;
}

BOOL DrawFocusRect(HDC handle, const RECT* rect) {
  auto dc = Ready(handle);
  if (!dc || rect == nullptr) return FALSE;
  if (!Drawable(dc) || RectEmpty(*rect)) return TRUE;
  const RECT r = ToSurfaceRect(*dc, *rect);
  // Every other pixel of the border, inverted: drawing it twice removes it.
  Ink ink;
  ink.rop = 0x55;
  auto dot = [&](int x, int y) {
    if (((x - r.left) + (y - r.top)) % 2 == 0) PaintSpan(*dc, y, x, x + 1, ink);
  };
  for (int x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  NoteDrawn(*dc, r);
  return TRUE;
}

namespace {
BOOL RegionPaint(HDC handle, HRGN region, const BrushObject* brush, std::uint8_t rop, bool invert) {
  auto dc = Ready(handle);
  auto rg = GdiGet<RegionObject>(reinterpret_cast<HGDIOBJ>(region), GdiKind::kRegion);
  if (!dc || !rg) return FALSE;
  if (!Drawable(dc)) return TRUE;
  Ink ink;
  if (invert) {
    ink.rop = 0x55;
  } else if (!BrushInk(*dc, brush, rop, &ink)) {
    return TRUE;
  }
  for (const RECT& r : rg->region.Rects()) PaintRect(*dc, ToSurfaceRect(*dc, r), ink);
  return TRUE;
}
}  // namespace

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
  auto b = BrushFromHandle(brush);
  if (!b) return FALSE;
  return RegionPaint(dc, region, b.get(), 0xF0, false);
}

BOOL PaintRgn(HDC handle, HRGN region) {
  auto dc = GetDcObject(handle);
  if (!dc) return FALSE;
  return RegionPaint(handle, region, dc->st.brush.get(), Rop2ToRop3(dc->st.rop2), false);
}

BOOL InvertRgn(HDC dc, HRGN region) {
  return RegionPaint(dc, region, nullptr, 0x55, true);
}

BOOL FrameRgn(HDC handle, HRGN region, HBRUSH brush, int width, int height) {
  auto rg = GdiGet<RegionObject>(reinterpret_cast<HGDIOBJ>(region), GdiKind::kRegion);
  auto b = BrushFromHandle(brush);
  auto dc = Ready(handle);
  if (!dc || !rg || !b) return FALSE;
  if (!Drawable(dc)) return TRUE;
  // The frame is the region less the region shrunk by width and height.
  Region inner = rg->region;
  for (int dx : {-width, width}) {
    Region s = rg->region;
    s.Offset(dx, 0);
    inner.Intersect(s);
  }
  for (int dy : {-height, height}) {
    Region s = rg->region;
    s.Offset(0, dy);
    inner.Intersect(s);
  }
  Region frame = rg->region;
  frame.Subtract(inner);
  Ink ink;
  if (!BrushInk(*dc, b.get(), 0xF0, &ink)) return TRUE;
  for (const RECT& r : frame.Rects()) PaintRect(*dc, ToSurfaceRect(*dc, r), ink);
  return TRUE;
}
