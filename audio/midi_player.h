// The MIDI line's player: the MIDI films of the play range one after
// another, each from its own source window at its own volume, as one MIDI
// stream of two buffers that are filled again as the device hands them
// back. Every stream operation goes through the MIDI stream tool library
// (tool_dll.h); without it the player stays in state 0xFF and the line is
// silent. One program-wide object; every call comes from the main thread.
#pragma once

#include <cstdint>

#include "model/players.h"
#include "platform/audio/midi.h"
#include "platform/core/types.h"

class MidiData;
class ToolDLL;

class MidiPlayer : public MidiEngine {
 public:
  // States.
  static constexpr int32_t kNoStream = 0xFF;
  static constexpr int32_t kNotUsable = 0;
  static constexpr int32_t kReady = 1;
  static constexpr int32_t kPrepared = 2;
  static constexpr int32_t kPlaying = 3;
  static constexpr int32_t kRefused = 6;

  // The posted notice of the end of playback.
  static constexpr UINT kPlayEndedMessage = 101;
  static constexpr DWORD kBufferBytes = 4096;
  static constexpr int kMaxDevices = 20;

  // Loads the stream tool library beside the program.
  MidiPlayer();
  // With this tool (its reference passes to the player); null: none.
  explicit MidiPlayer(ToolDLL* tool);
  ~MidiPlayer() override;
  MidiPlayer(const MidiPlayer&) = delete;
  MidiPlayer& operator=(const MidiPlayer&) = delete;

  bool Prepare(Film* films, int32_t start, int32_t end, HWND window, int32_t volume) override;
  void Start() override;
  void Stop() override;
  int32_t GetPosition() override;
  bool IsUsable() override { return usable; }
  int32_t GetState() override { return state; }
  void BufferDone() override;

  // The mapper first when it plays streams, then every output that does,
  // each by name; the current device selected.
  virtual void FillDeviceList(HWND comboBox);
  // The device at index of that list becomes the current one.
  virtual void SelectDevice(int32_t index);
  virtual void SetTimePeriod(int32_t period) { timePeriod = period; }
  virtual int32_t GetTimePeriod() { return timePeriod; }
  // usable: the device's abilities can be read and include streams.
  virtual void CheckDevice();
  int32_t GetDeviceId() const { return deviceId; }

 protected:
  virtual bool OpenStream(HWND owner);
  virtual void CloseStream();
  virtual void FreeBuffers();
  virtual bool AllocBuffers();

 private:
  struct Buffer;
  // Runs a tool command; a failure shows its caption with the device's text.
  bool Command(int command, void* argument, const char* caption, HWND boxOwner);
  // The next film with a MIDI source from film on that ends after time.
  static Film* NextMidiFilm(Film* film, int32_t time);
  static MidiData* MidiOf(const Film* film);
  // Rewinds the film's file for its part of [position, rangeEnd).
  void RewindFilm(Film* film);
  // Fills buffer `current` from the current file and queues it.
  bool QueueCurrent(DWORD used, HWND boxOwner);

  bool usable = false;
  int32_t deviceId = -1;  // -1: the mapper
  Film* film = nullptr;   // the film being played
  bool more = false;      // buffers are still being filled
  int32_t rangeStart = 0;
  int32_t rangeEnd = 0;
  int32_t position = 0;
  HWND owner = nullptr;
  int32_t state = kNoStream;
  bool streamOpen = false;
  Buffer* buffers[2] = {nullptr, nullptr};
  int32_t queued = 0;
  int32_t current = 0;
  int32_t devices[kMaxDevices] = {};
  int32_t deviceCount = 0;
  ToolDLL* tool = nullptr;
  int32_t volume = 512;
  int32_t timePeriod = 0;
  bool settingsRead = false;
};
