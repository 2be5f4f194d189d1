// TIntEdit and TFloatEdit: dialog fields for a number kept within a range.
// They take only the characters of a number (others beep), step the value
// with an attached up-down control (Shift 10 steps, Ctrl 100) and step the
// digit under the mouse while the user drags it with the right button. Every
// change is posted to the parent as WM_USER+94 with the control's id, so a
// dialog can follow the value as it is typed. Space and 'W' go to the parent
// as WM_USER+89 (play) and WM_USER+87 instead of into the text. Losing the
// focus rewrites the text in its normal form (clamped, no leading zeros,
// three decimals for floats).
//
// Texts are read saturating: a number too large for the field reads as its
// maximum, never as a wrapped one, and a float text that is not a finite
// number is not valid.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classlib/controls.h"

// Posted to the parent on every change: wParam the id, lParam the control.
constexpr UINT kNumberChanged = WM_USER + 94;
// Posted to the parent for the keys the fields pass on.
constexpr UINT kPlayKey = WM_USER + 89;
constexpr UINT kWKey = WM_USER + 87;

// What the two fields share: the character filter, the spin, the right
// button drag and the notification. Values travel as doubles here; each
// field keeps its own type and text form.
class TNumberEdit : public TEdit {
 public:
  void SetupWindow() override;

 protected:
  TNumberEdit(TWindow* parent, int resourceId, UINT textLimit, bool fraction);

  // The value the text shows, clamped; stepping sets a clamped value and
  // rewrites the text only when it shows another value.
  virtual double CurrentValue() = 0;
  virtual void StepTo(double value) = 0;
  // The text in its normal form.
  virtual void Normalize() = 0;
  virtual double SpinUnit() const = 0;

  void PostChange();
  // The whole window text (or what will become it before the window exists).
  std::string ReadText() const;
  void WriteText(const std::string& text);

  void EvChar(UINT key, UINT repeatCount, UINT flags);
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
  void EvVScroll(UINT code, UINT pos, HWND hWndCtl);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void EvRButtonDblClk(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvRButtonUp(UINT modKeys, const TPoint& point);
  void EvKillFocus(HWND gained);
  LRESULT EvCaptureChanged(WPARAM, LPARAM lParam);

  int minusWidth = 0;
  int pointWidth = 0;
  int digitWidth[10] = {};
  double dragStart = 0;
  double dragStep = 0;
  bool dragging = false;
  TPoint dragPoint;

 private:
  // The character under x, its index and the drag step it gives; false
  // when it is no digit.
  bool DigitAt(const std::string& text, int x, int* index, double* step) const;
  void Measure();

  bool fraction;
  std::string pending;  // text set before the window exists

  DECLARE_RESPONSE_TABLE(TNumberEdit);
};

class TIntEdit : public TNumberEdit {
 public:
  // An item of the parent dialog's template.
  TIntEdit(TWindow* parent, int resourceId, int32_t min, int32_t max);

  // Clamps value into the range and shows it; without force the text is
  // left alone when it already shows that value.
  void SetValue(int32_t value, bool force = false);
  // The text's number clamped into the range; an empty text gives min.
  int32_t GetValue();
  void SetRange(int32_t min, int32_t max);
  // The text is a number within the range.
  bool IsValid();

 protected:
  double CurrentValue() override { return GetValue(); }
  void StepTo(double value) override;
  void Normalize() override { SetValue(GetValue(), true); }
  double SpinUnit() const override { return 1; }

 private:
  int32_t min;
  int32_t max;
};

class TFloatEdit : public TNumberEdit {
 public:
  // spinStep is what one click of the up-down adds.
  TFloatEdit(TWindow* parent, int resourceId, float min, float max, float spinStep);

  void SetValue(float value, bool force = false);
  float GetValue();
  void SetRange(float min, float max);
  // The text is a finite number within the range to three decimals.
  bool IsValid();

 protected:
  double CurrentValue() override { return GetValue(); }
  void StepTo(double value) override;
  void Normalize() override { SetValue(GetValue(), true); }
  double SpinUnit() const override { return spinStep; }

 private:
  float min;
  float max;
  float spinStep;
};
