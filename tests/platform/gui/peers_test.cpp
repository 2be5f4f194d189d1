// The frames between instances, and what is left of instances that ended.
// Messages between two running instances are tested with the messenger
// (tests/video/board/messager_test.cpp), which starts a second process.
#include "platform/gui/peers.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/locations.h"
#include "platform/gui/gui.h"
#include "platform/gui/peer_wire.h"
#include "support/test_env.h"

namespace {

PeerMessage Sample() {
  PeerMessage m;
  m.kind = PeerKind::Windows;
  m.flags = kPeerLParamIsWindow;
  m.pid = 4321;
  m.window = 0x10010;
  m.msg = 0x401;
  m.wParam = 2;
  m.lParam = -5;
  m.index = -21;
  m.result = 999;
  m.text = "TVelmoraMessager";
  m.windows = {{0x10010, "TVelmoraMessager", "Velmora Messager"}, {0x10024, "TMainFrame", ""}};
  return m;
}

TEST(PeerWire, AMessageComesBackAsItWasSent) {
  const PeerMessage m = Sample();
  const std::vector<uint8_t> frame = EncodePeerMessage(m);
  ASSERT_GT(frame.size(), 4u);
  const uint32_t length = frame[0] | frame[1] << 8 | frame[2] << 16 | static_cast<uint32_t>(frame[3]) << 24;
  EXPECT_EQ(length, frame.size() - 4);
  PeerMessage back;
  ASSERT_TRUE(DecodePeerMessage(frame.data() + 4, length, back));
  EXPECT_EQ(back.kind, m.kind);
  EXPECT_EQ(back.flags, m.flags);
  EXPECT_EQ(back.pid, m.pid);
  EXPECT_EQ(back.window, m.window);
  EXPECT_EQ(back.msg, m.msg);
  EXPECT_EQ(back.wParam, m.wParam);
  EXPECT_EQ(back.lParam, m.lParam);
  EXPECT_EQ(back.index, m.index);
  EXPECT_EQ(back.result, m.result);
  EXPECT_EQ(back.text, m.text);
  ASSERT_EQ(back.windows.size(), 2u);
  EXPECT_EQ(back.windows[0].text, "Velmora Messager");
  EXPECT_EQ(back.windows[1].className, "TMainFrame");
  // Texts past the limit are cut on the way out.
  PeerMessage longText;
  longText.text = std::string(kPeerMaxText + 10, 'x');
  const std::vector<uint8_t> cut = EncodePeerMessage(longText);
  ASSERT_TRUE(DecodePeerMessage(cut.data() + 4, cut.size() - 4, back));
  EXPECT_EQ(back.text.size(), kPeerMaxText);
}

TEST(PeerWire, WhatIsNoMessageIsRefused) {
  const std::vector<uint8_t> frame = EncodePeerMessage(Sample());
  const std::vector<uint8_t> body(frame.begin() + 4, frame.end());
  // Every piece of a message short of its end.
  for (std::size_t n = 0; n < body.size(); ++n) {
    PeerMessage m;
    EXPECT_FALSE(DecodePeerMessage(body.data(), n, m)) << n;
  }
  struct Case {
    const char* what;
    std::size_t at;
    std::vector<uint8_t> bytes;
  };
  const std::size_t textAt = 46;  // the head's size
  const std::size_t countAt = textAt + 2 + std::strlen("TVelmoraMessager");
  const Case cases[] = {
      {"an unknown kind", 0, {'Q'}},
      {"a text longer than the rest", textAt, {0xF0, 0x00}},
      {"a text past the limit", textAt, {0x01, 0x04}},
      {"more windows than allowed", countAt, {0x01, 0x01}},
      {"more windows than there are", countAt, {0x03, 0x00}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = body;
    std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + static_cast<std::ptrdiff_t>(c.at));
    PeerMessage m;
    EXPECT_FALSE(DecodePeerMessage(bad.data(), bad.size(), m)) << c.what;
  }
  std::vector<uint8_t> longer = body;
  longer.push_back(0);
  PeerMessage m;
  EXPECT_FALSE(DecodePeerMessage(longer.data(), longer.size(), m)) << "a byte after the end";
  EXPECT_FALSE(DecodePeerMessage(nullptr, 0, m));
}

// A socket whose instance ended: nobody listens on it any more.
std::string LeaveSocket(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
  return path;
}

// The number of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST(Peers, SocketsOfEndedInstancesAreRemoved) {
  TestFolder runtime("kobrix-run");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
  const std::string folder = RuntimeFolder();
  const std::string ended = LeaveSocket(folder, "peer-" + std::to_string(EndedProcess()) + ".sock");
  // A live instance between binding its socket and listening on it refuses
  // for a moment; its socket is not taken from it.
  const std::string starting = LeaveSocket(folder, "peer-" + std::to_string(getppid()) + ".sock");
  const std::string other = LeaveSocket(folder, "other.sock");  // not an instance's
  EXPECT_EQ(FindWindowEx(nullptr, nullptr, "PeersTestNoSuchClass", nullptr), nullptr);
  EXPECT_FALSE(std::filesystem::exists(ended));
  EXPECT_TRUE(std::filesystem::exists(starting));
  EXPECT_TRUE(std::filesystem::exists(other));
  // Without a class nothing is asked of other instances.
  const std::string again = LeaveSocket(folder, "peer-" + std::to_string(EndedProcess()) + ".sock");
  EXPECT_EQ(FindWindowEx(nullptr, nullptr, nullptr, "no such title"), nullptr);
  EXPECT_TRUE(std::filesystem::exists(again));
}

TEST(Peers, APublishingInstanceListensUntilItStops) {
  TestFolder runtime("kobrix-run");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
  const std::string own = RuntimeFolder() + "/peer-" + std::to_string(getpid()) + ".sock";
  PublishWindowClass("PeersTestPublished");
  EXPECT_TRUE(std::filesystem::exists(own));
  StopPeerListener();
  EXPECT_FALSE(std::filesystem::exists(own));
  // Handles that stand for no other instance's window are not theirs.
  EXPECT_FALSE(IsPeerWindowHandle(nullptr));
  EXPECT_FALSE(IsPeerWindowHandle(reinterpret_cast<HWND>(0x10010)));
  EXPECT_EQ(SendMessage(reinterpret_cast<HWND>(0x7E0000000000ull + 4000), WM_USER, 1, 2), 0);
}

}  // namespace
