// The dialog templates.
#include "platform/gui/gui.h"
#include "resources/resource_ids.h"

namespace {

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
      {WC_STATIC, "File Name", kTermometerText, v | SS_CENTER, 0, 10, 9, 137, 10},
      {WC_STATIC, "", -1, v | WS_BORDER, WS_EX_STATICEDGE, 10, 20, 137, 12},
      {"TTermometer", "", kTermometerBar, v, 0, 11, 21, 135, 10},
      {WC_BUTTON, "Cancel", IDCANCEL, v | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 54, 41, 50, 14},
      {WC_STATIC, "", -1, v | SS_ETCHEDFRAME, 0, 7, 6, 143, 29},
  };
  return t;
}

}  // namespace

void RegisterDialogResources() {
  RegisterDialogResource(kTermometerDialog, Termometer());
}
