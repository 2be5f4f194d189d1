#include "ui/time_code_edit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "model/control_font.h"
#include "model/text_format.h"
#include "model/time_code.h"

namespace {

// The largest times the cells can spell: 99:59:59:999 and 9999999 frames.
constexpr int32_t kLargestClockMs = 359999999;
constexpr int32_t kLargestFrames = 9999999;
constexpr int kDragStep = 8;  // pixels of mouse travel per digit step

int32_t Saturate(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

int32_t Clamp(int32_t v, int32_t min, int32_t max) {
  if (v < min) v = min;
  if (v > max) v = max;
  return v;
}

bool IsDigitKey(UINT key) {
  return (key >= '0' && key <= '9') || (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9);
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TimeCodeEdit, TControl)
  EV_MESSAGE(WM_GETDLGCODE, EvGetDlgCode),
  EV_WM_KEYDOWN,
  EV_WM_LBUTTONDOWN,
  EV_WM_RBUTTONDOWN,
  EV_WM_RBUTTONDBLCLK,
  EV_WM_LBUTTONUP,
  EV_WM_RBUTTONUP,
  EV_WM_MOUSEMOVE,
  EV_WM_LBUTTONDBLCLK,
  EV_WM_SETFOCUS,
  EV_WM_KILLFOCUS,
  EV_MESSAGE(WM_CAPTURECHANGED, EvCaptureChanged),
END_RESPONSE_TABLE;
// clang-format on

TimeCodeEdit::TimeCodeEdit(TWindow* parent, int resourceId, int32_t value_, int32_t min_, int32_t max_)
    : TControl(parent, resourceId), value(Clamp(value_, min_, max_)), min(min_), max(max_) {
  const int format = ProjectTimeFormat();
  timeFormat = format == kTimeFormatSmpte || format == kTimeFormatFrames ? format : kTimeFormatMs;
  frameRate = ProjectFrameRate();
  BuildDigits(value);
}

const char* TimeCodeEdit::GetClassName() {
  return "TimeEditControl";
}

// ---- Value ----

void TimeCodeEdit::BuildDigits(int32_t ms) {
  ms = std::max<int32_t>(ms, 0);
  char buffer[kTimeCodeSize] = {};
  if (timeFormat == kTimeFormatFrames) {
    const LONG frames = std::min<LONG>(MsToFrames(ms, frameRate), kLargestFrames);
    FormatTextTo(buffer, sizeof buffer, "%07ld", frames);
    for (int i = 0; i < 7; ++i) digits[i] = buffer[i];
    lastCell = 6;
    for (int i = 0; i <= lastCell; ++i) maxDigit[i] = '9';
  } else {
    FormatTimeCodeAs(std::min(ms, kLargestClockMs), buffer, FALSE, timeFormat, frameRate);
    static const int kAt[kCells - 1] = {0, 1, 3, 4, 6, 7, 9, 10, 11};
    for (int i = 0; i < kCells - 1; ++i) digits[i] = buffer[kAt[i]];
    if (timeFormat == kTimeFormatSmpte) {
      lastCell = 7;
      static const char kMax[] = "29595929";
      for (int i = 0; i <= lastCell; ++i) maxDigit[i] = kMax[i];
    } else {
      lastCell = 8;
      static const char kMax[] = "995959999";
      for (int i = 0; i <= lastCell; ++i) maxDigit[i] = kMax[i];
    }
  }
  cell = std::clamp(cell, 0, lastCell);
}

int32_t TimeCodeEdit::GetValue(bool clamp) const {
  // Cells are read by their numeric value, so one stepped past '9' counts
  // 10 and one below '0' counts -1: the next SetValue carries or borrows.
  // 64 bits, so that no cell content can wrap the sum.
  auto d = [this](int i) { return static_cast<int64_t>(digits[i]) - '0'; };
  int64_t ms;
  if (timeFormat == kTimeFormatFrames) {
    int64_t frames = 0;
    for (int i = 0; i <= lastCell; ++i) frames = frames * 10 + d(i);
    ms = FramesToMs(Saturate(frames), frameRate);
  } else {
    ms = (d(0) * 10 + d(1)) * 3600000 + (d(2) * 10 + d(3)) * 60000 + (d(4) * 10 + d(5)) * 1000;
    if (timeFormat == kTimeFormatSmpte)
      ms += FramesToMs(Saturate(d(6) * 10 + d(7)), frameRate);
    else
      ms += d(6) * 100 + d(7) * 10 + d(8);
  }
  const int32_t v = Saturate(ms);
  return clamp ? Clamp(v, min, max) : v;
}

void TimeCodeEdit::SetValue(int32_t ms, bool notify) {
  ms = Clamp(ms, min, max);
  BuildDigits(ms);
  if (ms == value) return;
  value = ms;
  if (HWindow != nullptr) Invalidate(false);
  if (notify) Notify();
}

void TimeCodeEdit::SetRange(int32_t min_, int32_t max_, bool notify) {
  min = min_;
  max = max_;
  SetValue(GetValue(true), notify);
}

bool TimeCodeEdit::IsValid() const {
  const int32_t v = GetValue(false);
  if (timeFormat == kTimeFormatMs) return v >= min && v <= max;
  const LONG frames = MsToFrames(v, frameRate);
  return frames >= MsToFrames(min, frameRate) && frames <= MsToFrames(max, frameRate);
}

void TimeCodeEdit::Notify() {
  if (HWindow == nullptr) return;
  HWND parent = ::GetParent(HWindow);
  if (parent == nullptr) return;
  ::SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetId(), EN_CHANGE), reinterpret_cast<LPARAM>(HWindow));
}

