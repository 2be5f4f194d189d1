#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_test_util.h"
#include "platform/gui/modal.h"

namespace {

constexpr UINT kNew = 24331;
constexpr UINT kOpen = 24332;
constexpr UINT kSave = 24333;
constexpr UINT kAddFile = 213;
constexpr UINT kCut = 314;
constexpr UINT kZoomIn = 411;
constexpr UINT kZoomOut = 412;

struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> g_seen;
std::function<void(UINT, WPARAM, LPARAM)> g_on;

LRESULT FrameProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_ENTERIDLE:
      g_seen.push_back({msg, wParam, lParam});
      if (g_on) g_on(msg, wParam, lParam);
      if (msg == WM_COMMAND) return 0;
      if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) return 0;
      break;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

std::vector<Seen> Of(UINT msg) {
  std::vector<Seen> out;
  for (const Seen& s : g_seen) {
    if (s.msg == msg) out.push_back(s);
  }
  return out;
}

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

HMENU BuildBar(HMENU* file, HMENU* edit, HMENU* zoom) {
  HMENU bar = CreateMenu();
  *file = CreatePopupMenu();
  AppendMenu(*file, MF_STRING, kNew, "&New project...\tCtrl+N");
  AppendMenu(*file, MF_STRING, kOpen, "&Open project...\tCtrl+O");
  AppendMenu(*file, MF_STRING | MF_GRAYED, kSave, "&Save project\tCtrl+S");
  AppendMenu(*file, MF_SEPARATOR, 0, nullptr);
  AppendMenu(*file, MF_STRING, kAddFile, "Add source &File...\tF4");
  *edit = CreatePopupMenu();
  AppendMenu(*edit, MF_STRING, kCut, "Cu&t");
  *zoom = CreatePopupMenu();
  AppendMenu(*zoom, MF_STRING, kZoomIn, "Zoom &in");
  AppendMenu(*zoom, MF_STRING, kZoomOut, "Zoom &out");
  AppendMenu(*edit, MF_POPUP, reinterpret_cast<UINT_PTR>(*zoom), "&Zoom");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(*file), "&File");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(*edit), "&Edit");
  return bar;
}

// Clicks at the centre of an item that is shown now.
void ClickItem(HWND hwnd, HMENU menu, UINT pos) {
  RECT r;
  ASSERT_TRUE(GetMenuItemRect(hwnd, menu, pos, &r));
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  GuiMouseMove(x, y);
  GuiMouseButton(0, true, x, y);
  GuiMouseButton(0, false, x, y);
}

void AltKey(int vk) {
  GuiKey(VK_MENU, true);
  GuiPressKey(vk);
  GuiKey(VK_MENU, false);
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASS wc;
      wc.lpfnWndProc = FrameProc;
      wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
      wc.lpszClassName = "MenuTestFrame";
      RegisterClass(&wc);
      registered = true;
    }
    g_seen.clear();
    g_on = nullptr;
    bar_ = BuildBar(&file_, &edit_, &zoom_);
    frame_ = CreateWindowEx(0, "MenuTestFrame", "Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 300,
                            nullptr, bar_, nullptr, nullptr);
    GuiPumpMessages();
    g_seen.clear();
  }
  void TearDown() override {
    SetModalHook(nullptr);
    g_on = nullptr;
    DestroyWindow(frame_);
    GuiPumpMessages();
  }
  HWND frame_ = nullptr;
  HMENU bar_ = nullptr, file_ = nullptr, edit_ = nullptr, zoom_ = nullptr;
};

