// The popup menu of the audio lines, over empty space and over a clip, and
// its commands: the clip's marks, volume, profiles, declick ramps and audio
// effects here; the clip and clipboard commands passed on to the time-line.
#include <algorithm>

#include "audio/effect_list.h"
#include "media/audio_data.h"
#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/message_box.h"
#include "model/profiles.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/gui/menu.h"
#include "resources/timeline_ids.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// Pixels around a profile point that still find it from the menu; the
// point just inserted by Set profile value is looked for a little wider.
constexpr int32_t kPointPixels = 7;
constexpr int32_t kInsertedPixels = 10;

// An item with a tick.
void AppendChecked(HMENU menu, int command, int text, bool enabled, bool checked) {
  AppendMenu(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED) | (checked ? MF_CHECKED : 0),
             static_cast<UINT_PTR>(command), GetString(text));
}

void AppendPopup(HMENU menu, HMENU popup, int text) {
  AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), GetString(text));
}

const char* Tc(int32_t ms) {
  return MsToShortTimeCode(ms, true);
}

int32_t Neutral(bool balance) {
  return balance ? 0 : kGainUnity;
}

// A profile as a new clip has it: two points of one neutral value.
bool IsDefault(const Profile& p, bool balance) {
  return p.Count() <= 2 && (p.Count() < 1 || p[0].value == Neutral(balance)) &&
         (p.Count() < 2 || p[1].value == p[0].value);
}

EffectList* ListOf(const Film& film) {
  return dynamic_cast<EffectList*>(film.effects);
}

AudioData* SoundOf(const Film& film) {
  return dynamic_cast<AudioData*>(film.audio);
}

}  // namespace

const std::vector<TResponseTableEntry>& TAudioLines::CommandEntries() {
  using TMyClass = TAudioLines;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmAudioEditor, CmEditor),
      EV_COMMAND(kCmAddMark, CmAddMark),
      EV_COMMAND(kCmClipVolume, CmClipVolume),
      EV_COMMAND(kCmSetProfileValue, CmSetProfileValue),
      EV_COMMAND(kCmAddProfilePoint, CmAddProfilePoint),
      EV_COMMAND(kCmRemoveProfilePoint, CmRemoveProfilePoint),
      EV_COMMAND(kCmDeleteClipProfile, CmDeleteProfile),
      EV_COMMAND(kCmDeclickIn, CmDeclickIn),
      EV_COMMAND(kCmDeclickOut, CmDeclickOut),
      EV_COMMAND(kCmDeclickBoth, CmDeclickBoth),
      EV_COMMAND(kCmDeclickNone, CmDeclickNone),
      EV_COMMAND(kCmEditEffects, CmEditEffects),
      EV_COMMAND(kCmPasteEffects, CmPasteEffects),
      EV_COMMAND(kCmAddEffects, CmAddEffects),
      EV_COMMAND(kCmDeleteEffects, CmDeleteEffects),
      EV_COMMAND(kCmUseEffects, CmUseEffects),
  };
  return entries;
}

void TAudioLines::ShowMenu(const TPoint& p) {
  menuZone_ = hitZone;
  menuPointIndex_ = pointIndex_;
  TClipLine::ShowMenu(p);
}

const char* TAudioLines::EditorPath() {
  return timeline_.Settings().audioEditor;
}

