// The audio mix-down export: the mixed sound of a time range as an AIFF
// file of big-endian signed samples (8, 16, 20 or 24 bits) behind a fixed
// 54-byte header whose sizes are computed from the range in advance.
#pragma once

#include "audio/mix_setup.h"
#include "platform/core/types.h"

class Film;

// Streams [start, end) ms of films through the program's engine in sample
// code (0: the project's code; 1 to 4 accepted) into fileName. False on any
// failure or a cancel, and then no file is left behind.
bool ExportMixdown(HWND owner, Film* films, const MixSetup& setup, LONG start, LONG end, const char* fileName,
                   int code);

// The 54-byte header for dataBytes of samples: false when the sizes do not
// fit the format's 32-bit fields.
bool BuildAiffHeader(BYTE header[54], WORD channels, WORD bits, DWORD rate, ULONGLONG dataBytes,
                     WORD blockAlign);
// The rate as the 80-bit big-endian extended value of the COMM chunk.
void RateToExtended(DWORD rate, BYTE out[10]);
