// The MIDI player with a recording tool library: the commands it issues,
// what a failing command does, and the tool libraries' sharing and errors.
#include <gtest/gtest.h>

#include <new>

#include "audio/tool_dll.h"
#include "fake_tool/fake_tool.h"
#include "midi_player_fixture.h"
#include "platform/gui/controls/combobox.h"
#include "platform/gui/user.h"

// The next allocation without exceptions fails: how a test meets a full memory.
namespace {
bool g_failNextNothrowNew = false;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_failNextNothrowNew) {
    g_failNextNothrowNew = false;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

constexpr MMRESULT kFailure = MMSYSERR_NOMEM;

std::string ErrorText(MMRESULT code) {
  char text[MAXERRORLENGTH];
  midiOutGetErrorText(code, text, sizeof text);
  return text;
}

class MidiPlayerTest : public MidiPlayerFixture {
 protected:
  ToolDLL* FakeTool() {
    ToolDLL* tool = ToolDLL::GetOrLoad("KXFAKETOOL.DLL", "KXFAKETOOL.DLL", "KXFAKETOOL.DLL", nullptr);
    if (tool != nullptr) tool->Call(kFakeToolAttach, &script_);
    return tool;
  }
  std::vector<int> TakeCommands() {
    std::vector<int> c = script_.Commands();
    script_.calls.clear();
    return c;
  }
  FakeToolScript script_;
};

TEST_F(MidiPlayerTest, PrepareStartAndStopIssueTheirCommands) {
  MidiData* song = File(NoteEverySecond(1), "one.mid");
  ASSERT_NE(song, nullptr);
  AddFilm(song, 0, 500, 0);
  ToolDLL* tool = FakeTool();
  ASSERT_NE(tool, nullptr);
  MidiPlayer player(tool);
  ASSERT_TRUE(player.IsUsable());
  ASSERT_EQ(player.GetState(), MidiPlayer::kReady);

  ASSERT_TRUE(player.Prepare(films_.First(), 0, 1000, owner_, 512));
  EXPECT_EQ(player.GetState(), MidiPlayer::kPrepared);
  // Open, two buffers prepared, division and tempo, one buffer holds it all.
  ASSERT_EQ(script_.Commands(), (std::vector<int>{0, 2, 2, 9, 10, 4}));
  EXPECT_EQ(script_.calls[0].deviceId, static_cast<int32_t>(VirtualMidi::DeviceId()));
  EXPECT_EQ(script_.calls[0].window, owner_);
  EXPECT_EQ(script_.calls[3].value, 96u);
  EXPECT_EQ(script_.calls[4].value, 500000u);
  const std::vector<uint8_t>& queued = script_.calls[5].bytes;
  EXPECT_EQ(
      ReadRecords(queued.data(), queued.size()),
      (std::vector<StreamRecord>{{0, 0, ShortEvent(0x90, 60, 100), {}}, {96, 0, ShortEvent(0x80, 60), {}}}));
  script_.calls.clear();

  player.Start();
  EXPECT_EQ(TakeCommands(), (std::vector<int>{5}));
  EXPECT_EQ(player.GetState(), MidiPlayer::kPlaying);
  script_.position = 250;
  EXPECT_EQ(player.GetPosition(), 250);
  // A second play is refused while this one runs.
  EXPECT_FALSE(player.Prepare(films_.First(), 0, 1000, owner_, 512));
  TakeCommands();

  player.Stop();
  EXPECT_EQ(TakeCommands(), (std::vector<int>{6, 3, 3, 1}));
  EXPECT_EQ(player.GetState(), MidiPlayer::kReady);
  EXPECT_EQ(player.GetPosition(), -1);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MidiPlayerTest, ARangeWithoutAMidiFilmIsRefusedWithoutADevice) {
  MidiData* song = File(NoteEverySecond(2), "two.mid");
  ASSERT_NE(song, nullptr);
  AddFilm(song, 5000, 7000, 0);
  MidiPlayer player(FakeTool());
  EXPECT_FALSE(player.Prepare(films_.First(), 0, 5000, owner_, 512));     // ends where the film starts
  EXPECT_FALSE(player.Prepare(films_.First(), 7000, 9000, owner_, 512));  // starts where it ends
  EXPECT_TRUE(script_.calls.empty());
}

TEST_F(MidiPlayerTest, AFailingCommandShowsItsCaptionAndRefuses) {
  struct Case {
    int command;
    const char* caption;
    std::vector<int> prepare, start, stop;
    int32_t stateAfterStart;
  };
  const Case cases[] = {
      {0, "midiStreamOpen", {0}, {}, {}, MidiPlayer::kReady},
      {2, "midiOutPrepareHeader", {0, 2, 1}, {}, {}, MidiPlayer::kReady},
      {9, "midiStreamProperty", {0, 2, 2, 9, 3, 3, 1}, {}, {}, MidiPlayer::kReady},
      {10, "midiStreamProperty", {0, 2, 2, 9, 10, 3, 3, 1}, {}, {}, MidiPlayer::kReady},
      {4, "midiStreamOut", {0, 2, 2, 9, 10, 4, 3, 3, 1}, {}, {}, MidiPlayer::kReady},
      {5, "midiStreamRestart", {0, 2, 2, 9, 10, 4}, {5, 3, 3, 1}, {}, MidiPlayer::kNoStream},
      // A failed stop still gives the device back.
      {6, "midiStreamStop", {0, 2, 2, 9, 10, 4}, {5}, {6, 3, 3, 1}, MidiPlayer::kPlaying},
  };
  MidiData* song = File(NoteEverySecond(1), "one.mid");
  ASSERT_NE(song, nullptr);
  AddFilm(song, 0, 500, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption + std::string(" ") + std::to_string(c.command));
    script_ = FakeToolScript{};
    script_.failCommand = c.command;
    script_.failResult = static_cast<int>(kFailure);
    boxes_.shown.clear();
    MidiPlayer player(FakeTool());
    const bool prepared = player.Prepare(films_.First(), 0, 1000, owner_, 512);
    EXPECT_EQ(prepared, c.start.size() > 0);
    EXPECT_EQ(TakeCommands(), c.prepare);
    if (prepared) {
      player.Start();
      EXPECT_EQ(TakeCommands(), c.start);
      EXPECT_EQ(player.GetState(), c.stateAfterStart);
      player.Stop();
      EXPECT_EQ(TakeCommands(), c.stop);
    }
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].caption, c.caption);
    EXPECT_EQ(boxes_.shown[0].text, ErrorText(kFailure));
    EXPECT_EQ(boxes_.shown[0].flags & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
  }
}

