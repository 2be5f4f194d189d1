// Times are signed 32-bit milliseconds everywhere; frames appear only at the
// edges (snapping, addressing a video frame, showing a time). This file holds
// the millisecond/frame conversions, the three time-code texts and the 64-bit
// multiply-divide routines used for every scaling.
#pragma once

#include "platform/core/types.h"

// Time-line positions lie in 0..kDayMs; kDayMs also starts every earliest-start scan.
constexpr LONG kDayMs = 86400000;

// Program-wide time format.
constexpr int kTimeFormatMs = 0;
constexpr int kTimeFormatSmpte = 1;
constexpr int kTimeFormatFrames = 2;

// The project frame rate (25.0 until set) and the time format (0 until set;
// anything but 1 and 2 behaves as 0). Readable from any thread.
float ProjectFrameRate();
// Keeps the current rate and returns false for a rate that is not a positive
// finite number, so no conversion ever divides by zero.
bool SetProjectFrameRate(float rate);
int ProjectTimeFormat();
void SetProjectTimeFormat(int format);

// trunc(frames * 1000 / rate + 0.499) and trunc(ms * rate * 0.001 + 0.499),
// computed in extended precision. A rate that is not positive gives 0; results
// beyond 32 bits are held at the int32 limits.
LONG FramesToMs(LONG frames, float rate);
LONG MsToFrames(LONG ms, float rate);
// ms moved by n frames at the project rate; n = 0 snaps to the nearest frame.
LONG MsAddFrames(LONG ms, LONG n);
LONG MsSubFrames(LONG ms, LONG n);

// Smallest buffer FormatTimeCode writes into.
constexpr size_t kTimeCodeSize = 32;
// The time-code text of ms in the current time format, with the unit word
// ("fr" or "ms") when withUnit is set.
void FormatTimeCode(LONG ms, char* buffer, BOOL withUnit);
// The same text in a given time format and frame rate (a control that keeps
// its own, whatever the program's are now).
void FormatTimeCodeAs(LONG ms, char* buffer, BOOL withUnit, int format, float rate);
// The same text in a scratch buffer.
char* MsToTimeCodeText(LONG ms, BOOL withUnit);
// The text without its leading zeros and colons ("00:00:05:12fr" -> "5:12fr"),
// in a scratch buffer: the form every message and status text uses.
char* MsToShortTimeCode(LONG ms, BOOL withUnit);

// a * b / c with a 64-bit product. A zero divisor gives 0; a quotient beyond
// 32 bits is held at the limit of the result type.
LONG MulDivSignedTrunc(LONG a, LONG b, LONG c);  // truncates toward zero
LONG MulDivRoundSigned(LONG a, LONG b, LONG c);  // rounds half away from zero
DWORD MulDivTrunc(DWORD a, DWORD b, DWORD c);    // truncates
DWORD MulDivRound(DWORD a, DWORD b, DWORD c);    // rounds half up
