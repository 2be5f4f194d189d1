#include "app/owl_main.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "app/kobrix_app.h"
#include "app/program_seams.h"
#include "audio/audio_player.h"
#include "audio/audio_recorder.h"
#include "audio/volume_server_link.h"
#include "audio/installed_components.h"
#include "audio/midi_player.h"
#include "media/video_data.h"
#include "model/control_font.h"
#include "model/message_box.h"
#include "platform/audio/virtual_audio.h"
#include "platform/components/com.h"
#include "platform/core/files.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"
#include "platform/core/registry.h"
#include "platform/core/threads.h"
#include "platform/gui/display_lost.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/message_box.h"
#include "platform/gui/modal.h"
#include "platform/gui/peers.h"
#include "resources/frame_ids.h"
#include "resources/resource_ids.h"
#include "resources/resources.h"
#include "video/player.h"
#include "video/transitions/vfx_render.h"
#include "video/velmora_messager.h"
#include "video/vtr.h"

VTRecorder* TheVTRecorder = nullptr;
extern MidiPlayer* TheMidiPlayer;

namespace {

constexpr const char* kFrameClass = "KobrixFrameWindow";
int g_lockFile = -1;

// What the virtual output played, as a WAVE file (KOBRIX_AUDIO_RECORD).
void KeepPlayedSound() {
  const char* path = std::getenv("KOBRIX_AUDIO_RECORD");
  const char* audio = std::getenv("KOBRIX_AUDIO");
  if (path == nullptr || *path == '\0' || audio == nullptr || std::strcmp(audio, "virtual") != 0) return;
  const std::vector<BYTE> played = VirtualAudio::Played(0);
  const WAVEFORMATEX f = VirtualAudio::LastFormat(0);
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return;
  auto u32 = [file](uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, file);
  };
  auto u16 = [file](uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, file);
  };
  const uint32_t bytes = static_cast<uint32_t>(played.size());
  std::fwrite("RIFF", 1, 4, file);
  u32(36 + bytes + (bytes & 1));
  std::fwrite("WAVEfmt ", 1, 8, file);
  u32(16);
  u16(f.wFormatTag != 0 ? f.wFormatTag : WAVE_FORMAT_PCM);
  u16(f.nChannels);
  u32(f.nSamplesPerSec);
  u32(f.nAvgBytesPerSec);
  u16(f.nBlockAlign);
  u16(f.wBitsPerSample);
  std::fwrite("data", 1, 4, file);
  u32(bytes);
  if (bytes > 0) std::fwrite(played.data(), 1, bytes, file);
  if (bytes & 1) std::fputc(0, file);
  std::fclose(file);
}

std::string CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof(buffer)) != nullptr ? std::string(buffer) : std::string("/");
}

void CopyField(char (&to)[260], const std::string& from) {
  std::strncpy(to, from.c_str(), sizeof(to) - 1);
  to[sizeof(to) - 1] = '\0';
}

void ReportToStandardError(const std::string& text) {
  std::fprintf(stderr, "kobrix: %s\n", text.c_str());
  std::fflush(stderr);
}

