// The audio lines under the mouse: what lies under the pointer, presses,
// the drags that trim, move and mark clips and edit their profiles point by
// point, the keys that nudge a drag, the double-click, and the place shown
// for a clip dragged from the collection.
#include <algorithm>

#include "model/changed_ranges.h"
#include "model/edit_operations.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/profiles.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// Pixels around a profile point that still find it.
constexpr int32_t kPointPixels = 7;
// The effect marker's corner answers within this many pixels, counted
// across plus up.
constexpr int kEffectCorner = 11;
// A line whose bottom comes this close to the window's still takes the
// pointer down by keys; beyond it the lines scroll.
constexpr int kKeyMargin = 5;

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

int32_t FrameTime(int32_t frames) {
  return FramesToMs(frames, ProjectFrameRate());
}

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

const char* Tc(int32_t ms) {
  return MsToShortTimeCode(ms, true);
}

// The value a profile has at source time t, along the segment around it:
// in fader positions (balance: pan steps) of a half-height line.
int32_t ValueAt(const Profile& p, int32_t t, bool balance) {
  const int32_t n = p.Count();
  if (n == 0) return balance ? 0 : kGainUnity;
  int32_t j = 0;
  while (j < n - 1 && p[j + 1].time <= t) ++j;
  if (j == n - 1 || p[j + 1].time == p[j].time) return p[j].value;
  auto to = [balance](int32_t v) {
    return balance ? BalanceToSteps(std::clamp(v, -kPanUnity, kPanUnity), 1) : GainToFader(v, 1);
  };
  const int64_t a = to(p[j].value), b = to(p[j + 1].value);
  const int64_t span = int64_t{p[j + 1].time} - p[j].time;
  const int64_t num = (b - a) * (int64_t{t} - p[j].time);
  const int64_t step = (num + (num < 0 ? -span / 2 : span / 2)) / span;
  const int v = static_cast<int>(a + step);
  return balance ? StepsToBalance(v, 1) : FaderToGain(v, 1);
}

}  // namespace

const std::vector<TResponseTableEntry>& TAudioLines::MouseEntries() {
  using TMyClass = TAudioLines;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_LBUTTONDOWN,
      EV_WM_MOUSEMOVE,
  };
  return entries;
}

void TAudioLines::HitTest(UINT keys, const TPoint& p, bool ignoreKeys) {
  pointerLine_ = LineAt(p.y);
  const TrackRecord& row = Row(pointerLine_);
  int32_t zone = LeadingClipZone(keys, p, ignoreKeys, pointerLine_, row);
  if (zone < 0) {
    Film& f = *pointerFilm_;
    if (!ignoreKeys && ((keys & MK_CONTROL) || timeline_.addPointMode)) {
      zone = kZoneAddPoint;
    } else if (markIndex_ >= 0 && OnMarkRow(p.y, row.bottom)) {
      zone = kZoneMark;
    } else {
      const int32_t s = SourceTimeAt(f, p.x);
      int32_t index = -1;
      zone = BalanceActive() ? f.HitTestBalanceProfile(YToBalance(p.y), s, index)
                             : f.HitTestVolumeProfile(YToVolume(p.y), s, index);
      pointIndex_ = index;
      if (zone == kHitNone) {
        const int64_t left = std::max<int64_t>(timeline_.Engine().PosToPixelUnclamped(f.start), 0);
        if (f.effects != nullptr && (row.bottom - p.y) + (p.x - left) < kEffectCorner) {
          zone = kZoneEffects;
        } else {
          zone = EdgeZone(timeline_, f, p.x);
        }
      }
    }
  }
  ShowZone(zone);
}

void TAudioLines::DescribePointer() {
  Film* f = pointerFilm_;
  const bool balance = BalanceActive();
  switch (f != nullptr ? hitZone : kZoneNothing) {
    case kZoneEffects:
      f->DescribeName();
      break;
    case kZoneKeyPoint:
      balance ? f->DescribeBalancePoint(pointIndex_) : f->DescribeVolumePoint(pointIndex_);
      break;
    case kZoneFlatSegment:
      balance ? f->DescribeBalanceRange(pointIndex_) : f->DescribeVolumeRange(pointIndex_);
      break;
    case kZoneSlopedSegment:
      balance ? f->DescribeBalanceSlope(pointIndex_) : f->DescribeVolumeSlope(pointIndex_);
      break;
    default:
      DescribeZone(timeline_, f, hitZone, markIndex_);
      break;
  }
}

void TAudioLines::EvMouseMove(UINT keys, const TPoint& p) {
  if (dragging_) {
    switch (hitZone) {
      case kZoneKeyPoint:
        DragPoint(p);
        return;
      case kZoneFlatSegment:
        DragFlatSegment(p);
        return;
      case kZoneSlopedSegment:
        DragSlope(p);
        return;
      default:
        DragTo(p.x, p.y);
        scroll_.Follow(timeline_, *this, p.x, p.y, scrolledLines_);
        return;
    }
  }
  HitTest(keys, p, false);
  DescribePointer();
}

