// The audio lines as the display shows them: under Xvfb with KOBRIX_GUI=sdl
// the capture is read back from the SDL window.
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/effect_list.h"
#include "audio_lines_fixture.h"

namespace audiolinetest {
namespace {

using Screenshot = AudioLineTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

TEST_F(Screenshot, FourAudioLinesWithSoundProfilesRampsMarksAndEffects) {
  OpenLines({0, 1, 1, 2}, nullptr, 800);
  Zoom(10);
  AudioData* stereo = Sine(8000, 2, "6", 3);
  AudioData* mono = Sine(8000, 1, "6", 2);
  ASSERT_NE(stereo, nullptr);
  ASSERT_NE(mono, nullptr);
  Film* music = Clip(stereo, 0, 200, 0, 5000, "music");
  music->volumePoints.Insert(1500, 900);
  music->volumePoints.Insert(3500, 300);
  music->balancePoints.Insert(2500, -120);
  music->declickIn = music->declickOut = true;
  ASSERT_TRUE(music->marks.AddMark(2000));
  music->marks.SetName(0, "chorus");
  Film* voice = Clip(mono, 1, 600, 500, 3500, "voice");
  voice->group = SelectionGroup;
  voice->effects = EffectList::New();
  Clip(mono, 1, 3700, 0, 2500, "breath");
  Film* room = Clip(stereo, 2, 1000, 0, 4000, "room");
  room->effects = EffectList::New();
  dynamic_cast<EffectList*>(room->effects)->SetEnabled(false);
  room->volumePoints.Insert(2000, 128);
  Clip(mono, 2, 5200, 0, 15, "tick");
  Clip(mono, 3, 500, 0, 6000, "hum");
  Engine().SetPlayCursor(4500, false);
  tl_->InvalidateAll();
  GuiPumpMessages();

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &width, &height)) << GuiBackendName();
  auto count = [&](COLORREF c) {
    int n = 0;
    for (std::uint32_t p : pixels) {
      n += ((p >> 16) & 255) == GetRValue(c) && ((p >> 8) & 255) == GetGValue(c) && (p & 255) == GetBValue(c);
    }
    return n;
  };
  // The sound and the clips' own colours are on the screen.
  EXPECT_GT(count(TimeLineColors[kColorWaveform]), 2000);
  EXPECT_GT(count(TimeLineColors[kColorSelectedClip]), 1000);
  EXPECT_GT(count(TimeLineColors[kColorActiveVolumeProfile]), 200);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_audio_lines")));
}

}  // namespace
}  // namespace audiolinetest
