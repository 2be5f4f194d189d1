#include "model/mark_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "model/film_host.h"

MarkList ProjectMarks;

namespace {

std::unique_ptr<Mark[]> NewMarks(int32_t n) {
  return std::unique_ptr<Mark[]>(new (std::nothrow) Mark[n]);
}

}  // namespace

MarkList::MarkList(const MarkList& other) {
  *this = other;
}

MarkList& MarkList::operator=(const MarkList& other) {
  if (&other == this) return *this;
  Clear();
  if (other.capacity_ < 1) return *this;
  std::unique_ptr<Mark[]> copy = NewMarks(other.capacity_);
  if (!copy) return *this;
  int32_t n = std::min(other.count_, other.capacity_);
  if (n > 0) std::copy(other.marks_.get(), other.marks_.get() + n, copy.get());
  marks_ = std::move(copy);
  capacity_ = other.capacity_;
  count_ = n;
  return *this;
}

void MarkList::Clear() {
  marks_.reset();
  capacity_ = 0;
  count_ = 0;
}

bool MarkList::Grow() {
  std::unique_ptr<Mark[]> larger = NewMarks(capacity_ + 10);
  if (!larger) return false;
  if (count_ > 0) std::copy(marks_.get(), marks_.get() + count_, larger.get());
  marks_ = std::move(larger);
  capacity_ += 10;
  return true;
}

bool MarkList::AddMark(int32_t t) {
  int32_t k = 0;
  while (k < count_ && marks_[k].time < t) ++k;
  if (k < count_ && marks_[k].time == t) return false;
  if (count_ >= capacity_ && !Grow()) return false;
  std::copy_backward(marks_.get() + k, marks_.get() + count_, marks_.get() + count_ + 1);
  Mark& m = marks_[k];
  m = Mark{};
  m.time = t;
  m.group = CurrentFilmHost().GravityGroup();
  ++count_;
  return true;
}

void MarkList::RemoveMark(int32_t i) {
  if (i < 0 || i >= count_) return;
  std::copy(marks_.get() + i + 1, marks_.get() + count_, marks_.get() + i);
  --count_;
}

bool MarkList::MoveMark(int32_t& i, int32_t t) {
  if (i < 0 || i >= count_) return false;
  for (int32_t k = 0; k < count_; ++k) {
    if (k != i && marks_[k].time == t) return false;
  }
  Mark moved = marks_[i];
  moved.time = t;
  int32_t k = i;
  if (k + 1 < count_ && t > marks_[k + 1].time) {
    while (k + 1 < count_ && marks_[k + 1].time < t) {
      marks_[k] = marks_[k + 1];
      ++k;
    }
  } else if (k > 0 && t < marks_[k - 1].time) {
    while (k > 0 && marks_[k - 1].time > t) {
      marks_[k] = marks_[k - 1];
      --k;
    }
  }
  marks_[k] = moved;
  i = k;
  return true;
}

bool MarkList::SetName(int32_t i, const char* text) {
  if (i < 0 || i >= count_) return false;
  char* name = marks_[i].name;
  std::size_t n = text ? strnlen(text, sizeof(marks_[i].name) - 1) : 0;
  std::memcpy(name, text ? text : "", n);
  name[n] = '\0';
  return true;
}

bool MarkList::SetGroup(int32_t i, int32_t group) {
  if (i < 0 || i >= count_) return false;
  marks_[i].group = group;
  return true;
}

int32_t MarkList::FindNearest(int32_t t, int32_t maxDistance, int32_t from, int32_t to) const {
  FilmHost& host = CurrentFilmHost();
  const int32_t mode = host.GravityAlign();
  const int32_t gravityGroup = host.GravityGroup();
  int32_t best = -1;
  int64_t d = maxDistance;
  for (int32_t k = 0; k < count_; ++k) {
    const Mark& m = marks_[k];
    if (m.time >= to) break;
    if (m.time < from) {
      --best;
      continue;
    }
    bool eligible = mode != 0 && (gravityGroup == 0 || m.group == 0 || m.group == gravityGroup);
    if (!eligible) continue;
    int64_t distance = static_cast<int64_t>(m.time) - t;
    if (distance < 0) distance = -distance;
    if (distance < d) {
      d = distance;
      best = k;
    }
  }
  return best;
}
