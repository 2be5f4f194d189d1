// MIDI out: streams on the virtual device with a driven clock, their errors,
// the device list, the sequencer back-end on a machine without one, and the
// synthesiser heard in the virtual wave output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/audio/midi.h"
#include "platform/audio/midi_backend.h"
#include "platform/audio/virtual_audio.h"
#include "platform/audio/virtual_midi.h"
#include "platform/core/message_queue.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"

namespace {

const HWND kOwner = reinterpret_cast<HWND>(0x5151);

// A stream buffer built record by record.
struct StreamBuffer {
  MIDIHDR header;
  std::vector<BYTE> bytes;

  StreamBuffer& Record(DWORD delta, DWORD event, std::vector<BYTE> tail = {}) {
    const DWORD r[3] = {delta, 0, event};
    const BYTE* p = reinterpret_cast<const BYTE*>(r);
    bytes.insert(bytes.end(), p, p + sizeof r);
    tail.resize((tail.size() + 3) & ~std::size_t{3});
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return *this;
  }
  MIDIHDR* Header() {
    header = MIDIHDR{};
    header.lpData = reinterpret_cast<LPSTR>(bytes.data());
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    header.dwBytesRecorded = static_cast<DWORD>(bytes.size());
    return &header;
  }
};

DWORD Short(BYTE status, BYTE a, BYTE b = 0) {
  return status | (DWORD{a} << 8) | (DWORD{b} << 16);
}

class MidiOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VirtualAudio::Reset();
    VirtualMidi::Reset();
    EnsureMessageQueue();
    MSG stale;
    while (PeekMessage(&stale, kOwner, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override {
    if (stream_ != nullptr) midiStreamClose(stream_);
    // The notices to the made-up owner sit in this thread's queue: they are
    // this test's, not the next one's.
    MSG stale;
    while (PeekMessage(&stale, kOwner, 0, 0, PM_REMOVE)) {
    }
  }
  MMRESULT Open(UINT device, DWORD flags = CALLBACK_WINDOW) {
    return midiStreamOpen(&stream_, &device, 1, reinterpret_cast<DWORD_PTR>(kOwner), 0, flags);
  }
  void Advance(DWORD ms) {
    clock_.Advance(ms);
    ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
  }
  std::vector<MIDIHDR*> DoneNotices() {
    std::vector<MIDIHDR*> done;
    MSG m;
    while (PeekMessage(&m, kOwner, MM_MOM_DONE, MM_MOM_DONE, PM_REMOVE))
      done.push_back(reinterpret_cast<MIDIHDR*>(m.lParam));
    return done;
  }

  TestClock clock_;
  HMIDISTRM stream_ = nullptr;
};

TEST_F(MidiOutTest, RecordsPlayWhenTheirTicksFallDueAtTheTempoOfTheirTime) {
  ASSERT_EQ(Open(VirtualMidi::DeviceId()), MMSYSERR_NOERROR);
  ASSERT_TRUE(VirtualMidi::IsOpen());
  MIDIPROPTIMEDIV division;
  division.dwTimeDiv = 96;
  ASSERT_EQ(midiStreamProperty(stream_, reinterpret_cast<LPBYTE>(&division), MIDIPROP_SET | MIDIPROP_TIMEDIV),
            MMSYSERR_NOERROR);
  StreamBuffer buffer;
  buffer.Record(0, Short(0x90, 60, 100))
      .Record(96, 0x01000000u | 250000)  // from here a quarter lasts 250 ms
      .Record(96, Short(0x80, 60))
      .Record(0, 0x02000000u)  // nothing, in no time
      .Record(48, 0x80000004u, {0xF0, 0x7E, 0x01, 0xF7});
  MIDIHDR* header = buffer.Header();
  ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream_), header, sizeof(MIDIHDR)),
            MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamOut(stream_, header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  // Paused until restarted.
  Advance(1000);
  EXPECT_TRUE(VirtualMidi::Events().empty());
  ASSERT_EQ(midiStreamRestart(stream_), MMSYSERR_NOERROR);
  Advance(600);
  EXPECT_EQ(VirtualMidi::Events().size(), 1u);
  MMTIME at;
  at.wType = TIME_MS;
  ASSERT_EQ(midiStreamPosition(stream_, &at, sizeof at), MMSYSERR_NOERROR);
  EXPECT_EQ(at.u.ms, 600u);
  Advance(400);

  const std::vector<VirtualMidiEvent> events = VirtualMidi::Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].timeUs, 0u);
  EXPECT_EQ(events[0].bytes, (std::vector<BYTE>{0x90, 60, 100}));
  EXPECT_EQ(events[1].timeUs, 750000u);
  EXPECT_EQ(events[1].bytes, (std::vector<BYTE>{0x80, 60, 0}));
  EXPECT_EQ(events[2].timeUs, 875000u);
  EXPECT_EQ(events[2].bytes, (std::vector<BYTE>{0xF0, 0x7E, 0x01, 0xF7}));
  EXPECT_EQ(DoneNotices(), std::vector<MIDIHDR*>{header});
  EXPECT_TRUE(header->dwFlags & MHDR_DONE);
  at.wType = TIME_TICKS;
  ASSERT_EQ(midiStreamPosition(stream_, &at, sizeof at), MMSYSERR_NOERROR);
  EXPECT_EQ(at.u.ticks, 240u);
}

