#include "timeline/lines/midi_line.h"

#include <algorithm>

#include "audio/midi_data.h"
#include "model/film.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// Heights of the grid's marks from the clip's bottom: a beat, a bar, an
// entry's start under its label, and without labels; the label's bottom.
constexpr int kBeatTick = 2;
constexpr int kBarTick = 5;
constexpr int kEntryLine = 24;
constexpr int kEntryLineUnlabelled = 12;
constexpr int kLabelAbove = 5;
// A bar whose ticks round onto one pixel skips to the next pixel; these
// extra steps make up for the rounding of that jump.
constexpr int kCatchUpSteps = 4;

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

TMidiLine::TMidiLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TClipLine(timeline, "MidiLine", x, y, w, h, {kKindMidi, kCmMidiEditor, ui_string::kMidiEditorItem}) {}

const char* TMidiLine::GetClassName() {
  return "MidiLine";
}

bool TMidiLine::Find(TEventInfo& info) {
  return SearchEntries(MouseEntries(), info) || SearchEntries(CommandEntries(), info) ||
         TClipLine::Find(info);
}

const TrackRecord& TMidiLine::Row() const {
  return timeline_.Engine().midiPanel[0];
}

// ---- Painting.

// While any line drags, clips are drawn without their grid and completed
// one by one when the program is idle.
void TMidiLine::Paint(TDC& dc, bool, TRect& rect) {
  const TRect client = GetClientRect();
  const int32_t mode = AnyLineDragging(timeline_) ? kMidiDrawFast : kMidiDrawFull;
  const TRect row(rect.left, client.top, rect.right, client.bottom);
  dc.SetBkMode(TRANSPARENT);
  dc.SelectObject(timeline_.ClipFont());
  PaintClipRow(dc, timeline_, row, row, kKindMidi, 0, timeline_.Brush(kColorMidiTrack),
               [&](TDC& d, const TRect& clip, Film& film) { DrawClip(d, clip, film, row, mode); });
  dc.RestoreObjects();
  DrawPlayCursor(dc, client);
}

void TMidiLine::DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint, int32_t mode) {
  TimeLineEngine& e = timeline_.Engine();
  const int32_t zoom = Row().zoom;
  const TRect inner(std::max<int>(clip.left + 1, paint.left), clip.top,
                    std::min<int>(clip.right - 1, paint.right), clip.bottom);
  if (!inner.IsEmpty()) dc.FillRect(inner, ClipBrush(timeline_, film));
  if (zoom >= 3) {
    film.midiState = 0;
  } else if (mode == kMidiDrawFast) {
    film.midiState = kMidiDrawFull;
  } else {
    film.midiState = 0;
    auto* midi = dynamic_cast<MidiData*>(film.midi);
    if (midi != nullptr && !inner.IsEmpty()) {
      DrawGrid(dc, clip, inner, film, *midi, e.PosToPixelUnclamped(film.origin), zoom);
    }
  }
  DrawClipBorders(dc, clip);
  DrawClipMarks(dc, timeline_, clip, film);
  if (zoom < 3) DrawClipName(dc, clip, clip.left, film);
}

