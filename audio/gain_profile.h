// Gain profiles: a clip's volume and balance envelopes (points in ms of the
// source) turned into gains at sample positions of the output rate, for a
// mono mix ({gain, 0, position}) or a stereo one ({left, right, position}).
// The playing builders limit every gain to 8.0; the unclamped ones, used to
// measure a mix, do not.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/levels.h"
#include "platform/core/types.h"

struct SVolumeProfile {
  float left = 0.0f;
  float right = 0.0f;
  LONGLONG position = 0;  // frames at the output rate; sources may pass 2^31
};

struct FVolumeProfile {
  float gain = 0.0f;
  int32_t ms = 0;
};

constexpr float kMaxProfileGain = 8.0f;

// ms of a source as frames at rate, rounded half away from zero, in 64 bits.
inline LONGLONG FramesAt(DWORD rate, LONGLONG ms) {
  LONGLONG scaled = static_cast<LONGLONG>(rate) * (ms < 0 ? -ms : ms);
  LONGLONG frames = (scaled + 500) / 1000;
  return ms < 0 ? -frames : frames;
}

// Each volume point as {value x clip volume, ms}, both as gain factors.
// Points are any type with int32 fields time and value.
template <class Point>
void BuildVolumeList(const Point* points, int32_t count, int32_t clipVolume,
                     std::vector<FVolumeProfile>& list) {
  list.clear();
  for (int32_t k = 0; k < count; ++k) {
    list.push_back(
        {GainFactor(points[k].value) * clipVolume / static_cast<float>(kGainUnity), points[k].time});
  }
}

template <class Point>
void BuildMonoGains(const Point* volume, int32_t count, int32_t clipVolume, DWORD rate, bool clamp,
                    std::vector<SVolumeProfile>& profile) {
  constexpr float kPerIndex = 1.0f / kGainUnity;
  profile.clear();
  for (int32_t k = 0; k < count; ++k) {
    float gain = volume[k].value * kPerIndex * clipVolume * kPerIndex;
    if (clamp && gain > kMaxProfileGain) gain = kMaxProfileGain;
    profile.push_back({gain, 0.0f, FramesAt(rate, volume[k].time)});
  }
}

// Stereo gains from the volume list (BuildVolumeList) and the balance
// envelope, merged in time order; where the balance changes sides between
// two points a point at the crossing keeps the centre.
template <class Point>
void BuildStereoGains(const std::vector<FVolumeProfile>& v, const Point* balance, int32_t balanceCount,
                      int32_t clipBalance, DWORD rate, bool clamp, std::vector<SVolumeProfile>& profile) {
  profile.clear();
  if (v.empty()) return;
  // A clip without balance points sits at its own balance throughout.
  struct BalancePoint {
    int32_t ms;
    int32_t value;
  };
  std::vector<BalancePoint> b;
  for (int32_t k = 0; k < balanceCount; ++k) b.push_back({balance[k].time, balance[k].value});
  if (b.empty()) b.push_back({v.front().ms, 0});

  auto pan = [&](const BalancePoint& point) {
    float p = PanFactor(point.value) + PanFactor(clipBalance);
    return std::clamp(p, -1.0f, 1.0f);
  };
  auto limit = [&](float g) { return clamp && g > kMaxProfileGain ? kMaxProfileGain : g; };
  auto push = [&](float g, float p, int32_t ms) {
    float left = g, right = g;
    if (p != 0.0f) {
      left = (1.0f - p) * g;
      right = (1.0f + p) * g;
    }
    profile.push_back({limit(left), limit(right), FramesAt(rate, ms)});
    return profile.back().position;
  };
  // The volume between points a and c at time t.
  auto volumeAt = [&](std::size_t a, std::size_t c, LONGLONG t) {
    if (v[a].gain == v[c].gain || v[c].ms == v[a].ms) return v[c].gain;
    return static_cast<float>(v[a].gain +
                              (v[c].gain - v[a].gain) * double(t - v[a].ms) / (v[c].ms - v[a].ms));
  };

  std::size_t i = 0, j = 0;
  while (i + 1 < v.size() && v[i + 1].ms == v[0].ms) ++i;
  while (j + 1 < b.size() && b[j + 1].ms == b[0].ms) ++j;
  float previous = pan(b[j]);
  LONGLONG last = push(v[i].gain, previous, v[i].ms);
  ++i;
  ++j;
  while (i < v.size() && j < b.size()) {
    float pj = pan(b[j]);
    int32_t t;
    float g, p;
    int step;  // 0 both, 1 volume, 2 balance
    if (v[i].ms == b[j].ms) {
      t = v[i].ms;
      g = v[i].gain;
      p = pj;
      step = 0;
    } else if (v[i].ms < b[j].ms) {
      t = v[i].ms;
      g = v[i].gain;
      if (previous == pj || b[j].ms == b[j - 1].ms) {
        p = previous == pj ? previous : pj;
      } else {
        p = static_cast<float>(previous +
                               (pj - previous) * double(t - b[j - 1].ms) / (b[j].ms - b[j - 1].ms));
      }
      step = 1;
    } else {
      t = b[j].ms;
      p = pj;
      g = volumeAt(i - 1, i, t);
      step = 2;
    }
    if (pj != 0.0f && previous != 0.0f && (pj > 0.0f) != (previous > 0.0f)) {
      LONGLONG tz = b[j - 1].ms;
      if (b[j - 1].ms != b[j].ms) {
        tz = static_cast<LONGLONG>(b[j - 1].ms +
                                   (b[j].ms - b[j - 1].ms) * double(-previous) / (pj - previous));
      }
      if (tz < t && FramesAt(rate, tz) > last) {
        float centre = limit(volumeAt(i - 1, i, tz));
        profile.push_back({centre, centre, FramesAt(rate, tz)});
        last = profile.back().position;
      }
    }
    last = push(g, p, t);
    if (step != 2) ++i;
    if (step != 1) {
      previous = pj;
      ++j;
    }
  }
}
