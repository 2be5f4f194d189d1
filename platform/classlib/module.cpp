#include "platform/classlib/module.h"

std::string TModule::LoadString(UINT id) const {
  char buffer[1024];
  const int n = ::LoadString(Instance, id, buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

TModule& ProgramModule() {
  static TModule* module = new TModule("kobrix");
  return *module;
}
