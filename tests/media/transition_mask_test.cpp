#include "media/transition_mask.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Mask(int kind, int soft, int width, int height, int step, int steps) {
  Bytes m(static_cast<std::size_t>(width) * height, 77);
  MakeTransitionMask(kind, soft, m.data(), width, height, step, steps);
  return m;
}

Bytes Row(const Bytes& m, int width, int r) {
  return Bytes(m.begin() + r * width, m.begin() + (r + 1) * width);
}

// 0 up to and including edge, 255 after it (rising) or the other way round.
Bytes HardRow(int width, int edge, bool rising) {
  Bytes r(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) r[static_cast<std::size_t>(x)] = (x <= edge) == rising ? 0 : 255;
  return r;
}

TEST(TransitionMask, CrossFadeFieldsAreAHalfStepApart) {
  const Bytes first = Mask(0, 0, 7, 4, 0, 25);
  EXPECT_EQ(Row(first, 7, 0), Bytes(7, 251));
  EXPECT_EQ(Row(first, 7, 1), Bytes(7, 246));
  EXPECT_EQ(Row(first, 7, 2), Bytes(7, 251));
  EXPECT_EQ(Row(first, 7, 3), Bytes(7, 246));
  const Bytes last = Mask(0, 0, 7, 2, 24, 25);
  EXPECT_EQ(Row(last, 7, 0), Bytes(7, 15));
  EXPECT_EQ(Row(last, 7, 1), Bytes(7, 10));
  // Any other kind: one weight for the whole frame.
  EXPECT_EQ(Mask(9, 0, 5, 3, 10, 25), Bytes(15, 255 - 255 * 10 / 25));
}

TEST(TransitionMask, WipesWithoutSoftnessHaveAHardEdge) {
  // 10 steps (D = 22) at step 4: k = 9 on even rows, 10 on odd rows.
  const int w = 100, h = 100;
  const Bytes left = Mask(1, 0, w, 2, 4, 10);
  EXPECT_EQ(Row(left, w, 0), HardRow(w, 9 * 100 / 22, true));
  EXPECT_EQ(Row(left, w, 1), HardRow(w, 10 * 100 / 22, true));
  const Bytes right = Mask(2, 0, w, 2, 4, 10);
  EXPECT_EQ(Row(right, w, 0), HardRow(w, 100 - 9 * 100 / 22, false));
  EXPECT_EQ(Row(right, w, 1), HardRow(w, 100 - 10 * 100 / 22, false));
  const Bytes top = Mask(3, 0, 3, h, 4, 10);
  const Bytes bottom = Mask(4, 0, 3, h, 4, 10);
  for (int r = 0; r < h; ++r) {
    const int k = r % 2 == 0 ? 9 : 10;
    EXPECT_EQ(Row(top, 3, r), Bytes(3, r <= k * 100 / 22 ? 0 : 255)) << r;
    EXPECT_EQ(Row(bottom, 3, r), Bytes(3, r <= 100 - k * 100 / 22 ? 255 : 0)) << r;
  }
}

TEST(TransitionMask, SoftWipesRampAcrossTheSoftWidth) {
  // soft 10: right = 9 * 110 / 22 = 45, left = 35.
  const Bytes m = Mask(1, 10, 100, 1, 4, 10);
  for (int x = 0; x <= 35; ++x) EXPECT_EQ(m[static_cast<std::size_t>(x)], 0) << x;
  for (int x = 36; x < 45; ++x) EXPECT_EQ(m[static_cast<std::size_t>(x)], (x - 35) * 255 / 10) << x;
  for (int x = 45; x < 100; ++x) EXPECT_EQ(m[static_cast<std::size_t>(x)], 255) << x;
  const Bytes r = Mask(2, 10, 100, 1, 4, 10);  // left = 100 - 45 = 55, right = 65
  EXPECT_EQ(r[55], 255);
  EXPECT_EQ(r[60], 255 - 5 * 255 / 10);
  EXPECT_EQ(r[65], 0);
}

TEST(TransitionMask, HostileArgumentsStayInTheMask) {
  struct Case {
    int kind, soft, step, steps;
  };
  for (const Case c : {Case{0, 0, 3, 0}, Case{1, -5, 2, -1}, Case{2, 1 << 30, 99, 3}, Case{3, 7, -4, 2},
                       Case{4, 0, 1 << 30, 1 << 30}, Case{7, 0, 5, 0}}) {
    Bytes m(4 * 3 + 8, 0xEE);
    MakeTransitionMask(c.kind, c.soft, m.data(), 4, 3, c.step, c.steps);
    EXPECT_EQ(Bytes(m.begin() + 12, m.end()), Bytes(8, 0xEE)) << c.kind;
  }
  MakeTransitionMask(0, 0, nullptr, 4, 3, 0, 2);
  Bytes untouched(4, 1);
  MakeTransitionMask(0, 0, untouched.data(), 0, -3, 0, 2);
  EXPECT_EQ(untouched, Bytes(4, 1));
}

