#include "platform/classlib/dc.h"

#include <cstring>
#include <initializer_list>

TDC::~TDC() {
  RestoreObjects();
}

HGDIOBJ TDC::SelectObject(HGDIOBJ object) {
  HGDIOBJ old = ::SelectObject(Handle, object);
  if (old == nullptr) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (GetObjectType(object)) {
    case OBJ_PEN:
      slot = &OrgPen;
      break;
    case OBJ_BRUSH:
      slot = &OrgBrush;
      break;
    case OBJ_FONT:
      slot = &OrgFont;
      break;
    case OBJ_BITMAP:
      slot = &OrgBitmap;
      break;
  }
  if (slot != nullptr && *slot == nullptr) *slot = old;
  return old;
}

void TDC::RestoreObjects() {
  if (Handle == nullptr) return;
  for (HGDIOBJ* slot : {&OrgPen, &OrgBrush, &OrgFont, &OrgBitmap}) {
    if (*slot != nullptr) ::SelectObject(Handle, *slot);
    *slot = nullptr;
  }
}

bool TDC::TextOut(int x, int y, const char* text, int length) {
  if (text == nullptr) return false;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  return ::TextOut(Handle, x, y, text, length) != 0;
}

int TDC::DrawText(const char* text, int length, const TRect& rect, UINT format) {
  RECT r = rect;
  return ::DrawText(Handle, text, length, &r, format);
}

TSize TDC::GetTextExtent(const char* text, int length) const {
  SIZE s{};
  if (length < 0) length = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
  ::GetTextExtentPoint32(Handle, text, length, &s);
  return TSize(s);
}

TClientDC::TClientDC(HWND wnd) : Wnd(wnd) {
  Handle = ::GetDC(wnd);
}
TClientDC::~TClientDC() {
  RestoreObjects();
  if (Handle != nullptr) ::ReleaseDC(Wnd, Handle);
  Handle = nullptr;
}

TWindowDC::TWindowDC(HWND wnd) : Wnd(wnd) {
  Handle = ::GetWindowDC(wnd);
}
TWindowDC::~TWindowDC() {
  RestoreObjects();
  if (Handle != nullptr) ::ReleaseDC(Wnd, Handle);
  Handle = nullptr;
}

TScreenDC::TScreenDC() {
  Handle = ::GetDC(nullptr);
}
TScreenDC::~TScreenDC() {
  RestoreObjects();
  if (Handle != nullptr) ::ReleaseDC(nullptr, Handle);
  Handle = nullptr;
}

TPaintDC::TPaintDC(HWND wnd) : Wnd(wnd) {
  Handle = ::BeginPaint(wnd, &Ps);
}
TPaintDC::~TPaintDC() {
  RestoreObjects();
  ::EndPaint(Wnd, &Ps);
  Handle = nullptr;
}

TMemoryDC::TMemoryDC() {
  Handle = ::CreateCompatibleDC(nullptr);
}
TMemoryDC::TMemoryDC(HDC compatible) {
  Handle = ::CreateCompatibleDC(compatible);
}
TMemoryDC::~TMemoryDC() {
  RestoreObjects();
  if (Handle != nullptr) ::DeleteDC(Handle);
  Handle = nullptr;
}

TFont::TFont(const char* face, int height, int width, int weight, bool italic)
    : Handle(
          ::CreateFont(height, width, 0, 0, weight, italic ? 1 : 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, face)) {}

TFont::~TFont() {
  if (Own && Handle != nullptr) ::DeleteObject(Handle);
}

int TFont::GetHeight() const {
  TScreenDC dc;
  dc.SelectObject(Handle);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(tm);
  return tm.tmHeight;
}

TGadgetWindowFont::TGadgetWindowFont(int pointSize, bool bold, bool italic)
    : TFont("MS Sans Serif", -(pointSize * 96 + 36) / 72, 0, bold ? FW_BOLD : FW_NORMAL, italic) {}
