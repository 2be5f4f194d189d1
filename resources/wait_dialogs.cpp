// The templates of the wait-before-play dialogs.
#include "platform/gui/gui.h"
#include "resources/wait_dialog_ids.h"

namespace {

constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;

DialogTemplate WaitKeyboard() {
  DialogTemplate t;
  t.cx = 170;
  t.cy = 50;
  t.caption = "Wait Playback Start";
  t.items = {
      {WC_STATIC, "Press 'Enter' or 'Space' to start playback", -1, kLabel | SS_CENTER, 0, 7, 9, 156, 8},
      {WC_BUTTON, "Start", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 28, 29, 50, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, kTab | BS_PUSHBUTTON, 0, 92, 29, 50, 14},
  };
  return t;
}

DialogTemplate WaitGpi() {
  DialogTemplate t;
  t.cx = 170;
  t.cy = 50;
  t.caption = "Wait GPI";
  t.items = {
      {WC_STATIC, "Wait action on GPI port:", -1, kLabel, 0, 7, 9, 84, 8},
      {WC_STATIC, "", kWaitGpiLineName, kLabel | SS_NOPREFIX, 0, 92, 9, 71, 8},
      {WC_BUTTON, "Cancel", IDCANCEL, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 60, 29, 50, 14},
  };
  return t;
}

}  // namespace

void RegisterWaitDialogs() {
  RegisterDialogResource(kWaitGpiDialog, WaitGpi());
  RegisterDialogResource(kWaitKeyboardDialog, WaitKeyboard());
}
