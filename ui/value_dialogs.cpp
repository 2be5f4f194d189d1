#include "ui/value_dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/value_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "ui/owner_window.h"
#include "ui/time_code_edit.h"
#include "ui/value_sliders.h"

namespace {

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool FrameFormat() {
  const int format = ProjectTimeFormat();
  return format == kTimeFormatSmpte || format == kTimeFormatFrames;
}

// A time one step of the time format later or earlier.
int32_t AddUnit(int32_t t) {
  return FrameFormat() ? MsAddFrames(t, 1) : Saturate(static_cast<int64_t>(t) + 1);
}
int32_t SubUnit(int32_t t) {
  return FrameFormat() ? MsSubFrames(t, 1) : Saturate(static_cast<int64_t>(t) - 1);
}

// Frame rounding can bring the two ends of a range within a frame of each
// other the wrong way round; the range then holds the upper end only.
void Limit(TimeCodeEdit* edit, int32_t lo, int32_t hi) {
  edit->SetRange(std::min(lo, hi), hi, false);
}

// The first invalid entry: focus and a beep, and the dialog stays.
bool Reject(TWindow* control) {
  ::SetFocus(control->GetHandle());
  MessageBeep(MB_ICONASTERISK);
  return false;
}

void ShowCaption(HWND dialog, const std::string& caption) {
  if (!caption.empty()) ::SetWindowText(dialog, caption.c_str());
}

std::string CaptionOf(const char* caption) {
  return caption != nullptr ? caption : "";
}

void ShowTime(TStatic* text, int64_t ms) {
  text->SetText(MsToTimeCodeText(Saturate(ms), TRUE));
}

template <class Dialog, class... Args>
bool Run(HWND parent, Args... args) {
  OwnerWindow owner(parent);
  Dialog dialog(owner.Get(), args...);
  return dialog.Execute() == IDOK;
}

}  // namespace

// ---- TimeCodeDialog ----

TimeCodeDialog::TimeCodeDialog(TWindow* parent, const char* caption_, int32_t* time_, int32_t min,
                               int32_t max)
    : TEDialog(parent, kTimeCodeDialog),
      caption(CaptionOf(caption_)),
      time(time_),
      edit(new TimeCodeEdit(this, kTimeCodeEdit, time_ != nullptr ? *time_ : min, min, max)) {}

void TimeCodeDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ShowCaption(HWindow, caption);
}

bool TimeCodeDialog::CanClose() {
  if (!edit->IsValid()) return Reject(edit);
  if (time != nullptr) *time = edit->GetValue(true);
  return true;
}

// ---- TimeFragmentDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TimeFragmentDialog, TEDialog)
  EV_EN_CHANGE(kRangeLeft, EvLeftChange),
  EV_EN_CHANGE(kRangeRight, EvRightChange),
END_RESPONSE_TABLE;
// clang-format on

TimeFragmentDialog::TimeFragmentDialog(TWindow* parent, const char* caption_, int32_t* left_, int32_t* right_,
                                       int32_t min_, int32_t max_)
    : TEDialog(parent, kTimeFragmentDialog),
      caption(CaptionOf(caption_)),
      leftOut(left_),
      rightOut(right_),
      min(min_),
      max(max_) {
  left = left_ != nullptr ? *left_ : min;
  if (left < min) left = min;
  if (left > SubUnit(max)) left = SubUnit(max);
  right = right_ != nullptr ? *right_ : max;
  if (right <= left)
    right = std::min(AddUnit(left), max);
  else if (right > max)
    right = max;
  const int32_t leftMax = SubUnit(right), rightMin = AddUnit(left);
  leftEdit = new TimeCodeEdit(this, kRangeLeft, left, std::min(min, leftMax), leftMax);
  rightEdit = new TimeCodeEdit(this, kRangeRight, right, std::min(rightMin, max), max);
  size = new TStatic(this, kRangeSize);
}

void TimeFragmentDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ShowCaption(HWindow, caption);
  ShowSize();
}

void TimeFragmentDialog::ShowSize() {
  ShowTime(size, static_cast<int64_t>(right) - left);
}

void TimeFragmentDialog::EvLeftChange() {
  left = leftEdit->GetValue(true);
  Limit(rightEdit, AddUnit(left), max);
  right = rightEdit->GetValue(true);
  ShowSize();
}

void TimeFragmentDialog::EvRightChange() {
  right = rightEdit->GetValue(true);
  Limit(leftEdit, min, SubUnit(right));
  left = leftEdit->GetValue(true);
  ShowSize();
}

