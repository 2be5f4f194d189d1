// The devices behind mciSendCommand.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/mci/mci.h"

namespace mci {

class Device {
 public:
  virtual ~Device() = default;
  // Starts playing from the start in a thread of its own. ended is called
  // once from that thread when the play comes to its end by itself (true)
  // or cannot go on (false); never after Stop returned.
  virtual MCIERROR Play(std::function<void(bool ok)> ended) = 0;
  virtual bool IsPlaying() const = 0;
  // Ends a play and waits for its thread.
  virtual void Stop() = 0;
};

// A sound file ("waveaudio"), or a film ("avivideo") whose pictures show in
// a window of style owned by owner, made on the calling thread.
std::unique_ptr<Device> OpenMediaDevice(const std::string& path, bool film, DWORD style, HWND owner,
                                        MCIERROR* error);
// A standard MIDI file ("sequencer") played on MIDI output port.
std::unique_ptr<Device> OpenSequencer(const std::string& path, UINT port, MCIERROR* error);

}  // namespace mci