void TAudioLines::AppendClipItems(HMENU menu, Film& film) {
  AppendMenuItem(menu, kCmClipVolume, ui_string::kClipVolumeItem);

  const bool balance = BalanceActive();
  const Profile& active = balance ? film.balancePoints : film.volumePoints;
  const bool innerPoint =
      menuZone_ == kZoneKeyPoint && menuPointIndex_ > 0 && menuPointIndex_ < active.Count() - 1;
  HMENU profile = CreatePopupMenu();
  AppendMenuItem(profile, kCmSetProfileValue, ui_string::kSetProfileValueItem);
  AppendMenuItem(profile, kCmAddProfilePoint, ui_string::kAddProfilePointItem,
                 menuZone_ != kZoneTrimStart && menuZone_ != kZoneTrimEnd);
  AppendMenuItem(profile, kCmRemoveProfilePoint, ui_string::kRemoveProfilePointItem, innerPoint);
  AppendMenuItem(profile, kCmDeleteClipProfile, ui_string::kDeleteProfileItem, !IsDefault(active, balance));
  AppendSeparator(profile);
  AppendMenuItem(profile, kCmFadeIn, ui_string::kFadeInItem, false);
  AppendMenuItem(profile, kCmFadeOut, ui_string::kFadeOutItem, false);
  AppendPopup(menu, profile, ui_string::kProfileItem);

  HMENU declick = CreatePopupMenu();
  AppendChecked(declick, kCmDeclickIn, ui_string::kDeclickInItem, true, film.declickIn);
  AppendChecked(declick, kCmDeclickOut, ui_string::kDeclickOutItem, true, film.declickOut);
  AppendSeparator(declick);
  AppendMenuItem(declick, kCmDeclickBoth, ui_string::kDeclickBothItem, !(film.declickIn && film.declickOut));
  AppendMenuItem(declick, kCmDeclickNone, ui_string::kDeclickNoneItem, film.declickIn || film.declickOut);
  AppendPopup(menu, declick, ui_string::kDeclickItem);

  HMENU effects = CreatePopupMenu();
  const bool hasList = film.effects != nullptr;
  const bool clipboard = EffectList::DefaultList() != nullptr;
  AppendMenuItem(effects, kCmEditEffects,
                 hasList ? ui_string::kEffectsEditItem : ui_string::kEffectsAddNewItem);
  AppendMenuItem(effects, kCmPasteEffects, ui_string::kEffectsPasteItem, clipboard);
  AppendMenuItem(effects, kCmAddEffects, ui_string::kEffectsAddItem, clipboard);
  AppendMenuItem(effects, kCmDeleteEffects, ui_string::kEffectsDeleteItem, hasList);
  AppendSeparator(effects);
  const EffectList* list = ListOf(film);
  AppendChecked(effects, kCmUseEffects, ui_string::kEffectsUseItem, hasList,
                hasList && !(list && list->bypass));
  AppendPopup(menu, effects, ui_string::kAudioEffectsMenu);
}

void TAudioLines::PasteTarget(int32_t& videoRow, int32_t& audioLine) {
  videoRow = -1;
  audioLine = LineAt(menuPoint_.y);
}

RECT TAudioLines::ClipRect(const Film& film) {
  TimeLineEngine& e = timeline_.Engine();
  const TrackRecord& row = Row(film.audioLine);
  return RECT{e.PosToPixel(film.start), row.top, e.PosToPixel(film.end), row.top + row.height};
}

// ---- Marks.

void TAudioLines::CmAddMark() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  const int32_t source = SourceTimeAt(*film, menuPoint_.x);
  if (source < film->in || source >= film->out) return;
  AddClipMark(timeline_, film, source, menuPoint_.x);
}

// ---- Volume and profiles.

void TAudioLines::CmClipVolume() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  TimeLineEngine& e = timeline_.Engine();
  const int32_t volume = film->volume, balance = film->balance;
  // The popup changes the clip as the user moves its controls.
  const bool ok =
      CurrentLineDialogs().EditVolumeBalance(HWindow, GetString(ui_string::kClipCaption), ClipRect(*film),
                                             menuPoint_.x, menuPoint_.y, &film->volume, &film->balance);
  const int32_t newVolume = film->volume, newBalance = film->balance;
  film->volume = volume;
  film->balance = balance;
  if (ok && (newVolume != volume || newBalance != balance)) {
    // The undo step holds the values from before the popup.
    e.MarkUndo(kUndoEdit);
    film->volume = newVolume;
    film->balance = newBalance;
    e.SetModified(true);
    WidenChangedRange(film->audioLine, film->start, film->end);
  }
  Invalidate(false);
}

