// The project's frame rate and audio format, which every clip must share,
// and its master bus: volume and balance, the master effect list and its
// bypass.
//
// The mixer thread applies the master list under the audio engine's mixing
// lock, so the list is replaced, and the engine told, only inside that lock.
// Undo steps and message boxes come before or after it: a box must never
// show while the mixer thread waits.
#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "media/audio_data.h"
#include "media/video_source_hooks.h"
#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_dialogs.h"
#include "ui/level_popups.h"

namespace {

// Notices to the mixer window about the master bus.
constexpr int32_t kMixerMasterVolume = 5;
constexpr int32_t kMixerMasterUse = 13;
constexpr int32_t kMixerMasterEditing = 15;
constexpr int32_t kMixerMasterListReplaced = 17;

void DropList(EffectList* list) {
  if (list == nullptr) return;
  if (list->IsOpen()) list->Close();
  list->Release();
}

void TellEngine(EffectList* master) {
  CurrentTrackEffectsEngine().SetTrackEffects(-1, master);
}

void Configure(EffectChain* chain, DWORD rate, DWORD channels) {
  if (auto* list = dynamic_cast<EffectList*>(chain)) list->Configure(rate, channels);
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ProjectParameterEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmMasterVolume, CmMasterVolume),
      EV_COMMAND(kCmMasterEffects, CmMasterEffects),
      EV_COMMAND(kCmUseMasterEffects, CmUseMasterEffects),
      EV_COMMAND_ENABLE(kCmUseMasterEffects, CeUseMasterEffects),
  };
  return entries;
}

bool MainTimeLineWindow::ChangeVideoParameters(bool& cleared) {
  TimeLineEngine& e = engine_;
  cleared = false;
  const char* caption = GetString(ui_string::kChangeVideoParameters);
  if (e.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, caption);
    return false;
  }
  bool anyVideo = false;
  for (Film* f = FilmList.First(); f && !anyVideo; f = f->next) anyVideo = f->video != nullptr;
  if (anyVideo) {
    if (ShowMessageText(HWindow, caption, MB_YESNO | MB_ICONQUESTION, GetString(ui_string::kClearVideoTracks)) !=
        IDYES) {
      return false;
    }
    cleared = true;
    for (Film* f = FilmList.First(); f;) {
      Film* next = f->next;
      if (f->video) {
        edit::CloseForUse(f);
        if (f->audio) WidenChangedRange(f->audioLine, f->start, f->end);
        Film::Unlink(f, FilmList);
        delete f;
      }
      f = next;
    }
    e.SetModified(true);
  }
  e.ZoomChanged(false);
  UndoScript::ClearAll();
  if (VideoEngine* video = e.Players().Video()) {
    video->AcquireSubPlayer(SubPlayerInfo{});
    video->ReleaseSubPlayer();
  }
  return true;
}

bool MainTimeLineWindow::ChangeAudioParameters(bool sameRate, bool mono, bool& cleared) {
  TimeLineEngine& e = engine_;
  cleared = false;
  const char* caption = GetString(ui_string::kChangeSoundParameters);
  if (e.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, caption);
    return false;
  }
  bool anyAudio = false;
  for (Film* f = FilmList.First(); f && !anyAudio; f = f->next) anyAudio = f->audio != nullptr;
  if (anyAudio && !sameRate) {
    if (ShowMessageText(HWindow, caption, MB_YESNO | MB_ICONQUESTION, GetString(ui_string::kClearAudioTracks)) !=
        IDYES) {
      return false;
    }
    cleared = true;
    for (Film* f = FilmList.First(); f;) {
      Film* next = f->next;
      if (f->audio) {
        edit::CloseForUse(f);
        WidenChangedRange(f->audioLine, f->start, f->end);
        Film::Unlink(f, FilmList);
        delete f;
      }
      f = next;
    }
    e.SetModified(true);
  }
  e.ZoomChanged(false);
  UndoScript::ClearAll();
  if (mono) {
    settings_.profileMode = kProfileVolumeOnly;
  } else if (settings_.profileMode == kProfileVolumeOnly) {
    settings_.profileMode = kProfileVolume;
  }
  return true;
}

void MainTimeLineWindow::SetEffectFormats(FilmListHead& films) {
  const DWORD rate = OutputFormat.nSamplesPerSec;
  const DWORD channels = OutputFormat.nChannels;
  Configure(engine_.masterEffects, rate, channels);
  for (int32_t i = 0; i < engine_.audioLineCount && i < engine_.audioPanel.rowCount; ++i) {
    Configure(engine_.audioPanel[i].effects, rate, channels);
  }
  for (Film* f = films.First(); f; f = f->next) {
    if (f->effects == nullptr) continue;
    const auto* sound = dynamic_cast<AudioData*>(f->audio);
    if (sound != nullptr && sound->format != nullptr) {
      Configure(f->effects, sound->format->nSamplesPerSec, sound->format->nChannels);
    } else {
      Configure(f->effects, rate, channels);
    }
  }
}

