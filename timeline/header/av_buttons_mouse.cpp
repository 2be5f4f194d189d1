// The panel's buttons: solo and mute under the mouse and from the mixer
// window, the effect triangle, and the status line for the row under the
// pointer.
#include <cstring>

#include "audio/effect_list.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int kEffectsCursorKind = 14;
// The name and the effects' description in the status line.
constexpr int kStatusLength = 150;

}  // namespace

const std::vector<TResponseTableEntry>& TAVButtons::MouseEntries() {
  using TMyClass = TAVButtons;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_LBUTTONDOWN,
      EV_WM_LBUTTONDBLCLK,
      EV_WM_MOUSEMOVE,
      EV_MESSAGE(kTimeLineRequestMessage, EvRequest),
  };
  return entries;
}

bool TAVButtons::AcceptsButtons() const {
  const TimeLineEngine& e = timeline_.Engine();
  if (!e.playing) return true;
  return kind_ == kLineAudio && e.play.realtimeMute && !e.play.audioThroughFile;
}

void TAVButtons::EvLButtonDown(UINT, const TPoint& p) {
  if (!AcceptsButtons()) return;
  int32_t row = -1;
  switch (HitTest(p, row)) {
    case kPanelZoneSolo:
      ToggleSolo(row);
      break;
    case kPanelZoneMute:
      ToggleMute(row);
      break;
    default:
      break;
  }
}

void TAVButtons::EvLButtonDblClk(UINT, const TPoint& p) {
  if (!AcceptsButtons()) return;
  TimeLineEngine& e = timeline_.Engine();
  int32_t row = -1;
  switch (HitTest(p, row)) {
    case kPanelZoneSolo:
      // The row ends as the only line in solo.
      e.ClearSolo();
      ToggleSolo(row);
      break;
    case kPanelZoneMute:
      e.ClearMute();
      ToggleSolo(row);
      ToggleMute(row);
      break;
    case kPanelZoneEffects:
      EditEffects(row);
      break;
    case kPanelZoneName:
      if (kind_ == kLineAudio) timeline_.CmShowAudioMeter();
      break;
    default:
      break;
  }
}

void TAVButtons::EvMouseMove(UINT, const TPoint& p) {
  int32_t row = -1;
  const int32_t zone = HitTest(p, row);
  if (zone == kPanelZoneEffects) {
    SetCursorKind(kEffectsCursorKind);
    char text[kStatusLength + 1] = {};
    const TrackRecord& r = panel_[row];
    const std::size_t n = strnlen(r.name, kStatusLength);
    std::memcpy(text, r.name, n);
    EffectList::Describe(LineEffects(r), text + n, static_cast<int>(sizeof text - n));
    timeline_.ShowStatusText(text);
    return;
  }
  SetCursorKind(0);
  timeline_.ShowStatusText(zone == kPanelZoneNone ? "" : panel_[row].name);
}

void TAVButtons::SetCursorKind(int kind) {
  cursorKind_ = kind;
  HCURSOR cursor = timeline_.Cursor(kind == kEffectsCursorKind ? kCursorEffects : 0);
  // The class keeps it, so that it stays while the pointer rests.
  if (IsWindow()) SetClassLongPtr(HWindow, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  ::SetCursor(cursor);
}

void TAVButtons::ToggleSolo(int32_t row) {
  if (row < 0 || row >= panel_.rowCount) return;
  TimeLineEngine& e = timeline_.Engine();
  TrackRecord& r = panel_[row];
  if (!r.solo) {
    if (!timeline_.Settings().multiSolo) e.ClearSolo();
    r.solo = 1;
    r.mute = 0;
  } else {
    r.solo = 0;
  }
  e.InvalidateEnabledLines();
  e.Players().NotifyMixer(kPanelRequestSolo, row);
  e.UpdateEngineMix(-2);
}

void TAVButtons::ToggleMute(int32_t row) {
  if (row < 0 || row >= panel_.rowCount) return;
  TimeLineEngine& e = timeline_.Engine();
  TrackRecord& r = panel_[row];
  InvalidateRow(row);
  r.mute = r.mute ? 0 : 1;
  if (!r.mute || !r.solo) {
    e.Players().NotifyMixer(kPanelRequestMute, row);
    e.UpdateEngineMix(row);
    return;
  }
  // A muted line cannot stay in solo.
  r.solo = 0;
  e.InvalidateEnabledLines();
  e.Players().NotifyMixer(kPanelRequestSolo, row);
  e.UpdateEngineMix(-2);
}

LRESULT TAVButtons::EvRequest(WPARAM request, LPARAM row) {
  // The mixer names a row by its index; one outside the panel changes
  // nothing, whatever the request.
  const int32_t r = row >= 0 && row < panel_.rowCount ? static_cast<int32_t>(row) : -1;
  switch (static_cast<int32_t>(request)) {
    case kPanelRequestSolo:
      ToggleSolo(r);
      return 1;
    case kPanelRequestMute:
      ToggleMute(r);
      return 1;
    case kPanelRequestEffectUse:
      ToggleEffectUse(r);
      return 1;
    case kPanelRequestEffects:
      EditEffects(r);
      return 1;
    default:
      return 0;
  }
}
