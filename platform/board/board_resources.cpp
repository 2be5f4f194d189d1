#include "platform/board/board_resources.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "platform/core/locations.h"

namespace vlmsim {
namespace {

using Holders = std::map<int, int>;  // resource -> holder

bool Alive(int holder) {
  if (holder == kForeignHolder) return true;
  return kill(holder, 0) == 0 || errno == EPERM;
}

Holders Parse(const std::string& text) {
  Holders holders;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    int resource = 0, holder = 0;
    if (std::sscanf(text.substr(at, end - at).c_str(), "%d %d", &resource, &holder) == 2 && resource >= 0 &&
        resource < 32 && holder >= 0 && Alive(holder)) {
      holders.emplace(resource, holder);
    }
    at = end + 1;
  }
  return holders;
}

// Runs change on the holders under the file's lock; writes them back when
// it says so.
void Update(const std::function<bool(Holders&)>& change) {
  const std::string path = RuntimeFolder() + "/velmora-board";
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    // No shared place: this process is alone with the board.
    static Holders alone;
    change(alone);
    return;
  }
  while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  std::string text;
  char buffer[512];
  ssize_t n;
  while ((n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0)
    text.append(buffer, static_cast<std::size_t>(n));
  Holders holders = Parse(text);
  if (change(holders)) {
    std::string out;
    for (const auto& [resource, holder] : holders) out += std::to_string(resource) + " " + std::to_string(holder) + "\n";
    if (ftruncate(fd, 0) == 0) {
      std::size_t done = 0;
      while (done < out.size()) {
        n = pwrite(fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) done += static_cast<std::size_t>(n);
      }
    }
  }
  flock(fd, LOCK_UN);
  close(fd);
}

}  // namespace

bool TakeResource(int n, int holder) {
  bool taken = false;
  Update([&](Holders& h) {
    auto it = h.find(n);
    if (it != h.end()) {
      taken = it->second == holder;
      return false;
    }
    h[n] = holder;
    taken = true;
    return true;
  });
  return taken;
}

bool HoldsResource(int n, int holder) {
  bool held = false;
  Update([&](Holders& h) {
    auto it = h.find(n);
    held = it != h.end() && it->second == holder;
    return false;
  });
  return held;
}

void GiveResource(int n, int holder) {
  Update([&](Holders& h) {
    auto it = h.find(n);
    if (it == h.end() || it->second != holder) return false;
    h.erase(it);
    return true;
  });
}

void GiveAllResources(int holder) {
  Update([&](Holders& h) {
    bool changed = false;
    for (auto it = h.begin(); it != h.end();) {
      if (it->second == holder) {
        it = h.erase(it);
        changed = true;
      } else {
        ++it;
      }
    }
    return changed;
  });
}

void SetForeignResources(uint32_t mask) {
  Update([&](Holders& h) {
    for (auto it = h.begin(); it != h.end();) {
      if (it->second == kForeignHolder && (mask & (1u << it->first)) == 0) {
        it = h.erase(it);
      } else {
        ++it;
      }
    }
    for (int n = 0; n < 32; ++n) {
      if ((mask & (1u << n)) != 0 && h.find(n) == h.end()) h[n] = kForeignHolder;
    }
    return true;
  });
}

}  // namespace vlmsim
