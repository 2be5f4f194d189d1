// ClipData: one clip of the clip collection. It holds up to three media
// sources of one file (video, audio, MIDI), one reference on each, the
// clip's in and out points, the length it takes on the time-line, the time
// of its face frame and a 128 x 96 picture of that frame. A tile of the
// collection holds one by value; a Film is built from it when the clip is
// dropped on the time-line (it reads it as a ClipItem).
//
// Main thread only; the video source's and the thumbnail's counts are
// changed with interlocked operations, since the players share them.
#pragma once

#include <cstdint>
#include <string>

#include "audio/midi_data.h"
#include "media/audio_data.h"
#include "media/video_bitmap.h"
#include "media/video_data.h"
#include "model/media_interfaces.h"
#include "model/path_record.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class ClipCollection;

// The parts a clip is made of (its kind) and the sources a record names.
constexpr uint32_t kClipVideo = 1;
constexpr uint32_t kClipAudio = 2;
constexpr uint32_t kClipMidi = 4;

constexpr int kClipNameSize = 128;

class ClipData : public ClipItem {
 public:
  // The record of the given sources (each may be null), one reference taken
  // on each. With render the face is drawn from the video at time 0.
  explicit ClipData(VideoData* video = nullptr, MidiData* midi = nullptr, AudioData* audio = nullptr,
                    bool render = false);
  // Copies share the sources and the thumbnail. A copy is an assignment
  // onto a record that holds nothing yet.
  ClipData(const ClipData& other) : ClipItem() { *this = other; }
  ClipData& operator=(const ClipData& other);
  ~ClipData() override;

  // Gives back every reference; the record keeps its name, face and length.
  void ReleaseSources();
  // Gives back the thumbnail, so that the next paint makes one again.
  void ReleaseThumbnail();
  // The name becomes the file's name without folder and extension.
  void SetNameFromPath();
  // Reads the sources again after their file changed: the times follow a new
  // length and the face is drawn again. False, and nothing changed, when a
  // source is unusable or the file has no length left.
  bool Revalidate();
  // One-line texts of the picture and the sound, in one shared buffer that
  // the next call of either overwrites.
  const char* DescribeVideo() const;
  const char* DescribeAudio() const;

  // The sub-records of the clip in a collection file: paths relative to
  // directory when they lie under it. False at a short write.
  bool WriteRecord(HMMIO file, const char* directory) const;
  // Reads size bytes of sub-records, finds the file (asking for a missing
  // one once per load while *ask holds) and opens its sources: 0, 18 (read,
  // but changed or dropped), 17 (the user cancelled the load), 6 or 19.
  // damage (or null) receives why when the sub-records themselves are
  // broken (one runs past the record, or the file ends inside it), as
  // opposed to a value out of its range.
  int ReadRecord(ClipCollection* owner, HMMIO file, LONG size, PathRecord* folders, SynonymFile** moved,
                 bool* ask, std::string* damage = nullptr);

  // ---- What a Film reads.
  VideoSource* GetVideo() const override { return video; }
  AudioSource* GetAudio() const override { return audio; }
  MidiSource* GetMidi() const override { return midi; }
  int32_t GetIn() const override { return inTime; }
  int32_t GetOut() const override { return outTime; }
  int32_t GetLength() const override { return duration; }
  const char* GetName() const override { return name; }
  // The parts the clip stands for, which the Skip option narrows while it
  // is dropped on the time-line.
  int32_t GetKinds() const override { return static_cast<int32_t>(kind); }

  VideoData* video = nullptr;
  AudioData* audio = nullptr;
  MidiData* midi = nullptr;
  TEVideoBitmap* thumbnail = nullptr;
  uint32_t kind = 0;
  int32_t inTime = 0;
  int32_t outTime = 0;
  int32_t duration = 0;
  int32_t sourceLength = 0;
  int32_t faceTime = 0;
  BYTE pixels[kThumbnailBytes];
  // The file name the source holds; valid while that source is held.
  const char* path = nullptr;
  char name[kClipNameSize] = {};

 private:
  // Draws the face from the video at faceTime, or white without video.
  void RenderFace();
};
