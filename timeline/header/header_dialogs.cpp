#include "timeline/header/header_dialogs.h"

#include "ui/value_dialogs.h"

namespace {

HeaderDialogs g_none;
HeaderDialogs* g_current = &g_none;

}  // namespace

bool HeaderDialogs::AskTime(HWND parent, const char* title, int32_t& time, int32_t lo, int32_t hi) {
  return RunTimeCodeDialog(parent, title, &time, lo, hi);
}

bool HeaderDialogs::AskName(HWND parent, const char* title, char* name, int size) {
  return RunNameDialog(parent, title, name, size);
}

HeaderDialogs* SetHeaderDialogs(HeaderDialogs* dialogs) {
  HeaderDialogs* before = g_current == &g_none ? nullptr : g_current;
  g_current = dialogs != nullptr ? dialogs : &g_none;
  return before;
}

HeaderDialogs& CurrentHeaderDialogs() {
  return *g_current;
}
