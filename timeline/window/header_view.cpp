// The engine's view as the header strip shows it: the cursor's strip on
// the ruler and the selection row, the time display, the marks on the
// ruler and the range.
#include "timeline/header/cur_time_text.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/sel_size_text.h"
#include "timeline/header/sel_start_text.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/selection_text.h"
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
  InvalidateWhole(selectionLine_);
  InvalidateWhole(overview_);
}

void MainTimeLineWindow::ShowSelectionTexts(int32_t, int32_t, bool) {
  InvalidateWhole(selStartText_);
  InvalidateWhole(selSizeText_);
  InvalidateWhole(selectionText_);
}
