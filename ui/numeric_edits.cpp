#include "ui/numeric_edits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "model/text_format.h"

namespace {

constexpr int kDragStep = 8;  // pixels of mouse travel per step

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// atoi's reading (blanks, a sign, digits, anything after ignored), held at
// the int32 limits instead of wrapping.
int32_t ParseInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{1} << 32) break;  // beyond any int32 already
  }
  if (negative) v = -v;
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// atof's reading; a text without a number reads 0 and may give an infinity
// or NaN, which the callers treat as invalid.
double ParseFloat(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  double v = 0;
  const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), v);
  if (error == std::errc::result_out_of_range) {
    // Beyond a double: an infinity, or nothing for a tiny exponent.
    const bool tiny = std::string(text.data() + i, end).find("e-") != std::string::npos ||
                      std::string(text.data() + i, end).find("E-") != std::string::npos;
    const bool negative = i < text.size() && text[i] == '-';
    if (tiny) return 0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  return v;
}

}  // namespace

// ---- What both fields share ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TNumberEdit, TEdit)
  EV_WM_CHAR,
  EV_WM_KEYDOWN,
  EV_WM_VSCROLL,
  EV_WM_RBUTTONDOWN,
  EV_WM_RBUTTONDBLCLK,
  EV_WM_MOUSEMOVE,
  EV_WM_RBUTTONUP,
  EV_WM_KILLFOCUS,
  EV_MESSAGE(WM_CAPTURECHANGED, EvCaptureChanged),
END_RESPONSE_TABLE;
// clang-format on

TNumberEdit::TNumberEdit(TWindow* parent, int resourceId, UINT textLimit, bool fraction_)
    : TEdit(parent, resourceId, textLimit), fraction(fraction_) {}

void TNumberEdit::SetupWindow() {
  TEdit::SetupWindow();
  if (!pending.empty()) ::SetWindowText(HWindow, pending.c_str());
  pending.clear();
  Measure();
}

// The widths the drag adds up, in the font the edit draws with.
void TNumberEdit::Measure() {
  TClientDC dc(HWindow);
  if (HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))) dc.SelectObject(font);
  auto width = [&dc](char c) {
    const std::string ten(10, c);
    SIZE size{};
    GetTextExtentPoint(dc, ten.c_str(), 10, &size);
    POINT ext{size.cx, size.cy};
    LPtoDP(dc, &ext, 1);
    return static_cast<int>(ext.x / 10);
  };
  minusWidth = width('-');
  if (fraction) pointWidth = width('.');
  for (int d = 0; d < 10; ++d) digitWidth[d] = width(static_cast<char>('0' + d));
}

