// Saving and loading a project of 10,000 Films: sound clips over four lines
// (every tenth with video), each with a four-point volume profile and a mark,
// drawn from 200 media files inside the project's folder. The load counts
// the read calls it makes on the project file (bench/compare.sh prints them).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/installed_components.h"
#include "clips/summary_info.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/film_records.h"
#include "model/media_interfaces.h"
#include "model/project_file.h"
#include "model/timeline_engine.h"

namespace {

constexpr int kFilms = 10000;
constexpr int kFiles = 200;
constexpr int32_t kClip = 4000;
constexpr int32_t kSourceLength = 60000;

std::string Folder() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-project-bench-" +
         std::to_string(getpid()) + "/";
}

// Sources that never go away: the films only count on them.
class StaticAudio : public AudioSource {
 public:
  explicit StaticAudio(std::string name) : name_(std::move(name)) {}
  AudioSource* AddRef() override { return this; }
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectFormat() override { return true; }
  uint16_t GetFormatTag() override { return 1; }
  int32_t GetLength() override { return kSourceLength; }
  bool IsOpen() override { return false; }
  bool BeginRead() override { return true; }
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  const char* GetFileName() override { return name_.c_str(); }

 private:
  std::string name_;
};

class StaticVideo : public VideoSource {
 public:
  explicit StaticVideo(std::string name) : name_(std::move(name)) {}
  void AddRef() override {}
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectPlayable() override { return true; }
  bool IsOpen() override { return false; }
  void BeginRead() override {}
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  bool IsKeyFrame(int32_t) override { return true; }
  int32_t GetFrameCount() override { return kSourceLength / 40; }
  float GetFrameRate() override { return 25.0f; }
  const char* GetFileName() override { return name_.c_str(); }

 private:
  std::string name_;
};

class BenchMedia : public ProjectMedia {
 public:
  explicit BenchMedia(const std::string& folder) {
    for (int i = 0; i < kFiles; ++i) {
      const std::string stem = folder + "media/take" + std::to_string(i);
      audio[stem + ".wav"] = std::make_unique<StaticAudio>(stem + ".wav");
      video[stem + ".avi"] = std::make_unique<StaticVideo>(stem + ".avi");
    }
    SetProjectMedia(this);
    // Saved as the program saves: with the summary and component records.
    InstallProjectSummaryRecord();
    InstallProjectComponentRecord();
  }
  ~BenchMedia() override {
    SetProjectMedia(nullptr);
    SetProjectSummaryRecord(nullptr);
    SetProjectComponentRecord(nullptr);
  }
  AudioSource* OpenAudio(const char* path) override {
    auto it = audio.find(path);
    return it == audio.end() ? nullptr : it->second.get();
  }
  VideoSource* OpenVideo(HWND, const char* path) override {
    auto it = video.find(path);
    return it == video.end() ? nullptr : it->second.get();
  }
  std::map<std::string, std::unique_ptr<StaticAudio>> audio;
  std::map<std::string, std::unique_ptr<StaticVideo>> video;
};

class BenchClip : public ClipItem {
 public:
  BenchClip(VideoSource* v, AudioSource* a) : v_(v), a_(a) {}
  VideoSource* GetVideo() const override { return v_; }
  AudioSource* GetAudio() const override { return a_; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return 1000; }
  int32_t GetOut() const override { return 1000 + kClip; }
  int32_t GetLength() const override { return kClip; }
  const char* GetName() const override { return "Take"; }

 private:
  VideoSource* v_;
  AudioSource* a_;
};

struct Project {
  Project() : folder(Folder()), media(folder) {
    std::system(("mkdir -p '" + folder + "'").c_str());
    // Settings go to the benchmark's folder, not the user's.
    setenv("KOBRIX_HOME", folder.c_str(), 1);
    path = folder + "bench.tml";
    engine.length = 80000000;
    for (int i = 0; i < kFilms; ++i) {
      const std::string stem = folder + "media/take" + std::to_string(i % kFiles);
      AudioSource* a = media.audio[stem + ".wav"].get();
      VideoSource* v = i % 10 == 0 ? media.video[stem + ".avi"].get() : nullptr;
      BenchClip clip(v, a);
      // Clips of one line follow each other, the lines staggered.
      const int32_t start = i * (kClip + 1000) / 4;
      Film* film = new Film(clip, start, v ? kKindAudio | kKindVideo : kKindAudio, i % 4, v ? 0 : -1);
      film->volumePoints.Insert(20000, 300);
      film->volumePoints.Insert(40000, 700);
      film->marks.AddMark(2000);
      Film::Link(film, films);
    }
  }
  ~Project() {
    films.Clear();
    std::system(("rm -rf '" + folder + "'").c_str());
  }
  std::string folder;
  std::string path;
  BenchMedia media;
  TimeLineEngine engine;
  FilmListHead films;
};

// Read system calls of the process so far (-1 when not to be had).
long long ReadCalls() {
  FILE* io = std::fopen("/proc/self/io", "r");
  if (io == nullptr) return -1;
  char key[32];
  long long value = -1, found = -1;
  while (std::fscanf(io, "%31s %lld", key, &value) == 2)
    if (std::strcmp(key, "syscr:") == 0) found = value;
  std::fclose(io);
  return found;
}

Project& TheProject() {
  static Project project;
  return project;
}

void BM_SaveProject(benchmark::State& state) {
  Project& p = TheProject();
  int64_t bytes = 0;
  for (auto _ : state) {
    HMMIO file = mmioOpen(p.path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    if (!WriteProject(p.engine, p.films.First(), file, p.folder.c_str(), nullptr))
      state.SkipWithError("write");
    bytes = mmioSeek64(file, 0, SEEK_END);
    mmioClose(file, 0);
  }
  state.SetItemsProcessed(state.iterations() * kFilms);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

// The same through a temporary file, flushed and renamed over the old one.
void BM_SaveProjectFile(benchmark::State& state) {
  Project& p = TheProject();
  for (auto _ : state) {
    if (!SaveProjectFile(p.engine, p.films.First(), p.path.c_str(), p.folder.c_str(), nullptr))
      state.SkipWithError("save");
  }
  state.SetItemsProcessed(state.iterations() * kFilms);
}
BENCHMARK(BM_SaveProjectFile)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state) {
  Project& p = TheProject();
  {
    HMMIO file = mmioOpen(p.path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    WriteProject(p.engine, p.films.First(), file, p.folder.c_str(), nullptr);
    mmioClose(file, 0);
  }
  TimeLineEngine engine;
  PathRecord* folders = new PathRecord(p.folder.c_str(), true);
  int64_t bytes = 0;
  long long reads = 0;
  for (auto _ : state) {
    FilmListHead films;
    SynonymFile* moved = nullptr;
    const long long readsBefore = ReadCalls();
    HMMIO file = OpenProjectForReading(p.path.c_str());
    bytes = mmioSeek64(file, 0, SEEK_END);
    mmioSeek64(file, 0, SEEK_SET);
    const int result = ReadProject(engine, films, file, folders, &moved, false, nullptr, nullptr);
    mmioClose(file, 0);
    reads = ReadCalls() - readsBefore;
    if (result != 0 || films.Count() != kFilms) state.SkipWithError("read");
    state.PauseTiming();
    films.Clear();
    SynonymFile::FreeList(moved);
    state.ResumeTiming();
  }
  PathRecord::FreeList(folders);
  state.SetItemsProcessed(state.iterations() * kFilms);
  state.SetBytesProcessed(state.iterations() * bytes);
  // The read calls of one open (the media are in memory: all are the file's).
  state.counters["read_calls"] = static_cast<double>(reads);
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

}  // namespace
