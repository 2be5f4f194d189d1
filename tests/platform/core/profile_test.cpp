#include "platform/core/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/file_bytes.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

// Each test works in a fresh folder that also stands as the settings folder.
class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    folder_ = home_.path();
    path_ = folder_ + "/test.ini";
  }

  void WriteText(const std::string& text) { WriteFileText(path_, text); }
  std::string ReadText() const { return ReadFileText(path_); }
  std::string Get(const char* section, const char* key, const char* def = "<none>") const {
    char buffer[512];
    GetPrivateProfileString(section, key, def, buffer, sizeof buffer, path_.c_str());
    return buffer;
  }
  int GetInt(const char* section, const char* key, int def = -99) const {
    return static_cast<int>(GetPrivateProfileInt(section, key, def, path_.c_str()));
  }

  ScopedSettingsHome home_;
  std::string folder_;
  std::string path_;
};

TEST_F(ProfileTest, WrittenValuesReadBackInAnyLetterCase) {
  ASSERT_TRUE(WritePrivateProfileString("Sound", "Delay", "5", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("MAIN_WINDOW", "FRAME_RATE_FPS", "25", path_.c_str()));
  EXPECT_EQ(GetInt("SOUND", "DELAY"), 5);
  EXPECT_EQ(GetInt("sound", "delay"), 5);
  EXPECT_EQ(Get("main_window", "frame_rate_fps"), "25");
  // Another letter case changes the same key, keeping the file's spelling.
  ASSERT_TRUE(WritePrivateProfileString("SOUND", "delay", "7", path_.c_str()));
  EXPECT_EQ(ReadText(), "[Sound]\r\nDelay=7\r\n\r\n[MAIN_WINDOW]\r\nFRAME_RATE_FPS=25\r\n");
}

TEST_F(ProfileTest, IntegersAndTheirDefaults) {
  WriteText(
      "[N]\nplain=42\nneg=-5\nplus=+7\ntail=12abc\nword=abc\nempty=\nquoted=\"31\"\nwide=4294967295\n"
      "blank=   8   \nsign=-\n");
  struct Case {
    const char* key;
    int value;
  } const cases[] = {{"plain", 42}, {"neg", -5},    {"plus", 7},     {"tail", 12},
                     {"word", -99}, {"empty", -99}, {"quoted", 31},  {"wide", -1},
                     {"blank", 8},  {"sign", -99},  {"missing", -99}};
  for (const Case& c : cases) EXPECT_EQ(GetInt("N", c.key), c.value) << c.key;
  EXPECT_EQ(GetInt("Other", "plain"), -99);
  EXPECT_EQ(GetPrivateProfileInt("N", "plain", 3, (folder_ + "/absent.ini").c_str()), 3u);
}

TEST_F(ProfileTest, StringsAreCutAndCountedAsWindowsDoes) {
  WriteText("[S]\nname = hello world \ndq=\"  x  \"\nsq='y'\nhalf=\"z\nkv=a=b=c\n");
  char buffer[8];
  EXPECT_EQ(GetPrivateProfileString("S", "name", "", buffer, 6, path_.c_str()), 5u);
  EXPECT_STREQ(buffer, "hello");
  EXPECT_EQ(GetPrivateProfileString("S", "name", "", buffer, 1, path_.c_str()), 0u);
  EXPECT_STREQ(buffer, "");
  buffer[0] = '#';
  EXPECT_EQ(GetPrivateProfileString("S", "name", "", buffer, 0, path_.c_str()), 0u);
  EXPECT_EQ(buffer[0], '#');  // size 0 writes nothing

  EXPECT_EQ(Get("S", "name"), "hello world");
  EXPECT_EQ(Get("S", "dq"), "  x  ");
  EXPECT_EQ(Get("S", "sq"), "y");
  EXPECT_EQ(Get("S", "half"), "\"z");
  EXPECT_EQ(Get("S", "kv"), "a=b=c");

  // Missing: the default without its trailing blanks; null means "".
  EXPECT_EQ(GetPrivateProfileString("S", "none", "dflt  ", buffer, sizeof buffer, path_.c_str()), 4u);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(GetPrivateProfileString("S", "none", nullptr, buffer, sizeof buffer, path_.c_str()), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetPrivateProfileString("S", "none", "0123456789", buffer, sizeof buffer, path_.c_str()), 7u);
  EXPECT_STREQ(buffer, "0123456");
}

TEST_F(ProfileTest, ReadsTheLayoutsFoundInTheField) {
  WriteText(
      "orphan=1\r\n"
      "; a comment\r\n"
      "[ FIRST ]\r\n"
      "  key  =  one  \r\n"
      "no equals sign\r\n"
      "key=shadowed\r\n"
      "[broken\r\n"
      "other=2\r\n"
      "\r\n"
      "[First]\r\n"
      "late=3\n"
      "[Last]\n"
      "x=4");
  EXPECT_EQ(Get("first", "key"), "one");
  EXPECT_EQ(Get("FIRST", "other"), "2");      // "[broken" is no header
  EXPECT_EQ(Get("FIRST", "late"), "<none>");  // the first of two equal sections wins
  EXPECT_EQ(Get("Last", "x"), "4");
  EXPECT_EQ(Get("", "orphan"), "<none>");
  EXPECT_EQ(Get("FIRST", "no equals sign"), "<none>");
}

TEST_F(ProfileTest, WritesKeepEverythingElse) {
  WriteText("; settings\n[A]\nx=1\n\n[B]\ny=2\n");
  ASSERT_TRUE(WritePrivateProfileString("A", "z", "3", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("C", "w", "4", path_.c_str()));
  EXPECT_EQ(ReadText(), "; settings\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
  ASSERT_TRUE(WritePrivateProfileString("A", "x", nullptr, path_.c_str()));      // deletes the key
  ASSERT_TRUE(WritePrivateProfileString("b", nullptr, nullptr, path_.c_str()));  // deletes the section
  EXPECT_EQ(ReadText(), "; settings\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");
  ASSERT_TRUE(WritePrivateProfileString("C", "w", "", path_.c_str()));
  EXPECT_EQ(Get("C", "w"), "");
}

TEST_F(ProfileTest, DeletingWhatIsNotThereAndFlushingChangeNothing) {
  const std::string absent = folder_ + "/absent.ini";
  EXPECT_TRUE(WritePrivateProfileString("A", "x", nullptr, absent.c_str()));
  EXPECT_TRUE(WritePrivateProfileString("A", nullptr, nullptr, absent.c_str()));
  EXPECT_TRUE(WritePrivateProfileString(nullptr, nullptr, nullptr, absent.c_str()));
  EXPECT_FALSE(fs::exists(absent));
}

TEST_F(ProfileTest, FlushingAWrittenFileKeepsItAndReportsSuccess) {
  for (int i = 0; i < 50; ++i) {
    const std::string key = "K" + std::to_string(i);
    ASSERT_TRUE(WritePrivateProfileString("Many", key.c_str(), std::to_string(i).c_str(), path_.c_str()));
  }
  EXPECT_TRUE(WritePrivateProfileString(nullptr, nullptr, nullptr, path_.c_str()));
  EXPECT_EQ(Get("many", "k49"), "49");
  // A flush that cannot reach the file says so.
  const std::string blocked = folder_ + "/plain/settings.ini";
  { std::ofstream(folder_ + "/plain") << "a file, not a folder"; }
  EXPECT_FALSE(WritePrivateProfileString(nullptr, nullptr, nullptr, blocked.c_str()));
}

TEST_F(ProfileTest, UnchangedValuesAreNotRewritten) {
  ASSERT_TRUE(WritePrivateProfileString("A", "x", "1", path_.c_str()));
  struct stat before {
  }, after{};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  ASSERT_TRUE(WritePrivateProfileString("a", "X", "1", path_.c_str()));
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  ASSERT_TRUE(WritePrivateProfileString("a", "X", "2", path_.c_str()));
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a changed file is a new one, written whole
}

TEST_F(ProfileTest, TextsThatWouldBreakTheFileAreRefused) {
  ASSERT_TRUE(WritePrivateProfileString("A", "x", "1", path_.c_str()));
  const std::string before = ReadText();
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "x", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A", "x", "1\r\n[B]\r\ny=2", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A", "k=v", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A", "k\nv", "1", path_.c_str()));
  // Would read back as a section.
  EXPECT_FALSE(WritePrivateProfileString("A", "[B]", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A", " [B", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A]\n[B", "x", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("", "x", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A", "", "1", path_.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", nullptr));
  EXPECT_EQ(ReadText(), before);
}

TEST_F(ProfileTest, BareNamesLiveInTheSettingsFolder) {
  EXPECT_EQ(ProfilePath("KOBRIX30.INI"), folder_ + "/KOBRIX30.INI");
  EXPECT_EQ(ProfilePath("/etc\\x.ini"), "/etc/x.ini");
  EXPECT_EQ(ProfilePath(nullptr), "");
  ASSERT_TRUE(WritePrivateProfileString("S", "K", "V", "OWN.INI"));
  EXPECT_TRUE(fs::exists(folder_ + "/OWN.INI"));
  char buffer[16];
  GetPrivateProfileString("s", "k", "", buffer, sizeof buffer, "OWN.INI");
  EXPECT_STREQ(buffer, "V");
}

TEST_F(ProfileTest, OversizedOrBinaryFilesAreNeverMisread) {
  // Beyond the size limit: defaults, and writes leave the file alone.
  WriteText("[A]\nx=1\n");
  ASSERT_EQ(truncate(path_.c_str(), 17 * 1024 * 1024), 0);
  EXPECT_EQ(GetInt("A", "x"), -99);
  EXPECT_FALSE(WritePrivateProfileString("A", "x", "2", path_.c_str()));
  EXPECT_EQ(fs::file_size(path_), 17u * 1024 * 1024);

  // Random bytes, NULs included, read without harm.
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    std::string junk(random() % 300, '\0');
    for (char& c : junk) c = "[]=\r\n\"'; aA\0x"[random() % 14];
    WriteText(junk);
    char buffer[32];
    const DWORD n = GetPrivateProfileString("a", "a", "d", buffer, sizeof buffer, path_.c_str());
    ASSERT_LT(n, sizeof buffer);
    ASSERT_EQ(buffer[n], 0);
    GetInt("a", "x");
    WritePrivateProfileString("a", "x", "1", path_.c_str());
    EXPECT_EQ(GetInt("A", "X"), 1) << round;
  }
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
  constexpr int kWriters = 4;
  constexpr int kKeys = 25;
  // Two processes, each with several threads, write keys of their own.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  const char* who = child == 0 ? "child" : "parent";
  std::vector<std::thread> threads;
  for (int t = 0; t < kWriters; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < kKeys; ++k) {
        const std::string key = std::string(who) + std::to_string(t) + "_" + std::to_string(k);
        WritePrivateProfileString("Shared", key.c_str(), std::to_string(k).c_str(), path_.c_str());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  if (child == 0) _exit(0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  for (const char* name : {"child", "parent"}) {
    for (int t = 0; t < kWriters; ++t) {
      for (int k = 0; k < kKeys; ++k) {
        const std::string key = std::string(name) + std::to_string(t) + "_" + std::to_string(k);
        EXPECT_EQ(GetInt("Shared", key.c_str()), k) << key;
      }
    }
  }
}

}  // namespace
