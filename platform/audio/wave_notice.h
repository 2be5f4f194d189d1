// Where a device sends its notices: a thread, a window, a function or an
// event, as the opener asked.
#pragma once

#include "platform/audio/wave.h"

struct WaveNoticeTarget {
  DWORD kind = CALLBACK_NULL;  // one of the CALLBACK_* kinds
  DWORD_PTR callback = 0;      // thread id, window, function or event
  DWORD_PTR instance = 0;      // passed to a callback function
  DWORD thread = 0;            // the opener's thread, which owns a target window
};

// Checks the callback flags of an open; MMSYSERR_INVALFLAG or INVALPARAM when
// they cannot be served.
MMRESULT CheckNoticeTarget(DWORD flags, DWORD_PTR callback);

// The target of an open with these flags, made on the opener's thread.
WaveNoticeTarget MakeNoticeTarget(DWORD flags, DWORD_PTR callback, DWORD_PTR instance);

// Sends one notice; handle is the device handle, param the header or 0.
// Threads and windows get it posted to their queue (a window's queue is its
// opener's thread's); a function is called on the device's own thread (it
// must not call the wave functions); an event is set.
void SendWaveNotice(const WaveNoticeTarget& target, void* handle, UINT message, DWORD_PTR param);
