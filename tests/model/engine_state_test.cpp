#include <gtest/gtest.h>

#include "engine_fakes.h"
#include "model/profiles.h"

namespace enginetest {
namespace {

class EngineStateTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    // 100 pixels show 1000 ms over a time area of 500 pixels.
    engine.width = 500;
    engine.scale = 1000;
    engine.factor = 100;
    engine.origin = 0;
  }
};

// ---- Length and lines.

TEST_F(EngineStateTest, LengthNeverEndsBeforeTheLastClip) {
  AudioFilm(0, 0, 4000);
  AudioFilm(1, 2000, 6000);  // ends at 8000
  engine.length = 20000;
  struct Case {
    int32_t asked, length;
  } cases[] = {{30000, 30000}, {5000, 8000}, {8000, 8000}, {100000000, 86400000}};
  for (const Case& c : cases) {
    EXPECT_TRUE(engine.SetLength(c.asked));
    EXPECT_EQ(engine.length, c.length) << c.asked;
  }
  EXPECT_FALSE(engine.IsModified());  // SetLength alone does not modify
}

TEST_F(EngineStateTest, CursorBeyondTheNewLengthLandsOnItsLastMillisecond) {
  engine.length = 20000;
  engine.SetPlayCursor(15000, false);
  ASSERT_EQ(engine.cursor, 15000);
  engine.SetLength(10000);
  EXPECT_EQ(engine.cursor, 9999);
  EXPECT_EQ(view.scaleMin, 1);
  EXPECT_GT(view.scaleMax, 0);
}

TEST_F(EngineStateTest, ChangeLengthModifiesOnlyWhenTheLengthChanges) {
  engine.length = 20000;
  engine.ChangeLength(20000, 4);
  EXPECT_FALSE(engine.IsModified());
  engine.ChangeLength(25000, 4);
  EXPECT_TRUE(engine.IsModified());
  EXPECT_EQ(engine.length, 25000);
}

TEST_F(EngineStateTest, LengthAndLineChangesAreRefusedWhilePlaying) {
  engine.length = 20000;
  engine.playing = true;
  EXPECT_FALSE(engine.SetLength(30000));
  EXPECT_FALSE(engine.ChangeLength(30000, 2));
  EXPECT_FALSE(engine.SetAudioLineCount(2));
  EXPECT_EQ(engine.length, 20000);
  EXPECT_EQ(engine.audioLineCount, 4);
  ASSERT_EQ(boxes.boxes.size(), 3u);
  for (const Box& b : boxes.boxes) EXPECT_EQ(b.text, "The project is currently playing");
  EXPECT_EQ(boxes.boxes[0].caption, "Set Script Size");
  EXPECT_EQ(boxes.boxes[1].caption, "Set Script Size");
  EXPECT_EQ(boxes.boxes[2].caption, "Set Number of Audio Tracks");
}

TEST_F(EngineStateTest, ShrinkingMovesClipsDownWithTheirChangedRanges) {
  Film* a = AudioFilm(2, 0, 1000);
  Film* b = AudioFilm(3, 5000, 1000);
  Film* video = VideoFilm(1, 0, 1000);
  LineChangedRange[0] = {100, 200};
  LineChangedRange[1] = {7000, 8000};
  LineChangedRange[2] = {0, 1000};
  LineChangedRange[3] = {5000, 6000};

  EXPECT_TRUE(engine.SetAudioLineCount(2));
  EXPECT_EQ(engine.audioLineCount, 2);
  EXPECT_EQ(a->audioLine, 0);
  EXPECT_EQ(b->audioLine, 1);
  EXPECT_EQ(video->videoRow, 1);
  // Each moved line keeps its own changes and takes on those of the lines
  // it moved over.
  EXPECT_EQ(LineChangedRange[0].start, 0);
  EXPECT_EQ(LineChangedRange[0].end, 8000);
  EXPECT_EQ(LineChangedRange[1].start, 100);
  EXPECT_EQ(LineChangedRange[1].end, 8000);
  EXPECT_TRUE(LineChangedRange[2].Empty());
  EXPECT_TRUE(LineChangedRange[3].Empty());
  EXPECT_TRUE(engine.IsModified());
  // Lines no longer in use are muted and out of solo.
  EXPECT_EQ(engine.audioPanel[2].mute, 1);
  EXPECT_EQ(engine.audioPanel[3].mute, 1);
  EXPECT_EQ(players.mixer.back(), (Notice{kMixerLineCount, 2}));
}

