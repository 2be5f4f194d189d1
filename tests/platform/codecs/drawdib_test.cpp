#include "platform/codecs/drawdib.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/codecs/codec_test_util.h"
#include "platform/codecs/vfw.h"

using codec_test::Format;
using codec_test::MakeFormat;

namespace {

struct Captured {
  HDC hdc = nullptr;
  int x = 0, y = 0, width = 0, height = 0, stride = 0, calls = 0;
  const BYTE* given = nullptr;
  std::vector<BYTE> pixels;
};
Captured g_captured;

BOOL Capture(HDC hdc, int x, int y, int width, int height, const BYTE* pixels, int stride) {
  g_captured.hdc = hdc;
  g_captured.x = x;
  g_captured.y = y;
  g_captured.width = width;
  g_captured.height = height;
  g_captured.stride = stride;
  g_captured.given = pixels;
  // The last row ends at its last pixel, not at the stride.
  g_captured.pixels.assign(pixels, pixels + static_cast<std::size_t>(stride) * (height - 1) + 4 * width);
  ++g_captured.calls;
  return TRUE;
}

class DrawDibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_captured = Captured{};
    previous_ = DrawDibSetPresenter(&Capture);
  }
  void TearDown() override { DrawDibSetPresenter(previous_); }
  DibPresenter previous_ = nullptr;
  HDC dc_ = reinterpret_cast<HDC>(0x1234);
};

// A 2 × 2 24-bit picture, bottom-up: top row red, blue; bottom row green, white.
std::vector<BYTE> Quad() {
  return {0, 255, 0,   255, 255, 255, 0, 0,   // bottom row + padding
          0, 0,   255, 255, 0,   0,   0, 0};  // top row + padding
}

