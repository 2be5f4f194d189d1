// The simulated board behind the library's entries: its resources, output
// and input window, key memory, mixer, video fifo with its playout on the
// board's own clock, and GPI lines. One per loaded library; every entry may
// come from any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/board/board_monitor.h"
#include "platform/board/vlminter.h"
#include "platform/core/types.h"

namespace vlmsim {

class Board {
 public:
  static Board& Get();
  Board();
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  // Resources.
  int Register(int n);
  int IsRegistered(int n);
  int Unregister(int n);
  int UnregisterAll();

  // Output, input window, key memory and mixer.
  int GetEnabledWindow();
  int SetEnabledWindow(int mask, int on);
  int SetInputScale(int x, int y, int width, int height);
  int GetInputScale(int* x, int* y, int* width, int* height);
  int GetOutputScale(int* x, int* y, int* width, int* height);
  int PutAlpha(const void* buffer, int count);
  int GetAlpha(void* buffer, int count);
  int SetMixerAlpha(int level);
  int SetBlender(int mode);

  // The fifo and its playout.
  void* AllocFifo(int* size);
  int ReleaseFifo();
  int SetFormat(int width, int height, int rate, int scale);
  int GetState();
  int CheckFreeSize(int count);
  int AddData(int id, int field, int kind, int count);
  int Run();
  int Pause();
  int Stop();
  int ResetCounter(int first);
  int FrameNumber();
  int LastFrameNumber();
  int Time();
  int Flush();
  int FlushTail();
  int ClearTimeouts();
  int Timeouts();

  // GPI lines.
  int SeizeGPI(int line);
  int FreeGPI(int line);
  int GetGPIInfo(int line, char* name, int size, int* closed, int* input);
  int SetGPIInfo(int line, int closed, int input);
  int RunAfterWaitGPI(int line, int fields);
  int CancelWaitGPI(int line, int run);

  int Version();

  // Control.
  void SetOutputSize(int width, int height);
  void SetFifoLimit(int bytes);
  void SetVersion(int version);
  void SetClockDriven(bool driven);
  void AdvanceClock(int milliseconds);
  void SetDrain(bool drain);
  void RaiseGPI(int line);
  bool GPIWaiting(int line);
  int GetAddDataLog(VlmSimAnnouncement* records, int max);
  void ClearAddDataLog();
  int GetLastPicture(uint32_t* pixels, int max, int* width, int* height);
  int CaptureMonitor(uint32_t* pixels, int max, int* width, int* height);

  // Called by the entries: when the caller owns the monitor window, brings
  // it up to date.
  void RefreshMonitor();

 private:
  struct Piece {
    int32_t field;
    int32_t kind;
    int32_t count;
    int64_t at;  // where its bytes begin, counted from the fifo's first byte ever written
  };
  struct Group {
    int32_t id = 0;
    bool complete = false;
    int64_t bytes = 0;
    std::vector<Piece> pieces;
  };
  struct Gpi {
    bool seized = false;
    bool closedByDefault = false;
    bool input = true;
    bool waiting = false;
    int outcome = 0;  // 0 none, 1 raised or started, 2 abandoned
    HANDLE event = nullptr;
  };

  void PlayoutLoop();
  // Under the lock.
  void StartOutput();
  void DropQueue();
  void Tick();
  void ShowGroup(const Group& group);
  void LatchStill();
  uint8_t RingByte(int64_t at) const { return fifo_[static_cast<std::size_t>(at % fifoSize_)]; }
  DWORD TickTime(int64_t tick) const;

  std::mutex lock_;
  int version_ = 1073;
  int outWidth_ = 720;
  int outHeight_ = 576;
  int inX_ = 0, inY_ = 0, inWidth_ = 720, inHeight_ = 576;
  int enabledWindow_ = 0;
  std::vector<uint8_t> keyMemory_;
  int mixerAlpha_ = 0;
  int blender_ = 1;

  uint8_t* fifo_ = nullptr;
  int fifoSize_ = 0;
  int fifoLimit_ = 0x7FFFFFFF;
  int64_t written_ = 0;
  int64_t consumed_ = 0;
  std::deque<Group> groups_;
  std::deque<VlmSimAnnouncement> log_;

  int width_ = 0, height_ = 0, rate_ = 25000, scale_ = 1000;
  bool running_ = false;
  bool drain_ = false;
  int counter_ = 0;
  bool primed_ = false;
  int lastShown_ = -1;
  int late_ = 0;
  int timeouts_ = 0;
  DWORD runStart_ = 0;
  int64_t nextTick_ = 0;
  bool stillLatched_ = false;

  std::vector<uint32_t> picture_;
  std::vector<uint8_t> alpha_[2];
  bool alphaValid_[2] = {false, false};
  uint64_t pictureSerial_ = 0;

  Gpi gpi_[4];

  // The playout thread and the handshake of the driven clock.
  HANDLE wake_ = nullptr;
  bool quit_ = false;
  uint64_t advances_ = 0;  // asked for by AdvanceClock
  uint64_t served_ = 0;    // seen by the playout's last pass
  std::condition_variable caughtUp_;
  std::thread playout_;

  // The monitor: owned by the first thread that took a resource.
  std::mutex monitorLock_;
  std::thread::id monitorOwner_;
  bool monitorOwned_ = false;
  uint64_t monitorSerial_ = 0;
  bool monitorWanted_ = true;
  Monitor monitor_;
};

}  // namespace vlmsim
