// What the choosers share.
#pragma once

#include "platform/core/types.h"

// Records the error CommDlgExtendedError reports on this thread (0: none).
void SetCommDlgError(DWORD error);
