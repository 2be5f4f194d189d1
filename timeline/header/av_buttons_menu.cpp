// A row's menu and its commands: the line's name, moving it among its
// group, its height, solo and mute, and duplicating an audio line onto a
// free one.
#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/effect_list.h"
#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/gui/menu.h"
#include "resources/track_header_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/header_dialogs.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/window/main_timeline_window.h"

const std::vector<TResponseTableEntry>& TAVButtons::MenuEntries() {
  using TMyClass = TAVButtons;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_RBUTTONDOWN,
      EV_WM_INITMENUPOPUP,
      EV_COMMAND(kCmTrackRename, CmRename),
      EV_COMMAND(kCmTrackMoveUp, CmMoveUp),
      EV_COMMAND(kCmTrackMoveDown, CmMoveDown),
      EV_COMMAND(kCmTrackZoomDouble, CmZoomDouble),
      EV_COMMAND(kCmTrackZoomNormal, CmZoomNormal),
      EV_COMMAND(kCmTrackZoomHalf, CmZoomHalf),
      EV_COMMAND(kCmTrackZoomSmall, CmZoomSmall),
      EV_COMMAND(kCmTrackSolo, CmSolo),
      EV_COMMAND(kCmTrackMute, CmMute),
      EV_COMMAND(kCmTrackDuplicate, CmDuplicate),
  };
  return entries;
}

namespace {

UINT ItemFlags(bool enabled, bool checked = false) {
  return MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED) | (checked ? MF_CHECKED : MF_UNCHECKED);
}

bool HoldsAudioClip(int32_t line) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->audio && f->audioLine == line) return true;
  }
  return false;
}

}  // namespace

bool TAVButtons::MenuRowValid() const {
  return menuRow_ >= 0 && menuRow_ < panel_.rowCount;
}

void TAVButtons::EvRButtonDown(UINT, const TPoint& p) {
  if (timeline_.Engine().playing) return;
  const int32_t row = RowAt(p.y);
  if (row < 0) return;
  menuRow_ = row;
  const TrackRecord& r = panel_[row];
  const bool moves = kind_ == kLineVideo || kind_ == kLineAudio;

  HMENU menu = CreatePopupMenu();
  AppendMenu(menu, MF_STRING, kCmTrackRename, GetString(ui_string::kNameItem));
  if (moves) {
    AppendMenu(menu, ItemFlags(row > 0), kCmTrackMoveUp, GetString(ui_string::kMoveUpItem));
    AppendMenu(menu, ItemFlags(row < RowsInUse() - 1), kCmTrackMoveDown, GetString(ui_string::kMoveDownItem));
  }
  HMENU height = CreatePopupMenu();
  AppendMenu(height, ItemFlags(true, r.zoom == 0), kCmTrackZoomDouble, GetString(ui_string::kDoubleItem));
  AppendMenu(height, ItemFlags(true, r.zoom == 1), kCmTrackZoomNormal, GetString(ui_string::kNormalItem));
  AppendMenu(height, ItemFlags(true, r.zoom == 2), kCmTrackZoomHalf, GetString(ui_string::kHalfItem));
  AppendMenu(height, ItemFlags(true, r.zoom == 3), kCmTrackZoomSmall, GetString(ui_string::kSmallLockedItem));
  AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(height), GetString(ui_string::kHeightMenu));
  if (kind_ == kLineAudio || kind_ == kLineMidi) {
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, ItemFlags(false), kCmTrackVolume, GetString(ui_string::kTrackVolumeItem));
  }
  if (kind_ == kLineAudio) {
    const EffectList* list = LineEffects(r);
    const bool clipboard = EffectList::DefaultList() != nullptr;
    HMENU effects = CreatePopupMenu();
    AppendMenu(effects, MF_STRING, kCmTrackEffects,
               GetString(list ? ui_string::kEffectsEditItem : ui_string::kEffectsAddNewItem));
    AppendMenu(effects, ItemFlags(clipboard), kCmTrackPasteEffects, GetString(ui_string::kEffectsPasteItem));
    AppendMenu(effects, ItemFlags(clipboard), kCmTrackAddEffects, GetString(ui_string::kEffectsAddItem));
    AppendMenu(effects, ItemFlags(list != nullptr), kCmTrackDeleteEffects,
               GetString(ui_string::kEffectsDeleteItem));
    AppendMenu(effects, MF_SEPARATOR, 0, nullptr);
    AppendMenu(effects, ItemFlags(list != nullptr, list != nullptr && !list->bypass), kCmTrackUseEffects,
               GetString(ui_string::kEffectsUseItem));
    AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(effects), GetString(ui_string::kAudioEffectsMenu));
    AppendMenu(menu, ItemFlags(r.effects != nullptr || HoldsAudioClip(row)), kCmTrackDuplicate,
               GetString(ui_string::kDuplicateTrackItem));
  }
  if (kind_ != kLineVfx) {
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, ItemFlags(true, r.solo != 0), kCmTrackSolo, GetString(ui_string::kSoloItem));
    AppendMenu(menu, ItemFlags(true, r.mute != 0), kCmTrackMute, GetString(ui_string::kMuteItem));
  }

  TPoint screen = p;
  ClientToScreen(screen);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, HWindow,
                 nullptr);
  DestroyMenu(menu);
}

