// Repeat Clip with the real "Repeat Clip" dialog answered by the user.
#include <gtest/gtest.h>

#include "dialog_script.h"
#include "model/edit_fakes.h"
#include "resources/value_dialog_ids.h"
#include "ui/value_dialogs.h"

using namespace dialogtest;

namespace edittest {
namespace {

class DialogEditView : public EditView {
 public:
  bool RunLoopDialog(int32_t& pause, int32_t clipLength, int32_t& count, int32_t longestTotal) override {
    return ::RunLoopDialog(nullptr, &pause, clipLength, &count, longestTotal);
  }
};

class RepeatThroughDialog : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    engine.AttachView(&dialogView);
  }
  DialogEditView dialogView;
};

TEST_F(RepeatThroughDialog, TheCopiesAndPauseTheUserChoseArePlaced) {
  // 7 s of room after a clip of 2 s: three copies fit without a pause.
  Film* film = OnLine("clip", nullptr, NewAudio(), nullptr, 8000, 2000, 0, 1);
  OnLine("next", nullptr, NewAudio(), nullptr, 17000, 1000, 0, 1);
  std::string offered;
  ModalScript script({[&](HWND d) {
    offered = ItemText(d, kLoopCount);
    TypeOver(d, kLoopCount, "2");
    TypeTime(d, kLoopPause, "1000");
    Key(d, VK_TAB);
    Click(d, IDOK);
  }});
  engine.RepeatClip(nullptr, film);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(offered, "3");
  const auto copies = AllNamed("clip");
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies[1]->start, 11000);
  EXPECT_EQ(copies[1]->end, 13000);
  EXPECT_EQ(copies[2]->start, 14000);
  EXPECT_EQ(copies[2]->end, 16000);
  EXPECT_EQ(UndoSteps(), 1);
}

TEST_F(RepeatThroughDialog, CancelPlacesNothing) {
  Film* film = OnLine("clip", nullptr, NewAudio(), nullptr, 8000, 2000, 0, 1);
  ModalScript script({[&](HWND d) { Key(d, VK_ESCAPE); }});
  engine.RepeatClip(nullptr, film);
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(UndoSteps(), 0);
}

}  // namespace
}  // namespace edittest
