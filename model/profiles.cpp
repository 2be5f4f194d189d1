#include "model/profiles.h"

#include <algorithm>
#include <new>
#include <string>

#include "model/film.h"
#include "model/film_host.h"
#include "model/levels.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_strings.h"

// ---- Profile storage ----

Profile::Profile(const Profile& other) {
  *this = other;
}

Profile& Profile::operator=(const Profile& other) {
  if (&other == this) return *this;
  Clear();
  if (other.count_ < 1) return *this;
  const int32_t capacity = (other.count_ + 9) / 10 * 10;
  points_.reset(new ProfilePoint[capacity]);
  std::copy(other.points_.get(), other.points_.get() + other.count_, points_.get());
  capacity_ = capacity;
  count_ = other.count_;
  return *this;
}

void Profile::Clear() {
  points_.reset();
  count_ = 0;
  capacity_ = 0;
}

void Profile::SetTwoPoints(int32_t length, int32_t value) {
  points_.reset(new ProfilePoint[2]);
  points_[0] = {0, value};
  points_[1] = {length, value};
  count_ = 2;
  capacity_ = 2;
}

bool Profile::Insert(int32_t t, int32_t value) {
  if (count_ >= capacity_) {
    const int32_t capacity = (count_ + 10) / 10 * 10;
    std::unique_ptr<ProfilePoint[]> larger(new (std::nothrow) ProfilePoint[capacity]);
    if (!larger) return false;
    if (count_ > 0) std::copy(points_.get(), points_.get() + count_, larger.get());
    points_ = std::move(larger);
    capacity_ = capacity;
  }
  int32_t k = 1;
  while (k < count_ - 1 && points_[k].time <= t) ++k;
  k = std::min(k, count_);
  std::copy_backward(points_.get() + k, points_.get() + count_, points_.get() + count_ + 1);
  points_[k] = {t, value};
  ++count_;
  return true;
}

bool Profile::Delete(int32_t i) {
  if (i < 0 || i >= count_) return false;
  std::copy(points_.get() + i + 1, points_.get() + count_, points_.get() + i);
  --count_;
  return true;
}

bool Profile::Assign(const ProfilePoint* points, int32_t count) {
  Clear();
  if (count < 1) return true;
  const int32_t capacity = (count + 9) / 10 * 10;
  points_.reset(new (std::nothrow) ProfilePoint[capacity]);
  if (!points_) return false;
  std::copy(points, points + count, points_.get());
  count_ = count;
  capacity_ = capacity;
  return true;
}

// ---- Point search and hit testing ----
//
// Screen units: pixels across (the zoom of the time-line) and fader
// positions or balance steps up. At close zoom a long clip spans more pixels
// than a 32-bit product holds, so distances are squared in 128 bits.

