// The players, the transition service and the wait before play as the
// time-line's playback drives them. The video, MIDI and transition modules,
// the wait dialog and the audio engine implement these; the program hands
// them to the engine through TimeLinePlayers, and tests supply their own.
// Every call comes from the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/types.h"

class Film;
class FilmListHead;
class VideoSource;
class AudioSource;
class StartFrameRecord;
struct MixSetup;
struct SubPlayerInfo;

// The video output made for the current stream format. The defaults stand
// for an output that plays nothing, so that a fake overrides only what its
// test drives.
class SubVideoPlayer {
 public:
  virtual ~SubVideoPlayer() = default;
  // Releases the codec or the board; the player stays.
  virtual void Close() {}
  // 0 unusable, 1 ready, 2 prepared, 3 running, 4 done, 5 failed,
  // 6 preparing.
  virtual int32_t GetState() { return state; }
  // Whether a stream of this format plays on this player as it is.
  virtual bool CanContinueWith(const SubPlayerInfo& stream) { return false; }
  // Prepares and prefills [start, end) ms of the segments (linked through
  // next, in start order) without running; films is the project's list. An
  // error code; 17 (nothing to play) is never shown.
  virtual int32_t Start(Film* segments, int32_t start, int32_t end, FilmListHead& films) { return 17; }
  // Ends a started or prepared play; with releaseCodec the codec may close too.
  virtual void Finish(bool releaseCodec) {}
  // Starts the prepared play.
  virtual void Run(HWND window) {}
  virtual void Stop() {}
  // The frames shown since the video player's base frame.
  virtual int32_t GetFrame() { return 0; }
  // Tells the user how many frames were skipped; the report may switch
  // *showOption off.
  virtual void ReportSkippedFrames(HWND window, bool* showOption) {}
  // The preview window comes up and takes the focus.
  virtual void SetFocus() {}
  // A preview window stands while nothing is prepared or playing.
  virtual bool HasIdlePreview() { return false; }
  // A decoded picture of one source frame for a cut into it, with one
  // reference for the caller; null for a key frame, or from players that
  // prepare no pictures.
  virtual StartFrameRecord* CreateKeyFrame(VideoSource* source, int32_t frame) { return nullptr; }
  // Shows one picture while not playing; frame is the index entry that
  // holds the frame's data, reinit opens the output anew. An error code.
  virtual int32_t ShowStill(VideoSource* source, int32_t frame, bool reinit) { return 17; }

  std::atomic<int32_t> state{0};
};

// The program-wide video player, as the engine and the windows use it.
class VideoEngine {
 public:
  virtual ~VideoEngine() = default;
  // Null when no output exists.
  virtual SubVideoPlayer* CurrentSubPlayer() = 0;
  // The frame of the start of the last play.
  virtual int32_t BaseFrame() = 0;
  // The option to report skipped frames, which the report may switch off.
  virtual bool* ShowTimeoutsOption() = 0;
  // Hands the segments (linked through next, in start order) to the
  // sub-player, which prepares and prefills [start, end) without running.
  // False when refused; the player has told the user why.
  virtual bool Play(Film* segments, int32_t start, int32_t end, FilmListHead& films, HWND window) = 0;
  // Shows the frame of source at ms (a frame start) on the current output.
  virtual void ShowOnBoard(VideoSource* source, int32_t ms, HWND window) = 0;
  // The key frame at or before frame, as the source's index gives it.
  virtual int32_t FindKeyFrame(VideoSource* source, int32_t frame) = 0;

  // The holders of video streams (0: not in use).
  virtual int32_t UseCount() { return 0; }
  // Usable while it holds no stream format, or has an output for it.
  virtual bool IsUsable() { return true; }
  // Its picture is on the computer's screen (not on the board).
  virtual bool ShowsOnScreen() { return false; }
  // A video source of this format opens, or one closes.
  virtual void AcquireSubPlayer(const SubPlayerInfo& stream) {}
  virtual void ReleaseSubPlayer() {}
  // Makes the output anew for the held format; Detach closes its codec.
  virtual void Attach() {}
  virtual void Detach() {}
  // The output's preview window comes up with the focus.
  virtual void FocusSubPlayer() {}
  // Drops an output whose preview window stands idle.
  virtual void CloseIdlePreview() {}
  // The window that the outputs it makes report to (the preview window's
  // settings item and keys, the board's size notice).
  virtual void SetNotifyWindow(HWND window) {}
  // The options of the video settings page.
  virtual void GetOptions(float& frameRate, bool& showTimeouts, int32_t& zoom, bool& onTop, bool& synchronize,
                          int32_t& drawType) {}
  // The result of a frame-rate change, or 0 when the rate stayed.
  virtual int32_t SetOptions(float frameRate, bool showTimeouts, int32_t zoom, bool onTop, bool synchronize,
                             int32_t drawType) {
    return 0;
  }
};

