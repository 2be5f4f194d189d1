#include "timeline/window/fade_profile.h"

#include <algorithm>
#include <cstdio>

#include "model/ini.h"
#include "model/scratch_str.h"

FadeProfile TheFadeProfile;

namespace {

constexpr const char* kSection = "FADE";

// a * b / c rounded half away from zero, for a, b >= 0 and c > 0.
int32_t RoundedRatio(int32_t a, int32_t b, int32_t c) {
  return static_cast<int32_t>((static_cast<int64_t>(a) * b * 2 + c) / (2 * static_cast<int64_t>(c)));
}

// "TIME7", "VOLUME7": the key of inner point i.
const char* PointKey(const char* name, int32_t i) {
  ScratchStr::Begin();
  ScratchStr::Append(name);
  ScratchStr::Append(IntToPaddedText(i, 0));
  return ScratchStr::End(0);
}

void MirrorFadeOut(FadeProfile& p) {
  for (int32_t i = 0; i < p.count; ++i) {
    const FadePoint& in = p.fadeIn[p.count - 1 - i];
    p.fadeOut[i] = {kFadeTimeSpan - in.time, in.volume};
  }
}

}  // namespace

int ResetFadeProfile(int32_t count) {
  FadeProfile& p = TheFadeProfile;
  p.count = std::clamp(count, kFadeMinPoints, kFadeMaxPoints);
  const int32_t last = p.count - 1;
  for (int32_t i = 0; i < p.count; ++i) {
    const int32_t time = RoundedRatio(kFadeTimeSpan, i, last);
    const int32_t volume = RoundedRatio(kFadeFullVolume, i, last);
    p.fadeIn[i] = {time, volume};
    p.fadeOut[i] = {time, kFadeFullVolume - volume};
  }
  return 1;
}

void LoadFadeSettings() {
  FadeProfile& p = TheFadeProfile;
  IniSetSection(kSection);
  std::snprintf(p.folder, sizeof p.folder, "%s", IniReadString("DIRECTORY", ""));
  ResetFadeProfile(IniReadInt("COUNT", 10));
  const int32_t last = p.count - 1;
  for (int32_t i = 1; i < last; ++i) {
    FadePoint& q = p.fadeIn[i];
    q.time = std::clamp(IniReadInt(PointKey("TIME", i), q.time), 0, kFadeTimeSpan);
    q.volume = std::clamp(IniReadInt(PointKey("VOLUME", i), q.volume), 0, kFadeFullVolume);
  }
  for (int32_t i = 1; i < last; ++i) {
    FadePoint& q = p.fadeIn[i];
    const FadePoint& before = p.fadeIn[i - 1];
    const FadePoint& after = p.fadeIn[i + 1];
    if (q.time < before.time) {
      q.time = before.time;
    } else if (q.time > after.time) {
      q.time = after.time;
    }
    if (q.volume < before.volume) {
      q.volume = before.volume;
    } else if (q.volume > after.volume) {
      q.volume = after.volume;
    }
  }
  // Pulling a point down to its successor can leave it below the point
  // before it (stored 0, 500, 600, 100, 1024): the running maximum makes
  // the curve rise whatever the file holds.
  for (int32_t i = 1; i < p.count; ++i) {
    p.fadeIn[i].time = std::max(p.fadeIn[i].time, p.fadeIn[i - 1].time);
    p.fadeIn[i].volume = std::max(p.fadeIn[i].volume, p.fadeIn[i - 1].volume);
  }
  MirrorFadeOut(p);
}

void SaveFadeSettings() {
  const FadeProfile& p = TheFadeProfile;
  IniSetSection(kSection);
  IniWriteString("DIRECTORY", p.folder);
  IniWriteInt("COUNT", p.count);
  for (int32_t i = 1; i < p.count - 1; ++i) {
    IniWriteInt(PointKey("TIME", i), p.fadeIn[i].time);
    IniWriteInt(PointKey("VOLUME", i), p.fadeIn[i].volume);
  }
}
