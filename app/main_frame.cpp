#include "app/main_frame.h"

#include <algorithm>
#include <cstring>

#include "app/autosave.h"
#include "app/clip_frame.h"
#include "app/kobrix_app.h"
#include "app/program_seams.h"
#include "app/status_text.h"
#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "clips/clip_collection.h"
#include "clips/summary_info.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/te_window.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/classlib/dc.h"
#include "platform/core/paths.h"
#include "platform/gui/gui.h"
#include "platform/gui/peers.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "video/player.h"
#include "video/transitions/vfx_render.h"
#include "video/wait_dialog.h"
#include "ui/clip_open_dialog.h"
#include "ui/te_file_dialogs.h"

bool UseBoardMixer = true;
bool BoardHandedOver = false;

namespace {

constexpr const char* kFrameSection = "MAIN_WINDOW";

const char* FileNameOf(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

void CopyPath(char* to, const char* from) {
  std::strncpy(to, from != nullptr ? from : "", MAX_PATH - 1);
  to[MAX_PATH - 1] = '\0';
}

}  // namespace

DEFINE_RESPONSE_TABLE1(TMainFrame, TDecoratedFrame)
  EV_COMMAND(kCmNewProject, CmNewProject),
  EV_COMMAND(kCmOpenProject, CmOpenProject),
  EV_COMMAND(kCmCloseProject, CmCloseProject),
  EV_COMMAND(kCmSaveProject, CmSaveProject),
  EV_COMMAND(kCmSaveProjectAs, CmSaveProjectAs),
  EV_COMMAND_AND_ID(kCmRecentFile1, CmRecentFile),
  EV_COMMAND_AND_ID(kCmRecentFile1 + 1, CmRecentFile),
  EV_COMMAND_AND_ID(kCmRecentFile1 + 2, CmRecentFile),
  EV_COMMAND_AND_ID(kCmRecentFile4, CmRecentFile),
  EV_COMMAND(kCmCopyFromFile, CmCopyFromFile),
  EV_COMMAND(kCmAddSourceFile, CmAddSourceFile),
  EV_COMMAND(kCmSaveAll, CmSaveAll),
  EV_COMMAND(kCmShowCollectionKey, CmShowCollection),
  EV_COMMAND(kCmProjectHelp, CmProjectHelp),
  EV_COMMAND(kCmSettings, CmSettings),
  EV_COMMAND(kCmSynchronization, CmSynchronization),
  EV_COMMAND(kCmExportEdl, CmExportEdl),
  EV_COMMAND(kCmImportEdl, CmImportEdl),
  EV_COMMAND_ENABLE(kCmRecentFile1, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmRecentFile1 + 1, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmRecentFile1 + 2, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmRecentFile4, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmCloseProject, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmNewProject, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmOpenProject, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmCopyFromFile, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmSaveProject, CeSaveProject),
  EV_COMMAND_ENABLE(kCmSaveProjectAs, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmAddSourceFile, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmSaveAll, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmSettings, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmExportEdl, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmImportEdl, CeNotPlaying),
  EV_MESSAGE(kFrameRequestMessage, EvRequest),
  EV_MESSAGE(kFrameRaiseMessage, EvRaise),
  EV_MESSAGE(kFrameHelpEndedMessage, EvHelpEnded),
  EV_WM_DROPFILES,
  EV_WM_ACTIVATEAPP,
  EV_WM_PALETTECHANGED,
  EV_WM_SYSCOMMAND,
END_RESPONSE_TABLE;

TMainFrame::TMainFrame(kobrix32App* app, MainTimeLineWindow* timeline)
    : TDecoratedFrame(nullptr, "Kobrix Pro", timeline, true),
      app_(app),
      timeline_(timeline),
      projectFile_(GetString(ui_string::kProjectFilter), "tml"),
      edlFile_(GetString(117), "edl") {
  IniSetSection(kFrameSection);
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  Attr.X = IniReadInt("X", 5) + 1;
  Attr.Y = IniReadInt("Y", 5) + 1;
  Attr.W = IniReadInt("W", screenW - 10) - 2;
  Attr.H = IniReadInt("H", screenH * 2 / 3 - 10) - 2;
  edlFile_.SetDirectory((std::string(IniReadString("EDL_DIRECTORY", "")) + "/").c_str());
  projectFile_.SetDirectory((std::string(IniReadString("DIRECTORY", "")) + "/").c_str());
  if (edlFile_.Directory[0] == '/' && edlFile_.Directory[1] == '\0') edlFile_.Directory[0] = '\0';
  if (projectFile_.Directory[0] == '/' && projectFile_.Directory[1] == '\0') projectFile_.Directory[0] = '\0';
  for (int i = 0; i < kRecentFileCount; ++i) {
    const char key[] = {'F', 'I', 'L', 'E', static_cast<char>('1' + i), '\0'};
    CopyPath(recent_[i], IniReadString(key, ""));
  }
  AutoPreview() = IniReadInt("AUTO_PREVIEW", 0) != 0;
  ExportAudioType() = IniReadInt("EXPORT_AUDIO_TYPE", 0);
  AdvancedAudioType() = IniReadInt("ADVANCED_AUDIO_TYPE", 4);
  UseBoardMixer = IniReadInt("USE_VLM_MIXER", 1) != 0;
  IniSetSection("SUMMARY");
  SummaryDontSave = IniReadInt("DONT_SAVE", 0) != 0;
  ProjectSummary.LoadDefaults();
  EffectList::ReadSettings();
  IniSetSection("SYNCHRONIZATION");
  GpiTimeout = IniReadInt("GPI_TIMEOUT", 3600000);
  IniSetSection("VideoFX");
  VFXRenderSettings fx;
  VFXRender::GetSettings(&fx);
  fx.tempDirectory = IniReadString("TempDirectory", "");
  fx.limitDataRate = IniReadInt("LimitDataRate", 0) != 0;
  fx.maxQuality = IniReadInt("MaxQuailty", 7500);
  fx.minQuality = IniReadInt("MinQuailty", 7500);
  fx.dataRate = IniReadInt("DataRate", 100000);
  fx.clearFiles = IniReadInt("ClearFiles", 1) != 0;
  VFXRender::SetSettings(fx);

  Attr.Menu = TResId(kFrameMenu);
  Attr.AccelTable = TResId(kFrameAccelerators);
  MakeToolBar();
  auto* status = new TStatusBar(this, TGadget::Recessed, 0);
  Insert(*status, Bottom);
  TheStatusBar = status;
}

TMainFrame::~TMainFrame() {
  if (TheStatusBar != nullptr && TheStatusBar->GetParentO() == this) TheStatusBar = nullptr;
  if (ownPrevFrame_ && !frameStepShown_) {
    delete prevFrame_;
    delete nextFrame_;
  }
}

void TMainFrame::MakeToolBar() {
  toolBar_ = new TControlBar(this);
  toolBar_->SetHintMode(TGadgetWindow::EnterHints);
  auto button = [this](int id) { toolBar_->Insert(*new TButtonGadget(TResId(id), id)); };
  auto sep = [this](int units) { toolBar_->Insert(*new TSeparatorGadget(units * 3)); };
  for (int id : {kCmNewProject, kCmOpenProject, kCmSaveProject, kCmSaveProjectAs}) button(id);
  sep(2);
  button(kCmAddSourceFile);
  sep(2);
  button(kCmShowCollection);
  sep(4);
  button(kCmRewind);
  button(kCmPlay);
  button(kCmStop);
  prevFrame_ = new TButtonGadget(TResId(kCmPrevFrame), kCmPrevFrame);
  nextFrame_ = new TButtonGadget(TResId(kCmNextFrame), kCmNextFrame);
  if (timeline_ != nullptr && timeline_->Engine().showVideo) {
    toolBar_->Insert(*prevFrame_);
    toolBar_->Insert(*nextFrame_);
    frameStepShown_ = true;
  }
  button(kCmRecordAudio);
  sep(4);
  for (int id : {kCmCut, kCmCopy, kCmPaste, kCmInsert}) button(id);
  sep(4);
  button(kCmUndo);
  button(kCmRedo);
  sep(4);
  button(kCmSplit);
  sep(4);
  button(kCmVolumeProfile);
  button(kCmBalanceProfile);
  sep(1);
  button(kCmAddPointMode);
  sep(1);
  button(kCmMultiselect);
  sep(1);
  button(521);
  sep(2);
  button(kCmNextMarkGroup);
  button(kCmNextSelectionGroup);
  sep(2);
  button(kCmZoomIn);
  button(kCmZoomOut);
  sep(4);
  button(kCmSettings);
  Insert(*toolBar_, Top);
}

const char* TMainFrame::GetClassName() {
  return "KobrixFrameWindow";
}

bool TMainFrame::AcceptsPeerMessage(UINT msg, WPARAM wParam, bool lParamIsText) {
  if (msg == kFrameRaiseMessage) return !lParamIsText;
  if (msg != kFrameRequestMessage) return false;
  const int request = static_cast<int>(wParam);
  // The file to open comes as text; start-up and the command-line mode are
  // the frame's own steps.
  if (request == kFrameRequestOpenFile) return lParamIsText;
  if (request == kFrameRequestStartUp || request == kFrameRequestCommandLine || request >= 100) return false;
  return !lParamIsText;
}

void TMainFrame::GetWindowClass(WNDCLASS& wc) {
  TDecoratedFrame::GetWindowClass(wc);
}

void TMainFrame::SetupWindow() {
  TDecoratedFrame::SetupWindow();
  // Another start of the program finds this frame and hands over to it.
  PublishWindowClass(GetClassName(), AcceptsPeerMessage);
  VFXRender::SetMainWindow(GetHandle());
  TimeLineSeamsWindowsMade(timeline_);
  ::DragAcceptFiles(GetHandle(), TRUE);
  ::SetWindowLongPtr(GetHandle(), GWLP_USERDATA, 0);
  if (timeline_ != nullptr) timeline_->PostMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
  PostMessage(kFrameRequestMessage, kFrameRequestCountdown, 0);
}

bool TMainFrame::Playing() const {
  return timeline_ != nullptr && timeline_->Engine().playing;
}

void TMainFrame::CeNotPlaying(TCommandEnabler& ce) {
  ce.Enable(!Playing());
}

void TMainFrame::CeSaveProject(TCommandEnabler& ce) {
  ce.Enable(timeline_ != nullptr && timeline_->Engine().IsModified() && !Playing());
}

bool TMainFrame::CanClose() {
  if (QuietCloseRequested()) app_->DropChangesForQuietClose();
  if (Playing()) {
    timeline_->CmStop();
    return false;
  }
  if (!AskSave()) return false;
  return TDecoratedFrame::CanClose();
}

void TMainFrame::Destroy(int retVal) {
  if (Playing()) timeline_->CmStop();
  if (GetHandle() != nullptr) {
    ::DragAcceptFiles(GetHandle(), FALSE);
    SaveSettings();
  }
  // The mixer window belongs to the time-line's windows that go now.
  if (TheAudioPlayer != nullptr) TheAudioPlayer->CloseMixer();
  InstallTimeLineSeams(nullptr);
  TDecoratedFrame::Destroy(retVal);
}

void TMainFrame::SetProjectName(const char* path) {
  CopyPath(projectFile_.FileName, path);
}

void TMainFrame::ShowProjectModified(bool modified) {
  SetCaption(ProjectName(), modified);
}

void TMainFrame::SetCaption(const char* name, bool modified) {
  VFXRender::SetTempDir(name);
  std::string head = std::string("Velmora AV Studio ") + (modified ? '*' : '-') + ' ';
  // The path as the user named it: names that differ in case are other files.
  const std::string shown = name == nullptr || *name == '\0' ? std::string(GetString(ui_string::kUntitled)) : name;
  std::string text = head + shown;
  if (GetHandle() != nullptr && name != nullptr && *name != '\0') {
    HDC dc = ::GetDC(GetHandle());
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(SYSTEM_FONT));
    SIZE size{};
    ::GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(GetHandle(), dc);
    RECT r;
    ::GetWindowRect(GetHandle(), &r);
    if (size.cx > r.right - r.left) text = head + FileNameOf(shown.c_str());
  }
  TWindow::SetCaption(text.c_str());
}

