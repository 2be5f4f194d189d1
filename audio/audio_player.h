// The audio engine: the project's output format and the SOUND settings, the
// sizing of the playback blocks, the wave-out device, the per-line and
// master gains, the declick ramps, the command, reader and mixer threads
// with their pipes, and the mixer window's life; the mixing of the audio
// lines (track_mixer.cpp), playback and scrubbing (play_control.cpp), block
// streaming, the WAVE export and the play file (wave_export.cpp), and the
// playing of one source alone (single_source_play.cpp).
//
// The engine takes each line's clips from the time-line's Film list when a
// range is set up: each line has a cursor for the reader thread and one for
// the mixer thread, moved by the same rules, so that the n-th block of the
// read pipe is the n-th piece the mixer expects.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "audio/data_pipe.h"
#include "audio/gain_profile.h"
#include "audio/mix_setup.h"
#include "platform/audio/wave.h"
#include "platform/core/sync.h"
#include "platform/core/trace.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class AudioData;
class EffectChain;
class EffectList;
class Film;

// Program-wide values of the output.
extern WAVEFORMATEX OutputFormat;  // changed only by AudioPlayer::SetFormat
extern BOOL Limit16;               // device format limited to 16 bits
extern char Sound_File[MAX_PATH];  // the temporary sound file

// Turns size bytes of device samples out of floats on the 16-bit scale.
using OutputWriter = void (*)(void* destination, const float* source, DWORD size);

// A clip of a line as the reader and the mixer take it. Its source and list
// are found once, when the range is set up, not for every piece of every
// block; the list is looked at again only when the clip's chain changes.
struct MixClip {
  Film* film = nullptr;
  AudioData* source = nullptr;    // null: the clip plays silence
  EffectChain* chain = nullptr;   // the clip's effects as last seen
  EffectList* effects = nullptr;  // what that chain is
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

  Film* film = nullptr;  // the clip the mixer stands at (clips[mixAt])
  LONG points = 0;       // 0: not built
  std::vector<SVolumeProfile> profile;
  std::atomic<float> gain{0.0f};  // 0.0: muted
  std::atomic<float> pan{0.0f};
  EffectList* effects = nullptr;
  std::vector<MixClip> clips;  // the line's clips in the range's list order
  std::size_t mixAt = 0;       // the mixer's cursor in clips
  std::size_t readAt = 0;      // the reader's cursor in clips
  // Whether the line has cursors in this mix; decided once when the mix is
  // set up, so that the reader and the mixer rewind a loop alike whatever
  // the faders do meanwhile.
  bool playing = false;

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
  // The level meters: the samples of a block that just played (sample type
  // as SampleTypeOfFormat gives it), and both meters back to 0. Called on
  // the engine's command thread.
  virtual void UpdatePeakMeters(const void* data, DWORD bytes, int sampleType, int channels) {}
  virtual void ClearMeters() {}
};

// The volume-control server as the engine tells it about playback. The
// application installs it when the server exists and the board mixer is in
// use; without one the engine plays unchanged.
class VolumeServer {
 public:
  virtual ~VolumeServer() = default;
  // 0 when the server took the playback (1) or the recording (0).
  virtual LONG Start(LONG playback) = 0;
  virtual void Stop() = 0;
  // The server's volume window for a device: an output (flag 0) or an
  // input (1).
  virtual void ShowForDevice(LONG device, LONG flag) {}
  // Brings up the server's mixer.
  virtual void ShowMixer() {}
  // The volume window: moved to a screen point, or hidden.
  virtual void Move(LONG x, LONG y) {}
  virtual void Hide() {}
};
// The volume-control server of the program; null when it could not be made.
extern VolumeServer* TheMixerServer;
// Makes the mixer dialog for OpenMixer (installed by the mixer window).
using MixerFactory = MixerNotices* (*)(HWND parent, bool faders, bool onTop);

