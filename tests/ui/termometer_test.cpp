#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_shell.h"
#include "model/message_box.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "resources/resource_ids.h"
#include "ui/termometer_dialog.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr UINT kRequest = WM_USER + 99;

std::vector<std::string> g_log;

class TTestFrame : public TFrameWindow {
 public:
  TTestFrame() : TFrameWindow(nullptr, "Kobrix") {
    Attr.X = 100;
    Attr.Y = 100;
    Attr.W = 600;
    Attr.H = 400;
  }
  void EvClose() { g_log.push_back("close"); }
  LRESULT EvRequest(WPARAM request, LPARAM) {
    g_log.push_back("request " + std::to_string(request));
    return 1;
  }
  DECLARE_RESPONSE_TABLE(TTestFrame);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TTestFrame, TFrameWindow)
  EV_WM_CLOSE,
  EV_MESSAGE(kRequest, EvRequest),
END_RESPONSE_TABLE;
// clang-format on

class TermometerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    TakeBeeps();
    app_ = new TApplication();
    frame_ = new TTestFrame();
    app_->SetMainWindow(frame_);
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    app_->PumpWaitingMessages();
  }
  void TearDown() override {
    CloseTermometer(&dlg_);
    delete app_;
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  TermometerDialog* Open(const char* text, int32_t total, bool cancelable, HWND place = nullptr) {
    dlg_ = OpenTermometer("Normalize", text, total, cancelable, place);
    return dlg_;
  }
  HWND Bar() const { return GetDlgItem(*dlg_, kTermometerBar); }

  TApplication* app_ = nullptr;
  TTestFrame* frame_ = nullptr;
  TermometerDialog* dlg_ = nullptr;
  FakeShell shell_;
};

// What the bar should show: the filled part and the percentage text.
std::vector<COLORREF> Expected(int width, int height, int fill, const char* percent) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(mem, bmp);
  HBRUSH blue = CreateSolidBrush(kBlue), grey = CreateSolidBrush(kGrey);
  RECT a{0, 0, fill, height}, b{fill, 0, width, height}, all{0, 0, width, height};
  FillRect(mem, &a, blue);
  FillRect(mem, &b, grey);
  SetBkMode(mem, TRANSPARENT);
  DrawText(mem, percent, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(mem, x, y));
  }
  SelectObject(mem, old);
  DeleteObject(blue);
  DeleteObject(grey);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return pixels;
}

std::vector<COLORREF> Shown(HWND bar) {
  RECT r;
  GetClientRect(bar, &r);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < r.bottom; ++y) {
    for (int x = 0; x < r.right; ++x) pixels.push_back(GuiReadPixel(bar, x, y));
  }
  return pixels;
}

TEST_F(TermometerTest, TheBarShowsThePositionAndThePercentage) {
  struct Case {
    int32_t total;
    int32_t position;
    int fill_per_mille;  // of the bar's width
    const char* percent;
  };
  const Case cases[] = {
      {200, 50, 250, "25%"},  {0, 0, 0, "0%"},  // total 0 paints as 1
      {-7, 0, 0, "0%"},                         // so does a negative one
      {10, 15, 1500, "150%"},                   // beyond the total: a full bar, above 100%
      {3, 2, 667, "67%"},
  };
  for (const Case& c : cases) {
    ASSERT_NE(Open("/media/clip.wav", c.total, true), nullptr);
    dlg_->SetProgress(c.position);
    RECT r;
    GetClientRect(Bar(), &r);
    const int fill = std::min<int>(static_cast<int>((r.right * c.fill_per_mille + 500) / 1000), r.right);
    EXPECT_EQ(Shown(Bar()), Expected(r.right, r.bottom, fill, c.percent)) << c.percent;
    if (c.total < 1) {
      EXPECT_EQ(dlg_->bar->total, 1);
    }
    CloseTermometer(&dlg_);
  }
}