bool TimeFragmentDialog::CanClose() {
  if (!leftEdit->IsValid()) return Reject(leftEdit);
  if (!rightEdit->IsValid()) return Reject(rightEdit);
  if (leftOut != nullptr) *leftOut = leftEdit->GetValue(true);
  if (rightOut != nullptr) *rightOut = rightEdit->GetValue(true);
  return true;
}

// ---- SelViewDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(SelViewDialog, TEDialog)
  EV_EN_CHANGE(kAreaLeft, EvAreaChange),
  EV_EN_CHANGE(kAreaRight, EvAreaChange),
  EV_EN_CHANGE(kMarkLeft, EvMarkChange),
  EV_EN_CHANGE(kMarkRight, EvMarkChange),
END_RESPONSE_TABLE;
// clang-format on

SelViewDialog::SelViewDialog(TWindow* parent, int32_t* tracks_, int32_t* projectSize_, int32_t minSize,
                             int32_t* areaLeft_, int32_t* areaRight_, int32_t* markLeft_, int32_t* markRight_)
    : TEDialog(parent, kSelViewDialog),
      tracks(tracks_),
      projectSize(projectSize_),
      areaLeftOut(areaLeft_),
      areaRightOut(areaRight_),
      markLeftOut(markLeft_),
      markRightOut(markRight_) {
  minSize = std::max<int32_t>(minSize, 1000);
  const int32_t size = projectSize != nullptr ? *projectSize : minSize;
  int32_t aLeft = areaLeft_ != nullptr ? *areaLeft_ : 0, aRight = areaRight_ != nullptr ? *areaRight_ : 0;
  if (aRight <= aLeft) {
    aLeft = 0;
    aRight = size;
  }
  int32_t mLeft = markLeft_ != nullptr ? *markLeft_ : 0, mRight = markRight_ != nullptr ? *markRight_ : 0;
  if (mRight < mLeft) mLeft = mRight = 0;
  sizeEdit = new TimeCodeEdit(this, kProjectSize, size, std::min<int32_t>(minSize, kDayMs), kDayMs);
  trackEdit = new TIntEdit(this, kAudioTracks, 1, 4);
  const int32_t aLeftMax = SubUnit(aRight);
  areaLeft = new TimeCodeEdit(this, kAreaLeft, aLeft, std::min(0, aLeftMax), aLeftMax);
  areaRight = new TimeCodeEdit(this, kAreaRight, aRight, std::min<int32_t>(AddUnit(aLeft), kDayMs), kDayMs);
  markLeft = new TimeCodeEdit(this, kMarkLeft, mLeft, 0, mRight);
  markRight = new TimeCodeEdit(this, kMarkRight, mRight, mLeft, kDayMs);
  areaSize = new TStatic(this, kAreaSize);
  markSize = new TStatic(this, kMarkSize);
}

void SelViewDialog::SetupWindow() {
  TEDialog::SetupWindow();
  trackEdit->SetValue(tracks != nullptr ? *tracks : 1, true);
  ShowSizes();
}

void SelViewDialog::ShowSizes() {
  ShowTime(areaSize, static_cast<int64_t>(areaRight->GetValue(true)) - areaLeft->GetValue(true));
  ShowTime(markSize, static_cast<int64_t>(markRight->GetValue(true)) - markLeft->GetValue(true));
}

void SelViewDialog::EvAreaChange() {
  // Whichever edge moved, the other one keeps the area a unit long at least.
  const WORD id = LOWORD(CurrentEvent.WParam);
  if (id == kAreaLeft)
    Limit(areaRight, AddUnit(areaLeft->GetValue(true)), kDayMs);
  else
    Limit(areaLeft, 0, SubUnit(areaRight->GetValue(true)));
  ShowSizes();
}

void SelViewDialog::EvMarkChange() {
  const WORD id = LOWORD(CurrentEvent.WParam);
  if (id == kMarkLeft)
    Limit(markRight, markLeft->GetValue(true), kDayMs);
  else
    Limit(markLeft, 0, markRight->GetValue(true));
  ShowSizes();
}

