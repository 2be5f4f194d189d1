// The instance messenger reached from a second process: this test program
// started again as the other instance (MessagerPeer.Child), which reads one
// command a line on its input and writes each answer as a "peer:" line.
// Meanwhile this process runs its messages, so that its messenger answers.
#include "video/velmora_messager.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board_fixture.h"
#include "messager_host.h"
#include "model/error_codes.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/peers.h"
#include "support/test_env.h"
#include "media/video_data.h"
#include "video/player.h"
#include "video/sub_player.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"

extern char** environ;

namespace {

using messagertest::FakeHost;
using messagertest::RecordingWindow;

constexpr const char* kRoleVariable = "KOBRIX_MESSAGER_PEER";

// --- The other instance ------------------------------------------------------------------

class Peer {
 public:
  Peer() {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::string filter = "--gtest_filter=MessagerPeer.Child";
    char* argv[] = {self, filter.data(), nullptr};
    setenv(kRoleVariable, "1", 1);
    const int r = posix_spawn(&pid_, self, &actions, nullptr, argv, environ);
    unsetenv(kRoleVariable);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    toPeer_ = in[1];
    fromPeer_ = out[0];
    if (r != 0) pid_ = 0;
    fcntl(fromPeer_, F_SETFL, fcntl(fromPeer_, F_GETFL) | O_NONBLOCK);
  }
  ~Peer() {
    if (toPeer_ >= 0) close(toPeer_);  // the peer ends at the end of its input
    if (pid_ > 0) {
      for (int i = 0; i < 5000; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
          pid_ = 0;
          break;
        }
        GuiPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
    if (fromPeer_ >= 0) close(fromPeer_);
  }
  bool ok() const { return pid_ > 0; }

  // Sends a command and runs this process's messages until its answer.
  std::string Ask(const std::string& command) {
    Tell(command);
    return Answer();
  }
  void Tell(const std::string& command) {
    const std::string line = command + "\n";
    const ssize_t ignored = write(toPeer_, line.data(), line.size());
    (void)ignored;
  }
  std::string Answer() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      const std::size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        const std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (line.rfind("peer: ", 0) == 0) return line.substr(6);
        continue;  // the test runner's own lines
      }
      char chunk[512];
      const ssize_t n = read(fromPeer_, chunk, sizeof chunk);
      if (n > 0) {
        buffer_.append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      GuiPumpMessages();
      pollfd p{fromPeer_, POLLIN, 0};
      poll(&p, 1, 1);
    }
    return "(no answer)";
  }

 private:
  pid_t pid_ = 0;
  int toPeer_ = -1;
  int fromPeer_ = -1;
  std::string buffer_;
};

// --- The peer's side ---------------------------------------------------------------------

// The other instance: a remote-control client, or an instance that holds the
// board. Commands:
//   remote C A | remote C "TEXT"   WM_USER + 1 to the other's messenger (A a
//                                  number, or a window of ours with TEXT);
//                                  answers "result userdata"
//   instance C A | instance C "TEXT"   WM_USER, answers "result"
//   userdata                       the other's user data
//   handle                         whether the last result was the messenger's handle
//   find CLASS                     whether a window of that class is seen
//   raw MSG W L                    any message with any numbers
//   board idle|playing             loads the board, makes its player; "ready"
//   hang                           stops running messages until the next line
class PeerCommands {
 public:
  void Run() {
    std::string line;
    for (;;) {
      if (!ReadLine(line)) break;
      std::istringstream words(line);
      std::string verb;
      words >> verb;
      std::cout << "peer: " << Do(verb, words) << std::endl;
    }
    End();
  }

 private:
  // Reads a line, running messages while none has come.
  bool ReadLine(std::string& line) {
    line.clear();
    for (;;) {
      pollfd p{0, POLLIN, 0};
      if (poll(&p, 1, 2) > 0) {
        char c;
        const ssize_t n = read(0, &c, 1);
        if (n <= 0) return false;
        if (c == '\n') return true;
        line += c;
        continue;
      }
      GuiPumpMessages();
    }
  }

  HWND Other() {
    if (other_ == nullptr) other_ = FindWindowEx(nullptr, nullptr, "TVelmoraMessager", nullptr);
    if (other_ == messager_.GetHandleOrNull()) other_ = FindWindowEx(nullptr, other_, "TVelmoraMessager", nullptr);
    return other_;
  }

  LPARAM Argument(std::istringstream& words) {
    std::string rest;
    std::getline(words >> std::ws, rest);
    if (!rest.empty() && rest.front() == '"') {
      const std::string text = rest.substr(1, rest.rfind('"') - 1);
      named_ = std::make_unique<RecordingWindow>("PeerNamedWindow");
      SetWindowText(named_->hwnd(), text.c_str());
      return reinterpret_cast<LPARAM>(named_->hwnd());
    }
    return rest.empty() ? 0 : static_cast<LPARAM>(std::stoll(rest));
  }

