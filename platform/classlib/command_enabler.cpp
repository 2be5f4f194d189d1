#include "platform/classlib/command_enabler.h"

void TMenuItemEnabler::Enable(bool enable) {
  TCommandEnabler::Enable(enable);
  EnableMenuItem(Menu, static_cast<UINT>(Position), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void TMenuItemEnabler::SetCheck(int state) {
  TCommandEnabler::SetCheck(state);
  CheckMenuItem(Menu, static_cast<UINT>(Position),
                MF_BYPOSITION | (state == Checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMenuItemEnabler::SetText(const char* text) {
  TCommandEnabler::SetText(text);
  const UINT state = GetMenuState(Menu, static_cast<UINT>(Position), MF_BYPOSITION);
  if (state == 0xFFFFFFFFu) return;
  ModifyMenu(Menu, static_cast<UINT>(Position),
             MF_BYPOSITION | MF_STRING | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)), Id, text);
}

void TControlEnabler::Enable(bool enable) {
  TCommandEnabler::Enable(enable);
  ::EnableWindow(Receiver, enable ? TRUE : FALSE);
}

void TControlEnabler::SetCheck(int state) {
  TCommandEnabler::SetCheck(state);
  SendMessage(Receiver, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void TControlEnabler::SetText(const char* text) {
  TCommandEnabler::SetText(text);
  SetWindowText(Receiver, text);
}
