// The master effects edited from the cursor-time display's menu. The mixer
// thread applies the master list under the audio engine's mixing lock, so
// the list is replaced and handed over inside that lock; the undo step and
// any question come before it.
#include "audio/effect_list.h"
#include "model/changed_ranges.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// The mixer's notice that the master list was replaced.
constexpr int32_t kMixerMasterListReplaced = 17;

using MixingLock = TrackMixingLock;

void ReleaseList(EffectList* list) {
  if (list == nullptr) return;
  list->Close();
  list->Release();
}

void TellEngine(EffectList* master) {
  CurrentTrackEffectsEngine().SetTrackEffects(-1, master);
}

}  // namespace

void TCurTimeText::MasterListChanged() {
  TimeLineEngine& e = timeline_.Engine();
  ResetChangedRanges();
  e.SetModified(true);
  e.Players().NotifyMixer(kMixerMasterListReplaced, 0);
  Invalidate(false);
}

void TCurTimeText::CmPasteMasterEffects() {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) return;
  EffectList* clone = EffectList::CloneDefault(nullptr);
  if (clone == nullptr) return;
  if (MasterList() != nullptr &&
      ShowMessageText(timeline_.GetHandle(), GetString(ui_string::kPasteAudioEffects),
                      MB_YESNO | MB_ICONQUESTION, GetString(ui_string::kReplaceMasterEffects)) != IDYES) {
    ReleaseList(clone);
    return;
  }
  e.MarkUndo(kUndoEdit);
  {
    MixingLock lock;
    ReleaseChain(e.masterEffects);
    e.masterEffects = clone;
    clone->SetEnabled(true);
    TellEngine(clone);
  }
  MasterListChanged();
}

void TCurTimeText::CmAddMasterEffects() {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing) return;
  EffectList* added = EffectList::CloneDefault(nullptr);
  if (added == nullptr) return;
  // The undo step keeps the list as it was: the master gets a new one.
  if (EffectList* master = MasterList()) {
    EffectList* joined = master->CloneAppending(added, nullptr);
    ReleaseList(added);
    if ((added = joined) == nullptr) return;
  }
  e.MarkUndo(kUndoEdit);
  {
    MixingLock lock;
    ReleaseChain(e.masterEffects);
    e.masterEffects = added;
    TellEngine(added);
  }
  MasterListChanged();
}

void TCurTimeText::CmDeleteMasterEffects() {
  TimeLineEngine& e = timeline_.Engine();
  if (e.playing || MasterList() == nullptr) return;
  if (ShowMessageText(timeline_.GetHandle(), GetString(ui_string::kDeleteAudioEffects),
                      MB_YESNO | MB_ICONQUESTION,
                      GetString(ui_string::kDeleteAudioEffectsQuestion)) != IDYES) {
    return;
  }
  e.MarkUndo(kUndoEdit);
  {
    MixingLock lock;
    ReleaseChain(e.masterEffects);
    TellEngine(nullptr);
  }
  MasterListChanged();
}
