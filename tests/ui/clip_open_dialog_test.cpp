// The clip open dialog in the real chooser over files made by sox and
// ffmpeg: what it tells of each file, Add, the auto-preview setting, and
// previews heard on the virtual wave output and seen in the film window.
#include "ui/clip_open_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fake_shell.h"
#include "file_chooser_script.h"
#include "platform/audio/virtual_audio.h"
#include "platform/classlib/classlib.h"
#include "platform/core/time.h"
#include "platform/gui/common_dialogs/file_chooser_test_util.h"
#include "resources/clip_dialog_ids.h"

using namespace filetest;
using namespace file_chooser_test;

namespace {

using Bytes = std::vector<uint8_t>;

bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool HaveTools() {
  return Shell("command -v sox") && Shell("command -v ffmpeg");
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

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

// The chooser's panel (the dialog's own window).
HWND Panel(HWND chooser) {
  for (HWND c = GetWindow(chooser, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetDlgItem(c, kClipInfo) != nullptr) return c;
  }
  return nullptr;
}

// A window that keeps the files sent to it.
std::vector<std::string> g_added;
LRESULT AddTargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kAddFileRequest) {
    g_added.emplace_back(reinterpret_cast<const char*>(lParam));
    return 1;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND MakeAddTarget() {
  static bool registered = false;
  if (!registered) {
    WNDCLASS wc;
    wc.lpfnWndProc = AddTargetProc;
    wc.lpszClassName = "TestClipCollection";
    RegisterClass(&wc);
    registered = true;
  }
  return CreateWindowEx(0, "TestClipCollection", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                        nullptr);
}

// The colour in the middle of the film window.
std::string FilmColour() {
  HWND film = FindWindow(kMciVideoWindowClass, nullptr);
  if (film == nullptr || !IsWindowVisible(film)) return "none";
  const COLORREF c = GuiReadPixel(film, 16, 12);
  if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) return "red";
  if (GetGValue(c) > 200 && GetRValue(c) < 60 && GetBValue(c) < 60) return "green";
  if (GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60) return "blue";
  return "other";
}

// sox and ffmpeg make the media once for every test.
class ClipOpenDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TestFolder("kobrix-clips");
    const std::string d = folder_->path() + "/";
    made_ = HaveTools();
    if (!made_) return;
    Bytes raw;  // three pictures of 32 x 24: red, green, blue
    for (const Bytes& bgr : {Bytes{0, 0, 255}, Bytes{0, 255, 0}, Bytes{255, 0, 0}}) {
      for (int i = 0; i < 32 * 24; ++i) raw.insert(raw.end(), bgr.begin(), bgr.end());
    }
    WriteFile(d + "colours.raw", raw);
    const std::string pictures = " -f rawvideo -pix_fmt bgr24 -s 32x24 -r 25 -i " + d + "colours.raw ";
    made_ = Shell("sox -n -r 22050 -c 2 -b 16 " + d + "pcm.wav synth 1.5 sine 440") &&
            Shell("sox -n -r 8000 -c 1 -e u-law " + d + "ulaw.wav synth 0.5 sine 300") &&
            Shell("sox -n -r 22050 -c 1 -b 16 " + d + "tone.aif synth 0.2 sine 440") &&
            Shell("ffmpeg -v error -y" + pictures + "-c:v rawvideo -pix_fmt bgr24 " + d + "film.avi") &&
            Shell("ffmpeg -v error -y" + pictures + "-f lavfi -i sine=f=440:r=22050:d=0.12 -c:v rawvideo " +
                  "-pix_fmt bgr24 -c:a pcm_s16le -ac 1 -shortest " + d + "talk.avi");
    WriteFile(d + "noise.wav", Bytes(200, 0x5A));
    // A film whose header gives no time per frame.
    Bytes still = ReadFile(d + "film.avi");
    if (still.size() > 36 && std::memcmp(still.data() + 24, "avih", 4) == 0) {
      std::memset(still.data() + 32, 0, 4);
      WriteFile(d + "still.avi", still);
    }
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  void SetUp() override {
    if (!made_) GTEST_SKIP() << "sox and ffmpeg make the media";
    VirtualAudio::Reset();
    AutoPreview() = false;
    // All files, in the media folder.
    SetFileDialogsDirectory(File("x").c_str(), 4);
    GuiPumpMessages();
  }
  void TearDown() override {
    AutoPreview() = false;
    GuiPumpMessages();
  }

  static std::string File(const std::string& name) { return folder_->path() + "/" + name; }

  RecordsGuard guard_;
  RealChooser chooser_;
  FakeShell shell_;
  static TestFolder* folder_;
  static bool made_;
};

TestFolder* ClipOpenDialogTest::folder_ = nullptr;
bool ClipOpenDialogTest::made_ = false;

