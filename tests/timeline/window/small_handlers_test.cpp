// Focus, zoom, heights, frame steps, exports and the enablers the
// time-line window answers for others.
#include "input_fixture.h"
#include "model/film.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/scale_list.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"

namespace timelinetest {
namespace {

using SmallHandlers = WindowInputTest;

TEST_F(SmallHandlers, ZoomNeverLeavesTheScaleList) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(600000);
  int32_t lo = 0, hi = 0;
  w.ScaleList()->GetRange(lo, hi);
  int32_t sub = 0;
  const int32_t smallest = w.ScaleList()->SelectScale(1, sub);
  e.SetZoom(smallest);
  w.SendMessage(WM_COMMAND, kCmZoomIn);
  EXPECT_EQ(e.scale, smallest);
  for (int i = 0; i < 40; ++i) w.SendMessage(WM_COMMAND, kCmZoomOut);
  const int32_t largest = e.scale;
  EXPECT_EQ(w.ScaleList()->SelectScale(largest * 4, sub), largest);
  w.SendMessage(WM_COMMAND, kCmZoomOut);
  EXPECT_EQ(e.scale, largest);
  // The zoom buttons under the lines send the same commands.
  e.SetZoom(1000);
  w.SendMessage(WM_COMMAND, kCmZoomIn);
  EXPECT_EQ(e.scale, 500);
}

TEST_F(SmallHandlers, FrameStepsEndAtTheEndsOfTheTimeLine) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(10000);
  e.SetPlayCursor(1010, false);
  EXPECT_TRUE(Enabled(kCmNextFrame));
  w.SendMessage(WM_COMMAND, kCmNextFrame);
  EXPECT_EQ(e.cursor, 1040);
  w.SendMessage(WM_COMMAND, kCmPrevFrame);
  EXPECT_EQ(e.cursor, 1000);
  e.SetPlayCursor(9960, false);
  EXPECT_FALSE(Enabled(kCmNextFrame));
  e.SetPlayCursor(9919, false);
  EXPECT_TRUE(Enabled(kCmNextFrame));
  e.SetPlayCursor(0, false);
  EXPECT_FALSE(Enabled(kCmPrevFrame));
  e.SetPlayCursor(20, false);
  EXPECT_TRUE(Enabled(kCmPrevFrame));
  w.SendMessage(WM_COMMAND, kCmPrevFrame);
  EXPECT_EQ(e.cursor, 0);
  // Not while playing.
  e.playing = true;
  EXPECT_FALSE(Enabled(kCmPrevFrame));
  e.SetPlayCursor(500, false);
  EXPECT_FALSE(Enabled(kCmNextFrame));
  w.SendMessage(WM_COMMAND, kCmNextFrame);
  EXPECT_EQ(e.cursor, 500);
  e.playing = false;
}

TEST_F(SmallHandlers, AClickInAChildWindowGivesTheTimeLineTheFocus) {
  InputTimeLine& w = OpenInput();
  for (TWindow* child : {static_cast<TWindow*>(w.AudioLines()), static_cast<TWindow*>(w.VideoLine()),
                         static_cast<TWindow*>(w.AudioHeader())}) {
    SetFocus(frame_->GetHandle());
    for (int button : {0, 1}) {
      SetFocus(nullptr);
      GuiClick(child->GetHandle(), 5, 5, button);
      GuiPumpMessages();
      EXPECT_EQ(GetFocus(), w.GetHandle()) << button;
      clock_.Advance(GetDoubleClickTime() + 1);
    }
  }
}

TEST_F(SmallHandlers, TheHeightCommandsSetEveryAudioLine) {
  InputTimeLine& w = OpenInput();
  struct Case {
    int id;
    int32_t height;
  };
  for (const Case& c :
       {Case{kCmAudioHeightHalf, 24}, Case{kCmAudioHeightDouble, 96}, Case{kCmAudioHeightNormal, 48}}) {
    w.SendMessage(WM_COMMAND, static_cast<WPARAM>(c.id));
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(Engine().audioPanel[i].height, c.height) << c.id;
  }
}

TEST_F(SmallHandlers, TheExportCommandsAskForTheirKinds) {
  InputTimeLine& w = OpenInput();
  for (int id : {kCmExportAvi, kCmExportMpeg, kCmExportWave})
    w.SendMessage(WM_COMMAND, static_cast<WPARAM>(id));
  EXPECT_EQ(w.exports, (std::vector<std::string>{"avi 0", "avi 1", "audio 0"}));
}

TEST_F(SmallHandlers, TheEnablersOfOtherCommandsFollowTheirRules) {
  OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(60000);
  enum Setup { kStopped, kPlaying, kPlayingRealtime, kRangeWithClips, kRangeEmpty, kRangeMutedClips };
  auto prepare = [&](Setup s) {
    e.playing = s == kPlaying || s == kPlayingRealtime;
    e.play.realtimeMute = s == kPlayingRealtime;
    e.SetMarkRange(0, 0);
    e.audioPanel[1].mute = 0;
    if (s == kRangeWithClips || s == kRangeMutedClips) e.SetMarkRange(1000, 3000);
    if (s == kRangeEmpty) e.SetMarkRange(5000, 8000);
    if (s == kRangeMutedClips) e.audioPanel[1].mute = 1;
  };
  AudioFilm(Audio("a.wav", 60000), 1, 2000, 2000);
  struct Case {
    int id;
    Setup setup;
    bool enabled;
  };
  const Case cases[] = {
      {kCmStop, kStopped, false},
      {kCmStop, kPlaying, true},
      {kCmMasterVolume, kStopped, true},
      {kCmMasterVolume, kPlaying, false},
      {kCmMasterVolume, kPlayingRealtime, true},
      {kCmVtrSetup, kPlaying, false},
      {kCmIncludeAllClips, kStopped, true},
      {kCmConfigureTools, kPlaying, false},
      {kCmZoomInRange, kStopped, false},
      {kCmZoomInRange, kRangeEmpty, true},
      {kCmRangeCopy, kRangeWithClips, true},
      {kCmRangeCopyAll, kRangeEmpty, false},
      {kCmRangeCut, kStopped, false},
      {kCmRangeCutAll, kRangeMutedClips, true},
      {kCmRangeClear, kRangeWithClips, true},
      {kCmRangeClearAll, kRangeWithClips, true},
      {kCmRangeCopyActive, kRangeWithClips, true},
      {kCmRangeCutActive, kRangeMutedClips, false},
      {kCmRangeClearActive, kRangeEmpty, false},
      {kCmRangeUnused, kRangeWithClips, false},
      {kCmRangeUnusedToo, kRangeWithClips, false},
  };
  for (const Case& c : cases) {
    prepare(c.setup);
    EXPECT_EQ(Enabled(c.id), c.enabled) << c.id << " in setup " << c.setup;
  }
  prepare(kStopped);
}

}  // namespace
}  // namespace timelinetest