void TAVButtons::EvInitMenuPopup(HMENU, UINT, bool) {
  DefaultProcessing();
}

void TAVButtons::CmRename() {
  if (!MenuRowValid()) return;
  TrackRecord& r = panel_[menuRow_];
  char name[kTrackNameSize];
  std::memcpy(name, r.name, sizeof name);
  if (!CurrentHeaderDialogs().AskName(HWindow, GetString(ui_string::kTrackName), name, sizeof name)) return;
  name[kTrackNameSize - 1] = '\0';
  TimeLineEngine& e = timeline_.Engine();
  e.MarkUndo(kUndoEdit);
  e.SetModified(true);
  r.SetName(name);
}

void TAVButtons::CmMoveUp() {
  if (MenuRowValid()) timeline_.Engine().SwapLines(kind_, menuRow_, menuRow_ - 1);
}

void TAVButtons::CmMoveDown() {
  if (MenuRowValid() && menuRow_ < RowsInUse() - 1)
    timeline_.Engine().SwapLines(kind_, menuRow_, menuRow_ + 1);
}

void TAVButtons::CmZoomDouble() {
  SetRowZoom(0, menuRow_);
}

void TAVButtons::CmZoomNormal() {
  SetRowZoom(1, menuRow_);
}

void TAVButtons::CmZoomHalf() {
  SetRowZoom(2, menuRow_);
}

void TAVButtons::CmZoomSmall() {
  SetRowZoom(kZoomSmall, menuRow_);
}

void TAVButtons::CmSolo() {
  ToggleSolo(menuRow_);
}

void TAVButtons::CmMute() {
  ToggleMute(menuRow_);
}

// ---- Heights.

void TAVButtons::SetZoom(int32_t zoom) {
  if (zoom < 0 || zoom > kZoomSmall) return;
  for (int32_t i = 0; i < panel_.rowCount; ++i) panel_[i].SetZoom(zoom);
  panel_.Layout(GetSystemMetrics(SM_CYBORDER));
  timeline_.UpdateFrameLayout(0);
}

void TAVButtons::SetRowZoom(int32_t zoom, int32_t row) {
  if (row < 0 || row >= panel_.rowCount || zoom < 0 || zoom > kZoomSmall) return;
  TrackRecord& r = panel_[row];
  if (zoom != r.zoom) {
    const int32_t before = r.height;
    r.SetZoom(zoom);
    panel_.Layout(GetSystemMetrics(SM_CYBORDER));
    const int32_t shrink = before - r.height;

    // The window around the time-line (its frame) grows by what the row
    // gains, but never past the screen: then the audio lines scroll.
    HWND outer = timeline_.IsWindow() ? ::GetParent(timeline_.GetHandle()) : nullptr;
    RECT client{0, 0, 0, 0};
    if (outer != nullptr) ::GetClientRect(outer, &client);
    const int32_t current = client.bottom - client.top;
    int32_t wanted = current - shrink;
    const int32_t screen = GetSystemMetrics(SM_CYSCREEN);
    if (kind_ == kLineAudio && wanted > screen && r.bottom >= GetClientRect().Height()) {
      int32_t excess = wanted - screen;
      const int32_t last = timeline_.Engine().audioLineCount - 1;
      int32_t line = panel_.firstShown;
      while (excess > 0 && line < last) {
        excess -= panel_[line].height;
        ++line;
      }
      if (TScrollBar* bar = timeline_.VertScrollBar()) {
        int lo = 0, hi = 0;
        bar->GetRange(lo, hi);
        if (hi < line) bar->SetRange(lo, line);
        timeline_.EvVScroll(SB_THUMBPOSITION, static_cast<UINT>(line), bar->GetHandle());
      }
      wanted = screen;
    }
    timeline_.UpdateFrameLayout(wanted - current);
  }
  if (zoom == kZoomSmall) DeselectRow(row);
}

