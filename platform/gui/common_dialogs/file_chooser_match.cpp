#include "platform/gui/common_dialogs/file_chooser_match.h"

#include <cstring>
#include <string>

#include "platform/core/files.h"

bool MatchesMasks(const char* name, const char* masks) {
  if (name == nullptr || masks == nullptr) return false;
  const char* p = masks;
  while (true) {
    const char* end = std::strchr(p, ';');
    std::string mask(p, end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p));
    const std::size_t first = mask.find_first_not_of(' ');
    const std::size_t last = mask.find_last_not_of(' ');
    mask = first == std::string::npos ? std::string() : mask.substr(first, last - first + 1);
    if (!mask.empty() && MatchesWildcard(mask.c_str(), name, true)) return true;
    if (end == nullptr) return false;
    p = end + 1;
  }
}
