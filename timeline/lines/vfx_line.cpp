#include "timeline/lines/vfx_line.h"

#include <algorithm>

#include "model/players.h"
#include "model/undo_history.h"
#include "timeline/lines/line_mechanics.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

TVFXLine::TVFXLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TLineWindow(timeline, "VFXLine", x, y, w, h) {}

const char* TVFXLine::GetClassName() {
  return "VFXLine";
}

const std::vector<TResponseTableEntry>& TVFXLine::Entries() {
  using TMyClass = TVFXLine;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_LBUTTONDBLCLK,
      EV_WM_LBUTTONDOWN,
      EV_WM_MOUSEMOVE,
  };
  return entries;
}

bool TVFXLine::Find(TEventInfo& info) {
  return SearchEntries(Entries(), info) || TLineWindow::Find(info);
}

VFX* TVFXLine::Transitions() {
  return timeline_.Engine().Players().Transitions();
}

int32_t TVFXLine::Zoom() const {
  return timeline_.Engine().vfxPanel[0].zoom;
}

// ---- Painting.

void TVFXLine::Paint(TDC& dc, bool, TRect& rect) {
  TimeLineEngine& e = timeline_.Engine();
  const TRect client = GetClientRect();
  const TRect row(rect.left, client.top, rect.right, client.bottom);
  const HBRUSH lineBrush = timeline_.Brush(kColorVideoFXTrack);
  int x = rect.left;
  if (VFX* vfx = Transitions()) {
    const int32_t t0 = e.PixelToPos(rect.left);
    const int32_t t1 = e.PixelToPos(rect.right);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(timeline_.ClipFont());
    int32_t prevEnd = 0;
    for (VFXEntry* t = vfx->Schedule(); t != nullptr && t->start <= t1; t = t->next) {
      if (t->end < t0) {
        prevEnd = t->end;
        continue;
      }
      x = FillRowGap(dc, timeline_, row, x, prevEnd, t->start, lineBrush);
      const int xe = e.PosToPixel(t->end);
      DrawTransition(dc, TRect(x, row.top, xe, row.bottom), *t, rect);
      x = std::max(x, xe);
      prevEnd = t->end;
    }
    dc.RestoreObjects();
  }
  if (x < rect.right) dc.FillRect(TRect(x, row.top, rect.right, row.bottom), lineBrush);
  DrawPlayCursor(dc, client);
}

void TVFXLine::DrawTransition(TDC& dc, const TRect& box, const VFXEntry& t, const TRect& paint) {
  TimeLineEngine& e = timeline_.Engine();
  const TRect inner(std::max<int>(box.left + 1, paint.left), box.top,
                    std::min<int>(box.right - 1, paint.right), box.bottom);
  if (!inner.IsEmpty()) dc.FillRect(inner, timeline_.Brush(kColorNonSelectedClip));
  // From clip A's row towards clip B's: row 1 lies below row 0.
  const int xs = HoldX(e.PosToPixelUnclamped(t.start), e.width);
  const int xe = HoldX(e.PosToPixelUnclamped(t.end), e.width);
  if (t.bOnHigherRow == 0) {
    dc.MoveTo(xs, box.bottom);
    dc.LineTo(xe, box.top);
  } else {
    dc.MoveTo(xs, box.top);
    dc.LineTo(xe, box.bottom);
  }
  DrawClipBorders(dc, box);
  if (Zoom() < 3) {
    const COLORREF before = dc.SetTextColor(TimeLineColors[kColorNonSelectedName]);
    dc.DrawText(VFX::KindName(t.kind), -1, box, DT_SINGLELINE | DT_TOP | DT_LEFT | DT_NOPREFIX);
    dc.SetTextColor(before);
  }
}

// ---- The mouse.

void TVFXLine::HitTest(const TPoint& p) {
  const int32_t t = TimeUnder(timeline_, p.x);
  VFX* vfx = Transitions();
  pointer_ = Zoom() >= 3 || vfx == nullptr ? nullptr : vfx->FindAt(t);
  int32_t zone = LeadingZone(timeline_, p.x, pointer_ != nullptr, Zoom(), false);
  if (zone < 0) zone = kZoneEffects;
  ShowZone(zone);
}

void TVFXLine::EvMouseMove(UINT, const TPoint& p) {
  HitTest(p);
  if (hitZone == kZoneEffects && pointer_ != nullptr) {
    Transitions()->TraceState(pointer_);
  } else {
    timeline_.Engine().ShowStatusText("");
  }
}

void TVFXLine::EvLButtonDown(UINT keys, const TPoint& p) {
  HitTest(p);
  // The transitions row has no rubber band zone: its hit test never asks
  // for one.
  PressLeadingZone(timeline_, *this, hitZone, keys, p);
}

// No undo step: the transition is not part of the project's state.
void TVFXLine::EvLButtonDblClk(UINT, const TPoint& p) {
  HitTest(p);
  if (hitZone != kZoneEffects || pointer_ == nullptr) return;
  VFXEntry* t = pointer_;
  int32_t kind = t->kind;
  uint32_t parameter = t->parameter;
  if (!CurrentLineDialogs().SelectTransition(HWindow, kind, parameter)) return;
  // The dialog ran a while: the transition must still be a current one.
  VFX* vfx = Transitions();
  VFXEntry* now = vfx->List();
  while (now != nullptr && now != t) now = now->next;
  if (now == nullptr) return;
  vfx->SetTransition(t, kind, parameter);
  timeline_.Engine().SetModified(true);
  Invalidate(false);
}
