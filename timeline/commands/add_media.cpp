// A media file added to the time-line as a clip: checked against the
// project's frame rate and sound, offered to the converters, registered with
// the clip collection, then placed at a time or handed to the mouse.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "audio/midi_data.h"
#include "media/audio_data.h"
#include "media/audio_source_hooks.h"
#include "media/video_data.h"
#include "media/wave_convert.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/codecs/vfw.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"
#include "platform/core/process.h"
#include "platform/core/sync.h"
#include "resources/timeline_ids.h"
#include "timeline/commands/add_file_host.h"
#include "timeline/commands/run_converter.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/file_dialogs.h"
#include "ui/te_file_dialogs.h"

namespace {

constexpr int32_t kSkipVideo = 1;
constexpr int32_t kSkipAudio = 2;

// The sources taken from the file; whatever is still held at the end goes
// back.
struct FileSources {
  AVIVideoData* video = nullptr;
  AudioData* audio = nullptr;
  MidiData* midi = nullptr;

  FileSources() = default;
  FileSources(const FileSources&) = delete;
  FileSources& operator=(const FileSources&) = delete;
  ~FileSources() {
    Drop(video);
    Drop(audio);
    Drop(midi);
  }
  bool Any() const { return video || audio || midi; }
};

bool ProjectHas(int32_t kind) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if ((kind == kKindVideo && f->video) || (kind == kKindAudio && f->audio) ||
        (kind == kKindMidi && f->midi))
      return true;
  }
  return false;
}

Film* FirstFilmWithVideo() {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->video) return f;
  }
  return nullptr;
}

// One MIDI file per project.
bool MidiFits(MidiSource* midi) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->midi && f->midi != midi) return false;
  }
  return midi->MayBeShared();
}

// The file's extension is ext, in any case.
bool HasExtension(const char* path, const char* ext) {
  const char* name = path + std::strlen(path);
  while (name > path && name[-1] != '/' && name[-1] != '\\') --name;
  const char* dot = std::strrchr(name, '.');
  return dot && strcasecmp(dot, ext) == 0;
}

void CopyPath(char* path, const std::string& from) {
  std::strncpy(path, from.c_str(), MAX_PATH - 1);
  path[MAX_PATH - 1] = '\0';
}

// "VIDEO", "AUDIO", "MIDI", "VIDEO and AUDIO" for any mix, "" for none.
const char* KindsText(int32_t kinds) {
  switch (kinds) {
    case 0:
      return "";
    case kKindVideo:
      return GetString(ui_string::kKindVideo);
    case kKindAudio:
      return GetString(ui_string::kKindAudio);
    case kKindMidi:
      return GetString(ui_string::kKindMidi);
    default:
      return GetString(ui_string::kKindVideoAndAudio);
  }
}

// The codec of a video as the user knows it: what the installed codec calls
// itself, else its four characters.
std::string CodecText(AVIVideoData* video) {
  const BITMAPINFOHEADER* format = video ? video->Format() : nullptr;
  const DWORD code = format ? format->biCompression : BI_RGB;
  if (code != BI_RGB) {
    if (HIC hic = ICOpen(ICTYPE_VIDEO, code, ICMODE_DECOMPRESS)) {
      ICINFO info;
      ICGetInfo(hic, &info, sizeof info);
      ICClose(hic);
      std::string text;
      for (int i = 0; i < 127 && info.szDescription[i] != 0; ++i) {
        const wchar_t c = info.szDescription[i];
        text.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
      }
      if (!text.empty()) return text;
    }
  }
  char chars[5] = {};
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
    chars[i] = c >= ' ' && c <= '~' ? c : ' ';
  }
  return FormatText(GetString(ui_string::kUnknownCodec), chars);
}

bool IsCamcorderVideo(AVIVideoData* video) {
  const BITMAPINFOHEADER* format = video->Format();
  if (!format) return false;
  char chars[5] = {};
  for (int i = 0; i < 4; ++i) chars[i] = static_cast<char>((format->biCompression >> (8 * i)) & 0xFF);
  return strcasecmp(chars, "CGDI") == 0;
}

