#include "timeline/lines/audio_lines.h"

#include <algorithm>

#include "audio/effect_list.h"
#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/profiles.h"
#include "model/ui_string_ids.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// A paint runs: a second one is dropped and the idle redraw waits.
bool g_painting = false;

// Declick ramps: triangles 5 pixels wide and 10 high at the clip's top.
constexpr int kDeclickWidth = 5;
constexpr int kDeclickHeight = 10;
// The effect marker at the clip's lower left corner.
constexpr int kEffectMarkerSize = 10;
// 512 x 512 x 512: the three unity gains of point, line and master.
constexpr int64_t kUnityCubed = int64_t{1} << 27;

class PaintGuard {
 public:
  PaintGuard() { g_painting = true; }
  ~PaintGuard() { g_painting = false; }
  PaintGuard(const PaintGuard&) = delete;
  PaintGuard& operator=(const PaintGuard&) = delete;
};

void FillTriangle(TDC& dc, MainTimeLineWindow& timeline, const POINT (&corners)[3], int color) {
  const HGDIOBJ brush = ::SelectObject(dc, timeline.Brush(color));
  const HGDIOBJ pen = ::SelectObject(dc, timeline.Pen(color));
  Polygon(dc, corners, 3);
  ::SelectObject(dc, pen);
  ::SelectObject(dc, brush);
}

// y of t on the segment a..b, rounded; a's y when the segment is upright.
int64_t YAt(int64_t t, int64_t ax, int64_t ay, int64_t bx, int64_t by) {
  if (bx == ax) return ay;
  const int64_t num = (by - ay) * (t - ax);
  const int64_t den = bx - ax;
  const int64_t half = (den < 0 ? -den : den) / 2;
  const bool negative = (num < 0) != (den < 0);
  const int64_t q = ((num < 0 ? -num : num) + half) / (den < 0 ? -den : den);
  return ay + (negative ? -q : q);
}

}  // namespace

