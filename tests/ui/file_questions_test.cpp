#include "ui/file_questions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "file_chooser_script.h"
#include "model/film_records.h"
#include "support/test_env.h"

using namespace filetest;

namespace {

class Questions : public ::testing::Test {
 protected:
  void SetUp() override { before = SetMissingFileQuestions(&questions); }
  void TearDown() override { SetMissingFileQuestions(before); }

  RecordsGuard guard;
  ScriptedChooser chooser;
  ScriptedRunner runner;
  FileQuestions questions;
  MissingFileQuestions* before = nullptr;
};

TEST_F(Questions, BrowseThenCancelKeepsTheQuestionOpen) {
  char path[MAX_PATH] = "/gone/clips/a.wav";
  runner.answers = {{1, -1}, {1, -1}};
  chooser.answers = {{ChooserResult::kCancel, "", 0}, {ChooserResult::kOk, "/found/a.wav", 2}};
  EXPECT_EQ(questions.AskFile(nullptr, "Load Project", path, 3), kLocateChosen);
  EXPECT_STREQ(path, "/found/a.wav");
  // One question, browsed twice.
  ASSERT_EQ(runner.views.size(), 1u);
  EXPECT_EQ(runner.browses, 2);
  EXPECT_EQ(runner.views[0].resource, kAskFileDialog);
  EXPECT_EQ(runner.views[0].caption, "Load Project");
  EXPECT_EQ(runner.views[0].text, "Can not open source file\n/gone/clips/a.wav\nThe file does not exist.");
  // The browse starts in the missing file's folder, on its name and filter.
  ASSERT_EQ(chooser.calls.size(), 2u);
  EXPECT_EQ(chooser.calls[0].directory, "/gone/clips");
  EXPECT_EQ(chooser.calls[0].fileName, "/gone/clips/a.wav");
  EXPECT_EQ(chooser.calls[0].filterIndex, 3);
  EXPECT_EQ(chooser.calls[0].addTarget, nullptr);
}

TEST_F(Questions, ButtonsEndTheQuestion) {
  const struct {
    int id;
    int want;
  } cases[] = {{kIdSkip, kLocateSkip}, {kIdSkipAll, kLocateSkipAll}, {2, kLocateCancel}, {999, kLocateCancel}};
  for (const auto& c : cases) {
    char path[MAX_PATH] = "/gone/a.wav";
    runner.answers = {{c.id, -1}};
    EXPECT_EQ(questions.AskFile(nullptr, "x", path, 0), c.want) << c.id;
    EXPECT_STREQ(path, "/gone/a.wav");
  }
  EXPECT_TRUE(chooser.calls.empty());
}

TEST_F(Questions, ChoosingTheThirdCandidate) {
  PathRecord c1("/a/x.wav", true), c2("/b/x.wav", true), c3("/c/x.wav", true);
  c1.next = &c2;
  c2.next = &c3;
  char path[MAX_PATH] = "/gone/x.wav";
  runner.answers = {{1, 2}};
  EXPECT_EQ(questions.SelectFile(nullptr, "Load Project", path, 0, &c1), kLocateChosen);
  c1.next = c2.next = nullptr;
  EXPECT_STREQ(path, "/c/x.wav");
  EXPECT_EQ(runner.views[0].resource, kSelectFileDialog);
  EXPECT_EQ(runner.views[0].candidates, (std::vector<std::string>{"/a/x.wav", "/b/x.wav", "/c/x.wav"}));
  EXPECT_EQ(runner.selectedOnEntry[0], 0);
}

TEST_F(Questions, BrowseFromTheCandidateList) {
  PathRecord c1("/a/x.wav", true);
  char path[MAX_PATH] = "/gone/x.wav";
  runner.answers = {{kIdBrowseInList, -1}, {kIdBrowseInList, -1}};
  chooser.answers = {{ChooserResult::kCancel, "", 0}, {ChooserResult::kOk, "/d/x.wav", 0}};
  EXPECT_EQ(questions.SelectFile(nullptr, "c", path, 0, &c1), kLocateChosen);
  EXPECT_STREQ(path, "/d/x.wav");
  EXPECT_EQ(runner.views.size(), 1u);
  EXPECT_EQ(runner.browses, 2);
}

TEST_F(Questions, LocateThroughTheDialogsRemembersTheFolder) {
  TestFolder dir;
  ASSERT_TRUE(dir.ok());
  std::filesystem::create_directories(dir.File("moved"));
  std::ofstream(dir.File("moved/a.wav")) << "x";
  std::ofstream(dir.File("moved/b.wav")) << "x";
  PathRecord* folders = new PathRecord((dir.path() + "/").c_str(), true);
  char first[MAX_PATH] = "/gone/a.wav";
  runner.answers = {{1, -1}};
  chooser.answers = {{ChooserResult::kOk, dir.File("moved/a.wav"), 1}};
  EXPECT_EQ(LocateMediaFile(nullptr, "Load Project", first, 1, folders), kLocateChosen);
  char second[MAX_PATH] = "/gone/b.wav";
  runner.answers = {{2, -1}};
  // A cancel of the list leaves the buffer, though the first candidate was
  // shown selected.
  EXPECT_EQ(LocateMediaFile(nullptr, "Load Project", second, 1, folders), kLocateCancel);
  EXPECT_STREQ(second, "/gone/b.wav");
  EXPECT_EQ(runner.views[1].candidates, std::vector<std::string>{dir.File("moved/b.wav")});
  PathRecord::FreeList(folders);
}

TEST(AddClipQuestion, AllAnswers) {
  ScriptedRunner runner;
  const struct {
    int id;
    int want;
    int answerForAll;
  } cases[] = {{1, 1, 0}, {2, 2, 0}, {kIdAddAll, 1, 1}, {kIdSkipAll, 2, -1}};
  for (const auto& c : cases) {
    int all = 0;
    runner.answers = {{c.id, -1}};
    EXPECT_EQ(AskAddClip(nullptr, "take1", &all), c.want) << c.id;
    EXPECT_EQ(all, c.answerForAll) << c.id;
  }
  EXPECT_EQ(runner.views[0].resource, kAskAddClipDialog);
  EXPECT_EQ(runner.views[0].text,
            "Clip 'take1' is already opened.\nDo you want to add this clip to Clip Collection once more?");
}

}  // namespace
