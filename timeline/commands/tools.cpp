// The external programs of the Tools menu and the editors started on a
// clip's file: a volume control, audio, MIDI and video editors and five
// free tools, each started with its file when it takes one. The program
// lets go of that file first, and takes it back when the user returns.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "media/frame_decoder.h"
#include "model/error_codes.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/te_window.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/process.h"
#include "resources/timeline_ids.h"
#include "timeline/commands/command_host.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/tool_configure_dialog.h"

namespace {

// The frame menu's Tools popup, and where its free tools begin: after the
// four fixed items and a separator.
constexpr int kToolsMenuPosition = 5;
constexpr UINT kFirstFreeToolItem = 5;
constexpr int kLastTool = kCmTool1 + kToolCount - 1;

// One argument as the command line carries it to the program whole: in
// double quotes when it holds a blank, a tab or a quote, with the quotes
// and the backslashes before them escaped as the splitter undoes them.
std::string Argument(const std::string& text) {
  if (text.find_first_of(" \t\"") == std::string::npos) return text;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(2 * backslashes + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

// The folder of a file without its separator ("/" for a file in the root);
// empty for a bare name.
std::string FolderOf(const std::string& file) {
  const std::size_t slash = file.find_last_of("/\\");
  if (slash == std::string::npos) return {};
  const bool root = slash == 0 || (slash == 2 && file[1] == ':');
  return file.substr(0, root ? slash + 1 : slash);
}

// Copies what fits of text into to (n bytes, always ended).
void Copy(char* to, std::size_t n, const char* text) {
  const std::size_t length = strnlen(text, n - 1);
  std::memcpy(to, text, length);
  to[length] = '\0';
}

// The file a clip hands to a tool: its pictures', else its MIDI's, else its
// sound's.
const char* ClipFile(const Film& film) {
  if (film.video != nullptr) return film.video->GetFileName();
  if (film.midi != nullptr) return film.midi->GetFileName();
  if (film.audio != nullptr) return film.audio->GetFileName();
  return nullptr;
}

// The tools a settings file names by another system's programs. Its volume
// control and sound recorder are this program's own mixer and recorder
// windows; its calculator is the first one installed here.
constexpr const char* kForeignVolumeControl = "SndVol32.exe";
constexpr const char* kForeignRecorder = "SndRec32.exe";
constexpr const char* kForeignCalculator = "Calc.exe";
constexpr const char* kCalculators[] = {"gnome-calculator", "kcalc",         "mate-calc",
                                        "galculator",       "qalculate-gtk", "xcalc"};

// Whether the path names that program, in any folder and any case.
bool Names(const char* path, const char* program) {
  const char* slash = std::strrchr(path, '/');
  const char* backslash = std::strrchr(path, '\\');
  const char* name = std::max(slash, backslash);
  return strcasecmp(name != nullptr ? name + 1 : path, program) == 0;
}

}  // namespace

void MainTimeLineWindow::MapForeignTools() {
  for (TimeLineSettings::Tool& tool : settings_.tools) {
    if (!Names(tool.path, kForeignCalculator)) continue;
    std::string found;
    for (const char* calculator : kCalculators) {
      found = FindProgram(calculator);
      if (!found.empty()) break;
    }
    // None installed: the tool is left empty and its item goes.
    Copy(tool.path, MAX_PATH, found.c_str());
  }
}

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ToolEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = [] {
    std::vector<TResponseTableEntry> e;
    for (int id = kCmVolumeControl; id <= kLastTool; ++id) {
      e.push_back(EV_COMMAND_AND_ID(static_cast<UINT>(id), CmTool));
      e.push_back(EV_COMMAND_ENABLE(static_cast<UINT>(id), CeTool));
    }
    e.push_back(EV_COMMAND(kCmConfigureTools, CmConfigureTools));
    return e;
  }();
  return entries;
}

char* MainTimeLineWindow::ToolPath(int commandId) {
  TimeLineSettings& s = settings_;
  switch (commandId) {
    case kCmVolumeControl:
      return s.mixer;
    case kCmAudioEditor:
      return s.audioEditor;
    case kCmMidiEditor:
      return s.midiEditor;
    case kCmVideoEditor:
      return s.videoEditor;
    default:
      if (commandId >= kCmTool1 && commandId <= kLastTool) return s.tools[commandId - kCmTool1].path;
      return nullptr;
  }
}

const char* MainTimeLineWindow::ToolPath(int commandId) const {
  return const_cast<MainTimeLineWindow*>(this)->ToolPath(commandId);
}

bool MainTimeLineWindow::IsToolConfigured(int commandId) const {
  const char* path = ToolPath(commandId);
  return !engine_.playing && path != nullptr && path[0] != '\0';
}

void MainTimeLineWindow::CmTool(WPARAM id) {
  LaunchTool(static_cast<int>(id), nullptr);
}

void MainTimeLineWindow::CeTool(TCommandEnabler& ce) {
  ce.Enable(IsToolConfigured(static_cast<int>(ce.GetId())));
}

void MainTimeLineWindow::LaunchTool(int commandId, const char* file) {
  const char* path = ToolPath(commandId);
  if (path == nullptr) return;
  if (Names(path, kForeignRecorder)) {
    CmRecordAudio();
    return;
  }
  // Without a volume-control server the start fails and says so below.
  if (Names(path, kForeignVolumeControl) && TheMixerServer != nullptr) {
    CmShowMixer();
    return;
  }
  std::string name = file != nullptr ? file : "";
  if (name.empty()) {
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (f->group == 0) continue;
      if (const char* clipFile = ClipFile(*f)) name = clipFile;
      break;
    }
  }
  const bool takesFile = commandId != kCmVolumeControl &&
                         (commandId < kCmTool1 || settings_.tools[commandId - kCmTool1].addClip);
  if (!takesFile) name.clear();
  if (path[0] == '\0') {
    ReacquireFiles(HWindow, true);
    return;
  }
  CurrentCommandHost().ForceAutoSave();

