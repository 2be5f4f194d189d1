// AVI files made by ffmpeg open and decode, and their pictures match
// ffmpeg's own decoding of the same frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "video_test_util.h"

using namespace video_test;

namespace {

struct Made {
  const char* name;
  const char* options;  // ffmpeg's encoding options
  bool lossless;
  int width = 64;
  int height = 48;
};

class FfmpegFiles : public ::testing::TestWithParam<Made> {
 protected:
  void TearDown() override { ReleaseSharedDecompressor(); }
};

constexpr int kFrames = 12;

TEST_P(FfmpegFiles, DecodeLikeFfmpeg) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const Made& m = GetParam();
  const int width = m.width, height = m.height;
  const std::string path = folder.Path(std::string(m.name) + ".avi");
  const std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=" + std::to_string(width) +
                           "x" + std::to_string(height) + ":rate=25 -frames:v " + std::to_string(kFrames) +
                           " " + m.options + " " + path;
  ASSERT_EQ(video_test::Run(make), 0) << make;
  std::vector<BYTE> reference =
      Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt bgr24 -");
  const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3;
  ASSERT_EQ(reference.size(), frameBytes * kFrames);

  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->frameCount, kFrames);
  EXPECT_FLOAT_EQ(v->frameRate, 25.0f);
  Format out = MakeFormat(width, height, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  // In order, then a jump backwards.
  std::vector<int> order;
  for (int i = 0; i < kFrames; ++i) order.push_back(i);
  order.push_back(3);
  order.push_back(kFrames - 2);
  for (int frame : order) {
    ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), frame), 0) << frame;
    std::vector<BYTE> ours = TopDownBgr(out.bi(), picture.data());
    const BYTE* theirs = &reference[frame * frameBytes];
    double total = 0;
    int worst = 0;
    for (std::size_t i = 0; i < frameBytes; ++i) {
      int d = std::abs(int{ours[i]} - int{theirs[i]});
      total += d;
      worst = std::max(worst, d);
    }
    if (m.lossless) {
      EXPECT_EQ(worst, 0) << m.name << " frame " << frame;
    } else {
      EXPECT_LE(total / frameBytes, 1.0) << m.name << " frame " << frame;
      EXPECT_LE(worst, 32) << m.name << " frame " << frame;
    }
  }
  std::vector<BYTE> thumb(kThumbnailBytes);
  EXPECT_EQ(v->GetThumbnail(thumb.data(), 80), 0);
  v->Release();
}

// The frames of an AVI file, read through the source's own index.
std::vector<Frame> FramesOf(AVIVideoData* v) {
  std::vector<Frame> frames;
  if (!v->OpenFileHandle()) return frames;
  for (int32_t i = 0; i < v->frameCount; ++i) {
    const AVIINDEXENTRY& e = v->index[static_cast<std::size_t>(i)];
    Frame f;
    f.data.resize(e.dwChunkLength);
    if (mmioSeek(v->mmio, static_cast<LONG>(e.dwChunkOffset + v->moviDataPosition), SEEK_SET) < 0 ||
        mmioRead(v->mmio, f.data.data(), static_cast<LONG>(f.data.size())) !=
            static_cast<LONG>(f.data.size()))
      return {};
    frames.push_back(std::move(f));
  }
  v->CloseFileHandle();
  return frames;
}

// A JPEG picture without its Huffman table segments.
std::vector<BYTE> WithoutHuffmanTables(const std::vector<BYTE>& jpeg) {
  std::vector<BYTE> out(jpeg.begin(), jpeg.begin() + 2);
  std::size_t p = 2;
  while (p + 4 <= jpeg.size() && jpeg[p] == 0xFF && jpeg[p + 1] != 0xDA) {
    const std::size_t length = (jpeg[p + 2] << 8) | jpeg[p + 3];
    if (jpeg[p + 1] != 0xC4) out.insert(out.end(), jpeg.begin() + p, jpeg.begin() + p + 2 + length);
    p += 2 + length;
  }
  out.insert(out.end(), jpeg.begin() + p, jpeg.end());
  return out;
}