TEST(MaskBlend, EndWeightsGiveTheFramesAndMidWeightsRound) {
  struct Depth {
    int bytes;
    void (*blend)(const BYTE*, int, int, const BYTE*, const BYTE*, BYTE*);
  };
  const Depth depths[] = {{4, BlendMask32}, {3, BlendMask24}, {2, BlendMask16}, {1, BlendMask8}};
  const int w = 5, h = 3;
  for (const Depth& d : depths) {
    SCOPED_TRACE(d.bytes);
    const std::size_t n = static_cast<std::size_t>(w) * h * d.bytes;
    Bytes a(n), b(n), out(n);
    for (std::size_t i = 0; i < n; ++i) {
      a[i] = static_cast<BYTE>(i * 37 + 11);
      b[i] = static_cast<BYTE>(255 - i * 53);
    }
    for (int weight : {255, 0, 128}) {
      const Bytes mask(static_cast<std::size_t>(w) * h, static_cast<BYTE>(weight));
      d.blend(mask.data(), w, h, a.data(), b.data(), out.data());
      for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(out[i], (a[i] * weight + b[i] * (255 - weight) + 127) / 255) << weight << " " << i;
    }
    // Mask row 0 is the top of the picture: the last row in memory.
    Bytes mask(static_cast<std::size_t>(w) * h, 0);
    std::memset(mask.data(), 255, static_cast<std::size_t>(w));
    d.blend(mask.data(), w, h, a.data(), b.data(), out.data());
    const std::size_t stride = static_cast<std::size_t>(w) * d.bytes;
    EXPECT_EQ(Bytes(out.begin() + 2 * stride, out.end()), Bytes(a.begin() + 2 * stride, a.end()));
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 2 * stride), Bytes(b.begin(), b.begin() + 2 * stride));
  }
}

TEST(MaskBlend, ConstantBlendUsesTheFirstWeightForEveryByte) {
  const Bytes a(9, 200), b(9, 10);
  Bytes out(10, 0xEE);
  const BYTE mask[2] = {128, 0};
  BlendConst(mask, 3, 2, 12, a.data(), b.data(), out.data());  // 3 x 2 pixels of 12 bits: 9 bytes
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 9), Bytes(9, (200 * 128 + 10 * 127 + 127) / 255));
  EXPECT_EQ(out[9], 0xEE);
  BlendConst(mask, -3, 2, 24, a.data(), b.data(), out.data());
  BlendConst(mask, 3, 2, -8, a.data(), b.data(), out.data());
  EXPECT_EQ(out[9], 0xEE);
}

TEST(RunLengthDecoding, LiteralAndRepeatRunsAcrossTheRingsEnd) {
  const Bytes packed = {0x02, 'a', 'b', 'c', 0x81, 'x'};
  struct Case {
    int source, target;
  };
  for (const Case c : {Case{2, 10}, Case{29, 10}, Case{2, 30}}) {
    SCOPED_TRACE(std::to_string(c.source) + " -> " + std::to_string(c.target));
    Bytes ring(32, '.');
    for (int i = 0; i < 6; ++i)
      ring[static_cast<std::size_t>((c.source + i) % 32)] = packed[static_cast<std::size_t>(i)];
    DecodeRLE(c.source, 6, c.target, 5, ring.data(), 32);
    std::string got;
    for (int i = 0; i < 5; ++i) got += static_cast<char>(ring[static_cast<std::size_t>((c.target + i) % 32)]);
    EXPECT_EQ(got, "abcxx");
  }
}

TEST(RunLengthDecoding, RunsAreWholeAndHostileInputStaysInTheRing) {
  {
    // A repeat run longer than the count is written whole.
    Bytes ring = {0x83, 'z', 0, 0, 0, 0, 0, 0};
    DecodeRLE(0, 2, 2, 1, ring.data(), 8);
    EXPECT_EQ(ring, (Bytes{0x83, 'z', 'z', 'z', 'z', 'z', 0, 0}));
  }
  {
    // A literal run that claims more than the data holds copies what is there.
    Bytes ring = {0x05, 'a', 'b', 0, 0, 0, 0, 0, 0, 0};
    DecodeRLE(0, 3, 4, 10, ring.data(), 10);
    EXPECT_EQ(ring, (Bytes{0x05, 'a', 'b', 0, 'a', 'b', 0, 0, 0, 0}));
  }
  // Runs longer than a tiny ring, indexes outside it, nothing at all.
  std::vector<BYTE> guard(4 + 16, 0xEE);
  BYTE* ring = guard.data() + 8;
  std::memset(ring, 0xFF, 4);
  DecodeRLE(-7, 1000, 1 << 30, 1000, ring, 4);
  DecodeRLE(3, 9, -1, 99, ring, 4);
  EXPECT_EQ(Bytes(guard.begin(), guard.begin() + 8), Bytes(8, 0xEE));
  EXPECT_EQ(Bytes(guard.begin() + 12, guard.end()), Bytes(8, 0xEE));
  DecodeRLE(0, 5, 0, 5, nullptr, 4);
  DecodeRLE(0, 5, 0, 5, ring, 0);
}

}  // namespace
