// Delete, Cut, Copy and Paste of the selected clips and of single clips,
// through the clip clipboard.
#include "model/film_list.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ClipEditEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

bool MainTimeLineWindow::CanPaste() {
  return !ClipClipboard.Empty() && !engine_.playing;
}

void MainTimeLineWindow::CmDelete() {}

void MainTimeLineWindow::CmCut() {}

void MainTimeLineWindow::CmCopy() {}

void MainTimeLineWindow::CutClipToClipboard(Film*) {}

void MainTimeLineWindow::CopyClipToClipboard(Film*) {}