bool SelViewDialog::CanClose() {
  for (TimeCodeEdit* e : {sizeEdit, areaLeft, areaRight, markLeft, markRight})
    if (!e->IsValid()) return Reject(e);
  const int32_t size = sizeEdit->GetValue(true);
  const int32_t aLeft = areaLeft->GetValue(true);
  if (projectSize != nullptr) *projectSize = size;
  if (tracks != nullptr) *tracks = trackEdit->GetValue();
  if (areaLeftOut != nullptr) *areaLeftOut = aLeft < size ? aLeft : 0;
  if (areaRightOut != nullptr) *areaRightOut = std::min(areaRight->GetValue(true), size);
  if (markLeftOut != nullptr) *markLeftOut = std::min(markLeft->GetValue(true), size);
  if (markRightOut != nullptr) *markRightOut = std::min(markRight->GetValue(true), size);
  return true;
}

// ---- NameDialog ----

NameDialog::NameDialog(TWindow* parent, const char* caption_, char* buffer_, int bufferSize_)
    : TEDialog(parent, kNameDialog),
      caption(CaptionOf(caption_)),
      buffer(buffer_),
      bufferSize(buffer_ != nullptr ? bufferSize_ : 0),
      edit(new TEdit(this, kNameEdit, static_cast<UINT>(std::max(bufferSize, 0)))) {}

void NameDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ShowCaption(HWindow, caption);
  if (bufferSize > 0) edit->SetText(std::string(buffer, strnlen(buffer, bufferSize - 1)).c_str());
  // No room for a character: nothing can be typed.
  if (bufferSize < 2) edit->SetReadOnly(true);
}

bool NameDialog::CanClose() {
  if (bufferSize < 1) return true;
  const std::string text = edit->GetText();
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return true;
}

// ---- LoopDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(LoopDialog, TEDialog)
  EV_MESSAGE(kNumberChanged, EvNumberChanged),
  EV_EN_CHANGE(kLoopPause, EvPauseChange),
  EV_EN_CHANGE(kLoopPeriod, EvPeriodChange),
END_RESPONSE_TABLE;
// clang-format on

LoopDialog::LoopDialog(TWindow* parent, int32_t* pause, int32_t clipLength_, int32_t* count,
                       int32_t longestTotal_)
    : TEDialog(parent, kLoopDialog),
      pauseOut(pause),
      countOut(count),
      clipLength(std::max<int32_t>(clipLength_, 1)),
      longestTotal(std::max<int32_t>(longestTotal_, 0)) {
  const int32_t p = pause != nullptr ? std::max<int32_t>(*pause, 0) : 0;
  const int32_t n = count != nullptr ? std::max<int32_t>(*count, 1) : 1;
  const int32_t period = Saturate(static_cast<int64_t>(p) + clipLength);
  countEdit = new TIntEdit(this, kLoopCount, 1, std::max<int32_t>(1, longestTotal / period));
  pauseEdit = new TimeCodeEdit(this, kLoopPause, p, 0, std::max<int32_t>(0, longestTotal / n - clipLength));
  periodEdit =
      new TimeCodeEdit(this, kLoopPeriod, period, clipLength, std::max(clipLength, longestTotal / n));
  total = new TStatic(this, kLoopTotal);
  countEdit->SetValue(n, true);
}

void LoopDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ::SetDlgItemText(HWindow, kLoopClipLength, MsToTimeCodeText(clipLength, TRUE));
  ShowTotal();
}

void LoopDialog::ShowTotal() {
  ShowTime(total, static_cast<int64_t>(periodEdit->GetValue(true)) * countEdit->GetValue());
}

void LoopDialog::FollowCount(int32_t count) {
  ShowTotal();
  const int32_t most = longestTotal / count;
  Limit(periodEdit, clipLength, std::max(clipLength, most));
  Limit(pauseEdit, 0, std::max<int32_t>(0, most - clipLength));
}

void LoopDialog::FollowPeriod(int32_t period) {
  ShowTotal();
  countEdit->SetRange(1, std::max<int32_t>(1, longestTotal / std::max<int32_t>(period, 1)));
}

LRESULT LoopDialog::EvNumberChanged(WPARAM id, LPARAM) {
  if (id != static_cast<WPARAM>(kLoopCount)) return 0;
  // The number as typed, before the field clamps it: a count below one is
  // put back to one; a field with no number yet waits for one.
  const std::string text = countEdit->GetText();
  char* end = nullptr;
  const long typed = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return 0;
  if (typed < 1) {
    countEdit->SetValue(1, true);
    FollowCount(1);
  } else {
    FollowCount(countEdit->GetValue());
  }
  return 0;
}

