// RIFF files: open, read, write and seek, and the chunk walk (descend,
// ascend, create chunk) with the meanings of the multimedia file functions.
//
// Chunk lengths in a file are never trusted: mmioDescend refuses a chunk
// whose length runs past the end of the file or of its parent chunk. While
// searching, such a chunk ends the search (MMIOERR_CHUNKNOTFOUND). When it is
// the chunk asked for, the result is MMIOERR_INVALIDFILE; the MMCKINFO then
// still describes the header as read and the file stands at the chunk's data,
// so a reader that accepts a cut-off last chunk (a recording that stopped
// early) may clamp the size to the file and go on. A "RIFF" whose size was
// never written (0) is described so too, its form type read from the file.
// Between chunks, a search and mmioAscend step over what some writers leave
// there (NextChunkStart).
//
// Handles opened with MMIO_ALLOCBUF for reading only read through a buffer;
// every other handle reads and writes the file directly, so mmioFlush has
// nothing to write.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/core/types.h"

DECLARE_HANDLE(HMMIO);
using MMRESULT = UINT;

// mmioOpen flags.
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_READWRITE = 0x00000002;
constexpr DWORD MMIO_COMPAT = 0x00000000;
constexpr DWORD MMIO_EXCLUSIVE = 0x00000010;
constexpr DWORD MMIO_DENYWRITE = 0x00000020;
constexpr DWORD MMIO_DENYREAD = 0x00000030;
constexpr DWORD MMIO_DENYNONE = 0x00000040;
constexpr DWORD MMIO_CREATE = 0x00001000;
constexpr DWORD MMIO_DELETE = 0x00000200;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
// This system's own: a file the program keeps for itself. A link at the
// name is never followed, a new file is 0600, and a file of another user
// (or no regular file) is refused; MMIO_CREATE empties only a file of ours.
constexpr DWORD MMIO_PRIVATE = 0x01000000;

// mmioDescend, mmioCreateChunk and mmioFlush flags.
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;
constexpr UINT MMIO_CREATERIFF = 0x0020;
constexpr UINT MMIO_CREATELIST = 0x0040;
constexpr UINT MMIO_EMPTYBUF = 0x0010;
// In MMCKINFO::dwFlags: the chunk was created here and its size may need
// fixing when it is left.
constexpr DWORD MMIO_DIRTY = 0x10000000;

constexpr MMRESULT MMIOERR_BASE = 256;
constexpr MMRESULT MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
constexpr MMRESULT MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
constexpr MMRESULT MMIOERR_CANNOTCLOSE = MMIOERR_BASE + 4;
constexpr MMRESULT MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
constexpr MMRESULT MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
constexpr MMRESULT MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
constexpr MMRESULT MMIOERR_UNBUFFERED = MMIOERR_BASE + 10;
constexpr MMRESULT MMIOERR_PATHNOTFOUND = MMIOERR_BASE + 11;
constexpr MMRESULT MMIOERR_ACCESSDENIED = MMIOERR_BASE + 12;
constexpr MMRESULT MMIOERR_SHARINGVIOLATION = MMIOERR_BASE + 13;
constexpr MMRESULT MMIOERR_NETWORKERROR = MMIOERR_BASE + 14;
constexpr MMRESULT MMIOERR_TOOMANYOPENFILES = MMIOERR_BASE + 15;
constexpr MMRESULT MMIOERR_INVALIDFILE = MMIOERR_BASE + 16;

// Whether id can name a chunk: four bytes none of which is a zero or a
// control character (writers use bytes from 0x7F up too: "\xA9nam"). Data
// that is no chunk (zeros above all) ends a walk here rather than being
// stepped over as empty chunks, eight bytes at a time.
constexpr bool IsChunkId(FOURCC id) {
  for (int i = 0; i < 4; ++i) {
    if (((id >> (8 * i)) & 0xFF) < 0x20) return false;
  }
  return true;
}

// The most zero bytes a writer leaves between two chunks (padding to a
// block) that a walk steps over; a longer run of zeros ends it.
constexpr std::int64_t kMaxChunkGap = 4096;

// Whether the 8 bytes at h are a chunk's header; size: its stated size.
inline bool ChunkHeader(const unsigned char* h, bool bigEndian, std::int64_t* size) {
  const FOURCC id =
      static_cast<FOURCC>(h[0] | (h[1] << 8) | (h[2] << 16) | (static_cast<FOURCC>(h[3]) << 24));
  const std::int64_t a = bigEndian ? h[4] : h[7], b = bigEndian ? h[5] : h[6], c = bigEndian ? h[6] : h[5],
                     d = bigEndian ? h[7] : h[4];
  *size = (a << 24) | (b << 16) | (c << 8) | d;
  return IsChunkId(id);
}

