// The templates of the clip properties dialog, the clip open dialog's panel,
// the VTR setup, the transition choice and the missing-effects dialogs.
#include "platform/gui/gui.h"
#include "resources/clip_dialog_ids.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kValue = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kTimeField = kTab | WS_BORDER;
constexpr DWORD kField = kTab | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kList = kTab | CBS_DROPDOWNLIST | WS_VSCROLL;

DialogItemTemplate Ok(short x, short y) {
  return {WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, x, y, 50, 14};
}
DialogItemTemplate Cancel(short x, short y) {
  return {WC_BUTTON, "Cancel", IDCANCEL, kTab | BS_PUSHBUTTON, 0, x, y, 50, 14};
}

DialogTemplate ClipProperties() {
  DialogTemplate t;
  t.cx = 230;
  t.cy = 156;
  t.caption = "Clip Properties";
  t.items = {
      {WC_STATIC, "File:", -1, kLabel, 0, 7, 9, 30, 8},
      {WC_STATIC, "", kClipFileName, kValue, 0, 40, 9, 183, 8},
      {WC_STATIC, "&Name:", -1, kLabel, 0, 7, 23, 30, 8},
      {WC_EDIT, "", kClipName, kField | WS_GROUP, 0, 40, 21, 183, 12},
      {WC_BUTTON, "Source", -1, kShown | BS_GROUPBOX, 0, 7, 39, 106, 74},
      {WC_STATIC, "&In:", -1, kLabel, 0, 13, 53, 28, 8},
      {"TimeEditControl", "", kClipIn, kTimeField, 0, 43, 51, 64, 12},
      {WC_STATIC, "&Out:", -1, kLabel, 0, 13, 69, 28, 8},
      {"TimeEditControl", "", kClipOut, kTimeField, 0, 43, 67, 64, 12},
      {WC_STATIC, "Source:", -1, kLabel, 0, 13, 85, 28, 8},
      {WC_STATIC, "", kClipSourceLength, kValue, 0, 45, 85, 62, 8},
      {WC_STATIC, "Size:", -1, kLabel, 0, 13, 97, 28, 8},
      {WC_STATIC, "", kClipSize, kValue, 0, 45, 97, 62, 8},
      {WC_BUTTON, "Time-line", -1, kShown | BS_GROUPBOX, 0, 117, 39, 106, 74},
      {WC_STATIC, "&Start:", -1, kLabel, 0, 123, 53, 28, 8},
      {"TimeEditControl", "", kClipStart, kTimeField, 0, 153, 51, 64, 12},
      {WC_STATIC, "Stop:", -1, kLabel, 0, 123, 69, 28, 8},
      {WC_STATIC, "", kClipStop, kValue, 0, 155, 69, 62, 8},
      {WC_BUTTON, "Show In/Out &Frame", kClipShowFrame, kTab | BS_AUTOCHECKBOX | WS_GROUP, 0, 7, 119, 120,
       10},
      Ok(119, 135),
      Cancel(173, 135),
  };
  return t;
}

// The panel the clip open dialog adds to the open chooser: the chooser at
// the placeholder, what the selected file holds to its right (its first
// lines are blank, so the text starts beside the file list), and below the
// text the preview switch and buttons beside the chooser's own.
DialogTemplate ClipOpenPanel() {
  DialogTemplate t;
  t.style = WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | DS_3DLOOK | DS_SETFONT;
  t.cx = 136;
  t.cy = 196;
  t.items = {
      {WC_STATIC, "", kChooserPlaceholder, 0, 0, 0, 0, 4, 196},
      {WC_STATIC, "", kClipInfo, kValue, 0, 10, 2, 120, 120},
      {WC_BUTTON, "Auto preview", kClipAutoPreview, kTab | BS_AUTOCHECKBOX | WS_GROUP, 0, 10, 131, 80, 10},
      {WC_BUTTON, "Preview", kClipPreview, kTab | BS_PUSHBUTTON, 0, 10, 145, 46, 14},
      {WC_BUTTON, "Add", kClipAdd, kTab | BS_PUSHBUTTON, 0, 10, 163, 46, 14},
  };
  return t;
}

// One label and one field of a group at row y.
void Row(DialogTemplate& t, const char* label, DialogItemTemplate field, short x, short y) {
  t.items.push_back(
      {WC_STATIC, label, -1, kLabel, 0, static_cast<short>(x + 6), static_cast<short>(y + 2), 50, 8});
  field.x = static_cast<short>(x + 60);
  field.y = y;
  t.items.push_back(field);
}

