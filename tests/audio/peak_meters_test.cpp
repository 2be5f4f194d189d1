#include "audio/peak_meters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "ui/level_control.h"

namespace {

std::vector<BYTE> Le16(std::initializer_list<int> samples) {
  std::vector<BYTE> out;
  for (int s : samples) {
    out.push_back(static_cast<BYTE>(s & 0xFF));
    out.push_back(static_cast<BYTE>((s >> 8) & 0xFF));
  }
  return out;
}
std::vector<BYTE> Le32(std::initializer_list<long long> samples) {
  std::vector<BYTE> out;
  for (long long s : samples)
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<BYTE>((static_cast<uint32_t>(s) >> (8 * i)) & 0xFF));
  return out;
}
std::vector<BYTE> Floats(std::initializer_list<float> samples) {
  std::vector<BYTE> out(samples.size() * 4);
  std::memcpy(out.data(), std::data(samples), out.size());
  return out;
}

TEST(PeakMeters, EachSampleTypeComesToTheSixteenBitScale) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    std::vector<BYTE> data;
    int type, channels;
    int32_t left, right;
  };
  const Case cases[] = {
      {"16-bit stereo, one left sample of -32767", Le16({0, 0, -32767, 0, 0, 0}), 2, 2, 32767, 0},
      {"16-bit stereo, -32768 on the right", Le16({5, -32768}), 2, 2, 5, 32768},
      {"16-bit mono: one peak for both", Le16({100, -300, 200}), 2, 1, 300, 300},
      {"8-bit mono silence", {128, 128, 128, 128}, 1, 1, 0, 0},
      {"8-bit mono, a byte of 0", {128, 0, 128}, 1, 1, 32768, 32768},
      {"8-bit stereo", {128, 255, 192, 128}, 1, 2, 64 * 256, 127 * 256},
      {"type 0 reads as 8-bit", {0, 128}, 0, 2, 32768, 0},
      {"24-bit FF FF FF is -1: below one step", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 4, 2, 0, 0},
      {"24-bit full scale", {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F}, 4, 2, 32768, 32767},
      {"20-bit in 3 bytes, mono", {0x00, 0x01, 0x00, 0x00, 0xFF, 0xFF}, 3, 1, 1, 1},
      {"24 bits in 4 bytes, as the engine writes them", Le32({1000LL << 16, -(2000LL << 16)}), 5, 2, 1000,
       2000},
      {"32-bit integer, most negative", Le32({-2147483648LL, 2147483647LL}), 6, 2, 32768, 32767},
      {"float 0.5 and -0.25", Floats({0.5f, -0.25f}), 7, 2, 16384, 8192},
      {"float beyond full scale is held to it", Floats({4.0f, -1e30f}), 7, 2, 32768, 32768},
      {"float NaN counts as silence", Floats({nan, 0.125f}), 7, 2, 0, 4096},
      {"a part frame at the end is not read", Le16({10, 20, 30000}), 2, 2, 10, 20},
      {"a part frame of 24-bit stereo", {1, 0, 0, 2, 0, 0, 0xFF, 0xFF}, 4, 2, 0, 0},
  };
  for (const Case& c : cases) {
    const PeakLevels p = MeasurePeaks(c.data.data(), static_cast<DWORD>(c.data.size()), c.type, c.channels);
    EXPECT_EQ(p.left, c.left) << c.what;
    EXPECT_EQ(p.right, c.right) << c.what;
  }
}

TEST(PeakMeters, NoBlockGivesNothing) {
  EXPECT_EQ(MeasurePeaks(nullptr, 100, 2, 2).left, 0);
  const std::vector<BYTE> odd = Le16({1000});
  EXPECT_EQ(MeasurePeaks(odd.data(), 1, 2, 1).left, 0);
}

// A window with a meter pair, as the mixer and the recorder hold them.
class MeterWindow : public TWindow {
 public:
  MeterWindow() : TWindow(nullptr, "Meters") {
    Attr.Style = WS_OVERLAPPEDWINDOW;
    Attr.W = 200;
    Attr.H = 200;
    group.left = new TLevelControl(this, &group, 0, true);
    group.right = new TLevelControl(this, &group, 0, true);
    group.left->Attr.Style = group.right->Attr.Style = WS_CHILD | WS_VISIBLE;
    group.left->Attr.W = group.right->Attr.W = 10;
    group.left->Attr.H = group.right->Attr.H = 100;
  }
  TAudioMeter group;
};

TEST(PeakMeters, TheMetersTakeTheLevelsOrAreClearedWhenOff) {
  MeterWindow window;
  ASSERT_TRUE(window.Create());
  const std::vector<BYTE> block = Le16({-32767, 100});
  UpdatePeakMeters(&window.group, block.data(), static_cast<DWORD>(block.size()), 2, 2);
  EXPECT_EQ(window.group.left->GetLevel(), 32767);
  EXPECT_EQ(window.group.right->GetLevel(), 100);

  window.group.off = true;
  UpdatePeakMeters(&window.group, block.data(), static_cast<DWORD>(block.size()), 2, 2);
  EXPECT_EQ(window.group.left->GetLevel(), 0);
  EXPECT_EQ(window.group.right->GetLevel(), 0);
  EXPECT_EQ(window.group.left->GetPeak(), 32767);  // the held peak stays

  window.group.off = false;
  UpdatePeakMeters(&window.group, block.data(), static_cast<DWORD>(block.size()), 2, 2);
  UpdatePeakMeters(&window.group, nullptr, 0, 2, 2);
  EXPECT_EQ(window.group.left->GetLevel(), 0);
}

}  // namespace
