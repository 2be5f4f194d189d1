#include "video/preview_window.h"

#include "model/ui_strings.h"
#include "video/player.h"
#include "video/sub_player.h"

namespace {

constexpr UINT kUpdateView = WM_USER + 99;
constexpr WPARAM kOpenSettings = 10;
constexpr LPARAM kVideoSettingsPage = 2;
constexpr int kPreviewIcon = 1007;
constexpr int kProjectAccelerators = 100;
constexpr int kSmallestPicture = 8;

constexpr int kStrSettings = 126;  // "Settings..."
constexpr int kStrZoomHalf = 127;  // "Zoom: 1/2"
constexpr int kStrZoomOne = 128;   // "Zoom: x1"
constexpr int kStrZoomTwo = 129;   // "Zoom: x2"

// The time-line's commands that work while the preview has the focus:
// undo, redo, delete, cut, copy, paste, insert, zoom, play, stop, frame
// steps, rewind and the like.
enum : UINT {
  kCm311 = 311, kCm312 = 312, kCm313 = 313, kCm314 = 314, kCm315 = 315, kCm316 = 316, kCm318 = 318,
  kCm320 = 320, kCm424 = 424, kCm425 = 425, kCm426 = 426, kCm511 = 511, kCm512 = 512, kCm513 = 513,
  kCm515 = 515, kCm516 = 516, kCm522 = 522, kCm523 = 523, kCm524 = 524, kCm631 = 631, kCm921 = 921,
  kCm922 = 922, kCm923 = 923, kCm924 = 924,
};

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(PreviewWindow, TWindow)
  EV_MESSAGE(kUpdateView, EvUpdateView),
  EV_WM_ERASEBKGND,
  EV_WM_PALETTECHANGED,
  EV_WM_SYSCOMMAND,
  EV_WM_GETMINMAXINFO,
  EV_COMMAND_AND_ID(kCm311, CmTimeLine), EV_COMMAND_AND_ID(kCm312, CmTimeLine),
  EV_COMMAND_AND_ID(kCm313, CmTimeLine), EV_COMMAND_AND_ID(kCm314, CmTimeLine),
  EV_COMMAND_AND_ID(kCm315, CmTimeLine), EV_COMMAND_AND_ID(kCm316, CmTimeLine),
  EV_COMMAND_AND_ID(kCm318, CmTimeLine), EV_COMMAND_AND_ID(kCm320, CmTimeLine),
  EV_COMMAND_AND_ID(kCm424, CmTimeLine), EV_COMMAND_AND_ID(kCm425, CmTimeLine),
  EV_COMMAND_AND_ID(kCm426, CmTimeLine), EV_COMMAND_AND_ID(kCm511, CmTimeLine),
  EV_COMMAND_AND_ID(kCm512, CmTimeLine), EV_COMMAND_AND_ID(kCm513, CmTimeLine),
  EV_COMMAND_AND_ID(kCm515, CmTimeLine), EV_COMMAND_AND_ID(kCm516, CmTimeLine),
  EV_COMMAND_AND_ID(kCm522, CmTimeLine), EV_COMMAND_AND_ID(kCm523, CmTimeLine),
  EV_COMMAND_AND_ID(kCm524, CmTimeLine), EV_COMMAND_AND_ID(kCm631, CmTimeLine),
  EV_COMMAND_AND_ID(kCm921, CmTimeLine), EV_COMMAND_AND_ID(kCm922, CmTimeLine),
  EV_COMMAND_AND_ID(kCm923, CmTimeLine), EV_COMMAND_AND_ID(kCm924, CmTimeLine),
END_RESPONSE_TABLE;
// clang-format on

PreviewWindow::PreviewWindow(AviSubPlayer* owner, HWND notifyWindow, int32_t clientWidth, int32_t clientHeight,
                             bool resizable)
    : TWindow(nullptr, "Video"), owner(owner), notifyWindow(notifyWindow) {
  Attr.Style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | (resizable ? WS_THICKFRAME : 0);
  Attr.ExStyle = VideoPlayer::onTop ? WS_EX_TOPMOST : 0;
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, Attr.Style, FALSE, Attr.ExStyle);
  Attr.W = r.right - r.left;
  Attr.H = r.bottom - r.top;
  Attr.X = GetSystemMetrics(SM_CXSCREEN) - Attr.W;
  Attr.Y = GetSystemMetrics(SM_CYCAPTION);
  Attr.AccelTable = kProjectAccelerators;
}

void PreviewWindow::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  // The picture covers the whole client area; WM_ERASEBKGND paints black.
  wc.hbrBackground = nullptr;
  wc.hIcon = ::LoadIcon(wc.hInstance, MAKEINTRESOURCE(kPreviewIcon));
}

void PreviewWindow::SetupWindow() {
  TWindow::SetupWindow();
  HMENU menu = ::GetSystemMenu(HWindow, FALSE);
  if (menu == nullptr) return;
  ::AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenu(menu, MF_STRING, kPreviewZoomHalf, GetString(kStrZoomHalf));
  ::AppendMenu(menu, MF_STRING, kPreviewZoomOne, GetString(kStrZoomOne));
  ::AppendMenu(menu, MF_STRING, kPreviewZoomTwo, GetString(kStrZoomTwo));
  ::AppendMenu(menu, MF_STRING, kPreviewSettings, GetString(kStrSettings));
}

void PreviewWindow::Paint(TDC&, bool, TRect&) {
  // The owner draws outside the paint, from the message loop.
  if (ready) PostMessage(kUpdateView, 0, 0);
}

LRESULT PreviewWindow::EvUpdateView(WPARAM, LPARAM) {
  if (owner != nullptr) owner->UpdateView();
  return 0;
}

bool PreviewWindow::EvEraseBkgnd(HDC dc) {
  RECT r;
  ::GetClientRect(HWindow, &r);
  ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  return true;
}

void PreviewWindow::EvPaletteChanged(HWND changer) {
  if (changer != HWindow && !::IsIconic(HWindow) && owner != nullptr) owner->PaletteChanged();
}

void PreviewWindow::EvSysCommand(UINT command, const TPoint&) {
  switch (command) {
    case kPreviewSettings:
      ::PostMessage(notifyWindow, kUpdateView, kOpenSettings, kVideoSettingsPage);
      return;
    case kPreviewZoomHalf:
    case kPreviewZoomOne:
    case kPreviewZoomTwo:
      VideoPlayer::zoom = command == kPreviewZoomHalf ? 8 : command == kPreviewZoomOne ? 16 : 32;
      if (owner != nullptr) owner->ApplyZoom();
      return;
    default:
      break;
  }
  if ((command & 0xFFF0) == SC_CLOSE) {
    // May delete this window with its player; nothing here is touched after.
    if (TheVideoPlayer != nullptr) TheVideoPlayer->CloseIdlePreview();
    return;
  }
  DefaultProcessing();
}

void PreviewWindow::EvGetMinMaxInfo(MINMAXINFO& info) {
  // A tiny video keeps a tiny picture: the window may be as small as the
  // smallest preview.
  RECT r{0, 0, kSmallestPicture, kSmallestPicture};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLong(HWindow, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLong(HWindow, GWL_EXSTYLE)));
  info.ptMinTrackSize = POINT{r.right - r.left, r.bottom - r.top};
}

void PreviewWindow::CmTimeLine(WPARAM id) {
  ::PostMessage(notifyWindow, WM_COMMAND, id, 0);
}