void TAudioLines::EvLButtonDown(UINT keys, const TPoint& p) {
  EndDrag(p);
  HitTest(keys, p, false);
  if (PressLeadingZone(timeline_, *this, hitZone, keys, p)) return;
  TimeLineEngine& e = timeline_.Engine();
  Film* film = pointerFilm_;
  const int32_t pressed = hitZone;
  switch (pressed) {
    case kZoneKeyPoint:
    case kZoneFlatSegment:
    case kZoneSlopedSegment:
    case kZoneAddPoint:
      SelectOnly(timeline_, film);
      if (pressed == kZoneAddPoint) {
        const int32_t index = AddPointAt(p.x, p.y, true);
        if (index < 0) return;
        // The insertion took the gesture's undo step: moving the new point
        // on belongs to it.
        pointIndex_ = index;
        SetHitCursor(kZoneKeyPoint);
      } else {
        // One undo step for the whole drag, taken before its first change.
        BeginClipDrag();
      }
      break;
    case kZoneTrimStart:
    case kZoneTrimEnd:
    case kZoneClip:
    case kZoneMark:
    case kZoneEffects:
      if (!film->IsSelected()) SelectOnly(timeline_, film);
      if (pressed == kZoneMark) {
        film->DescribeMark(markIndex_);
      } else if (pressed == kZoneTrimStart) {
        film->DescribeStart();
      } else if (pressed == kZoneTrimEnd) {
        film->DescribeStop();
      } else {
        SetHitCursor(kZoneMoveClips);
      }
      BeginClipDrag();
      break;
    default:
      return;
  }
  anchorTime_ = e.PixelToPos(p.x);
  firstShownAtPress_ = e.audioPanel.firstShown;
  scrolledLines_ = 0;
  SetCapture(HWindow);
  dragging_ = true;
  // A press on a profile already puts it under the pointer.
  if (pressed == kZoneKeyPoint) DragPoint(p);
  if (pressed == kZoneFlatSegment) DragFlatSegment(p);
  if (pressed == kZoneSlopedSegment) DragSlope(p);
}

// What the effects made of the old stretch is stale now, whatever the clip
// holds besides its sound; a picture of a new edge is made again on the
// video row.
void TAudioLines::FinishTrim(Film* film, bool startEdge) {
  TClipLine::FinishTrim(film, startEdge);
  if (film != nullptr && film->video != nullptr) {
    if (TVideoLine* video = timeline_.VideoLine(); video != nullptr && video->IsWindow()) {
      video->Invalidate(false);
    }
  }
}

void TAudioLines::FinishMove(bool tookBack) {
  if (tookBack && scrolledLines_ != 0) timeline_.ScrollAudioLinesTo(firstShownAtPress_);
}

void TAudioLines::DragTo(int x, int y) {
  DragBy(DragTime(timeline_, x, 1) - anchorTime_, y);
}

// The start moves on the pixel grid; with video, onto the key frame nearest
// to where the pointer asks for, and not at all when that one lies beyond
// what the trim may reach.
void TAudioLines::TrimStart(int32_t change) {
  Film* f = pointerFilm_;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t grid = e.PixelsToTime(e.TimeToPixels(ToInt32(int64_t{f->start} + change)));
  int32_t d = ToInt32(int64_t{grid} - f->start);
  // The bounds of the way the pointer went: a key frame the other way
  // is beyond reach.
  int32_t low = 0, high = 0;
  if (d < 0) {
    const Film* before = LimitingNeighbour(*f, false);
    low = std::min(0, std::max(-f->in, (before ? before->end : 0) - f->start));
  } else {
    high = std::max(0, f->out - 1 - f->in);
  }
  d = std::clamp(d, low, high);
  if (d != 0 && f->video != nullptr) {
    const int32_t inF = Frames(f->in);
    const int32_t lastF = f->video->GetFrameCount() - 1;
    int32_t k = f->NearestKeyFrame(Frames(f->in + d) - inF, -inF, std::max(lastF - inF, 0));
    d = FrameTime(inF + k) - f->in;
    if (d < low || d > high) d = 0;
  }
  MoveStartMs(d, anchorTime_);
}

