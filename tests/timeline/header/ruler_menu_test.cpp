// The ruler's context menu, read and answered through the popup hook, and
// playing from the ruler.
#include <gtest/gtest.h>

#include "strip_fixture.h"
#include "timeline/header/time_code.h"

namespace striptest {
namespace {

class RulerMenuTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    OpenStrip();
    ruler_ = window_->TimeRuler();
    TimeLineEngine& e = Engine();
    e.SetLength(600000);
    e.scale = 1000;
    e.factor = 100;  // one pixel is 10 ms
    e.origin = 0;
    e.UpdateScrollRange();
    e.gravityAlign = 1;
    e.gravityGroup = 0;
    e.alignToFrame = false;
    GuiPumpMessages();
  }
  void TearDown() override {
    Engine().playing = false;
    StripTest::TearDown();
  }
  int Low() { return ruler_->GetClientRect().bottom - 2; }
  std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (const MenuItem& item : ReadMenu(menu)) ids.push_back(item.id);
    return ids;
  }
  void Choose(int x, int y, UINT command) { RightClick(ruler_, x, y, nullptr, command); }

  TTimeCode* ruler_ = nullptr;
};

TEST_F(RulerMenuTest, TheMenuOffersWhatFitsThePlaceAndTheState) {
  ASSERT_TRUE(ProjectMarks.AddMark(3000));
  const std::vector<UINT> common = {511, 101, 0, 102, 103, 104, 105, 106, 0};
  std::vector<UINT> elsewhere = common, onMark = common;
  elsewhere.push_back(107);
  for (UINT id : {110u, 109u, 108u}) onMark.push_back(id);

  std::vector<MenuItem> items;
  RightClick(ruler_, 300, Low(), [&](HMENU m) { items = ReadMenu(m); });
  std::vector<UINT> ids;
  for (const MenuItem& item : items) ids.push_back(item.id);
  EXPECT_EQ(ids, onMark);
  EXPECT_EQ(items.back().text, "Remove mark");
  // In the upper half the mark is not under the pointer.
  RightClick(ruler_, 300, 2, [&](HMENU m) { EXPECT_EQ(Ids(m), elsewhere); });
  RightClick(ruler_, 600, Low(), [&](HMENU m) { EXPECT_EQ(Ids(m), elsewhere); });
  Engine().gravityAlign = 0;
  RightClick(ruler_, 300, Low(), [&](HMENU m) { EXPECT_EQ(Ids(m), elsewhere); });

  Engine().playing = true;
  RightClick(ruler_, 320, Low(), [&](HMENU m) {
    ASSERT_EQ(Ids(m), std::vector<UINT>{512});
    EXPECT_EQ(ReadMenu(m)[0].text, "Stop");
  });
}

struct OptionCase {
  UINT command;
  std::function<bool&(RecordingTimeLine&)> option;
};

TEST_F(RulerMenuTest, EachOptionCommandTogglesItsOptionAndShowsItChecked) {
  const OptionCase cases[] = {
      {102, [](RecordingTimeLine& w) -> bool& { return w.Engine().previewVideo; }},
      {103, [](RecordingTimeLine& w) -> bool& { return w.Settings().previewAudio; }},
      {104, [](RecordingTimeLine& w) -> bool& { return w.Settings().autoScroll; }},
      {105, [](RecordingTimeLine& w) -> bool& { return w.Engine().alignToFrame; }},
      {106, [](RecordingTimeLine& w) -> bool& { return w.Settings().alignTime; }},
  };
  int x = 100;
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.command);
    bool& option = c.option(*strip_);
    for (bool before : {false, true}) {
      option = before;
      x += 7;  // never a double click
      RightClick(
          ruler_, x, 2,
          [&](HMENU m) { EXPECT_EQ((GetMenuState(m, c.command, MF_BYCOMMAND) & MF_CHECKED) != 0, before); },
          c.command);
      EXPECT_EQ(option, !before);
    }
  }
}

