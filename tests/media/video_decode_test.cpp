#include <gtest/gtest.h>

#include <cstring>

#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "platform/codecs/vfw.h"
#include "video_test_util.h"

using namespace video_test;

namespace {

constexpr FOURCC kDelta = mmioFOURCC('D', 'L', 'T', 'A');
constexpr FOURCC kSixteen = mmioFOURCC('T', 'S', 'I', 'X');

int g_decodes = 0;

// Key frames carry the whole 24-bit picture, the others its difference
// (exclusive or) from the picture before. It also compresses, always to key
// frames.
class DeltaCodec : public VideoCodec {
 public:
  static bool InOk(const BITMAPINFOHEADER* in) { return in->biCompression == kDelta && in->biBitCount == 24; }
  static bool OutOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    return out == nullptr || (out->biCompression == BI_RGB && out->biBitCount == 24 &&
                              out->biWidth == in->biWidth && out->biHeight == in->biHeight);
  }
  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return InOk(in) && OutOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (out == nullptr) return 40;
    *out = *in;
    out->biSize = 40;
    out->biCompression = BI_RGB;
    out->biSizeImage = static_cast<DWORD>(DibImageBytes(*out));
    return ICERR_OK;
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    picture_.assign(static_cast<std::size_t>(DibImageBytes(*out)), 0);
    return InOk(in) && OutOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    ++g_decodes;
    const BYTE* data = static_cast<const BYTE*>(d.lpInput);
    if (d.lpbiInput->biSizeImage != picture_.size()) return ICERR_BADSIZE;
    for (std::size_t i = 0; i < picture_.size(); ++i)
      picture_[i] = (d.dwFlags & ICDECOMPRESS_NOTKEYFRAME) ? picture_[i] ^ data[i] : data[i];
    std::memcpy(d.lpOutput, picture_.data(), picture_.size());
    return ICERR_OK;
  }
  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return in->biCompression == BI_RGB && in->biBitCount == 24 && (out == nullptr || InOk(out))
               ? ICERR_OK
               : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (out == nullptr) return 40;
    *out = *in;
    out->biCompression = kDelta;
    return ICERR_OK;
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER*) override {
    return static_cast<LRESULT>(DibImageBytes(*in));
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER*, const BITMAPINFOHEADER*) override { return ICERR_OK; }
  LRESULT Compress(const ICCOMPRESS& c) override {
    std::memcpy(c.lpOutput, c.lpInput, static_cast<std::size_t>(DibImageBytes(*c.lpbiInput)));
    c.lpbiOutput->biSizeImage = static_cast<DWORD>(DibImageBytes(*c.lpbiInput));
    *c.lpdwFlags = AVIIF_KEYFRAME;
    return ICERR_OK;
  }

 private:
  std::vector<BYTE> picture_;
};

// Decodes raw 16-bit pictures, and only to 16 bits.
class SixteenOnly : public VideoCodec {
 public:
  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (in->biCompression != kSixteen) return ICERR_BADFORMAT;
    return out == nullptr || (out->biBitCount == 16 && out->biCompression == BI_RGB) ? ICERR_OK
                                                                                     : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (out == nullptr) return 40;
    *out = *in;
    out->biBitCount = 16;
    out->biCompression = BI_RGB;
    return ICERR_OK;
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER*, const BITMAPINFOHEADER* out) override {
    return out->biBitCount == 16 ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    std::memcpy(d.lpOutput, d.lpInput,
                std::min<std::size_t>(d.lpbiInput->biSizeImage,
                                      static_cast<std::size_t>(DibImageBytes(*d.lpbiOutput))));
    return ICERR_OK;
  }
};

template <class T>
std::unique_ptr<VideoCodec> Make(const VideoCodecDescription&, UINT) {
  return std::make_unique<T>();
}

class VideoDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VideoCodecDescription delta;
    delta.fccHandler = kDelta;
    delta.name = L"Delta";
    ICInstallCodec(delta, &Make<DeltaCodec>);
    VideoCodecDescription sixteen;
    sixteen.fccHandler = kSixteen;
    sixteen.name = L"Sixteen";
    ICInstallCodec(sixteen, &Make<SixteenOnly>);
    g_decodes = 0;
  }
  void TearDown() override {
    ReleaseSharedDecompressor();
    ICRemove(ICTYPE_VIDEO, kDelta, 0);
    ICRemove(ICTYPE_VIDEO, kSixteen, 0);
  }

  // Frames of a moving gradient stored as deltas, with key frames at 0 and 10.
  std::string DeltaFile(const std::string& name, std::vector<Frame>* pictures) {
    *pictures = GradientFrames(12, 9, 20);
    AviSpec spec;
    spec.format = MakeFormat(12, 9, 24, kDelta);
    for (int i = 0; i < 20; ++i) {
      Frame f = (*pictures)[i];
      f.key = i % 10 == 0;
      if (!f.key)
        for (std::size_t b = 0; b < f.data.size(); ++b) f.data[b] ^= (*pictures)[i - 1].data[b];
      spec.frames.push_back(f);
    }
    std::string path = folder_.Path(name);
    EXPECT_EQ(WriteAvi(path, spec), 0);
    return path;
  }

  AVIVideoData* Open(const std::string& path) {
    return AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  }

  TempFolder folder_;
  RecordingHooks hooks_;
};

TEST_F(VideoDecodeTest, TheNextFrameCostsOneDecodeAndAJumpBackRestartsAtTheKey) {
  std::vector<Frame> pictures;
  AVIVideoData* v = Open(DeltaFile("delta.avi", &pictures));
  ASSERT_NE(v, nullptr);
  Format out = MakeFormat(12, 9, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  struct Step {
    int frame;
    int decodes;
  } steps[] = {{5, 6}, {6, 1}, {6, 0}, {3, 4}, {4, 1}, {12, 3}, {15, 3}, {11, 2}, {19, 8}, {9, 10}};
  for (const Step& s : steps) {
    g_decodes = 0;
    ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), s.frame), 0) << s.frame;
    EXPECT_EQ(g_decodes, s.decodes) << "frame " << s.frame;
    EXPECT_EQ(picture, pictures[s.frame].data) << "frame " << s.frame;
  }
  EXPECT_EQ(hooks_.waitCursors, 1);  // only the long run 0..9 waits

  // Another file in between: back to its key frame afterwards.
  std::vector<Frame> others;
  AVIVideoData* w = Open(DeltaFile("other.avi", &others));
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->DecodeFrame(out.bi(), picture.data(), 2), 0);
  g_decodes = 0;
  ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), 13), 0);
  EXPECT_EQ(g_decodes, 4);
  EXPECT_EQ(picture, pictures[13].data);
  w->Release();
  v->Release();
}

TEST_F(VideoDecodeTest, AReleasedSourceIsNotContinued) {
  std::vector<Frame> pictures;
  const std::string path = DeltaFile("gone.avi", &pictures);
  Format out = MakeFormat(12, 9, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  AVIVideoData* v = Open(path);
  ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), 4), 0);
  v->Release();
  // A new source may take the old one's place in memory; it starts afresh.
  v = Open(path);
  g_decodes = 0;
  ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), 5), 0);
  EXPECT_EQ(g_decodes, 6);
  EXPECT_EQ(picture, pictures[5].data);
  v->Release();
}

TEST_F(VideoDecodeTest, ACodecOfferingOnlySixteenBitsIsTaken) {
  AviSpec spec;
  spec.format = MakeFormat(4, 2, 16, kSixteen);
  Frame f;
  f.data = {0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C,   // bottom row: white, blue, green, red
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};  // top row: black
  spec.frames = {f};
  const std::string path = folder_.Path("sixteen.avi");
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = Open(path);
  ASSERT_NE(v, nullptr);
  Format out = MakeFormat(4, 2, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), 0), 0);
  EXPECT_EQ(std::vector<BYTE>(picture.begin(), picture.begin() + 12),
            (std::vector<BYTE>{248, 248, 248, 248, 0, 0, 0, 248, 0, 0, 0, 248}));
  v->Release();
}

