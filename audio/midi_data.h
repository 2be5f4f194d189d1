// One loaded standard MIDI file, shared by file name between the films of
// the time-line and the clips of the collection: its tracks in memory, its
// length and tempo map, and, while it plays, the walk over its tracks that
// turns them into stream records for the MIDI player.
//
// Times are milliseconds at the file's speed (permille, 1000 = as written):
// a film's source window is counted in them. Positions are kept in 64-bit
// microseconds and turned into milliseconds or ticks only at the edges.
#pragma once

#include <cstdint>
#include <queue>
#include <vector>

#include "model/media_interfaces.h"
#include "platform/core/types.h"

class MidiData : public MidiSource {
 public:
  // One entry of the tempo map: the ticks it lasts, its tempo (us per
  // quarter note) and its meter (the denominator as a value, not a power).
  struct TempoEntry {
    uint32_t ticks = 0;
    uint32_t tempo = 500000;
    uint8_t numerator = 4;
    uint8_t denominator = 4;
  };

  // The loaded file of that name with one more reference, or loaded now
  // with one; null when it does not load.
  static MidiData* Get(const char* fileName);
  // The loaded file of that name, without a reference; null when none.
  static MidiData* Find(const char* fileName);
  // The files whose file changed or vanished since they were loaded, newest
  // first, go to the Film model (a vanished one also to the user); true
  // when anything used one of them.
  static bool CheckFileTime(HWND owner);
  // Whether the streams carry system-exclusive messages; every load sets it.
  static bool longMessages;

  // The shared source.
  void AddRef() override { ++referenceCount; }
  void Release() override;
  int32_t GetError() override { return error; }
  bool MayBeShared() override { return true; }
  int32_t GetLength() override { return length; }
  bool IsOpen() override { return openCount > 0; }
  // The first open rewinds the file and has its clips redrawn.
  bool Open() override;
  // Only a close below 0 has the clips redrawn.
  void Close() override;
  // Reads the file again in place; false when it no longer loads.
  bool Reload(const char* name) override;
  const char* GetFileName() override { return fileName; }

  const char* GetName() const { return fileName; }
  bool IsMidi() const { return true; }
  int32_t GetReferences() const { return referenceCount; }
  // True when the file opens with the time it was loaded with; a new time
  // is kept (and false returned).
  bool IsFileUnchanged();

  // Starts a walk: the film's window [sourceStart, sourceEnd) ms, played
  // lead ms after the stream's start, controller 7 scaled by volume / 512.
  void Rewind(int32_t volume, int32_t lead, int32_t sourceStart, int32_t sourceEnd, int32_t speed);
  // The next stream records of the walk, while 16 bytes remain; the bytes written.
  int32_t Fill(BYTE* buffer, int32_t size);
  // A note-off record for every sounding note, the first with firstDelta;
  // the bytes written.
  int32_t NotesOff(BYTE* buffer, int32_t size, uint32_t firstDelta);
  // Tracks the walk has not finished.
  int32_t GetActiveTracks() const { return activeTracks; }

  int32_t GetDivision() const { return division; }
  // The first tempo of the map at the walk's speed (us per quarter note).
  uint32_t GetInitialTempo() const;
  // A tempo record of the initial tempo; 12.
  int32_t WriteInitialTempo(BYTE* buffer) const;
  int32_t GetTempoEntryCount() const { return static_cast<int32_t>(tempoMap.size()); }
  // Entry i (the last one for any i outside).
  const TempoEntry& GetTempoEntry(int32_t i) const;
  // ms of one bar of entry i, and of the whole entry, at speed.
  int32_t BarLength(int32_t i, int32_t speed) const;
  int32_t EntryLength(int32_t i, int32_t speed) const;

 protected:
  ~MidiData() override;

 private:
  struct Track {
    std::vector<BYTE> data;
    std::size_t read = 0;
    uint8_t status = 0x80;  // running status
    bool active = false;
    uint64_t nextTick = 0;  // absolute tick of its next event
  };
  // One parsed event; a track's read place moves past it only once it is taken.
  struct Event;
  // The walk's order: earliest tick first, then lower track.
  using Due = std::pair<uint64_t, std::size_t>;

  explicit MidiData(const char* name);
  void Load(const char* name);
  int ReadFile();
  void PreScan();
  void Clear();

  bool Parse(const Track& track, Event& event) const;
  void Take(std::size_t index, const Event& event);
  void EndTrack(std::size_t index);
  void SetTempo(uint32_t tempo);
  uint64_t DurationUs(uint64_t ticks) const;
  uint64_t TicksOf(uint64_t us) const;
  uint32_t PendingRecordDelta();
  void AddTempoEntry(bool isTempo, uint32_t tempo, uint8_t numerator, uint8_t denominator);
  // Fill's end of the window: note-offs at the window's end, every track ended.
  int32_t FinishAtEnd(BYTE* out, int32_t room, uint64_t deltaTicks);
  bool AnySounding() const;

  MidiData* next = nullptr;
  MidiData* prev = nullptr;
  int32_t referenceCount = 0;
  char fileName[MAX_PATH] = {};
  FILETIME fileTime{};
  int32_t length = 0;
  int32_t openCount = 0;
  int32_t error = 0;
  int32_t format = 0;
  std::vector<Track> tracks;
  int32_t activeTracks = 0;
  int32_t division = 96;

  // The walk.
  std::priority_queue<Due, std::vector<Due>, std::greater<Due>> due;
  uint64_t tick = 0;
  uint64_t positionUs = 0;
  uint32_t tickTempo = 500000;  // us per quarter note at the walk's speed
  uint64_t pendingDelta = 0;    // ticks since the last record
  int32_t lead = 0;
  int32_t sourceStart = 0;
  int32_t sourceEnd = 0;
  int32_t volume = 512;
  int32_t speed = 1000;
  bool chasing = true;
  bool scanning = false;   // the pre-scan: no window, no records
  bool finishing = false;  // the window has ended; note-offs are still to go out
  uint8_t notes[16][128] = {};

  std::vector<TempoEntry> tempoMap;
  uint64_t scanTicks = 0;  // pre-scan: ticks since the last tempo entry began
};
