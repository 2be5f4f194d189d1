// A clip that found no place when it was added rides the mouse: the window
// shows where it would go as the pointer moves, scrolls when it leaves the
// time area, and drops it where the button is released.
#include <cstring>

#include "commands_fixture.h"
#include "model/film.h"
#include "platform/core/time.h"
#include "timeline/lines/audio_lines.h"

namespace timelinetest {
namespace {

class HeldClip : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    host_.output = &output_.format;
  }
  void Hold(CommandTimeLine& w, const std::string& path) {
    char buffer[MAX_PATH] = {};
    std::strncpy(buffer, path.c_str(), MAX_PATH - 1);
    w.AddFile(buffer, -1);
    ASSERT_NE(w.HeldClip(), nullptr);
  }
  POINT OverAudioLine(int32_t time, int32_t line) {
    const TrackRecord& r = window_->Engine().audioPanel[line];
    POINT p{window_->Engine().PosToPixelUnclamped(time), r.top + r.height / 2};
    ClientToScreen(window_->AudioLines()->GetHandle(), &p);
    return p;
  }
  void Click(POINT p) {
    clock_.Advance(GetDoubleClickTime() + 1);
    GuiMouseButton(0, true, p.x, p.y);
    GuiPumpMessages();
    GuiMouseButton(0, false, p.x, p.y);
    GuiPumpMessages();
  }

  TestClock clock_;
  RecordingHost host_;
};

TEST_F(HeldClip, TheReleaseAfterAPressDropsTheClipWhereTheLinesShowIt) {
  CommandTimeLine& w = OpenCommands();
  w.Engine().ZoomToRange(0, 10000);
  Hold(w, WriteWave("sound.wav", 44100, 2, 16, 44100));
  w.audio.line = 1;
  w.audio.settle = 3000;
  const POINT p = OverAudioLine(3000, 1);
  // A release without a press of its own drops nothing.
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(0, false, p.x, p.y);
  GuiPumpMessages();
  EXPECT_NE(w.HeldClip(), nullptr);
  EXPECT_EQ(Count(), 0);

  w.audio.calls.clear();
  GuiMouseMove(p.x + 1, p.y);
  GuiPumpMessages();
  EXPECT_FALSE(w.audio.calls.empty());
  Click(p);
  EXPECT_EQ(w.HeldClip(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(FilmList.First()->start, 3000);
  EXPECT_EQ(FilmList.First()->audioLine, 1);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HeldClip, PartsLeftOverAreOfferedToTheClipboard) {
  CommandTimeLine& w = OpenCommands();
  w.Engine().ZoomToRange(0, 10000);
  Hold(w, WriteWave("sound.wav", 44100, 2, 16, 44100));
  w.audio.fitsUnderPointer = false;
  w.audio.fitsElsewhere = false;
  boxes.answers = {IDYES};
  const POINT p = OverAudioLine(3000, 1);
  GuiMouseMove(p.x, p.y);
  Click(p);
  EXPECT_EQ(w.HeldClip(), nullptr);
  EXPECT_EQ(Count(), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Can not insert the clip.\nDo you want to copy this clip into clipboard?");
  EXPECT_EQ(ClipClipboard.Count(), 1);
}

TEST_F(HeldClip, ThePointerBeyondTheTimeAreaScrollsAStepEveryTick) {
  CommandTimeLine& w = OpenCommands();
  TimeLineEngine& e = w.Engine();
  e.SetLength(600000);
  e.ZoomToRange(0, 10000);
  const int32_t step = e.ScrollStep();
  Hold(w, WriteWave("sound.wav", 44100, 2, 16, 44100));
  POINT beyond = OverAudioLine(0, 1);
  beyond.x += e.width + 12;
  GuiMouseMove(beyond.x, beyond.y);
  GuiPumpMessages();
  ASSERT_TRUE(e.play.timerOn);
  w.audio.calls.clear();
  for (int tick = 1; tick <= 2; ++tick) {
    clock_.Advance(100);
    GuiPumpMessages();
    EXPECT_EQ(e.origin, tick * step);
  }
  // The lines were asked again as the content moved.
  EXPECT_FALSE(w.audio.calls.empty());
  const POINT inside = OverAudioLine(5000, 1);
  GuiMouseMove(inside.x, inside.y);
  clock_.Advance(100);
  GuiPumpMessages();
  EXPECT_FALSE(e.play.timerOn);
  EXPECT_EQ(e.origin, 2 * step);
  w.ReleaseHeldClip();
}

}  // namespace
}  // namespace timelinetest
