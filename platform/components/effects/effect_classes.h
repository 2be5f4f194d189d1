// Our effect components: their class ids, program ids and module names, and
// the layouts of their saved states.
//
// A state is stored field by field, little-endian: u32 version (1), then the
// settings as 32-bit IEEE floats in the order listed. A state of another
// size or version, or with a value outside its limits, is refused.
#pragma once

#include <cmath>
#include <cstring>

#include "platform/components/guid.h"
#include "platform/core/types.h"

// {1C6D51CD-D6AA-4F34-8291-5564C1428740}
inline constexpr CLSID CLSID_KobrixGain{
    0x1C6D51CD, 0xD6AA, 0x4F34, {0x82, 0x91, 0x55, 0x64, 0xC1, 0x42, 0x87, 0x40}};
// {96057332-0D3C-4B3F-BF0F-F2A8B2681E57}
inline constexpr CLSID CLSID_KobrixEcho{
    0x96057332, 0x0D3C, 0x4B3F, {0xBF, 0x0F, 0xF2, 0xA8, 0xB2, 0x68, 0x1E, 0x57}};
// {578ED5F8-C8A3-4DEE-B508-B24CF66C93BF}
inline constexpr CLSID CLSID_KobrixEqualizer{
    0x578ED5F8, 0xC8A3, 0x4DEE, {0xB5, 0x08, 0xB2, 0x4C, 0xF6, 0x6C, 0x93, 0xBF}};

inline constexpr char kGainProgId[] = "KOBRIX.Gain";
inline constexpr char kEchoProgId[] = "KOBRIX.Echo";
inline constexpr char kEqualizerProgId[] = "KOBRIX.Equalizer";

// Module names as the registry gives them (LoadLibrary's "NAME.DLL" rule).
inline constexpr char kGainModule[] = "KXGAIN.DLL";
inline constexpr char kEchoModule[] = "KXECHO.DLL";
inline constexpr char kEqualizerModule[] = "KXPARAEQ.DLL";

constexpr DWORD kEffectStateVersion = 1;

// Linear gain.
struct GainSettings {
  float gain = 1.0f;
  static constexpr float kMin = 0.0f;
  static constexpr float kMax = 16.0f;
  static constexpr LONG kStateSize = 8;
};

// Echo: out = in + wet * d, where the delay line takes in + feedback * d and
// gives it back delay milliseconds later. The impulse response has 1 at 0 and
// wet * feedback^(k-1) at k delays.
struct EchoSettings {
  float delayMs = 250.0f;
  float feedback = 0.5f;
  float wet = 0.5f;
  static constexpr float kMinDelayMs = 1.0f;
  static constexpr float kMaxDelayMs = 5000.0f;
  static constexpr float kMaxFeedback = 0.99f;  // magnitude; keeps the loop stable
  static constexpr LONG kStateSize = 16;
};

// One peaking band (the biquad of the Audio EQ Cookbook): gain in dB at the
// centre frequency, bandwidth by Q.
struct EqualizerSettings {
  float frequency = 1000.0f;
  float gainDb = 0.0f;
  float q = 1.0f;
  static constexpr float kMinFrequency = 10.0f;
  static constexpr float kMaxFrequency = 96000.0f;
  static constexpr float kMaxGainDb = 24.0f;  // magnitude
  static constexpr float kMinQ = 0.05f;
  static constexpr float kMaxQ = 40.0f;
  static constexpr LONG kStateSize = 16;
};

namespace effect_state {

inline void PutU32(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
  p[2] = static_cast<BYTE>(v >> 16);
  p[3] = static_cast<BYTE>(v >> 24);
}
inline DWORD GetU32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
inline void PutFloat(BYTE* p, float v) {
  DWORD bits;
  std::memcpy(&bits, &v, 4);
  PutU32(p, bits);
}
inline float GetFloat(const BYTE* p) {
  DWORD bits = GetU32(p);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}
inline bool InRange(float v, float lo, float hi) {
  return std::isfinite(v) && v >= lo && v <= hi;
}

// Each Encode writes kStateSize bytes; each Decode takes exactly that many
// and fails (leaving out untouched) on a bad version or value.
inline void Encode(const GainSettings& s, BYTE* out) {
  PutU32(out, kEffectStateVersion);
  PutFloat(out + 4, s.gain);
}
inline bool Decode(const BYTE* in, LONG size, GainSettings* out) {
  if (size != GainSettings::kStateSize || GetU32(in) != kEffectStateVersion) return false;
  GainSettings s;
  s.gain = GetFloat(in + 4);
  if (!InRange(s.gain, GainSettings::kMin, GainSettings::kMax)) return false;
  *out = s;
  return true;
}

inline void Encode(const EchoSettings& s, BYTE* out) {
  PutU32(out, kEffectStateVersion);
  PutFloat(out + 4, s.delayMs);
  PutFloat(out + 8, s.feedback);
  PutFloat(out + 12, s.wet);
}
inline bool Decode(const BYTE* in, LONG size, EchoSettings* out) {
  if (size != EchoSettings::kStateSize || GetU32(in) != kEffectStateVersion) return false;
  EchoSettings s;
  s.delayMs = GetFloat(in + 4);
  s.feedback = GetFloat(in + 8);
  s.wet = GetFloat(in + 12);
  if (!InRange(s.delayMs, EchoSettings::kMinDelayMs, EchoSettings::kMaxDelayMs) ||
      !InRange(s.feedback, -EchoSettings::kMaxFeedback, EchoSettings::kMaxFeedback) ||
      !InRange(s.wet, 0.0f, 1.0f))
    return false;
  *out = s;
  return true;
}

inline void Encode(const EqualizerSettings& s, BYTE* out) {
  PutU32(out, kEffectStateVersion);
  PutFloat(out + 4, s.frequency);
  PutFloat(out + 8, s.gainDb);
  PutFloat(out + 12, s.q);
}
inline bool Decode(const BYTE* in, LONG size, EqualizerSettings* out) {
  if (size != EqualizerSettings::kStateSize || GetU32(in) != kEffectStateVersion) return false;
  EqualizerSettings s;
  s.frequency = GetFloat(in + 4);
  s.gainDb = GetFloat(in + 8);
  s.q = GetFloat(in + 12);
  if (!InRange(s.frequency, EqualizerSettings::kMinFrequency, EqualizerSettings::kMaxFrequency) ||
      !InRange(s.gainDb, -EqualizerSettings::kMaxGainDb, EqualizerSettings::kMaxGainDb) ||
      !InRange(s.q, EqualizerSettings::kMinQ, EqualizerSettings::kMaxQ))
    return false;
  *out = s;
  return true;
}

}  // namespace effect_state
