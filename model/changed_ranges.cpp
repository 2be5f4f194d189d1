#include "model/changed_ranges.h"

#include "model/film.h"

TimeRange PlayFileRange;
TimeRange LineFileRange[kAudioLineCount];
TimeRange LineChangedRange[kAudioLineCount];

void TimeRange::Widen(int32_t s, int32_t e) {
  if (s >= e) return;
  if (s < start) start = s;
  if (e > end) end = e;
}

void ResetChangedRanges() {
  for (int32_t i = 0; i < kAudioLineCount; ++i) {
    LineChangedRange[i].start = 0;
    LineChangedRange[i].end = kDayMs;
    LineFileRange[i].Clear();
  }
}

void WidenChangedRange(int32_t line, int32_t start, int32_t end) {
  if (line < 0 || line >= kAudioLineCount) return;
  LineChangedRange[line].Widen(start, end);
}

void WidenChangedRange(int32_t line) {
  if (line < 0 || line >= kAudioLineCount) return;
  int32_t first = 0, last = 0;
  if (!Film::GetExtent(first, last, kKindAudio, line)) return;
  TimeRange& r = LineChangedRange[line];
  if (r.Empty()) {
    r.start = first;
    r.end = last;
  } else {
    r.Widen(first, last);
  }
}
