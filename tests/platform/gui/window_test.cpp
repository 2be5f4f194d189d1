#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "gui_test_util.h"
#include "platform/core/trace.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Recorder::Get().Clear(); }
  void TearDown() override {
    for (HWND h : made_) {
      if (IsWindow(h)) DestroyWindow(h);
    }
    GuiPumpMessages();
  }
  HWND Frame(int x = 100, int y = 100, int w = 400, int h = 300,
             DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HWND owner = nullptr, DWORD ex = 0) {
    HWND f =
        CreateWindowEx(ex, Recorder::Class(), "Frame", style, x, y, w, h, owner, nullptr, nullptr, nullptr);
    made_.push_back(f);
    return f;
  }
  HWND Child(HWND parent, int x, int y, int w, int h, int id, DWORD style = WS_CHILD | WS_VISIBLE,
             UINT cls_style = CS_DBLCLKS) {
    return CreateWindowEx(0, Recorder::Class(cls_style), "", style, x, y, w, h, parent,
                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
  }
  std::vector<HWND> made_;
};

// The frame with two child windows of the first acceptance case: clicks and
// typing through the queue, the messages in order, and the pixels painted.
TEST_F(WindowTest, FrameWithTwoChildrenTakesClicksKeysAndPaints) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  HWND a = Child(frame, 10, 10, 150, 100, 1);
  HWND b = Child(frame, 200, 10, 150, 100, 2);
  ASSERT_TRUE(frame && a && b);
  SIZE extent{};
  rec.painters[a] = [](HWND, HDC dc) {
    RECT r{10, 10, 60, 40};
    HBRUSH blue = CreateSolidBrush(kBlue);
    FillRect(dc, &r, blue);
    DeleteObject(blue);
    HPEN red = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(dc, red);
    MoveToEx(dc, 0, 80, nullptr);
    LineTo(dc, 100, 80);
    SelectObject(dc, old);
    DeleteObject(red);
  };
  rec.painters[b] = [&extent](HWND, HDC dc) {
    HFONT font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kYellow);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOut(dc, 5, 5, "Hello, Kobrix", 13);
    GetTextExtentPoint32(dc, "Hello, Kobrix", 13, &extent);
    SelectObject(dc, old);
    DeleteObject(font);
  };
  GuiPumpMessages();

  // Pixels: the filled rectangle (right and bottom edges excluded), the line
  // without its last point, and a text cell exactly as wide and high as its
  // extent.
  EXPECT_EQ(GuiReadPixel(a, 10, 10), kBlue);
  EXPECT_EQ(GuiReadPixel(a, 59, 39), kBlue);
  EXPECT_EQ(GuiReadPixel(a, 60, 39), kWhite);
  EXPECT_EQ(GuiReadPixel(a, 59, 40), kWhite);
  EXPECT_EQ(GuiReadPixel(a, 0, 80), kRed);
  EXPECT_EQ(GuiReadPixel(a, 99, 80), kRed);
  EXPECT_EQ(GuiReadPixel(a, 100, 80), kWhite);
  ASSERT_GT(extent.cx, 40);
  const RECT ink = InkBounds(b, RECT{0, 0, 150, 100}, kWhite);
  EXPECT_EQ(ink.left, 5);
  EXPECT_EQ(ink.top, 5);
  EXPECT_EQ(ink.right, 5 + extent.cx);
  EXPECT_EQ(ink.bottom, 5 + extent.cy);
  EXPECT_GT(CountPixels(b, ink, RGB(0, 0, 0)), 40);  // the glyphs are there

  // Input through the queue.
  rec.Clear();
  GuiClick(a, 20, 20);
  GuiClick(b, 30, 30);
  GuiType("Hi");
  GuiPumpMessages();
  const std::vector<UINT> kinds = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_SETFOCUS,    WM_KILLFOCUS,
                                   WM_KEYDOWN,   WM_KEYUP,       WM_CHAR,      WM_PARENTNOTIFY};
  EXPECT_EQ(rec.Of(a, kinds),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_SETFOCUS, WM_LBUTTONUP, WM_KILLFOCUS}));
  EXPECT_EQ(rec.Of(b, kinds), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_SETFOCUS, WM_LBUTTONUP,
                                                 WM_KEYDOWN /*shift*/, WM_KEYDOWN, WM_CHAR, WM_KEYUP,
                                                 WM_KEYUP /*shift*/, WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  // The frame had the focus before the first click.
  EXPECT_EQ(rec.Of(frame, kinds), (std::vector<UINT>{WM_PARENTNOTIFY, WM_KILLFOCUS, WM_PARENTNOTIFY}));
  // The details: client coordinates, the typed characters, the child ids.
  std::string typed;
  for (const Logged& l : rec.log) {
    if (l.hwnd == a && l.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(GET_X_LPARAM(l.lParam), 20);
      EXPECT_EQ(GET_Y_LPARAM(l.lParam), 20);
      EXPECT_EQ(l.wParam, MK_LBUTTON);
    }
    if (l.hwnd == b && l.msg == WM_CHAR) typed.push_back(static_cast<char>(l.wParam));
    if (l.hwnd == frame && l.msg == WM_PARENTNOTIFY) {
      EXPECT_EQ(LOWORD(l.wParam), WM_LBUTTONDOWN);
    }
  }
  EXPECT_EQ(typed, "Hi");
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(WindowTest, DoubleClicksNeedTheClassStyle) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  HWND dbl = Child(frame, 0, 0, 50, 50, 1, WS_CHILD | WS_VISIBLE, CS_DBLCLKS);
  HWND plain = Child(frame, 100, 0, 50, 50, 2, WS_CHILD | WS_VISIBLE, 0);
  GuiPumpMessages();
  rec.Clear();
  for (int i = 0; i < 3; ++i) GuiClick(dbl, 5, 5);
  for (int i = 0; i < 2; ++i) GuiClick(plain, 5, 5);
  GuiPumpMessages();
  const std::vector<UINT> kinds = {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK};
  EXPECT_EQ(rec.Of(dbl, kinds), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
  EXPECT_EQ(rec.Of(plain, kinds), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(WindowTest, CaptureKeepsTheMouseAndDisabledWindowsGetNone) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  HWND a = Child(frame, 0, 0, 50, 50, 1);
  HWND b = Child(frame, 100, 0, 50, 50, 2);
  GuiPumpMessages();
  rec.Clear();
  SetCapture(a);
  GuiClick(b, 5, 5);  // lands in a, in a's coordinates
  GuiPumpMessages();
  EXPECT_EQ(rec.Of(b, {WM_LBUTTONDOWN}).size(), 0u);
  ASSERT_EQ(rec.Of(a, {WM_LBUTTONDOWN}).size(), 1u);
  for (const Logged& l : rec.log) {
    if (l.hwnd == a && l.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(GET_X_LPARAM(l.lParam), 105);
    }
  }
  ReleaseCapture();
  EXPECT_EQ(rec.Of(a, {WM_CAPTURECHANGED}).size(), 1u);

  rec.Clear();
  EnableWindow(b, FALSE);
  GuiClick(b, 5, 5);  // a disabled child passes the click to its parent
  GuiPumpMessages();
  EnableWindow(frame, FALSE);
  GuiClick(a, 5, 5);  // a disabled top-level window takes nothing
  GuiPumpMessages();
  EXPECT_EQ(rec.Of(b, {WM_LBUTTONDOWN}).size(), 0u);
  EXPECT_EQ(rec.Of(a, {WM_LBUTTONDOWN}).size(), 0u);
  EXPECT_EQ(rec.Of(frame, {WM_LBUTTONDOWN}).size(), 1u);
}

TEST_F(WindowTest, MovingThePointerByProgramIsAMouseMoveOfTheWindowUnderIt) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  HWND a = Child(frame, 0, 0, 50, 50, 1);
  GuiPumpMessages();
  rec.Clear();
  POINT p{10, 20};
  ClientToScreen(a, &p);
  SetCursorPos(p.x, p.y);
  GuiPumpMessages();
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.x, p.x);
  EXPECT_EQ(at.y, p.y);
  ASSERT_EQ(rec.Of(a, {WM_MOUSEMOVE}).size(), 1u);
  for (const Logged& l : rec.log) {
    if (l.hwnd == a && l.msg == WM_MOUSEMOVE) {
      EXPECT_EQ(l.lParam, MAKELPARAM(10, 20));
    }
  }
  // Where the pointer already is, nothing moves.
  rec.Clear();
  SetCursorPos(p.x, p.y);
  GuiPumpMessages();
  EXPECT_TRUE(rec.Of(a, {WM_MOUSEMOVE}).empty());
}

