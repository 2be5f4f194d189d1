#include "model/profiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "film_fakes.h"
#include "model/film.h"
#include "model/levels.h"

using namespace filmtest;

namespace {

// The smallest gain index shown at fader position pos.
int32_t GainAtFader(int32_t pos) {
  for (int32_t g = 0; g < 2048; ++g)
    if (GainToFader(g, 0) == pos) return g;
  ADD_FAILURE() << "no gain at fader " << pos;
  return 0;
}

// The smallest balance shown at step s.
int32_t BalanceAtStep(int32_t s) {
  for (int32_t b = -256; b <= 256; ++b)
    if (BalanceToSteps(b, 0) == s) return b;
  ADD_FAILURE() << "no balance at step " << s;
  return 0;
}

class ProfileTest : public FilmTest {
 protected:
  // An audio film of a source of length ms, shown from in to out at start.
  std::unique_ptr<Film> AudioFilm(int32_t length, int32_t in, int32_t out, int32_t start = 0) {
    FakeAudio* a = Audio("a.wav", length);
    FakeClip clip(nullptr, a, nullptr, in, out, out - in, "Song");
    a->Release();  // the film holds the only reference
    return std::make_unique<Film>(clip, start, kKindAudio, 1, 0);
  }
  static std::vector<int32_t> Times(const Profile& p) {
    std::vector<int32_t> t;
    for (int32_t k = 0; k < p.Count(); ++k) t.push_back(p[k].time);
    return t;
  }
  static void SetPoints(Profile& p, std::vector<ProfilePoint> points) {
    ASSERT_TRUE(p.Assign(points.data(), static_cast<int32_t>(points.size())));
  }
};

TEST_F(ProfileTest, InsertPositions) {
  auto film = AudioFilm(10000, 0, 10000);
  EXPECT_TRUE(film->AddVolumePoint(-50, 100));  // before the first point: right after it
  EXPECT_EQ(Times(film->volumePoints), (std::vector<int32_t>{0, -50, 10000}));
  film->volumePoints.Clear();
  film->volumePoints.SetTwoPoints(10000, 512);
  EXPECT_TRUE(film->AddVolumePoint(20000, 100));  // beyond the last: before it
  EXPECT_EQ(Times(film->volumePoints), (std::vector<int32_t>{0, 20000, 10000}));
  film->volumePoints.SetTwoPoints(10000, 512);
  film->AddVolumePoint(3000, 1);
  film->AddVolumePoint(6000, 2);
  film->AddVolumePoint(3000, 3);  // same time as a middle point: right after it
  ASSERT_EQ(film->volumePoints.Count(), 5);
  EXPECT_EQ(film->volumePoints[1].value, 1);
  EXPECT_EQ(film->volumePoints[2].value, 3);
  EXPECT_EQ(film->volumePoints[3].value, 2);
  EXPECT_EQ(film->volumePoints.Capacity(), 10);
  for (int k = 0; k < 6; ++k) film->AddBalancePoint(100 * k + 100, 0);
  EXPECT_EQ(film->balancePoints.Capacity(), 10);
  while (film->volumePoints.Count() < 11) film->AddVolumePoint(5000, 0);
  EXPECT_EQ(film->volumePoints.Capacity(), 20);

  EXPECT_TRUE(film->DeleteVolumePoint(1));
  EXPECT_FALSE(film->DeleteVolumePoint(10));
  EXPECT_FALSE(film->DeleteVolumePoint(-1));
  EXPECT_EQ(film->volumePoints.Count(), 10);
  EXPECT_EQ(film->volumePoints[1].value, 3);
}

TEST_F(ProfileTest, FindPointTieRuleAndSkippedPoints) {
  auto film = AudioFilm(10000, 0, 10000);
  const int32_t g = 512;
  SetPoints(film->volumePoints, {{0, g}, {100, g}, {110, g}, {10000, g}});
  // Equal distances: the later point wins only when it lies before the mouse.
  EXPECT_EQ(film->FindVolumePoint(105, g, 7), 1);
  SetPoints(film->balancePoints, {{0, 0}, {100, 0}, {104, BalanceAtStep(6)}, {10000, 0}});
  EXPECT_EQ(film->FindBalancePoint(106, 0, 7), 2);
  EXPECT_EQ(film->FindBalancePoint(106, 0, 6), 2);  // at the limit still counts
  EXPECT_EQ(film->FindBalancePoint(106, 0, 5), -1);
  EXPECT_EQ(film->FindVolumePoint(5000, g, 7), -1);

  // Points before in lower the result; points after out end the scan.
  auto cut = AudioFilm(10000, 200, 9000);
  SetPoints(cut->volumePoints, {{0, g}, {100, g}, {205, g}, {9500, g}, {10000, g}});
  EXPECT_EQ(cut->FindVolumePoint(200, g, 7), 2);
  EXPECT_EQ(cut->FindVolumePoint(5000, g, 7), -3);
  EXPECT_EQ(cut->FindVolumePoint(9500, g, 7), -3);
}

TEST_F(ProfileTest, NearestPoint) {
  auto film = AudioFilm(10000, 0, 10000);
  SetPoints(film->volumePoints, {{0, 1}, {1000, 2}, {2000, 3}, {10000, 4}});
  EXPECT_EQ(film->NearestVolumePoint(1400), 1);
  EXPECT_EQ(film->NearestVolumePoint(1500), 1);  // a tie keeps the earlier
  EXPECT_EQ(film->NearestVolumePoint(1600), 2);
  EXPECT_EQ(film->NearestVolumePoint(9000), 3);
  SetPoints(film->volumePoints, {{0, 1}, {1000, 2}, {1000, 3}, {10000, 4}});
  EXPECT_EQ(film->NearestVolumePoint(1200), 2);  // of two at one time, the later one

  auto late = AudioFilm(10000, 3000, 9000);
  SetPoints(late->volumePoints, {{0, 1}, {1000, 2}, {2000, 3}, {10000, 4}});
  EXPECT_EQ(late->NearestVolumePoint(2500), 2);  // before in: the earlier unless the later is nearer
  SetPoints(late->volumePoints, {{0, 1}, {2900, 2}, {3100, 3}, {10000, 4}});
  EXPECT_EQ(late->NearestVolumePoint(2950), 1);
  EXPECT_EQ(late->NearestVolumePoint(3000), 1);
  EXPECT_EQ(late->NearestVolumePoint(3001), 2);
}

TEST_F(ProfileTest, HitTestCodes) {
  auto film = AudioFilm(10000, 0, 10000);
  const int32_t unity = 512;
  ASSERT_EQ(GainToFader(unity, 0), 78);
  struct {
    int32_t t, fader, hit, index;
  } flat[] = {
      {5000, 85, kHitFlatSegment, 0},  // 7 above the flat segment
      {5000, 86, kHitNone, 0},         // 8 above
      {5000, 71, kHitFlatSegment, 0}, {5000, 70, kHitNone, 0}, {3, 80, kHitPoint, 0},
      {9993, 85, kHitPoint, 1},       {9992, 86, kHitNone, 0},
  };
  for (const auto& c : flat) {
    int32_t index = -9;
    EXPECT_EQ(film->HitTestVolumeProfile(GainAtFader(c.fader), c.t, index), c.hit) << c.t << " " << c.fader;
    EXPECT_EQ(index, c.index) << c.t << " " << c.fader;
  }

  // A slope from step -48 to 48 over 96 pixels (10 ms a pixel): y = x - 48.
  host.zoomA = 1;
  host.zoomB = 10;
  auto sloped = AudioFilm(10000, 0, 10000);
  SetPoints(sloped->balancePoints, {{0, -256}, {960, 256}, {10000, 256}});
  struct {
    int32_t t, step, hit;
  } slope[] = {
      {480, 0, kHitSlopedSegment},
      {480, 9, kHitSlopedSegment},  // 6.4 pixels from the line
      {480, 10, kHitNone},          // 7.1 pixels
      {480, -9, kHitSlopedSegment},
  };
  for (const auto& c : slope) {
    int32_t index = -9;
    EXPECT_EQ(sloped->HitTestBalanceProfile(BalanceAtStep(c.step), c.t, index), c.hit) << c.step;
    EXPECT_EQ(index, 0);
  }

  // A vertical step at 500 ms.
  host.zoomB = 1;
  auto step = AudioFilm(1000, 0, 1000);
  SetPoints(step->balancePoints, {{0, -256}, {500, -256}, {500, 256}, {1000, 256}});
  int32_t index = -9;
  EXPECT_EQ(step->HitTestBalanceProfile(0, 503, index), kHitSlopedSegment);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(step->HitTestBalanceProfile(0, 508, index), kHitNone);
  EXPECT_EQ(step->HitTestBalanceProfile(0, 493, index), kHitSlopedSegment);
  EXPECT_EQ(index, 1);
}

TEST_F(ProfileTest, LongSegmentsAtTheClosestZoom) {
  // 24 pixels a millisecond: a day-long clip spans 2,073,600,000 pixels, so
  // every product of the test passes 32 bits and the squares pass 64.
  host.zoomA = 24;
  host.zoomB = 1;
  const int32_t day = 86400000;
  auto film = AudioFilm(day, 0, day);
  SetPoints(film->volumePoints, {{0, GainAtFader(40)}, {day, 2047}});
  ASSERT_EQ(GainToFader(2047, 0), 95);
  struct {
    int32_t fader, hit;
  } cases[] = {{68, kHitSlopedSegment},
               {75, kHitSlopedSegment},
               {76, kHitNone},
               {61, kHitSlopedSegment},
               {60, kHitNone}};
  for (const auto& c : cases) {
    int32_t index = -9;
    EXPECT_EQ(film->HitTestVolumeProfile(GainAtFader(c.fader), day / 2, index), c.hit) << c.fader;
    EXPECT_EQ(index, 0);
  }

  // A peak in the middle: the mouse over the falling half must pick that half.
  SetPoints(film->volumePoints, {{0, GainAtFader(40)}, {day / 2, 2047}, {day, GainAtFader(40)}});
  int32_t index = -9;
  EXPECT_EQ(film->HitTestVolumeProfile(GainAtFader(74), 60000000, index), kHitSlopedSegment);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(film->HitTestVolumeProfile(GainAtFader(74), 26400000, index), kHitSlopedSegment);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(film->HitTestVolumeProfile(GainAtFader(40), 60000000, index), kHitNone);
}

// ---- Status texts ----

TEST_F(ProfileTest, VolumeTexts) {
  auto film = AudioFilm(20000, 2000, 8000, 10000);
  film->AddVolumePoint(4000, 256);
  film->DescribeVolumePoint(1);
  EXPECT_EQ(host.status, "Volume is -6dB(-6dB) at key point 12:000ms(2:000ms)");
  film->DescribeVolumeRange(1);
  EXPECT_EQ(host.status, "Volume is -6dB(-6dB) in the range 12:000ms..28:000ms(2:000ms..18:000ms)");
  film->DescribeVolumeSlope(1);
  EXPECT_EQ(host.status,
            "Sloped volume: from -6dB(-6dB) in 12:000ms(2:000ms) to 0dB(0dB) in 28:000ms(18:000ms)");
  // The effective level takes the clip, its line and the master.
  host.lineGain[1] = 1024;
  film->DescribeVolumePoint(1);
  EXPECT_EQ(host.status, "Volume is 0dB(-6dB) at key point 12:000ms(2:000ms)");
  film->volume = 2047;
  host.lineGain[1] = 2047;
  host.masterGain = 2047;
  film->DescribeVolumePoint(2);
  EXPECT_EQ(host.status, "Volume is 12dB(0dB) at key point 28:000ms(18:000ms)");
  host.status = "unchanged";
  film->DescribeVolumeRange(2);  // the last point starts no range
  EXPECT_EQ(host.status, "unchanged");
}

TEST_F(ProfileTest, BalanceTexts) {
  auto film = AudioFilm(20000, 2000, 8000, 10000);
  film->AddBalancePoint(5000, 0);
  film->DescribeBalancePoint(1);
  EXPECT_EQ(host.status, "Balance is 0% left(0% left) at key point 13:000ms(3:000ms)");
  film->balancePoints[1].value = 128;
  host.linePan[1] = 64;
  film->DescribeBalancePoint(1);
  EXPECT_EQ(host.status, "Balance is 75% right(50% right) at key point 13:000ms(3:000ms)");
  film->balancePoints[1].value = -100;
  host.linePan[1] = 0;
  host.masterPan = -200;
  film->DescribeBalancePoint(1);
  EXPECT_EQ(host.status, "Balance is 100% left(39% left) at key point 13:000ms(3:000ms)");
  host.masterPan = 0;
  film->balance = 1;
  film->DescribeBalanceRange(1);
  EXPECT_EQ(host.status, "Balance is 39% left(39% left) in the range 13:000ms..28:000ms(3:000ms..18:000ms)");
  film->DescribeBalanceSlope(1);
  EXPECT_EQ(host.status,
            "Sloped balance: from 39% left(39% left) in 13:000ms(3:000ms) to 0% right(0% left) in "
            "28:000ms(18:000ms)");
}

TEST_F(ProfileTest, ClipTexts) {
  FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0};
  FakeAudio* a = Audio("v.avi", 4000);
  FakeMidi* m = Midi("m.mid", 4000);
  FakeClip both(v, a, nullptr, 280, 3000, 2720, "Take");
  Film film(both, 1000, kKindVideo | kKindAudio, 0, 0);
  film.DescribeClip();
  EXPECT_EQ(host.status, "VIDEO and AUDIO clip 'Take' starts at 1:000ms and stops at 3:720ms");
  film.DescribeStart();
  EXPECT_EQ(host.status,
            "Clip 'Take' starts at 1:000ms [source offset: 0:280ms], the 1-st frame is NOT a key frame");
  v->keyFrames.clear();
  film.DescribeStart();
  EXPECT_EQ(host.status,
            "Clip 'Take' starts at 1:000ms [source offset: 0:280ms], the 1-st frame is a key frame");
  film.DescribeStop();
  EXPECT_EQ(host.status, "Clip 'Take' stops at 3:720ms [source offset: 3:000ms]");
  v->rate = 30.0f;  // offsets are the video's own times of the frames
  film.DescribeStart();
  EXPECT_EQ(host.status,
            "Clip 'Take' starts at 1:000ms [source offset: 0:233ms], the 1-st frame is a key frame");

