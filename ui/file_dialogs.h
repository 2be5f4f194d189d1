// The program's file dialogs: remembered records (filter, default extension,
// flags, last name, folder), the seven program-wide records of the media
// kinds, and the operations that run the open and save choosers on them.
#pragma once

#include <string>

#include "platform/core/types.h"
#include "platform/classlib/common_dialogs.h"

// One remembered file-dialog record. InitialDir always points at the
// record's own Directory, also in copies.
struct FileData : public TOpenSaveDialog::TData {
  // filter: entries separated by "|", description and pattern alternating.
  // defExt: without a dot.
  FileData(const char* filter, const char* defExt);
  FileData(const FileData& other);
  FileData& operator=(const FileData& other);

  // The folder of path, without a trailing separator ("" for a bare name).
  void SetDirectory(const char* path);

  char Directory[MAX_PATH] = {};
};

constexpr DWORD kFileDataFlags =
    OFN_SHAREAWARE | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// The seven program-wide records, in the order they are made.
enum MediaFileKind { kClipFiles, kAviFiles, kWaveFiles, kAiffFiles, kRealAudioFiles, kMidiFiles, kMpegFiles };
constexpr int kMediaFileKinds = 7;
FileData& MediaFileData(MediaFileKind kind);

// What a chooser hands back on OK.
struct FileChoice {
  char fileName[MAX_PATH] = {};
  int filterIndex = 0;
};

enum class FileChooserKind { kOpen, kSave, kSave32Audio, kClipOpen };
enum class ChooserResult { kCancel, kOk, kFailed };

// Runs the system's choosers; the window layer installs the real one, tests a
// script. It sees the record as the dialog starts (flags, name, folder,
// filter) and must not change it.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // addTarget: the window the clip dialog's Add button sends to (or null).
  virtual ChooserResult Run(FileChooserKind kind, HWND parent, const FileData& data, const char* title,
                            HWND addTarget, FileChoice& choice) = 0;
};

// Installs chooser (null: none, every dialog cancels); returns the one before.
FileChooser* SetFileChooser(FileChooser* chooser);

// Switches the time-line commands off while the clip dialog is up; the
// time-line installs it (null: nothing to switch).
void SetTimeLineCommandSwitch(void (*enable)(bool enabled));

// Appends the chosen filter's extension to a path whose file name has no
// dot, when it fits.
void AddDefaultExtension(char* path, const std::string& filter, int filterIndex);

// True when the user chose a file; it is then the record's FileName.
bool AskOpenFile(FileData& data, HWND parent, const char* title);
bool AskSaveFile(FileData& data, HWND parent, const char* title);
bool AskSave32Audio(FileData& data, HWND parent, const char* title);
bool AskOpenClip(HWND parent, HWND addTarget);

// Moves the folders of all seven records to path's folder; a filter index of
// 0 or more becomes the clip record's.
void SetFileDialogsDirectory(const char* path, int filterIndex);
void SetClipFilterIndex(int filterIndex);

// The text of the audio export format that the audio save dialog shows.
// exportType 0 means the project's own sample type.
std::string ExportAudioFormatText(int exportType, int projectType, DWORD rate, int channels);
