// The whole program on a real display (Xvfb, sdl back-end), driven with
// xdotool: a project of an MJPEG AVI and a tone is opened, played, its sound
// exported from the Export menu, and the program quits. Skipped where there
// is no display or the tools are missing.
#include <cstdlib>
#include <filesystem>

#include "program_fixture.h"

namespace apptest {
namespace {

class EndToEnd : public ProgramTest {
 public:
  using ProgramTest::File;
  using ProgramTest::Start;
  using ProgramTest::Stop;
  using ProgramTest::MakeProject;
  std::string Home() const { return home_->path(); }
  std::string Temp() const { return temp_.path(); }
  std::string Runtime() const { return runtime_.path(); }
  std::string Folder() const { return folder_.path(); }
  using ProgramTest::SoundFolder;
};

// Opens, plays, exports and quits, then starts twice more, on the desktop
// named (the script checks focus, stacking and placement after each step).
void OpenPlayExportQuit(EndToEnd& t, const std::string& desktop) {
  const char* display = std::getenv("DISPLAY");
  const char* gui = std::getenv("KOBRIX_GUI");
  if (display == nullptr || *display == '\0' || gui == nullptr || std::string(gui) != "sdl" || !HaveTool("xdotool") ||
      !HaveTool("xprop") || !HaveTool("xwininfo") || !HaveTool("ffmpeg") || !HaveTool("sox"))
    GTEST_SKIP() << "runs under xvfb-run on sdl (app_end_to_end_sdl_xvfb); needs xdotool, x11-utils, ffmpeg and sox";
  if (desktop == "openbox" && !HaveTool("openbox")) GTEST_SKIP() << "needs openbox";
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -t 3 -c:v mjpeg -q:v 5 '" +
                    t.File("clip.avi") + "'"));
  ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 -b 16 '" + t.File("tone.wav") + "' synth 3 sine 440 vol 0.4"));
  t.Start();
  t.MakeProject(t.File("p.tml"), {t.File("clip.avi"), t.File("tone.wav")});
  t.Stop();

  const char* shots = std::getenv("KOBRIX_SCREENSHOT_DIR");
  const std::string shot_dir = shots != nullptr && *shots != '\0' ? shots : t.Folder();
  std::string log;
  ASSERT_TRUE(Shell("env KOBRIX_HOME='" + t.Home() + "' XDG_STATE_HOME='" + t.Home() + "/state' TMPDIR='" + t.Temp() + "' XDG_RUNTIME_DIR='" + t.Runtime() +
                        "' KOBRIX_GUI=sdl KOBRIX_AUDIO=virtual KOBRIX_AUDIO_RECORD='" + t.File("played.wav") +
                        "' sh '" KOBRIX_SOURCE_DIR "/tests/app/end_to_end.sh' " + desktop + " '" KOBRIX_PROGRAM "' '" +
                        t.File("p.tml") + "' '" + t.File("export.wav") + "' '" + shot_dir + "' 2>&1",
                    &log))
      << log;

  // The export forced an autosave; the normal end took it away.
  EXPECT_FALSE(std::filesystem::exists(t.SoundFolder() + "/autosave.tml"));

  // The export is the tone over the range.
  std::string peak;
  ASSERT_TRUE(Shell("sox -m -v 1 '" + t.File("export.wav") + "' -v -1 '" + t.File("tone.wav") +
                    "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                    &peak));
  EXPECT_LT(std::stod(peak), 0.001);
  std::string samples;
  ASSERT_TRUE(Shell("sox --i -s '" + t.File("export.wav") + "'", &samples));
  EXPECT_EQ(std::stol(samples), 3 * 44100);

  // What the device played holds the export's samples from its start.
  ASSERT_TRUE(Shell("sox '" + t.File("played.wav") + "' '" + t.File("played_head.wav") + "' trim 0 2.9"));
  ASSERT_TRUE(Shell("sox '" + t.File("export.wav") + "' '" + t.File("export_head.wav") + "' trim 0 2.9"));
  ASSERT_TRUE(Shell("sox -m -v 1 '" + t.File("played_head.wav") + "' -v -1 '" + t.File("export_head.wav") +
                    "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                    &peak));
  EXPECT_LT(std::stod(peak), 0.001);
}

TEST_F(EndToEnd, OpenPlayExportQuitOnABareDisplay) {
  OpenPlayExportQuit(*this, "bare");
}

TEST_F(EndToEnd, OpenPlayExportQuitUnderAWindowManager) {
  OpenPlayExportQuit(*this, "openbox");
}

}  // namespace
}  // namespace apptest
