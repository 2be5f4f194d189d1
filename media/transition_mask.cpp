#include "media/transition_mask.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

inline BYTE Mix(int a, int b, int m) {
  return static_cast<BYTE>((a * m + b * (255 - m) + 127) / 255);
}

inline BYTE Clamp255(std::int64_t v) {
  return static_cast<BYTE>(std::clamp<std::int64_t>(v, 0, 255));
}

// A wipe's ramp over positions 0..count-1: value(p) rises from 0 to 255
// between low and high (rising), or falls from 255 to 0 (falling).
inline BYTE Ramp(std::int64_t p, std::int64_t low, std::int64_t high, int soft, bool rising) {
  if (p <= low) return rising ? 0 : 255;
  if (p < high) {
    const std::int64_t v = (p - low) * 255 / soft;  // low < p < high only when soft > 0
    return Clamp255(rising ? v : 255 - v);
  }
  return rising ? 255 : 0;
}

template <int Bytes>
void Blend(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out) {
  if (mask == nullptr || a == nullptr || b == nullptr || out == nullptr || width <= 0 || height <= 0) return;
  const std::size_t stride = static_cast<std::size_t>(width) * Bytes;
  for (int r = 0; r < height; ++r) {
    const std::size_t row = static_cast<std::size_t>(height - 1 - r) * stride;
    const BYTE* m = mask + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
    const BYTE* pa = a + row;
    const BYTE* pb = b + row;
    BYTE* po = out + row;
    for (int x = 0; x < width; ++x) {
      const int w = m[x];
      for (int k = 0; k < Bytes; ++k) po[k] = Mix(pa[k], pb[k], w);
      pa += Bytes;
      pb += Bytes;
      po += Bytes;
    }
  }
}

}  // namespace

void MakeTransitionMask(int kind, int soft, BYTE* mask, int width, int height, int step, int steps) {
  if (mask == nullptr || width <= 0 || height <= 0) return;
  // Steps from outside are held to a transition that can be drawn.
  steps = std::max(steps, 1);
  step = std::clamp(step, 0, steps);
  soft = std::max(soft, 0);
  const std::size_t w = static_cast<std::size_t>(width);
  const std::int64_t d = 2 * static_cast<std::int64_t>(steps) + 2;
  const std::int64_t k1 = 2 * static_cast<std::int64_t>(step) + 1, k2 = k1 + 1;
  auto row = [&](int r) { return mask + static_cast<std::size_t>(r) * w; };

  switch (kind) {
    case 0: {
      const BYTE even = Clamp255(255 - (510 * static_cast<std::int64_t>(step) + 255) / d);
      const BYTE odd = Clamp255(255 - (510 * static_cast<std::int64_t>(step) + 510) / d);
      for (int r = 0; r < height; ++r) std::memset(row(r), r % 2 == 0 ? even : odd, w);
      break;
    }
    case 1:
    case 2: {
      std::vector<BYTE> profiles[2] = {std::vector<BYTE>(w), std::vector<BYTE>(w)};
      for (int f = 0; f < 2; ++f) {
        const std::int64_t k = f == 0 ? k1 : k2;
        const std::int64_t reach = k * (soft + static_cast<std::int64_t>(width)) / d;
        std::int64_t low, high;
        if (kind == 1) {
          high = reach;
          low = high - soft;
        } else {
          low = width - reach;
          high = low + soft;
        }
        for (int x = 0; x < width; ++x)
          profiles[f][static_cast<std::size_t>(x)] = Ramp(x, low, high, soft, kind == 1);
      }
      for (int r = 0; r < height; ++r) std::memcpy(row(r), profiles[r % 2].data(), w);
      break;
    }
    case 3:
    case 4: {
      for (int r = 0; r < height; ++r) {
        const std::int64_t k = r % 2 == 0 ? k1 : k2;
        const std::int64_t reach = k * (soft + static_cast<std::int64_t>(height)) / d;
        std::int64_t low, high;
        if (kind == 3) {
          high = reach;
          low = high - soft;
        } else {
          low = height - reach;
          high = low + soft;
        }
        std::memset(row(r), Ramp(r, low, high, soft, kind == 3), w);
      }
      break;
    }
    default: {
      const BYTE v = Clamp255(255 - 255 * static_cast<std::int64_t>(step) / steps);
      for (int r = 0; r < height; ++r) std::memset(row(r), v, w);
      break;
    }
  }
}

void BlendMask32(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out) {
  Blend<4>(mask, width, height, a, b, out);
}

void BlendMask24(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out) {
  Blend<3>(mask, width, height, a, b, out);
}

void BlendMask16(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out) {
  Blend<2>(mask, width, height, a, b, out);
}

void BlendMask8(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out) {
  Blend<1>(mask, width, height, a, b, out);
}

void BlendConst(const BYTE* mask, int width, int height, int bitsPerPixel, const BYTE* a, const BYTE* b,
                BYTE* out) {
  if (mask == nullptr || a == nullptr || b == nullptr || out == nullptr || width <= 0 || height <= 0 ||
      bitsPerPixel <= 0)
    return;
  const int m = mask[0];
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                        static_cast<std::size_t>(bitsPerPixel) / 8;
  for (std::size_t i = 0; i < n; ++i) out[i] = Mix(a[i], b[i], m);
}

void DecodeRLE(int sourceIndex, int sourceLength, int targetIndex, int targetCount, BYTE* ring,
               int ringSize) {
  if (ring == nullptr || ringSize <= 0) return;
  auto wrap = [ringSize](std::int64_t i) {
    const std::int64_t r = i % ringSize;
    return static_cast<int>(r < 0 ? r + ringSize : r);
  };
  int s = wrap(sourceIndex), t = wrap(targetIndex);
  auto next = [ringSize](int& i) {
    if (++i == ringSize) i = 0;
  };
  while (sourceLength > 1 && targetCount > 0) {
    const int c = ring[s];
    int n = (c & 127) + 1;
    next(s);
    if (c < 128) {
      // Only the bytes the source holds are copied.
      n = std::min(n, sourceLength - 1);
      for (int i = 0; i < n; ++i) {
        ring[t] = ring[s];
        next(s);
        next(t);
      }
      sourceLength -= n + 1;
    } else {
      const BYTE v = ring[s];
      next(s);
      for (int i = 0; i < n; ++i) {
        ring[t] = v;
        next(t);
      }
      sourceLength -= 2;
    }
    targetCount -= n;
  }
}
