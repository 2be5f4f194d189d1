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
class Film;
class VideoData;
class VideoEngine;

// One output frame of the AVI export: the source frames whose data make it
// (one data entry: first and last are equal once the entry is found), or no
// source for a gap before the first clip and for a frame that repeats the
// one before (an empty chunk).
struct AviFrameMapEntry {
  VideoData* source = nullptr;
  int32_t first = -1;
  int32_t last = -1;
  bool recompress = false;  // the data cannot stand here: they follow other frames
};

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

  // The AVI export (video/export/avi_export.cpp). Writes [start, end) ms of
  // the video segment list that begins with segments (the segments a range
  // collects for playing it) into a new AVI file at path: parts 1 the
  // pictures, 2 the sound that the caller streams from the audio engine
  // (AudioPlayer::BeginMixStream ... EndMixStream around this call), both
  // interleaved. Frames are copied from their files where their data can
  // stand and recompressed where a cut needs it. Asks and reports through
  // message boxes over owner and shows its progress; true when the file was
  // written, and after a failure or a cancel no file is left. player is the
  // program's video player, which the export leaves alone.
  static bool Run(VideoEngine* player, HWND owner, Film* segments, uint32_t parts, int32_t start, int32_t end,
                  const char* path);
  // Fills count entries of map for the output frames from firstFrame on
  // (project frames) from the video films of the list that begins with first.
  static void BuildFrameMap(Film* first, int32_t firstFrame, AviFrameMapEntry* map, int32_t count);
  // Entries index .. index + count - 1 show film's source from source frame
  // firstSourceFrame (in project frames) on; *lastVideo and *lastFrame take
  // the source and the last source frame given.
  static void FillFromFilm(Film* film, int32_t firstSourceFrame, int32_t count, AviFrameMapEntry* map,
                           int32_t index, VideoData** lastVideo, int32_t* lastFrame);
};

// The shared decoder serves one thread at a time: each call below holds it
// for its length, so a thread of an export may decode while the main thread
// draws thumbnails.
//
// Brings the shared decoder's picture to frame of source. An error code.
int32_t DecodeUpTo(AVIVideoData* source, int32_t frame);
void ReleaseSharedDecompressor();
void ReleaseRecompressor(RecompressInfo* context);

// A source going away or reloading: the shared decoder forgets it.
void ForgetDecodedSource(const VideoData* source);

// While one lives, long decodes on its thread show no wait cursor: a thread
// other than the main thread decodes while a progress dialog shows.
class QuietDecodes {
 public:
  QuietDecodes();
  ~QuietDecodes();
  QuietDecodes(const QuietDecodes&) = delete;
  QuietDecodes& operator=(const QuietDecodes&) = delete;

 private:
  bool before_;
};
