// Where a clip dragged from the collection over the audio lines would land.
#include "audio_lines_fixture.h"

namespace audiolinetest {
namespace {

using DropFeedback = AudioLineTest;

TEST_F(DropFeedback, TheClipFitsSnapsFillsAGapOrFails) {
  OpenLines();
  filmtest::FakeAudio* a = Audio("a.wav", 1000);
  Clip(a, 0, 100, 0, 30, "p");   // 100 .. 130
  Clip(a, 0, 200, 0, 30, "n");   // 200 .. 230
  Clip(a, 1, 100, 0, 100, "q");  // 100 .. 200 on line 1
  GuiPumpMessages();
  ASSERT_EQ(Engine().hitDistanceMs, 7);
  const int inside = Middle(0), outside = -10;
  const struct {
    int32_t time;  // ms asked for
    int32_t length;
    int y;
    bool adjust;
    bool fits;
    int32_t start, end, line;
    int32_t cursor;  // shown with adjust on
  } cases[] = {
      {140, 20, inside, true, true, 140, 160, 0, kCursorDropFits},
      {190, 20, inside, true, true, 180, 200, 0, kCursorDropFits},
      {125, 20, inside, true, true, 130, 150, 0, kCursorDropFits},
      {123, 20, inside, true, true, 130, 150, 0, kCursorDropFits},
      {122, 20, inside, true, false, 0, 0, 0, 0},
      {150, 80, inside, true, true, 130, 200, 0, kCursorDropShortened},
      {125, 80, inside, true, true, 130, 200, 0, kCursorDropShortened},
      {140, 20, inside, false, true, 140, 160, 0, 0},
      {190, 20, inside, false, false, 0, 0, 0, 0},
      {125, 20, inside, false, false, 0, 0, 0, 0},
      {140, 20, outside, true, false, 0, 0, 0, 0},
      {140, 20, outside, false, true, 140, 160, 0, 0},
      {110, 20, outside, false, true, 110, 130, 2, 0},
      {195, 20, Middle(1), true, true, 200, 220, 1, kCursorDropFits},
  };
  for (const auto& c : cases) {
    filmtest::FakeClip clip(nullptr, a, nullptr, 0, c.length, c.length, "tile");
    POINT screen = Screen(300, c.y);
    const int screenY = screen.y;
    int32_t time = c.time;
    int32_t cursor = 0;
    const bool fits = Lines().ShowDropFeedback(&clip, screen, time, c.adjust, cursor);
    const std::string what = "at " + std::to_string(c.time) + " adjust " + std::to_string(c.adjust) + " y " +
                             std::to_string(c.y);
    ASSERT_EQ(fits, c.fits) << what;
    EXPECT_EQ(Lines().Drop().shown, c.fits) << what;
    if (!c.fits) continue;
    EXPECT_EQ(time, c.start) << what;
    EXPECT_EQ(cursor, c.cursor) << what;
    EXPECT_EQ(screen.x, Screen(c.start, 0).x) << what;
    EXPECT_EQ(screen.y, screenY) << what;
    EXPECT_EQ(Lines().Drop().row, c.line) << what;
    EXPECT_EQ(Lines().Drop().rect, TRect(c.start, Row(c.line).top, c.end, Row(c.line).top + Row(c.line).height))
        << what;
    GuiPumpMessages();
    EXPECT_EQ(Pixel(c.start + 1, Row(c.line).top + 5), RGB(0, 0, 0)) << what;
  }
  // A call without a clip takes the bar away.
  POINT screen = Screen(300, inside);
  int32_t time = 140, cursor = 0;
  EXPECT_FALSE(Lines().ShowDropFeedback(nullptr, screen, time, true, cursor));
  EXPECT_FALSE(Lines().Drop().shown);
}

TEST_F(DropFeedback, AClipWithoutSoundOrInAnotherFormatHasNoPlace) {
  OpenLines();
  filmtest::FakeAudio* other = Audio("other.wav", 1000);
  other->directFormat = false;
  filmtest::FakeClip picture(Video("v.avi", 100), nullptr, nullptr, 0, 400, 400, "picture");
  filmtest::FakeClip foreign(nullptr, other, nullptr, 0, 400, 400, "foreign");
  for (const filmtest::FakeClip* clip : {&picture, &foreign}) {
    POINT screen = Screen(300, Middle(0));
    int32_t time = 300, cursor = 0;
    EXPECT_FALSE(Lines().ShowDropFeedback(clip, screen, time, true, cursor)) << clip->name;
    EXPECT_FALSE(Lines().ShowDropFeedback(clip, screen, time, false, cursor)) << clip->name;
  }
}

}  // namespace
}  // namespace audiolinetest
