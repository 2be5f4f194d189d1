// The project as a whole: made new, cleared, read from its file and written
// to it, and a file's clips read into the clipboard. The project file's
// reader and writer are the model's; here is what happens around them: the
// clips whose media no longer fit the project, the effect lists that cannot
// be opened, the undo history, and the lines and the view afresh.
#include <algorithm>
#include <new>
#include <string>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "media/audio_data.h"
#include "media/video_source_hooks.h"
#include "model/changed_ranges.h"
#include "model/component_list.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_dialogs.h"

namespace {

constexpr int32_t kNewProjectLength = 12500;
constexpr int32_t kNewProjectView = 10000;
// The longest clip end a loaded project is shown up to, at the least.
constexpr int32_t kShortestLoadedView = 1000;

// A source that cannot play in this project as it is set up now.
bool VideoUnfit(VideoSource* v) {
  return v->GetError() != 0 || !v->IsDirectPlayable();
}
bool AudioUnfit(AudioSource* a) {
  return a->GetError() != 0 || !a->IsDirectFormat();
}

// Opens a list for a clip's sound (null: the output), marking the classes it
// cannot create in components.
bool OpenEffects(EffectChain* chain, AudioSource* source, ComObjectEntry* components) {
  if (auto* list = dynamic_cast<EffectList*>(chain))
    return list->Open(source != nullptr ? dynamic_cast<AudioData*>(source) : nullptr, components);
  return chain->Open(source);
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ProjectEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

HMENU MainTimeLineWindow::FrameMenu(int position) {
  HWND frame = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  HMENU bar = frame != nullptr && frame != HWindow ? ::GetMenu(frame) : nullptr;
  return bar != nullptr ? ::GetSubMenu(bar, position) : nullptr;
}

void MainTimeLineWindow::ReleaseProjectEffects() {
  TrackMixingLock lock;
  TrackEffectsEngine& mixer = CurrentTrackEffectsEngine();
  for (int32_t i = 0; i < engine_.audioPanel.rowCount; ++i) {
    mixer.SetTrackEffects(i, nullptr);
    engine_.audioPanel[i].ReleaseEffects();
  }
  mixer.SetTrackEffects(-1, nullptr);
  ReleaseChain(engine_.masterEffects);
}

void MainTimeLineWindow::LayoutProjectLines() {
  // Header rows take their heights from their zoom steps again.
  LayoutHeaders();
  for (int32_t i = engine_.audioLineCount; i < engine_.audioPanel.rowCount; ++i) {
    engine_.audioPanel[i].solo = 0;
    engine_.audioPanel[i].mute = 1;
  }
  engine_.UpdateFrameLayout(0);
}

void MainTimeLineWindow::ShowNewProject(int32_t length, int32_t viewEnd) {
  TimeLineEngine& e = engine_;
  e.SetPlayCursor(0, false);
  e.length = std::clamp(std::max(e.length, length), 1, kDayMs);
  const int32_t labels = (std::max(e.width, 1) - 1) / std::max(e.LabelSpacing(), 1) + 1;
  SetScaleRange(1, e.length / labels);
  e.ZoomToRange(0, viewEnd);
  // Mono sound has no balance to show.
  if (OutputFormat.nChannels == 1) {
    settings_.profileMode = kProfileVolumeOnly;
  } else if (settings_.profileMode == kProfileVolumeOnly) {
    settings_.profileMode = kProfileVolume;
  }
  e.SetMarkRange(0, 0);
  e.ZoomChanged(true);
  e.Players().NotifyMixer(kMixerLineCount, e.audioLineCount);
}

void MainTimeLineWindow::NewProject() {
  TimeLineEngine& e = engine_;
  if (e.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kNewProject));
    return;
  }
  ClearProject(false);
  e.SetModified(false);
  e.masterGain = kGainUnity;
  e.masterPan = 0;
  ReleaseProjectEffects();
  ResetChangedRanges();
  UndoScript::ClearAll();
  LinkCounter = 0;
  // The marks belong to the project that was.
  ProjectMarks.Clear();
  InvalidateRuler();

