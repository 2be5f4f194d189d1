// One open MIDI stream: its queue of buffers, its clock and the thread that
// plays each record when it falls due. Used by midi_out.cpp only.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/audio/midi_backend.h"
#include "platform/audio/wave_notice.h"

class MidiStream {
 public:
  MidiStream(std::unique_ptr<MidiPort> port, const WaveNoticeTarget& target);
  // Closes first when the caller did not.
  ~MidiStream();
  MidiStream(const MidiStream&) = delete;
  MidiStream& operator=(const MidiStream&) = delete;

  void* handle() { return this; }
  void Notice(UINT message, DWORD_PTR param);

  MMRESULT Prepare(MIDIHDR* header);
  MMRESULT Unprepare(MIDIHDR* header);
  MMRESULT Out(MIDIHDR* header);
  MMRESULT Restart();
  MMRESULT Stop();
  MMRESULT Position(MMTIME* time);
  MMRESULT Property(BYTE* property, DWORD flags);
  // Hands back the queue, silences the port and ends the thread; the port
  // is closed when this returns.
  void Close();

 private:
  void Run();
  // Under lock_: plays what is due; returns the ms to wait for the next record.
  DWORD PlayDue();
  void Play(DWORD event, const BYTE* bytes, ULONGLONG dueUs);
  void Complete();  // under lock_: the head buffer is done
  ULONGLONG NowUs() const;
  void Rebase();

  std::mutex lock_;
  std::unique_ptr<MidiPort> port_;
  WaveNoticeTarget target_;
  HANDLE wake_ = nullptr;
  std::thread thread_;
  bool quit_ = false;
  bool closed_ = false;
  std::deque<MIDIHDR*> queue_;

  DWORD division_ = 96;
  DWORD tempo_ = 500000;
  // The clock: time played before the current run, and where the run began.
  bool running_ = false;
  ULONGLONG pausedUs_ = 0;
  DWORD runStartMs_ = 0;
  // The time of the last record played: baseUs_ + scaled_ / division_, where
  // scaled_ sums delta x tempo, so that tempo changes keep exact time.
  ULONGLONG baseUs_ = 0;
  ULONGLONG scaled_ = 0;
  ULONGLONG ticks_ = 0;
};
