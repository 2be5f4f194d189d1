#include "platform/gui/peers.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/locations.h"
#include "platform/core/message_queue.h"
#include "platform/core/process.h"
#include "platform/gui/peer_wire.h"
#include "platform/gui/window_internal.h"

namespace {

using Clock = std::chrono::steady_clock;

// Handles of other instances' windows: a range no window of ours takes.
constexpr std::uintptr_t kPeerHandleBase = 0x7E0000000000ull;
constexpr std::uintptr_t kPeerHandleEnd = 0x7F0000000000ull;

std::atomic<DWORD> g_timeout{5000};

// WM_USER up to the application's range.
constexpr uint32_t kFirstPeerMessage = 0x0400;
constexpr uint32_t kLastPeerMessage = 0xBFFF;

struct Proxy {
  uint32_t pid;
  uint64_t remote;
};

std::mutex& ProxyLock() {
  static std::mutex m;
  return m;
}
std::vector<Proxy>& Proxies() {
  static std::vector<Proxy> v;
  return v;
}

HWND ProxyFor(uint32_t pid, uint64_t remote) {
  std::lock_guard<std::mutex> hold(ProxyLock());
  std::vector<Proxy>& list = Proxies();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].pid == pid && list[i].remote == remote) {
      return reinterpret_cast<HWND>(kPeerHandleBase + i * 4);
    }
  }
  list.push_back({pid, remote});
  return reinterpret_cast<HWND>(kPeerHandleBase + (list.size() - 1) * 4);
}

bool ProxyOf(HWND hwnd, Proxy& proxy) {
  const auto value = reinterpret_cast<std::uintptr_t>(hwnd);
  if (value < kPeerHandleBase || value >= kPeerHandleEnd || (value & 3) != 0) return false;
  std::lock_guard<std::mutex> hold(ProxyLock());
  const std::size_t i = (value - kPeerHandleBase) / 4;
  if (i >= Proxies().size()) return false;
  proxy = Proxies()[i];
  return true;
}

uint32_t OwnPid() { return static_cast<uint32_t>(getpid()); }

std::string SocketPath(const std::string& folder, uint32_t pid) {
  return folder + "/peer-" + std::to_string(pid) + ".sock";
}

// --- Frames on a socket ------------------------------------------------------------------

bool WriteFrame(int fd, const PeerMessage& message) {
  const std::vector<uint8_t> bytes = EncodePeerMessage(message);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 100) <= 0) return false;
      continue;
    }
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads exactly size bytes before the deadline.
bool ReadBytes(int fd, uint8_t* to, std::size_t size, Clock::time_point deadline) {
  std::size_t got = 0;
  while (got < size) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = poll(&p, 1, static_cast<int>(std::min<long long>(left, 50)));
    if (r < 0 && errno != EINTR) return false;
    if (r <= 0) continue;
    const ssize_t n = recv(fd, to + got, size - got, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadFrame(int fd, PeerMessage& message, Clock::time_point deadline) {
  uint8_t head[4];
  if (!ReadBytes(fd, head, 4, deadline)) return false;
  const uint32_t size = head[0] | head[1] << 8 | head[2] << 16 | static_cast<uint32_t>(head[3]) << 24;
  if (size == 0 || size > kPeerMaxFrame) return false;
  std::vector<uint8_t> body(size);
  if (!ReadBytes(fd, body.data(), size, deadline)) return false;
  return DecodePeerMessage(body.data(), size, message);
}

// Whether bytes wait on fd within ms.
bool Readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  const int r = poll(&p, 1, ms);
  return r > 0;
}

// Connects to the instance pid; -1 when it does not listen (its socket, if
// left behind by an instance that is gone, is removed). A live instance may
// refuse for a moment between binding its socket and listening on it: its
// socket stays.
int Connect(const std::string& folder, uint32_t pid) {
  const std::string path = SocketPath(folder, pid);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return -1;
  std::strcpy(address.sun_path, path.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  close(fd);
  if (ProcessEnded(pid)) unlink(path.c_str());
  return -1;
}

// The other instances with a socket in the folder, by pid.
std::vector<uint32_t> PeerPids(const std::string& folder) {
  std::vector<uint32_t> pids;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return pids;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= 10 || name.compare(0, 5, "peer-") != 0 || name.compare(name.size() - 5, 5, ".sock") != 0)
      continue;
    const std::string digits = name.substr(5, name.size() - 10);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const uint32_t pid = static_cast<uint32_t>(std::stoul(digits));
    if (pid != 0 && pid != OwnPid()) pids.push_back(pid);
  }
  closedir(dir);
  std::sort(pids.begin(), pids.end());
  return pids;
}

