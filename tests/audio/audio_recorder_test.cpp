#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/export_io.h"
#include "mix_fixture.h"
#include "platform/core/time.h"
#include "recorder_fixture.h"

using namespace rectest;
using ::testing::ElementsAre;

namespace {

constexpr int kPrepare = 1484, kStop = 1486, kWindStart = 1487, kWindEnd = 1468;
// 22050 Hz, 16-bit stereo.
constexpr std::size_t BytesOf(DWORD ms) {
  return static_cast<std::size_t>(22050) * ms / 1000 * 4;
}

// The chunks of a WAVE file, read field by field.
struct WaveFile {
  bool riff = false;
  DWORD riffSize = 0;
  std::vector<BYTE> fmt, data;
  bool info = false;
};
WaveFile ReadWave(const std::vector<BYTE>& b) {
  WaveFile w;
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return w;
  w.riff = true;
  w.riffSize = Le32At(b, 4);
  std::size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string id(reinterpret_cast<const char*>(b.data() + at), 4);
    const DWORD size = Le32At(b, at + 4);
    if (at + 8 + size > b.size()) break;
    const std::vector<BYTE> body(b.begin() + at + 8, b.begin() + at + 8 + size);
    if (id == "fmt ") w.fmt = body;
    if (id == "data") w.data = body;
    if (id == "LIST" && size >= 4 && std::memcmp(body.data(), "INFO", 4) == 0) w.info = true;
    at += 8 + size + (size & 1);
  }
  return w;
}

std::vector<BYTE> Concat(std::vector<BYTE> a, const std::vector<BYTE>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(RecorderTest, RecordStopOkWritesTheCapturedSamplesAsTheProjectFormat) {
  HWND d = Open();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);
  Take(500);
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);  // the monitor is back after the stop
  Press(IDOK);
  EXPECT_EQ(TheAudioRecorder->Dialog(), nullptr);
  ASSERT_EQ(owner_->calls.size(), 1u);
  EXPECT_EQ(owner_->calls[0], "done -1 " + file_);

  const std::vector<BYTE> bytes = FileBytes();
  const WaveFile w = ReadWave(bytes);
  ASSERT_TRUE(w.riff);
  EXPECT_EQ(w.riffSize, bytes.size() - 8);
  EXPECT_EQ(bytes.size() % 2, 0u);
  ASSERT_EQ(w.fmt.size(), 16u);
  EXPECT_EQ(Le32At(w.fmt, 4), 22050u);
  EXPECT_EQ(w.fmt[2], 2);
  EXPECT_EQ(w.fmt[14], 16);
  EXPECT_TRUE(w.data == SignalBytes(BytesOf(500)));
  EXPECT_TRUE(w.info);

  if (!HaveTool("sox") || !HaveTool("ffmpeg")) GTEST_SKIP() << "sox or ffmpeg missing";
  EXPECT_EQ(CommandText("soxi -r '" + file_ + "'"), "22050\n");
  EXPECT_EQ(CommandText("soxi -c '" + file_ + "'"), "2\n");
  EXPECT_EQ(CommandText("soxi -b '" + file_ + "'"), "16\n");
  std::vector<BYTE> sox, ffmpeg;
  ASSERT_TRUE(RunCommand("sox '" + file_ + "' -t raw -", &sox));
  ASSERT_TRUE(RunCommand("ffmpeg -v error -i '" + file_ + "' -f s16le -", &ffmpeg));
  EXPECT_TRUE(sox == w.data);
  EXPECT_TRUE(ffmpeg == w.data);
}

