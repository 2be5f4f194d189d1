#include "audio/peak_meters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/audio_player.h"
#include "audio/audio_recorder.h"
#include "ui/level_control.h"

namespace {

constexpr int32_t kFullScale = 32768;

inline int32_t Clamp(int64_t level) {
  return static_cast<int32_t>(std::clamp<int64_t>(level, 0, kFullScale));
}

inline int32_t Int16At(const BYTE* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
inline int32_t Int24At(const BYTE* p) {
  const uint32_t u = (static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                     (static_cast<uint32_t>(p[2]) << 24);
  return static_cast<int32_t>(u) >> 8;
}
inline int64_t Int32At(const BYTE* p) {
  uint32_t u;
  std::memcpy(&u, p, 4);
  return static_cast<int32_t>(u);
}

// The level of one sample of each type, on the 16-bit scale.
inline int32_t Level8(const BYTE* p) {
  return std::abs(static_cast<int32_t>(p[0]) - 128) * 256;
}
inline int32_t Level16(const BYTE* p) {
  return std::abs(Int16At(p));
}
inline int32_t Level24(const BYTE* p) {
  return std::abs(Int24At(p)) >> 8;
}
inline int32_t Level32(const BYTE* p) {
  return static_cast<int32_t>(std::llabs(Int32At(p)) >> 16);
}
inline int32_t LevelFloat(const BYTE* p) {
  float v;
  std::memcpy(&v, p, 4);
  if (std::isnan(v)) return 0;
  const float a = std::min(std::fabs(v), 1.0f);
  return static_cast<int32_t>(a * static_cast<float>(kFullScale));
}

template <int Size, int32_t (*Level)(const BYTE*)>
PeakLevels Scan(const BYTE* p, DWORD bytes, int channels) {
  PeakLevels peaks;
  if (channels == 2) {
    const DWORD frames = bytes / (2 * Size);
    int32_t l = 0, r = 0;
    for (DWORD i = 0; i < frames; ++i, p += 2 * Size) {
      l = std::max(l, Level(p));
      r = std::max(r, Level(p + Size));
    }
    peaks.left = Clamp(l);
    peaks.right = Clamp(r);
    return peaks;
  }
  const DWORD frameBytes = Size * static_cast<DWORD>(std::max(channels, 1));
  const DWORD samples = bytes / frameBytes * frameBytes / Size;
  int32_t m = 0;
  for (DWORD i = 0; i < samples; ++i, p += Size) m = std::max(m, Level(p));
  peaks.left = peaks.right = Clamp(m);
  return peaks;
}

}  // namespace

PeakLevels MeasurePeaks(const void* data, DWORD bytes, int sampleType, int channels) {
  if (data == nullptr) return {};
  const BYTE* p = static_cast<const BYTE*>(data);
  switch (sampleType) {
    case 2:
      return Scan<2, Level16>(p, bytes, channels);
    case 3:
    case 4:
      return Scan<3, Level24>(p, bytes, channels);
    case 5:
    case 6:
      return Scan<4, Level32>(p, bytes, channels);
    case 7:
      return Scan<4, LevelFloat>(p, bytes, channels);
    default:
      return Scan<1, Level8>(p, bytes, channels);
  }
}

void ClearPeakMeters(TAudioMeter* meter) {
  if (meter == nullptr) return;
  if (meter->left != nullptr) meter->left->Reset();
  if (meter->right != nullptr) meter->right->Reset();
}

void UpdatePeakMeters(TAudioMeter* meter, const void* data, DWORD bytes, int sampleType, int channels) {
  if (meter == nullptr) return;
  if (data == nullptr || meter->off) {
    ClearPeakMeters(meter);
    return;
  }
  const PeakLevels peaks = MeasurePeaks(data, bytes, sampleType, channels);
  if (meter->left != nullptr) meter->left->SetLevel(peaks.left);
  if (meter->right != nullptr) meter->right->SetLevel(peaks.right);
}

void NotifyAudioMeters() {
  if (TheAudioPlayer != nullptr) TheAudioPlayer->NotifyMixer(18, 0);
  if (TheAudioRecorder != nullptr) TheAudioRecorder->NotifyMeters();
}
