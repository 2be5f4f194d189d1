// Windows of the other running instances of the program. An instance that
// publishes a window class listens on a Unix domain socket of its own in the
// runtime folder ("peer-<pid>.sock"); the top-level windows of its published
// classes are then seen by the others: FindWindowEx finds them (after this
// instance's own windows), SendMessage reaches them and waits a bounded time
// (a peer silent past it answers 0), PostMessage queues on them and
// GetWindowLong reads them. Only messages from WM_USER on cross (the
// system's own may carry pointers). A message whose wParam or lParam is one of the
// sender's windows carries it as such, so that the receiver can read that
// window's text (GetWindowText) while the sender waits for the answer.
// Sockets of instances that no longer run are removed when they are met.
#pragma once

#include "platform/gui/user_types.h"

// Which messages another instance may send to a published class's window:
// false refuses one at the boundary (the sender gets 0). lParamIsText: the
// message came with text as its lParam (PeerSendText), which the window
// receives as a pointer to a copy of it; numbers from another process are
// never taken for pointers, so a message that passes a pointer within the
// program must be refused here unless it came as text.
using PeerMessageFilter = bool (*)(UINT msg, WPARAM wParam, bool lParamIsText);

// Top-level windows of this class become visible to the other instances.
// Without a filter every message from WM_USER on crosses, text never.
void PublishWindowClass(LPCSTR className, PeerMessageFilter accepts = nullptr);
// SendMessage to another instance's window with text as lParam (see above).
LRESULT PeerSendText(HWND hwnd, UINT msg, WPARAM wParam, LPCSTR text);
// How long SendMessage and the other calls wait for another instance (ms of
// real time; 5000 unless set).
void SetPeerTimeout(DWORD milliseconds);
DWORD PeerTimeout();
// A connection to the socket of the instance pid (-1 when it does not
// listen), for a caller that writes the frames itself.
int ConnectToInstance(DWORD pid);
// Stops listening and removes this instance's socket (also at exit).
void StopPeerListener();

// --- For the window system ---
// Whether the handle stands for another instance's window.
bool IsPeerWindowHandle(HWND hwnd);
// The next published window of another instance (after one of them, or the
// first when after is no peer window) of that class and text (null: any).
HWND PeerFindWindow(HWND after, LPCSTR className, LPCSTR windowName);
LRESULT PeerSendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PeerPostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LONG_PTR PeerGetWindowLong(HWND hwnd, int index);
// The text, from the instance's sender that waits on this one when there is
// one, else from the instance itself; 0 when it cannot be had.
int PeerGetWindowText(HWND hwnd, LPSTR text, int size);
