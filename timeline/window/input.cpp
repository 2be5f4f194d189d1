// The time-line window's own input: its scroll bars and their keys, the
// zoom list, "Set Size", the keys it takes before the accelerators, and the
// mouse while the window itself holds it (the rubber band), with timer 1
// scrolling the time area when the pointer leaves it.
#include <algorithm>

#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/scale_list.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_dialogs.h"

namespace {

constexpr UINT_PTR kScrollTimer = 1;      // shared with playback
constexpr UINT kScrollTimerPeriod = 100;  // ms

void Repaint(TWindow* w) {
  if (w != nullptr && w->IsWindow()) w->Invalidate(false);
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::InputEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_HSCROLL,
      EV_WM_VSCROLL,
      EV_WM_LBUTTONUP,
      EV_WM_MOUSEMOVE,
      EV_COMMAND(kCmScrollLineUp, CmScrollLineUp),
      EV_COMMAND(kCmScrollLineDown, CmScrollLineDown),
      EV_COMMAND(kCmScrollLeft, CmScrollLeft),
      EV_COMMAND(kCmScrollRight, CmScrollRight),
      EV_CBN_SELCHANGE(kScaleListId, EvScaleChange),
      EV_COMMAND(kSetSizeButtonId, CmSelectionTime),
  };
  return entries;
}

// ---- Scrolling.

void MainTimeLineWindow::EvHScroll(UINT code, UINT pos, HWND) {
  const int64_t step = std::max(engine_.ScrollStep(), 1);
  int lo = 0, hi = 0;
  hScroll_->GetRange(lo, hi);
  hi = std::max(hi, lo);
  const int64_t page = std::max(hScroll_->PageMagnitude, 1);
  int64_t origin = engine_.origin;
  switch (code) {
    case SB_LINELEFT:
      origin -= step;
      break;
    case SB_LINERIGHT:
      origin += step;
      break;
    case SB_PAGELEFT:
      origin -= page * step;
      break;
    case SB_PAGERIGHT:
      origin += page * step;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      origin = static_cast<int64_t>(static_cast<int32_t>(pos)) * step;
      break;
    case SB_TOP:
      origin = lo * step;
      break;
    case SB_BOTTOM:
      origin = hi * step;
      break;
    case SB_ENDSCROLL:
      hScroll_->SetPosition(static_cast<int>(engine_.origin / step));
      return;
    default:
      return;
  }
  origin = std::clamp<int64_t>(origin, lo * step, hi * step);
  if (origin == engine_.origin) return;
  engine_.origin = static_cast<int32_t>(origin);
  hScroll_->SetPosition(static_cast<int>(origin / step));
  for (TWindow* w :
       {static_cast<TWindow*>(timeCode_), static_cast<TWindow*>(selectionLine_),
        static_cast<TWindow*>(videoLine_), static_cast<TWindow*>(vfxLine_), static_cast<TWindow*>(midiLine_),
        static_cast<TWindow*>(audioLines_), static_cast<TWindow*>(overview_)}) {
    Repaint(w);
  }
  engine_.UpdateMarkRange();
}

void MainTimeLineWindow::EvVScroll(UINT code, UINT pos, HWND) {
  int lo = 0, hi = 0;
  vScroll_->GetRange(lo, hi);
  hi = std::max(hi, lo);
  TrackPanel& panel = engine_.audioPanel;
  int32_t first = panel.firstShown;
  switch (code) {
    case SB_LINEUP:
      --first;
      break;
    case SB_LINEDOWN:
      ++first;
      break;
    case SB_PAGEUP:
      first -= std::max(vScroll_->PageMagnitude, 1);
      break;
    case SB_PAGEDOWN:
      first += std::max(vScroll_->PageMagnitude, 1);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      first = static_cast<int32_t>(pos);
      break;
    case SB_TOP:
      first = lo;
      break;
    case SB_BOTTOM:
      first = hi;
      break;
    case SB_ENDSCROLL:
      vScroll_->SetPosition(panel.firstShown);
      return;
    default:
      return;
  }
  first = std::clamp<int32_t>(first, lo, hi);
  first = std::clamp<int32_t>(first, 0, panel.rowCount - 1);
  if (first == panel.firstShown) return;
  panel.firstShown = first;
  panel.Layout(borderY_);
  Repaint(audioLines_);
  Repaint(audioHeader_);
  vScroll_->SetPosition(first);
}

