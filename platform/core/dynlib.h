// Dynamic libraries over dlopen.
//
// How LoadLibrary finds a library:
// - A Windows library name, "NAME.DLL" or "NAME" without an extension,
//   becomes "libname.so" (the name in lower case): first the file of that
//   name beside the program (ProgramFolder()), then the same name on the
//   normal search path of the dynamic loader (LD_LIBRARY_PATH, the cache,
//   the system folders). So "VLMINTER.DLL" is "libvlminter.so".
// - A path to a "NAME.DLL" ("tools\MIDI.DLL") becomes "libname.so" in the
//   same folder, and only there.
// - Any other name ("libfoo.so", "/opt/x/libfoo.so.1", "./plugin.so") is
//   used as it is: with a folder, that file; without one, beside the program
//   first, then on the search path.
// Libraries are loaded with every symbol bound at once (RTLD_NOW), so a
// library that lacks what it needs fails to load instead of failing later.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/types.h"

// Cast to the entry's real type before calling. void (*)() is the generic
// function pointer that compilers let callers cast without a warning.
using FARPROC = void (*)();

// Null on failure (ERROR_MOD_NOT_FOUND, or ERROR_BAD_EXE_FORMAT for a file
// that is no loadable library). Loading the same library again returns the
// same handle and counts a reference.
HMODULE LoadLibrary(LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// Null when the library has no such entry (ERROR_PROC_NOT_FOUND).
FARPROC GetProcAddress(HMODULE module, LPCSTR name);

// The files LoadLibrary tries for name, in order (the rule above).
std::vector<std::string> LibraryCandidates(std::string_view name);
// The file of a library loaded by LoadLibrary; false for any other handle.
bool ModulePath(HMODULE module, std::string* path);
