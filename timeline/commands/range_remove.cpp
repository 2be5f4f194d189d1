// Copy, cut and clear of the range, on every line or on the active lines:
// the clips crossing an edge are split there, what lies inside goes to the
// clip clipboard, and a cut closes the gap. The project marks stay where
// they are.
//
// A removal either happens whole or changes nothing: what could refuse it
// (a split part without a key frame to start on, a clip that a cut would
// push onto another) is found before the first change.
#include <algorithm>
#include <vector>

#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "timeline/window/main_timeline_window.h"

// The lines that take part in a command on the active lines.
struct RangeLines {
  bool video[2] = {};
  bool midi = false;
  bool audio[4] = {};

  bool TakesPart(const Film& f) const {
    return (f.midi && midi) || (f.video && f.videoRow >= 0 && f.videoRow < 2 && video[f.videoRow]) ||
           (f.audio && f.audioLine >= 0 && f.audioLine < 4 && audio[f.audioLine]);
  }
};

namespace {

float Rate() {
  return ProjectFrameRate();
}

bool TakesPart(const Film& f, const RangeLines* lines) {
  return lines == nullptr || lines->TakesPart(f);
}

// Where a part of a video clip starting at source time in lands once it is
// linked: frames to its next key frame before out, 0 on a key frame, -1
// when there is none.
int32_t KeyFrameShift(VideoSource* video, int32_t in, int32_t out) {
  const int32_t first = MsToFrames(in, Rate());
  if (video->IsKeyFrame(first)) return 0;
  const int32_t last = MsToFrames(out, Rate());
  for (int32_t f = first + 1; f < last; ++f) {
    if (video->IsKeyFrame(f)) return f - first;
  }
  return -1;
}

// The in point of the part of a clip after p.
int32_t InAfterSplit(const Film& f, int32_t in, int32_t start, int32_t p) {
  return f.video ? MsAddFrames(in, MsToFrames(p - start, Rate())) : in + (p - start);
}

// What the removal will do to one clip that takes part, worked out before
// anything changes: false, with the user told, when a split part has no
// key frame to start on. after is where the clip's part after end starts
// (its end when none remains).
bool PlanClip(HWND owner, const Film& f, int32_t start, int32_t end, int32_t& after) {
  int32_t partStart = f.start;
  int32_t partIn = f.in;
  auto split = [&](int32_t p) {
    partIn = InAfterSplit(f, partIn, partStart, p);
    partStart = p;
    if (f.video == nullptr) return true;
    const int32_t shift = KeyFrameShift(f.video, partIn, f.out);
    if (shift < 0) {
      ShowMessage(owner, GetString(ui_string::kAlignToKeyFrame), MB_ICONEXCLAMATION,
                  GetString(ui_string::kNoNextKeyFrame), f.name, MsToShortTimeCode(p, true),
                  MsToShortTimeCode(f.end, true));
      return false;
    }
    partIn = MsAddFrames(partIn, shift);
    partStart = MsAddFrames(partStart, shift);
    return true;
  };
  if (partStart < start && start < f.end && !split(start)) return false;
  if (partStart < end && end < f.end && !split(end)) return false;
  after = partStart >= end ? partStart : f.end;
  return true;
}

// Splits film at p strictly inside it: the film keeps the part before p,
// a copy the part after it, linked into the project on a key frame. False,
// with the film as it was, when the copy cannot be made or linked.
bool SplitAt(HWND owner, Film* film, int32_t p, bool declick) {
  Film* copy = edit::CopyFilm(*film, edit::kAllParts);
  if (copy == nullptr) return false;
  const int32_t out = film->out, end = film->end;
  const bool declickOut = film->declickOut;
  if (film->video) {
    film->out = MsSubFrames(film->out, MsToFrames(film->end - p, Rate()));
  } else {
    film->out -= film->end - p;
  }
  copy->in = InAfterSplit(*copy, copy->in, copy->start, p);
  copy->start = p;
  film->end = p;
  if (copy->audio) {
    copy->declickIn = declick;
    film->declickOut = declick;
  }
  edit::DropOutPicture(film);
  edit::DropInPicture(copy);
  edit::DropKeyFrame(copy);
  if (!copy->LinkAtKeyFrame(owner, FilmList)) {
    delete copy;
    film->out = out;
    film->end = end;
    film->declickOut = declickOut;
    return false;
  }
  if (film->effects) film->effects->DeleteTempFile();
  edit::OpenForUse(copy);
  edit::OwnEffects(copy);
  copy->ComputeOrigin();
  return true;
}

}  // namespace

