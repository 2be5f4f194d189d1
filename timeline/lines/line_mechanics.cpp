#include "timeline/lines/line_mechanics.h"

#include <algorithm>
#include <cstring>

#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/path_record.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/gui/menu.h"
#include "resources/timeline_ids.h"
#include "timeline/header/full_size_line.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"
#include "ui/level_popups.h"
#include "ui/value_dialogs.h"

namespace {

// Pixels around the play cursor and a mark's middle that still hit them.
constexpr int kHitPixels = 7;
// A clip this wide or narrower is all body: no trim zones.
constexpr int kTrimmableWidth = 14;
// Mark triangles: 7 pixels high, 3 to each side of the mark.
constexpr int kMarkSize = 7;
constexpr int kMarkHalf = 3;
// Steps between two redraws of the overview strip during drags.
constexpr int32_t kOverviewEvery = 10;
constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollPeriod = 100;  // ms
// Gaps narrower than this show in the small-hole colour, clips narrower
// than that as small boxes.
constexpr int kSmallGap = 2;
constexpr int kSmallClip = 3;
// How far outside the window HoldX keeps x: wider than a thumbnail.
constexpr int kOutside = 1024;

// Counts drag steps of every line down to the next overview redraw.
int32_t g_overviewCount = 0;

LineDialogs g_defaultDialogs;
LineDialogs* g_dialogs = nullptr;

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

void RedrawOverview(MainTimeLineWindow& timeline) {
  TWindow* overview = timeline.Overview();
  if (overview != nullptr && overview->IsWindow()) overview->Invalidate(false);
}

bool MarkTimeTaken(const MarkList& marks, int32_t t, int32_t except) {
  for (int32_t i = 0; i < marks.Count(); ++i) {
    if (i != except && marks[i].time == t) return true;
  }
  return false;
}

}  // namespace

// ---- Hit zones.

int ZoneCursorId(int32_t zone) {
  switch (zone) {
    case kZoneTrimStart:
      return kCursorTrimStart;
    case kZoneTrimEnd:
      return kCursorTrimEnd;
    case kZoneClip:
      return kCursorClipBody;
    case kZoneMoveClips:
      return kCursorMoveClips;
    case kZoneMoveToCollection:
      return kCursorDropFits;
    case kZoneRubberBand:
      return kCursorRubberBand;
    case kZoneMark:
      return kCursorClipMark;
    case kZonePlaying:
      return kCursorPlaying;
    case kZoneKeyPoint:
    case kZoneAddPoint:
      return kCursorKeyPoint;
    case kZoneFlatSegment:
      return kCursorFlatSegment;
    case kZoneSlopedSegment:
      return kCursorSlopedSegment;
    case kZoneCursorLine:
      return kCursorTimeLine;
    case kZoneEffects:
      return kCursorEffects;
    default:
      return 0;
  }
}