// ---- Layout and painting ----

void TimeCodeEdit::SetupWindow() {
  TControl::SetupWindow();
  Layout();
}

void TimeCodeEdit::Layout() {
  TClientDC dc(HWindow);
  dc.SelectObject(ControlFont());
  SIZE colons{}, zeros{};
  GetTextExtentPoint(dc, "::::::::::", 10, &colons);
  GetTextExtentPoint(dc, "0000000000", 10, &zeros);
  POINT ext[2] = {{colons.cx, colons.cy}, {zeros.cx, zeros.cy}};
  LPtoDP(dc, ext, 2);
  const int colonWidth = ext[0].x / 10;
  digitWidth = std::max(1, static_cast<int>(ext[1].x / 10));
  const TRect client = GetClientRect();
  height = client.Height();
  caretY = 0;
  if (timeFormat == kTimeFormatFrames) {
    const int start = (client.Width() - (lastCell + 1) * digitWidth) / 2;
    for (int i = 0; i <= lastCell; ++i) cellX[i] = start + i * digitWidth;
    cellX[lastCell + 1] = client.Width();
  } else {
    int x = (client.Width() - (3 * colonWidth + (lastCell + 1) * digitWidth)) / 2;
    for (int i = 0; i < kCells - 1; ++i) {
      cellX[i] = x;
      x += digitWidth + (i == 1 || i == 3 || i == 5 ? colonWidth : 0);
    }
    cellX[kCells - 1] = client.Width();
  }
  if (caretShown) ::SetCaretPos(cellX[cell], caretY);
}

void TimeCodeEdit::BuildText() const {
  char* out = text;
  if (timeFormat == kTimeFormatFrames) {
    for (int i = 0; i <= lastCell; ++i) *out++ = static_cast<char>(digits[i]);
  } else {
    for (int i = 0; i < 6; ++i) {
      *out++ = static_cast<char>(digits[i]);
      if (i % 2 == 1) *out++ = ':';
    }
    for (int i = 6; i <= lastCell; ++i) *out++ = static_cast<char>(digits[i]);
  }
  *out = '\0';
}

const char* TimeCodeEdit::GetText() const {
  BuildText();
  return text;
}

