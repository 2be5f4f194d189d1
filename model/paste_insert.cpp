// Paste and Insert: the clip clipboard onto the time-line.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "model/ui_string_ids.h"

using namespace edit;

namespace {

// The rows or lines a part of the clipboard spans, and its time span.
struct PartExtent {
  bool any = false;
  int32_t low = INT32_MAX;
  int32_t high = INT32_MIN;
  int32_t start = 0;
  int32_t end = 0;

  void Add(const Film& f, int32_t line) {
    low = std::min(low, line);
    high = std::max(high, line);
    if (!any) start = f.start;
    end = any ? std::max(end, f.end) : f.end;
    any = true;
  }
};

// The first shift k from `from` going by step while k is before `stop`
// (exclusive) at which fits(k) holds; only shifts in [lo, hi] can fit.
bool FirstFit(int64_t from, int64_t stop, int step, int64_t lo, int64_t hi,
              const std::function<bool(int64_t)>& fits, int64_t& found) {
  if (step > 0) {
    for (int64_t k = std::max(from, lo); k < stop && k <= hi; ++k) {
      if (fits(k)) return found = k, true;
    }
  } else {
    for (int64_t k = std::min(from, hi); k > stop && k >= lo; --k) {
      if (fits(k)) return found = k, true;
    }
  }
  return false;
}

int32_t Shifted(int32_t t, int64_t by) {
  return static_cast<int32_t>(std::clamp<int64_t>(t + by, INT32_MIN, INT32_MAX));
}

}  // namespace