void TMainFrame::AddRecentFile(const char* path) {
  if (path != nullptr && *path != '\0' && std::strcmp(FileNameOf(path), kAutosaveProjectName) != 0) {
    int found = kRecentFileCount - 1;
    for (int i = 0; i < kRecentFileCount; ++i)
      if (strcasecmp(recent_[i], path) == 0) {
        found = i;
        break;
      }
    for (int i = found; i > 0; --i) std::memcpy(recent_[i], recent_[i - 1], MAX_PATH);
    CopyPath(recent_[0], path);
  }
  HMENU bar = GetHandle() != nullptr ? ::GetMenu(GetHandle()) : nullptr;
  HMENU file = bar != nullptr ? ::GetSubMenu(bar, 0) : nullptr;
  if (file == nullptr) return;
  for (int id = kCmRecentFile1; id <= kCmRecentFile4; ++id) ::DeleteMenu(file, static_cast<UINT>(id), MF_BYCOMMAND);
  for (int n = kRecentFileCount; n >= 1; --n) {
    if (recent_[n - 1][0] == '\0') continue;
    const std::string text = std::string("&") + static_cast<char>('0' + n) + " " + FileNameOf(recent_[n - 1]);
    ::InsertMenu(file, kRecentFilesPosition, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(213 + n),
                 text.c_str());
  }
}

