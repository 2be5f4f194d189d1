#include "app/settings/audio_page.h"

#include "app/settings/settings_sheet.h"
#include "audio/audio_player.h"
#include "platform/audio/virtual_audio.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

TEST(AudioFormat, EachFormatHasAnEntryOfItsOwn) {
  const struct {
    uint32_t rate;
    int channels, code, entry;
    const char* text;
  } cases[] = {
      {11025, 2, 2, 0, "11025/16 bit/stereo"}, {22050, 2, 2, 1, "22050/16 bit/stereo"},
      {44100, 2, 2, 2, "44100/16 bit/stereo"}, {48000, 2, 2, 3, "48000/16 bit/stereo"},
      {8000, 1, 1, 3, "8000/8 bit/mono"},      {44100, 1, 2, 3, "44100/16 bit/mono"},
      {96000, 2, 4, 3, "96000/24 bit/stereo"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AudioFormatEntry(c.rate, c.channels, c.code), c.entry) << c.text;
    EXPECT_EQ(AudioFormatText(c.rate, c.channels, c.code), c.text);
  }
}

class AudioPageTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    format_ = OutputFormat;
    limit_ = Limit16;
    VirtualAudio::Reset();
    IniSetSection("SOUND");
    IniWriteInt("Ratio", 44100);
    IniWriteInt("Channel_Count", 2);
    IniWriteInt("Bits", 2);
    IniWriteInt("Limit16", 1);
    IniWriteString("Delay", "1.0");
    IniFlush();
    audio_ = std::make_unique<AudioPlayer>();
    host_.audio = audio_.get();
  }
  void TearDown() override {
    host_.audio = nullptr;
    audio_.reset();
    OutputFormat = format_;
    Limit16 = limit_;
    SettingsTest::TearDown();
  }
  void RunOnAudio(std::function<void(HWND sheet, HWND page)> step) { RunOn("Audio", std::move(step)); }
  // Picks 22050 Hz, a 2.5 s buffer and no 16-bit limit, then OK.
  static void ChangeAll(HWND sheet, HWND page) {
    SendDlgItemMessage(page, kAudioFormat, CB_SETCURSEL, 1, 0);
    TypeOver(page, kAudioBuffer, "2.5");
    Click(page, kAudioLimit16);
    Click(sheet, IDOK);
  }

  std::unique_ptr<AudioPlayer> audio_;
  WAVEFORMATEX format_{};
  BOOL limit_ = FALSE;
};

TEST_F(AudioPageTest, ARefusedFormatKeepsEveryAudioSetting) {
  ASSERT_EQ(OutputFormat.nSamplesPerSec, 44100u);
  host_.acceptsAudio = false;
  RunOnAudio(ChangeAll);
  EXPECT_EQ(host_.audioAsked, std::vector<bool>{false});
  EXPECT_EQ(OutputFormat.nSamplesPerSec, 44100u);
  EXPECT_EQ(audio_->Delay, 1.0f);
  EXPECT_EQ(Limit16, TRUE);
  EXPECT_EQ(host_.effectFormats, 0);
}

// Accepted, the engine takes the format and opens the device at it; the
// time-line's clips having changed, Cancel can no longer undo it.
TEST_F(AudioPageTest, AnAcceptedFormatReachesTheEngineAndItsDevice) {
  host_.clearsClips = true;
  bool cancelEnabled = true;
  RunOnAudio([&](HWND sheet, HWND page) {
    SendDlgItemMessage(page, kAudioFormat, CB_SETCURSEL, 1, 0);
    TypeOver(page, kAudioBuffer, "2.5");
    Click(page, kAudioLimit16);
    Click(sheet, ID_APPLY_NOW);
    cancelEnabled = IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)) != FALSE;
    Click(sheet, IDOK);
  });
  ASSERT_FALSE(host_.audioAsked.empty());
  EXPECT_FALSE(host_.audioAsked[0]);
  EXPECT_EQ(OutputFormat.nSamplesPerSec, 22050u);
  ASSERT_TRUE(audio_->OpenDevice());
  EXPECT_EQ(VirtualAudio::LastFormat(0).nSamplesPerSec, 22050u);
  audio_->CloseDevice();
  EXPECT_EQ(audio_->Delay, 2.5f);
  EXPECT_EQ(Limit16, FALSE);
  EXPECT_GE(host_.effectFormats, 1);
  EXPECT_FALSE(cancelEnabled);
}

TEST_F(AudioPageTest, TheSameFormatAsksNothing) {
  RunOnAudio([&](HWND sheet, HWND page) {
    SendDlgItemMessage(page, kAudioWaveform, CB_SETCURSEL, 0, 0);
    Click(page, kAudioThroughFile);
    Click(sheet, IDOK);
  });
  EXPECT_TRUE(host_.audioAsked.empty());
  EXPECT_EQ(host_.waveform, -1);
}

// A project in a format the list does not hold shows it, and OK without a
// change keeps it and asks nothing; choosing a listed rate asks first.
TEST_F(AudioPageTest, TheProjectsOwnFormatIsShownAndKept) {
  for (const auto& [rate, channels] : {std::pair{48000u, 2}, std::pair{44100u, 1}}) {
    ASSERT_EQ(audio_->SetFormat(rate, channels, 2), 0);
    host_.audioAsked.clear();
    std::string shown;
    int entries = 0;
    RunOnAudio([&](HWND sheet, HWND page) {
      shown = ComboText(page, kAudioFormat);
      entries = static_cast<int>(SendDlgItemMessage(page, kAudioFormat, CB_GETCOUNT, 0, 0));
      Click(sheet, IDOK);
    });
    EXPECT_EQ(shown, AudioFormatText(rate, channels, 2));
    EXPECT_EQ(entries, 4);
    EXPECT_TRUE(host_.audioAsked.empty()) << rate;
    EXPECT_EQ(OutputFormat.nSamplesPerSec, rate);
    EXPECT_EQ(OutputFormat.nChannels, channels);
  }
  RunOnAudio([&](HWND sheet, HWND page) {
    SendDlgItemMessage(page, kAudioFormat, CB_SETCURSEL, 2, 0);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(host_.audioAsked, std::vector<bool>{true});
  EXPECT_EQ(OutputFormat.nChannels, 2);
}

TEST_F(AudioPageTest, TheMixerControlsFollowTheServer) {
  struct Case {
    bool server;
    bool enabled;
    std::string mixer;
  };
  for (const Case& c : {Case{false, false, ""}, Case{true, true, "show hide "}}) {
    host_.mixerServer = c.server;
    host_.boardMixer = true;
    host_.mixer.clear();
    bool checked = false, enabled = false, configure = false;
    RunOnAudio([&](HWND sheet, HWND page) {
      checked = Checked(page, kAudioBoardMixer);
      enabled = IsWindowEnabled(GetDlgItem(page, kAudioBoardMixer)) != FALSE;
      configure = IsWindowEnabled(GetDlgItem(page, kAudioConfigureMixer)) != FALSE;
      Click(page, kAudioConfigureMixer);
      Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(checked, c.server) << c.server;
    EXPECT_EQ(enabled, c.enabled) << c.server;
    EXPECT_EQ(configure, c.enabled) << c.server;
    EXPECT_EQ(host_.mixer, c.mixer) << c.server;
  }
}

}  // namespace
}  // namespace settingstest
