// The codec-drawn players with a test codec that draws by itself and wants
// a number of buffers filled ahead: the frames handed ahead before the play
// runs and played out at its end, the pre-roll into a range that starts
// between key frames, what cannot be drawn, and pictures on the full screen.
#include "video/screen_player.h"

#include <gtest/gtest.h>

#include "media/key_frame.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"
#include "video/codec_player.h"
#include "video/preview_window.h"

namespace playertest {
namespace {

// The lines of the drawing codec's log that a play sends.
std::vector<std::string> Drawing(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (l.rfind("draw", 0) == 0 || l == "start" || l == "stop") out.push_back(l);
  }
  return out;
}

// Every begin is ended before the next one and by the end.
void ExpectBeginsEnded(const std::vector<std::string>& lines) {
  bool begun = false;
  for (const std::string& l : lines) {
    if (l.rfind("begin", 0) == 0) {
      EXPECT_FALSE(begun) << "a second begin without an end";
      begun = true;
    } else if (l == "end") {
      EXPECT_TRUE(begun) << "an end without a begin";
      begun = false;
    }
  }
  EXPECT_FALSE(begun) << "drawing was never ended";
}

class ScreenPlayerTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    path_ = folder_.Path("chain.avi");
    WriteKeyDeltaAvi(path_, Chain(30, 10));
    source_ = Use(path_);
  }
  void Step(DWORD ms) {
    clock_.Advance(ms);
    ASSERT_TRUE(WaitForDrivenWaiters(1));
  }
  bool Play(int32_t start, int32_t end) {
    return TheVideoPlayer->Play(segments_.First(), start, end, FilmList, Notify());
  }

  InstalledCodecs codecs_{true};
  TestClock clock_;
  std::string path_;
  AVIVideoData* source_ = nullptr;
  FilmListHead segments_;
};

TEST_F(ScreenPlayerTest, TheCodecsBuffersAreFilledBeforeRunAndPlayedOutAtTheEnd) {
  ASSERT_NE(dynamic_cast<AVIScreenPlayer*>(Sub()), nullptr);
  TheCodecScript().buffersWanted = 3;
  AddSegment(segments_, source_, 0, 0, 400);
  TheCodecLog().Clear();
  ASSERT_TRUE(Play(0, 200));
  EXPECT_EQ(Drawing(TheCodecLog().Lines()),
            (std::vector<std::string>{"draw 0 t0", "draw 1 t1", "draw 2 t2"}));
  EXPECT_EQ(Sub()->GetFrame(), 0);  // handed ahead, not shown yet

  TheCodecLog().Clear();
  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  EXPECT_EQ(Drawing(TheCodecLog().Lines()), (std::vector<std::string>{"start", "draw 3 t3"}));
  Step(40);
  // All five sent; the codec still plays three of them, one frame each.
  EXPECT_EQ(Drawing(TheCodecLog().Lines()), (std::vector<std::string>{"start", "draw 3 t3", "draw 4 t4"}));
  Step(40);
  Step(40);
  EXPECT_EQ(TheCodecLog().Count("stop"), 0);
  EXPECT_EQ(Sub()->GetFrame(), 4);
  EXPECT_EQ(Sub()->GetState(), kSubRunning);
  clock_.Advance(40);
  ASSERT_TRUE(WaitUntil([&] { return Sub()->GetState() != kSubRunning; }));
  EXPECT_EQ(Sub()->GetState(), kSubEnded);
  EXPECT_EQ(TheCodecLog().Count("stop"), 1);
  EXPECT_EQ(Sub()->GetFrame(), 5);
  Sub()->Finish(true);
}

TEST_F(ScreenPlayerTest, BuffersAreFilledOnlyAsFarAsTheCodecTellsAndTheRangeGoes) {
  AddSegment(segments_, source_, 0, 0, 400);
  struct Fill {
    const char* name;
    int wanted;
    int32_t end;
    std::vector<std::string> sent;
  };
  const std::vector<Fill> cases = {
      {"a codec that cannot tell gets nothing ahead", -1, 200, {}},
      {"a short range is padded with null frames", 3, 80, {"draw 0 t0", "draw 1 t1", "draw - t2 null"}},
  };
  for (const Fill& c : cases) {
    SCOPED_TRACE(c.name);
    TheCodecScript().buffersWanted = c.wanted;
    TheCodecLog().Clear();
    ASSERT_TRUE(Play(0, c.end));
    EXPECT_EQ(Drawing(TheCodecLog().Lines()), c.sent);
    Sub()->Finish(true);
  }
}

