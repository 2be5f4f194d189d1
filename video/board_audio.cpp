#include "video/board_audio.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

#include "media/audio_readers.h"
#include "media/video_data.h"
#include "model/film.h"
#include "platform/core/sync.h"
#include "video/sub_player.h"
#include "video/velmora_device.h"

std::atomic<int32_t> VelmoraAudioData::playing{0};
std::atomic<int32_t> VelmoraAudioData::waiting{0};

namespace {

constexpr int32_t kOutside = -999;
// Set on a chunk's ring offset while the reader copies its bytes (offsets
// lie within the ring, far below it).
constexpr int32_t kCopying = 0x40000000;
constexpr DWORD kChunkWaitMs = 5000;

HANDLE g_chunkEvent = nullptr;

const AudioIndexEntry* Chunk(const void* chunks, uint32_t i) {
  return static_cast<const AudioIndexEntry*>(chunks) + i;
}

}  // namespace

bool VelmoraAudioData::MakeChunkEvent() {
  if (g_chunkEvent == nullptr) g_chunkEvent = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  return g_chunkEvent != nullptr;
}

void VelmoraAudioData::CloseChunkEvent() {
  if (g_chunkEvent != nullptr) ::CloseHandle(g_chunkEvent);
  g_chunkEvent = nullptr;
}

void VelmoraAudioData::SignalChunks() {
  if (g_chunkEvent != nullptr) SetEvent(g_chunkEvent);
}

void VelmoraAudioData::LetReaderRun() {
  if (waiting.load() != 0) AviSubPlayer::StopWait(50);
}

VelmoraAudioData::VelmoraAudioData(TReadAVIAudio* a, Film* film, int32_t firstIndex, int32_t lastIndex,
                                   AVIVideoData* video, int32_t firstFrame, int32_t lastFrame)
    : AudioData(a->fileName),
      wrapped(a),
      video(video),
      film(film),
      chunks(a->index.get()),
      chunkCount(static_cast<uint32_t>(std::max<LONG>(a->indexCount, 0))),
      totalBytes(a->totalBytes),
      firstIndex(firstIndex),
      lastIndex(lastIndex) {
  // A stand-in is never found by name.
  Unlink();
  error = a->error;
  fileTime = a->fileTime;
  length = a->length;
  referenceCount = 1;
  openCount = 1;
  sampleType = a->sampleType;
  if (a->format != nullptr && AllocateFormat(a->formatSize)) {
    const std::size_t extra = a->formatSize > kWaveFormatFileSize ? a->formatSize - kWaveFormatFileSize : 0;
    std::memcpy(format, a->format, sizeof(WAVEFORMATEX) + extra);
    SetFormat();
  }
  if (chunkCount > 0) {
    chunkPos.reset(new (std::nothrow) std::atomic<int32_t>[chunkCount]);
    chunkFrame.reset(new (std::nothrow) int32_t[chunkCount]);
    if (chunkPos && chunkFrame) MapChunks(firstFrame, lastFrame);
  }
  film->audio = this;
}

VelmoraAudioData::~VelmoraAudioData() {
  if (film != nullptr && film->audio == this) film->audio = wrapped;
}

// --- Passed on to the clip's own source ---------------------------------------------

AudioData* VelmoraAudioData::AddRef() {
  return wrapped->AddRef();
}
void VelmoraAudioData::Release() {
  wrapped->Release();
}
bool VelmoraAudioData::Open(const char* name) {
  return wrapped->Open(name);
}
void VelmoraAudioData::ReadHeader() {
  wrapped->ReadHeader();
}
bool VelmoraAudioData::BeginRead() {
  return wrapped->BeginRead();
}
void VelmoraAudioData::EndRead() {
  wrapped->EndRead();
}
bool VelmoraAudioData::CloseFile() {
  return wrapped->CloseFile();
}
bool VelmoraAudioData::Reopen() {
  return wrapped->Reopen();
}
DWORD VelmoraAudioData::LengthInSamples() {
  return wrapped->LengthInSamples();
}
bool VelmoraAudioData::OpenHandle() {
  return wrapped->OpenHandle();
}
void VelmoraAudioData::CloseHandle() {
  wrapped->CloseHandle();
}

// --- Which chunk comes from where ---------------------------------------------------

void VelmoraAudioData::MapChunks(int32_t first, int32_t last) {
  const int32_t frames = std::min<int32_t>(video->frameCount, static_cast<int32_t>(video->index.size()));
  auto dataOffset = [&](int32_t f) {
    f = std::max(0, std::min(f, frames - 1));
    return frames > 0 ? static_cast<int64_t>(video->index[static_cast<std::size_t>(f)].dwChunkOffset) +
                            video->moviDataPosition
                      : int64_t{0};
  };
  // Audio before the first frame's data and after the last frame's comes
  // from the file; what lies between comes with the frames.
  const int64_t lo = dataOffset(first) +
                     (frames > 0 ? video->index[static_cast<std::size_t>(std::max(0, std::min(first, frames - 1)))]
                                       .dwChunkLength
                                 : 0);
  const int64_t hi = dataOffset(last - 1);
  bool past = false;
  for (uint32_t i = 0; i < chunkCount; ++i) {
    const AudioIndexEntry& c = *Chunk(chunks, i);
    const int64_t start = c.dwChunkOffset;
    const int64_t end = start + c.dwChunkLength;
    if (end > hi) past = true;
    chunkPos[i] = (start < lo || past) ? kSkipped : kNotRead;
  }
  int32_t k = 0;
  for (uint32_t i = 0; i < chunkCount; ++i) {
    const int64_t start = Chunk(chunks, i)->dwChunkOffset;
    while (k < frames && start >= dataOffset(k)) ++k;
    const int32_t index = firstIndex - first - 1 + k;
    if (index >= firstIndex && index < lastIndex) {
      chunkFrame[i] = index;
    } else {
      chunkFrame[i] = kOutside;
      chunkPos[i] = kSkipped;
    }
  }
}

