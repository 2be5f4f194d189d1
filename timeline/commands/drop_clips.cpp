// A clip carried over the lines (a tile of the collection, or a file being
// added): where it would go while the mouse moves, and the drop, which
// pushes the later clips of occupied lines to the right.
#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/drop_target.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int32_t kKinds[] = {kKindVideo, kKindAudio, kKindMidi};

// The lines of a drop that already hold a clip over its time.
struct Collisions {
  bool video = false;
  bool audio = false;
  bool midi = false;
  int32_t row = -1;
  int32_t line = -1;
  // A clip over the drop starts before it: pushing right cannot free it.
  bool startsBefore = false;

  bool Any() const { return video || audio || midi; }
  // The film has a part on a colliding line.
  bool Touches(const Film& f) const {
    return (video && f.video && f.videoRow == row) || (audio && f.audio && f.audioLine == line) ||
           (midi && f.midi);
  }
  // The film has a part on a line that does not collide.
  bool Outside(const Film& f) const {
    return (f.video && !(video && f.videoRow == row)) || (f.audio && !(audio && f.audioLine == line)) ||
           (f.midi && !midi);
  }
};

Collisions FindCollisions(int32_t parts, int32_t row, int32_t line, int32_t start, int32_t end) {
  Collisions c;
  c.row = row;
  c.line = line;
  for (Film* f = FilmList.First(); f && f->start < end; f = f->next) {
    if (f->end <= start) continue;
    bool hit = false;
    if ((parts & kKindVideo) && f->video && f->videoRow == row) hit = c.video = true;
    if ((parts & kKindAudio) && f->audio && f->audioLine == line) hit = c.audio = true;
    if ((parts & kKindMidi) && f->midi) hit = c.midi = true;
    if (hit && f->start < start) c.startsBefore = true;
  }
  return c;
}

int32_t Clamped(int64_t t) {
  return static_cast<int32_t>(std::clamp<int64_t>(t, INT32_MIN, INT32_MAX));
}

// Moves the films from time on that lie on a colliding line right, so that
// the first of them starts at dropEnd (video by whole frames), and puts them
// back in start order. The latest end of a moved film; 0 when none moved.
int32_t Ripple(const Collisions& c, int32_t time, int32_t dropEnd) {
  Film* from = FilmList.First();
  while (from && from->start < time) from = from->next;
  std::vector<Film*> moving, staying;
  for (Film* f = from; f; f = f->next) (c.Touches(*f) ? moving : staying).push_back(f);
  if (moving.empty()) return 0;

  const float rate = ProjectFrameRate();
  const int32_t first = moving.front()->start;
  const int32_t shift = std::max(dropEnd - first, 0);
  const int32_t frames = std::max(MsToFrames(dropEnd, rate) - MsToFrames(first, rate), 0);
  for (Film* f : moving) Film::Unlink(f, FilmList);
  for (Film* f : staying) Film::Unlink(f, FilmList);
  int32_t latest = 0;
  for (Film* f : moving) {
    if (f->audio) WidenChangedRange(f->audioLine, f->start, f->end);
    if (f->video) {
      f->start = MsAddFrames(f->start, frames);
      f->end = MsAddFrames(f->end, frames);
    } else {
      f->start = Clamped(static_cast<int64_t>(f->start) + shift);
      f->end = Clamped(static_cast<int64_t>(f->end) + shift);
    }
    if (f->audio) WidenChangedRange(f->audioLine, f->start, f->end);
    f->ComputeOrigin();
    latest = std::max(latest, f->end);
  }
  // Both runs are in start order now; merging them appends every film at
  // the end of the list, so a long project costs no rescans.
  std::stable_sort(moving.begin(), moving.end(),
                   [](const Film* a, const Film* b) { return a->start < b->start; });
  auto m = moving.begin();
  auto s = staying.begin();
  while (m != moving.end() || s != staying.end()) {
    if (s == staying.end() || (m != moving.end() && (*m)->start < (*s)->start)) {
      Film::Append(*m++, FilmList);
    } else {
      Film::Append(*s++, FilmList);
    }
  }
  return latest;
}

void ClearFeedback(MainTimeLineWindow& window) {
  const TimeLineEngine& e = window.Engine();
  const bool shown[] = {e.showVideo, e.showAudio, e.showMidi};
  for (int i = 0; i < 3; ++i) {
    LineDropTarget* target = shown[i] ? window.DropTarget(kKinds[i]) : nullptr;
    if (!target) continue;
    POINT p{0, 0};
    int32_t time = 0, cursor = 0;
    target->ShowDropFeedback(nullptr, p, time, true, cursor);
  }
}

