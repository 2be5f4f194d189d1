#include "model/message_box.h"

#include <cstdio>

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
    {"INTERNAL ERROR : You should select an item before", "INTERNAL ERROR : You should select an item before"},
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

bool IsShownCode(int code) { return code >= 1 && code <= 33 && code != 17 && code != 18; }

// Until the window layer installs its boxes: report on the standard error and
// take the answer that changes nothing (No, Cancel).
class StderrPresenter : public MessageBoxPresenter {
 public:
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (flags & MB_TYPEMASK) {
      case MB_YESNO:
      case MB_YESNOCANCEL: return (flags & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
      case MB_OKCANCEL:
      case MB_RETRYCANCEL: return IDCANCEL;
      case MB_ABORTRETRYIGNORE: return IDABORT;
      default: return IDOK;
    }
  }
  void Beep(UINT) override {}
};

StderrPresenter g_default_presenter;
MessageBoxPresenter* g_presenter = &g_default_presenter;

}  // namespace

const char* ErrorFormatText(int code) { return code >= 0 && code <= 33 ? kErrorTexts[code].formatted : ""; }
const char* ErrorPlainText(int code) { return code >= 0 && code <= 33 ? kErrorTexts[code].plain : ""; }

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
  MessageBoxPresenter* before = g_presenter;
  g_presenter = presenter != nullptr ? presenter : &g_default_presenter;
  return before == &g_default_presenter ? nullptr : before;
}

MessageBoxPresenter& CurrentMessageBoxPresenter() { return *g_presenter; }

// The window walk comes with the window layer; without windows there is
// nothing to lower or disable.
void HideOtherTopWindows(HWND) {}
void RestoreOtherTopWindows() {}

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
  ShowMessageText(owner, title != nullptr ? title : "ERROR", MB_ICONEXCLAMATION | MB_OK, ErrorPlainText(code));
}
