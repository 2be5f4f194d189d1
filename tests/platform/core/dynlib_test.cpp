#include "platform/core/dynlib.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/locations.h"

// The probe library is built beside this test program by tests.cmake.

TEST(DynLib, NameRule) {
  const std::string beside = ProgramFolder();
  struct Case {
    const char* name;
    std::vector<std::string> tried;
  };
  const Case cases[] = {
      {"VLMINTER.DLL", {beside + "/libvlminter.so", "libvlminter.so"}},
      {"Tool.dll", {beside + "/libtool.so", "libtool.so"}},
      {"MIDITOOL", {beside + "/libmiditool.so", "libmiditool.so"}},
      {"C:\\Tools\\MIDI.DLL", {"C:/Tools/libmidi.so"}},
      {"/opt/tools/MIDI.DLL", {"/opt/tools/libmidi.so"}},
      {"/opt/tools/libmidi.so", {"/opt/tools/libmidi.so"}},
      {"./plugins/libfx.so.1", {"./plugins/libfx.so.1"}},
      {"libfx.so", {beside + "/libfx.so", "libfx.so"}},
  };
  for (const Case& c : cases) EXPECT_EQ(LibraryCandidates(c.name), c.tried) << c.name;
}

TEST(DynLib, LoadsTheLibraryBesideTheProgram) {
  HMODULE module = LoadLibrary("KBXPROBE.DLL");
  ASSERT_NE(module, nullptr) << dlerror();
  using Value = int (*)();
  using Entry = int (*)(int);
  auto value = reinterpret_cast<Value>(GetProcAddress(module, "kbx_probe_value"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value(), 4711);
  auto entry = reinterpret_cast<Entry>(GetProcAddress(module, "_TOOLDLLENTRY"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(21), 42);
  EXPECT_EQ(GetProcAddress(module, "NoSuchEntry"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  char path[4096];
  DWORD length = GetModuleFileName(module, path, sizeof path);
  EXPECT_EQ(std::string(path, length), ProgramFolder() + "/libkbxprobe.so");
  EXPECT_EQ(std::string(path, length), KOBRIX_PROBE_LIBRARY);

  // The same library again: the same handle, counted.
  HMODULE again = LoadLibrary("kbxprobe");
  EXPECT_EQ(again, module);
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_NE(GetProcAddress(module, "kbx_probe_value"), nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(DynLib, PathsToSharedObjectsAreUsedAsTheyAre) {
  HMODULE module = LoadLibrary(KOBRIX_PROBE_LIBRARY);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "kbx_probe_value"), nullptr);
  FreeLibrary(module);
}

TEST(DynLib, FallsBackToTheSearchPath) {
  // libavutil is installed by the set-up script; its development link is a
  // plain shared object on the loader's path, and not beside the program.
  void* probe = dlopen("libavutil.so", RTLD_NOW | RTLD_NOLOAD);
  if (probe == nullptr) probe = dlopen("libavutil.so", RTLD_NOW);
  if (probe == nullptr) GTEST_SKIP() << "libavutil.so is not installed";
  dlclose(probe);
  HMODULE module = LoadLibrary("AVUTIL.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "av_version_info"), nullptr);
  FreeLibrary(module);
}

TEST(DynLib, FailuresSayWhy) {
  SetLastError(0);
  EXPECT_EQ(LoadLibrary("NOSUCHLIBRARY.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  char folder[MAX_PATH];
  ASSERT_GT(GetTempPath(MAX_PATH, folder), 0u);
  std::string junk = std::string(folder) + "libjunk.so";
  std::ofstream(junk) << "not a library";
  EXPECT_EQ(LoadLibrary(junk.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  unlink(junk.c_str());

  EXPECT_EQ(GetProcAddress(nullptr, "kbx_probe_value"), nullptr);
}
