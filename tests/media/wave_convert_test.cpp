#include "media/wave_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "audio_fixtures.h"
#include "media/audio_data.h"
#include "media/progress_hooks.h"
#include "model/message_box.h"
#include "support/recording_boxes.h"

namespace {

using Boxes = RecordingBoxes;

class Chooser : public AcmFormatChooserUi {
 public:
  Chooser() { previous_ = SetAcmFormatChooserUi(this); }
  ~Chooser() override { SetAcmFormatChooserUi(previous_); }
  int Choose(HWND, LPCSTR t, const std::vector<AcmFormatChoice>& c, int i) override {
    ++calls;
    title = t;
    choices = c;
    initial = i;
    return pick(c);
  }
  // Picks the first entry of this tag, rate, bits and channels.
  void Pick(WORD tag, DWORD rate, WORD bits, WORD channels) {
    pick = [=](const std::vector<AcmFormatChoice>& c) {
      for (std::size_t i = 0; i < c.size(); ++i)
        if (c[i].format.wFormatTag == tag && c[i].format.nSamplesPerSec == rate &&
            c[i].format.wBitsPerSample == bits && c[i].format.nChannels == channels)
          return static_cast<int>(i);
      return -1;
    };
  }
  std::function<int(const std::vector<AcmFormatChoice>&)> pick = [](const auto&) { return -1; };
  int calls = 0;
  std::string title;
  std::vector<AcmFormatChoice> choices;
  int initial = -1;

 private:
  AcmFormatChooserUi* previous_;
};

std::uint32_t Le32(const BYTE* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The chunks of a WAVE file we wrote, in their order.
struct Written {
  std::vector<std::string> order;
  Bytes fmt, fact, data;
  std::uint32_t riffSize = 0;
};

Written Parse(const Bytes& file) {
  Written w;
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "WAVE", 4) != 0)
    return w;
  w.riffSize = Le32(&file[4]);
  std::size_t p = 12;
  while (p + 8 <= file.size()) {
    const std::string id(reinterpret_cast<const char*>(&file[p]), 4);
    const std::uint32_t size = Le32(&file[p + 4]);
    if (p + 8 + size > file.size()) break;
    const Bytes body(file.begin() + static_cast<std::ptrdiff_t>(p + 8),
                     file.begin() + static_cast<std::ptrdiff_t>(p + 8 + size));
    w.order.push_back(id);
    if (id == "fmt ") w.fmt = body;
    if (id == "fact") w.fact = body;
    if (id == "data") w.data = body;
    p += 8 + size + (size & 1);
  }
  return w;
}

Bytes Le16Samples(const std::vector<int>& v) {
  ByteWriter w;
  for (int s : v) w.Le16(static_cast<std::uint32_t>(s) & 0xFFFF);
  return w.bytes;
}

