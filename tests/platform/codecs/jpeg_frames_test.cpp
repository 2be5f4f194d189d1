// Motion JPEG pictures through libjpeg-turbo: into bottom-up and top-down
// rows of any width without touching the row padding, the same picture the
// codec gives, and a refusal (never a fault) for what it cannot take.
#include "platform/codecs/jpeg_frames.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cmath>
#include <cstdio>
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

// A JPEG of full-range YCbCr pixels (grey: one component), value(x, y, c)
// each, its luma sampled twice across and vDown times down.
template <class Value>
std::vector<BYTE> EncodeJpeg(int width, int height, int vDown, int quality, bool grey, Value value) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  const unsigned components = grey ? 1 : 3;
  info.input_components = static_cast<int>(components);
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_YCbCr;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (!grey) {
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = vDown;
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<BYTE> row(static_cast<std::size_t>(width) * components);
  while (info.next_scanline < info.image_height) {
    const unsigned y = info.next_scanline;
    for (unsigned x = 0; x < static_cast<unsigned>(width); ++x)
      for (unsigned c = 0; c < components; ++c) row[x * components + c] = value(x, y, c);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<BYTE> data(out, out + size);
  jpeg_destroy_compress(&info);
  std::free(out);
  return data;
}

// A JPEG of one colour given in YCbCr (full range), at the best quality,
// its luma sampled twice across and vDown times down.
std::vector<BYTE> FlatJpeg(int width, int height, int vDown, BYTE y, BYTE cb, BYTE cr, bool grey = false) {
  const BYTE colour[3] = {y, cb, cr};
  return EncodeJpeg(width, height, vDown, 100, grey,
                    [&](unsigned, unsigned, unsigned c) { return colour[c]; });
}

// The coded planes come out in the ranges of MPEG video, chroma at half
// the size both ways, whatever the sampling and however odd the size.
TEST(JpegFrames, PlanarPicturesTakeTheRangesOfMpegVideo) {
  const struct {
    BYTE y, cb, cr;           // as coded
    BYTE outY, outCb, outCr;  // 16 + y * 219 / 255, 128 + (c - 128) * 224 / 255, rounded
  } colours[] = {{0, 128, 128, 16, 128, 128}, {255, 0, 255, 235, 16, 240}, {200, 90, 170, 188, 95, 165}};
  const int sizes[][2] = {{32, 16}, {33, 17}, {7, 5}};
  codecs::JpegFrames jpeg;
  for (int vDown : {2, 1}) {
    for (const auto& size : sizes) {
      for (const auto& c : colours) {
        const int w = size[0], h = size[1];
        SCOPED_TRACE(testing::Message()
                     << "4:2:" << (vDown == 2 ? 0 : 2) << " " << w << "x" << h << " Y " << int{c.y});
        const std::vector<BYTE> data = FlatJpeg(w, h, vDown, c.y, c.cb, c.cr);
        const std::size_t chroma = static_cast<std::size_t>((w + 1) / 2) * ((h + 1) / 2);
        std::vector<BYTE> planes(static_cast<std::size_t>(w) * h + 2 * chroma + 1, kPad);
        ASSERT_TRUE(jpeg.DecodeI420(data.data(), data.size(), w, h, planes.data()));
        ASSERT_EQ(planes.size() - 1, static_cast<std::size_t>(I420Bytes(w, h)));
        EXPECT_EQ(planes.back(), kPad) << "written past the picture";
        for (std::size_t i = 0; i < planes.size() - 1; ++i) {
          const std::size_t luma = static_cast<std::size_t>(w) * h;
          const int want = i < luma ? c.outY : i < luma + chroma ? c.outCb : c.outCr;
          ASSERT_NEAR(planes[i], want, 1) << "byte " << i;
        }
      }
    }
  }
}

// A JPEG of varied colours (full-range YCbCr from a hash of the place),
// its luma sampled twice across and vDown times down, at quality 90.
std::vector<BYTE> NoisyJpeg(int width, int height, int vDown) {
  return EncodeJpeg(width, height, vDown, 90, false, [](unsigned x, unsigned y, unsigned c) {
    return static_cast<BYTE>((x * 2654435761u ^ y * 40503u ^ c * 97u) >> 5);
  });
}

// The I420 picture of a JPEG the plain way: every plane decoded whole, then
// each value scaled to the ranges of MPEG video with a rounded division.
std::vector<BYTE> PlainI420(const std::vector<BYTE>& data, int width, int height) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  info.raw_data_out = TRUE;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  const jpeg_component_info* c = info.comp_info;
  std::vector<std::vector<BYTE>> planes(3);
  std::vector<std::vector<BYTE*>> rows(3);
  std::size_t strides[3];
  for (int i = 0; i < 3; ++i) {
    strides[i] = static_cast<std::size_t>(c[i].width_in_blocks + 2) * DCTSIZE;
    const std::size_t count = static_cast<std::size_t>(c[i].height_in_blocks + 4) * DCTSIZE;
    planes[i].assign(strides[i] * count, 0);
    for (std::size_t y = 0; y < count; ++y) rows[i].push_back(planes[i].data() + y * strides[i]);
  }
  const JDIMENSION step = static_cast<JDIMENSION>(info.max_v_samp_factor * DCTSIZE);
  for (JDIMENSION line = 0; line < info.output_height;) {
    JSAMPARRAY at[3];
    for (int i = 0; i < 3; ++i)
      at[i] = rows[i].data() + static_cast<std::size_t>(line / info.max_v_samp_factor) * c[i].v_samp_factor;
    line += jpeg_read_raw_data(&info, at, step);
  }
  const bool halfDown = c[0].v_samp_factor == 2;
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  auto luma = [](int v) { return static_cast<BYTE>(16 + std::lround(v * 219.0 / 255.0)); };
  auto chroma = [](int v) { return static_cast<BYTE>(128 + std::lround((v - 128) * 224.0 / 255.0)); };
  std::vector<BYTE> out;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.push_back(luma(rows[0][y][x]));
  const int cw = (width + 1) / 2, ch = (height + 1) / 2;
  for (int i = 1; i < 3; ++i) {
    for (int y = 0; y < ch; ++y) {
      for (int x = 0; x < cw; ++x) {
        if (halfDown) {
          out.push_back(chroma(rows[i][y][x]));
        } else {
          const int a = rows[i][2 * y][x], b = rows[i][std::min(2 * y + 1, height - 1)][x];
          out.push_back(chroma((a + b + 1) >> 1));
        }
      }
    }
  }
  return out;
}

