// The INI reader and writer on an arbitrary settings file: reads give a value
// or the default, and a key written reads back as written.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/core/profile.h"

namespace {

std::string FuzzPath() {
  const char* base = std::getenv("TMPDIR");
  return std::string(base != nullptr && *base ? base : "/tmp") + "/profile_fuzz." + std::to_string(getpid()) +
         ".ini";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzPath();
  // The last line of the input names the section and key to write, as
  // "section/key/value"; the rest is the file.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.rfind('\n');
  const std::string text = cut == std::string::npos ? input : input.substr(0, cut);
  const std::string order = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);

  char buffer[64];
  GetPrivateProfileString("SOUND", "Device", "none", buffer, sizeof buffer, path.c_str());
  GetPrivateProfileInt("SOUND", "Rate", 44100, path.c_str());

  const size_t a = order.find('/');
  const size_t b = a == std::string::npos ? a : order.find('/', a + 1);
  if (b == std::string::npos) return 0;
  const std::string section = order.substr(0, a), key = order.substr(a + 1, b - a - 1), value = order.substr(b + 1);
  if (section.find('\0') != std::string::npos || key.find('\0') != std::string::npos ||
      value.find('\0') != std::string::npos)
    return 0;
  if (!WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), path.c_str())) return 0;
  // What was written reads back, whatever else the file holds.
  char back[4096];
  GetPrivateProfileString(section.c_str(), key.c_str(), "\x01", back, sizeof back, path.c_str());
  std::string trimmed = value;
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
  while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t')) trimmed.erase(0, 1);
  if (trimmed.size() < sizeof back - 1 && std::strcmp(back, trimmed.c_str()) != 0 &&
      !(trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') &&
        trimmed.back() == trimmed.front())) {
    std::fprintf(stderr, "[%s] %s=%s read back as %s\n", section.c_str(), key.c_str(), trimmed.c_str(), back);
    std::abort();
  }
  return 0;
}
