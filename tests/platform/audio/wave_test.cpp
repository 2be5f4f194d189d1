#include "platform/audio/wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <numeric>
#include <vector>

#include "platform/audio/virtual_audio.h"

namespace {

WAVEFORMATEX Pcm(DWORD rate, WORD channels, WORD bits) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  f.nAvgBytesPerSec = f.nBlockAlign * rate;
  return f;
}

// Notices delivered to a callback function, in arrival order.
struct Notice {
  UINT message;
  DWORD_PTR header;
};
struct NoticeLog {
  std::mutex lock;
  std::vector<Notice> notices;
  std::vector<Notice> Take() {
    std::lock_guard<std::mutex> hold(lock);
    return std::move(notices);
  }
};
void Record(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  auto* log = reinterpret_cast<NoticeLog*>(instance);
  std::lock_guard<std::mutex> hold(log->lock);
  log->notices.push_back({message, param1});
}

// A header over its own bytes, filled with a running count from first.
struct Buffer {
  explicit Buffer(std::size_t size, int first = 0) : bytes(size) {
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(first + i);
    header.lpData = reinterpret_cast<LPSTR>(bytes.data());
    header.dwBufferLength = static_cast<DWORD>(size);
  }
  std::vector<BYTE> bytes;
  WAVEHDR header;
};

