// What the audio play file holds and what has changed since it was mixed:
// the stretch of the time-line whose mix the file holds correctly, and per
// audio line the part it contributed to the file and the part of its clips
// changed since. Every redraw request for audio widens the changed ranges,
// so the play file remixes only what is stale. Every undo snapshot keeps a
// copy of all three.
#pragma once

#include <cstdint>

#include "model/time_code.h"

constexpr int32_t kAudioLineCount = 4;

// [start, end) in ms; empty when start >= end. A cleared range is
// {86,400,000, 0}, so widening it by any span gives that span.
struct TimeRange {
  int32_t start = kDayMs;
  int32_t end = 0;

  bool Empty() const { return start >= end; }
  void Clear() {
    start = kDayMs;
    end = 0;
  }
  // Grows to cover [s, e); an empty span changes nothing.
  void Widen(int32_t s, int32_t e);
  void Widen(const TimeRange& other) { Widen(other.start, other.end); }
};

extern TimeRange PlayFileRange;
extern TimeRange LineFileRange[kAudioLineCount];
extern TimeRange LineChangedRange[kAudioLineCount];

// The whole time-line must be mixed again: every line changed over the
// whole day, and no line holds anything in the file.
void ResetChangedRanges();
// Widens the changed range of an audio line; a line outside 0..3 is ignored.
void WidenChangedRange(int32_t line, int32_t start, int32_t end);
// Widens it by the extent of the line's audio clips (an empty range becomes
// that extent); nothing changes when the line holds none.
void WidenChangedRange(int32_t line);
