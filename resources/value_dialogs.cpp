// The templates of the value dialogs and of the level popups.
#include "platform/gui/gui.h"
#include "resources/value_dialog_ids.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kValue = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kTimeField = kTab | WS_BORDER;
constexpr DWORD kNumber = kTab | WS_BORDER | ES_AUTOHSCROLL;

DialogItemTemplate Ok(short x, short y) {
  return {WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, x, y, 50, 14};
}
DialogItemTemplate Cancel(short x, short y) {
  return {WC_BUTTON, "Cancel", IDCANCEL, kTab | BS_PUSHBUTTON, 0, x, y, 50, 14};
}

DialogTemplate EditTime() {
  DialogTemplate t;
  t.cx = 142;
  t.cy = 48;
  t.caption = "Edit Time";
  t.items = {
      {WC_STATIC, "&Time:", -1, kLabel, 0, 7, 9, 60, 8},
      {"TimeEditControl", "", kTimeCodeEdit, kTimeField, 0, 71, 7, 64, 12},
      Ok(31, 27),
      Cancel(85, 27),
  };
  return t;
}

DialogTemplate TimeRange() {
  DialogTemplate t;
  t.cx = 142;
  t.cy = 78;
  t.caption = "Time Range";
  t.items = {
      {WC_STATIC, "&Start:", -1, kLabel, 0, 7, 9, 60, 8},
      {"TimeEditControl", "", kRangeLeft, kTimeField, 0, 71, 7, 64, 12},
      {WC_STATIC, "&End:", -1, kLabel, 0, 7, 25, 60, 8},
      {"TimeEditControl", "", kRangeRight, kTimeField, 0, 71, 23, 64, 12},
      {WC_STATIC, "Length:", -1, kLabel, 0, 7, 41, 60, 8},
      {WC_STATIC, "", kRangeSize, kValue, 0, 73, 41, 62, 8},
      Ok(31, 57),
      Cancel(85, 57),
  };
  return t;
}

// Start, end and length of one range in a group box at (x, y).
void RangeGroup(DialogTemplate& t, const char* title, short x, short y, int left, int right, int size) {
  t.items.push_back({WC_BUTTON, title, -1, kShown | BS_GROUPBOX, 0, x, y, 136, 62});
  t.items.push_back(
      {WC_STATIC, "Start:", -1, kLabel, 0, static_cast<short>(x + 6), static_cast<short>(y + 14), 50, 8});
  t.items.push_back({"TimeEditControl", "", left, kTimeField, 0, static_cast<short>(x + 66),
                     static_cast<short>(y + 12), 64, 12});
  t.items.push_back(
      {WC_STATIC, "End:", -1, kLabel, 0, static_cast<short>(x + 6), static_cast<short>(y + 30), 50, 8});
  t.items.push_back({"TimeEditControl", "", right, kTimeField, 0, static_cast<short>(x + 66),
                     static_cast<short>(y + 28), 64, 12});
  t.items.push_back(
      {WC_STATIC, "Length:", -1, kLabel, 0, static_cast<short>(x + 6), static_cast<short>(y + 46), 50, 8});
  t.items.push_back(
      {WC_STATIC, "", size, kValue, 0, static_cast<short>(x + 68), static_cast<short>(y + 46), 62, 8});
}

DialogTemplate SetSize() {
  DialogTemplate t;
  t.cx = 292;
  t.cy = 132;
  t.caption = "Set Size";
  t.items = {
      {WC_BUTTON, "Project Limits", -1, kShown | BS_GROUPBOX, 0, 7, 7, 278, 30},
      {WC_STATIC, "&Length:", -1, kLabel, 0, 13, 20, 50, 8},
      {"TimeEditControl", "", kProjectSize, kTimeField, 0, 73, 18, 64, 12},
      {WC_STATIC, "&Audio tracks:", -1, kLabel, 0, 155, 20, 60, 8},
      {WC_EDIT, "", kAudioTracks, kNumber, 0, 215, 18, 30, 12},
      {UPDOWN_CLASS, "", -1, kShown | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12},
  };
  RangeGroup(t, "Working Area", 7, 42, kAreaLeft, kAreaRight, kAreaSize);
  RangeGroup(t, "Time Range", 149, 42, kMarkLeft, kMarkRight, kMarkSize);
  t.items.push_back(Ok(181, 111));
  t.items.push_back(Cancel(235, 111));
  return t;
}

DialogTemplate EditName() {
  DialogTemplate t;
  t.cx = 200;
  t.cy = 48;
  t.caption = "Edit Name";
  t.items = {
      {WC_EDIT, "", kNameEdit, kNumber, 0, 7, 7, 186, 12},
      Ok(89, 27),
      Cancel(143, 27),
  };
  return t;
}

DialogTemplate RepeatClip() {
  DialogTemplate t;
  t.cx = 142;
  t.cy = 112;
  t.caption = "Repeat Clip";
  t.items = {
      {WC_STATIC, "Clip length:", -1, kLabel, 0, 7, 9, 60, 8},
      {WC_STATIC, "", kLoopClipLength, kValue, 0, 73, 9, 62, 8},
      {WC_STATIC, "&Copies:", -1, kLabel, 0, 7, 25, 60, 8},
      {WC_EDIT, "", kLoopCount, kNumber, 0, 71, 23, 40, 12},
      {UPDOWN_CLASS, "", -1, kShown | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12},
      {WC_STATIC, "&Pause:", -1, kLabel, 0, 7, 41, 60, 8},
      {"TimeEditControl", "", kLoopPause, kTimeField, 0, 71, 39, 64, 12},
      {WC_STATIC, "P&eriod:", -1, kLabel, 0, 7, 57, 60, 8},
      {"TimeEditControl", "", kLoopPeriod, kTimeField, 0, 71, 55, 64, 12},
      {WC_STATIC, "Total time:", -1, kLabel, 0, 7, 73, 60, 8},
      {WC_STATIC, "", kLoopTotal, kValue, 0, 73, 73, 62, 8},
      Ok(31, 91),
      Cancel(85, 91),
  };
  return t;
}

