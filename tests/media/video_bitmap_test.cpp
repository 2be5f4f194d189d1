#include "media/video_bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "media/palette_dither.h"
#include "media/video_data.h"
#include "platform/gui/gui.h"
#include "video_test_util.h"

namespace {

using Bytes = std::vector<BYTE>;

class Hooks : public VideoBitmapHooks {
 public:
  Hooks() { previous_ = SetVideoBitmapHooks(this); }
  ~Hooks() override { SetVideoBitmapHooks(previous_); }
  bool RenderThumbnail(VideoData* source, BYTE* pixels, LONG ms) override {
    renders.push_back({source, ms});
    if (!succeed) {
      std::memset(pixels, 0x5A, 1000);  // a failed decode leaves rubbish behind
      return false;
    }
    for (int i = 0; i < kThumbnailFrameBytes; i += 3) {
      pixels[i] = 10;
      pixels[i + 1] = 20;
      pixels[i + 2] = static_cast<BYTE>(ms);
    }
    return true;
  }
  void ReleaseHoldersOf(VideoData* source) override { released.push_back(source); }
  struct Render {
    VideoData* source;
    LONG ms;
  };
  std::vector<Render> renders;
  std::vector<VideoData*> released;
  bool succeed = true;

 private:
  VideoBitmapHooks* previous_;
};

// The shared state on a screen of the given depth (8 bits: the palette
// display), torn down after the test.
class Screen {
 public:
  explicit Screen(int bits) {
    SetPaletteDisplayMode(bits <= 8);
    init_ = new TEBitmapInit;
    reader_ = CreateCompatibleDC(nullptr);
  }
  ~Screen() {
    DeleteDC(reader_);
    delete init_;
    SetPaletteDisplayMode(false);
  }
  // A pixel of bitmap, counted from the top left.
  COLORREF Pixel(HBITMAP bitmap, int x, int y) {
    const HGDIOBJ before = SelectObject(reader_, bitmap);
    const COLORREF c = GetPixel(reader_, x, y);
    SelectObject(reader_, before);
    return c;
  }

 private:
  TEBitmapInit* init_;
  HDC reader_;
};

VideoData* FakeSource(int n) {
  static int sources[8];
  return reinterpret_cast<VideoData*>(&sources[n]);
}

Bytes Frame(BYTE blue, BYTE green, BYTE red) {
  Bytes f(kThumbnailFrameBytes);
  for (std::size_t i = 0; i < f.size(); i += 3) {
    f[i] = blue;
    f[i + 1] = green;
    f[i + 2] = red;
  }
  return f;
}

TEST(Thumbnails, OnAPaletteScreenWhiteIs215AndBlackIs0Everywhere) {
  Screen screen(8);
  ASSERT_FALSE(TEBitmapInit::TrueColour());
  ASSERT_NE(TEBitmapInit::Palette(), nullptr);
  EXPECT_EQ(GetCurrentObject(TEBitmapInit::MemoryDC(), OBJ_PAL), TEBitmapInit::Palette());
  EXPECT_EQ(GetCurrentObject(TEBitmapInit::SecondDC(), OBJ_PAL), TEBitmapInit::Palette());
  EXPECT_EQ(TEBitmapInit::DibHeader().biBitCount, 8);
  EXPECT_EQ(TEBitmapInit::DibHeader().biClrUsed, 216u);
  PALETTEENTRY entries[216];
  ASSERT_EQ(GetPaletteEntries(TEBitmapInit::Palette(), 0, 216, entries), 216u);
  auto colourOf = [&](int index) {
    return RGB(entries[index].peRed, entries[index].peGreen, entries[index].peBlue);
  };
  EXPECT_EQ(colourOf(215), RGB(255, 255, 255));
  EXPECT_EQ(colourOf(0), RGB(0, 0, 0));
  // White, black, and a colour between the levels whose index depends on
  // the threshold at each place.
  const struct { BYTE blue, green, red; } cases[] = {{255, 255, 255}, {0, 0, 0}, {30, 130, 200}};
  int source = 0;
  for (const auto& c : cases) {
    const Bytes frame = Frame(c.blue, c.green, c.red);
    TEVideoBitmap* t = TEVideoBitmap::Get(nullptr, 0, FakeSource(source++), 0, 0, frame.data());
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->width, 128);
    ASSERT_EQ(t->height, 96);
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x) {
        const int th = DitherTable()[8 * (y & 7) + (x & 7)];
        const int index = (c.blue + th) / 51 + 6 * ((c.green + th) / 51) + 36 * ((c.red + th) / 51);
        ASSERT_EQ(screen.Pixel(t->bitmap, x, y), colourOf(index)) << x << "," << y;
      }
    t->Release();
  }
}

