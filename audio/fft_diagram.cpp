#include "audio/fft_diagram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/fft.h"
#include "model/ini.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kWrapLimit = 2.8274333f;  // 0.9 pi

// A float pixel position made safe to truncate.
int Truncate(float v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(v, -1.0e6f, 1.0e6f));
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

SIZE TextSize(HDC dc, const std::string& text) {
  SIZE s{};
  GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &s);
  return s;
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TDiagram, TControl)
  EV_WM_ERASEBKGND,
  EV_WM_MOUSEMOVE,
  EV_WM_LBUTTONDOWN,
  EV_WM_LBUTTONUP,
  EV_WM_RBUTTONDOWN,
END_RESPONSE_TABLE;
// clang-format on

TDiagram::TDiagram(TWindow* parent, int resourceId, int channels_)
    : TControl(parent, resourceId), channels(channels_ >= 2 ? 2 : 1) {
  UpdateXorColor();
}

const char* TDiagram::GetClassName() {
  return "TDiagram";
}

int32_t TDiagram::ClampFFTSize(int32_t n) {
  if (n < 128) return 128;
  if (n >= 65536) return 65536;
  int32_t p = 128;
  while (p * 2 <= n) p *= 2;
  return p;
}

void TDiagram::SetMinFreq(int32_t hz) {
  minFreq = static_cast<float>(hz) / static_cast<float>(sampleRate > 0 ? sampleRate : 1);
  if (minFreq != 0.0f) logSpan = std::log(maxFreq / minFreq);
}

void TDiagram::SetMaxFreq(int32_t hz) {
  const int32_t rate = sampleRate > 0 ? sampleRate : 1;
  maxFreq = static_cast<float>(std::min(hz, rate / 2)) / static_cast<float>(rate);
  if (minFreq != 0.0f) logSpan = std::log(maxFreq / minFreq);
}

float TDiagram::ColumnToFreq(int32_t column) const {
  const float w = static_cast<float>(W > 0 ? W : 1);
  if (logarithmic) {
    if (minFreq == 0.0f) return 0.0f;
    return minFreq * std::exp(static_cast<float>(column) * logSpan / w);
  }
  return minFreq + (maxFreq - minFreq) * static_cast<float>(column) / w;
}

int32_t TDiagram::ColumnBin(int32_t column) const {
  const float f = ColumnToFreq(column) * static_cast<float>(N) + 0.5f;
  if (!(f == f) || f < 0.0f) return 0;
  if (f > static_cast<float>(N / 2)) return N / 2;
  return static_cast<int32_t>(f);
}

float TDiagram::BinValue(const float* values, int32_t bin) const {
  const float v = values[bin];
  return decibels ? ToDecibel(v) : v;
}

int TDiagram::ValueToY(const float* values, int32_t bin) const {
  const float span = axisSpan != 0.0f ? axisSpan : 1.0f;
  return top + Truncate((axisTop - BinValue(values, bin)) * static_cast<float>(H) / span + 0.5f);
}

void TDiagram::ComputeValueAxis() {
  const bool both = channels == 2;
  if (decibels && autoRange) {
    float lo = both ? std::min(magMinDb[0], magMinDb[1]) : magMinDb[0];
    float hi = both ? std::max(magMaxDb[0], magMaxDb[1]) : magMaxDb[0];
    lo = std::clamp(lo, -999.0f, 999.0f);
    hi = std::clamp(hi, -999.0f, 999.0f);
    if (lo == hi) {
      lo -= 1.0f;
      hi += 1.0f;
    }
    axisBottom = lo;
    axisTop = hi;
  } else if (decibels) {
    axisBottom = -static_cast<float>(negRange);
    axisTop = static_cast<float>(posRange);
  } else {
    axisBottom = both ? std::min(magMin[0], magMin[1]) : magMin[0];
    axisTop = both ? std::max(magMax[0], magMax[1]) : magMax[0];
  }
  axisSpan = axisTop - axisBottom;
  if (!(axisSpan != 0.0f) || !(axisSpan == axisSpan)) axisSpan = 1.0f;
  phaseAxisMin = both ? std::min(phaseMin[0], phaseMin[1]) : phaseMin[0];
  phaseAxisMax = both ? std::max(phaseMax[0], phaseMax[1]) : phaseMax[0];
}

