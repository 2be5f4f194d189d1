#include "clips/clip_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "clips/clip_collection.h"
#include "model/fit_path.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/collection_ids.h"

namespace {

const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

HBRUSH LightGreyBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
  return brush;
}

TileTextWidths g_widths;
bool g_measured = false;

int TextWidth(HDC dc, const char* text) {
  SIZE size{};
  GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &size);
  return size.cx;
}

void DrawStock(HDC dc, int resourceId, int x, int y) {
  if (TEBitmap* bitmap = TEBitmapInit::StockBitmap(resourceId)) bitmap->Draw(dc, x, y);
}

// The icons of the parts, by whether the clip's kind takes the part and
// whether it plays directly.
int AudioIcon(bool inKind, bool direct) {
  return inKind ? (direct ? 1027 : 1025) : (direct ? 1028 : 1026);
}
int VideoIcon(bool inKind, bool direct) {
  return inKind ? (direct ? 1023 : 1021) : (direct ? 1024 : 1022);
}
int MidiIcon(bool inKind) {
  return inKind ? 1031 : 1032;
}

// A text too wide for its place ends in "..." rather than in half a letter.
void DrawLine(TDC& dc, const char* text, COLORREF color, const TRect& rect, UINT format) {
  dc.SetTextColor(color);
  dc.DrawText(text, -1, rect, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(ClipWindow, TEWindow)
  EV_WM_LBUTTONDBLCLK,
  EV_WM_RBUTTONDOWN,
END_RESPONSE_TABLE;
// clang-format on

ClipWindow::ClipWindow(int mode, VideoData* video, MidiData* midi, AudioData* audio, bool render)
    : TEWindow(nullptr, ""), clip(video, midi, audio, render), viewMode(std::clamp(mode, 1, 4)) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER;
  Attr.X = -1000;
  Attr.Y = -1000;
  const TSize client = ClientSizeFor(viewMode);
  SizeForClient(this, client.cx, client.cy);
}

ClipWindow::~ClipWindow() = default;

const char* ClipWindow::GetClassName() {
  return "ClipWindow";
}

void ClipWindow::GetWindowClass(WNDCLASS& wc) {
  TEWindow::GetWindowClass(wc);
  wc.style |= CS_DBLCLKS;
}

void ClipWindow::SetupWindow() {
  TEWindow::SetupWindow();
  TEBitmapInit::RealizePalette(HWindow);
  if (!g_measured) {
    TClientDC dc(HWindow);
    MeasureInfoTexts(dc, ClipCollection::TileFont());
  }
  SetViewMode(viewMode);
}

void ClipWindow::Destroy(int retVal) {
  TEBitmapInit::UnrealizePalette(HWindow);
  TEWindow::Destroy(retVal);
}

void ClipWindow::MeasureInfoTexts(HDC dc, HFONT font) {
  HGDIOBJ before = font != nullptr ? SelectObject(dc, font) : nullptr;
  g_widths.w1 = TextWidth(dc, "  Sound:  ");
  g_widths.w2 = TextWidth(dc, "  In:");
  g_widths.w3 = TextWidth(dc, "  In:00:00:00:000.");
  g_widths.w4 = TextWidth(dc, "  In:00:00:00:000. Out:");
  g_widths.w5 = TextWidth(dc, " 44 kHz 16 stereo ");
  if (before != nullptr) SelectObject(dc, before);
  g_measured = true;
}

const TileTextWidths& ClipWindow::TextWidths() {
  return g_widths;
}

TSize ClipWindow::ClientSizeFor(int mode) {
  const int tw = TEBitmapInit::ThumbnailWidth();
  const int th = TEBitmapInit::ThumbnailHeight();
  switch (mode) {
    case kViewFullInfo:
      return TSize(kTileFullInfoWidth, th);
    case kViewBasicInfo:
      return TSize(tw + g_widths.w5 + kTileIconWidth, th);
    case kViewLargeIcons:
      return TSize(tw, th + kTileNameLineHeight);
    default:
      return TSize(tw, th);
  }
}

void ClipWindow::SetViewMode(int mode) {
  fittedPath[0] = '\0';
  viewMode = std::clamp(mode, 1, 4);
  clip.ReleaseThumbnail();
  const TSize client = ClientSizeFor(viewMode);
  SizeForClient(this, client.cx, client.cy);
  if (HWindow == nullptr) return;
  ResizeWindow(this, Attr.W, Attr.H);
  RedrawWindow(HWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
}

void ClipWindow::EvLButtonDblClk(UINT, const TPoint&) {
  if (Parent != nullptr)
    ::SendMessage(Parent->GetHandle(), WM_COMMAND, MAKEWPARAM(kCmCollectionProperties, 0),
                  reinterpret_cast<LPARAM>(HWindow));
}

void ClipWindow::EvRButtonDown(UINT keys, const TPoint& point) {
  if (Parent == nullptr) return;
  // The collection's context menu, at the point in its own coordinates.
  POINT p = point;
  MapWindowPoints(HWindow, Parent->GetHandle(), &p, 1);
  ::SendMessage(Parent->GetHandle(), WM_RBUTTONDOWN, keys, MAKELPARAM(p.x, p.y));
}

void ClipWindow::DrawKindIcons(TDC& dc, const TRect& client) {
  const int x = TEBitmapInit::ThumbnailWidth();
  const bool both = clip.audio != nullptr && clip.video != nullptr;
  const int centred = client.Height() / 2 - kTileIconHeight / 2;
  if (clip.audio != nullptr) {
    DrawStock(dc, AudioIcon(clip.kind & kClipAudio, clip.audio->IsDirectFormat()), x, both ? 0 : centred);
  } else if (clip.midi != nullptr) {
    DrawStock(dc, MidiIcon(clip.kind & kClipMidi), x, centred);
  }
  if (clip.video != nullptr) {
    DrawStock(dc, VideoIcon(clip.kind & kClipVideo, clip.video->IsDirectPlayable()), x,
              both ? client.bottom - kTileIconHeight : centred);
  }
}

void ClipWindow::PaintInfo(TDC& dc, const TRect& client, int mode, COLORREF nameColor, COLORREF audioColor,
                           COLORREF videoColor) {
  const int x0 = TEBitmapInit::ThumbnailWidth() + kTileIconWidth;
  dc.FillRect(TRect(TEBitmapInit::ThumbnailWidth(), 0, x0, client.bottom), LightGreyBrush());
  DrawKindIcons(dc, client);
  const TRect text(x0, 0, client.right, client.bottom);
  ExtTextOut(dc, x0, 0, ETO_OPAQUE, &text, "", 0, nullptr);

  if (mode == kViewFullInfo) {
    const int h = client.Height() / 6;
    const int top = (client.Height() % 6) / 2;
    auto row = [&](int i, int x) { return TRect(x, top + i * h, client.right, top + (i + 1) * h); };
    const TileTextWidths& w = g_widths;
    DrawLine(dc, GetString(ui_string::kTileName), kGrey, row(0, x0), DT_LEFT);
    DrawLine(dc, clip.name, nameColor, row(0, x0 + w.w1), DT_LEFT);
    DrawLine(dc, GetString(ui_string::kTileFile), kGrey, row(1, x0), DT_LEFT);
    if (fittedPath[0] == '\0' && clip.path != nullptr) {
      const size_t n = strnlen(clip.path, sizeof fittedPath - 1);
      std::memcpy(fittedPath, clip.path, n);
      fittedPath[n] = '\0';
      FitPathToWidth(dc, fittedPath, client.right - (x0 + w.w1));
    }
    DrawLine(dc, fittedPath, nameColor, row(1, x0 + w.w1), DT_LEFT);
    DrawLine(dc, GetString(ui_string::kTileSound), kGrey, row(2, x0), DT_LEFT);
    DrawLine(dc, clip.DescribeAudio(), audioColor, row(2, x0 + w.w1), DT_LEFT);
    DrawLine(dc, GetString(ui_string::kTileVideo), kGrey, row(3, x0), DT_LEFT);
    DrawLine(dc, clip.DescribeVideo(), videoColor, row(3, x0 + w.w1), DT_LEFT);
    DrawLine(dc, GetString(ui_string::kTileIn), kGrey, row(4, x0), DT_LEFT);
    DrawLine(dc, MsToShortTimeCode(clip.inTime, TRUE), nameColor, row(4, x0 + w.w2), DT_LEFT);
    DrawLine(dc, GetString(ui_string::kTileOut), kGrey, row(4, x0 + w.w3), DT_LEFT);
    DrawLine(dc, MsToShortTimeCode(clip.outTime, TRUE), nameColor, row(4, x0 + w.w4), DT_LEFT);
    DrawLine(dc, GetString(ui_string::kTileTime), kGrey, row(5, x0), DT_LEFT);
    DrawLine(dc, MsToShortTimeCode(clip.duration, TRUE), nameColor, row(5, x0 + w.w1), DT_LEFT);
    return;
  }
  const int h = client.Height() / 4;
  const int top = (client.Height() % 4) / 2;
  auto row = [&](int i) { return TRect(x0, top + i * h, client.right, top + (i + 1) * h); };
  DrawLine(dc, clip.name, nameColor, row(0), DT_CENTER);
  DrawLine(dc, clip.DescribeAudio(), audioColor, row(1), DT_CENTER);
  DrawLine(dc, clip.DescribeVideo(), videoColor, row(2), DT_CENTER);
  DrawLine(dc, MsToTimeCodeText(clip.duration, TRUE), nameColor, row(3), DT_CENTER);
}

void ClipWindow::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  // What plays directly in the project, and what of that is open now.
  const bool audioDirect = (clip.kind & kClipAudio) && clip.audio != nullptr && clip.audio->IsDirectFormat();
  const bool videoDirect =
      (clip.kind & kClipVideo) && clip.video != nullptr && clip.video->IsDirectPlayable();
  const bool midiDirect = (clip.kind & kClipMidi) && clip.midi != nullptr;
  const COLORREF audioColor = audioDirect ? kBlack : kGrey;
  const COLORREF videoColor = videoDirect ? kBlack : kGrey;
  COLORREF nameColor = kBlue;
  if (!audioDirect && !videoDirect && !midiDirect)
    nameColor = kGrey;
  else if ((videoDirect && clip.video->IsOpen()) || (audioDirect && clip.audio->IsOpen()) ||
           (midiDirect && clip.midi->IsOpen()))
    nameColor = kBlack;

  dc.SelectObject(ClipCollection::TileFont());
  const bool large = TEBitmapInit::ThumbnailKind() == 3;
  TEBitmap* picture = nullptr;
  if (clip.video != nullptr) {
    if (clip.thumbnail == nullptr)
      clip.thumbnail =
          TEVideoBitmap::Get(dc, large ? 0 : 1, clip.video, clip.faceTime, clip.faceTime, clip.pixels);
    picture = clip.thumbnail;
  } else if (clip.midi != nullptr) {
    picture = TEBitmapInit::StockBitmap(large ? 1014 : 1013);
  } else {
    picture = TEBitmapInit::StockBitmap(large ? 1012 : 1011);
  }
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  if (viewMode == kViewSmallIcons && clip.video == nullptr)
    dc.FillRect(client, LightGreyBrush());
  else if (picture != nullptr)
    picture->Draw(dc, 0, 0);

  if (viewMode == kViewFullInfo || viewMode == kViewBasicInfo) {
    PaintInfo(dc, client, viewMode, nameColor, audioColor, videoColor);
  } else {
    if (clip.audio != nullptr)
      DrawStock(dc, AudioIcon(clip.kind & kClipAudio, clip.audio->IsDirectFormat()), 0, 0);
    else if (clip.midi != nullptr)
      DrawStock(dc, MidiIcon(clip.kind & kClipMidi), 0, 0);
    if (viewMode == kViewLargeIcons) {
      const TRect line(0, TEBitmapInit::ThumbnailHeight(), client.right, client.bottom);
      ExtTextOut(dc, 0, line.top, ETO_OPAQUE, &line, "", 0, nullptr);
      DrawLine(dc, clip.name, nameColor, line, DT_CENTER);
    } else {
      const char* dot = std::strchr(clip.name, '.');
      const int length = dot != nullptr ? static_cast<int>(dot - clip.name) : -1;
      dc.SetTextColor(ClipCollection::TileTextColor());
      dc.DrawText(clip.name, length, client,
                  DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
  }
  dc.SetBkMode(oldMode);
  dc.RestoreObjects();
}
