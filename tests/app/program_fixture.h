// The program as start-up makes it, in this process: the players, the
// program's seams, the application with its project frame around the
// time-line, with settings, temporary and runtime folders of the test's
// own. Message boxes and file choosers answer from scripts. Media files are
// made by the test (a tone, and with ffmpeg an MJPEG AVI with sound).
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "platform/core/locations.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"
#include "ui/file_chooser_script.h"

namespace apptest {

bool HaveTool(const char* tool);
// Runs a shell command; true when it ends with status 0. output: its
// standard output.
bool Shell(const std::string& command, std::string* output = nullptr);
// A 16-bit stereo sine of hz at rate for ms.
void WriteTone(const std::string& path, int ms, int hz = 440, int rate = 44100);
std::string ReadFile(const std::string& path);
// A path in single quotes, for the shell.
inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the application (request 0 included) with the command-line
  // values set first.
  void Start(int32_t mode = 0, const std::string& startup = "");
  // Ends it as WM_CLOSE would, without the questions.
  void Stop();
  void Pump();

  TMainFrame& Frame() { return *app_->MainFrame(); }
  MainTimeLineWindow& TimeLine() { return *app_->TimeLine(); }
  kobrix32App& App() { return *app_; }
  std::string File(const std::string& name) const { return folder_.File(name); }
  // The folder of the temporary sound file (autosave files go there).
  std::string SoundFolder() const { return StateFolder(); }
  // A project of one clip of each file at 0, saved to path.
  void MakeProject(const std::string& path, const std::vector<std::string>& media);
  // Opens the recorder from the time-line's command with take as its file
  // and starts recording (prepare, then record); its dialog, or null.
  HWND RecordInto(const std::string& take);
  // The environment a child kobrix gets: the same folders as the test.
  std::string ChildEnvironment() const;
  // kobrix with args (and environment, "NAME=value " words) to its end, at
  // most seconds: its exit status (-1 when it did not end by itself), and
  // what it wrote on its standard error into errors (when not null).
  int RunProgram(const std::string& args, std::string* errors, const std::string& environment = "",
                 int seconds = 60);
  // The program as another user (nobody) can start it: the build's own, or,
  // when the build lies in a folder closed to others (a checkout in root's
  // own home), a copy in the test's folder, which the test opens to others.
  std::string ProgramForOthers();

  std::unique_ptr<ScopedSettingsHome> home_;
  TestFolder folder_{"kobrix-app"};
  TestFolder temp_{"kobrix-app-tmp"};
  TestFolder runtime_{"kobrix-app-rt"};
  std::unique_ptr<ScopedEnv> tmpdir_;
  std::unique_ptr<ScopedEnv> runtimeEnv_;
  std::unique_ptr<RecordingBoxes> boxes_;
  std::unique_ptr<filetest::ScriptedChooser> chooser_;
  std::unique_ptr<kobrix32App> app_;
  // Child kobrix processes a test started: any still running at the end
  // is killed, or it would hold the test's output open until the time-out.
  std::vector<pid_t> started_;
};

}  // namespace apptest
