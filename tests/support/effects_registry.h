// The build's registry entries for our effect components, each module named
// by its path in the build folder (the test programs do not lie beside the
// modules). For the test programs that know where the build put them
// (KOBRIX_EFFECTS_REGISTRY, KOBRIX_EFFECT_MODULE_DIR).
#pragma once

#include <string>

#include "support/file_bytes.h"

inline std::string BuildEffectsRegistryText() {
  std::string s = ReadFileText(KOBRIX_EFFECTS_REGISTRY);
  const std::string prefix = std::string("@=\"") + KOBRIX_EFFECT_MODULE_DIR + "/";
  for (std::size_t at = 0; (at = s.find("@=\"KX", at)) != std::string::npos; at += prefix.size())
    s.replace(at, 3, prefix);
  return s;
}
