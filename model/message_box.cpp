#include "model/message_box.h"

#include <vector>

#include "platform/core/threads.h"
#include "platform/gui/message_box.h"
#include "platform/gui/user.h"

namespace {

struct ErrorTexts {
  const char* formatted;
  const char* plain;
};

// Code 29 has no text of its own.
const ErrorTexts kErrorTexts[34] = {
    {"OK", "OK"},
    {"Unknown parameter type %ld", "Unknown parameter type"},
    {"Not enough memory (%ld bytes)", "Not enough memory"},
    {"File '%s' does not exist", "File does not exist"},
    {"The file '%s' is empty", "The file is empty"},
    {"INTERNAL ERROR : Incorrect number %ld (index out of array)",
     "INTERNAL ERROR : Incorrect number (index out of array)"},
    {"File '%s' has invalid format", "File has invalid format"},
    {"Frame %ld has invalid format", "Frame has invalid format"},
    {"Invalid parameter %ld", "INTERNAL ERROR : Invalid parameter"},
    {"INTERNAL ERROR : No connection with source", "INTERNAL ERROR : No connection with source"},
    {"Hardware output video resolution is less then current project video parameters!\n"
     "Try to change hardware output video format",
     "Hardware output video resolution is less then current project video parameters!\n"
     "Try to change hardware output video format"},
    {"Can not attach hardware resources", "Can not attach hardware resources"},
    {"Not enough memory in VIDEO device/driver (%ld bytes)", "Not enough memory in VIDEO device/driver"},
    {"Can not init VIDEO device/driver", "Can not init VIDEO device/driver"},
    {"No VIDEO device", "No VIDEO device"},
    {"INTERNAL ERROR : No channel", "INTERNAL ERROR : No channel"},
    {"INTERNAL ERROR : You should select an item before",
     "INTERNAL ERROR : You should select an item before"},
    {"User cancelled the action", "User cancelled the action"},
    {"The operation was already completed", "The operation was already completed"},
    {"Can not read file '%s'", "Can not read file"},
    {"Can not write file '%s'", "Can not write file"},
    {"No VTR device", "No VTR device"},
    {"No WAVE device", "No WAVE device"},
    {"No MIDI device", "No MIDI device"},
    {"Can not open file '%s'", "Can not open file"},
    {"File '%s' is NOT Morvane film", "File is NOT Morvane film"},
    {"The project is currently playing", "The project is currently playing"},
    {"Fragment start from NOT KEY frame (frame %d from file %s)", "Fragment start from NOT KEY Frame"},
    {"Can not recompress start frame of fragment '%s'", "Can not recompress start frame of fragment"},
    {"", ""},
    {"Some error in video codec", "Some error in video codec"},
    {"Not enough free space to write file '%s'", "Not enough free space"},
    {"There is no suitable video codec", "There is no suitable video codec"},
    {"INTERNAL ERROR : Fatal (data or code destroyed)", "INTERNAL ERROR : Fatal (data or code destroyed)"},
};

bool IsShownCode(int code) {
  return code >= 1 && code <= 33 && code != 17 && code != 18;
}

// The window system's message box and beep.
class WindowPresenter : public MessageBoxPresenter {
 public:
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
    return MessageBoxEx(owner, text.c_str(), caption.c_str(), flags, 0);
  }
  void Beep(UINT type) override { MessageBeep(type); }
};

WindowPresenter g_default_presenter;
MessageBoxPresenter* g_presenter = &g_default_presenter;

// What one hide changed, undone by its restore. Boxes raised while another
// is up stack their sets, so an inner box gives back only what it took and
// the outer box keeps the other windows disabled until it closes.
struct HiddenSet {
  std::vector<HWND> lowered;
  std::vector<HWND> disabled;
};
std::vector<HiddenSet> g_hidden;

struct Walk {
  HWND owner;
  HiddenSet* set;
};

BOOL CollectWindow(HWND hwnd, LPARAM param) {
  Walk& walk = *reinterpret_cast<Walk*>(param);
  if (walk.owner != nullptr &&
      (hwnd == walk.owner || IsChild(walk.owner, hwnd) || GetParent(hwnd) == walk.owner)) {
    return TRUE;
  }
  const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
  const DWORD ex = static_cast<DWORD>(GetWindowLong(hwnd, GWL_EXSTYLE));
  const bool visible = (style & WS_VISIBLE) != 0;
  const bool disabled = (style & WS_DISABLED) != 0;
  if (!(style & WS_MINIMIZE) && (ex & WS_EX_TOPMOST) && visible && !disabled)
    walk.set->lowered.push_back(hwnd);
  if (GetWindowLongPtr(hwnd, GWL_HWNDPARENT) == 0 && visible && !(style & WS_CHILD) && !disabled) {
    walk.set->disabled.push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

const char* ErrorFormatText(int code) {
  return code >= 0 && code <= 33 ? kErrorTexts[code].formatted : "";
}
const char* ErrorPlainText(int code) {
  return code >= 0 && code <= 33 ? kErrorTexts[code].plain : "";
}

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
  MessageBoxPresenter* before = g_presenter;
  g_presenter = presenter != nullptr ? presenter : &g_default_presenter;
  return before == &g_default_presenter ? nullptr : before;
}

MessageBoxPresenter& CurrentMessageBoxPresenter() {
  return *g_presenter;
}

void HideOtherTopWindows(HWND owner) {
  HiddenSet set;
  Walk walk{owner, &set};
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&walk));
  // The activation stays where it is: only the level changes.
  for (HWND h : set.lowered) {
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) & ~static_cast<LONG>(WS_EX_TOPMOST));
    SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (HWND h : set.disabled) EnableWindow(h, FALSE);
  g_hidden.push_back(std::move(set));
}

void RestoreOtherTopWindows() {
  if (g_hidden.empty()) return;
  HiddenSet set = std::move(g_hidden.back());
  g_hidden.pop_back();
  for (HWND h : set.lowered) {
    if (!IsWindow(h)) continue;
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOPMOST));
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (HWND h : set.disabled) {
    if (IsWindow(h)) EnableWindow(h, TRUE);
  }
}

int ShowMessageText(HWND owner, const char* caption, UINT flags, const std::string& text) {
  HideOtherTopWindows(owner);
  const int result = g_presenter->Show(owner, text, caption != nullptr ? caption : "", flags);
  RestoreOtherTopWindows();
  return result;
}

void ErrorBoxText(HWND owner, int code, const char* title, const std::string& text) {
  if (!IsShownCode(code)) return;
  g_presenter->Beep(MB_ICONEXCLAMATION);
  if (title == nullptr) return;
  ShowMessageText(owner, title, MB_ICONEXCLAMATION | MB_OK, text);
}

void ErrorBoxPlain(HWND owner, int code, const char* title) {
  if (!IsShownCode(code)) return;
  g_presenter->Beep(MB_ICONEXCLAMATION);
  ShowMessageText(owner, title != nullptr ? title : "ERROR", MB_ICONEXCLAMATION | MB_OK,
                  ErrorPlainText(code));
}
