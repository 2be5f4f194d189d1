// The VFX line and the MIDI line as the display shows them: under Xvfb
// with KOBRIX_GUI=sdl the capture is read back from the SDL window.
#include <cstdlib>
#include <string>
#include <vector>

#include "timeline/lines/other_lines_fixture.h"

namespace linestest {
namespace {

using Screenshot = OtherLinesTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

TEST_F(Screenshot, TwoTransitionsAndALabelledMidiClip) {
  OpenLines(1, 0);
  Zoom(10);
  VideoClip(0, 0, 2500, "interview");
  VideoClip(1, 1500, 4500, "cutaway");
  VideoClip(0, 3500, 7000, "city");
  Transitions().Schedule();
  Transitions().SetTransition(Transitions().List()->next, 1, 8);

  MidiFileBytes file;
  file.division = 96;
  TrackBytes t;
  t.Tempo(0, 500000).Meter(0, 4, 2).NoteOn(0, 0, 60, 100).NoteOff(8 * 96, 0, 60);
  t.Tempo(0, 750000).Meter(0, 3, 2).End(6 * 96);
  file.tracks.push_back(t);
  MidiData* m = MidiFile(file);
  ASSERT_NE(m, nullptr);
  Film* tune = MidiClip(m, 500, 0, m->GetLength(), "tune");
  ASSERT_TRUE(tune->marks.AddMark(3000));
  tune->marks.SetName(0, "verse");
  Engine().SetPlayCursor(6200, false);
  tl_->InvalidateAll();
  GuiPumpMessages();

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_->GetHandle(), &pixels, &width, &height)) << GuiBackendName();
  // The MIDI line's background and the transitions' boxes are on the screen.
  auto count = [&](COLORREF c) {
    int n = 0;
    for (std::uint32_t p : pixels) {
      n += static_cast<COLORREF>(RGB((p >> 16) & 255, (p >> 8) & 255, p & 255)) == c;
    }
    return n;
  };
  EXPECT_GT(count(TimeLineColors[kColorMidiTrack]), 100 * 40);
  EXPECT_GT(count(TimeLineColors[kColorVideoFXTrack]), 100 * 20);
  ASSERT_TRUE(GuiSaveScreenshot(frame_->GetHandle(), ShotPath("timeline_vfx_midi_lines")));
}

}  // namespace
}  // namespace linestest
