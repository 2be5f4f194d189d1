// The profile value of a y on a line: the mapping back of what the line
// draws, whatever the gains and balances around the point.
#include <cmath>

#include "audio_lines_fixture.h"
#include "model/levels.h"

namespace audiolinetest {
namespace {

// Points from -24 dB to the top in steps of 3 dB, and silence.
constexpr int32_t kGains[] = {0, 32, 45, 64, 90, 128, 181, 256, 362, 512, 724, 1024, 1448, 2047};

class ProfileValues : public AudioLineTest {
 protected:
  // The line's clip under the pointer, so that its values count.
  Film* PointAt(int32_t zoom) {
    if (tl_ != nullptr) {
      ClearProject();
      Close();
    }
    OpenLines({zoom});
    Film* f = Clip(Audio("a.wav", 10000), 0, 100, 0, 800);
    Move(400, Middle(0));
    EXPECT_EQ(Lines().PointerFilm(), f);
    return f;
  }
  // Where the line draws a volume point and a balance point of the clip.
  int DrawnVolumeY(const Film& f, int32_t value) {
    const TimeLineEngine& e = Engine();
    const double gain = value * GainFactor(e.masterGain) * GainFactor(Row(0).gain) * GainFactor(f.volume) + 0.499;
    return Row(0).bottom - GainToFader(static_cast<int>(gain), Row(0).zoom);
  }
  int DrawnBalanceY(const Film& f, int32_t value) {
    const int b = std::clamp(value + f.balance + Engine().masterPan + Row(0).pan, -256, 256);
    return Middle(0) + std::max(BalanceToSteps(b, Row(0).zoom), 1 - Row(0).height / 2);
  }
};

TEST_F(ProfileValues, ThePointDrawnAtAYIsTheValueThatYGivesBack) {
  for (int32_t zoom = 0; zoom < 3; ++zoom) {
    Film* f = PointAt(zoom);
    for (int32_t v : kGains) {
      const int y = DrawnVolumeY(*f, v);
      EXPECT_EQ(DrawnVolumeY(*f, Lines().YToVolume(y)), y) << "step " << zoom << ", value " << v;
    }
    for (int32_t v = -256; v <= 256; ++v) {
      const int y = DrawnBalanceY(*f, v);
      EXPECT_EQ(DrawnBalanceY(*f, Lines().YToBalance(y)), y) << "step " << zoom << ", balance " << v;
    }
  }
}

TEST_F(ProfileValues, AroundOtherGainsAndBalancesTheValueStillComesBack) {
  const struct {
    int32_t clip, line, master;
    int32_t clipPan, linePan, masterPan;
  } cases[] = {
      {300, 700, 900, 40, 0, 0},
      {2047, 2047, 2047, -30, 20, 60},  // beyond 32 bits when multiplied
      {1, 512, 512, 0, -100, 0},
  };
  for (const auto& c : cases) {
    Film* f = PointAt(0);
    f->volume = c.clip;
    f->balance = c.clipPan;
    Engine().audioPanel[0].gain = c.line;
    Engine().audioPanel[0].pan = c.linePan;
    Engine().masterGain = c.master;
    Engine().masterPan = c.masterPan;
    const int32_t offset = c.clipPan + c.linePan + c.masterPan;
    for (int32_t v : kGains) {
      const int y = DrawnVolumeY(*f, v);
      const int32_t back = Lines().YToVolume(y);
      EXPECT_GE(back, 0);
      EXPECT_LE(back, 2047);
      EXPECT_EQ(DrawnVolumeY(*f, back), y) << c.clip << ", value " << v;
    }
    for (int32_t v = -256 - offset; v <= 256 - offset; ++v) {
      if (v < -256 || v > 256) continue;
      const int y = DrawnBalanceY(*f, v);
      EXPECT_EQ(DrawnBalanceY(*f, Lines().YToBalance(y)), y) << c.clipPan << ", balance " << v;
    }
  }
}

TEST_F(ProfileValues, TheTopIsTheLoudestAndTheBottomSilent) {
  for (int32_t zoom = 0; zoom < 3; ++zoom) {
    PointAt(zoom);
    for (int y : {Row(0).top - 5, Row(0).top}) EXPECT_EQ(Lines().YToVolume(y), 2047);
    for (int y : {Row(0).bottom, Row(0).bottom + 5}) EXPECT_EQ(Lines().YToVolume(y), 0);
  }
}

}  // namespace
}  // namespace audiolinetest
