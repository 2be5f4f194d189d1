#include "media/audio_chunks.h"

#include <algorithm>
#include <cstring>

bool AudioChunkWalker::ChunkAt(std::int64_t position, std::int64_t end, AudioChunk* chunk) {
  end = std::min(end, fileSize_);
  if (position < 0 || position + 8 > end) return false;
  BYTE header[12];
  const bool list = position + 12 <= end;
  if (!headers_.Read(file_, position, header, list ? 12 : 8)) return false;
  AudioChunk c;
  c.ckid = ReadLE32(header);
  if (!IsChunkId(c.ckid)) return false;
  c.cksize = ReadLE32(header + 4);
  c.dwDataOffset = position + 8;
  c.available = std::min<std::int64_t>(c.cksize, end - c.dwDataOffset);
  // A list too short for its type has none; it can still be skipped.
  if ((c.ckid == kRiffId || c.ckid == kListId) && c.available >= 4) c.fccType = ReadLE32(header + 8);
  *chunk = c;
  return true;
}

bool AudioChunkWalker::Find(std::int64_t position, std::int64_t end, FOURCC id, FOURCC type,
                            AudioChunk* chunk) {
  AudioChunk c;
  // Every step moves on by at least the 8-byte header, and a chunk that
  // runs past the end leaves nothing after it.
  while (ChunkAt(position, end, &c)) {
    if (c.ckid == id && (type == 0 || c.fccType == type)) {
      *chunk = c;
      return true;
    }
    position = c.End();
  }
  return false;
}

bool HeaderBlock::Read(AudioFileHandle& file, std::int64_t position, BYTE* out, std::int64_t count) {
  if (position < start_ || position + count > start_ + length_) {
    start_ = position;
    length_ = std::max<std::int64_t>(file.ReadAt(position, bytes_, kSize), 0);
    if (length_ < count) return false;
  }
  std::memcpy(out, bytes_ + (position - start_), static_cast<std::size_t>(count));
  return true;
}

bool AudioChunkWalker::ReadExact(std::int64_t position, void* buffer, std::int64_t count) {
  if (count < 0 || position < 0 || position + count > fileSize_) return false;
  return file_.ReadAt(position, buffer, count) == count;
}
