#include "platform/classlib/window.h"

#include <cxxabi.h>
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <typeinfo>
#include <unordered_map>

#include "platform/classlib/application.h"
#include "platform/classlib/command_enabler.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/frame.h"
#include "platform/classlib/scroller.h"
#include "platform/core/trace.h"

namespace {

struct Bindings {
  std::mutex lock;
  std::unordered_map<HWND, TWindow*> map;
};

Bindings& B() {
  static Bindings* b = new Bindings();
  return *b;
}

void Bind(HWND h, TWindow* w) {
  std::lock_guard<std::mutex> hold(B().lock);
  B().map[h] = w;
}

void Unbind(HWND h, TWindow* w) {
  std::lock_guard<std::mutex> hold(B().lock);
  auto it = B().map.find(h);
  if (it != B().map.end() && it->second == w) B().map.erase(it);
}

bool IsTopLevel(HWND h) {
  return h == nullptr || !(GetWindowLong(h, GWL_STYLE) & WS_CHILD);
}

// The class of a handling object as the program names it.
std::string TypeName(const TEventHandler& handler) {
  const char* raw = typeid(handler).name();
  int status = 0;
  char* name = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
  std::string text = status == 0 && name != nullptr ? name : raw;
  std::free(name);
  return text;
}

[[gnu::cold]] void TraceCommand(UINT id, const TWindow* from, const TEventHandler* handler) {
  TraceLine(kTraceClasslib, "command %u from %s %p: %s", id, TypeName(*from).c_str(),
            static_cast<void*>(from->GetHandle()),
            handler != nullptr ? ("handled by " + TypeName(*handler)).c_str() : "not handled");
}

bool IsUnder(const TWindow* ancestor, const TWindow* w) {
  for (; w != nullptr; w = w->GetParentO()) {
    if (w == ancestor) return true;
  }
  return false;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TWindow, TEventHandler)
  EV_WM_CLOSE,
  EV_WM_DESTROY,
  EV_WM_PAINT,
  EV_WM_INITMENUPOPUP,
  EV_WM_ENTERIDLE,
  EV_WM_HSCROLL,
  EV_WM_VSCROLL,
  EV_WM_SIZE,
  EV_WM_DRAWITEM,
END_RESPONSE_TABLE;
// clang-format on

TWindow*& TWindow::Creating() {
  thread_local TWindow* creating = nullptr;
  return creating;
}

TWindow::TWindow(TWindow* parent, const char* title, TModule* module)
    : Parent(parent), Title(title != nullptr ? title : "") {
  Module = module != nullptr ? module : parent != nullptr ? parent->Module : &ProgramModule();
  Attr.Style = WS_CHILD | WS_VISIBLE;
  if (parent != nullptr) {
    parent->AddChild(this);
    SetFlag(wfAutoCreate);
  }
}

TWindow::~TWindow() {
  HWND h = HWindow;
  const bool alias = IsFlagSet(wfAlias);
  Detach();
  while (!ChildList.empty()) delete ChildList.back();
  if (h != nullptr && !alias && ::IsWindow(h)) ::DestroyWindow(h);
  if (hAccel != nullptr) DestroyAcceleratorTable(hAccel);
  delete Scroller;
  if (Parent != nullptr) Parent->RemoveChild(this);
  *Alive = false;
}

TWindow* TWindow::GetWindowPtr(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(B().lock);
  auto it = B().map.find(hwnd);
  return it != B().map.end() ? it->second : nullptr;
}

void TWindow::AddChild(TWindow* child) {
  ChildList.push_back(child);
}

void TWindow::RemoveChild(TWindow* child) {
  ChildList.erase(std::remove(ChildList.begin(), ChildList.end(), child), ChildList.end());
}

void TWindow::SetParent(TWindow* newParent) {
  if (newParent == Parent) return;
  if (Parent != nullptr) Parent->RemoveChild(this);
  Parent = newParent;
  if (Parent != nullptr) {
    Parent->AddChild(this);
    if (Module == nullptr) Module = Parent->Module;
  }
  if (HWindow != nullptr && Parent != nullptr && Parent->HWindow != nullptr)
    ::SetParent(HWindow, Parent->HWindow);
}

TWindow* TWindow::ChildWithId(int id) const {
  for (TWindow* c : ChildList) {
    if (c->Attr.Id == id) return c;
  }
  return nullptr;
}

TApplication* TWindow::GetApplication() const {
  return GetApplicationObject();
}

// ---- Class and creation ----

const char* TWindow::GetClassName() {
  return "KobrixWindow";
}

void TWindow::GetWindowClass(WNDCLASS& wc) {
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = StdWndProc;
  wc.hInstance = Module != nullptr ? Module->GetInstance() : nullptr;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  wc.lpszClassName = GetClassName();
}

bool TWindow::Register() {
  const char* name = GetClassName();
  WNDCLASS existing;
  if (::GetClassInfo(nullptr, name, &existing)) return true;
  WNDCLASS wc;
  GetWindowClass(wc);
  wc.lpszClassName = name;
  if (wc.lpfnWndProc == nullptr) wc.lpfnWndProc = StdWndProc;
  return ::RegisterClass(&wc) != 0;
}

bool TWindow::Create() {
  if (HWindow != nullptr) return true;
  HWND parent = Parent != nullptr ? Parent->HWindow : nullptr;
  if ((Attr.Style & WS_CHILD) && parent == nullptr) return false;
  if (!Register()) return false;
  HMENU menu = nullptr;
  bool own_menu = false;
  if (Attr.Style & WS_CHILD) {
    menu = reinterpret_cast<HMENU>(static_cast<std::intptr_t>(Attr.Id));
  } else if (!Attr.Menu.IsNull()) {
    menu = Module->LoadMenu(Attr.Menu);
    own_menu = menu != nullptr;
  }
  if (!Attr.AccelTable.IsNull() && hAccel == nullptr) hAccel = Module->LoadAccelerators(Attr.AccelTable);
  TWindow* saved = Creating();
  Creating() = this;
  const std::string title = Title;
  HWND h = CreateWindowEx(Attr.ExStyle, GetClassName(), title.c_str(), Attr.Style, Attr.X, Attr.Y, Attr.W,
                          Attr.H, parent, menu, Module->GetInstance(), Attr.Param);
  Creating() = saved;
  if (h == nullptr) {
    if (own_menu) DestroyMenu(menu);
    return false;
  }
  if (HWindow == nullptr && ::IsWindow(h)) {
    // A window of a class with a procedure of its own: bound and set up now.
    Attach(h);
    PerformSetup();
  }
  return HWindow != nullptr;
}

void TWindow::PerformSetup() {
  SetupDone = true;
  SetupWindow();
  TransferData(tdSetData);
}

void TWindow::SetupWindow() {
  if (Scroller != nullptr) {
    Scroller->SetPageSize();
    Scroller->SetSBarRange();
  }
  CreateChildren();
}

void TWindow::CreateChildren() {
  const std::vector<TWindow*> children = ChildList;
  for (TWindow* child : children) {
    if (child->HWindow != nullptr) continue;
    if (child->IsFlagSet(wfFromResource)) {
      HWND item = ::GetDlgItem(HWindow, child->Attr.Id);
      if (item == nullptr) continue;
      child->Attach(item);
      child->PerformSetup();
    } else if (child->IsFlagSet(wfAutoCreate)) {
      child->Create();
    }
  }
}

void TWindow::CleanupWindow() {}

void TWindow::Attach(HWND hwnd, bool subclass) {
  HWindow = hwnd;
  Bind(hwnd, this);
  const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(hwnd, GWLP_WNDPROC));
  if (subclass && proc != StdWndProc && proc != nullptr) {
    DefaultProc = proc;
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc));
    SetFlag(wfAlias);
  }
  if (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) Attr.Id = GetDlgCtrlID(hwnd);
  // A window made by Create gets its text from Title; until its first
  // messages are through it has none.
  if (Creating() == this) return;
  char text[256];
  ::GetWindowText(hwnd, text, sizeof text);
  Title = text;
}