TAudioLines::TAudioLines(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TClipLine(timeline, "AudioLines", x, y, w, h,
                {kKindAudio, kCmAudioEditor, ui_string::kAudioEditorItem}) {
  ResetChangedRanges();
}

const char* TAudioLines::GetClassName() {
  return "AudioLines";
}

bool TAudioLines::Find(TEventInfo& info) {
  return SearchEntries(MouseEntries(), info) || SearchEntries(CommandEntries(), info) ||
         TClipLine::Find(info);
}

const TrackRecord& TAudioLines::Row(int32_t line) const {
  const TrackPanel& panel = timeline_.Engine().audioPanel;
  return panel[std::clamp(line, 0, panel.rowCount - 1)];
}

int32_t TAudioLines::LineAt(int y) const {
  const TimeLineEngine& e = timeline_.Engine();
  const int32_t last = std::clamp(e.audioLineCount, 1, e.audioPanel.rowCount) - 1;
  int32_t line = std::clamp(e.audioPanel.firstShown, 0, last);
  while (line < last && Row(line).bottom < y) ++line;
  return line;
}

bool TAudioLines::BalanceActive() const {
  return timeline_.Settings().profileMode == kProfileBalance;
}

int32_t TAudioLines::SourceTimeAt(const Film& film, int x) {
  TimeLineEngine& e = timeline_.Engine();
  const int64_t pixels = int64_t{x} - e.PosToPixelUnclamped(film.origin);
  return e.PixelsToTime(static_cast<int32_t>(std::clamp<int64_t>(pixels, INT32_MIN, INT32_MAX)));
}

int32_t TAudioLines::WaveformMode() const {
  const TimeLineEngine& e = timeline_.Engine();
  const TVideoLine* video = timeline_.VideoLine();
  if (timeline_.Settings().waveformQuality == 1 && !e.playing && !dragging_ &&
      !(video != nullptr && video->IsDragging())) {
    return kWaveformExact;
  }
  return kWaveformOverview;
}

// ---- Painting.

void TAudioLines::Paint(TDC& dc, bool, TRect& rect) {
  if (g_painting) return;
  PaintGuard guard;
  TimeLineEngine& e = timeline_.Engine();
  const TrackPanel& panel = e.audioPanel;
  const int gap = GetSystemMetrics(SM_CYBORDER);
  const int32_t lines = std::clamp(e.audioLineCount, 0, panel.rowCount);
  int below = rect.top;
  for (int32_t i = std::max(panel.firstShown, 0); i < lines; ++i) {
    const TrackRecord& row = panel[i];
    const int rowEnd = row.top + row.height;
    if (rowEnd + gap <= rect.top) continue;
    if (row.top >= rect.bottom) break;
    DrawLine(dc, TRect(rect.left, row.top, rect.right, rowEnd), i, rect);
    dc.FillRect(TRect(rect.left, rowEnd, rect.right, rowEnd + gap),
                static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    below = rowEnd + gap;
  }
  if (below < rect.bottom) {
    dc.FillRect(TRect(rect.left, below, rect.right, rect.bottom), timeline_.Brush(kColorAudioTrack));
  }
  DrawPlayCursor(dc, GetClientRect());
}

void TAudioLines::DrawLine(TDC& dc, const TRect& row, int32_t line, const TRect& paint) {
  const int32_t mode = WaveformMode();
  dc.SetBkMode(TRANSPARENT);
  dc.SelectObject(timeline_.ClipFont());
  const TRect rowPaint(paint.left, row.top, paint.right, row.bottom);
  PaintClipRow(dc, timeline_, row, rowPaint, kKindAudio, line, timeline_.Brush(kColorAudioTrack),
               [&](TDC& d, const TRect& clip, Film& film) { DrawClip(d, clip, film, rowPaint, mode); });
  dc.RestoreObjects();
}

void TAudioLines::DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint, int32_t waveform) {
  TimeLineEngine& e = timeline_.Engine();
  film.audioState = 0;
  const int64_t x0 = e.PosToPixelUnclamped(film.origin);
  const TrackRecord& row = Row(film.audioLine);
  TRect inner(std::max<int>(clip.left + 1, paint.left), clip.top, std::min<int>(clip.right - 1, paint.right),
              clip.bottom);
  if (!inner.IsEmpty()) dc.FillRect(inner, ClipBrush(timeline_, film));

  if (waveform == kWaveformOverview) {
    DrawWaveform(dc, clip, inner, film, x0, row.bottom, row.middle, row.bottom, row.height);
  } else if (waveform == kWaveformExact) {
    DrawExactWaveform(dc, clip, inner, film, x0, row.bottom, row.middle, row.bottom, row.height);
  }
  if (row.zoom < 3) DrawDeclicks(dc, clip, film, paint);
  DrawClipBorders(dc, clip);
  DrawClipMarks(dc, timeline_, clip, film);
  if (row.zoom >= 3) return;

  DrawEffectMarker(dc, clip, film);
  DrawClipName(dc, clip, clip.left + 1, film);
  const int32_t first = std::max(film.in, SourceTimeAt(film, inner.left - 1));
  const int32_t last = std::min(film.out, SourceTimeAt(film, inner.right + 1));
  switch (timeline_.Settings().profileMode) {
    case kProfileVolume:
      DrawBalanceProfile(dc, clip, film, first, last, x0, row.middle, false);
      DrawVolumeProfile(dc, clip, film, first, last, x0, row.bottom, true);
      break;
    case kProfileBalance:
      DrawVolumeProfile(dc, clip, film, first, last, x0, row.bottom, false);
      DrawBalanceProfile(dc, clip, film, first, last, x0, row.middle, true);
      break;
    default:
      DrawVolumeProfile(dc, clip, film, first, last, x0, row.bottom, true);
      break;
  }
}

void TAudioLines::DrawDeclicks(TDC& dc, const TRect& clip, const Film& film, const TRect& paint) {
  TimeLineEngine& e = timeline_.Engine();
  const int width = e.width;
  if (film.declickIn) {
    const int x = HoldX(e.PosToPixelUnclamped(film.start), width);
    if (x + kDeclickWidth > paint.left) {
      const int l = std::max<int>(x, clip.left);
      const int r = std::min<int>(clip.right, x + kDeclickWidth);
      const POINT corners[3] = {{l, clip.top}, {r, clip.top}, {l, clip.top + kDeclickHeight}};
      FillTriangle(dc, timeline_, corners, kColorDeclick);
    }
  }
  if (film.declickOut) {
    const int x = HoldX(e.PosToPixelUnclamped(film.end), width);
    if (x - kDeclickWidth < paint.right) {
      const int r = std::min<int>(clip.right, x);
      const int l = std::max<int>(clip.left, x - kDeclickWidth);
      const POINT corners[3] = {{r, clip.top}, {l, clip.top}, {r, clip.top + kDeclickHeight}};
      FillTriangle(dc, timeline_, corners, kColorDeclick);
    }
  }
}

void TAudioLines::DrawEffectMarker(TDC& dc, const TRect& clip, const Film& film) {
  if (film.effects == nullptr) return;
  const auto* list = dynamic_cast<const EffectList*>(film.effects);
  const bool bypassed = list != nullptr && list->bypass != 0;
  const int size = std::min({kEffectMarkerSize, clip.Width(), clip.Height()});
  const int bottom = Row(film.audioLine).bottom;
  const POINT corners[3] = {{clip.left, bottom - size}, {clip.left, bottom}, {clip.left + size, bottom}};
  FillTriangle(dc, timeline_, corners, bypassed ? kColorNonUsedEffects : kColorUsedEffects);
}

// ---- Profiles.

namespace {

struct ProfileStroke {
  std::vector<POINT> points;
  std::vector<int32_t> index;  // the profile's index of each point
  bool firstMoved = false;
  bool lastMoved = false;
};

// Points k..j of a profile at (x, y) with the ends cut at the clip's edges:
// a first point left of the clip moves onto its left edge, a last one more
// than a pixel beyond its right onto the right edge, along their segments.
ProfileStroke Stroke(const std::vector<int64_t>& xs, const std::vector<int64_t>& ys, int32_t k,
                     const TRect& clip, int width) {
  ProfileStroke s;
  const std::size_t n = xs.size();
  std::vector<int64_t> x = xs, y = ys;
  if (x[0] < clip.left) {
    if (n > 1) y[0] = YAt(clip.left, x[0], y[0], x[1], y[1]);
    x[0] = clip.left;
    s.firstMoved = true;
  }
  if (x[n - 1] > int64_t{clip.right} + 1) {
    if (n > 1) y[n - 1] = YAt(clip.right, xs[n - 2], ys[n - 2], xs[n - 1], ys[n - 1]);
    x[n - 1] = clip.right;
    s.lastMoved = true;
  }
  for (std::size_t i = 0; i < n; ++i) {
    s.points.push_back({HoldX(x[i], width), static_cast<int>(std::clamp<int64_t>(y[i], -1024, 4096))});
    s.index.push_back(k + static_cast<int32_t>(i));
  }
  return s;
}

void DrawStroke(TDC& dc, MainTimeLineWindow& timeline, const ProfileStroke& s, const TRect& clip,
                int32_t count, int penColor, int squareColor) {
  const HGDIOBJ pen = ::SelectObject(dc, timeline.Pen(penColor));
  if (s.points.size() > 1) Polyline(dc, s.points.data(), static_cast<int>(s.points.size()));
  ::SelectObject(dc, pen);
  const HBRUSH brush = timeline.Brush(squareColor);
  for (std::size_t i = 0; i < s.points.size(); ++i) {
    if ((i == 0 && s.firstMoved) || (i + 1 == s.points.size() && s.lastMoved)) continue;
    const POINT p = s.points[i];
    TRect square(p.x - 1, p.y - 1, p.x + 2, p.y + 2);
    if (s.index[i] == 0) square.left = p.x;
    if (s.index[i] == count - 1) square = TRect(p.x - 2, p.y - 1, p.x, p.y + 2);
    square.left = std::max<int>(square.left, clip.left);
    square.right = std::min<int>(square.right, clip.right);
    square.top = std::max<int>(square.top, clip.top);
    square.bottom = std::min<int>(square.bottom, clip.bottom);
    if (!square.IsEmpty()) dc.FillRect(square, brush);
  }
}

// The last index drawn from k: the first point after last, or the last point.
int32_t LastDrawn(const Profile& p, int32_t k, int32_t last) {
  int32_t j = k;
  while (j < p.Count() - 1 && p[j].time <= last) ++j;
  return j;
}

}  // namespace

void TAudioLines::DrawVolumeProfile(TDC& dc, const TRect& clip, const Film& film, int32_t first, int32_t last,
                                    int64_t x0, int base, bool active) {
  const Profile& p = film.volumePoints;
  const int32_t n = p.Count();
  if (n < 1) return;
  TimeLineEngine& e = timeline_.Engine();
  int32_t k = std::min(1, n - 1);
  while (k < n - 1 && p[k].time < first) ++k;
  if (k > 0 && first < p[k].time) --k;
  const int32_t j = LastDrawn(p, k, last);
  const int32_t zoom = Row(film.audioLine).zoom;
  const double f = GainFactor(e.masterGain) * GainFactor(e.LineGain(film.audioLine)) * GainFactor(film.volume);
  std::vector<int64_t> xs, ys;
  for (int32_t i = k; i <= j; ++i) {
    // Stored values may lie outside the gains: the fader takes them at its ends.
    const double gain = std::clamp(p[i].value * f + 0.499, -1.0, 4096.0);
    xs.push_back(x0 + e.TimeToPixels(p[i].time));
    ys.push_back(base - GainToFader(static_cast<int>(gain), zoom));
  }
  DrawStroke(dc, timeline_, Stroke(xs, ys, k, clip, e.width), clip, n,
             active ? kColorActiveVolumeProfile : kColorPassiveVolumeProfile,
             active ? kColorActiveKeyPoint : kColorPassiveKeyPoint);
}

void TAudioLines::DrawBalanceProfile(TDC& dc, const TRect& clip, const Film& film, int32_t first, int32_t last,
                                     int64_t x0, int base, bool active) {
  const Profile& p = film.balancePoints;
  const int32_t n = p.Count();
  if (n < 1) return;
  TimeLineEngine& e = timeline_.Engine();
  int32_t k = 0;
  while (k < n - 1 && p[k + 1].time <= first) ++k;
  const int32_t j = LastDrawn(p, k, last);
  const TrackRecord& row = Row(film.audioLine);
  const int64_t offsets = int64_t{film.balance} + e.masterPan + e.LinePan(film.audioLine);
  std::vector<int64_t> xs, ys;
  for (int32_t i = k; i <= j; ++i) {
    const int b = static_cast<int>(std::clamp<int64_t>(p[i].value + offsets, -kPanUnity, kPanUnity));
    xs.push_back(x0 + e.TimeToPixels(p[i].time));
    ys.push_back(base + std::max(BalanceToSteps(b, row.zoom), 1 - row.height / 2));
  }
  DrawStroke(dc, timeline_, Stroke(xs, ys, k, clip, e.width), clip, n,
             active ? kColorActiveBalanceProfile : kColorPassiveBalanceProfile,
             active ? kColorActiveKeyPoint : kColorPassiveKeyPoint);
}

// ---- Profile values of a y.

int32_t TAudioLines::YToVolume(int y) {
  const TrackRecord& row = Row(pointerLine_);
  if (y <= row.top) return kGainCount - 1;
  if (y >= row.bottom) return 0;
  TimeLineEngine& e = timeline_.Engine();
  const int64_t clip = pointerFilm_ != nullptr ? pointerFilm_->volume : kGainUnity;
  // Up to 2047 cubed: beyond 32 bits.
  const int64_t p = int64_t{e.LineGain(pointerLine_)} * e.masterGain * clip;
  if (p <= 0) return 0;
  const int64_t gain = FaderToGain(row.bottom - y, row.zoom);
  return static_cast<int32_t>(std::clamp<int64_t>((gain * kUnityCubed + p / 2) / p, 0, kGainCount - 1));
}

int32_t TAudioLines::YToBalance(int y) {
  const TrackRecord& row = Row(pointerLine_);
  TimeLineEngine& e = timeline_.Engine();
  const int64_t clip = pointerFilm_ != nullptr ? pointerFilm_->balance : 0;
  const int64_t b = int64_t{StepsToBalance(y - row.middle, row.zoom)} - clip - e.masterPan -
                    e.LinePan(pointerLine_);
  return static_cast<int32_t>(std::clamp<int64_t>(b, -kPanUnity, kPanUnity));
}

// ---- The idle redraw.

bool TAudioLines::DrawPendingClip(Film* film) {
  if (g_painting) return false;
  if (film == nullptr) return true;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t mode = film->audioState == 2 ? kWaveformExact : kWaveformOverview;
  film->audioState = 0;
  if (film->audio == nullptr || !IsWindow()) return true;
  const TRect client = GetClientRect();
  const int32_t line = film->audioLine;
  if (film->end <= e.PixelToPos(0) || film->start >= e.PixelToPos(client.Width())) return true;
  const TrackRecord& row = Row(line);
  if (line < e.audioPanel.firstShown || line >= e.audioLineCount || row.top >= client.bottom) return true;
  TClientDC dc(HWindow);
  dc.SetBkMode(TRANSPARENT);
  dc.SelectObject(timeline_.ClipFont());
  const TRect clip(e.PosToPixel(film->start), row.top, e.PosToPixel(film->end), row.top + row.height);
  DrawClip(dc, clip, *film, client, mode);
  dc.RestoreObjects();
  timeline_.DrawCursorLine(dc, client);
  return true;
}