// The audio engine's playback as the time-line drives it.
class AudioEngine {
 public:
  virtual ~AudioEngine() = default;
  // Sets the engine up to play [start, end) ms of films (a whole list, or
  // one film standing alone) with the mix, opens the output paused and
  // primes it. realtimeMute plays lines of gain 0 too, so that muting can
  // change while playing; preview plays the range over and over.
  virtual bool PrepareRange(Film* films, const MixSetup& mix, int32_t start, int32_t end, HWND window,
                            bool realtimeMute, bool preview) = 0;
  // Mixes [start, end) ms of films into the sound file, each time at its own
  // place in the file, with a progress dialog; false on failure or cancel
  // (the engine has told the user what failed).
  virtual bool PrepareWaveForPlay(Film* films, const MixSetup& mix, int32_t start, int32_t end) = 0;
  // Starts the prepared, paused output.
  virtual bool Resume() = 0;
  virtual void Stop() = 0;
  // The output position in ms of the time-line; -1 when not playing.
  virtual int32_t GetPosition() = 0;
  // 3 and 7 mean playing.
  virtual int32_t GetState() = 0;
  // The output format.
  virtual uint32_t SampleRate() = 0;
  virtual uint32_t AvgBytesPerSec() = 0;
  virtual uint32_t BlockAlign() = 0;
  // The shared audio source of the sound file, with one reference for the
  // caller; null when it cannot be opened.
  virtual AudioSource* OpenSoundFile() = 0;
};

// The MIDI line's playback.
class MidiEngine {
 public:
  virtual ~MidiEngine() = default;
  // Prepares the MIDI films of [start, end) ms at the line's volume (a gain
  // index, 512 unity) without starting; the window gets MM_MOM_DONE, to be
  // passed to BufferDone, and message 101 when the playback has ended.
  // False when refused; the player has told the user of a device error.
  virtual bool Prepare(Film* films, int32_t start, int32_t end, HWND window, int32_t volume) = 0;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  // The time-line position in ms; -1 without a stream.
  virtual int32_t GetPosition() = 0;
  // Whether the chosen MIDI output plays streams.
  virtual bool IsUsable() = 0;
  virtual int32_t GetState() = 0;  // 3 while playing
  // The device has played a buffer (MM_MOM_DONE).
  virtual void BufferDone() = 0;
};

// The wait before play.
class WaitBeforePlay {
 public:
  virtual ~WaitBeforePlay() = default;
  // Waits as kind asks (1 a key, 2 + n GPI input n) and, when the wait
  // ends, starts the prepared players of parts itself (video, audio, MIDI),
  // so that they start the moment the wait is over. False when cancelled:
  // nothing was started.
  virtual bool Execute(HWND owner, int32_t parts, int32_t kind) = 0;
};

// The tape recorder link: the deck as playback drives it, and its settings
// as its setup dialog reads and writes them: start time (ms), deck type (0 none, 1 AG 5700, 2 Sony Betacam),
// port name (up to kTapePortLength characters), baud rate, data bits (5 to
// 8), parity (0 no, 1 odd, 2 even, 3 mark, 4 space), stop bits (0 one, 1 one
// and a half, 2 two), time-code source (0 counter, 1 LTC), preroll (s),
// video format (0 PAL, 1 NTSC) and accuracy (frames), in this order.
constexpr int kTapePortLength = 32;

class TapeControl {
 public:
  virtual ~TapeControl() = default;
  virtual void Stop() = 0;
  // The deck answers.
  virtual bool IsConnected() = 0;
  // Cues the deck with pre-roll to record [start, end) ms of the time-line;
  // 0 when it is ready, else an error code (the deck's failure has been told).
  virtual int32_t SeekPreroll(int32_t start, int32_t end) = 0;
  // port: room for kTapePortLength characters and the terminator.
  virtual void GetSettings(int32_t& start, int32_t& type, char* port, int32_t& baud, int32_t& dataBits,
                           int32_t& parity, int32_t& stopBits, int32_t& timeCode, int32_t& preroll,
                           int32_t& format, int32_t& accuracy) = 0;
  // Stores the settings and connects the deck anew with them; true when
  // there is no deck or it answered.
  virtual bool SetSettings(int32_t start, int32_t type, const char* port, int32_t baud, int32_t dataBits,
                           int32_t parity, int32_t stopBits, int32_t timeCode, int32_t preroll, int32_t format,
                           int32_t accuracy) = 0;
  // Section VTR: read (and the deck connected) when the time-line window is
  // set up, written with its settings; the link goes with the window.
  virtual void ReadSettings() {}
  virtual void WriteSettings() {}
  virtual void Disconnect() {}
};

// One transition between two overlapping video clips: clip A (the earlier)
// and clip B meet over [start, end) ms, the overlap. The record keeps the
// kind chosen for the pair and where its rendered file stands; the
// transition service owns it (the VFX line and the play engine read it).
// Bodies in video/transitions.
class VFXModule;
struct VFXRenderPlan;

struct VFXEntry {
  enum State : int32_t {
    Idle = 0,                  // nothing rendered and nothing wanted: the pair vanished
    Rendered = 1,              // rendered holds the opened file
    Rendering = 2,             // the render service is at it now
    Waiting = 3,               // wants rendering
    RenderingInvalidated = 4,  // changed while rendering: renders again
    RenderingCancelled = 5,    // vanished while rendering: goes idle
  };

