// Solo and mute as the user clicks them, and as the mixer window asks.
#include "panel_fixture.h"

namespace paneltest {
namespace {

using SoloMute = PanelTest;

TEST_F(SoloMute, ASecondSoloClearsTheFirstUnlessSeveralMayBeInSolo) {
  struct Case {
    bool multiSolo;
    std::vector<bool> after;
  };
  for (const Case& c : {Case{false, {false, true, false, false}}, Case{true, {true, true, false, false}}}) {
    SCOPED_TRACE(c.multiSolo);
    MainTimeLineWindow& w = OpenPanels();
    w.Settings().multiSolo = c.multiSolo;
    Click(AudioPanel(), SoloButton(AudioPanel(), 0));
    Click(AudioPanel(), SoloButton(AudioPanel(), 1));
    EXPECT_EQ(Solo(), c.after);
    // A second click takes the row out of solo.
    Click(AudioPanel(), SoloButton(AudioPanel(), 1));
    EXPECT_FALSE(AudioRow(1).solo);
    Close();
  }
}

TEST_F(SoloMute, SoloUnmutesARowAndMutingARowInSoloEndsItsSolo) {
  OpenPanels();
  Click(AudioPanel(), MuteButton(AudioPanel(), 2));
  EXPECT_EQ(Mute(), (std::vector<bool>{false, false, true, false}));
  Click(AudioPanel(), SoloButton(AudioPanel(), 2));
  EXPECT_TRUE(AudioRow(2).solo);
  EXPECT_FALSE(AudioRow(2).mute);
  players_.mixer.clear();
  Click(AudioPanel(), MuteButton(AudioPanel(), 2));
  EXPECT_TRUE(AudioRow(2).mute);
  EXPECT_FALSE(AudioRow(2).solo);
  // The mixer hears of the solo that ended.
  EXPECT_EQ(players_.mixer, (std::vector<Notice>{{kPanelRequestSolo, 2}}));
}

TEST_F(SoloMute, DoubleClicksMakeTheRowTheOnlyOneInSoloOrTheOnlyOneMuted) {
  MainTimeLineWindow& w = OpenPanels();
  w.Settings().multiSolo = true;
  Click(AudioPanel(), SoloButton(AudioPanel(), 0));
  Click(AudioPanel(), SoloButton(AudioPanel(), 3));
  DoubleClick(AudioPanel(), SoloButton(AudioPanel(), 1));
  EXPECT_EQ(Solo(), (std::vector<bool>{false, true, false, false}));

  Click(AudioPanel(), MuteButton(AudioPanel(), 0));
  DoubleClick(AudioPanel(), MuteButton(AudioPanel(), 2));
  EXPECT_EQ(Mute(), (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(Solo(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(SoloMute, WhilePlayingSoloRemixesEveryLineAndMuteOnlyItsOwn) {
  OpenPanels();
  TimeLineEngine& e = Engine();
  e.play.realtimeMute = true;
  e.play.audioThroughFile = false;
  e.playing = true;
  Click(AudioPanel(), SoloButton(AudioPanel(), 2));
  std::vector<int32_t> tracks;
  for (const TrackValue& v : players_.trackValues) tracks.push_back(v.track);
  EXPECT_EQ(tracks, (std::vector<int32_t>{0, 1, 2, 3}));
  // Only the line in solo sounds.
  EXPECT_EQ(players_.trackValues[0].gain, 0);
  EXPECT_EQ(players_.trackValues[2].gain, kGainUnity);

  Click(AudioPanel(), SoloButton(AudioPanel(), 2));
  players_.trackValues.clear();
  Click(AudioPanel(), MuteButton(AudioPanel(), 3));
  EXPECT_EQ(players_.trackValues, (std::vector<TrackValue>{{3, 0, 0}}));
  e.playing = false;
}

TEST_F(SoloMute, WhilePlayingOnlyTheAudioPanelAnswersAndOnlyWhileMutingIsHeardAtOnce) {
  struct Case {
    bool realtimeMute, throughFile, answers;
  };
  OpenPanels();
  TimeLineEngine& e = Engine();
  for (const Case& c : {Case{true, false, true}, Case{false, false, false}, Case{true, true, false}}) {
    SCOPED_TRACE(::testing::Message() << c.realtimeMute << c.throughFile);
    e.play.realtimeMute = c.realtimeMute;
    e.play.audioThroughFile = c.throughFile;
    e.playing = true;
    Click(AudioPanel(), MuteButton(AudioPanel(), 1));
    EXPECT_EQ(AudioRow(1).mute != 0, c.answers);
    Click(VideoPanel(), MuteButton(VideoPanel(), 0));
    EXPECT_FALSE(e.videoPanel[0].mute);
    e.playing = false;
    AudioRow(1).mute = 0;
  }
  Click(VideoPanel(), MuteButton(VideoPanel(), 0));
  EXPECT_TRUE(e.videoPanel[0].mute);
}

TEST_F(SoloMute, TheMixersRequestsAreAnsweredForRowsOfThePanelOnly) {
  OpenPanels();
  EffectList* list = GainList({1.0f});
  AudioRow(1).effects = list;
  struct Case {
    WPARAM request;
    LPARAM row;
    LRESULT answer;
    bool changes;
  };
  const Case cases[] = {
      {kPanelRequestSolo, 1, 1, true},
      {kPanelRequestMute, 1, 1, true},
      {kPanelRequestEffectUse, 1, 1, true},
      {kPanelRequestSolo, 4, 1, false},
      {kPanelRequestMute, -1, 1, false},
      {kPanelRequestEffectUse, 9, 1, false},
      {kPanelRequestEffects, -2, 1, false},
      {3, 1, 0, false},
      {0, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.request << " row " << c.row);
    const std::vector<bool> solo = Solo(), mute = Mute();
    const BYTE bypass = list->bypass;
    players_.mixer.clear();
    EXPECT_EQ(AudioPanel().SendMessage(kTimeLineRequestMessage, c.request, c.row), c.answer);
    if (c.changes) {
      EXPECT_FALSE(players_.mixer.empty());
    } else {
      EXPECT_EQ(Solo(), solo);
      EXPECT_EQ(Mute(), mute);
      EXPECT_EQ(list->bypass, bypass);
      EXPECT_TRUE(players_.mixer.empty());
    }
  }
  // The three known requests on row 1 flipped solo (then mute ended it) and
  // the list's use.
  EXPECT_TRUE(AudioRow(1).mute);
  EXPECT_FALSE(AudioRow(1).solo);
  EXPECT_EQ(list->bypass, 1);
}

}  // namespace
}  // namespace paneltest
