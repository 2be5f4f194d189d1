#include "platform/gui/common_dialogs/file_chooser_match.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

bool Same(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Glob match without recursion: on a mismatch, retry from the last "*"
// with one more character swallowed.
bool Match(const char* name, const std::string& mask) {
  const char* n = name;
  std::size_t m = 0;
  const char* star_n = nullptr;
  std::size_t star_m = std::string::npos;
  while (*n != '\0') {
    if (m < mask.size() && mask[m] == '*') {
      star_m = m++;
      star_n = n;
    } else if (m < mask.size() && (mask[m] == '?' || Same(mask[m], *n))) {
      ++m;
      ++n;
    } else if (star_m != std::string::npos) {
      m = star_m + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool MatchesMasks(const char* name, const char* masks) {
  if (name == nullptr || masks == nullptr) return false;
  const char* p = masks;
  while (true) {
    const char* end = std::strchr(p, ';');
    std::string mask(p, end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p));
    const std::size_t first = mask.find_first_not_of(' ');
    const std::size_t last = mask.find_last_not_of(' ');
    mask = first == std::string::npos ? std::string() : mask.substr(first, last - first + 1);
    if (mask == "*.*" || (!mask.empty() && Match(name, mask))) return true;
    if (end == nullptr) return false;
    p = end + 1;
  }
}
