// The virtual MIDI devices: outputs that keep every message a stream plays
// on them, with the time it was due, so that tests see exactly what was
// played and when. They are listed while the wave back-end is the virtual
// one, after the synthesiser.
#pragma once

#include <string>
#include <vector>

#include "platform/audio/midi.h"

struct VirtualMidiEvent {
  ULONGLONG timeUs = 0;        // since the stream started
  std::vector<BYTE> bytes;     // a short message's status and data, or a long message
  DWORD ShortMessage() const;  // status | data1 << 8 | data2 << 16
};

class VirtualMidi {
 public:
  // Makes these devices the virtual ones, with nothing kept, and lists the
  // MIDI devices again. No stream may be open.
  static void Reset(std::vector<std::string> names = {"Virtual MIDI Device"});
  // The device number (for midiStreamOpen) of virtual device n; MIDI_MAPPER
  // when it is not listed.
  static UINT DeviceId(std::size_t n = 0);
  // Every message device n played since Reset, in order.
  static std::vector<VirtualMidiEvent> Events(std::size_t n = 0);
  // How often its notes were silenced (by a stop or a close).
  static int Silences(std::size_t n = 0);
  static bool IsOpen(std::size_t n = 0);
  static int OpenCount(std::size_t n = 0);
  // Makes the next opens of device n fail with error (0: open again).
  static void SetOpenError(std::size_t n, MMRESULT error);
};
