#include "ui/value_sliders.h"

#include <algorithm>

#include "model/scratch_str.h"
#include "resources/resources.h"
#include "resources/slider_thumb_ids.h"
#include "ui/numeric_edits.h"

namespace {

void PassKey(HWND control, UINT key) {
  HWND parent = ::GetParent(control);
  if (parent != nullptr) ::PostMessage(parent, key == VK_SPACE ? kPlayKey : kWKey, 0, 0);
}

void TellParent(HWND control, int id) {
  HWND parent = ::GetParent(control);
  if (parent != nullptr) ::SendMessage(parent, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

}  // namespace

// ---- The value ----

BarValue::BarValue(int buddy_, int32_t value_, int32_t first, int32_t second) : buddy(buddy_) {
  SetBounds(first, second);
  value = Clamp(value_);
}

void BarValue::SetBounds(int32_t first, int32_t second) {
  reversed = second < first;
  min = reversed ? second : first;
  max = reversed ? first : second;
}

int32_t BarValue::Clamp(int32_t v) const {
  return std::clamp(v, min, max);
}

int BarValue::Position() const {
  return reversed ? max - value : value - min;
}

int32_t BarValue::ValueAt(int position) const {
  return reversed ? max - position : min + position;
}

void BarValue::WriteBuddy(HWND control, bool byUser) const {
  const int id = buddy > 0 ? buddy : byUser ? -buddy : 0;
  if (id == 0 || control == nullptr) return;
  ::SetDlgItemText(::GetParent(control), id, IntToPaddedText(value, 0));
}

// ---- TEBar ----

TEBar::TEBar(TWindow* parent, int resourceId, int buddy, int32_t value, int32_t first, int32_t second)
    : TScrollBar(parent, resourceId), bar(buddy, value, first, second) {
  Min = 0;
  Max = bar.max - bar.min;
}

void TEBar::SetupWindow() {
  // Not the scroll bar's own set-up: its range is ours.
  TControl::SetupWindow();
  TScrollBar::SetRange(0, bar.max - bar.min);
  TScrollBar::SetPosition(bar.Position());
  bar.WriteBuddy(HWindow, true);
}

void TEBar::SetRange(int first, int second) {
  bar.SetBounds(first, second);
  bar.value = bar.Clamp(bar.value);
  TScrollBar::SetRange(0, bar.max - bar.min);
  TScrollBar::SetPosition(bar.Position());
}

void TEBar::SetValue(int32_t value) {
  value = bar.Clamp(value);
  if (value == bar.value) return;
  bar.value = value;
  TScrollBar::SetPosition(bar.Position());
  bar.WriteBuddy(HWindow, false);
}

void TEBar::SetPosition(int position) {
  position = std::clamp(position, 0, bar.max - bar.min);
  TScrollBar::SetPosition(position);
  bar.value = bar.ValueAt(position);
  bar.WriteBuddy(HWindow, true);
  TellParent(HWindow, GetId());
}

// ---- TEVSlider ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TEVSlider, TVSlider)
  EV_WM_KEYDOWN,
END_RESPONSE_TABLE;
// clang-format on

TEVSlider::TEVSlider(TWindow* parent, int id, int buddy, int32_t value, int32_t first, int32_t second,
                     int thumbResId)
    : TVSlider(parent, id, 0, 0, 40, 100, thumbResId), bar(buddy, value, first, second) {
  RegisterProgramResources();
  Min = 0;
  Max = bar.max - bar.min;
}

void TEVSlider::SetupWindow() {
  TVSlider::SetupWindow();
  TSlider::SetPosition(bar.Position());
  bar.WriteBuddy(HWindow, true);
}

void TEVSlider::SetValue(int32_t value, bool force) {
  value = bar.Clamp(value);
  if (value == bar.value && !force) return;
  bar.value = value;
  TSlider::SetPosition(bar.Position());
  bar.WriteBuddy(HWindow, false);
}

void TEVSlider::SetPosition(int position) {
  position = std::clamp(position, 0, bar.max - bar.min);
  TSlider::SetPosition(position);
  bar.value = bar.ValueAt(position);
  bar.WriteBuddy(HWindow, true);
  TellParent(HWindow, GetId());
}

void TEVSlider::EvKeyDown(UINT key, UINT, UINT) {
  if (key == VK_SPACE || key == 'W')
    PassKey(HWindow, key);
  else
    DefaultProcessing();
}

// ---- TEHSlider ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TEHSlider, THSlider)
  EV_WM_KEYDOWN,
END_RESPONSE_TABLE;
// clang-format on

TEHSlider::TEHSlider(TWindow* parent, int id, int buddy, int32_t value, int32_t first, int32_t second)
    : THSlider(parent, id, 0, 0, 40, 100, kHSliderThumb), bar(buddy, value, first, second) {
  RegisterProgramResources();
  Min = 0;
  Max = bar.max - bar.min;
}

void TEHSlider::SetupWindow() {
  THSlider::SetupWindow();
  TSlider::SetPosition(bar.Position());
  bar.WriteBuddy(HWindow, true);
}

void TEHSlider::SetValue(int32_t value, bool force) {
  value = bar.Clamp(value);
  if (value == bar.value && !force) return;
  bar.value = value;
  TSlider::SetPosition(bar.Position());
  bar.WriteBuddy(HWindow, false);
}

void TEHSlider::SetPosition(int position) {
  position = std::clamp(position, 0, bar.max - bar.min);
  TSlider::SetPosition(position);
  bar.value = bar.ValueAt(position);
  bar.WriteBuddy(HWindow, true);
  TellParent(HWindow, GetId());
}

void TEHSlider::EvKeyDown(UINT key, UINT, UINT) {
  if (key == VK_SPACE || key == 'W')
    PassKey(HWindow, key);
  else
    DefaultProcessing();
}

void PlaceOverItem(TWindow& dialog, TWindow& control, int placeId, int inset) {
  HWND item = dialog.GetDlgItem(placeId);
  if (item == nullptr) return;
  RECT r;
  ::GetWindowRect(item, &r);
  ::MapWindowPoints(nullptr, dialog.GetHandle(), reinterpret_cast<POINT*>(&r), 2);
  ::InflateRect(&r, -inset, -inset);
  ::SetWindowPos(control.GetHandle(), item, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}