void TMainFrame::SaveSettings() {
  IniSetSection(kFrameSection);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (GetHandle() != nullptr && ::GetWindowPlacement(GetHandle(), &placement)) {
    const RECT& r = placement.rcNormalPosition;
    IniWriteInt("X", r.left);
    IniWriteInt("Y", r.top);
    IniWriteInt("W", r.right - r.left);
    IniWriteInt("H", r.bottom - r.top);
  }
  IniWriteInt("MAXIMIZED", GetHandle() != nullptr && ::IsZoomed(GetHandle()) ? 1 : 0);
  IniWriteString("EDL_DIRECTORY", edlFile_.Directory);
  IniWriteString("DIRECTORY", projectFile_.Directory);
  for (int i = 0; i < kRecentFileCount; ++i) {
    const char key[] = {'F', 'I', 'L', 'E', static_cast<char>('1' + i), '\0'};
    IniWriteString(key, recent_[i]);
  }
  IniWriteInt("AUTO_PREVIEW", AutoPreview() ? 1 : 0);
  IniWriteInt("EXPORT_AUDIO_TYPE", ExportAudioType());
  IniWriteInt("ADVANCED_AUDIO_TYPE", AdvancedAudioType());
  IniWriteInt("USE_VLM_MIXER", UseBoardMixer ? 1 : 0);
  IniSetSection("SUMMARY");
  IniWriteInt("DONT_SAVE", SummaryDontSave ? 1 : 0);
  EffectList::WriteSettings();
  IniSetSection("SYNCHRONIZATION");
  IniWriteInt("GPI_TIMEOUT", GpiTimeout);
  IniSetSection("VideoFX");
  VFXRenderSettings fx;
  VFXRender::GetSettings(&fx);
  IniWriteString("TempDirectory", fx.tempDirectory.c_str());
  IniWriteInt("LimitDataRate", fx.limitDataRate ? 1 : 0);
  IniWriteInt("MaxQuailty", fx.maxQuality);
  IniWriteInt("MinQuailty", fx.minQuality);
  IniWriteInt("DataRate", fx.dataRate);
  IniWriteInt("ClearFiles", fx.clearFiles ? 1 : 0);
  IniFlush();
}

