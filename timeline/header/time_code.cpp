#include "timeline/header/time_code.h"

#include <algorithm>
#include <cstring>

#include "audio/audio_player.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/classlib/menu.h"
#include "resources/timeline_ids.h"
#include "resources/timeline_strip_ids.h"
#include "timeline/header/header_dialogs.h"
#include "timeline/header/snap_to_edge.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// A mark's triangle is this wide; the pointer is over a mark this close.
constexpr int kMarkSize = 7;
constexpr int kMajorTick = 6;
constexpr int kMinorTick = 2;

bool MarkActive(const Mark& m, const TimeLineEngine& e) {
  return e.gravityAlign != 0 && (e.gravityGroup == 0 || m.group == 0 || m.group == e.gravityGroup);
}

bool AnyMarkAt(int32_t t) {
  for (const Mark& m : ProjectMarks) {
    if (m.time == t) return true;
  }
  return false;
}

// Fills rect with the DC's background colour, as an opaque empty text does.
void FillBackground(TDC& dc, const TRect& rect) {
  ::ExtTextOut(dc, rect.left, rect.top, ETO_OPAQUE, &rect, "", 0, nullptr);
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TTimeCode, TimeLineChild)
  EV_WM_LBUTTONDOWN,
  EV_WM_LBUTTONUP,
  EV_WM_LBUTTONDBLCLK,
  EV_WM_MOUSEMOVE,
  EV_WM_RBUTTONDOWN,
  EV_WM_TIMER,
  EV_MESSAGE(kScrubReportMessage, EvScrubReport),
  EV_COMMAND(strip_command::kPlay, CmPlay),
  EV_COMMAND(strip_command::kStop, CmStop),
  EV_COMMAND(strip_command::kSetCurrentTime, CmSetCurrentTime),
  EV_COMMAND(strip_command::kTogglePreviewVideo, CmTogglePreviewVideo),
  EV_COMMAND(strip_command::kTogglePreviewAudio, CmTogglePreviewAudio),
  EV_COMMAND(strip_command::kToggleAutoScroll, CmToggleAutoScroll),
  EV_COMMAND(strip_command::kToggleAlignToFrame, CmToggleAlignToFrame),
  EV_COMMAND(strip_command::kToggleAlignTime, CmToggleAlignTime),
  EV_COMMAND(strip_command::kAddMark, CmAddMark),
  EV_COMMAND(strip_command::kRemoveMark, CmRemoveMark),
  EV_COMMAND(strip_command::kMarkName, CmMarkName),
  EV_COMMAND(strip_command::kMarkPosition, CmMarkPosition),
END_RESPONSE_TABLE;
// clang-format on

TTimeCode::TTimeCode(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "TimeCodeLine", x, y, w, h), edgeScroll_(*this, *timeline) {}

const char* TTimeCode::GetClassName() {
  return "TimeCodeLine";
}

// ---- Painting.

