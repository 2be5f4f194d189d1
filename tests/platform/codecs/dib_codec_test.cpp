#include <gtest/gtest.h>

#include <random>

#include "platform/codecs/codec_test_util.h"
#include "platform/codecs/dib_convert.h"
#include "platform/codecs/vfw.h"

using codec_test::Format;
using codec_test::MakeFormat;

namespace {

// Decompresses one picture with whatever codec takes the pair.
LRESULT DecodeOnce(Format& in, const void* data, Format& out, std::vector<BYTE>& result) {
  HIC hic = ICLocate(ICTYPE_VIDEO, in.bi()->biCompression, in.bi(), out.bi(), ICMODE_DECOMPRESS);
  if (hic == nullptr) return ICERR_BADFORMAT;
  LRESULT r = ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                            reinterpret_cast<DWORD_PTR>(out.bi()));
  result.assign(out.bi()->biSizeImage, 0xEE);
  if (r == ICERR_OK)
    r = static_cast<LONG>(ICDecompress(hic, 0, in.bi(), const_cast<void*>(data), out.bi(), result.data()));
  ICClose(hic);
  return r;
}

TEST(DibCodec, ConvertsBetweenDepthsAndOrientations) {
  // 3 × 2 pixels (odd width: rows padded), bottom row first in memory.
  Format in8 = MakeFormat(3, 2, 8);
  in8.colors()[1] = RGBQUAD{10, 20, 30, 0};
  in8.colors()[2] = RGBQUAD{40, 50, 60, 0};
  std::vector<BYTE> pic8 = {1, 2, 1, 0xAA, 2, 2, 1, 0xAA};

  Format out24 = MakeFormat(3, -2, 24);  // top-down
  std::vector<BYTE> got;
  ASSERT_EQ(DecodeOnce(in8, pic8.data(), out24, got), ICERR_OK);
  // Top row of the result is the last stored row of the input: 2 2 1.
  std::vector<BYTE> want = {40, 50, 60, 40, 50, 60, 10, 20, 30, 0xEE, 0xEE, 0xEE,
                            10, 20, 30, 40, 50, 60, 10, 20, 30, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(got, want);

  Format in16 = MakeFormat(1, 1, 16);
  std::vector<BYTE> pic16 = {0xFF, 0x7F, 0, 0};  // white in 5-5-5
  Format out32 = MakeFormat(1, 1, 32);
  ASSERT_EQ(DecodeOnce(in16, pic16.data(), out32, got), ICERR_OK);
  EXPECT_EQ(got, (std::vector<BYTE>{255, 255, 255, 0}));
}

TEST(DibCodec, RefusesAShortPicture) {
  Format in = MakeFormat(16, 16, 24);
  in.bi()->biSizeImage = 100;
  std::vector<BYTE> pic(100);
  Format out = MakeFormat(16, 16, 32);
  std::vector<BYTE> got;
  EXPECT_EQ(DecodeOnce(in, pic.data(), out, got), ICERR_BADSIZE);
}

TEST(DibCodec, OffersTheInputFormatWithItsColours) {
  Format in = MakeFormat(8, 8, 8);
  in.bi()->biClrUsed = 2;
  in.colors()[1] = RGBQUAD{1, 2, 3, 0};
  HIC hic = ICLocate(ICTYPE_VIDEO, 0, in.bi(), nullptr, ICMODE_DECOMPRESS);
  ASSERT_NE(hic, nullptr);
  EXPECT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in.bi()), 0),
            40 + 2 * 4);
  Format out;
  ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in.bi()),
                          reinterpret_cast<DWORD_PTR>(out.bi())),
            ICERR_OK);
  EXPECT_EQ(out.bi()->biBitCount, 8);
  EXPECT_EQ(out.bi()->biClrUsed, 2u);
  EXPECT_EQ(out.colors()[1].rgbRed, 3);
  ICClose(hic);
}

struct RleCase {
  const char* what;
  std::vector<BYTE> data;
  std::vector<BYTE> want;  // 4 × 3 picture, stored rows of 4 bytes, first stored row first
};

