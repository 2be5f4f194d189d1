// The flat list of video segments the video player plays for a range, and
// which picture is on screen at one time. Two rows may overlap and the VFX
// line may join two overlapping clips with a transition; the player never
// sees that layering.
#include <algorithm>
#include <new>

#include "model/film.h"
#include "model/film_list.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"

namespace {

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

// A video-only copy of a film; null when memory runs out.
Film* MakeSegment(const Film& film) {
  Film* segment = nullptr;
  try {
    segment = new Film(film, kKindVideo);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  Drop(segment->inKeyFrame);
  Drop(segment->inPicture);
  Drop(segment->outPicture);
  return segment;
}

// A segment of a transition's own picture.
Film* MakeSpan(VideoSource* video, int32_t in, int32_t start, int32_t end) {
  try {
    return new Film(video, in, start, end);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool HasFrames(const Film& f) {
  return Frames(f.in) < Frames(f.out);
}

// The segment starts later at t, its in point moving by the same frames.
void StartAt(Film& f, int32_t t) {
  f.in = MsAddFrames(f.in, Frames(t) - Frames(f.start));
  f.start = t;
}

// The segment ends earlier at t, its out point moving by the same frames.
void EndAt(Film& f, int32_t t) {
  f.out = MsSubFrames(f.out, Frames(f.end) - Frames(t));
  f.end = t;
}

const VFXEntry* FindTransition(const VFXEntry* list, int32_t first, int32_t second) {
  for (const VFXEntry* t = list; t; t = t->next) {
    if (t->stampA == static_cast<uint32_t>(first) && t->stampB == static_cast<uint32_t>(second)) return t;
  }
  return nullptr;
}

bool Joins(const VFXEntry& t, const Film& a, const Film& b) {
  const auto sa = static_cast<uint32_t>(a.stamp);
  const auto sb = static_cast<uint32_t>(b.stamp);
  return (t.stampA == sa && t.stampB == sb) || (t.stampA == sb && t.stampB == sa);
}

// Where two segments overlap without a transition, the lower row wins, and
// on one row the earlier (a). The loser is cut away under the winner; a
// piece of a split loser is linked into list.
void ResolveByRow(Film* a, Film*& b, FilmListHead& list) {
  if (b->videoRow < a->videoRow) {
    if (b->end < a->end) {
      if (b->start > a->start) {
        if (Film* tail = MakeSegment(*a)) {
          StartAt(*tail, b->end);
          if (HasFrames(*tail)) {
            Film::Link(tail, list);
          } else {
            delete tail;
          }
        }
        EndAt(*a, b->start);
      } else {
        StartAt(*a, b->end);
      }
    } else {
      EndAt(*a, b->start);
    }
  } else if (a->end < b->end) {
    StartAt(*b, a->end);
  } else {
    delete b;
    b = nullptr;
  }
}

}  // namespace

// ---- The transition service's share.

void VFX::BuildSegments(const VFXEntry& t, FilmListHead& list, int32_t start, int32_t end, const Film& first,
                        const Film& second) {
  Lock();
  const int32_t f0 = Frames(t.start);
  const int32_t f1 = Frames(t.end);
  const int32_t from = std::max(f0, Frames(start));
  const int32_t to = std::min(f1, Frames(end));
  const float rate = ProjectFrameRate();
  if (t.rendered) {
    if (from < to) {
      if (Film* s = MakeSpan(t.rendered, FramesToMs(from - f0, rate), FramesToMs(from, rate),
                             FramesToMs(to, rate))) {
        Film::Link(s, list);
      }
    }
  } else {
    const int32_t mid = std::clamp((f0 + f1) / 2, std::min(from, to), std::max(from, to));
    // Each side keeps its own source in step with the time-line.
    if (from < mid && first.video) {
      const int32_t in = MsAddFrames(first.in, from - Frames(first.start));
      if (Film* s = MakeSpan(first.video, in, FramesToMs(from, rate), FramesToMs(mid, rate))) {
        s->videoRow = first.videoRow;
        Film::Link(s, list);
      }
    }
    if (mid < to && second.video) {
      const int32_t in = MsAddFrames(second.in, mid - Frames(second.start));
      if (Film* s = MakeSpan(second.video, in, FramesToMs(mid, rate), FramesToMs(to, rate))) {
        s->videoRow = second.videoRow;
        Film::Link(s, list);
      }
    }
  }
  Unlock();
}

bool VFX::PickSide(Film*& film, int32_t& time, Film* a, Film* b) {
  if (!a || !b) return false;
  Lock();
  const VFXEntry* t = nullptr;
  for (const VFXEntry* e = List(); e && !t; e = e->next) {
    if (Joins(*e, *a, *b)) t = e;
  }
  bool found = false;
  if (t && t->state != VFXEntry::Idle) {
    Film* chosen = nullptr;
    if (t->rendered) {
      try {
        picked_ = std::make_unique<Film>(t->rendered, 0, t->start, t->end);
        chosen = picked_.get();
      } catch (const std::bad_alloc&) {
        picked_.reset();
      }
    } else {
      Film* first = static_cast<uint32_t>(a->stamp) == t->stampA ? a : b;
      Film* second = first == a ? b : a;
      chosen = time < (t->start + t->end) / 2 ? first : second;
    }
    if (chosen) {
      film = chosen;
      time = time - chosen->start + chosen->in;
      found = true;
    }
  }
  Unlock();
  return found;
}

// ---- The segment list.

void TimeLineEngine::FreeRangeList() {
  play.segments.Clear();
}

bool TimeLineEngine::CollectRange(const FilmListHead& films, const bool rowFlags[2], int32_t& start,
                                  int32_t& end) {
  FilmListHead& list = play.segments;
  FreeRangeList();
  start = MsAddFrames(start, 0);
  end = MsAddFrames(end, 0);
  if (start >= end) return false;

  // From the last film back, so that films starting together keep their
  // order (a film links in before those of equal start).
  for (Film* f = films.Last(); f; f = f->prev) {
    if (!f->video || f->videoRow < 0 || f->videoRow > 1 || !rowFlags[f->videoRow]) continue;
    if (f->start >= end || f->end <= start) continue;
    Film* s = MakeSegment(*f);
    if (!s) continue;
    if (s->start < start) StartAt(*s, start);
    if (s->end > end) EndAt(*s, end);
    Film::Link(s, list);
  }

  VFX* vfx = players_->Transitions();
  const VFXEntry* transitions = vfx ? vfx->Schedule() : nullptr;

  // Settle one overlapping pair at a time, starting over from the head.
  for (bool again = true; again;) {
    again = false;
    for (Film* a = list.First(); a && a->next; a = a->next) {
      Film* b = a->next;
      if (b->start >= a->end) continue;
      Film::Unlink(a, list);
      Film::Unlink(b, list);
      const VFXEntry* t = vfx ? FindTransition(transitions, a->stamp, b->stamp) : nullptr;
      if (t) {
        const int32_t cut = MsAddFrames(t->start, 0);
        const int32_t resume = MsAddFrames(t->end, 0);
        if (cut < a->end) EndAt(*a, cut);
        if (resume > b->start) StartAt(*b, resume);
        vfx->BuildSegments(*t, list, start, end, *a, *b);
      }
      // A transition that does not cover the whole overlap leaves the rest
      // to the rows.
      if (b->start < a->end && HasFrames(*a) && HasFrames(*b)) ResolveByRow(a, b, list);
      for (Film* s : {a, b}) {
        if (!s) continue;
        if (HasFrames(*s)) {
          Film::Link(s, list);
        } else {
          delete s;
        }
      }
      again = true;
      break;
    }
  }

  for (Film* s = list.First(); s;) {
    Film* next = s->next;
    if (!HasFrames(*s)) {
      Film::Unlink(s, list);
      delete s;
    }
    s = next;
  }

  for (Film* s = list.First(); s; s = s->next) {
    StartFrameRecord* picture = s->video ? players_->CreateKeyFrame(s->video, Frames(s->in)) : nullptr;
    Drop(s->inKeyFrame);
    s->inKeyFrame = picture;
  }
  return true;
}

// ---- The picture at one time.

bool TimeLineEngine::FindVideoAt(Film*& film, int32_t& time) {
  film = nullptr;
  bool rows[2];
  const bool solo = AnyLineSolo();
  for (int32_t r = 0; r < 2; ++r) rows[r] = solo ? videoPanel[r].solo != 0 : videoPanel[r].mute == 0;
  if (!rows[0] && !rows[1]) {
    time = 0;
    return false;
  }

  // In a gap the last picture of the clip that ended last stays on screen;
  // every round looks at an earlier time, so the search ends.
  for (;;) {
    Film* hit[2] = {};
    for (int32_t r = 0; r < 2; ++r) {
      if (rows[r]) hit[r] = Film::FindByLine(time, kKindVideo, r);
    }
    if (hit[0] && hit[1]) {
      VFX* vfx = players_->Transitions();
      if (vfx && vfx->PickSide(film, time, hit[0], hit[1])) return true;
    }
    if (Film* f = hit[0] ? hit[0] : hit[1]) {
      film = f;
      time = time - f->start + f->in;
      return true;
    }

    Film* last = nullptr;
    for (Film* f = FilmList.First(); f && f->start < time; f = f->next) {
      if (!f->video || f->videoRow < 0 || f->videoRow > 1 || !rows[f->videoRow]) continue;
      if (!last || f->end > last->end || (f->end == last->end && f->videoRow < last->videoRow)) last = f;
    }
    if (!last) return false;
    const int32_t earlier = MsSubFrames(last->end, 1);
    if (earlier >= time) return false;
    time = earlier;
  }
}
