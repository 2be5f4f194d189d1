#include "audio/installed_components.h"

#include <cstring>
#include <new>
#include <string>

#include "audio/effect_blocks.h"
#include "model/error_codes.h"
#include "model/project_file.h"
#include "platform/components/audio_effect.h"

namespace {

ComObjectEntry* installed_head = nullptr;
bool installed_scanned = false;

constexpr char kUnknownProgId[] = "***Unknown***";

void CopyCut(char* to, const char* from, std::size_t length) {
  std::size_t n = 0;
  while (n < length && from[n] != '\0') ++n;
  std::memcpy(to, from, n);
  to[n] = '\0';
}

}  // namespace

CComBase::CComBase() {
  state = CoInitialize(nullptr) == S_OK ? 0 : 1;
}

CComBase::~CComBase() {
  if (state == 0) CoUninitialize();
}

CComObjectInfo::CComObjectInfo() {
  lastResult = RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key);
  done = lastResult != ERROR_SUCCESS;
  if (done) key = nullptr;
}

CComObjectInfo::~CComObjectInfo() {
  if (key != nullptr) RegCloseKey(key);
}

bool CComObjectInfo::Next() {
  keyName[0] = '\0';
  progId[0] = '\0';
  if (done) return false;
  DWORD length = sizeof keyName;
  lastResult = RegEnumKeyEx(key, index, keyName, &length, nullptr, nullptr, nullptr, nullptr);
  ++index;
  if (lastResult == static_cast<LONG>(ERROR_MORE_DATA)) {
    // A name longer than a class id is no class id: go on past it rather
    // than end the scan there.
    keyName[0] = '\0';
    CopyCut(progId, kUnknownProgId, kProgIdLength);
    return true;
  }
  if (lastResult != ERROR_SUCCESS) {
    keyName[0] = '\0';
    done = true;
    return false;
  }
  HKEY progIdKey = nullptr;
  lastResult = RegOpenKeyEx(key, (std::string(keyName) + "\\ProgID").c_str(), 0, KEY_READ, &progIdKey);
  if (lastResult == ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD size = sizeof progId;
    lastResult = RegQueryValueEx(progIdKey, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(progId), &size);
    RegCloseKey(progIdKey);
    if (lastResult == ERROR_SUCCESS && type != REG_SZ)
      lastResult = static_cast<LONG>(ERROR_INVALID_PARAMETER);
  }
  if (lastResult != ERROR_SUCCESS)
    CopyCut(progId, kUnknownProgId, kProgIdLength);
  else
    progId[kProgIdLength] = '\0';
  return true;
}

bool CComObjectInfo::NextOwn() {
  const std::size_t prefix = std::strlen(kEffectProgIdPrefix);
  while (Next())
    if (std::strncmp(progId, kEffectProgIdPrefix, prefix) == 0) return true;
  return false;
}

void BuildComponentList() {
  installed_scanned = true;
  CComObjectInfo info;
  ComObjectEntry* tail = installed_head;
  while (tail != nullptr && tail->next != nullptr) tail = tail->next;
  while (info.NextOwn()) {
    char name[kGuidTextLength + 1];
    CopyCut(name, info.keyName, kGuidTextLength);
    CLSID clsid;
    if (CLSIDFromString(name, &clsid) != NOERROR) continue;
    auto* node = new (std::nothrow) ComObjectEntry;
    if (node == nullptr) continue;
    node->clsid = clsid;
    CopyCut(node->progId, info.progId, kProgIdLength);
    if (tail == nullptr)
      installed_head = node;
    else
      tail->next = node;
    tail = node;
  }
}

void CComObjectInfo::BuildList() {
  if (!installed_scanned) BuildComponentList();
}

ComObjectEntry* InstalledComponents() {
  CComObjectInfo::BuildList();
  return installed_head;
}

ComObjectEntry* FindInstalledComponent(REFCLSID clsid) {
  for (ComObjectEntry* e = InstalledComponents(); e != nullptr; e = e->next)
    if (IsEqualCLSID(e->clsid, clsid)) return e;
  return nullptr;
}

void ForgetInstalledComponents() {
  FreeComponentList(installed_head);
  installed_head = nullptr;
  installed_scanned = false;
}

namespace {

// The 622 records of the program-wide list, which is built first when needed.
bool WriteListBody(HMMIO file) {
  using namespace effect_blocks;
  CComObjectInfo::BuildList();
  for (const ComObjectEntry* e = installed_head; e != nullptr; e = e->next) {
    const LONG length = static_cast<LONG>(std::strlen(e->progId));
    BYTE clsid[kGuidByteSize];
    GuidToBytes(e->clsid, clsid);
    if (!WriteHead(file, kComponentRecord, kGuidByteSize + length + 1) ||
        !WriteBytes(file, clsid, kGuidByteSize) || !WriteBytes(file, e->progId, length + 1))
      return false;
  }
  return true;
}

// The project file's record 621.
class ProjectComponents : public ProjectComponentRecord {
 public:
  bool WriteBody(HMMIO file) override { return WriteListBody(file); }
  int ReadBody(HMMIO file, LONG size, ComObjectEntry** head) override {
    return CComObjectInfo::ReadList(file, size, head);
  }
};

}  // namespace

void InstallProjectComponentRecord() {
  static ProjectComponents record;
  SetProjectComponentRecord(&record);
}

bool CComObjectInfo::WriteList(HMMIO file) {
  return effect_blocks::WritePatched(file, kComponentListRecord, WriteListBody);
}

// Every size is checked against what is left of the record before it is
// used. A record 622 holds at least its class id; a program id longer than
// 80 characters keeps its first 80 and the rest of the record is skipped.
int CComObjectInfo::ReadList(HMMIO file, LONG size, ComObjectEntry** head) {
  using namespace effect_blocks;
  if (head == nullptr) return kErrInvalidFormat;
  ComObjectEntry* tail = *head;
  while (tail != nullptr && tail->next != nullptr) tail = tail->next;
  while (size >= 1) {
    if (size < 8) return kErrInvalidFormat;
    DWORD id = 0;
    LONG recordSize = 0;
    if (ReadHead(file, &id, &recordSize) != 8) return kErrRead;
    if (recordSize < 0 || recordSize > size - 8 || IsBlankRecord(id, recordSize)) return kErrInvalidFormat;
    size -= recordSize + 8;
    if (id != kComponentRecord) {
      if (mmioSeek64(file, recordSize, SEEK_CUR) < 0) return kErrRead;
      continue;
    }
    if (recordSize < kGuidByteSize) return kErrInvalidFormat;
    BYTE clsid[kGuidByteSize];
    if (!ReadExact(file, clsid, kGuidByteSize)) return kErrRead;
    const LONG nameBytes = recordSize - kGuidByteSize;
    const LONG kept = nameBytes < kProgIdLength ? nameBytes : kProgIdLength;
    char name[kProgIdLength + 1] = {};
    if (!ReadExact(file, name, kept)) return kErrRead;
    if (nameBytes > kept) {
      // Skipping must reach the record's end inside the file: a cut file
      // reports the short read here, not in whatever reads on.
      if (BytesLeft(file) < nameBytes - kept || mmioSeek64(file, nameBytes - kept, SEEK_CUR) < 0)
        return kErrRead;
    }
    auto* node = new (std::nothrow) ComObjectEntry;
    if (node == nullptr) return kErrNoMemory;
    node->clsid = GuidFromBytes(clsid);
    CopyCut(node->progId, name, kProgIdLength);
    if (tail == nullptr)
      *head = node;
    else
      tail->next = node;
    tail = node;
  }
  return kErrOk;
}