namespace {

using Wide = __int128;
using Axis = int32_t (*)(int32_t);

// Stored points may hold values out of range; the axes take them at the limits.
int32_t VolumeAxis(int32_t value) {
  return GainToFader(value, 0);
}
int32_t BalanceAxis(int32_t value) {
  return BalanceToSteps(std::clamp(value, -256, 256), 0);
}

struct ScreenPoint {
  int64_t x;
  int64_t y;
};

ScreenPoint ToScreen(int32_t time, int32_t value, Axis axis) {
  return {CurrentFilmHost().TimeToPixels(time), axis(value)};
}

int64_t Abs(int64_t v) {
  return v < 0 ? -v : v;
}

// a * b / c rounded half away from zero, without overflow.
int64_t MulDivRoundWide(int64_t a, int64_t b, int64_t c) {
  Wide p = static_cast<Wide>(a) * b;
  bool negative = (p < 0) != (c < 0);
  Wide mp = p < 0 ? -p : p;
  Wide mc = c < 0 ? -static_cast<Wide>(c) : c;
  Wide q = (mp + mc / 2) / mc;
  return static_cast<int64_t>(negative ? -q : q);
}

Wide Square(int64_t v) {
  return static_cast<Wide>(v) * v;
}
Wide Length2(int64_t x, int64_t y) {
  return Square(x) + Square(y);
}
// Squared distance of d from the line along e, rounded: cross^2 / |e|^2.
Wide LineDistance2(ScreenPoint d, ScreenPoint e) {
  Wide cross = static_cast<Wide>(d.x) * e.y - static_cast<Wide>(d.y) * e.x;
  Wide len2 = Length2(e.x, e.y);
  return (cross * cross + len2 / 2) / len2;
}

int32_t FindPoint(const Film& film, const Profile& p, int32_t t, int32_t value, int32_t maxDistance,
                  Axis axis) {
  FilmHost& host = CurrentFilmHost();
  const int64_t tx = host.TimeToPixels(t);
  const int64_t vy = axis(value);
  int32_t best = -1;
  int64_t d = maxDistance;
  for (int32_t k = 0; k < p.Count(); ++k) {
    const ProfilePoint& point = p[k];
    if (point.time > film.out) break;
    if (point.time < film.in) {
      --best;
      continue;
    }
    const int64_t distance = std::max(Abs(host.TimeToPixels(point.time) - tx), Abs(axis(point.value) - vy));
    if (distance < d) {
      d = distance;
      best = k;
    } else if (distance == d && point.time < t) {
      best = k;
    }
  }
  return best;
}

int32_t NearestPoint(const Film& film, const Profile& p, int32_t t) {
  const int32_t n = p.Count();
  if (n == 0) return -1;
  int32_t k = 1;
  while (k < n && p[k].time < film.in) ++k;
  if (t >= film.in) {
    int32_t best = k - 1;
    int64_t bestDistance = film.sourceLength;
    for (int32_t j = k - 1; j < n; ++j) {
      const int64_t distance = Abs(static_cast<int64_t>(p[j].time) - t);
      if (distance < bestDistance || (distance == bestDistance && t > p[j].time)) {
        bestDistance = distance;
        best = j;
      }
      if (p[j].time > film.out) break;
    }
    return best;
  }
  if (k >= n) return k - 1;
  const int64_t earlier = Abs(static_cast<int64_t>(p[k - 1].time) - t);
  const int64_t later = Abs(static_cast<int64_t>(p[k].time) - t);
  return later < earlier ? k : k - 1;
}

int32_t HitTest(const Film& film, const Profile& p, int32_t value, int32_t t, int32_t& index, Axis axis) {
  constexpr int64_t H = kProfileHitDistance;
  const int32_t n = p.Count();
  int32_t i = FindPoint(film, p, t, value, static_cast<int32_t>(H), axis);
  if (i < 0) i = NearestPoint(film, p, t);
  index = i;
  if (n < 2 || i < 0) return kHitNone;

  const ScreenPoint m = ToScreen(t, value, axis);
  const ScreenPoint pi = ToScreen(p[i].time, p[i].value, axis);
  const ScreenPoint dm{m.x - pi.x, m.y - pi.y};
  if (Abs(dm.x) <= H && Abs(dm.y) <= H) return kHitPoint;

  auto score = [&](int32_t k) -> Wide {
    const ScreenPoint pk = ToScreen(p[k].time, p[k].value, axis);
    const ScreenPoint e{pk.x - pi.x, pk.y - pi.y};
    if (e.x == 0 && e.y == 0) return CurrentFilmHost().TimeToPixels(film.sourceLength);
    const Wide toK = Length2(m.x - pk.x, m.y - pk.y);
    const Wide toP = Length2(dm.x, dm.y);
    if (toK > Length2(e.x, e.y) && toK > toP) return toP;  // the mouse lies behind p
    return LineDistance2(dm, e);
  };
  int32_t j;
  if (i == 0) {
    j = 1;
  } else if (i == n - 1) {
    j = n - 2;
  } else {
    j = score(i + 1) < score(i - 1) ? i + 1 : i - 1;
  }
  index = std::min(i, j);

  const ScreenPoint pj = ToScreen(p[j].time, p[j].value, axis);
  const ScreenPoint e{pj.x - pi.x, pj.y - pi.y};
  if (e.y == 0) return Abs(dm.y) <= H ? kHitFlatSegment : kHitNone;
  if (e.x == 0) return Abs(dm.x) <= H ? kHitSlopedSegment : kHitNone;
  if (Abs(e.x) <= 1000) return LineDistance2(dm, e) <= H * H ? kHitSlopedSegment : kHitNone;
  const int64_t offset = dm.y - MulDivRoundWide(e.y, dm.x, e.x);
  return Abs(offset) <= H ? kHitSlopedSegment : kHitNone;
}

}  // namespace

