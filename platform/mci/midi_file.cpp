#include "platform/mci/midi_file.h"

#include <algorithm>
#include <cstring>

namespace mci {
namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t Be16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// Reads the bytes of one track; every read is checked against its end.
class TrackReader {
 public:
  TrackReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  bool Byte(uint8_t* b) {
    if (p_ >= end_) return false;
    *b = *p_++;
    return true;
  }
  // A variable-length number of at most four bytes.
  bool Number(uint32_t* v) {
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(&b)) return false;
      n = (n << 7) | (b & 0x7F);
      if (!(b & 0x80)) {
        *v = n;
        return true;
      }
    }
    return false;
  }
  bool Take(uint32_t n, const uint8_t** at) {
    if (static_cast<size_t>(end_ - p_) < n) return false;
    *at = p_;
    p_ += n;
    return true;
  }
  bool Peek(uint8_t* b) const {
    if (p_ >= end_) return false;
    *b = *p_;
    return true;
  }
  void Skip() { ++p_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

void ReadTrack(const uint8_t* data, size_t size, std::vector<MidiFileEvent>* out) {
  TrackReader r(data, size);
  uint64_t tick = 0;
  uint8_t running = 0;
  for (;;) {
    uint32_t delta;
    uint8_t status;
    if (!r.Number(&delta) || !r.Peek(&status)) return;
    tick += delta;
    if (status & 0x80) {
      r.Skip();
    } else if (running != 0) {
      status = running;
    } else {
      return;  // data without a status
    }
    MidiFileEvent e;
    e.tick = tick;
    if (status == 0xFF) {
      running = 0;
      uint8_t type;
      uint32_t length;
      const uint8_t* body;
      if (!r.Byte(&type) || !r.Number(&length) || !r.Take(length, &body)) return;
      if (type == 0x2F) return;  // end of track
      if (type == 0x51 && length >= 3) {
        const uint32_t tempo = (uint32_t{body[0]} << 16) | (uint32_t{body[1]} << 8) | body[2];
        if (tempo == 0) continue;
        e.kind = MidiFileEvent::kTempo;
        e.value = tempo;
        out->push_back(std::move(e));
      }
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      running = 0;
      uint32_t length;
      const uint8_t* body;
      if (!r.Number(&length) || !r.Take(length, &body)) return;
      e.kind = MidiFileEvent::kLong;
      // An F0 message carries its status; an F7 escape is sent as it stands.
      const size_t lead = status == 0xF0 ? 1 : 0;
      e.bytes.resize(lead + length);
      if (lead != 0) e.bytes[0] = 0xF0;
      if (length != 0) std::memcpy(e.bytes.data() + lead, body, length);
      if (!e.bytes.empty()) out->push_back(std::move(e));
      continue;
    }
    if (status >= 0xF0) return;  // no other system message belongs in a file
    running = status;
    const int count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
    uint8_t d1 = 0, d2 = 0;
    if (!r.Byte(&d1) || (count == 2 && !r.Byte(&d2))) return;
    e.value = status | (uint32_t{d1 & 0x7Fu} << 8) | (uint32_t{d2 & 0x7Fu} << 16);
    out->push_back(std::move(e));
  }
}

}  // namespace

bool ParseMidiFile(const uint8_t* data, size_t size, MidiFileData* out) {
  if (data == nullptr || size < 14 || std::memcmp(data, "MThd", 4) != 0) return false;
  const uint32_t headerLength = Be32(data + 4);
  if (headerLength < 6 || headerLength > size - 8) return false;
  const uint16_t format = Be16(data + 8);
  const uint16_t tracks = Be16(data + 10);
  const uint16_t division = Be16(data + 12);
  if (format > 1 || (division & 0x8000) || division == 0) return false;

  std::vector<MidiFileEvent> events;
  size_t at = 8 + static_cast<size_t>(headerLength);
  int found = 0;
  while (found < tracks && size - at >= 8) {
    const uint32_t length = Be32(data + at + 4);
    const size_t body = at + 8;
    const size_t available = std::min<size_t>(length, size - body);
    if (std::memcmp(data + at, "MTrk", 4) == 0) {
      // Events of each track arrive in order; the merge below keeps the
      // order of tracks for events at one tick.
      std::vector<MidiFileEvent> track;
      ReadTrack(data + body, available, &track);
      events.insert(events.end(), std::make_move_iterator(track.begin()),
                    std::make_move_iterator(track.end()));
      ++found;
    }
    if (available < length) break;
    at = body + available;
  }
  if (found == 0) return false;
  std::stable_sort(events.begin(), events.end(),
                   [](const MidiFileEvent& a, const MidiFileEvent& b) { return a.tick < b.tick; });
  out->division = division;
  out->events = std::move(events);
  return true;
}

}  // namespace mci
