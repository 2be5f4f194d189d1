// The window-wide editing modes the lines consult on a click (which profile
// the audio lines edit, whether a click toggles a clip's selection or adds
// a profile point), the rubber band that toggles the selection of every
// clip it touches, the idle redraw of one clip, and whether the time-line
// is busy with the mouse or with playback.
#include <algorithm>

#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/undo_history.h"
#include "platform/classlib/gadgets.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ModeEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmVolumeProfile, CmVolumeProfile),
      EV_COMMAND(kCmBalanceProfile, CmBalanceProfile),
      EV_COMMAND(kCmMultiselect, CmMultiselect),
      EV_COMMAND(kCmAddPointMode, CmAddPointMode),
      EV_COMMAND_ENABLE(kCmVolumeProfile, CeVolumeProfile),
      EV_COMMAND_ENABLE(kCmBalanceProfile, CeBalanceProfile),
      EV_COMMAND_ENABLE(kCmMultiselect, CeMultiselect),
      EV_COMMAND_ENABLE(kCmAddPointMode, CeAddPointMode),
  };
  return entries;
}

// ---- Modes.

void MainTimeLineWindow::RefreshToolButton(int id) {
  HWND root = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  TWindow* frame = root != nullptr ? GetWindowPtr(root) : nullptr;
  if (frame == nullptr) return;
  for (TWindow* child : frame->Children()) {
    auto* bar = dynamic_cast<TGadgetWindow*>(child);
    if (bar == nullptr) continue;
    if (TGadget* button = bar->GadgetWithId(id)) {
      button->CommandEnable();
      if (bar->IsWindow()) bar->Invalidate(false);
    }
  }
}

void MainTimeLineWindow::CmVolumeProfile() {
  if (settings_.profileMode != kProfileBalance) return;
  settings_.profileMode = kProfileVolume;
  if (audioLines_->IsWindow()) audioLines_->Invalidate(false);
  RefreshToolButton(kCmVolumeProfile);
  RefreshToolButton(kCmBalanceProfile);
}

void MainTimeLineWindow::CmBalanceProfile() {
  if (settings_.profileMode != kProfileVolume) return;
  settings_.profileMode = kProfileBalance;
  if (audioLines_->IsWindow()) audioLines_->Invalidate(false);
  RefreshToolButton(kCmVolumeProfile);
  RefreshToolButton(kCmBalanceProfile);
}

void MainTimeLineWindow::CmMultiselect() {
  multiselectMode = !multiselectMode;
  RefreshToolButton(kCmMultiselect);
}

void MainTimeLineWindow::CmAddPointMode() {
  addPointMode = !addPointMode;
  RefreshToolButton(kCmAddPointMode);
}

void MainTimeLineWindow::CeVolumeProfile(TCommandEnabler& ce) {
  ce.Enable(true);
  ce.SetCheck(settings_.profileMode != kProfileBalance ? TCommandEnabler::Checked
                                                       : TCommandEnabler::Unchecked);
}

void MainTimeLineWindow::CeBalanceProfile(TCommandEnabler& ce) {
  ce.Enable(settings_.profileMode != kProfileVolumeOnly);
  ce.SetCheck(settings_.profileMode == kProfileBalance ? TCommandEnabler::Checked
                                                       : TCommandEnabler::Unchecked);
}