void TAudioLines::CmSetProfileValue() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  TimeLineEngine& e = timeline_.Engine();
  pointerFilm_ = film;
  pointerLine_ = film->audioLine;
  const bool balance = BalanceActive();
  Profile& profile = balance ? film->balancePoints : film->volumePoints;
  if (profile.Count() < 2) return;
  const int32_t v = balance ? YToBalance(menuPoint_.y) : YToVolume(menuPoint_.y);
  const int32_t s = SourceTimeAt(*film, menuPoint_.x);
  int32_t index = -1;
  int32_t hit = balance ? film->HitTestBalanceProfile(v, s, index) : film->HitTestVolumeProfile(v, s, index);
  if (hit == kHitNone) {
    int32_t k = balance ? film->FindBalancePoint(s, v, INT32_MAX) : film->FindVolumePoint(s, v, INT32_MAX);
    if (k < 0) k = balance ? film->NearestBalancePoint(s) : film->NearestVolumePoint(s);
    if (k < 0) return;
    index = k;
    hit = kHitPoint;
    if (std::abs(int64_t{profile[k].time} - s) > e.hitDistanceMs) {
      index = std::clamp(s < profile[k].time ? k - 1 : k, 0, profile.Count() - 2);
      hit = profile[index].value == profile[index + 1].value ? kHitFlatSegment : kHitSlopedSegment;
    }
  }
  if (index < 0 || index >= profile.Count()) return;
  int32_t a = index, b = index;
  if (hit == kHitFlatSegment) {
    b = std::min(index + 1, profile.Count() - 1);
  } else if (hit == kHitSlopedSegment) {
    const int question = balance ? ui_string::kInsertBalancePoint : ui_string::kInsertVolumePoint;
    if (ShowMessage(HWindow, GetString(ui_string::kSetProfileValue), MB_YESNO | MB_ICONQUESTION, "%s",
                    GetString(question)) != IDYES) {
      return;
    }
    e.MarkUndo(kUndoEdit);
    if (s < profile[0].time || s > profile.Last().time || !profile.Insert(s, v)) return;
    a = b = balance ? film->FindBalancePoint(s, v, kInsertedPixels) : film->FindVolumePoint(s, v, kInsertedPixels);
    if (a < 0) return;
  }
  const int32_t oldA = profile[a].value, oldB = profile[b].value;
  // The popup sets the value in place as the user moves its controls.
  const char* caption = GetString(ui_string::kProfileCaption);
  const RECT rect = ClipRect(*film);
  const bool ok = balance ? CurrentLineDialogs().EditBalance(HWindow, caption, rect, menuPoint_.x, menuPoint_.y,
                                                             &profile[a].value, &profile[b].value)
                          : CurrentLineDialogs().EditLevel(HWindow, caption, rect, menuPoint_.x, menuPoint_.y,
                                                           &profile[a].value, &profile[b].value);
  const int32_t value = profile[a].value;
  profile[a].value = oldA;
  profile[b].value = oldB;
  if (ok && (value != oldA || value != oldB)) {
    // The undo step holds the value from before the popup.
    e.MarkUndo(kUndoEdit);
    profile[a].value = value;
    profile[b].value = value;
  }
  Invalidate(false);
  e.SetModified(true);
  WidenChangedRange(film->audioLine, film->start, film->end);
}

void TAudioLines::CmAddProfilePoint() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  pointerFilm_ = film;
  pointerLine_ = film->audioLine;
  AddPointAt(menuPoint_.x, menuPoint_.y, false);
}

void TAudioLines::CmRemoveProfilePoint() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  TimeLineEngine& e = timeline_.Engine();
  pointerFilm_ = film;
  pointerLine_ = film->audioLine;
  const bool balance = BalanceActive();
  Profile& profile = balance ? film->balancePoints : film->volumePoints;
  const int32_t v = balance ? YToBalance(menuPoint_.y) : YToVolume(menuPoint_.y);
  const int32_t s = SourceTimeAt(*film, menuPoint_.x);
  int32_t k = balance ? film->FindBalancePoint(s, v, kPointPixels) : film->FindVolumePoint(s, v, kPointPixels);
  if (k < 0) {
    const int32_t nearest = balance ? film->NearestBalancePoint(s) : film->NearestVolumePoint(s);
    if (nearest >= 0 && std::abs(int64_t{e.TimeToPixels(profile[nearest].time)} - e.TimeToPixels(s)) <= kPointPixels)
      k = nearest;
  }
  auto status = [&](int text, int32_t t) {
    e.ShowStatusText(FormatText(GetString(text), Tc(t - film->in), Tc(t - film->in + film->start)).c_str());
  };
  if (k < 0) {
    status(ui_string::kPointNotFound, s);
  } else if (k == 0 || k == profile.Count() - 1) {
    e.ShowStatusText(GetString(k == 0 ? ui_string::kFirstPointStays : ui_string::kLastPointStays));
  } else {
    status(ui_string::kPointRemoved, profile[k].time);
    e.MarkUndo(kUndoEdit);
    profile.Delete(k);
    e.SetModified(true);
    e.InvalidateClip(film);
    WidenChangedRange(film->audioLine, film->start, film->end);
    return;
  }
  MessageBeep(MB_ICONINFORMATION);
}

