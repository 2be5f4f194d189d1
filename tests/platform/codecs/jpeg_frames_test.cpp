// Motion JPEG pictures through libjpeg-turbo: into bottom-up and top-down
// rows of any width without touching the row padding, the same picture the
// codec gives, and a refusal (never a fault) for what it cannot take.
#include "platform/codecs/jpeg_frames.h"

#include <gtest/gtest.h>

#include <vector>

#include "codec_test_util.h"
#include "platform/codecs/vfw.h"

namespace {

using codec_test::Format;
using codec_test::MakeFormat;

constexpr FOURCC kMjpg = mmioFOURCC('M', 'J', 'P', 'G');
constexpr BYTE kPad = 0xAB;

// The Motion JPEG frame of a smooth width × height picture, from the codec.
std::vector<BYTE> Compress(int width, int height) {
  std::vector<BYTE> picture = codec_test::ToDib24(codec_test::Gradient(width, height), width, height);
  Format in = MakeFormat(width, height, 24);
  Format out;
  HIC hic = ICLocate(ICTYPE_VIDEO, kMjpg, in.bi(), nullptr, ICMODE_COMPRESS);
  if (hic == nullptr) return {};
  ICSendMessage(hic, ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in.bi()),
                reinterpret_cast<DWORD_PTR>(out.bi()));
  std::vector<BYTE> data(
      static_cast<std::size_t>(ICSendMessage(hic, ICM_COMPRESS_GET_SIZE, reinterpret_cast<DWORD_PTR>(in.bi()),
                                             reinterpret_cast<DWORD_PTR>(out.bi()))));
  ICSendMessage(hic, ICM_COMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                reinterpret_cast<DWORD_PTR>(out.bi()));
  DWORD ckid = 0, flags = 0;
  ICCompress(hic, ICCOMPRESS_KEYFRAME, out.bi(), data.data(), in.bi(), picture.data(), &ckid, &flags, 0, 0,
             10000, nullptr, nullptr);
  data.resize(out.bi()->biSizeImage);
  ICSendMessage(hic, ICM_COMPRESS_END, 0, 0);
  ICClose(hic);
  return data;
}

TEST(JpegFrames, RowsGoWhereTheDibWantsThemAndThePaddingStays) {
  // Rows of 62 and 98 pixels end in two bytes of padding.
  for (int width : {62, 64, 98}) {
    SCOPED_TRACE(width);
    const int height = 35;
    const std::vector<BYTE> data = Compress(width, height);
    ASSERT_FALSE(data.empty());
    const std::vector<BYTE> source = codec_test::Gradient(width, height);
    const std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 24));
    codecs::JpegFrames jpeg;
    for (LONG sign : {1, -1}) {
      SCOPED_TRACE(sign > 0 ? "bottom-up" : "top-down");
      Format out = MakeFormat(width, sign * height, 24);
      std::vector<BYTE> bits(stride * height, kPad);
      ASSERT_TRUE(jpeg.Decode(data.data(), data.size(), *out.bi(), bits.data()));
      int worst = 0;
      for (int y = 0; y < height; ++y) {
        const BYTE* row = &bits[(sign > 0 ? height - 1 - y : y) * stride];
        for (std::size_t b = width * 3u; b < stride; ++b) ASSERT_EQ(row[b], kPad) << "row " << y;
        worst = std::max(
            worst, codec_test::MaxDiff(row, &source[static_cast<std::size_t>(y) * width * 3], width * 3u));
      }
      EXPECT_LE(worst, 12);
    }
  }
}

// The codec's Motion JPEG pictures come this way.
TEST(JpegFrames, TheCodecDecodesThroughIt) {
  const int w = 160, h = 120;
  std::vector<BYTE> data = Compress(w, h);
  ASSERT_FALSE(data.empty());
  Format in = MakeFormat(w, h, 24, kMjpg);
  in.bi()->biSizeImage = static_cast<DWORD>(data.size());
  Format out = MakeFormat(w, h, 24);
  HIC hic = ICLocate(ICTYPE_VIDEO, kMjpg, in.bi(), out.bi(), ICMODE_DECOMPRESS);
  ASSERT_NE(hic, nullptr);
  ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                          reinterpret_cast<DWORD_PTR>(out.bi())),
            ICERR_OK);
  std::vector<BYTE> viaCodec(out.bi()->biSizeImage), direct(out.bi()->biSizeImage);
  ASSERT_EQ(static_cast<LRESULT>(ICDecompress(hic, 0, in.bi(), data.data(), out.bi(), viaCodec.data())),
            ICERR_OK);
  ICClose(hic);
  codecs::JpegFrames jpeg;
  ASSERT_TRUE(jpeg.Decode(data.data(), data.size(), *out.bi(), direct.data()));
  EXPECT_EQ(viaCodec, direct);
}

TEST(JpegFrames, WhatItCannotTakeIsRefused) {
  const std::vector<BYTE> data = Compress(64, 48);
  ASSERT_GT(data.size(), 300u);
  std::vector<BYTE> garbage(3000);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<BYTE>(i * 7919 >> 3);
  struct Case {
    const char* what;
    std::vector<BYTE> bytes;
    LONG width, height;
    WORD bits;
  } cases[] = {
      {"not a JPEG picture", garbage, 64, 48, 24},
      {"the start of the header only", std::vector<BYTE>(data.begin(), data.begin() + 20), 64, 48, 24},
      {"another size than the picture's", data, 64, 24, 24},  // as a frame of two fields is
      {"another width", data, 65, 48, 24},
      {"16-bit pictures", data, 64, 48, 16},
      {"nothing", {}, 64, 48, 24},
  };
  codecs::JpegFrames jpeg;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Format out = MakeFormat(c.width, c.height, c.bits);
    std::vector<BYTE> bits(out.bi()->biSizeImage + 64);
    EXPECT_FALSE(jpeg.Decode(c.bytes.data(), c.bytes.size(), *out.bi(), bits.data()));
  }
  // After all that it still decodes, and damage past the header gives some
  // picture, never a fault.
  Format out = MakeFormat(64, 48, 24);
  std::vector<BYTE> bits(out.bi()->biSizeImage);
  EXPECT_TRUE(jpeg.Decode(data.data(), data.size(), *out.bi(), bits.data()));
  std::vector<BYTE> damaged = data;
  for (std::size_t i = damaged.size() / 2; i < damaged.size(); i += 7) damaged[i] ^= 0x5A;
  jpeg.Decode(damaged.data(), damaged.size(), *out.bi(), bits.data());
  jpeg.Decode(data.data(), data.size() / 2, *out.bi(), bits.data());
}

}  // namespace
