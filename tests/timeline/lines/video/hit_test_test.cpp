// What lies under the pointer on the video rows, and the cursor it shows.
#include "video_line_fixture.h"

namespace videolinetest {
namespace {

using HitZones = VideoLineTest;

TEST_F(HitZones, EachPlaceShowsItsZoneAndCursor) {
  OpenRows(1, 3);  // one frame a pixel; row 1 folded
  VideoData* v = KeyedAvi(400, {});
  Film* wide = Clip(v, 0, 100, 0, 100);  // x 100 .. 200
  Clip(v, 0, 300, 0, 10);                // 10 pixels: no trim zones
  Clip(v, 1, 100, 0, 100);
  ASSERT_TRUE(wide->marks.AddMark(FramesToMs(50, 25.0f)));  // x 150
  const int mid = Middle(0), marks = MarkY(0), folded = Middle(1);
  enum Setup { kPlain, kShift, kMultiselect, kPlaying, kCursorOnClip, kCurTimeOverClips };
  const struct {
    int x, y;
    Setup setup;
    int32_t zone;
  } cases[] = {
      {150, mid, kPlain, kZoneClip},
      {106, mid, kPlain, kZoneTrimStart},
      {107, mid, kPlain, kZoneClip},
      {194, mid, kPlain, kZoneTrimEnd},
      {193, mid, kPlain, kZoneClip},
      {301, mid, kPlain, kZoneClip},
      {309, mid, kPlain, kZoneClip},
      {157, marks, kPlain, kZoneMark},
      {158, marks, kPlain, kZoneClip},
      {150, marks - 7, kPlain, kZoneMark},
      {150, marks - 8, kPlain, kZoneClip},
      {500, mid, kPlain, kZoneNothing},
      {405, mid, kPlain, kZoneCursorLine},
      {407, mid, kPlain, kZoneNothing},
      {150, folded, kPlain, kZoneNothing},
      {395, folded, kPlain, kZoneCursorLine},
      {152, mid, kCursorOnClip, kZoneClip},
      {152, mid, kCurTimeOverClips, kZoneCursorLine},
      {150, mid, kShift, kZoneRubberBand},
      {500, mid, kShift, kZoneRubberBand},
      {150, mid, kMultiselect, kZoneRubberBand},
      {150, folded, kShift, kZoneNothing},
      {150, mid, kPlaying, kZonePlaying},
      {500, folded, kPlaying, kZonePlaying},
  };
  TimeLineEngine& e = Engine();
  for (const auto& c : cases) {
    e.SetPlayCursor(FramesToMs(c.setup == kCursorOnClip || c.setup == kCurTimeOverClips ? 150 : 400, 25.0f),
                    false);
    tl_->Settings().selectCurTimeOverClips = c.setup == kCurTimeOverClips;
    tl_->multiselectMode = c.setup == kMultiselect;
    e.playing = c.setup == kPlaying;
    if (c.setup == kShift) Key(VK_SHIFT, true);
    Move(c.x, c.y + 1);
    Move(c.x, c.y);
    if (c.setup == kShift) Key(VK_SHIFT, false);
    EXPECT_EQ(Line().hitZone, c.zone) << c.x << "," << c.y << " setup " << c.setup;
    EXPECT_EQ(GetCursor(), ZoneCursor(c.zone)) << c.x << "," << c.y;
  }
  e.playing = false;
}

TEST_F(HitZones, WithoutGravityNoMarkIsTakenAndTheStatusLineSaysWhatIsUnderThePointer) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(400, {0});
  Film* f = Clip(v, 0, 100, 0, 100, "interview");
  ASSERT_TRUE(f->marks.AddMark(FramesToMs(50, 25.0f)));
  f->marks.SetName(0, "cue");
  Move(150, MarkY(0));
  EXPECT_EQ(Line().hitZone, kZoneMark);
  EXPECT_NE(tl_->status.find("Mark 'cue'"), std::string::npos) << tl_->status;
  Move(102, Middle(0));
  EXPECT_NE(tl_->status.find("Clip 'interview' starts at"), std::string::npos) << tl_->status;
  EXPECT_NE(tl_->status.find("is a key frame"), std::string::npos) << tl_->status;
  Move(198, Middle(0));
  EXPECT_NE(tl_->status.find("Clip 'interview' stops at"), std::string::npos) << tl_->status;
  Move(130, Middle(0));
  EXPECT_NE(tl_->status.find("VIDEO clip 'interview'"), std::string::npos) << tl_->status;
  Move(600, Middle(0));
  EXPECT_EQ(tl_->status, "");
  Engine().gravityAlign = 0;
  Move(150, MarkY(0));
  EXPECT_EQ(Line().hitZone, kZoneClip);
}

}  // namespace
}  // namespace videolinetest
