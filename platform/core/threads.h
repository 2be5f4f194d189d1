// Threads. A thread handle is waitable: it is signalled when the thread has
// ended, so WaitForSingleObject joins it. Every thread made here has its
// message queue from the start, so messages posted to its id before it runs
// are kept. Stack sizes and priorities are hints: a requested stack smaller
// than the system's default gets the default, and a priority is applied as
// far as the system grants it without privileges (never a failure).
#pragma once

#include "platform/core/handle.h"
#include "platform/core/errors.h"  // CREATE_SUSPENDED and STILL_ACTIVE, shared with processes
#include "platform/core/types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// securityAttributes is ignored (any pointer or null). Returns null and sets
// the last error when the thread cannot be made.
HANDLE CreateThread(const void* securityAttributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// Returns the previous suspend count, or 0xFFFFFFFF for a bad handle.
DWORD ResumeThread(HANDLE thread);

// Ids are never 0 and never reused; threads not made by CreateThread get
// theirs on first use.
DWORD GetCurrentThreadId();
// A pseudo handle meaning "the calling thread"; it needs no CloseHandle.
HANDLE GetCurrentThread();

BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
// STILL_ACTIVE while the thread runs, then the start routine's result.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

// The waitable object of the calling thread when CreateThread made it, else
// null (for waits on GetCurrentThread()).
Waitable* CurrentThreadObject();
