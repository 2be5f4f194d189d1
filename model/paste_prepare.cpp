// The first step of Paste and Insert, the Clip Properties command, and
// dropping dragged clips on the clip collection.
#include <algorithm>
#include <cstdint>

#include "model/edit_operations.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"
#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

using namespace edit;

namespace {

int32_t ClampToDay(int64_t t) {
  return static_cast<int32_t>(std::clamp<int64_t>(t, 0, kDayMs));
}

bool InClientArea(HWND window, POINT screenPoint) {
  if (!window || !IsWindow(window)) return false;
  POINT p = screenPoint;
  RECT r;
  if (!ScreenToClient(window, &p) || !GetClientRect(window, &r)) return false;
  return PtInRect(&r, p) != 0;
}

}  // namespace

void TimeLineEngine::SetOrigin(Film* film) {
  film->origin = PixelsToTime(TimeToPixels(static_cast<int32_t>(
      std::clamp<int64_t>(static_cast<int64_t>(film->start) - film->in, INT32_MIN, INT32_MAX))));
}

bool TimeLineEngine::PreparePaste(int32_t& time, int32_t& clipStart, int32_t& clipEnd, int32_t& kinds) {
  pasteUndoTaken_ = false;
  if (kinds & kKindVideo) {
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (f->video && f->end > time) {
        time = MsAddFrames(time, 0);
        break;
      }
    }
  }
  kinds = 0;
  if (ClipClipboard.Empty()) return false;
  if (playing) {
    ErrorBoxPlain(Owner(), kErrPlaying, GetString(ui_string::kPasteClips));
    return false;
  }

  // The command's undo step holds the state from before this step: the
  // project may grow below, and a refused paste gives that back.
  pasteState_ = GetTimeLineState();
  // A deselection takes the undo step itself; the paste then takes none, so
  // that Undo brings back the selection and the list in one step.
  pasteUndoTaken_ = Film::AnySelected();
  UndoScript::SetPending(UndoScript::Pending() | kUndoSelectGesture);
  ClearSelection();
  UndoScript::SetPending(0);

  bool found = false;
  int32_t first = 0, last = 0;
  for (Film* f = ClipClipboard.First(); f; f = f->next) {
    const int32_t parts = UsableParts(*f);
    if (!parts) continue;
    kinds |= parts;
    if (!found) first = f->start;
    last = found ? std::max(last, f->end) : f->end;
    found = true;
  }
  if (!kinds) return false;

  int64_t blockEnd;
  if (kinds & kKindVideo) {
    time = MsAddFrames(time, 0);
    first = FloorToFrame(first);
    last = CeilToFrame(last);
    const float rate = ProjectFrameRate();
    blockEnd = MsAddFrames(time, MsToFrames(last, rate) - MsToFrames(first, rate));
  } else {
    blockEnd = static_cast<int64_t>(time) + last - first;
  }
  clipStart = first;
  clipEnd = last;
  if (blockEnd > length) SetLength(ClampToDay(blockEnd + 1000));
  return true;
}

void TimeLineEngine::MarkPasteUndo() {
  if (pasteUndoTaken_) return;
  pasteUndoTaken_ = true;
  UndoScript::Mark(kUndoEdit, ProjectMarks, pasteState_);
}

bool TimeLineEngine::RefusePaste(HWND owner, int32_t message) {
  if (length != pasteState_.length) SetLength(pasteState_.length);
  ShowMessageText(owner, GetString(ui_string::kCannotPaste), MB_ICONEXCLAMATION, GetString(message));
  return false;
}

void TimeLineEngine::EditClipProperties(Film* film) {
  if (!film) return;
  Film* copy = CopyFilm(*film, kAllParts);
  if (!copy) {
    ErrorBox(Owner(), kErrNoMemory, GetString(ui_string::kEditClip), static_cast<int32_t>(sizeof(Film)));
    return;
  }
  int32_t lower = 0;
  for (Film* f = film->prev; f; f = f->prev) {
    if (ShareLine(*f, *film)) lower = std::max(lower, f->end);
  }
  int32_t upper = kDayMs;
  for (Film* f = film->next; f; f = f->next) {
    if (ShareLine(*f, *film)) {
      upper = f->start;
      break;
    }
  }
  bool showFrame = previewVideo;
  if (!view_ || !view_->RunFilmEditDialog(*copy, lower, upper, showFrame)) {
    delete copy;
    return;
  }

  MarkUndo(kUndoEdit);
  if (copy->end > length) SetLength(ClampToDay(static_cast<int64_t>(copy->end) + 1000));
  Film::Unlink(film, FilmList);
  SetOrigin(copy);
  Film::Link(copy, FilmList);
  // The pictures are made again for the new points when drawn.
  DropInPicture(copy);
  DropOutPicture(copy);
  if (copy->video) {
    StartFrameRecord* still = players_->CreateKeyFrame(copy->video, MsToFrames(copy->in, ProjectFrameRate()));
    DropKeyFrame(copy);
    copy->inKeyFrame = still;
  }
  SetModified(true);
  InvalidateLines();
  previewVideo = showFrame;
  // The copy holds the edited film's uses of its sources from now on.
  delete film;
}

bool TimeLineEngine::IsOverClipCollection(POINT screenPoint) {
  if (InClientArea(Owner(), screenPoint)) return false;
  return collection_ && InClientArea(collection_->Window(), screenPoint);
}

bool TimeLineEngine::DropClipsOnCollection(POINT screenPoint) {
  UndoScript* own = dragSnapshot_;
  dragSnapshot_ = nullptr;
  if (!IsOverClipCollection(screenPoint)) return false;
  bool added = false;
  int answer = 0;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->IsSelected() && collection_->PasteClip(f, &answer)) added = true;
  }
  // Only the drag's own step is undone: when something else took the
  // newest step, or the drag took none, the time-line stays as it is.
  if (!(UndoScript::Pending() & kUndoClipGesture) && own &&
      UndoScript::Slot(UndoScript::Current() + 1) == own) {
    CmUndo();
  }
  return added;
}
