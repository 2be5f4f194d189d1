// Playing one source alone, at its own rate, on the virtual device.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "engine_fixture.h"
#include "mix_fixture.h"

namespace {

class SingleSourceTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    IniSetSection("SOUND");
    IniWriteInt("Limit16", 0);  // every output code reaches the device
    engine_ = std::make_unique<AudioPlayer>();
    Configure(2);
  }
  void TearDown() override {
    engine_.reset();
    for (MemorySource* s : sources_) s->Release();
    EngineTest::TearDown();
  }
  void Configure(int code) {
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(22050, 1, code, 4, 16, 4, delay, preview, maxPreview), 0);
  }
  MemorySource* Source(int code, WORD channels, DWORD rate, LONG ms) {
    MemorySource* s = MakeSource(code, channels, rate, std::int64_t{ms} * rate / 1000, 3);
    sources_.push_back(s);
    return s;
  }
  // The clock on until the device closes.
  void Drain() {
    for (int i = 0; i < 2000 && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(20);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // The command thread ends once it has given the source back (20 s: a
    // guard against a hang).
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (engine_->HasCommandThread() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  static std::vector<BYTE> Slice(const MemorySource* s, std::int64_t firstFrame, std::int64_t frames) {
    const std::size_t align = s->format->nBlockAlign;
    return std::vector<BYTE>(s->bytes().begin() + firstFrame * align,
                             s->bytes().begin() + (firstFrame + frames) * align);
  }

  std::unique_ptr<AudioPlayer> engine_;
  std::vector<MemorySource*> sources_;
};

TEST_F(SingleSourceTest, PlaysAtTheSourcesRateAndGivesEverythingBack) {
  MemorySource* s = Source(2, 2, 8000, 3000);
  // 500..2500 ms at the source's 8000 Hz: 16000 frames, two headers.
  ASSERT_TRUE(engine_->PlayOut(s, 500, 2500));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPlayingSource);
  EXPECT_EQ(s->referenceCount, 2);
  EXPECT_EQ(s->openCount, 1);
  const WAVEFORMATEX device = VirtualAudio::LastFormat(0);
  EXPECT_EQ(device.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(device.nChannels, 2);
  EXPECT_EQ(device.nSamplesPerSec, 8000u);
  EXPECT_EQ(device.nBlockAlign, 4);
  EXPECT_EQ(device.wBitsPerSample, 16);
  EXPECT_EQ(VirtualAudio::Queued(0), 16000u * 4);
  Drain();
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  EXPECT_EQ(VirtualAudio::Played(0), Slice(s, 4000, 16000));
  EXPECT_EQ(s->referenceCount, 1);
  EXPECT_EQ(s->openCount, 0);
}

TEST_F(SingleSourceTest, ALongRangePrimesFourHeadersAndRefillsThem) {
  MemorySource* s = Source(2, 1, 11025, 10000);
  ASSERT_TRUE(engine_->PlayOut(s, 0, 9000));
  EXPECT_EQ(VirtualAudio::Queued(0), 4u * 8192 * 2);
  EXPECT_EQ(engine_->GetBlocksInFlight(), 4);
  Drain();
  EXPECT_EQ(VirtualAudio::Played(0), Slice(s, 0, 99225));
  EXPECT_EQ(s->referenceCount, 1);
  EXPECT_EQ(s->openCount, 0);
}

// The device gets the source's rate and channels in the output's sample
// layout, and the samples in it.
TEST_F(SingleSourceTest, TheDeviceFormatFitsEveryOutputCode) {
  MemorySource* s = Source(2, 2, 11025, 500);
  struct Case {
    int code;
    WORD tag, bits, align;
  };
  for (const Case& c :
       {Case{1, WAVE_FORMAT_PCM, 8, 2}, Case{2, WAVE_FORMAT_PCM, 16, 4}, Case{3, WAVE_FORMAT_PCM, 20, 6},
        Case{4, WAVE_FORMAT_PCM, 24, 6}, Case{5, WAVE_FORMAT_PCM, 24, 8}, Case{6, WAVE_FORMAT_PCM, 32, 8},
        Case{7, WAVE_FORMAT_IEEE_FLOAT, 32, 8}}) {
    Configure(c.code);
    VirtualAudio::Reset();
    ASSERT_TRUE(engine_->PlayOut(s, 0, 200)) << c.code;
    const WAVEFORMATEX device = VirtualAudio::LastFormat(0);
    EXPECT_EQ(device.wFormatTag, c.tag) << c.code;
    EXPECT_EQ(device.wBitsPerSample, c.bits) << c.code;
    EXPECT_EQ(device.nBlockAlign, c.align) << c.code;
    EXPECT_EQ(device.nSamplesPerSec, 11025u);
    EXPECT_EQ(device.nAvgBytesPerSec, c.align * 11025u);
    Drain();
    const std::vector<BYTE> played = VirtualAudio::Played(0);
    ASSERT_EQ(played.size(), std::size_t{2205} * c.align) << c.code;
    // The first left sample, read back from the device's layout.
    const auto source = static_cast<std::int16_t>(s->bytes()[0] | (s->bytes()[1] << 8));
    const BYTE* p = played.data();
    double heard = 0;
    switch (c.code) {
      case 1:
        heard = (p[0] - 128) * 256.0;
        break;
      case 2:
        heard = static_cast<std::int16_t>(p[0] | (p[1] << 8));
        break;
      case 3:
      case 4:
        heard = static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) | (p[2] << 24)) / 65536.0;
        break;
      case 5:
      case 6:
        heard = static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24)) / 65536.0;
        break;
      default: {
        float f;
        std::memcpy(&f, p, 4);
        heard = f * 32768.0;
      }
    }
    EXPECT_NEAR(heard, source, c.code == 1 ? 256 : 1) << c.code;
  }
}

