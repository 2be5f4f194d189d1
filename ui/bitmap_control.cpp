#include "ui/bitmap_control.h"

#include "media/video_bitmap.h"

BitmapControl::BitmapControl(TWindow* parent, int resourceId, TEBitmap* bitmap_, int anchor_, int width_,
                             int height_)
    : TControl(parent, resourceId), bitmap(bitmap_), anchor(anchor_), width(width_), height(height_) {}

const char* BitmapControl::GetClassName() {
  return "TEBitmapControl";
}

void BitmapControl::SetupWindow() {
  TControl::SetupWindow();
  TEBitmapInit::RealizePalette(HWindow);
  // The window's frame stays as it is around the new client area.
  const TRect before = GetWindowRect();
  const TRect client = GetClientRect();
  const int w = width + before.Width() - client.Width();
  const int h = height + before.Height() - client.Height();
  ::SetWindowPos(HWindow, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int dx = before.Width() - w, dy = before.Height() - h;
  int ox = 0, oy = 0;
  switch (anchor) {
    case 0:
      ox = dx / 2;
      oy = dy / 2;
      break;
    case 2:
      ox = dx;
      break;
    case 3:
      ox = dx;
      oy = dy;
      break;
    case 4:
      oy = dy;
      break;
    case 5:
      ox = dx / 2;
      break;
    case 6:
      ox = dx / 2;
      oy = dy;
      break;
    case 7:
      oy = dy / 2;
      break;
    case 8:
      ox = dx;
      oy = dy / 2;
      break;
    default:  // 1: the top-left corner stays
      break;
  }
  if (ox != 0 || oy != 0) {
    TPoint at = before.TopLeft();
    ::ScreenToClient(::GetParent(HWindow), &at);
    ::SetWindowPos(HWindow, nullptr, at.x + ox, at.y + oy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Invalidate(true);
}

void BitmapControl::Paint(TDC& dc, bool, TRect&) {
  if (bitmap != nullptr)
    bitmap->Draw(dc, 0, 0);
  else
    dc.Rectangle(GetClientRect());
}
