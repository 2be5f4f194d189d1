// The time-line window's own input: its scroll bars, the rubber band over
// the lines, clicks on the play-cursor line, the range typed in, and the
// clips whose redraw waits for an idle moment.
#include <algorithm>

#include "timeline/header/av_buttons.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& MainTimeLineWindow::InputEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_HSCROLL,
      EV_WM_VSCROLL,
  };
  return entries;
}

void MainTimeLineWindow::EvHScroll(UINT code, UINT pos, HWND) {
  const int64_t step = engine_.ScrollStep();
  int64_t origin = engine_.origin;
  switch (code) {
    case SB_LINELEFT:
      origin -= step;
      break;
    case SB_LINERIGHT:
      origin += step;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      origin = static_cast<int64_t>(static_cast<int16_t>(pos)) * step;
      break;
    default:
      return;
  }
  engine_.origin = static_cast<int32_t>(std::clamp<int64_t>(origin, 0, engine_.length));
  engine_.UpdateScrollRange();
}

void MainTimeLineWindow::EvVScroll(UINT code, UINT pos, HWND) {
  int min = 0, max = 0;
  vScroll_->GetRange(min, max);
  int32_t first = engine_.audioPanel.firstShown;
  switch (code) {
    case SB_LINEUP:
      --first;
      break;
    case SB_LINEDOWN:
      ++first;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      first = static_cast<int32_t>(static_cast<int16_t>(pos));
      break;
    default:
      return;
  }
  first = std::clamp<int32_t>(first, 0, std::max(max, 0));
  if (first == engine_.audioPanel.firstShown) return;
  engine_.audioPanel.firstShown = first;
  engine_.audioPanel.Layout(engine_.rowGap);
  vScroll_->SetPosition(first);
  if (audioLines_->IsWindow()) audioLines_->Invalidate(false);
  if (audioHeader_->IsWindow()) audioHeader_->Invalidate(false);
}

void MainTimeLineWindow::BeginRubberBand(int, int) {}

void MainTimeLineWindow::RouteRangeClick(bool, int, int) {}

void MainTimeLineWindow::CmSelectionTime() {}

bool MainTimeLineWindow::DrawPendingClip() {
  return false;
}

// The line windows' drags own the auto-scroll; until one asks for it, a
// tick while not playing has nothing to move.
void MainTimeLineWindow::AutoScrollStep() {}
