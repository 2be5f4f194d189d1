// Play and Stop through the audio engine on the virtual sound device: the
// play cursor follows what the device has played, and the device's close
// ends the play.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "audio/audio_player.h"
#include "audio/effect_dialog_host.h"
#include "audio/mix_fixture.h"
#include "audio/timeline_audio.h"
#include "model/film_list.h"
#include "platform/audio/virtual_audio.h"
#include "transport_fixture.h"

namespace transporttest {
namespace {

constexpr DWORD kRate = 8000;
constexpr std::size_t kBytesPerMs = kRate * 2 / 1000;

// The program's players as far as sound goes.
class SoundPlayers : public TimeLinePlayers {
 public:
  explicit SoundPlayers(AudioPlayer& engine) : audio_(engine) {}
  bool VideoUsable() override { return false; }
  bool AudioUsable() override { return true; }
  AudioEngine* Audio() override { return &audio_; }

 private:
  TimeLineAudio audio_;
};

class EnginePlayTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    VirtualAudio::Reset();
    engine_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    TheAudioPlayer = engine_.get();
    output_.format = OutputFormat;
    sound_ = std::make_unique<SoundPlayers>(*engine_);
    OpenTransport(1000, 700, sound_.get());
    // Two lines: [0, 3000) and [1000, 4000).
    AddClip(FilmList, Keep(MakeSource(2, 1, kRate, 3 * kRate, 1)), 0, 0, 3000, 0);
    AddClip(FilmList, Keep(MakeSource(2, 1, kRate, 3 * kRate, 2)), 1, 1000, 4000, 0);
  }
  void TearDown() override {
    if (window_ != nullptr && Engine().playing) Engine().CmStop();
    WaitFor([] { return !VirtualAudio::IsOpen(0); });
    Close();
    TheAudioPlayer = nullptr;
    engine_.reset();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    TransportTest::TearDown();
  }
  MemorySource* Keep(MemorySource* s) {
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  // Waits (real time, briefly) for the engine's threads, pumping the window.
  template <typename Done>
  bool WaitFor(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      GuiPumpMessages();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }
  std::size_t PlayedBytes() { return VirtualAudio::Played(0).size(); }
  // The device plays ms more, once the engine has queued them (or all that is
  // left of the range), and the play timer ticks.
  void PlayFor(DWORD ms, std::size_t total) {
    const std::size_t wanted = std::min<std::size_t>(ms * kBytesPerMs, total - PlayedBytes());
    ASSERT_TRUE(WaitFor([&] { return VirtualAudio::Queued(0) >= wanted; }));
    VirtualAudio::Advance(ms);
    Tick();
  }

  std::unique_ptr<AudioPlayer> engine_;
  std::unique_ptr<SoundPlayers> sound_;
  std::vector<MemorySource*> sources_;
};

TEST_F(EnginePlayTest, TheCursorFollowsTheDeviceToTheEnd) {
  const std::size_t total = 4000 * kBytesPerMs;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  ASSERT_EQ(Engine().play.rangeEnd, 4000);
  int32_t last = -1;
  for (int step = 0; step < 100 && Engine().playing && PlayedBytes() < total; ++step) {
    PlayFor(100, total);
    // Once all is played the engine may already be closing the device.
    if (!Engine().playing || PlayedBytes() >= total) break;
    const auto played = static_cast<int32_t>(PlayedBytes() / kBytesPerMs);
    EXPECT_EQ(Engine().cursor, played) << step;
    EXPECT_GT(Engine().cursor, last);
    last = Engine().cursor;
  }
  EXPECT_EQ(PlayedBytes(), total);
  EXPECT_TRUE(WaitFor([&] { return !Engine().playing; }));
  EXPECT_GE(last, 3900);
  EXPECT_EQ(Frame().requests, std::vector<int>{11});
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(EnginePlayTest, StopEndsThePlayWhereTheDeviceWas) {
  Engine().play.startFromCursor = false;
  Engine().SetPlayCursor(2500, false);
  const std::size_t total = 4000 * kBytesPerMs;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  for (int step = 0; step < 10; ++step) PlayFor(100, total);
  EXPECT_EQ(Engine().cursor, 1000);
  Command(kCmStop);
  EXPECT_TRUE(WaitFor([&] { return !Engine().playing; }));
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  Pump();
  // Back where it was before the play.
  EXPECT_EQ(Engine().cursor, 2500);
  EXPECT_EQ(Frame().requests, std::vector<int>{11});
}

// The played samples against line l's source (seed l + 1): the normalised
// correlation of the device's 16-bit samples [from, to) with the source
// placed at 1000 ms on the time-line.
double Likeness(const std::vector<BYTE>& played, std::size_t from, std::size_t to, int seed,
                int32_t rangeStart) {
  double xy = 0, xx = 0, yy = 0;
  for (std::size_t i = from; i < to; ++i) {
    const double x = static_cast<std::int16_t>(played[2 * i] | (played[2 * i + 1] << 8));
    const std::int64_t frame =
        static_cast<std::int64_t>(i) + (rangeStart - 1000) * static_cast<std::int64_t>(kRate) / 1000;
    const double y = TestSignal(frame, 0, seed, 6000.0f);
    xy += x * y;
    xx += x * x;
    yy += y * y;
  }
  return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

TEST_F(EnginePlayTest, TheEffectDialogsHostPreviewsALineOnTheDeviceAndStops) {
  TimeLineEffectDialogHost host(Engine());
  EXPECT_TRUE(host.AudioToPreview(1));
  EXPECT_TRUE(host.AudioToPreview(-1));
  EXPECT_FALSE(host.AudioToPreview(2));
  EXPECT_FALSE(host.PreviewLineAudio(2));  // nothing there to hear
  EXPECT_FALSE(VirtualAudio::IsOpen(0));

  ASSERT_TRUE(host.PreviewLineAudio(1));
  EXPECT_TRUE(host.Playing());
  EXPECT_EQ(Engine().play.rangeStart, 1000);
  ASSERT_TRUE(WaitFor([] { return VirtualAudio::Queued(0) >= 400 * kBytesPerMs; }));
  VirtualAudio::Advance(400);
  Tick();
  const std::vector<BYTE> played = VirtualAudio::Played(0);
  ASSERT_GE(played.size(), 400 * kBytesPerMs);
  // Line 1 alone: its source, not line 0's that also sounds there.
  const std::size_t from = 100 * kBytesPerMs / 2, to = 400 * kBytesPerMs / 2;
  EXPECT_GT(Likeness(played, from, to, 2, 1000), 0.99);
  EXPECT_LT(Likeness(played, from, to, 1, 1000), 0.5);

  host.Stop();
  EXPECT_TRUE(WaitFor([&] { return !Engine().playing; }));
  EXPECT_FALSE(host.Playing());
  EXPECT_TRUE(WaitFor([] { return !VirtualAudio::IsOpen(0); }));

  host.EnableCommands(false);
  EXPECT_FALSE(host.CommandsEnabled());
  host.EnableCommands(true);
  EXPECT_TRUE(host.CommandsEnabled());
}

}  // namespace
}  // namespace transporttest
