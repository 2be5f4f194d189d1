// The wait before play: a small top-most dialog holds the start of a
// prepared play until the operator presses Enter or Space, or a GPI input of
// the board fires, and then starts the video sub-player, the audio engine
// and the MIDI player itself, in one message on the main thread. A thread of
// its own waits (polling, or blocked in the board library) and speaks to the
// dialog only by messages.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "model/players.h"
#include "platform/classlib/dialog.h"

class TimeLinePlayers;

// GPI_TIMEOUT of section SYNCHRONIZATION: how long a GPI wait lasts (ms).
// The project frame reads and writes it; the settings page edits it.
extern int32_t GpiTimeout;
constexpr int32_t kDefaultGpiTimeout = 3600000;

// The dialog's messages.
constexpr UINT kWaitShowMessage = 0x400 + 99;   // from the thread: the wait has begun
constexpr UINT kWaitEndMessage = 0x400 + 88;    // from the thread: the wait is over
constexpr UINT kWaitStartMessage = 0x400 + 89;  // start the players

class WaitDialog : public TDialog {
 public:
  WaitDialog(HWND parent, int resId, int32_t parts, TimeLinePlayers* players);
  ~WaitDialog() override;

  // mode 0: no wait, true. 1: a key. 2 to 5: GPI line mode - 2 (false at
  // once without a board). Other modes: false. True only when the dialog
  // started the players.
  static bool Execute(HWND parent, int32_t parts, int32_t mode, TimeLinePlayers* players);

  // On the wait thread: returns when the start was given or the wait ended.
  virtual void Wait() = 0;
  // The start is given (Start, a remote start).
  virtual void Ok() = 0;
  virtual void Cancel() = 0;

  void SetupWindow() override;

  int32_t parts;
  // 2 until the start is given, then 1.
  std::atomic<int32_t> result{2};
  // The players were started.
  bool started = false;
  // The thread's end was handled.
  bool closed = false;

 protected:
  void CmOk();
  void CmCancel();
  LRESULT EvWaitShow(WPARAM, LPARAM);
  LRESULT EvWaitEnd(WPARAM, LPARAM);
  LRESULT EvWaitStart(WPARAM, LPARAM);
  void EvSysCommand(UINT cmdType, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvLButtonDown(UINT modKeys, const TPoint& point);

  // The kind's own items, before the thread starts.
  virtual void SetupItems() {}
  // Whether the wait was told to end (start or cancel).
  virtual bool EndAsked() = 0;
  // Whether the wait ends without anybody (a board input or its time-out):
  // where nobody can answer, it is not cancelled but runs to its end.
  virtual bool EndsByItself() const { return false; }
  // Runs the dialog until the wait thread has closed it; its result.
  int RunModal();
  // Runs messages until the thread has closed the dialog, or the program
  // quits (which cancels the wait).
  void RunToItsEnd();
  // Ends the wait and the thread (a kind's destructor calls it too).
  void EndThread();

  HWND parentWindow;
  TimeLinePlayers* players;
  HANDLE thread = nullptr;

 private:
  static DWORD ThreadMain(void* dialog);
  bool ClickOn(int id, const TPoint& point);

  DECLARE_RESPONSE_TABLE(WaitDialog);
};

class WaitKeyboardDialog : public WaitDialog {
 public:
  WaitKeyboardDialog(HWND parent, int32_t parts, TimeLinePlayers* players);
  ~WaitKeyboardDialog() override { EndThread(); }
  void Wait() override;
  void Ok() override;
  void Cancel() override;
  bool EndAsked() override { return done != 0; }

  // Set once the start is given or cancelled.
  std::atomic<int32_t> done{0};
};

class WaitGPIDialog : public WaitDialog {
 public:
  WaitGPIDialog(HWND parent, int32_t parts, TimeLinePlayers* players, int32_t line);
  ~WaitGPIDialog() override { EndThread(); }
  void Wait() override;
  void Ok() override;
  void Cancel() override;

  int32_t line;

 protected:
  void SetupItems() override;
  bool EndAsked() override;
  bool EndsByItself() const override { return true; }

 private:
  // Ends the board's wait, starting (run) or abandoning it; also when it has
  // not begun yet.
  void EndWait(bool run);

  std::mutex lock_;
  bool ended_ = false;        // OK or Cancel came
  bool inBoardWait_ = false;  // the thread is in the board's wait
};

// The wait before play as the time-line reaches it.
class WaitDialogs : public WaitBeforePlay {
 public:
  explicit WaitDialogs(TimeLinePlayers* players) : players_(players) {}
  bool Execute(HWND owner, int32_t parts, int32_t kind) override {
    return WaitDialog::Execute(owner, parts, kind, players_);
  }

 private:
  TimeLinePlayers* players_;
};
