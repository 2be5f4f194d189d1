#include "timeline/header/full_size_line.h"

#include <algorithm>

#include "model/film.h"
#include "model/film_list.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/timeline_ids.h"
#include "timeline/header/strip_support.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// The frame's edges are this much wider than the view on either side.
constexpr int kMarkSize = 7;
// Within this of an edge the pointer takes the edge.
constexpr int kEdgeGrip = 14;
// A frame this narrow has no inside: left half is the left edge.
constexpr int kNarrowFrame = 3 * kMarkSize;

HBRUSH Black() {
  return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

int ClipColor(const Film& f) {
  if (f.group == SelectionGroup) return kColorSelectedClip;
  return f.group != 0 ? kColorSemiSelectedClip : kColorNonSelectedClip;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TFullSizeLine, TimeLineChild)
  EV_WM_LBUTTONDBLCLK,
  EV_WM_LBUTTONDOWN,
  EV_WM_LBUTTONUP,
  EV_WM_RBUTTONDOWN,
  EV_WM_RBUTTONUP,
  EV_WM_MOUSEMOVE,
END_RESPONSE_TABLE;
// clang-format on

TFullSizeLine::TFullSizeLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "ScriptWindow", x, y, w, h) {
  Attr.Style = WS_CHILD | WS_VISIBLE;
}

const char* TFullSizeLine::GetClassName() {
  return "FullSizeLine";
}

// ---- Strip x and time.

int32_t TFullSizeLine::Length() const {
  return std::max(timeline_.Engine().length, 0);
}

int32_t TFullSizeLine::TimeOfX(int x) {
  const int64_t w = GetClientRect().Width();
  const int64_t l = Length();
  if (x < 1 || w < 1) return 0;
  if (x >= w) return static_cast<int32_t>(l);
  return static_cast<int32_t>((x * l + w / 2) / w);
}

int TFullSizeLine::XOfTime(int32_t t) {
  const int64_t w = GetClientRect().Width();
  const int64_t l = Length();
  if (t < 1) return 0;
  if (t >= l) return static_cast<int>(std::max<int64_t>(w, 0));
  return static_cast<int>((t * w + l / 2) / l);
}

int32_t TFullSizeLine::SnappedTimeOf(int x) {
  return timeline_.Engine().SnapToFrame(TimeOfX(x));
}

int32_t TFullSizeLine::MinimumSpan() const {
  return timeline_.Engine().width / std::max(timeline_.CellWidth(), 1);
}

// ---- Painting.

void TFullSizeLine::PaintRows(TDC& dc, const TRect& client, int top, int rowHeight) {
  const TimeLineEngine& e = timeline_.Engine();
  const int right = client.right - 1;
  HBRUSH background = timeline_.Brush(kColorBackground);
  auto paintRow = [&](int row, auto&& onRow) {
    const int y = top + row * rowHeight;
    const TRect frame(client.left, y, client.right, y + rowHeight + 1);
    dc.FrameRect(frame, Black());
    const int rowTop = y + 1, rowBottom = y + rowHeight;
    if (rowBottom <= rowTop) return;
    int previous = client.left + 1;
    for (const Film* f = FilmList.First(); f != nullptr; f = f->next) {
      if (!onRow(*f)) continue;
      const int x1 = std::clamp(XOfTime(f->start), client.left + 1, right);
      const int x2 = std::clamp(XOfTime(f->end), client.left + 1, right);
      if (x1 > previous) dc.FillRect(TRect(previous, rowTop, x1, rowBottom), background);
      dc.SelectObject(GetStockObject(BLACK_PEN));
      if (x2 - x1 > 1) {
        dc.FillRect(TRect(x1, rowTop, x2, rowBottom), timeline_.Brush(ClipColor(*f)));
        dc.MoveTo(x1, rowTop);
        dc.LineTo(x1, rowBottom);
        dc.MoveTo(x2 - 1, rowTop);
        dc.LineTo(x2 - 1, rowBottom);
      } else {
        dc.MoveTo(x1, rowTop);
        dc.LineTo(x1, rowBottom);
      }
      previous = std::max(previous, std::max(x2, x1 + 1));
    }
    if (previous < right) dc.FillRect(TRect(previous, rowTop, right, rowBottom), background);
  };

  int row = 0;
  for (int32_t videoRow = 0; videoRow < 2; ++videoRow, ++row) {
    paintRow(row, [videoRow](const Film& f) { return f.video != nullptr && f.videoRow == videoRow; });
  }
  paintRow(row++, [](const Film& f) { return f.midi != nullptr; });
  for (int32_t line = 0; line < e.audioLineCount; ++line, ++row) {
    paintRow(row, [line](const Film& f) { return f.audio != nullptr && f.audioLine == line; });
  }
  dc.RestoreObjects();
}

