#include "timeline/commands/command_host.h"

namespace {

CommandHost g_defaults;
CommandHost* g_host = nullptr;

}  // namespace

CommandHost* SetCommandHost(CommandHost* host) {
  CommandHost* before = g_host;
  g_host = host;
  return before;
}

CommandHost& CurrentCommandHost() {
  return g_host != nullptr ? *g_host : g_defaults;
}
