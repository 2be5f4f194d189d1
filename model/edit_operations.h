// What the engine's edit operations on the Film list take and reach beyond
// the time-line: a clip drag's move request, and the clip collection that
// dragged clips can be dropped on.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class Film;
class ClipItem;

// One mouse step of a clip drag, corrected in place by
// TimeLineEngine::TrackClipDrag: a time delta in ms and a line delta
// (video rows, audio lines), both signed.
struct ClipMove {
  int32_t time = 0;
  int32_t line = 0;
};

// The clip collection as the time-line sees it: the target of dragged clips
// and the collection part of the Film model's host, which the engine passes
// on. The collection window implements it and installs it with
// TimeLineEngine::SetClipCollection; the defaults hold no clips.
class ClipCollectionTarget {
 public:
  virtual ~ClipCollectionTarget() = default;
  // The collection window; null while it does not exist.
  virtual HWND Window() = 0;
  // Adds a copy of the film's clip as a new tile, asking through the
  // add-clip dialog; false when it was not added. answer is shared by the
  // films of one drop: 0 ask, above 0 add every duplicate, below 0 leave
  // them out.
  virtual bool PasteClip(Film* film, int* answer) = 0;

  virtual int32_t ClipCount() { return 0; }
  virtual ClipItem* ClipAt(int32_t) { return nullptr; }
  // Takes a clip out of the collection; the caller deletes it.
  virtual ClipItem* TakeClip(int32_t) { return nullptr; }
  virtual void RelayoutClips() {}
  virtual void MarkClipsModified(bool) {}
  virtual bool RefreshClipAt(int32_t) { return false; }
  // Deletes a clip without asking, lays out and marks the collection modified.
  virtual void DeleteClipAt(int32_t) {}
};