void TWindow::Detach() {
  if (HWindow == nullptr) return;
  Unbind(HWindow, this);
  if (DefaultProc != nullptr && ::IsWindow(HWindow) &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtr(HWindow, GWLP_WNDPROC)) == StdWndProc) {
    SetWindowLongPtr(HWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefaultProc));
  }
  DefaultProc = nullptr;
  ClearFlag(wfAlias);
  HWindow = nullptr;
  SetupDone = false;
}

void TWindow::Destroy(int) {
  if (HWindow != nullptr && ::IsWindow(HWindow)) ::DestroyWindow(HWindow);
}

void TWindow::CloseWindow(int retVal) {
  if (CanClose()) Destroy(retVal);
}

bool TWindow::CanClose() {
  const std::vector<TWindow*> children = ChildList;
  for (TWindow* c : children) {
    if (c->HWindow != nullptr && !c->CanClose()) return false;
  }
  return true;
}

void TWindow::ShutDownWindow(int retVal) {
  Destroy(retVal);
  delete this;
}

void TWindow::TransferData(TTransferDirection) {}

bool TWindow::PreProcessMsg(MSG& msg) {
  return hAccel != nullptr && HWindow != nullptr && TranslateAccelerator(HWindow, hAccel, &msg) != 0;
}

bool TWindow::IdleAction(long idleCount) {
  bool more = false;
  const std::vector<TWindow*> children = ChildList;
  for (TWindow* c : children) {
    if (c->HWindow != nullptr && c->IdleAction(idleCount)) more = true;
  }
  return more;
}

