#include "audio/audio_player.h"
#include "model/film.h"

void TTrack::BuildVolumePoints(std::vector<FVolumeProfile>& list) const {
  list.clear();
  if (film == nullptr) return;
  const Profile& v = film->volumePoints;
  BuildVolumeList(v.Count() > 0 ? &v[0] : nullptr, v.Count(), film->volume, list);
}

bool TTrack::Build(bool stereo, bool clamp) {
  if (clamp && gain.load() == 0.0f) {
    points = 0;
    return false;
  }
  if (points != 0) return true;
  if (film == nullptr) return false;
  DWORD rate = OutputFormat.nSamplesPerSec;
  const Profile& v = film->volumePoints;
  const Profile& b = film->balancePoints;
  const ProfilePoint* vp = v.Count() > 0 ? &v[0] : nullptr;
  const ProfilePoint* bp = b.Count() > 0 ? &b[0] : nullptr;
  if (stereo) {
    std::vector<FVolumeProfile> list;
    BuildVolumePoints(list);
    BuildStereoGains(list, bp, b.Count(), film->balance, rate, clamp, profile);
  } else {
    BuildMonoGains(vp, v.Count(), film->volume, rate, clamp, profile);
  }
  points = static_cast<LONG>(profile.size());
  return true;
}

bool TTrack::BuildMonoProfile() {
  return Build(false, true);
}
bool TTrack::BuildStereoProfile() {
  return Build(true, true);
}
bool TTrack::BuildMonoProfileUnclamped() {
  return Build(false, false);
}
bool TTrack::BuildStereoProfileUnclamped() {
  return Build(true, false);
}
