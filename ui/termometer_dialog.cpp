#include "ui/termometer_dialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "model/fit_path.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "platform/classlib/application.h"
#include "platform/classlib/frame.h"
#include "platform/core/threads.h"
#include "resources/resource_ids.h"
#include "ui/control_brushes.h"
#include "ui/shell_services.h"

namespace {

int g_open = 0;
std::vector<MSG> g_deferred;

// The kept requests go back into the queue in their order.
void PostDeferred() {
  std::vector<MSG> kept;
  kept.swap(g_deferred);
  for (const MSG& m : kept) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
    } else if (m.hwnd == nullptr) {
      PostThreadMessage(GetCurrentThreadId(), m.message, m.wParam, m.lParam);
    } else if (IsWindow(m.hwnd)) {
      PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
    }
  }
}

}  // namespace

// ---- The bar ----

TTermometerControl::TTermometerControl(TWindow* parent, int resourceId, int32_t total_)
    : TControl(parent, resourceId), total(total_) {}

const char* TTermometerControl::GetClassName() {
  return "TTermometer";
}

void TTermometerControl::GetWindowClass(WNDCLASS& wc) {
  TControl::GetWindowClass(wc);
  wc.hbrBackground = nullptr;  // the bar paints all of its face
}

void TTermometerControl::SetupWindow() {
  TControl::SetupWindow();
  client = GetClientRect();
}

bool TTermometerControl::MoveTo(int32_t to) {
  const int32_t whole = std::max<int32_t>(total, 1);
  const bool changes =
      !moved_ ||
      MulDivRoundSigned(client.right, to, whole) != MulDivRoundSigned(client.right, position, whole) ||
      MulDivRoundSigned(to, 100, whole) != MulDivRoundSigned(position, 100, whole);
  moved_ = true;
  position = to;
  return changes;
}

