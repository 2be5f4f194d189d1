// Playing the project: Play, Stop, Rewind, Play to VTR and the mixer of the
// volume-control server; the 100 ms timer that moves the play cursor, the
// replays of a range, and the players' reports that they ran out.
#include <algorithm>

#include "audio/audio_player.h"
#include "audio/midi_player.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/audio/midi.h"
#include "platform/audio/wave.h"
#include "platform/core/time.h"
#include "resources/timeline_ids.h"
#include "timeline/commands/command_host.h"
#include "timeline/header/sel_start_text.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/vtr_setup_dialog.h"

namespace {

// Video states as the timer reads them.
constexpr int32_t kVideoUnheld = 1;
constexpr int32_t kVideoRunning = 3;
constexpr int32_t kVideoEnded = 4;
constexpr int32_t kVideoReadFailed = 5;

bool AudioRuns(int32_t state) {
  return state == 3 || state == 7;
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::TransportEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmPlay, CmPlay),
      EV_COMMAND_ENABLE(kCmPlay, CePlay),
      EV_COMMAND(kCmStop, CmStop),
      EV_COMMAND(kCmPlayStop, CmPlayStop),
      EV_COMMAND(kCmRewind, CmRewind),
      EV_COMMAND_ENABLE(kCmRewind, CeRewind),
      EV_COMMAND(kCmPlayToVtr, CmPlayToVtr),
      EV_COMMAND_ENABLE(kCmPlayToVtr, CePlayToVtr),
      EV_COMMAND(kCmVtrSetup, CmVtrSetup),
      EV_COMMAND(kCmShowMixer, CmShowMixer),
      EV_COMMAND_ENABLE(kCmShowMixer, CeShowMixer),
      EV_WM_TIMER,
      EV_MESSAGE(kReplayMessage, EvReplay),
      EV_MESSAGE(MM_WOM_CLOSE, EvPlayerDone),
      EV_MESSAGE(MidiPlayer::kPlayEndedMessage, EvPlayerDone),
      EV_MESSAGE(MM_WOM_DONE, EvWaveOutDone),
      EV_MESSAGE(MM_MOM_DONE, EvMidiOutDone),
  };
  return entries;
}

// ---- The range.

int32_t MainTimeLineWindow::PlayFilter() const {
  return engine_.play.realtimeMute && !engine_.play.audioThroughFile ? kRequestAllAudio : 0;
}

bool MainTimeLineWindow::GetPlayRange(int32_t& start, int32_t& end, int32_t filter) {
  if (engine_.GetMarkRange(start, end)) return true;
  if (!engine_.GetActiveExtent(start, end, filter)) return false;
  start = std::max(start, engine_.PixelToPos(0));
  end = std::min(end, engine_.PixelToPos(engine_.width));
  return true;
}

// ---- Play and stop.

void MainTimeLineWindow::CmPlay() {
  if (engine_.playing || FilmList.Empty() || !engine_.commandsEnabled) return;
  int32_t start = 0, end = 0;
  if (!GetPlayRange(start, end, PlayFilter())) return;
  engine_.play.loopsRemaining = engine_.play.loopCount;
  engine_.StartPlayRange(start, end, false, engine_.play.startFromCursor);
}

void MainTimeLineWindow::CePlay(TCommandEnabler& ce) {
  bool on = !engine_.playing && !FilmList.Empty() && engine_.commandsEnabled;
  if (on) {
    // The whole view counts here: no extent is worked out for a menu.
    int32_t start = 0, end = 0;
    if (!engine_.GetMarkRange(start, end)) {
      start = engine_.PixelToPos(0);
      end = engine_.PixelToPos(engine_.width);
    }
    bool rows[2], midi, lines[4];
    on = engine_.GetRangeOfLines(rows, midi, lines, start, end, PlayFilter()) != 0;
  }
  ce.Enable(on);
}

void MainTimeLineWindow::CmStop() {
  engine_.CmStop();
}

void MainTimeLineWindow::CmPlayStop() {
  if (engine_.playing) {
    CmStop();
  } else {
    CmPlay();
  }
}

void MainTimeLineWindow::PlayOnce(int32_t start, int32_t end) {
  if (engine_.playing || FilmList.Empty() || start >= end || !engine_.commandsEnabled) return;
  engine_.play.loopsRemaining = 1;
  engine_.StartPlayRange(start, end, false, false);
}

// A replay never waits for a key or an input again and starts at the
// range's start.
LRESULT MainTimeLineWindow::EvReplay(WPARAM, LPARAM) {
  const PlayState& p = engine_.play;
  if (!engine_.playing && p.rangeStart < p.rangeEnd)
    engine_.StartPlayRange(p.rangeStart, p.rangeEnd, true, false);
  return 0;
}

// The audio device has closed, or the MIDI player has played its events.
// A notice of a device closed after a scrub or a finished play finds
// nothing to end.
LRESULT MainTimeLineWindow::EvPlayerDone(WPARAM, LPARAM) {
  if ((engine_.playing || engine_.prepared) && !engine_.AnyPlayerRunning()) engine_.StopPlayback();
  return 0;
}

// The audio engine's own thread takes its buffers back and queues them
// again; a notice that reaches the window is stale and must not queue a
// buffer a second time.
LRESULT MainTimeLineWindow::EvWaveOutDone(WPARAM, LPARAM) {
  return 0;
}

LRESULT MainTimeLineWindow::EvMidiOutDone(WPARAM, LPARAM) {
  if (MidiEngine* midi = engine_.Players().Midi()) midi->BufferDone();
  return 0;
}

// ---- The play timer.