// One exchange with an instance: the request, then its answer; Text
// questions that come meanwhile are answered from this instance's windows,
// and messages sent to this thread run, so that two instances sending to
// each other do not lock up. False when no answer came in time.
bool Exchange(uint32_t pid, const PeerMessage& request, PeerMessage& answer) {
  const int fd = Connect(RuntimeFolder(), pid);
  if (fd < 0) return false;
  bool ok = false;
  if (WriteFrame(fd, request)) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(g_timeout.load());
    const DWORD thread = CurrentGuiThread();
    while (Clock::now() < deadline) {
      if (!Readable(fd, 2)) {
        if (HasMessageQueue(thread)) RunSentTasks();
        continue;
      }
      PeerMessage in;
      if (!ReadFrame(fd, in, deadline)) break;
      if (in.kind == PeerKind::Text) {
        PeerMessage reply;
        reply.kind = PeerKind::TextAnswer;
        reply.pid = OwnPid();
        reply.text = StoredWindowText(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(in.window)));
        if (!WriteFrame(fd, reply)) break;
        continue;
      }
      answer = std::move(in);
      ok = true;
      break;
    }
  }
  close(fd);
  return ok;
}

// --- The listener -----------------------------------------------------------------------

// A sender of another instance that waits on this one for an answer: text
// questions about its windows go back on its connection.
struct WaitingSender {
  int fd;
  std::mutex lock;
};

class Listener {
 public:
  static Listener& Get() {
    static Listener listener;
    return listener;
  }
  ~Listener() { Stop(); }

  void Publish(const char* className, PeerMessageFilter accepts) {
    {
      std::lock_guard<std::mutex> hold(classesLock_);
      classes_[className] = accepts;
    }
    std::lock_guard<std::mutex> hold(lock_);
    StartLocked();
  }

  void Stop() {
    std::lock_guard<std::mutex> hold(lock_);
    StopLocked();
  }

  // Never waits on lock_, which Stop holds while the thread ends.
  bool Published(const std::string& className, PeerMessageFilter* accepts = nullptr) {
    std::lock_guard<std::mutex> hold(classesLock_);
    for (const auto& [name, filter] : classes_) {
      if (strcasecmp(name.c_str(), className.c_str()) != 0) continue;
      if (accepts != nullptr) *accepts = filter;
      return true;
    }
    return false;
  }

  std::shared_ptr<WaitingSender> Waiting(uint32_t pid) {
    std::lock_guard<std::mutex> hold(waitingLock_);
    auto it = waiting_.find(pid);
    return it != waiting_.end() ? it->second : nullptr;
  }