DialogTemplate VTRSetup() {
  DialogTemplate t;
  t.cx = 318;
  t.cy = 142;
  t.caption = "VTR Setup";
  const short left = 7, right = 163, top = 7;
  t.items.push_back({WC_BUTTON, "Deck", -1, kShown | BS_GROUPBOX, 0, left, top, 148, 110});
  Row(t, "&Start:", {"TimeEditControl", "", kVtrStart, kTimeField | WS_GROUP, 0, 0, 0, 64, 12}, left,
      top + 12);
  Row(t, "&Type:", {WC_COMBOBOX, "", kVtrType, kList | WS_GROUP, 0, 0, 0, 82, 60}, left, top + 28);
  Row(t, "Time&Code:", {WC_COMBOBOX, "", kVtrTimeCode, kList | WS_GROUP, 0, 0, 0, 82, 40}, left, top + 44);
  Row(t, "&Format:", {WC_COMBOBOX, "", kVtrFormat, kList | WS_GROUP, 0, 0, 0, 82, 40}, left, top + 60);
  Row(t, "&Preroll (s):", {WC_EDIT, "", kVtrPreroll, kField | WS_GROUP, 0, 0, 0, 30, 12}, left, top + 76);
  Row(t, "&Accuracy (fr):", {WC_EDIT, "", kVtrAccuracy, kField | WS_GROUP, 0, 0, 0, 30, 12}, left, top + 92);
  t.items.push_back({WC_BUTTON, "Port", -1, kShown | BS_GROUPBOX, 0, right, top, 148, 110});
  Row(t, "&Name:", {WC_EDIT, "", kVtrPort, kField | WS_GROUP, 0, 0, 0, 82, 12}, right, top + 12);
  Row(t, "&Baud:", {WC_EDIT, "", kVtrBaud, kField | WS_GROUP, 0, 0, 0, 42, 12}, right, top + 28);
  Row(t, "&Data Bits:", {WC_COMBOBOX, "", kVtrDataBits, kList | WS_GROUP, 0, 0, 0, 42, 60}, right, top + 44);
  Row(t, "St&op Bits:", {WC_COMBOBOX, "", kVtrStopBits, kList | WS_GROUP, 0, 0, 0, 42, 50}, right, top + 60);
  Row(t, "Pa&rity:", {WC_COMBOBOX, "", kVtrParity, kList | WS_GROUP, 0, 0, 0, 42, 70}, right, top + 76);
  t.items.push_back({WC_BUTTON, "&Default", kVtrDefault, kTab | BS_PUSHBUTTON | WS_GROUP, 0, 7, 122, 50, 14});
  t.items.push_back(Ok(207, 122));
  t.items.push_back(Cancel(261, 122));
  return t;
}

DialogTemplate SelectVFX() {
  DialogTemplate t;
  t.cx = 160;
  t.cy = 64;
  t.caption = "VideoFX Selection";
  t.items = {
      {WC_STATIC, "&Type:", -1, kLabel, 0, 7, 9, 40, 8},
      {WC_COMBOBOX, "", kVfxType, kList | WS_GROUP, 0, 50, 7, 103, 80},
      {WC_STATIC, "&Size:", -1, kLabel, 0, 7, 25, 40, 8},
      {WC_EDIT, "", kVfxSize, kField | WS_GROUP, 0, 50, 23, 30, 12},
      {WC_STATIC, "pixels", -1, kLabel, 0, 84, 25, 40, 8},
      Ok(26, 43),
      Cancel(84, 43),
  };
  return t;
}

DialogTemplate MissingEffects() {
  DialogTemplate t;
  t.cx = 220;
  t.cy = 124;
  t.caption = "Open Audio Effects";
  t.items = {
      {WC_STATIC, "These audio effects are not installed on this system:", -1, kLabel, 0, 7, 7, 206, 8},
      {WC_LISTBOX, "", kMissingEffectList,
       kTab | WS_GROUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 7, 18, 206, 56},
      {WC_STATIC, "Selected effect GUID:", -1, kLabel, 0, 7, 80, 206, 8},
      {WC_STATIC, "", kMissingEffectGuid, kValue, 0, 7, 90, 206, 8},
      Ok(85, 103),
  };
  return t;
}

}  // namespace

void RegisterClipDialogs() {
  RegisterDialogResource(kFilmEditDialog, ClipProperties());
  RegisterDialogResource(kClipOpenPanel, ClipOpenPanel());
  RegisterDialogResource(kVTRSetupDialog, VTRSetup());
  RegisterDialogResource(kSelectVFXDialog, SelectVFX());
  RegisterDialogResource(kNoFiltersDialog, MissingEffects());
}