  // Built to any length: long paths go whole.
  std::string line = "\"" + std::string(path) + "\"";
  std::string folder;
  if (!name.empty()) {
    line += " " + Argument(name);
    folder = FolderOf(name);
    ReleaseFileForTool(HWindow, name.c_str());
    ReleaseSharedDecompressor();
  }
  std::vector<char> text(line.begin(), line.end());
  text.push_back('\0');
  STARTUPINFO startup;
  PROCESS_INFORMATION process;
  if (!CreateProcess(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    ReacquireFiles(HWindow, true);
    ShowMessage(HWindow, GetString(ui_string::kLaunchExternal), MB_OK | MB_ICONHAND,
                GetString(ui_string::kCannotLaunch), line);
    return;
  }
  // The tool runs on its own; the program does not wait for it.
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

void MainTimeLineWindow::CmConfigureTools() {
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kConfigureTools));
    return;
  }
  TimeLineSettings& s = settings_;
  // The dialog edits one block: the four base tools, then the free ones.
  char* base[kToolBaseCount] = {s.mixer, s.videoEditor, s.midiEditor, s.audioEditor};
  char basePaths[kToolBaseCount][MAX_PATH];
  char paths[kToolCount][MAX_PATH];
  char names[kToolCount][kToolNameSize];
  bool clip[kToolCount];
  for (int i = 0; i < kToolBaseCount; ++i) Copy(basePaths[i], MAX_PATH, base[i]);
  for (int i = 0; i < kToolCount; ++i) {
    Copy(paths[i], MAX_PATH, s.tools[i].path);
    Copy(names[i], kToolNameSize, s.tools[i].name);
    clip[i] = s.tools[i].addClip;
  }
  if (RunToolConfigureDialog(HWindow, basePaths, paths, names, clip)) {
    for (int i = 0; i < kToolBaseCount; ++i) Copy(base[i], MAX_PATH, basePaths[i]);
    for (int i = 0; i < kToolCount; ++i) {
      Copy(s.tools[i].path, MAX_PATH, paths[i]);
      Copy(s.tools[i].name, kToolNameSize, names[i]);
      s.tools[i].addClip = clip[i];
    }
  }
  RebuildToolsMenu();
}

// The configured free tools in the order 1 to 5 after the fixed items; a
// tool without a path has no item, one without a name an empty label.
void MainTimeLineWindow::RebuildToolsMenu() {
  HWND frame = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  HMENU bar = frame != nullptr && frame != HWindow ? ::GetMenu(frame) : nullptr;
  HMENU tools = bar != nullptr ? GetSubMenu(bar, kToolsMenuPosition) : nullptr;
  if (tools == nullptr) return;
  for (int id = kCmTool1; id <= kLastTool; ++id) DeleteMenu(tools, static_cast<UINT>(id), MF_BYCOMMAND);
  for (int i = kToolCount - 1; i >= 0; --i) {
    const TimeLineSettings::Tool& tool = settings_.tools[i];
    if (tool.path[0] == '\0') continue;
    InsertMenu(tools, kFirstFreeToolItem, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(kCmTool1 + i),
               tool.name);
  }
}