void TWindow::Paint(TDC&, bool, TRect&) {}

bool TWindow::EnableWindow(bool enable) {
  return ::EnableWindow(HWindow, enable ? TRUE : FALSE) != 0;
}

void TWindow::SetCaption(const char* title) {
  Title = title != nullptr ? title : "";
  if (HWindow != nullptr) ::SetWindowText(HWindow, Title.c_str());
}

TRect TWindow::GetClientRect() const {
  RECT r{};
  ::GetClientRect(HWindow, &r);
  return TRect(r);
}

TRect TWindow::GetWindowRect() const {
  RECT r{};
  ::GetWindowRect(HWindow, &r);
  return TRect(r);
}

bool TWindow::MoveWindow(const TRect& rect, bool repaint) {
  return ::MoveWindow(HWindow, rect.left, rect.top, rect.Width(), rect.Height(), repaint ? TRUE : FALSE) != 0;
}

bool TWindow::SetWindowPos(HWND after, const TRect& rect, UINT flags) {
  return ::SetWindowPos(HWindow, after, rect.left, rect.top, rect.Width(), rect.Height(), flags) != 0;
}

// ---- Messages ----

LRESULT TWindow::StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindow* w = GetWindowPtr(hwnd);
  if (w == nullptr) {
    TWindow* c = Creating();
    char cls[128];
    if (c != nullptr && c->HWindow == nullptr && ::GetClassName(hwnd, cls, sizeof cls) > 0 &&
        strcasecmp(cls, c->GetClassName()) == 0) {
      // The window's text is not stored before its first message: binding
      // must not blank the title it is being made with.
      const std::string title = c->Title;
      c->Attach(hwnd);
      c->Title = title;
      w = c;
    }
  }
  if (w == nullptr) return ::DefWindowProc(hwnd, msg, wParam, lParam);
  return w->ReceiveMessage(msg, wParam, lParam);
}

LRESULT TWindow::ReceiveMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A handler may delete its own object: the copy of the token outlives it.
  const std::shared_ptr<bool> alive = Alive;
  const TCurrentEvent saved = CurrentEvent;
  CurrentEvent = TCurrentEvent{msg, wParam, lParam, false};
  HWND h = HWindow;
  const LRESULT r = WindowProc(msg, wParam, lParam);
  if (!*alive) return r;
  LastDefaulted = CurrentEvent.Defaulted;
  CurrentEvent = saved;
  if (msg == WM_NCDESTROY && HWindow == h) Detach();
  return r;
}

