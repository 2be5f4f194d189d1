#include "platform/codecs/vfw.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "platform/codecs/avi.h"
#include "platform/codecs/codec_test_util.h"

using codec_test::Format;
using codec_test::MakeFormat;

namespace {

constexpr FOURCC kMjpg = mmioFOURCC('M', 'J', 'P', 'G');

std::wstring NameOf(HIC hic) {
  ICINFO info;
  EXPECT_EQ(ICGetInfo(hic, &info, sizeof(info)), static_cast<LRESULT>(sizeof(info)));
  return info.szName;
}

TEST(Vfw, LocatesTheCodecOfEachFormat) {
  struct Case {
    DWORD compression;
    WORD bits;
    const wchar_t* name;
  } cases[] = {
      {BI_RGB, 24, L"DIB"},
      {BI_RGB, 8, L"DIB"},
      {BI_RLE8, 8, L"RLE8"},
      {kMjpg, 24, L"MJPEG"},
      {mmioFOURCC('m', 'j', 'p', 'g'), 24, L"MJPEG"},  // handler codes ignore letter case
      {mmioFOURCC('C', 'R', 'A', 'M'), 16, L"MS Video 1"},
      {mmioFOURCC('X', 'V', 'I', 'D'), 24, L"MPEG-4"},
      {mmioFOURCC('H', 'F', 'Y', 'U'), 24, L"HuffYUV"},
  };
  for (const Case& c : cases) {
    Format in = MakeFormat(64, 48, c.bits, c.compression);
    Format out = MakeFormat(64, 48, 24);
    HIC hic = ICLocate(ICTYPE_VIDEO, c.compression, in.bi(), out.bi(), ICMODE_DECOMPRESS);
    ASSERT_NE(hic, nullptr) << c.compression;
    EXPECT_EQ(NameOf(hic), c.name);
    ICClose(hic);
  }
}

TEST(Vfw, NoCodecForAnUnknownCodeOrABrokenHeader) {
  Format unknown = MakeFormat(64, 48, 24, mmioFOURCC('Z', 'Z', 'Z', 'Z'));
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, mmioFOURCC('Z', 'Z', 'Z', 'Z'), unknown.bi(), nullptr, ICMODE_DECOMPRESS),
            nullptr);
  Format huge = MakeFormat(1 << 20, 48, 24, kMjpg);
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, kMjpg, huge.bi(), nullptr, ICMODE_DECOMPRESS), nullptr);
  Format shortHeader = MakeFormat(64, 48, 24);
  shortHeader.bi()->biSize = 12;
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, 0, shortHeader.bi(), nullptr, ICMODE_DECOMPRESS), nullptr);
  EXPECT_EQ(ICOpen(ICTYPE_VIDEO, mmioFOURCC('Z', 'Z', 'Z', 'Z'), ICMODE_QUERY), nullptr);
}

TEST(Vfw, ListsTheInstalledCodecs) {
  std::vector<std::wstring> names;
  ICINFO info;
  for (DWORD i = 0; ICInfo(ICTYPE_VIDEO, i, &info); ++i) names.push_back(info.szName);
  for (const wchar_t* want : {L"DIB", L"RLE8", L"MJPEG", L"MS Video 1", L"HuffYUV", L"MPEG-4"})
    EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << std::wstring(want);
  ASSERT_TRUE(ICInfo(ICTYPE_VIDEO, mmioFOURCC('m', 'j', 'p', 'g'), &info));
  EXPECT_EQ(info.fccHandler, kMjpg);
  EXPECT_STREQ(info.szDescription, L"Motion JPEG");
}

TEST(Vfw, GetInfoCopiesAtMostTheBytesAsked) {
  HIC hic = ICOpen(ICTYPE_VIDEO, kMjpg, ICMODE_QUERY);
  ASSERT_NE(hic, nullptr);
  ICINFO info;
  info.fccType = 0xAAAAAAAA;
  EXPECT_EQ(ICGetInfo(hic, &info, 8), 8);
  EXPECT_EQ(info.fccType, ICTYPE_VIDEO);
  EXPECT_EQ(info.fccHandler, 0u);  // beyond the 8 bytes: untouched
  ICClose(hic);
}

// A codec that decodes only to 16 bits.
class Only16 : public VideoCodec {
 public:
  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (in->biCompression != mmioFOURCC('T', 'S', 'I', 'X')) return ICERR_BADFORMAT;
    return (out == nullptr || out->biBitCount == 16) ? ICERR_OK : ICERR_BADFORMAT;
  }
};

