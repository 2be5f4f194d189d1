// Painting the audio lines on the headless back-end: four lines 1920 pixels
// wide, each filled by a one-hour stereo clip drawn from its overview; and
// one line close up, its clip drawn from the samples themselves.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/audio_data.h"
#include "media/wave_overview.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "platform/classlib/frame.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr DWORD kRate = 8000;
constexpr int32_t kHourMs = 3600000;
constexpr int kLines = 4;
constexpr int kLineWidth = 1920;

// Settings in a folder of the bench's own, removed at the end.
std::string g_folder;

void RemoveFolder() {
  std::error_code ignored;
  if (!g_folder.empty()) std::filesystem::remove_all(g_folder, ignored);
}

void UseOwnFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kobrix-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) {
    g_folder = pattern;
    std::atexit(RemoveFolder);
  }
  setenv("KOBRIX_HOME", g_folder.empty() ? "/tmp" : g_folder.c_str(), 1);
}

// An hour of 16-bit stereo sound made as it is read: two sines.
class HourOfSound : public AudioData {
 public:
  HourOfSound() : AudioData("/bench/hour.wav") {
    referenceCount = 1;
    error = 0;
    AllocateFormat(18);
    format->wFormatTag = 1;
    format->nChannels = 2;
    format->nSamplesPerSec = kRate;
    format->wBitsPerSample = 16;
    format->nBlockAlign = 4;
    format->nAvgBytesPerSec = kRate * 4;
    SetFormat();
    length = kHourMs;
    openCount = 1;
  }
  DWORD LengthInSamples() override { return static_cast<DWORD>(int64_t{kHourMs} * kRate / 1000); }
  LONG ReadBytes(void* buffer, std::int64_t position, LONG count) override {
    const std::int64_t total = std::int64_t{LengthInSamples()} * 4;
    if (position < 0 || position >= total) return 0;
    const LONG n = static_cast<LONG>(std::min<std::int64_t>(count, total - position)) / 4 * 4;
    auto* out = static_cast<std::int16_t*>(buffer);
    for (LONG i = 0; i < n / 4; ++i) {
      const double t = static_cast<double>(position / 4 + i) / kRate;
      out[2 * i] = static_cast<std::int16_t>(20000 * std::sin(2 * M_PI * 110 * t));
      out[2 * i + 1] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 440 * t));
    }
    return n;
  }
  bool BeginRead() override { return true; }
  void EndRead() override {}
};

class HourClip : public ClipItem {
 public:
  explicit HourClip(AudioSource* a) : a_(a) {}
  VideoSource* GetVideo() const override { return nullptr; }
  AudioSource* GetAudio() const override { return a_; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return 0; }
  int32_t GetOut() const override { return kHourMs; }
  int32_t GetLength() const override { return kHourMs; }
  const char* GetName() const override { return "hour"; }

 private:
  AudioSource* a_;
};

struct Project {
  Project() {
    UseOwnFolder();
    GuiSelectBackend("headless");
    RegisterProgramResources();
    BuildLevelTables();
    window = new MainTimeLineWindow(nullptr);
    frame = new TDecoratedFrame(nullptr, "Kobrix", window);
    frame->Attr.W = kLineWidth + 400;
    frame->Attr.H = 900;
    frame->Create();
    frame->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
    TimeLineEngine& e = window->Engine();
    for (int32_t i = 0; i < kLines; ++i) e.audioPanel[i].SetZoom(0);
    e.audioPanel.Layout(e.rowGap);
    window->LayoutHeaders();
    HourClip clip(&sound);
    for (int32_t line = 0; line < kLines; ++line) Film::Link(new Film(clip, 0, kKindAudio, line, 0), FilmList);
    e.SetLength(kHourMs + 1000);
    FillWaveform(&sound);
    GuiPumpMessages();
  }
  // The first 1920 pixels of the lines show [start, start + span).
  void View(int32_t start, int32_t span) {
    TimeLineEngine& e = window->Engine();
    e.origin = start;
    e.scale = span;
    e.factor = kLineWidth;
    e.UpdateScrollRange();
    e.RecalcClipOrigins();
  }
  void Repaint(bool firstLineOnly) {
    TAudioLines* lines = window->AudioLines();
    TRect r = lines->GetClientRect();
    r.right = std::min<int>(r.right, kLineWidth);
    if (firstLineOnly) r.bottom = window->Engine().audioPanel[0].height;
    lines->InvalidateRect(r, false);
    lines->UpdateWindow();
  }

  HourOfSound sound;
  MainTimeLineWindow* window = nullptr;
  TDecoratedFrame* frame = nullptr;
};

Project& TheProject() {
  static Project project;
  return project;
}

void BM_AudioLinesFourHourLongClips(benchmark::State& state) {
  Project& p = TheProject();
  p.window->Settings().waveformQuality = 0;
  p.View(0, kHourMs);
  for (auto _ : state) p.Repaint(false);
  state.counters["width"] = p.window->Engine().width;
  state.counters["paints/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_AudioLineCloseUpExactWaveform(benchmark::State& state) {
  Project& p = TheProject();
  p.window->Settings().waveformQuality = 1;
  // Two seconds across the line, in the middle of the hour: eight samples a
  // pixel, a hundred pixels an overview entry.
  p.View(kHourMs / 2, 2000);
  for (auto _ : state) p.Repaint(true);
  state.counters["paints/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_AudioLinesFourHourLongClips)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AudioLineCloseUpExactWaveform)->Unit(benchmark::kMillisecond);
