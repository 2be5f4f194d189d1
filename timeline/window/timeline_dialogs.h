// The modal dialogs the time-line's header panels and its "Set Size" button
// run: the effect-list editor of a line and the project limits. "Set Size"
// is the program's own dialog; the effect-list editor is installed by the
// program once it exists, and until then counts as cancelled. Tests script
// the answers.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class EffectList;

// What "Set Size" shows and, on OK, what the user chose.
struct ProjectSizeRequest {
  int32_t length = 0;      // ms
  int32_t audioLines = 1;  // 1..4
  int32_t latestEnd = 0;   // the length may not go below it
  int32_t viewStart = 0;   // the visible range
  int32_t viewEnd = 0;
  int32_t rangeStart = 0;  // the selection range; both 0 when there is none
  int32_t rangeEnd = 0;
};

class TimeLineDialogs {
 public:
  virtual ~TimeLineDialogs() = default;
  // Brings the effect-list editor of audio line row to the front when one
  // is open; false when none is.
  virtual bool ActivateLineEffects(int32_t row);
  // Runs the effect-list editor over list for audio line row; true on OK.
  virtual bool EditLineEffects(HWND parent, EffectList* list, int32_t row);
  // "Set Size" (SelViewDialog): true on OK with the values chosen.
  virtual bool AskProjectSize(HWND parent, ProjectSizeRequest& values);
};

// Installs dialogs (null: none); returns the ones before.
TimeLineDialogs* SetTimeLineDialogs(TimeLineDialogs* dialogs);
TimeLineDialogs& CurrentTimeLineDialogs();
