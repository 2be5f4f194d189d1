#include "model/ini.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/core/profile.h"

#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    folder_ = home_.path();
    path_ = folder_ + "/KOBRIX30.INI";
  }
  std::string FileText() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  ScopedSettingsHome home_;
  std::string folder_;
  std::string path_;
};

// Runs body in a child process and returns its exit code: a second instance
// of the program, with its own state, on the same settings file.
template <class F>
int InChild(F body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(IniTest, ReadsBeforeAnySectionUseDefaults) {
  ASSERT_TRUE(WritePrivateProfileString("DEFAULTS", "LEVEL", "17", kIniFileName));
  // A fresh process (the test program started again) has selected no section.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ASSERT_EXIT(
      {
        const int level = IniReadInt("LEVEL", 0);
        std::_Exit(level == 17 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(IniTest, ValuesWrittenByOneInstanceReadBackInAnother) {
  IniSetSection("SOUND");
  ASSERT_TRUE(IniWriteInt("Delay", 120));
  ASSERT_TRUE(IniWriteString("Sound_File", "/tmp/sound.raw"));
  EXPECT_EQ(InChild([] {
              IniSetSection("sound");
              return IniReadInt("DELAY", 0) == 120 &&
                             std::strcmp(IniReadString("sound_file", ""), "/tmp/sound.raw") == 0
                         ? 0
                         : 1;
            }),
            0);
  // And back: the other instance's write is seen here at once, though this
  // one has read the file before.
  EXPECT_EQ(IniReadInt("Delay", 0), 120);
  EXPECT_EQ(InChild([] {
              IniSetSection("SOUND");
              return IniWriteInt("Delay", 240) ? 0 : 1;
            }),
            0);
  EXPECT_EQ(IniReadInt("Delay", 0), 240);
}

TEST_F(IniTest, DefaultsForMissingKeysAndNonNumbers) {
  IniSetSection("TIMELINE");
  EXPECT_EQ(IniReadInt("ZOOM", 7), 7);
  EXPECT_STREQ(IniReadString("NAME", "none"), "none");
  ASSERT_TRUE(IniWriteString("ZOOM", "wide"));
  EXPECT_EQ(IniReadInt("ZOOM", 7), 7);
  IniSetSection("OTHER");
  EXPECT_EQ(IniReadInt("ZOOM", 9), 9);
}

TEST_F(IniTest, NegativeIntegersAreWrittenAsText) {
  IniSetSection("MIXER");
  ASSERT_TRUE(IniWriteInt("PAN", -5));
  EXPECT_NE(FileText().find("PAN=-5\r\n"), std::string::npos);
  EXPECT_EQ(IniReadInt("PAN", 0), -5);
}

TEST_F(IniTest, LongStringsReadAsTheirFirst255Characters) {
  IniSetSection("TOOLS");
  std::string value(300, 'v');
  value[254] = 'L';
  ASSERT_TRUE(IniWriteString("PATH", value.c_str()));
  const std::string read = IniReadString("PATH", "");
  EXPECT_EQ(read.size(), 255u);
  EXPECT_EQ(read.back(), 'L');
  EXPECT_TRUE(IniFlush());
}

// A writer killed at a random moment leaves the file as it was before or
// after a write, never a mix. The value is large so that kills land inside
// writes.
TEST_F(IniTest, KillDuringWriteLeavesOldOrNewFile) {
  const std::string a(200000, 'a');
  const std::string b(200000, 'b');
  IniSetSection("SAVE");
  ASSERT_TRUE(IniWriteString("BIG", a.c_str()));
  ASSERT_TRUE(IniWriteString("AFTER", "1"));
  const std::string oldText = FileText();
  const std::string newText = std::string(oldText).replace(oldText.find(a), a.size(), b);
  ASSERT_NE(oldText, newText);

  for (int round = 0; round < 30; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int i = 0;; ++i) IniWriteString("BIG", (i % 2 ? a : b).c_str());
    }
    const timespec pause{0, 1000000L * (1 + round % 7)};
    nanosleep(&pause, nullptr);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    const std::string text = FileText();
    ASSERT_TRUE(text == oldText || text == newText) << "round " << round << ": " << text.size() << " bytes";
    EXPECT_EQ(IniReadInt("AFTER", 0), 1);
  }
  // What the killed writers left goes at start-up.
  IniRemoveStaleTemporaries();
  for (const auto& entry : fs::directory_iterator(folder_))
    EXPECT_EQ(entry.path().filename().string().rfind(".kobrix-", 0), std::string::npos) << entry.path();
  EXPECT_EQ(FileText().size(), oldText.size());
}

}  // namespace
