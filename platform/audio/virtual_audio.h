// The virtual sound devices: outputs that consume their queued headers and
// inputs that fill theirs on a clock the test moves, so that tests hear
// exactly what was played and need no sound card. Every byte an output plays
// is kept until the next Reset.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/audio/wave.h"

struct VirtualDeviceSpec {
  std::string name = "Virtual Device";
  WORD channels = 2;
  // Which formats the device takes; empty: every plain PCM or float format.
  std::function<bool(const WAVEFORMATEX&)> accepts;
};

// Fills size bytes of captured sound; offset counts the bytes the input has
// produced since it was opened.
using VirtualSignal = std::function<void(BYTE* destination, std::size_t size, ULONGLONG offset)>;

class VirtualAudio {
 public:
  // Makes the virtual back-end current with these devices, the clock at 0
  // and driven by Advance only, and nothing recorded. No device may be open.
  static void Reset(std::vector<VirtualDeviceSpec> outputs = {VirtualDeviceSpec{}},
                    std::vector<VirtualDeviceSpec> inputs = {VirtualDeviceSpec{}});

  // Moves the clock on. Each open output plays the frames due in that time
  // from its queue (time that finds it paused or starved is lost, not
  // recorded); each started input captures the frames due into its queue.
  static void Advance(DWORD milliseconds);
  static void AdvanceMicroseconds(ULONGLONG microseconds);
  // Lets a thread move the clock with the wall clock (on) or stops it (off).
  static void SetRealTime(bool on);

  // Every byte output device played since Reset, in order.
  static std::vector<BYTE> Played(UINT device);
  // Bytes waiting in the queue of the output device now open, 0 when closed.
  static std::size_t Queued(UINT device);
  // Waits until the open output holds at least bytes in its queue; false on
  // time-out (real milliseconds).
  static bool WaitQueued(UINT device, std::size_t bytes, DWORD timeout);
  static bool IsOpen(UINT device, bool capture = false);
  // The format of the last open of the device (zeroed when never opened).
  static WAVEFORMATEX LastFormat(UINT device, bool capture = false);
  static UINT OpenCount(UINT device, bool capture = false);

  // What input device captures (default: silence).
  static void SetSignal(UINT device, VirtualSignal signal);
  // Makes the next opens of a device fail with error (0: open again).
  static void SetOpenError(UINT device, MMRESULT error, bool capture = false);
};
