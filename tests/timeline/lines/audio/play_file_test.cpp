// A profile edited on the audio lines and the play file: the audio engine
// on the virtual device mixes again only the stretch of the edited line and
// plays what the direct mix plays.
#include <chrono>
#include <thread>

#include "audio/audio_player.h"
#include "audio/timeline_audio.h"
#include "audio_lines_fixture.h"
#include "media/audio_source_hooks.h"
#include "model/ini.h"
#include "platform/audio/virtual_audio.h"
#include "platform/core/message_queue.h"

namespace audiolinetest {
namespace {

constexpr DWORD kRate = 8000;

// What the audio sources ask of the program: the engine's output and its
// sound file, as the application answers once the engine exists.
class EngineHooks : public AudioSourceHooks {
 public:
  EngineHooks() { previous_ = SetAudioSourceHooks(this); }
  ~EngineHooks() override { SetAudioSourceHooks(previous_); }
  WAVEFORMATEX OutputFormat() override { return ::OutputFormat; }
  std::string SoundFileName() override { return Sound_File; }

 private:
  AudioSourceHooks* previous_ = nullptr;
};

// The engine behind the time-line, with the stretches it renders into the
// play file kept.
class RenderSpy : public TimeLineAudio {
 public:
  using TimeLineAudio::TimeLineAudio;
  bool PrepareWaveForPlay(Film* films, const MixSetup& mix, int32_t start, int32_t end) override {
    renders.push_back({start, end});
    return TimeLineAudio::PrepareWaveForPlay(films, mix, start, end);
  }
  std::vector<Point> renders;
};

class EnginePlayers : public TimeLinePlayers {
 public:
  explicit EnginePlayers(AudioPlayer& engine) : audio(engine) {}
  bool VideoUsable() override { return false; }
  bool AudioUsable() override { return true; }
  AudioEngine* Audio() override { return &audio; }
  RenderSpy audio;
};

class PlayFile : public AudioLineTest {
 protected:
  void SetUp() override {
    AudioLineTest::SetUp();
    // The engine's threads wait on the wall clock.
    SetClockDriven(false);
    VirtualAudio::Reset();
    IniSetSection("SOUND");
    IniWriteInt("Limit16", 1);
    IniWriteInt("Bits", 2);
    IniWriteInt("Channel_Count", 1);
    IniWriteInt("Ratio", kRate);
    IniWriteString("Sound_File", home_.File("KOBRIX.TMP").c_str());
    IniWriteInt("WaveOutId", 0);
    IniFlush();
    EnsureMessageQueue();
    audio_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(audio_->Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    players_ = std::make_unique<EnginePlayers>(*audio_);
  }
  void TearDown() override {
    if (tl_ != nullptr) {
      Engine().CmStop();
      Engine().SetPlayers(nullptr);
    }
    Close();
    FilmList.Clear();
    players_.reset();
    audio_.reset();
    AudioLineTest::TearDown();
  }

  // Plays [start, end) to its end; what the device played.
  std::vector<BYTE> PlayToEnd(int32_t start, int32_t end) {
    TimeLineEngine& e = Engine();
    VirtualAudio::Reset();
    e.play.loopsRemaining = 1;
    e.StartPlayRange(start, end, true, false);
    if (!e.playing) return {};
    for (int i = 0; i < 1000 && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(32);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    for (int i = 0; i < 3000 && audio_->HasCommandThread(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(VirtualAudio::IsOpen(0));
    e.StopPlayback();
    GuiPumpMessages();
    return VirtualAudio::Played(0);
  }

  EngineHooks hooks_;
  std::unique_ptr<AudioPlayer> audio_;
  std::unique_ptr<EnginePlayers> players_;
};

TEST_F(PlayFile, AProfileDraggedOnALineIsMixedAgainAloneAndSoundsAsTheDirectMix) {
  OpenLines({1, 1}, players_.get());
  Zoom(4);
  AudioData* low = Sine(kRate, 1, "2");
  AudioData* high = Sine(kRate, 1, "1", 300);
  ASSERT_NE(low, nullptr);
  ASSERT_NE(high, nullptr);
  Clip(low, 0, 0, 0, 2000, "low");      // x 0 .. 500
  Clip(high, 1, 1000, 0, 1000, "high");  // x 250 .. 500
  GuiPumpMessages();
  TimeLineEngine& e = Engine();
  e.play.audioThroughFile = true;
  const std::vector<BYTE> before = PlayToEnd(0, 2000);
  ASSERT_EQ(before.size(), 2 * kRate * 2);
  EXPECT_EQ(players_->audio.renders, (std::vector<Point>{{0, 2001}}));
  for (const TimeRange& r : LineChangedRange) EXPECT_TRUE(r.Empty());

  // The high clip's volume dragged down.
  Press(375, VolumeY(1, 512));
  ASSERT_EQ(Lines().hitZone, kZoneFlatSegment);
  Move(375, VolumeY(1, 128));
  Release(375, VolumeY(1, 128));
  Film* high1 = Film::FindByLine(1500, kKindAudio, 1);
  ASSERT_LT(high1->volumePoints[0].value, 200);
  EXPECT_EQ(LineChangedRange[1].start, 1000);
  EXPECT_EQ(LineChangedRange[1].end, 2000);
  EXPECT_TRUE(LineChangedRange[0].Empty());

  const std::vector<BYTE> after = PlayToEnd(0, 2000);
  EXPECT_EQ(players_->audio.renders, (std::vector<Point>{{0, 2001}, {999, 2001}}));
  ASSERT_EQ(after.size(), before.size());
  // The first half, where only the low clip plays, is as before.
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + kRate * 2, before.begin()));
  EXPECT_FALSE(after == before);
  e.play.audioThroughFile = false;
  const std::vector<BYTE> direct = PlayToEnd(0, 2000);
  EXPECT_TRUE(after == direct);
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace audiolinetest
