// Writing the project's files: AVI or MPEG pictures with their sound, or
// the sound alone as WAVE or AIFF. The range is the selection, else the
// project cut down to its clips; the lines are the active ones. The writers
// tell the user what went wrong; a failed file never reaches its name.
#include <algorithm>
#include <cctype>
#include <climits>
#include <functional>
#include <string>

#include "audio/aiff_export.h"
#include "audio/audio_player.h"
#include "model/film.h"
#include "model/film_host.h"
#include "model/film_list.h"
#include "model/media_interfaces.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"
#include "resources/timeline_ids.h"
#include "timeline/commands/command_host.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/file_dialogs.h"
#include "ui/te_file_dialogs.h"

namespace {

// WriteAvi's and WriteAudio's kinds.
constexpr int32_t kAviKind = 0;
constexpr int32_t kWaveKind = 0;

// The filter the file dialogs start with after an export of each kind.
constexpr int kAviFilterIndex = 3;
constexpr int kMpegFilterIndex = 7;
constexpr int kWaveFilterIndex = 2;
constexpr int kAiffFilterIndex = 5;

// Whether target may be written by an export: never over the open project,
// its collection or the autosave (the export would destroy what it reads).
bool TargetAllowed(HWND owner, const char* caption, const std::string& target) {
  if (!CurrentCommandHost().IsOpenWorkFile(target.c_str())) return true;
  ShowMessage(owner, caption, MB_OK | MB_ICONSTOP,
              "The file '%s' is open in the program.\nChoose another file for the export.", target.c_str());
  return false;
}

// The name the project knows target by when target is one of its sources,
// the collection's or the clipboard's: compared as files, not as names, so
// that a link to a source, a path through "..", or a hard link of it is
// found. target itself when it is none of them.
std::string SourceNameOf(const std::string& target) {
  std::vector<std::string> names;
  auto add = [&names](VideoSource* video, AudioSource* audio, MidiSource* midi) {
    if (video != nullptr && video->GetFileName() != nullptr) names.emplace_back(video->GetFileName());
    if (audio != nullptr && audio->GetFileName() != nullptr) names.emplace_back(audio->GetFileName());
    if (midi != nullptr && midi->GetFileName() != nullptr) names.emplace_back(midi->GetFileName());
  };
  for (Film* f = FilmList.First(); f; f = f->next) add(f->video, f->audio, f->midi);
  for (Film* f = ClipClipboard.First(); f; f = f->next) add(f->video, f->audio, f->midi);
  FilmHost& host = CurrentFilmHost();
  for (int32_t i = 0; i < host.GetClipCount(); ++i) {
    if (const ClipItem* clip = host.GetClip(i)) add(clip->GetVideo(), clip->GetAudio(), clip->GetMidi());
  }
  for (const std::string& name : names) {
    if (!name.empty() && (name == target || SameFileByPath(name, target))) return name;
  }
  return target;
}

// Whether the export may write target: not the open work files, and a
// source only once the user let it go from the project (asked under the
// name the project knows it by).
bool TargetReleased(HWND owner, const char* caption, const std::string& target) {
  return TargetAllowed(owner, caption, target) &&
         Film::RemoveClipEverywhere(SourceNameOf(target).c_str(), owner);
}

// An export goes to a temporary file beside target, renamed over it once
// whole: a failed, refused (disk full) or killed export leaves whatever
// target held. write gets the temporary file's path.
bool WriteBeside(HWND owner, const char* caption, const std::string& target,
                 const std::function<bool(const char*)>& write) {
  bool started = false;
  std::string why;
  const bool written = ReplaceFileAtomically(
      target,
      [&](int, const std::string& temp) {
        started = true;
        return write(temp.c_str());
      },
      ReplaceDurability::kDisk, ReplaceAccess::kShared, &why);
  if (!written && !started && why.empty()) why = "The folder '" + PathFolder(target) + "' can not be written.";
  // A writer that failed said why itself; what failed around it is told here.
  if (!written && !why.empty() && (!started || why.rfind("the file could not be written", 0) != 0)) {
    if (why.back() != '.') why += '.';
    why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
    ShowMessage(owner, caption, MB_OK | MB_ICONSTOP, "Can not write file '%s'\n%s", target.c_str(), why.c_str());
  }
  return written;
}

// The project's length, or the selection when there is one.
void ExportSpan(const TimeLineEngine& engine, int32_t& start, int32_t& end) {
  if (!engine.GetMarkRange(start, end)) {
    start = 0;
    end = engine.length;
  }
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ExportEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND_ENABLE(kCmExportAny, CeExportAvi),
      EV_COMMAND_ENABLE(kCmExportAvi, CeExportAvi),
      EV_COMMAND_ENABLE(kCmExportMpeg, CeExportAvi),
      EV_COMMAND_ENABLE(kCmExportWave, CeExportWave),
  };
  return entries;
}

int32_t MainTimeLineWindow::ExportRange(bool audioOnly, int32_t& start, int32_t& end, bool rows[2],
                                        bool lines[4]) {
  const bool selected = engine_.GetMarkRange(start, end);
  ExportSpan(engine_, start, end);
  bool midi = false;
  // The shown lines count even without a player that could play them.
  int32_t parts = engine_.GetRangeOfLines(rows, midi, lines, start, end,
                                          audioOnly ? kRequestAudio : kRequestVideo | kRequestAudio);
  if (audioOnly) parts &= kKindAudio;
  if (parts == 0) return 0;
  const bool video = !audioOnly && (parts & kKindVideo) != 0;
  if (!selected) {
    int32_t first = INT32_MAX, last = INT32_MIN;
    for (Film* f = FilmList.First(); f; f = f->next) {
      const bool kept = (video && f->video && f->videoRow >= 0 && f->videoRow < 2 && rows[f->videoRow]) ||
                        (f->audio && f->audioLine >= 0 && f->audioLine < 4 && lines[f->audioLine]);
      if (!kept) continue;
      first = std::min(first, f->start);
      last = std::max(last, f->end);
    }
    if (first < last) {
      start = std::max(start, first);
      end = std::min(end, last);
    }
  }
  if (video) {
    start = MsAddFrames(start, 0);
    end = MsAddFrames(end, 0);
  }
  return start < end ? parts : 0;
}

