// Files and folders with the meanings the program expects of the system's
// file functions. File handles are kernel objects: CloseHandle closes them.
//
// Paths may use "/" or "\" (see paths.h); access is case-sensitive. Sharing
// modes are accepted and not enforced. Every failure sets the last error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "platform/core/errors.h"
#include "platform/core/handle.h"
#include "platform/core/types.h"

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD GENERIC_ALL = 0x10000000u;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000u;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000u;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000u;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

// Accepted and ignored: handles are never inherited.
struct SECURITY_ATTRIBUTES {
  DWORD nLength = sizeof(SECURITY_ATTRIBUTES);
  LPVOID lpSecurityDescriptor = nullptr;
  BOOL bInheritHandle = FALSE;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Asynchronous I/O is not offered; the parameter must be null.
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct WIN32_FIND_DATA {
  DWORD dwFileAttributes = 0;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh = 0;
  DWORD nFileSizeLow = 0;
  DWORD dwReserved0 = 0;
  DWORD dwReserved1 = 0;
  CHAR cFileName[MAX_PATH] = {};
  CHAR cAlternateFileName[14] = {};
};
using LPWIN32_FIND_DATA = WIN32_FIND_DATA*;

// An open file. Other handle types that read and write a descriptor (a
// serial port) may derive from it to share ReadFile and WriteFile.
class FileObject : public KernelObject {
 public:
  // Takes fd; path is absolute (used by FILE_FLAG_DELETE_ON_CLOSE).
  FileObject(int fd, DWORD access, DWORD flags, std::string path);
  ~FileObject() override;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

  // The operations behind ReadFile, WriteFile, the file pointer and the
  // size; each sets the last error when it fails.
  bool Read(void* buffer, DWORD count, DWORD* read);
  bool Write(const void* buffer, DWORD count, DWORD* written);
  // A target beyond limit fails with ERROR_INVALID_PARAMETER.
  bool Seek(std::int64_t distance, DWORD method, std::int64_t* newPosition, std::int64_t limit = INT64_MAX);
  bool Size(std::int64_t* size);
  bool TruncateHere();

 private:
  void OpenDirectReader();
  bool DirectReadFits(const void* buffer, std::int64_t position, DWORD count) const;

  int fd_;
  int direct_fd_ = -1;  // unbuffered reads, where the file system allows them
  std::size_t direct_align_ = 4096;
  bool seekable_ = true;
  DWORD access_;
  DWORD flags_;
  std::string path_;
  std::int64_t position_ = 0;
  std::mutex lock_;
};

// FILE_FLAG_NO_BUFFERING: reads whose buffer, position and size suit the
// device go around the page cache; others, and file systems that refuse it,
// read through the cache. Either way the bytes are the file's.
HANDLE CreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                  DWORD flagsAndAttributes, HANDLE templateFile);
inline constexpr auto& CreateFileA = CreateFile;
// A read at or past the end succeeds with 0 bytes; a short read at the end
// succeeds with the bytes there.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
// Without high, the new position must fit 32 bits. A position before 0
// fails with ERROR_NEGATIVE_SEEK and leaves the position unchanged.
DWORD SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh, DWORD method);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD method);
// Without high, a size of 4 GiB or more fails (ERROR_INVALID_PARAMETER)
// rather than returning its low part.
DWORD GetFileSize(HANDLE file, LPDWORD high);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
// The file ends at the current position.
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);

BOOL DeleteFile(LPCSTR name);
inline constexpr auto& DeleteFileA = DeleteFile;
// Fails when newName exists; moves across file systems by copying.
BOOL MoveFile(LPCSTR existingName, LPCSTR newName);
BOOL MoveFileEx(LPCSTR existingName, LPCSTR newName, DWORD flags);
// Keeps the last-write time; a copy that fails half-way is removed.
BOOL CopyFile(LPCSTR existingName, LPCSTR newName, BOOL failIfExists);
// Whether both paths name one file (links followed); false when either is
// missing.
bool SameFileByPath(const std::string& a, const std::string& b);
// FILE_ATTRIBUTE_READONLY also marks a folder without write permission.
DWORD GetFileAttributes(LPCSTR name);
BOOL CreateDirectory(LPCSTR name, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectory(LPCSTR name);

// Wildcards "*" and "?" in the last component (case-sensitive; "*.*" is
// every name). Entries come sorted by name, without "." and "..".
HANDLE FindFirstFile(LPCSTR pattern, LPWIN32_FIND_DATA data);
BOOL FindNextFile(HANDLE find, LPWIN32_FIND_DATA data);
BOOL FindClose(HANDLE find);
// The wildcard rule of FindFirstFile, on one name; with ignoreCase, ASCII
// letters match either case (the file chooser's masks).
bool MatchesWildcard(const char* pattern, const char* name, bool ignoreCase = false);

// File times: 100-ns ticks since 1601-01-01 UTC. Times set here read back
// exactly. The creation time is the birth time where the file system keeps
// one, else the last-write time; it cannot be set.
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite);
// -1, 0 or 1.
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);
constexpr ULONGLONG kFileTimeUnixEpoch = 116444736000000000ull;  // 1970-01-01 in ticks
constexpr ULONGLONG FileTimeTicks(const FILETIME& t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
constexpr FILETIME FileTimeFromTicks(ULONGLONG ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}
FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);
void FileTimeToUnix(const FILETIME& time, std::int64_t* seconds, std::int64_t* nanoseconds);

