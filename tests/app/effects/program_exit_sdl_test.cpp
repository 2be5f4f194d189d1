// The program in a real window (the sdl back-end on the X server that the
// test runs under) quits with Ctrl+Q after opening a project with effects on
// a clip, a line and the master, ends with status 0 and writes the settings
// of the objects it deletes at its end. Skipped without a display or
// xdotool.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "effects_project.h"
#include "model/ini.h"
#include "support/ini_text.h"

namespace apptest {
namespace {

class ProgramExitSdl : public EffectsProgramTest {};

TEST_F(ProgramExitSdl, CtrlQAfterAProjectWithEffectsEndsWithStatusZero) {
  const char* gui = std::getenv("KOBRIX_GUI");
  if (gui == nullptr || std::strcmp(gui, "sdl") != 0 || std::getenv("DISPLAY") == nullptr ||
      !HaveTool("xdotool"))
    GTEST_SKIP() << "needs the sdl back-end on a display, and xdotool";
  WriteTone(File("tone.wav"), 1000);
  const std::string project =
      Project(File("tone.wav"), GainList(0.5f), EchoList(250, 0.3f, 0.5f), GainList(2.0f));
  // Waits for the frame, quits with Ctrl+Q, answers No to any question, and
  // gives the program's status (90: no window, 91: still running).
  std::ofstream(File("quit.sh"))
      << "'" KOBRIX_PROGRAM "' '" << project << "' & pid=$!\n"
      << "w=$(timeout 60 xdotool search --sync --name 'Velmora AV Studio' | head -1)\n"
      << "[ -n \"$w\" ] || { kill $pid; exit 90; }\n"
      << "xdotool windowactivate --sync \"$w\" 2>/dev/null || xdotool windowfocus --sync \"$w\"\n"
      << "xdotool key --clearmodifiers ctrl+q\n"
      << "for i in $(seq 1 120); do kill -0 $pid 2>/dev/null || break; sleep 0.25\n"
      << "  [ $((i % 8)) -eq 0 ] && xdotool key n; done\n"
      << "kill -0 $pid 2>/dev/null && { kill $pid; exit 91; }\n"
      << "wait $pid\n";
  // With no settings file at its start, what the file holds afterwards is
  // what the program wrote.
  const std::string ini = home_->File(kIniFileName);
  std::remove(ini.c_str());
  std::string log;
  ASSERT_TRUE(Shell(
      ChildEnvironment() + "KOBRIX_GUI=sdl sh '" + File("quit.sh") + "' 2>&1; echo \"status=$?\"", &log));
  EXPECT_NE(log.find("status=0"), std::string::npos) << log;
  // The tape deck and the meters write their sections when they are deleted.
  auto sections = ParseIni(ReadFile(ini));
  EXPECT_EQ(sections["VTR"].count("TYPE"), 1u) << ReadFile(ini);
  EXPECT_EQ(sections["VTR"].count("PORT"), 1u);
  EXPECT_EQ(sections["AUDIO_METER"].count("MAX_PICK_DB"), 1u) << ReadFile(ini);
  EXPECT_EQ(sections["AUDIO_METER"].count("PEAK_HOLD"), 1u);
}

}  // namespace
}  // namespace apptest
