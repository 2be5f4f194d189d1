#include "ui/te_dialog.h"

#include "resources/resources.h"
#include "ui/shell_services.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(TEDialog, TDialog)
  EV_COMMAND(IDHELP, CmHelp),
END_RESPONSE_TABLE;
// clang-format on

TEDialog::TEDialog(TWindow* parent, int resId) : TDialog(parent, resId, nullptr) {
  RegisterProgramResources();
}

TEDialog::~TEDialog() = default;

void TEDialog::CmHelp() {
  CurrentShellServices().ShowHelpContext(static_cast<uint16_t>(GetResId().Id() & 0xFFFF));
}

bool TEDialog::IdleAction(long idleCount) {
  if (CurrentShellServices().DrawPendingClip()) return false;
  return TDialog::IdleAction(idleCount);
}

void TEDialog::EnableItem(int id, bool enable) {
  HWND item = GetDlgItem(id);
  if (item == nullptr) return;
  if (!enable && ::GetFocus() == item) {
    HWND next = GetNextDlgGroupItem(HWindow, item, FALSE);
    if (next != nullptr && next != item) {
      ::SetFocus(next);
      SendMessage(DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(next)));
    } else {
      ::SetFocus(GetDlgItem(IDOK));
      SendMessage(DM_SETDEFID, IDOK);
    }
  }
  ::EnableWindow(item, enable ? TRUE : FALSE);
}
