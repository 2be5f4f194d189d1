// Device contexts as objects: the window's client area, its whole frame,
// painting, memory and the screen. The objects selected through SelectObject
// are put back when the context goes.
#pragma once

#include "platform/classlib/geometry.h"
#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

class TDC {
 public:
  explicit TDC(HDC dc) : Handle(dc) {}
  virtual ~TDC();
  TDC(const TDC&) = delete;
  TDC& operator=(const TDC&) = delete;

  HDC GetHDC() const { return Handle; }
  operator HDC() const { return Handle; }

  // Selects object; the first object of each kind replaced is remembered
  // and put back by RestoreObjects (and by the destructor).
  HGDIOBJ SelectObject(HGDIOBJ object);
  void RestoreObjects();

  COLORREF SetTextColor(TColor color) { return ::SetTextColor(Handle, color); }
  COLORREF SetBkColor(TColor color) { return ::SetBkColor(Handle, color); }
  int SetBkMode(int mode) { return ::SetBkMode(Handle, mode); }
  int GetBkMode() const { return ::GetBkMode(Handle); }
  bool TextOut(int x, int y, const char* text, int length = -1);
  int DrawText(const char* text, int length, const TRect& rect, UINT format);
  bool FillRect(const TRect& rect, HBRUSH brush) { return ::FillRect(Handle, &rect, brush) != 0; }
  bool FrameRect(const TRect& rect, HBRUSH brush) { return ::FrameRect(Handle, &rect, brush) != 0; }
  bool Rectangle(const TRect& rect) {
    return ::Rectangle(Handle, rect.left, rect.top, rect.right, rect.bottom) != 0;
  }
  bool MoveTo(int x, int y) { return ::MoveToEx(Handle, x, y, nullptr) != 0; }
  bool LineTo(int x, int y) { return ::LineTo(Handle, x, y) != 0; }
  bool BitBlt(const TRect& dest, HDC src, const TPoint& srcOrigin, DWORD rop = SRCCOPY) {
    return ::BitBlt(Handle, dest.left, dest.top, dest.Width(), dest.Height(), src, srcOrigin.x, srcOrigin.y,
                    rop) != 0;
  }
  TSize GetTextExtent(const char* text, int length) const;
  bool GetTextMetrics(TEXTMETRIC& metrics) const { return ::GetTextMetrics(Handle, &metrics) != 0; }

 protected:
  TDC() = default;
  HDC Handle = nullptr;

 private:
  HGDIOBJ OrgPen = nullptr;
  HGDIOBJ OrgBrush = nullptr;
  HGDIOBJ OrgFont = nullptr;
  HGDIOBJ OrgBitmap = nullptr;
};

class TClientDC : public TDC {
 public:
  explicit TClientDC(HWND wnd);
  ~TClientDC() override;

 private:
  HWND Wnd;
};

class TWindowDC : public TDC {
 public:
  explicit TWindowDC(HWND wnd);
  ~TWindowDC() override;

 private:
  HWND Wnd;
};

class TScreenDC : public TDC {
 public:
  TScreenDC();
  ~TScreenDC() override;
};

class TPaintDC : public TDC {
 public:
  explicit TPaintDC(HWND wnd);
  ~TPaintDC() override;
  PAINTSTRUCT Ps;

 private:
  HWND Wnd;
};

class TMemoryDC : public TDC {
 public:
  TMemoryDC();
  explicit TMemoryDC(HDC compatible);
  ~TMemoryDC() override;
};

// A font object that deletes its font.
class TFont {
 public:
  TFont(const char* face, int height, int width = 0, int weight = FW_NORMAL, bool italic = false);
  explicit TFont(HFONT font, bool own = false) : Handle(font), Own(own) {}
  virtual ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  HFONT GetHandle() const { return Handle; }
  operator HFONT() const { return Handle; }
  // The character height in pixels.
  int GetHeight() const;

 private:
  HFONT Handle = nullptr;
  bool Own = true;
};

// The font of tool bars and status bars: "MS Sans Serif" at a point size.
class TGadgetWindowFont : public TFont {
 public:
  explicit TGadgetWindowFont(int pointSize = 8, bool bold = false, bool italic = false);
};