std::string Sox(const std::string& args) {
  Bytes out;
  RunCommand("sox " + args + " 2>/dev/null", &out);
  std::string s(out.begin(), out.end());
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

TEST(WaveConvert, DestinationUnitsAreWholeBlocksJustOverOneKilobyte) {
  const std::pair<WORD, DWORD> cases[] = {{1, 1024}, {2, 1024}, {4, 1024}, {3, 1026},
                                          {6, 1026}, {8, 1024}, {0, 1024}};
  for (auto [align, unit] : cases) EXPECT_EQ(ConverterDestinationUnit(align), unit) << align;
}

TEST(WaveConvert, ProgressOverFourGigabytesIsShownInCoarserSteps) {
  ScriptedProgress progress;
  {
    ProgressMeter meter("Convert WAVE", "big.wav", 6000000000ll, nullptr);
    EXPECT_EQ(progress.total, 6000000000ll >> 2);
    EXPECT_TRUE(meter.Report(3000000000ll));
    EXPECT_TRUE(meter.Report(7000000000ll));  // past the total: held at it
  }
  EXPECT_EQ(progress.positions, (std::vector<LONG>{750000000, 1500000000}));
  EXPECT_EQ(progress.closed, 1);
}

TEST(WaveConvert, SixteenBitStereoToEightBitHalfRateMono) {
  TempFolder folder;
  Boxes boxes;
  ScriptedProgress progress;
  // One second of a 300 Hz tone, the right channel at half the level.
  std::vector<int> samples;
  for (int i = 0; i < 22050; ++i) {
    const double v = 16000.0 * std::sin(2 * M_PI * 300.0 * i / 22050.0);
    samples.insert(samples.end(), {static_cast<int>(std::lround(v)), static_cast<int>(std::lround(v / 2))});
  }
  HeldSource source(folder.Write("in.wav", WaveFile(FmtBody(1, 2, 22050, 16, 4), Le16Samples(samples))));
  ASSERT_NE(source.data, nullptr);
  const std::string out = folder.Path("out.wav");
  ASSERT_EQ(ConvertWaveToPcm(nullptr, source.data, out.c_str(), 11025, 1, 8), 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(progress.waits, 0);
  EXPECT_EQ(progress.opened, 1);
  EXPECT_EQ(progress.closed, 1);
  EXPECT_EQ(progress.title, "Convert WAVE");
  EXPECT_EQ(progress.text, out);
  EXPECT_EQ(progress.total, 22050 * 4);
  ASSERT_FALSE(progress.positions.empty());
  EXPECT_EQ(progress.positions.back(), 22050 * 4);
  EXPECT_FALSE(source.data->IsOpen());

  const Bytes file = ReadWholeFile(out);
  const Written w = Parse(file);
  EXPECT_EQ(w.order, (std::vector<std::string>{"fmt ", "fact", "data"}));
  EXPECT_EQ(w.riffSize + 8, file.size());
  // 16-byte PCM record: tag 1, mono, 11025 Hz, 11025 bytes/s, align 1, 8 bits.
  EXPECT_EQ(w.fmt, (Bytes{1, 0, 1, 0, 0x11, 0x2B, 0, 0, 0x11, 0x2B, 0, 0, 1, 0, 8, 0}));
  ASSERT_EQ(w.data.size(), 11025u);
  ASSERT_EQ(w.fact.size(), 4u);
  EXPECT_EQ(Le32(w.fact.data()), 11025u);
  // The mean of both channels at the new rate.
  double worst = 0;
  for (std::size_t i = 20; i + 20 < w.data.size(); ++i) {
    const double expect = 128.0 + 0.75 * 16000.0 * std::sin(2 * M_PI * 300.0 * i / 11025.0) / 256.0;
    worst = std::max(worst, std::fabs(w.data[i] - expect));
  }
  EXPECT_LE(worst, 1.0);

  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  EXPECT_EQ(Sox("--i -r " + out), "11025");
  EXPECT_EQ(Sox("--i -c " + out), "1");
  EXPECT_EQ(Sox("--i -b " + out), "8");
  EXPECT_EQ(Sox("--i -s " + out), "11025");
  Bytes theirs;
  ASSERT_TRUE(RunCommand("sox " + out + " -t raw -e unsigned -b 8 - 2>/dev/null", &theirs));
  EXPECT_EQ(theirs, w.data);
}

TEST(WaveConvert, MuLawMadeBySoxBecomesThePcmSoxMakesOfIt) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  TempFolder folder;
  Boxes boxes;
  const std::string mulaw = folder.Path("law.wav");
  ASSERT_TRUE(
      RunCommand("sox -n -r 8000 -c 1 -e u-law " + mulaw + " synth 0.6 sine 440 sine 3000 2>/dev/null"));
  Bytes theirs;
  ASSERT_TRUE(RunCommand("sox " + mulaw + " -t raw -e signed -b 16 -L - 2>/dev/null", &theirs));
  ASSERT_EQ(theirs.size(), 2u * 4800);
  HeldSource source(mulaw);
  ASSERT_NE(source.data, nullptr);
  ASSERT_EQ(source.data->format->wFormatTag, WAVE_FORMAT_MULAW);

  // Directly, by the decoder.
  const std::string direct = folder.Path("direct.wav");
  ASSERT_EQ(ConvertWaveToPcm(nullptr, source.data, direct.c_str(), 8000, 1, 16), 0);
  const Written d = Parse(ReadWholeFile(direct));
  EXPECT_EQ(d.data, theirs);
  EXPECT_EQ(Le32(d.fact.data()), 4800u);

  // To 8 bits there is no decoder: through 16-bit PCM.
  const std::string twoStages = folder.Path("eight.wav");
  ASSERT_EQ(ConvertWaveToPcm(nullptr, source.data, twoStages.c_str(), 8000, 1, 8), 0);
  const Written e = Parse(ReadWholeFile(twoStages));
  ASSERT_EQ(e.data.size(), 4800u);
  EXPECT_EQ(Le32(e.fact.data()), 4800u);
  for (std::size_t i = 0; i < 4800; ++i) {
    const int v = static_cast<std::int16_t>(theirs[2 * i] | (theirs[2 * i + 1] << 8));
    const int expect = std::clamp(static_cast<int>(std::floor(v / 256.0 + 0.5)), -128, 127) + 128;
    ASSERT_EQ(e.data[i], expect) << i;
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(WaveConvert, ImaAdpcmThroughTheChooserAndAtAnotherRate) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  TempFolder folder;
  Boxes boxes;
  Chooser chooser;
  const std::string ima = folder.Path("ima.wav");
  ASSERT_TRUE(RunCommand("sox -n -r 22050 -c 2 -e ima-adpcm " + ima + " synth 0.5 sine 500 2>/dev/null"));
  Bytes theirs;
  ASSERT_TRUE(RunCommand("sox " + ima + " -t raw -e signed -b 16 -L - 2>/dev/null", &theirs));
  HeldSource source(ima);
  ASSERT_NE(source.data, nullptr);

  // The decoder's one format is all the chooser offers.
  chooser.Pick(WAVE_FORMAT_PCM, 22050, 16, 2);
  const std::string out = folder.Path("pcm.wav");
  ASSERT_EQ(ConvertWaveToChosenFormat(nullptr, source.data, out.c_str()), 0);
  EXPECT_EQ(chooser.title, "Destination Format Selection");
  ASSERT_EQ(chooser.choices.size(), 1u);
  const Written w = Parse(ReadWholeFile(out));
  ASSERT_GE(w.data.size(), theirs.size());
  EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), w.data.begin()));

  // A PCM format the user picks: opened on 16 bits at the source's rate.
  chooser.Pick(WAVE_FORMAT_PCM, 44100, 16, 1);
  const std::string resampled = folder.Path("resampled.wav");
  ASSERT_EQ(ConvertWaveToChosenPcm(nullptr, source.data, resampled.c_str()), 0);
  ASSERT_GE(chooser.initial, 0);
  const WAVEFORMATEX& first = chooser.choices[static_cast<std::size_t>(chooser.initial)].format;
  EXPECT_EQ(first.nSamplesPerSec, 22050u);
  EXPECT_EQ(first.wBitsPerSample, 16);
  EXPECT_EQ(first.nChannels, 2);
  for (const AcmFormatChoice& c : chooser.choices) EXPECT_EQ(c.format.wFormatTag, WAVE_FORMAT_PCM);
  const Written r = Parse(ReadWholeFile(resampled));
  const std::size_t frames = w.data.size() / 4;
  EXPECT_EQ(r.data.size(), 2 * (2 * frames));
  EXPECT_EQ(Le32(r.fact.data()), 2 * frames);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(WaveConvert, AiffSamplesAreReadInTheirOwnOrder) {
  TempFolder folder;
  Boxes boxes;
  ByteWriter big;
  for (int v : {1000, -2, 32767, -32768}) big.Be16(static_cast<std::uint32_t>(v) & 0xFFFF);
  Bytes samples = big.bytes;
  samples.resize(2 * 8000, 0);
  HeldSource sixteen(folder.Write("a16.aif", AiffFile(1, 16, 8000, samples)));
  ASSERT_NE(sixteen.data, nullptr);
  const std::string out16 = folder.Path("a16.wav");
  ASSERT_EQ(ConvertWaveToPcm(nullptr, sixteen.data, out16.c_str(), 8000, 1, 16), 0);
  const Written w = Parse(ReadWholeFile(out16));
  ASSERT_EQ(w.data.size(), 2u * 8000);
  EXPECT_EQ(Bytes(w.data.begin(), w.data.begin() + 8), Le16Samples({1000, -2, 32767, -32768}));

  Bytes signed8 = {0x80, 0xFF, 0x00, 0x7F};  // -128, -1, 0, 127
  signed8.resize(8000, 0);
  HeldSource eight(folder.Write("a8.aif", AiffFile(1, 8, 8000, signed8)));
  ASSERT_NE(eight.data, nullptr);
  const std::string out8 = folder.Path("a8.wav");
  ASSERT_EQ(ConvertWaveToPcm(nullptr, eight.data, out8.c_str(), 8000, 1, 8), 0);
  const Written e = Parse(ReadWholeFile(out8));
  ASSERT_EQ(e.data.size(), 8000u);
  EXPECT_EQ(Bytes(e.data.begin(), e.data.begin() + 5), (Bytes{0, 127, 128, 255, 128}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(WaveConvert, FloatDestinationsSayWhatTheyHold) {
  TempFolder folder;
  Chooser chooser;
  HeldSource source(folder.Write(
      "in.wav", WaveFile(FmtBody(1, 1, 8000, 16, 2), Le16Samples(std::vector<int>(8000, -16384)))));
  chooser.Pick(WAVE_FORMAT_IEEE_FLOAT, 8000, 32, 1);
  const std::string out = folder.Path("float.wav");
  ASSERT_EQ(ConvertWaveToChosenFormat(nullptr, source.data, out.c_str()), 0);
  const Written w = Parse(ReadWholeFile(out));
  ASSERT_EQ(w.fmt.size(), 18u);  // not PCM: the record with its extra size
  EXPECT_EQ(w.fmt[0], 3);
  ASSERT_EQ(w.data.size(), 4u * 8000);
  float v;
  std::memcpy(&v, w.data.data() + 400, 4);
  EXPECT_EQ(v, -0.5f);
  EXPECT_EQ(Le32(w.fact.data()), 8000u);
  if (HaveTool("sox")) {
    EXPECT_EQ(Sox("--i -e " + out), "Floating Point PCM");
  }
}

TEST(WaveConvert, CancellingTheChooserWritesNothing) {
  TempFolder folder;
  Boxes boxes;
  Chooser chooser;  // answers Cancel
  ScriptedProgress progress;
  HeldSource source(folder.Write("in.wav", WaveFile(FmtBody(1, 1, 8000, 8, 1), Bytes(8000, 128))));
  const std::string out = folder.Path("never.wav");
  EXPECT_EQ(ConvertWaveToChosenFormat(nullptr, source.data, out.c_str()), 0);
  EXPECT_EQ(ConvertWaveToChosenPcm(nullptr, source.data, out.c_str()), 0);
  EXPECT_EQ(chooser.calls, 2);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(progress.opened, 0);
  EXPECT_EQ(progress.waits, 0);
}

TEST(WaveConvert, CancellingTheProgressGivesSeventeenWithoutAMessage) {
  TempFolder folder;
  Boxes boxes;
  ScriptedProgress progress;
  progress.cancelAfter = 0;  // Cancel at the first report
  HeldSource source(folder.Write("in.wav", WaveFile(FmtBody(1, 2, 44100, 16, 4), Bytes(4 * 44100, 0))));
  const std::string out = folder.Path("cut.wav");
  EXPECT_EQ(ConvertWaveToPcm(nullptr, source.data, out.c_str(), 22050, 2, 16), 17);
  EXPECT_EQ(progress.positions.size(), 1u);
  EXPECT_EQ(progress.closed, 1);
  EXPECT_EQ(progress.waits, 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(source.data->IsOpen());
}

TEST(WaveConvert, FailuresShowTheirMessage) {
  TempFolder folder;
  Boxes boxes;
  const std::string in = folder.Write("in.wav", WaveFile(FmtBody(1, 1, 8000, 8, 1), Bytes(8000, 128)));
  const Bytes before = ReadWholeFile(in);
  HeldSource source(in);
  struct Case {
    std::string destination;
    WORD bits;
    const char* message;
  };
  const Case cases[] = {
      {folder.Path("no/such/folder/out.wav"), 16, "Can not open destination file"},
      {in, 16, "Can not open destination file"},  // over its own source
      {folder.Path("odd.wav"), 12, "Unable open stream"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    boxes.shown.clear();
    EXPECT_EQ(
        ConvertWaveToPcm(reinterpret_cast<HWND>(0x1234), source.data, c.destination.c_str(), 8000, 1, c.bits),
        17);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, c.message);
    EXPECT_EQ(boxes.shown[0].caption, "Convert Wave");
    EXPECT_EQ(boxes.shown[0].flags, MB_ICONEXCLAMATION);
  }
  EXPECT_EQ(ReadWholeFile(in), before);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("odd.wav")));
}

}  // namespace
