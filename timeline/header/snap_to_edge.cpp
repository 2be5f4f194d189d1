#include "timeline/header/snap_to_edge.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/timeline_engine.h"

namespace {

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

bool Counts(const Film& film, int32_t filter) {
  switch (filter) {
    case kSnapOtherClips:
      return !film.IsSelected();
    case kSnapSelectedClips:
      return film.IsSelected();
    default:
      return true;
  }
}

}  // namespace

int32_t SnapToNearestEdge(const TimeLineEngine& engine, int32_t& time, int32_t filter) {
  const int64_t t = time;
  const int64_t reach = std::max(engine.gravityDistanceMs, 0);
  int64_t best = reach + 1;
  int64_t candidate = t;

  const int32_t mark = ProjectMarks.FindNearest(time, Clamp32(best), 0, engine.length);
  if (mark >= 0) {
    candidate = ProjectMarks[mark].time;
    best = std::llabs(candidate - t);
  }

  // A clip's marks are in its source time: they lie at start - in + mark.
  // Clips come in start order, so none after the first that starts out of
  // reach can hold one within it.
  for (const Film* f = FilmList.First(); f != nullptr && best > 0; f = f->next) {
    if (f->start >= t + reach) break;
    if (!Counts(*f, filter) || f->end < t - reach) continue;
    const int64_t offset = int64_t{f->start} - f->in;
    const int32_t k = f->marks.FindNearest(Clamp32(t - offset), Clamp32(best), f->in, f->out);
    if (k >= 0) {
      candidate = f->marks[k].time + offset;
      best = std::llabs(candidate - t);
    }
  }

  if (best <= reach) time = Clamp32(candidate);
  return Clamp32(best);
}
