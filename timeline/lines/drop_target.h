// A line window as the place a clip from the collection (or a file being
// added) is dropped on: it says whether the clip fits under the pointer,
// shows where, and remembers the row or line it chose. The video line, the
// MIDI line and the audio lines implement it; the time-line window asks them
// in turn while the clip moves and reads their choice at the drop.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class ClipItem;

class LineDropTarget {
 public:
  virtual ~LineDropTarget() = default;
  // Tests clip at a screen point and time, both of which the line may move
  // (to a frame, to the end of the clip before, into a gap). With exact,
  // only the row under the point counts; without, any free row of the line
  // at that time. True, with the feedback shown and the cursor resource to
  // show, when the clip fits. A null clip only removes the feedback.
  virtual bool ShowDropFeedback(const ClipItem* clip, POINT& point, int32_t& time, bool exact,
                                int32_t& cursor) = 0;
  // Whether the last test left a place, and its video row or audio line.
  virtual bool HasDropTarget() const = 0;
  virtual int32_t DropTargetLine() const = 0;
};
