// The AIFF mix-down export.
#include "audio/aiff_export.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "audio/export_io.h"
#include "engine_fixture.h"
#include "mix_fixture.h"

namespace {

class FailingIo : public ExportIo {
 public:
  HMMIO Open(const char* name, DWORD flags) override {
    return failOpen ? nullptr : ExportIo::Open(name, flags);
  }
  LONG Write(HMMIO file, const void* data, LONG bytes) override {
    return ++writes == failWrite ? bytes - 1 : ExportIo::Write(file, data, bytes);
  }
  bool failOpen = false;
  int failWrite = 0;
  int writes = 0;
};

class AiffExportTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine_ = std::make_unique<AudioPlayer>();
    TheAudioPlayer = engine_.get();
    previousIo_ = SetExportIo(&io_);
  }
  void TearDown() override {
    SetExportIo(previousIo_);
    TheAudioPlayer = nullptr;
    engine_.reset();
    films_.Clear();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    EngineTest::TearDown();
  }
  void Configure(DWORD rate, int channels, int code) {
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(rate, channels, code, 4, 16, 4, delay, preview, maxPreview), 0);
  }
  MemorySource* Keep(MemorySource* s) {
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  void Clip(DWORD rate, WORD channels) {
    AddClip(films_, Keep(MakeSource(2, channels, rate, 3 * rate, 1)), 0, 0, 3000, 0);
  }
  std::string Path(const char* name) const { return folder_.File(name); }

  std::unique_ptr<AudioPlayer> engine_;
  FilmListHead films_;
  std::vector<MemorySource*> sources_;
  FailingIo io_;
  ScriptedProgress progress_;
  TestFolder folder_{"kobrix-aiff"};

 private:
  ExportIo* previousIo_ = nullptr;
};

std::vector<BYTE> Bytes(std::initializer_list<int> list) {
  std::vector<BYTE> b;
  for (int v : list) b.push_back(static_cast<BYTE>(v));
  return b;
}

TEST(AiffHeader, RatesAsExtendedNumbers) {
  struct Case {
    DWORD rate;
    std::vector<BYTE> bytes;
  };
  for (const Case& c : {Case{44100, Bytes({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0})},
                        Case{22050, Bytes({0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0})},
                        Case{48000, Bytes({0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0})},
                        Case{8000, Bytes({0x40, 0x0B, 0xFA, 0x00, 0, 0, 0, 0, 0, 0})},
                        Case{1, Bytes({0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0})}}) {
    BYTE out[10];
    RateToExtended(c.rate, out);
    EXPECT_EQ(std::vector<BYTE>(out, out + 10), c.bytes) << c.rate;
  }
}

// Sizes past 2^31 are the unsigned values; beyond what 32 bits hold the
// header cannot be made.
TEST(AiffHeader, SizesPast2To31AreWrittenWhole) {
  BYTE header[54];
  ASSERT_TRUE(BuildAiffHeader(header, 2, 24, 48000, 3000000000ull, 6));
  auto be32 = [&](int at) {
    return DWORD{header[at]} << 24 | DWORD{header[at + 1]} << 16 | DWORD{header[at + 2]} << 8 |
           header[at + 3];
  };
  EXPECT_EQ(be32(4), 3000000046u);
  EXPECT_EQ(be32(22), 500000000u);
  EXPECT_EQ(be32(42), 3000000008u);
  EXPECT_FALSE(BuildAiffHeader(header, 2, 24, 48000, 0xFFFFFFFFull - 45, 6));
}

TEST_F(AiffExportTest, OneSecondOfMono16BitAt22050) {
  Configure(22050, 1, 2);
  Clip(22050, 1);
  const std::string path = Path("mono.aif");
  ASSERT_TRUE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 500, 1500, path.c_str(), 0));
  const std::vector<BYTE> file = FileBytes(path);
  ASSERT_EQ(file.size(), 44154u);
  const std::vector<BYTE> header =
      Bytes({'F', 'O', 'R', 'M', 0,   0,   0xAC, 0x72, 'A',  'I',  'F',  'F',  'C',  'O',  'M', 'M', 0, 0,
             0,   18,  0,   1,   0,   0,   0x56, 0x22, 0,    16,   0x40, 0x0D, 0xAC, 0x44, 0,   0,   0, 0,
             0,   0,   'S', 'S', 'N', 'D', 0,    0,    0xAC, 0x4C, 0,    0,    0,    0,    0,   0,   0, 0});
  EXPECT_EQ(std::vector<BYTE>(file.begin(), file.begin() + 54), header);
  // The samples are the stream's, big-endian.
  std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), UnitySetup(1), 500, 1500, 2);
  ASSERT_EQ(stream.size(), 44100u);
  for (std::size_t i = 0; i < stream.size(); i += 2) std::swap(stream[i], stream[i + 1]);
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), file.begin() + 54));
  EXPECT_EQ(progress_.title, "Export Aiff");
  EXPECT_EQ(progress_.steps, 44100 / 32768);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(AiffExportTest, Stereo24BitAt48000) {
  Configure(48000, 2, 2);
  Clip(48000, 2);
  const std::string path = Path("stereo.aif");
  ASSERT_TRUE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 0, 1001, path.c_str(), 4));
  const std::vector<BYTE> file = FileBytes(path);
  const std::size_t d = 48048 * 6;
  ASSERT_EQ(file.size(), 54 + d);
  EXPECT_EQ(file[21], 2);   // channels
  EXPECT_EQ(file[27], 24);  // sample size
  EXPECT_EQ((file[22] << 24) | (file[23] << 16) | (file[24] << 8) | file[25], 48048);
  std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), UnitySetup(1), 0, 1001, 4);
  ASSERT_EQ(stream.size(), d);
  for (std::size_t i = 0; i < stream.size(); i += 3) std::swap(stream[i], stream[i + 2]);
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), file.begin() + 54));
}

