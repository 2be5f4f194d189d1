// Frame decoding through the installed codecs. One shared decoder serves the
// whole program and remembers the source and frame it decoded last, so the
// next frame of the same file costs one decode; only a jump backwards or to
// another file goes back to a key frame. Recompression for the AVI export
// has a context of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/codecs/vfw.h"

class AVIVideoData;
class VideoData;

// The state of RecompressFrame for one export; starts empty (last frame -1)
// and is given back with ReleaseRecompressor.
struct RecompressInfo {
  RecompressInfo() = default;
  RecompressInfo(const RecompressInfo&) = delete;
  RecompressInfo& operator=(const RecompressInfo&) = delete;
  ~RecompressInfo();

  HIC decompressor = nullptr;
  HIC compressor = nullptr;
  std::vector<BYTE> decompressedFormat;
  std::vector<BYTE> compressedFormat;
  std::vector<BYTE> readBuffer;
  uint32_t readBufferSize = 0;
  std::vector<BYTE> decompressedImage;
  std::vector<BYTE> previousImage;
  std::vector<BYTE> compressedData;
  uint32_t imageSize = 0;
  int32_t lastFrame = -1;
  int32_t framesCompressed = 0;
  const VideoData* lastSource = nullptr;
};

// Brings the shared decoder's picture to frame of source. An error code.
int32_t DecodeUpTo(AVIVideoData* source, int32_t frame);
void ReleaseSharedDecompressor();
void ReleaseRecompressor(RecompressInfo* context);

// A source going away or reloading: the shared decoder forgets it.
void ForgetDecodedSource(const VideoData* source);
