#include <cstdio>
#include <string>
#include <vector>

#include "app/autosave.h"
#include "audio/audio_player.h"
#include "clip_frame_fixture.h"
#include "model/path_record.h"
#include "model/undo_history.h"
#include "platform/core/paths.h"
#include "support/file_bytes.h"
#include "ui/scroll_window.h"

namespace clipframetest {
namespace {

using filetest::ScriptedChooser;

TEST_F(ClipFrameTest, ItStartsUntitledWithItsBarsAndTheSavedPlace) {
  Ini("FILE1", "/work/Second.prc");
  Ini("FILE2", "/work/first.prc");
  TClipFrame& frame = Show();

  EXPECT_EQ(Caption(), "Clip Collection - Untitled");
  EXPECT_EQ(app_.reapplied, 1);
  ASSERT_EQ(app_.messenger.size(), 1u);
  EXPECT_EQ(app_.messenger[0], Collection().GetHandle());
  const TRect r = frame.GetWindowRect();
  EXPECT_EQ(r, TRect(20, 20, 920, 420));

  std::vector<int> buttons;
  for (int i = 0; i < frame.ToolBar()->GadgetCount(); ++i) buttons.push_back(frame.ToolBar()->GadgetAt(i)->GetId());
  const std::vector<int> expected = {24331, 24332, 24333, 24334, 0, 213, 0, 852, 0, 823, 824, 0, 511, 512, 0,
                                     315,   316,   318,   0,     451, 452, 453, 454, 0, 455, 456, 457, 0, 421, 422, 423};
  EXPECT_EQ(buttons, expected);

  // The message area, then the labels and the clip's three times.
  TStatusBar* status = frame.StatusBar();
  ASSERT_EQ(status->GadgetCount(), 7);
  std::vector<std::string> texts;
  for (int i = 1; i < 7; i += 2) texts.push_back(static_cast<TTextGadget*>(status->GadgetAt(i))->GetText());
  EXPECT_EQ(texts, (std::vector<std::string>{"  In:", " Out:", "  Time: "}));

  // The recent collections by file name, after "Add source File".
  const std::vector<std::string> menu = FileMenu();
  ASSERT_GE(menu.size(), 10u);
  EXPECT_EQ(menu[7], "Add source &File...\tF4");
  EXPECT_EQ(menu[8], "Second.prc");
  EXPECT_EQ(menu[9], "first.prc");
}

TEST_F(ClipFrameTest, FiveDroppedFilesBecomeFiveTiles) {
  Show();
  std::vector<std::string> files;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"}) files.push_back(Wave(name));
  const TRect client = Collection().GetScrollWindow()->GetWindowRect();
  GuiDropFiles((client.left + client.right) / 2, (client.top + client.bottom) / 2, files);
  GuiPumpMessages();

  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  ASSERT_EQ(shell_.status.size(), 5u);
  EXPECT_EQ(shell_.status[4], "Insert file '" + files[4] + "'");
  EXPECT_TRUE(Collection().IsModified());
  EXPECT_EQ(Caption(), "Clip Collection * Untitled");
}

TEST_F(ClipFrameTest, SaveIsGreyUntilTheCollectionChanges) {
  Show();
  EXPECT_FALSE(Enabled(TClipFrame::kCmSaveCollection));
  EXPECT_TRUE(Enabled(TClipFrame::kCmSaveCollectionAs));
  Add(Wave("take.wav"));
  EXPECT_TRUE(Enabled(TClipFrame::kCmSaveCollection));
}

TEST_F(ClipFrameTest, SaveAsWritesTheFileAndItBecomesTheCollection) {
  Show();
  Add(Wave("Take One.wav"));
  const std::string path = Media("Session.prc");
  WriteFileText(path, "an older collection");
  chooser_.answers.push_back({ChooserResult::kOk, path, 1});
  Command(TClipFrame::kCmSaveCollectionAs);

  EXPECT_EQ(std::string(CollectionFileData().FileName), path);
  EXPECT_FALSE(Collection().IsModified());
  EXPECT_EQ(Caption(), "Clip Collection - " + path);
  EXPECT_EQ(ReadFileText(path).substr(0, 14), "ClipCollection");
  EXPECT_EQ(frame_->RecentFile(0), path);

  // Read back into an emptied frame.
  Command(TClipFrame::kCmNewCollection);
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(std::string(CollectionFileData().FileName), "");
  chooser_.answers.push_back({ChooserResult::kOk, path, 1});
  Command(TClipFrame::kCmOpenCollection);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Take One"}));
  EXPECT_EQ(std::string(CollectionFileData().FileName), path);
  EXPECT_FALSE(Collection().IsModified());
}

TEST_F(ClipFrameTest, AFailedSaveKeepsTheNameAndTheModifiedMark) {
  Show();
  Add(Wave("take.wav"));
  const std::string path = Media("missing/folder.prc");
  chooser_.answers.push_back({ChooserResult::kOk, path, 1});
  Command(TClipFrame::kCmSaveCollectionAs);

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Save Clip Collection");
  EXPECT_EQ(boxes_.shown[0].text,
            "Can not open file '" + path + "'\nThe folder '" + Media("missing") + "' does not exist.");
  EXPECT_EQ(std::string(CollectionFileData().FileName), "");
  EXPECT_TRUE(Collection().IsModified());
  EXPECT_EQ(Caption(), "Clip Collection * Untitled");
}

// The save question before the collection is replaced or the program ends.
TEST_F(ClipFrameTest, TheSaveQuestionAnswersCancelWhenYesSavesNothing) {
  struct Case {
    const char* what;
    int answer;
    const char* name;        // the collection's file ("" untitled)
    bool saveAsChosen;       // the Save As dialog's answer for an untitled one
    bool expected;
    bool savedAfterwards;
  } cases[] = {
      {"no", IDNO, "", false, true, false},
      {"cancel", IDCANCEL, "", false, false, false},
      {"yes, saved", IDYES, "kept.prc", false, true, true},
      {"yes, save as cancelled", IDYES, "", false, false, false},
      {"yes, save as chosen", IDYES, "", true, true, true},
      {"yes, the file cannot be made", IDYES, "missing/kept.prc", false, false, false},
  };
  Show();
  Add(Wave("take.wav"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Collection().SetModified(true);
    const std::string name = c.name[0] != '\0' ? Media(c.name) : "";
    std::snprintf(CollectionFileData().FileName, MAX_PATH, "%s", name.c_str());
    chooser_.answers.clear();
    if (c.saveAsChosen) chooser_.answers.push_back({ChooserResult::kOk, Media("chosen.prc"), 1});
    boxes_.shown.clear();
    boxes_.answer = c.answer;

    EXPECT_EQ(frame_->AskSave(), c.expected);
    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_EQ(boxes_.shown[0].caption, "Save Clip Collection");
    EXPECT_EQ(boxes_.shown[0].text, "Clip Collection '" + (name.empty() ? std::string("Untitled") : name) +
                                        "' has changed.\nDo you want to save the changes?");
    EXPECT_EQ(!Collection().IsModified(), c.savedAfterwards);
  }
}

TEST_F(ClipFrameTest, CancelInTheQuestionOfNewCollectionKeepsEverything) {
  Show();
  Add(Wave("take.wav"));
  boxes_.answer = IDCANCEL;
  Command(TClipFrame::kCmNewCollection);
  EXPECT_EQ(Names(), (std::vector<std::string>{"take"}));
  EXPECT_TRUE(Collection().IsModified());
}

TEST_F(ClipFrameTest, AddFromCollectionKeepsTheNameAndMarksTheCollectionModified) {
  Show();
  Add(Wave("one.wav"));
  const std::string other = Media("other.prc");
  chooser_.answers.push_back({ChooserResult::kOk, other, 1});
  Command(TClipFrame::kCmSaveCollectionAs);
  const std::string current = Media("current.prc");
  chooser_.answers.push_back({ChooserResult::kOk, current, 1});
  Command(TClipFrame::kCmSaveCollectionAs);
  ASSERT_EQ(frame_->RecentFile(0), current);

  chooser_.answers.push_back({ChooserResult::kOk, other, 1});
  Command(TClipFrame::kCmAddFromCollection);
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "one"}));
  EXPECT_EQ(std::string(CollectionFileData().FileName), current);
  EXPECT_TRUE(Collection().IsModified());
  EXPECT_EQ(Caption(), "Clip Collection * " + current);
  // Only the added file moved to the front.
  EXPECT_EQ(frame_->RecentFile(0), other);
  EXPECT_EQ(frame_->RecentFile(1), current);
}