TEST_F(SingleSourceTest, StoppingOrStartingSomethingElseEndsIt) {
  MemorySource* s = Source(2, 1, 22050, 5000);
  ASSERT_TRUE(engine_->PlayOut(s, 0, 5000));
  engine_->StopOut();
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_EQ(s->referenceCount, 1);
  EXPECT_EQ(s->openCount, 0);
  engine_->StopOut();  // nothing plays: nothing happens

  // A stream or a prepared range ends the source's playback first.
  FilmListHead films;
  ASSERT_TRUE(engine_->PlayOut(s, 0, 5000));
  ASSERT_TRUE(engine_->BeginMixStream(films.First(), UnitySetup(1), 0, 100, 2));
  EXPECT_EQ(s->referenceCount, 1);
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  ASSERT_TRUE(engine_->PlayOut(s, 0, 5000));  // ends the stream in turn
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPlayingSource);
  s->BeginRead();
  AddClip(films, s, 0, 0, 1000, 0);
  ASSERT_TRUE(engine_->PrepareRange(films.First(), UnitySetup(1), 0, 1000, nullptr, false, false));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPaused);
  engine_->Stop();
  films.Clear();
  s->EndRead();
  EXPECT_EQ(s->referenceCount, 1);
  EXPECT_EQ(s->openCount, 0);
}

// The command thread gives the source back while the main thread takes
// and gives references and reads of its own.
TEST_F(SingleSourceTest, TheSourceIsSharedWithTheThreadThatGivesItBack) {
  MemorySource* s = Source(2, 1, 22050, 1000);
  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(engine_->PlayOut(s, 0, 400));
    for (int i = 0; i < 2000 && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(5);
      s->AddRef();
      s->BeginRead();
      s->EndRead();
      s->Release();
    }
    Drain();
    EXPECT_EQ(s->referenceCount, 1);
    EXPECT_EQ(s->openCount, 0);
  }
}

TEST_F(SingleSourceTest, ABusyDeviceIsAskedForASecondAndThenReported) {
  MemorySource* s = Source(2, 1, 22050, 1000);
  VirtualAudio::SetOpenError(0, MMSYSERR_ALLOCATED);
  auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(engine_->PlayOut(s, 0, 1000));
  // A second by the millisecond clock, which counts whole milliseconds.
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(990));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].caption, "Open Wave playback device");
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  EXPECT_EQ(s->referenceCount, 1);
  EXPECT_EQ(s->openCount, 0);
  VirtualAudio::SetOpenError(0, MMSYSERR_NOERROR);
  EXPECT_TRUE(engine_->PlayOut(s, 0, 1000));
  engine_->StopOut();
}

}  // namespace
