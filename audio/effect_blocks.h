// Tagged blocks of the effect-list file, the list body and the component
// records: {u32 id, i32 size} and size bytes of data, little-endian, read and
// written field by field through the multimedia file functions.
#pragma once

#include "model/film_records.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

namespace effect_blocks {

using project_records::GetLe32;
using project_records::IsBlankRecord;
using project_records::ReadExact;
using project_records::Tell;
using project_records::WritePatched;

inline bool WriteU32(HMMIO file, DWORD value) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                         static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  return mmioWrite(file, bytes, 4) == 4;
}

inline bool WriteHead(HMMIO file, DWORD id, LONG size) {
  return WriteU32(file, id) && WriteU32(file, static_cast<DWORD>(size));
}

inline bool WriteBytes(HMMIO file, const void* data, LONG size) {
  return size == 0 || mmioWrite(file, data, size) == size;
}

// Reads a block head. Returns the bytes read: 8 for a whole head, 0 at the
// end of the file, anything between for a file cut inside the head (-1 on a
// read failure).
inline LONG ReadHead(HMMIO file, DWORD* id, LONG* size) {
  BYTE head[8];
  LONG got = mmioRead(file, head, 8);
  if (got == 8) {
    *id = static_cast<DWORD>(GetLe32(head));
    *size = GetLe32(head + 4);
  }
  return got;
}

// Bytes between the current position and the end of the file (0 on failure).
inline LONGLONG BytesLeft(HMMIO file) {
  const LONGLONG here = Tell(file);
  if (here < 0) return 0;
  const LONGLONG end = mmioSeek64(file, 0, SEEK_END);
  mmioSeek64(file, here, SEEK_SET);
  return end > here ? end - here : 0;
}

}  // namespace effect_blocks