TEST(MenuApi, ItemsAreAddedChangedAndRemoved) {
  HMENU m = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_STRING, 7, "Seven");
  EXPECT_TRUE(AppendMenu(m, MF_STRING, 1, "&One"));
  EXPECT_TRUE(AppendMenu(m, MF_STRING, 3, "Three"));
  EXPECT_TRUE(InsertMenu(m, 1, MF_BYPOSITION | MF_STRING, 2, "Two"));
  EXPECT_TRUE(InsertMenu(m, 3, MF_BYCOMMAND | MF_STRING, 25, "Before three"));
  EXPECT_TRUE(AppendMenu(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More"));
  EXPECT_FALSE(InsertMenu(m, 99, MF_BYCOMMAND, 5, "nowhere"));
  ASSERT_EQ(GetMenuItemCount(m), 5);
  std::vector<UINT> ids;
  for (int i = 0; i < 5; ++i) ids.push_back(GetMenuItemID(m, i));
  EXPECT_EQ(ids, (std::vector<UINT>{1, 2, 25, 3, 0xFFFFFFFFu}));
  EXPECT_EQ(GetSubMenu(m, 4), sub);
  EXPECT_EQ(GetSubMenu(m, 0), nullptr);

  // Check and enable report the state before.
  EXPECT_EQ(CheckMenuItem(m, 2, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(m, 2, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(m, 99, MF_BYCOMMAND | MF_CHECKED), 0xFFFFFFFFu);
  EXPECT_EQ(EnableMenuItem(m, 0, MF_BYPOSITION | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(m, 0, MF_BYPOSITION | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(m, 99, MF_BYCOMMAND), -1);
  EXPECT_EQ(GetMenuState(m, 2, MF_BYCOMMAND), MF_CHECKED);
  EXPECT_EQ(GetMenuState(m, 4, MF_BYPOSITION), MF_POPUP | (1u << 8));
  EXPECT_EQ(GetMenuState(m, 99, MF_BYCOMMAND), 0xFFFFFFFFu);
  // By command reaches into submenus.
  EXPECT_EQ(EnableMenuItem(m, 7, MF_BYCOMMAND | MF_DISABLED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(GetMenuState(sub, 0, MF_BYPOSITION), MF_DISABLED);

  char text[32];
  EXPECT_EQ(GetMenuString(m, 1, text, sizeof text, MF_BYCOMMAND), 4);
  EXPECT_STREQ(text, "&One");
  EXPECT_TRUE(ModifyMenu(m, 1, MF_BYCOMMAND | MF_STRING, 11, "Eleven"));
  EXPECT_EQ(GetMenuItemID(m, 0), 11u);
  EXPECT_TRUE(CheckMenuRadioItem(m, 0, 3, 1, MF_BYPOSITION));
  EXPECT_TRUE(GetMenuState(m, 1, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(m, 2, MF_BYPOSITION) & MF_CHECKED);

  // RemoveMenu keeps a submenu alive, DeleteMenu destroys it.
  EXPECT_TRUE(RemoveMenu(m, 4, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));
  AppendMenu(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More");
  EXPECT_TRUE(DeleteMenu(m, 4, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_TRUE(DeleteMenu(m, 25, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(m), 3);
  EXPECT_TRUE(DestroyMenu(m));
  EXPECT_FALSE(IsMenu(m));
}

TEST_F(MenuTest, TheBarTakesItsRoomAndIsDrawnUnderTheCaption) {
  RECT with;
  GetClientRect(frame_, &with);
  SetMenu(frame_, nullptr);
  RECT without;
  GetClientRect(frame_, &without);
  EXPECT_EQ(without.bottom - with.bottom, GetSystemMetrics(SM_CYMENU));
  SetMenu(frame_, bar_);
  EXPECT_EQ(GetMenu(frame_), bar_);
  GuiPumpMessages();
  RECT item;
  ASSERT_TRUE(GetMenuItemRect(frame_, bar_, 1, &item));
  POINT client{0, 0};
  ClientToScreen(frame_, &client);
  EXPECT_EQ(item.bottom, client.y);
  // The item texts are drawn in the bar.
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  ASSERT_TRUE(GuiCaptureWindow(frame_, &pixels, &w, &h));
  RECT wr;
  GetWindowRect(frame_, &wr);
  int ink = 0;
  for (int y = item.top - wr.top; y < item.bottom - wr.top; ++y) {
    for (int x = 0; x < w; ++x) ink += pixels[static_cast<std::size_t>(y * w + x)] == 0;
  }
  EXPECT_GT(ink, 20);
}

TEST_F(MenuTest, AClickOnTheBarOpensThePopupAndAnItemSendsItsCommand) {
  HWND popup = nullptr;
  Hook hook([&](HWND window) {
    popup = window;
    EXPECT_EQ(reinterpret_cast<HMENU>(SendMessage(window, MN_GETHMENU, 0, 0)), file_);
    EXPECT_TRUE(GetMenuState(bar_, 0, MF_BYPOSITION) & MF_HILITE);
    ClickItem(frame_, file_, 1);
  });
  ClickItem(frame_, bar_, 0);
  GuiPumpMessages();
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_FALSE(GetMenuState(bar_, 0, MF_BYPOSITION) & MF_HILITE);
  ASSERT_EQ(Of(WM_INITMENU).size(), 1u);
  EXPECT_EQ(reinterpret_cast<HMENU>(Of(WM_INITMENU)[0].wParam), bar_);
  ASSERT_EQ(Of(WM_INITMENUPOPUP).size(), 1u);
  EXPECT_EQ(reinterpret_cast<HMENU>(Of(WM_INITMENUPOPUP)[0].wParam), file_);
  EXPECT_EQ(Of(WM_INITMENUPOPUP)[0].lParam, MAKELPARAM(0, 0));
  ASSERT_EQ(Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wParam, kOpen);
  EXPECT_EQ(Of(WM_COMMAND)[0].lParam, 0);
  EXPECT_EQ(Of(WM_ENTERMENULOOP).size(), 1u);
  EXPECT_EQ(Of(WM_EXITMENULOOP).size(), 1u);
  // The selection was reported, and the menu's closing.
  bool selected_open = false;
  for (const Seen& s : Of(WM_MENUSELECT)) {
    if (LOWORD(s.wParam) == kOpen && reinterpret_cast<HMENU>(s.lParam) == file_) selected_open = true;
  }
  EXPECT_TRUE(selected_open);
  EXPECT_EQ(Of(WM_MENUSELECT).back().wParam, MAKEWPARAM(0, 0xFFFF));
}

TEST_F(MenuTest, AGreyedItemSendsNothingAndAClickOutsideCloses) {
  Hook hook([&](HWND) {
    ClickItem(frame_, file_, 2);  // greyed
    RECT wr;
    GetWindowRect(frame_, &wr);
    GuiMouseMove(wr.right - 20, wr.bottom - 20);
    GuiMouseButton(0, true, wr.right - 20, wr.bottom - 20);
    GuiMouseButton(0, false, wr.right - 20, wr.bottom - 20);
  });
  ClickItem(frame_, bar_, 0);
  GuiPumpMessages();
  EXPECT_TRUE(Of(WM_COMMAND).empty());
  EXPECT_EQ(Of(WM_EXITMENULOOP).size(), 1u);
}

TEST_F(MenuTest, TheKeyboardWorksTheBar) {
  // Alt+E opens Edit with its first item selected; Down, Right opens Zoom, Down, Enter.
  Hook hook([&](HWND popup) {
    EXPECT_EQ(reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0)), edit_);
    EXPECT_TRUE(GetMenuState(edit_, 0, MF_BYPOSITION) & MF_HILITE);
    GuiPressKey(VK_DOWN);
    GuiPressKey(VK_RIGHT);
    GuiPressKey(VK_DOWN);
    GuiPressKey(VK_RETURN);
  });
  SetFocus(frame_);
  AltKey('E');
  GuiPumpMessages();
  ASSERT_EQ(Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wParam, kZoomOut);
  // The submenu was brought up to date with its place in the parent.
  bool zoom_init = false;
  for (const Seen& s : Of(WM_INITMENUPOPUP)) {
    if (reinterpret_cast<HMENU>(s.wParam) == zoom_ && s.lParam == MAKELPARAM(1, 0)) zoom_init = true;
  }
  EXPECT_TRUE(zoom_init);
}

TEST_F(MenuTest, AltAloneSelectsTheBarAndArrowsMoveAlongIt) {
  Hook hook([&](HWND window) {
    EXPECT_EQ(window, frame_);
    EXPECT_TRUE(GetMenuState(bar_, 0, MF_BYPOSITION) & MF_HILITE);
    GuiPressKey(VK_RIGHT);   // Edit
    GuiPressKey(VK_DOWN);    // opens it
    GuiPressKey(VK_RETURN);  // Cut
  });
  SetFocus(frame_);
  GuiPressKey(VK_MENU);
  GuiPumpMessages();
  ASSERT_EQ(Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wParam, kCut);
}

TEST_F(MenuTest, EscapeClosesLevelByLevel) {
  Hook hook([&](HWND) {
    GuiPressKey(VK_ESCAPE);  // closes File, the bar stays selected
    GuiPressKey(VK_RIGHT);   // Edit, nothing open
    GuiPressKey(VK_ESCAPE);  // leaves the menu
  });
  SetFocus(frame_);
  AltKey('F');
  GuiPumpMessages();
  EXPECT_TRUE(Of(WM_COMMAND).empty());
  EXPECT_EQ(Of(WM_EXITMENULOOP).size(), 1u);
  EXPECT_EQ(GetMenuState(bar_, 1, MF_BYPOSITION) & MF_HILITE, 0u);
}

TEST_F(MenuTest, TrackPopupMenuIsAnsweredByTheHook) {
  HMENU menu = CreatePopupMenu();
  AppendMenu(menu, MF_STRING, 101, "Clear peak");
  AppendMenu(menu, MF_STRING | MF_CHECKED, 102, "Peak hold");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING | MF_GRAYED, 111, "-24dB..0dB");
  AppendMenu(menu, MF_STRING, 811, "&Settings...");
  {
    Hook hook([&](HWND popup) {
      RECT wr;
      GetWindowRect(popup, &wr);
      EXPECT_EQ(wr.left, 200);
      EXPECT_EQ(wr.top, 150);
      ClickItem(frame_, menu, 1);
    });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, 200, 150, 0, frame_, nullptr), 102);
  }
  EXPECT_TRUE(Of(WM_COMMAND).empty());  // returned, not sent
  {
    Hook hook([&](HWND) { GuiType("s"); });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 200, 150, 0, frame_, nullptr), 811);
  }
  // Nobody answering: nothing chosen.
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 200, 150, 0, frame_, nullptr), 0);
  // Without TPM_RETURNCMD the command is posted; TPM_NONOTIFY sends no init.
  g_seen.clear();
  {
    Hook hook([&](HWND) {
      GuiPressKey(VK_DOWN);
      GuiPressKey(VK_RETURN);
    });
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_NONOTIFY, 200, 150, 0, frame_, nullptr));
  }
  GuiPumpMessages();
  EXPECT_TRUE(Of(WM_INITMENUPOPUP).empty());
  ASSERT_EQ(Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wParam, 101u);
  // Right-aligned at the bottom edge of the screen, it stays on the screen.
  {
    Hook hook([&](HWND popup) {
      RECT wr;
      GetWindowRect(popup, &wr);
      EXPECT_EQ(wr.right, 300);
      EXPECT_LE(wr.bottom, GetSystemMetrics(SM_CYSCREEN));
    });
    TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTALIGN, 300, GetSystemMetrics(SM_CYSCREEN) - 2, 0, frame_,
                   nullptr);
  }
  DestroyMenu(menu);
}

