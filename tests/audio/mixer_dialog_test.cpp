// The mixer window over a project stand-in, on the virtual device.
#include "audio/mixer_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "mix_fixture.h"
#include "model/levels.h"
#include "platform/classlib/classlib.h"
#include "platform/core/message_queue.h"
#include "platform/gui/gui_driver.h"
#include "ui/dialog_script.h"
#include "ui/fake_shell.h"

using ::testing::ElementsAre;

namespace {

constexpr DWORD kRate = 8000;
constexpr int kVolumeSlider = 1413, kVolumeEdit = 1415, kPanSlider = 1417, kPanEdit = 1419;

// What the time-line keeps for the mixer.
class ProjectStandIn : public MixerHost {
 public:
  int32_t MasterVolume() override { return volume; }
  int32_t MasterPan() override { return pan; }
  void SetMasterVolume(int32_t gain) override {
    volume = gain;
    ++stores;
  }
  void SetMasterPan(int32_t p) override {
    pan = p;
    ++stores;
  }
  void UpdateEngineMix(int32_t line) override {
    ++mixUpdates;
    if (line == -1 && playing && TheAudioPlayer != nullptr)
      TheAudioPlayer->SetTrackVolumePan(-1, volume, pan);
  }
  void ResetChangedRanges() override { ++resets; }
  bool MetersOff() override { return metersOff; }
  void SetMetersOff(bool off) override { metersOff = off; }
  void RepaintAudioLines() override { ++repaints; }
  bool IsPlaying() override { return playing; }
  bool CommandsEnabled() override { return commandsEnabled; }
  int32_t AudioLineCount() override { return 4; }

  int32_t volume = kGainUnity, pan = 0;
  bool metersOff = false, playing = false, commandsEnabled = true;
  int stores = 0, mixUpdates = 0, resets = 0, repaints = 0;
};

// The time-line window as the mixer sees it: it notes the requests.
class OwnerStandIn : public TWindow {
 public:
  OwnerStandIn() : TWindow(nullptr, "Time-line") { Attr.Style = WS_OVERLAPPEDWINDOW; }
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_USER + 99) {
      requests.push_back(std::to_string(wp) + "," + std::to_string(lp));
      return 0;
    }
    if (msg == WM_COMMAND && wp >= 500) {
      commands.push_back(static_cast<int>(wp));
      return 0;
    }
    return TWindow::WindowProc(msg, wp, lp);
  }
  std::vector<std::string> requests;
  std::vector<int> commands;
};

MixerWindow* g_made = nullptr;
MixerNotices* Make(HWND parent, bool faders, bool onTop) {
  MixerNotices* made = MakeMixerDialog(parent, faders, onTop);
  g_made = static_cast<MixerWindow*>(made);
  return made;
}

class MixerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    EnsureMessageQueue();
    BuildLevelTables();
    engine_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    TheAudioPlayer = engine_.get();
    AudioPlayer::SetMixerFactory(&Make, &project_);
    owner_ = std::make_unique<OwnerStandIn>();
    ASSERT_TRUE(owner_->Create());
  }
  void TearDown() override {
    engine_->Stop();
    engine_->CloseMixer();
    engine_.reset();
    TheAudioPlayer = nullptr;
    AudioPlayer::SetMixerFactory(nullptr);
    g_made = nullptr;
    owner_.reset();
    GuiPumpMessages();
    films_.Clear();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    EngineTest::TearDown();
  }
  HWND OpenMixer() {
    g_made = nullptr;
    engine_->OpenMixer(owner_->GetHandle(), true, false);
    if (g_made == nullptr) return nullptr;
    Pump();
    return g_made->Dialog()->GetHandle();
  }
  HWND Dialog() { return g_made != nullptr ? g_made->Dialog()->GetHandle() : nullptr; }
  void Pump() { dialogtest::Pump(Dialog()); }
  void Keys(int id, const std::vector<int>& keys) {
    SetFocus(GetDlgItem(Dialog(), id));
    for (int k : keys) GuiPressKey(k);
    Pump();
  }
  void StartPlaying() {
    MemorySource* s = MakeSource(2, 1, kRate, 4 * kRate, 3);
    s->BeginRead();
    sources_.push_back(s);
    AddClip(films_, s, 0, 0, 4000, 0);
    ASSERT_TRUE(
        engine_->PrepareRange(films_.First(), UnitySetup(1), 0, 4000, owner_->GetHandle(), false, false));
    ASSERT_TRUE(engine_->Resume());
    project_.playing = true;
  }
  void PlayFor(DWORD ms) {
    for (DWORD t = 0; t < ms && VirtualAudio::IsOpen(0); t += 32) {
      VirtualAudio::Advance(32);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  }
  // Plays the clock on until the range has played and the device closed.
  void PlayToEnd() {
    for (int i = 0; i < 2000 && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(32);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  }
  // Waits (real time) until the engine's command thread fed the meters.
  bool WaitMetered() {
    for (int i = 0; i < 3000; ++i) {
      if (g_made->Dialog()->Meter().left->GetPeak() > 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  ProjectStandIn project_;
  std::unique_ptr<OwnerStandIn> owner_;
  std::unique_ptr<AudioPlayer> engine_;
  FilmListHead films_;
  std::vector<MemorySource*> sources_;
  FakeShell shell_;
};

int PeakOf(const std::vector<BYTE>& pcm16, std::size_t from, std::size_t to) {
  int peak = 0;
  for (std::size_t i = from; i + 1 < to && i + 1 < pcm16.size(); i += 2)
    peak = std::max(peak, std::abs(static_cast<int16_t>(pcm16[i] | (pcm16[i + 1] << 8))));
  return peak;
}

TEST_F(MixerTest, MovingTheFaderAsksForOneUndoStepAndIsHeardWhilePlaying) {
  HWND d = OpenMixer();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(dialogtest::Text(d), "A.Meter");
  StartPlaying();
  engine_->NotifyMixer(9, 0);
  EXPECT_EQ(dialogtest::ItemText(d, IDOK), "Stop");
  PlayFor(300);
  ASSERT_TRUE(WaitMetered());
  EXPECT_GT(g_made->Dialog()->Meter().left->GetPeak(), 1000);  // the meters are fed

  Keys(kVolumeSlider, {VK_DOWN, VK_END});
  EXPECT_THAT(owner_->requests, ElementsAre("5,0"));
  EXPECT_EQ(project_.volume, DbToGain(GainToDb(0)));
  EXPECT_EQ(project_.stores, 2);
  EXPECT_EQ(project_.resets, 2);
  EXPECT_EQ(project_.repaints, 2);
  EXPECT_EQ(dialogtest::ItemText(d, kVolumeEdit), std::to_string(GainToDb(0)));

  PlayToEnd();
  const std::vector<BYTE> played = VirtualAudio::Played(0);
  ASSERT_EQ(played.size(), 4u * kRate * 2);
  EXPECT_GT(PeakOf(played, 0, kRate * 2 / 4), 1000);           // before the move
  EXPECT_EQ(PeakOf(played, kRate * 2 * 2, played.size()), 0);  // silent once mixed after it
}

TEST_F(MixerTest, ActivationStartsANewUndoStepAndTypingTheShownValueIsNoChange) {
  HWND d = OpenMixer();
  Keys(kVolumeSlider, {VK_UP, VK_UP});
  Keys(kPanSlider, {VK_RIGHT});
  Keys(kPanSlider, {VK_RIGHT});
  EXPECT_THAT(owner_->requests, ElementsAre("5,0", "5,0"));  // volume, then pan
  SendMessage(d, WM_ACTIVATE, WA_ACTIVE, 0);
  Keys(kPanSlider, {VK_RIGHT});
  EXPECT_THAT(owner_->requests, ElementsAre("5,0", "5,0", "5,0"));
  EXPECT_EQ(project_.pan, PercentTo256(3));

  owner_->requests.clear();
  const int stores = project_.stores;
  dialogtest::TypeOver(d, kVolumeEdit, std::to_string(GainToDb(project_.volume)).c_str());
  dialogtest::TypeOver(d, kPanEdit, "3");
  dialogtest::Key(d, VK_TAB);
  EXPECT_TRUE(owner_->requests.empty());
  EXPECT_EQ(project_.stores, stores);
  dialogtest::TypeOver(d, kPanEdit, "-50");  // the pan's run goes on
  dialogtest::Key(d, VK_TAB);
  EXPECT_EQ(project_.pan, PercentTo256(-50));
  EXPECT_TRUE(owner_->requests.empty());
  dialogtest::TypeOver(d, kVolumeEdit, "-6");  // another control: another step
  dialogtest::Key(d, VK_TAB);
  EXPECT_EQ(project_.volume, DbToGain(-6));
  EXPECT_EQ(dialogtest::ItemText(d, kVolumeEdit), "-6");
  EXPECT_THAT(owner_->requests, ElementsAre("5,0"));
}

TEST_F(MixerTest, ReturnInAValueFieldAppliesItAndNeverPlays) {
  HWND d = OpenMixer();
  const struct {
    int edit;
    const char* typed;
  } cases[] = {{kVolumeEdit, "-6"}, {kPanEdit, "40"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    dialogtest::TypeOver(d, c.edit, c.typed);
    dialogtest::Key(d, VK_RETURN);
    Pump();
    GuiPumpMessages();
    EXPECT_EQ(dialogtest::ItemText(d, c.edit), c.typed);
    EXPECT_EQ(GetFocus(), GetDlgItem(d, c.edit));
  }
  EXPECT_EQ(project_.volume, DbToGain(-6));
  EXPECT_EQ(project_.pan, PercentTo256(40));
  EXPECT_TRUE(owner_->commands.empty());
}

TEST_F(MixerTest, TheNoticeCodesAnswerAsTheEngineExpects) {
  HWND d = OpenMixer();
  struct Case {
    WPARAM code;
    LPARAM arg;
    LRESULT result;
  };
  const Case cases[] = {{0, 0, 1}, {1, 0, 1}, {2, 0, 1},  {3, 0, 0},  {4, 0, 1},  {5, 0, 1},  {6, 0, 1},
                        {7, 0, 1}, {8, 3, 1}, {12, 0, 1}, {17, 0, 1}, {18, 0, 1}, {19, 0, 0}, {99, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(engine_->NotifyMixer(c.code, c.arg), c.result) << c.code;

  project_.commandsEnabled = false;
  engine_->NotifyMixer(9, 0);
  EXPECT_EQ(dialogtest::ItemText(d, IDOK), "Stop");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDOK)));
  engine_->NotifyMixer(10, 0);
  EXPECT_EQ(dialogtest::ItemText(d, IDOK), "Play");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)));
  engine_->NotifyMixer(11, 1);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDOK)));

  project_.volume = DbToGain(-12);
  project_.pan = PercentTo256(25);
  engine_->NotifyMixer(0, 0);
  EXPECT_EQ(dialogtest::ItemText(d, kVolumeEdit), "-12");
  EXPECT_EQ(dialogtest::ItemText(d, kPanEdit), "25");
  EXPECT_TRUE(owner_->requests.empty());  // showing is no change
}

