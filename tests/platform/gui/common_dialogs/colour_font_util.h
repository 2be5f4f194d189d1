// Helpers of the colour and font chooser tests: acting on a running
// chooser through its real controls, as a user would.
#pragma once

#include <string>

#include "platform/gui/common_dialogs.h"
#include "platform/gui/dialogs/dialog_test_util.h"
#include "platform/gui/modal.h"

namespace colour_font {

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

inline std::string ItemText(HWND dlg, int id) {
  return TextOf(GetDlgItem(dlg, id));
}

inline bool Visible(HWND dlg, int id) {
  return IsWindowVisible(GetDlgItem(dlg, id)) != 0;
}

inline void Press(HWND dlg, int vk) {
  GuiPressKey(vk);
  PumpDialog(dlg);
}

inline void Click(HWND dlg, int id) {
  GuiClick(GetDlgItem(dlg, id), 3, 3);
  PumpDialog(dlg);
}

// Brings the keyboard to an edit as Tab does (its text selected) and types.
inline void TypeInto(HWND dlg, int id, const char* text) {
  SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, id)), TRUE);
  GuiType(text);
  PumpDialog(dlg);
}

// Clicks the item of a list box that shows text; false when none does.
inline bool ClickItem(HWND dlg, int list, const char* text) {
  HWND h = GetDlgItem(dlg, list);
  const LRESULT i =
      SendMessage(h, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  if (i == LB_ERR) return false;
  SendMessage(h, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
  RECT r;
  SendMessage(h, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
  GuiClick(h, r.left + 4, (r.top + r.bottom) / 2);
  PumpDialog(dlg);
  return true;
}

}  // namespace colour_font
