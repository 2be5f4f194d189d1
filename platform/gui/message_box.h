// Message boxes: a modal window owned by the owner's top-level window, with
// an icon, the text (a static control with id kMessageBoxTextId) and the
// buttons of the box type (push buttons with the IDOK ... IDNO ids). The
// owner is disabled while the box is up. Enter presses the focused (at
// first the default) button, Esc and the close box answer IDCANCEL when the
// box has a Cancel button (IDOK for an OK box), Tab and the arrows move
// between the buttons, a button's underlined letter presses it. Answered
// by a test hook, or where nobody can answer (modal.h) with IDNO for Yes/No,
// IDCANCEL when there is a Cancel button, IDABORT for Abort/Retry/Ignore and
// IDOK for an OK box.
#pragma once

#include "platform/gui/mb.h"
#include "platform/gui/user_types.h"

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 20;
#define WC_MESSAGEBOX "KobrixMessageBox"

int MessageBoxEx(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD language);
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
#define MessageBoxA MessageBox
#define MessageBoxExA MessageBoxEx

// The MB_* flags of a message box window (for hooks that answer boxes); 0
// for any other window.
UINT GetMessageBoxFlags(HWND box);
