// Volume and balance envelopes of an audio Film: key points in source time,
// sorted, spanning the whole source from its first point at 0 to its last
// at the source's length.
#pragma once

#include <cstdint>
#include <memory>

struct ProfilePoint {
  int32_t time = 0;   // ms, source time
  int32_t value = 0;  // gain index 0..2047 or balance -256..256
};

class Profile {
 public:
  Profile() = default;
  // A copy holds the points in an array of the next multiple of 10.
  Profile(const Profile& other);
  Profile& operator=(const Profile& other);
  ~Profile() = default;

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  bool Empty() const { return count_ == 0; }
  ProfilePoint& operator[](int32_t i) { return points_[i]; }
  const ProfilePoint& operator[](int32_t i) const { return points_[i]; }
  ProfilePoint& Last() { return points_[count_ - 1]; }

  // The profile of a new clip: (0, value) and (length, value), capacity 2.
  void SetTwoPoints(int32_t length, int32_t value);
  // Inserts a point after every point at or before t, but never before the
  // first point nor after the last. False, unchanged, when memory runs out.
  bool Insert(int32_t t, int32_t value);
  // False for an index outside the profile.
  bool Delete(int32_t i);
  // Replaces the points with count points of an array of the given capacity
  // (readers of stored profiles); false when memory runs out.
  bool Assign(const ProfilePoint* points, int32_t count);
  void Clear();

 private:
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  std::unique_ptr<ProfilePoint[]> points_;
};

// Hit-test codes of a profile under the mouse.
enum ProfileHit : int32_t {
  kHitNone = 3,
  kHitPoint = 9,
  kHitFlatSegment = 10,
  kHitSlopedSegment = 11,
};

// The distance, in pixels and in vertical steps alike, within which the
// mouse hits a key point or a segment.
constexpr int32_t kProfileHitDistance = 7;
