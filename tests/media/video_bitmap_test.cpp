#include "media/video_bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "media/video_data.h"
#include "video_test_util.h"

namespace {

using Bytes = std::vector<BYTE>;

// A window-layer stand-in that also records what is asked of window DCs.
class Device : public MemoryThumbnailDevice {
 public:
  explicit Device(int bits) : MemoryThumbnailDevice(bits) {}
  HDC GetDC(HWND window) override {
    windows.push_back(window);
    return MemoryThumbnailDevice::GetDC(window);
  }
  HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool background) override {
    selected.push_back(palette);
    return MemoryThumbnailDevice::SelectPalette(dc, palette, background);
  }
  void UpdateColors(HDC) override { ++updates; }
  std::vector<HWND> windows;
  std::vector<HPALETTE> selected;
  int updates = 0;
};

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

// The shared state on a screen of the given depth, torn down after the test
// with every object returned.
class Screen {
 public:
  explicit Screen(int bits) : device(bits) {
    previous_ = SetThumbnailDevice(&device);
    init_ = new TEBitmapInit;
  }
  ~Screen() {
    delete init_;
    EXPECT_EQ(device.LiveBitmaps(), 0);
    EXPECT_EQ(device.LiveDCs(), 0);
    EXPECT_EQ(device.LivePalettes(), 0);
    SetThumbnailDevice(previous_);
  }
  Device device;

 private:
  ThumbnailDevice* previous_;
  TEBitmapInit* init_;
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

std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>((r << 16) | (g << 8) | b);
}

TEST(Thumbnails, OnAPaletteScreenWhiteIs215AndBlackIs0Everywhere) {
  Screen screen(8);
  ASSERT_FALSE(TEBitmapInit::TrueColour());
  ASSERT_NE(TEBitmapInit::Palette(), nullptr);
  EXPECT_EQ(screen.device.SelectedPalette(TEBitmapInit::MemoryDC()), TEBitmapInit::Palette());
  EXPECT_EQ(screen.device.SelectedPalette(TEBitmapInit::SecondDC()), TEBitmapInit::Palette());
  EXPECT_EQ(TEBitmapInit::DibHeader().biBitCount, 8);
  EXPECT_EQ(TEBitmapInit::DibHeader().biClrUsed, 216u);
  const struct {
    BYTE level;
    int index;
    std::uint32_t colour;
  } cases[] = {{255, 215, Rgb(255, 255, 255)}, {0, 0, 0}};
  for (const auto& c : cases) {
    const Bytes frame = Frame(c.level, c.level, c.level);
    TEVideoBitmap* t = TEVideoBitmap::Get(nullptr, 0, FakeSource(c.index == 0), 0, 0, frame.data());
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->width, 128);
    ASSERT_EQ(t->height, 96);
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x) {
        ASSERT_EQ(screen.device.PaletteIndex(t->bitmap, x, y), c.index) << x << "," << y;
        ASSERT_EQ(screen.device.Pixel(t->bitmap, x, y), c.colour);
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
      const std::uint32_t expect = Rgb((sum[2] + 8) >> 4, (sum[1] + 8) >> 4, (sum[0] + 8) >> 4);
      ASSERT_EQ(screen.device.Pixel(t->bitmap, x, y), expect) << x << "," << y;
    }
  t->Release();

  // Halved from rows with a kind: 2 x 2 means.
  TEBitmap half(nullptr, frame.data(), 4, 128, 96);
  ASSERT_EQ(half.width, 64);
  ASSERT_EQ(half.height, 48);
  const int sum = frame[(2 * 10 * 128 + 2 * 7) * 3] + frame[(2 * 10 * 128 + 2 * 7 + 1) * 3] +
                  frame[((2 * 10 + 1) * 128 + 2 * 7) * 3] + frame[((2 * 10 + 1) * 128 + 2 * 7 + 1) * 3];
  EXPECT_EQ(screen.device.Pixel(half.bitmap, 7, 10) & 0xFF, static_cast<std::uint32_t>((sum + 2) >> 2));
}

