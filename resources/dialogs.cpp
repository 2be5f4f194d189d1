// The dialog templates.
#include "platform/gui/gui.h"
#include "resources/resource_ids.h"

namespace {

constexpr DWORD kCentred = 0x0001;       // SS_CENTER
constexpr DWORD kEtchedFrame = 0x0012;   // SS_ETCHEDFRAME
constexpr DWORD kDefPushButton = 0x0001; // BS_DEFPUSHBUTTON

// The progress dialog: a line of text, the bar in a sunken frame, Cancel.
DialogTemplate Termometer() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.cx = 157;
  t.cy = 60;
  t.caption = "Termometer";
  t.font = "MS Sans Serif";
  t.pointSize = 8;
  const DWORD v = WS_VISIBLE;
  t.items = {
      {"STATIC", "File Name", kTermometerText, v | kCentred, 0, 10, 9, 137, 10},
      {"STATIC", "", -1, v | WS_BORDER, WS_EX_STATICEDGE, 10, 20, 137, 12},
      {"TTermometer", "", kTermometerBar, v, 0, 11, 21, 135, 10},
      {"BUTTON", "Cancel", IDCANCEL, v | WS_TABSTOP | kDefPushButton, 0, 54, 41, 50, 14},
      {"STATIC", "", -1, v | kEtchedFrame, 0, 7, 6, 143, 29},
  };
  return t;
}

}  // namespace

void RegisterDialogResources() {
  RegisterDialogResource(kTermometerDialog, Termometer());
}