  for (TrackPanel* panel : {&e.vfxPanel, &e.videoPanel, &e.midiPanel, &e.audioPanel}) {
    for (int32_t i = 0; i < panel->rowCount; ++i) (*panel)[i].SetUp("", 1, 0);
  }
  for (int32_t i = 0; i < e.audioPanel.rowCount; ++i) {
    e.audioPanel[i].SetName(FormatText(GetString(ui_string::kAudioTrackNumber), i + 1).c_str());
  }
  LayoutProjectLines();
  e.length = kNewProjectLength;
  ShowNewProject(kNewProjectLength, kNewProjectView);
}

bool MainTimeLineWindow::ClearProject(bool ask) {
  TimeLineEngine& e = engine_;
  const char* caption = GetString(ui_string::kClearTheProject);
  if (e.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, caption);
    return false;
  }
  if (FilmList.Empty()) return true;
  if (ask && ShowMessageText(HWindow, caption, MB_YESNO | MB_ICONQUESTION,
                             GetString(ui_string::kRemoveAllProjectClips)) != IDYES) {
    return false;
  }
  e.MarkUndo(kUndoEdit);
  for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
  FilmList.Clear();
  if (VFX* transitions = e.Players().Transitions()) transitions->Schedule();
  ReleaseProjectEffects();

  e.InvalidateLines();
  e.SetModified(true);
  ResetChangedRanges();
  // The play file's mix is no project's now.
  PlayFileRange.Clear();
  UndoScript::ClearPlayFileRanges();
  if (VideoEngine* video = e.Players().Video()) {
    video->AcquireSubPlayer(SubPlayerInfo{});
    video->ReleaseSubPlayer();
  }
  LoadProjectSummaryDefaults();
  return FilmList.Empty();
}

int MainTimeLineWindow::OpenProject(HMMIO file, PathRecord* folders, SynonymFile** moved, char* collectionPath,
                                    std::string* reason) {
  TimeLineEngine& e = engine_;
  if (e.playing) return kErrPlaying;
  ClearProject(false);
  // Also when there were no clips to clear: the lists are the old project's.
  ReleaseProjectEffects();
  e.SetModified(false);
  ProjectMarks.Clear();
  if (collectionPath != nullptr) collectionPath[0] = '\0';

  FilmListHead loaded;
  ComObjectEntry* components = nullptr;
  int result = ReadProject(e, loaded, file, folders, moved, false, collectionPath, &components, reason);
  if (result == kErrCancelled) {
    ClearProject(false);
    e.SetModified(false);
  } else if (result != kErrOk) {
    e.SetModified(true);
  }
  InvalidateRuler();
  ApplyLoadedProject(loaded, ui_string::kLoadProject, components, result);
  return result;
}

