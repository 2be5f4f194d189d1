#include "platform/core/locations.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "support/test_env.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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
    EXPECT_EQ(TempFolder(), root_);
    EXPECT_EQ(MapDefaultLocation("C:\\KOBRIX.TMP"), root_ + "/KOBRIX.TMP");
    EXPECT_EQ(MapDefaultLocation("c:/kobrix.tmp"), root_ + "/KOBRIX.TMP");
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
    struct stat info;
    ASSERT_EQ(stat((root_ + "/run/kobrix").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
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

TEST_F(Locations, ProgramFolderHoldsTheExecutable) {
  std::string program = ProgramPath();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(access(program.c_str(), X_OK), 0);
  EXPECT_EQ(program.rfind(ProgramFolder() + "/", 0), 0u);
  EXPECT_TRUE(IsFolder(ProgramFolder()));
}
