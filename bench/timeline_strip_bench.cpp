// Repainting the time-line's header strip on the headless back-end: the
// overview of an hour-long project of 10,000 clips on four audio lines, and
// the ruler at the closest zoom with a thousand marks in the project.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/media_interfaces.h"
#include "platform/classlib/frame.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "resources/timeline_ids.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/time_code.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int kFilms = 10000;
constexpr int32_t kLength = 3600000;  // one hour

// A sound that never goes away: the films only count on it.
class StaticAudio : public AudioSource {
 public:
  AudioSource* AddRef() override { return this; }
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectFormat() override { return true; }
  uint16_t GetFormatTag() override { return 1; }
  int32_t GetLength() override { return kLength; }
  bool IsOpen() override { return false; }
  bool BeginRead() override { return true; }
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  const char* GetFileName() override { return "bench.wav"; }
};

StaticAudio g_audio;

// The time-line in a frame, made once, with its settings in a folder of its own.
MainTimeLineWindow& TimeLine() {
  static MainTimeLineWindow* window = [] {
    char folder[] = "/tmp/kobrix-bench-XXXXXX";
    if (mkdtemp(folder) != nullptr) setenv("KOBRIX_HOME", folder, 1);
    GuiSelectBackend("headless");
    RegisterProgramResources();
    auto* w = new MainTimeLineWindow(nullptr);
    auto* frame = new TDecoratedFrame(nullptr, "Kobrix", w);
    frame->Attr.W = 1200;
    frame->Attr.H = 700;
    frame->Create();
    frame->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
    w->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
    GuiPumpMessages();

    for (int i = 0; i < kFilms; ++i) {
      auto* f = new Film();
      f->audio = &g_audio;
      f->audioLine = i % 4;
      f->start = static_cast<int32_t>(int64_t{i / 4} * kLength / (kFilms / 4));
      f->end = f->start + 1000;
      f->out = 1000;
      f->group = i % 3;
      Film::Link(f, FilmList);
    }
    w->Engine().SetLength(kLength);
    for (int i = 0; i < 1000; ++i) ProjectMarks.AddMark(i * (kLength / 1000) + 7);
    return w;
  }();
  return *window;
}

void Repaint(TWindow* w, benchmark::State& state) {
  for (auto _ : state) {
    w->Invalidate(false);
    w->UpdateWindow();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_OverviewOf10000Clips(benchmark::State& state) {
  MainTimeLineWindow& w = TimeLine();
  w.Engine().ZoomToRange(0, 60000);
  GuiPumpMessages();
  Repaint(w.Overview(), state);
  state.counters["width"] = w.Overview()->GetClientRect().Width();
}
BENCHMARK(BM_OverviewOf10000Clips)->Unit(benchmark::kMicrosecond);

void BM_RulerAtTheClosestZoom(benchmark::State& state) {
  MainTimeLineWindow& w = TimeLine();
  TimeLineEngine& e = w.Engine();
  e.scale = 1;
  e.factor = e.DefaultFactor();
  e.origin = kLength / 2;
  e.UpdateScrollRange();
  GuiPumpMessages();
  Repaint(w.TimeRuler(), state);
  state.counters["labels"] = w.TimeRuler()->GetClientRect().Width() / e.factor;
}
BENCHMARK(BM_RulerAtTheClosestZoom)->Unit(benchmark::kMicrosecond);

}  // namespace
