#include "program_fixture.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/command_line.h"
#include "app/program_seams.h"
#include "audio/audio_player.h"
#include "audio/audio_recorder.h"
#include "audio/effect_list.h"
#include "audio/midi_player.h"
#include "model/film_list.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "resources/timeline_ids.h"
#include "ui/clip_open_dialog.h"
#include "ui/level_control.h"
#include "video/player.h"
#include "video/vtr.h"
#include "video/velmora_messager.h"

extern MidiPlayer* TheMidiPlayer;

namespace apptest {

bool Shell(const std::string& command, std::string* output) {
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  std::string text;
  while (std::size_t n = std::fread(buffer, 1, sizeof(buffer), pipe)) text.append(buffer, n);
  const int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return status == 0;
}

bool HaveTool(const char* tool) {
  return Shell(std::string("command -v ") + tool + " >/dev/null 2>&1");
}

void WriteTone(const std::string& path, int ms, int hz, int rate) {
  const uint32_t frames = static_cast<uint32_t>(static_cast<int64_t>(rate) * ms / 1000);
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i)));
  };
  auto u16 = [&out](uint16_t v) {
    out.put(static_cast<char>(v));
    out.put(static_cast<char>(v >> 8));
  };
  out.write("RIFF", 4);
  u32(36 + frames * 4);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(2);
  u32(static_cast<uint32_t>(rate));
  u32(static_cast<uint32_t>(rate) * 4);
  u16(4);
  u16(16);
  out.write("data", 4);
  u32(frames * 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(std::lround(12000.0 * std::sin(2 * M_PI * hz * i / rate)));
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v));
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void ProgramTest::SetUp() {
  home_ = std::make_unique<ScopedSettingsHome>();
  tmpdir_ = std::make_unique<ScopedEnv>("TMPDIR", temp_.path());
  runtimeEnv_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", runtime_.path());
  boxes_ = std::make_unique<RecordingBoxes>(IDNO);
  RegisterProgramResources();
}

void ProgramTest::Start(int32_t mode, const std::string& startup) {
  CommandLineMode = mode;
  std::snprintf(StartupProjectPath, sizeof(StartupProjectPath), "%s", startup.c_str());
  StartProgramObjects();
  chooser_ = std::make_unique<filetest::ScriptedChooser>();
  app_ = std::make_unique<kobrix32App>();
  TheApp = app_.get();
  app_->InitInstance();
  Pump();
}

void ProgramTest::Pump() {
  for (int i = 0; i < 30; ++i) GuiPumpMessages();
}

void ProgramTest::Stop() {
  if (app_ == nullptr) return;
  if (app_->MainFrame() != nullptr && app_->MainFrame()->GetHandle() != nullptr) {
    TimeLine().Engine().SetModified(false);
    app_->MainFrame()->Destroy();
  }
  Pump();
  TheApp = nullptr;
  app_.reset();
  chooser_.reset();
  EndProgramObjects();
  CommandLineMode = 0;
  StartupProjectPath[0] = '\0';
}

void ProgramTest::TearDown() {
  for (pid_t child : started_) {
    if (waitpid(child, nullptr, WNOHANG) == 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
  }
  started_.clear();
  Stop();
  boxes_.reset();
  // Program-wide settings outlive the program in this process.
  AutoPreview() = false;
  const AudioMeterSettings meters;
  TLevelControl::Settings() = meters;
  TLevelControl::NormalizeLevels(meters.levels);
}

void ProgramTest::MakeProject(const std::string& path, const std::vector<std::string>& media) {
  for (const std::string& m : media) {
    char buffer[MAX_PATH];
    std::snprintf(buffer, sizeof(buffer), "%s", m.c_str());
    TimeLine().AddFile(buffer, 0);
    Pump();
  }
  Frame().SaveProjectFile(path.c_str());
  Pump();
}

HWND ProgramTest::RecordInto(const std::string& take) {
  if (TheAudioRecorder == nullptr) TheAudioRecorder = new TAudioRecorder();
  chooser_->answers.push_back({ChooserResult::kOk, take, 1});
  TimeLine().SendMessage(WM_COMMAND, kCmRecordAudio, 0);
  Pump();
  if (TheAudioRecorder->Dialog() == nullptr) return nullptr;
  HWND recorder = TheAudioRecorder->Dialog()->GetHandle();
  for (int button : {1484, 1484}) {  // prepare, then record
    ::SendMessage(recorder, WM_COMMAND, button, 0);
    Pump();
  }
  return recorder;
}

std::string ProgramTest::ProgramForOthers() {
  if (Shell("setpriv --reuid=nobody --regid=nogroup --clear-groups test -x '" KOBRIX_PROGRAM "'"))
    return KOBRIX_PROGRAM;
  // The program needs nothing beside it for the runs that go through here.
  const std::string copy = File("kobrix");
  std::error_code failed;
  std::filesystem::copy_file(KOBRIX_PROGRAM, copy, std::filesystem::copy_options::overwrite_existing, failed);
  if (failed || chmod(copy.c_str(), 0755) != 0) ADD_FAILURE() << "the program can not be copied to " << copy;
  return copy;
}

int ProgramTest::RunProgram(const std::string& args, std::string* errors, const std::string& environment,
                            int seconds) {
  const std::string err = File("stderr.txt");
  const int status = std::system((ChildEnvironment() + environment + " timeout " + std::to_string(seconds) +
                                  " '" KOBRIX_PROGRAM "' " + args + " 2>" + Quoted(err) + " >/dev/null")
                                     .c_str());
  if (errors != nullptr) *errors = ReadFile(err);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ProgramTest::ChildEnvironment() const {
  return "env KOBRIX_HOME='" + home_->path() + "' XDG_STATE_HOME='" + home_->path() + "/state' TMPDIR='" + temp_.path() + "' XDG_RUNTIME_DIR='" +
         runtime_.path() + "' KOBRIX_GUI=headless KOBRIX_AUDIO=virtual ";
}

}  // namespace apptest
