#include "platform/classlib/dialog.h"

#include "platform/classlib/command_enabler.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(TDialog, TWindow)
  EV_COMMAND(IDOK, CmOk),
  EV_COMMAND(IDCANCEL, CmCancel),
  EV_WM_CLOSE,
END_RESPONSE_TABLE;
// clang-format on

TDialog::TDialog(TWindow* parent, TResId resId, TModule* module)
    : TWindow(parent, nullptr, module), ResId(resId) {
  ClearFlag(wfAutoCreate);
}

TDialog::TDialog(TWindow* parent, const DialogTemplate& tpl, TModule* module)
    : TWindow(parent, nullptr, module), OwnTemplate(tpl), HasOwnTemplate(true) {
  ClearFlag(wfAutoCreate);
}

TDialog*& TDialog::DialogCreating() {
  thread_local TDialog* creating = nullptr;
  return creating;
}

const DialogTemplate* TDialog::GetTemplate() const {
  return HasOwnTemplate ? &OwnTemplate : FindDialogResource(ResId.Id());
}

void TDialog::RegisterChildClasses() {
  for (TWindow* c : Children()) {
    if (c->IsFlagSet(wfFromResource)) c->Register();
  }
}

int TDialog::Execute() {
  if (HWindow != nullptr) return -1;
  const DialogTemplate* tpl = GetTemplate();
  if (tpl == nullptr) return -1;
  RegisterChildClasses();
  SetFlag(wfModal);
  TDialog* saved = DialogCreating();
  DialogCreating() = this;
  HWND owner = Parent != nullptr ? Parent->GetHandle() : nullptr;
  const LONG_PTR r =
      DialogBoxIndirectParam(Module->GetInstance(), tpl, owner, DialogProc, reinterpret_cast<LPARAM>(this));
  DialogCreating() = saved;
  ClearFlag(wfModal);
  return static_cast<int>(r);
}

bool TDialog::Create() {
  if (HWindow != nullptr) return true;
  const DialogTemplate* tpl = GetTemplate();
  if (tpl == nullptr) return false;
  RegisterChildClasses();
  TDialog* saved = DialogCreating();
  DialogCreating() = this;
  HWND owner = Parent != nullptr ? Parent->GetHandle() : nullptr;
  HWND h = CreateDialogIndirectParam(Module->GetInstance(), tpl, owner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  DialogCreating() = saved;
  return h != nullptr && HWindow == h;
}

LONG_PTR TDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* d = dynamic_cast<TDialog*>(GetWindowPtr(hwnd));
  if (d == nullptr) {
    TDialog* c = DialogCreating();
    if (c == nullptr || c->HWindow != nullptr) return FALSE;
    c->Attach(hwnd, false);
    d = c;
  }
  const LRESULT r = d->ReceiveMessage(msg, wParam, lParam);
  // The object may be gone (the dialog deleted itself).
  auto* still = dynamic_cast<TDialog*>(GetWindowPtr(hwnd));
  const bool defaulted = still == d ? d->LastDefaulted : msg == WM_NCDESTROY;
  if (msg == WM_INITDIALOG) return r;
  if ((msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC)) return defaulted ? 0 : r;
  if (defaulted) return FALSE;
  if (::IsWindow(hwnd)) SetWindowLongPtr(hwnd, DWLP_MSGRESULT, r);
  return TRUE;
}

LRESULT TDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    PerformSetup();
    return TRUE;
  }
  return TWindow::WindowProc(msg, wParam, lParam);
}

LRESULT TDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
  // The dialog's own window procedure does the default after us.
  return 0;
}

void TDialog::SetupWindow() {
  TWindow::SetupWindow();
}

void TDialog::Destroy(int retVal) {
  if (HWindow == nullptr) return;
  if (IsFlagSet(wfModal)) {
    EndDialog(HWindow, retVal);
  } else {
    TWindow::Destroy(retVal);
  }
}

void TDialog::CloseWindow(int retVal) {
  if (!CanClose()) return;
  TransferData(tdGetData);
  Destroy(retVal);
}

void TDialog::CmOk() {
  CloseWindow(IDOK);
}

void TDialog::CmCancel() {
  Destroy(IDCANCEL);
}

void TDialog::EvClose() {
  // Cancel, when the dialog's Cancel button is enabled (the dialog manager's rule).
  DefaultProcessing();
}

bool TDialog::PreProcessMsg(MSG& msg) {
  if (TWindow::PreProcessMsg(msg)) return true;
  return !IsFlagSet(wfModal) && HWindow != nullptr && IsDialogMessage(HWindow, &msg);
}

bool TDialog::IdleAction(long idleCount) {
  const bool more = TWindow::IdleAction(idleCount);
  if (HWindow == nullptr) return more;
  for (HWND c = ::GetWindow(HWindow, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (id == 0 || id == -1 || id == 0xFFFF) continue;
    TEventInfo info(TEventKind::CommandEnable, WM_COMMAND, static_cast<UINT>(id));
    if (!Find(info)) continue;
    TControlEnabler ce(static_cast<UINT>(id), c);
    Dispatch(info, 0, reinterpret_cast<LPARAM>(&ce));
  }
  return more;
}
