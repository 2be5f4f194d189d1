// Dragging on the ruler with the mouse: the play cursor and its snapping,
// scrubbing on the virtual sound device, scrolling past the edges and
// dragging a mark.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "audio/audio_player.h"
#include "audio/mix_fixture.h"
#include "platform/audio/virtual_audio.h"
#include "platform/core/time.h"
#include "strip_fixture.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"

namespace striptest {
namespace {

class RulerMouseTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    OpenStrip();
    ruler_ = window_->TimeRuler();
    TimeLineEngine& e = Engine();
    e.SetLength(600000);
    // One pixel is 10 ms.
    e.scale = 1000;
    e.factor = 100;
    e.origin = 0;
    e.UpdateScrollRange();
    e.gravityAlign = 1;
    e.gravityGroup = 0;
    e.alignToFrame = false;
    e.previewVideo = false;
    window_->Settings().alignTime = false;
    window_->Settings().previewAudio = false;
    window_->Settings().autoScroll = false;
    GuiPumpMessages();
  }
  int Top() { return 3; }
  int Low() { return ruler_->GetClientRect().bottom - 2; }
  int Width() { return ruler_->GetClientRect().right; }

  TTimeCode* ruler_ = nullptr;
};

struct DragCase {
  bool alignToFrame, alignTime;
  int32_t cursor;
};

