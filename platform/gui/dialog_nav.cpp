// The keyboard interface of dialogs: tab order, groups, Enter and Esc,
// mnemonics, and IsDialogMessage that applies them.
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/gui/dialog_internal.h"
#include "platform/gui/gdi_internal.h"
#include "platform/gui/user.h"

namespace {

DWORD StyleOf(HWND h) {
  return static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
}

bool Usable(HWND dialog, HWND h) {
  if (h == nullptr || !IsWindow(h)) return false;
  for (HWND w = h; w != nullptr && w != dialog; w = GetParent(w)) {
    const DWORD style = StyleOf(w);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
  }
  return true;
}

// The items of a dialog in tab order: its children in order, with the
// children of control parents (pages) in place of the parent.
void Collect(HWND parent, std::vector<HWND>* out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetWindowLong(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
      const DWORD style = StyleOf(c);
      if ((style & WS_VISIBLE) && !(style & WS_DISABLED)) Collect(c, out);
    } else {
      out->push_back(c);
    }
  }
}

std::vector<HWND> Items(HWND dialog) {
  std::vector<HWND> items;
  Collect(dialog, &items);
  return items;
}

int IndexOf(const std::vector<HWND>& list, HWND h) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == h) return static_cast<int>(i);
  }
  return -1;
}

void Command(HWND dialog, int id, HWND control) {
  SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool PressEnter(HWND dialog) {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(dialog, focus) && (DialogCode(focus, nullptr) & DLGC_DEFPUSHBUTTON)) {
    if (IsWindowEnabled(focus)) Command(dialog, GetDlgCtrlID(focus), focus);
    return true;
  }
  const LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(static_cast<DWORD_PTR>(def)) == DC_HASDEFID) {
    const int id = LOWORD(static_cast<DWORD_PTR>(def));
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr || IsWindowEnabled(button)) Command(dialog, id, button);
  } else {
    Command(dialog, IDOK, GetDlgItem(dialog, IDOK));
  }
  return true;
}

