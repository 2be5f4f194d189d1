// Tool libraries: outside libraries beside the program that export one
// entry, "_TOOLDLLENTRY" (command, argument) -> 0 or an error code. The
// program shares each by its file name with a reference count; every user
// gets it from GetOrLoad and gives it back with Release.
#pragma once

#include <cstdint>

#include "platform/core/types.h"
#include "platform/midistrm/midistrm.h"

class ToolDLL {
 public:
  // The library named for the running platform (this system is always the
  // third, Windows NT's slot) beside the program: the loaded one with one
  // more reference, or loaded now with one. Null when it cannot be had, the
  // user told why (a box under caption for a library without the entry);
  // *error, when given, is then 17 (did not load), 6 (no entry) or 2 (no
  // memory), else 0.
  static ToolDLL* GetOrLoad(const char* win32sName, const char* win95Name, const char* ntName, HWND owner,
                            const char* caption = "Loading midi stream DLL", int* error = nullptr);

  void AddRef() { ++referenceCount; }
  // The last reference frees the library.
  void Release();
  // Runs a command of the entry; without an entry nothing is done, 0 is
  // returned and the error becomes 3.
  int Call(int command, void* argument);

  const char* GetName() const { return name; }
  int32_t GetError() const { return error; }
  int32_t GetReferences() const { return referenceCount; }

 private:
  ToolDLL() = default;
  ~ToolDLL();
  ToolDLL(const ToolDLL&) = delete;
  ToolDLL& operator=(const ToolDLL&) = delete;

  ToolDLL* next = nullptr;
  char name[255] = {};  // the full name: the program's folder and the library's name
  int32_t referenceCount = 0;
  HMODULE module = nullptr;
  ToolEntry entry = nullptr;
  int32_t error = 0;  // 0; 17 did not load; 6 no entry; 3 called without an entry
};