void SetHitCursor(MainTimeLineWindow& timeline, TWindow& line, int32_t& stored, int32_t zone) {
  stored = zone;
  HCURSOR cursor = timeline.Cursor(ZoneCursorId(zone));
  if (line.IsWindow()) SetClassLongPtr(line.GetHandle(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetCursor(cursor);
}

int32_t LeadingZone(MainTimeLineWindow& timeline, int x, const Film* film, int32_t zoom, bool rubberBand) {
  return LeadingZone(timeline, x, film != nullptr, zoom, rubberBand);
}

int32_t LeadingZone(MainTimeLineWindow& timeline, int x, bool overItem, int32_t zoom, bool rubberBand) {
  TimeLineEngine& e = timeline.Engine();
  if (e.playing) return kZonePlaying;
  if (!overItem || timeline.Settings().selectCurTimeOverClips) {
    const int64_t cursorX = e.PosToPixelUnclamped(e.cursor);
    if (std::abs(x - cursorX) < kHitPixels) return kZoneCursorLine;
  }
  if (zoom >= 3) return kZoneNothing;
  if (rubberBand) return kZoneRubberBand;
  if (!overItem) return kZoneNothing;
  return -1;
}

bool PressLeadingZone(MainTimeLineWindow& timeline, TWindow& line, int32_t zone, UINT keys, const TPoint& p) {
  TimeLineEngine& e = timeline.Engine();
  TPoint screen = p;
  line.ClientToScreen(screen);
  switch (zone) {
    case kZonePlaying:
      e.CmStop();
      return true;
    case kZoneNothing:
      UndoScript::SetPending(kUndoSelectGesture);
      e.ClearSelection();
      UndoScript::SetPending(0);
      timeline.BeginRubberBand(screen.x, screen.y);
      return true;
    case kZoneRubberBand:
      timeline.BeginRubberBand(screen.x, screen.y);
      return true;
    case kZoneCursorLine:
      timeline.RouteRangeClick((keys & MK_SHIFT) != 0, screen.x, screen.y);
      return true;
    default:
      return false;
  }
}

int32_t TimeUnder(MainTimeLineWindow& timeline, int x) {
  TimeLineEngine& e = timeline.Engine();
  int32_t t = e.PixelToPos(x);
  if (t > 0 && e.PosToPixelUnclamped(t) > x) --t;
  return t;
}

int32_t MarkNear(MainTimeLineWindow& timeline, const Film& film, int32_t t) {
  const int64_t source = int64_t{t} - (int64_t{film.start} - film.in);
  const int32_t distance = ToInt32(int64_t{timeline.Engine().hitDistanceMs} + 1);
  const int32_t i = film.marks.FindNearest(ToInt32(source), distance, film.in, film.out);
  return i >= 0 ? i : -1;
}

bool OnMarkRow(int y, int rowBottom) {
  return std::abs(y - (rowBottom - kMarkHalf)) <= kHitPixels;
}

int32_t EdgeZone(MainTimeLineWindow& timeline, const Film& film, int x) {
  TimeLineEngine& e = timeline.Engine();
  const int64_t xs = e.PosToPixelUnclamped(film.start);
  const int64_t xe = e.PosToPixelUnclamped(film.end);
  if (xe - xs <= kTrimmableWidth) return kZoneClip;
  if (x - xs < kHitPixels) return kZoneTrimStart;
  if (xe - x < kHitPixels) return kZoneTrimEnd;
  return kZoneClip;
}

void DescribeZone(MainTimeLineWindow& timeline, const Film* film, int32_t zone, int32_t mark) {
  if (film == nullptr) zone = kZoneNothing;
  switch (zone) {
    case kZoneClip:
      film->DescribeClip();
      break;
    case kZoneTrimStart:
      film->DescribeStart();
      break;
    case kZoneTrimEnd:
      film->DescribeStop();
      break;
    case kZoneMark:
      if (mark >= 0 && mark < film->marks.Count()) {
        film->DescribeMark(mark);
        break;
      }
      [[fallthrough]];
    default:
      timeline.Engine().ShowStatusText("");
      break;
  }
}

// ---- Selection.

void SelectOnly(MainTimeLineWindow& timeline, Film* film) {
  UndoScript::SetPending(kUndoSelectGesture);
  film->group = 0;
  timeline.Engine().ClearSelection();
  UndoScript::SetPending(0);
  film->group = SelectionGroup;
  timeline.Engine().InvalidateClip(film);
}

void ToggleLaterClips(MainTimeLineWindow& timeline, Film* film, int32_t mask, int32_t line, int32_t t) {
  TimeLineEngine& e = timeline.Engine();
  bool changed = false;
  auto change = [&](Film* f, int32_t group) {
    if (!changed) e.MarkUndo(kUndoEdit);
    changed = true;
    f->group = group;
  };
  if (film != nullptr && film->group != SelectionGroup) change(film, SelectionGroup);
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->start <= t || !f->Matches(mask, line)) continue;
    change(f, f->group == SelectionGroup ? 0 : SelectionGroup);
  }
  if (changed) e.InvalidateLines();
}

bool AnyLineDragging(MainTimeLineWindow& timeline) {
  if (timeline.VideoLine() != nullptr && timeline.VideoLine()->IsDragging()) return true;
  if (timeline.MidiLine() != nullptr && timeline.MidiLine()->IsDragging()) return true;
  return timeline.AudioLines() != nullptr && timeline.AudioLines()->IsDragging();
}