TEST(Thumbnails, ScaleTwoIsTheRoundedMeansOfFourByFourBlocks) {
  Screen screen(32);
  EXPECT_EQ(TEBitmapInit::DibHeader().biBitCount, 24);
  EXPECT_EQ(TEBitmapInit::Palette(), nullptr);
  std::mt19937 random(7);
  Bytes frame(kThumbnailFrameBytes);
  for (BYTE& v : frame) v = static_cast<BYTE>(random());
  TEVideoBitmap* t = TEVideoBitmap::Get(nullptr, 2, FakeSource(0), 40, 40, frame.data());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->kind, 5);
  ASSERT_EQ(t->width, 32);
  ASSERT_EQ(t->height, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 32; ++x) {
      int sum[3] = {0, 0, 0};
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
          for (int c = 0; c < 3; ++c) sum[c] += frame[((4 * y + j) * 128 + 4 * x + i) * 3 + c];
      const COLORREF expect = RGB((sum[2] + 8) >> 4, (sum[1] + 8) >> 4, (sum[0] + 8) >> 4);
      ASSERT_EQ(screen.Pixel(t->bitmap, x, y), expect) << x << "," << y;
    }
  t->Release();

  // Halved from rows with a kind: 2 x 2 means.
  TEBitmap half(nullptr, frame.data(), 4, 128, 96);
  ASSERT_EQ(half.width, 64);
  ASSERT_EQ(half.height, 48);
  const int sum = frame[(2 * 10 * 128 + 2 * 7) * 3] + frame[(2 * 10 * 128 + 2 * 7 + 1) * 3] +
                  frame[((2 * 10 + 1) * 128 + 2 * 7) * 3] + frame[((2 * 10 + 1) * 128 + 2 * 7 + 1) * 3];
  EXPECT_EQ(GetBValue(screen.Pixel(half.bitmap, 7, 10)), (sum + 2) >> 2);
}

TEST(Thumbnails, EqualKeysShareOneBitmapAndAnotherScaleBuildsAnother) {
  Screen screen(32);
  const Bytes frame = Frame(1, 2, 3);
  TEVideoBitmap* first = TEVideoBitmap::Get(nullptr, 1, FakeSource(0), 100, 100, frame.data());
  TEVideoBitmap* again = TEVideoBitmap::Get(nullptr, 1, FakeSource(0), 100, 100, frame.data());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(again, first);
  EXPECT_EQ(first->refCount, 2);
  TEVideoBitmap* other = TEVideoBitmap::Get(nullptr, 0, FakeSource(0), 100, 100, frame.data());
  TEVideoBitmap* otherB = TEVideoBitmap::Get(nullptr, 1, FakeSource(0), 100, 101, frame.data());
  EXPECT_NE(other, first);
  EXPECT_NE(otherB, first);
  EXPECT_EQ(other->width, 128);
  EXPECT_EQ(first->width, 64);
  EXPECT_EQ(TEVideoBitmap::Head(), otherB);  // new entries go first
  first->Release();
  EXPECT_EQ(first->refCount, 1);
  const HBITMAP gone = first->bitmap;
  first->Release();
  EXPECT_EQ(GetObjectType(gone), 0u);  // the last release deleted it
  EXPECT_EQ(GetObjectType(other->bitmap), OBJ_BITMAP);
  other->Release();
  otherB->Release();
  EXPECT_EQ(TEVideoBitmap::Head(), nullptr);
  EXPECT_EQ(TEVideoBitmap::Get(nullptr, 0, nullptr, 0, 0, frame.data()), nullptr);
  EXPECT_EQ(TEVideoBitmap::Get(nullptr, 3, FakeSource(0), 0, 0, frame.data()), nullptr);
  EXPECT_EQ(TEVideoBitmap::GetFromSource(nullptr, -1, FakeSource(0), 0, 0), nullptr);
}

