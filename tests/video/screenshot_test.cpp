// A clip plays in the preview window as the display shows it (under Xvfb
// with KOBRIX_GUI=sdl, read back from the SDL window), and the picture is
// the frame ffmpeg decodes at that point of the clip.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "model/film_list.h"
#include "model/time_code.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"
#include "video/hand_player.h"
#include "video/preview_window.h"

namespace playertest {
namespace {

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

class VideoScreenshot : public PlayerTest {};

TEST_F(VideoScreenshot, APlayingClipShowsItsFrameInThePreview) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  constexpr int kWidth = 320, kHeight = 240, kFrames = 25, kShown = 9;
  const std::string path = folder_.Path("clip.avi");
  const std::string make =
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -frames:v 25 "
      "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p " +
      path;
  ASSERT_EQ(video_test::Run(make), 0) << make;
  const std::vector<BYTE> reference =
      video_test::Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt bgr24 -");
  const std::size_t frameBytes = static_cast<std::size_t>(kWidth) * kHeight * 3;
  ASSERT_EQ(reference.size(), frameBytes * kFrames);

  TestClock clock;
  AVIVideoData* v = Use(path);
  ASSERT_NE(dynamic_cast<AVIHandPlayer*>(Sub()), nullptr);
  HWND w = *Avi()->Preview();
  GuiPumpMessages();
  FilmListHead segments;
  AddSegment(segments, v, 0, 0, 1000);
  ASSERT_TRUE(TheVideoPlayer->Play(segments.First(), 0, 1000, FilmList, Notify()));
  ASSERT_TRUE(WaitUntil([&] { return Avi()->ReaderState() == kSubEnded; }));
  Sub()->Run(Notify());
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  for (int i = 1; i <= kShown; ++i) {
    clock.Advance(40);
    ASSERT_TRUE(WaitForDrivenWaiters(1));
  }
  EXPECT_EQ(Sub()->GetFrame(), kShown + 1);
  Sub()->Stop();
  Sub()->Finish(true);
  // Stopped, the preview keeps the last picture through its paints.
  InvalidateRect(w, nullptr, TRUE);
  GuiPumpMessages();

  RECT client;
  GetClientRect(w, &client);
  ASSERT_EQ(client.right, kWidth);
  ASSERT_EQ(client.bottom, kHeight);
  double total = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = GuiReadPixel(w, x, y);
      const BYTE* r = &reference[kShown * frameBytes + (static_cast<std::size_t>(y) * kWidth + x) * 3];
      total += std::abs(GetBValue(c) - r[0]) + std::abs(GetGValue(c) - r[1]) + std::abs(GetRValue(c) - r[2]);
    }
  }
  EXPECT_LE(total / frameBytes, 2.0);

  // What the display shows: the same picture.
  std::vector<std::uint32_t> shot;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(w, &shot, &width, &height));
  ASSERT_GE(width, kWidth);
  ASSERT_GE(height, kHeight);
  // The display shows the client area; the window's memory has its frame.
  POINT origin{0, 0};
  if (std::string(GuiBackendName()) == "headless") {
    RECT outer;
    GetWindowRect(w, &outer);
    ClientToScreen(w, &origin);
    origin.x -= outer.left;
    origin.y -= outer.top;
  }
  int matching = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t p = shot[static_cast<std::size_t>(y + origin.y) * width + x + origin.x];
      const COLORREF c = GuiReadPixel(w, x, y);
      matching += (p & 0xFFFFFFu) ==
                  static_cast<std::uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
  }
  EXPECT_GT(matching, kWidth * kHeight * 9 / 10);
  EXPECT_TRUE(GuiSaveScreenshot(w, ShotPath("video_preview")));
}

}  // namespace
}  // namespace playertest
