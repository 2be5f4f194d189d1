#include "media/sample_routines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

WAVEFORMATEX Format(WORD tag, WORD channels, WORD bits, WORD blockAlign, DWORD rate = 44100) {
  WAVEFORMATEX f{};
  f.wFormatTag = tag;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = blockAlign;
  f.nAvgBytesPerSec = rate * blockAlign;
  return f;
}

// A block over raw bytes with room for the float result.
struct RawBlock {
  std::vector<float> memory;
  SampleBlock block;
  RawBlock(const WAVEFORMATEX& f, const std::vector<BYTE>& raw) {
    const LONG frames = static_cast<LONG>(raw.size() / f.nBlockAlign);
    memory.assign(std::max(static_cast<size_t>(frames) * f.nChannels, raw.size() / 4 + 1) + 1, -1.0f);
    std::memcpy(memory.data(), raw.data(), raw.size());
    block.data = memory.data();
    block.requested = frames;
    block.held = frames;
    block.capacity = frames;
    block.format = BlockFormatOf(f);
  }
  std::vector<float> Floats() const {
    return std::vector<float>(memory.begin(), memory.begin() + block.held * block.format.nChannels);
  }
};

std::vector<float> Convert(const WAVEFORMATEX& f, LONG type, const std::vector<BYTE>& raw) {
  RawBlock b(f, raw);
  SelectSampleRoutines(f, type).ToFloat(&b.block);
  EXPECT_EQ(b.memory.back(), -1.0f) << "wrote past the converted samples";
  return b.Floats();
}

struct ToFloatCase {
  const char* name;
  WAVEFORMATEX format;
  LONG type;
  std::vector<BYTE> raw;
  std::vector<float> expected;
};

TEST(ToFloat, ConvertsEverySampleTypeToTheSixteenBitScale) {
  const float kMax24 = 8388607.0f * 256.0f / 65536.0f;  // 32767.99609375
  const std::vector<ToFloatCase> cases = {
      {"unsigned 8", Format(1, 1, 8, 1), kSampleLittleEndian, {128, 0, 255, 129}, {0, -32768, 32512, 256}},
      {"signed 8 keeps its sign", Format(1, 1, 8, 1), kSampleSigned8, {0, 1, 0xFF, 0x80, 0x7F},
       {0, 256, -256, -32768, 32512}},
      {"16-bit stereo", Format(1, 2, 16, 4), kSampleLittleEndian, {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F},
       {1, -1, -32768, 32767}},
      {"big-endian 16", Format(1, 1, 16, 2), kSampleBigEndian16, {0x00, 0x01, 0xFF, 0xFF, 0x80, 0x00},
       {1, -1, -32768}},
      {"packed 24 mono", Format(1, 1, 24, 3), kSampleLittleEndian, {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x00, 0x01, 0x00},
       {kMax24, -32768, 1}},
      {"packed 24 stereo", Format(1, 2, 24, 6), kSamplePacked24, {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80},
       {kMax24, -32768}},
      {"packed 20 stereo", Format(1, 2, 20, 6), kSamplePacked24, {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0},
       {16384, -16384}},
      {"big-endian 24", Format(1, 1, 24, 3), kSampleBigEndian24, {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x01, 0x00},
       {kMax24, -32768, 1}},
      {"32-bit PCM", Format(1, 1, 32, 4), kSampleLittleEndian, {0, 0, 0, 0x80, 0, 0, 1, 0}, {-32768, 1}},
      {"24 bits in 4 bytes", Format(1, 2, 24, 8), kSampleLittleEndian, {0, 0, 0, 0x40, 0, 0, 0, 0xC0},
       {16384, -16384}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Convert(c.format, c.type, c.raw), c.expected);
  }
}

TEST(ToFloat, IeeeFloatScalesToFullRange) {
  const float in[] = {0.5f, -1.0f, 1.0f, 0.0f};
  std::vector<BYTE> raw(sizeof in);
  std::memcpy(raw.data(), in, sizeof in);
  EXPECT_EQ(Convert(Format(3, 2, 32, 8), kSampleFloat32, raw), (std::vector<float>{16384, -32768, 32768, 0}));
}