TEST(Thumbnails, AfterDropSourceANewBitmapIsBuiltAndTheDetachedOneStillDraws) {
  Screen screen(32);
  Hooks hooks;
  TEVideoBitmap* held = TEVideoBitmap::GetFromSource(nullptr, 0, FakeSource(1), 77, 77);
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(hooks.renders.size(), 1u);
  TEVideoBitmap* keep = TEVideoBitmap::GetFromSource(nullptr, 0, FakeSource(2), 77, 77);

  TEVideoBitmap::DropSource(FakeSource(1));
  EXPECT_EQ(hooks.released, std::vector<VideoData*>{FakeSource(1)});
  EXPECT_EQ(held->source, nullptr);
  EXPECT_EQ(keep->source, FakeSource(2));
  TEVideoBitmap* fresh = TEVideoBitmap::GetFromSource(nullptr, 0, FakeSource(1), 77, 77);
  EXPECT_NE(fresh, held);
  EXPECT_EQ(hooks.renders.size(), 3u);
  EXPECT_EQ(TEVideoBitmap::GetFromSource(nullptr, 0, FakeSource(2), 77, 77), keep);
  keep->Release();

  // The detached thumbnail draws for its holder.
  HDC screenDc = GetDC(nullptr);
  HBITMAP canvas = CreateCompatibleBitmap(screenDc, 200, 100);
  ReleaseDC(nullptr, screenDc);
  HDC target = CreateCompatibleDC(nullptr);
  const HGDIOBJ before = SelectObject(target, canvas);
  RECT all{0, 0, 200, 100};
  FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  held->Draw(target, 50, 2);
  held->DrawPart(target, 0, 0, 120, 90, 30, 30);  // only 8 x 6 of it lies inside
  SelectObject(target, before);
  EXPECT_EQ(screen.Pixel(canvas, 50, 2), RGB(77, 20, 10));
  EXPECT_EQ(screen.Pixel(canvas, 177, 97), RGB(77, 20, 10));
  EXPECT_EQ(screen.Pixel(canvas, 8, 0), RGB(0, 0, 0));
  EXPECT_EQ(screen.Pixel(canvas, 7, 5), RGB(77, 20, 10));
  EXPECT_EQ(screen.Pixel(canvas, 7, 6), RGB(0, 0, 0));
  DeleteObject(canvas);
  DeleteDC(target);
  held->Release();
  keep->Release();
  fresh->Release();
  EXPECT_EQ(TEVideoBitmap::Head(), nullptr);
}

TEST(Thumbnails, AFailingSourceGivesACachedBlackThumbnail) {
  Screen screen(32);
  Hooks hooks;
  hooks.succeed = false;
  TEVideoBitmap* t = TEVideoBitmap::GetFromSource(nullptr, 1, FakeSource(3), 500, 500);
  ASSERT_NE(t, nullptr);
  for (int y = 0; y < t->height; ++y)
    for (int x = 0; x < t->width; ++x)
      ASSERT_EQ(screen.Pixel(t->bitmap, x, y), RGB(0, 0, 0)) << x << "," << y;
  hooks.succeed = true;
  EXPECT_EQ(TEVideoBitmap::GetFromSource(nullptr, 1, FakeSource(3), 500, 500), t);
  EXPECT_EQ(hooks.renders.size(), 1u);
  t->Release();
  t->Release();
}

TEST(Thumbnails, ViewModesSetTheCollectionsThumbnailSize) {
  Screen screen(32);
  EXPECT_EQ(TEBitmapInit::ThumbnailKind(), 3);
  const struct {
    int mode, kind, width, height;
  } cases[] = {{2, 4, 64, 48}, {1, 3, 128, 96}, {4, 4, 64, 48}, {3, 3, 128, 96}, {0, 4, 64, 48}};
  for (const auto& c : cases) {
    TEVideoBitmap::SetThumbnailMode(c.mode);
    EXPECT_EQ(TEBitmapInit::ThumbnailKind(), c.kind) << c.mode;
    EXPECT_EQ(TEBitmapInit::ThumbnailWidth(), c.width) << c.mode;
    EXPECT_EQ(TEBitmapInit::ThumbnailHeight(), c.height) << c.mode;
  }
}

