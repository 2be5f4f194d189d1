// The collection's context menu and the commands of its menu that work on
// the tiles as a whole or on the selected clip: adding and deleting, purging
// the unused clips, taking the project's parameters from a clip, the
// editors for a clip's file, and the Skip option.
#include <string>

#include "audio/audio_player.h"
#include "clips/clip_collection.h"
#include "clips/collection_shell.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/classlib/command_enabler.h"
#include "platform/core/paths.h"
#include "resources/collection_ids.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// Whether some item of the project shows one of the clip's sources.
bool UsedInProject(const ClipData& clip) {
  for (const Film* f = FilmList.First(); f != nullptr; f = f->next) {
    if ((clip.video != nullptr && f->video == clip.video) ||
        (clip.audio != nullptr && f->audio == clip.audio) || (clip.midi != nullptr && f->midi == clip.midi))
      return true;
  }
  return false;
}

// The program path of a clip editor in the time-line's settings; null for
// another command.
const char* ToolPath(const MainTimeLineWindow& timeLine, int id) {
  const TimeLineSettings& s = timeLine.Settings();
  switch (id) {
    case kCmAudioEditorForClip:
      return s.audioEditor;
    case kCmMidiEditorForClip:
      return s.midiEditor;
    case kCmVideoEditorForClip:
      return s.videoEditor;
    default:
      return nullptr;
  }
}

// Whether the clip has the part an editor command works on.
bool HasPartFor(const ClipData& clip, int id) {
  switch (id) {
    case kCmAudioEditorForClip:
      return clip.audio != nullptr;
    case kCmMidiEditorForClip:
      return clip.midi != nullptr;
    case kCmVideoEditorForClip:
      return clip.video != nullptr;
    default:
      return false;
  }
}

void AddItem(HMENU menu, UINT id, int text, bool grey = false) {
  AppendMenu(menu, MF_STRING | (grey ? MF_GRAYED : MF_ENABLED), id, GetString(text));
}

}  // namespace

const std::vector<TResponseTableEntry>& ClipCollection::MenuEntries() {
  using TMyClass = ClipCollection;
  static const std::vector<TResponseTableEntry> entries = {
      EV_WM_RBUTTONDOWN,
      EV_WM_INITMENUPOPUP,
      EV_COMMAND(kCmPurge, CmPurge),
      EV_COMMAND(kCmCollectionAddFile, CmAddSourceFile),
      EV_COMMAND(kCmCollectionInsert, CmAddSourceFile),
      EV_COMMAND(kCmCollectionDelete, CmDelete),
      EV_COMMAND(kCmVideoParamsFromClip, CmVideoParamsFromClip),
      EV_COMMAND(kCmAudioParamsFromClip, CmAudioParamsFromClip),
      EV_COMMAND_AND_ID(kCmVideoEditorForClip, LaunchToolForClip),
      EV_COMMAND_AND_ID(kCmMidiEditorForClip, LaunchToolForClip),
      EV_COMMAND_AND_ID(kCmAudioEditorForClip, LaunchToolForClip),
      EV_COMMAND_AND_ID(kCmSkipVideo, CmSkipMode),
      EV_COMMAND_AND_ID(kCmSkipAudio, CmSkipMode),
      EV_COMMAND_ENABLE(kCmPurge, CeAlways),
      EV_COMMAND_ENABLE(kCmCollectionAddFile, CeNotPlaying),
      EV_COMMAND_ENABLE(kCmCollectionInsert, CeAlways),
      EV_COMMAND_ENABLE(kCmCollectionDelete, CeDelete),
      EV_COMMAND_ENABLE(kCmVideoParamsFromClip, CeVideoParams),
      EV_COMMAND_ENABLE(kCmAudioParamsFromClip, CeAudioParams),
      EV_COMMAND_ENABLE(kCmVideoEditorForClip, CeTool),
      EV_COMMAND_ENABLE(kCmMidiEditorForClip, CeTool),
      EV_COMMAND_ENABLE(kCmAudioEditorForClip, CeTool),
      EV_COMMAND_ENABLE(kCmSkipVideo, CeSkipMode),
      EV_COMMAND_ENABLE(kCmSkipAudio, CeSkipMode),
  };
  return entries;
}

