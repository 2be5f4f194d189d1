// The hand-drawn video player's work per frame on a 720 × 576 Motion JPEG
// clip: decode the frame with the installed codec and draw it through
// DrawDib into the preview window (headless back-end), frame after frame,
// into a window of the frame's size (/1) and of twice its size (/2, each
// pixel drawn as four); and ffmpeg decoding the same file to 24-bit pictures
// on one thread in the same run, for comparison (timed by ffmpeg itself).
// The clip is made by ffmpeg (without ffmpeg both are skipped), unless
// KOBRIX_BENCH_VIDEO names a clip of 720 × 576 pictures (bench/compare.sh
// plays its own files).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "platform/codecs/drawdib.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "video/player.h"
#include "video/preview_window.h"
#include "video/sub_player.h"

namespace {

constexpr int kFrames = 250;

class Clip {
 public:
  Clip() {
    const char* named = std::getenv("KOBRIX_BENCH_VIDEO");
    if (named != nullptr && *named != '\0') {
      path_ = named;
      named_ = ok_ = true;
      return;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/kobrix-play-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    path_ = folder_ + "/mjpeg720.avi";
    const std::string make =
        "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=720x576:rate=25 -frames:v " +
        std::to_string(kFrames) + " -c:v mjpeg -q:v 3 -pix_fmt yuvj422p " + path_;
    ok_ = std::system(make.c_str()) == 0;
  }
  ~Clip() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  bool ok() const { return ok_; }
  const std::string& path() const { return path_; }
  // The number of frames the clip should have; 0 when it is named.
  int frames() const { return named_ ? 0 : kFrames; }

 private:
  std::string folder_, path_;
  bool ok_ = false;
  bool named_ = false;
};

Clip& TheClip() {
  static Clip clip;
  return clip;
}

void BM_HandPlayerDecodeAndDraw720x576(benchmark::State& state) {
  if (!TheClip().ok()) {
    state.SkipWithError("ffmpeg could not make the clip");
    return;
  }
  GuiSelectBackend("headless");
  // Room for the window at twice the picture's size.
  GuiSetScreenSize(1920, 1600);
  DibPresenter before = DrawDibSetPresenter(&GdiDrawPixels);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, TheClip().path().c_str(), 0);
  if (v == nullptr || (TheClip().frames() != 0 && v->frameCount != TheClip().frames()) || v->frameCount < 1) {
    state.SkipWithError("the clip did not open");
    return;
  }
  v->BeginRead();
  SubPlayerInfo stream;
  stream.kind = kVideoKindAvi;
  stream.format = v->Format();
  stream.formatSize = static_cast<int32_t>(v->formatSize);
  VideoPlayer::defaultDrawType = 4;  // decoded and drawn by the player
  SubVideoPlayer* player = CreateSubPlayer(stream, nullptr);
  if (player == nullptr || player->GetState() != 1) {
    state.SkipWithError("no hand-drawn player for the clip");
    delete player;
    return;
  }
  // The window of the zoom asked for; the player draws into its client area.
  const int zoom = static_cast<int>(state.range(0));
  if (auto* window = static_cast<AviSubPlayer*>(player)->Preview()) {
    RECT r{0, 0, 720 * zoom, 576 * zoom};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLong(*window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLong(*window, GWL_EXSTYLE)));
    SetWindowPos(*window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(*window, &client);
    if (client.right != 720 * zoom || client.bottom != 576 * zoom) {
      state.SkipWithError("the window did not take the size");
      delete player;
      return;
    }
  }
  const int frames = v->frameCount;
  int frame = 0;
  for (auto _ : state) {
    if (player->ShowStill(v, frame, false) != 0) {
      state.SkipWithError("a frame failed");
      break;
    }
    player->Finish(false);
    frame = (frame + 1) % frames;
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  delete player;
  v->EndRead();
  v->Release();
  ReleaseSharedDecompressor();
  DrawDibSetPresenter(before);
}
BENCHMARK(BM_HandPlayerDecodeAndDraw720x576)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// ffmpeg's own measure of its decoding ("-benchmark": rtime), so that its
// start-up is not counted.
void BM_FfmpegDecode720x576(benchmark::State& state) {
  if (!TheClip().ok()) {
    state.SkipWithError("ffmpeg could not make the clip");
    return;
  }
  const std::string decode = "ffmpeg -nostdin -benchmark -threads 1 -i " + TheClip().path() +
                             " -pix_fmt bgr24 -f null - 2>&1 | grep -o 'rtime=[0-9.]*'";
  double seconds = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    FILE* out = popen(decode.c_str(), "r");
    double rtime = 0;
    if (out == nullptr || std::fscanf(out, "rtime=%lf", &rtime) != 1 || rtime <= 0) {
      if (out != nullptr) pclose(out);
      state.SkipWithError("ffmpeg gave no time");
      break;
    }
    pclose(out);
    state.SetIterationTime(rtime);
    seconds += rtime;
    frames += kFrames;
  }
  if (seconds > 0) state.counters["fps"] = static_cast<double>(frames) / seconds;
}
BENCHMARK(BM_FfmpegDecode720x576)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
