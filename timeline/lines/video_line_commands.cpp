// The popup menu of the video rows, over empty space and over a clip, and
// its commands; among them the moves of a clip's in point to a neighbouring
// key frame.
#include <algorithm>

#include "media/video_data.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/gui/menu.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

int32_t FrameTime(int32_t frames) {
  return FramesToMs(frames, ProjectFrameRate());
}

// The time of the stored frame shown at ms: an empty frame repeats the one
// before it.
int32_t ShownTime(VideoSource* video, int32_t ms) {
  auto* data = dynamic_cast<VideoData*>(video);
  return data != nullptr ? data->SnapTime(ms) : ms;
}

bool KeyFrameAt(VideoSource* video, int32_t ms) {
  if (auto* data = dynamic_cast<VideoData*>(video)) return data->IsKeyFrameAtTime(ms);
  return video->IsKeyFrame(Frames(ms));
}

}  // namespace

const std::vector<TResponseTableEntry>& TVideoLine::CommandEntries() {
  using TMyClass = TVideoLine;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmAddMark, CmAddMark),
      EV_COMMAND(kCmInToNextKeyFrame, CmInToNextKeyFrame),
      EV_COMMAND(kCmInToPrevKeyFrame, CmInToPrevKeyFrame),
      EV_COMMAND(kCmVideoEditor, CmEditor),
  };
  return entries;
}

const char* TVideoLine::EditorPath() {
  return timeline_.Settings().videoEditor;
}

void TVideoLine::AppendClipItems(HMENU menu, Film& film) {
  AppendSeparator(menu);
  if (InIsKeyFrame(&film)) {
    AppendMenu(menu, MF_STRING | MF_GRAYED | MF_CHECKED, 0, GetString(ui_string::kInIsKeyFrameItem));
  } else {
    AppendMenu(menu, MF_STRING | MF_GRAYED, 0, GetString(ui_string::kInIsNotKeyFrameItem));
  }
  AppendMenuItem(menu, kCmInToNextKeyFrame, ui_string::kInToNextKeyFrameItem, NextKeyFrameOffset(&film) != 0);
  AppendMenuItem(menu, kCmInToPrevKeyFrame, ui_string::kInToPrevKeyFrameItem, PrevKeyFrameOffset(&film) != 0);
}

int32_t TVideoLine::MenuTime() {
  return MsAddFrames(timeline_.Engine().PixelToPos(menuPoint_.x), 0);
}

void TVideoLine::PasteTarget(int32_t& videoRow, int32_t& audioLine) {
  videoRow = RowAt(menuPoint_.y);
  audioLine = -1;
}

// ---- Marks.

void TVideoLine::CmAddMark() {
  Film* film = MenuFilm();
  const int32_t t = MenuTime();
  if (film == nullptr || !(film->start < t && t < film->end)) return;
  TimeLineEngine& e = timeline_.Engine();
  const int64_t pixels = int64_t{menuPoint_.x} - e.PosToPixelUnclamped(film->origin);
  const int32_t source =
      MsAddFrames(e.PixelsToTime(static_cast<int32_t>(std::clamp<int64_t>(pixels, INT32_MIN, INT32_MAX))), 0);
  AddClipMark(timeline_, film, source, menuPoint_.x);
}

// ---- Key frames.

bool TVideoLine::InIsKeyFrame(Film* film) {
  return film != nullptr && film->video != nullptr && KeyFrameAt(film->video, film->in);
}

int32_t TVideoLine::NextKeyFrameOffset(Film* film) {
  if (film == nullptr || film->video == nullptr) return 0;
  const int32_t inF = Frames(film->in);
  const int32_t n = Frames(film->out) - inF;
  for (int32_t i = 1; i < n; ++i) {
    const int32_t shown = ShownTime(film->video, FrameTime(inF + i));
    if (shown > film->in && KeyFrameAt(film->video, shown)) return i;
  }
  return 0;
}

int32_t TVideoLine::PrevKeyFrameOffset(Film* film) {
  if (film == nullptr || film->video == nullptr) return 0;
  const int32_t inF = Frames(film->in);
  const Film* before = LimitingNeighbour(*film, false);
  const int32_t limitF = before ? Frames(before->end) : 0;
  const int32_t startF = Frames(film->start);
  for (int32_t i = 1; i <= inF && startF - i >= limitF; ++i) {
    const int32_t shown = ShownTime(film->video, FrameTime(inF - i));
    if (shown < film->in && KeyFrameAt(film->video, shown)) return i;
  }
  return 0;
}

void TVideoLine::CmInToNextKeyFrame() {
  Film* film = MenuFilm();
  if (film == nullptr || timeline_.Engine().playing) return;
  if (const int32_t i = NextKeyFrameOffset(film); i != 0) {
    ShiftIn(film, i);
  } else if (!InIsKeyFrame(film)) {
    ShowMessageText(HWindow, GetString(ui_string::kInToNextKeyFrame), MB_ICONEXCLAMATION | MB_OK,
                    GetString(ui_string::kNoKeyFrameInClip));
  }
}

void TVideoLine::CmInToPrevKeyFrame() {
  Film* film = MenuFilm();
  if (film == nullptr || timeline_.Engine().playing) return;
  if (const int32_t i = PrevKeyFrameOffset(film); i != 0) {
    ShiftIn(film, -i);
  } else if (!InIsKeyFrame(film)) {
    ShowMessageText(HWindow, GetString(ui_string::kInToPrevKeyFrame), MB_ICONEXCLAMATION | MB_OK,
                    GetString(ui_string::kNoKeyFrameBeforeClip));
  }
}

// A command, not a drag: its own undo step, whatever the pending set holds.
void TVideoLine::ShiftIn(Film* film, int32_t frames) {
  TimeLineEngine& e = timeline_.Engine();
  e.MarkUndo(kUndoEdit);
  e.SetModified(true);
  const int32_t oldStart = film->start;
  film->in = MsAddFrames(film->in, frames);
  film->start = MsAddFrames(film->start, frames);
  if (film->effects) film->effects->DeleteTempFile();
  film->ComputeOrigin();
  edit::DropInPicture(film);
  edit::DropKeyFrame(film);
  if ((film->prev && film->prev->start > film->start) || (film->next && film->next->start < film->start)) {
    Film::Unlink(film, FilmList);
    Film::Link(film, FilmList);
  }
  e.InvalidateLineRange(std::min(oldStart, film->start), film->end, film);
  RedrawOverviewNow(timeline_);
  film->DescribeStart();
  ShowStill(film, film->in, true);
}
