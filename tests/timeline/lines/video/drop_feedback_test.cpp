// Where a clip dragged from the collection over the video rows would land.
#include "video_line_fixture.h"

namespace videolinetest {
namespace {

class DropFeedback : public VideoLineTest {
 protected:
  static int32_t Frame(int32_t ms) { return MsToFrames(ms, 25.0f); }
  static int32_t Ms(int32_t frames) { return FramesToMs(frames, 25.0f); }
};

TEST_F(DropFeedback, TheClipFitsMovesOrFillsAGapOrFails) {
  OpenRows(1, 1);
  filmtest::FakeVideo* v = Video("tiles.avi", 1000);
  VideoData* placed = KeyedAvi(400, {});
  Clip(placed, 0, 100, 0, 30, "p");   // 100 .. 130
  Clip(placed, 0, 200, 0, 30, "n");   // 200 .. 230
  Clip(placed, 1, 100, 0, 100, "q");  // 100 .. 200 on row 1
  GuiPumpMessages();
  const int inside = Middle(0), outside = -10;
  const struct {
    int32_t time;  // ms asked for
    int32_t frames;
    int y;
    bool adjust;
    bool fits;
    int32_t start, end, row;  // frames
    int cursor;               // shown with adjust on
  } cases[] = {
      {Ms(140), 20, inside, true, true, 140, 160, 0, kCursorDropFits},
      {Ms(190), 20, inside, true, true, 180, 200, 0, kCursorDropFits},
      {Ms(125), 20, inside, true, true, 130, 150, 0, kCursorDropFits},
      {Ms(123), 20, inside, true, true, 130, 150, 0, kCursorDropFits},
      {Ms(122), 20, inside, true, false, 0, 0, 0, 0},
      {Ms(150), 80, inside, true, true, 130, 200, 0, kCursorDropShortened},
      {Ms(125), 80, inside, true, true, 130, 200, 0, kCursorDropShortened},
      {Ms(140) + 10, 20, inside, true, true, 140, 160, 0, kCursorDropFits},
      {Ms(140), 20, inside, false, true, 140, 160, 0, 0},
      {Ms(140) + 10, 20, inside, false, true, 141, 161, 0, 0},
      {Ms(190), 20, inside, false, false, 0, 0, 0, 0},
      {Ms(125), 20, inside, false, false, 0, 0, 0, 0},
      {Ms(140), 20, outside, true, false, 0, 0, 0, 0},
      {Ms(140), 20, outside, false, true, 140, 160, 0, 0},
      {Ms(205), 20, outside, false, true, 205, 225, 1, 0},
      {Ms(190), 20, outside, false, false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    filmtest::FakeClip clip(v, nullptr, nullptr, 0, Ms(c.frames), Ms(c.frames), "tile");
    POINT screen = Screen(300, c.y);
    const int screenY = screen.y;
    int32_t time = c.time;
    int cursor = 0;
    const bool fits = Line().ShowDropFeedback(&clip, screen, time, c.adjust, cursor);
    const std::string what = "at " + std::to_string(c.time) + " adjust " + std::to_string(c.adjust);
    ASSERT_EQ(fits, c.fits) << what;
    EXPECT_EQ(Line().Drop().shown, c.fits) << what;
    if (!c.fits) continue;
    EXPECT_EQ(Frame(time), c.start) << what;
    EXPECT_EQ(cursor, c.cursor) << what;
    EXPECT_EQ(screen.x, Screen(c.start, 0).x) << what;
    EXPECT_EQ(screen.y, screenY);
    const TrackRecord& row = Engine().videoPanel[c.row];
    EXPECT_EQ(Line().Drop().rect, TRect(c.start, row.top, c.end, row.top + row.height)) << what;
    EXPECT_EQ(Pixel(c.start, row.middle), RGB(0, 0, 0)) << what;
  }
  // A call without a clip takes the bar away and redraws what it covered.
  POINT screen = Screen(300, inside);
  int32_t time = 0;
  int cursor = 0;
  EXPECT_FALSE(Line().ShowDropFeedback(nullptr, screen, time, true, cursor));
  EXPECT_FALSE(Line().Drop().shown);
  EXPECT_EQ(Pixel(205, Engine().videoPanel[1].middle), TimeLineColors[kColorOtherVideoTrack]);
}

TEST_F(DropFeedback, ClipsWithoutDirectlyPlayableVideoFindNoPlace) {
  OpenRows(1, 1);
  filmtest::FakeVideo* v = Video("other_rate.avi", 1000, 30.0f);
  v->directPlayable = false;
  filmtest::FakeClip video(v, nullptr, nullptr, 0, 800, 800, "tile");
  filmtest::FakeClip sound(nullptr, Audio("a.wav", 800), nullptr, 0, 800, 800, "tile");
  for (const ClipItem* clip : {static_cast<const ClipItem*>(&video), static_cast<const ClipItem*>(&sound)}) {
    POINT screen = Screen(300, Middle(0));
    int32_t time = 4000;
    int cursor = 0;
    EXPECT_FALSE(Line().ShowDropFeedback(clip, screen, time, true, cursor));
    EXPECT_FALSE(Line().Drop().shown);
  }
}

}  // namespace
}  // namespace videolinetest
