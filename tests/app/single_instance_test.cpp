// One instance at a time: a second start hands over to the first and ends
// without touching the settings.
#include <fcntl.h>
#include <poll.h>
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

// An X server of the test's own on a free display, which the test may end
// as a logout ends the user's.
class OwnDisplay {
 public:
  OwnDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    server_ = fork();
    if (server_ == 0) {
      close(fds[0]);
      const int quiet = open("/dev/null", O_WRONLY);
      if (quiet >= 0) {
        dup2(quiet, 1);
        dup2(quiet, 2);
      }
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // The server writes its display's number once it listens; the wait is
    // only a guard against a server that hangs.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (server_ > 0 && poll(&ready, 1, 60000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty() && c == '\n') name_ = ":" + number;
  }
  ~OwnDisplay() { End(); }
  // Empty when the server did not start.
  const std::string& name() const { return name_; }
  void End() {
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
    server_ = -1;
  }

 private:
  pid_t server_ = -1;
  std::string name_;
};

class SingleInstance : public ProgramTest {
 protected:
  // Steps of 10 ms: a loaded machine (a build beside the tests, a
  // sanitizer build) takes seconds to start the program.
  static constexpr int kWaitSteps = 3000;

  // Starts kobrix (headless, with the file when one is given) and waits
  // until its frame is up, and so its lock taken. (Polling the lock itself
  // would hold it for a moment, and a start meeting it then ends.)
  // errors: a file that takes its standard error. display: an X display,
  // on which it runs on the sdl back-end instead.
  pid_t StartFirst(const std::string& file = "", const std::string& errors = "", const std::string& display = "") {
    const pid_t child = fork();
    if (child == 0) {
      if (!errors.empty()) {
        const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) dup2(fd, 2);
      }
      setenv("KOBRIX_GUI", display.empty() ? "headless" : "sdl", 1);
      if (!display.empty()) {
        setenv("DISPLAY", display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        // The desktop libraries SDL loads keep blocks to their end; a leak
        // report of theirs would change the status the test reads.
        setenv("LSAN_OPTIONS", "suppressions=" KOBRIX_SOURCE_DIR "/tests/platform/gui/lsan.supp", 1);
      }
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

  // Once the first instance's start-up has run (the caption names the
  // untitled project), another instance's request puts the file onto its
  // time-line: a changed, unsaved project, which no autosave has caught yet.
  void MakeUnsavedEdit(const std::string& file) {
    const HWND frame = FirstFrame();
    ASSERT_NE(frame, nullptr);
    for (int i = 0; i < kWaitSteps && Caption(frame).find("Untitled") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(PeerSendText(frame, kFrameRequestMessage, kFrameRequestOpenFile, file.c_str()), 1);
    EXPECT_NE(Caption(frame).find(" * "), std::string::npos) << Caption(frame);
    EXPECT_FALSE(std::filesystem::exists(AutosaveProject()));
  }
  std::string AutosaveProject() const { return PathJoin(SoundFolder(), "autosave.tml"); }
  std::string AutosaveCollection() const { return PathJoin(SoundFolder(), "autosave.prc"); }

  // The autosave holds file; the next start, with the saved project p.tml,
  // offers it (nobody answers here, which is No). Its end leaves no
  // autosave: it is closed as another instance closes it, which deletes the
  // declined autosave whenever it lands (a stop signal that lands while the
  // question still waits keeps it).
  void ExpectOfferedAtTheNextStart(const std::string& file) {
    EXPECT_NE(ReadFile(AutosaveProject()).find(file), std::string::npos) << "the autosave lacks the clip";
    EXPECT_TRUE(std::filesystem::exists(AutosaveCollection()));
    const std::string errors = File("next.txt");
    const pid_t next = StartFirst(File("p.tml"), errors);
    bool offered = false;
    for (int i = 0; i < kWaitSteps && !offered; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      offered = ReadFile(errors).find("Kobrix Starting: Kobrix found autosaved file.") != std::string::npos;
    }
    EXPECT_TRUE(offered) << ReadFile(errors);
    const HWND frame = FirstFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(SendMessage(frame, kFrameRequestMessage, kFrameRequestClose, 0), 1);
    const int status = Ended(next);
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(std::filesystem::exists(AutosaveProject()));
    EXPECT_FALSE(std::filesystem::exists(AutosaveCollection()));
  }
  // The frame's caption, as another instance reads it.
  static std::string Caption(HWND frame) {
    char text[512] = {};
    GetWindowText(frame, text, sizeof text);
    return text;
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

// SIGTERM, SIGINT and SIGHUP close the program as a close without
// questions: even with unsaved work it ends by itself, and its socket goes
// with it. The unsaved work stays as the autosave, which the next start
// offers; a run with nothing unsaved leaves no autosave behind.
TEST_F(SingleInstance, TermInterruptAndHangUpKeepUnsavedWorkForTheNextStart) {
  WriteTone(File("tone.wav"), 500);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  const auto endBy = [](pid_t child, int signal) {
    kill(child, signal);
    const int status = Ended(child);
    EXPECT_NE(status, -1) << "still running";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
  };
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const pid_t saved = StartFirst(File("p.tml"));
    const HWND frame = FirstFrame();
    ASSERT_NE(frame, nullptr);
    for (int i = 0; i < kWaitSteps && Caption(frame).find("p.tml") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    endBy(saved, signal);
    EXPECT_FALSE(std::filesystem::exists(AutosaveProject())) << "nothing was unsaved";

    const std::string errors = File("first.txt");
    const pid_t first = StartFirst("", errors);
    MakeUnsavedEdit(File("tone.wav"));
    const std::string socket = RuntimeFolder() + "/peer-" + std::to_string(first) + ".sock";
    EXPECT_TRUE(std::filesystem::exists(socket));
    endBy(first, signal);
    EXPECT_FALSE(std::filesystem::exists(socket));
    SCOPED_TRACE(ReadFile(errors));
    ExpectOfferedAtTheNextStart(File("tone.wav"));
  }
}

// On a display (the sdl back-end, on an X server of the test's own), a
// hang-up and the end of the X server (a logout) each end the program with
// the unsaved work kept as the autosave. Ended the same way while the next
// start's question about it waits, the program keeps it, and autosave
// stays on; the start after that offers it. The server's end leaves the
// program nothing to show: it ends with status 1.
TEST_F(SingleInstance, OnADisplayAHangUpOrTheServersEndKeepsUnsavedWorkForTheNextStart) {
  if (!HaveTool("Xvfb") || !HaveTool("xdotool")) GTEST_SKIP() << "needs Xvfb (xvfb) and xdotool";
  WriteTone(File("tone.wav"), 500);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  for (const bool serverEnds : {false, true}) {
    SCOPED_TRACE(serverEnds ? "the X server ends" : "SIGHUP");
    ASSERT_FALSE(std::filesystem::exists(AutosaveProject()));
    const std::string errors = File("first.txt");
    const auto endOn = [&](OwnDisplay& display, pid_t child) {
      if (serverEnds) {
        display.End();
      } else {
        kill(child, SIGHUP);
      }
      const int status = Ended(child);
      ASSERT_NE(status, -1) << "still running";
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (serverEnds ? 1 : 0)) << status << "\n"
                                                                                    << ReadFile(errors);
    };
    {
      OwnDisplay display;
      ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
      const pid_t first = StartFirst("", errors, display.name());
      MakeUnsavedEdit(File("tone.wav"));
      endOn(display, first);
    }
    const std::string autosaved = ReadFile(AutosaveProject());
    EXPECT_NE(autosaved.find(File("tone.wav")), std::string::npos) << "the autosave lacks the clip";
    {
      OwnDisplay display;
      ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
      const pid_t asking = StartFirst("", errors, display.name());
      bool asked = false;
      for (int i = 0; i < kWaitSteps / 10 && !asked; ++i) {
        asked = Shell("DISPLAY=" + display.name() + " xdotool search --name '^Kobrix Starting$' > /dev/null 2>&1");
        if (!asked) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      ASSERT_TRUE(asked) << "no question about the autosave";
      endOn(display, asking);
    }
    EXPECT_EQ(ReadFile(AutosaveProject()), autosaved);
    EXPECT_EQ(ReadFile(home_->File("KOBRIX30.INI")).find("AUTO_SAVE=0"), std::string::npos) << "autosave went off";
    ExpectOfferedAtTheNextStart(File("tone.wav"));
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