// A map entry whose tempo, meter or bar length is nothing gets no grid: a
// hostile file must not stall the paint. Every tick lies at least a pixel
// right of the one before, so a paint does at most a few steps per pixel.
void TMidiLine::DrawGrid(TDC& dc, const TRect& clip, const TRect& inner, Film& film, MidiData& midi,
                         int64_t originX, int32_t zoom) {
  TimeLineEngine& e = timeline_.Engine();
  const int32_t speed = film.tempo;
  auto xOf = [&](int64_t sourceTime) { return int64_t{e.TimeToPixels(ToInt32(sourceTime))} + originX; };
  const int64_t tA = std::max<int64_t>(e.PixelsToTime(ToInt32(inner.left - 1 - originX)), film.in);
  const int64_t tB = std::min<int64_t>(e.PixelsToTime(ToInt32(inner.right + 1 - originX)), film.out);
  const int32_t count = midi.GetTempoEntryCount();
  int32_t i = 0;
  int64_t acc = 0;
  for (; i < count; ++i) {
    const int64_t length = midi.EntryLength(i, speed);
    if (acc + length > tA) break;
    acc += length;
  }

  const HGDIOBJ pen = ::SelectObject(dc, GetStockObject(BLACK_PEN));
  const COLORREF textBefore = dc.SetTextColor(ClipNameColor(film));
  const int bottom = clip.bottom;
  for (; i < count && acc < tB; ++i) {
    const MidiData::TempoEntry& entry = midi.GetTempoEntry(i);
    const int64_t bar = midi.BarLength(i, speed);
    const int64_t length = midi.EntryLength(i, speed);
    const int64_t xs = xOf(acc);
    const int64_t xe = xOf(acc + length);
    const int64_t boxLeft = std::max<int64_t>(xs, inner.left);
    const int64_t boxRight = std::min<int64_t>(xe, inner.right);
    const int64_t entryStart = acc;
    acc += length;
    const uint32_t atSpeed = MulDivRound(entry.tempo, static_cast<DWORD>(std::max(speed, 0)), 1000);
    if (entry.tempo == 0 || entry.numerator == 0 || entry.denominator == 0 || bar < 1 || atSpeed == 0 ||
        boxLeft >= boxRight) {
      continue;
    }
    auto tick = [&](int64_t x, int height) {
      if (x < boxLeft || x >= boxRight) return;
      dc.MoveTo(static_cast<int>(x), bottom - height);
      dc.LineTo(static_cast<int>(x), bottom);
    };
    if (zoom < 2) {
      const std::string label =
          FormatText("%d/%d,%d[%d]", int32_t{entry.numerator}, int32_t{entry.denominator},
                     static_cast<int32_t>(MulDivRound(60000000, 1, entry.tempo)),
                     static_cast<int32_t>(MulDivRound(60000000, 1, atSpeed)));
      const TRect text(static_cast<int>(std::max<int64_t>(std::max<int64_t>(xs, clip.left), boxLeft)),
                       clip.top, static_cast<int>(boxRight), bottom - kLabelAbove);
      dc.DrawText(label.c_str(), -1, text, DT_SINGLELINE | DT_BOTTOM | DT_LEFT | DT_NOPREFIX);
      tick(xs, kEntryLine);
    } else {
      tick(xs, kEntryLineUnlabelled);
    }

    const int64_t beats = entry.numerator;
    // The bar at or before the first time shown; the ones before it are
    // left of the clip's inside.
    int64_t m = entryStart;
    if (m < tA) m += (tA - m) / bar * bar;
    int64_t x = xOf(m);
    while (x < boxRight) {
      const int64_t next = xOf(m + bar);
      if (next - x > 1) {
        for (int64_t k = 1; k < beats; ++k) tick(xOf(m + (bar * k * 2 + beats) / (2 * beats)), kBeatTick);
      }
      m += bar;
      if (next <= x) {
        // Bars narrower than a pixel: on to the first bar on the next one.
        const int64_t t = e.PixelsToTime(ToInt32(x + 1 - originX));
        if (t > m) m += (t - m + bar - 1) / bar * bar;
        int steps = 0;
        while (xOf(m) <= x && steps++ < kCatchUpSteps) m += bar;
        if (xOf(m) <= x) break;
      }
      x = xOf(m);
      tick(x, kBarTick);
    }
  }
  dc.SetTextColor(textBefore);
  ::SelectObject(dc, pen);
}

bool TMidiLine::DrawPendingClip(Film* film) {
  if (film == nullptr) return true;
  TimeLineEngine& e = timeline_.Engine();
  const bool visible =
      film->midi != nullptr && film->end > e.PixelToPos(0) && film->start < e.PixelToPos(e.width);
  if (!visible || !IsWindow()) {
    film->midiState = 0;
    return true;
  }
  const TRect client = GetClientRect();
  const TRect clip(e.PosToPixel(film->start), client.top, e.PosToPixel(film->end), client.bottom);
  TClientDC dc(HWindow);
  dc.SetBkMode(TRANSPARENT);
  dc.SelectObject(timeline_.ClipFont());
  DrawClip(dc, clip, *film, client, kMidiDrawFull);
  dc.RestoreObjects();
  DrawPlayCursor(dc, client);
  return true;
}
