// What the Edit menu changes of the selected sound clips at once: their
// volume or balance profile, their audio effects and their declick ramps.
#include <algorithm>

#include "audio/effect_list.h"
#include "media/audio_data.h"
#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int32_t kDeclickIn = 1;
constexpr int32_t kDeclickOut = 2;

bool IsSelectedSound(const Film* f) {
  return f->audio && f->IsSelected();
}

bool AnySelectedSound() {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (IsSelectedSound(f)) return true;
  }
  return false;
}

// Effects copied by the effect dialogs wait here.
bool EffectClipboardEmpty() {
  return EffectList::DefaultList() == nullptr;
}

// A profile has nothing to reset when it holds one level throughout.
bool AtDefault(const Profile& p, int32_t neutral) {
  if (p.Count() == 0) return true;
  if (p.Count() > 2 || p[0].value != neutral) return false;
  return p.Count() < 2 || p[1].value == p[0].value;
}

void Widen(const Film* f) {
  WidenChangedRange(f->audioLine, f->start, f->end);
}

bool NeedsDeclick(const Film* f, int32_t which, bool on) {
  if (which == (kDeclickIn | kDeclickOut)) {
    return on ? (!f->declickIn || !f->declickOut) : (f->declickIn || f->declickOut);
  }
  return which == kDeclickIn ? f->declickIn != on : f->declickOut != on;
}

bool AnyNeedsDeclick(int32_t which, bool on) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (IsSelectedSound(f) && NeedsDeclick(f, which, on)) return true;
  }
  return false;
}

AudioData* SoundOf(const Film* f) {
  return dynamic_cast<AudioData*>(f->audio);
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::AudioClipEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmDeleteProfile, CmDeleteProfile),
      EV_COMMAND_ENABLE(kCmDeleteProfile, CeDeleteProfile),
      EV_COMMAND_ENABLE(kCeAudioEffects, CeAudioEffects),
      EV_COMMAND(kCmPasteEffects, CmPasteEffects),
      EV_COMMAND_ENABLE(kCmPasteEffects, CeAddPasteEffects),
      EV_COMMAND(kCmAddEffects, CmAddEffects),
      EV_COMMAND_ENABLE(kCmAddEffects, CeAddPasteEffects),
      EV_COMMAND(kCmDeleteEffects, CmDeleteEffects),
      EV_COMMAND_ENABLE(kCmDeleteEffects, CeDeleteEffects),
      EV_COMMAND_ENABLE(kCeDeclick, CeDeclick),
      EV_COMMAND(kCmSetDeclickIn, CmSetDeclickIn),
      EV_COMMAND_ENABLE(kCmSetDeclickIn, CeSetDeclickIn),
      EV_COMMAND(kCmSetDeclickOut, CmSetDeclickOut),
      EV_COMMAND_ENABLE(kCmSetDeclickOut, CeSetDeclickOut),
      EV_COMMAND(kCmSetDeclickBoth, CmSetDeclickBoth),
      EV_COMMAND_ENABLE(kCmSetDeclickBoth, CeSetDeclickBoth),
      EV_COMMAND(kCmClearDeclickIn, CmClearDeclickIn),
      EV_COMMAND_ENABLE(kCmClearDeclickIn, CeClearDeclickIn),
      EV_COMMAND(kCmClearDeclickOut, CmClearDeclickOut),
      EV_COMMAND_ENABLE(kCmClearDeclickOut, CeClearDeclickOut),
      EV_COMMAND(kCmClearDeclickBoth, CmClearDeclickBoth),
      EV_COMMAND_ENABLE(kCmClearDeclickBoth, CeClearDeclickBoth),
  };
  return entries;
}

void MainTimeLineWindow::AudioClipsChanged() {
  if (audioLines_->IsWindow()) audioLines_->Invalidate(false);
  engine_.SetModified(true);
}

// ---- Profiles.

void MainTimeLineWindow::CmDeleteProfile() {
  const char* caption = GetString(ui_string::kDeleteProfile);
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, caption);
    return;
  }
  const bool balance = settings_.profileMode == kProfileBalance;
  const int32_t neutral = balance ? 0 : kGainUnity;
  bool asked = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!IsSelectedSound(f)) continue;
    Profile& profile = balance ? f->balancePoints : f->volumePoints;
    if (AtDefault(profile, neutral)) continue;
    if (!asked) {
      if (ShowMessage(HWindow, caption, MB_YESNO | MB_ICONQUESTION, "%s",
                      GetString(ui_string::kDeleteProfileQuestion)) != IDYES) {
        return;
      }
      asked = true;
      engine_.MarkUndo(kUndoEdit);
    }
    const ProfilePoint flat[2] = {{0, neutral}, {std::max(f->audio->GetLength() - 1, 0), neutral}};
    profile.Assign(flat, 2);
    Widen(f);
  }
  if (asked) AudioClipsChanged();
}

void MainTimeLineWindow::CeDeleteProfile(TCommandEnabler& ce) {
  bool any = false;
  if (!engine_.playing) {
    const bool balance = settings_.profileMode == kProfileBalance;
    for (Film* f = FilmList.First(); f && !any; f = f->next) {
      if (!IsSelectedSound(f)) continue;
      any = balance ? !AtDefault(f->balancePoints, 0) : !AtDefault(f->volumePoints, kGainUnity);
    }
  }
  ce.Enable(any);
}

