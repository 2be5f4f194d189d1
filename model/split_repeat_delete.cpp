// Split, Repeat and Delete of one clip of the time-line.
#include <algorithm>
#include <cstdint>

#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"

using namespace edit;

namespace {

constexpr int32_t kMaxRepeats = 10;

}  // namespace

void TimeLineEngine::SplitClip(HWND window, Film* film, int32_t time) {
  if (!film) return;
  const HWND owner = window ? window : Owner();
  const float rate = ProjectFrameRate();
  if (film->video) time = MsAddFrames(time, 0);
  if (time <= film->start || time >= film->end) return;

  ShowStatusText(FormatText(GetString(ui_string::kSplitClipAt), MsToShortTimeCode(time, TRUE)).c_str());
  // Without memory for the right part nothing is cut, so nothing is lost.
  Film* copy = CopyFilm(*film, kAllParts);
  if (!copy) return;
  MarkUndo(kUndoEdit);

  const int32_t oldEnd = film->end;
  film->group = 0;
  copy->group = 0;
  if (film->video) {
    film->out = MsSubFrames(film->out, MsToFrames(film->end - time, rate));
    copy->in = MsAddFrames(copy->in, MsToFrames(time - film->start, rate));
  } else {
    film->out -= film->end - time;
    copy->in += time - film->start;
  }
  copy->start = time;
  film->end = time;
  if (copy->audio) {
    copy->declickIn = autoSetDeclick;
    film->declickOut = autoSetDeclick;
  }
  DropOutPicture(film);
  DropInPicture(copy);
  DropKeyFrame(copy);
  if (copy->LinkAtKeyFrame(owner, FilmList)) {
    OpenForUse(copy);
    OwnEffects(copy);
    SetOrigin(copy);
  } else {
    delete copy;
  }

  InvalidateLineRange(film->start, oldEnd, film);
  if (view_) view_->InvalidateFocusWindow();
  SetModified(true);
}

void TimeLineEngine::RepeatClip(HWND window, Film* film) {
  if (!film) return;
  const HWND owner = window ? window : Owner();
  const float rate = ProjectFrameRate();

  int32_t next = kDayMs;
  for (Film* f = film->next; f; f = f->next) {
    if (ShareLine(*f, *film)) next = std::min(next, f->start);
  }
  const int64_t room = static_cast<int64_t>(next) - film->end;
  const int64_t clipLength = static_cast<int64_t>(film->end) - film->start;
  // A clip with video repeats in whole frames, and its last copy must end
  // on a frame at or before the next clip, whatever lies there.
  const int64_t lengthFrames = MsToFrames(film->end - film->start, rate);
  const int64_t roomFrames =
      MsToFrames(FloorToFrame(next), rate) - static_cast<int64_t>(MsToFrames(film->end, rate));
  int64_t count = 0;
  if (film->video) {
    if (lengthFrames > 0 && roomFrames > 0) count = roomFrames / lengthFrames;
  } else if (clipLength > 0 && room > 0) {
    count = room / clipLength;
  }
  count = std::min<int64_t>(count, kMaxRepeats);
  if (count < 1) {
    ShowMessageText(owner, GetString(ui_string::kRepeatClip), MB_ICONEXCLAMATION,
                    GetString(ui_string::kNoRoomToTheRight));
    return;
  }

  int32_t copies = static_cast<int32_t>(count);
  int32_t pause = 0;
  if (!view_ ||
      !view_->RunLoopDialog(pause, static_cast<int32_t>(clipLength), copies, static_cast<int32_t>(room))) {
    return;
  }
  // The dialog keeps the copies within the room in milliseconds; hold them
  // there whatever it answers, and in whole frames for video, where a pause
  // that is not whole frames is rounded.
  int64_t n = std::min<int64_t>(copies, kMaxRepeats);
  int64_t gap = std::max(pause, 0);
  int64_t pauseFrames = 0;
  if (film->video) {
    pauseFrames = MsToFrames(static_cast<int32_t>(gap), rate);
    n = std::min(n, roomFrames / lengthFrames);
    if (n >= 1) pauseFrames = std::min(pauseFrames, roomFrames / n - lengthFrames);
  } else {
    n = std::min(n, room / (gap + clipLength));
  }
  if (n < 1) return;

  MarkUndo(kUndoEdit);
  const int32_t newEnd = film->video
                             ? MsAddFrames(film->end, static_cast<int32_t>((pauseFrames + lengthFrames) * n))
                             : static_cast<int32_t>(film->end + (gap + clipLength) * n);
  if (newEnd > length)
    SetLength(static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(newEnd) + 1000, kDayMs)));
  InvalidateLineRange(film->end, newEnd, film);
  if (view_) view_->InvalidateFocusWindow();
  SetModified(true);

  Film* previous = film;
  for (int64_t i = 0; i < n; ++i) {
    Film* copy = CopyFilm(*previous, kAllParts);
    if (!copy) break;
    if (copy->audio) copy->audio->BeginRead();
    OwnEffects(copy);
    if (copy->midi) copy->midi->Open();
    if (copy->video) {
      copy->video->BeginRead();
      copy->start = MsAddFrames(previous->end, static_cast<int32_t>(pauseFrames));
      copy->end = MsAddFrames(copy->start, static_cast<int32_t>(lengthFrames));
    } else {
      copy->start = static_cast<int32_t>(previous->end + gap);
      copy->end = static_cast<int32_t>(copy->start + clipLength);
    }
    SetOrigin(copy);
    if (!copy->LinkAtKeyFrame(owner, FilmList)) {
      // The later copies would follow this one: they are not made either.
      CloseForUse(copy);
      delete copy;
      break;
    }
    previous = copy;
  }
}

void TimeLineEngine::DeleteClip(HWND window, Film* film) {
  if (!film) return;
  MarkUndo(kUndoEdit);
  CloseForUse(film);
  if (film->audio) WidenChangedRange(film->audioLine, film->start, film->end);
  Film::Unlink(film, FilmList);
  delete film;
  InvalidateLines();
  SetModified(true);
}
