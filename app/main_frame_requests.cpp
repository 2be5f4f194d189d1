// The frame's requests (WM_USER + 99): the end of start-up, the
// command-line modes, other instances' requests and the re-check of media
// files.
#include <cstring>
#include <ctime>
#include <string>

#include "app/autosave.h"
#include "app/clip_frame.h"
#include "app/command_line.h"
#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "app/status_text.h"
#include "audio/audio_player.h"
#include "audio/midi_data.h"
#include "clips/clip_collection.h"
#include "media/audio_data.h"
#include "media/video_data.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/te_window.h"
#include "model/text_format.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/core/paths.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "video/transitions/vfx_render.h"
#include "video/velmora_messager.h"
#include "model/players.h"
#include "ui/scroll_window.h"
#include <unistd.h>

VFX* ProgramTransitions();

namespace {

bool IsProjectFile(const char* path) {
  return strcasecmp(PathExtension(path).c_str(), ".tml") == 0;
}

}  // namespace

LRESULT TMainFrame::EvRequest(WPARAM request, LPARAM arg) {
  const int code = static_cast<int>(request);
  if (code > 100 && code <= kFrameRequestCountdown) {
    PostMessage(kFrameRequestMessage, code - 1, 0);
    return 1;
  }
  switch (code) {
    case 100:
      PostMessage(kFrameRequestMessage, kFrameRequestStartUp, 0);
      return 1;
    case kFrameRequestStartUp:
      StartUp();
      return 1;
    case kFrameRequestValue:
      return arg;
    case kFrameRequestBoardBack:
      ::SetWindowLongPtr(GetHandle(), GWLP_USERDATA, 0);
      if (timeline_ != nullptr) ::SetWindowLongPtr(timeline_->GetHandle(), GWLP_USERDATA, 0);
      if (TheVelmoraMessager != nullptr) TheVelmoraMessager->handedOver = false;
      BoardHandedOver = false;
      return 1;
    case kFrameRequestClose:
      PostMessage(WM_CLOSE, 0, 0);
      return 1;
    case kFrameRequestCommandLine:
      RunCommandLineMode();
      return 1;
    case kFrameRequestCloseAll:
      SetProjectName("");
      SetCaption("", false);
      if (timeline_ != nullptr) timeline_->ClearProject(false);
      app_->CloseCollection();
      if (TClipFrame* clips = app_->ClipFrame()) clips->Show(SW_SHOWMINNOACTIVE);
      Show(SW_SHOWMINNOACTIVE);
      return 1;
    case kFrameRequestOpenFile:
      return OpenFileForPeer(reinterpret_cast<const char*>(arg));
    case kFrameRequestPrepare:
      if (timeline_ == nullptr) return 0;
      timeline_->CmIncludeAllClips();
      timeline_->SendMessage(kSetCursorMessage, 0, 0);
      return timeline_->SendMessage(kPrepareRangeMessage, 0, 0);
    case kFrameRequestRenderStatus: {
      VFX* transitions = ProgramTransitions();
      const int32_t rest = static_cast<int32_t>(arg) + (transitions != nullptr ? transitions->TotalLength() : 0);
      ShowStatusText(FormatText("Video FX: rest %d frames", rest).c_str());
      return 1;
    }
    case kFrameRequestRecheckFiles:
      RecheckFiles(arg);
      return 1;
  }
  return 0;
}

