// The template of the MPEG export's settings dialog.
#include "platform/gui/gui.h"
#include "resources/mpeg_dialog_ids.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kList = kTab | CBS_DROPDOWNLIST | WS_VSCROLL;
constexpr DWORD kNumber = kTab | WS_BORDER | ES_AUTOHSCROLL;

DialogTemplate ConfigureMpeg() {
  DialogTemplate t;
  t.cx = 198;
  t.cy = 166;
  t.caption = "Configure DVMPEG";
  t.items = {
      {WC_BUTTON, "Stream", -1, kShown | BS_GROUPBOX, 0, 7, 7, 184, 46},
      {WC_STATIC, "&Type:", -1, kLabel, 0, 13, 21, 54, 8},
      {WC_COMBOBOX, "", kMpegType, kList, 0, 71, 19, 114, 60},
      {WC_STATIC, "&Format:", -1, kLabel, 0, 13, 37, 54, 8},
      {WC_COMBOBOX, "", kMpegFormat, kList, 0, 71, 35, 114, 80},
      {WC_BUTTON, "Bit rates", -1, kShown | BS_GROUPBOX, 0, 7, 58, 184, 46},
      {WC_STATIC, "&Video bitrate:", -1, kLabel, 0, 13, 72, 54, 8},
      {WC_EDIT, "", kMpegVideoBitRate, kNumber, 0, 71, 70, 50, 12},
      {WC_STATIC, "KBps", -1, kLabel, 0, 125, 72, 30, 8},
      {WC_STATIC, "&Audio bitrate:", -1, kLabel, 0, 13, 88, 54, 8},
      {WC_COMBOBOX, "", kMpegAudioBitRate, kList, 0, 71, 86, 114, 130},
      {WC_BUTTON, "Picture", -1, kShown | BS_GROUPBOX, 0, 7, 109, 184, 30},
      {WC_STATIC, "&Width:", -1, kLabel, 0, 13, 123, 54, 8},
      {WC_EDIT, "", kMpegWidth, kNumber, 0, 71, 121, 36, 12},
      {WC_STATIC, "&Height:", -1, kLabel, 0, 117, 123, 30, 8},
      {WC_EDIT, "", kMpegHeight, kNumber, 0, 149, 121, 36, 12},
      {WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 87, 145, 50, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, kTab | BS_PUSHBUTTON, 0, 141, 145, 50, 14},
  };
  return t;
}

}  // namespace

void RegisterMpegDialog() {
  RegisterDialogResource(kMpegConfigDialog, ConfigureMpeg());
}