// ---- Effects.

void MainTimeLineWindow::CmPasteEffects() {
  PutEffects(false);
}

void MainTimeLineWindow::CmAddEffects() {
  PutEffects(true);
}

void MainTimeLineWindow::PutEffects(bool add) {
  if (engine_.playing || EffectClipboardEmpty()) return;
  bool anySound = false, anyEffects = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!IsSelectedSound(f)) continue;
    anySound = true;
    if (f->effects) anyEffects = true;
  }
  if (!anySound) return;
  if (!add && anyEffects &&
      ShowMessage(HWindow, GetString(ui_string::kPasteAudioEffects), MB_YESNO | MB_ICONQUESTION, "%s",
                  GetString(ui_string::kReplaceAudioEffects)) != IDYES) {
    return;
  }
  engine_.MarkUndo(kUndoEdit);
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!IsSelectedSound(f)) continue;
    AudioData* sound = SoundOf(f);
    EffectList* pasted = EffectList::CloneDefault(sound);
    if (!pasted) continue;
    if (add && f->effects) {
      // The clip's list may be shared with copies and the undo history:
      // the effects go to a list of its own.
      auto* held = dynamic_cast<EffectList*>(f->effects);
      EffectList* own = held ? held->CloneAppending(pasted, sound) : nullptr;
      pasted->Close();
      pasted->Release();
      if (!own) continue;
      pasted = own;
    }
    ReleaseChain(f->effects);
    f->effects = pasted;
    Widen(f);
  }
  AudioClipsChanged();
}

void MainTimeLineWindow::CmDeleteEffects() {
  if (engine_.playing) return;
  bool any = false;
  for (Film* f = FilmList.First(); f && !any; f = f->next) any = f->IsSelected() && f->effects;
  if (!any) return;
  if (ShowMessage(HWindow, GetString(ui_string::kDeleteAudioEffects), MB_YESNO | MB_ICONQUESTION, "%s",
                  GetString(ui_string::kDeleteSelectedEffects)) != IDYES) {
    return;
  }
  engine_.MarkUndo(kUndoEdit);
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->IsSelected() || !f->effects) continue;
    Widen(f);
    ReleaseChain(f->effects);
  }
  AudioClipsChanged();
}

void MainTimeLineWindow::CeAudioEffects(TCommandEnabler& ce) {
  bool any = false;
  if (!engine_.playing) {
    const bool clipboard = !EffectClipboardEmpty();
    for (Film* f = FilmList.First(); f && !any; f = f->next) {
      any = IsSelectedSound(f) && (f->effects || clipboard);
    }
  }
  ce.Enable(any);
}

void MainTimeLineWindow::CeAddPasteEffects(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && !EffectClipboardEmpty() && AnySelectedSound());
}

void MainTimeLineWindow::CeDeleteEffects(TCommandEnabler& ce) {
  bool any = false;
  if (!engine_.playing) {
    for (Film* f = FilmList.First(); f && !any; f = f->next) any = f->IsSelected() && f->effects;
  }
  ce.Enable(any);
}

// ---- Declick.

void MainTimeLineWindow::ChangeDeclick(int32_t which, bool on) {
  if (engine_.playing || !AnyNeedsDeclick(which, on)) return;
  engine_.MarkUndo(kUndoEdit);
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!IsSelectedSound(f) || !NeedsDeclick(f, which, on)) continue;
    Widen(f);
    if (which & kDeclickIn) f->declickIn = on;
    if (which & kDeclickOut) f->declickOut = on;
  }
  AudioClipsChanged();
}

void MainTimeLineWindow::CmSetDeclickIn() {
  ChangeDeclick(kDeclickIn, true);
}
void MainTimeLineWindow::CmSetDeclickOut() {
  ChangeDeclick(kDeclickOut, true);
}
void MainTimeLineWindow::CmSetDeclickBoth() {
  ChangeDeclick(kDeclickIn | kDeclickOut, true);
}
void MainTimeLineWindow::CmClearDeclickIn() {
  ChangeDeclick(kDeclickIn, false);
}
void MainTimeLineWindow::CmClearDeclickOut() {
  ChangeDeclick(kDeclickOut, false);
}
void MainTimeLineWindow::CmClearDeclickBoth() {
  ChangeDeclick(kDeclickIn | kDeclickOut, false);
}

void MainTimeLineWindow::CeDeclick(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnySelectedSound());
}
void MainTimeLineWindow::CeSetDeclickIn(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnyNeedsDeclick(kDeclickIn, true));
}
void MainTimeLineWindow::CeSetDeclickOut(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnyNeedsDeclick(kDeclickOut, true));
}
void MainTimeLineWindow::CeSetDeclickBoth(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnyNeedsDeclick(kDeclickIn | kDeclickOut, true));
}
void MainTimeLineWindow::CeClearDeclickIn(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnyNeedsDeclick(kDeclickIn, false));
}
void MainTimeLineWindow::CeClearDeclickOut(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnyNeedsDeclick(kDeclickOut, false));
}
void MainTimeLineWindow::CeClearDeclickBoth(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && AnyNeedsDeclick(kDeclickIn | kDeclickOut, false));
}
