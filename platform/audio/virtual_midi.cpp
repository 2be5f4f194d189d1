#include "platform/audio/virtual_midi.h"

#include <mutex>

#include "platform/audio/midi_backend.h"

namespace {

struct VirtualDevice {
  explicit VirtualDevice(std::string n) : name(std::move(n)) {}
  std::string name;
  std::vector<VirtualMidiEvent> events;
  int silences = 0;
  int opens = 0;
  bool open = false;
  MMRESULT openError = MMSYSERR_NOERROR;
};

struct VirtualState {
  std::mutex lock;
  std::vector<VirtualDevice> devices{VirtualDevice("Virtual MIDI Device")};
  // Bumped by Reset, so that a port of an earlier set of devices keeps
  // nothing in the new one.
  unsigned generation = 0;

  VirtualDevice* Device(std::size_t n, unsigned gen) {
    return gen == generation && n < devices.size() ? &devices[n] : nullptr;
  }
};

VirtualState& State() {
  static VirtualState state;
  return state;
}

class VirtualPort : public MidiPort {
 public:
  VirtualPort(std::size_t index, unsigned generation) : index_(index), generation_(generation) {}
  ~VirtualPort() override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (VirtualDevice* d = state.Device(index_, generation_)) d->open = false;
  }
  void Short(DWORD message, ULONGLONG streamUs) override {
    VirtualMidiEvent e;
    e.timeUs = streamUs;
    const BYTE status = static_cast<BYTE>(message);
    e.bytes.push_back(status);
    // The data bytes the status carries.
    int data = 2;
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 || status == 0xF1 || status == 0xF3) data = 1;
    if (status >= 0xF4 || status == 0xF0) data = 0;
    for (int i = 1; i <= data; ++i) e.bytes.push_back(static_cast<BYTE>(message >> (8 * i)));
    Keep(std::move(e));
  }
  void Long(const BYTE* bytes, std::size_t size, ULONGLONG streamUs) override {
    VirtualMidiEvent e;
    e.timeUs = streamUs;
    e.bytes.assign(bytes, bytes + size);
    Keep(std::move(e));
  }
  void Silence() override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (VirtualDevice* d = state.Device(index_, generation_)) d->silences++;
  }

 private:
  void Keep(VirtualMidiEvent e) {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (VirtualDevice* d = state.Device(index_, generation_)) d->events.push_back(std::move(e));
  }
  std::size_t index_;
  unsigned generation_;
};

class VirtualBackend : public MidiBackend {
 public:
  std::vector<MidiDeviceInfo> Devices() override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    std::vector<MidiDeviceInfo> list;
    for (const VirtualDevice& d : state.devices) list.push_back({d.name, MOD_MIDIPORT});
    return list;
  }
  std::unique_ptr<MidiPort> Open(std::size_t index, MMRESULT* error) override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    VirtualDevice* d = state.Device(index, state.generation);
    if (d == nullptr) {
      *error = MMSYSERR_BADDEVICEID;
      return nullptr;
    }
    if (d->openError != MMSYSERR_NOERROR) {
      *error = d->openError;
      return nullptr;
    }
    if (d->open) {
      *error = MMSYSERR_ALLOCATED;
      return nullptr;
    }
    d->open = true;
    d->opens++;
    return std::make_unique<VirtualPort>(index, state.generation);
  }
};

template <class T, class F>
T Read(std::size_t n, T none, F read) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  return n < state.devices.size() ? read(state.devices[n]) : none;
}

}  // namespace

DWORD VirtualMidiEvent::ShortMessage() const {
  DWORD message = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 3; ++i) message |= DWORD{bytes[i]} << (8 * i);
  return message;
}

std::unique_ptr<MidiBackend> MakeVirtualMidiBackend() {
  return std::make_unique<VirtualBackend>();
}

void VirtualMidi::Reset(std::vector<std::string> names) {
  {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.devices.clear();
    for (std::string& name : names) state.devices.emplace_back(std::move(name));
    state.generation++;
  }
  RescanMidiDevices();
}

UINT VirtualMidi::DeviceId(std::size_t n) {
  return VirtualMidiDeviceNumber(n);
}

std::vector<VirtualMidiEvent> VirtualMidi::Events(std::size_t n) {
  return Read(n, std::vector<VirtualMidiEvent>{}, [](const VirtualDevice& d) { return d.events; });
}

int VirtualMidi::Silences(std::size_t n) {
  return Read(n, 0, [](const VirtualDevice& d) { return d.silences; });
}

bool VirtualMidi::IsOpen(std::size_t n) {
  return Read(n, false, [](const VirtualDevice& d) { return d.open; });
}

int VirtualMidi::OpenCount(std::size_t n) {
  return Read(n, 0, [](const VirtualDevice& d) { return d.opens; });
}

void VirtualMidi::SetOpenError(std::size_t n, MMRESULT error) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  if (n < state.devices.size()) state.devices[n].openError = error;
}
