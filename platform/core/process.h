// Starting other programs, and opening a file with its program.
//
// A command line is a Windows command line, split into arguments the way
// programs of that system split theirs:
// - arguments are separated by blanks and tabs outside double quotes;
// - a double quote starts or ends a quoted part and is dropped; inside a
//   quoted part, two double quotes give one literal double quote;
// - 2n backslashes before a double quote give n backslashes (and the quote
//   acts as above); 2n+1 backslashes before a double quote give n
//   backslashes and a literal double quote; other backslashes are literal;
// - the first word, the program, knows no backslash escapes: it runs to the
//   first blank outside quotes, with its quotes dropped.
//
// The program is found by FindProgram: a name with a folder is that file; a
// bare name is looked for beside this program, then along $PATH. "NAME.EXE"
// that is not found as it is stands for "name" (lower case, no extension) in
// the same place, so "QOVTOOL1.EXE" beside the program runs "qovtool1".
//
// A process handle is a Waitable: it is signalled when the program ends.
// The thread handle of PROCESS_INFORMATION stands for the program's main
// thread and is signalled at the same time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/handle.h"
#include "platform/core/errors.h"
#include "platform/core/types.h"

// Creation flags: priorities are hints and need no privileges, so they are
// accepted and ignored; the console flags mean nothing here.
constexpr DWORD DEBUG_PROCESS = 0x00000001;
constexpr DWORD DETACHED_PROCESS = 0x00000008;
constexpr DWORD CREATE_NEW_CONSOLE = 0x00000010;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
constexpr DWORD IDLE_PRIORITY_CLASS = 0x00000040;
constexpr DWORD HIGH_PRIORITY_CLASS = 0x00000080;
constexpr DWORD REALTIME_PRIORITY_CLASS = 0x00000100;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

// Accepted and ignored; the program gets this program's standard streams.
struct STARTUPINFO {
  DWORD cb = sizeof(STARTUPINFO);
  DWORD dwFlags = 0;
  WORD wShowWindow = 0;
};
using LPSTARTUPINFO = STARTUPINFO*;

struct PROCESS_INFORMATION {
  HANDLE hProcess = nullptr;
  HANDLE hThread = nullptr;
  DWORD dwProcessId = 0;
  DWORD dwThreadId = 0;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Starts applicationName (not searched for: a path, or a name in the current
// folder; the "NAME.EXE" rule holds) or, when it is null, the first
// word of commandLine, with the arguments of commandLine, in
// currentDirectory (null: this program's current folder). Handles are never
// inherited beyond the standard streams; environment must be null (the
// program gets this one's); CREATE_SUSPENDED is not offered. Both handles
// must be closed with CloseHandle. False with the last error set when the
// program could not be started (ERROR_FILE_NOT_FOUND, ERROR_DIRECTORY for a
// missing working folder, ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT).
BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                   LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFO startupInfo,
                   LPPROCESS_INFORMATION processInformation);
// STILL_ACTIVE while the program runs; then its exit status (128 + the
// signal for a program killed by a signal, the given code after
// TerminateProcess).
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Kills the program; its exit code becomes exitCode.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// Whether no process has the number pid (any more): what an ended
// instance left under its number may go.
bool ProcessEnded(long pid);

std::vector<std::string> SplitCommandLine(std::string_view commandLine);
// One argument (not the program) in double quotes, written so that
// SplitCommandLine gives it back unchanged: quotes inside and the
// backslashes before them are escaped.
std::string QuoteArgument(std::string_view argument);
// The file that would run for a program name (the rule above); "" when none.
std::string FindProgram(std::string_view name);

// ShellExecute results at or below 32 are errors.
constexpr INT SE_ERR_FNF = 2;
constexpr INT SE_ERR_PNF = 3;
constexpr INT SE_ERR_ACCESSDENIED = 5;
constexpr INT SE_ERR_OOM = 8;
constexpr INT SE_ERR_NOASSOC = 31;

// Opens file (a path, relative ones taken from directory, or a URL) with
// the program the desktop associates with it, through xdg-open. operation
// is null, "open" or "explore"; parameters are not used. Does not wait for
// the program. Returns a value above 32 when the opener was started;
// SE_ERR_FNF for a missing file, SE_ERR_NOASSOC when no opener is installed
// or the operation is another.
HINSTANCE ShellExecute(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                       INT showCommand);