void PlayFromPointer(MainTimeLineWindow& timeline, int32_t t, int32_t rightTime) {
  int32_t first = 0, last = 0;
  if (!timeline.Engine().GetActiveExtent(first, last, 0)) return;
  timeline.PlayOnce(std::max(first, t), std::min(last, rightTime));
}

// ---- Drags.

bool OnTimeLine(const Film* film) {
  if (film == nullptr) return false;
  for (const Film* f = FilmList.First(); f; f = f->next) {
    if (f == film) return true;
  }
  return false;
}

void RenewStartPicture(MainTimeLineWindow& timeline, Film* film) {
  if (film == nullptr || film->video == nullptr) return;
  StartFrameRecord* picture =
      timeline.Engine().Players().CreateKeyFrame(film->video, MsToFrames(film->in, ProjectFrameRate()));
  edit::DropKeyFrame(film);
  film->inKeyFrame = picture;
}

Film* LimitingNeighbour(const Film& film, bool after) {
  for (Film* f = after ? film.next : film.prev; f; f = after ? f->next : f->prev) {
    if (edit::ShareLine(film, *f)) return f;
  }
  return nullptr;
}

void FinishEdgeDrag(MainTimeLineWindow& timeline, TWindow& line, Film* film, bool startEdge) {
  if (film == nullptr) return;
  if (startEdge) {
    RenewStartPicture(timeline, film);
    edit::DropInPicture(film);
  } else {
    edit::DropOutPicture(film);
  }
  // Drawing makes the picture of the new edge again when edges show.
  if (film->effects) film->effects->DeleteTempFile();
  line.Invalidate(false);
  RedrawOverviewNow(timeline);
}

bool FinishMoveDrag(MainTimeLineWindow& timeline, const TPoint& screen) {
  RedrawOverviewNow(timeline);
  return timeline.Engine().DropClipsOnCollection(screen);
}

void BeginClipDrag() {
  g_overviewCount = 0;
  UndoScript::SetPending(kUndoClipGesture);
}

void EndClipDrag() {
  UndoScript::SetPending(0);
}

void MarkDragChange(MainTimeLineWindow& timeline) {
  timeline.Engine().MarkUndo(kUndoClipStep);
  timeline.Engine().SetModified(true);
}

void CountDragStep(MainTimeLineWindow& timeline) {
  if (--g_overviewCount < 0) RedrawOverviewNow(timeline);
}

void RedrawOverviewNow(MainTimeLineWindow& timeline) {
  RedrawOverview(timeline);
  g_overviewCount = kOverviewEvery;
}

int32_t DragTime(MainTimeLineWindow& timeline, int x, int32_t filter) {
  TimeLineEngine& e = timeline.Engine();
  int32_t t = e.PixelToPos(x);
  if (e.gravityAlign == 6) timeline.SnapToNearestEdge(t, filter);
  return t;
}

int32_t NudgeStep(int vk) {
  if (vk != VK_LEFT && vk != VK_RIGHT) return 0;
  int32_t step = 1;
  if (GetKeyState(VK_CONTROL) < 0) {
    step = 100;
  } else if (GetKeyState(VK_SHIFT) < 0) {
    step = 10;
  }
  return vk == VK_LEFT ? -step : step;
}

void DragScroll::Follow(MainTimeLineWindow& timeline, TWindow& line, int x) {
  const int width = line.GetClientRect().Width();
  if (timeline.Settings().autoScroll) {
    if (!running_ && (x < 0 || x > width)) running_ = line.SetTimer(kScrollTimer, kScrollPeriod) != 0;
    return;
  }
  if (x >= 0 && x <= width) return;
  TimeLineEngine& e = timeline.Engine();
  const int32_t before = e.origin;
  const bool left = x < 0;
  timeline.EvHScroll(left ? SB_LINELEFT : SB_LINERIGHT, 0, nullptr);
  if (e.origin == before) return;
  // The content moved under the pointer: the pointer goes with it.
  POINT at{};
  GetCursorPos(&at);
  SetCursorPos(at.x + (left ? timeline.TimeTextWidth() : -timeline.TimeTextWidth()), at.y);
}

