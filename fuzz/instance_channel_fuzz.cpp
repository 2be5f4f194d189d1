// What another instance may send to this one, any bytes, through the
// program's own receiver: the application starts as the program does (its
// project frame and messenger publish themselves), each input is one
// connection to this instance's socket, and the windows run what the
// listener hands them. An input that decodes as a frame is aimed at one of
// the published windows (a guessed handle would only ever be refused), so
// the requests' own handling is reached.
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "app/program_seams.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/peer_wire.h"
#include "platform/gui/peers.h"
#include "resources/resources.h"
#include "video/velmora_messager.h"

namespace {

kobrix32App* g_app = nullptr;

void Pump() {
  for (int i = 0; i < 20; ++i) GuiPumpMessages();
}

void StartProgram() {
  StartProgramObjects();
  g_app = new kobrix32App();
  TheApp = g_app;
  g_app->InitInstance();
  Pump();
}

void StopProgram() {
  TheApp = nullptr;
  delete g_app;
  g_app = nullptr;
  EndProgramObjects();
}

bool Running() {
  return g_app != nullptr && g_app->MainFrame() != nullptr && IsWindow(g_app->MainFrame()->GetHandle());
}

void Setup() {
  const char* base = std::getenv("TMPDIR");
  std::string root = std::string(base != nullptr && *base ? base : "/tmp") + "/kobrix-instance-fuzz-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) std::abort();
  static std::string made;
  made = root;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
  });
  for (const char* sub : {"home", "state", "run", "tmp"}) mkdir((root + "/" + sub).c_str(), 0700);
  setenv("KOBRIX_GUI", "headless", 1);
  setenv("KOBRIX_AUDIO", "virtual", 1);
  setenv("KOBRIX_HOME", (root + "/home").c_str(), 1);
  setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
  setenv("TMPDIR", (root + "/tmp").c_str(), 1);
  SetPeerTimeout(500);
  RegisterProgramResources();
}

// One connection: the bytes go in, the windows run until the listener has
// answered and hung up (or a moment has passed).
void Deliver(const std::vector<uint8_t>& bytes) {
  const int fd = ConnectToInstance(static_cast<DWORD>(getpid()));
  if (fd < 0) return;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  shutdown(fd, SHUT_WR);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end) {
    GuiPumpMessages();
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 1) <= 0) continue;
    char answer[4096];
    if (recv(fd, answer, sizeof answer, 0) <= 0) break;
  }
  close(fd);
  Pump();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (Setup(), true);
  (void)ready;
  if (!Running()) {
    if (g_app != nullptr) StopProgram();
    StartProgram();
  }
  std::vector<uint8_t> bytes(data, data + size);
  PeerMessage message;
  if (size > 4 && DecodePeerMessage(data + 4, size - 4, message)) {
    const HWND windows[] = {g_app->MainFrame()->GetHandle(),
                            TheVelmoraMessager != nullptr ? TheVelmoraMessager->GetHandle() : nullptr};
    if (HWND to = windows[message.window % 2]) message.window = reinterpret_cast<std::uintptr_t>(to);
    bytes = EncodePeerMessage(message);
  }
  Deliver(bytes);
  return 0;
}
