#include <gtest/gtest.h>

#include "play_fakes.h"

namespace playtest {
namespace {

class SegmentsTest : public PlayTest {};

struct ClipSpec {
  int32_t row, start, end, in, stamp;
};
struct TransitionSpec {
  int32_t start, end, first, second;
  bool rendered;
};
// src: the index of the clip whose source plays, -1 the rendered file.
struct Want {
  int32_t start, end, in, src;
};
struct SegmentCase {
  const char* name;
  std::vector<ClipSpec> clips;
  std::vector<TransitionSpec> transitions;
  int32_t start, end;  // the range asked for
  int32_t roundedStart, roundedEnd;
  std::vector<Want> want;
};

// At 25 fps a frame is 40 ms.
const SegmentCase kSegmentCases[] = {
    {"row 0 lies inside row 1: row 1 is split around it",
     {{1, 0, 3000, 0, 0}, {0, 1000, 2000, 0, 0}},
     {},
     0,
     4000,
     0,
     4000,
     {{0, 1000, 0, 0}, {1000, 2000, 0, 1}, {2000, 3000, 2000, 0}}},
    {"row 1 ends under row 0: it ends where row 0 starts",
     {{1, 520, 1500, 0, 0}, {0, 1000, 2000, 0, 0}},
     {},
     0,
     4000,
     0,
     4000,
     {{520, 1000, 0, 0}, {1000, 2000, 0, 1}}},
    {"row 1 starts under row 0: it starts where row 0 ends",
     {{0, 0, 1000, 0, 0}, {1, 600, 2000, 0, 0}},
     {},
     0,
     4000,
     0,
     4000,
     {{0, 1000, 0, 0}, {1000, 2000, 400, 1}}},
    {"rows starting together: row 1 starts where row 0 ends",
     {{1, 1000, 3000, 0, 0}, {0, 1000, 2000, 0, 0}},
     {},
     0,
     4000,
     0,
     4000,
     {{1000, 2000, 0, 1}, {2000, 3000, 1000, 0}}},
    {"a clip covered by a longer, earlier one on its row is dropped",
     {{0, 0, 3000, 0, 0}, {0, 1000, 2000, 0, 0}},
     {},
     0,
     4000,
     0,
     4000,
     {{0, 3000, 0, 0}}},
    {"a range starting inside a clip moves its in point by whole frames",
     {{0, 0, 2000, 120, 0}},
     {},
     1030,
     4000,
     1040,
     4000,
     {{1040, 2000, 1160, 0}}},
    {"a range ending inside a clip moves its out point by whole frames",
     {{0, 0, 2000, 120, 0}},
     {},
     0,
     1010,
     0,
     1000,
     {{0, 1000, 120, 0}}},
    {"a transition not yet rendered is a cut at its middle frame",
     {{0, 0, 2000, 0, 1}, {1, 1000, 3000, 200, 2}},
     {{1000, 2000, 1, 2, false}},
     0,
     4000,
     0,
     4000,
     // Frames 25..50: the middle is frame 37 (1480 ms), not 38.
     {{0, 1000, 0, 0}, {1000, 1480, 1000, 0}, {1480, 2000, 680, 1}, {2000, 3000, 1200, 1}}},
    {"a range starting inside an unrendered transition cuts at the same middle",
     {{0, 0, 2000, 0, 1}, {1, 1000, 3000, 200, 2}},
     {{1000, 2000, 1, 2, false}},
     1200,
     4000,
     1200,
     4000,
     {{1200, 1480, 1200, 0}, {1480, 2000, 680, 1}, {2000, 3000, 1200, 1}}},
    {"a rendered transition plays its file over its frames",
     {{0, 0, 2000, 0, 1}, {1, 1000, 3000, 200, 2}},
     {{1000, 2000, 1, 2, true}},
     0,
     4000,
     0,
     4000,
     {{0, 1000, 0, 0}, {1000, 2000, 0, -1}, {2000, 3000, 1200, 1}}},
    {"a rendered transition cut at the front starts at the frames cut",
     {{0, 0, 2000, 0, 1}, {1, 1000, 3000, 200, 2}},
     {{1000, 2000, 1, 2, true}},
     1200,
     4000,
     1200,
     4000,
     {{1200, 2000, 200, -1}, {2000, 3000, 1200, 1}}},
    {"a transition joins its films in its own order only",
     {{0, 0, 2000, 0, 1}, {1, 1000, 3000, 200, 2}},
     {{1000, 2000, 2, 1, false}},
     0,
     4000,
     0,
     4000,
     {{0, 2000, 0, 0}, {2000, 3000, 1200, 1}}},
};

TEST_F(SegmentsTest, SegmentTableAt25Fps) {
  for (const SegmentCase& c : kSegmentCases) {
    SCOPED_TRACE(c.name);
    FilmList.Clear();
    fakes.vfx.entries.clear();
    std::vector<Film*> films;
    for (const ClipSpec& s : c.clips) films.push_back(VideoAt(s.row, s.start, s.end, s.in, s.stamp));
    FakeVideo* rendered = Video("render.avi", 1000);
    for (const TransitionSpec& t : c.transitions) {
      fakes.vfx.Add(t.start, t.end, t.first, t.second, t.rendered ? rendered : nullptr);
    }

    const bool rows[2] = {true, true};
    int32_t start = c.start, end = c.end;
    ASSERT_TRUE(engine.CollectRange(FilmList, rows, start, end));
    EXPECT_EQ(start, c.roundedStart);
    EXPECT_EQ(end, c.roundedEnd);

    std::vector<Seg> want;
    for (const Want& w : c.want) {
      VideoSource* v = w.src < 0 ? rendered : films[w.src]->video;
      const int32_t row = w.src < 0 ? 0 : c.clips[w.src].row;
      want.push_back({w.start, w.end, w.in, w.in + (w.end - w.start), row, v});
    }
    EXPECT_EQ(Segments(engine.play.segments.First()), want);
    // A segment carries nothing but its picture.
    for (Film* s = engine.play.segments.First(); s; s = s->next) {
      EXPECT_EQ(s->audio, nullptr);
      EXPECT_EQ(s->midi, nullptr);
      EXPECT_EQ(s->effects, nullptr);
    }
    EXPECT_EQ(fakes.vfx.locks, fakes.vfx.unlocks);
    engine.FreeRangeList();
    rendered->Release();
  }
}

TEST_F(SegmentsTest, OnlyFlaggedRowsTakePart) {
  VideoAt(0, 0, 1000);
  Film* second = VideoAt(1, 520, 2000);
  const bool rows[2] = {false, true};
  int32_t start = 0, end = 4000;
  ASSERT_TRUE(engine.CollectRange(FilmList, rows, start, end));
  EXPECT_EQ(Segments(engine.play.segments.First()),
            (std::vector<Seg>{{520, 2000, 0, 1480, 1, second->video}}));
}

TEST_F(SegmentsTest, AnEmptyRoundedRangeGivesNoSegments) {
  VideoAt(0, 0, 2000);
  const bool rows[2] = {true, true};
  int32_t start = 1000, end = 1010;  // both round to frame 25
  EXPECT_FALSE(engine.CollectRange(FilmList, rows, start, end));
  EXPECT_TRUE(engine.play.segments.Empty());
}

TEST_F(SegmentsTest, EachSegmentHoldsThePictureOfItsFirstFrame) {
  Film* film = VideoAt(0, 0, 2000, 120);
  const bool rows[2] = {true, true};
  int32_t start = 1000, end = 3000;
  ASSERT_TRUE(engine.CollectRange(FilmList, rows, start, end));
  Film* s = engine.play.segments.First();
  ASSERT_NE(s, nullptr);
  auto* picture = static_cast<FakeStartFrame*>(s->inKeyFrame);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->source, film->video);
  EXPECT_EQ(picture->frame, MsToFrames(s->in, 25.0f));
  engine.FreeRangeList();
  EXPECT_EQ(picture->refs, 0);  // the segment gave its reference back

