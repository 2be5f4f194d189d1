// Two records that the time-line's engine hands out: the picture of the
// window's own state that goes into every undo snapshot, and the mix that
// the audio engine plays.
#pragma once

#include <cstdint>

#include "model/media_interfaces.h"
#include "model/track_record.h"

// The time-line's own state for an undo snapshot, refreshed by
// TimeLineEngine::GetTimeLineState just before each edit. The effect lists
// are borrowed: a snapshot takes its own references.
struct TimeLineState {
  int32_t firstAudioRow = 0;
  int32_t videoZoom[2] = {};
  int32_t audioZoom[4] = {};
  int32_t audioAreaExtent = 0;  // pixels: the audio lines window's top plus its height
  int32_t masterGain = kGainUnity;
  int32_t masterPan = 0;
  EffectChain* masterEffects = nullptr;
  int32_t audioLineCount = 4;
  struct Line {
    int32_t gain = kGainUnity;
    int32_t pan = 0;
    EffectChain* effects = nullptr;
  } audio[4];
  int32_t midiGain = kGainUnity;
  int32_t zoomPixels = 1;  // the scale's time span is drawn over this many pixels
  int32_t selStart = 0;
  int32_t selEnd = 0;
  int32_t origin = 0;
  int32_t scale = 1;
  int32_t length = 0;
  char videoNames[2][kTrackNameSize] = {};
  char audioNames[4][kTrackNameSize] = {};
  char midiName[kTrackNameSize] = {};
  uint8_t videoSolo[2] = {};
  uint8_t audioSolo[4] = {};
  uint8_t midiSolo = 0;
  uint8_t videoMute[2] = {};
  uint8_t audioMute[4] = {};
  uint8_t midiMute = 0;
  uint8_t modified = 0;
};

// The mix handed to the audio engine: the master bus, the number of audio
// lines, and per line its gain (0 for a line that does not take part), pan
// and effect list. The effect lists are borrowed from the line records.
struct MixSetup {
  int32_t masterGain = 0;
  int32_t masterPan = 0;
  EffectChain* masterEffects = nullptr;
  int32_t lineCount = 0;
  struct Line {
    int32_t gain = 0;
    int32_t pan = 0;
    EffectChain* effects = nullptr;
  } lines[4];
};