TEST_F(VideoDecodeTest, UncompressedAndRunLengthFilesNeedNoCodec) {
  // 16 bits, 5-5-5.
  AviSpec sixteen;
  sixteen.format = MakeFormat(2, 1, 16);
  sixteen.frames = {Frame{{0x1F, 0x00, 0x00, 0x7C}, true}};
  const std::string a = folder_.Path("rgb16.avi");
  ASSERT_EQ(WriteAvi(a, sixteen), 0);
  // RLE8: a key frame and a delta that changes two pixels.
  AviSpec rle;
  rle.format = MakeFormat(4, 2, 8, BI_RLE8);
  auto* colors = DibColors(rle.format.bi());
  colors[1] = RGBQUAD{10, 20, 30, 0};
  colors[2] = RGBQUAD{40, 50, 60, 0};
  rle.frames = {Frame{{4, 1, 0, 0, 4, 1, 0, 1}, true}, Frame{{0, 2, 1, 1, 2, 2, 0, 1}, false}};
  const std::string b = folder_.Path("rle8.avi");
  ASSERT_EQ(WriteAvi(b, rle), 0);

  // No codec at all may be asked.
  ICRemove(ICTYPE_VIDEO, kDelta, 0);
  AVIVideoData* v = Open(a);
  ASSERT_NE(v, nullptr);
  Format out = MakeFormat(2, 1, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), 0), 0);
  EXPECT_EQ(std::vector<BYTE>(picture.begin(), picture.begin() + 6),
            (std::vector<BYTE>{248, 0, 0, 0, 0, 248}));
  v->Release();

  v = Open(b);
  ASSERT_NE(v, nullptr);
  Format out2 = MakeFormat(4, 2, 24);
  std::vector<BYTE> picture2(out2.bi()->biSizeImage);
  ASSERT_EQ(v->DecodeFrame(out2.bi(), picture2.data(), 1), 0);
  // Top row (stored second): 1 2 2 1.
  const std::size_t top = static_cast<std::size_t>(DibRowBytes(4, 24));
  EXPECT_EQ(std::vector<BYTE>(picture2.begin() + top, picture2.begin() + top + 12),
            (std::vector<BYTE>{10, 20, 30, 40, 50, 60, 40, 50, 60, 10, 20, 30}));
  v->Release();
}

TEST_F(VideoDecodeTest, OddWidthsStayInsideTheirRows) {
  for (WORD bits : {WORD{8}, WORD{16}, WORD{24}, WORD{32}}) {
    AviSpec spec;
    spec.format = MakeFormat(7, 3, bits);
    if (bits == 8)
      for (int i = 0; i < 256; ++i)
        DibColors(spec.format.bi())[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
    Frame f;
    f.data.resize(spec.format.bi()->biSizeImage);
    for (std::size_t i = 0; i < f.data.size(); ++i) f.data[i] = static_cast<BYTE>(i * 37);
    spec.frames = {f};
    const std::string path = folder_.Path("odd" + std::to_string(bits) + ".avi");
    ASSERT_EQ(WriteAvi(path, spec), 0);
    AVIVideoData* v = Open(path);
    ASSERT_NE(v, nullptr);
    Format out = MakeFormat(7, 3, 24);
    // Exactly the picture's size: the sanitizers catch a write past it.
    std::vector<BYTE> picture(out.bi()->biSizeImage);
    ASSERT_EQ(v->DecodeFrame(out.bi(), picture.data(), 0), 0) << bits;
    if (bits == 24) {
      EXPECT_EQ(TopDownBgr(out.bi(), picture.data()), TopDownBgr(spec.format.bi(), f.data.data()));
    }
    Format half = MakeFormat(3, 2, 24);
    std::vector<BYTE> small(half.bi()->biSizeImage);
    ASSERT_EQ(v->DecodeFrame(half.bi(), small.data(), 0), 0) << bits;
    std::vector<BYTE> thumb(kThumbnailBytes);
    EXPECT_EQ(v->GetThumbnail(thumb.data(), 0), 0);
    v->Release();
  }
}

TEST_F(VideoDecodeTest, ThumbnailsAre128By96) {
  // 256 × 192: the top half red, the bottom half blue.
  AviSpec spec;
  spec.format = MakeFormat(256, 192, 24);
  Frame f;
  f.data.resize(spec.format.bi()->biSizeImage);
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 256; ++x) {
      BYTE* p = &f.data[(static_cast<std::size_t>(y) * 256 + x) * 3];
      p[y < 96 ? 0 : 2] = 200;  // stored bottom-up: low rows are the bottom
    }
  spec.frames = {f, f};
  const std::string path = folder_.Path("thumb.avi");
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = Open(path);
  ASSERT_NE(v, nullptr);
  std::vector<BYTE> thumb(kThumbnailBytes, 0xAB);
  ASSERT_EQ(v->GetThumbnail(thumb.data(), 40), 0);
  EXPECT_EQ(thumb.size(), 36864u);
  EXPECT_EQ(thumb[0], 0);  // top left: red
  EXPECT_EQ(thumb[2], 200);
  const std::size_t last = kThumbnailBytes - 3;
  EXPECT_EQ(thumb[last], 200);  // bottom right: blue
  EXPECT_EQ(thumb[last + 2], 0);
  v->Release();
}

