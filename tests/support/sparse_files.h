// Huge files that take no disk, and a bound on the processor time reading
// one may take: a reader that walks a file's zeros step by step is stopped
// and reported, not left to hold the test for hours.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/time_bounds.h"

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

// Runs check in a child process: success when it returns true within limit
// of processor time (a busy machine does not stretch that); a child past it
// is killed, and so is one blocked for longer than the hang guard.
inline testing::AssertionResult EndsWithin(std::chrono::milliseconds limit, const std::function<bool()>& check) {
  return EndsWithinProcessorTime(limit, check);
}
