// The whole program's start on a real display (Xvfb, sdl back-end), driven
// with xdotool: a box raised at start-up takes the keys, a project's
// collection shows its tile at once, and the windows open whole inside the
// work area, at the first start and where the second puts them back.
// Skipped where there is no display or the tools are missing.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "model/ini.h"
#include "program_fixture.h"

namespace apptest {
namespace {

class StartUp : public ProgramTest {
 public:
  using ProgramTest::File;
  using ProgramTest::MakeProject;
  using ProgramTest::Start;
  using ProgramTest::Stop;
  using ProgramTest::ChildEnvironment;
  std::string Folder() const { return folder_.path(); }
};

// A terminal whose other end never answers: the deck on it gives up.
class SilentPort {
 public:
  SilentPort() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      const char* name = ptsname(master_);
      if (name != nullptr) path_ = name;
    }
  }
  ~SilentPort() {
    if (master_ >= 0) close(master_);
  }
  const std::string& path() const { return path_; }

 private:
  int master_ = -1;
  std::string path_;
};

void StartTwice(StartUp& t, const std::string& desktop) {
  const char* display = std::getenv("DISPLAY");
  const char* gui = std::getenv("KOBRIX_GUI");
  if (display == nullptr || *display == '\0' || gui == nullptr || std::string(gui) != "sdl" || !HaveTool("xdotool") ||
      !HaveTool("xprop") || !HaveTool("xwininfo") || !HaveTool("xdpyinfo") || !HaveTool("ffmpeg"))
    GTEST_SKIP() << "runs under xvfb-run on sdl (app_start_up_sdl_xvfb); needs xdotool, x11-utils, ffmpeg";
  if (desktop == "openbox" && !HaveTool("openbox")) GTEST_SKIP() << "needs openbox";
  SilentPort port;
  ASSERT_FALSE(port.path().empty());
  // A clip of a solid orange picture, in the collection of the project.
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i color=c=0xFF8000:size=320x240:rate=25 -t 2 -c:v mjpeg -q:v 3 '" +
                    t.File("orange.avi") + "'"));
  t.Start();
  t.MakeProject(t.File("p.tml"), {t.File("orange.avi")});
  t.Stop();
  IniSetSection("VTR");
  IniWriteInt("TYPE", 2);
  IniWriteString("PORT", port.path().c_str());
  IniFlush();

  const char* shots = std::getenv("KOBRIX_SCREENSHOT_DIR");
  const std::string shot_dir = shots != nullptr && *shots != '\0' ? shots : t.Folder();
  std::string log;
  EXPECT_TRUE(Shell(t.ChildEnvironment() + " KOBRIX_GUI=sdl sh '" KOBRIX_SOURCE_DIR "/tests/app/start_up.sh' " +
                        desktop + " '" KOBRIX_PROGRAM "' '" + t.File("p.tml") + "' '" + port.path() + "' '" +
                        shot_dir + "' 2>&1",
                    &log))
      << log;
}

TEST_F(StartUp, OnABareDisplay) {
  StartTwice(*this, "bare");
}

TEST_F(StartUp, UnderAWindowManager) {
  StartTwice(*this, "openbox");
}

}  // namespace
}  // namespace apptest