TEST_F(RecorderTest, TakesAppendOrStartOverFromTheStart) {
  struct Case {
    const char* what;
    std::vector<DWORD> takes;
    bool windBeforeLast;
    std::vector<BYTE> expected;
  };
  const Case cases[] = {
      {"a second take without winding is appended",
       {300, 200},
       false,
       Concat(SignalBytes(BytesOf(300)), SignalBytes(BytesOf(200)))},
      {"a shorter take after winding back cuts the file to it", {500, 200}, true, SignalBytes(BytesOf(200))},
      {"wind back, then to the end, appends again",
       {300, 100},
       false,
       Concat(SignalBytes(BytesOf(300)), SignalBytes(BytesOf(100)))},
  };
  int n = 0;
  for (const Case& c : cases) {
    file_ = home_.File("take" + std::to_string(++n) + ".wav");
    ASSERT_NE(Open(), nullptr) << c.what;
    for (std::size_t i = 0; i < c.takes.size(); ++i) {
      if (i + 1 == c.takes.size()) {
        if (c.windBeforeLast) Press(kWindStart);
        if (n == 3) {
          Press(kWindStart);
          Press(kWindEnd);
        }
      }
      Take(c.takes[i]);
    }
    Press(IDOK);
    const std::vector<BYTE> bytes = FileBytes();
    const WaveFile w = ReadWave(bytes);
    EXPECT_TRUE(w.data == c.expected) << c.what << ": " << w.data.size() << " bytes";
    EXPECT_EQ(w.riffSize, bytes.size() - 8) << c.what;
    EXPECT_TRUE(w.info) << c.what;
  }
}

TEST_F(RecorderTest, CancelOrOkWithoutATakeDeletesTheFile) {
  struct Case {
    const char* what;
    bool take;
    int button;
  };
  const Case cases[] = {
      {"Cancel after a take", true, IDCANCEL},
      {"Cancel with nothing recorded", false, IDCANCEL},
      {"OK with nothing recorded", false, IDOK},
  };
  for (const Case& c : cases) {
    owner_->calls.clear();
    ASSERT_NE(Open(), nullptr) << c.what;
    ASSERT_TRUE(std::filesystem::exists(file_)) << c.what;
    if (c.take) Take(200);
    Press(c.button);
    EXPECT_FALSE(std::filesystem::exists(file_)) << c.what;
    EXPECT_THAT(owner_->calls, ElementsAre("abandoned 2 0")) << c.what;
    EXPECT_EQ(TheAudioRecorder->Dialog(), nullptr) << c.what;
    EXPECT_FALSE(VirtualAudio::IsOpen(0, true)) << c.what;
  }
}

TEST_F(RecorderTest, WithSynchronizeTheOwnerPlaysAlong) {
  IniSetSection("Recorder");
  IniWriteInt("Synchronize", 1);
  owner_->cursor = 2500;
  Open();
  Take(200);
  EXPECT_THAT(owner_->calls, ElementsAre("prepared?", "cursor", "play", "stop", "cursor"));
  owner_->calls.clear();
  Press(IDOK);
  EXPECT_THAT(owner_->calls, ElementsAre("stop", "done 2500 " + file_));
}

TEST_F(RecorderTest, WithoutSynchronizeTheOwnerOnlyHearsTheEnd) {
  Open();
  Take(100);
  Press(kWindStart);
  Press(kWindEnd);
  Take(100);
  EXPECT_TRUE(owner_->calls.empty());
}

TEST_F(RecorderTest, AnOwnerThatCannotPrepareSendsTheRecorderBackToMonitoring) {
  IniSetSection("Recorder");
  IniWriteInt("Synchronize", 1);
  owner_->prepared = 0;
  HWND d = Open();
  Press(kPrepare);
  EXPECT_THAT(owner_->calls, ElementsAre("prepared?"));
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);
  EXPECT_EQ(dialogtest::ItemText(d, 1462), "Stopped");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, kPrepare)));
}

TEST_F(RecorderTest, TheCountDownShowsEachSecondAndRecordsOnTheFourthTick) {
  IniSetSection("Recorder");
  IniWriteInt("Synchronize", 1);
  IniWriteInt("Wait", 3);
  TestClock clock;
  HWND d = Open();
  Press(kPrepare);
  Press(kPrepare);
  EXPECT_EQ(dialogtest::ItemText(d, 1462), "");
  std::vector<std::string> shown;
  for (int tick = 0; tick < 4; ++tick) {
    clock.Advance(1000);
    Pump();
    shown.push_back(dialogtest::ItemText(d, 1462));
  }
  EXPECT_THAT(shown, ElementsAre("3", "2", "1", "Recording"));
  EXPECT_EQ(boxes_.beeps.size(), 3u);
  EXPECT_THAT(owner_->calls, ElementsAre("prepared?", "cursor", "play"));
}

