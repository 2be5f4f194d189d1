// The volume-control server: the output and recording volumes of a sound
// card's mixer, with a small window that shows them as faders. The program
// tells it when playback (1) or recording (0) starts and stops, and shows
// its window beside the recorder for the wave-in device in use.
//
// The operations are called by their place in the interface's table: 4 move
// the window, 5 start, 6 stop, 7 hide the window, 8 show it for a device, 9
// bring it up as the mixer the user asked for.
// The mixer behind it is the ALSA mixer of the device's card, or, for
// tests, a virtual mixer kept in memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/components/com.h"

// {6A1C3E20-5B7D-4C11-9E0A-4B3F2D7C8A10}
inline constexpr IID IID_IVolumeServer{
    0x6A1C3E20, 0x5B7D, 0x4C11, {0x9E, 0x0A, 0x4B, 0x3F, 0x2D, 0x7C, 0x8A, 0x10}};

class IVolumeServer : public IUnknown {
 public:
  virtual HRESULT GetVersion(LONG* version) = 0;  // 3
  virtual HRESULT Move(LONG x, LONG y) = 0;       // 4: the window's top left, screen pixels
  // 5: 1 playback, 0 recording; 0 when the server took it, 1 when it has
  // no such volumes.
  virtual LONG Start(LONG playback) = 0;
  virtual HRESULT Stop() = 0;  // 6: the last start ends
  virtual HRESULT Hide() = 0;  // 7
  // 8: the window with the device's volumes: its inputs (input 1) or its
  // outputs (0). Device -1 is the default card.
  virtual HRESULT ShowForDevice(LONG device, LONG input) = 0;
  // 9: the window as last shown (the default card's outputs when never),
  // in front with the keyboard.
  virtual HRESULT ShowMixer() = 0;

 protected:
  ~IVolumeServer() = default;
};

// One volume of a mixer.
struct VolumeControlInfo {
  std::string name;
  long minimum = 0;
  long maximum = 100;
  long value = 0;
};

// The mixer a server shows.
class VolumeMixer {
 public:
  virtual ~VolumeMixer() = default;
  // The output or input volumes of a device's card (-1: the default card);
  // empty when it has none or cannot be opened.
  virtual std::vector<VolumeControlInfo> Controls(LONG device, bool input) = 0;
  virtual bool SetValue(LONG device, bool input, const std::string& name, long value) = 0;
};

// The ALSA mixer ("hw:N" for device N, "default" for -1).
std::unique_ptr<VolumeMixer> MakeAlsaVolumeMixer();

// A mixer in memory: every device has the output volumes "Master" and "PCM"
// and the input volume "Capture", 0 to 100.
class VirtualVolumeMixer : public VolumeMixer {
 public:
  std::vector<VolumeControlInfo> Controls(LONG device, bool input) override;
  bool SetValue(LONG device, bool input, const std::string& name, long value) override;
  long Value(LONG device, bool input, const std::string& name);

 private:
  struct Entry {
    LONG device;
    bool input;
    VolumeControlInfo control;
  };
  std::vector<Entry>& Of(LONG device);
  std::vector<Entry> entries_;
};

// The server over mixer; with null, the virtual mixer when KOBRIX_AUDIO is
// "virtual", else the ALSA mixer. E_POINTER for a null out pointer.
HRESULT CreateVolumeServer(std::unique_ptr<VolumeMixer> mixer, IVolumeServer** server);

// For tests and the screenshot: the server's window (null while never
// shown) and how many starts are open.
HWND VolumeServerWindow(IVolumeServer* server);
int VolumeServerStarts(IVolumeServer* server);