void ClipCollection::EvRButtonDown(UINT, const TPoint& point) {
  selection_ = HitTest(point);
  TPoint screen = point;
  ClientToScreen(screen);
  SetFocus();
  UpdateCaret();

  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  const bool playing = ProjectPlaying();
  const bool emptyClipboard = ClipClipboard.Empty();
  ClipWindow* tile = Tile(selection_);
  if (tile == nullptr || !TileRect(tile).Contains(point)) {
    AddItem(menu, kCmCollectionInsert, ui_string::kMenuAddSourceFile, playing);
    AddItem(menu, kCmCollectionPaste, ui_string::kMenuPaste, emptyClipboard);
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AddItem(menu, kCmViewFullInfo, ui_string::kMenuFullInfo, viewMode_ == kViewFullInfo);
    AddItem(menu, kCmViewBasicInfo, ui_string::kMenuBasicInfo, viewMode_ == kViewBasicInfo);
    AddItem(menu, kCmViewLargeIcons, ui_string::kMenuLargeIcons, viewMode_ == kViewLargeIcons);
    AddItem(menu, kCmViewSmallIcons, ui_string::kMenuSmallIcons, viewMode_ == kViewSmallIcons);
  } else {
    const ClipData& clip = tile->clip;
    const bool preview =
        TheAudioPlayer != nullptr && TheAudioPlayer->GetState() == AudioPlayer::kPlayingSource;
    if (!playing && !preview)
      AddItem(menu, kCmCollectionPlay, ui_string::kMenuPlay);
    else
      AddItem(menu, kCmCollectionStop, ui_string::kMenuStop);
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    if (clip.video != nullptr)
      AddItem(menu, kCmVideoParamsFromClip, ui_string::kMenuVideoParameters, clip.video->IsDirectPlayable());
    if (clip.audio != nullptr)
      AddItem(menu, kCmAudioParamsFromClip, ui_string::kMenuAudioParameters, clip.audio->IsDirectFormat());
    const struct {
      int id, text;
    } editors[] = {{kCmVideoEditorForClip, ui_string::kMenuLaunchVideoEditor},
                   {kCmMidiEditorForClip, ui_string::kMenuLaunchMidiEditor},
                   {kCmAudioEditorForClip, ui_string::kMenuLaunchAudioEditor}};
    for (const auto& e : editors) {
      if (!HasPartFor(clip, e.id)) continue;
      std::string text = GetString(e.text);
      const bool configured = ToolConfigured(e.id);
      if (configured) text += " (" + PathStem(ToolPath(*timeLine_, e.id)) + ")";
      AppendMenu(menu, MF_STRING | (configured ? MF_ENABLED : MF_GRAYED), e.id, text.c_str());
    }
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AddItem(menu, kCmCollectionCopy, ui_string::kMenuCopy);
    AddItem(menu, kCmCollectionAdd, ui_string::kMenuAdd);
    AddItem(menu, kCmCollectionPaste, ui_string::kMenuPaste, emptyClipboard);
    AddItem(menu, kCmCollectionDelete, ui_string::kMenuDelete);
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AddItem(menu, kCmCollectionProperties, ui_string::kMenuProperties, playing);
  }
  contextMenu_ = menu;
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, HWindow, nullptr);
  contextMenu_ = nullptr;
  DestroyMenu(menu);
}

void ClipCollection::EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu) {
  // The context menu was built with the states it shows; the enablers of
  // the menu bar's items would give the current view and adding other ones.
  if (popup != nullptr && popup == contextMenu_) {
    DefaultProcessing();
    return;
  }
  TWindow::EvInitMenuPopup(popup, index, sysMenu);
}

