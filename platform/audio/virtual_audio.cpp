#include "platform/audio/virtual_audio.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/audio/audio_backend.h"

namespace {

// One open stream. Its lock is held while the clock feeds the port, so that
// closing waits for a feed in progress and the port is never used after.
struct VirtualStream {
  std::mutex lock;
  WavePort* port = nullptr;
  bool capture = false;
  UINT device = 0;
  WAVEFORMATEX format{};
  ULONGLONG elapsed_us = 0;  // clock time the stream has seen
  ULONGLONG produced = 0;    // bytes an input has produced
};

struct DeviceRecord {
  VirtualDeviceSpec spec;
  std::vector<BYTE> played;
  WAVEFORMATEX last_format{};
  UINT opens = 0;
  MMRESULT open_error = MMSYSERR_NOERROR;
  VirtualSignal signal;
  std::weak_ptr<VirtualStream> open;
};

// Lock order: a stream's lock before the state's lock.
struct VirtualState {
  std::mutex lock;
  std::vector<DeviceRecord> outputs;
  std::vector<DeviceRecord> inputs;
  std::vector<std::shared_ptr<VirtualStream>> streams;

  std::vector<DeviceRecord>& List(bool capture) { return capture ? inputs : outputs; }
  DeviceRecord* Record(bool capture, UINT device) {
    std::vector<DeviceRecord>& list = List(capture);
    return device < list.size() ? &list[device] : nullptr;
  }
};

VirtualState& State() {
  static VirtualState state;
  return state;
}

// The wall-clock driver. Made after the back-end holder, it goes before it
// at exit: its thread stops here, while what it feeds still exists.
struct RealTimeClock {
  std::mutex lock;
  std::condition_variable wake;
  std::thread thread;
  bool stop = false;

  ~RealTimeClock() {
    std::unique_lock<std::mutex> hold(lock);
    stop = true;
    wake.notify_all();
    hold.unlock();
    if (thread.joinable()) thread.join();
  }
};
RealTimeClock& Clock() {
  static RealTimeClock clock;
  return clock;
}

class VirtualStreamHandle : public BackendStream {
 public:
  explicit VirtualStreamHandle(std::shared_ptr<VirtualStream> stream) : stream_(std::move(stream)) {}
  ~VirtualStreamHandle() override {
    {
      std::lock_guard<std::mutex> hold(stream_->lock);
      stream_->port = nullptr;
    }
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    for (auto it = state.streams.begin(); it != state.streams.end(); ++it) {
      if (*it == stream_) {
        state.streams.erase(it);
        break;
      }
    }
  }

 private:
  std::shared_ptr<VirtualStream> stream_;
};

class VirtualBackend : public AudioBackend {
 public:
  ~VirtualBackend() override { VirtualAudio::SetRealTime(false); }
  const char* Name() const override { return "virtual"; }

  UINT DeviceCount(bool capture) override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return static_cast<UINT>(state.List(capture).size());
  }

  bool Device(bool capture, UINT index, BackendDevice* device) override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    DeviceRecord* record = state.Record(capture, index);
    if (record == nullptr) return false;
    device->name = record->spec.name;
    device->channels = record->spec.channels;
    return true;
  }

  bool MapperDevice(bool capture, BackendDevice* device) override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.List(capture).empty()) return false;
    device->name = "Virtual Mapper";
    device->channels = state.List(capture).front().spec.channels;
    return true;
  }

  bool Supports(bool capture, UINT index, const WAVEFORMATEX& format) override {
    std::function<bool(const WAVEFORMATEX&)> accepts;
    {
      VirtualState& state = State();
      std::lock_guard<std::mutex> hold(state.lock);
      DeviceRecord* record = state.Record(capture, index);
      if (record == nullptr) return false;
      accepts = record->spec.accepts;
    }
    if (!IsPlainWaveFormat(format)) return false;
    return accepts ? accepts(format) : true;
  }

  std::unique_ptr<BackendStream> Open(bool capture, UINT index, const WAVEFORMATEX& format, WavePort* port,
                                      MMRESULT* error) override {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    DeviceRecord* record = state.Record(capture, index);
    if (record == nullptr) {
      *error = MMSYSERR_BADDEVICEID;
      return nullptr;
    }
    if (record->open_error != MMSYSERR_NOERROR) {
      *error = record->open_error;
      return nullptr;
    }
    if (!record->open.expired()) {
      *error = MMSYSERR_ALLOCATED;
      return nullptr;
    }
    auto stream = std::make_shared<VirtualStream>();
    stream->port = port;
    stream->capture = capture;
    stream->device = index;
    stream->format = format;
    record->open = stream;
    record->last_format = format;
    record->opens++;
    state.streams.push_back(stream);
    return std::make_unique<VirtualStreamHandle>(stream);
  }
};

