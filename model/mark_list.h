// Named alignment points: the project's marks on the time-line and each
// Film's own marks in its source time. A list is sorted by time and holds at
// most one mark per time.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/core/types.h"
#include "platform/riff/riff.h"

struct Mark {
  int32_t time = 0;     // ms
  char name[128] = {};  // always terminated
  int32_t group = 0;
};

class MarkList {
 public:
  MarkList() = default;
  MarkList(const MarkList& other);
  MarkList& operator=(const MarkList& other);
  ~MarkList() = default;

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  const Mark& operator[](int32_t i) const { return marks_[i]; }
  const Mark* begin() const { return marks_.get(); }
  const Mark* end() const { return marks_.get() + count_; }

  // Adds an unnamed mark of the current gravity group at t; false when a mark
  // has that time already or memory runs out.
  bool AddMark(int32_t t);
  // Removes mark i; an index outside the list does nothing.
  void RemoveMark(int32_t i);
  // Moves mark i to t keeping the order; i follows the mark. False when i is
  // outside the list or another mark has time t.
  bool MoveMark(int32_t& i, int32_t t);
  bool SetName(int32_t i, const char* text);
  bool SetGroup(int32_t i, int32_t group);
  // The eligible mark nearest to t closer than maxDistance among the marks
  // with from <= time < to. A negative result means none; it is -1 less the
  // number of marks before from.
  int32_t FindNearest(int32_t t, int32_t maxDistance, int32_t from, int32_t to) const;

  // The marks as a project file stores them (film_records.cpp): Write gives
  // false at a short write; Read and ReadOld take a record of length bytes
  // and return 0, 2, 6 or 19.
  bool Write(HMMIO file) const;
  int Read(HMMIO file, LONG length);
  int ReadOld(HMMIO file, LONG length);

  // Empties the list and frees its array.
  void Clear();

 private:
  bool Grow();

  int32_t capacity_ = 0;
  int32_t count_ = 0;
  std::unique_ptr<Mark[]> marks_;
};

// The project's own marks on the time-line.
extern MarkList ProjectMarks;
