// Resource names and the module that holds the program's resources.
#pragma once

#include <string>

#include "platform/gui/resource.h"
#include "platform/gui/user.h"

// A resource named by number or by text.
class TResId {
 public:
  TResId() = default;
  TResId(int id) : Name(id != 0 ? MAKEINTRESOURCE(id) : nullptr) {}
  TResId(const char* name) : Name(name) {}
  operator LPCSTR() const { return Name; }
  bool IsNull() const { return Name == nullptr; }
  // The number of a numbered resource, else 0.
  int Id() const { return ResourceNumber(Name); }

 private:
  LPCSTR Name = nullptr;
};

class TModule {
 public:
  explicit TModule(const char* name = nullptr, HINSTANCE instance = ProgramInstance())
      : Name(name != nullptr ? name : ""), Instance(instance) {}
  virtual ~TModule() = default;
  HINSTANCE GetInstance() const { return Instance; }
  operator HINSTANCE() const { return Instance; }
  const char* GetName() const { return Name.c_str(); }

  HMENU LoadMenu(TResId id) const { return ::LoadMenu(Instance, id); }
  HACCEL LoadAccelerators(TResId id) const { return ::LoadAccelerators(Instance, id); }
  int LoadString(UINT id, char* buffer, int size) const { return ::LoadString(Instance, id, buffer, size); }
  std::string LoadString(UINT id) const;
  HBITMAP LoadBitmap(TResId id) const { return ::LoadBitmap(Instance, id); }
  HCURSOR LoadCursor(TResId id) const { return ::LoadCursor(Instance, id); }
  HICON LoadIcon(TResId id) const { return ::LoadIcon(Instance, id); }

 private:
  std::string Name;
  HINSTANCE Instance;
};

// The program's own module.
TModule& ProgramModule();
