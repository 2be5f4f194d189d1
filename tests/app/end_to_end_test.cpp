// The whole program on a real display (Xvfb, sdl back-end), driven with
// xdotool: a project of an MJPEG AVI and a tone is opened, played, its sound
// exported from the Export menu, and the program quits. Skipped where there
// is no display or the tools are missing.
#include <cstdlib>
#include <filesystem>

#include "program_fixture.h"

namespace apptest {
namespace {

class EndToEnd : public ProgramTest {};

TEST_F(EndToEnd, OpenPlayExportQuit) {
  const char* display = std::getenv("DISPLAY");
  const char* gui = std::getenv("KOBRIX_GUI");
  if (display == nullptr || *display == '\0' || gui == nullptr || std::string(gui) != "sdl" || !HaveTool("xdotool") || !HaveTool("ffmpeg") || !HaveTool("sox"))
    GTEST_SKIP() << "runs under xvfb-run on sdl (app_end_to_end_sdl_xvfb); needs xdotool, ffmpeg and sox";
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -t 3 -c:v mjpeg -q:v 5 '" +
                    File("clip.avi") + "'"));
  ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 -b 16 '" + File("tone.wav") + "' synth 3 sine 440 vol 0.4"));
  Start();
  MakeProject(File("p.tml"), {File("clip.avi"), File("tone.wav")});
  Stop();

  const char* shots = std::getenv("KOBRIX_SCREENSHOT_DIR");
  const std::string shot = std::string(shots != nullptr && *shots != '\0' ? shots : folder_.path().c_str()) +
                           "/kobrix_project_frame_sdl.png";
  std::string log;
  ASSERT_TRUE(Shell("env KOBRIX_HOME='" + home_->path() + "' XDG_STATE_HOME='" + home_->path() + "/state' TMPDIR='" + temp_.path() + "' XDG_RUNTIME_DIR='" +
                        runtime_.path() + "' KOBRIX_GUI=sdl KOBRIX_AUDIO=virtual KOBRIX_AUDIO_RECORD='" +
                        File("played.wav") + "' sh '" KOBRIX_SOURCE_DIR "/tests/app/end_to_end.sh' '" KOBRIX_PROGRAM
                        "' '" + File("p.tml") + "' '" + File("export.wav") + "' '" + shot + "' 2>&1",
                    &log))
      << log;

  // The export forced an autosave; the normal end took it away.
  EXPECT_FALSE(std::filesystem::exists(SoundFolder() + "/autosave.tml"));

  // The export is the tone over the range.
  std::string peak;
  ASSERT_TRUE(Shell("sox -m -v 1 '" + File("export.wav") + "' -v -1 '" + File("tone.wav") +
                    "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                    &peak));
  EXPECT_LT(std::stod(peak), 0.001);
  std::string samples;
  ASSERT_TRUE(Shell("sox --i -s '" + File("export.wav") + "'", &samples));
  EXPECT_EQ(std::stol(samples), 3 * 44100);

  // What the device played holds the export's samples from its start.
  ASSERT_TRUE(Shell("sox '" + File("played.wav") + "' '" + File("played_head.wav") + "' trim 0 2.9"));
  ASSERT_TRUE(Shell("sox '" + File("export.wav") + "' '" + File("export_head.wav") + "' trim 0 2.9"));
  ASSERT_TRUE(Shell("sox -m -v 1 '" + File("played_head.wav") + "' -v -1 '" + File("export_head.wav") +
                    "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                    &peak));
  EXPECT_LT(std::stod(peak), 0.001);
}

}  // namespace
}  // namespace apptest
