#include "media/audio_chunks.h"

#include <algorithm>

bool AudioChunkWalker::ChunkAt(std::int64_t position, std::int64_t end, AudioChunk* chunk) {
  end = std::min(end, fileSize_);
  if (position < 0 || position + 8 > end) return false;
  BYTE header[12];
  if (!ReadExact(position, header, 8)) return false;
  AudioChunk c;
  c.ckid = ReadLE32(header);
  c.cksize = ReadLE32(header + 4);
  c.dwDataOffset = position + 8;
  c.available = std::min<std::int64_t>(c.cksize, end - c.dwDataOffset);
  if (c.ckid == kRiffId || c.ckid == kListId) {
    // A list too short for its type has none; it can still be skipped.
    if (c.available >= 4 && ReadExact(c.dwDataOffset, header + 8, 4)) c.fccType = ReadLE32(header + 8);
  }
  *chunk = c;
  return true;
}

bool AudioChunkWalker::Find(std::int64_t position, std::int64_t end, FOURCC id, FOURCC type,
                            AudioChunk* chunk) {
  AudioChunk c;
  // Every step moves on by at least the 8-byte header, so the walk ends.
  while (ChunkAt(position, end, &c)) {
    if (c.ckid == id && (type == 0 || c.fccType == type)) {
      *chunk = c;
      return true;
    }
    position = c.End();
  }
  return false;
}

bool AudioChunkWalker::ReadExact(std::int64_t position, void* buffer, std::int64_t count) {
  if (count < 0 || position < 0 || position + count > fileSize_) return false;
  return file_.ReadAt(position, buffer, count) == count;
}
