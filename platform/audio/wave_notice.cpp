#include "platform/audio/wave_notice.h"

#include "platform/core/message_queue.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"

MMRESULT CheckNoticeTarget(DWORD flags, DWORD_PTR callback) {
  switch (flags & CALLBACK_TYPEMASK) {
    case CALLBACK_NULL:
      return MMSYSERR_NOERROR;
    case CALLBACK_WINDOW:
    case CALLBACK_THREAD:
    case CALLBACK_FUNCTION:
    case CALLBACK_EVENT:
      return callback != 0 ? MMSYSERR_NOERROR : MMSYSERR_INVALPARAM;
    default:
      return MMSYSERR_INVALFLAG;
  }
}

WaveNoticeTarget MakeNoticeTarget(DWORD flags, DWORD_PTR callback, DWORD_PTR instance) {
  WaveNoticeTarget target;
  target.kind = flags & CALLBACK_TYPEMASK;
  target.callback = callback;
  target.instance = instance;
  target.thread = GetCurrentThreadId();
  return target;
}

void SendWaveNotice(const WaveNoticeTarget& target, void* handle, UINT message, DWORD_PTR param) {
  WPARAM wParam = reinterpret_cast<WPARAM>(handle);
  LPARAM lParam = static_cast<LPARAM>(param);
  switch (target.kind) {
    case CALLBACK_THREAD:
      PostThreadMessage(static_cast<DWORD>(target.callback), message, wParam, lParam);
      break;
    case CALLBACK_WINDOW:
      // The window belongs to the thread that opened the device.
      PostQueueMessage(target.thread, reinterpret_cast<HWND>(target.callback), message, wParam, lParam);
      break;
    case CALLBACK_FUNCTION: {
      // A function takes the device handle as it was opened: in or out.
      auto proc = reinterpret_cast<WAVEOUTPROC>(target.callback);
      proc(static_cast<HWAVEOUT>(handle), message, target.instance, param, 0);
      break;
    }
    case CALLBACK_EVENT:
      SetEvent(reinterpret_cast<HANDLE>(target.callback));
      break;
    default:
      break;
  }
}
