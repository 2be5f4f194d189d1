#include "model/ini.h"

#include "model/scratch_str.h"
#include "platform/core/files.h"
#include "platform/core/profile.h"

namespace {

const char* g_section = kIniDefaultSection;

}  // namespace

void IniSetSection(const char* section) {
  g_section = section != nullptr ? section : kIniDefaultSection;
}

int IniReadInt(const char* key, int def) {
  return static_cast<int>(GetPrivateProfileInt(g_section, key, def, kIniFileName));
}

char* IniReadString(const char* key, const char* def) {
  static_assert(kIniMaxString < ScratchStr::kSize);
  char* text = ScratchStr::Next();
  GetPrivateProfileString(g_section, key, def, text, kIniMaxString + 1, kIniFileName);
  return text;
}

BOOL IniWriteInt(const char* key, int value) {
  return IniWriteString(key, IntToPaddedText(value, 0));
}

BOOL IniWriteString(const char* key, const char* value) {
  return WritePrivateProfileString(g_section, key, value, kIniFileName);
}

BOOL IniFlush() {
  return WritePrivateProfileString(nullptr, nullptr, nullptr, kIniFileName);
}

void IniRemoveStaleTemporaries() {
  RemoveStaleTemporaries(ProfilePath(kIniFileName));
}
