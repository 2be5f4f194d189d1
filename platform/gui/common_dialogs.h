// The common dialogs: the file open and save chooser, the colour chooser
// and the font chooser. Each is a real modal dialog of this window system
// (so the modal hook of tests answers it like any other dialog).
//
// File chooser. The filter is pairs of description and pattern, each ended
// by '\0', the list ended by an empty entry ("Wave files\0*.wav\0\0");
// patterns may hold several masks separated by ";". nFilterIndex counts
// from 1 (0 takes the first pair) and comes back as the user left it.
// lpstrFile holds the starting name and receives the chosen path (a Linux
// path, at most nMaxFile - 1 characters). lpstrInitialDir is where the
// chooser opens; without it, the folder of the starting name, else the
// working folder.
//
// The extension panel: with OFN_ENABLETEMPLATE, the dialog resource named by
// lpTemplateName becomes a child panel of the chooser. An item with id
// kChooserPlaceholder (1119) in it marks where the chooser's own controls
// go: the panel grows by what they need beyond the placeholder, and items
// right of or below it move along. Without a placeholder the panel goes
// below the chooser's controls. With OFN_ENABLEHOOK, lpfnHook is the panel's
// dialog procedure (with no template the panel is empty and unseen). The
// panel gets WM_INITDIALOG with lParam pointing at the OPENFILENAME, and
// WM_NOTIFY with an OFNOTIFY for the chooser's notifications (CDN_...). The
// panel asks the chooser (its parent) with the CDM_... messages.
#pragma once

#include "platform/gui/controls/common.h"
#include "platform/gui/gdi_types.h"
#include "platform/gui/user_types.h"

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
// Refuses an existing file that has no write permission at all, or that
// this process may not write.
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// The panel's dialog procedure; its result is the dialog procedure's.
using LPOFNHOOKPROC = UINT_PTR (*)(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam);

struct OPENFILENAME {
  DWORD lStructSize = sizeof(OPENFILENAME);
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  LPCSTR lpstrFilter = nullptr;
  LPSTR lpstrCustomFilter = nullptr;  // not used
  DWORD nMaxCustFilter = 0;
  DWORD nFilterIndex = 0;
  LPSTR lpstrFile = nullptr;
  DWORD nMaxFile = 0;
  LPSTR lpstrFileTitle = nullptr;  // receives the file name alone when set
  DWORD nMaxFileTitle = 0;
  LPCSTR lpstrInitialDir = nullptr;
  LPCSTR lpstrTitle = nullptr;  // null: "Open" or "Save As"
  DWORD Flags = 0;
  WORD nFileOffset = 0;          // out: where the file name begins in lpstrFile
  WORD nFileExtension = 0;       // out: where its extension begins (0: none)
  LPCSTR lpstrDefExt = nullptr;  // added (with a dot) to a typed name without one
  LPARAM lCustData = 0;
  LPOFNHOOKPROC lpfnHook = nullptr;
  LPCSTR lpTemplateName = nullptr;  // MAKEINTRESOURCE of a dialog resource
};
using OPENFILENAMEA = OPENFILENAME;
using LPOPENFILENAME = OPENFILENAME*;

// True when the user chose a file with OK; false on Cancel or an error
// (CommDlgExtendedError tells which).
BOOL GetOpenFileName(OPENFILENAME* ofn);
BOOL GetSaveFileName(OPENFILENAME* ofn);
#define GetOpenFileNameA GetOpenFileName
#define GetSaveFileNameA GetSaveFileName

// The error of the last common dialog run on this thread; 0 after OK or
// Cancel.
DWORD CommDlgExtendedError();
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_FINDRESFAILURE = 0x0006;
constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;

// Notifications to the panel (WM_NOTIFY, lParam an OFNOTIFY).
constexpr UINT CDN_FIRST = 0U - 601U;
constexpr UINT CDN_INITDONE = CDN_FIRST - 0;
// The list selection changed, to a file or a folder; CDM_GETFILEPATH gives
// the selected item's path meanwhile.
constexpr UINT CDN_SELCHANGE = CDN_FIRST - 1;
constexpr UINT CDN_FOLDERCHANGE = CDN_FIRST - 2;  // another folder is shown
constexpr UINT CDN_HELP = CDN_FIRST - 4;
// The user pressed OK on a valid name. The panel refuses it (the chooser
// stays) by setting DWLP_MSGRESULT to nonzero and returning TRUE.
constexpr UINT CDN_FILEOK = CDN_FIRST - 5;
constexpr UINT CDN_TYPECHANGE = CDN_FIRST - 6;  // another filter was chosen

struct OFNOTIFY {
  NMHDR hdr;  // hwndFrom: the chooser
  OPENFILENAME* lpOFN = nullptr;
  LPSTR pszFile = nullptr;
};
using LPOFNOTIFY = OFNOTIFY*;

// Questions the panel sends the chooser. wParam is the buffer size, lParam
// the buffer; the result is the size the whole text needs with its
// terminator (the text is cut to fit), or a negative number on failure.
constexpr UINT CDM_FIRST = WM_USER + 100;
constexpr UINT CDM_GETSPEC = CDM_FIRST + 0;        // the file name in the name box
constexpr UINT CDM_GETFILEPATH = CDM_FIRST + 1;    // the full path of the chosen or selected file
constexpr UINT CDM_GETFOLDERPATH = CDM_FIRST + 2;  // the folder shown
// Sets an item's text (wParam the item id, lParam the text).
constexpr UINT CDM_SETCONTROLTEXT = CDM_FIRST + 4;
// Hides an item (wParam the item id).
constexpr UINT CDM_HIDECONTROL = CDM_FIRST + 5;