bool TimeLineEngine::PasteClips(HWND window, int32_t time, int32_t videoRow, int32_t audioLine) {
  const HWND owner = window ? window : Owner();
  int32_t clipStart = 0, clipEnd = 0, kinds = 0;
  if (!PreparePaste(time, clipStart, clipEnd, kinds)) return false;
  const int32_t d = time - clipStart;
  const int32_t fd = FrameShift(d);

  PartExtent video, midi, audio;
  for (Film* f = ClipClipboard.First(); f; f = f->next) {
    const int32_t parts = UsableParts(*f);
    if (parts & kKindVideo) video.Add(*f, f->videoRow);
    if (parts & kKindMidi) midi.Add(*f, 0);
    if (parts & kKindAudio) audio.Add(*f, f->audioLine);
  }

  int64_t rowShift = 0;
  if (video.any) {
    const int32_t row = videoRow < 0 ? 0 : videoRow;
    const int32_t s = MsAddFrames(video.start, fd);
    const int32_t e = MsAddFrames(video.end, fd);
    bool taken[2];
    for (int32_t r = 0; r < 2; ++r) taken[r] = !RangeFree(s, e, kKindVideo, r);
    auto fits = [&](int64_t k) {
      for (int64_t r = video.low + k; r <= video.high + k; ++r) {
        if (r < 0 || r > 1 || taken[r]) return false;
      }
      return true;
    };
    // Shifts that keep every row on 0..1.
    const int64_t lo = -static_cast<int64_t>(video.low), hi = 1 - static_cast<int64_t>(video.high);
    const int64_t wanted = static_cast<int64_t>(row) - video.low;
    if (!FirstFit(wanted, lo - 1, -1, lo, hi, fits, rowShift) &&
        !FirstFit(wanted + 1, hi + 1, 1, lo, hi, fits, rowShift)) {
      return RefusePaste(owner, ui_string::kVideoRangeTaken);
    }
  }

  if (midi.any && !RangeFree(Shifted(midi.start, d), Shifted(midi.end, d), kKindMidi, 0)) {
    return RefusePaste(owner, ui_string::kMidiRangeTaken);
  }

  int64_t lineShift = 0;
  if (audio.any) {
    const int32_t count = audioLineCount;
    if (count <= static_cast<int64_t>(audio.high) - audio.low)
      return RefusePaste(owner, ui_string::kTooManyAudioTracks);
    const int32_t s = Shifted(audio.start, d);
    const int32_t e = Shifted(audio.end, d);
    bool taken[kAudioLineCount] = {};
    for (int32_t i = 0; i < count && i < kAudioLineCount; ++i) {
      taken[i] = audioPanel[i].zoom == 3 || !RangeFree(s, e, kKindAudio, i);
    }
    auto fits = [&](int64_t k) {
      for (int64_t l = audio.low + k; l <= audio.high + k; ++l) {
        if (l < 0 || l >= count || taken[l]) return false;
      }
      return true;
    };
    // The lines in view are tried first, from the wanted one down; then
    // those below the view, then those above it.
    const int32_t v0 = audioPanel.firstShown;
    int32_t v1 = count;
    for (int32_t i = v0 + 1; i < count; ++i) {
      if (audioPanel[i].top < 1 || audioPanel[i].bottom > audioPanel.clientHeight) {
        v1 = i;
        break;
      }
    }
    const int32_t line = audioLine < 0 ? v0 : audioLine;
    const int64_t lmin = audio.low;
    const int64_t lo = -lmin, hi = count - 1 - static_cast<int64_t>(audio.high);
    if (!FirstFit(line - lmin, v1 - lmin, 1, lo, hi, fits, lineShift) &&
        !FirstFit(line - lmin - 1, v0 - lmin - 1, -1, lo, hi, fits, lineShift) &&
        !FirstFit(v1 - lmin, count - lmin, 1, lo, hi, fits, lineShift) &&
        !FirstFit(v0 - lmin - 1, -lmin - 1, -1, lo, hi, fits, lineShift)) {
      return RefusePaste(owner, ui_string::kAudioRangeTaken);
    }
  }

  MarkPasteUndo();
  for (Film* from = ClipClipboard.First(); from; from = from->next) {
    const int32_t parts = UsableParts(*from);
    if (!parts) continue;
    Film* copy = CopyFilm(*from, parts);
    if (!copy) continue;
    copy->group = SelectionGroup;
    if (!copy->video) {
      copy->start = Shifted(copy->start, d);
      copy->end = Shifted(copy->end, d);
    } else {
      copy->videoRow += static_cast<int32_t>(rowShift);
      copy->start = MsAddFrames(copy->start, fd);
      copy->end = MsAddFrames(copy->end, fd);
    }
    if (copy->audio) {
      copy->audioLine += static_cast<int32_t>(lineShift);
      WidenChangedRange(copy->audioLine, copy->start, copy->end);
    }
    if (!copy->LinkAtKeyFrame(owner, FilmList)) {
      delete copy;
      continue;
    }
    OpenForUse(copy);
    OpenSharedEffects(copy);
    SetOrigin(copy);
  }
  InvalidateLines();
  SetModified(true);
  return true;
}

