#include "model/time_code.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "model/scratch_str.h"
#include "model/text_format.h"
#include "model/ui_strings.h"

namespace {

std::atomic<float> g_frameRate{25.0f};
std::atomic<int> g_timeFormat{kTimeFormatMs};

// Truncation toward zero, held to the int32 range (NaN gives 0).
LONG TruncToLong(long double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0L) return std::numeric_limits<LONG>::max();
  if (v <= -2147483648.0L) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(v);
}

bool UsableRate(float rate) {
  return rate > 0.0f && std::isfinite(rate);
}

LONG Saturate(std::int64_t v) {
  if (v > std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
  if (v < std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(v);
}

DWORD SaturateUnsigned(std::uint64_t v) {
  return v > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max() : static_cast<DWORD>(v);
}

}  // namespace

float ProjectFrameRate() {
  return g_frameRate.load(std::memory_order_relaxed);
}

bool SetProjectFrameRate(float rate) {
  if (!UsableRate(rate)) return false;
  g_frameRate.store(rate, std::memory_order_relaxed);
  return true;
}

int ProjectTimeFormat() {
  return g_timeFormat.load(std::memory_order_relaxed);
}

void SetProjectTimeFormat(int format) {
  g_timeFormat.store(format, std::memory_order_relaxed);
}

// The constants are doubles and the arithmetic is extended, so that the
// rounding matches the times already stored in projects.
LONG FramesToMs(LONG frames, float rate) {
  if (!UsableRate(rate)) return 0;
  const long double v = static_cast<long double>(frames) * static_cast<long double>(1000.0) / rate +
                        static_cast<long double>(0.499);
  return TruncToLong(v);
}

LONG MsToFrames(LONG ms, float rate) {
  if (!UsableRate(rate)) return 0;
  const long double v =
      static_cast<long double>(ms) * rate * static_cast<long double>(0.001) + static_cast<long double>(0.499);
  return TruncToLong(v);
}

LONG MsAddFrames(LONG ms, LONG n) {
  const float rate = ProjectFrameRate();
  return FramesToMs(Saturate(static_cast<std::int64_t>(MsToFrames(ms, rate)) + n), rate);
}

LONG MsSubFrames(LONG ms, LONG n) {
  const float rate = ProjectFrameRate();
  return FramesToMs(Saturate(static_cast<std::int64_t>(MsToFrames(ms, rate)) - n), rate);
}

void FormatTimeCode(LONG ms, char* buffer, BOOL withUnit) {
  FormatTimeCodeAs(ms, buffer, withUnit, ProjectTimeFormat(), ProjectFrameRate());
}

void FormatTimeCodeAs(LONG ms, char* buffer, BOOL withUnit, int format, float rate) {
  size_t n;
  int unit;
  if (format == kTimeFormatFrames) {
    n = FormatTextTo(buffer, kTimeCodeSize, "%07ld", MsToFrames(ms, rate));
    unit = ui_string::kFrameUnit;
  } else {
    // The frames come from the milliseconds within the second, so long times
    // never accumulate rounding; a round-up to a whole second carries.
    LONG seconds = ms / 1000;
    LONG last = ms % 1000;
    if (format == kTimeFormatSmpte) {
      last = MsToFrames(last, rate);
      if (FramesToMs(last, rate) >= 1000) {
        ++seconds;
        last = 0;
      }
    }
    n = FormatTextTo(buffer, kTimeCodeSize,
                     format == kTimeFormatSmpte ? "%02d:%02d:%02d:%02d" : "%02d:%02d:%02d:%03d",
                     seconds / 3600, (seconds / 60) % 60, seconds % 60, last);
    unit = format == kTimeFormatSmpte ? ui_string::kFrameUnit : ui_string::kMsUnit;
  }
  if (withUnit) FormatTextTo(buffer + n, kTimeCodeSize - n, "%s", GetString(unit));
}

char* MsToTimeCodeText(LONG ms, BOOL withUnit) {
  char* text = ScratchStr::Next();
  FormatTimeCode(ms, text, withUnit);
  return text;
}

char* MsToShortTimeCode(LONG ms, BOOL withUnit) {
  char* text = MsToTimeCodeText(ms, withUnit);
  size_t skip = 0;
  while (skip < 7 && (text[skip] == '0' || text[skip] == ':')) ++skip;
  // Keep one character before a unit or sign ("0000000fr" -> "0fr"); a text
  // that starts with a sign keeps it.
  if (skip > 0 && (text[skip] < '0' || text[skip] > '9')) --skip;
  std::memmove(text, text + skip, std::strlen(text + skip) + 1);
  return text;
}

LONG MulDivSignedTrunc(LONG a, LONG b, LONG c) {
  if (c == 0) return 0;
  return Saturate(static_cast<std::int64_t>(a) * b / c);
}

LONG MulDivRoundSigned(LONG a, LONG b, LONG c) {
  if (c == 0) return 0;
  const std::uint64_t ma = static_cast<std::uint64_t>(std::llabs(a));
  const std::uint64_t mb = static_cast<std::uint64_t>(std::llabs(b));
  const std::uint64_t mc = static_cast<std::uint64_t>(std::llabs(c));
  const std::uint64_t q = (ma * mb + mc / 2) / mc;
  const bool negative = ((a < 0) != (b < 0)) != (c < 0);
  return Saturate(negative ? -static_cast<std::int64_t>(q) : static_cast<std::int64_t>(q));
}

DWORD MulDivTrunc(DWORD a, DWORD b, DWORD c) {
  if (c == 0) return 0;
  return SaturateUnsigned(static_cast<std::uint64_t>(a) * b / c);
}

DWORD MulDivRound(DWORD a, DWORD b, DWORD c) {
  if (c == 0) return 0;
  return SaturateUnsigned((static_cast<std::uint64_t>(a) * b + c / 2) / c);
}
