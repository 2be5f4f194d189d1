#include "platform/components/volume_server.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/gui/controls/trackbar.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

namespace {

class VolumeServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto mixer = std::make_unique<VirtualVolumeMixer>();
    mixer_ = mixer.get();
    ASSERT_EQ(CreateVolumeServer(std::move(mixer), &server_), S_OK);
  }
  void TearDown() override {
    if (server_ != nullptr) server_->Release();
    GuiPumpMessages();
  }
  std::vector<HWND> Faders() {
    std::vector<HWND> out;
    for (HWND c = GetWindow(VolumeServerWindow(server_), GW_CHILD); c != nullptr;
         c = GetWindow(c, GW_HWNDNEXT)) {
      char name[64] = {};
      GetClassName(c, name, sizeof name);
      if (std::string(name) == TRACKBAR_CLASS) out.push_back(c);
    }
    return out;
  }
  VirtualVolumeMixer* mixer_ = nullptr;
  IVolumeServer* server_ = nullptr;
};

TEST_F(VolumeServerTest, StartsAndStopsAreCounted) {
  EXPECT_EQ(server_->Start(0), 0);
  EXPECT_EQ(server_->Start(1), 0);
  EXPECT_EQ(VolumeServerStarts(server_), 2);
  server_->Stop();
  server_->Stop();
  server_->Stop();  // one too many changes nothing
  EXPECT_EQ(VolumeServerStarts(server_), 0);
}

// A mixer with output volumes only.
class OutputsOnly : public VirtualVolumeMixer {
 public:
  std::vector<VolumeControlInfo> Controls(LONG device, bool input) override {
    if (input) return {};
    return VirtualVolumeMixer::Controls(device, input);
  }
};

TEST(VolumeServer, ACardWithoutInputVolumesRefusesARecordingStart) {
  IVolumeServer* server = nullptr;
  ASSERT_EQ(CreateVolumeServer(std::make_unique<OutputsOnly>(), &server), S_OK);
  EXPECT_EQ(server->Start(0), 1);
  EXPECT_EQ(server->Start(1), 0);
  EXPECT_EQ(VolumeServerStarts(server), 1);
  server->Release();
  EXPECT_EQ(CreateVolumeServer(nullptr, nullptr), E_POINTER);
}

TEST_F(VolumeServerTest, TheWindowShowsTheDevicesVolumesAndItsFadersSetThem) {
  EXPECT_EQ(VolumeServerWindow(server_), nullptr);
  ASSERT_EQ(server_->ShowForDevice(2, 1), S_OK);
  HWND w = VolumeServerWindow(server_);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  char title[64] = {};
  GetWindowText(w, title, sizeof title);
  EXPECT_STREQ(title, "Recording Control");
  std::vector<HWND> faders = Faders();
  ASSERT_EQ(faders.size(), 1u);
  EXPECT_EQ(SendMessage(faders[0], TBM_GETPOS, 0, 0), 40);  // 60 of 100, loudest at the top

  SendMessage(faders[0], TBM_SETPOS, TRUE, 70);
  SendMessage(w, WM_VSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(faders[0]));
  EXPECT_EQ(mixer_->Value(2, true, "Capture"), 30);
  EXPECT_EQ(mixer_->Value(1, true, "Capture"), 60);  // another card keeps its own

  ASSERT_EQ(server_->ShowForDevice(2, 0), S_OK);
  GetWindowText(w, title, sizeof title);
  EXPECT_STREQ(title, "Volume Control");
  EXPECT_EQ(Faders().size(), 2u);

  server_->Move(120, 80);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 80);
  server_->Hide();
  EXPECT_FALSE(IsWindowVisible(w));
  SendMessage(w, WM_CLOSE, 0, 0);  // closing hides; the server keeps its window
  EXPECT_TRUE(IsWindow(w));
}

// The window is a tool window of the program's window that asked for it:
// the window system opens it beside that window, below its caption and menu
// bar; when that window goes it takes the volume window along, and the
// server makes a new one the next time.
TEST_F(VolumeServerTest, TheWindowOpensBesideTheProgramsWindowAndOutlivesIt) {
  HMENU bar = CreateMenu();
  AppendMenu(bar, MF_STRING, 1, "&File");
  HWND frame = CreateWindowEx(0, WC_STATIC, "Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr, bar,
                              nullptr, nullptr);
  SetActiveWindow(frame);
  ASSERT_EQ(server_->ShowForDevice(2, 0), S_OK);
  HWND w = VolumeServerWindow(server_);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetWindow(w, GW_OWNER), frame);
  POINT below_bar{0, 0};
  ClientToScreen(frame, &below_bar);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_GE(r.top, below_bar.y);
  EXPECT_LT(r.left, 400);  // centred on the frame
  EXPECT_GT(r.right, 400);

  DestroyWindow(frame);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(VolumeServerWindow(server_), nullptr);
  ASSERT_EQ(server_->ShowForDevice(2, 0), S_OK);
  EXPECT_TRUE(IsWindowVisible(VolumeServerWindow(server_)));
  EXPECT_EQ(Faders().size(), 2u);
}

TEST(AlsaVolumeMixer, AMissingCardHasNoVolumes) {
  std::unique_ptr<VolumeMixer> alsa = MakeAlsaVolumeMixer();
  EXPECT_TRUE(alsa->Controls(63, false).empty());
  EXPECT_FALSE(alsa->SetValue(63, true, "Capture", 10));
}

}  // namespace
