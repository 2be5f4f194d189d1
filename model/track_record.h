// The line records of the time-line: one per video row, the VFX line, the
// MIDI line and each audio line. The engine owns them in four panels (one
// per line group); the header panels of the time-line window show and edit
// them, the mixer writes gains and pans, the undo history and the project
// file read and write them.
#pragma once

#include <cstdint>

#include "model/levels.h"
#include "model/media_interfaces.h"

// Line kinds, as masks: a video row, an audio line, the MIDI line, the VFX line.
constexpr int32_t kLineVideo = 1;
constexpr int32_t kLineAudio = 2;
constexpr int32_t kLineMidi = 4;
constexpr int32_t kLineVfx = 8;

constexpr int32_t kTrackNameSize = 128;
// Height of a line at zoom step 0; each step halves it.
constexpr int32_t kTrackFullHeight = 96;

// The height of a line at a zoom step; a step outside 0..3 counts as the
// default step 1.
int32_t TrackHeightOfZoom(int32_t zoom);

struct TrackRecord {
  int32_t gain = kGainUnity;
  int32_t pan = 0;
  EffectChain* effects = nullptr;  // audio lines only; one reference held
  uint8_t solo = 0;
  uint8_t mute = 0;
  char name[kTrackNameSize] = {};
  int32_t zoom = 1;
  int32_t height = 48;
  int32_t top = 0;
  int32_t middle = 23;
  int32_t bottom = 47;

  // The record of a fresh line at top: the name (at most 127 characters),
  // solo and mute off, unity gain, centre pan, the zoom step with its
  // height and positions, and no effect list (a held one is closed and
  // released).
  void SetUp(const char* text, int32_t zoomStep, int32_t topY);
  void SetName(const char* text);
  // Height from the zoom step, then the positions from top.
  void SetZoom(int32_t zoomStep);
  void Place(int32_t topY);
  // Closes and releases the held effect list.
  void ReleaseEffects();
};

// The records of one header panel, with the first row shown at its top and
// its client height (both kept up to date by the window).
struct TrackPanel {
  explicit TrackPanel(int32_t rows) : rowCount(rows) {}
  ~TrackPanel();
  TrackPanel(const TrackPanel&) = delete;
  TrackPanel& operator=(const TrackPanel&) = delete;

  TrackRecord& operator[](int32_t i) { return records[i]; }
  const TrackRecord& operator[](int32_t i) const { return records[i]; }

  void ClearSoloFlags();
  void ClearMuteFlags();
  // Stacks the rows with gap pixels between them, firstShown at y 0 (rows
  // above it get negative positions).
  void Layout(int32_t gap);

  TrackRecord records[4];
  int32_t rowCount;
  int32_t firstShown = 0;
  int32_t clientHeight = 0;
};
