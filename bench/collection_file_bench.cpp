// Saving and loading a clip collection of 1,000 clips: 500 picture clips of
// 100 AVI files with their faces stored, and 500 sound clips of 100 WAVE
// files whose waveform overviews are stored. Loading opens every source,
// takes the overviews from the file, makes the tiles and lays them out (on
// the headless back-end).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "clips/clip_collection.h"
#include "media/avi_writer.h"
#include "media/video_bitmap.h"
#include "media/wave_overview.h"
#include "model/path_record.h"
#include "platform/classlib/classlib.h"
#include "platform/codecs/dib.h"
#include "platform/core/files.h"
#include "ui/scroll_window.h"

namespace {

constexpr int kFiles = 100;
constexpr int kClipsPerFile = 5;

std::string g_folder;
TFrameWindow* g_frame = nullptr;
ClipCollection* g_collection = nullptr;

void Put(std::vector<uint8_t>& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Two seconds of 16-bit stereo at 44100 Hz.
void WriteWave(const std::string& path) {
  const uint32_t bytes = 88200 * 4;
  std::vector<uint8_t> f;
  f.insert(f.end(), {'R', 'I', 'F', 'F'});
  Put(f, 36 + bytes, 4);
  f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put(f, 16, 4);
  Put(f, 1, 2);
  Put(f, 2, 2);
  Put(f, 44100, 4);
  Put(f, 176400, 4);
  Put(f, 4, 2);
  Put(f, 16, 2);
  f.insert(f.end(), {'d', 'a', 't', 'a'});
  Put(f, bytes, 4);
  for (uint32_t i = 0; i < bytes / 2; ++i) Put(f, (i * 97) & 0xFFFF, 2);
  FILE* out = std::fopen(path.c_str(), "wb");
  std::fwrite(f.data(), 1, f.size(), out);
  std::fclose(out);
}

// Ten 64 x 48 frames at 25 fps.
void WriteAvi(const std::string& path) {
  MainAVIHeader main;
  AviWriter* w = nullptr;
  if (AviWriter::Open(&w, path.c_str(), &main) != 0) std::abort();
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = 64;
  bi.biHeight = 48;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biSizeImage = static_cast<DWORD>(DibRowBytes(64, 24) * 48);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  video.dwScale = 1;
  video.dwRate = 25;
  int32_t stream = 0;
  AviWriter::AddStream(w, &stream, &video, &bi, sizeof bi);
  std::vector<uint8_t> frame(bi.biSizeImage, 0x70);
  for (int n = 0; n < 10; ++n)
    AviWriter::WriteChunk(w, stream, frame.data(), static_cast<int32_t>(frame.size()), aviTWOCC('d', 'b'),
                          AVIIF_KEYFRAME);
  AviWriter::Close(w);
}

int Read(const std::string& path) {
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  PathRecord* folders = new PathRecord((g_folder + "/").c_str(), true);
  SynonymFile* moved = nullptr;
  const int result = g_collection->Read(file, folders, &moved);
  mmioClose(file, 0);
  SynonymFile::FreeList(moved);
  PathRecord::FreeList(folders);
  return result;
}

bool Write(const std::string& path) {
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  const bool ok = g_collection->Write(file, (g_folder + "/").c_str(), false);
  mmioClose(file, 0);
  return ok;
}

// The collection with its 1,000 tiles, made once.
void SetUp() {
  if (g_collection != nullptr) return;
  setenv("KOBRIX_GUI", "headless", 1);
  const char* base = std::getenv("TMPDIR");
  if (base == nullptr || *base == '\0') base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  g_folder = std::string(base) + "/collection_file_bench." + std::to_string(getpid());
  CreateDirectory(g_folder.c_str(), nullptr);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
  });
  setenv("KOBRIX_HOME", g_folder.c_str(), 1);
  static TEBitmapInit bitmaps;
  g_frame = new TFrameWindow(nullptr, "Clip Collection");
  g_frame->Attr.W = 1200;
  g_frame->Attr.H = 800;
  g_frame->Create();
  g_collection = new ClipCollection(nullptr);
  g_collection->GetScrollWindow()->SetParent(g_frame);
  g_collection->GetScrollWindow()->Attr.W = 1100;
  g_collection->GetScrollWindow()->Attr.H = 700;
  g_collection->GetScrollWindow()->Create();
  for (int f = 0; f < kFiles; ++f) {
    const std::string avi = g_folder + "/picture" + std::to_string(f) + ".avi";
    const std::string wav = g_folder + "/sound" + std::to_string(f) + ".wav";
    WriteAvi(avi);
    WriteWave(wav);
    AVIVideoData* video = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, avi.c_str(), 0.0f);
    AudioData* audio = AudioData::OpenShared(wav.c_str());
    FillWaveform(audio);
    for (int k = 0; k < kClipsPerFile; ++k) {
      g_collection->InsertClip(new ClipWindow(g_collection->GetViewMode(), video, nullptr, nullptr, true),
                               -1);
      g_collection->InsertClip(new ClipWindow(g_collection->GetViewMode(), nullptr, nullptr, audio, false),
                               -1);
    }
    video->Release();
    audio->Release();
  }
  g_collection->Layout(false);
}

void BM_WriteCollection(benchmark::State& state) {
  SetUp();
  const std::string path = g_folder + "/written.prc";
  for (auto _ : state) {
    if (!Write(path)) state.SkipWithError("the write failed");
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  state.counters["bytes"] = static_cast<double>(std::ftell(f));
  std::fclose(f);
  state.counters["clips"] = g_collection->TileCount();
}
BENCHMARK(BM_WriteCollection)->Unit(benchmark::kMillisecond);

void BM_ReadCollection(benchmark::State& state) {
  SetUp();
  const std::string path = g_folder + "/read.prc";
  if (g_collection->TileCount() == 0 || !Write(path)) {
    state.SkipWithError("nothing to read");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    g_collection->DeleteAll(false);
    state.ResumeTiming();
    if (Read(path) != 0) state.SkipWithError("the read failed");
  }
  state.counters["clips"] = g_collection->TileCount();
}
BENCHMARK(BM_ReadCollection)->Unit(benchmark::kMillisecond);

}  // namespace
