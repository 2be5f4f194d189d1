#include "model/message_box.h"

#include <cctype>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/threads.h"
#include "platform/gui/message_box.h"
#include "platform/gui/user.h"

namespace {

bool IsShownCode(int code) {
  return code >= 1 && code <= kErrLast && code != kErrCancelled && code != kErrAlreadyDone;
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
  // A box owned by a child window (the collection in its frame) belongs to
  // that window's frame: the frame is the box's owner and gets the focus
  // back when the box closes, so it is not one of the others.
  if (owner != nullptr && IsWindow(owner)) {
    const HWND root = GetAncestor(owner, GA_ROOT);
    if (root != nullptr) owner = root;
  }
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
  // A writer of a replacement names the file it was given: the user's
  // file is the one meant.
  const int result = g_presenter->Show(owner, WithTargetNames(text), caption != nullptr ? caption : "", flags);
  RestoreOtherTopWindows();
  return result;
}

void ErrorBoxText(HWND owner, int code, const char* title, const std::string& text) {
  if (!IsShownCode(code)) return;
  g_presenter->Beep(MB_ICONEXCLAMATION);
  if (title == nullptr) return;
  ShowMessageText(owner, title, MB_ICONEXCLAMATION | MB_OK, text);
}

void ErrorBoxWithReason(HWND owner, int code, const char* title, const char* path, const std::string& why) {
  std::string text = FormatText(ErrorFormatText(code), path != nullptr ? path : "");
  if (!why.empty()) {
    std::string line = why;
    line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    if (line.back() != '.') line += '.';
    text += "\n" + line;
  }
  if (text.size() > kMessageTextLimit) text.resize(kMessageTextLimit);
  ErrorBoxText(owner, code, title, text);
}

void FileErrorBox(HWND owner, int code, const char* title, const char* path) {
  ErrorBoxWithReason(owner, code, title, path, FileOpenProblem(path != nullptr ? path : ""));
}

void ErrorBoxPlain(HWND owner, int code, const char* title) {
  if (!IsShownCode(code)) return;
  g_presenter->Beep(MB_ICONEXCLAMATION);
  ShowMessageText(owner, title != nullptr ? title : "ERROR", MB_ICONEXCLAMATION | MB_OK,
                  ErrorPlainText(code));
}