DialogTemplate Timeouts() {
  DialogTemplate t;
  t.cx = 160;
  t.cy = 64;
  t.caption = "Timeouts";
  t.items = {
      {WC_STATIC, "", kTimeoutsText, kValue, 0, 7, 7, 146, 16},
      {WC_BUTTON, "Show this message next time", kTimeoutsShowAgain, kTab | BS_AUTOCHECKBOX, 0, 7, 25, 146,
       10},
      Ok(55, 43),
  };
  return t;
}

DialogTemplate Tempo() {
  DialogTemplate t;
  t.cx = 160;
  t.cy = 64;
  t.caption = "Tempo";
  t.items = {
      {WC_SCROLLBAR, "", kTempoBar, kTab | SBS_HORZ, 0, 7, 8, 100, 10},
      {WC_EDIT, "", kTempoEdit, kNumber, 0, 113, 7, 40, 12},
      {WC_STATIC, "Default:", -1, kLabel, 0, 7, 25, 60, 8},
      {WC_STATIC, "", kTempoReference, kValue, 0, 115, 25, 38, 8},
      Ok(49, 43),
      Cancel(103, 43),
  };
  return t;
}

// The level popups: the fader and its scale on the left, the two numbers
// beside it; the balance slider below them.
constexpr short kFaderTop = 7;
constexpr short kFaderHeight = 104;

void VolumeItems(DialogTemplate& t) {
  t.items.push_back({WC_STATIC, "", kLevelPlace, 0, 0, 7, kFaderTop, 22, kFaderHeight});
  // The ticks fall every 12 dB from +12 down; the bottom is silence.
  static const char* const kMarks[] = {"12 dB", "0 dB", "-12 dB", "-24 dB", "-36 dB", "-48 dB"};
  const short top = kFaderTop + 6, span = kFaderHeight - 12;
  for (int i = 0; i < 6; ++i) {
    const short y = static_cast<short>(top + span * 12 * i / 67 - 4);
    t.items.push_back({WC_STATIC, kMarks[i], -1, kLabel, 0, 31, y, 26, 8});
  }
  t.items.push_back({WC_STATIC, "-90 dB", -1, kLabel, 0, 31, static_cast<short>(top + span - 4), 26, 8});
  t.items.push_back({WC_STATIC, "&dB:", -1, kLabel, 0, 61, 9, 14, 8});
  t.items.push_back({WC_EDIT, "", kLevelDb, kNumber, 0, 77, 7, 30, 12});
  t.items.push_back({WC_STATIC, "&%:", -1, kLabel, 0, 61, 25, 14, 8});
  t.items.push_back({WC_EDIT, "", kLevelPercent, kNumber, 0, 77, 23, 30, 12});
}

void BalanceItems(DialogTemplate& t, short y) {
  t.items.push_back({WC_STATIC, "", kBalancePlace, 0, 0, 7, y, 100, 20});
  t.items.push_back({WC_STATIC, "L", -1, kLabel, 0, 9, static_cast<short>(y + 21), 10, 8});
  t.items.push_back({WC_STATIC, "C", -1, kShown | SS_CENTER, 0, 52, static_cast<short>(y + 21), 10, 8});
  t.items.push_back({WC_STATIC, "R", -1, kShown | SS_RIGHT, 0, 95, static_cast<short>(y + 21), 10, 8});
  t.items.push_back({WC_STATIC, "%:", -1, kLabel, 0, 113, static_cast<short>(y + 6), 10, 8});
  t.items.push_back({WC_EDIT, "", kBalancePercent, kNumber, 0, 125, static_cast<short>(y + 4), 30, 12});
}

DialogTemplate Volume() {
  DialogTemplate t;
  t.cx = 114;
  t.cy = 118;
  t.caption = "Volume";
  VolumeItems(t);
  t.items.push_back(Ok(61, 79));
  t.items.push_back(Cancel(61, 97));
  for (DialogItemTemplate& i : t.items)
    if (i.id == IDOK || i.id == IDCANCEL) i.cx = 46;
  return t;
}

DialogTemplate Balance() {
  DialogTemplate t;
  t.cx = 162;
  t.cy = 60;
  t.caption = "Balance";
  BalanceItems(t, 7);
  t.items.push_back(Ok(51, 39));
  t.items.push_back(Cancel(105, 39));
  return t;
}

DialogTemplate VolumeBalance() {
  DialogTemplate t;
  t.cx = 162;
  t.cy = 164;
  t.caption = "Vol.,Bal.";
  VolumeItems(t);
  BalanceItems(t, 119);
  t.items.push_back(Ok(105, 79));
  t.items.push_back(Cancel(105, 97));
  return t;
}

}  // namespace

void RegisterValueDialogs() {
  RegisterDialogResource(kTimeCodeDialog, EditTime());
  RegisterDialogResource(kTimeFragmentDialog, TimeRange());
  RegisterDialogResource(kSelViewDialog, SetSize());
  RegisterDialogResource(kNameDialog, EditName());
  RegisterDialogResource(kLoopDialog, RepeatClip());
  RegisterDialogResource(kTimeoutsDialog, Timeouts());
  RegisterDialogResource(kSetTempoDialog, Tempo());
  RegisterDialogResource(kSetLevelDialog, Volume());
  RegisterDialogResource(kSetBalanceDialog, Balance());
  RegisterDialogResource(kSetVolumeBalanceDialog, VolumeBalance());
}
