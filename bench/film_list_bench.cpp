// The Film list under a large project: clips linked by start in order and
// shuffled, the edits that relink many films on long projects (Insert at
// the middle, moving the later half), and the lookups by line and time that
// the line windows and the edit engine make. The edits run at 10,000,
// 20,000 and 40,000 films, so the growth shows beside the figure.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/film.h"
#include "model/film_host.h"
#include "model/film_list.h"
#include "model/media_interfaces.h"
#include "model/timeline_engine.h"
#include "model/undo_history.h"

namespace {

constexpr int kFilms = 10000;
constexpr int32_t kSpan = 80000000;  // most of a day
constexpr int32_t kClip = 4000;

// Sources that never go away: the films only count on them.
class StaticAudio : public AudioSource {
 public:
  AudioSource* AddRef() override { return this; }
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectFormat() override { return true; }
  uint16_t GetFormatTag() override { return 1; }
  int32_t GetLength() override { return kSpan; }
  bool IsOpen() override { return false; }
  bool BeginRead() override { return true; }
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  const char* GetFileName() override { return "bench.wav"; }
};

class StaticVideo : public VideoSource {
 public:
  void AddRef() override {}
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectPlayable() override { return true; }
  bool IsOpen() override { return false; }
  void BeginRead() override {}
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  bool IsKeyFrame(int32_t) override { return true; }
  int32_t GetFrameCount() override { return kSpan / 40; }
  float GetFrameRate() override { return 25.0f; }
  const char* GetFileName() override { return "bench.avi"; }
};

class BenchClip : public ClipItem {
 public:
  BenchClip(VideoSource* v, AudioSource* a, int32_t length) : v_(v), a_(a), length_(length) {}
  VideoSource* GetVideo() const override { return v_; }
  AudioSource* GetAudio() const override { return a_; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return 0; }
  int32_t GetOut() const override { return length_; }
  int32_t GetLength() const override { return length_; }
  const char* GetName() const override { return "clip"; }

 private:
  VideoSource* v_;
  AudioSource* a_;
  int32_t length_;
};

StaticAudio audio;
StaticVideo video;

std::vector<int32_t> Starts(int n, bool shuffled) {
  std::vector<int32_t> starts(n);
  for (int i = 0; i < n; ++i) starts[i] = static_cast<int32_t>(int64_t{i} * kSpan / n);
  if (shuffled) std::shuffle(starts.begin(), starts.end(), std::mt19937(7));
  return starts;
}

void Fill(FilmListHead& list, const std::vector<int32_t>& starts) {
  BenchClip clip(nullptr, &audio, 5000);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    Film::Link(new Film(clip, starts[i], kKindAudio, static_cast<int32_t>(i % 4), 0), list);
  }
}

void BM_LinkInStartOrder(benchmark::State& state) {
  const std::vector<int32_t> starts = Starts(kFilms, false);
  for (auto _ : state) {
    FilmListHead list;
    Fill(list, starts);
    benchmark::DoNotOptimize(list.First());
  }
  state.SetItemsProcessed(state.iterations() * kFilms);
}
BENCHMARK(BM_LinkInStartOrder)->Unit(benchmark::kMillisecond);