void MainTimeLineWindow::CmScrollLineUp() {
  int lo = 0, hi = 0;
  vScroll_->GetRange(lo, hi);
  if (lo < hi && vScroll_->GetPosition() > lo) EvVScroll(SB_LINEUP, 0, vScroll_->GetHandle());
}

void MainTimeLineWindow::CmScrollLineDown() {
  int lo = 0, hi = 0;
  vScroll_->GetRange(lo, hi);
  if (lo < hi && vScroll_->GetPosition() < hi) EvVScroll(SB_LINEDOWN, 0, vScroll_->GetHandle());
}

void MainTimeLineWindow::CmScrollLeft() {
  int lo = 0, hi = 0;
  hScroll_->GetRange(lo, hi);
  if (lo < hi && hScroll_->GetPosition() > lo) EvHScroll(SB_LINELEFT, 0, hScroll_->GetHandle());
}

void MainTimeLineWindow::CmScrollRight() {
  int lo = 0, hi = 0;
  hScroll_->GetRange(lo, hi);
  if (lo < hi && hScroll_->GetPosition() < hi) EvHScroll(SB_LINERIGHT, 0, hScroll_->GetHandle());
}

void MainTimeLineWindow::EvScaleChange() {
  const int32_t scale = scaleList_->GetScale();
  if (scale != engine_.scale) engine_.SetZoom(scale);
}

// ---- "Set Size".

void MainTimeLineWindow::CmSelectionTime() {
  TimeLineEngine& e = engine_;
  ProjectSizeRequest v;
  v.length = e.length;
  v.audioLines = e.audioLineCount;
  for (Film* f = FilmList.First(); f; f = f->next) v.latestEnd = std::max(v.latestEnd, f->end);
  v.viewStart = e.PixelToPos(0);
  v.viewEnd = e.PixelToPos(e.width);
  int32_t start = 0, end = 0;
  if (e.GetMarkRange(start, end)) {
    v.rangeStart = start;
    v.rangeEnd = end;
  }
  if (!CurrentTimeLineDialogs().AskProjectSize(HWindow, v)) return;
  if (v.length != e.length || v.audioLines != e.audioLineCount) {
    e.MarkUndo(kUndoEdit);
    e.ChangeLength(v.length, v.audioLines);
  }
  e.SetMarkRange(v.rangeStart, v.rangeEnd);
  e.ZoomToRange(v.viewStart, v.viewEnd);
}

// ---- Keys.

bool MainTimeLineWindow::PreProcessMsg(MSG& msg) {
  if (msg.message == WM_KEYDOWN) {
    const int vk = static_cast<int>(msg.wParam);
    switch (vk) {
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (PassDragKey(vk)) return true;
        break;
      case VK_TAB:
        if (::GetCapture() == nullptr) {
          StepSelectedClip((GetKeyState(VK_SHIFT) & 0x8000) != 0);
          return true;
        }
        break;
      default:
        break;
    }
  }
  return TWindow::PreProcessMsg(msg);
}

// The line with a drag in progress takes the arrow keys as its drag step.
bool MainTimeLineWindow::PassDragKey(int vk) {
  if (videoLine_ != nullptr && videoLine_->IsDragging()) {
    videoLine_->OnDragKey(vk);
    return true;
  }
  if (audioLines_ != nullptr && audioLines_->IsDragging()) {
    audioLines_->OnDragKey(vk);
    return true;
  }
  if (midiLine_ != nullptr && midiLine_->IsDragging()) {
    midiLine_->OnDragKey(vk);
    return true;
  }
  return false;
}

