// Edit decision lists of a long project: 10,000 clips of 200 files (half of
// them pictures on the two video rows, half sounds with three envelope
// points on the four audio lines) written as a list, and the list read back
// into clips. Both must stay linear in the number of clips.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/film.h"
#include "model/film_list.h"
#include "model/media_interfaces.h"
#include "model/timeline_engine.h"
#include "timeline/edl_format.h"

namespace {

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
  int32_t GetFrameCount() override { return 250; }
  float GetFrameRate() override { return 25.0f; }
  const char* GetFileName() override { return name_.c_str(); }

 private:
  std::string name_;
};

class StaticAudio : public AudioSource {
 public:
  explicit StaticAudio(std::string name) : name_(std::move(name)) {}
  AudioSource* AddRef() override { return this; }
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectFormat() override { return true; }
  uint16_t GetFormatTag() override { return 1; }
  int32_t GetLength() override { return 10000; }
  bool IsOpen() override { return false; }
  bool BeginRead() override { return true; }
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  const char* GetFileName() override { return name_.c_str(); }

 private:
  std::string name_;
};

class BenchClip : public ClipItem {
 public:
  BenchClip(VideoSource* v, AudioSource* a) : v_(v), a_(a) {}
  VideoSource* GetVideo() const override { return v_; }
  AudioSource* GetAudio() const override { return a_; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return 400; }
  int32_t GetOut() const override { return 2400; }
  int32_t GetLength() const override { return 2000; }
  const char* GetName() const override { return "clip"; }

 private:
  VideoSource* v_;
  AudioSource* a_;
};

constexpr int kFiles = 100;

struct Project {
  std::vector<std::unique_ptr<StaticVideo>> videos;
  std::vector<std::unique_ptr<StaticAudio>> audios;
  FilmListHead films;
  TimeLineEngine engine;

  explicit Project(int clips) {
    for (int i = 0; i < kFiles; ++i) {
      videos.push_back(std::make_unique<StaticVideo>("/media/take" + std::to_string(i) + ".avi"));
      audios.push_back(std::make_unique<StaticAudio>("/media/sound" + std::to_string(i) + ".wav"));
    }
    for (int n = 0; n < clips; ++n) {
      const int32_t start = (n / 6) * 2000;
      Film* f = nullptr;
      if (n % 2 == 0) {
        BenchClip clip(videos[n % kFiles].get(), nullptr);
        f = new Film(clip, start, kKindVideo, 0, (n / 2) % 2);
      } else {
        BenchClip clip(nullptr, audios[n % kFiles].get());
        f = new Film(clip, start, kKindAudio, (n / 2) % 4, 0);
        f->AddVolumePoint(1400, 700);
      }
      Film::Link(f, films);
    }
    engine.length = kDayMs;
  }
};

// The list of a project, as a file.
std::FILE* Export(Project& p) {
  EdlFileRecord *video = nullptr, *audio = nullptr;
  BuildEdlFileLists(p.films, &video, &audio);
  std::FILE* file = std::tmpfile();
  WriteEdl(file, p.engine, p.films, video, audio);
  FreeEdlFileRecords(video);
  FreeEdlFileRecords(audio);
  return file;
}

void BM_ExportEdl(benchmark::State& state) {
  Project p(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::FILE* file = Export(p);
    benchmark::DoNotOptimize(std::ftell(file));
    std::fclose(file);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportEdl)->Arg(2500)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

void BM_ImportEdl(benchmark::State& state) {
  Project p(static_cast<int>(state.range(0)));
  std::FILE* file = Export(p);
  // The files the list names: the export's own lists, end to end.
  EdlFileRecord *video = nullptr, *audio = nullptr;
  BuildEdlFileLists(p.films, &video, &audio);
  EdlFileRecord* last = video;
  while (last != nullptr && last->next != nullptr) last = last->next;
  EdlFileRecord* files = video != nullptr ? video : audio;
  if (last != nullptr) last->next = audio;
  int64_t clips = 0;
  for (auto _ : state) {
    FilmListHead films;
    EdlParseResult result;
    if (ParseEdl(films, file, files, nullptr, result) != 0) state.SkipWithError("the list did not read");
    clips = films.Count();
    state.PauseTiming();
    films.Clear();
    state.ResumeTiming();
  }
  std::fclose(file);
  FreeEdlFileRecords(files);
  state.counters["clips"] = static_cast<double>(clips);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ImportEdl)->Arg(2500)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