void TMainFrame::StartUp() {
  app_->ClearCollectionName();
  app_->SetTimeFormat(-1);
  app_->SetFrameRate(-1.0f);
  AddRecentFile("");
  SetCaption("", false);
  if (timeline_ != nullptr) timeline_->Engine().SetModified(false);

  IniSetSection("MAIN_WINDOW");
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int x = IniReadInt("X", 5), y = IniReadInt("Y", 5);
  const int w = IniReadInt("W", screenW - 10), h = IniReadInt("H", screenH * 2 / 3 - 10);
  const bool maximized = IniReadInt("MAXIMIZED", 0) != 0;
  if (CommandLineMode == kModeNone) {
    ::SetWindowPos(GetHandle(), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (maximized) Show(SW_MAXIMIZE);
  }

  if (StartupProjectPath[0] != '\0' && IsProjectFile(StartupProjectPath)) {
    const std::string path = StartupProjectPath;
    StartupProjectPath[0] = '\0';
    OpenProjectFile(path.c_str());
    if (CommandLineMode != kModeNone) PostMessage(kFrameRequestMessage, kFrameRequestCommandLine, 0);
  } else {
    app_->ShowClipCollection(false);
    SetFocus();
  }

  // An unattended run never asks: the question would wait for nobody, and
  // Yes would load over the project it was started for.
  if (AskRestoreAutosave(GetHandle(), CommandLineMode)) {
    const std::string autosaved = AutosavePath(kAutosaveProjectName);
    OpenProjectFile(autosaved.c_str());
    app_->ClearCollectionName();
    app_->MarkCollectionRestored();
    SetProjectName("");
    SetCaption("", true);
    if (timeline_ != nullptr) timeline_->Engine().SetModified(true);
  }

  app_->autosave.Start();

  if (StartupProjectPath[0] != '\0') {
    char path[MAX_PATH];
    std::strncpy(path, StartupProjectPath, MAX_PATH - 1);
    path[MAX_PATH - 1] = '\0';
    StartupProjectPath[0] = '\0';
    if (timeline_ != nullptr) timeline_->AddFile(path, -1);
  }
}

void TMainFrame::RunCommandLineMode() {
  const int32_t mode = CommandLineMode;
  // The end of an unattended run: nobody is there to answer a question to
  // save, and the run changed nothing of the user's.
  auto end = [this] {
    if (timeline_ != nullptr) timeline_->Engine().SetModified(false);
    // Loading may have marked the collection changed (moved files found).
    if (app_->ClipFrame() != nullptr) app_->ClipFrame()->Collection()->SetModified(false);
    PostMessage(WM_CLOSE, 0, 0);
    CommandLineMode = kModeNone;
  };
  auto giveUp = [this, end] {
    if (timeline_ != nullptr) timeline_->SendMessage(kStopMessage, 0, 0);
    end();
  };
  // An export that found no clip says so, and what the load passed over.
  auto noteEmptyProject = [this] {
    if (CommandLineExportWritten || !FilmList.Empty()) {
      // A stop signal that came during the export ended it.
      CommandLineExportProblem =
          !CommandLineExportWritten && QuietCloseRequested() ? "the export was stopped" : "";
      return;
    }
    std::string text = ProjectName()[0] != '\0' ? std::string("the project '") + ProjectName() + "' holds no clips"
                                                 : std::string("the project holds no clips");
    if (!CommandLineExportProblem.empty()) text += "; " + CommandLineExportProblem;
    CommandLineExportProblem = text;
  };
  switch (mode) {
    case kModeExportWave:
    case kModeExportAiff:
      CommandLineExportWritten =
          timeline_ != nullptr && timeline_->WriteAudio(mode == kModeExportAiff ? 1 : 0, CommandLineExportPath);
      noteEmptyProject();
      end();
      break;
    case kModeExportAvi:
      CommandLineExportWritten = timeline_ != nullptr && timeline_->WriteAvi(0, CommandLineExportPath);
      noteEmptyProject();
      end();
      break;
    case kModePlay:
    case kModePlayAfterKey: {
      if (timeline_ == nullptr) return giveUp();
      timeline_->CmIncludeAllClips();
      if (timeline_->SendMessage(kPrepareRangeMessage, 0, 0) != 0) {
        const bool go = mode == kModePlay ||
                        ShowMessageText(GetHandle(), GetString(487), MB_OKCANCEL, GetString(486)) == IDOK;
        if (go && timeline_->SendMessage(kPlayMessage, 0, 0) != 0) {
          CommandLineMode = kModePlaying;
          return;
        }
      }
      giveUp();
      break;
    }
    case 6:
    case 7:
    case 8:
    case kModePlayAfterGpi3:
      if (timeline_ == nullptr) return giveUp();
      timeline_->CmIncludeAllClips();
      if (timeline_->SendMessage(kPrepareRangeMessage, 0, 0) != 0 &&
          timeline_->SendMessage(kPlayMessage, 2, mode - 6) != 0) {
        CommandLineMode = kModePlaying;
        return;
      }
      giveUp();
      break;
    case kModePlaying:
      end();
      break;
    case kModeOpeningForPeer:
      CommandLineMode = kModeNone;
      Show(SW_SHOW);
      if (timeline_ != nullptr && timeline_->SendMessage(kPrepareRangeMessage, 0, 0) != 0)
        timeline_->SendMessage(kPlayMessage, 0, 0);
      break;
    default:
      break;
  }
}

LRESULT TMainFrame::OpenFileForPeer(const char* path) {
  if (path == nullptr) return 0;
  // The request may stop the program's own playback first: a project must
  // not be replaced under a running play.
  if (Playing()) timeline_->CmStop();
  const std::string name = path;
  SetProjectName("");
  SetCaption("", false);
  if (timeline_ != nullptr) timeline_->ClearProject(false);
  app_->CloseCollection();
  app_->ClearCollectionName();
  if (IsProjectFile(name.c_str())) {
    CommandLineMode = kModeOpeningForPeer;
    ReadProjectFile(name.c_str(), false);
    CommandLineMode = kModeNone;
  } else if (timeline_ != nullptr) {
    char buffer[MAX_PATH];
    std::strncpy(buffer, name.c_str(), MAX_PATH - 1);
    buffer[MAX_PATH - 1] = '\0';
    timeline_->AddFile(buffer, 0);
  }
  return FilmList.First() != nullptr ? 1 : 0;
}

void TMainFrame::RecheckFiles(LPARAM arg) {
  if (!reacquireBusy_) {
    reacquireBusy_ = true;
    bool changed = ReacquireFiles(timeline_ != nullptr ? timeline_->GetHandle() : GetHandle(), arg == 0);
    changed = AVIVideoData::CheckChangedFiles(GetHandle()) || changed;
    changed = AudioData::CheckChangedFiles(GetHandle()) || changed;
    changed = MidiData::CheckFileTime(GetHandle()) || changed;
    if (changed) {
      if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
      if (timeline_ != nullptr) timeline_->Engine().ZoomChanged(true);
      if (arg != 0) {
        if (timeline_ != nullptr) timeline_->UpdateWindow();
        if (TheClipCollection != nullptr) TheClipCollection->GetScrollWindow()->UpdateWindow();
      }
    }
    reacquireBusy_ = false;
  }
  app_->autosave.SetPending();
}