TEST_F(RulerMenuTest, SetCurrentTimeAsksWithinTheProject) {
  ScriptedDialogs dialogs;
  Engine().SetPlayCursor(500, false);
  Choose(100, 2, 101);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].title, "Set Current Time");
  EXPECT_EQ(dialogs.asked[0].value, 500);
  EXPECT_EQ(dialogs.asked[0].lo, 0);
  EXPECT_EQ(dialogs.asked[0].hi, 599999);
  EXPECT_EQ(Engine().cursor, 500);  // cancelled

  dialogs.answerTime = 1234;
  Choose(150, 2, 101);
  EXPECT_EQ(Engine().cursor, 1234);
}

// Each change of the marks is one undo step and modifies the project; a
// cancelled dialog or an unchanged answer is none.
TEST_F(RulerMenuTest, MarkCommandsAreOneUndoStepEach) {
  ScriptedDialogs dialogs;
  Engine().SetModified(false);

  Choose(250, Low(), 107);
  ASSERT_EQ(ProjectMarks.Count(), 1);
  EXPECT_EQ(ProjectMarks[0].time, 2500);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(Engine().IsModified());

  Choose(250, Low(), 109);  // cancelled
  EXPECT_EQ(UndoSteps(), 1);
  dialogs.answerName = "Intro";
  Choose(251, Low(), 109);
  EXPECT_STREQ(ProjectMarks[0].name, "Intro");
  EXPECT_EQ(dialogs.asked.back().title, "Mark Name");
  EXPECT_EQ(UndoSteps(), 2);
  Choose(252, Low(), 109);  // the same name again
  EXPECT_EQ(UndoSteps(), 2);

  dialogs.answerTime = 7000;
  Choose(250, Low(), 110);
  EXPECT_EQ(dialogs.asked.back().title, "Mark Position");
  EXPECT_EQ(dialogs.asked.back().value, 2500);
  EXPECT_EQ(dialogs.asked.back().hi, 600000);
  EXPECT_EQ(ProjectMarks[0].time, 7000);
  EXPECT_EQ(UndoSteps(), 3);

  Choose(700, Low(), 108);
  EXPECT_EQ(ProjectMarks.Count(), 0);
  EXPECT_EQ(UndoSteps(), 4);

  ASSERT_TRUE(Engine().CmUndo());
  ASSERT_EQ(ProjectMarks.Count(), 1);
  EXPECT_EQ(ProjectMarks[0].time, 7000);
  EXPECT_STREQ(ProjectMarks[0].name, "Intro");
}

// Play runs once from the click to the right edge, within the clips of the
// active lines.
TEST_F(RulerMenuTest, DoubleClickAndPlayRunFromThePointToTheRightEdge) {
  AudioFilm(Audio("a.wav", 600000), 0, 1000, 50000);
  const int32_t rightEdge = Engine().PixelToPos(ruler_->GetClientRect().right);
  ASSERT_LT(rightEdge, 51000);

  DoubleClick(ruler_, 200, 2);
  ASSERT_EQ(strip_->plays.size(), 1u);
  EXPECT_EQ(strip_->plays[0], std::make_pair(2000, rightEdge));

  Choose(50, 2, 511);  // before the clips: from their start
  ASSERT_EQ(strip_->plays.size(), 2u);
  EXPECT_EQ(strip_->plays[1], std::make_pair(1000, rightEdge));
}

TEST_F(RulerMenuTest, PlayStopsAtTheEndOfTheClips) {
  AudioFilm(Audio("a.wav", 600000), 0, 1000, 4000);
  DoubleClick(ruler_, 200, 2);
  ASSERT_EQ(strip_->plays.size(), 1u);
  EXPECT_EQ(strip_->plays[0], std::make_pair(2000, 5000));
  DoubleClick(ruler_, 600, 2);  // past the clips: nothing to play
  EXPECT_EQ(strip_->plays.size(), 1u);
}

}  // namespace
}  // namespace striptest
