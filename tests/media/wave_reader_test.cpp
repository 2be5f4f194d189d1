#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "audio_fixtures.h"
#include "media/audio_readers.h"

namespace {

// Reports the first sample that differs by more than tolerance.
void ExpectSamples(const std::vector<float>& actual, const std::vector<double>& expected, double tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i)
    if (std::fabs(actual[i] - expected[i]) > tolerance) {
      ADD_FAILURE() << "sample " << i << ": " << actual[i] << " instead of " << expected[i];
      return;
    }
}

// A sample set: the bytes of one sample and the float it stands for.
struct Encoding {
  const char* name;
  std::uint16_t tag;
  std::uint16_t bits;
  std::uint16_t container;  // bytes per sample
  std::function<void(ByteWriter&, int)> put;
  std::function<double(int)> value;
  double tolerance;
};

std::int64_t Pseudo(int i, std::int64_t range) { return (static_cast<std::int64_t>(i) * 2654435761ll) % range; }

std::vector<Encoding> Encodings() {
  return {
      {"unsigned 8", 1, 8, 1, [](ByteWriter& w, int i) { w.bytes.push_back(Pseudo(i, 256)); },
       [](int i) { return (Pseudo(i, 256) - 128) * 256.0; }, 0},
      {"signed 16", 1, 16, 2, [](ByteWriter& w, int i) { w.Le16(Pseudo(i, 65536)); },
       [](int i) { return static_cast<double>(static_cast<std::int16_t>(Pseudo(i, 65536))); }, 0},
      {"packed 24", 1, 24, 3,
       [](ByteWriter& w, int i) {
         const std::uint32_t v = Pseudo(i, 1 << 24);
         w.bytes.push_back(v & 0xFF);
         w.bytes.push_back((v >> 8) & 0xFF);
         w.bytes.push_back((v >> 16) & 0xFF);
       },
       [](int i) {
         std::int64_t v = Pseudo(i, 1 << 24);
         if (v >= (1 << 23)) v -= (1 << 24);
         return v / 256.0;
       },
       1e-3},
      {"signed 32", 1, 32, 4, [](ByteWriter& w, int i) { w.Le32(static_cast<std::uint32_t>(Pseudo(i, 1ll << 32))); },
       [](int i) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(Pseudo(i, 1ll << 32))) / 65536.0; },
       4e-3},
      {"float 32", 3, 32, 4,
       [](ByteWriter& w, int i) {
         const float f = static_cast<float>(std::sin(i * 0.01) * 0.9);
         std::uint32_t u;
         std::memcpy(&u, &f, 4);
         w.Le32(u);
       },
       [](int i) { return static_cast<float>(std::sin(i * 0.01) * 0.9) * 32768.0; }, 4e-3},
  };
}

TEST(WaveReader, DecodesEverySampleFormatMonoAndStereo) {
  RecordingHooks hooks;
  TempFolder folder;
  const int kFrames = 2500;  // crosses several engine blocks
  for (const Encoding& e : Encodings()) {
    for (std::uint16_t channels : {1, 2}) {
      SCOPED_TRACE(std::string(e.name) + (channels == 1 ? " mono" : " stereo"));
      ByteWriter data;
      std::vector<double> expected;
      for (int i = 0; i < kFrames * channels; ++i) {
        e.put(data, i);
        expected.push_back(e.value(i));
      }
      const std::string path = folder.Write(std::string(e.name) + std::to_string(channels) + ".wav",
                                            WaveFile(FmtBody(e.tag, channels, 22050, e.bits, channels * e.container),
                                                     data.bytes));
      AudioData* source = AudioData::OpenShared(path.c_str());
      ASSERT_NE(source, nullptr);
      EXPECT_EQ(source->LengthInSamples(), static_cast<DWORD>(kFrames));
      EXPECT_EQ(source->length, (kFrames * 1000 + 11025) / 22050);
      ExpectSamples(DecodeAll(source), expected, e.tolerance);
      EXPECT_FALSE(source->IsOpen());
      source->Release();
    }
  }
  EXPECT_EQ(SharedSourceCount(), 0);
}

