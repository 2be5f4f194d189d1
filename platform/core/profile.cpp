#include "platform/core/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"

namespace {

// A settings file larger than this is not a settings file: reads give the
// defaults and writes refuse rather than rewrite it.
constexpr size_t kMaxProfileSize = 16 * 1024 * 1024;

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

// The file as lines without their line ends; the parse keeps every line so
// that a rewrite changes only what it must.
struct Line {
  std::string text;
  bool isSection = false;
  bool isKey = false;
  // Where the section name (or the key name) and the value lie in text.
  size_t nameAt = 0, nameSize = 0;
  size_t valueAt = 0, valueSize = 0;

  std::string_view name() const { return std::string_view(text).substr(nameAt, nameSize); }
  std::string_view value() const { return std::string_view(text).substr(valueAt, valueSize); }
};

class Profile {
 public:
  explicit Profile(std::string text) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      size_t stop = end;
      if (stop > start && text[stop - 1] == '\r') --stop;
      lines_.push_back(Line{text.substr(start, stop - start)});
      start = end + 1;
    }
    for (Line& line : lines_) Classify(line);
  }

  // Index of the first section header named section, or npos.
  size_t FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].isSection && EqualNoCase(lines_[i].name(), section)) return i;
    }
    return npos;
  }

  // One past the last line of the section that starts at header.
  size_t SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !lines_[i].isSection) ++i;
    return i;
  }

  size_t FindKey(size_t header, std::string_view key) const {
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
      if (lines_[i].isKey && EqualNoCase(lines_[i].name(), key)) return i;
    }
    return npos;
  }

  // Each edit returns whether the text changed.
  bool DeleteSection(std::string_view section) {
    const size_t header = FindSection(section);
    if (header == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    return true;
  }

  bool DeleteKey(std::string_view section, std::string_view key) {
    const size_t header = FindSection(section);
    if (header == npos) return false;
    const size_t line = FindKey(header, key);
    if (line == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
    return true;
  }

  bool Set(std::string_view section, std::string_view key, std::string_view value) {
    size_t header = FindSection(section);
    if (header == npos) {
      if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Line{});
      lines_.push_back(Line{"[" + std::string(section) + "]"});
      Classify(lines_.back());
      header = lines_.size() - 1;
    }
    const size_t line = FindKey(header, key);
    if (line != npos) {
      if (lines_[line].value() == value) return false;
      // Keep the key as the file spells it.
      lines_[line].text = std::string(lines_[line].name()) + "=" + std::string(value);
      Classify(lines_[line]);
      return true;
    }
    // After the section's last non-blank line, so blank separators stay last.
    size_t at = SectionEnd(header);
    while (at > header + 1 && Trim(lines_[at - 1].text).empty()) --at;
    Line added{std::string(key) + "=" + std::string(value)};
    Classify(added);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(added));
    return true;
  }

  std::string Text() const {
    std::string text;
    for (const Line& line : lines_) {
      text += line.text;
      text += "\r\n";
    }
    return text;
  }

  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  // Sets the parsed fields of a line from its text.
  static void Classify(Line& line) {
    line.isSection = line.isKey = false;
    line.nameAt = line.nameSize = line.valueAt = line.valueSize = 0;
    const std::string_view all(line.text);
    const auto place = [&all](std::string_view part, size_t& at, size_t& size) {
      at = part.empty() ? 0 : static_cast<size_t>(part.data() - all.data());
      size = part.size();
    };
    const std::string_view s = Trim(all);
    if (!s.empty() && s.front() == '[') {
      const size_t close = s.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        line.isSection = true;
        place(Trim(s.substr(1, close - 1)), line.nameAt, line.nameSize);
      }
      return;
    }
    const size_t eq = s.find('=');
    if (eq == std::string_view::npos) return;
    line.isKey = true;
    place(Trim(s.substr(0, eq)), line.nameAt, line.nameSize);
    place(Trim(s.substr(eq + 1)), line.valueAt, line.valueSize);
  }

  std::vector<Line> lines_;
};

// The value of key in section, straight from the file's text (readers need
// no copy of the lines).
bool LookupInText(std::string_view text, std::string_view section, std::string_view key,
                  std::string_view& value) {
  bool inSection = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (!line.empty() && line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string_view::npos || close == 0) continue;
      // Only the first section of a name counts.
      if (inSection) return false;
      inSection = EqualNoCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || !EqualNoCase(Trim(line.substr(0, eq)), key)) continue;
    value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return true;
  }
  return false;
}

