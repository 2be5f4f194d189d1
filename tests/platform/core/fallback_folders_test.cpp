// The private folders that stand in for an unusable state or runtime
// folder: a run takes the one an earlier run left (so what that run left to
// restore is found again), never one reached through a link or open to
// others, and removes its own at exit when it holds nothing.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/locations.h"
#include "support/test_env.h"

namespace {

struct RunFolders {
  std::string state;
  std::string runtime;
};

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

class FallbackFolders : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    root_ = folder_.path();
    tmp_ = root_ + "/tmp";
    ASSERT_EQ(mkdir(tmp_.c_str(), 0700), 0);
    // The usual folders are files, so neither can be used.
    ASSERT_EQ(mkdir((root_ + "/state").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((root_ + "/run").c_str(), 0700), 0);
    std::ofstream(root_ + "/state/kobrix") << "in the way";
    std::ofstream(root_ + "/run/kobrix") << "in the way";
  }

  // One run of the program as a process of its own: it asks for both
  // folders, does what it is given there, and ends as the program does.
  RunFolders Run(const std::function<void(const RunFolders&)>& during = nullptr) {
    ScopedEnv tmpdir("TMPDIR", tmp_.c_str());
    ScopedEnv state("XDG_STATE_HOME", (root_ + "/state").c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", (root_ + "/run").c_str());
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
      close(pipe_fds[0]);
      const RunFolders folders{StateFolder(), RuntimeFolder()};
      if (during) during(folders);
      const std::string text = folders.state + "\n" + folders.runtime + "\n";
      const bool written = write(pipe_fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
      close(pipe_fds[1]);
      RemoveEmptyFallbackFolders();
      _exit(written ? 0 : 1);
    }
    close(pipe_fds[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    close(pipe_fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::size_t line = text.find('\n');
    if (line == std::string::npos) return {};
    return {text.substr(0, line), text.substr(line + 1, text.size() - line - 2)};
  }

  // The entries of TMPDIR whose name begins with prefix.
  std::vector<std::string> InTmp(const std::string& prefix) const {
    std::vector<std::string> found;
    DIR* folder = opendir(tmp_.c_str());
    if (folder == nullptr) return found;
    while (const dirent* entry = readdir(folder))
      if (std::string(entry->d_name).rfind(prefix, 0) == 0) found.push_back(tmp_ + "/" + entry->d_name);
    closedir(folder);
    return found;
  }

  std::string Uid() const { return std::to_string(getuid()); }

  TestFolder folder_{"fallback-folders"};
  std::string root_;
  std::string tmp_;
};

TEST_F(FallbackFolders, ARunTakesTheFoldersAnEarlierRunLeft) {
  const auto leave = [](const RunFolders& f) {
    std::ofstream(f.state + "/autosave.tml") << "the edit";
    std::ofstream(f.runtime + "/KobrixGlobalLockEvent.lock");
  };
  const RunFolders first = Run(leave);
  EXPECT_EQ(first.state.rfind(tmp_ + "/kobrix-state-" + Uid() + "-", 0), 0u) << first.state;
  EXPECT_EQ(first.runtime.rfind(tmp_ + "/kobrix-run-" + Uid() + "-", 0), 0u) << first.runtime;

  const RunFolders second = Run();
  EXPECT_EQ(second.state, first.state);
  EXPECT_EQ(second.runtime, first.runtime);
  // What the first run left is there for the second to restore.
  std::ifstream autosave(second.state + "/autosave.tml");
  std::string text;
  std::getline(autosave, text);
  EXPECT_EQ(text, "the edit");
  EXPECT_EQ(InTmp("kobrix-state-").size(), 1u);
  EXPECT_EQ(InTmp("kobrix-run-").size(), 1u);

  // Once nothing is left in them, the run that ends takes them away.
  Run([](const RunFolders& f) {
    std::remove((f.state + "/autosave.tml").c_str());
    std::remove((f.runtime + "/KobrixGlobalLockEvent.lock").c_str());
  });
  EXPECT_TRUE(InTmp("kobrix-state-").empty());
  EXPECT_TRUE(InTmp("kobrix-run-").empty());
}

TEST_F(FallbackFolders, AnEmptyFolderIsRemovedAtTheEnd) {
  const RunFolders run = Run();
  EXPECT_FALSE(run.state.empty());
  EXPECT_FALSE(Exists(run.state));
  EXPECT_FALSE(Exists(run.runtime));
  EXPECT_TRUE(InTmp("kobrix-").empty());
}

// What sits under a fallback folder's name but is not one of the user's own
// private folders is passed over for a new folder, and left as it was.
TEST_F(FallbackFolders, APlantedFolderIsNotTaken) {
  const std::string elsewhere = root_ + "/elsewhere";
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
  std::ofstream(elsewhere + "/autosave.tml") << "not to be touched";
  struct Case {
    const char* what;
    std::function<void(const std::string&)> plant;
  };
  const std::vector<Case> cases = {
      {"a link to a private folder", [&](const std::string& p) { ASSERT_EQ(symlink(elsewhere.c_str(), p.c_str()), 0); }},
      {"a folder open to the group", [](const std::string& p) {
         ASSERT_EQ(mkdir(p.c_str(), 0700), 0);
         ASSERT_EQ(chmod(p.c_str(), 0750), 0);
       }},
      {"a folder open to everybody", [](const std::string& p) {
         ASSERT_EQ(mkdir(p.c_str(), 0700), 0);
         ASSERT_EQ(chmod(p.c_str(), 01777), 0);
       }},
      {"a file", [](const std::string& p) { std::ofstream(p) << "a file"; }},
      // Root can give a folder away; others cannot make one of another user.
      {"another user's folder", [](const std::string& p) {
         ASSERT_EQ(mkdir(p.c_str(), 0700), 0);
         ASSERT_EQ(chown(p.c_str(), 65534, 65534), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (std::string(c.what) == "another user's folder" && getuid() != 0) continue;
    for (const std::string& kind : {"kobrix-state-", "kobrix-run-"}) {
      const std::string planted = tmp_ + "/" + kind + Uid() + "-plant0";
      c.plant(planted);
      struct stat before;
      ASSERT_EQ(lstat(planted.c_str(), &before), 0);
      const RunFolders run = Run([](const RunFolders& f) {
        // Kept, so that the folder it took can be looked at.
        std::ofstream(f.state + "/kept");
        std::ofstream(f.runtime + "/kept");
      });
      const std::string& taken = kind == std::string("kobrix-state-") ? run.state : run.runtime;
      EXPECT_NE(taken, planted);
      EXPECT_EQ(taken.rfind(tmp_ + "/" + kind + Uid() + "-", 0), 0u) << taken;
      struct stat info;
      ASSERT_EQ(lstat(taken.c_str(), &info), 0);
      EXPECT_TRUE(S_ISDIR(info.st_mode));
      EXPECT_EQ(info.st_uid, getuid());
      EXPECT_EQ(info.st_mode & 07777, 0700u);
      // The plant is as it was, and nothing was written through it.
      struct stat after;
      ASSERT_EQ(lstat(planted.c_str(), &after), 0);
      EXPECT_EQ(after.st_ino, before.st_ino);
      EXPECT_EQ(after.st_mode, before.st_mode);
      EXPECT_FALSE(Exists(elsewhere + "/kept"));
      EXPECT_FALSE(Exists(planted + "/kept"));
      // Clean for the next case.
      std::remove((run.state + "/kept").c_str());
      std::remove((run.runtime + "/kept").c_str());
      rmdir(run.state.c_str());
      rmdir(run.runtime.c_str());
      if (S_ISDIR(before.st_mode)) {
        EXPECT_EQ(chown(planted.c_str(), getuid(), getgid()), 0);
        rmdir(planted.c_str());
      } else {
        unlink(planted.c_str());
      }
    }
  }
  std::ifstream kept(elsewhere + "/autosave.tml");
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "not to be touched");
}

}  // namespace