TEST(WaveReader, TwentyFourBitsInFourBytesAndExtensibleRecords) {
  RecordingHooks hooks;
  TempFolder folder;
  // 24 bits left-justified in 32-bit containers.
  ByteWriter data;
  data.Le32(0x40000000u).Le32(0xC0000000u).Le32(0x00000100u);
  AudioData* a = AudioData::OpenShared(folder.Write("c.wav", WaveFile(FmtBody(1, 1, 8, 24, 4), data.bytes)).c_str());
  ASSERT_NE(a, nullptr);
  ExpectSamples(DecodeAll(a), {16384, -16384, 1.0 / 256}, 1e-6);
  a->Release();

  // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format, as sox and ffmpeg write
  // samples wider than 16 bits.
  ByteWriter ext;
  ext.Raw(FmtBody(0xFFFE, 1, 8, 24, 3, false)).Le16(22).Le16(24).Le32(4);
  ext.Le32(1).Le16(0).Le16(0x10).Raw({0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  ByteWriter samples;
  samples.Raw({0x00, 0x00, 0x40, 0x00, 0x00, 0xC0});
  AudioData* b = AudioData::OpenShared(folder.Write("e.wav", WaveFile(ext.bytes, samples.bytes)).c_str());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->format->wFormatTag, WAVE_FORMAT_PCM);
  ExpectSamples(DecodeAll(b), {16384, -16384}, 0);
  b->Release();
}

struct Malformed {
  const char* name;
  Bytes file;
};

TEST(WaveReader, MalformedHeadersGiveErrorSixAndNoSource) {
  RecordingHooks hooks;
  TempFolder folder;
  const Bytes someData(64, 1);
  Bytes fmt14 = FmtBody(1, 1, 8000, 16, 2);
  fmt14.resize(14);
  Bytes fmtTooLong = List("RIFF", "WAVE", Concat({ChunkWithSize("fmt ", 4000, FmtBody(1, 1, 8000, 16, 2))}));
  const std::vector<Malformed> cases = {
      {"short fmt", WaveFile(fmt14, someData)},
      {"no channels", WaveFile(FmtBody(1, 0, 8000, 16, 2), someData)},
      {"three channels", WaveFile(FmtBody(1, 3, 8000, 16, 6), someData)},
      {"no bytes per second", WaveFile(FmtBody(1, 1, 0, 16, 2), someData)},
      {"no block align", WaveFile(FmtBody(1, 1, 8000, 16, 0), someData)},
      {"block align below the samples", WaveFile(FmtBody(1, 2, 8000, 16, 2), someData)},
      {"block align above the samples", WaveFile(FmtBody(1, 1, 8000, 16, 64), someData)},
      {"12-bit samples", WaveFile(FmtBody(1, 1, 8000, 12, 2), someData)},
      {"64-bit float", WaveFile(FmtBody(3, 1, 8000, 64, 8), someData)},
      {"fmt past the end of the file", fmtTooLong},
      {"no data chunk", List("RIFF", "WAVE", Chunk("fmt ", FmtBody(1, 1, 8000, 16, 2)))},
      {"no fmt chunk", List("RIFF", "WAVE", Chunk("data", someData))},
      {"not RIFF", Bytes(100, 'x')},
      {"RIFF of another form", List("RIFF", "AVI ", Chunk("fmt ", FmtBody(1, 1, 8000, 16, 2)))},
      {"empty file", {}},
      {"seven bytes", {'R', 'I', 'F', 'F', 1, 0, 0}},
  };
  for (const Malformed& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Write("bad.wav", c.file);
    EXPECT_EQ(AudioData::OpenShared(path.c_str()), nullptr);
    EXPECT_EQ(SharedSourceCount(), 0);
    TReadWave reader(path.c_str());
    EXPECT_EQ(reader.error, 6);
  }
}

TEST(WaveReader, EmptyDataOrMissingFileGiveNoSource) {
  RecordingHooks hooks;
  TempFolder folder;
  const std::string empty = folder.Write("empty.wav", WaveFile(FmtBody(1, 1, 8000, 16, 2), {}));
  EXPECT_EQ(AudioData::OpenShared(empty.c_str()), nullptr);
  EXPECT_EQ(AudioData::OpenShared(folder.Path("missing.wav").c_str()), nullptr);
  EXPECT_EQ(SharedSourceCount(), 0);
  TReadWave missing(folder.Path("missing.wav").c_str());
  EXPECT_EQ(missing.error, 3);
}

// A "data" size of 0 with samples after it was never written (a writer
// killed before it closed the file): the samples reach the end of the
// file. Followed by nothing or by whole chunks only, the data are empty.
TEST(WaveReader, AnUnwrittenDataSizeReachesTheEndUnlessOnlyChunksFollow) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes samples;
  for (int i = 0; i < 1000; ++i) samples.push_back(static_cast<std::uint8_t>(i * 7 + 3));
  const Bytes fmt = Chunk("fmt ", FmtBody(1, 1, 1000, 16, 2));
  auto wave = [&](std::uint32_t riffSize, const Bytes& after) {
    return ChunkWithSize("RIFF", riffSize, Concat({{'W', 'A', 'V', 'E'}, fmt, ChunkWithSize("data", 0, {}), after}));
  };
  const Bytes info = List("LIST", "INFO", Chunk("ISFT", Bytes(7, 'k')));
  // The RIFF size of a head with after behind its empty "data".
  auto whole = [&](const Bytes& after) { return static_cast<std::uint32_t>(4 + fmt.size() + 8 + after.size()); };
  const struct {
    const char* what;
    Bytes file;
    LONG frames;  // 0: no source
  } cases[] = {
      {"samples, the RIFF size unwritten too", wave(0, samples), 500},
      {"samples, the RIFF size whole", wave(whole(samples), samples), 500},
      {"silence", wave(0, Bytes(600, 0)), 300},
      {"an INFO list only", wave(whole(info), info), 0},
      {"nothing", wave(whole({}), {}), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = folder.Write("take.wav", c.file);
    HeldSource s(path);
    WaveInfo info;
    ASSERT_TRUE(ReadWaveInfo(path.c_str(), &info));
    EXPECT_EQ(info.length, c.frames);  // 1000 frames a second
    if (c.frames == 0) {
      EXPECT_EQ(s.data, nullptr);
      continue;
    }
    ASSERT_NE(s.data, nullptr);
    EXPECT_EQ(s->LengthInSamples(), static_cast<DWORD>(c.frames));
    ASSERT_TRUE(s->BeginRead());
    std::vector<BYTE> read(c.frames * 2);
    EXPECT_EQ(s->ReadSamples(read.data(), 0, c.frames), c.frames);
    s->EndRead();
    EXPECT_TRUE(std::equal(read.begin(), read.end(), c.file.end() - c.frames * 2));
  }
}

TEST(WaveReader, TruncatedDataReadsUpToTheEndThenSilence) {
  RecordingHooks hooks;
  TempFolder folder;
  for (std::uint16_t bits : {8, 16}) {
    SCOPED_TRACE(bits);
    const std::uint16_t align = bits / 8;
    // The RIFF and "data" sizes claim 10000 bytes; 1000 are there.
    const Bytes present(1000, 0x11);
    const Bytes file = ChunkWithSize(
        "RIFF", 10000 + 36, Concat({{'W', 'A', 'V', 'E'}, Chunk("fmt ", FmtBody(1, 1, 1000, bits, align)),
                                    ChunkWithSize("data", 10000, present)}));
    AudioData* s = AudioData::OpenShared(folder.Write("cut.wav", file).c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->LengthInSamples(), 1000u / align);
    EXPECT_EQ(s->length, 1000 / align);
    ASSERT_TRUE(s->BeginRead());
    const LONG last = 1000 / align - 100;
    std::vector<BYTE> buffer(200 * align, 0x55);
    EXPECT_EQ(s->ReadSamples(buffer.data(), last, 200), 100);
    const BYTE silence = bits == 8 ? 128 : 0;
    EXPECT_EQ(buffer[100 * align - 1], 0x11);
    for (std::size_t i = 100 * align; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], silence) << i;
    // Wholly past the end: nothing read, all silence.
    std::fill(buffer.begin(), buffer.end(), 0x55);
    EXPECT_EQ(s->ReadBytes(buffer.data(), 5000, 16), 0);
    EXPECT_EQ(buffer[0], silence);
    EXPECT_EQ(buffer[15], silence);
    EXPECT_EQ(buffer[16], 0x55);
    s->EndRead();
    s->Release();
  }
}