TEST_F(MidiOutTest, StopHandsBackTheQueueSilencesAndStartsOver) {
  ASSERT_EQ(Open(VirtualMidi::DeviceId()), MMSYSERR_NOERROR);
  StreamBuffer first, second;
  first.Record(0, Short(0x90, 60, 100)).Record(960, Short(0x80, 60));
  second.Record(0, Short(0x90, 62, 100));
  MIDIHDR* a = first.Header();
  MIDIHDR* b = second.Header();
  for (MIDIHDR* h : {a, b}) {
    ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream_), h, sizeof(MIDIHDR)),
              MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamOut(stream_, h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  }
  ASSERT_EQ(midiStreamRestart(stream_), MMSYSERR_NOERROR);
  Advance(100);
  EXPECT_EQ(midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(stream_), a, sizeof(MIDIHDR)),
            MIDIERR_STILLPLAYING);
  ASSERT_EQ(midiStreamStop(stream_), MMSYSERR_NOERROR);
  EXPECT_EQ(DoneNotices(), (std::vector<MIDIHDR*>{a, b}));
  EXPECT_EQ(VirtualMidi::Silences(), 1);
  MMTIME at;
  at.wType = TIME_MS;
  midiStreamPosition(stream_, &at, sizeof at);
  EXPECT_EQ(at.u.ms, 0u);
  EXPECT_EQ(VirtualMidi::Events().size(), 1u);

  // Queued again, the second buffer plays from the new start.
  ASSERT_EQ(midiStreamOut(stream_, b, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamRestart(stream_), MMSYSERR_NOERROR);
  Advance(10);
  ASSERT_EQ(VirtualMidi::Events().size(), 2u);
  EXPECT_EQ(VirtualMidi::Events()[1].timeUs, 0u);
  ASSERT_EQ(midiStreamClose(stream_), MMSYSERR_NOERROR);
  stream_ = nullptr;
  EXPECT_FALSE(VirtualMidi::IsOpen());
}