  struct {
    int32_t parts;
    const char* kind;
  } kinds[] = {{kKindVideo, "VIDEO"}, {kKindAudio, "AUDIO"}};
  for (const auto& k : kinds) {
    Film part(film, k.parts);
    part.DescribeClip();
    EXPECT_EQ(host.status.substr(0, host.status.find(' ')), k.kind);
  }
  FakeClip midiClip(nullptr, nullptr, m, 0, 1000, 1000, "Tune");
  Film tune(midiClip, 0, kKindMidi, 0, 0);
  tune.DescribeClip();
  EXPECT_EQ(host.status, "MIDI clip 'Tune' starts at 0:000ms and stops at 1:000ms");

  auto song = AudioFilm(20000, 2000, 8000, 10000);
  song->DescribeStart();
  EXPECT_EQ(host.status, "Clip 'Song' starts at 10:000ms [source offset: 2:000ms]");
  song->DescribeStop();
  EXPECT_EQ(host.status, "Clip 'Song' stops at 16:000ms [source offset: 8:000ms]");
  song->marks.AddMark(3000);
  song->marks.SetName(0, "Beat");
  song->DescribeMark(0);
  EXPECT_EQ(host.status, "Mark 'Beat' at 11:000ms [source offset: 3:000ms]");
  song->DescribeName();
  EXPECT_EQ(host.status, "Clip 'Song' has not audio effects");
}

TEST_F(ProfileTest, TextsAreCut) {
  auto film = AudioFilm(20000, 2000, 8000, 10000);
  std::string longName(127, 'n');
  std::memcpy(film->name, longName.c_str(), 128);
  film->DescribeClip();
  EXPECT_EQ(host.status.size(), 159u);
  EXPECT_EQ(host.status.substr(0, 20), "AUDIO clip 'nnnnnnnn");
  film->DescribeName();
  EXPECT_EQ(host.status.size(), 150u);
  EXPECT_EQ(host.status.substr(host.status.size() - 17), "' has not audio e");
}

}  // namespace
