// One instance at a time: a second start hands over to the first and ends
// without touching the settings.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/owl_main.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"
#include "platform/gui/peers.h"
#include "resources/frame_ids.h"
#include "program_fixture.h"

namespace apptest {
namespace {

class SingleInstance : public ProgramTest {
 protected:
  // Steps of 10 ms: a loaded machine (a build beside the tests, a
  // sanitizer build) takes seconds to start the program.
  static constexpr int kWaitSteps = 3000;

  // Starts kobrix (headless, with the file when one is given) and waits
  // until its frame is up, and so its lock taken. (Polling the lock itself
  // would hold it for a moment, and a start meeting it then ends.)
  // errors: a file that takes its standard error.
  pid_t StartFirst(const std::string& file = "", const std::string& errors = "") {
    const pid_t child = fork();
    if (child == 0) {
      if (!errors.empty()) {
        const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) dup2(fd, 2);
      }
      setenv("KOBRIX_GUI", "headless", 1);
      setenv("KOBRIX_AUDIO", "virtual", 1);
      if (file.empty()) {
        execl(KOBRIX_PROGRAM, KOBRIX_PROGRAM, static_cast<char*>(nullptr));
      } else {
        execl(KOBRIX_PROGRAM, KOBRIX_PROGRAM, file.c_str(), static_cast<char*>(nullptr));
      }
      _exit(127);
    }
    started_.push_back(child);
    FirstFrame();
    return child;
  }
  void StopFirst(pid_t child) {
    kill(child, SIGTERM);
    EXPECT_NE(Ended(child), -1) << "the instance did not end on SIGTERM";
  }
  // Waits up to 30 s for the child to end; its status, or -1.
  static int Ended(pid_t child) {
    int status = 0;
    for (int i = 0; i < kWaitSteps; ++i) {
      if (waitpid(child, &status, WNOHANG) == child) return status;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  // The running instance's frame as another instance sees it.
  static HWND FirstFrame() {
    HWND frame = nullptr;
    for (int i = 0; i < kWaitSteps && (frame = FindWindow("KobrixFrameWindow", nullptr)) == nullptr; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return frame;
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
  for (int i = 0; i < kWaitSteps && !(found = RaiseOtherInstance()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(found);
  const std::string ini = home_->File("KOBRIX30.INI");
  const bool hadIni = std::filesystem::exists(ini);
  const std::string before = hadIni ? ReadFile(ini) : std::string();

  std::string log;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(Shell(ChildEnvironment() + "timeout 20 '" KOBRIX_PROGRAM "' '" + File("p.tml") + "' /play", &log))
      << log;
  // A guard against a hang: a second start that stayed would be ended at
  // 20 s; handing over takes a start-up, a busy machine a few seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(std::filesystem::exists(ini), hadIni);
  if (hadIni) {
    EXPECT_EQ(ReadFile(ini), before);
  }
  StopFirst(first);
}

TEST_F(SingleInstance, ALinkPlantedAsTheLockFileIsNotFollowed) {
  const std::string elsewhere = File("made-by-the-lock");
  ASSERT_EQ(symlink(elsewhere.c_str(), (RuntimeFolder() + "/KobrixGlobalLockEvent.lock").c_str()), 0);
  TakeInstanceLock();
  ReleaseInstanceLock();
  EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

// Another instance's request to open a file carries the file as text; a
// number in its place is refused at the boundary, and the instance runs on.
TEST_F(SingleInstance, AnOpenRequestCarryingANumberIsRefusedAndOneCarryingTextOpens) {
  WriteTone(File("tone.wav"), 500);
  const pid_t first = StartFirst();
  const HWND frame = FirstFrame();
  ASSERT_NE(frame, nullptr);
  for (LPARAM number : {LPARAM{0x1234}, LPARAM{-1}, LPARAM{0x7fffdeadbeef}}) {
    EXPECT_EQ(SendMessage(frame, kFrameRequestMessage, kFrameRequestOpenFile, number), 0);
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0) << "the instance ended";
  }
  // The frame's own start-up steps are not another instance's to run.
  EXPECT_EQ(SendMessage(frame, kFrameRequestMessage, kFrameRequestCommandLine, 0), 0);
  EXPECT_EQ(PeerSendText(frame, kFrameRequestMessage, kFrameRequestOpenFile, File("tone.wav").c_str()), 1);
  StopFirst(first);
}

// SIGTERM and SIGINT close the program as a close without questions: even
// with unsaved work it ends by itself, and its socket goes with it. The
// unsaved work stays as the autosave, which the next start offers; a run
// with nothing unsaved leaves no autosave behind.
TEST_F(SingleInstance, TermAndInterruptKeepUnsavedWorkForTheNextStart) {
  WriteTone(File("tone.wav"), 500);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  const std::string project = PathJoin(SoundFolder(), "autosave.tml");
  const std::string collection = PathJoin(SoundFolder(), "autosave.prc");
  const auto endBy = [](pid_t child, int signal) {
    kill(child, signal);
    const int status = Ended(child);
    EXPECT_NE(status, -1) << "still running";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
  };
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    ASSERT_FALSE(std::filesystem::exists(project));
    // Once start-up has run (the caption names the untitled project),
    // another instance's request puts the file onto the time-line: a
    // changed, unsaved project, which no autosave has caught yet.
    const pid_t first = StartFirst();
    const HWND frame = FirstFrame();
    ASSERT_NE(frame, nullptr);
    const auto caption = [frame] {
      char text[512] = {};
      GetWindowText(frame, text, sizeof text);
      return std::string(text);
    };
    for (int i = 0; i < kWaitSteps && caption().find("Untitled") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(PeerSendText(frame, kFrameRequestMessage, kFrameRequestOpenFile, File("tone.wav").c_str()), 1);
    EXPECT_NE(caption().find(" * "), std::string::npos) << caption();
    EXPECT_FALSE(std::filesystem::exists(project));
    const std::string socket = RuntimeFolder() + "/peer-" + std::to_string(first) + ".sock";
    EXPECT_TRUE(std::filesystem::exists(socket));
    endBy(first, signal);
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_NE(ReadFile(project).find(File("tone.wav")), std::string::npos) << "the autosave lacks the clip";
    EXPECT_TRUE(std::filesystem::exists(collection));

    // The next start, with the saved project, offers it (nobody answers
    // here, which is No) and changes nothing: its end leaves no autosave.
    const std::string errors = File("next.txt");
    const pid_t next = StartFirst(File("p.tml"), errors);
    bool offered = false;
    for (int i = 0; i < kWaitSteps && !offered; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      offered = ReadFile(errors).find("Kobrix Starting: Kobrix found autosaved file.") != std::string::npos;
    }
    EXPECT_TRUE(offered) << ReadFile(errors);
    endBy(next, signal);
    EXPECT_FALSE(std::filesystem::exists(project));
    EXPECT_FALSE(std::filesystem::exists(collection));
  }
}

// An export asked of a start beside a running instance is not done, and
// the start says so.
TEST_F(SingleInstance, AnExportBesideARunningInstanceFailsAndSaysSo) {
  const pid_t first = StartFirst();
  ASSERT_NE(FirstFrame(), nullptr);
  std::string log;
  EXPECT_FALSE(Shell(ChildEnvironment() + "timeout 20 '" KOBRIX_PROGRAM "' '" + File("p.tml") + "' /wave '" +
                         File("out.wav") + "' 2>&1",
                     &log));
  EXPECT_NE(log.find("another instance of the program is running"), std::string::npos) << log;
  EXPECT_FALSE(std::filesystem::exists(File("out.wav")));
  StopFirst(first);
}

}  // namespace
}  // namespace apptest