// Free space of the file system holding the folder (or, for a path that does
// not exist yet, its nearest existing parent).
BOOL GetDiskFreeSpaceEx(LPCSTR folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                        ULARGE_INTEGER* totalFree);
// The same in clusters of 512-byte sectors; counts above 32 bits are held
// at 0xFFFFFFFF.
BOOL GetDiskFreeSpace(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                      LPDWORD totalClusters);

// The string queries below return the length copied, or the size needed
// (terminator included) when the buffer is too small, or 0 on failure.
DWORD GetCurrentDirectory(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectory(LPCSTR name);
// Absolute, with "." and ".." resolved by name; filePart (when given)
// points at the last component in buffer.
DWORD GetFullPathName(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart);
// A null module is the running executable; a library loaded by LoadLibrary
// gives its file; any other handle is taken as the program's own instance.
DWORD GetModuleFileName(HMODULE module, LPSTR buffer, DWORD size);
// The folder for temporary files, with a trailing "/": this instance's own.
DWORD GetTempPath(DWORD size, LPSTR buffer);
// "<path>/<up to 3 characters of prefix><4 hex digits>.TMP" in a buffer of
// MAX_PATH. With unique 0 a new name is found and the empty file created;
// otherwise the name of unique is formed and nothing is created. Returns
// the number used, 0 on failure.
UINT GetTempFileName(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName);

// Why path can not be opened for reading, for a message: "the file does
// not exist", "it is a FIFO (named pipe), not a regular file", "it is a
// device, not a regular file", "it is a folder, not a regular file" ...;
// empty when it is a regular file that may be read. Asks the file system
// without opening anything, so it never waits.
std::string FileOpenProblem(const std::string& path);
// fopen(path, "rb") for a regular file only: a FIFO, a device or a folder
// is refused (null, last error set) without waiting in the open.
std::FILE* OpenRegularFileForReading(const std::string& path);

// The whole of a small file (settings, the registry file). A missing file
// (or folder on the way) reads as empty; false, with text empty, when the
// file is there but is no regular file, cannot be read or holds more than
// limit bytes.
bool ReadSmallFile(const std::string& path, size_t limit, std::string* text);

// How far a replacement goes before it returns. kDisk flushes the new file
// and its folder to the disk, so that even a power cut leaves the old file or
// the new one. kRename only renames: a killed or crashed program still leaves
// one or the other, and the disk gets it in its own time; for files written
// key by key many times in a row (the settings), flushed once at the end.
enum class ReplaceDurability { kDisk, kRename };

// Replaces the file at path as a whole: writes a temporary file of a short
// hidden name (".kobrix-XXXXXX.tmp") in the same folder (locked while it
// is written), flushes it to the disk and renames it
// over NAME, so that a crash at any moment leaves either the old file or the
// new one. Keeps the old
// file's permissions. False (last error set) when anything failed; the old
// file is then untouched.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size,
                         ReplaceDurability durability = ReplaceDurability::kDisk);
// The same with the new content written by write, which gets the temporary
// file open for writing and its path (it may write through either, closing
// what it opens itself); false from write abandons the replacement.
// kPrivate: a file the program keeps for itself (autosave): a link at path
// is replaced, never followed, and the new file is 0600. kShared: the user's
// file; a link is followed to the file it names, whose permissions stay when
// the file is the user's own. A link in a sticky folder that everyone may
// write (as /tmp) is followed only when it is the user's or the folder
// owner's: another user's is refused. A target that is no regular file (a
// FIFO, a device, a folder), a path that ends with a slash, and a link of a
// process's own in /proc (a descriptor: a pipe, a socket, an open file) are
// refused; such a link is never replaced. why (when given) gets, on
// failure, the reason for the user, naming the file or the link; a folder
// on the way that is missing is named as it is, before any ".." after it.
enum class ReplaceAccess { kShared, kPrivate };
bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(int fd, const std::string& temp)>& write,
                           ReplaceDurability durability = ReplaceDurability::kDisk,
                           ReplaceAccess access = ReplaceAccess::kShared, std::string* why = nullptr);
// The reason the last replacement on this thread gave when it failed (as
// why above); empty after one that succeeded.
const std::string& LastReplaceFailure();
// Brings a file that replacements wrote with kRename, and its folder entry,
// to the disk. False when the file cannot be opened or flushed; a missing
// file has nothing to flush (true).
bool FlushFileToDisk(const std::string& path);
// Removes the temporary files that replacements in path's folder left when
// their writer died (a writer holds a lock on its own until the rename).
// Each replacement does this first; start-up does it for the files it saves.
void RemoveStaleTemporaries(const std::string& path);
// text with the path (and the name) of each temporary file that a
// replacement on this thread is writing replaced by the file it replaces,
// as its caller named it: what a writer shows names the user's file.
std::string WithTargetNames(const std::string& text);
// Removes the temporary files of the replacements in progress, for an end
// of the program that does not wait for their writers. Takes no lock and
// allocates nothing: it may run while any other thread is anywhere.
void RemoveReplacementsInProgress();
