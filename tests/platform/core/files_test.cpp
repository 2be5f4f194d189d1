#include "platform/core/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/locations.h"
#include "support/file_bytes.h"
#include "support/test_env.h"

namespace {

// A scratch folder of its own per test; `dir / "name"` is a path in it.
class ScratchFolder : public TestFolder {
 public:
  ScratchFolder() : TestFolder("files-test") {}
  std::string operator/(const std::string& name) const { return File(name); }
};

std::string ReadWhole(const std::string& path) { return ReadFileText(path); }
void WriteWhole(const std::string& path, const std::string& text) { WriteFileText(path, text); }

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// A pattern no two positions of which agree for long: a misplaced block shows.
std::vector<unsigned char> Pattern(size_t size, unsigned seed) {
  std::vector<unsigned char> bytes(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    bytes[i] = static_cast<unsigned char>(x >> 24);
  }
  return bytes;
}

}  // namespace

// ----------------------------------------------------------------- opening

TEST(Files, CreateDispositionsFollowTheirRules) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  struct Case {
    DWORD disposition;
    bool exists_before;
    bool opens;
    DWORD error;                // last error after the call
    const char* content_after;  // nullptr: the file does not exist after
  };
  const Case cases[] = {
      {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
      {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposition " << c.disposition << " exists " << c.exists_before);
    std::string path = dir / ("f" + std::to_string(n++));
    if (c.exists_before) WriteWhole(path, "old");
    SetLastError(ERROR_SUCCESS);
    HANDLE h = CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(h));
    }
    if (c.content_after == nullptr) {
      EXPECT_FALSE(Exists(path));
    } else {
      EXPECT_EQ(ReadWhole(path), c.content_after);
    }
  }
}

TEST(Files, MissingFileAndMissingFolderAreTold) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  HANDLE h = CreateFile((dir / "none.wav").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  h = CreateFile((dir / "nofolder/x.wav").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  // A folder is no file.
  h = CreateFile(dir.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFile("", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST(Files, BackslashesSeparateFolders) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  ASSERT_TRUE(CreateDirectory((dir / "sub").c_str(), nullptr));
  std::string windows_style = dir.path() + "\\sub\\clip.txt";
  HANDLE h = CreateFile(windows_style.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(h, "abc", 3, &written, nullptr));
  CloseHandle(h);
  EXPECT_EQ(ReadWhole(dir / "sub/clip.txt"), "abc");
}

// ------------------------------------------------- reading, writing, seeking

TEST(Files, ReadWriteSeekAndTruncate) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  HANDLE h = CreateFile((dir / "data").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD moved = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &moved, nullptr));
  EXPECT_EQ(moved, 10u);
  EXPECT_EQ(GetFileSize(h, nullptr), 10u);

  EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(h, buffer, 3, &moved, nullptr));
  EXPECT_EQ(moved, 3u);
  EXPECT_EQ(std::string(buffer, 3), "456");
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 7u);

  // A read across the end moves what is there; at the end it moves nothing.
  ASSERT_TRUE(ReadFile(h, buffer, 16, &moved, nullptr));
  EXPECT_EQ(moved, 3u);
  ASSERT_TRUE(ReadFile(h, buffer, 16, &moved, nullptr));
  EXPECT_EQ(moved, 0u);

  // Before the start: refused, and the position stays.
  EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);

  // Writing past the end grows the file; SetEndOfFile after a seek back
  // shrinks it.
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_END), 12u);
  ASSERT_TRUE(WriteFile(h, "X", 1, &moved, nullptr));
  EXPECT_EQ(GetFileSize(h, nullptr), 13u);
  EXPECT_EQ(SetFilePointer(h, 5, nullptr, FILE_BEGIN), 5u);
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 5u);
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(ReadWhole(dir / "data"), "01234");
}

