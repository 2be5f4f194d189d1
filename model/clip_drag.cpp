// Clip drags: turning each mouse step's asked move into a legal one, and
// moving the dragged films.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/edit_operations.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"

using namespace edit;

namespace {

// Gravity modes.
constexpr int32_t kGravityMarks = 1;
constexpr int32_t kGravityLeftmost = 2;
constexpr int32_t kGravityLeftEdges = 3;
constexpr int32_t kGravityRightmost = 4;
constexpr int32_t kGravityRightEdges = 5;

// Snapping looks at the clips that are not dragged.
constexpr int32_t kSnapOthers = 1;

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The time delta the drag may take: [low, high].
struct TimeBounds {
  int64_t low = -static_cast<int64_t>(kDayMs);
  int64_t high = kDayMs;
};

// Narrows the bounds by one part of a dragged film on its target line;
// false when the part has no legal place.
bool BoundPart(const Film& f, int32_t mask, int32_t line, bool frames, int32_t delta, int32_t length,
               TimeBounds& b) {
  auto snap = [frames](int32_t t) { return frames ? MsAddFrames(t, 0) : t; };
  const int32_t proposed =
      frames ? MsAddFrames(f.start, FrameShift(delta)) : ToInt32(int64_t{f.start} + delta);
  int32_t place = proposed;
  if (const Film* obstacle = CoveringObstacle(proposed, mask, line)) {
    // Beside the obstacle, on the side nearer to the film's middle.
    const int64_t middle = (int64_t{obstacle->start} + obstacle->end) / 2;
    if (int64_t{proposed} + (int64_t{f.end} - f.start) / 2 <= middle) {
      place = frames ? MsSubFrames(obstacle->start, MsToFrames(f.end - f.start, ProjectFrameRate()))
                     : obstacle->start - (f.end - f.start);
    } else {
      place = snap(obstacle->end);
    }
    if (CoveringObstacle(place, mask, line)) return false;
  }
  const Film* before = Film::FindLatestEndBefore(place, mask, line);
  b.low = std::max<int64_t>(b.low, int64_t{before ? snap(before->end) : 0} - f.start);
  const Film* after = Film::FindNextOnLine(place, mask, line);
  b.high = std::min<int64_t>(b.high, int64_t{snap(after ? after->start : length)} - f.end);
  return true;
}

}  // namespace

