// The key-frame compressors: every frame they write is a key frame that a
// fresh decoder turns back into the picture, in each family libavcodec
// encodes here and in run-length 8-bit pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "platform/codecs/avi.h"
#include "platform/codecs/codec_test_util.h"
#include "platform/codecs/dib_convert.h"
#include "platform/codecs/vfw.h"

using codec_test::Format;
using codec_test::MakeFormat;

namespace {

DWORD_PTR Arg(const void* p) {
  return reinterpret_cast<DWORD_PTR>(p);
}

// The encoder's own format for pictures of in, with room for its codec data.
std::vector<BYTE> OutputFormat(HIC hic, BITMAPINFOHEADER* in) {
  const LRESULT size = ICSendMessage(hic, ICM_COMPRESS_GET_FORMAT, Arg(in), 0);
  EXPECT_GE(size, 40);
  std::vector<BYTE> block(static_cast<std::size_t>(size < 40 ? 40 : size) + 1024, 0);
  EXPECT_EQ(ICSendMessage(hic, ICM_COMPRESS_GET_FORMAT, Arg(in), Arg(block.data())), ICERR_OK);
  return block;
}

// Mean difference of the channels of two equally sized buffers.
double MeanDiff(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return sum / static_cast<double>(a.size());
}

// A smooth picture unlike its neighbours: the gradient dimmed and lifted by frame.
std::vector<BYTE> Picture(int w, int h, int bits, int frame) {
  std::vector<BYTE> bgr = codec_test::Gradient(w, h);
  for (BYTE& v : bgr) v = static_cast<BYTE>(v * (4 - frame) / 4 + frame * 30);
  std::vector<BYTE> dib24 = codec_test::ToDib24(bgr, w, h);
  if (bits == 24) return dib24;
  Format from = MakeFormat(w, h, 24);
  Format to = MakeFormat(w, h, static_cast<WORD>(bits));
  std::vector<BYTE> out(static_cast<std::size_t>(DibImageBytes(*to.bi())));
  EXPECT_TRUE(codecs::ConvertDib(from.bi(), dib24.data(), to.bi(), out.data()));
  return out;
}

struct Family {
  const char* name;
  FOURCC code;
  int width, height, bits;
  double tolerance;  // mean channel difference after a round trip; 0: exact
};

TEST(KeyFrameEncoders, EveryFrameDecodesAloneFromAFreshDecoder) {
  const Family families[] = {
      {"MPEG-4", mmioFOURCC('X', 'V', 'I', 'D'), 64, 48, 24, 4},
      {"HuffYUV RGB", mmioFOURCC('H', 'F', 'Y', 'U'), 64, 48, 24, 0},
      {"HuffYUV RGB 32", mmioFOURCC('H', 'F', 'Y', 'U'), 64, 48, 32, 0},
      {"HuffYUV 4:2:2", mmioFOURCC('H', 'F', 'Y', 'U'), 64, 48, 16, 4},
      {"MS Video 1", mmioFOURCC('C', 'R', 'A', 'M'), 64, 48, 16, 6},
      {"Cinepak", mmioFOURCC('c', 'v', 'i', 'd'), 64, 48, 24, 8},
      {"DV", mmioFOURCC('d', 'v', 's', 'd'), 720, 576, 24, 4},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.name);
    Format in = MakeFormat(f.width, f.height, static_cast<WORD>(f.bits));
    Format wanted = MakeFormat(f.width, f.height, 24, f.code);
    HIC hic = ICLocate(ICTYPE_VIDEO, f.code, in.bi(), wanted.bi(), ICMODE_COMPRESS);
    ASSERT_NE(hic, nullptr);
    std::vector<BYTE> outBlock = OutputFormat(hic, in.bi());
    auto* out = reinterpret_cast<BITMAPINFOHEADER*>(outBlock.data());
    out->biCompression = f.code;
    const LRESULT room = ICSendMessage(hic, ICM_COMPRESS_GET_SIZE, Arg(in.bi()), Arg(out));
    ASSERT_GT(room, 0);
    ASSERT_EQ(ICSendMessage(hic, ICM_COMPRESS_BEGIN, Arg(in.bi()), Arg(out)), ICERR_OK);
    std::vector<std::vector<BYTE>> packets;
    std::vector<std::vector<BYTE>> pictures;
    for (int frame = 0; frame < 3; ++frame) {
      pictures.push_back(Picture(f.width, f.height, f.bits, frame));
      std::vector<BYTE> data(static_cast<std::size_t>(room));
      DWORD ckid = 0, flags = 0;
      ASSERT_EQ(static_cast<LRESULT>(ICCompress(hic, ICCOMPRESS_KEYFRAME, out, data.data(), in.bi(),
                                                pictures.back().data(), &ckid, &flags, frame, 0, 9500,
                                                in.bi(), nullptr)),
                ICERR_OK);
      EXPECT_EQ(flags, AVIIF_KEYFRAME);
      data.resize(out->biSizeImage);
      packets.push_back(data);
    }
    ICSendMessage(hic, ICM_COMPRESS_END, 0, 0);
    ICClose(hic);

    // The last frame alone, as a player that jumps to it decodes it.
    Format decoded = MakeFormat(f.width, f.height, static_cast<WORD>(f.bits));
    hic = ICLocate(ICTYPE_VIDEO, f.code, out, decoded.bi(), ICMODE_DECOMPRESS);
    ASSERT_NE(hic, nullptr);
    ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, Arg(out), Arg(decoded.bi())), ICERR_OK);
    std::vector<BYTE> back(pictures.back().size(), 0);
    out->biSizeImage = static_cast<DWORD>(packets.back().size());
    ASSERT_EQ(
        static_cast<LRESULT>(ICDecompress(hic, 0, out, packets.back().data(), decoded.bi(), back.data())),
        ICERR_OK);
    ICClose(hic);
    std::vector<BYTE> want24 = Picture(f.width, f.height, 24, 2);
    std::vector<BYTE> got24 = back;
    if (f.bits != 24) {
      Format to = MakeFormat(f.width, f.height, 24);
      got24.assign(want24.size(), 0);
      ASSERT_TRUE(codecs::ConvertDib(decoded.bi(), back.data(), to.bi(), got24.data()));
      // The picture went in at that depth: compare with what it held.
      Format from = MakeFormat(f.width, f.height, static_cast<WORD>(f.bits));
      ASSERT_TRUE(codecs::ConvertDib(from.bi(), pictures.back().data(), to.bi(), want24.data()));
    }
    if (f.tolerance == 0) {
      EXPECT_EQ(got24, want24);
    } else {
      EXPECT_LE(MeanDiff(want24, got24), f.tolerance);
    }
  }
}

