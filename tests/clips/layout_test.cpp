// The grid of tiles as the view's size decides it, the cell a point hits,
// and the selection's caret.
#include <gtest/gtest.h>

#include <string>

#include "collection_fixture.h"
#include "platform/classlib/scroller.h"
#include "ui/scroll_window.h"

namespace cliptest {
namespace {

class LayoutTest : public CollectionTest {
 protected:
  // n tiles of sound clips, each window w x h.
  void AddTiles(int n, int w = 128, int h = 96) {
    const std::string path = Wave("tile.wav", 500);
    AudioData* a = AudioData::OpenShared(path.c_str());
    for (int i = 0; i < n; ++i) {
      auto* tile = new ClipWindow(collection_->GetViewMode(), nullptr, nullptr, a, false);
      collection_->InsertClip(tile, -1);
      ::SetWindowPos(tile->GetHandle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    }
    a->Release();
  }
  TSize CollectionSize() { return collection_->GetWindowRect().Size(); }
};

TEST_F(LayoutTest, TheViewsSizeDecidesTheGrid) {
  struct Case {
    int w, h;
    int columns;
    TSize size;   // of the collection window
    TPoint last;  // where the tenth tile goes
    long yRange;  // of the scroll window, in 8-pixel steps
  };
  const Case cases[] = {
      {500, 1000, 3, {500, 1000}, {4, 304}, 0},   // it fits
      {500, 300, 3, {484, 404}, {4, 304}, 13},    // a vertical bar; three columns still fit beside it
      {400, 1000, 3, {400, 1000}, {4, 304}, 0},   // it fits
      {400, 300, 2, {384, 504}, {136, 404}, 26},  // beside the bar only two columns fit
      {100, 1000, 1, {136, 1004}, {4, 904}, 3},   // narrower than a tile: one column, both bars
  };
  Open(300, 300);
  AddTiles(10);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    SizeView(c.w, c.h);
    EXPECT_EQ(collection_->Columns(), c.columns);
    EXPECT_EQ(collection_->CellSize(), TSize(128, 96));
    EXPECT_EQ(CollectionSize(), c.size);
    EXPECT_EQ(PlaceOf(collection_->Tile(9)).TopLeft(), c.last);
    EXPECT_EQ(PlaceOf(collection_->Tile(1)).TopLeft(), c.columns > 1 ? TPoint(136, 4) : TPoint(4, 104));
    EXPECT_EQ(Scroll()->Scroller->YRange, c.yRange);
  }
}

TEST_F(LayoutTest, ColumnsFirstWhenTheOrientationSaysSo) {
  Open(300, 300, 2);
  AddTiles(10);
  SizeView(500, 250);
  // Two rows beside a horizontal bar; five columns.
  EXPECT_EQ(collection_->Rows(), 2);
  EXPECT_EQ(CollectionSize(), TSize(664, 234));
  EXPECT_EQ(PlaceOf(collection_->Tile(1)).TopLeft(), TPoint(4, 104));
  EXPECT_EQ(PlaceOf(collection_->Tile(9)).TopLeft(), TPoint(532, 104));
}

TEST_F(LayoutTest, SmallerTilesAreCentredInCellsOfTheLargest) {
  Open(300, 300);
  AddTiles(2);
  AddTiles(1, 64, 48);
  SizeView(500, 900);
  EXPECT_EQ(PlaceOf(collection_->Tile(1)), TRect(136, 4, 264, 100));
  EXPECT_EQ(PlaceOf(collection_->Tile(2)), TRect(268 + 32, 4 + 24, 268 + 32 + 64, 4 + 24 + 48));
}

TEST_F(LayoutTest, APointHitsTheTileOfItsCell) {
  Open(300, 300);
  AddTiles(10);
  SizeView(500, 1000);
  collection_->SetSelection(4);
  struct Case {
    TPoint point;
    int index;
  };
  const Case cases[] = {
      {{60, 50}, 0},   {{131, 50}, 0},   // the gap after the first tile
      {{133, 50}, 1},  {{450, 150}, 5},  // beside the last column: that row's last tile
      {{300, 350}, 9},                   // past the last tile
      {{-5, 10}, 4},                     // outside: the selection stays
  };
  for (const Case& c : cases)
    EXPECT_EQ(collection_->HitTest(c.point), c.index) << c.point.x << "," << c.point.y;
}

TEST_F(LayoutTest, AnEmptyCollectionSelectsNothingAndFillsTheView) {
  ClipCollection& c = Open(500, 300);
  c.SetFocus();
  c.UpdateCaret();
  c.SetSelection(3);
  EXPECT_EQ(c.GetSelection(), -1);
  EXPECT_EQ(c.HitTest(TPoint(10, 10)), -1);
  EXPECT_FALSE(c.CaretShown());
  EXPECT_EQ(shell_.status, (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(CollectionSize(), TSize(500, 300));
  EXPECT_EQ(c.Columns(), 1);
}

TEST_F(LayoutTest, TheCaretSurroundsTheSelectedTileAndComesIntoView) {
  Open(300, 300);
  AddTiles(10);
  SizeView(500, 300);
  collection_->SetSelection(2);
  EXPECT_FALSE(collection_->CaretShown());  // only with the focus
  collection_->SetFocus();
  collection_->UpdateCaret();
  EXPECT_TRUE(collection_->CaretShown());
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(TPoint(caret), TPoint(268 - 3, 4 - 3));
  EXPECT_EQ(Scroll()->Scroller->YPos, 0);
  EXPECT_EQ(shell_.status[2], "0:500ms");

  // The last row lies below the view: it scrolls into it.
  collection_->SetSelection(9);
  GetCaretPos(&caret);
  EXPECT_EQ(TPoint(caret), TPoint(4 - 3, 304 - 3));
  const long y = Scroll()->Scroller->YPos;
  EXPECT_GE(y * 8 + 300, 304 + 96 + 3);
  // A new view mode keeps the selection.
  collection_->SetViewMode(kViewSmallIcons);
  EXPECT_EQ(collection_->GetSelection(), 9);
  EXPECT_TRUE(collection_->CaretShown());
}

TEST_F(LayoutTest, TheViewCommandsChooseTheModeAndCheckItsItem) {
  Open(500, 300);
  AddTiles(3);
  collection_->SendMessage(WM_COMMAND, 453);
  EXPECT_EQ(collection_->GetViewMode(), kViewLargeIcons);
  EXPECT_EQ(shell_.viewModes.back(), kViewLargeIcons);
  EXPECT_EQ(collection_->Tile(0)->GetViewMode(), kViewLargeIcons);
  EXPECT_EQ(collection_->Tile(0)->GetClientRect().Size(), TSize(128, 115));
  for (UINT id = 451; id <= 454; ++id) {
    struct Item : TCommandEnabler {
      using TCommandEnabler::TCommandEnabler;
      int Checked() const { return Check; }
    } item(id, collection_->GetHandle());
    collection_->RouteCommandEnable(item);
    EXPECT_TRUE(item.IsEnabled()) << id;
    EXPECT_EQ(item.Checked(), id == 453 ? TCommandEnabler::Checked : TCommandEnabler::Unchecked) << id;
  }
}

}  // namespace
}  // namespace cliptest
