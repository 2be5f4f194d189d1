// The colour-scheme reader on arbitrary text: it never reads past the text,
// and a scheme it reads whole writes out and reads back to the same colours.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/error_codes.h"
#include "timeline/window/timeline_colors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::array<COLORREF, kTimeLineColorCount> colors{};
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ReadColorScheme(text, colors) != kErrOk) return 0;
  std::array<COLORREF, kTimeLineColorCount> back{};
  if (ReadColorScheme(WriteColorScheme(colors), back) != kErrOk || back != colors) {
    std::fprintf(stderr, "a scheme read whole does not read back\n");
    std::abort();
  }
  return 0;
}
