// The path rules of the program, in one place.
//
// - A path is absolute when it begins with a separator or with a drive
//   ("X:", found in files written on another system).
// - "/" and "\" both separate folders when a path is read; every path this
//   helper returns uses "/".
// - File paths compare exactly (case-sensitive, as the file system does);
//   names that are not paths (INI sections and keys, program ids, menu
//   texts) compare without regard to ASCII case.
#pragma once

#include <string>
#include <string_view>

constexpr bool IsPathSeparator(char c) {
  return c == '/' || c == '\\';
}

// Begins with "X:" (a letter and a colon).
bool PathHasDrive(std::string_view path);
bool PathIsAbsolute(std::string_view path);

// The path with every "\" turned into "/".
std::string NativePath(std::string_view path);

// A stored path read against a folder: an absolute path is returned as it
// is; a relative one is appended to the folder (which may end in a
// separator or not). An empty folder leaves the path relative.
std::string PathJoin(std::string_view folder, std::string_view path);

// The part of path below folder when path lies inside it (case-sensitive,
// whole folder names only); otherwise path itself. An empty folder returns
// path unchanged, so every path stays absolute.
std::string PathRelativeTo(std::string_view path, std::string_view folder);

// The folder of a path without a trailing separator ("/" for "/name", "X:/"
// for "X:\name", "" for a bare name).
std::string PathFolder(std::string_view path);
// The folder followed by "/" ("" stays "", a root keeps its one separator).
std::string PathWithSeparator(std::string_view folder);
// The last component, extension included.
std::string PathFileName(std::string_view path);
// The last component without its extension.
std::string PathStem(std::string_view path);
// The extension with its dot (".avi"); "" when the name has none. A leading
// dot alone (".profile") is no extension.
std::string PathExtension(std::string_view path);
// The path with its extension replaced (or added); extension includes the dot.
std::string PathChangeExtension(std::string_view path, std::string_view extension);

// File paths: equal when they name the same path, byte for byte, with either
// separator.
bool PathsEqual(std::string_view a, std::string_view b);

// Names that are not paths: ASCII letters compare without regard to case.
// CompareNoCase returns <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);
// The name with its ASCII letters in lower case.
std::string LowerAscii(std::string_view name);
