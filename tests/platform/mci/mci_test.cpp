// The media control interface: sound files heard on the virtual wave
// output, films' pictures in their window on the driven clock, MIDI files on
// the virtual MIDI output, the notices of plays that end, are stopped or
// superseded, and the files it refuses.
#include "platform/mci/mci.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/virtual_audio.h"
#include "platform/audio/virtual_midi.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/mci/midi_file.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool HaveTool(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The body of a RIFF file's "data" chunk.
Bytes DataChunk(const Bytes& file) {
  for (size_t at = 12; at + 8 <= file.size();) {
    const uint32_t size =
        file[at + 4] | (file[at + 5] << 8) | (file[at + 6] << 16) | (uint32_t{file[at + 7]} << 24);
    if (std::memcmp(file.data() + at, "data", 4) == 0) {
      return Bytes(file.begin() + static_cast<long>(at + 8),
                   file.begin() + static_cast<long>(std::min<size_t>(file.size(), at + 8 + size)));
    }
    at += 8 + size + (size & 1);
  }
  return {};
}

// A standard MIDI file of the given tracks (bodies without their end).
Bytes MidiFile(uint16_t format, uint16_t division, const std::vector<Bytes>& tracks) {
  Bytes f = {'M',
             'T',
             'h',
             'd',
             0,
             0,
             0,
             6,
             0,
             static_cast<uint8_t>(format),
             0,
             static_cast<uint8_t>(tracks.size()),
             static_cast<uint8_t>(division >> 8),
             static_cast<uint8_t>(division)};
  for (const Bytes& t : tracks) {
    const uint32_t n = static_cast<uint32_t>(t.size());
    f.insert(f.end(), {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                       static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    f.insert(f.end(), t.begin(), t.end());
  }
  return f;
}

class MciTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VirtualAudio::Reset();
    VirtualMidi::Reset();
    window_ = CreateWindowEx(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    for (MCIDEVICEID id : open_) mciSendCommand(id, MCI_CLOSE, MCI_WAIT, 0);
    mciSetSequencerPort(MIDI_MAPPER);
    DestroyWindow(window_);
    GuiPumpMessages();
  }

  MCIERROR Open(const std::string& path, MCIDEVICEID* id, DWORD extra = 0) {
    MCI_ANIM_OPEN_PARMS open;
    open.lpstrElementName = path.c_str();
    open.dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    open.hWndParent = window_;
    const MCIERROR e =
        mciSendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT | extra, reinterpret_cast<DWORD_PTR>(&open));
    if (e == 0) open_.push_back(open.wDeviceID);
    *id = open.wDeviceID;
    return e;
  }
  MCIERROR Play(MCIDEVICEID id) {
    MCI_PLAY_PARMS play;
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    return mciSendCommand(id, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
  }
  // The notices that came, as {flags, device}.
  std::vector<std::pair<WPARAM, LPARAM>> Notices() {
    std::vector<std::pair<WPARAM, LPARAM>> got;
    MSG m;
    while (PeekMessage(&m, window_, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
      got.emplace_back(m.wParam, m.lParam);
    return got;
  }
  // Waits (real time) for the first notice.
  std::vector<std::pair<WPARAM, LPARAM>> AwaitNotices() {
    for (int i = 0; i < 2000; ++i) {
      std::vector<std::pair<WPARAM, LPARAM>> got = Notices();
      if (!got.empty()) return got;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return {};
  }

  // A film of three pictures of 32 x 24 (red, green, blue) at 25 a second.
  std::string ColourFilm() {
    Bytes raw;
    for (const Bytes& bgr : {Bytes{0, 0, 255}, Bytes{0, 255, 0}, Bytes{255, 0, 0}}) {
      for (int i = 0; i < 32 * 24; ++i) raw.insert(raw.end(), bgr.begin(), bgr.end());
    }
    WriteFile(folder_.File("colours.raw"), raw);
    const std::string path = folder_.File("colours.avi");
    if (!Shell("ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s 32x24 -r 25 -i " +
               folder_.File("colours.raw") + " -c:v rawvideo -pix_fmt bgr24 " + path))
      return "";
    return path;
  }

  HWND window_ = nullptr;
  std::vector<MCIDEVICEID> open_;
  TestFolder folder_{"kobrix-mci"};
};

TEST_F(MciTest, AWaveFileIsHeardSampleForSampleAndEndsWithOneNotice) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string path = folder_.File("tone.wav");
  ASSERT_TRUE(Shell("sox -n -r 8000 -c 1 -b 16 " + path + " synth 0.33 sine 440"));
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(path, &id), 0u);
  ASSERT_EQ(Play(id), 0u);
  std::vector<std::pair<WPARAM, LPARAM>> notices;
  for (int step = 0; step < 200 && notices.empty(); ++step) {
    VirtualAudio::WaitQueued(0, 1, 50);
    VirtualAudio::Advance(50);
    notices = Notices();
  }
  if (notices.empty()) notices = AwaitNotices();
  const Bytes played = VirtualAudio::Played(0);
  EXPECT_EQ(played, DataChunk(ReadFile(path)));
  EXPECT_EQ(VirtualAudio::LastFormat(0).nSamplesPerSec, 8000u);
  EXPECT_EQ(notices, (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_SUCCESSFUL, id}}));
  EXPECT_TRUE(Notices().empty());
}

