#include "audio/midi_player.h"

#include <new>
#include <string>

#include "audio/midi_data.h"
#include "audio/tool_dll.h"
#include "model/film.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "platform/core/message_queue.h"
#include "platform/core/threads.h"
#include "platform/gui/controls/combobox.h"
#include "platform/gui/user.h"
#include "platform/midistrm/midistrm.h"

namespace {

constexpr const char* kToolName = "MIDISTRM.DLL";
constexpr int32_t kMapperEntry = 0xFF;

}  // namespace

struct MidiPlayer::Buffer {
  MIDIHDR header;
  BYTE data[kBufferBytes];
};

MidiPlayer::MidiPlayer() : MidiPlayer(ToolDLL::GetOrLoad(kToolName, kToolName, kToolName, nullptr)) {}

MidiPlayer::MidiPlayer(ToolDLL* givenTool) : tool(givenTool) {
  if (tool == nullptr) return;
  IniSetSection("MIDI");
  timePeriod = IniReadInt("TIMEPERIOD", 2);
  deviceId = IniReadInt("MIDIID", -1);
  settingsRead = true;
  CheckDevice();
}

MidiPlayer::~MidiPlayer() {
  // The stream closes through the tool, so before the tool goes.
  CloseStream();
  if (tool != nullptr) tool->Release();
  // Without a tool nothing was read: the stored settings stay as they are.
  if (settingsRead) {
    IniSetSection("MIDI");
    IniWriteInt("TIMEPERIOD", timePeriod);
    IniWriteInt("MIDIID", deviceId);
  }
}

bool MidiPlayer::Command(int command, void* argument, const char* caption, HWND boxOwner) {
  if (tool == nullptr) return false;
  const int result = tool->Call(command, argument);
  if (result == 0) return true;
  if (caption != nullptr) {
    char text[MAXERRORLENGTH] = {};
    midiOutGetErrorText(static_cast<MMRESULT>(result), text, sizeof text);
    std::string shown = text[0] != '\0' ? std::string(text) : FormatText("MIDI error %d", result);
    ShowMessageText(boxOwner, caption, MB_ICONSTOP, shown);
  }
  return false;
}

void MidiPlayer::CheckDevice() {
  MIDIOUTCAPS caps;
  usable = midiOutGetDevCaps(static_cast<UINT>(deviceId), &caps, sizeof caps) == MMSYSERR_NOERROR &&
           (caps.dwSupport & MIDICAPS_STREAM) != 0;
  state = usable ? kReady : kNotUsable;
}

