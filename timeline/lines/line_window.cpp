#include "timeline/lines/line_window.h"

#include <algorithm>

#include "model/film.h"
#include "model/film_list.h"
#include "model/media_interfaces.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/gui/menu.h"
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"

// ---- Every line.

TLineWindow::TLineWindow(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h)
    : TimeLineChild(timeline, title, x, y, w, h) {}

void TLineWindow::SetHitCursor(int32_t zone) {
  ::SetHitCursor(timeline_, *this, hitZone, zone);
}

void TLineWindow::ShowZone(int32_t zone) {
  if (zone != hitZone) SetHitCursor(zone);
}

void TLineWindow::DrawPlayCursor(TDC& dc, const TRect& client) {
  const TimeLineEngine& e = timeline_.Engine();
  if (!(e.playing && e.hidePlaybackCursor)) timeline_.DrawCursorLine(dc, client);
}

// ---- The lines of clips.

TClipLine::TClipLine(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h,
                     const ClipLineKind& kind)
    : TLineWindow(timeline, title, x, y, w, h), kind_(kind) {}

const std::vector<TResponseTableEntry>& TClipLine::Entries() {
  using TMyClass = TClipLine;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_LBUTTONUP,
      EV_WM_LBUTTONDBLCLK,
      EV_WM_TIMER,
      EV_WM_RBUTTONDOWN,
      EV_WM_INITMENUPOPUP,
      EV_COMMAND(kCmPlayClip, CmPlayClip),
      EV_COMMAND(kCmRemoveMark, CmRemoveMark),
      EV_COMMAND(kCmMarkName, CmMarkName),
      EV_COMMAND(kCmMarkPosition, CmMarkPosition),
      EV_COMMAND(kCmRepeatClip, CmRepeatClip),
      EV_COMMAND(kCmDeleteSelected, CmDeleteSelected),
      EV_COMMAND(kCmCutSelected, CmCutSelected),
      EV_COMMAND(kCmCopySelected, CmCopySelected),
      EV_COMMAND(kCmAddSourceFile, CmAddSourceFile),
      EV_COMMAND(kCmDeleteClip, CmDeleteClip),
      EV_COMMAND(kCmCutClip, CmCutClip),
      EV_COMMAND(kCmCopyClip, CmCopyClip),
      EV_COMMAND(kCmPasteClips, CmPasteClips),
      EV_COMMAND(kCmInsertClips, CmInsertClips),
      EV_COMMAND(kCmClipProperties, CmClipProperties),
      EV_COMMAND(kCmSplitClip, CmSplitClip),
      EV_COMMAND(kCmStop, CmStop),
  };
  return entries;
}

bool TClipLine::Find(TEventInfo& info) {
  return SearchEntries(Entries(), info) || TLineWindow::Find(info);
}

void TClipLine::Destroy(int retVal) {
  scroll_.Stop(*this);
  TLineWindow::Destroy(retVal);
}

// ---- Hit-testing.

int32_t TClipLine::LeadingClipZone(UINT keys, const TPoint& p, bool ignoreKeys, int32_t line,
                                   const TrackRecord& row) {
  const int32_t t = TimeUnder(timeline_, p.x);
  pointerFilm_ = row.zoom >= 3 ? nullptr : Film::FindByLine(t, kind_.kind, line);
  markIndex_ = -1;
  const bool rubberBand = !ignoreKeys && ((keys & MK_SHIFT) || timeline_.multiselectMode);
  const int32_t zone = LeadingZone(timeline_, p.x, pointerFilm_, row.zoom, rubberBand);
  if (zone < 0) markIndex_ = MarkNear(timeline_, *pointerFilm_, t);
  return zone;
}

int32_t TClipLine::MarkOrEdgeZone(const TPoint& p, const TrackRecord& row) {
  return markIndex_ >= 0 && OnMarkRow(p.y, row.bottom) ? kZoneMark : EdgeZone(timeline_, *pointerFilm_, p.x);
}

// ---- Drags.

void TClipLine::EvLButtonUp(UINT, const TPoint& p) {
  EndDrag(p);
  EndClipDrag();
}

void TClipLine::EndDrag(const TPoint& p) {
  scroll_.Stop(*this);
  if (!dragging_) return;
  dragging_ = false;
  Film* film = OnTimeLine(pointerFilm_) ? pointerFilm_ : nullptr;
  switch (hitZone) {
    case kZoneTrimStart:
    case kZoneTrimEnd:
      FinishTrim(film, hitZone == kZoneTrimStart);
      break;
    case kZoneMoveClips:
    case kZoneMoveToCollection: {
      SetHitCursor(kZoneClip);
      TPoint screen = p;
      ClientToScreen(screen);
      FinishMove(FinishMoveDrag(timeline_, screen));
      break;
    }
    default:
      break;
  }
  ReleaseCapture();
}

void TClipLine::FinishTrim(Film* film, bool startEdge) {
  FinishEdgeDrag(timeline_, *this, film, startEdge);
}