TEST_F(DrawDibTest, StretchesTheWholePictureIntoTheRectangle) {
  Format f = MakeFormat(2, 2, 24);
  std::vector<BYTE> bits = Quad();
  HDRAWDIB hdd = DrawDibOpen();
  ASSERT_TRUE(DrawDibBegin(hdd, dc_, 4, 4, f.bi(), 2, 2, 0));
  ASSERT_TRUE(DrawDibDraw(hdd, dc_, 10, 20, 4, 4, f.bi(), bits.data(), 0, 0, 2, 2, DDF_SAME_HDC));
  EXPECT_EQ(g_captured.hdc, dc_);
  EXPECT_EQ(g_captured.x, 10);
  EXPECT_EQ(g_captured.y, 20);
  ASSERT_EQ(g_captured.width, 4);
  auto px = [](int x, int y) {
    const BYTE* p = &g_captured.pixels[(y * 4 + x) * 4];
    return std::vector<int>{p[2], p[1], p[0]};  // red, green, blue
  };
  EXPECT_EQ(px(0, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(px(3, 1), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(px(1, 3), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(px(3, 3), (std::vector<int>{255, 255, 255}));
  DrawDibEnd(hdd);
  DrawDibClose(hdd);
}

// 24- and 32-bit pictures of either orientation, drawn at their size and
// stretched: every drawn pixel is the source pixel at x * source width /
// drawn width (and so for y), from the first drawing on and again with the
// buffers kept from the last one.
TEST_F(DrawDibTest, TrueColourPicturesDrawTheNearestSourcePixelAtEverySize) {
  constexpr int kWidth = 5, kHeight = 3;
  const int sizes[][2] = {{5, 3}, {10, 6}, {7, 4}, {3, 2}, {10, 3}};
  for (WORD depth : {WORD{24}, WORD{32}}) {
    for (bool topDown : {false, true}) {
      Format f = MakeFormat(kWidth, topDown ? -kHeight : kHeight, depth);
      const int stride = static_cast<int>(DibRowBytes(kWidth, depth));
      std::vector<BYTE> bits(static_cast<std::size_t>(stride) * kHeight);
      for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<BYTE>(i * 37 + 11);
      // Blue, green and red of source pixel (x, y), y counted from the top.
      auto source = [&](int x, int y) {
        const int row = topDown ? y : kHeight - 1 - y;
        const BYTE* p = &bits[static_cast<std::size_t>(row * stride + x * (depth / 8))];
        return std::vector<int>{p[0], p[1], p[2]};
      };
      HDRAWDIB hdd = DrawDibOpen();
      for (int round = 0; round < 2; ++round) {
        for (const auto& size : sizes) {
          const int w = size[0], h = size[1];
          SCOPED_TRACE(testing::Message()
                       << depth << " bits, top-down " << topDown << ", " << w << " x " << h);
          ASSERT_TRUE(DrawDibDraw(hdd, dc_, 0, 0, w, h, f.bi(), bits.data(), 0, 0, kWidth, kHeight, 0));
          ASSERT_EQ(g_captured.width, w);
          for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
              const BYTE* p = &g_captured.pixels[static_cast<std::size_t>(y * g_captured.stride + 4 * x)];
              ASSERT_EQ((std::vector<int>{p[0], p[1], p[2]}), source(x * kWidth / w, y * kHeight / h))
                  << "at " << x << ", " << y;
            }
          }
        }
      }
      DrawDibClose(hdd);
    }
  }
}

// A top-down 32-bit picture at its own size is drawn from the caller's
// memory, without a copy.
TEST_F(DrawDibTest, ATopDown32BitPictureAtItsSizeIsDrawnAsItIs) {
  Format f = MakeFormat(4, -3, 32);
  std::vector<BYTE> bits(4 * 4 * 3, 7);
  HDRAWDIB hdd = DrawDibOpen();
  ASSERT_TRUE(DrawDibDraw(hdd, dc_, 0, 0, 4, 3, f.bi(), bits.data(), 0, 0, 4, 3, 0));
  EXPECT_EQ(g_captured.given, bits.data());
  EXPECT_EQ(g_captured.stride, 16);
  // Rows of it start at their own first row.
  ASSERT_TRUE(DrawDibDraw(hdd, dc_, 0, 0, 4, 2, f.bi(), bits.data(), 0, 1, 4, 2, 0));
  EXPECT_EQ(g_captured.given, bits.data() + 16);
  DrawDibClose(hdd);
}

TEST_F(DrawDibTest, DrawsAPartOfThePicture) {
  Format f = MakeFormat(2, 2, 24);
  std::vector<BYTE> bits = Quad();
  HDRAWDIB hdd = DrawDibOpen();
  // The source rectangle counts from the top left corner.
  ASSERT_TRUE(DrawDibDraw(hdd, dc_, 0, 0, 1, 1, f.bi(), bits.data(), 1, 1, 1, 1, 0));
  EXPECT_EQ(g_captured.pixels[0], 255);
  EXPECT_EQ(g_captured.pixels[1], 255);
  EXPECT_EQ(g_captured.pixels[2], 255);
  EXPECT_FALSE(DrawDibDraw(hdd, dc_, 0, 0, 1, 1, f.bi(), bits.data(), 1, 1, 2, 2, 0));  // outside
  DrawDibClose(hdd);
}

TEST_F(DrawDibTest, DecompressesThroughACodec) {
  Format f = MakeFormat(4, 1, 8, BI_RLE8);
  f.colors()[3] = RGBQUAD{1, 2, 3, 0};
  std::vector<BYTE> rle = {4, 3, 0, 1};
  f.bi()->biSizeImage = static_cast<DWORD>(rle.size());
  HDRAWDIB hdd = DrawDibOpen();
  ASSERT_TRUE(DrawDibBegin(hdd, dc_, 4, 1, f.bi(), 4, 1, 0));
  ASSERT_TRUE(DrawDibDraw(hdd, dc_, 0, 0, -1, -1, f.bi(), rle.data(), 0, 0, -1, -1, 0));
  ASSERT_EQ(g_captured.width, 4);
  EXPECT_EQ(g_captured.pixels[12], 1);
  EXPECT_EQ(g_captured.pixels[14], 3);
  // DDF_DONTDRAW decodes only; DDF_UPDATE shows the last picture again.
  ASSERT_TRUE(DrawDibDraw(hdd, dc_, 0, 0, -1, -1, f.bi(), rle.data(), 0, 0, -1, -1, DDF_DONTDRAW));
  EXPECT_EQ(g_captured.calls, 1);
  ASSERT_TRUE(
      DrawDibDraw(hdd, dc_, 0, 0, -1, -1, nullptr, nullptr, 0, 0, -1, -1, DDF_SAME_DRAW | DDF_UPDATE));
  EXPECT_EQ(g_captured.calls, 2);
  DrawDibClose(hdd);
}

TEST_F(DrawDibTest, FailsWithoutAPresenter) {
  DrawDibSetPresenter(nullptr);
  Format f = MakeFormat(2, 2, 24);
  std::vector<BYTE> bits = Quad();
  HDRAWDIB hdd = DrawDibOpen();
  EXPECT_FALSE(DrawDibDraw(hdd, dc_, 0, 0, 2, 2, f.bi(), bits.data(), 0, 0, 2, 2, 0));
  DrawDibClose(hdd);
}

// A codec that draws: it decompresses RLE8 through the built-in codec and
// presents the pictures itself.
class PresentingCodec : public VideoCodec {
 public:
  PresentingCodec() : inner_(ICOpen(ICTYPE_VIDEO, BI_RLE8, ICMODE_DECOMPRESS)) {}
  ~PresentingCodec() override { ICClose(inner_); }
  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return Forward(ICM_DECOMPRESS_QUERY, in, out);
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return Forward(ICM_DECOMPRESS_BEGIN, in, out);
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    return ICSendMessage(inner_, ICM_DECOMPRESS, reinterpret_cast<DWORD_PTR>(&d), sizeof(d));
  }
  LRESULT DecompressEnd() override { return ICSendMessage(inner_, ICM_DECOMPRESS_END, 0, 0); }
  LRESULT DrawQuery(const BITMAPINFOHEADER* in) override { return PresentQuery(in); }
  LRESULT DrawBegin(const ICDRAWBEGIN& b) override { return PresentBegin(b); }
  LRESULT Draw(const ICDRAW& d) override { return PresentDraw(d); }

 private:
  LRESULT Forward(UINT msg, const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    return ICSendMessage(inner_, msg, reinterpret_cast<DWORD_PTR>(in), reinterpret_cast<DWORD_PTR>(out));
  }
  HIC inner_;
};

constexpr FOURCC kPresenting = mmioFOURCC('P', 'R', 'S', 'T');

class PresentingCodecTest : public DrawDibTest {
 protected:
  void SetUp() override {
    DrawDibTest::SetUp();
    VideoCodecDescription d;
    d.fccHandler = kPresenting;
    ASSERT_TRUE(ICInstallCodec(d, [](const VideoCodecDescription&, UINT) -> std::unique_ptr<VideoCodec> {
      return std::make_unique<PresentingCodec>();
    }));
  }
  void TearDown() override {
    ICRemove(ICTYPE_VIDEO, kPresenting, 0);
    DrawDibSetScreenTarget(nullptr);
    DrawDibTest::TearDown();
  }
};

TEST_F(DrawDibTest, BuiltInCodecsDoNotDraw) {
  Format f = MakeFormat(4, 1, 8, BI_RLE8);
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, BI_RLE8, f.bi(), nullptr, ICMODE_DRAW), nullptr);
  HIC hic = ICOpen(ICTYPE_VIDEO, BI_RLE8, ICMODE_DECOMPRESS);
  ASSERT_NE(hic, nullptr);
  EXPECT_EQ(ICDrawQuery(hic, f.bi()), ICERR_UNSUPPORTED);
  ICDRAWBEGIN begin;
  begin.lpbi = f.bi();
  EXPECT_EQ(ICSendMessage(hic, ICM_DRAW_BEGIN, reinterpret_cast<DWORD_PTR>(&begin), sizeof(begin)),
            ICERR_UNSUPPORTED);
  ICClose(hic);
}

