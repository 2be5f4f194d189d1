// Driving modal dialogs as a user would: a script answers each modal window
// as it comes up (nested ones too), and the helpers type, click and press
// keys through the dialog's own keyboard handling.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"

namespace dialogtest {

// Answers each modal window that comes up with the next step, in order;
// windows beyond the script take their unattended answer.
class ModalScript {
 public:
  using Step = std::function<void(HWND)>;
  explicit ModalScript(std::deque<Step> steps) : steps_(std::move(steps)) {
    before_ = SetModalHook([this](HWND w) {
      ++shown;
      if (steps_.empty()) return;
      Step step = std::move(steps_.front());
      steps_.pop_front();
      step(w);
    });
  }
  ~ModalScript() { SetModalHook(before_); }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool done() const { return steps_.empty(); }
  int shown = 0;

 private:
  std::deque<Step> steps_;
  ModalHook before_;
};

// Runs what is queued with the dialog's keyboard interface (Tab, Enter, Esc),
// as the dialog's own loop would.
inline void Pump(HWND dialog) {
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
  GuiPumpMessages();
}

inline std::string Text(HWND window) {
  char text[1024] = {};
  GetWindowText(window, text, sizeof text);
  return text;
}

inline std::string ItemText(HWND dialog, int id) {
  return Text(GetDlgItem(dialog, id));
}

// The entry a drop-down list shows; empty when none is selected.
inline std::string ComboText(HWND dialog, int id) {
  const LRESULT at = SendDlgItemMessage(dialog, id, CB_GETCURSEL, 0, 0);
  if (at < 0) return {};
  char text[256] = {};
  SendDlgItemMessage(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
  return text;
}

// A click in the middle of the item.
inline void Click(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  RECT r{};
  GetClientRect(item, &r);
  GuiClick(item, r.right / 2, r.bottom / 2);
  Pump(dialog);
}

inline void Key(HWND dialog, int vk) {
  GuiPressKey(vk);
  Pump(dialog);
}

// Types text over what a number or text field holds.
inline void TypeOver(HWND dialog, int id, const char* text) {
  HWND edit = GetDlgItem(dialog, id);
  SetFocus(edit);
  SendMessage(edit, EM_SETSEL, 0, -1);
  GuiType(text);
  Pump(dialog);
}

// A double-click on a time field starts a fresh entry: the digits typed come
// in from the right. It counts once the field loses the focus (Tab).
inline void TypeTime(HWND dialog, int id, const char* digits) {
  HWND field = GetDlgItem(dialog, id);
  GuiClick(field, 4, 4);
  GuiClick(field, 4, 4);
  Pump(dialog);
  GuiType(digits);
  Pump(dialog);
}

inline bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

}  // namespace dialogtest