LRESULT TWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const LRESULT r = DefaultProcessing();
      if (r != -1) PerformSetup();
      return r;
    }
    case WM_COMMAND:
      EvCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return EvNotify(static_cast<UINT>(wParam), reinterpret_cast<void*>(lParam));
    case WM_DESTROY:
      if (SetupDone) {
        SetupDone = false;
        CleanupWindow();
      }
      break;
  }
  TEventInfo info(TEventKind::Message, msg);
  if (Find(info)) return Dispatch(info, wParam, lParam);
  return DefaultProcessing();
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ReceiveMessage(msg, wParam, lParam);
}

LRESULT TWindow::DefaultProcessing() {
  CurrentEvent.Defaulted = true;
  return DefWindowProc(CurrentEvent.Msg, CurrentEvent.WParam, CurrentEvent.LParam);
}

LRESULT TWindow::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (HWindow == nullptr) return 0;
  if (DefaultProc != nullptr) return CallWindowProc(DefaultProc, HWindow, msg, wParam, lParam);
  return ::DefWindowProc(HWindow, msg, wParam, lParam);
}

void TWindow::EvCommand(UINT id, HWND hWndCtl, UINT notifyCode) {
  const WPARAM wp = CurrentEvent.WParam;
  const LPARAM lp = CurrentEvent.LParam;
  if (hWndCtl != nullptr) {
    // A control's notification: the control's own table, then ours.
    if (TWindow* child = GetWindowPtr(hWndCtl)) {
      TEventInfo at(TEventKind::NotifyAtChild, WM_COMMAND, 0, notifyCode);
      if (child->Find(at)) {
        child->Dispatch(at, wp, lp);
        return;
      }
    }
    TEventInfo one(TEventKind::ChildNotify, WM_COMMAND, id, notifyCode);
    if (Find(one)) {
      Dispatch(one, wp, lp);
      return;
    }
    TEventInfo all(TEventKind::ChildNotifyAll, WM_COMMAND, id);
    if (Find(all)) {
      Dispatch(all, wp, lp);
      return;
    }
    // A button click that no table lists as a notification is a command.
    if (notifyCode != 0) {
      DefaultProcessing();
      return;
    }
  }
  if (!RouteCommand(id, wp, lp)) DefaultProcessing();
}

bool TWindow::RouteCommand(UINT id, WPARAM wParam, LPARAM lParam) {
  for (TWindow* w = this; w != nullptr; w = w->Parent) {
    TEventInfo info(TEventKind::Command, WM_COMMAND, id);
    if (w->Find(info)) {
      if (TraceOn(kTraceClasslib)) TraceCommand(id, this, w);
      w->Dispatch(info, wParam, lParam);
      return true;
    }
    if (IsTopLevel(w->HWindow)) break;
  }
  if (TApplication* app = GetApplication()) {
    TEventInfo info(TEventKind::Command, WM_COMMAND, id);
    if (app->Find(info)) {
      if (TraceOn(kTraceClasslib)) TraceCommand(id, this, app);
      app->Dispatch(info, wParam, lParam);
      return true;
    }
  }
  if (TraceOn(kTraceClasslib)) TraceCommand(id, this, nullptr);
  return false;
}

void TWindow::RouteCommandEnable(TCommandEnabler& ce, bool autoDisable) {
  bool handler = false;
  for (TWindow* w = this; w != nullptr; w = w->Parent) {
    TEventInfo info(TEventKind::CommandEnable, WM_COMMAND, ce.GetId());
    if (w->Find(info)) {
      w->Dispatch(info, 0, reinterpret_cast<LPARAM>(&ce));
      if (ce.GetHandled()) return;
    }
    TEventInfo command(TEventKind::Command, WM_COMMAND, ce.GetId());
    handler = handler || w->Find(command);
    if (IsTopLevel(w->HWindow)) break;
  }
  if (TApplication* app = GetApplication()) {
    TEventInfo info(TEventKind::CommandEnable, WM_COMMAND, ce.GetId());
    if (app->Find(info)) {
      app->Dispatch(info, 0, reinterpret_cast<LPARAM>(&ce));
      if (ce.GetHandled()) return;
    }
    TEventInfo command(TEventKind::Command, WM_COMMAND, ce.GetId());
    handler = handler || app->Find(command);
  }
  if (autoDisable) ce.Enable(handler);
}

