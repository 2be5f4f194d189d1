// The registry text file on arbitrary bytes: keys open or are not found,
// values read or are not found, enumeration ends; never a fault.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/registry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A settings folder of this run's own, where the registry file is read.
  const char* base = std::getenv("TMPDIR");
  const std::string home =
      std::string(base != nullptr && *base ? base : "/tmp") + "/registry_fuzz." + std::to_string(getpid());
  setenv("KOBRIX_HOME", home.c_str(), 1);
  return 0;
}

namespace {

void Walk(HKEY key, int depth) {
  char data[256];
  DWORD size = sizeof data, type = 0;
  RegQueryValueEx(key, "", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
  size = sizeof data;
  RegQueryValueEx(key, "Count", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
  size = 4;
  RegQueryValueEx(key, "EncodeMethod", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
  if (depth > 3) return;
  for (DWORD i = 0; i < 8; ++i) {
    char name[64];
    DWORD nameSize = sizeof name;
    if (RegEnumKeyEx(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY child = nullptr;
    if (RegOpenKeyEx(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Walk(child, depth + 1);
      RegCloseKey(child);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(RegistryFilePath().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) Walk(root, 0);
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Darim Vision\\DVMPEG", 0, KEY_READ, &key) == ERROR_SUCCESS)
    RegCloseKey(key);
  return 0;
}
