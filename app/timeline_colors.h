// The 31 colours the time-line draws with, chosen by the user and kept in
// section COLORS of the settings. The index of each colour is fixed: the
// settings keys, the colour-scheme files and the Colors page all use it.
#pragma once

#include <array>

#include "platform/core/types.h"

enum TimeLineColorIndex : int {
  kColorBackground = 0,
  kColorCurTime,
  kColorSelection,
  kColorWaveform,
  kColorSelectedClip,
  kColorNonSelectedClip,
  kColorSemiSelectedClip,
  kColorSelectedName,
  kColorNonSelectedName,
  kColorSemiSelectedName,
  kColorActiveVolumeProfile,
  kColorPassiveVolumeProfile,
  kColorActiveBalanceProfile,
  kColorPassiveBalanceProfile,
  kColorActiveKeyPoint,
  kColorPassiveKeyPoint,
  kColorActiveClipMark,
  kColorPassiveClipMark,
  kColorActiveTimeMark,
  kColorPassiveTimeMark,
  kColorFirstVideoTrack,
  kColorOtherVideoTrack,
  kColorAudioTrack,
  kColorMidiTrack,
  kColorSmallHole,
  kColorSmallClip,
  kColorSmallSelectedClip,
  kColorNonUsedEffects,
  kColorUsedEffects,
  kColorDeclick,
  kColorVideoFXTrack,
  kTimeLineColorCount
};

// The colours in use (COLORREF, 0x00BBGGRR), the defaults until LoadColors.
extern std::array<COLORREF, kTimeLineColorCount> TimeLineColors;
// The folder the colour-scheme file dialog opens in.
extern char SchemeDirectory[MAX_PATH];

// The settings key of a colour ("BackgroundColor" ...); null outside the table.
const char* TimeLineColorKey(int index);
COLORREF DefaultTimeLineColor(int index);

// Reads the 31 colours (a missing key gives the default) and the scheme
// folder from section COLORS.
void LoadColors();
// Writes them back and flushes the settings file.
void SaveColors();
