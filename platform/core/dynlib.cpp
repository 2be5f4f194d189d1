#include "platform/core/dynlib.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "platform/core/errors.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"

namespace {

struct LoadedModule {
  std::string path;
  int references = 0;
};

std::mutex modules_lock;
std::map<void*, LoadedModule>& Modules() {
  static std::map<void*, LoadedModule> modules;
  return modules;
}

std::string LoadedPath(void* handle, const std::string& fallback) {
  struct link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
      map->l_name[0] != '\0') {
    return map->l_name;
  }
  return fallback;
}

}  // namespace

std::vector<std::string> LibraryCandidates(std::string_view name) {
  std::string path = NativePath(name);
  bool has_folder = path.find('/') != std::string::npos;
  std::string file = PathFileName(path);
  std::string extension = PathExtension(file);
  if (extension.empty() || EqualNoCase(extension, ".dll")) {
    std::string shared = "lib" + LowerAscii(PathStem(file)) + ".so";
    if (has_folder) return {PathJoin(PathFolder(path), shared)};
    return {PathJoin(ProgramFolder(), shared), shared};
  }
  if (has_folder) return {path};
  return {PathJoin(ProgramFolder(), path), path};
}

HMODULE LoadLibrary(LPCSTR name) {
  if (name == nullptr || name[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD failure = ERROR_MOD_NOT_FOUND;
  for (const std::string& candidate : LibraryCandidates(name)) {
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      // A file that is there but does not load is worth its own code.
      if (candidate.find('/') != std::string::npos && access(candidate.c_str(), F_OK) == 0) {
        failure = ERROR_BAD_EXE_FORMAT;
      }
      continue;
    }
    std::lock_guard<std::mutex> hold(modules_lock);
    LoadedModule& module = Modules()[handle];
    if (module.references++ == 0) module.path = LoadedPath(handle, candidate);
    return reinterpret_cast<HMODULE>(handle);
  }
  SetLastError(failure);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  void* handle = reinterpret_cast<void*>(module);
  {
    std::lock_guard<std::mutex> hold(modules_lock);
    auto found = Modules().find(handle);
    if (found == Modules().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--found->second.references == 0) Modules().erase(found);
  }
  dlclose(handle);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  void* handle = reinterpret_cast<void*>(module);
  {
    std::lock_guard<std::mutex> hold(modules_lock);
    if (Modules().find(handle) == Modules().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
  }
  // Entries by ordinal (a small number in place of a name) do not exist here.
  if (name == nullptr || reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* entry = dlsym(handle, name);
  if (entry == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(entry);
}

bool ModulePath(HMODULE module, std::string* path) {
  std::lock_guard<std::mutex> hold(modules_lock);
  auto found = Modules().find(reinterpret_cast<void*>(module));
  if (found == Modules().end()) return false;
  *path = found->second.path;
  return true;
}
