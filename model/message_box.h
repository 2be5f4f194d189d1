// The program's message box. Every question, warning and error report goes
// through ShowMessage, ErrorBox or ErrorBoxPlain; long operations return an
// error code (error_codes.h) and their callers decide whether to show it.
#pragma once

#include <string>

#include "model/error_codes.h"
#include "model/text_format.h"
#include "platform/core/types.h"
#include "platform/gui/mb.h"

// Who shows the boxes and sounds the beeps: by default the window system's
// message box (MessageBoxEx) and MessageBeep; tests of other parts install a
// script that records each box and answers it.
class MessageBoxPresenter {
 public:
  virtual ~MessageBoxPresenter() = default;
  // Shows text under caption with the MB_* flags; returns the pressed id.
  virtual int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) = 0;
  virtual void Beep(UINT type) = 0;
};

// Installs presenter (null: the built-in one); returns the one before.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);
MessageBoxPresenter& CurrentMessageBoxPresenter();

// Lowers the other topmost windows and disables the other top-level windows
// of the calling thread (all but the owner and its own windows) while a box
// is up; the restore undoes what the matching hide did. Hides nest: a box
// raised while another is up restores only what it changed itself.
void HideOtherTopWindows(HWND owner);
void RestoreOtherTopWindows();

int ShowMessageText(HWND owner, const char* caption, UINT flags, const std::string& text);
void ErrorBoxText(HWND owner, int code, const char* title, const std::string& text);

constexpr std::size_t kMessageTextLimit = 1023;

template <class... Args>
int ShowMessage(HWND owner, const char* caption, UINT flags, const char* format, const Args&... args) {
  std::string text = FormatText(format, args...);
  if (text.size() > kMessageTextLimit) text.resize(kMessageTextLimit);
  return ShowMessageText(owner, caption, flags, text);
}

// Shows the formatted text of code with the caller's arguments under title;
// a null title only beeps. Codes outside 1..33, 17 and 18 show nothing.
template <class... Args>
void ErrorBox(HWND owner, int code, const char* title, const Args&... args) {
  const char* format = ErrorFormatText(code);
  std::string text = FormatText(format, args...);
  if (text.size() > kMessageTextLimit) text.resize(kMessageTextLimit);
  ErrorBoxText(owner, code, title, text);
}

// ErrorBox for a file that could not be opened or read: the code's text
// with path, and on a line of its own why, when the file system tells (it
// is missing, a folder, a FIFO, a device, may not be read).
void FileErrorBox(HWND owner, int code, const char* title, const char* path);

// ErrorBox for path with why (when not empty) on a line of its own.
void ErrorBoxWithReason(HWND owner, int code, const char* title, const char* path, const std::string& why);

// Shows the plain text of code; the title defaults to "ERROR".
void ErrorBoxPlain(HWND owner, int code, const char* title);
