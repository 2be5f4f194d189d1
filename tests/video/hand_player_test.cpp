// The hand-drawn player playing on its threads, timed by the driven clock:
// late frames hurried and skipped, a stall jumping ahead and reported, a
// cut into a cached picture marked, and threads that always end.
#include "video/hand_player.h"

#include <gtest/gtest.h>

#include <cstring>

#include "media/key_frame.h"
#include "model/film_list.h"
#include "platform/core/time.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"
#include "video/preview_window.h"

namespace playertest {
namespace {

class HandPlayerTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    path_ = folder_.Path("chain.avi");
    WriteKeyDeltaAvi(path_, Chain(100, 10));
    source_ = Use(path_);
    ASSERT_NE(dynamic_cast<AVIHandPlayer*>(Sub()), nullptr);
  }
  // Moves the clock on and waits until the display thread waits again.
  void Step(DWORD ms) {
    clock_.Advance(ms);
    ASSERT_TRUE(WaitForDrivenWaiters(1));
  }
  // Prepares the range and lets the reader read all of it, so that every
  // frame's data is there when the clock makes it due.
  void Play(int32_t start, int32_t end) {
    ASSERT_TRUE(TheVideoPlayer->Play(segments_.First(), start, end, FilmList, Notify()));
    ASSERT_TRUE(WaitUntil([this] { return Avi()->ReaderState() == kSubEnded; }));
  }
  HWND PreviewHandle() { return *Avi()->Preview(); }

  InstalledCodecs codecs_{false};
  TestClock clock_;
  std::string path_;
  AVIVideoData* source_ = nullptr;
  FilmListHead segments_;
};

TEST_F(HandPlayerTest, LateFramesAreHurriedAndTheFifthLateInARowIsDrawn) {
  AddSegment(segments_, source_, 0, 0, 4000);
  Play(0, 4000);
  EXPECT_EQ(Sub()->GetState(), kSubPrepared);
  // The first picture stands before the play runs.
  EXPECT_EQ(PresentedGreys(), std::vector<int>{0});
  TheCodecLog().Clear();
  ClearPresented();

  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));  // frame 1 is not due yet
  EXPECT_EQ(TheCodecLog().Count("decompress"), 0);
  Step(400);  // ten frames due at once
  EXPECT_EQ(
      TheCodecLog().Starting("decompress"),
      (std::vector<std::string>{"decompress 1 hurry", "decompress 2 hurry", "decompress 3 hurry",
                                "decompress 4 hurry", "decompress 5", "decompress 6 hurry",
                                "decompress 7 hurry", "decompress 8", "decompress 9", "decompress 10"}));
  EXPECT_EQ(PresentedGreys(), (std::vector<int>{5, 8, 9, 10}));
  EXPECT_EQ(Sub()->GetFrame(), 11);
  EXPECT_EQ(Sub()->GetState(), kSubRunning);
  Sub()->Stop();
  EXPECT_EQ(Sub()->GetState(), kSubEnded);
  Sub()->Finish(true);
  EXPECT_EQ(Sub()->GetState(), kSubReady);
}

TEST_F(HandPlayerTest, AStallJumpsToAKeyFrameAheadAndTheDroppedFramesAreReported) {
  AddSegment(segments_, source_, 0, 0, 4000);
  Play(0, 4000);
  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  Step(400);
  TheCodecLog().Clear();
  // Two seconds on: due is frame 60; half a second ahead is 72, and the
  // next key frame 80. Frames 11 to 79 are dropped.
  Step(2000);
  EXPECT_EQ(TheCodecLog().Count("decompress"), 0);
  EXPECT_EQ(Sub()->GetFrame(), 80);
  for (int i = 0; i < 3; ++i) Step(250);
  EXPECT_EQ(TheCodecLog().Count("decompress"), 0);
  Step(50);
  EXPECT_EQ(TheCodecLog().Starting("decompress"), std::vector<std::string>{"decompress 80"});
  EXPECT_EQ(PresentedGreys().back(), 80);
  Sub()->Stop();
  Sub()->Finish(true);

  hooks_.keepShowing = false;
  Sub()->ReportSkippedFrames(Notify(), TheVideoPlayer->ShowTimeoutsOption());
  EXPECT_EQ(hooks_.status, std::vector<std::string>{"69 frames were dropped!"});
  EXPECT_EQ(hooks_.timeouts, std::vector<int32_t>{69});
  EXPECT_EQ(hooks_.timeoutCaptions, std::vector<std::string>{"AVI Video Player"});
  EXPECT_FALSE(TheVideoPlayer->showTimeouts);
  // Reported once.
  Sub()->ReportSkippedFrames(Notify(), TheVideoPlayer->ShowTimeoutsOption());
  EXPECT_EQ(hooks_.timeouts.size(), 1u);
}