// What a box or dialog shows: its texts and the items of its lists, in
// their order, a label ending in a colon followed by what it labels.
std::string ShownText(HWND window) {
  std::string text;
  auto add = [&text](const std::string& piece) {
    if (piece.empty()) return;
    if (!text.empty()) text += text.back() == ':' ? " " : "\n";
    text += piece;
  };
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    char kind[64] = {};
    GetClassName(child, kind, sizeof kind);
    if (strcasecmp(kind, WC_STATIC) == 0) {
      char piece[2048] = {};
      GetWindowText(child, piece, sizeof piece);
      add(piece);
    } else if (strcasecmp(kind, WC_LISTBOX) == 0) {
      std::string items;
      const LRESULT count = SendMessage(child, LB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessage(child, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::string item(static_cast<size_t>(length) + 1, '\0');
        SendMessage(child, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(std::strlen(item.c_str()));
        items += (items.empty() ? "" : ", ") + item;
      }
      add(items);
    }
  }
  return text;
}

// An unattended export, and a run without a display, ask nobody: each box
// they meet is written to the standard error with all it shows (a missing
// source says which and why, missing effects are named) and takes the
// answer that changes nothing.
void ReportBox(HWND window) {
  char caption[256] = {};
  GetWindowText(window, caption, sizeof caption);
  const std::string text = ShownText(window);
  if (caption[0] == '\0' && text.empty()) return;
  ReportToStandardError(text.empty() ? std::string(caption) : std::string(caption) + ": " + text);
}

bool Headless() {
  return std::strcmp(GuiBackendName(), "headless") == 0;
}

// SIGTERM, SIGINT and SIGHUP (a terminal closing, a logout) end the program
// as a close that asks nothing would; unsaved work stays as the autosave,
// for the next start to offer.
// They are taken by a thread of their own (blocked everywhere else), which
// posts the close to the frame. A program that has not ended a few seconds
// later (its main thread busy or waiting where no message reaches it), or
// a second signal, ends it at once as the signal itself would.
class SignalCloser {
 public:
  SignalCloser() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set_, &before_);
    thread_ = std::thread([this] { Run(); });
  }
  ~SignalCloser() {
    stop_ = true;
    // Woken at once by a signal it takes, which it then sees as the end.
    pthread_kill(thread_.native_handle(), SIGINT);
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  }

 private:
  static constexpr auto kGrace = std::chrono::seconds(5);

  [[noreturn]] static void EndBy(int signal) {
    // A file being written would stay beside its target, whole or not.
    RemoveReplacementsInProgress();
    std::signal(signal, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signal);
    _exit(128 + signal);
  }

  void Run() {
    int told = 0;
    std::chrono::steady_clock::time_point deadline, nextClose;
    for (;;) {
      const timespec wait{0, 250'000'000};
      const int signal = sigtimedwait(&set_, nullptr, &wait);
      if (stop_) return;
      if (signal == SIGTERM || signal == SIGINT || signal == SIGHUP) {
        if (told != 0) EndBy(signal);
        told = signal;
        deadline = nextClose = std::chrono::steady_clock::now();
        deadline += kGrace;
      }
      if (told == 0) continue;
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline) EndBy(told);
      if (now < nextClose) continue;
      nextClose = now + std::chrono::seconds(1);
      // Again while the frame is there: a close that came while a window
      // was modal may have gone unheard.
      HWND frame = FindWindow(kFrameClass, nullptr);
      if (frame != nullptr && !IsPeerWindowHandle(frame)) {
        RequestQuietClose();
        PostMessage(frame, WM_CLOSE, 0, 0);
      }
    }
  }

  sigset_t set_;
  sigset_t before_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

DWORD g_appThread = 0;

// The display went away (its server ended, at a logout): the program ends
// at once. Unsaved work is kept as the autosave first, as a stop signal
// keeps it, when the loss met the application's own thread (no other may
// touch its work); a box on the way answers itself.
void KeepWorkOfLostDisplay() {
  if (TheApp == nullptr || GetCurrentThreadId() != g_appThread) return;
  SetModalHook(ReportBox);
  TheApp->KeepUnsavedWork();
}

}  // namespace

bool RaiseOtherInstance() {
  HWND other = FindWindow(kFrameClass, nullptr);
  if (other == nullptr) return false;
  // Only the owner may restore and raise its windows.
  SendMessage(other, kFrameRaiseMessage, 0, 0);
  return true;
}

bool TakeInstanceLock() {
  if (g_lockFile >= 0) return true;
  const std::string path = RuntimeFolder() + "/KobrixGlobalLockEvent.lock";
  // A link planted at the name would have the lock create files elsewhere.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  // A lock that cannot be made at all does not keep the program from running.
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  g_lockFile = fd;
  return true;
}

void ReleaseInstanceLock() {
  if (g_lockFile < 0) return;
  flock(g_lockFile, LOCK_UN);
  close(g_lockFile);
  g_lockFile = -1;
}