TEST_F(PresentingCodecTest, DrawsThroughThePresenter) {
  Format f = MakeFormat(4, 1, 8, BI_RLE8);
  f.colors()[3] = RGBQUAD{9, 8, 7, 0};
  HIC hic = ICLocate(ICTYPE_VIDEO, BI_RLE8, f.bi(), nullptr, ICMODE_DRAW);
  ASSERT_NE(hic, nullptr);
  ICDRAWBEGIN begin;
  begin.dwFlags = ICDRAW_HDC;
  begin.hdc = dc_;
  begin.dxDst = 8;
  begin.dyDst = 2;
  begin.lpbi = f.bi();
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW_BEGIN, reinterpret_cast<DWORD_PTR>(&begin), sizeof(begin)), ICERR_OK);
  DWORD wanted = 99;
  EXPECT_EQ(ICSendMessage(hic, ICM_GETBUFFERSWANTED, reinterpret_cast<DWORD_PTR>(&wanted), 0), ICERR_OK);
  EXPECT_EQ(wanted, 0u);
  std::vector<BYTE> rle = {4, 3, 0, 1};
  ICDRAW draw;
  draw.lpData = rle.data();
  draw.cbData = static_cast<DWORD>(rle.size());
  draw.dwFlags = ICDRAW_HURRYUP;  // decoded, not shown
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW, reinterpret_cast<DWORD_PTR>(&draw), sizeof(draw)), ICERR_OK);
  EXPECT_EQ(g_captured.calls, 0);
  draw.dwFlags = ICDRAW_NULLFRAME;  // the same picture again
  draw.cbData = 0;
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW, reinterpret_cast<DWORD_PTR>(&draw), sizeof(draw)), ICERR_OK);
  EXPECT_EQ(g_captured.calls, 1);
  EXPECT_EQ(g_captured.hdc, dc_);
  EXPECT_EQ(g_captured.width, 8);
  EXPECT_EQ(g_captured.pixels[4 * 7 + 2], 7);
  // The window moved and grew: the picture follows its size, not its place.
  RECT onScreen{300, 200, 310, 204};
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW_WINDOW, reinterpret_cast<DWORD_PTR>(&onScreen), 0), ICERR_OK);
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW, reinterpret_cast<DWORD_PTR>(&draw), sizeof(draw)), ICERR_OK);
  EXPECT_EQ(g_captured.x, 0);
  EXPECT_EQ(g_captured.width, 10);
  EXPECT_EQ(g_captured.height, 4);
  EXPECT_EQ(ICSendMessage(hic, ICM_DRAW_END, 0, 0), ICERR_OK);
  ICClose(hic);
}