TEST_F(EngineStateTest, ShrinkingKeepsEveryUsedLine) {
  AudioFilm(0, 0, 1000);
  Film* far = AudioFilm(2, 0, 1000);
  EXPECT_TRUE(engine.SetAudioLineCount(1));
  EXPECT_EQ(engine.audioLineCount, 3);
  EXPECT_EQ(far->audioLine, 2);
  EXPECT_EQ(engine.audioPanel[3].mute, 1);
  EXPECT_EQ(engine.audioPanel[2].mute, 0);
}

TEST_F(EngineStateTest, GrowingGivesNewLinesFreshRecordsBelowTheLast) {
  engine.SetAudioLineCount(1);
  FakeEffects* fx = Effects();
  TrackRecord& second = engine.audioPanel[1];
  second.SetName("Kept name");
  second.gain = 100;
  second.solo = 1;
  second.effects = fx;
  view.frameGrowth.clear();

  EXPECT_TRUE(engine.SetAudioLineCount(3));
  EXPECT_EQ(engine.audioLineCount, 3);
  EXPECT_STREQ(second.name, "Kept name");
  EXPECT_EQ(second.gain, kGainUnity);
  EXPECT_EQ(second.solo, 0);
  EXPECT_EQ(second.mute, 0);
  EXPECT_EQ(second.zoom, 2);
  EXPECT_EQ(second.height, 24);
  EXPECT_EQ(second.effects, nullptr);
  EXPECT_EQ(fx->refs, 0);
  const TrackRecord& first = engine.audioPanel[0];
  EXPECT_EQ(second.top, first.bottom + 1 + engine.rowGap);
  EXPECT_EQ(engine.audioPanel[2].top, second.bottom + 1 + engine.rowGap);
  ASSERT_EQ(view.frameGrowth.size(), 1u);
  EXPECT_EQ(view.frameGrowth[0], 2 * (24 + engine.rowGap));
  EXPECT_EQ(engine.audioPanel[3].mute, 1);
}

// ---- View geometry.

TEST_F(EngineStateTest, ScrollBarNeverNeedsMoreThan32000Positions) {
  struct Case {
    int32_t length, scale;
  } cases[] = {{86400000, 1}, {86400000, 2}, {86400000, 1000}, {32001, 1}, {64000000, 7}, {1000, 1}};
  for (const Case& c : cases) {
    engine.length = c.length;
    engine.origin = 0;
    engine.SetZoom(c.scale == 1 ? 2 : 1);  // make the next zoom a change
    engine.SetZoom(c.scale);
    EXPECT_EQ(engine.scale, c.scale);
    EXPECT_LE(view.scrollMax, kMaxScrollPositions) << c.length << " at " << c.scale;
    // The last position still reaches the end of the project.
    if (view.scrollEnabled) {
      EXPECT_GE(int64_t{view.scrollMax} * engine.ScrollStep() + engine.VisibleSpan(), c.length - 1);
    }
  }
}

TEST_F(EngineStateTest, DayLongProjectAtTheClosestZoom) {
  engine.length = 86400000;
  engine.SetZoom(1);
  EXPECT_EQ(engine.scale, 1);
  EXPECT_EQ(engine.ScrollStep(), 2700);
  EXPECT_TRUE(view.scrollEnabled);
  EXPECT_LE(view.scrollMax, kMaxScrollPositions);
  // Pixels of the whole day still fit 32 bits.
  EXPECT_LT(int64_t{engine.length} * engine.factor / engine.scale, int64_t{INT32_MAX} + 1);
}

