// Source files added to the time-line as clips.
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::AddMediaEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

void MainTimeLineWindow::AddSourceFileOfKind(int32_t) {}