// Decimation: columns go into two slots in turn, each with the extremes of
// the bins it covers; a full pair gives two points that reach the pair's
// lowest and highest value, so a peak narrower than a pixel still shows.
std::vector<POINT> TDiagram::BuildMagnitudePolyline(const float* values) const {
  std::vector<POINT> points;
  if (values == nullptr || W < 1) return points;
  points.reserve(static_cast<std::size_t>(W) + 2);
  struct Slot {
    int x;
    float v, lo, hi;
  } slot[2]{};
  int32_t prevBin = ColumnBin(0);
  int prevY = ValueToY(values, prevBin);
  points.push_back({left, prevY});
  int open = 0;
  const float span = axisSpan != 0.0f ? axisSpan : 1.0f;
  for (int32_t j = 1; j <= W; ++j) {
    const int32_t b = ColumnBin(j);
    if (b <= prevBin) continue;
    const float v = BinValue(values, b);
    float lo = v, hi = v;
    for (int32_t k = prevBin + 1; k < b; ++k) {
      const float u = BinValue(values, k);
      lo = std::min(lo, u);
      hi = std::max(hi, u);
    }
    slot[open] = {left + j, v, lo, hi};
    prevBin = b;
    if (open == 0) {
      open = 1;
      continue;
    }
    open = 0;
    const float pairLo = std::min(slot[0].lo, slot[1].lo), pairHi = std::max(slot[0].hi, slot[1].hi);
    const bool falling = slot[0].v >= slot[1].v;
    const float first = falling ? pairHi : pairLo, second = falling ? pairLo : pairHi;
    int y1 = top + Truncate((axisTop - first) * static_cast<float>(H) / span + 0.5f);
    const int y2 = top + Truncate((axisTop - second) * static_cast<float>(H) / span + 0.5f);
    if (std::fabs(pairHi - pairLo) * static_cast<float>(H) / span >= 2.0f && y1 == prevY) y1 += falling ? 1 : -1;
    points.push_back({slot[0].x, y1});
    points.push_back({slot[1].x, y2});
    prevY = y2;
  }
  points.push_back({right, ValueToY(values, ColumnBin(W))});
  return points;
}

int TDiagram::PhaseToY(float phase) const {
  const int mid = top + H / 2;
  return mid - Truncate(static_cast<float>(H) * phase / (2.0f * kPi) + 0.5f);
}

std::vector<std::vector<POINT>> TDiagram::BuildPhaseCurve(const float* values, float span) const {
  std::vector<std::vector<POINT>> runs;
  if (values == nullptr || W < 1) return runs;
  const int32_t first = ColumnBin(0);
  if (span == 0.0f) {
    runs.push_back({POINT{left, PhaseToY(values[first])}, POINT{right, PhaseToY(values[first])}});
    return runs;
  }
  const int32_t lastBin = ColumnBin(W);
  runs.push_back({POINT{left, PhaseToY(values[first])}});
  int32_t prevBin = first;
  float remembered = 0.0f;
  for (int32_t j = 1; j <= W; ++j) {
    const int32_t b = ColumnBin(j);
    if (b <= prevBin) continue;
    const float d = values[prevBin] - remembered;
    remembered = values[prevBin];
    prevBin = b;
    const POINT p{left + j, PhaseToY(values[b])};
    bool wrap = false;
    if (b < lastBin) {
      const float now = values[b], after = values[b + 1];
      wrap = (d > 0 && remembered > kWrapLimit && now < 0 && after > now) ||
             (d < 0 && remembered < -kWrapLimit && now > 0 && after < now);
    }
    if (wrap)
      runs.push_back({p});
    else
      runs.back().push_back(p);
  }
  runs.back().push_back({right, PhaseToY(values[lastBin])});
  return runs;
}

bool TDiagram::Layout(int cw, int ch) {
  W = std::max(cw - 59, 0) / 10 * 10;
  H = std::max(ch - 39, 0) / 10 * 10;
  left = (cw + 1 - W) / 2;
  top = (ch + 1 - H) / 2;
  right = left + W;
  bottom = top + H;
  return W >= 10 && H >= 10;
}

void TDiagram::SetData(float* ml, float* pl, float* mr, float* pr) {
  data[0] = ml;
  data[1] = pl;
  data[2] = mr;
  data[3] = pr;
}

void TDiagram::ClearData() {
  SetData(nullptr, nullptr, nullptr, nullptr);
  for (int c = 0; c < 2; ++c) {
    magMin[c] = magMax[c] = magMinDb[c] = magMaxDb[c] = 0.0f;
    phaseMin[c] = phaseMax[c] = phaseSpan[c] = 0.0f;
  }
}