void TAudioLines::TrimEnd(int32_t change) {
  Film* f = pointerFilm_;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t grid = e.PixelsToTime(e.TimeToPixels(ToInt32(int64_t{f->end} + change)));
  int32_t d = ToInt32(int64_t{grid} - f->end);
  const Film* after = LimitingNeighbour(*f, true);
  const int32_t low = std::min(0, f->in + 1 - f->out);
  const int32_t high = std::max(0, std::min(f->sourceLength - f->out, (after ? after->start : e.length) - f->end));
  d = std::clamp(d, low, high);
  if (d != 0 && f->video != nullptr) {
    // On a frame boundary, a frame inward when the rounding went too far.
    int32_t end = MsAddFrames(f->end + d, 0);
    if (end - f->end > high) end = MsSubFrames(end, 1);
    if (end - f->end < low) end = MsAddFrames(end, 1);
    d = end - f->end;
    if (d < low || d > high) d = 0;
  }
  MoveEndMs(d, anchorTime_);
}

void TAudioLines::MoveClips(int32_t change, int y) {
  TimeLineEngine& e = timeline_.Engine();
  ClipMove move;
  move.time = change;
  move.line = LineAt(y) - pointerLine_;
  if ((move.time != 0 || move.line != 0) && e.TrackClipDrag(move, kKindAudio)) {
    MarkDragChange(timeline_);
    e.MoveSelectedClips(move.time, move.line, kKindAudio);
    anchorTime_ = ToInt32(int64_t{anchorTime_} + move.time);
    pointerLine_ += move.line;
    pointerFilm_->DescribeClip();
    if (move.line != 0) {
      RedrawOverviewNow(timeline_);
    } else {
      CountDragStep(timeline_);
    }
  }
  ShowMoveTarget(anchorTime_, y);
}

// ---- Profiles.

void TAudioLines::ProfileChanged(Film* film) {
  WidenChangedRange(film->audioLine, film->start, film->end);
  timeline_.Engine().InvalidateClip(film);
}

void TAudioLines::DragPoint(const TPoint& p) {
  Film* f = pointerFilm_;
  if (!dragging_ || !OnTimeLine(f)) return;
  const bool balance = BalanceActive();
  Profile& profile = balance ? f->balancePoints : f->volumePoints;
  const int32_t i = pointIndex_;
  const int32_t n = profile.Count();
  if (i < 0 || i >= n) return;
  const int32_t t = ToInt32(int64_t{DragTime(timeline_, p.x, 0)} - f->origin);
  // The ends stay at the source's ends; an inner point between its neighbours.
  const int32_t time = (i == 0 || i == n - 1) ? profile[i].time
                                              : std::clamp(t, profile[i - 1].time, profile[i + 1].time);
  const int32_t value = balance ? YToBalance(p.y) : YToVolume(p.y);
  if (time != profile[i].time || value != profile[i].value) {
    MarkDragChange(timeline_);
    profile[i] = {time, value};
    ProfileChanged(f);
  }
  balance ? f->DescribeBalancePoint(i) : f->DescribeVolumePoint(i);
}

void TAudioLines::DragFlatSegment(const TPoint& p) {
  Film* f = pointerFilm_;
  if (!dragging_ || !OnTimeLine(f)) return;
  const bool balance = BalanceActive();
  Profile& profile = balance ? f->balancePoints : f->volumePoints;
  const int32_t i = pointIndex_;
  if (i < 0 || i + 1 >= profile.Count()) return;
  const int32_t value = balance ? YToBalance(p.y) : YToVolume(p.y);
  if (value != profile[i].value || value != profile[i + 1].value) {
    MarkDragChange(timeline_);
    profile[i].value = value;
    profile[i + 1].value = value;
    ProfileChanged(f);
  }
  balance ? f->DescribeBalanceRange(i) : f->DescribeVolumeRange(i);
}

void TAudioLines::DragSlope(const TPoint& p) {
  Film* f = pointerFilm_;
  if (!dragging_ || !OnTimeLine(f)) return;
  const bool balance = BalanceActive();
  Profile& profile = balance ? f->balancePoints : f->volumePoints;
  const int32_t i = pointIndex_;
  const int32_t n = profile.Count();
  // Not a segment at the source's ends: those points keep their times.
  if (i <= 0 || i >= n - 2) return;
  const int64_t wanted = int64_t{DragTime(timeline_, p.x, 0)} - anchorTime_;
  const int32_t change = ToInt32(std::clamp<int64_t>(wanted, int64_t{profile[i - 1].time} - profile[i].time,
                                                     int64_t{profile[i + 2].time} - profile[i + 1].time));
  if (change != 0) {
    MarkDragChange(timeline_);
    profile[i].time += change;
    profile[i + 1].time += change;
    anchorTime_ += change;
    ProfileChanged(f);
  }
  balance ? f->DescribeBalanceSlope(i) : f->DescribeVolumeSlope(i);
}

