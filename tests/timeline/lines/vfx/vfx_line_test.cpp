// The line of transitions: how each overlap is drawn, what the pointer
// shows over it, and the choice of a transition's kind by double-click.
#include "timeline/lines/other_lines_fixture.h"

namespace linestest {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

class VfxLine : public OtherLinesTest {
 protected:
  void Colors() {
    TimeLineColors[kColorVideoFXTrack] = RGB(250, 230, 200);
    DistinctColors();
  }
  int Height() { return Vfx().GetClientRect().Height(); }
  // Rows of column x drawn in colour c.
  std::vector<int> RowsWith(COLORREF c, int x) {
    std::vector<int> rows;
    for (int y = 0; y < Height(); ++y) {
      if (PixelOf(Vfx(), x, y) == c) rows.push_back(y);
    }
    return rows;
  }
  // Where the kind's name is drawn in [x0, x1): one flag per pixel.
  std::vector<bool> NamePixels(int x0, int x1) {
    std::vector<bool> lit;
    for (int x = x0; x < x1; ++x) {
      for (int y = 0; y < Height(); ++y)
        lit.push_back(PixelOf(Vfx(), x, y) == TimeLineColors[kColorNonSelectedName]);
    }
    return lit;
  }
  VFXEntry* Only() {
    VFXEntry* t = Transitions().Schedule();
    EXPECT_NE(t, nullptr);
    return t;
  }
  void Redraw() {
    Vfx().Invalidate(false);
    GuiPumpMessages();
  }
};

TEST_F(VfxLine, TheDiagonalRunsFromTheEarlierClipsRowTowardsTheLaterOnes) {
  const struct {
    int32_t laterRow;
    bool falling;
  } cases[] = {{1, true}, {0, false}};
  OpenLines();
  Colors();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.laterRow);
    Zoom(10);  // the overlap [1000, 2000) is x 100..200
    VideoClip(1 - c.laterRow, 0, 2000, "a");
    VideoClip(c.laterRow, 1000, 3000, "b");
    Redraw();
    // Right of the name, three quarters across: near the bottom when it
    // falls, near the top when it rises.
    const int h = Height();
    const std::vector<int> dark = RowsWith(kBlack, 175);
    ASSERT_FALSE(dark.empty());
    const int expected = c.falling ? h * 3 / 4 : h / 4;
    EXPECT_NEAR(dark.front(), expected, 2);
    EXPECT_NEAR(dark.back(), expected, 2);
    // Inside the box the transition's colour, borders at its edges.
    EXPECT_EQ(PixelOf(Vfx(), 120, h / 2), TimeLineColors[kColorNonSelectedClip]);
    EXPECT_EQ(RowsWith(kBlack, 100).size(), static_cast<size_t>(h));
    EXPECT_EQ(RowsWith(kBlack, 199).size(), static_cast<size_t>(h));
    EXPECT_EQ(PixelOf(Vfx(), 90, h / 2), TimeLineColors[kColorVideoFXTrack]);
    ClearProject();
  }
}

TEST_F(VfxLine, KindsOutsideTheTableShowTheNameOfTheNearestKind) {
  OpenLines();
  Colors();
  Zoom(5);  // the overlap is x 200..400, wide enough for every name
  VideoClip(0, 0, 2000, "a");
  VideoClip(1, 1000, 3000, "b");
  Redraw();
  VFXEntry* t = Only();
  auto nameOf = [&](int32_t kind) {
    t->kind = kind;
    Redraw();
    return NamePixels(201, 399);
  };
  const std::vector<bool> dissolve = nameOf(0), downToUp = nameOf(4);
  EXPECT_NE(std::count(dissolve.begin(), dissolve.end(), true), 0);
  EXPECT_NE(dissolve, downToUp);
  EXPECT_EQ(nameOf(-3), dissolve);
  EXPECT_EQ(nameOf(9), downToUp);
}

TEST_F(VfxLine, AtTheSmallestZoomBoxesHaveNoNamesAndCannotBePicked) {
  OpenLines(3);
  Colors();
  Zoom(10);
  VideoClip(0, 0, 2000, "a");
  VideoClip(1, 1000, 3000, "b");
  Redraw();
  ASSERT_EQ(Height(), 12);
  const std::vector<bool> names = NamePixels(101, 199);
  EXPECT_EQ(std::count(names.begin(), names.end(), true), 0);
  EXPECT_EQ(PixelOf(Vfx(), 120, 6), TimeLineColors[kColorNonSelectedClip]);
  MoveOn(Vfx(), 150, 6);
  EXPECT_EQ(Vfx().hitZone, kZoneNothing);
  EXPECT_EQ(Vfx().PointerTransition(), nullptr);
  OtherLineDialogs dialogs;
  DoubleClickOn(Vfx(), 150, 6);
  EXPECT_TRUE(dialogs.transitions.empty());
}

// The overlaps [1000, 2000) and [2000 + gap, 3000) at 40 ms a pixel.
TEST_F(VfxLine, AGapNarrowerThanTwoPixelsShowsAsASmallHole) {
  const struct {
    int32_t gap;
    int x;
    COLORREF color;
  } cases[] = {
      {0, 50, kBlack},                // the next box's border
      {40, 50, RGB(255, 255, 255)},   // one pixel: the small-hole colour
      {400, 55, RGB(250, 230, 200)},  // ten pixels: the line's colour
  };
  OpenLines();
  Colors();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gap);
    VideoClip(0, 0, 2000, "a");
    VideoClip(1, 1000, 3000, "b");
    VideoClip(0, 2000 + c.gap, 5000, "c");
    Redraw();
    EXPECT_EQ(PixelOf(Vfx(), c.x, 20), c.color);
    ClearProject();
  }
}

