// A 440 Hz tone on the real sound device, for a person to listen to. It is
// disabled in the suite (it needs a sound card and takes two seconds); run it
// by hand with
//   build/tests/test_platform_audio --gtest_also_run_disabled_tests --gtest_filter='*Tone*'
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/audio/audio_backend.h"
#include "platform/audio/wave.h"

namespace {

TEST(Tone, DISABLED_Plays440HzForTwoSecondsOnTheDefaultDevice) {
  SetAudioBackend(MakeSdlAudioBackend());
  ASSERT_GT(waveOutGetNumDevs(), 0u) << "no sound device";
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = 44100;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 4;
  f.nAvgBytesPerSec = 176400;
  f.cbSize = 0;
  // The device hands the headers back in order; its notices are counted
  // rather than its flags read, which it writes from its own thread.
  std::atomic<int> returned{0};
  WAVEOUTPROC done = [](HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (message == WOM_DONE) ++*reinterpret_cast<std::atomic<int>*>(instance);
  };
  HWAVEOUT out = nullptr;
  ASSERT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(done),
                        reinterpret_cast<DWORD_PTR>(&returned), CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);

  // Four headers of 100 ms, refilled as they come back.
  constexpr int kFrames = 4410;
  std::vector<std::vector<int16_t>> data(4, std::vector<int16_t>(kFrames * 2));
  std::vector<WAVEHDR> headers(4);
  long frame = 0;
  auto fill = [&](int k) {
    for (int i = 0; i < kFrames; ++i, ++frame) {
      auto s = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * 440.0 * frame / 44100.0));
      data[k][2 * i] = data[k][2 * i + 1] = s;
    }
  };
  for (int k = 0; k < 4; ++k) {
    headers[k].lpData = reinterpret_cast<LPSTR>(data[k].data());
    headers[k].dwBufferLength = kFrames * 4;
    ASSERT_EQ(waveOutPrepareHeader(out, &headers[k], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    fill(k);
    ASSERT_EQ(waveOutWrite(out, &headers[k], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  // The n-th header written is headers[n % 4], free once n - 3 came back.
  int written = 4;
  while (written < 20) {
    if (returned > written - 4) {
      const int k = written % 4;
      fill(k);
      ASSERT_EQ(waveOutWrite(out, &headers[k], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
      ++written;
      continue;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  while (returned < 20) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  MMTIME time;
  time.wType = TIME_MS;
  ASSERT_EQ(waveOutGetPosition(out, &time, sizeof(time)), MMSYSERR_NOERROR);
  EXPECT_EQ(time.u.ms, 2000u);
  for (WAVEHDR& h : headers) waveOutUnprepareHeader(out, &h, sizeof(WAVEHDR));
  EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}

}  // namespace
