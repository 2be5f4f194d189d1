// Focus, mouse and keys: a click selects a tile, a drag moves it to another
// cell or, once the pointer leaves the clip frame, carries it over the
// time-line, which shows where it would go, scrolls while the pointer waits
// beside its time area, and takes the clip at the release. The cursor keys
// move the selection, with Shift the selected tile.
#include <algorithm>

#include "clips/clip_collection.h"
#include "platform/classlib/command_enabler.h"
#include "platform/gui/resource.h"
#include "resources/collection_ids.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/scroll_window.h"

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollPeriod = 100;  // ms

// While a tile is shown to the time-line its clip leaves out the part that
// the Skip option names (the option's value is that part's kind bit).
class SkippedParts {
 public:
  SkippedParts(ClipData& clip, int skipMode) : clip_(clip), kind_(clip.kind) {
    clip_.kind &= ~static_cast<uint32_t>(skipMode);
  }
  ~SkippedParts() { clip_.kind = kind_; }
  SkippedParts(const SkippedParts&) = delete;
  SkippedParts& operator=(const SkippedParts&) = delete;

 private:
  ClipData& clip_;
  uint32_t kind_;
};

bool ShiftHeld() {
  return GetKeyState(VK_SHIFT) < 0;
}

}  // namespace

const std::vector<TResponseTableEntry>& ClipCollection::MouseEntries() {
  using TMyClass = ClipCollection;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_SETFOCUS,  EV_WM_KILLFOCUS,     EV_MESSAGE(WM_PARENTNOTIFY, EvParentNotify),
      EV_WM_KEYDOWN,   EV_WM_LBUTTONDBLCLK, EV_WM_LBUTTONDOWN,
      EV_WM_LBUTTONUP, EV_WM_MOUSEMOVE,     EV_WM_TIMER,
  };
  return entries;
}

void ClipCollection::EvSetFocus(HWND) {
  DefaultProcessing();
  UpdateCaret();
}

void ClipCollection::EvKillFocus(HWND) {
  if (caretShown_) {
    HideCaret(HWindow);
    DestroyCaret();
    caretShown_ = false;
  }
  if (buttonDown_) {
    // The drag ends without a drop; the time-line must not keep scrolling
    // or showing where the tile would have gone.
    buttonDown_ = false;
    ReleaseCapture();
    StopScrollTimer();
    if (overTimeLine_) {
      overTimeLine_ = false;
      ClearTimeLineFeedback();
    }
  }
  DefaultProcessing();
}

LRESULT ClipCollection::EvParentNotify(WPARAM event, LPARAM point) {
  // A press on a tile selects it as a press between the tiles would.
  if (LOWORD(event) == WM_LBUTTONDOWN) EvLButtonDown(0, TPoint(GET_X_LPARAM(point), GET_Y_LPARAM(point)));
  return 0;
}

void ClipCollection::EvLButtonDown(UINT, const TPoint& point) {
  selection_ = HitTest(point);
  SetFocus();
  UpdateCaret();
  if (selection_ < 0) return;
  SetCapture(HWindow);
  buttonDown_ = true;
  overTimeLine_ = false;
}

void ClipCollection::EvLButtonDblClk(UINT, const TPoint& point) {
  selection_ = HitTest(point);
  SetFocus();
  UpdateCaret();
  AskAndAddFile(selection_);
}

void ClipCollection::EvMouseMove(UINT keys, const TPoint& point) {
  if (!buttonDown_) return;
  if (keys & MK_SHIFT) {
    StopScrollTimer();
    MoveClip(HitTest(point));
    return;
  }
  TPoint screen = point;
  ClientToScreen(screen);
  if (!IsOverFrame(screen)) {
    overTimeLine_ = true;
    ShowOverTimeLine(screen);
    if (timeLine_ != nullptr && !timerRunning_) {
      const int x = TimeAreaOffset(screen);
      if (x < 0 || x > timeLine_->Engine().width) timerRunning_ = SetTimer(kScrollTimer, kScrollPeriod) != 0;
    }
    return;
  }
  StopScrollTimer();
  if (overTimeLine_) {
    overTimeLine_ = false;
    ClearTimeLineFeedback();
  }
  const int cursor = HitTest(point) == selection_ ? kCursorTileStays : kCursorTileMoves;
  ::SetCursor(LoadCursor(ProgramInstance(), MAKEINTRESOURCE(cursor)));
}

