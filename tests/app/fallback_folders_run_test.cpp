// The program with neither its usual state folder nor its runtime folder to
// use: its runs share the stand-ins below TMPDIR instead of leaving a new
// pair behind each time.
#include <dirent.h>
#include <unistd.h>

#include <fstream>

#include "program_fixture.h"

namespace apptest {
namespace {

class FallbackFoldersRun : public ProgramTest {
 protected:
  std::vector<std::string> InTmp(const std::string& prefix) const {
    std::vector<std::string> found;
    DIR* folder = opendir(temp_.path().c_str());
    if (folder == nullptr) return found;
    while (const dirent* entry = readdir(folder))
      if (std::string(entry->d_name).rfind(prefix, 0) == 0) found.push_back(entry->d_name);
    closedir(folder);
    return found;
  }
};

TEST_F(FallbackFoldersRun, RunsShareTheStandInsAndLeaveNoneEmpty) {
  WriteTone(File("tone.wav"), 300);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  // Files where the usual folders would be made.
  std::ofstream(File("kobrix")) << "in the way";
  const std::string unusable = "XDG_STATE_HOME='" + folder_.path() + "' XDG_RUNTIME_DIR='" + folder_.path() + "' ";
  const std::string uid = std::to_string(getuid());
  std::vector<std::string> runtime;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    std::string log;
    EXPECT_TRUE(Shell(ChildEnvironment() + unusable + "timeout 60 '" KOBRIX_PROGRAM "' '" + File("p.tml") +
                          "' /wave '" + File("out.wav") + "' 2>&1",
                      &log))
        << log;
    EXPECT_TRUE(std::filesystem::exists(File("out.wav")));
    // The state folder's stand-in held the sound file, gone at the end.
    EXPECT_TRUE(InTmp("kobrix-state-" + uid + "-").empty());
    // The runtime folder's keeps the instance lock, and is the same each run.
    const std::vector<std::string> now = InTmp("kobrix-run-" + uid + "-");
    EXPECT_EQ(now.size(), 1u);
    if (run == 0) runtime = now;
    EXPECT_EQ(now, runtime);
  }
}

}  // namespace
}  // namespace apptest
