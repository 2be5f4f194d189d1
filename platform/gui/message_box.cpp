#include "platform/gui/message_box.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/backend.h"
#include "platform/gui/controls.h"
#include "platform/gui/gdi_internal.h"
#include "platform/gui/modal.h"
#include "platform/gui/user.h"
#include "platform/gui/window_internal.h"

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
// Beside a caption: the desktop's window icon and three title-bar buttons.
constexpr int kCaptionRoom = 120;

struct BoxState {
  UINT flags = 0;
  int result = 0;
  bool done = false;
  std::vector<HWND> buttons;
  int default_index = 0;
  int cancel_id = 0;  // 0: Esc and the close box do nothing
  int icon = 0;       // system icon number, or 0
};

BoxState* StateOf(HWND box) {
  return reinterpret_cast<BoxState*>(GetWindowLongPtr(box, 0));
}

struct ButtonSpec {
  int id;
  const char* text;
};

std::vector<ButtonSpec> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

int IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return 32513;
    case MB_ICONQUESTION:
      return 32514;
    case MB_ICONEXCLAMATION:
      return 32515;
    case MB_ICONASTERISK:
      return 32516;
  }
  return 0;
}

void Finish(HWND box, int id) {
  BoxState* s = StateOf(box);
  if (s == nullptr || s->done) return;
  s->result = id;
  s->done = true;
}

int FocusedButton(HWND box) {
  BoxState* s = StateOf(box);
  HWND f = GetFocus();
  for (std::size_t i = 0; i < s->buttons.size(); ++i) {
    if (s->buttons[i] == f) return static_cast<int>(i);
  }
  return -1;
}

