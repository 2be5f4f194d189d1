#include "platform/core/locations.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets (or clears) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int RemoveEntry(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP) {
    rmdir(path);
  } else {
    unlink(path);
  }
  return 0;
}

class Locations : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = TempFolder() + "/locations-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }
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

TEST_F(Locations, ProgramFolderHoldsTheExecutable) {
  std::string program = ProgramPath();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(access(program.c_str(), X_OK), 0);
  EXPECT_EQ(program.rfind(ProgramFolder() + "/", 0), 0u);
  EXPECT_TRUE(IsFolder(ProgramFolder()));
}