TEST_F(HandPlayerTest, ACutIntoACachedPictureShowsARedFrameUntilTheNextKeyFrame) {
  // Frames 0..9, then a cut into frame 15, whose picture is prepared.
  AddSegment(segments_, source_, 0, 0, 400);
  AddSegment(segments_, source_, 600, 400, 800);
  StartFrameRecord* record = Sub()->CreateKeyFrame(source_, 15);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(Sub()->CreateKeyFrame(source_, 10), nullptr);  // a key frame needs none
  Play(0, 800);
  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  for (int i = 1; i <= 10; ++i) Step(40);
  // The pictures as the display thread drew them (a paint now would erase
  // them until the next frame).
  HWND w = PreviewHandle();
  RECT client;
  GetClientRect(w, &client);
  const int cx = client.right / 2, cy = client.bottom / 2;
  EXPECT_EQ(GuiReadPixel(w, 1, 1), RGB(255, 0, 0));
  EXPECT_EQ(GuiReadPixel(w, client.right - 2, client.bottom - 2), RGB(255, 0, 0));
  EXPECT_EQ(GuiReadPixel(w, cx, cy), RGB(15, 15, 15));
  // The next frame continues from the cached picture, still marked.
  Step(40);
  EXPECT_EQ(GuiReadPixel(w, 1, 1), RGB(255, 0, 0));
  EXPECT_EQ(GuiReadPixel(w, cx, cy), RGB(16, 16, 16));
  // Frame 20 is a key frame: the picture is whole again.
  for (int i = 0; i < 4; ++i) Step(40);
  EXPECT_EQ(GuiReadPixel(w, 1, 1), RGB(20, 20, 20));
  Sub()->Stop();
  Sub()->Finish(true);
  record->Release();
}

TEST_F(HandPlayerTest, ACachedPictureOfAnotherSizeIsCopiedOnlyAsFarAsBothGo) {
  // A picture made for a larger output: the copy stops at the frame's end.
  TKeyFrame* record = TKeyFrame::Create(source_, 15);
  ASSERT_NE(record, nullptr);
  const int32_t big = 1 << 20;
  record->data = std::make_unique<BYTE[]>(static_cast<std::size_t>(big));
  std::memset(record->data.get(), 0x33, static_cast<std::size_t>(big));
  record->dataSize = big;
  AddSegment(segments_, source_, 0, 0, 40);
  AddSegment(segments_, source_, 600, 40, 200);
  Play(0, 200);
  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  Step(40);
  EXPECT_EQ(GuiReadPixel(PreviewHandle(), 10, 10), RGB(0x33, 0x33, 0x33));
  Sub()->Stop();
  Sub()->Finish(true);
  record->Release();
}

TEST_F(HandPlayerTest, StartStopAndFinishAlwaysEndBothThreads) {
  AddSegment(segments_, source_, 0, 0, 4000);
  const int before = ThreadCount();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    // Prepared and finished: the display thread never ran.
    Play(0, 4000);
    // The reader has read all; the display thread waits for Run.
    EXPECT_EQ(SettledThreadCount(before + 1), before + 1);
    Sub()->Finish(true);
    EXPECT_EQ(SettledThreadCount(before), before);
    // Stopped while the display waits for a frame.
    Play(0, 4000);
    Sub()->Run(Notify());
    ASSERT_TRUE(WaitForDrivenWaiters(1));
    Sub()->Stop();
    Sub()->Finish(true);
    EXPECT_EQ(SettledThreadCount(before), before);
    EXPECT_EQ(Sub()->GetState(), kSubReady);
  }
  // Played to the end on its own.
  Play(0, 200);
  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  for (int i = 1; i <= 3; ++i) Step(40);
  EXPECT_EQ(Sub()->GetState(), kSubRunning);
  clock_.Advance(40);  // the last frame
  EXPECT_TRUE(WaitUntil([&] { return Sub()->GetState() != kSubRunning; }));
  EXPECT_EQ(Sub()->GetState(), kSubEnded);
  EXPECT_EQ(Sub()->GetFrame(), 5);
  Sub()->Stop();
  Sub()->Finish(true);
  EXPECT_EQ(SettledThreadCount(before), before);
}

}  // namespace
}  // namespace playertest
