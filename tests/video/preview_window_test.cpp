// The preview window as a user drives it: its size and place for each zoom
// of its system menu, the settings item, closing it, and the time-line's
// commands it passes on.
#include "video/preview_window.h"

#include <gtest/gtest.h>

#include "model/film_list.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"

namespace playertest {
namespace {

class PreviewTest : public PlayerTest {
 protected:
  void TearDown() override {
    if (std::string(GuiBackendName()) == "headless") GuiSetScreenSize(1920, 1080);
    PlayerTest::TearDown();
  }
  HWND Preview() {
    return Avi() != nullptr && Avi()->Preview() != nullptr ? HWND(*Avi()->Preview()) : nullptr;
  }
  InstalledCodecs codecs_{false};
};

TEST_F(PreviewTest, TheZoomItemsSizeThePictureAndKeepTheWindowAtTheTopRight) {
  if (std::string(GuiBackendName()) != "headless") GTEST_SKIP() << "needs screens of chosen sizes";
  struct Zoom {
    int videoWidth, videoHeight, screenWidth, screenHeight;
    UINT item;
    int zoom, clientWidth, clientHeight;
  };
  const std::vector<Zoom> cases = {
      {320, 240, 1920, 1080, kPreviewZoomHalf, 8, 160, 120},
      {320, 240, 1920, 1080, kPreviewZoomOne, 16, 320, 240},
      {320, 240, 1920, 1080, kPreviewZoomTwo, 32, 640, 480},
      {640, 480, 1024, 768, kPreviewZoomTwo, 32, 768, 576},  // at most three quarters of the screen
      {12, 10, 1920, 1080, kPreviewZoomHalf, 8, 8, 8},       // at least 8 pixels
  };
  for (const Zoom& c : cases) {
    SCOPED_TRACE(std::to_string(c.videoWidth) + " at zoom " + std::to_string(c.zoom));
    // Each case opens where a first window does, not where the last was left.
    TheVideoPlayer->previewPlace = {};
    GuiSetScreenSize(c.screenWidth, c.screenHeight);
    StreamFormat stream = KeyDeltaStream(c.videoWidth, c.videoHeight);
    TheVideoPlayer->AcquireSubPlayer(stream.Info());
    HWND w = Preview();
    ASSERT_NE(w, nullptr);
    PostMessage(w, WM_SYSCOMMAND, c.item, 0);
    GuiPumpMessages();
    EXPECT_EQ(VideoPlayer::zoom, c.zoom);
    RECT client, outer;
    GetClientRect(w, &client);
    GetWindowRect(w, &outer);
    EXPECT_EQ(client.right, c.clientWidth);
    EXPECT_EQ(client.bottom, c.clientHeight);
    EXPECT_EQ(outer.right, c.screenWidth);
    EXPECT_EQ(outer.top, GetSystemMetrics(SM_CYCAPTION));
    TheVideoPlayer->ReleaseSubPlayer();
    VideoPlayer::zoom = 16;
  }
  // The zooms sized those windows, not the user: the next window takes the
  // size of its own picture.
  GuiSetScreenSize(1920, 1080);
  StreamFormat stream = KeyDeltaStream(64, 48);
  TheVideoPlayer->AcquireSubPlayer(stream.Info());
  ASSERT_NE(Preview(), nullptr);
  RECT client;
  GetClientRect(Preview(), &client);
  EXPECT_EQ(client.right, 64);
  EXPECT_EQ(client.bottom, 48);
  TheVideoPlayer->ReleaseSubPlayer();
}

// Each play or edit makes a new player with a new window: it opens where
// the user left the last one, with the size the user gave it.
TEST_F(PreviewTest, ANewWindowOpensWhereTheUserLeftTheLastOne) {
  StreamFormat stream = KeyDeltaStream(320, 240);
  TheVideoPlayer->AcquireSubPlayer(stream.Info());
  HWND w = Preview();
  ASSERT_NE(w, nullptr);
  const bool resizable = (GetWindowLong(w, GWL_STYLE) & WS_THICKFRAME) != 0;
  RECT opened;
  GetWindowRect(w, &opened);
  const int width = opened.right - opened.left + (resizable ? 50 : 0);
  const int height = opened.bottom - opened.top + (resizable ? 30 : 0);
  SetWindowPos(w, nullptr, 120, 340, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  GuiPumpMessages();
  TheVideoPlayer->ReleaseSubPlayer();
  TheVideoPlayer->AcquireSubPlayer(stream.Info());
  w = Preview();
  ASSERT_NE(w, nullptr);
  RECT again;
  GetWindowRect(w, &again);
  EXPECT_EQ(again.left, 120);
  EXPECT_EQ(again.top, 340);
  EXPECT_EQ(again.right - again.left, width);
  EXPECT_EQ(again.bottom - again.top, height);
  TheVideoPlayer->ReleaseSubPlayer();
}

TEST_F(PreviewTest, SettingsAndCloseFromTheSystemMenu) {
  StreamFormat stream = KeyDeltaStream(32, 24);
  TheVideoPlayer->AcquireSubPlayer(stream.Info());
  HWND w = Preview();
  ASSERT_NE(w, nullptr);
  char caption[16];
  GetWindowText(w, caption, sizeof caption);
  EXPECT_STREQ(caption, "Video");
  HMENU menu = GetSystemMenu(w, FALSE);
  char text[32];
  GetMenuString(menu, kPreviewSettings, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Settings...");
  GetMenuString(menu, kPreviewZoomHalf, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Zoom: 1/2");

  notify_->posted().clear();
  PostMessage(w, WM_SYSCOMMAND, kPreviewSettings, 0);
  GuiPumpMessages();
  ASSERT_EQ(notify_->posted().size(), 1u);
  EXPECT_EQ(notify_->posted()[0].msg, WM_USER + 99u);
  EXPECT_EQ(notify_->posted()[0].wParam, 10u);
  EXPECT_EQ(notify_->posted()[0].lParam, 2);

  // Closing a preview that is busy with a play leaves it.
  AVIVideoData* source = nullptr;
  {
    const std::string path = folder_.Path("a.avi");
    WriteKeyDeltaAvi(path, Chain(20, 10));
    source = Use(path);
  }
  FilmListHead segments;
  AddSegment(segments, source, 0, 0, 400);
  ASSERT_TRUE(TheVideoPlayer->Play(segments.First(), 0, 400, FilmList, Notify()));
  PostMessage(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  GuiPumpMessages();
  ASSERT_NE(Sub(), nullptr);
  EXPECT_TRUE(IsWindow(w));
  Sub()->Finish(true);
  // Idle, it goes with its player; the time-line lays out anew.
  const int layouts = hooks_.zoomChanges;
  PostMessage(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  GuiPumpMessages();
  EXPECT_EQ(Sub(), nullptr);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(hooks_.zoomChanges, layouts + 1);
  // Asked for the focus, the player comes back with its preview.
  TheVideoPlayer->FocusSubPlayer();
  ASSERT_NE(Preview(), nullptr);
  EXPECT_EQ(GetFocus(), Preview());
  TheVideoPlayer->ReleaseSubPlayer();
}

TEST_F(PreviewTest, TheTimeLinesCommandsReachItWhileThePreviewHasTheFocus) {
  StreamFormat stream = KeyDeltaStream(32, 24);
  TheVideoPlayer->AcquireSubPlayer(stream.Info());
  HWND w = Preview();
  ASSERT_NE(w, nullptr);
  const std::vector<WPARAM> passed = {311, 312, 313, 314, 315, 316, 318, 320, 424, 425, 426, 511,
                                      512, 513, 515, 516, 522, 523, 524, 631, 921, 922, 923, 924};
  notify_->posted().clear();
  for (WPARAM id : passed) PostMessage(w, WM_COMMAND, id, 0);
  PostMessage(w, WM_COMMAND, 24332, 0);  // the frame's Open is not the time-line's
  GuiPumpMessages();
  std::vector<WPARAM> got;
  for (const NotifyWindow::Posted& p : notify_->posted()) {
    EXPECT_EQ(p.msg, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(p.lParam, 0);
    got.push_back(p.wParam);
  }
  EXPECT_EQ(got, passed);
  TheVideoPlayer->ReleaseSubPlayer();
}

}  // namespace
}  // namespace playertest