TEST(ToFloat, RewritesTheBlockFormatAsFloat) {
  const WAVEFORMATEX f = Format(1, 2, 16, 4, 48000);
  RawBlock b(f, std::vector<BYTE>(12, 0));
  SelectSampleRoutines(f, kSampleLittleEndian).ToFloat(&b.block);
  EXPECT_EQ(b.block.format.wFormatTag, 1);
  EXPECT_EQ(b.block.format.wBitsPerSample, 32);
  EXPECT_EQ(b.block.format.nBlockAlign, 8);
  EXPECT_EQ(b.block.format.nAvgBytesPerSec, 8u * 48000);
  EXPECT_EQ(b.block.format.nChannels, 2);
}

TEST(ToFloat, LongBlocksConvertAcrossChunkBoundaries) {
  // Several internal chunks: every sample must land at its own index.
  const WAVEFORMATEX f = Format(1, 1, 16, 2);
  std::vector<BYTE> raw;
  std::vector<float> expected;
  for (int i = 0; i < 3000; ++i) {
    const std::int16_t v = static_cast<std::int16_t>(i * 7 - 10000);
    raw.push_back(static_cast<BYTE>(v));
    raw.push_back(static_cast<BYTE>(static_cast<std::uint16_t>(v) >> 8));
    expected.push_back(v);
  }
  EXPECT_EQ(Convert(f, kSampleLittleEndian, raw), expected);
}

TEST(ToFloat, UnusableDataIsLeftAsItIs) {
  const WAVEFORMATEX f = Format(2, 1, 4, 256);
  RawBlock b(f, std::vector<BYTE>(256, 7));
  const SampleBlockFormat before = b.block.format;
  SelectSampleRoutines(f, kSampleUnusable).ToFloat(&b.block);
  EXPECT_EQ(std::memcmp(&before, &b.block.format, sizeof before), 0);
  EXPECT_EQ(reinterpret_cast<BYTE*>(b.memory.data())[100], 7);
}

SampleBlock FloatBlock(std::vector<float>& samples, WORD channels) {
  SampleBlock b;
  b.data = samples.data();
  b.format.nChannels = channels;
  b.held = static_cast<LONG>(samples.size() / channels);
  return b;
}

TEST(GainRoutines, MonoAndStereoSources) {
  std::vector<float> stereo = {100, 300, -50, 50, 10, 20};
  SampleBlock sb = FloatBlock(stereo, 2);
  SampleRoutines st = SelectSampleRoutines(Format(1, 2, 16, 4), 0);
  std::vector<float> out(4, 99);
  st.GainToMono(out.data(), 1, &sb, 0, 2, 1.0f);
  EXPECT_EQ(out, (std::vector<float>{99, 200, 0, 99}));

  std::vector<float> mono = {1, 2, 3, 4};
  SampleBlock mb = FloatBlock(mono, 1);
  SampleRoutines mr = SelectSampleRoutines(Format(1, 1, 16, 2), 0);
  mr.GainToMonoRamp(out.data(), 0, &mb, 0, 4, 0.0f, 0.25f);
  EXPECT_EQ(out, (std::vector<float>{0, 0.5f, 1.5f, 3}));

  std::vector<float> so(6, 99);
  mr.GainToStereo(so.data(), 1, &mb, 2, 2, 2.0f, -1.0f);
  EXPECT_EQ(so, (std::vector<float>{99, 99, 6, -3, 8, -4}));
  st.GainToStereo(so.data(), 0, &sb, 1, 2, 1.0f, 2.0f);
  EXPECT_EQ(so, (std::vector<float>{-50, 100, 10, 40, 8, -4}));
}

TEST(GainRoutines, RampsStepOnlyTheirSide) {
  std::vector<float> mono = {1, 1, 1};
  SampleBlock mb = FloatBlock(mono, 1);
  SampleRoutines r = SelectSampleRoutines(Format(1, 1, 16, 2), 0);
  std::vector<float> out(6);
  r.GainToStereoRamps(out.data(), 0, &mb, 0, 3, 0.0f, 1.0f, 1.0f, -0.5f);
  EXPECT_EQ(out, (std::vector<float>{0, 1, 1, 0.5f, 2, 0}));
  r.GainToStereoRampRight(out.data(), 0, &mb, 0, 3, 3.0f, 1.0f, 1.0f);
  EXPECT_EQ(out, (std::vector<float>{3, 1, 3, 2, 3, 3}));
  r.GainToStereoRampLeft(out.data(), 0, &mb, 0, 3, 1.0f, 1.0f, 5.0f);
  EXPECT_EQ(out, (std::vector<float>{1, 5, 2, 5, 3, 5}));
}

