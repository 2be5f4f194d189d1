// The video rows under the mouse: what lies under the pointer, presses,
// the drags that trim, move and mark clips (in whole frames), the keys that
// nudge a drag, the double-click, and the place shown for a clip dragged
// from the collection.
#include <algorithm>

#include "model/edit_operations.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

float Rate() {
  return ProjectFrameRate();
}

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, Rate());
}

}  // namespace

const std::vector<TResponseTableEntry>& TVideoLine::MouseEntries() {
  using TMyClass = TVideoLine;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_LBUTTONDOWN,
      EV_WM_MOUSEMOVE,
  };
  return entries;
}

void TVideoLine::HitTest(UINT keys, const TPoint& p, bool ignoreKeys) {
  pointerLine_ = RowAt(p.y);
  const TrackRecord& row = Row(pointerLine_);
  int32_t zone = LeadingClipZone(keys, p, ignoreKeys, pointerLine_, row);
  if (zone < 0) zone = MarkOrEdgeZone(p, row);
  ShowZone(zone);
}

void TVideoLine::EvMouseMove(UINT keys, const TPoint& p) {
  if (dragging_) {
    DragTo(p.x, p.y);
    scroll_.Follow(timeline_, *this, p.x);
    return;
  }
  HitTest(keys, p, false);
  DescribeZone(timeline_, pointerFilm_, hitZone, markIndex_);
}

void TVideoLine::ShowStill(Film* film, int32_t sourceTime, bool owner) {
  timeline_.Engine().ShowClipFrame(film, sourceTime, owner ? HWindow : nullptr);
}

void TVideoLine::EvLButtonDown(UINT keys, const TPoint& p) {
  EndDrag(p);
  HitTest(keys, p, false);
  if (PressLeadingZone(timeline_, *this, hitZone, keys, p)) return;
  TimeLineEngine& e = timeline_.Engine();
  switch (hitZone) {
    case kZoneTrimStart:
    case kZoneTrimEnd:
    case kZoneClip:
    case kZoneMark:
      break;
    default:
      return;
  }
  Film* film = pointerFilm_;
  if (!film->IsSelected()) SelectOnly(timeline_, film);
  switch (hitZone) {
    case kZoneMark:
      ShowStill(film, film->marks[markIndex_].time, true);
      film->DescribeMark(markIndex_);
      break;
    case kZoneTrimStart:
      ShowStill(film, film->in, true);
      film->DescribeStart();
      break;
    case kZoneTrimEnd:
      ShowStill(film, MsSubFrames(film->out, 1), true);
      film->DescribeStop();
      break;
    default:
      SetHitCursor(kZoneMoveClips);
      break;
  }
  SetCapture(HWindow);
  dragging_ = true;
  anchorFrame_ = Frames(e.PixelToPos(p.x));
  BeginClipDrag();
}

void TVideoLine::DragTo(int x, int y) {
  const int32_t t = hitZone == kZoneMark ? timeline_.Engine().PixelToPos(x) : DragTime(timeline_, x, 1);
  DragBy(Frames(t) - anchorFrame_, y);
}

// The start goes to the key frame nearest to where the pointer asks for;
// when that one lies beyond what the trim may reach, the start stays.
void TVideoLine::TrimStart(int32_t d) {
  Film* f = pointerFilm_;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t inF = Frames(f->in);
  const int32_t outF = Frames(f->out);
  int32_t low = 0, high = 0;
  if (d < 0) {
    const Film* before = LimitingNeighbour(*f, false);
    low = std::max(-inF, (before ? Frames(before->end) : 0) - Frames(f->start));
    d = std::max(d, low);
  } else if (d > 0) {
    high = outF - 1 - inF;
    d = std::min(d, high);
  }
  if (d == 0) return;
  if (f->video) {
    const int32_t lastF = f->video->GetFrameCount() - 1;
    d = f->NearestKeyFrame(d, -inF, std::max(lastF - inF, 0));
    if (d < low || d > high) d = 0;
  }
  if (d == 0) return;
  MarkDragChange(timeline_);
  const int32_t oldStart = f->start;
  f->in = MsAddFrames(f->in, d);
  f->start = MsAddFrames(f->start, d);
  f->ComputeOrigin();
  if ((f->prev && f->prev->start > f->start) || (f->next && f->next->start < f->start)) {
    Film::Unlink(f, FilmList);
    Film::Link(f, FilmList);
  }
  anchorFrame_ += d;
  e.InvalidateLineRange(std::min(oldStart, f->start), f->end, f);
  f->DescribeStart();
  ShowStill(f, f->in, false);
  CountDragStep(timeline_);
}

