// The project frame as the user drives it: start-up, the file commands,
// recent files, captions, drops and the close.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "program_fixture.h"
#include "app/command_line.h"

#include "audio/audio_player.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/time_code.h"
#include "platform/core/paths.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"

namespace apptest {
namespace {

class ProjectFrame : public ProgramTest {
 protected:
  std::string Caption() {
    char text[512] = {};
    ::GetWindowText(Frame().GetHandle(), text, sizeof(text));
    return text;
  }
  // The recent files' items of the File menu, in order.
  std::vector<std::string> RecentItems() {
    std::vector<std::string> items;
    HMENU file = ::GetSubMenu(::GetMenu(Frame().GetHandle()), 0);
    for (int id = kCmRecentFile1; id <= kCmRecentFile4; ++id) {
      char text[300] = {};
      if (::GetMenuString(file, static_cast<UINT>(id), text, sizeof(text), MF_BYCOMMAND) > 0) items.push_back(text);
    }
    return items;
  }
  void Command(int id) {
    Frame().SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    Pump();
  }
  // A saved project of the tone, closed again.
  std::string SavedProject(const std::string& name) {
    if (!std::filesystem::exists(File("tone.wav"))) WriteTone(File("tone.wav"), 1000);
    MakeProject(File(name), {File("tone.wav")});
    Command(kCmCloseProject);
    return File(name);
  }
};

TEST_F(ProjectFrame, StartUpPlacesTheFrameAndShowsAnUntitledProject) {
  IniSetSection("MAIN_WINDOW");
  IniWriteInt("X", 30);
  IniWriteInt("Y", 40);
  IniWriteInt("W", 900);
  IniWriteInt("H", 600);
  Start();
  RECT r;
  ::GetWindowRect(Frame().GetHandle(), &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(Caption(), "Velmora AV Studio - Untitled");
  EXPECT_FALSE(TimeLine().Engine().IsModified());
  EXPECT_TRUE(boxes_->shown.empty() || boxes_->shown[0].caption != "Kobrix Starting");
  // Request 1 gives its argument back; an unknown one answers 0.
  EXPECT_EQ(Frame().SendMessage(kFrameRequestMessage, kFrameRequestValue, 4321), 4321);
  EXPECT_EQ(Frame().SendMessage(kFrameRequestMessage, 77, 1), 0);
}

TEST_F(ProjectFrame, ALeftAutosaveIsOfferedOnceAndComesBackUntitledAndModified) {
  Start();
  WriteTone(File("tone.wav"), 1000);
  MakeProject(File("work.tml"), {File("tone.wav")});
  // As an autosave writes it: no project folder, so every path is whole.
  ASSERT_TRUE(TimeLine().SaveProject(PathJoin(SoundFolder(), "autosave.tml").c_str(), "", nullptr));
  Stop();

  boxes_->answer = IDYES;
  Start();
  int asked = 0;
  for (const auto& box : boxes_->shown) asked += box.caption == "Kobrix Starting";
  EXPECT_EQ(asked, 1);
  EXPECT_NE(FilmList.First(), nullptr);
  EXPECT_TRUE(TimeLine().Engine().IsModified());
  EXPECT_STREQ(Frame().ProjectName(), "");
  EXPECT_EQ(Caption(), "Velmora AV Studio * Untitled");
  // The autosave never enters the recent files.
  for (const std::string& item : RecentItems()) EXPECT_EQ(item.find("autosave"), std::string::npos) << item;
}

TEST_F(ProjectFrame, ACommandLineRunSkipsTheAutosaveQuestion) {
  std::ofstream(PathJoin(SoundFolder(), "autosave.tml")) << "left";
  Start(kModePlay, "");
  for (const auto& box : boxes_->shown) EXPECT_NE(box.caption, "Kobrix Starting");
}

TEST_F(ProjectFrame, RecentFilesMoveToTheFront) {
  Start();
  const std::string a = SavedProject("a.tml"), b = SavedProject("b.tml"), c = SavedProject("c.tml");
  EXPECT_EQ(RecentItems(), (std::vector<std::string>{"&1 c.tml", "&2 b.tml", "&3 a.tml"}));
  Frame().OpenProjectFile(c.c_str());
  EXPECT_EQ(RecentItems(), (std::vector<std::string>{"&1 c.tml", "&2 b.tml", "&3 a.tml"}));
  // The third comes to the front through its menu item.
  Command(kCmRecentFile1 + 2);
  EXPECT_STREQ(Frame().ProjectName(), a.c_str());
  EXPECT_EQ(RecentItems(), (std::vector<std::string>{"&1 a.tml", "&2 c.tml", "&3 b.tml"}));
  // The same name in capitals is another file; the autosave's name never enters.
  Frame().AddRecentFile(File("AUTOSAVE.TML").c_str());
  Frame().AddRecentFile(File("autosave.tml").c_str());
  EXPECT_EQ(RecentItems(), (std::vector<std::string>{"&1 AUTOSAVE.TML", "&2 a.tml", "&3 c.tml", "&4 b.tml"}));
}

TEST_F(ProjectFrame, CaptionShowsThePathAsNamedAndTheModifiedMark) {
  Start();
  WriteTone(File("Tone.wav"), 1000);
  std::filesystem::create_directory(File("MixCase"));
  const std::string project = File("MixCase/Core.tml");
  MakeProject(project, {File("Tone.wav")});
  // Beside it, the same name in lower case is another project.
  std::filesystem::create_directory(File("mixcase"));
  MakeProject(File("mixcase/core.tml"), {});
  Command(kCmCloseProject);
  chooser_->answers.push_back({ChooserResult::kOk, project, 1});
  Command(kCmOpenProject);
  EXPECT_STREQ(Frame().ProjectName(), project.c_str());
  EXPECT_EQ(Caption(), "Velmora AV Studio - " + project);
  TimeLine().Engine().SetModified(true);
  EXPECT_EQ(Caption(), "Velmora AV Studio * " + project);
  // Too wide for the frame: the file's name alone.
  ::SetWindowPos(Frame().GetHandle(), nullptr, 0, 0, 200, 300, SWP_NOMOVE | SWP_NOZORDER);
  Frame().SetCaption(Frame().ProjectName(), true);
  EXPECT_EQ(Caption(), "Velmora AV Studio * Core.tml");
}

TEST_F(ProjectFrame, AFailedSaveKeepsTheOldFileAndTheModifiedMark) {
  Start();
  const std::string project = SavedProject("keep.tml");
  const std::string before = ReadFile(project);
  Frame().OpenProjectFile(project.c_str());
  TimeLine().Engine().SetModified(true);
  // Where the project would go a folder stands: the save cannot complete.
  std::filesystem::rename(project, File("kept.tml"));
  std::filesystem::create_directory(project);
  boxes_->shown.clear();
  Command(kCmSaveProject);
  EXPECT_TRUE(std::filesystem::is_directory(project));
  EXPECT_EQ(ReadFile(File("kept.tml")), before);
  EXPECT_TRUE(TimeLine().Engine().IsModified());
  EXPECT_NE(Caption().find(" * "), std::string::npos);
  ASSERT_FALSE(boxes_->shown.empty());
  EXPECT_EQ(boxes_->shown.back().caption, "Save Project");
  EXPECT_TRUE(Frame().IsWindow());
}

TEST_F(ProjectFrame, YesWithAFailedSaveAnswersCancel) {
  Start();
  TimeLine().Engine().SetModified(true);
  // Yes runs Save as for the untitled project; its dialog is cancelled.
  boxes_->answer = IDYES;
  EXPECT_FALSE(Frame().AskSave());
  boxes_->answer = IDNO;
  EXPECT_TRUE(Frame().AskSave());
  boxes_->answer = IDCANCEL;
  EXPECT_FALSE(Frame().AskSave());
}

TEST_F(ProjectFrame, DropsAddOneFileAndRefuseSeveral) {
  Start();
  WriteTone(File("one.wav"), 500);
  WriteTone(File("two.wav"), 500);
  // Nothing stands over the frame where the files fall.
  TheAudioPlayer->CloseMixer();
  Pump();
  RECT r;
  ::GetWindowRect(Frame().GetHandle(), &r);
  boxes_->shown.clear();
  GuiDropFiles(r.left + 200, r.top + 300, {File("one.wav"), File("two.wav")});
  Pump();
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_EQ(boxes_->shown[0].caption, "Drag&Drop");
  EXPECT_EQ(FilmList.First(), nullptr);
  EXPECT_EQ(TimeLine().HeldClip(), nullptr);

  GuiDropFiles(r.left + 200, r.top + 300, {File("one.wav")});
  Pump();
  EXPECT_TRUE(FilmList.First() != nullptr || TimeLine().HeldClip() != nullptr);
}

TEST_F(ProjectFrame, ExitWhilePlayingOnlyStops) {
  Start();
  WriteTone(File("long.wav"), 20000);
  MakeProject(File("long.tml"), {File("long.wav")});
  TimeLine().SendMessage(WM_COMMAND, kCmPlay, 0);
  Pump();
  ASSERT_TRUE(TimeLine().Engine().playing);
  Frame().SendMessage(WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(Frame().IsWindow());
  EXPECT_FALSE(TimeLine().Engine().playing);
}

// Read system calls the process has made so far.
long long ReadCalls() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "syscr:") return value;
  return -1;
}

TEST_F(ProjectFrame, OpeningALargeProjectReadsItsFileInWholeBlocks) {
  Start();
  WriteTone(File("tone.wav"), 1000);
  MakeProject(File("big.tml"), {File("tone.wav")});
  // Field by field, each of these clips took dozens of reads.
  const Film* first = FilmList.First();
  ASSERT_NE(first, nullptr);
  constexpr int kClips = 3000;
  for (int i = 1; i < kClips; ++i) {
    Film* copy = new Film(*first, kKindAudio);
    copy->start = first->start + i * 1000;
    copy->end = copy->start + (first->end - first->start);
    Film::Link(copy, FilmList);
  }
  Frame().SaveProjectFile(File("big.tml").c_str());
  Command(kCmCloseProject);
  ASSERT_EQ(FilmList.First(), nullptr);

  const long long before = ReadCalls();
  ASSERT_GE(before, 0);
  Frame().OpenProjectFile(File("big.tml").c_str());
  const long long reads = ReadCalls() - before;
  EXPECT_EQ(FilmList.Count(), kClips);
  EXPECT_LT(reads, 200) << "read calls while opening";
}

TEST_F(ProjectFrame, TheFrameRateIsWrittenWithThreeDecimals) {
  IniSetSection("MAIN_WINDOW");
  IniWriteString("FRAME_RATE_FPS", "25.0");
  Start();
  EXPECT_FLOAT_EQ(ProjectFrameRate(), 25.0f);
  App().SaveSettings();
  IniSetSection("MAIN_WINDOW");
  EXPECT_STREQ(IniReadString("FRAME_RATE_FPS", ""), "25.000");
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

TEST_F(ProjectFrame, AnotherInstanceOpensAndClosesThroughTheRequests) {
  Start();
  const std::string project = SavedProject("peer.tml");
  // 21 with a project: it opens, and the answer says whether clips came.
  EXPECT_EQ(Frame().SendMessage(kFrameRequestMessage, kFrameRequestOpenFile,
                                reinterpret_cast<LPARAM>(project.c_str())),
            1);
  EXPECT_STREQ(Frame().ProjectName(), project.c_str());
  EXPECT_EQ(CommandLineMode, 0);
  // 20 closes everything.
  EXPECT_EQ(Frame().SendMessage(kFrameRequestMessage, kFrameRequestCloseAll, 0), 1);
  EXPECT_EQ(FilmList.First(), nullptr);
  EXPECT_STREQ(Frame().ProjectName(), "");
  // 21 with a media file puts it on the time-line at 0.
  EXPECT_EQ(Frame().SendMessage(kFrameRequestMessage, kFrameRequestOpenFile,
                                reinterpret_cast<LPARAM>(File("tone.wav").c_str())),
            1);
  ASSERT_NE(FilmList.First(), nullptr);
  EXPECT_EQ(FilmList.First()->start, 0);
}

}  // namespace
}  // namespace apptest