TEST(Rle8, ExpandsEachKindOfRecord) {
  const std::vector<RleCase> cases = {
      {"runs and end of line", {2, 7, 2, 8, 0, 0, 4, 9, 0, 1}, {7, 7, 8, 8, 9, 9, 9, 9, 0, 0, 0, 0}},
      {"literal with padding", {0, 3, 1, 2, 3, 0, 1, 5, 0, 1}, {1, 2, 3, 5, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"delta", {0, 2, 1, 1, 2, 6, 0, 1}, {0, 0, 0, 0, 0, 6, 6, 0, 0, 0, 0, 0}},
      {"run past the row is cut", {9, 4, 0, 0, 1, 5, 0, 1}, {4, 4, 4, 4, 5, 0, 0, 0, 0, 0, 0, 0}},
      {"literal past the row is cut", {0, 6, 1, 2, 3, 4, 5, 6, 0, 1}, {1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"delta out of the picture", {0, 2, 200, 200, 3, 3, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"lines past the end",
       {1, 1, 0, 0, 1, 2, 0, 0, 1, 3, 0, 0, 1, 4, 0, 0, 1, 5},
       {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}},
      {"truncated literal", {0, 5, 1, 2}, {1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"truncated delta", {0, 2, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const RleCase& c : cases) {
    std::vector<BYTE> picture(12, 0);
    codecs::ExpandRle8(c.data.data(), c.data.size(), picture.data(), 4, 3, 4);
    EXPECT_EQ(picture, c.want) << c.what;
  }
}

TEST(Rle8, RandomDataStaysInsideThePicture) {
  std::mt19937 random(12);
  for (int round = 0; round < 2000; ++round) {
    int w = 1 + static_cast<int>(random() % 19), h = 1 + static_cast<int>(random() % 7);
    std::vector<BYTE> data(random() % 200);
    for (BYTE& b : data) b = static_cast<BYTE>(random() % 4 == 0 ? random() % 3 : random());
    std::int64_t stride = DibRowBytes(w, 8);
    // Exact-size buffer: the sanitizers catch any write outside it.
    std::vector<BYTE> picture(static_cast<std::size_t>(stride * h));
    codecs::ExpandRle8(data.data(), data.size(), picture.data(), w, h, stride);
  }
}

TEST(Rle8, CodecKeepsSkippedPixelsOfThePreviousFrame) {
  Format in = MakeFormat(4, 2, 8, BI_RLE8);
  in.colors()[1] = RGBQUAD{0, 0, 255, 0};
  in.colors()[2] = RGBQUAD{0, 255, 0, 0};
  Format out = MakeFormat(4, 2, 24);
  HIC hic = ICLocate(ICTYPE_VIDEO, BI_RLE8, in.bi(), out.bi(), ICMODE_DECOMPRESS);
  ASSERT_NE(hic, nullptr);
  ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                          reinterpret_cast<DWORD_PTR>(out.bi())),
            ICERR_OK);
  std::vector<BYTE> key = {4, 1, 0, 0, 4, 1, 0, 1};
  std::vector<BYTE> delta = {0, 2, 2, 0, 2, 2, 0, 1};  // skip two pixels, then two green
  std::vector<BYTE> frame(out.bi()->biSizeImage);
  in.bi()->biSizeImage = static_cast<DWORD>(key.size());
  ASSERT_EQ(static_cast<LRESULT>(ICDecompress(hic, 0, in.bi(), key.data(), out.bi(), frame.data())),
            ICERR_OK);
  in.bi()->biSizeImage = static_cast<DWORD>(delta.size());
  ASSERT_EQ(static_cast<LRESULT>(
                ICDecompress(hic, ICDECOMPRESS_NOTKEYFRAME, in.bi(), delta.data(), out.bi(), frame.data())),
            ICERR_OK);
  std::vector<BYTE> firstRow(frame.begin(), frame.begin() + 12);
  EXPECT_EQ(firstRow, (std::vector<BYTE>{0, 0, 255, 0, 0, 255, 0, 255, 0, 0, 255, 0}));
  ICClose(hic);
}

}  // namespace
