#include "audio/midi_data.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "audio/midi_source_hooks.h"
#include "media/audio_file.h"
#include "model/message_box.h"
#include "model/ui_strings.h"
#include "platform/audio/midi.h"
#include "platform/core/paths.h"
#include "platform/riff/riff.h"

bool MidiData::longMessages = false;

namespace {

MidiData* g_head = nullptr;

constexpr uint32_t kDefaultTempo = 500000;
constexpr uint32_t kMaxStreamTempo = 0xFFFFFF;  // what a tempo record holds
constexpr int32_t kRecordBytes = 12;
constexpr int32_t kRecordRoom = 16;  // a walk goes on while this much is left
constexpr uint32_t kTempoFlag = uint32_t{MEVT_TEMPO} << 24;
constexpr uint32_t kNopEvent = uint32_t{MEVT_NOP} << 24;

uint32_t Be32(const BYTE* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Be16(const BYTE* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t Clamp32(uint64_t v) {
  return v > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                  : static_cast<uint32_t>(v);
}

// A variable-length number of at most four bytes inside data; false when it
// runs past the end or goes on longer.
bool ReadVarLen(const std::vector<BYTE>& data, std::size_t& at, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= data.size()) return false;
    const BYTE b = data[at++];
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

void WriteRecord(BYTE* out, uint32_t delta, uint32_t event) {
  const uint32_t record[3] = {delta, 0, event};
  std::memcpy(out, record, sizeof record);
}

// The data bytes a channel message carries.
int ChannelDataBytes(uint8_t status) {
  const uint8_t type = status & 0xF0;
  return type == 0xC0 || type == 0xD0 ? 1 : 2;
}

}  // namespace

struct MidiData::Event {
  enum Kind { kChannel, kMeta, kSysex, kCommon } kind = kChannel;
  uint8_t status = 0;
  uint8_t data[2] = {0, 0};
  uint8_t metaType = 0;
  std::size_t payload = 0;  // place of a meta's or a system-exclusive message's bytes
  uint32_t payloadSize = 0;
  std::size_t end = 0;  // read place after the event
};

// ---- The list ----

MidiData* MidiData::Find(const char* name) {
  if (name == nullptr) return nullptr;
  for (MidiData* d = g_head; d != nullptr; d = d->next)
    if (PathsEqual(d->fileName, name)) return d;
  return nullptr;
}

MidiData* MidiData::Get(const char* name) {
  if (name == nullptr || name[0] == '\0') return nullptr;
  if (MidiData* found = Find(name)) {
    // One whose file failed to load again is no file to hand out.
    if (found->error != 0) return nullptr;
    found->AddRef();
    return found;
  }
  MidiData* loaded = new (std::nothrow) MidiData(name);
  if (loaded == nullptr) return nullptr;
  if (loaded->error != 0) {
    delete loaded;
    return nullptr;
  }
  loaded->AddRef();
  return loaded;
}

bool MidiData::CheckFileTime(HWND owner) {
  bool handled = false;
  // The handler may drop the last film of a file, this one's or the next
  // one's: both stay alive until the walk has moved past them.
  MidiData* d = g_head;
  if (d != nullptr) d->AddRef();
  while (d != nullptr) {
    MidiData* following = d->next;
    if (following != nullptr) following->AddRef();
    char name[MAX_PATH];
    std::memcpy(name, d->fileName, sizeof name);
    FILETIME written;
    if (d->referenceCount <= 1) {
      // Dropped by its users during the walk: nothing to tell anyone.
    } else if (!ReadFileWriteTime(name, &written)) {
      if (CurrentMidiSourceHooks().RefreshChangedSources(owner, false, true, d)) {
        handled = true;
        ShowMessage(nullptr, GetString(ui_string::kActivateKobrix), MB_ICONSTOP,
                    GetString(ui_string::kFileDoesNotExist), name);
      }
    } else if (!SameFileTime(written, d->fileTime)) {
      d->fileTime = written;
      if (CurrentMidiSourceHooks().RefreshChangedSources(owner, true, true, d)) handled = true;
    }
    d->Release();
    d = following;
  }
  return handled;
}

// ---- One file ----

MidiData::MidiData(const char* name) {
  Load(name);
  next = g_head;
  if (g_head != nullptr) g_head->prev = this;
  g_head = this;
}

MidiData::~MidiData() {
  if (prev != nullptr) prev->next = next;
  if (next != nullptr) next->prev = prev;
  if (g_head == this) g_head = next;
}

void MidiData::Release() {
  if (--referenceCount < 1) delete this;
}

void MidiData::Clear() {
  length = 0;
  error = 0;
  format = 0;
  tracks.clear();
  activeTracks = 0;
  division = 96;
  due = {};
  tempoMap.clear();
}

void MidiData::Load(const char* name) {
  // The caller's name may be this object's own field.
  char copy[MAX_PATH] = {};
  std::strncpy(copy, name != nullptr ? name : "", MAX_PATH - 1);
  std::memcpy(fileName, copy, MAX_PATH);
  Clear();
  fileTime = FILETIME{};
  longMessages = true;
  if (!ReadFileWriteTime(fileName, &fileTime)) {
    error = kErrOpen;
    return;
  }
  error = ReadFile();
  if (error == 0) {
    PreScan();
  } else {
    tracks.clear();
  }
}

bool MidiData::Reload(const char* name) {
  Load(name);
  return error == 0;
}

int MidiData::ReadFile() {
  HMMIO file = mmioOpen(fileName, nullptr, MMIO_READ | MMIO_DENYNONE);
  if (file == nullptr) return kErrFileMissing;
  struct Closer {
    HMMIO f;
    ~Closer() { mmioClose(f, 0); }
  } closer{file};
  const LONGLONG size = mmioSeek64(file, 0, SEEK_END);
  if (size < 0 || mmioSeek64(file, 0, SEEK_SET) != 0) return kErrInvalidFormat;

  BYTE head[8];
  if (mmioRead(file, head, 8) != 8 || std::memcmp(head, "MThd", 4) != 0) return kErrInvalidFormat;
  const uint32_t headerLength = Be32(head + 4);
  if (headerLength < 6 || headerLength >= 251) return kErrInvalidFormat;
  BYTE header[6];
  if (mmioRead(file, header, 6) != 6) return kErrInvalidFormat;
  // A longer header carries fields of a later version: skipped.
  if (headerLength > 6 && mmioSeek64(file, headerLength - 6, SEEK_CUR) < 0) return kErrInvalidFormat;
  format = Be16(header);
  const uint16_t trackCount = Be16(header + 2);
  const uint16_t ticks = Be16(header + 4);
  // Format 2 (independent songs) and SMPTE time are not played.
  if (format > 1 || trackCount < 1 || (ticks & 0x8000)) return kErrInvalidFormat;
  if (ticks != 0) division = ticks;

  try {
    tracks.resize(trackCount);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  for (Track& track : tracks) {
    if (mmioRead(file, head, 8) != 8 || std::memcmp(head, "MTrk", 4) != 0) return kErrInvalidFormat;
    const uint32_t bytes = Be32(head + 4);
    const LONGLONG at = mmioSeek64(file, 0, SEEK_CUR);
    if (at < 0 || bytes > size - at) return kErrInvalidFormat;
    try {
      track.data.resize(bytes);
    } catch (const std::bad_alloc&) {
      return kErrNoMemory;
    }
    if (bytes > 0 && mmioRead(file, track.data.data(), static_cast<LONG>(bytes)) != static_cast<LONG>(bytes))
      return kErrInvalidFormat;
  }
  return kErrOk;
}

// ---- The walk ----

uint64_t MidiData::DurationUs(uint64_t ticks) const {
  const unsigned __int128 us =
      static_cast<unsigned __int128>(ticks) * tickTempo / static_cast<uint32_t>(division);
  return us > std::numeric_limits<uint64_t>::max() ? std::numeric_limits<uint64_t>::max()
                                                   : static_cast<uint64_t>(us);
}

uint64_t MidiData::TicksOf(uint64_t us) const {
  const unsigned __int128 t =
      (static_cast<unsigned __int128>(us) * static_cast<uint32_t>(division) + tickTempo / 2) / tickTempo;
  return t > std::numeric_limits<uint64_t>::max() ? std::numeric_limits<uint64_t>::max()
                                                  : static_cast<uint64_t>(t);
}

void MidiData::SetTempo(uint32_t tempo) {
  uint64_t t = uint64_t{tempo} * static_cast<uint32_t>(speed) / 1000;
  tickTempo = static_cast<uint32_t>(std::clamp<uint64_t>(t, 1, kMaxStreamTempo));
}

void MidiData::Rewind(int32_t vol, int32_t leadMs, int32_t start, int32_t end, int32_t newSpeed) {
  speed = std::max(newSpeed, 1);
  volume = std::max(vol, 0);
  lead = std::max(leadMs, 0);
  sourceStart = std::max(start, 0);
  sourceEnd = std::max(end, 0);
  due = {};
  activeTracks = 0;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    Track& t = tracks[i];
    t.read = 0;
    t.status = 0x80;
    uint32_t first = 0;
    t.active = ReadVarLen(t.data, t.read, first);
    if (!t.active) continue;
    t.nextTick = first;
    due.push({first, i});
    ++activeTracks;
  }
  tick = 0;
  positionUs = 0;
  pendingDelta = 0;
  SetTempo(tempoMap.empty() ? kDefaultTempo : tempoMap.front().tempo);
  chasing = true;
  finishing = false;
  std::memset(notes, 0, sizeof notes);
}

bool MidiData::Parse(const Track& track, Event& e) const {
  const std::vector<BYTE>& d = track.data;
  std::size_t at = track.read;
  if (at >= d.size()) return false;
  const BYTE first = d[at];
  if (first == 0xFF) {
    e.kind = Event::kMeta;
    e.status = first;
    if (++at >= d.size()) return false;
    e.metaType = d[at++];
    uint32_t n = 0;
    if (!ReadVarLen(d, at, n) || n > d.size() - at) return false;
    e.payload = at;
    e.payloadSize = n;
    e.end = at + n;
    return true;
  }
  if (first == 0xF0 || first == 0xF7) {
    e.kind = Event::kSysex;
    e.status = first;
    ++at;
    uint32_t n = 0;
    if (!ReadVarLen(d, at, n) || n > d.size() - at) return false;
    e.payload = at;
    e.payloadSize = n;
    e.end = at + n;
    return true;
  }
  int count;
  if (first > 0xF0) {
    e.kind = Event::kCommon;
    e.status = first;
    ++at;
    count = first == 0xF2 ? 2 : first == 0xF3 ? 1 : 0;
  } else {
    e.kind = Event::kChannel;
    // A data byte in place of a status byte repeats the running status.
    if (first & 0x80) {
      e.status = first;
      ++at;
    } else {
      e.status = track.status;
    }
    count = ChannelDataBytes(e.status);
  }
  if (static_cast<std::size_t>(count) > d.size() - at) return false;
  e.data[0] = e.data[1] = 0;
  for (int i = 0; i < count; ++i) e.data[i] = d[at++] & 0x7F;
  e.end = at;
  return true;
}

void MidiData::EndTrack(std::size_t index) {
  if (!due.empty() && due.top().second == index) due.pop();
  Track& t = tracks[index];
  if (t.active) {
    t.active = false;
    --activeTracks;
  }
}

void MidiData::Take(std::size_t index, const Event& e) {
  Track& t = tracks[index];
  t.read = e.end;
  if (e.kind == Event::kChannel) t.status = e.status;
  uint32_t delta = 0;
  if (!ReadVarLen(t.data, t.read, delta)) {
    EndTrack(index);
    return;
  }
  due.pop();
  t.nextTick = tick + delta;
  due.push({t.nextTick, index});
}

void MidiData::AddTempoEntry(bool isTempo, uint32_t tempo, uint8_t numerator, uint8_t denominator) {
  // Changes where the last entry begins replace its values: no entry of no length.
  if (scanTicks != 0) {
    tempoMap.back().ticks = Clamp32(scanTicks);
    TempoEntry copy = tempoMap.back();
    copy.ticks = 0;
    try {
      tempoMap.push_back(copy);
    } catch (const std::bad_alloc&) {
      return;
    }
    scanTicks = 0;
  }
  TempoEntry& e = tempoMap.back();
  if (isTempo) {
    e.tempo = tempo;
  } else {
    e.numerator = numerator;
    e.denominator = denominator;
  }
}

void MidiData::PreScan() {
  tempoMap.assign(1, TempoEntry{});
  Rewind(512, 0, 0, 0, 1000);
  scanning = true;
  scanTicks = 0;
  uint64_t lengthUs = 0;
  while (!due.empty()) {
    const auto [at, index] = due.top();
    if (at > tick) {
      const uint64_t step = at - tick;
      lengthUs = std::min(lengthUs + std::min(DurationUs(step), uint64_t{1} << 62), uint64_t{1} << 62);
      scanTicks += step;
      tick = at;
      continue;
    }
    Event e;
    if (!Parse(tracks[index], e)) {
      EndTrack(index);
      continue;
    }
    if (e.kind == Event::kMeta) {
      const BYTE* p = tracks[index].data.data() + e.payload;
      if (e.metaType == 0x2F) {
        EndTrack(index);
        continue;
      }
      // Short, zero and out-of-range values are left out: they would divide by 0.
      if (e.metaType == 0x51 && e.payloadSize >= 3) {
        const uint32_t tempo = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        if (tempo != 0) {
          SetTempo(tempo);
          AddTempoEntry(true, tempo, 0, 0);
        }
      } else if (e.metaType == 0x58 && e.payloadSize >= 2 && p[0] != 0 && p[1] <= 7) {
        AddTempoEntry(false, 0, p[0], static_cast<uint8_t>(1u << p[1]));
      }
    }
    Take(index, e);
  }
  tempoMap.back().ticks = Clamp32(scanTicks);
  length = static_cast<int32_t>(std::min<uint64_t>(lengthUs / 1000, std::numeric_limits<int32_t>::max()));
  scanning = false;
  // Left ready to play from the start, as a walk after Open would be.
  Rewind(512, 0, 0, 0, 1000);
}

uint32_t MidiData::PendingRecordDelta() {
  if (chasing) return 0;
  const uint32_t d = Clamp32(pendingDelta);
  pendingDelta -= d;
  return d;
}

int32_t MidiData::FinishAtEnd(BYTE* out, int32_t room, uint64_t deltaTicks) {
  int32_t n = NotesOff(out, room, Clamp32(deltaTicks));
  // Nothing sounding: a record still carries the time up to the end, so a
  // following film starts where its lead says.
  if (n == 0 && deltaTicks > 0 && room >= kRecordRoom) {
    WriteRecord(out, Clamp32(deltaTicks), kNopEvent);
    n = kRecordBytes;
  }
  due = {};
  for (Track& t : tracks) t.active = false;
  pendingDelta = 0;
  // Notes the buffer had no room for are turned off at the start of the next.
  finishing = AnySounding();
  activeTracks = finishing ? 1 : 0;
  return n;
}

bool MidiData::AnySounding() const {
  for (const auto& channel : notes)
    for (uint8_t on : channel)
      if (on) return true;
  return false;
}

int32_t MidiData::Fill(BYTE* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0 || scanning) return 0;
  const uint64_t startUs = uint64_t{static_cast<uint32_t>(sourceStart)} * 1000;
  const uint64_t endUs = uint64_t{static_cast<uint32_t>(sourceEnd)} * 1000;
  const uint64_t leadUs = uint64_t{static_cast<uint32_t>(lead)} * 1000;
  if (finishing) {
    const int32_t n = NotesOff(buffer, size, 0);
    finishing = AnySounding();
    activeTracks = finishing ? 1 : 0;
    return n;
  }
  int32_t written = 0;
  while (activeTracks > 0 && !due.empty()) {
    if (chasing && positionUs >= startUs) {
      chasing = false;
      pendingDelta = TicksOf(leadUs + (positionUs - startUs));
    }
    if (size - written < kRecordRoom) break;
    if (positionUs >= endUs) {
      written += FinishAtEnd(buffer + written, size - written, chasing ? TicksOf(leadUs) : pendingDelta);
      break;
    }
    const auto [at, index] = due.top();
    if (at > tick) {
      const uint64_t step = at - tick;
      const uint64_t reached = positionUs + std::min(DurationUs(step), uint64_t{1} << 62);
      if (reached >= endUs) {
        // The window ends before the next event: note-offs at its end.
        const uint64_t toEnd = chasing ? TicksOf(leadUs) + (endUs > startUs ? TicksOf(endUs - startUs) : 0)
                                       : pendingDelta + TicksOf(endUs - positionUs);
        written += FinishAtEnd(buffer + written, size - written, toEnd);
        break;
      }
      positionUs = reached;
      tick = at;
      if (!chasing) pendingDelta += step;
      continue;
    }

    Event e;
    if (!Parse(tracks[index], e)) {
      EndTrack(index);
      continue;
    }
    BYTE* out = buffer + written;
    const BYTE* payload = tracks[index].data.data() + e.payload;
    switch (e.kind) {
      case Event::kChannel: {
        const uint8_t type = e.status & 0xF0;
        // Catching up before the window: the state, not the notes.
        if (chasing && (type == 0x80 || type == 0x90 || type == 0xA0 || type == 0xE0)) break;
        const int channel = e.status & 0x0F;
        uint32_t a = e.data[0], b = e.data[1];
        if (type == 0xB0 && a == 7)
          b = static_cast<uint32_t>(std::min<int64_t>(int64_t{b} * volume / 512, 127));
        if (type == 0x90) notes[channel][a] = b != 0;
        if (type == 0x80) notes[channel][a] = 0;
        WriteRecord(out, PendingRecordDelta(), e.status | (a << 8) | (b << 16));
        written += kRecordBytes;
        break;
      }
      case Event::kMeta:
        if (e.metaType == 0x2F) {
          EndTrack(index);
          continue;
        }
        if (e.metaType == 0x51 && e.payloadSize >= 3) {
          const uint32_t tempo = (uint32_t{payload[0]} << 16) | (uint32_t{payload[1]} << 8) | payload[2];
          if (tempo != 0) {
            SetTempo(tempo);
            WriteRecord(out, PendingRecordDelta(), kTempoFlag | tickTempo);
            written += kRecordBytes;
          }
        }
        break;
      case Event::kSysex: {
        if (!longMessages) break;
        const uint32_t bytes = e.payloadSize + 1;  // with its status byte
        const int64_t record = kRecordBytes + ((int64_t{bytes} + 3) & ~int64_t{3});
        if (record > size - written) {
          // One that fits no buffer at all is dropped; else it waits for the next.
          if (written > 0) return written;
          break;
        }
        WriteRecord(out, PendingRecordDelta(), MEVT_F_LONG | bytes);
        out[kRecordBytes] = e.status;
        std::memcpy(out + kRecordBytes + 1, payload, e.payloadSize);
        std::memset(out + kRecordBytes + bytes, 0, static_cast<std::size_t>(record - kRecordBytes - bytes));
        written += static_cast<int32_t>(record);
        break;
      }
      case Event::kCommon:
        WriteRecord(out, PendingRecordDelta(),
                    e.status | (uint32_t{e.data[0]} << 8) | (uint32_t{e.data[1]} << 16));
        written += kRecordBytes;
        break;
    }
    Take(index, e);
  }
  return written;
}

int32_t MidiData::NotesOff(BYTE* buffer, int32_t size, uint32_t firstDelta) {
  if (buffer == nullptr) return 0;
  int32_t written = 0;
  for (int channel = 0; channel < 16; ++channel) {
    for (int note = 0; note < 128; ++note) {
      if (!notes[channel][note]) continue;
      if (size - written < kRecordRoom) return written;
      WriteRecord(buffer + written, written == 0 ? firstDelta : 0,
                  0x80u | static_cast<uint32_t>(channel) | (static_cast<uint32_t>(note) << 8));
      written += kRecordBytes;
      notes[channel][note] = 0;
    }
  }
  return written;
}

// ---- Queries ----

uint32_t MidiData::GetInitialTempo() const {
  const uint64_t tempo = tempoMap.empty() ? kDefaultTempo : tempoMap.front().tempo;
  return static_cast<uint32_t>(
      std::clamp<uint64_t>(tempo * static_cast<uint32_t>(speed) / 1000, 1, kMaxStreamTempo));
}

int32_t MidiData::WriteInitialTempo(BYTE* buffer) const {
  WriteRecord(buffer, 0, kTempoFlag | GetInitialTempo());
  return kRecordBytes;
}

const MidiData::TempoEntry& MidiData::GetTempoEntry(int32_t i) const {
  static const TempoEntry kNone{};
  if (tempoMap.empty()) return kNone;
  if (i < 0 || i >= GetTempoEntryCount()) return tempoMap.back();
  return tempoMap[static_cast<std::size_t>(i)];
}

int32_t MidiData::BarLength(int32_t i, int32_t atSpeed) const {
  if (i < 0 || i >= GetTempoEntryCount() || atSpeed <= 0) return 0;
  const TempoEntry& e = tempoMap[static_cast<std::size_t>(i)];
  if (e.denominator == 0) return 0;
  const uint64_t tempo = uint64_t{e.tempo} * static_cast<uint32_t>(atSpeed) / 1000;
  return static_cast<int32_t>(std::min<uint64_t>(tempo * e.numerator * 4 / (uint64_t{e.denominator} * 1000),
                                                 std::numeric_limits<int32_t>::max()));
}

int32_t MidiData::EntryLength(int32_t i, int32_t atSpeed) const {
  if (i < 0 || i >= GetTempoEntryCount() || atSpeed <= 0) return 0;
  const TempoEntry& e = tempoMap[static_cast<std::size_t>(i)];
  const uint64_t tempo = uint64_t{e.tempo} * static_cast<uint32_t>(atSpeed) / 1000;
  const unsigned __int128 ms =
      static_cast<unsigned __int128>(tempo) * e.ticks / (uint64_t{static_cast<uint32_t>(division)} * 1000);
  return ms > static_cast<unsigned __int128>(std::numeric_limits<int32_t>::max())
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(ms);
}

bool MidiData::IsFileUnchanged() {
  FILETIME written;
  if (!ReadFileWriteTime(fileName, &written)) return false;
  if (SameFileTime(written, fileTime)) return true;
  fileTime = written;
  return false;
}

bool MidiData::Open() {
  if (error != 0) return false;
  if (++openCount == 1) {
    Rewind(512, 0, 0, std::numeric_limits<int32_t>::max(), 1000);
    CurrentMidiSourceHooks().RedrawClipsOfMidi(this);
  }
  return true;
}

void MidiData::Close() {
  if (--openCount < 0) {
    openCount = 0;
    CurrentMidiSourceHooks().RedrawClipsOfMidi(this);
  }
}