TEST_F(MidiPlayerTest, WithoutAToolTheLineIsSilentAndTheSettingsStay) {
  IniSetSection("MIDI");
  IniWriteInt("TIMEPERIOD", 7);
  MidiData* song = File(NoteEverySecond(1), "one.mid");
  ASSERT_NE(song, nullptr);
  AddFilm(song, 0, 500, 0);
  {
    MidiPlayer player(nullptr);
    EXPECT_EQ(player.GetState(), MidiPlayer::kNoStream);
    EXPECT_FALSE(player.IsUsable());
    EXPECT_FALSE(player.Prepare(films_.First(), 0, 1000, owner_, 512));
    EXPECT_EQ(player.GetPosition(), -1);
    player.Start();
    player.Stop();
    EXPECT_EQ(player.GetState(), MidiPlayer::kNoStream);
  }
  IniSetSection("MIDI");
  EXPECT_EQ(IniReadInt("TIMEPERIOD", 0), 7);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MidiPlayerTest, ToolLibrariesAreSharedByNameOrGiveTheirError) {
  int error = -1;
  ToolDLL* a = ToolDLL::GetOrLoad("", "", "KXFAKETOOL.DLL", nullptr, "Tools", &error);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(error, 0);
  ToolDLL* b = ToolDLL::GetOrLoad("", "", "KXFAKETOOL.DLL", nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->GetReferences(), 2);
  b->Release();
  EXPECT_EQ(a->GetReferences(), 1);
  EXPECT_EQ(a->Call(kFakeToolAttach, &script_), 0);
  EXPECT_TRUE(boxes_.shown.empty());

  struct Case {
    const char* name;
    bool failAllocation;
    int error;
    const char* caption;
    const char* text;
  };
  const Case cases[] = {
      {"NOSUCH.DLL", false, 17, "Loading midi stream DLL", "Unable to load library NOSUCH.DLL"},
      {"KXNOENTRY.DLL", false, 6, "Tools", "File 'KXNOENTRY.DLL' has invalid format"},
      {"KXNOENTRY.DLL", true, 2, "Tools", "Not enough memory (276 bytes)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    boxes_.shown.clear();
    g_failNextNothrowNew = c.failAllocation;
    EXPECT_EQ(ToolDLL::GetOrLoad("", "", c.name, nullptr, "Tools", &error), nullptr);
    g_failNextNothrowNew = false;
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].caption, c.caption);
    EXPECT_EQ(boxes_.shown[0].text, c.text);
  }
  EXPECT_EQ(ToolDLL::GetOrLoad("", "", "", nullptr, "Tools", &error), nullptr);
  a->Release();
}

TEST_F(MidiPlayerTest, TheDeviceListOffersStreamDevicesAndMapsBackTheMapper) {
  VirtualMidi::Reset({"Virtual One", "Virtual Two"});
  IniSetSection("MIDI");
  IniWriteInt("MIDIID", static_cast<int>(VirtualMidi::DeviceId(1)));
  MidiPlayer player(FakeTool());
  HWND combo = CreateWindowEx(0, WC_COMBOBOX, "", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 200, 200, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(combo, nullptr);
  player.FillDeviceList(combo);

  // What this machine has: the synthesiser (and the mapper with it) where a
  // sound font is installed, the two virtual devices, the sequencer's ports.
  std::vector<std::string> expected;
  MIDIOUTCAPS caps;
  if (midiOutGetDevCaps(MIDI_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR)
    expected.push_back("MIDI Mapper");
  for (UINT i = 0; i < midiOutGetNumDevs(); ++i) {
    ASSERT_EQ(midiOutGetDevCaps(i, &caps, sizeof caps), MMSYSERR_NOERROR);
    expected.push_back(caps.szPname);
  }
  std::vector<std::string> listed;
  const int count = static_cast<int>(SendMessage(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    listed.push_back(text);
  }
  EXPECT_EQ(listed, expected);
  const bool synth = !expected.empty() && expected[0] == "MIDI Mapper";
  if (synth) {
    EXPECT_EQ(expected[1], "Kobrix GM Synthesiser");
  }
  const int second = synth ? 3 : 1;
  EXPECT_EQ(listed[static_cast<std::size_t>(second)], "Virtual Two");
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), second);

  player.SelectDevice(second - 1);
  EXPECT_EQ(player.GetDeviceId(), static_cast<int32_t>(VirtualMidi::DeviceId(0)));
  if (synth) {
    player.SelectDevice(0);
    EXPECT_EQ(player.GetDeviceId(), -1);
    EXPECT_TRUE(player.IsUsable());
  }
  DestroyWindow(combo);
}

}  // namespace
