#include "media/ta_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "model/message_box.h"
#include "platform/core/errors.h"
#include "platform/core/files.h"

TAFile::TAFile() { Close(); }

TAFile::~TAFile() {
  Close();
  delete[] name;
}

bool TAFile::Open(const char* fileName, DWORD mode, const char* action) {
  Close();
  if (fileName == nullptr) fileName = "";
  if (name == nullptr || std::strcmp(name, fileName) != 0) {
    char* copy = new char[std::strlen(fileName) + 1];
    std::strcpy(copy, fileName);
    delete[] name;
    name = copy;
  }
  flags = mode;
  if ((flags & kTAFileCreate) != 0 && (flags & kTAFileNoOverwriteAsk) == 0 &&
      GetFileAttributes(name) != INVALID_FILE_ATTRIBUTES) {
    if (ShowMessage(nullptr, "Overwrite existing file ?", MB_YESNO | MB_ICONQUESTION, "%s", name) != IDYES) {
      // Nothing was opened: a later Close must not delete the file kept.
      flags = 0;
      return false;
    }
  }
  if (DoOpen()) {
    open = 1;
    return true;
  }
  return ShowError(action != nullptr ? action : "open");
}

void TAFile::Close() {
  const bool wasOpen = open != 0;
  if (wasOpen) DoClose();
  open = 0;
  position = 0;
  size = 0;
  transferCount = 0;
  transferBuffer = nullptr;
  // Only a file this wrapper had open is deleted: a failed open must not
  // remove somebody else's file.
  if (wasOpen && name != nullptr && (flags & kTAFileDeleteOnClose) != 0) DeleteFile(name);
  flags = 0;
}

bool TAFile::Seek(std::int64_t newPosition) {
  if (!open) return false;
  position = newPosition;
  if (!DoSeek()) ShowError("seek", {{"Position ", position}, {", FileSize ", size}});
  return open != 0;
}

bool TAFile::SetEnd() {
  if (!open) return false;
  size = position;
  if (!DoSetEnd()) ShowError("set end of file", {{"Size ", size}});
  return open != 0;
}

bool TAFile::Read(void* buffer, DWORD count) {
  if (!open) return false;
  if (count == 0) return true;
  transferCount = count;
  transferBuffer = buffer;
  const bool ok = DoRead();
  const DWORD moved = std::min(transferCount, count);
  if (!ok || moved < count) {
    const std::int64_t at = position;
    ShowError("read", {{"Position ", at},
                       {", FileSize ", size},
                       {",\nReadSize ", count},
                       {", Actual read ", moved},
                       {", New position ", at + moved}});
  }
  position += moved;
  return open != 0;
}

bool TAFile::Write(const void* buffer, DWORD count) {
  if (!open) return false;
  if (count == 0) return true;
  transferCount = count;
  transferBuffer = const_cast<void*>(buffer);
  const bool ok = DoWrite();
  const DWORD moved = std::min(transferCount, count);
  if (!ok || moved < count) {
    const std::int64_t at = position;
    ShowError("write", {{"Position ", at},
                        {", FileSize ", size},
                        {",\nWriteSize ", count},
                        {", Actual write ", moved},
                        {", New position ", at + moved}});
  }
  position += moved;
  size = std::max(size, position);
  return open != 0;
}

bool TAFile::ShowError(const char* action, std::initializer_list<ErrorPair> pairs) {
  if ((flags & kTAFileSilent) == 0) {
    char system[256];
    const char* errorText = ErrorText(system, sizeof system);
    std::string text = name != nullptr ? name : "";
    text += "\nFailed to ";
    text += action != nullptr ? action : "";
    text += "\n";
    int shown = 0;
    for (const ErrorPair& p : pairs) {
      if (shown++ == 5) break;
      if (p.label == nullptr) continue;
      text += p.label;
      text += std::to_string(p.value);
    }
    text += "\n";
    if (errorText != nullptr) text += std::string(errorText).substr(0, 80);
    const std::string caption = std::string(ClassName()) + " error";
    ShowMessageText(nullptr, caption.c_str(), MB_ICONEXCLAMATION, text);
  }
  Close();
  return false;
}

bool TAFile::DoOpen() { return false; }
void TAFile::DoClose() {}
bool TAFile::DoSeek() { return false; }
bool TAFile::DoSetEnd() { return false; }
bool TAFile::DoRead() { return false; }
bool TAFile::DoWrite() { return false; }
const char* TAFile::ErrorText(char*, DWORD) { return nullptr; }
const char* TAFile::ClassName() { return "TAFile"; }

// ------------------------------------------------------------------ APIFile

APIFile::~APIFile() {
  // The base destructor can no longer reach DoClose of this class.
  Close();
}

bool APIFile::DoOpen() {
  const DWORD access = (flags & kTAFileReadWrite) != 0 ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
  const DWORD disposition = (flags & kTAFileCreate) != 0 ? CREATE_ALWAYS : OPEN_EXISTING;
  const DWORD attributes = (flags & kTAFileWriteThrough) != 0
                               ? (FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING)
                               : FILE_FLAG_SEQUENTIAL_SCAN;
  HANDLE h = CreateFile(name, access, 0, nullptr, disposition, attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
  if ((flags & (kTAFileNoSize | kTAFileCreate)) == 0) {
    DWORD high = 0;
    const DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
      ::CloseHandle(h);
      return false;
    }
    size = (static_cast<std::int64_t>(high) << 32) | low;
  }
  handle = h;
  return true;
}

void APIFile::DoClose() {
  if (handle != nullptr) ::CloseHandle(handle);
  handle = nullptr;
}

bool APIFile::DoSeek() {
  LONG high = static_cast<LONG>(position >> 32);
  const DWORD low = SetFilePointer(handle, static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool APIFile::DoSetEnd() { return SetEndOfFile(handle) != 0; }

bool APIFile::DoRead() {
  DWORD moved = 0;
  const bool ok = ReadFile(handle, transferBuffer, transferCount, &moved, nullptr) != 0;
  transferCount = moved;
  return ok;
}

bool APIFile::DoWrite() {
  DWORD moved = 0;
  const bool ok = WriteFile(handle, transferBuffer, transferCount, &moved, nullptr) != 0;
  transferCount = moved;
  return ok;
}

const char* APIFile::ErrorText(char* buffer, DWORD bufferSize) {
  const DWORD code = GetLastError();
  if (FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                    bufferSize, nullptr) == 0)
    return nullptr;
  return buffer;
}

const char* APIFile::ClassName() { return "APIFile"; }
