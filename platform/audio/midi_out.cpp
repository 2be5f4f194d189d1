// The MIDI out functions: the device list over the three back-ends, and
// stream handles that are checked before they are followed.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/audio/audio_backend.h"
#include "platform/audio/midi.h"
#include "platform/audio/midi_backend.h"
#include "platform/audio/midi_stream.h"
#include "platform/audio/wave_notice.h"

namespace {

struct DeviceEntry {
  MidiBackend* backend = nullptr;
  std::size_t index = 0;
  MidiDeviceInfo info;
};

struct DeviceList {
  std::mutex lock;
  bool scanned = false;
  std::unique_ptr<MidiBackend> synth, virtuals, alsa;
  std::vector<DeviceEntry> entries;
  // The device the mapper stands for, or -1.
  long mapper = -1;
};

DeviceList& Devices() {
  static DeviceList list;
  return list;
}

// Under list.lock.
void Scan(DeviceList& list) {
  if (!list.synth) list.synth = MakeSynthMidiBackend();
  if (!list.virtuals) list.virtuals = MakeVirtualMidiBackend();
  if (!list.alsa) list.alsa = MakeAlsaMidiBackend();
  list.entries.clear();
  list.mapper = -1;
  std::vector<MidiBackend*> order{list.synth.get()};
  // The virtual devices serve tests, which run the virtual wave devices.
  if (std::strcmp(CurrentAudioBackend().Name(), "virtual") == 0) order.push_back(list.virtuals.get());
  order.push_back(list.alsa.get());
  for (MidiBackend* backend : order) {
    std::vector<MidiDeviceInfo> devices = backend->Devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
      if (backend == list.synth.get() && list.mapper < 0)
        list.mapper = static_cast<long>(list.entries.size());
      list.entries.push_back({backend, i, devices[i]});
    }
  }
  list.scanned = true;
}

DeviceList& ScannedDevices() {
  DeviceList& list = Devices();
  std::lock_guard<std::mutex> hold(list.lock);
  if (!list.scanned) Scan(list);
  return list;
}

bool IsMapper(UINT_PTR id) {
  return id == MIDI_MAPPER || id == static_cast<UINT_PTR>(-1);
}

// The entry for a device number or the mapper; false with *error set.
bool FindDevice(UINT_PTR id, DeviceEntry* entry, MMRESULT* error) {
  DeviceList& list = ScannedDevices();
  std::lock_guard<std::mutex> hold(list.lock);
  if (IsMapper(id)) {
    if (list.mapper < 0) {
      *error = MIDIERR_NODEVICE;
      return false;
    }
    *entry = list.entries[static_cast<std::size_t>(list.mapper)];
    return true;
  }
  if (id >= list.entries.size()) {
    *error = MMSYSERR_BADDEVICEID;
    return false;
  }
  *entry = list.entries[id];
  return true;
}

std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}
std::map<void*, std::shared_ptr<MidiStream>>& Registry() {
  static std::map<void*, std::shared_ptr<MidiStream>> streams;
  return streams;
}

std::shared_ptr<MidiStream> Find(void* handle) {
  std::lock_guard<std::mutex> hold(RegistryLock());
  auto it = Registry().find(handle);
  return it == Registry().end() ? nullptr : it->second;
}

void CopyName(CHAR* field, const std::string& name) {
  std::size_t n = std::min<std::size_t>(name.size(), MAXPNAMELEN - 1);
  std::memcpy(field, name.data(), n);
  field[n] = 0;
}

}  // namespace

void RescanMidiDevices() {
  DeviceList& list = Devices();
  std::lock_guard<std::mutex> hold(list.lock);
  Scan(list);
}

UINT VirtualMidiDeviceNumber(std::size_t index) {
  DeviceList& list = ScannedDevices();
  std::lock_guard<std::mutex> hold(list.lock);
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const DeviceEntry& e = list.entries[i];
    if (e.backend == list.virtuals.get() && e.index == index) return static_cast<UINT>(i);
  }
  return MIDI_MAPPER;
}