void ClipCollection::EvLButtonUp(UINT keys, const TPoint& point) {
  StopScrollTimer();
  if (!buttonDown_) return;
  ReleaseCapture();
  buttonDown_ = false;
  TPoint screen = point;
  ClientToScreen(screen);
  if (!(keys & MK_SHIFT) && !IsOverFrame(screen)) {
    DropOnTimeLine(screen);
  } else {
    MoveClip(HitTest(point));
  }
  if (overTimeLine_) {
    overTimeLine_ = false;
    ClearTimeLineFeedback();
  }
  ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void ClipCollection::EvTimer(UINT id) {
  if (id != kScrollTimer || !buttonDown_ || !timerRunning_ || timeLine_ == nullptr) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  const TPoint screen(cursor.x, cursor.y);
  const int x = TimeAreaOffset(screen);
  if (x > timeLine_->Engine().width) {
    timeLine_->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  } else if (x < 0) {
    timeLine_->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
  } else {
    StopScrollTimer();
  }
  // The feedback follows the scrolled time-line.
  TPoint client = screen;
  ScreenToClient(client);
  EvMouseMove(0, client);
}

void ClipCollection::EvKeyDown(UINT key, UINT, UINT) {
  if (buttonDown_) return;
  const bool shift = ShiftHeld();
  const bool byRows = orientation_ == 1;
  const int horizontal = byRows ? 1 : rows_;
  const int vertical = byRows ? columns_ : 1;
  const int page = columns_ * rows_;
  int target;
  switch (key) {
    case VK_PRIOR:
      target = selection_ - page;
      break;
    case VK_NEXT:
      target = selection_ + page;
      break;
    case VK_END:
      target = TileCount() - 1;
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_LEFT:
      target = selection_ - horizontal;
      break;
    case VK_RIGHT:
      target = selection_ + horizontal;
      break;
    case VK_UP:
      target = selection_ - vertical;
      break;
    case VK_DOWN:
      target = selection_ + vertical;
      break;
    case VK_RETURN:
      if (shift) break;
      ShowClipProperties(selection_);
      return;
    case VK_INSERT:
      if (shift) break;
      AskAndAddFile(selection_);
      return;
    case VK_DELETE:
      if (shift) break;
      DeleteClip(selection_, true);
      return;
    default:
      break;
  }
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (shift)
        MoveClip(target);
      else
        SetSelection(target);
      return;
    default:
      DefaultProcessing();
  }
}

void ClipCollection::MoveClip(int index) {
  const int n = TileCount();
  if (n == 0 || selection_ < 0 || selection_ >= n) return;
  index = std::clamp(index, 0, n - 1);
  if (index == selection_) return;
  SetModified(true);
  const bool towardsFront = index < selection_;
  InsertClip(DetachClip(selection_), index);
  selection_ = index;
  Layout(towardsFront);
  UpdateCaret();
}

bool ClipCollection::IsOverFrame(const TPoint& screenPoint) const {
  if (scrollWindow_ == nullptr || scrollWindow_->GetHandle() == nullptr) return false;
  HWND frame = GetParent(scrollWindow_->GetHandle());
  if (frame == nullptr) return false;
  POINT p{screenPoint.x, screenPoint.y};
  ::ScreenToClient(frame, &p);
  return ChildWindowFromPoint(frame, p) != nullptr;
}

void ClipCollection::StopScrollTimer() {
  if (!timerRunning_) return;
  KillTimer(kScrollTimer);
  timerRunning_ = false;
}

void ClipCollection::ShowOverTimeLine(const TPoint& screenPoint) {
  ClipData* clip = SelectedClip();
  if (timeLine_ == nullptr || clip == nullptr) return;
  SkippedParts skipped(*clip, skipMode_);
  int32_t time = 0;
  timeLine_->HitTestLines(screenPoint.x, screenPoint.y, clip, time);
}

void ClipCollection::DropOnTimeLine(const TPoint& screenPoint) {
  ClipWindow* tile = Tile(selection_);
  if (tile == nullptr) return;
  if (timeLine_ != nullptr) {
    SkippedParts skipped(tile->clip, skipMode_);
    timeLine_->DropCollectionClip(screenPoint.x, screenPoint.y, &tile->clip);
  }
  if (tile->GetHandle() != nullptr)
    RedrawWindow(tile->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
}

void ClipCollection::ClearTimeLineFeedback() {
  if (timeLine_ == nullptr) return;
  int32_t time = 0;
  timeLine_->HitTestLines(0, 0, nullptr, time);
}

int ClipCollection::TimeAreaOffset(const TPoint& screenPoint) const {
  // The time area begins where the line windows do.
  TPoint left(0, 0);
  if (TWindow* lines = timeLine_->AudioLines(); lines != nullptr && lines->GetHandle() != nullptr)
    left = lines->GetWindowRect().TopLeft();
  timeLine_->ScreenToClient(left);
  TPoint p = screenPoint;
  timeLine_->ScreenToClient(p);
  return p.x - (left.x + 1);
}
