#include "platform/audio/wave.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/audio/audio_backend.h"
#include "platform/audio/wave_notice.h"

namespace {

// Each open gets a handle of its own, never given to another open of this
// process: a notice still queued from a closed device then names a handle
// that no open device has, and its receiver can drop it by the handle alone.
void* NewHandle() {
  static std::atomic<std::uintptr_t> next{0x1000};
  return reinterpret_cast<void*>(next.fetch_add(0x10));
}

// One open device: its queue of headers, its position and its notices. The
// lock is recursive so that a callback function that queues a header from
// inside a notice does not deadlock.
class WaveDevice : public WavePort {
 public:
  WaveDevice(bool capture, const WAVEFORMATEX& format, const WaveNoticeTarget& target)
      : capture_(capture), format_(format), target_(target), handle_(NewHandle()) {}

  bool capture() const { return capture_; }
  std::recursive_mutex& lock() { return lock_; }
  void* handle() const { return handle_; }

  void Attach(std::unique_ptr<BackendStream> stream) { stream_ = std::move(stream); }
  // Stops the back-end first so that it never calls back into a closing device.
  void Detach() { stream_.reset(); }

  void Notice(UINT message, DWORD_PTR param) { SendWaveNotice(target_, handle(), message, param); }

  MMRESULT Queue(WAVEHDR* header) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_DONE;
    header->dwFlags |= WHDR_INQUEUE;
    header->lpNext = nullptr;
    if (capture_) header->dwBytesRecorded = 0;
    queue_.push_back(header);
    if (!capture_) CompleteEmptyHeads();
    return MMSYSERR_NOERROR;
  }

  // Under lock().
  bool Busy() const { return !queue_.empty(); }

  void SetPaused(bool paused) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    paused_ = paused;
    if (!capture_ && !paused_) CompleteEmptyHeads();
  }

  // Output: every queued header comes back done, in order; the position
  // starts again at 0. Input: the same, the partly filled header first.
  void Reset() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (capture_) paused_ = true;
    ReturnAll();
    offset_ = 0;
    bytes_ = 0;
  }

  // Input only: stops capturing and returns the partly filled header.
  void StopCapture() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    paused_ = true;
    if (!queue_.empty() && queue_.front()->dwBytesRecorded > 0) Complete();
  }

  ULONGLONG Position() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return bytes_;
  }

  const WAVEFORMATEX& format() const { return format_; }

  std::size_t Pull(BYTE* destination, std::size_t size) override {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    std::size_t done = 0;
    if (capture_ || paused_) return 0;
    while (done < size && !queue_.empty()) {
      WAVEHDR* head = queue_.front();
      std::size_t left = head->dwBufferLength - offset_;
      std::size_t n = std::min(left, size - done);
      if (n > 0) std::memcpy(destination + done, head->lpData + offset_, n);
      done += n;
      offset_ += n;
      if (offset_ >= head->dwBufferLength) Complete();
    }
    CompleteEmptyHeads();
    bytes_ += done;
    return done;
  }

  std::size_t Pending() override {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    std::size_t bytes = 0;
    for (const WAVEHDR* header : queue_)
      bytes += capture_ ? header->dwBufferLength - header->dwBytesRecorded : header->dwBufferLength;
    return capture_ ? bytes : bytes - offset_;
  }

  std::size_t Push(const BYTE* source, std::size_t size) override {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    std::size_t done = 0;
    if (!capture_ || paused_) return 0;
    while (done < size && !queue_.empty()) {
      WAVEHDR* head = queue_.front();
      std::size_t room = head->dwBufferLength - head->dwBytesRecorded;
      std::size_t n = std::min(room, size - done);
      if (n > 0) std::memcpy(head->lpData + head->dwBytesRecorded, source + done, n);
      head->dwBytesRecorded += static_cast<DWORD>(n);
      done += n;
      if (head->dwBytesRecorded >= head->dwBufferLength) Complete();
    }
    bytes_ += done;
    return done;
  }

 private:
  void Complete() {
    WAVEHDR* head = queue_.front();
    queue_.pop_front();
    offset_ = 0;
    head->dwFlags &= ~WHDR_INQUEUE;
    head->dwFlags |= WHDR_DONE;
    Notice(capture_ ? MM_WIM_DATA : MM_WOM_DONE, reinterpret_cast<DWORD_PTR>(head));
  }

  // A header of no bytes is done as soon as playing reaches it.
  void CompleteEmptyHeads() {
    while (!paused_ && !queue_.empty() && queue_.front()->dwBufferLength == 0) Complete();
  }

  void ReturnAll() {
    while (!queue_.empty()) Complete();
  }

  bool capture_;
  WAVEFORMATEX format_{};
  WaveNoticeTarget target_;
  std::recursive_mutex lock_;
  std::deque<WAVEHDR*> queue_;
  std::size_t offset_ = 0;  // bytes of the head header already played
  ULONGLONG bytes_ = 0;     // bytes played or captured since open or reset
  bool paused_ = false;
  void* handle_;
  std::unique_ptr<BackendStream> stream_;
};