TEST_F(MciTest, AFilmShowsEachPictureWhenTheClockReachesIt) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string path = ColourFilm();
  ASSERT_FALSE(path.empty());
  TestClock clock;
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(path, &id, MCI_ANIM_OPEN_WS | MCI_ANIM_OPEN_PARENT), 0u);
  HWND film = FindWindow(kMciVideoWindowClass, nullptr);
  ASSERT_NE(film, nullptr);
  EXPECT_FALSE(IsWindowVisible(film));
  RECT client;
  GetClientRect(film, &client);
  EXPECT_EQ(client.right, 32);
  EXPECT_EQ(client.bottom, 24);
  EXPECT_EQ(GetParent(film), window_);
  MCI_PLAY_PARMS play;
  play.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
  ASSERT_EQ(
      mciSendCommand(id, MCI_PLAY, MCI_NOTIFY | MCI_MCIAVI_PLAY_WINDOW, reinterpret_cast<DWORD_PTR>(&play)),
      0u);
  EXPECT_TRUE(IsWindowVisible(film));
  // The colour that dominates the middle of the picture.
  auto shown = [&] {
    const COLORREF c = GuiReadPixel(film, 16, 12);
    if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) return std::string("red");
    if (GetGValue(c) > 200 && GetRValue(c) < 60 && GetBValue(c) < 60) return std::string("green");
    if (GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60) return std::string("blue");
    return std::string("other");
  };
  std::vector<std::string> seen;
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(WaitForDrivenWaiters(1, 5000)) << frame << " " << Notices().size();
    seen.push_back(shown());
    EXPECT_TRUE(Notices().empty());
    clock.Advance(40);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"red", "green", "blue"}));
  EXPECT_EQ(AwaitNotices(), (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_SUCCESSFUL, id}}));
  // A repaint shows the last picture again.
  InvalidateRect(film, nullptr, TRUE);
  GuiPumpMessages();
  EXPECT_EQ(shown(), "blue");
}

TEST_F(MciTest, AFilmWhoseWindowGoesWithItsOwnerEndsInFailure) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string path = ColourFilm();
  ASSERT_FALSE(path.empty());
  TestClock clock;
  HWND owner =
      CreateWindowEx(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  MCI_ANIM_OPEN_PARMS open;
  open.lpstrElementName = path.c_str();
  open.dwStyle = WS_POPUP | WS_CAPTION;
  open.hWndParent = owner;
  ASSERT_EQ(mciSendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_ANIM_OPEN_WS | MCI_ANIM_OPEN_PARENT,
                           reinterpret_cast<DWORD_PTR>(&open)),
            0u);
  open_.push_back(open.wDeviceID);
  ASSERT_EQ(Play(open.wDeviceID), 0u);
  ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
  DestroyWindow(owner);
  EXPECT_EQ(FindWindow(kMciVideoWindowClass, nullptr), nullptr);
  EXPECT_EQ(Notices(), (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_FAILURE, open.wDeviceID}}));
  clock.Advance(200);
}

TEST_F(MciTest, StoppingOrPlayingAgainPaysTheNoticeOnce) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string path = folder_.File("long.wav");
  ASSERT_TRUE(Shell("sox -n -r 8000 -c 2 -b 16 " + path + " synth 5 sine 440"));
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(path, &id), 0u);
  ASSERT_EQ(Play(id), 0u);
  ASSERT_EQ(Play(id), 0u);  // the first play's notice is superseded
  EXPECT_EQ(Notices(), (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_SUPERSEDED, id}}));
  ASSERT_EQ(mciSendCommand(id, MCI_STOP, MCI_WAIT, 0), 0u);
  EXPECT_EQ(Notices(), (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_ABORTED, id}}));
  ASSERT_EQ(mciSendCommand(id, MCI_CLOSE, MCI_WAIT, 0), 0u);
  open_.clear();
  EXPECT_TRUE(Notices().empty());
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_EQ(mciSendCommand(id, MCI_PLAY, 0, 0), MCIERR_INVALID_DEVICE_ID);

  // A device opened next never takes the closed one's number.
  MCIDEVICEID again = 0;
  ASSERT_EQ(Open(path, &again), 0u);
  EXPECT_NE(again, id);
  ASSERT_EQ(Play(again), 0u);
  ASSERT_EQ(mciSendCommand(again, MCI_CLOSE, MCI_WAIT, 0), 0u);
  open_.clear();
  EXPECT_EQ(Notices(), (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_ABORTED, again}}));
}

