// The clipboard, kept inside the program: one block of memory per format,
// handed over as global memory handles. Edit controls cut, copy and paste
// CF_TEXT through it.
#pragma once

#include "platform/gui/user_types.h"

constexpr UINT CF_TEXT = 1;

// Global memory, as the clipboard takes and gives it: a handle whose block
// GlobalLock reaches.
using HGLOBAL = HANDLE;
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
SIZE_T GlobalSize(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);  // null on success

// One thread at a time has the clipboard open; EmptyClipboard makes the
// window given to OpenClipboard its owner. SetClipboardData takes the block
// over; GetClipboardData's block stays the clipboard's.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE mem);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
HWND GetClipboardOwner();