void TTimeCode::Paint(TDC& dc, bool, TRect&) {
  TimeLineEngine& e = timeline_.Engine();
  const TRect client = GetClientRect();
  const int bottom = client.bottom;

  int xEnd = std::max(e.PosToPixelUnclamped(e.length), 0);
  if (xEnd < client.right) {
    FillBackground(dc, TRect(client.left, client.top, xEnd, bottom));
    dc.FillRect(TRect(xEnd, client.top, client.right, bottom),
                static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  } else {
    FillBackground(dc, client);
    xEnd = client.right;
  }

  if (HFONT font = timeline_.TimeFont()) dc.SelectObject(font);
  const int oldMode = dc.SetBkMode(TRANSPARENT);

  // Marks a little outside the view still show their triangles' edges.
  const int32_t first = e.PixelToPosUnclamped(-kMarkSize);
  const int32_t last = e.PixelToPosUnclamped(client.right + kMarkSize);
  for (const Mark& m : ProjectMarks) {
    if (m.time < first || m.time > last) continue;
    const int x = e.PosToPixel(m.time);
    const int color = MarkActive(m, e) ? kColorActiveTimeMark : kColorPassiveTimeMark;
    dc.SelectObject(timeline_.Brush(color));
    dc.SelectObject(timeline_.Pen(color));
    const POINT triangle[] = {
        {x, bottom - 1}, {x - 3, bottom - kMarkSize}, {x + 3, bottom - kMarkSize}, {x, bottom - 1}};
    ::Polygon(dc, triangle, 4);
    const COLORREF oldColor = dc.SetTextColor(TimeLineColors[color]);
    dc.DrawText(m.name, -1, TRect(x + 3, client.top, client.right, bottom),
                DT_SINGLELINE | DT_BOTTOM | DT_LEFT | DT_NOPREFIX);
    dc.SetTextColor(oldColor);
  }
  dc.SelectObject(GetStockObject(BLACK_PEN));

  // Labels at whole divisions, on frames when times show as frames.
  const int32_t scale = std::max(e.scale, 1);
  const int division = std::max(e.factor, 1);
  int32_t t = e.origin / scale * scale;
  if (ProjectTimeFormat() == kTimeFormatSmpte || ProjectTimeFormat() == kTimeFormatFrames)
    t = MsSubFrames(t, 0);
  const int x0 = e.PosToPixelUnclamped(t);
  for (TRect label(x0 - division / 2, client.top, x0 - division / 2 + division, bottom); label.left < xEnd;
       label.left += division, label.right += division) {
    if (t == 0 && label.left < client.left) {
      // The time line's start: its label starts at the edge, whole.
      dc.DrawText(MsToShortTimeCode(t, FALSE), -1, TRect(client.left, label.top, label.right, label.bottom),
                  DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
    } else {
      dc.DrawText(MsToShortTimeCode(t, FALSE), -1, label, DT_SINGLELINE | DT_CENTER | DT_TOP | DT_NOPREFIX);
    }
    if (t > kDayMs) break;
    t += scale;
  }

  const int32_t sub = std::max(timeline_.RulerSubdivisions(), 1);
  for (int x = x0; x < xEnd; x += division) {
    dc.MoveTo(x, bottom - kMajorTick);
    dc.LineTo(x, bottom);
    for (int32_t k = 1; k < sub; ++k) {
      const int minor = x + static_cast<int>((int64_t{k} * division + sub / 2) / sub);
      dc.MoveTo(minor, bottom - kMinorTick);
      dc.LineTo(minor, bottom);
    }
  }

  dc.SetBkMode(oldMode);
  dc.RestoreObjects();
  timeline_.DrawCursorLine(dc, client);
}

// ---- The pointer.

int32_t TTimeCode::TimeAt(int x) {
  TimeLineEngine& e = timeline_.Engine();
  return e.SnapToFrame(e.PixelToPos(x));
}

void TTimeCode::SetCursorKind(int kind) {
  cursorKind_ = kind;
  int id = 0;
  switch (kind) {
    case kOverMark:
      id = kCursorClipMark;
      break;
    case kPlaying:
      id = kCursorPlaying;
      break;
    case kDraggingTime:
      id = kCursorTimeLine;
      break;
    default:
      break;
  }
  strip::SetClassCursor(*this, timeline_.Cursor(id));
}

void TTimeCode::Hover(const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  const int32_t mark = ProjectMarks.FindNearest(TimeAt(point.x), e.hitDistanceMs + 1, 0, e.length);
  const bool over = mark >= 0 && point.y > GetClientRect().Height() / 2;
  mark_ = over ? mark : -1;
  SetCursorKind(over ? kOverMark : kArrow);
}

void TTimeCode::ShowMarkStatus() {
  if (mark_ < 0 || mark_ >= ProjectMarks.Count()) return;
  const Mark& m = ProjectMarks[mark_];
  timeline_.ShowStatusText(
      FormatText(GetString(ui_string::kRulerMarkStatus), m.name, MsToShortTimeCode(m.time, TRUE)).c_str());
}

// A dragged mark's first move is one undo step and makes the project
// modified, so that the move can be undone and is saved.
void TTimeCode::MoveDraggedMark(int32_t t) {
  if (mark_ < 0 || mark_ >= ProjectMarks.Count() || ProjectMarks[mark_].time == t || AnyMarkAt(t)) return;
  TimeLineEngine& e = timeline_.Engine();
  if (!markMoved_) {
    e.MarkUndo(kUndoEdit);
    markMoved_ = true;
  }
  if (ProjectMarks.MoveMark(mark_, t)) {
    Invalidate(false);
    e.SetModified(true);
  }
}

int32_t TTimeCode::DragTarget(int x) {
  int32_t t = TimeAt(x);
  if (mark_ >= 0) {
    MoveDraggedMark(t);
  } else if (timeline_.Settings().alignTime) {
    SnapToNearestEdge(timeline_.Engine(), t, kSnapAllClips);
  }
  return t;
}

void TTimeCode::FollowDrag(int32_t t) {
  TimeLineEngine& e = timeline_.Engine();
  if (scrubbing_) {
    if (TheAudioPlayer != nullptr) TheAudioPlayer->RequestSeek(t);
    return;
  }
  e.SetPlayCursor(t, e.previewVideo, nullptr);
  e.UpdateLines();
  if (mark_ >= 0) ShowMarkStatus();
}

void TTimeCode::StartScrub(int32_t t) {
  TimeLineEngine& e = timeline_.Engine();
  AudioPlayer* audio = TheAudioPlayer;
  bool video[2], midi, lines[4];
  e.GetActiveLines(video, midi, lines, 0);
  const MixSetup mix = e.GetMixSetup(lines, kAudioLineCount);
  bool audible = false;
  if (audio != nullptr && mix.masterGain != 0) {
    for (const Film* f = FilmList.First(); f != nullptr && !audible; f = f->next) {
      audible = f->audio != nullptr && f->audioLine >= 0 && f->audioLine < mix.lineCount &&
                mix.lines[f->audioLine].gain != 0;
    }
  }
  if (audible && audio->StartScrub(FilmList.First(), mix, t, HWindow, &inScrubReport_)) {
    scrubbing_ = true;
  } else {
    scrubWanted_ = false;
  }
}

void TTimeCode::StopScrub() {
  if (TheAudioPlayer != nullptr) TheAudioPlayer->StopScrub();
  scrubbing_ = false;
}

void TTimeCode::BeginCursorDrag(int x) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragging_) return;
  SetCursorKind(kDraggingTime);
  mark_ = -1;
  int32_t t = TimeAt(x);
  if (timeline_.Settings().alignTime) SnapToNearestEdge(e, t, kSnapAllClips);
  e.SetPlayCursor(t, e.previewVideo, HWindow);
  e.UpdateLines();
  ::SetCapture(HWindow);
  dragging_ = true;
  scrubWanted_ = timeline_.Settings().previewAudio;
  scrubbing_ = false;
  staleReports_ = 0;
  markMoved_ = false;
}

