// Which lines take part in playback, the mix handed to the audio engine, the
// selection and the selection range, and command enabling.
#include <algorithm>

#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"

bool TimeLineEngine::AnyLineSolo() const {
  if (showVideo && (videoPanel[0].solo || videoPanel[1].solo)) return true;
  if (showMidi && midiPanel[0].solo) return true;
  if (showAudio) {
    for (int32_t i = 0; i < audioLineCount; ++i) {
      if (audioPanel[i].solo) return true;
    }
  }
  return false;
}

void TimeLineEngine::GetActiveLines(bool videoRows[2], bool& midiLine, bool audioLines[4], int32_t request) {
  // A kind the caller asks for counts when its group is shown, usable or
  // not; otherwise it counts when its player can play.
  const bool video = showVideo && ((request & kRequestVideo) || players_->VideoUsable());
  const bool midi = showMidi && ((request & kRequestMidi) || players_->MidiUsable());
  const bool audio = showAudio && ((request & kRequestAudio) || players_->AudioUsable());
  // Solo is global across kinds: one shown line in solo silences every
  // line that is not.
  const bool solo = AnyLineSolo();
  auto active = [solo](const TrackRecord& r) { return solo ? r.solo != 0 : r.mute == 0; };

  for (int32_t i = 0; i < 2; ++i) videoRows[i] = video && active(videoPanel[i]);
  midiLine = midi && active(midiPanel[0]);
  for (int32_t i = 0; i < 4; ++i) {
    audioLines[i] = audio && i < audioLineCount && ((request & kRequestAllAudio) || active(audioPanel[i]));
  }
}

int32_t TimeLineEngine::GetRangeOfLines(bool videoRows[2], bool& midiLine, bool audioLines[4], int32_t& start,
                                        int32_t& end, int32_t request) {
  GetActiveLines(videoRows, midiLine, audioLines, request);
  if (end <= start) {
    videoRows[0] = videoRows[1] = midiLine = false;
    for (int32_t i = 0; i < 4; ++i) audioLines[i] = false;
    return 0;
  }
  int32_t parts = 0;
  for (int32_t row = 0; row < 2; ++row) {
    if (!videoRows[row]) continue;
    const int32_t s = MsAddFrames(start, 0);
    const int32_t e = MsAddFrames(end, 0);
    if (Film::AnyOverlapping(start, end, kKindVideo, row) && s < e) {
      parts |= kKindVideo;
      if (request != kRequestAudio) {
        start = s;
        end = e;
      }
    } else {
      videoRows[row] = false;
    }
  }
  if (midiLine) {
    if (Film::AnyOverlapping(start, end, kKindMidi, 0)) {
      parts |= kKindMidi;
    } else {
      midiLine = false;
    }
  }
  for (int32_t line = 0; line < 4; ++line) {
    if (!audioLines[line]) continue;
    if (Film::AnyOverlapping(start, end, kKindAudio, line)) {
      parts |= kKindAudio;
    } else {
      audioLines[line] = false;
    }
  }
  return parts;
}

bool TimeLineEngine::GetActiveExtent(int32_t& start, int32_t& end, int32_t request) {
  start = kDayMs;
  end = 0;
  if (FilmList.Empty()) return false;
  bool video[2], midi, audio[4];
  GetActiveLines(video, midi, audio, request);
  if (!video[0] && !video[1] && !midi && !audio[0] && !audio[1] && !audio[2] && !audio[3]) return false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    const bool takesPart = (f->video && f->videoRow >= 0 && f->videoRow < 2 && video[f->videoRow]) ||
                           (f->midi && midi) ||
                           (f->audio && f->audioLine >= 0 && f->audioLine < 4 && audio[f->audioLine]);
    if (!takesPart) continue;
    start = std::min(start, f->start);
    end = std::max(end, f->end);
  }
  return start < end;
}

