#include <gtest/gtest.h>

#include "audio_fixtures.h"
#include "media/aiff_reader.h"
#include "media/audio_readers.h"

namespace {

struct AiffCase {
  const char* name;
  std::uint16_t channels;
  std::uint16_t bits;
  const char* compression;  // null: plain AIFF
  Bytes samples;            // big-endian, signed
  std::vector<float> expected;
  LONG sampleType;
};

TEST(AiffReader, DecodesEightSixteenAndTwentyFourBitsAndAifcNone) {
  RecordingHooks hooks;
  TempFolder folder;
  const std::vector<AiffCase> cases = {
      {"8-bit signed", 1, 8, nullptr, {0x00, 0x01, 0xFF, 0x80, 0x7F}, {0, 256, -256, -32768, 32512}, kSampleSigned8},
      {"16-bit stereo", 2, 16, nullptr, {0x00, 0x01, 0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF}, {1, -1, -32768, 32767},
       kSampleBigEndian16},
      {"24-bit", 1, 24, nullptr, {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x01, 0x00},
       {8388607.0f / 256, -32768, 1}, kSampleBigEndian24},
      {"AIFC NONE", 1, 16, "NONE", {0x12, 0x34, 0xED, 0xCC}, {0x1234, -0x1234}, kSampleBigEndian16},
  };
  for (const AiffCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Repeat the samples so that the sound lasts long enough to be a source.
    Bytes samples;
    std::vector<float> expected;
    for (int r = 0; r < 300; ++r) {
      samples.insert(samples.end(), c.samples.begin(), c.samples.end());
      expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    }
    const std::string path =
        folder.Write(std::string(c.name) + ".aif", AiffFile(c.channels, c.bits, 22050, samples, c.compression));
    AudioData* s = AudioData::OpenShared(path.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sampleType, c.sampleType);
    EXPECT_EQ(s->format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(s->format->nSamplesPerSec, 22050u);
    EXPECT_EQ(DecodeAll(s, 7), expected);
    s->Release();
  }
}

TEST(AiffReader, ReadSamplesGivesLittleEndianUnsignedLayout) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes eight(400, 0x00);
  eight[0] = 0x7F;
  AudioData* s = AudioData::OpenShared(folder.Write("a.aif", AiffFile(1, 8, 1000, eight)).c_str());
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->BeginRead());
  BYTE out[4];
  EXPECT_EQ(s->ReadSamples(out, 0, 2), 2);
  EXPECT_EQ(out[0], 0xFF);  // +127 becomes 255
  EXPECT_EQ(out[1], 0x80);  // 0 becomes 128
  // Past the end the signed silence still reads as the middle value.
  EXPECT_EQ(s->ReadSamples(out, 399, 4), 1);
  EXPECT_EQ(out[1], 0x80);
  EXPECT_EQ(out[3], 0x80);
  s->EndRead();
  s->Release();

  // 16-bit data cut at an odd byte: only whole pairs are swapped.
  Bytes file = AiffFile(1, 16, 1000, Bytes(1000, 0));
  file.resize(file.size() - 1);
  file[file.size() - 5] = 0x01;  // sample 497: 01 00
  file[file.size() - 1] = 0x07;  // the lone byte of sample 499
  AudioData* t = AudioData::OpenShared(folder.Write("b.aif", file).c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->LengthInSamples(), 499u);
  ASSERT_TRUE(t->BeginRead());
  BYTE pair[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(t->ReadSamples(pair, 497, 3), 2);
  EXPECT_EQ(pair[0], 0x00);
  EXPECT_EQ(pair[1], 0x01);
  EXPECT_EQ(pair[4], 0x07);
  EXPECT_EQ(pair[5], 0x00);
  t->EndRead();
  t->Release();
}

TEST(AiffReader, SampleRateIsReadInFull) {
  RecordingHooks hooks;
  TempFolder folder;
  for (std::uint32_t rate : {8000u, 44100u, 96000u, 192000u}) {
    AudioData* s = AudioData::OpenShared(folder.Write("r.aif", AiffFile(2, 16, rate, Bytes(40000, 0))).c_str());
    ASSERT_NE(s, nullptr) << rate;
    EXPECT_EQ(s->format->nSamplesPerSec, rate);
    EXPECT_EQ(s->format->nAvgBytesPerSec, rate * 4);
    EXPECT_EQ(s->length, static_cast<LONG>((40000ull * 1000 + rate * 2) / (rate * 4)));
    s->Release();
  }
  const BYTE half[10] = {0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0};  // 0.5
  EXPECT_EQ(ExtendedToRate(half), 0u);
  const BYTE negative[10] = {0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ExtendedToRate(negative), 0u);
  const BYTE huge[10] = {0x40, 0x3E, 0x80, 0, 0, 0, 0, 0, 0, 0};  // 2^63
  EXPECT_EQ(ExtendedToRate(huge), 0u);
}

TEST(AiffReader, CompressedAifcSsndOffsetAndChunkOrder) {
  RecordingHooks hooks;
  TempFolder folder;
  AudioData* c = AudioData::OpenShared(folder.Write("c.afc", AiffFile(1, 16, 8000, Bytes(800, 0), "ima4")).c_str());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->format->wFormatTag, 0xFFFF);
  EXPECT_FALSE(c->IsDirectFormat());
  c->Release();

