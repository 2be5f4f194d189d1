// Dragging, extending and showing the range on the range bar.
#include "timeline/header/selection_line.h"

#include <gtest/gtest.h>

#include "strip_fixture.h"
#include "timeline/header/sel_size_text.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/timeline_colors.h"
#include "ui/level_control.h"

namespace striptest {
namespace {

class SelectionLineTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    OpenStrip();
    line_ = window_->SelectionLine();
    TimeLineEngine& e = Engine();
    e.SetLength(600000);
    e.scale = 1000;
    e.factor = 100;  // one pixel is 10 ms
    e.origin = 0;
    e.UpdateScrollRange();
    e.gravityAlign = 0;
    e.alignToFrame = false;
    e.previewVideo = false;
    window_->Settings().autoScroll = false;
    GuiPumpMessages();
  }
  std::pair<int32_t, int32_t> Range() { return {Engine().selStart, Engine().selEnd}; }
  void ShiftPress(int x) {
    GuiKey(VK_SHIFT, true);
    Press(line_, x, 3);
    GuiKey(VK_SHIFT, false);
  }
  COLORREF Pixel(int x) { return GuiReadPixel(line_->GetHandle(), x, 3); }

  TSelectionLine* line_ = nullptr;
};

// Dragging the end before the start makes the start the dragged edge, and
// back again: the range never turns over.
TEST_F(SelectionLineTest, TheEdgesTradeRolesInsteadOfInverting) {
  Engine().SetMarkRange(1000, 2000);
  ShiftPress(200);
  EXPECT_EQ(line_->DragState(), 1);
  MoveTo(line_, 50, 3);
  EXPECT_EQ(Range(), std::make_pair(500, 1000));
  EXPECT_EQ(line_->DragState(), -1);
  MoveTo(line_, 250, 3);
  EXPECT_EQ(Range(), std::make_pair(1000, 2500));
  EXPECT_EQ(line_->DragState(), 1);
  Release(line_, 250, 3);
  EXPECT_EQ(line_->DragState(), 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Range(), std::make_pair(1000, 2500));
}

struct ShiftCase {
  int x;
  int32_t start, end;
};

TEST_F(SelectionLineTest, ShiftMovesTheNearerEdgeAndATieMovesTheEnd) {
  const ShiftCase cases[] = {
      {120, 1200, 3000}, {200, 1000, 2000}, {280, 1000, 2800}, {50, 500, 3000}, {350, 1000, 3500},
  };
  for (const ShiftCase& c : cases) {
    SCOPED_TRACE(c.x);
    Engine().SetMarkRange(1000, 3000);
    ShiftPress(c.x);
    Release(line_, c.x, 3);
    EXPECT_EQ(Range(), std::make_pair(c.start, c.end));
  }
  // Without a range Shift starts a new one.
  Engine().SetMarkRange(0, 0);
  ShiftPress(90);
  Release(line_, 90, 3);
  EXPECT_EQ(Range(), std::make_pair(900, 900));
}

TEST_F(SelectionLineTest, AClickAloneLeavesAnEmptyRange) {
  Engine().SetMarkRange(1000, 3000);
  Press(line_, 300, 3);
  Release(line_, 300, 3);
  EXPECT_EQ(Range(), std::make_pair(3000, 3000));
  int32_t start = 0, end = 0;
  EXPECT_FALSE(Engine().GetMarkRange(start, end));
}

TEST_F(SelectionLineTest, TheCursorFollowsTheDragUnlessToldToStay) {
  for (bool stay : {false, true}) {
    SCOPED_TRACE(stay);
    window_->Settings().dontChangeCurTime = stay;
    Engine().SetPlayCursor(500, false);
    Press(line_, 100 + (stay ? 10 : 0), 3);
    EXPECT_EQ(Engine().cursor, 500);  // the press alone never moves it
    MoveTo(line_, 300, 3);
    EXPECT_EQ(Engine().cursor, stay ? 500 : 3000);
    Release(line_, 300, 3);
  }
}

// Marks attract a range's edges when gravity is on.
TEST_F(SelectionLineTest, TheDraggedEdgeSnapsToMarks) {
  Engine().gravityAlign = 1;
  Engine().gravityGroup = 0;
  ASSERT_TRUE(ProjectMarks.AddMark(3040));
  Engine().gravityDistanceMs = 100;
  Press(line_, 100, 3);
  MoveTo(line_, 300, 3);
  EXPECT_EQ(Range(), std::make_pair(1000, 3040));
  Release(line_, 300, 3);
}

