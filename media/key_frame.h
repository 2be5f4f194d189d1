// Prepared start pictures: a Film that starts on a frame that is not a key
// frame holds the record of (source, frame), which the video players fill
// with the decoded picture. Films starting on the same frame share one
// record; all records live in one list, newest first.
#pragma once

#include <cstdint>
#include <memory>

#include "model/media_interfaces.h"
#include "platform/core/types.h"

class VideoData;

// The Film model holds records through its StartFrameRecord interface.
class TKeyFrame : public StartFrameRecord {
 public:
  // The record of (source, frame) with one more reference, a new empty one,
  // or null when no record is needed (no source, or a key frame) or memory
  // runs out.
  static TKeyFrame* Create(VideoData* source, int32_t frame);
  // The record of (source, frame) without a new reference, or null.
  static TKeyFrame* Find(VideoData* source, int32_t frame);
  // Frees the pictures of all records; the records stay, empty.
  static void FreeAll();
  static void Unlink(TKeyFrame* record);
  static TKeyFrame* Head();

  ~TKeyFrame() override;
  TKeyFrame(const TKeyFrame&) = delete;
  TKeyFrame& operator=(const TKeyFrame&) = delete;

  void AddRef() override;
  // A holder gives its reference back; the last one unlinks and deletes.
  void Release() override;

  TKeyFrame* next = nullptr;
  TKeyFrame* prev = nullptr;
  int32_t referenceCount = 0;
  VideoData* source = nullptr;  // not owned, no reference taken
  int32_t frame = 0;
  int32_t dataSize = 0;  // 0 while empty
  std::unique_ptr<BYTE[]> data;

 private:
  TKeyFrame() = default;
};