TEST(Envelopes, MultiplyFromTheirIndexAndIgnoreEmptyCounts) {
  std::vector<float> stereo = {1, 2, 3, 4, 5, 6};
  SampleBlock sb = FloatBlock(stereo, 2);
  SampleRoutines r = SelectSampleRoutines(Format(1, 2, 16, 4), 0);
  const float env[] = {9, 10, 0.5f, 2};
  r.ApplyEnvelope(env, &sb, 2, 2);
  EXPECT_EQ(stereo, (std::vector<float>{0.5f, 1, 6, 8, 5, 6}));
  r.ApplyEnvelopeAt(env, &sb, 2, 1, 1);
  EXPECT_EQ(stereo, (std::vector<float>{0.5f, 1, 6, 8, 50, 60}));
  r.ApplyEnvelope(env, &sb, 0, 0);
  r.ApplyEnvelopeAt(env, &sb, 0, 0, -3);
  EXPECT_EQ(stereo, (std::vector<float>{0.5f, 1, 6, 8, 50, 60}));
}

TEST(SampleTypeOfFormat, Codes) {
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 1, 8, 1)), 1);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 2, 16, 4)), 2);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 2, 20, 6)), 3);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 2, 24, 6)), 4);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 2, 24, 8)), 5);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 2, 24, 7)), 0);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 1, 32, 4)), 6);
  EXPECT_EQ(SampleTypeOfFormat(Format(3, 1, 32, 4)), 7);
  EXPECT_EQ(SampleTypeOfFormat(Format(2, 1, 32, 4)), 0);
  EXPECT_EQ(SampleTypeOfFormat(Format(1, 1, 12, 2)), 0);
}

TEST(SampleTypes, FromFormatAndSupportedLayouts) {
  EXPECT_EQ(SampleTypeFromFormat(Format(3, 2, 32, 8)), kSampleFloat32);
  EXPECT_EQ(SampleTypeFromFormat(Format(1, 2, 24, 6)), kSamplePacked24);
  EXPECT_EQ(SampleTypeFromFormat(Format(1, 1, 24, 3)), kSampleLittleEndian);
  EXPECT_EQ(SampleTypeFromFormat(Format(2, 1, 4, 256)), kSampleUnusable);
  EXPECT_TRUE(IsSupportedSampleLayout(Format(1, 2, 24, 8)));
  EXPECT_FALSE(IsSupportedSampleLayout(Format(1, 3, 16, 6)));   // three channels
  EXPECT_FALSE(IsSupportedSampleLayout(Format(1, 0, 16, 2)));   // none
  EXPECT_FALSE(IsSupportedSampleLayout(Format(1, 2, 16, 2)));   // block align too small
  EXPECT_FALSE(IsSupportedSampleLayout(Format(1, 1, 16, 8)));   // block align too large
  EXPECT_FALSE(IsSupportedSampleLayout(Format(3, 1, 64, 8)));   // double
  EXPECT_FALSE(IsSupportedSampleLayout(Format(1, 1, 12, 2)));
}

TEST(OutputWriters, TwentyFourBitFloatAndSilence) {
  const float in[] = {1.0f, -1.5f, 32767.99609375f, 1e9f, -1e9f};
  BYTE out[15];
  Write24BitSamples(out, in, sizeof out);
  const BYTE expected[15] = {0x00, 0x01, 0x00, 0x80, 0xFE, 0xFF, 0xFF, 0xFF, 0x7F,
                             0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80};  // -384 truncates toward zero; clipped ends
  EXPECT_EQ(std::memcmp(out, expected, sizeof out), 0);

  float f[2];
  WriteIeeeFloatSamples(f, in, 8);
  EXPECT_EQ(f[1], -1.5f / 32768.0f);

  BYTE buf[7];
  SetOutputSilenceByte(128);
  FillSilence(buf, 7);
  for (BYTE b : buf) EXPECT_EQ(b, 128);
  SetOutputSilenceByte(0);
  FillSilence(buf, 5);
  EXPECT_EQ(buf[4], 0);
  EXPECT_EQ(buf[5], 128);
}

}  // namespace
