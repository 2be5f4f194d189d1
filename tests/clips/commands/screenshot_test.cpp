// A tile's context menu as the display shows it: under Xvfb with
// KOBRIX_GUI=sdl the capture is read back from the SDL window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "commands_fixture.h"
#include "platform/gui/modal.h"

namespace cliptest {
namespace {

using Screenshot = ClipCommandsTest;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

// Pixels of the window's capture of a colour.
int Count(HWND window, COLORREF colour) {
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  if (!GuiCaptureWindow(window, &pixels, &w, &h)) return -1;
  const std::uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  int n = 0;
  for (std::uint32_t p : pixels) n += (p & 0xFFFFFF) == want;
  return n;
}

TEST_F(Screenshot, TileMenu) {
  Ini("ICON_TYPE", "3");
  OpenBoth(600, 300);
  std::snprintf(TimeLine().Settings().videoEditor, MAX_PATH, "%s", "/tools/VEDIT.EXE");
  ClipWindow* scene = Add(Avi("interview.avi", 50, 30.0, true));
  Add(Wave("ambience.wav", 1000));
  GuiPumpMessages();

  bool shot = false;
  int ink = 0, grey = 0;
  const TRect r = PlaceOf(scene);
  RightClick(TPoint(r.left + 20, r.top + 20), [&](HMENU) {
    HWND popup = FindWindow(WC_POPUPMENU, nullptr);
    ASSERT_NE(popup, nullptr);
    GuiPumpMessages();
    ink = Count(popup, RGB(0, 0, 0));
    grey = Count(popup, RGB(128, 128, 128));
    shot = GuiSaveScreenshot(popup, ShotPath("clip_collection_tile_menu"));
  });
  EXPECT_TRUE(shot) << GuiBackendName();
  // Black texts of the items, grey ones of the greyed.
  EXPECT_GT(ink, 300);
  EXPECT_GT(grey, 100);
}

}  // namespace
}  // namespace cliptest
