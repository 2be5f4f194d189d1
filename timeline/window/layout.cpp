// Where the children go. The header boxes follow the time font's measure;
// below them the line groups stack down the window and the audio group
// takes what is left, in whole lines: the frame grows or shrinks to fit
// them, and a vertical bar appears when not all of them fit the screen.
// Horizontal places are set once, when the children are made.
#include <algorithm>

#include "audio/audio_player.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/scale_list.h"
#include "timeline/header/sel_size_text.h"
#include "timeline/header/sel_start_text.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/selection_text.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

constexpr int kZoomButtonWidth = 16;
constexpr int kHeaderInset = 64;

// Places a child: its creation attributes always hold where it is, so the
// layout reads them back whether the window exists yet or not.
void Place(TWindow* w, int x, int y, int cx, int cy) {
  if (w == nullptr) return;
  w->Attr.X = x;
  w->Attr.Y = y;
  w->Attr.W = cx;
  w->Attr.H = cy;
  if (w->IsWindow()) w->SetWindowPos(nullptr, TRect(x, y, x + cx, y + cy), SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveDown(TWindow* w, int dy) {
  if (w != nullptr) Place(w, w->Attr.X, w->Attr.Y + dy, w->Attr.W, w->Attr.H);
}

void ShowChild(TWindow* w, bool show) {
  if (w == nullptr) return;
  if (show) {
    w->Attr.Style |= WS_VISIBLE;
  } else {
    w->Attr.Style &= ~WS_VISIBLE;
  }
  if (w->IsWindow()) w->Show(show ? SW_SHOWNA : SW_HIDE);
}

// Height of a group's rows with the gaps between them.
int RowsHeight(const TrackPanel& panel, int32_t rows, int gap) {
  int h = 0;
  for (int32_t i = 0; i < rows; ++i) h += panel[i].height + gap;
  return h;
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::LayoutEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_SIZE,
      EV_WM_GETMINMAXINFO,
  };
  return entries;
}

TSize MainTimeLineWindow::MeasureText(const char* text) const {
  TScreenDC dc;
  if (HFONT font = TimeFont()) dc.SelectObject(font);
  POINT extent[2] = {{0, 0}, {0, 0}};
  SIZE size{0, 0};
  GetTextExtentPoint32(dc, text, static_cast<int>(std::char_traits<char>::length(text)), &size);
  extent[1] = {size.cx, size.cy};
  LPtoDP(dc, extent, 2);
  return TSize(extent[1].x - extent[0].x, extent[1].y - extent[0].y);
}

void MainTimeLineWindow::MakeChildren() {
  const int m = kTimeLineMargin;
  const int w = timeTextWidth_;
  const int hw = headerWidth_;
  const int right = hw + engine_.width + 2 * borderX_;
  const int rulerRow = 2 * borderY_ + rulerHeight_;
  const int selectionRow = 2 * borderY_ + selectionRowHeight_;
  const int box = timeTextHeight_ + 2 * borderY_;

  overview_ = new TFullSizeLine(this, 2 * (m + w), m, right - 2 * (m + w), 2 * box);
  selStartText_ = new TSelStartText(this, m, m, w, box);
  selSizeText_ = new TSelSizeText(this, m + w, m, w, box);
  setSizeButton_ = new TButton(this, kSetSizeButtonId, GetString(ui_string::kSetSize), m, m + box, w, box);
  scaleList_ = new TEScaleList(this, m + w, m + box, w, 5 * box);
  scaleList_->presentScale = [this] { return engine_.scale; };
  const int rulerTop = m + 2 * box + m;
  timeCode_ = new TTimeCode(this, hw, rulerTop, right - hw, rulerRow);
  curTimeText_ = new TCurTimeText(this, m, rulerTop, hw - m, rulerRow);
  const int selectionTop = rulerTop + rulerRow;
  selectionLine_ = new TSelectionLine(this, hw, selectionTop, right - hw, selectionRow);
  selectionText_ = new TSelectionText(this, m, selectionTop, hw - m, selectionRow);
  lineAreaTop_ = selectionTop + selectionRow;

  // The headers read their rows' heights from the settings as they are made.
  int y = lineAreaTop_;
  vfxHeader_ = new TAVButtons(this, TRect(m, y, hw, y), 1, kLineVfx, engine_.vfxPanel);
  int h = engine_.vfxPanel[0].height + 2 * borderY_;
  Place(vfxHeader_, m, y, hw - m, h);
  vfxLine_ = new TVFXLine(this, hw, y, right - hw, h);
  y += h;
  videoHeader_ = new TAVButtons(this, TRect(m, y, hw, y), 2, kLineVideo, engine_.videoPanel);
  h = RowsHeight(engine_.videoPanel, 2, borderY_) + borderY_;
  Place(videoHeader_, m, y, hw - m, h);
  videoLine_ = new TVideoLine(this, hw, y, right - hw, h);
  y += h;
  midiHeader_ = new TAVButtons(this, TRect(m, y, hw, y), 1, kLineMidi, engine_.midiPanel);
  h = engine_.midiPanel[0].height + 2 * borderY_;
  Place(midiHeader_, m, y, hw - m, h);
  midiLine_ = new TMidiLine(this, hw, y, right - hw, h);
  audioHeader_ = new TAVButtons(this, TRect(m, y, hw, y), 4, kLineAudio, engine_.audioPanel);
  h = RowsHeight(engine_.audioPanel, engine_.audioLineCount, borderY_) + borderY_;
  Place(audioHeader_, m, y, hw - m, h);
  audioLines_ = new TAudioLines(this, hw, y, right - hw, h);
  y += h;

  hScroll_ = new TScrollBar(this, kHorzScrollBarId, hw, y, right - hw, hScrollHeight_, true);
  vScroll_ =
      new TScrollBar(this, kVertScrollBarId, right, lineAreaTop_, vScrollWidth_, y - lineAreaTop_, false);
  struct ZoomButton {
    const char* text;
    int id;
    int offset;
  };
  constexpr ZoomButton kZoomButtons[] = {
      {"/", kCmZoomToProject, 64}, {"*", kCmZoomInRange, 48}, {"+", kCmZoomIn, 32}, {"-", kCmZoomOut, 16}};
  for (const ZoomButton& b : kZoomButtons) {
    zoomButtons_.push_back(
        new TButton(this, b.id, b.text, hw - b.offset, y, kZoomButtonWidth, hScrollHeight_));
  }

  Attr.W = right + vScrollWidth_ + m;
  Attr.H = y + hScrollHeight_ + m;
}

void MainTimeLineWindow::PlaceHeaderBoxes() {
  const int m = kTimeLineMargin;
  const TSize text = MeasureText(" 00:00:00:000ms ");
  timeTextWidth_ = text.cx;
  timeTextHeight_ = text.cy;
  cellWidth_ = 2 * (2 * timeTextWidth_ / 3);
  rulerHeight_ = timeTextHeight_ + 6;
  engine_.SetPixelUnit(timeTextWidth_);

  const int w = timeTextWidth_;
  const int hw = headerWidth_;
  int box = timeTextHeight_ + timeTextHeight_ / 6 + 2 * borderY_;
  // The zoom list's closed height, which its font decides.
  const int k = scaleList_->IsWindow() ? scaleList_->GetWindowRect().Height() : box;
  if ((k + box - 7) / 7 < 2) box = 21 - k;
  const int lines = engine_.audioLineCount;
  overviewRowHeight_ = (k + box - 7) / (lines + 3);
  const int total = hw + engine_.width + 2 * borderX_;

  Place(overview_, 2 * (m + w), m, total - 2 * (m + w), (lines + 3) * overviewRowHeight_ + 7);
  Place(selStartText_, m, m, w, box);
  Place(selSizeText_, m + w, m, w, box);
  Place(setSizeButton_, m, m + box, w, k);
  Place(scaleList_, m + w, m + box, w, 5 * k);
  const int rulerTop = m + box + k + m;
  const int rulerRow = 2 * borderY_ + rulerHeight_;
  Place(curTimeText_, m, rulerTop, hw - m, rulerRow);
  Place(timeCode_, hw, rulerTop, total - hw, rulerRow);

  // Everything from the selection row down moves with it.
  const int dy = rulerTop + rulerRow - selectionText_->Attr.Y;
  if (dy == 0) return;
  for (TWindow* child : {static_cast<TWindow*>(selectionText_), static_cast<TWindow*>(selectionLine_),
                         static_cast<TWindow*>(vfxHeader_), static_cast<TWindow*>(videoHeader_),
                         static_cast<TWindow*>(midiHeader_), static_cast<TWindow*>(audioHeader_),
                         static_cast<TWindow*>(vfxLine_), static_cast<TWindow*>(videoLine_),
                         static_cast<TWindow*>(midiLine_), static_cast<TWindow*>(audioLines_),
                         static_cast<TWindow*>(hScroll_), static_cast<TWindow*>(vScroll_)}) {
    MoveDown(child, dy);
  }
  for (TButton* b : zoomButtons_) MoveDown(b, dy);
  lineAreaTop_ += dy;
}

void MainTimeLineWindow::MeasureTimeText() {
  PlaceHeaderBoxes();
  LayoutToClient();
  if (OutputFormat.nChannels == 1) settings_.profileMode = kProfileVolumeOnly;
  engine_.ZoomChanged(true);
}

void MainTimeLineWindow::PlaceRows() {
  engine_.vfxPanel.firstShown = 0;
  engine_.vfxPanel.Layout(borderY_);
  engine_.videoPanel.firstShown = 0;
  engine_.videoPanel.Layout(borderY_);
  engine_.midiPanel.firstShown = 0;
  engine_.midiPanel.Layout(borderY_);
  engine_.audioPanel.Layout(borderY_);
}

void MainTimeLineWindow::EvSize(UINT sizeType, const TSize&) {
  DefaultProcessing();
  if (sizeType == SIZE_MINIMIZED) return;
  LayoutToClient();
}

void MainTimeLineWindow::LayoutToClient() {
  if (!IsWindow()) return;
  const int32_t t0 = engine_.PixelToPos(0);
  const int32_t t1 = engine_.PixelToPos(engine_.width);
  const TRect client = GetClientRect();
  int width = client.right - kTimeLineMargin;
  int bottom = client.bottom - kTimeLineMargin - hScrollHeight_;
  int vScrollWidth = 0;
  int hScrollHeight = hScrollHeight_;
  int firstAudioRow = engine_.audioPanel.firstShown;
  ComputeLayout(width, bottom, vScrollWidth, hScrollHeight, firstAudioRow, bottom);
  engine_.SetTimeAreaWidth(width - headerWidth_ - 2 * borderX_);
  LayoutChildren(width, bottom, firstAudioRow);

  HWND frame = GetAncestor(HWindow, GA_ROOT);
  if (frame != nullptr && frame != HWindow && !IsZoomed(frame) && resizeGuard_ == 0) {
    resizeGuard_ = kResizeGuardStart;
    RECT outer;
    ::GetWindowRect(frame, &outer);
    const int grow = width + vScrollWidth + kTimeLineMargin - client.right;
    const int rise = bottom + hScrollHeight + kTimeLineMargin - client.bottom;
    if (grow != 0 || rise != 0) {
      ::SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left + grow, outer.bottom - outer.top + rise,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    resizeGuard_ = 0;
  } else if (resizeGuard_ > 0) {
    --resizeGuard_;
  }
  engine_.ZoomToRange(t0, t1);
}

void MainTimeLineWindow::EvGetMinMaxInfo(MINMAXINFO& info) {
  DefaultProcessing();
  info.ptMinTrackSize.x = kTimeLineMinWidth;
  info.ptMinTrackSize.y = kTimeLineMinHeight;
}

void MainTimeLineWindow::ComputeLayout(int& width, int& bottom, int& vScrollWidth, int& hScrollHeight,
                                       int& firstAudioRow, int largestBottom) {
  const TimeLineEngine& e = engine_;
  const int by = borderY_;
  // Room the frame may still take below it.
  int below = 0;
  HWND frame = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  if (frame != nullptr && frame != HWindow && !IsZoomed(frame)) {
    RECT outer;
    ::GetWindowRect(frame, &outer);
    below = std::max(0, GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(outer.bottom));
  }
  const int limit = largestBottom + below;

  for (int round = 0; round < kLayoutRounds; ++round) {
    int y = lineAreaTop_;
    int room = bottom - y;
    if (e.showVideo) {
      const int step = e.vfxPanel[0].height + 2 * by + by + RowsHeight(e.videoPanel, 2, by);
      y += step;
      room -= step;
    }
    engine_.showMidi = false;
    int first = firstAudioRow;
    int vScrollOut = 0;
    if (e.showAudio) {
      const TrackPanel& a = e.audioPanel;
      const int32_t lines = e.audioLineCount;
      first = std::clamp(first, 0, lines - 1);
      int step = a[first].height + 2 * by;
      y += step;
      room -= step;
      int shown = 1;
      if (room > 0) {
        auto take = [&](int32_t row) {
          step = a[row].height + by;
          if (room <= step / 2 || y + step > limit) return false;
          y += step;
          room -= step;
          ++shown;
          return true;
        };
        for (int32_t row = first + 1; row < lines && take(row);) ++row;
        while (first > 0 && take(first - 1)) --first;
      }
      if (shown < lines) vScrollOut = vScrollWidth_;
    }
    const int area =
        std::max(width + vScrollWidth - vScrollOut - headerWidth_ - 2 * borderX_, 2 * cellWidth_);
    const int newWidth = headerWidth_ + area + 2 * borderX_;
    const bool settled = newWidth == width && y == bottom && vScrollOut == vScrollWidth &&
                         hScrollHeight == hScrollHeight_ && first == firstAudioRow;
    width = newWidth;
    bottom = y;
    vScrollWidth = vScrollOut;
    hScrollHeight = hScrollHeight_;
    firstAudioRow = first;
    if (settled) break;
  }
}

void MainTimeLineWindow::LayoutChildren(int width, int bottom, int firstAudioRow) {
  TimeLineEngine& e = engine_;
  const int m = kTimeLineMargin;
  const int by = borderY_;
  const int hw = headerWidth_;
  for (TWindow* strip : {static_cast<TWindow*>(overview_), static_cast<TWindow*>(timeCode_),
                         static_cast<TWindow*>(selectionLine_)}) {
    Place(strip, strip->Attr.X, strip->Attr.Y, width - strip->Attr.X, strip->Attr.H);
  }

  int y = lineAreaTop_;
  const int lineWidth = width - hw;
  ShowChild(vfxLine_, e.showVideo);
  ShowChild(vfxHeader_, e.showVideo);
  ShowChild(videoLine_, e.showVideo);
  ShowChild(videoHeader_, e.showVideo);
  if (e.showVideo) {
    e.vfxPanel.firstShown = 0;
    e.vfxPanel.Layout(by);
    int h = e.vfxPanel[0].height + 2 * by;
    Place(vfxLine_, hw, y, lineWidth, h);
    Place(vfxHeader_, m, y, hw - m, h);
    y += h;
    e.videoPanel.firstShown = 0;
    e.videoPanel.Layout(by);
    h = RowsHeight(e.videoPanel, 2, by) + by;
    Place(videoLine_, hw, y, lineWidth, h);
    Place(videoHeader_, m, y, hw - m, h);
    y += h;
  }

  e.showMidi = false;
  ShowChild(midiLine_, false);
  ShowChild(midiHeader_, false);

  ShowChild(audioLines_, e.showAudio);
  ShowChild(audioHeader_, e.showAudio);
  if (!e.showAudio) {
    ShowChild(vScroll_, false);
  } else {
    TrackPanel& a = e.audioPanel;
    const int32_t lines = e.audioLineCount;
    const int h = bottom - y;
    const int client = h - 2 * by;
    Place(audioLines_, hw, y, lineWidth, h);
    Place(audioHeader_, m, y, hw - m, h);
    Place(vScroll_, width, y, vScrollWidth_, h);
    a.clientHeight = client;
    int32_t first = std::clamp(firstAudioRow, 0, lines - 1);
    a.firstShown = first;
    a.Layout(by);
    if (first != 0 || a[lines - 1].bottom >= client) {
      // The highest first line that still shows the last one.
      int remaining = client;
      int32_t row = lines - 1;
      while (row >= 0 && a[row].height <= remaining) remaining -= a[row--].height + by;
      const int32_t highest = row < lines - 1 ? row + 1 : lines - 1;
      first = std::min(first, highest);
      a.firstShown = first;
      a.Layout(by);
      if (first != 0 || a[lines - 1].bottom >= client) {
        vScroll_->SetRange(0, highest);
        vScroll_->SetPosition(first);
        ShowChild(vScroll_, true);
      }
    }
    if (first == 0 && a[lines - 1].bottom < client) {
      vScroll_->SetRange(0, 0);
      ShowChild(vScroll_, false);
    }
    if (audioLines_->IsWindow()) audioLines_->Invalidate(false);
    if (audioHeader_->IsWindow()) audioHeader_->Invalidate(false);
  }

  const int32_t labels = (std::max(e.width, 1) - 1) / std::max(cellWidth_, 1) + 1;
  scaleList_->SetRange(1, e.length / labels);

  Place(hScroll_, hw, bottom, lineWidth, hScrollHeight_);
  e.UpdateScrollRange();
  for (TButton* b : zoomButtons_) Place(b, b->Attr.X, bottom, b->Attr.W, b->Attr.H);
  e.UpdateMarkRange();
  e.RecalcClipOrigins();
}

void MainTimeLineWindow::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), Brush(kColorBackground));
}