class WaveOutTest : public ::testing::Test {
 protected:
  void SetUp() override { VirtualAudio::Reset(); }
  void TearDown() override {
    if (out_ != nullptr) {
      waveOutReset(out_);
      waveOutClose(out_);
    }
  }
  void Open(const WAVEFORMATEX& format, UINT device = 0) {
    ASSERT_EQ(waveOutOpen(&out_, device, &format, reinterpret_cast<DWORD_PTR>(&Record),
                          reinterpret_cast<DWORD_PTR>(&log_), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(log_.Take().size(), 1u);  // the open notice
  }
  void Queue(Buffer& b) {
    ASSERT_EQ(waveOutPrepareHeader(out_, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out_, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  DWORD Position(UINT type) {
    MMTIME time;
    time.wType = type;
    EXPECT_EQ(waveOutGetPosition(out_, &time, sizeof(time)), MMSYSERR_NOERROR);
    EXPECT_EQ(time.wType, type);
    return time.u.cb;
  }

  HWAVEOUT out_ = nullptr;
  NoticeLog log_;
};

TEST(WaveDevices, ListsDevicesAndTheMapperWithTheirNames) {
  VirtualDeviceSpec a;
  a.name = "Front speakers";
  VirtualDeviceSpec b;
  b.name = "A device name far longer than thirty-one characters";
  b.channels = 1;
  VirtualAudio::Reset({a, b}, {a});
  EXPECT_EQ(waveOutGetNumDevs(), 2u);
  EXPECT_EQ(waveInGetNumDevs(), 1u);
  WAVEOUTCAPS caps;
  ASSERT_EQ(waveOutGetDevCaps(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "Front speakers");
  ASSERT_EQ(waveOutGetDevCaps(1, &caps, sizeof(caps)), MMSYSERR_NOERROR);
  EXPECT_EQ(std::string(caps.szPname), b.name.substr(0, MAXPNAMELEN - 1));
  EXPECT_EQ(caps.wChannels, 1);
  EXPECT_EQ(waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof(caps)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutGetDevCaps(2, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
  WAVEINCAPS in_caps;
  EXPECT_EQ(waveInGetDevCaps(0, &in_caps, sizeof(in_caps)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveInGetDevCaps(WAVE_MAPPER, &in_caps, sizeof(in_caps)), MMSYSERR_NOERROR);
}

TEST(WaveDevices, WithoutDevicesNothingOpensAndTheMapperHasNoCapabilities) {
  VirtualAudio::Reset({}, {});
  EXPECT_EQ(waveOutGetNumDevs(), 0u);
  WAVEOUTCAPS caps;
  EXPECT_EQ(waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof(caps)), MMSYSERR_NODRIVER);
  WAVEFORMATEX f = Pcm(22050, 1, 16);
  HWAVEOUT out = nullptr;
  EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NODRIVER);
  EXPECT_EQ(waveOutOpen(&out, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(out, nullptr);
}

TEST(WaveDevices, FormatQueryAsksTheDeviceAndOpensNothing) {
  VirtualDeviceSpec only16;
  only16.accepts = [](const WAVEFORMATEX& f) { return f.wBitsPerSample == 16; };
  VirtualDeviceSpec any;
  VirtualAudio::Reset({only16, any}, {});
  WAVEFORMATEX f16 = Pcm(44100, 2, 16);
  WAVEFORMATEX f24 = Pcm(44100, 2, 24);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &f16, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &f24, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
  EXPECT_EQ(waveOutOpen(nullptr, 1, &f24, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  EXPECT_EQ(VirtualAudio::OpenCount(0) + VirtualAudio::OpenCount(1), 0u);

  // Inconsistent records are refused whatever the device says.
  struct Case {
    const char* what;
    WAVEFORMATEX format;
  };
  WAVEFORMATEX bad_align = f16;
  bad_align.nBlockAlign = 3;
  WAVEFORMATEX bad_rate = f16;
  bad_rate.nAvgBytesPerSec = 1;
  WAVEFORMATEX no_channels = f16;
  no_channels.nChannels = 0;
  WAVEFORMATEX float16 = f16;
  float16.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
  WAVEFORMATEX other_tag = f16;
  other_tag.wFormatTag = 2;
  WAVEFORMATEX twenty = Pcm(44100, 2, 24);
  twenty.wBitsPerSample = 20;
  WAVEFORMATEX padded24 = Pcm(44100, 2, 32);
  padded24.wBitsPerSample = 24;
  EXPECT_EQ(waveOutOpen(nullptr, 1, &twenty, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutOpen(nullptr, 1, &padded24, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  WAVEFORMATEX twelve = Pcm(44100, 2, 16);
  twelve.wBitsPerSample = 12;
  for (const Case& c :
       {Case{"block align", bad_align}, Case{"byte rate", bad_rate}, Case{"12 bits", twelve},
        Case{"no channels", no_channels}, Case{"16-bit float", float16}, Case{"compressed", other_tag}}) {
    EXPECT_EQ(waveOutOpen(nullptr, 1, &c.format, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT) << c.what;
  }
}

TEST(WaveDevices, TheMapperOpensTheFirstDeviceThatTakesTheFormat) {
  VirtualDeviceSpec only8;
  only8.accepts = [](const WAVEFORMATEX& f) { return f.wBitsPerSample == 8; };
  VirtualAudio::Reset({only8, VirtualDeviceSpec{}}, {});
  WAVEFORMATEX f = Pcm(22050, 1, 16);
  HWAVEOUT out = nullptr;
  ASSERT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_TRUE(VirtualAudio::IsOpen(1));
  EXPECT_EQ(VirtualAudio::LastFormat(1).nBlockAlign, 2);
  EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
  EXPECT_FALSE(VirtualAudio::IsOpen(1));
}

// A notice still queued from a closed device must not pass for one of the
// device opened next: the handle it carries belongs to no later open, and
// the closed handle is refused.
TEST(WaveDevices, NoTwoOpensShareAHandle) {
  VirtualAudio::Reset();
  WAVEFORMATEX f = Pcm(22050, 1, 16);
  std::vector<void*> seen;
  for (int i = 0; i < 8; ++i) {
    HWAVEOUT out = nullptr;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveOutOpen(&out, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInOpen(&in, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    for (void* handle : {static_cast<void*>(out), static_cast<void*>(in)}) {
      EXPECT_EQ(std::count(seen.begin(), seen.end(), handle), 0) << i;
      seen.push_back(handle);
    }
    ASSERT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutReset(out), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInReset(in), MMSYSERR_INVALHANDLE);
  }
}

TEST(WaveDevices, ABusyDeviceRefusesToOpen) {
  VirtualAudio::Reset();
  WAVEFORMATEX f = Pcm(22050, 1, 16);
  HWAVEOUT first = nullptr;
  HWAVEOUT second = nullptr;
  ASSERT_EQ(waveOutOpen(&first, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutOpen(&second, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(waveOutClose(first), MMSYSERR_NOERROR);
  VirtualAudio::SetOpenError(0, MMSYSERR_NOMEM);
  EXPECT_EQ(waveOutOpen(&second, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOMEM);
  VirtualAudio::SetOpenError(0, MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutOpen(&second, 0, &f, 0, 0, 0x00070000), MMSYSERR_INVALFLAG);
  EXPECT_EQ(waveOutOpen(&second, 0, &f, 0, 0, CALLBACK_THREAD), MMSYSERR_INVALPARAM);
}

TEST_F(WaveOutTest, PlaysQueuedHeadersInOrderAndReturnsEachDone) {
  Open(Pcm(8000, 1, 16));  // 16 bytes a millisecond
  Buffer a(100, 0), b(60, 100), c(40, 160);
  Queue(a);
  Queue(b);
  Queue(c);
  EXPECT_EQ(VirtualAudio::Queued(0), 200u);
  VirtualAudio::Advance(7);  // 112 bytes: all of a, part of b
  EXPECT_TRUE(a.header.dwFlags & WHDR_DONE);
  EXPECT_FALSE(a.header.dwFlags & WHDR_INQUEUE);
  EXPECT_TRUE(b.header.dwFlags & WHDR_INQUEUE);
  EXPECT_FALSE(b.header.dwFlags & WHDR_DONE);
  EXPECT_EQ(Position(TIME_BYTES), 112u);
  EXPECT_EQ(Position(TIME_SAMPLES), 56u);
  EXPECT_EQ(Position(TIME_MS), 7u);
  VirtualAudio::Advance(100);  // drains; the rest of the time finds it starved
  std::vector<Notice> notices = log_.Take();
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].header, reinterpret_cast<DWORD_PTR>(&a.header));
  EXPECT_EQ(notices[1].header, reinterpret_cast<DWORD_PTR>(&b.header));
  EXPECT_EQ(notices[2].header, reinterpret_cast<DWORD_PTR>(&c.header));
  for (const Notice& n : notices) EXPECT_EQ(n.message, WOM_DONE);
  std::vector<BYTE> expected(200);
  std::iota(expected.begin(), expected.end(), BYTE{0});
  EXPECT_EQ(VirtualAudio::Played(0), expected);
  EXPECT_EQ(Position(TIME_BYTES), 200u);
}

TEST_F(WaveOutTest, PausedOutputPlaysNothingUntilRestarted) {
  Open(Pcm(8000, 1, 8));
  ASSERT_EQ(waveOutPause(out_), MMSYSERR_NOERROR);
  Buffer a(80);
  Queue(a);
  VirtualAudio::Advance(50);
  EXPECT_TRUE(VirtualAudio::Played(0).empty());
  EXPECT_EQ(Position(TIME_MS), 0u);
  ASSERT_EQ(waveOutRestart(out_), MMSYSERR_NOERROR);
  VirtualAudio::Advance(5);
  EXPECT_EQ(VirtualAudio::Played(0).size(), 40u);
  ASSERT_EQ(waveOutPause(out_), MMSYSERR_NOERROR);
  VirtualAudio::Advance(5);
  EXPECT_EQ(Position(TIME_MS), 5u);
  ASSERT_EQ(waveOutRestart(out_), MMSYSERR_NOERROR);
  VirtualAudio::Advance(5);
  EXPECT_EQ(VirtualAudio::Played(0), a.bytes);
}

TEST_F(WaveOutTest, ResetReturnsEveryHeaderDoneInOrderAndZeroesThePosition) {
  Open(Pcm(8000, 1, 8));
  Buffer a(20), b(20), c(20);
  Queue(a);
  Queue(b);
  Queue(c);
  VirtualAudio::Advance(3);  // 24 bytes: a and part of b
  ASSERT_EQ(log_.Take().size(), 1u);
  EXPECT_EQ(waveOutClose(out_), WAVERR_STILLPLAYING);
  ASSERT_EQ(waveOutReset(out_), MMSYSERR_NOERROR);
  for (WAVEHDR* h : {&b.header, &c.header}) {
    EXPECT_TRUE(h->dwFlags & WHDR_DONE);
    EXPECT_FALSE(h->dwFlags & WHDR_INQUEUE);
  }
  std::vector<Notice> notices = log_.Take();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].header, reinterpret_cast<DWORD_PTR>(&b.header));
  EXPECT_EQ(notices[1].header, reinterpret_cast<DWORD_PTR>(&c.header));
  EXPECT_EQ(Position(TIME_BYTES), 0u);
  EXPECT_EQ(VirtualAudio::Played(0).size(), 24u);
  // A header written after the reset starts from its own first byte.
  Buffer d(8, 200);
  ASSERT_EQ(waveOutWrite(out_, &d.header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
  Queue(d);
  VirtualAudio::Advance(1);
  std::vector<BYTE> played = VirtualAudio::Played(0);
  EXPECT_EQ(std::vector<BYTE>(played.begin() + 24, played.end()), d.bytes);
  for (Buffer* x : {&a, &b, &c, &d}) EXPECT_EQ(waveOutUnprepareHeader(out_, &x->header, sizeof(WAVEHDR)), 0u);
  EXPECT_EQ(waveOutClose(out_), MMSYSERR_NOERROR);
  notices = log_.Take();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1].message, WOM_CLOSE);
  EXPECT_EQ(waveOutReset(out_), MMSYSERR_INVALHANDLE);
  out_ = nullptr;
}

TEST_F(WaveOutTest, QueuedHeadersAreGuarded) {
  Open(Pcm(8000, 1, 8));
  Buffer a(10);
  Queue(a);
  EXPECT_EQ(waveOutWrite(out_, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutUnprepareHeader(out_, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutPrepareHeader(out_, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutWrite(out_, &a.header, sizeof(WAVEHDR) - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutWrite(out_, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
  MMTIME time;
  EXPECT_EQ(waveOutGetPosition(out_, &time, sizeof(time) - 1), MMSYSERR_INVALPARAM);
  int not_a_device = 0;
  EXPECT_EQ(waveOutPause(reinterpret_cast<HWAVEOUT>(&not_a_device)), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutWrite(nullptr, &a.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutReset(out_), MMSYSERR_NOERROR);  // a goes before its header does
}

TEST_F(WaveOutTest, EmptyHeadersComeBackInTheirTurn) {
  Open(Pcm(8000, 1, 8));
  Buffer a(8), empty(0), b(8);
  Queue(a);
  Queue(empty);
  Queue(b);
  VirtualAudio::Advance(1);
  std::vector<Notice> notices = log_.Take();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1].header, reinterpret_cast<DWORD_PTR>(&empty.header));
  VirtualAudio::Advance(1);
  EXPECT_EQ(log_.Take().size(), 1u);
}

// The millisecond position of a long play needs more than 32 bits on its way.
TEST_F(WaveOutTest, PositionsOfALongPlayDoNotWrap) {
  Open(Pcm(48000, 2, 16));
  Buffer second(192000);
  ASSERT_EQ(waveOutPrepareHeader(out_, &second.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(waveOutWrite(out_, &second.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    VirtualAudio::Advance(1000);
  }
  EXPECT_EQ(Position(TIME_MS), 100000u);
  EXPECT_EQ(Position(TIME_SAMPLES), 4800000u);
  EXPECT_EQ(Position(TIME_BYTES), 19200000u);
  MMTIME time;
  time.wType = TIME_SMPTE;
  ASSERT_EQ(waveOutGetPosition(out_, &time, sizeof(time)), MMSYSERR_NOERROR);
  EXPECT_EQ(time.wType, TIME_BYTES);
  EXPECT_EQ(time.u.cb, 19200000u);
}

TEST(WaveDevices, ErrorTextsCoverEveryCodeAndAreCut) {
  char text[MAXERRORLENGTH];
  for (MMRESULT code = MMSYSERR_NOERROR; code <= MMSYSERR_LASTERROR; ++code) {
    ASSERT_EQ(waveOutGetErrorText(code, text, sizeof(text)), MMSYSERR_NOERROR) << code;
    EXPECT_GT(std::strlen(text), 0u) << code;
  }
  for (MMRESULT code = WAVERR_BASE; code <= WAVERR_LASTERROR; ++code) {
    ASSERT_EQ(waveInGetErrorText(code, text, sizeof(text)), MMSYSERR_NOERROR) << code;
    EXPECT_GT(std::strlen(text), 0u) << code;
  }
  EXPECT_EQ(waveOutGetErrorText(999, text, sizeof(text)), MMSYSERR_BADERRNUM);
  char small[6];
  ASSERT_EQ(waveOutGetErrorText(WAVERR_BADFORMAT, small, sizeof(small)), MMSYSERR_NOERROR);
  EXPECT_EQ(std::strlen(small), 5u);
}

class WaveInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VirtualAudio::Reset();
    // The signal is the running byte count, so every byte tells where it came from.
    VirtualAudio::SetSignal(0, [](BYTE* out, std::size_t size, ULONGLONG offset) {
      for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<BYTE>(offset + i);
    });
    WAVEFORMATEX f = Pcm(8000, 1, 8);
    ASSERT_EQ(waveInOpen(&in_, 0, &f, reinterpret_cast<DWORD_PTR>(&Record),
                         reinterpret_cast<DWORD_PTR>(&log_), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(log_.Take()[0].message, WIM_OPEN);
  }
  void TearDown() override {
    waveInReset(in_);
    waveInClose(in_);
  }
  void Add(Buffer& b) {
    ASSERT_EQ(waveInPrepareHeader(in_, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(in_, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  HWAVEIN in_ = nullptr;
  NoticeLog log_;
};

TEST_F(WaveInTest, CapturesOnlyWhenStartedAndFillsBuffersInOrder) {
  Buffer a(16), b(16), c(16);
  Add(a);
  Add(b);
  Add(c);
  VirtualAudio::Advance(10);  // the signal runs on; nothing is kept
  EXPECT_TRUE(log_.Take().empty());
  ASSERT_EQ(waveInStart(in_), MMSYSERR_NOERROR);
  VirtualAudio::Advance(3);  // 24 bytes
  std::vector<Notice> notices = log_.Take();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].message, WIM_DATA);
  EXPECT_EQ(notices[0].header, reinterpret_cast<DWORD_PTR>(&a.header));
  EXPECT_EQ(a.header.dwBytesRecorded, 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(a.bytes[i], 80 + i);
  EXPECT_EQ(b.bytes[0], 96);
  MMTIME time;
  time.wType = TIME_SAMPLES;
  ASSERT_EQ(waveInGetPosition(in_, &time, sizeof(time)), MMSYSERR_NOERROR);
  EXPECT_EQ(time.u.sample, 24u);

  // Stop returns the partly filled buffer; reset returns the rest empty.
  ASSERT_EQ(waveInStop(in_), MMSYSERR_NOERROR);
  notices = log_.Take();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].header, reinterpret_cast<DWORD_PTR>(&b.header));
  EXPECT_EQ(b.header.dwBytesRecorded, 8u);
  EXPECT_EQ(waveInClose(in_), WAVERR_STILLPLAYING);
  ASSERT_EQ(waveInReset(in_), MMSYSERR_NOERROR);
  notices = log_.Take();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].header, reinterpret_cast<DWORD_PTR>(&c.header));
  EXPECT_EQ(c.header.dwBytesRecorded, 0u);
  EXPECT_TRUE(c.header.dwFlags & WHDR_DONE);
}

TEST_F(WaveInTest, ResetReturnsThePartlyFilledBufferFirst) {
  Buffer a(16), b(16);
  Add(a);
  Add(b);
  ASSERT_EQ(waveInStart(in_), MMSYSERR_NOERROR);
  VirtualAudio::Advance(1);
  ASSERT_EQ(waveInReset(in_), MMSYSERR_NOERROR);
  std::vector<Notice> notices = log_.Take();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].header, reinterpret_cast<DWORD_PTR>(&a.header));
  EXPECT_EQ(a.header.dwBytesRecorded, 8u);
  EXPECT_EQ(b.header.dwBytesRecorded, 0u);
  // Reset also stops: nothing more is captured.
  Add(a);
  VirtualAudio::Advance(10);
  EXPECT_TRUE(log_.Take().empty());
  MMTIME time;
  time.wType = TIME_BYTES;
  ASSERT_EQ(waveInGetPosition(in_, &time, sizeof(time)), MMSYSERR_NOERROR);
  EXPECT_EQ(time.u.cb, 0u);
  ASSERT_EQ(waveInReset(in_), MMSYSERR_NOERROR);
}

}  // namespace
