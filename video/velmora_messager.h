// The instance messenger: one hidden window of the class "TVelmoraMessager"
// in every running instance. Through it the instances share the one video
// board (an instance that wants the board asks the others to give it up, one
// that lets it go tells them), and outside programs ask for the state and
// the length of the project, open a file, prepare, start, stop and close.
// Replies are the message's result and the window's user data, which the
// asker reads with GetWindowLong. Everything runs on the main thread; the
// long requests are posted to the window itself so that the asker's
// SendMessage returns first.
#pragma once

#include <cstdint>
#include <set>

#include "platform/classlib/window.h"
#include "video/board_messenger.h"

class WaitDialog;

// What the messenger needs of the time-line window and the project frame.
class MessagerHost {
 public:
  virtual ~MessagerHost() = default;
  virtual bool IsPlaying() = 0;
  // A play range is prepared and waits to start.
  virtual bool RangePrepared() = 0;
  // The Film list is not empty.
  virtual bool HasClips() = 0;
  virtual void CmStop() = 0;
  virtual void IncludeAllClips() = 0;
  // The range bar; false without a range.
  virtual bool GetMarkRange(int32_t& start, int32_t& end) = 0;
  virtual void ReleaseFile(const char* path) = 0;
  virtual HWND TimeLineWindow() = 0;
  virtual HWND ProjectFrame() = 0;
};

// Messages and status values (the window's user data).
constexpr UINT kInstanceRequest = 0x400;        // WM_USER: (code, argument)
constexpr UINT kRemoteRequest = 0x400 + 1;      // WM_USER + 1: (code, argument)
constexpr UINT kDeferredOpen = 0x400 + 101;     // (0, name buffer)
constexpr UINT kDeferredPrepare = 0x400 + 102;  // (0, 0)
constexpr UINT kDeferredStart = 0x400 + 103;    // (0, GPI line or negative)
// The project frame's requests (WM_USER + 99 with the code).
constexpr UINT kFrameRequest = 0x400 + 99;
constexpr int kFrameCloseProjects = 20;
constexpr int kFrameOpenFile = 21;
constexpr int kFramePrepare = 22;
// The time-line's start of a prepared range (WM_USER + 89).
constexpr UINT kTimeLineStartPlay = 0x400 + 89;

enum MessagerStatus : int32_t {
  kStatusNoProject = 0,
  kStatusOpenAccepted = 1,
  kStatusProject = 2,
  kStatusPreparing = 3,
  kStatusPlaying = 4,
  kStatusPrepared = 5,
  kStatusStartAccepted = 6,
};

class VelmoraMessager : public TWindow, public BoardMessenger {
 public:
  explicit VelmoraMessager(MessagerHost* host);
  ~VelmoraMessager() override;

  // Makes the hidden window, publishes its class to the other instances and
  // installs the messenger for the board.
  bool Create() override;
  const char* GetClassName() override;

  // BoardMessenger.
  uint32_t Broadcast(int32_t code, int32_t argument) override;
  void SetBoardPlayer(SubVideoPlayer* player) override { boardPlayer = player; }
  bool BoardHandedOver() override { return handedOver; }

  // 4 playing, 5 prepared, 2 a project, 0 none.
  int32_t StatusReply();
  void SetUserData(int32_t value);

  SubVideoPlayer* boardPlayer = nullptr;
  HWND collection = nullptr;
  WaitDialog* waitDialog = nullptr;
  bool handedOver = false;

 protected:
  LRESULT EvInstanceRequest(WPARAM code, LPARAM argument);
  LRESULT EvRemoteRequest(WPARAM code, LPARAM argument);
  LRESULT EvDeferredOpen(WPARAM, LPARAM name);
  LRESULT EvDeferredPrepare(WPARAM, LPARAM);
  LRESULT EvDeferredStart(WPARAM, LPARAM argument);

 private:
  int32_t GiveUpBoard(uint32_t mask);
  int32_t RemoteRequest(int32_t code, LPARAM argument);
  // The text of a window (another instance's too), at most 255 characters.
  static bool NameOf(HWND window, char* name);

  MessagerHost* host_;
  // The names posted to the deferred open and not yet taken: only these
  // are ever read and freed there (another program may post anything).
  std::set<char*> pendingNames_;
  BoardMessenger* before_ = nullptr;
  bool installed_ = false;

  DECLARE_RESPONSE_TABLE(VelmoraMessager);
};

// The messenger of this process, null while none exists.
extern VelmoraMessager* TheVelmoraMessager;
