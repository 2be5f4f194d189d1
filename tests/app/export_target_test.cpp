// Where an unattended export may not write: over a file the project uses,
// however the target names it, and through a link another user planted.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "support/file_bytes.h"

namespace apptest {
namespace {

class ExportTarget : public ProgramTest {
 protected:
  // A project of the tone, saved with its collection beside it.
  void MakeToneProject() {
    WriteTone(File("tone.wav"), 1000);
    Start();
    MakeProject(File("p.tml"), {File("tone.wav")});
    Stop();
  }
  // The exit status of kobrix with args (-1: it did not end by itself), and
  // what it wrote on its standard error.
  int Status(const std::string& args, std::string* errors, const std::string& environment = "") {
    return RunProgram(args, errors, environment);
  }
};

// The files the project reads are compared with the target as files: a
// link, a path through "..", or a hard link of one of them is refused as
// the file itself is.
TEST_F(ExportTarget, AnExportNeverReplacesAFileTheProjectUsesUnderAnyName) {
  MakeToneProject();
  ASSERT_TRUE(std::filesystem::exists(File("p.prc"))) << "the project has its collection";
  ASSERT_EQ(mkdir(File("sub").c_str(), 0755), 0);
  const struct {
    const char* what;
    std::string used;
    std::string target;
    bool link;  // else a hard link; an empty used: the target as it is
  } cases[] = {
      {"a link to a source", File("tone.wav"), File("la.wav"), true},
      {"a path through '..' to a source", "", File("sub/../tone.wav"), false},
      {"a hard link of a source", File("tone.wav"), File("ha.wav"), false},
      {"a link to the project", File("p.tml"), File("lp.wav"), true},
      {"a hard link of the project", File("p.tml"), File("hp.wav"), false},
      {"a link to the collection", File("p.prc"), File("lc.wav"), true},
      {"a hard link of the collection", File("p.prc"), File("hc.wav"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.used.empty()) {
      if (c.link) {
        ASSERT_EQ(symlink(c.used.c_str(), c.target.c_str()), 0);
      } else {
        ASSERT_EQ(link(c.used.c_str(), c.target.c_str()), 0);
      }
    }
    const std::string file = c.used.empty() ? File("tone.wav") : c.used;
    const std::string before = ReadFile(file);
    std::string errors;
    EXPECT_EQ(Status(Quoted(File("p.tml")) + " /wave " + Quoted(c.target), &errors), 1) << errors;
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_NE(errors.find("no file was written"), std::string::npos) << errors;
  }
}

// Another user plants out.wav -> the victim's file in a folder everyone may
// write (as /tmp): the victim's export does not follow it, and says why.
TEST_F(ExportTarget, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to plant the link as another user";
  if (!HaveTool("setpriv")) GTEST_SKIP() << "setpriv is not installed";
  MakeToneProject();
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  const std::string shared = File("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  const std::string victim = File("notes.txt");
  std::ofstream(victim) << "the victim's notes";
  const std::string link = shared + "/out.wav";
  ASSERT_TRUE(Shell("setpriv --reuid=nobody --regid=nogroup --clear-groups ln -s " + Quoted(victim) + " " +
                    Quoted(link)));
  std::string errors;
  EXPECT_EQ(Status(Quoted(File("p.tml")) + " /wave " + Quoted(link), &errors), 1) << errors;
  EXPECT_EQ(ReadFile(victim), "the victim's notes");
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_NE(errors.find("'" + link + "' is a link made by another user"), std::string::npos) << errors;
}

// A target that is no regular file says so, not that its folder can not be
// written.
TEST_F(ExportTarget, ATargetThatIsNoRegularFileSaysSo) {
  MakeToneProject();
  ASSERT_EQ(mkfifo(File("fifo.wav").c_str(), 0600), 0);
  for (const std::string& target : {std::string("/dev/null"), File("fifo.wav")}) {
    SCOPED_TRACE(target);
    std::string errors;
    EXPECT_EQ(Status(Quoted(File("p.tml")) + " /wave " + Quoted(target), &errors), 1) << errors;
    EXPECT_NE(errors.find("'" + target + "' is "), std::string::npos) << errors;
    EXPECT_NE(errors.find("not a regular file"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("can not be written"), std::string::npos) << errors;
  }
  struct stat info;
  ASSERT_EQ(stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// A link to the standard output (straight to the process's descriptor, or
// through /dev/stdout) with the output a pipe: a WAVE file cannot go down a
// pipe whole (its sizes are written last, at its start), so the export is
// refused with a message naming the link, nothing goes down the pipe, and
// the link stays the link it was.
TEST_F(ExportTarget, ALinkToTheStandardOutputIsNeitherReplacedNorWrittenHalf) {
  MakeToneProject();
  const std::string link = File("o.wav");
  for (const std::string leads : {"/proc/self/fd/1", "/dev/stdout"}) {
    SCOPED_TRACE(leads);
    std::filesystem::remove(link);
    ASSERT_EQ(symlink(leads.c_str(), link.c_str()), 0);
    const std::string err = File("stderr.txt");
    std::FILE* pipe = popen((ChildEnvironment() + " timeout 60 '" KOBRIX_PROGRAM "' " + Quoted(File("p.tml")) +
                             " /wave " + Quoted(link) + " 2>" + Quoted(err))
                                .c_str(),
                            "r");
    ASSERT_NE(pipe, nullptr);
    std::string received;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) received.append(buffer, n);
    const int status = pclose(pipe);
    const std::string errors = ReadFile(err);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << ": " << errors;
    EXPECT_EQ(received.size(), 0u);
    EXPECT_NE(errors.find("'" + link + "' leads to a pipe"), std::string::npos) << errors;
    char text[PATH_MAX] = {};
    ASSERT_GT(readlink(link.c_str(), text, sizeof text - 1), 0) << "the link stays a link";
    EXPECT_EQ(std::string(text), leads);
  }
}

// Every name the file system takes is written: a name of 245 characters in
// a folder whose path keeps the whole within what the command line takes.
TEST_F(ExportTarget, AFileNameOfAnyLengthTheFileSystemTakesIsWritten) {
  MakeToneProject();
  char folder[] = "/tmp/kbXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string name = std::string(241, 'n') + ".wav";
  const std::string target = std::string(folder) + "/" + name;
  ASSERT_LE(target.size(), 259u);
  std::string errors;
  EXPECT_EQ(Status(Quoted(File("p.tml")) + " /wave " + Quoted(target), &errors), 0) << errors;
  EXPECT_EQ(ReadFile(target).substr(0, 4), "RIFF");
  EXPECT_EQ(Entries(folder), std::vector<std::string>{name});
  std::filesystem::remove_all(folder);
}

// Another user's file in a sticky folder can not be renamed over: the
// export says so (run as that user's neighbour when root).
TEST_F(ExportTarget, ARenameRefusedInAStickyFolderSaysWhy) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to run the export as another user";
  if (!HaveTool("setpriv")) GTEST_SKIP() << "setpriv is not installed";
  MakeToneProject();
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  const std::string shared = File("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  // Root's file, open to all, in the shared folder.
  const std::string target = shared + "/out.wav";
  std::ofstream(target) << "root's file";
  ASSERT_EQ(chmod(target.c_str(), 0666), 0);
  // The run as nobody, with folders of its own.
  const std::string own = File("own");
  ASSERT_EQ(mkdir(own.c_str(), 0777), 0);
  ASSERT_EQ(chmod(own.c_str(), 0777), 0);
  ASSERT_EQ(chmod(File("p.tml").c_str(), 0644), 0);
  ASSERT_EQ(chmod(File("p.prc").c_str(), 0644), 0);
  ASSERT_EQ(chmod(File("tone.wav").c_str(), 0644), 0);
  std::string errors;
  Shell("setpriv --reuid=nobody --regid=nogroup --clear-groups env KOBRIX_HOME=" + Quoted(own) +
            " XDG_STATE_HOME=" + Quoted(own) + " TMPDIR=" + Quoted(own) +
            " XDG_RUNTIME_DIR= KOBRIX_GUI=headless KOBRIX_AUDIO=virtual timeout 60 " + Quoted(ProgramForOthers()) +
            " " + Quoted(File("p.tml")) + " /wave " + Quoted(target) + " 2>&1",
        &errors);
  EXPECT_EQ(ReadFile(target), "root's file");
  EXPECT_NE(errors.find("'" + target + "' belongs to another user"), std::string::npos) << errors;
  EXPECT_NE(errors.find("no file was written"), std::string::npos) << errors;
}

// Another user owns a folder on the way to the target, in a sticky folder
// everyone may write, and swaps it, as fast as the system lets them, with a
// link of theirs to the victim's folder. Each export either writes into
// that user's folder or is refused for the link, naming it; none puts a
// file or a temporary into the victim's folder. The program's own export
// runs at least fifty times in this process, then the program itself a few
// times.
TEST_F(ExportTarget, AFolderOnTheWaySwappedForALinkNeverRedirectsTheExport) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to swap the folder as another user";
  constexpr uid_t kNobody = 65534;
  constexpr gid_t kNogroup = 65534;
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  const std::string shared = File("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  const std::string victim = File("victim");
  ASSERT_EQ(mkdir(victim.c_str(), 0755), 0);
  std::ofstream(victim + "/out.wav") << "the victim's export";
  const std::string theirs = shared + "/work";
  const std::string lure = shared + "/lure";
  ASSERT_EQ(mkdir(theirs.c_str(), 0777), 0);
  ASSERT_EQ(chmod(theirs.c_str(), 0777), 0);
  ASSERT_EQ(chown(theirs.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(symlink(victim.c_str(), lure.c_str()), 0);
  ASSERT_EQ(lchown(lure.c_str(), kNobody, kNogroup), 0);
  const std::string target = theirs + "/out.wav";
  const std::string refusal = "'" + theirs + "' is a link made by another user";

  const pid_t swapper = fork();
  ASSERT_GE(swapper, 0);
  if (swapper == 0) {
    // Becomes nobody as setpriv would, with bare system calls: the child of
    // a process with threads.
    if (syscall(SYS_setgroups, 0, nullptr) != 0 || syscall(SYS_setresgid, kNogroup, kNogroup, kNogroup) != 0 ||
        syscall(SYS_setresuid, kNobody, kNobody, kNobody) != 0) {
      _exit(1);
    }
    for (;;) {
      if (renameat2(AT_FDCWD, theirs.c_str(), AT_FDCWD, lure.c_str(), RENAME_EXCHANGE) != 0) _exit(2);
    }
  }
  started_.push_back(swapper);
  int written = 0;
  int refused = 0;
  auto count = [&](bool done, const std::string& errors) {
    if (done) {
      ++written;
    } else if (errors.find(refusal) != std::string::npos) {
      ++refused;
    } else {
      ADD_FAILURE() << "neither written nor refused for the link: " << errors;
    }
  };
  WriteTone(File("tone.wav"), 200);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  // Fifty, and on while fewer than five have met the folder rather than the
  // link: those are the ones a swap after the check could redirect.
  for (int run = 0; run < 500 && (run < 50 || written < 5); ++run) {
    boxes_->shown.clear();
    const bool done = TimeLine().WriteAudio(0, target.c_str());
    count(done, boxes_->shown.empty() ? std::string() : boxes_->shown.back().text);
  }
  Stop();
  for (int run = 0; run < 4; ++run) {
    std::string errors;
    const int status = Status(Quoted(File("p.tml")) + " /wave " + Quoted(target), &errors);
    count(status == 0, status == 0 || status == 1 ? errors : "status " + std::to_string(status));
  }
  int ended = 0;
  ASSERT_EQ(waitpid(swapper, &ended, WNOHANG), 0) << "the swapper stopped: " << WEXITSTATUS(ended);
  kill(swapper, SIGKILL);
  waitpid(swapper, nullptr, 0);

  EXPECT_EQ(Entries(victim), std::vector<std::string>{"out.wav"});
  EXPECT_TRUE(ReadFile(victim + "/out.wav") == "the victim's export") << "the victim's file was replaced";
  // The race was run both ways: exports met the folder and the link.
  EXPECT_GT(written, 0);
  EXPECT_GT(refused, 0);
  // What was written is whole, in the other user's folder, with nothing beside it.
  const std::string folder = std::filesystem::is_symlink(theirs) ? lure : theirs;
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"out.wav"});
  EXPECT_EQ(ReadFile(folder + "/out.wav").substr(0, 4), "RIFF");
}
}  // namespace
}  // namespace apptest
