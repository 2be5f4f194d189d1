// The installed effect components: the classes of the registry whose program
// id begins with "KOBRIX.", scanned once per run, and the component records
// with which project and effect-list files tell which components the machine
// that wrote them had: record 621 {u32 621, i32 size} holding one record 622
// {u32 622, i32 size = 16 + length + 1, the 16 CLSID bytes, the program id
// and its terminating zero} per component.
#pragma once

#include "model/component_list.h"
#include "platform/components/com.h"
#include "platform/core/registry.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

constexpr DWORD kComponentListRecord = 621;
constexpr DWORD kComponentRecord = 622;

// The program's components initialisation, for the program's life.
class CComBase {
 public:
  CComBase();
  ~CComBase();
  CComBase(const CComBase&) = delete;
  CComBase& operator=(const CComBase&) = delete;

  // -1 before, 0 when this object initialised, 1 for any other answer.
  LONG state = -1;
};

// An enumerator over HKEY_CLASSES_ROOT\CLSID.
class CComObjectInfo {
 public:
  CComObjectInfo();
  ~CComObjectInfo();
  CComObjectInfo(const CComObjectInfo&) = delete;
  CComObjectInfo& operator=(const CComObjectInfo&) = delete;

  // The next subkey with its program id ("***Unknown***" when it has none
  // that can be read); false when the enumeration ends.
  bool Next();
  // The next subkey whose program id begins with "KOBRIX." (case counts).
  bool NextOwn();

  // Builds the program-wide list unless it was scanned already.
  static void BuildList();
  // Writes record 621 at the current position, the list built first when
  // needed; false at the first short write.
  static bool WriteList(HMMIO file);
  // Reads the 622 records of a record 621 body of size bytes into a new
  // list stored at *head (first record first), which the caller frees.
  // Returns 0, 2 (no memory), 6 (a broken record) or 19 (a short read).
  static int ReadList(HMMIO file, LONG size, ComObjectEntry** head);

  char keyName[kProgIdLength + 1] = {};
  char progId[kProgIdLength + 1] = {};
  LONG lastResult = ERROR_SUCCESS;
  HKEY key = nullptr;
  bool done = false;
  DWORD index = 0;
};

// Lets the project file write and read record 621 with the program-wide
// list; the application calls it at start-up.
void InstallProjectComponentRecord();

// Scans the registry into the program-wide list (in enumeration order).
void BuildComponentList();
// The program-wide list, scanned first when it was not yet.
ComObjectEntry* InstalledComponents();
// The entry of a class in the program-wide list (scanned when needed), or null.
ComObjectEntry* FindInstalledComponent(REFCLSID clsid);
// Frees the program-wide list at the program's end; the next use scans again.
void ForgetInstalledComponents();
