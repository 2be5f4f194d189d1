#include "model/levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/time_code.h"

namespace {

LevelTables g_tables;
FadeSettingsLoader g_fadeLoader = nullptr;

// Truncation toward zero of an extended value held to the int32 range.
std::int32_t Trunc(long double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0L) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0L) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// Shifts from a zoom step; beyond 31 every shifted value is 0 anyway.
int ClampShift(int shift) {
  return std::clamp(shift, 0, 31);
}

std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

LONG Mirror(LONG value, LONG a, LONG b) {
  // Magnitudes as unsigned, so that the smallest int32 has one too.
  const DWORD magnitude = value < 0 ? 0u - static_cast<DWORD>(value) : static_cast<DWORD>(value);
  const std::int64_t r = MulDivRound(magnitude, static_cast<DWORD>(a), static_cast<DWORD>(b));
  return Saturate(value < 0 ? -r : r);
}

}  // namespace

const LevelTables& GetLevelTables() {
  return g_tables;
}

void SetFadeSettingsLoader(FadeSettingsLoader loader) {
  g_fadeLoader = loader;
}

void BuildLevelTables() {
  LevelTables& t = g_tables;
  const long double half = static_cast<long double>(0.499);

  for (int i = 1; i < kGainUnity; ++i) t.gainToDb[i] = -Trunc(20 * std::log10(512.0L / i) + half);
  t.gainToDb[kGainUnity] = 0;
  for (int i = kGainUnity + 1; i < kGainCount; ++i) t.gainToDb[i] = Trunc(20 * std::log10(i / 512.0L) + half);
  t.gainToDb[0] = t.gainToDb[1] - 1;
  t.dbMin = t.gainToDb[0];
  t.dbMax = t.gainToDb[kGainCount - 1];

  const int dbCount = std::min(t.dbMax - t.dbMin + 1, kDbTableCapacity);
  t.dbToGain[0] = 0;
  for (int k = 1; k < dbCount; ++k) {
    const int d = t.dbMin + k;
    t.dbToGain[k] = Trunc(std::pow(10.0L, d * static_cast<long double>(0.05)) * 512 + half);
  }

  // The fader scale's two factors are kept as floats, as the positions stored
  // in envelopes were computed with them.
  const float a = static_cast<float>(static_cast<long double>(-94 * t.dbMin - 94) / (t.dbMax - t.dbMin - 1) +
                                     static_cast<long double>(1.499));
  const float b = static_cast<float>(1900.0L / (t.dbMax - t.dbMin));
  t.gainToFader[0] = 0;
  for (int i = 1; i < kGainCount; ++i) {
    t.gainToFader[i] = std::min(Trunc(std::log10(i / 512.0L) * b + a), kFaderCount - 1);
  }

  const int c = t.gainToFader[kGainUnity];
  t.faderToGain[0] = 0;
  for (int k = 1; k < kFaderCount; ++k) {
    t.faderToGain[k] = Trunc(std::pow(10.0L, (k - c) / static_cast<long double>(b)) * 512 + half);
  }

  if (g_fadeLoader != nullptr) g_fadeLoader();
}

int GainToDb(int gain) {
  return g_tables.gainToDb[std::clamp(gain, 0, kGainCount - 1)];
}

int DbToGain(int db) {
  if (db <= g_tables.dbMin) return 0;
  if (db >= g_tables.dbMax) return kGainCount - 1;
  return g_tables.dbToGain[db - g_tables.dbMin];
}

int GainToFader(int gain, int shift) {
  shift = ClampShift(shift);
  if (gain < 1) return 0;
  if (gain > kGainCount - 1) return (kFaderCount >> shift) - 1;
  return g_tables.gainToFader[gain] >> shift;
}

int FaderToGain(int position, int shift) {
  shift = ClampShift(shift);
  if (position < 1) return 0;
  if (position >= (kFaderCount >> shift)) return kGainCount - 1;
  return g_tables.faderToGain[position << shift];
}

int BalanceToSteps(int balance, int shift) {
  shift = ClampShift(shift);
  const std::int64_t v = balance;
  if (v >= 0) return Saturate(((v * 48 + 128) / 256) >> shift);
  return Saturate(-(((128 - v * 48) / 256) >> shift));
}

int StepsToBalance(int steps, int shift) {
  shift = ClampShift(shift);
  const int n = kBalanceSteps >> shift;
  if (steps >= n) return 256;
  if (steps <= -n) return -256;
  const std::int64_t magnitude = steps < 0 ? -static_cast<std::int64_t>(steps) : steps;
  const std::int64_t v = (((magnitude << shift) << 8) + 24) / 48;
  return Saturate(steps < 0 ? -v : v);
}

int Scale256To100(int x) {
  const std::int64_t v = x;
  return Saturate(v >= 0 ? (v * 100 + 128) / 256 : (v * 100 - 128) / 256);
}

int PercentTo256(int x) {
  const std::int64_t v = x;
  return Saturate(v >= 0 ? (v * 256 + 49) / 100 : (v * 256 - 49) / 100);
}

LONG TimeToPixels(LONG ms, LONG zoomPixels, LONG zoomMs) {
  return Mirror(ms, zoomPixels, zoomMs);
}

LONG PixelsToTime(LONG pixels, LONG zoomPixels, LONG zoomMs) {
  return Mirror(pixels, zoomMs, zoomPixels);
}

LONG SnapToFrame(LONG ms, bool snapToFrames) {
  return snapToFrames ? MsAddFrames(ms, 0) : ms;
}
