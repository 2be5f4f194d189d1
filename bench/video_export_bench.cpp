// The video exports on 720 × 576 Motion JPEG: a cut-only project copied
// into an AVI file (the pieces of the file in another order), and the same
// frames encoded through the encoder component as MPEG-1 video in a system
// stream (a project of pictures alone has no program stream to choose).
// The file is KOBRIX_BENCH_VIDEO, or one ffmpeg makes at start (10 s of
// 25 fps). bench/compare.sh runs ffmpeg on the same file beside them.
// KOBRIX_BENCH_KEEP names a folder where the last export of each stays
// ("cut.avi" and "out.mpg"), so that two builds' files can be compared;
// KOBRIX_BENCH_MPEG_FORMAT the MPEG frame-rate row (0 to 4, PAL 25 unless
// given: NTSC rows repeat project frames).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/installed_components.h"
#include "audio/mix_setup.h"
#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/time_code.h"
#include "platform/core/registry.h"
#include "platform/gui/modal.h"
#include "platform/gui/user.h"
#include "video/export/mpeg_export.h"

namespace {

class Project {
 public:
  Project() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/kobrix-bench-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    folder_ = mkdtemp(name.data()) != nullptr ? name.data() : "/tmp";
    // Settings and the encoder's registry entries of the bench's own.
    setenv("KOBRIX_HOME", folder_.c_str(), 1);
    std::ofstream(RegistryFilePath()) << Registry();

    const char* named = std::getenv("KOBRIX_BENCH_VIDEO");
    source_ = named != nullptr && *named ? named : folder_ + "/source.avi";
    if (named == nullptr || !*named) {
      const std::string make =
          "ffmpeg -nostdin -v error -y -f lavfi -i "
          "'testsrc2=size=720x576:rate=25,noise=alls=10:allf=t' -frames:v 250 -c:v mjpeg "
          "-q:v 3 -pix_fmt yuvj420p " +
          source_;
      if (std::system(make.c_str()) != 0) return;
    }
    SetProjectFrameRate(25.0f);
    AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, source_.c_str(), 0);
    if (v == nullptr) return;
    v->BeginRead();
    frames_ = v->frameCount;
    // Four pieces of the file, each a quarter, placed in the order 2, 0, 3, 1.
    const int32_t quarter = frames_ / 4;
    const int order[] = {2, 0, 3, 1};
    for (int i = 0; i < 4; ++i) {
      Film* f = new Film(v, FramesToMs(order[i] * quarter, 25.0f), FramesToMs(i * quarter, 25.0f),
                         FramesToMs((i + 1) * quarter, 25.0f));
      Film::Link(f, segments_);
    }
    frames_ = 4 * quarter;
    video_ = v;
  }
  ~Project() {
    segments_.Clear();
    if (video_ != nullptr) {
      video_->EndRead();
      video_->Release();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  bool ok() const { return video_ != nullptr; }
  Film* Segments() const { return segments_.First(); }
  int32_t Frames() const { return frames_; }
  int32_t End() const { return FramesToMs(frames_, 25.0f); }
  std::string Out(const char* name) const { return folder_ + "/" + name; }
  // Where the last export stays: in KOBRIX_BENCH_KEEP when it is given.
  static void Keep(const std::string& file, const char* name) {
    const char* keep = std::getenv("KOBRIX_BENCH_KEEP");
    std::error_code ignored;
    if (keep != nullptr && *keep != '\0')
      std::filesystem::copy_file(file, std::string(keep) + "/" + name,
                                 std::filesystem::copy_options::overwrite_existing, ignored);
  }

 private:
  static std::string Registry() {
    std::string text;
    for (const char* clsid :
         {"{447B7FE2-B635-11CF-8DDB-0000E8C2AE4F}", "{447B9000-B635-11CF-8DDB-0000E8C2AE4F}"})
      text += std::string("[HKEY_CLASSES_ROOT\\CLSID\\") + clsid + "\\InprocServer32]\n@=\"" +
              KOBRIX_MPEG_MODULE_DIR + "/KXMPEG.DLL\"\n";
    return text;
  }

  std::string folder_;
  std::string source_;
  AVIVideoData* video_ = nullptr;
  FilmListHead segments_;
  int32_t frames_ = 0;
};

void BM_AviExportCutOnly(benchmark::State& state) {
  Project project;
  if (!project.ok()) {
    state.SkipWithError("no source file (set KOBRIX_BENCH_VIDEO or install ffmpeg)");
    return;
  }
  const std::string out = project.Out("cut.avi");
  for (auto _ : state) {
    if (!RecompressInfo::Run(nullptr, nullptr, project.Segments(), 1, 0, project.End(), out.c_str())) {
      state.SkipWithError("the export failed");
      return;
    }
    // Each export makes a new file, as a user's does.
    state.PauseTiming();
    Project::Keep(out, "cut.avi");
    std::filesystem::remove(out);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * project.Frames());
}
BENCHMARK(BM_AviExportCutOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// PAL 25, 720 × 576, MPEG-1 video at 5859 × 1024 bit/s (about 6 Mbit/s).
void BM_MpegExport(benchmark::State& state) {
  Project project;
  if (!project.ok()) {
    state.SkipWithError("no source file (set KOBRIX_BENCH_VIDEO or install ffmpeg)");
    return;
  }
  IniSetSection("DVMPEG");
  IniWriteInt("MPEG_STREAM", 1);
  const char* format = std::getenv("KOBRIX_BENCH_MPEG_FORMAT");
  IniWriteInt("MPEG_FORMAT", format != nullptr && *format != '\0' ? std::atoi(format) : 2);
  IniWriteInt("MPEG_VBITRATE", 5859);
  IniFlush();
  // Components initialised for the run, as the program keeps them for its
  // life: the encoder's libraries load at the first export, not at every one.
  CComBase components;
  // The settings dialog is answered with OK as it comes up.
  ModalHook before = SetModalHook([](HWND dialog) { PostMessage(dialog, WM_COMMAND, IDOK, 0); });
  const std::string out = project.Out("out.mpg");
  MixSetup mix;
  // One export untimed first, which loads the encoder and its libraries:
  // ffmpeg's own timing (bench/compare.sh) leaves its loading out too.
  if (!ExportMpeg(nullptr, project.Segments(), nullptr, 1, mix, 0, project.End(), out.c_str())) {
    SetModalHook(before);
    state.SkipWithError("the export failed");
    return;
  }
  std::filesystem::remove(out);
  for (auto _ : state) {
    if (!ExportMpeg(nullptr, project.Segments(), nullptr, 1, mix, 0, project.End(), out.c_str())) {
      state.SkipWithError("the export failed");
      break;
    }
    state.PauseTiming();
    Project::Keep(out, "out.mpg");
    std::filesystem::remove(out);
    state.ResumeTiming();
  }
  SetModalHook(before);
  state.SetItemsProcessed(state.iterations() * project.Frames());
}
BENCHMARK(BM_MpegExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