std::vector<BOOL> g_screenCalls;
BOOL RecordScreen(BOOL open) {
  g_screenCalls.push_back(open);
  return TRUE;
}

TEST_F(PresentingCodecTest, FullScreenDrawingHoldsTheScreenTarget) {
  Format f = MakeFormat(4, 1, 8, BI_RLE8);
  HIC hic = ICOpen(ICTYPE_VIDEO, kPresenting, ICMODE_DRAW);
  ASSERT_NE(hic, nullptr);
  ICDRAWBEGIN begin;
  begin.dwFlags = ICDRAW_FULLSCREEN;
  begin.hdc = dc_;  // ignored: the screen is the target
  begin.dxDst = 640;
  begin.dyDst = 480;
  begin.lpbi = f.bi();
  // Without a screen target there is nowhere to draw.
  EXPECT_NE(ICSendMessage(hic, ICM_DRAW_BEGIN, reinterpret_cast<DWORD_PTR>(&begin), sizeof(begin)), ICERR_OK);
  g_screenCalls.clear();
  DrawDibSetScreenTarget(&RecordScreen);
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW_BEGIN, reinterpret_cast<DWORD_PTR>(&begin), sizeof(begin)), ICERR_OK);
  std::vector<BYTE> rle = {4, 3, 0, 1};
  ICDRAW draw;
  draw.lpData = rle.data();
  draw.cbData = static_cast<DWORD>(rle.size());
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW, reinterpret_cast<DWORD_PTR>(&draw), sizeof(draw)), ICERR_OK);
  EXPECT_EQ(g_captured.hdc, nullptr);
  EXPECT_EQ(g_captured.width, 640);
  // A second begin ends the first drawing before it starts again.
  ASSERT_EQ(ICSendMessage(hic, ICM_DRAW_BEGIN, reinterpret_cast<DWORD_PTR>(&begin), sizeof(begin)), ICERR_OK);
  EXPECT_EQ(ICSendMessage(hic, ICM_DRAW_END, 0, 0), ICERR_OK);
  EXPECT_EQ(g_screenCalls, (std::vector<BOOL>{TRUE, FALSE, TRUE, FALSE}));
  ICClose(hic);
}

}  // namespace
