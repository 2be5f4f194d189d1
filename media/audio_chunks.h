// A bounded walk over the chunks of a RIFF file for the audio readers. Every
// size comes from the file and is hostile: a chunk is found only when its
// header lies inside its parent and the file, and the bytes it may hand out
// are limited to what really follows its data offset. A header whose id
// holds a zero or control byte ends the walk: zeros (a sparse or blanked
// file) would otherwise be read as empty chunks, eight bytes a step, for as
// long as the file is. Between chunks the walk steps over what some writers
// leave (NextChunkStart): a left-out pad byte, zeros up to a block.
#pragma once

#include <cstdint>

#include "media/audio_file.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

struct AudioChunk {
  FOURCC ckid = 0;
  DWORD cksize = 0;               // as stored
  FOURCC fccType = 0;             // form or list type of "RIFF" and "LIST"
  std::int64_t dwDataOffset = 0;  // first byte after the 8-byte header
  std::int64_t available = 0;     // bytes of data that lie inside the parent and the file

  // Where the next chunk starts (data padded to an even size).
  std::int64_t End() const { return dwDataOffset + cksize + (cksize & 1); }
  // The end of the data inside the parent and the file.
  std::int64_t DataEnd() const { return dwDataOffset + available; }
};

// Chunk headers read from a block read ahead, so that a walk over many
// small chunks costs one read per block rather than one per header.
class HeaderBlock {
 public:
  // count bytes (at most 12) at position; false when the file has fewer.
  bool Read(AudioFileHandle& file, std::int64_t position, BYTE* out, std::int64_t count);
  // NextChunkStart from these blocks.
  std::int64_t NextChunk(AudioFileHandle& file, std::int64_t dataEnd, bool odd, std::int64_t limit,
                         bool bigEndian = false);

 private:
  static constexpr std::int64_t kSize = 4096;
  BYTE bytes_[kSize];
  std::int64_t start_ = 0;
  std::int64_t length_ = 0;
};

constexpr FOURCC kRiffId = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC kListId = mmioFOURCC('L', 'I', 'S', 'T');

class AudioChunkWalker {
 public:
  AudioChunkWalker(AudioFileHandle& file, std::int64_t fileSize) : file_(file), fileSize_(fileSize) {}

  std::int64_t FileSize() const { return fileSize_; }
  AudioFileHandle& File() { return file_; }

  // The chunk whose header starts at position, when it lies before end.
  bool ChunkAt(std::int64_t position, std::int64_t end, AudioChunk* chunk);
  // Where the chunk after c (inside end) starts: after its data and pad
  // byte, or where a writer that left the pad out or padded with zeros put
  // it (NextChunkStart).
  std::int64_t Next(const AudioChunk& c, std::int64_t end);
  // The first chunk from position on (before end) with this id and, for
  // "RIFF" and "LIST" when type is not 0, this form or list type.
  bool Find(std::int64_t position, std::int64_t end, FOURCC id, FOURCC type, AudioChunk* chunk);
  // Find inside a RIFF or LIST chunk, from the start of its contents.
  bool FindIn(const AudioChunk& parent, FOURCC id, FOURCC type, AudioChunk* chunk) {
    return Find(parent.dwDataOffset + 4, parent.DataEnd(), id, type, chunk);
  }
  // The first "RIFF" chunk of this form in the file. A size that was never
  // written (0: a recording killed before it closed the file) or that falls
  // short of the chunks inside (a streaming writer's guess, the low 32 bits
  // of a larger size) is taken from the file's length, as one past the end
  // is.
  bool FindForm(FOURCC type, AudioChunk* form);
  // A "data" chunk inside form whose size was never written (0) while
  // samples follow it: its data reach the end of form. A chunk that is
  // really empty is followed by nothing or by whole chunks only (an export
  // of an empty range, with its INFO list).
  void TakeUnwrittenData(const AudioChunk& form, AudioChunk* data);
  // Whether the bytes from position to end are chunks and nothing else.
  bool OnlyChunks(std::int64_t position, std::int64_t end);
  // Reads exactly count bytes of data at position; false when fewer are there.
  bool ReadExact(std::int64_t position, void* buffer, std::int64_t count);

 private:
  AudioFileHandle& file_;
  std::int64_t fileSize_;
  HeaderBlock headers_;
};

inline DWORD ReadLE32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
inline WORD ReadLE16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD ReadBE32(const BYTE* p) {
  return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) | (static_cast<DWORD>(p[2]) << 8) |
         static_cast<DWORD>(p[3]);
}
inline WORD ReadBE16(const BYTE* p) { return static_cast<WORD>((p[0] << 8) | p[1]); }