TEST_F(VfxLine, ThePointerOverATransitionTellsItsKindAndClips) {
  OpenLines();
  VideoClip(0, 0, 2000, "a");     // stamp 1
  VideoClip(1, 1000, 3000, "b");  // stamp 2
  Redraw();
  MoveOn(Vfx(), 40, 20);
  EXPECT_EQ(Vfx().hitZone, kZoneEffects);
  EXPECT_EQ(tl_->status, "FX Dissolve(0) : from FILM_1 to FILM_2");
  Transitions().SetTransition(Only(), 2, 5);
  MoveOn(Vfx(), 41, 20);
  EXPECT_EQ(tl_->status, "FX Right to left(5) : from FILM_1 to FILM_2");
  MoveOn(Vfx(), 150, 20);
  EXPECT_EQ(Vfx().hitZone, kZoneNothing);
  EXPECT_EQ(tl_->status, "");
}

TEST_F(VfxLine, APressOnEmptySpaceDeselectsInOneStepAndStartsTheBand) {
  OpenLines();
  Film* a = VideoClip(0, 0, 2000, "a");
  VideoClip(1, 1000, 3000, "b");
  a->group = SelectionGroup;
  Redraw();
  // On the transition a press does nothing.
  PressOn(Vfx(), 40, 20);
  ReleaseOn(Vfx(), 40, 20);
  Later();
  EXPECT_TRUE(tl_->calls.empty());
  EXPECT_TRUE(a->IsSelected());
  PressOn(Vfx(), 150, 20);
  ReleaseOn(Vfx(), 150, 20);
  const POINT screen = ScreenOf(Vfx(), 150, 20);
  ASSERT_EQ(tl_->calls, std::vector<std::string>{"rubber band"});
  EXPECT_EQ(tl_->args[0], (Point{screen.x, screen.y}));
  EXPECT_FALSE(a->IsSelected());
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_EQ(UndoScript::Pending(), 0u);
  EXPECT_TRUE(Engine().CmUndo());
  EXPECT_TRUE(FilmList.First()->IsSelected());
}

TEST_F(VfxLine, APressOnThePlayCursorGoesToTheRange) {
  OpenLines();
  Engine().SetPlayCursor(4000, false);  // x 100
  GuiPumpMessages();
  Key(VK_SHIFT, true);
  PressOn(Vfx(), 103, 20);
  Key(VK_SHIFT, false);
  ReleaseOn(Vfx(), 103, 20);
  const POINT screen = ScreenOf(Vfx(), 103, 20);
  ASSERT_EQ(tl_->calls, std::vector<std::string>{"range click shift"});
  EXPECT_EQ(tl_->args[0], (Point{screen.x, screen.y}));
}

TEST_F(VfxLine, ADoubleClickChoosesKindAndSizeWithoutAnUndoStep) {
  OpenLines();
  VideoClip(0, 0, 2000, "a");
  VideoClip(1, 1000, 3000, "b");
  Redraw();
  VFXEntry* t = Only();
  Transitions().SetTransition(t, 1, 4);
  OtherLineDialogs dialogs;
  dialogs.ok = false;
  DoubleClickOn(Vfx(), 40, 20);
  ASSERT_EQ(dialogs.transitions, (std::vector<Point>{Point{1, 4}}));
  EXPECT_EQ(t->kind, 1);
  EXPECT_FALSE(Engine().IsModified());

  dialogs.ok = true;
  dialogs.chosenKind = 3;
  dialogs.chosenParameter = 12;
  DoubleClickOn(Vfx(), 40, 20);
  EXPECT_EQ(t->kind, 3);
  EXPECT_EQ(t->parameter, 12u);
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_EQ(UndoSteps(), 0);
}

TEST_F(VfxLine, AnUnchangedChoiceKeepsTheRenderedFile) {
  OpenLines();
  VideoClip(0, 0, 2000, "a");
  VideoClip(1, 1000, 3000, "b");
  Redraw();
  VFXEntry* t = Only();
  t->state = VFXEntry::Rendered;
  OtherLineDialogs dialogs;
  DoubleClickOn(Vfx(), 40, 20);
  EXPECT_EQ(t->state, VFXEntry::Rendered);
  dialogs.chosenKind = 2;
  DoubleClickOn(Vfx(), 40, 20);
  EXPECT_EQ(t->state, VFXEntry::Waiting);
}

TEST_F(VfxLine, WhilePlayingAPressStopsAndADoubleClickDoesNothing) {
  OpenLines();
  VideoClip(0, 0, 2000, "a");
  VideoClip(1, 1000, 3000, "b");
  Redraw();
  TimeLineEngine& e = Engine();
  e.playing = true;
  OtherLineDialogs dialogs;
  const LPARAM at = MAKELPARAM(40, 20);
  Vfx().SendMessage(WM_LBUTTONDBLCLK, 0, at);
  EXPECT_TRUE(dialogs.transitions.empty());
  EXPECT_EQ(Vfx().hitZone, kZonePlaying);
  Vfx().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_FALSE(e.playing);
}

}  // namespace
}  // namespace linestest
