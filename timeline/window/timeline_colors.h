// The 31 colours the time-line draws with, chosen by the user and kept in
// section COLORS of the settings. The index of each colour is fixed: the
// settings keys, the colour-scheme files and the Colors page all use it.
#pragma once

#include <array>
#include <string>
#include <string_view>

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

// Only the red, green and blue bytes mean a colour; the top byte would ask
// the drawing layer for a palette entry.
constexpr COLORREF kTimeLineRgbMask = 0x00FFFFFF;

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

// ---- Colour-scheme files (".clt") ----
//
// One line per colour in the file's own order (it swaps two pairs against
// the index), each "Key = 0xHEX" ending CR LF; LF alone is read too.

// The index of the colour on line `line` (0..30) of a scheme file.
int SchemeLineColor(int line);
// The text of a scheme holding colors.
std::string WriteColorScheme(const std::array<COLORREF, kTimeLineColorCount>& colors);
// Reads a scheme into colors, each colour as soon as its line is read.
// kErrOk (0) when all 31 lines were read, else kErrRead (19): the colours
// of the lines before the bad one are already in colors. Text after the
// last colour is ignored.
int ReadColorScheme(std::string_view text, std::array<COLORREF, kTimeLineColorCount>& colors);
