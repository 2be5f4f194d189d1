// The external programs of the Tools menu and the editors started on a
// clip's file.
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ToolEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

void MainTimeLineWindow::LaunchTool(int, const char*) {}

void MainTimeLineWindow::RebuildToolsMenu() {}
