// What the engine's file writers (the WAVE and AIFF exports and the play
// file) ask of their surroundings: the progress window with its Cancel
// button, and the files, the free space and the date. The dialog layer
// installs the real progress window; tests install their own of both.
#pragma once

#include "platform/core/datetime.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

// The progress window of a long export: opened with a title, a text and the
// number of steps, told the steps done; it answers false once the user has
// pressed Cancel. Without a window nothing shows and nothing cancels.
class ExportProgress {
 public:
  virtual ~ExportProgress() = default;
  virtual void Open(HWND parent, const char* title, const char* text, LONGLONG steps) {}
  virtual bool SetProgress(LONGLONG done) { return true; }
  virtual void Close() {}
};

// Installs progress (null: none); returns the one before.
ExportProgress* SetExportProgress(ExportProgress* progress);
ExportProgress& CurrentExportProgress();

// The files through the multimedia file functions, the free space of the
// file system a file goes to, and today's date.
class ExportIo {
 public:
  virtual ~ExportIo() = default;
  virtual HMMIO Open(const char* name, DWORD flags);
  virtual MMRESULT CreateChunk(HMMIO file, MMCKINFO* chunk, UINT flags);
  virtual MMRESULT Ascend(HMMIO file, MMCKINFO* chunk, UINT flags);
  virtual LONG Write(HMMIO file, const void* data, LONG bytes);
  virtual LONGLONG Seek(HMMIO file, LONGLONG offset, int origin);
  virtual MMRESULT Close(HMMIO file);
  virtual bool Delete(const char* name);
  // Bytes free where name is or would be written; false when the system
  // cannot tell.
  virtual bool FreeSpace(const char* name, ULONGLONG* bytes);
  // The date of an export, in UTC.
  virtual void Today(SYSTEMTIME* date);
};

// Installs io (null: the plain one); returns the one before.
ExportIo* SetExportIo(ExportIo* io);
ExportIo& CurrentExportIo();