void TDiagram::ComputeCursorValues() {
  cursorFreq = ColumnToFreq(cursorColumn);
  const int32_t bin = ColumnBin(cursorColumn);
  for (int c = 0; c < 2; ++c) {
    cursorMag[c] = data[2 * c] != nullptr ? data[2 * c][bin] : 0.0f;
    cursorPhase[c] = data[2 * c + 1] != nullptr ? data[2 * c + 1][bin] : 0.0f;
  }
}

void TDiagram::UpdateXorColor() {
  const COLORREF b = colors[kBackgroundColor], c = colors[kCursorColor];
  xorColor = RGB(GetRValue(b) ^ GetRValue(c), GetGValue(b) ^ GetGValue(c), GetBValue(b) ^ GetBValue(c));
}

void TDiagram::ReadColors() {
  IniSetSection("FFT Analyser");
  for (int i = 0; i < kResponseColorCount; ++i) {
    const std::string def = FormatColor(kDefaultResponseColors[static_cast<std::size_t>(i)]);
    const char* text = IniReadString(kResponseColorKeys[i], def.c_str());
    char value[20] = {};
    std::snprintf(value, sizeof value, "%s", text != nullptr ? text : def.c_str());
    colors[static_cast<std::size_t>(i)] = ParseColor(value);
  }
  UpdateXorColor();
}

void TDiagram::Redraw(bool erase) {
  if (HWindow != nullptr) Invalidate(erase);
}

void TDiagram::SendParent(UINT message) {
  if (HWND parent = ::GetParent(HWindow)) ::SendMessage(parent, message, 0, 0);
}

