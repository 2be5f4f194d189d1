// Painting the two video rows of a project of 10,000 clips on the headless
// back-end: the whole project in view (nearly every clip a small box), and
// close up (a few clips with their first and last pictures, already made).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/avi_writer.h"
#include "media/video_bitmap.h"
#include "media/video_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "platform/classlib/frame.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int kClips = 10000;
constexpr int32_t kClipFrames = 50;
constexpr int32_t kSourceFrames = 100;

// Settings and the source file in a folder of the bench's own, removed at
// the end.
std::string g_folder;

void RemoveFolder() {
  std::error_code ignored;
  if (!g_folder.empty()) std::filesystem::remove_all(g_folder, ignored);
}

std::string Folder() {
  if (g_folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kobrix-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
      g_folder = pattern;
      std::atexit(RemoveFolder);
    }
    setenv("KOBRIX_HOME", g_folder.empty() ? "/tmp" : g_folder.c_str(), 1);
  }
  return g_folder.empty() ? "/tmp" : g_folder;
}

// An uncompressed 32 x 24 file of kSourceFrames frames at 25 per second.
std::string WriteSource() {
  const std::string path = Folder() + "/source.avi";
  MainAVIHeader main;
  AviWriter* w = nullptr;
  if (AviWriter::Open(&w, path.c_str(), &main) != 0) return path;
  BITMAPINFOHEADER format{};
  format.biSize = sizeof format;
  format.biWidth = 32;
  format.biHeight = 24;
  format.biPlanes = 1;
  format.biBitCount = 24;
  format.biCompression = BI_RGB;
  format.biSizeImage = 32 * 24 * 3;
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  video.fccHandler = BI_RGB;
  video.dwScale = 1000;
  video.dwRate = 25000;
  int32_t stream = 0;
  AviWriter::AddStream(w, &stream, &video, &format, sizeof format);
  std::vector<BYTE> frame(format.biSizeImage);
  for (int32_t n = 0; n < kSourceFrames; ++n) {
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<BYTE>(i * 7 + n * 13);
    AviWriter::WriteChunk(w, stream, frame.data(), static_cast<int32_t>(frame.size()), aviTWOCC('d', 'b'),
                          AVIIF_KEYFRAME);
  }
  AviWriter::Close(w);
  return path;
}

// Films' pictures are the media layer's thumbnails.
class Pictures : public MediaServices {
 public:
  Thumbnail* GetThumbnailFromSource(void* dc, int32_t scale, VideoSource* source, int32_t a,
                                    int32_t b) override {
    return TEVideoBitmap::GetFromSource(static_cast<HDC>(dc), scale, dynamic_cast<VideoData*>(source), a, b);
  }
};

class Clip : public ClipItem {
 public:
  explicit Clip(VideoSource* v) : v_(v) {}
  VideoSource* GetVideo() const override { return v_; }
  AudioSource* GetAudio() const override { return nullptr; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return FramesToMs(10, 25.0f); }
  int32_t GetOut() const override { return FramesToMs(10 + kClipFrames, 25.0f); }
  int32_t GetLength() const override { return GetOut() - GetIn(); }
  const char* GetName() const override { return "clip"; }

 private:
  VideoSource* v_;
};

struct Project {
  Project() {
    Folder();
    GuiSelectBackend("headless");
    RegisterProgramResources();
    bitmaps = std::make_unique<TEBitmapInit>();
    SetMediaServices(&pictures);
    window = new MainTimeLineWindow(nullptr);
    frame = new TDecoratedFrame(nullptr, "Kobrix", window);
    frame->Attr.W = 1600;
    frame->Attr.H = 700;
    frame->Create();
    frame->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
    source = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, WriteSource().c_str(), 0);
    Clip clip(source);
    // Clips one after the other, alternately on the two rows, a frame apart.
    int32_t at = 0;
    for (int i = 0; i < kClips; ++i) {
      Film* f = new Film(clip, FramesToMs(at, 25.0f), kKindVideo, 0, i % 2);
      Film::Link(f, FilmList);
      if (i % 2 == 1) at += kClipFrames + 1;
    }
    TimeLineEngine& e = window->Engine();
    e.SetLength(FramesToMs(at + 100, 25.0f));
    GuiPumpMessages();
  }
  // The view over [start, end) ms, painted once so that pictures are made.
  void View(int32_t start, int32_t end) {
    window->Engine().ZoomToRange(start, end);
    Repaint();
  }
  void Repaint() {
    window->VideoLine()->Invalidate(false);
    window->VideoLine()->UpdateWindow();
  }

  std::unique_ptr<TEBitmapInit> bitmaps;
  Pictures pictures;
  MainTimeLineWindow* window = nullptr;
  TDecoratedFrame* frame = nullptr;
  AVIVideoData* source = nullptr;
};

Project& TheProject() {
  static Project project;
  return project;
}

void Paint(benchmark::State& state, bool whole) {
  Project& p = TheProject();
  const TimeLineEngine& e = p.window->Engine();
  if (whole) {
    p.View(0, e.length);
  } else {
    p.View(FramesToMs(5000, 25.0f), FramesToMs(5000 + 5 * kClipFrames, 25.0f));
  }
  for (auto _ : state) p.Repaint();
  state.counters["paints/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_VideoRowsWholeProject(benchmark::State& s) {
  Paint(s, true);
}
void BM_VideoRowsCloseUp(benchmark::State& s) {
  Paint(s, false);
}

}  // namespace

BENCHMARK(BM_VideoRowsWholeProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VideoRowsCloseUp)->Unit(benchmark::kMillisecond);
