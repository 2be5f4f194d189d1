// The collection's view modes, the grid of tiles, the selection with its
// caret, and painting.
#include <algorithm>

#include "clips/clip_collection.h"
#include "clips/collection_shell.h"
#include "model/time_code.h"
#include "platform/classlib/command_enabler.h"
#include "resources/collection_ids.h"
#include "ui/scroll_window.h"

const std::vector<TResponseTableEntry>& ClipCollection::LayoutEntries() {
  using TMyClass = ClipCollection;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_SIZE,
      EV_COMMAND_AND_ID(kCmViewFullInfo, CmViewMode),
      EV_COMMAND_AND_ID(kCmViewBasicInfo, CmViewMode),
      EV_COMMAND_AND_ID(kCmViewLargeIcons, CmViewMode),
      EV_COMMAND_AND_ID(kCmViewSmallIcons, CmViewMode),
      EV_COMMAND_ENABLE(kCmViewFullInfo, CeViewMode),
      EV_COMMAND_ENABLE(kCmViewBasicInfo, CeViewMode),
      EV_COMMAND_ENABLE(kCmViewLargeIcons, CeViewMode),
      EV_COMMAND_ENABLE(kCmViewSmallIcons, CeViewMode),
  };
  return entries;
}

void ClipCollection::CmViewMode(WPARAM id) {
  SetViewMode(static_cast<int>(id) - kCmViewFullInfo + kViewFullInfo);
}

void ClipCollection::CeViewMode(TCommandEnabler& ce) {
  ce.Enable(true);
  ce.SetCheck(static_cast<int>(ce.GetId()) - kCmViewFullInfo + kViewFullInfo == viewMode_
                  ? TCommandEnabler::Checked
                  : TCommandEnabler::Unchecked);
}

void ClipCollection::EvSize(UINT sizeType, const TSize& size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType != SIZE_MINIMIZED) Layout(false);
}

void ClipCollection::HideCaretIfShown() {
  if (caretShown_) HideCaret(HWindow);
}

void ClipCollection::ShowCaretIfShown() {
  if (caretShown_) ShowCaret(HWindow);
}

TRect ClipCollection::TileRect(const ClipWindow* tile) const {
  RECT r = tile->GetWindowRect();
  MapWindowPoints(nullptr, HWindow, reinterpret_cast<POINT*>(&r), 2);
  return TRect(r);
}

void ClipCollection::SetViewMode(int mode) {
  viewMode_ = std::clamp(mode, kViewFullInfo, kViewSmallIcons);
  CurrentCollectionShell().ShowViewMode(viewMode_);
  HideCaretIfShown();
  TEVideoBitmap::SetThumbnailMode(viewMode_);
  for (int i = TileCount() - 1; i >= 0; --i) tiles_[static_cast<size_t>(i)]->SetViewMode(viewMode_);
  ShowCaretIfShown();
  Layout(false);
}

void ClipCollection::Layout(bool backwards) {
  if (inLayout_ || HWindow == nullptr) return;
  inLayout_ = true;
  HideCaretIfShown();
  const TSize visible =
      scrollWindow_ != nullptr ? scrollWindow_->GetFullClientSize() : GetClientRect().Size();
  const int w = visible.cx, h = visible.cy;
  const int n = TileCount();

  cellWidth_ = cellHeight_ = 10;
  for (const ClipWindow* tile : tiles_) {
    const TSize size = tile->GetWindowRect().Size();
    cellWidth_ = std::max(cellWidth_, size.cx);
    cellHeight_ = std::max(cellHeight_, size.cy);
  }
  // At most one per tile, at least one.
  auto fit = [n](int room, int cell, int gap) {
    return std::max(1, std::min((room - gap) / (cell + gap), n));
  };
  auto ceilDiv = [](int a, int b) { return (a + b - 1) / b; };
  columns_ = fit(w, cellWidth_, gapX_);
  rows_ = fit(h, cellHeight_, gapY_);
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
  const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
  const bool byRows = orientation_ == 1;
  int contentWidth, contentHeight;
  if (byRows) {
    contentWidth = (gapX_ + cellWidth_) * columns_ + gapX_;
    contentHeight = ceilDiv(n, columns_) * (gapY_ + cellHeight_) + gapY_;
    if (h < contentHeight) {
      // A vertical bar will take its room.
      columns_ = fit(w - barWidth, cellWidth_, gapX_);
      contentWidth = (gapX_ + cellWidth_) * columns_ + gapX_;
      contentHeight = ceilDiv(n, columns_) * (gapY_ + cellHeight_) + gapY_;
    }
  } else {
    contentWidth = ceilDiv(n, rows_) * (gapX_ + cellWidth_) + gapX_;
    contentHeight = (gapY_ + cellHeight_) * rows_ + gapY_;
    if (w < contentWidth) {
      rows_ = fit(h - barHeight, cellHeight_, gapY_);
      contentWidth = ceilDiv(n, rows_) * (gapX_ + cellWidth_) + gapX_;
      contentHeight = (gapY_ + cellHeight_) * rows_ + gapY_;
    }
  }
  const bool widthFits = contentWidth <= w, heightFits = contentHeight <= h;
  int sizeX = w, sizeY = h;
  if (widthFits && !heightFits) {
    sizeX = std::max(contentWidth, w - barWidth);
    sizeY = contentHeight;
  } else if (!widthFits && heightFits) {
    sizeX = contentWidth;
    sizeY = std::max(contentHeight, h - barHeight);
  } else if (!widthFits && !heightFits) {
    sizeX = contentWidth;
    sizeY = contentHeight;
  }
  ResizeWindow(this, sizeX, sizeY);

  for (int k = 0; k < n; ++k) {
    const int i = backwards ? n - 1 - k : k;
    ClipWindow* tile = tiles_[static_cast<size_t>(i)];
    const TSize size = tile->GetWindowRect().Size();
    const int column = byRows ? i % columns_ : i / rows_;
    const int row = byRows ? i / columns_ : i % rows_;
    MoveWindowTo(tile, column * (cellWidth_ + gapX_) + gapX_ + (cellWidth_ - size.cx) / 2,
                 row * (cellHeight_ + gapY_) + gapY_ + (cellHeight_ - size.cy) / 2);
  }
  if (scrollWindow_ != nullptr) scrollWindow_->UpdateScroller();
  if (n > 0) ShowCaretIfShown();
  SetSelection(selection_);
  RedrawClips();
  inLayout_ = false;
}

