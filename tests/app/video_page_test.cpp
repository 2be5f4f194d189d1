#include "app/settings/video_page.h"

#include "app/settings/settings_sheet.h"
#include "model/time_code.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"
#include "video/player.h"
#include "video/player_hooks.h"

using namespace dialogtest;

namespace settingstest {
namespace {

TEST(VideoZoom, TheListShowsTheLastEntryNotAboveTheStoredZoom) {
  struct Case {
    int32_t zoom;
    const char* shown;
  };
  const Case cases[] = {{16, "x1"}, {24, "x1"}, {256, "x16"}, {1000, "x16"}, {1, "/16"},
                        {3, "/8"},  {8, "/2"},  {0, "/16"},   {-4, "/16"}};
  for (const Case& c : cases) EXPECT_EQ(ZoomText(ZoomEntry(c.zoom)), c.shown) << c.zoom;
}

// The application's frame-rate change, as the player asks for it.
class RateHooks : public VideoPlayerHooks {
 public:
  RateHooks() { before_ = SetVideoPlayerHooks(this); }
  ~RateHooks() override { SetVideoPlayerHooks(before_); }
  int32_t SetFrameRate(float rate) override {
    rates.push_back(rate);
    if (!accept) return 0;
    SetProjectFrameRate(rate);
    return 1;
  }
  bool accept = true;
  std::vector<float> rates;

 private:
  VideoPlayerHooks* before_;
};

class VideoPageTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    rate_ = ProjectFrameRate();
    SetProjectFrameRate(25.0f);
    zoom_ = VideoPlayer::zoom;
    player_ = std::make_unique<VideoPlayer>();
    host_.video = player_.get();
  }
  void TearDown() override {
    host_.video = nullptr;
    player_.reset();
    VideoPlayer::zoom = zoom_;
    SetProjectFrameRate(rate_);
    SettingsTest::TearDown();
  }
  void RunOnVideo(std::function<void(HWND sheet, HWND page)> step) { RunOn("Video", std::move(step)); }
  static std::string Shown(HWND page, int id) {
    HWND list = GetDlgItem(page, id);
    const int sel = static_cast<int>(SendMessage(list, CB_GETCURSEL, 0, 0));
    char text[128] = {};
    if (sel >= 0) SendMessage(list, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
    return text;
  }

  RateHooks hooks_;
  std::unique_ptr<VideoPlayer> player_;
  float rate_ = 25.0f;
  int32_t zoom_ = 16;
};

// Below 1 the first entry shows, and applying it stores 1, not a fraction.
TEST_F(VideoPageTest, AZoomBelowOneShowsTheSmallestAndStoresIt) {
  VideoPlayer::zoom = 0;
  std::string shown;
  RunOnVideo([&](HWND sheet, HWND page) {
    shown = Shown(page, kVideoZoom);
    Click(page, kVideoOnTop);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(shown, "/16");
  EXPECT_EQ(VideoPlayer::zoom, 1);
}

TEST_F(VideoPageTest, OkStoresTheChosenOptions) {
  VideoPlayer::zoom = 24;
  host_.edges = true;
  player_->autoReleaseCodec = true;
  std::string zoomShown, mode;
  bool keyFramesShown = false;
  RunOnVideo([&](HWND sheet, HWND page) {
    zoomShown = Shown(page, kVideoZoom);
    mode = Shown(page, kVideoPlaybackMode);
    keyFramesShown = Checked(page, kVideoKeyFrames);
    SendDlgItemMessage(page, kVideoZoom, CB_SETCURSEL, 8, 0);
    SendDlgItemMessage(page, kVideoPlaybackMode, CB_SETCURSEL, 3, 0);
    Click(page, kVideoEdges);
    Click(page, kVideoNeverYield);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(zoomShown, "x1");
  EXPECT_EQ(mode, "Default");
  EXPECT_TRUE(keyFramesShown);
  EXPECT_EQ(VideoPlayer::zoom, 256);
  EXPECT_EQ(VideoPlayer::defaultDrawType, 3);
  EXPECT_FALSE(host_.edges);
  EXPECT_TRUE(host_.onlyKeyFrames);
  EXPECT_FALSE(player_->autoReleaseCodec);
  EXPECT_TRUE(hooks_.rates.empty());
  VideoPlayer::defaultDrawType = 1;
}

// The codec-drawn modes say what happens when the codec cannot draw.
TEST_F(VideoPageTest, TheCodecDrawnModesCarryTheirFallbackNote) {
  std::vector<bool> shown;
  RunOnVideo([&](HWND sheet, HWND page) {
    HWND note = GetDlgItem(page, kVideoModeNote);
    HWND list = GetDlgItem(page, kVideoPlaybackMode);
    for (int mode : {1, 2, 3, 4, 0}) {
      SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(mode), 0);
      SendMessage(page, WM_COMMAND, MAKEWPARAM(kVideoPlaybackMode, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
      shown.push_back(IsWindowVisible(note) != FALSE);
    }
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false, false}));
}

// A new frame rate goes through the application; once it took it, Cancel
// can no longer take the change back.
TEST_F(VideoPageTest, ANewFrameRateTurnsCancelIntoClose) {
  struct Case {
    bool accept;
    bool cancelAfter;
  };
  for (const Case c : {Case{true, false}, Case{false, true}}) {
    hooks_.accept = c.accept;
    hooks_.rates.clear();
    SetProjectFrameRate(25.0f);
    bool cancelEnabled = !c.cancelAfter;
    std::string ok;
    RunOnVideo([&](HWND sheet, HWND page) {
      TypeOver(page, kVideoFrameRate, "30");
      Click(sheet, ID_APPLY_NOW);
      cancelEnabled = IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)) != FALSE;
      ok = ItemText(sheet, IDOK);
      Click(sheet, IDOK);
    });
    ASSERT_FALSE(hooks_.rates.empty()) << c.accept;
    EXPECT_EQ(hooks_.rates[0], 30.0f) << c.accept;
    EXPECT_EQ(cancelEnabled, c.cancelAfter) << c.accept;
    EXPECT_EQ(ok, c.accept ? "Close" : "OK");
  }
}

}  // namespace
}  // namespace settingstest
