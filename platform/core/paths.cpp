#include "platform/core/paths.h"

namespace {

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Index of the last separator, or npos.
size_t LastSeparator(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

// Where the last component starts.
size_t NameStart(std::string_view path) {
  size_t sep = LastSeparator(path);
  if (sep != std::string_view::npos) return sep + 1;
  return PathHasDrive(path) ? 2 : 0;
}

// The folder without trailing separators; a root keeps its separator.
std::string TrimTrailingSeparators(std::string folder) {
  size_t keep = PathHasDrive(folder) ? 3 : 1;
  while (folder.size() > keep && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

bool PathHasDrive(std::string_view path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}

bool PathIsAbsolute(std::string_view path) {
  return (!path.empty() && IsPathSeparator(path[0])) || PathHasDrive(path);
}

std::string NativePath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::string PathJoin(std::string_view folder, std::string_view path) {
  if (PathIsAbsolute(path) || folder.empty()) return NativePath(path);
  std::string_view rest = path;
  while (rest.size() >= 2 && rest[0] == '.' && IsPathSeparator(rest[1])) rest.remove_prefix(2);
  return PathWithSeparator(folder) + NativePath(rest);
}

std::string PathRelativeTo(std::string_view path, std::string_view folder) {
  std::string full = NativePath(path);
  if (folder.empty()) return full;
  std::string prefix = PathWithSeparator(folder);
  if (full.size() > prefix.size() && full.compare(0, prefix.size(), prefix) == 0) {
    return full.substr(prefix.size());
  }
  return full;
}

std::string PathFolder(std::string_view path) {
  size_t sep = LastSeparator(path);
  if (sep == std::string_view::npos)
    return PathHasDrive(path) ? std::string(path.substr(0, 2)) : std::string();
  std::string folder = NativePath(path.substr(0, sep));
  if (folder.empty()) return "/";
  if (folder.size() == 2 && PathHasDrive(folder)) return folder + "/";
  return TrimTrailingSeparators(folder);
}

std::string PathWithSeparator(std::string_view folder) {
  std::string out = NativePath(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  return out;
}

std::string PathFileName(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

std::string PathExtension(std::string_view path) {
  std::string_view name = path.substr(NameStart(path));
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string();
  return std::string(name.substr(dot));
}

std::string PathStem(std::string_view path) {
  std::string name = PathFileName(path);
  return name.substr(0, name.size() - PathExtension(name).size());
}

std::string PathChangeExtension(std::string_view path, std::string_view extension) {
  std::string out = NativePath(path);
  out.resize(out.size() - PathExtension(path).size());
  out += extension;
  return out;
}

bool PathsEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (!(IsPathSeparator(a[i]) && IsPathSeparator(b[i]))) return false;
  }
  return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(FoldCase(a[i]));
    unsigned char y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::string LowerAscii(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = FoldCase(c);
  return out;
}