bool DragScroll::Tick(MainTimeLineWindow& timeline, TWindow& line, TPoint& at) {
  GetCursorPos(&at);
  line.ScreenToClient(at);
  const int width = line.GetClientRect().Width();
  HWND bar = timeline.HorzScrollBar() ? timeline.HorzScrollBar()->GetHandle() : nullptr;
  if (at.x > width) {
    timeline.SendMessage(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
  } else if (at.x < 0) {
    timeline.SendMessage(WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(bar));
  } else {
    Stop(line);
    return false;
  }
  return true;
}

namespace {

// One line up (up) or down; the height of the line that scrolled in or
// out, 0 when the lines stayed.
int ScrollOneLine(MainTimeLineWindow& timeline, bool up) {
  TimeLineEngine& e = timeline.Engine();
  const int32_t before = e.audioPanel.firstShown;
  HWND bar = timeline.VertScrollBar() ? timeline.VertScrollBar()->GetHandle() : nullptr;
  timeline.SendMessage(WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, reinterpret_cast<LPARAM>(bar));
  const int32_t after = e.audioPanel.firstShown;
  if (after == before) return 0;
  return e.audioPanel[up ? after : before].height;
}

}  // namespace

void DragScroll::Follow(MainTimeLineWindow& timeline, TWindow& line, int x, int y, int32_t& lines) {
  const TRect client = line.GetClientRect();
  const bool outside = x < 0 || x > client.Width() || y < 0 || y > client.Height();
  if (timeline.Settings().autoScroll) {
    if (!running_ && outside) running_ = line.SetTimer(kScrollTimer, kScrollPeriod) != 0;
    return;
  }
  if (!outside) return;
  TimeLineEngine& e = timeline.Engine();
  POINT move{0, 0};
  if (x < 0 || x > client.Width()) {
    const int32_t before = e.origin;
    const bool left = x < 0;
    timeline.EvHScroll(left ? SB_LINELEFT : SB_LINERIGHT, 0, nullptr);
    if (e.origin != before) move.x = left ? timeline.TimeTextWidth() : -timeline.TimeTextWidth();
  }
  if (y < 0 || y > client.Height()) {
    const bool up = y < 0;
    if (const int height = ScrollOneLine(timeline, up); height != 0) {
      move.y = up ? height : -height;
      lines += up ? -1 : 1;
    }
  }
  if (move.x == 0 && move.y == 0) return;
  // The content moved under the pointer: the pointer goes with it.
  POINT at{};
  GetCursorPos(&at);
  SetCursorPos(at.x + move.x, at.y + move.y);
  RedrawOverviewNow(timeline);
}

bool DragScroll::Tick(MainTimeLineWindow& timeline, TWindow& line, TPoint& at, int32_t& lines) {
  GetCursorPos(&at);
  line.ScreenToClient(at);
  const TRect client = line.GetClientRect();
  bool scrolled = false;
  if (at.x > client.Width() || at.x < 0) {
    HWND bar = timeline.HorzScrollBar() ? timeline.HorzScrollBar()->GetHandle() : nullptr;
    timeline.SendMessage(WM_HSCROLL, at.x < 0 ? SB_LINELEFT : SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
    scrolled = true;
  }
  if (at.y > client.Height() || at.y < 0) {
    const bool up = at.y < 0;
    if (ScrollOneLine(timeline, up) != 0) {
      lines += up ? -1 : 1;
      RedrawOverviewNow(timeline);
    }
    scrolled = true;
  }
  if (!scrolled) Stop(line);
  return scrolled;
}

void DragScroll::Stop(TWindow& line) {
  if (!running_) return;
  if (line.IsWindow()) line.KillTimer(kScrollTimer);
  running_ = false;
}

// ---- Drops.

int32_t DropEnd(int32_t start, int32_t length, bool frames) {
  if (!frames) return ToInt32(int64_t{start} + length);
  return MsAddFrames(start, MsToFrames(length, ProjectFrameRate()));
}

bool PlaceDrop(const DropRequest& r, DropPlace& place) {
  const float rate = ProjectFrameRate();
  auto units = [&](int32_t ms) { return r.frames ? int64_t{MsToFrames(ms, rate)} : int64_t{ms}; };
  Film* prev = nullptr;
  Film* next = nullptr;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->Matches(r.mask, r.line)) continue;
    if (f->start < r.time) {
      prev = f;
    } else {
      next = f;
      break;
    }
  }
  place.shortened = false;
  place.start = r.time;
  place.end = DropEnd(r.time, r.length, r.frames);
  if (prev == nullptr || prev->end <= r.time) {
    if (next == nullptr || next->start >= place.end) return true;
    if (!r.adjust) return false;
    const int32_t gapStart = prev ? prev->end : 0;
    place.end = next->start;
    if (units(next->start) - units(gapStart) < units(r.length)) {
      // Too short for the whole clip: it fills the gap.
      place.start = gapStart;
      place.shortened = true;
    } else {
      place.start = r.frames ? MsSubFrames(place.end, MsToFrames(r.length, rate))
                             : ToInt32(int64_t{place.end} - r.length);
    }
    return true;
  }
  if (!r.adjust || int64_t{prev->end} - r.time > r.snapDistance) return false;
  place.start = prev->end;
  place.end = DropEnd(place.start, r.length, r.frames);
  if (next != nullptr && next->start < place.end) {
    place.end = next->start;
    place.shortened = true;
  }
  return true;
}

