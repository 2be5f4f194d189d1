// The View menu's commands of the time-line.
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ViewCommandEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmShowAudioMeter, CmShowAudioMeter),
  };
  return entries;
}

// The audio meter window.
void MainTimeLineWindow::CmShowAudioMeter() {}

void MainTimeLineWindow::ShowMidiLine() {}
