// The AVI writer: main header, then stream headers with their formats, then
// data chunks in any order, written straight into the movi area with room
// left for the header lists; Close writes the headers, "idx1" and the
// metadata list. Every operation returns an error code, 0 on success.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/codecs/avi.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

struct AviWriter {
  static constexpr int kMaxStreams = 16;

  // Creates the file: 0, 2 (memory) or 3 (the file does not open).
  static int32_t Open(AviWriter** writer, const char* path, const MainAVIHeader* mainHeader);
  // Adds a stream (before the first chunk): 0, 2, or 8 for a 17th stream,
  // a stream added after the first chunk, or a format too short for its type.
  // format: the stream's format as stored in "strf".
  static int32_t AddStream(AviWriter* writer, int32_t* stream, const AVISTREAMHEADER* header,
                           const void* format, int32_t formatSize);
  // Writes a chunk of stream: 0, 2, 8 (no such stream) or 20 (write failure).
  // type: two characters ("dc", "wb"); below 8192 it becomes "xx". flags:
  // index flags (AVIIF_KEYFRAME, AVIIF_NOTIME).
  static int32_t WriteChunk(AviWriter* writer, int32_t stream, const void* data, int32_t size, TWOCC type,
                            DWORD flags);
  // Writes headers and index and closes the file: 0 or 20. The writer is
  // freed in every case; after a failure the caller deletes the file.
  static int32_t Close(AviWriter* writer);

  HMMIO mmio = nullptr;
  int64_t dataStart = 0;  // where the first chunk's header goes; 0 before it
  int32_t reserved = 0;
  std::unique_ptr<BYTE[]> formats[kMaxStreams];
  int32_t formatSizes[kMaxStreams] = {};
  AVISTREAMHEADER streamHeaders[kMaxStreams];
  std::vector<AVIINDEXENTRY> index;
  int64_t recordIndex = -1;  // index entry of the open "rec " list; -1 when none
  MMCKINFO recordChunk{};
  MainAVIHeader mainHeader;
};
