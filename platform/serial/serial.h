// Serial ports over termios. A port is opened by name: "COMn" is the n-th
// serial line of the system (/dev/ttyS(n-1)); a name that starts with "/"
// is a device path as it is (a pseudo-terminal, a USB adapter). The handle
// is closed with CloseHandle. Reads and writes follow the time-outs set
// with SetCommTimeouts, measured on the program's clock.
#pragma once

#include "platform/core/types.h"

// Parity and stop bits as the serial settings number them.
constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;

// PurgeComm.
constexpr DWORD PURGE_TXABORT = 0x1;
constexpr DWORD PURGE_RXABORT = 0x2;
constexpr DWORD PURGE_TXCLEAR = 0x4;
constexpr DWORD PURGE_RXCLEAR = 0x8;

struct DCB {
  DWORD DCBlength = sizeof(DCB);
  DWORD BaudRate = 0;
  DWORD fBinary = 1;
  DWORD fParity = 0;  // parity checking on input
  BYTE ByteSize = 8;  // 5 to 8
  BYTE Parity = NOPARITY;
  BYTE StopBits = ONESTOPBIT;
};
using LPDCB = DCB*;

// A read ends when its bytes are in, or ReadIntervalTimeout ms passed
// between two bytes (0: no such limit), or the total (multiplier x bytes +
// constant) passed (both 0: no total). ReadIntervalTimeout MAXDWORD with
// both totals 0 returns at once with what is there. A write ends by its
// total the same way.
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout = 0;
  DWORD ReadTotalTimeoutMultiplier = 0;
  DWORD ReadTotalTimeoutConstant = 0;
  DWORD WriteTotalTimeoutMultiplier = 0;
  DWORD WriteTotalTimeoutConstant = 0;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

// The device a port name stands for; empty when the name is none.
// Exposed for tests.
bool CommDevicePath(LPCSTR name, char* path, DWORD size);

// Opens the port for reading and writing, in raw mode; INVALID_HANDLE_VALUE
// with the last error set when it cannot be opened or is no terminal.
HANDLE OpenCommPort(LPCSTR name);

BOOL GetCommState(HANDLE port, LPDCB dcb);
// A baud rate the system has no speed for, or a byte size, parity or stop
// bits out of range, fails with ERROR_INVALID_PARAMETER.
BOOL SetCommState(HANDLE port, LPDCB dcb);
BOOL GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL PurgeComm(HANDLE port, DWORD flags);
// A time-out is no failure: the call succeeds with the bytes moved.
BOOL ReadComm(HANDLE port, LPVOID buffer, DWORD count, LPDWORD read);
BOOL WriteComm(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written);
