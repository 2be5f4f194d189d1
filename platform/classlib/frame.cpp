#include "platform/classlib/frame.h"

#include "platform/classlib/gadgets.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(TFrameWindow, TWindow)
  EV_WM_SIZE,
  EV_WM_SETFOCUS,
END_RESPONSE_TABLE;
// clang-format on

TFrameWindow::TFrameWindow(TWindow* parent, const char* title, TWindow* clientWnd, bool, TModule* module)
    : TWindow(parent, title, module) {
  Attr.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  ClearFlag(wfAutoCreate);
  if (clientWnd != nullptr) SetClientWindow(clientWnd);
}

const char* TFrameWindow::GetClassName() {
  return "KobrixFrame";
}

void TFrameWindow::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
  wc.hIcon = Icon;
}

TWindow* TFrameWindow::SetClientWindow(TWindow* client) {
  TWindow* old = ClientWnd;
  ClientWnd = client;
  if (client != nullptr) {
    client->SetParent(this);
    client->Attr.Style =
        (client->Attr.Style | WS_CHILD | WS_VISIBLE) & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME);
    client->SetFlag(wfAutoCreate);
    if (HWindow != nullptr) {
      client->Create();
      Layout();
    }
  }
  return old;
}

bool TFrameWindow::AssignMenu(TResId menuResId) {
  Attr.Menu = menuResId;
  if (HWindow == nullptr) return true;
  HMENU menu = Module->LoadMenu(menuResId);
  if (menu == nullptr) return false;
  HMENU old = ::GetMenu(HWindow);
  ::SetMenu(HWindow, menu);
  if (old != nullptr) DestroyMenu(old);
  return true;
}

bool TFrameWindow::SetIcon(TModule* module, TResId iconResId) {
  Icon = (module != nullptr ? module : Module)->LoadIcon(iconResId);
  if (HWindow != nullptr && Icon != nullptr) SendMessage(WM_SETICON, 1, reinterpret_cast<LPARAM>(Icon));
  return Icon != nullptr;
}

void TFrameWindow::SetupWindow() {
  TWindow::SetupWindow();
  if (Icon != nullptr) SendMessage(WM_SETICON, 1, reinterpret_cast<LPARAM>(Icon));
  Layout();
}

TWindow* TFrameWindow::GetCommandTarget() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(HWindow, focus)) {
    for (HWND h = focus; h != nullptr && h != HWindow; h = ::GetParent(h)) {
      if (TWindow* w = GetWindowPtr(h)) return w;
    }
  }
  return ClientWnd != nullptr && ClientWnd->IsWindow() ? ClientWnd : this;
}

void TFrameWindow::EvCommand(UINT id, HWND hWndCtl, UINT notifyCode) {
  if (hWndCtl == nullptr) {
    TWindow* target = GetCommandTarget();
    if (target != nullptr && target != this) {
      if (!target->RouteCommand(id, CurrentEvent.WParam, CurrentEvent.LParam)) DefaultProcessing();
      return;
    }
  }
  TWindow::EvCommand(id, hWndCtl, notifyCode);
}

void TFrameWindow::EvCommandEnable(TCommandEnabler& ce) {
  TWindow* target = GetCommandTarget();
  (target != nullptr ? target : this)->RouteCommandEnable(ce, true);
}

void TFrameWindow::Layout() {
  if (HWindow == nullptr || ClientWnd == nullptr || !ClientWnd->IsWindow()) return;
  ClientWnd->MoveWindow(GetClientRect(), true);
}

void TFrameWindow::EvSize(UINT sizeType, const TSize&) {
  DefaultProcessing();
  if (sizeType != SIZE_MINIMIZED) Layout();
}

void TFrameWindow::EvSetFocus(HWND) {
  if (ClientWnd != nullptr && ClientWnd->IsWindow()) {
    ClientWnd->SetFocus();
  } else {
    DefaultProcessing();
  }
}

// ---- TDecoratedFrame ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TDecoratedFrame, TFrameWindow)
  EV_WM_MENUSELECT,
END_RESPONSE_TABLE;
// clang-format on

TDecoratedFrame::TDecoratedFrame(TWindow* parent, const char* title, TWindow* clientWnd,
                                 bool trackMenuSelection, TModule* module)
    : TFrameWindow(parent, title, clientWnd, false, module), TrackMenuSelection(trackMenuSelection) {}

void TDecoratedFrame::Insert(TWindow& decoration, TLocation location) {
  decoration.SetParent(this);
  decoration.Attr.Style = (decoration.Attr.Style | WS_CHILD | WS_VISIBLE) & ~WS_POPUP;
  decoration.SetFlag(wfAutoCreate);
  Decorations.emplace_back(&decoration, location);
  if (HWindow != nullptr) {
    decoration.Create();
    Layout();
  }
}

void TDecoratedFrame::Layout() {
  if (HWindow == nullptr) return;
  TRect area = GetClientRect();
  for (auto& [w, where] : Decorations) {
    if (!w->IsWindow()) continue;
    TSize want(w->GetWindowRect().Width(), w->GetWindowRect().Height());
    if (auto* g = dynamic_cast<TGadgetWindow*>(w)) g->GetDesiredSize(want);
    switch (where) {
      case Top:
        w->MoveWindow(TRect(area.left, area.top, area.right, area.top + want.cy), true);
        area.top += want.cy;
        break;
      case Bottom:
        w->MoveWindow(TRect(area.left, area.bottom - want.cy, area.right, area.bottom), true);
        area.bottom -= want.cy;
        break;
      case Left:
        w->MoveWindow(TRect(area.left, area.top, area.left + want.cx, area.bottom), true);
        area.left += want.cx;
        break;
      case Right:
        w->MoveWindow(TRect(area.right - want.cx, area.top, area.right, area.bottom), true);
        area.right -= want.cx;
        break;
    }
  }
  if (ClientWnd != nullptr && ClientWnd->IsWindow()) {
    if (area.bottom < area.top) area.bottom = area.top;
    if (area.right < area.left) area.right = area.left;
    ClientWnd->MoveWindow(area, true);
  }
}

void TDecoratedFrame::SetHintText(const char* text) {
  for (auto& [w, where] : Decorations) {
    if (auto* bar = dynamic_cast<TStatusBar*>(w)) {
      bar->SetText(text != nullptr ? text : "");
      return;
    }
  }
}

void TDecoratedFrame::ShowCommandHint(UINT id) {
  const std::string hint = Module->LoadString(id);
  SetHintText(hint.c_str());
}

void TDecoratedFrame::EvMenuSelect(UINT id, UINT flags, HMENU menu) {
  if (!TrackMenuSelection) {
    DefaultProcessing();
    return;
  }
  if (flags == 0xFFFF && menu == nullptr) {
    SetHintText(nullptr);
  } else if (!(flags & (MF_POPUP | MF_SEPARATOR))) {
    ShowCommandHint(id);
  }
}
