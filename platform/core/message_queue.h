// Per-thread message queues. A thread's queue exists from its first call of
// these functions (posting included, so a thread may post to itself), or from
// its creation for threads made by CreateThread, until the thread ends.
// Posted messages are kept first in, first out: the messages one thread posts
// arrive in its order, whatever other threads post meanwhile.
//
// Filters, as taken by GetMessage and PeekMessage: hwnd null takes messages
// for any window and thread messages; HWND(-1) takes thread messages only
// (hwnd null); any other hwnd takes that window's messages. min and max both
// 0 take every message, else only min <= message <= max. The first posted
// message that matches is taken. A quit request (PostQuitMessage) matches
// every filter and comes after the posted messages.
#pragma once

#include <functional>

#include "platform/core/messages.h"
#include "platform/core/types.h"

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

constexpr DWORD QS_KEY = 0x0001;
constexpr DWORD QS_MOUSEMOVE = 0x0002;
constexpr DWORD QS_MOUSEBUTTON = 0x0004;
constexpr DWORD QS_POSTMESSAGE = 0x0008;
constexpr DWORD QS_TIMER = 0x0010;
constexpr DWORD QS_PAINT = 0x0020;
constexpr DWORD QS_SENDMESSAGE = 0x0040;
constexpr DWORD QS_HOTKEY = 0x0080;
constexpr DWORD QS_ALLPOSTMESSAGE = 0x0100;
constexpr DWORD QS_RAWINPUT = 0x0400;
constexpr DWORD QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr DWORD QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT;
constexpr DWORD QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY;
constexpr DWORD QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;

// False (last error ERROR_INVALID_THREAD_ID) when the thread has no queue.
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Blocks until a message matches: 0 for WM_QUIT, -1 for a null msg, else 1.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// PM_REMOVE or PM_NOREMOVE (PM_NOYIELD is accepted and means nothing here).
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Returns when the queue holds input (also at once when it already does).
BOOL WaitMessage();
// Asks the calling thread's message loop to end with exitCode.
void PostQuitMessage(int exitCode);
// Like WaitForMultipleObjects, and also ends with WAIT_OBJECT_0 + count when
// the queue holds input of the kinds in wakeMask (posted messages and quit
// for QS_POSTMESSAGE/QS_ALLPOSTMESSAGE, sent tasks for QS_SENDMESSAGE, which
// it runs first, and what the message source generates for the other bits).
// With waitAll, ends when all objects are signalled and input is there.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);

// ---- For the window layer ----------------------------------------------------

// The window layer plugs in here. GetMessage/PeekMessage first run the
// thread's pending sent tasks, then take the first matching posted message,
// and only then ask the source for a generated one (paint, timer, input).
class MessageSource {
 public:
  virtual ~MessageSource() = default;
  // May fill *msg with a generated message matching the filter; remove as PeekMessage's PM_REMOVE.
  // Called on the thread whose queue is read, without any lock of this layer held.
  virtual bool Generate(MSG* msg, HWND filter, UINT min, UINT max, bool remove) = 0;
  // Longest time (real ms) a blocking wait may sleep before Generate is asked
  // again (a display back-end polls its events); INFINITE when posting wakes it.
  virtual DWORD PollInterval() = 0;
};
// Program-wide; null removes it. The source must outlive its installation.
// Waiting queues ask the new source at once. A blocking wait also asks the
// source again whenever the driven clock moves (timers fall due).
void SetMessageSource(MessageSource* source);

// Runs task on the thread's next GetMessage/PeekMessage/WaitMessage/MsgWait (how
// SendMessage across threads delivers); false when the thread has no queue.
// Tasks still pending when the thread ends are destroyed without running, so
// a sender can learn of it from the destruction of what the task holds.
bool PostSentTask(DWORD threadId, std::function<void()> task);
// The calling thread's pending tasks, now; true if any ran.
bool RunSentTasks();
// A waiting GetMessage (WaitMessage, MsgWait) of that thread asks its source again.
void WakeThreadQueue(DWORD threadId);
// Does the calling thread's queue hold a posted message matching the filter?
bool HasPostedMessages(HWND filter = nullptr, UINT min = 0, UINT max = 0);
// Posts a message for a window into the queue of the thread that owns it
// (PostMessage); the same order and failure as PostThreadMessage.
BOOL PostQueueMessage(DWORD threadId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the calling thread's queue now (a thread that makes a window has one).
void EnsureMessageQueue();
bool HasMessageQueue(DWORD threadId);

// ---- Thread plumbing (CreateThread) ------------------------------------------
void CreateMessageQueueFor(DWORD threadId);
void DestroyMessageQueueFor(DWORD threadId);
// Ends the calling thread's queue; pending messages are dropped.
void DestroyMessageQueue();
