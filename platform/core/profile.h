// The private-profile (INI file) functions with the semantics programs
// written for them rely on:
// - A file name without a folder names a file in the settings folder
//   (SettingsFolder()); a name with a folder is used as it is ("\" or "/").
// - Section and key names compare without regard to ASCII case; names and
//   values are read with surrounding blanks removed, and a value wrapped in a
//   pair of matching quotes loses them.
// - Every write replaces the whole file atomically, so a crash or a kill
//   leaves the old file or the new one, never a mix. Writes are not flushed
//   to the disk one by one (a hundred keys would take seconds): the flush
//   call does that. Nothing is cached: every
//   call reads the file as it is now, so values written by one process or
//   thread read back at once in another.
// - Lines the functions do not understand (comments, text before the first
//   section) are kept as they are when the file is rewritten; written lines
//   end in CR LF, and files with bare LF lines read the same.
#pragma once

#include <string>

#include "platform/core/types.h"

// The integer value of key in section: an optional sign and decimal digits
// (text after them is ignored; wider values wrap to 32 bits). The default
// when the key is missing or its value does not begin with a number.
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);

// Copies the value of key in section (or the default, null meaning "", with
// trailing blanks removed, when the key is missing) into buffer, cut to
// size - 1 characters and always terminated. Returns the number of characters
// copied. Null section or key (the name lists of Windows) are not supported:
// they give "" and 0.
DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName);

// Sets key in section to value, adding the section and the key when missing.
// A null value deletes the key; a null key deletes the whole section; null
// section, key and value flush: each write replaces the file at once for
// every reader, and the flush brings it to the disk (a power cut before it may
// lose the last writes, never the whole file's consistency). Names holding a line break, a key holding "=" or a value
// holding a line break are refused (FALSE), as they would change the file's
// structure. FALSE when the file cannot be written.
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

inline constexpr auto& GetPrivateProfileIntA = GetPrivateProfileInt;
inline constexpr auto& GetPrivateProfileStringA = GetPrivateProfileString;
inline constexpr auto& WritePrivateProfileStringA = WritePrivateProfileString;

// The path of the file a profile file name stands for ("" for null or "").
std::string ProfilePath(LPCSTR fileName);
