// The View and Window commands: lines shown and hidden with the frame and
// its tool bar following, the audio meter, the video window, and Record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "audio/audio_player.h"
#include "platform/audio/virtual_audio.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"
#include "transport_fixture.h"

namespace transporttest {
namespace {

using ::testing::ElementsAre;

class ViewTest : public TransportTest {
 protected:
  UINT ViewState(int id) { return GetMenuState(Frame().Popup(2), static_cast<UINT>(id), MF_BYCOMMAND); }
  int FrameHeight() { return FrameRect().Height(); }
};

TEST_F(ViewTest, ShowVideoTracksTwiceGivesBackTheFrameAndItsButtons) {
  OpenTransport();
  const int height = FrameHeight();
  const std::vector<int> buttons = Frame().Gadgets();
  ASSERT_THAT(buttons, ElementsAre(kCmRewind, kCmPlay, kCmStop, 516, 515, kCmRecordAudio));

  Command(kCmShowVideoTracks);
  GuiPumpMessages();
  EXPECT_FALSE(Engine().showVideo);
  EXPECT_FALSE(::IsWindowVisible(window_->VideoLine()->GetHandle()));
  EXPECT_THAT(Frame().Gadgets(), ElementsAre(kCmRewind, kCmPlay, kCmStop, kCmRecordAudio));
  EXPECT_FALSE(ViewState(kCmShowVideoTracks) & MF_CHECKED);
  EXPECT_LT(FrameHeight(), height - Engine().videoPanel[0].height);

  Command(kCmShowVideoTracks);
  GuiPumpMessages();
  EXPECT_TRUE(Engine().showVideo);
  EXPECT_TRUE(::IsWindowVisible(window_->VideoLine()->GetHandle()));
  EXPECT_EQ(Frame().Gadgets(), buttons);
  EXPECT_TRUE(ViewState(kCmShowVideoTracks) & MF_CHECKED);
  EXPECT_EQ(FrameHeight(), height);
}

TEST_F(ViewTest, ShowAudioTracksTwiceGivesBackTheFrame) {
  OpenTransport();
  const int height = FrameHeight();
  Command(kCmShowAudioTracks);
  GuiPumpMessages();
  EXPECT_FALSE(Engine().showAudio);
  EXPECT_FALSE(::IsWindowVisible(window_->AudioLines()->GetHandle()));
  EXPECT_FALSE(ViewState(kCmShowAudioTracks) & MF_CHECKED);
  EXPECT_LT(FrameHeight(), height);
  Command(kCmShowAudioTracks);
  GuiPumpMessages();
  EXPECT_TRUE(Engine().showAudio);
  EXPECT_TRUE(::IsWindowVisible(window_->AudioLines()->GetHandle()));
  EXPECT_TRUE(ViewState(kCmShowAudioTracks) & MF_CHECKED);
  EXPECT_EQ(FrameHeight(), height);
  EXPECT_THAT(Frame().Gadgets(), ElementsAre(kCmRewind, kCmPlay, kCmStop, 516, 515, kCmRecordAudio));
}

TEST_F(ViewTest, RecordIsGreyedWhilePlayingOrRecording) {
  OpenTransport();
  SoundClip(0, 0, 5000);
  EXPECT_TRUE(Enabled(kCmRecordAudio));
  Command(kCmRecordAudio);
  EXPECT_EQ(host_.recordings, 1);
  EXPECT_FALSE(Enabled(kCmRecordAudio));
  Command(kCmRecordAudio);
  EXPECT_EQ(host_.recordings, 1);
  host_.recording = false;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  EXPECT_FALSE(Enabled(kCmRecordAudio));
  Command(kCmRecordAudio);
  EXPECT_EQ(host_.recordings, 1);
}

// The engine's mixer window, as a recording stand-in.
struct MeterCalls {
  static inline std::vector<std::string> calls;
};

class FakeMeter : public MixerNotices {
 public:
  bool IsWindowValid() override { return true; }
  LRESULT Notify(WPARAM, LPARAM) override { return 0; }
  void CloseWindow() override { MeterCalls::calls.push_back("close"); }
};

MixerNotices* MakeMeter(HWND, bool faders, bool onTop) {
  MeterCalls::calls.push_back(std::string("open ") + (faders ? "big" : "small") + (onTop ? " on top" : ""));
  return new FakeMeter;
}

TEST_F(ViewTest, TheAudioMeterOpensWithF7AndItsCloseIsRemembered) {
  Ini("TIMELINE", "SHOW_AUDIO_METER", "0");
  Ini("TIMELINE", "AUDIO_METER_ON_TOP", "1");
  OpenTransport();
  VirtualAudio::Reset();
  AudioPlayer engine;
  TheAudioPlayer = &engine;
  AudioPlayer::SetMixerFactory(&MakeMeter);
  MeterCalls::calls.clear();
  window_->SetFocus();
  Press(VK_F7);
  EXPECT_THAT(MeterCalls::calls, ElementsAre("open small on top"));
  EXPECT_TRUE(window_->Settings().audioMeterShown);
  Close();
  EXPECT_EQ(IniValue("TIMELINE", "SHOW_AUDIO_METER"), "1");

  OpenTransport();
  EXPECT_THAT(MeterCalls::calls, ElementsAre("open small on top", "close", "open small on top"));
  window_->PostMessage(WM_COMMAND, kCmAudioMeterClosed, 0);
  GuiPumpMessages();
  EXPECT_EQ(MeterCalls::calls.back(), "close");
  EXPECT_FALSE(window_->Settings().audioMeterShown);
  Close();
  EXPECT_EQ(IniValue("TIMELINE", "SHOW_AUDIO_METER"), "0");
  AudioPlayer::SetMixerFactory(nullptr);
  TheAudioPlayer = nullptr;
}

TEST_F(ViewTest, TheVideoWindowComesUpWithF9AndAnIdlePreviewCloses) {
  OpenTransport();
  window_->SetFocus();
  Press(VK_F9);
  Command(kCmCloseVideoPreview);
  EXPECT_THAT(players_.log, ElementsAre("video.focus", "video.closepreview"));
}

}  // namespace
}  // namespace transporttest
