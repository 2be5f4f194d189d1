// The audio engine: the project's output format and the SOUND settings, the
// sizing of the playback blocks, the wave-out device, the per-line and
// master gains, the declick ramps, the command, reader and mixer threads
// with their pipes, and the mixer window's life.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "audio/data_pipe.h"
#include "audio/gain_profile.h"
#include "platform/audio/wave.h"
#include "platform/core/sync.h"
#include "platform/core/types.h"

class AudioData;
class EffectList;
class Film;

// Program-wide values of the output.
extern WAVEFORMATEX OutputFormat;  // changed only by AudioPlayer::SetFormat
extern BOOL Limit16;               // device format limited to 16 bits
extern char Sound_File[MAX_PATH];  // the temporary sound file

// Turns size bytes of device samples out of floats on the 16-bit scale.
using OutputWriter = void (*)(void* destination, const float* source, DWORD size);

// One play segment: a piece of a source on a line of the time-line.
struct AudioSegment {
  AudioSegment* next = nullptr;
  LONG track = 0;
  LONG start = 0;  // ms of the time-line
  LONG end = 0;
  LONG in = 0;  // ms of the source
  AudioData* source = nullptr;
};

// One audio line as the engine plays it.
class TTrack {
 public:
  TTrack() = default;
  TTrack(const TTrack&) = delete;
  TTrack& operator=(const TTrack&) = delete;

  // {value / 512 x clip volume / 512, ms} for each volume point of the clip.
  void BuildVolumePoints(std::vector<FVolumeProfile>& list) const;
  // Gain profiles of the current clip at the output rate. All return true
  // at once when points exist; the playing builders first return false,
  // with no points, for a muted line.
  bool BuildMonoProfile();
  bool BuildStereoProfile();
  bool BuildMonoProfileUnclamped();
  bool BuildStereoProfileUnclamped();

  Film* film = nullptr;  // the current clip
  LONG points = 0;       // 0: not built
  std::vector<SVolumeProfile> profile;
  std::atomic<float> gain{0.0f};  // 0.0: muted
  std::atomic<float> pan{0.0f};
  EffectList* effects = nullptr;
  AudioSegment* segment = nullptr;  // the reader's cursor

 private:
  bool Build(bool stereo, bool clamp);
};

// The mixer window as the engine sees it; the mixer dialog implements it.
class MixerNotices {
 public:
  virtual ~MixerNotices() = default;
  virtual bool IsWindowValid() = 0;
  // Sends WM_USER+99 with code and arg; returns the reply.
  virtual LRESULT Notify(WPARAM code, LPARAM arg) = 0;
  virtual void CloseWindow() = 0;
};
// Makes the mixer dialog for OpenMixer (installed by the mixer window).
using MixerFactory = MixerNotices* (*)(HWND parent, bool faders, bool onTop);

// A list control the device choice is shown in.
class DeviceListControl {
 public:
  virtual ~DeviceListControl() = default;
  virtual int AddString(const char* text) = 0;
  virtual void SetSelIndex(int index) = 0;
};

constexpr UINT kEngineQuitMessage = 0x400 + 300;  // ends the command thread

class AudioPlayer {
 public:
  // Engine states.
  enum : int {
    kNoDevice = 0,
    kIdle = 1,
    kPaused = 2,
    kPlaying = 3,
    kDraining = 7,
    kRendering = 8,
    kPlayingSource = 9,
    kStreaming = 10,
    kDisabled = 255,
  };

  AudioPlayer();
  ~AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  // Settings and format.
  int Configure(DWORD rate, int channels, int code, int maxHdr, int maxBlockRead, int maxBlockTrack,
                float& delay, float& preview, float& maxPreview);
  int SetFormat(DWORD rate, int channels, int code);
  bool ApplySampleCode(int code);
  bool SetStreamFormat(int code);
  int RestoreFormat();
  void BuildDeclickRamps();
  static void LinearRampUp(LONG n, float* out);
  static void LinearRampDown(LONG n, float* out);

  // Device and buffers.
  bool TestDevice();
  bool OpenDevice();
  void CloseDevice();
  void UnprepareHeaders();
  bool AllocBuffers();
  void FreeBuffers();
  void ListDevices(DeviceListControl& list);
  void SelectDevice(int index);

  // Gains, effects and the mixer window.
  void SetTrackVolumePan(int track, int volume, int pan);
  void SetTrackEffects(int track, EffectList* list);
  static void SetMixerFactory(MixerFactory factory);
  void OpenMixer(HWND parent, bool faders, bool onTop);
  void CloseMixer();
  LRESULT NotifyMixer(WPARAM code, LPARAM arg);

  void DeleteSoundFile();
  static void ShowError(int code, const char* arg, const char* caption);
  static void ShowWaveOutError(MMRESULT result, const char* caption);

  // Threads and the reader.
  int StartCommandThread();
  void StopCommandThread();
  bool StartReader();
  bool StartMixer();
  void StopReader();
  void StopMixer();
  bool StartWorkers();
  void StopWorkers();
  void ReaderLoop();
  bool ReadTrackBlock(int track);
  bool OnThreadMessage(const MSG& message);
  void PlayLoop(WAVEHDR* header);
  void MixTracks();
  AudioSegment* FirstSegmentOfTrack(AudioSegment* list, int track) const;
  void RewindForLoop();
  // Sets up the reader for [start, end) ms of the segments, tracks lines,
  // looping or not; the segments belong to the caller.
  void SetReadRange(AudioSegment* segments, int tracks, LONG start, LONG end, bool loop, bool allTracks);