TEST_F(WindowTest, CreationAndDestructionMessagesComeInOrder) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame(0, 0, 300, 200, WS_OVERLAPPEDWINDOW);
  const std::vector<UINT> life = {WM_GETMINMAXINFO, WM_NCCREATE,    WM_NCCALCSIZE, WM_CREATE,
                                  WM_SIZE,          WM_MOVE,        WM_SHOWWINDOW, WM_DESTROY,
                                  WM_NCDESTROY,     WM_PARENTNOTIFY};
  EXPECT_EQ(rec.Of(frame, life),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
  HWND child = Child(frame, 0, 0, 10, 10, 7);
  EXPECT_EQ(rec.Of(frame, {WM_PARENTNOTIFY}).size(), 1u);
  rec.Clear();
  DestroyWindow(frame);
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_FALSE(IsWindow(child));
  std::vector<std::pair<HWND, UINT>> order;
  for (const Logged& l : rec.log) {
    if (l.msg == WM_DESTROY || l.msg == WM_NCDESTROY) order.emplace_back(l.hwnd, l.msg);
  }
  const std::vector<std::pair<HWND, UINT>> want = {
      {frame, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {frame, WM_NCDESTROY}};
  EXPECT_EQ(order, want);
}

TEST_F(WindowTest, GeometryFollowsTheStyles) {
  HWND frame = Frame(50, 60, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  RECT wr, cr;
  GetWindowRect(frame, &wr);
  GetClientRect(frame, &cr);
  EXPECT_EQ(wr.left, 50);
  EXPECT_EQ(wr.right, 450);
  // A sizing frame of 4 and a caption of 19.
  EXPECT_EQ(cr.right, 400 - 8);
  EXPECT_EQ(cr.bottom, 300 - 8 - 19);
  RECT adjusted = cr;
  AdjustWindowRect(&adjusted, WS_OVERLAPPEDWINDOW, FALSE);
  EXPECT_EQ(adjusted.right - adjusted.left, 400);
  EXPECT_EQ(adjusted.bottom - adjusted.top, 300);
  HWND child = CreateWindowEx(WS_EX_CLIENTEDGE, Recorder::Class(), "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10,
                              20, 100, 50, frame, nullptr, nullptr, nullptr);
  GetClientRect(child, &cr);
  EXPECT_EQ(cr.right, 100 - 2 - 4);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 50 + 4 + 10 + 1 + 2);
  EXPECT_EQ(p.y, 60 + 4 + 19 + 20 + 1 + 2);
  ScreenToClient(frame, &p);
  EXPECT_EQ(p.x, 13);
  EXPECT_EQ(WindowFromPoint(POINT{50 + 4 + 10 + 5, 60 + 23 + 20 + 5}), child);
  EXPECT_EQ(GetParent(child), frame);
  EXPECT_EQ(GetAncestor(child, GA_ROOT), frame);
}

TEST_F(WindowTest, SizingSendsMinMaxAndSizeMessages) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  rec.handlers[frame] = [](HWND, UINT msg, WPARAM, LPARAM lp, bool* handled) -> LRESULT {
    if (msg == WM_GETMINMAXINFO) {
      reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{600, 300};
      *handled = true;
    }
    return 0;
  };
  rec.Clear();
  MoveWindow(frame, 10, 10, 200, 100, TRUE);
  RECT wr;
  GetWindowRect(frame, &wr);
  EXPECT_EQ(wr.right - wr.left, 600);
  EXPECT_EQ(wr.bottom - wr.top, 300);
  EXPECT_EQ(
      rec.Of(frame, {WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
      (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
  rec.Clear();
  ShowWindow(frame, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(frame));
  ShowWindow(frame, SW_RESTORE);
  EXPECT_FALSE(IsIconic(frame));
  ShowWindow(frame, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(frame));
  ShowWindow(frame, SW_RESTORE);
  GetWindowRect(frame, &wr);
  EXPECT_EQ(wr.left, 10);
  EXPECT_EQ(wr.right - wr.left, 600);
  std::vector<WPARAM> kinds;
  for (const Logged& l : rec.log) {
    if (l.hwnd == frame && l.msg == WM_SIZE) kinds.push_back(l.wParam);
  }
  EXPECT_EQ(kinds, (std::vector<WPARAM>{SIZE_MINIMIZED, SIZE_RESTORED, SIZE_MAXIMIZED, SIZE_RESTORED}));
}

TEST_F(WindowTest, ZOrderKeepsTopmostWindowsAboveAndFindsWindows) {
  HWND a = Frame(0, 0, 100, 100);
  HWND tool = Frame(0, 0, 100, 100, WS_POPUP | WS_VISIBLE, nullptr, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  HWND b = Frame(0, 0, 100, 100);
  SetWindowText(b, "Second");
  std::vector<HWND> order;
  EnumWindows(
      [](HWND h, LPARAM p) {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&order));
  auto pos = [&](HWND h) { return std::find(order.begin(), order.end(), h) - order.begin(); };
  EXPECT_LT(pos(tool), pos(b));
  EXPECT_LT(pos(b), pos(a));
  SetWindowPos(tool, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_FALSE(GetWindowLong(tool, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), a);
  EXPECT_EQ(FindWindow(Recorder::Class(), "Second"), b);
  EXPECT_EQ(FindWindow(nullptr, "Nothing"), nullptr);
  char text[32];
  EXPECT_EQ(GetWindowText(b, text, 4), 3);
  EXPECT_STREQ(text, "Sec");
  SetWindowLongPtr(b, GWLP_USERDATA, 1234);
  EXPECT_EQ(GetWindowLongPtr(b, GWLP_USERDATA), 1234);
}

TEST_F(WindowTest, OnlyTheInvalidPartRepaintsAndParentsPaintBeforeChildren) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  HWND child = Child(frame, 10, 10, 50, 50, 1);
  std::vector<RECT> painted;
  COLORREF fill = RGB(0, 0, 0);
  rec.painters[frame] = [&painted, &fill](HWND, HDC dc) {
    RECT box;
    GetClipBox(dc, &box);
    painted.push_back(box);
    RECT all{0, 0, 1000, 1000};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  };
  GuiPumpMessages();
  rec.Clear();
  painted.clear();
  fill = kRed;
  RECT r{200, 100, 220, 120};
  InvalidateRect(frame, &r, FALSE);
  GuiPumpMessages();
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].left, 200);
  EXPECT_EQ(painted[0].bottom, 120);
  EXPECT_EQ(GuiReadPixel(frame, 210, 110), kRed);
  EXPECT_EQ(GuiReadPixel(frame, 230, 110), RGB(0, 0, 0));  // outside the update region
  EXPECT_EQ(rec.Of(child, {WM_PAINT}).size(), 0u);         // not touched

  rec.Clear();
  InvalidateRect(frame, nullptr, TRUE);
  GuiPumpMessages();
  // The frame (without WS_CLIPCHILDREN) paints over its child, which then
  // paints itself again on top.
  std::vector<HWND> paints;
  for (const Logged& l : rec.log) {
    if (l.msg == WM_PAINT) paints.push_back(l.hwnd);
  }
  EXPECT_EQ(paints, (std::vector<HWND>{frame, child}));
  EXPECT_EQ(GuiReadPixel(child, 5, 5), kWhite);
}

TEST_F(WindowTest, TimersAndTheDriveClock) {
  Recorder& rec = Recorder::Get();
  TestClock clock;
  HWND frame = Frame();
  GuiPumpMessages();
  rec.Clear();
  SetTimer(frame, 7, 100, nullptr);
  GuiPumpMessages();
  EXPECT_EQ(rec.Of(frame, {WM_TIMER}).size(), 0u);
  for (int i = 0; i < 3; ++i) {
    clock.Advance(100);
    GuiPumpMessages();
  }
  EXPECT_EQ(rec.Of(frame, {WM_TIMER}).size(), 3u);
  // A late queue gets one message, not a burst.
  clock.Advance(1000);
  GuiPumpMessages();
  EXPECT_EQ(rec.Of(frame, {WM_TIMER}).size(), 4u);
  KillTimer(frame, 7);
  clock.Advance(500);
  GuiPumpMessages();
  EXPECT_EQ(rec.Of(frame, {WM_TIMER}).size(), 4u);
}

TEST_F(WindowTest, DroppedFilesReachTheAcceptingWindow) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame(100, 100, 400, 300);
  HWND child = Child(frame, 10, 10, 50, 50, 1);
  DragAcceptFiles(frame, TRUE);
  std::vector<std::string> got;
  POINT at{};
  rec.handlers[frame] = [&](HWND, UINT msg, WPARAM wp, LPARAM, bool* handled) -> LRESULT {
    if (msg != WM_DROPFILES) return 0;
    HDROP drop = reinterpret_cast<HDROP>(wp);
    const UINT n = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
      char name[8];
      DragQueryFile(drop, i, name, sizeof name);  // cut to the buffer
      got.emplace_back(name);
    }
    DragQueryPoint(drop, &at);
    DragFinish(drop);
    *handled = true;
    return 0;
  };
  POINT p{20, 20};
  ClientToScreen(child, &p);
  GuiDropFiles(p.x, p.y, {"/tmp/a.avi", "/tmp/long-name.wav"});
  GuiPumpMessages();
  EXPECT_EQ(got, (std::vector<std::string>{"/tmp/a.", "/tmp/lo"}));
  EXPECT_EQ(at.x, 30);
}

TEST_F(WindowTest, ActivationMessagesAndTheApplication) {
  Recorder& rec = Recorder::Get();
  HWND a = Frame(0, 0, 300, 200);
  HWND b = Frame(400, 0, 300, 200);
  EXPECT_EQ(GetActiveWindow(), b);
  rec.Clear();
  GuiSetAppActive(false);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  GuiSetAppActive(true);
  EXPECT_EQ(GetActiveWindow(), b);
  std::vector<WPARAM> app;
  for (const Logged& l : rec.log) {
    if (l.hwnd == a && l.msg == WM_ACTIVATEAPP) app.push_back(l.wParam);
  }
  EXPECT_EQ(app, (std::vector<WPARAM>{FALSE, TRUE}));
  rec.Clear();
  GuiClick(a, 10, 10);
  GuiPumpMessages();
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(rec.Of(a, {WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN}),
            (std::vector<UINT>{WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN}));
  EXPECT_EQ(rec.Of(b, {WM_ACTIVATE, WM_KILLFOCUS}), (std::vector<UINT>{WM_ACTIVATE, WM_KILLFOCUS}));
}

TEST_F(WindowTest, CaretBlinksOnTheDrivenClock) {
  TestClock clock;
  HWND frame = Frame();
  GuiPumpMessages();
  CreateCaret(frame, nullptr, 2, 10);
  SetCaretPos(20, 20);
  ShowCaret(frame);
  EXPECT_EQ(GuiReadPixel(frame, 20, 25), RGB(0, 0, 0));  // white inverted
  clock.Advance(GetCaretBlinkTime());
  GuiPumpMessages();
  EXPECT_EQ(GuiReadPixel(frame, 20, 25), kWhite);
  clock.Advance(GetCaretBlinkTime());
  GuiPumpMessages();
  EXPECT_EQ(GuiReadPixel(frame, 20, 25), RGB(0, 0, 0));
  // Painting hides the caret and shows it again.
  InvalidateRect(frame, nullptr, TRUE);
  GuiPumpMessages();
  EXPECT_EQ(GuiReadPixel(frame, 20, 25), RGB(0, 0, 0));
  EXPECT_EQ(GuiReadPixel(frame, 22, 25), kWhite);
  DestroyCaret();
  EXPECT_EQ(GuiReadPixel(frame, 20, 25), kWhite);
}

TEST_F(WindowTest, TheClassCursorShowsOverTheClientAreaAndResourceCursorsAreFound) {
  const BYTE and_plane[4 * 32] = {};
  BYTE xor_plane[4 * 32] = {};
  xor_plane[0] = 0x80;
  HCURSOR custom = CreateCursor(nullptr, 0, 0, 32, 32, and_plane, xor_plane);
  RegisterResourceCursor(24001, custom);
  EXPECT_EQ(LoadCursor(reinterpret_cast<HINSTANCE>(1), MAKEINTRESOURCE(24001)), custom);
  EXPECT_EQ(LoadCursor(reinterpret_cast<HINSTANCE>(1), MAKEINTRESOURCE(24999)), nullptr);
  EXPECT_EQ(LoadCursor(nullptr, IDC_WAIT), LoadCursor(nullptr, IDC_WAIT));
  WNDCLASS wc;
  wc.lpfnWndProc = DefWindowProc;
  wc.hCursor = custom;
  wc.lpszClassName = "CursorTest";
  RegisterClass(&wc);
  HWND frame = Frame(0, 0, 300, 200);
  HWND child = CreateWindowEx(0, "CursorTest", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, frame, nullptr,
                              nullptr, nullptr);
  GuiPumpMessages();
  POINT p{20, 20};
  ClientToScreen(child, &p);
  GuiMouseMove(p.x, p.y);
  GuiPumpMessages();
  EXPECT_EQ(GetCursor(), custom);
  p = POINT{200, 100};
  ClientToScreen(frame, &p);
  GuiMouseMove(p.x, p.y);
  GuiPumpMessages();
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  POINT at;
  GetCursorPos(&at);
  EXPECT_EQ(at.x, p.x);
  // The next run registers the class again, with its own cursor.
  DestroyWindow(child);
  EXPECT_TRUE(UnregisterClass("CursorTest", nullptr));
}

TEST_F(WindowTest, ScrollWindowMovesThePixelsAndRepaintsTheUncoveredStrip) {
  Recorder& rec = Recorder::Get();
  HWND frame = Frame(0, 0, 300, 200);
  int paints = 0;
  RECT last{};
  rec.painters[frame] = [&](HWND, HDC dc) {
    ++paints;
    GetClipBox(dc, &last);
    RECT mark{50, 50, 60, 60};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &mark, red);
    DeleteObject(red);
  };
  GuiPumpMessages();
  paints = 0;
  ScrollWindow(frame, -20, 0, nullptr, nullptr);
  EXPECT_EQ(GuiReadPixel(frame, 35, 55), RGB(255, 0, 0));  // moved left by 20
  GuiPumpMessages();
  EXPECT_EQ(paints, 1);
  RECT client;
  GetClientRect(frame, &client);
  EXPECT_EQ(last.left, client.right - 20);
  EXPECT_EQ(last.right, client.right);
}