// What the mixer window reads and writes of the project: the master volume
// (gain index 0..2047, 512 unity) and pan (-256..256), the engine's mix while
// playing, the prepared play file, the meters' off switch and the audio
// lines' picture. The time-line installs it with the mixer factory; tests
// install their own.
class MixerHost {
 public:
  virtual ~MixerHost() = default;
  virtual int32_t MasterVolume() = 0;
  virtual int32_t MasterPan() = 0;
  virtual void SetMasterVolume(int32_t gain) = 0;
  virtual void SetMasterPan(int32_t pan) = 0;
  // Passes a line's (-1: the master's) values to the engine while playing.
  virtual void UpdateEngineMix(int32_t line) = 0;
  // Drops the prepared play file, so that it is mixed again.
  virtual void ResetChangedRanges() = 0;
  virtual bool MetersOff() = 0;
  virtual void SetMetersOff(bool off) = 0;
  virtual void RepaintAudioLines() = 0;
  virtual bool IsPlaying() = 0;
  virtual bool CommandsEnabled() = 0;
  virtual int32_t AudioLineCount() = 0;
};

// A list control the device choice is shown in.
class DeviceListControl {
 public:
  virtual ~DeviceListControl() = default;
  virtual int AddString(const char* text) = 0;
  virtual void SetSelIndex(int index) = 0;
};

constexpr UINT kEngineQuitMessage = 0x400 + 300;  // ends the command thread

// The engine's state, which several threads read; each change is one line
// on the audio trace channel.
class EngineState {
 public:
  explicit EngineState(int state) : state_(state) {}
  EngineState& operator=(int state) {
    const int before = state_.exchange(state);
    if (TraceOn(kTraceAudio) && before != state) Trace(before, state);
    return *this;
  }
  operator int() const { return state_.load(); }
  int load() const { return state_.load(); }

 private:
  [[gnu::cold]] static void Trace(int before, int after);
  std::atomic<int> state_;
};

class AudioPlayer {
 public:
  // Engine states.
  enum : int {
    kNoDevice = 0,
    kIdle = 1,
    kPaused = 2,
    kPlaying = 3,
    kDraining = 7,
    kScrubbing = 8,
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
  // What SetFormat would answer before it changes anything: 0 when the
  // engine can run the format.
  int CheckFormat(DWORD rate, int channels, int code) const;
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
  // The factory and what the mixer it makes works on (both null: none).
  static void SetMixerFactory(MixerFactory factory, MixerHost* host = nullptr);
  static MixerHost* GetMixerHost();
  void OpenMixer(HWND parent, bool faders, bool onTop);
  void CloseMixer();
  LRESULT NotifyMixer(WPARAM code, LPARAM arg);

  void DeleteSoundFile();
  static void ShowError(int code, const char* arg, const char* caption);
  static void ShowWaveOutError(MMRESULT result, const char* caption);

  // Threads.
  int StartCommandThread();
  void StopCommandThread();
  bool StartReader();
  bool StartMixer();
  void StopReader();
  void StopMixer();
  bool StartWorkers();
  void StopWorkers();
  bool OnThreadMessage(const MSG& message);

  // Track mixing (track_mixer.cpp). Positions are frames of the output rate.
  void ReaderLoop();
  bool ReadTrackBlock(int line);
  void MixerLoop();
  bool MixTrackMono(int line, SampleBlock* block);
  bool MixTrackStereo(int line, SampleBlock* block);
  bool ApplyEffectList(EffectList* list, SampleBlock* block);
  bool SumTrackMono(int line, SampleBlock* out, const SampleBlock* in);
  bool SumTrackStereo(int line, SampleBlock* out, const SampleBlock* in);
  // The next output block in the output format at destination (block bytes
  // of it); the range frames it covers, 0 at the end of the range.
  LONG MixNextBlock(void* destination);
  Film* FirstFilmOfLine(Film* film, int line) const;
  void RewindReader();
  void RewindMixer();
  // Every list of a render that starts (play, scrub, export) at the
  // render's quality, each effect from silence: a render never hears what an
  // earlier one left in a delay line, and one project renders the same
  // sound every time.
  void StartEffects(Film* films, const MixSetup& setup);
  // Mixes one block at position directly, without the threads (scrubbing).
  LONG MixScrubBlock(void* destination, LONGLONG position, LONG frames);
  // Sets the lines, the master and the positions up for [start, end) ms of
  // films; a line of volume 0 takes part only with allLines. The number of
  // lines that take part.
  int SetMixRange(Film* films, const MixSetup& setup, LONG start, LONG end, bool allLines, bool loop);