TEST_F(EngineStateTest, ShortProjectDisablesTheScrollBar) {
  engine.length = 3000;  // fits the 5000 ms shown
  engine.origin = 1000;
  engine.UpdateScrollRange();
  EXPECT_FALSE(view.scrollEnabled);
  EXPECT_EQ(engine.origin, 0);
}

TEST_F(EngineStateTest, ZoomToRangeFitsTheRangeToTheWidth) {
  engine.length = 600000;
  engine.ZoomToRange(10000, 60000);
  EXPECT_EQ(engine.origin, 10000);
  // 50 s over 500 pixels: the nearest listed scale, and the factor that
  // makes the range fill the width.
  EXPECT_EQ(engine.scale, view.SelectScale(50000 * engine.DefaultFactor() / 500));
  EXPECT_EQ(engine.VisibleSpan(), 50000);
  EXPECT_EQ(view.scrollPos, engine.origin / engine.ScrollStep());
}

TEST_F(EngineStateTest, ZoomToRangeRoundsTheEndUpToAFrame) {
  engine.length = 600000;
  engine.alignToFrame = true;
  engine.ZoomToRange(1010, 2010);  // 25 fps: start 1000, end 2040
  EXPECT_EQ(engine.origin, 1000);
  // The factor is whole pixels, so the span shown is close to the range.
  EXPECT_NEAR(engine.VisibleSpan(), 1040, 5);
}

TEST_F(EngineStateTest, SetZoomKeepsTheCursorWhereItIs) {
  engine.length = 600000;
  engine.origin = 10000;
  engine.SetPlayCursor(12000, false);  // x 200
  const int32_t x = engine.PosToPixel(engine.cursor);
  engine.SetZoom(500);
  EXPECT_EQ(engine.scale, 500);
  EXPECT_NEAR(engine.PosToPixel(engine.cursor), x, 1);
}

TEST_F(EngineStateTest, CoordinatesClampToTheAreaAndTheLength) {
  engine.length = 20000;
  engine.origin = 1000;
  EXPECT_EQ(engine.PosToPixelUnclamped(0), -100);
  EXPECT_EQ(engine.PosToPixel(0), 0);
  EXPECT_EQ(engine.PosToPixel(2500), 150);
  EXPECT_EQ(engine.PosToPixel(19000), 500);
  EXPECT_EQ(engine.PixelToPos(150), 2500);
  EXPECT_EQ(engine.PixelToPosUnclamped(-200), -1000);
  EXPECT_EQ(engine.PixelToPos(-200), 0);
  EXPECT_EQ(engine.PixelToPos(1000000), 19999);
  EXPECT_EQ(engine.VisibleSpan(), 5000);
  EXPECT_EQ(engine.ScrollStep(), 1000);
}

TEST_F(EngineStateTest, ZoomChangesPutClipOriginsOnWholePixels) {
  engine.length = 600000;
  Film* f = AudioFilm(0, 1234, 1000);
  engine.ZoomToRange(0, 50000);  // 100 ms per pixel
  EXPECT_EQ(f->origin, 1200);
  engine.ZoomToRange(0, 5000);  // 10 ms per pixel
  EXPECT_EQ(f->origin, 1230);
}

// ---- Redraw requests and the cursor.

TEST_F(EngineStateTest, InvalidateClipAsksForTheStripsItShowsOn) {
  engine.length = 60000;
  Film* audio = AudioFilm(2, 1000, 1000);
  Film* video = VideoFilm(1, 3000, 1000);
  view.ClearRequests();
  engine.InvalidateClip(audio);
  engine.InvalidateClip(video);
  const std::vector<Strip> expected = {
      {kLineAudio, 2, 99, 201}, {kLineVideo, 1, 299, 401}, {kLineVfx, 0, 299, 401}};
  EXPECT_EQ(view.strips, expected);
  EXPECT_EQ(view.timeDisplay, 2);
  EXPECT_EQ(LineChangedRange[2].start, 1000);
  EXPECT_EQ(LineChangedRange[2].end, 2000);
}

