// The audio lines as they are drawn: clips, small clips and gaps, the
// separators, the declick ramps and the effect marker, what the smallest
// zoom step leaves out, and the profiles.
#include "audio/effect_list.h"
#include "audio_lines_fixture.h"
#include "model/levels.h"

namespace audiolinetest {
namespace {

using Painting = AudioLineTest;

constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST_F(Painting, SmallClipsAndNarrowGapsTakeTheirColours) {
  OpenLines();
  DistinctColors();
  Zoom(10);
  filmtest::FakeAudio* a = Audio("a.wav", 10000);
  Clip(a, 0, 100, 0, 100);  // x 10 .. 20
  Clip(a, 0, 210, 0, 20)->group = SelectionGroup;  // a pixel's gap, then two pixels
  Clip(a, 0, 300, 0, 4)->group = SelectionGroup;   // no width at all
  Clip(a, 0, 400, 0, 4);                           // no width, not selected
  Clip(a, 0, 500, 0, 100);                         // x 50 .. 60
  Clip(a, 0, 600, 0, 100);                         // touching it
  GuiPumpMessages();
  const int y = Middle(0) + 10;
  const struct {
    int x;
    int color;  // a colour index, or -1 for black
  } cases[] = {
      {15, kColorNonSelectedClip}, {20, kColorSmallHole}, {21, kColorSmallSelectedClip},
      {22, kColorSmallSelectedClip}, {23, kColorAudioTrack}, {40, kColorAudioTrack},
      {45, kColorAudioTrack}, {59, -1}, {60, -1}, {65, kColorNonSelectedClip},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Pixel(c.x, y), c.color < 0 ? kBlack : TimeLineColors[c.color]) << c.x;
  }
  // The selected clip without width is one pixel wide.
  EXPECT_EQ(ColumnsWith(TimeLineColors[kColorSmallSelectedClip], 25, 35, y, y + 1).size(), 1u);
}

TEST_F(Painting, LinesOfEachHeightAreSeparatedByABlackRow) {
  OpenLines({1, 0, 2});
  DistinctColors();
  Engine().SetAudioLineCount(3);
  GuiPumpMessages();
  for (int32_t line = 0; line < 2; ++line) {
    const int below = Row(line).top + Row(line).height;
    EXPECT_EQ(Pixel(500, below), kBlack) << line;
    EXPECT_EQ(Pixel(500, below - 1), TimeLineColors[kColorAudioTrack]) << line;
    EXPECT_EQ(Pixel(500, below + 1), TimeLineColors[kColorAudioTrack]) << line;
  }
  EXPECT_EQ(Row(2).top, 48 + 1 + 96 + 1);
}

TEST_F(Painting, DeclickRampsAndTheEffectMarkerSitAtTheClipsCorners) {
  OpenLines();
  DistinctColors();
  filmtest::FakeAudio* a = Audio("a.wav", 10000);
  Film* f = Clip(a, 1, 100, 0, 200);  // x 100 .. 300 on line 1
  f->declickIn = f->declickOut = true;
  auto* list = EffectList::New();
  f->effects = list;
  GuiPumpMessages();
  const int top = Row(1).top, bottom = Row(1).bottom;
  const COLORREF declick = TimeLineColors[kColorDeclick];
  // Triangles five pixels wide and ten high in the top corners, upright at
  // the clip's start and at its end.
  EXPECT_EQ(Pixel(101, top + 1), declick);
  EXPECT_EQ(Pixel(101, top + 5), declick);
  EXPECT_NE(Pixel(104, top + 8), declick);
  EXPECT_NE(Pixel(107, top + 1), declick);
  EXPECT_EQ(Pixel(298, top + 1), declick);
  EXPECT_EQ(Pixel(298, top + 5), declick);
  EXPECT_NE(Pixel(296, top + 8), declick);
  EXPECT_NE(Pixel(293, top + 1), declick);
  // The marker, ten pixels each way in the lower left corner.
  EXPECT_EQ(Pixel(102, bottom - 2), TimeLineColors[kColorUsedEffects]);
  EXPECT_EQ(Pixel(101, bottom - 8), TimeLineColors[kColorUsedEffects]);
  EXPECT_NE(Pixel(108, bottom - 8), TimeLineColors[kColorUsedEffects]);
  list->SetEnabled(false);
  Lines().Invalidate(false);
  GuiPumpMessages();
  EXPECT_EQ(Pixel(102, bottom - 2), TimeLineColors[kColorNonUsedEffects]);
  // A clip of eight pixels has a marker of eight.
  Film* narrow = Clip(a, 2, 500, 0, 8);
  narrow->effects = EffectList::New();
  GuiPumpMessages();
  const int bottom2 = Row(2).bottom;
  EXPECT_EQ(Pixel(501, bottom2 - 6), TimeLineColors[kColorUsedEffects]);
  EXPECT_NE(Pixel(501, bottom2 - 9), TimeLineColors[kColorUsedEffects]);
}

TEST_F(Painting, AtTheSmallestStepAClipShowsItsSoundEdgesAndMarksOnly) {
  OpenLines({3, 1});
  DistinctColors();
  AudioData* sine = Sine(8000, 1);
  ASSERT_NE(sine, nullptr);
  for (int32_t line = 0; line < 2; ++line) {
    Film* f = Clip(sine, line, 100, 0, 600, "speech");
    f->declickIn = f->declickOut = true;
    f->effects = EffectList::New();
    ASSERT_TRUE(f->marks.AddMark(300));
    f->marks.SetName(0, "cue");
  }
  GuiPumpMessages();
  auto colours = [&](int32_t line) {
    std::vector<COLORREF> seen;
    for (int x = 100; x < 700; ++x) {
      for (int y = Row(line).top; y <= Row(line).bottom; ++y) {
        const COLORREF c = Pixel(x, y);
        if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
      }
    }
    return seen;
  };
  auto has = [](const std::vector<COLORREF>& seen, int color) {
    return std::find(seen.begin(), seen.end(), TimeLineColors[color]) != seen.end();
  };
  const std::vector<COLORREF> small = colours(0), full = colours(1);
  for (int shown : {kColorWaveform, kColorActiveClipMark, kColorNonSelectedClip}) {
    EXPECT_TRUE(has(small, shown)) << shown;
    EXPECT_TRUE(has(full, shown)) << shown;
  }
  for (int left : {kColorNonSelectedName, kColorDeclick, kColorUsedEffects, kColorActiveVolumeProfile,
                   kColorPassiveBalanceProfile, kColorActiveKeyPoint}) {
    EXPECT_FALSE(has(small, left)) << left;
    EXPECT_TRUE(has(full, left)) << left;
  }
  EXPECT_EQ(Pixel(100, Row(0).top + 5), kBlack);
  EXPECT_EQ(Pixel(699, Row(0).top + 5), kBlack);
}

// The rows of column x drawn in the active volume colour.
class Profiles : public AudioLineTest {
 protected:
  std::vector<int> VolumeRows(int x, int32_t line) {
    return RowsWith(TimeLineColors[kColorActiveVolumeProfile], x, Row(line).top, Row(line).bottom + 1);
  }
};

TEST_F(Profiles, UnityAtUnityGainsSitsAtUnitysFaderAndAnyHalvedGainLowersIt) {
  OpenLines({0});
  DistinctColors();
  filmtest::FakeAudio* a = Audio("a.wav", 10000);
  Film* f = Clip(a, 0, 100, 0, 800);
  GuiPumpMessages();
  const int unity = VolumeY(0, kGainUnity);
  EXPECT_EQ(VolumeRows(400, 0), std::vector<int>{unity});
  const int half = VolumeY(0, kGainUnity / 2);
  ASSERT_GT(half, unity);
  struct Gains {
    int32_t clip, line, master;
  };
  for (const Gains& g : {Gains{256, 512, 512}, Gains{512, 256, 512}, Gains{512, 512, 256}}) {
    f->volume = g.clip;
    Engine().audioPanel[0].gain = g.line;
    Engine().masterGain = g.master;
    Lines().Invalidate(false);
    GuiPumpMessages();
    EXPECT_EQ(VolumeRows(400, 0), std::vector<int>{half}) << g.clip << " " << g.line << " " << g.master;
    EXPECT_EQ(f->volumePoints[0].value, kGainUnity);
  }
}

TEST_F(Profiles, AProfileStartingLeftOfTheClipStartsAtItsEdgeWithoutASquare) {
  OpenLines({0});
  DistinctColors();
  filmtest::FakeAudio* a = Audio("a.wav", 2000);
  Film* f = Clip(a, 0, 100, 500, 1500);  // x 100 .. 1100, source 500 .. 1500
  f->volumePoints.Insert(1000, 1024);
  GuiPumpMessages();
  // Half way up the first segment at the clip's left edge.
  const int edge = VolumeRows(101, 0).empty() ? -1 : VolumeRows(101, 0).front();
  const int low = VolumeY(0, kGainUnity), high = VolumeY(0, 1024);
  EXPECT_LT(edge, low);
  EXPECT_GT(edge, high);
  const COLORREF square = TimeLineColors[kColorActiveKeyPoint];
  EXPECT_TRUE(ColumnsWith(square, 100, 110, 0, Row(0).bottom).empty());
  // The inner point's square, three pixels wide.
  EXPECT_EQ(ColumnsWith(square, 580, 620, 0, Row(0).bottom), (std::vector<int>{599, 600, 601}));
}

TEST_F(Profiles, BalanceRunsAboutTheMiddleAndEachModeShowsItsActiveProfile) {
  OpenLines({0});
  DistinctColors();
  filmtest::FakeAudio* a = Audio("a.wav", 10000);
  Film* f = Clip(a, 0, 100, 0, 800);
  f->balancePoints[0].value = f->balancePoints[1].value = 128;  // half right
  const struct {
    int32_t mode;
    int active, passive;  // colour indexes; -1: not drawn
  } cases[] = {
      {kProfileVolume, kColorActiveVolumeProfile, kColorPassiveBalanceProfile},
      {kProfileBalance, kColorActiveBalanceProfile, kColorPassiveVolumeProfile},
      {kProfileVolumeOnly, kColorActiveVolumeProfile, -1},
  };
  for (const auto& c : cases) {
    tl_->Settings().profileMode = c.mode;
    Lines().Invalidate(false);
    GuiPumpMessages();
    EXPECT_FALSE(RowsWith(TimeLineColors[c.active], 400, 0, Row(0).bottom + 1).empty()) << c.mode;
    if (c.passive >= 0) {
      EXPECT_FALSE(RowsWith(TimeLineColors[c.passive], 400, 0, Row(0).bottom + 1).empty()) << c.mode;
    }
  }
  for (COLORREF c : {TimeLineColors[kColorActiveBalanceProfile], TimeLineColors[kColorPassiveBalanceProfile]}) {
    EXPECT_TRUE(RowsWith(c, 400, 0, Row(0).bottom + 1).empty());
  }
  tl_->Settings().profileMode = kProfileBalance;
  Lines().Invalidate(false);
  GuiPumpMessages();
  // Half right is a quarter of the height below the middle.
  EXPECT_EQ(RowsWith(TimeLineColors[kColorActiveBalanceProfile], 400, 0, Row(0).bottom + 1),
            std::vector<int>{Middle(0) + 24});
}

}  // namespace
}  // namespace audiolinetest
