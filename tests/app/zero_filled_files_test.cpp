// A file of zeros where the program reads a sound, a film, a project or a
// collection, whether written out (8 MB) or sparse and huge (64 GB, no
// disk): an unattended export refuses it at its first bytes with the
// program's message, in no more time than a whole short export takes.
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "program_fixture.h"
#include "support/sparse_files.h"

namespace apptest {
namespace {

using Clock = std::chrono::steady_clock;

double ChildrenSeconds() {
  rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class ZeroFilledFiles : public ProgramTest {
 protected:
  // Runs kobrix with args to its end: its status (-1 when it did not end by
  // itself), its standard error, and the processor time and the time it
  // took.
  int Run(const std::string& args, std::string* errors, double* cpu, Clock::duration* took) {
    const double before = ChildrenSeconds();
    const auto start = Clock::now();
    const int status = RunProgram(args, errors);
    *took = Clock::now() - start;
    *cpu = ChildrenSeconds() - before;
    return status;
  }
  // A project of the one source, saved with its collection beside it.
  void MakeProjectOf(const std::string& project, const std::string& source) {
    Start();
    MakeProject(project, {source});
    Stop();
  }
};

TEST_F(ZeroFilledFiles, AreRefusedAtOnceWithTheMessage) {
  if (!HaveTool("sox") || !HaveTool("ffmpeg")) GTEST_SKIP() << "sox and ffmpeg make the sources";
  WriteTone(File("tone.wav"), 500);
  ASSERT_TRUE(Shell("sox '" + File("tone.wav") + "' '" + File("tone.aif") + "'"));
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -t 1 -c:v mjpeg '" + File("v.avi") +
                    "'"));
  MakeProjectOf(File("wav.tml"), File("tone.wav"));
  MakeProjectOf(File("aif.tml"), File("tone.aif"));
  MakeProjectOf(File("avi.tml"), File("v.avi"));
  ASSERT_TRUE(std::filesystem::exists(File("wav.prc")));

  const std::string damaged = "damaged or of a kind the program does not read";
  const std::string wave = " /wave " + Quoted(File("out.wav"));
  // What a start, a short export and an end cost this build on this machine
  // (a sanitizer's build takes seconds).
  double whole = 0;
  {
    std::string errors;
    Clock::duration took{};
    ASSERT_EQ(Run(Quoted(File("wav.tml")) + wave, &errors, &whole, &took), 0) << errors;
  }
  const struct {
    const char* what;
    std::string file;  // made a file of zeros
    std::string args;
    int status;
    std::string says;
  } cases[] = {
      {"a WAVE source", File("tone.wav"), Quoted(File("wav.tml")) + wave, 1, damaged},
      {"an AIFF source", File("tone.aif"), Quoted(File("aif.tml")) + wave, 1, damaged},
      {"an AVI source", File("v.avi"), Quoted(File("avi.tml")) + " /avi " + Quoted(File("out.avi")), 1, damaged},
      {"the project", File("wav.tml"), Quoted(File("wav.tml")) + wave, 1, "invalid format"},
      // The export goes on without the collection.
      {"the collection", File("wav.prc"), Quoted(File("wav.tml")) + wave, 0, "invalid format"},
  };
  for (const auto& c : cases) {
    const std::string kept = File("kept");
    std::filesystem::rename(c.file, kept);
    for (const bool sparse : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (sparse ? ", sparse, 64 GB" : ", 8 MB of zeros"));
      if (sparse) {
        ASSERT_TRUE(WriteSparseFile(c.file, {})) << "no sparse file of 64 GB here";
      } else {
        std::ofstream(c.file, std::ios::binary) << std::string(8 << 20, '\0');
      }
      std::filesystem::remove(File("out.wav"));
      std::filesystem::remove(File("out.avi"));
      std::string errors;
      double cpu = 0;
      Clock::duration took{};
      EXPECT_EQ(Run(c.args, &errors, &cpu, &took), c.status) << errors;
      EXPECT_NE(errors.find(c.file), std::string::npos) << "names the file: " << errors;
      EXPECT_NE(errors.find(c.says), std::string::npos) << "says why: " << errors;
      EXPECT_EQ(std::filesystem::exists(File("out.wav")) || std::filesystem::exists(File("out.avi")), c.status == 0);
      // No more than a whole run, with room for the load: on a virtual
      // machine a busy host stretches one run's processor time too (2.5
      // times seen under the sanitizers), so the room grows with the run.
      // Walking the zeros took seconds (8 MB) or longer than the run is
      // given (64 GB: reading them alone is minutes of the kernel's time).
      EXPECT_LT(cpu, 3 * whole + 1.0) << "seconds of processor time, against " << whole << " for a whole export";
      // A guard against a hang (a wait takes no processor time), generous
      // for a busy machine; the run is ended at 60 s.
      EXPECT_LT(took, std::chrono::seconds(30) + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(whole)))
          << errors;
    }
    std::filesystem::rename(kept, c.file);
  }
}

}  // namespace
}  // namespace apptest
