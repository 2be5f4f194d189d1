#include "platform/audio/midi_stream.h"

#include <cstring>

#include "platform/core/sync.h"
#include "platform/core/time.h"

namespace {

// An idle stream still waits with a time-out, so that it always counts as a
// waiter of a driven clock (WaitForDrivenWaiters) once it has nothing due.
constexpr DWORD kIdleWaitMs = 1000;

DWORD ReadDword(const BYTE* p) {
  DWORD v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

MidiStream::MidiStream(std::unique_ptr<MidiPort> port, const WaveNoticeTarget& target)
    : port_(std::move(port)), target_(target) {
  wake_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  thread_ = std::thread([this] { Run(); });
}

MidiStream::~MidiStream() {
  Close();
  if (wake_ != nullptr) CloseHandle(wake_);
}

void MidiStream::Notice(UINT message, DWORD_PTR param) {
  SendWaveNotice(target_, handle(), message, param);
}

ULONGLONG MidiStream::NowUs() const {
  if (!running_) return pausedUs_;
  const DWORD elapsed = CurrentTime() - runStartMs_;
  return pausedUs_ + ULONGLONG{elapsed} * 1000;
}

void MidiStream::Rebase() {
  // Keeps scaled_ small whatever the deltas, without losing a microsecond.
  if (scaled_ < (ULONGLONG{1} << 40)) return;
  baseUs_ += scaled_ / division_;
  scaled_ %= division_;
}

void MidiStream::Run() {
  for (;;) {
    DWORD wait;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (quit_) return;
      wait = PlayDue();
    }
    WaitForSingleObject(wake_, wait);
  }
}

DWORD MidiStream::PlayDue() {
  while (running_ && !queue_.empty()) {
    MIDIHDR* head = queue_.front();
    const DWORD used = head->dwBytesRecorded;
    if (head->dwOffset >= used || used - head->dwOffset < kMidiEventBytes) {
      Complete();
      continue;
    }
    const BYTE* record = reinterpret_cast<const BYTE*>(head->lpData) + head->dwOffset;
    const DWORD delta = ReadDword(record);
    const DWORD event = ReadDword(record + 8);
    DWORD size = kMidiEventBytes;
    if (event & MEVT_F_LONG) {
      const DWORD padded = (MEVT_EVENTPARM(event) + 3) & ~DWORD{3};
      if (padded > used - head->dwOffset - kMidiEventBytes) {
        // The message runs past the buffer: nothing more of it is played.
        Complete();
        continue;
      }
      size += padded;
    }
    const ULONGLONG step = ULONGLONG{delta} * tempo_;
    const ULONGLONG due = baseUs_ + (scaled_ + step) / division_;
    const ULONGLONG now = NowUs();
    if (due > now) {
      const ULONGLONG ms = (due - now + 999) / 1000;
      return ms < kIdleWaitMs ? static_cast<DWORD>(ms) : kIdleWaitMs;
    }
    scaled_ += step;
    ticks_ += delta;
    Rebase();
    Play(event, record + kMidiEventBytes, due);
    head->dwOffset += size;
    if (head->dwOffset >= used) Complete();
  }
  return kIdleWaitMs;
}

void MidiStream::Play(DWORD event, const BYTE* bytes, ULONGLONG dueUs) {
  if (event & MEVT_F_LONG) {
    if (MEVT_EVENTTYPE(event) == MEVT_LONGMSG) port_->Long(bytes, MEVT_EVENTPARM(event), dueUs);
    return;
  }
  // The callback flag asks for a notice this stream does not send.
  switch (MEVT_EVENTTYPE(event) & 0x3F) {
    case MEVT_SHORTMSG:
      port_->Short(MEVT_EVENTPARM(event), dueUs);
      break;
    case MEVT_TEMPO:
      if (MEVT_EVENTPARM(event) != 0) tempo_ = MEVT_EVENTPARM(event);
      break;
    default:
      break;
  }
}

void MidiStream::Complete() {
  MIDIHDR* head = queue_.front();
  queue_.pop_front();
  head->dwFlags &= ~MHDR_INQUEUE;
  head->dwFlags |= MHDR_DONE;
  Notice(MM_MOM_DONE, reinterpret_cast<DWORD_PTR>(head));
}

MMRESULT MidiStream::Prepare(MIDIHDR* header) {
  std::lock_guard<std::mutex> hold(lock_);
  if (header->lpData == nullptr && header->dwBufferLength > 0) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags |= MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Unprepare(MIDIHDR* header) {
  std::lock_guard<std::mutex> hold(lock_);
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Out(MIDIHDR* header) {
  std::lock_guard<std::mutex> hold(lock_);
  if (closed_) return MMSYSERR_INVALHANDLE;
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (header->dwBytesRecorded > header->dwBufferLength) return MMSYSERR_INVALPARAM;
  if (header->lpData == nullptr && header->dwBytesRecorded > 0) return MMSYSERR_INVALPARAM;
  header->dwOffset = 0;
  header->dwFlags &= ~MHDR_DONE;
  header->dwFlags |= MHDR_INQUEUE;
  header->lpNext = nullptr;
  queue_.push_back(header);
  SetEvent(wake_);
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Restart() {
  std::lock_guard<std::mutex> hold(lock_);
  if (!running_) {
    runStartMs_ = CurrentTime();
    running_ = true;
  }
  SetEvent(wake_);
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Stop() {
  std::lock_guard<std::mutex> hold(lock_);
  running_ = false;
  port_->Silence();
  while (!queue_.empty()) Complete();
  pausedUs_ = 0;
  baseUs_ = 0;
  scaled_ = 0;
  ticks_ = 0;
  SetEvent(wake_);
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Position(MMTIME* time) {
  std::lock_guard<std::mutex> hold(lock_);
  if (time->wType == TIME_TICKS) {
    time->u.ticks = static_cast<DWORD>(ticks_);
  } else {
    time->wType = TIME_MS;
    time->u.ms = static_cast<DWORD>(NowUs() / 1000);
  }
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Property(BYTE* property, DWORD flags) {
  const bool set = (flags & MIDIPROP_SET) != 0;
  const bool get = (flags & MIDIPROP_GET) != 0;
  const DWORD which = flags & ~(MIDIPROP_SET | MIDIPROP_GET);
  if (property == nullptr || set == get) return MMSYSERR_INVALPARAM;
  if (which != MIDIPROP_TIMEDIV && which != MIDIPROP_TEMPO) return MMSYSERR_INVALPARAM;
  if (ReadDword(property) != sizeof(MIDIPROPTIMEDIV)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> hold(lock_);
  DWORD& value = which == MIDIPROP_TIMEDIV ? division_ : tempo_;
  if (get) {
    std::memcpy(property + 4, &value, sizeof value);
    return MMSYSERR_NOERROR;
  }
  const DWORD wanted = ReadDword(property + 4);
  if (which == MIDIPROP_TIMEDIV) {
    // Ticks per quarter note only; SMPTE divisions are not kept here.
    if (wanted == 0 || wanted > 0x7FFF) return MMSYSERR_INVALPARAM;
    if (running_) return MIDIERR_NOTREADY;
    baseUs_ += scaled_ / division_;
    scaled_ = 0;
  } else if (wanted == 0 || wanted > 0xFFFFFF) {
    return MMSYSERR_INVALPARAM;
  }
  value = wanted;
  return MMSYSERR_NOERROR;
}

void MidiStream::Close() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_) return;
    closed_ = true;
    quit_ = true;
    running_ = false;
    port_->Silence();
    while (!queue_.empty()) Complete();
  }
  SetEvent(wake_);
  if (thread_.joinable()) thread_.join();
  port_.reset();
  Notice(MM_MOM_CLOSE, 0);
}