// Read-modify-write cycles are serialised within the process by this mutex
// and between processes by a lock on the file's folder.
std::mutex g_writeLock;

class FolderLock {
 public:
  explicit FolderLock(const std::string& path) {
    std::string folder = PathFolder(path);
    if (folder.empty()) folder = ".";
    fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0) {
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

size_t CopyOut(std::string_view text, LPSTR buffer, DWORD size) {
  size_t n = std::min<size_t>(text.size(), size - 1);
  // The caller's text ends at a NUL inside the value, if there is one.
  const size_t nul = text.substr(0, n).find('\0');
  if (nul != std::string_view::npos) n = nul;
  if (n > 0) std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n;
}

}  // namespace

std::string ProfilePath(LPCSTR fileName) {
  if (fileName == nullptr || *fileName == 0) return {};
  const std::string_view name(fileName);
  bool hasFolder = false;
  for (char c : name) hasFolder = hasFolder || IsPathSeparator(c);
  if (!hasFolder) return SettingsFolder() + "/" + std::string(name);
  return NativePath(name);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  const UINT fallback = static_cast<UINT>(defaultValue);
  const std::string path = ProfilePath(fileName);
  if (section == nullptr || key == nullptr || path.empty()) return fallback;
  std::string text;
  if (!ReadSmallFile(path, kMaxProfileSize, &text)) return fallback;
  std::string_view value;
  if (!LookupInText(text, Trim(section), Trim(key), value)) return fallback;
  value = Trim(value);
  size_t i = 0;
  const bool negative = !value.empty() && value[0] == '-';
  if (!value.empty() && (value[0] == '-' || value[0] == '+')) ++i;
  if (i >= value.size() || value[i] < '0' || value[i] > '9') return fallback;
  UINT result = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    result = result * 10u + (value[i] - '0');
  return negative ? 0u - result : result;
}

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = 0;
  if (section == nullptr || key == nullptr) return 0;
  std::string text;
  const std::string path = ProfilePath(fileName);
  std::string_view value;
  bool found = false;
  if (!path.empty() && ReadSmallFile(path, kMaxProfileSize, &text))
    found = LookupInText(text, Trim(section), Trim(key), value);
  if (!found) {
    value = defaultValue != nullptr ? std::string_view(defaultValue) : std::string_view();
    const size_t last = value.find_last_not_of(' ');
    value = last == std::string_view::npos ? std::string_view() : value.substr(0, last + 1);
  }
  return static_cast<DWORD>(CopyOut(value, buffer, size));
}

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  if (section == nullptr && key == nullptr && value == nullptr) {
    const std::string path = ProfilePath(fileName);
    return path.empty() || FlushFileToDisk(path) ? TRUE : FALSE;
  }
  if (section == nullptr) return FALSE;
  const std::string path = ProfilePath(fileName);
  if (path.empty()) return FALSE;
  const std::string_view sectionName = Trim(section);
  const std::string_view keyName = key != nullptr ? Trim(key) : std::string_view();
  const std::string_view newValue = value != nullptr ? Trim(value) : std::string_view();
  if (sectionName.empty() || HasLineBreak(sectionName)) return FALSE;
  if (key != nullptr &&
      (keyName.empty() || HasLineBreak(keyName) || keyName.find('=') != std::string_view::npos ||
       keyName.front() == '[')) {  // "[" would read back as a section
    return FALSE;
  }
  if (HasLineBreak(newValue)) return FALSE;

  std::lock_guard<std::mutex> guard(g_writeLock);
  FolderLock folderLock(path);
  std::string text;
  if (!ReadSmallFile(path, kMaxProfileSize, &text)) return FALSE;
  Profile profile(std::move(text));
  bool changed;
  if (key == nullptr)
    changed = profile.DeleteSection(sectionName);
  else if (value == nullptr)
    changed = profile.DeleteKey(sectionName, keyName);
  else
    changed = profile.Set(sectionName, keyName, newValue);
  if (!changed) return TRUE;
  const std::string out = profile.Text();
  // Settings are written key by key, often a hundred at a time: each write
  // replaces the file atomically, and the flush call brings it to the disk.
  return WriteFileAtomically(path, out.data(), out.size(), ReplaceDurability::kRename) ? TRUE : FALSE;
}
