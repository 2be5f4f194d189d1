// The common machinery of the sub-players that play AVI files: the play
// list of one range (a frame entry per frame), the reader thread that reads
// the frames' data ahead into a byte ring, the display thread that shows
// each frame when the play clock says it is due, the clock itself (locked
// to the audio engine's output position), the preparation of cuts into
// frames that are not key frames, and the report of dropped frames.
//
// The concrete players say how a frame reaches the screen: the hand player
// decodes and draws it (hand_player.h), the codec players hand it to a
// codec that draws (screen_player.h, codec_player.h), and a board player
// feeds its board. CreateSubPlayer picks one for the stream's format.
//
// Three threads touch a playing sub-player: the main thread (Start, Run,
// Stop, Finish, GetState, GetFrame), the reader and the display thread.
// What they share is atomic; the play list is made before the threads start
// and freed after they have ended, and each entry's ring position is the
// only part of it that changes meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "model/players.h"
#include "platform/codecs/vfw.h"
#include "platform/core/types.h"

class AVIVideoData;
class FifoPipe;
class PreviewWindow;
class TKeyFrame;
struct SubPlayerInfo;

// One frame of a play list, in play order.
struct FrameEntry {
  // Null: nothing to read (a gap, or the picture before repeated).
  AVIVideoData* source = nullptr;
  // The index entry that holds the frame's data.
  int32_t frame = 0;
  // A decoded picture from the key-frame cache for a cut into a frame that
  // is not a key frame; the data is then not read.
  const BYTE* cached = nullptr;
  uint32_t size = 0;
  // Where the reader put the data in the ring: -1 not read yet, -2 skipped.
  std::atomic<int32_t> position{-1};
};

// Sub-player states.
enum : int32_t {
  kSubUnusable = 0,
  kSubReady = 1,
  kSubPrepared = 2,
  kSubRunning = 3,
  kSubEnded = 4,
  kSubFailed = 5,
  kSubPreparing = 6,
};

// Ring positions of an entry.
constexpr int32_t kNotRead = -1;
constexpr int32_t kSkipped = -2;

class AviSubPlayer : public SubVideoPlayer {
 public:
  AviSubPlayer();
  ~AviSubPlayer() override;
  AviSubPlayer(const AviSubPlayer&) = delete;
  AviSubPlayer& operator=(const AviSubPlayer&) = delete;

  // What the video player and the time-line call.
  void Close() override;
  int32_t GetState() override;
  bool CanContinueWith(const SubPlayerInfo& stream) override;
  void Run(HWND window) override;
  void Stop() override;
  int32_t GetFrame() override;
  void ReportSkippedFrames(HWND owner, bool* showOption) override;
  void SetFocus() override;
  bool HasIdlePreview() override;

  // The hooks the common machinery calls.
  virtual void ReleaseCodec() = 0;
  // Forgets where decoding stands, so that the next picture starts afresh.
  virtual void ResetPosition();
  // Makes the output ready for source's pictures; atStart opens it anew
  // when the codec is reopened at every operation. An error code.
  virtual int32_t InitOutput(AVIVideoData* source, bool atStart) = 0;
  virtual void ReaderEnded();
  virtual void DisplayEnded();
  // The player's millisecond clock.
  virtual DWORD Clock();
  virtual int32_t DisplayBody() = 0;
  virtual int32_t ReaderBody();
  // The preview window was painted: show the picture again.
  virtual void UpdateView() {}
  virtual void PaletteChanged() {}
  virtual int32_t PrepareKeyFrames();
  // A cut's record in the key-frame cache has no picture yet: a player
  // that decodes can make it now (0); others cannot (27).
  virtual int32_t FillKeyFrame(TKeyFrame& record);

  // The preview window follows the zoom and on-top settings.
  void ApplyZoom();
  void SetOnTop(bool on);
  // The client size of a preview window for a video of this size on this
  // screen at zoom sixteenths.
  static void PreviewClientSize(int32_t videoWidth, int32_t videoHeight, int32_t zoom, int32_t screenWidth,
                                int32_t screenHeight, int32_t* width, int32_t* height);

  // The program-wide stop flag: it ends every wait of both threads. A
  // stopping wait returns true when the flag was raised meanwhile.
  static void RaiseStop();
  static void ClearStop();
  static bool Stopping();
  static bool StopWait(DWORD milliseconds);

  // The last picture any sub-player showed: gaps repeat it while it is
  // complete (decoded from a key frame of the same run).
  static void ForgetLastShownSource();
  static void ForgetLastShownPicture();
  static void SetLastShown(AVIVideoData* source, int32_t frame);
  static AVIVideoData* LastShownSource() { return lastShownSource_; }
  static int32_t LastShownFrame() { return lastShownFrame_; }
  static bool LastImageComplete() { return lastImageComplete_; }
  static void SetLastImageComplete(bool complete) { lastImageComplete_ = complete; }

