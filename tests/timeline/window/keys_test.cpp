// The keys the time-line takes before its accelerators, and its accelerators.
#include "input_fixture.h"
#include "model/film.h"
#include "model/undo_history.h"
#include "timeline/header/time_code.h"

namespace timelinetest {
namespace {

using Keys = WindowInputTest;

TEST_F(Keys, TabHandsTheOneSelectedClipsSelectionToItsNeighbourOnItsLine) {
  OpenInput();
  auto* sound = Audio("a.wav", 60000);
  Film* a = AudioFilm(sound, 1, 0, 1000);
  Film* other = AudioFilm(sound, 2, 500, 1000);  // another line: skipped
  Film* b = AudioFilm(sound, 1, 2000, 1000);
  Film* c = AudioFilm(sound, 1, 4000, 1000);
  a->group = SelectionGroup;
  Press(VK_TAB);
  EXPECT_EQ(a->group, 0);
  EXPECT_EQ(other->group, 0);
  EXPECT_EQ(b->group, SelectionGroup);
  EXPECT_EQ(UndoScript::Pending(), kUndoSelectGesture);
  Press(VK_TAB);
  EXPECT_EQ(c->group, SelectionGroup);
  TakeBeeps();
  // The last one of its line: a beep, nothing moves.
  Press(VK_TAB);
  EXPECT_EQ(c->group, SelectionGroup);
  EXPECT_EQ(TakeBeeps(), (std::vector<UINT>{MB_ICONASTERISK}));
  // Shift+Tab steps back.
  Press(VK_TAB, false, true);
  EXPECT_EQ(b->group, SelectionGroup);
  EXPECT_EQ(c->group, 0);

  // Two selected: nothing, not even a beep.
  a->group = SelectionGroup;
  Press(VK_TAB);
  EXPECT_EQ(a->group, SelectionGroup);
  EXPECT_EQ(b->group, SelectionGroup);
  EXPECT_EQ(c->group, 0);
  EXPECT_TRUE(TakeBeeps().empty());
}

TEST_F(Keys, TabWaitsWhileAWindowHoldsTheMouse) {
  InputTimeLine& w = OpenInput();
  Film* a = AudioFilm(Audio("a.wav", 60000), 0, 0, 1000);
  Film* b = AudioFilm(Audio("b.wav", 60000), 0, 2000, 1000);
  a->group = SelectionGroup;
  SetCapture(w.TimeRuler()->GetHandle());
  Press(VK_TAB);
  ReleaseCapture();
  EXPECT_EQ(a->group, SelectionGroup);
  EXPECT_EQ(b->group, 0);
}

TEST_F(Keys, ArrowsGoToALinesDragFirstAndOtherwiseStepTheCursor) {
  InputTimeLine& w = OpenInput();
  TimeLineEngine& e = Engine();
  e.SetPlayCursor(1010, false);
  w.lineDragging = true;
  Press(VK_RIGHT);
  Press(VK_UP);
  EXPECT_EQ(w.dragKeys, (std::vector<int>{VK_RIGHT, VK_UP}));
  EXPECT_EQ(e.cursor, 1010);
  w.lineDragging = false;
  // Next frame from 1010 ms at 25 frames a second.
  Press(VK_RIGHT);
  EXPECT_EQ(e.cursor, 1040);
  Press(VK_LEFT);
  Press(VK_LEFT);
  EXPECT_EQ(e.cursor, 960);
  // Keys other than the arrows never reach a drag.
  Press(VK_ADD);
  EXPECT_EQ(w.dragKeys.size(), 5u);
}

TEST_F(Keys, PlusAndMinusZoomOnTheMainKeysAndTheKeypad) {
  OpenInput();
  TimeLineEngine& e = Engine();
  e.SetLength(600000);
  e.SetZoom(1000);
  ASSERT_EQ(e.scale, 1000);
  struct Case {
    int vk;
    bool ctrl, shift;
    int32_t scale;
  };
  const Case cases[] = {
      {VK_ADD, false, false, 500},      {VK_SUBTRACT, false, false, 1000}, {VK_ADD, true, false, 500},
      {VK_SUBTRACT, true, false, 1000}, {VK_OEM_PLUS, false, true, 500},   {VK_OEM_MINUS, false, false, 1000},
      {VK_OEM_PLUS, true, true, 500},   {VK_OEM_MINUS, true, false, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.vk << (c.ctrl ? " ctrl" : ""));
    Press(c.vk, c.ctrl, c.shift);
    EXPECT_EQ(e.scale, c.scale);
  }
}

}  // namespace
}  // namespace timelinetest