TEST_F(WindowTest, ATopLevelWindowShowsItsOwnScrollBarsWithItsClientArea) {
  // A popup without a frame: what the display shows of it is its client
  // area and its scroll bars, on either back-end.
  HWND w = Frame(40, 40, 300, 200, WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL);
  SetScrollRange(w, SB_VERT, 0, 50, TRUE);
  SetScrollRange(w, SB_HORZ, 0, 50, TRUE);
  GuiPumpMessages();
  std::vector<std::uint32_t> pixels;
  int pw = 0, ph = 0;
  ASSERT_TRUE(GuiCaptureWindow(w, &pixels, &pw, &ph));
  EXPECT_EQ(pw, 300);
  EXPECT_EQ(ph, 200);
  RECT client;
  GetClientRect(w, &client);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const std::uint32_t want = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  // The arrow buttons' faces at the top of the vertical bar and the left
  // of the horizontal one.
  EXPECT_EQ(pixels[static_cast<std::size_t>(2 * pw + client.right + 2)], want);
  EXPECT_EQ(pixels[static_cast<std::size_t>((client.bottom + 2) * pw + 2)], want);
  EXPECT_EQ(client.right, 300 - bar);
}

TEST_F(WindowTest, CloseFromTheSystemMenuDestroysAndReparentingMovesAChild) {
  HWND a = Frame(0, 0, 300, 200);
  HWND b = Frame(400, 0, 300, 200);
  HWND child = Child(a, 5, 5, 20, 20, 9);
  EXPECT_EQ(SetParent(child, b), a);
  EXPECT_TRUE(IsChild(b, child));
  EXPECT_FALSE(IsChild(a, child));
  EXPECT_EQ(GetDlgItem(b, 9), child);
  // A click on the close box of the caption.
  RECT wr;
  GetWindowRect(a, &wr);
  const int frame = GetSystemMetrics(SM_CXFRAME);
  GuiMouseMove(wr.right - frame - 8, wr.top + frame + 8);
  GuiMouseButton(0, true, wr.right - frame - 8, wr.top + frame + 8);
  GuiMouseButton(0, false, wr.right - frame - 8, wr.top + frame + 8);
  GuiPumpMessages();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_TRUE(IsWindow(child));
  WINDOWPLACEMENT wp;
  ShowWindow(b, SW_MAXIMIZE);
  ASSERT_TRUE(GetWindowPlacement(b, &wp));
  EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(wp.rcNormalPosition.left, 400);
  EXPECT_EQ(wp.rcNormalPosition.right, 700);
}