  // Playback and scrubbing (play_control.cpp).
  bool PrepareRange(Film* films, const MixSetup& setup, LONG start, LONG end, HWND window, bool allLines,
                    bool loop);
  bool Resume();
  void Stop();
  LONG GetPosition();
  void PlayLoop(WAVEHDR* header);
  bool StartScrub(Film* films, const MixSetup& setup, LONG time, HWND window, const BYTE* flag);
  void RequestSeek(LONG time);
  void StopScrub();
  void NotifyVolumeServerStart();
  void NotifyVolumeServerStop();
  void ResetMasterEffect();
  static void SetVolumeServer(VolumeServer* server);
  // The server told about playback and recording (null: none).
  static VolumeServer* GetVolumeServer();

  // Block streaming, the WAVE export and the play file (wave_export.cpp).
  // here: each block is read and mixed on the thread that asks for it, for
  // a consumer that has nothing else to do meanwhile (the sound exports);
  // otherwise the reader and mixer threads work ahead of it (the video
  // exports, which decode and encode pictures between blocks).
  bool BeginMixStream(Film* films, const MixSetup& setup, LONG start, LONG end, int code, bool here = false);
  // The next block: its bytes, 0 at the end; -1 when not streaming.
  LONG GetMixBlock(BYTE** data, LONG* frames);
  void EndMixStream();
  bool ExportWave(HWND parent, Film* films, const MixSetup& setup, LONG start, LONG end, const char* fileName,
                  int code);
  static bool WriteInfoList(HMMIO file);
  bool PrepareWaveForPlay(Film* films, const MixSetup& setup, LONG start, LONG end);

  // One source alone (single_source_play.cpp).
  bool PlayOut(AudioData* source, LONG start, LONG end);
  void StopOut();
  bool OpenSourceDevice();
  bool AllocSourceHeaders();
  bool QueueSourceHeaders();
  LONG ReadSourceBlock(void* destination, LONGLONG frame, LONG frames);
  void FreeSourceHeaders();

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
  LONGLONG GetMixPosition() const { return mixPos_; }
  LONGLONG GetConsumerPosition() const { return consumerPos_; }
  int GetLineCount() const { return trackCount_; }
  LONG GetBlockIndex() const { return blockIndex_; }
  LONG GetBlocksInFlight() const { return blocksInFlight_; }
  const WAVEFORMATEX& GetSourceFormat() const { return sourceFormat_; }
  AudioData* GetSource() const { return source_; }
  bool IsReaderRunning() const { return readerRunning_.load(); }
  // A command thread runs (it ends when the device closes).
  bool HasCommandThread();
  // Sets owner under the state lock.
  void SetOwner(HWND window);
  DWORD GetCommandThreadId() const { return commandThreadId_; }
  CRITICAL_SECTION& MixingLock() { return mixLock_; }
  CRITICAL_SECTION& StateLock() { return stateLock_; }

  // One playback block: its memory and its headers.
  struct Block {
    std::unique_ptr<BYTE[]> data;
    DWORD bytes = 0;
    std::unique_ptr<WAVEHDR[]> headers;
    LONG inFlight = 0;  // headers the device has not given back
  };
  // A header with its own data: the scrub and single-source headers.
  struct OwnHeader {
    WAVEHDR header;
    std::unique_ptr<BYTE[]> data;
  };
  // Queues the entry's bytes, one unit per header; false when none was queued.
  bool WriteBlock(Block& entry);
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
  void SetLines(const MixSetup& setup, bool allLines);
  void CollectLineClips();
  bool MixTrack(int line, SampleBlock* block, bool stereo);
  void ApplyClipEffects(MixClip& clip, SampleBlock* raw);
  // Whether the clip has a list to run, as the time-line last gave it.
  bool HasClipEffects(MixClip& clip);
  // Runs the master effects and writes the output block; the range frames it
  // covers, which the consumer has then passed.
  LONG FinishOutputBlock(void* destination);
  void ApplyDeclick(Film* film, AudioData* source, SampleBlock* raw, LONGLONG q, LONG n);
  bool Declicks(const Film* film) const;
  bool MayDeclick(const Film* film, LONGLONG q, LONG n) const;
  bool SetUpWithoutDevice(Film* films, const MixSetup& setup, LONG start, LONG end, bool here);
  bool AllocStreamBuffers(bool here);
  // The next block read and mixed on the caller's thread.
  LONG MixBlockHere(void* destination);
  LONG MixLinesHere(SampleBlock* line, void* destination);
  void FreeStreamBuffers();
  bool AllocScrubBuffers();
  void FreeScrubBuffers();
  LONG MixScrubLoop(WAVEHDR* header);
  void CountOffDraining();
  void SourceLoop();
  void CloseSourceDevice();
  void ReleaseSource();

