// The MIDI line under the mouse: what lies under the pointer, presses, the
// drags that trim, move and mark clips (in milliseconds on the pixel grid,
// on frames for the picture of a clip that has one), the keys that nudge a
// drag, the double-click, and the place shown for a clip dragged from the
// collection.
#include <algorithm>

#include "model/edit_operations.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/midi_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

float Rate() {
  return ProjectFrameRate();
}

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, Rate());
}

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

const std::vector<TResponseTableEntry>& TMidiLine::MouseEntries() {
  using TMyClass = TMidiLine;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_LBUTTONDOWN,
      EV_WM_MOUSEMOVE,
  };
  return entries;
}

void TMidiLine::HitTest(UINT keys, const TPoint& p, bool ignoreKeys) {
  const TrackRecord& row = Row();
  int32_t zone = LeadingClipZone(keys, p, ignoreKeys, 0, row);
  if (zone < 0) zone = MarkOrEdgeZone(p, row);
  ShowZone(zone);
}

void TMidiLine::EvMouseMove(UINT keys, const TPoint& p) {
  if (dragging_) {
    DragTo(p.x, p.y);
    scroll_.Follow(timeline_, *this, p.x);
    return;
  }
  HitTest(keys, p, false);
  DescribeZone(timeline_, pointerFilm_, hitZone, markIndex_);
}

void TMidiLine::EvLButtonDown(UINT keys, const TPoint& p) {
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
      film->DescribeMark(markIndex_);
      break;
    case kZoneTrimStart:
      film->DescribeStart();
      break;
    case kZoneTrimEnd:
      film->DescribeStop();
      break;
    default:
      SetHitCursor(kZoneMoveClips);
      break;
  }
  SetCapture(HWindow);
  dragging_ = true;
  anchorTime_ = e.PixelToPos(p.x);
  BeginClipDrag();
}

void TMidiLine::FinishTrim(Film* film, bool startEdge) {
  if (film != nullptr && film->video != nullptr) TClipLine::FinishTrim(film, startEdge);
}

void TMidiLine::DragTo(int x, int y) {
  DragBy(ToInt32(int64_t{DragTime(timeline_, x, 1)} - anchorTime_), y);
}

// On the pixel grid; a clip that also shows a picture starts on a key
// frame of it, the one nearest to where the pointer asks for.
void TMidiLine::TrimStart(int32_t d) {
  Film* f = pointerFilm_;
  TimeLineEngine& e = timeline_.Engine();
  d = ToInt32(int64_t{e.PixelsToTime(e.TimeToPixels(ToInt32(int64_t{f->start} + d)))} - f->start);
  if (d < 0) {
    const Film* before = LimitingNeighbour(*f, false);
    d = std::max({d, -f->in, (before ? before->end : 0) - f->start});
    d = std::min(d, 0);
    if (f->video != nullptr && d < 0) {
      const int32_t s = Frames(f->start);
      int32_t limit = before ? Frames(before->end) : 0;
      if (before && FramesToMs(limit, Rate()) < before->end) ++limit;
      const int32_t n = Frames(f->start + d);
      const int32_t k = f->NearestKeyFrame(n - s, std::max(limit, s - Frames(f->in)) - s, 0);
      d = FramesToMs(s + k, Rate()) - f->start;
    }
  } else if (d > 0) {
    d = std::min(d, f->out - 1 - f->in);
    if (f->video != nullptr && d > 0) {
      const int32_t inF = Frames(f->in);
      const int32_t k = f->NearestKeyFrame(Frames(f->in + d) - inF, 0, Frames(f->out) - 1 - inF);
      d = FramesToMs(inF + k, Rate()) - f->in;
    }
    d = std::max(d, 0);
  }
  MoveStartMs(d, anchorTime_);
}

void TMidiLine::TrimEnd(int32_t d) {
  Film* f = pointerFilm_;
  TimeLineEngine& e = timeline_.Engine();
  d = ToInt32(int64_t{e.PixelsToTime(e.TimeToPixels(ToInt32(int64_t{f->end} + d)))} - f->end);
  if (d < 0) {
    d = std::max(d, f->in + 1 - f->out);
    if (f->video != nullptr) {
      int32_t end = MsAddFrames(f->end + d, 0);
      if (f->out + (end - f->end) < f->in + 1) end = MsAddFrames(end, 1);
      d = std::min(end - f->end, 0);
    }
  } else if (d > 0) {
    const Film* after = LimitingNeighbour(*f, true);
    d = std::min({d, f->sourceLength - f->out, (after ? after->start : e.length) - f->end});
    if (f->video != nullptr && d > 0) {
      int32_t end = MsSubFrames(f->end + d, 0);
      if (end - f->end > d) end = MsSubFrames(end, 1);
      d = end - f->end;
    }
    d = std::max(d, 0);
  }
  MoveEndMs(d, anchorTime_);
}

void TMidiLine::MoveClips(int32_t d, int y) {
  TimeLineEngine& e = timeline_.Engine();
  ClipMove move;
  move.time = d;
  if (move.time != 0 && e.TrackClipDrag(move, kKindMidi) && move.time != 0) {
    MarkDragChange(timeline_);
    e.MoveSelectedClips(move.time, 0, kKindMidi);
    anchorTime_ = ToInt32(int64_t{anchorTime_} + move.time);
    pointerFilm_->DescribeClip();
    CountDragStep(timeline_);
  }
  ShowMoveTarget(anchorTime_, y);
}

void TMidiLine::OnDragKey(int vk) {
  if (!dragging_) return;
  const int32_t step = NudgeStep(vk);
  if (step == 0) return;
  TPoint at;
  GetCursorPos(&at);
  ScreenToClient(at);
  // The anchor stays: the next move of the mouse keeps the nudge.
  const int32_t anchor = anchorTime_;
  DragBy(step, at.y);
  anchorTime_ = anchor;
}

bool TMidiLine::TakesDrop(const ClipItem& clip) {
  MidiSource* midi = clip.GetMidi();
  return midi != nullptr && Film::MidiMatchesList(midi, FilmList);
}

bool TMidiLine::FreeDropLine(const DropPlace& place, int32_t& line) {
  line = 0;
  return !Film::AnyOverlapping(place.start, place.end, kKindMidi, 0);
}

void TMidiLine::DrawDropFeedback(int32_t start, int32_t end, int32_t) {
  const TRect client = GetClientRect();
  drop_.ShowSpan(timeline_, *this, start, end, client.top, client.bottom, 0);
}