int ClipCollection::HitTest(const TPoint& point) {
  const int n = TileCount();
  if (n == 0) {
    selection_ = -1;
    return -1;
  }
  const TRect client = GetClientRect();
  if (point.x < client.left || point.y < client.top || point.x >= client.right || point.y >= client.bottom)
    return selection_;
  int column = point.x / (cellWidth_ + gapX_);
  int row = point.y / (cellHeight_ + gapY_);
  // A point beside the last column or row belongs to it, not to the next.
  int index;
  if (orientation_ == 1) {
    column = std::clamp(column, 0, columns_ - 1);
    index = row * columns_ + column;
  } else {
    row = std::clamp(row, 0, rows_ - 1);
    index = column * rows_ + row;
  }
  return std::clamp(index, 0, n - 1);
}

void ClipCollection::SetSelection(int index) {
  if (TileCount() == 0) {
    selection_ = -1;
    UpdateCaret();
    return;
  }
  selection_ = std::clamp(index, 0, TileCount() - 1);
  UpdateCaret();
}

void ClipCollection::UpdateCaret() {
  if (HWindow == nullptr || GetFocus() != HWindow) return;
  const int n = TileCount();
  if (n == 0) {
    if (caretShown_) {
      HideCaret(HWindow);
      DestroyCaret();
      caretShown_ = false;
    }
    CurrentCollectionShell().ShowClipStatus("", "", "", "");
    return;
  }
  selection_ = std::clamp(selection_, 0, n - 1);
  ClipWindow* tile = tiles_[static_cast<size_t>(selection_)];
  const TRect r = TileRect(tile);
  PlaceCaret(r.left, r.top, r.Width(), r.Height());
  const ClipData& clip = tile->clip;
  CurrentCollectionShell().ShowClipStatus(
      MsToShortTimeCode(clip.inTime, TRUE), MsToShortTimeCode(clip.outTime, TRUE),
      MsToShortTimeCode(clip.duration, TRUE), clip.path != nullptr ? clip.path : "");
}

void ClipCollection::PlaceCaret(int x, int y, int width, int height) {
  const int mx = gapX_ * 3 / 4, my = gapY_ * 3 / 4;
  if (caretShown_) DestroyCaret();
  // The system's grey caret: a block around the tile, in the gaps.
  CreateCaret(HWindow, reinterpret_cast<HBITMAP>(1), width + 2 * mx, height + 2 * my);
  caretShown_ = true;
  if (scrollWindow_ != nullptr)
    scrollWindow_->ScrollIntoView(x - mx, y - my, x + width + mx, y + height + my);
  SetCaretPos(x - mx, y - my);
  ShowCaret(HWindow);
}

void ClipCollection::Paint(TDC& dc, bool, TRect&) {
  HideCaretIfShown();
  // Two pixels beyond the edges, so that the outline stays out of sight.
  TRect r = GetClientRect();
  r.left -= 2;
  r.top -= 2;
  r.right += 2;
  r.bottom += 2;
  dc.Rectangle(r);
  ShowCaretIfShown();
}

void ClipCollection::RedrawClips() {
  if (HWindow == nullptr) return;
  Invalidate(false);
  for (ClipWindow* tile : tiles_)
    if (tile->GetHandle() != nullptr)
      RedrawWindow(tile->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
}

void ClipCollection::RealizePalettes() {
  for (int i = TileCount() - 1; i >= 0; --i) {
    ClipWindow* tile = tiles_[static_cast<size_t>(i)];
    if (tile->clip.thumbnail != nullptr) TEBitmapInit::RealizePaletteAndUpdate(tile->GetHandle());
  }
}
