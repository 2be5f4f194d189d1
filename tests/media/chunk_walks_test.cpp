// The chunk walks of the media readers end where the data can be no chunk,
// so a file of zeros (blanked, or sparse and huge) is refused at once
// rather than read eight bytes a step for as long as it is; and headers
// read in blocks still find chunks wherever the blocks end.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "audio_fixtures.h"
#include "media/audio_readers.h"
#include "media/video_data.h"
#include "support/sparse_files.h"

namespace {

using namespace std::chrono_literals;

Bytes Head(const char* id, std::uint32_t size, const char* type, bool bigEndian = false) {
  ByteWriter w;
  w.Id(id);
  bigEndian ? w.Be32(size) : w.Le32(size);
  return w.Id(type).bytes;
}

bool WaveRefused(const std::string& path) {
  WaveInfo info;
  return TReadWave(path.c_str()).error == 6 && !ReadWaveInfo(path.c_str(), &info);
}

bool AviRefused(const std::string& path) {
  AviFileInfo info;
  AVIVideoData video(path.c_str());
  return TReadAVIAudio(path.c_str()).error == 6 && video.ReadAviFile(path.c_str()) == 6 &&
         DescribeAviFile(path.c_str(), &info) == 0;
}

TEST(ChunkWalks, ZerosAfterAnyHeaderAreRefusedAtOnce) {
  RecordingHooks hooks;
  TempFolder folder;
  // A list that claims all it can: only its zeros follow.
  constexpr std::uint32_t kAll = 0xFFFFFFF0u;
  const struct {
    const char* name;
    const char* file;
    Bytes head;
    std::function<bool(const std::string&)> refused;
  } cases[] = {
      {"zeros as WAVE", "a.wav", {}, WaveRefused},
      {"RIFF WAVE, then zeros", "b.wav", Head("RIFF", kAll, "WAVE"), WaveRefused},
      {"zeros as AIFF", "a.aif", {}, [](const std::string& p) { return TReadWave(p.c_str()).error == 6; }},
      {"FORM AIFF, then zeros", "b.aif", Head("FORM", kAll, "AIFF", true),
       [](const std::string& p) { return TReadWave(p.c_str()).error == 6; }},
      {"zeros as AVI", "a.avi", {}, AviRefused},
      {"RIFF AVI, then zeros", "b.avi", Head("RIFF", kAll, "AVI "), AviRefused},
      {"RIFF AVI with a header list of zeros", "c.avi",
       Concat({Head("RIFF", kAll, "AVI "), Head("LIST", 0x10000000u, "hdrl")}), AviRefused},
      // Sizes never written reach the end of the file: 64 GB of zeros.
      {"RIFF WAVE of size 0, then zeros", "c.wav", Head("RIFF", 0, "WAVE"), WaveRefused},
      {"FORM AIFF of size 0, then zeros", "c.aif", Head("FORM", 0, "AIFF", true),
       [](const std::string& p) { return TReadWave(p.c_str()).error == 6; }},
      {"RIFF AVI of size 0, then zeros", "d.avi", Head("RIFF", 0, "AVI "), AviRefused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Path(c.file);
    if (!WriteSparseFile(path, c.head)) GTEST_SKIP() << "no sparse file of 64 GB here";
    // A second of processor time; walking the zeros takes minutes of it.
    EXPECT_TRUE(EndsWithin(1000ms, [&] { return c.refused(path); }));
  }
}

// Many small chunks, odd ones padded, before the ones the reader needs:
// the header blocks end inside headers and between them.
Bytes SmallChunks(bool bigEndian) {
  ByteWriter w;
  for (std::uint32_t size = 1; size <= 300; ++size) {
    w.Id("JUNK");
    bigEndian ? w.Be32(size) : w.Le32(size);
    w.Zeros(size + (size & 1));
  }
  return w.bytes;
}

// file with extra inserted after its 12-byte form header, the form's size
// grown to match.
Bytes InsertAfterForm(Bytes file, const Bytes& extra, bool bigEndian) {
  file.insert(file.begin() + 12, extra.begin(), extra.end());
  const std::uint32_t size = static_cast<std::uint32_t>(file.size() - 8);
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<std::uint8_t>(size >> (8 * (bigEndian ? 3 - i : i)));
  return file;
}

TEST(ChunkWalks, ChunksAfterManySmallOnesReadAsWithoutThem) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes samples;
  for (int i = 0; i < 4000; ++i) samples.push_back(static_cast<std::uint8_t>(i * 7));
  const struct {
    const char* name;
    Bytes plain;
    bool bigEndian;
  } cases[] = {
      {"wav", WaveFile(FmtBody(1, 2, 8000, 16, 4), samples), false},
      {"aif", AiffFile(2, 16, 8000, samples), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string plain = folder.Write(std::string("plain.") + c.name, c.plain);
    const std::string padded =
        folder.Write(std::string("padded.") + c.name, InsertAfterForm(c.plain, SmallChunks(c.bigEndian), c.bigEndian));
    HeldSource expected(plain);
    HeldSource got(padded);
    ASSERT_NE(expected.data, nullptr);
    ASSERT_NE(got.data, nullptr);
    EXPECT_EQ(got->GetLength(), expected->GetLength());
    EXPECT_EQ(DecodeAll(got.data), DecodeAll(expected.data));
  }
}

}  // namespace
