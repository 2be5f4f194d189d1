// The drawing objects the time-line window holds (drawing.cpp makes them).
#pragma once

#include <iterator>

#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace timeline_drawing {

constexpr int kCursorIds[] = {
    kCursorTrimStart,     kCursorTrimEnd,    kCursorClipBody,      kCursorMoveClips,
    kCursorPlaying,       kCursorNoDrop,     kCursorKeyPoint,      kCursorFlatSegment,
    kCursorSlopedSegment, kCursorRubberBand, kCursorDropShortened, kCursorDropFits,
    kCursorClipMark,      kCursorTimeLine,   kCursorInsert,        kCursorEffects};
constexpr int kCursorCount = static_cast<int>(std::size(kCursorIds));

}  // namespace timeline_drawing

struct MainTimeLineWindow::DrawingObjects {
  HBRUSH brushes[kTimeLineColorCount] = {};
  HPEN pens[kTimeLineColorCount] = {};
  HCURSOR arrow = nullptr;
  HCURSOR wait = nullptr;
  HCURSOR cursors[timeline_drawing::kCursorCount] = {};
};
