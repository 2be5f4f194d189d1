// A read-only registry kept in a text file, "registry.txt", in the settings
// folder beside the INI file. Programs only look values up; the user (or an
// installer) edits the file. Its format, a small part of the registry editor's
// export format:
//
//   ; comment (also "#")
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Darim Vision\DVMPEG]
//   "EncodeMethod"="1"
//   "Count"=dword:0000001f
//   @="the key's default value"
//
// - A line "[ROOT\path\to\key]" starts a key; ROOT is HKEY_LOCAL_MACHINE,
//   HKEY_CLASSES_ROOT or HKEY_CURRENT_USER. Every key on the path exists,
//   listed or not; a section under another root is ignored.
// - The lines below it give values: a quoted name, or @ for the default
//   value, "=", then a quoted string (REG_SZ; \\ and \" escape a backslash
//   and a quote) or dword: and 1 to 8 hex digits (REG_DWORD).
// - Key and value names compare without regard to ASCII case; subkeys
//   enumerate in that order. Blank lines and lines that do not fit are skipped.
//
// The file is read whenever a key is opened from a root, so a changed file is
// seen by the next look-up; an open key keeps the contents it was opened with.
#pragma once

#include <string>

#include "platform/core/errors.h"
#include "platform/core/types.h"

DECLARE_HANDLE(HKEY);
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;


// The registry file's path.
std::string RegistryFilePath();
// A file in the same format read before the registry file on every look-up
// (the entries a build writes for its components); the registry file's own
// values stand over it.
void AddRegistryDefaults(const std::string& path);

// Opens subKey ("a\b\c"; null or "" opens key itself) below an open key or a
// root. ERROR_FILE_NOT_FOUND when it does not exist; ERROR_ACCESS_DENIED when
// write access is asked for (the registry is read-only).
LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
// A value of an open key (null or "" name: the default value). With data
// null, only the type and size are given; with a buffer smaller than the
// value, ERROR_MORE_DATA and the size needed. REG_SZ sizes count the
// terminator; REG_DWORD is 4 bytes, little-endian.
LONG RegQueryValueEx(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
// The name of subkey index (0, 1, ...) of an open key; *nameSize holds the
// buffer's size in characters and receives the name's length.
// ERROR_NO_MORE_ITEMS past the last. Keys have no class and no write time
// here: className receives "" and lastWrite zero.
LONG RegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
                  LPDWORD classSize, FILETIME* lastWrite);
LONG RegCloseKey(HKEY key);

inline constexpr auto& RegOpenKeyExA = RegOpenKeyEx;
inline constexpr auto& RegQueryValueExA = RegQueryValueEx;
inline constexpr auto& RegEnumKeyExA = RegEnumKeyEx;