int32_t TAudioLines::AddPointAt(int x, int y, bool fromY) {
  Film* f = pointerFilm_;
  if (f == nullptr) return -1;
  TimeLineEngine& e = timeline_.Engine();
  const bool balance = BalanceActive();
  Profile& profile = balance ? f->balancePoints : f->volumePoints;
  const int32_t s = SourceTimeAt(*f, x);
  int32_t v = balance ? YToBalance(y) : YToVolume(y);
  const int32_t found = balance ? f->FindBalancePoint(s, v, kPointPixels) : f->FindVolumePoint(s, v, kPointPixels);
  const int32_t offset = ToInt32(int64_t{s} - f->in);
  const int32_t at = ToInt32(int64_t{offset} + f->start);
  auto status = [&](int text) { e.ShowStatusText(FormatText(GetString(text), Tc(offset), Tc(at)).c_str()); };
  if (found < 0) {
    // Only between the ends: the profile spans the source.
    if (profile.Count() < 2 || s < profile[0].time || s > profile.Last().time) return -1;
    status(ui_string::kPointInserted);
    e.MarkUndo(kUndoEdit);
    if (!fromY) v = ValueAt(profile, s, balance);
    if (!(balance ? f->AddBalancePoint(s, v) : f->AddVolumePoint(s, v))) return -1;
    int32_t index = -1;
    for (int32_t i = 0; i < profile.Count() && index < 0; ++i) {
      if (profile[i].time == s && profile[i].value == v) index = i;
    }
    e.SetModified(true);
    ProfileChanged(f);
    return index;
  }
  if (!fromY) {
    status(ui_string::kPointExists);
    return found;
  }
  // The ends stay: without them the profile would not span the source.
  if (found == 0 || found == profile.Count() - 1) {
    e.ShowStatusText(GetString(found == 0 ? ui_string::kFirstPointStays : ui_string::kLastPointStays));
    MessageBeep(MB_ICONINFORMATION);
    return -1;
  }
  status(ui_string::kPointRemoved);
  e.MarkUndo(kUndoEdit);
  if (balance) {
    f->DeleteBalancePoint(found);
  } else {
    f->DeleteVolumePoint(found);
  }
  e.SetModified(true);
  ProfileChanged(f);
  return -1;
}

// ---- Keys and the timer.

void TAudioLines::OnDragKey(int vk) {
  if (!dragging_) return;
  TPoint at;
  GetCursorPos(&at);
  TPoint client = at;
  ScreenToClient(client);
  if (const int32_t step = NudgeStep(vk); step != 0) {
    // The anchor stays: the next move of the mouse keeps the nudge.
    const int32_t anchor = anchorTime_;
    DragBy(step, client.y);
    anchorTime_ = anchor;
    return;
  }
  TimeLineEngine& e = timeline_.Engine();
  const int32_t line = pointerLine_;
  const int32_t last = std::clamp(e.audioLineCount, 1, e.audioPanel.rowCount) - 1;
  bool scroll = false;
  if (vk == VK_UP && line > 0) {
    if (line > e.audioPanel.firstShown) {
      SetCursorPos(at.x, at.y - (Row(line - 1).height + Row(line).height) / 2);
    } else {
      scroll = true;
      timeline_.EvVScroll(SB_LINEUP, 0, nullptr);
    }
  } else if (vk == VK_DOWN && line < last) {
    if (Row(line).bottom + kKeyMargin < GetClientRect().Height()) {
      SetCursorPos(at.x, at.y + (Row(line).height + Row(line + 1).height) / 2);
    } else {
      scroll = true;
      timeline_.EvVScroll(SB_LINEDOWN, 0, nullptr);
    }
  }
  // The pointer stayed where it was, over another line now.
  if (scroll) DragTo(client.x, client.y);
}

void TAudioLines::ScrollTick(TPoint& at) {
  scroll_.Tick(timeline_, *this, at, scrolledLines_);
}

// ---- The double-click.

bool TAudioLines::DoubleClickZone() {
  if (hitZone != kZoneEffects) return false;
  EditEffects(pointerFilm_);
  return true;
}

// ---- Drops from the collection.

bool TAudioLines::TakesDrop(const ClipItem& clip) {
  AudioSource* audio = clip.GetAudio();
  return audio != nullptr && audio->IsDirectFormat();
}

bool TAudioLines::FreeDropLine(const DropPlace& place, int32_t& line) {
  TimeLineEngine& e = timeline_.Engine();
  const int gap = GetSystemMetrics(SM_CYBORDER);
  const int height = GetClientRect().Height();
  const int32_t count = std::clamp(e.audioLineCount, 0, e.audioPanel.rowCount);
  line = std::max(e.audioPanel.firstShown, 0);
  while (line < count && Row(line).top < height - 2 * gap &&
         Film::AnyOverlapping(place.start, place.end, kKindAudio, line)) {
    ++line;
  }
  return line < count && Row(line).top < height - 2 * gap;
}

void TAudioLines::DrawDropFeedback(int32_t start, int32_t end, int32_t line) {
  const TrackRecord& r = Row(line);
  drop_.ShowSpan(timeline_, *this, start, end, r.top, r.top + r.height, line);
}