void AnswerDrop(MainTimeLineWindow& timeline, TWindow& line, const DropPlace& place, int y, bool adjust,
                POINT& screen, int32_t& time, int32_t& cursorId) {
  time = place.start;
  TPoint at(timeline.Engine().PosToPixel(place.start), y);
  line.ClientToScreen(at);
  screen.x = at.x;
  if (adjust) cursorId = place.shortened ? kCursorDropShortened : kCursorDropFits;
}

void DropMark::ShowSpan(MainTimeLineWindow& timeline, TWindow& line, int32_t start, int32_t end, int top,
                        int bottom, int32_t row) {
  TimeLineEngine& e = timeline.Engine();
  Show(line, TRect(e.PosToPixel(start), top, e.PosToPixel(end), bottom), row);
}

void DropMark::Show(TWindow& line, const TRect& r, int32_t onRow) {
  rect = r;
  row = onRow;
  shown = true;
  if (!line.IsWindow()) return;
  TClientDC dc(line.GetHandle());
  dc.FillRect(rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void DropMark::Erase(TWindow& line) {
  if (!shown) return;
  shown = false;
  if (!line.IsWindow()) return;
  line.InvalidateRect(rect, false);
  line.UpdateWindow();
}

// ---- Painting.

int HoldX(int64_t x, int width) {
  return static_cast<int>(std::clamp<int64_t>(x, -kOutside, int64_t{width} + kOutside));
}

HBRUSH ClipBrush(MainTimeLineWindow& timeline, const Film& film) {
  if (film.group == 0) return timeline.Brush(kColorNonSelectedClip);
  return timeline.Brush(film.group == SelectionGroup ? kColorSelectedClip : kColorSemiSelectedClip);
}

COLORREF ClipNameColor(const Film& film) {
  if (film.group == 0) return TimeLineColors[kColorNonSelectedName];
  return TimeLineColors[film.group == SelectionGroup ? kColorSelectedName : kColorSemiSelectedName];
}

void PaintClipRow(TDC& dc, MainTimeLineWindow& timeline, const TRect& row, const TRect& paint, int32_t mask,
                  int32_t line, HBRUSH rowBrush, const ClipPainter& drawClip) {
  TimeLineEngine& e = timeline.Engine();
  const int32_t t0 = e.PixelToPos(paint.left);
  const int32_t t1 = e.PixelToPos(paint.right);
  int x = paint.left;
  int32_t prevEnd = 0;
  for (Film* f = FilmList.First(); f && f->start <= t1; f = f->next) {
    if (!f->Matches(mask, line)) continue;
    if (f->end < t0) {
      prevEnd = f->end;
      continue;
    }
    x = FillRowGap(dc, timeline, row, x, prevEnd, f->start, rowBrush);
    int xe = e.PosToPixel(f->end);
    if (int64_t{e.PosToPixelUnclamped(f->end)} - e.PosToPixelUnclamped(f->start) < kSmallClip) {
      if (f->group == SelectionGroup) {
        xe = std::max(xe, x + 1);
        dc.FillRect(TRect(x, row.top, xe, row.bottom), timeline.Brush(kColorSmallSelectedClip));
      } else if (x < xe) {
        dc.FillRect(TRect(x, row.top, xe, row.bottom), timeline.Brush(kColorSmallClip));
      }
    } else {
      drawClip(dc, TRect(x, row.top, xe, row.bottom), *f);
    }
    x = std::max(x, xe);
    prevEnd = f->end;
  }
  if (x < paint.right) dc.FillRect(TRect(x, row.top, paint.right, row.bottom), rowBrush);
}

int FillRowGap(TDC& dc, MainTimeLineWindow& timeline, const TRect& row, int x, int32_t prevEnd, int32_t start,
               HBRUSH rowBrush) {
  TimeLineEngine& e = timeline.Engine();
  const int xs = e.PosToPixel(start);
  if (start > prevEnd && e.TimeToPixels(ToInt32(int64_t{start} - prevEnd)) < kSmallGap) {
    if (xs <= x) x = xs - 1;
    dc.FillRect(TRect(x, row.top, xs, row.bottom), timeline.Brush(kColorSmallHole));
  } else if (x < xs) {
    dc.FillRect(TRect(x, row.top, xs, row.bottom), rowBrush);
  }
  return xs;
}

// The objects selected here are put back one by one: the caller's own
// selections (the clip font) stay.
void DrawClipBorders(TDC& dc, const TRect& clip) {
  const HGDIOBJ pen = ::SelectObject(dc, GetStockObject(BLACK_PEN));
  dc.MoveTo(clip.left, clip.top);
  dc.LineTo(clip.left, clip.bottom);
  dc.MoveTo(clip.right - 1, clip.top);
  dc.LineTo(clip.right - 1, clip.bottom);
  ::SelectObject(dc, pen);
}

void DrawClipMarks(TDC& dc, MainTimeLineWindow& timeline, const TRect& clip, const Film& film) {
  if (film.marks.Count() == 0) return;
  TimeLineEngine& e = timeline.Engine();
  const int width = e.width;
  const int64_t origin = e.PosToPixelUnclamped(film.origin);
  const COLORREF textBefore = dc.SetTextColor(TimeLineColors[kColorActiveClipMark]);
  for (const Mark& m : film.marks) {
    if (m.time >= film.out) break;
    if (m.time < film.in) continue;
    const int x = HoldX(origin + e.TimeToPixels(m.time), width);
    const bool active =
        e.gravityAlign != 0 && (e.gravityGroup == 0 || m.group == 0 || m.group == e.gravityGroup);
    const int color = active ? kColorActiveClipMark : kColorPassiveClipMark;
    const POINT triangle[] = {{x, clip.bottom - 1},
                              {x - kMarkHalf, clip.bottom - kMarkSize},
                              {x + kMarkHalf, clip.bottom - kMarkSize},
                              {x, clip.bottom - 1}};
    const HGDIOBJ brush = ::SelectObject(dc, timeline.Brush(color));
    const HGDIOBJ pen = ::SelectObject(dc, timeline.Pen(color));
    Polygon(dc, triangle, 4);
    ::SelectObject(dc, pen);
    ::SelectObject(dc, brush);
    if (m.name[0] != '\0' && x + kMarkHalf < clip.right) {
      dc.SetTextColor(TimeLineColors[color]);
      dc.DrawText(m.name, -1, TRect(x + kMarkHalf, clip.top, clip.right, clip.bottom),
                  DT_SINGLELINE | DT_BOTTOM | DT_LEFT | DT_NOPREFIX);
    }
  }
  dc.SetTextColor(textBefore);
}

void DrawClipName(TDC& dc, const TRect& clip, int x, const Film& film) {
  if (x >= clip.right || film.name[0] == '\0') return;
  const COLORREF before = dc.SetTextColor(ClipNameColor(film));
  dc.DrawText(film.name, -1, TRect(x, clip.top, clip.right, clip.bottom),
              DT_SINGLELINE | DT_TOP | DT_LEFT | DT_NOPREFIX);
  dc.SetTextColor(before);
}

// ---- Marks.

bool AddClipMark(MainTimeLineWindow& timeline, Film* film, int32_t sourceTime, int menuX) {
  if (MarkTimeTaken(film->marks, sourceTime, -1)) return false;
  TimeLineEngine& e = timeline.Engine();
  e.MarkUndo(kUndoEdit);
  if (!film->marks.AddMark(sourceTime)) return false;
  e.InvalidateClipRange(menuX - 9, menuX + 9, film);
  e.SetModified(true);
  return true;
}

void SplitClipAt(MainTimeLineWindow& timeline, HWND owner, Film* film, int32_t t) {
  if (film != nullptr && film->start < t && t < film->end) timeline.Engine().SplitClip(owner, film, t);
}

void LaunchClipEditor(MainTimeLineWindow& timeline, Film* film, int command) {
  if (film == nullptr) return;
  const char* file = film->video   ? film->video->GetFileName()
                     : film->midi  ? film->midi->GetFileName()
                     : film->audio ? film->audio->GetFileName()
                                   : nullptr;
  if (file != nullptr) timeline.LaunchTool(command, file);
}

void RemoveClipMark(MainTimeLineWindow& timeline, Film* film, int32_t mark) {
  if (mark < 0 || mark >= film->marks.Count()) return;
  TimeLineEngine& e = timeline.Engine();
  e.MarkUndo(kUndoEdit);
  film->marks.RemoveMark(mark);
  e.InvalidateClip(film);
  e.SetModified(true);
}

void RenameClipMark(MainTimeLineWindow& timeline, HWND owner, Film* film, int32_t mark) {
  if (mark < 0 || mark >= film->marks.Count()) return;
  char name[sizeof(Mark::name)];
  std::strncpy(name, film->marks[mark].name, sizeof name - 1);
  name[sizeof name - 1] = '\0';
  if (!CurrentLineDialogs().EditName(owner, GetString(ui_string::kMarkNameCaption), name, sizeof name))
    return;
  name[sizeof name - 1] = '\0';
  // The dialog may run for a while: the mark must still be there.
  if (mark >= film->marks.Count()) return;
  TimeLineEngine& e = timeline.Engine();
  e.MarkUndo(kUndoEdit);
  film->marks.SetName(mark, name);
  e.InvalidateClip(film);
  e.SetModified(true);
}

void PlaceClipMark(MainTimeLineWindow& timeline, HWND owner, Film* film, int32_t mark) {
  if (mark < 0 || mark >= film->marks.Count()) return;
  // Within what the clip shows: a mark at its out point would never show.
  const int32_t lo = film->in;
  const int32_t hi = std::max(film->in, film->out - 1);
  int32_t t = std::clamp(film->marks[mark].time, lo, hi);
  if (!CurrentLineDialogs().EditTime(owner, GetString(ui_string::kMarkPositionCaption), t, lo, hi)) return;
  if (mark >= film->marks.Count()) return;
  t = std::clamp(t, lo, hi);
  if (t == film->marks[mark].time || MarkTimeTaken(film->marks, t, mark)) return;
  TimeLineEngine& e = timeline.Engine();
  e.MarkUndo(kUndoEdit);
  film->marks.MoveMark(mark, t);
  e.InvalidateClip(film);
  e.SetModified(true);
}

bool LineDialogs::EditName(HWND owner, const char* caption, char* text, int size) {
  return RunNameDialog(owner, caption, text, size);
}

bool LineDialogs::EditTime(HWND owner, const char* caption, int32_t& time, int32_t lo, int32_t hi) {
  return RunTimeCodeDialog(owner, caption, &time, lo, hi);
}

bool LineDialogs::EditLevel(HWND owner, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                            int32_t* gain2) {
  return RunSetLevelDialog(owner, caption, rect, x, y, gain, gain2);
}

bool LineDialogs::EditBalance(HWND owner, const char* caption, const RECT& rect, int x, int y, int32_t* balance,
                              int32_t* balance2) {
  return RunSetBalanceDialog(owner, caption, rect, x, y, balance, balance2);
}

bool LineDialogs::EditVolumeBalance(HWND owner, const char* caption, const RECT& rect, int x, int y,
                                    int32_t* gain, int32_t* balance) {
  return RunSetVolumeBalanceDialog(owner, caption, rect, x, y, gain, balance);
}

bool LineDialogs::EditEffects(HWND, EffectList*, Film*) {
  return false;
}

bool LineDialogs::EditTempo(HWND owner, int32_t& bpm, int32_t standard, int32_t lo, int32_t hi) {
  return RunSetTempoDialog(owner, &bpm, standard, lo, hi);
}

bool LineDialogs::SelectTransition(HWND, int32_t&, uint32_t&) {
  return false;
}

LineDialogs* SetLineDialogs(LineDialogs* dialogs) {
  LineDialogs* before = g_dialogs;
  g_dialogs = dialogs;
  return before;
}

LineDialogs& CurrentLineDialogs() {
  return g_dialogs != nullptr ? *g_dialogs : g_defaultDialogs;
}

std::string EditorItemText(const char* label, const char* path) {
  PathParts parts;
  SplitPath(parts, path);
  return std::string(label) + " (" +
         std::string(path + parts.name, static_cast<std::size_t>(parts.nameLength)) + ")";
}

// ---- Menus.

void AppendMenuItem(HMENU menu, int command, int text, bool enabled) {
  AppendMenu(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(command),
             GetString(text));
}

void AppendSeparator(HMENU menu) {
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
}

HMENU MakeSpaceMenu(MainTimeLineWindow& timeline) {
  HMENU menu = CreatePopupMenu();
  const bool pasteable = timeline.CanPaste();
  const bool selected = Film::AnySelected();
  AppendMenuItem(menu, kCmAddSourceFile, ui_string::kAddSourceFileItem);
  AppendSeparator(menu);
  AppendMenuItem(menu, kCmDeleteSelected, ui_string::kDeleteSelectedItem, selected);
  AppendMenuItem(menu, kCmCutSelected, ui_string::kCutSelectedItem, selected);
  AppendMenuItem(menu, kCmCopySelected, ui_string::kCopySelectedItem, selected);
  AppendMenuItem(menu, kCmPasteClips, ui_string::kPasteItem, pasteable);
  AppendMenuItem(menu, kCmInsertClips, ui_string::kInsertItem, pasteable);
  return menu;
}

HMENU MakeClipEditMenu(MainTimeLineWindow& timeline, int editorCommand, int editorText,
                       const char* editorPath) {
  HMENU edit = CreatePopupMenu();
  const bool pasteable = timeline.CanPaste();
  AppendMenuItem(edit, kCmDeleteClip, ui_string::kDeleteClipItem);
  AppendMenuItem(edit, kCmCutClip, ui_string::kCutClipItem);
  AppendMenuItem(edit, kCmCopyClip, ui_string::kCopyClipItem);
  AppendMenuItem(edit, kCmPasteClips, ui_string::kPasteItem, pasteable);
  AppendMenuItem(edit, kCmInsertClips, ui_string::kInsertItem, pasteable);
  AppendSeparator(edit);
  if (editorPath[0] == '\0') {
    AppendMenuItem(edit, editorCommand, editorText, false);
  } else {
    AppendMenu(edit, MF_STRING, static_cast<UINT_PTR>(editorCommand),
               EditorItemText(GetString(editorText), editorPath).c_str());
  }
  AppendSeparator(edit);
  AppendMenuItem(edit, kCmClipProperties, ui_string::kClipPropertiesItem);
  return edit;
}

void AppendMarkItems(HMENU menu, bool onMark) {
  if (!onMark) {
    AppendMenuItem(menu, kCmAddMark, ui_string::kAddMarkItem);
    return;
  }
  HMENU mark = CreatePopupMenu();
  AppendMenuItem(mark, kCmMarkPosition, ui_string::kMarkPositionItem);
  AppendMenuItem(mark, kCmMarkName, ui_string::kMarkNameItem);
  AppendMenuItem(mark, kCmRemoveMark, ui_string::kRemoveMarkItem);
  AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(mark), GetString(ui_string::kMarkItem));
}