// Motion JPEG in AVI files often leaves the Huffman tables out and means the
// standard ones: such frames give the same pictures as with the tables.
TEST(FfmpegMotionJpeg, FramesWithoutHuffmanTablesUseTheStandardOnes) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const std::string with = folder.Path("with.avi"), without = folder.Path("without.avi");
  ASSERT_EQ(
      video_test::Run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=25 -frames:v 3 "
                      "-c:v mjpeg -huffman default -q:v 3 -pix_fmt yuvj422p " +
                      with),
      0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, with.c_str(), 0);
  ASSERT_NE(v, nullptr);
  AviSpec spec;
  std::memcpy(spec.format.block.data(), v->Format(), sizeof(BITMAPINFOHEADER));
  spec.frames = FramesOf(v);
  ASSERT_EQ(spec.frames.size(), 3u);
  for (Frame& f : spec.frames) {
    const std::size_t before = f.data.size();
    f.data = WithoutHuffmanTables(f.data);
    ASSERT_LT(f.data.size(), before);
  }
  ASSERT_EQ(WriteAvi(without, spec), 0);
  AVIVideoData* w = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, without.c_str(), 0);
  ASSERT_NE(w, nullptr);
  Format out = MakeFormat(160, 120, 24);
  std::vector<BYTE> a(out.bi()->biSizeImage), b(out.bi()->biSizeImage);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_EQ(v->DecodeFrame(out.bi(), a.data(), frame), 0);
    ASSERT_EQ(w->DecodeFrame(out.bi(), b.data(), frame), 0);
    EXPECT_EQ(a, b) << "frame " << frame;
  }
  w->Release();
  v->Release();
  ReleaseSharedDecompressor();
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FfmpegFiles,
    ::testing::Values(Made{"rawvideo", "-c:v rawvideo -pix_fmt bgr24", true},
                      Made{"huffyuv", "-c:v huffyuv -pix_fmt rgb24", true},
                      Made{"mjpeg", "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p", false},
                      Made{"mjpeg422", "-c:v mjpeg -q:v 3 -pix_fmt yuvj422p", false, 720, 576},
                      Made{"lossless_jpeg", "-c:v ljpeg -pix_fmt bgr24", true},
                      Made{"msvideo1", "-c:v msvideo1 -pix_fmt rgb555le", false},
                      Made{"mpeg4", "-c:v mpeg4 -q:v 2 -bf 0 -g 5", false},
                      Made{"xvid_tagged_mpeg4", "-c:v mpeg4 -q:v 2 -bf 0 -g 5 -vtag XVID", false},
                      Made{"cinepak", "-c:v cinepak", false},
                      Made{"dv", "-c:v dvvideo -pix_fmt yuv420p", false, 720, 576},
                      Made{"h264", "-c:v libx264 -preset ultrafast -tune zerolatency -g 5", false}),
    [](const auto& info) { return std::string(info.param.name); });

// ffmpeg writes raw BGR pictures top-down, with a negative height.
TEST(FfmpegAvi, TopDownFilesReportTheirHeight) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const std::string path = folder.Path("topdown.avi");
  ASSERT_EQ(video_test::Run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=25 -frames:v 3 "
                            "-c:v rawvideo -pix_fmt bgr24 " + path),
            0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  ASSERT_LT(v->Format()->biHeight, 0) << "no longer a top-down file";
  int32_t width = 0, height = 0;
  v->GetSize(&width, &height);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  v->Release();
  AviFileInfo info;
  EXPECT_EQ(DescribeAviFile(path.c_str(), &info), 1);
  EXPECT_EQ(info.width, 64u);
  EXPECT_EQ(info.height, 48u);
}

