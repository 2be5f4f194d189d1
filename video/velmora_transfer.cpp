// The frame transfer: frames of the board's own formats placed in the fifo
// ring and announced to the board piece by piece. Every announcement of
// data is preceded by a skip over what lies before it since the last one.
#include <algorithm>
#include <cstring>

#include "media/transition_mask.h"
#include "media/video_data.h"
#include "model/error_codes.h"
#include "platform/core/sync.h"
#include "platform/riff/riff.h"
#include "video/sub_player.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"

namespace {

constexpr uint32_t kVlmd = mmioFOURCC('V', 'L', 'M', 'D');
constexpr uint32_t kVlm1 = mmioFOURCC('V', 'L', 'M', '1');
constexpr int32_t kVlmdHeader = 28;
constexpr int32_t kKindMask = 0x7FFFFFF;
// Announcement kinds.
constexpr int kVideo = 1;
constexpr int kAlphaPlane = 2;
constexpr int kEnd = 4;
constexpr int kSkip = 5;
constexpr int kAlphaCoded = 7;
constexpr int kAligned1024 = 10;
constexpr int kPassOn = 11;

// A field's run-length coded alpha key, noted while walking a frame.
struct CodedAlpha {
  bool present = false;
  int32_t at = 0;
  int32_t length = 0;
};

void Announce(int32_t id, int32_t field, int32_t kind, int64_t count) {
  VelmoraApi.vdc_AddData(id, field, kind, static_cast<int>(count));
}

}  // namespace

int32_t VelmoraDevice::Wrap(int64_t offset) const {
  if (fifoSize <= 0) return 0;
  const int64_t r = offset % fifoSize;
  return static_cast<int32_t>(r < 0 ? r + fifoSize : r);
}

uint32_t VelmoraDevice::Read32(int32_t offset) const {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | fifo[Wrap(static_cast<int64_t>(offset) + i)];
  return v;
}

void VelmoraDevice::MoveBack(int32_t to, int32_t from, int32_t count) {
  // Forward, piece by piece between the ring's ends: the target lies before
  // the source, so nothing is overwritten before it is moved.
  int64_t done = 0;
  while (done < count) {
    const int32_t t = Wrap(static_cast<int64_t>(to) + done);
    const int32_t f = Wrap(static_cast<int64_t>(from) + done);
    const int64_t n = std::min<int64_t>({count - done, fifoSize - t, fifoSize - f});
    std::memmove(fifo + t, fifo + f, static_cast<std::size_t>(n));
    done += n;
  }
}

// --- Ring waits ------------------------------------------------------------------

int32_t VelmoraDevice::WaitFreeSpace(int32_t count, HANDLE event) {
  int32_t at = VelmoraApi.vdc_CheckFreeSize(count, 0);
  if (at < 0) {
    AviSubPlayer::StopWait(100);
    at = VelmoraApi.vdc_CheckFreeSize(count, 0);
    if (at < 0 && event != nullptr) SetEvent(event);
  }
  return at;
}

int32_t VelmoraDevice::RoomToEnd(HANDLE event) {
  for (;;) {
    const int32_t at = VelmoraApi.vdc_CheckFreeSize(0, 0);
    if (at >= 0) return fifoSize - at;
    if (event != nullptr) SetEvent(event);
    if (AviSubPlayer::Stopping()) return -1;
    AviSubPlayer::StopWait(100);
  }
}

bool VelmoraDevice::SkipBytes(int32_t count, int32_t id) {
  while (VelmoraApi.vdc_CheckFreeSize(count, 0) < 0) {
    if (AviSubPlayer::Stopping()) return false;
    AviSubPlayer::StopWait(25);
  }
  Announce(id, 0, kSkip, count);
  return true;
}

void VelmoraDevice::EndFrame(int32_t id) {
  lastFrameId = id;
  Announce(id, 0, kEnd, 0);
}

// --- A frame from its file -------------------------------------------------------

