// A scroll bar and two sliders that stand for a value in a range: volume,
// balance, tempo and the mixer's faders. The range may run backwards (the
// first bound larger than the second puts that bound at the top or left).
// Each keeps a text of its parent dialog (the buddy) showing the value and
// sends the parent WM_COMMAND with its id on every move by the user, also
// one that leaves the value as it was. A negative buddy -id names a text
// that only the user's moves and the set-up write, so a program's SetValue
// leaves what the user typed there alone. The sliders pass Space and 'W' to
// the parent as WM_USER+89 and WM_USER+87.
#pragma once

#include <cstdint>

#include "platform/classlib/controls.h"

// The value, its range and the buddy that the three classes keep alike.
struct BarValue {
  BarValue(int buddy, int32_t value, int32_t first, int32_t second);
  // Orders the bounds (reversed when the first is the larger).
  void SetBounds(int32_t first, int32_t second);
  int32_t Clamp(int32_t v) const;
  int Position() const;  // of the value, 0 .. max - min
  int32_t ValueAt(int position) const;
  // Writes the buddy text: the program's writes only to a positive buddy.
  void WriteBuddy(HWND control, bool byUser) const;

  int buddy;
  int32_t min = 0;
  int32_t max = 0;
  int32_t value = 0;
  bool reversed = false;
};

class TEBar : public TScrollBar {
 public:
  // An item of the parent dialog's template.
  TEBar(TWindow* parent, int resourceId, int buddy, int32_t value, int32_t first, int32_t second);

  void SetRange(int first, int second) override;
  void SetValue(int32_t value);
  int32_t GetValue() const { return bar.value; }

  void SetupWindow() override;
  // Every move by the user comes here.
  void SetPosition(int position) override;

 private:
  BarValue bar;
};

class TEVSlider : public TVSlider {
 public:
  // Made as a window of its own; the creator places it.
  TEVSlider(TWindow* parent, int id, int buddy, int32_t value, int32_t first, int32_t second, int thumbResId);

  // Without force a value equal to the stored one changes nothing.
  void SetValue(int32_t value, bool force = false);
  int32_t GetValue() const { return bar.value; }

  void SetupWindow() override;
  void SetPosition(int position) override;

 protected:
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);

 private:
  BarValue bar;
  DECLARE_RESPONSE_TABLE(TEVSlider);
};

class TEHSlider : public THSlider {
 public:
  TEHSlider(TWindow* parent, int id, int buddy, int32_t value, int32_t first, int32_t second);

  void SetValue(int32_t value, bool force = false);
  int32_t GetValue() const { return bar.value; }

  void SetupWindow() override;
  void SetPosition(int position) override;

 protected:
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);

 private:
  BarValue bar;
  DECLARE_RESPONSE_TABLE(TEHSlider);
};

// Lays control over the dialog item placeId (a placeholder of the template),
// inset on each side, just above it in the Z order.
void PlaceOverItem(TWindow& dialog, TWindow& control, int placeId, int inset);