void MidiPlayer::FillDeviceList(HWND comboBox) {
  SendMessage(comboBox, CB_RESETCONTENT, 0, 0);
  deviceCount = 0;
  int selected = -1;
  auto add = [&](const MIDIOUTCAPS& caps, int32_t entry, bool current) {
    SendMessage(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caps.szPname));
    if (current) selected = deviceCount;
    devices[deviceCount++] = entry;
  };
  MIDIOUTCAPS caps;
  if (midiOutGetDevCaps(MIDI_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR &&
      (caps.dwSupport & MIDICAPS_STREAM))
    add(caps, kMapperEntry, deviceId == -1);
  const UINT count = midiOutGetNumDevs();
  for (UINT i = 0; i < count && deviceCount < kMaxDevices; ++i) {
    if (midiOutGetDevCaps(i, &caps, sizeof caps) == MMSYSERR_NOERROR && (caps.dwSupport & MIDICAPS_STREAM))
      add(caps, static_cast<int32_t>(i), deviceId == static_cast<int32_t>(i));
  }
  if (selected >= 0) SendMessage(comboBox, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void MidiPlayer::SelectDevice(int32_t index) {
  if (index < 0 || index >= deviceCount) return;
  // The list keeps the mapper as 0xFF.
  deviceId = devices[index] == kMapperEntry ? -1 : devices[index];
  CheckDevice();
}

bool MidiPlayer::AllocBuffers() {
  for (Buffer*& b : buffers) {
    b = new (std::nothrow) Buffer;
    if (b == nullptr) {
      ErrorBox(owner, kErrNoMemory, "midiOutPrepareHeader", static_cast<int32_t>(sizeof(Buffer)));
      FreeBuffers();
      return false;
    }
    b->header = MIDIHDR{};
    b->header.lpData = reinterpret_cast<LPSTR>(b->data);
    b->header.dwBufferLength = kBufferBytes;
    b->header.dwFlags = MHDR_ISSTRM;
    if (!Command(kToolPrepare, &b->header, "midiOutPrepareHeader", owner)) {
      delete b;
      b = nullptr;
      FreeBuffers();
      return false;
    }
  }
  return true;
}

void MidiPlayer::FreeBuffers() {
  for (Buffer*& b : buffers) {
    if (b == nullptr) continue;
    // A buffer the device still holds (after a failed stop) is freed only
    // once the stream is closed. The device refuses to unprepare it then;
    // its flags are the device's to write meanwhile, so they are not read.
    if (!Command(kToolUnprepare, &b->header, nullptr, owner) && streamOpen) continue;
    delete b;
    b = nullptr;
  }
}

void MidiPlayer::CloseStream() {
  FreeBuffers();
  if (streamOpen) {
    Command(kToolCloseStream, nullptr, nullptr, owner);
    // The buffers the closing handed back were posted: they belong to no play now.
    if (owner != nullptr) {
      MSG stale;
      while (PeekMessage(&stale, owner, MM_MOM_DONE, MM_MOM_DONE, PM_REMOVE)) {
      }
    }
  }
  streamOpen = false;
  for (Buffer*& b : buffers) {
    delete b;
    b = nullptr;
  }
  queued = 0;
  state = usable ? kReady : tool != nullptr ? kNotUsable : kNoStream;
  more = false;
}

bool MidiPlayer::OpenStream(HWND window) {
  owner = window;
  if (!usable) {
    state = kNoStream;
    streamOpen = false;
    return false;
  }
  if (state == kRefused) return false;
  CloseStream();
  MidiToolOpen open;
  open.deviceId = deviceId;
  open.window = window;
  if (!Command(kToolOpenStream, &open, "midiStreamOpen", window)) {
    streamOpen = false;
    return false;
  }
  streamOpen = true;
  if (!AllocBuffers()) {
    CloseStream();
    return false;
  }
  state = kReady;
  return true;
}

MidiData* MidiPlayer::MidiOf(const Film* f) {
  return f != nullptr ? dynamic_cast<MidiData*>(f->midi) : nullptr;
}

Film* MidiPlayer::NextMidiFilm(Film* f, int32_t time) {
  for (; f != nullptr; f = f->next)
    if (MidiOf(f) != nullptr && f->end > time) return f;
  return nullptr;
}

void MidiPlayer::RewindFilm(Film* f) {
  const int32_t sourceEnd = f->end > rangeEnd ? f->out - (f->end - rangeEnd) : f->out;
  const int32_t sourceStart = position > f->start ? f->in + (position - f->start) : f->in;
  const int32_t lead = f->start > position ? f->start - position : 0;
  const int32_t level = static_cast<int32_t>(int64_t{f->volume} * volume / 512);
  MidiOf(f)->Rewind(level, lead, sourceStart, sourceEnd, f->tempo);
}

bool MidiPlayer::QueueCurrent(DWORD used, HWND boxOwner) {
  Buffer* b = buffers[current];
  used += static_cast<DWORD>(MidiOf(film)->Fill(b->data + used, static_cast<int32_t>(kBufferBytes - used)));
  b->header.dwBytesRecorded = used;
  return Command(kToolOut, &b->header, "midiStreamOut", boxOwner);
}

bool MidiPlayer::Prepare(Film* films, int32_t start, int32_t end, HWND window, int32_t lineVolume) {
  if (state == kNoStream || state == kRefused || state == kPrepared || state == kPlaying || !usable)
    return false;
  owner = window;
  position = rangeStart = start;
  rangeEnd = end;
  more = false;
  volume = lineVolume;
  film = NextMidiFilm(films, start);
  if (film == nullptr || film->start >= end) {
    film = nullptr;
    return false;
  }
  if (!OpenStream(window)) {
    film = nullptr;
    return false;
  }
  RewindFilm(film);
  MidiData* data = MidiOf(film);
  MIDIPROPTIMEDIV division;
  division.dwTimeDiv = static_cast<DWORD>(data->GetDivision());
  MIDIPROPTEMPO tempo;
  tempo.dwTempo = data->GetInitialTempo();
  bool ok = Command(kToolTimeDivision, &division, "midiStreamProperty", owner) &&
            Command(kToolTempo, &tempo, "midiStreamProperty", owner);
  current = 1;
  // At least one buffer goes out, so that its return ends even an empty play.
  while (ok && queued < 2 && (queued == 0 || data->GetActiveTracks() > 0)) {
    current ^= 1;
    ok = QueueCurrent(0, owner);
    if (ok) ++queued;
  }
  if (!ok) {
    // A refused play leaves no device held.
    CloseStream();
    film = nullptr;
    return false;
  }
  state = kPrepared;
  return true;
}

void MidiPlayer::Start() {
  if (film == nullptr || !streamOpen) return;
  more = true;
  state = kPlaying;
  if (!Command(kToolRestart, nullptr, "midiStreamRestart", owner)) {
    CloseStream();
    more = false;
    state = kNoStream;
  }
}

void MidiPlayer::Stop() {
  more = false;
  // A failed stop still closes the stream: the device is given back.
  if (streamOpen) Command(kToolStop, nullptr, "midiStreamStop", owner);
  CloseStream();
  owner = nullptr;
  film = nullptr;
}

int32_t MidiPlayer::GetPosition() {
  if (!streamOpen || tool == nullptr) return -1;
  const int ms = tool->Call(kToolPosition, nullptr);
  return ms < 0 ? -1 : rangeStart + ms;
}

void MidiPlayer::BufferDone() {
  if (state != kPlaying) return;
  if (more) {
    current ^= 1;
    Buffer* b = buffers[current];
    DWORD used = 0;
    MidiData* data = MidiOf(film);
    if (data->GetActiveTracks() == 0) {
      position = film->end;
      Film* following = position < rangeEnd ? NextMidiFilm(film->next, position) : nullptr;
      if (following == nullptr || following->start >= rangeEnd) {
        more = false;
      } else {
        // Room is kept for the next file's tempo record.
        used += static_cast<DWORD>(
            data->NotesOff(b->data, static_cast<int32_t>(kBufferBytes - kMidiEventBytes), 0));
        film = following;
        RewindFilm(film);
        used += static_cast<DWORD>(MidiOf(film)->WriteInitialTempo(b->data + used));
      }
    }
    // A buffer the device refused ends the filling: the play still ends.
    if (more && QueueCurrent(used, owner)) return;
    more = false;
  }
  if (--queued <= 0) {
    queued = 0;
    state = kReady;
    PostQueueMessage(GetCurrentThreadId(), owner, kPlayEndedMessage, 0, 0);
  }
}
