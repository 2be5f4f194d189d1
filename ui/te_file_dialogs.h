// The program's file dialogs on the window system's choosers: the plain
// open and save dialogs, the save dialog of audio exports (which shows the
// export format and changes it with Options), and the FileChooser that runs
// them for AskOpenFile, AskSaveFile, AskSave32Audio and AskOpenClip.
#pragma once

#include <functional>
#include <string>

#include "platform/classlib/common_dialogs.h"
#include "ui/file_dialogs.h"

class TEFileOpenDialog : public TFileOpenDialog {
 public:
  // templateId: a panel of a derived dialog (none for the plain dialog).
  TEFileOpenDialog(TWindow* parent, FileData& data, const char* title = nullptr,
                   TResId templateId = TResId());
};

class TEFileSaveDialog : public TFileSaveDialog {
 public:
  TEFileSaveDialog(TWindow* parent, FileData& data, const char* title = nullptr,
                   TResId templateId = TResId());
};

// The save dialog with the export format beside the chooser.
class TSave32AudioDialog : public TEFileSaveDialog {
 public:
  TSave32AudioDialog(TWindow* parent, FileData& data, const char* title = nullptr);
  void SetupWindow() override;

 protected:
  void CmOptions();
  void ShowFormat();

  DECLARE_RESPONSE_TABLE(TSave32AudioDialog);
};

// The program-wide audio export type, 0 (the project's own sample type) to 7.
int& ExportAudioType();
// The program-wide wide sample type, 4 to 7 (4 until set), of recordings and
// of the settings; the main frame keeps it in the INI file.
int& AdvancedAudioType();

// The text the audio save dialog shows for the export type and the
// project's audio format.
std::string CurrentExportFormatText();

// The "Export Audio Type" choice that Options runs on the export type: true
// when the user confirmed (the type may have changed). The program installs
// it; with none installed Options does nothing.
using ExportTypeChooser = std::function<bool(HWND owner, int* exportType)>;
ExportTypeChooser SetExportTypeChooser(ExportTypeChooser chooser);

// Makes the dialogs above (and the clip open dialog, TClipOpenDialog, with
// its Add target) the file choosers of AskOpenFile, AskSaveFile,
// AskSave32Audio and AskOpenClip.
void InstallFileChooser();
