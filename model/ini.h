// Settings access: every long-lived object selects its own section of
// "KOBRIX30.INI" and reads or writes its keys there. Main thread only: the
// current section is one program-wide value and string reads use the scratch
// ring.
#pragma once

#include "platform/core/types.h"

// The settings file, kept in the settings folder.
constexpr const char* kIniFileName = "KOBRIX30.INI";
// The section read and written before any other is selected.
constexpr const char* kIniDefaultSection = "DEFAULTS";
// Longest string value read; longer values are cut.
constexpr DWORD kIniMaxString = 255;

// Makes section the current one. The name is not copied: it must live for
// the whole program (a literal). Null selects the default section.
void IniSetSection(const char* section);
// The current section's key as an integer; def when missing or not a number.
int IniReadInt(const char* key, int def);
// The key's text (at most 255 characters) or def, in a scratch buffer.
char* IniReadString(const char* key, const char* def);
BOOL IniWriteInt(const char* key, int value);
BOOL IniWriteString(const char* key, const char* value);
// Asks the profile layer to bring its copy of the file to disk.
BOOL IniFlush();
// Removes what saves of the settings file that were cut short left beside
// it; for start-up, before anything reads the settings.
void IniRemoveStaleTemporaries();
