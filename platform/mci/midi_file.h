// A standard MIDI file (format 0 or 1, ticks per quarter note) read into one
// list of timed messages, every track merged in time order, for the
// sequencer to play as a MIDI stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mci {

struct MidiFileEvent {
  enum Kind : uint8_t { kShort, kTempo, kLong };
  uint64_t tick = 0;
  Kind kind = kShort;
  uint32_t value = 0;          // a short message packed status | d1 << 8 | d2 << 16, or the tempo
  std::vector<uint8_t> bytes;  // a long (system-exclusive) message
};

struct MidiFileData {
  uint16_t division = 96;  // ticks per quarter note
  std::vector<MidiFileEvent> events;
};

// False for what is no standard MIDI file this sequencer plays (no header,
// format 2, time-code divisions, no track). A track that breaks off is read
// up to the break.
bool ParseMidiFile(const uint8_t* data, size_t size, MidiFileData* out);

}  // namespace mci
