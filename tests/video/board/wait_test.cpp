// The wait before play with the real dialogs and the simulated board's GPI
// lines; the players are the engine tests' fakes, which log what starts.
#include "video/wait_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "board_fixture.h"
#include "messager_host.h"
#include "model/play_fakes.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"
#include "resources/resources.h"
#include "resources/wait_dialog_ids.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"
#include "video/velmora_messager.h"

namespace {

using Log = std::vector<std::string>;

// Runs the messages of this thread until done() or about two seconds of
// real time have passed.
bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    GuiPumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

class WaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterProgramResources();
    GpiTimeout = kDefaultGpiTimeout;
    TakeBeeps();
  }
  void TearDown() override {
    SetModalHook(nullptr);
    GpiTimeout = kDefaultGpiTimeout;
  }

  // Runs the wait with hook as the operator; the dialog it was shown (null
  // when none came up).
  bool Wait(int32_t parts, int32_t mode, std::function<void(HWND)> hook = [](HWND) {}) {
    shown = nullptr;
    SetModalHook([&, hook](HWND dialog) {
      shown = dialog;
      hook(dialog);
    });
    const bool started = WaitDialog::Execute(nullptr, parts, mode, &players);
    SetModalHook(nullptr);
    return started;
  }
  const Log& log() { return players.log; }
  bool Closed(HWND dialog) { return !IsWindowVisible(dialog); }

  playtest::PlayPlayers players;
  HWND shown = nullptr;
};

TEST_F(WaitTest, ModesThatNeedNoDialog) {
  EXPECT_TRUE(Wait(7, 0));
  EXPECT_EQ(shown, nullptr);
  for (int32_t mode : {-1, 6, 100}) {
    EXPECT_FALSE(Wait(7, mode)) << mode;
    EXPECT_EQ(shown, nullptr);
  }
  // No board: a GPI wait is refused before any dialog.
  ASSERT_FALSE(VelmoraBoardAvailable);
  EXPECT_FALSE(Wait(7, 3));
  EXPECT_EQ(shown, nullptr);
  EXPECT_TRUE(log().empty());
}

TEST_F(WaitTest, CancelStartsNothing) {
  struct Case {
    const char* how;
    std::function<void(HWND)> act;
  };
  const Case cases[] = {
      {"nobody answers", [](HWND) {}},
      {"Esc", [](HWND) { GuiPressKey(VK_ESCAPE); }},
      {"a click on Cancel",
       [](HWND d) {
         RECT r{};
         GetWindowRect(GetDlgItem(d, IDCANCEL), &r);
         POINT p{r.left + 5, r.top + 5};
         ScreenToClient(d, &p);
         GuiClick(d, p.x, p.y);
       }},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Wait(7, 1, c.act)) << c.how;
    EXPECT_NE(shown, nullptr) << c.how;
    EXPECT_TRUE(log().empty()) << c.how;
  }
}

TEST_F(WaitTest, AKeyStartsThePartsAskedOnce) {
  struct Case {
    int32_t parts;
    int vk;
    Log started;
  };
  const Case cases[] = {
      {7, VK_RETURN, {"video.run", "audio.resume", "midi.start"}},
      {1, VK_SPACE, {"video.run"}},
      {6, VK_RETURN, {"audio.resume", "midi.start"}},
  };
  for (const Case& c : cases) {
    players.log.clear();
    std::string caption;
    EXPECT_TRUE(Wait(c.parts, 1, [&](HWND d) {
      char text[64] = {};
      GetWindowText(d, text, sizeof text);
      caption = text;
      GuiPressKey(c.vk);
    })) << c.parts;
    EXPECT_EQ(caption, "Wait Playback Start");
    EXPECT_EQ(log(), c.started) << c.parts;
  }
}

TEST_F(WaitTest, AClickBesideTheButtonsBeeps) {
  EXPECT_FALSE(Wait(7, 1, [](HWND d) {
    GuiClick(d, 2, 2);
    GuiPumpMessages();
  }));
  const std::vector<UINT> beeps = TakeBeeps();
  EXPECT_EQ(beeps, (std::vector<UINT>{MB_ICONEXCLAMATION}));
}

