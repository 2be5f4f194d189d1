// The popups that set a clip's or a line's volume, balance or both where the
// user clicked. They act at once: every move of a slider and every number
// typed is written to the caller's variables and the parent's rectangle is
// repainted, so the result shows while the popup is up. OK keeps what is
// there; Cancel puts back the values the popup opened with.
//
// Volume is a gain index 0..2047 (512 unity), shown in dB on a fader and in
// percent; balance is -256..256, shown in percent -100..100.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classlib/dialog.h"
#include "ui/te_dialog.h"

class TEVSlider;
class TEHSlider;
class TIntEdit;

// What the three popups share: the placing on the screen, the live writes
// and Cancel. A popup has the volume controls, the balance controls or both.
class TLevelPopup : public TEDialog {
 public:
  void SetupWindow() override;

 protected:
  // rect and (x, y) in the parent's client coordinates; a null pointer is
  // a variable the popup does not have.
  TLevelPopup(TWindow* parent, int resId, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
              int32_t* gain2, int32_t* balance, int32_t* balance2);

  void EvFader();
  void EvBalanceSlider();
  LRESULT EvNumberChanged(WPARAM id, LPARAM);
  void CmCancel();

 private:
  void StoreGain(int32_t gain);
  void StoreBalance(int32_t balance);
  void Repaint();

  std::string caption;
  RECT rect;
  int x;
  int y;
  int32_t* gain;
  int32_t* gain2;
  int32_t* balance;
  int32_t* balance2;
  int32_t openingGain = 0;
  int32_t openingBalance = 0;
  TEVSlider* fader = nullptr;
  TIntEdit* dbEdit = nullptr;
  TIntEdit* percentEdit = nullptr;
  TEHSlider* balanceSlider = nullptr;
  TIntEdit* balanceEdit = nullptr;

  DECLARE_RESPONSE_TABLE(TLevelPopup);
};

// "Volume": the gain, written to both variables.
class SetLevelDialog : public TLevelPopup {
 public:
  SetLevelDialog(TWindow* parent, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                 int32_t* gain2);
};

// "Balance": the balance, written to both variables.
class SetBalanceDialog : public TLevelPopup {
 public:
  SetBalanceDialog(TWindow* parent, const char* caption, const RECT& rect, int x, int y, int32_t* balance,
                   int32_t* balance2);
};

// "Vol.,Bal.": a gain and a balance; centred vertically on the point.
class SetVolumeBalanceDialog : public TLevelPopup {
 public:
  SetVolumeBalanceDialog(TWindow* parent, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                         int32_t* balance);
};

// The gain a typed percentage stands for, within 0..2047.
int32_t PercentToGain(int32_t percent);
// The percentage shown for a gain.
int32_t GainToPercent(int32_t gain);

// Run a popup owned by parent, whose client coordinates rect and (x, y) are
// in; true on OK.
bool RunSetLevelDialog(HWND parent, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                       int32_t* gain2);
bool RunSetBalanceDialog(HWND parent, const char* caption, const RECT& rect, int x, int y, int32_t* balance,
                         int32_t* balance2);
bool RunSetVolumeBalanceDialog(HWND parent, const char* caption, const RECT& rect, int x, int y,
                               int32_t* gain, int32_t* balance);
