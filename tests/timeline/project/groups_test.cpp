// Selection groups and mark groups: switching between sets of clips and of
// marks, and selecting by the keys.
#include "project_fixture.h"

namespace projectcmdtest {
namespace {

class GroupsTest : public ProjectCommandsTest {
 protected:
  void SetUp() override {
    ProjectCommandsTest::SetUp();
    OpenProjectWindow();
    sound_ = Sound("/media/s.wav", 60000);
  }
  // Clips in the groups given, one after another on line 0.
  void ClipsInGroups(std::initializer_list<int32_t> groups) {
    int32_t at = 0;
    for (int32_t g : groups) {
      AudioFilm(sound_, 0, at, 500)->group = g;
      at += 1000;
    }
  }
  std::vector<int32_t> Groups() const {
    std::vector<int32_t> groups;
    for (Film* f : Films()) groups.push_back(f->group);
    return groups;
  }
  // The groups the command goes through, from the current one.
  std::vector<int32_t> Steps(int command, int32_t& current, int n) {
    std::vector<int32_t> seen;
    for (int i = 0; i < n; ++i) {
      Command(command);
      seen.push_back(current);
    }
    return seen;
  }
  filmtest::FakeAudio* sound_ = nullptr;
};

TEST_F(GroupsTest, NextSelectionGroupOffersOneEmptyGroupBesidesTheUsedOnes) {
  ClipsInGroups({1, 3, 0});
  SelectionGroup = 1;
  EXPECT_EQ(Steps(kCmNextSelectionGroup, SelectionGroup, 3), (std::vector<int32_t>{2, 3, 1}));

  Films()[2]->group = 2;
  ClipsInGroups({4, 5, 6, 7, 8, 9});
  SelectionGroup = 1;
  EXPECT_EQ(Steps(kCmNextSelectionGroup, SelectionGroup, 9), (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8, 9, 1}));
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(GroupsTest, AGroupOutOfRangeBecomesNoGroupWithoutAnUndoStep) {
  ClipsInGroups({12, -1, 1});
  SelectionGroup = 1;
  Command(kCmNextSelectionGroup);
  EXPECT_EQ(Groups(), (std::vector<int32_t>{0, 0, 1}));
  EXPECT_EQ(SelectionGroup, 2);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Engine().IsModified());
}

TEST_F(GroupsTest, NextMarkGroupGoesOverTheProjectsAndTheClipsMarks) {
  ProjectMarks.AddMark(100);
  ProjectMarks.SetGroup(0, 1);
  Film* f = AudioFilm(sound_, 0, 0, 5000);
  f->marks.AddMark(200);
  f->marks.SetGroup(0, 4);
  f->marks.AddMark(300);
  f->marks.SetGroup(1, 11);
  TimeLineEngine& e = Engine();
  e.gravityGroup = 1;
  EXPECT_EQ(Steps(kCmNextMarkGroup, e.gravityGroup, 3), (std::vector<int32_t>{2, 4, 1}));
  EXPECT_EQ(f->marks[1].group, 0);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(GroupsTest, SelectAllDeselectAllAndInvertEachTakeOneStepWhenTheyChangeSomething) {
  ClipsInGroups({1, 0, 3});
  SelectionGroup = 1;
  const struct {
    int command;
    std::vector<int32_t> groups;
  } steps[] = {
      {kCmInvertSelection, {0, 1, 3}},
      {kCmSelectAll, {1, 1, 1}},
      {kCmSelectAll, {1, 1, 1}},
      {kCmDeselectAll, {0, 0, 0}},
      {kCmDeselectAll, {0, 0, 0}},
  };
  const int takesStep[] = {1, 1, 0, 1, 0};
  int i = 0;
  for (const auto& s : steps) {
    const int before = UndoDepth();
    Command(s.command);
    EXPECT_EQ(Groups(), s.groups) << "step " << i;
    EXPECT_EQ(UndoDepth() - before, takesStep[i]) << "step " << i;
    ++i;
  }
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1, 1}));
}

TEST_F(GroupsTest, CtrlAAndCtrlDSelectAndDeselect) {
  ClipsInGroups({0, 2});
  SelectionGroup = 1;
  Press('A', true);
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1}));
  Press('D', true);
  EXPECT_EQ(Groups(), (std::vector<int32_t>{0, 0}));
}

TEST_F(GroupsTest, InvertingAnEmptyProjectTakesNoStep) {
  Command(kCmInvertSelection);
  EXPECT_FALSE(UndoScript::CanUndo());
}

}  // namespace
}  // namespace projectcmdtest
