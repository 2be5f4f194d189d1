// What the render of one transition reads of its two sources, taken on the
// main thread when the transition is (re)filled, so that the render threads
// never touch a source object the main thread may reload or close meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/codecs/avi.h"
#include "platform/core/types.h"

class Film;

struct VFXSourcePlan {
  std::string fileName;
  std::vector<BYTE> format;  // header, codec data, colours
  FOURCC handler = 0;        // the stream's handler
  int64_t dataBase = 0;      // added to an entry's offset to reach its data
  // The index entries of the frames from the key frame at or before the
  // first shown one to the last shown one. An empty entry shows the picture
  // before it again; so do the frames past the file's end.
  std::vector<AVIINDEXENTRY> entries;
  // Frames decoded ahead of the first shown one, and not shown.
  int32_t preroll = 0;
  const BITMAPINFOHEADER* Format() const { return reinterpret_cast<const BITMAPINFOHEADER*>(format.data()); }
};

struct VFXRenderPlan {
  VFXSourcePlan a, b;
  float frameRate = 25.0f;  // the project's when the plan was made
};

// The plan of frames [firstFrameA, +count) of a's source beside
// [firstFrameB, +count) of b's; null when a source is no readable AVI file.
std::shared_ptr<const VFXRenderPlan> MakeRenderPlan(const Film& a, int32_t firstFrameA, const Film& b,
                                                    int32_t firstFrameB, int32_t count);
