// What the engine's file writers (the WAVE and AIFF exports and the play
// file) ask of their surroundings besides the progress dialog
// (media/progress_hooks.h): the files, the free space and the date. Tests
// install their own to make a chosen step fail.
#pragma once

#include "platform/core/datetime.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

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
