#include "model/scratch_str.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "model/text_format.h"
#include "model/ui_strings.h"
#include "platform/core/datetime.h"

namespace {

char g_ring[ScratchStr::kCount][ScratchStr::kSize];
int g_next = 0;

// The text being built: its start and write position.
char* g_start = nullptr;
size_t g_length = 0;

constexpr size_t kLast = ScratchStr::kSize - 1;  // room for the terminator

}  // namespace

char* ScratchStr::Next() {
  char* buffer = g_ring[g_next];
  g_next = (g_next + 1) % kCount;
  return buffer;
}

char* ScratchStr::Begin() {
  g_start = Next();
  g_length = 0;
  return g_start;
}

void ScratchStr::Append(const char* text) {
  if (text == nullptr) return;
  if (g_start == nullptr) Begin();
  while (*text != 0 && g_length < kLast) g_start[g_length++] = *text++;
}

char* ScratchStr::End(char c) {
  if (g_start == nullptr) Begin();
  if (c != 0 && g_length < kLast) g_start[g_length++] = c;
  g_start[g_length] = 0;
  return g_start;
}

char* IntToPaddedText(LONG value, LONG width) {
  char* text = ScratchStr::Next();
  char digits[16];
  const size_t length = FormatTextTo(digits, sizeof digits, "%d", value);
  std::int64_t wanted = width < 0 ? -static_cast<std::int64_t>(width) : width;
  if (wanted > static_cast<std::int64_t>(kLast)) wanted = kLast;
  size_t pad = wanted > static_cast<std::int64_t>(length) ? static_cast<size_t>(wanted) - length : 0;
  std::memset(text, width < 0 ? '0' : ' ', pad);
  std::memcpy(text + pad, digits, length + 1);
  return text;
}

char* JoinInts(LONG v0, LONG v1, LONG v2, LONG v3, LONG v4, LONG v5, LONG v6, LONG v7, LONG v8, LONG v9) {
  const LONG values[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
  char* text = ScratchStr::Next();
  text[0] = ' ';
  text[1] = '\0';
  size_t n = 1;
  for (int i = 0; i < 10; ++i) {
    if (i > 0 && values[i] == kJoinAbsent) continue;
    n += FormatTextTo(text + n, ScratchStr::kSize - n, "%d ", values[i]);
  }
  return text;
}

namespace {

// units: the whole-byte word, then the kilo and mega units.
void FormatBytes(char* buffer, size_t size, DWORD n, int bytesId, int kiloId, int megaId) {
  if (buffer == nullptr || size == 0) return;
  const char* bytes = GetString(bytesId);
  const char* kilo = GetString(kiloId);
  const char* mega = GetString(megaId);
  size_t len = 0;
  if (n < 1000) {
  } else if (n < 10240) {
    len = FormatTextTo(buffer, size, "%.2f%s ", n / 1024.0, kilo);
  } else if (n < 102400) {
    len = FormatTextTo(buffer, size, "%.1f%s ", n / 1024.0, kilo);
  } else if (n < 1048576) {
    len = FormatTextTo(buffer, size, "%d%s ", n >> 10, kilo);
  } else if (n < 10485760) {
    len = FormatTextTo(buffer, size, "%.2f%s ", n / 1048576.0, mega);
  } else if (n < 104857600) {
    len = FormatTextTo(buffer, size, "%.1f%s ", n / 1048576.0, mega);
  } else {
    len = FormatTextTo(buffer, size, "%d%s ", n >> 20, mega);
  }
  char* rest = buffer + len;
  const size_t left = size - len;
  if (n < 1000) {
    FormatTextTo(rest, left, "%d %s", n, bytes);
  } else if (n < 1000000) {
    FormatTextTo(rest, left, "(%d %03d %s)", n / 1000, n % 1000, bytes);
  } else if (n < 1000000000) {
    FormatTextTo(rest, left, "(%d %03d %03d %s)", n / 1000000, n / 1000 % 1000, n % 1000, bytes);
  } else {
    FormatTextTo(rest, left, "(%d %03d %03d %03d %s)", n / 1000000000, n / 1000000 % 1000, n / 1000 % 1000,
                 n % 1000, bytes);
  }
}

}  // namespace

void FormatByteSize(char* buffer, DWORD n, size_t size) {
  FormatBytes(buffer, size, n, ui_string::kBytes, ui_string::kKilobytes, ui_string::kMegabytes);
}

void FormatByteRate(char* buffer, DWORD n, size_t size) {
  FormatBytes(buffer, size, n, ui_string::kBytesPerSecond, ui_string::kKilobytesPerSecond,
              ui_string::kMegabytesPerSecond);
}

bool FileTimeToText(char* buffer, const FILETIME& fileTime) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&fileTime, &local) || !FileTimeToSystemTime(&local, &st)) return false;
  char date[ScratchStr::kSize];
  char time[ScratchStr::kSize];
  if (GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, date, sizeof date) == 0) return false;
  if (GetTimeFormat(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time) == 0) return false;
  FormatTextTo(buffer, ScratchStr::kSize, "%s %s", date, time);
  return true;
}

const char* SampleTypeName(int code) {
  if (code >= 1 && code <= 7) return GetString(ui_string::kSampleTypeNone + code);
  return GetString(ui_string::kSampleTypeNone);
}