TEST_F(MenuTest, AnOpenMenuTellsItsOwnerEachTimeItWaits) {
  HMENU menu = CreatePopupMenu();
  AppendMenu(menu, MF_STRING, 101, "Clear peak");
  AppendMenu(menu, MF_STRING, 102, "Peak hold");
  HWND shown = nullptr;
  std::size_t waitsBeforeAnswer = 0;
  {
    Hook hook([&](HWND popup) {
      shown = popup;
      waitsBeforeAnswer = Of(WM_ENTERIDLE).size();
      GuiPressKey(VK_DOWN);
    });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 200, 150, 0, frame_, nullptr), 0);
  }
  // Once when it came up, and again after the key that moved the selection.
  EXPECT_EQ(waitsBeforeAnswer, 1u);
  const std::vector<Seen> waits = Of(WM_ENTERIDLE);
  ASSERT_GE(waits.size(), 2u);
  for (const Seen& w : waits) {
    EXPECT_EQ(w.wParam, MAKEWPARAM(MSGF_MENU, 0));
    EXPECT_EQ(reinterpret_cast<HWND>(w.lParam), shown);
  }
  // A menu that notifies nobody says nothing.
  g_seen.clear();
  TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 200, 150, 0, frame_, nullptr);
  EXPECT_TRUE(Of(WM_ENTERIDLE).empty());
  DestroyMenu(menu);
}