  // Without an output no picture is prepared, and the film's own is not taken.
  fakes.videoPlayer.hasSub = false;
  FakeVideo* v = Video("keys.avi", 15000);
  v->keyFrames = {0};
  FakeClip clip(v, nullptr, nullptr, 120, 1120, 1000);
  Film* other = Place(new Film(clip, 3000, kKindVideo, 0, 1));
  v->Release();
  ASSERT_NE(other->inKeyFrame, nullptr);
  start = 3000;
  end = 4000;
  ASSERT_TRUE(engine.CollectRange(FilmList, rows, start, end));
  ASSERT_NE(engine.play.segments.First(), nullptr);
  EXPECT_EQ(engine.play.segments.First()->inKeyFrame, nullptr);
}

// ---- The picture at one time.

TEST_F(SegmentsTest, RowZeroShowsWhereBothRowsHoldAPicture) {
  Film* top = VideoAt(0, 1000, 2000, 300);
  VideoAt(1, 0, 3000);
  Film* film = nullptr;
  int32_t t = 1500;
  ASSERT_TRUE(engine.FindVideoAt(film, t));
  EXPECT_EQ(film, top);
  EXPECT_EQ(t, 800);  // 1500 - 1000 + 300
}

TEST_F(SegmentsTest, AGapShowsTheLastFrameOfTheClipThatEndedLast) {
  VideoAt(0, 0, 1000);
  Film* later = VideoAt(1, 520, 2000, 300);
  Film* film = nullptr;
  int32_t t = 5000;
  ASSERT_TRUE(engine.FindVideoAt(film, t));
  EXPECT_EQ(film, later);
  EXPECT_EQ(t, 1960 - 520 + 300);  // one frame before its end

  // Equal ends: the lower row.
  FilmList.Clear();
  Film* low = VideoAt(0, 520, 2000);
  VideoAt(1, 0, 2000);
  t = 2500;
  ASSERT_TRUE(engine.FindVideoAt(film, t));
  EXPECT_EQ(film, low);
}

TEST_F(SegmentsTest, NothingBeforeTheFirstClip) {
  VideoAt(0, 1000, 2000);
  Film* film = nullptr;
  int32_t t = 500;
  EXPECT_FALSE(engine.FindVideoAt(film, t));
  EXPECT_EQ(film, nullptr);
}

TEST_F(SegmentsTest, AllRowsMutedFindsNothingAtTimeZero) {
  VideoAt(0, 0, 2000);
  engine.videoPanel[0].mute = 1;
  engine.videoPanel[1].mute = 1;
  Film* film = nullptr;
  int32_t t = 1000;
  EXPECT_FALSE(engine.FindVideoAt(film, t));
  EXPECT_EQ(t, 0);
  EXPECT_EQ(film, nullptr);
}

TEST_F(SegmentsTest, SoloRowsAloneShow) {
  VideoAt(0, 0, 2000);
  Film* below = VideoAt(1, 0, 2000);
  engine.videoPanel[1].solo = 1;
  Film* film = nullptr;
  int32_t t = 1000;
  ASSERT_TRUE(engine.FindVideoAt(film, t));
  EXPECT_EQ(film, below);
}

TEST_F(SegmentsTest, ATransitionShowsItsSideOrItsRenderedFile) {
  Film* a = VideoAt(0, 0, 2000, 0, 1);
  Film* b = VideoAt(1, 1000, 3000, 200, 2);
  VFXEntry& t = fakes.vfx.Add(1000, 2000, 1, 2);
  struct Case {
    int32_t time;
    Film* film;
    int32_t sourceTime;
  } cases[] = {{1499, a, 1499}, {1500, b, 700}};
  for (const Case& c : cases) {
    Film* film = nullptr;
    int32_t time = c.time;
    ASSERT_TRUE(engine.FindVideoAt(film, time));
    EXPECT_EQ(film, c.film) << c.time;
    EXPECT_EQ(time, c.sourceTime) << c.time;
  }

  FakeVideo* rendered = Video("render.avi", 100);
  t.rendered = rendered;  // the record holds the file's reference from here on
  Film* film = nullptr;
  int32_t time = 1200;
  ASSERT_TRUE(engine.FindVideoAt(film, time));
  EXPECT_EQ(film->video, rendered);
  EXPECT_EQ(time, 200);
  EXPECT_EQ(fakes.vfx.locks, fakes.vfx.unlocks);
}

}  // namespace
}  // namespace playtest
