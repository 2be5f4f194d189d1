#include "platform/core/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/dynlib.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;

// What a file that is not a regular one is, for a message.
const char* KindOfNonRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a file";
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// ENOENT stands for a missing file or for a missing folder on the way.
DWORD SetMissingError(const std::string& path) {
  std::string folder = PathFolder(path);
  DWORD code = (folder.empty() || IsFolder(folder)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  SetLastError(code);
  return code;
}

DWORD SetErrorForPath(int error, const std::string& path) {
  if (error == ENOENT) return SetMissingError(path);
  return SetLastErrorFromErrno(error);
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return PathJoin(cwd, path);
}

FILETIME FromTimespec(const struct timespec& t) {
  return FileTimeFromUnix(t.tv_sec, t.tv_nsec);
}

FILETIME FromStatxTime(const struct statx_timestamp& t) {
  return FileTimeFromUnix(t.tv_sec, t.tv_nsec);
}

bool ValidFileTime(const FILETIME* t) {
  return t == nullptr || (t->dwHighDateTime & 0x80000000u) == 0;
}

struct timespec ToTimespec(const FILETIME* t) {
  struct timespec out;
  if (t == nullptr) {
    out.tv_sec = 0;
    out.tv_nsec = UTIME_OMIT;
    return out;
  }
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  FileTimeToUnix(*t, &seconds, &nanoseconds);
  out.tv_sec = static_cast<time_t>(seconds);
  out.tv_nsec = static_cast<long>(nanoseconds);
  return out;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Copies the rest of in to out; false with errno set on failure.
bool CopyContents(int in, int out) {
  bool use_range = true;
  for (;;) {
    if (use_range) {
      ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 20, 0);
      if (n > 0) continue;
      if (n == 0) return true;
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM) {
        return false;
      }
      use_range = false;
    }
    char buffer[1 << 16];
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer, static_cast<size_t>(n))) return false;
  }
}

void SyncFolderOf(const std::string& path) {
  std::string folder = PathFolder(path);
  if (folder.empty()) folder = ".";
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

std::string RandomSuffix() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937_64 generator(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(getpid()) << 32) ^
      std::hash<std::thread::id>()(std::this_thread::get_id()) ^ counter.fetch_add(1));
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string out(6, 'x');
  for (char& c : out) c = kChars[generator() % (sizeof kChars - 1)];
  return out;
}

class FindObject : public KernelObject {
 public:
  std::string folder;
  std::vector<std::string> names;
  size_t next = 0;
};