void VelmoraAudioData::DropChunks(int32_t from, int32_t to) {
  if (!chunkPos) return;
  bool changed = false;
  for (uint32_t i = 0; i < chunkCount; ++i) {
    const int32_t f = chunkFrame[i];
    if (f == kOutside || f < from) continue;
    if (f >= to) break;
    if (chunkPos[i].load() == kNotRead) {
      chunkPos[i] = kSkipped;
      changed = true;
    }
  }
  if (changed) {
    SignalChunks();
    LetReaderRun();
  }
}

int32_t VelmoraAudioData::DeliverChunks(int32_t from, int32_t to, int64_t blockStart, int64_t length, int32_t at) {
  if (!chunkPos) return -1;
  int64_t largest = -1;
  bool changed = false;
  for (uint32_t i = 0; i < chunkCount; ++i) {
    const int32_t f = chunkFrame[i];
    if (f == kOutside || f < from) continue;
    if (f >= to) break;
    const AudioIndexEntry& c = *Chunk(chunks, i);
    const int64_t start = c.dwChunkOffset;
    const int64_t end = start + c.dwChunkLength;
    if (start >= blockStart && end <= blockStart + length) {
      chunkPos[i] = static_cast<int32_t>(start - blockStart + at);
      largest = std::max(largest, end - blockStart + at);
      changed = true;
    } else if (chunkPos[i].load() == kNotRead) {
      chunkPos[i] = kSkipped;
      changed = true;
    }
  }
  if (changed) SignalChunks();
  return static_cast<int32_t>(largest);
}

void VelmoraAudioData::ForgetRing(int32_t at, int32_t length) {
  const int32_t size = TheVelmoraDevice.fifoSize;
  if (!chunkPos || length <= 0 || size <= 0) return;
  for (uint32_t i = 0; i < chunkCount; ++i) {
    const int32_t pos = chunkPos[i].load();
    if (pos < 0) continue;
    // The chunk's bytes and the region, either possibly across the ring's end.
    const int64_t n = Chunk(chunks, i)->dwChunkLength;
    const int64_t d = (static_cast<int64_t>(pos & ~kCopying) - at) % size;
    const int64_t ahead = d < 0 ? d + size : d;  // from the region's start to the chunk's
    if (ahead >= length && ahead + n <= size) continue;
    // Taken only once the reader has given the chunk back: its copy is then
    // whole before the bytes change.
    int32_t given = pos & ~kCopying;
    while (!chunkPos[i].compare_exchange_weak(given, kSkipped) && given >= 0) {
      given &= ~kCopying;
      std::this_thread::yield();
    }
  }
}

// --- The engine's reads -------------------------------------------------------------

LONG VelmoraAudioData::ServeChunk(uint32_t i, int64_t within, BYTE* out, LONG take, int64_t position) {
  int32_t pos = chunkPos[i].load();
  if (pos == kNotRead) {
    waiting = 1;
    while ((pos = chunkPos[i].load()) == kNotRead && playing.load() != 0 && !AviSubPlayer::Stopping())
      WaitForSingleObject(g_chunkEvent, kChunkWaitMs);
    waiting = 0;
    pos = chunkPos[i].load();
  }
  const VelmoraDevice& d = TheVelmoraDevice;
  // Held while copied: the feeder waits for it before it writes there.
  if (pos >= 0 && d.fifo != nullptr && d.fifoSize > 0 && chunkPos[i].compare_exchange_strong(pos, pos | kCopying)) {
    int64_t from = (pos + within) % d.fifoSize;
    LONG done = 0;
    while (done < take) {
      const LONG n = static_cast<LONG>(std::min<int64_t>(take - done, d.fifoSize - from));
      std::memcpy(out + done, d.fifo + from, static_cast<std::size_t>(n));
      done += n;
      from = 0;
    }
    int32_t held = pos | kCopying;
    if (chunkPos[i].compare_exchange_strong(held, pos)) {
      bytesFromRing += take;
      return take;
    }
  }
  const LONG got = std::max<LONG>(wrapped->ReadBytes(out, position, take), 0);
  bytesFromFile += got;
  return got;
}

LONG VelmoraAudioData::ReadBytes(void* buffer, std::int64_t position, LONG count) {
  if (buffer == nullptr || count <= 0 || position < 0) return 0;
  position = std::min<int64_t>(position, totalBytes);
  int64_t left = std::min<int64_t>(count, totalBytes - position);
  if (!chunkPos) {
    return wrapped->ReadBytes(buffer, position, static_cast<LONG>(left));
  }
  BYTE* out = static_cast<BYTE*>(buffer);
  LONG done = 0;
  int64_t first = 0;  // data bytes before chunk i
  for (uint32_t i = 0; i < chunkCount && left > 0; ++i) {
    const int64_t n = Chunk(chunks, i)->dwChunkLength;
    if (position < first + n) {
      const int64_t within = position - first;
      const LONG take = static_cast<LONG>(std::min<int64_t>(n - within, left));
      const LONG got = ServeChunk(i, within, out, take, position);
      if (got <= 0) break;
      out += got;
      position += got;
      left -= got;
      done += got;
      if (got < take) break;
    }
    first += n;
  }
  return done;
}