void TAVButtons::DeselectRow(int32_t row) {
  if (kind_ == kLineVfx) return;
  TimeLineEngine& e = timeline_.Engine();
  bool stepTaken = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    const bool onRow = (kind_ == kLineVideo && f->video && f->videoRow == row) ||
                       (kind_ == kLineAudio && f->audio && f->audioLine == row) ||
                       (kind_ == kLineMidi && f->midi);
    if (!onRow || f->group == 0) continue;
    if (!stepTaken) {
      e.MarkUndo(kUndoEdit);
      stepTaken = true;
    }
    f->group = 0;
  }
  if (stepTaken) timeline_.InvalidateLine(kind_, kind_ == kLineMidi ? 0 : row);
}

// ---- Duplicate.

void TAVButtons::CmDuplicate() {
  if (kind_ != kLineAudio || !MenuRowValid()) return;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t row = menuRow_;
  const int32_t lines = std::min(e.audioLineCount, panel_.rowCount);
  bool busy[4] = {};
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->audio && f->audioLine >= 0 && f->audioLine < 4) busy[f->audioLine] = true;
  }
  if (row >= lines || !busy[row]) return;

  // The nearest free line; a tie goes to the lower-numbered one.
  int32_t lower = -1, higher = -1;
  for (int32_t i = row - 1; i >= 0; --i) {
    if (!busy[i]) {
      lower = i;
      break;
    }
  }
  for (int32_t i = row + 1; i < lines; ++i) {
    if (!busy[i]) {
      higher = i;
      break;
    }
  }
  int32_t target = lower;
  if (lower < 0 || (higher >= 0 && higher - row < row - lower)) target = higher;
  if (target < 0) {
    ShowMessageText(timeline_.GetHandle(), GetString(ui_string::kDuplicateTrack), MB_OK | MB_ICONEXCLAMATION,
                    GetString(ui_string::kAllAudioTracksBusy));
    return;
  }

  e.MarkUndo(kUndoEdit);
  const TrackRecord& from = panel_[row];
  TrackRecord& to = panel_[target];
  to.gain = from.gain;
  to.pan = from.pan;
  EffectList* clone = nullptr;
  if (EffectList* list = LineEffects(from)) clone = list->Clone(static_cast<AudioData*>(nullptr));
  EffectChain* old = nullptr;
  {
    TrackMixingLock lock;
    old = to.effects;
    to.effects = clone;
    CurrentTrackEffectsEngine().SetTrackEffects(target, clone);
  }
  ReleaseChain(old);

  // Only the sound goes: the copy of a clip's picture would lie on its own
  // video row over the original.
  std::vector<Film*> originals;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->audio && f->audioLine == row) originals.push_back(f);
  }
  for (Film* f : originals) {
    Film* copy = edit::CopyFilm(*f, kKindAudio);
    if (copy == nullptr) break;
    copy->audioLine = target;
    if (!copy->LinkAtKeyFrame(timeline_.GetHandle(), FilmList)) {
      delete copy;
      continue;
    }
    edit::OpenForUse(copy);
    edit::OwnEffects(copy);
    copy->origin = e.PixelsToTime(e.TimeToPixels(copy->start - copy->in));
    WidenChangedRange(target, copy->start, copy->end);
  }
  e.SetModified(true);
  e.ZoomChanged(true);
}