// Whether the clip's part of a kind could go onto this project at all.
bool PartFits(const ClipItem& clip, int32_t kind) {
  switch (kind) {
    case kKindVideo:
      return clip.GetVideo() && clip.GetVideo()->IsDirectPlayable();
    case kKindAudio:
      return clip.GetAudio() && clip.GetAudio()->IsDirectFormat();
    case kKindMidi: {
      MidiSource* midi = clip.GetMidi();
      if (!midi) return false;
      for (Film* f = FilmList.First(); f; f = f->next) {
        if (f->midi && f->midi != midi) return false;
      }
      return midi->MayBeShared();
    }
  }
  return false;
}

}  // namespace

LineDropTarget* MainTimeLineWindow::DropTarget(int32_t kind) {
  TWindow* line = kind == kKindVideo   ? static_cast<TWindow*>(videoLine_)
                  : kind == kKindAudio ? static_cast<TWindow*>(audioLines_)
                  : kind == kKindMidi  ? static_cast<TWindow*>(midiLine_)
                                       : nullptr;
  return dynamic_cast<LineDropTarget*>(line);
}

int32_t MainTimeLineWindow::HitTestLines(int x, int y, const ClipItem* clip, int32_t& time) {
  const int32_t kinds = clip ? clip->GetKinds() : 0;
  if (engine_.playing || !kinds || !OverLines(x, y)) {
    ClearFeedback(*this);
    ::SetCursor(Cursor(engine_.playing ? kCursorPlaying : kCursorNoDrop));
    return 0;
  }

  TPoint onLines(x, y);
  audioLines_->ScreenToClient(onLines);
  int32_t t = engine_.PixelToPos(onLines.x);
  const bool shown[] = {engine_.showVideo, engine_.showAudio, engine_.showMidi};
  int32_t wanted = 0;
  for (int i = 0; i < 3; ++i) {
    if ((kinds & kKinds[i]) && shown[i] && PartFits(*clip, kKinds[i])) wanted |= kKinds[i];
  }

  // First the line under the pointer of each part; the parts that found
  // none there then take any line of theirs at the time the others chose.
  int32_t found = 0, cursor = 0;
  for (bool exact : {true, false}) {
    for (int32_t kind : kKinds) {
      if (!(wanted & kind) || (found & kind)) continue;
      LineDropTarget* target = DropTarget(kind);
      POINT at{x, y};
      int32_t shape = 0;
      if (target && target->ShowDropFeedback(clip, at, t, exact, shape)) {
        found |= kind;
        if (shape) cursor = shape;
      }
    }
    if (!found) break;
  }
  if (found && found == wanted) {
    time = t;
    ::SetCursor(Cursor(cursor ? cursor : kCursorDropFits));
    return wanted;
  }
  for (int32_t kind : kKinds) {
    LineDropTarget* target = (found & kind) ? DropTarget(kind) : nullptr;
    if (!target) continue;
    POINT at{x, y};
    int32_t unused = 0, shape = 0;
    target->ShowDropFeedback(nullptr, at, unused, true, shape);
  }
  ::SetCursor(Cursor(kCursorNoDrop));
  return 0;
}

bool MainTimeLineWindow::OverLines(int x, int y) {
  if (!IsWindow()) return false;
  TPoint p(x, y);
  ScreenToClient(p);
  TPoint bar = hScroll_->GetWindowRect().TopLeft();
  ScreenToClient(bar);
  return p.y >= lineAreaTop_ && p.y < bar.y;
}

int32_t MainTimeLineWindow::DropCollectionClip(int x, int y, const ClipItem* clip) {
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kInsertClip));
    return 0;
  }
  // A sound of another rate or format cannot go onto this project's lines:
  // the drop says so rather than leave it out unseen.
  AudioSource* sound = clip ? clip->GetAudio() : nullptr;
  const bool soundUnfit = sound && (clip->GetKinds() & kKindAudio) && engine_.showAudio &&
                          !PartFits(*clip, kKindAudio) && OverLines(x, y);
  const int32_t placed = DropParts(x, y, clip);
  if (soundUnfit) {
    ShowMessage(HWindow, GetString(ui_string::kInsertClip), MB_OK | MB_ICONEXCLAMATION,
                GetString(ui_string::kInappropriateParameters), sound->GetFileName(),
                GetString(ui_string::kKindAudio));
  }
  return placed;
}