TEST(WaveReader, FactChunkOnlyForCompressedTags) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes adpcm = FmtBody(2, 1, 16, 4, 256, false);  // 4096 bytes per second
  adpcm.insert(adpcm.end(), {2, 0, 0xF4, 0x01});  // extra size 2, samples per block 500
  const Bytes data(512, 0);
  AudioData* noFact = AudioData::OpenShared(folder.Write("a.wav", WaveFile(adpcm, data)).c_str());
  ASSERT_NE(noFact, nullptr);
  EXPECT_EQ(noFact->GetFactLength(), -1);
  EXPECT_EQ(noFact->formatSize, 20u);
  EXPECT_FALSE(noFact->IsDirectFormat());
  // The engine never gets compressed bytes as samples.
  ASSERT_TRUE(noFact->BeginRead());
  std::vector<float> memory(64);
  SampleBlock block;
  block.data = memory.data();
  block.capacity = 32;
  EXPECT_EQ(noFact->ReadBlock(&block, 0, 1), 0);
  noFact->EndRead();
  noFact->Release();

  ByteWriter fact;
  fact.Le32(1000);
  const Bytes withFact = List("RIFF", "WAVE", Concat({Chunk("fmt ", adpcm), Chunk("fact", fact.bytes), Chunk("data", data)}));
  AudioData* s = AudioData::OpenShared(folder.Write("b.wav", withFact).c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetFactLength(), 1000);
  s->Release();

  AudioData* pcm = AudioData::OpenShared(folder.Write("c.wav", WaveFile(FmtBody(1, 1, 8000, 16, 2), data)).c_str());
  ASSERT_NE(pcm, nullptr);
  EXPECT_EQ(pcm->GetFactLength(), 0);
  pcm->Release();
}

