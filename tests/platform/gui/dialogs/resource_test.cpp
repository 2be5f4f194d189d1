#include <gtest/gtest.h>

#include "dialog_test_util.h"

namespace {

TEST(Resources, MenusStringsAndAcceleratorsAreBuiltFromData) {
  RegisterMenuResource(7100, {MenuPopup("&File", {MenuCommand("&New\tCtrl+N", 1), MenuSeparator(),
                                                  MenuCommand("E&xit", 2, MF_GRAYED)}),
                              MenuCommand("&Help", 3)});
  HMENU bar = LoadMenu(ProgramInstance(), MAKEINTRESOURCE(7100));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), MF_SEPARATOR);
  EXPECT_EQ(GetMenuState(file, 2, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(GetMenuItemID(bar, 1), 3u);
  // Each load is a menu of its own.
  HMENU again = LoadMenu(nullptr, "#7100");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, bar);
  DestroyMenu(bar);
  DestroyMenu(again);
  EXPECT_EQ(LoadMenu(nullptr, MAKEINTRESOURCE(7101)), nullptr);

  RegisterStringResource(7200, "Termometer");
  char buf[8];
  EXPECT_EQ(LoadString(nullptr, 7200, buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "Termome");
  EXPECT_EQ(LoadString(nullptr, 7201, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");

  RegisterAcceleratorResource(7300, {{FVIRTKEY, VK_F6, 853}});
  HACCEL a = LoadAccelerators(nullptr, MAKEINTRESOURCE(7300));
  ACCEL entry;
  ASSERT_EQ(CopyAcceleratorTable(a, &entry, 1), 1);
  EXPECT_EQ(entry.cmd, 853);
  DestroyAcceleratorTable(a);
  EXPECT_EQ(LoadAccelerators(nullptr, MAKEINTRESOURCE(7301)), nullptr);
}

TEST(Resources, PicturesBecomeBitmapsCursorsAndIcons) {
  const PixelArt art{{"rgb.", "kkww"},
                     {{'r', RGB(255, 0, 0)},
                      {'g', RGB(0, 255, 0)},
                      {'b', RGB(0, 0, 255)},
                      {'k', RGB(0, 0, 0)},
                      {'w', RGB(255, 255, 255)}}};
  RegisterBitmapResource(7400, art);
  HBITMAP bmp = LoadBitmap(nullptr, MAKEINTRESOURCE(7400));
  ASSERT_NE(bmp, nullptr);
  BITMAP info{};
  GetObject(bmp, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 4);
  EXPECT_EQ(info.bmHeight, 2);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  EXPECT_EQ(GetPixel(mem, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(mem, 2, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(mem, 3, 0), RGB(0, 0, 0));  // not in the palette
  EXPECT_EQ(GetPixel(mem, 3, 1), RGB(255, 255, 255));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  EXPECT_EQ(LoadBitmap(nullptr, MAKEINTRESOURCE(7401)), nullptr);

  // An icon: its transparent pixels leave what was under it.
  RegisterIconResource(7500, art);
  HICON icon = LoadIcon(ProgramInstance(), MAKEINTRESOURCE(7500));
  ASSERT_NE(icon, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP canvas = CreateBitmap(4, 2, 1, 32, nullptr);
  old = SelectObject(dc, canvas);
  RECT all{0, 0, 4, 2};
  HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  FillRect(dc, &all, yellow);
  DrawIcon(dc, 0, 0, icon);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 3, 0), RGB(255, 255, 0));
  SelectObject(dc, old);
  DeleteObject(yellow);
  DeleteObject(canvas);
  DeleteDC(dc);

  RegisterCursorResource(7600, art, POINT{1, 1});
  EXPECT_NE(LoadCursor(ProgramInstance(), MAKEINTRESOURCE(7600)), nullptr);
  EXPECT_EQ(LoadCursor(ProgramInstance(), MAKEINTRESOURCE(7601)), nullptr);
}

TEST(Resources, NamesByNumber) {
  EXPECT_EQ(ResourceNumber(MAKEINTRESOURCE(1730)), 1730);
  EXPECT_EQ(ResourceNumber("#1730"), 1730);
  EXPECT_EQ(ResourceNumber("1730"), 0);
  EXPECT_EQ(ResourceNumber("#17x"), 0);
  EXPECT_EQ(ResourceNumber("#"), 0);
  EXPECT_EQ(ResourceNumber("#99999"), 0);
  EXPECT_EQ(ResourceNumber(nullptr), 0);
}

}  // namespace