  // Offset 4: the samples start 12 bytes after the SSND data start.
  Bytes samples(800, 0);
  samples[0] = 0x40;
  AudioData* o = AudioData::OpenShared(folder.Write("o.aif", AiffFile(1, 16, 8000, samples, nullptr, 4)).c_str());
  ASSERT_NE(o, nullptr);
  auto* wave = dynamic_cast<TReadWave*>(o);
  ASSERT_NE(wave, nullptr);
  const Bytes file = ReadWholeFile(o->fileName);
  ASSERT_LT(wave->dataChunk.dwDataOffset, static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(file[wave->dataChunk.dwDataOffset], 0x40);
  EXPECT_EQ(o->LengthInSamples(), 400u);
  EXPECT_EQ(DecodeAll(o)[0], 16384.0f);
  o->Release();

  // An odd-sized chunk with its pad byte before COMM, and SSND before COMM.
  auto be = [](const char* id, const Bytes& data) {
    ByteWriter w;
    w.Id(id).Be32(static_cast<std::uint32_t>(data.size())).Raw(data);
    if (data.size() % 2) w.Zeros(1);
    return w.bytes;
  };
  ByteWriter comm;
  comm.Be16(1).Be32(400).Be16(16).Raw(Extended(8000));
  ByteWriter ssnd;
  ssnd.Be32(0).Be32(0).Be16(0x2000).Zeros(798);
  ByteWriter body;
  body.Id("AIFF").Raw(be("ANNO", {'a', 'b', 'c'})).Raw(be("SSND", ssnd.bytes)).Raw(be("COMM", comm.bytes));
  AudioData* r = AudioData::OpenShared(folder.Write("r.aif", be("FORM", body.bytes)).c_str());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->LengthInSamples(), 400u);
  EXPECT_EQ(DecodeAll(r)[0], 8192.0f);
  r->Release();
}

TEST(AiffReader, RefusedFiles) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes shortComm = AiffFile(1, 16, 8000, Bytes(800, 0));
  shortComm[19] = 10;  // COMM size 10 (after the FORM header, its type and the COMM id)
  struct Case {
    const char* name;
    Bytes file;
    LONG error;
  };
  const std::vector<Case> cases = {
      {"12-bit", AiffFile(1, 12, 8000, Bytes(800, 0)), 6},
      {"three channels", AiffFile(3, 16, 8000, Bytes(1200, 0)), 6},
      {"no channels", AiffFile(0, 16, 8000, Bytes(800, 0)), 6},
      {"rate zero", AiffFile(1, 16, 0, Bytes(800, 0)), 6},
      {"short COMM", shortComm, 6},
      {"FORM of another type", [] {
         Bytes f = AiffFile(1, 16, 8000, Bytes(800, 0));
         f[8] = 'X';
         return f;
       }(), 6},
      {"cut inside COMM", [] {
         Bytes f = AiffFile(1, 16, 8000, Bytes(800, 0));
         f.resize(24);
         return f;
       }(), 19},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Write(std::string(c.name) + ".aif", c.file);
    EXPECT_EQ(AudioData::OpenShared(path.c_str()), nullptr);
    TReadWave reader(path.c_str());
    EXPECT_EQ(reader.error, c.error);
  }
  EXPECT_EQ(SharedSourceCount(), 0);
}

}  // namespace
