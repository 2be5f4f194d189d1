// Where the program keeps its files on this system.
//
// - Settings (the INI file and the registry file): $KOBRIX_HOME when set,
//   else $XDG_CONFIG_HOME/kobrix, else ~/.config/kobrix. It stands where the
//   Windows directory stood, so GetWindowsDirectory returns it.
// - Temporary files: $TMPDIR (default /tmp), and below it a folder of this
//   instance's own, removed when the program ends.
// - Beside the program: the folder of the running executable.
// - The program's own state (the temporary sound file, the autosave files):
//   $XDG_STATE_HOME/kobrix, else ~/.local/state/kobrix.
// - Shared by the running instances (lock files, sockets, the video board's
//   resources): $XDG_RUNTIME_DIR/kobrix when that is an absolute path, else
//   <TempFolder()>/kobrix-<user id>.
// Both are used only as real folders of the user's own with mode 0700 (made
// so when missing); a folder that is not, someone else may have made or
// entered, so a private folder below TempFolder() takes its place:
// kobrix-state-<user id>-XXXXXX or kobrix-run-<user id>-XXXXXX, the one an
// earlier run left when there is one (ours, mode 0700, not a link), else a
// new one. It is removed at exit when it holds nothing.
//
// Folders are returned without a trailing separator.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/types.h"

// Created on first use (and again if it has been removed since).
std::string SettingsFolder();
// The running executable and its folder.
std::string ProgramPath();
std::string ProgramFolder();
std::string TempFolder();
// A folder of this instance's own below TempFolder(), created on first use
// and removed with its contents when the process that created it exits.
std::string InstanceTempFolder();
// Removes the instance folders below TempFolder() whose process is gone
// (killed before it could remove its own).
void RemoveDeadInstanceFolders();
// Created on first use (and again if it has been removed since).
std::string StateFolder();
std::string RuntimeFolder();
// Removes the fallback folders this process took that are empty; runs at
// exit once one was taken.
void RemoveEmptyFallbackFolders();

// The default locations written for Windows, moved to their place here:
// "C:\KOBRIX.TMP" (any letter case, either separator) becomes
// <StateFolder()>/KOBRIX.TMP, and so does <TempFolder()>/KOBRIX.TMP (or
// /tmp/KOBRIX.TMP), where earlier versions kept it. Any other path is
// returned as it is.
std::string MapDefaultLocation(std::string_view path);

// The settings folder. Returns its length, or the size needed (with the
// terminator) when size is too small; 0 on failure.
UINT GetWindowsDirectory(LPSTR buffer, UINT size);
inline constexpr auto& GetWindowsDirectoryA = GetWindowsDirectory;

// Copies text into a caller's buffer the way the system's string queries do:
// returns the length copied, or the size needed (terminator included) when
// the buffer is too small (then only a terminator is written, if room).
DWORD CopyToBuffer(const std::string& text, LPSTR buffer, DWORD size);