TEST_F(TermometerTest, OpeningShowsATopmostDialogThatHoldsTheMouse) {
  ASSERT_NE(Open("/media/clip.wav", 100, true), nullptr);
  EXPECT_TRUE(LongOperationRunning());
  EXPECT_EQ(shell_.status_cleared, 1);
  HWND d = *dlg_;
  EXPECT_TRUE(IsWindowVisible(d));
  EXPECT_EQ(GetWindow(d, GW_OWNER), frame_->GetHandle());
  EXPECT_TRUE(GetWindowLong(d, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetCapture(), d);
  char caption[64];
  GetWindowText(d, caption, sizeof caption);
  EXPECT_STREQ(caption, "Normalize");
  // The close item is disabled without the grey look.
  EXPECT_EQ(GetMenuState(GetSystemMenu(d, FALSE), SC_CLOSE, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED),
            MF_DISABLED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDCANCEL)));
  // The cursor: an arrow over the dialog, the wait cursor elsewhere.
  RECT wr;
  GetWindowRect(d, &wr);
  GuiMouseMove(wr.right + 40, wr.bottom + 40);
  dlg_->SetProgress(1);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
  POINT inside{5, 5};  // client coordinates: the caption is outside
  ClientToScreen(d, &inside);
  GuiMouseMove(inside.x, inside.y);
  dlg_->SetProgress(2);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  CloseTermometer(&dlg_);
  EXPECT_EQ(dlg_, nullptr);
  EXPECT_FALSE(IsWindow(d));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(LongOperationRunning());
  EXPECT_EQ(shell_.status_cleared, 2);
  // Closing an empty holder only resets the status bar.
  CloseTermometer(&dlg_);
  EXPECT_EQ(shell_.status_cleared, 3);
}

TEST_F(TermometerTest, TheDialogIsCentredOverItsPlacementClampedToTheScreen) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    RECT place;  // the placement window
    RECT want;   // the rectangle the dialog centres on
  };
  const Case cases[] = {
      {RECT{sw - 200, 100, sw + 200, 300}, RECT{sw - 200, 100, sw, 300}},  // partly off screen: clamped
      {RECT{-1000, -900, -700, -800}, RECT{0, 0, sw, sh}},                 // wholly off: the screen
      {RECT{300, 200, 700, 500}, RECT{300, 200, 700, 500}},
  };
  for (const Case& c : cases) {
    HWND place =
        CreateWindowEx(0, "Static", "", WS_POPUP, c.place.left, c.place.top, c.place.right - c.place.left,
                       c.place.bottom - c.place.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(Open("a.wav", 10, false, place), nullptr);
    RECT wr;
    GetWindowRect(*dlg_, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    const int x = std::max(std::min<int>((c.want.left + c.want.right - w) / 2, sw - 10), 0);
    const int y = std::max(std::min<int>((c.want.top + c.want.bottom - h) / 2, sh - 10), 0);
    EXPECT_EQ(wr.left, x);
    EXPECT_EQ(wr.top, y);
    CloseTermometer(&dlg_);
    DestroyWindow(place);
  }
  // Without a placement window: over the main window.
  ASSERT_NE(Open("a.wav", 10, false), nullptr);
  RECT fr, wr;
  GetWindowRect(*frame_, &fr);
  GetWindowRect(*dlg_, &wr);
  EXPECT_EQ(wr.left, (fr.left + fr.right - (wr.right - wr.left)) / 2);
}

TEST_F(TermometerTest, ALongNameIsShortenedAfterItsDrivePrefix) {
  const std::string long_name = "C:\\projects\\kobrix\\sessions\\2024\\interviews\\raw takes\\take_0001.wav";
  ASSERT_NE(Open(long_name.c_str(), 10, false), nullptr);
  char shown[300];
  GetDlgItemText(*dlg_, kTermometerText, shown, sizeof shown);
  const std::string s = shown;
  EXPECT_EQ(s.substr(0, 6), "C:\\...");
  EXPECT_LT(s.size(), long_name.size());
  EXPECT_EQ(long_name.substr(long_name.size() - (s.size() - 6)), s.substr(6));
  CloseTermometer(&dlg_);
  ASSERT_NE(Open("take.wav", 10, false), nullptr);
  GetDlgItemText(*dlg_, kTermometerText, shown, sizeof shown);
  EXPECT_STREQ(shown, "take.wav");
}

enum class Gesture { kCancelKey, kEscape, kAltF4, kClickOnCancel };

void Perform(Gesture g, HWND dialog) {
  switch (g) {
    case Gesture::kCancelKey:
      GuiPressKey(VK_SPACE);  // on the focused Cancel button
      break;
    case Gesture::kEscape:
      GuiPressKey(VK_ESCAPE);
      break;
    case Gesture::kAltF4:
      GuiKey(VK_MENU, true);
      GuiPressKey(VK_F4);
      GuiKey(VK_MENU, false);
      break;
    case Gesture::kClickOnCancel: {
      RECT r;
      GetWindowRect(GetDlgItem(dialog, IDCANCEL), &r);
      GuiMouseMove(r.left + 4, r.top + 4);
      GuiMouseButton(0, true, r.left + 4, r.top + 4);
      GuiMouseButton(0, false, r.left + 4, r.top + 4);
      break;
    }
  }
}

TEST_F(TermometerTest, EachCancelGestureStopsACancelableOperationOnly) {
  for (Gesture g : {Gesture::kCancelKey, Gesture::kEscape, Gesture::kAltF4, Gesture::kClickOnCancel}) {
    ASSERT_NE(Open("a.wav", 10, true), nullptr);
    EXPECT_TRUE(dlg_->SetProgress(1));
    TakeBeeps();
    Perform(g, *dlg_);
    EXPECT_FALSE(dlg_->SetProgress(2)) << static_cast<int>(g);
    EXPECT_FALSE(dlg_->SetProgress(3));  // it stays cancelled
    EXPECT_TRUE(IsWindow(*dlg_));        // the operation closes it, not the user
    if (g == Gesture::kClickOnCancel) {
      EXPECT_EQ(TakeBeeps(), std::vector<UINT>(5, 0xFFFFFFFFu));
    }
    CloseTermometer(&dlg_);

    ASSERT_NE(Open("a.wav", 10, false), nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(*dlg_, IDCANCEL)));
    Perform(g, *dlg_);
    EXPECT_TRUE(dlg_->SetProgress(2)) << static_cast<int>(g);
    EXPECT_TRUE(IsWindow(*dlg_));
    CloseTermometer(&dlg_);
  }
}

