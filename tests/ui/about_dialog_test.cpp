#include "ui/about_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "media/video_bitmap.h"
#include "platform/classlib/classlib.h"
#include "platform/core/time.h"
#include "resources/about_pictures.h"
#include "resources/setup_dialog_ids.h"

using namespace dialogtest;

namespace {

constexpr int kFirstPictureSlot = 31;

// Which of the five pictures the control shows (-1: none of them).
int ShownPicture(HWND control) {
  for (int i = 0; i < kAboutPictureCount; ++i) {
    StockBitmapArt art;
    DrawAboutPicture(i, &art);
    bool same = true;
    for (int y = 0; y < art.height && same; y += 3) {
      for (int x = 0; x < art.width && same; x += 3) {
        const BYTE* p = &art.pixels[(static_cast<std::size_t>(y) * art.width + x) * 3];
        same = GuiReadPixel(control, x, y) == RGB(p[2], p[1], p[0]);
      }
    }
    if (same) return i;
  }
  return -1;
}

TEST(AboutBox, ShowsTheVersionOnTopAndAPictureASecondBuiltOncePerRun) {
  TEBitmapInit shared;
  TEBitmapInit::LoadStockBitmaps(nullptr);
  TestClock clock;
  FakeShell shell;
  TFrameWindow frame(nullptr, "Kobrix");
  ASSERT_TRUE(frame.Create());
  GuiPumpMessages();

  std::vector<int> shown;
  std::string version;
  bool topmost = false;
  TEBitmap* built[kAboutPictureCount] = {};
  ModalScript first({[&](HWND d) {
    version = ItemText(d, kAboutVersion);
    topmost = (GetWindowLong(d, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    HWND picture = GetDlgItem(d, kAboutPicture);
    for (int second = 0; second < 6; ++second) {
      Pump(d);
      shown.push_back(ShownPicture(picture));
      clock.Advance(1000);
    }
    Click(d, IDOK);
  }});
  RunAboutBox(frame.GetHandle());
  EXPECT_EQ(version, "Version 1.12");
  EXPECT_TRUE(topmost);
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 0}));
  for (int i = 0; i < kAboutPictureCount; ++i) {
    built[i] = TEBitmapInit::StockBitmaps[kFirstPictureSlot + i];
    ASSERT_NE(built[i], nullptr);
    EXPECT_EQ(built[i]->width, kAboutPictureWidth);
    EXPECT_EQ(built[i]->height, kAboutPictureHeight);
  }

  // A second box takes the same pictures and starts again from the first.
  shown.clear();
  ModalScript second({[&](HWND d) {
    Pump(d);
    shown.push_back(ShownPicture(GetDlgItem(d, kAboutPicture)));
    Key(d, VK_ESCAPE);
  }});
  RunAboutBox(frame.GetHandle());
  EXPECT_EQ(shown, std::vector<int>{0});
  for (int i = 0; i < kAboutPictureCount; ++i)
    EXPECT_EQ(TEBitmapInit::StockBitmaps[kFirstPictureSlot + i], built[i]);
}

}  // namespace
