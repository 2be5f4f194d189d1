// Keys during a drag, scrolling while the pointer is outside the rows, and
// the double-click.
#include "video_line_fixture.h"

namespace videolinetest {
namespace {

class KeysAndScroll : public VideoLineTest {
 protected:
  static int32_t Frame(int32_t ms) { return MsToFrames(ms, 25.0f); }
};

TEST_F(KeysAndScroll, NudgesMoveByOneTenOrAHundredFramesAndStayAfterTheNextMove) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 100, 0, 30);
  GuiPumpMessages();
  Press(115, Middle(0));
  const struct {
    bool shift, ctrl;
    int vk;
    int32_t start;
  } steps[] = {
      {false, false, VK_RIGHT, 101}, {true, false, VK_RIGHT, 111}, {false, true, VK_RIGHT, 211},
      {true, true, VK_RIGHT, 311},   {false, false, VK_LEFT, 310}, {false, false, 'A', 310},
  };
  for (const auto& s : steps) {
    if (s.shift) Key(VK_SHIFT, true);
    if (s.ctrl) Key(VK_CONTROL, true);
    Line().OnDragKey(s.vk);
    if (s.shift) Key(VK_SHIFT, false);
    if (s.ctrl) Key(VK_CONTROL, false);
    EXPECT_EQ(Frame(f->start), s.start) << s.vk << " shift " << s.shift << " ctrl " << s.ctrl;
  }
  Move(116, Middle(0));
  EXPECT_EQ(Frame(f->start), 311);
  // Down and up carry the clip between the rows.
  Line().OnDragKey(VK_DOWN);
  GuiPumpMessages();
  EXPECT_EQ(f->videoRow, 1);
  Line().OnDragKey(VK_DOWN);
  GuiPumpMessages();
  EXPECT_EQ(f->videoRow, 1);
  Line().OnDragKey(VK_UP);
  GuiPumpMessages();
  EXPECT_EQ(f->videoRow, 0);
  Release(116, Middle(0));
  EXPECT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Frame(FilmList.First()->start), 100);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(KeysAndScroll, ANudgeTrimsTheStartByFrames) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 110, 10, 30);
  GuiPumpMessages();
  Press(111, Middle(0));
  ASSERT_EQ(Line().hitZone, kZoneTrimStart);
  Line().OnDragKey(VK_RIGHT);
  Line().OnDragKey(VK_LEFT);
  Line().OnDragKey(VK_LEFT);
  Release(111, Middle(0));
  EXPECT_EQ(Frame(f->in), 9);
  EXPECT_EQ(Frame(f->start), 109);
}

TEST_F(KeysAndScroll, WithAutoScrollTheTimerScrollsWhileThePointerIsOutside) {
  OpenRows(1, 1);
  TimeLineEngine& e = Engine();
  e.origin = FramesToMs(1000, 25.0f);
  e.UpdateScrollRange();
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 1100, 0, 30);
  GuiPumpMessages();
  const int width = Line().GetClientRect().Width();
  Press(115, Middle(0));
  Move(width + 20, Middle(0));
  EXPECT_TRUE(Line().ScrollTimerRunning());
  const int32_t origin = e.origin;
  const int32_t placed = f->start;
  clock_.Advance(100);
  GuiPumpMessages();
  clock_.Advance(100);
  GuiPumpMessages();
  EXPECT_EQ(tl_->scrolls, (std::vector<UINT>{SB_LINERIGHT, SB_LINERIGHT}));
  EXPECT_EQ(e.origin, origin + 2 * e.ScrollStep());
  // The clip follows the pointer into the scrolled part.
  EXPECT_GT(f->start, placed);
  Move(500, Middle(0));
  clock_.Advance(100);
  GuiPumpMessages();
  EXPECT_FALSE(Line().ScrollTimerRunning());
  clock_.Advance(300);
  GuiPumpMessages();
  EXPECT_EQ(tl_->scrolls.size(), 2u);
  Release(500, Middle(0));
}

TEST_F(KeysAndScroll, WithoutAutoScrollAStepScrollsOnceAndThePointerMovesWithTheContent) {
  OpenRows(1, 1);
  tl_->Settings().autoScroll = false;
  TimeLineEngine& e = Engine();
  e.origin = FramesToMs(1000, 25.0f);
  e.UpdateScrollRange();
  VideoData* v = KeyedAvi(40, {});
  Clip(v, 0, 1100, 0, 30);
  GuiPumpMessages();
  const int width = Line().GetClientRect().Width();
  Press(115, Middle(0));
  const int32_t origin = e.origin;
  Move(width + 20, Middle(0));
  EXPECT_FALSE(Line().ScrollTimerRunning());
  EXPECT_EQ(tl_->scrolls, std::vector<UINT>{SB_LINERIGHT});
  EXPECT_EQ(e.origin, origin + e.ScrollStep());
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.x, Screen(width + 20, 0).x - tl_->TimeTextWidth());
  Release(at.x, Middle(0));
}

TEST_F(KeysAndScroll, ADoubleClickPlaysOnceFromThePointerWithinTheClipsAndTheWindow) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(4000, {});
  Clip(v, 0, 100, 0, 30);
  Film* far = Clip(v, 1, 200, 0, 60);
  GuiPumpMessages();
  Click(150, Middle(0));
  Click(150, Middle(0));
  Later();
  // Before the clips: from their start.
  Click(50, Middle(0));
  Click(50, Middle(0));
  Later();
  // Clips beyond the window's right edge: up to the edge.
  far->end = FramesToMs(4000, 25.0f);
  const int width = Line().GetClientRect().Width();
  Click(150, Middle(1));
  Click(150, Middle(1));
  Later();
  std::vector<Point> plays;
  for (std::size_t i = 0; i < tl_->calls.size(); ++i) {
    if (tl_->calls[i] == "play once") plays.push_back(tl_->args[i]);
  }
  EXPECT_EQ(plays, (std::vector<Point>{{FramesToMs(150, 25.0f), FramesToMs(260, 25.0f)},
                                       {FramesToMs(100, 25.0f), FramesToMs(260, 25.0f)},
                                       {FramesToMs(150, 25.0f), FramesToMs(width, 25.0f)}}));
}

TEST_F(KeysAndScroll, AShiftDoubleClickTogglesTheLaterClipsOfTheRowInOneUndoStep) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(400, {});
  for (bool multiselect : {false, true}) {
    ClearProject();
    Film* a = Clip(v, 0, 100, 0, 30, "a");
    Film* b = Clip(v, 0, 140, 0, 30, "b");
    Film* c = Clip(v, 0, 180, 0, 20, "c");
    Film* d = Clip(v, 1, 150, 0, 100, "d");
    b->group = SelectionGroup;
    GuiPumpMessages();
    tl_->multiselectMode = multiselect;
    if (!multiselect) Key(VK_SHIFT, true);
    Click(120, Middle(0));
    Click(120, Middle(0));
    Later();
    if (!multiselect) Key(VK_SHIFT, false);
    tl_->multiselectMode = false;
    EXPECT_TRUE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_TRUE(c->IsSelected());
    EXPECT_FALSE(d->IsSelected());
    ASSERT_TRUE(Engine().CmUndo());
    std::string selected;
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (f->IsSelected()) selected += f->name;
    }
    EXPECT_EQ(selected, "b");
    EXPECT_FALSE(UndoScript::CanUndo());
  }
}

}  // namespace
}  // namespace videolinetest