int32_t VelmoraDevice::LoadFrame(FrameEntry& entry, int32_t id) {
  if (entry.source == nullptr || entry.cached != nullptr) return 0;
  AVIVideoData* source = entry.source;
  AVIINDEXENTRY index{};
  source->FindKeyFrame(entry.frame, &index);
  entry.size = index.dwChunkLength;
  if (fifo == nullptr || fifoSize <= 0 || index.dwChunkLength > static_cast<DWORD>(fifoSize)) return kErrCancelled;
  const int32_t size = static_cast<int32_t>(index.dwChunkLength);
  const int32_t offset = WaitFreeSpace(size, nullptr);
  if (offset < 0 || offset >= fifoSize) return kErrCancelled;

  if (source->mmio == nullptr) return kErrRead;
  const int64_t position = static_cast<int64_t>(index.dwChunkOffset) + source->moviDataPosition;
  // The part up to the ring's end, then the rest at its start.
  const int32_t first = std::min(size, fifoSize - offset);
  if (mmioReadAt(source->mmio, fifo + offset, first, position) != first) return kErrRead;
  if (size > first &&
      mmioReadAt(source->mmio, fifo, size - first, position + first) != size - first)
    return kErrRead;

  uint32_t total = entry.size;
  const int32_t code = AnnounceLoadedFrame(offset, size, id, &total);
  entry.size = total;
  if (code == 0) entry.position = offset;
  return code;
}

int32_t VelmoraDevice::AnnounceLoadedFrame(int32_t offset, int32_t size, int32_t id, uint32_t* entrySize) {
  if (size < 4) return kErrInvalidFormat;
  const uint32_t tag = Read32(offset);
  if (tag == kVlmd) {
    if (size < kVlmdHeader) return kErrInvalidFormat;
    const uint32_t size0 = Read32(offset + 16);
    const uint32_t size1 = Read32(offset + 20);
    if (uint64_t{kVlmdHeader} + size0 + size1 > static_cast<uint64_t>(size)) return kErrInvalidFormat;
    if ((clients & kBoardVideo) != 0) {
      Announce(id, 0, kSkip, kVlmdHeader);
      Announce(id, 0, kVideo, size0);
      Announce(id, 1, kVideo, size1);
      lastFrameId = id;
    } else {
      Announce(id, 0, kSkip, size);
    }
  } else if (tag == kVlm1) {
    int64_t pending = 4;
    int32_t pos = 4;
    CodedAlpha coded[2];
    while (size - pos > 7) {
      const uint32_t word = Read32(offset + pos);
      const int32_t length = static_cast<int32_t>(Read32(offset + pos + 4));
      if (length < 0 || length > size - pos - 8) return kErrInvalidFormat;
      const int32_t field = static_cast<int32_t>(word >> 31);
      const int32_t kind = static_cast<int32_t>(word & kKindMask);
      const int64_t payload = static_cast<int64_t>(offset) + pos + 8;
      pending += 8;
      if ((kind == kVideo && (clients & kBoardVideo) != 0) || (kind == kAlphaPlane && (clients & kBoardAlpha) != 0) ||
          kind == kPassOn) {
        Announce(id, field, kSkip, pending);
        Announce(id, field, kind, length);
        lastFrameId = id;
        pending = 0;
      } else if (kind == kAlphaCoded) {
        coded[field] = {true, Wrap(payload), length};
        pending += length;
      } else if (kind == kAligned1024 && (clients & kBoardAlpha) != 0 && length > 1024) {
        const int32_t u = Wrap(payload) % 1024;
        Announce(id, field, kSkip, pending + (1024 - u));
        Announce(id, field, kAligned1024, length - 1024);
        MoveBack(Wrap(payload + 1024 - u), Wrap(payload + 1024), length - 1024);
        lastFrameId = id;
        pending = u;
      } else {
        pending += length;
      }
      pos += 8 + length;
    }
    if (pending > 0) Announce(id, 0, kSkip, pending);
    if ((clients & kBoardAlpha) != 0) {
      for (int32_t f = 0; f < 2; ++f) {
        if (!coded[f].present) continue;
        *entrySize += static_cast<uint32_t>(fieldAlphaSize);
        const int32_t at = WaitFreeSpace(fieldAlphaSize, nullptr);
        if (at < 0) return kErrCancelled;
        DecodeRLE(coded[f].at, coded[f].length, at, fieldAlphaSize, fifo, fifoSize);
        Announce(id, f, kAlphaPlane, fieldAlphaSize);
        lastFrameId = id;
      }
    }
  } else {
    return kErrInvalidFormat;
  }
  Announce(id, 0, kEnd, 0);
  return 0;
}

