// Playing the project: ranges played on request of the lines and the
// header controls.
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::TransportEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_TIMER,
  };
  return entries;
}

void MainTimeLineWindow::PlayOnce(int32_t start, int32_t end) {
  engine_.play.loopsRemaining = 1;
  engine_.StartPlayRange(start, end, false, false);
}

void MainTimeLineWindow::EvTimer(UINT id) {
  if (id == 1 && !engine_.playing) AutoScrollStep();
}
