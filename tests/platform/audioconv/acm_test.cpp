#include "platform/audioconv/acm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits, WORD tag = WAVE_FORMAT_PCM) {
  WAVEFORMATEX f{};
  f.wFormatTag = tag;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = static_cast<WORD>(channels * ((bits + 7) / 8));
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}

WAVEFORMATEX Law(WORD tag, WORD channels, DWORD rate) {
  WAVEFORMATEX f = Pcm(channels, rate, 8, tag);
  return f;
}

IMAADPCMWAVEFORMAT Ima(WORD channels, DWORD rate, WORD blockAlign) {
  IMAADPCMWAVEFORMAT f{};
  f.wfx.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
  f.wfx.nChannels = channels;
  f.wfx.nSamplesPerSec = rate;
  f.wfx.nBlockAlign = blockAlign;
  f.wfx.wBitsPerSample = 4;
  f.wfx.cbSize = 2;
  f.wSamplesPerBlock = static_cast<WORD>(
      channels == 1 ? 1 + 2 * (blockAlign - 4) : 1 + 8 * ((blockAlign - 4 * channels) / (4 * channels)));
  f.wfx.nAvgBytesPerSec = rate * blockAlign / f.wSamplesPerBlock;
  return f;
}

// Runs a whole conversion through one stream as a caller does: buffers from
// acmStreamSize, chunks of sourceChunk bytes, the end flag on the last.
Bytes ConvertAll(WAVEFORMATEX* source, WAVEFORMATEX* destination, const Bytes& input, DWORD sourceChunk) {
  HACMSTREAM stream = nullptr;
  EXPECT_EQ(acmStreamOpen(&stream, nullptr, source, destination, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME),
            MMSYSERR_NOERROR);
  if (stream == nullptr) return {};
  DWORD destinationSize = 0;
  EXPECT_EQ(acmStreamSize(stream, sourceChunk, &destinationSize, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
  Bytes src(sourceChunk), dst(destinationSize);
  ACMSTREAMHEADER header;
  header.pbSrc = src.data();
  header.cbSrcLength = sourceChunk;
  header.pbDst = dst.data();
  header.cbDstLength = destinationSize;
  EXPECT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  Bytes out;
  std::size_t position = 0;
  DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
  for (int guard = 0; guard < 1000000; ++guard) {
    const std::size_t n = std::min<std::size_t>(sourceChunk, input.size() - position);
    std::memcpy(src.data(), input.data() + position, n);
    header.cbSrcLength = static_cast<DWORD>(n);
    if (n < sourceChunk) flags = (flags | ACM_STREAMCONVERTF_END) & ~ACM_STREAMCONVERTF_BLOCKALIGN;
    EXPECT_EQ(acmStreamConvert(stream, &header, flags), MMSYSERR_NOERROR);
    if (header.cbSrcLengthUsed > 0) flags &= ~ACM_STREAMCONVERTF_START;
    if (header.cbSrcLengthUsed < n) flags &= ~ACM_STREAMCONVERTF_END;
    position += header.cbSrcLengthUsed;
    out.insert(out.end(), dst.begin(), dst.begin() + header.cbDstLengthUsed);
    if (flags & ACM_STREAMCONVERTF_END) break;
  }
  header.cbSrcLength = sourceChunk;
  EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
  return out;
}

std::vector<std::int16_t> Int16s(const Bytes& b) {
  std::vector<std::int16_t> v(b.size() / 2);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::int16_t>(b[2 * i] | (b[2 * i + 1] << 8));
  return v;
}

Bytes BytesOf(const std::vector<std::int16_t>& v) {
  Bytes b(v.size() * 2);
  for (std::size_t i = 0; i < v.size(); ++i) {
    b[2 * i] = static_cast<BYTE>(v[i]);
    b[2 * i + 1] = static_cast<BYTE>(static_cast<std::uint16_t>(v[i]) >> 8);
  }
  return b;
}

std::vector<std::int16_t> Sine(std::size_t frames, int channels, double hz, double rate, double amplitude) {
  std::vector<std::int16_t> v(frames * channels);
  for (std::size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      v[i * channels + c] =
          static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate + c * 0.5)));
  return v;
}

