#include "app/settings/playback_pages.h"

#include "app/settings/settings_sheet.h"
#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "model/timeline_engine.h"
#include "platform/audio/virtual_audio.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"

using namespace dialogtest;

namespace settingstest {
namespace {

class PlaybackPagesTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    VirtualAudio::Reset();
    format_ = OutputFormat;
    audio_ = std::make_unique<AudioPlayer>();
    host_.audio = audio_.get();
    host_.engine = &engine_;
    host_.options = &options_;
    effects_ = EffectList::settings;
  }
  void TearDown() override {
    host_.audio = nullptr;
    audio_.reset();
    OutputFormat = format_;
    EffectList::settings = effects_;
    SettingsTest::TearDown();
  }
  std::unique_ptr<AudioPlayer> audio_;
  TimeLineEngine engine_;
  TimeLineSettings options_;
  WAVEFORMATEX format_{};
  EffectSettings effects_;
};

TEST_F(PlaybackPagesTest, ScrubbingLengthsStayWithinTheirRanges) {
  options_.autoScroll = true;
  RunOn("Scrubbing", [&](HWND sheet, HWND page) {
    TypeOver(page, kScrubMin, "2.0");  // at most 1.0
    TypeOver(page, kScrubMax, "5.0");
    Click(page, kScrubVideo);
    Click(page, kScrubAutoScroll);
    Click(sheet, IDOK);
  });
  EXPECT_FLOAT_EQ(audio_->PreviewLength, 1.0f);
  EXPECT_FLOAT_EQ(audio_->MaxPreviewLength, 5.0f);
  EXPECT_TRUE(engine_.previewVideo);
  EXPECT_FALSE(options_.autoScroll);
}

TEST_F(PlaybackPagesTest, DeclickAndEffectsStoreTheirChoices) {
  engine_.autoSetDeclick = false;
  RunOn("Declick", [&](HWND sheet, HWND page) {
    SendDlgItemMessage(page, kDeclickType, CB_SETCURSEL, 0, 0);
    TypeOver(page, kDeclickLength, "12.5");
    Click(page, kDeclickAuto);
    OpenTab(sheet, "Effects");
    HWND effects = CurrentPage(sheet);
    SendDlgItemMessage(effects, kEffectsFinal, CB_SETCURSEL, 1, 0);
    SendDlgItemMessage(effects, kEffectsMisc, CB_SETCURSEL, 2, 0);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(audio_->DeclickType, 0);
  EXPECT_FLOAT_EQ(audio_->InOutLength, 12.5f);
  EXPECT_TRUE(engine_.autoSetDeclick);
  EXPECT_EQ(EffectList::settings.finalQuality, 1);
  EXPECT_EQ(EffectList::settings.miscQuality, 2);
  EXPECT_EQ(EffectList::settings.realTimeQuality, effects_.realTimeQuality);
}

}  // namespace
}  // namespace settingstest
