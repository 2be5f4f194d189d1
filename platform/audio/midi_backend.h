// What a MIDI back-end gives the streams of midi.h: devices to list and
// ports that play one message the moment they get it. Timing, buffers and
// notices are kept above the back-ends (midi_stream.cpp), so every device
// keeps the same time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/midi.h"

class MidiPort {
 public:
  virtual ~MidiPort() = default;
  // streamUs is the time the message is due, in microseconds since the
  // stream started; real devices play it now, the virtual one keeps it.
  // message: status | data1 << 8 | data2 << 16.
  virtual void Short(DWORD message, ULONGLONG streamUs) = 0;
  virtual void Long(const BYTE* bytes, std::size_t size, ULONGLONG streamUs) = 0;
  // Every sounding note off.
  virtual void Silence() = 0;
};

struct MidiDeviceInfo {
  std::string name;
  WORD technology = MOD_MIDIPORT;
};

class MidiBackend {
 public:
  virtual ~MidiBackend() = default;
  virtual std::vector<MidiDeviceInfo> Devices() = 0;
  // index into Devices(); null with *error set when it cannot be opened.
  virtual std::unique_ptr<MidiPort> Open(std::size_t index, MMRESULT* error) = 0;
};

// The synthesiser (no device when no sound font is installed).
std::unique_ptr<MidiBackend> MakeSynthMidiBackend();
// The ports of the ALSA sequencer (none where the machine has no sequencer).
std::unique_ptr<MidiBackend> MakeAlsaMidiBackend();
// The virtual devices of virtual_midi.h.
std::unique_ptr<MidiBackend> MakeVirtualMidiBackend();

// Builds the device list again from the back-ends (the synthesiser first,
// then the virtual devices while the wave back-end is the virtual one, then
// the sequencer's ports). No stream may be open.
void RescanMidiDevices();
// The device number of device index of the virtual back-end; MIDI_MAPPER
// when it is not listed.
UINT VirtualMidiDeviceNumber(std::size_t index);
