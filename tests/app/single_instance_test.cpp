// One instance at a time: a second start hands over to the first and ends
// without touching the settings.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/owl_main.h"
#include "program_fixture.h"

namespace apptest {
namespace {

class SingleInstance : public ProgramTest {
 protected:
  // Starts kobrix (headless, no project) and waits until it holds the lock.
  pid_t StartFirst() {
    const pid_t child = fork();
    if (child == 0) {
      setenv("KOBRIX_GUI", "headless", 1);
      setenv("KOBRIX_AUDIO", "virtual", 1);
      execl(KOBRIX_PROGRAM, KOBRIX_PROGRAM, static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 500 && TakeInstanceLock(); ++i) {
      ReleaseInstanceLock();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return child;
  }
  void StopFirst(pid_t child) {
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
  }
};

TEST_F(SingleInstance, TheLockIsHeldByOneProcess) {
  EXPECT_FALSE(RaiseOtherInstance());
  ASSERT_TRUE(TakeInstanceLock());
  ReleaseInstanceLock();

  const pid_t first = StartFirst();
  EXPECT_FALSE(TakeInstanceLock()) << "the first instance holds the lock";
  StopFirst(first);
  EXPECT_TRUE(TakeInstanceLock()) << "the lock goes with the process";
  ReleaseInstanceLock();
}

TEST_F(SingleInstance, ASecondStartEndsAtOnceWithoutTouchingTheSettings) {
  const pid_t first = StartFirst();
  // The first one's frame is found among the other instances' windows and
  // answers the request to come to the front.
  bool found = false;
  for (int i = 0; i < 300 && !(found = RaiseOtherInstance()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(found);
  const std::string ini = home_->File("KOBRIX30.INI");
  const bool hadIni = std::filesystem::exists(ini);
  const std::string before = hadIni ? ReadFile(ini) : std::string();

  std::string log;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(Shell(ChildEnvironment() + "timeout 20 '" KOBRIX_PROGRAM "' '" + File("p.tml") + "' /play", &log))
      << log;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(std::filesystem::exists(ini), hadIni);
  if (hadIni) EXPECT_EQ(ReadFile(ini), before);
  StopFirst(first);
}

}  // namespace
}  // namespace apptest