TEST_F(RecorderTest, AStopDuringTheCountDownStartsNoTake) {
  IniSetSection("Recorder");
  IniWriteInt("Synchronize", 1);
  IniWriteInt("Wait", 3);
  TestClock clock;
  HWND d = Open();
  Press(kPrepare);
  Press(kPrepare);
  clock.Advance(1000);
  Pump();
  Press(kStop);
  for (int tick = 0; tick < 5; ++tick) {
    clock.Advance(1000);
    Pump();
  }
  EXPECT_THAT(owner_->calls, ElementsAre("prepared?", "cursor", "stop", "cursor"));
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);
  EXPECT_EQ(dialogtest::ItemText(d, 1462), "Stopped");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, kPrepare)));
  Press(IDOK);  // nothing was recorded
  EXPECT_FALSE(std::filesystem::exists(file_));
}

// Data writes of the recorder fail from the n-th on.
class FailingWrites : public ExportIo {
 public:
  explicit FailingWrites(int failAt) : failAt_(failAt) { previous_ = SetExportIo(this); }
  ~FailingWrites() override { SetExportIo(previous_); }
  LONG Write(HMMIO file, const void* data, LONG bytes) override {
    if (bytes > 16 && ++dataWrites_ >= failAt_) return -1;
    return ExportIo::Write(file, data, bytes);
  }

 private:
  int failAt_;
  std::atomic<int> dataWrites_{0};
  ExportIo* previous_;
};

TEST_F(RecorderTest, AWriteErrorStopsTheTakeAndKeepsWhatWasWritten) {
  HWND d = Open();
  {
    FailingWrites failing(2);
    Press(kPrepare);
    Press(kPrepare);
    VirtualAudio::Advance(1000);  // two whole buffers come back
    ASSERT_TRUE(WaitDeviceBack());
    Pump();
  }
  EXPECT_THAT(boxes_.captions, ElementsAre("Write 'data' chunk"));
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);
  EXPECT_EQ(dialogtest::ItemText(d, 1462), "Stopped");
  Press(IDOK);
  const WaveFile w = ReadWave(FileBytes());
  EXPECT_TRUE(w.data == SignalBytes(32768)) << w.data.size();
}

TEST_F(RecorderTest, ATakeStopsShortOfTheWaveSizeLimitAndKeepsWhatFits) {
  TAudioRecorderDialog::SetDataLimit(44 + 40000);
  Open();
  Press(kPrepare);
  Press(kPrepare);
  VirtualAudio::Advance(1000);
  ASSERT_TRUE(WaitDeviceBack());
  Pump();
  TAudioRecorderDialog::SetDataLimit(0);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  EXPECT_NE(boxes_.texts[0].find("larger than 4 GB"), std::string::npos);
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);
  Press(IDOK);
  const WaveFile w = ReadWave(FileBytes());
  EXPECT_TRUE(w.data == SignalBytes(40000)) << w.data.size();
  EXPECT_THAT(owner_->calls, ElementsAre("done -1 " + file_));
}

TEST_F(RecorderTest, AFailedInfoListKeepsTheTake) {
  TAudioRecorder::SetInfoWriter([](HMMIO) { return false; });
  Open();
  Take(200);
  Press(IDOK);
  TAudioRecorder::SetInfoWriter(nullptr);
  EXPECT_THAT(boxes_.captions, ElementsAre("Create data chunk"));
  const std::vector<BYTE> bytes = FileBytes();
  const WaveFile w = ReadWave(bytes);
  EXPECT_TRUE(w.data == SignalBytes(BytesOf(200)));
  EXPECT_FALSE(w.info);
  EXPECT_EQ(w.riffSize, bytes.size() - 8);
  EXPECT_THAT(owner_->calls, ElementsAre("done -1 " + file_));
}

}  // namespace
