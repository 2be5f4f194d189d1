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
      EV_WM_RBUTTONDOWN,
      EV_WM_INITMENUPOPUP,
      EV_COMMAND(kCmPlayClip, CmPlayClip),
      EV_COMMAND(kCmAddMark, CmAddMark),
      EV_COMMAND(kCmRemoveMark, CmRemoveMark),
      EV_COMMAND(kCmMarkName, CmMarkName),
      EV_COMMAND(kCmMarkPosition, CmMarkPosition),
      EV_COMMAND(kCmInToNextKeyFrame, CmInToNextKeyFrame),
      EV_COMMAND(kCmInToPrevKeyFrame, CmInToPrevKeyFrame),
      EV_COMMAND(kCmRepeatClip, CmRepeatClip),
      EV_COMMAND(kCmDeleteSelected, CmDeleteSelected),
      EV_COMMAND(kCmCutSelected, CmCutSelected),
      EV_COMMAND(kCmCopySelected, CmCopySelected),
      EV_COMMAND(kCmAddSourceFile, CmAddSourceFile),
      EV_COMMAND(kCmDeleteClip, CmDeleteClip),
      EV_COMMAND(kCmCutClip, CmCutClip),
      EV_COMMAND(kCmCopyClip, CmCopyClip),
      EV_COMMAND(kCmPasteClips, CmPasteClips),
      EV_COMMAND(kCmInsertClips, CmInsertClips),
      EV_COMMAND(kCmClipProperties, CmClipProperties),
      EV_COMMAND(kCmSplitClip, CmSplitClip),
      EV_COMMAND(kCmStop, CmStop),
      EV_COMMAND(kCmVideoEditor, CmVideoEditor),
  };
  return entries;
}

void TVideoLine::EvRButtonDown(UINT keys, const TPoint& p) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragging_) return;
  // The menu's point sits on the mark that gravity would take it to.
  const TPoint at(e.PosToPixel(DragTime(timeline_, p.x, 0)), p.y);
  HitTest(keys, at, true);
  menuPoint_ = at;
  menuFilm_ = pointerFilm_;
  menuMark_ = hitZone == kZoneMark ? markIndex_ : -1;
  ShowMenu(at);
}

// The menu is built with its items' states; no command enabler changes them.
void TVideoLine::EvInitMenuPopup(HMENU, UINT, bool) {
  DefaultProcessing();
}

void TVideoLine::ShowMenu(const TPoint& p) {
  Film* film = menuFilm_;
  HMENU menu = nullptr;
  if (film == nullptr) {
    menu = MakeSpaceMenu(timeline_);
  } else {
    menu = CreatePopupMenu();
    HMENU edit = MakeClipEditMenu(timeline_, kCmVideoEditor, ui_string::kVideoEditorItem,
                                  timeline_.Settings().videoEditor);
    AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), GetString(ui_string::kEditItem));
    AppendMenuItem(menu, kCmSplitClip, ui_string::kSplitClipItem);
    AppendMenuItem(menu, kCmRepeatClip, ui_string::kRepeatClipItem);
    AppendMarkItems(menu, menuMark_ >= 0);
    AppendMenuItem(menu, kCmPlayClip, ui_string::kPlayClipItem);
    AppendSeparator(menu);
    if (InIsKeyFrame(film)) {
      AppendMenu(menu, MF_STRING | MF_GRAYED | MF_CHECKED, 0, GetString(ui_string::kInIsKeyFrameItem));
    } else {
      AppendMenu(menu, MF_STRING | MF_GRAYED, 0, GetString(ui_string::kInIsNotKeyFrameItem));
    }
    AppendMenuItem(menu, kCmInToNextKeyFrame, ui_string::kInToNextKeyFrameItem,
                   NextKeyFrameOffset(film) != 0);
    AppendMenuItem(menu, kCmInToPrevKeyFrame, ui_string::kInToPrevKeyFrameItem,
                   PrevKeyFrameOffset(film) != 0);
  }
  TPoint screen = p;
  ClientToScreen(screen);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, HWindow, nullptr);
  DestroyMenu(menu);
}

Film* TVideoLine::MenuFilm() {
  return OnTimeLine(menuFilm_) ? menuFilm_ : nullptr;
}

int32_t TVideoLine::MenuTime() {
  return MsAddFrames(timeline_.Engine().PixelToPos(menuPoint_.x), 0);
}

// ---- Passed on to the time-line and the engine.

void TVideoLine::CmAddSourceFile() {
  timeline_.AddSourceFileOfKind(kKindVideo);
}

void TVideoLine::CmPlayClip() {
  if (Film* film = MenuFilm()) timeline_.Engine().PlayClip(film, kKindVideo);
}

void TVideoLine::CmStop() {
  timeline_.Engine().CmStop();
}

void TVideoLine::CmClipProperties() {
  if (Film* film = MenuFilm()) timeline_.Engine().EditClipProperties(film);
}

void TVideoLine::CmVideoEditor() {
  LaunchClipEditor(timeline_, MenuFilm(), kCmVideoEditor);
}

void TVideoLine::CmSplitClip() {
  Film* film = MenuFilm();
  SplitClipAt(timeline_, HWindow, film, MenuTime());
}

void TVideoLine::CmRepeatClip() {
  if (Film* film = MenuFilm()) timeline_.Engine().RepeatClip(HWindow, film);
}

void TVideoLine::CmDeleteSelected() {
  timeline_.CmDelete();
}

void TVideoLine::CmCutSelected() {
  timeline_.CmCut();
}

void TVideoLine::CmCopySelected() {
  timeline_.CmCopy();
}

void TVideoLine::CmDeleteClip() {
  if (Film* film = MenuFilm()) timeline_.Engine().DeleteClip(HWindow, film);
}

void TVideoLine::CmCutClip() {
  if (Film* film = MenuFilm()) timeline_.CutClipToClipboard(film);
}

void TVideoLine::CmCopyClip() {
  if (Film* film = MenuFilm()) timeline_.CopyClipToClipboard(film);
}

void TVideoLine::CmPasteClips() {
  timeline_.Engine().PasteClips(HWindow, MenuTime(), RowAt(menuPoint_.y), -1);
}

void TVideoLine::CmInsertClips() {
  timeline_.Engine().InsertClips(HWindow, MenuTime());
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

void TVideoLine::CmRemoveMark() {
  if (Film* film = MenuFilm()) RemoveClipMark(timeline_, film, menuMark_);
}

void TVideoLine::CmMarkName() {
  if (Film* film = MenuFilm()) RenameClipMark(timeline_, HWindow, film, menuMark_);
}

void TVideoLine::CmMarkPosition() {
  if (Film* film = MenuFilm()) PlaceClipMark(timeline_, HWindow, film, menuMark_);
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