  // Device.
  BYTE hasDevice_ = 0;
  HWAVEOUT waveOut_ = nullptr;
  HANDLE deviceEvent_ = nullptr;
  signed char deviceMap_[20] = {};
  int deviceCount_ = -1;
  EngineState state_{kNoDevice};

  // Lines.
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
  HWND closeOwner_ = nullptr;  // the owner when the device was closed
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

  // The mix: the Film list of the range and the positions of the reader,
  // the mixer and the consumer, in frames of the output rate.
  Film* films_ = nullptr;
  LONGLONG loopStart_ = 0;
  LONGLONG readPos_ = 0;
  LONGLONG readEnd_ = 0;
  LONGLONG mixPos_ = 0;
  LONGLONG mixEnd_ = 0;
  LONGLONG consumerPos_ = 0;
  LONGLONG consumerEnd_ = 0;
  bool loop_ = false;
  bool allLines_ = false;
  LONG quality_ = 0;
  std::unique_ptr<TData> scrubRead_;  // the read block while scrubbing
  std::unique_ptr<TData> scrubLine_;  // the line block while scrubbing
  // The read and line blocks of a stream mixed on its consumer's thread;
  // null for one the workers mix.
  std::unique_ptr<TData> hereRead_;
  std::unique_ptr<TData> hereLine_;
  // A stream mixed here reads each line's clip ahead in large pieces, one
  // read for many blocks; a piece that goes straight into the line block
  // (nothing between conversion and envelope) is taken from there.
  struct ReadAhead {
    std::unique_ptr<BYTE[]> bytes;  // null when the stream has none
    const AudioData* source = nullptr;
    LONGLONG first = 0;  // the source frame of bytes[0]
    LONG held = 0;       // frames read
    SampleBlockFormat format;
  };
  ReadAhead readAhead_[4];
  // What it reads at once: few enough calls that the kernel's part of a
  // read weighs little.
  static constexpr LONG kReadAheadBytes = 512 * 1024;
  // The raw piece of n frames at source frame q of line's clip from the
  // line's read-ahead, reading up to want frames anew when it is not there;
  // false when the piece is not whole there (it is then read as usual).
  bool ReadAheadPiece(int line, AudioData* source, LONGLONG q, LONG n, LONGLONG want, SampleBlock* piece);

  // Playback.
  BYTE stopFlag_ = 0;
  LONG startTime_ = 0;  // ms: the clock's origin
  LONG blocksInFlight_ = 0;
  LONG blockIndex_ = 0;
  BYTE volumeServerTold_ = 0;
  bool closePending_ = false;  // the device closed; its command thread is ending

  // Scrubbing.
  std::unique_ptr<MixSetup> scrubSetup_;
  OwnHeader scrubHeaders_[2];
  LONGLONG currentFrame_ = 0;
  LONGLONG lastFrame_ = 0;
  LONG requestedTime_ = 0;
  BYTE requestPending_ = 0;
  const BYTE* callerFlag_ = nullptr;

  // Streaming and the play file.
  std::unique_ptr<BYTE[]> streamBuffer_;

  // One source alone.
  AudioData* source_ = nullptr;
  WAVEFORMATEX sourceFormat_{};
  DWORD sourceHeaderBytes_ = 0;
  OwnHeader sourceHeaders_[4];
  std::unique_ptr<TData> sourceBlock_;
  LONGLONG sourcePos_ = 0;
  LONGLONG sourceEnd_ = 0;
};

extern AudioPlayer* TheAudioPlayer;
