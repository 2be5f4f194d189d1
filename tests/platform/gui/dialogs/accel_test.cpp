#include <gtest/gtest.h>

#include <vector>

#include "dialog_test_util.h"

namespace {

std::vector<WPARAM> g_commands;
bool g_enable_on_init = false;

LRESULT AccelFrameProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) {
    g_commands.push_back(wParam);
    return 0;
  }
  if (msg == WM_INITMENUPOPUP && g_enable_on_init)
    EnableMenuItem(reinterpret_cast<HMENU>(wParam), 213, MF_BYCOMMAND | MF_ENABLED);
  return DefWindowProc(h, msg, wParam, lParam);
}

class AccelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASS wc;
      wc.lpfnWndProc = AccelFrameProc;
      wc.lpszClassName = "AccelFrame";
      RegisterClass(&wc);
      registered = true;
    }
    g_commands.clear();
    g_enable_on_init = false;
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING | MF_GRAYED, 213, "Add source &File...\tF4");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    frame_ = CreateWindowEx(0, "AccelFrame", "Keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                            nullptr, bar, nullptr, nullptr);
    const ACCEL table[] = {
        {FVIRTKEY | FCONTROL, 'N', 24331}, {FVIRTKEY | FCONTROL | FSHIFT, 'S', 24334},
        {FVIRTKEY | FCONTROL, 'S', 24333}, {FVIRTKEY, VK_F4, 213},
        {FVIRTKEY | FALT, 'X', 556},       {0, 'x', 555},
    };
    accel_ = CreateAcceleratorTable(table, 6);
    GuiPumpMessages();
    SetFocus(frame_);
  }
  void TearDown() override {
    DestroyAcceleratorTable(accel_);
    DestroyWindow(frame_);
    GuiPumpMessages();
  }
  // Runs the queue as the program's loop does, accelerators first.
  void Run() {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateAccelerator(frame_, accel_, &m)) continue;
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
  }
  void Press(std::vector<int> held, int vk) {
    for (int k : held) GuiKey(k, true);
    GuiPressKey(vk);
    for (auto it = held.rbegin(); it != held.rend(); ++it) GuiKey(*it, false);
    Run();
  }
  HWND frame_ = nullptr;
  HACCEL accel_ = nullptr;
};

TEST_F(AccelTest, KeysOfTheTableSendTheirCommands) {
  struct Case {
    std::vector<int> held;
    int vk;
    std::vector<WPARAM> want;
  };
  const Case cases[] = {
      {{VK_CONTROL}, 'N', {MAKEWPARAM(24331, 1)}},
      {{VK_CONTROL}, 'S', {MAKEWPARAM(24333, 1)}},
      {{VK_SHIFT, VK_CONTROL}, 'S', {MAKEWPARAM(24334, 1)}},
      {{}, 'N', {}},                           // no Ctrl
      {{VK_SHIFT}, 'N', {}},                   // the wrong modifier
      {{VK_MENU}, 'X', {MAKEWPARAM(556, 1)}},  // Alt+X
      {{}, 'X', {MAKEWPARAM(555, 1)}},         // the character 'x'
      {{VK_SHIFT}, 'X', {}},                   // 'X' is not 'x'
  };
  for (const Case& c : cases) {
    g_commands.clear();
    Press(c.held, c.vk);
    EXPECT_EQ(g_commands, c.want) << "key " << c.vk;
  }
  EXPECT_EQ(CopyAcceleratorTable(accel_, nullptr, 0), 6);
}

TEST_F(AccelTest, AGreyedMenuItemBlocksItsKeyUnlessTheMenuUpdateEnablesIt) {
  Press({}, VK_F4);
  EXPECT_TRUE(g_commands.empty());
  g_enable_on_init = true;
  Press({}, VK_F4);
  EXPECT_EQ(g_commands, std::vector<WPARAM>{MAKEWPARAM(213, 1)});
  // A disabled window gets no command, though the key is taken.
  g_commands.clear();
  EnableWindow(frame_, FALSE);
  MSG m{frame_, WM_KEYDOWN, 'N', 0, 0, {}};
  GuiKey(VK_CONTROL, true);
  Run();
  EXPECT_NE(TranslateAccelerator(frame_, accel_, &m), 0);
  GuiKey(VK_CONTROL, false);
  Run();
  EXPECT_TRUE(g_commands.empty());
  EnableWindow(frame_, TRUE);
}

}  // namespace