// The focused button carries the default frame, as in a dialog.
void FocusButton(HWND box, int index) {
  BoxState* s = StateOf(box);
  const int n = static_cast<int>(s->buttons.size());
  if (n == 0) return;
  index = ((index % n) + n) % n;
  for (int i = 0; i < n; ++i) {
    SendMessage(s->buttons[static_cast<std::size_t>(i)], BM_SETSTYLE,
                i == index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
  SetFocus(s->buttons[static_cast<std::size_t>(index)]);
}

LRESULT BoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  BoxState* s = StateOf(h);
  switch (msg) {
    case WM_COMMAND:
      if (s != nullptr && HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        if (id == IDHELP) {
          if (HWND owner = GetWindow(h, GW_OWNER)) SendMessage(owner, WM_HELP, 0, 0);
        } else {
          Finish(h, id);
        }
      }
      return 0;
    case WM_CLOSE:
      if (s != nullptr && s->cancel_id != 0) Finish(h, s->cancel_id);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      if (s != nullptr && s->icon != 0) PaintSystemIcon(dc, kMargin, kMargin, s->icon);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      if (s != nullptr && !s->buttons.empty()) FocusButton(h, s->default_index);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

// Keyboard handling of the box, before the focused button sees the key.
bool PreTranslate(HWND box, const MSG& m) {
  if (m.hwnd != box && !IsChild(box, m.hwnd)) return false;
  BoxState* s = StateOf(box);
  if (m.message == WM_KEYDOWN) {
    switch (m.wParam) {
      case VK_RETURN: {
        const int f = FocusedButton(box);
        const int i = f >= 0 ? f : s->default_index;
        SendMessage(s->buttons[static_cast<std::size_t>(i)], BM_CLICK, 0, 0);
        return true;
      }
      case VK_ESCAPE:
        if (s->cancel_id != 0) Finish(box, s->cancel_id);
        return true;
      case VK_TAB:
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: {
        const bool back = m.wParam == VK_LEFT || m.wParam == VK_UP ||
                          (m.wParam == VK_TAB && (GetKeyState(VK_SHIFT) & 0x8000));
        const int f = std::max(FocusedButton(box), 0);
        FocusButton(box, f + (back ? -1 : 1));
        return true;
      }
    }
    return false;
  }
  if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
    const int c = std::toupper(static_cast<int>(m.wParam));
    for (HWND b : s->buttons) {
      char text[64];
      GetWindowText(b, text, sizeof text);
      if (c != 0 && MnemonicOf(text) == c) {
        SendMessage(b, BM_CLICK, 0, 0);
        return true;
      }
    }
    return m.message == WM_CHAR;
  }
  return false;
}

}  // namespace

void RegisterMessageBoxClass() {
  WNDCLASS wc;
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = BoxProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = WC_MESSAGEBOX;
  RegisterClass(&wc);
}

UINT GetMessageBoxFlags(HWND box) {
  char name[64];
  if (GetClassName(box, name, sizeof name) == 0 || std::string(name) != WC_MESSAGEBOX) return 0;
  BoxState* s = StateOf(box);
  return s != nullptr ? s->flags : 0;
}

int MessageBoxEx(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD) {
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "Error";
  if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
  HWND root = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
  if (root != nullptr && !IsWindowEnabled(root)) {
    // A window held by a modal dialog: the box is modal to that dialog,
    // which the user was working in.
    HWND popup = GetLastActivePopup(root);
    if (popup != nullptr && popup != root && IsWindowVisible(popup) && IsWindowEnabled(popup)) root = popup;
  }
  BoxState state;
  state.flags = type;
  state.icon = IconOf(type);
  std::vector<ButtonSpec> specs = ButtonsOf(type);
  if (type & MB_HELP) specs.push_back({IDHELP, "Help"});
  const UINT kind = type & MB_TYPEMASK;
  for (const ButtonSpec& b : specs) {
    if (b.id == IDCANCEL) state.cancel_id = IDCANCEL;
  }
  if (kind == MB_OK) state.cancel_id = IDOK;
  const int buttons = static_cast<int>(specs.size()) - ((type & MB_HELP) ? 1 : 0);
  state.default_index = std::min(static_cast<int>((type & MB_DEFMASK) >> 8), std::max(buttons - 1, 0));

  // Measure the text with the box's font.
  HFONT font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  RECT tr{0, 0, std::max(200, screen_w * 3 / 8), 0};
  DrawText(screen, text, -1, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  // The desktop draws the caption, in a bold face beside its icon and its
  // buttons: the box is wide enough for all of them, so no caption is cut.
  HFONT bold = CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  SelectObject(screen, bold);
  SIZE cap{};
  GetTextExtentPoint32(screen, caption, static_cast<int>(std::strlen(caption)), &cap);
  SelectObject(screen, old);
  DeleteObject(bold);
  ReleaseDC(nullptr, screen);

  const int text_x = kMargin + (state.icon != 0 ? kIconSize + kMargin : 0);
  const int text_w = tr.right - tr.left, text_h = std::max<int>(tr.bottom - tr.top, 1);
  const int top_h = std::max(text_h, state.icon != 0 ? kIconSize : 0);
  const int text_y = kMargin + (state.icon != 0 && text_h < kIconSize ? (kIconSize - text_h) / 2 : 0);
  const int row_w =
      static_cast<int>(specs.size()) * kButtonWidth + (static_cast<int>(specs.size()) - 1) * kButtonGap;
  const int client_w =
      std::max({text_x + text_w + kMargin, row_w + 2 * kMargin, static_cast<int>(cap.cx) + kCaptionRoom});
  const int button_y = kMargin + top_h + 16;
  const int client_h = button_y + kButtonHeight + kMargin;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  DWORD ex = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  if (type & (MB_TOPMOST | MB_SYSTEMMODAL)) ex |= WS_EX_TOPMOST;
  RECT wr{0, 0, client_w, client_h};
  AdjustWindowRectEx(&wr, style, FALSE, ex);
  const int ww = wr.right - wr.left, wh = wr.bottom - wr.top;
  RECT centre = Backend().Screen();
  if (root != nullptr && IsWindowVisible(root) && !IsIconic(root)) GetWindowRect(root, &centre);
  // Centred on its owner, yet whole on the desk.
  const RECT desk = Backend().Screen();
  const int x = std::max<int>(desk.left, std::min<int>(centre.left + (centre.right - centre.left - ww) / 2,
                                                         desk.right - ww));
  const int y = std::max<int>(desk.top, std::min<int>(centre.top + (centre.bottom - centre.top - wh) / 2,
                                                        desk.bottom - wh));

  HWND box = CreateWindowEx(ex, WC_MESSAGEBOX, caption, style, x, y, ww, wh, root, nullptr, nullptr, nullptr);
  if (box == nullptr) return 0;
  SetWindowLongPtr(box, 0, reinterpret_cast<LONG_PTR>(&state));
  HWND label = CreateWindowEx(
      0, WC_STATIC, text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, text_x, text_y, text_w, text_h, box,
      reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kMessageBoxTextId)), nullptr, nullptr);
  SendMessage(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  int bx = (client_w - row_w) / 2;
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const DWORD bs = static_cast<int>(i) == state.default_index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    HWND b =
        CreateWindowEx(0, WC_BUTTON, specs[i].text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | bs, bx, button_y,
                       kButtonWidth, kButtonHeight, box,
                       reinterpret_cast<HMENU>(static_cast<std::intptr_t>(specs[i].id)), nullptr, nullptr);
    SendMessage(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    state.buttons.push_back(b);
    bx += kButtonWidth + kButtonGap;
  }
  // Modal to the owner: it takes no input while the box is up.
  const bool owner_was_enabled = root != nullptr && IsWindowEnabled(root);
  if (owner_was_enabled) EnableWindow(root, FALSE);
  std::optional<ModalWindowScope> modal_scope(std::in_place, box);
  ShowWindow(box, SW_SHOW);
  FocusButton(box, state.default_index);

  // Unanswered (nobody at the display): the answer that changes nothing,
  // pressed on its button.
  int unattended = IDOK;
  switch (kind) {
    case MB_YESNO: unattended = IDNO; break;
    case MB_ABORTRETRYIGNORE: unattended = IDABORT; break;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: unattended = IDCANCEL; break;
  }
  RunModalLoop(
      box, [&] { return state.done || !IsWindow(box); }, [&](const MSG& m) { return PreTranslate(box, m); },
      [&] {
        if (HWND b = GetDlgItem(box, unattended)) SendMessage(b, BM_CLICK, 0, 0);
        if (!state.done) Finish(box, unattended);
      });
  // Enable the owner before the box goes, so that the activation returns to it.
  if (owner_was_enabled && IsWindow(root)) EnableWindow(root, TRUE);
  modal_scope.reset();
  if (IsWindow(box)) {
    SetWindowLongPtr(box, 0, 0);
    DestroyWindow(box);
  }
  if (root != nullptr && IsWindow(root) && GetActiveWindow() != root && IsWindowVisible(root))
    SetActiveWindow(root);
  return state.done ? state.result : (state.cancel_id != 0 ? state.cancel_id : IDOK);
}

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxEx(owner, text, caption, type, 0);
}