int32_t Film::FindVolumePoint(int32_t t, int32_t value, int32_t maxDistance) const {
  return FindPoint(*this, volumePoints, t, value, maxDistance, VolumeAxis);
}
int32_t Film::FindBalancePoint(int32_t t, int32_t value, int32_t maxDistance) const {
  return FindPoint(*this, balancePoints, t, value, maxDistance, BalanceAxis);
}
int32_t Film::NearestVolumePoint(int32_t t) const {
  return NearestPoint(*this, volumePoints, t);
}
int32_t Film::NearestBalancePoint(int32_t t) const {
  return NearestPoint(*this, balancePoints, t);
}
bool Film::AddVolumePoint(int32_t t, int32_t value) {
  return volumePoints.Insert(t, value);
}
bool Film::AddBalancePoint(int32_t t, int32_t value) {
  return balancePoints.Insert(t, value);
}
bool Film::DeleteVolumePoint(int32_t i) {
  return volumePoints.Delete(i);
}
bool Film::DeleteBalancePoint(int32_t i) {
  return balancePoints.Delete(i);
}
int32_t Film::HitTestVolumeProfile(int32_t value, int32_t t, int32_t& index) const {
  return HitTest(*this, volumePoints, value, t, index, VolumeAxis);
}
int32_t Film::HitTestBalanceProfile(int32_t value, int32_t t, int32_t& index) const {
  return HitTest(*this, balancePoints, value, t, index, BalanceAxis);
}

// ---- Status texts ----

namespace {

constexpr std::size_t kStatusLimit = 159;
constexpr std::size_t kNameTextLimit = 150;

const char* Tc(int32_t ms) {
  return MsToShortTimeCode(ms, true);
}

int32_t Percent(int32_t v) {
  const int64_t magnitude = v < 0 ? -static_cast<int64_t>(v) : v;
  return static_cast<int32_t>((magnitude * 100 + 128) / 256);
}
const char* Side(int32_t v) {
  return GetString(v >= 1 ? ui_string::kRight : ui_string::kLeft);
}

}  // namespace

void Film::ShowStatus(const std::string& text) const {
  std::string shown = text.substr(0, kStatusLimit);
  CurrentFilmHost().ShowStatusText(shown.c_str());
}

namespace {

int32_t EffectiveGain(const Film& film, int32_t value) {
  FilmHost& host = CurrentFilmHost();
  const int64_t lines = static_cast<int64_t>(host.LineGain(film.audioLine)) * host.MasterGain();
  const int64_t clip = MulDivRoundWide(value, film.volume, 512);
  return static_cast<int32_t>(std::min<int64_t>(MulDivRoundWide(clip, lines, 262144), INT32_MAX));
}

int32_t EffectiveBalance(const Film& film, int32_t value) {
  FilmHost& host = CurrentFilmHost();
  const int64_t sum =
      static_cast<int64_t>(value) + film.balance + host.MasterPan() + host.LinePan(film.audioLine);
  return static_cast<int32_t>(std::clamp<int64_t>(sum, -256, 256));
}

}  // namespace

void Film::DescribeClip() const {
  const int kind = video && audio ? ui_string::kKindVideoAndAudio
                   : midi         ? ui_string::kKindMidi
                   : video        ? ui_string::kKindVideo
                                  : ui_string::kKindAudio;
  ShowStatus(FormatText(GetString(ui_string::kClipStatus), GetString(kind), name, Tc(start), Tc(end)));
}

void Film::DescribeStart() const {
  if (video) {
    const int32_t frame = MsToFrames(in, ProjectFrameRate());
    const char* key = video->IsKeyFrame(frame) ? " " : GetString(ui_string::kNotKey);
    ShowStatus(FormatText(GetString(ui_string::kClipStartKeyStatus), name, Tc(start),
                          Tc(FramesToMs(frame, video->GetFrameRate())), key));
  } else {
    ShowStatus(FormatText(GetString(ui_string::kClipStartStatus), name, Tc(start), Tc(in)));
  }
}

void Film::DescribeStop() const {
  const int32_t offset = video ? FramesToMs(MsToFrames(out, ProjectFrameRate()), video->GetFrameRate()) : out;
  ShowStatus(FormatText(GetString(ui_string::kClipStopStatus), name, Tc(end), Tc(offset)));
}

