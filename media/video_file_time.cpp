#include "media/video_file_time.h"

#include <sys/stat.h>

#include <cstdint>

bool ReadVideoFileTime(const char* name, FILETIME* time) {
  struct stat st;
  if (name == nullptr || ::stat(name, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // 100-nanosecond ticks since 1601-01-01.
  const std::uint64_t ticks = (static_cast<std::uint64_t>(st.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                              static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100;
  time->dwLowDateTime = static_cast<DWORD>(ticks);
  time->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return true;
}
