// "sequencer": a standard MIDI file played as a MIDI stream on a MIDI
// output, its buffers filled again as the stream hands them back.
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/audio/midi.h"
#include "platform/core/handle.h"
#include "platform/core/sync.h"
#include "platform/mci/mci_device.h"
#include "platform/mci/midi_file.h"

namespace mci {
namespace {

constexpr int kBuffers = 4;
constexpr size_t kBufferBytes = 4096;
// Files larger than this are no MIDI files a sequencer plays.
constexpr std::streamoff kLargestFile = 64 << 20;

void PutDword(std::vector<char>& buffer, size_t at, DWORD v) {
  std::memcpy(buffer.data() + at, &v, sizeof v);
}

class Sequencer : public Device {
 public:
  Sequencer(MidiFileData data, UINT port) : data_(std::move(data)), port_(port) {}
  ~Sequencer() override {
    Stop();
    if (wake_ != nullptr) CloseHandle(wake_);
  }

  MCIERROR Init() {
    wake_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    return wake_ != nullptr ? 0 : MCIERR_OUT_OF_MEMORY;
  }

  MCIERROR Play(std::function<void(bool)> ended) override {
    if (running_) return 0;
    Stop();
    UINT device = port_;
    const MMRESULT opened =
        midiStreamOpen(&stream_, &device, 1, reinterpret_cast<DWORD_PTR>(wake_), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
      stream_ = nullptr;
      return opened == MMSYSERR_ALLOCATED ? MCIERR_SEQ_PORT_INUSE : MCIERR_HARDWARE;
    }
    MIDIPROPTIMEDIV division;
    division.dwTimeDiv = data_.division;
    midiStreamProperty(stream_, reinterpret_cast<LPBYTE>(&division), MIDIPROP_SET | MIDIPROP_TIMEDIV);
    buffers_.assign(kBuffers, std::vector<char>(kBufferBytes));
    headers_.assign(kBuffers, MIDIHDR{});
    held_.assign(kBuffers, false);
    for (int i = 0; i < kBuffers; ++i) {
      headers_[i].lpData = buffers_[i].data();
      headers_[i].dwBufferLength = kBufferBytes;
      midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream_), &headers_[i], sizeof(MIDIHDR));
    }
    next_ = 0;
    lastTick_ = 0;
    ended_ = std::move(ended);
    stop_ = false;
    if (!Refill()) {
      CloseStream();
      return MCIERR_HARDWARE;
    }
    midiStreamRestart(stream_);
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return 0;
  }

  bool IsPlaying() const override { return running_; }

  void Stop() override {
    stop_ = true;
    if (wake_ != nullptr) SetEvent(wake_);
    if (thread_.joinable()) thread_.join();
    running_ = false;
    CloseStream();
  }

 private:
  void CloseStream() {
    if (stream_ == nullptr) return;
    midiStreamStop(stream_);
    for (MIDIHDR& h : headers_)
      midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(stream_), &h, sizeof(MIDIHDR));
    midiStreamClose(stream_);
    stream_ = nullptr;
  }

  // Fills one buffer with the records from next_ on; how many bytes.
  DWORD Fill(std::vector<char>& buffer) {
    size_t used = 0;
    while (next_ < data_.events.size()) {
      const MidiFileEvent& e = data_.events[next_];
      const size_t padded = (e.bytes.size() + 3) & ~size_t{3};
      const size_t size = kMidiEventBytes + (e.kind == MidiFileEvent::kLong ? padded : 0);
      if (size > buffer.size()) {
        ++next_;  // a message that no buffer holds is left out
        continue;
      }
      if (used + size > buffer.size()) break;
      const DWORD delta = static_cast<DWORD>(e.tick - lastTick_);
      DWORD event = 0;
      switch (e.kind) {
        case MidiFileEvent::kShort:
          event = (DWORD{MEVT_SHORTMSG} << 24) | (e.value & 0xFFFFFF);
          break;
        case MidiFileEvent::kTempo:
          event = (DWORD{MEVT_TEMPO} << 24) | (e.value & 0xFFFFFF);
          break;
        case MidiFileEvent::kLong:
          event = MEVT_F_LONG | (DWORD{MEVT_LONGMSG} << 24) | static_cast<DWORD>(e.bytes.size());
          break;
      }
      PutDword(buffer, used, delta);
      PutDword(buffer, used + 4, 0);
      PutDword(buffer, used + 8, event);
      if (e.kind == MidiFileEvent::kLong) {
        std::memcpy(buffer.data() + used + kMidiEventBytes, e.bytes.data(), e.bytes.size());
        std::memset(buffer.data() + used + kMidiEventBytes + e.bytes.size(), 0, padded - e.bytes.size());
      }
      used += size;
      lastTick_ = e.tick;
      ++next_;
    }
    return static_cast<DWORD>(used);
  }

  // Whether the stream handed buffer i back. Its flags are the stream's to
  // write while it holds it, so the stream itself answers, under its lock:
  // it refuses to unprepare a buffer it still holds.
  bool Back(size_t i) {
    if (!held_[i]) return true;
    const auto out = reinterpret_cast<HMIDIOUT>(stream_);
    if (midiOutUnprepareHeader(out, &headers_[i], sizeof(MIDIHDR)) != MMSYSERR_NOERROR) return false;
    midiOutPrepareHeader(out, &headers_[i], sizeof(MIDIHDR));
    held_[i] = false;
    return true;
  }

  // Hands every free buffer the next records; false when the stream refuses.
  bool Refill() {
    for (size_t i = 0; i < headers_.size() && next_ < data_.events.size(); ++i) {
      if (!Back(i)) continue;
      MIDIHDR& h = headers_[i];
      const DWORD used = Fill(buffers_[i]);
      if (used == 0) break;
      h.dwBytesRecorded = used;
      held_[i] = true;
      if (midiStreamOut(stream_, &h, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
        held_[i] = false;
        return false;
      }
    }
    return true;
  }

  bool Queued() {
    for (size_t i = 0; i < headers_.size(); ++i) {
      if (!Back(i)) return true;
    }
    return false;
  }

  void Run() {
    bool ok = true;
    while (!stop_) {
      if (!Refill()) {
        ok = false;
        break;
      }
      if (next_ >= data_.events.size() && !Queued()) break;
      WaitForSingleObject(wake_, INFINITE);
    }
    running_ = false;
    if (!stop_ && ended_) ended_(ok);
  }

  MidiFileData data_;
  UINT port_;
  HANDLE wake_ = nullptr;
  HMIDISTRM stream_ = nullptr;
  std::vector<std::vector<char>> buffers_;
  std::vector<MIDIHDR> headers_;
  // Buffers given to the stream and not yet seen back, by index.
  std::vector<bool> held_;
  size_t next_ = 0;
  uint64_t lastTick_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::function<void(bool)> ended_;
};

}  // namespace

std::unique_ptr<Device> OpenSequencer(const std::string& path, UINT port, MCIERROR* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = MCIERR_FILE_NOT_FOUND;
    return nullptr;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size <= 0 || size > kLargestFile) {
    *error = MCIERR_INVALID_FILE;
    return nullptr;
  }
  file.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  MidiFileData data;
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size) ||
      !ParseMidiFile(bytes.data(), bytes.size(), &data)) {
    *error = MCIERR_INVALID_FILE;
    return nullptr;
  }
  auto device = std::make_unique<Sequencer>(std::move(data), port);
  *error = device->Init();
  if (*error != 0) return nullptr;
  return device;
}

}  // namespace mci
