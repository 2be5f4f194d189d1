// The program's tool window and dialogs on a real display (Xvfb, sdl
// back-end) under a window manager, opened with xdotool as a user would:
// each opens inside the work area and below the frame's menu bar. Skipped
// where there is no display or the tools are missing.
#include <cstdlib>
#include <string>

#include "platform/gui/gui.h"
#include "program_fixture.h"

namespace apptest {
namespace {

class OwnedWindows : public ProgramTest {};

TEST_F(OwnedWindows, OpenBelowTheFramesMenuBarInsideTheWorkArea) {
  const char* display = std::getenv("DISPLAY");
  const char* gui = std::getenv("KOBRIX_GUI");
  if (display == nullptr || *display == '\0' || gui == nullptr || std::string(gui) != "sdl" ||
      !HaveTool("xdotool") || !HaveTool("xprop") || !HaveTool("xwininfo") || !HaveTool("xdpyinfo") ||
      !HaveTool("ffmpeg") || !HaveTool("openbox"))
    GTEST_SKIP() << "runs under xvfb-run on sdl (app_start_up_sdl_xvfb); needs xdotool, x11-utils, ffmpeg, "
                    "openbox";
  const char* shots = std::getenv("KOBRIX_SCREENSHOT_DIR");
  const std::string shot_dir = shots != nullptr && *shots != '\0' ? shots : folder_.path();
  std::string log;
  EXPECT_TRUE(Shell(ChildEnvironment() + " KOBRIX_GUI=sdl sh '" KOBRIX_SOURCE_DIR "/tests/app/owned_windows.sh' '" +
                        std::string(KOBRIX_PROGRAM) + "' " + std::to_string(GetSystemMetrics(SM_CYMENU)) + " '" +
                        shot_dir + "' 2>&1",
                    &log))
      << log;
}

}  // namespace
}  // namespace apptest
