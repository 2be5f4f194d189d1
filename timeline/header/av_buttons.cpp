#include "timeline/header/av_buttons.h"

#include <algorithm>
#include <string>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "media/video_bitmap.h"
#include "model/ini.h"
#include "model/text_format.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// A step the heights do not know reads as the usual one.
int32_t ZoomStep(int32_t step) {
  return step >= 0 && step <= 3 ? step : 1;
}

constexpr int kIconWidth = 26;
constexpr int kIconHeight = 24;
constexpr COLORREF kInactiveText = RGB(0x80, 0x80, 0x80);

struct KindIcons {
  int active;
  int inactive;
};

KindIcons IconsOf(int32_t kind) {
  switch (kind) {
    case kLineVideo:
      return {1023, 1021};
    case kLineAudio:
      return {1027, 1025};
    case kLineMidi:
      return {1031, 1029};
    default:
      return {1062, 1061};
  }
}

// Solo on, solo off, mute on, mute off at zoom steps 0, 1 and 2.
int ButtonBitmap(int32_t zoom, bool mute, bool on) {
  static constexpr int kFirst[3] = {1042, 1038, 1034};
  return kFirst[std::clamp(zoom, 0, 2)] + (mute ? 2 : 0) + (on ? 0 : 1);
}

void TextIn(TDC& dc, const char* text, const TRect& r, UINT format) {
  TRect box = r;
  ::DrawText(dc, text, -1, &box, format | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

EffectList* LineEffects(const TrackRecord& record) {
  return record.effects != nullptr ? dynamic_cast<EffectList*>(record.effects) : nullptr;
}

TAVButtons::TAVButtons(MainTimeLineWindow* timeline, const TRect& rect, int32_t rows, int32_t kind,
                       TrackPanel& panel)
    : TimeLineChild(timeline, "AVButtons", rect.left, rect.top, rect.Width(), rect.Height()),
      panel_(panel),
      kind_(kind) {
  panel_.rowCount = std::clamp(rows, 1, 4);
  IniSetSection("TIMELINE");
  for (int32_t i = 0; i < panel_.rowCount; ++i) {
    std::string name;
    int32_t zoom = 1;
    switch (kind_) {
      case kLineVideo:
        zoom = IniReadInt(NumberedKey("ZOOM_VIDEO", i, ""), 1);
        name = FormatText(GetString(ui_string::kVideoTrackNumber), i + 1);
        break;
      case kLineAudio:
        zoom = IniReadInt(NumberedKey("ZOOM_AUDIO", i, ""), 1);
        name = FormatText(GetString(ui_string::kAudioTrackNumber), i + 1);
        break;
      case kLineMidi:
        zoom = IniReadInt("ZOOM_MIDI", 1);
        name = GetString(ui_string::kMidiTrack);
        break;
      default:
        zoom = IniReadInt("ZOOM_VFX", 1);
        name = GetString(ui_string::kVideoFxTrack);
        break;
    }
    panel_[i].SetUp(name.c_str(), ZoomStep(zoom), 0);
  }
  panel_.firstShown = 0;
  panel_.Layout(GetSystemMetrics(SM_CYBORDER));
}

const char* TAVButtons::GetClassName() {
  return "AVButtons";
}

bool TAVButtons::Find(TEventInfo& info) {
  return SearchEntries(MouseEntries(), info) || SearchEntries(MenuEntries(), info) ||
         SearchEntries(EffectEntries(), info) || TimeLineChild::Find(info);
}

void TAVButtons::SetupWindow() {
  TimeLineChild::SetupWindow();
  TEBitmapInit::RealizePalette(HWindow);
}

void TAVButtons::Destroy(int retVal) {
  if (IsWindow()) TEBitmapInit::UnrealizePalette(HWindow);
  TimeLineChild::Destroy(retVal);
}

int32_t TAVButtons::RowsInUse() const {
  return kind_ == kLineAudio ? std::min(timeline_.Engine().audioLineCount, panel_.rowCount) : panel_.rowCount;
}

bool TAVButtons::PlayerUsable() const {
  TimeLinePlayers& players = timeline_.Engine().Players();
  switch (kind_) {
    case kLineAudio:
      return players.AudioUsable();
    case kLineMidi:
      return players.MidiUsable();
    default:
      return players.VideoUsable();
  }
}

// ---- Painting.

void TAVButtons::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  TRect names = client;
  names.right = std::max(client.left, client.right - kPanelButtonWidth);
  const bool anySolo = timeline_.Engine().AnyLineSolo();
  const int gap = GetSystemMetrics(SM_CYBORDER);
  const HBRUSH face = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));

  const int32_t first = std::clamp(panel_.firstShown, 0, panel_.rowCount - 1);
  const int32_t rows = RowsInUse();
  int y = panel_[first].top;
  if (HFONT font = timeline_.TimeFont()) dc.SelectObject(font);
  dc.SetBkMode(TRANSPARENT);
  for (int32_t row = first; row < rows && y < client.bottom; ++row) {
    const int h = panel_[row].height;
    PaintRow(dc, row, TRect(names.left, y, names.right, y + h), TRect(names.right, y, client.right, y + h),
             anySolo);
    dc.FillRect(TRect(client.left, y + h, client.right, y + h + gap),
                static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    y += h + gap;
  }
  if (y < client.bottom) dc.FillRect(TRect(client.left, y, client.right, client.bottom), face);
  dc.RestoreObjects();
}

