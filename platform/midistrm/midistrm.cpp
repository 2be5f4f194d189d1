#include "platform/midistrm/midistrm.h"

namespace {

// One stream at a time: the program shares the library by name.
HMIDISTRM g_stream = nullptr;

int Run(int command, void* argument) {
  switch (command) {
    case kToolOpenStream: {
      auto* open = static_cast<MidiToolOpen*>(argument);
      if (open == nullptr) return MMSYSERR_INVALPARAM;
      if (g_stream != nullptr) return MMSYSERR_ALLOCATED;
      UINT device = static_cast<UINT>(open->deviceId);
      return static_cast<int>(midiStreamOpen(&g_stream, &device, 1, reinterpret_cast<DWORD_PTR>(open->window),
                                             0, open->window != nullptr ? CALLBACK_WINDOW : CALLBACK_NULL));
    }
    case kToolCloseStream: {
      if (g_stream == nullptr) return MMSYSERR_NOERROR;
      MMRESULT result = midiStreamClose(g_stream);
      g_stream = nullptr;
      return static_cast<int>(result);
    }
    case kToolPrepare:
      return static_cast<int>(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(g_stream),
                                                   static_cast<MIDIHDR*>(argument), sizeof(MIDIHDR)));
    case kToolUnprepare:
      return static_cast<int>(midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(g_stream),
                                                     static_cast<MIDIHDR*>(argument), sizeof(MIDIHDR)));
    case kToolOut:
      return static_cast<int>(midiStreamOut(g_stream, static_cast<MIDIHDR*>(argument), sizeof(MIDIHDR)));
    case kToolRestart:
      return static_cast<int>(midiStreamRestart(g_stream));
    case kToolStop:
      return static_cast<int>(midiStreamStop(g_stream));
    case kToolPosition: {
      MMTIME time;
      time.wType = TIME_MS;
      if (g_stream == nullptr || midiStreamPosition(g_stream, &time, sizeof time) != MMSYSERR_NOERROR)
        return -1;
      return static_cast<int>(time.u.ms & 0x7FFFFFFF);
    }
    case kToolTimeDivision:
      return static_cast<int>(
          midiStreamProperty(g_stream, static_cast<LPBYTE>(argument), MIDIPROP_SET | MIDIPROP_TIMEDIV));
    case kToolTempo:
      return static_cast<int>(
          midiStreamProperty(g_stream, static_cast<LPBYTE>(argument), MIDIPROP_SET | MIDIPROP_TEMPO));
    default:
      return MMSYSERR_NOTSUPPORTED;
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int _TOOLDLLENTRY(int command, void* argument) {
  return Run(command, argument);
}