void MainTimeLineWindow::StepSelectedClip(bool back) {
  Film* selected = nullptr;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->IsSelected()) continue;
    // Only a single selected clip steps.
    if (selected != nullptr) return;
    selected = f;
  }
  if (selected == nullptr) return;
  Film* found = nullptr;
  for (Film* f = back ? selected->prev : selected->next; f; f = back ? f->prev : f->next) {
    if (!f->IsSelected() && edit::ShareLine(*selected, *f)) {
      found = f;
      break;
    }
  }
  if (found == nullptr) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  UndoScript::SetPending(kUndoSelectGesture);
  selected->group = 0;
  found->group = SelectionGroup;
  RepaintClip(selected);
  RepaintClip(found);
}

// ---- The mouse over the window, and timer 1.

int MainTimeLineWindow::SideOfTimeArea(int clientX) const {
  const int x = clientX - headerWidth_ - borderX_;
  if (x < 0) return -1;
  return x > engine_.width ? 1 : 0;
}

void MainTimeLineWindow::StartScrollTimer() {
  if (engine_.play.timerOn || !IsWindow()) return;
  engine_.play.timerOn = ::SetTimer(HWindow, kScrollTimer, kScrollTimerPeriod, nullptr) != 0;
}

void MainTimeLineWindow::StopScrollTimer() {
  if (!engine_.play.timerOn) return;
  if (IsWindow()) ::KillTimer(HWindow, kScrollTimer);
  engine_.play.timerOn = false;
}

void MainTimeLineWindow::EvLButtonUp(UINT, const TPoint& p) {
  if (engine_.playing) return;
  StopScrollTimer();
  if (heldClip_ && buttonPressed_) {
    TPoint screen = p;
    ClientToScreen(screen);
    const int32_t placed = DropCollectionClip(screen.x, screen.y, heldClip_.get());
    if (heldClip_) OfferClipCopy(*heldClip_, placed);
    ReleaseHeldClip();
  } else if (bandActive_) {
    EndRubberBand();
  }
}

void MainTimeLineWindow::EvMouseMove(UINT, const TPoint& p) {
  TPoint screen = p;
  ClientToScreen(screen);
  if (heldClip_) {
    int32_t time = 0;
    HitTestLines(screen.x, screen.y, heldClip_.get(), time);
  } else if (bandActive_) {
    DrawRubberBand();
    bandCurrent_ = {screen.x, screen.y};
    DrawRubberBand();
  } else {
    ShowStatusText("");
    DefaultProcessing();
    return;
  }
  if (!engine_.playing && SideOfTimeArea(p.x) != 0) StartScrollTimer();
}

bool MainTimeLineWindow::ScrollTowardsPointer(int clientX) {
  switch (SideOfTimeArea(clientX)) {
    case 1:
      EvHScroll(SB_LINERIGHT, 0, hScroll_->GetHandle());
      return true;
    case -1:
      EvHScroll(SB_LINELEFT, 0, hScroll_->GetHandle());
      return true;
    default:
      StopScrollTimer();
      return false;
  }
}

void MainTimeLineWindow::AutoScrollStep() {
  if (engine_.playing || !engine_.play.timerOn) return;
  POINT screen{0, 0};
  ::GetCursorPos(&screen);
  TPoint client(screen.x, screen.y);
  ScreenToClient(client);

  if (heldClip_) {
    ScrollTowardsPointer(client.x);
    // The drop feedback follows the content under the pointer.
    EvMouseMove(0, client);
    return;
  }
  if (!bandActive_) {
    StopScrollTimer();
    return;
  }
  DrawRubberBand();
  const int32_t before = engine_.TimeToPixels(engine_.origin);
  ScrollTowardsPointer(client.x);
  // The anchor stays on its time while the content moves under it.
  bandAnchor_.x += before - engine_.TimeToPixels(engine_.origin);
  bandCurrent_ = screen;
  engine_.UpdateLines();
  DrawRubberBand();
}

void MainTimeLineWindow::RouteRangeClick(bool shift, int x, int y) {
  POINT p{x, y};
  if (shift) {
    ::ScreenToClient(selectionLine_->GetHandle(), &p);
    selectionLine_->BeginRangeDrag(p.x);
  } else {
    ::ScreenToClient(timeCode_->GetHandle(), &p);
    timeCode_->BeginCursorDrag(p.x);
  }
}