void TWindow::EvCommandEnable(TCommandEnabler& ce) {
  RouteCommandEnable(ce, true);
}

LRESULT TWindow::EvNotify(UINT, void*) {
  return DefaultProcessing();
}

// ---- Handlers of the base table ----

void TWindow::EvClose() {
  if (IsFlagSet(wfMainWindow)) {
    TApplication* app = GetApplication();
    if (app == nullptr || app->CanClose()) Destroy();
  } else {
    CloseWindow();
  }
}

void TWindow::EvDestroy() {
  if (IsFlagSet(wfMainWindow)) PostQuitMessage(0);
  DefaultProcessing();
}

void TWindow::EvPaint() {
  if (IsFlagSet(wfAlias)) {
    DefaultProcessing();
    return;
  }
  TPaintDC dc(HWindow);
  TRect rect(dc.Ps.rcPaint);
  Paint(dc, dc.Ps.fErase != 0, rect);
}

void TWindow::EvInitMenuPopup(HMENU popup, UINT, bool sysMenu) {
  DefaultProcessing();
  if (sysMenu) return;
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(popup, i);
    if (id == 0 || id == 0xFFFFFFFFu) continue;  // separators and submenus
    TMenuItemEnabler ce(popup, id, HWindow, i);
    EvCommandEnable(ce);
  }
}

LRESULT TWindow::EvEnterIdle(UINT source, HWND hWndDlg) {
  if (LOWORD(source) == MSGF_MENU) {
    TApplication* app = GetApplication();
    if (app != nullptr && app->MenuIdle(HWindow)) return 0;
    return DefaultProcessing();
  }
  if (LOWORD(source) != MSGF_DIALOGBOX) return DefaultProcessing();
  const long count = HIWORD(source);
  bool more = false;
  TApplication* app = GetApplication();
  if (app != nullptr) more = app->IdleAction(count);
  // A dialog outside the application's tree of windows gets its own call.
  TWindow* dialog = GetWindowPtr(hWndDlg);
  TWindow* main = app != nullptr ? app->GetMainWindow() : nullptr;
  if (dialog != nullptr && !(main != nullptr && IsUnder(main, dialog))) {
    if (dialog->IdleAction(count)) more = true;
  }
  return more ? 1 : 0;
}

void TWindow::EvHScroll(UINT code, UINT pos, HWND hWndCtl) {
  if (hWndCtl == nullptr && Scroller != nullptr) {
    Scroller->HScroll(code, static_cast<short>(pos));
    return;
  }
  RouteScroll(WM_HSCROLL, code, pos, hWndCtl);
}

void TWindow::EvVScroll(UINT code, UINT pos, HWND hWndCtl) {
  if (hWndCtl == nullptr && Scroller != nullptr) {
    Scroller->VScroll(code, static_cast<short>(pos));
    return;
  }
  RouteScroll(WM_VSCROLL, code, pos, hWndCtl);
}

void TWindow::EvDrawItem(UINT, DRAWITEMSTRUCT& drawInfo) {
  auto* control =
      drawInfo.CtlType != ODT_MENU ? dynamic_cast<TControl*>(GetWindowPtr(drawInfo.hwndItem)) : nullptr;
  if (control != nullptr) {
    control->DrawItem(drawInfo);
    return;
  }
  DefaultProcessing();
}

void TWindow::EvSize(UINT sizeType, const TSize&) {
  DefaultProcessing();
  if (Scroller != nullptr && sizeType != SIZE_MINIMIZED) Scroller->SetPageSize();
}

void TWindow::RouteScroll(UINT, UINT code, UINT pos, HWND hWndCtl) {
  // A scroll bar control handles its own moves.
  TWindow* child = GetWindowPtr(hWndCtl);
  if (child != nullptr && child != this && child->ChildScroll(code, pos)) return;
  DefaultProcessing();
}

bool TWindow::ChildScroll(UINT, UINT) {
  return false;
}