TEST_F(ClipFrameTest, RecentCollectionsMoveToTheFrontAndNeverListTheAutosave) {
  TClipFrame& frame = Show();
  for (const char* p : {"/c/one.prc", "/c/two.prc", "/c/three.prc"}) frame.AddRecentFile(p);
  frame.AddRecentFile("/c/one.prc");
  frame.AddRecentFile("/tmp/autosave.prc");
  std::vector<std::string> recent;
  for (int i = 0; i < kRecentCollections; ++i) recent.push_back(frame.RecentFile(i));
  EXPECT_EQ(recent, (std::vector<std::string>{"/c/one.prc", "/c/three.prc", "/c/two.prc", ""}));
  const std::vector<std::string> menu = FileMenu();
  EXPECT_EQ(std::vector<std::string>(menu.begin() + 8, menu.begin() + 11),
            (std::vector<std::string>{"one.prc", "three.prc", "two.prc"}));

  // A recent entry opens (its number is its place in the list).
  Add(Wave("take.wav"));
  const std::string saved = Media("saved.prc");
  ASSERT_TRUE(frame.SaveCollectionFile(saved.c_str()));
  frame.CloseCollection();
  Command(TClipFrame::kCmRecentCollection1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"take"}));
}

TEST_F(ClipFrameTest, ShowingTheFrameAgainDoesNotReadTheCollectionTwice) {
  Show();
  Add(Wave("take.wav"));
  const std::string path = Media("project.prc");
  ASSERT_TRUE(frame_->SaveCollectionFile(path.c_str()));
  CloseFrame();

  Show(true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"take"}));
  EXPECT_EQ(Caption(), "Clip Collection - " + path);
  TClipFrame* first = frame_;
  Show(true);
  EXPECT_EQ(frame_, first);
  EXPECT_EQ(Names(), (std::vector<std::string>{"take"}));
  EXPECT_EQ(app_.reapplied, 2);
}

