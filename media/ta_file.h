// TAFile: a file whose every operation checks its result. A failed open,
// seek, truncation, read or write, and a read or write that moved fewer bytes
// than asked, shows one error box naming the file, the operation, the
// positions and sizes and the system's error text, and then closes the file;
// callers test one boolean. APIFile does the operations on the platform's
// file functions; the serial port derives from it, hence the virtual
// primitives.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/core/types.h"

// Mode bits of TAFile::Open.
constexpr DWORD kTAFileSilent = 0x1;          // failures show no box
constexpr DWORD kTAFileNoOverwriteAsk = 0x2;  // with kTAFileCreate: replace without asking
constexpr DWORD kTAFileWriteThrough = 0x4;    // no system buffering (else sequential-scan hint)
constexpr DWORD kTAFileDeleteOnClose = 0x8;
constexpr DWORD kTAFileNoSize = 0x10;         // do not read the size at open
constexpr DWORD kTAFileReadWrite = 0x200;     // else reading only
constexpr DWORD kTAFileCreate = 0x400;        // create, replacing an existing file

class TAFile {
 public:
  struct ErrorPair {
    const char* label;
    std::int64_t value;
  };

  TAFile();
  virtual ~TAFile();
  TAFile(const TAFile&) = delete;
  TAFile& operator=(const TAFile&) = delete;

  // action names the operation in the box of a failed open.
  bool Open(const char* fileName, DWORD mode, const char* action);
  void Close();
  bool Seek(std::int64_t newPosition);
  bool SetEnd();
  bool Read(void* buffer, DWORD count);
  bool Write(const void* buffer, DWORD count);
  // Shows the box (unless silent) with up to five label and number pairs,
  // closes the file and returns false.
  bool ShowError(const char* action, std::initializer_list<ErrorPair> pairs = {});

  char* name = nullptr;        // owned copy of the path given to Open
  std::int64_t position = 0;   // as this wrapper counts it
  std::int64_t size = 0;       // as known to this wrapper
  LONG open = 0;
  DWORD flags = 0;
  DWORD transferCount = 0;     // asked for; the primitive replaces it with the bytes moved
  void* transferBuffer = nullptr;

 protected:
  virtual bool DoOpen();
  virtual void DoClose();
  virtual bool DoSeek();
  virtual bool DoSetEnd();
  virtual bool DoRead();
  virtual bool DoWrite();
  // The system's text for the last error, or null.
  virtual const char* ErrorText(char* buffer, DWORD bufferSize);
  virtual const char* ClassName();
};

class APIFile : public TAFile {
 public:
  APIFile() = default;
  ~APIFile() override;

  HANDLE handle = nullptr;

 protected:
  bool DoOpen() override;
  void DoClose() override;
  bool DoSeek() override;
  bool DoSetEnd() override;
  bool DoRead() override;
  bool DoWrite() override;
  const char* ErrorText(char* buffer, DWORD bufferSize) override;
  const char* ClassName() override;
};