void TClipLine::DragBy(int32_t change, int y) {
  if (!dragging_ || !OnTimeLine(pointerFilm_)) return;
  switch (hitZone) {
    case kZoneTrimStart:
      TrimStart(change);
      break;
    case kZoneTrimEnd:
      TrimEnd(change);
      break;
    case kZoneMark:
      MoveMark(change);
      break;
    case kZoneMoveClips:
    case kZoneMoveToCollection:
      MoveClips(change, y);
      break;
    default:
      break;
  }
}

void TClipLine::ShowMoveTarget(int32_t anchorTime, int y) {
  TimeLineEngine& e = timeline_.Engine();
  TPoint at(HoldX(e.PosToPixelUnclamped(anchorTime), e.width), y);
  ClientToScreen(at);
  ShowZone(e.IsOverClipCollection(at) ? kZoneMoveToCollection : kZoneMoveClips);
}

void TClipLine::MoveStartMs(int32_t d, int32_t& anchorTime) {
  if (d == 0) return;
  Film* f = pointerFilm_;
  MarkDragChange(timeline_);
  const int32_t oldStart = f->start;
  f->in += d;
  f->start += d;
  f->ComputeOrigin();
  if ((f->prev && f->prev->start > f->start) || (f->next && f->next->start < f->start)) {
    Film::Unlink(f, FilmList);
    Film::Link(f, FilmList);
  }
  anchorTime += d;
  timeline_.Engine().InvalidateLineRange(std::min(oldStart, f->start), f->end, f);
  f->DescribeStart();
  CountDragStep(timeline_);
}

void TClipLine::MoveEndMs(int32_t d, int32_t& anchorTime) {
  if (d == 0) return;
  Film* f = pointerFilm_;
  MarkDragChange(timeline_);
  const int32_t oldEnd = f->end;
  f->out += d;
  f->end += d;
  anchorTime += d;
  timeline_.Engine().InvalidateLineRange(f->start, std::max(oldEnd, f->end), f);
  f->DescribeStop();
  CountDragStep(timeline_);
}

void TClipLine::MoveMarkMs(int32_t change, int32_t& anchorTime) {
  Film* f = pointerFilm_;
  if (markIndex_ < 0 || markIndex_ >= f->marks.Count()) return;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t old = f->marks[markIndex_].time;
  const int32_t t =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t{old} + change, f->in, std::max(f->out - 1, f->in)));
  if (t == old) return;
  // Onto another mark: refused, and the anchor stays.
  for (const Mark& m : f->marks) {
    if (m.time == t) return;
  }
  MarkDragChange(timeline_);
  if (!f->marks.MoveMark(markIndex_, t)) return;
  anchorTime += t - old;
  const int64_t from = int64_t{f->start} - f->in + std::min(old, t) - e.hitDistanceMs;
  e.InvalidateLineRange(static_cast<int32_t>(std::max<int64_t>(from, INT32_MIN)), f->end, f);
  f->DescribeMark(markIndex_);
  CountDragStep(timeline_);
}

void TClipLine::EvTimer(UINT id) {
  if (id != 1 || !dragging_ || !scroll_.Running()) return;
  TPoint at;
  ScrollTick(at);
  DragTo(at.x, at.y);
}

void TClipLine::ScrollTick(TPoint& at) {
  scroll_.Tick(timeline_, *this, at);
}

void TClipLine::EvLButtonDblClk(UINT keys, const TPoint& p) {
  EndDrag(p);
  HitTest(keys, p, false);
  TimeLineEngine& e = timeline_.Engine();
  const int32_t t = e.PixelToPos(p.x);
  if ((keys & MK_SHIFT) || timeline_.multiselectMode) {
    ToggleLaterClips(timeline_, pointerFilm_, kind_.kind, pointerLine_, t);
  } else if (!DoubleClickZone() && hitZone != kZonePlaying) {
    PlayFromPointer(timeline_, t, e.PixelToPos(GetClientRect().Width()));
  }
}

// ---- Drops from the collection.

bool TClipLine::ShowDropFeedback(const ClipItem* clip, POINT& screen, int32_t& time, bool adjust,
                                 int32_t& cursorId) {
  drop_.Erase(*this);
  if (clip == nullptr || !(clip->GetKinds() & kind_.kind) || !TakesDrop(*clip)) return false;
  TimeLineEngine& e = timeline_.Engine();
  TPoint p = screen;
  ScreenToClient(p);
  const int32_t t = DropTime(time, adjust);
  const int gap = GetSystemMetrics(SM_CYBORDER);
  const int y = p.y - gap;
  DropPlace place;
  int32_t line = 0;
  if (y < 0 || y >= GetClientRect().Height() - gap) {
    if (adjust) return false;
    place.start = t;
    place.end = DropEnd(t, clip->GetLength(), kind_.frames);
    if (!FreeDropLine(place, line)) return false;
  } else {
    line = DropLineAt(y);
    DropRequest request;
    request.time = t;
    request.length = clip->GetLength();
    request.frames = kind_.frames;
    request.adjust = adjust;
    request.mask = kind_.kind;
    request.line = line;
    request.snapDistance = e.hitDistanceMs;
    if (!PlaceDrop(request, place)) return false;
  }
  DrawDropFeedback(place.start, place.end, line);
  AnswerDrop(timeline_, *this, place, p.y, adjust, screen, time, cursorId);
  return true;
}