TEST_F(MidiOutTest, BadCallsAreRefusedWithTheirCodes) {
  UINT badDevice = 999;
  HMIDISTRM none = nullptr;
  EXPECT_EQ(midiStreamOpen(&none, &badDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  UINT device = VirtualMidi::DeviceId();
  EXPECT_EQ(midiStreamOpen(&none, &device, 2, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiStreamOpen(&none, &device, 1, 1, 0, CALLBACK_FUNCTION), MMSYSERR_INVALFLAG);
  VirtualMidi::SetOpenError(0, MMSYSERR_ALLOCATED);
  EXPECT_EQ(midiStreamOpen(&none, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
  VirtualMidi::SetOpenError(0, MMSYSERR_NOERROR);
  EXPECT_EQ(midiStreamRestart(reinterpret_cast<HMIDISTRM>(0x1234)), MMSYSERR_INVALHANDLE);

  ASSERT_EQ(Open(VirtualMidi::DeviceId(), CALLBACK_NULL), MMSYSERR_NOERROR);
  StreamBuffer buffer;
  buffer.Record(0, Short(0x90, 60, 100));
  MIDIHDR* h = buffer.Header();
  EXPECT_EQ(midiStreamOut(stream_, h, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
  struct Property {
    DWORD flags, size, value;
    MMRESULT result;
  };
  const Property properties[] = {
      {MIDIPROP_SET | MIDIPROP_TIMEDIV, 8, 0, MMSYSERR_INVALPARAM},
      {MIDIPROP_SET | MIDIPROP_TIMEDIV, 8, 0xE728, MMSYSERR_INVALPARAM},  // SMPTE
      {MIDIPROP_SET | MIDIPROP_TEMPO, 8, 0, MMSYSERR_INVALPARAM},
      {MIDIPROP_SET | MIDIPROP_TEMPO, 4, 500000, MMSYSERR_INVALPARAM},
      {MIDIPROP_SET | MIDIPROP_GET | MIDIPROP_TEMPO, 8, 500000, MMSYSERR_INVALPARAM},
      {MIDIPROP_SET | MIDIPROP_TEMPO, 8, 400000, MMSYSERR_NOERROR},
  };
  for (const Property& p : properties) {
    DWORD record[2] = {p.size, p.value};
    EXPECT_EQ(midiStreamProperty(stream_, reinterpret_cast<LPBYTE>(record), p.flags), p.result);
  }
  DWORD tempo[2] = {8, 0};
  ASSERT_EQ(midiStreamProperty(stream_, reinterpret_cast<LPBYTE>(tempo), MIDIPROP_GET | MIDIPROP_TEMPO),
            MMSYSERR_NOERROR);
  EXPECT_EQ(tempo[1], 400000u);
  ASSERT_EQ(midiStreamRestart(stream_), MMSYSERR_NOERROR);
  DWORD division[2] = {8, 480};
  EXPECT_EQ(midiStreamProperty(stream_, reinterpret_cast<LPBYTE>(division), MIDIPROP_SET | MIDIPROP_TIMEDIV),
            MIDIERR_NOTREADY);

  char text[MAXERRORLENGTH];
  EXPECT_EQ(midiOutGetErrorText(MIDIERR_STILLPLAYING, text, sizeof text), MMSYSERR_NOERROR);
  EXPECT_STREQ(text, "The MIDI device still holds queued buffers.");
  EXPECT_EQ(midiOutGetErrorText(MMSYSERR_NOMEM, text, sizeof text), MMSYSERR_NOERROR);
  EXPECT_STREQ(text, "There is not enough memory for the sound device.");
  EXPECT_EQ(midiOutGetErrorText(WAVERR_BADFORMAT, text, sizeof text), MMSYSERR_BADERRNUM);
}

TEST_F(MidiOutTest, ALongMessageRunningPastItsBufferIsNotRead) {
  ASSERT_EQ(Open(VirtualMidi::DeviceId()), MMSYSERR_NOERROR);
  StreamBuffer buffer;
  buffer.Record(0, Short(0x90, 60, 100)).Record(0, 0x80000100u, {0xF0, 1, 2, 0xF7});  // says 256 bytes
  MIDIHDR* h = buffer.Header();
  ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream_), h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamOut(stream_, h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamRestart(stream_), MMSYSERR_NOERROR);
  Advance(10);
  EXPECT_EQ(VirtualMidi::Events().size(), 1u);
  EXPECT_EQ(DoneNotices(), std::vector<MIDIHDR*>{h});
}

TEST_F(MidiOutTest, TheMapperIsTheSynthesiser) {
  MIDIOUTCAPS caps;
  if (midiOutGetDevCaps(MIDI_MAPPER, &caps, sizeof caps) != MMSYSERR_NOERROR) GTEST_SKIP() << "no sound font";
  EXPECT_STREQ(caps.szPname, "MIDI Mapper");
  EXPECT_EQ(caps.wTechnology, MOD_MAPPER);
  EXPECT_TRUE(caps.dwSupport & MIDICAPS_STREAM);
  ASSERT_EQ(midiOutGetDevCaps(0, &caps, sizeof caps), MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "Kobrix GM Synthesiser");
  EXPECT_EQ(caps.wTechnology, MOD_SWSYNTH);
  EXPECT_EQ(midiOutGetDevCaps(midiOutGetNumDevs(), &caps, sizeof caps), MMSYSERR_BADDEVICEID);
}

TEST(MidiSequencerTest, AMachineWithoutASequencerListsNothingAndOpensNothing) {
  std::unique_ptr<MidiBackend> alsa = MakeAlsaMidiBackend();
  const std::vector<MidiDeviceInfo> ports = alsa->Devices();
  if (access("/dev/snd/seq", F_OK) == 0) GTEST_SKIP() << "this machine has a sequencer";
  EXPECT_TRUE(ports.empty());
  MMRESULT error = MMSYSERR_NOERROR;
  EXPECT_EQ(alsa->Open(0, &error), nullptr);
  EXPECT_EQ(error, MMSYSERR_BADDEVICEID);
}

// The period of the strongest repetition of samples, in samples.
double Period(const std::vector<float>& s, int shortest, int longest) {
  double best = -1e30;
  int bestLag = shortest;
  std::vector<double> score(static_cast<std::size_t>(longest + 2), 0.0);
  for (int lag = shortest - 1; lag <= longest + 1; ++lag) {
    double sum = 0;
    for (std::size_t i = 0; i + static_cast<std::size_t>(lag) < s.size(); ++i) sum += s[i] * s[i + lag];
    score[static_cast<std::size_t>(lag)] = sum;
  }
  for (int lag = shortest; lag <= longest; ++lag) {
    if (score[static_cast<std::size_t>(lag)] > best) {
      best = score[static_cast<std::size_t>(lag)];
      bestLag = lag;
    }
  }
  // Between whole samples: the peak of the parabola through the neighbours.
  const double l = score[static_cast<std::size_t>(bestLag - 1)], c = best,
               r = score[static_cast<std::size_t>(bestLag + 1)];
  const double d = l - 2 * c + r;
  return bestLag + (d != 0 ? 0.5 * (l - r) / d : 0.0);
}

TEST(MidiSynthTest, ANoteOnOfA4SoundsAt440Hz) {
  VirtualAudio::Reset();
  VirtualMidi::Reset();
  MIDIOUTCAPS caps;
  if (midiOutGetDevCaps(MIDI_MAPPER, &caps, sizeof caps) != MMSYSERR_NOERROR) GTEST_SKIP() << "no sound font";
  HMIDISTRM stream = nullptr;
  UINT mapper = MIDI_MAPPER;
  // The header's flags are the stream's, written under its lock: the test
  // waits for the done notice instead of reading them as they change.
  EnsureMessageQueue();
  ASSERT_EQ(midiStreamOpen(&stream, &mapper, 1, GetCurrentThreadId(), 0, CALLBACK_THREAD), MMSYSERR_NOERROR);
  ASSERT_TRUE(VirtualAudio::IsOpen(0));
  const WAVEFORMATEX format = VirtualAudio::LastFormat(0);
  ASSERT_EQ(format.nChannels, 2);
  ASSERT_EQ(format.wBitsPerSample, 16);

  StreamBuffer buffer;
  buffer.Record(0, Short(0x90, 69, 110));
  MIDIHDR* h = buffer.Header();
  ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream), h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamOut(stream, h, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
  MSG notice;
  bool done = false;
  for (int i = 0; i < 2000 && !(done = PeekMessage(&notice, nullptr, MM_MOM_DONE, MM_MOM_DONE, PM_REMOVE)); ++i)
    Sleep(1);
  ASSERT_TRUE(done);
  ASSERT_TRUE(h->dwFlags & MHDR_DONE);

  // Half a second of sound, the device always holding what the synthesiser rendered.
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(VirtualAudio::WaitQueued(0, 4096, 5000));
    VirtualAudio::Advance(10);
  }
  EXPECT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  while (PeekMessage(&notice, nullptr, MM_MOM_OPEN, MM_MOM_DONE, PM_REMOVE)) {
  }

  const std::vector<BYTE> played = VirtualAudio::Played(0);
  ASSERT_GE(played.size(), 4u * 16384);
  // The left channel of the last 8192 frames.
  std::vector<float> left;
  for (std::size_t at = played.size() - 4 * 8192; at + 4 <= played.size(); at += 4) {
    int16_t v;
    std::memcpy(&v, &played[at], 2);
    left.push_back(v);
  }
  double energy = 0;
  for (float v : left) energy += double{v} * v;
  EXPECT_GT(std::sqrt(energy / static_cast<double>(left.size())), 100.0);
  const double hz = format.nSamplesPerSec / Period(left, 60, 160);
  EXPECT_NEAR(hz, 440.0, 4.0);
}

}  // namespace
