#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "recorder_fixture.h"

using namespace rectest;
using ::testing::ElementsAre;

namespace {

TEST_F(RecorderTest, TheDelayIsHeldToOneSecond) {
  struct Case {
    const char* stored;
    int delay;
  };
  const Case cases[] = {{"5000", 1000}, {"-5", 1000}, {"1000", 1000}, {"0", 0}, {"120", 120}};
  for (const Case& c : cases) {
    IniSetSection("Recorder");
    IniWriteString("Delay", c.stored);
    IniFlush();
    TAudioRecorder recorder;
    EXPECT_EQ(recorder.Delay, c.delay) << c.stored;
  }
}

TEST_F(RecorderTest, BufferSettingsAreHeldToTheirRangesAndWrittenBack) {
  struct Case {
    int blockSize, blocks;
    DWORD bytes, count;
    int storedSize, storedCount;
  };
  const Case cases[] = {
      {64, 2, 65536, 4, 64, 4},
      {20000, 100, 20000, 64, 19, 64},
      {1, 16, 16384, 16, 16, 16},
      {1000000, 8, 262144, 8, 256, 8},
  };
  for (const Case& c : cases) {
    IniSetSection("Recorder");
    IniWriteInt("BlockSize", c.blockSize);
    IniWriteInt("Blocks", c.blocks);
    IniFlush();
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Dialog()->BlockSize(), c.bytes) << c.blockSize;
    EXPECT_EQ(Dialog()->Blocks(), c.count) << c.blocks;
    Press(IDCANCEL);
    IniSetSection("Recorder");
    EXPECT_EQ(IniReadInt("BlockSize", 0), c.storedSize) << c.blockSize;
    EXPECT_EQ(IniReadInt("Blocks", 0), c.storedCount) << c.blocks;
  }
}

TEST_F(RecorderTest, AWindowPlacedOffTheScreenComesBackToItsEdge) {
  IniSetSection("Recorder");
  IniWriteInt("XPos", 5000);
  IniWriteInt("YPos", 40);
  HWND d = Open();
  RECT r{};
  GetWindowRect(d, &r);
  EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) - 10);
  EXPECT_EQ(r.top, 40);
}

class ListStandIn : public DeviceListControl {
 public:
  int AddString(const char* text) override {
    names.push_back(text);
    return static_cast<int>(names.size()) - 1;
  }
  void SetSelIndex(int index) override { selected = index; }
  std::vector<std::string> names;
  int selected = -1;
};

TEST_F(RecorderTest, TheDeviceListHoldsTheMapperAndAtMostTwentyEntries) {
  std::vector<VirtualDeviceSpec> inputs(25);
  for (int i = 0; i < 25; ++i) inputs[i].name = "In " + std::to_string(i);
  ResetDevices(inputs);
  IniSetSection("Recorder");
  IniWriteInt("WaveInId", 7);
  TAudioRecorder recorder;
  ListStandIn list;
  recorder.FillDeviceList(list);
  ASSERT_EQ(list.names.size(), 20u);
  EXPECT_EQ(list.names[1], "In 0");
  EXPECT_EQ(list.names[19], "In 18");
  EXPECT_EQ(list.selected, 8);
  recorder.SelectDevice(3);
  EXPECT_EQ(recorder.WaveInId, 2);
  recorder.SelectDevice(0);
  EXPECT_EQ(recorder.WaveInId, -1);
  recorder.SelectDevice(20);  // not listed
  EXPECT_EQ(recorder.WaveInId, -1);
}