bool TimeLineEngine::TrackClipDrag(ClipMove& request, int32_t kinds) {
  // Where the undo history stands before the step's undo report, so that
  // MoveSelectedClips can tell the snapshot this drag takes.
  dragGesturePending_ = (UndoScript::Pending() & kUndoClipGesture) != 0;
  if (dragGesturePending_) dragSnapshot_ = nullptr;
  dragNewest_ = UndoScript::Slot(UndoScript::Current() + 1);

  std::vector<Film*> dragged;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->IsSelected()) dragged.push_back(f);
  }
  if (dragged.empty()) return false;

  // 1. Lines stay within their kind.
  if (request.line != 0) {
    int32_t low = -audioLineCount, high = audioLineCount;
    for (Film* f : dragged) {
      if (f->audio && (kinds & kKindAudio)) {
        low = std::max(low, -f->audioLine);
        high = std::min(high, audioLineCount - 1 - f->audioLine);
      }
      if (f->video && (kinds & kKindVideo)) {
        low = std::max(low, -f->videoRow);
        high = std::min(high, 1 - f->videoRow);
      }
      if (f->midi && (kinds & kKindMidi)) {
        low = std::max(low, 0);
        high = std::min(high, 0);
      }
      if (low >= high) break;
    }
    request.line = std::min(std::max(request.line, low), high);
  }

  // 2. No film goes onto a folded line.
  for (Film* f : dragged) {
    if (f->audio && (kinds & kKindAudio)) {
      const int32_t target = f->audioLine + request.line;
      if (target < 0 || target >= audioLineCount || audioPanel[target].zoom == 3) return false;
    }
    if (f->video && (kinds & kKindVideo)) {
      const int32_t target = f->videoRow + request.line;
      if (target < 0 || target > 1 || videoPanel[target].zoom == 3) return false;
    }
  }

  // 3. No dragged part may overlap a film that is not dragged.
  const int32_t asked = request.time;
  TimeBounds bounds;
  for (Film* f : dragged) {
    if (f->video) {
      const int32_t row = f->videoRow + ((kinds & kKindVideo) ? request.line : 0);
      if (!BoundPart(*f, kKindVideo, row, true, asked, length, bounds)) return false;
    }
    if (f->midi && !BoundPart(*f, kKindMidi, 0, false, asked, length, bounds)) return false;
    if (f->audio) {
      const int32_t line = f->audioLine + ((kinds & kKindAudio) ? request.line : 0);
      if (!BoundPart(*f, kKindAudio, line, false, asked, length, bounds)) return false;
    }
    if (bounds.low > bounds.high) return false;
  }

  // 4. Gravity: the nearest alignment target within the gravity distance.
  int64_t delta = asked;
  int64_t best = int64_t{gravityDistanceMs} + 1;
  auto snapEdge = [&](int64_t edge, bool nearest) {
    int32_t t = ToInt32(edge + asked);
    const int32_t distance = view_ ? view_->SnapToNearestEdge(t, kSnapOthers) : INT32_MAX;
    if (!nearest) {
      delta = int64_t{t} - edge;
    } else if (distance < best) {
      delta = int64_t{t} - edge;
      best = distance;
    }
  };
  switch (gravityAlign) {
    case kGravityMarks:
      for (Film* f : dragged) {
        for (const Mark& m : f->marks) {
          if (m.time < f->in || m.time >= f->out) continue;
          if (gravityGroup != 0 && m.group != 0 && m.group != gravityGroup) continue;
          snapEdge(int64_t{f->start} - f->in + m.time, true);
        }
      }
      break;
    case kGravityLeftmost:
      snapEdge(dragged.front()->start, false);
      break;
    case kGravityLeftEdges:
      for (Film* f : dragged) snapEdge(f->start, true);
      break;
    case kGravityRightmost: {
      int32_t latest = dragged.front()->end;
      for (Film* f : dragged) latest = std::max(latest, f->end);
      snapEdge(latest, false);
      break;
    }
    case kGravityRightEdges:
      for (Film* f : dragged) snapEdge(f->end, true);
      break;
    default:
      break;
  }

  // 5. Within the bounds.
  delta = std::min(std::max(delta, bounds.low), bounds.high);

  // 6. Video, or everything with ALIGN_TO_FRAME, stays on frames.
  Film* reference = nullptr;
  for (Film* f : dragged) {
    if (alignToFrame || f->video) {
      reference = f;
      break;
    }
  }
  if (reference) {
    const int32_t moved = ToInt32(int64_t{reference->start} + delta);
    int32_t rounded = MsAddFrames(moved, 0);
    if (int64_t{rounded} - reference->start < bounds.low) {
      rounded = MsAddFrames(rounded, 1);
      if (int64_t{rounded} - reference->start > bounds.high) return false;
    } else if (int64_t{rounded} - reference->start > bounds.high) {
      rounded = MsSubFrames(rounded, 1);
      if (int64_t{rounded} - reference->start < bounds.low) return false;
    }
    delta = int64_t{rounded} - reference->start;
  }

  request.time = ToInt32(delta);
  return request.time != 0 || request.line != 0;
}

void TimeLineEngine::MoveSelectedClips(int32_t timeDelta, int32_t lineDelta, int32_t kinds) {
  // The snapshot the undo report before this step took, if it was the
  // gesture's first.
  UndoScript* newest = UndoScript::Slot(UndoScript::Current() + 1);
  if (dragGesturePending_ && newest && newest != dragNewest_) dragSnapshot_ = newest;
  dragGesturePending_ = false;

  const int32_t frameDelta = FrameShift(timeDelta);
  std::vector<Film*> moved;
  for (Film* f = FilmList.First(); f;) {
    Film* following = f->next;
    if (f->IsSelected()) {
      Film::Unlink(f, FilmList);
      InvalidateClip(f);
      if (f->video) {
        f->start = MsAddFrames(f->start, frameDelta);
        f->end = MsAddFrames(f->end, frameDelta);
      } else {
        f->start = ToInt32(int64_t{f->start} + timeDelta);
        f->end = ToInt32(int64_t{f->end} + timeDelta);
      }
      if ((kinds & kKindVideo) && f->video) f->videoRow += lineDelta;
      if ((kinds & kKindAudio) && f->audio) f->audioLine += lineDelta;
      SetOrigin(f);
      InvalidateClip(f);
      moved.push_back(f);
    }
    f = following;
  }
  // Backwards, so that films of equal start keep their order.
  for (auto it = moved.rbegin(); it != moved.rend(); ++it) Film::Link(*it, FilmList);
}