// A folder or file without its owner's write permission is read-only.
DWORD AttributesOf(const struct stat& info) {
  const bool writable = (info.st_mode & S_IWUSR) != 0;
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | (writable ? 0 : FILE_ATTRIBUTE_READONLY);
  return writable ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

// Fills data for folder/name; false when the entry has gone since.
bool FillFindData(const std::string& folder, const std::string& name, WIN32_FIND_DATA* data) {
  std::string full = PathJoin(folder, name);
  struct stat info;
  if (stat(full.c_str(), &info) != 0 && lstat(full.c_str(), &info) != 0) return false;
  *data = WIN32_FIND_DATA();
  data->dwFileAttributes = AttributesOf(info);
  if (!S_ISDIR(info.st_mode)) {
    std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    data->nFileSizeLow = static_cast<DWORD>(size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  }
  data->ftLastWriteTime = FromTimespec(info.st_mtim);
  data->ftLastAccessTime = FromTimespec(info.st_atim);
  data->ftCreationTime = data->ftLastWriteTime;
  std::memcpy(data->cFileName, name.c_str(), name.size() + 1);
  return true;
}

bool NextFound(FindObject* find, WIN32_FIND_DATA* data) {
  while (find->next < find->names.size()) {
    const std::string& name = find->names[find->next++];
    if (FillFindData(find->folder, name, data)) return true;
  }
  return false;
}

// Name by name: "." and ".." resolved, empty components dropped.
std::string ResolveDots(const std::string& absolute) {
  size_t root_length = PathHasDrive(absolute) ? 3 : 1;
  std::string root = absolute.substr(0, std::min(root_length, absolute.size()));
  if (root.size() == 2) root += '/';
  std::vector<std::string> parts;
  size_t i = root_length;
  while (i <= absolute.size()) {
    size_t end = absolute.find('/', i);
    if (end == std::string::npos) end = absolute.size();
    std::string part = absolute.substr(i, end - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = end + 1;
  }
  std::string out = root;
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k > 0) out += '/';
    out += parts[k];
  }
  return out;
}

// The native path of a name a caller gave; false, with "path not found", for
// none or an empty one.
bool NativePathOf(LPCSTR name, std::string* path) {
  if (name == nullptr || name[0] == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  *path = NativePath(name);
  return true;
}

// Both names of a move or copy; false, with "invalid parameter", when either
// is missing or empty.
bool NativePathsOf(LPCSTR existingName, LPCSTR newName, std::string* from, std::string* to) {
  if (existingName == nullptr || newName == nullptr || existingName[0] == '\0' || newName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  *from = NativePath(existingName);
  *to = NativePath(newName);
  return true;
}

}  // namespace

// ---------------------------------------------------------------- FileObject

FileObject::FileObject(int fd, DWORD access, DWORD flags, std::string path)
    : fd_(fd), access_(access), flags_(flags), path_(std::move(path)) {
  seekable_ = lseek(fd_, 0, SEEK_CUR) >= 0;
  if (seekable_ && (flags_ & (FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_NO_BUFFERING))) {
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  if ((flags_ & FILE_FLAG_NO_BUFFERING) && (access_ & (GENERIC_READ | GENERIC_ALL))) OpenDirectReader();
}

FileObject::~FileObject() {
  if (direct_fd_ >= 0) close(direct_fd_);
  if (fd_ >= 0) close(fd_);
  if ((flags_ & FILE_FLAG_DELETE_ON_CLOSE) && !path_.empty()) unlink(path_.c_str());
}

void FileObject::OpenDirectReader() {
  if (!seekable_) return;
  // The same open file, reopened through /proc, so a rename in between
  // cannot swap it.
  std::string self = "/proc/self/fd/" + std::to_string(fd_);
  int fd = open(self.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
  if (fd < 0) return;
  direct_align_ = 4096;
#ifdef STATX_DIOALIGN
  struct statx info;
  if (statx(fd, "", AT_EMPTY_PATH, STATX_DIOALIGN, &info) == 0 && (info.stx_mask & STATX_DIOALIGN) &&
      info.stx_dio_offset_align != 0 && info.stx_dio_mem_align != 0) {
    direct_align_ = std::max<std::size_t>(info.stx_dio_offset_align, info.stx_dio_mem_align);
  }
#endif
  direct_fd_ = fd;
}

bool FileObject::DirectReadFits(const void* buffer, std::int64_t position, DWORD count) const {
  std::uintptr_t address = reinterpret_cast<std::uintptr_t>(buffer);
  return count > 0 && address % direct_align_ == 0 &&
         static_cast<std::uint64_t>(position) % direct_align_ == 0 && count % direct_align_ == 0;
}

bool FileObject::Read(void* buffer, DWORD count, DWORD* read) {
  if (read != nullptr) *read = 0;
  if ((access_ & (GENERIC_READ | GENERIC_ALL)) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (count > 0 && buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> hold(lock_);
  char* out = static_cast<char*>(buffer);
  DWORD done = 0;
  bool direct = direct_fd_ >= 0 && DirectReadFits(buffer, position_, count);
  while (done < count) {
    ssize_t n;
    if (!seekable_) {
      n = ::read(fd_, out + done, count - done);
    } else {
      n = pread(direct ? direct_fd_ : fd_, out + done, count - done, position_ + done);
    }
    if (n < 0) {
      int error = errno;
      if (error == EINTR) continue;
      if (direct && error == EINVAL) {
        // The file system takes no direct reads after all (or not here).
        if (done == 0) {
          close(direct_fd_);
          direct_fd_ = -1;
        }
        direct = false;
        continue;
      }
      position_ += done;
      if (read != nullptr) *read = done;
      SetLastErrorFromErrno(error);
      return false;
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
    if (!seekable_) break;
    // After a short direct read the rest starts unaligned: finish it cached.
    if (direct && static_cast<std::size_t>(n) % direct_align_ != 0) direct = false;
  }
  position_ += done;
  if (read != nullptr) *read = done;
  return true;
}

bool FileObject::Write(const void* buffer, DWORD count, DWORD* written) {
  if (written != nullptr) *written = 0;
  if ((access_ & (GENERIC_WRITE | GENERIC_ALL)) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (count > 0 && buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> hold(lock_);
  const char* in = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < count) {
    ssize_t n = seekable_ ? pwrite(fd_, in + done, count - done, position_ + done)
                          : ::write(fd_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int error = n < 0 ? errno : ENOSPC;
      position_ += done;
      if (written != nullptr) *written = done;
      SetLastErrorFromErrno(error);
      return false;
    }
    done += static_cast<DWORD>(n);
  }
  position_ += done;
  if (written != nullptr) *written = done;
  return true;
}

bool FileObject::Seek(std::int64_t distance, DWORD method, std::int64_t* newPosition, std::int64_t limit) {
  if (!seekable_) {
    SetLastError(ERROR_SEEK);
    return false;
  }
  std::lock_guard<std::mutex> hold(lock_);
  std::int64_t base = 0;
  switch (method) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      base = position_;
      break;
    case FILE_END: {
      struct stat info;
      if (fstat(fd_, &info) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
      }
      base = info.st_size;
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, distance, &target)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return false;
  }
  if (target > limit) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  position_ = target;
  if (newPosition != nullptr) *newPosition = target;
  return true;
}

bool FileObject::Size(std::int64_t* size) {
  struct stat info;
  if (fstat(fd_, &info) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  *size = info.st_size;
  return true;
}

bool FileObject::TruncateHere() {
  if ((access_ & (GENERIC_WRITE | GENERIC_ALL)) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  std::lock_guard<std::mutex> hold(lock_);
  int rc;
  do {
    rc = ftruncate(fd_, position_);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

// ------------------------------------------------------------- file handles

namespace {

// Files are read only when regular: a FIFO would wait for a writer for
// ever, a device never end. A device may still be written (/dev/null).
bool RegularEnough(mode_t mode, bool writing) {
  if (S_ISREG(mode) || S_ISDIR(mode)) return true;
  return writing && (S_ISCHR(mode) || S_ISBLK(mode));
}

// The file object behind a handle; null, with "invalid handle", when the
// handle is not an open file.
FileObject* FileOf(HANDLE file) {
  FileObject* object = HandleAs<FileObject>(file);
  if (object == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

}  // namespace

HANDLE CreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                  DWORD flagsAndAttributes, HANDLE templateFile) {
  if (name == nullptr || name[0] == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (flagsAndAttributes & FILE_FLAG_OVERLAPPED) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = NativePath(name);
  bool can_read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  bool can_write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  int base = (can_write ? (can_read ? O_RDWR : O_WRONLY) : O_RDONLY) | O_CLOEXEC | O_NOCTTY;
  if (flagsAndAttributes & FILE_FLAG_WRITE_THROUGH) base |= O_DSYNC;

  int fd = -1;
  // Never held up in the open by a FIFO or a device: what it is is asked
  // of the open file below, and only a regular file is kept for reading.
  auto try_open = [&](int flags) {
    do {
      fd = open(path.c_str(), flags | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd >= 0;
  };
  bool existed = false;
  switch (disposition) {
    case CREATE_NEW:
      if (!try_open(base | O_CREAT | O_EXCL) && errno == EEXIST) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
      }
      break;
    case CREATE_ALWAYS:
      // Creating first tells whether the file was there; loop over a
      // file that vanishes or appears in between.
      for (int attempt = 0; attempt < 16; ++attempt) {
        if (try_open(base | O_CREAT | O_EXCL) || errno != EEXIST) break;
        if (try_open(base | O_TRUNC)) {
          existed = true;
          break;
        }
        if (errno != ENOENT) break;
      }
      break;
    case OPEN_EXISTING:
      if (!try_open(base) && errno == EACCES && access == 0) try_open(O_PATH | O_CLOEXEC);
      break;
    case OPEN_ALWAYS:
      for (int attempt = 0; attempt < 16; ++attempt) {
        if (try_open(base)) {
          existed = true;
          break;
        }
        if (errno != ENOENT) break;
        if (try_open(base | O_CREAT | O_EXCL) || errno != EEXIST) break;
      }
      break;
    case TRUNCATE_EXISTING:
      if (!can_write) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      try_open(base | O_TRUNC);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if (fd < 0) {
    SetErrorForPath(errno, path);
    return INVALID_HANDLE_VALUE;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || !RegularEnough(info.st_mode, can_write)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (S_ISREG(info.st_mode)) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  }
  return ToHandle(new FileObject(fd, access, flagsAndAttributes, AbsolutePath(path)));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read != nullptr) *read = 0;
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  if (overlapped != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return object->Read(buffer, count, read) ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written != nullptr) *written = 0;
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  if (overlapped != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return object->Write(buffer, count, written) ? TRUE : FALSE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh, DWORD method) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return INVALID_SET_FILE_POINTER;
  std::int64_t move = distance;
  std::int64_t limit = 0xFFFFFFFFll;
  if (distanceHigh != nullptr) {
    move = static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                     static_cast<DWORD>(distance));
    limit = INT64_MAX;
  }
  std::int64_t position = 0;
  if (!object->Seek(move, method, &position, limit)) return INVALID_SET_FILE_POINTER;
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(position >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(position);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD method) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  std::int64_t position = 0;
  if (!object->Seek(distance.QuadPart, method, &position)) return FALSE;
  if (newPosition != nullptr) newPosition->QuadPart = position;
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD high) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return INVALID_FILE_SIZE;
  std::int64_t size = 0;
  if (!object->Size(&size)) return INVALID_FILE_SIZE;
  if (high == nullptr && size > 0xFFFFFFFFll) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_SIZE;
  }
  if (high != nullptr) *high = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(size);
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  std::int64_t value = 0;
  if (!object->Size(&value)) return FALSE;
  if (size != nullptr) size->QuadPart = value;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  return object->TruncateHere() ? TRUE : FALSE;
}

BOOL FlushFileBuffers(HANDLE file) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  if (fsync(object->fd()) != 0 && errno != EINVAL) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

// -------------------------------------------------------------- file names

BOOL DeleteFile(LPCSTR name) {
  std::string path;
  if (!NativePathOf(name, &path)) return FALSE;
  struct stat info;
  if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(path.c_str()) != 0) {
    SetErrorForPath(errno, path);
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFile(LPCSTR existingName, LPCSTR newName) {
  return MoveFileEx(existingName, newName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileEx(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  std::string from, to;
  if (!NativePathsOf(existingName, newName, &from, &to)) return FALSE;
  struct stat info;
  if (lstat(from.c_str(), &info) != 0) {
    SetErrorForPath(errno, from);
    return FALSE;
  }
  int rc;
  if (flags & MOVEFILE_REPLACE_EXISTING) {
    rc = rename(from.c_str(), to.c_str());
  } else {
    rc = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without the no-replace rename: test, then rename.
      struct stat target;
      if (lstat(to.c_str(), &target) == 0) {
        errno = EEXIST;
      } else {
        rc = rename(from.c_str(), to.c_str());
      }
    }
  }
  if (rc != 0 && errno == EXDEV && (flags & MOVEFILE_COPY_ALLOWED) && S_ISREG(info.st_mode)) {
    if (!CopyFile(from.c_str(), to.c_str(), (flags & MOVEFILE_REPLACE_EXISTING) ? FALSE : TRUE)) return FALSE;
    if (unlink(from.c_str()) != 0) {
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
    return TRUE;
  }
  if (rc != 0) {
    if (errno == EEXIST || errno == ENOTEMPTY) {
      SetLastError(ERROR_ALREADY_EXISTS);
    } else {
      SetErrorForPath(errno, to);
    }
    return FALSE;
  }
  if (flags & MOVEFILE_WRITE_THROUGH) SyncFolderOf(to);
  return TRUE;
}

BOOL CopyFile(LPCSTR existingName, LPCSTR newName, BOOL failIfExists) {
  std::string from, to;
  if (!NativePathsOf(existingName, newName, &from, &to)) return FALSE;
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    SetErrorForPath(errno, from);
    return FALSE;
  }
  struct stat source;
  if (fstat(in, &source) != 0 || S_ISDIR(source.st_mode)) {
    close(in);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  struct stat target;
  if (stat(to.c_str(), &target) == 0 && target.st_dev == source.st_dev && target.st_ino == source.st_ino) {
    close(in);
    SetLastError(failIfExists ? ERROR_FILE_EXISTS : ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC),
                 source.st_mode & 0777);
  if (out < 0) {
    int error = errno;
    close(in);
    if (error == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
    } else {
      SetErrorForPath(error, to);
    }
    return FALSE;
  }
  bool ok = CopyContents(in, out);
  int error = errno;
  if (ok) {
    struct timespec times[2] = {source.st_atim, source.st_mtim};
    futimens(out, times);
  }
  close(in);
  if (close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(to.c_str());
    SetLastErrorFromErrno(error);
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributes(LPCSTR name) {
  std::string path;
  if (!NativePathOf(name, &path)) return INVALID_FILE_ATTRIBUTES;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    SetErrorForPath(errno, path);
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(info);
}

BOOL CreateDirectory(LPCSTR name, LPSECURITY_ATTRIBUTES security) {
  std::string path;
  if (!NativePathOf(name, &path)) return FALSE;
  if (mkdir(path.c_str(), 0777) != 0) {
    if (errno == ENOENT) {
      SetLastError(ERROR_PATH_NOT_FOUND);
    } else {
      SetLastErrorFromErrno(errno);
    }
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectory(LPCSTR name) {
  std::string path;
  if (!NativePathOf(name, &path)) return FALSE;
  if (rmdir(path.c_str()) != 0) {
    if (errno == ENOTEMPTY || errno == EEXIST) {
      SetLastError(ERROR_DIR_NOT_EMPTY);
    } else if (errno == ENOTDIR) {
      SetLastError(ERROR_DIRECTORY);
    } else {
      SetErrorForPath(errno, path);
    }
    return FALSE;
  }
  return TRUE;
}

// ---------------------------------------------------------------- searching

bool MatchesWildcard(const char* pattern, const char* name, bool ignoreCase) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  const char* star = nullptr;  // the last "*" seen, to fall back to
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || *pattern == *name ||
               (ignoreCase && std::tolower(static_cast<unsigned char>(*pattern)) ==
                                  std::tolower(static_cast<unsigned char>(*name)))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

HANDLE FindFirstFile(LPCSTR pattern, LPWIN32_FIND_DATA data) {
  if (pattern == nullptr || pattern[0] == '\0' || data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = NativePath(pattern);
  std::string spec = PathFileName(path);
  std::string folder = PathFolder(path);
  if (folder.empty()) folder = ".";
  if (spec.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  FindObject* find = new FindObject;
  find->folder = folder;
  while (struct dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (std::strlen(name) >= MAX_PATH) continue;
    if (MatchesWildcard(spec.c_str(), name)) find->names.emplace_back(name);
  }
  closedir(dir);
  std::sort(find->names.begin(), find->names.end());
  if (!NextFound(find, data)) {
    find->Release();
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return ToHandle(find);
}

BOOL FindNextFile(HANDLE find, LPWIN32_FIND_DATA data) {
  FindObject* object = HandleAs<FindObject>(find);
  if (object == nullptr || data == nullptr) {
    SetLastError(object == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!NextFound(object, data)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  FindObject* object = HandleAs<FindObject>(find);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->Release();
  return TRUE;
}

// --------------------------------------------------------------- file times

FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  // Normalise so that the nanoseconds lie in 0..999999999.
  seconds += nanoseconds / 1000000000;
  nanoseconds %= 1000000000;
  if (nanoseconds < 0) {
    nanoseconds += 1000000000;
    --seconds;
  }
  constexpr std::int64_t kMinSeconds = -static_cast<std::int64_t>(kFileTimeUnixEpoch / kTicksPerSecond);
  constexpr std::int64_t kMaxSeconds =
      (INT64_MAX - static_cast<std::int64_t>(kFileTimeUnixEpoch)) / kTicksPerSecond - 1;
  if (seconds < kMinSeconds) return FileTimeFromTicks(0);
  if (seconds > kMaxSeconds) return FileTimeFromTicks(static_cast<ULONGLONG>(INT64_MAX));
  std::int64_t ticks =
      seconds * kTicksPerSecond + nanoseconds / 100 + static_cast<std::int64_t>(kFileTimeUnixEpoch);
  return FileTimeFromTicks(static_cast<ULONGLONG>(ticks));
}

void FileTimeToUnix(const FILETIME& time, std::int64_t* seconds, std::int64_t* nanoseconds) {
  std::int64_t ticks = static_cast<std::int64_t>(FileTimeTicks(time) & 0x7FFFFFFFFFFFFFFFull) -
                       static_cast<std::int64_t>(kFileTimeUnixEpoch);
  std::int64_t whole = ticks / kTicksPerSecond;
  std::int64_t rest = ticks % kTicksPerSecond;
  if (rest < 0) {
    rest += kTicksPerSecond;
    --whole;
  }
  *seconds = whole;
  *nanoseconds = rest * 100;
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  struct statx info;
  if (statx(object->fd(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (lastWrite != nullptr) *lastWrite = FromStatxTime(info.stx_mtime);
  if (lastAccess != nullptr) *lastAccess = FromStatxTime(info.stx_atime);
  if (creation != nullptr) {
    *creation = FromStatxTime((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
  }
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  FileObject* object = FileOf(file);
  if (object == nullptr) return FALSE;
  if (!ValidFileTime(lastAccess) || !ValidFileTime(lastWrite) || !ValidFileTime(creation)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (lastAccess == nullptr && lastWrite == nullptr) return TRUE;
  struct timespec times[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
  if (futimens(object->fd(), times) == 0) return TRUE;
  // A handle opened only to query has no descriptor that can set times.
  if (errno == EBADF && utimensat(AT_FDCWD, object->path().c_str(), times, 0) == 0) return TRUE;
  SetLastErrorFromErrno(errno);
  return FALSE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  ULONGLONG x = FileTimeTicks(*a);
  ULONGLONG y = FileTimeTicks(*b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

// --------------------------------------------------------------- free space

namespace {

bool FileSystemOf(LPCSTR folder, struct statvfs* info) {
  std::string path = (folder == nullptr || folder[0] == '\0') ? std::string(".") : NativePath(folder);
  for (;;) {
    if (statvfs(path.c_str(), info) == 0) return true;
    if (errno != ENOENT && errno != ENOTDIR) break;
    std::string parent = PathFolder(path);
    if (parent.empty()) parent = ".";
    if (parent == path) break;
    path = parent;
  }
  SetLastErrorFromErrno(errno);
  return false;
}

}  // namespace

BOOL GetDiskFreeSpaceEx(LPCSTR folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                        ULARGE_INTEGER* totalFree) {
  struct statvfs info;
  if (!FileSystemOf(folder, &info)) return FALSE;
  ULONGLONG unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  if (freeToCaller != nullptr) freeToCaller->QuadPart = static_cast<ULONGLONG>(info.f_bavail) * unit;
  if (total != nullptr) total->QuadPart = static_cast<ULONGLONG>(info.f_blocks) * unit;
  if (totalFree != nullptr) totalFree->QuadPart = static_cast<ULONGLONG>(info.f_bfree) * unit;
  return TRUE;
}

BOOL GetDiskFreeSpace(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                      LPDWORD totalClusters) {
  struct statvfs info;
  if (!FileSystemOf(root, &info)) return FALSE;
  ULONGLONG unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  ULONGLONG sectors = unit >= 512 ? unit / 512 : 1;
  ULONGLONG cluster = sectors * 512;
  auto held = [](ULONGLONG v) { return static_cast<DWORD>(std::min<ULONGLONG>(v, 0xFFFFFFFFull)); };
  if (sectorsPerCluster != nullptr) *sectorsPerCluster = static_cast<DWORD>(sectors);
  if (bytesPerSector != nullptr) *bytesPerSector = 512;
  if (freeClusters != nullptr) *freeClusters = held(static_cast<ULONGLONG>(info.f_bavail) * unit / cluster);
  if (totalClusters != nullptr) *totalClusters = held(static_cast<ULONGLONG>(info.f_blocks) * unit / cluster);
  return TRUE;
}

// ------------------------------------------------------------- names, temp

DWORD GetCurrentDirectory(DWORD size, LPSTR buffer) {
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) {
    SetLastErrorFromErrno(errno);
    return 0;
  }
  return CopyToBuffer(cwd, buffer, size);
}

BOOL SetCurrentDirectory(LPCSTR name) {
  std::string path;
  if (!NativePathOf(name, &path)) return FALSE;
  if (chdir(path.c_str()) != 0) {
    SetErrorForPath(errno, path);
    return FALSE;
  }
  return TRUE;
}

DWORD GetFullPathName(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart) {
  if (filePart != nullptr) *filePart = nullptr;
  if (name == nullptr || name[0] == '\0') {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  std::string path = NativePath(name);
  bool folder_only = path.back() == '/';
  std::string full = ResolveDots(PathIsAbsolute(path) ? path : AbsolutePath(path));
  if (folder_only && full.back() != '/') full += '/';
  DWORD result = CopyToBuffer(full, buffer, size);
  if (result == full.size() && filePart != nullptr && !folder_only) {
    size_t start = full.rfind('/');
    if (start != std::string::npos && start + 1 < full.size()) *filePart = buffer + start + 1;
  }
  return result;
}

DWORD GetModuleFileName(HMODULE module, LPSTR buffer, DWORD size) {
  std::string path;
  if (module == nullptr || !ModulePath(module, &path)) path = ProgramPath();
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= size) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

DWORD GetTempPath(DWORD size, LPSTR buffer) {
  return CopyToBuffer(InstanceTempFolder() + "/", buffer, size);
}

UINT GetTempFileName(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (path == nullptr || tempFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string folder = PathWithSeparator(NativePath(path));
  std::string start = prefix != nullptr ? std::string(prefix).substr(0, 3) : std::string();
  auto form = [&](UINT number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", number & 0xFFFFu);
    return folder + start + digits + ".TMP";
  };
  auto store = [&](const std::string& name) {
    if (name.size() >= MAX_PATH) return false;
    std::memcpy(tempFileName, name.c_str(), name.size() + 1);
    return true;
  };
  if (unique != 0) {
    if (!store(form(unique))) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    return unique & 0xFFFFu;
  }
  if (form(1).size() >= MAX_PATH) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  UINT first = static_cast<UINT>(std::chrono::steady_clock::now().time_since_epoch().count() ^ getpid());
  for (UINT i = 0; i < 0x10000u; ++i) {
    UINT number = (first + i) & 0xFFFFu;
    if (number == 0) continue;
    std::string name = form(number);
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      store(name);
      return number;
    }
    if (errno != EEXIST) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno));
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

// ------------------------------------------------------- regular files only

std::string FileOpenProblem(const std::string& path) {
  if (path.empty()) return "no file was named";
  const std::string native = NativePath(path);
  struct stat info;
  if (stat(native.c_str(), &info) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return "the file does not exist";
    return std::strerror(error);
  }
  if (S_ISREG(info.st_mode)) return access(native.c_str(), R_OK) == 0 ? "" : "the file may not be read";
  return std::string("it is ") + KindOfNonRegular(info.st_mode) + ", not a regular file";
}

std::FILE* OpenRegularFileForReading(const std::string& path) {
  int fd;
  do {
    fd = open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    SetErrorForPath(errno, NativePath(path));
    return nullptr;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

// ------------------------------------------------------------- small files

bool ReadSmallFile(const std::string& path, size_t limit, std::string* text) {
  text->clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= limit;
  if (ok) {
    text->reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
      const ssize_t n = read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false;
        break;
      }
      if (n == 0) break;
      text->append(chunk, static_cast<size_t>(n));
      // The file grew while it was read.
      if (text->size() > limit) {
        ok = false;
        break;
      }
    }
  }
  close(fd);
  if (!ok) text->clear();
  return ok;
}

// ----------------------------------------------------------- atomic replace

namespace {

// A replacement's temporary file: a short name of its own, not the target's
// with more after it, so that every name the file system takes can be
// written; hidden, and recognisable as ours for the clean-up of the ones a
// killed writer left.
constexpr char kTempHead[] = ".kobrix-";
constexpr char kTempTail[] = ".tmp";
constexpr size_t kTempSuffixSize = 6;  // RandomSuffix
constexpr size_t kTempNameSize = sizeof kTempHead - 1 + kTempSuffixSize + sizeof kTempTail - 1;

std::string TemporaryName() { return kTempHead + RandomSuffix() + kTempTail; }

bool IsTemporaryName(const std::string& name) {
  if (name.size() != kTempNameSize || name.compare(0, sizeof kTempHead - 1, kTempHead) != 0 ||
      name.compare(name.size() - (sizeof kTempTail - 1), std::string::npos, kTempTail) != 0) {
    return false;
  }
  for (size_t i = sizeof kTempHead - 1; i < sizeof kTempHead - 1 + kTempSuffixSize; ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

// The temporaries being written, for an end of the program that cannot
// wait for their writers: a fixed table that the end reads without locks or
// memory of its own. A slot is free, being filled or emptied by its writer,
// live, or taken by the end (which then never gives it back, nor its folder).
enum : int { kSlotFree, kSlotBusy, kSlotLive, kSlotEnding };
struct InProgress {
  std::atomic<int> state{kSlotFree};
  int folder = -1;
  char name[32] = {};
};
InProgress g_inProgress[16];

// The slot of name in folder, or -1 when the table is full (the write goes
// on without one).
int EnterInProgress(int folder, const std::string& name) {
  if (name.size() >= sizeof InProgress::name) return -1;
  for (int i = 0; i < static_cast<int>(std::size(g_inProgress)); ++i) {
    InProgress& slot = g_inProgress[i];
    int free = kSlotFree;
    if (!slot.state.compare_exchange_strong(free, kSlotBusy)) continue;
    slot.folder = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (slot.folder < 0) {
      slot.state.store(kSlotFree);
      return -1;
    }
    std::memcpy(slot.name, name.c_str(), name.size() + 1);
    slot.state.store(kSlotLive);
    return i;
  }
  return -1;
}

void LeaveInProgress(int index) {
  if (index < 0) return;
  InProgress& slot = g_inProgress[index];
  int live = kSlotLive;
  // Taken by the end: its folder stays open for it.
  if (!slot.state.compare_exchange_strong(live, kSlotBusy)) return;
  close(slot.folder);
  slot.folder = -1;
  slot.state.store(kSlotFree);
}

// The temporaries being written on this thread and the files they replace,
// as the caller named them, for the messages their writers show.
struct Written {
  std::string temp;  // the path the writer was given
  std::string name;  // the temporary's own name
  std::string target;
};
thread_local std::vector<Written> t_written;

// What a link in a folder may not be followed for: in a folder that everyone
// may write and where only an entry's owner may rename it (sticky, as /tmp),
// a link made by another user than this one or the folder's owner may have
// been planted to send the write into a file of its maker's choosing.
bool LinkMayBeFollowed(const struct stat& link, const struct stat& folder) {
  const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
  return !shared || link.st_uid == geteuid() || link.st_uid == folder.st_uid;
}

std::string ParentOf(const std::string& resolved) {
  const size_t cut = resolved.rfind('/');
  return cut == 0 || cut == std::string::npos ? std::string("/") : resolved.substr(0, cut);
}

// A descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

Descriptor Duplicate(int fd) { return Descriptor(fcntl(fd, F_DUPFD_CLOEXEC, 0)); }

// Where a replacement writes: its folder, held open from the walk that
// checked the way to it until the rename, so that a folder on the way that
// another user swaps meanwhile for a link cannot send the write elsewhere.
struct ReplacePlace {
  Descriptor folder;   // opened with O_PATH
  std::string name;    // the entry replaced; empty when the way ends on a folder
  std::string target;  // the entry's path, for messages
  bool had_old = false;
  struct stat old {};
  int error = 0;  // why no folder was found (errno), when the walk gives none
  std::string missing;  // then the first name on the way that is not there (or could not be entered)
};

constexpr decltype(statfs::f_type) kProcFileSystem = 0x9fa0;  // PROC_SUPER_MAGIC

// What a link of a process's own (in /proc: its descriptors, its program)
// leads to, for a message.
const char* KindOfHeld(mode_t mode) {
  if (S_ISFIFO(mode)) return "a pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISREG(mode)) return "a file a process holds open";
  return "what a process holds open";
}

bool InProcesses(int folder) {
  struct statfs system;
  return fstatfs(folder, &system) == 0 && system.f_type == kProcFileSystem;
}

// The walk of a shared file's path, a name at a time from the root, each
// name opened below the folder before it and never through a link: a link
// is followed (by its text, again a name at a time) only where
// LinkMayBeFollowed allows, and stays a link, the file it leads to being the
// one replaced. A link that leads nowhere is replaced itself. False, with why
// naming the link, for a link that may not be followed; false with
// place->error for a way that leads to no folder.
bool WalkToSharedPlace(const std::string& path, ReplacePlace* place, std::string* why) {
  const std::string given = AbsolutePath(NativePath(path));
  // The system would take "out.wav/" for a folder: the slash is not dropped.
  if (given.size() > 1 && given.back() == '/') {
    if (why != nullptr) *why = "'" + NativePath(path) + "' ends with a slash, which names a folder, not a file";
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  std::vector<std::string> rest;  // names still to walk, the next last
  auto push = [&rest](const std::string& text) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= text.size()) {
      size_t end = text.find('/', i);
      if (end == std::string::npos) end = text.size();
      if (end > i) parts.push_back(text.substr(i, end - i));
      i = end + 1;
    }
    rest.insert(rest.end(), parts.rbegin(), parts.rend());
  };
  push(given);
  size_t givenLeft = rest.size();  // the bottom of rest is what is left of the given path
  std::vector<Descriptor> held;    // the folders on the way, the root first
  held.emplace_back(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (held.back().get() < 0) {
    place->error = errno;
    place->target = given;
    return false;
  }
  std::string done = "/";
  int links = 0;
  int failed = 0;        // the error of a name that could not be opened; below it the rest goes by name
  ReplacePlace ownLast;  // the given path's last name, where a link that leads nowhere is replaced
  while (!rest.empty()) {
    const std::string part = rest.back();
    rest.pop_back();
    const bool givenPart = rest.size() < givenLeft;
    if (givenPart) givenLeft = rest.size();
    if (part == ".") continue;
    if (part == "..") {
      done = ParentOf(done);
      if (failed == 0 && held.size() > 1) held.pop_back();
      continue;
    }
    const std::string next = done == "/" ? "/" + part : done + "/" + part;
    if (failed != 0) {
      done = next;
      continue;
    }
    const int folder = held.back().get();
    if (givenPart && rest.empty()) {
      ownLast.folder = Duplicate(folder);
      ownLast.name = part;
    }
    Descriptor entry(openat(folder, part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat info;
    if (entry.get() < 0 || fstat(entry.get(), &info) != 0) {
      failed = errno;
      // No file can be made there; a link that led there (a descriptor no
      // longer open) is not replaced either.
      if (InProcesses(folder)) {
        if (why != nullptr) *why = "'" + NativePath(path) + "' leads to nothing ('" + next + "'), not a regular file";
        SetLastErrorFromErrno(failed);
        return false;
      }
      // A name on the way (not the one replaced) that is missing, or that
      // its folder would not let the walk see: it is the one named, even
      // when a ".." after it leads back to a folder that is there.
      place->missing = failed == EACCES || failed == EPERM ? done : next;
      done = next;
      continue;
    }
    if (S_ISLNK(info.st_mode)) {
      struct stat there;
      if (fstat(folder, &there) != 0 || !LinkMayBeFollowed(info, there)) {
        if (why != nullptr) {
          *why = "'" + next + "' is a link made by another user in the shared folder '" + done +
                 "'; it is not followed";
        }
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
      }
      if (++links > 40) {
        if (why != nullptr) *why = "'" + given + "' goes through too many links";
        SetLastErrorFromErrno(ELOOP);
        return false;
      }
      // A process's own links lead to what it holds open (a pipe, a
      // socket, a file under another name), not to a name that a new file
      // could take: they are never replaced, and only those that lead to a
      // folder (the process's own, its current folder) are walked on.
      if (InProcesses(folder)) {
        struct stat held;
        if (fstatat(folder, part.c_str(), &held, 0) != 0 || !S_ISDIR(held.st_mode)) {
          if (why != nullptr) {
            const bool known = fstatat(folder, part.c_str(), &held, 0) == 0;
            *why = "'" + NativePath(path) + "' leads to " + (known ? KindOfHeld(held.st_mode) : "nothing") +
                   " ('" + next + "')" +
                   (known && S_ISREG(held.st_mode) ? ", not to the name of a file" : ", not a regular file");
          }
          SetLastError(ERROR_ACCESS_DENIED);
          return false;
        }
      }
      // The link that was checked, not whatever has its name now.
      std::vector<char> text(static_cast<size_t>(PATH_MAX) + 1);
      const ssize_t n = readlinkat(entry.get(), "", text.data(), text.size() - 1);
      if (n < 0) {
        failed = errno;
        done = next;
        continue;
      }
      const std::string leads(text.data(), static_cast<size_t>(n));
      if (!leads.empty() && leads[0] == '/') {
        done = "/";
        held.resize(1);
      }
      push(leads);
      continue;
    }
    if (!rest.empty()) {
      if (!S_ISDIR(info.st_mode)) {
        failed = ENOTDIR;
        place->missing = next;
      } else {
        held.push_back(std::move(entry));
      }
      done = next;
      continue;
    }
    place->name = part;
    place->target = next;
    place->had_old = true;
    place->old = info;
    place->folder = Duplicate(folder);
    if (place->folder.get() >= 0) return true;
    place->error = errno;
    return false;
  }
  if (failed == 0) {
    // The way ends on a folder ("." or ".." last): that is what stands there.
    place->target = done;
    place->had_old = fstat(held.back().get(), &place->old) == 0;
    place->folder = Duplicate(held.back().get());
    if (place->folder.get() >= 0) return true;
    place->error = errno;
    return false;
  }
  // A missing last name is a new file; a link that leads nowhere is
  // replaced, not followed into a new file.
  place->target = links > 0 ? NativePath(path) : done;
  if (ownLast.folder.get() < 0) {
    place->error = failed;
    return false;
  }
  place->folder = std::move(ownLast.folder);
  place->name = ownLast.name;
  return true;
}

// A file the program keeps for itself: its folder as the system finds it,
// and whatever stands at its name is replaced, never followed.
bool OpenPrivatePlace(const std::string& path, ReplacePlace* place) {
  place->target = NativePath(path);
  place->name = PathFileName(place->target);
  std::string folder = PathFolder(place->target);
  if (folder.empty()) folder = ".";
  place->folder = Descriptor(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (place->folder.get() < 0 || place->name.empty()) {
    place->error = place->folder.get() < 0 ? errno : EISDIR;
    return false;
  }
  place->had_old = fstatat(place->folder.get(), place->name.c_str(), &place->old, AT_SYMLINK_NOFOLLOW) == 0;
  return true;
}

// Whether fd is the file that name in folder stands for now.
bool SameEntry(int fd, int folder, const std::string& name) {
  struct stat open_file, named;
  return fstat(fd, &open_file) == 0 && fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

void SyncFolder(int folder) {
  const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// The folder's path for a writer that opens the temporary file by name: the
// held descriptor as the process's own /proc shows it, which leads where the
// descriptor does whatever became of the names on the way. Without /proc,
// the path the walk found.
std::string HeldFolderPath(const ReplacePlace& place) {
  const std::string proc = "/proc/self/fd/" + std::to_string(place.folder.get());
  struct stat viaProc, held;
  if (stat(proc.c_str(), &viaProc) == 0 && fstat(place.folder.get(), &held) == 0 &&
      viaProc.st_dev == held.st_dev && viaProc.st_ino == held.st_ino) {
    return proc;
  }
  const std::string folder = PathFolder(place.target);
  return folder.empty() ? std::string(".") : folder;
}

// A temporary file is held locked by its writer from its creation to its
// rename; one nobody holds was left by a writer that died.
void RemoveStaleTemporariesIn(const ReplacePlace& place) {
  if (place.name.empty()) return;
  const int listing = openat(place.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = fdopendir(listing);
  if (dir == nullptr) {
    close(listing);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string name(entry->d_name);
    if (!IsTemporaryName(name)) continue;
    const int fd = openat(place.folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    // Checked again under the lock: a writer may have renamed it meanwhile.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        SameEntry(fd, place.folder.get(), name)) {
      unlinkat(place.folder.get(), name.c_str(), 0);
    }
    close(fd);
  }
  closedir(dir);
}

}  // namespace

void RemoveStaleTemporaries(const std::string& path) {
  ReplacePlace place;
  // Where the walk refuses, nothing is touched.
  if (!path.empty() && WalkToSharedPlace(path, &place, nullptr)) RemoveStaleTemporariesIn(place);
}

bool SameFileByPath(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(NativePath(a).c_str(), &first) == 0 && stat(NativePath(b).c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

namespace {

thread_local std::string t_lastReplaceFailure;

bool ReplaceFile(const std::string& path, const std::function<bool(int fd, const std::string& temp)>& write,
                 ReplaceDurability durability, ReplaceAccess access, std::string* why) {
  if (path.empty() || !write) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const bool isPrivate = access == ReplaceAccess::kPrivate;
  ReplacePlace place;
  const bool found = isPrivate ? OpenPrivatePlace(path, &place) : WalkToSharedPlace(path, &place, why);
  if (!found && place.error == 0) return false;  // refused, why told
  std::string folderName = !found && !place.missing.empty() ? place.missing : PathFolder(place.target);
  if (folderName.empty()) folderName = ".";
  auto folderFailure = [&](int error, const std::string& temp) {
    if (error == ENOTDIR && !found && !place.missing.empty()) {
      *why = "'" + folderName + "' is not a folder.";
    } else if (error == ENOENT || error == ENOTDIR) {
      *why = "The folder '" + folderName + "' does not exist.";
    } else if (error == EACCES || error == EPERM || error == EROFS) {
      *why = "The folder '" + folderName + "' can not be written.";
    } else {
      *why = "The folder '" + folderName + "' can not be written: " + std::strerror(error);
    }
    SetErrorForPath(error, temp);
    return false;
  };
  if (!found) return folderFailure(place.error, PathJoin(folderName, kTempHead));
  struct stat& old = place.old;
  const bool had_old = place.had_old;
  if (had_old && isPrivate) {
    // Whatever stands there (a link, another user's file) is replaced.
    old.st_mode = S_IFREG | 0600;
    old.st_uid = geteuid();
  } else if (had_old && !S_ISREG(old.st_mode)) {
    *why = "'" + NativePath(path) + "' is " + KindOfNonRegular(old.st_mode) + ", not a regular file";
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const int folder = place.folder.get();
  // What earlier writers that died left beside the file goes first: it may
  // be the room this one needs.
  RemoveStaleTemporariesIn(place);
  // O_EXCL with mode 0666 lets the umask shape a new file's permissions.
  std::string tempName;
  int fd = -1;
  for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
    tempName = TemporaryName();
    fd = openat(folder, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                isPrivate ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
    if (fd < 0) continue;
    // Held until the rename. Another save may have taken the file for a stale
    // one before the lock: then it is gone, and another name is tried.
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (!SameEntry(fd, folder, tempName)) {
      close(fd);
      fd = -1;
      errno = EEXIST;
    }
  }
  if (fd < 0) {
    const int error = errno;
    return folderFailure(error, PathJoin(folderName, kTempHead));
  }
  const int slot = EnterInProgress(folder, tempName);
  auto fail = [&](int error) {
    unlinkat(folder, tempName.c_str(), 0);
    LeaveInProgress(slot);
    close(fd);
    SetLastErrorFromErrno(error);
    return false;
  };
  const std::string tempPath = PathJoin(HeldFolderPath(place), tempName);
  t_written.push_back({tempPath, tempName, NativePath(path)});
  errno = 0;
  const bool wrote = write(fd, tempPath);
  const int writeError = errno;
  t_written.pop_back();
  errno = writeError;
  if (!wrote) {
    const int error = errno != 0 ? errno : EIO;
    if (errno != 0) *why = std::string("the file could not be written: ") + std::strerror(error);
    return fail(error);
  }
  // Another user's permissions are not taken over: they could open the new
  // file to others.
  if (had_old && old.st_uid == geteuid()) fchmod(fd, old.st_mode & 07777);
  const bool toDisk = durability == ReplaceDurability::kDisk;
  if (toDisk && fsync(fd) != 0) {
    const int error = errno;
    *why = std::string("the file could not be written: ") + std::strerror(error);
    return fail(error);
  }
  if (renameat(folder, tempName.c_str(), folder, place.name.c_str()) != 0) {
    const int error = errno;
    struct stat there;
    const bool sticky = fstat(folder, &there) == 0 && (there.st_mode & S_ISVTX) != 0;
    if ((error == EPERM || error == EACCES) && sticky && had_old && old.st_uid != geteuid()) {
      *why = "'" + place.target + "' belongs to another user, and in the folder '" + folderName +
             "' only a file's owner may replace it";
    } else {
      *why = "'" + place.target + "' could not be replaced: " + std::strerror(error);
    }
    return fail(error);
  }
  LeaveInProgress(slot);
  // Closing releases the lock only now that the name is gone.
  close(fd);
  if (toDisk) SyncFolder(folder);
  return true;
}

}  // namespace

const std::string& LastReplaceFailure() { return t_lastReplaceFailure; }

std::string WithTargetNames(const std::string& text) {
  std::string out = text;
  auto replaceAll = [&out](const std::string& what, const std::string& with) {
    if (what.empty()) return;
    for (size_t at = out.find(what); at != std::string::npos; at = out.find(what, at + with.size()))
      out.replace(at, what.size(), with);
  };
  for (const Written& w : t_written) {
    replaceAll(w.temp, w.target);
    replaceAll(w.name, PathFileName(w.target));
  }
  return out;
}

void RemoveReplacementsInProgress() {
  for (InProgress& slot : g_inProgress) {
    int live = kSlotLive;
    if (slot.state.compare_exchange_strong(live, kSlotEnding)) unlinkat(slot.folder, slot.name, 0);
  }
}

bool ReplaceFileAtomically(const std::string& path, const std::function<bool(int fd, const std::string& temp)>& write,
                           ReplaceDurability durability, ReplaceAccess access, std::string* why) {
  std::string& reason = t_lastReplaceFailure;
  reason.clear();
  const bool done = ReplaceFile(path, write, durability, access, &reason);
  if (why != nullptr) *why = reason;
  return done;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, ReplaceDurability durability) {
  if (data == nullptr && size > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return ReplaceFileAtomically(
      path, [&](int fd, const std::string&) { return WriteAll(fd, data, size); }, durability);
}

bool FlushFileToDisk(const std::string& path) {
  ReplacePlace place;
  if (!WalkToSharedPlace(path, &place, nullptr)) {
    if (place.error == ENOENT) return true;
    if (place.error != 0) SetLastErrorFromErrno(place.error);
    return false;
  }
  // Not held up by a FIFO put at the name.
  const int fd = openat(place.folder.get(), place.name.empty() ? "." : place.name.c_str(),
                        O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    SetLastErrorFromErrno(errno);
    return false;
  }
  const bool flushed = fsync(fd) == 0 || errno == EINVAL;
  if (!flushed) SetLastErrorFromErrno(errno);
  close(fd);
  SyncFolder(place.folder.get());
  return flushed;
}
