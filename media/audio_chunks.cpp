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
  // A list too short for its type has none; it can still be skipped. A
  // RIFF whose size was never written still says what form it is.
  if ((c.ckid == kRiffId && list) || (c.ckid == kListId && c.available >= 4)) c.fccType = ReadLE32(header + 8);
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
    position = Next(c, end);
  }
  return false;
}

std::int64_t AudioChunkWalker::Next(const AudioChunk& c, std::int64_t end) {
  const std::int64_t dataEnd = c.dwDataOffset + c.cksize;
  return headers_.NextChunk(file_, dataEnd, (c.cksize & 1) != 0, std::min(end, fileSize_));
}

bool AudioChunkWalker::FindForm(FOURCC type, AudioChunk* form) {
  AudioChunk f;
  if (!Find(0, fileSize_, kRiffId, type, &f)) return false;
  const auto read = [&](std::int64_t at, unsigned char* out, std::int64_t count) -> std::int64_t {
    return headers_.Read(file_, at, out, count) ? count : 0;
  };
  if (FormShortOfChunks(read, f.dwDataOffset, f.dwDataOffset + f.cksize, fileSize_))
    f.available = fileSize_ - f.dwDataOffset;
  *form = f;
  return true;
}

bool AudioChunkWalker::OnlyChunks(std::int64_t position, std::int64_t end) {
  AudioChunk c;
  while (position < end) {
    if (!ChunkAt(position, end, &c) || c.available < c.cksize) return false;
    position = Next(c, end);
  }
  return true;
}

void AudioChunkWalker::TakeUnwrittenData(const AudioChunk& form, AudioChunk* data) {
  if (data->cksize != 0 || OnlyChunks(data->dwDataOffset, form.DataEnd())) return;
  // A chunk holds at most what its 32-bit size can say.
  data->available = std::clamp<std::int64_t>(form.DataEnd() - data->dwDataOffset, 0, 0xFFFFFFFFll);
}

std::int64_t HeaderBlock::NextChunk(AudioFileHandle& file, std::int64_t dataEnd, bool odd, std::int64_t limit,
                                    bool bigEndian) {
  return NextChunkStart(
      [&](std::int64_t at, unsigned char* out, std::int64_t count) -> std::int64_t {
        return Read(file, at, out, count) ? count : 0;
      },
      dataEnd, odd, limit, bigEndian);
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