void LoopDialog::EvPauseChange() {
  const int32_t period = Saturate(static_cast<int64_t>(pauseEdit->GetValue(true)) + clipLength);
  periodEdit->SetValue(period, false);
  FollowPeriod(period);
}

void LoopDialog::EvPeriodChange() {
  const int32_t period = periodEdit->GetValue(true);
  pauseEdit->SetValue(period - clipLength, false);
  FollowPeriod(period);
}

bool LoopDialog::CanClose() {
  if (!periodEdit->IsValid()) return Reject(periodEdit);
  if (!pauseEdit->IsValid()) return Reject(pauseEdit);
  if (!countEdit->IsValid()) return Reject(countEdit);
  if (pauseOut != nullptr) *pauseOut = pauseEdit->GetValue(true);
  if (countOut != nullptr) *countOut = countEdit->GetValue();
  return true;
}

// ---- TimeoutsDialog ----

TimeoutsDialog::TimeoutsDialog(TWindow* parent, const char* caption_, int count_, bool* showAgain_)
    : TEDialog(parent, kTimeoutsDialog),
      caption(CaptionOf(caption_)),
      count(count_),
      showAgain(showAgain_),
      box(new TCheckBox(this, kTimeoutsShowAgain)) {}

void TimeoutsDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ShowCaption(HWindow, caption);
  ::SetDlgItemText(HWindow, kTimeoutsText,
                   FormatText(GetString(ui_string::kFramesDroppedNotice), count).c_str());
  box->Check();
}

bool TimeoutsDialog::CanClose() {
  if (showAgain != nullptr) *showAgain = box->GetCheck() == TCheckBox::Checked;
  return true;
}

// ---- SetTempoDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(SetTempoDialog, TEDialog)
  EV_MESSAGE(kNumberChanged, EvNumberChanged),
END_RESPONSE_TABLE;
// clang-format on

SetTempoDialog::SetTempoDialog(TWindow* parent, int32_t* tempo_, int32_t reference_, int32_t min, int32_t max)
    : TEDialog(parent, kSetTempoDialog), tempo(tempo_), reference(reference_) {
  // The bar writes the field only when the user moves it, so that it never
  // rewrites a number being typed.
  bar = new TEBar(this, kTempoBar, -kTempoEdit, tempo_ != nullptr ? *tempo_ : min, min, max);
  edit = new TIntEdit(this, kTempoEdit, std::min(min, max), std::max(min, max));
}

void SetTempoDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ::SetDlgItemText(HWindow, kTempoReference, FormatText("%d", reference).c_str());
}

LRESULT SetTempoDialog::EvNumberChanged(WPARAM id, LPARAM) {
  if (id == static_cast<WPARAM>(kTempoEdit)) bar->SetValue(edit->GetValue());
  return 0;
}

bool SetTempoDialog::CanClose() {
  if (tempo != nullptr) *tempo = bar->GetValue();
  return true;
}

// ---- Runners ----

bool RunTimeCodeDialog(HWND parent, const char* caption, int32_t* time, int32_t min, int32_t max) {
  return Run<TimeCodeDialog>(parent, caption, time, min, max);
}

bool RunTimeFragmentDialog(HWND parent, const char* caption, int32_t* left, int32_t* right, int32_t min,
                           int32_t max) {
  return Run<TimeFragmentDialog>(parent, caption, left, right, min, max);
}

bool RunSelViewDialog(HWND parent, int32_t* tracks, int32_t* projectSize, int32_t minSize, int32_t* areaLeft,
                      int32_t* areaRight, int32_t* markLeft, int32_t* markRight) {
  return Run<SelViewDialog>(parent, tracks, projectSize, minSize, areaLeft, areaRight, markLeft, markRight);
}

bool RunNameDialog(HWND parent, const char* caption, char* buffer, int bufferSize) {
  return Run<NameDialog>(parent, caption, buffer, bufferSize);
}

bool RunLoopDialog(HWND parent, int32_t* pause, int32_t clipLength, int32_t* count, int32_t longestTotal) {
  return Run<LoopDialog>(parent, pause, clipLength, count, longestTotal);
}

bool RunTimeoutsDialog(HWND parent, const char* caption, int count, bool* showAgain) {
  return Run<TimeoutsDialog>(parent, caption, count, showAgain);
}

bool RunSetTempoDialog(HWND parent, int32_t* tempo, int32_t reference, int32_t min, int32_t max) {
  return Run<SetTempoDialog>(parent, tempo, reference, min, max);
}
