// What lies under the pointer on the audio lines, the cursor it shows and
// what the status line says of it.
#include "audio/effect_list.h"
#include "audio_lines_fixture.h"

namespace audiolinetest {
namespace {

class HitZones : public AudioLineTest {
 protected:
  // Line 0, full height, at one ms a pixel: a clip at x 100 .. 300 whose
  // volume runs flat at unity to source 60, rises to the top at 120 and
  // stays there; a mark at source 100; its effects. A clip of ten pixels at
  // 400; line 2 folded.
  void SetUpClips() {
    OpenLines({0, 1, 3});
    filmtest::FakeAudio* a = Audio("a.wav", 1000);
    wide_ = Clip(a, 0, 100, 0, 200, "wide");
    Profile& v = wide_->volumePoints;
    v.Insert(60, 512);
    v.Insert(120, 2047);
    v.Last().value = 2047;
    ASSERT_TRUE(wide_->marks.AddMark(100));
    wide_->marks.SetName(0, "cue");
    wide_->effects = EffectList::New();
    Clip(a, 0, 400, 0, 10, "narrow");
    Clip(a, 2, 100, 0, 200, "folded");
    GuiPumpMessages();
  }
  Film* wide_ = nullptr;
};

TEST_F(HitZones, EachPlaceShowsItsZoneAndCursorInTheirOrder) {
  SetUpClips();
  const int unity = VolumeY(0, 512), loud = VolumeY(0, 2047);
  // Far from both the profile and the marks.
  const int clear = unity + 20;
  ASSERT_LT(clear, MarkY(0) - 8);
  const int marks = MarkY(0), folded = Middle(2);
  enum Setup { kPlain, kShift, kCtrl, kAddPointMode, kMultiselect, kPlaying, kCursorOnClip, kCurTimeOverClips };
  const struct {
    int x, y;
    Setup setup;
    int32_t zone;
    int32_t point;  // the point index found, or -1 when it does not matter
  } cases[] = {
      {160, unity, kPlain, kZoneKeyPoint, 1},
      {130, unity, kPlain, kZoneFlatSegment, 0},
      {190, (unity + loud) / 2, kPlain, kZoneSlopedSegment, 1},
      {250, loud, kPlain, kZoneFlatSegment, 2},
      {250, clear, kPlain, kZoneClip, -1},
      {106, clear, kPlain, kZoneTrimStart, -1},
      {107, clear, kPlain, kZoneClip, -1},
      {294, clear, kPlain, kZoneTrimEnd, -1},
      {102, Row(0).bottom - 2, kPlain, kZoneEffects, -1},
      {106, Row(0).bottom - 6, kPlain, kZoneTrimStart, -1},
      {106, Row(0).bottom - 4, kPlain, kZoneEffects, -1},
      {200, marks, kPlain, kZoneMark, -1},
      {200, marks, kCtrl, kZoneAddPoint, -1},
      {250, clear, kAddPointMode, kZoneAddPoint, -1},
      {401, clear, kPlain, kZoneClip, -1},
      {409, clear, kPlain, kZoneClip, -1},
      {500, clear, kPlain, kZoneNothing, -1},
      {150, folded, kPlain, kZoneNothing, -1},
      {605, clear, kPlain, kZoneCursorLine, -1},
      {152, clear, kCursorOnClip, kZoneClip, -1},
      {152, clear, kCurTimeOverClips, kZoneCursorLine, -1},
      {250, clear, kShift, kZoneRubberBand, -1},
      {250, clear, kMultiselect, kZoneRubberBand, -1},
      {250, unity, kCtrl, kZoneAddPoint, -1},
      {250, clear, kPlaying, kZonePlaying, -1},
  };
  TimeLineEngine& e = Engine();
  for (const auto& c : cases) {
    e.SetPlayCursor(c.setup == kCursorOnClip || c.setup == kCurTimeOverClips ? 150 : 600, false);
    tl_->Settings().selectCurTimeOverClips = c.setup == kCurTimeOverClips;
    tl_->multiselectMode = c.setup == kMultiselect;
    tl_->addPointMode = c.setup == kAddPointMode;
    e.playing = c.setup == kPlaying;
    if (c.setup == kShift) Key(VK_SHIFT, true);
    if (c.setup == kCtrl) Key(VK_CONTROL, true);
    Move(c.x, c.y + 1);
    Move(c.x, c.y);
    if (c.setup == kShift) Key(VK_SHIFT, false);
    if (c.setup == kCtrl) Key(VK_CONTROL, false);
    EXPECT_EQ(Lines().hitZone, c.zone) << c.x << "," << c.y << " setup " << c.setup;
    EXPECT_EQ(GetCursor(), ZoneCursor(c.zone)) << c.x << "," << c.y;
    if (c.point >= 0) {
      EXPECT_EQ(Lines().PointIndex(), c.point) << c.x << "," << c.y;
    }
  }
  e.playing = false;
}

TEST_F(HitZones, TheStatusLineDescribesPointsSegmentsAndEffectsOfTheActiveProfile) {
  SetUpClips();
  wide_->balancePoints.Insert(100, -128);
  const int unity = VolumeY(0, 512), loud = VolumeY(0, 2047);
  const struct {
    int32_t mode;
    int x, y;
    const char* says;
  } cases[] = {
      {kProfileVolume, 160, unity, "Volume is 0dB(0dB) at key point"},
      {kProfileVolume, 130, unity, "Volume is 0dB(0dB) in the range"},
      {kProfileVolume, 190, (unity + loud) / 2, "Sloped volume: from 0dB(0dB)"},
      {kProfileBalance, 200, Middle(0) - 24, "Balance is 50% left(50% left) at key point"},
      {kProfileBalance, 250, Middle(0) - 20, "Sloped balance: from 50% left(50% left)"},
      {kProfileVolume, 102, Row(0).bottom - 2, "Clip 'wide' has not audio effects"},
  };
  for (const auto& c : cases) {
    tl_->Settings().profileMode = c.mode;
    Move(c.x, c.y + 1);
    Move(c.x, c.y);
    EXPECT_EQ(tl_->status.rfind(c.says, 0), 0u) << tl_->status;
  }
}

}  // namespace
}  // namespace audiolinetest