 private:
  void StartLocked() {
    const std::string folder = RuntimeFolder();
    const std::string path = SocketPath(folder, OwnPid());
    if (fd_ >= 0 && path == path_) return;
    StopLocked();
    // What instances that died left behind goes now.
    for (uint32_t pid : PeerPids(folder)) {
      if (ProcessEnded(pid)) unlink(SocketPath(folder, pid).c_str());
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return;
    std::strcpy(address.sun_path, path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
      close(fd);
      return;
    }
    // Stopping wakes the thread through this at once, so that the
    // program's end never waits out a poll.
    const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
      close(fd);
      unlink(path.c_str());
      return;
    }
    fd_ = fd;
    wake_ = wake;
    path_ = path;
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this, fd, wake] {
      Run(fd, wake);
      running_ = false;
    });
  }

  void StopLocked() {
    if (fd_ < 0) return;
    stop_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t woken = write(wake_, &one, sizeof one);
    // The thread may be sending to this one: run what it sends meanwhile.
    const DWORD self = CurrentGuiThread();
    while (running_) {
      if (HasMessageQueue(self)) RunSentTasks();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (thread_.joinable()) thread_.join();
    close(fd_);
    close(wake_);
    unlink(path_.c_str());
    fd_ = wake_ = -1;
    path_.clear();
  }

  void Run(int listening, int wake) {
    while (!stop_) {
      pollfd p[2] = {{listening, POLLIN, 0}, {wake, POLLIN, 0}};
      if (poll(p, 2, -1) <= 0 || (p[0].revents & POLLIN) == 0) continue;
      const int fd = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      Serve(fd);
      close(fd);
    }
  }

  // A local top-level window of a published class, or null.
  HWND Local(uint64_t handle, PeerMessageFilter* accepts = nullptr) {
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
    std::string className;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      Window* w = FindWindowRecord(hwnd);
      if (w == nullptr || w->parent != nullptr || !w->cls) return nullptr;
      className = w->cls->name;
    }
    return Published(className, accepts) ? hwnd : nullptr;
  }

  // A number the sender marked as its window becomes our handle for it.
  static LPARAM Incoming(uint64_t value, uint32_t pid, bool isWindow) {
    if (!isWindow || value == 0) return static_cast<LPARAM>(value);
    return reinterpret_cast<LPARAM>(ProxyFor(pid, value));
  }

  void Serve(int fd) {
    PeerMessage in;
    if (!ReadFrame(fd, in, Clock::now() + std::chrono::milliseconds(g_timeout.load()))) return;
    PeerMessage out;
    out.kind = PeerKind::Result;
    out.pid = OwnPid();
    switch (in.kind) {
      case PeerKind::List: {
        out.kind = PeerKind::Windows;
        std::lock_guard<std::mutex> hold(TreeLock());
        for (HWND h : TopLevelOrder()) {
          Window* w = FindWindowRecord(h);
          if (w == nullptr || !w->cls || w->destroying) continue;
          if (!in.text.empty() && strcasecmp(w->cls->name.c_str(), in.text.c_str()) != 0) continue;
          if (!Published(w->cls->name)) continue;
          out.windows.push_back({reinterpret_cast<std::uintptr_t>(h), w->cls->name, w->text});
        }
        break;
      }
      case PeerKind::Send:
      case PeerKind::Post: {
        PeerMessageFilter accepts = nullptr;
        const HWND target = Local(in.window, &accepts);
        const WPARAM w = static_cast<WPARAM>(Incoming(in.wParam, in.pid, in.flags & kPeerWParamIsWindow));
        LPARAM l = Incoming(static_cast<uint64_t>(in.lParam), in.pid, in.flags & kPeerLParamIsWindow);
        // Only the program's own messages cross: the system's may carry
        // pointers, which mean nothing (or harm) in this process.
        if (target == nullptr || in.msg < kFirstPeerMessage || in.msg > kLastPeerMessage) break;
        // Text lives as long as this frame: a posted message would outlive it.
        const bool text = (in.flags & kPeerLParamIsText) != 0;
        if (text && (in.kind == PeerKind::Post || accepts == nullptr || (in.flags & kPeerLParamIsWindow))) break;
        if (accepts != nullptr && !accepts(in.msg, w, text)) break;
        if (text) l = reinterpret_cast<LPARAM>(in.text.c_str());
        if (in.kind == PeerKind::Post) {
          out.result = PostMessage(target, in.msg, w, l);
          break;
        }
        auto sender = std::make_shared<WaitingSender>();
        sender->fd = fd;
        {
          std::lock_guard<std::mutex> hold(waitingLock_);
          waiting_[in.pid] = sender;
        }
        const LRESULT r = SendMessage(target, in.msg, w, l);
        {
          std::lock_guard<std::mutex> hold(waitingLock_);
          waiting_.erase(in.pid);
        }
        std::lock_guard<std::mutex> hold(sender->lock);
        out.result = r;
        if (r != 0 && Local(static_cast<uint64_t>(r)) != nullptr) out.flags |= kPeerResultIsWindow;
        break;
      }
      case PeerKind::GetLong:
        if (const HWND target = Local(in.window)) out.result = GetWindowLongPtr(target, in.index);
        break;
      case PeerKind::Text:
        out.kind = PeerKind::TextAnswer;
        out.text = StoredWindowText(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(in.window)));
        break;
      default:
        return;
    }
    WriteFrame(fd, out);
  }

  std::mutex lock_;  // starting and stopping
  std::mutex classesLock_;
  std::map<std::string, PeerMessageFilter> classes_;
  int fd_ = -1;
  int wake_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::thread thread_;
  std::mutex waitingLock_;
  std::map<uint32_t, std::shared_ptr<WaitingSender>> waiting_;
};

// A message's numbers as the receiver must see them.
PeerMessage Outgoing(PeerKind kind, const Proxy& to, UINT msg, WPARAM wParam, LPARAM lParam) {
  PeerMessage m;
  m.kind = kind;
  m.pid = OwnPid();
  m.window = to.remote;
  m.msg = msg;
  m.wParam = static_cast<uint64_t>(wParam);
  m.lParam = static_cast<int64_t>(lParam);
  if (wParam != 0 && IsWindow(reinterpret_cast<HWND>(wParam))) m.flags |= kPeerWParamIsWindow;
  if (lParam != 0 && IsWindow(reinterpret_cast<HWND>(lParam))) m.flags |= kPeerLParamIsWindow;
  return m;
}

}  // namespace

