// Calendar times: file times (100-ns ticks since 1601-01-01 UTC) split into
// fields and back, and date and time texts in the user's locale, as far as
// the C library knows it (day and month names and the time layout of LC_TIME).
#pragma once

#include "platform/core/types.h"

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;      // 1..12
  WORD wDayOfWeek = 0;  // 0 = Sunday
  WORD wDay = 0;        // 1..31
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};
using LPSYSTEMTIME = SYSTEMTIME*;

using LCID = DWORD;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// GetDateFormat flags (0 is the short date).
constexpr DWORD DATE_SHORTDATE = 0x00000001;
constexpr DWORD DATE_LONGDATE = 0x00000002;

// Years 1601 to 30827; false for a time outside (high bit set).
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
// Ignores wDayOfWeek; false for a field out of its range.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
// UTC to local time with the offset of the local time zone at that moment.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);

// The date of `date` (the current local date when null) as text. Only the
// locale's own layouts are supported: format must be null. Returns the number
// of characters written with the terminator; with size 0, the size needed;
// 0 when the date is invalid, the flags are unknown or the buffer is too small.
int GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCSTR format, LPSTR buffer, int size);
// The time of `time` (the current local time when null) in the locale's
// layout; flags must be 0. Returns as GetDateFormat.
int GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer, int size);
