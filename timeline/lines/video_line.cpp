#include "timeline/lines/video_line.h"

#include <algorithm>

#include "media/video_bitmap.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

TVideoLine::TVideoLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TClipLine(timeline, "VideoLine", x, y, w, h,
                {kKindVideo, kCmVideoEditor, ui_string::kVideoEditorItem, true}) {}

const char* TVideoLine::GetClassName() {
  return "VideoLine";
}

void TVideoLine::SetupWindow() {
  TClipLine::SetupWindow();
  TEBitmapInit::RealizePalette(HWindow);
}

void TVideoLine::Destroy(int retVal) {
  scroll_.Stop(*this);
  if (IsWindow()) TEBitmapInit::UnrealizePalette(HWindow);
  TClipLine::Destroy(retVal);
}

bool TVideoLine::Find(TEventInfo& info) {
  return SearchEntries(MouseEntries(), info) || SearchEntries(CommandEntries(), info) ||
         TClipLine::Find(info);
}

const TrackRecord& TVideoLine::Row(int32_t row) const {
  return timeline_.Engine().videoPanel[row == 0 ? 0 : 1];
}

int32_t TVideoLine::RowAt(int y) const {
  return y <= Row(0).bottom ? 0 : 1;
}

void TVideoLine::Paint(TDC& dc, bool, TRect& rect) {
  const int gap = GetSystemMetrics(SM_CYBORDER);
  int below = rect.top;
  for (int32_t r = 0; r < 2; ++r) {
    const TrackRecord& row = Row(r);
    const int rowEnd = row.top + row.height;
    below = rowEnd + gap;
    if (rowEnd + gap <= rect.top) continue;
    if (row.top >= rect.bottom) break;
    PaintRow(dc, TRect(rect.left, row.top, rect.right, rowEnd), r, rect);
    dc.FillRect(TRect(rect.left, rowEnd, rect.right, rowEnd + gap),
                static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  if (below < rect.bottom) {
    dc.FillRect(TRect(rect.left, below, rect.right, rect.bottom),
                static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  }
  DrawPlayCursor(dc, GetClientRect());
}

void TVideoLine::PaintRow(TDC& dc, const TRect& row, int32_t rowIndex, const TRect& paint) {
  dc.SetBkMode(TRANSPARENT);
  dc.SelectObject(timeline_.ClipFont());
  const HBRUSH rowBrush = timeline_.Brush(rowIndex == 0 ? kColorFirstVideoTrack : kColorOtherVideoTrack);
  const TRect rowPaint(paint.left, row.top, paint.right, row.bottom);
  PaintClipRow(dc, timeline_, row, rowPaint, kKindVideo, rowIndex, rowBrush,
               [&](TDC& d, const TRect& clip, Film& film) { DrawClip(d, clip, film, rowPaint); });
  dc.RestoreObjects();
}

// An edge that moves drops its picture when the move ends; until then the
// old one shows, so that a drag decodes nothing.
void TVideoLine::RefreshPictures(TDC& dc, Film& film, int32_t zoom) {
  auto stale = [zoom](Thumbnail* held) {
    auto* picture = dynamic_cast<TEVideoBitmap*>(held);
    return picture == nullptr || picture->scale != zoom;
  };
  if (stale(film.inPicture)) film.UpdateInFrame(dc.GetHDC(), zoom);
  if (stale(film.outPicture)) film.UpdateOutFrame(dc.GetHDC(), zoom);
}

void TVideoLine::DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint) {
  TimeLineEngine& e = timeline_.Engine();
  film.videoState = 0;
  const int32_t zoom = Row(film.videoRow).zoom;
  const int width = e.width;
  TRect inner(std::max<int>(clip.left + 1, paint.left), clip.top, std::min<int>(clip.right - 1, paint.right),
              clip.bottom);
  const HBRUSH brush = ClipBrush(timeline_, film);
  int nameX = clip.left;
  if (zoom < 3 && showEdges) {
    RefreshPictures(dc, film, zoom);
    auto* first = dynamic_cast<TEVideoBitmap*>(film.inPicture);
    auto* last = dynamic_cast<TEVideoBitmap*>(film.outPicture);
    const int64_t a = int64_t{e.PosToPixelUnclamped(film.start)} + 1;
    const int64_t b = int64_t{e.PosToPixelUnclamped(film.end)} - 1;
    const int inEdge = HoldX(a + (first ? first->width : 0), width);
    const int height = clip.Height();
    nameX = std::max(nameX, inEdge);
    if (nameX + dc.GetTextExtent(film.name, -1).cx > clip.right) nameX = clip.left;
    if (first != nullptr && inner.left < inEdge) {
      const int w = std::min<int>(inner.right, inEdge) - inner.left;
      if (w > 0) first->DrawPart(dc, inner.left, inner.top, HoldX(inner.left - a, width), 0, w, height);
      inner.left = inEdge;
    }
    const int outEdge = std::max(inEdge, HoldX(b - (last ? last->width : 0), width));
    if (last != nullptr && outEdge < inner.right) {
      last->DrawPart(dc, outEdge, inner.top, 0, 0, inner.right - outEdge, height);
      inner.right = outEdge;
    }
  }
  if (!inner.IsEmpty()) dc.FillRect(inner, brush);
  DrawClipBorders(dc, clip);
  DrawClipMarks(dc, timeline_, clip, film);
  if (zoom < 3) DrawClipName(dc, clip, nameX, film);
}

bool TVideoLine::DrawPendingClip(Film* film) {
  if (film != nullptr) film->videoState = 0;
  return true;
}
