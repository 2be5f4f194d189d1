// Dialogs: creation from templates, the dialog window procedure, modal
// dialogs and the item helpers. The keyboard interface is in dialog_nav.cpp.
#include "platform/gui/dialog.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/core/message_queue.h"
#include "platform/gui/backend.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialog_internal.h"
#include "platform/gui/gdi.h"
#include "platform/gui/menu.h"
#include "platform/gui/modal.h"
#include "platform/gui/resource.h"
#include "platform/gui/user.h"
#include "platform/gui/window_internal.h"

namespace {

struct Registry {
  std::mutex lock;
  std::map<HWND, std::shared_ptr<DialogState>> dialogs;
};

Registry& R() {
  static Registry* r = new Registry();
  return *r;
}

// The state of the dialog being created on this thread, until its window
// exists and takes it on WM_NCCREATE.
thread_local std::shared_ptr<DialogState> t_creating;

int Scale(int v, int base, int div) {
  return static_cast<int>((static_cast<long long>(v) * base + (v >= 0 ? div / 2 : -(div / 2))) / div);
}

// Dialog base units of a font: the average width of the letters and the
// character height.
void BaseUnitsOf(HFONT font, int* bx, int* by) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32(dc, kLetters, 52, &size);
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  *bx = std::max<int>(1, (size.cx / 26 + 1) / 2);
  *by = std::max<int>(1, tm.tmHeight);
}

bool ReturnsDirectly(UINT msg) {
  return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_INITDIALOG ||
         msg == 0x0039 /* WM_COMPAREITEM */ || msg == 0x002E /* WM_VKEYTOITEM */ ||
         msg == 0x002F /* WM_CHARTOITEM */ || msg == 0x0037 /* WM_QUERYDRAGICON */;
}

// Whether h may hold the focus of its dialog now: it lives, is enabled and
// is shown inside the dialog (the dialog itself may still be hidden).
bool CanTakeFocus(HWND dialog, HWND h) {
  if (h == nullptr || !IsWindow(h) || !IsChild(dialog, h)) return false;
  for (HWND w = h; w != nullptr && w != dialog; w = GetParent(w)) {
    const DWORD style = static_cast<DWORD>(GetWindowLong(w, GWL_STYLE));
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
  }
  return true;
}

void RestoreFocus(HWND dialog) {
  std::shared_ptr<DialogState> s = DialogStateOf(dialog);
  if (!s) return;
  HWND target = s->saved_focus;
  if (!CanTakeFocus(dialog, target)) target = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (CanTakeFocus(dialog, target)) DialogSetFocus(dialog, target);
}

void SaveFocus(HWND dialog) {
  std::shared_ptr<DialogState> s = DialogStateOf(dialog);
  HWND f = GetFocus();
  if (s && f != nullptr && IsChild(dialog, f)) s->saved_focus = f;
}

void CentreOn(const RECT& area, RECT* r) {
  const int w = r->right - r->left, h = r->bottom - r->top;
  r->left = area.left + (area.right - area.left - w) / 2;
  r->top = area.top + (area.bottom - area.top - h) / 2;
  r->right = r->left + w;
  r->bottom = r->top + h;
}

void RegisterDialogClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc;
    wc.style = CS_DBLCLKS | CS_SAVEBITS | CS_GLOBALCLASS;
    wc.lpfnWndProc = DefDlgProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_DIALOG;
    RegisterClass(&wc);
  });
}

}  // namespace

std::shared_ptr<DialogState> DialogStateOf(HWND dialog) {
  std::lock_guard<std::mutex> hold(R().lock);
  auto it = R().dialogs.find(dialog);
  return it != R().dialogs.end() ? it->second : nullptr;
}

LRESULT DialogCode(HWND h, const MSG* msg) {
  return h != nullptr
             ? SendMessage(h, WM_GETDLGCODE, msg != nullptr ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg))
             : 0;
}

