// The value dialogs the header strip and the header panels ask: a time
// ("Set Current Time", "Mark Position") and a mark's or a line's name, in
// the program's time-code and name dialogs. Tests script the answers.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class HeaderDialogs {
 public:
  virtual ~HeaderDialogs() = default;
  // The time dialog titled title over time, limited to [lo, hi]; true on OK
  // with the time chosen.
  virtual bool AskTime(HWND parent, const char* title, int32_t& time, int32_t lo, int32_t hi);
  // The name dialog titled title over name (size bytes, kept terminated);
  // true on OK with the name typed.
  virtual bool AskName(HWND parent, const char* title, char* name, int size);
};

// Installs dialogs (null: none); returns the one before.
HeaderDialogs* SetHeaderDialogs(HeaderDialogs* dialogs);
HeaderDialogs& CurrentHeaderDialogs();
