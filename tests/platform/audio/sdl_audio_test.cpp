// The SDL back-end, run on SDL's own driver choice: one that does not exist
// (a machine without sound) and the "dummy" driver, which plays into nothing
// at the real rate, so the real pull path runs without a sound card.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "platform/audio/audio_backend.h"
#include "platform/audio/virtual_audio.h"
#include "platform/audio/wave.h"
#include "support/test_env.h"

namespace {

class SdlAudioTest : public ::testing::Test {
 protected:
  void TearDown() override { VirtualAudio::Reset(); }

  void UseSdlDriver(const char* driver) {
    driver_.emplace("SDL_AUDIODRIVER", driver);
    SetAudioBackend(MakeSdlAudioBackend());
  }

 private:
  std::optional<ScopedEnv> driver_;
};

std::atomic<int> g_done{0};
void CountDone(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  if (message == WOM_DONE || message == WIM_DATA) g_done++;
}

bool WaitFor(int count, int milliseconds) {
  for (int i = 0; i < milliseconds; ++i) {
    if (g_done.load() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return g_done.load() >= count;
}

WAVEFORMATEX Format(WORD tag, DWORD rate, WORD channels, WORD bits) {
  WAVEFORMATEX f{};
  f.wFormatTag = tag;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  f.nAvgBytesPerSec = f.nBlockAlign * rate;
  return f;
}

TEST_F(SdlAudioTest, WithoutASoundDriverThereIsNoDevice) {
  UseSdlDriver("kobrix-no-such-driver");
  EXPECT_EQ(waveOutGetNumDevs(), 0u);
  EXPECT_EQ(waveInGetNumDevs(), 0u);
  WAVEOUTCAPS caps;
  EXPECT_EQ(waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof(caps)), MMSYSERR_NODRIVER);
  WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 22050, 1, 16);
  EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NODRIVER);
}

TEST_F(SdlAudioTest, PlaysHeadersThroughSdlInEveryFormat) {
  UseSdlDriver("dummy");
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "SDL has no dummy driver here";
  struct Case {
    const char* what;
    WAVEFORMATEX format;
  };
  for (const Case& c : {Case{"16-bit stereo", Format(WAVE_FORMAT_PCM, 44100, 2, 16)},
                        Case{"8-bit mono at 11025", Format(WAVE_FORMAT_PCM, 11025, 1, 8)},
                        Case{"24-bit packed", Format(WAVE_FORMAT_PCM, 48000, 2, 24)},
                        Case{"float", Format(WAVE_FORMAT_IEEE_FLOAT, 22050, 2, 32)}}) {
    g_done = 0;
    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, WAVE_MAPPER, &c.format, reinterpret_cast<DWORD_PTR>(&CountDone), 0,
                          CALLBACK_FUNCTION),
              MMSYSERR_NOERROR)
        << c.what;
    // Two headers of 30 ms; the first ends on a split frame.
    std::vector<BYTE> data(c.format.nAvgBytesPerSec * 6 / 100);
    WAVEHDR first, second;
    first.lpData = reinterpret_cast<LPSTR>(data.data());
    first.dwBufferLength = static_cast<DWORD>(data.size() / 2 + 1);
    second.lpData = first.lpData + first.dwBufferLength;
    second.dwBufferLength = static_cast<DWORD>(data.size()) - first.dwBufferLength;
    for (WAVEHDR* h : {&first, &second}) {
      ASSERT_EQ(waveOutPrepareHeader(out, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
      ASSERT_EQ(waveOutWrite(out, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    EXPECT_TRUE(WaitFor(2, 3000)) << c.what;
    MMTIME time;
    time.wType = TIME_BYTES;
    ASSERT_EQ(waveOutGetPosition(out, &time, sizeof(time)), MMSYSERR_NOERROR);
    EXPECT_EQ(time.u.cb, data.size()) << c.what;
    for (WAVEHDR* h : {&first, &second}) waveOutUnprepareHeader(out, h, sizeof(WAVEHDR));
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
  }
}

TEST_F(SdlAudioTest, CapturesIntoHeadersThroughSdl) {
  UseSdlDriver("dummy");
  if (waveInGetNumDevs() == 0) GTEST_SKIP() << "SDL has no dummy capture here";
  g_done = 0;
  WAVEFORMATEX f = Format(WAVE_FORMAT_PCM, 22050, 2, 24);
  HWAVEIN in = nullptr;
  ASSERT_EQ(waveInOpen(&in, 0, &f, reinterpret_cast<DWORD_PTR>(&CountDone), 0, CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  std::vector<BYTE> data(f.nAvgBytesPerSec / 50);
  WAVEHDR header;
  header.lpData = reinterpret_cast<LPSTR>(data.data());
  header.dwBufferLength = static_cast<DWORD>(data.size());
  ASSERT_EQ(waveInPrepareHeader(in, &header, sizeof(header)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveInAddBuffer(in, &header, sizeof(header)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
  EXPECT_TRUE(WaitFor(1, 3000));
  EXPECT_EQ(header.dwBytesRecorded, data.size());
  waveInReset(in);
  waveInUnprepareHeader(in, &header, sizeof(header));
  EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
}

}  // namespace
