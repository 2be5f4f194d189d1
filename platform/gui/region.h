// A set of pixels as non-overlapping rectangles: update regions, visible
// regions and clip regions.
#pragma once

#include <vector>

#include "platform/core/types.h"

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& rect) { Union(rect); }

  bool Empty() const { return rects_.empty(); }
  const std::vector<RECT>& Rects() const { return rects_; }
  RECT Bounds() const;
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;

  void Clear() { rects_.clear(); }
  void Set(const RECT& rect);
  void Union(const RECT& rect);
  void Union(const Region& other);
  void Intersect(const RECT& rect);
  void Intersect(const Region& other);
  void Subtract(const RECT& rect);
  void Subtract(const Region& other);
  void Xor(const Region& other);
  void Offset(int dx, int dy);

  bool Contains(int x, int y) const;
  bool Overlaps(const RECT& rect) const;
  bool SameAs(const Region& other) const;

 private:
  void Normalize();
  std::vector<RECT> rects_;
};

inline bool RectEmpty(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}
inline RECT RectIntersection(const RECT& a, const RECT& b) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (RectEmpty(r)) return RECT{};
  return r;
}
inline RECT OffsetRectBy(RECT r, int dx, int dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
  return r;
}
