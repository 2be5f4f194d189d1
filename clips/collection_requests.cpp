// The converters of the collection's Tools menu, the files other windows and
// other instances of the program hand to the collection, and what the
// collection does when a video source takes another frame rate or an edit
// decision list brings sources.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "clips/clip_collection.h"
#include "clips/collection_shell.h"
#include "media/audio_data.h"
#include "media/wave_convert.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/classlib/command_enabler.h"
#include "platform/core/paths.h"
#include "platform/core/process.h"
#include "resources/collection_ids.h"
#include "timeline/commands/add_file_host.h"
#include "timeline/commands/run_converter.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/file_dialogs.h"

namespace {

// The clip record's filter of each converter's files.
constexpr int kWaveFilter = 2;
constexpr int kAviFilter = 3;

bool ProjectHasVideo() {
  for (const Film* f = FilmList.First(); f != nullptr; f = f->next)
    if (f->video != nullptr) return true;
  return false;
}

bool ProjectHasAudio() {
  for (const Film* f = FilmList.First(); f != nullptr; f = f->next)
    if (f->audio != nullptr) return true;
  return false;
}

void Redraw(ClipWindow* tile) {
  if (tile->GetHandle() != nullptr)
    RedrawWindow(tile->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
}

}  // namespace

const std::vector<TResponseTableEntry>& ClipCollection::RequestEntries() {
  using TMyClass = ClipCollection;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmConvertWave, CmConvertWave),
      EV_COMMAND(kCmConvertAvi, CmConvertAvi),
      EV_COMMAND(kCmConvertCamcorderAvi, CmConvertCamcorderAvi),
      EV_COMMAND_ENABLE(kCmConvertWave, CeAlways),
      EV_COMMAND_ENABLE(kCmConvertAvi, CeAlways),
      EV_COMMAND_ENABLE(kCmConvertCamcorderAvi, CeAlways),
      EV_MESSAGE(kCollectionAddFileMessage, EvAddFile),
      EV_MESSAGE(kCollectionRequestMessage, EvRequest),
  };
  return entries;
}

void ClipCollection::CmConvertWave() {
  FileData& wave = MediaFileData(kWaveFiles);
  if (!AskOpenFile(wave, HWindow, GetString(ui_string::kSourceWaveFile))) return;
  const std::string source = wave.FileName;
  SetFileDialogsDirectory(source.c_str(), kWaveFilter);
  const char* caption = GetString(ui_string::kConvertAudio);
  AudioData* audio = AudioData::OpenShared(source.c_str());
  if (audio == nullptr) {
    ErrorBox(HWindow, kErrOpen, caption, source);
    return;
  }
  if (AskSaveFile(wave, HWindow, GetString(ui_string::kTargetWaveForConversion))) {
    const std::string target = wave.FileName;
    // A file converted into itself would be overwritten while it is read.
    if (!PathsEqual(target, source) && Film::RemoveClipEverywhere(target.c_str(), HWindow)) {
      SetFileDialogsDirectory(target.c_str(), kWaveFilter);
      if (const int error = ConvertWaveToChosenFormat(HWindow, audio, target.c_str()))
        ErrorBox(HWindow, error, caption, target);
    }
  }
  audio->Release();
}

void ClipCollection::CmConvertAvi() {
  std::string command = ConverterProgram(CurrentAddFileHost().ConverterFolder(), "QOVTOOL1.EXE");
  const ClipData* clip = SelectedClip();
  if (clip != nullptr && clip->path != nullptr && EqualNoCase(PathExtension(clip->path), ".avi"))
    command += " " + QuoteArgument(clip->path);
  RunConverter(HWindow, command, MediaFileData(kAviFiles).Directory, false);
}

void ClipCollection::CmConvertCamcorderAvi() {
  FileData& avi = MediaFileData(kAviFiles);
  if (!AskOpenFile(avi, HWindow, GetString(ui_string::kSourceAviFile))) return;
  const std::string source = avi.FileName;
  SetFileDialogsDirectory(source.c_str(), kAviFilter);
  if (!AskSaveFile(avi, HWindow, GetString(ui_string::kTargetAviForConversion))) return;
  const std::string target = avi.FileName;
  if (PathsEqual(target, source) || !Film::RemoveClipEverywhere(target.c_str(), HWindow)) return;
  SetFileDialogsDirectory(target.c_str(), kAviFilter);
  // The converter reports to the collection's window.
  char handle[24];
  std::snprintf(handle, sizeof handle, "%" PRIXPTR, reinterpret_cast<uintptr_t>(HWindow));
  const std::string command = ConverterProgram(CurrentAddFileHost().ConverterFolder(), "QOVTOOL2.EXE") + " " +
                              handle + " " + QuoteArgument(source) + " " + QuoteArgument(target);
  RunConverter(HWindow, command, avi.Directory, true);
}

