// Inside the dialog manager: the state of each dialog window and the focus
// and default-button rules shared by the window procedure and the keyboard
// interface.
#pragma once

#include <memory>

#include "platform/gui/dialog.h"

struct DialogState {
  HFONT font = nullptr;
  bool own_font = false;
  int base_x = 1;  // dialog base units of the font
  int base_y = 1;
  int def_id = 0;  // the default push button's id; 0 when none was set
  HWND saved_focus = nullptr;
  bool modal = false;
  bool owner_disabled = false;
  bool ended = false;
  LONG_PTR result = 0;
};

// The state of a dialog window; null for other windows.
std::shared_ptr<DialogState> DialogStateOf(HWND dialog);
// WM_GETDLGCODE of h for msg (may be null).
LRESULT DialogCode(HWND h, const MSG* msg);
// Moves the focus to target as the keyboard does (an edit's text selected)
// and lets the default button look follow.
void DialogSetFocus(HWND dialog, HWND target);
// The focus is on focus now: a focused push button shows the default look,
// else the default button does; no other button keeps it.
void UpdateDefaultLook(HWND dialog, HWND focus);
// The push button that shows the default look now, or null.
HWND FindDefaultLookButton(HWND dialog);
