// Playback of a range of the time-line: which players take part, preparing
// them without starting any, starting them together, play mode, and the
// end of every play with its replays.
#include "model/play_control.h"

#include <algorithm>

#include "model/film.h"
#include "model/film_list.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "platform/core/time.h"

namespace {

// A play position within this distance of the range end starts the range anew.
constexpr int32_t kCursorEndMargin = 100;

}  // namespace

PlayState::~PlayState() {
  ::ReleaseHeldFilm(*this);
}

void ReleaseHeldFilm(PlayState& play) {
  Film* film = play.heldFilm;
  const int32_t parts = play.heldParts;
  play.heldFilm = nullptr;
  play.heldParts = 0;
  if (!film) return;
  if ((parts & kKindVideo) && film->video) film->video->EndRead();
  if ((parts & kKindAudio) && film->audio) film->audio->EndRead();
  if ((parts & kKindMidi) && film->midi) film->midi->Close();
  delete film;
}

void TimeLineEngine::ReleaseHeldFilm() {
  ::ReleaseHeldFilm(play);
}

int32_t TimeLineEngine::PrepareRange(int32_t start, int32_t end, bool fromCursor) {
  // The players let go of the segments and the held film of an earlier
  // preparation before those are replaced.
  if (playing || prepared) StopPlayers();
  bool rows[2], midiLine, lines[4];
  int32_t parts = GetRangeOfLines(rows, midiLine, lines, start, end, 0);
  if (!parts) return 0;
  const MixSetup mix = GetMixSetup(lines, 4);
  const HWND window = Owner();

  int32_t pos = start;
  if (fromCursor) {
    if (cursor < start || cursor >= end - kCursorEndMargin) SetPlayCursor(start, false);
    // A cursor held inside the project may miss a range that lies beyond it.
    if (cursor >= start && cursor < end) pos = cursor;
  }

  if (parts & kKindVideo) {
    if (view_) view_->ShowWaitCursor(true);
    CollectRange(FilmList, rows, pos, end);
    Film* shown = nullptr;
    int32_t t = pos;
    if (FindVideoAt(shown, t)) ShowClipFrame(shown, t, window);
    VideoEngine* video = players_->Video();
    if (play.segments.Empty() || !video || !video->Play(play.segments.First(), pos, end, FilmList, window)) {
      parts &= ~kKindVideo;
      FreeRangeList();
    }
    if (view_) view_->ShowWaitCursor(false);
  }

  if (parts & kKindAudio) {
    bool ready = false;
    if (play.audioThroughFile) {
      int64_t offset = 0, bytes = 0;
      ready = UpdatePlayFile(start, end, pos, offset, bytes, lines) && PlayFromPlayFile(offset, bytes);
    } else if (AudioEngine* audio = players_->Audio()) {
      ready = audio->PrepareRange(FilmList.First(), mix, pos, end, window, play.realtimeMute, false);
    }
    if (!ready) parts &= ~kKindAudio;
  }

  if (parts & kKindMidi) {
    MidiEngine* midi = players_->Midi();
    if (!midi || !midi->Prepare(FilmList.First(), pos, end, window, midiPanel[0].gain))
      parts &= ~kKindMidi;
  }

  if (parts) {
    play.rangeStart = start;
    play.rangeEnd = end;
    play.parts = parts;
    prepared = true;
    NotifyPlayState(true);
  } else {
    ReleaseHeldFilm();
    FreeRangeList();
  }
  return parts;
}

void TimeLineEngine::StartPlayRange(int32_t start, int32_t end, bool noWait, bool fromCursor) {
  const int32_t parts = PrepareRange(start, end, fromCursor);
  if (!parts || !StartPrepared(parts, !noWait)) {
    play.loopsRemaining = 0;
    StopPlayback();
    return;
  }
  BeginPlayMode(play.rangeStart, play.rangeEnd, parts, fromCursor);
}

bool TimeLineEngine::StartPrepared(int32_t parts, bool wait) {
  if (wait && (parts & kKindVideo) && play.askBeforeStart != 0) {
    if (WaitBeforePlay* dialog = players_->Wait()) return dialog->Execute(Owner(), parts, play.askBeforeStart);
  }
  StartPlayers(parts);
  return true;
}

void TimeLineEngine::StartPlayers(int32_t parts) {
  if (parts & kKindVideo) {
    VideoEngine* video = players_->Video();
    if (SubVideoPlayer* sub = video ? video->CurrentSubPlayer() : nullptr) sub->Run(Owner());
  }
  if (parts & kKindAudio) {
    if (AudioEngine* audio = players_->Audio()) audio->Resume();
  }
  if (parts & kKindMidi) {
    if (MidiEngine* midi = players_->Midi()) midi->Start();
  }
}