void TMainFrame::CmAddSourceFile() {
  // The chooser's Add sends files to the clip collection, when it is open.
  TClipFrame* clips = app_ != nullptr ? app_->ClipFrame() : nullptr;
  ClipCollection* collection = clips != nullptr ? clips->Collection() : nullptr;
  if (!AskOpenClip(GetHandle(), collection != nullptr ? collection->GetHandle() : nullptr)) return;
  char path[MAX_PATH];
  CopyPath(path, MediaFileData(kClipFiles).FileName);
  if (timeline_ != nullptr) timeline_->AddFile(path, -1);
}

void TMainFrame::EvDropFiles(HDROP drop) {
  const UINT count = ::DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
  if (count == 1) {
    char path[MAX_PATH] = {};
    ::DragQueryFile(drop, 0, path, MAX_PATH);
    ShowStatusText(FormatText(GetString(ui_string::kInsertFile), path).c_str());
    if (timeline_ != nullptr) timeline_->AddFile(path, -1);
  } else if (count > 1) {
    ShowMessageText(GetHandle(), GetString(ui_string::kDragDrop), MB_OK | MB_ICONSTOP,
                    GetString(ui_string::kDragDropMultiple));
  }
  ::DragFinish(drop);
}

void TMainFrame::EvActivateApp(bool active, DWORD) {
  DefaultProcessing();
  if (active) PostMessage(kFrameRequestMessage, kFrameRequestRecheckFiles, 0);
}

void TMainFrame::EvSysCommand(UINT cmd, const TPoint&) {
  const UINT what = cmd & 0xFFF0;
  if (what == SC_MINIMIZE) {
    if (TheVideoPlayer != nullptr && TheVideoPlayer->ShowsOnScreen() && !Playing()) TheVideoPlayer->Detach();
    MinimizeOtherWindows(GetHandle());
  } else if (what == SC_RESTORE || what == SC_MAXIMIZE) {
    RestoreOtherWindows();
  }
  DefaultProcessing();
}

// The screens here keep true colour: there is no palette to realise.
void TMainFrame::EvPaletteChanged(HWND) {}

LRESULT TMainFrame::EvRaise(WPARAM, LPARAM) {
  HWND shown = ::GetLastActivePopup(GetHandle());
  if (shown == nullptr) shown = GetHandle();
  if (::IsIconic(shown)) ::ShowWindow(shown, SW_RESTORE);
  ::SetForegroundWindow(shown);
  return 1;
}

LRESULT TMainFrame::EvHelpEnded(WPARAM id, LPARAM outcome) {
  if (app_ != nullptr) app_->HelpOpenerEnded(static_cast<uint32_t>(id), static_cast<int>(outcome));
  return 0;
}

void TMainFrame::CmShowCollection() {
  app_->ShowClipCollection(true);
}

void TMainFrame::CmProjectHelp() {
  app_->ShowHelp(GetHandle(), kHelpContext, kCmProjectHelp);
}
