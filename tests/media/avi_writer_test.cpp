#include "media/avi_writer.h"

#include <gtest/gtest.h>

#include "media/video_data.h"
#include "video_test_util.h"

using namespace video_test;

namespace {

struct RoundTrip {
  const char* name;
  bool interleaved;
};

class AviWriterRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(AviWriterRoundTrip, ReadsBackWhatWasWritten) {
  TempFolder folder;
  const std::string path = folder.Path("out.avi");
  AviSpec spec;
  spec.format = MakeFormat(32, 24, 24);
  spec.frames = GradientFrames(32, 24, 100);
  for (std::size_t i = 0; i < spec.frames.size(); ++i) spec.frames[i].key = i % 10 == 0;
  spec.withAudio = true;
  spec.interleaved = GetParam().interleaved;
  ASSERT_EQ(WriteAvi(path, spec), 0);

  // The layout: movi's data begin at 4096 and the first index entry points
  // just past movi's type field.
  std::vector<BYTE> file = ReadAll(path);
  bool sawMovi = false, sawIdx1 = false;
  for (const RawChunk& c : TopChunks(file)) {
    if (c.id == ckidLIST && c.type == listtypeAVIMOVIE) {
      EXPECT_EQ(c.at, 4096u - 12);
      sawMovi = true;
    }
    if (c.id == ckidAVINEWINDEX) {
      ASSERT_GE(c.size, 16u);
      EXPECT_EQ(codecs::GetLe32(&file[c.at + 8 + 8]), 4u);
      sawIdx1 = true;
    }
  }
  EXPECT_TRUE(sawMovi);
  EXPECT_TRUE(sawIdx1);

  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->frameCount, 100);
  EXPECT_FLOAT_EQ(v->frameRate, 25.0f);
  EXPECT_EQ(v->mainHeader.dwStreams, 2u);
  EXPECT_EQ(v->mainHeader.dwMicroSecPerFrame, 40000u);
  v->BeginRead();
  for (int i = 0; i < 100; ++i) {
    std::vector<BYTE> data(static_cast<std::size_t>(v->GetFrameSize(i)));
    int32_t size = 0;
    bool key = false;
    ASSERT_EQ(v->ReadRawFrame(i, 0, data.data(), &size, &key, false), 0);
    EXPECT_EQ(key, i % 10 == 0) << i;
    EXPECT_EQ(data, spec.frames[i].data) << i;
  }
  v->EndRead();
  v->Release();

  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  std::vector<BYTE> complaints = Capture("ffmpeg -nostdin -v error -i " + path + " -f null - 2>&1");
  EXPECT_EQ(std::string(complaints.begin(), complaints.end()), "");
  std::vector<BYTE> decoded =
      Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt bgr24 -");
  ASSERT_EQ(decoded.size(), 100u * 32 * 24 * 3);
  std::vector<BYTE> last = TopDownBgr(spec.format.bi(), spec.frames[99].data.data());
  EXPECT_TRUE(std::equal(last.begin(), last.end(), decoded.end() - static_cast<std::ptrdiff_t>(last.size())));
}

