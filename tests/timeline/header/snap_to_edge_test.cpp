// Snapping a time to the project's marks and the clips' own marks, as the
// engine's clip drag and the lines reach it through the window.
#include "timeline/header/snap_to_edge.h"

#include <gtest/gtest.h>

#include <climits>

#include "strip_fixture.h"

namespace striptest {
namespace {

using SnapTest = StripTest;

struct SnapCase {
  const char* what;
  int32_t gravityAlign;
  int32_t projectMark;  // 0: none
  int32_t clipMark;     // source time in the clip; 0: none
  int32_t clipGroup;
  int32_t filter;
  int32_t time;
  int32_t snapped;
  int32_t distance;
};

// Gravity distance 10 ms. The clip starts at 5000 with its source from
// 2000, so a clip mark at source time 3006 lies at 6006.
TEST_F(SnapTest, ATimeGoesToTheNearestMarkWithinTheGravityDistance) {
  const SnapCase cases[] = {
      {"project mark 4 after", 1, 6004, 3006, 0, kSnapAllClips, 6000, 6004, 4},
      {"clip mark nearer than the project mark", 1, 6008, 3002, 0, kSnapAllClips, 6000, 6002, 2},
      {"clip mark at start - in + time", 1, 0, 3006, 0, kSnapAllClips, 6000, 6006, 6},
      {"a mark at the very distance", 1, 6010, 0, 0, kSnapAllClips, 6000, 6010, 10},
      {"nothing near", 1, 6011, 3011, 0, kSnapAllClips, 6000, 6000, 11},
      {"gravity off", 0, 6001, 3001, 0, kSnapAllClips, 6000, 6000, 11},
      {"filter 1 skips the group's clip", 1, 0, 3006, 1, kSnapOtherClips, 6000, 6000, 11},
      {"filter 1 keeps another clip", 1, 0, 3006, 0, kSnapOtherClips, 6000, 6006, 6},
      {"filter 2 keeps the group's clip", 1, 0, 3006, 1, kSnapSelectedClips, 6000, 6006, 6},
      {"filter 2 skips another clip", 1, 0, 3006, 0, kSnapSelectedClips, 6000, 6000, 11},
  };
  MainTimeLineWindow& w = OpenStrip();
  TimeLineEngine& e = Engine();
  Film* film = VideoFilm(Video("a.avi", 500), 0, 5000, 2000, 12000);
  for (const SnapCase& c : cases) {
    SCOPED_TRACE(c.what);
    ProjectMarks.Clear();
    film->marks.Clear();
    e.gravityGroup = 0;
    e.gravityAlign = 1;
    if (c.projectMark != 0) ASSERT_TRUE(ProjectMarks.AddMark(c.projectMark));
    if (c.clipMark != 0) ASSERT_TRUE(film->marks.AddMark(c.clipMark));
    film->group = c.clipGroup;
    e.gravityAlign = c.gravityAlign;
    e.gravityDistanceMs = 10;

    int32_t t = c.time;
    TimeLineView& view = w;
    EXPECT_EQ(view.SnapToNearestEdge(t, c.filter), c.distance);
    EXPECT_EQ(t, c.snapped);
  }
}

// A clip that ends out of reach or starts beyond it is not searched; its
// marks outside [in, out) never count.
TEST_F(SnapTest, OnlyClipsWithinReachAndMarksWithinTheSourceRangeCount) {
  OpenStrip();
  TimeLineEngine& e = Engine();
  e.gravityAlign = 1;
  e.gravityGroup = 0;
  Film* early = VideoFilm(Video("a.avi", 500), 0, 0, 0, 5000);          // [0, 5000)
  Film* trimmed = VideoFilm(Video("b.avi", 500), 1, 5000, 1000, 3000);  // [5000, 7000), source 1000..3000
  ASSERT_TRUE(early->marks.AddMark(4995));                              // source time 4995 lies at 4995
  ASSERT_TRUE(trimmed->marks.AddMark(500));                             // before in: not shown
  ASSERT_TRUE(trimmed->marks.AddMark(3000));                            // at out: not shown
  e.gravityDistanceMs = 10;

  int32_t t = 5002;
  EXPECT_EQ(SnapToNearestEdge(e, t, kSnapAllClips), 7);
  EXPECT_EQ(t, 4995);
  t = 6998;  // the mark at out would lie at 7000
  EXPECT_EQ(SnapToNearestEdge(e, t, kSnapAllClips), 11);
  EXPECT_EQ(t, 6998);
}

// With a gravity group only its marks and those of no group attract.
TEST_F(SnapTest, TheGravityGroupChoosesTheMarks) {
  OpenStrip();
  TimeLineEngine& e = Engine();
  e.gravityAlign = 1;
  e.gravityGroup = 3;
  ASSERT_TRUE(ProjectMarks.AddMark(1003));  // group 3
  e.gravityGroup = 2;
  ASSERT_TRUE(ProjectMarks.AddMark(998));  // group 2
  e.gravityDistanceMs = 10;

  e.gravityGroup = 3;
  int32_t t = 1000;
  EXPECT_EQ(SnapToNearestEdge(e, t, kSnapAllClips), 3);
  EXPECT_EQ(t, 1003);
  e.gravityGroup = 2;
  t = 1000;
  EXPECT_EQ(SnapToNearestEdge(e, t, kSnapAllClips), 2);
  EXPECT_EQ(t, 998);
}

}  // namespace
}  // namespace striptest
