// Effect tails (echo feedback, filter memories) decaying toward silence pass
// through subnormal floats, which cost the processor many times a normal
// multiply. The threads that mix and run effects flush them to zero: while
// one of these lives, the calling thread treats subnormal inputs as zero and
// gives zero for results that would be subnormal.
#pragma once

#include <cstdint>

class FlushDenormals {
 public:
  FlushDenormals();
  ~FlushDenormals();
  FlushDenormals(const FlushDenormals&) = delete;
  FlushDenormals& operator=(const FlushDenormals&) = delete;

  // Whether the calling thread flushes them now.
  static bool Active();

 private:
  std::uint64_t saved_ = 0;
};
