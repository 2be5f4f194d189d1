#include "audio/export_io.h"

#include "platform/core/files.h"
#include "platform/core/time.h"

namespace {

ExportIo g_plainIo;
ExportIo* g_io = &g_plainIo;

}  // namespace

ExportIo* SetExportIo(ExportIo* io) {
  ExportIo* before = g_io == &g_plainIo ? nullptr : g_io;
  g_io = io != nullptr ? io : &g_plainIo;
  return before;
}

ExportIo& CurrentExportIo() {
  return *g_io;
}

HMMIO ExportIo::Open(const char* name, DWORD flags) {
  return mmioOpen(name, nullptr, flags);
}

MMRESULT ExportIo::CreateChunk(HMMIO file, MMCKINFO* chunk, UINT flags) {
  return mmioCreateChunk(file, chunk, flags);
}

MMRESULT ExportIo::Ascend(HMMIO file, MMCKINFO* chunk, UINT flags) {
  return mmioAscend(file, chunk, flags);
}

LONG ExportIo::Write(HMMIO file, const void* data, LONG bytes) {
  return mmioWrite(file, data, bytes);
}

LONGLONG ExportIo::Seek(HMMIO file, LONGLONG offset, int origin) {
  return mmioSeek64(file, offset, origin);
}

MMRESULT ExportIo::Close(HMMIO file) {
  return mmioClose(file, 0);
}

bool ExportIo::Delete(const char* name) {
  return mmioOpen(name, nullptr, MMIO_DELETE) != nullptr;
}

// The file system of the file itself (on Windows the root of its drive):
// a path that does not exist yet is asked through its nearest folder.
bool ExportIo::FreeSpace(const char* name, ULONGLONG* bytes) {
  DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpace(name, &sectors, &bytesPerSector, &freeClusters, &totalClusters)) return false;
  *bytes = static_cast<ULONGLONG>(sectors) * bytesPerSector * freeClusters;
  return true;
}

void ExportIo::Today(SYSTEMTIME* date) {
  GetSystemTime(date);
}