void MainTimeLineWindow::CeExportAvi(TCommandEnabler& ce) {
  bool on = !engine_.playing && !FilmList.Empty();
  if (on) {
    int32_t start = 0, end = 0;
    ExportSpan(engine_, start, end);
    bool rows[2], midi, lines[4];
    // MIDI alone enables it too; the export then writes nothing.
    on = engine_.GetRangeOfLines(rows, midi, lines, start, end, kRequestVideo | kRequestAudio) != 0;
  }
  ce.Enable(on);
}

void MainTimeLineWindow::CeExportWave(TCommandEnabler& ce) {
  bool on = !engine_.playing && !FilmList.Empty();
  if (on) {
    int32_t start = 0, end = 0;
    ExportSpan(engine_, start, end);
    bool rows[2], midi, lines[4];
    on = (engine_.GetRangeOfLines(rows, midi, lines, start, end, kRequestAudio) & kKindAudio) != 0;
  }
  ce.Enable(on);
}

bool MainTimeLineWindow::WriteAvi(int32_t kind, const char* path) {
  if (engine_.playing) return false;
  int32_t start = 0, end = 0;
  bool rows[2], lines[4];
  int32_t parts = ExportRange(false, start, end, rows, lines);
  if ((parts & (kKindVideo | kKindAudio)) == 0) return false;

  CommandHost& host = CurrentCommandHost();
  host.ForceAutoSave();
  const bool avi = kind == kAviKind;
  const char* caption = GetString(avi ? ui_string::kExportAudioVideo : ui_string::kExportMpeg);
  std::string target;
  if (path != nullptr) {
    target = path;
  } else {
    FileData& record = MediaFileData(avi ? kAviFiles : kMpegFiles);
    if (!(avi ? AskSave32Audio(record, HWindow, caption) : AskSaveFile(record, HWindow, caption)))
      return false;
    target = record.FileName;
  }
  if (target.empty() || !TargetReleased(HWindow, caption, target)) return false;
  SetFileDialogsDirectory(target.c_str(), avi ? kAviFilterIndex : kMpegFilterIndex);

  // The pictures go out as playback shows them once every transition is
  // rendered, never with the cut that stands in while one is not.
  if ((parts & kKindVideo) && !host.RenderTransitions(HWindow, caption, target.c_str(), start, end, rows))
    return false;
  ShowWaitCursor(true);
  // The range is on frames already when pictures take part; without them
  // there are no segments to build and nothing to round.
  if (parts & kKindVideo) engine_.CollectRange(FilmList, rows, start, end);
  const MixSetup mix = engine_.GetMixSetup(lines, 4);
  Film* segments = engine_.play.segments.First();
  const bool written = WriteBeside(HWindow, caption, target, [&](const char* file) {
    if (!avi) {
      return host.ExportMpeg(GetAncestor(HWindow, GA_ROOT), segments, FilmList.First(), parts, mix, start, end,
                             file);
    }
    int32_t with = parts;
    bool streaming = false;
    if (with & kKindAudio) {
      streaming = TheAudioPlayer != nullptr &&
                  TheAudioPlayer->BeginMixStream(FilmList.First(), mix, start, end, ExportAudioType());
      if (!streaming) with &= ~kKindAudio;
    }
    const bool done = host.Recompress(HWindow, segments, with, start, end, file);
    if (streaming) TheAudioPlayer->EndMixStream();
    return done;
  });
  engine_.FreeRangeList();
  ShowWaitCursor(false);
  return written;
}

bool MainTimeLineWindow::WriteAudio(int32_t kind, const char* path) {
  // Both writers mix through the audio engine.
  if (engine_.playing || TheAudioPlayer == nullptr) return false;
  int32_t start = 0, end = 0;
  bool rows[2], lines[4];
  if (ExportRange(true, start, end, rows, lines) == 0) return false;

  CurrentCommandHost().ForceAutoSave();
  const bool wave = kind == kWaveKind;
  std::string target;
  if (path != nullptr) {
    target = path;
  } else {
    FileData& record = MediaFileData(wave ? kWaveFiles : kAiffFiles);
    if (!AskSave32Audio(record, HWindow, GetString(wave ? ui_string::kExportWave : ui_string::kExportAiff))) {
      return false;
    }
    target = record.FileName;
  }
  const char* caption = GetString(wave ? ui_string::kExportWave : ui_string::kExportAiff);
  if (target.empty() || !TargetReleased(HWindow, caption, target)) return false;
  SetFileDialogsDirectory(target.c_str(), wave ? kWaveFilterIndex : kAiffFilterIndex);

  ShowWaitCursor(true);
  const MixSetup mix = engine_.GetMixSetup(lines, 4);
  const bool written = WriteBeside(HWindow, caption, target, [&](const char* file) {
    if (wave) return TheAudioPlayer->ExportWave(HWindow, FilmList.First(), mix, start, end, file, ExportAudioType());
    return ExportMixdown(HWindow, FilmList.First(), mix, start, end, file, ExportAudioType());
  });
  ShowWaitCursor(false);
  return written;
}
