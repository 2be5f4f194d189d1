// What the engine's edit operations on the Film list take and reach beyond
// the time-line: a clip drag's move request, and the clip collection that
// dragged clips can be dropped on.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class Film;

// One mouse step of a clip drag, corrected in place by
// TimeLineEngine::TrackClipDrag: a time delta in ms and a line delta
// (video rows, audio lines), both signed.
struct ClipMove {
  int32_t time = 0;
  int32_t line = 0;
};

// The clip collection as the time-line's drop target. The collection window
// implements it and installs it with TimeLineEngine::SetClipCollection.
class ClipCollectionTarget {
 public:
  virtual ~ClipCollectionTarget() = default;
  // The collection window; null while it does not exist.
  virtual HWND Window() = 0;
  // Adds a copy of the film's clip as a new tile, asking through the
  // add-clip dialog; false when it was not added.
  virtual bool PasteClip(Film* film) = 0;
};
