#include "platform/mci/mci.h"

#include <strings.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio/midi.h"
#include "platform/gui/gui.h"
#include "platform/mci/mci_device.h"

namespace {

enum class Kind { kNone, kWave, kFilm, kSequencer };

// An open device and the notice its play owes.
struct OpenDevice {
  MCIDEVICEID id = 0;
  std::unique_ptr<mci::Device> device;
  std::mutex lock;
  HWND notify = nullptr;  // the callback of the play that still owes its notice
};

struct Table {
  std::mutex lock;
  std::map<MCIDEVICEID, std::shared_ptr<OpenDevice>> devices;
  MCIDEVICEID next = 1;
  UINT port = MIDI_MAPPER;
};

Table& Devices() {
  static Table table;
  return table;
}

std::shared_ptr<OpenDevice> Find(MCIDEVICEID id) {
  Table& t = Devices();
  std::lock_guard<std::mutex> hold(t.lock);
  auto it = t.devices.find(id);
  return it != t.devices.end() ? it->second : nullptr;
}

void Post(HWND window, WPARAM notice, MCIDEVICEID id) {
  if (window != nullptr) PostMessage(window, MM_MCINOTIFY, notice, static_cast<LPARAM>(id));
}

// Pays the notice the device's play owes, if any.
void Settle(OpenDevice& d, WPARAM notice) {
  std::lock_guard<std::mutex> hold(d.lock);
  Post(d.notify, notice, d.id);
  d.notify = nullptr;
}

HWND CallbackOf(DWORD_PTR params) {
  return params != 0 ? reinterpret_cast<HWND>(reinterpret_cast<const MCI_GENERIC_PARMS*>(params)->dwCallback)
                     : nullptr;
}

Kind KindOfName(const char* name) {
  if (name == nullptr) return Kind::kNone;
  if (strcasecmp(name, "waveaudio") == 0) return Kind::kWave;
  if (strcasecmp(name, "avivideo") == 0) return Kind::kFilm;
  if (strcasecmp(name, "sequencer") == 0) return Kind::kSequencer;
  return Kind::kNone;
}

// The device of a file by its extension: the text after the last dot of
// the name that follows the last "/", "\" or ":".
Kind KindOfFile(const std::string& path) {
  const size_t name = path.find_last_of("/\\:");
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return Kind::kNone;
  const char* ext = path.c_str() + dot + 1;
  for (const char* e : {"wav", "aif", "aiff", "aifc", "afc"}) {
    if (strcasecmp(ext, e) == 0) return Kind::kWave;
  }
  for (const char* e : {"avi", "mov"}) {
    if (strcasecmp(ext, e) == 0) return Kind::kFilm;
  }
  for (const char* e : {"mid", "midi", "rmi"}) {
    if (strcasecmp(ext, e) == 0) return Kind::kSequencer;
  }
  return Kind::kNone;
}

MCIERROR Open(DWORD flags, DWORD_PTR params) {
  auto* p = reinterpret_cast<MCI_OPEN_PARMS*>(params);
  if (p == nullptr || !(flags & MCI_OPEN_ELEMENT) || p->lpstrElementName == nullptr)
    return MCIERR_MISSING_PARAMETER;
  const std::string path = p->lpstrElementName;
  Kind kind = KindOfFile(path);
  if (flags & MCI_OPEN_TYPE) {
    kind = KindOfName(p->lpstrDeviceType);
    if (kind == Kind::kNone) return MCIERR_INVALID_DEVICE_NAME;
  } else if (kind == Kind::kNone) {
    return MCIERR_EXTENSION_NOT_FOUND;
  }
  // Only a film's parameters hold a style and an owner.
  DWORD style = WS_OVERLAPPEDWINDOW;
  HWND owner = nullptr;
  if (flags & (MCI_ANIM_OPEN_WS | MCI_ANIM_OPEN_PARENT)) {
    const auto* anim = reinterpret_cast<const MCI_ANIM_OPEN_PARMS*>(params);
    if (flags & MCI_ANIM_OPEN_WS) style = anim->dwStyle;
    if (flags & MCI_ANIM_OPEN_PARENT) owner = anim->hWndParent;
  }

  MCIERROR error = 0;
  std::unique_ptr<mci::Device> device;
  Table& t = Devices();
  if (kind == Kind::kSequencer) {
    UINT port;
    {
      std::lock_guard<std::mutex> hold(t.lock);
      port = t.port;
    }
    device = mci::OpenSequencer(path, port, &error);
  } else {
    device = mci::OpenMediaDevice(path, kind == Kind::kFilm, style, owner, &error);
  }
  if (!device) return error != 0 ? error : MCIERR_INVALID_FILE;

  auto open = std::make_shared<OpenDevice>();
  open->device = std::move(device);
  {
    std::lock_guard<std::mutex> hold(t.lock);
    open->id = t.next++;
    if (t.next == 0) t.next = 1;
    t.devices[open->id] = open;
  }
  p->wDeviceID = open->id;
  return 0;
}

MCIERROR Play(MCIDEVICEID id, DWORD flags, DWORD_PTR params) {
  std::shared_ptr<OpenDevice> d = Find(id);
  if (!d) return MCIERR_INVALID_DEVICE_ID;
  HWND callback = (flags & MCI_NOTIFY) ? CallbackOf(params) : nullptr;
  {
    std::lock_guard<std::mutex> hold(d->lock);
    Post(d->notify, MCI_NOTIFY_SUPERSEDED, id);
    d->notify = callback;
  }
  if (d->device->IsPlaying()) return 0;  // goes on, now owing the new notice
  std::weak_ptr<OpenDevice> weak = d;
  const MCIERROR error = d->device->Play([weak](bool ok) {
    if (std::shared_ptr<OpenDevice> held = weak.lock()) {
      Settle(*held, ok ? MCI_NOTIFY_SUCCESSFUL : MCI_NOTIFY_FAILURE);
    }
  });
  if (error != 0) {
    std::lock_guard<std::mutex> hold(d->lock);
    d->notify = nullptr;
  }
  return error;
}

MCIERROR Stop(MCIDEVICEID id) {
  std::shared_ptr<OpenDevice> d = Find(id);
  if (!d) return MCIERR_INVALID_DEVICE_ID;
  d->device->Stop();
  Settle(*d, MCI_NOTIFY_ABORTED);
  return 0;
}

MCIERROR Close(MCIDEVICEID id) {
  std::shared_ptr<OpenDevice> d;
  {
    Table& t = Devices();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.devices.find(id);
    if (it == t.devices.end()) return MCIERR_INVALID_DEVICE_ID;
    d = it->second;
    t.devices.erase(it);
  }
  // The play's thread has ended once Stop returns, so the device goes here,
  // on the thread that made its window.
  d->device->Stop();
  Settle(*d, MCI_NOTIFY_ABORTED);
  d->device.reset();
  return 0;
}

}  // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
  const DWORD f = static_cast<DWORD>(flags);
  switch (message) {
    case MCI_OPEN:
      return Open(f, params);
    case MCI_PLAY:
      return Play(device, f, params);
    case MCI_STOP:
      return Stop(device);
    case MCI_CLOSE:
      return Close(device);
  }
  return MCIERR_UNRECOGNIZED_COMMAND;
}

void mciSetSequencerPort(UINT midiDevice) {
  Table& t = Devices();
  std::lock_guard<std::mutex> hold(t.lock);
  t.port = midiDevice;
}