std::string TNumberEdit::ReadText() const {
  if (HWindow == nullptr) return pending;
  // The whole text: a value written by the program may be longer than what
  // the user can type.
  const int n = ::GetWindowTextLength(HWindow);
  std::string text(static_cast<std::size_t>(std::max(n, 0)) + 1, '\0');
  const int got = ::GetWindowText(HWindow, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void TNumberEdit::WriteText(const std::string& text) {
  if (HWindow == nullptr) {
    pending = text;
    return;
  }
  ::SetWindowText(HWindow, text.c_str());
}

void TNumberEdit::PostChange() {
  HWND parent = HWindow != nullptr ? ::GetParent(HWindow) : nullptr;
  if (parent != nullptr)
    ::PostMessage(parent, kNumberChanged, static_cast<WPARAM>(GetId()), reinterpret_cast<LPARAM>(HWindow));
}

void TNumberEdit::EvChar(UINT key, UINT, UINT) {
  const bool digit = key >= '0' && key <= '9';
  if (digit || key < 32) {
    DefaultProcessing();
    PostChange();
    return;
  }
  if (key == '-') {
    int start = 0, end = 0;
    GetSelection(start, end);
    if (start != 0) {
      MessageBeep(0);
      return;
    }
    DefaultProcessing();
    PostChange();
    return;
  }
  if (fraction && (key == '.' || key == ',')) {
    // A decimal comma is read as the point it stands for.
    DefWindowProc(WM_CHAR, '.', CurrentEvent.LParam);
    PostChange();
    return;
  }
  // Space and 'W' went to the parent as keys; their characters are no error.
  if (key == ' ' || key == 'w' || key == 'W') return;
  MessageBeep(0);
}

void TNumberEdit::EvKeyDown(UINT key, UINT, UINT) {
  HWND parent = ::GetParent(HWindow);
  switch (key) {
    case VK_SPACE:
      if (parent != nullptr) ::PostMessage(parent, kPlayKey, 0, 0);
      return;
    case 'W':
      if (parent != nullptr) ::PostMessage(parent, kWKey, 0, 0);
      return;
    case VK_DELETE:
      DefaultProcessing();
      PostChange();
      return;
  }
  DefaultProcessing();
}

void TNumberEdit::EvVScroll(UINT code, UINT, HWND) {
  if (code != SB_LINEUP && code != SB_LINEDOWN) return;
  const double units = (GetKeyState(VK_CONTROL) & 0x8000) ? 100 : (GetKeyState(VK_SHIFT) & 0x8000) ? 10 : 1;
  const double step = units * SpinUnit();
  StepTo(CurrentValue() + (code == SB_LINEUP ? step : -step));
  PostChange();
  SetFocus();
}

bool TNumberEdit::DigitAt(const std::string& text, int x, int* index, double* step) const {
  // Walk the number's characters from its left edge while they stay at or
  // left of x: signs, the digits, then the point and the digits after it.
  const LRESULT first = HWindow != nullptr ? ::SendMessage(HWindow, EM_POSFROMCHAR, 0, 0) : -1;
  int running = first != -1 ? static_cast<SHORT>(LOWORD(first)) : 0;
  std::size_t i = 0;
  enum { kSigns, kWhole, kFraction } phase = kSigns;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int w;
    if (phase == kSigns && c == '-') {
      w = minusWidth;
    } else if (c >= '0' && c <= '9' && phase != kFraction) {
      phase = kWhole;
      w = digitWidth[c - '0'];
    } else if (fraction && c == '.' && phase != kFraction) {
      phase = kFraction;
      w = pointWidth;
    } else if (c >= '0' && c <= '9') {
      w = digitWidth[c - '0'];
    } else {
      break;
    }
    if (running + w > x) break;
    running += w;
  }
  if (i == text.size()) {
    if (i == 0) return false;
    --i;
  }
  const char c = text[i];
  if (c < '0' || c > '9') return false;
  const std::size_t point = text.find('.');
  if (fraction && point != std::string::npos && i > point) {
    *step = std::pow(0.1, static_cast<double>(i - point));
  } else {
    std::size_t end = i + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    *step = std::pow(10.0, static_cast<double>(end - i - 1));
  }
  *index = static_cast<int>(i);
  return true;
}

void TNumberEdit::EvRButtonDown(UINT, const TPoint& point) {
  if (dragging) return;
  SetFocus();
  const std::string text = ReadText();
  int index = 0;
  double step = 0;
  if (!DigitAt(text, point.x, &index, &step)) return;
  dragStep = step;
  dragStart = CurrentValue();
  dragPoint = point;
  SetSelection(index, index + 1);
  ::SetCapture(HWindow);
  dragging = true;
}

void TNumberEdit::EvRButtonDblClk(UINT modKeys, const TPoint& point) {
  // A quick second press is a press all the same.
  EvRButtonDown(modKeys, point);
}

void TNumberEdit::EvMouseMove(UINT, const TPoint& point) {
  if (!dragging) {
    DefaultProcessing();
    return;
  }
  const double value = dragStart + static_cast<double>((dragPoint.y - point.y) / kDragStep) * dragStep;
  if (value == CurrentValue()) return;
  const double before = CurrentValue();
  StepTo(value);
  if (CurrentValue() != before) PostChange();
}

void TNumberEdit::EvRButtonUp(UINT, const TPoint&) {
  if (!dragging) {
    DefaultProcessing();
    return;
  }
  dragging = false;
  if (::GetCapture() == HWindow) ::ReleaseCapture();
}

LRESULT TNumberEdit::EvCaptureChanged(WPARAM, LPARAM lParam) {
  // A drag whose capture was taken away has ended.
  if (reinterpret_cast<HWND>(lParam) != HWindow) dragging = false;
  return DefaultProcessing();
}

void TNumberEdit::EvKillFocus(HWND) {
  Normalize();
  DefaultProcessing();
}

// ---- TIntEdit ----

TIntEdit::TIntEdit(TWindow* parent, int resourceId, int32_t min_, int32_t max_)
    : TNumberEdit(parent, resourceId, 10, false), min(min_), max(max_) {}

void TIntEdit::SetValue(int32_t value, bool force) {
  if (value > max) value = max;
  if (value < min) value = min;
  if (!force) {
    const std::string shown = ReadText();
    if (!shown.empty() && ParseInt(shown) == value) return;
  }
  WriteText(FormatText("%d", value));
}

int32_t TIntEdit::GetValue() {
  const std::string text = ReadText();
  if (text.empty()) return min;
  int32_t v = ParseInt(text);
  if (v > max) v = max;
  if (v < min) v = min;
  return v;
}

void TIntEdit::SetRange(int32_t min_, int32_t max_) {
  min = min_;
  max = max_;
  SetValue(GetValue(), false);
}

bool TIntEdit::IsValid() {
  const std::string text = ReadText();
  if (text.empty()) return false;
  const int32_t v = ParseInt(text);
  return v >= min && v <= max;
}

void TIntEdit::StepTo(double value) {
  value = std::clamp(value, static_cast<double>(min), static_cast<double>(max));
  SetValue(static_cast<int32_t>(std::lround(value)), false);
}

// ---- TFloatEdit ----

TFloatEdit::TFloatEdit(TWindow* parent, int resourceId, float min_, float max_, float spinStep_)
    : TNumberEdit(parent, resourceId, 20, true), min(min_), max(max_), spinStep(spinStep_) {}

void TFloatEdit::SetValue(float value, bool force) {
  if (value > max) value = max;
  if (value < min || std::isnan(value)) value = min;
  if (!force) {
    const std::string shown = ReadText();
    if (!shown.empty() && static_cast<float>(ParseFloat(shown)) == value) return;
  }
  WriteText(FormatText("%1.3f", value));
}

float TFloatEdit::GetValue() {
  const std::string text = ReadText();
  if (text.empty()) return min;
  const double v = ParseFloat(text);
  if (std::isnan(v)) return min;
  if (v > max) return max;
  if (v < min) return min;
  return static_cast<float>(v);
}

void TFloatEdit::SetRange(float min_, float max_) {
  min = min_;
  max = max_;
  SetValue(GetValue(), false);
}

bool TFloatEdit::IsValid() {
  const std::string text = ReadText();
  if (text.empty()) return false;
  const double v = ParseFloat(text);
  if (!std::isfinite(v)) return false;
  // Compared in thousandths, as the field shows them.
  auto milli = [](double x) { return std::trunc(x * 1000.0 + 0.499); };
  return milli(v) >= milli(min) && milli(v) <= milli(max);
}

void TFloatEdit::StepTo(double value) {
  value = std::clamp(value, static_cast<double>(min), static_cast<double>(max));
  SetValue(static_cast<float>(value), false);
}