void PublishWindowClass(LPCSTR className, PeerMessageFilter accepts) {
  if (className != nullptr && *className != '\0') Listener::Get().Publish(className, accepts);
}

void SetPeerTimeout(DWORD milliseconds) { g_timeout = milliseconds; }
DWORD PeerTimeout() { return g_timeout; }

void StopPeerListener() { Listener::Get().Stop(); }

int ConnectToInstance(DWORD pid) { return Connect(RuntimeFolder(), static_cast<uint32_t>(pid)); }

bool IsPeerWindowHandle(HWND hwnd) {
  Proxy proxy;
  return ProxyOf(hwnd, proxy);
}

HWND PeerFindWindow(HWND after, LPCSTR className, LPCSTR windowName) {
  Proxy from{0, 0};
  const bool skipping = ProxyOf(after, from);
  const std::string folder = RuntimeFolder();
  for (uint32_t pid : PeerPids(folder)) {
    if (skipping && pid < from.pid) continue;
    PeerMessage request;
    request.kind = PeerKind::List;
    request.pid = OwnPid();
    request.text = className != nullptr ? className : "";
    PeerMessage answer;
    if (!Exchange(pid, request, answer) || answer.kind != PeerKind::Windows) continue;
    bool started = !skipping || pid != from.pid;
    for (const PeerWindow& w : answer.windows) {
      if (!started) {
        started = w.handle == from.remote;
        continue;
      }
      if (windowName != nullptr && w.text != windowName) continue;
      return ProxyFor(pid, w.handle);
    }
  }
  return nullptr;
}

LRESULT PeerSendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Proxy to;
  if (!ProxyOf(hwnd, to)) return 0;
  PeerMessage answer;
  if (!Exchange(to.pid, Outgoing(PeerKind::Send, to, msg, wParam, lParam), answer) ||
      answer.kind != PeerKind::Result)
    return 0;
  if (answer.flags & kPeerResultIsWindow) {
    return reinterpret_cast<LRESULT>(ProxyFor(to.pid, static_cast<uint64_t>(answer.result)));
  }
  return static_cast<LRESULT>(answer.result);
}

LRESULT PeerSendText(HWND hwnd, UINT msg, WPARAM wParam, LPCSTR text) {
  Proxy to;
  // A text the frame would cut would name another file.
  if (!ProxyOf(hwnd, to) || text == nullptr || std::strlen(text) > kPeerMaxText) return 0;
  PeerMessage request = Outgoing(PeerKind::Send, to, msg, wParam, 0);
  request.flags |= kPeerLParamIsText;
  request.text = text;
  PeerMessage answer;
  if (!Exchange(to.pid, request, answer) || answer.kind != PeerKind::Result) return 0;
  return static_cast<LRESULT>(answer.result);
}

BOOL PeerPostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Proxy to;
  if (!ProxyOf(hwnd, to)) return FALSE;
  PeerMessage answer;
  if (!Exchange(to.pid, Outgoing(PeerKind::Post, to, msg, wParam, lParam), answer) ||
      answer.kind != PeerKind::Result)
    return FALSE;
  return answer.result != 0 ? TRUE : FALSE;
}

LONG_PTR PeerGetWindowLong(HWND hwnd, int index) {
  Proxy to;
  if (!ProxyOf(hwnd, to)) return 0;
  PeerMessage request;
  request.kind = PeerKind::GetLong;
  request.pid = OwnPid();
  request.window = to.remote;
  request.index = index;
  PeerMessage answer;
  if (!Exchange(to.pid, request, answer) || answer.kind != PeerKind::Result) return 0;
  return static_cast<LONG_PTR>(answer.result);
}

int PeerGetWindowText(HWND hwnd, LPSTR text, int size) {
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  Proxy of;
  if (!ProxyOf(hwnd, of)) return 0;
  PeerMessage request;
  request.kind = PeerKind::Text;
  request.pid = OwnPid();
  request.window = of.remote;
  PeerMessage answer;
  bool ok = false;
  if (std::shared_ptr<WaitingSender> sender = Listener::Get().Waiting(of.pid)) {
    // The instance waits on us for an answer: ask it on its own connection.
    std::lock_guard<std::mutex> hold(sender->lock);
    ok = WriteFrame(sender->fd, request) &&
         ReadFrame(sender->fd, answer, Clock::now() + std::chrono::milliseconds(g_timeout.load()));
  } else {
    ok = Exchange(of.pid, request, answer);
  }
  if (!ok || answer.kind != PeerKind::TextAnswer) return 0;
  const std::size_t n = std::min(answer.text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(text, answer.text.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}