TEST_F(MenuTest, TheSystemMenuSendsSystemCommands) {
  HMENU sys = GetSystemMenu(frame_, FALSE);
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(GetSystemMenu(frame_, FALSE), sys);
  EXPECT_NE(GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
  EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED);
  EXPECT_EQ(GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED), MF_DISABLED);
  EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  Hook hook([&](HWND popup) {
    EXPECT_EQ(reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0)), sys);
    EXPECT_TRUE(GetMenuState(sys, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED);  // not minimised
    GuiType("c");
  });
  SetFocus(frame_);
  AltKey(VK_SPACE);
  GuiPumpMessages();
  bool close = false;
  for (const Seen& s : Of(WM_SYSCOMMAND)) close = close || (s.wParam & 0xFFF0) == SC_CLOSE;
  EXPECT_TRUE(close);
  bool sys_init = false;
  for (const Seen& s : Of(WM_INITMENUPOPUP)) sys_init = sys_init || HIWORD(s.lParam) == 1;
  EXPECT_TRUE(sys_init);
  EXPECT_TRUE(Of(WM_COMMAND).empty());
  EXPECT_EQ(GetSystemMenu(frame_, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(sys));
}

TEST_F(MenuTest, AWindowsMenusGoWithIt) {
  HMENU sys = GetSystemMenu(frame_, FALSE);
  DestroyWindow(frame_);
  EXPECT_FALSE(IsMenu(bar_));
  EXPECT_FALSE(IsMenu(file_));
  EXPECT_FALSE(IsMenu(sys));
}

}  // namespace