TEST(StockBitmaps, LoadedOnceIntoTheirSlots) {
  Screen screen(32);
  TEBitmapInit::LoadStockBitmaps(nullptr);
  const struct {
    int slot, width, height;
  } sizes[] = {{0, 64, 48},  {1, 128, 96}, {2, 64, 48},  {3, 128, 96}, {4, 26, 24},  {12, 26, 24},
               {17, 26, 24}, {18, 32, 12}, {22, 32, 24}, {29, 32, 48}, {30, 160, 48}};
  for (const auto& s : sizes) {
    const TEBitmap* b = TEBitmapInit::StockBitmaps[s.slot];
    ASSERT_NE(b, nullptr) << s.slot;
    EXPECT_EQ(b->kind, 3);
    EXPECT_EQ(b->width, s.width) << s.slot;
    EXPECT_EQ(b->height, s.height) << s.slot;
  }
  for (int slot = 0; slot < kStockResourceSlots; ++slot)
    ASSERT_NE(TEBitmapInit::StockBitmaps[slot]->bitmap, nullptr);
  for (int slot = kStockResourceSlots; slot < kStockBitmapSlots; ++slot)
    EXPECT_EQ(TEBitmapInit::StockBitmaps[slot], nullptr);
  // The solo button lit and unlit differ.
  const TEBitmap* on = TEBitmapInit::StockBitmaps[26];
  const TEBitmap* off = TEBitmapInit::StockBitmaps[27];
  EXPECT_EQ(screen.Pixel(on->bitmap, 3, 3), RGB(255, 255, 0));
  EXPECT_EQ(screen.Pixel(off->bitmap, 3, 3), RGB(192, 192, 192));
  TEBitmap* first = TEBitmapInit::StockBitmaps[0];
  const HBITMAP firstBitmap = first->bitmap;
  TEBitmapInit::LoadStockBitmaps(nullptr);
  EXPECT_EQ(TEBitmapInit::StockBitmaps[0], first);
  EXPECT_EQ(first->bitmap, firstBitmap);
}

LRESULT PlainWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

TEST(ThumbnailPaletteUse, WindowsAndTargetsGetTheSharedPaletteOnlyOnPaletteScreens) {
  WNDCLASS wc;
  wc.lpfnWndProc = PlainWindow;
  wc.lpszClassName = "KobrixThumbnailTest";
  RegisterClass(&wc);
  for (int bits : {32, 8}) {
    SCOPED_TRACE(bits);
    Screen screen(bits);
    const HWND window =
        CreateWindow("KobrixThumbnailTest", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    TEBitmapInit::RealizePalette(window);
    TEBitmapInit::RealizePaletteAndUpdate(window);
    TEBitmapInit::UnrealizePalette(window);
    TEBitmapInit::RealizePalette(nullptr);
    PALETTEENTRY system[256];
    const UINT got = GetSystemPaletteEntries(nullptr, 0, 256, system);
    if (bits == 8) {
      // The cube's first colour that is no static one took the first free slot.
      ASSERT_EQ(got, 256u);
      EXPECT_EQ(system[10].peRed, 0);
      EXPECT_EQ(system[10].peGreen, 0);
      EXPECT_EQ(system[10].peBlue, 51);
    } else {
      EXPECT_EQ(got, 0u);
    }
    const Bytes frame = Frame(0, 0, 255);
    TEBitmap picture(nullptr, 0, frame.data(), 128, 96);
    HDC target = GetDC(window);
    picture.Draw(target, 0, 0);
    EXPECT_EQ(GetCurrentObject(target, OBJ_PAL) == TEBitmapInit::Palette(), bits == 8);
    ReleaseDC(window, target);
    DestroyWindow(window);
  }
}

TEST(Thumbnails, AnAviSourceRendersItsOwnFrames) {
  Screen screen(32);
  video_test::TempFolder folder;
  video_test::RecordingHooks videoHooks;
  video_test::AviSpec spec;
  spec.format = video_test::MakeFormat(128, 96, 24);
  spec.frames = video_test::GradientFrames(128, 96, 3);
  const std::string path = folder.Path("clip.avi");
  ASSERT_EQ(video_test::WriteAvi(path, spec), 0);
  AVIVideoData* source = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0.0f);
  ASSERT_NE(source, nullptr);
  // The second frame starts at 40 ms.
  TEVideoBitmap* t = TEVideoBitmap::GetFromSource(nullptr, 0, source, 40, 40);
  ASSERT_NE(t, nullptr);
  const Bytes expected = video_test::TopDownBgr(spec.format.bi(), spec.frames[1].data.data());
  for (int y = 0; y < 96; y += 5)
    for (int x = 0; x < 128; x += 3) {
      const BYTE* p = &expected[(static_cast<std::size_t>(y) * 128 + x) * 3];
      ASSERT_EQ(screen.Pixel(t->bitmap, x, y), RGB(p[2], p[1], p[0])) << x << "," << y;
    }
  t->Release();
  source->Release();
}

}  // namespace