void TFullSizeLine::Paint(TDC& dc, bool, TRect&) {
  TimeLineEngine& e = timeline_.Engine();
  const TRect client = GetClientRect();
  const int h = kTimeLineMargin / 2;
  HBRUSH background = timeline_.Brush(kColorBackground);
  dc.FillRect(client, background);

  // The range band.
  const TRect band(client.left, h, client.right, h + 3);
  dc.FrameRect(band, Black());
  const TRect bandInside(band.left + 1, band.top + 1, band.right - 1, band.bottom - 1);
  int32_t start = 0, end = 0;
  if (e.GetMarkRange(start, end)) {
    const int x1 = std::max(XOfTime(start), static_cast<int>(bandInside.left));
    const int x2 = std::min(XOfTime(end), static_cast<int>(bandInside.right));
    if (x1 < x2)
      dc.FillRect(TRect(x1, bandInside.top, x2, bandInside.bottom), timeline_.Brush(kColorSelection));
  }

  // The lines, each row framed; the rows share their frame lines.
  PaintRows(dc, client, band.bottom - 1, timeline_.OverviewRowHeight());

  // The frame of the view.
  int x1 = 0, x2 = 0;
  if (dragging_) {
    x1 = XOfTime(start_);
    x2 = XOfTime(end_);
  } else {
    x1 = XOfTime(e.PixelToPos(0));
    x2 = XOfTime(e.PixelToPos(e.width));
  }
  for (const TRect& edge : {TRect(client.left, client.top, client.right, client.top + h),
                            TRect(client.left, client.bottom - h, client.right, client.bottom)}) {
    dc.FillRect(edge, background);
    if (x1 < x2) dc.FillRect(TRect(x1, edge.top, x2, edge.bottom), Black());
  }
  dc.FillRect(TRect(x1, client.top, x1 + h, client.bottom), Black());
  dc.FillRect(TRect(x2 - h, client.top, x2, client.bottom), Black());

  // The play cursor.
  const int x = std::min(XOfTime(e.cursor), static_cast<int>(client.right) - 1);
  dc.SelectObject(timeline_.Pen(kColorCurTime));
  dc.MoveTo(x, client.top + h);
  dc.LineTo(x, client.bottom - h);
  dc.RestoreObjects();
}

void TFullSizeLine::InvalidateAt(int32_t t) {
  if (!IsWindow()) return;
  const int x = XOfTime(t);
  TRect column = GetClientRect();
  column.left = x - 1;
  column.right = x + 2;
  InvalidateRect(column, false);
}

// ---- The pointer.

void TFullSizeLine::SetZone(int32_t zone) {
  if (zone == zone_) return;
  zone_ = zone;
  int id = 0;
  switch (zone) {
    case kLeftEdge:
      id = kCursorTrimStart;
      break;
    case kRightEdge:
      id = kCursorTrimEnd;
      break;
    case kInside:
      id = kCursorClipBody;
      break;
    case kMoving:
      id = kCursorMoveClips;
      break;
    case kPlaying:
      id = kCursorPlaying;
      break;
    default:
      break;
  }
  strip::SetClassCursor(*this, timeline_.Cursor(id));
}

int32_t TFullSizeLine::HitTest(UINT modKeys, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  const int left = XOfTime(e.PixelToPos(0)) - kMarkSize;
  const int right = XOfTime(e.PixelToPos(e.width)) + kMarkSize;
  int32_t zone = kNoZone;
  if (modKeys & MK_CONTROL) {
    zone = kNewFrame;
  } else if (point.x < left || point.x > right) {
    zone = kNoZone;
  } else if (right - left > kNarrowFrame) {
    zone = point.x - left < kEdgeGrip ? kLeftEdge : right - point.x < kEdgeGrip ? kRightEdge : kInside;
  } else {
    zone = point.x > (left + right) / 2 ? kRightEdge : kLeftEdge;
  }
  SetZone(zone);
  return zone;
}

void TFullSizeLine::CentreAt(int x) {
  TimeLineEngine& e = timeline_.Engine();
  const int64_t t = e.SnapToFrame(TimeOfX(x));
  const int64_t half = e.PixelsToTime(e.width) / 2;
  const int64_t step = std::max(e.ScrollStep(), 1);
  const int64_t position = std::max<int64_t>((t - half + step / 2) / step, 0);
  timeline_.EvHScroll(SB_THUMBPOSITION, static_cast<UINT>(position), nullptr);
}