// With the gui channel on, every message a window procedure gets is one
// line, in the order they arrive; a message sent while another is handled
// stands indented under it. Off, nothing is written.
TEST_F(WindowTest, TheGuiTraceFollowsTheMessagesInOrder) {
  HWND frame = Frame();
  HWND child = Child(frame, 0, 0, 10, 10, 7);
  GuiPumpMessages();
  Recorder::Get().handlers[frame] = [child](HWND, UINT msg, WPARAM, LPARAM, bool* handled) -> LRESULT {
    if (msg != WM_USER + 5) return 0;
    *handled = true;
    return SendMessage(child, WM_USER + 6, 3, 4);
  };
  auto run = [&] {
    testing::internal::CaptureStderr();
    PostMessage(frame, WM_USER + 5, 1, 2);
    GuiPumpMessages();
    SendMessage(frame, WM_GETTEXTLENGTH, 0, 0);
    return testing::internal::GetCapturedStderr();
  };
  const unsigned before = SetTraceChannels(0);
  EXPECT_EQ(run(), "");
  SetTraceChannels(kTraceGui);
  const std::string out = run();
  SetTraceChannels(before);

  std::vector<std::string> lines;  // the messages of this test, trace prefix cut
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.find("WM_USER+5") == std::string::npos && line.find("WM_USER+6") == std::string::npos &&
        line.find("WM_GETTEXTLENGTH") == std::string::npos)
      continue;
    ASSERT_EQ(line.rfind("[gui] t", 0), 0u) << line;
    lines.push_back(line.substr(line.find("ms ") + 3));
  }
  char frameText[32], childText[32];
  std::snprintf(frameText, sizeof frameText, "%p", static_cast<void*>(frame));
  std::snprintf(childText, sizeof childText, "%p", static_cast<void*>(child));
  const std::string cls = Recorder::Class();
  ASSERT_EQ(lines.size(), 3u) << out;
  EXPECT_EQ(lines[0], "posted " + std::string(frameText) + " " + cls + " WM_USER+5 w=0x1 l=0x2");
  EXPECT_EQ(lines[1], "  sent " + std::string(childText) + " " + cls + " WM_USER+6 w=0x3 l=0x4");
  EXPECT_EQ(lines[2], "sent " + std::string(frameText) + " " + cls + " WM_GETTEXTLENGTH w=0x0 l=0x0");
}

}  // namespace

