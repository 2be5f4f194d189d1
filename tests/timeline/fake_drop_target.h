// A line that takes a dropped clip as a test tells it: on its row or line,
// at the time it is asked (or settle), with the exact pointer test or
// without; it keeps every test it is asked.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/timeline_ids.h"
#include "timeline/lines/drop_target.h"

class FakeDropTarget : public LineDropTarget {
 public:
  bool ShowDropFeedback(const ClipItem* clip, POINT& point, int32_t& time, bool exact,
                        int32_t& cursor) override {
    calls.push_back({clip != nullptr, exact, time});
    shown = false;
    if (!clip || !(exact ? fitsUnderPointer : fitsElsewhere)) return false;
    if (settle >= 0) time = settle;
    cursor = shape;
    shown = true;
    return true;
  }
  bool HasDropTarget() const override { return shown; }
  int32_t DropTargetLine() const override { return line; }

  struct Call {
    bool withClip;
    bool exact;
    int32_t time;
  };
  std::vector<Call> calls;
  bool fitsUnderPointer = true;
  bool fitsElsewhere = true;
  int32_t line = 0;
  int32_t settle = -1;
  int32_t shape = kCursorDropFits;
  bool shown = false;
};
