// Tiles made and taken away: a media file added as a clip, a time-line
// clip pasted, a clip deleted or read again, every clip removed, and the
// tiles of one source redrawn.
#include <cstdio>
#include <cstring>

#include "clips/clip_collection.h"
#include "media/progress_hooks.h"
#include "media/wave_convert.h"
#include "model/film.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "platform/core/handle.h"
#include "platform/core/paths.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/file_dialogs.h"
#include "ui/file_questions.h"
#include "ui/scroll_window.h"

namespace {

// Whether the file can be read and holds something: 0, 3 or 4.
int CheckFile(const char* path) {
  HANDLE file = CreateFile(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kErrFileMissing;
  LARGE_INTEGER size{};
  const bool sized = GetFileSizeEx(file, &size) != 0;
  CloseHandle(file);
  return sized && size.QuadPart > 0 ? kErrOk : kErrFileEmpty;
}

bool PlaysDirectly(AudioData* audio) {
  const WORD tag = audio->GetFormatTag();
  return tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT;
}

void Redraw(ClipWindow* tile) {
  if (tile->GetHandle() != nullptr)
    RedrawWindow(tile->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
}

}  // namespace

void ClipCollection::PlaceNewTile(ClipWindow* tile, int position) {
  const int before = TileCount();
  SetModified(true);
  selection_ = position;
  InsertClip(tile, position);
  if (autoSort_)
    SortByType();
  else
    Layout(position < before / 2);
}

bool ClipCollection::AddFile(const char* path, int insertAfter, int skipMask) {
  if (path == nullptr || path[0] == '\0') return false;
  for (int i = TileCount() - 1; i >= 0; --i) {
    const ClipData& clip = tiles_[static_cast<size_t>(i)]->clip;
    if (clip.path == nullptr || !PathsEqual(clip.path, path)) continue;
    if (ShowMessage(HWindow, GetString(ui_string::kAddClipCaption), MB_YESNO | MB_ICONQUESTION,
                    GetString(ui_string::kClipAlreadyOpened), path) != IDYES) {
      SetSelection(i);
      return true;
    }
    break;
  }
  if (const int error = CheckFile(path)) {
    ErrorBox(HWindow, error, GetString(ui_string::kOpenClipFile), path);
    return false;
  }

  WaitCursor wait;
  // The path may be a tile's own, which a conversion below could release.
  char name[MAX_PATH];
  std::snprintf(name, sizeof name, "%s", path);
  const std::string extension = PathExtension(name);
  VideoData* video = nullptr;
  AudioData* audio = nullptr;
  MidiData* midi = nullptr;
  bool audioOnly = false;
  if (EqualNoCase(extension, ".mid")) {
    if (!(skipMask & kClipMidi)) midi = MidiData::Get(name);
  } else if (EqualNoCase(extension, ".wav")) {
    audioOnly = true;
    if (!(skipMask & kClipAudio)) audio = AudioData::OpenShared(name);
  } else {
    if (!(skipMask & kClipVideo)) video = AVIVideoData::OpenShared(HWindow, kVideoKindAvi, name, 0.0f);
    if (!EqualNoCase(extension, ".mrv") && !(skipMask & kClipAudio)) audio = AudioData::OpenShared(name);
  }

  if (audio != nullptr && !PlaysDirectly(audio)) {
    if (ShowMessage(HWindow, GetString(ui_string::kAddClipCaption), MB_OKCANCEL | MB_ICONQUESTION,
                    GetString(ui_string::kDecompressAudio), name) == IDOK) {
      FileData& wave = MediaFileData(kWaveFiles);
      wave.SetDirectory(name);
      std::snprintf(wave.FileName, sizeof wave.FileName, "%s", name);
      if (AskSaveFile(wave, HWindow, GetString(ui_string::kTargetForConversion)) &&
          Film::RemoveClipEverywhere(wave.FileName, HWindow)) {
        char target[MAX_PATH];
        std::snprintf(target, sizeof target, "%s", wave.FileName);
        const int error = ConvertWaveToChosenPcm(HWindow, audio, target);
        audio->Release();
        audio = nullptr;
        if (error == kErrOk) {
          if (audioOnly) {
            std::snprintf(name, sizeof name, "%s", target);
            audio = AudioData::OpenShared(name);
          }
        } else {
          ErrorBox(HWindow, error, GetString(ui_string::kConvertAudio), target);
        }
      }
    }
    if (audio != nullptr && !PlaysDirectly(audio)) {
      audio->Release();
      audio = nullptr;
    }
    // Nothing of a sound file is left; the user has heard why.
    if (audioOnly && audio == nullptr) return false;
  }

  ClipWindow* tile = new ClipWindow(viewMode_, video, midi, audio, true);
  // The tile's clip holds its own references now.
  if (video != nullptr) video->Release();
  if (audio != nullptr) audio->Release();
  if (midi != nullptr) midi->Release();
  if (tile->clip.kind == 0) {
    delete tile;
    ErrorBox(HWindow, kErrInvalidFormat, GetString(ui_string::kOpenClipFormat), name);
    return false;
  }
  const int n = TileCount();
  PlaceNewTile(tile, insertAfter < 0 || insertAfter >= n ? n : insertAfter + 1);
  return true;
}

bool ClipCollection::AskAndAddFile(int insertAfter) {
  if (timeLine_ != nullptr && timeLine_->Engine().playing) return false;
  if (!AskOpenClip(HWindow, HWindow)) return false;
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s", MediaFileData(kClipFiles).FileName);
  return AddFile(path, insertAfter, 0);
}

bool ClipCollection::PasteClip(Film* film, int* answer) {
  if (film == nullptr) return false;
  // Only the program's own sources make tiles.
  VideoData* video = dynamic_cast<VideoData*>(film->video);
  AudioData* audio = dynamic_cast<AudioData*>(film->audio);
  MidiData* midi = dynamic_cast<MidiData*>(film->midi);
  // The other part of the same file, when it is open.
  if (video != nullptr && audio == nullptr) audio = AudioData::FindByName(video->GetFileName());
  if (audio != nullptr && video == nullptr) video = AVIVideoData::FindByName(audio->GetFileName());

  for (int i = TileCount() - 1; i >= 0; --i) {
    const ClipData& clip = tiles_[static_cast<size_t>(i)]->clip;
    if (clip.video != video || clip.audio != audio || clip.midi != midi || clip.inTime != film->in ||
        clip.outTime != film->out)
      continue;
    bool add;
    if (answer == nullptr || *answer == 0)
      add = AskAddClip(HWindow, clip.path != nullptr ? clip.path : clip.name, answer) == 1;
    else
      add = *answer > 0;
    if (!add) {
      SetSelection(i);
      return false;
    }
    break;
  }

  WaitCursor wait;
  ClipWindow* tile = new ClipWindow(viewMode_, video, midi, audio, false);
  ClipData& clip = tile->clip;
  if (clip.kind == 0) {
    delete tile;
    return false;
  }
  clip.inTime = film->in;
  clip.outTime = film->out;
  clip.duration = film->out - film->in;
  std::snprintf(clip.name, sizeof clip.name, "%s", film->name);
  clip.faceTime = clip.inTime;
  if (clip.video != nullptr) clip.video->GetThumbnail(clip.pixels, clip.faceTime);
  PlaceNewTile(tile, selection_ < 0 ? 0 : selection_ + 1);
  return true;
}

bool ClipCollection::DeleteClip(int index, bool ask) {
  ClipWindow* tile = Tile(index);
  if (tile == nullptr) return false;
  if (ask && ShowMessage(HWindow, GetString(ui_string::kDeleteClip), MB_YESNO | MB_ICONQUESTION,
                         GetString(ui_string::kDeleteClipQuestion), tile->clip.name) != IDYES)
    return false;
  delete DetachClip(index);
  SetModified(true);
  // The tile that followed takes its place.
  selection_ = index;
  Layout(false);
  return true;
}

bool ClipCollection::RefreshClip(int index) {
  ClipWindow* tile = Tile(index);
  if (tile == nullptr) return false;
  const bool valid = tile->clip.Revalidate();
  SetModified(true);
  Layout(false);
  return valid;
}

bool ClipCollection::DeleteAll(bool ask) {
  HideCaretIfShown();
  bool done = true;
  if (!tiles_.empty()) {
    if (ask && ShowMessage(HWindow, GetString(ui_string::kClearClipCollection), MB_YESNO | MB_ICONQUESTION,
                           GetString(ui_string::kRemoveAllClips)) != IDYES) {
      done = false;
    } else {
      while (!tiles_.empty()) delete DetachClip(TileCount() - 1);
      SetModified(true);
      selection_ = -1;
      Layout(false);
    }
  }
  ShowCaretIfShown();
  return done;
}

void ClipCollection::RedrawClipsOfVideo(VideoData* source) {
  for (ClipWindow* tile : tiles_)
    if (source != nullptr && tile->clip.video == source && (tile->clip.kind & kClipVideo)) Redraw(tile);
}

void ClipCollection::RedrawClipsOfAudio(AudioData* source) {
  for (ClipWindow* tile : tiles_)
    if (source != nullptr && tile->clip.audio == source && (tile->clip.kind & kClipAudio)) Redraw(tile);
}

void ClipCollection::RedrawClipsOfMidi(MidiData* source) {
  for (ClipWindow* tile : tiles_)
    if (source != nullptr && tile->clip.midi == source && (tile->clip.kind & kClipMidi)) Redraw(tile);
}

void ClipCollection::DropThumbnails(VideoData* source) {
  for (int i = TileCount() - 1; i >= 0; --i) {
    ClipWindow* tile = tiles_[static_cast<size_t>(i)];
    if (source == nullptr || tile->clip.video != source || tile->clip.thumbnail == nullptr) continue;
    tile->clip.ReleaseThumbnail();
    Redraw(tile);
  }
}

void ClipCollection::UpdateAll() {
  if (HWindow == nullptr) return;
  // The scroll window first: it does not clip its children, so an erase it
  // still owes would cover tiles painted before it.
  if (scrollWindow_ != nullptr && scrollWindow_->GetHandle() != nullptr) ::UpdateWindow(scrollWindow_->GetHandle());
  UpdateWindow();
  for (ClipWindow* tile : tiles_)
    if (tile->GetHandle() != nullptr) ::UpdateWindow(tile->GetHandle());
}