// An index whose length runs past the end of the file: the frames in movi
// still play, each as ffmpeg decodes it.
TEST(FfmpegAvi, AnIndexLongerThanTheFileIsRebuilt) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const std::string path = folder.Path("long_index.avi");
  ASSERT_EQ(video_test::Run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=32x24:rate=25 -frames:v " +
                            std::to_string(kFrames) + " -c:v rawvideo -pix_fmt bgr24 " + path),
            0);
  const std::vector<BYTE> reference =
      Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt bgr24 -");
  const std::size_t frameBytes = 32 * 24 * 3;
  ASSERT_EQ(reference.size(), frameBytes * kFrames);
  std::vector<BYTE> file = ReadAll(path);
  bool patched = false;
  for (const RawChunk& c : TopChunks(file)) {
    if (c.id != ckidAVINEWINDEX) continue;
    codecs::PutLe32(&file[c.at + 4], c.size + 4096);
    patched = true;
  }
  ASSERT_TRUE(patched);
  WriteAll(path, file);

  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->frameCount, kFrames);
  Format out = MakeFormat(32, 24, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  for (int frame = 0; frame < kFrames; ++frame) {
    ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), frame), 0) << frame;
    EXPECT_EQ(TopDownBgr(out.bi(), picture.data()),
              std::vector<BYTE>(reference.begin() + frame * frameBytes, reference.begin() + (frame + 1) * frameBytes))
        << frame;
  }
  v->Release();
}

}  // namespace

// The export recompresses frames that cannot be copied; a Motion JPEG clip
// of odd width must keep every column of its picture, the last one too.
TEST(FfmpegAvi, RecompressedMotionJpegFramesOfAnOddWidthKeepTheirPicture) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const int width = 61, height = 48, frames = 3;
  const std::string path = folder.Path("odd.avi");
  // Smooth pictures that change from frame to frame.
  ASSERT_EQ(video_test::Run("ffmpeg -nostdin -v error -y -f lavfi -i "
                            "nullsrc=size=61x48:rate=25,format=rgb24,geq=r=X*4:g=Y*5:b=100+N*20 -frames:v " +
                            std::to_string(frames) + " -c:v mjpeg -q:v 2 -pix_fmt yuvj420p " + path),
            0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  v->BeginRead();
  Format out = MakeFormat(width, height, 24);
  RecompressInfo context;
  for (int frame = 0; frame < frames; ++frame) {
    std::vector<BYTE> source(out.bi()->biSizeImage);
    ASSERT_EQ(v->DecodeFrame(out.bi(), source.data(), frame), 0);
    const void* data = nullptr;
    int32_t size = 0;
    bool key = false;
    ASSERT_EQ(v->RecompressFrame(frame, 0, &context, &data, &size, &key), 0);
    EXPECT_TRUE(key);
    // The new data through a decoder of their own.
    std::vector<BYTE> compressed(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    BITMAPINFOHEADER in = *v->Format();
    in.biSizeImage = static_cast<DWORD>(size);
    HIC hic = ICLocate(ICTYPE_VIDEO, in.biCompression, &in, out.bi(), ICMODE_DECOMPRESS);
    ASSERT_NE(hic, nullptr);
    ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(&in),
                            reinterpret_cast<DWORD_PTR>(out.bi())),
              ICERR_OK);
    std::vector<BYTE> again(source.size());
    ASSERT_EQ(static_cast<LRESULT>(ICDecompress(hic, 0, &in, compressed.data(), out.bi(), again.data())),
              ICERR_OK);
    ICClose(hic);
    const std::vector<BYTE> a = TopDownBgr(out.bi(), source.data());
    const std::vector<BYTE> b = TopDownBgr(out.bi(), again.data());
    for (int x = 0; x < width; ++x) {
      double sum = 0;
      for (int y = 0; y < height; ++y)
        for (int c = 0; c < 3; ++c) {
          const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3 + c;
          sum += std::abs(int{a[i]} - int{b[i]});
        }
      // A generation of this codec costs about 2 to 6 levels a column;
      // a lost colour sample costs 30 and more.
      EXPECT_LE(sum / (height * 3), 8.0) << "frame " << frame << ", column " << x;
    }
  }
  ReleaseRecompressor(&context);
  v->EndRead();
  v->Release();
  ReleaseSharedDecompressor();
}