INSTANTIATE_TEST_SUITE_P(Layouts, AviWriterRoundTrip,
                         ::testing::Values(RoundTrip{"plain", false}, RoundTrip{"interleaved", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AviWriter, StreamHeadersAndChunkIds) {
  TempFolder folder;
  MainAVIHeader main;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, folder.Path("a.avi").c_str(), &main), 0);
  std::vector<BYTE> big(4000, 0);
  Format f = MakeFormat(64, 48, 24);
  std::memcpy(big.data(), f.block.data(), 40);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;  // rate 0: 15 frames per second
  AVISTREAMHEADER audio;
  audio.fccType = streamtypeAUDIO;
  BYTE wave[18] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 0, 0};
  std::vector<BYTE> audioFormat(4000, 0);
  std::memcpy(audioFormat.data(), wave, sizeof(wave));
  int32_t s0 = -1, s1 = -1;
  ASSERT_EQ(AviWriter::AddStream(w, &s0, &video, big.data(), 4000), 0);
  ASSERT_EQ(AviWriter::AddStream(w, &s1, &audio, audioFormat.data(), 4000), 0);
  EXPECT_EQ(s0, 0);
  EXPECT_EQ(s1, 1);
  EXPECT_EQ(w->streamHeaders[0].dwRate, 15u);
  EXPECT_EQ(w->streamHeaders[0].dwScale, 1u);
  EXPECT_EQ(w->streamHeaders[1].dwSampleSize, 4u);
  EXPECT_EQ(w->streamHeaders[1].dwRate, 44100u);
  EXPECT_EQ(w->streamHeaders[1].dwScale, 1u);
  EXPECT_EQ(w->mainHeader.dwWidth, 64u);
  EXPECT_EQ(w->mainHeader.dwHeight, 48u);

  std::vector<BYTE> sound(17640, 0);
  ASSERT_EQ(AviWriter::WriteChunk(w, 1, sound.data(), 17640, aviTWOCC('w', 'b'), 0), 0);
  EXPECT_EQ(w->streamHeaders[1].dwLength, 4410u);
  EXPECT_EQ(w->dataStart, 9024);
  std::vector<BYTE> picture(static_cast<std::size_t>(f.bi()->biSizeImage), 7);
  ASSERT_EQ(
      AviWriter::WriteChunk(w, 0, picture.data(), static_cast<int32_t>(picture.size()), 0, AVIIF_KEYFRAME),
      0);
  EXPECT_EQ(w->index.back().ckid, mmioFOURCC('0', '0', 'x', 'x'));
  ASSERT_EQ(AviWriter::WriteChunk(w, 0, picture.data(), 10, aviTWOCC('d', 'c'), AVIIF_NOTIME), 0);
  EXPECT_EQ(w->streamHeaders[0].dwLength, 1u);  // a chunk without time adds nothing
  EXPECT_EQ(AviWriter::WriteChunk(w, 2, picture.data(), 10, aviTWOCC('d', 'c'), 0), kErrInvalidParameter);
  EXPECT_EQ(AviWriter::Close(w), 0);

  std::vector<BYTE> file = ReadAll(folder.Path("a.avi"));
  bool moviAt9012 = false;
  for (const RawChunk& c : TopChunks(file)) moviAt9012 |= c.type == listtypeAVIMOVIE && c.at == 9024 - 12;
  EXPECT_TRUE(moviAt9012);
}

TEST(AviWriter, RefusesASeventeenthStream) {
  TempFolder folder;
  MainAVIHeader main;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, folder.Path("many.avi").c_str(), &main), 0);
  Format f = MakeFormat(8, 8, 24);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  for (int i = 0; i < 16; ++i) ASSERT_EQ(AviWriter::AddStream(w, nullptr, &video, f.block.data(), 40), 0);
  int32_t stream = -1;
  EXPECT_EQ(AviWriter::AddStream(w, &stream, &video, f.block.data(), 40), kErrInvalidParameter);
  EXPECT_EQ(stream, -1);
  EXPECT_EQ(w->mainHeader.dwStreams, 16u);
  EXPECT_EQ(AviWriter::Close(w), 0);
}

TEST(AviWriter, OpenFailsForAFolderThatDoesNotExist) {
  MainAVIHeader main;
  AviWriter* w = reinterpret_cast<AviWriter*>(1);
  EXPECT_EQ(AviWriter::Open(&w, "/nonexistent-kobrix-folder/x.avi", &main), kErrFileMissing);
  EXPECT_EQ(w, nullptr);
}

TEST(AviWriter, ANewStreamAfterTheFirstChunkIsRefused) {
  TempFolder folder;
  MainAVIHeader main;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, folder.Path("late.avi").c_str(), &main), 0);
  Format f = MakeFormat(8, 8, 24);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  ASSERT_EQ(AviWriter::AddStream(w, nullptr, &video, f.block.data(), 40), 0);
  std::vector<BYTE> picture(8 * 8 * 3);
  ASSERT_EQ(AviWriter::WriteChunk(w, 0, picture.data(), static_cast<int32_t>(picture.size()),
                                  aviTWOCC('d', 'b'), 0),
            0);
  // Its header would not fit the room left before the data.
  EXPECT_EQ(AviWriter::AddStream(w, nullptr, &video, f.block.data(), 40), kErrInvalidParameter);
  EXPECT_EQ(AviWriter::Close(w), 0);
}

}  // namespace
