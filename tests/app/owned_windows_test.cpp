// The program's windows on a real display (Xvfb, sdl back-end), opened with
// xdotool as a user would: the tool window and the dialogs open inside the
// work area and below the frame's menu bar, also the recorder on a bare
// display; every kind of top-level window survives being destroyed from
// outside. Skipped where there is no display or the tools are missing.
#include <cstdlib>
#include <string>

#include "platform/gui/gui.h"
#include "program_fixture.h"

namespace apptest {
namespace {

class OwnedWindows : public ProgramTest {
 protected:
  // Whether the test runs where its entry puts it; the rest skip.
  static bool OnTheDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* gui = std::getenv("KOBRIX_GUI");
    return display != nullptr && *display != '\0' && gui != nullptr && std::string(gui) == "sdl" &&
           HaveTool("xdotool") && HaveTool("xprop") && HaveTool("xwininfo") && HaveTool("xdpyinfo") &&
           HaveTool("ffmpeg") && HaveTool("openbox");
  }
  std::string ShotFolder() const {
    const char* shots = std::getenv("KOBRIX_SCREENSHOT_DIR");
    return shots != nullptr && *shots != '\0' ? shots : folder_.path();
  }
  // Runs a script of tests/app with the program's environment on sdl.
  void RunScript(const std::string& script, const std::string& arguments) {
    std::string log;
    EXPECT_TRUE(Shell(ChildEnvironment() + " KOBRIX_GUI=sdl sh '" KOBRIX_SOURCE_DIR "/tests/app/" + script + "' '" +
                          std::string(KOBRIX_PROGRAM) + "' " + arguments + " 2>&1",
                      &log))
        << log;
  }
  // A project of a video clip and a tone (the Video window opens with it).
  std::string VideoProject() {
    EXPECT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -t 3 -c:v mjpeg -q:v 5 '" +
                      File("clip.avi") + "'"));
    WriteTone(File("tone.wav"), 3000);
    Start();
    MakeProject(File("p.tml"), {File("clip.avi"), File("tone.wav")});
    Stop();
    return File("p.tml");
  }
};

constexpr char kSkip[] =
    "runs under xvfb-run on sdl (app_start_up_sdl_xvfb); needs xdotool, x11-utils, ffmpeg, openbox";

TEST_F(OwnedWindows, OpenBelowTheFramesMenuBarInsideTheWorkArea) {
  if (!OnTheDisplay()) GTEST_SKIP() << kSkip;
  RunScript("owned_windows.sh", std::to_string(GetSystemMetrics(SM_CYMENU)) + " '" + ShotFolder() + "'");
}

// On a bare display, with nobody to place windows but the program, the
// recorder opens below the frame's menu bar, not over it.
TEST_F(OwnedWindows, TheRecorderOnABareDisplayOpensBelowTheFramesMenuBar) {
  if (!OnTheDisplay()) GTEST_SKIP() << kSkip;
  RunScript("recorder_place.sh", std::to_string(GetSystemMetrics(SM_CYMENU)) + " " + Quoted(File("take.wav")) +
                                     " " + Quoted(ShotFolder()));
}

// A window another client destroys is closed as its close box would close
// it; the program draws and answers on, and quits normally at the end.
TEST_F(OwnedWindows, DestroyedFromOutsideTheProgramGoesOn) {
  if (!OnTheDisplay()) GTEST_SKIP() << kSkip;
  const std::string project = VideoProject();
  RunScript("destroyed_windows.sh", Quoted(project) + " " + Quoted(File("take.wav")) + " " + Quoted(ShotFolder()));
}

}  // namespace
}  // namespace apptest