void MainTimeLineWindow::ApplyLoadedProject(FilmListHead& films, int captionId, ComObjectEntry* components,
                                            int& result) {
  TimeLineEngine& e = engine_;
  const char* caption = GetString(captionId);
  int32_t longest = kShortestLoadedView;
  bool missing = false;
  bool dropped = false;
  // A list to name the classes that are not installed in, also when the
  // file named none.
  if (components == nullptr) components = new (std::nothrow) ComObjectEntry;

  for (Film* f = films.First(); f;) {
    Film* next = f->next;
    if (f->video && VideoUnfit(f->video)) {
      ErrorBox(HWindow, kErrInvalidFormat, caption, f->video->GetFileName());
      Drop(f->video);
      Drop(f->inPicture);
      Drop(f->outPicture);
      Drop(f->inKeyFrame);
      f->videoRow = -1;
      dropped = true;
    }
    if (f->midi && (f->midi->GetError() != 0 || !f->MidiMatchesList(films))) {
      ShowMessageText(HWindow, caption, MB_OK | MB_ICONEXCLAMATION, GetString(ui_string::kSingleMidiOnly));
      Drop(f->midi);
      dropped = true;
    }
    if (f->audio && AudioUnfit(f->audio)) {
      ErrorBox(HWindow, kErrInvalidFormat, caption, f->audio->GetFileName());
      Drop(f->audio);
      f->audioLine = -1;
      ReleaseChain(f->effects);
      dropped = true;
    }
    if (!f->video && !f->audio && !f->midi) {
      Film::Unlink(f, films);
      delete f;
      dropped = true;
      f = next;
      continue;
    }
    edit::OpenForUse(f);
    if (f->effects != nullptr && (f->audio == nullptr || !OpenEffects(f->effects, f->audio, components))) {
      if (f->audio != nullptr) missing = true;
      ReleaseChain(f->effects);
    }
    f->origin = e.PixelsToTime(e.TimeToPixels(f->start - f->in));
    longest = std::max(longest, f->end);
    f = next;
  }

  for (EffectChain** held : {&e.masterEffects, &e.audioPanel[0].effects, &e.audioPanel[1].effects,
                             &e.audioPanel[2].effects, &e.audioPanel[3].effects}) {
    if (*held != nullptr && !OpenEffects(*held, nullptr, components)) {
      missing = true;
      ReleaseChain(*held);
    }
  }
  if (missing) {
    CurrentTimeLineDialogs().ShowMissingEffects(HWindow, components);
    if (result == kErrOk) result = kErrAlreadyDone;
  }
  if (missing || dropped) e.SetModified(true);
  FreeComponentList(components);

  // Whatever the project held is gone by now; the loaded films take its place.
  for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
  FilmList.Clear();
  FilmList.Swap(films);
  SetEffectFormats(FilmList);
  ResetChangedRanges();
  UndoScript::ClearAll();
  LinkCounter = 0;
  for (Film* f = FilmList.First(); f; f = f->next) f->stamp = ++LinkCounter;

  LayoutProjectLines();
  e.showMidi = false;
  if (HMENU view = FrameMenu(kViewMenuPosition)) {
    auto check = [view](int id, bool on) { ::CheckMenuItem(view, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    check(kCmShowVideoTracks, e.showVideo);
    check(kCmShowAudioTracks, e.showAudio);
    check(kCmShowMidiTrack, e.showMidi);
  }
  longest = longest < 10000 ? longest + longest / 10 : std::min(longest, kDayMs - 1000) + 1000;
  ShowNewProject(longest, longest);
  if (VideoEngine* video = e.Players().Video()) video->Attach();
}

bool MainTimeLineWindow::SaveProject(const char* path, const char* folder, const char* collectionPath) {
  UndoScript::MarkAllDirty();
  if (!SaveProjectFile(engine_, FilmList.First(), path, folder, collectionPath)) return false;
  engine_.SetModified(false);
  // The saved state stands as the present one: Undo goes back to the state
  // before the last edit, which differs from the file.
  UndoScript::Take(FilmList, ProjectMarks, engine_.GetTimeLineState(), false);
  return true;
}

int MainTimeLineWindow::CopyFromFile(HMMIO file, PathRecord* folders, SynonymFile** moved, std::string* reason) {
  ClipClipboard.Clear();
  const int result = ReadProject(engine_, ClipClipboard, file, folders, moved, true, nullptr, nullptr, reason);
  SetEffectFormats(ClipClipboard);

  int32_t kinds = 0;
  for (Film* f = ClipClipboard.First(); f; f = f->next) {
    if (f->video && VideoUnfit(f->video)) kinds |= kKindVideo;
    if (f->audio && AudioUnfit(f->audio)) kinds |= kKindAudio;
    if (f->midi && (f->midi->GetError() != 0 || !f->MidiMatchesList(FilmList) || !f->MidiMatchesList(ClipClipboard)))
      kinds |= kKindMidi;
  }
  if (kinds != 0) {
    std::string names;
    for (auto [kind, text] : {std::pair{kKindVideo, ui_string::kKindVideo}, std::pair{kKindAudio, ui_string::kKindAudio},
                              std::pair{kKindMidi, ui_string::kKindMidi}}) {
      if (!(kinds & kind)) continue;
      if (!names.empty()) names += "/";
      names += GetString(text);
    }
    ShowMessage(HWindow, GetString(ui_string::kAddProjectCaption), MB_OK | MB_ICONINFORMATION,
                GetString(ui_string::kClipboardFormatsDiffer), names.c_str());
  }
  return result;
}
