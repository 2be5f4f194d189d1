#include "media/audio_file.h"

#include <algorithm>

#include "platform/core/files.h"

bool AudioFileHandle::Open(const char* name) {
  Close();
  HANDLE h = CreateFile(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
  std::lock_guard<std::mutex> guard(lock_);
  handle_ = h;
  return true;
}

void AudioFileHandle::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  if (HANDLE h = handle_.exchange(nullptr)) ::CloseHandle(h);
}

std::int64_t AudioFileHandle::Size() {
  std::lock_guard<std::mutex> guard(lock_);
  HANDLE h = handle_;
  if (h == nullptr) return -1;
  DWORD high = 0;
  const DWORD low = GetFileSize(h, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

std::int64_t AudioFileHandle::ReadAt(std::int64_t position, void* buffer, std::int64_t count) {
  if (position < 0 || count < 0) return -1;
  std::lock_guard<std::mutex> guard(lock_);
  HANDLE h = handle_;
  if (h == nullptr) return -1;
  if (count == 0) return 0;
  LONG high = static_cast<LONG>(position >> 32);
  const DWORD low = SetFilePointer(h, static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  std::int64_t done = 0;
  BYTE* p = static_cast<BYTE*>(buffer);
  while (done < count) {
    const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(count - done, 1 << 30));
    DWORD got = 0;
    if (!ReadFile(h, p + done, want, &got, nullptr)) return done > 0 ? done : -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool ReadFileWriteTime(const char* name, FILETIME* time) {
  if (name == nullptr) return false;
  HANDLE h = CreateFile(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
  FILETIME written;
  const bool ok = GetFileTime(h, nullptr, nullptr, &written) != 0;
  ::CloseHandle(h);
  if (ok) *time = written;
  return ok;
}
