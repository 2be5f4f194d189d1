// AudioData: an audio source. The one interface through which the program
// reads sound from a media file. Sources are reference-counted and shared by
// path: every open source is linked into one program-wide list, and asking
// for a file that is already open returns the same object with one more
// reference. The factory picks the reader class from the file name.
//
// The Film model holds sources through its AudioSource interface.
//
// Sources are created, released and compared with their files on the main
// thread; the engine's reader thread calls ReadBlock on sources the main
// thread holds. Counts and the list carry no lock: their users never change
// them from two threads at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "media/sample_block.h"
#include "media/sample_routines.h"
#include "model/media_interfaces.h"
#include "platform/audio/wave.h"
#include "platform/core/types.h"

// A wave format record in a file: 18 bytes, then cbSize extra bytes.
constexpr DWORD kWaveFormatFileSize = 18;
constexpr WORD kWaveFormatExtensible = 0xFFFE;

class AudioData : public AudioSource {
 public:
  explicit AudioData(const char* fileName);
  ~AudioData() override;
  AudioData(const AudioData&) = delete;
  AudioData& operator=(const AudioData&) = delete;

  // ---- virtual operations, in the order the readers override them ----
  AudioData* AddRef() override;
  // Drops a reference; below 1 the source deletes itself.
  void Release() override;
  // Takes name (cut to 259 characters), re-reads the file time (kept when the
  // file does not open) and drops the waveform overview.
  virtual bool Open(const char* name);
  virtual void ReadHeader();
  // PCM or IEEE float at the engine's output sample rate.
  bool IsDirectFormat() override;
  bool IsOpen() override;
  virtual bool BeginRead();
  void EndRead() override;
  virtual bool CloseFile();
  virtual bool Reopen();
  // Reads frames as stored, brought to little-endian unsigned-8 / signed
  // layout by sample type; returns whole frames read. 0 when not open.
  virtual LONG ReadSamples(void* buffer, std::int64_t firstFrame, LONG frameCount);
  // Reads raw frames into block (no byte-order change: ToFloat does it), sets
  // its counts and copies the source's 16-byte format into it; returns the
  // frames held. 0 when not open.
  virtual LONG ReadBlock(SampleBlock* block, std::int64_t firstFrame, LONG frameCount);
  virtual DWORD LengthInSamples();
  virtual bool OpenHandle();
  virtual void CloseHandle();
  // count bytes of sample data from byte position into buffer; returns the
  // bytes read.
  virtual LONG ReadBytes(void* buffer, std::int64_t position, LONG count);
  virtual LONG GetFactLength();

  // ---- what the Film model reads ----
  int32_t GetError() override { return error; }
  uint16_t GetFormatTag() override { return format != nullptr ? format->wFormatTag : 0; }
  int32_t GetLength() override { return length; }
  const char* GetFileName() override { return fileName; }
  // Reads the file's header again, under name; false when it no longer reads.
  bool Reload(const char* name) override;

  // ---- the shared list ----
  // The factory: the returned source carries one reference for the caller.
  // Null for a missing, unreadable or empty file.
  static AudioData* OpenShared(const char* fileName);
  // The open source of this path (compared exactly); adds no reference.
  static AudioData* FindByName(const char* fileName);
  static AudioData* FirstShared();
  // Takes the source out of the shared list, so that it is never found by
  // name (a stand-in for another source); the destructor copes with that.
  void Unlink();
  // Compares every open source with its file's last-write time and hands the
  // changed and vanished ones to the Film model; true when anything was
  // handled.
  static bool CheckChangedFiles(HWND caller);

  // Re-reads the file time; false when the file is gone or changed (the new
  // time is kept).
  bool IsUnchanged();
  // Fills the routine table (and the sample type unless a reader preset it)
  // from the format record.
  void SetFormat();
  // SampleTypeOfFormat of the format record; 0 without one.
  int GetSampleType();
  // Describes frames silent float frames of the source's channels and rate
  // and zeroes them.
  LONG PrepareFloatBlock(SampleBlock* block, LONG frames);

  // ---- fields ----
  AudioData* next = nullptr;
  AudioData* prev = nullptr;
  // Both counts also change on the engine's command thread, which gives a
  // single source back when it has played.
  std::atomic<LONG> referenceCount{0};
  char fileName[MAX_PATH] = {};
  FILETIME fileTime{};
  LONG length = 0;                  // milliseconds
  WAVEFORMATEX* format = nullptr;   // the format record, owned; extra bytes follow the struct
  DWORD formatSize = 0;             // size of the record as a file stores it (16, 18 or more)
  LONG factLength = 0;
  std::atomic<LONG> openCount{0};
  // Held by the readers while the count and the file handle change together.
  std::recursive_mutex openLock;
  LONG error = 0;
  LONG sampleType = 0;
  LONG peakByteCount = 0;
  std::unique_ptr<BYTE[]> peakBlock1;
  std::unique_ptr<BYTE[]> peakBlock2;

  GainToMonoRoutine GainToMono = nullptr;
  GainToMonoRampRoutine GainToMonoRamp = nullptr;
  GainToStereoRoutine GainToStereo = nullptr;
  GainToStereoRampsRoutine GainToStereoRamps = nullptr;
  GainToStereoRampRightRoutine GainToStereoRampRight = nullptr;
  GainToStereoRampLeftRoutine GainToStereoRampLeft = nullptr;
  ToFloatRoutine ToFloat = nullptr;
  ApplyEnvelopeRoutine ApplyEnvelope = nullptr;
  ApplyEnvelopeAtRoutine ApplyEnvelopeAt = nullptr;

 protected:
  // A zeroed format record for a record of size bytes as a file stores it
  // (18 bytes and the extra ones, which follow the struct in memory); false
  // when memory is short.
  bool AllocateFormat(DWORD size);
  void FreeFormat();
  // Takes a wave format record as a file stores it (size bytes, little-endian)
  // and checks it: a record shorter than 16 bytes, no or more than 2 channels,
  // a zero rate, bytes per second or block align, or PCM / float samples the
  // routines cannot convert give 6. An extensible record of PCM or float
  // samples becomes the plain record. Returns 0, 2 or 6.
  int LoadFormatRecord(const BYTE* bytes, DWORD size);
  void FreePeaks();
  // Tells the clip collection that the open state changed.
  void NotifyOpenStateChanged();

 private:
  std::unique_ptr<BYTE[]> formatStorage_;
};

// The audio length in milliseconds of bytes of data at bytesPerSecond,
// rounded; never negative, at most 2^31 - 1.
LONG AudioLengthMs(std::int64_t bytes, DWORD bytesPerSecond);
