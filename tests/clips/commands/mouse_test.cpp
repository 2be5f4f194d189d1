// Tiles under the mouse and the keys: clicks that select, drags that move a
// tile to another cell or carry it onto the time-line, the time-line
// scrolling while the tile waits beside it, a drag cut short by the focus
// leaving, and the cursor keys in both orientations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands_fixture.h"
#include "timeline/lines/audio_lines.h"
#include "ui/file_chooser_script.h"

namespace cliptest {
namespace {

using MouseTest = ClipCommandsTest;

// Presses this far apart are two clicks, not a double click.
constexpr DWORD kNoDoubleClick = 1000;

TEST_F(MouseTest, AClickSelectsAndAReleaseOverAnotherCellMovesTheTileThere) {
  TestClock clock;
  OpenBoth();
  std::vector<ClipWindow*> tiles;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) tiles.push_back(Add(Wave(name, 300)));
  collection_->SetModified(false);

  // Pressed and released where it is: selected, nothing else.
  Press(CentreOf(tiles[1]));
  EXPECT_TRUE(collection_->ButtonDown());
  EXPECT_EQ(GetCapture(), collection_->GetHandle());
  Release(CentreOf(tiles[1]));
  EXPECT_EQ(collection_->GetSelection(), 1);
  EXPECT_FALSE(collection_->ButtonDown());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(collection_->IsModified());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d"}));

  // Dragged to another cell: it goes there when released, not before.
  clock.Advance(kNoDoubleClick);
  Press(CentreOf(tiles[1]));
  MoveTo(CentreOf(tiles[3]));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d"}));
  Release(CentreOf(tiles[3]));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c", "d", "b"}));
  EXPECT_EQ(collection_->GetSelection(), 3);
  EXPECT_TRUE(collection_->IsModified());
  EXPECT_TRUE(Films().empty());

