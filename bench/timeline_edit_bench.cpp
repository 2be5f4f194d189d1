// Editing a long project in the time-line window: a clip dropped in front of
// every other clip of its line, which pushes them all right, and Delete of
// every second clip. Both must stay linear in the number of clips.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "model/film.h"
#include "model/film_list.h"
#include "model/media_interfaces.h"
#include "model/undo_history.h"
#include "platform/classlib/frame.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/drop_target.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// A sound that never goes away: the films only count on it.
class StaticAudio : public AudioSource {
 public:
  AudioSource* AddRef() override { return this; }
  void Release() override {}
  int32_t GetError() override { return 0; }
  bool IsDirectFormat() override { return true; }
  uint16_t GetFormatTag() override { return 1; }
  int32_t GetLength() override { return 1000; }
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
  int32_t GetOut() const override { return 1000; }
  int32_t GetLength() const override { return 1000; }
  const char* GetName() const override { return "clip"; }

 private:
  AudioSource* a_;
};

// The audio lines take the clip on line 0 at 500 ms.
class LineZero : public LineDropTarget {
 public:
  bool ShowDropFeedback(const ClipItem* clip, POINT&, int32_t& time, bool, int32_t& cursor) override {
    shown = clip != nullptr;
    time = 500;
    cursor = 0;
    return shown;
  }
  bool HasDropTarget() const override { return shown; }
  int32_t DropTargetLine() const override { return 0; }
  bool shown = false;
};

class BenchTimeLine : public MainTimeLineWindow {
 public:
  BenchTimeLine() : MainTimeLineWindow(nullptr) {}
  LineDropTarget* DropTarget(int32_t kind) override { return kind == kKindAudio ? &line : nullptr; }
  LineZero line;
};

StaticAudio g_audio;

struct Window {
  Window() {
    // Settings of its own, in memory: the window saves them when it goes.
    char folder[] = "/dev/shm/kobrix-bench-XXXXXX";
    if (mkdtemp(folder)) setenv("KOBRIX_HOME", folder, 1);
    GuiSelectBackend("headless");
    RegisterProgramResources();
    timeline = new BenchTimeLine();
    frame = std::make_unique<TFrameWindow>(nullptr, "Kobrix", timeline);
    frame->Attr.W = 1200;
    frame->Attr.H = 700;
    frame->Create();
    frame->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
  }
  POINT OverLines() const {
    TRect r = timeline->AudioLines()->GetWindowRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  BenchTimeLine* timeline;
  std::unique_ptr<TFrameWindow> frame;
};

Window& TheWindow() {
  static Window* w = new Window();
  return *w;
}

// count clips of 500 ms on audio line 0, one a second from 1000 ms; every
// second one selected when asked.
void Fill(int64_t count, bool selectHalf) {
  UndoScript::ClearAll();
  FilmList.Clear();
  BenchClip clip(&g_audio);
  for (int64_t i = 0; i < count; ++i) {
    Film* f = new Film(clip, static_cast<int32_t>(1000 * (i + 1)), kKindAudio, 0, 0);
    f->end = f->start + 500;
    f->group = selectHalf && i % 2 == 0 ? SelectionGroup : 0;
    Film::Append(f, FilmList);
  }
  TheWindow().timeline->Engine().SetLength(static_cast<int32_t>(1000 * (count + 2)));
}

void BM_DropBeforeEveryClip(benchmark::State& state) {
  Window& w = TheWindow();
  BenchClip clip(&g_audio);
  const POINT p = w.OverLines();
  for (auto _ : state) {
    state.PauseTiming();
    Fill(state.range(0), false);
    state.ResumeTiming();
    const int32_t placed = w.timeline->DropCollectionClip(p.x, p.y, &clip);
    if (placed != kKindAudio || FilmList.First()->next->start != 1500)
      state.SkipWithError("the drop did not push");
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DropBeforeEveryClip)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_DeleteEverySecondClip(benchmark::State& state) {
  Window& w = TheWindow();
  for (auto _ : state) {
    state.PauseTiming();
    Fill(state.range(0), true);
    state.ResumeTiming();
    w.timeline->CmDelete();
    if (FilmList.Count() != state.range(0) / 2) state.SkipWithError("the selection was not deleted");
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DeleteEverySecondClip)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
