// The dialog templates.
#include "platform/gui/gui.h"
#include "resources/resource_ids.h"

namespace {

// The progress dialog: a line of text, the bar in a sunken frame, Cancel.
DialogTemplate Termometer() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.cx = 157;
  t.cy = 60;
  t.caption = "Termometer";
  t.font = "MS Sans Serif";
  t.pointSize = 8;
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_STATIC, "File Name", kTermometerText, v | SS_CENTER, 0, 10, 9, 137, 10},
      {WC_STATIC, "", -1, v | WS_BORDER, WS_EX_STATICEDGE, 10, 20, 137, 12},
      {"TTermometer", "", kTermometerBar, v, 0, 11, 21, 135, 10},
      {WC_BUTTON, "Cancel", IDCANCEL, v | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 54, 41, 50, 14},
      {WC_STATIC, "", -1, v | SS_ETCHEDFRAME, 0, 7, 6, 143, 29},
  };
  return t;
}

// A missing media file: the question and its four answers.
DialogTemplate AskFile() {
  DialogTemplate t;
  t.cx = 258;
  t.cy = 76;
  const DWORD v = WS_VISIBLE;
  const DWORD b = v | WS_TABSTOP;
  t.items = {
      {WC_STATIC, "", kQuestionText, v | SS_LEFT | SS_NOPREFIX, 0, 7, 7, 244, 42},
      {WC_BUTTON, "&Browse", IDOK, b | BS_DEFPUSHBUTTON | WS_GROUP, 0, 7, 55, 55, 14},
      {WC_BUTTON, "&Skip", kIdSkip, b | BS_PUSHBUTTON, 0, 70, 55, 55, 14},
      {WC_BUTTON, "Skip &All", kIdSkipAll, b | BS_PUSHBUTTON, 0, 133, 55, 55, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, b | BS_PUSHBUTTON, 0, 196, 55, 55, 14},
  };
  return t;
}

// A missing media file with files of the same name to choose from.
DialogTemplate SelectFile() {
  DialogTemplate t;
  t.cx = 258;
  t.cy = 134;
  const DWORD v = WS_VISIBLE;
  const DWORD b = v | WS_TABSTOP;
  t.items = {
      {WC_STATIC, "Following file(s) has the same name, choose one or browse another:", -1, v | SS_LEFT, 0, 7,
       7, 244, 9},
      {WC_LISTBOX, "", kCandidateList,
       b | WS_GROUP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 7, 18, 244,
       56},
      {WC_STATIC, "", kQuestionText, v | SS_LEFT | SS_NOPREFIX, 0, 7, 80, 244, 27},
      {WC_BUTTON, "OK", IDOK, b | BS_DEFPUSHBUTTON | WS_GROUP, 0, 7, 113, 44, 14},
      {WC_BUTTON, "&Browse", kIdBrowseInList, b | BS_PUSHBUTTON, 0, 57, 113, 44, 14},
      {WC_BUTTON, "&Skip", kIdSkip, b | BS_PUSHBUTTON, 0, 107, 113, 44, 14},
      {WC_BUTTON, "Skip &All", kIdSkipAll, b | BS_PUSHBUTTON, 0, 157, 113, 44, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, b | BS_PUSHBUTTON, 0, 207, 113, 44, 14},
  };
  return t;
}

// A clip that is already in the collection is added again.
DialogTemplate AskAddClip() {
  DialogTemplate t;
  t.cx = 220;
  t.cy = 66;
  t.caption = "Add Clip";
  const DWORD v = WS_VISIBLE;
  const DWORD b = v | WS_TABSTOP;
  t.items = {
      {WC_STATIC, "", kQuestionText, v | SS_LEFT | SS_NOPREFIX, 0, 7, 7, 206, 32},
      {WC_BUTTON, "&Yes", IDOK, b | BS_DEFPUSHBUTTON | WS_GROUP, 0, 7, 45, 48, 14},
      {WC_BUTTON, "&No", IDCANCEL, b | BS_PUSHBUTTON, 0, 60, 45, 48, 14},
      {WC_BUTTON, "&Add all", kIdAddAll, b | BS_PUSHBUTTON, 0, 113, 45, 48, 14},
      {WC_BUTTON, "&Skip all", kIdSkipAll, b | BS_PUSHBUTTON, 0, 166, 45, 48, 14},
  };
  return t;
}

// The panel the audio export adds to the save chooser: the chooser's own
// controls at the placeholder, the export format and Options to their right.
DialogTemplate Save32AudioPanel() {
  DialogTemplate t;
  t.style = WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | DS_3DLOOK | DS_SETFONT;
  t.cx = 120;
  t.cy = 90;
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_STATIC, "", kChooserPlaceholder, 0, 0, 0, 0, 4, 90},
      {WC_STATIC, "", kExportFormatText, v | SS_LEFT | SS_NOPREFIX, 0, 10, 0, 104, 64},
      {WC_BUTTON, "Options", kExportOptions, v | WS_TABSTOP | BS_PUSHBUTTON, 0, 10, 68, 50, 14},
  };
  return t;
}

}  // namespace

void RegisterDialogResources() {
  RegisterDialogResource(kTermometerDialog, Termometer());
  RegisterDialogResource(kAskFileDialog, AskFile());
  RegisterDialogResource(kSelectFileDialog, SelectFile());
  RegisterDialogResource(kAskAddClipDialog, AskAddClip());
  RegisterDialogResource(kSave32AudioPanel, Save32AudioPanel());
}