// The chooser's own items (tests and panels may speak to them).
constexpr int kChooserPlaceholder = 1119;  // marks the chooser's place in a panel
constexpr int kChooserFileList = 1120;     // list box: folders, then the matching files
constexpr int kChooserFolderCombo = 1137;  // combo box: the shown folder and its parents
constexpr int kChooserFilterCombo = 1136;  // combo box: the filter descriptions
constexpr int kChooserFileName = 1152;     // edit: the file name (or a path)
constexpr int kChooserUpButton = 1153;     // push button: the parent folder
constexpr int kChooserReadOnly = 1040;     // check box, hidden with OFN_HIDEREADONLY

// Colour chooser: 48 basic colours, 16 custom ones kept by the caller, and
// (unless CC_PREVENTFULLOPEN) an editor of red, green and blue values.
constexpr DWORD CC_RGBINIT = 0x00000001;   // start on rgbResult
constexpr DWORD CC_FULLOPEN = 0x00000002;  // show the editor from the start
constexpr DWORD CC_PREVENTFULLOPEN = 0x00000004;
constexpr DWORD CC_SOLIDCOLOR = 0x00000080;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

struct CHOOSECOLOR {
  DWORD lStructSize = sizeof(CHOOSECOLOR);
  HWND hwndOwner = nullptr;
  HWND hInstance = nullptr;
  COLORREF rgbResult = 0;
  // 16 colours, read and written back on OK (null: they start white and are
  // not kept).
  COLORREF* lpCustColors = nullptr;
  DWORD Flags = 0;
  LPARAM lCustData = 0;
};
using CHOOSECOLORA = CHOOSECOLOR;
// True with rgbResult (and the custom colours) set when the user pressed OK;
// false on Cancel (nothing written) or an error (CommDlgExtendedError).
BOOL ChooseColor(CHOOSECOLOR* cc);
#define ChooseColorA ChooseColor

// The colour chooser's items. The two cell grids take the focus, select a
// cell by mouse or by the arrow keys, and tell the chooser with WM_COMMAND.
constexpr int kColourBasicCells = 1720;   // 8 columns by 6 rows, left to right, then down
constexpr int kColourCustomCells = 1721;  // 8 columns by 2 rows
constexpr int kColourDefine = 1722;       // push button "Define Custom Colors >>"
constexpr int kColourSpectrum = 1723;     // hue across, saturation up, at middle lightness
constexpr int kColourSwatch = 1724;       // the colour chosen so far
constexpr int kColourRed = 1725;          // edits, 0 to 255
constexpr int kColourGreen = 1726;
constexpr int kColourBlue = 1727;
constexpr int kColourAdd = 1728;  // push button "Add to Custom Colors"

// Font chooser: the faces this window system can draw ("Arial", "Courier
// New", "DejaVu Sans", "DejaVu Sans Mono", "MS Sans Serif"), their styles
// and sizes (in points, on the screen's LOGPIXELSY). A typed size outside
// nSizeMin..nSizeMax (with CF_LIMITSIZE) is refused with a message when OK
// is pressed.
constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_PRINTERFONTS = 0x00000002;
constexpr DWORD CF_BOTH = CF_SCREENFONTS | CF_PRINTERFONTS;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;  // start on *lpLogFont
constexpr DWORD CF_USESTYLE = 0x00000080;
constexpr DWORD CF_EFFECTS = 0x00000100;    // underline, strike-out, colour
constexpr DWORD CF_LIMITSIZE = 0x00002000;  // sizes nSizeMin..nSizeMax only
constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
constexpr WORD BOLD_FONTTYPE = 0x0100;
constexpr WORD ITALIC_FONTTYPE = 0x0200;
constexpr WORD REGULAR_FONTTYPE = 0x0400;
constexpr WORD SCREEN_FONTTYPE = 0x2000;

struct CHOOSEFONT {
  DWORD lStructSize = sizeof(CHOOSEFONT);
  HWND hwndOwner = nullptr;
  HDC hDC = nullptr;
  LOGFONT* lpLogFont = nullptr;  // in with CF_INITTOLOGFONTSTRUCT; out on OK
  INT iPointSize = 0;            // out: tenths of a point
  DWORD Flags = 0;
  COLORREF rgbColors = 0;  // with CF_EFFECTS
  LPARAM lCustData = 0;
  HINSTANCE hInstance = nullptr;
  LPSTR lpszStyle = nullptr;
  WORD nFontType = 0;
  INT nSizeMin = 0;
  INT nSizeMax = 0;
};
using CHOOSEFONTA = CHOOSEFONT;
// True when the user pressed OK: *lpLogFont holds the chosen font (its
// height the negative pixel size on the screen), iPointSize, nFontType and
// (with CF_EFFECTS) rgbColors are set. False on Cancel (nothing written) or
// an error (CommDlgExtendedError).
BOOL ChooseFont(CHOOSEFONT* cf);
#define ChooseFontA ChooseFont

// The font chooser's items.
constexpr int kFontFaceName = 1730;   // read-only edit: the chosen face
constexpr int kFontFaceList = 1731;   // list box: the faces
constexpr int kFontStyleName = 1732;  // read-only edit: the chosen style
constexpr int kFontStyleList = 1733;  // list box: Regular, Italic, Bold, Bold Italic
constexpr int kFontSizeEdit = 1734;   // edit: the size in points (typed or chosen)
constexpr int kFontSizeList = 1735;   // list box: the offered sizes
constexpr int kFontStrikeOut = 1736;  // check boxes and colour list, with CF_EFFECTS only
constexpr int kFontUnderline = 1737;
constexpr int kFontColour = 1738;  // drop-down list of named colours
constexpr int kFontSample = 1739;  // sample text drawn in the chosen font
