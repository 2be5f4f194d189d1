// The play state the time-line's engine keeps besides its playing and
// prepared flags: the range last prepared or played, the players taking
// part, the loops still to play, what the cursor timer follows, the film
// played on its own and the video segments, and the TIMELINE settings that
// playback reads.
#pragma once

#include <cstdint>

#include "model/film_list.h"

// Notice codes to the mixer window and the effect-list dialogs.
constexpr int32_t kMixerPlaying = 9;
constexpr int32_t kMixerStopped = 10;
// The main frame's request after every stop (ends a command-line playback).
constexpr int32_t kFrameRequestPlayEnded = 11;

struct PlayState {
  PlayState() = default;
  PlayState(const PlayState&) = delete;
  PlayState& operator=(const PlayState&) = delete;
  // Gives back the held film.
  ~PlayState();

  // 0 no replay, n plays still to come including the current one.
  int32_t loopsRemaining = 0;
  // The range last prepared or played; both 0 when nothing is pending.
  int32_t rangeStart = 0;
  int32_t rangeEnd = 0;
  // kKind... bits of the players taking part.
  int32_t parts = 0;
  bool timerOn = false;
  int32_t cursorBeforePlay = 0;
  // Set when the play is stopped before its players run out; a play that
  // ends without it has played to its range's end.
  bool stopAsked = false;
  // The master player's position (ms) when play mode began, the system
  // time then, and the timer's correction across the engine's loop wrap.
  int32_t startPosition = 0;
  uint32_t startTick = 0;
  int32_t positionCorrection = 0;
  // A film played on its own (a collection clip, the play file), and the
  // kKind... bits of its sources whose reading was begun for it.
  Film* heldFilm = nullptr;
  int32_t heldParts = 0;
  // The video segments of the range.
  FilmListHead segments;

  // Settings of the TIMELINE section, kept up to date by the window.
  int32_t askBeforeStart = 0;  // 0 at once, 1 a key, 2 + n GPI input n
  bool startFromCursor = false;
  int32_t loopCount = 1;
  bool audioThroughFile = false;
  bool realtimeMute = false;
};

// Ends the reading begun for the held film, deletes it and clears both.
void ReleaseHeldFilm(PlayState& play);