// Open devices by handle, so that a stale or foreign handle is refused
// rather than followed.
std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}
std::map<void*, std::shared_ptr<WaveDevice>>& Registry() {
  static std::map<void*, std::shared_ptr<WaveDevice>> devices;
  return devices;
}

std::shared_ptr<WaveDevice> Find(void* handle, bool capture) {
  std::lock_guard<std::mutex> hold(RegistryLock());
  auto it = Registry().find(handle);
  if (it == Registry().end() || it->second->capture() != capture) return nullptr;
  return it->second;
}

void CopyName(CHAR* field, const std::string& name) {
  std::size_t n = std::min<std::size_t>(name.size(), MAXPNAMELEN - 1);
  std::memcpy(field, name.data(), n);
  field[n] = 0;
}

MMRESULT GetCaps(bool capture, UINT_PTR id, BackendDevice* device) {
  AudioBackend& backend = CurrentAudioBackend();
  if (id == WAVE_MAPPER || id == static_cast<UINT_PTR>(-1)) {
    return backend.MapperDevice(capture, device) ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
  }
  if (id >= backend.DeviceCount(capture)) return MMSYSERR_BADDEVICEID;
  return backend.Device(capture, static_cast<UINT>(id), device) ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}

MMRESULT Open(bool capture, void** handle, UINT id, const WAVEFORMATEX* format, DWORD_PTR callback,
              DWORD_PTR instance, DWORD flags) {
  if (format == nullptr) return MMSYSERR_INVALPARAM;
  bool query = (flags & WAVE_FORMAT_QUERY) != 0;
  if (!query && handle == nullptr) return MMSYSERR_INVALPARAM;
  if (!query) *handle = nullptr;
  AudioBackend& backend = CurrentAudioBackend();
  UINT count = backend.DeviceCount(capture);
  if (id == WAVE_MAPPER) {
    if (count == 0) return MMSYSERR_NODRIVER;
  } else if (id >= count) {
    return MMSYSERR_BADDEVICEID;
  }
  // The mapper takes the first device that accepts the format.
  UINT target = id;
  if (id == WAVE_MAPPER) {
    for (UINT i = 0; i < count; ++i) {
      if (backend.Supports(capture, i, *format)) {
        target = i;
        break;
      }
    }
    if (target == WAVE_MAPPER) return WAVERR_BADFORMAT;
  } else if (!backend.Supports(capture, id, *format)) {
    return WAVERR_BADFORMAT;
  }
  if (query) return MMSYSERR_NOERROR;

  MMRESULT checked = CheckNoticeTarget(flags, callback);
  if (checked != MMSYSERR_NOERROR) return checked;
  WaveNoticeTarget notices = MakeNoticeTarget(flags, callback, instance);

  auto device = std::make_shared<WaveDevice>(capture, *format, notices);
  // Input waits for waveInStart; output plays as soon as headers arrive.
  if (capture) device->SetPaused(true);
  MMRESULT error = MMSYSERR_NOERROR;
  std::unique_ptr<BackendStream> stream = backend.Open(capture, target, *format, device.get(), &error);
  if (!stream) return error != MMSYSERR_NOERROR ? error : MMSYSERR_ALLOCATED;
  device->Attach(std::move(stream));
  {
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry()[device->handle()] = device;
  }
  *handle = device->handle();
  device->Notice(capture ? MM_WIM_OPEN : MM_WOM_OPEN, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT Close(void* handle, bool capture) {
  std::shared_ptr<WaveDevice> device = Find(handle, capture);
  if (!device) return MMSYSERR_INVALHANDLE;
  {
    // Checked and unlisted in one step, so that no header slips in between.
    std::lock_guard<std::recursive_mutex> busy(device->lock());
    if (device->Busy()) return WAVERR_STILLPLAYING;
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry().erase(handle);
  }
  device->Detach();
  device->Notice(capture ? MM_WIM_CLOSE : MM_WOM_CLOSE, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT Prepare(void* handle, bool capture, WAVEHDR* header, UINT size) {
  std::shared_ptr<WaveDevice> device = Find(handle, capture);
  if (!device) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (header->lpData == nullptr && header->dwBufferLength > 0) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::recursive_mutex> hold(device->lock());
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT Unprepare(void* handle, bool capture, WAVEHDR* header, UINT size) {
  std::shared_ptr<WaveDevice> device = Find(handle, capture);
  if (!device) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::recursive_mutex> hold(device->lock());
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT Queue(void* handle, bool capture, WAVEHDR* header, UINT size) {
  std::shared_ptr<WaveDevice> device = Find(handle, capture);
  if (!device) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (header->lpData == nullptr && header->dwBufferLength > 0) return MMSYSERR_INVALPARAM;
  return device->Queue(header);
}

MMRESULT Position(void* handle, bool capture, MMTIME* time, UINT size) {
  std::shared_ptr<WaveDevice> device = Find(handle, capture);
  if (!device) return MMSYSERR_INVALHANDLE;
  if (time == nullptr || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  ULONGLONG bytes = device->Position();
  const WAVEFORMATEX& format = device->format();
  ULONGLONG frames = format.nBlockAlign ? bytes / format.nBlockAlign : 0;
  switch (time->wType) {
    case TIME_MS:
      time->u.ms = static_cast<DWORD>(format.nSamplesPerSec ? frames * 1000 / format.nSamplesPerSec : 0);
      break;
    case TIME_SAMPLES:
      time->u.sample = static_cast<DWORD>(frames);
      break;
    default:
      // Units the devices do not keep are answered in bytes, as the type says.
      time->wType = TIME_BYTES;
      time->u.cb = static_cast<DWORD>(bytes);
      break;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT ErrorText(MMRESULT error, LPSTR text, UINT size) {
  if (text == nullptr || size == 0) return MMSYSERR_INVALPARAM;
  const char* message = nullptr;
  switch (error) {
    case MMSYSERR_NOERROR:
      message = "No error.";
      break;
    case MMSYSERR_ERROR:
      message = "The sound device reported an unspecified error.";
      break;
    case MMSYSERR_BADDEVICEID:
      message = "The sound device number is out of range.";
      break;
    case MMSYSERR_NOTENABLED:
      message = "The sound driver is not enabled.";
      break;
    case MMSYSERR_ALLOCATED:
      message = "The sound device is already in use by another program.";
      break;
    case MMSYSERR_INVALHANDLE:
      message = "The sound device handle is not valid.";
      break;
    case MMSYSERR_NODRIVER:
      message = "No sound device is installed.";
      break;
    case MMSYSERR_NOMEM:
      message = "There is not enough memory for the sound device.";
      break;
    case MMSYSERR_NOTSUPPORTED:
      message = "The sound device does not support this function.";
      break;
    case MMSYSERR_BADERRNUM:
      message = "The error number is not known.";
      break;
    case MMSYSERR_INVALFLAG:
      message = "A flag passed to the sound device is not valid.";
      break;
    case MMSYSERR_INVALPARAM:
      message = "A parameter passed to the sound device is not valid.";
      break;
    case MMSYSERR_HANDLEBUSY:
      message = "The sound device handle is busy on another thread.";
      break;
    case WAVERR_BADFORMAT:
      message = "The sound device does not support this wave format.";
      break;
    case WAVERR_STILLPLAYING:
      message = "The sound device still holds queued buffers.";
      break;
    case WAVERR_UNPREPARED:
      message = "The wave buffer has not been prepared.";
      break;
    case WAVERR_SYNC:
      message = "The sound device is synchronous and cannot do this.";
      break;
    default:
      break;
  }
  if (message == nullptr) {
    text[0] = 0;
    return MMSYSERR_BADERRNUM;
  }
  std::size_t n = std::min<std::size_t>(std::strlen(message), size - 1);
  std::memcpy(text, message, n);
  text[n] = 0;
  return MMSYSERR_NOERROR;
}

template <class Caps>
MMRESULT FillCaps(bool capture, UINT_PTR id, Caps* caps, UINT size) {
  if (caps == nullptr || size < sizeof(Caps)) return MMSYSERR_INVALPARAM;
  BackendDevice device;
  MMRESULT result = GetCaps(capture, id, &device);
  if (result != MMSYSERR_NOERROR) return result;
  *caps = Caps{};
  caps->vDriverVersion = 0x0100;
  CopyName(caps->szPname, device.name);
  caps->wChannels = device.channels;
  return MMSYSERR_NOERROR;
}

}  // namespace

bool IsPlainWaveFormat(const WAVEFORMATEX& f) {
  if (f.nChannels < 1 || f.nChannels > 8) return false;
  if (f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 768000) return false;
  if (f.nBlockAlign % f.nChannels != 0) return false;
  DWORD container = f.nBlockAlign / f.nChannels;
  if (f.wFormatTag == WAVE_FORMAT_PCM) {
    // Whole bytes, or 20 bits in 3 and 24 bits in 4.
    bool whole = (f.wBitsPerSample == 8 || f.wBitsPerSample == 16 || f.wBitsPerSample == 24 ||
                  f.wBitsPerSample == 32) &&
                 container * 8 == f.wBitsPerSample;
    bool padded = (f.wBitsPerSample == 20 && container == 3) || (f.wBitsPerSample == 24 && container == 4);
    if (!whole && !padded) return false;
  } else if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
    if (f.wBitsPerSample != 32 || container != 4) return false;
  } else {
    return false;
  }
  return f.nAvgBytesPerSec == f.nBlockAlign * f.nSamplesPerSec;
}

UINT waveOutGetNumDevs() {
  return CurrentAudioBackend().DeviceCount(false);
}
UINT waveInGetNumDevs() {
  return CurrentAudioBackend().DeviceCount(true);
}

MMRESULT waveOutGetDevCaps(UINT_PTR deviceId, LPWAVEOUTCAPS caps, UINT capsSize) {
  return FillCaps(false, deviceId, caps, capsSize);
}
MMRESULT waveInGetDevCaps(UINT_PTR deviceId, LPWAVEINCAPS caps, UINT capsSize) {
  return FillCaps(true, deviceId, caps, capsSize);
}

MMRESULT waveOutOpen(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags) {
  return Open(false, reinterpret_cast<void**>(handle), deviceId, format, callback, instance, flags);
}
MMRESULT waveInOpen(LPHWAVEIN handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                    DWORD_PTR instance, DWORD flags) {
  return Open(true, reinterpret_cast<void**>(handle), deviceId, format, callback, instance, flags);
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
  return Close(hwo, false);
}
MMRESULT waveInClose(HWAVEIN hwi) {
  return Close(hwi, true);
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT size) {
  return Prepare(hwo, false, header, size);
}
MMRESULT waveInPrepareHeader(HWAVEIN hwi, LPWAVEHDR header, UINT size) {
  return Prepare(hwi, true, header, size);
}
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT size) {
  return Unprepare(hwo, false, header, size);
}
MMRESULT waveInUnprepareHeader(HWAVEIN hwi, LPWAVEHDR header, UINT size) {
  return Unprepare(hwi, true, header, size);
}
MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR header, UINT size) {
  return Queue(hwo, false, header, size);
}
MMRESULT waveInAddBuffer(HWAVEIN hwi, LPWAVEHDR header, UINT size) {
  return Queue(hwi, true, header, size);
}

MMRESULT waveOutPause(HWAVEOUT hwo) {
  std::shared_ptr<WaveDevice> device = Find(hwo, false);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->SetPaused(true);
  return MMSYSERR_NOERROR;
}
MMRESULT waveOutRestart(HWAVEOUT hwo) {
  std::shared_ptr<WaveDevice> device = Find(hwo, false);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->SetPaused(false);
  return MMSYSERR_NOERROR;
}
MMRESULT waveOutReset(HWAVEOUT hwo) {
  std::shared_ptr<WaveDevice> device = Find(hwo, false);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->Reset();
  return MMSYSERR_NOERROR;
}
MMRESULT waveInStart(HWAVEIN hwi) {
  std::shared_ptr<WaveDevice> device = Find(hwi, true);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->SetPaused(false);
  return MMSYSERR_NOERROR;
}
MMRESULT waveInStop(HWAVEIN hwi) {
  std::shared_ptr<WaveDevice> device = Find(hwi, true);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->StopCapture();
  return MMSYSERR_NOERROR;
}
MMRESULT waveInReset(HWAVEIN hwi) {
  std::shared_ptr<WaveDevice> device = Find(hwi, true);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->Reset();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT hwo, LPMMTIME time, UINT size) {
  return Position(hwo, false, time, size);
}
MMRESULT waveInGetPosition(HWAVEIN hwi, LPMMTIME time, UINT size) {
  return Position(hwi, true, time, size);
}

MMRESULT waveOutGetErrorText(MMRESULT error, LPSTR text, UINT size) {
  return ErrorText(error, text, size);
}
MMRESULT waveInGetErrorText(MMRESULT error, LPSTR text, UINT size) {
  return ErrorText(error, text, size);
}
