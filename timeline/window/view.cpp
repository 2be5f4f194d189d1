// What the engine asks of its view: redraws of the lines' strips, the
// scroll bar and the zoom list it keeps in step, the header rows it moved
// and the frame's height it needs.
#include <algorithm>

#include "model/time_code.h"
#include "platform/classlib/frame.h"
#include "timeline/commands/command_host.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/scale_list.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/commands/command_host.h"

namespace {

void InvalidateWindow(TWindow* w, bool erase = false) {
  if (w != nullptr && w->IsWindow()) w->Invalidate(erase);
}

// Pixels x0..x1 of a line window, over its whole height or one row.
void InvalidateRows(TWindow* line, int32_t x0, int32_t x1, const TrackRecord* row) {
  if (line == nullptr || !line->IsWindow() || x1 < x0) return;
  TRect r = line->GetClientRect();
  r.left = x0;
  r.right = x1 + 1;
  if (row != nullptr) {
    r.top = row->top;
    r.bottom = row->bottom + 1;
  }
  line->InvalidateRect(r, false);
}

const TrackRecord* RowOf(const TrackPanel& panel, int32_t line) {
  return line >= 0 && line < panel.rowCount ? &panel[line] : nullptr;
}

}  // namespace

void MainTimeLineWindow::InvalidateStrip(int32_t kind, int32_t line, int32_t x0, int32_t x1) {
  switch (kind) {
    case kLineVideo:
      if (const TrackRecord* row = RowOf(engine_.videoPanel, line)) InvalidateRows(videoLine_, x0, x1, row);
      break;
    case kLineAudio:
      if (const TrackRecord* row = RowOf(engine_.audioPanel, line)) InvalidateRows(audioLines_, x0, x1, row);
      break;
    case kLineVfx:
      InvalidateRows(vfxLine_, x0, x1, nullptr);
      break;
    case kLineMidi:
      InvalidateRows(midiLine_, x0, x1, nullptr);
      break;
  }
}

void MainTimeLineWindow::InvalidateLine(int32_t kind, int32_t line) {
  InvalidateStrip(kind, line, INT32_MIN / 2, INT32_MAX / 2);
}

void MainTimeLineWindow::InvalidateLines() {
  for (TWindow* w : {static_cast<TWindow*>(videoLine_), static_cast<TWindow*>(vfxLine_),
                     static_cast<TWindow*>(midiLine_), static_cast<TWindow*>(audioLines_),
                     static_cast<TWindow*>(vfxHeader_), static_cast<TWindow*>(videoHeader_),
                     static_cast<TWindow*>(midiHeader_), static_cast<TWindow*>(audioHeader_),
                     static_cast<TWindow*>(timeCode_), static_cast<TWindow*>(curTimeText_)}) {
    InvalidateWindow(w);
  }
}

void MainTimeLineWindow::InvalidateAll() {
  InvalidateWindow(this);
  for (TWindow* child : Children()) InvalidateWindow(child);
}

void MainTimeLineWindow::InvalidateHeaders(int32_t kinds) {
  if (kinds & kLineVfx) InvalidateWindow(vfxHeader_);
  if (kinds & kLineVideo) InvalidateWindow(videoHeader_);
  if (kinds & kLineMidi) InvalidateWindow(midiHeader_);
  if (kinds & kLineAudio) InvalidateWindow(audioHeader_);
}

void MainTimeLineWindow::UpdateLines() {
  for (TWindow* child : Children()) {
    if (child->IsWindow()) child->UpdateWindow();
  }
}

void MainTimeLineWindow::SetScrollBar(bool enabled, int32_t max, int32_t page, int32_t position) {
  hScroll_->SetRange(0, enabled ? max : 0);
  hScroll_->PageMagnitude = std::max(page, 1);
  hScroll_->SetPosition(enabled ? position : 0);
  if (hScroll_->IsWindow()) hScroll_->EnableWindow(enabled);
}

void MainTimeLineWindow::FillScaleList() {
  scaleList_->Fill(ProjectFrameRate());
}

void MainTimeLineWindow::SetScaleRange(int32_t minimum, int32_t maximum) {
  scaleList_->SetRange(minimum, maximum);
}

int32_t MainTimeLineWindow::SelectScale(int32_t scale) {
  return scaleList_->SelectScale(scale, rulerSubdivisions_);
}

void MainTimeLineWindow::LayoutHeaders() {
  PlaceRows();
  // An undo may have brought another first audio line back.
  if (vScroll_ != nullptr && vScroll_->IsWindow()) vScroll_->SetPosition(engine_.audioPanel.firstShown);
  // The overview shares its height among the lines.
  if (IsWindow()) PlaceHeaderBoxes();
  InvalidateHeaders(kLineVideo | kLineAudio | kLineMidi | kLineVfx);
  InvalidateLines();
}

void MainTimeLineWindow::UpdateFrameLayout(int32_t extraHeight) {
  HWND frame = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  if (frame == nullptr || frame == HWindow) return;
  if (extraHeight == 0 || IsZoomed(frame)) {
    // Nothing for the frame to give: lay out within what there is.
    PlaceHeaderBoxes();
    LayoutToClient();
    engine_.ZoomChanged(true);
    return;
  }
  RECT outer;
  ::GetWindowRect(frame, &outer);
  const int height = std::max(1, static_cast<int>(outer.bottom - outer.top) + extraHeight);
  ::SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainTimeLineWindow::ScrollAudioLinesTo(int32_t line) {
  EvVScroll(SB_THUMBPOSITION, static_cast<UINT>(std::max(line, 0)), vScroll_->GetHandle());
}

int32_t MainTimeLineWindow::AudioAreaExtent() {
  return audioLines_->Attr.Y + audioLines_->Attr.H;
}

// The project frame shows the flag in its caption.
void MainTimeLineWindow::ShowModified(bool modified) {
  if (auto* frame = dynamic_cast<ProjectFrameView*>(Parent)) frame->ShowProjectModified(modified);
}

void MainTimeLineWindow::ShowStatusText(const char* text) {
  if (auto* frame = dynamic_cast<TDecoratedFrame*>(Parent)) frame->SetHintText(text);
}