TEST(RecordFormat, EachCodeHasItsLayoutAndBadValuesAreRefused) {
  struct Case {
    DWORD rate;
    int channels, code;
    bool valid;
    WORD tag, bits, align;
  };
  const Case cases[] = {
      {22050, 1, 1, true, 1, 8, 1},  {44100, 2, 1, true, 1, 8, 2},        {44100, 2, 2, true, 1, 16, 4},
      {48000, 2, 3, true, 1, 20, 6}, {48000, 1, 4, true, 1, 24, 3},       {48000, 2, 5, true, 1, 24, 8},
      {96000, 2, 6, true, 1, 32, 8}, {96000, 2, 7, true, 3, 32, 8},       {5000, 1, 2, true, 1, 16, 2},
      {4999, 1, 2, false, 0, 0, 0},  {2415919103u, 1, 2, true, 1, 16, 2}, {2415919104u, 1, 2, false, 0, 0, 0},
      {44100, 3, 2, false, 0, 0, 0}, {44100, 0, 2, false, 0, 0, 0},       {44100, 2, 0, false, 0, 0, 0},
      {44100, 2, 8, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX f{};
    f.nSamplesPerSec = 1;
    ASSERT_EQ(BuildRecordFormat(c.rate, c.channels, c.code, f), c.valid) << c.rate << " " << c.code;
    if (!c.valid) {
      EXPECT_EQ(f.nSamplesPerSec, 1u) << "left alone";
      continue;
    }
    EXPECT_EQ(f.wFormatTag, c.tag) << c.code;
    EXPECT_EQ(f.wBitsPerSample, c.bits) << c.code;
    EXPECT_EQ(f.nBlockAlign, c.align) << c.code;
    EXPECT_EQ(f.nAvgBytesPerSec, c.align * c.rate) << c.code;
    EXPECT_EQ(f.nChannels, c.channels);
    EXPECT_EQ(f.cbSize, 0);
  }
}

std::vector<std::string> ComboItems(HWND d, int id) {
  HWND combo = GetDlgItem(d, id);
  std::vector<std::string> out;
  const int n = static_cast<int>(SendMessage(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[64] = {};
    SendMessage(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    out.push_back(text);
  }
  return out;
}

TEST_F(RecorderTest, TheBitsListFollowsTheSixteenBitLimit) {
  struct Case {
    BOOL limit16;
    int code;
    std::vector<std::string> items;
    int selected;
    bool advanced;
  };
  const Case cases[] = {
      {TRUE, 4, {"8", "16"}, 1, false},
      {TRUE, 1, {"8", "16"}, 0, false},
      {FALSE, 2, {"8", "16", "20", "24"}, 1, false},
      {FALSE, 5, {"8", "16", "20", "24"}, 3, true},
  };
  for (const Case& c : cases) {
    Limit16 = c.limit16;
    // The engine's format: limited to 16 bits when the limit is on.
    ASSERT_TRUE(BuildRecordFormat(44100, 2, c.limit16 && c.code > 2 ? 2 : c.code, OutputFormat));
    IniSetSection("SOUND");
    IniWriteInt("Bits", c.code);
    IniWriteInt("Limit16", c.limit16 ? 1 : 0);
    IniWriteInt("Ratio", 44100);
    IniWriteInt("Channel_Count", 2);
    AudioPlayer engine;
    TheAudioPlayer = &engine;
    Limit16 = c.limit16;
    ASSERT_TRUE(BuildRecordFormat(44100, 2, c.limit16 && c.code > 2 ? 2 : c.code, OutputFormat));
    HWND d = Open();
    EXPECT_EQ(ComboItems(d, 1192), c.items) << c.code;
    EXPECT_EQ(SendMessage(GetDlgItem(d, 1192), CB_GETCURSEL, 0, 0), c.selected) << c.code;
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, 1203)) != FALSE, c.advanced) << c.code;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1191)));
    EXPECT_EQ(ComboItems(d, 1191).front(), "44100");
    Press(IDCANCEL);
    TheAudioPlayer = nullptr;
  }
}

TEST_F(RecorderTest, ADeviceThatRefusesTheFormatBeepsAndKeepsIt) {
  VirtualDeviceSpec picky;
  picky.accepts = [](const WAVEFORMATEX& f) { return f.nSamplesPerSec == 8000; };
  ResetDevices({picky});
  HWND d = Open();
  EXPECT_EQ(Dialog()->State(), kRecIdle);  // no monitor on a format it refuses
  Press(1484);
  EXPECT_EQ(boxes_.beeps.size(), 1u);
  EXPECT_THAT(boxes_.captions, ElementsAre("WaveInOpen"));
  EXPECT_EQ(Dialog()->State(), kRecIdle);
  EXPECT_EQ(Dialog()->RecordFormat().nSamplesPerSec, 22050u);
  EXPECT_EQ(Dialog()->RecordFormat().nChannels, 2);
  EXPECT_EQ(dialogtest::ItemText(GetDlgItem(d, 1191), 1001), "22050");
  EXPECT_TRUE(dialogtest::Checked(d, 1193));
  EXPECT_EQ(SendMessage(GetDlgItem(d, 1192), CB_GETCURSEL, 0, 0), 1);
}

}  // namespace

namespace {

TEST_F(RecorderTest, WithoutACaptureDeviceTheRecorderSaysSoAndAsksNothing) {
  ResetDevices({});
  TheAudioRecorder = new TAudioRecorder;
  EXPECT_FALSE(TheAudioRecorder->DevicePresent);
  TheAudioRecorder->Execute(owner_->GetHandle());
  EXPECT_THAT(boxes_.captions, ElementsAre("Audio Recorder"));
  EXPECT_EQ(boxes_.texts[0], "Audio recording device is not present in the system or is not selected.");
  EXPECT_TRUE(chooser_.calls.empty());
  EXPECT_EQ(TheAudioRecorder->Dialog(), nullptr);
}

TEST_F(RecorderTest, ACancelledFileChoiceOpensNothing) {
  TheAudioRecorder = new TAudioRecorder;
  chooser_.answers.push_back({ChooserResult::kCancel, "", 1});
  TheAudioRecorder->Execute(owner_->GetHandle());
  ASSERT_EQ(chooser_.calls.size(), 1u);
  EXPECT_EQ(chooser_.calls[0].title, "File for recording");
  EXPECT_EQ(TheAudioRecorder->Dialog(), nullptr);
  EXPECT_FALSE(VirtualAudio::IsOpen(0, true));
}

}  // namespace

namespace {

TEST_F(RecorderTest, AHiddenMeterKeepsTheDeviceClosedUntilItIsShown) {
  IniSetSection("Recorder");
  IniWriteInt("HideAudioMeter", 1);
  HWND d = Open();
  EXPECT_FALSE(dialogtest::Checked(d, 1461));
  EXPECT_EQ(Dialog()->State(), kRecIdle);
  EXPECT_FALSE(VirtualAudio::IsOpen(0, true));
  dialogtest::Click(d, 1461);
  EXPECT_EQ(Dialog()->State(), kRecMonitoring);
  dialogtest::Click(d, 1461);
  EXPECT_EQ(Dialog()->State(), kRecIdle);
  EXPECT_FALSE(VirtualAudio::IsOpen(0, true));
  Take(100);  // recording does not need the meter
  Press(IDCANCEL);
  IniSetSection("Recorder");
  EXPECT_EQ(IniReadInt("HideAudioMeter", 0), 1);
}

}  // namespace