void TVideoLine::TrimEnd(int32_t d) {
  Film* f = pointerFilm_;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t inF = Frames(f->in);
  const int32_t outF = Frames(f->out);
  if (d < 0) {
    d = std::max(d, inF + 1 - outF);
  } else if (d > 0) {
    const Film* after = LimitingNeighbour(*f, true);
    const int32_t limitF = Frames(after ? after->start : e.length);
    d = std::min({d, Frames(f->sourceLength) - outF, limitF - Frames(f->end)});
    d = std::max(d, 0);
  }
  if (d == 0) return;
  MarkDragChange(timeline_);
  const int32_t oldEnd = f->end;
  f->out = MsAddFrames(f->out, d);
  f->end = MsAddFrames(f->end, d);
  anchorFrame_ += d;
  e.InvalidateLineRange(f->start, std::max(oldEnd, f->end), f);
  f->DescribeStop();
  ShowStill(f, MsSubFrames(f->out, 1), false);
  CountDragStep(timeline_);
}

void TVideoLine::MoveMark(int32_t d) {
  Film* f = pointerFilm_;
  if (markIndex_ < 0 || markIndex_ >= f->marks.Count()) return;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t old = f->marks[markIndex_].time;
  const int32_t markF = Frames(old);
  const int32_t target = std::clamp(markF + d, Frames(f->in), std::max(Frames(f->out) - 1, Frames(f->in)));
  const int32_t t = FramesToMs(target, Rate());
  if (target == markF || t == old) return;
  // Onto another mark: refused, and the anchor stays.
  for (const Mark& m : f->marks) {
    if (m.time == t) return;
  }
  MarkDragChange(timeline_);
  if (!f->marks.MoveMark(markIndex_, t)) return;
  anchorFrame_ += target - markF;
  const int64_t from = int64_t{f->start} - f->in + std::min(old, t) - e.hitDistanceMs;
  e.InvalidateLineRange(static_cast<int32_t>(std::max<int64_t>(from, INT32_MIN)), f->end, f);
  ShowStill(f, t, false);
  f->DescribeMark(markIndex_);
  CountDragStep(timeline_);
}

void TVideoLine::MoveClips(int32_t d, int y) {
  TimeLineEngine& e = timeline_.Engine();
  ClipMove move;
  move.time = FramesToMs(d, Rate());
  move.line = RowAt(y) - pointerLine_;
  if ((move.time != 0 || move.line != 0) && e.TrackClipDrag(move, kKindVideo)) {
    MarkDragChange(timeline_);
    e.MoveSelectedClips(move.time, move.line, kKindVideo);
    anchorFrame_ = Frames(FramesToMs(anchorFrame_, Rate()) + move.time);
    pointerLine_ += move.line;
    pointerFilm_->DescribeClip();
    if (move.line != 0) {
      RedrawOverviewNow(timeline_);
    } else {
      CountDragStep(timeline_);
    }
  }
  ShowMoveTarget(FramesToMs(anchorFrame_, Rate()), y);
}

void TVideoLine::OnDragKey(int vk) {
  if (!dragging_) return;
  TPoint at;
  GetCursorPos(&at);
  if (const int32_t step = NudgeStep(vk); step != 0) {
    TPoint client = at;
    ScreenToClient(client);
    // The anchor stays: the next move of the mouse keeps the nudge.
    const int32_t anchor = anchorFrame_;
    DragBy(step, client.y);
    anchorFrame_ = anchor;
    return;
  }
  const int half = (Row(0).height + Row(1).height) / 2;
  if (vk == VK_UP && pointerLine_ == 1) {
    SetCursorPos(at.x, at.y - half);
  } else if (vk == VK_DOWN && pointerLine_ == 0) {
    SetCursorPos(at.x, at.y + half);
  }
}

bool TVideoLine::TakesDrop(const ClipItem& clip) {
  VideoSource* video = clip.GetVideo();
  return video != nullptr && video->IsDirectPlayable();
}

int32_t TVideoLine::DropTime(int32_t time, bool adjust) {
  int32_t t = MsAddFrames(time, 0);
  if (t < time && !adjust) t = MsAddFrames(t, 1);
  return t;
}

int32_t TVideoLine::DropLineAt(int y) {
  return RowAt(y);
}

bool TVideoLine::FreeDropLine(const DropPlace& place, int32_t& row) {
  for (row = 0; row < 2 && Film::AnyOverlapping(place.start, place.end, kKindVideo, row); ++row) {
  }
  return row != 2;
}

void TVideoLine::DrawDropFeedback(int32_t start, int32_t end, int32_t row) {
  const TrackRecord& r = Row(row);
  drop_.ShowSpan(timeline_, *this, start, end, r.top, r.top + r.height, row);
}