// A click in a line handed to the range starts a new one there.
TEST_F(SelectionLineTest, ARangeDragCanBeginFromALine) {
  Engine().SetMarkRange(1000, 3000);
  Engine().SetPlayCursor(500, false);
  Press(window_->AudioLines(), 150, 5);
  line_->BeginRangeDrag(150);
  EXPECT_EQ(Range(), std::make_pair(1500, 1500));
  EXPECT_EQ(Engine().cursor, 1500);
  EXPECT_EQ(line_->CursorKind(), TSelectionLine::kDragging);
  MoveTo(line_, 250, 3);
  EXPECT_EQ(Range(), std::make_pair(1500, 2500));
  EXPECT_EQ(Engine().cursor, 2500);
  Release(line_, 250, 3);
  EXPECT_EQ(line_->DragState(), 0);
  EXPECT_STREQ(window_->SelSizeText()->Text(), "1:000ms");
}

TEST_F(SelectionLineTest, TheRangeMenuGetsTwoItemsForItsTimeOnly) {
  const std::vector<MenuItem> before = ReadMenu(stripFrame_->range);
  std::vector<MenuItem> shown;
  RightClick(line_, 200, 3, [&](HMENU m) { shown = ReadMenu(m); });
  ASSERT_EQ(shown.size(), before.size() + 3);
  EXPECT_EQ(shown[before.size()].id, 0u);
  EXPECT_EQ(shown[before.size() + 1].id, 520u);
  EXPECT_EQ(shown[before.size() + 1].text, "Normalize audio...");
  EXPECT_EQ(shown[before.size() + 2].id, 521u);
  EXPECT_EQ(shown[before.size() + 2].text, "Check overflow...");
  const std::vector<MenuItem> after = ReadMenu(stripFrame_->range);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].id, before[i].id);
    EXPECT_EQ(after[i].text, before[i].text);
  }
}

TEST_F(SelectionLineTest, DoubleClickTakesInAllClips) {
  DoubleClick(line_, 200, 3);
  EXPECT_EQ(strip_->includeAllClipsAsked, 1);
}

TEST_F(SelectionLineTest, TheRangeShowsInItsColourAndTheEndWithALine) {
  Engine().SetLength(5000);
  Engine().scale = 1000;
  Engine().factor = 100;
  Engine().UpdateScrollRange();
  Engine().SetMarkRange(1000, 2000);
  Engine().SetPlayCursor(4500, false);
  GuiPumpMessages();
  const COLORREF selection = TimeLineColors[kColorSelection];
  EXPECT_EQ(Pixel(99), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(100), selection);
  EXPECT_EQ(Pixel(200), selection);
  EXPECT_EQ(Pixel(201), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(450), TimeLineColors[kColorCurTime]);
  EXPECT_EQ(Pixel(500), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(501), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(502), RGB(128, 128, 128));
  EXPECT_EQ(Pixel(line_->GetClientRect().right - 1), RGB(128, 128, 128));
}

// An attached level array shows each column's loudest level in the level
// meter's colours; a new range drops it.
TEST_F(SelectionLineTest, LevelsShowTheLoudestOfEachColumn) {
  const int32_t* thresholds = TLevelControl::Settings().thresholds;
  const int16_t quiet = static_cast<int16_t>(thresholds[0] - 1);
  const int16_t loud = static_cast<int16_t>(thresholds[3]);
  const int16_t middle = static_cast<int16_t>(thresholds[1]);
  Engine().SetMarkRange(1000, 2000);  // columns 100 to 200

  std::vector<int16_t> levels(100, quiet);
  for (int i = 50; i < 100; ++i) levels[i] = loud;
  line_->AttachLevels(levels);
  line_->Invalidate(false);
  GuiPumpMessages();
  const COLORREF band0 = RGB(0, 0, 192), band2 = RGB(0, 255, 0), band4 = RGB(255, 0, 0);
  EXPECT_EQ(Pixel(100), band0);
  EXPECT_EQ(Pixel(149), band0);
  EXPECT_EQ(Pixel(150), band4);
  EXPECT_EQ(Pixel(200), band4);  // the last column stays within the array

  // Two levels a column: the louder one counts.
  std::vector<int16_t> pairs;
  for (int i = 0; i < 100; ++i) {
    pairs.push_back(quiet);
    pairs.push_back(i < 50 ? middle : loud);
  }
  line_->AttachLevels(pairs);
  line_->Invalidate(false);
  GuiPumpMessages();
  EXPECT_EQ(Pixel(120), band2);
  EXPECT_EQ(Pixel(170), band4);

  Engine().SetMarkRange(1000, 2500);
  EXPECT_EQ(line_->LevelCount(), 0);
  GuiPumpMessages();
  EXPECT_EQ(Pixel(120), TimeLineColors[kColorSelection]);
}

}  // namespace
}  // namespace striptest
