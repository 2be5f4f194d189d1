#include "ui/label_control.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/control_font.h"
#include "model/text_format.h"
#include "ui/control_brushes.h"

namespace {

int Pos(int len, double db, double maxPickDb) {
  return static_cast<int>(len * db / maxPickDb + 0.499);
}

}  // namespace

int ScaleStep(int extent, float maxPickDb, int len) {
  if (len < 1 || !(maxPickDb > 0)) return 1;
  const double s = std::trunc(1.5 * extent * maxPickDb / len + 0.499);
  if (s < 10) {
    static const int kSteps[10] = {1, 1, 2, 3, 3, 6, 6, 6, 6, 12};
    return kSteps[std::max(0, static_cast<int>(s))];
  }
  // Held well below the int limit; a step that large shows one number.
  const int whole = static_cast<int>(std::min(s, 1e6));
  return ((whole + 3) / 6) * 6;
}

std::vector<ScaleMark> ScaleMarks(const AudioMeterSettings& settings, int extent, int len) {
  std::vector<ScaleMark> marks;
  if (len < 1) return marks;
  const float m = settings.maxPickDb;
  if (!settings.autoNumerate) {
    for (int i = 0; i < 10; ++i) {
      if (settings.nameLabels[i][0] == '\0' || -settings.volumeLabels[i] > m) continue;
      marks.push_back({-settings.volumeLabels[i],
                       std::string(settings.nameLabels[i], strnlen(settings.nameLabels[i], 7)), true});
    }
    return marks;
  }
  const int step = ScaleStep(extent, m, len);
  // The zero mark's place; the settings keep it within 0..96 dB.
  const float zero = std::clamp(-settings.zeroVolumeDb, 0.0f, 96.0f);
  if (-m <= settings.zeroVolumeDb) marks.push_back({zero, "0", true});
  for (int k = 1;; ++k) {
    const float v = zero - static_cast<float>(k) * step;
    if (v < 0) break;
    if (v <= m) marks.push_back({v, FormatText("+%d", k * step), false});
  }
  for (int k = 1;; ++k) {
    const float v = zero + static_cast<float>(k) * step;
    if (v > m) break;
    marks.push_back({v, FormatText("-%d", k * step), false});
  }
  return marks;
}

TLabelControl::TLabelControl(TWindow* parent, int resourceId, TLevelControl* meter_, bool vertical_)
    : TControl(parent, resourceId), meter(meter_), vertical(vertical_) {}

const char* TLabelControl::GetClassName() {
  return "TLabel";
}

void TLabelControl::GetWindowClass(WNDCLASS& wc) {
  TControl::GetWindowClass(wc);
  wc.hbrBackground = nullptr;  // the scale paints its whole face
}

void TLabelControl::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  dc.FillRect(client.InflatedBy(1, 1), GetSysColorBrush(COLOR_BTNFACE));
  if (meter == nullptr || meter->GetHandle() == nullptr) return;
  const AudioMeterSettings& s = TLevelControl::Settings();
  const TRect meterClient = meter->GetClientRect();
  const int len = vertical ? meterClient.Height() : meterClient.Width();
  if (len < 1 || !(s.maxPickDb > 0)) return;
  // Positions are counted from the meter's loud end, in our coordinates.
  const TRect mine = GetWindowRect(), theirs = meter->GetWindowRect();
  const int origin = vertical ? theirs.top - mine.top : theirs.left - mine.left + len - 1;

  const int oldMode = dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(0, 0, 0));
  dc.SelectObject(ControlFont());
  dc.SelectObject(ScalePen());
  const TSize number = dc.GetTextExtent("+00", 3);
  // A number pushed inside at either end may land on its neighbour: the one
  // drawn first keeps the place.
  std::vector<TRect> drawn;
  for (const ScaleMark& mark : ScaleMarks(s, vertical ? number.cy : number.cx, len)) {
    const int p =
        vertical ? origin + Pos(len, mark.db, s.maxPickDb) : origin - Pos(len, mark.db, s.maxPickDb);
    const TSize size =
        s.autoNumerate ? number : dc.GetTextExtent(mark.text.c_str(), static_cast<int>(mark.text.size()));
    const int keep = mark.tick ? 2 : 0;
    TRect box;
    UINT format = DT_SINGLELINE;
    if (vertical) {
      if (mark.tick) {
        dc.MoveTo(0, p);
        dc.LineTo(1, p);
      }
      box = TRect(keep, p - size.cy / 2, client.right, p - size.cy / 2 + size.cy);
      if (box.top < 0) box.Offset(0, -box.top);
      if (box.bottom > client.bottom) box.Offset(0, client.bottom - box.bottom);
      format |= DT_VCENTER | (box.Width() < size.cx ? DT_LEFT : DT_CENTER);
    } else {
      if (mark.tick) {
        dc.MoveTo(p, 0);
        dc.LineTo(p, 1);
      }
      box = TRect(p - size.cx / 2, keep, p - size.cx / 2 + size.cx, client.bottom);
      if (box.left < 0) box.Offset(-box.left, 0);
      if (box.right > client.right) box.Offset(client.right - box.right, 0);
      format |= DT_CENTER | (box.Height() < size.cy ? DT_TOP : DT_VCENTER);
    }
    const bool overlaps = std::any_of(drawn.begin(), drawn.end(), [&box](const TRect& r) {
      return box.left < r.right && r.left < box.right && box.top < r.bottom && r.top < box.bottom;
    });
    if (overlaps) continue;
    drawn.push_back(box);
    dc.DrawText(mark.text.c_str(), -1, box, format);
  }
  dc.RestoreObjects();
  dc.SetBkMode(oldMode);
}