TEST(AcmDecoders, LawExtremesAndZeros) {
  WAVEFORMATEX mu = Law(WAVE_FORMAT_MULAW, 1, 8000), a = Law(WAVE_FORMAT_ALAW, 1, 8000),
               out = Pcm(1, 8000, 16);
  EXPECT_EQ(Int16s(ConvertAll(&mu, &out, Bytes{0xFF, 0x7F, 0x00, 0x80}, 64)),
            (std::vector<std::int16_t>{0, 0, -32124, 32124}));
  EXPECT_EQ(Int16s(ConvertAll(&a, &out, Bytes{0xD5, 0x55, 0xAA, 0x2A}, 64)),
            (std::vector<std::int16_t>{8, -8, 32256, -32256}));
}

TEST(AcmStreams, SameRateConversionsAreExact) {
  const std::vector<std::int16_t> stereo = {0, 0, 32767, -32768, 256, -256, 100, 300, -1, 1};
  WAVEFORMATEX s16 = Pcm(2, 22050, 16);
  {
    WAVEFORMATEX d = s16;
    EXPECT_EQ(Int16s(ConvertAll(&s16, &d, BytesOf(stereo), 1024)), stereo);
  }
  {
    // To 8 bits: rounded to the nearest step, unsigned.
    WAVEFORMATEX d = Pcm(2, 22050, 8);
    EXPECT_EQ(ConvertAll(&s16, &d, BytesOf(stereo), 1024),
              (Bytes{128, 128, 255, 0, 129, 127, 128, 129, 128, 128}));
  }
  {
    // To mono: the mean of both channels.
    WAVEFORMATEX d = Pcm(1, 22050, 16);
    EXPECT_EQ(Int16s(ConvertAll(&s16, &d, BytesOf(stereo), 1024)),
              (std::vector<std::int16_t>{0, 0, 0, 200, 0}));
  }
  {
    // To 24 and 32 bits and back, and through float: unchanged.
    for (WORD bits : {24, 32}) {
      WAVEFORMATEX wide = Pcm(2, 22050, bits);
      const Bytes w = ConvertAll(&s16, &wide, BytesOf(stereo), 1024);
      ASSERT_EQ(w.size(), stereo.size() * bits / 8);
      EXPECT_EQ(w[bits / 8 - 1], 0);  // 0 stays 0 in its top byte
      EXPECT_EQ(Int16s(ConvertAll(&wide, &s16, w, 1024)), stereo);
    }
    WAVEFORMATEX f = Pcm(2, 22050, 32, WAVE_FORMAT_IEEE_FLOAT);
    const Bytes floats = ConvertAll(&s16, &f, BytesOf(stereo), 1024);
    float second;
    std::memcpy(&second, floats.data() + 8, 4);
    EXPECT_FLOAT_EQ(second, 32767.0f / 32768.0f);
    EXPECT_EQ(Int16s(ConvertAll(&f, &s16, floats, 1024)), stereo);
  }
  {
    // Mono to stereo repeats the sample; 8 bits widen exactly.
    WAVEFORMATEX m8 = Pcm(1, 22050, 8), d = Pcm(2, 22050, 16);
    EXPECT_EQ(Int16s(ConvertAll(&m8, &d, Bytes{0, 128, 255}, 1024)),
              (std::vector<std::int16_t>{-32768, -32768, 0, 0, 32512, 32512}));
  }
}

TEST(AcmStreams, FloatOutOfRangeClampsAndNanIsSilence) {
  WAVEFORMATEX f = Pcm(1, 8000, 32, WAVE_FORMAT_IEEE_FLOAT), d = Pcm(1, 8000, 16);
  const float values[] = {2.0f, -3.0f, NAN, 1.0f};
  Bytes in(sizeof values);
  std::memcpy(in.data(), values, sizeof values);
  EXPECT_EQ(Int16s(ConvertAll(&f, &d, in, 64)), (std::vector<std::int16_t>{32767, -32768, 0, 32767}));
}

