// The class library's common dialogs: the file open and save dialogs, the
// colour dialog and the font dialog. Each runs the window system's chooser
// on a data record (Execute gives IDOK or IDCANCEL; on an error IDCANCEL
// with the record's Error set).
//
// The file dialogs always hook the chooser: the dialog object is bound to
// the chooser's extension panel (made from the template resource when one is
// given, else an empty one), so a derived dialog lists the panel's commands
// in its response table, sets it up in SetupWindow, and sees the chooser's
// notifications in DialogFunction. GetParent of the panel is the chooser.
#pragma once

#include <string>

#include "platform/classlib/dialog.h"

class TCommonDialog : public TDialog {
 public:
  TCommonDialog(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
  // Common dialogs are modal only.
  bool Create() override { return false; }

 protected:
  std::string CdTitle;
  bool HasTitle = false;
};

class TOpenSaveDialog : public TCommonDialog {
 public:
  // The record a file dialog runs on and fills.
  class TData {
   public:
    // filter: description and pattern pairs separated by "|" (turned into the
    // chooser's own form when it runs); defExt without a dot.
    TData(DWORD flags = 0, const char* filter = nullptr, const char* initialDir = nullptr,
          const char* defExt = nullptr, int filterIndex = 0);
    virtual ~TData() = default;
    TData(const TData&) = default;
    TData& operator=(const TData&) = default;

    DWORD Flags;
    DWORD Error = 0;              // the chooser's error after a failed run, else 0
    char FileName[MAX_PATH] = {};  // in: the starting name; out: the chosen path
    std::string Filter;
    int FilterIndex;              // from 1; 0 takes the first pair
    const char* InitialDir;       // may be null
    std::string DefExt;
    int MaxPath = MAX_PATH;
  };

  TOpenSaveDialog(TWindow* parent, TData& data, TResId templateId = TResId(), const char* title = nullptr,
                  TModule* module = nullptr);

  int Execute() override;

  // The chooser's questions (CDM_GETFILEPATH, CDM_GETFOLDERPATH,
  // CDM_GETSPEC): the size needed with the terminator, or negative.
  int GetFilePath(char* buffer, int size);
  int GetFolderPath(char* buffer, int size);
  int GetSpec(char* buffer, int size);
  // The chooser window (the panel's parent); null when it is not running.
  HWND GetChooser() const;

  TData& GetData() { return Data; }

 protected:
  // Runs the chooser on ofn: GetOpenFileName or GetSaveFileName.
  virtual BOOL RunChooser(OPENFILENAME& ofn) = 0;
  // The message hook: sees every message of the panel before the response
  // table; true when it took the message (for WM_NOTIFY of CDN_FILEOK, set
  // DWLP_MSGRESULT to refuse the file).
  virtual bool DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  TData& Data;
  TResId TemplateId;
};

class TFileOpenDialog : public TOpenSaveDialog {
 public:
  using TOpenSaveDialog::TOpenSaveDialog;

 protected:
  BOOL RunChooser(OPENFILENAME& ofn) override;
};

class TFileSaveDialog : public TOpenSaveDialog {
 public:
  using TOpenSaveDialog::TOpenSaveDialog;

 protected:
  BOOL RunChooser(OPENFILENAME& ofn) override;
};

class TChooseColorDialog : public TCommonDialog {
 public:
  class TData {
   public:
    TData(DWORD flags = 0, COLORREF color = 0, COLORREF* custColors = nullptr)
        : Flags(flags), Color(color), CustColors(custColors) {}
    DWORD Flags;
    DWORD Error = 0;
    COLORREF Color;          // in with CC_RGBINIT; out on OK
    COLORREF* CustColors;    // 16 colours, kept by the caller
  };

  TChooseColorDialog(TWindow* parent, TData& data, const char* title = nullptr, TModule* module = nullptr);
  int Execute() override;

 protected:
  TData& Data;
};

class TChooseFontDialog : public TCommonDialog {
 public:
  class TData {
   public:
    explicit TData(DWORD flags = 0) : Flags(flags) {}
    DWORD Flags;
    DWORD Error = 0;
    HDC DC = nullptr;
    LOGFONT LogFont;       // in with CF_INITTOLOGFONTSTRUCT; out on OK
    int PointSize = 0;     // out: tenths of a point
    COLORREF Color = 0;    // with CF_EFFECTS
    WORD FontType = 0;     // out
    int SizeMin = 0;       // with CF_LIMITSIZE
    int SizeMax = 0;
  };

  TChooseFontDialog(TWindow* parent, TData& data, const char* title = nullptr, TModule* module = nullptr);
  int Execute() override;

 protected:
  TData& Data;
};
