// The templates of the audio recorder and the mixer window.
#include "platform/gui/gui.h"
#include "resources/audio_tool_ids.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kValue = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kNumber = kTab | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kCheck = kTab | BS_AUTOCHECKBOX;
constexpr DWORD kPush = kTab | BS_PUSHBUTTON;
constexpr DWORD kMeter = WS_VISIBLE;
// Modeless tool windows: a caption and a system menu, no modal frame.
constexpr DWORD kToolWindow = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;

DialogTemplate Recorder() {
  DialogTemplate t;
  t.style = kToolWindow;
  t.cx = 216;
  t.cy = 184;
  t.caption = "Audio Recorder";
  t.items = {
      {WC_BUTTON, "Output &Format", -1, kShown | BS_GROUPBOX, 0, 4, 2, 150, 46},
      {WC_STATIC, "Ratio", -1, kLabel, 0, 10, 15, 28, 8},
      {WC_COMBOBOX, "48000", kRecRate, kTab | CBS_DROPDOWN | WS_VSCROLL | WS_GROUP, 0, 42, 13, 44, 80},
      {WC_STATIC, "Hz", -1, kLabel, 0, 90, 15, 12, 8},
      {WC_BUTTON, "Stereo", kRecStereo, kCheck, 0, 108, 14, 42, 10},
      {WC_STATIC, "Resolution", -1, kLabel, 0, 10, 31, 34, 8},
      {WC_COMBOBOX, "16", kRecBits, kTab | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 46, 29, 26, 60},
      {WC_STATIC, "bits", -1, kLabel, 0, 76, 31, 16, 8},
      {WC_BUTTON, "&Advanced", kRecAdvanced, kPush, 0, 100, 28, 48, 14},
      {WC_BUTTON, "&Meter", kMeterSwitch, kCheck | WS_GROUP, 0, 6, 54, 44, 10},
      {WC_BUTTON, "V. Contrlol", kRecVolumeControl, kCheck, 0, 60, 54, 56, 10},
      {WC_BUTTON, "&Always on top", kRecOnTop, kCheck, 0, 6, 66, 70, 10},
      {WC_BUTTON, "Synchronize &Playback", kRecSynchronize, kCheck, 0, 6, 78, 96, 10},
      {WC_STATIC, "Rec.&Delay:", -1, kLabel, 0, 6, 94, 40, 8},
      {WC_EDIT, "3", kRecWait, kNumber, 0, 48, 92, 22, 12},
      {WC_STATIC, "sec", -1, kLabel, 0, 74, 94, 14, 8},
      {WC_STATIC, "Status:", -1, kLabel, 0, 6, 112, 30, 8},
      {WC_STATIC, "Stopped", kRecStatus, kValue, 0, 38, 112, 112, 8},
      {WC_STATIC, "Time:", -1, kLabel, 0, 6, 126, 30, 8},
      {WC_STATIC, "00:00:10:100", kRecTime, kValue, 0, 38, 126, 80, 8},
      {"TLabel", "", kMeterScale, kMeter, 0, 160, 6, 22, 118},
      {"TLevel", "", kMeterLeft, kMeter, 0, 184, 6, 10, 118},
      {"TLevel", "", kMeterRight, kMeter, 0, 198, 6, 10, 118},
      {WC_STATIC, "L", -1, kLabel, 0, 186, 126, 8, 8},
      {WC_STATIC, "R", -1, kLabel, 0, 200, 126, 8, 8},
      {WC_BUTTON, "&< <", kRecWindStart, kPush | WS_GROUP, 0, 6, 144, 30, 14},
      {WC_BUTTON, "&Stop", kRecStop, kPush, 0, 40, 144, 36, 14},
      {WC_BUTTON, "> &>", kRecWindEnd, kPush, 0, 80, 144, 30, 14},
      {WC_BUTTON, "Prepare/&Rec", kRecPrepare, kPush, 0, 114, 144, 56, 14},
      {WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 6, 164, 50, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, kPush, 0, 60, 164, 50, 14},
      {WC_BUTTON, "Help", IDHELP, kPush, 0, 114, 164, 50, 14},
  };
  return t;
}

DialogTemplate Mixer() {
  DialogTemplate t;
  t.style = kToolWindow;
  t.cx = 124;
  t.cy = 176;
  t.caption = "A.Meter";
  t.items = {
      {WC_BUTTON, "Master", kMixMasterGroup, kShown | BS_GROUPBOX, 0, 4, 2, 116, 150},
      {WC_STATIC, "", kMixPanPlace, 0, 0, 10, 12, 70, 16},
      {WC_EDIT, "-100", kMixPanEdit, kNumber | WS_GROUP, 0, 84, 14, 22, 12},
      {WC_STATIC, "%", -1, kLabel, 0, 108, 16, 8, 8},
      {WC_STATIC, "", kMixVolumePlace, 0, 0, 10, 32, 24, 96},
      {WC_EDIT, "-99", kMixVolumeEdit, kNumber, 0, 8, 132, 22, 12},
      {WC_STATIC, "dB", -1, kLabel, 0, 32, 134, 12, 8},
      {"TLabel", "", kMeterScale, kMeter, 0, 46, 32, 22, 96},
      {"TLevel", "", kMeterLeft, kMeter, 0, 70, 32, 10, 96},
      {"TLevel", "", kMeterRight, kMeter, 0, 84, 32, 10, 96},
      {WC_STATIC, "L", -1, kLabel, 0, 72, 130, 8, 8},
      {WC_STATIC, "R", -1, kLabel, 0, 86, 130, 8, 8},
      {WC_BUTTON, "&Meter", kMeterSwitch, kCheck | WS_GROUP, 0, 50, 140, 34, 10},
      {WC_BUTTON, "&Faders", kMixFaders, kCheck, 0, 84, 140, 34, 10},
      {WC_STATIC, "&W", -1, SS_LEFT, 0, 0, 0, 0, 0},
      {WC_BUTTON, "< <", kMixRewind, kPush | WS_GROUP, 0, 8, 156, 40, 14},
      {WC_BUTTON, "Play", IDOK, kTab | BS_DEFPUSHBUTTON, 0, 54, 156, 62, 14},
  };
  return t;
}

}  // namespace

void RegisterAudioToolDialogs() {
  RegisterDialogResource(kRecorderDialog, Recorder());
  RegisterDialogResource(kMixerDialog, Mixer());
}
