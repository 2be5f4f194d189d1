#include <gtest/gtest.h>

#include "app/settings/colors_sample.h"

namespace {

// The sample at width 400: the current time at x 200, the clip from 40 to
// 360 split at 200; u = 40. Rows of 48 pixels from y 24.
TEST(ColoursSample, EachRegionSelectsItsElement) {
  const SampleTextWidths text{12, 12, 24};
  struct Case {
    int x, y, element;
    const char* what;
  };
  const Case cases[] = {
      {200, 100, kColorCurTime, "the current-time line"},
      {197, 5, kColorCurTime, "the line also crosses the ruler"},
      {50, 5, kColorActiveTimeMark, "ruler, left"},
      {300, 16, kColorPassiveTimeMark, "ruler, right"},
      {100, 20, kColorSelection, "range band"},
      {20, 50, kColorFirstVideoTrack, "left of the video clip"},
      {380, 72, kColorOtherVideoTrack, "right of the video clip"},
      {20, 100, kColorAudioTrack, "beside an audio clip"},
      {41, 73, kColorDeclick, "audio clip, top outer corner"},
      {358, 74, kColorDeclick, "audio clip, right top outer corner"},
      {42, 118, kColorUsedEffects, "audio clip, bottom left of the left half"},
      {205, 118, kColorNonUsedEffects, "audio clip, bottom left of the right half"},
      {80, 64, kColorActiveClipMark, "M1"},
      {160, 64, kColorPassiveClipMark, "M2"},
      {60, 54, kColorActiveVolumeProfile, "low volume level"},
      {117, 54, kColorActiveKeyPoint, "key point at the step's foot"},
      {120, 44, kColorActiveVolumeProfile, "the step"},
      {140, 29, kColorActiveVolumeProfile, "high volume level"},
      {123, 29, kColorActiveKeyPoint, "key point at the step's top"},
      {60, 48, kColorPassiveBalanceProfile, "balance under the active volume"},
      {220, 48, kColorActiveBalanceProfile, "balance in the other half"},
      {220, 54, kColorPassiveVolumeProfile, "passive volume"},
      {277, 54, kColorPassiveKeyPoint, "passive key point"},
      {220, 102, kColorActiveVolumeProfile, "the audio clip's active volume is on the right"},
      {44, 29, kColorSelectedName, "name, current group"},
      {206, 29, kColorNonSelectedName, "name, unselected"},
      {44, 125, kColorSemiSelectedName, "name, other group"},
      {100, 66, kColorSelectedClip, "clip background, current group"},
      {260, 66, kColorNonSelectedClip, "clip background, unselected"},
      {100, 162, kColorSemiSelectedClip, "clip background, other group"},
      {80, 39, kColorWaveform, "waveform"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorsSampleHitTest(400, c.x, c.y, text), c.element) << c.what << " (" << c.x << "," << c.y << ")";
  }
}

}  // namespace