void TDiagram::Paint(TDC& tdc, bool, TRect&) {
  HDC dc = tdc;
  if (remeasureAtPaint) SendParent(kDiagramMeasure);
  RECT client{};
  ::GetClientRect(HWindow, &client);
  HBRUSH background = CreateSolidBrush(colors[kBackgroundColor]);
  FillRect(dc, &client, background);
  DeleteObject(background);
  const bool haveData = data[0] != nullptr && (channels == 1 || data[2] != nullptr);
  if (!haveData || !Layout(client.right, client.bottom)) {
    redrawPending = remeasurePending = false;
    return;
  }
  cursorColumn = std::clamp(cursorColumn, 0, W);

  HPEN gridPen = CreatePen(PS_SOLID, 1, colors[kGridColor]);
  HFONT font = CreateFont(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HGDIOBJ oldPen = SelectObject(dc, gridPen);
  HGDIOBJ oldFont = SelectObject(dc, font);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  SetTextColor(dc, colors[kTextColor]);
  SetBkColor(dc, colors[kBackgroundColor]);
  SetBkMode(dc, OPAQUE);
  Rectangle(dc, left, top, right + 1, bottom + 1);
  const int textHeight = TextSize(dc, "0").cy;

  // Vertical grid and frequency labels.
  for (int k = 0; k <= 10; ++k) {
    const int x = left + k * W / 10;
    if (k < 10) Line(dc, x, top, x, bottom);
    std::string label = Format("%.0f", std::floor(ColumnToFreq(k * W / 10) * static_cast<float>(sampleRate) + 0.5f));
    if (k == 10) label += " Hz";
    const SIZE s = TextSize(dc, label);
    const int tx = k == 0 ? left : x - s.cx / 2;
    TextOut(dc, tx, bottom + 1, label.c_str(), static_cast<int>(label.size()));
  }
  for (int k = 0; k < 10; ++k) Line(dc, left, top + k * H / 10, right, top + k * H / 10);

  ComputeValueAxis();
  // Value labels on the left.
  for (int k = 0; k <= 10; ++k) {
    const int y = top + k * H / 10;
    std::string label;
    if (showFreq) {
      const float v = axisTop - static_cast<float>(y - top) * axisSpan / static_cast<float>(H);
      if (decibels) {
        label = Format("%.1f", v);
      } else {
        label = Format("%.2f", v);
        if (label.size() > 5) label = Format("%.1f", v);
        if (label.size() > 5) label = Format("%.0f", std::floor(v + 0.5f));
      }
    } else {
      label = Format("%.0f", 180.0 - 36.0 * k);
    }
    const SIZE s = TextSize(dc, label);
    TextOut(dc, std::max(left - 2 - s.cx, 1), y - s.cy / 2, label.c_str(), static_cast<int>(label.size()));
  }

  const bool showLeft = stereoMode != 2, showRight = channels == 2 && stereoMode != 1;
  const int mid = top + H / 2;
  // Phase.
  if (showPhase) {
    if (!showFreq) TextOut(dc, 1, top - textHeight - 2, "deg", 3);
    HPEN rangePen = CreatePen(PS_SOLID, 1, colors[kPhaseRangeColor]);
    SelectObject(dc, rangePen);
    if (mid > top && mid < bottom) {
      Line(dc, left, mid, right, mid);
      // The magnitude's "0 dB" takes the place when both zero lines meet.
      const int zeroDb = top + Truncate(axisTop * static_cast<float>(H) / (axisSpan != 0.0f ? axisSpan : 1.0f) + 0.5f);
      if (!(showFreq && decibels && std::abs(zeroDb - mid) <= textHeight))
        TextOut(dc, right + 2, mid - textHeight / 2, "0 deg", 5);
    }
    float hi = phaseAxisMax, lo = phaseAxisMin;
    if (channels == 2 && stereoMode != 0) {
      hi = phaseMax[stereoMode - 1];
      lo = phaseMin[stereoMode - 1];
    }
    for (float v : {hi, lo}) {
      const int y = PhaseToY(v);
      if (y <= top || y >= bottom) continue;
      Line(dc, left, y, right, y);
      if (std::abs(y - mid) > textHeight) {
        const std::string label = Format("%.1f", v * 180.0f / kPi);
        TextOut(dc, right + 2, y - textHeight / 2, label.c_str(), static_cast<int>(label.size()));
      }
    }
    for (int c = 0; c < channels; ++c) {
      if ((c == 0 && !showLeft) || (c == 1 && !showRight)) continue;
      HPEN pen = CreatePen(PS_SOLID, 1, colors[c == 0 ? kLeftPhaseColor : kRightPhaseColor]);
      SelectObject(dc, pen);
      for (const auto& run : BuildPhaseCurve(data[2 * c + 1], phaseSpan[c]))
        if (run.size() > 1) Polyline(dc, run.data(), static_cast<int>(run.size()));
      SelectObject(dc, rangePen);
      DeleteObject(pen);
    }
    SelectObject(dc, gridPen);
    DeleteObject(rangePen);
  }
  // Magnitude.
  if (showFreq) {
    HPEN rangePen = CreatePen(PS_SOLID, 1, colors[kFreqRangeColor]);
    SelectObject(dc, rangePen);
    if (decibels) {
      TextOut(dc, right + 2, top - textHeight - 2, "dB", 2);
      const float span = axisSpan;
      auto levelY = [&](float db) { return top + Truncate((axisTop - db) * static_cast<float>(H) / span + 0.5f); };
      const int zero = levelY(0.0f);
      const bool zeroInside = zero > top && zero < bottom;
      if (zeroInside) {
        Line(dc, left, zero, right, zero);
        TextOut(dc, right + 2, zero - textHeight / 2, "0 dB", 4);
      }
      if (!autoRange) {
        const float hi = channels == 2 ? std::max(magMaxDb[0], magMaxDb[1]) : magMaxDb[0];
        const float lo = channels == 2 ? std::min(magMinDb[0], magMinDb[1]) : magMinDb[0];
        for (float v : {hi, lo}) {
          const int y = levelY(v);
          if (y <= top || y >= bottom) continue;
          Line(dc, left, y, right, y);
          if (!zeroInside || std::abs(y - zero) > textHeight) {
            const std::string label = Format("%.1f", v);
            TextOut(dc, right + 2, y - textHeight / 2, label.c_str(), static_cast<int>(label.size()));
          }
        }
      }
    }
    IntersectClipRect(dc, left, top, right + 1, bottom + 1);
    for (int c = 0; c < channels; ++c) {
      if ((c == 0 && !showLeft) || (c == 1 && !showRight)) continue;
      HPEN pen = CreatePen(PS_SOLID, 1, colors[c == 0 ? kLeftFreqColor : kRightFreqColor]);
      SelectObject(dc, pen);
      const std::vector<POINT> points = BuildMagnitudePolyline(data[2 * c]);
      if (points.size() > 1) Polyline(dc, points.data(), static_cast<int>(points.size()));
      SelectObject(dc, rangePen);
      DeleteObject(pen);
    }
    SelectClipRgn(dc, nullptr);
    SelectObject(dc, gridPen);
    DeleteObject(rangePen);
  }
  // Legend.
  struct Entry {
    const char* name;
    int color;
  };
  std::vector<Entry> entries;
  if (showFreq) {
    if (channels == 1) {
      entries.push_back({"Freq ", kLeftFreqColor});
    } else {
      if (showLeft) entries.push_back({"Left Freq ", kLeftFreqColor});
      if (showRight) entries.push_back({"Right Freq ", kRightFreqColor});
    }
  }
  if (showPhase) {
    if (channels == 1) {
      entries.push_back({"Phase ", kLeftPhaseColor});
    } else {
      if (showLeft) entries.push_back({"Left Phase ", kLeftPhaseColor});
      if (showRight) entries.push_back({"Right Phase ", kRightPhaseColor});
    }
  }
  const int gap = TextSize(dc, "    ").cx;
  int total = 0;
  for (const Entry& e : entries) total += TextSize(dc, e.name).cx + 1 + W / 10;
  total += gap * static_cast<int>(entries.size() > 0 ? entries.size() - 1 : 0);
  int x = left + (W - total) / 2;
  const int legendTop = top - textHeight * 3 / 2;
  for (const Entry& e : entries) {
    TextOut(dc, x, legendTop, e.name, static_cast<int>(std::strlen(e.name)));
    x += TextSize(dc, e.name).cx + 1;
    HPEN pen = CreatePen(PS_SOLID, 1, colors[static_cast<std::size_t>(e.color)]);
    SelectObject(dc, pen);
    Line(dc, x, legendTop + textHeight / 2, x + W / 10, legendTop + textHeight / 2);
    SelectObject(dc, gridPen);
    DeleteObject(pen);
    x += W / 10 + gap;
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  DeleteObject(font);
  DeleteObject(gridPen);

  DrawCursor(dc);
  ComputeCursorValues();
  SendParent(kDiagramCursorMoved);
  SendParent(kDiagramExtremes);
  redrawPending = remeasurePending = false;
}

void TDiagram::DrawCursor(HDC dc) {
  if (W < 10 || H < 10) return;
  HPEN pen = CreatePen(PS_SOLID, 2, xorColor);
  HGDIOBJ old = SelectObject(dc, pen);
  const int rop = SetROP2(dc, R2_XORPEN);
  Line(dc, left + cursorColumn, top, left + cursorColumn, bottom);
  SetROP2(dc, rop);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void TDiagram::DrawBand(HDC dc, int x) {
  RECT band{std::min(anchorX, x), top, std::max(anchorX, x) + 1, bottom};
  DrawFocusRect(dc, &band);
}

int TDiagram::ClampX(int x) const {
  return std::clamp(x, left, right);
}

void TDiagram::EvMouseMove(UINT, const TPoint& point) {
  if (busy || W < 10 || H < 10 || data[0] == nullptr) return;
  const int x = ClampX(point.x);
  HDC dc = GetDC(HWindow);
  if (!dragging) {
    DrawCursor(dc);
    cursorColumn = x - left;
    DrawCursor(dc);
  } else {
    DrawBand(dc, left + cursorColumn);
    cursorColumn = x - left;
    DrawBand(dc, x);
  }
  ReleaseDC(HWindow, dc);
  ComputeCursorValues();
  SendParent(kDiagramCursorMoved);
}

void TDiagram::EvLButtonDown(UINT, const TPoint& point) {
  if (W < 10 || H < 10 || data[0] == nullptr) return;
  anchorX = ClampX(point.x);
  SendParent(kDiagramButtonDown);
}

void TDiagram::EvLButtonUp(UINT, const TPoint& point) {
  if (!dragging) return;
  ReleaseCapture();
  if (savedCursor != nullptr) SetCursor(savedCursor);
  const int x = ClampX(point.x);
  HDC dc = GetDC(HWindow);
  DrawBand(dc, left + cursorColumn);
  ReleaseDC(HWindow, dc);
  cursorColumn = x - left;
  dragging = false;
  const int lo = std::min(anchorX, x) - left, hi = std::max(anchorX, x) - left;
  if ((lo == 0 && hi == W) || ColumnBin(hi) - ColumnBin(lo) < 2) {
    Redraw(false);
    return;
  }
  const float newMin = ColumnToFreq(lo), newMax = ColumnToFreq(hi);
  minFreq = newMin;
  maxFreq = newMax;
  if (minFreq != 0.0f) logSpan = std::log(maxFreq / minFreq);
  Redraw(false);
  SendParent(kDiagramBand);
}

void TDiagram::EvRButtonDown(UINT, const TPoint&) {
  if (!dragging) SendParent(kDiagramZoomOut);
}