int32_t TClipLine::DropTime(int32_t time, bool) {
  return timeline_.Engine().SnapToFrame(time);
}

// ---- The popup menu.

void TClipLine::EvRButtonDown(UINT keys, const TPoint& p) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragging_) return;
  // The menu's point sits on the mark that gravity would take it to.
  const TPoint at(e.PosToPixel(DragTime(timeline_, p.x, 0)), p.y);
  HitTest(keys, at, true);
  menuPoint_ = at;
  menuFilm_ = pointerFilm_;
  menuMark_ = hitZone == kZoneMark ? markIndex_ : -1;
  ShowMenu(at);
}

// The menu is built with its items' states; no command enabler changes them.
void TClipLine::EvInitMenuPopup(HMENU, UINT, bool) {
  DefaultProcessing();
}

void TClipLine::ShowMenu(const TPoint& p) {
  HMENU menu = nullptr;
  if (menuFilm_ == nullptr) {
    menu = MakeSpaceMenu(timeline_);
  } else {
    menu = CreatePopupMenu();
    HMENU edit = MakeClipEditMenu(timeline_, kind_.editorCommand, kind_.editorText, EditorPath());
    AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), GetString(ui_string::kEditItem));
    AppendMenuItem(menu, kCmSplitClip, ui_string::kSplitClipItem);
    AppendMenuItem(menu, kCmRepeatClip, ui_string::kRepeatClipItem);
    AppendMarkItems(menu, menuMark_ >= 0);
    AppendMenuItem(menu, kCmPlayClip, ui_string::kPlayClipItem);
    AppendClipItems(menu, *menuFilm_);
  }
  TPoint screen = p;
  ClientToScreen(screen);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, HWindow, nullptr);
  DestroyMenu(menu);
}

Film* TClipLine::MenuFilm() {
  return OnTimeLine(menuFilm_) ? menuFilm_ : nullptr;
}

int32_t TClipLine::MenuTime() {
  TimeLineEngine& e = timeline_.Engine();
  return e.SnapToFrame(e.PixelToPos(menuPoint_.x));
}

void TClipLine::PasteTarget(int32_t& videoRow, int32_t& audioLine) {
  videoRow = -1;
  audioLine = -1;
}

// ---- Commands passed on to the time-line and the engine.

void TClipLine::CmAddSourceFile() {
  timeline_.AddSourceFileOfKind(kind_.kind);
}

void TClipLine::CmPlayClip() {
  if (Film* film = MenuFilm()) timeline_.Engine().PlayClip(film, kind_.kind);
}

void TClipLine::CmStop() {
  timeline_.Engine().CmStop();
}

void TClipLine::CmClipProperties() {
  if (Film* film = MenuFilm()) timeline_.Engine().EditClipProperties(film);
}

void TClipLine::CmEditor() {
  LaunchClipEditor(timeline_, MenuFilm(), kind_.editorCommand);
}

void TClipLine::CmSplitClip() {
  Film* film = MenuFilm();
  SplitClipAt(timeline_, HWindow, film, MenuTime());
}

void TClipLine::CmRepeatClip() {
  if (Film* film = MenuFilm()) timeline_.Engine().RepeatClip(HWindow, film);
}

void TClipLine::CmRemoveMark() {
  if (Film* film = MenuFilm()) RemoveClipMark(timeline_, film, menuMark_);
}

void TClipLine::CmMarkName() {
  if (Film* film = MenuFilm()) RenameClipMark(timeline_, HWindow, film, menuMark_);
}

void TClipLine::CmMarkPosition() {
  if (Film* film = MenuFilm()) PlaceClipMark(timeline_, HWindow, film, menuMark_);
}

void TClipLine::CmDeleteSelected() {
  timeline_.CmDelete();
}

void TClipLine::CmCutSelected() {
  timeline_.CmCut();
}

void TClipLine::CmCopySelected() {
  timeline_.CmCopy();
}

void TClipLine::CmDeleteClip() {
  if (Film* film = MenuFilm()) timeline_.Engine().DeleteClip(HWindow, film);
}

void TClipLine::CmCutClip() {
  if (Film* film = MenuFilm()) timeline_.CutClipToClipboard(film);
}

void TClipLine::CmCopyClip() {
  if (Film* film = MenuFilm()) timeline_.CopyClipToClipboard(film);
}

void TClipLine::CmPasteClips() {
  int32_t videoRow = -1;
  int32_t audioLine = -1;
  PasteTarget(videoRow, audioLine);
  timeline_.Engine().PasteClips(HWindow, MenuTime(), videoRow, audioLine);
}

void TClipLine::CmInsertClips() {
  timeline_.Engine().InsertClips(HWindow, MenuTime());
}