bool MainTimeLineWindow::RangeToActOn(int32_t& start, int32_t& end, RangeLines* lines) {
  if (engine_.playing || !engine_.GetMarkRange(start, end)) return false;
  if (lines != nullptr) {
    return engine_.GetRangeOfLines(lines->video, lines->midi, lines->audio, start, end,
                                   kRequestVideo | kRequestAudio | kRequestMidi) != 0;
  }
  if (Film::AnyOverlapping(start, end, kKindVideo, 0) || Film::AnyOverlapping(start, end, kKindVideo, 1)) {
    start = MsAddFrames(start, 0);
    end = MsAddFrames(end, 0);
    return start < end;
  }
  if (Film::AnyOverlapping(start, end, kKindMidi, 0)) return true;
  for (int32_t line = 0; line < engine_.audioLineCount; ++line) {
    if (Film::AnyOverlapping(start, end, kKindAudio, line)) return true;
  }
  return false;
}

bool MainTimeLineWindow::RemoveRange(int32_t start, int32_t end, const RangeLines* lines, bool closeGap) {
  const HWND owner = GetHandle();
  const int32_t gap = end - start;
  // What each clip will become, and whether a cut can close the gap.
  std::vector<std::pair<const Film*, int32_t>> moving;
  for (const Film* f = FilmList.First(); f; f = f->next) {
    if (!TakesPart(*f, lines)) continue;
    int32_t after = f->end;
    if (!PlanClip(owner, *f, start, end, after)) return false;
    if (closeGap && after < f->end) moving.emplace_back(f, after);
  }
  if (lines != nullptr) {
    for (const auto& [f, after] : moving) {
      const int32_t from = after - gap, to = f->end - gap;
      for (const Film* g = FilmList.First(); g && g->start < to; g = g->next) {
        if (g->end > from && !lines->TakesPart(*g) && edit::ShareLine(*f, *g)) {
          ShowMessage(owner, GetString(ui_string::kCutClips), MB_ICONSTOP,
                      GetString(ui_string::kCannotShiftClips));
          return false;
        }
      }
    }
  }

  engine_.MarkUndo(kUndoEdit);
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!TakesPart(*f, lines)) continue;
    // A part split off at the start comes by again and is split at the end.
    if (f->start < start && start < f->end) {
      SplitAt(owner, f, start, engine_.autoSetDeclick);
    } else if (f->start < end && end < f->end) {
      SplitAt(owner, f, end, engine_.autoSetDeclick);
    }
  }
  ClipClipboard.Clear();
  for (Film* f = FilmList.First(); f;) {
    Film* next = f->next;
    if (TakesPart(*f, lines) && f->start >= start && f->end <= end) {
      edit::CloseForUse(f);
      Film::Unlink(f, FilmList);
      Film::Link(f, ClipClipboard);
    }
    f = next;
  }
  return true;
}

bool MainTimeLineWindow::RemoveRangeAllLines(int32_t& start, int32_t& end, bool closingGap) {
  return RangeToActOn(start, end, nullptr) && RemoveRange(start, end, nullptr, closingGap);
}

bool MainTimeLineWindow::RemoveRangeActiveLines(int32_t& start, int32_t& end, bool videoRows[2],
                                                bool& midiLine, bool audioLines[4], bool closingGap) {
  RangeLines lines;
  if (!RangeToActOn(start, end, &lines) || !RemoveRange(start, end, &lines, closingGap)) return false;
  std::copy(lines.video, lines.video + 2, videoRows);
  midiLine = lines.midi;
  std::copy(lines.audio, lines.audio + 4, audioLines);
  return true;
}

