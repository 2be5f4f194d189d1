// TimeCodeEdit: the dialog field for a time. It shows milliseconds in the
// program's time format (milliseconds, SMPTE time code or frames) as a row
// of digit cells with a caret of its own; the user changes the time digit by
// digit with the keys or by dragging a digit up and down. Stepping a digit
// past 9 or below 0 carries into the next larger unit. The value is kept
// within [min, max] and every change is told to the parent as WM_COMMAND
// with EN_CHANGE.
//
// A double-click (or gaining the focus) selects the whole value: the next
// digit typed starts it afresh, and digits typed on the last cell shift in
// from the right like a calculator's; that entry is clamped only when it is
// committed (Space, a caret move, or losing the focus).
#pragma once

#include <cstdint>

#include "platform/classlib/controls.h"

class TimeCodeEdit : public TControl {
 public:
  // An item of the parent dialog's template; value is clamped into [min, max].
  TimeCodeEdit(TWindow* parent, int resourceId, int32_t value, int32_t min, int32_t max);

  // Clamps ms into the range and shows it; a value that differs from the
  // stored one repaints and, with notify, tells the parent.
  void SetValue(int32_t ms, bool notify);
  // The time the digit cells spell, clamped into the range when clamp is set.
  int32_t GetValue(bool clamp) const;
  void SetRange(int32_t min, int32_t max, bool notify);
  // Whether the digits spell a time within the range (compared in frames in
  // the SMPTE and frames formats).
  bool IsValid() const;

  const char* GetClassName() override;
  void SetupWindow() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // What the control shows, for its owner and tests.
  const char* GetText() const;
  int GetCell() const { return cell; }
  int32_t GetMin() const { return min; }
  int32_t GetMax() const { return max; }

 protected:
  LRESULT EvGetDlgCode(WPARAM, LPARAM);
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void EvRButtonDblClk(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvRButtonUp(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvSetFocus(HWND lost);
  void EvKillFocus(HWND gained);
  LRESULT EvCaptureChanged(WPARAM, LPARAM lParam);

 private:
  static constexpr int kCells = 10;

  void BuildDigits(int32_t ms);
  void BuildText() const;
  void Layout();
  void SetDigit(int at, int character);
  void MoveCaret(int to);
  void Notify();
  void ClearHighlight();
  void ButtonDown(const TPoint& point);
  void ButtonUp();

  int32_t value;
  int32_t min;
  int32_t max;
  // Character codes; during a step a cell briefly holds one past '9' or
  // below '0' (a drag may step it by several).
  int digits[kCells] = {};
  mutable char text[16] = {};
  bool caretShown = false;
  bool highlighted = false;
  bool shiftEntry = false;
  bool dragging = false;
  int digitWidth = 8;
  int height = 0;
  int cellX[kCells + 1] = {};
  int caretY = 0;
  int cell = 999;
  int lastCell = 8;
  char maxDigit[kCells] = {};
  int timeFormat;
  float frameRate;
  TPoint dragStart;

  DECLARE_RESPONSE_TABLE(TimeCodeEdit);
};
