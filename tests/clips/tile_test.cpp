// Tiles as they are painted in the four view modes: sizes, pictures, icons,
// the colours that tell what plays directly, the fitted path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "collection_fixture.h"
#include "model/time_code.h"

namespace cliptest {
namespace {

const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kLightGrey = RGB(192, 192, 192);

class TileTest : public CollectionTest {
 protected:
  // Tiles stay in the order they came in.
  void SetUp() override {
    CollectionTest::SetUp();
    Ini("AUTO_SORT", "0");
  }
  // The collection in mode with one tile of file, painted.
  ClipWindow* TileOf(const std::string& file, int mode) {
    if (collection_ == nullptr) Open(800, 600);
    collection_->SetViewMode(mode);
    EXPECT_TRUE(collection_->AddFile(file.c_str(), -1, 0));
    ClipWindow* tile = collection_->Tile(collection_->TileCount() - 1);
    Paint(tile);
    return tile;
  }
  static void Paint(ClipWindow* tile) {
    GuiPumpMessages();
    ::UpdateWindow(tile->GetHandle());
  }
  static TSize ClientSize(ClipWindow* tile) { return tile->GetClientRect().Size(); }
  // The pixels of (x0, y0, x1, y1) in the tile that have colour.
  static int Count(ClipWindow* tile, const TRect& r, COLORREF colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += GuiReadPixel(tile->GetHandle(), x, y) == colour;
    return n;
  }
  static bool Shows(ClipWindow* tile, int id, int x, int y, const TRect& part) {
    return ShowsStockBitmap(tile->GetHandle(), id, x, y, part);
  }
  // The leftmost and rightmost x holding colour in rows [top, bottom).
  static std::pair<int, int> Extent(ClipWindow* tile, int top, int bottom, COLORREF colour) {
    int lo = 10000, hi = -1;
    const int w = ClientSize(tile).cx;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < w; ++x)
        if (GuiReadPixel(tile->GetHandle(), x, y) == colour) {
          lo = std::min(lo, x);
          hi = std::max(hi, x);
        }
    return {lo, hi};
  }
  static int TextWidth(const char* text) {
    TScreenDC dc;
    dc.SelectObject(ClipCollection::TileFont());
    return dc.GetTextExtent(text, static_cast<int>(std::strlen(text))).cx;
  }
};

TEST_F(TileTest, EachModeHasItsSize) {
  ClipWindow* tile = TileOf(Wave("a.wav"), kViewFullInfo);
  const int w5 = ClipWindow::TextWidths().w5;
  EXPECT_GT(w5, 50);
  struct Case {
    int mode;
    TSize client;
  };
  const Case cases[] = {
      {kViewFullInfo, {370, 96}},
      {kViewBasicInfo, {64 + w5 + 26, 48}},
      {kViewLargeIcons, {128, 115}},
      {kViewSmallIcons, {64, 48}},
  };
  for (const Case& c : cases) {
    collection_->SetViewMode(c.mode);
    EXPECT_EQ(ClientSize(tile), c.client) << c.mode;
    // The border around it.
    EXPECT_EQ(tile->GetWindowRect().Size(), TSize(c.client.cx + 2, c.client.cy + 2)) << c.mode;
  }
}

TEST_F(TileTest, ASoundInLargeIconsShowsItsPlaceholderIconAndName) {
  ClipWindow* tile = TileOf(Wave("ocean.wav"), kViewLargeIcons);
  // The large placeholder beside the icon, the sound icon (plays directly)
  // over its corner.
  EXPECT_TRUE(Shows(tile, 1012, 0, 0, TRect(26, 0, 128, 96)));
  EXPECT_TRUE(Shows(tile, 1012, 0, 0, TRect(0, 24, 26, 96)));
  EXPECT_TRUE(Shows(tile, 1027, 0, 0, TRect(0, 0, 26, 24)));
  // Its name below, blue: it plays directly and nothing of it is open.
  const auto [left, right] = Extent(tile, 96, 115, kBlue);
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2, 64, 3);
  EXPECT_NEAR(right - left + 1, TextWidth("ocean"), 2);
}

