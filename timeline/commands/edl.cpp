// The project written as an edit decision list and rebuilt from one. The
// list's format is edl_format's; the project frame opens the file and the
// media files it names.
#include "model/error_codes.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/ui_string_ids.h"
#include "timeline/edl_format.h"
#include "timeline/window/main_timeline_window.h"

bool MainTimeLineWindow::ExportEdl(std::FILE* file, const EdlFileRecord* videoFiles,
                                   const EdlFileRecord* audioFiles) {
  return WriteEdl(file, engine_, FilmList, videoFiles, audioFiles);
}

int MainTimeLineWindow::ImportEdl(std::FILE* file, const EdlFileRecord* files) {
  TimeLineEngine& e = engine_;
  if (e.playing) return kErrPlaying;
  ClearProject(false);
  ReleaseProjectEffects();
  e.SetModified(false);
  ProjectMarks.Clear();
  InvalidateRuler();

  FilmListHead loaded;
  EdlParseResult parsed;
  int result = ParseEdl(loaded, file, files, HWindow, parsed);
  if (parsed.linked || result != kErrOk) e.SetModified(true);
  // No clip may sit on a line the time-line does not show.
  if (parsed.highestAudioLine >= e.audioLineCount) e.SetAudioLineCount(parsed.highestAudioLine + 1);
  ApplyLoadedProject(loaded, ui_string::kImportEdl, nullptr, result);
  return result;
}
