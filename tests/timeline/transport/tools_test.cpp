// The Tools menu: which file each tool gets, how the command line carries
// it, where the tool starts, what a failed start does, and the menu's free
// tools. The tools are a script that writes down its folder and arguments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/audio_player.h"
#include "model/te_window.h"
#include "platform/core/process.h"
#include "resources/setup_dialog_ids.h"
#include "support/file_bytes.h"
#include "transport_fixture.h"
#include "ui/dialog_script.h"

namespace transporttest {
namespace {

using ::testing::ElementsAre;

class ToolsTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    tool_ = FilePath("tool.sh");
    WriteFileText(tool_,
                  "#!/bin/sh\n"
                  "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$KOBRIX_TOOL_LOG.part\"\n"
                  "mv \"$KOBRIX_TOOL_LOG.part\" \"$KOBRIX_TOOL_LOG\"\n");
    std::filesystem::permissions(tool_, std::filesystem::perms::owner_all);
    folder_ = FilePath("my clips");
    std::filesystem::create_directories(folder_);
  }

  // What the tool wrote: its folder, then one line per argument; empty when
  // it did not run.
  std::vector<std::string> Run(int id, const char* file = nullptr) {
    std::filesystem::remove(log_);
    window_->LaunchTool(id, file);
    std::vector<std::string> lines;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(log_) && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // A grouped clip over a source of each kind named.
  Film* GroupedClip(const char* video, const char* midi, const char* audio, int32_t start) {
    filmtest::FakeMidi* m = midi ? Midi(folder_ + "/" + midi, 600000) : nullptr;
    filmtest::FakeClip clip(video ? filmtest::FilmTest::Video(folder_ + "/" + video, 600000) : nullptr,
                            audio ? Audio(folder_ + "/" + audio, 600000) : nullptr, m, 0, 1000, 1000);
    Film* f = Place(new Film(clip, start, kKindVideo | kKindAudio | kKindMidi, 0, 0));
    // A clip made from a file takes its sound or its MIDI; one may hold both.
    if (m != nullptr && f->midi == nullptr) {
      m->AddRef();
      f->midi = m;
    }
    f->group = 1;
    return f;
  }
  void Configure(char* path) { std::snprintf(path, MAX_PATH, "%s", tool_.c_str()); }
  bool Minimized() { return IsIconic(frame_->GetHandle()) != 0; }

  std::string tool_, folder_;
  std::string log_ = FilePath("tool.log");
  ScopedEnv logName_{"KOBRIX_TOOL_LOG", log_};
};

TEST_F(ToolsTest, TheAudioEditorGetsTheClipsFileQuotedAndStartsInItsFolder) {
  OpenTransport();
  Configure(window_->Settings().audioEditor);
  GroupedClip(nullptr, nullptr, "take one.wav", 0);
  EXPECT_THAT(Run(kCmAudioEditor), ElementsAre(folder_, folder_ + "/take one.wav"));
  // The program let go of the file and stepped aside for the tool.
  EXPECT_EQ(std::string(ReleasedFileName()), folder_ + "/take one.wav");
  EXPECT_TRUE(Minimized());
  ReacquireFiles(window_->GetHandle(), false);
  EXPECT_FALSE(Minimized());
  EXPECT_EQ(host_.autosaves, 1);

  // A file given by a line window, with quotes in its name.
  const std::string odd = folder_ + "/say \"hi\".wav";
  EXPECT_THAT(Run(kCmAudioEditor, odd.c_str()), ElementsAre(folder_, odd));
  ReacquireFiles(window_->GetHandle(), false);
}

// The first clip of a selection group gives its pictures' file, else its
// MIDI file, else its sound's.
TEST_F(ToolsTest, TheFirstGroupedClipGivesVideoElseMidiElseAudio) {
  OpenTransport();
  Configure(window_->Settings().videoEditor);
  SoundClip(0, 0, 500);  // in no group
  struct Case {
    const char *video, *midi, *audio, *expected;
  } cases[] = {{"pic.avi", "tune.mid", "snd.wav", "pic.avi"},
               {nullptr, "tune.mid", "snd.wav", "tune.mid"},
               {nullptr, nullptr, "snd.wav", "snd.wav"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Film* f = GroupedClip(c.video, c.midi, c.audio, 1000);
    EXPECT_THAT(Run(kCmVideoEditor), ElementsAre(folder_, folder_ + "/" + c.expected));
    ReacquireFiles(window_->GetHandle(), false);
    Film::Unlink(f, FilmList);
    delete f;
  }
}

// The volume control never gets a file; a free tool only with its add-clip
// switch. Without a file the tool starts in the program's folder.
TEST_F(ToolsTest, TheVolumeControlNeverGetsAFileAFreeToolOnlyWhenAsked) {
  OpenTransport();
  TimeLineSettings& s = window_->Settings();
  Configure(s.mixer);
  Configure(s.tools[2].path);
  GroupedClip(nullptr, nullptr, "snd.wav", 0);
  const std::string here = std::filesystem::current_path().string();
  EXPECT_THAT(Run(kCmVolumeControl), ElementsAre(here));
  EXPECT_THAT(Run(kCmTool1 + 2), ElementsAre(here));
  EXPECT_FALSE(Minimized());
  s.tools[2].addClip = true;
  EXPECT_THAT(Run(kCmTool1 + 2), ElementsAre(folder_, folder_ + "/snd.wav"));
  ReacquireFiles(window_->GetHandle(), false);
}

TEST_F(ToolsTest, ALongPathGoesWholeOnTheCommandLine) {
  OpenTransport();
  Configure(window_->Settings().audioEditor);
  const std::string path = PathOfLength(400, "a long take.wav");
  const std::string folder = path.substr(0, path.rfind('/'));
  EXPECT_THAT(Run(kCmAudioEditor, path.c_str()), ElementsAre(folder, path));
}

// A tool that does not start: the files come back and the user is told
// with the whole command line.
TEST_F(ToolsTest, AToolThatCannotStartIsReportedAndTheFilesComeBack) {
  OpenTransport();
  std::snprintf(window_->Settings().audioEditor, MAX_PATH, "%s", "/nowhere/editor");
  GroupedClip(nullptr, nullptr, "snd.wav", 0);
  window_->LaunchTool(kCmAudioEditor, nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Launch external application");
  EXPECT_EQ(boxes.boxes[0].text, "Can not launch\n\"/nowhere/editor\" \"" + folder_ + "/snd.wav\"");
  EXPECT_TRUE(boxes.boxes[0].flags & MB_ICONHAND);
  EXPECT_FALSE(Minimized());
  EXPECT_STREQ(ReleasedFileName(), "");

  // Without a volume-control server the volume control has nothing to open.
  boxes.boxes.clear();
  std::snprintf(window_->Settings().mixer, MAX_PATH, "%s", "SndVol32.exe");
  window_->LaunchTool(kCmVolumeControl, nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Can not launch\n\"SndVol32.exe\"");
}

// The volume control and the sound recorder a settings file names by
// another system's programs are the program's own mixer and recorder.
TEST_F(ToolsTest, AnotherSystemsVolumeControlAndRecorderAreTheProgramsOwn) {
  struct Server : VolumeServer {
    LONG Start(LONG) override { return 0; }
    void Stop() override {}
    void ShowMixer() override { ++shown; }
    int shown = 0;
  } server;
  VolumeServer* before = TheMixerServer;
  TheMixerServer = &server;
  OpenTransport();
  // The stock settings.
  EXPECT_STREQ(window_->Settings().mixer, "SndVol32.exe");
  EXPECT_STREQ(window_->Settings().tools[0].path, "SndRec32.exe");
  Command(kCmVolumeControl);
  EXPECT_EQ(server.shown, 1);
  Command(kCmTool1);
  EXPECT_EQ(host_.recordings, 1);
  // Any folder and any case: a file carried over from the other system.
  std::snprintf(window_->Settings().tools[2].path, MAX_PATH, "%s", "C:\\WINDOWS\\sndrec32.EXE");
  host_.recording = false;
  window_->LaunchTool(kCmTool1 + 2, nullptr);
  EXPECT_EQ(host_.recordings, 2);
  EXPECT_TRUE(boxes.boxes.empty());
  TheMixerServer = before;
}

// The other system's calculator is the first one this machine has; with
// none the tool is left out of the menu.
TEST_F(ToolsTest, AnotherSystemsCalculatorIsTheFirstOneInstalled) {
  const std::string bin = FilePath("bin");
  std::filesystem::create_directories(bin);
  for (const char* name : {"xcalc", "galculator"}) {
    std::filesystem::copy_file(tool_, bin + "/" + name);
    std::filesystem::permissions(bin + "/" + name, std::filesystem::perms::owner_all);
  }
  {
    ScopedEnv path("PATH", bin);
    OpenTransport();
  }
  EXPECT_EQ(std::string(window_->Settings().tools[4].path), bin + "/galculator");
  EXPECT_STREQ(window_->Settings().tools[4].name, "Calculator");
  EXPECT_THAT(Run(kCmTool1 + 4), ElementsAre(::testing::_));
  // Closing stores the found path; a file from the other system names the
  // calculator again.
  Close();
  Ini("TOOLS", "TOOL5_PATH", "calc.exe");
  ScopedEnv path("PATH", FilePath("empty"));
  OpenTransport();
  EXPECT_STREQ(window_->Settings().tools[4].path, "");
  for (int i = 0; i < GetMenuItemCount(Frame().Popup(5)); ++i)
    EXPECT_NE(GetMenuItemID(Frame().Popup(5), i), static_cast<UINT>(kCmTool1 + 4));
}

TEST_F(ToolsTest, ToolsAreOfferedWhenConfiguredAndNeverWhilePlaying) {
  OpenTransport();
  TimeLineSettings& s = window_->Settings();
  s.mixer[0] = '\0';
  Configure(s.midiEditor);
  Configure(s.tools[4].path);
  s.tools[0].path[0] = '\0';
  std::vector<int> enabled;
  for (int id = kCmVolumeControl; id <= kCmTool1 + 4; ++id) {
    if (Enabled(id)) enabled.push_back(id);
  }
  EXPECT_THAT(enabled, ElementsAre(kCmMidiEditor, kCmTool1 + 4));
  SoundClip(0, 0, 4000);
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  for (int id = kCmVolumeControl; id <= kCmTool1 + 4; ++id) EXPECT_FALSE(Enabled(id)) << id;
}

// Labels of the Tools popup from a position on.
std::vector<std::pair<UINT, std::string>> Items(HMENU menu, int from) {
  std::vector<std::pair<UINT, std::string>> items;
  for (int i = from; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    items.emplace_back(GetMenuItemID(menu, i), text);
  }
  return items;
}

// Tools 1, 3 and 5 follow the fixed items in order; one without a name is
// there with an empty label.
TEST_F(ToolsTest, TheMenuListsTheConfiguredFreeToolsInOrder) {
  Ini("TOOLS", "TOOL1_PATH", "/opt/one");
  Ini("TOOLS", "TOOL1_NAME", "One");
  Ini("TOOLS", "TOOL3_PATH", "/opt/three");
  Ini("TOOLS", "TOOL3_NAME", "");
  Ini("TOOLS", "TOOL5_PATH", "/opt/five");
  Ini("TOOLS", "TOOL5_NAME", "Five");
  OpenTransport();
  using Item = std::pair<UINT, std::string>;
  EXPECT_THAT(Items(Frame().Popup(5), 4),
              ElementsAre(Item{0, ""}, Item{kCmTool1, "One"}, Item{kCmTool1 + 2, ""},
                          Item{kCmTool1 + 4, "Five"}, Item{0, ""}, Item{kCmConfigureTools, "Con&figure..."}));
}

// Configure edits every tool in its dialog and the menu follows; while
// playing it only says why not.
TEST_F(ToolsTest, ConfigureEditsTheToolsAndTheMenuFollows) {
  OpenTransport();
  std::string shownVolume;
  dialogtest::ModalScript script({[&](HWND d) {
    shownVolume = dialogtest::ItemText(d, kToolVolumePath);
    SetWindowText(GetDlgItem(d, ToolExtraPath(1)), "/opt/two");
    SetWindowText(GetDlgItem(d, ToolExtraName(1)), "Two");
    SetWindowText(GetDlgItem(d, ToolExtraPath(4)), "");
    dialogtest::Click(d, IDOK);
  }});
  Command(kCmConfigureTools);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(shownVolume, "SndVol32.exe");
  EXPECT_STREQ(window_->Settings().tools[1].path, "/opt/two");
  EXPECT_STREQ(window_->Settings().tools[1].name, "Two");
  using Item = std::pair<UINT, std::string>;
  EXPECT_THAT(Items(Frame().Popup(5), 5), ElementsAre(Item{kCmTool1, "Recorder"}, Item{kCmTool1 + 1, "Two"},
                                                      Item{0, ""}, Item{kCmConfigureTools, "Con&figure..."}));

  SoundClip(0, 0, 4000);
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  dialogtest::ModalScript none({});
  Command(kCmConfigureTools);
  EXPECT_EQ(none.shown, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Configure external applications");
  EXPECT_EQ(boxes.boxes[0].text, "The project is currently playing");
}

}  // namespace
}  // namespace transporttest
