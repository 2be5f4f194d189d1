// The program started from the command line: exports that write their file
// and end, and a playback that plays and ends, all unattended.
#include <fstream>

#include "program_fixture.h"

#include "platform/core/paths.h"

namespace apptest {
namespace {

class CommandLineRun : public ProgramTest {
 protected:
  // A project holding the tone (and the picture, when ffmpeg is here).
  std::string Project(bool withVideo) {
    WriteTone(File("tone.wav"), withVideo ? 2000 : 3000);
    std::vector<std::string> media = {File("tone.wav")};
    if (withVideo) {
      EXPECT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -t 2 -c:v mjpeg -q:v 5 '" +
                      File("picture.avi") + "'"));
      media.insert(media.begin(), File("picture.avi"));
    }
    Start();
    MakeProject(File("p.tml"), media);
    Stop();
    // A run that ended abnormally left its autosave: an unattended start
    // must not ask about it.
    std::ofstream(PathJoin(SoundFolder(), "autosave.tml")) << "left over";
    return File("p.tml");
  }
  int Kobrix(const std::string& args, std::string* output = nullptr, const std::string& environment = "") {
    std::string text;
    const bool ok =
        Shell(ChildEnvironment() + environment + " timeout 60 '" KOBRIX_PROGRAM "' " + args + " 2>&1", &text);
    if (output != nullptr) *output = text;
    return ok ? 0 : 1;
  }
};

TEST_F(CommandLineRun, WaveExportWritesTheProjectsSound) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string project = Project(false);
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /wave '" + File("out.wav") + "'", &log), 0) << log;
  std::string info;
  ASSERT_TRUE(Shell("sox --i -r '" + File("out.wav") + "'", &info)) << log;
  EXPECT_EQ(std::stoi(info), 44100);
  ASSERT_TRUE(Shell("sox --i -s '" + File("out.wav") + "'", &info));
  EXPECT_EQ(std::stol(info), 3 * 44100);
  // The tone comes out as it went in.
  ASSERT_TRUE(Shell("sox -m -v 1 '" + File("out.wav") + "' -v -1 '" + File("tone.wav") + "' -n stat 2>&1 | "
                  "grep 'Maximum amplitude' | awk '{print $3}'",
                  &info));
  EXPECT_LT(std::stod(info), 0.001);
}

TEST_F(CommandLineRun, AviExportWritesEveryFrame) {
  if (!HaveTool("ffmpeg") || !HaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string project = Project(true);
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /avi '" + File("out.avi") + "'", &log), 0) << log;
  std::string frames;
  ASSERT_TRUE(Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames,r_frame_rate "
                  "-of csv=p=0 '" + File("out.avi") + "'",
                  &frames))
      << log;
  EXPECT_NE(frames.find("25/1"), std::string::npos) << frames;
  // Two seconds of picture with the tone under it.
  EXPECT_NE(frames.find(",50"), std::string::npos) << frames;
  std::string sound;
  ASSERT_TRUE(Shell("ffmpeg -v error -i '" + File("out.avi") + "' -map 0:a -f s16le - | wc -c", &sound));
  EXPECT_EQ(std::stol(sound), 2 * 44100 * 4) << sound;
}

TEST_F(CommandLineRun, PlayPlaysTheProjectAndEnds) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string project = Project(false);
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /play", &log, "KOBRIX_AUDIO_RECORD='" + File("played.wav") + "'"), 0) << log;
  // What the device played holds the tone from its start.
  ASSERT_TRUE(Shell("sox '" + File("played.wav") + "' '" + File("head.wav") + "' trim 0 2.9", &log)) << log;
  ASSERT_TRUE(Shell("sox '" + File("tone.wav") + "' '" + File("tonehead.wav") + "' trim 0 2.9", &log)) << log;
  std::string peak;
  ASSERT_TRUE(Shell("sox -m -v 1 '" + File("head.wav") + "' -v -1 '" + File("tonehead.wav") +
                    "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                    &peak));
  EXPECT_LT(std::stod(peak), 0.001);
}

}  // namespace
}  // namespace apptest