void TAudioLines::CmDeleteProfile() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  const bool balance = BalanceActive();
  Profile& profile = balance ? film->balancePoints : film->volumePoints;
  if (IsDefault(profile, balance)) return;
  if (ShowMessage(HWindow, GetString(ui_string::kDeleteProfile), MB_YESNO | MB_ICONQUESTION, "%s",
                  GetString(ui_string::kDeleteProfileQuestion)) != IDYES ||
      !OnTimeLine(film)) {
    return;
  }
  TimeLineEngine& e = timeline_.Engine();
  e.MarkUndo(kUndoEdit);
  const int32_t length = film->audio != nullptr ? film->audio->GetLength() : film->sourceLength;
  const ProfilePoint flat[2] = {{0, Neutral(balance)}, {std::max(length - 1, 0), Neutral(balance)}};
  profile.Assign(flat, 2);
  e.SetModified(true);
  e.InvalidateClip(film);
  WidenChangedRange(film->audioLine, film->start, film->end);
}

// ---- Declick.

void TAudioLines::SetDeclicks(Film* film, bool in, bool out) {
  if (film == nullptr || (film->declickIn == in && film->declickOut == out)) return;
  TimeLineEngine& e = timeline_.Engine();
  e.MarkUndo(kUndoEdit);
  film->declickIn = in;
  film->declickOut = out;
  e.SetModified(true);
  e.InvalidateClip(film);
}

void TAudioLines::CmDeclickIn() {
  if (Film* film = MenuFilm()) SetDeclicks(film, !film->declickIn, film->declickOut);
}

void TAudioLines::CmDeclickOut() {
  if (Film* film = MenuFilm()) SetDeclicks(film, film->declickIn, !film->declickOut);
}

void TAudioLines::CmDeclickBoth() {
  SetDeclicks(MenuFilm(), true, true);
}

void TAudioLines::CmDeclickNone() {
  SetDeclicks(MenuFilm(), false, false);
}

// ---- Audio effects.

void TAudioLines::SwapEffects(Film* film, EffectList* list) {
  TrackMixingLock lock;
  film->effects = list;
}

void TAudioLines::CmEditEffects() {
  EditEffects(MenuFilm());
}

void TAudioLines::EditEffects(Film* film) {
  TimeLineEngine& e = timeline_.Engine();
  if (film == nullptr || e.playing || !e.commandsEnabled) return;
  EffectList* old = ListOf(*film);
  AudioData* sound = SoundOf(*film);
  // A chain of another kind than ours cannot be edited here.
  EffectList* working =
      film->effects == nullptr || old != nullptr ? EffectList::EditCopy(old, sound) : nullptr;
  if (working == nullptr) {
    ShowMessage(HWindow, GetString(ui_string::kEditAudioEffects), MB_ICONEXCLAMATION | MB_OK, "%s",
                GetString(ui_string::kCannotCreateEffects));
    return;
  }
  // For the time of the dialog the clip plays through the list being edited.
  EffectChain* held = film->effects;
  SwapEffects(film, working);
  const bool ok = CurrentLineDialogs().EditEffects(HWindow, working, film);
  if (!ok) {
    {
      TrackMixingLock lock;
      film->effects = held;
      if (old != nullptr) old->RestoreStates();
    }
    EffectChain* dropped = working;
    ReleaseChain(dropped);
  } else {
    // The undo step holds the list from before the dialog.
    {
      TrackMixingLock lock;
      film->effects = held;
    }
    e.MarkUndo(kUndoEdit);
    if (working->first == nullptr) {
      EffectChain* empty = working;
      ReleaseChain(empty);
      working = nullptr;
    } else if (!working->IsOpen()) {
      // The clip's list is open for its sound while the clip is on the line.
      working->Open(sound, nullptr);
    }
    SwapEffects(film, working);
    if (old != nullptr) {
      old->CloseDiscard();
      old->Release();
    }
    WidenChangedRange(film->audioLine, film->start, film->end);
    e.SetModified(true);
  }
  e.InvalidateClip(film);
}

