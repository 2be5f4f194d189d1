#include "audio/fft.h"

#include <cmath>

#include "audio/declick.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kFloorDb = -999.9f;

}  // namespace

const char* const kWindowNames[kWindowTypeCount] = {"Hann",   "Hamming",   "Bartlett", "Gauss",
                                                     "Kaiser", "Blackman1", "Blackman2"};

TFFT::TFFT(int32_t points) {
  SetSize(points);
}

void TFFT::SetSize(int32_t points) {
  size = 2 * (points > 1 ? points : 2);
  built = false;
  Transform(1, nullptr);
}

void TFFT::BuildTables() {
  const int32_t n = size / 2;
  bitReverse.assign(static_cast<std::size_t>(n), 0);
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  for (int32_t i = 0; i < n; ++i) {
    int32_t r = 0;
    for (int b = 0; b < bits; ++b)
      if (i & (1 << b)) r |= 1 << (bits - 1 - b);
    bitReverse[static_cast<std::size_t>(i)] = r;
  }
  // The angles in double so that large sizes keep their accuracy.
  twiddle.assign(static_cast<std::size_t>(n), 0.0f);
  for (int32_t k = 0; k < n / 2; ++k) {
    const double a = 2.0 * kPi * k / n;
    twiddle[2 * static_cast<std::size_t>(k)] = static_cast<float>(std::cos(a));
    twiddle[2 * static_cast<std::size_t>(k) + 1] = static_cast<float>(std::sin(a));
  }
  built = true;
}

void TFFT::Transform(int sign, float* data_) {
  data = data_;
  if (!built) {
    BuildTables();
    return;
  }
  if (data == nullptr) return;
  const int32_t n = size / 2;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t j = bitReverse[static_cast<std::size_t>(i)];
    if (j > i) {
      std::swap(data[2 * i], data[2 * j]);
      std::swap(data[2 * i + 1], data[2 * j + 1]);
    }
  }
  const float direction = sign >= 0 ? 1.0f : -1.0f;
  for (int32_t len = 2; len <= n; len *= 2) {
    const int32_t half = len / 2;
    const int32_t stride = n / len;
    for (int32_t start = 0; start < n; start += len) {
      for (int32_t k = 0; k < half; ++k) {
        const float wr = twiddle[2 * static_cast<std::size_t>(k * stride)];
        const float wi = direction * twiddle[2 * static_cast<std::size_t>(k * stride) + 1];
        float* a = data + 2 * (start + k);
        float* b = data + 2 * (start + k + half);
        const float tr = b[0] * wr - b[1] * wi;
        const float ti = b[0] * wi + b[1] * wr;
        b[0] = a[0] - tr;
        b[1] = a[1] - ti;
        a[0] += tr;
        a[1] += ti;
      }
    }
  }
}

void BuildWindowTable(int type, int32_t n, float* out) {
  if (out == nullptr || n < 2 || type < 0 || type >= kWindowTypeCount) return;
  const int32_t h = n / 2;
  switch (type) {
    case 0:
    case 1: {
      const float c = static_cast<float>(kPi / (n - 1));
      const float a = type == 0 ? 0.5f : 0.54f, b = type == 0 ? 0.5f : 0.46f;
      for (int32_t i = -h; i < h; ++i) out[h + i] = a + b * std::cos(static_cast<float>(2 * i + 1) * c);
      break;
    }
    case 2: {
      const float c = static_cast<float>(1.0 / (n + 1));
      for (int32_t i = -h; i < h; ++i) out[h + i] = 1.0f - static_cast<float>(std::abs(2 * i + 1)) * c;
      break;
    }
    case 3: {
      const float c = static_cast<float>(5.0 / n);
      for (int32_t i = -h; i < h; ++i) {
        const float x = static_cast<float>(i) * c;
        out[h + i] = std::exp(-0.5f * x * x);
      }
      break;
    }
    case 4: {
      const float inv = 1.0f / static_cast<float>(n);
      const float c = 4.0f * inv * inv;
      const float k = 1.0f / BesselI0(8.96f);
      for (int32_t i = -h; i < h; ++i) {
        const float q = 1.0f - static_cast<float>(i) * static_cast<float>(i) * c;
        out[h + i] = BesselI0(8.96f * std::sqrt(q > 0.0f ? q : 0.0f)) * k;
      }
      break;
    }
    default: {
      float a = -0.16f;
      float d = static_cast<float>(2.0 * kPi / (n - 1));
      if (type == 6) {
        const float e = static_cast<float>(1.0 / (n - 1));
        const float s = static_cast<float>(std::sin(kPi * e) / std::sin(2.0 * kPi * e));
        a = -s * s;
        d = static_cast<float>(2.0 * kPi * e);
      }
      const float d2 = 2.0f * d;
      for (int32_t j = 0; j < n; ++j)
        out[j] = (1.0f + a) / 2.0f - 0.5f * std::cos(static_cast<float>(j) * d) -
                 (a / 2.0f) * std::cos(static_cast<float>(j) * d2);
      break;
    }
  }
}

float ToDecibel(float value) {
  if (!(value > 0.0f)) return kFloorDb;
  const float db = static_cast<float>(20.0 * std::log10(static_cast<double>(value)));
  return db < kFloorDb ? kFloorDb : db;
}