void TAVButtons::PaintRow(TDC& dc, int32_t row, const TRect& names, const TRect& buttons, bool anySolo) {
  const TrackRecord& r = panel_[row];
  const HBRUSH face = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  dc.FillRect(names, face);

  bool active = anySolo ? r.solo != 0 : r.mute == 0;
  if (active && !PlayerUsable()) active = false;
  const COLORREF before = dc.SetTextColor(active ? RGB(0, 0, 0) : kInactiveText);
  const std::string number = FormatText("%d", row + 1);

  if (r.zoom >= kZoomSmall) {
    const char* label = kind_ == kLineVfx ? "FX" : number.c_str();
    TRect text = names;
    text.left += 2;
    TextIn(dc, label, text, DT_LEFT | DT_VCENTER);
    dc.FillRect(buttons, face);
    const char* state = r.solo   ? GetString(ui_string::kSoloState)
                        : r.mute ? GetString(ui_string::kMuteState)
                                 : "";
    TextIn(dc, state, buttons, DT_CENTER | DT_VCENTER);
    dc.SetTextColor(before);
    return;
  }

  const KindIcons icons = IconsOf(kind_);
  if (TEBitmap* icon = TEBitmapInit::StockBitmap(active ? icons.active : icons.inactive)) {
    icon->Draw(dc, names.left + (names.Width() - kIconWidth) / 2,
               names.top + (names.Height() - kIconHeight) / 2);
  }
  if (kind_ == kLineAudio) {
    if (const EffectList* list = LineEffects(r)) {
      const int color = list->bypass ? kColorNonUsedEffects : kColorUsedEffects;
      const int left = names.left, bottom = names.bottom;
      const POINT triangle[3] = {{left, bottom - 11}, {left, bottom - 1}, {left + 10, bottom - 1}};
      dc.SelectObject(timeline_.Pen(color));
      dc.SelectObject(timeline_.Brush(color));
      ::Polygon(dc, triangle, 3);
    }
  }
  TRect text = names;
  text.left += 2;
  TextIn(dc, number.c_str(), text, DT_LEFT | DT_TOP);
  if (kind_ == kLineAudio && r.zoom <= 1 && OutputFormat.nChannels > 1) {
    text.right -= 2;
    TextIn(dc, GetString(ui_string::kLeftChannel), text, DT_RIGHT | DT_TOP);
    TextIn(dc, GetString(ui_string::kRightChannel), text, DT_RIGHT | DT_BOTTOM);
  }

  if (kind_ == kLineVfx) {
    dc.FillRect(buttons, face);
  } else {
    dc.FillRect(buttons, face);
    if (TEBitmap* solo = TEBitmapInit::StockBitmap(ButtonBitmap(r.zoom, false, r.solo != 0))) {
      solo->Draw(dc, buttons.left, buttons.top);
    }
    if (TEBitmap* mute = TEBitmapInit::StockBitmap(ButtonBitmap(r.zoom, true, r.mute != 0))) {
      mute->Draw(dc, buttons.left, buttons.top + r.height / 2);
    }
  }
  dc.SetTextColor(before);
}

// ---- Hit zones.

int32_t TAVButtons::HitTest(const TPoint& p, int32_t& row) const {
  row = -1;
  const TRect client = GetClientRect();
  const int gap = GetSystemMetrics(SM_CYBORDER);
  const int32_t first = std::clamp(panel_.firstShown, 0, panel_.rowCount - 1);
  int y = panel_[first].top;
  for (int32_t i = first; i < RowsInUse(); ++i) {
    const TrackRecord& r = panel_[i];
    if (p.y >= y && p.y < y + r.height + gap) {
      row = i;
      if (r.zoom >= kZoomSmall) return kPanelZoneNone;
      if (kind_ != kLineVfx && p.x >= client.right - kPanelButtonWidth) {
        if (p.y < y + r.height / 2) return kPanelZoneSolo;
        if (p.y >= y + r.height) return kPanelZoneNone;
        return kPanelZoneMute;
      }
      if (kind_ == kLineAudio && r.effects != nullptr && (y + r.height - p.y) + (p.x - client.left) <= 10) {
        return kPanelZoneEffects;
      }
      return kPanelZoneName;
    }
    y += r.height + gap;
  }
  return kPanelZoneNone;
}

int32_t TAVButtons::RowAt(int y) const {
  const int32_t first = std::clamp(panel_.firstShown, 0, panel_.rowCount - 1);
  for (int32_t i = first; i < RowsInUse(); ++i) {
    if (y <= panel_[i].bottom) return i;
  }
  return -1;
}

TRect TAVButtons::RowRect(int32_t row) const {
  const TRect client = GetClientRect();
  if (row < 0 || row >= panel_.rowCount) return TRect(0, 0, 0, 0);
  return TRect(client.left, panel_[row].top, client.right, panel_[row].bottom + 1);
}

void TAVButtons::InvalidateRow(int32_t row) {
  if (!IsWindow() || row < 0 || row >= panel_.rowCount) return;
  InvalidateRect(RowRect(row), false);
}
