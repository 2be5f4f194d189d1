// Notices to a thread, a window and an event, through the message queues.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/audio/virtual_audio.h"
#include "platform/audio/wave.h"
#include "platform/core/message_queue.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"

namespace {

WAVEFORMATEX Mono8() {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 1;
  f.nSamplesPerSec = 8000;
  f.nAvgBytesPerSec = 8000;
  f.nBlockAlign = 1;
  f.wBitsPerSample = 8;
  return f;
}

// Takes the next message of the calling thread's queue for window (null:
// thread messages too), waiting up to 10 s (a guard against a hang: the
// device's notices come at once).
bool Next(MSG* message, HWND window = nullptr) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    if (PeekMessage(message, window, 0, 0, PM_REMOVE)) return true;
  }
  return false;
}

TEST(WaveNotices, AThreadGetsOpenDoneAndCloseInOrder) {
  VirtualAudio::Reset();
  EnsureMessageQueue();
  WAVEFORMATEX f = Mono8();
  HWAVEOUT out = nullptr;
  ASSERT_EQ(waveOutOpen(&out, 0, &f, GetCurrentThreadId(), 0, CALLBACK_THREAD), MMSYSERR_NOERROR);
  std::vector<BYTE> data(16);
  WAVEHDR a{}, b{};
  a.lpData = reinterpret_cast<LPSTR>(data.data());
  a.dwBufferLength = 8;
  b.lpData = a.lpData + 8;
  b.dwBufferLength = 8;
  for (WAVEHDR* h : {&a, &b}) {
    ASSERT_EQ(waveOutPrepareHeader(out, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  VirtualAudio::Advance(5);
  ASSERT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
  MSG m;
  const UINT expected[] = {MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_DONE, MM_WOM_CLOSE};
  const LPARAM headers[] = {0, reinterpret_cast<LPARAM>(&a), reinterpret_cast<LPARAM>(&b), 0};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(Next(&m)) << i;
    EXPECT_EQ(m.message, expected[i]);
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(out));
    EXPECT_EQ(m.lParam, headers[i]);
  }
}

TEST(WaveNotices, AWindowGetsItsNoticesOnTheOpenersQueue) {
  VirtualAudio::Reset();
  EnsureMessageQueue();
  HWND window = reinterpret_cast<HWND>(0x5150);
  WAVEFORMATEX f = Mono8();
  HWAVEIN in = nullptr;
  ASSERT_EQ(waveInOpen(&in, 0, &f, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW),
            MMSYSERR_NOERROR);
  std::vector<BYTE> data(8);
  WAVEHDR h{};
  h.lpData = reinterpret_cast<LPSTR>(data.data());
  h.dwBufferLength = 8;
  ASSERT_EQ(waveInPrepareHeader(in, &h, sizeof(h)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveInAddBuffer(in, &h, sizeof(h)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
  VirtualAudio::Advance(1);
  ASSERT_EQ(waveInClose(in), MMSYSERR_NOERROR);
  MSG m;
  for (UINT message : {MM_WIM_OPEN, MM_WIM_DATA, MM_WIM_CLOSE}) {
    ASSERT_TRUE(Next(&m, window));
    EXPECT_EQ(m.hwnd, window);
    EXPECT_EQ(m.message, message);
  }
  EXPECT_EQ(h.dwBytesRecorded, 8u);
}

TEST(WaveNotices, AnEventIsSetForEachNotice) {
  VirtualAudio::Reset();
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  WAVEFORMATEX f = Mono8();
  HWAVEOUT out = nullptr;
  ASSERT_EQ(waveOutOpen(&out, 0, &f, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT),
            MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // opened
  std::vector<BYTE> data(8);
  WAVEHDR h{};
  h.lpData = reinterpret_cast<LPSTR>(data.data());
  h.dwBufferLength = 8;
  ASSERT_EQ(waveOutPrepareHeader(out, &h, sizeof(h)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(out, &h, sizeof(h)), MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  VirtualAudio::Advance(1);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ASSERT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  CloseHandle(event);
}

}  // namespace
