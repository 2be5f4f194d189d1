// The recorder and the volume-control server: capture start and stop, and
// the server's volume window beside the recorder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "audio/volume_server_link.h"
#include "platform/gui/gui_driver.h"
#include "recorder_fixture.h"

using namespace rectest;
using ::testing::ElementsAre;

namespace {

class ServerStandIn : public VolumeServer {
 public:
  LONG Start(LONG playback) override {
    calls.push_back("start " + std::to_string(playback));
    return startResult;
  }
  void Stop() override { calls.push_back("stop"); }
  void ShowForDevice(LONG device, LONG flag) override {
    calls.push_back("show " + std::to_string(device) + " " + std::to_string(flag));
  }
  void Move(LONG x, LONG y) override {
    calls.push_back("move " + std::to_string(x) + " " + std::to_string(y));
  }
  void Hide() override { calls.push_back("hide"); }
  std::vector<std::string> calls;
  LONG startResult = 0;
};

class RecorderVolumeTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    AudioPlayer::SetVolumeServer(&server_);
    TheMixerServer = &server_;
  }
  void TearDown() override {
    RecorderTest::TearDown();
    AudioPlayer::SetVolumeServer(nullptr);
    TheMixerServer = nullptr;
  }
  std::string MoveToRightEdge(HWND d) {
    RECT r{};
    GetWindowRect(d, &r);
    return "move " + std::to_string(r.right) + " " + std::to_string(r.top);
  }
  ServerStandIn server_;
};

TEST_F(RecorderVolumeTest, EveryCaptureStartIsPairedWithAStop) {
  Open();  // monitoring
  Take(100);
  Press(IDOK);
  // Monitor, take, monitor again, then OK.
  EXPECT_THAT(server_.calls, ElementsAre("start 0", "stop", "start 0", "stop", "start 0", "stop"));
}

TEST_F(RecorderVolumeTest, AStartTheServerRefusesIsNotStopped) {
  server_.startResult = 1;
  Open();
  Press(IDCANCEL);
  EXPECT_THAT(server_.calls, ElementsAre("start 0"));
}

TEST_F(RecorderVolumeTest, TheVolumeWindowFollowsTheBoxTheDeviceAndTheRecorder) {
  ResetDevices({VirtualDeviceSpec{}, VirtualDeviceSpec{"Second"}});
  AudioPlayer::SetVolumeServer(nullptr);  // capture start and stop are not watched here
  HWND d = Open();
  EXPECT_TRUE(server_.calls.empty());
  dialogtest::Click(d, 1489);
  EXPECT_THAT(server_.calls, ElementsAre("show 0 1", MoveToRightEdge(d)));

  server_.calls.clear();
  SetWindowPos(d, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  EXPECT_THAT(server_.calls, ElementsAre(MoveToRightEdge(d)));

  server_.calls.clear();
  SendMessage(d, WM_USER + 99, 2, 1);
  Pump();
  ASSERT_FALSE(server_.calls.empty());
  EXPECT_EQ(server_.calls[0], "show 1 1");
  EXPECT_EQ(Dialog()->DeviceNumber(), 1);
  EXPECT_EQ(dialogtest::Text(d), "Record Audio: Second");

  server_.calls.clear();
  dialogtest::Click(d, 1489);
  EXPECT_THAT(server_.calls, ElementsAre("hide"));
}

TEST_F(RecorderVolumeTest, ADeviceWhoseCapabilitiesCannotBeReadChangesNothing) {
  HWND d = Open();
  const std::string caption = dialogtest::Text(d);
  SendMessage(d, WM_USER + 99, 2, 9);
  Pump();
  EXPECT_EQ(Dialog()->DeviceNumber(), 0);
  EXPECT_EQ(dialogtest::Text(d), caption);
}

TEST_F(RecorderVolumeTest, WithoutAServerAllWorks) {
  AudioPlayer::SetVolumeServer(nullptr);
  TheMixerServer = nullptr;
  HWND d = Open();
  dialogtest::Click(d, 1489);
  Take(100);
  Press(IDOK);
  EXPECT_THAT(owner_->calls, ElementsAre("done -1 " + file_));
  EXPECT_TRUE(server_.calls.empty());
}

}  // namespace

namespace {

TEST_F(RecorderTest, TheProgramsServerShowsItsWindowBesideTheRecorder) {
  std::unique_ptr<VolumeServer> server = CreateMixerServer();
  ASSERT_NE(server, nullptr);
  TheMixerServer = server.get();
  HWND d = Open();
  dialogtest::Click(d, 1489);
  HWND volume = FindWindow("KobrixVolumeControl", nullptr);
  ASSERT_NE(volume, nullptr);
  EXPECT_TRUE(IsWindowVisible(volume));
  RECT r{}, v{};
  GetWindowRect(d, &r);
  GetWindowRect(volume, &v);
  EXPECT_EQ(v.left, r.right);
  EXPECT_EQ(v.top, r.top);
  dialogtest::Click(d, 1489);
  EXPECT_FALSE(IsWindowVisible(volume));
  Press(IDCANCEL);
  TheMixerServer = nullptr;
}

}  // namespace

namespace {

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

class RecorderShots : public RecorderTest {};

TEST_F(RecorderShots, TheRecorderMonitoringATone) {
  // A 440 Hz tone at half scale on both channels of the 22050 Hz input.
  VirtualAudio::SetSignal(0, [](BYTE* d, std::size_t n, ULONGLONG offset) {
    for (std::size_t i = 0; i < n; ++i) {
      const ULONGLONG at = offset + i;
      const ULONGLONG frame = at / 4;
      const int16_t v = static_cast<int16_t>(16000 * std::sin(2 * 3.14159265 * 440 * frame / 22050.0));
      d[i] = static_cast<BYTE>((at % 2) == 0 ? (v & 0xFF) : ((v >> 8) & 0xFF));
    }
  });
  HWND d = Open();
  ASSERT_EQ(Dialog()->State(), kRecMonitoring);
  VirtualAudio::Advance(300);
  for (int i = 0; i < 2000 && Dialog()->Meter().left->GetLevel() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GT(Dialog()->Meter().left->GetLevel(), 10000);
  // The recorder's thread asks the meter to draw: on a busy machine that
  // request may come after the first turn of the queue.
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  int green = 0;
  for (int i = 0; i < 200 && green <= 20; ++i) {
    Pump();
    ASSERT_TRUE(GuiCaptureWindow(d, &pixels, &width, &height));
    green = 0;
    for (std::uint32_t p : pixels) green += p == 0x00FF00u;
    if (green <= 20) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(GuiSaveScreenshot(d, ShotPath("audio_recorder")));
  EXPECT_GT(green, 20);
  Press(IDCANCEL);
}

}  // namespace