TEST_F(ClipOpenDialogTest, TheInformationTellsWhatEachFileHolds) {
  struct Case {
    const char* file;
    const char* text;
  };
  const Case cases[] = {
      {"pcm.wav", "\n\n\nAudio : Uncompressed\n22050 Hz, 16 bits, stereo\n\n00:00:01:500ms"},
      {"ulaw.wav", "\n\n\nAudio : Compressed\n8000 Hz, 8 bits, mono\n\n"},
      {"film.avi", "Video : Uncompressed\n25.000 fps, 32x24\n\nNo audio\n\n\n00:00:00:003frames"},
      {"talk.avi",
       "Video : Uncompressed\n25.000 fps, 32x24\n\nAudio : Uncompressed\n22050 Hz, 16 bits, mono\n\n"
       "00:00:00:003frames"},
      {"still.avi", "Video : Uncompressed\n32x24\n\nNo audio\n\n\n"},
      {"tone.aif", ""},
      {"noise.wav", ""},
  };
  std::vector<std::string> texts, status;
  Driver d([&](HWND dlg) {
    HWND panel = Panel(dlg);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(TextOf(dlg), "Open Clip");
    for (const Case& c : cases) {
      ASSERT_TRUE(ClickItem(dlg, c.file)) << c.file;
      texts.push_back(ItemOf(panel, kClipInfo));
      status.push_back(shell_.status.empty() ? "" : shell_.status.back());
    }
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(texts[i], cases[i].text) << cases[i].file;
    EXPECT_EQ(status[i], "Clip " + File(cases[i].file));
  }
}

TEST_F(ClipOpenDialogTest, TheSameFileSelectedAgainIsNotReadAgain) {
  TestClock clock;
  std::string first, again;
  Driver d([&](HWND dlg) {
    HWND panel = Panel(dlg);
    ASSERT_TRUE(ClickItem(dlg, "pcm.wav"));
    first = ItemOf(panel, kClipInfo);
    // The file changes; a second selection of it does not look again.
    std::filesystem::copy_file(File("ulaw.wav"), File("pcm.wav"),
                               std::filesystem::copy_options::overwrite_existing);
    clock.Advance(2000);  // no double click
    ASSERT_TRUE(ClickItem(dlg, "pcm.wav"));
    again = ItemOf(panel, kClipInfo);
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_EQ(again, first);
  // Put the tone back for the other tests.
  ASSERT_TRUE(Shell("sox -n -r 22050 -c 2 -b 16 " + File("pcm.wav") + " synth 1.5 sine 440"));
}

TEST_F(ClipOpenDialogTest, AddSendsTheSelectedFileAndIsHiddenWithoutATarget) {
  HWND target = MakeAddTarget();
  g_added.clear();
  bool shown = false, shownWithout = true;
  Driver d([&](HWND dlg) {
    HWND panel = Panel(dlg);
    shown = IsWindowVisible(GetDlgItem(panel, kClipAdd));
    ASSERT_TRUE(ClickItem(dlg, "talk.avi"));
    Press(panel, kClipAdd);
    ASSERT_TRUE(ClickItem(dlg, "pcm.wav"));
    Press(panel, kClipAdd);
    EXPECT_TRUE(Open(dlg));  // Add does not close the chooser
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, target));
  Driver without([&](HWND dlg) {
    shownWithout = IsWindowVisible(GetDlgItem(Panel(dlg), kClipAdd));
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_TRUE(shown);
  EXPECT_FALSE(shownWithout);
  EXPECT_EQ(g_added, (std::vector<std::string>{File("talk.avi"), File("pcm.wav")}));
  DestroyWindow(target);
}

TEST_F(ClipOpenDialogTest, AutoPreviewIsStoredOnlyWhenAFileIsChosen) {
  std::vector<bool> opened;
  auto run = [&](bool choose) {
    Driver d([&](HWND dlg) {
      HWND panel = Panel(dlg);
      opened.push_back(IsDlgButtonChecked(panel, kClipAutoPreview) == BST_CHECKED);
      Press(panel, kClipAutoPreview);
      if (!choose) {
        Key(dlg, VK_ESCAPE);
        return;
      }
      ASSERT_TRUE(ClickItem(dlg, "tone.aif"));
      Press(dlg, IDOK);
    });
    return AskOpenClip(nullptr, nullptr);
  };
  EXPECT_FALSE(run(false));
  EXPECT_FALSE(AutoPreview());
  EXPECT_TRUE(run(true));
  EXPECT_TRUE(AutoPreview());
  EXPECT_EQ(MediaFileData(kClipFiles).FileName, File("tone.aif"));
  EXPECT_EQ(opened, (std::vector<bool>{false, false}));
}

TEST_F(ClipOpenDialogTest, APreviewIsHeardToTheEndAndEndsWithOneNotice) {
  Bytes played;
  std::vector<std::string> status;
  Driver d([&](HWND dlg) {
    HWND panel = Panel(dlg);
    ASSERT_TRUE(ClickItem(dlg, "pcm.wav"));
    shell_.status.clear();
    Press(panel, kClipPreview);
    // The sound plays as the virtual device's clock moves; the notice ends it.
    for (int step = 0; step < 400 && !shell_.status.back().empty(); ++step) {
      VirtualAudio::WaitQueued(0, 1, 20);
      VirtualAudio::Advance(50);
      Pump(dlg);
    }
    status = shell_.status;
    EXPECT_FALSE(VirtualAudio::IsOpen(0));  // the device closed at the notice
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_EQ(VirtualAudio::Played(0), DataChunk(ReadFile(File("pcm.wav"))));
  EXPECT_EQ(status, (std::vector<std::string>{"Previewing clip " + File("pcm.wav"), ""}));
}

TEST_F(ClipOpenDialogTest, AFilmPreviewShowsItsPicturesInItsWindow) {
  TestClock clock;
  std::vector<std::string> seen;
  Driver d([&](HWND dlg) {
    HWND panel = Panel(dlg);
    ASSERT_TRUE(ClickItem(dlg, "film.avi"));
    Press(panel, kClipPreview);
    ASSERT_NE(FindWindow(kMciVideoWindowClass, nullptr), nullptr);
    for (int frame = 0; frame < 3; ++frame) {
      ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
      seen.push_back(FilmColour());
      clock.Advance(40);
    }
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_EQ(seen, (std::vector<std::string>{"red", "green", "blue"}));
  EXPECT_EQ(FindWindow(kMciVideoWindowClass, nullptr), nullptr);  // gone with the chooser
}

TEST_F(ClipOpenDialogTest, WithAutoPreviewEachSelectionStopsTheLastAndLateNoticesChangeNothing) {
  AutoPreview() = true;
  TestClock clock;
  std::vector<std::string> colours;
  bool soundOpen = true, stillPlaying = false;
  Driver d([&](HWND dlg) {
    ASSERT_TRUE(ClickItem(dlg, "pcm.wav"));
    EXPECT_TRUE(VirtualAudio::IsOpen(0));
    ASSERT_TRUE(ClickItem(dlg, "film.avi"));
    soundOpen = VirtualAudio::IsOpen(0);
    // The sound's aborted notice comes now, after the film began.
    Pump(dlg);
    ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
    colours.push_back(FilmColour());
    clock.Advance(40);
    ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
    colours.push_back(FilmColour());
    stillPlaying = shell_.status.back() == "Previewing clip " + File("film.avi");
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_FALSE(soundOpen);
  EXPECT_EQ(colours, (std::vector<std::string>{"red", "green"}));
  EXPECT_TRUE(stillPlaying);
}

TEST_F(ClipOpenDialogTest, AFileThatCannotPlayIsToldInTheStatusBar) {
  std::string status, text;
  Driver d([&](HWND dlg) {
    HWND panel = Panel(dlg);
    ASSERT_TRUE(ClickItem(dlg, "noise.wav"));
    Press(panel, kClipPreview);
    status = shell_.status.back();
    text = ItemOf(panel, kClipInfo);
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_EQ(status, "Can not preview clip " + File("noise.wav"));
  EXPECT_EQ(text, "");
}

TEST_F(ClipOpenDialogTest, OnlyANoticeOfThePlayNowOpenEndsIt) {
  HWND window =
      CreateWindowEx(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  MCIPlay player(window);
  ASSERT_TRUE(player.Play(File("pcm.wav").c_str(), 2));
  const MCIDEVICEID now = player.Device();
  struct Case {
    WPARAM flags;
    MCIDEVICEID from;
    bool ends;
  };
  const Case cases[] = {
      {MCI_NOTIFY_ABORTED, now - 1, false}, {MCI_NOTIFY_SUPERSEDED, now - 1, false},
      {MCI_NOTIFY_FAILURE, now + 7, false}, {MCI_NOTIFY_SUCCESSFUL, now + 7, false},
      {MCI_NOTIFY_SUPERSEDED, now, false},  {MCI_NOTIFY_FAILURE, now, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(player.Notify(c.flags, c.from), c.ends) << c.flags << " from " << c.from;
    EXPECT_EQ(player.Device() == now, !c.ends);
    EXPECT_EQ(VirtualAudio::IsOpen(0), !c.ends);
  }
  EXPECT_FALSE(player.Notify(MCI_NOTIFY_SUCCESSFUL, now));  // nothing is open now
  DestroyWindow(window);
  GuiPumpMessages();
}

TEST(ClipKindTest, TheKindComesFromTheFirstFourCharactersOfTheExtension) {
  const std::pair<const char*, int> cases[] = {
      {"/m/a.wav", 2},     {"/m/a.WAVE", 2}, {"/m/a.aif", 2},    {"/m/a.afc", 2},      {"/m/a.mid", 4},
      {"/m/a.avi", 1},     {"/m/a.Mov", 1},  {"/m/a.mrv", 0},    {"/m/a.mp3", -1},     {"/m/a", -1},
      {"/m.wav/clip", -1}, {"C:a.wav", 2},   {"C:\\m.x\\a", -1}, {"/m/a.wav.txt", -1},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(ClipKind(path), kind) << path;
}

}  // namespace
