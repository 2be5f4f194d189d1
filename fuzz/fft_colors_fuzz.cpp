// The analyser's colour scheme reader and its INI colour texts on arbitrary
// bytes: every line is taken or skipped, every colour is a valid RGB, and
// a scheme written from what was read reads back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/fft_colors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The INI value as the diagram reads it: at most 19 characters.
  std::string ini(reinterpret_cast<const char*>(data), size < 19 ? size : 19);
  ini = ini.c_str();
  if ((ParseColor(ini.c_str()) & 0xFF000000u) != 0) std::abort();

  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  ResponseColors colors = kDefaultResponseColors;
  const int named = ReadScheme(file, &colors);
  std::fclose(file);
  if ((named & ~((1 << kResponseColorCount) - 1)) != 0) std::abort();

  const std::string text = FormatScheme(colors);
  std::FILE* again = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  if (again == nullptr) return 0;
  ResponseColors back{};
  if (ReadScheme(again, &back) != (1 << kResponseColorCount) - 1 || back != colors) std::abort();
  std::fclose(again);
  return 0;
}
