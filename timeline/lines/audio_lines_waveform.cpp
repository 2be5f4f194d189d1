// A clip's sound on its line: from the source's overview (a fixed number of
// peak bytes per channel, whatever the file's length), or, close up, from
// the samples themselves. Either costs at most two points per pixel column
// and channel, and only over the part of the clip being painted.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "media/audio_data.h"
#include "media/wave_overview.h"
#include "model/film.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// More pixels than this on one overview entry asks for the exact waveform.
constexpr double kExactBeyond = 1.1;

// How a peak byte becomes a y: mono over the whole height from the bottom,
// each stereo channel over half of it from its base.
struct PeakScale {
  int height = 0;
  int divisor = 256;
  int Y(int base, BYTE v) const { return base - v * height / divisor; }
};

// The overview of a source, built when missing. It is a cache that any
// later drawing rebuilds, so building it changes nothing the user made:
// neither the project nor the clip collection becomes modified.
AudioData* OverviewOf(Film& film) {
  auto* source = dynamic_cast<AudioData*>(film.audio);
  if (source == nullptr) return nullptr;
  if (source->peakByteCount < 1) FillWaveform(source);
  return source;
}

void DrawChannels(TDC& dc, MainTimeLineWindow& timeline, const std::vector<POINT>& left,
                  const std::vector<POINT>& right) {
  const HGDIOBJ pen = ::SelectObject(dc, timeline.Pen(kColorWaveform));
  if (left.size() > 1) Polyline(dc, left.data(), static_cast<int>(left.size()));
  if (right.size() > 1) Polyline(dc, right.data(), static_cast<int>(right.size()));
  ::SelectObject(dc, pen);
}

// Per pixel column of [x0, x1) the smallest and largest of the values that
// fall into it (stride bytes apart), two points a column. first(x) is the
// first value of column x, first(x1) the end of the last.
template <class First>
void MinMaxColumns(std::vector<POINT>& out, const BYTE* values, int64_t count, int stride, int x0, int x1,
                   const First& first, const PeakScale& scale, int base) {
  for (int x = x0; x < x1; ++x) {
    const int64_t a = std::clamp<int64_t>(first(x), 0, count - 1);
    const int64_t b = std::clamp<int64_t>(first(x + 1), a + 1, count);
    BYTE lo = 255, hi = 0;
    for (int64_t i = a; i < b; ++i) {
      const BYTE v = values[i * stride];
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    out.push_back({x, scale.Y(base, lo)});
    out.push_back({x, scale.Y(base, hi)});
  }
}

}  // namespace

void TAudioLines::DrawWaveform(TDC& dc, const TRect& clip, const TRect& inner, Film& film, int64_t x0,
                               int monoBase, int upperBase, int lowerBase, int height) {
  if (timeline_.Settings().waveformQuality < 0) return;
  AudioData* source = OverviewOf(film);
  if (source == nullptr) return;
  const int64_t entries = source->peakByteCount;
  const int64_t length = source->length;
  if (inner.Width() <= 0 || entries < 2 || length <= 0) return;
  TimeLineEngine& e = timeline_.Engine();
  const bool stereo = source->peakBlock2 != nullptr;
  const PeakScale scale{height, stereo ? 512 : 256};
  const int leftBase = stereo ? upperBase : monoBase;
  const BYTE* leftPeaks = source->peakBlock1.get();
  const BYTE* rightPeaks = source->peakBlock2.get();

  // Overview entries per pixel.
  const double ratio = (double(e.scale) * double(entries)) / (double(e.factor) * double(length));
  const double start = std::max(0.0, double(inner.left - x0) * ratio);
  std::vector<POINT> left, right;
  if (ratio <= 1.0) {
    int64_t n = static_cast<int64_t>(inner.Width() * ratio) + 1;
    const int64_t i0 = std::min(static_cast<int64_t>(start), entries - 1);
    if (n + i0 < entries) ++n;
    for (int64_t k = 0; k < n; ++k) {
      const double at = double(x0) + double(i0) / ratio + 0.499 + double(k) / ratio;
      const int x = static_cast<int>(std::clamp(at, double(clip.left), double(clip.right - 1)));
      const int64_t i = std::min(i0 + k, entries - 1);
      left.push_back({x, scale.Y(leftBase, leftPeaks[i])});
      if (stereo) right.push_back({x, scale.Y(lowerBase, rightPeaks[i])});
    }
    if (1.0 / ratio > kExactBeyond && timeline_.Settings().waveformQuality == 1 && !e.playing) {
      film.audioState = 2;
    }
  } else {
    // Zoomed out: one more column on each side, so that the neighbouring
    // paints join up.
    TRect r = inner;
    double from = start;
    if (from > ratio) {
      from -= ratio;
      --r.left;
    }
    if (r.Width() * ratio + from < double(entries - 1)) ++r.right;
    const double p0 = from + 0.499;
    auto first = [&](int x) { return static_cast<int64_t>(p0 + (x - r.left) * ratio); };
    MinMaxColumns(left, leftPeaks, entries, 1, r.left, r.right, first, scale, leftBase);
    if (stereo) MinMaxColumns(right, rightPeaks, entries, 1, r.left, r.right, first, scale, lowerBase);
  }
  DrawChannels(dc, timeline_, left, right);
}