bool MoveInGroup(HWND dialog, const MSG* msg) {
  HWND from = msg->hwnd;
  const bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
  HWND next = GetNextDlgGroupItem(dialog, from, back ? TRUE : FALSE);
  if (next == nullptr || next == from) return true;
  if (DialogCode(next, msg) & DLGC_RADIOBUTTON) {
    DialogSetFocus(dialog, next);
    // An automatic radio button is chosen by moving onto it.
    if ((StyleOf(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
        SendMessage(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
      SendMessage(next, BM_CLICK, 0, 0);
  } else {
    SendMessage(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  }
  return true;
}

bool KeyDown(HWND dialog, const MSG* msg) {
  const LRESULT code = DialogCode(msg->hwnd, msg);
  if (code & DLGC_WANTMESSAGE) return false;
  switch (msg->wParam) {
    case VK_TAB:
      if (code & DLGC_WANTTAB) return false;
      SendMessage(dialog, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
      return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (code & DLGC_WANTARROWS) return false;
      return MoveInGroup(dialog, msg);
    case VK_RETURN:
      return PressEnter(dialog);
    case VK_ESCAPE:
      SendMessage(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return true;
  }
  return false;
}

// The item whose underlined letter is c, searched from the one after the
// focus; acts on it as a click or a focus move would. False when none has it.
bool Mnemonic(HWND dialog, int c) {
  c = std::toupper(c);
  if (c == 0) return false;
  const std::vector<HWND> items = Items(dialog);
  const int n = static_cast<int>(items.size());
  const int start = IndexOf(items, GetFocus());
  for (int k = 1; k <= n; ++k) {
    const int i = ((start + k) % n + n) % n;
    HWND item = items[static_cast<std::size_t>(i)];
    if (!Usable(dialog, item)) continue;
    const LRESULT code = DialogCode(item, nullptr);
    if ((code & DLGC_STATIC) && (StyleOf(item) & SS_NOPREFIX)) continue;
    char text[256];
    GetWindowText(item, text, sizeof text);
    if (MnemonicOf(text) != c) continue;
    if (code & DLGC_STATIC) {
      // A label brings the focus to the field after it.
      for (int j = i + 1; j < n; ++j) {
        HWND field = items[static_cast<std::size_t>(j)];
        if (Usable(dialog, field) && !(DialogCode(field, nullptr) & DLGC_STATIC)) {
          DialogSetFocus(dialog, field);
          break;
        }
      }
    } else if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
      SendMessage(item, BM_CLICK, 0, 0);
    } else if (code & (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
      DialogSetFocus(dialog, item);
      SendMessage(item, BM_CLICK, 0, 0);
    } else {
      DialogSetFocus(dialog, item);
    }
    return true;
  }
  return false;
}

bool Char(HWND dialog, const MSG* msg) {
  const LRESULT code = DialogCode(msg->hwnd, msg);
  if (msg->message == WM_CHAR && (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE))) return false;
  if (msg->message == WM_CHAR && msg->wParam == '\t' && !(code & DLGC_WANTTAB)) return true;
  return Mnemonic(dialog, static_cast<int>(msg->wParam & 0xFF));
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND ctl, BOOL previous) {
  if (dialog == nullptr || !IsWindow(dialog)) return nullptr;
  const std::vector<HWND> items = Items(dialog);
  const int n = static_cast<int>(items.size());
  if (n == 0) return nullptr;
  int at = IndexOf(items, ctl);
  if (at < 0) at = previous ? n : -1;
  const int step = previous ? -1 : 1;
  for (int k = 1; k <= n; ++k) {
    HWND h = items[static_cast<std::size_t>(((at + step * k) % n + n) % n)];
    if ((StyleOf(h) & WS_TABSTOP) && Usable(dialog, h)) return h;
  }
  return IndexOf(items, ctl) >= 0 ? ctl : nullptr;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND ctl, BOOL previous) {
  if (dialog == nullptr || !IsWindow(dialog)) return nullptr;
  if (ctl == nullptr || !IsChild(dialog, ctl)) ctl = GetWindow(dialog, GW_CHILD);
  if (ctl == nullptr) return nullptr;
  std::vector<HWND> siblings;
  for (HWND c = GetWindow(GetParent(ctl), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
    siblings.push_back(c);
  const int at = IndexOf(siblings, ctl);
  if (at < 0) return ctl;
  int first = at;
  while (first > 0 && !(StyleOf(siblings[static_cast<std::size_t>(first)]) & WS_GROUP)) --first;
  int end = at + 1;
  while (end < static_cast<int>(siblings.size()) &&
         !(StyleOf(siblings[static_cast<std::size_t>(end)]) & WS_GROUP))
    ++end;
  const int size = end - first;
  const int step = previous ? -1 : 1;
  for (int k = 1; k < size; ++k) {
    const int i = first + (((at - first) + step * k) % size + size) % size;
    HWND h = siblings[static_cast<std::size_t>(i)];
    if (Usable(dialog, h)) return h;
  }
  return ctl;
}

BOOL IsDialogMessage(HWND dialog, const MSG* msg) {
  if (msg == nullptr || dialog == nullptr || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  HWND before = GetFocus();
  bool handled = false;
  switch (msg->message) {
    case WM_KEYDOWN:
      handled = KeyDown(dialog, msg);
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      handled = Char(dialog, msg);
      break;
  }
  if (!handled) {
    TranslateMessage(msg);
    DispatchMessage(msg);
  }
  if (IsWindow(dialog)) {
    HWND after = GetFocus();
    if (after != before && after != nullptr && IsChild(dialog, after)) UpdateDefaultLook(dialog, after);
  }
  return TRUE;
}

bool IsControlParentMessage(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr || !IsWindow(msg->hwnd)) return false;
  if (msg->message != WM_KEYDOWN || msg->wParam != VK_TAB) return false;
  HWND root = GetAncestor(msg->hwnd, GA_ROOT);
  if (root == nullptr || root == msg->hwnd || !(GetWindowLong(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return false;
  char cls[32] = "";
  if (GetClassName(root, cls, sizeof cls) > 0 && std::strcmp(cls, WC_DIALOG) == 0) return false;
  if (DialogCode(msg->hwnd, msg) & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) return false;
  HWND next = GetNextDlgTabItem(root, GetFocus(), (GetKeyState(VK_SHIFT) & 0x8000) ? TRUE : FALSE);
  if (next == nullptr) return false;
  SetFocus(next);
  if (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessage(next, EM_SETSEL, 0, -1);
  return true;
}
