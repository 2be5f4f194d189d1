// The Film list under a large project: 10,000 clips linked by start, then
// looked up by line and time as the line windows and the edit engine do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/film.h"
#include "model/film_list.h"
#include "model/media_interfaces.h"

namespace {

constexpr int kFilms = 10000;
constexpr int32_t kSpan = 80000000;  // most of a day

// A sound that never goes away: the films only count on it.
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

class BenchClip : public ClipItem {
 public:
  explicit BenchClip(AudioSource* a) : a_(a) {}
  VideoSource* GetVideo() const override { return nullptr; }
  AudioSource* GetAudio() const override { return a_; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return 0; }
  int32_t GetOut() const override { return 5000; }
  int32_t GetLength() const override { return 5000; }
  const char* GetName() const override { return "clip"; }

 private:
  AudioSource* a_;
};

StaticAudio audio;

std::vector<int32_t> Starts(bool shuffled) {
  std::vector<int32_t> starts(kFilms);
  for (int i = 0; i < kFilms; ++i) starts[i] = static_cast<int32_t>(int64_t{i} * kSpan / kFilms);
  if (shuffled) std::shuffle(starts.begin(), starts.end(), std::mt19937(7));
  return starts;
}

void Fill(FilmListHead& list, const std::vector<int32_t>& starts) {
  BenchClip clip(&audio);
  for (int i = 0; i < kFilms; ++i) Film::Link(new Film(clip, starts[i], kKindAudio, i % 4, 0), list);
}

void BM_LinkInStartOrder(benchmark::State& state) {
  const std::vector<int32_t> starts = Starts(false);
  for (auto _ : state) {
    FilmListHead list;
    Fill(list, starts);
    benchmark::DoNotOptimize(list.First());
  }
  state.SetItemsProcessed(state.iterations() * kFilms);
}
BENCHMARK(BM_LinkInStartOrder)->Unit(benchmark::kMillisecond);

void BM_LinkShuffled(benchmark::State& state) {
  const std::vector<int32_t> starts = Starts(true);
  for (auto _ : state) {
    FilmListHead list;
    Fill(list, starts);
    benchmark::DoNotOptimize(list.First());
  }
  state.SetItemsProcessed(state.iterations() * kFilms);
}
BENCHMARK(BM_LinkShuffled)->Unit(benchmark::kMillisecond);

class ProjectFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    FilmList.Clear();
    Fill(FilmList, Starts(true));
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
