// Short texts (key names with a number, time codes, sizes, captions) are
// built in a ring of 32 scratch buffers of 256 bytes instead of being
// allocated. A scratch text stays valid until 32 more buffers have been taken,
// so callers use or copy it at once. Main thread only.
#pragma once

#include <cstddef>

#include "platform/core/types.h"

class ScratchStr {
 public:
  static constexpr int kCount = 32;
  static constexpr size_t kSize = 256;

  // The next buffer of the ring (not cleared).
  static char* Next();
  // Starts a text in the next buffer.
  static char* Begin();
  // Appends text (nothing for null); a text that reaches the end of the
  // buffer is cut.
  static void Append(const char* text);
  // Writes c (0 to finish the text), keeps the buffer terminated and returns
  // the start of the text.
  static char* End(char c);
};

// The decimal text of value, padded on the left to |width| characters: with
// '0' for a negative width, blanks for a positive one, none for 0.
char* IntToPaddedText(LONG value, LONG width);

// Marks an absent value of JoinInts.
constexpr LONG kJoinAbsent = static_cast<LONG>(0x80000000u);

// " v0 v1 ... ": a blank, then each value with a blank after it; absent values
// after the first are skipped. Used to store several numbers in one INI value.
char* JoinInts(LONG v0, LONG v1 = kJoinAbsent, LONG v2 = kJoinAbsent, LONG v3 = kJoinAbsent,
               LONG v4 = kJoinAbsent, LONG v5 = kJoinAbsent, LONG v6 = kJoinAbsent, LONG v7 = kJoinAbsent,
               LONG v8 = kJoinAbsent, LONG v9 = kJoinAbsent);

// Buffer size the byte texts need ("4095MB/Sec (4 294 967 295 bytes per second)").
constexpr size_t kByteTextSize = 64;
// n as a rounded size and its exact count: "1.50KB (1 536 bytes)", "500 bytes".
void FormatByteSize(char* buffer, DWORD n, size_t size = kByteTextSize);
// The same with rate units: "1.50KB/Sec (1 536 bytes per second)".
void FormatByteRate(char* buffer, DWORD n, size_t size = kByteTextSize);

// A file time as the user's long local date, a blank and the user's time, at
// most 255 characters (buffer of ScratchStr::kSize bytes); false when the time
// cannot be converted.
bool FileTimeToText(char* buffer, const FILETIME& fileTime);

// The text of a sample-type code: 1 "8", 2 "16", 3 "20", 4 "24", 5 "24.0",
// 6 "16.8", 7 "1.0", anything else "N".
const char* SampleTypeName(int code);