// The parts that do not suit the project, as the warning names them.
const char* UnfitText(int32_t kinds) {
  return kinds == kKindVideo || kinds == kKindAudio || kinds == kKindMidi ||
                 kinds == (kKindVideo | kKindAudio)
             ? KindsText(kinds)
             : "";
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::AddMediaEntries() {
  static const std::vector<TResponseTableEntry> entries;
  return entries;
}

void MainTimeLineWindow::AddSourceFileOfKind(int32_t kind) {
  // The clip dialog opens on the filter of the kind: waves, AVIs, all files.
  if (kind == kKindAudio) SetClipFilterIndex(2);
  if (kind == kKindVideo) SetClipFilterIndex(3);
  if (kind == kKindMidi) SetClipFilterIndex(4);
  HWND frame = IsWindow() ? GetAncestor(HWindow, GA_ROOT) : nullptr;
  if (frame && frame != HWindow) ::SendMessage(frame, WM_COMMAND, kCmAddSourceFile, 0);
}

void MainTimeLineWindow::AddFile(char* path, int32_t time) {
  const char* caption = GetString(ui_string::kOpenClip);
  AddFileHost& host = CurrentAddFileHost();
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, caption);
    return;
  }
  // A FIFO or a device is refused before anything waits in its open.
  HANDLE file = FileOpenProblem(path != nullptr ? path : "").empty()
                    ? CreateFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr)
                    : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) {
    // A file that is there but can not be read says why, not that it is missing.
    if (GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES) {
      ErrorBox(HWindow, kErrFileMissing, caption, path);
    } else {
      FileErrorBox(HWindow, kErrOpen, caption, path);
    }
    return;
  }
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  CloseHandle(file);
  if (low == INVALID_FILE_SIZE || (low == 0 && high == 0)) {
    ErrorBox(HWindow, kErrFileEmpty, caption, path);
    return;
  }

  FileSources s;
  const bool wave = HasExtension(path, ".WAV");
  auto takeSoundFormat = [&] {
    if (s.audio->format && !ProjectHas(kKindAudio)) {
      host.SetAudioFormat(static_cast<int32_t>(s.audio->format->nSamplesPerSec), s.audio->format->nChannels,
                          s.audio->GetSampleType());
    }
  };
  if (wave) {
    s.audio = AudioData::OpenShared(path);
    if (!s.audio) {
      ErrorBox(HWindow, kErrInvalidFormat, caption, path);
      return;
    }
    if (!s.audio->IsDirectFormat()) takeSoundFormat();
  } else if (HasExtension(path, ".MID")) {
    s.midi = MidiData::Get(path);
    if (!s.midi) {
      ErrorBox(HWindow, kErrInvalidFormat, caption, path);
      return;
    }
  } else {
    s.audio = AudioData::OpenShared(path);
    s.video = AVIVideoData::OpenShared(HWindow, kVideoKindAvi, path, 0);
  }

  int32_t skip = 0;
  const std::string folder = host.ConverterFolder();
  if (s.video && IsCamcorderVideo(s.video) &&
      ShowMessage(HWindow, caption, MB_OKCANCEL | MB_ICONEXCLAMATION, GetString(ui_string::kCamcorderVideo),
                  path) == IDOK) {
    Drop(s.video);
    FileData& target = MediaFileData(kAviFiles);
    if (!AskSaveFile(target, HWindow, GetString(ui_string::kTargetAviForConversion))) return;
    // Converting a file into itself would destroy it while it is read.
    if (PathsEqual(target.FileName, path) || !Film::RemoveClipEverywhere(target.FileName, HWindow)) return;
    char handle[24];
    std::snprintf(handle, sizeof handle, "%" PRIXPTR, reinterpret_cast<uintptr_t>(HWindow));
    const std::string command = ConverterProgram(folder, "QOVTOOL2.EXE") + " " + handle + " " +
                                QuoteArgument(path) + " " + QuoteArgument(target.FileName);
    if (!RunConverter(HWindow, command, target.Directory, true)) return;
    s.video = AVIVideoData::OpenShared(HWindow, kVideoKindAvi, target.FileName, 0);
    if (!s.audio) {
      CopyPath(path, target.FileName);
    } else {
      skip |= kSkipVideo;
    }
  }

  bool declinedVideo = false;
  if (s.video && !s.video->IsDirectPlayable()) {
    if (Film* model = FirstFilmWithVideo()) {
      auto* known = dynamic_cast<AVIVideoData*>(model->video);
      int32_t width = 0, height = 0;
      if (known) known->GetSize(&width, &height);
      const int answer = ShowMessage(HWindow, caption, MB_OKCANCEL | MB_ICONEXCLAMATION,
                                     GetString(ui_string::kVideoParametersDiffer), path, CodecText(known),
                                     width, height, static_cast<double>(model->video->GetFrameRate()));
      Drop(s.video);
      if (answer == IDOK) {
        RunConverter(HWindow, ConverterProgram(folder, "QOVTOOL1.EXE") + " " + QuoteArgument(path), nullptr,
                     false);
        return;
      }
      declinedVideo = true;
    } else {
      host.SetFrameRate(s.video->GetFrameRate());
    }
    if (s.video && !s.video->IsDirectPlayable() && !s.audio) return;
  }

  if (!s.Any()) {
    // The user turned the picture down; the file has nothing else.
    if (!declinedVideo) ErrorBox(HWindow, kErrInvalidFormat, caption, path);
    return;
  }
  if (!wave && s.audio && !s.audio->IsDirectFormat()) takeSoundFormat();

  if (s.audio && !s.audio->IsDirectFormat()) {
    const WORD tag = s.audio->GetFormatTag();
    const bool compressed = tag != WAVE_FORMAT_PCM && tag != WAVE_FORMAT_IEEE_FLOAT;
    const DWORD rate = CurrentAudioSourceHooks().OutputFormat().nSamplesPerSec;
    int32_t channels = s.audio->format ? s.audio->format->nChannels : 2;
    int32_t bits = ExportAudioType() == 1 ? 8 : 16;
    const int answer = host.AskConvert(HWindow, path, compressed, static_cast<int32_t>(rate), channels, bits);
    if (answer == kConvertNo && !compressed) {
      Drop(s.audio);
      host.ShowCollection();
      if (!s.video && !s.midi) {
        host.AddToCollection(path, 0);
        return;
      }
    } else if (answer == kConvertYes) {
      skip |= kSkipAudio;
      FileData& target = MediaFileData(kWaveFiles);
      std::strncpy(target.FileName, path, MAX_PATH - 1);
      target.FileName[MAX_PATH - 1] = '\0';
      target.SetDirectory(path);
      if (!AskSaveFile(target, HWindow, GetString(ui_string::kTargetForConversion))) return;
      if (PathsEqual(target.FileName, path) || !Film::RemoveClipEverywhere(target.FileName, HWindow)) return;
      const std::string converted = target.FileName;
      const int result = ConvertWaveToPcm(HWindow, s.audio, converted.c_str(), rate,
                                          static_cast<WORD>(channels), static_cast<WORD>(bits));
      Drop(s.audio);
      if (result != kErrOk) {
        ErrorBoxPlain(HWindow, result, GetString(ui_string::kConvertAudio));
      } else if (wave) {
        CopyPath(path, converted);
        s.audio = AudioData::OpenShared(path);
        skip &= ~kSkipAudio;
      }
      if (s.audio && !s.audio->IsDirectFormat()) Drop(s.audio);
      if (!s.Any()) return;
    } else {
      return;
    }
  }

  int32_t unfit = 0;
  if (s.video && !s.video->IsDirectPlayable()) {
    unfit |= kKindVideo;
    Drop(s.video);
  }
  if (s.audio && !s.audio->IsDirectFormat()) {
    unfit |= kKindAudio;
    Drop(s.audio);
  }
  if (s.midi && !MidiFits(s.midi)) {
    unfit |= kKindMidi;
    Drop(s.midi);
  }
  if (unfit) {
    ShowMessage(HWindow, caption, MB_OK | MB_ICONEXCLAMATION, GetString(ui_string::kInappropriateParameters),
                path, UnfitText(unfit));
    host.ShowCollection();
  }

  // A new clip replaces the one the mouse may still carry.
  ReleaseHeldClip();
  std::unique_ptr<ClipItem> made(host.MakeClip(path, s.video, s.audio, s.midi));
  if (!made) return;
  const int32_t parts = made->GetKinds();
  if (!parts) return;

  const int32_t shown = ((parts & kKindVideo) && engine_.showVideo ? kKindVideo : 0) |
                        ((parts & kKindAudio) && engine_.showAudio ? kKindAudio : 0) |
                        ((parts & kKindMidi) && engine_.showMidi ? kKindMidi : 0);
  if (!shown) {
    if (ShowMessage(HWindow, caption, MB_YESNO | MB_ICONQUESTION, GetString(ui_string::kShowTracksForClip),
                    KindsText(parts)) != IDYES) {
      return;
    }
    if (parts & kKindVideo) SendMessage(WM_COMMAND, kCmShowVideoTracks);
    if (parts & kKindAudio) SendMessage(WM_COMMAND, kCmShowAudioTracks);
    if (parts & kKindMidi) ShowMidiLine();
  }

  if (host.CollectionFrameExists()) host.AddToCollection(path, skip);

  const ClipItem& clip = *made;
  const int32_t end =
      static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(time) + clip.GetLength(), INT32_MAX));
  int32_t row = -1, line = -1;
  bool place = time >= 0;
  if (place) {
    auto freeOn = [&](int32_t kind, int32_t l) { return !Film::AnyOverlapping(time, end, kind, l); };
    if (parts & kKindVideo) {
      row = freeOn(kKindVideo, 0) ? 0 : freeOn(kKindVideo, 1) ? 1 : -1;
      place = row >= 0;
    }
    if (place && (parts & kKindMidi)) place = !ProjectHas(kKindMidi);
    if (place && (parts & kKindAudio)) {
      // The lines in view first, downwards, then those above them upwards.
      const int32_t first = engine_.audioPanel.firstShown;
      for (int32_t l = first; line < 0 && l < engine_.audioLineCount; ++l)
        if (freeOn(kKindAudio, l)) line = l;
      for (int32_t l = first - 1; line < 0 && l >= 0; --l)
        if (freeOn(kKindAudio, l)) line = l;
      place = line >= 0;
    }
  }
  if (!place) {
    HoldClip(made.release());
    return;
  }
  Film* film = new (std::nothrow) Film(clip, time, parts, line, row);
  if (!film) {
    ErrorBox(HWindow, kErrNoMemory, GetString(ui_string::kInsertClip), static_cast<int32_t>(sizeof(Film)));
    return;
  }
  PlaceDroppedFilm(film, end, false);
}

void MainTimeLineWindow::HoldClip(ClipItem* clip) {
  heldClip_.reset(clip);
  if (!IsWindow()) return;
  SetFocus();
  SetCapture(HWindow);
  buttonPressed_ = false;
  HCURSOR drag = Cursor(kCursorMoveClips);
  SetClassLongPtr(HWindow, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(drag));
  ::SetCursor(drag);
  POINT p{};
  GetCursorPos(&p);
  int32_t time = 0;
  HitTestLines(p.x, p.y, heldClip_.get(), time);
}

void MainTimeLineWindow::ReleaseHeldClip() {
  if (!heldClip_) return;
  heldClip_.reset();
  buttonPressed_ = false;
  if (!IsWindow()) return;
  if (GetCapture() == HWindow) ReleaseCapture();
  HCURSOR normal = Cursor(0);
  SetClassLongPtr(HWindow, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(normal));
  ::SetCursor(normal);
}