TEST_F(TileTest, ASoundInSmallIconsIsALightGreyTileWithItsShortNameInTheTextColour) {
  ClipWindow* tile = TileOf(Wave("take.one.wav"), kViewSmallIcons);
  EXPECT_EQ(std::string(tile->clip.name), "take.one");
  EXPECT_TRUE(Shows(tile, 1027, 0, 0, TRect(0, 0, 26, 24)));
  EXPECT_EQ(GuiReadPixel(tile->GetHandle(), 50, 5), kLightGrey);
  // The name up to its first ".", red (the default COLOR), at the bottom.
  const auto [left, right] = Extent(tile, 0, 48, RGB(255, 0, 0));
  ASSERT_GE(right, left);
  EXPECT_NEAR(right - left + 1, TextWidth("take"), 2);
  EXPECT_NEAR((left + right) / 2, 32, 3);
  EXPECT_EQ(Count(tile, TRect(0, 0, 64, 24), RGB(255, 0, 0)), 0);
}

TEST_F(TileTest, ColoursTellWhatPlaysDirectly) {
  // 30 frames a second in a 25 fps project; the sound plays directly.
  ClipWindow* tile = TileOf(Avi("fast.avi", 30, 30.0, true), kViewFullInfo);
  const int x0 = 128 + 26;
  const int w1 = ClipWindow::TextWidths().w1;
  const TRect nameRow(x0 + w1, 0, 370, 16), videoRow(x0 + w1, 48, 370, 64);
  EXPECT_TRUE(Shows(tile, 1021, 128, 96 - 24, TRect(0, 0, 26, 24)));  // picture not direct
  EXPECT_TRUE(Shows(tile, 1027, 128, 0, TRect(0, 0, 26, 24)));        // sound direct
  EXPECT_GT(Count(tile, videoRow, kGrey), 20);
  EXPECT_EQ(Count(tile, videoRow, kBlack), 0);
  EXPECT_GT(Count(tile, nameRow, kBlue), 20);
  // Its sound in use: the name turns black.
  tile->clip.audio->BeginRead();
  tile->Invalidate(false);
  Paint(tile);
  EXPECT_GT(Count(tile, nameRow, kBlack), 20);
  EXPECT_EQ(Count(tile, nameRow, kBlue), 0);
  tile->clip.audio->EndRead();

  // Nothing of it plays directly: grey.
  ClipWindow* silent = TileOf(Avi("silent.avi", 30, 30.0, false), kViewFullInfo);
  EXPECT_GT(Count(silent, nameRow, kGrey), 20);
  EXPECT_EQ(Count(silent, nameRow, kBlue), 0);
  // At the project's rate its picture plays directly.
  ClipWindow* pal = TileOf(Avi("pal.avi", 25, 25.0, false), kViewFullInfo);
  EXPECT_TRUE(Shows(pal, 1023, 128, 48 - 12, TRect(0, 0, 26, 24)));
  EXPECT_GT(Count(pal, videoRow, kBlack), 20);
}

TEST_F(TileTest, ALongPathBeginsWithDotsAndKeepsItsEnd) {
  const std::string folder = Media(std::string(120, 'f'));
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/interview.wav";
  WriteWave(path, 44100, 2, 16, 300);
  ClipWindow* tile = TileOf(path, kViewFullInfo);
  const std::string fitted = tile->FittedPath();
  ASSERT_GT(fitted.size(), 3u);
  EXPECT_EQ(fitted.substr(0, 3), "...");
  EXPECT_TRUE(path.ends_with(fitted.substr(3))) << fitted;
  EXPECT_LE(TextWidth(fitted.c_str()), 370 - 128 - 26 - ClipWindow::TextWidths().w1);
  EXPECT_GT(TextWidth(fitted.c_str()), 150);
}

TEST_F(TileTest, ANewViewModeMakesThePictureAndTheFittedPathAgain) {
  ClipWindow* tile = TileOf(Avi("face.avi"), kViewFullInfo);
  ASSERT_NE(tile->clip.thumbnail, nullptr);
  EXPECT_EQ(tile->clip.thumbnail->width, 128);
  EXPECT_EQ(tile->clip.thumbnail->height, 96);
  EXPECT_STRNE(tile->FittedPath(), "");
  // The face: the first frame (red 255).
  EXPECT_EQ(GuiReadPixel(tile->GetHandle(), 60, 40), RGB(255, 0, 0));

  collection_->SetViewMode(kViewSmallIcons);
  EXPECT_EQ(tile->clip.thumbnail, nullptr);
  EXPECT_STREQ(tile->FittedPath(), "");
  Paint(tile);
  ASSERT_NE(tile->clip.thumbnail, nullptr);
  EXPECT_EQ(tile->clip.thumbnail->width, 64);
  EXPECT_EQ(tile->clip.thumbnail->height, 48);

  collection_->SetViewMode(kViewFullInfo);
  Paint(tile);
  ASSERT_NE(tile->clip.thumbnail, nullptr);
  EXPECT_EQ(tile->clip.thumbnail->width, 128);
  EXPECT_STRNE(tile->FittedPath(), "");
}

