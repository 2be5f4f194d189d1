#include "timeline/header/header_dialogs.h"

namespace {

HeaderDialogs g_none;
HeaderDialogs* g_current = &g_none;

}  // namespace

bool HeaderDialogs::AskTime(HWND, const char*, int32_t&, int32_t, int32_t) {
  return false;
}

bool HeaderDialogs::AskName(HWND, const char*, char*, int) {
  return false;
}

HeaderDialogs* SetHeaderDialogs(HeaderDialogs* dialogs) {
  HeaderDialogs* before = g_current == &g_none ? nullptr : g_current;
  g_current = dialogs != nullptr ? dialogs : &g_none;
  return before;
}

HeaderDialogs& CurrentHeaderDialogs() {
  return *g_current;
}
