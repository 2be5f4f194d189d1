// The project's own commands: its master effects.
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ProjectEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

void MainTimeLineWindow::CmMasterEffects() {}

void MainTimeLineWindow::CmUseMasterEffects() {}
