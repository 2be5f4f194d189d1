#include "platform/core/locations.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdlib>
#include <functional>
#include <vector>
#include <optional>
#include <string>

#include "support/test_env.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A real folder (no link) of this user's alone.
testing::AssertionResult IsPrivateFolder(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return testing::AssertionFailure() << path << " is missing";
  if (!S_ISDIR(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 07777) != 0700)
    return testing::AssertionFailure() << path << ": mode " << std::oct << info.st_mode << ", owner " << std::dec
                                       << info.st_uid;
  return testing::AssertionSuccess();
}

class Locations : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    root_ = folder_.path();
  }
  TestFolder folder_{"locations-test"};
  std::string root_;
};

}  // namespace

TEST_F(Locations, SettingsFolderFollowsTheEnvironment) {
  {
    ScopedEnv home("KOBRIX_HOME", (root_ + "/kh/").c_str());
    EXPECT_EQ(SettingsFolder(), root_ + "/kh");
    EXPECT_TRUE(IsFolder(root_ + "/kh"));  // created on first use
    char buffer[512];
    UINT length = GetWindowsDirectory(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, length), root_ + "/kh");
    EXPECT_EQ(GetWindowsDirectory(buffer, 3), length + 1);
  }
  {
    ScopedEnv home("KOBRIX_HOME", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", (root_ + "/xdg").c_str());
    EXPECT_EQ(SettingsFolder(), root_ + "/xdg/kobrix");
    EXPECT_TRUE(IsFolder(root_ + "/xdg/kobrix"));
  }
  {
    ScopedEnv home("KOBRIX_HOME", "");
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv user_home("HOME", (root_ + "/home").c_str());
    EXPECT_EQ(SettingsFolder(), root_ + "/home/.config/kobrix");
    EXPECT_TRUE(IsFolder(root_ + "/home/.config/kobrix"));
  }
}

TEST_F(Locations, TemporaryFolders) {
  {
    ScopedEnv tmp("TMPDIR", (root_ + "/").c_str());
    ScopedEnv state("XDG_STATE_HOME", (root_ + "/State").c_str());
    EXPECT_EQ(TempFolder(), root_);
    EXPECT_EQ(MapDefaultLocation("C:\\KOBRIX.TMP"), root_ + "/State/kobrix/KOBRIX.TMP");
    EXPECT_EQ(MapDefaultLocation("c:/kobrix.tmp"), root_ + "/State/kobrix/KOBRIX.TMP");
    // Where earlier versions kept it, in a folder every user shares.
    EXPECT_EQ(MapDefaultLocation(root_ + "/KOBRIX.TMP"), root_ + "/State/kobrix/KOBRIX.TMP");
    EXPECT_EQ(MapDefaultLocation("/tmp/KOBRIX.TMP"), root_ + "/State/kobrix/KOBRIX.TMP");
    EXPECT_EQ(MapDefaultLocation("/home/u/sound.tmp"), "/home/u/sound.tmp");
    EXPECT_EQ(MapDefaultLocation("D:\\KOBRIX.TMP"), "D:\\KOBRIX.TMP");
  }
  {
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(TempFolder(), "/tmp");
  }
  std::string instance = InstanceTempFolder();
  EXPECT_TRUE(IsFolder(instance));
  EXPECT_EQ(InstanceTempFolder(), instance);  // one per instance
  EXPECT_EQ(instance.rfind(TempFolder() + "/kobrix-", 0), 0u);
}

TEST_F(Locations, TheRuntimeFolderIsTheUsersAlone) {
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", (root_ + "/run/").c_str());
    EXPECT_EQ(RuntimeFolder(), root_ + "/run/kobrix");
    EXPECT_TRUE(IsPrivateFolder(root_ + "/run/kobrix"));
  }
  {
    // A relative value breaks the convention and is passed over.
    ScopedEnv runtime("XDG_RUNTIME_DIR", "run");
    ScopedEnv tmp("TMPDIR", root_.c_str());
    const std::string expected = root_ + "/kobrix-" + std::to_string(getuid());
    EXPECT_EQ(RuntimeFolder(), expected);
    EXPECT_TRUE(IsFolder(expected));
  }
}

TEST_F(Locations, TheStateFolderIsPrivateToTheUser) {
  {
    ScopedEnv state("XDG_STATE_HOME", (root_ + "/Mixed/Case").c_str());
    EXPECT_EQ(StateFolder(), root_ + "/Mixed/Case/kobrix");
    EXPECT_TRUE(IsPrivateFolder(root_ + "/Mixed/Case/kobrix"));
  }
  {
    ScopedEnv state("XDG_STATE_HOME", nullptr);
    ScopedEnv home("HOME", (root_ + "/home").c_str());
    EXPECT_EQ(StateFolder(), root_ + "/home/.local/state/kobrix");
  }
}

// Folders planted where the program keeps its private files: each is
// passed over for a fresh folder of the user's alone, which the next call
// finds again.
TEST_F(Locations, APlantedFolderIsNeverUsed) {
  const std::string uid = std::to_string(getuid());
  const std::string elsewhere = root_ + "/elsewhere";
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
  struct Case {
    const char* what;
    std::function<void(const std::string&)> plant;
  };
  const std::vector<Case> cases = {
      {"open to everybody", [](const std::string& p) { mkdir(p.c_str(), 0700), chmod(p.c_str(), 0777); }},
      {"readable by the group", [](const std::string& p) { mkdir(p.c_str(), 0700), chmod(p.c_str(), 0750); }},
      {"a link to a private folder", [&](const std::string& p) { symlink(elsewhere.c_str(), p.c_str()); }},
      {"a file", [](const std::string& p) { close(open(p.c_str(), O_CREAT | O_WRONLY, 0600)); }},
      // Made by another user (root can give it away; others cannot test it).
      {"another user's", [](const std::string& p) {
         mkdir(p.c_str(), 0700);
         if (getuid() == 0) EXPECT_EQ(chown(p.c_str(), 65534, 65534), 0);
       }},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    if (std::string(cases[i].what) == "another user's" && getuid() != 0) continue;
    const std::string tmp = root_ + "/tmp" + std::to_string(i);
    ASSERT_EQ(mkdir(tmp.c_str(), 0777), 0);
    ScopedEnv tmpdir("TMPDIR", tmp.c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const std::string planted = tmp + "/kobrix-" + uid;
    cases[i].plant(planted);
    const std::string folder = RuntimeFolder();
    EXPECT_NE(folder, planted);
    EXPECT_EQ(folder.rfind(tmp + "/", 0), 0u) << folder;
    EXPECT_TRUE(IsPrivateFolder(folder));
    EXPECT_EQ(RuntimeFolder(), folder) << "one folder for the whole run";

    ScopedEnv state("XDG_STATE_HOME", tmp.c_str());
    const std::string plantedState = tmp + "/kobrix";
    cases[i].plant(plantedState);
    struct stat before;
    const bool opened = lstat(plantedState.c_str(), &before) == 0 && S_ISDIR(before.st_mode) &&
                        before.st_uid == getuid();
    const std::string stateFolder = StateFolder();
    // Only a folder of the user's own may be closed and kept.
    if (!opened) EXPECT_NE(stateFolder, plantedState);
    EXPECT_TRUE(IsPrivateFolder(stateFolder));
  }
}

TEST_F(Locations, ProgramFolderHoldsTheExecutable) {
  std::string program = ProgramPath();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(access(program.c_str(), X_OK), 0);
  EXPECT_EQ(program.rfind(ProgramFolder() + "/", 0), 0u);
  EXPECT_TRUE(IsFolder(ProgramFolder()));
}
