// Standard MIDI files built by the tests, and the stream records read back.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/file_bytes.h"

using Bytes = std::vector<unsigned char>;

inline void PutVarLen(Bytes& out, uint32_t v) {
  unsigned char stack[5];
  int n = 0;
  stack[n++] = v & 0x7F;
  while ((v >>= 7) != 0) stack[n++] = static_cast<unsigned char>(0x80 | (v & 0x7F));
  while (n > 0) out.push_back(stack[--n]);
}

inline void PutBe(Bytes& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// One track's events; each starts with its delta.
class TrackBytes {
 public:
  TrackBytes& Event(uint32_t delta, std::initializer_list<unsigned char> bytes) {
    PutVarLen(data, delta);
    data.insert(data.end(), bytes);
    return *this;
  }
  TrackBytes& NoteOn(uint32_t delta, int channel, int note, int velocity) {
    return Event(delta, {static_cast<unsigned char>(0x90 | channel), static_cast<unsigned char>(note),
                         static_cast<unsigned char>(velocity)});
  }
  TrackBytes& NoteOff(uint32_t delta, int channel, int note) {
    return Event(delta, {static_cast<unsigned char>(0x80 | channel), static_cast<unsigned char>(note), 0});
  }
  TrackBytes& Tempo(uint32_t delta, uint32_t us) {
    return Event(delta, {0xFF, 0x51, 3, static_cast<unsigned char>(us >> 16),
                         static_cast<unsigned char>(us >> 8), static_cast<unsigned char>(us)});
  }
  TrackBytes& Meter(uint32_t delta, int numerator, int power) {
    return Event(delta, {0xFF, 0x58, 4, static_cast<unsigned char>(numerator),
                         static_cast<unsigned char>(power), 24, 8});
  }
  TrackBytes& Sysex(uint32_t delta, const Bytes& body) {
    PutVarLen(data, delta);
    data.push_back(0xF0);
    PutVarLen(data, static_cast<uint32_t>(body.size()));
    data.insert(data.end(), body.begin(), body.end());
    return *this;
  }
  TrackBytes& End(uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0}); }
  Bytes data;
};

// A whole file: the header (its fields free to be wrong) and the tracks.
struct MidiFileBytes {
  uint16_t format = 1;
  int32_t trackCount = -1;  // -1: the number of tracks given
  uint16_t division = 96;
  uint32_t headerLength = 6;
  const char* trackId = "MTrk";
  std::vector<TrackBytes> tracks;

  Bytes Build() const {
    Bytes out{'M', 'T', 'h', 'd'};
    PutBe(out, headerLength, 4);
    PutBe(out, format, 2);
    PutBe(out, trackCount < 0 ? static_cast<uint32_t>(tracks.size()) : static_cast<uint32_t>(trackCount), 2);
    PutBe(out, division, 2);
    for (uint32_t i = 6; i < headerLength && i < 64; ++i) out.push_back(0);
    for (const TrackBytes& t : tracks) {
      out.insert(out.end(), trackId, trackId + 4);
      PutBe(out, static_cast<uint32_t>(t.data.size()), 4);
      out.insert(out.end(), t.data.begin(), t.data.end());
    }
    return out;
  }
  void Write(const std::string& path) const { WriteFileBytes(path, Build()); }
};

// One stream record read back from a buffer, with a long message's bytes.
struct StreamRecord {
  uint32_t delta = 0;
  uint32_t stream = 0;
  uint32_t event = 0;
  Bytes longBytes;
  bool operator==(const StreamRecord& o) const {
    return delta == o.delta && stream == o.stream && event == o.event && longBytes == o.longBytes;
  }
};

inline std::vector<StreamRecord> ReadRecords(const unsigned char* data, std::size_t size) {
  std::vector<StreamRecord> records;
  std::size_t at = 0;
  while (at + 12 <= size) {
    StreamRecord r;
    std::memcpy(&r.delta, data + at, 4);
    std::memcpy(&r.stream, data + at + 4, 4);
    std::memcpy(&r.event, data + at + 8, 4);
    at += 12;
    if (r.event & 0x80000000u) {
      const std::size_t n = r.event & 0xFFFFFF;
      r.longBytes.assign(data + at, data + at + n);
      at += (n + 3) & ~std::size_t{3};
    }
    records.push_back(std::move(r));
  }
  return records;
}

constexpr uint32_t ShortEvent(int status, int a, int b = 0) {
  return static_cast<uint32_t>(status) | (static_cast<uint32_t>(a) << 8) | (static_cast<uint32_t>(b) << 16);
}
constexpr uint32_t TempoEvent(uint32_t us) {
  return 0x01000000u | us;
}