  VFXEntry();
  ~VFXEntry();
  VFXEntry(const VFXEntry&) = delete;
  VFXEntry& operator=(const VFXEntry&) = delete;

  // Fills the record from the films (a before b), with a reference on each
  // video source and what the renderer will read of them.
  void InitFromFilms(const Film& a, const Film& b);
  // The films of the pair again: when only their place on the time-line
  // moved, refreshes start, end and bOnHigherRow and returns false;
  // otherwise (always for an idle record) fills the record anew, keeping
  // kind and parameter, invalidates it and returns true.
  bool Update(const Film& a, const Film& b);
  // The pair's geometry, kind or parameter changed.
  void Invalidate();
  // The pair is gone (or the program ends).
  void Cancel();
  // Drops the references and the opened file; an idle record's file is
  // deleted.
  void FreeData();

  VFXEntry* next = nullptr;  // the chain of the last Schedule, film order
  int32_t start = 0;         // ms: B's start
  int32_t end = 0;           // ms: A's end
  uint8_t bOnHigherRow = 0;  // B's video row is above A's
  uint32_t stampA = 0;
  uint32_t stampB = 0;
  VideoSource* sourceA = nullptr;
  VideoSource* sourceB = nullptr;
  int32_t firstFrameA = 0;  // source frames shown at start
  int32_t firstFrameB = 0;
  int32_t frameCount = 0;
  int32_t kind = 0;  // 0 dissolve, 1..4 wipes
  uint32_t parameter = 0;  // a wipe's soft edge in pixels
  VideoSource* rendered = nullptr;  // none until rendering has finished
  uint32_t lastSeen = 0;  // ms of the last Schedule that found the pair
  int32_t state = Waiting;
  VFXEntry* link = nullptr;  // every transition of the service, newest first

  // The service's bookkeeping.
  uint32_t seenIn = 0;    // the Schedule call that last found the pair
  int32_t failures = 0;   // failed renders in a row
  uint32_t failedAt = 0;  // ms of the last failure
  bool written = false;   // a finished file waits to be opened on the main thread
  bool fileBusy = false;  // another holder has the file's name open
  std::string failure;    // why the last render failed, when it could tell
  std::shared_ptr<const VFXRenderPlan> plan;
};

// The transition service: one transition per pair of overlapping video
// clips, rendered in the background. The list is shared with the render
// service's thread: what depends on a transition's state or rendered file is
// read between Lock and Unlock (the film lock). Schedule, List, Lock and
// Unlock are virtual so that the engine's tests can stand in for the list.
class VFXQueue;

class VFX {
 public:
  VFX();
  virtual ~VFX();
  VFX(const VFX&) = delete;
  VFX& operator=(const VFX&) = delete;

  // Brings the transitions up to date with the project's films and returns
  // the chain of current ones in film order.
  virtual VFXEntry* Schedule();
  // The chain as the last Schedule left it.
  virtual VFXEntry* List();

  // After Schedule: the transition whose overlap holds ms, or null.
  VFXEntry* FindAt(int32_t ms);
  // Kind (held to 0..4) and parameter of t; a change renders it again.
  void SetTransition(VFXEntry* t, int32_t kind, uint32_t parameter);
  // Frames still to render: the waiting transitions' frame counts.
  int32_t TotalLength();
  // Shows what t is in the status line.
  void TraceState(const VFXEntry* t);
  // The name of a kind, held to 0..4.
  static const char* KindName(int32_t kind);
  // At program end, after the render service stopped: cancels and frees
  // every transition.
  void FreeAll();

  // The render service's side, called on its thread.
  // The transition queued earliest that may render now, or null.
  VFXEntry* NextWaiting();
  // Hands t to job when it still waits; it is rendering then.
  bool TakeJob(VFXEntry* t, VFXQueue& job);
  // The job of t ended, with its file written whole or not (why: the
  // reason of a failure, when the job knows it).
  void FinishRender(VFXEntry* t, bool written, const std::string& why = std::string());

  // Adds the segments of transition t inside [start, end) to list: its
  // rendered file over its frames, or before rendering a cut at its middle
  // from the first film's source to the second's.
  void BuildSegments(const VFXEntry& t, FilmListHead& list, int32_t start, int32_t end, const Film& first,
                     const Film& second);
  // The picture at time where the transition joining a and b (either
  // order) lies: film and time become the film to show and the source time
  // in it. False when no transition joins them.
  bool PickSide(Film*& film, int32_t& time, Film* a, Film* b);

  // The film lock, for readers of a transition's state or rendered file.
  virtual void Lock();
  virtual void Unlock();

 private:
  // Main-thread chores of the list: references the render thread let go,
  // finished files to open, files another holder has open.
  void Settle();
  void MoveToHead(VFXEntry* t);
  void Delete(VFXEntry* t);

  std::unique_ptr<VFXModule> module_;
  // The film of a rendered file last handed out by PickSide.
  std::unique_ptr<Film> picked_;
};