void TimeLineEngine::BeginPlayMode(int32_t start, int32_t end, int32_t parts, bool keepCursor) {
  // Before playing is on, so that a hidden play cursor leaves no mark.
  InvalidateCursor(true);
  play.rangeStart = start;
  play.rangeEnd = end;
  play.parts = parts;
  playing = true;
  prepared = false;
  play.timerOn = view_ && view_->StartPlayTimer();
  play.cursorBeforePlay = cursor;
  play.stopAsked = false;
  if (!keepCursor) SetPlayCursor(start, false);
  if (view_) view_->SetPlayCursorShape(true);

  int32_t position = 0;
  VideoEngine* video = players_->Video();
  SubVideoPlayer* sub = video ? video->CurrentSubPlayer() : nullptr;
  if ((parts & kKindVideo) && sub) {
    position = FramesToMs(sub->GetFrame() + video->BaseFrame(), ProjectFrameRate());
  } else if ((parts & kKindAudio) && players_->Audio()) {
    position = players_->Audio()->GetPosition();
  } else if ((parts & kKindMidi) && players_->Midi()) {
    position = players_->Midi()->GetPosition();
  }
  play.startPosition = position;
  play.positionCorrection = 0;
  play.startTick = timeGetTime();
}

void TimeLineEngine::StopPlayback() {
  if (play.timerOn) {
    if (view_) view_->KillPlayTimer();
    play.timerOn = false;
  }
  const bool wasPlaying = playing;
  VideoEngine* video = players_->Video();
  SubVideoPlayer* sub = video ? video->CurrentSubPlayer() : nullptr;
  if (playing || prepared) StopPlayers();
  const bool keepCursor = play.heldFilm != nullptr || play.startFromCursor;
  // Players that ran out stopped at the range's end, wherever the timer's
  // last tick left the cursor (a busy machine ticks late): the next play
  // then starts the range anew instead of playing its last moments.
  const bool ranOut = wasPlaying && play.heldFilm == nullptr && !play.stopAsked;
  if (sub) sub->Finish(true);
  FreeRangeList();
  ReleaseHeldFilm();

  if (playing || prepared) {
    playing = false;
    prepared = false;
    bool* showTimeouts = video ? video->ShowTimeoutsOption() : nullptr;
    if ((play.parts & kKindVideo) && sub && showTimeouts && *showTimeouts) {
      sub->ReportSkippedFrames(Owner(), showTimeouts);
    }
    play.parts = 0;
    // Only play mode saved a cursor to go back to; a stop of a prepared
    // range leaves the cursor alone.
    if (!keepCursor && wasPlaying) {
      SetPlayCursor(play.cursorBeforePlay, false);
    } else if (ranOut) {
      SetPlayCursor(play.rangeEnd, false);
    }
    if (view_) view_->SetPlayCursorShape(false);
    if (--play.loopsRemaining > 0) {
      if (view_) view_->PostReplay();
    } else {
      play.rangeStart = 0;
      play.rangeEnd = 0;
      ShowStatusText("");
      if (hidePlaybackCursor) InvalidateLines();
    }
    NotifyPlayState(false);
  }
  if (view_) view_->PostFrameRequest(kFrameRequestPlayEnded);
}

bool TimeLineEngine::AnyPlayerRunning() {
  VideoEngine* video = players_->Video();
  SubVideoPlayer* sub = video ? video->CurrentSubPlayer() : nullptr;
  if (sub && sub->GetState() == 3) return true;
  if (AudioEngine* audio = players_->Audio()) {
    const int32_t state = audio->GetState();
    if (state == 3 || state == 7) return true;
  }
  MidiEngine* midi = players_->Midi();
  return midi && midi->GetState() == 3;
}

void TimeLineEngine::StopPlayers() {
  VideoEngine* video = players_->Video();
  if (SubVideoPlayer* sub = video ? video->CurrentSubPlayer() : nullptr) sub->Stop();
  if (AudioEngine* audio = players_->Audio()) audio->Stop();
  if (MidiEngine* midi = players_->Midi()) midi->Stop();
  if (TapeControl* tape = players_->Tape()) tape->Stop();
}

void TimeLineEngine::CmStop() {
  play.loopsRemaining = 0;
  play.stopAsked = true;
  StopPlayers();
  if (!AnyPlayerRunning()) StopPlayback();
}

void TimeLineEngine::NotifyPlayState(bool nowPlaying) {
  if (view_) view_->RefreshPlayButtons();
  const int32_t code = nowPlaying ? kMixerPlaying : kMixerStopped;
  players_->NotifyMixer(code, 0);
  players_->NotifyEffectDialogs(code, 0);
}