void TFullSizeLine::ShowFrameStatus(int32_t start, int32_t end) {
  timeline_.ShowStatusText(FormatText(GetString(ui_string::kStartAndSize), MsToShortTimeCode(start, TRUE),
                                      MsToShortTimeCode(end - start, TRUE))
                               .c_str());
}

void TFullSizeLine::BeginDrag() {
  ::SetCapture(HWindow);
  dragging_ = true;
  minimumSpan_ = MinimumSpan();
  Invalidate(false);
  ShowFrameStatus(start_, end_);
}

void TFullSizeLine::EvLButtonDown(UINT modKeys, const TPoint& point) {
  if (dragging_) return;
  const int32_t zone = HitTest(modKeys, point);
  if (zone == kNoZone) return;
  if (zone == kInside) SetZone(kMoving);
  if (zone == kNewFrame) {
    direction_ = 1;
    start_ = end_ = SnappedTimeOf(point.x);
  } else {
    TimeLineEngine& e = timeline_.Engine();
    direction_ = 0;
    start_ = e.PixelToPos(0);
    end_ = e.PixelToPos(e.width);
    grab_ = SnappedTimeOf(point.x) - start_;
  }
  BeginDrag();
}

void TFullSizeLine::EvRButtonDown(UINT, const TPoint& point) {
  if (dragging_) return;
  SetZone(kNoZone);
  direction_ = 1;
  start_ = end_ = SnappedTimeOf(point.x);
  BeginDrag();
}

void TFullSizeLine::EvMouseMove(UINT modKeys, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  if (!dragging_) {
    if (HitTest(modKeys, point) == kNoZone) {
      timeline_.ShowStatusText("");
    } else {
      ShowFrameStatus(e.PixelToPos(0), e.PixelToPos(e.width));
    }
    return;
  }
  const int32_t t = SnappedTimeOf(point.x);
  switch (zone_) {
    case kLeftEdge:
      start_ = std::min(t, end_ - minimumSpan_);
      Invalidate(false);
      break;
    case kRightEdge:
      end_ = std::max(t, start_ + minimumSpan_);
      Invalidate(false);
      break;
    case kMoving: {
      const int32_t length = Length();
      // A view longer than the project has nowhere to go: it stays at the
      // project's start rather than zoom in on what is left.
      if (e.VisibleSpan() >= length) break;
      const int32_t span = end_ - start_;
      int32_t start = std::max(t - grab_, 0);
      int32_t end = start + span;
      if (end > length) {
        end = length;
        start = std::max(length - span, 0);
      }
      if (start != start_) {
        start_ = start;
        end_ = end;
        e.ZoomToRange(start_, end_);
      }
      break;
    }
    default:
      // A new frame; its edges trade roles rather than let it turn over.
      if (t < start_) {
        if (direction_ == 1) {
          end_ = start_;
          direction_ = -1;
        }
        start_ = t;
      } else if (t > end_) {
        if (direction_ == -1) {
          start_ = end_;
          direction_ = 1;
        }
        end_ = t;
      } else if (direction_ == -1) {
        start_ = t;
      } else {
        end_ = t;
      }
      Invalidate(false);
      break;
  }
  ShowFrameStatus(start_, end_);
}

void TFullSizeLine::EndDrag(int x) {
  ReleaseCapture();
  dragging_ = false;
  direction_ = 0;
  if (start_ < end_) {
    timeline_.Engine().ZoomToRange(start_, end_);
  } else {
    CentreAt(x);
  }
  Invalidate(false);
}

void TFullSizeLine::EvLButtonUp(UINT, const TPoint& point) {
  if (!dragging_ || (direction_ != 0 && zone_ != kNewFrame)) return;
  if (zone_ == kMoving) SetZone(kInside);
  EndDrag(point.x);
}

void TFullSizeLine::EvRButtonUp(UINT, const TPoint& point) {
  if (!dragging_ || direction_ == 0) return;
  EndDrag(point.x);
}

void TFullSizeLine::EvLButtonDblClk(UINT, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  int32_t start = 0, end = 0;
  if (!e.GetActiveExtent(start, end, 0)) return;
  start = std::max(start, TimeOfX(point.x));
  end = std::min(end, Length());
  if (start < end) timeline_.PlayOnce(start, end);
}
