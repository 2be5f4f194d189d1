// Points, sizes, rectangles and colours with the helpers the windows use.
#pragma once

#include "platform/gui/gdi_types.h"

class TPoint : public POINT {
 public:
  TPoint() = default;
  TPoint(int x_, int y_) {
    x = x_;
    y = y_;
  }
  TPoint(const POINT& p) : POINT(p) {}
  TPoint OffsetBy(int dx, int dy) const { return TPoint(x + dx, y + dy); }
  bool operator==(const TPoint& o) const { return x == o.x && y == o.y; }
};

class TSize : public SIZE {
 public:
  TSize() = default;
  TSize(int cx_, int cy_) {
    cx = cx_;
    cy = cy_;
  }
  TSize(const SIZE& s) : SIZE(s) {}
  bool operator==(const TSize& o) const { return cx == o.cx && cy == o.cy; }
};

class TRect : public RECT {
 public:
  TRect() = default;
  TRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  TRect(const RECT& r) : RECT(r) {}
  TRect(const TPoint& origin, const TSize& size)
      : TRect(origin.x, origin.y, origin.x + size.cx, origin.y + size.cy) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  TSize Size() const { return TSize(Width(), Height()); }
  TPoint TopLeft() const { return TPoint(left, top); }
  TPoint BottomRight() const { return TPoint(right, bottom); }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // Left and top inclusive, right and bottom exclusive.
  bool Contains(const TPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  TRect& Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
  }
  TRect& Inflate(int dx, int dy) {
    left -= dx;
    right += dx;
    top -= dy;
    bottom += dy;
    return *this;
  }
  TRect OffsetBy(int dx, int dy) const { return TRect(*this).Offset(dx, dy); }
  TRect InflatedBy(int dx, int dy) const { return TRect(*this).Inflate(dx, dy); }
  bool operator==(const TRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

class TColor {
 public:
  TColor() = default;
  TColor(COLORREF value) : Value(value) {}
  TColor(int r, int g, int b) : Value(RGB(r, g, b)) {}
  operator COLORREF() const { return Value; }
  int Red() const { return GetRValue(Value); }
  int Green() const { return GetGValue(Value); }
  int Blue() const { return GetBValue(Value); }

 private:
  COLORREF Value = 0;
};