void BM_LinkShuffled(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<int32_t> starts = Starts(n, true);
  for (auto _ : state) {
    FilmListHead list;
    Fill(list, starts);
    benchmark::DoNotOptimize(list.First());
    state.PauseTiming();
    list.Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LinkShuffled)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// A project of n clips on four sound lines, one after another on each line
// and the lines staggered, every tenth with video on row 0; the engine as
// the films' host, and one sound clip on the clipboard.
class LongProject {
 public:
  explicit LongProject(int n) : n_(n) {
    before_ = SetFilmHost(&engine);
    engine.length = kSpan;
    BenchClip cut(nullptr, &audio, 1000);
    Film::Link(new Film(cut, 0, kKindAudio, 0, -1), ClipClipboard);
  }
  ~LongProject() {
    FilmList.Clear();
    ClipClipboard.Clear();
    UndoScript::ClearAll();
    SetFilmHost(before_);
  }
  // The project as it was before the edit, with the later half selected.
  void Reset() {
    FilmList.Clear();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    for (int i = 0; i < n_; ++i) {
      const bool withVideo = i % 10 == 0;
      BenchClip clip(withVideo ? &video : nullptr, &audio, kClip);
      const int32_t start = Start(i);
      Film* f = new Film(clip, start, withVideo ? kKindAudio | kKindVideo : kKindAudio, i % 4, 0);
      if (i >= n_ / 2) f->group = SelectionGroup;
      Film::Append(f, FilmList);
    }
  }
  int32_t Start(int i) const { return static_cast<int32_t>(int64_t{i} * (kClip + 1000) / 4); }
  int32_t Middle() const { return Start(n_ / 2) + 1; }

  TimeLineEngine engine;

 private:
  int n_;
  FilmHost* before_ = nullptr;
};

void BM_InsertAtTheMiddle(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  LongProject project(n);
  for (auto _ : state) {
    state.PauseTiming();
    project.Reset();
    state.ResumeTiming();
    project.engine.InsertClips(nullptr, project.Middle());
  }
  if (FilmList.Count() < n) state.SkipWithError("insert");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_InsertAtTheMiddle)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// One step of dragging the later half of the project a second later.
void BM_MoveTheLaterHalf(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  LongProject project(n);
  for (auto _ : state) {
    state.PauseTiming();
    project.Reset();
    state.ResumeTiming();
    project.engine.MoveSelectedClips(1000, 0, kKindAudio | kKindVideo);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MoveTheLaterHalf)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

class ProjectFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    FilmList.Clear();
    Fill(FilmList, Starts(kFilms, true));
  }
  void TearDown(const benchmark::State&) override { FilmList.Clear(); }
};

BENCHMARK_DEFINE_F(ProjectFixture, FindByLine)(benchmark::State& state) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int32_t> time(0, kSpan);
  for (auto _ : state) benchmark::DoNotOptimize(Film::FindByLine(time(random), kKindAudio, 2));
}
BENCHMARK_REGISTER_F(ProjectFixture, FindByLine)->Unit(benchmark::kMicrosecond);

BENCHMARK_DEFINE_F(ProjectFixture, FindNextOnLine)(benchmark::State& state) {
  std::mt19937 random(13);
  std::uniform_int_distribution<int32_t> time(0, kSpan);
  for (auto _ : state) benchmark::DoNotOptimize(Film::FindNextOnLine(time(random), kKindAudio, 1));
}
BENCHMARK_REGISTER_F(ProjectFixture, FindNextOnLine)->Unit(benchmark::kMicrosecond);

BENCHMARK_DEFINE_F(ProjectFixture, IsFreeOnLine)(benchmark::State& state) {
  std::mt19937 random(17);
  std::uniform_int_distribution<int32_t> time(0, kSpan);
  for (auto _ : state) benchmark::DoNotOptimize(Film::IsFreeOnLine(time(random), kKindAudio, 3));
}
BENCHMARK_REGISTER_F(ProjectFixture, IsFreeOnLine)->Unit(benchmark::kMicrosecond);

BENCHMARK_DEFINE_F(ProjectFixture, GetExtent)(benchmark::State& state) {
  int32_t lo = 0, hi = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Film::GetExtent(lo, hi, kKindAudio, 0));
}
BENCHMARK_REGISTER_F(ProjectFixture, GetExtent)->Unit(benchmark::kMicrosecond);

// A line that holds no film: every query scans the whole list.
BENCHMARK_DEFINE_F(ProjectFixture, FindByLineOnAnEmptyLine)(benchmark::State& state) {
  std::mt19937 random(19);
  std::uniform_int_distribution<int32_t> time(0, kSpan);
  for (auto _ : state) benchmark::DoNotOptimize(Film::FindByLine(time(random), kKindVideo, 0));
}
BENCHMARK_REGISTER_F(ProjectFixture, FindByLineOnAnEmptyLine)->Unit(benchmark::kMicrosecond);

}  // namespace