  // What the rest of the program reads.
  bool IsUsable() const { return hasDevice_ != 0; }
  int GetState() const { return state_.load(); }
  int GetWaveOutId() const { return WaveOutId; }
  int GetProjectCode() const { return projectCode_; }
  DWORD GetUnit() const { return unit_; }
  DWORD GetUnitsPerBlock() const { return unitsPerBlock_; }
  LONG GetBlockFrames() const { return blockFrames_; }
  DWORD GetBlockBytes() const { return blockBytes_; }
  DWORD GetFloatBytesPerBlock() const { return floatBytesPerBlock_; }
  DWORD GetStereoFloatBytes() const { return stereoFloatBytes_; }
  LONG GetPreviewFrames() const { return previewFrames_; }
  LONG GetPreviewFadeFrames() const { return previewFadeFrames_; }
  OutputWriter GetWriter() const { return writer_; }
  LONG GetRampLength() const { return rampLength_; }
  const float* GetFadeIn() const { return fadeIn_.get(); }
  const float* GetFadeOut() const { return fadeOut_.get(); }
  TTrack& Track(int i) { return tracks_[i]; }
  float GetMasterGain() const { return masterGain_.load(); }
  float GetMasterPan() const { return masterPan_.load(); }
  EffectList* GetMasterEffects() const { return masterEffects_; }
  HWAVEOUT GetWaveOut() const { return waveOut_; }
  HANDLE GetDeviceEvent() const { return deviceEvent_; }
  TDataPipe* GetReadPipe() const { return readPipe_.get(); }
  TDataPipe* GetTrackPipe() const { return trackPipe_.get(); }
  TData* GetMixBuffer() const { return mixBuffer_.get(); }
  LONGLONG GetReadPosition() const { return readPos_; }
  bool IsReaderRunning() const { return readerRunning_.load(); }
  // A command thread runs (it ends when the device closes).
  bool HasCommandThread();
  DWORD GetCommandThreadId() const { return commandThreadId_; }
  CRITICAL_SECTION& MixingLock() { return mixLock_; }
  CRITICAL_SECTION& StateLock() { return stateLock_; }

  // One playback block: its memory and its headers.
  struct Block {
    std::unique_ptr<BYTE[]> data;
    DWORD bytes = 0;
    std::unique_ptr<WAVEHDR[]> headers;
  };
  const std::vector<Block>& Blocks() const { return blocks_; }

  // Settings of section SOUND.
  int WaveOutId = 0;
  int MaxHdr = 4;
  int MaxBlockRead = 16;
  int MaxBlockTrack = 4;
  float Delay = 1.0f;
  float PreviewLength = 0.1f;
  float MaxPreviewLength = 1.0f;
  int DeclickType = 1;
  float InOutLength = 1.0f;
  HWND owner = nullptr;  // receives the device's close notice

 private:
  static DWORD CommandThreadProc(void* engine);
  static DWORD ReaderThreadProc(void* engine);
  static DWORD MixerThreadProc(void* engine);
  UINT DeviceNumber() const;
  void SizeBlocks();

  // Device.
  BYTE hasDevice_ = 0;
  HWAVEOUT waveOut_ = nullptr;
  HANDLE deviceEvent_ = nullptr;
  signed char deviceMap_[20] = {};
  int deviceCount_ = -1;
  std::atomic<int> state_{kNoDevice};

  // Tracks.
  TTrack tracks_[4];
  int trackCount_ = 0;
  EffectList* masterEffects_ = nullptr;
  std::atomic<float> masterGain_{1.0f};
  std::atomic<float> masterPan_{0.0f};

  // Derived sizes.
  DWORD unit_ = 4096;
  DWORD unitsPerBlock_ = 1;
  LONG blockFrames_ = 4096;
  DWORD blockBytes_ = 4096;
  DWORD floatBytesPerBlock_ = 0;
  DWORD stereoFloatBytes_ = 0;
  LONG previewFrames_ = 0;
  LONG previewFadeFrames_ = 0;

  // Buffers.
  std::vector<Block> blocks_;
  std::unique_ptr<TDataPipe> readPipe_;
  std::unique_ptr<TDataPipe> trackPipe_;
  std::unique_ptr<TData> mixBuffer_;
  OutputWriter writer_ = nullptr;

  // Declick.
  LONG rampLength_ = 0;
  std::unique_ptr<float[]> fadeIn_;
  std::unique_ptr<float[]> fadeOut_;

  // Threads.
  HANDLE commandThread_ = nullptr;
  DWORD commandThreadId_ = 0;
  DWORD ownerThread_ = 0;      // the thread of the owner window
  bool commandEnded_ = false;  // the command thread saw the device close
  HANDLE readerThread_ = nullptr;
  HANDLE mixerThread_ = nullptr;
  std::atomic<bool> readerRunning_{false};
  std::atomic<bool> mixerRunning_{false};

  // Locks.
  CRITICAL_SECTION stateLock_;
  CRITICAL_SECTION requestLock_;
  CRITICAL_SECTION mixLock_;

  MixerNotices* mixer_ = nullptr;
  int projectCode_ = 2;

  // The range the reader walks, in frames of the output rate.
  AudioSegment* segments_ = nullptr;
  LONGLONG startPos_ = 0;
  LONGLONG readPos_ = 0;
  LONGLONG endPos_ = 0;
  bool loop_ = false;
  bool allTracks_ = false;
};

extern AudioPlayer* TheAudioPlayer;
