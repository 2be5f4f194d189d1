// The small modal dialogs that ask for one value: a time, a time range, the
// project limits, a name, the copies and pause of a repeated clip, a MIDI
// tempo, and the notice of dropped frames. Each edits its caller's variables
// through the pointers it is given and writes them only on OK; an entry that
// is not valid on OK takes the focus, beeps and keeps the dialog open.
//
// Times are milliseconds shown in the program's time format. Their step (a
// unit) is 1 ms in the millisecond format, else one frame.
//
// The Run... functions make, run and delete a dialog owned by any window
// (null: none) and say whether the user confirmed it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class TimeCodeEdit;
class TIntEdit;
class TEBar;

// One time within [min, max].
class TimeCodeDialog : public TEDialog {
 public:
  TimeCodeDialog(TWindow* parent, const char* caption, int32_t* time, int32_t min, int32_t max);
  void SetupWindow() override;
  bool CanClose() override;

 private:
  std::string caption;
  int32_t* time;
  TimeCodeEdit* edit;
};

// A range [left, right] within [min, max], at least one unit long.
class TimeFragmentDialog : public TEDialog {
 public:
  TimeFragmentDialog(TWindow* parent, const char* caption, int32_t* left, int32_t* right, int32_t min,
                     int32_t max);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void EvLeftChange();
  void EvRightChange();

 private:
  void ShowSize();

  std::string caption;
  int32_t* leftOut;
  int32_t* rightOut;
  int32_t min;
  int32_t max;
  int32_t left;
  int32_t right;
  TimeCodeEdit* leftEdit;
  TimeCodeEdit* rightEdit;
  TStatic* size;

  DECLARE_RESPONSE_TABLE(TimeFragmentDialog);
};

// "Set Size": the project's length (at least the minimum, itself at least a
// second) and audio track count, the working area (at least one unit long)
// and the time range (may be empty). On OK the ranges are kept within the
// new length.
class SelViewDialog : public TEDialog {
 public:
  SelViewDialog(TWindow* parent, int32_t* tracks, int32_t* projectSize, int32_t minSize, int32_t* areaLeft,
                int32_t* areaRight, int32_t* markLeft, int32_t* markRight);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void EvAreaChange();
  void EvMarkChange();

 private:
  void ShowSizes();

  int32_t* tracks;
  int32_t* projectSize;
  int32_t* areaLeftOut;
  int32_t* areaRightOut;
  int32_t* markLeftOut;
  int32_t* markRightOut;
  TimeCodeEdit* sizeEdit;
  TIntEdit* trackEdit;
  TimeCodeEdit* areaLeft;
  TimeCodeEdit* areaRight;
  TimeCodeEdit* markLeft;
  TimeCodeEdit* markRight;
  TStatic* areaSize;
  TStatic* markSize;

  DECLARE_RESPONSE_TABLE(SelViewDialog);
};

// A text of at most bufferSize - 1 characters, always terminated; with a
// buffer of no room OK writes nothing.
class NameDialog : public TEDialog {
 public:
  NameDialog(TWindow* parent, const char* caption, char* buffer, int bufferSize);
  void SetupWindow() override;
  bool CanClose() override;

 private:
  std::string caption;
  char* buffer;
  int bufferSize;
  TEdit* edit;
};

// "Repeat Clip": how many copies, and the pause before each (or the period,
// pause plus clip), so that all copies fit in the longest total time.
class LoopDialog : public TEDialog {
 public:
  // clipLength > 0; the count is at least 1.
  LoopDialog(TWindow* parent, int32_t* pause, int32_t clipLength, int32_t* count, int32_t longestTotal);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  LRESULT EvNumberChanged(WPARAM id, LPARAM);
  void EvPauseChange();
  void EvPeriodChange();

 private:
  void FollowCount(int32_t count);
  void FollowPeriod(int32_t period);
  void ShowTotal();

  int32_t* pauseOut;
  int32_t* countOut;
  int32_t clipLength;
  int32_t longestTotal;
  TIntEdit* countEdit;
  TimeCodeEdit* pauseEdit;
  TimeCodeEdit* periodEdit;
  TStatic* total;

  DECLARE_RESPONSE_TABLE(LoopDialog);
};

// "%d frames were dropped!" with "Show this message next time"; OK writes
// whether that box is still checked.
class TimeoutsDialog : public TEDialog {
 public:
  TimeoutsDialog(TWindow* parent, const char* caption, int count, bool* showAgain);
  void SetupWindow() override;
  bool CanClose() override;

 private:
  std::string caption;
  int count;
  bool* showAgain;
  TCheckBox* box;
};

// A tempo on a bar and in a number field that follow each other, with a
// reference value shown beside them.
class SetTempoDialog : public TEDialog {
 public:
  SetTempoDialog(TWindow* parent, int32_t* tempo, int32_t reference, int32_t min, int32_t max);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  LRESULT EvNumberChanged(WPARAM id, LPARAM);

 private:
  int32_t* tempo;
  int32_t reference;
  TEBar* bar;
  TIntEdit* edit;

  DECLARE_RESPONSE_TABLE(SetTempoDialog);
};

bool RunTimeCodeDialog(HWND parent, const char* caption, int32_t* time, int32_t min, int32_t max);
bool RunTimeFragmentDialog(HWND parent, const char* caption, int32_t* left, int32_t* right, int32_t min,
                           int32_t max);
bool RunSelViewDialog(HWND parent, int32_t* tracks, int32_t* projectSize, int32_t minSize, int32_t* areaLeft,
                      int32_t* areaRight, int32_t* markLeft, int32_t* markRight);
bool RunNameDialog(HWND parent, const char* caption, char* buffer, int bufferSize);
bool RunLoopDialog(HWND parent, int32_t* pause, int32_t clipLength, int32_t* count, int32_t longestTotal);
bool RunTimeoutsDialog(HWND parent, const char* caption, int count, bool* showAgain);
bool RunSetTempoDialog(HWND parent, int32_t* tempo, int32_t reference, int32_t min, int32_t max);
