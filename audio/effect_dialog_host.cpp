#include "audio/effect_dialog_host.h"

#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/timeline_engine.h"

namespace {

EffectDialogHost default_host;
EffectDialogHost* current_host = &default_host;

}  // namespace

EffectDialogHost* SetEffectDialogHost(EffectDialogHost* host) {
  EffectDialogHost* before = current_host == &default_host ? nullptr : current_host;
  current_host = host != nullptr ? host : &default_host;
  return before;
}

EffectDialogHost& CurrentEffectDialogHost() {
  return *current_host;
}

bool TimeLineEffectDialogHost::CommandsEnabled() {
  return engine_.commandsEnabled;
}

void TimeLineEffectDialogHost::EnableCommands(bool enabled) {
  engine_.EnableCommands(enabled);
}

bool TimeLineEffectDialogHost::Playing() {
  return engine_.playing;
}

bool TimeLineEffectDialogHost::PreviewClipAudio(Film* film) {
  return engine_.PreviewClipAudio(film);
}

bool TimeLineEffectDialogHost::PreviewLineAudio(int32_t line) {
  return engine_.PreviewLineAudio(line);
}

void TimeLineEffectDialogHost::Stop() {
  engine_.CmStop();
}

bool TimeLineEffectDialogHost::AudioToPreview(int32_t line) {
  int32_t start = 0, end = engine_.length;
  if (!engine_.GetMarkRange(start, end)) {
    start = 0;
    end = engine_.length;
  }
  if (line >= 0) return line < kAudioLineCount && Film::AnyOverlapping(start, end, kKindAudio, line);
  bool rows[2] = {}, midi = false, lines[4] = {};
  return (engine_.GetRangeOfLines(rows, midi, lines, start, end, kRequestAudio) & kKindAudio) != 0;
}

void TimeLineEffectDialogHost::RepaintClip(Film* film) {
  if (film != nullptr) engine_.InvalidateClip(film);
}
