// The board player's feeder: the frames of a 720 × 576 "VLMD" file (4:2:2,
// with interleaved sound) read into the simulated board's fifo and
// announced, the board taking each frame as soon as it is whole, in MB/s of
// the file; and dd reading the same file unbuffered (iflag=direct) in
// blocks of the feeder's largest read, in the same run, for comparison
// (timed by dd itself).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/avi_writer.h"
#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/film.h"
#include "model/film_list.h"
#include "platform/codecs/avi.h"
#include "platform/core/locations.h"
#include "video/board_player.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;
constexpr int kFrames = 150;
constexpr int32_t kSound = 7056;  // 1/25 s of 16-bit stereo at 44100 Hz

void Put32(std::vector<BYTE>& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

class BoardFile {
 public:
  BoardFile() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/kobrix-board-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    path_ = folder_ + "/vlmd720.avi";
    ok_ = Write();
  }
  ~BoardFile() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  bool ok() const { return ok_; }
  const std::string& path() const { return path_; }
  int64_t bytes() const { return bytes_; }

 private:
  bool Write() {
    MainAVIHeader main;
    main.dwFlags = AVIF_ISINTERLEAVED;
    AviWriter* w = nullptr;
    if (AviWriter::Open(&w, path_.c_str(), &main) != 0) return false;
    AVISTREAMHEADER video;
    video.fccType = streamtypeVIDEO;
    video.fccHandler = mmioFOURCC('V', 'L', 'M', 'D');
    video.dwScale = 1000;
    video.dwRate = 25000;
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = kWidth;
    format.biHeight = kHeight;
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = mmioFOURCC('V', 'L', 'M', 'D');
    int32_t videoStream = 0, audioStream = 0;
    BYTE wave[18] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, 0, 0};
    AVISTREAMHEADER audio;
    audio.fccType = streamtypeAUDIO;
    bool ok = AviWriter::AddStream(w, &videoStream, &video, &format, sizeof format) == 0 &&
              AviWriter::AddStream(w, &audioStream, &audio, wave, sizeof wave) == 0;
    const uint32_t field = kWidth * 2 * (kHeight / 2);
    std::vector<BYTE> frame(28 + 2 * static_cast<std::size_t>(field), 0x80);
    std::memcpy(frame.data(), "VLMD", 4);
    Put32(frame, 16, field);
    Put32(frame, 20, field);
    const std::vector<BYTE> sound(kSound, 0);
    for (int i = 0; ok && i < kFrames; ++i) {
      frame[28] = static_cast<BYTE>(i);
      ok = AviWriter::WriteChunk(w, videoStream, frame.data(), static_cast<int32_t>(frame.size()),
                                 aviTWOCC('d', 'c'), AVIIF_KEYFRAME) == 0 &&
           AviWriter::WriteChunk(w, audioStream, sound.data(), kSound, aviTWOCC('w', 'b'), AVIIF_KEYFRAME) == 0;
    }
    ok = AviWriter::Close(w) == 0 && ok;
    bytes_ = static_cast<int64_t>(std::filesystem::file_size(path_));
    return ok;
  }

  std::string folder_, path_;
  bool ok_ = false;
  int64_t bytes_ = 0;
};

BoardFile& TheFile() {
  static BoardFile file;
  return file;
}

void BM_BoardFeederIntoTheFifo720x576(benchmark::State& state) {
  if (!TheFile().ok()) {
    state.SkipWithError("the file could not be written");
    return;
  }
  SetVelmoraLibraryName((ProgramFolder() + "/../libvlminter.so").c_str());
  if (!InitVelmoraAPIClass::Load()) {
    state.SkipWithError("no board library beside the program's folder");
    return;
  }
  using Drain = decltype(&vlmsim_SetDrain);
  reinterpret_cast<Drain>(GetProcAddress(VelmoraLibraryModule, "vlmsim_SetDrain"))(1);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, TheFile().path().c_str(), 0);
  if (v == nullptr || v->frameCount != kFrames) {
    state.SkipWithError("the file did not open");
    return;
  }
  v->BeginRead();
  SubPlayerInfo stream;
  stream.kind = kVideoKindAvi;
  stream.format = v->Format();
  stream.formatSize = static_cast<int32_t>(v->formatSize);
  {
    VelmoraAviPlayer player(stream, 25.0f, nullptr);
    FilmListHead segments, films;
    Film::Link(new Film(v, 0, 0, kFrames * 40), segments);
    int64_t bytes = 0;
    for (auto _ : state) {
      // Start returns once the feeder has read every frame.
      if (player.GetState() != 1 || player.Start(segments.First(), 0, kFrames * 40, films) != 0 ||
          player.ReaderState() != 4) {
        state.SkipWithError("the play did not prepare");
        break;
      }
      player.Finish(true);
      bytes += TheFile().bytes();
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
    segments.Clear();
  }
  v->EndRead();
  v->Release();
  TheVelmoraDevice.Close();
  InitVelmoraAPIClass::Unload();
}
BENCHMARK(BM_BoardFeederIntoTheFifo720x576)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// dd's own measure of its unbuffered reads.
void BM_DdDirectRead(benchmark::State& state) {
  if (!TheFile().ok()) {
    state.SkipWithError("the file could not be written");
    return;
  }
  const std::string read = "dd if=" + TheFile().path() +
                           " of=/dev/null bs=786432 iflag=direct 2>&1 | grep -o 'copied, [0-9.]* s'";
  double seconds = 0;
  for (auto _ : state) {
    FILE* out = popen(read.c_str(), "r");
    double took = 0;
    if (out == nullptr || std::fscanf(out, "copied, %lf s", &took) != 1 || took <= 0) {
      if (out != nullptr) pclose(out);
      state.SkipWithError("dd gave no time");
      break;
    }
    pclose(out);
    state.SetIterationTime(took);
    seconds += took;
  }
  if (seconds > 0)
    state.counters["MB/s"] = static_cast<double>(TheFile().bytes()) * state.iterations() / 1e6 / seconds;
}
BENCHMARK(BM_DdDirectRead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
