// Command enablers of menu items and dialog controls.
#pragma once

#include "platform/classlib/event.h"
#include "platform/gui/gui.h"

// A menu item: enabled or greyed, checked or not, its text.
class TMenuItemEnabler : public TCommandEnabler {
 public:
  TMenuItemEnabler(HMENU menu, UINT id, HWND receiver, int position)
      : TCommandEnabler(id, receiver), Menu(menu), Position(position) {}
  void Enable(bool enable = true) override;
  void SetCheck(int state) override;
  void SetText(const char* text) override;

 private:
  HMENU Menu;
  int Position;
};

// A control of a dialog: enabled or disabled, checked (buttons), its text.
class TControlEnabler : public TCommandEnabler {
 public:
  TControlEnabler(UINT id, HWND receiver) : TCommandEnabler(id, receiver) {}
  void Enable(bool enable = true) override;
  void SetCheck(int state) override;
  void SetText(const char* text) override;
};