void TTermometerControl::Paint(TDC& dc, bool, TRect&) {
  if (total < 1) total = 1;
  const LONG fill = MulDivRoundSigned(client.right, position, total);
  dc.FillRect(TRect(0, 0, fill, client.bottom), ProgressFillBrush());
  dc.FillRect(TRect(fill, 0, client.right, client.bottom), ProgressBackgroundBrush());
  const std::string percent = FormatText("%d%%", static_cast<int>(MulDivRoundSigned(position, 100, total)));
  const int old = dc.SetBkMode(TRANSPARENT);
  dc.DrawText(percent.c_str(), -1, client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  dc.SetBkMode(old);
}

// ---- The dialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TermometerDialog, TEDialog)
  EV_COMMAND(IDCANCEL, CmCancel),
  EV_WM_SYSCOMMAND,
  EV_WM_LBUTTONDOWN,
  EV_WM_MOUSEMOVE,
  EV_WM_LBUTTONUP,
END_RESPONSE_TABLE;
// clang-format on

TermometerDialog::TermometerDialog(TWindow* parent, const char* title_, const char* text_, int32_t total,
                                   bool cancelable_, const RECT& placement_)
    : TEDialog(parent, kTermometerDialog),
      bar(new TTermometerControl(this, kTermometerBar, total)),
      cancelable(cancelable_),
      title(title_),
      text(text_),
      placement(placement_) {
  ++g_open;
}

TermometerDialog::~TermometerDialog() {
  delete bar;
  bar = nullptr;
  if (HWindow != nullptr && ::IsWindow(HWindow)) ::DestroyWindow(HWindow);
  if (--g_open == 0) PostDeferred();
}

void TermometerDialog::SetupWindow() {
  TEDialog::SetupWindow();
  SetCaption(title);
  // The line of text, shortened to the width of its item.
  char line[256] = {};
  if (text != nullptr) std::strncpy(line, text, 255);
  RECT item{};
  ::GetClientRect(GetDlgItem(kTermometerText), &item);
  {
    TClientDC dc(HWindow);
    FitPathToWidth(dc, line, item.right);
  }
  ::SetDlgItemText(HWindow, kTermometerText, line);
  // The close item of the system menu is disabled, without the grey look.
  EnableMenuItem(GetSystemMenu(HWindow, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED);
  ::EnableWindow(GetDlgItem(IDCANCEL), cancelable ? TRUE : FALSE);
  // Centred over the placement, kept on the screen.
  const TRect wr = GetWindowRect();
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  int x = (placement.left + placement.right - wr.Width()) / 2;
  int y = (placement.top + placement.bottom - wr.Height()) / 2;
  x = std::max(std::min(x, sw - 10), 0);
  y = std::max(std::min(y, sh - 10), 0);
  SetWindowLong(HWindow, GWL_EXSTYLE, GetWindowLong(HWindow, GWL_EXSTYLE) | WS_EX_TOPMOST);
  ::SetWindowPos(HWindow, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
}

bool TermometerDialog::SetProgress(int32_t position) {
  if (HWindow == nullptr) return true;
  // A long export reports every block; the bar is drawn when it moves.
  if (bar->MoveTo(position) && bar->IsWindow()) {
    bar->Invalidate(false);
    bar->UpdateWindow();
  }
  ShellServices& shell = CurrentShellServices();
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // A request that would replace or close the project waits for the end
    // of the operation; a quit request is kept the same way.
    if (shell.ReplacesProject(msg)) {
      g_deferred.push_back(msg);
      continue;
    }
    if (HWindow != nullptr && IsDialogMessage(HWindow, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  return !cancelled;
}

void TermometerDialog::CmCancel() {
  if (cancelable) cancelled = true;
}

void TermometerDialog::EvSysCommand(UINT cmdType, const TPoint&) {
  if ((cmdType & 0xFFF0) == SC_CLOSE && cancelable) {
    cancelled = true;
    return;
  }
  DefaultProcessing();
}

void TermometerDialog::EvLButtonDown(UINT, const TPoint& point) {
  if (!cancelable) return;
  TPoint p = point;
  ClientToScreen(p);
  RECT r{};
  ::GetWindowRect(GetDlgItem(IDCANCEL), &r);
  if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) {
    cancelled = true;
    for (int i = 0; i < 5; ++i) MessageBeep(0xFFFFFFFFu);
  }
}

void TermometerDialog::EvLButtonUp(UINT, const TPoint&) {}

void TermometerDialog::EvMouseMove(UINT, const TPoint& point) {
  const TRect wr = GetWindowRect();
  const bool over = point.x >= 0 && point.x <= wr.Width() && point.y >= 0 && point.y <= wr.Height();
  ::SetCursor(::LoadCursor(nullptr, over ? IDC_ARROW : IDC_WAIT));
}

TermometerDialog* OpenTermometer(const char* title, const char* text, int32_t total, bool cancelable,
                                 HWND placeWindow) {
  CurrentShellServices().ClearStatusText();
  TApplication* app = GetApplicationObject();
  TWindow* parent = app != nullptr && app->GetMainWindow() != nullptr && app->GetMainWindow()->IsWindow()
                        ? app->GetMainWindow()
                        : nullptr;
  RECT place{};
  if (placeWindow != nullptr && IsWindow(placeWindow)) {
    GetWindowRect(placeWindow, &place);
  } else if (parent != nullptr) {
    GetWindowRect(*parent, &place);
  }
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  place.left = std::clamp<LONG>(place.left, 0, sw);
  place.right = std::clamp<LONG>(place.right, 0, sw);
  place.top = std::clamp<LONG>(place.top, 0, sh);
  place.bottom = std::clamp<LONG>(place.bottom, 0, sh);
  if (place.right <= place.left || place.bottom <= place.top) place = RECT{0, 0, sw, sh};
  auto* dialog = new TermometerDialog(parent, title, text, total, cancelable, place);
  if (!dialog->Create()) {
    delete dialog;
    return nullptr;
  }
  dialog->Show(SW_SHOW);
  dialog->UpdateWindow();
  dialog->SetFocus();
  SetCapture(*dialog);
  return dialog;
}

void CloseTermometer(TermometerDialog** holder) {
  if (holder != nullptr && *holder != nullptr) {
    ReleaseCapture();
    delete *holder;
    *holder = nullptr;
  }
  CurrentShellServices().ClearStatusText();
}

bool LongOperationRunning() {
  return g_open > 0;
}