class GpiWaitTest : public WaitTest {
 protected:
  void SetUp() override {
    WaitTest::SetUp();
    ASSERT_TRUE(board_.loaded());
    board_.DriveClock(true);
  }
  boardtest::BoardLibrary board_;
};

TEST_F(GpiWaitTest, ARaisedLineStartsThePlayers) {
  std::string lineName;
  EXPECT_TRUE(Wait(7, 4, [&](HWND d) {
    char text[64] = {};
    GetDlgItemText(d, kWaitGpiLineName, text, sizeof text);
    lineName = text;
    board_.RaiseGPI(2);
    EXPECT_TRUE(PumpUntil([&] { return Closed(d); }));
  }));
  EXPECT_EQ(lineName, "GPI 3");
  EXPECT_EQ(log(), (Log{"video.run", "audio.resume", "midi.start"}));
  // The line was given back.
  EXPECT_NE(VelmoraApi.vdc_SeizeGPI(2), 0);
  VelmoraApi.vdc_FreeGPI(2);
}

TEST_F(GpiWaitTest, TheTimeOutEndsTheWaitAfterItsFields) {
  GpiTimeout = 1000;  // 25 frames, 50 fields of 20 ms
  EXPECT_FALSE(Wait(7, 2, [&](HWND d) {
    ASSERT_TRUE(PumpUntil([&] { return board_.GPIWaiting(0); }));
    board_.Advance(990);
    for (int i = 0; i < 20; ++i) {
      GuiPumpMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(Closed(d)) << "ended before its 50 fields";
    board_.Advance(10);
    EXPECT_TRUE(PumpUntil([&] { return Closed(d); }));
  }));
  EXPECT_TRUE(log().empty());
}

TEST_F(GpiWaitTest, ATakenLineEndsTheWaitAtOnce) {
  ASSERT_NE(VelmoraApi.vdc_SeizeGPI(0), 0);
  EXPECT_FALSE(Wait(7, 2, [&](HWND d) { EXPECT_TRUE(PumpUntil([&] { return Closed(d); })); }));
  VelmoraApi.vdc_FreeGPI(0);
  EXPECT_TRUE(log().empty());
}

// The messenger meanwhile: status requests answer, a remote start presses
// OK (which ends the board's wait as started), and the user data reads 5
// once the dialog has closed.
TEST_F(GpiWaitTest, RemoteRequestsReachTheWait) {
  messagertest::FakeHost host;
  host.clips = true;
  host.prepared = true;
  VelmoraMessager messager(&host);
  ASSERT_TRUE(messager.Create());
  LRESULT status = -1, start = -1;
  EXPECT_TRUE(Wait(5, 5, [&](HWND d) {
    ASSERT_TRUE(PumpUntil([&] { return messager.waitDialog != nullptr; }));
    status = SendMessage(messager.GetHandle(), kRemoteRequest, 0, 0);
    start = SendMessage(messager.GetHandle(), kRemoteRequest, 6, 0);
    EXPECT_TRUE(PumpUntil([&] { return Closed(d); }));
  }));
  EXPECT_EQ(status, kStatusPrepared);
  EXPECT_EQ(start, kStatusPrepared);
  EXPECT_EQ(log(), (Log{"video.run", "midi.start"}));
  EXPECT_EQ(messager.waitDialog, nullptr);
  EXPECT_EQ(GetWindowLong(messager.GetHandle(), GWL_USERDATA), kStatusPrepared);
  // A remote stop while a keyboard wait is up presses Cancel.
  players.log.clear();
  EXPECT_FALSE(Wait(7, 1, [&](HWND) {
    ASSERT_TRUE(PumpUntil([&] { return messager.waitDialog != nullptr; }));
    SendMessage(messager.GetHandle(), kRemoteRequest, 8, 0);
  }));
  EXPECT_TRUE(log().empty());
  EXPECT_EQ(host.stops, 0);  // the wait was stopped, not the time-line
}

TEST_F(GpiWaitTest, TheLinesAsTheSettingsSeeThem) {
  char name[256];
  bool open = false, input = false;
  ASSERT_EQ(VelmoraApi.vdc_SetGPIInfo(1, 1, 0), 1);  // closed by default, an output
  EXPECT_TRUE(TheVelmoraDevice.GetGPISettings(1, name, sizeof name, open, input));
  EXPECT_STREQ(name, "GPI 2");
  EXPECT_FALSE(open);
  EXPECT_FALSE(input);
  EXPECT_FALSE(TheVelmoraDevice.GetGPIState(1));
  EXPECT_TRUE(TheVelmoraDevice.SetGPISettings(1, true, true));
  EXPECT_TRUE(TheVelmoraDevice.GetGPISettings(1, name, 4, open, input));
  EXPECT_STREQ(name, "GPI");  // cut to the buffer
  EXPECT_TRUE(open);
  EXPECT_TRUE(input);
  EXPECT_TRUE(TheVelmoraDevice.GetGPIState(1));
  EXPECT_STREQ(TheVelmoraDevice.GetGPIName(3), "GPI 4");
  // A line somebody holds, or none at all, cannot be asked.
  ASSERT_NE(VelmoraApi.vdc_SeizeGPI(0), 0);
  EXPECT_FALSE(TheVelmoraDevice.GetGPISettings(0, name, sizeof name, open, input));
  EXPECT_STREQ(name, "None");
  EXPECT_FALSE(TheVelmoraDevice.SetGPISettings(0, true, true));
  EXPECT_EQ(TheVelmoraDevice.GetGPIName(0), nullptr);
  VelmoraApi.vdc_FreeGPI(0);
  EXPECT_FALSE(TheVelmoraDevice.GetGPISettings(9, name, sizeof name, open, input));
}

TEST_F(WaitTest, WithoutABoardTheLinesReadNone) {
  ASSERT_FALSE(VelmoraBoardAvailable);
  char name[256] = "x";
  bool open = false, input = false;
  EXPECT_FALSE(TheVelmoraDevice.GetGPISettings(0, name, sizeof name, open, input));
  EXPECT_STREQ(name, "None");
  EXPECT_TRUE(open);
  EXPECT_TRUE(input);
  EXPECT_FALSE(TheVelmoraDevice.SetGPISettings(0, true, true));
  EXPECT_FALSE(TheVelmoraDevice.GetGPIState(0));
  EXPECT_EQ(TheVelmoraDevice.GetGPIName(0), nullptr);
}

}  // namespace