  // The reader thread's state: 3 reading, 4 all read, 5 failed.
  int32_t ReaderState() const { return readerState; }
  // The preview window, or null.
  PreviewWindow* Preview() const { return preview; }
  // The play list (for tests and the board player).
  const FrameEntry* PlayList() const { return playList.get(); }
  int32_t Count() const { return count; }
  int32_t Skipped() const { return skipped; }

  // The play clock: ms since Run, following the audio engine's output
  // position while synchronised.
  void StartClock();
  int32_t Elapsed();
  void StopClock();

 protected:
  // Fills the play list of [start, end) ms from the segments; largest
  // becomes the largest frame of the sources. An error code.
  int32_t BuildPlayList(Film* segments, int32_t start, int32_t end, uint32_t* largest);
  void FreePlayList();
  // The threads: the reader runs at once, the display thread waits
  // suspended for Run. 0 or 2.
  int32_t StartReader();
  int32_t StartDisplay();
  // Stops both threads, waits for them and drops the ring.
  void EndThreads();
  // Reads entry's data into the ring; 0, 17 when stopped or no room, 19.
  int32_t ReadEntry(FrameEntry& entry);
  // Copies a stream format into inFormat; false when memory runs out.
  bool CopyInFormat(const BITMAPINFOHEADER* format, uint32_t size);
  BITMAPINFOHEADER* InFormat() { return reinterpret_cast<BITMAPINFOHEADER*>(inFormat.get()); }
  // Whether the codec is reopened at every operation.
  static bool AutoCloseCodec();

  // The display loop of the screen players (display_loop.cpp): codec false
  // decodes each frame and draws it (LoopDecode, LoopDraw); codec true hands
  // the frames to a drawing codec ahead of their time (LoopDecode draws).
  int32_t DisplayLoop(bool codec, float fps);
  virtual bool LoopDecode(FrameEntry& entry, DWORD flags) { return false; }
  virtual bool LoopDraw() { return true; }
  virtual void LoopCodecMessage(UINT message) {}

  std::unique_ptr<FifoPipe> fifo;
  HANDLE readerThread = nullptr;
  HANDLE displayThread = nullptr;
  std::atomic<bool> readerRunning{false};
  std::atomic<bool> displayRunning{false};
  int32_t videoWidth = 64;
  int32_t videoHeight = 64;
  int32_t outWidth = 64;
  int32_t outHeight = 64;
  int32_t zoom = 16;
  std::unique_ptr<BYTE[]> inFormat;
  uint32_t inFormatSize = 0;
  HIC codec = nullptr;
  std::unique_ptr<FrameEntry[]> playList;
  int32_t count = 0;
  int32_t frameMs = 40;
  ICINFO codecInfo;
  int32_t drawType = 1;
  float frameRate = 25.0f;
  HDC dc = nullptr;
  std::atomic<int32_t> readIndex{0};
  std::atomic<int32_t> skipTo{0};
  std::atomic<int32_t> shown{0};
  std::atomic<int32_t> ahead{0};
  std::atomic<int32_t> skipped{0};
  std::atomic<int32_t> readerState{0};
  std::atomic<int32_t> displayState{0};
  // The clock. Times are DWORD ms of Clock(); differences wrap in 32 bits.
  std::atomic<DWORD> clockBase{0};
  std::atomic<int32_t> audioBase{0};
  std::atomic<DWORD> lastClock{0};
  std::atomic<int32_t> lastAudio{0};
  std::atomic<DWORD> lastAdvance{0};
  std::atomic<bool> synchronised{false};
  PreviewWindow* preview = nullptr;

 private:
  static DWORD ReaderThreadProc(LPVOID player);
  static DWORD DisplayThreadProc(LPVOID player);

  AudioEngine* audio_ = nullptr;  // the clock's, from StartClock to StopClock
  bool timerPeriod_ = false;

  static std::atomic<int32_t> stopFlag_;
  static std::atomic<AVIVideoData*> lastShownSource_;
  static std::atomic<int32_t> lastShownFrame_;
  static std::atomic<bool> lastImageComplete_;
};

// The frame duration in ms at a rate: 1000 / rate + 0.499, truncated.
int32_t FrameMsAt(float rate);

// The board's own formats ("VLMD", "VLMT"): they play on the board only.
bool IsBoardFormat(const BITMAPINFOHEADER* format);

// Makes the sub-player for a stream: the board player for the board's own
// formats when the board is chosen, else a screen player through an
// installed video codec as the default draw type says. Null when the
// stream cannot be played; the caller deletes a player whose state is 0.
SubVideoPlayer* CreateSubPlayer(const SubPlayerInfo& stream, HWND notify);