TEST(AcmStreams, ResamplingKeepsATonesShapeAndLength) {
  struct Case {
    DWORD from;
    DWORD to;
  };
  for (const Case c : {Case{22050, 11025}, Case{44100, 48000}, Case{8000, 44100}, Case{48000, 8000}}) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
    const std::size_t frames = c.from;  // one second
    const auto in = Sine(frames, 2, 440.0, c.from, 12000.0);
    WAVEFORMATEX s = Pcm(2, c.from, 16), d = Pcm(2, c.to, 16);
    const auto out = Int16s(ConvertAll(&s, &d, BytesOf(in), 4000));
    ASSERT_EQ(out.size(), 2u * c.to);  // ceil(frames * to / from)
    double worst = 0;
    // Away from the ends the output is the same tone at the new rate.
    for (std::size_t i = 200; i + 200 < c.to; ++i)
      for (int ch = 0; ch < 2; ++ch) {
        const double expect = 12000.0 * std::sin(2 * M_PI * 440.0 * i / c.to + ch * 0.5);
        worst = std::max(worst, std::fabs(out[i * 2 + ch] - expect));
      }
    EXPECT_LT(worst, 40.0);
  }
}

// Tones in the kept band pass at their level; tones past the new Nyquist
// frequency leave nothing to hear. Float in and out, so that the floor is
// the resampler's and not 16-bit rounding.
TEST(AcmStreams, ResamplingKeepsTheBandAndRejectsWhatWouldAlias) {
  struct Case {
    DWORD from, to;
    double hz;
    bool kept;
  } cases[] = {
      {44100, 48000, 20000.0, true},  // 91% of the old Nyquist frequency
      {48000, 8000, 3750.0, true},    // 94% of the new one
      {48000, 44100, 23000.0, false}, {48000, 8000, 4400.0, false}, {22050, 11025, 6000.0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to) + " at " + std::to_string(c.hz));
    Bytes in(4 * c.from);  // one second
    for (std::size_t i = 0; i < c.from; ++i) {
      const float v = static_cast<float>(0.5 * std::sin(2 * M_PI * c.hz * i / c.from));
      std::memcpy(&in[4 * i], &v, 4);
    }
    WAVEFORMATEX s = Pcm(1, c.from, 32, WAVE_FORMAT_IEEE_FLOAT), d = Pcm(1, c.to, 32, WAVE_FORMAT_IEEE_FLOAT);
    const Bytes out = ConvertAll(&s, &d, in, 8192);
    ASSERT_EQ(out.size(), 4u * c.to);
    // The level away from the ends, against the input's.
    double sum = 0;
    const std::size_t from = c.to / 10, to = c.to - c.to / 10;
    for (std::size_t i = from; i < to; ++i) {
      float v;
      std::memcpy(&v, &out[4 * i], 4);
      sum += static_cast<double>(v) * v;
    }
    const double level = std::sqrt(sum / static_cast<double>(to - from)) / (0.5 / std::sqrt(2.0));
    const double dB = 20 * std::log10(std::max(level, 1e-12));
    if (c.kept) {
      EXPECT_NEAR(dB, 0.0, 0.05);
    } else {
      EXPECT_LT(dB, -100.0);
    }
  }
}

TEST(AcmStreams, OutputDoesNotDependOnHowTheSourceIsCut) {
  const auto in = Sine(30011, 1, 1234.5, 44100, 20000.0);
  WAVEFORMATEX s = Pcm(1, 44100, 16), d = Pcm(2, 32000, 8);
  const Bytes whole = ConvertAll(&s, &d, BytesOf(in), 1 << 20);
  for (DWORD chunk : {2u, 98u, 1001u, 4096u}) {
    SCOPED_TRACE(chunk);
    EXPECT_EQ(ConvertAll(&s, &d, BytesOf(in), chunk), whole);
  }
}

