#include "timeline/header/selection_line.h"

#include <algorithm>
#include <cstdlib>

#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/classlib/menu.h"
#include "resources/timeline_ids.h"
#include "resources/timeline_strip_ids.h"
#include "timeline/header/snap_to_edge.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"
#include "ui/control_brushes.h"
#include "ui/level_control.h"

namespace {

// The project frame's fifth menu is the Range menu.
constexpr int kRangeMenuPosition = 4;

// The level meter's band of a level: below its first threshold the first.
int BandOf(int32_t level) {
  const int32_t* thresholds = TLevelControl::Settings().thresholds;
  int band = 0;
  while (band < 4 && level >= thresholds[band]) ++band;
  return band;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TSelectionLine, TimeLineChild)
  EV_WM_LBUTTONDOWN,
  EV_WM_LBUTTONUP,
  EV_WM_MOUSEMOVE,
  EV_WM_LBUTTONDBLCLK,
  EV_WM_RBUTTONDOWN,
  EV_WM_TIMER,
END_RESPONSE_TABLE;
// clang-format on

TSelectionLine::TSelectionLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "SelectionLine", x, y, w, h), edgeScroll_(*this, *timeline) {}

const char* TSelectionLine::GetClassName() {
  return "SelectionLine";
}

// ---- Painting.

void TSelectionLine::Paint(TDC& dc, bool, TRect& rect) {
  TimeLineEngine& e = timeline_.Engine();
  TRect u = rect;
  const int xEnd = e.PosToPixel(e.length) + 1;
  if (xEnd < u.right) {
    dc.FillRect(TRect(xEnd, u.top, u.right, u.bottom), static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    dc.MoveTo(xEnd, u.top);
    dc.LineTo(xEnd, u.bottom);
    u.left = 0;
    u.right = xEnd;
  }
  ::ExtTextOut(dc, u.left, u.top, ETO_OPAQUE, &u, "", 0, nullptr);

  if (e.selStart < e.selEnd) {
    const int x1 = std::max(e.PosToPixel(e.selStart), static_cast<int>(u.left));
    const int x2 = std::min(e.PosToPixel(e.selEnd) + 1, static_cast<int>(u.right));
    if (x1 < x2) {
      const TRect rows(x1, u.top, x2, u.bottom);
      if (levels_.size() >= 2) {
        PaintLevels(dc, x1, x2, rows);
      } else {
        dc.FillRect(rows, timeline_.Brush(kColorSelection));
      }
    }
  }
  timeline_.DrawCursorLine(dc, GetClientRect());
}

// Each column shows the loudest of the levels it covers; neighbouring columns
// of one colour are filled as one.
void TSelectionLine::PaintLevels(TDC& dc, int x1, int x2, const TRect& rows) {
  TimeLineEngine& e = timeline_.Engine();
  const int64_t n = static_cast<int64_t>(levels_.size());
  const double span = static_cast<double>(e.selEnd) - e.selStart;
  const double k = static_cast<double>(n) * std::max(e.scale, 1) / (span * std::max(e.factor, 1));
  // Counted from where the range starts, also when that is out of view.
  const int xStart = e.PosToPixelUnclamped(e.selStart);

  auto bandAt = [&](int x) {
    int64_t first = static_cast<int64_t>((x - xStart) * k);
    int64_t last = static_cast<int64_t>((x + 1 - xStart) * k);
    first = std::clamp<int64_t>(first, 0, n - 1);
    last = std::clamp<int64_t>(std::max(last, first + 1), first + 1, n);
    int32_t loudest = levels_[first];
    for (int64_t i = first + 1; i < last; ++i) loudest = std::max<int32_t>(loudest, levels_[i]);
    return BandOf(loudest);
  };

  int runStart = x1;
  int runBand = bandAt(x1);
  for (int x = x1 + 1; x <= x2; ++x) {
    const int band = x < x2 ? bandAt(x) : -1;
    if (band == runBand) continue;
    dc.FillRect(TRect(runStart, rows.top, x, rows.bottom), BrightBandBrush(runBand));
    runStart = x;
    runBand = band;
  }
}

// ---- Dragging a range.

int32_t TSelectionLine::TimeAt(int x) {
  TimeLineEngine& e = timeline_.Engine();
  return e.SnapToFrame(e.PixelToPos(x));
}

void TSelectionLine::SetCursorKind(int kind) {
  cursorKind_ = kind;
  strip::SetClassCursor(*this, timeline_.Cursor(kind == kDragging ? kCursorTimeLine : 0));
}

void TSelectionLine::ShowRange() {
  Invalidate(false);
  UpdateWindow();
  timeline_.Engine().UpdateMarkRange();
}

void TSelectionLine::RangeChanged() {
  if (dragState_ != 0 && GetCapture() == HWindow) ReleaseCapture();
  edgeScroll_.Stop();
  dragState_ = 0;
  levels_.clear();
  if (IsWindow()) Invalidate(false);
}

void TSelectionLine::BeginRangeDrag(int x) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragState_ != 0) return;
  SetCursorKind(kDragging);
  levels_.clear();
  const int32_t t = TimeAt(x);
  dragState_ = 1;
  e.selStart = e.selEnd = t;
  moveCursor_ = !timeline_.Settings().dontChangeCurTime;
  if (moveCursor_) {
    e.SetPlayCursor(t, e.previewVideo, HWindow);
    e.UpdateLines();
  }
  ShowRange();
  ::SetCapture(HWindow);
}

