// Runs on both back-ends: under Xvfb with KOBRIX_GUI=sdl the capture is read
// back from the SDL window, so it shows what reached the display.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui_test_util.h"
#include "platform/gui/modal.h"

namespace {

constexpr COLORREF kInk = RGB(200, 0, 100);

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name;
}

int Count(const std::vector<std::uint32_t>& pixels, COLORREF color) {
  const std::uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int n = 0;
  for (std::uint32_t p : pixels) n += p == want;
  return n;
}

TEST(Screenshot, TheWindowShowsItsText) {
  HWND frame = CreateWindowEx(0, Recorder::Class(), "Kobrix screenshot", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                              60, 420, 240, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowEx(WS_EX_CLIENTEDGE, Recorder::Class(), "", WS_CHILD | WS_VISIBLE, 20, 20, 360,
                              120, frame, nullptr, nullptr, nullptr);
  Recorder::Get().painters[child] = [](HWND h, HDC dc) {
    RECT r;
    GetClientRect(h, &r);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &r, face);
    HFONT font = CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kInk);
    DrawText(dc, "Kobrix on the window system", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteObject(font);
  };
  GuiPumpMessages();
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame, &pixels, &w, &h)) << GuiBackendName();
  EXPECT_GE(w, 400);
  EXPECT_GT(Count(pixels, kInk), 300);
  const std::string path =
      ShotPath(std::string("gui_window_").append(GuiBackendName()).append(".png").c_str());
  ASSERT_TRUE(GuiSaveScreenshot(frame, path));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char sig[8] = {};
  EXPECT_EQ(std::fread(sig, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(sig[1], 'P');
  DestroyWindow(frame);
}

TEST(Screenshot, AMessageBoxOverItsOwner) {
  HWND owner = CreateWindowEx(0, Recorder::Class(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500,
                              300, nullptr, nullptr, nullptr, nullptr);
  GuiPumpMessages();
  bool captured = false;
  SetModalHook([&](HWND box) {
    GuiPumpMessages();
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    captured = GuiCaptureWindow(box, &pixels, &w, &h) && Count(pixels, RGB(0, 0, 0)) > 100;
    GuiSaveScreenshot(
        box, ShotPath(std::string("gui_message_box_").append(GuiBackendName()).append(".png").c_str()));
    PostMessage(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(
      MessageBox(owner, "Can not read file '/tmp/clip.avi'", "Open Project", MB_ICONEXCLAMATION | MB_OK),
      IDOK);
  SetModalHook(nullptr);
  EXPECT_TRUE(captured);
  DestroyWindow(owner);
}

}  // namespace
