#include <gtest/gtest.h>

#include <vector>

#include "engine_fakes.h"

namespace enginetest {
namespace {

class LineOperationsTest : public EngineTest {};

TEST_F(LineOperationsTest, SwappingAudioLinesMovesRecordsListsAndClips) {
  FakeEffects* fx0 = Effects();
  FakeEffects* fx2 = Effects();
  TrackRecord& zero = engine.audioPanel[0];
  TrackRecord& two = engine.audioPanel[2];
  zero.SetName("Drums");
  zero.gain = 300;
  zero.mute = 1;
  zero.effects = fx0;
  zero.SetZoom(0);
  two.SetName("Voice");
  two.pan = 90;
  two.solo = 1;
  two.effects = fx2;
  fx0->openCount = 1;
  Film* onZero = AudioFilm(0, 0, 1000);
  Film* onTwo = AudioFilm(2, 500, 1000);
  Film* onOne = AudioFilm(1, 0, 1000);

  ASSERT_TRUE(engine.SwapLines(kLineAudio, 2, 0));
  EXPECT_STREQ(two.name, "Drums");
  EXPECT_EQ(two.gain, 300);
  EXPECT_EQ(two.mute, 1);
  EXPECT_EQ(two.solo, 0);
  EXPECT_EQ(two.zoom, 0);
  EXPECT_EQ(two.effects, fx0);
  EXPECT_STREQ(zero.name, "Voice");
  EXPECT_EQ(zero.gain, kGainUnity);
  EXPECT_EQ(zero.pan, 90);
  EXPECT_EQ(zero.solo, 1);
  EXPECT_EQ(zero.zoom, 1);
  EXPECT_EQ(zero.height, 48);
  EXPECT_EQ(zero.effects, fx2);
  // The same lists, neither closed nor released: each held by its record
  // and by the undo snapshot.
  EXPECT_EQ(fx0->refs, 2);
  EXPECT_EQ(fx2->refs, 2);
  EXPECT_EQ(fx0->openCount, 1);
  EXPECT_EQ(onZero->audioLine, 2);
  EXPECT_EQ(onTwo->audioLine, 0);
  EXPECT_EQ(onOne->audioLine, 1);
  EXPECT_EQ(onZero->start, 0);
  EXPECT_TRUE(engine.IsModified());
  EXPECT_EQ(players.mixer.back(), (Notice{kMixerRefresh, 0}));
  EXPECT_GE(view.all, 1);

  // One undo step, which takes it all back.
  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(engine.CmUndo());
  EXPECT_STREQ(engine.audioPanel[0].name, "Drums");
  EXPECT_EQ(engine.audioPanel[0].effects, fx0);
  EXPECT_EQ(engine.audioPanel[2].effects, fx2);
  // The list as it was before the swap, films that start together included.
  std::vector<int32_t> lines;
  for (Film* f = FilmList.First(); f; f = f->next) lines.push_back(f->audioLine);
  EXPECT_EQ(lines, (std::vector<int32_t>{1, 0, 2}));
}

TEST_F(LineOperationsTest, SwappingVideoRowsOfDifferentHeightsRenewsPictures) {
  engine.videoPanel[0].SetZoom(1);
  engine.videoPanel[1].SetZoom(2);
  engine.videoPanel.Layout(engine.rowGap);
  Film* upper = VideoFilm(0, 0, 1000);
  Film* lower = VideoFilm(1, 2000, 1000);
  upper->UpdateInFrame(nullptr, 1);
  lower->UpdateOutFrame(nullptr, 2);
  auto* picture = static_cast<FakeThumbnail*>(upper->inPicture);

  ASSERT_TRUE(engine.SwapLines(kLineVideo, 0, 1));
  EXPECT_EQ(engine.videoPanel[0].height, 24);
  EXPECT_EQ(engine.videoPanel[1].height, 48);
  EXPECT_EQ(engine.videoPanel[1].top, 24 + engine.rowGap);
  EXPECT_EQ(upper->videoRow, 1);
  EXPECT_EQ(lower->videoRow, 0);
  EXPECT_EQ(upper->inPicture, nullptr);
  EXPECT_EQ(lower->outPicture, nullptr);
  EXPECT_EQ(picture->refs, 1);  // the undo snapshot's copy still shows it

  // Rows of one height keep their pictures.
  engine.videoPanel[0].SetZoom(1);
  upper->UpdateInFrame(nullptr, 1);
  ASSERT_TRUE(engine.SwapLines(kLineVideo, 1, 0));
  EXPECT_NE(upper->inPicture, nullptr);
  EXPECT_EQ(upper->videoRow, 0);
}

TEST_F(LineOperationsTest, InvalidSwapsChangeNothing) {
  engine.audioLineCount = 3;
  Film* f = AudioFilm(0, 0, 1000);
  engine.audioPanel[0].gain = 99;
  struct Case {
    int32_t kind, a, b;
  } cases[] = {{kLineAudio, 0, 3}, {kLineAudio, -1, 0}, {kLineVideo, 0, 2}, {kLineMidi, 0, 0},
               {kLineVfx, 0, 0},   {7, 0, 1},           {kLineAudio, 1, 1}, {kLineVideo, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_FALSE(engine.SwapLines(c.kind, c.a, c.b)) << c.kind << " " << c.a << " " << c.b;
  }
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_EQ(f->audioLine, 0);
  EXPECT_EQ(engine.audioPanel[0].gain, 99);
  EXPECT_FALSE(engine.IsModified());
}

TEST_F(LineOperationsTest, SwapKeepsTheTargetLineInView) {
  engine.audioPanel.firstShown = 2;
  engine.audioPanel.clientHeight = 1000;
  engine.audioPanel.Layout(engine.rowGap);
  ASSERT_TRUE(engine.SwapLines(kLineAudio, 1, 3));
  EXPECT_TRUE(view.scrolledTo.empty());             // line 3 is shown
  ASSERT_TRUE(engine.SwapLines(kLineAudio, 3, 1));  // line 1 lies above the first shown
  ASSERT_EQ(view.scrolledTo.size(), 1u);
  EXPECT_EQ(view.scrolledTo[0], 1);
}

TEST_F(LineOperationsTest, SwapScrollsDownWhenTheTargetLineIsBelowThePanel) {
  engine.audioPanel.clientHeight = 100;  // two rows of 48 and a gap
  engine.audioPanel.Layout(engine.rowGap);
  ASSERT_TRUE(engine.SwapLines(kLineAudio, 0, 3));
  ASSERT_EQ(view.scrolledTo.size(), 1u);
  EXPECT_EQ(view.scrolledTo[0], 1);
}

TEST_F(LineOperationsTest, SoloOfHiddenLinesAndClearing) {
  engine.audioPanel[1].solo = 1;
  engine.showAudio = false;
  EXPECT_FALSE(engine.AnyLineSolo());
  engine.showAudio = true;
  EXPECT_TRUE(engine.AnyLineSolo());
  engine.audioLineCount = 1;  // the soloed line is not in use
  EXPECT_FALSE(engine.AnyLineSolo());

  engine.videoPanel[1].solo = engine.midiPanel[0].solo = 1;
  engine.videoPanel[0].mute = engine.audioPanel[3].mute = engine.midiPanel[0].mute = 1;
  engine.ClearSolo();
  EXPECT_EQ(engine.audioPanel[1].solo, 0);
  EXPECT_EQ(engine.videoPanel[1].solo, 0);
  EXPECT_EQ(engine.midiPanel[0].solo, 0);
  EXPECT_EQ(engine.audioPanel[3].mute, 1);
  engine.ClearMute();
  EXPECT_EQ(engine.videoPanel[0].mute, 0);
  EXPECT_EQ(engine.audioPanel[3].mute, 0);
  EXPECT_EQ(engine.midiPanel[0].mute, 0);
}

TEST_F(LineOperationsTest, EnabledLineHeadersAreRepainted) {
  engine.showMidi = false;
  engine.InvalidateEnabledLines();
  ASSERT_EQ(view.headers.size(), 1u);
  EXPECT_EQ(view.headers[0], kLineVideo | kLineAudio);
  engine.AttachView(nullptr);
  engine.InvalidateEnabledLines();
  EXPECT_EQ(view.headers.size(), 1u);
}

TEST_F(LineOperationsTest, SettingUpARecord) {
  TrackRecord r;
  FakeEffects* fx = Effects();
  r.effects = fx;
  fx->openCount = 1;
  r.gain = 5;
  r.solo = r.mute = 1;
  const std::string longName(200, 'x');
  r.SetUp(longName.c_str(), 2, 10);
  EXPECT_EQ(std::string(r.name), std::string(127, 'x'));
  EXPECT_EQ(r.gain, kGainUnity);
  EXPECT_EQ(r.solo, 0);
  EXPECT_EQ(r.mute, 0);
  EXPECT_EQ(r.height, 24);
  EXPECT_EQ(r.middle, 10 + 12 - 1);
  EXPECT_EQ(r.bottom, 10 + 24 - 1);
  EXPECT_EQ(r.effects, nullptr);
  EXPECT_EQ(fx->refs, 0);
  EXPECT_EQ(fx->openCount, 0);
  // A zoom step read from a damaged file never shifts by more than 3.
  r.SetUp(nullptr, 40, 0);
  EXPECT_EQ(r.height, 48);
  EXPECT_STREQ(r.name, "");
}

}  // namespace
}  // namespace enginetest
