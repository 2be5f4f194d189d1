#include "platform/gui/region.h"

#include <algorithm>

namespace {

// Pieces of a that lie outside b, appended to out.
void SubtractInto(const RECT& a, const RECT& b, std::vector<RECT>& out) {
  const RECT cut = RectIntersection(a, b);
  if (RectEmpty(cut)) {
    out.push_back(a);
    return;
  }
  if (a.top < cut.top) out.push_back(RECT{a.left, a.top, a.right, cut.top});
  if (a.left < cut.left) out.push_back(RECT{a.left, cut.top, cut.left, cut.bottom});
  if (cut.right < a.right) out.push_back(RECT{cut.right, cut.top, a.right, cut.bottom});
  if (cut.bottom < a.bottom) out.push_back(RECT{a.left, cut.bottom, a.right, a.bottom});
}

}  // namespace

RECT Region::Bounds() const {
  if (rects_.empty()) return RECT{};
  RECT b = rects_[0];
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

int Region::Complexity() const {
  if (rects_.empty()) return 1;
  return rects_.size() == 1 ? 2 : 3;
}

void Region::Set(const RECT& rect) {
  rects_.clear();
  if (!RectEmpty(rect)) rects_.push_back(rect);
}

void Region::Union(const RECT& rect) {
  if (RectEmpty(rect)) return;
  Subtract(rect);
  rects_.push_back(rect);
  Normalize();
}

void Region::Union(const Region& other) {
  for (const RECT& r : other.rects_) {
    Subtract(r);
    rects_.push_back(r);
  }
  Normalize();
}

void Region::Intersect(const RECT& rect) {
  std::vector<RECT> out;
  for (const RECT& r : rects_) {
    const RECT c = RectIntersection(r, rect);
    if (!RectEmpty(c)) out.push_back(c);
  }
  rects_.swap(out);
  Normalize();
}

void Region::Intersect(const Region& other) {
  std::vector<RECT> out;
  for (const RECT& a : rects_) {
    for (const RECT& b : other.rects_) {
      const RECT c = RectIntersection(a, b);
      if (!RectEmpty(c)) out.push_back(c);
    }
  }
  rects_.swap(out);
  Normalize();
}

void Region::Subtract(const RECT& rect) {
  if (RectEmpty(rect) || rects_.empty()) return;
  std::vector<RECT> out;
  out.reserve(rects_.size() + 4);
  for (const RECT& r : rects_) SubtractInto(r, rect, out);
  rects_.swap(out);
}

void Region::Subtract(const Region& other) {
  for (const RECT& r : other.rects_) Subtract(r);
  Normalize();
}

void Region::Xor(const Region& other) {
  Region a = *this;
  a.Subtract(other);
  Region b = other;
  b.Subtract(*this);
  a.Union(b);
  *this = a;
}

void Region::Offset(int dx, int dy) {
  for (RECT& r : rects_) r = OffsetRectBy(r, dx, dy);
}

bool Region::Contains(int x, int y) const {
  for (const RECT& r : rects_) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

bool Region::Overlaps(const RECT& rect) const {
  for (const RECT& r : rects_) {
    if (!RectEmpty(RectIntersection(r, rect))) return true;
  }
  return false;
}

bool Region::SameAs(const Region& other) const {
  Region a = *this;
  a.Subtract(other);
  if (!a.Empty()) return false;
  Region b = other;
  b.Subtract(*this);
  return b.Empty();
}

// Sorts the rectangles and merges neighbours that share an edge, so that
// repeated unions do not fragment the set.
void Region::Normalize() {
  bool merged = true;
  while (merged && rects_.size() > 1) {
    merged = false;
    std::sort(rects_.begin(), rects_.end(),
              [](const RECT& a, const RECT& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
    for (size_t i = 0; i < rects_.size() && !merged; ++i) {
      for (size_t j = i + 1; j < rects_.size(); ++j) {
        RECT& a = rects_[i];
        const RECT& b = rects_[j];
        if (a.top == b.top && a.bottom == b.bottom && (a.right == b.left || b.right == a.left)) {
          a.left = std::min(a.left, b.left);
          a.right = std::max(a.right, b.right);
        } else if (a.left == b.left && a.right == b.right && (a.bottom == b.top || b.bottom == a.top)) {
          a.top = std::min(a.top, b.top);
          a.bottom = std::max(a.bottom, b.bottom);
        } else {
          continue;
        }
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(j));
        merged = true;
        break;
      }
    }
  }
  std::sort(rects_.begin(), rects_.end(),
            [](const RECT& a, const RECT& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
}
