// The video rows as they are drawn: pictures of a clip's first and last
// frames, its name, small clips and gaps, and its marks.
#include <cstdlib>

#include "video_line_fixture.h"

namespace videolinetest {
namespace {

using Painting = VideoLineTest;

bool Near(COLORREF c, int r, int g, int b) {
  return std::abs(GetRValue(c) - r) <= 3 && std::abs(GetGValue(c) - g) <= 3 &&
         std::abs(GetBValue(c) - b) <= 3;
}

// The colour of frame n of ColourAvi.
struct Rgb {
  int r, g, b;
};
Rgb FrameColor(int n) {
  return {8 * n, 200 - 4 * n, 40};
}

std::string Name(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

class PaintingAt : public Painting, public ::testing::WithParamInterface<int> {};

TEST_P(PaintingAt, AClipShowsItsInFrameAndTheFrameBeforeItsOut) {
  const int zoom = GetParam();
  OpenRows(zoom, zoom);
  DistinctColors();
  Zoom(4);  // ten pixels a frame
  VideoData* v = ColourAvi();
  ASSERT_NE(v, nullptr);
  Clip(v, 0, 10, 2, 30, "interview");  // x 100 .. 380
  GuiPumpMessages();
  const int w = 128 >> zoom, h = 96 >> zoom;
  const int y = h - 3;  // below the name, above nothing
  const Rgb in = FrameColor(2), last = FrameColor(29);
  EXPECT_TRUE(Near(Pixel(101 + w / 2, y), in.r, in.g, in.b)) << Name(Pixel(101 + w / 2, y));
  EXPECT_TRUE(Near(Pixel(101, y), in.r, in.g, in.b));
  EXPECT_TRUE(Near(Pixel(378 - w / 2, y), last.r, last.g, last.b)) << Name(Pixel(378 - w / 2, y));
  EXPECT_TRUE(Near(Pixel(378, y), last.r, last.g, last.b));
  // Between them the clip's own colour, and its borders.
  EXPECT_EQ(Pixel(240, y), TimeLineColors[kColorNonSelectedClip]);
  EXPECT_EQ(Pixel(100, y), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(379, y), RGB(0, 0, 0));
  // The name starts right of the first picture.
  const std::vector<int> name = ColumnsWith(TimeLineColors[kColorNonSelectedName], 100, 380, 0, h);
  ASSERT_FALSE(name.empty());
  EXPECT_GE(name.front(), 101 + w);
  EXPECT_LT(name.front(), 101 + w + 4);
}

INSTANTIATE_TEST_SUITE_P(ZoomSteps, PaintingAt, ::testing::Values(0, 1, 2));

TEST_F(Painting, InAClipShorterThanBothPicturesTheFirstWinsAndTheNameGoesBackToTheLeft) {
  OpenRows(1, 1);
  DistinctColors();
  Zoom(4);
  VideoData* v = ColourAvi();
  ASSERT_NE(v, nullptr);
  Clip(v, 0, 10, 2, 12, "interview");  // x 100 .. 200; pictures 64 wide
  GuiPumpMessages();
  const int y = 45;
  const Rgb in = FrameColor(2), last = FrameColor(11);
  // The first picture whole (101 .. 165), the last one's left part after it.
  EXPECT_TRUE(Near(Pixel(164, y), in.r, in.g, in.b)) << Name(Pixel(164, y));
  EXPECT_TRUE(Near(Pixel(166, y), last.r, last.g, last.b)) << Name(Pixel(166, y));
  EXPECT_TRUE(Near(Pixel(198, y), last.r, last.g, last.b));
  const std::vector<int> name = ColumnsWith(TimeLineColors[kColorNonSelectedName], 100, 200, 0, 48);
  ASSERT_FALSE(name.empty());
  EXPECT_LT(name.front(), 106);
}

TEST_F(Painting, AtTheSmallestStepARowShowsNoPicturesAndNoNames) {
  OpenRows(3, 1);
  DistinctColors();
  Zoom(4);
  VideoData* v = ColourAvi();
  ASSERT_NE(v, nullptr);
  Clip(v, 0, 10, 2, 30, "interview");
  Clip(v, 1, 10, 2, 30, "interview");
  GuiPumpMessages();
  const int h = Engine().videoPanel[0].height;
  ASSERT_EQ(h, 12);
  for (int x = 101; x < 379; ++x) {
    for (int y = 0; y < h; ++y)
      ASSERT_EQ(Pixel(x, y), TimeLineColors[kColorNonSelectedClip]) << x << "," << y;
  }
  // Row 1 at its own step has both; only its two pictures were made.
  EXPECT_EQ(pictures_->decodes, 2);
}

TEST_F(Painting, SmallClipsAndNarrowGapsTakeTheirColours) {
  OpenRows(1, 1);
  DistinctColors();
  Line().showEdges = false;
  VideoData* v = KeyedAvi(200, {});
  Clip(v, 0, 10, 0, 10);  // x 10 .. 20
  Clip(v, 0, 21, 0, 2);   // a one-frame gap, then two frames
  Film* one = Clip(v, 0, 30, 0, 1);
  one->group = SelectionGroup;
  Clip(v, 0, 40, 0, 10);  // 40 .. 50
  Clip(v, 0, 50, 0, 10);  // right after it
  Clip(v, 0, 62, 0, 8);   // two frames after that
  GuiPumpMessages();
  const int y = Middle(0);
  const struct {
    int x;
    int color;  // a colour index, or -1 for black
  } cases[] = {
      {15, kColorNonSelectedClip},
      {20, kColorSmallHole},
      {21, kColorSmallClip},
      {22, kColorSmallClip},
      {23, kColorFirstVideoTrack},
      {30, kColorSmallSelectedClip},
      {31, kColorFirstVideoTrack},
      {49, -1},
      {50, -1},
      {60, kColorFirstVideoTrack},
      {61, kColorFirstVideoTrack},
      {62, -1},
  };
  for (const auto& c : cases) {
    const COLORREF want = c.color < 0 ? RGB(0, 0, 0) : TimeLineColors[c.color];
    EXPECT_EQ(Pixel(c.x, y), want) << "x " << c.x << " " << Name(Pixel(c.x, y));
  }
}

TEST_F(Painting, MarksAreActiveInTheGravityGroupAndPassiveOtherwise) {
  OpenRows(1, 1);
  DistinctColors();
  Line().showEdges = false;
  Zoom(4);
  VideoData* v = KeyedAvi(200, {});
  Film* f = Clip(v, 0, 10, 20, 80);  // x 100 .. 700, source frame 20 at x 100
  // Marks at source frames 30 .. 70 (x 200 .. 600), one of group n each,
  // and two outside the clip's stretch.
  const int groups[] = {0, 2, 3};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(f->marks.AddMark(FramesToMs(30 + 10 * i, 25.0f)));
    f->marks.SetGroup(i, groups[i]);
  }
  f->marks.SetName(1, "cue");
  f->marks.AddMark(FramesToMs(10, 25.0f));
  f->marks.AddMark(FramesToMs(80, 25.0f));
  const struct {
    int32_t align, group;
    int expected[3];
  } cases[] = {
      {0, 0, {kColorPassiveClipMark, kColorPassiveClipMark, kColorPassiveClipMark}},
      {1, 0, {kColorActiveClipMark, kColorActiveClipMark, kColorActiveClipMark}},
      {1, 2, {kColorActiveClipMark, kColorActiveClipMark, kColorPassiveClipMark}},
  };
  const int y = Engine().videoPanel[0].bottom - 2;
  for (const auto& c : cases) {
    Engine().gravityAlign = c.align;
    Engine().gravityGroup = c.group;
    tl_->InvalidateAll();
    GuiPumpMessages();
    for (int i = 0; i < 3; ++i) {
      const int x = 200 + 100 * i;
      EXPECT_EQ(Pixel(x, y), TimeLineColors[c.expected[i]]) << "align " << c.align << " mark " << i;
    }
  }
  // The marks outside [in, out) are not drawn; the name follows its mark.
  EXPECT_EQ(Pixel(100 + 1, y), TimeLineColors[kColorNonSelectedClip]);
  EXPECT_FALSE(ColumnsWith(TimeLineColors[kColorActiveClipMark], 304, 340, 20, 47).empty());
}

TEST_F(Painting, ADayLongClipDrawsItsMarksAtTheClosestZoom) {
  OpenRows(1, 1);
  DistinctColors();
  TimeLineEngine& e = Engine();
  constexpr int32_t kDay = 86400000;
  e.SetLength(kDay);
  // The closest zoom the day allows: about 24 pixels a millisecond.
  e.scale = 1;
  e.factor = 1000;
  e.origin = kDay - 1010;
  e.UpdateScrollRange();
  ASSERT_GT(e.factor, 20);
  filmtest::FakeVideo* v = Video("day.avi", 2160000);
  Film* f = VideoFilm(v, 0, 0, 0, kDay);
  ASSERT_EQ(f->end, kDay);
  // Marks far left of the view and inside it: source time is time-line time.
  ASSERT_TRUE(f->marks.AddMark(40));
  ASSERT_TRUE(f->marks.AddMark(kDay - 1000));
  f->marks.SetName(1, "end");
  f->ComputeOrigin();
  tl_->InvalidateAll();
  GuiPumpMessages();
  const int x = e.PosToPixel(kDay - 1000);
  ASSERT_GT(x, 0);
  const int y = e.videoPanel[0].bottom - 2;
  EXPECT_EQ(Pixel(x, y), TimeLineColors[kColorActiveClipMark]);
  EXPECT_EQ(Pixel(x - 40, y), TimeLineColors[kColorNonSelectedClip]);
  EXPECT_FALSE(ColumnsWith(TimeLineColors[kColorActiveClipMark], x + 4, x + 40, 20, 47).empty());
}

TEST_F(Painting, ARepaintDecodesNothing) {
  OpenRows(0, 1);
  Zoom(4);
  VideoData* v = ColourAvi();
  ASSERT_NE(v, nullptr);
  Clip(v, 0, 10, 2, 30);
  Clip(v, 1, 10, 5, 40);
  GuiPumpMessages();
  EXPECT_EQ(pictures_->decodes, 4);
  tl_->InvalidateAll();
  GuiPumpMessages();
  Zoom(8);
  EXPECT_EQ(pictures_->decodes, 4);
  // Another step of the row asks for pictures at its size.
  Engine().videoPanel[0].SetZoom(2);
  tl_->LayoutHeaders();
  GuiPumpMessages();
  EXPECT_EQ(pictures_->decodes, 6);
}

}  // namespace
}  // namespace videolinetest