// Compressed data last as long as their "fact" count says, unless the data
// could not hold that many samples; PCM ignores the chunk.
TEST(WaveReader, CompressedLengthComesFromAPlausibleFact) {
  RecordingHooks hooks;
  TempFolder folder;
  // IMA ADPCM at 8000 Hz stating 4096 bytes per second, 505 samples per block.
  ByteWriter ima;
  ima.Le16(0x11).Le16(1).Le32(8000).Le32(4096).Le16(256).Le16(4).Le16(2).Le16(505);
  const Bytes& adpcm = ima.bytes;
  const Bytes data(1024, 0);  // four blocks, 2020 samples
  struct Case {
    const char* name;
    const Bytes& format;
    LONG fact;  // -1: no chunk
    LONG ms;
  } cases[] = {
      {"fact", adpcm, 2020, 253},
      {"no fact", adpcm, -1, 250},
      {"zero fact", adpcm, 0, 250},
      {"fact past the data", adpcm, 2049, 250},
      {"fact far past the data", adpcm, 0x7FFFFFFF, 250},
      {"pcm", FmtBody(1, 1, 8000, 16, 2), 100, 64},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteWriter fact;
    fact.Le32(static_cast<std::uint32_t>(c.fact));
    const Bytes file = List("RIFF", "WAVE",
                            c.fact < 0 ? Concat({Chunk("fmt ", c.format), Chunk("data", data)})
                                       : Concat({Chunk("fmt ", c.format), Chunk("fact", fact.bytes), Chunk("data", data)}));
    const std::string path = folder.Write("f" + std::to_string(n++) + ".wav", file);
    AudioData* s = AudioData::OpenShared(path.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetLength(), c.ms);
    s->Release();
    WaveInfo info;
    ASSERT_TRUE(ReadWaveInfo(path.c_str(), &info));
    EXPECT_EQ(info.length, c.ms);
  }
}

TEST(WaveReader, DirectFormatFollowsTheOutputRate) {
  RecordingHooks hooks;
  TempFolder folder;
  AudioData* s = AudioData::OpenShared(folder.Write("r.wav", WaveFile(FmtBody(3, 1, 44100, 32, 4), Bytes(400, 0))).c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->IsDirectFormat());
  hooks.output.nSamplesPerSec = 48000;
  EXPECT_FALSE(s->IsDirectFormat());
  s->Release();
}

TEST(WaveReader, ReadWaveInfoGivesLengthAndFormat) {
  TempFolder folder;
  WaveInfo info;
  ASSERT_TRUE(ReadWaveInfo(folder.Write("i.wav", WaveFile(FmtBody(1, 2, 8000, 16, 4), Bytes(32000, 0))).c_str(), &info));
  EXPECT_EQ(info.length, 1000);
  EXPECT_EQ(info.format.nChannels, 2);
  EXPECT_EQ(info.format.nSamplesPerSec, 8000u);
  EXPECT_FALSE(ReadWaveInfo(folder.Write("j.wav", Bytes(40, 0)).c_str(), &info));
  EXPECT_EQ(info.length, -1);
}

}  // namespace