// Where a walk goes on after a chunk whose data end at dataEnd, inside
// limit, past the slips of some writers: the pad byte after odd data left
// out (the byte where it belongs is no zero and a chunk header starts
// there), and up to kMaxChunkGap zero bytes before the next header. Where
// neither fits, the padded end, as the format has it. read(position, out,
// count) reads up to count (at most 8) bytes and returns how many it read.
template <class Read>
std::int64_t NextChunkStart(Read&& read, std::int64_t dataEnd, bool odd, std::int64_t limit,
                            bool bigEndian = false) {
  const std::int64_t padded = dataEnd + (odd ? 1 : 0);
  unsigned char h[8];
  // A chunk id at p, with its header inside limit; size: the stated size.
  auto header = [&](std::int64_t p, std::int64_t* size) {
    return p + 8 <= limit && read(p, h, 8) == 8 && ChunkHeader(h, bigEndian, size);
  };
  std::int64_t size = 0;
  if (header(padded, &size) && padded + 8 + size <= limit) return padded;
  unsigned char first = 0;
  if (odd && read(dataEnd, &first, 1) == 1 && first != 0 && header(dataEnd, &size)) return dataEnd;
  if (read(padded, &first, 1) != 1 || first != 0) return padded;
  for (std::int64_t p = padded; p <= padded + kMaxChunkGap && p < limit;) {
    const std::int64_t n = read(p, h, 8);
    if (n <= 0) break;
    std::int64_t k = 0;
    while (k < n && h[k] == 0) ++k;
    if (k < n) return p + k <= padded + kMaxChunkGap && header(p + k, &size) ? p + k : padded;
    p += n;
  }
  return padded;
}

// Whether a form (RIFF, FORM) whose type lies at typeAt and whose stated
// size ends at stated falls short of the chunks in it, so that its real end
// is the file's: a size below the 4 bytes of the type (never written), or a
// chunk that starts inside it and ends past it, within fileSize. The walk
// stops at the first such chunk, at data that is no chunk, or at the stated
// end. read as for NextChunkStart.
template <class Read>
bool FormShortOfChunks(Read&& read, std::int64_t typeAt, std::int64_t stated, std::int64_t fileSize,
                       bool bigEndian = false) {
  if (stated < typeAt + 4) return true;
  unsigned char h[8];
  std::int64_t size = 0;
  for (std::int64_t p = typeAt + 4; p + 8 <= stated;) {
    if (read(p, h, 8) != 8 || !ChunkHeader(h, bigEndian, &size)) break;
    const std::int64_t end = p + 8 + size;
    if (std::min(end, fileSize) > stated) return true;
    p = NextChunkStart(read, end, (size & 1) != 0, fileSize, bigEndian);
  }
  return false;
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

struct MMCKINFO {
  FOURCC ckid = 0;
  DWORD cksize = 0;        // bytes of data, without the 8-byte header and the pad byte
  FOURCC fccType = 0;      // form or list type of a "RIFF" or "LIST" chunk
  DWORD dwDataOffset = 0;  // file offset of the data (of the type, for RIFF and LIST)
  DWORD dwFlags = 0;
};
using LPMMCKINFO = MMCKINFO*;

// Only wErrorRet is used: it receives the reason when mmioOpen fails.
struct MMIOINFO {
  DWORD dwFlags = 0;
  UINT wErrorRet = 0;
};
using LPMMIOINFO = MMIOINFO*;

// MMIO_CREATE creates the file or empties an existing one. MMIO_DELETE
// deletes the file and returns a non-null value that is no handle (null when
// the file could not be deleted). Sharing flags are accepted and not
// enforced. Null on failure, with the reason in info->wErrorRet.
HMMIO mmioOpen(LPCSTR name, LPMMIOINFO info, DWORD flags);
inline constexpr auto& mmioOpenA = mmioOpen;
MMRESULT mmioClose(HMMIO file, UINT flags);
// Bytes read (0 at the end of the file); -1 on failure.
LONG mmioRead(HMMIO file, void* buffer, LONG count);
// Bytes written; -1 on failure.
LONG mmioWrite(HMMIO file, const void* buffer, LONG count);
// Reads count bytes at offset without moving the handle's position, past
// any read buffer, so that another thread may read the same file this way
// while the handle's owner seeks and reads. Bytes read, or -1.
LONG mmioReadAt(HMMIO file, void* buffer, LONG count, LONGLONG offset);
// origin SEEK_SET, SEEK_CUR or SEEK_END; the new position, or -1 (and the
// position unchanged) for a position before 0 or beyond 31 bits.
LONG mmioSeek(HMMIO file, LONG offset, int origin);
// The same with 64-bit positions, for raw files that pass 2 GiB (the
// engine's play file on a long time-line). Chunks stay within 4 GiB.
LONGLONG mmioSeek64(HMMIO file, LONGLONG offset, int origin);
MMRESULT mmioFlush(HMMIO file, UINT flags);

// Reads the chunk header at the current position (flags 0), or searches
// from there for the first chunk with ck->ckid (MMIO_FINDCHUNK), or a "RIFF"
// or "LIST" chunk of type ck->fccType (MMIO_FINDRIFF, MMIO_FINDLIST), within
// parent when one is given. On success ck describes the chunk and the file
// stands at its data (after the type of a RIFF or LIST chunk). When nothing
// is found the position is unchanged.
MMRESULT mmioDescend(HMMIO file, LPMMCKINFO ck, const MMCKINFO* parent, UINT flags);
// Leaves a chunk: the file moves past its data and pad byte. For a chunk
// created here (MMIO_DIRTY) the data ends at the current position: its size
// is written into the header when it differs, and an odd size gets a zero
// pad byte.
MMRESULT mmioAscend(HMMIO file, LPMMCKINFO ck, UINT flags);
// Writes a chunk header at the current position: ck->ckid and ck->cksize,
// or "RIFF"/"LIST" with ck->fccType (MMIO_CREATERIFF, MMIO_CREATELIST).
// The chunk is marked MMIO_DIRTY and the file stands at its data.
MMRESULT mmioCreateChunk(HMMIO file, LPMMCKINFO ck, UINT flags);
