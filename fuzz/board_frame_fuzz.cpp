// Frames of the board's formats, any bytes, announced both ways (as the
// feeder does and as a still is) from any place of a small ring, possibly
// across its end. The ring stands in for the board: it finds room after what
// was announced and checks every announcement.
//
// Input: 2 bytes ring size, 2 bytes frame offset, 1 byte gap before the
// frame, 1 byte resources and way, 1 byte frame size; the rest is the frame.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "video/velmora_api.h"
#include "video/velmora_device.h"

namespace {

struct Ring {
  std::vector<BYTE> bytes;
  int64_t written = 0;
  int64_t announced = 0;  // bytes announced for the frame under way
  int64_t limit = 0;      // what a frame may announce at most
};

Ring g_ring;

int CheckFreeSize(int count, int) {
  const int64_t size = static_cast<int64_t>(g_ring.bytes.size());
  if (count < 0 || count > size) return -1;
  return static_cast<int>(g_ring.written % size);
}

int AddData(int, int field, int kind, int count) {
  // Every count is real and the frame never claims more than it has.
  if (count < 0 || (field != 0 && field != 1) || kind < 1) std::abort();
  g_ring.written += count;
  g_ring.announced += count;
  if (g_ring.announced > g_ring.limit) std::abort();
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  const int32_t ringSize = 4096 + (data[0] | (data[1] << 8)) % 61440;
  const int32_t offset = (data[2] | (data[3] << 8)) % ringSize;
  const int32_t gap = data[4];
  const uint32_t clients = data[5] & (kBoardVideo | kBoardAlpha);
  const bool feeder = (data[5] & 1) != 0;
  const int32_t width = 16 * (1 + (data[6] & 3));
  const int32_t height = 16 * (1 + ((data[6] >> 2) & 3));
  const int32_t frameSize = static_cast<int32_t>(std::min<size_t>(size - 7, static_cast<size_t>(ringSize)));

  g_ring.bytes.assign(static_cast<std::size_t>(ringSize), 0);
  for (int32_t i = 0; i < frameSize; ++i) g_ring.bytes[static_cast<std::size_t>((offset + i) % ringSize)] = data[7 + i];
  const int32_t announced = ((offset - gap) % ringSize + ringSize) % ringSize;
  g_ring.written = feeder ? announced : offset;
  g_ring.announced = 0;
  // The frame, what lay before it, two alpha planes and the rounding of a skip.
  const int32_t fieldAlpha = width * (height / 2);
  g_ring.limit = gap + frameSize + 2 * fieldAlpha + 3;

  VelmoraApi.vdc_CheckFreeSize.function = &CheckFreeSize;
  VelmoraApi.vdc_AddData.function = &AddData;
  VelmoraDevice& d = TheVelmoraDevice;
  d.fifo = g_ring.bytes.data();
  d.fifoSize = ringSize;
  d.clients = clients;
  d.width = width;
  d.height = height;
  d.fieldAlphaSize = fieldAlpha;

  if (feeder) {
    int32_t end = announced;
    d.AnnounceFrame(offset, frameSize, end, 1, nullptr);
    if (end < 0 || end >= ringSize) std::abort();
  } else {
    uint32_t entrySize = static_cast<uint32_t>(frameSize);
    d.AnnounceLoadedFrame(offset, frameSize, 1, &entrySize);
  }
  d.fifo = nullptr;
  d.fifoSize = 0;
  return 0;
}
