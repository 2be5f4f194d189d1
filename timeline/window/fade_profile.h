// The fade profile: one gain curve for fading in, and its mirror for fading
// out, kept in section FADE of the settings. Times are 1/1024 of the fade's
// length, volumes gain indexes up to unity (512). The first point is always
// (0, 0) and the last (1024, 512); the points between never go back in
// time or in volume.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

constexpr int32_t kFadeMinPoints = 2;
constexpr int32_t kFadeMaxPoints = 33;
constexpr int32_t kFadeTimeSpan = 1024;
constexpr int32_t kFadeFullVolume = 512;

struct FadePoint {
  int32_t time = 0;
  int32_t volume = 0;
};

struct FadeProfile {
  int32_t count = 10;
  FadePoint fadeIn[kFadeMaxPoints];
  // fadeOut[i] = (1024 - fadeIn[n-1-i].time, fadeIn[n-1-i].volume).
  FadePoint fadeOut[kFadeMaxPoints];
  // The remembered folder of fade profile files.
  char folder[MAX_PATH] = {};
};

// The program's profile (main thread only).
extern FadeProfile TheFadeProfile;

// count points (held to 2..33) on the straight line; always 1.
int ResetFadeProfile(int32_t count);
// Reads section FADE; a missing section gives the 10-point straight line.
void LoadFadeSettings();
void SaveFadeSettings();