void MainTimeLineWindow::CmMasterVolume() {
  TimeLineEngine& e = engine_;
  if (e.Players().MixerShown()) {
    e.Players().NotifyMixer(kMixerMasterVolume, 0);
    return;
  }
  const int32_t oldGain = e.masterGain;
  const int32_t oldPan = e.masterPan;
  const TRect area = audioLines_->GetClientRect();
  if (!RunSetVolumeBalanceDialog(audioLines_->GetHandle(), GetString(ui_string::kProject), area, area.Width() / 2,
                                 area.Height() / 2, &e.masterGain, &e.masterPan)) {
    return;
  }
  if (e.masterGain == oldGain && e.masterPan == oldPan) return;
  // The undo step holds the values from before the dialog.
  const int32_t newGain = e.masterGain;
  const int32_t newPan = e.masterPan;
  e.masterGain = oldGain;
  e.masterPan = oldPan;
  e.MarkUndo(kUndoEdit);
  e.masterGain = newGain;
  e.masterPan = newPan;
  e.SetModified(true);
  ResetChangedRanges();
  e.UpdateEngineMix(-1);
}

void MainTimeLineWindow::CmMasterEffects() {
  TimeLineEngine& e = engine_;
  TimeLineDialogs& dialogs = CurrentTimeLineDialogs();
  if (dialogs.ActivateLineEffects(-1)) return;
  if (!e.commandsEnabled) return;
  if (e.playing && !(e.play.realtimeMute && !e.play.audioThroughFile)) return;

  EffectList* previous = dynamic_cast<EffectList*>(e.masterEffects);
  if (e.masterEffects != nullptr && previous == nullptr) return;
  EffectList* working = EffectList::EditCopy(previous, nullptr);
  if (working == nullptr) {
    ShowMessageText(HWindow, GetString(ui_string::kEditAudioEffects), MB_OK | MB_ICONEXCLAMATION,
                    GetString(ui_string::kCannotCreateEffects));
    return;
  }

  // The project is heard through the list being edited, so that each change
  // is heard.
  {
    TrackMixingLock lock;
    e.masterEffects = working;
    TellEngine(working);
  }
  e.Players().NotifyMixer(kMixerMasterEditing, 0);
  curTimeText_->Invalidate(false);

  if (!dialogs.EditLineEffects(HWindow, working, -1)) {
    TrackMixingLock lock;
    if (previous != nullptr) previous->RestoreStates();
    e.masterEffects = previous;
    TellEngine(previous);
    DropList(working);
  } else {
    TimeLineState before = e.GetTimeLineState();
    before.masterEffects = previous;
    UndoScript::Mark(kUndoEdit, ProjectMarks, before);
    {
      TrackMixingLock lock;
      EffectList* kept = working->first != nullptr ? working : nullptr;
      e.masterEffects = kept;
      TellEngine(kept);
      if (kept == nullptr) DropList(working);
      if (previous != nullptr) {
        previous->CloseDiscard();
        previous->Release();
      }
    }
    e.SetModified(true);
    ResetChangedRanges();
  }
  e.Players().NotifyMixer(kMixerMasterListReplaced, 0);
  curTimeText_->Invalidate(false);
  ShowMasterEffectsUse();
}

void MainTimeLineWindow::CmUseMasterEffects() {
  TimeLineEngine& e = engine_;
  if (auto* master = dynamic_cast<EffectList*>(e.masterEffects)) {
    TrackMixingLock lock;
    master->SetEnabled(master->bypass != 0);
  }
  ShowMasterEffectsUse();
  e.Players().NotifyMixer(kMixerMasterUse, 0);
  curTimeText_->Invalidate(false);
}

void MainTimeLineWindow::ShowMasterEffectsUse() {
  HMENU command = FrameMenu(kCommandMenuPosition);
  if (command == nullptr) return;
  const auto* master = dynamic_cast<EffectList*>(engine_.masterEffects);
  ::EnableMenuItem(command, kCmUseMasterEffects, MF_BYCOMMAND | (master != nullptr ? MF_ENABLED : MF_GRAYED));
  ::CheckMenuItem(command, kCmUseMasterEffects,
                  MF_BYCOMMAND | (master != nullptr && master->bypass == 0 ? MF_CHECKED : MF_UNCHECKED));
}

void MainTimeLineWindow::CeUseMasterEffects(TCommandEnabler& ce) {
  const auto* master = dynamic_cast<EffectList*>(engine_.masterEffects);
  ce.Enable(master != nullptr);
  ce.SetCheck(master != nullptr && master->bypass == 0 ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}
