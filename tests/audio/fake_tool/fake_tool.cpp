#include "fake_tool.h"

#include "platform/midistrm/midistrm.h"

namespace {
FakeToolScript* g_script = nullptr;
}

extern "C" __attribute__((visibility("default"))) int _TOOLDLLENTRY(int command, void* argument) {
  if (command == kFakeToolAttach) {
    g_script = static_cast<FakeToolScript*>(argument);
    return 0;
  }
  if (g_script == nullptr) return MMSYSERR_ERROR;
  FakeToolCall call;
  call.command = command;
  switch (command) {
    case kToolOpenStream: {
      const auto* open = static_cast<const MidiToolOpen*>(argument);
      call.deviceId = open->deviceId;
      call.window = open->window;
      break;
    }
    case kToolOut: {
      const auto* header = static_cast<const MIDIHDR*>(argument);
      call.bytes.assign(header->lpData, header->lpData + header->dwBytesRecorded);
      break;
    }
    case kToolTimeDivision:
    case kToolTempo:
      call.value = static_cast<const MIDIPROPTEMPO*>(argument)->dwTempo;
      break;
    default:
      break;
  }
  g_script->calls.push_back(call);
  if (command == g_script->failCommand) return g_script->failResult;
  return command == kToolPosition ? g_script->position : 0;
}