extern "C" {

UINT midiOutGetNumDevs() {
  DeviceList& list = ScannedDevices();
  std::lock_guard<std::mutex> hold(list.lock);
  return static_cast<UINT>(list.entries.size());
}

MMRESULT midiOutGetDevCaps(UINT_PTR deviceId, LPMIDIOUTCAPS caps, UINT capsSize) {
  if (caps == nullptr || capsSize < sizeof(MIDIOUTCAPS)) return MMSYSERR_INVALPARAM;
  DeviceEntry entry;
  MMRESULT error = MMSYSERR_NOERROR;
  if (!FindDevice(deviceId, &entry, &error)) return error;
  *caps = MIDIOUTCAPS{};
  caps->vDriverVersion = 0x0100;
  if (IsMapper(deviceId)) {
    CopyName(caps->szPname, "MIDI Mapper");
    caps->wTechnology = MOD_MAPPER;
  } else {
    CopyName(caps->szPname, entry.info.name);
    caps->wTechnology = entry.info.technology;
  }
  caps->wVoices = caps->wTechnology == MOD_MIDIPORT ? 0 : 256;
  caps->wNotes = caps->wVoices;
  caps->wChannelMask = 0xFFFF;
  // Every device here plays streams: the timing is kept above the devices.
  caps->dwSupport = MIDICAPS_STREAM;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutGetErrorText(MMRESULT error, LPSTR text, UINT textSize) {
  if (text == nullptr || textSize == 0) return MMSYSERR_INVALPARAM;
  const char* message = nullptr;
  switch (error) {
    case MIDIERR_UNPREPARED:
      message = "The MIDI buffer has not been prepared.";
      break;
    case MIDIERR_STILLPLAYING:
      message = "The MIDI device still holds queued buffers.";
      break;
    case MIDIERR_NOMAP:
      message = "There is no MIDI map for the device.";
      break;
    case MIDIERR_NOTREADY:
      message = "The MIDI device is busy; it cannot do this while it plays.";
      break;
    case MIDIERR_NODEVICE:
      message = "The MIDI device is not connected or not installed.";
      break;
    case MIDIERR_INVALIDSETUP:
      message = "The MIDI set-up is not valid.";
      break;
    case MIDIERR_BADOPENMODE:
      message = "The MIDI device cannot be opened in this mode.";
      break;
    case MIDIERR_DONT_CONTINUE:
      message = "The MIDI operation was stopped.";
      break;
    default:
      // The codes shared with the wave devices have their texts there.
      if (error > MMSYSERR_LASTERROR) break;
      return waveOutGetErrorText(error, text, textSize);
  }
  if (message == nullptr) {
    text[0] = 0;
    return MMSYSERR_BADERRNUM;
  }
  std::size_t n = std::min<std::size_t>(std::strlen(message), textSize - 1);
  std::memcpy(text, message, n);
  text[n] = 0;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize) {
  std::shared_ptr<MidiStream> stream = Find(out);
  if (!stream) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || headerSize < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  return stream->Prepare(header);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize) {
  std::shared_ptr<MidiStream> stream = Find(out);
  if (!stream) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || headerSize < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  return stream->Unprepare(header);
}

MMRESULT midiStreamOpen(LPHMIDISTRM stream, UINT* deviceId, DWORD midiCount, DWORD_PTR callback,
                        DWORD_PTR instance, DWORD flags) {
  if (stream == nullptr || deviceId == nullptr || midiCount != 1) return MMSYSERR_INVALPARAM;
  *stream = nullptr;
  const DWORD kind = flags & CALLBACK_TYPEMASK;
  // A function would be called on the stream's own thread: none is asked for.
  if (kind == CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
  MMRESULT checked = CheckNoticeTarget(flags, callback);
  if (checked != MMSYSERR_NOERROR) return checked;
  DeviceEntry entry;
  MMRESULT error = MMSYSERR_NOERROR;
  if (!FindDevice(*deviceId, &entry, &error)) return error;
  std::unique_ptr<MidiPort> port = entry.backend->Open(entry.index, &error);
  if (!port) return error != MMSYSERR_NOERROR ? error : MMSYSERR_ALLOCATED;
  auto opened = std::make_shared<MidiStream>(std::move(port), MakeNoticeTarget(flags, callback, instance));
  {
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry()[opened->handle()] = opened;
  }
  *stream = static_cast<HMIDISTRM>(opened->handle());
  opened->Notice(MM_MOM_OPEN, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM stream) {
  std::shared_ptr<MidiStream> found;
  {
    std::lock_guard<std::mutex> hold(RegistryLock());
    auto it = Registry().find(stream);
    if (it == Registry().end()) return MMSYSERR_INVALHANDLE;
    found = it->second;
    Registry().erase(it);
  }
  found->Close();
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT headerSize) {
  std::shared_ptr<MidiStream> found = Find(stream);
  if (!found) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || headerSize < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  return found->Out(header);
}

MMRESULT midiStreamRestart(HMIDISTRM stream) {
  std::shared_ptr<MidiStream> found = Find(stream);
  return found ? found->Restart() : MMSYSERR_INVALHANDLE;
}

MMRESULT midiStreamStop(HMIDISTRM stream) {
  std::shared_ptr<MidiStream> found = Find(stream);
  return found ? found->Stop() : MMSYSERR_INVALHANDLE;
}

MMRESULT midiStreamPosition(HMIDISTRM stream, LPMMTIME time, UINT timeSize) {
  std::shared_ptr<MidiStream> found = Find(stream);
  if (!found) return MMSYSERR_INVALHANDLE;
  if (time == nullptr || timeSize < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  return found->Position(time);
}

MMRESULT midiStreamProperty(HMIDISTRM stream, LPBYTE property, DWORD flags) {
  std::shared_ptr<MidiStream> found = Find(stream);
  if (!found) return MMSYSERR_INVALHANDLE;
  return found->Property(property, flags);
}

}  // extern "C"
