// Dialog boxes: templates in dialog units, modal and modeless dialogs, the
// dialog window procedure, keyboard navigation (tab order, groups, the
// default push button, mnemonics) and the dialog item helpers.
//
// A template is C++ data: the dialog's style, place and size in dialog units
// (a horizontal unit is a quarter of the dialog font's average character
// width, a vertical one an eighth of its height), caption, font and items.
// Items are created in template order, which is their tab order; each item
// is a window of the named class (the standard controls or any registered
// class) and is spoken to only through window messages.
//
// Modal dialogs (DialogBox...) run their own message loop: the owner is
// disabled meanwhile, WM_ENTERIDLE goes to the owner (to the dialog itself
// when it has none) whenever the queue is empty, with the idle count in the
// high word of wParam, and a nonzero answer asks for another idle call. A
// test's modal hook (modal.h) answers them; nobody answering, a modal dialog
// is cancelled as Esc would (IDCANCEL).
#pragma once

#include <string>
#include <vector>

#include "platform/gui/user_types.h"

using DLGPROC = LONG_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_LOCALEDIT = 0x0020;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_NOIDLEMSG = 0x0100;
constexpr DWORD DS_SETFOREGROUND = 0x0200;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_CENTERMOUSE = 0x1000;
constexpr DWORD DS_CONTEXTHELP = 0x2000;

// Dialog messages.
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr UINT DM_REPOSITION = WM_USER + 2;
constexpr WORD DC_HASDEFID = 0x534B;

// Dialog window longs.
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = sizeof(LONG_PTR);
constexpr int DWLP_USER = 2 * sizeof(LONG_PTR);
constexpr int DWL_MSGRESULT = DWLP_MSGRESULT;
constexpr int DWL_DLGPROC = DWLP_DLGPROC;
constexpr int DWL_USER = DWLP_USER;
constexpr int DLGWINDOWEXTRA = 3 * sizeof(LONG_PTR);

// Sources of WM_ENTERIDLE.
constexpr WPARAM MSGF_DIALOGBOX = 0;
constexpr WPARAM MSGF_MENU = 2;

// The class of dialog windows.
#define WC_DIALOG "#32770"

// One item of a template. className names a window class ("BUTTON",
// "STATIC", "EDIT" ... or a registered one); text may be MAKEINTRESOURCE(n)
// for items that show a resource (icon statics).
struct DialogItemTemplate {
  const char* className = "";
  LPCSTR text = "";
  int id = 0;
  DWORD style = 0;  // WS_CHILD is added; WS_VISIBLE as given
  DWORD exStyle = 0;
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
};

struct DialogTemplate {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  DWORD exStyle = 0;
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
  std::string caption;
  std::string font = "MS Sans Serif";  // used with DS_SETFONT
  int pointSize = 8;
  std::string className;  // empty: WC_DIALOG
  int menu = 0;           // menu resource number, 0 for none
  std::vector<DialogItemTemplate> items;
};

// Creation. The name forms take a dialog resource (MAKEINTRESOURCE of its
// number, resource.h); the instance is not looked at.
HWND CreateDialogIndirectParam(HINSTANCE instance, const DialogTemplate* tpl, HWND parent, DLGPROC proc,
                               LPARAM param);
HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param);
inline HWND CreateDialog(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc) {
  return CreateDialogParam(instance, name, parent, proc, 0);
}
// -1 when the dialog cannot be created, else the EndDialog result.
LONG_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate* tpl, HWND parent, DLGPROC proc,
                                LPARAM param);
LONG_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param);
inline LONG_PTR DialogBox(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc) {
  return DialogBoxParam(instance, name, parent, proc, 0);
}
#define CreateDialogParamA CreateDialogParam
#define CreateDialogIndirectParamA CreateDialogIndirectParam
#define DialogBoxParamA DialogBoxParam
#define DialogBoxIndirectParamA DialogBoxIndirectParam

// Ends a modal dialog with result (the dialog is hidden at once and
// destroyed when its loop returns).
BOOL EndDialog(HWND dialog, LONG_PTR result);
// The window procedure of WC_DIALOG: calls the dialog procedure first.
LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
#define DefDlgProcA DefDlgProc

// The dialog's keyboard handling for msg: navigation keys, Enter, Esc and
// mnemonics; every other message for the dialog or its items is translated
// and dispatched. False when msg is not for this dialog.
BOOL IsDialogMessage(HWND dialog, const MSG* msg);
#define IsDialogMessageA IsDialogMessage
// Tab and Shift+Tab in a top-level window with WS_EX_CONTROLPARENT that is
// no dialog (a component's own settings window): the focus moves to its
// next or previous tab stop. True when it took the message.
bool IsControlParentMessage(const MSG* msg);

// The next (or previous) enabled visible item with WS_TABSTOP after ctl,
// wrapping; ctl null starts at the first. Items of WS_EX_CONTROLPARENT
// children (pages) take part.
HWND GetNextDlgTabItem(HWND dialog, HWND ctl, BOOL previous);
// The next (or previous) enabled visible item of ctl's group (a group starts
// at an item with WS_GROUP and runs to the next one), wrapping within it.
HWND GetNextDlgGroupItem(HWND dialog, HWND ctl, BOOL previous);

// Dialog units to pixels of the dialog's font.
BOOL MapDialogRect(HWND dialog, LPRECT rect);
// Base units of the system's dialog font: width in the low word, height in the high.
LONG GetDialogBaseUnits();

// Items.
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// translated (may be null) receives whether the text was a whole number in range.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks the button check and clears the other buttons with ids first to last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