void TTimeCode::EvLButtonDown(UINT, const TPoint& point) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  if (dragging_) return;
  Hover(point);
  markMoved_ = false;
  const int32_t t = DragTarget(point.x);
  e.SetPlayCursor(t, e.previewVideo, HWindow);
  e.UpdateLines();
  ShowMarkStatus();
  ::SetCapture(HWindow);
  dragging_ = true;
  scrubWanted_ = timeline_.Settings().previewAudio && mark_ < 0;
  scrubbing_ = false;
  staleReports_ = 0;
}

void TTimeCode::EvMouseMove(UINT modKeys, const TPoint& point) {
  if (timeline_.Engine().playing) {
    SetCursorKind(kPlaying);
    return;
  }
  if (!dragging_) {
    Hover(point);
    if (mark_ >= 0) {
      ShowMarkStatus();
    } else {
      timeline_.ShowStatusText("");
    }
    return;
  }
  // The button came up where the ruler did not hear it.
  if (!(modKeys & MK_LBUTTON)) {
    EndDrag(point);
    return;
  }
  const int32_t t = DragTarget(point.x);
  if (scrubWanted_ && !scrubbing_) StartScrub(t);
  FollowDrag(t);
  edgeScroll_.Moved(point);
}

void TTimeCode::EvTimer(UINT id) {
  if (id != strip::kScrollTimer || !dragging_ || !edgeScroll_.TimerOn()) return;
  edgeScroll_.Tick();
  TPoint point;
  GetCursorPos(&point);
  ScreenToClient(point);
  FollowDrag(DragTarget(point.x));
}

