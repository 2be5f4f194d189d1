// The MIDI stream tool library ("MIDISTRM.DLL", libmidistrm.so beside the
// program): one entry, "_TOOLDLLENTRY", that runs a command on the
// library's one stream and returns 0 or the MIDI error code. The library has
// no copy of the MIDI functions: it uses those of the program that loads it
// (a program lends them with kobrix_lend_midi), so it plays on the
// program's devices and clock.
#pragma once

#include <cstdint>

#include "platform/audio/midi.h"

using ToolEntry = int (*)(int command, void* argument);

constexpr const char* kToolEntryName = "_TOOLDLLENTRY";

enum MidiToolCommand : int {
  kToolOpenStream = 0,    // MidiToolOpen*: opens the stream, notices to the window
  kToolCloseStream = 1,   // none
  kToolPrepare = 2,       // MIDIHDR*
  kToolUnprepare = 3,     // MIDIHDR*
  kToolOut = 4,           // MIDIHDR*, dwBytesRecorded set
  kToolRestart = 5,       // none
  kToolStop = 6,          // none
  kToolPosition = 8,      // none; returns the ms played since the start, -1 without a stream
  kToolTimeDivision = 9,  // MIDIPROPTIMEDIV*
  kToolTempo = 10,        // MIDIPROPTEMPO*
};

struct MidiToolOpen {
  std::int32_t deviceId = -1;  // -1: the mapper
  HWND window = nullptr;       // gets MM_MOM_DONE for every buffer played
};