void TAudioLines::CmPasteEffects() {
  Film* film = MenuFilm();
  TimeLineEngine& e = timeline_.Engine();
  if (film == nullptr || e.playing) return;
  EffectList* copy = EffectList::CloneDefault(SoundOf(*film));
  if (copy == nullptr) return;
  if (film->effects != nullptr &&
      ShowMessage(HWindow, GetString(ui_string::kPasteAudioEffects), MB_YESNO | MB_ICONQUESTION, "%s",
                  GetString(ui_string::kReplaceClipEffects)) != IDYES) {
    EffectChain* dropped = copy;
    ReleaseChain(dropped);
    return;
  }
  e.MarkUndo(kUndoEdit);
  EffectChain* old = film->effects;
  copy->SetEnabled(true);
  SwapEffects(film, copy);
  ReleaseChain(old);
  e.InvalidateClip(film);
  WidenChangedRange(film->audioLine, film->start, film->end);
  e.SetModified(true);
}

void TAudioLines::CmAddEffects() {
  Film* film = MenuFilm();
  TimeLineEngine& e = timeline_.Engine();
  if (film == nullptr || e.playing) return;
  AudioData* sound = SoundOf(*film);
  EffectList* copy = EffectList::CloneDefault(sound);
  if (copy == nullptr) return;
  EffectList* own = nullptr;
  if (film->effects != nullptr) {
    // The clip's list is shared with the undo history: the effects go to a
    // list of the clip's own, so that Undo finds the old one as it was.
    EffectList* held = ListOf(*film);
    own = held != nullptr ? held->Clone(sound) : nullptr;
    if (own == nullptr) {
      EffectChain* dropped = copy;
      ReleaseChain(dropped);
      return;
    }
    while (Effect* effect = copy->first) {
      copy->Unlink(effect);
      own->Insert(effect, nullptr);
    }
    EffectChain* emptied = copy;
    ReleaseChain(emptied);
  } else {
    own = copy;
  }
  e.MarkUndo(kUndoEdit);
  EffectChain* old = film->effects;
  SwapEffects(film, own);
  ReleaseChain(old);
  e.InvalidateClip(film);
  WidenChangedRange(film->audioLine, film->start, film->end);
  e.SetModified(true);
}

void TAudioLines::CmDeleteEffects() {
  Film* film = MenuFilm();
  TimeLineEngine& e = timeline_.Engine();
  if (film == nullptr || e.playing || film->effects == nullptr) return;
  if (ShowMessage(HWindow, GetString(ui_string::kDeleteAudioEffects), MB_YESNO | MB_ICONQUESTION, "%s",
                  GetString(ui_string::kDeleteAudioEffectsQuestion)) != IDYES ||
      !OnTimeLine(film)) {
    return;
  }
  e.MarkUndo(kUndoEdit);
  EffectChain* old = film->effects;
  SwapEffects(film, nullptr);
  ReleaseChain(old);
  e.InvalidateClip(film);
  WidenChangedRange(film->audioLine, film->start, film->end);
  e.SetModified(true);
}

void TAudioLines::CmUseEffects() {
  Film* film = MenuFilm();
  TimeLineEngine& e = timeline_.Engine();
  if (film == nullptr || e.playing || !e.commandsEnabled) return;
  EffectList* held = ListOf(*film);
  if (held == nullptr) return;
  // As with Add: the switch goes to a list of the clip's own.
  EffectList* own = held->Clone(SoundOf(*film));
  if (own == nullptr) return;
  e.MarkUndo(kUndoEdit);
  own->SetEnabled(held->bypass != 0);
  EffectChain* old = film->effects;
  SwapEffects(film, own);
  ReleaseChain(old);
  e.InvalidateClip(film);
  WidenChangedRange(film->audioLine, film->start, film->end);
  e.SetModified(true);
}
