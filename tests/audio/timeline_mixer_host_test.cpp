// The mixer over the time-line's engine half.
#include "audio/timeline_mixer_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/mixer_dialog.h"
#include "engine_fixture.h"
#include "model/changed_ranges.h"
#include "model/levels.h"
#include "model/timeline_engine.h"
#include "model/timeline_view.h"
#include "platform/classlib/classlib.h"
#include "ui/dialog_script.h"
#include "ui/fake_shell.h"

namespace {

struct MasterValue {
  int32_t track, gain, pan;
};

class PlayersStandIn : public TimeLinePlayers {
 public:
  bool AudioUsable() override { return true; }
  void SetTrackVolumePan(int32_t track, int32_t gain, int32_t pan) override {
    values.push_back({track, gain, pan});
  }
  std::vector<MasterValue> values;
};

class TimeLineMixerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    BuildLevelTables();
    timeline_.SetPlayers(&players_);
    engine_ = std::make_unique<AudioPlayer>();
    TheAudioPlayer = engine_.get();
    AudioPlayer::SetMixerFactory(&MakeMixerDialog, &host_);
    owner_ = std::make_unique<TWindow>(nullptr, "Time-line");
    owner_->Attr.Style = WS_OVERLAPPEDWINDOW;
    ASSERT_TRUE(owner_->Create());
  }
  void TearDown() override {
    engine_->CloseMixer();
    AudioPlayer::SetMixerFactory(nullptr);
    TheAudioPlayer = nullptr;
    engine_.reset();
    owner_.reset();
    timeline_.SetPlayers(nullptr);
    GuiPumpMessages();
    EngineTest::TearDown();
  }

  TimeLineEngine timeline_;
  PlayersStandIn players_;
  TimeLineMixerHost host_{timeline_};
  std::unique_ptr<AudioPlayer> engine_;
  std::unique_ptr<TWindow> owner_;
  FakeShell shell_;
};

TEST_F(TimeLineMixerTest, TheFaderWritesTheProjectAndWhilePlayingTheEngine) {
  timeline_.masterGain = DbToGain(-6);
  timeline_.masterPan = PercentTo256(10);
  timeline_.audioLineCount = 3;
  timeline_.playing = true;
  LineChangedRange[1].Clear();
  engine_->OpenMixer(owner_->GetHandle(), false, false);
  HWND d = FindWindow(nullptr, "A.Meter");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(dialogtest::ItemText(d, 1415), "-6");
  EXPECT_EQ(dialogtest::ItemText(d, 1419), "10");

  dialogtest::TypeOver(d, 1415, "-12");
  dialogtest::Key(d, VK_TAB);
  EXPECT_EQ(timeline_.masterGain, DbToGain(-12));
  ASSERT_FALSE(players_.values.empty());
  EXPECT_EQ(players_.values.back().track, -1);
  EXPECT_EQ(players_.values.back().gain, DbToGain(-12));
  EXPECT_FALSE(LineChangedRange[1].Empty());  // the play file is mixed again

  timeline_.playing = false;
  players_.values.clear();
  dialogtest::TypeOver(d, 1419, "-40");
  dialogtest::Key(d, VK_TAB);
  EXPECT_EQ(timeline_.masterPan, PercentTo256(-40));
  EXPECT_TRUE(players_.values.empty());  // not playing: the engine is left alone
}

TEST_F(TimeLineMixerTest, TheHostHoldsValuesToTheirRanges) {
  host_.SetMasterVolume(5000);
  host_.SetMasterPan(-900);
  EXPECT_EQ(timeline_.masterGain, kGainCount - 1);
  EXPECT_EQ(timeline_.masterPan, -256);
  timeline_.commandsEnabled = false;
  EXPECT_FALSE(host_.CommandsEnabled());
  host_.SetMetersOff(true);
  EXPECT_TRUE(host_.MetersOff());
}

}  // namespace
