// The INI functions read the file on every call (no cache can go stale);
// these measure what a read and a write cost on a settings file of typical
// size (20 sections of 20 keys, about 6 KB).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/core/profile.h"

namespace {

struct SettingsFile {
  SettingsFile() {
    char pattern[] = "/tmp/kobrix-bench-XXXXXX";
    folder = mkdtemp(pattern);
    path = folder + "/KOBRIX30.INI";
    for (int s = 0; s < 20; ++s) {
      for (int k = 0; k < 20; ++k) {
        const std::string section = "SECTION_" + std::to_string(s);
        const std::string key = "SOME_KEY_" + std::to_string(k);
        WritePrivateProfileString(section.c_str(), key.c_str(), std::to_string(s * 100 + k).c_str(),
                                  path.c_str());
      }
    }
  }
  ~SettingsFile() { std::filesystem::remove_all(folder); }
  std::string folder;
  std::string path;
};

void BM_ReadInt(benchmark::State& state) {
  SettingsFile file;
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetPrivateProfileInt("section_19", "some_key_19", 0, file.path.c_str()));
  }
}
BENCHMARK(BM_ReadInt);

void BM_WriteUnchanged(benchmark::State& state) {
  SettingsFile file;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        WritePrivateProfileString("SECTION_10", "SOME_KEY_10", "1010", file.path.c_str()));
  }
}
BENCHMARK(BM_WriteUnchanged);

void BM_WriteChanged(benchmark::State& state) {
  SettingsFile file;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(WritePrivateProfileString("SECTION_10", "SOME_KEY_10",
                                                       std::to_string(i++).c_str(), file.path.c_str()));
  }
}
BENCHMARK(BM_WriteChanged);

}  // namespace
