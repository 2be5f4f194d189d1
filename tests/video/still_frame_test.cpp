// One frame of a source shown as a still picture on the current output:
// the exact frame, from the right chain of frames, and the codec recovery
// that only a caller with a window gets.
#include <gtest/gtest.h>

#include <cmath>

#include "media/frame_decoder.h"
#include "model/time_code.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"
#include "video/preview_window.h"

namespace playertest {
namespace {

class StillFrameTest : public PlayerTest {
 protected:
  AVIVideoData* KeyDeltaSource() {
    const std::string path = folder_.Path("chain.avi");
    WriteKeyDeltaAvi(path, Chain(30, 10));
    return Use(path);
  }
  HWND Preview() { return *Avi()->Preview(); }
  InstalledCodecs codecs_{false};
};

TEST_F(StillFrameTest, ShowsTheFrameDecodedFromItsKeyFrameOrFromThePictureOnScreen) {
  AVIVideoData* v = KeyDeltaSource();
  TheVideoPlayer->ShowOnBoard(v, FramesToMs(13, 25.0f), Notify());
  EXPECT_EQ(TheCodecLog().Starting("decompress"),
            (std::vector<std::string>{"decompress 10", "decompress 11", "decompress 12", "decompress 13"}));
  EXPECT_EQ(GuiReadPixel(Preview(), 5, 5), RGB(13, 13, 13));
  // The next frame goes on from the picture shown.
  TheCodecLog().Clear();
  TheVideoPlayer->ShowOnBoard(v, FramesToMs(14, 25.0f), Notify());
  EXPECT_EQ(TheCodecLog().Starting("decompress"), std::vector<std::string>{"decompress 14"});
  EXPECT_EQ(GuiReadPixel(Preview(), 5, 5), RGB(14, 14, 14));
  // The window painted anew shows the picture again.
  InvalidateRect(Preview(), nullptr, TRUE);
  GuiPumpMessages();
  EXPECT_EQ(GuiReadPixel(Preview(), 5, 5), RGB(14, 14, 14));
  EXPECT_EQ(Sub()->GetState(), kSubReady);
}

TEST_F(StillFrameTest, NothingHappensWithoutAUserOrAnOutput) {
  // Open, but not in use: the player is not acquired.
  const std::string path = folder_.Path("idle.avi");
  WriteKeyDeltaAvi(path, Chain(30, 10));
  AVIVideoData* idle = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(idle, nullptr);
  TheVideoPlayer->ShowOnBoard(idle, 400, Notify());
  EXPECT_EQ(TheCodecLog().Count("decompress"), 0);
  // In use, but the chosen draw type is none: no sub-player.
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 0);
  idle->BeginRead();
  ASSERT_EQ(Sub(), nullptr);
  TheVideoPlayer->ShowOnBoard(idle, 400, Notify());
  EXPECT_EQ(TheCodecLog().Count("decompress"), 0);
  EXPECT_TRUE(boxes_.shown.empty());
  idle->EndRead();
  idle->Release();
}

TEST_F(StillFrameTest, ACodecErrorWithAnOwnerIsToldOnceAndTheCodecReopenedAtEveryOperation) {
  AVIVideoData* v = KeyDeltaSource();
  TheCodecScript().failDecompress = true;
  // Without an owner the frame is just not shown.
  TheVideoPlayer->ShowOnBoard(v, 400, nullptr);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_FALSE(TheVideoPlayer->autoCloseCodec);

  // A show asked for while the box is up does nothing.
  struct Reentering : RecordingBoxes {
    std::function<void()> whileUp;
    int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
      if (whileUp) whileUp();
      return RecordingBoxes::Show(owner, text, caption, flags);
    }
  } boxes;
  int decodesWhileUp = -1;
  boxes.whileUp = [&] {
    const int before = TheCodecLog().Count("decompress");
    TheVideoPlayer->ShowOnBoard(v, 80, Notify());
    decodesWhileUp = TheCodecLog().Count("decompress") - before;
  };
  TheVideoPlayer->ShowOnBoard(v, 400, Notify());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Show Frame");
  EXPECT_EQ(boxes.shown[0].text.substr(0, 26), "Some error in video codec!");
  EXPECT_EQ(decodesWhileUp, 0);
  EXPECT_TRUE(TheVideoPlayer->autoCloseCodec);
  ASSERT_NE(Sub(), nullptr);  // attached anew
  // Once the option is on, errors are not told again.
  TheVideoPlayer->ShowOnBoard(v, 400, Notify());
  EXPECT_EQ(boxes.shown.size(), 1u);
  TheCodecScript().failDecompress = false;
  TheVideoPlayer->ShowOnBoard(v, FramesToMs(12, 25.0f), Notify());
  EXPECT_EQ(GuiReadPixel(Preview(), 5, 5), RGB(12, 12, 12));
}

TEST_F(StillFrameTest, AnMjpegFileMadeByFfmpegShowsTheFrameFfmpegDecodes) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  constexpr int kWidth = 64, kHeight = 48, kFrames = 12, kShown = 7;
  const std::string path = folder_.Path("mjpeg.avi");
  const std::string make =
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=25 -frames:v 12 "
      "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p " +
      path;
  ASSERT_EQ(video_test::Run(make), 0) << make;
  const std::vector<BYTE> reference =
      video_test::Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt bgr24 -");
  const std::size_t frameBytes = static_cast<std::size_t>(kWidth) * kHeight * 3;
  ASSERT_EQ(reference.size(), frameBytes * kFrames);

  AVIVideoData* v = Use(path);
  ASSERT_NE(Sub(), nullptr);
  TheVideoPlayer->ShowOnBoard(v, FramesToMs(kShown, 25.0f), Notify());
  HWND w = Preview();
  RECT client;
  GetClientRect(w, &client);
  ASSERT_EQ(client.right, kWidth);
  ASSERT_EQ(client.bottom, kHeight);
  double total = 0;
  int worst = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = GuiReadPixel(w, x, y);
      const BYTE* r = &reference[kShown * frameBytes + (static_cast<std::size_t>(y) * kWidth + x) * 3];
      for (int d :
           {std::abs(GetBValue(c) - r[0]), std::abs(GetGValue(c) - r[1]), std::abs(GetRValue(c) - r[2])}) {
        total += d;
        worst = std::max(worst, d);
      }
    }
  }
  EXPECT_LE(total / frameBytes, 1.0);
  EXPECT_LE(worst, 32);
}

}  // namespace
}  // namespace playertest