namespace {

TEST_F(WindowTest, TheScreenTargetCoversTheScreenAndNeverTakesTheFocus) {
  HWND main = Frame(100, 100, 300, 200);
  EXPECT_EQ(GetActiveWindow(), main);
  ASSERT_TRUE(GdiScreenTarget(TRUE));
  ASSERT_TRUE(GdiScreenTarget(TRUE));  // opens are counted
  HWND screen = GdiScreenTargetWindow();
  ASSERT_NE(screen, nullptr);
  GuiPumpMessages();
  RECT r;
  GetWindowRect(screen, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(GetWindowLong(screen, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GuiReadPixel(screen, 5, 5), RGB(0, 0, 0));

  // Pictures without a dc land on it; a click on it leaves the focus alone.
  const std::vector<BYTE> red(4 * 4 * 4, 0);
  std::vector<BYTE> pixels = red;
  for (std::size_t i = 2; i < pixels.size(); i += 4) pixels[i] = 255;
  ASSERT_TRUE(GdiDrawPixels(nullptr, 20, 30, 4, 4, pixels.data(), 16));
  EXPECT_EQ(GuiReadPixel(screen, 21, 31), kRed);
  GuiClick(screen, 700, 700);
  GuiPumpMessages();
  EXPECT_EQ(GetActiveWindow(), main);

  // Hiding the main window does not hand the activation to it either.
  ShowWindow(main, SW_HIDE);
  EXPECT_NE(GetActiveWindow(), screen);
  ShowWindow(main, SW_SHOW);

  ASSERT_TRUE(GdiScreenTarget(FALSE));
  EXPECT_EQ(GdiScreenTargetWindow(), screen);
  ASSERT_TRUE(GdiScreenTarget(FALSE));
  EXPECT_EQ(GdiScreenTargetWindow(), nullptr);
  EXPECT_FALSE(IsWindow(screen));
  EXPECT_FALSE(GdiScreenTarget(FALSE));
  EXPECT_FALSE(GdiDrawPixels(nullptr, 0, 0, 4, 4, pixels.data(), 16));
}

TEST_F(WindowTest, AHeadlessScreenTakesTheSizeATestSets) {
  if (std::string(GuiBackendName()) != "headless") {
    EXPECT_FALSE(GuiSetScreenSize(1024, 768));
    return;
  }
  ASSERT_TRUE(GuiSetScreenSize(1024, 768));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_FALSE(GuiSetScreenSize(0, 768));
  ASSERT_TRUE(GuiSetScreenSize(1920, 1080));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
}

// Where the window system opens a window it places itself: a dialog at its
// template's place, relative to its owner's client area; a window with no
// place of its own centred on its owner, or cascaded without one. Each lies
// whole on the work area, and below its owner's caption and menu bar where
// it would cover them and the work area has room there. A place the program
// gives (one it remembered) is left as it is.
TEST_F(WindowTest, WindowsTheSystemPlacesOpenBesideTheirOwnerOnTheWorkArea) {
  if (std::string(GuiBackendName()) != "headless") GTEST_SKIP() << "sets the screen and its work area: headless only";
  struct Screen {
    Screen() { GuiSetScreenSize(1024, 768); }
    ~Screen() { GuiSetScreenSize(1920, 1080); }
  } screen;
  const RECT work{0, 30, 1024, 708};  // panels above and below
  ASSERT_TRUE(GuiSetWorkArea(work.left, work.top, work.right, work.bottom));
  HMENU bar = CreateMenu();
  AppendMenu(bar, MF_STRING, 1, "&File");
  HWND owner = CreateWindowEx(0, Recorder::Class(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 30, 1024, 600,
                              nullptr, bar, nullptr, nullptr);
  made_.push_back(owner);
  POINT client{0, 0};
  ClientToScreen(owner, &client);  // just below the menu bar
  ASSERT_GT(client.y, 30 + GetSystemMetrics(SM_CYMENU));

  auto dialog = [owner](DWORD style, short x, short y) {
    DialogTemplate t;
    t.style |= style;
    t.x = x;
    t.y = y;
    t.cx = 200;
    t.cy = 100;
    t.caption = "Dialog";
    return CreateDialogIndirectParam(nullptr, &t, owner, [](HWND, UINT, WPARAM, LPARAM) -> LONG_PTR { return 0; },
                                     0);
  };
  auto popup = [this](int x, int y, int w, int h, HWND o) {
    return Frame(x, y, w, h, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, o);
  };
  constexpr int kAny = INT_MIN;
  enum Rule { kBeside, kOnTheWorkArea, kCentred, kCascaded, kAsGiven };
  struct Case {
    const char* what;
    std::function<HWND()> make;
    int left, top;  // kAny: not fixed
    Rule rule;      // besides the place: below the bar, on the work area
  };
  const Case cases[] = {
      {"a dialog at its template's place", [&] { return dialog(0, 0, 0); }, client.x, client.y, kBeside},
      {"a dialog placed on the screen, over the owner's caption", [&] { return dialog(DS_ABSALIGN, 0, 0); }, 0,
       client.y, kBeside},
      {"a dialog placed past the work area's corner", [&] { return dialog(0, 3000, 3000); }, kAny, kAny, kBeside},
      {"a centred dialog", [&] { return dialog(DS_CENTER, 0, 0); }, kAny, kAny, kCentred},
      {"an owned window with no place", [&] { return popup(CW_USEDEFAULT, 0, 300, 200, owner); }, 362, 230, kBeside},
      {"an owned window too tall for the room below the bar",
       [&] { return popup(CW_USEDEFAULT, 0, 300, 650, owner); }, 362, 30, kOnTheWorkArea},
      {"a window with no place and no owner", [&] { return popup(CW_USEDEFAULT, 0, 300, 200, nullptr); }, kAny,
       kAny, kCascaded},
      {"an owned window the program places over the bar", [&] { return popup(0, 0, 300, 200, owner); }, 0, 0,
       kAsGiven},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND h = c.make();
    ASSERT_NE(h, nullptr);
    made_.push_back(h);
    RECT r;
    GetWindowRect(h, &r);
    if (c.left != kAny) EXPECT_EQ(r.left, c.left);
    if (c.top != kAny) EXPECT_EQ(r.top, c.top);
    if (c.rule == kAsGiven) continue;
    EXPECT_GE(r.left, work.left);
    EXPECT_GE(r.top, work.top);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
    if (c.rule == kBeside || c.rule == kCentred)
      EXPECT_GE(r.top, client.y) << "over the owner's caption and menu bar";
    if (c.rule == kCascaded) {  // a step of the cascade from the work area's corner
      EXPECT_EQ(r.left - work.left, r.top - work.top);
      EXPECT_EQ((r.top - work.top - 40) % 24, 0);
    }
    if (c.rule == kCentred) {
      EXPECT_LE(std::abs((r.left + r.right) - (work.left + work.right)), 1);
      EXPECT_LE(std::abs((r.top + r.bottom) - (work.top + work.bottom)), 1);
    }
  }
}

// A window that is no dialog but a control parent (an effect's settings
// window) takes Tab and Shift+Tab as a dialog does: the focus moves between
// its controls.
TEST_F(WindowTest, TabMovesBetweenTheControlsOfAControlParent) {
  HWND w = Frame(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_VISIBLE, nullptr, WS_EX_CONTROLPARENT);
  HWND a = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, w, nullptr, nullptr,
                          nullptr);
  HWND b = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 40, 100, 20, w, nullptr, nullptr,
                          nullptr);
  SetActiveWindow(w);
  SetFocus(a);
  MSG tab{a, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(IsControlParentMessage(&tab));
  EXPECT_EQ(GetFocus(), b);
  tab.hwnd = b;
  EXPECT_TRUE(IsControlParentMessage(&tab));
  EXPECT_EQ(GetFocus(), a);
  // A window that is no control parent is left alone.
  HWND plain = Frame(100, 100, 300, 200);
  HWND c = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, plain, nullptr,
                          nullptr, nullptr);
  MSG other{c, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_FALSE(IsControlParentMessage(&other));
}

// A place saved on a larger screen is moved in when the window shows, so
// that no window opens where nobody can reach it.
TEST_F(WindowTest, AWindowPlacedOffTheScreenOpensOnIt) {
  const char* gui = std::getenv("KOBRIX_GUI");
  if (gui == nullptr || std::string(gui) != "sdl") GTEST_SKIP() << "needs a real display (KOBRIX_GUI=sdl)";
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  struct Place {
    const char* what;
    int x, y;
  };
  const Place places[] = {{"right of and below the screen", sw + 400, sh + 300}, {"left of and above it", -900, -700}};
  for (const Place& p : places) {
    SCOPED_TRACE(p.what);
    HWND f = Frame(p.x, p.y, 400, 300);
    RECT r{};
    for (int i = 0; i < 100; ++i) {
      GuiPumpMessages();
      GetWindowRect(f, &r);
      if (r.left >= 0 && r.top >= 0 && r.right <= sw && r.bottom <= sh) break;
      Sleep(5);
    }
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, sw);
    EXPECT_LE(r.bottom, sh);
    EXPECT_EQ(r.right - r.left, 400);
  }
}

// A window whose X window another program destroys (a window manager's or
// a tool's close) closes as its close button would, and the program goes
// on: drawing into the lost window is no fatal X error.
TEST_F(WindowTest, AWindowDestroyedFromOutsideClosesAndTheProgramGoesOn) {
  const char* gui = std::getenv("KOBRIX_GUI");
  if (gui == nullptr || std::string(gui) != "sdl" || std::system("command -v xdotool > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs a real display (KOBRIX_GUI=sdl under Xvfb) and xdotool";
  Recorder& rec = Recorder::Get();
  HWND frame = Frame();
  SetWindowText(frame, "Closed From Outside");
  HWND other = Frame(600, 100);
  GuiPumpMessages();
  ASSERT_EQ(std::system("xdotool search --sync --name '^Closed From Outside$' windowclose > /dev/null 2>&1"), 0);
  for (int i = 0; i < 200 && IsWindow(frame); ++i) {
    InvalidateRect(frame, nullptr, TRUE);
    GuiPumpMessages();
    Sleep(5);
  }
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_FALSE(rec.Of(frame, {WM_CLOSE}).empty());
  // The rest still works.
  InvalidateRect(other, nullptr, TRUE);
  GuiPumpMessages();
  EXPECT_TRUE(IsWindow(other));

  // A window that stays when asked to close shows again, as it was (not
  // minimised by the last words about the lost X window), and paints; again
  // and again.
  HWND stays = Frame(300, 200);
  SetWindowText(stays, "Stays When Closed");
  rec.handlers[stays] = [](HWND, UINT msg, WPARAM, LPARAM, bool* handled) -> LRESULT {
    *handled = msg == WM_CLOSE;
    return 0;
  };
  GuiPumpMessages();
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    rec.Clear();
    ASSERT_EQ(std::system("xdotool search --sync --onlyvisible --name '^Stays When Closed$' windowclose "
                          "> /dev/null 2>&1"),
              0);
    // Waits for the close to be asked and the window to show again; the
    // bound only keeps a hang from holding the run.
    bool back = false;
    for (int i = 0; i < 400 && !back; ++i) {
      GuiPumpMessages();
      back = !rec.Of(stays, {WM_CLOSE}).empty() &&
             std::system("xdotool search --onlyvisible --name '^Stays When Closed$' > /dev/null 2>&1") == 0;
      if (!back) Sleep(5);
    }
    EXPECT_TRUE(back);
    EXPECT_TRUE(IsWindowVisible(stays));
    EXPECT_FALSE(IsIconic(stays));
    rec.Clear();
    InvalidateRect(stays, nullptr, TRUE);
    for (int i = 0; i < 100 && rec.Of(stays, {WM_PAINT}).empty(); ++i) {
      GuiPumpMessages();
      Sleep(5);
    }
    EXPECT_FALSE(rec.Of(stays, {WM_PAINT}).empty());
  }
}

}  // namespace