  std::string Do(const std::string& verb, std::istringstream& words) {
    if (verb == "remote" || verb == "instance") {
      int code = 0;
      words >> code;
      const LPARAM argument = Argument(words);
      const HWND other = Other();
      if (other == nullptr) return "(none)";
      last_ = SendMessage(other, verb == "remote" ? kRemoteRequest : kInstanceRequest, code, argument);
      if (verb == "instance") return std::to_string(last_);
      return std::to_string(last_) + " " + std::to_string(GetWindowLong(other, GWL_USERDATA));
    }
    if (verb == "userdata") return Other() != nullptr ? std::to_string(GetWindowLong(Other(), GWL_USERDATA)) : "(none)";
    if (verb == "find") {
      std::string className;
      words >> className;
      return FindWindowEx(nullptr, nullptr, className.c_str(), nullptr) != nullptr ? "found" : "none";
    }
    if (verb == "raw") {
      // Any message with any numbers, as another program might send it.
      unsigned long msg = 0;
      long long w = 0, l = 0;
      words >> msg >> w >> l;
      return Other() != nullptr ? std::to_string(SendMessage(Other(), static_cast<UINT>(msg), w, l)) : "(none)";
    }
    if (verb == "handle") return reinterpret_cast<HWND>(last_) == Other() ? "same" : "other";
    if (verb == "board") {
      std::string how;
      words >> how;
      return Board(how == "playing");
    }
    if (verb == "hang") {
      // Blocked: no message runs until the next line.
      char c = 0;
      while (read(0, &c, 1) == 1 && c != '\n') {
      }
      return "awake";
    }
    return "(unknown)";
  }

  std::string Board(bool playing) {
    SetVelmoraLibraryName(KOBRIX_BOARD_LIBRARY);
    VelmoraDevice::StaticSetUp();
    if (!VelmoraBoardAvailable) return "no board";
    messager_.Make();
    player_ = std::make_unique<VideoPlayer>();
    TheVideoPlayer = player_.get();
    TheVideoPlayer->autoReleaseCodec = true;
    VideoPlayer::defaultDrawType = 1;
    format_ = boardtest::BoardFormat(64, 32);
    format_.bi()->biCompression = mmioFOURCC('V', 'L', 'M', 'D');
    SubPlayerInfo info{kVideoKindAvi, format_.bi(), format_.Size()};
    TheVideoPlayer->AcquireSubPlayer(info);
    SubVideoPlayer* sub = TheVideoPlayer->CurrentSubPlayer();
    if (sub == nullptr || VelmoraApi.vdc_is_registered(7) == 0) return "no player";
    // A player that plays, as the messenger sees it.
    if (playing) messager_.Playing(&playing_);
    return "ready";
  }

  void End() {
    if (player_) {
      TheVideoPlayer = nullptr;
      player_.reset();
    }
    messager_.Drop();
    TheVelmoraDevice.Close();
    InitVelmoraAPIClass::Unload();
    StopPeerListener();
  }

  // The messenger of this instance, made only when it holds the board.
  class Own {
   public:
    void Make() {
      messager_ = std::make_unique<VelmoraMessager>(&host_);
      messager_->Create();
    }
    void Drop() { messager_.reset(); }
    void Playing(SubVideoPlayer* player) { messager_->SetBoardPlayer(player); }
    HWND GetHandleOrNull() const { return messager_ ? messager_->GetHandle() : nullptr; }

   private:
    FakeHost host_;
    std::unique_ptr<VelmoraMessager> messager_;
  };

  Own messager_;
  HWND other_ = nullptr;
  LRESULT last_ = 0;
  std::unique_ptr<RecordingWindow> named_;
  std::unique_ptr<VideoPlayer> player_;
  video_test::Format format_;
  struct PlayingPlayer : SubVideoPlayer {
    PlayingPlayer() { state = 3; }
  } playing_;
};

TEST(MessagerPeer, Child) {
  if (std::getenv(kRoleVariable) == nullptr) GTEST_SKIP() << "the other instance of the messenger tests";
  PeerCommands().Run();
}

// --- This instance -----------------------------------------------------------------------

// The result of a request whose work is posted: the user data may already
// tell the outcome by the time the asker reads it.
std::string Result(const std::string& answer) { return answer.substr(0, answer.find(' ')); }

class MessagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(messager_.Create());
    SetPeerTimeout(5000);
  }
  void TearDown() override { SetPeerTimeout(5000); }

  HWND Handle() { return messager_.GetHandle(); }
  int32_t UserData() { return GetWindowLong(Handle(), GWL_USERDATA); }
  // Runs this process's messages until done() or two seconds have passed.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
      GuiPumpMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
  }

  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
  TestFolder runtime_{"kobrix-run"};
  ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.path()};
  FakeHost host;
  VelmoraMessager messager_{&host};
};