// A collection that keeps the messages its tiles send it.
class ListeningCollection : public ClipCollection {
 public:
  ListeningCollection() : ClipCollection(nullptr) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND || msg == WM_RBUTTONDOWN) heard.push_back({msg, wParam, lParam});
    return ClipCollection::WindowProc(msg, wParam, lParam);
  }
  struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Message> heard;
};

TEST_F(TileTest, ATileHandsItsDoubleClickAndRightClickToTheCollection) {
  auto* listening = new ListeningCollection;
  OpenWith(listening, 800, 600);
  ClipWindow* first = TileOf(Wave("a.wav"), kViewLargeIcons);
  ClipWindow* second = TileOf(Wave("b.wav"), kViewLargeIcons);
  const TRect place = PlaceOf(second);
  GuiClick(second->GetHandle(), 10, 20);
  GuiClick(second->GetHandle(), 10, 20);  // a double click
  GuiClick(second->GetHandle(), 30, 40, 1);
  GuiPumpMessages();
  ASSERT_EQ(listening->heard.size(), 2u);
  EXPECT_EQ(listening->heard[0].msg, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(LOWORD(listening->heard[0].wParam), 321);
  EXPECT_EQ(listening->heard[0].lParam, reinterpret_cast<LPARAM>(second->GetHandle()));
  // The right press in the collection's own coordinates (the tile's border
  // is one pixel).
  EXPECT_EQ(listening->heard[1].msg, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(GET_X_LPARAM(listening->heard[1].lParam), place.left + 1 + 30);
  EXPECT_EQ(GET_Y_LPARAM(listening->heard[1].lParam), place.top + 1 + 40);
  (void)first;
}

TEST_F(TileTest, TheTilesOfASourceAreRedrawnAtOnce) {
  ClipWindow* picture = TileOf(Avi("scene.avi"), kViewFullInfo);
  ClipWindow* sound = TileOf(Wave("music.wav"), kViewFullInfo);
  const std::string midi = Media("tune.mid");
  WriteMidi(midi);
  ClipWindow* tune = TileOf(midi, kViewFullInfo);
  GuiPumpMessages();
  auto pending = [](ClipWindow* tile) {
    RECT r{};
    return GetUpdateRect(tile->GetHandle(), &r, FALSE) != 0;
  };
  for (int i = 0; i < collection_->TileCount(); ++i) ASSERT_FALSE(pending(collection_->Tile(i))) << i;
  collection_->RedrawClipsOfAudio(sound->clip.audio);
  EXPECT_TRUE(pending(sound));
  EXPECT_FALSE(pending(picture));
  GuiPumpMessages();
  collection_->RedrawClipsOfAudio(picture->clip.audio);
  EXPECT_TRUE(pending(picture));
  GuiPumpMessages();
  // A clip whose kind leaves its sound out is not the sound's.
  picture->clip.kind = kClipVideo;
  collection_->RedrawClipsOfAudio(picture->clip.audio);
  EXPECT_FALSE(pending(picture));
  collection_->RedrawClipsOfMidi(tune->clip.midi);
  EXPECT_TRUE(pending(tune));
  EXPECT_FALSE(pending(sound));
  GuiPumpMessages();
  // A changed picture file: its tiles let go of their faces.
  Paint(picture);
  ASSERT_NE(picture->clip.thumbnail, nullptr);
  collection_->DropThumbnails(picture->clip.video);
  EXPECT_EQ(picture->clip.thumbnail, nullptr);
  EXPECT_TRUE(pending(picture));
  collection_->RedrawClipsOfVideo(picture->clip.video);
  EXPECT_FALSE(pending(sound));
}

}  // namespace
}  // namespace cliptest