LRESULT ClipCollection::EvAddFile(WPARAM, LPARAM path) {
  const char* name = reinterpret_cast<const char*>(path);
  // A longer name would have to be cut and name another file.
  if (name == nullptr || std::strlen(name) >= MAX_PATH) return 0;
  char copy[MAX_PATH];
  std::snprintf(copy, sizeof copy, "%s", name);
  return AddFile(copy, -1, 0) ? 1 : 0;
}

LRESULT ClipCollection::EvRequest(WPARAM code, LPARAM argument) {
  if (code != kCollectionRequestAddFile) return 0;
  char* name = reinterpret_cast<char*>(argument);
  // The project frame checks the open files first: the other instance may
  // have changed the file.
  if (timeLine_ != nullptr && timeLine_->GetHandle() != nullptr) {
    if (HWND frame = GetAncestor(timeLine_->GetHandle(), GA_ROOT))
      ::SendMessage(frame, kFrameRequestMessage, kFrameRequestCheckFiles, 1);
  }
  if (name != nullptr) {
    name[kRequestNameSize - 1] = '\0';
    AddExternalFile(name);
    FreeRequestName(name);
  }
  return 0;
}

void ClipCollection::VideoRateChanged(VideoData* source, float formerRate) {
  if (source == nullptr) return;
  const float rate = source->GetFrameRate();
  // Each time keeps its frame.
  auto rescale = [&](int32_t ms) { return FramesToMs(MsToFrames(ms, formerRate), rate); };
  for (ClipWindow* tile : tiles_) {
    ClipData& clip = tile->clip;
    if (clip.video != source) continue;
    clip.faceTime = rescale(clip.faceTime);
    clip.inTime = rescale(clip.inTime);
    clip.outTime = rescale(clip.outTime);
    clip.sourceLength = FramesToMs(source->GetFrameCount(), rate);
    clip.duration = clip.outTime - clip.inTime;
    Redraw(tile);
  }
  for (Film* f = ClipClipboard.First(); f != nullptr;) {
    Film* following = f->next;
    if (f->video == source) {
      Film::Unlink(f, ClipClipboard);
      delete f;
    }
    f = following;
  }
  UndoScript::DropSource(false, source, nullptr, nullptr);
}

bool ClipCollection::AddClipFromSources(const char* name, AudioSource* audioSource,
                                        VideoSource* videoSource) {
  if (name == nullptr || name[0] == '\0') return false;
  // Only the program's own sources make tiles.
  AudioData* audio = dynamic_cast<AudioData*>(audioSource);
  VideoData* video = dynamic_cast<VideoData*>(videoSource);
  if (audio == nullptr && video == nullptr) return false;
  auto* tile = new ClipWindow(viewMode_, video, nullptr, audio, true);
  if (tile->clip.kind == 0) {
    delete tile;
    return false;
  }
  SetModified(true);
  selection_ = TileCount();
  InsertClip(tile, -1);
  return true;
}

void ClipCollection::AddExternalFile(const char* name) {
  if (name == nullptr || name[0] == '\0') return;
  VideoData* video = AVIVideoData::FindByName(name);
  AudioData* audio = AudioData::FindByName(name);
  MidiData* midi = MidiData::Find(name);
  const int before = TileCount();
  if (video == nullptr && audio == nullptr && midi == nullptr) {
    AddFile(name, -1, 0);
  } else {
    // The sources are in use already: the clip is pasted, so that the user
    // is asked before the same clip comes twice.
    ClipData clip(video, midi, audio, false);
    Film* film = new (std::nothrow) Film(clip, 0, kKindVideo | kKindAudio | kKindMidi, 0, 0);
    if (film == nullptr) return;
    int answer = 0;
    PasteClip(film, &answer);
    delete film;
  }
  const ClipData* added = TileCount() > before ? SelectedClip() : nullptr;
  if (added == nullptr) return;
  CollectionShell& shell = CurrentCollectionShell();
  if (!ProjectHasVideo() && added->video != nullptr && !added->video->IsDirectPlayable())
    shell.SetFrameRateFromVideo(added->video);
  if (!ProjectHasAudio() && added->audio != nullptr && !added->audio->IsDirectFormat() &&
      added->audio->format != nullptr)
    shell.SetAudioFormat(static_cast<int>(added->audio->format->nSamplesPerSec),
                         added->audio->format->nChannels, added->audio->GetSampleType());
}
