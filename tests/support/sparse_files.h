// Huge files that take no disk, and a bound on how long reading one may
// take: a reader that walks a file's zeros step by step is stopped and
// reported, not left to hold the test for hours.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

constexpr std::int64_t kSparseFileSize = std::int64_t{64} << 30;

// head, then zeros up to size bytes; only head is written, the rest is a
// hole (ftruncate). False when the file system cannot hold such a size.
inline bool WriteSparseFile(const std::string& path, const std::vector<unsigned char>& head,
                            std::int64_t size = kSparseFileSize) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = head.empty() || write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size());
  ok = ok && ftruncate(fd, size) == 0;
  return close(fd) == 0 && ok;
}

// Runs check in a child process: success when it returns true within limit.
// A child still running then is killed.
inline testing::AssertionResult EndsWithin(std::chrono::milliseconds limit, const std::function<bool()>& check) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return testing::AssertionFailure() << "no child process";
  if (child == 0) _exit(check() ? 0 : 1);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() - start > limit) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return testing::AssertionFailure() << "still running after " << limit.count() << " ms";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!WIFEXITED(status)) return testing::AssertionFailure() << "ended by signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) != 0) return testing::AssertionFailure() << "ended in time with the wrong result";
  return testing::AssertionSuccess();
}
