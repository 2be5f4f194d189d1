// Keyboard accelerators: tables of key combinations and the commands they
// send, and their translation in the message loop.
#pragma once

#include "platform/gui/user_types.h"

DECLARE_HANDLE(HACCEL);

constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct ACCEL {
  BYTE fVirt = 0;  // FVIRTKEY: key is a virtual key, else a character
  WORD key = 0;
  WORD cmd = 0;
};

HACCEL CreateAcceleratorTable(const ACCEL* accels, int count);
BOOL DestroyAcceleratorTable(HACCEL accel);
// Copies up to count entries (all of them with a null out is their number).
int CopyAcceleratorTable(HACCEL accel, ACCEL* out, int count);
// When msg is a key of the table, sends hwnd WM_COMMAND with the command
// (high word 1) and returns nonzero. A command that is an item of hwnd's
// menu bar first brings that menu up to date (WM_INITMENU,
// WM_INITMENUPOPUP) and is not sent while the item is disabled, nor to a
// disabled window; the key counts as translated all the same.
int TranslateAccelerator(HWND hwnd, HACCEL accel, const MSG* msg);
#define CreateAcceleratorTableA CreateAcceleratorTable
#define TranslateAcceleratorA TranslateAccelerator
