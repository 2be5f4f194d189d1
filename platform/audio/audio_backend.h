// What a back-end gives the wave devices: a list of devices, a format test,
// and streams that pull the bytes to play from a WavePort or push the bytes
// captured into one. The queue of headers, pausing, positions and notices are
// kept above the back-ends (wave.cpp), so every back-end behaves alike.
#pragma once

#include <memory>
#include <string>

#include "platform/audio/wave.h"

class WavePort {
 public:
  virtual ~WavePort() = default;
  // Output: copies up to size bytes of queued headers into destination and
  // completes the headers it empties; returns the bytes copied (0 while
  // paused or when nothing is queued; the caller plays silence for the rest).
  virtual std::size_t Pull(BYTE* destination, std::size_t size) = 0;
  // Input: stores up to size captured bytes into the queued headers and
  // completes the headers it fills; returns the bytes taken (0 while stopped).
  virtual std::size_t Push(const BYTE* source, std::size_t size) = 0;
  // Bytes queued and not yet played or filled.
  virtual std::size_t Pending() = 0;
};

// One open stream of a back-end. Destroying it stops the stream: once the
// destructor returns the back-end never calls its port again.
class BackendStream {
 public:
  virtual ~BackendStream() = default;
};

struct BackendDevice {
  std::string name;
  WORD channels = 2;
};

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  virtual const char* Name() const = 0;
  virtual UINT DeviceCount(bool capture) = 0;
  virtual bool Device(bool capture, UINT index, BackendDevice* device) = 0;
  virtual bool Supports(bool capture, UINT index, const WAVEFORMATEX& format) = 0;
  // The device the mapper stands for; false when there is none.
  virtual bool MapperDevice(bool capture, BackendDevice* device) = 0;
  // index is a device number, or WAVE_MAPPER for the back-end's default.
  virtual std::unique_ptr<BackendStream> Open(bool capture, UINT index, const WAVEFORMATEX& format,
                                              WavePort* port, MMRESULT* error) = 0;
};

// The back-end in use: the one installed last, else the one KOBRIX_AUDIO
// names ("virtual" or "sdl", the default), made on first use.
AudioBackend& CurrentAudioBackend();
// Installs a back-end (null: choose again from KOBRIX_AUDIO). No device may
// be open.
void SetAudioBackend(std::unique_ptr<AudioBackend> backend);

std::unique_ptr<AudioBackend> MakeSdlAudioBackend();
// The virtual devices (virtual_audio.h) with one output and one input, their
// clock following the wall clock.
std::unique_ptr<AudioBackend> MakeVirtualAudioBackend();

// Formats every back-end takes: PCM of 8, 16, 24 or 32 bits (and 20 bits in
// 3 bytes, 24 in 4) and 32-bit IEEE float, 1 to 8 channels, a consistent
// byte rate.
bool IsPlainWaveFormat(const WAVEFORMATEX& format);
