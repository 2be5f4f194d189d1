// Nothing waits on a path that is no regular file: a FIFO named as the
// project, its collection, a source, an edit list or in another instance's
// request is refused with a message at once; and SIGTERM ends a run in
// every state a test can bring it to.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/gui/peers.h"
#include "program_fixture.h"
#include "resources/frame_ids.h"
#include "video/velmora_messager.h"

namespace apptest {
namespace {

using Clock = std::chrono::steady_clock;

// A guard against a hang, on the wall clock: a wait on a FIFO takes no
// processor time, so only the wall clock shows it. A refusal is the
// start-up, the message and the end of the program, a few seconds on a busy
// machine; the fault waited for ever (until the run's time-out at 60 s).
constexpr auto kRefusedWithin = std::chrono::seconds(30);
// The same for a refusal inside a running program, which needs no start-up.
constexpr auto kAnsweredWithin = std::chrono::seconds(10);

class NonRegularPaths : public ProgramTest {
 protected:
  // A project of a tone of ms, saved with its collection beside it.
  void MakeToneProject(int ms = 1000) {
    WriteTone(File("tone.wav"), ms);
    Start();
    MakeProject(File("p.tml"), {File("tone.wav")});
    Stop();
  }
  void ReplaceByFifo(const std::string& path) {
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  }
  // Runs kobrix with args to its end (at most 60 s): its status (-1 when it
  // did not end by itself), its standard error and how long it took.
  int Run(const std::string& args, std::string* errors, Clock::duration* took) {
    const auto start = Clock::now();
    const int status = RunProgram(args, errors);
    *took = Clock::now() - start;
    return status;
  }
  // Starts kobrix with args in the background (headless, the test's folders).
  pid_t Launch(const std::vector<std::string>& args) {
    const pid_t child = fork();
    if (child == 0) {
      setenv("KOBRIX_GUI", "headless", 1);
      setenv("KOBRIX_AUDIO", "virtual", 1);
      setenv("KOBRIX_HOME", home_->path().c_str(), 1);
      setenv("XDG_STATE_HOME", (home_->path() + "/state").c_str(), 1);
      std::vector<char*> argv = {const_cast<char*>(KOBRIX_PROGRAM)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(KOBRIX_PROGRAM, argv.data());
      _exit(127);
    }
    started_.push_back(child);
    return child;
  }
  // The running instance's frame, once it is up (at most 30 s).
  static HWND PeerFrame() {
    HWND frame = nullptr;
    const auto limit = Clock::now() + std::chrono::seconds(30);
    while ((frame = FindWindow("KobrixFrameWindow", nullptr)) == nullptr && Clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return frame;
  }
  // Waits up to limit for the child to end: its status, or -1.
  static int Ended(pid_t child, Clock::duration limit) {
    int status = 0;
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      if (waitpid(child, &status, WNOHANG) == child) return status;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  // Whether the running instance comes to the state its messenger reports
  // to another instance as want (within 10 s).
  static bool Reaches(int32_t want) {
    const auto limit = Clock::now() + std::chrono::seconds(10);
    for (;;) {
      const HWND messenger = FindWindow("TVelmoraMessager", nullptr);
      if (messenger != nullptr && SendMessage(messenger, kRemoteRequest, 0, 0) == want) return true;
      if (Clock::now() >= limit) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
};

// An unattended export meeting a FIFO where it reads ends at once and names
// the file and why.
TEST_F(NonRegularPaths, AFifoWhereAnExportReadsIsRefusedAtOnce) {
  MakeToneProject();
  const std::string out = File("out.wav");
  const struct {
    const char* what;
    std::string fifo;
    std::string args;
    bool exported;  // what is left is enough for the file
  } cases[] = {
      {"the project", File("f.tml"), Quoted(File("f.tml")) + " /wave " + Quoted(out), false},
      {"the project's collection", File("p.prc"), Quoted(File("p.tml")) + " /wave " + Quoted(out), true},
      {"a source of the project", File("tone.wav"), Quoted(File("p.tml")) + " /wave " + Quoted(out), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string kept = File("kept");
    if (std::filesystem::exists(c.fifo)) std::filesystem::rename(c.fifo, kept);
    ReplaceByFifo(c.fifo);
    std::filesystem::remove(out);
    std::string errors;
    Clock::duration took;
    const int status = Run(c.args, &errors, &took);
    EXPECT_EQ(status, c.exported ? 0 : 1) << errors;
    EXPECT_LT(took, kRefusedWithin) << errors;
    EXPECT_NE(errors.find(c.fifo), std::string::npos) << "names the file: " << errors;
    EXPECT_NE(errors.find("FIFO"), std::string::npos) << "says why: " << errors;
    EXPECT_EQ(std::filesystem::exists(out), c.exported);
    std::filesystem::remove(c.fifo);
    if (std::filesystem::exists(kept)) std::filesystem::rename(kept, c.fifo);
  }
}

// A missing or a damaged source: the export does not pretend, and says
// which file and what is wrong with it.
TEST_F(NonRegularPaths, AMissingOrDamagedSourceIsNamedWithItsReason) {
  MakeToneProject();
  const std::string tone = File("tone.wav");
  const std::string good = ReadFile(tone);
  const struct {
    const char* what;
    bool present;
    const char* why;
  } cases[] = {
      {"missing", false, "does not exist"},
      {"damaged", true, "damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(tone);
    if (c.present) std::ofstream(tone) << "RIFF this is no sound at all";
    std::string errors;
    Clock::duration took;
    EXPECT_EQ(Run(Quoted(File("p.tml")) + " /wave " + Quoted(File("out.wav")), &errors, &took), 1) << errors;
    EXPECT_NE(errors.find(tone), std::string::npos) << errors;
    EXPECT_NE(errors.find(c.why), std::string::npos) << errors;
    EXPECT_NE(errors.find("no file was written"), std::string::npos) << errors;
  }
  std::ofstream(tone, std::ios::binary) << good;
}

// The edit list import reads no FIFO: it says so and returns.
TEST_F(NonRegularPaths, AnEditListThatIsAFifoIsRefused) {
  ReplaceByFifo(File("list.edl"));
  Start();
  boxes_->shown.clear();
  const auto start = Clock::now();
  Frame().ImportEdlFile(File("list.edl").c_str());
  EXPECT_LT(Clock::now() - start, kAnsweredWithin);
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_NE(boxes_->shown[0].text.find(File("list.edl")), std::string::npos) << boxes_->shown[0].text;
  EXPECT_NE(boxes_->shown[0].text.find("FIFO"), std::string::npos) << boxes_->shown[0].text;
}

// Another instance asks the running one to open a FIFO: the request is
// answered at once, and the instance goes on answering.
TEST_F(NonRegularPaths, AnOpenRequestNamingAFifoIsAnsweredAtOnce) {
  WriteTone(File("tone.wav"), 500);
  ReplaceByFifo(File("f.tml"));
  ReplaceByFifo(File("f.wav"));
  const pid_t first = Launch({});
  const HWND frame = PeerFrame();
  ASSERT_NE(frame, nullptr);
  // A request that is not answered gives up only after a minute, so that an
  // answer (0, a refusal) is told apart from a sender that gave up (0 too)
  // by the time it took, whatever the machine's load.
  const DWORD timeout = PeerTimeout();
  SetPeerTimeout(60000);
  for (const std::string& fifo : {File("f.tml"), File("f.wav")}) {
    SCOPED_TRACE(fifo);
    const auto start = Clock::now();
    EXPECT_EQ(PeerSendText(frame, kFrameRequestMessage, kFrameRequestOpenFile, fifo.c_str()), 0);
    EXPECT_LT(Clock::now() - start, kAnsweredWithin);
  }
  EXPECT_EQ(PeerSendText(frame, kFrameRequestMessage, kFrameRequestOpenFile, File("tone.wav").c_str()), 1);
  SetPeerTimeout(timeout);
  kill(first, SIGTERM);
  EXPECT_NE(Ended(first, std::chrono::seconds(10)), -1);
}

// SIGTERM ends the program whatever it is doing: idle after a refused
// project, waiting for a GPI input, playing. (An export here ends before a
// signal could be aimed at it.)
TEST_F(NonRegularPaths, SigtermEndsARunInEveryStateItCanBeIn) {
  MakeToneProject(60000);
  ReplaceByFifo(File("f.tml"));
  const struct {
    const char* what;
    std::vector<std::string> args;
    int32_t status;  // as the instance reports it
  } cases[] = {
      {"idle after a FIFO as the project", {File("f.tml")}, kStatusNoProject},
      // Nobody answers the wait of a run without a display: it holds.
      {"waiting for a GPI input", {File("p.tml"), "/playgpi0"}, kStatusPrepared},
      {"playing", {File("p.tml"), "/play"}, kStatusPlaying},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const pid_t child = Launch(c.args);
    ASSERT_NE(PeerFrame(), nullptr);
    ASSERT_TRUE(Reaches(c.status));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // Still at it, in the state meant.
    ASSERT_EQ(waitpid(child, nullptr, WNOHANG), 0);
    ASSERT_TRUE(Reaches(c.status));
    kill(child, SIGTERM);
    const int status = Ended(child, std::chrono::seconds(10));
    EXPECT_NE(status, -1) << "still running 10 s after SIGTERM";
    // The frame of this run is gone before the next one starts.
    const auto limit = Clock::now() + std::chrono::seconds(10);
    while (FindWindow("KobrixFrameWindow", nullptr) != nullptr && Clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace
}  // namespace apptest