void TimeLineEngine::InsertClips(HWND window, int32_t time) {
  const HWND owner = window ? window : Owner();
  int32_t clipStart = 0, clipEnd = 0, kinds = kKindVideo;
  if (!PreparePaste(time, clipStart, clipEnd, kinds)) return;
  const float rate = ProjectFrameRate();
  const int32_t gap = clipEnd - clipStart;

  // Films with video move by whole frames. So that they never move less
  // than the gap, nor differently from the films beside them, every film
  // moves by the same whole frames once a film with video has to move.
  bool videoMoves = false;
  for (Film* f = FilmList.First(); f && !videoMoves; f = f->next) videoMoves = f->video && f->end > time;
  int32_t frames = MsToFrames(gap, rate);
  if (FramesToMs(frames, rate) < gap) ++frames;
  const int32_t shift = videoMoves ? FramesToMs(frames, rate) : gap;
  auto movedEnd = [&](const Film* f) {
    return f->video ? MsAddFrames(f->end, frames) : Shifted(f->end, shift);
  };

  // Every line moves, whatever the clipboard holds.
  int64_t needed = 0;
  for (Film* f = FilmList.First(); f; f = f->next) {
    needed = std::max<int64_t>(needed, f->end > time || f->start >= time ? movedEnd(f) : f->end);
  }
  if (needed > length) SetLength(static_cast<int32_t>(std::min<int64_t>(needed + 1000, kDayMs)));

  MarkPasteUndo();

  // Cut the films that cross the time; a film with video is cut once, in
  // whole frames, and the later passes find its right part starting at the
  // time.
  auto cut = [&](int32_t mask, int32_t line) {
    Film* f = Film::FindByLine(time, mask, line);
    if (!f || f->start >= time) return;
    Film* right = CopyFilm(*f, kAllParts);
    if (!right) return;
    if (f->video) {
      f->out = MsSubFrames(f->out, MsToFrames(f->end - time, rate));
      right->in = MsAddFrames(right->in, MsToFrames(time - f->start, rate));
      DropOutPicture(f);
      DropInPicture(right);
      DropKeyFrame(right);
    } else {
      f->out -= f->end - time;
      right->in += time - f->start;
    }
    f->end = time;
    right->start = time;
    if (right->audio) {
      right->declickIn = autoSetDeclick;
      f->declickOut = autoSetDeclick;
    }
    if (!right->LinkAtKeyFrame(owner, FilmList)) {
      delete right;
      return;
    }
    OpenForUse(right);
    OwnEffects(right);
    SetOrigin(right);
    right->group = 0;
  };
  cut(kKindVideo, 0);
  cut(kKindVideo, 1);
  cut(kKindMidi, 0);
  for (int32_t line = 0; line < audioLineCount; ++line) cut(kKindAudio, line);

  // Move the later films right, then link them back in start order.
  std::vector<Film*> moving;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->start >= time) moving.push_back(f);
  }
  for (Film* f : moving) {
    Film::Unlink(f, FilmList);
    if (f->audio) WidenChangedRange(f->audioLine, f->start, f->end);
    if (f->video) {
      f->start = MsAddFrames(f->start, frames);
      f->end = MsAddFrames(f->end, frames);
    } else {
      f->start = Shifted(f->start, shift);
      f->end = Shifted(f->end, shift);
    }
    if (f->audio) WidenChangedRange(f->audioLine, f->start, f->end);
    SetOrigin(f);
  }
  // Relinking backwards keeps films of equal start in their order.
  for (auto it = moving.rbegin(); it != moving.rend(); ++it) Film::Link(*it, FilmList);

  // The clipboard into the gap, on its own rows and lines.
  const int32_t d = time - clipStart;
  const int32_t fd = FrameShift(d);
  int32_t linesNeeded = 0;
  for (Film* from = ClipClipboard.First(); from; from = from->next) {
    const int32_t parts = UsableParts(*from);
    if (!parts) continue;
    Film* copy = CopyFilm(*from, parts);
    if (!copy) continue;
    copy->group = SelectionGroup;
    if (copy->video) {
      copy->start = MsAddFrames(copy->start, fd);
      copy->end = MsAddFrames(copy->end, fd);
    } else {
      copy->start = Shifted(copy->start, d);
      copy->end = Shifted(copy->end, d);
    }
    if (!copy->LinkAtKeyFrame(owner, FilmList)) {
      delete copy;
      continue;
    }
    OpenForUse(copy);
    if (copy->audio) {
      WidenChangedRange(copy->audioLine, copy->start, copy->end);
      linesNeeded = std::max(linesNeeded, copy->audioLine + 1);
    }
    OpenSharedEffects(copy);
    SetOrigin(copy);
  }
  // A clip that keeps a line beyond the ones shown would be hidden and
  // silent there: the lines grow to show it.
  if (linesNeeded > audioLineCount) SetAudioLineCount(linesNeeded);

  InvalidateLines();
  SetModified(true);
}
