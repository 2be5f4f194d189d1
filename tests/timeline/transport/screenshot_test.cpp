// The time-line playing with its video lines hidden, as the display shows it:
// under Xvfb with KOBRIX_GUI=sdl the capture is read back from the SDL window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "timeline/header/selection_line.h"
#include "timeline/lines/audio_lines.h"
#include "transport_fixture.h"

namespace transporttest {
namespace {

using TransportScreenshot = TransportTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

TEST_F(TransportScreenshot, PlayingWithTheVideoLinesHidden) {
  OpenTransport(1000, 640);
  TimeLineEngine& e = Engine();
  VideoClip(0, 2000, 8000);
  SoundClip(0, 0, 20000);
  SoundClip(1, 4000, 13000);
  e.SetLength(30000);
  e.ZoomToRange(0, 30000);
  Command(kCmShowVideoTracks);
  GuiPumpMessages();
  Command(kCmPlay);
  ASSERT_TRUE(e.playing);
  players_.audioEngine.position = 9000;
  Tick();
  ASSERT_EQ(e.cursor, 9000);

  // The audio lines come straight below the selection row.
  const TRect selection = PlaceOf(window_->SelectionLine());
  const TRect audio = PlaceOf(window_->AudioLines());
  EXPECT_LE(audio.top - selection.bottom, 2);
  EXPECT_THAT(Frame().Gadgets(), ::testing::ElementsAre(kCmRewind, kCmPlay, kCmStop, kCmRecordAudio));
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_playing")));
}

}  // namespace
}  // namespace transporttest
