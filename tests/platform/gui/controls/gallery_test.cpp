// Every kind of control in one frame, captured as the display shows it
// (under Xvfb with KOBRIX_GUI=sdl, read back from the SDL window).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "controls_test_util.h"

namespace {

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

TEST(Gallery, EveryControlKindDrawsInOneFrame) {
  Host host(40, 40, 660, 470);
  SetWindowText(host.hwnd, "Controls");
  HFONT font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  auto add = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
                 DWORD ex = 0) {
    HWND c = host.Add(cls, text, style, x, y, w, h, id, ex);
    SendMessage(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return c;
  };
  add(WC_BUTTON, "Output &Format", BS_GROUPBOX, 10, 8, 200, 130, 10);
  HWND check = add(WC_BUTTON, "Do&n't export fields", BS_AUTOCHECKBOX | WS_TABSTOP, 20, 28, 180, 20, 11);
  HWND mono = add(WC_BUTTON, "Mono", BS_AUTORADIOBUTTON | WS_GROUP, 20, 52, 80, 20, 12);
  add(WC_BUTTON, "Stereo", BS_AUTORADIOBUTTON, 110, 52, 80, 20, 13);
  add(WC_STATIC, "Ratio", SS_LEFT, 20, 80, 40, 16, 14);
  HWND rate = add(WC_COMBOBOX, "48000", CBS_DROPDOWN | WS_VSCROLL, 64, 78, 80, 100, 15);
  add(WC_STATIC, "Hz", SS_LEFT, 150, 80, 30, 16, 16);
  add(WC_STATIC, "", SS_ETCHEDHORZ, 20, 108, 180, 2, 17);
  add(WC_STATIC, MAKEINTRESOURCE(32516), SS_ICON, 20, 112, 32, 32, 18);

  HWND name =
      add(WC_EDIT, "Title of the clip", ES_AUTOHSCROLL | WS_TABSTOP, 230, 10, 200, 22, 20, WS_EX_CLIENTEDGE);
  add(WC_EDIT, "Comments\r\nover\r\nseveral\r\nlines\r\nthat\r\nscroll", ES_MULTILINE | WS_VSCROLL, 230, 40,
      200, 70, 21, WS_EX_CLIENTEDGE);
  HWND list = add(WC_LISTBOX, "", LBS_NOTIFY | WS_VSCROLL, 450, 10, 190, 100, 22, WS_EX_CLIENTEDGE);
  for (const char* s :
       {"Dissolve", "Left to right", "Right to left", "Up to down", "Down to up", "Wipe", "Iris"})
    SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessage(list, LB_SETCURSEL, 2, 0);
  HWND type = add(WC_COMBOBOX, "", CBS_DROPDOWNLIST | WS_VSCROLL, 230, 120, 200, 120, 23);
  for (const char* s : {"None", "AG 5700", "Sony Betacam"})
    SendMessage(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessage(type, CB_SETCURSEL, 1, 0);

  HWND hbar = add(WC_SCROLLBAR, "", SBS_HORZ, 10, 160, 300, 16, 1901);
  SetScrollRange(hbar, SB_CTL, 0, 100, TRUE);
  SetScrollPos(hbar, SB_CTL, 30, TRUE);
  HWND vbar = add(WC_SCROLLBAR, "", SBS_VERT, 320, 150, 16, 120, 1902);
  SetScrollPos(vbar, SB_CTL, 70, TRUE);
  HWND slider = add(TRACKBAR_CLASS, "", TBS_AUTOTICKS, 10, 190, 300, 34, 30);
  SendMessage(slider, TBM_SETTICFREQ, 10, 0);
  SendMessage(slider, TBM_SETPOS, TRUE, 60);

  HWND tabs = add(WC_TABCONTROL, "", 0, 350, 150, 290, 140, 40);
  for (const char* s : {"General", "Video", "Audio", "Colors"}) {
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPSTR>(s);
    SendMessage(tabs, TCM_INSERTITEM, 9, reinterpret_cast<LPARAM>(&item));
  }
  SendMessage(tabs, TCM_SETCURSEL, 1, 0);
  add(WC_BUTTON, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 460, 400, 80, 24, IDOK);
  add(WC_BUTTON, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 550, 400, 80, 24, IDCANCEL);
  HWND off = add(WC_BUTTON, "&Help", BS_PUSHBUTTON, 370, 400, 80, 24, IDHELP);
  EnableWindow(off, FALSE);

  SendMessage(check, BM_SETCHECK, BST_CHECKED, 0);
  SendMessage(mono, BM_SETCHECK, BST_CHECKED, 0);
  ClickCentre(name);
  SendMessage(name, EM_SETSEL, 0, 5);
  SendMessage(rate, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("44100"));
  Pump();

  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  ASSERT_TRUE(GuiCaptureWindow(host.hwnd, &pixels, &w, &h)) << GuiBackendName();
  EXPECT_GE(w, 640);
  // The selection of the list and the focused edit, and white fields.
  EXPECT_GT(Count(pixels, GetSysColor(COLOR_HIGHLIGHT)), 500);
  EXPECT_GT(Count(pixels, GetSysColor(COLOR_WINDOW)), 10000);
  EXPECT_TRUE(GuiSaveScreenshot(
      host.hwnd, ShotPath((std::string("gui_controls_") + GuiBackendName() + ".png").c_str())));
  DeleteObject(font);
}

}  // namespace