TEST(Vfw, InstalledCodecsComeFirstAndCanBeRemoved) {
  VideoCodecDescription d;
  d.fccHandler = mmioFOURCC('T', 'S', 'I', 'X');
  d.name = L"Sixteen";
  auto factory = [](const VideoCodecDescription&, UINT) -> std::unique_ptr<VideoCodec> {
    return std::make_unique<Only16>();
  };
  ASSERT_TRUE(ICInstallCodec(d, factory));
  EXPECT_FALSE(ICInstallCodec(d, factory));
  Format in = MakeFormat(32, 32, 24, d.fccHandler);
  for (WORD bits : {WORD{24}, WORD{32}}) {
    Format out = MakeFormat(32, 32, bits);
    EXPECT_EQ(ICLocate(ICTYPE_VIDEO, d.fccHandler, in.bi(), out.bi(), ICMODE_DECOMPRESS), nullptr);
  }
  Format out16 = MakeFormat(32, 32, 16);
  HIC hic = ICLocate(ICTYPE_VIDEO, d.fccHandler, in.bi(), out16.bi(), ICMODE_DECOMPRESS);
  ASSERT_NE(hic, nullptr);
  EXPECT_EQ(NameOf(hic), L"Sixteen");
  // Messages it does not take are refused, not crashed on.
  EXPECT_EQ(ICSendMessage(hic, ICM_COMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                          reinterpret_cast<DWORD_PTR>(out16.bi())),
            ICERR_UNSUPPORTED);
  ICClose(hic);
  EXPECT_TRUE(ICRemove(ICTYPE_VIDEO, d.fccHandler, 0));
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, d.fccHandler, in.bi(), out16.bi(), ICMODE_DECOMPRESS), nullptr);
  EXPECT_FALSE(ICRemove(ICTYPE_VIDEO, d.fccHandler, 0));
}

TEST(Vfw, MotionJpegCompressesAndDecompressesBack) {
  // Odd sizes too: the last column and row have no partner for the
  // subsampled colour, and each must still come back as it went in.
  const struct {
    int w, h;
  } sizes[] = {{96, 72}, {61, 48}, {63, 47}, {33, 16}, {1, 16}};
  for (const auto& size : sizes) {
    const int w = size.w, h = size.h;
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    std::vector<BYTE> picture = codec_test::ToDib24(codec_test::Gradient(w, h), w, h);
    Format in = MakeFormat(w, h, 24);
    HIC hic = ICLocate(ICTYPE_VIDEO, kMjpg, in.bi(), nullptr, ICMODE_COMPRESS);
    ASSERT_NE(hic, nullptr);
    Format out;
    ASSERT_EQ(ICSendMessage(hic, ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in.bi()), 0), 40);
    ASSERT_EQ(ICSendMessage(hic, ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in.bi()),
                            reinterpret_cast<DWORD_PTR>(out.bi())),
              ICERR_OK);
    EXPECT_EQ(out.bi()->biCompression, kMjpg);
    LRESULT room = ICSendMessage(hic, ICM_COMPRESS_GET_SIZE, reinterpret_cast<DWORD_PTR>(in.bi()),
                                 reinterpret_cast<DWORD_PTR>(out.bi()));
    ASSERT_GT(room, 0);
    std::vector<BYTE> data(static_cast<std::size_t>(room));
    ASSERT_EQ(ICSendMessage(hic, ICM_COMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                            reinterpret_cast<DWORD_PTR>(out.bi())),
              ICERR_OK);
    DWORD ckid = 0, flags = 0;
    ASSERT_EQ(static_cast<LRESULT>(ICCompress(hic, ICCOMPRESS_KEYFRAME, out.bi(), data.data(), in.bi(),
                                              picture.data(), &ckid, &flags, 0, 0, 9000, nullptr, nullptr)),
              ICERR_OK);
    EXPECT_EQ(flags, AVIIF_KEYFRAME);
    EXPECT_GT(out.bi()->biSizeImage, 100u);
    ICSendMessage(hic, ICM_COMPRESS_END, 0, 0);
    ICClose(hic);

    Format decoded = MakeFormat(w, h, 24);
    hic = ICLocate(ICTYPE_VIDEO, kMjpg, out.bi(), decoded.bi(), ICMODE_DECOMPRESS);
    ASSERT_NE(hic, nullptr);
    ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(out.bi()),
                            reinterpret_cast<DWORD_PTR>(decoded.bi())),
              ICERR_OK);
    std::vector<BYTE> back(picture.size(), 0);
    ASSERT_EQ(static_cast<LRESULT>(ICDecompress(hic, 0, out.bi(), data.data(), decoded.bi(), back.data())),
              ICERR_OK);
    ICClose(hic);
    // Column by column, so that a fault at the picture's edge shows where it is.
    const std::size_t stride = static_cast<std::size_t>(DibRowBytes(w, 24));
    for (int x = 0; x < w; ++x) {
      int worst = 0;
      for (int y = 0; y < h; ++y)
        worst = std::max(worst, codec_test::MaxDiff(&picture[y * stride + x * 3], &back[y * stride + x * 3], 3));
      EXPECT_LE(worst, 24) << "column " << x;
    }
  }
}

TEST(Vfw, DecoderSurvivesGarbage) {
  Format in = MakeFormat(64, 48, 24, kMjpg);
  Format out = MakeFormat(64, 48, 32);
  HIC hic = ICLocate(ICTYPE_VIDEO, kMjpg, in.bi(), out.bi(), ICMODE_DECOMPRESS);
  ASSERT_NE(hic, nullptr);
  ASSERT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in.bi()),
                          reinterpret_cast<DWORD_PTR>(out.bi())),
            ICERR_OK);
  std::vector<BYTE> garbage(3000);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<BYTE>(i * 7919 >> 3);
  garbage[0] = 0xFF;
  garbage[1] = 0xD8;
  in.bi()->biSizeImage = static_cast<DWORD>(garbage.size());
  std::vector<BYTE> frame(out.bi()->biSizeImage);
  ICDecompress(hic, 0, in.bi(), garbage.data(), out.bi(), frame.data());  // any result, no fault
  ICClose(hic);
}

}  // namespace