TEST_F(MessagerTest, TheStatusOfTheProject) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  struct Case {
    bool clips, prepared, playing;
    const char* status;
  };
  const Case cases[] = {
      {false, false, false, "0 0"},
      {true, false, false, "2 2"},
      {true, true, false, "5 5"},
      {true, true, true, "4 4"},
  };
  for (const Case& c : cases) {
    host.clips = c.clips;
    host.prepared = c.prepared;
    host.playing = c.playing;
    for (const char* code : {"0", "7", "99"}) {
      EXPECT_EQ(peer.Ask(std::string("remote ") + code + " 0"), c.status) << code;
    }
  }
}

TEST_F(MessagerTest, OnlyPublishedClassesAreSeen) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(peer.Ask("find TVelmoraMessager"), "found");
  RecordingWindow ours("MessagerTestOnlyHere");
  EXPECT_EQ(peer.Ask("find MessagerTestOnlyHere"), "none");  // not published
  messager_.Destroy();
  EXPECT_EQ(peer.Ask("find TVelmoraMessager"), "none");
}

// What another program may send that would only make sense inside this one.
TEST_F(MessagerTest, NumbersThatStandForPointersAreNeverFollowed) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  char title[64] = {};
  EXPECT_EQ(peer.Ask("raw 12 0 4096"), "0");  // WM_SETTEXT with a made-up text
  GetWindowText(Handle(), title, sizeof title);
  EXPECT_STREQ(title, "Velmora Messager");
  EXPECT_EQ(peer.Ask("raw 1125 0 4096"), "0");  // the deferred open of a name it never made
  EXPECT_TRUE(host.frame.got.empty());
  EXPECT_EQ(peer.Ask("remote 0 0"), "0 0");  // and it still answers
}

TEST_F(MessagerTest, TheLengthOfTheProject) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(peer.Ask("remote 4 0"), "-1 0");
  host.clips = true;
  host.clipsStart = 0;
  host.clipsEnd = 90000;
  EXPECT_EQ(peer.Ask("remote 4 0"), "90000 2");
  EXPECT_EQ(host.includes, 1);
}

TEST_F(MessagerTest, PrepareAnswersAtOnceAndTellsItsOutcomeLater) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(Result(peer.Ask("remote 5 0")), "3");
  EXPECT_TRUE(PumpUntil([&] { return UserData() == kStatusNoProject; }));  // nothing to prepare
  EXPECT_TRUE(host.frame.got.empty());
  host.clips = true;
  EXPECT_EQ(Result(peer.Ask("remote 5 0")), "3");
  EXPECT_TRUE(PumpUntil([&] { return UserData() == kStatusPrepared; }));
  EXPECT_EQ(peer.Ask("userdata"), "5");
  ASSERT_EQ(host.frame.got.size(), 1u);
  EXPECT_EQ(host.frame.got[0].wParam, static_cast<WPARAM>(kFramePrepare));
  host.frame.reply = 0;  // the frame could not prepare
  EXPECT_EQ(Result(peer.Ask("remote 5 0")), "3");
  EXPECT_TRUE(PumpUntil([&] { return host.frame.got.size() == 2; }));
  EXPECT_EQ(UserData(), kStatusProject);
}

TEST_F(MessagerTest, OpeningAFileNamedByTheAskersWindow) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  // No name: the projects close.
  EXPECT_EQ(peer.Ask("remote 2 \"\""), "0 0");
  ASSERT_EQ(host.frame.got.size(), 1u);
  EXPECT_EQ(host.frame.got[0].wParam, static_cast<WPARAM>(kFrameCloseProjects));
  EXPECT_EQ(peer.Ask("remote 3 0"), "0 0");
  EXPECT_EQ(host.frame.got.size(), 2u);
  // A name: accepted at once, opened afterwards, and the outcome read later.
  EXPECT_EQ(Result(peer.Ask("remote 2 \"/media/take one.avi\"")), "1");
  ASSERT_TRUE(PumpUntil([&] { return host.frame.got.size() == 3; }));
  EXPECT_EQ(host.frame.got[2].wParam, static_cast<WPARAM>(kFrameOpenFile));
  EXPECT_EQ(host.frame.got[2].name, "/media/take one.avi");
  EXPECT_EQ(peer.Ask("userdata"), "2");
  host.frame.reply = 0;
  EXPECT_EQ(Result(peer.Ask("remote 3 \"/media/missing.avi\"")), "1");
  ASSERT_TRUE(PumpUntil([&] { return host.frame.got.size() == 4; }));
  EXPECT_EQ(peer.Ask("userdata"), "0");
}

