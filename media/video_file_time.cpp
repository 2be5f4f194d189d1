#include "media/video_file_time.h"

#include "platform/core/files.h"
#include "platform/core/handle.h"

bool ReadVideoFileTime(const char* name, FILETIME* time) {
  if (name == nullptr) return false;
  // Opened for no access: only its time is read.
  HANDLE file = CreateFile(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME lastWrite;
  const bool ok = GetFileTime(file, nullptr, nullptr, &lastWrite) != FALSE;
  CloseHandle(file);
  if (ok) *time = lastWrite;
  return ok;
}
