// The ruler's picture, read back pixel by pixel: where its labels and ticks
// fall, the grey past the project's end and the colours of the marks.
#include <gtest/gtest.h>

#include "strip_fixture.h"
#include "timeline/header/time_code.h"
#include "timeline/window/timeline_colors.h"

namespace striptest {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

class RulerPaintTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    OpenStrip();
    ruler_ = window_->TimeRuler();
    Engine().SetLength(600000);
  }
  // A view of the lines: origin, scale ms drawn over factor pixels.
  void View(int32_t origin, int32_t scale, int32_t factor) {
    TimeLineEngine& e = Engine();
    e.scale = scale;
    e.factor = factor;
    e.origin = origin;
    e.UpdateScrollRange();
    ASSERT_EQ(e.origin, origin);
    ASSERT_EQ(e.scale, scale);
    GuiPumpMessages();
  }
  COLORREF Pixel(int x, int y) { return GuiReadPixel(ruler_->GetHandle(), x, y); }
  int Bottom() { return ruler_->GetClientRect().bottom; }
  int Width() { return ruler_->GetClientRect().right; }

  TTimeCode* ruler_ = nullptr;
};

struct LabelCase {
  const char* what;
  int format;
  float rate;
  int32_t origin, scale, factor;
  int32_t firstLabel;  // the time the ticks start from
};

// Labels start at the origin rounded down to the scale; in SMPTE and frame
// display that time goes to its nearest frame. Major ticks follow every
// division, minor ticks at x + (k x division + sub / 2) / sub.
TEST_F(RulerPaintTest, TicksStartAtTheFirstLabelAndDivideEachDivision) {
  const LabelCase cases[] = {
      {"milliseconds", kTimeFormatMs, 25.0f, 2500, 1000, 100, 2000},
      {"SMPTE at 30 fps: 990 is no frame", kTimeFormatSmpte, 30.0f, 1003, 33, 66, 1000},
      {"frames at 30 fps: 938 is no frame", kTimeFormatFrames, 30.0f, 1000, 67, 67, 933},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(c.what);
    SetProjectFrameRate(c.rate);
    SetProjectTimeFormat(c.format);
    View(c.origin, c.scale, c.factor);
    TimeLineEngine& e = Engine();
    const int sub = window_->RulerSubdivisions();
    const int x0 = e.PosToPixelUnclamped(c.firstLabel);
    ASSERT_LE(x0, 0);
    const int bottom = Bottom();
    int majors = 0;
    for (int x = x0; x < Width(); x += c.factor) {
      for (int k = 1; k < sub; ++k) {
        const int minor = x + (k * c.factor + sub / 2) / sub;
        if (minor <= 0 || minor >= Width()) continue;
        EXPECT_EQ(Pixel(minor, bottom - 1), kBlack) << minor;
        EXPECT_EQ(Pixel(minor, bottom - 2), kBlack) << minor;
        EXPECT_EQ(Pixel(minor, bottom - 3), kWhite) << minor;
      }
      if (x <= 0) continue;
      ++majors;
      EXPECT_EQ(Pixel(x, bottom - 1), kBlack) << x;
      EXPECT_EQ(Pixel(x, bottom - 6), kBlack) << x;
      EXPECT_EQ(Pixel(x, bottom - 7), kWhite) << x;
      // Half-way between two ticks nothing is drawn at the foot.
      const int between = x + (sub > 1 ? (c.factor + sub / 2) / sub / 2 : c.factor / 2);
      if (between < Width()) EXPECT_EQ(Pixel(between, bottom - 1), kWhite) << between;
    }
    EXPECT_GT(majors, 3);
  }
}

// The label of the time line's start is whole: as wide in ink as the next
// label (the digits are all of one width), not cut in half at the edge.
TEST_F(RulerPaintTest, TheStartsLabelIsWhole) {
  SetProjectTimeFormat(kTimeFormatSmpte);
  View(0, 1000, 100);
  const int rows = Bottom() - 8;
  auto inked_columns = [&](int from, int to) {
    int n = 0;
    for (int x = from; x < to; ++x) {
      for (int y = 0; y < rows; ++y) {
        if (Pixel(x, y) == kBlack) {
          ++n;
          break;
        }
      }
    }
    return n;
  };
  const int first = inked_columns(0, 50);
  EXPECT_GT(first, 0);
  EXPECT_NEAR(first, inked_columns(50, 150), 1);
}

// The ruler shows the project up to its end and grey beyond, where no tick
// and no label starts.
TEST_F(RulerPaintTest, PastTheProjectEndTheRulerIsGreyWithoutLabels) {
  Engine().SetLength(5000);
  View(0, 1000, 100);
  const int xEnd = Engine().PosToPixelUnclamped(5000);
  ASSERT_EQ(xEnd, 500);
  ASSERT_GT(Width(), xEnd + 150);
  const int bottom = Bottom();
  int dark = 0;
  for (int y = 0; y < bottom; ++y) {
    for (int x = 1; x < xEnd - 50; ++x) dark += Pixel(x, y) != kWhite;
    // The last label is centred on the end; from half a division on, grey.
    for (int x = xEnd + 50; x < Width(); ++x) ASSERT_EQ(Pixel(x, y), kGrey) << x << "," << y;
  }
  EXPECT_GT(dark, 50);  // labels and ticks before the end
  for (int x = xEnd; x < xEnd + 50; ++x) EXPECT_EQ(Pixel(x, bottom - 1), kGrey) << x;
}

struct MarkCase {
  int32_t gravityAlign, gravityGroup, markGroup;
  bool active;
};

// A mark is drawn active while marks attract and its group is the gravity
// group, no group, or the gravity group is none.
TEST_F(RulerPaintTest, MarksAreActiveOrPassiveByGravity) {
  const MarkCase cases[] = {
      {1, 1, 0, true}, {1, 1, 1, true}, {1, 1, 2, false}, {6, 0, 2, true}, {0, 0, 0, false}, {0, 1, 1, false},
  };
  View(0, 1000, 100);
  TimeLineEngine& e = Engine();
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.gravityAlign << " " << c.gravityGroup << " " << c.markGroup);
    ProjectMarks.Clear();
    e.gravityGroup = c.markGroup;
    ASSERT_TRUE(ProjectMarks.AddMark(3050));
    e.gravityAlign = c.gravityAlign;
    e.gravityGroup = c.gravityGroup;
    ruler_->Invalidate(false);
    GuiPumpMessages();
    const COLORREF want = TimeLineColors[c.active ? kColorActiveTimeMark : kColorPassiveTimeMark];
    EXPECT_EQ(Pixel(305, Bottom() - 2), want);
    EXPECT_EQ(Pixel(305, Bottom() - 5), want);
    EXPECT_EQ(Pixel(303, Bottom() - 6), want);
    EXPECT_EQ(Pixel(305, Bottom() - 9), kWhite);
  }
}

}  // namespace
}  // namespace striptest
