// The View and Window menus of the time-line: the video and audio lines
// shown or hidden (the frame grows or shrinks by them), the audio meter,
// the video window; and Record audio.
#include "audio/audio_player.h"
#include "model/players.h"
#include "platform/classlib/gadgets.h"
#include "resources/timeline_ids.h"
#include "timeline/commands/command_host.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ViewCommandEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmShowVideoTracks, CmShowVideo),
      EV_COMMAND(kCmShowAudioTracks, CmShowAudio),
      EV_COMMAND(kCmShowAudioMeter, CmShowAudioMeter),
      EV_COMMAND(kCmAudioMeterClosed, CmAudioMeterClosed),
      EV_COMMAND(kCmShowVideoWindow, CmShowVideoWindow),
      EV_COMMAND(kCmCloseVideoPreview, CmCloseVideoPreview),
      EV_COMMAND(kCmRecordAudio, CmRecordAudio),
      EV_COMMAND_ENABLE(kCmRecordAudio, CeRecordAudio),
  };
  return entries;
}

void MainTimeLineWindow::CheckViewItem(int id, bool checked) {
  if (HMENU view = FrameMenu(kViewMenuPosition))
    CheckMenuItem(view, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainTimeLineWindow::ShowFrameStepButtons(bool show) {
  HWND frame = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  auto* steps = frame != nullptr ? dynamic_cast<FrameStepButtons*>(TWindow::GetWindowPtr(frame)) : nullptr;
  TGadgetWindow* bar = steps != nullptr ? steps->ToolBar() : nullptr;
  if (bar == nullptr) return;
  if (show && !steps->FrameStepShown()) {
    TGadget& previous = steps->PreviousFrameButton();
    bar->Insert(previous, TGadgetWindow::After, bar->GadgetWithId(kCmStop));
    bar->Insert(steps->NextFrameButton(), TGadgetWindow::After, &previous);
    steps->SetFrameStepShown(true);
  } else if (!show && steps->FrameStepShown()) {
    bar->Remove(steps->PreviousFrameButton());
    bar->Remove(steps->NextFrameButton());
    steps->SetFrameStepShown(false);
  }
  bar->LayoutSession();
}

// The frame changes by the VFX line and the two video rows, each with its
// gaps.
void MainTimeLineWindow::CmShowVideo() {
  TimeLineEngine& e = engine_;
  e.showVideo = !e.showVideo;
  CheckViewItem(kCmShowVideoTracks, e.showVideo);
  ShowFrameStepButtons(e.showVideo);
  int32_t height = e.vfxPanel[0].height + 3 * e.rowGap;
  for (int32_t row = 0; row < 2; ++row) height += e.videoPanel[row].height + e.rowGap;
  e.UpdateFrameLayout(e.showVideo ? height : -height);
  e.ZoomChanged(false);
}

void MainTimeLineWindow::CmShowAudio() {
  TimeLineEngine& e = engine_;
  e.showAudio = !e.showAudio;
  CheckViewItem(kCmShowAudioTracks, e.showAudio);
  int32_t height = 0;
  if (e.showAudio) {
    height = e.rowGap;
    for (int32_t line = 0; line < e.audioLineCount; ++line) height += e.audioPanel[line].height + e.rowGap;
  } else {
    height = -audioLines_->Attr.H;
  }
  e.UpdateFrameLayout(height);
  e.ZoomChanged(false);
}

// The MIDI line is never shown: a new MIDI clip lives on it unseen.
void MainTimeLineWindow::ShowMidiLine() {
  engine_.showMidi = false;
  engine_.ZoomChanged(false);
}

// ---- The audio meter (the engine's mixer window).

void MainTimeLineWindow::CmShowAudioMeter() {
  settings_.audioMeterShown = true;
  if (TheAudioPlayer != nullptr) {
    TheAudioPlayer->OpenMixer(HWindow, settings_.bigAudioMeter, settings_.audioMeterOnTop);
  }
}

void MainTimeLineWindow::CmAudioMeterClosed() {
  settings_.audioMeterShown = false;
  if (TheAudioPlayer != nullptr) TheAudioPlayer->CloseMixer();
}

// ---- The video window.

void MainTimeLineWindow::CmShowVideoWindow() {
  if (VideoEngine* video = engine_.Players().Video()) video->FocusSubPlayer();
}

void MainTimeLineWindow::CmCloseVideoPreview() {
  if (VideoEngine* video = engine_.Players().Video()) video->CloseIdlePreview();
}

// ---- Recording.

void MainTimeLineWindow::CmRecordAudio() {
  CommandHost& host = CurrentCommandHost();
  if (engine_.playing || host.IsRecording()) return;
  host.RecordAudio(HWindow);
}

void MainTimeLineWindow::CeRecordAudio(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && !CurrentCommandHost().IsRecording());
}