void Feed(const std::shared_ptr<VirtualStream>& stream, ULONGLONG microseconds) {
  std::lock_guard<std::mutex> hold(stream->lock);
  if (stream->port == nullptr) return;
  const WAVEFORMATEX& f = stream->format;
  ULONGLONG before = stream->elapsed_us * f.nSamplesPerSec / 1000000;
  stream->elapsed_us += microseconds;
  ULONGLONG after = stream->elapsed_us * f.nSamplesPerSec / 1000000;
  std::size_t bytes = static_cast<std::size_t>((after - before) * f.nBlockAlign);
  if (bytes == 0) return;
  std::vector<BYTE> buffer(bytes);
  VirtualState& state = State();
  if (stream->capture) {
    VirtualSignal signal;
    {
      std::lock_guard<std::mutex> hold_state(state.lock);
      if (DeviceRecord* record = state.Record(true, stream->device)) signal = record->signal;
    }
    if (signal) signal(buffer.data(), bytes, stream->produced);
    stream->produced += bytes;
    stream->port->Push(buffer.data(), bytes);
  } else {
    std::size_t got = stream->port->Pull(buffer.data(), bytes);
    std::lock_guard<std::mutex> hold_state(state.lock);
    if (DeviceRecord* record = state.Record(false, stream->device)) {
      record->played.insert(record->played.end(), buffer.begin(), buffer.begin() + got);
    }
  }
}

std::shared_ptr<VirtualStream> OpenStream(bool capture, UINT device) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  DeviceRecord* record = state.Record(capture, device);
  return record ? record->open.lock() : nullptr;
}

void ResetDevices(std::vector<VirtualDeviceSpec> outputs, std::vector<VirtualDeviceSpec> inputs) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.outputs.clear();
  state.inputs.clear();
  for (VirtualDeviceSpec& spec : outputs) {
    state.outputs.emplace_back();
    state.outputs.back().spec = std::move(spec);
  }
  for (VirtualDeviceSpec& spec : inputs) {
    state.inputs.emplace_back();
    state.inputs.back().spec = std::move(spec);
  }
}

}  // namespace

std::unique_ptr<AudioBackend> MakeVirtualAudioBackend() {
  VirtualAudio::SetRealTime(false);
  ResetDevices({VirtualDeviceSpec{}}, {VirtualDeviceSpec{}});
  VirtualAudio::SetRealTime(true);
  return std::make_unique<VirtualBackend>();
}

void VirtualAudio::Reset(std::vector<VirtualDeviceSpec> outputs, std::vector<VirtualDeviceSpec> inputs) {
  SetRealTime(false);
  ResetDevices(std::move(outputs), std::move(inputs));
  SetAudioBackend(std::make_unique<VirtualBackend>());
}

void VirtualAudio::AdvanceMicroseconds(ULONGLONG microseconds) {
  std::vector<std::shared_ptr<VirtualStream>> streams;
  {
    VirtualState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    streams = state.streams;
  }
  for (const auto& stream : streams) Feed(stream, microseconds);
}

void VirtualAudio::Advance(DWORD milliseconds) {
  AdvanceMicroseconds(ULONGLONG{milliseconds} * 1000);
}

void VirtualAudio::SetRealTime(bool on) {
  RealTimeClock& clock = Clock();
  std::unique_lock<std::mutex> hold(clock.lock);
  if (on == clock.thread.joinable()) return;
  if (!on) {
    clock.stop = true;
    clock.wake.notify_all();
    std::thread thread = std::move(clock.thread);
    hold.unlock();
    thread.join();
    return;
  }
  clock.stop = false;
  clock.thread = std::thread([] {
    RealTimeClock& c = Clock();
    auto last = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(c.lock);
    while (!c.stop) {
      c.wake.wait_for(lock, std::chrono::milliseconds(5));
      if (c.stop) break;
      auto now = std::chrono::steady_clock::now();
      auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - last).count();
      last = now;
      lock.unlock();
      AdvanceMicroseconds(static_cast<ULONGLONG>(us));
      lock.lock();
    }
  });
}

std::vector<BYTE> VirtualAudio::Played(UINT device) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  DeviceRecord* record = state.Record(false, device);
  return record ? record->played : std::vector<BYTE>{};
}

std::size_t VirtualAudio::Queued(UINT device) {
  std::shared_ptr<VirtualStream> stream = OpenStream(false, device);
  if (!stream) return 0;
  std::lock_guard<std::mutex> hold(stream->lock);
  return stream->port ? stream->port->Pending() : 0;
}

bool VirtualAudio::WaitQueued(UINT device, std::size_t bytes, DWORD timeout) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  for (;;) {
    if (Queued(device) >= bytes) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

bool VirtualAudio::IsOpen(UINT device, bool capture) {
  return OpenStream(capture, device) != nullptr;
}

WAVEFORMATEX VirtualAudio::LastFormat(UINT device, bool capture) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  DeviceRecord* record = state.Record(capture, device);
  return record ? record->last_format : WAVEFORMATEX{};
}

UINT VirtualAudio::OpenCount(UINT device, bool capture) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  DeviceRecord* record = state.Record(capture, device);
  return record ? record->opens : 0;
}

void VirtualAudio::SetSignal(UINT device, VirtualSignal signal) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  if (DeviceRecord* record = state.Record(true, device)) record->signal = std::move(signal);
}

void VirtualAudio::SetOpenError(UINT device, MMRESULT error, bool capture) {
  VirtualState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  if (DeviceRecord* record = state.Record(capture, device)) record->open_error = error;
}
