#include "app/kobrix_app.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/program_seams.h"
#include "app/status_text.h"
#include "audio/audio_player.h"
#include "audio/midi_player.h"
#include "clips/clip_collection.h"
#include "media/video_bitmap.h"
#include "media/video_data.h"
#include "model/error_codes.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"
#include "platform/core/process.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "ui/about_dialog.h"
#include "ui/scroll_window.h"
#include "ui/file_dialogs.h"
#include "video/player.h"
#include "video/velmora_messager.h"

char StartupProjectPath[260] = {};
char CommandLineExportPath[260] = {};
int32_t CommandLineMode = kModeNone;
int32_t WindowsPlatform = 2;
uint32_t WindowsMajorVersion = 4;
uint32_t WindowsMinorVersion = 0;
kobrix32App* TheApp = nullptr;
MidiPlayer* TheMidiPlayer = nullptr;

extern char** environ;

namespace {

constexpr const char* kHelpCaption = "Kobrix Help";

// The help pages are HTML files beside the program: the contents page holds
// an anchor for every topic ("topic-<context>"), and "using-help.html"
// explains the help itself.
std::string HelpPage(uint32_t command, uint32_t context) {
  const std::string folder = "file://" + PathJoin(ProgramFolder(), "help");
  if (command == kHelpOnHelp) return folder + "/using-help.html";
  if (command == kHelpContext) return folder + "/index.html#topic-" + std::to_string(context);
  return folder + "/index.html";
}

// The desktop's opener may stay until the viewer it starts is closed, or
// take seconds to find none: it runs on, watched by a thread of its own,
// which reaps it and reports its end to the frame. Reports stop with the
// application (the window is gone, or about to be).
struct HelpReports {
  std::mutex lock;
  HWND frame = nullptr;
};

HelpReports& Reports() {
  // Never freed: a watching thread may report while the program ends.
  static HelpReports* reports = new HelpReports;
  return *reports;
}

std::atomic<uint32_t> g_helpOpenings{0};

void HelpReportTarget(HWND frame) {
  std::lock_guard<std::mutex> hold(Reports().lock);
  Reports().frame = frame;
}

void ReportHelpEnd(uint32_t id, int outcome) {
  std::lock_guard<std::mutex> hold(Reports().lock);
  if (Reports().frame != nullptr)
    ::PostMessage(Reports().frame, kFrameHelpEndedMessage, static_cast<WPARAM>(id), static_cast<LPARAM>(outcome));
}

// Starts the opener at page, its streams on /dev/null (a viewer that stays
// must not hold the program's output open) and with none of the program's
// other files. False when it could not be started.
bool StartHelpOpener(const std::string& page, uint32_t id) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The program blocks the signals it ends on; the viewer keeps none of that.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int number : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP}) sigaddset(&defaults, number);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(page.c_str()), nullptr};
  pid_t child = 0;
  const int started = posix_spawnp(&child, "xdg-open", &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (started != 0) return false;
  auto watch = [child, id] {
    int status = 0;
    pid_t ended;
    while ((ended = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    const bool opened = ended == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    ReportHelpEnd(id, ended != child ? kHelpUnknown : opened ? kHelpOpened : kHelpFailed);
  };
  try {
    std::thread(watch).detach();
  } catch (const std::system_error&) {
    // No thread to be had: wait here rather than leave a zombie.
    watch();
  }
  return true;
}

}  // namespace

int ShowHelpContext(uint16_t context) {
  return TheApp != nullptr ? TheApp->ShowHelp(GetActiveWindow(), kHelpContext, context) : 0;
}

DEFINE_RESPONSE_TABLE1(kobrix32App, TApplication)
  EV_COMMAND(kCmExit, CmExit),
  EV_COMMAND_ENABLE(kCmExit, CeExit),
  EV_COMMAND(kCmSaveOptions, CmSaveOptions),
  EV_COMMAND(kCmHelpOverview, CmHelpOverview),
  EV_COMMAND(kCmHelpContents, CmHelpContents),
  EV_COMMAND(kCmHelpOnHelp, CmHelpOnHelp),
  EV_COMMAND(kCmAbout, CmAbout),
  EV_COMMAND_AND_ID(kCmTimeInFrames, CmTimeFormat),
  EV_COMMAND_AND_ID(kCmTimeInSmpte, CmTimeFormat),
  EV_COMMAND_AND_ID(kCmTimeInMilliseconds, CmTimeFormat),
  EV_COMMAND_ENABLE(kCmTimeInFrames, CeTimeFormat),
  EV_COMMAND_ENABLE(kCmTimeInSmpte, CeTimeFormat),
  EV_COMMAND_ENABLE(kCmTimeInMilliseconds, CeTimeFormat),
  EV_COMMAND(kCmShowProject, CmShowProject),
  EV_COMMAND(kCmShowCollection, CmShowCollection),
END_RESPONSE_TABLE;

kobrix32App::kobrix32App() : TApplication("kobrix32") {
  SetCollectionShell(&collectionShell);
  // The idle hook still decides; the timer only makes sure it is asked.
  idleTimer_ = SetTimer(nullptr, 0, 1000, nullptr);
}

kobrix32App::~kobrix32App() {
  if (idleTimer_ != 0) KillTimer(nullptr, idleTimer_);
  // A viewer still open is left to the user; its end is no one's news now.
  HelpReportTarget(nullptr);
  SetCollectionShell(nullptr);
  // Destroying the frame's windows hands the frame to endedClipFrame_.
  TClipFrame* frame = clipFrame;
  if (frame != nullptr && frame->GetHandle() != nullptr) frame->Destroy();
  if (frame != endedClipFrame_) delete frame;
  delete endedClipFrame_;
  clipFrame = nullptr;
  endedClipFrame_ = nullptr;
}

MainTimeLineWindow* kobrix32App::TimeLine() const {
  return mainFrame != nullptr ? mainFrame->TimeLine() : nullptr;
}

void kobrix32App::InitMainWindow() {
  helpFile = PathJoin(ProgramFolder(), "help");
  if (TheMidiPlayer == nullptr) TheMidiPlayer = new MidiPlayer();
  // The hidden window through which other instances and outside programs
  // reach this one.
  if (TheVelmoraMessager == nullptr) (new VelmoraMessager(ProgramMessagerHost()))->Create();
  TEBitmapInit::LoadStockBitmaps(ProgramInstance());
  if (CommandLineMode != kModeNone) nCmdShow = SW_SHOWMINIMIZED;

  auto* timeline = new MainTimeLineWindow(nullptr, ProgramPlayers());
  // Its set-up may open the mixer window and the effect dialogs already.
  InstallTimeLineSeams(timeline);
  mainFrame = new TMainFrame(this, timeline);
  mainFrame->SetIcon(this, TResId(kFrameIcon));
  SetMainWindow(mainFrame);

  autosave.ReadSettings();
  IniSetSection("MAIN_WINDOW");
  SetTimeFormat(IniReadInt("TIME_FORMAT", 1));
  float fps = 25.0f;
  if (std::sscanf(IniReadString("FRAME_RATE_FPS", "25.0"), "%f", &fps) != 1 || !(fps > 0.0f) || fps > 1000.0f)
    fps = 25.0f;
  SetFrameRate(fps);
  IniSetSection("CLIP_COLLECTION");
  const std::string folder = IniReadString("CLIP_DIRECTORY", "");
  if (!folder.empty()) SetFileDialogsDirectory((folder + "/*.*").c_str(), 0);
}

namespace {
std::atomic<bool> g_quietClose{false};
}  // namespace

void RequestQuietClose() { g_quietClose = true; }
bool QuietCloseRequested() { return g_quietClose; }

void kobrix32App::KeepUnsavedWork() {
  MainTimeLineWindow* timeline = TimeLine();
  ClipCollection* collection = clipFrame != nullptr ? clipFrame->Collection() : nullptr;
  if ((timeline != nullptr && timeline->Engine().IsModified()) || (collection != nullptr && collection->IsModified()))
    autosave.KeepUnsavedWork();
}

void kobrix32App::DropChangesForQuietClose() {
  MainTimeLineWindow* timeline = TimeLine();
  if (timeline != nullptr && timeline->Engine().playing) timeline->CmStop();
  // Nobody was asked about the unsaved work: it goes on as the autosave;
  // nor, before start-up has ended, about the last run's autosave.
  KeepUnsavedWork();
  autosave.KeepUnoffered();
  ClipCollection* collection = clipFrame != nullptr ? clipFrame->Collection() : nullptr;
  if (timeline != nullptr) timeline->Engine().SetModified(false);
  if (collection != nullptr) collection->SetModified(false);
}

bool kobrix32App::CanClose() {
  if (QuietCloseRequested()) DropChangesForQuietClose();
  MainTimeLineWindow* timeline = TimeLine();
  if (timeline != nullptr && timeline->Engine().playing) {
    timeline->CmStop();
    return false;
  }
  if (!AskSaveAll()) return false;
  if (clipFrame != nullptr) {
    clipFrame->Collection()->SetModified(false);
    if (!clipFrame->CanClose()) return false;
    clipFrame->Destroy();
  }
  if (timeline != nullptr) timeline->Engine().SetModified(false);
  SaveSettings();
  const bool agreed = TApplication::CanClose();
  if (agreed && helpOpen) helpOpen = false;
  return agreed;
}

bool kobrix32App::AskSaveAll() {
  if (mainFrame != nullptr && !mainFrame->AskSave()) return false;
  return clipFrame == nullptr || clipFrame->AskSave();
}

void kobrix32App::SaveSettings() {
  IniSetSection("MAIN_WINDOW");
  IniWriteInt("TIME_FORMAT", ProjectTimeFormat());
  IniWriteString("FRAME_RATE_FPS", FormatText("%.3f", static_cast<double>(ProjectFrameRate())).c_str());
  IniSetSection("CLIP_COLLECTION");
  IniWriteString("CLIP_DIRECTORY", MediaFileData(kClipFiles).Directory);
  autosave.WriteSettings();
  IniFlush();
}

void kobrix32App::CmSaveOptions() {
  SaveSettings();
  if (mainFrame != nullptr) {
    mainFrame->SaveSettings();
    if (TimeLine() != nullptr) TimeLine()->SaveSettings();
  }
  if (clipFrame != nullptr) {
    clipFrame->SaveSettings();
    clipFrame->Collection()->SaveSettings();
  }
}

void kobrix32App::CmExit() {
  if (MainWindow != nullptr) MainWindow->PostMessage(WM_CLOSE, 0, 0);
}

void kobrix32App::CeExit(TCommandEnabler& ce) {
  ce.Enable(TimeLine() == nullptr || !TimeLine()->Engine().playing);
}

void kobrix32App::CmShowProject() {
  if (mainFrame == nullptr) return;
  mainFrame->Show(SW_RESTORE);
  mainFrame->SetFocus();
}

void kobrix32App::CmShowCollection() {
  ShowClipCollection(true);
}

// ---- Time format and frame rate.

void kobrix32App::CmTimeFormat(WPARAM id) {
  SetTimeFormat(id == kCmTimeInFrames ? 2 : id == kCmTimeInSmpte ? 1 : 0);
}

void kobrix32App::CeTimeFormat(TCommandEnabler& ce) {
  const int id = static_cast<int>(ce.GetId());
  const int format = id == kCmTimeInFrames ? 2 : id == kCmTimeInSmpte ? 1 : 0;
  ce.SetCheck(ProjectTimeFormat() == format ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}

void kobrix32App::SetTimeFormat(int32_t format) {
  // -1 applies the current format again (start-up redraws what shows times).
  const bool again = format < 0;
  if (again) format = ProjectTimeFormat();
  if (format < 0 || format > 2) return;
  if (again || format != ProjectTimeFormat()) {
    SetProjectTimeFormat(format);
    if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
    if (TimeLine() != nullptr) TimeLine()->Engine().ZoomChanged(true);
  }
  if (clipFrame != nullptr) clipFrame->RefreshButtons();
}

void kobrix32App::SetFrameRate(float fps) {
  const bool again = fps < 0.0f;
  if (again) fps = ProjectFrameRate();
  if (!(fps > 0.0f)) return;
  if (!again && fps == ProjectFrameRate()) return;
  MainTimeLineWindow* timeline = TimeLine();
  bool cleared = false;
  if (!again && timeline != nullptr && timeline->IsWindow() && !timeline->ChangeVideoParameters(cleared)) return;
  SetProjectFrameRate(fps);
  if (TheVideoPlayer != nullptr) TheVideoPlayer->Attach();
  if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
  if (timeline != nullptr) timeline->Engine().ZoomChanged(true);
}

void kobrix32App::SetFrameRateFromVideo(VideoData* video) {
  if (video == nullptr) return;
  MainTimeLineWindow* timeline = TimeLine();
  bool cleared = false;
  if (timeline != nullptr && timeline->IsWindow() && !timeline->ChangeVideoParameters(cleared)) return;
  const bool changed = video->frameRate != ProjectFrameRate();
  if (changed) {
    SetProjectFrameRate(video->frameRate);
    if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
  }
  if (TheVideoPlayer != nullptr) TheVideoPlayer->Attach();
  if (timeline != nullptr) timeline->Engine().ZoomChanged(changed);
}

void kobrix32App::SetAudioFormat(int32_t rate, int32_t channels, int32_t sampleCode) {
  if (TheAudioPlayer == nullptr) return;
  if (static_cast<DWORD>(rate) == OutputFormat.nSamplesPerSec && channels == OutputFormat.nChannels &&
      sampleCode == TheAudioPlayer->GetProjectCode())
    return;
  HWND owner = mainFrame != nullptr ? mainFrame->GetHandle() : nullptr;
  auto refuse = [owner] {
    // The string table keeps entry 27 empty; the box says what it means.
    const char* text = GetString(ui_string::kAudioParametersRefused);
    ShowMessageText(
        owner, GetString(ui_string::kSetAudioParameters), MB_OK | MB_ICONEXCLAMATION,
        *text != '\0' ? text : "This version of Kobrix can not work with selected audio parameters!");
  };
  // A format the engine cannot run is refused before the time-line is asked,
  // so no clip is cleared for a change that cannot happen.
  if (TheAudioPlayer->CheckFormat(static_cast<DWORD>(rate), channels, sampleCode) != kErrOk) {
    refuse();
    return;
  }
  MainTimeLineWindow* timeline = TimeLine();
  bool cleared = false;
  if (timeline != nullptr && timeline->IsWindow() &&
      !timeline->ChangeAudioParameters(static_cast<DWORD>(rate) == OutputFormat.nSamplesPerSec, channels == 1,
                                       cleared))
    return;
  const int result = TheAudioPlayer->SetFormat(static_cast<DWORD>(rate), channels, sampleCode);
  if (result == kErrUnsupportedRate) {
    // The engine kept its format: nothing else follows.
    refuse();
    return;
  }
  if (result != 0) {
    ErrorBoxPlain(owner, result, GetString(ui_string::kSetAudioParameters));
    return;
  }
  if (timeline != nullptr) timeline->SetEffectFormats(FilmList);
  if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
  if (timeline != nullptr) timeline->Engine().ZoomChanged(false);
}

// ---- Help.

int kobrix32App::ShowHelp(HWND parent, uint32_t command, uint32_t context) {
  if (command == kHelpQuit) return 1;
  const std::string page = HelpPage(command, context);
  const std::string call = "xdg-open " + page;
  const uint32_t id = ++g_helpOpenings;
  HelpReportTarget(mainFrame != nullptr ? mainFrame->GetHandle() : nullptr);
  if (!StartHelpOpener(page, id)) {
    // No opener to be had: known now.
    ShowMessage(parent, kHelpCaption, MB_OK | MB_ICONEXCLAMATION, GetString(ui_string::kCannotLaunch),
                call.c_str());
    return 0;
  }
  helpOpenings_[id] = HelpOpening{parent, call};
  return 1;
}

void kobrix32App::HelpOpenerEnded(uint32_t id, int outcome) {
  const auto found = helpOpenings_.find(id);
  if (found == helpOpenings_.end()) return;
  const HelpOpening opening = found->second;
  helpOpenings_.erase(found);
  if (outcome == kHelpOpened) {
    helpOpen = true;
    return;
  }
  if (outcome != kHelpFailed) return;
  // No viewer answered: say so rather than nothing. The window that asked
  // may be gone by now.
  HWND owner = opening.parent;
  if (owner == nullptr || !::IsWindow(owner)) owner = mainFrame != nullptr ? mainFrame->GetHandle() : nullptr;
  ShowMessage(owner, kHelpCaption, MB_OK | MB_ICONEXCLAMATION, GetString(ui_string::kCannotLaunch),
              opening.call.c_str());
}

void kobrix32App::CmHelpOverview() {
  ShowHelp(GetActiveWindow(), kHelpContext, kCmHelpOverview);
}

void kobrix32App::CmHelpContents() {
  ShowHelp(GetActiveWindow(), kHelpContents, 0);
}

void kobrix32App::CmHelpOnHelp() {
  ShowHelp(GetActiveWindow(), kHelpOnHelp, 0);
}

void kobrix32App::CmAbout() {
  RunAboutBox(GetActiveWindow());
}

// F1 over an open menu: Enter chooses the highlighted item, and its command
// opens its help instead of running.
bool kobrix32App::MenuIdle(HWND) {
  if ((GetKeyState(VK_F1) & 0x8000) == 0) return false;
  helpMode = true;
  if (MainWindow != nullptr && MainWindow->GetHandle() != nullptr)
    ::PostMessage(MainWindow->GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
  return true;
}

bool kobrix32App::ProcessAppMsg(MSG& msg) {
  const bool f1Down = (GetKeyState(VK_F1) & 0x8000) != 0;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
    if (GetKeyState(VK_SHIFT) & 0x8000) {
      helpMode = true;
      if (HCURSOR cursor = ::LoadCursor(ProgramInstance(), MAKEINTRESOURCE(kHelpCursor))) SetCursor(cursor);
    } else if (GetKeyState(VK_CONTROL) & 0x8000) {
      ShowHelp(GetActiveWindow(), kHelpContents, 0);
    } else {
      HWND active = GetActiveWindow();
      const bool overCollection = TheClipCollection != nullptr && TheClipCollection->GetScrollWindow() != nullptr &&
                                  active != nullptr &&
                                  GetAncestor(TheClipCollection->GetScrollWindow()->GetHandle(), GA_ROOT) == active;
      ShowHelp(active, kHelpContext, overCollection ? kCmCollectionHelp : kCmProjectHelp);
    }
    return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && helpMode) {
    helpMode = false;
    SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    return true;
  }
  if (msg.message == WM_COMMAND && (helpMode || f1Down) && HIWORD(msg.wParam) == 0) {
    helpMode = false;
    SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    ShowHelp(GetActiveWindow(), kHelpContext, LOWORD(msg.wParam));
    return true;
  }
  if (helpMode && (msg.message == WM_INITMENU || msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE)) {
    if (HCURSOR cursor = ::LoadCursor(ProgramInstance(), MAKEINTRESOURCE(kHelpCursor))) SetCursor(cursor);
    return true;
  }
  return TApplication::ProcessAppMsg(msg);
}

// ---- Idle processing.

bool kobrix32App::IdleAction(long idleCount) {
  if (endedClipFrame_ != nullptr) {
    delete endedClipFrame_;
    endedClipFrame_ = nullptr;
  }
  return autosave.IdleAction(idleCount);
}

// ---- What autosave asks.

bool kobrix32App::TimeLineCapturing() {
  return TimeLine() != nullptr && TimeLine()->IsCapturing();
}

void kobrix32App::AppendStatusText(const char* text) {
  ::AppendStatusText(text);
  ::UpdateStatusBar();
}

bool kobrix32App::AutoSaveCollection(std::string& name) {
  return clipFrame != nullptr && clipFrame->AutoSave(name);
}

bool kobrix32App::AutoSaveProject(const char* collectionName) {
  return mainFrame != nullptr && mainFrame->AutoSave(collectionName);
}

bool kobrix32App::DrawPendingClip() {
  return TimeLine() != nullptr && TimeLine()->DrawPendingClip();
}

void kobrix32App::ClipFrameIdle(long idleCount) {
  if (clipFrame != nullptr) clipFrame->IdleAction(idleCount);
}

// ---- What the clip frame asks.

void kobrix32App::SetMessengerCollection(HWND collection) {
  if (TheVelmoraMessager != nullptr) TheVelmoraMessager->collection = collection;
}

void kobrix32App::ClipFrameDestroyed(TClipFrame* frame) {
  if (frame == clipFrame) clipFrame = nullptr;
  collectionShell.frame = nullptr;
  // Its windows are gone; the object goes once this call has returned.
  if (endedClipFrame_ != frame) {
    delete endedClipFrame_;
    endedClipFrame_ = frame;
  }
}

void kobrix32App::ReapplyTimeSettings() {
  SetTimeFormat(-1);
  SetFrameRate(-1.0f);
}

// ---- The collection shell.

bool ProgramCollectionShell::SavePostage() {
  return TheApp == nullptr || TheApp->autosave.savePostage;
}

bool ProgramCollectionShell::SaveWaveform() {
  return TheApp == nullptr || TheApp->autosave.saveWaveform;
}

void ProgramCollectionShell::SetFrameRateFromVideo(VideoData* video) {
  if (TheApp != nullptr) TheApp->SetFrameRateFromVideo(video);
}

void ProgramCollectionShell::SetAudioFormat(int rate, int channels, int sampleType) {
  if (TheApp != nullptr) TheApp->SetAudioFormat(rate, channels, sampleType);
}
