// The background render of a transition: a one-second dissolve between two
// 720 × 576 Motion JPEG clips through the seven render stages into a Motion
// JPEG file, beside ffmpeg's xfade filter doing the same with the same clips
// (each from the frames it blends, encoding at the same JPEG scale).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/players.h"
#include "model/time_code.h"
#include "video/transitions/vfx_queue.h"
#include "video/transitions/vfx_render.h"

namespace {

constexpr int kOverlapFrames = 25;  // one second at 25 frames a second
// The render's default quality, 7500, is the JPEG scale 10.
constexpr const char* kScale = "10";

int Run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Clips {
 public:
  Clips() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/kobrix-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    const char* sources[2] = {"testsrc", "testsrc2"};
    for (int i = 0; i < 2; ++i) {
      paths_[i] = folder_ + "/clip" + std::to_string(i) + ".avi";
      const std::string make = std::string("ffmpeg -nostdin -v error -y -f lavfi -i ") + sources[i] +
                               "=size=720x576:rate=25 -frames:v 50 -c:v mjpeg -q:v 3 -pix_fmt yuvj420p " +
                               paths_[i];
      if (Run(make) != 0) paths_[i].clear();
    }
  }
  ~Clips() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  bool ok() const { return !paths_[0].empty() && !paths_[1].empty(); }
  const std::string& path(int i) const { return paths_[i]; }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  std::string paths_[2];
};

Clips& TheClips() {
  static Clips clips;
  return clips;
}

Film* Place(const std::string& path, int32_t start, int32_t end, int32_t row, int32_t stamp) {
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) return nullptr;
  Film* f = new Film(v, 0, start, end);
  v->Release();
  f->videoRow = row;
  f->stamp = stamp;
  Film::Link(f, FilmList);
  return f;
}

void BM_RenderDissolveMjpeg720x576(benchmark::State& state) {
  Clips& clips = TheClips();
  if (!clips.ok()) {
    state.SkipWithError("ffmpeg could not make the clips");
    return;
  }
  SetProjectFrameRate(25.0f);
  VFXRender::SetTempDir((clips.folder() + "/bench.tml").c_str());
  VFX vfx;
  // A over [0, 2000) ms, B from 1000 ms: a one-second overlap.
  if (Place(clips.path(0), 0, 2000, 0, 1) == nullptr || Place(clips.path(1), 1000, 3000, 1, 2) == nullptr) {
    state.SkipWithError("the clips did not open");
    FilmList.Clear();
    return;
  }
  VFXEntry* t = vfx.Schedule();
  const std::atomic<uint8_t> running{0};
  for (auto _ : state) {
    VFXQueue* job = new VFXQueue;
    bool written = false;
    if (vfx.TakeJob(t, *job) && job->Prepare(7500)) written = job->Run(&running);
    vfx.FinishRender(t, written);
    job->Release();
    if (!written) {
      state.SkipWithError("the render failed");
      break;
    }
    t->state = VFXEntry::Waiting;  // as a change of its kind would leave it
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()) * kOverlapFrames,
                                             benchmark::Counter::kIsRate);
  FilmList.Clear();
  vfx.FreeAll();
  VFXRender::CleanTempDir();
  VFXRender::SetTempDir(nullptr);
  ReleaseSharedDecompressor();
}
BENCHMARK(BM_RenderDissolveMjpeg720x576)->Unit(benchmark::kMillisecond)->UseRealTime();

// ffmpeg reads each clip from the frames the dissolve blends (every Motion
// JPEG frame is a key frame, so it seeks there without decoding others).
void BM_FfmpegXfadeMjpeg720x576(benchmark::State& state) {
  Clips& clips = TheClips();
  if (!clips.ok()) {
    state.SkipWithError("ffmpeg could not make the clips");
    return;
  }
  const std::string out = clips.folder() + "/xfade.avi";
  const std::string command =
      "ffmpeg -nostdin -v error -y -ss 1 -t 1 -i " + clips.path(0) + " -t 1 -i " + clips.path(1) +
      " -filter_complex \"[0][1]xfade=transition=fade:duration=1:offset=0\" -c:v mjpeg "
      "-q:v " +
      kScale + " -pix_fmt yuvj420p " + out;
  for (auto _ : state) {
    if (Run(command) != 0) {
      state.SkipWithError("ffmpeg failed");
      break;
    }
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()) * kOverlapFrames,
                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FfmpegXfadeMjpeg720x576)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