void TTimeCode::EndDrag(const TPoint& point) {
  edgeScroll_.Stop();
  scrubWanted_ = false;
  if (scrubbing_) {
    StopScrub();
    TimeLineEngine& e = timeline_.Engine();
    e.SetPlayCursor(DragTarget(point.x), e.previewVideo, nullptr);
    e.UpdateLines();
    ShowMarkStatus();
  }
  if (dragging_) {
    ReleaseCapture();
    dragging_ = false;
    timeline_.SetFocus();
  }
}

void TTimeCode::EvLButtonUp(UINT, const TPoint& point) {
  EndDrag(point);
}

// Reports come while the scrub sounds; reports after it ended are late ones
// and move nothing.
LRESULT TTimeCode::EvScrubReport(WPARAM time, LPARAM flag) {
  if (!scrubbing_) return 0;
  inScrubReport_ = 1;
  const bool buttonDown = GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0;
  if (GetCapture() == HWindow && buttonDown) {
    staleReports_ = 0;
    TimeLineEngine& e = timeline_.Engine();
    e.SetPlayCursor(static_cast<int32_t>(time), e.previewVideo && flag == 0, nullptr);
    e.UpdateLines();
  } else if (staleReports_++ > 10) {
    // The button came up somewhere else: nobody will end this scrub.
    StopScrub();
    scrubWanted_ = false;
  }
  inScrubReport_ = 0;
  return 0;
}

// ---- Playing from the ruler.

void TTimeCode::PlayFrom(int x) {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) {
    e.CmStop();
    return;
  }
  int32_t start = 0, end = 0;
  if (!e.GetActiveExtent(start, end, 0)) return;
  start = std::max(start, e.PixelToPosUnclamped(x));
  end = std::min(end, e.PixelToPos(GetClientRect().Width()));
  if (start < end) timeline_.PlayOnce(start, end);
}

void TTimeCode::EvLButtonDblClk(UINT, const TPoint& point) {
  PlayFrom(point.x);
}

void TTimeCode::CmPlay() {
  PlayFrom(menuPoint_.x);
}

void TTimeCode::CmStop() {
  timeline_.Engine().CmStop();
}

// ---- The menu.

void TTimeCode::EvRButtonDown(UINT, const TPoint& point) {
  if (dragging_) return;
  Hover(point);
  menuPoint_ = point;
  menuMark_ = mark_;
  TPopupMenu menu;
  if (timeline_.Engine().playing) {
    menu.AppendMenu(MF_STRING, strip_command::kStop, GetString(ui_string::kStopItem));
  } else {
    const TimeLineEngine& e = timeline_.Engine();
    const TimeLineSettings& s = timeline_.Settings();
    auto option = [&menu](int id, int text, bool on) {
      menu.AppendMenu(MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED), id, GetString(text));
    };
    menu.AppendMenu(MF_STRING, strip_command::kPlay, GetString(ui_string::kPlayItem));
    menu.AppendMenu(MF_STRING, strip_command::kSetCurrentTime, GetString(ui_string::kSetCurrentTimeItem));
    menu.AppendMenu(MF_SEPARATOR);
    option(strip_command::kTogglePreviewVideo, ui_string::kShowVideoItem, e.previewVideo);
    option(strip_command::kTogglePreviewAudio, ui_string::kPlayAudioItem, s.previewAudio);
    option(strip_command::kToggleAutoScroll, ui_string::kAutoScrollItem, s.autoScroll);
    option(strip_command::kToggleAlignToFrame, ui_string::kAlignToFrameItem, e.alignToFrame);
    option(strip_command::kToggleAlignTime, ui_string::kAttractToMarksItem, s.alignTime);
    menu.AppendMenu(MF_SEPARATOR);
    if (mark_ < 0) {
      menu.AppendMenu(MF_STRING, strip_command::kAddMark, GetString(ui_string::kAddMarkItem));
    } else {
      menu.AppendMenu(MF_STRING, strip_command::kMarkPosition, GetString(ui_string::kMarkPositionItem));
      menu.AppendMenu(MF_STRING, strip_command::kMarkName, GetString(ui_string::kMarkNameItem));
      menu.AppendMenu(MF_STRING, strip_command::kRemoveMark, GetString(ui_string::kRemoveMarkItem));
    }
  }
  TPoint screen = point;
  ClientToScreen(screen);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, screen, 0, HWindow);
}