void TAudioLines::DrawExactWaveform(TDC& dc, const TRect& clip, const TRect& inner, Film& film, int64_t x0,
                                    int monoBase, int upperBase, int lowerBase, int height) {
  if (timeline_.Settings().waveformQuality < 0) {
    film.audioState = 0;
    return;
  }
  AudioData* source = OverviewOf(film);
  if (source == nullptr || source->format == nullptr) return;
  TimeLineEngine& e = timeline_.Engine();
  const int64_t entries = source->peakByteCount;
  const int64_t length = source->length;
  if (entries < 2 || length <= 0 ||
      double(e.factor) * double(length) <= kExactBeyond * double(e.scale) * double(entries)) {
    DrawWaveform(dc, clip, inner, film, x0, monoBase, upperBase, lowerBase, height);
    film.audioState = 0;
    return;
  }
  film.audioState = 0;
  if (inner.Width() <= 0) return;
  // Samples per pixel.
  const double s = double(source->format->nSamplesPerSec) * double(e.scale) / (double(e.factor) * 1000.0);
  const int64_t total = source->LengthInSamples();
  // Only samples the source has are asked for.
  const int64_t first = std::clamp<int64_t>(static_cast<int64_t>(double(inner.left - x0) * s), 0, total);
  const int64_t last = static_cast<int64_t>(double(inner.right - x0) * s);
  const int64_t count = std::min(last - first + 2, total - first);
  if (count <= 0) return;
  const int channels = std::max<int>(source->format->nChannels, 1);
  std::unique_ptr<BYTE[]> peaks(new (std::nothrow) BYTE[static_cast<std::size_t>((count + 1) * channels)]);
  if (!peaks) {
    DrawWaveform(dc, clip, inner, film, x0, monoBase, upperBase, lowerBase, height);
    return;
  }
  ScanPeaks(source, peaks.get(), first, static_cast<LONG>(count));

  const bool stereo = channels >= 2;
  const PeakScale scale{height, stereo ? 512 : 256};
  const int leftBase = stereo ? upperBase : monoBase;
  std::vector<POINT> left, right;
  if (s <= 1.0) {
    for (int64_t k = 0; k < count; ++k) {
      const double at = double(x0) + double(first + k) / s + 0.499;
      const int x = static_cast<int>(std::min(at, double(clip.right - 1)));
      left.push_back({x, scale.Y(leftBase, peaks[k * channels])});
      if (stereo) right.push_back({x, scale.Y(lowerBase, peaks[k * channels + 1])});
    }
  } else {
    auto firstOf = [&](int x) { return static_cast<int64_t>(double(x - x0) * s) - first; };
    MinMaxColumns(left, peaks.get(), count, channels, inner.left, inner.right, firstOf, scale, leftBase);
    if (stereo) {
      MinMaxColumns(right, peaks.get() + 1, count, channels, inner.left, inner.right, firstOf, scale,
                    lowerBase);
    }
  }
  DrawChannels(dc, timeline_, left, right);
}