TEST_F(MessagerTest, FilesForTheCollectionAndFilesToRelease) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(peer.Ask("instance 3 \"/clips/a.wav\""), "0");  // no collection
  RecordingWindow collection("MessagerTestCollection");
  messager_.collection = collection.hwnd();
  EXPECT_EQ(peer.Ask("instance 3 \"/clips/a.wav\""), "999");
  ASSERT_EQ(collection.got.size(), 1u);
  EXPECT_EQ(collection.got[0].wParam, static_cast<WPARAM>(kCollectionRequestAddFile));
  EXPECT_EQ(collection.got[0].name, "/clips/a.wav");
  EXPECT_EQ(peer.Ask("instance 4 \"/clips/b.avi\""), "999");
  EXPECT_EQ(host.released, (std::vector<std::string>{"/clips/b.avi"}));
  messager_.collection = nullptr;
}

TEST_F(MessagerTest, HandOverAndTakeBack) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  host.clips = true;
  EXPECT_NE(peer.Ask("instance 5 1"), "0");
  EXPECT_EQ(peer.Ask("handle"), "same");
  EXPECT_TRUE(messager_.BoardHandedOver());
  ASSERT_EQ(host.frame.got.size(), 1u);
  EXPECT_EQ(host.frame.got[0].wParam, static_cast<WPARAM>(kFrameCloseProjects));
  EXPECT_EQ(peer.Ask("userdata"), "0");
  EXPECT_EQ(peer.Ask("remote 1 0"), "0 0");
  EXPECT_FALSE(messager_.BoardHandedOver());
  EXPECT_EQ(host.stops, 1);
  ASSERT_TRUE(PumpUntil([&] { return host.frame.got.size() == 2; }));
  EXPECT_EQ(host.frame.got[1].msg, static_cast<UINT>(WM_CLOSE));
}

TEST_F(MessagerTest, StartAndStop) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  host.clips = true;
  host.prepared = true;
  EXPECT_EQ(peer.Ask("remote 6 0"), "5 5");
  ASSERT_EQ(host.timeLine.got.size(), 1u);
  EXPECT_EQ(host.timeLine.got[0].msg, kTimeLineStartPlay);
  EXPECT_EQ(host.timeLine.got[0].wParam, 0u);
  EXPECT_EQ(Result(peer.Ask("remote 10 2")), "6");
  ASSERT_TRUE(PumpUntil([&] { return host.timeLine.got.size() == 2; }));
  EXPECT_EQ(host.timeLine.got[1].wParam, 2u);
  EXPECT_EQ(host.timeLine.got[1].lParam, 2);
  EXPECT_EQ(Result(peer.Ask("remote 10 -1")), "6");
  ASSERT_TRUE(PumpUntil([&] { return host.timeLine.got.size() == 3; }));
  EXPECT_EQ(host.timeLine.got[2].wParam, 0u);
  EXPECT_EQ(peer.Ask("userdata"), "5");
  EXPECT_EQ(peer.Ask("remote 8 0"), "2 2");
  EXPECT_EQ(host.stops, 1);
  host.clips = false;
  EXPECT_EQ(peer.Ask("remote 8 0"), "0 0");
}

// Two instances and one board.
class BoardSharingTest : public MessagerTest {
 protected:
  void SetUp() override {
    MessagerTest::SetUp();
    ASSERT_TRUE(board_.loaded());
  }
  // The board library loads with a runtime folder of its own, shared with
  // the peer started after it.
  boardtest::BoardLibrary board_;
};

TEST_F(BoardSharingTest, AnIdleInstanceGivesTheBoardUp) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  ASSERT_EQ(peer.Ask("board idle"), "ready");
  EXPECT_EQ(TheVelmoraDevice.Open(64, 32, 24, nullptr), 0);
  EXPECT_TRUE(board_.Registered(7));
}

TEST_F(BoardSharingTest, APlayingInstanceKeepsIt) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  ASSERT_EQ(peer.Ask("board playing"), "ready");
  EXPECT_EQ(TheVelmoraDevice.Open(64, 32, 24, nullptr), kErrAttachHardware);
  TheVelmoraDevice.Close();
}

TEST_F(BoardSharingTest, ASilentInstanceCountsAsNo) {
  Peer peer;
  ASSERT_TRUE(peer.ok());
  ASSERT_EQ(peer.Ask("board idle"), "ready");
  peer.Tell("hang");
  SetPeerTimeout(150);
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(TheVelmoraDevice.Open(64, 32, 24, nullptr), kErrAttachHardware);
  // The short time-out was kept to: the default one is 5 s, and a busy
  // machine adds a little to 150 ms, not seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3));
  TheVelmoraDevice.Close();
  peer.Tell("wake");
  EXPECT_EQ(peer.Answer(), "awake");
}

}  // namespace