void TTimeCode::CmSetCurrentTime() {
  TimeLineEngine& e = timeline_.Engine();
  int32_t t = e.cursor;
  if (CurrentHeaderDialogs().AskTime(HWindow, GetString(ui_string::kSetCurrentTime), t, 0,
                                     std::max(e.length - 1, 0))) {
    e.SetPlayCursor(t, true, HWindow);
  }
}

void TTimeCode::CmTogglePreviewVideo() {
  timeline_.Engine().previewVideo = !timeline_.Engine().previewVideo;
}

void TTimeCode::CmTogglePreviewAudio() {
  timeline_.Settings().previewAudio = !timeline_.Settings().previewAudio;
}

void TTimeCode::CmToggleAutoScroll() {
  timeline_.Settings().autoScroll = !timeline_.Settings().autoScroll;
}

void TTimeCode::CmToggleAlignToFrame() {
  timeline_.Engine().alignToFrame = !timeline_.Engine().alignToFrame;
}

void TTimeCode::CmToggleAlignTime() {
  timeline_.Settings().alignTime = !timeline_.Settings().alignTime;
}

void TTimeCode::MarkChanging() {
  timeline_.Engine().MarkUndo(kUndoEdit);
}

void TTimeCode::MarksChanged() {
  Invalidate(false);
  timeline_.Engine().SetModified(true);
}

void TTimeCode::CmAddMark() {
  const int32_t t = TimeAt(menuPoint_.x);
  if (AnyMarkAt(t)) return;
  MarkChanging();
  if (ProjectMarks.AddMark(t)) MarksChanged();
}

void TTimeCode::CmRemoveMark() {
  if (menuMark_ < 0 || menuMark_ >= ProjectMarks.Count()) return;
  MarkChanging();
  ProjectMarks.RemoveMark(menuMark_);
  menuMark_ = -1;
  MarksChanged();
}

void TTimeCode::CmMarkName() {
  if (menuMark_ < 0 || menuMark_ >= ProjectMarks.Count()) return;
  char name[sizeof(Mark::name)];
  std::memcpy(name, ProjectMarks[menuMark_].name, sizeof name);
  if (!CurrentHeaderDialogs().AskName(HWindow, GetString(ui_string::kMarkNameCaption), name, sizeof name)) return;
  name[sizeof name - 1] = '\0';
  if (std::strcmp(name, ProjectMarks[menuMark_].name) == 0) return;
  MarkChanging();
  ProjectMarks.SetName(menuMark_, name);
  MarksChanged();
}

void TTimeCode::CmMarkPosition() {
  if (menuMark_ < 0 || menuMark_ >= ProjectMarks.Count()) return;
  TimeLineEngine& e = timeline_.Engine();
  int32_t t = ProjectMarks[menuMark_].time;
  if (!CurrentHeaderDialogs().AskTime(HWindow, GetString(ui_string::kMarkPositionCaption), t, 0, e.length)) return;
  if (t == ProjectMarks[menuMark_].time || AnyMarkAt(t)) return;
  MarkChanging();
  if (ProjectMarks.MoveMark(menuMark_, t)) MarksChanged();
}