void DialogSetFocus(HWND dialog, HWND target) {
  HWND before = GetFocus();
  // An edit field shows its whole text selected when the keyboard brings it.
  if (DialogCode(target, nullptr) & DLGC_HASSETSEL) SendMessage(target, EM_SETSEL, 0, -1);
  SetFocus(target);
  if (GetFocus() != before) UpdateDefaultLook(dialog, GetFocus());
}

HWND FindDefaultLookButton(HWND dialog) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (DialogCode(c, nullptr) & DLGC_DEFPUSHBUTTON) return c;
  }
  return nullptr;
}

void UpdateDefaultLook(HWND dialog, HWND focus) {
  if (focus == nullptr || !IsChild(dialog, focus)) return;
  // Only a push button of the dialog itself takes the look, not one of a page.
  const bool own = GetParent(focus) == dialog;
  HWND want = nullptr;
  if (own && (DialogCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    want = focus;
  } else {
    const LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(static_cast<DWORD_PTR>(def)) == DC_HASDEFID) {
      HWND d = GetDlgItem(dialog, LOWORD(static_cast<DWORD_PTR>(def)));
      if (DialogCode(d, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) want = d;
    }
  }
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c != want && (DialogCode(c, nullptr) & DLGC_DEFPUSHBUTTON))
      SendMessage(c, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  if (want != nullptr && (DialogCode(want, nullptr) & DLGC_UNDEFPUSHBUTTON))
    SendMessage(want, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// ---- The dialog window procedure ----

LRESULT DefDlgProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    std::shared_ptr<DialogState> s = std::move(t_creating);
    if (!s) s = std::make_shared<DialogState>();
    std::lock_guard<std::mutex> hold(R().lock);
    R().dialogs[h] = std::move(s);
  }
  if (auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtr(h, DWLP_DLGPROC))) {
    SetWindowLongPtr(h, DWLP_MSGRESULT, 0);
    const LONG_PTR r = proc(h, msg, wParam, lParam);
    if (ReturnsDirectly(msg)) {
      if (r != 0 || msg == WM_INITDIALOG) return r;
    } else if (r != 0) {
      return IsWindow(h) ? GetWindowLongPtr(h, DWLP_MSGRESULT) : 0;
    }
    if (!IsWindow(h)) return 0;
  }
  switch (msg) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      HBRUSH brush =
          reinterpret_cast<HBRUSH>(SendMessage(h, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(h)));
      if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, brush);
      return 1;
    }
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(h);
      return DefWindowProc(h, msg, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        SaveFocus(h);
      } else if (!HIWORD(wParam)) {
        RestoreFocus(h);
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(h);
      return 0;
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(h, IDCANCEL);
      if (cancel == nullptr || IsWindowEnabled(cancel))
        PostMessage(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case DM_GETDEFID: {
      std::shared_ptr<DialogState> s = DialogStateOf(h);
      if (s && s->def_id != 0) return MAKELRESULT(s->def_id, DC_HASDEFID);
      if (HWND b = FindDefaultLookButton(h)) return MAKELRESULT(GetDlgCtrlID(b), DC_HASDEFID);
      return 0;
    }
    case DM_SETDEFID: {
      std::shared_ptr<DialogState> s = DialogStateOf(h);
      if (!s) return FALSE;
      HWND old = FindDefaultLookButton(h);
      HWND now = GetDlgItem(h, static_cast<int>(wParam));
      if (old != nullptr && old != now) SendMessage(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      s->def_id = static_cast<int>(wParam);
      if (now != nullptr && (DialogCode(now, nullptr) & DLGC_UNDEFPUSHBUTTON))
        SendMessage(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      return TRUE;
    }
    case DM_REPOSITION:
      if (!(GetWindowLong(h, GWL_STYLE) & WS_CHILD)) {
        RECT r;
        GetWindowRect(h, &r);
        const DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
        const DWORD ex = static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE));
        {
          std::lock_guard<std::mutex> hold(TreeLock());
          r = PlaceOwnedLocked(r, style, ex, nullptr);
        }
        SetWindowPos(h, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_NEXTDLGCTL: {
      HWND target;
      if (lParam) {
        target = reinterpret_cast<HWND>(wParam);
      } else {
        HWND f = GetFocus();
        target = GetNextDlgTabItem(h, IsChild(h, f) ? f : nullptr, wParam != 0);
      }
      if (CanTakeFocus(h, target)) DialogSetFocus(h, target);
      return 0;
    }
    case WM_SETFONT: {
      std::shared_ptr<DialogState> s = DialogStateOf(h);
      if (s) {
        if (s->own_font && s->font != nullptr && s->font != reinterpret_cast<HFONT>(wParam)) {
          DeleteObject(s->font);
          s->own_font = false;
        }
        s->font = reinterpret_cast<HFONT>(wParam);
      }
      return 0;
    }
    case WM_GETFONT: {
      std::shared_ptr<DialogState> s = DialogStateOf(h);
      return s ? reinterpret_cast<LRESULT>(s->font) : 0;
    }
    case WM_NCDESTROY: {
      std::shared_ptr<DialogState> s;
      {
        std::lock_guard<std::mutex> hold(R().lock);
        auto it = R().dialogs.find(h);
        if (it != R().dialogs.end()) {
          s = it->second;
          R().dialogs.erase(it);
        }
      }
      if (s && s->own_font && s->font != nullptr) DeleteObject(s->font);
      if (s) {
        s->font = nullptr;
        s->ended = true;
      }
      return DefWindowProc(h, msg, wParam, lParam);
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

// ---- Creation ----

HWND CreateDialogIndirectParam(HINSTANCE instance, const DialogTemplate* tpl, HWND parent, DLGPROC proc,
                               LPARAM param) {
  if (tpl == nullptr) return nullptr;
  RegisterDialogClass();
  DWORD style = tpl->style;
  DWORD ex = tpl->exStyle;
  if (style & DS_CONTROL) {
    style &= ~(WS_CAPTION | WS_SYSMENU);
    ex |= WS_EX_CONTROLPARENT;
  }
  if (style & DS_MODALFRAME) ex |= WS_EX_DLGMODALFRAME;
  if (style & DS_SYSMODAL) ex |= WS_EX_TOPMOST;
  if ((style & WS_CHILD) && (parent == nullptr || !IsWindow(parent))) return nullptr;

  auto state = std::make_shared<DialogState>();
  HFONT font = nullptr;
  if ((style & DS_SETFONT) && !tpl->font.empty()) {
    const int height = -Scale(tpl->pointSize, 96, 72);
    font = CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, tpl->font.c_str());
    state->own_font = font != nullptr;
  }
  if (font == nullptr) font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  state->font = font;
  BaseUnitsOf(font, &state->base_x, &state->base_y);
  const int bx = state->base_x, by = state->base_y;

  HMENU menu = nullptr;
  if (tpl->menu != 0 && !(style & WS_CHILD)) menu = LoadMenu(instance, MAKEINTRESOURCE(tpl->menu));

  RECT r{0, 0, Scale(tpl->cx, bx, 4), Scale(tpl->cy, by, 8)};
  AdjustWindowRectEx(&r, style, menu != nullptr, ex);
  OffsetRect(&r, -r.left, -r.top);
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    OffsetRect(&r, Scale(tpl->x, bx, 4), Scale(tpl->y, by, 8));
  } else {
    owner = parent != nullptr && IsWindow(parent) ? GetAncestor(parent, GA_ROOT) : nullptr;
    if (style & DS_CENTER) {
      CentreOn(Backend().WorkArea(), &r);
    } else {
      POINT org{Scale(tpl->x, bx, 4), Scale(tpl->y, by, 8)};
      if (owner != nullptr && !(style & DS_ABSALIGN)) ClientToScreen(owner, &org);
      OffsetRect(&r, org.x, org.y);
    }
    std::lock_guard<std::mutex> hold(TreeLock());
    r = PlaceOwnedLocked(r, style, ex, owner);
  }

  const char* cls = tpl->className.empty() ? WC_DIALOG : tpl->className.c_str();
  t_creating = state;
  HWND dlg =
      CreateWindowEx(ex, cls, tpl->caption.c_str(), style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, (style & WS_CHILD) ? parent : owner, menu, instance, nullptr);
  t_creating.reset();
  if (dlg == nullptr) {
    if (state->own_font) DeleteObject(font);
    state->own_font = false;
    if (menu != nullptr) DestroyMenu(menu);
    return nullptr;
  }
  if (DialogStateOf(dlg) != state) {
    // A class of its own that did not pass WM_NCCREATE on: it cannot be a dialog.
    DestroyWindow(dlg);
    if (state->own_font) DeleteObject(font);
    return nullptr;
  }
  SetWindowLongPtr(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (proc != nullptr) SendMessage(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  for (const DialogItemTemplate& item : tpl->items) {
    const DWORD item_style = item.style | WS_CHILD;
    HWND c = CreateWindowEx(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className, item.text, item_style,
                            Scale(item.x, bx, 4), Scale(item.y, by, 8), Scale(item.cx, bx, 4),
                            Scale(item.cy, by, 8), dlg,
                            reinterpret_cast<HMENU>(static_cast<std::intptr_t>(item.id)), instance, nullptr);
    if (!IsWindow(dlg)) return nullptr;
    if (c == nullptr) {
      if (style & DS_NOFAILCREATE) continue;
      DestroyWindow(dlg);
      return nullptr;
    }
    SendMessage(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (DialogCode(c, nullptr) & DLGC_DEFPUSHBUTTON) state->def_id = item.id;
  }

  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  const LRESULT focus_it = SendMessage(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg)) return nullptr;
  if (focus_it) {
    state->saved_focus = first;
  } else if (IsChild(dlg, GetFocus())) {
    state->saved_focus = GetFocus();
  }
  if (style & WS_VISIBLE) {
    ShowWindow(dlg, SW_SHOWNORMAL);
    if (style & WS_CHILD) {
      UpdateWindow(dlg);
    } else if (IsWindow(dlg) && GetActiveWindow() == dlg && !IsChild(dlg, GetFocus())) {
      RestoreFocus(dlg);
    }
  }
  return IsWindow(dlg) ? dlg : nullptr;
}

HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  return CreateDialogIndirectParam(instance, FindDialogResource(ResourceNumber(name)), parent, proc, param);
}

LONG_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate* tpl, HWND parent, DLGPROC proc,
                                LPARAM param) {
  if (tpl == nullptr) return -1;
  HWND owner = parent != nullptr && IsWindow(parent) ? GetAncestor(parent, GA_ROOT) : nullptr;
  HWND dlg = CreateDialogIndirectParam(instance, tpl, owner, proc, param);
  if (dlg == nullptr) return -1;
  std::shared_ptr<DialogState> state = DialogStateOf(dlg);
  if (!state) return -1;
  state->modal = true;
  std::optional<ModalWindowScope> modal_scope(std::in_place, dlg);
  state->owner_disabled = owner != nullptr && IsWindowEnabled(owner) && !state->ended;
  if (state->owner_disabled) EnableWindow(owner, FALSE);
  if (!state->ended && IsWindow(dlg) && !IsWindowVisible(dlg)) {
    ShowWindow(dlg, SW_SHOWNORMAL);
    if (IsWindow(dlg) && !IsChild(dlg, GetFocus())) RestoreFocus(dlg);
  }
  const bool idle_messages = !(tpl->style & DS_NOIDLEMSG);
  HWND idle_target = owner != nullptr ? owner : dlg;
  RunModalLoop(
      dlg, [&] { return state->ended || !IsWindow(dlg); },
      [&](const MSG& m) { return IsDialogMessage(dlg, &m) != FALSE || IsControlParentMessage(&m); },
      [&] {
        // Nobody answers: cancel as Esc would.
        if (IsWindow(dlg))
          SendMessage(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
      },
      [&](int count) {
        if (!idle_messages || !IsWindow(idle_target)) return false;
        return SendMessage(idle_target, WM_ENTERIDLE, MAKEWPARAM(MSGF_DIALOGBOX, std::min(count, 0xFFFF)),
                           reinterpret_cast<LPARAM>(dlg)) != 0;
      });
  const LONG_PTR result = state->ended ? state->result : IDCANCEL;
  if (state->owner_disabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  state->owner_disabled = false;
  modal_scope.reset();
  if (IsWindow(dlg)) DestroyWindow(dlg);
  if (owner != nullptr && IsWindow(owner) && IsWindowVisible(owner) && GetActiveWindow() != owner)
    SetActiveWindow(owner);
  return result;
}

LONG_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  return DialogBoxIndirectParam(instance, FindDialogResource(ResourceNumber(name)), parent, proc, param);
}

BOOL EndDialog(HWND dialog, LONG_PTR result) {
  std::shared_ptr<DialogState> s = DialogStateOf(dialog);
  if (!s) return FALSE;
  s->ended = true;
  s->result = result;
  // The owner takes the activation back before the dialog goes.
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (s->owner_disabled && owner != nullptr) {
    EnableWindow(owner, TRUE);
    s->owner_disabled = false;
  }
  if (s->modal) ShowWindow(dialog, SW_HIDE);
  PostMessage(dialog, WM_NULL, 0, 0);
  return TRUE;
}

// ---- Units ----

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  std::shared_ptr<DialogState> s = DialogStateOf(dialog);
  if (!s || rect == nullptr) return FALSE;
  rect->left = Scale(rect->left, s->base_x, 4);
  rect->right = Scale(rect->right, s->base_x, 4);
  rect->top = Scale(rect->top, s->base_y, 8);
  rect->bottom = Scale(rect->bottom, s->base_y, 8);
  return TRUE;
}

LONG GetDialogBaseUnits() {
  static const LONG units = [] {
    int bx, by;
    BaseUnitsOf(reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), &bx, &by);
    return static_cast<LONG>(MAKELONG(static_cast<WORD>(bx), static_cast<WORD>(by)));
  }();
  return units;
}

// ---- Items ----

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  } else {
    std::snprintf(text, sizeof text, "%u", value);
  }
  return SetDlgItemText(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated != nullptr) *translated = FALSE;
  char text[64];
  if (GetDlgItem(dialog, id) == nullptr) return 0;
  GetDlgItemText(dialog, id, text, sizeof text);
  const char* p = text;
  while (*p == ' ') ++p;
  bool negative = false;
  if (*p == '-' && isSigned) {
    negative = true;
    ++p;
  } else if (*p == '+') {
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  long long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p - '0');
    if (v > 0xFFFFFFFFLL) return 0;
    ++p;
  }
  if (negative) v = -v;
  if (isSigned ? (v < INT_MIN || v > INT_MAX) : v > 0xFFFFFFFFLL) return 0;
  if (translated != nullptr) *translated = TRUE;
  return static_cast<UINT>(v);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND b = GetDlgItem(dialog, id);
  if (b == nullptr) return FALSE;
  SendMessage(b, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND b = GetDlgItem(dialog, id);
  return b != nullptr ? static_cast<UINT>(SendMessage(b, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (first > last) std::swap(first, last);
  bool found = false;
  for (int id = first; id <= last; ++id) {
    HWND b = GetDlgItem(dialog, id);
    if (b == nullptr) continue;
    SendMessage(b, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    found = found || id == check;
  }
  return found ? TRUE : FALSE;
}
