// Where a device sends its notices: a thread, a window, a function or an
// event, as the opener asked.
#pragma once

#include "platform/audio/wave.h"

struct WaveNoticeTarget {
  DWORD kind = CALLBACK_NULL;  // one of the CALLBACK_* kinds
  DWORD_PTR callback = 0;      // thread id, window, function or event
  DWORD_PTR instance = 0;      // passed to a callback function
};

// Checks the callback flags of an open; MMSYSERR_INVALFLAG or INVALPARAM when
// they cannot be served.
MMRESULT CheckNoticeTarget(DWORD flags, DWORD_PTR callback);

// Sends one notice; handle is the device handle, param the header or 0.
// Threads and windows get it posted to their queue; a function is called on
// the device's own thread (it must not call the wave functions); an event is
// set.
void SendWaveNotice(const WaveNoticeTarget& target, void* handle, UINT message, DWORD_PTR param);
