// The changed range of an audio line widened by the extent of its clips.
#include <gtest/gtest.h>

#include "film_fakes.h"
#include "model/changed_ranges.h"

namespace filmtest {
namespace {

class ChangedRanges : public FilmTest {
 protected:
  void SetUp() override {
    FilmTest::SetUp();
    for (TimeRange& r : LineChangedRange) r.Clear();
  }
  void TearDown() override {
    ResetChangedRanges();
    FilmTest::TearDown();
  }
  Film* Sound(int32_t line, int32_t start, int32_t length) {
    FakeClip clip(nullptr, Audio("a.wav", 100000), nullptr, 0, length, length);
    Film* f = new Film(clip, start, kKindAudio, line, 0);
    Film::Link(f, FilmList);
    return f;
  }
};

TEST_F(ChangedRanges, ALineWidensByItsClipsExtentAnEmptyOneBecomesIt) {
  Sound(1, 2000, 3000);
  Sound(1, 8000, 1000);
  Sound(2, 500, 100);
  const struct {
    TimeRange before;
    int32_t start, end;
  } cases[] = {
      {{}, 2000, 9000},
      {{5000, 100}, 2000, 9000},  // empty without being cleared
      {{0, 3000}, 0, 9000},
      {{6000, 7000}, 2000, 9000},
      {{1000, 12000}, 1000, 12000},
  };
  for (const auto& c : cases) {
    LineChangedRange[1] = c.before;
    WidenChangedRange(1);
    EXPECT_EQ(LineChangedRange[1].start, c.start) << c.before.start << ".." << c.before.end;
    EXPECT_EQ(LineChangedRange[1].end, c.end) << c.before.start << ".." << c.before.end;
  }
  // The other lines stay as they were; a line without clips, or none, too.
  EXPECT_TRUE(LineChangedRange[2].Empty());
  LineChangedRange[3] = TimeRange{10, 20};
  WidenChangedRange(3);
  WidenChangedRange(4);
  WidenChangedRange(-1);
  EXPECT_EQ(LineChangedRange[3].start, 10);
  EXPECT_EQ(LineChangedRange[3].end, 20);
  EXPECT_TRUE(LineChangedRange[0].Empty());
}

}  // namespace
}  // namespace filmtest
