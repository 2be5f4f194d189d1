#include "platform/core/process.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/locations.h"

#include "support/test_env.h"
#include "support/time_bounds.h"

namespace {

class ProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    dir_ = folder_.path();
  }
  TestFolder folder_{"process-test"};

  std::string Script(const std::string& name, const std::string& body) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
  }

  std::string dir_;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits on a handle through the shared wait lock, as the waiting functions
// do; false on time-out.
bool WaitSignaled(HANDLE handle, std::chrono::milliseconds timeout) {
  Waitable* object = HandleAs<Waitable>(handle);
  if (object == nullptr) return false;
  std::unique_lock<std::mutex> hold(Waitable::WaitLock());
  return Waitable::WaitCondition().wait_for(hold, timeout, [&] { return object->IsSignaled(); });
}

BOOL Launch(const std::string& commandLine, const char* folder, PROCESS_INFORMATION* info) {
  std::string line = commandLine;
  STARTUPINFO startup;
  return CreateProcess(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, info);
}

}  // namespace

TEST(CommandLine, SplitsByTheWindowsQuotingRules) {
  struct Case {
    const char* line;
    std::vector<std::string> argv;
  };
  const Case cases[] = {
      {R"(prog "a b c" d e)", {"prog", "a b c", "d", "e"}},
      {R"(prog "ab\"c" "\\" d)", {"prog", "ab\"c", "\\", "d"}},
      {R"(prog a\\\b d"e f"g h)", {"prog", R"(a\\\b)", "de fg", "h"}},
      {R"(prog a\\\"b c d)", {"prog", R"(a\"b)", "c", "d"}},
      {R"(prog a\\\\"b c" d e)", {"prog", R"(a\\b c)", "d", "e"}},
      {R"(prog a"b"" c d)", {"prog", "ab\" c d"}},
      {R"(prog "a""b")", {"prog", "a\"b"}},
      {R"(prog "" x)", {"prog", "", "x"}},
      {"prog \t x\t\ty  ", {"prog", "x", "y"}},
      {R"(prog "unterminated arg)", {"prog", "unterminated arg"}},
      {R"(prog C:\dir\ "C:\dir\\")", {"prog", R"(C:\dir\)", R"(C:\dir\)"}},
      // The program name knows no escapes.
      {R"("C:\Program Files\Tool\x.exe" -a)", {R"(C:\Program Files\Tool\x.exe)", "-a"}},
      {R"(C:\tools\x.exe\ "a b")", {R"(C:\tools\x.exe\)", "a b"}},
      {R"("/opt/k/QOVTOOL2.EXE" 1A2B "/m/in.avi" "/m/out file.avi")",
       {"/opt/k/QOVTOOL2.EXE", "1A2B", "/m/in.avi", "/m/out file.avi"}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.argv) << c.line;
}

TEST(CommandLine, AQuotedArgumentSplitsBackWhole) {
  for (const std::string arg : {"/m/plain.avi", "/m/with blank.avi", "", R"(/m/a"quote.avi)", R"(/m/end\)",
                                R"(/m/back\"quote)", R"(/m/two\\ "blanks".wav)", "\\", "\""}) {
    const std::string line = "prog " + QuoteArgument(arg) + " next";
    EXPECT_EQ(SplitCommandLine(line), (std::vector<std::string>{"prog", arg, "next"})) << line;
  }
}

TEST_F(ProcessTest, FindsProgramsByTheNameRule) {
  std::string tool = Script("qovtool1", "exit 0");
  EXPECT_EQ(FindProgram(dir_ + "/qovtool1"), tool);
  EXPECT_EQ(FindProgram(dir_ + "\\QOVTOOL1.EXE"), tool);
  EXPECT_EQ(FindProgram(dir_ + "/QOVTOOL1"), "");  // no .EXE: the name as it is
  std::ofstream(dir_ + "/plain") << "data";
  EXPECT_EQ(FindProgram(dir_ + "/plain"), "");  // not executable
  {
    ScopedEnv path("PATH", "/nonexistent:" + dir_);
    EXPECT_EQ(FindProgram("QOVTOOL1.EXE"), tool);
    EXPECT_EQ(FindProgram("qovtool1"), tool);
    EXPECT_EQ(FindProgram("nosuchtool"), "");
  }
}

TEST_F(ProcessTest, RunsWithArgumentsAndWorkingFolder) {
  // The arguments as the program receives them, one per bracket.
  const std::string line =
      R"(sh -c "pwd > where.txt; for a; do printf '[%s]' \"$a\"; done > args.txt; exit 7" sh "a b" "c\"d" "" e\\f)";
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Launch(line, dir_.c_str(), &info)) << GetLastError();
  EXPECT_NE(info.hProcess, nullptr);
  EXPECT_NE(info.hThread, nullptr);
  EXPECT_NE(info.dwProcessId, 0u);
  ASSERT_TRUE(WaitSignaled(info.hProcess, std::chrono::seconds(10)));
  // Signalled with the process; the time is a guard against a hang.
  EXPECT_TRUE(WaitSignaled(info.hThread, std::chrono::seconds(10)));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 7u);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_EQ(ReadWhole(dir_ + "/where.txt"), dir_ + "\n");
  EXPECT_EQ(ReadWhole(dir_ + "/args.txt"), R"([a b][c"d][][e\\f])");
}

