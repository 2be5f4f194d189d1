#include "video/preview_window.h"

#include "model/ui_strings.h"
#include "resources/timeline_ids.h"
#include "video/player.h"
#include "video/sub_player.h"

namespace {

// Asked of itself after a paint: the owner draws the picture again.
constexpr UINT kUpdateView = WM_USER + 99;
constexpr LPARAM kVideoSettingsPage = 2;
constexpr int kPreviewIcon = 1007;
constexpr int kProjectAccelerators = 100;
constexpr int kSmallestPicture = 8;

// The time-line's commands that keep working while the preview has the
// focus: undo, redo, delete, cut, copy, add, paste and insert (311 to 320),
// the zoom (424 to 426), play, stop, play-or-stop, the frame steps, rewind
// and its neighbours (511 to 524), the zoom to the range (631) and the
// scrolling (921 to 924).
constexpr UINT kTimeLineCommands[] = {311, 312, 313, 314, 315, 316, 318, 320, 424, 425, 426, 511,
                                      512, 513, 515, 516, 522, 523, 524, 631, 921, 922, 923, 924};

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(PreviewWindow, TWindow)
  EV_MESSAGE(kUpdateView, EvUpdateView),
  EV_WM_ERASEBKGND,
  EV_WM_PALETTECHANGED,
  EV_WM_SYSCOMMAND,
  EV_WM_GETMINMAXINFO,
END_RESPONSE_TABLE;
// clang-format on

PreviewWindow::PreviewWindow(AviSubPlayer* owner, HWND notifyWindow, int32_t clientWidth,
                             int32_t clientHeight, bool resizable)
    : TWindow(nullptr, "Video"), owner(owner), notifyWindow(notifyWindow) {
  Attr.Style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | (resizable ? WS_THICKFRAME : 0);
  Attr.ExStyle = VideoPlayer::onTop ? WS_EX_TOPMOST : 0;
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, Attr.Style, FALSE, Attr.ExStyle);
  Attr.W = r.right - r.left;
  Attr.H = r.bottom - r.top;
  Attr.X = GetSystemMetrics(SM_CXSCREEN) - Attr.W;
  Attr.Y = GetSystemMetrics(SM_CYCAPTION);
  if (TheVideoPlayer != nullptr && TheVideoPlayer->previewPlace.known) {
    const VideoPlayer::PreviewPlace& last = TheVideoPlayer->previewPlace;
    Attr.X = last.rect.left;
    Attr.Y = last.rect.top;
    if (resizable && last.sized) {
      Attr.W = last.rect.right - last.rect.left;
      Attr.H = last.rect.bottom - last.rect.top;
    }
  }
  openedWidth = Attr.W;
  openedHeight = Attr.H;
  Attr.AccelTable = kProjectAccelerators;
}

void PreviewWindow::CleanupWindow() {
  RECT r;
  if (TheVideoPlayer != nullptr && HWindow != nullptr && !::IsIconic(HWindow) && ::GetWindowRect(HWindow, &r)) {
    VideoPlayer::PreviewPlace& last = TheVideoPlayer->previewPlace;
    const bool sized = r.right - r.left != openedWidth || r.bottom - r.top != openedHeight;
    last.sized = sized || (last.known && last.sized);
    last.rect = r;
    last.known = true;
  }
  TWindow::CleanupWindow();
}

void PreviewWindow::SizedByProgram() {
  RECT r;
  if (HWindow == nullptr || !::GetWindowRect(HWindow, &r)) return;
  openedWidth = r.right - r.left;
  openedHeight = r.bottom - r.top;
  if (TheVideoPlayer != nullptr) TheVideoPlayer->previewPlace.sized = false;
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
  ::AppendMenu(menu, MF_STRING, kPreviewZoomHalf, GetString(ui_string::kZoomHalfItem));
  ::AppendMenu(menu, MF_STRING, kPreviewZoomOne, GetString(ui_string::kZoomOneItem));
  ::AppendMenu(menu, MF_STRING, kPreviewZoomTwo, GetString(ui_string::kZoomTwoItem));
  ::AppendMenu(menu, MF_STRING, kPreviewSettings, GetString(ui_string::kSettingsMenu));
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
      ::PostMessage(notifyWindow, kTimeLineRequestMessage, kRequestSettingsPage, kVideoSettingsPage);
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

void PreviewWindow::EvCommand(UINT id, HWND control, UINT notifyCode) {
  for (UINT command : kTimeLineCommands) {
    if (id == command) {
      ::PostMessage(notifyWindow, WM_COMMAND, id, 0);
      return;
    }
  }
  TWindow::EvCommand(id, control, notifyCode);
}