TEST_F(MixerTest, ButtonsKeysAndTheMeterSwitchGoToTheOwnerAndTheProject) {
  HWND d = OpenMixer();
  dialogtest::Click(d, IDOK);
  dialogtest::Click(d, 1487);
  SendMessage(d, WM_SYSCOMMAND, 811, 0);
  dialogtest::Key(d, VK_ESCAPE);
  Pump();
  GuiPumpMessages();
  EXPECT_THAT(owner_->commands, ElementsAre(513, 522, 855));
  EXPECT_THAT(owner_->requests, ElementsAre("10,4"));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1225)));

  EXPECT_TRUE(dialogtest::Checked(d, 1461));
  dialogtest::Click(d, 1461);
  EXPECT_TRUE(project_.metersOff);
  EXPECT_TRUE(g_made->Dialog()->Meter().off);
}

// With no place stored it opens in the screen's bottom right corner, off
// the time line's lines.
TEST_F(MixerTest, TheFirstPlaceIsTheScreensBottomRightCorner) {
  HWND d = OpenMixer();
  RECT r{};
  GetWindowRect(d, &r);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(MixerTest, AWindowPlacedOffTheScreenComesBackToItsEdge) {
  IniSetSection("Mixer");
  IniWriteInt("XPos", 5000);
  IniWriteInt("YPos", 30);
  HWND d = OpenMixer();
  RECT group{};
  GetWindowRect(GetDlgItem(d, 1375), &group);
  EXPECT_EQ(group.left, GetSystemMetrics(SM_CXSCREEN) - 10);
  EXPECT_EQ(group.top, 30);
  engine_->CloseMixer();
  IniSetSection("Mixer");
  EXPECT_EQ(IniReadInt("XPos", 0), GetSystemMetrics(SM_CXSCREEN) - 10);
}

TEST_F(MixerTest, ClosingWhilePlayingLeavesNothingBehind) {
  StartPlaying();
  for (int round = 0; round < 5; ++round) {
    ASSERT_NE(OpenMixer(), nullptr);
    PlayFor(64);
    engine_->CloseMixer();
    PlayFor(64);
  }
  EXPECT_EQ(engine_->NotifyMixer(0, 0), 0);
}

}  // namespace

namespace {

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

int CountColor(const std::vector<std::uint32_t>& pixels, COLORREF color) {
  const std::uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int n = 0;
  for (std::uint32_t p : pixels) n += p == want;
  return n;
}

class MixerShots : public MixerTest {};

TEST_F(MixerShots, TheMixerDuringPlayback) {
  HWND d = OpenMixer();
  ASSERT_NE(d, nullptr);
  project_.volume = DbToGain(-6);
  project_.pan = PercentTo256(-20);
  engine_->NotifyMixer(0, 0);
  StartPlaying();
  engine_->NotifyMixer(9, 0);
  PlayFor(400);
  ASSERT_TRUE(WaitMetered());
  Pump();
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(d, &pixels, &width, &height));
  EXPECT_TRUE(GuiSaveScreenshot(d, ShotPath("audio_mixer")));
  EXPECT_GT(CountColor(pixels, RGB(0, 255, 0)), 20);  // the meters' lit middle band
}

}  // namespace
