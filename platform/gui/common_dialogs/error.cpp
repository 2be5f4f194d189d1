#include "platform/gui/common_dialogs.h"
#include "platform/gui/common_dialogs/common_dialogs_internal.h"

namespace {
thread_local DWORD t_error = 0;
}  // namespace

void SetCommDlgError(DWORD error) {
  t_error = error;
}

DWORD CommDlgExtendedError() {
  return t_error;
}