TEST(KeyFrameEncoders, RefuseWhatTheirFamilyCannotHold) {
  struct Case {
    const char* what;
    FOURCC code;
    int width, height;
  } cases[] = {
      {"DV at a size of its own", mmioFOURCC('d', 'v', 's', 'd'), 64, 48},
      {"H.264 is decoded only", mmioFOURCC('H', '2', '6', '4'), 64, 48},
      {"Indeo is decoded only", mmioFOURCC('I', 'V', '5', '0'), 64, 48},
  };
  for (const Case& c : cases) {
    Format in = MakeFormat(c.width, c.height, 24);
    Format out = MakeFormat(c.width, c.height, 24, c.code);
    HIC hic = ICLocate(ICTYPE_VIDEO, c.code, in.bi(), out.bi(), ICMODE_COMPRESS);
    EXPECT_EQ(hic, nullptr) << c.what;
    if (hic != nullptr) ICClose(hic);
  }
}

TEST(Rle8Packing, ExpandsBackToThePicture) {
  struct Case {
    const char* what;
    std::vector<BYTE> row;
  } cases[] = {
      {"one pixel", {7}},
      {"two differing", {1, 2}},
      {"a run of two", {3, 3}},
      {"odd literal before a run", {1, 2, 3, 9, 9, 9, 9}},
      {"even literal", {1, 2, 3, 4}},
      {"runs longer than a record", std::vector<BYTE>(600, 5)},
      {"literal longer than a record",
       [] {
         std::vector<BYTE> r(300);
         for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<BYTE>(i);
         return r;
       }()},
  };
  for (const Case& c : cases) {
    const int w = static_cast<int>(c.row.size()), h = 3;
    const std::int64_t stride = DibRowBytes(w, 8);
    std::vector<BYTE> picture(static_cast<std::size_t>(stride * h), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        picture[static_cast<std::size_t>(y * stride + x)] = static_cast<BYTE>(c.row[x] + y);
    std::vector<BYTE> packed(codecs::Rle8Bound(w, h));
    const std::size_t n = codecs::PackRle8(picture.data(), w, h, stride, packed.data());
    ASSERT_LE(n, packed.size()) << c.what;
    std::vector<BYTE> back(picture.size(), 0xEE);
    for (int y = 0; y < h; ++y) std::fill_n(back.begin() + y * stride + w, stride - w, 0);
    codecs::ExpandRle8(packed.data(), n, back.data(), w, h, stride);
    EXPECT_EQ(back, picture) << c.what;
  }
}

TEST(Rle8Packing, RandomPicturesStayWithinTheBound) {
  std::mt19937 random(29);
  for (int round = 0; round < 500; ++round) {
    const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 5);
    const std::int64_t stride = DibRowBytes(w, 8);
    std::vector<BYTE> picture(static_cast<std::size_t>(stride * h), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        picture[static_cast<std::size_t>(y * stride + x)] = static_cast<BYTE>(random() % 3);
    // Exact-size buffer: the sanitizers catch a write past the bound.
    std::vector<BYTE> packed(codecs::Rle8Bound(w, h));
    const std::size_t n = codecs::PackRle8(picture.data(), w, h, stride, packed.data());
    std::vector<BYTE> back(picture.size(), 0);
    codecs::ExpandRle8(packed.data(), n, back.data(), w, h, stride);
    ASSERT_EQ(back, picture) << w << " x " << h;
  }
}

TEST(Rle8Packing, TheCodecCompressesTopDownPicturesBottomRowFirst) {
  Format in = MakeFormat(4, -2, 8);
  std::vector<BYTE> picture = {1, 1, 1, 1, 2, 3, 4, 5};  // top row first
  Format out = MakeFormat(4, 2, 8, BI_RLE8);
  HIC hic = ICLocate(ICTYPE_VIDEO, 0, in.bi(), out.bi(), ICMODE_COMPRESS);
  ASSERT_NE(hic, nullptr);
  std::vector<BYTE> data(
      static_cast<std::size_t>(ICSendMessage(hic, ICM_COMPRESS_GET_SIZE, Arg(in.bi()), Arg(out.bi()))));
  DWORD ckid = 0, flags = 0;
  ASSERT_EQ(static_cast<LRESULT>(ICCompress(hic, ICCOMPRESS_KEYFRAME, out.bi(), data.data(), in.bi(),
                                            picture.data(), &ckid, &flags, 0, 0, 0, nullptr, nullptr)),
            ICERR_OK);
  EXPECT_EQ(flags, AVIIF_KEYFRAME);
  data.resize(out.bi()->biSizeImage);
  EXPECT_EQ(data, (std::vector<BYTE>{0, 4, 2, 3, 4, 5, 0, 0, 4, 1, 0, 1}));
  ICClose(hic);
}

}  // namespace