TEST(AcmStreams, SizesHoldTheWholeConversion) {
  WAVEFORMATEX s = Pcm(2, 44100, 16), d = Pcm(1, 11025, 8);
  HACMSTREAM stream = nullptr;
  ASSERT_EQ(acmStreamOpen(&stream, nullptr, &s, &d, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  DWORD source = 0, destination = 0;
  // Eight 1024-byte destination units hold the conversion of this many
  // source bytes; the resampler's own delay needs more room than one.
  ASSERT_EQ(acmStreamSize(stream, 8 * 1024, &source, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOERROR);
  EXPECT_EQ(source % 4, 0u);
  EXPECT_GT(source, 3000u);
  ASSERT_EQ(acmStreamSize(stream, source, &destination, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
  EXPECT_GE(destination, source / 16);
  DWORD none = 0;
  EXPECT_EQ(acmStreamSize(stream, 2, &none, ACM_STREAMSIZEF_DESTINATION), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);

  // An IMA block does not fit a small destination.
  IMAADPCMWAVEFORMAT ima = Ima(2, 44100, 2048);
  WAVEFORMATEX pcm = Pcm(2, 44100, 16);
  ASSERT_EQ(acmStreamOpen(&stream, nullptr, &ima.wfx, &pcm, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamSize(stream, 1024, &none, ACM_STREAMSIZEF_DESTINATION), ACMERR_NOTPOSSIBLE);
  ASSERT_EQ(acmStreamSize(stream, 1024 * 8, &source, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOERROR);
  EXPECT_EQ(source, 2048u);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
}

TEST(AcmStreams, HandlesAndHeadersAreChecked) {
  WAVEFORMATEX s = Pcm(1, 8000, 16), d = Pcm(1, 8000, 8);
  HACMSTREAM stream = nullptr;
  ASSERT_EQ(acmStreamOpen(&stream, nullptr, &s, &d, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  Bytes src(64), dst(64);
  ACMSTREAMHEADER header;
  header.pbSrc = src.data();
  header.cbSrcLength = 64;
  header.pbDst = dst.data();
  header.cbDstLength = 64;
  EXPECT_EQ(acmStreamConvert(stream, &header, 0), ACMERR_UNPREPARED);
  ASSERT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_TRUE(header.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);
  header.cbSrcLength = 65;  // longer than prepared
  EXPECT_EQ(acmStreamConvert(stream, &header, 0), MMSYSERR_INVALPARAM);
  header.cbSrcLength = 64;
  EXPECT_EQ(acmStreamConvert(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(header.cbSrcLengthUsed, 64u);
  EXPECT_EQ(header.cbDstLengthUsed, 32u);
  EXPECT_EQ(acmStreamClose(stream, 0), ACMERR_BUSY);
  EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_INVALHANDLE);
  DWORD size;
  EXPECT_EQ(acmStreamSize(stream, 64, &size, 0), MMSYSERR_INVALHANDLE);
}

TEST(AcmStreams, OpenQueriesWhatTheDriverConvertsDirectly) {
  WAVEFORMATEX mu = Law(WAVE_FORMAT_MULAW, 2, 8000);
  IMAADPCMWAVEFORMAT ima = Ima(1, 22050, 512);
  IMAADPCMWAVEFORMAT badIma = ima;
  badIma.wSamplesPerBlock = 2000;  // more than a block holds
  WAVEFORMATEX bad24 = Pcm(1, 8000, 24);
  bad24.nBlockAlign = 2;
  struct Case {
    WAVEFORMATEX* source;
    WAVEFORMATEX destination;
    MMRESULT result;
  };
  const Case cases[] = {
      {&mu, Pcm(2, 8000, 16), MMSYSERR_NOERROR},
      {&mu, Pcm(2, 8000, 8), ACMERR_NOTPOSSIBLE},
      {&mu, Pcm(2, 11025, 16), ACMERR_NOTPOSSIBLE},
      {&mu, Pcm(1, 8000, 16), ACMERR_NOTPOSSIBLE},
      {&ima.wfx, Pcm(1, 22050, 16), MMSYSERR_NOERROR},
      {&badIma.wfx, Pcm(1, 22050, 16), ACMERR_NOTPOSSIBLE},
      {&bad24, Pcm(1, 8000, 16), ACMERR_NOTPOSSIBLE},
      {&mu, Law(WAVE_FORMAT_MULAW, 2, 8000), ACMERR_NOTPOSSIBLE},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX d = c.destination;
    EXPECT_EQ(acmStreamOpen(nullptr, nullptr, c.source, &d, nullptr, 0, 0, ACM_STREAMOPENF_QUERY), c.result)
        << c.source->wFormatTag << " -> " << d.wBitsPerSample << " bit " << d.nSamplesPerSec;
  }
}

TEST(AcmFormats, SuggestionsKeepWhatTheyAreAskedToKeep) {
  WAVEFORMATEX mu = Law(WAVE_FORMAT_MULAW, 1, 8000);
  WAVEFORMATEX d = mu;
  d.wFormatTag = WAVE_FORMAT_PCM;
  const DWORD all =
      ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS | ACM_FORMATSUGGESTF_NSAMPLESPERSEC;
  EXPECT_EQ(acmFormatSuggest(nullptr, &mu, &d, sizeof d, all | ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
            ACMERR_NOTPOSSIBLE);
  ASSERT_EQ(acmFormatSuggest(nullptr, &mu, &d, sizeof d, all), MMSYSERR_NOERROR);
  EXPECT_EQ(d.wBitsPerSample, 16);
  EXPECT_EQ(d.nBlockAlign, 2);
  EXPECT_EQ(d.nAvgBytesPerSec, 16000u);

  WAVEFORMATEX s = Pcm(2, 44100, 24);
  WAVEFORMATEX e = Pcm(1, 8000, 8);
  ASSERT_EQ(acmFormatSuggest(nullptr, &s, &e, sizeof e, ACM_FORMATSUGGESTF_NCHANNELS), MMSYSERR_NOERROR);
  EXPECT_EQ(e.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(e.nChannels, 1);
  EXPECT_EQ(e.nSamplesPerSec, 44100u);
  EXPECT_EQ(e.wBitsPerSample, 24);
  EXPECT_EQ(acmFormatSuggest(nullptr, &s, &e, 4, 0), MMSYSERR_INVALPARAM);

  DWORD largest = 0;
  ASSERT_EQ(acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &largest), MMSYSERR_NOERROR);
  EXPECT_GE(largest, sizeof(IMAADPCMWAVEFORMAT));
}

class ScriptedChooser : public AcmFormatChooserUi {
 public:
  ScriptedChooser() { previous_ = SetAcmFormatChooserUi(this); }
  ~ScriptedChooser() override { SetAcmFormatChooserUi(previous_); }
  int Choose(HWND, LPCSTR t, const std::vector<AcmFormatChoice>& c, int i) override {
    title = t != nullptr ? t : "";
    choices = c;
    initial = i;
    return answer(c);
  }
  std::function<int(const std::vector<AcmFormatChoice>&)> answer = [](const auto&) { return -1; };
  std::string title;
  std::vector<AcmFormatChoice> choices;
  int initial = -1;

 private:
  AcmFormatChooserUi* previous_;
};

TEST(AcmFormats, TheChooserOffersWhatTheSourceConvertsTo) {
  WAVEFORMATEX mu = Law(WAVE_FORMAT_MULAW, 1, 37800);
  WAVEFORMATEX chosen{};
  ACMFORMATCHOOSE choose;
  choose.pwfx = &chosen;
  choose.cbwfx = sizeof chosen;
  choose.pszTitle = "Destination Format Selection";
  choose.fdwEnum = ACM_FORMATENUMF_CONVERT;
  choose.pwfxEnum = &mu;
  EXPECT_EQ(acmFormatChoose(&choose), MMSYSERR_NOTSUPPORTED);  // no dialog installed

  ScriptedChooser ui;
  EXPECT_EQ(acmFormatChoose(&choose), ACMERR_CANCELED);
  EXPECT_EQ(ui.title, "Destination Format Selection");
  ASSERT_EQ(ui.choices.size(), 1u);  // the decoder's one output, at the source's own rate
  EXPECT_EQ(ui.choices[0].format.nSamplesPerSec, 37800u);
  EXPECT_STREQ(ui.choices[0].description, "37,800 Hz, 16 Bit, Mono");

  // PCM only, opened on a given format; the pick is copied out with its names.
  WAVEFORMATEX start = Pcm(2, 22050, 16);
  chosen = start;
  choose.fdwEnum = ACM_FORMATENUMF_WFORMATTAG;
  choose.pwfxEnum = &start;
  choose.fdwStyle = ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT;
  ui.answer = [](const std::vector<AcmFormatChoice>& c) {
    for (std::size_t i = 0; i < c.size(); ++i)
      if (c[i].format.nSamplesPerSec == 11025 && c[i].format.wBitsPerSample == 8 &&
          c[i].format.nChannels == 1)
        return static_cast<int>(i);
    return -1;
  };
  ASSERT_EQ(acmFormatChoose(&choose), MMSYSERR_NOERROR);
  for (const AcmFormatChoice& c : ui.choices) EXPECT_EQ(c.format.wFormatTag, WAVE_FORMAT_PCM);
  ASSERT_GE(ui.initial, 0);
  EXPECT_EQ(ui.choices[static_cast<std::size_t>(ui.initial)].format.nSamplesPerSec, 22050u);
  EXPECT_EQ(ui.choices[static_cast<std::size_t>(ui.initial)].format.nChannels, 2);
  EXPECT_EQ(chosen.nSamplesPerSec, 11025u);
  EXPECT_EQ(chosen.nBlockAlign, 1);
  EXPECT_STREQ(choose.szFormatTag, "PCM");
  EXPECT_STREQ(choose.szFormat, "11,025 Hz, 8 Bit, Mono");

  choose.cbwfx = 8;
  EXPECT_EQ(acmFormatChoose(&choose), ACMERR_NOTPOSSIBLE);
}

TEST(AcmStreams, AnyBytesDecodeWithinTheirBuffers) {
  std::mt19937 random(99);
  for (int round = 0; round < 40; ++round) {
    const WORD channels = static_cast<WORD>(1 + random() % 2);
    const WORD align = static_cast<WORD>(channels * 4 * (2 + random() % 64));
    IMAADPCMWAVEFORMAT ima = Ima(channels, 8000 + random() % 40000, align);
    Bytes data(random() % 20000);
    for (BYTE& b : data) b = static_cast<BYTE>(random());
    // Headers with step indexes past the table's end, cut-off last blocks.
    WAVEFORMATEX out =
        Pcm(static_cast<WORD>(1 + random() % 2), 8000 + random() % 40000, 8 * (1 + random() % 4));
    WAVEFORMATEX direct = Pcm(channels, ima.wfx.nSamplesPerSec, 16);
    const Bytes pcm = ConvertAll(&ima.wfx, &direct, data, align * (1 + random() % 4));
    const std::size_t blocks = (data.size() + align - 1) / align;
    EXPECT_LE(pcm.size(), blocks * ima.wSamplesPerBlock * 2u * channels);
    WAVEFORMATEX mid = direct;
    ConvertAll(&mid, &out, pcm, 1 + random() % 5000);
  }
}

// ---- against sox, when it is installed

bool HaveSox() {
  return std::system("sox --version > /dev/null 2>&1") == 0;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::uint32_t Le32(const BYTE* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The "fmt " record (into memory layout) and the "data" bytes of a WAVE file.
bool SplitWave(const Bytes& file, Bytes* format, Bytes* data) {
  std::size_t p = 12;
  bool haveFormat = false;
  while (p + 8 <= file.size()) {
    const std::string id(reinterpret_cast<const char*>(&file[p]), 4);
    const std::uint32_t size = Le32(&file[p + 4]);
    const std::size_t end = std::min<std::size_t>(file.size(), p + 8 + size);
    if (id == "fmt ") {
      format->assign(sizeof(WAVEFORMATEX) + 64, 0);
      WAVEFORMATEX f{};
      const BYTE* b = &file[p + 8];
      f.wFormatTag = static_cast<WORD>(b[0] | (b[1] << 8));
      f.nChannels = static_cast<WORD>(b[2] | (b[3] << 8));
      f.nSamplesPerSec = Le32(b + 4);
      f.nAvgBytesPerSec = Le32(b + 8);
      f.nBlockAlign = static_cast<WORD>(b[12] | (b[13] << 8));
      f.wBitsPerSample = static_cast<WORD>(b[14] | (b[15] << 8));
      f.cbSize = size >= 18 ? static_cast<WORD>(b[16] | (b[17] << 8)) : 0;
      std::memcpy(format->data(), &f, sizeof f);
      if (size > 18) std::memcpy(format->data() + sizeof f, b + 18, std::min<std::size_t>(size - 18, 64));
      haveFormat = true;
    } else if (id == "data") {
      data->assign(file.begin() + static_cast<std::ptrdiff_t>(p + 8),
                   file.begin() + static_cast<std::ptrdiff_t>(end));
      return haveFormat;
    }
    p += 8 + size + (size & 1);
  }
  return false;
}

TEST(AcmAgainstSox, EveryLawCodeDecodesAsSoxDecodesIt) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  char folder[] = "/tmp/kbx_acm_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  Bytes codes(256);
  for (int i = 0; i < 256; ++i) codes[static_cast<std::size_t>(i)] = static_cast<BYTE>(i);
  std::ofstream(dir + "/codes.raw", std::ios::binary).write(reinterpret_cast<const char*>(codes.data()), 256);
  for (WORD tag : {WAVE_FORMAT_MULAW, WAVE_FORMAT_ALAW}) {
    SCOPED_TRACE(tag);
    const std::string encoding = tag == WAVE_FORMAT_MULAW ? "mu-law" : "a-law";
    ASSERT_EQ(std::system(("sox -t raw -r 8000 -c 1 -b 8 -e " + encoding + " " + dir +
                           "/codes.raw -t s16 -e signed -L " + dir + "/out.raw 2>/dev/null")
                              .c_str()),
              0);
    WAVEFORMATEX law = Law(tag, 1, 8000), pcm = Pcm(1, 8000, 16);
    EXPECT_EQ(ConvertAll(&law, &pcm, codes, 100), ReadFile(dir + "/out.raw"));
  }
  std::system(("rm -rf " + dir).c_str());
}

// 44.1 to 48 kHz stereo, music-like: a chord over the whole band with a
// sweep to near the top. The resampler is the one sox uses by default, so
// the two agree to within a little of 16-bit rounding.
TEST(AcmAgainstSox, ResamplingAgreesWithSox) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  char folder[] = "/tmp/kbx_acm_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  const std::size_t frames = 44100;
  std::vector<std::int16_t> in(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / 44100.0;
    const double chord = 4000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 1870 * t) +
                         2000 * std::sin(2 * M_PI * 9100 * t);
    const double sweep = 3000 * std::sin(2 * M_PI * (100 * t + 9950 * t * t));  // up to 20 kHz
    in[2 * i] = static_cast<std::int16_t>(std::lround(chord + sweep));
    in[2 * i + 1] = static_cast<std::int16_t>(std::lround(chord - sweep));
  }
  const Bytes raw = BytesOf(in);
  std::ofstream(dir + "/in.raw", std::ios::binary)
      .write(reinterpret_cast<const char*>(raw.data()), raw.size());
  // Float out, so that sox adds no dither.
  ASSERT_EQ(std::system(("sox -t s16 -r 44100 -c 2 -L " + dir + "/in.raw -t f32 -L " + dir +
                         "/out.raw rate 48000 2>/dev/null")
                            .c_str()),
            0);
  const Bytes theirsBytes = ReadFile(dir + "/out.raw");
  std::system(("rm -rf " + dir).c_str());

  WAVEFORMATEX s = Pcm(2, 44100, 16), d = Pcm(2, 48000, 16);
  const auto ours = Int16s(ConvertAll(&s, &d, raw, 4096));
  ASSERT_EQ(ours.size(), 2u * 48000);
  ASSERT_EQ(theirsBytes.size(), 4u * ours.size());
  // Each rings in its own way where the sound is cut off at the ends; the
  // first and last 5 ms are left out.
  double worst = 0, sum = 0;
  const std::size_t edge = 2 * 240;
  for (std::size_t i = edge; i + edge < ours.size(); ++i) {
    float v;
    std::memcpy(&v, &theirsBytes[4 * i], 4);
    const double d = ours[i] - static_cast<double>(v) * 32768.0;
    worst = std::max(worst, std::fabs(d));
    sum += d * d;
  }
  EXPECT_LE(worst, 1.0);
  EXPECT_LE(std::sqrt(sum / static_cast<double>(ours.size() - 2 * edge)), 0.35);
}

TEST(AcmAgainstSox, ImaAdpcmDecodesAsSoxDecodesIt) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  char folder[] = "/tmp/kbx_acm_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const std::string ima = dir + "/ima.wav", raw = dir + "/ima.raw";
    const std::string make = "sox -n -r 22050 -c " + std::to_string(channels) + " -e ima-adpcm " + ima +
                             " synth 0.37 sine 300 sine 2000 vol 0.7 2>/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(std::system(("sox " + ima + " -t s16 -e signed -L " + raw + " 2>/dev/null").c_str()), 0);
    Bytes format, data;
    ASSERT_TRUE(SplitWave(ReadFile(ima), &format, &data));
    auto* source = reinterpret_cast<WAVEFORMATEX*>(format.data());
    ASSERT_EQ(source->wFormatTag, WAVE_FORMAT_IMA_ADPCM);
    WAVEFORMATEX pcm = Pcm(static_cast<WORD>(channels), 22050, 16);
    const Bytes ours = ConvertAll(source, &pcm, data, source->nBlockAlign * 3u);
    const Bytes theirs = ReadFile(raw);
    ASSERT_GT(theirs.size(), 16000u * channels);
    ASSERT_GE(ours.size(), theirs.size());
    // A padded last block may give a few frames more than the sample count.
    EXPECT_LE(ours.size() - theirs.size(), static_cast<std::size_t>(source->nBlockAlign) * 4);
    EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), ours.begin()));
  }
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
