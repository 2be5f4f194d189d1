// Gains are integer indexes 0..2047 with 512 as unity (gain = index / 512,
// 2047 is about +12 dB); balances are -256..256. These tables and conversions
// give the other units: whole dB, fader positions 0..95, 48 pan steps a side,
// percent, and the time-line's pixels.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

constexpr int kGainCount = 2048;
constexpr int kGainUnity = 512;
// Balances run from -kPanUnity (left only) to kPanUnity (right only).
constexpr int kPanUnity = 256;
constexpr int kFaderCount = 96;
constexpr int kBalanceSteps = 48;
// Room for the dB-to-gain table (dbMax - dbMin + 1 entries, 68 in practice).
constexpr int kDbTableCapacity = 128;

struct LevelTables {
  std::int32_t gainToDb[kGainCount] = {};
  std::int32_t dbToGain[kDbTableCapacity] = {};  // index dB - dbMin
  std::int32_t gainToFader[kGainCount] = {};
  std::int32_t faderToGain[kFaderCount] = {};
  int dbMin = 0;  // gainToDb[0]
  int dbMax = 0;  // gainToDb[2047]
};

// A gain index or a balance as the factor the mixer multiplies with.
constexpr float GainFactor(int gain) {
  return gain / static_cast<float>(kGainUnity);
}
constexpr float PanFactor(int balance) {
  return balance / static_cast<float>(kPanUnity);
}

// The program-wide tables, filled by BuildLevelTables.
const LevelTables& GetLevelTables();

// Installed by the time-line window: loads its fade profile from the
// settings once the tables exist. Null removes it.
using FadeSettingsLoader = void (*)();
void SetFadeSettingsLoader(FadeSettingsLoader loader);

// Fills the tables, then runs the fade-settings loader if one is installed.
// Called once at start-up before any conversion is used.
void BuildLevelTables();

int GainToDb(int gain);
int DbToGain(int db);
// shift > 0 serves coarser controls: shift 1 gives a 48-position fader and
// 24 steps a side.
int GainToFader(int gain, int shift);
int FaderToGain(int position, int shift);
int BalanceToSteps(int balance, int shift);
int StepsToBalance(int steps, int shift);
int Scale256To100(int x);
int PercentTo256(int x);

// The time-line's scale: A pixels show B milliseconds. Negative values mirror
// the positive ones; a result beyond 32 bits is held at the limit.
LONG TimeToPixels(LONG ms, LONG zoomPixels, LONG zoomMs);
LONG PixelsToTime(LONG pixels, LONG zoomPixels, LONG zoomMs);
// ms snapped to the nearest frame of the project when snapping is on.
LONG SnapToFrame(LONG ms, bool snapToFrames);