// --- A frame the feeder read -----------------------------------------------------

int32_t VelmoraDevice::AnnounceFrame(int32_t offset, int32_t size, int32_t& announced, int32_t id, HANDLE event) {
  if (size < 4) return kErrInvalidFormat;
  const uint32_t tag = Read32(offset);
  // Whatever earlier frames left unannounced is skipped now.
  const int64_t gap = Wrap(static_cast<int64_t>(offset) - announced);
  if (tag == kVlmd) {
    if (size < kVlmdHeader) return kErrInvalidFormat;
    const uint32_t size0 = Read32(offset + 16);
    const uint32_t size1 = Read32(offset + 20);
    if (uint64_t{kVlmdHeader} + size0 + size1 > static_cast<uint64_t>(size)) return kErrInvalidFormat;
    if ((clients & kBoardVideo) != 0) {
      const int64_t pending = gap + kVlmdHeader;
      Announce(id, 0, kSkip, pending);
      Announce(id, 0, kVideo, size0);
      Announce(id, 1, kVideo, size1);
      announced = Wrap(announced + pending + size0 + size1);
      lastFrameId = id;
    }
  } else if (tag == kVlm1) {
    int64_t pending = gap + 4;
    int32_t pos = 4;
    CodedAlpha coded[2];
    while (size - pos > 7) {
      const uint32_t word = Read32(offset + pos);
      const int32_t length = static_cast<int32_t>(Read32(offset + pos + 4));
      if (length < 0 || length > size - pos - 8) return kErrInvalidFormat;
      const int32_t field = static_cast<int32_t>(word >> 31);
      const int32_t kind = static_cast<int32_t>(word & kKindMask);
      const int64_t payload = static_cast<int64_t>(offset) + pos + 8;
      pending += 8;
      if ((kind == kVideo && (clients & kBoardVideo) != 0) || (kind == kAlphaPlane && (clients & kBoardAlpha) != 0) ||
          kind == kPassOn) {
        // The board takes these on 4-byte boundaries: the payload moves
        // back over the end of its own header, still unannounced.
        const int32_t m = Wrap(payload) % 4;
        if (m != 0) MoveBack(Wrap(payload - m), Wrap(payload), length);
        Announce(id, field, kSkip, pending - m);
        Announce(id, field, kind, length);
        announced = Wrap(announced + pending - m + length);
        lastFrameId = id;
        pending = m;
      } else if (kind == kAlphaCoded) {
        coded[field] = {true, Wrap(payload), length};
        pending += length;
      } else if (kind == kAligned1024 && (clients & kBoardAlpha) != 0 && length > 1024) {
        const int32_t u = Wrap(payload) % 1024;
        Announce(id, field, kSkip, pending + (1024 - u));
        Announce(id, field, kAligned1024, length - 1024);
        MoveBack(Wrap(payload + 1024 - u), Wrap(payload + 1024), length - 1024);
        announced = Wrap(announced + pending + length - u);
        lastFrameId = id;
        pending = u;
      } else {
        pending += length;
      }
      pos += 8 + length;
    }
    if ((clients & kBoardAlpha) != 0 && (coded[0].present || coded[1].present)) {
      if (pending > 0) {
        pending = (pending + 3) / 4 * 4;
        Announce(id, 0, kSkip, pending);
        announced = Wrap(announced + pending);
      }
      for (int32_t f = 0; f < 2; ++f) {
        if (!coded[f].present) continue;
        int32_t at;
        while ((at = WaitFreeSpace(fieldAlphaSize, event)) < 0) {
          if (AviSubPlayer::Stopping()) return kErrCancelled;
        }
        DecodeRLE(coded[f].at, coded[f].length, at, fieldAlphaSize, fifo, fifoSize);
        Announce(id, f, kAlphaPlane, fieldAlphaSize);
        announced = Wrap(static_cast<int64_t>(at) + fieldAlphaSize);
        lastFrameId = id;
      }
    }
  } else {
    return kErrInvalidFormat;
  }
  Announce(id, 0, kEnd, 0);
  return 0;
}