void Film::DescribeMark(int32_t i) const {
  if (i < 0 || i >= marks.Count()) return;
  const Mark& mark = marks[i];
  ShowStatus(
      FormatText(GetString(ui_string::kMarkStatus), mark.name, Tc(mark.time + start - in), Tc(mark.time)));
}

void Film::DescribeVolumePoint(int32_t i) const {
  if (i < 0 || i >= volumePoints.Count()) return;
  const ProfilePoint& p = volumePoints[i];
  ShowStatus(FormatText(GetString(ui_string::kVolumePointStatus), GainToDb(EffectiveGain(*this, p.value)),
                        GainToDb(p.value), Tc(p.time - in + start), Tc(p.time - in)));
}

void Film::DescribeVolumeRange(int32_t i) const {
  if (i < 0 || i + 1 >= volumePoints.Count()) return;
  const ProfilePoint& a = volumePoints[i];
  const ProfilePoint& b = volumePoints[i + 1];
  ShowStatus(FormatText(GetString(ui_string::kVolumeRangeStatus), GainToDb(EffectiveGain(*this, a.value)),
                        GainToDb(a.value), Tc(a.time - in + start), Tc(b.time - in + start), Tc(a.time - in),
                        Tc(b.time - in)));
}

void Film::DescribeVolumeSlope(int32_t i) const {
  if (i < 0 || i + 1 >= volumePoints.Count()) return;
  const ProfilePoint& a = volumePoints[i];
  const ProfilePoint& b = volumePoints[i + 1];
  ShowStatus(FormatText(GetString(ui_string::kVolumeSlopeStatus), GainToDb(EffectiveGain(*this, a.value)),
                        GainToDb(a.value), Tc(a.time - in + start), Tc(a.time - in),
                        GainToDb(EffectiveGain(*this, b.value)), GainToDb(b.value), Tc(b.time - in + start),
                        Tc(b.time - in)));
}

void Film::DescribeBalancePoint(int32_t i) const {
  if (i < 0 || i >= balancePoints.Count()) return;
  const ProfilePoint& p = balancePoints[i];
  const int32_t eff = EffectiveBalance(*this, p.value);
  ShowStatus(FormatText(GetString(ui_string::kBalancePointStatus), Percent(eff), Side(eff), Percent(p.value),
                        Side(p.value), Tc(p.time - in + start), Tc(p.time - in)));
}

void Film::DescribeBalanceRange(int32_t i) const {
  if (i < 0 || i + 1 >= balancePoints.Count()) return;
  const ProfilePoint& a = balancePoints[i];
  const ProfilePoint& b = balancePoints[i + 1];
  const int32_t eff = EffectiveBalance(*this, a.value);
  ShowStatus(FormatText(GetString(ui_string::kBalanceRangeStatus), Percent(eff), Side(eff), Percent(a.value),
                        Side(a.value), Tc(a.time - in + start), Tc(b.time - in + start), Tc(a.time - in),
                        Tc(b.time - in)));
}

void Film::DescribeBalanceSlope(int32_t i) const {
  if (i < 0 || i + 1 >= balancePoints.Count()) return;
  const ProfilePoint& a = balancePoints[i];
  const ProfilePoint& b = balancePoints[i + 1];
  const int32_t effA = EffectiveBalance(*this, a.value);
  const int32_t effB = EffectiveBalance(*this, b.value);
  ShowStatus(FormatText(GetString(ui_string::kBalanceSlopeStatus), Percent(effA), Side(effA),
                        Percent(a.value), Side(a.value), Tc(a.time - in + start), Tc(a.time - in),
                        Percent(effB), Side(effB), Percent(b.value), Side(b.value), Tc(b.time - in + start),
                        Tc(b.time - in)));
}

void Film::DescribeName() const {
  std::string text = FormatText(GetString(ui_string::kClipNamed), name);
  if (text.size() > kNameTextLimit) text.resize(kNameTextLimit);
  char effectsText[kNameTextLimit + 1] = {};
  const int32_t room = static_cast<int32_t>(kNameTextLimit - text.size()) + 1;
  CurrentMediaServices().DescribeEffects(effects, effectsText, room);
  effectsText[kNameTextLimit] = '\0';
  text += effectsText;
  if (text.size() > kNameTextLimit) text.resize(kNameTextLimit);
  ShowStatus(text);
}
