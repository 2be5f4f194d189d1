// Frame decoding: a 720 × 576 Motion JPEG AVI (made at start with the
// program's own writer and compressor) decoded frame after frame, and the
// scaling of a 720 × 576 picture to a 128 × 96 thumbnail.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/avi_writer.h"
#include "media/frame_decoder.h"
#include "media/frame_pixels.h"
#include "media/video_data.h"
#include "platform/codecs/vfw.h"

namespace {

constexpr int kWidth = 720, kHeight = 576, kFrames = 50;

BITMAPINFOHEADER Rgb24(int width, int height) {
  BITMAPINFOHEADER bi;
  bi.biSize = 40;
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biSizeImage = static_cast<DWORD>(DibImageBytes(bi));
  return bi;
}

// A moving picture with detail, so that the compressed frames are of a
// realistic size.
std::vector<BYTE> Picture(int n) {
  BITMAPINFOHEADER bi = Rgb24(kWidth, kHeight);
  std::vector<BYTE> bits(bi.biSizeImage);
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(kWidth, 24));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      BYTE* p = &bits[y * stride + x * 3];
      // Fine noise, as camera pictures have.
      const unsigned noise =
          ((static_cast<unsigned>(x) * 2654435761u) ^ (static_cast<unsigned>(y + n) * 40503u)) >> 13;
      p[0] = static_cast<BYTE>(x / 3 + n * 4 + noise % 24);
      p[1] = static_cast<BYTE>(y / 3 + n + (noise >> 5) % 24);
      p[2] = static_cast<BYTE>(((x / 16 + y / 16 + n) % 2) * 160 + (noise >> 10) % 48);
    }
  return bits;
}

class MjpegFile {
 public:
  MjpegFile() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/kobrix-bench-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    folder_ = mkdtemp(name.data()) != nullptr ? name.data() : "/tmp";
    path_ = folder_ + "/mjpeg720.avi";

    BITMAPINFOHEADER in = Rgb24(kWidth, kHeight);
    HIC hic = ICLocate(ICTYPE_VIDEO, mmioFOURCC('M', 'J', 'P', 'G'), &in, nullptr, ICMODE_COMPRESS);
    BITMAPINFOHEADER out;
    ICSendMessage(hic, ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(&in),
                  reinterpret_cast<DWORD_PTR>(&out));
    std::vector<BYTE> data(static_cast<std::size_t>(ICSendMessage(
        hic, ICM_COMPRESS_GET_SIZE, reinterpret_cast<DWORD_PTR>(&in), reinterpret_cast<DWORD_PTR>(&out))));
    ICSendMessage(hic, ICM_COMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(&in),
                  reinterpret_cast<DWORD_PTR>(&out));

    MainAVIHeader main;
    AviWriter* w = nullptr;
    AviWriter::Open(&w, path_.c_str(), &main);
    AVISTREAMHEADER h;
    h.fccType = streamtypeVIDEO;
    h.fccHandler = out.biCompression;
    h.dwRate = 25;
    h.dwScale = 1;
    AviWriter::AddStream(w, nullptr, &h, &out, sizeof(out));
    for (int n = 0; n < kFrames; ++n) {
      std::vector<BYTE> picture = Picture(n);
      DWORD flags = 0, ckid = 0;
      ICCompress(hic, ICCOMPRESS_KEYFRAME, &out, data.data(), &in, picture.data(), &ckid, &flags, n, 0, 9000,
                 nullptr, nullptr);
      AviWriter::WriteChunk(w, 0, data.data(), static_cast<int32_t>(out.biSizeImage), aviTWOCC('d', 'c'),
                            flags);
      bytes_ += out.biSizeImage;
    }
    AviWriter::Close(w);
    ICSendMessage(hic, ICM_COMPRESS_END, 0, 0);
    ICClose(hic);
  }
  ~MjpegFile() {
    std::error_code ignored;
    if (folder_ != "/tmp") std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& path() const { return path_; }
  std::size_t averageFrameBytes() const { return bytes_ / kFrames; }

 private:
  std::string folder_, path_;
  std::size_t bytes_ = 0;
};

MjpegFile& File() {
  static MjpegFile file;
  return file;
}

// Decodes every frame of the file in turn into a picture of its size: 24-bit,
// or the planes of MPEG video the MPEG export asks for.
void DecodeFrames(benchmark::State& state, const char* path, bool planes = false) {
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path, 0);
  if (v == nullptr || v->frameCount <= 0) {
    state.SkipWithError("the file did not open");
    return;
  }
  v->BeginRead();
  const BITMAPINFOHEADER* in = v->Format();
  BITMAPINFOHEADER out = planes ? I420Header(in->biWidth, static_cast<LONG>(DibHeight(*in)))
                                : Rgb24(in->biWidth, static_cast<int>(DibHeight(*in)));
  std::vector<BYTE> picture(out.biSizeImage);
  int frame = 0;
  for (auto _ : state) {
    if (v->DecodeFrame(&out, picture.data(), frame) != 0) {
      state.SkipWithError("decoding failed");
      break;
    }
    benchmark::DoNotOptimize(picture.data());
    frame = (frame + 1) % v->frameCount;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["frames"] = v->frameCount;
  v->EndRead();
  v->Release();
  ReleaseSharedDecompressor();
}

void BM_DecodeMjpeg720x576(benchmark::State& state) {
  DecodeFrames(state, File().path().c_str());
  state.counters["frame_kB"] = static_cast<double>(File().averageFrameBytes()) / 1024.0;
}
BENCHMARK(BM_DecodeMjpeg720x576)->Unit(benchmark::kMillisecond)->UseRealTime();

// A file named by KOBRIX_BENCH_VIDEO (bench/compare.sh decodes the same one
// with ffmpeg beside it).
void DecodeNamedFile(benchmark::State& state, bool planes) {
  const char* path = std::getenv("KOBRIX_BENCH_VIDEO");
  if (path == nullptr || *path == '\0') {
    state.SkipWithError("KOBRIX_BENCH_VIDEO names no file");
    return;
  }
  DecodeFrames(state, path, planes);
}

void BM_DecodeNamedFile(benchmark::State& state) {
  DecodeNamedFile(state, false);
}
BENCHMARK(BM_DecodeNamedFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file into MPEG video's planes, as the MPEG export decodes it:
// beside the encoder's own time, the least an MPEG export can take.
void BM_DecodeNamedFileToPlanes(benchmark::State& state) {
  DecodeNamedFile(state, true);
}
BENCHMARK(BM_DecodeNamedFileToPlanes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScaleTo128x96(benchmark::State& state) {
  BITMAPINFOHEADER in = Rgb24(kWidth, kHeight);
  in.biBitCount = static_cast<WORD>(state.range(0));
  in.biSizeImage = static_cast<DWORD>(DibImageBytes(in));
  std::vector<BYTE> bits(in.biSizeImage);
  std::vector<BYTE> source = Picture(3);
  std::memcpy(bits.data(), source.data(), std::min(bits.size(), source.size()));
  std::vector<BYTE> thumb(kThumbnailBytes);
  for (auto _ : state) {
    ScaleTo128x96(thumb.data(), &in, bits.data());
    benchmark::DoNotOptimize(thumb.data());
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScaleTo128x96)->Arg(24)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