void TSelectionLine::EvLButtonDown(UINT modKeys, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragState_ != 0) return;
  levels_.clear();
  const int32_t t = TimeAt(point.x);
  if ((modKeys & MK_SHIFT) && e.selStart < e.selEnd) {
    // The nearer edge follows; half-way it is the end.
    if (std::llabs(int64_t{e.selEnd} - t) <= std::llabs(int64_t{e.selStart} - t)) {
      e.selEnd = t;
      dragState_ = 1;
    } else {
      e.selStart = t;
      dragState_ = -1;
    }
  } else {
    dragState_ = 1;
    e.selStart = e.selEnd = t;
  }
  ShowRange();
  const bool keepCursor = timeline_.Settings().dontChangeCurTime;
  moveCursor_ = !keepCursor;
  if (e.previewVideo && !keepCursor) e.PreviewFrameAt(t, HWindow);
  ::SetCapture(HWindow);
}

void TSelectionLine::EvMouseMove(UINT modKeys, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) return;
  if (dragState_ == 0) {
    SetCursorKind(kArrow);
    timeline_.ShowStatusText("");
    return;
  }
  if (!(modKeys & MK_LBUTTON)) {
    EvLButtonUp(modKeys, point);
    return;
  }
  int32_t t = TimeAt(point.x);
  SnapToNearestEdge(e, t, kSnapAllClips);
  // The edges trade roles rather than let the range turn over.
  if (t < e.selStart) {
    if (dragState_ == 1) {
      e.selEnd = e.selStart;
      dragState_ = -1;
    }
    e.selStart = t;
  } else if (t > e.selEnd) {
    if (dragState_ == -1) {
      e.selStart = e.selEnd;
      dragState_ = 1;
    }
    e.selEnd = t;
  } else if (dragState_ == -1) {
    e.selStart = t;
  } else {
    e.selEnd = t;
  }
  edgeScroll_.Moved(point);
  if (moveCursor_) {
    e.SetPlayCursor(t, false, nullptr);
    e.UpdateLines();
  }
  ShowRange();
  if (e.previewVideo && !timeline_.Settings().dontChangeCurTime) e.PreviewFrameAt(t, nullptr);
}

// The timer scrolls and moves the cursor with the view; the edges follow at
// the next move.
void TSelectionLine::EvTimer(UINT id) {
  if (id != strip::kScrollTimer || dragState_ == 0 || !edgeScroll_.TimerOn()) return;
  edgeScroll_.Tick();
  TimeLineEngine& e = timeline_.Engine();
  TPoint point;
  GetCursorPos(&point);
  ScreenToClient(point);
  int32_t t = TimeAt(point.x);
  SnapToNearestEdge(e, t, kSnapAllClips);
  if (moveCursor_) {
    e.SetPlayCursor(t, false, nullptr);
    e.UpdateLines();
  }
  if (e.previewVideo && !timeline_.Settings().dontChangeCurTime) e.PreviewFrameAt(t, nullptr);
}

void TSelectionLine::EvLButtonUp(UINT, const TPoint&) {
  edgeScroll_.Stop();
  if (dragState_ == 0) return;
  ReleaseCapture();
  dragState_ = 0;
  ShowRange();
  timeline_.SetFocus();
}

void TSelectionLine::EvLButtonDblClk(UINT, const TPoint&) {
  if (dragState_ == 0) timeline_.CmIncludeAllClips();
}

// The Range menu of the project frame, with two items of the range's own
// below it for the time it is open.
void TSelectionLine::EvRButtonDown(UINT, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragState_ != 0) return;
  HWND frame = GetAncestor(HWindow, GA_ROOT);
  HMENU bar = frame != nullptr ? ::GetMenu(frame) : nullptr;
  HMENU range = bar != nullptr ? ::GetSubMenu(bar, kRangeMenuPosition) : nullptr;
  if (range == nullptr) return;
  AppendMenu(range, MF_SEPARATOR, 0, nullptr);
  AppendMenu(range, MF_STRING, strip_command::kNormalizeAudio, GetString(ui_string::kNormalizeAudioItem));
  AppendMenu(range, MF_STRING, strip_command::kCheckOverflow, GetString(ui_string::kCheckOverflowItem));
  TPoint screen = point;
  ClientToScreen(screen);
  TrackPopupMenu(range, TPM_RIGHTBUTTON, screen.x, screen.y, 0, timeline_.GetHandle(), nullptr);
  for (int i = 0; i < 3; ++i)
    RemoveMenu(range, static_cast<UINT>(GetMenuItemCount(range) - 1), MF_BYPOSITION);
}