// 8-bit samples become signed: silence 0x80 is 0x00, full scale 0xFF is 0x7F.
TEST_F(AiffExportTest, EightBitSamplesBecomeSigned) {
  Configure(8000, 1, 2);
  std::vector<BYTE> loud(16000);
  for (std::size_t i = 0; i < loud.size(); i += 2) {
    loud[i] = 0xFF;
    loud[i + 1] = 0x7F;
  }
  AddClip(films_, Keep(new MemorySource(WAVE_FORMAT_PCM, 1, 8000, 16, 2, loud)), 0, 500, 1000, 0);
  const std::string path = Path("eight.aif");
  ASSERT_TRUE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 0, 1000, path.c_str(), 1));
  const std::vector<BYTE> file = FileBytes(path);
  ASSERT_EQ(file.size(), 54u + 8000);
  EXPECT_EQ(std::vector<BYTE>(file.begin() + 54, file.begin() + 54 + 4000), std::vector<BYTE>(4000, 0x00));
  EXPECT_EQ(std::vector<BYTE>(file.begin() + 54 + 4000, file.end()), std::vector<BYTE>(4000, 0x7F));
}

TEST_F(AiffExportTest, RefusedRangesAndCodesWriteNothing) {
  Configure(8000, 1, 2);
  Clip(8000, 1);
  const std::string path = Path("refused.aif");
  EXPECT_FALSE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 1000, 1000, path.c_str(), 2));
  EXPECT_FALSE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 1000, 900, path.c_str(), 2));
  EXPECT_FALSE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 0, 1000, path.c_str(), 7));
  EXPECT_FALSE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 0, 1000, path.c_str(), 5));
  EXPECT_EQ(progress_.steps, -1);  // the stream never started
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(boxes_.boxes.empty());
  // The project's code 7 is no AIFF layout either.
  Configure(8000, 1, 7);
  EXPECT_FALSE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 0, 1000, path.c_str(), 0));
  EXPECT_FALSE(FileExists(path));
}

TEST_F(AiffExportTest, FailuresAndCancelsLeaveNoFile) {
  Configure(8000, 1, 2);
  Clip(8000, 1);
  const std::string path = Path("failing.aif");
  struct Case {
    bool failOpen;
    int failWrite;
    LONGLONG cancelAt;
    const char* text;  // null: nothing shown
  };
  for (const Case& c :
       {Case{true, 0, 0, "Can not open file '%s'"}, Case{false, 1, 0, "Can not write file '%s'"},
        Case{false, 2, 0, "Can not write file '%s'"}, Case{false, 0, 1, nullptr}}) {
    io_ = FailingIo{};
    io_.failOpen = c.failOpen;
    io_.failWrite = c.failWrite;
    progress_.cancelAt = c.cancelAt;
    boxes_.boxes.clear();
    EXPECT_FALSE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 0, 3000, path.c_str(), 2));
    EXPECT_FALSE(FileExists(path));
    if (c.text == nullptr) {
      EXPECT_TRUE(boxes_.boxes.empty());
    } else {
      ASSERT_EQ(boxes_.boxes.size(), 1u);
      EXPECT_EQ(boxes_.boxes[0].caption, "Export Aiff");
      EXPECT_EQ(boxes_.boxes[0].text, FormatText(c.text, path.c_str()));
    }
    EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  }
}

TEST_F(AiffExportTest, SoxAndFfmpegReadTheFileBack) {
  if (!HaveTool("sox") || !HaveTool("ffmpeg") || !HaveTool("ffprobe"))
    GTEST_SKIP() << "sox or ffmpeg missing";
  Configure(22050, 2, 2);
  Clip(22050, 2);
  struct Case {
    int code;
    const char* soxEncoding;
    const char* codec;
    const char* rawFormat;
  };
  for (const Case& c :
       {Case{1, "-e unsigned -b 8", "pcm_s8", "u8"}, Case{2, "-e signed -b 16", "pcm_s16be", "s16le"},
        Case{4, "-e signed -b 24", "pcm_s24be", "s24le"}}) {
    const std::string path = Path("tools.aif");
    ASSERT_TRUE(ExportMixdown(nullptr, films_.First(), UnitySetup(1), 100, 2100, path.c_str(), c.code));
    const std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), UnitySetup(1), 100, 2100, c.code);
    EXPECT_EQ(CommandText("soxi -r '" + path + "' 2>/dev/null"), "22050\n");
    EXPECT_EQ(CommandText("soxi -c '" + path + "' 2>/dev/null"), "2\n");
    std::vector<BYTE> sox;
    ASSERT_TRUE(RunCommand("sox '" + path + "' -t raw " + c.soxEncoding + " -L - 2>/dev/null", &sox));
    EXPECT_TRUE(sox == stream) << "sox, code " << c.code;
    EXPECT_EQ(CommandText("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of "
                          "default=nw=1 '" +
                          path + "'"),
              std::string("codec_name=") + c.codec + "\nsample_rate=22050\nchannels=2\n");
    std::vector<BYTE> ffmpeg;
    ASSERT_TRUE(
        RunCommand(std::string("ffmpeg -v error -i '") + path + "' -f " + c.rawFormat + " -", &ffmpeg));
    EXPECT_TRUE(ffmpeg == stream) << "ffmpeg, code " << c.code;
  }
}

}  // namespace
