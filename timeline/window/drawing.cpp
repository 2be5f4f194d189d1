// What the time-line draws with: a brush and a pen for each time-line
// colour, made again whenever the colours change, and the cursors of the
// lines and header controls.
#include "timeline/window/timeline_colors.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/hit_zone.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/drawing_objects.h"
#include "timeline/window/main_timeline_window.h"

using timeline_drawing::kCursorCount;
using timeline_drawing::kCursorIds;

void MainTimeLineWindow::LoadCursors() {
  if (!drawing_) drawing_ = std::make_unique<DrawingObjects>();
  drawing_->arrow = LoadCursor(nullptr, IDC_ARROW);
  drawing_->wait = LoadCursor(nullptr, IDC_WAIT);
  for (int i = 0; i < kCursorCount; ++i) {
    drawing_->cursors[i] = LoadCursor(ProgramInstance(), MAKEINTRESOURCE(kCursorIds[i]));
  }
}

HCURSOR MainTimeLineWindow::Cursor(int id) const {
  if (!drawing_) return nullptr;
  for (int i = 0; i < kCursorCount; ++i) {
    if (kCursorIds[i] == id) return drawing_->cursors[i] ? drawing_->cursors[i] : drawing_->arrow;
  }
  return drawing_->arrow;
}

void MainTimeLineWindow::CreateBrushes() {
  DeleteBrushes();
  if (!drawing_) drawing_ = std::make_unique<DrawingObjects>();
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    drawing_->brushes[i] = CreateSolidBrush(TimeLineColors[i]);
    drawing_->pens[i] = CreatePen(PS_SOLID, 1, TimeLineColors[i]);
  }
}

void MainTimeLineWindow::DeleteBrushes() {
  if (!drawing_) return;
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    if (drawing_->brushes[i]) DeleteObject(drawing_->brushes[i]);
    if (drawing_->pens[i]) DeleteObject(drawing_->pens[i]);
    drawing_->brushes[i] = nullptr;
    drawing_->pens[i] = nullptr;
  }
}

HBRUSH MainTimeLineWindow::Brush(int colorIndex) const {
  HBRUSH made = drawing_ && colorIndex >= 0 && colorIndex < kTimeLineColorCount
                    ? drawing_->brushes[colorIndex]
                    : nullptr;
  return made ? made : static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

HPEN MainTimeLineWindow::Pen(int colorIndex) const {
  HPEN made =
      drawing_ && colorIndex >= 0 && colorIndex < kTimeLineColorCount ? drawing_->pens[colorIndex] : nullptr;
  return made ? made : static_cast<HPEN>(GetStockObject(BLACK_PEN));
}

void MainTimeLineWindow::DrawCursorLine(TDC& dc, const TRect& rect) {
  const int32_t x = engine_.PosToPixelUnclamped(engine_.cursor);
  if (x < 0 || x > engine_.width) return;
  dc.SelectObject(Pen(kColorCurTime));
  dc.MoveTo(x, rect.top);
  dc.LineTo(x, rect.bottom);
  dc.RestoreObjects();
}

void MainTimeLineWindow::SetCursorShape(HCURSOR cursor) {
  const auto set = [cursor](TWindow* w) {
    if (w != nullptr && w->IsWindow())
      SetClassLongPtr(w->GetHandle(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  };
  videoLine_->hitZone = kNoHitZone;
  vfxLine_->hitZone = kNoHitZone;
  midiLine_->hitZone = kNoHitZone;
  audioLines_->hitZone = kNoHitZone;
  for (TWindow* line : {static_cast<TWindow*>(videoLine_), static_cast<TWindow*>(vfxLine_),
                        static_cast<TWindow*>(midiLine_), static_cast<TWindow*>(audioLines_)}) {
    set(line);
  }
  // While playing, the header buttons stay at hand when mute and solo can
  // still change what is heard.
  const bool headersAtHand = engine_.play.realtimeMute && !engine_.play.audioThroughFile;
  if (cursor == Cursor(0) || !headersAtHand) {
    for (TAVButtons* header : {vfxHeader_, videoHeader_, midiHeader_, audioHeader_}) set(header);
  }
}

void MainTimeLineWindow::SetPlayCursorShape(bool playing) {
  SetCursorShape(playing ? Cursor(kCursorPlaying) : Cursor(0));
}