int32_t MainTimeLineWindow::VideoState() {
  VideoEngine* video = engine_.Players().Video();
  if (video == nullptr || video->UseCount() == 0) return kVideoUnheld;
  SubVideoPlayer* sub = video->CurrentSubPlayer();
  return sub != nullptr ? sub->GetState() : 0;
}

void MainTimeLineWindow::EvTimer(UINT) {
  PlayState& p = engine_.play;
  if (!p.timerOn) return;
  if (!engine_.playing) {
    AutoScrollStep();
    return;
  }
  TimeLinePlayers& players = engine_.Players();

  if (p.parts & kKindVideo) {
    VideoEngine* video = players.Video();
    SubVideoPlayer* sub = video != nullptr ? video->CurrentSubPlayer() : nullptr;
    const int32_t frame = sub != nullptr ? sub->GetFrame() : 0;
    const int32_t time = FramesToMs(frame + (video != nullptr ? video->BaseFrame() : 0), ProjectFrameRate());
    int32_t state = VideoState();
    if (state == kVideoRunning) engine_.SetPlayCursor(time, false);
    // The pictures are out but the sound still plays its last blocks.
    if (state == kVideoEnded && (p.parts & kKindAudio)) {
      AudioEngine* audio = players.Audio();
      if (audio != nullptr && AudioRuns(audio->GetState())) state = kVideoRunning;
    }
    if (state == kVideoReadFailed || state == kVideoEnded || state == kVideoUnheld) {
      // Only pictures that ended have played the range to its end.
      if (state != kVideoEnded) p.stopAsked = true;
      engine_.StopPlayers();
      if (state == kVideoReadFailed) p.loopsRemaining = 0;
      if (!engine_.AnyPlayerRunning()) {
        engine_.StopPlayback();
        engine_.UpdateLines();
      }
      if (state == kVideoReadFailed) {
        ShowMessage(HWindow, GetString(ui_string::kVideoPlayback), MB_ICONEXCLAMATION | MB_OK,
                    GetString(ui_string::kPlaybackFatalStop), MsToShortTimeCode(time, TRUE));
      }
    }
    return;
  }

  if (p.parts & kKindAudio) {
    AudioEngine* audio = players.Audio();
    const int32_t position = audio != nullptr ? audio->GetPosition() : -1;
    const uint32_t now = timeGetTime();
    if (position < 0) return;
    // The engine's counter starts again when it loops: the cursor keeps
    // running with the clock and stays inside the range.
    if (position < p.startPosition) {
      p.positionCorrection += static_cast<int32_t>(now - p.startTick) + (p.startPosition - position);
    }
    p.startTick = now;
    p.startPosition = position;
    if (p.positionCorrection + position > p.rangeEnd) p.positionCorrection -= p.rangeEnd - p.rangeStart;
    engine_.SetPlayCursor(position + p.positionCorrection, false);
    return;
  }

  if (p.parts & kKindMidi) {
    MidiEngine* midi = players.Midi();
    const int32_t position = midi != nullptr ? midi->GetPosition() : -1;
    // -1: the stream has just gone; the cursor stays where it is.
    if (position >= 0) engine_.SetPlayCursor(position, false);
  }
}

// ---- Rewind.

void MainTimeLineWindow::CeRewind(TCommandEnabler& ce) {
  ce.Enable(engine_.playing || engine_.cursor != selStartText_->Value());
}

void MainTimeLineWindow::CmRewind() {
  const int32_t point = selStartText_->Value();
  if (!engine_.playing) {
    engine_.SetPlayCursor(point, true, HWindow);
    return;
  }
  engine_.play.cursorBeforePlay = point;
  CmStop();
  engine_.SetPlayCursor(point, false);
  // Once more after the players' end has been handled.
  PostMessage(kSetCursorMessage, 0, static_cast<LPARAM>(point));
}

// ---- The tape deck.

void MainTimeLineWindow::CePlayToVtr(TCommandEnabler& ce) {
  TapeControl* tape = engine_.Players().Tape();
  ce.Enable(tape != nullptr && tape->IsConnected() && !engine_.playing && !FilmList.Empty() &&
            engine_.commandsEnabled);
}

// Plays the range once while the deck records it from its pre-roll.
void MainTimeLineWindow::CmPlayToVtr() {
  TapeControl* tape = engine_.Players().Tape();
  PlayState& p = engine_.play;
  if (engine_.playing || tape == nullptr || !tape->IsConnected() || FilmList.Empty() ||
      !engine_.commandsEnabled) {
    p.loopsRemaining = 0;
    engine_.StopPlayback();
    return;
  }
  int32_t start = 0, end = 0;
  if (!GetPlayRange(start, end, PlayFilter())) return;
  p.loopsRemaining = 1;
  const int32_t parts = engine_.PrepareRange(start, end, false);
  if (parts == 0 || tape->SeekPreroll(p.rangeStart, p.rangeEnd) != 0) {
    p.loopsRemaining = 0;
    engine_.StopPlayback();
    return;
  }
  engine_.StartPrepared(parts, false);
  engine_.BeginPlayMode(p.rangeStart, p.rangeEnd, parts, false);
}

void MainTimeLineWindow::CmVtrSetup() {
  if (!engine_.playing) RunVTRSetupDialog(HWindow, engine_.Players().Tape());
}

// ---- The volume-control server's mixer.

void MainTimeLineWindow::CeShowMixer(TCommandEnabler& ce) {
  ce.Enable(TheMixerServer != nullptr);
}

void MainTimeLineWindow::CmShowMixer() {
  if (TheMixerServer == nullptr) return;
  TheMixerServer->ShowForDevice(TheAudioPlayer != nullptr ? TheAudioPlayer->WaveOutId : 0, 0);
  TheMixerServer->ShowMixer();
}