// A long operation in the program's manner: ten steps with a progress
// report after each; here the user presses Escape while step 3 runs.
int ConvertFile(bool* closed) {
  TermometerDialog* progress = OpenTermometer("Convert WAVE file", "/media/take.wav", 10, true, nullptr);
  int result = kErrOk;
  for (int step = 1; step <= 10; ++step) {
    if (step == 3) GuiPressKey(VK_ESCAPE);
    if (progress != nullptr && !progress->SetProgress(step)) {
      result = kErrCancelled;
      break;
    }
  }
  HWND window = progress != nullptr ? progress->GetHandle() : nullptr;
  CloseTermometer(&progress);
  *closed = progress == nullptr && window != nullptr && !IsWindow(window);
  return result;
}

TEST_F(TermometerTest, ALongOperationCancelledAtStepThreeReturns17AndClosesTheDialog) {
  bool closed = false;
  EXPECT_EQ(ConvertFile(&closed), 17);
  EXPECT_TRUE(closed);
  EXPECT_EQ(FindWindow(WC_DIALOG, "Convert WAVE file"), nullptr);
}

TEST_F(TermometerTest, RequestsThatWouldCloseOrReplaceTheProjectWaitForTheOperation) {
  ASSERT_NE(Open("a.wav", 10, true), nullptr);
  frame_->PostMessage(kRequest, 21, 0);  // open a file for another instance
  frame_->PostMessage(kRequest, 1, 0);   // harmless: runs at once
  frame_->PostMessage(WM_CLOSE);
  frame_->PostMessage(kRequest, 20, 0);  // close everything
  PostQuitMessage(3);
  EXPECT_TRUE(dlg_->SetProgress(1));
  EXPECT_TRUE(dlg_->SetProgress(2));
  EXPECT_EQ(g_log, std::vector<std::string>{"request 1"});
  EXPECT_TRUE(frame_->IsWindow());
  CloseTermometer(&dlg_);
  // After the operation they run in their order, and the quit request is kept.
  MSG m;
  bool quit = false;
  int code = 0;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      quit = true;
      code = static_cast<int>(m.wParam);
      break;
    }
    DispatchMessage(&m);
  }
  EXPECT_EQ(g_log, (std::vector<std::string>{"request 1", "request 21", "close", "request 20"}));
  EXPECT_TRUE(quit);
  EXPECT_EQ(code, 3);
}

}  // namespace