MixSetup TimeLineEngine::GetMixSetup(const bool audioLines[4], int32_t maxLines) const {
  MixSetup mix;
  const int32_t n = std::clamp(std::min(audioLineCount, maxLines), 0, 4);
  mix.lineCount = n;
  mix.masterEffects = masterEffects;
  mix.masterGain = masterGain;
  mix.masterPan = masterPan;
  for (int32_t i = 0; i < n; ++i) {
    const TrackRecord& r = audioPanel[i];
    mix.lines[i].effects = r.effects;
    mix.lines[i].pan = r.pan;
    mix.lines[i].gain = audioLines[i] ? r.gain : 0;
  }
  return mix;
}

void TimeLineEngine::UpdateEngineMix(int32_t line) {
  if (!playing) return;
  bool video[2], midi, audio[4];
  GetActiveLines(video, midi, audio, kRequestAudio);
  const MixSetup mix = GetMixSetup(audio, 4);
  if (line == -1) {
    players_->SetTrackVolumePan(-1, mix.masterGain, mix.masterPan);
  } else if (line < 0) {
    for (int32_t i = 0; i < 4; ++i) players_->SetTrackVolumePan(i, mix.lines[i].gain, mix.lines[i].pan);
  } else if (line < mix.lineCount) {
    players_->SetTrackVolumePan(line, mix.lines[line].gain, mix.lines[line].pan);
  }
}

void TimeLineEngine::ClearSelection() {
  bool rows[2] = {}, lines[4] = {}, midi = false, any = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->IsSelected()) continue;
    MarkUndo(kUndoDeselect);
    if (f->video && f->videoRow >= 0 && f->videoRow < 2) rows[f->videoRow] = true;
    if (f->audio && f->audioLine >= 0 && f->audioLine < 4) lines[f->audioLine] = true;
    if (f->midi) midi = true;
    f->group = 0;
    any = true;
  }
  if (!view_) return;
  for (int32_t row = 0; row < 2; ++row) {
    if (!rows[row]) continue;
    view_->InvalidateLine(kLineVideo, row);
    view_->InvalidateLine(kLineVfx, 0);
  }
  for (int32_t line = 0; line < 4; ++line) {
    if (lines[line]) view_->InvalidateLine(kLineAudio, line);
  }
  if (midi) view_->InvalidateLine(kLineMidi, 0);
  if (any) view_->InvalidateTimeDisplay();
}

bool TimeLineEngine::GetMarkRange(int32_t& start, int32_t& end) const {
  if (selStart >= selEnd) return false;
  start = selStart;
  end = selEnd;
  return true;
}

void TimeLineEngine::SetMarkRange(int32_t start, int32_t end) {
  selStart = start;
  selEnd = end;
  if (view_) view_->SelectionRangeChanged();
  UpdateMarkRange();
}

void TimeLineEngine::UpdateMarkRange() {
  if (!view_) return;
  if (selStart >= selEnd) {
    view_->ShowSelectionTexts(PixelToPosUnclamped(0), VisibleSpan(), false);
  } else {
    view_->ShowSelectionTexts(selStart, selEnd - selStart, true);
  }
}

void TimeLineEngine::EditMarkRange() {
  if (!view_) return;
  int32_t start = 0, end = 0;
  if (!GetMarkRange(start, end) && !GetActiveExtent(start, end, 0)) {
    // Lines count even when their player is not usable.
    const int32_t shown =
        (showVideo ? kRequestVideo : 0) | (showAudio ? kRequestAudio : 0) | (showMidi ? kRequestMidi : 0);
    if (!GetActiveExtent(start, end, shown)) {
      start = 0;
      end = length;
    }
  }
  if (view_->AskTimeRange(GetString(ui_string::kSetRange), 0, length, start, end)) SetMarkRange(start, end);
}

void TimeLineEngine::EnableCommands(bool enabled) {
  commandsEnabled = enabled;
  if (playing) return;
  players_->NotifyMixer(kMixerCommandsEnabled, enabled ? 1 : 0);
  players_->NotifyEffectDialogs(kMixerCommandsEnabled, enabled ? 1 : 0);
}
