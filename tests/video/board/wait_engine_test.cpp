// The time-line engine's play start through the real wait dialog: the
// dialog starts the players, and the engine does not start them again.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/play_fakes.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"
#include "resources/resources.h"
#include "video/wait_dialog.h"

namespace playtest {
namespace {

class RealWaitPlayers : public PlayPlayers {
 public:
  WaitBeforePlay* Wait() override { return &dialogs; }
  WaitDialogs dialogs{this};
};

class EngineWaitTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    RegisterProgramResources();
    engine.SetPlayers(&players_);
    VideoAt(0, 0, 2000);
    AudioFilm(0, 0, 2000);
    MidiFilm(0, 2000);
    engine.play.askBeforeStart = 1;
  }
  void TearDown() override {
    SetModalHook(nullptr);
    engine.StopPlayback();
    PlayTest::TearDown();
  }
  void Play(int vk) {
    SetModalHook([vk](HWND) { GuiPressKey(vk); });
    engine.play.loopsRemaining = engine.play.loopCount;
    engine.StartPlayRange(0, 2000, false, false);
    SetModalHook(nullptr);
  }
  int Count(const std::string& entry) {
    return static_cast<int>(std::count(players_.log.begin(), players_.log.end(), entry));
  }

  RealWaitPlayers players_;
};

TEST_F(EngineWaitTest, TheKeyStartsEachPlayerOnce) {
  Play(VK_RETURN);
  EXPECT_EQ(players_.log, (Log{"video.play", "audio.prepare", "midi.prepare", "video.run", "audio.resume",
                               "midi.start"}));
  EXPECT_TRUE(engine.playing);
}

TEST_F(EngineWaitTest, CancelLeavesTheTimeLineAtRest) {
  Play(VK_ESCAPE);
  EXPECT_EQ(Count("video.run") + Count("audio.resume") + Count("midi.start"), 0);
  EXPECT_FALSE(engine.playing);
}

}  // namespace
}  // namespace playtest