TEST_F(ScreenPlayerTest, ARangeStartingBetweenKeyFramesIsPrerolledFromItsKeyFrame) {
  TheCodecScript().buffersWanted = 1;
  AddSegment(segments_, source_, 0, 0, 1200);
  TheCodecLog().Clear();
  ASSERT_TRUE(Play(FramesToMs(13, 25.0f), FramesToMs(16, 25.0f)));
  EXPECT_EQ(Drawing(TheCodecLog().Lines()),
            (std::vector<std::string>{"draw 10 t0 preroll", "draw 11 t0 preroll", "draw 12 t0 preroll",
                                      "draw 13 t0"}));
  Sub()->Finish(true);
}

TEST_F(ScreenPlayerTest, WhatTheCodecCannotDrawIsRefused) {
  // A cut into a frame whose picture was decoded ahead: a drawing codec
  // takes data only.
  TKeyFrame* record = TKeyFrame::Create(source_, 15);
  ASSERT_NE(record, nullptr);
  record->data = std::make_unique<BYTE[]>(16);
  record->dataSize = 16;
  AddSegment(segments_, source_, 0, 0, 80);
  AddSegment(segments_, source_, 600, 80, 200);
  EXPECT_FALSE(Play(0, 200));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Fragment start from NOT KEY Frame");
  record->Release();

  // A frame that cannot be read while the buffers are filled.
  boxes_.shown.clear();
  TheCodecScript().buffersWanted = 3;
  source_->index[1].dwChunkOffset = 0x7FFFFF00;
  EXPECT_FALSE(Play(0, 80));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Can not read file");
  EXPECT_EQ(Sub()->GetState(), kSubReady);

  // Every begin of drawing was ended, the player's end included.
  RestartPlayer();
  ExpectBeginsEnded(TheCodecLog().Lines());
}

TEST_F(ScreenPlayerTest, StillPicturesReachTheFullScreen) {
  TheCodecLog().Clear();
  TheVideoPlayer->ShowOnBoard(source_, FramesToMs(7, 25.0f), Notify());
  const std::vector<std::string> lines = TheCodecLog().Starting("begin");
  ASSERT_FALSE(lines.empty());
  // The stream's whole picture onto the whole screen.
  EXPECT_EQ(lines[0], "begin 32x24 to " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                          std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " fullscreen");
  HWND screen = GdiScreenTargetWindow();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GuiReadPixel(screen, 100, 100), RGB(7, 7, 7));
  RestartPlayer();
  EXPECT_EQ(GdiScreenTargetWindow(), nullptr);
  ExpectBeginsEnded(TheCodecLog().Lines());
}

TEST_F(ScreenPlayerTest, TheCodecDrawsIntoAPreviewWindowWhenAskedTo) {
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 3);
  ASSERT_NE(dynamic_cast<AVICodecPlayer*>(Sub()), nullptr);
  TheCodecLog().Clear();
  TheVideoPlayer->ShowOnBoard(source_, FramesToMs(4, 25.0f), Notify());
  const std::vector<std::string> lines = TheCodecLog().Starting("begin");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "begin 32x24 to 32x24 window");
  HWND w = *Avi()->Preview();
  EXPECT_EQ(GuiReadPixel(w, 3, 3), RGB(4, 4, 4));
  // A painted window tells the codec where it is.
  const int placed = TheCodecLog().Count("window");
  InvalidateRect(w, nullptr, TRUE);
  GuiPumpMessages();
  EXPECT_EQ(TheCodecLog().Count("window"), placed + 1);
  RestartPlayer();
  ExpectBeginsEnded(TheCodecLog().Lines());
}

}  // namespace
}  // namespace playertest