void TimeCodeEdit::Paint(TDC& dc, bool, TRect&) {
  if (caretShown) ::HideCaret(HWindow);
  BuildText();
  // The DC's own pen and brush clear the face; the border lies outside.
  dc.Rectangle(GetClientRect().InflatedBy(2, 2));
  if (highlighted) {
    dc.SetTextColor(RGB(255, 255, 255));
    dc.SetBkColor(RGB(0, 0, 255));
  }
  dc.SelectObject(ControlFont());
  dc.DrawText(text, -1, GetClientRect(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  dc.RestoreObjects();
  if (caretShown) ::ShowCaret(HWindow);
}

// ---- Editing ----

void TimeCodeEdit::ClearHighlight() {
  if (!highlighted) return;
  Invalidate(false);
  highlighted = false;
}

void TimeCodeEdit::SetDigit(int at, int character) {
  digits[at] = character;
  SetValue(GetValue(true), true);
  shiftEntry = false;
  ClearHighlight();
}

void TimeCodeEdit::MoveCaret(int to) {
  cell = std::clamp(to, 0, lastCell);
  if (caretShown) ::SetCaretPos(cellX[cell], caretY);
  ClearHighlight();
  if (shiftEntry) {
    SetValue(GetValue(true), true);
    shiftEntry = false;
  }
}

LRESULT TimeCodeEdit::EvGetDlgCode(WPARAM, LPARAM) {
  return DefaultProcessing() | DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TimeCodeEdit::EvKeyDown(UINT key, UINT, UINT) {
  // A selected value gives way to a fresh entry from zero digits, held to
  // the range only when it is committed (a field whose minimum is above zero
  // would otherwise start from that minimum).
  auto clearSelection = [this] {
    if (!highlighted) return;
    for (int i = 0; i <= lastCell; ++i) digits[i] = '0';
    value = GetValue(false);
    shiftEntry = true;
    Invalidate(false);
    highlighted = false;
  };
  if (IsDigitKey(key)) {
    const int digit = key >= VK_NUMPAD0 ? static_cast<int>('0' + key - VK_NUMPAD0) : static_cast<int>(key);
    clearSelection();
    if (shiftEntry && cell == lastCell) {
      // Calculator entry: the digits move left and the new one comes in on
      // the right; the range is applied when the entry is committed.
      for (int i = 1; i <= lastCell; ++i) digits[i - 1] = digits[i];
      digits[lastCell] = digit;
      Invalidate(false);
      value = GetValue(false);
      Notify();
    } else {
      SetDigit(cell, digit);
    }
    if (cell == lastCell)
      shiftEntry = true;
    else
      MoveCaret(cell + 1);
    return;
  }
  switch (key) {
    case VK_UP:
      SetDigit(cell, digits[cell] + 1);
      return;
    case VK_DOWN:
      SetDigit(cell, digits[cell] - 1);
      return;
    case VK_PRIOR:
      SetDigit(cell, maxDigit[cell]);
      return;
    case VK_NEXT:
      SetDigit(cell, '0');
      return;
    case VK_LEFT:
      MoveCaret(cell - 1);
      return;
    case VK_RIGHT:
      MoveCaret(cell + 1);
      return;
    case VK_HOME:
      MoveCaret(0);
      return;
    case VK_END:
      MoveCaret(lastCell);
      return;
    case VK_SPACE:
      SetValue(GetValue(true), true);
      return;
    case VK_BACK:
      clearSelection();
      if (shiftEntry) {
        SetDigit(cell, '0');
      } else if (cell > 0) {
        MoveCaret(cell - 1);
        SetDigit(cell, '0');
      }
      return;
    case VK_DELETE:
      clearSelection();
      SetDigit(cell, '0');
      return;
  }
  if (key >= 'A' && key <= 'Z') {
    MessageBeep(0);
    return;
  }
  DefaultProcessing();
}

// ---- Mouse ----

void TimeCodeEdit::ButtonDown(const TPoint& point) {
  if (dragging) return;
  SetFocus();
  int i = 0;
  while (i <= lastCell + 1 && point.x >= cellX[i]) ++i;
  MoveCaret(i - 1);
  dragStart = point;
  dragging = true;
  ::SetCapture(HWindow);
}

void TimeCodeEdit::ButtonUp() {
  if (!dragging) return;
  dragging = false;
  if (::GetCapture() == HWindow) ::ReleaseCapture();
}

void TimeCodeEdit::EvLButtonDown(UINT, const TPoint& point) {
  ButtonDown(point);
}

void TimeCodeEdit::EvRButtonDown(UINT, const TPoint& point) {
  ButtonDown(point);
}

void TimeCodeEdit::EvRButtonDblClk(UINT, const TPoint& point) {
  // A quick second right press starts a drag all the same.
  ButtonDown(point);
}

void TimeCodeEdit::EvLButtonUp(UINT, const TPoint&) {
  ButtonUp();
}

void TimeCodeEdit::EvRButtonUp(UINT, const TPoint&) {
  ButtonUp();
}

void TimeCodeEdit::EvMouseMove(UINT, const TPoint& point) {
  if (!dragging) return;
  // Whole steps only; the rest of the travel stays pending.
  if (dragStart.y - point.y >= kDragStep) {
    const int n = (dragStart.y - point.y) / kDragStep;
    dragStart.y -= n * kDragStep;
    SetDigit(cell, digits[cell] + n);
  } else if (point.y - dragStart.y >= kDragStep) {
    const int n = (point.y - dragStart.y) / kDragStep;
    dragStart.y += n * kDragStep;
    SetDigit(cell, digits[cell] - n);
  }
}

LRESULT TimeCodeEdit::EvCaptureChanged(WPARAM, LPARAM lParam) {
  // A drag whose capture was taken away has ended: later moves without a
  // button must not step the digit.
  if (reinterpret_cast<HWND>(lParam) != HWindow) dragging = false;
  return 0;
}

void TimeCodeEdit::EvLButtonDblClk(UINT, const TPoint&) {
  SetFocus();
  MoveCaret(lastCell);
  Invalidate(false);
  highlighted = true;
  shiftEntry = true;
}

// ---- Focus ----

void TimeCodeEdit::EvSetFocus(HWND) {
  if (!caretShown) {
    ::CreateCaret(HWindow, nullptr, digitWidth + 1, height);
    ::SetCaretPos(cellX[cell], caretY);
    ::ShowCaret(HWindow);
    caretShown = true;
  }
  Invalidate(false);
  highlighted = true;
}

void TimeCodeEdit::EvKillFocus(HWND) {
  if (caretShown) {
    ::DestroyCaret();
    caretShown = false;
  }
  ClearHighlight();
  if (shiftEntry) {
    SetValue(GetValue(true), true);
    shiftEntry = false;
  }
}
