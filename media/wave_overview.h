// The waveform overview of an audio source: for each of its first two
// channels a byte array of alternating extreme values (8-bit scale centred
// on 128), at most 32,768 bytes whatever the file's length; exact 8-bit
// values of a short range for close zoom levels; and the LIST "PICT" record
// in which the clip-collection file keeps an overview.
//
// These are operations of AudioData on its peak fields; they live here
// beside the record format.
#pragma once

#include <cstdint>

#include "platform/core/types.h"
#include "platform/riff/riff.h"

class AudioData;

constexpr LONG kMaxWaveformBytes = 32768;

// The overview of a source of frames frames: each byte pair covers
// 2 x step frames.
struct WaveformLayout {
  DWORD step = 1;
  LONG byteCount = 0;
};
WaveformLayout WaveformLayoutFor(DWORD frames);

// Builds the overview when the source has none (a progress dialog with
// Cancel for long files; a cancel keeps what was scanned). Memory failure
// sets the source's error to 2 and leaves no overview.
void FillWaveform(AudioData* source);

// Writes channels x count 8-bit values of the frames from firstFrame on,
// interleaved by channel; 128 where there is no sample.
void ScanPeaks(AudioData* source, BYTE* destination, std::int64_t firstFrame, LONG count);

// Writes the source's overview as a "PICT" record at the file's position;
// size receives the bytes written, 0 when there was nothing worth storing.
// False on a write failure.
bool SaveWaveform(AudioData* source, HMMIO file, LONG* size, const char* collectionFolder);

// The clip-collection loader's moved files.
class MovedFileList {
 public:
  virtual ~MovedFileList() = default;
  // The new path of a moved file, or null.
  virtual const char* NewPathOf(const char* oldPath) const = 0;
};

// Reads one "PICT" record of at most recordSize bytes from the file's
// position and gives the overview to the open source it names: 0 done,
// 6 malformed, 17 the file changed since, 18 no open source needs it.
int LoadWaveform(HMMIO file, LONG recordSize, const char* collectionFolder, const MovedFileList* moved);
