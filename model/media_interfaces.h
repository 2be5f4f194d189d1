// What the Film model needs of the media it places on the time-line: the
// shared audio, video and MIDI sources, the prepared start pictures, the
// thumbnails and the effect lists. The media classes implement these; the
// Film model never sees more of them than is listed here.
//
// Every holder (a Film, a clip, a clipboard or undo copy) keeps one reference
// on what it holds and gives it back once; the last release deletes the
// object. Video sources and thumbnails count with interlocked operations,
// the others plainly; that is each implementation's business.
#pragma once

#include <cstdint>

// A shared video file.
class VideoSource {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;
  virtual int32_t GetError() = 0;
  // The file's rate equals the project's and the video player can take it.
  virtual bool IsDirectPlayable() = 0;
  virtual bool IsOpen() = 0;
  // A holder that places the source on the time-line opens it for use;
  // EndRead gives that use back.
  virtual void BeginRead() = 0;
  virtual void EndRead() = 0;
  virtual bool Reload(const char* name) = 0;
  virtual bool IsKeyFrame(int32_t frame) = 0;
  virtual int32_t GetFrameCount() = 0;
  virtual float GetFrameRate() = 0;
  virtual const char* GetFileName() = 0;

 protected:
  virtual ~VideoSource() = default;
};

// A shared audio file.
class AudioSource {
 public:
  // Returns the source itself, as holders store the result.
  virtual AudioSource* AddRef() = 0;
  virtual void Release() = 0;
  virtual int32_t GetError() = 0;
  // Integer PCM or float samples at the engine's output rate.
  virtual bool IsDirectFormat() = 0;
  // The format tag of the file's samples (1 PCM, 3 IEEE float, ...); 0 when unknown.
  virtual uint16_t GetFormatTag() = 0;
  virtual int32_t GetLength() = 0;  // ms
  virtual bool IsOpen() = 0;
  // Opens the file for use (false when it cannot); EndRead gives the use back.
  virtual bool BeginRead() = 0;
  virtual void EndRead() = 0;
  virtual bool Reload(const char* name) = 0;
  virtual const char* GetFileName() = 0;

 protected:
  virtual ~AudioSource() = default;
};

// A loaded standard MIDI file.
class MidiSource {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;
  // 0 when the file loaded.
  virtual int32_t GetError() = 0;
  virtual bool MayBeShared() = 0;
  virtual int32_t GetLength() = 0;  // ms at tempo 1000
  virtual bool IsOpen() = 0;
  // Opens the data for use (the first open prepares it); Close gives it back.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool Reload(const char* name) = 0;
  virtual const char* GetFileName() = 0;

 protected:
  virtual ~MidiSource() = default;
};

// The prepared picture of a Film's first frame when that frame is not a key frame.
class StartFrameRecord {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;

 protected:
  virtual ~StartFrameRecord() = default;
};

// A shared thumbnail of one source frame.
class Thumbnail {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;

 protected:
  virtual ~Thumbnail() = default;
};

// A chain of audio effects.
class EffectChain {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;
  virtual bool IsOpen() = 0;
  // Opens the chain for a clip's audio (null: for the engine's output
  // format); the first open creates the effects. Close gives it back.
  virtual bool Open(AudioSource* source) = 0;
  virtual void Close() = 0;
  // Drops a sound file that holds the chain's effects already applied.
  virtual void DeleteTempFile() = 0;
  // A list of its own for another clip: the same effects and settings,
  // opened once for source. Null when it cannot be had; the clip then keeps
  // sharing this one.
  virtual EffectChain* Clone(AudioSource* source) { return nullptr; }

 protected:
  virtual ~EffectChain() = default;
};

// Gives back the reference p holds (if any) and leaves p null.
template <class T>
void Drop(T*& p) {
  if (T* held = p) {
    p = nullptr;
    held->Release();
  }
}

// Closes the held chain if it is open, gives back its reference and leaves
// held null.
void ReleaseChain(EffectChain*& held);

// One clip of the clip collection, as a Film reads it. The collection owns
// its clips; a detached clip is deleted by whoever detached it.
class ClipItem {
 public:
  virtual ~ClipItem() = default;
  virtual VideoSource* GetVideo() const = 0;
  virtual AudioSource* GetAudio() const = 0;
  virtual MidiSource* GetMidi() const = 0;
  virtual int32_t GetIn() const = 0;      // ms, source time
  virtual int32_t GetOut() const = 0;     // ms, source time
  virtual int32_t GetLength() const = 0;  // ms
  virtual const char* GetName() const = 0;
  // What the clip stands for on the time-line, as kKind... bits; by
  // default the kinds of the sources it has.
  virtual int32_t GetKinds() const;
};

// The media layer's program-wide services. The media subsystems install the
// real one at start-up; the defaults find nothing and make nothing.
class MediaServices {
 public:
  virtual ~MediaServices() = default;
  // The start-picture record of (source, frame) with one more reference;
  // null when the frame is a key frame or there is no source.
  virtual StartFrameRecord* CreateStartFrame(VideoSource* source, int32_t frame);
  // The thumbnail of (source, a, b, scale) with one more reference, made from
  // the source's frame at a when it is not cached.
  virtual Thumbnail* GetThumbnailFromSource(void* dc, int32_t scale, VideoSource* source, int32_t a,
                                            int32_t b);
  // The loaded sources of a file, without adding a reference; null when none.
  virtual VideoSource* FindVideoByName(const char* name);
  virtual AudioSource* FindAudioByName(const char* name);
  virtual MidiSource* FindMidiByName(const char* name);
  // Whether the audio source is the sound file of an effect list with its
  // effects applied.
  virtual bool IsEffectTempFile(AudioSource* source);
  // The effect list's own description appended to a clip or line name
  // (" has not audio effects" for none), at most size - 1 characters.
  virtual void DescribeEffects(EffectChain* effects, char* text, int32_t size);
};

// Installs services (null: the defaults); returns the ones before.
MediaServices* SetMediaServices(MediaServices* services);
MediaServices& CurrentMediaServices();