TEST(Files, PositionsAndSizesBeyond4GiB) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  HANDLE h =
      CreateFile((dir / "big").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LONG high = 1;  // 4 GiB + 16
  EXPECT_EQ(SetFilePointer(h, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  DWORD moved = 0;
  ASSERT_TRUE(WriteFile(h, "Z", 1, &moved, nullptr));  // sparse: cheap
  DWORD size_high = 0;
  EXPECT_EQ(GetFileSize(h, &size_high), 17u);
  EXPECT_EQ(size_high, 1u);
  // The low part alone would be a wrong size: refused instead.
  EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, (1ll << 32) + 17);
  // Without the high part the position must fit 32 bits.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  LARGE_INTEGER back;
  back.QuadPart = -1;
  LARGE_INTEGER now;
  ASSERT_TRUE(SetFilePointerEx(h, back, &now, FILE_END));
  EXPECT_EQ(now.QuadPart, (1ll << 32) + 16);
  char c = 0;
  ASSERT_TRUE(ReadFile(h, &c, 1, &moved, nullptr));
  EXPECT_EQ(c, 'Z');
  CloseHandle(h);
}

TEST(Files, AccessAndHandleErrors) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  WriteWhole(dir / "ro", "abc");
  HANDLE h =
      CreateFile((dir / "ro").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD moved = 7;
  EXPECT_FALSE(WriteFile(h, "x", 1, &moved, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(moved, 0u);
  EXPECT_FALSE(SetEndOfFile(h));
  CloseHandle(h);

  char c;
  EXPECT_FALSE(ReadFile(nullptr, &c, 1, &moved, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &c, 1, &moved, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  // Opened for no access at all, only to read its times.
  h = CreateFile((dir / "ro").c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME written;
  EXPECT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
  EXPECT_FALSE(ReadFile(h, &c, 1, &moved, nullptr));
  CloseHandle(h);
}

TEST(Files, DeleteOnCloseRemovesTheFile) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  std::string path = dir / "temp.avi";
  HANDLE h = CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Exists(path));
  CloseHandle(h);
  EXPECT_FALSE(Exists(path));
}

// Unbuffered sequential reads, as the board feeder does them: sector-sized
// blocks, through buffers that may or may not be aligned in memory, on the
// build's file system and on tmpfs (which refuses direct I/O).
TEST(Files, UnbufferedSequentialReadsReturnTheFileBytes) {
  std::vector<std::string> bases = {TempFolder()};
  struct stat info;
  if (stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode)) bases.push_back("/dev/shm");
  for (const std::string& base : bases) {
    SCOPED_TRACE(base);
    ScopedEnv temp("TMPDIR", base);
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir / "frames.avi";
    const size_t size = 3 * 786432 + 1234;  // ends in the middle of a sector
    std::vector<unsigned char> bytes = Pattern(size, 7);
    WriteWhole(path, std::string(bytes.begin(), bytes.end()));

    for (size_t misalign : {size_t{0}, size_t{512}, size_t{3}}) {
      SCOPED_TRACE(testing::Message() << "buffer offset " << misalign);
      HANDLE h = CreateFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
      ASSERT_NE(h, INVALID_HANDLE_VALUE);
      const DWORD block = 786432;
      std::unique_ptr<unsigned char, decltype(&std::free)> memory(
          static_cast<unsigned char*>(std::aligned_alloc(4096, block + 4096)), &std::free);
      unsigned char* buffer = memory.get() + misalign;
      std::vector<unsigned char> got;
      for (;;) {
        DWORD moved = 0;
        ASSERT_TRUE(ReadFile(h, buffer, block, &moved, nullptr));
        got.insert(got.end(), buffer, buffer + moved);
        if (moved < block) break;
      }
      CloseHandle(h);
      ASSERT_EQ(got.size(), bytes.size());
      EXPECT_TRUE(got == bytes);
    }

    // Bytes just written through another handle are what an unbuffered
    // reader sees.
    HANDLE writer =
        CreateFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE reader = CreateFile(path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_NO_BUFFERING, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::vector<unsigned char> fresh = Pattern(4096, 99);
    DWORD moved = 0;
    ASSERT_TRUE(WriteFile(writer, fresh.data(), 4096, &moved, nullptr));
    std::unique_ptr<unsigned char, decltype(&std::free)> page(
        static_cast<unsigned char*>(std::aligned_alloc(4096, 4096)), &std::free);
    ASSERT_TRUE(ReadFile(reader, page.get(), 4096, &moved, nullptr));
    EXPECT_EQ(moved, 4096u);
    EXPECT_EQ(std::memcmp(page.get(), fresh.data(), 4096), 0);
    CloseHandle(writer);
    CloseHandle(reader);
  }
}

// ---------------------------------------------------------------- file times

TEST(Files, FileTimesRoundTripExactly) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  std::string path = dir / "clip.wav";
  WriteWhole(path, "x");
  // Odd tick counts catch any rounding to microseconds or seconds; one lies
  // before 1970.
  const ULONGLONG times[] = {133485123456789017ull, 116444736000000001ull, 113000000000000003ull};
  for (ULONGLONG ticks : times) {
    SCOPED_TRACE(ticks);
    FILETIME set = FileTimeFromTicks(ticks);
    FILETIME access = FileTimeFromTicks(ticks + 12345);
    HANDLE h = CreateFile(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(h, nullptr, &access, &set));
    CloseHandle(h);

    h = CreateFile(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME got_write, got_access;
    ASSERT_TRUE(GetFileTime(h, nullptr, &got_access, &got_write));
    CloseHandle(h);
    EXPECT_EQ(FileTimeTicks(got_write), ticks);
    EXPECT_EQ(FileTimeTicks(got_access), ticks + 12345);
    EXPECT_EQ(CompareFileTime(&got_write, &set), 0);

    WIN32_FIND_DATA found;
    HANDLE find = FindFirstFile(path.c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileTimeTicks(found.ftLastWriteTime), ticks);
    FindClose(find);
  }
  FILETIME early = FileTimeFromTicks(5), late = FileTimeFromTicks(6);
  EXPECT_EQ(CompareFileTime(&early, &late), -1);
  EXPECT_EQ(CompareFileTime(&late, &early), 1);
}

TEST(Files, UnixTimesConvert) {
  struct Case {
    std::int64_t seconds, nanoseconds;
    ULONGLONG ticks;
  };
  const Case cases[] = {
      {0, 0, kFileTimeUnixEpoch},
      {0, 100, kFileTimeUnixEpoch + 1},
      {1, 999999900, kFileTimeUnixEpoch + 19999999},
      {-1, 0, kFileTimeUnixEpoch - 10000000},
      {-1, 500000000, kFileTimeUnixEpoch - 5000000},
      {-11644473600, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(FileTimeTicks(FileTimeFromUnix(c.seconds, c.nanoseconds)), c.ticks);
    std::int64_t s = 0, ns = 0;
    FileTimeToUnix(FileTimeFromTicks(c.ticks), &s, &ns);
    EXPECT_EQ(s, c.seconds);
    EXPECT_EQ(ns, c.nanoseconds);
  }
  // Before 1601 there is no file time.
  EXPECT_EQ(FileTimeTicks(FileTimeFromUnix(-11644473601, 0)), 0u);
}

// ------------------------------------------------------ names and folders

TEST(Files, MoveCopyAndDelete) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  WriteWhole(dir / "a", "AAA");
  WriteWhole(dir / "b", "BB");

  EXPECT_FALSE(MoveFile((dir / "a").c_str(), (dir / "b").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadWhole(dir / "b"), "BB");
  EXPECT_TRUE(MoveFileEx((dir / "a").c_str(), (dir / "b").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadWhole(dir / "b"), "AAA");
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_TRUE(MoveFile((dir / "b").c_str(), (dir / "c").c_str()));
  EXPECT_FALSE(MoveFile((dir / "b").c_str(), (dir / "d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  // A copy keeps the last-write time; a refused copy leaves the target.
  HANDLE h = CreateFile((dir / "c").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME stamp = FileTimeFromTicks(130000000000000007ull);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &stamp));
  CloseHandle(h);
  ASSERT_TRUE(CopyFile((dir / "c").c_str(), (dir / "copy").c_str(), TRUE));
  EXPECT_EQ(ReadWhole(dir / "copy"), "AAA");
  h = CreateFile((dir / "copy").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME copied;
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &copied));
  CloseHandle(h);
  EXPECT_EQ(FileTimeTicks(copied), FileTimeTicks(stamp));
  WriteWhole(dir / "copy", "keep");
  EXPECT_FALSE(CopyFile((dir / "c").c_str(), (dir / "copy").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(ReadWhole(dir / "copy"), "keep");
  EXPECT_TRUE(CopyFile((dir / "c").c_str(), (dir / "copy").c_str(), FALSE));
  EXPECT_EQ(ReadWhole(dir / "copy"), "AAA");
  // Copying a file onto itself must not empty it.
  EXPECT_FALSE(CopyFile((dir / "c").c_str(), (dir / "c").c_str(), FALSE));
  EXPECT_EQ(ReadWhole(dir / "c"), "AAA");

  EXPECT_TRUE(DeleteFile((dir / "copy").c_str()));
  EXPECT_FALSE(DeleteFile((dir / "copy").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Files, FoldersAndAttributes) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  std::string sub = dir / "sub";
  EXPECT_TRUE(CreateDirectory(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectory(sub.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectory((dir / "x/y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes(sub.c_str()), FILE_ATTRIBUTE_DIRECTORY);
  // A folder nobody may write to reads as read-only, whoever asks.
  ASSERT_EQ(chmod(sub.c_str(), 0555), 0);
  EXPECT_EQ(GetFileAttributes(sub.c_str()), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(chmod(sub.c_str(), 0755), 0);

  WriteWhole(sub + "/f", "1");
  EXPECT_EQ(GetFileAttributes((sub + "/f").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributes((sub + "/none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFile(sub.c_str()));
  EXPECT_FALSE(RemoveDirectory(sub.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_TRUE(DeleteFile((sub + "/f").c_str()));
  EXPECT_TRUE(RemoveDirectory(sub.c_str()));
  EXPECT_EQ(GetFileAttributes(sub.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Files, WildcardsMatchLikeTheSystem) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*", "anything.avi", true},
      {"*.*", "noextension", true},
      {"*.avi", "clip.avi", true},
      {"*.avi", "clip.AVI", false},
      {"*.avi", "clip.avi.bak", false},
      {"vfx???_*.avi", "vfx007_012.avi", true},
      {"vfx???_*.avi", "vfx07_012.avi", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"exact.txt", "exact.txt", true},
      {"?", "", false},
      {"**x", "x", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
  }
}

TEST(Files, FindWalksTheMatchingNamesInOrder) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  for (const char* name : {"b.avi", "a.avi", "c.wav", "d.avi"}) WriteWhole(dir / name, name);
  ASSERT_TRUE(CreateDirectory((dir / "e.avi").c_str(), nullptr));

  WIN32_FIND_DATA data;
  HANDLE find = FindFirstFile((dir.path() + "\\*.avi").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::string> names;
  std::vector<DWORD> sizes;
  do {
    names.push_back(data.cFileName);
    sizes.push_back(data.nFileSizeLow);
    if (names.back() == "e.avi") {
      EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
  } while (FindNextFile(find, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(find));
  EXPECT_EQ(names, (std::vector<std::string>{"a.avi", "b.avi", "d.avi", "e.avi"}));
  EXPECT_EQ(sizes[0], 5u);

  EXPECT_EQ(FindFirstFile((dir / "*.mid").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFile((dir / "none/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(Files, FreeSpaceIn64Bits) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  ULARGE_INTEGER caller, total, free;
  ASSERT_TRUE(GetDiskFreeSpaceEx(dir.path().c_str(), &caller, &total, &free));
  EXPECT_GT(total.QuadPart, 0u);
  EXPECT_LE(free.QuadPart, total.QuadPart);
  EXPECT_LE(caller.QuadPart, free.QuadPart);
  // A file about to be written, not there yet, is asked by its folder.
  ULARGE_INTEGER later;
  ASSERT_TRUE(GetDiskFreeSpaceEx((dir / "out/export.wav").c_str(), &later, nullptr, nullptr));
  EXPECT_GT(later.QuadPart, 0u);

  DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpace(dir.path().c_str(), &sectors, &bytes, &free_clusters, &clusters));
  EXPECT_EQ(bytes, 512u);
  ULONGLONG cluster = static_cast<ULONGLONG>(sectors) * bytes;
  ULONGLONG from_clusters = cluster * free_clusters;
  if (free_clusters != 0xFFFFFFFFu) {
    // The two agree within what the disk did meanwhile.
    ULONGLONG diff =
        from_clusters > caller.QuadPart ? from_clusters - caller.QuadPart : caller.QuadPart - from_clusters;
    EXPECT_LT(diff, 256ull << 20);
  }
}

TEST(Files, CurrentFolderAndFullPaths) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  char saved[4096];
  ASSERT_GT(GetCurrentDirectory(sizeof saved, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectory(dir.path().c_str()));
  char buffer[MAX_PATH];
  DWORD length = GetCurrentDirectory(MAX_PATH, buffer);
  // The scratch folder may lie behind a link; compare what the system says.
  char real[PATH_MAX];
  ASSERT_NE(realpath(dir.path().c_str(), real), nullptr);
  EXPECT_EQ(std::string(buffer, length), real);
  EXPECT_EQ(GetCurrentDirectory(3, buffer), length + 1);  // the size needed

  LPSTR part = nullptr;
  length = GetFullPathName("a\\.\\b\\..\\clip.avi", MAX_PATH, buffer, &part);
  EXPECT_EQ(std::string(buffer, length), std::string(real) + "/a/clip.avi");
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "clip.avi");
  length = GetFullPathName("/x/../../y/./z/", MAX_PATH, buffer, &part);
  EXPECT_EQ(std::string(buffer, length), "/y/z/");
  EXPECT_EQ(part, nullptr);
  EXPECT_FALSE(SetCurrentDirectory((dir / "none").c_str()));
  ASSERT_TRUE(SetCurrentDirectory(saved));
}

TEST(Files, ModuleFileNameIsTheRunningProgram) {
  char expected[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", expected, sizeof expected - 1);
  ASSERT_GT(n, 0);
  expected[n] = '\0';
  char buffer[PATH_MAX];
  DWORD length = GetModuleFileName(nullptr, buffer, sizeof buffer);
  EXPECT_EQ(length, static_cast<DWORD>(n));
  EXPECT_STREQ(buffer, expected);
  // Too small: cut, terminated, and said so.
  char small[5];
  EXPECT_EQ(GetModuleFileName(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), std::string(expected, 4));
}

TEST(Files, TemporaryNames) {
  char folder[MAX_PATH];
  DWORD length = GetTempPath(MAX_PATH, folder);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(folder[length - 1], '/');
  EXPECT_EQ(GetFileAttributes(folder), FILE_ATTRIBUTE_DIRECTORY);

  char first[MAX_PATH], second[MAX_PATH];
  UINT a = GetTempFileName(folder, "KBXtra", 0, first);
  UINT b = GetTempFileName(folder, "KBXtra", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(std::string(first), std::string(second));
  EXPECT_TRUE(Exists(first));
  EXPECT_EQ(std::string(first).find(std::string(folder) + "KBX"), 0u);
  EXPECT_EQ(std::string(first).substr(std::strlen(first) - 4), ".TMP");
  DeleteFile(first);
  DeleteFile(second);

  char named[MAX_PATH];
  EXPECT_EQ(GetTempFileName(folder, "vfx", 0x12AB, named), 0x12ABu);
  EXPECT_EQ(std::string(named), std::string(folder) + "vfx12AB.TMP");
  EXPECT_FALSE(Exists(named));
  EXPECT_EQ(GetTempFileName("/no/such/folder", "x", 0, named), 0u);
}

// ------------------------------------------------------------- small files

TEST(Files, SmallFilesReadWholeWithinTheirLimit) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  WriteWhole(dir / "eight", "12345678");
  ASSERT_EQ(mkdir((dir / "folder").c_str(), 0777), 0);
  struct Case {
    std::string path;
    size_t limit;
    bool ok;
    std::string text;
  } cases[] = {
      {dir / "eight", 8, true, "12345678"},
      {dir / "eight", 7, false, ""},
      {dir / "missing", 8, true, ""},
      {dir / "none/missing", 8, true, ""},
      {dir / "folder", 8, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
    std::string text = "stale";
    EXPECT_EQ(ReadSmallFile(c.path, c.limit, &text), c.ok);
    EXPECT_EQ(text, c.text);
  }
}

// ---------------------------------------------------------- atomic replace

TEST(Files, AtomicReplaceWritesAndKeepsPermissions) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  std::string path = dir / "KOBRIX30.INI";
  ASSERT_TRUE(WriteFileAtomically(path, "[A]\r\nx=1\r\n", 10));
  EXPECT_EQ(ReadWhole(path), "[A]\r\nx=1\r\n");
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(path, "new", 3));
  EXPECT_EQ(ReadWhole(path), "new");
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // Through a link, the target is replaced and the link stays a link.
  ASSERT_EQ(symlink(path.c_str(), (dir / "link").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomically(dir / "link", "via", 3));
  EXPECT_EQ(ReadWhole(path), "via");
  ASSERT_EQ(lstat((dir / "link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  // Nothing is left beside the file.
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"KOBRIX30.INI", "link"}));
  // A folder that does not exist: false, nothing written.
  EXPECT_FALSE(WriteFileAtomically(dir / "none/file", "x", 1));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// What is in the folder beside the file named.
std::vector<std::string> Temporaries(const ScratchFolder& dir, const char* name) {
  std::vector<std::string> found = Entries(dir.path());
  found.erase(std::remove(found.begin(), found.end(), name), found.end());
  return found;
}

// Writers killed at random moments leave the old file or the new one, and
// the next good save takes away what they left.
TEST(Files, AtomicReplaceSurvivesKilledWriters) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  std::string path = dir / "settings";
  const size_t size = 1 << 19;
  const std::string versions[2] = {std::string(size, 'A'), std::string(size, 'B')};
  ASSERT_TRUE(WriteFileAtomically(path, versions[0].data(), size));

  std::mt19937 random(12345);
  int interrupted = 0;  // kills that left a temporary: they came mid-write
  // Twenty kills, and more while none has landed mid-write. Each comes once
  // the child has written a whole file, so that a slow start (a busy
  // machine, a sanitizer's fork) does not take every kill before a write.
  for (int round = 0; round < 20 || (interrupted == 0 && round < 400); ++round) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(started[0]);
      for (int i = 1;; ++i) {
        WriteFileAtomically(path, versions[i % 2].data(), size);
        if (i == 1) {
          const char one = 1;
          (void)!write(started[1], &one, 1);
          close(started[1]);
        }
      }
    }
    close(started[1]);
    char one = 0;
    (void)!read(started[0], &one, 1);
    close(started[0]);
    usleep(random() % 4000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::string now = ReadWhole(path);
    ASSERT_TRUE(now == versions[0] || now == versions[1]) << "round " << round << ": mixed file of " << now.size();
    if (!Temporaries(dir, "settings").empty()) ++interrupted;
  }
  EXPECT_GT(interrupted, 0) << "no kill landed during a write";
  // A temporary being written by a live writer elsewhere stays.
  const std::string live = dir / ".kobrix-Live00.tmp";
  const int fd = open(live.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);

  ASSERT_TRUE(WriteFileAtomically(path, "good", 4));
  EXPECT_EQ(ReadWhole(path), "good");
  EXPECT_EQ(Temporaries(dir, "settings"), std::vector<std::string>{".kobrix-Live00.tmp"});
  close(fd);
  // Once its writer has gone, start-up takes it away too.
  RemoveStaleTemporaries(path);
  EXPECT_TRUE(Temporaries(dir, "settings").empty());
  EXPECT_EQ(ReadWhole(path), "good");
}

// Every name the file system takes can be replaced: the temporary's own
// name does not grow with the target's.
TEST(Files, AtomicReplaceTakesTheLongestNames) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  for (size_t length : {size_t{245}, size_t{NAME_MAX}}) {
    SCOPED_TRACE(length);
    const std::string name = std::string(length - 4, 'n') + ".wav";
    ASSERT_TRUE(WriteFileAtomically(dir / name, "old", 3));
    ASSERT_TRUE(WriteFileAtomically(dir / name, "new", 3)) << LastReplaceFailure();
    EXPECT_EQ(ReadWhole(dir / name), "new");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{name});
    std::remove((dir / name).c_str());
  }
}

// A refused path says what the user named: the folder that is missing
// (before a ".." that would lead back out of it), and a slash at the end,
// which names a folder. Nothing is written anywhere.
TEST(Files, AtomicReplaceNamesWhatIsWrongWithThePath) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  ASSERT_EQ(mkdir((dir / "proj").c_str(), 0755), 0);
  WriteWhole(dir / "notes.txt", "notes");
  const struct {
    const char* what;
    std::string path;
    std::string why;
  } cases[] = {
      {"a missing folder, then '..'", dir / "proj/nosuch/../out.wav",
       "The folder '" + (dir / "proj/nosuch") + "' does not exist."},
      {"a missing folder on a longer way", dir / "proj/a/b/out.wav",
       "The folder '" + (dir / "proj/a") + "' does not exist."},
      {"a file on the way, then '..'", dir / "notes.txt/../out.wav", "'" + (dir / "notes.txt") + "' is not a folder."},
      {"a slash at the end", dir / "out.wav/",
       "'" + (dir / "out.wav/") + "' ends with a slash, which names a folder, not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string why;
    EXPECT_FALSE(ReplaceFileAtomically(
        c.path, [](int fd, const std::string&) { return write(fd, "x", 1) == 1; }, ReplaceDurability::kRename,
        ReplaceAccess::kShared, &why));
    EXPECT_EQ(why, c.why);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"notes.txt", "proj"}));
    EXPECT_TRUE(Entries(dir / "proj").empty());
  }
}

// What a writer shows while it writes the temporary names the target as the
// caller named it; after the write, text is left as it is.
TEST(Files, AWritersTextsNameTheTarget) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string target = dir / "out.wav";
  std::string during, nameOnly;
  std::string temp;
  ASSERT_TRUE(ReplaceFileAtomically(target, [&](int, const std::string& path) {
    temp = path;
    during = WithTargetNames("Error writing file:\n'" + path + "'.");
    nameOnly = WithTargetNames("Writing " + path.substr(path.rfind('/') + 1));
    return true;
  }));
  EXPECT_EQ(during, "Error writing file:\n'" + target + "'.");
  EXPECT_EQ(nameOnly, "Writing out.wav");
  EXPECT_EQ(WithTargetNames("'" + temp + "'"), "'" + temp + "'");
}

// An end that cannot wait for the writer (a signal's, in its handler)
// removes the temporary being written; the earlier file stays whole.
TEST(Files, TheEndOfTheProgramRemovesTheTemporaryBeingWritten) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string target = dir / "out.wav";
  WriteWhole(target, "the earlier file");
  int started[2];
  ASSERT_EQ(pipe(started), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(started[0]);
    signal(SIGTERM, [](int) {
      RemoveReplacementsInProgress();
      _exit(0);
    });
    ReplaceFileAtomically(target, [&](int fd, const std::string&) {
      const std::vector<unsigned char> block = Pattern(1 << 20, 1);
      if (write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) _exit(2);
      const char one = 1;
      (void)!write(started[1], &one, 1);
      for (;;) pause();
      return true;
    });
    _exit(3);
  }
  close(started[1]);
  char one = 0;
  ASSERT_EQ(read(started[0], &one, 1), 1);
  close(started[0]);
  ASSERT_EQ(Entries(dir.path()).size(), 2u) << "the temporary is there while it is written";
  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"out.wav"});
  EXPECT_EQ(ReadWhole(target), "the earlier file");
}

// -------------------------------------------------------------------- errors

TEST(Errors, MessagesAndErrnoCodes) {
  char text[128];
  DWORD length =
      FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                    MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  EXPECT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(text));
  EXPECT_EQ(FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x7FFF0000u, 0, text, sizeof text, nullptr),
            0u);
  EXPECT_EQ(FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, text, 6, nullptr), 5u);
  EXPECT_EQ(std::strlen(text), 5u);
  for (DWORD code :
       {ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_HANDLE_EOF, ERROR_DISK_FULL, ERROR_ALREADY_EXISTS,
        ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER, ERROR_NEGATIVE_SEEK}) {
    EXPECT_NE(SystemErrorText(code), nullptr) << code;
  }

  struct Case {
    int error;
    DWORD code;
  };
  const Case cases[] = {{ENOENT, ERROR_FILE_NOT_FOUND},    {ENOTDIR, ERROR_PATH_NOT_FOUND},
                        {EACCES, ERROR_ACCESS_DENIED},     {ENOSPC, ERROR_DISK_FULL},
                        {EEXIST, ERROR_ALREADY_EXISTS},    {EBADF, ERROR_INVALID_HANDLE},
                        {EINVAL, ERROR_INVALID_PARAMETER}, {ENOTEMPTY, ERROR_DIR_NOT_EMPTY}};
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorFromErrno(c.error), c.code) << c.error;
  }
}

TEST(Errors, LastErrorBelongsToTheThread) {
  SetLastError(ERROR_DISK_FULL);
  DWORD seen_there = 1;
  std::thread other([&] {
    seen_there = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
  });
  other.join();
  EXPECT_EQ(seen_there, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
}
