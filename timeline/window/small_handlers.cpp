// Commands and messages the time-line window answers in a line or two: the
// focus on a click, the export commands passed on, zoom, the audio rows'
// height, a frame's step of the cursor, and the enablers of commands whose
// handlers live elsewhere.
#include <algorithm>

#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// The cursor moved by frames at the project's rate.
int32_t FrameStep(int32_t ms, int32_t frames) {
  return MsAddFrames(ms, frames);
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::SmallHandlerEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_MESSAGE(WM_PARENTNOTIFY, EvParentNotify),
      EV_WM_LBUTTONDOWN,
      EV_WM_RBUTTONDOWN,
      EV_COMMAND(kCmExportAvi, CmExportAvi),
      EV_COMMAND(kCmExportMpeg, CmExportMpeg),
      EV_COMMAND(kCmExportWave, CmExportWave),
      EV_COMMAND(kCmZoomIn, CmZoomIn),
      EV_COMMAND(kCmZoomOut, CmZoomOut),
      EV_COMMAND(kCmAudioHeightDouble, CmAudioHeightDouble),
      EV_COMMAND(kCmAudioHeightNormal, CmAudioHeightNormal),
      EV_COMMAND(kCmAudioHeightHalf, CmAudioHeightHalf),
      EV_COMMAND(kCmNextFrame, CmNextFrame),
      EV_COMMAND(kCmPrevFrame, CmPrevFrame),
      EV_COMMAND_ENABLE(kCmNextFrame, CeNextFrame),
      EV_COMMAND_ENABLE(kCmPrevFrame, CePrevFrame),
      EV_COMMAND_ENABLE(kCmStop, CeStop),
      EV_COMMAND_ENABLE(kCmVtrSetup, CeNotPlaying),
      EV_COMMAND_ENABLE(kCmConfigureTools, CeNotPlaying),
      EV_COMMAND_ENABLE(kCmMasterVolume, CeMasterVolume),
  };
  return entries;
}

// ---- The focus: a click anywhere in the time-line makes its keys work.

LRESULT MainTimeLineWindow::EvParentNotify(WPARAM event, LPARAM) {
  const UINT what = LOWORD(event);
  if (what == WM_LBUTTONDOWN || what == WM_RBUTTONDOWN) ::SetFocus(HWindow);
  return 0;
}

// The release drops a held clip only after a press in the window.
void MainTimeLineWindow::EvLButtonDown(UINT, const TPoint&) {
  buttonPressed_ = true;
  ::SetFocus(HWindow);
}

void MainTimeLineWindow::EvRButtonDown(UINT, const TPoint&) {
  ::SetFocus(HWindow);
}

// ---- Exports.

void MainTimeLineWindow::CmExportAvi() {
  WriteAvi(0, nullptr);
}

void MainTimeLineWindow::CmExportMpeg() {
  WriteAvi(1, nullptr);
}

void MainTimeLineWindow::CmExportWave() {
  WriteAudio(0, nullptr);
}

// ---- Zoom and heights.

void MainTimeLineWindow::CmZoomIn() {
  engine_.SetZoom(engine_.scale / 2);
}

void MainTimeLineWindow::CmZoomOut() {
  engine_.SetZoom(static_cast<int32_t>(std::min<int64_t>(int64_t{engine_.scale} * 2, INT32_MAX)));
}

void MainTimeLineWindow::CmAudioHeightDouble() {
  audioHeader_->SetZoom(0);
}

void MainTimeLineWindow::CmAudioHeightNormal() {
  audioHeader_->SetZoom(1);
}

void MainTimeLineWindow::CmAudioHeightHalf() {
  audioHeader_->SetZoom(2);
}

// ---- Frame steps.

void MainTimeLineWindow::CmNextFrame() {
  if (!engine_.playing) engine_.SetPlayCursor(FrameStep(engine_.cursor, 1), true, HWindow);
}

void MainTimeLineWindow::CmPrevFrame() {
  if (!engine_.playing) engine_.SetPlayCursor(FrameStep(engine_.cursor, -1), true, HWindow);
}

void MainTimeLineWindow::CeNextFrame(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && FrameStep(engine_.cursor, 1) < engine_.length);
}

void MainTimeLineWindow::CePrevFrame(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && engine_.cursor > 0);
}

// ---- Enablers of commands handled elsewhere.

void MainTimeLineWindow::CeStop(TCommandEnabler& ce) {
  ce.Enable(engine_.playing);
}

void MainTimeLineWindow::CeNotPlaying(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing);
}

void MainTimeLineWindow::CeMasterVolume(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing || engine_.play.realtimeMute);
}

