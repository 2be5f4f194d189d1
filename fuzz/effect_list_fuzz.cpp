// The effect-list file reader on arbitrary bytes: the list body, the effect
// blocks and the installed-component list give error codes, never a fault.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/effect_list.h"
#include "audio/effect_list_file.h"
#include "audio/installed_components.h"

namespace {

std::string FuzzPath() {
  const char* base = std::getenv("TMPDIR");
  return std::string(base != nullptr && *base ? base : "/tmp") + "/effect_list_fuzz." +
         std::to_string(getpid()) + ".fxl";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  HMMIO file = mmioOpen(const_cast<char*>(path.c_str()), nullptr, MMIO_READ);
  if (file == nullptr) return 0;
  EffectList* list = nullptr;
  ComObjectEntry* missing = nullptr;
  EffectList::ReadFile(file, &list, &missing);
  // The body alone, as the project file embeds it.
  mmioSeek(file, 0, SEEK_SET);
  int error = 0;
  EffectList* body = EffectList::Read(file, static_cast<LONG>(size), &error);
  mmioClose(file, 0);
  if (list != nullptr) list->Release();
  if (body != nullptr) body->Release();
  FreeComponentList(missing);
  return 0;
}
