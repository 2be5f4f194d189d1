// The modal dialogs the time-line's header panels, its "Set Size" button and
// its project commands run: the effect-list editor of a line or the master,
// the project limits, and the list of effect components a loaded project
// misses. "Set Size" and "Open Audio Effects" are the program's own
// dialogs; the effect-list editor is installed by the program once it
// exists, and until then counts as cancelled. Tests script the answers.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class EffectList;
struct ComObjectEntry;

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
  // Brings the effect-list editor of audio line row (-1: the master's) to
  // the front when one is open; false when none is.
  virtual bool ActivateLineEffects(int32_t row);
  // Runs the effect-list editor over list for audio line row (-1: the
  // master's); true on OK.
  virtual bool EditLineEffects(HWND parent, EffectList* list, int32_t row);
  // "Open Audio Effects" (NoFiltersDialog): the components of the list
  // marked missing, which a loaded project needs but this machine lacks.
  virtual void ShowMissingEffects(HWND parent, ComObjectEntry* components);
  // "Set Size" (SelViewDialog): true on OK with the values chosen.
  virtual bool AskProjectSize(HWND parent, ProjectSizeRequest& values);
};

// Installs dialogs (null: none); returns the ones before.
TimeLineDialogs* SetTimeLineDialogs(TimeLineDialogs* dialogs);
TimeLineDialogs& CurrentTimeLineDialogs();
