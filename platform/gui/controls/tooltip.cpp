// Tooltips: a popup with the text of the tool under the resting mouse.
#include <algorithm>
#include <vector>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
constexpr int kPad = 3;
#define LPSTR_TEXTCALLBACK_VALUE (reinterpret_cast<LPSTR>(static_cast<std::intptr_t>(-1)))

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::string text;
  LPARAM param = 0;
};

struct TipState : State {
  std::vector<Tool> tools;
  bool active = true;
  UINT initial = 0;
  UINT autopop = 0;
  UINT reshow = 0;
  int current = -1;  // the tool under the mouse
  bool shown = false;
  bool suppressed = false;  // after a click or a time-out, until the mouse leaves the tool
};

void DefaultDelays(TipState& s) {
  s.initial = GetDoubleClickTime();
  s.autopop = s.initial * 10;
  s.reshow = std::max<UINT>(1, s.initial / 5);
}

int FindTool(const TipState& s, HWND hwnd, UINT_PTR id) {
  for (std::size_t i = 0; i < s.tools.size(); ++i) {
    if (s.tools[i].hwnd == hwnd && s.tools[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

std::string TextOf(LPCSTR text) {
  if (text == nullptr || text == LPSTR_TEXTCALLBACK_VALUE || IS_INTRESOURCE(text)) return std::string();
  return text;
}

// The tool at pt, a point in hwnd's client coordinates.
int ToolAt(const TipState& s, HWND hwnd, POINT pt) {
  for (std::size_t i = 0; i < s.tools.size(); ++i) {
    const Tool& t = s.tools[i];
    if (t.flags & TTF_IDISHWND) {
      HWND w = reinterpret_cast<HWND>(t.id);
      if (w != hwnd) continue;
      RECT r;
      GetClientRect(w, &r);
      if (PtInRect(&r, pt)) return static_cast<int>(i);
    } else if (t.hwnd == hwnd && PtInRect(&t.rect, pt)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool CursorOnTool(const Tool& t) {
  POINT p;
  GetCursorPos(&p);
  HWND w = (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd;
  if (!IsWindow(w)) return false;
  ScreenToClient(w, &p);
  RECT r = t.rect;
  if (t.flags & TTF_IDISHWND) GetClientRect(w, &r);
  return PtInRect(&r, p) != FALSE;
}

void Hide(HWND h, TipState& s) {
  KillTimer(h, kHideTimer);
  if (!s.shown) return;
  s.shown = false;
  ShowWindow(h, SW_HIDE);
}

void Show(HWND h, TipState& s) {
  if (s.current < 0) return;
  const Tool& t = s.tools[static_cast<std::size_t>(s.current)];
  if (t.text.empty()) return;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  RECT calc{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  const UINT fmt = (GetWindowLong(h, GWL_STYLE) & TTS_NOPREFIX) ? DT_NOPREFIX : 0;
  DrawText(dc, t.text.c_str(), -1, &calc, DT_CALCRECT | DT_WORDBREAK | fmt);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  RECT wr{0, 0, calc.right + 2 * kPad, calc.bottom + 2 * kPad};
  AdjustWindowRectEx(&wr, static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE)));
  const int w = wr.right - wr.left, ht = wr.bottom - wr.top;
  POINT p;
  GetCursorPos(&p);
  int x = p.x, y = p.y + GetSystemMetrics(SM_CYCURSOR) * 2 / 3;
  x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - w));
  if (y + ht > GetSystemMetrics(SM_CYSCREEN)) y = p.y - ht - 2;
  SetWindowPos(h, HWND_TOPMOST, x, y, w, ht, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(h, nullptr, TRUE);
  s.shown = true;
  SetTimer(h, kHideTimer, s.autopop, nullptr);
}

// The owner's window must be active unless the tip always shows.
bool MayShow(HWND h) {
  if (GetWindowLong(h, GWL_STYLE) & TTS_ALWAYSTIP) return true;
  HWND owner = GetWindow(h, GW_OWNER);
  return owner == nullptr || GetActiveWindow() == GetAncestor(owner, GA_ROOT);
}

void Relay(HWND h, TipState& s, const MSG& m) {
  if (!s.active) return;
  switch (m.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      // A click puts the tip away until the mouse moves to another tool.
      KillTimer(h, kShowTimer);
      Hide(h, s);
      s.suppressed = true;
      return;
    case WM_MOUSEMOVE:
      break;
    default:
      return;
  }
  const int tool = ToolAt(s, m.hwnd, POINT{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)});
  if (tool == s.current) return;
  const bool was_shown = s.shown;
  s.current = tool;
  s.suppressed = false;
  Hide(h, s);
  KillTimer(h, kShowTimer);
  if (tool >= 0) SetTimer(h, kShowTimer, was_shown ? s.reshow : s.initial, nullptr);
}

void Paint(HWND h, HDC dc, TipState& s) {
  RECT r;
  GetClientRect(h, &r);
  FillSys(dc, r, COLOR_INFOBK);
  if (s.current < 0) return;
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  InflateRect(&r, -kPad, -kPad);
  const UINT fmt = (GetWindowLong(h, GWL_STYLE) & TTS_NOPREFIX) ? DT_NOPREFIX : 0;
  DrawText(dc, s.tools[static_cast<std::size_t>(s.current)].text.c_str(), -1, &r, DT_WORDBREAK | fmt);
  SelectObject(dc, old);
}

void Retire(HWND h, TipState& s, int index) {
  if (index < 0) return;
  if (s.current == index) {
    KillTimer(h, kShowTimer);
    Hide(h, s);
    s.current = -1;
  } else if (s.current > index) {
    --s.current;
  }
  s.tools.erase(s.tools.begin() + index);
}

LRESULT TooltipProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto s = Attach<TipState>(h);
    DefaultDelays(*s);
    SetWindowLong(h, GWL_STYLE,
                  static_cast<LONG>((GetWindowLong(h, GWL_STYLE) & ~WS_CHILD) | WS_POPUP | WS_BORDER));
    SetWindowLong(h, GWL_EXSTYLE,
                  GetWindowLong(h, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    return DefWindowProc(h, msg, wParam, lParam);
  }
  auto sp = Get<TipState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  TipState& s = *sp;
  LRESULT result = 0;
  if (HandleFont(h, s, msg, wParam, lParam, &result)) return result;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(h, dc, s);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      Hide(h, s);
      return 0;
    case WM_TIMER:
      KillTimer(h, wParam);
      if (wParam == kShowTimer) {
        if (s.active && !s.suppressed && s.current >= 0 && MayShow(h) &&
            CursorOnTool(s.tools[static_cast<std::size_t>(s.current)])) {
          Show(h, s);
        } else if (s.current >= 0 && !CursorOnTool(s.tools[static_cast<std::size_t>(s.current)])) {
          s.current = -1;
        }
      } else if (wParam == kHideTimer) {
        Hide(h, s);
        s.suppressed = true;
      }
      return 0;
    case TTM_ACTIVATE:
      s.active = wParam != 0;
      if (!s.active) {
        KillTimer(h, kShowTimer);
        Hide(h, s);
        s.current = -1;
      }
      return 0;
    case TTM_SETDELAYTIME: {
      const int ms = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      switch (wParam) {
        case TTDT_AUTOMATIC:
          if (ms < 0) {
            DefaultDelays(s);
          } else {
            s.initial = static_cast<UINT>(ms);
            s.autopop = s.initial * 10;
            s.reshow = std::max<UINT>(1, s.initial / 5);
          }
          break;
        case TTDT_INITIAL:
          s.initial = ms < 0 ? GetDoubleClickTime() : static_cast<UINT>(ms);
          break;
        case TTDT_AUTOPOP:
          s.autopop = ms < 0 ? GetDoubleClickTime() * 10 : static_cast<UINT>(ms);
          break;
        case TTDT_RESHOW:
          s.reshow = ms < 0 ? GetDoubleClickTime() / 5 : static_cast<UINT>(ms);
          break;
      }
      return 0;
    }
    case TTM_GETDELAYTIME:
      switch (wParam) {
        case TTDT_INITIAL:
          return s.initial;
        case TTDT_AUTOPOP:
          return s.autopop;
        case TTDT_RESHOW:
          return s.reshow;
      }
      return 0;
    case TTM_ADDTOOL: {
      const auto* ti = reinterpret_cast<const TOOLINFO*>(lParam);
      if (ti == nullptr) return FALSE;
      Retire(h, s, FindTool(s, ti->hwnd, ti->uId));
      Tool t;
      t.flags = ti->uFlags;
      t.hwnd = ti->hwnd;
      t.id = ti->uId;
      t.rect = ti->rect;
      t.text = TextOf(ti->lpszText);
      t.param = ti->lParam;
      s.tools.push_back(std::move(t));
      return TRUE;
    }
    case TTM_DELTOOL: {
      const auto* ti = reinterpret_cast<const TOOLINFO*>(lParam);
      if (ti != nullptr) Retire(h, s, FindTool(s, ti->hwnd, ti->uId));
      return 0;
    }
    case TTM_NEWTOOLRECT: {
      const auto* ti = reinterpret_cast<const TOOLINFO*>(lParam);
      const int i = ti != nullptr ? FindTool(s, ti->hwnd, ti->uId) : -1;
      if (i >= 0) s.tools[static_cast<std::size_t>(i)].rect = ti->rect;
      return 0;
    }
    case TTM_UPDATETIPTEXT: {
      const auto* ti = reinterpret_cast<const TOOLINFO*>(lParam);
      const int i = ti != nullptr ? FindTool(s, ti->hwnd, ti->uId) : -1;
      if (i < 0) return 0;
      s.tools[static_cast<std::size_t>(i)].text = TextOf(ti->lpszText);
      if (s.shown && i == s.current) Show(h, s);
      return 0;
    }
    case TTM_GETTOOLINFO: {
      auto* ti = reinterpret_cast<TOOLINFO*>(lParam);
      const int i = ti != nullptr ? FindTool(s, ti->hwnd, ti->uId) : -1;
      if (i < 0) return FALSE;
      const Tool& t = s.tools[static_cast<std::size_t>(i)];
      ti->uFlags = t.flags;
      ti->rect = t.rect;
      ti->lParam = t.param;
      return TRUE;
    }
    case TTM_GETTEXT: {
      // wParam: the room in the caller's lpszText.
      auto* ti = reinterpret_cast<TOOLINFO*>(lParam);
      const int i = ti != nullptr ? FindTool(s, ti->hwnd, ti->uId) : -1;
      if (i < 0 || ti->lpszText == nullptr || wParam == 0) return 0;
      const std::string& text = s.tools[static_cast<std::size_t>(i)].text;
      const std::size_t n = std::min(text.size(), static_cast<std::size_t>(wParam) - 1);
      std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), ti->lpszText);
      ti->lpszText[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case TTM_GETTOOLCOUNT:
      return static_cast<LRESULT>(s.tools.size());
    case TTM_RELAYEVENT:
      if (lParam != 0) Relay(h, s, *reinterpret_cast<const MSG*>(lParam));
      return 0;
    case TTM_POP:
      KillTimer(h, kShowTimer);
      Hide(h, s);
      return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterTooltipClass() {
  RegisterControlClass(TOOLTIPS_CLASS, TooltipProc, CS_GLOBALCLASS | CS_SAVEBITS);
}

}  // namespace controls
