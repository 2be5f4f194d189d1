// The sound format chooser's template: the formats in a list, OK and Cancel.
#include "platform/gui/gui.h"
#include "resources/format_chooser_ids.h"

void RegisterFormatChooserDialog() {
  DialogTemplate t;
  t.cx = 200;
  t.cy = 150;
  t.caption = "Sound Selection";
  t.items.push_back({WC_STATIC, "&Formats:", -1, WS_VISIBLE | SS_LEFT, 0, 7, 7, 186, 9});
  t.items.push_back({WC_LISTBOX, "", kFormatChooserList,
                     WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | WS_GROUP, 0, 7, 18, 186, 102});
  t.items.push_back({WC_BUTTON, "OK", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | WS_GROUP, 0, 89, 128, 50, 14});
  t.items.push_back({WC_BUTTON, "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 143, 128, 50, 14});
  RegisterDialogResource(kFormatChooserDialog, t);
}
