// Helpers of the file chooser tests: a small folder tree, and a user who
// drives the chooser through its real controls.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"
#include "support/test_env.h"

namespace file_chooser_test {

// root/
//   a.b/  Music/ (song.wav, notes.txt)  sub/  .git/
//   Alpha.avi  beta.wav  clip.WAV  doc.txt  readme  .hidden.wav
class Tree {
 public:
  Tree() {
    for (const char* d : {"a.b", "Music", "sub", ".git"}) mkdir(dir.File(d).c_str(), 0755);
    for (const char* f : {"Music/song.wav", "Music/notes.txt", "Alpha.avi", "beta.wav", "clip.WAV", "doc.txt",
                          "readme", ".hidden.wav"})
      std::ofstream(dir.File(f)) << "x";
  }
  std::string Path(const std::string& rel) const { return rel.empty() ? dir.path() : dir.File(rel); }
  TestFolder dir{"kobrix-chooser"};
};

inline std::string TextOf(HWND h) {
  char buf[1024] = {};
  GetWindowText(h, buf, sizeof buf);
  return buf;
}

inline std::string ItemOf(HWND dlg, int id) {
  return TextOf(GetDlgItem(dlg, id));
}

inline std::vector<std::string> ListTexts(HWND dlg) {
  HWND list = GetDlgItem(dlg, kChooserFileList);
  std::vector<std::string> out;
  const LRESULT n = SendMessage(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    char buf[512] = {};
    SendMessage(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    out.emplace_back(buf);
  }
  return out;
}

// Runs the pending messages with the chooser's keyboard interface.
inline void Pump(HWND dlg) {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    if (IsWindow(dlg) && IsDialogMessage(dlg, &m)) continue;
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
}

inline void Key(HWND dlg, int vk) {
  GuiPressKey(vk);
  Pump(dlg);
}

// A click (or two: a double click) in the middle of the list item with text.
inline bool ClickItem(HWND dlg, const std::string& text, int clicks = 1) {
  HWND list = GetDlgItem(dlg, kChooserFileList);
  const LRESULT i =
      SendMessage(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (i < 0) return false;
  RECT r;
  SendMessage(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
  for (int k = 0; k < clicks; ++k) GuiClick(list, 20, (r.top + r.bottom) / 2);
  Pump(dlg);
  return true;
}

// Types text into the name box over what it holds.
inline void TypeName(HWND dlg, const char* text) {
  HWND edit = GetDlgItem(dlg, kChooserFileName);
  SetFocus(edit);
  SendMessage(edit, EM_SETSEL, 0, -1);
  GuiPressKey(VK_DELETE);
  GuiType(text);
  Pump(dlg);
}

// Picks filter index (from 0) with the keyboard on the closed combo.
inline void ChooseFilter(HWND dlg, int index) {
  SetFocus(GetDlgItem(dlg, kChooserFilterCombo));
  Pump(dlg);
  Key(dlg, VK_HOME);
  for (int i = 0; i < index; ++i) Key(dlg, VK_DOWN);
}

inline void Press(HWND dlg, int id) {
  SendMessage(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
  Pump(dlg);
}

inline bool Open(HWND dlg) {
  return IsWindow(dlg) && IsWindowVisible(dlg);
}

// Answers every modal window: the chooser with a script, message boxes with
// the given answers in turn (then No or OK), noting their texts.
class Driver {
 public:
  explicit Driver(std::function<void(HWND)> script) : script_(std::move(script)) {
    SetModalHook([this](HWND w) { On(w); });
  }
  ~Driver() { SetModalHook(nullptr); }
  std::vector<int> answers;
  std::vector<std::string> boxes;
  int choosers = 0;

 private:
  void On(HWND w) {
    if (const UINT flags = GetMessageBoxFlags(w)) {
      boxes.push_back(ItemOf(w, kMessageBoxTextId));
      int answer = (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
      if (!answers.empty()) {
        answer = answers.front();
        answers.erase(answers.begin());
      }
      PostMessage(GetDlgItem(w, answer), BM_CLICK, 0, 0);
      return;
    }
    ++choosers;
    if (script_) script_(w);
  }
  std::function<void(HWND)> script_;
};

}  // namespace file_chooser_test