bool MainTimeLineWindow::RemoveRangeOf(int32_t& start, int32_t& end, RangeLines* lines, bool closeGap) {
  if (lines == nullptr) return RemoveRangeAllLines(start, end, closeGap);
  return RemoveRangeActiveLines(start, end, lines->video, lines->midi, lines->audio, closeGap);
}

// ---- The commands.

// Nothing changes in the project: no undo step, not modified.
void MainTimeLineWindow::CopyRange(bool activeOnly) {
  int32_t start = 0, end = 0;
  RangeLines lines;
  RangeLines* taking = activeOnly ? &lines : nullptr;
  if (!RangeToActOn(start, end, taking)) return;
  const bool declick = engine_.autoSetDeclick;
  ClipClipboard.Clear();
  for (const Film* f = FilmList.First(); f && f->start < end; f = f->next) {
    if (f->end <= start || !TakesPart(*f, taking)) continue;
    Film* copy = edit::CopyFilm(*f, edit::kAllParts);
    if (copy == nullptr) continue;
    if (copy->start < start) {
      copy->in = InAfterSplit(*copy, copy->in, copy->start, start);
      copy->start = start;
      edit::DropInPicture(copy);
      edit::DropKeyFrame(copy);
      if (copy->effects) copy->effects->DeleteTempFile();
      if (copy->audio) copy->declickIn = declick;
    }
    if (copy->end > end) {
      if (copy->video) {
        copy->out = MsSubFrames(copy->out, MsToFrames(copy->end - end, Rate()));
      } else {
        copy->out -= copy->end - end;
      }
      copy->end = end;
      edit::DropOutPicture(copy);
      if (copy->effects) copy->effects->DeleteTempFile();
      if (copy->audio) copy->declickOut = declick;
    }
    Film::Link(copy, ClipClipboard);
  }
}

void MainTimeLineWindow::ClearRange(bool activeOnly) {
  int32_t start = 0, end = 0;
  RangeLines lines;
  if (!RemoveRangeOf(start, end, activeOnly ? &lines : nullptr, false)) return;
  for (int32_t line = 0; line < kAudioLineCount; ++line) {
    if (!activeOnly || lines.audio[line]) WidenChangedRange(line, start, end);
  }
  engine_.SetMarkRange(start, end);
  engine_.InvalidateLines();
  engine_.SetModified(true);
}

void MainTimeLineWindow::CutRange(bool activeOnly) {
  int32_t start = 0, end = 0;
  RangeLines lines;
  RangeLines* taking = activeOnly ? &lines : nullptr;
  if (!RemoveRangeOf(start, end, taking, true)) return;
  const int32_t gap = end - start;
  std::vector<Film*> moved;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->start < end || !TakesPart(*f, taking)) continue;
    f->start -= gap;
    f->end -= gap;
    f->ComputeOrigin();
    moved.push_back(f);
  }
  if (activeOnly) {
    // Clips of the lines that stayed may now lie between the moved ones:
    // those stay in order, and the moved ones go back in among them.
    for (Film* f : moved) Film::Unlink(f, FilmList);
    for (Film* f : moved) Film::Link(f, FilmList);
  } else if (engine_.cursor > start) {
    engine_.SetPlayCursor(engine_.cursor - gap, false);
  }
  for (int32_t line = 0; line < kAudioLineCount; ++line) {
    if (!activeOnly || lines.audio[line]) WidenChangedRange(line, start, engine_.length);
  }
  engine_.SetMarkRange(start, start);
  engine_.InvalidateLines();
  engine_.SetModified(true);
}

void MainTimeLineWindow::CmCopyRangeAll() {
  CopyRange(false);
}

void MainTimeLineWindow::CmCopyRangeActive() {
  CopyRange(true);
}

void MainTimeLineWindow::CmCutRangeAll() {
  CutRange(false);
}

void MainTimeLineWindow::CmCutRangeActive() {
  CutRange(true);
}

void MainTimeLineWindow::CmClearRangeAll() {
  ClearRange(false);
}

void MainTimeLineWindow::CmClearRangeActive() {
  ClearRange(true);
}
