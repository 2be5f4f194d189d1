// The analyser's numeric core: an in-place complex FFT on interleaved float
// pairs, the seven analysis windows and the decibel conversion shared by the
// analyser and its diagram.
#pragma once

#include <vector>

#include "platform/core/types.h"

// Unscaled complex transform of N points held as re, im pairs:
// X[k] = sum x[j] exp(+2 pi i j k / N) for sign >= 0, exp(-...) below 0.
class TFFT {
 public:
  // N is a power of two from 2 up; the tables for it are built at once.
  explicit TFFT(int32_t points);

  void SetSize(int32_t points);
  // Transforms data (2N floats) in place. A call that finds the tables not
  // yet built for the current size only builds them; data may then be null.
  void Transform(int sign, float* data);
  int32_t Points() const { return size / 2; }

 private:
  void BuildTables();

  int32_t size = 0;  // floats in the data array: 2N
  float* data = nullptr;
  bool built = false;
  std::vector<int32_t> bitReverse;
  std::vector<float> twiddle;  // cos, sin of 2 pi k / N for k < N/2, interleaved
};

// The analysis windows in list order; the names are the list's texts.
constexpr int kWindowTypeCount = 7;
extern const char* const kWindowNames[kWindowTypeCount];

// Fills out[0..n-1] with window type (0..6) for n points; a type outside
// that range leaves out as it is.
void BuildWindowTable(int type, int32_t n, float* out);

// 20 log10(value), never below -999.9; -999.9 for value <= 0.
float ToDecibel(float value);