TEST_F(MciTest, AMidiFilePlaysOnTheSequencersPort) {
  // A quarter note at 96 ticks, the tempo doubled before the note ends.
  const Bytes track = {0x00, 0x90, 60,   100,  0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x60, 0x80,
                       60,   0x00, 0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00};
  const std::string path = folder_.File("tune.mid");
  WriteFile(path, MidiFile(0, 96, {track}));
  mciSetSequencerPort(VirtualMidi::DeviceId());
  TestClock clock;
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(path, &id), 0u);
  ASSERT_EQ(Play(id), 0u);
  ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
  clock.Advance(1000);
  const std::vector<std::pair<WPARAM, LPARAM>> notices = AwaitNotices();
  const std::vector<VirtualMidiEvent> events = VirtualMidi::Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].bytes, (Bytes{0x90, 60, 100}));
  EXPECT_EQ(events[1].bytes, (Bytes{0x80, 60, 0}));
  EXPECT_EQ(events[1].timeUs, 250000u);
  EXPECT_EQ(events[2].bytes, (Bytes{0xF0, 0x7E, 0x01, 0xF7}));
  EXPECT_EQ(notices, (std::vector<std::pair<WPARAM, LPARAM>>{{MCI_NOTIFY_SUCCESSFUL, id}}));
}

TEST_F(MciTest, FilesNoDeviceCanPlayAreRefusedAtOpen) {
  const std::string garbage = folder_.File("noise.wav");
  WriteFile(garbage, Bytes(300, 0x5A));
  const std::string garbageMidi = folder_.File("noise.mid");
  WriteFile(garbageMidi, Bytes(300, 0x5A));
  const std::string film = folder_.File("take.mrv");
  WriteFile(film, Bytes(300, 0));
  struct Case {
    std::string path;
    DWORD flags;
    const char* type;
    MCIERROR want;
  };
  const Case cases[] = {
      {film, 0, nullptr, MCIERR_EXTENSION_NOT_FOUND},
      {folder_.File("missing.wav"), 0, nullptr, MCIERR_FILE_NOT_FOUND},
      {garbage, 0, nullptr, MCIERR_INVALID_FILE},
      {garbageMidi, 0, nullptr, MCIERR_INVALID_FILE},
      {folder_.File("dir.d/name"), 0, nullptr, MCIERR_EXTENSION_NOT_FOUND},
      {garbage, MCI_OPEN_TYPE, "cdaudio", MCIERR_INVALID_DEVICE_NAME},
  };
  for (const Case& c : cases) {
    MCI_OPEN_PARMS open;
    open.lpstrElementName = c.path.c_str();
    open.lpstrDeviceType = c.type;
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT | c.flags,
                             reinterpret_cast<DWORD_PTR>(&open)),
              c.want)
        << c.path;
  }
  MCI_OPEN_PARMS bare;
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&bare)),
            MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendCommand(1, 0x0899, 0, 0), MCIERR_UNRECOGNIZED_COMMAND);
}

// ---- The MIDI file reader ----

TEST(MidiFileTest, TracksMergeInTimeOrderAndBrokenOnesReadUpToTheBreak) {
  const Bytes first = {0x00, 0x90, 60, 100, 0x60, 62, 100, 0x00, 0xFF, 0x2F, 0x00};  // running status
  const Bytes second = {0x30, 0xC0, 5,    0x30, 0xFF, 0x51, 0x03, 0x07,
                        0xA1, 0x20, 0x00, 0xF7, 0x02, 0x01, 0x02};
  const Bytes broken = {0x10, 0xB0, 7, 100, 0x10, 0xB0, 7};  // the second message breaks off
  struct Case {
    const char* what;
    Bytes file;
    bool ok;
    std::vector<std::pair<uint64_t, uint32_t>> events;  // tick, value or tempo
  };
  const Case cases[] = {
      {"two tracks merge by tick",
       MidiFile(1, 96, {first, second}),
       true,
       {{0, 0x643C90}, {48, 0x05C0}, {96, 0x643E90}, {96, 500000}, {96, 0}}},
      {"a broken track keeps what came before", MidiFile(0, 480, {broken}), true, {{16, 0x6407B0}}},
      {"format 2 is not played", MidiFile(2, 96, {first}), false, {}},
      {"nor time-code divisions", MidiFile(0, 0xE728, {first}), false, {}},
      {"a header without tracks", MidiFile(0, 96, {}), false, {}},
      {"no header", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E', 0, 0}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    mci::MidiFileData data;
    ASSERT_EQ(mci::ParseMidiFile(c.file.data(), c.file.size(), &data), c.ok);
    if (!c.ok) continue;
    std::vector<std::pair<uint64_t, uint32_t>> got;
    for (const mci::MidiFileEvent& e : data.events) got.emplace_back(e.tick, e.value);
    EXPECT_EQ(got, c.events);
  }
  // The escaped message goes as it stands.
  mci::MidiFileData data;
  const Bytes file = MidiFile(1, 96, {first, second});
  ASSERT_TRUE(mci::ParseMidiFile(file.data(), file.size(), &data));
  EXPECT_EQ(data.events.back().kind, mci::MidiFileEvent::kLong);
  EXPECT_EQ(data.events.back().bytes, (Bytes{0x01, 0x02}));
  // Every cut of a file reads without harm.
  for (size_t n = 0; n < file.size(); ++n) mci::ParseMidiFile(file.data(), n, &data);
}

}  // namespace
