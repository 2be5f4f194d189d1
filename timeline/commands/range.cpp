// The Range menu: the view zoomed to the range or to the whole project, the
// range set to the extent of the clips, the commands' enablers and the
// range asked of the user. Copy, cut and clear are in range_remove.cpp.
#include "model/film.h"
#include "ui/film_edit_dialog.h"
#include "ui/value_dialogs.h"
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::RangeEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmZoomToProject, CmZoomToProject),
      EV_COMMAND(kCmZoomInRange, CmZoomInRange),
      EV_COMMAND(kCmIncludeAllClips, CmIncludeAllClips),
      EV_COMMAND(kCmRangeCopyAll, CmCopyRangeAll),
      EV_COMMAND(kCmRangeCopyActive, CmCopyRangeActive),
      EV_COMMAND(kCmRangeCutAll, CmCutRangeAll),
      EV_COMMAND(kCmRangeCutActive, CmCutRangeActive),
      EV_COMMAND(kCmRangeClearAll, CmClearRangeAll),
      EV_COMMAND(kCmRangeClearActive, CmClearRangeActive),
      EV_COMMAND_ENABLE(kCmZoomInRange, CeZoomInRange),
      EV_COMMAND_ENABLE(kCmIncludeAllClips, CeIncludeAllClips),
      EV_COMMAND_ENABLE(kCmRangeCopy, CeRangeAllTracks),
      EV_COMMAND_ENABLE(kCmRangeCopyAll, CeRangeAllTracks),
      EV_COMMAND_ENABLE(kCmRangeCut, CeRangeAllTracks),
      EV_COMMAND_ENABLE(kCmRangeCutAll, CeRangeAllTracks),
      EV_COMMAND_ENABLE(kCmRangeClear, CeRangeAllTracks),
      EV_COMMAND_ENABLE(kCmRangeClearAll, CeRangeAllTracks),
      EV_COMMAND_ENABLE(kCmRangeCopyActive, CeRangeActiveTracks),
      EV_COMMAND_ENABLE(kCmRangeCutActive, CeRangeActiveTracks),
      EV_COMMAND_ENABLE(kCmRangeClearActive, CeRangeActiveTracks),
      EV_COMMAND_ENABLE(kCmRangeUnused, CeRangeDisabled),
      EV_COMMAND_ENABLE(kCmRangeUnusedToo, CeRangeDisabled),
  };
  return entries;
}

// The "Time Range" dialog; until it exists the range counts as cancelled.
bool MainTimeLineWindow::AskTimeRange(const char* caption, int32_t lo, int32_t hi, int32_t& start, int32_t& end) {
  return RunTimeFragmentDialog(Handle(), caption, &start, &end, lo, hi);
}

bool MainTimeLineWindow::RunLoopDialog(int32_t& pause, int32_t clipLength, int32_t& count, int32_t longestTotal) {
  return ::RunLoopDialog(Handle(), &pause, clipLength, &count, longestTotal);
}

bool MainTimeLineWindow::RunFilmEditDialog(Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame) {
  return ::RunFilmEditDialog(Handle(), film, earliestStart, latestEnd, showFrame, &engine_.Players());
}

void MainTimeLineWindow::CmZoomToProject() {
  engine_.MarkUndo(kUndoEdit);
  engine_.ZoomToRange(0, engine_.length);
}

void MainTimeLineWindow::CmZoomInRange() {
  int32_t start = 0, end = 0;
  if (!engine_.GetMarkRange(start, end)) return;
  engine_.MarkUndo(kUndoEdit);
  engine_.ZoomToRange(start, end);
}

void MainTimeLineWindow::CmIncludeAllClips() {
  int32_t start = 0, end = 0;
  if (!engine_.GetActiveExtent(start, end, kRequestVideo | kRequestAudio | kRequestMidi)) start = end = 0;
  engine_.SetMarkRange(start, end);
}

bool MainTimeLineWindow::RangeHasClips() {
  int32_t start = 0, end = 0;
  if (engine_.playing || !engine_.GetMarkRange(start, end)) return false;
  if (Film::AnyOverlapping(start, end, kKindMidi, 0)) return true;
  for (int32_t row = 0; row < 2; ++row) {
    if (Film::AnyOverlapping(start, end, kKindVideo, row)) return true;
  }
  for (int32_t line = 0; line < engine_.audioLineCount; ++line) {
    if (Film::AnyOverlapping(start, end, kKindAudio, line)) return true;
  }
  return false;
}

bool MainTimeLineWindow::RangeHasClipsOnActiveLines() {
  int32_t start = 0, end = 0;
  if (engine_.playing || !engine_.GetMarkRange(start, end)) return false;
  bool rows[2], midi, lines[4];
  const int32_t parts =
      engine_.GetRangeOfLines(rows, midi, lines, start, end, kRequestVideo | kRequestAudio | kRequestMidi);
  return ((parts & kKindVideo) && (rows[0] || rows[1])) || ((parts & kKindMidi) && midi) ||
         ((parts & kKindAudio) && (lines[0] || lines[1] || lines[2] || lines[3]));
}

void MainTimeLineWindow::CeZoomInRange(TCommandEnabler& ce) {
  ce.Enable(engine_.selStart < engine_.selEnd);
}

void MainTimeLineWindow::CeIncludeAllClips(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing);
}

void MainTimeLineWindow::CeRangeAllTracks(TCommandEnabler& ce) {
  ce.Enable(RangeHasClips());
}

void MainTimeLineWindow::CeRangeActiveTracks(TCommandEnabler& ce) {
  ce.Enable(RangeHasClipsOnActiveLines());
}

void MainTimeLineWindow::CeRangeDisabled(TCommandEnabler& ce) {
  ce.Enable(false);
}