void MainTimeLineWindow::CeMultiselect(TCommandEnabler& ce) {
  ce.Enable(true);
  ce.SetCheck(multiselectMode ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}

void MainTimeLineWindow::CeAddPointMode(TCommandEnabler& ce) {
  ce.Enable(true);
  ce.SetCheck(addPointMode ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}

// ---- The rubber band.

void MainTimeLineWindow::BeginRubberBand(int screenX, int screenY) {
  bandAnchor_ = {screenX, screenY};
  bandCurrent_ = bandAnchor_;
  bandActive_ = true;
  if (IsWindow()) ::SetCapture(HWindow);
  bandDrawn_ = false;
  DrawRubberBand();
}

void MainTimeLineWindow::DrawRubberBand() {
  if (!bandActive_) return;
  TWindow* shown[4] = {};
  int n = 0;
  if (engine_.showVideo) {
    shown[n++] = videoLine_;
    shown[n++] = vfxLine_;
  }
  if (engine_.showMidi) shown[n++] = midiLine_;
  if (engine_.showAudio) shown[n++] = audioLines_;
  for (int i = 0; i < n; ++i) {
    TWindow* line = shown[i];
    if (line == nullptr || !line->IsWindow()) continue;
    POINT a = bandAnchor_, b = bandCurrent_;
    ::ScreenToClient(line->GetHandle(), &a);
    ::ScreenToClient(line->GetHandle(), &b);
    const RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    TClientDC dc(line->GetHandle());
    ::DrawFocusRect(dc, &r);
  }
  bandDrawn_ = !bandDrawn_;
}

void MainTimeLineWindow::EndRubberBand() {
  if (!bandActive_) return;
  DrawRubberBand();
  bandActive_ = false;
  if (::GetCapture() == HWindow) ::ReleaseCapture();

  // The band's span in time, and in each line window's rows.
  const auto inClient = [](TWindow* w, POINT p) {
    ::ScreenToClient(w->GetHandle(), &p);
    return p;
  };
  const POINT a = inClient(audioLines_, bandAnchor_), b = inClient(audioLines_, bandCurrent_);
  const int32_t ta = engine_.PixelToPosUnclamped(a.x), tb = engine_.PixelToPosUnclamped(b.x);
  const int32_t lo = std::min(ta, tb), hi = std::max(ta, tb);
  const auto span = [&](TWindow* w, int& top, int& bottom) {
    const POINT pa = inClient(w, bandAnchor_), pb = inClient(w, bandCurrent_);
    top = std::min(pa.y, pb.y);
    bottom = std::max(pa.y, pb.y);
  };
  const auto covers = [](const TrackRecord& r, int top, int bottom) {
    return r.top < bottom && r.bottom > top && r.zoom < kZoomSmall;
  };

  bool videoRows[2] = {};
  bool midi = false;
  bool audio[4] = {};
  int top = 0, bottom = 0;
  if (engine_.showVideo) {
    span(videoLine_, top, bottom);
    for (int32_t row = 0; row < 2; ++row) videoRows[row] = covers(engine_.videoPanel[row], top, bottom);
  }
  if (engine_.showMidi) {
    span(midiLine_, top, bottom);
    midi = bottom > 0 && top < midiLine_->GetClientRect().Height() && engine_.midiPanel[0].zoom < kZoomSmall;
  }
  if (engine_.showAudio) {
    span(audioLines_, top, bottom);
    const int height = audioLines_->GetClientRect().Height();
    const TrackPanel& panel = engine_.audioPanel;
    const int32_t lines = std::min(engine_.audioLineCount, panel.rowCount);
    for (int32_t line = std::clamp(panel.firstShown, 0, panel.rowCount - 1); line < lines; ++line) {
      audio[line] = covers(panel[line], top, bottom);
      if (panel[line].bottom + 4 >= height) break;
    }
  }

  bool stepTaken = false;
  for (Film* f = FilmList.First(); f != nullptr && f->start < hi; f = f->next) {
    if (f->end <= lo) continue;
    const bool taken = (f->midi && midi) ||
                       (f->video && f->videoRow >= 0 && f->videoRow < 2 && videoRows[f->videoRow]) ||
                       (f->audio && f->audioLine >= 0 && f->audioLine < 4 && audio[f->audioLine]);
    if (!taken) continue;
    if (!stepTaken) {
      engine_.MarkUndo(kUndoEdit);
      stepTaken = true;
    }
    f->group = f->IsSelected() ? 0 : SelectionGroup;
    RepaintClip(f);
  }
}

void MainTimeLineWindow::RepaintClip(Film* film) {
  const int32_t x0 = engine_.PosToPixelUnclamped(film->start);
  const int32_t x1 = engine_.PosToPixelUnclamped(film->end);
  engine_.InvalidateClipRange(x0 > INT32_MIN ? x0 - 1 : x0, x1 < INT32_MAX ? x1 + 1 : x1, film);
}

// ---- Idle redraws and the capture.

bool MainTimeLineWindow::DrawPendingClip() {
  if (engine_.playing) return false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->audioState != 0) return DrawPendingClipOn(kLineAudio, f);
    if (f->videoState != 0) return DrawPendingClipOn(kLineVideo, f);
    if (f->midiState != 0) return DrawPendingClipOn(kLineMidi, f);
  }
  return false;
}

bool MainTimeLineWindow::DrawPendingClipOn(int32_t kind, Film* film) {
  if (kind == kLineVideo && videoLine_ != nullptr) return videoLine_->DrawPendingClip(film);
  if (kind == kLineAudio && audioLines_ != nullptr) return audioLines_->DrawPendingClip(film);
  if (kind == kLineMidi && midiLine_ != nullptr) return midiLine_->DrawPendingClip(film);
  return false;
}

bool MainTimeLineWindow::IsCapturing() {
  if (engine_.playing) return true;
  HWND capture = ::GetCapture();
  if (capture == nullptr) return false;
  for (TWindow* w :
       {static_cast<TWindow*>(this), static_cast<TWindow*>(audioLines_), static_cast<TWindow*>(videoLine_),
        static_cast<TWindow*>(midiLine_), static_cast<TWindow*>(timeCode_),
        static_cast<TWindow*>(selectionLine_), static_cast<TWindow*>(overview_)}) {
    if (w != nullptr && w->IsWindow() && w->GetHandle() == capture) return true;
  }
  return false;
}
