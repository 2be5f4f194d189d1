#include "test_controls.h"

#include <map>
#include <mutex>

namespace {

std::map<HWND, POINT>& Selections() {
  static std::map<HWND, POINT> s;
  return s;
}

DWORD TypeOf(HWND h) {
  return static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)) & 0x0F;
}

void Notify(HWND h, WORD code) {
  SendMessage(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code), reinterpret_cast<LPARAM>(h));
}

void Click(HWND h) {
  switch (TypeOf(h)) {
    case kBsAutoCheckBox:
      SendMessage(h, BM_SETCHECK, SendMessage(h, BM_GETCHECK, 0, 0) ? 0 : 1, 0);
      break;
    case kBsAutoRadioButton: {
      // The automatic radio button clears the others of its group.
      HWND dlg = GetParent(h);
      HWND first = h;
      for (HWND c = GetNextDlgGroupItem(dlg, h, FALSE); c != nullptr && c != h;
           c = GetNextDlgGroupItem(dlg, c, FALSE)) {
        if (TypeOf(c) == kBsAutoRadioButton) SendMessage(c, BM_SETCHECK, 0, 0);
        if (c == first) break;
      }
      SendMessage(h, BM_SETCHECK, 1, 0);
      break;
    }
  }
  Notify(h, BN_CLICKED);
}

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      switch (TypeOf(h)) {
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case kBsRadioButton:
        case kBsAutoRadioButton: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case kBsGroupBox: return DLGC_STATIC;
      }
      return DLGC_BUTTON;
    case BM_GETCHECK:
      return GetWindowLongPtr(h, 0);
    case BM_SETCHECK:
      SetWindowLongPtr(h, 0, static_cast<LONG_PTR>(wParam));
      return 0;
    case BM_SETSTYLE:
      SetWindowLong(h, GWL_STYLE, static_cast<LONG>((GetWindowLong(h, GWL_STYLE) & ~0x0F) | (wParam & 0x0F)));
      return 0;
    case BM_CLICK:
      Click(h);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(h);
      return 0;
    case WM_LBUTTONUP:
      Click(h);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Click(h);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, GetSysColorBrush(TypeOf(h) == BS_DEFPUSHBUTTON ? COLOR_WINDOWFRAME : COLOR_BTNFACE));
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

LRESULT EditProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case kEmSetSel:
      Selections()[h] = POINT{static_cast<LONG>(wParam), static_cast<LONG>(lParam)};
      return 0;
    case WM_CHAR:
      if (wParam >= 32) {
        std::string t = TextOf(h) + static_cast<char>(wParam);
        SetWindowText(h, t.c_str());
        Notify(h, 0x0300 /* EN_CHANGE */);
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(h);
      return 0;
    case WM_NCDESTROY:
      Selections().erase(h);
      break;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

LRESULT StaticProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterTestControls() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc;
    wc.lpfnWndProc = ButtonProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.lpszClassName = "TestButton";
    RegisterClass(&wc);
    wc.lpfnWndProc = EditProc;
    wc.cbWndExtra = 0;
    wc.lpszClassName = "TestEdit";
    RegisterClass(&wc);
    wc.lpfnWndProc = StaticProc;
    wc.lpszClassName = "TestStatic";
    RegisterClass(&wc);
  });
}

POINT LastSelection(HWND edit) {
  auto it = Selections().find(edit);
  return it != Selections().end() ? it->second : POINT{-2, -2};
}

std::string TextOf(HWND hwnd) {
  char buf[256];
  GetWindowText(hwnd, buf, sizeof buf);
  return buf;
}

void PumpDialog(HWND dialog) {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    if (IsWindow(dialog) && IsDialogMessage(dialog, &m)) continue;
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
}