TEST_F(VideoDecodeTest, AMissingCodecGivesABlackThumbnailAndAnError) {
  AviSpec spec;
  spec.format = MakeFormat(16, 16, 24, mmioFOURCC('Z', 'Z', 'Z', 'Z'));
  spec.frames = GradientFrames(16, 16, 2);
  const std::string path = folder_.Path("nocodec.avi");
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = Open(path);
  ASSERT_NE(v, nullptr);
  std::vector<BYTE> thumb(kThumbnailBytes, 0xAB);
  EXPECT_EQ(v->GetThumbnail(thumb.data(), 0), kErrNoCodec);
  EXPECT_EQ(std::count(thumb.begin(), thumb.end(), 0), kThumbnailBytes);
  Format out = MakeFormat(16, 16, 24);
  std::vector<BYTE> picture(out.bi()->biSizeImage);
  EXPECT_EQ(v->DecodeFrame(out.bi(), picture.data(), 1), kErrNoCodec);
  v->Release();
}

TEST_F(VideoDecodeTest, RecompressingContinuesFromTheLastFrame) {
  std::vector<Frame> pictures;
  AVIVideoData* v = Open(DeltaFile("recompress.avi", &pictures));
  ASSERT_NE(v, nullptr);
  v->BeginRead();
  RecompressInfo context;
  const void* data = nullptr;
  int32_t size = 0;
  bool key = false;
  ASSERT_EQ(v->RecompressFrame(5, 0, &context, &data, &size, &key), 0);
  EXPECT_EQ(g_decodes, 6);
  EXPECT_TRUE(key);
  ASSERT_EQ(size, static_cast<int32_t>(pictures[5].data.size()));
  EXPECT_EQ(std::memcmp(data, pictures[5].data.data(), static_cast<std::size_t>(size)), 0);
  g_decodes = 0;
  ASSERT_EQ(v->RecompressFrame(6, 0, &context, &data, &size, &key), 0);
  EXPECT_EQ(g_decodes, 1);
  EXPECT_EQ(std::memcmp(data, pictures[6].data.data(), static_cast<std::size_t>(size)), 0);
  EXPECT_EQ(context.framesCompressed, 2);
  ReleaseRecompressor(&context);
  EXPECT_EQ(context.decompressor, nullptr);
  EXPECT_EQ(context.lastFrame, -1);
  v->EndRead();
  v->Release();
}

TEST_F(VideoDecodeTest, RecompressingUncompressedFramesGivesTheSameBytes) {
  AviSpec spec;
  spec.format = MakeFormat(10, 6, 24);
  spec.frames = GradientFrames(10, 6, 8);
  const std::string path = folder_.Path("plain.avi");
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = Open(path);
  ASSERT_NE(v, nullptr);
  v->BeginRead();
  RecompressInfo context;
  const void* data = nullptr;
  int32_t size = 0;
  bool key = false;
  ASSERT_EQ(v->RecompressFrame(3, 0, &context, &data, &size, &key), 0);
  ASSERT_EQ(size, static_cast<int32_t>(spec.frames[3].data.size()));
  EXPECT_EQ(std::memcmp(data, spec.frames[3].data.data(), static_cast<std::size_t>(size)), 0);
  EXPECT_TRUE(key);
  v->EndRead();
  v->Release();
}

TEST_F(VideoDecodeTest, NoCompressorMeansTheStartFrameCannotBeRecompressed) {
  AviSpec spec;
  // H.264 is decoded here but never encoded.
  spec.format = MakeFormat(4, 1, 24, mmioFOURCC('H', '2', '6', '4'));
  spec.frames = {Frame{{0, 0, 0, 1}, true}};
  const std::string path = folder_.Path("h264.avi");
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = Open(path);
  ASSERT_NE(v, nullptr);
  v->BeginRead();
  RecompressInfo context;
  const void* data = nullptr;
  int32_t size = 0;
  bool key = false;
  EXPECT_EQ(v->RecompressFrame(0, 0, &context, &data, &size, &key), 28);
  v->EndRead();
  v->Release();
}

}  // namespace
