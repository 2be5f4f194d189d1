// The engine's view as the header strip shows it: the cursor's strip on
// the ruler, the selection row and the overview, the time display, the
// marks on the ruler, the range and its texts, and the snapping of times.
#include "timeline/header/cur_time_text.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/sel_size_text.h"
#include "timeline/header/sel_start_text.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/selection_text.h"
#include "timeline/header/snap_to_edge.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

void InvalidateColumns(TWindow* w, int32_t x0, int32_t x1) {
  if (w == nullptr || !w->IsWindow() || x1 < x0) return;
  TRect r = w->GetClientRect();
  r.left = x0;
  r.right = x1 + 1;
  w->InvalidateRect(r, false);
}

void InvalidateWhole(TWindow* w) {
  if (w != nullptr && w->IsWindow()) w->Invalidate(false);
}

}  // namespace

void MainTimeLineWindow::InvalidateCursorStrip(int32_t x0, int32_t x1, bool onLines) {
  InvalidateColumns(timeCode_, x0, x1);
  InvalidateColumns(selectionLine_, x0, x1);
  // The engine asks before and after the cursor moves: the overview's
  // column follows it each time.
  if (overview_ != nullptr) overview_->InvalidateAt(engine_.cursor);
  if (!onLines) return;
  for (TWindow* line : {static_cast<TWindow*>(vfxLine_), static_cast<TWindow*>(videoLine_),
                        static_cast<TWindow*>(midiLine_), static_cast<TWindow*>(audioLines_)}) {
    InvalidateColumns(line, x0, x1);
  }
}

void MainTimeLineWindow::InvalidateTimeDisplay() {
  InvalidateWhole(curTimeText_);
}

void MainTimeLineWindow::InvalidateRuler() {
  InvalidateWhole(timeCode_);
}

void MainTimeLineWindow::SelectionRangeChanged() {
  if (selectionLine_ != nullptr) selectionLine_->RangeChanged();
  InvalidateWhole(overview_);
}

void MainTimeLineWindow::ShowSelectionTexts(int32_t start, int32_t size, bool active) {
  if (selStartText_ != nullptr) {
    selStartText_->SetHighlight(active);
    selStartText_->SetValue(start);
  }
  if (selSizeText_ != nullptr) {
    selSizeText_->SetHighlight(active);
    selSizeText_->SetValue(size);
  }
  if (selectionText_ != nullptr) selectionText_->SetHighlight(active);
  InvalidateWhole(selectionText_);
  InvalidateWhole(overview_);
}

int32_t MainTimeLineWindow::SnapToNearestEdge(int32_t& time, int32_t filter) {
  return ::SnapToNearestEdge(engine_, time, filter);
}
