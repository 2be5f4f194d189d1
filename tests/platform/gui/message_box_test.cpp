#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gui_test_util.h"
#include "platform/gui/modal.h"

namespace {

std::string Text(HWND h) {
  char buf[512];
  GetWindowText(h, buf, sizeof buf);
  return buf;
}

// Installs a hook for the duration of a test.
class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowEx(0, Recorder::Class(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500,
                            400, nullptr, nullptr, nullptr, nullptr);
    GuiPumpMessages();
  }
  void TearDown() override {
    DestroyWindow(owner_);
    GuiPumpMessages();
  }
  HWND owner_ = nullptr;
};

TEST_F(MessageBoxTest, AHookAnswersByClickingARealButton) {
  int calls = 0;
  Hook hook([&](HWND box) {
    ++calls;
    EXPECT_EQ(Text(box), "Question");
    char text[256];
    GetDlgItemText(box, kMessageBoxTextId, text, sizeof text);
    EXPECT_STREQ(text, "Save changes to 'a.tml'?");
    EXPECT_EQ(GetMessageBoxFlags(box), MB_YESNO | MB_ICONQUESTION);
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner_);
    EXPECT_FALSE(IsWindowEnabled(owner_));  // modal to its owner
    EXPECT_EQ(GetActiveWindow(), box);
    // The text is drawn in black on the button face.
    HWND label = GetDlgItem(box, kMessageBoxTextId);
    RECT r;
    GetClientRect(label, &r);
    EXPECT_GT(CountPixels(label, r, RGB(0, 0, 0)), 30);
    GuiClick(GetDlgItem(box, IDNO), 10, 10);
  });
  EXPECT_EQ(MessageBox(owner_, "Save changes to 'a.tml'?", "Question", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(FindWindow(WC_MESSAGEBOX, nullptr), nullptr);
}

TEST_F(MessageBoxTest, TheBoxStaysAboveTopmostWindowsWhileItIsUp) {
  HWND meter = CreateWindowEx(WS_EX_TOPMOST, Recorder::Class(), "Meter", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                              200, 200, owner_, nullptr, nullptr, nullptr);
  ASSERT_NE(meter, nullptr);
  GuiPumpMessages();
  Hook hook([&](HWND box) {
    EXPECT_EQ(GetWindow(box, GW_HWNDFIRST), box);
    // Raising or activating the topmost window leaves it under the box.
    SetWindowPos(meter, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetActiveWindow(meter);
    EXPECT_EQ(GetWindow(box, GW_HWNDFIRST), box);
    EXPECT_EQ(GetWindow(box, GW_HWNDNEXT), meter);
    GuiClick(GetDlgItem(box, IDOK), 10, 10);
  });
  EXPECT_EQ(MessageBox(owner_, "Can not launch the tool", "Error", MB_OK), IDOK);
  // Once it is gone the topmost window is first again.
  EXPECT_EQ(GetWindow(owner_, GW_HWNDFIRST), meter);
  DestroyWindow(meter);
}

// A box for a window that a modal dialog holds (an error of the window the
// dialog drives) is modal to that dialog: the dialog takes no second click
// while the box is up.
TEST_F(MessageBoxTest, ABoxForAWindowHeldByADialogIsModalToTheDialog) {
  HWND dialog = CreateWindowEx(0, Recorder::Class(), "Dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150, 150, 300,
                               200, owner_, nullptr, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  EnableWindow(owner_, FALSE);
  SetActiveWindow(dialog);
  GuiPumpMessages();
  Hook hook([&](HWND box) {
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog));
    GuiClick(GetDlgItem(box, IDOK), 10, 10);
  });
  EXPECT_EQ(MessageBox(owner_, "File 'a.wav' does not exist", "Open Clip", MB_OK), IDOK);
  EXPECT_TRUE(IsWindowEnabled(dialog));
  EXPECT_EQ(GetActiveWindow(), dialog);
  DestroyWindow(dialog);
  EnableWindow(owner_, TRUE);
}

TEST_F(MessageBoxTest, KeysAnswerAsTheyWouldForAUser) {
  struct Case {
    UINT type;
    std::vector<int> keys;
    int expected;
  };
  const Case cases[] = {
      {MB_OKCANCEL, {VK_ESCAPE}, IDCANCEL},
      {MB_OK, {VK_ESCAPE}, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, {VK_RETURN}, IDNO},
      {MB_YESNOCANCEL, {VK_TAB, VK_TAB, VK_RETURN}, IDCANCEL},
      {MB_YESNOCANCEL, {VK_LEFT, VK_SPACE}, IDCANCEL},
      {MB_ABORTRETRYIGNORE, {'R'}, IDRETRY},
      {MB_YESNO, {VK_ESCAPE, 'N'}, IDNO},  // Esc does nothing without a Cancel button
  };
  for (const Case& k : cases) {
    Hook hook([&](HWND) {
      for (int vk : k.keys) GuiPressKey(vk);
    });
    EXPECT_EQ(MessageBox(owner_, "Text", "Keys", k.type), k.expected) << k.type;
  }
}

TEST_F(MessageBoxTest, NobodyToAnswerGivesTheAnswerThatChangesNothing) {
  if (std::string(GuiBackendName()) != "headless") GTEST_SKIP() << "a real display waits for its user";
  struct Case {
    UINT type;
    int expected;
  };
  const Case cases[] = {{MB_OK, IDOK},
                        {MB_OKCANCEL, IDCANCEL},
                        {MB_YESNO, IDNO},
                        {MB_YESNOCANCEL | MB_DEFBUTTON1, IDCANCEL},
                        {MB_RETRYCANCEL, IDCANCEL},
                        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDABORT}};
  for (const Case& k : cases) EXPECT_EQ(MessageBox(owner_, "Text", "Unattended", k.type), k.expected) << k.type;
  // A hook that leaves the box alone gets the same.
  Hook hook([](HWND) {});
  EXPECT_EQ(MessageBox(nullptr, "Text", "Unattended", MB_YESNO), IDNO);
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(MessageBoxTest, TheBoxFitsItsTextAndCentresOnItsOwner) {
  RECT box_rect{}, label_rect{};
  SIZE extent{};
  std::string words;
  for (int i = 0; i < 80; ++i) words += "Kobrix ";
  Hook hook([&](HWND box) {
    GetWindowRect(box, &box_rect);
    GetWindowRect(GetDlgItem(box, kMessageBoxTextId), &label_rect);
    HDC dc = GetDC(box);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32(dc, "W", 1, &extent);
    ReleaseDC(box, dc);
    PostMessage(box, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(MessageBox(owner_, words.c_str(), "Long", MB_OK | MB_ICONHAND), IDOK);
  // Wrapped onto several lines within the screen.
  EXPECT_GT(label_rect.bottom - label_rect.top, 2 * extent.cy);
  EXPECT_LT(box_rect.right - box_rect.left, GetSystemMetrics(SM_CXSCREEN));
  // Centred on the owner as far as the screen's left edge lets it.
  EXPECT_NEAR(box_rect.left, std::max<int>(0, 350 - (box_rect.right - box_rect.left) / 2), 1);
  EXPECT_NEAR((box_rect.top + box_rect.bottom) / 2, 300, 1);
}

// A short text under a long caption: the box is wide enough for the
// caption in a bold face and the desktop's title-bar buttons beside it.
TEST_F(MessageBoxTest, ALongCaptionIsNotCut) {
  RECT box_rect{};
  Hook hook([&](HWND box) {
    GetWindowRect(box, &box_rect);
    PostMessage(box, WM_CLOSE, 0, 0);
  });
  const char* caption = "Launch external application";
  EXPECT_EQ(MessageBox(owner_, "No.", caption, MB_OK), IDOK);
  HFONT bold = CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bold);
  SIZE cap{};
  GetTextExtentPoint32(dc, caption, static_cast<int>(std::strlen(caption)), &cap);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(bold);
  EXPECT_GE(box_rect.right - box_rect.left, cap.cx + 100);
}

TEST_F(MessageBoxTest, AQuitRequestEndsTheBoxAndStaysQueued) {
  Hook hook([](HWND) { PostQuitMessage(3); });
  MessageBox(owner_, "Text", "Quit", MB_OKCANCEL);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageBoxTest, MessageBeepIsRecorded) {
  TakeBeeps();
  MessageBeep(MB_ICONEXCLAMATION);
  MessageBeep(MB_OK);
  EXPECT_EQ(TakeBeeps(), (std::vector<UINT>{MB_ICONEXCLAMATION, MB_OK}));
  EXPECT_TRUE(TakeBeeps().empty());
}

}  // namespace