TEST_F(ProcessTest, ConverterBesideAProjectRunsByItsWindowsName) {
  Script("qovtool2", "printf '%s|' \"$@\" > \"$(dirname \"$0\")/seen.txt\"; exit 3");
  std::string line = "\"" + dir_ + "\\QOVTOOL2.EXE\" 1F \"" + dir_ + "/in clip.avi\" \"out.avi\"";
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Launch(line, nullptr, &info)) << GetLastError();
  CloseHandle(info.hThread);
  ASSERT_TRUE(WaitSignaled(info.hProcess, std::chrono::seconds(10)));
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 3u);
  CloseHandle(info.hProcess);
  EXPECT_EQ(ReadWhole(dir_ + "/seen.txt"), "1F|" + dir_ + "/in clip.avi|out.avi|");

  // Named apart from its command line, the program is not searched for.
  std::string application = dir_ + "/QOVTOOL2.EXE";
  std::string args = "QOVTOOL2.EXE x";
  STARTUPINFO startup;
  ASSERT_TRUE(CreateProcess(application.c_str(), args.data(), nullptr, nullptr, FALSE, HIGH_PRIORITY_CLASS,
                            nullptr, nullptr, &startup, &info));
  CloseHandle(info.hThread);
  ASSERT_TRUE(WaitSignaled(info.hProcess, std::chrono::seconds(10)));
  CloseHandle(info.hProcess);
  EXPECT_EQ(ReadWhole(dir_ + "/seen.txt"), "x|");
  EXPECT_FALSE(
      CreateProcess("sh", args.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProcessTest, StillActiveUntilTerminated) {
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Launch("sleep 30", nullptr, &info));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_FALSE(WaitSignaled(info.hProcess, std::chrono::milliseconds(20)));
  EXPECT_TRUE(TerminateProcess(info.hProcess, 99));
  ASSERT_TRUE(WaitSignaled(info.hProcess, std::chrono::seconds(10)));
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 99u);
  EXPECT_FALSE(TerminateProcess(info.hProcess, 1));  // ended already
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);

  // A handle closed before the end: the program runs on and is reaped.
  ASSERT_TRUE(Launch("sh -c \"exit 0\"", nullptr, &info));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

TEST_F(ProcessTest, FailuresSayWhy) {
  PROCESS_INFORMATION info;
  EXPECT_FALSE(Launch("no-such-program-here x", nullptr, &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_FALSE(Launch(dir_ + "/missing.exe", nullptr, &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Launch("sh -c \"exit 0\"", (dir_ + "/no-folder").c_str(), &info));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  std::string junk = dir_ + "/junk";
  std::ofstream(junk) << "\x7f"
                         "ELF not really";
  chmod(junk.c_str(), 0755);
  EXPECT_FALSE(Launch(junk, nullptr, &info));
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  EXPECT_FALSE(Launch("", nullptr, &info));
  DWORD code;
  EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
}

TEST_F(ProcessTest, OpensAFileWithItsProgram) {
  std::string file = dir_ + "/clip.avi";
  std::ofstream(file) << "x";
  std::string bin = dir_ + "/bin";
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  std::string empty = dir_ + "/empty";
  ASSERT_EQ(mkdir(empty.c_str(), 0755), 0);

  // No opener installed: a clean failure at once.
  {
    ScopedEnv path("PATH", empty);
    HINSTANCE r = nullptr;
    const auto quickest =
        QuickestOf(3, [] {}, [&] { r = ShellExecute(nullptr, "open", file.c_str(), nullptr, nullptr, 1); });
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(r), SE_ERR_NOASSOC);
    // Nothing waited for: a wait in the call would be in every round, where
    // a busy machine holds back only some.
    EXPECT_LT(quickest, std::chrono::milliseconds(200));
  }

  // An opener that records what it was asked to open.
  std::string record = dir_ + "/opened.txt";
  Script("bin/xdg-open",
         "printf '%s' \"$1\" > \"" + record + ".part\"; mv \"" + record + ".part\" \"" + record + "\"");
  ScopedEnv path("PATH", bin + ":/usr/bin:/bin");
  HINSTANCE r = ShellExecute(nullptr, nullptr, "clip.avi", nullptr, dir_.c_str(), 1);
  EXPECT_GT(reinterpret_cast<std::intptr_t>(r), 32);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (access(record.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < deadline) usleep(2000);
  EXPECT_EQ(ReadWhole(record), file);

  r = ShellExecute(nullptr, "open", (dir_ + "/missing.avi").c_str(), nullptr, nullptr, 1);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(r), SE_ERR_FNF);
  r = ShellExecute(nullptr, "print", file.c_str(), nullptr, nullptr, 1);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(r), SE_ERR_NOASSOC);
}