int32_t MainTimeLineWindow::DropParts(int x, int y, const ClipItem* clip) {
  const char* caption = GetString(ui_string::kInsertClip);
  int32_t time = engine_.length;
  const int32_t found = HitTestLines(x, y, clip, time);
  if (!found || !clip) return 0;
  int32_t parts = 0, row = -1, line = -1;
  for (int32_t kind : kKinds) {
    LineDropTarget* target = (found & kind) ? DropTarget(kind) : nullptr;
    if (!target || !target->HasDropTarget()) continue;
    parts |= kind;
    if (kind == kKindVideo) row = target->DropTargetLine();
    if (kind == kKindAudio) line = target->DropTargetLine();
  }
  ClearFeedback(*this);
  if (!parts) return 0;

  const int32_t dropEnd = Clamped(static_cast<int64_t>(time) + clip->GetLength());
  const Collisions c = FindCollisions(parts, row, line, time, dropEnd);
  if (c.Any()) {
    ::SetCursor(Cursor(kCursorInsert));
    CurrentMessageBoxPresenter().Beep(MB_ICONEXCLAMATION);
    // Pushing right moves whole clips: one that also lies on a free line,
    // or one that starts before the drop, cannot make room.
    bool refuse = c.startsBefore;
    for (Film* f = FilmList.First(); f && !refuse; f = f->next) {
      refuse = f->start >= time && c.Touches(*f) && c.Outside(*f);
    }
    if (refuse) {
      ShowMessage(HWindow, caption, MB_OK | MB_ICONSTOP, "%s", GetString(ui_string::kCannotShiftClips));
      return 0;
    }
  }
  Film* film = new (std::nothrow) Film(*clip, time, parts, line, row);
  if (!film) {
    ErrorBox(HWindow, kErrNoMemory, caption, static_cast<int32_t>(sizeof(Film)));
    return 0;
  }
  return PlaceDroppedFilm(film, dropEnd, c.Any()) ? parts : 0;
}

bool MainTimeLineWindow::PlaceDroppedFilm(Film* film, int32_t dropEnd, bool ripple) {
  engine_.MarkUndo(kUndoEdit);
  engine_.SetModified(true);
  engine_.UpdateScrollRange();
  UndoScript::SetPending(0);
  int64_t length = std::max(engine_.length, film->end);
  if (ripple) {
    const int32_t parts =
        (film->video ? kKindVideo : 0) | (film->audio ? kKindAudio : 0) | (film->midi ? kKindMidi : 0);
    const Collisions c = FindCollisions(parts, film->videoRow, film->audioLine, film->start, dropEnd);
    length = std::max<int64_t>(length, Ripple(c, film->start, dropEnd));
  }

  const bool linked = film->LinkAtKeyFrame(HWindow, FilmList);
  if (!linked) {
    delete film;
  } else {
    // The dropped clip alone is the selection, so that the next command
    // (Delete, a move) acts on it and not on the clips dropped before.
    engine_.ClearSelection();
    film->group = SelectionGroup;
    UndoScript::SetPending(UndoScript::Pending() | kUndoDeselect);
    if (film->video) film->video->BeginRead();
    if (film->audio) {
      film->declickIn = engine_.autoSetDeclick;
      film->declickOut = engine_.autoSetDeclick;
      film->audio->BeginRead();
      WidenChangedRange(film->audioLine, film->start, film->end);
    }
    edit::OpenSharedEffects(film);
    if (film->midi) film->midi->Open();
    film->ComputeOrigin();
  }
  if (length > engine_.length)
    engine_.SetLength(static_cast<int32_t>(std::min<int64_t>(length + 1000, kDayMs)));
  engine_.InvalidateLines();
  engine_.SetModified(true);
  if (IsWindow()) SetFocus();
  return linked;
}

void MainTimeLineWindow::OfferClipCopy(const ClipItem& clip, int32_t placed) {
  const int32_t kinds = clip.GetKinds();
  if (placed == kinds) return;
  const char* caption = GetString(ui_string::kInsertClip);
  if (ShowMessage(HWindow, caption, MB_YESNO | MB_ICONQUESTION, GetString(ui_string::kCannotInsertClip),
                  placed ? GetString(ui_string::kWhole) : " ") != IDYES) {
    return;
  }
  Film* film = new (std::nothrow) Film(clip, 0, kinds, 0, 0);
  if (!film) {
    ErrorBox(HWindow, kErrNoMemory, caption, static_cast<int32_t>(sizeof(Film)));
    return;
  }
  if (film->audio) {
    film->declickIn = engine_.autoSetDeclick;
    film->declickOut = engine_.autoSetDeclick;
  }
  ClipClipboard.Clear();
  Film::Link(film, ClipClipboard);
}
