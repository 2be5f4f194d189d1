// The range asked of the user.
#include "timeline/window/main_timeline_window.h"

// The "Time Range" dialog; until it exists the range counts as cancelled.
bool MainTimeLineWindow::AskTimeRange(const char*, int32_t, int32_t, int32_t&, int32_t&) {
  return false;
}

void MainTimeLineWindow::CmIncludeAllClips() {}