// The pointer at 4970 ms: on a frame it is 4960; marks attract it to 5030.
TEST_F(RulerMouseTest, ADragMovesTheCursorSnappedToFramesAndMarks) {
  const DragCase cases[] = {
      {false, false, 4970},
      {true, false, 4960},
      {false, true, 5030},
      {true, true, 5030},
  };
  ASSERT_TRUE(ProjectMarks.AddMark(5030));
  int x = 100;  // a press apart from the last, so that it is no double click
  for (const DragCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.alignToFrame << c.alignTime);
    Engine().alignToFrame = c.alignToFrame;
    window_->Settings().alignTime = c.alignTime;
    x += 20;
    Press(ruler_, x, Top());
    EXPECT_TRUE(ruler_->IsDragging());
    EXPECT_EQ(Engine().cursor, x * 10);
    MoveTo(ruler_, 497, Top());
    EXPECT_EQ(Engine().cursor, c.cursor);
    Release(ruler_, 497, Top());
    EXPECT_FALSE(ruler_->IsDragging());
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

// Without gravity no mark is hovered: a press on one drags the cursor.
TEST_F(RulerMouseTest, AMarkDragIsOneUndoStepAndModifiesTheProject) {
  ASSERT_TRUE(ProjectMarks.AddMark(3000));
  Engine().SetModified(false);

  Press(ruler_, 300, Low());
  EXPECT_EQ(ruler_->CursorKind(), TTimeCode::kOverMark);
  EXPECT_EQ(UndoSteps(), 0);
  MoveTo(ruler_, 350, Low());
  MoveTo(ruler_, 400, Low());
  EXPECT_EQ(Status(), "Mark '': 4:000ms");
  Release(ruler_, 400, Low());
  ASSERT_EQ(ProjectMarks.Count(), 1);
  EXPECT_EQ(ProjectMarks[0].time, 4000);
  EXPECT_EQ(Engine().cursor, 4000);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(Engine().IsModified());
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(ProjectMarks[0].time, 3000);

  // A press on the mark that moves nothing takes no step.
  Press(ruler_, 300, Low());
  Release(ruler_, 300, Low());
  EXPECT_EQ(ProjectMarks[0].time, 3000);

  Engine().gravityAlign = 0;
  const int steps = UndoSteps();
  Press(ruler_, 300, Low());
  EXPECT_EQ(ruler_->CursorKind(), TTimeCode::kArrow);
  MoveTo(ruler_, 450, Low());
  Release(ruler_, 450, Low());
  EXPECT_EQ(ProjectMarks[0].time, 3000);
  EXPECT_EQ(Engine().cursor, 4500);
  EXPECT_EQ(UndoSteps(), steps);
}

TEST_F(RulerMouseTest, WithoutAutoScrollEachMovePastAnEdgeStepsOnce) {
  Press(ruler_, 100, Top());
  MoveTo(ruler_, -20, Top());
  EXPECT_TRUE(strip_->scrolls.empty());  // at the start already
  MoveTo(ruler_, Width() + 20, Top());
  ASSERT_EQ(strip_->scrolls.size(), 1u);
  EXPECT_EQ(strip_->scrolls[0].first, static_cast<UINT>(SB_LINERIGHT));
  EXPECT_EQ(Engine().origin, Engine().ScrollStep());
  // The pointer is put back on the play cursor.
  TPoint at;
  GetCursorPos(&at);
  ruler_->ScreenToClient(at);
  EXPECT_EQ(at.x, Engine().PosToPixel(Engine().cursor));
  MoveTo(ruler_, Width() + 25, Top());
  EXPECT_EQ(strip_->scrolls.size(), 2u);
  Release(ruler_, Width() + 25, Top());
}

TEST_F(RulerMouseTest, WithAutoScrollATimerStepsEvery150Ms) {
  TestClock clock;
  window_->Settings().autoScroll = true;
  Press(ruler_, 100, Top());
  MoveTo(ruler_, Width() + 20, Top());
  EXPECT_TRUE(strip_->scrolls.empty());
  clock.Advance(149);
  GuiPumpMessages();
  EXPECT_TRUE(strip_->scrolls.empty());
  clock.Advance(1);
  GuiPumpMessages();
  ASSERT_EQ(strip_->scrolls.size(), 1u);
  EXPECT_EQ(strip_->scrolls[0].first, static_cast<UINT>(SB_LINERIGHT));
  clock.Advance(150);
  GuiPumpMessages();
  EXPECT_EQ(strip_->scrolls.size(), 2u);
  // The cursor follows the view to the pointer's time.
  EXPECT_EQ(Engine().cursor, Engine().PixelToPos(Width() + 20));

  // Back inside the timer stops.
  MoveTo(ruler_, 200, Top());
  clock.Advance(150);
  GuiPumpMessages();
  clock.Advance(450);
  GuiPumpMessages();
  EXPECT_EQ(strip_->scrolls.size(), 2u);
  Release(ruler_, 200, Top());
}

// A click in a line handed to the ruler drags the cursor as a press on
// the ruler would.
TEST_F(RulerMouseTest, ACursorDragCanBeginFromALine) {
  Press(window_->AudioLines(), 120, 5);
  ruler_->BeginCursorDrag(120);
  EXPECT_EQ(ruler_->CursorKind(), TTimeCode::kDraggingTime);
  EXPECT_EQ(Engine().cursor, 1200);
  EXPECT_EQ(GetCapture(), ruler_->GetHandle());
  MoveTo(ruler_, 180, Top());
  EXPECT_EQ(Engine().cursor, 1800);
  Release(ruler_, 180, Top());
  EXPECT_FALSE(ruler_->IsDragging());
}

// While playing the ruler stops playback instead of dragging.
TEST_F(RulerMouseTest, APressWhilePlayingStops) {
  Engine().playing = true;
  Press(ruler_, 100, Top());
  Release(ruler_, 100, Top());
  EXPECT_FALSE(Engine().playing);
  EXPECT_FALSE(ruler_->IsDragging());
  Engine().playing = true;
  ruler_->BeginCursorDrag(100);
  EXPECT_FALSE(Engine().playing);
  EXPECT_FALSE(ruler_->IsDragging());
}

// ---- Scrubbing on the virtual device.

constexpr DWORD kRate = 8000;

class ScrubTest : public RulerMouseTest {
 protected:
  void SetUp() override {
    RulerMouseTest::SetUp();
    VirtualAudio::Reset();
    audio_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(audio_->Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    TheAudioPlayer = audio_.get();
    source_ = MakeSource(2, 1, kRate, int64_t{60} * kRate, 1);
    source_->BeginRead();
    AddClip(FilmList, source_, 0, 0, 60000, 0);
    window_->Settings().previewAudio = true;
  }
  void TearDown() override {
    if (audio_ != nullptr) audio_->StopScrub();
    RulerMouseTest::TearDown();
    TheAudioPlayer = nullptr;
    audio_.reset();
    if (source_ != nullptr) {
      source_->EndRead();
      source_->Release();
    }
  }
  bool Scrubbing() { return audio_->GetState() == AudioPlayer::kScrubbing; }
  // Plays scrub blocks until the engine's reports bring the cursor to t.
  bool CursorReaches(int32_t t) {
    for (int block = 0; block < 8; ++block) {
      VirtualAudio::Advance(100);
      // A guard against a hang: the engine's report comes at once.
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      const int32_t before = Engine().cursor;
      while (Engine().cursor == before && std::chrono::steady_clock::now() < end) {
        GuiPumpMessages();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      if (Engine().cursor == t) return true;
    }
    return false;
  }

  std::unique_ptr<AudioPlayer> audio_;
  MemorySource* source_ = nullptr;
};

// The first move starts one scrub; later moves only ask it to seek, and the
// cursor follows what sounds. Button up ends it where the pointer is.
TEST_F(ScrubTest, ADragOverAnAudibleClipScrubsAndButtonUpStopsIt) {
  Press(ruler_, 100, Top());
  EXPECT_FALSE(Scrubbing());
  MoveTo(ruler_, 150, Top());
  ASSERT_TRUE(ruler_->IsScrubbing());
  EXPECT_TRUE(Scrubbing());
  EXPECT_EQ(VirtualAudio::OpenCount(0), 1u);
  MoveTo(ruler_, 300, Top());
  EXPECT_EQ(Engine().cursor, 1000);  // the moves seek; the reports move the cursor
  EXPECT_EQ(VirtualAudio::OpenCount(0), 1u);
  EXPECT_TRUE(CursorReaches(3000));

  Release(ruler_, 400, Top());
  EXPECT_FALSE(ruler_->IsScrubbing());
  EXPECT_EQ(audio_->GetState(), AudioPlayer::kIdle);
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_EQ(Engine().cursor, 4000);
}

// Reports that come while no button is held count; after more than ten the
// scrub ends by itself.
TEST_F(ScrubTest, ReportsWithoutAButtonEndTheScrub) {
  Press(ruler_, 100, Top());
  MoveTo(ruler_, 150, Top());
  ASSERT_TRUE(Scrubbing());
  ReleaseCapture();  // the button came up elsewhere
  for (int i = 0; i < 11; ++i) ruler_->SendMessage(kScrubReportMessage, 2000, 0);
  EXPECT_TRUE(Scrubbing());
  EXPECT_EQ(Engine().cursor, 1000);
  ruler_->SendMessage(kScrubReportMessage, 2000, 0);
  EXPECT_FALSE(Scrubbing());
  EXPECT_FALSE(ruler_->IsScrubbing());
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  Release(ruler_, 150, Top());
}

struct AudibleCase {
  const char* what;
  int32_t masterGain, lineGain;
  bool mute, scrubs;
};

// Nothing to hear: the drag is a plain one, the cursor following the pointer.
TEST_F(ScrubTest, ASilentMixGivesAPlainDrag) {
  const AudibleCase cases[] = {
      {"audible", 512, 512, false, true},
      {"master at 0", 0, 512, false, false},
      {"line at 0", 512, 0, false, false},
      {"line muted", 512, 512, true, false},
  };
  int x = 100;  // a press apart from the last, so that it is no double click
  for (const AudibleCase& c : cases) {
    SCOPED_TRACE(c.what);
    Engine().masterGain = c.masterGain;
    Engine().audioPanel[0].gain = c.lineGain;
    Engine().audioPanel[0].mute = c.mute ? 1 : 0;
    x += 20;
    Press(ruler_, x, Top());
    MoveTo(ruler_, 200, Top());
    EXPECT_EQ(Scrubbing(), c.scrubs);
    EXPECT_EQ(Engine().cursor, c.scrubs ? x * 10 : 2000);
    // Ending a scrub puts the cursor where the button came up.
    Release(ruler_, 250, Top());
    EXPECT_FALSE(Scrubbing());
    EXPECT_EQ(Engine().cursor, c.scrubs ? 2500 : 2000);
  }
}

}  // namespace
}  // namespace striptest