namespace {

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() + ".png";
}

class WaitScreenshot : public WaitTest {};

// Over an ordinary window that has the focus, the keyboard wait comes up in
// the middle of the screen and above it (under Xvfb: wait_keyboard_sdl.png).
TEST_F(WaitScreenshot, TheKeyboardWaitIsCentredAndOnTop) {
  messagertest::RecordingWindow below("WaitScreenshotBelow");
  ShowWindow(below.hwnd(), SW_SHOWNORMAL);
  SetWindowPos(below.hwnd(), HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 0);
  SetActiveWindow(below.hwnd());
  GuiPumpMessages();
  RECT r{};
  LONG exStyle = 0;
  bool saved = false;
  EXPECT_TRUE(Wait(7, 1, [&](HWND d) {
    PumpUntil([&] { return GetCapture() == d; });
    GetWindowRect(d, &r);
    exStyle = GetWindowLong(d, GWL_EXSTYLE);
    saved = GuiSaveScreenshot(d, ShotPath("wait_keyboard"));
    GuiPressKey(VK_RETURN);
  }));
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.left, (sw - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (sh - (r.bottom - r.top)) / 2);
  EXPECT_NE(exStyle & WS_EX_TOPMOST, 0);
  EXPECT_TRUE(saved);
  EXPECT_EQ(log(), (Log{"video.run", "audio.resume", "midi.start"}));
}

}  // namespace
