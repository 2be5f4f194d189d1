// Fuzz target for the sequencer's MIDI file reader: the bytes are read into
// the merged list of messages, which is then walked in order as the
// sequencer fills its stream buffers.
#include <cstddef>
#include <cstdint>

#include "platform/mci/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mci::MidiFileData file;
  if (!mci::ParseMidiFile(data, size, &file)) return 0;
  std::uint64_t last = 0;
  std::size_t bytes = 0;
  for (const mci::MidiFileEvent& e : file.events) {
    if (e.tick < last) __builtin_trap();  // the merge keeps time order
    last = e.tick;
    bytes += e.bytes.size();
  }
  // Every long message's bytes come from the file (an F0 message adds its status).
  if (bytes > size + file.events.size()) __builtin_trap();
  return 0;
}