int OwlMain(int argc, char** argv) {
  WindowsPlatform = 2;
  WindowsMajorVersion = 4;
  WindowsMinorVersion = 0;

  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  const CommandLine line = ParseCommandLine(args, CurrentFolder());
  // A line that is not understood starts nothing (an instance started for
  // it would wait for nobody) and says how the program is called.
  if (!line.misuse.empty()) {
    std::fprintf(stderr, "kobrix: %s\n%s\n", line.misuse.c_str(), kCommandLineUsageText);
    std::fflush(stderr);
    return kCommandLineMisuseStatus;
  }
  // Asked of the program, not of an instance that may be running.
  if (line.usage) {
    std::printf("%s\n", kCommandLineUsageText);
    std::fflush(stdout);
    // Without a display nobody would see the box; the text went out above.
    if (!Headless()) {
      RegisterProgramResources();
      MessageBox(nullptr, kCommandLineUsageText, kCommandLineUsageCaption, MB_OK);
    }
    return 0;
  }
  const bool exporting = IsCommandLineExport(line.mode);
  if (exporting) {
    // The running instance holds the user's work: an export beside it is
    // not done, and says so.
    if (!TakeInstanceLock() || FindWindow(kFrameClass, nullptr) != nullptr) {
      ReleaseInstanceLock();
      ReportToStandardError("another instance of the program is running; nothing was exported to '" +
                            line.exportPath + "'");
      return 1;
    }
  } else {
    if (RaiseOtherInstance()) return 0;
    if (!TakeInstanceLock()) return 0;
  }

  RemoveDeadInstanceFolders();
  RegisterProgramResources();
  if (!line.tooLong.empty()) {
    const std::string text = "The path is too long:\n" + line.tooLong;
    ReportToStandardError("the path is too long: " + line.tooLong);
    MessageBox(nullptr, text.c_str(), kCommandLineUsageCaption, MB_OK | MB_ICONSTOP);
    ReleaseInstanceLock();
    return 1;
  }
  CopyField(StartupProjectPath, line.startupPath);
  CopyField(CommandLineExportPath, line.exportPath);
  CommandLineMode = line.mode;

  // Components stay initialised for the program's life.
  CComBase com;
  if (com.state != 0) {
    if (exporting || Headless()) ReportToStandardError("Kobrix starting: Can not initialize COM interface");
    MessageBox(nullptr, "Can not initialize COM interface", "Kobrix starting", MB_OK | MB_ICONSTOP);
    ReleaseInstanceLock();
    return exporting ? 1 : 0;
  }
  std::optional<ModalHook> before;
  if (exporting) {
    before = SetModalHook(ReportBox);
  } else if (Headless()) {
    // A hook that answers the boxes already (a caller's) stays.
    before = SetModalHook(nullptr);
    SetModalHook(*before ? *before : ModalHook(ReportBox));
  }
  CommandLineExportWritten = false;
  SignalCloser signals;
  // The components the build made know themselves from the entries it wrote
  // beside the program; the user's registry file still has the last word.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(ProgramFolder(), ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 13 && name.compare(name.size() - 13, 13, "_registry.txt") == 0)
      AddRegistryDefaults(entry.path().string());
  }

  // The volume-control server is optional: without it the program runs.
  std::unique_ptr<VolumeServer> mixerServer = CreateMixerServer();
  TheMixerServer = mixerServer.get();

  TheAudioRecorder = new TAudioRecorder();
  TheVTRecorder = new VTRecorder();
  StartProgramObjects();
  VFXRender::StartThread(*ProgramTransitions());

  int result = 0;
  {
    kobrix32App app;
    TheApp = &app;
    g_appThread = GetCurrentThreadId();
    SetDisplayLostHook(KeepWorkOfLostDisplay);
    result = app.Run();
    SetDisplayLostHook(nullptr);

    VFXRender::StopThread();
    // A run with a command-line mode offers nobody the autosave an earlier
    // run left: it stays for the next start that does, unless this run
    // wrote over it. A stop signal that met unsaved work leaves it too.
    if (!app.autosave.KeptForNextStart() && (line.mode == kModeNone || AutosaveWrittenThisRun()))
      app.DeleteAutosaveFiles(nullptr);
    // The time-line window dropped the deck's link; the controller goes too.
    delete TheVTRecorder;
    TheVTRecorder = nullptr;
    delete TheVideoPlayer;
    TheVideoPlayer = nullptr;
    // The recorder's dialog and thread go before the engine they use.
    delete TheAudioRecorder;
    TheAudioRecorder = nullptr;
    ReleaseInstanceLock();
    DeleteControlFont();
    VFXRender::CleanTempDir();
    TheApp = nullptr;
  }
  // The frames and the time-line went with the application, giving back the
  // lists of their clips, lines and master; the players and what is left of
  // the lists go before COM (com's end), whose modules the effects run in.
  EndProgramObjects();
  TheMixerServer = nullptr;
  mixerServer.reset();
  KeepPlayedSound();
  if (before) SetModalHook(*before);
  if (exporting) {
    // The status says whether the whole file is there, and nothing else.
    if (!CommandLineExportWritten) {
      ReportToStandardError("no file was written to '" + line.exportPath + "'" +
                            (CommandLineExportProblem.empty() ? "" : ": " + CommandLineExportProblem));
      return 1;
    }
    return 0;
  }
  return result;
}