  // With Shift the tile follows the mouse from cell to cell, and a release
  // outside the collection drops nothing on the time-line.
  clock.Advance(kNoDoubleClick);
  Press(CentreOf(tiles[0]));
  GuiKey(VK_SHIFT, true);
  MoveTo(CentreOf(tiles[3]));  // "d", at index 2 now
  EXPECT_EQ(Names(), (std::vector<std::string>{"c", "d", "a", "b"}));
  MoveTo(CentreOf(TimeLine().AudioLines()));
  Release(CentreOf(TimeLine().AudioLines()));
  GuiKey(VK_SHIFT, false);
  GuiPumpMessages();
  EXPECT_EQ(Names(), (std::vector<std::string>{"c", "d", "a", "b"}));
  EXPECT_TRUE(Films().empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseTest, ATileDroppedOnTheTimeLineLeavesOutThePartTheSkipOptionNames) {
  TestClock clock;
  OpenBoth();
  ClipWindow* tile = Add(Avi("scene.avi", 25, 25.0, true));
  ASSERT_EQ(tile->clip.kind, kClipVideo | kClipAudio);
  const struct {
    int command;  // 0: none
    bool video, audio;
  } cases[] = {{0, true, true}, {kCmSkipVideo, false, true}, {kCmSkipAudio, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    FilmList.Clear();
    if (c.command != 0) Command(c.command);
    clock.Advance(kNoDoubleClick);
    const POINT over = CentreOf(TimeLine().AudioLines());
    Press(CentreOf(tile));
    MoveTo(over);
    // The time-line was shown the clip on the way.
    ASSERT_FALSE(TimeLine().audio.calls.empty());
    Release(over);

    ASSERT_EQ(Films().size(), 1u);
    const Film* placed = Films()[0];
    EXPECT_EQ(placed->video != nullptr, c.video);
    EXPECT_EQ(placed->audio != nullptr, c.audio);
    EXPECT_EQ(tile->clip.kind, kClipVideo | kClipAudio);
    // The time-line's feedback is gone.
    EXPECT_FALSE(TimeLine().audio.calls.back().withClip);
    if (c.command != 0) Command(c.command);  // the option off again
  }
  EXPECT_EQ(collection_->SkipMode(), kSkipNone);
}

TEST_F(MouseTest, BesideTheTimeAreaTheTimeLineScrollsALineEveryHundredMilliseconds) {
  TestClock clock;
  OpenBoth();
  ClipWindow* tile = Add(Wave("a.wav"));
  TWindow* lines = TimeLine().AudioLines();
  const TRect area = lines->GetWindowRect();
  const int y = (area.top + area.bottom) / 2;
  const POINT left{area.left - 20, y}, right{area.right + 30, y}, inside{(area.left + area.right) / 2, y};

  Press(CentreOf(tile));
  MoveTo(left);
  EXPECT_TRUE(collection_->ScrollTimerRunning());
  for (int i = 0; i < 3; ++i) {
    clock.Advance(100);
    GuiPumpMessages();
  }
  clock.Advance(50);
  GuiPumpMessages();
  EXPECT_EQ(TimeLine().scrolls, (std::vector<UINT>(3, SB_LINEUP)));

  MoveTo(right);
  clock.Advance(50);
  GuiPumpMessages();
  EXPECT_EQ(TimeLine().scrolls.size(), 4u);
  EXPECT_EQ(TimeLine().scrolls.back(), static_cast<UINT>(SB_LINEDOWN));

  // Back over the time area: the next tick stops the timer.
  MoveTo(inside);
  clock.Advance(100);
  GuiPumpMessages();
  EXPECT_FALSE(collection_->ScrollTimerRunning());
  clock.Advance(500);
  GuiPumpMessages();
  EXPECT_EQ(TimeLine().scrolls.size(), 4u);
  Release(inside);
}

TEST_F(MouseTest, LosingTheFocusMidDragDropsNothingAndLetsTheTimeLineGo) {
  TestClock clock;
  OpenBoth();
  ClipWindow* tile = Add(Wave("a.wav"));
  const TRect area = TimeLine().AudioLines()->GetWindowRect();
  const int y = (area.top + area.bottom) / 2;

  Press(CentreOf(tile));
  MoveTo(POINT{(area.left + area.right) / 2, y});
  EXPECT_TRUE(TimeLine().audio.shown);
  MoveTo(POINT{area.left - 20, y});
  ASSERT_TRUE(collection_->ScrollTimerRunning());

  TimeLine().SetFocus();
  GuiPumpMessages();
  EXPECT_FALSE(collection_->ButtonDown());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(collection_->ScrollTimerRunning());
  EXPECT_FALSE(TimeLine().audio.calls.back().withClip);
  EXPECT_FALSE(collection_->CaretShown());

  const size_t scrolls = TimeLine().scrolls.size();
  clock.Advance(300);
  GuiPumpMessages();
  Release(CentreOf(TimeLine().AudioLines()));
  EXPECT_EQ(TimeLine().scrolls.size(), scrolls);
  EXPECT_TRUE(Films().empty());
}

// Sixteen tiles with room for four columns and two rows beside the scroll
// bars: a page is eight tiles.
TEST_F(MouseTest, TheKeysMoveTheSelectionAndWithShiftTheTile) {
  Ini("ICON_TYPE", "4");
  struct Case {
    int key;
    int inRows, inColumns;  // the target from tile 5
  };
  const Case cases[] = {
      {VK_LEFT, 4, 3},  {VK_RIGHT, 6, 7},  {VK_UP, 1, 4},   {VK_DOWN, 9, 6},
      {VK_PRIOR, 0, 0}, {VK_NEXT, 13, 13}, {VK_HOME, 0, 0}, {VK_END, 15, 15},
  };
  for (int orientation : {1, 2}) {
    SCOPED_TRACE(orientation);
    OpenBoth(600, 300, orientation);
    for (int i = 0; i < 16; ++i) Add(Wave("t" + std::to_string(10 + i) + ".wav", 200));
    const TSize cell = collection_->CellSize(), gap = collection_->Gap();
    SizeView(4 * (cell.cx + gap.cx) + gap.cx + GetSystemMetrics(SM_CXVSCROLL),
             2 * (cell.cy + gap.cy) + gap.cy + GetSystemMetrics(SM_CYHSCROLL));
    ASSERT_EQ(collection_->Columns(), 4);
    ASSERT_EQ(collection_->Rows(), 2);
    collection_->SetFocus();
    collection_->SetModified(false);
    const std::vector<std::string> order = Names();

    for (const Case& c : cases) {
      const int target = orientation == 1 ? c.inRows : c.inColumns;
      SCOPED_TRACE(c.key);
      collection_->SetSelection(5);
      Key(c.key);
      EXPECT_EQ(collection_->GetSelection(), target);
      EXPECT_EQ(Names(), order);

      collection_->SetSelection(5);
      Key(c.key, true);
      EXPECT_EQ(collection_->GetSelection(), target);
      EXPECT_EQ(Names()[static_cast<size_t>(target)], order[5]);
      collection_->MoveClip(5);
      ASSERT_EQ(Names(), order);
    }
    EXPECT_TRUE(collection_->IsModified());
    CloseBoth();
  }
}

TEST_F(MouseTest, InsertAddsAFileAfterTheSelectionAndDeleteAsks) {
  OpenBoth();
  Add(Wave("a.wav", 300));
  Add(Wave("b.wav", 300));
  const std::string added = Wave("new.wav", 300);
  collection_->SetFocus();
  collection_->SetSelection(0);

  filetest::ScriptedChooser chooser;
  chooser.answers.push_back({ChooserResult::kOk, added, 1});
  Key(VK_INSERT);
  ASSERT_EQ(chooser.calls.size(), 1u);
  EXPECT_EQ(chooser.calls[0].kind, FileChooserKind::kClipOpen);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "new", "b"}));
  EXPECT_EQ(collection_->GetSelection(), 1);

  RecordingBoxes boxes(IDNO);
  Key(VK_DELETE);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Do you want to delete clip 'new'?");
  EXPECT_EQ(collection_->TileCount(), 3);
  boxes.answer = IDYES;
  collection_->SetFocus();
  Key(VK_DELETE);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace cliptest
