// The status-bar hints of the project's master controls and of the
// selection and mark groups, by command number.
#include "platform/gui/resource.h"
#include "resources/timeline_ids.h"

void RegisterProjectCommandHints() {
  const struct {
    int id;
    const char* text;
  } hints[] = {
      {kCmSelectAll, "Selects all clips"},
      {kCmDeselectAll, "Deselects all clips"},
      {kCmInvertSelection, "Inverts selection"},
      {kCmNextMarkGroup, "Activate next group of alignment marks"},
      {kCmNextSelectionGroup, "Activate next group of selected clips"},
      {kCmMasterVolume, "Set master volume & balance for the project (for all audio tracks)"},
      {kCmMasterEffects, "Set master audio effects for the project"},
      {kCmUseMasterEffects, "Use selected master audio effects for the project"},
  };
  for (const auto& hint : hints) RegisterStringResource(hint.id, hint.text);
}