TEST(Thumbnails, EqualKeysShareOneBitmapAndAnotherScaleBuildsAnother) {
  Screen screen(32);
  const Bytes frame = Frame(1, 2, 3);
  TEVideoBitmap* first = TEVideoBitmap::Get(nullptr, 1, FakeSource(0), 100, 100, frame.data());
  TEVideoBitmap* again = TEVideoBitmap::Get(nullptr, 1, FakeSource(0), 100, 100, frame.data());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(again, first);
  EXPECT_EQ(first->refCount, 2);
  EXPECT_EQ(screen.device.LiveBitmaps(), 1);
  TEVideoBitmap* other = TEVideoBitmap::Get(nullptr, 0, FakeSource(0), 100, 100, frame.data());
  TEVideoBitmap* otherB = TEVideoBitmap::Get(nullptr, 1, FakeSource(0), 100, 101, frame.data());
  EXPECT_NE(other, first);
  EXPECT_NE(otherB, first);
  EXPECT_EQ(other->width, 128);
  EXPECT_EQ(first->width, 64);
  EXPECT_EQ(TEVideoBitmap::Head(), otherB);  // new entries go first
  EXPECT_EQ(screen.device.LiveBitmaps(), 3);
  first->Release();
  EXPECT_EQ(first->refCount, 1);
  first->Release();
  EXPECT_EQ(screen.device.LiveBitmaps(), 2);
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
  HDC target = screen.device.CreateMemoryDC();
  HBITMAP canvas = screen.device.CreateCompatibleBitmap(target, 200, 100);
  HBITMAP before = screen.device.SelectBitmap(target, canvas);
  held->Draw(target, 50, 2);
  held->DrawPart(target, 0, 0, 120, 90, 30, 30);  // only 8 x 6 of it lies inside
  EXPECT_EQ(screen.device.Pixel(canvas, 50, 2), Rgb(77, 20, 10));
  EXPECT_EQ(screen.device.Pixel(canvas, 177, 97), Rgb(77, 20, 10));
  EXPECT_EQ(screen.device.Pixel(canvas, 8, 0), 0u);
  EXPECT_EQ(screen.device.Pixel(canvas, 7, 5), Rgb(77, 20, 10));
  EXPECT_EQ(screen.device.Pixel(canvas, 7, 6), 0u);
  screen.device.SelectBitmap(target, before);
  screen.device.DeleteBitmap(canvas);
  screen.device.DeleteDC(target);
  held->Release();
  held = nullptr;
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
    for (int x = 0; x < t->width; ++x) ASSERT_EQ(screen.device.Pixel(t->bitmap, x, y), 0u) << x << "," << y;
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
  EXPECT_NE(screen.device.Pixel(on->bitmap, 3, 3), screen.device.Pixel(off->bitmap, 3, 3));
  const int live = screen.device.LiveBitmaps();
  TEBitmap* first = TEBitmapInit::StockBitmaps[0];
  TEBitmapInit::LoadStockBitmaps(nullptr);
  EXPECT_EQ(TEBitmapInit::StockBitmaps[0], first);
  EXPECT_EQ(screen.device.LiveBitmaps(), live);
}

TEST(ThumbnailPaletteUse, WindowsAndTargetsGetTheSharedPaletteOnlyOnPaletteScreens) {
  for (int bits : {8, 32}) {
    SCOPED_TRACE(bits);
    Screen screen(bits);
    const HWND window = reinterpret_cast<HWND>(0x100);
    screen.device.selected.clear();
    TEBitmapInit::RealizePalette(window);
    TEBitmapInit::RealizePaletteAndUpdate(window);
    TEBitmapInit::UnrealizePalette(window);
    TEBitmapInit::RealizePalette(nullptr);
    if (bits == 8) {
      EXPECT_EQ(screen.device.windows, (std::vector<HWND>{window, window, window}));
      EXPECT_EQ(screen.device.selected,
                (std::vector<HPALETTE>{TEBitmapInit::Palette(), TEBitmapInit::Palette(), nullptr}));
      EXPECT_EQ(screen.device.updates, 1);
    } else {
      EXPECT_TRUE(screen.device.windows.empty());
      EXPECT_TRUE(screen.device.selected.empty());
    }
    const Bytes frame = Frame(0, 0, 255);
    TEBitmap picture(nullptr, 0, frame.data(), 128, 96);
    HDC target = screen.device.CreateMemoryDC();
    picture.Draw(target, 0, 0);
    EXPECT_EQ(screen.device.SelectedPalette(target), TEBitmapInit::Palette());
    EXPECT_EQ(screen.device.Realizations(target), bits == 8 ? 1 : 0);
    screen.device.DeleteDC(target);
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
      ASSERT_EQ(screen.device.Pixel(t->bitmap, x, y), Rgb(p[2], p[1], p[0])) << x << "," << y;
    }
  t->Release();
  source->Release();
}

}  // namespace