// Every byte value scales as the rounded division gives it.
TEST(JpegFrames, MpegRangesAreTheRoundedScales) {
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(codecs::JpegFrames::MpegLuma(static_cast<BYTE>(v)), 16 + std::lround(v * 219.0 / 255.0)) << v;
    EXPECT_EQ(codecs::JpegFrames::MpegChroma(static_cast<BYTE>(v)),
              128 + std::lround((v - 128) * 224.0 / 255.0))
        << v;
  }
}

// Decoded a row of MCUs at a time, the planes are byte for byte those of the
// whole planes scaled after: at widths with and without a part of 16 pixels,
// heights that end inside an MCU row, odd sizes and both samplings.
TEST(JpegFrames, PlanarPicturesAreTheWholePlanesScaled) {
  const int sizes[][2] = {{720, 48}, {33, 17}, {7, 5}, {50, 35}, {96, 1}};
  codecs::JpegFrames jpeg;
  for (int vDown : {2, 1}) {
    for (const auto& size : sizes) {
      const int w = size[0], h = size[1];
      SCOPED_TRACE(testing::Message() << "4:2:" << (vDown == 2 ? 0 : 2) << " " << w << "x" << h);
      const std::vector<BYTE> data = NoisyJpeg(w, h, vDown);
      const std::vector<BYTE> want = PlainI420(data, w, h);
      std::vector<BYTE> planes(want.size() + 1, kPad);
      ASSERT_TRUE(jpeg.DecodeI420(data.data(), data.size(), w, h, planes.data()));
      EXPECT_EQ(planes.back(), kPad) << "written past the picture";
      planes.pop_back();
      EXPECT_EQ(planes, want);
    }
  }
}

TEST(JpegFrames, PlanarDecodingRefusesWhatItCannotTake) {
  codecs::JpegFrames jpeg;
  std::vector<BYTE> planes(static_cast<std::size_t>(I420Bytes(32, 16)));
  const std::vector<BYTE> colour = FlatJpeg(32, 16, 2, 100, 100, 100);
  EXPECT_FALSE(jpeg.DecodeI420(colour.data(), colour.size(), 32, 18, planes.data()));      // another size
  EXPECT_FALSE(jpeg.DecodeI420(colour.data(), colour.size() / 2, 32, 16, planes.data()));  // its tables cut
  const std::vector<BYTE> grey = FlatJpeg(32, 16, 2, 100, 0, 0, true);
  EXPECT_FALSE(jpeg.DecodeI420(grey.data(), grey.size(), 32, 16, planes.data()));  // one component
  // Still good for the next picture.
  EXPECT_TRUE(jpeg.DecodeI420(colour.data(), colour.size(), 32, 16, planes.data()));
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
