// The build's registry entries for our effect components, each module named
// by its path in the build folder (the test programs do not lie beside the
// modules). For the test programs that know where the build put them
// (KOBRIX_EFFECTS_REGISTRY, KOBRIX_EFFECT_MODULE_DIR).
#pragma once

#include <dlfcn.h>

#include <string>

#include "support/file_bytes.h"

inline std::string BuildEffectsRegistryText() {
  std::string s = ReadFileText(KOBRIX_EFFECTS_REGISTRY);
  const std::string prefix = std::string("@=\"") + KOBRIX_EFFECT_MODULE_DIR + "/";
  for (std::size_t at = 0; (at = s.find("@=\"KX", at)) != std::string::npos; at += prefix.size())
    s.replace(at, 3, prefix);
  return s;
}

// Registry lines for one class served by a module.
inline std::string RegistryClassEntry(const std::string& clsid, const std::string& progId,
                                      const std::string& module) {
  std::string text;
  text += "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32]\n@=\"" + module + "\"\n";
  if (!progId.empty()) {
    text += "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\ProgID]\n@=\"" + progId + "\"\n";
    text += "[HKEY_CLASSES_ROOT\\" + progId + "\\CLSID]\n@=\"" + clsid + "\"\n";
  }
  return text;
}

#ifdef KOBRIX_FAKE_EFFECTS_MODULE
// What the fake effect module tells through its function name: a counter or
// the last format its components were given (T{} before it is loaded).
template <class T>
T FakeEffectsProbe(const char* name) {
  void* module = dlopen(KOBRIX_FAKE_EFFECTS_MODULE, RTLD_LAZY | RTLD_NOLOAD);
  if (module == nullptr) return T{};
  auto probe = reinterpret_cast<T (*)()>(dlsym(module, name));
  T value = probe != nullptr ? probe() : T{};
  dlclose(module);
  return value;
}
#endif
