// Steps that the engine's edit operations share: frame rounding, copying
// films, the free-range test of a line and taking films on and off the
// time-line.
#pragma once

#include <cstdint>

class Film;

namespace edit {

constexpr int32_t kAllParts = 1 | 2 | 4;

// ms on the frame at or before it, and at or after it.
int32_t FloorToFrame(int32_t ms);
int32_t CeilToFrame(int32_t ms);
// A signed shift in ms as whole frames: sign(ms) x frames(|ms|).
int32_t FrameShift(int32_t ms);

// A copy sharing the film's sources of the mask; null without memory.
Film* CopyFilm(const Film& film, int32_t parts);
// The parts of a clipboard film that can go onto the time-line: video that
// plays directly on an existing row, audio in the engine's format on an
// existing line, MIDI the project accepts.
int32_t UsableParts(const Film& film);
// Both have MIDI, or video on the same row, or audio on the same line.
bool ShareLine(const Film& a, const Film& b);
// Whether [s, e) is free on a line, looking only at the films outside the
// current selection group.
bool RangeFree(int32_t s, int32_t e, int32_t mask, int32_t line);
// The film outside the selection group that covers t on a line; null when none.
Film* CoveringObstacle(int32_t t, int32_t mask, int32_t line);

// A film placed on the time-line holds one use of each of its sources.
void OpenForUse(Film* film);
// Gives back the uses and the effect list's open.
void CloseForUse(Film* film);
// Opens the film's (shared) effect list for its audio.
void OpenSharedEffects(Film* film);
// Gives the film an effect list of its own, opened for its audio; when no
// clone can be had it keeps the shared one, opened for it.
void OwnEffects(Film* film);
void DropInPicture(Film* film);
void DropOutPicture(Film* film);
void DropKeyFrame(Film* film);

}  // namespace edit
