// An audio line's effect list: edited in the effect-list editor (heard live
// on the line while it is open), switched on and off, pasted from or added
// to from the effect clipboard, deleted.
//
// The engine's mixer thread applies a line's list under the mixing lock, so
// every swap of a line's list, with the engine told of it, is done holding
// that lock. Undo steps and questions come before: a message box must never
// show while the mixer thread waits.
#include "audio/effect_list.h"
#include "model/changed_ranges.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/track_header_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_dialogs.h"

namespace {

// The mixer's notice that a line's list was replaced.
constexpr int32_t kMixerLineEffectsReplaced = 16;

void DropList(EffectList* list) {
  if (list == nullptr) return;
  if (list->IsOpen()) list->Close();
  list->Release();
}

void TellEngine(int32_t row, EffectList* list) {
  CurrentTrackEffectsEngine().SetTrackEffects(row, list);
}

}  // namespace

const std::vector<TResponseTableEntry>& TAVButtons::EffectEntries() {
  using TMyClass = TAVButtons;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmTrackEffects, CmEditEffects),         EV_COMMAND(kCmTrackUseEffects, CmUseEffects),
      EV_COMMAND(kCmTrackPasteEffects, CmPasteEffects),   EV_COMMAND(kCmTrackAddEffects, CmAddEffects),
      EV_COMMAND(kCmTrackDeleteEffects, CmDeleteEffects),
  };
  return entries;
}

void TAVButtons::CmEditEffects() {
  EditEffects(menuRow_);
}

void TAVButtons::CmUseEffects() {
  ToggleEffectUse(menuRow_);
}

void TAVButtons::EditEffects(int32_t row) {
  if (kind_ != kLineAudio || row < 0 || row >= panel_.rowCount) return;
  TimeLineDialogs& dialogs = CurrentTimeLineDialogs();
  if (dialogs.ActivateLineEffects(row)) return;
  TimeLineEngine& e = timeline_.Engine();
  if (!e.commandsEnabled) return;
  if (e.playing && !(e.play.realtimeMute && !e.play.audioThroughFile)) return;

  TrackRecord& r = panel_[row];
  EffectList* previous = LineEffects(r);
  EffectList* working = EffectList::EditCopy(previous, nullptr);
  if (working == nullptr) {
    ShowMessageText(timeline_.GetHandle(), GetString(ui_string::kEditAudioEffects),
                    MB_OK | MB_ICONEXCLAMATION, GetString(ui_string::kCannotCreateEffects));
    e.Players().NotifyMixer(kMixerLineEffectsReplaced, row);
    return;
  }

  // The line plays the list being edited, so that each change is heard.
  {
    TrackMixingLock lock;
    r.effects = working;
    TellEngine(row, working);
  }
  e.Players().NotifyMixer(kPanelRequestEffects, row);
  InvalidateRow(row);

  if (!dialogs.EditLineEffects(HWindow, working, row)) {
    {
      TrackMixingLock lock;
      if (previous != nullptr) previous->RestoreStates();
      r.effects = previous;
      TellEngine(row, previous);
      DropList(working);
    }
    InvalidateRow(row);
  } else {
    // The undo step remembers the line as it was before the editor opened.
    TimeLineState before = e.GetTimeLineState();
    before.audio[row].effects = previous;
    UndoScript::Mark(kUndoEdit, ProjectMarks, before);
    {
      TrackMixingLock lock;
      EffectList* kept = working->first != nullptr ? working : nullptr;
      r.effects = kept;
      TellEngine(row, kept);
      if (kept == nullptr) DropList(working);
      if (previous != nullptr) {
        previous->CloseDiscard();
        previous->Release();
      }
    }
    e.SetModified(true);
    WidenChangedRange(row);
    InvalidateRow(row);
  }
  e.Players().NotifyMixer(kMixerLineEffectsReplaced, row);
}

void TAVButtons::ToggleEffectUse(int32_t row) {
  if (row < 0 || row >= panel_.rowCount) return;
  if (EffectList* list = LineEffects(panel_[row])) list->SetEnabled(list->bypass != 0);
  timeline_.Engine().Players().NotifyMixer(kPanelRequestEffectUse, row);
  InvalidateRow(row);
}

void TAVButtons::EffectsChanged(int32_t row) {
  TimeLineEngine& e = timeline_.Engine();
  e.SetModified(true);
  WidenChangedRange(row);
  e.Players().NotifyMixer(kMixerLineEffectsReplaced, row);
  InvalidateRow(row);
}

void TAVButtons::CmPasteEffects() {
  if (kind_ != kLineAudio || timeline_.Engine().playing || !MenuRowValid()) return;
  const int32_t row = menuRow_;
  TrackRecord& r = panel_[row];
  EffectList* clone = EffectList::CloneDefault(nullptr);
  if (clone == nullptr) return;
  if (r.effects != nullptr &&
      ShowMessage(timeline_.GetHandle(), GetString(ui_string::kPasteAudioEffects), MB_YESNO | MB_ICONQUESTION,
                  GetString(ui_string::kReplaceTrackEffects), row + 1) != IDYES) {
    DropList(clone);
    return;
  }
  timeline_.Engine().MarkUndo(kUndoEdit);
  {
    TrackMixingLock lock;
    ReleaseChain(r.effects);
    r.effects = clone;
    clone->SetEnabled(true);
    TellEngine(row, clone);
  }
  EffectsChanged(row);
}

void TAVButtons::CmAddEffects() {
  if (kind_ != kLineAudio || timeline_.Engine().playing || !MenuRowValid()) return;
  const int32_t row = menuRow_;
  TrackRecord& r = panel_[row];
  EffectList* added = EffectList::CloneDefault(nullptr);
  if (added == nullptr) return;
  // The undo step keeps the list as it was: the line gets a new one.
  if (EffectList* list = LineEffects(r)) {
    EffectList* joined = list->CloneAppending(added, nullptr);
    DropList(added);
    if ((added = joined) == nullptr) return;
  }
  timeline_.Engine().MarkUndo(kUndoEdit);
  {
    TrackMixingLock lock;
    ReleaseChain(r.effects);
    r.effects = added;
    TellEngine(row, added);
  }
  EffectsChanged(row);
}

void TAVButtons::CmDeleteEffects() {
  if (kind_ != kLineAudio || timeline_.Engine().playing || !MenuRowValid()) return;
  const int32_t row = menuRow_;
  TrackRecord& r = panel_[row];
  if (r.effects == nullptr) return;
  if (ShowMessageText(timeline_.GetHandle(), GetString(ui_string::kDeleteAudioEffects),
                      MB_YESNO | MB_ICONQUESTION,
                      GetString(ui_string::kDeleteAudioEffectsQuestion)) != IDYES) {
    return;
  }
  timeline_.Engine().MarkUndo(kUndoEdit);
  {
    TrackMixingLock lock;
    ReleaseChain(r.effects);
    TellEngine(row, nullptr);
  }
  EffectsChanged(row);
}