TEST_F(ClipFrameTest, ACommandLineModeShowsTheFrameMinimised) {
  Show(false, true);
  EXPECT_TRUE(IsIconic(frame_->GetHandle()));
}

TEST_F(ClipFrameTest, TheAutosaveWritesTheCollectionAndLeavesItModified) {
  TestFolder sound{"Kobrix-Sound"};
  char saved[MAX_PATH];
  std::snprintf(saved, sizeof saved, "%s", Sound_File);
  std::snprintf(Sound_File, sizeof Sound_File, "%s", sound.File("KOBRIX.TMP").c_str());
  Show();
  Add(Wave("take.wav"));
  std::string name;
  EXPECT_TRUE(frame_->AutoSave(name));
  EXPECT_EQ(name, sound.File("autosave.prc"));
  EXPECT_TRUE(Collection().IsModified());
  EXPECT_EQ(std::string(CollectionFileData().FileName), "");
  EXPECT_EQ(ReadFileText(name).substr(0, 14), "ClipCollection");
  EXPECT_EQ(frame_->RecentFile(0), std::string());
  std::snprintf(Sound_File, sizeof Sound_File, "%s", saved);
  AutosaveDirty = false;
}

TEST_F(ClipFrameTest, ClosingWritesThePlaceAndTheRecentCollectionsAndTellsTheApplication) {
  TClipFrame& frame = Show();
  frame.AddRecentFile("/c/one.prc");
  frame.SetWindowPos(nullptr, TRect(30, 40, 830, 440), SWP_NOZORDER);
  CollectionFileData().SetDirectory("/c/one.prc");
  TClipFrame* closed = frame_;
  boxes_.answer = IDNO;
  ASSERT_TRUE(frame.CanClose());
  frame.Destroy();
  GuiPumpMessages();

  EXPECT_EQ(app_.destroyed, closed);
  EXPECT_EQ(app_.messenger.back(), nullptr);
  EXPECT_EQ(frame.Collection(), nullptr);
  EXPECT_EQ(IniValue("X"), "30");
  EXPECT_EQ(IniValue("Y"), "40");
  EXPECT_EQ(IniValue("W"), "800");
  EXPECT_EQ(IniValue("H"), "400");
  EXPECT_EQ(IniValue("MAXIMIZED"), "0");
  EXPECT_EQ(IniValue("DIRECTORY"), "/c");
  EXPECT_EQ(IniValue("FILE1"), "/c/one.prc");
}

TEST_F(ClipFrameTest, F6AndHelpGoToTheApplication) {
  Show();
  Command(TClipFrame::kCmShowProject);
  Command(TClipFrame::kCmHelp);
  EXPECT_EQ(app_.projectShown, 1);
  EXPECT_EQ(shell_.help, (std::vector<int>{916}));
}

}  // namespace
}  // namespace clipframetest

namespace clipframetest {
namespace {

// A project's collection is read with the project's lists: the collection's
// own folder is searched first, so clips stored beside it are found when
// both moved together.
TEST_F(ClipFrameTest, AProjectsCollectionFindsItsClipsBesideIt) {
  TestFolder before{"Kobrix-Before"}, after{"Kobrix-After"};
  Show();
  WriteWave(before.File("take.wav"), 300);
  Add(before.File("take.wav"));
  ASSERT_TRUE(frame_->SaveCollectionFile(before.File("set.prc").c_str()));
  frame_->CloseCollection();
  WriteFileBytes(after.File("set.prc"), ReadFileBytes(before.File("set.prc")));
  WriteWave(after.File("take.wav"), 300);
  std::remove(before.File("take.wav").c_str());

  PathRecord* folders = new PathRecord(Media("project/p.tml").c_str(), false);
  SynonymFile* moved = nullptr;
  frame_->ReadCollectionFile(after.File("set.prc").c_str(), true, folders, &moved);
  EXPECT_EQ(std::string(folders->path), after.path() + "/");
  PathRecord::FreeList(folders);
  SynonymFile::FreeList(moved);

  EXPECT_EQ(Names(), (std::vector<std::string>{"take"}));
  EXPECT_EQ(std::string(Collection().Tile(0)->clip.path), after.File("take.wav"));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(std::string(CollectionFileData().FileName), after.File("set.prc"));
}

}  // namespace
}  // namespace clipframetest
