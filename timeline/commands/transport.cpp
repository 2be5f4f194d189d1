// Playing the project: ranges played on request of the lines and the
// header controls.
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::TransportEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

void MainTimeLineWindow::PlayOnce(int32_t start, int32_t end) {
  engine_.play.loopsRemaining = 1;
  engine_.StartPlayRange(start, end, false, false);
}
