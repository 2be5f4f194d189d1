#include <gtest/gtest.h>

#include "media/frame_pixels.h"
#include "media/video_data.h"
#include "model/message_box.h"
#include "video_test_util.h"

using namespace video_test;

namespace {

// A grey 24-bit picture whose picture row y (0 = top) and column x hold value(x, y).
template <class F>
std::vector<BYTE> Grey(const BITMAPINFOHEADER* format, F value) {
  const int w = format->biWidth;
  const int64_t h = DibHeight(*format);
  const int64_t stride = DibRowBytes(w, 24);
  std::vector<BYTE> bits(static_cast<std::size_t>(stride * h));
  for (int64_t y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      BYTE* p = &bits[static_cast<std::size_t>((format->biHeight > 0 ? h - 1 - y : y) * stride + x * 3)];
      p[0] = p[1] = p[2] = static_cast<BYTE>(value(x, static_cast<int>(y)));
    }
  return bits;
}

TEST(VideoPixels, RowConversionFollowsEachDepth) {
  BYTE out[9];
  const BYTE sixteen[6] = {0xFF, 0x7F, 0xE0, 0x03, 0x1F, 0x00};
  RowToRgb24(16, 3, out, sixteen, nullptr);
  EXPECT_EQ(std::vector<BYTE>(out, out + 9), (std::vector<BYTE>{248, 248, 248, 0, 248, 0, 248, 0, 0}));
  RGBQUAD table[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  const BYTE eight[3] = {1, 0, 200};
  RowToRgb24(8, 3, out, eight, table, 2);
  EXPECT_EQ(std::vector<BYTE>(out, out + 9), (std::vector<BYTE>{4, 5, 6, 1, 2, 3, 0, 0, 0}));
  const BYTE thirtyTwo[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  RowToRgb24(32, 2, out, thirtyTwo, nullptr);
  EXPECT_EQ(std::vector<BYTE>(out, out + 6), (std::vector<BYTE>{9, 8, 7, 5, 4, 3}));
}

TEST(VideoPixels, ThumbnailRowsAverageOneOrTwoSourceRows) {
  Format f = MakeFormat(200, 100, 24);
  std::vector<BYTE> bits = Grey(f.bi(), [](int, int y) { return y * 2; });
  std::vector<BYTE> thumb(kThumbnailBytes);
  ASSERT_EQ(ScaleTo128x96(thumb.data(), f.bi(), bits.data()), 0);
  for (int r = 0; r < 96; ++r) {
    const int first = r * 100 / 96, end = (r + 1) * 100 / 96;
    ASSERT_TRUE(end - first == 1 || end - first == 2) << r;
    int sum = 0;
    for (int y = first; y < end; ++y) sum += y * 2;
    for (int b = 0; b < 128; ++b) ASSERT_EQ(thumb[(r * 128 + b) * 3], sum / (end - first)) << r << "," << b;
  }
}

TEST(VideoPixels, ThumbnailColumnsAverageTheirBins) {
  Format f = MakeFormat(200, 100, 24);
  std::vector<BYTE> bits = Grey(f.bi(), [](int x, int) { return x; });
  std::vector<BYTE> thumb(kThumbnailBytes);
  ASSERT_EQ(ScaleTo128x96(thumb.data(), f.bi(), bits.data()), 0);
  for (int b = 0; b < 128; ++b) {
    const int first = b * 200 / 128, end = (b + 1) * 200 / 128;
    int sum = 0;
    for (int x = first; x < end; ++x) sum += x;
    EXPECT_EQ(thumb[b * 3 + 1], sum / (end - first)) << b;
  }
}

TEST(VideoPixels, SmallPicturesFillTheThumbnail) {
  // 64 × 48 top-down: every output pixel repeats its nearest source pixel.
  Format f = MakeFormat(64, -48, 24);
  std::vector<BYTE> bits = Grey(f.bi(), [](int x, int y) { return x + y; });
  std::vector<BYTE> thumb(kThumbnailBytes, 0xEE);
  ASSERT_EQ(ScaleTo128x96(thumb.data(), f.bi(), bits.data()), 0);
  for (int r = 0; r < 96; ++r)
    for (int b = 0; b < 128; ++b) ASSERT_EQ(thumb[(r * 128 + b) * 3], b / 2 + r / 2) << r << "," << b;
  Format one = MakeFormat(1, 1, 24);
  std::vector<BYTE> dot = {10, 20, 30, 0};
  ASSERT_EQ(ScaleTo128x96(thumb.data(), one.bi(), dot.data()), 0);
  EXPECT_EQ(thumb[kThumbnailBytes - 1], 30);
}

TEST(VideoPixels, UnsupportedDepthsAreRefused) {
  Format f = MakeFormat(8, 8, 4);
  std::vector<BYTE> bits(64), out(kThumbnailBytes);
  EXPECT_EQ(ScaleTo128x96(out.data(), f.bi(), bits.data()), kErrInvalidParameter);
  Format dest32 = MakeFormat(4, 4, 32);
  Format src = MakeFormat(8, 8, 24);
  std::vector<BYTE> picture(256);
  EXPECT_EQ(ScaleDibTo24(src.bi(), bits.data(), dest32.bi(), picture.data()), kErrInvalidParameter);
  EXPECT_EQ(DibTo24(f.bi(), bits.data(), MakeFormat(8, 8, 24).bi(), picture.data()), kErrInvalidParameter);
}

TEST(VideoPixels, ScalingToACallersSizeAveragesBoxes) {
  Format src = MakeFormat(4, 4, 24);
  std::vector<BYTE> bits = Grey(src.bi(), [](int x, int y) { return (y * 4 + x) * 10; });
  Format dest = MakeFormat(2, 2, 24);
  std::vector<BYTE> out(dest.bi()->biSizeImage);
  ASSERT_EQ(ScaleDibTo24(src.bi(), bits.data(), dest.bi(), out.data()), 0);
  std::vector<BYTE> top = TopDownBgr(dest.bi(), out.data());
  // Top left box: (0 + 10 + 40 + 50) / 4.
  EXPECT_EQ(top[0], 25);
  EXPECT_EQ(top[3], 45);
  EXPECT_EQ(top[6], 105);
  EXPECT_EQ(top[9], 125);

  Format eight = MakeFormat(2, 1, 8);
  DibColors(eight.bi())[3] = RGBQUAD{7, 8, 9, 0};
  std::vector<BYTE> indexes = {3, 3, 0, 0};
  Format same = MakeFormat(2, 1, 24);
  std::vector<BYTE> rgb(same.bi()->biSizeImage);
  ASSERT_EQ(ScaleDibTo24(eight.bi(), indexes.data(), same.bi(), rgb.data()), 0);
  EXPECT_EQ(std::vector<BYTE>(rgb.begin(), rgb.begin() + 6), (std::vector<BYTE>{7, 8, 9, 7, 8, 9}));
}

}  // namespace