bool ClipCollection::ToolConfigured(int id) const {
  if (timeLine_ == nullptr || ProjectPlaying()) return false;
  const char* path = ToolPath(*timeLine_, id);
  return path != nullptr && path[0] != '\0';
}

void ClipCollection::CmPurge() {
  Purge(false);
}

bool ClipCollection::Purge(bool yesNo) {
  bool asked = false, removed = false;
  for (int i = TileCount() - 1; i >= 0; --i) {
    if (UsedInProject(tiles_[static_cast<size_t>(i)]->clip)) continue;
    if (!asked) {
      asked = true;
      const int answer = ShowMessage(HWindow, GetString(ui_string::kPurge),
                                     (yesNo ? MB_YESNOCANCEL : MB_OKCANCEL) | MB_ICONQUESTION, "%s",
                                     GetString(ui_string::kPurgeQuestion));
      if (answer == IDCANCEL) return false;
      if (answer == IDNO) return true;
    }
    if (i <= selection_) --selection_;
    // As Delete does: the tile gives its sources back, so that files no
    // longer in use close.
    delete DetachClip(i);
    removed = true;
  }
  if (removed) {
    SetModified(true);
    Layout(false);
  }
  return true;
}

void ClipCollection::CmAddSourceFile() {
  AskAndAddFile(selection_);
}

void ClipCollection::CmDelete() {
  DeleteClip(selection_, true);
}

void ClipCollection::CmVideoParamsFromClip() {
  const ClipData* clip = SelectedClip();
  if (ProjectPlaying() || clip == nullptr || clip->video == nullptr) return;
  CurrentCollectionShell().SetFrameRateFromVideo(clip->video);
}

void ClipCollection::CmAudioParamsFromClip() {
  const ClipData* clip = SelectedClip();
  if (ProjectPlaying() || clip == nullptr || clip->audio == nullptr || clip->audio->format == nullptr) return;
  CurrentCollectionShell().SetAudioFormat(static_cast<int>(clip->audio->format->nSamplesPerSec),
                                          clip->audio->format->nChannels, clip->audio->GetSampleType());
}

void ClipCollection::LaunchToolForClip(WPARAM id) {
  const ClipData* clip = SelectedClip();
  if (clip == nullptr || timeLine_ == nullptr) return;
  timeLine_->LaunchTool(static_cast<int>(id), clip->path != nullptr ? clip->path : "");
}

void ClipCollection::SetSkipMode(int mode) {
  skipMode_ = mode == skipMode_ ? kSkipNone : mode;
  CurrentCollectionShell().ShowSkipMode(skipMode_);
}

void ClipCollection::CmSkipMode(WPARAM id) {
  SetSkipMode(id == kCmSkipVideo ? kSkipVideo : kSkipAudio);
}

void ClipCollection::CeSkipMode(TCommandEnabler& ce) {
  ce.Enable(true);
  const int mode = ce.GetId() == kCmSkipVideo ? kSkipVideo : kSkipAudio;
  ce.SetCheck(skipMode_ == mode ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}

void ClipCollection::CeNotPlaying(TCommandEnabler& ce) {
  ce.Enable(!ProjectPlaying());
}

void ClipCollection::CeDelete(TCommandEnabler& ce) {
  ce.Enable(TileCount() > 0);
}

void ClipCollection::CeVideoParams(TCommandEnabler& ce) {
  const ClipData* clip = SelectedClip();
  ce.Enable(!ProjectPlaying() && clip != nullptr && clip->video != nullptr &&
            !clip->video->IsDirectPlayable());
}

void ClipCollection::CeAudioParams(TCommandEnabler& ce) {
  const ClipData* clip = SelectedClip();
  ce.Enable(!ProjectPlaying() && clip != nullptr && clip->audio != nullptr && !clip->audio->IsDirectFormat());
}

void ClipCollection::CeTool(TCommandEnabler& ce) {
  const ClipData* clip = SelectedClip();
  const int id = static_cast<int>(ce.GetId());
  ce.Enable(clip != nullptr && HasPartFor(*clip, id) && ToolConfigured(id));
}