TEST_F(EngineStateTest, ChangedRangesWidenWithoutAWindow) {
  engine.AttachView(nullptr);
  Film* f = AudioFilm(1, 1000, 1000);
  engine.InvalidateClip(f);
  engine.InvalidateLineRange(5000, 6000, f);
  EXPECT_EQ(LineChangedRange[1].start, 1000);
  EXPECT_EQ(LineChangedRange[1].end, 6000);
  engine.InvalidateClipRange(0, 500, f);  // pixels only
  engine.SetPlayCursor(3000, true);
  EXPECT_EQ(engine.cursor, 3000);
  EXPECT_TRUE(view.strips.empty());
  EXPECT_TRUE(view.cursorStrips.empty());
}

TEST_F(EngineStateTest, LineRangeAndPixelRangeRequests) {
  Film* f = MidiFilm(0, 1000);
  view.ClearRequests();
  engine.InvalidateLineRange(500, 800, f);
  engine.InvalidateClipRange(7, 9, f);
  const std::vector<Strip> expected = {{kLineMidi, 0, 49, 81}, {kLineMidi, 0, 7, 9}};
  EXPECT_EQ(view.strips, expected);
  for (const TimeRange& r : LineChangedRange) EXPECT_TRUE(r.Empty());
}

TEST_F(EngineStateTest, PlayCursorMovesWithinTheProject) {
  engine.length = 20000;
  engine.SetPlayCursor(1000, false);
  view.ClearRequests();
  engine.SetPlayCursor(50000, false);
  EXPECT_EQ(engine.cursor, 19999);
  // The old strip and the new one, both on every line, and the time display.
  ASSERT_EQ(view.cursorStrips.size(), 2u);
  EXPECT_EQ(view.cursorStrips[0], (Strip{1, 0, 99, 102}));
  EXPECT_EQ(view.timeDisplay, 1);

  engine.SetPlayCursor(-5, false);
  EXPECT_EQ(engine.cursor, 0);

  // While playing: a preview request does nothing; a hidden play cursor is
  // not drawn on the lines.
  engine.playing = true;
  engine.hidePlaybackCursor = true;
  view.ClearRequests();
  engine.SetPlayCursor(4000, true);
  EXPECT_EQ(engine.cursor, 0);
  EXPECT_TRUE(view.cursorStrips.empty());
  engine.SetPlayCursor(4000, false);
  EXPECT_EQ(engine.cursor, 4000);
  ASSERT_EQ(view.cursorStrips.size(), 2u);
  EXPECT_EQ(view.cursorStrips[1].kind, 0);
}

TEST_F(EngineStateTest, ModifiedFlagTellsTheFrameOnChangeOnly) {
  engine.SetModified(true);
  engine.SetModified(true);
  engine.SetModified(false);
  const std::vector<bool> expected = {true, false};
  EXPECT_EQ(view.modifiedShown, expected);
  EXPECT_TRUE(AutosaveDirty);
}

// ---- The engine as the Film model's host.

TEST_F(EngineStateTest, FilmModelUsesTheEnginesZoomGainsAndStatusLine) {
  EXPECT_EQ(&CurrentFilmHost(), &engine);
  engine.factor = 1;
  engine.scale = 10;
  Film* f = AudioFilm(1, 1234, 1000);
  EXPECT_EQ(f->origin, 1230);  // whole pixels at 10 ms a pixel
  engine.audioPanel[1].gain = 256;
  engine.masterGain = 1024;
  EXPECT_EQ(CurrentFilmHost().LineGain(1), 256);
  EXPECT_EQ(CurrentFilmHost().MasterGain(), 1024);
  f->DescribeClip();
  EXPECT_NE(view.status.find("AUDIO clip"), std::string::npos);
}

}  // namespace
}  // namespace enginetest
